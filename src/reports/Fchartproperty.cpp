#include "reports/Fchartproperty.h"

#include "dialogs/Fcsvedit.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "layout/Uchartcontainer.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/NumberText.h"
#include "platform/Text.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kPie = 0;

// A cell's number or date; a cell that does not read names its place.
double ReadCell(const std::string& text, bool date, int col, int row)
{
    try {
        return date ? platform::StrToDateTime(text) : platform::StrToFloat(text);
    } catch (const platform::ConvertError&) {
        throw platform::ConvertError(std::to_string(row) + "行" + std::to_string(col + 1) + "列目の「" + text + "」は" +
                                     (date ? "日付" : "数値") + "ではありません。");
    }
}

} // namespace

TChartProperty::TChartProperty(QWidget* parent) : TFontProperty(parent)
{
    setObjectName("ChartProperty");
    SetPageType(ctChart);
    TextAlign->hide();
    PageControl->setTabText(1, platform::ToQString("テキストとグラフスタイル"));
    QWidget* style = TabSheet2->parentWidget();
    TitleEdit = Named(new QLineEdit(style), "TitleEdit");
    CBLegendVisible = Named(new QCheckBox(platform::ToQString("凡例表示"), style), "CBLegendVisible");
    LegendAlignList = MakeList(style, "LegendAlignList", {"左辺", "右辺", "上辺", "下辺"});
    CBXTypeDate = Named(new QCheckBox(platform::ToQString("横軸を日付表示"), style), "CBXTypeDate");
    RBDateFormat = Named(new QRadioButton(platform::ToQString("西暦付き/区切り"), style), "RBDateFormat");
    RBDateFormat1 = Named(new QRadioButton(platform::ToQString("西暦なし/区切り"), style), "RBDateFormat1");
    RBDateFormat->setChecked(true);
    LeftChartLimitEdit = MakeNumber(style, "LeftChartLimitEdit", 0, 100, "", 0, 0);
    TopChartLimitEdit = MakeNumber(style, "TopChartLimitEdit", 0, 100, "", 0, 0);
    RightChartLimitEdit = MakeNumber(style, "RightChartLimitEdit", 0, 100, "", 0, 0);
    BottomChartLimitEdit = MakeNumber(style, "BottomChartLimitEdit", 0, 100, "", 0, 0);
    CBView3D = Named(new QCheckBox(platform::ToQString("立体効果"), style), "CBView3D");
    View3DWidthEdit = MakeNumber(style, "View3DWidthEdit", 3, 1, "", 1, 100);

    auto* grid = new QGridLayout;
    const auto label = [style](const char* text) { return new QLabel(platform::ToQString(text), style); };
    grid->addWidget(label("タイトル"), 0, 0);
    grid->addWidget(TitleEdit, 0, 1, 1, 3);
    grid->addWidget(CBLegendVisible, 1, 0);
    grid->addWidget(LegendAlignList, 1, 1);
    grid->addWidget(CBXTypeDate, 2, 0, 1, 2);
    grid->addWidget(RBDateFormat, 3, 0, 1, 2);
    grid->addWidget(RBDateFormat1, 3, 2, 1, 2);
    grid->addWidget(label("横軸最低値"), 4, 0);
    grid->addWidget(LeftChartLimitEdit, 4, 1);
    grid->addWidget(label("横軸最高値"), 4, 2);
    grid->addWidget(RightChartLimitEdit, 4, 3);
    grid->addWidget(label("縦軸最低値"), 5, 0);
    grid->addWidget(BottomChartLimitEdit, 5, 1);
    grid->addWidget(label("縦軸最高値"), 5, 2);
    grid->addWidget(TopChartLimitEdit, 5, 3);
    grid->addWidget(CBView3D, 6, 0);
    grid->addWidget(View3DWidthEdit, 6, 1);
    TabSheet2->insertLayout(TabSheet2->count() - 1, grid);

    QVBoxLayout* graphTab = AddTab("グラフ", "ScrollBox3");
    QWidget* tab = graphTab->parentWidget();
    CsvEdit = Named(new TCsvEdit(tab), "CsvEdit");
    CsvEdit->SetFixedRows(1);
    CsvEdit->SetRowCount(2);
    CsvEdit->setMinimumHeight(160);
    auto* panel = Named(new QWidget(tab), "Panel1");
    auto* panelGrid = new QGridLayout(panel);
    GraphCountEdit = MakeNumber(panel, "GraphCountEdit", 1, 1, "", 1, 1);
    DataCountEdit = MakeNumber(panel, "DataCountEdit", 1, 1, "", 1, 1);
    SeriesTitleEdit = Named(new QLineEdit(panel), "SeriesTitleEdit");
    SeriesColorList = Named(new TColorDropDown(panel), "SeriesColorList");
    CBChartType = MakeList(panel, "CBChartType",
                       {"円グラフ", "折れ線グラフ", "棒グラフ", "折れ線グラフ（3Ｄ）", "折れ線グラフ（面）"});
    CBMarkVisible = Named(new QCheckBox(platform::ToQString("マーカー"), panel), "CBMarkVisible");
    const struct {
        const char* caption;
        QWidget* control;
    } fields[] = {{"グラフの数", GraphCountEdit}, {"データカウント", DataCountEdit}, {"タイトル", SeriesTitleEdit},
                  {"色", SeriesColorList},         {"グラフタイプ", CBChartType}};
    int row = 0;
    for (const auto& field : fields) {
        panelGrid->addWidget(new QLabel(platform::ToQString(field.caption), panel), row / 2, row % 2 * 2);
        panelGrid->addWidget(field.control, row / 2, row % 2 * 2 + 1);
        ++row;
    }
    panelGrid->addWidget(CBMarkVisible, row / 2, row % 2 * 2, 1, 2);
    graphTab->addWidget(CsvEdit, 1);
    graphTab->addWidget(panel);

    GraphCountEdit->OnChange = [this](QObject*) { GraphCountChange(); };
    DataCountEdit->OnChange = [this](QObject*) { DataCountChange(); };
    for (TUpDownEdit* edit : {LeftChartLimitEdit, TopChartLimitEdit, RightChartLimitEdit, BottomChartLimitEdit})
        edit->OnChange = [this](QObject*) { LimitChange(); };
    SeriesColorList->OnChange = [this](QObject*) { SeriesColorChange(); };
    View3DWidthEdit->OnChange = [this](QObject*) { ApplyAll(); };
    connect(CBChartType, &QComboBox::activated, this, platform::Guarded([this](int) { CBChartTypeChange(); }));
    connect(LegendAlignList, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    connect(CBMarkVisible, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBMarkVisibleClick(); }));
    connect(CBLegendVisible, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBLegendVisibleClick(); }));
    connect(CBView3D, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBView3DClick(); }));
    connect(CBXTypeDate, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBXTypeDateClick(); }));
    for (QRadioButton* button : {RBDateFormat, RBDateFormat1})
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) platform::Guard([this] { ApplyAll(); });
        });
    connect(TitleEdit, &QLineEdit::editingFinished, this, platform::Guarded([this] { ApplyAll(); }));
    connect(SeriesTitleEdit, &QLineEdit::editingFinished, this, platform::Guarded([this] { SeriesTitleEditExit(); }));
    CsvEdit->OnSelectCell = [this](TCsvEdit*) { platform::Guard([this] { CsvEditSelectCell(); }); };
    CsvEdit->OnExit = [this](TCsvEdit*) { platform::Guard([this] { CsvEditExit(); }); };
}

void TChartProperty::SetViewItem(TViewItem* item)
{
    if (!item) {
        const Updating updating(*this);
        ResizeSeries(0);
        CsvEdit->SetColCount(1);
        DataCountEdit->SetValueQuiet(1);
        gridItem_ = nullptr;
    }
    TFontProperty::SetViewItem(item);
}

int TChartProperty::CurrentSeries() const { return CsvEdit->GetCol() - 1; }

void TChartProperty::ResizeSeries(int count)
{
    count = std::max(count, 0);
    types_.resize(static_cast<std::size_t>(count), 1);
    marks_.resize(static_cast<std::size_t>(count), 0);
    colors_.resize(static_cast<std::size_t>(count), 0);
}

TSeriesStruct TChartProperty::SeriesOfColumn(int index) const
{
    TSeriesStruct series;
    series.Kind = At(types_, index, 1);
    series.MarksVisible = At(marks_, index, 0) != 0;
    series.Color = At(colors_, index, 0);
    const int col = index + 1;
    series.Title = CsvEdit->GetCell(col, 0);
    const bool date = CBXTypeDate->isChecked();
    for (int row = 1; row < CsvEdit->GetRowCount(); ++row) {
        const std::string y = platform::Trim(CsvEdit->GetCell(col, row));
        const std::string x = platform::Trim(CsvEdit->GetCell(0, row));
        if (y.empty() || (series.Kind != kPie && x.empty())) continue;
        const double yValue = ReadCell(y, false, col, row);
        series.Add(series.Kind == kPie ? 0 : ReadCell(x, date, 0, row), yValue, "");
    }
    return series;
}

void TChartProperty::ShowSeriesData(int index, const TSeriesStruct& series)
{
    const int col = index + 1;
    if (CsvEdit->GetRowCount() < series.GetCount() + 1) CsvEdit->SetRowCount(series.GetCount() + 1);
    CsvEdit->SetCell(col, 0, series.Title);
    const bool date = CBXTypeDate->isChecked();
    for (int row = 1; row < CsvEdit->GetRowCount(); ++row) {
        const int p = row - 1;
        if (p >= series.GetCount()) {
            CsvEdit->SetCell(col, row, std::string());
            continue;
        }
        CsvEdit->SetCell(col, row, platform::FloatToStr(series.GetY(p)));
        if (series.Kind != kPie)
            CsvEdit->SetCell(0, row, date ? platform::DateToStr(series.GetX(p)) : platform::FloatToStr(series.GetX(p)));
    }
    types_[static_cast<std::size_t>(index)] = series.Kind;
    marks_[static_cast<std::size_t>(index)] = series.MarksVisible ? 1 : 0;
    colors_[static_cast<std::size_t>(index)] = series.Color;
}

void TChartProperty::ShowSeries()
{
    const Updating updating(*this);
    const int s = CurrentSeries();
    const bool series = s >= 0 && s < static_cast<int>(types_.size());
    for (QWidget* w : std::initializer_list<QWidget*>{SeriesTitleEdit, SeriesColorList, CBChartType, CBMarkVisible})
        w->setEnabled(series);
    if (!series) return;
    SeriesTitleEdit->setText(platform::ToQString(CsvEdit->GetCell(s + 1, 0)));
    SeriesColorList->SetColor(colors_[static_cast<std::size_t>(s)]);
    SeriesColorList->setEnabled(types_[static_cast<std::size_t>(s)] != kPie);
    CBChartType->setCurrentIndex(types_[static_cast<std::size_t>(s)]);
    CBMarkVisible->setChecked(marks_[static_cast<std::size_t>(s)] != 0);
}

void TChartProperty::GetProperty(TContainer* container)
{
    TFontProperty::GetProperty(container);
    auto* chart = dynamic_cast<TChartContainer*>(container);
    if (!chart) return;
    {
        const Updating updating(*this);
        TitleEdit->setText(platform::ToQString(chart->GetTitle()));
        CBLegendVisible->setChecked(chart->GetLegendVisible());
        LegendAlignList->setCurrentIndex(chart->GetLegendAlign());
        LegendAlignList->setEnabled(chart->GetLegendVisible());
        CBXTypeDate->setChecked(chart->GetXTypeDate());
        const TRect limit = chart->GetChartLimit();
        LeftChartLimitEdit->SetValueQuiet(limit.Left);
        TopChartLimitEdit->SetValueQuiet(limit.Top);
        RightChartLimitEdit->SetValueQuiet(limit.Right);
        BottomChartLimitEdit->SetValueQuiet(limit.Bottom);
        CBView3D->setChecked(chart->GetView3D());
        View3DWidthEdit->SetValueQuiet(chart->GetView3DWidth());
        View3DWidthEdit->setEnabled(chart->GetView3D());
        if (GetPageType() == ctChart && chart->GetType() == ctChart) {
            if (gridItem_ != GetViewItem()) {
                // Another item: the grid starts empty.
                CsvEdit->SetCSV(std::string());
                CsvEdit->SetRowCount(2);
                CsvEdit->SetColCount(chart->GetGraphCount() + 1);
                if (chart->GetGraphCount() > 0) CsvEdit->SetCurrent(1, 1);
                gridItem_ = GetViewItem();
            }
            const int count = chart->GetGraphCount();
            CsvEdit->SetColCount(count + 1);
            ResizeSeries(count);
            GraphCountEdit->SetValueQuiet(count);
            for (int i = 0; i < count; ++i) {
                const TSeriesStruct series = chart->GetData(i);
                // The grid keeps what the user typed while it reads as the container's series.
                bool same = false;
                try {
                    same = SeriesOfColumn(i) == series && series.Title == CsvEdit->GetCell(i + 1, 0) &&
                           series.Kind == types_[static_cast<std::size_t>(i)];
                } catch (const platform::ConvertError&) {
                }
                if (!same) ShowSeriesData(i, series);
            }
            DataCountEdit->SetValueQuiet(CsvEdit->GetRowCount() - 1);
        }
    }
    ShowSeries();
}

void TChartProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* chart = dynamic_cast<TChartContainer*>(container);
    if (!chart) return;
    chart->SetTitle(platform::FromQString(TitleEdit->text()));
    chart->SetLegendVisible(CBLegendVisible->isChecked());
    chart->SetLegendAlign(LegendAlignList->currentIndex());
    chart->SetXTypeDate(CBXTypeDate->isChecked());
    chart->SetChartLimit({LeftChartLimitEdit->GetValue(), TopChartLimitEdit->GetValue(), RightChartLimitEdit->GetValue(),
                          BottomChartLimitEdit->GetValue()});
    chart->SetView3D(CBView3D->isChecked());
    chart->SetView3DWidth(View3DWidthEdit->GetValue());
    if (GetPageType() != ctChart || chart->GetType() != ctChart) return;
    const int count = static_cast<int>(types_.size());
    std::vector<TSeriesStruct> series;
    for (int i = 0; i < count; ++i) series.push_back(SeriesOfColumn(i));
    chart->SetGraphCount(count);
    for (int i = 0; i < count; ++i) chart->SetData(i, series[static_cast<std::size_t>(i)]);
}

void TChartProperty::GraphCountChange()
{
    if (GetUpdating()) return;
    const int old = static_cast<int>(types_.size());
    const int count = GraphCountEdit->GetValue();
    CsvEdit->SetColCount(count + 1);
    ResizeSeries(count);
    for (int c = old + 1; c <= count; ++c) CsvEdit->SetCell(c, 0, "グラフ" + std::to_string(c));
    ApplyAll();
}

void TChartProperty::DataCountChange()
{
    if (GetUpdating()) return;
    const int old = CsvEdit->GetRowCount();
    CsvEdit->SetRowCount(DataCountEdit->GetValue() + CsvEdit->GetFixedRows());
    for (int row = old; row < CsvEdit->GetRowCount(); ++row)
        for (int col = 0; col < CsvEdit->GetColCount(); ++col) CsvEdit->SetCell(col, row, std::string());
    ApplyAll();
}

void TChartProperty::LimitChange()
{
    if (GetUpdating()) return;
    if (TopChartLimitEdit->GetValue() < BottomChartLimitEdit->GetValue())
        BottomChartLimitEdit->SetValueQuiet(TopChartLimitEdit->GetValue());
    if (RightChartLimitEdit->GetValue() < LeftChartLimitEdit->GetValue())
        LeftChartLimitEdit->SetValueQuiet(RightChartLimitEdit->GetValue());
    ApplyAll();
}

void TChartProperty::SeriesColorChange()
{
    const int s = CurrentSeries();
    if (GetUpdating() || s < 0 || s >= static_cast<int>(colors_.size())) return;
    colors_[static_cast<std::size_t>(s)] = SeriesColorList->GetColor();
    ApplyAll();
}

void TChartProperty::CBChartTypeChange()
{
    const int s = CurrentSeries();
    if (s < 0 || s >= static_cast<int>(types_.size())) return;
    types_[static_cast<std::size_t>(s)] = CBChartType->currentIndex();
    SeriesColorList->setEnabled(CBChartType->currentIndex() != kPie);
    ApplyAll();
}

void TChartProperty::CBMarkVisibleClick()
{
    const int s = CurrentSeries();
    if (GetUpdating() || s < 0 || s >= static_cast<int>(marks_.size())) return;
    marks_[static_cast<std::size_t>(s)] = CBMarkVisible->isChecked() ? 1 : 0;
    ApplyAll();
}

void TChartProperty::CBLegendVisibleClick()
{
    LegendAlignList->setEnabled(CBLegendVisible->isChecked());
    ApplyAll();
}

void TChartProperty::CBView3DClick()
{
    View3DWidthEdit->setEnabled(CBView3D->isChecked());
    ApplyAll();
}

void TChartProperty::CBXTypeDateClick()
{
    if (GetUpdating()) return;
    for (int row = CsvEdit->GetFixedRows(); row < CsvEdit->GetRowCount(); ++row) CsvEdit->SetCell(0, row, std::string());
    ApplyAll();
}

void TChartProperty::SeriesTitleEditExit()
{
    const int s = CurrentSeries();
    if (GetUpdating() || s < 0 || s >= static_cast<int>(types_.size())) return;
    CsvEdit->SetCell(s + 1, 0, platform::FromQString(SeriesTitleEdit->text()));
    ApplyAll();
}

void TChartProperty::CsvEditSelectCell() { ShowSeries(); }

void TChartProperty::CsvEditExit()
{
    if (!GetUpdating()) ApplyAll();
}

#include "reports/Fgridproperty.h"

#include "dialogs/Fcsvedit.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "layout/Ugridcontainer.h"
#include "platform/Text.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr int kNewColumnWidth = 300;

TPriorityItem Items(const std::vector<int>& values)
{
    TPriorityItem items;
    for (int v : values) items << v;
    return items;
}

void Fill(std::vector<int>& values, const TPriorityItem& items, int count)
{
    values.assign(static_cast<std::size_t>(count), 0);
    for (int i = 0; i < count && i < items.GetCount(); ++i) values[static_cast<std::size_t>(i)] = items.GetItem(i);
}

} // namespace

TGridProperty::TGridProperty(QWidget* parent) : TFontProperty(parent)
{
    setObjectName("GridProperty");
    SetPageType(ctGrid);
    TextAlign->hide();
    PageControl->setTabText(1, platform::ToQString("テキストとグリッドスタイル"));
    QWidget* style = TabSheet2->parentWidget();
    HeaderStyleList = MakeList(style, "HeaderStyleList", {"ページごとに表示", "タイトル無し", "行ごとに表示"});
    LineWidthEdit = MakeNumber(style, "LineWidthEdit", 1, 10, "mm", 0, 0);
    LineColorList = Named(new TColorDropDown(style), "LineColorList");
    HorzAlignList = MakeList(style, "HorzAlignList", {"左寄せ", "センター", "右寄せ"});
    RowGapEdit = MakeNumber(style, "RowGapEdit", 1, 10, "mm", 0, 0);
    ColGapEdit = MakeNumber(style, "ColGapEdit", 1, 10, "mm", 0, 0);
    RowHeightEdit = MakeNumber(style, "RowHeightEdit", 1, 10, "mm", 10, 10);
    RowHeightEdit->SetValueQuiet(50);
    CBLeftLine = Named(new QCheckBox(platform::ToQString("左端線"), style), "CBLeftLine");
    CBTopLine = Named(new QCheckBox(platform::ToQString("上端線"), style), "CBTopLine");
    CBRightLine = Named(new QCheckBox(platform::ToQString("右端線"), style), "CBRightLine");
    CBBottomLine = Named(new QCheckBox(platform::ToQString("下端線"), style), "CBBottomLine");
    TitleColorList = Named(new TColorDropDown(style), "TitleColorList");
    RowColor1List = Named(new TColorDropDown(style), "RowColor1List");
    RowColor2List = Named(new TColorDropDown(style), "RowColor2List");
    for (TColorDropDown* list : {TitleColorList, RowColor1List, RowColor2List}) list->SetColor(0xFFFFFF);
    CBDataWidthEnabled = Named(new QCheckBox(platform::ToQString("列幅を文字幅に合わせる"), style), "CBDataWidthEnabled");
    ParagraphEdit = MakeNumber(style, "ParagraphEdit", 1, 1, "", 1, 1);
    CBParaOrient = Named(new QCheckBox(platform::ToQString("データを横方向に並べる"), style), "CBParaOrient");
    ParaGapEdit = MakeNumber(style, "ParaGapEdit", 1, 10, "mm", 0, 0);
    CBDrawFullGrid = Named(new QCheckBox(platform::ToQString("空のグリッドも表示する"), style), "CBDrawFullGrid");

    auto* grid = new QGridLayout;
    const auto label = [style](const char* text) { return new QLabel(platform::ToQString(text), style); };
    const struct {
        const char* caption;
        QWidget* control;
    } cells[] = {{"タイトル", HeaderStyleList}, {"グリッド位置", HorzAlignList}, {"線幅", LineWidthEdit},
                 {"線色", LineColorList},       {"行送り", RowGapEdit},         {"列送り", ColGapEdit},
                 {"行高さ", RowHeightEdit},     {"タイトル行の色", TitleColorList}, {"行色1", RowColor1List},
                 {"行色2", RowColor2List},      {"段組", ParagraphEdit},        {"段組間", ParaGapEdit}};
    int row = 0;
    for (const auto& cell : cells) {
        grid->addWidget(label(cell.caption), row / 2, row % 2 * 2);
        grid->addWidget(cell.control, row / 2, row % 2 * 2 + 1);
        ++row;
    }
    int next = (row + 1) / 2;
    grid->addWidget(CBLeftLine, next, 0);
    grid->addWidget(CBTopLine, next, 1);
    grid->addWidget(CBRightLine, next, 2);
    grid->addWidget(CBBottomLine, next++, 3);
    grid->addWidget(CBDataWidthEnabled, next++, 0, 1, 4);
    grid->addWidget(CBParaOrient, next++, 0, 1, 4);
    grid->addWidget(CBDrawFullGrid, next, 0, 1, 4);
    TabSheet2->insertLayout(TabSheet2->count() - 1, grid);

    QVBoxLayout* cellsTab = AddTab("グリッド", "ScrollBox3");
    QWidget* tab = cellsTab->parentWidget();
    CsvEdit = Named(new TCsvEdit(tab), "CsvEdit");
    CsvEdit->SetFixedRows(1);
    CsvEdit->SetRowCount(2);
    CsvEdit->setMinimumHeight(160);
    auto* panel = new QWidget(tab);
    panel->setObjectName("Panel");
    auto* panelGrid = new QGridLayout(panel);
    RowCountEdit = MakeNumber(panel, "RowCountEdit", 1, 1, "", 1, 1);
    ColCountEdit = MakeNumber(panel, "ColCountEdit", 1, 1, "", 1, 1);
    TitleEdit = Named(new QLineEdit(panel), "TitleEdit");
    ColWidthEdit = MakeNumber(panel, "ColWidthEdit", 1, 10, "mm", 10, 10);
    ColWidthEdit->SetValueQuiet(1000);
    TextHorzAlignList = MakeList(panel, "TextHorzAlignList", {"左寄せ", "センター", "右寄せ"});
    RowsWrapStyleList = MakeList(panel, "RowsWrapStyleList", {"表示できる行を表示", "全ての行を表示", "均等割り表示"});
    ColsWrapStyleList = MakeList(panel, "ColsWrapStyleList", {"自動改行", "改行位置指定"});
    CBColWrap = Named(new QCheckBox(platform::ToQString("改行"), panel), "CBColWrap");
    const struct {
        const char* caption;
        QWidget* control;
    } fields[] = {{"行数", RowCountEdit},          {"列数", ColCountEdit},         {"タイトル", TitleEdit},
                  {"列幅", ColWidthEdit},          {"表示位置", TextHorzAlignList}, {"行スタイル", RowsWrapStyleList},
                  {"列スタイル", ColsWrapStyleList}};
    row = 0;
    for (const auto& field : fields) {
        panelGrid->addWidget(new QLabel(platform::ToQString(field.caption), panel), row / 2, row % 2 * 2);
        panelGrid->addWidget(field.control, row / 2, row % 2 * 2 + 1);
        ++row;
    }
    panelGrid->addWidget(CBColWrap, row / 2, row % 2 * 2, 1, 2);
    cellsTab->addWidget(CsvEdit, 1);
    cellsTab->addWidget(panel);

    for (QComboBox* list : {HeaderStyleList, HorzAlignList, RowsWrapStyleList, ColsWrapStyleList})
        connect(list, &QComboBox::activated, this, platform::Guarded([this](int) { GridChange(); }));
    for (TUpDownEdit* edit : {LineWidthEdit, RowGapEdit, ColGapEdit, RowHeightEdit, ParagraphEdit, ParaGapEdit})
        edit->OnChange = [this](QObject*) { ApplyAll(); };
    for (TColorDropDown* list : {LineColorList, TitleColorList, RowColor1List, RowColor2List})
        list->OnChange = [this](QObject*) { ApplyAll(); };
    for (QCheckBox* box : {CBLeftLine, CBTopLine, CBRightLine, CBBottomLine, CBDataWidthEnabled, CBParaOrient,
                           CBDrawFullGrid})
        connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) {
            if (!GetUpdating()) GridChange();
        }));
    ColCountEdit->OnChange = [this](QObject*) { ColCountChange(); };
    RowCountEdit->OnChange = [this](QObject*) { RowCountChange(); };
    ColWidthEdit->OnChange = [this](QObject*) { ColWidthChange(); };
    connect(TitleEdit, &QLineEdit::editingFinished, this, platform::Guarded([this] { TitleEditExit(); }));
    connect(TextHorzAlignList, &QComboBox::activated, this,
            platform::Guarded([this](int) { TextHorzAlignListChange(); }));
    connect(CBColWrap, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBColWrapClick(); }));
    CsvEdit->OnSelectCell = [this](TCsvEdit*) { platform::Guard([this] { CsvEditSelectCell(); }); };
    CsvEdit->OnExit = [this](TCsvEdit*) { platform::Guard([this] { CsvEditExit(); }); };
    ResizeColumns(1);
}

bool TGridProperty::BaseGrid() const
{
    const TContainer* container = GetContainer();
    return container && container->GetType() == ctGrid;
}

void TGridProperty::ResizeColumns(int count)
{
    count = std::max(count, 0);
    titles_.resize(static_cast<std::size_t>(count));
    widths_.resize(static_cast<std::size_t>(count), kNewColumnWidth);
    aligns_.resize(static_cast<std::size_t>(count), 0);
    wraps_.resize(static_cast<std::size_t>(count), 0);
}

void TGridProperty::ShowColumn()
{
    const Updating updating(*this);
    const int c = CsvEdit->GetCol();
    TitleEdit->setText(platform::ToQString(At(titles_, c, std::string())));
    ColWidthEdit->SetValueQuiet(At(widths_, c, 0));
    TextHorzAlignList->setCurrentIndex(At(aligns_, c, 0));
    const bool wrapping = ColsWrapStyleList->currentIndex() == 1;
    CBColWrap->setEnabled(wrapping);
    CBColWrap->setChecked(wrapping && At(wraps_, c, 0) != 0);
}

void TGridProperty::GridChange()
{
    {
        const Updating updating(*this);
        const bool wrapping = ColsWrapStyleList->currentIndex() == 1;
        CBColWrap->setEnabled(wrapping);
        CBColWrap->setChecked(wrapping && At(wraps_, CsvEdit->GetCol(), 0) != 0);
    }
    ApplyAll();
}

void TGridProperty::ColCountChange()
{
    if (GetUpdating()) return;
    CsvEdit->SetColCount(ColCountEdit->GetValue());
    ResizeColumns(ColCountEdit->GetValue());
    ApplyAll();
}

void TGridProperty::RowCountChange()
{
    if (GetUpdating()) return;
    CsvEdit->SetRowCount(RowCountEdit->GetValue() + 1);
    ApplyAll();
}

void TGridProperty::ColWidthChange()
{
    const int c = CsvEdit->GetCol();
    if (GetUpdating() || c < 0 || c >= static_cast<int>(widths_.size())) return;
    widths_[static_cast<std::size_t>(c)] = ColWidthEdit->GetValue();
    GridChange();
}

void TGridProperty::TextHorzAlignListChange()
{
    const int c = CsvEdit->GetCol();
    if (c < 0 || c >= static_cast<int>(aligns_.size())) return;
    aligns_[static_cast<std::size_t>(c)] = TextHorzAlignList->currentIndex();
    GridChange();
}

void TGridProperty::TitleEditExit()
{
    const int c = CsvEdit->GetCol();
    if (GetUpdating() || c < 0 || c >= static_cast<int>(titles_.size())) return;
    const std::string title = platform::FromQString(TitleEdit->text());
    titles_[static_cast<std::size_t>(c)] = title;
    CsvEdit->SetCell(c, 0, title);
    GridChange();
}

void TGridProperty::CBColWrapClick()
{
    const int c = CsvEdit->GetCol();
    if (GetUpdating() || c < 0 || c >= static_cast<int>(wraps_.size())) return;
    wraps_[static_cast<std::size_t>(c)] = CBColWrap->isChecked() ? 1 : 0;
    GridChange();
}

void TGridProperty::CsvEditSelectCell() { ShowColumn(); }

void TGridProperty::CsvEditExit()
{
    if (!GetUpdating()) GridChange();
}

void TGridProperty::GetProperty(TContainer* container)
{
    TFontProperty::GetProperty(container);
    auto* grid = dynamic_cast<TGridContainer*>(container);
    if (!grid) return;
    {
        const Updating updating(*this);
        HeaderStyleList->setCurrentIndex(grid->GetHeaderStyle());
        LineWidthEdit->SetValueQuiet(grid->GetLineWidth());
        LineColorList->SetColor(grid->GetLineColor());
        HorzAlignList->setCurrentIndex(std::clamp(grid->GetHorzAlign(), 0, 2));
        RowGapEdit->SetValueQuiet(grid->GetRowGap());
        ColGapEdit->SetValueQuiet(grid->GetColGap());
        RowHeightEdit->SetValueQuiet(grid->GetRowHeight());
        const TEdgeBorders lines = grid->GetGridLines();
        CBLeftLine->setChecked(lines.Contains(ebLeft));
        CBTopLine->setChecked(lines.Contains(ebTop));
        CBRightLine->setChecked(lines.Contains(ebRight));
        CBBottomLine->setChecked(lines.Contains(ebBottom));
        TitleColorList->SetColor(grid->GetTitleColor());
        RowColor1List->SetColor(grid->GetRowColor1());
        RowColor2List->SetColor(grid->GetRowColor2());
        CBDataWidthEnabled->setChecked(grid->GetDataWidthEnabled());
        ParagraphEdit->SetValueQuiet(grid->GetParagraph());
        CBParaOrient->setChecked(grid->GetParaOrient());
        ParaGapEdit->SetValueQuiet(grid->GetParaGap());
        CBDrawFullGrid->setChecked(grid->GetDrawFullGrid());
        RowsWrapStyleList->setCurrentIndex(grid->GetRowsWrapStyle());
        ColsWrapStyleList->setCurrentIndex(grid->GetColsWrapStyle());
        if (grid->GetType() == ctGrid) {
            const int rows = grid->GetRowCount();
            const int cols = grid->GetColCount();
            // The cells' text may hold fewer columns than the grid (cells still empty): the
            // chosen cell of the grid shown again is taken back once the columns are there.
            const bool again = container == shownGrid_;
            const int col = CsvEdit->GetCol();
            const int row = CsvEdit->GetRow();
            CsvEdit->SetCSV(grid->GetCSV());
            CsvEdit->SetRowCount(rows + 1);
            CsvEdit->SetColCount(cols);
            if (again) CsvEdit->SetCurrent(col, row);
            RowCountEdit->SetValueQuiet(rows);
            ColCountEdit->SetValueQuiet(cols);
            ResizeColumns(cols);
            const std::vector<std::string> items = platform::SplitCommaText(grid->GetTitles());
            for (int c = 0; c < cols; ++c) {
                const std::string item = At(items, c, std::string());
                titles_[static_cast<std::size_t>(c)] = platform::Trim(item).empty() ? std::string() : item;
                CsvEdit->SetCell(c, 0, titles_[static_cast<std::size_t>(c)]);
            }
            Fill(widths_, grid->GetTitleWidths(), cols);
            Fill(aligns_, grid->GetTitleAligns(), cols);
            Fill(wraps_, grid->GetColWraps(), cols);
        }
    }
    shownGrid_ = container;
    ShowColumn();
}

void TGridProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* grid = dynamic_cast<TGridContainer*>(container);
    if (!grid) return;
    grid->SetHeaderStyle(HeaderStyleList->currentIndex());
    grid->SetLineWidth(LineWidthEdit->GetValue());
    grid->SetLineColor(LineColorList->GetColor());
    grid->SetHorzAlign(HorzAlignList->currentIndex());
    grid->SetRowGap(RowGapEdit->GetValue());
    grid->SetColGap(ColGapEdit->GetValue());
    grid->SetRowHeight(RowHeightEdit->GetValue());
    TEdgeBorders lines;
    if (CBLeftLine->isChecked()) lines << ebLeft;
    if (CBTopLine->isChecked()) lines << ebTop;
    if (CBRightLine->isChecked()) lines << ebRight;
    if (CBBottomLine->isChecked()) lines << ebBottom;
    grid->SetGridLines(lines);
    grid->SetTitleColor(TitleColorList->GetColor());
    grid->SetRowColor1(RowColor1List->GetColor());
    grid->SetRowColor2(RowColor2List->GetColor());
    grid->SetDataWidthEnabled(CBDataWidthEnabled->isChecked());
    grid->SetParagraph(ParagraphEdit->GetValue());
    grid->SetParaOrient(CBParaOrient->isChecked());
    grid->SetParaGap(ParaGapEdit->GetValue());
    grid->SetDrawFullGrid(CBDrawFullGrid->isChecked());
    grid->SetRowsWrapStyle(RowsWrapStyleList->currentIndex());
    grid->SetColsWrapStyle(ColsWrapStyleList->currentIndex());
    if (grid->GetType() != ctGrid) return;
    grid->SetRowCount(RowCountEdit->GetValue());
    grid->SetColCount(ColCountEdit->GetValue());
    std::vector<std::string> titles;
    for (const std::string& title : titles_) titles.push_back(title.empty() ? " " : title);
    grid->SetTitles(platform::JoinCommaText(titles));
    grid->SetTitleWidths(Items(widths_));
    grid->SetTitleAligns(Items(aligns_));
    grid->SetColWraps(Items(wraps_));
    grid->SetCSV(CsvEdit->GetCSV());
}

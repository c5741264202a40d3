#include "reports/Fvktdataproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/TabFocus.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktdatalink.h"
#include "reports/Uvktfieldcontainer.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

// The column layout of a tab made by AddTab.
QVBoxLayout* TabColumn(QTabWidget* tabs, int index)
{
    auto* scroll = qobject_cast<QScrollArea*>(tabs->widget(index));
    return scroll && scroll->widget() ? qobject_cast<QVBoxLayout*>(scroll->widget()->layout()) : nullptr;
}

// A grid for the binding controls at the top of tab `index`, the tab renamed.
QGridLayout* BindingGrid(QTabWidget* tabs, int index, const char* caption)
{
    tabs->setTabText(index, platform::ToQString(caption));
    auto* grid = new QGridLayout;
    if (QVBoxLayout* column = TabColumn(tabs, index)) column->insertLayout(0, grid);
    return grid;
}

QWidget* TabPage(QTabWidget* tabs, int index)
{
    auto* scroll = qobject_cast<QScrollArea*>(tabs->widget(index));
    return scroll ? scroll->widget() : tabs->widget(index);
}

// The first control of tab `index` in the Tab chain; null when it has none.
QWidget* FirstControl(QTabWidget* tabs, int index)
{
    QWidget* page = TabPage(tabs, index);
    for (QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
        if (w->focusPolicy() != Qt::NoFocus && page->isAncestorOf(w)) return w;
    return nullptr;
}

// The binding grid at the top of a tab, made after the base's controls below it, is read first:
// row by row, left to right, before `first`, the base's first control.
void ReadGridFirst(QGridLayout& grid, QWidget* first)
{
    if (!first) return;
    std::vector<QWidget*> controls;
    for (int row = 0; row < grid.rowCount(); ++row)
        for (int column = 0; column < grid.columnCount(); ++column)
            if (QLayoutItem* item = grid.itemAtPosition(row, column); item && item->widget()) {
                QWidget* w = item->widget();
                if (std::find(controls.begin(), controls.end(), w) == controls.end()) controls.push_back(w);
            }
    platform::TabChainBefore(*first, controls);
}

} // namespace

void HideWithLabels(std::initializer_list<QWidget*> controls)
{
    for (QWidget* control : controls) {
        if (!control) continue;
        control->hide();
        QWidget* parent = control->parentWidget();
        if (!parent) continue;
        for (auto* grid : parent->findChildren<QGridLayout*>()) {
            const int index = grid->indexOf(control);
            if (index < 0) continue;
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            if (column == 0) break;
            QLayoutItem* left = grid->itemAtPosition(row, column - 1);
            if (auto* label = left ? qobject_cast<QLabel*>(left->widget()) : nullptr) label->hide();
            break;
        }
    }
}

void HideGroupOf(QWidget* control)
{
    for (QWidget* parent = control; parent; parent = parent->parentWidget())
        if (auto* group = qobject_cast<QGroupBox*>(parent)) {
            group->hide();
            return;
        }
}

void TVktBindingControls::Build(TContainerProperty* page, QWidget* parent, QGridLayout* grid, int row,
                                const char* labelName, const char* caption)
{
    Label = new QLabel(platform::ToQString(caption), parent);
    Label->setObjectName(QString::fromLatin1(labelName));
    DataIndexEdit = new TUpDownEdit(parent);
    DataIndexEdit->setObjectName("DataIndexEdit");
    DataIndexEdit->SetLimitType(1);
    DataIndexEdit->SetValueQuiet(0);
    CBItemData = new QCheckBox(platform::ToQString("材料データ"), parent);
    CBItemData->setObjectName("CBItemData");
    ItemIndexEdit = new TUpDownEdit(parent);
    ItemIndexEdit->setObjectName("ItemIndexEdit");
    ItemIndexEdit->SetLimitType(1);
    ItemIndexEdit->SetValueQuiet(0);
    grid->addWidget(Label, row, 0);
    grid->addWidget(DataIndexEdit, row, 1);
    grid->addWidget(CBItemData, row + 1, 0);
    grid->addWidget(ItemIndexEdit, row + 1, 1);
    grid->setColumnStretch(2, 1);
    DataIndexEdit->OnChange = [page](QObject*) { page->ApplyAll(); };
    ItemIndexEdit->OnChange = [page](QObject*) { page->ApplyAll(); };
    QObject::connect(CBItemData, &QCheckBox::toggled, page, platform::Guarded([page](bool) { page->ApplyAll(); }));
}

void TVktBindingControls::Show(TContainer* container)
{
    const TVktDataLink* link = container ? DataLinkOf(container->GetViewItem()) : nullptr;
    if (!link) return;
    if (DataIndexEdit->GetValue() != link->GetPageDataIndex()) DataIndexEdit->SetValueQuiet(link->GetPageDataIndex());
    CBItemData->setChecked(link->GetSubData());
    if (ItemIndexEdit->GetValue() != link->GetSubDataIndex()) ItemIndexEdit->SetValueQuiet(link->GetSubDataIndex());
    const bool slot = link->GetTopContainer() && link->GetPageDataIndex() != 0;
    CBItemData->setEnabled(slot);
    ItemIndexEdit->setEnabled(slot && CBItemData->isChecked());
}

void TVktBindingControls::Write(TContainer* container)
{
    TVktDataLink* link = container ? DataLinkOf(container->GetViewItem()) : nullptr;
    if (!link) return;
    const int index = DataIndexEdit->GetValue();
    link->SetSubData(index != 0 && CBItemData->isChecked());
    link->SetPageDataIndex(index);
    link->SetSubDataIndex(ItemIndexEdit->GetValue());
    Show(container);
}

// Shape container.

TVktContainerProperty::TVktContainerProperty(QWidget* parent) : TGraphicProperty(parent)
{
    setObjectName("VktContainerProperty");
    SetPageType(ctVktContainer);
    HideGroupOf(RBNoSelPage);
    QWidget* first = FirstControl(PageControl, 1);
    QGridLayout* grid = BindingGrid(PageControl, 1, "データとグラフィック");
    Binding.Build(this, TabPage(PageControl, 1), grid, 0, "Label111");
    ReadGridFirst(*grid, first);
}

void TVktContainerProperty::GetProperty(TContainer* container)
{
    TGraphicProperty::GetProperty(container);
    const Updating updating(*this);
    Binding.Show(container);
}

void TVktContainerProperty::SetProperty(TContainer* container)
{
    TGraphicProperty::SetProperty(container);
    Binding.Write(container);
}

// Field container.

TVktFieldProperty::TVktFieldProperty(QWidget* parent) : TTextProperty(parent)
{
    setObjectName("VktFieldProperty");
    SetPageType(ctVktField);
    HideWithLabels({CBParentFont, FontNameList, FontSizeEdit, FontColorList, CBBold, CBItalic, CBUnderLine, CBStrike,
                    RBText, RBPage, RBDate, Edit, TextAngleEdit, TextAngleTrack});
    QWidget* tab = TabPage(PageControl, 1);
    QWidget* first = FirstControl(PageControl, 1);
    QGridLayout* grid = BindingGrid(PageControl, 1, "データとスタイル");
    Label13 = Named(new QLabel(platform::ToQString("項目値"), tab), "Label13");
    FieldList = Named(new QComboBox(tab), "FieldList");
    grid->addWidget(Label13, 0, 0);
    grid->addWidget(FieldList, 0, 1, 1, 2);
    Binding.Build(this, tab, grid, 1, "Label111");
    ReadGridFirst(*grid, first);
    connect(FieldList, &QComboBox::activated, this, platform::Guarded([this](int) { FieldListChange(); }));
}

void TVktFieldProperty::FieldListChange() { ApplyAll(); }

void TVktFieldProperty::GetProperty(TContainer* container)
{
    TTextProperty::GetProperty(container);
    const Updating updating(*this);
    if (FieldList->count() == 0) {
        FieldList->addItem(platform::ToQString("データベース名称"), 0);
        for (int id = 1; id < VktFieldCount; ++id)
            if (ListFieldSet.Contains(id)) FieldList->addItem(platform::ToQString(GetFieldName(ToVktField(id))), id);
    }
    if (auto* field = dynamic_cast<TVktFieldContainer*>(container)) {
        shownField_ = field->GetField();
        FieldList->setCurrentIndex(FieldList->findData(shownField_));
    }
    Binding.Show(container);
}

void TVktFieldProperty::SetProperty(TContainer* container)
{
    TTextProperty::SetProperty(container);
    if (auto* field = dynamic_cast<TVktFieldContainer*>(container)) {
        // A field the list lacks stays until another is picked.
        if (FieldList->currentIndex() >= 0) shownField_ = FieldList->currentData().toInt();
        field->SetField(shownField_);
    }
    Binding.Write(container);
}

// Memo container.

TVktMemoProperty::TVktMemoProperty(QWidget* parent) : TMemoProperty(parent)
{
    setObjectName("VktMemoProperty");
    SetPageType(ctVktMemo);
    HideGroupOf(RBNoSelPage);
    // The memo comes from the record: nothing typed there would be kept.
    PageControl->setTabVisible(1, false);
    QVBoxLayout* column = AddTab("データ", "TabSheet3");
    auto* grid = new QGridLayout;
    column->addLayout(grid);
    column->addStretch(1);
    Binding.Build(this, column->parentWidget(), grid, 0, "Label11");
}

void TVktMemoProperty::GetProperty(TContainer* container)
{
    TMemoProperty::GetProperty(container);
    const Updating updating(*this);
    Binding.Show(container);
}

void TVktMemoProperty::SetProperty(TContainer* container)
{
    TMemoProperty::SetProperty(container);
    Binding.Write(container);
}

// Image container.

TVktImageProperty::TVktImageProperty(QWidget* parent) : TImageProperty(parent)
{
    setObjectName("VktImageProperty");
    SetPageType(ctVktImage);
    HideGroupOf(RBNoSelPage);
    HideWithLabels({CBParentFont, FontNameList, FontSizeEdit, FontColorList, CBBold, CBItalic, CBUnderLine, CBStrike,
                    CBDrawName, ColCountEdit, RowCountEdit});
    // The pictures come from the record.
    PageControl->setTabVisible(2, false);
    QWidget* first = FirstControl(PageControl, 1);
    QGridLayout* grid = BindingGrid(PageControl, 1, "データと表示スタイル");
    Binding.Build(this, TabPage(PageControl, 1), grid, 0, "Label17");
    ReadGridFirst(*grid, first);
}

void TVktImageProperty::GetProperty(TContainer* container)
{
    TImageProperty::GetProperty(container);
    const Updating updating(*this);
    Binding.Show(container);
}

void TVktImageProperty::SetProperty(TContainer* container)
{
    TImageProperty::SetProperty(container);
    Binding.Write(container);
}

// Chart container.

TVktChartProperty::TVktChartProperty(QWidget* parent) : TChartProperty(parent)
{
    setObjectName("VktChartProperty");
    SetPageType(ctVktChart);
    HideGroupOf(RBNoSelPage);
    HideWithLabels({CBParentFont, FontNameList, FontSizeEdit, FontColorList, CBBold, CBItalic, CBUnderLine, CBStrike,
                    TitleEdit, CBXTypeDate, RBDateFormat, RBDateFormat1, LeftChartLimitEdit, TopChartLimitEdit,
                    RightChartLimitEdit, BottomChartLimitEdit, CBChartType});
    // The series come from the records.
    PageControl->setTabVisible(2, false);
    QWidget* tab = TabPage(PageControl, 1);
    QWidget* first = FirstControl(PageControl, 1);
    QGridLayout* grid = BindingGrid(PageControl, 1, "データとグラフスタイル");
    Binding.Build(this, tab, grid, 0, "Label21");
    DataTypeList = MakeList(tab, "DataTypeList", {"月間履歴", "年間履歴", "材料チャート"});
    LabelYHRange = Named(new QLabel(platform::ToQString("表示年数"), tab), "LabelYHRange");
    YHViewRangeEdit = MakeNumber(tab, "YHViewRangeEdit", 1, 1, "", 1, 1);
    YHViewRangeEdit->SetValueQuiet(12);
    LabelItemChart = Named(new QLabel(platform::ToQString("表示項目"), tab), "LabelItemChart");
    ItemChartFieldList = MakeList(tab, "ItemChartFieldList", {"名称", "仏名", "インデックス"});
    grid->addWidget(DataTypeList, 2, 0, 1, 2);
    grid->addWidget(LabelYHRange, 3, 0);
    grid->addWidget(YHViewRangeEdit, 3, 1);
    grid->addWidget(LabelItemChart, 4, 0);
    grid->addWidget(ItemChartFieldList, 4, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{LabelYHRange, YHViewRangeEdit, LabelItemChart, ItemChartFieldList})
        w->hide();
    ReadGridFirst(*grid, first);
    YHViewRangeEdit->OnChange = [this](QObject*) { ApplyAll(); };
    connect(DataTypeList, &QComboBox::activated, this, platform::Guarded([this](int) { DataTypeListChange(); }));
    connect(ItemChartFieldList, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
}

void TVktChartProperty::DataTypeListChange() { ApplyAll(); }

void TVktChartProperty::GraphCountChange() { ApplyAll(); }
void TVktChartProperty::LimitChange() { ApplyAll(); }
void TVktChartProperty::DataCountChange() { ApplyAll(); }
void TVktChartProperty::SeriesColorChange() { ApplyAll(); }

void TVktChartProperty::GetProperty(TContainer* container)
{
    TChartProperty::GetProperty(container);
    const Updating updating(*this);
    Binding.Show(container);
    auto* chart = dynamic_cast<TVktChartContainer*>(container);
    if (!chart) return;
    const int type = chart->GetDataType();
    DataTypeList->setCurrentIndex(type >= 0 && type <= 2 ? type : 2);
    LabelYHRange->setVisible(type == 1);
    YHViewRangeEdit->setVisible(type == 1);
    LabelItemChart->setVisible(type == 2);
    ItemChartFieldList->setVisible(type == 2);
    if (YHViewRangeEdit->GetValue() != chart->GetYHViewRange()) YHViewRangeEdit->SetValueQuiet(chart->GetYHViewRange());
    const int field = chart->GetItemFieldType();
    ItemChartFieldList->setCurrentIndex(field >= 0 && field <= 2 ? field : 2);
}

void TVktChartProperty::SetProperty(TContainer* container)
{
    TChartProperty::SetProperty(container);
    Binding.Write(container);
    auto* chart = dynamic_cast<TVktChartContainer*>(container);
    if (!chart) return;
    chart->SetDataType(DataTypeList->currentIndex());
    chart->SetYHViewRange(YHViewRangeEdit->GetValue());
    chart->SetItemFieldType(ItemChartFieldList->currentIndex());
}

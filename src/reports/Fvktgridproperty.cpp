#include "reports/Fvktgridproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktgridcontainer.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Ffontdropdown.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

void FillSumList(QComboBox& list, const std::vector<int>& fields, int select)
{
    list.clear();
    list.addItem(platform::ToQString("(なし)"), 0);
    for (int id : fields) list.addItem(platform::ToQString(GetFieldCaption(ToVktField(id))), id);
    const int index = list.findData(select);
    list.setCurrentIndex(index < 0 ? 0 : index);
}

int SelectedSum(const QComboBox& list) { return list.currentIndex() < 0 ? 0 : list.currentData().toInt(); }

TVktGridProperty::TVktGridProperty(QWidget* parent) : TGridProperty(parent)
{
    setObjectName("VktGridProperty");
    SetPageType(ctVktGrid);
    HideGroupOf(RBNoSelPage);
    HideWithLabels({CBParentFont, FontNameList, FontSizeEdit, FontColorList, CBBold, CBItalic, CBUnderLine, CBStrike});
    // The cells come from the records.
    PageControl->setTabVisible(2, false);
    QVBoxLayout* column = AddTab("データ", "TabSheet4");
    QWidget* tab = column->parentWidget();
    FieldBox = new TVktFieldListBox(tab, TVktFieldListBox::ColInsert | TVktFieldListBox::GridCaptions, 0);
    column->addWidget(FieldBox, 1);
    auto* grid = new QGridLayout;
    Binding.Build(this, tab, grid, 0, "Label41", "データインデックス");
    NumSjisList = MakeList(tab, "NumSjisList", {"半角数字", "全角数字", "漢数字Ａ", "漢数字Ｂ"});
    FloatTypeList = MakeList(tab, "FloatTypeList", {"固定少数点", "浮動小数点", "切り上げ"});
    CBRowExpand = Named(new QCheckBox(platform::ToQString("行間隔自動"), tab), "CBRowExpand");
    CBSumField = Named(new QComboBox(tab), "CBSumField");
    CBSumClass = Named(new QComboBox(tab), "CBSumClass");
    const auto label = [tab](const char* name, const char* text) {
        return Named(new QLabel(platform::ToQString(text), tab), name);
    };
    grid->addWidget(label("Label37", "数値形式"), 2, 0);
    grid->addWidget(NumSjisList, 2, 1);
    grid->addWidget(label("Label13", "小数点形式"), 3, 0);
    grid->addWidget(FloatTypeList, 3, 1);
    grid->addWidget(CBRowExpand, 4, 0, 1, 2);
    grid->addWidget(label("Label40", "集計項目"), 5, 0);
    grid->addWidget(CBSumField, 5, 1);
    grid->addWidget(label("Label42", "小計項目"), 6, 0);
    grid->addWidget(CBSumClass, 6, 1);
    column->addLayout(grid);
    FillSumList(*CBSumField, {}, 0);
    FillSumList(*CBSumClass, {}, 0);

    FieldBox->OnListChange = [this] { StateListViewChange(); };
    FieldBox->OnSelect = [this] { CheckListViewListViewChange(); };
    FieldBox->OnColInsert = [this] { BtnColInsertClick(); };
    FieldBox->OnWidthChange = [this](int width) { FieldWidthChange(width); };
    FieldBox->OnReturnClick = [this](bool lineBreak) { CBReturnFieldClick(lineBreak); };
    for (QComboBox* list : {NumSjisList, FloatTypeList, CBSumField, CBSumClass})
        connect(list, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    connect(CBRowExpand, &QCheckBox::toggled, this, platform::Guarded([this](bool) { ApplyAll(); }));
}

void TVktGridProperty::RefreshList()
{
    ShowColumnStates(*FieldBox->StateListView, StatesOfFields(stored_, true));
    // A sum field that is still a column stays chosen.
    const TSumChoices sums = SumChoicesOf(stored_);
    FillSumList(*CBSumField, sums.SumFields, SelectedSum(*CBSumField));
    FillSumList(*CBSumClass, sums.SumClasses, SelectedSum(*CBSumClass));
}

void TVktGridProperty::GetProperty(TContainer* container)
{
    TGridProperty::GetProperty(container);
    const Updating updating(*this);
    FillFieldList(*FieldBox->StateListView, ListFieldSet);
    auto* grid = dynamic_cast<TVktGridContainer*>(container);
    if (!grid) return;
    stored_ = grid->GetPreviewFields();
    RefreshList();
    Binding.Show(container);
    NumSjisList->setCurrentIndex(grid->GetNumSjis());
    FloatTypeList->setCurrentIndex(static_cast<int>(grid->GetFloatType()));
    CBRowExpand->setChecked(grid->GetRowExpand());
    const TSumChoices sums = SumChoicesOf(stored_);
    FillSumList(*CBSumField, sums.SumFields, grid->GetSumField());
    FillSumList(*CBSumClass, sums.SumClasses, grid->GetSumClass());
    FieldBox->ShowSelection(stored_);
}

void TVktGridProperty::SetProperty(TContainer* container)
{
    TGridProperty::SetProperty(container);
    auto* grid = dynamic_cast<TVktGridContainer*>(container);
    if (!grid) return;
    Binding.Write(container);
    stored_ = FieldsOfStates(ReadStates(*FieldBox->StateListView), stored_);
    grid->SetPreviewFields(stored_);
    grid->SetFloatType(static_cast<TNSFloatType>(std::max(0, FloatTypeList->currentIndex())));
    grid->SetNumSjis(std::max(0, NumSjisList->currentIndex()));
    grid->SetRowExpand(CBRowExpand->isChecked());
    grid->SetSumField(SelectedSum(*CBSumField));
    grid->SetSumClass(SelectedSum(*CBSumClass));
    FieldBox->ShowSelection(stored_);
}

void TVktGridProperty::CheckListViewListViewChange()
{
    const Updating updating(*this);
    FieldBox->ShowSelection(stored_);
}

void TVktGridProperty::StateListViewChange()
{
    if (GetUpdating()) return;
    const TPreviewFieldStruct fields = FieldsOfStates(ReadStates(*FieldBox->StateListView), stored_);
    if (!(fields != stored_)) return;
    stored_ = fields;
    {
        const Updating updating(*this);
        RefreshList();
    }
    FieldBox->ShowSelection(stored_);
    ApplyAll();
}

void TVktGridProperty::BtnColInsertClick()
{
    const TFieldStates states = ReadStates(*FieldBox->StateListView);
    const TPreviewFieldStruct fields = FieldsOfStates(states, stored_);
    stored_ = InsertEmptyColumn(fields, ColumnOfId(states, FieldBox->SelectedId()));
    {
        const Updating updating(*this);
        RefreshList();
    }
    FieldBox->ShowSelection(stored_);
    ApplyAll();
}

void TVktGridProperty::FieldWidthChange(int width)
{
    if (!GetUpdating() && SetColumnWidth(stored_, FieldBox->SelectedId(), width)) ApplyAll();
}

void TVktGridProperty::CBReturnFieldClick(bool lineBreak)
{
    if (!GetUpdating() && SetColumnBreak(stored_, FieldBox->SelectedId(), lineBreak)) ApplyAll();
}

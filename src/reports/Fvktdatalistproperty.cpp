#include "reports/Fvktdatalistproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "reports/Fvktdataproperty.h"
#include "reports/Fvktfieldlists.h"
#include "reports/Fvktgridproperty.h"
#include "reports/Uvktcontainertypes.h"
#include "reports/Uvktdatalist.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <QVBoxLayout>

TVktTemplateProperty::TVktTemplateProperty(QWidget* parent, int type, int controls) : TFontProperty(parent)
{
    SetPageType(type);
    HideGroupOf(RBNoSelPage);
    for (QWidget* w : std::initializer_list<QWidget*>{TextAlign, CBStrike, CBUnderLine, CBParentFont}) w->hide();
    PageControl->setTabText(1, platform::ToQString("スタイル"));
    QWidget* tab = TabSheet2->parentWidget();
    StyleGrid = new QGridLayout;
    TabSheet2->insertLayout(TabSheet2->count() - 1, StyleGrid);
    const auto check = [tab](const char* name, const char* caption) {
        return Named(new QCheckBox(platform::ToQString(caption), tab), name);
    };
    if (controls & Title) {
        TitleEdit = Named(new QLineEdit(tab), "TitleEdit");
        AddStyleRow("タイトル", TitleEdit);
        connect(TitleEdit, &QLineEdit::editingFinished, this, platform::Guarded([this] { ApplyAll(); }));
    }
    Font2.Build(this, tab, StyleGrid, NextStyleRow());
    NextStyleRow();
    RowHeightEdit = AddStyleRow("行高さ", MakeNumber(tab, "RowHeightEdit", 1, 10, "mm", 10, 10));
    ColGapEdit = AddStyleRow("列間", MakeNumber(tab, "ColGapEdit", 1, 10, "mm", 0, 0));
    if (controls & Paragraphs) {
        ParagraphEdit = AddStyleRow("段組", MakeNumber(tab, "ParagraphEdit", 1, 1, "", 1, 1));
        ParaGapEdit = AddStyleRow("段組間", MakeNumber(tab, "ParaGapEdit", 1, 10, "mm", 0, 0));
    }
    if (controls & Colours) {
        RowColorList = AddStyleRow("行色", Named(new TColorDropDown(tab), "RowColorList"));
        GridColorList = AddStyleRow("枠色", Named(new TColorDropDown(tab), "GridColorList"));
        RowColorList->OnChange = [this](QObject*) { ApplyAll(); };
        GridColorList->OnChange = [this](QObject*) { ApplyAll(); };
    }
    if (controls & Formats)
        NumSjisList = AddStyleRow(
            "数値形式", MakeList(tab, "NumSjisList", {"半角数字", "全角数字", "漢数字Ａ", "漢数字Ｂ"}));
    if (controls & FloatFormat)
        FloatTypeList = AddStyleRow("小数点形式",
                                    MakeList(tab, "FloatTypeList", {"固定少数点", "浮動小数点", "切り上げ"}));
    if (controls & Visibles) {
        CBPageVisible = check("CBPageVisible", "ページ表示");
        CBDateVisible = check("CBDateVisible", "日付表示");
        CBRowLine = check("CBRowLine", "行線有り");
        CBColLine = check("CBColLine", "列線有り");
        CBParaOrient = check("CBParaOrient", "データを横に表示");
        CBDrawFullGrid = check("CBDrawFullGrid", "空のグリッドも表示する");
        AddStylePair(CBPageVisible, CBDateVisible);
        AddStylePair(CBRowLine, CBColLine);
        AddStylePair(CBParaOrient, nullptr);
        AddStylePair(CBDrawFullGrid, nullptr);
    }
    CBChildVisible = check("CBChildVisible", "CBChildVisible");
    CBChildVisible->hide();
    StyleGrid->setColumnStretch(1, 1);

    for (TUpDownEdit* edit : {RowHeightEdit, ColGapEdit, ParagraphEdit, ParaGapEdit})
        if (edit) edit->OnChange = [this](QObject*) { ApplyAll(); };
    for (QComboBox* list : {NumSjisList, FloatTypeList})
        if (list) connect(list, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    for (QCheckBox* box : {CBPageVisible, CBDateVisible, CBParaOrient, CBDrawFullGrid, CBRowLine, CBColLine, CBChildVisible})
        if (box) connect(box, &QCheckBox::toggled, this, platform::Guarded([this](bool) { ApplyAll(); }));
}

void TVktTemplateProperty::AddStylePair(QWidget* left, QWidget* right)
{
    const int row = NextStyleRow();
    StyleGrid->addWidget(left, row, 0);
    if (right) StyleGrid->addWidget(right, row, 1);
}

void TVktTemplateProperty::ShowStyle(const TVktStyleValues& v)
{
    if (TitleEdit) TitleEdit->setText(platform::ToQString(v.Title));
    Font2.Show(v.FontName2, v.FontSize2);
    const auto number = [](TUpDownEdit* edit, int value) {
        if (edit && edit->GetValue() != value) edit->SetValueQuiet(value);
    };
    number(RowHeightEdit, v.RowHeight);
    number(ParagraphEdit, v.Paragraph);
    number(ColGapEdit, v.ColGap);
    number(ParaGapEdit, v.ParaGap);
    const auto box = [](QCheckBox* check, bool value) {
        if (check) check->setChecked(value);
    };
    box(CBPageVisible, v.PageVisible);
    box(CBDateVisible, v.DateVisible);
    box(CBParaOrient, v.ParaOrient);
    box(CBDrawFullGrid, v.DrawFullGrid);
    box(CBRowLine, v.RowLine);
    box(CBColLine, v.ColLine);
    if (RowColorList && RowColorList->GetColor() != v.RowColor) RowColorList->SetColor(v.RowColor);
    if (GridColorList && GridColorList->GetColor() != v.GridColor) GridColorList->SetColor(v.GridColor);
}

TVktStyleValues TVktTemplateProperty::ReadStyle() const
{
    TVktStyleValues v;
    if (TitleEdit) v.Title = platform::FromQString(TitleEdit->text());
    v.FontName2 = Font2.GetName();
    v.FontSize2 = Font2.GetSize();
    v.RowHeight = RowHeightEdit->GetValue();
    v.Paragraph = ParagraphEdit ? ParagraphEdit->GetValue() : 0;
    v.ColGap = ColGapEdit->GetValue();
    v.ParaGap = ParaGapEdit ? ParaGapEdit->GetValue() : 0;
    const auto box = [](const QCheckBox* check) { return check && check->isChecked(); };
    v.PageVisible = box(CBPageVisible);
    v.DateVisible = box(CBDateVisible);
    v.ParaOrient = box(CBParaOrient);
    v.DrawFullGrid = box(CBDrawFullGrid);
    v.RowLine = box(CBRowLine);
    v.ColLine = box(CBColLine);
    v.RowColor = RowColorList ? RowColorList->GetColor() : 0;
    v.GridColor = GridColorList ? GridColorList->GetColor() : 0;
    return v;
}

// Data list.

TVktDataListProperty::TVktDataListProperty(QWidget* parent)
    : TVktTemplateProperty(parent, ctVktDataList, Title | Paragraphs | Colours | Formats | FloatFormat | Visibles)
{
    setObjectName("VktDataListProperty");
    QVBoxLayout* column = AddTab("データ", "ScrollBox3");
    QWidget* tab = column->parentWidget();
    auto* presets = new QHBoxLayout;
    presets->addWidget(new QLabel(platform::ToQString("規定の項目値"), tab));
    DefFieldList = MakeList(tab, "DefFieldList", {"食材リスト", "棚卸し表", "棚卸し表（書き込み用）", "発注表"});
    DefFieldList->setCurrentIndex(-1);
    presets->addWidget(DefFieldList, 1);
    column->addLayout(presets);
    FieldBox = new TVktFieldListBox(tab, TVktFieldListBox::SortButtons | TVktFieldListBox::ColInsert, 10);
    column->addWidget(FieldBox, 1);
    auto* sums = new QGridLayout;
    CBSumField = Named(new QComboBox(tab), "CBSumField");
    CBSumClass = Named(new QComboBox(tab), "CBSumClass");
    sums->addWidget(new QLabel(platform::ToQString("集計項目"), tab), 0, 0);
    sums->addWidget(CBSumField, 0, 1);
    sums->addWidget(new QLabel(platform::ToQString("小計項目"), tab), 1, 0);
    sums->addWidget(CBSumClass, 1, 1);
    sums->setColumnStretch(1, 1);
    column->addLayout(sums);
    FillSumList(*CBSumField, {}, 0);
    FillSumList(*CBSumClass, {}, 0);

    connect(DefFieldList, &QComboBox::activated, this, platform::Guarded([this](int) { DefFieldListChange(); }));
    for (QComboBox* list : {CBSumField, CBSumClass})
        connect(list, &QComboBox::activated, this, platform::Guarded([this](int) { ApplyAll(); }));
    FieldBox->OnListChange = [this] { StateListViewChange(); };
    FieldBox->OnSelect = [this] {
        const Updating updating(*this);
        FieldBox->ShowSelection(fields_);
    };
    FieldBox->OnColInsert = [this] { BtnColInsertClick(); };
    FieldBox->OnWidthChange = [this](int width) { FieldWidthChange(width); };
    FieldBox->OnReturnClick = [this](bool lineBreak) { CBReturnFieldClick(lineBreak); };
}

void TVktDataListProperty::ShowFields(const TPreviewFieldStruct& fields)
{
    const TSumChoices sums = SumChoicesOf(fields);
    if (fields != fields_ || ReadStates(*FieldBox->StateListView) != StatesOfFields(fields)) {
        fields_ = fields;
        const Updating updating(*this);
        ShowColumnStates(*FieldBox->StateListView, StatesOfFields(fields_));
    }
    // A sum field that is still a column stays chosen.
    FillSumList(*CBSumField, sums.SumFields, SelectedSum(*CBSumField));
    FillSumList(*CBSumClass, sums.SumClasses, SelectedSum(*CBSumClass));
    const Updating updating(*this);
    FieldBox->ShowSelection(fields_);
}

TPreviewFieldStruct TVktDataListProperty::ListFields()
{
    TStateListView& list = *FieldBox->StateListView;
    // An empty column cannot sort: a sort state hides it.
    for (int id : SortingIds(ReadStates(list), true))
        if (QListWidgetItem* item = list.ItemOfId(id)) list.SetItemImage(item, 0);
    return FieldsOfStates(ReadStates(list), fields_);
}

void TVktDataListProperty::StateListViewChange()
{
    if (GetUpdating()) return;
    const TPreviewFieldStruct fields = ListFields();
    if (!(fields != fields_)) {
        ShowFields(fields_);
        return;
    }
    DefFieldList->setCurrentIndex(-1);
    ShowFields(fields);
    ApplyAll();
}

void TVktDataListProperty::DefFieldListChange()
{
    const TDataListPreset preset = DataListPreset(DefFieldList->currentIndex());
    if (DefFieldList->currentIndex() >= 0) {
        ShowFields(preset.Fields);
        const TSumChoices sums = SumChoicesOf(preset.Fields);
        FillSumList(*CBSumField, sums.SumFields, preset.SumField);
        FillSumList(*CBSumClass, sums.SumClasses, preset.SumClass);
        TitleEdit->setText(platform::ToQString(preset.Title));
    }
    ApplyAll();
}

void TVktDataListProperty::BtnColInsertClick()
{
    const TFieldStates states = ReadStates(*FieldBox->StateListView);
    const TPreviewFieldStruct fields = ListFields();
    ShowFields(InsertEmptyColumn(fields, ColumnOfId(states, FieldBox->SelectedId())));
    ApplyAll();
}

void TVktDataListProperty::FieldWidthChange(int width)
{
    if (!GetUpdating() && SetColumnWidth(fields_, FieldBox->SelectedId(), width)) ApplyAll();
}

void TVktDataListProperty::CBReturnFieldClick(bool lineBreak)
{
    if (!GetUpdating() && SetColumnBreak(fields_, FieldBox->SelectedId(), lineBreak)) ApplyAll();
}

void TVktDataListProperty::GetProperty(TContainer* container)
{
    FillFieldList(*FieldBox->StateListView, ListFieldSet);
    const Updating updating(*this);
    TFontProperty::GetProperty(container);
    auto* list = dynamic_cast<TVktDataList*>(container);
    if (!list) return;
    ShowFields(list->GetFields());
    const TSumChoices sums = SumChoicesOf(fields_);
    FillSumList(*CBSumField, sums.SumFields, list->GetSumField());
    FillSumList(*CBSumClass, sums.SumClasses, list->GetSumClass());
    ShowStyle(StyleOf(*list));
    FloatTypeList->setCurrentIndex(static_cast<int>(list->GetFloatType()));
    NumSjisList->setCurrentIndex(list->GetNumSjis());
    CBChildVisible->setChecked(list->GetChildVisible());
}

void TVktDataListProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* list = dynamic_cast<TVktDataList*>(container);
    if (!list) return;
    fields_ = FieldsOfStates(ReadStates(*FieldBox->StateListView), fields_);
    list->SetFields(fields_);
    list->SetSumField(SelectedSum(*CBSumField));
    list->SetSumClass(SelectedSum(*CBSumClass));
    const TVktStyleValues style = ReadStyle();
    WriteStyleHead(*list, style);
    list->SetFloatType(static_cast<TNSFloatType>(std::max(0, FloatTypeList->currentIndex())));
    list->SetNumSjis(std::max(0, NumSjisList->currentIndex()));
    WriteStyleTail(*list, style);
    list->SetChildVisible(CBChildVisible->isChecked());
    FieldBox->ShowSelection(fields_);
}

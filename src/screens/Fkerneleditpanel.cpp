#include "screens/Fkerneleditpanel.h"

#include "core/Unumericstring.h"
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/DateTime.h"
#include "platform/FlagScope.h"
#include "platform/NumberText.h"
#include "richtext/Exview.h"
#include "screens/Fclassbar.h"
#include "widgets/Fvktform.h"
#include "widgets/Uaccessible.h"
#include "widgets/Usteadyscrollbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <utility>

namespace {

using F = TVktField;

constexpr int kKernelHeight = 200;
constexpr int kDateHeight = 40;
constexpr int kEditHeight = 20;
// The single-line text edits hold a full line of the text's own size: 4 pixels higher, they and
// their labels 2 pixels up.
constexpr int kTextEditHeight = 24;
constexpr int kTextEditRaise = 2;
constexpr int kEditWidth = 145;
constexpr int kGap = 8;

bool IsNumberField(F field)
{
    return field == F::BuyPrice || field == F::SalePrice || field == F::Quantity || field == F::Yield ||
           field == F::Complete;
}

bool IsKeyField(F field)
{
    return field == F::Class_Key || field == F::Form_Key || field == F::UseUnit_Key || field == F::BuyUnit_Key;
}

bool IsTextField(F field)
{
    return field == F::Data || field == F::Data2 || field == F::Information || field == F::Information2;
}

// Data fields whose notice ids are {record, something else}.
bool HasCompositeIds(F field)
{
    const int number = ToInt(field);
    return field == F::AttrCheck || (number >= ToInt(F::ItemIndex) && number <= ToInt(F::ItemCatIndex)) ||
           number >= ToInt(F::Inventory_Key);
}

// Runs an accessor's query with `filter`.
void Query(TVktAccesser& accesser, const TFilterObject& filter)
{
    accesser.BeginUpdate();
    accesser.SetFilter(filter);
    accesser.EndUpdate();
    if (!accesser.GetListed()) accesser.Refresh();
}

std::string Formatted(const platform::Variant& value) { return NumericString().GetAsString(value); }

// A yield is the usable share in percent: above 0 and at most 100, as the import takes it.
bool NumberAllowed(F field, double value) { return field != F::Yield || (value > 0 && value <= 100); }
constexpr const char* kYieldRange = "歩留まりは0より大きく100以下の値を入力してください。";

} // namespace

TKernelEditPanel::TKernelEditPanel(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName(QStringLiteral("KernelEditPanel"));
    setFont(VktFormFont());
    resize(313, 401);
    scroll_ = new QScrollArea(this);
    scroll_->setAccessibleName(QStringLiteral("データ編集"));
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBar(new TSteadyScrollBar(Qt::Vertical, scroll_));
    scroll_->setWidgetResizable(false);
    // No Tab stop of its own, where no focus would show: the fields it holds take the keys and are
    // scrolled to.
    scroll_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    content_ = new QWidget;
    scroll_->setWidget(content_);
    // Placed for the viewport's width: a panel resized while hidden gets its own resize before
    // the scroll area lays out its viewport.
    scroll_->viewport()->installEventFilter(this);
    auto makePanel = [this](const char* name, int top, int height) {
        auto* panel = new QWidget(content_);
        panel->setObjectName(QString::fromLatin1(name));
        panel->setGeometry(0, top, 313, height);
        panel->setMinimumWidth(97);
        return panel;
    };
    panelKernel_ = makePanel("PanelKernel", 0, kKernelHeight);
    panelDetail_ = makePanel("PanelDetail", kKernelHeight, 160);
    panelDate_ = makePanel("PanelDate", 360, kDateHeight);
    BuildKernel();
    BuildDetail();
    BuildDate();

    TVktObjEvent& events = GetObjEvent();
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) { FieldChanged(field, ids); };
    events.OnRecordsAdd = [this](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
        if (kind == TVktObjKind::Class && ids.GetCount() > 0 && listType_ > ctRoot) {
            TVDBClass reader(sender);
            TFilterObject filter;
            filter.Add(F::Class_ID, foEqual, ids.GetItem(0), {});
            Query(reader, filter);
            if (reader.GetRowCount() > 0) {
                reader.SetRowIndex(0);
                if (reader.GetClassType() == listType_)
                    classSelector_->AddClass(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(),
                                             reader.GetTreeID(), reader.GetClass());
            }
        } else if (kind == TVktObjKind::Form || kind == TVktObjKind::Unit) {
            ReselectUnits(kind == TVktObjKind::Form, kind == TVktObjKind::Unit);
        }
    };
    events.OnRecordsDelete = [this](TVktObject* sender, TVktObjKind kind, TPriorityItem ids) {
        switch (kind) {
        case TVktObjKind::Class:
            if (ids.GetCount() > 0) classSelector_->DeleteClass(ids.GetItem(0));
            break;
        case TVktObjKind::Form:
        case TVktObjKind::Unit: ReselectUnits(kind == TVktObjKind::Form, kind == TVktObjKind::Unit); break;
        case TVktObjKind::Data:
            if (dataId_ == 0 || !sender->IsValid()) break;
            if (sender->GetDataClassType(dataId_) != ctRoot) SetEraseState(sender->GetDataEraseState(dataId_));
            else SetData(0);
            break;
        case TVktObjKind::RecipeItem:
            if (ids.GetCount() > 0 && ids.GetItem(0) == dataId_) Changed();
            break;
        default: break;
        }
    };
    events.OnIconSetChange = [this](TVktObject* sender) {
        classIcons_ = platform::IconList::FromImageList(sender->GetClassIcons());
        classSelector_->SetImages(&classIcons_);
        RefillClasses();
    };
    SetClassType(ctRoot);
}

TKernelEditPanel::~TKernelEditPanel()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

// ===== Construction ===================================================================================

QLabel* TKernelEditPanel::AddLabel(QWidget* panel, const char* name, const char* caption, int x, int y)
{
    auto* label = new QLabel(QString::fromUtf8(caption), panel);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, kEditWidth, 16);
    return label;
}

QLineEdit* TKernelEditPanel::AddLineEdit(QWidget* panel, const char* name, int x, int y, bool readOnly)
{
    auto* edit = new QLineEdit(panel);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, kEditWidth, kEditHeight);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (readOnly) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
    } else {
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { ControlChange(edit); });
    }
    return edit;
}

QComboBox* TKernelEditPanel::AddCombo(QWidget* panel, const char* name, int x, int y)
{
    auto* combo = new QComboBox(panel);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setGeometry(x, y, kEditWidth, kEditHeight);
    combo->setMaxVisibleItems(16);
    connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { ControlChange(combo); });
    return combo;
}

TExView* TKernelEditPanel::AddTextEdit(QWidget* panel, const char* name, int x, int y, TVktField field, bool french)
{
    auto* edit = new TExView(panel);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetEditStyle(evsSingleEdit);
    edit->SetMaxLength(GetFieldSize(field));
    if (french) edit->SetEditOption(edit->GetEditOption() | EVOption(evoEuroText));
    edit->setGeometry(x, y - kTextEditRaise, 297, kTextEditHeight);
    edit->setFrameShape(QFrame::StyledPanel);
    edit->OnChange = [this, edit](TExView*) { ControlChange(edit); };
    return edit;
}

void TKernelEditPanel::Register(QWidget* control, QLabel* label, int field, int column, const char* hint)
{
    controls_.push_back({control, label, column});
    if (label) SetLabelFor(label, control);
    if (field == 0) return;
    control->setProperty(kFieldProperty, field);
    control->installEventFilter(this);
    if (hint) {
        // "short|long": no tool tip, the long text in the status line.
        const QString text = QString::fromUtf8(hint);
        control->setStatusTip(text.section(QLatin1Char('|'), 1));
    }
}

void TKernelEditPanel::BuildKernel()
{
    QWidget* p = panelKernel_;
    QLabel* label = AddLabel(p, "LabelClass", "分類", 16, 0);
    classSelector_ = new TClassBar(p);
    classSelector_->setObjectName(QStringLiteral("ClassSelector"));
    classSelector_->setGeometry(8, 16, 257, 22);
    classSelector_->SetLeafOnly(true);
    classSelector_->OnChange = [this](TClassBar*) { ClassSelectorDropDownChange(); };
    // The drop-down takes the focus; it carries the field.
    Register(classSelector_, label, 0, -1, nullptr);
    Register(classSelector_->GetDropDown(), nullptr, ToInt(F::Class_Key), -1, "|分類を変更します。");
    SetLabelFor(label, classSelector_->GetDropDown());
    btnShow_ = new QPushButton(QStringLiteral("&>>"), p);
    btnShow_->setObjectName(QStringLiteral("BtnShow"));
    btnShow_->setGeometry(272, 16, 33, 22);
    controls_.push_back({btnShow_, nullptr, -1});

    label = AddLabel(p, "LabelName", "名称", 16, 40 - kTextEditRaise);
    nameEdit_ = AddTextEdit(p, "NameEdit", 8, 56, F::Data, false);
    Register(nameEdit_, label, ToInt(F::Data), 0, "|名称を変更します。");
    label = AddLabel(p, "LabelName2", "仏名", 16, 80 - kTextEditRaise);
    name2Edit_ = AddTextEdit(p, "Name2Edit", 8, 96, F::Data2, true);
    Register(name2Edit_, label, ToInt(F::Data2), 0, "|仏名を変更します。");

    label = AddLabel(p, "LabelForm", "形態", 16, 120);
    formSelector_ = AddCombo(p, "FormSelector", 8, 136);
    Register(formSelector_, label, ToInt(F::Form_Key), 1, "|形態を変更します。");
    label = AddLabel(p, "LabelUseUnit", "使用単位", 168, 120);
    useUnitSelector_ = AddCombo(p, "UseUnitSelector", 160, 136);
    Register(useUnitSelector_, label, ToInt(F::UseUnit_Key), 2, "|使用単位を変更します。");
    label = AddLabel(p, "LabelUsePrice", "使用単価", 16, 160);
    usePriceEdit_ = AddLineEdit(p, "UsePriceEdit", 8, 176, true);
    Register(usePriceEdit_, label, 0, 1, nullptr);
    inventoryCheck_ = new QCheckBox(QStringLiteral("棚卸し項目"), p);
    inventoryCheck_->setObjectName(QStringLiteral("InventoryCheck"));
    inventoryCheck_->setGeometry(160, 177, kEditWidth, 18);
    connect(inventoryCheck_, &QCheckBox::toggled, this, [this] { ControlChange(inventoryCheck_); });
    Register(inventoryCheck_, nullptr, ToInt(F::InvItem), 2, "|棚卸し項目を変更します。");
}

void TKernelEditPanel::BuildDetail()
{
    QWidget* p = panelDetail_;
    QLabel* label = AddLabel(p, "LabelBuyUnit", "購入単位", 16, 0);
    buyUnitSelector_ = AddCombo(p, "BuyUnitSelector", 8, 16);
    Register(buyUnitSelector_, label, ToInt(F::BuyUnit_Key), 1, "|購入単位を変更します。");
    label = AddLabel(p, "LabelBuyPrice", "購入単価", 168, 0);
    buyPriceEdit_ = AddLineEdit(p, "BuyPriceEdit", 160, 16, false);
    Register(buyPriceEdit_, label, ToInt(F::BuyPrice), 2, "|購入単価を変更します。");
    label = AddLabel(p, "LabelQuantity", "内容量", 16, 40);
    quantityEdit_ = AddLineEdit(p, "QuantityEdit", 8, 56, false);
    Register(quantityEdit_, label, ToInt(F::Quantity), 1, "|使用単位あたりの内容量を変更します。");
    label = AddLabel(p, "LabelYield", "歩留まり", 168, 40);
    yieldEdit_ = AddLineEdit(p, "YieldEdit", 160, 56, false);
    Register(yieldEdit_, label, ToInt(F::Yield), 2, "|歩留まりを変更します。");

    label = AddLabel(p, "LabelTotalPrice", "合計金額", 16, 0);
    totalPriceEdit_ = AddLineEdit(p, "TotalPriceEdit", 8, 16, true);
    Register(totalPriceEdit_, label, 0, 1, nullptr);
    label = AddLabel(p, "LabelComplete", "出来上がり量", 168, 0);
    completeEdit_ = AddLineEdit(p, "CompleteEdit", 160, 16, false);
    Register(completeEdit_, label, ToInt(F::Complete), 2, "|使用単位あたりの出来上がり量を変更します。");
    label = AddLabel(p, "LabelSalePrice", "売価", 16, 40);
    salePriceEdit_ = AddLineEdit(p, "SalePriceEdit", 8, 56, false);
    Register(salePriceEdit_, label, ToInt(F::SalePrice), 1, "|使用単位あたりの売価を変更します。");
    label = AddLabel(p, "LabelCostRate", "原価率", 168, 40);
    costRateEdit_ = AddLineEdit(p, "CostRateEdit", 160, 56, true);
    Register(costRateEdit_, label, 0, 2, nullptr);

    label = AddLabel(p, "LabelInformation", "説明文", 16, 80 - kTextEditRaise);
    informationEdit_ = AddTextEdit(p, "InformationEdit", 8, 96, F::Information, false);
    Register(informationEdit_, label, ToInt(F::Information), 0, "|説明文を変更します。");
    label = AddLabel(p, "LabelInformation2", "説明文(仏)", 16, 120 - kTextEditRaise);
    information2Edit_ = AddTextEdit(p, "Information2Edit", 8, 136, F::Information2, true);
    Register(information2Edit_, label, ToInt(F::Information2), 0, "|説明文（仏）を変更します。");
}

void TKernelEditPanel::BuildDate()
{
    QWidget* p = panelDate_;
    QLabel* label = AddLabel(p, "LabelCreateDate", "作成日", 16, 0);
    createDateEdit_ = AddLineEdit(p, "CreateDateEdit", 8, 16, true);
    createDateEdit_->setFrame(false);
    createDateEdit_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    createDateEdit_->setBackgroundRole(QPalette::Button);
    Register(createDateEdit_, label, 0, 1, nullptr);
    label = AddLabel(p, "LabelChangeDate", "変更日", 168, 0);
    changeDateEdit_ = AddLineEdit(p, "ChangeDateEdit", 160, 16, true);
    changeDateEdit_->setFrame(false);
    changeDateEdit_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    changeDateEdit_->setBackgroundRole(QPalette::Button);
    Register(changeDateEdit_, label, 0, 2, nullptr);
}

QLabel* TKernelEditPanel::LabelOf(QWidget* control) const
{
    for (const Control& item : controls_)
        if (item.widget == control) return item.label;
    return nullptr;
}

// ===== Record and class type ==========================================================================

void TKernelEditPanel::SetData(int id)
{
    dealerRead_.reset();
    stateRead_ = false;
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid() || id == dataId_) return;
    if (modified_) CancelEdit();
    dataId_ = id;
    // The update reads the record's type and state and arranges the panel for it; run now, it
    // finds the object as tested here.
    arrangeType_ = true;
    const platform::FlagScope tested(validTested_);
    Changed();
}

void TKernelEditPanel::SetClassType(int type)
{
    classType_ = type;
    // The lists of a type stay filled while no record shows; the notices keep them current.
    if (type != listType_ && (type != ctRoot || listType_ < 0)) {
        const platform::FlagScope loading(loading_);
        listType_ = type;
        FillClasses();
        FillForms();
        FillUnits();
    }
    if (type == ctFood || type == ctCook) panelDetail_->resize(panelDetail_->width(), 80);
    else if (type == ctMenu) panelDetail_->resize(panelDetail_->width(), 160);
    scroll_->verticalScrollBar()->setValue(0);
    ShowKernel(type > ctRoot, type == ctFood, type == ctCook || type == ctMenu, type == ctMenu);
    LayoutPanels();
}

void TKernelEditPanel::ShowKernel(bool kernel, bool food, bool cook, bool menu)
{
    shownKinds_ = {kernel, food, cook, menu};
    // A closed editor is not rearranged on its way out and back.
    if (isVisible()) ApplyShownKinds();
}

void TKernelEditPanel::showEvent(QShowEvent* event)
{
    ApplyShownKinds();
    TGuiPanel::showEvent(event);
}

void TKernelEditPanel::ApplyShownKinds()
{
    if (kindsApplied_ == shownKinds_) return;
    kindsApplied_ = shownKinds_;
    const auto [kernel, food, cook, menu] = shownKinds_;
    auto show = [this](QWidget* control, bool visible) {
        control->setVisible(visible);
        if (QLabel* label = LabelOf(control)) label->setVisible(visible);
    };
    for (QWidget* control : {static_cast<QWidget*>(classSelector_), static_cast<QWidget*>(btnShow_),
                             static_cast<QWidget*>(nameEdit_), static_cast<QWidget*>(name2Edit_),
                             static_cast<QWidget*>(formSelector_), static_cast<QWidget*>(useUnitSelector_),
                             static_cast<QWidget*>(usePriceEdit_), static_cast<QWidget*>(inventoryCheck_),
                             static_cast<QWidget*>(createDateEdit_), static_cast<QWidget*>(changeDateEdit_)})
        show(control, kernel);
    for (QWidget* control : {static_cast<QWidget*>(buyUnitSelector_), static_cast<QWidget*>(buyPriceEdit_),
                             static_cast<QWidget*>(quantityEdit_), static_cast<QWidget*>(yieldEdit_)})
        show(control, food);
    for (QWidget* control : {static_cast<QWidget*>(completeEdit_), static_cast<QWidget*>(salePriceEdit_),
                             static_cast<QWidget*>(costRateEdit_), static_cast<QWidget*>(totalPriceEdit_)})
        show(control, cook);
    show(informationEdit_, menu);
    show(information2Edit_, menu);
}

void TKernelEditPanel::SetEraseState(int state)
{
    eraseState_ = state;
    panelDetail_->setVisible(state != -2);
    // A record in the trash or kept, or any record of a database opened read-only, is only shown.
    const TVktObject* object = GetVktObject();
    const bool editable = state == 0 && !(object && object->IsReadOnly());
    for (const Control& item : controls_)
        if (item.widget != classSelector_->GetDropDown()) item.widget->setEnabled(editable);
    // The text edits draw their own background: the disabled one as a disabled line edit.
    const QColor back = palette().color(editable ? QPalette::Active : QPalette::Disabled,
                                        editable ? QPalette::Base : QPalette::Window);
    for (TExView* edit : {nameEdit_, name2Edit_, informationEdit_, information2Edit_})
        edit->SetColor(platform::FromQColor(back));
    LayoutPanels();
}

void TKernelEditPanel::SetSideBySide(bool on)
{
    sideBySide_ = on;
    LayoutPanels();
}

void TKernelEditPanel::FillClasses()
{
    classSelector_->Clear();
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return;
    TVDBClass reader(object);
    TFilterObject filter;
    if (IsFamilyClassType(listType_)) filter.Add(F::ClassType, foEqual, listType_, {});
    Query(reader, filter);
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        classSelector_->AddClass(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(), reader.GetTreeID(),
                                 reader.GetClass());
    }
}

void TKernelEditPanel::FillForms()
{
    formSelector_->clear();
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid() || !IsFamilyClassType(listType_)) return;
    TVDBUnits reader(object);
    TFilterObject filter;
    filter.SetKind(listType_);
    Query(reader, filter);
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        formSelector_->addItem(platform::ToQString(reader.GetUnits()), reader.GetUnitsID());
    }
}

void TKernelEditPanel::FillUnits()
{
    useUnitSelector_->clear();
    buyUnitSelector_->clear();
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid() || !IsFamilyClassType(listType_)) return;
    TVDBUnits reader(object);
    TFilterObject filter;
    filter.SetKind(listType_ + 3);
    Query(reader, filter);
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        const QString name = platform::ToQString(reader.GetUnits());
        useUnitSelector_->addItem(name, reader.GetUnitsID());
        if (listType_ == ctFood) buyUnitSelector_->addItem(name, reader.GetUnitsID());
    }
}

void TKernelEditPanel::LoadData()
{
    TVktObject* object = GetVktObject();
    if (!object || !IsFamilyClassType(classType_)) return;
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, dataId_, {});
    std::unique_ptr<TVDBKernel> reader;
    if (classType_ == ctFood) reader = std::make_unique<TVDBFood>(object);
    else if (classType_ == ctCook) reader = std::make_unique<TVDBCook>(object);
    else reader = std::make_unique<TVDBMenu>(object);
    Query(*reader, filter);
    if (reader->GetRowCount() == 0) return;
    reader->SetRowIndex(0);
    const platform::FlagScope loading(loading_);
    SetKey(ToInt(F::Class_Key), reader->GetClassKey());
    SetKey(ToInt(F::Form_Key), reader->GetFormKey());
    SetKey(ToInt(F::UseUnit_Key), reader->GetUseUnitKey());
    SetText(ToInt(F::Data), reader->GetData());
    SetText(ToInt(F::Data2), reader->GetData2());
    usePriceEdit_->setText(platform::ToQString(NumericString().GetUnitPriceText(reader->GetUsePrice())));
    inventoryCheck_->setChecked(reader->GetInvItem());
    createDateEdit_->setText(platform::ToQString(platform::DateToStr(reader->GetCreateDate())));
    changeDateEdit_->setText(platform::ToQString(platform::DateToStr(reader->GetChangeDate())));
    if (auto* food = dynamic_cast<TVDBFood*>(reader.get())) {
        SetKey(ToInt(F::BuyUnit_Key), food->GetBuyUnitKey());
        dealerRead_ = food->GetDealerKey();
        buyPrice_ = food->GetBuyPrice();
        quantity_ = food->GetQuantity();
        yield_ = food->GetYield();
        for (F field : {F::BuyPrice, F::Quantity, F::Yield}) ShowNumber(ToInt(field));
    } else if (auto* cook = dynamic_cast<TVDBCook*>(reader.get())) {
        complete_ = cook->GetComplete();
        salePrice_ = cook->GetSalePrice();
        for (F field : {F::Complete, F::SalePrice}) ShowNumber(ToInt(field));
        totalPriceEdit_->setText(platform::ToQString(Formatted(cook->GetTotalPrice())));
        costRateEdit_->setText(platform::ToQString(Formatted(cook->GetCostRate()) + "%"));
        if (auto* menu = dynamic_cast<TVDBMenu*>(cook)) {
            SetText(ToInt(F::Information), menu->GetInformation());
            SetText(ToInt(F::Information2), menu->GetInformation2());
        }
    }
}

// ===== Binding and rebuild ============================================================================

void TKernelEditPanel::DoAttach()
{
    listType_ = -1;
    classIcons_ = platform::IconList::FromImageList(GetVktObject()->GetClassIcons());
    classSelector_->SetImages(&classIcons_);
}

void TKernelEditPanel::DoDetach()
{
    if (modified_) CancelEdit();
    classSelector_->SetImages(nullptr);
    dataId_ = 0;
    listType_ = -1;
    SetClassType(ctRoot);
}

void TKernelEditPanel::DoUpdate()
{
    TVktObject* object = GetVktObject();
    if (!object || (!validTested_ && !object->IsValid())) return;
    const int type = object->GetDataClassType(dataId_);
    if (std::exchange(arrangeType_, false) || type != classType_) SetClassType(type);
    SetEraseState(object->GetDataEraseState(dataId_));
    stateRead_ = true;
    LoadData();
}

// ===== Field values ===================================================================================

int TKernelEditPanel::FieldOf(const QWidget* control)
{
    return control ? control->property(kFieldProperty).toInt() : 0;
}

QLineEdit* TKernelEditPanel::NumberEdit(int field) const
{
    switch (ToVktField(field)) {
    case F::BuyPrice: return buyPriceEdit_;
    case F::Quantity: return quantityEdit_;
    case F::Yield: return yieldEdit_;
    case F::Complete: return completeEdit_;
    case F::SalePrice: return salePriceEdit_;
    default: return nullptr;
    }
}

int TKernelEditPanel::GetKey(int field) const
{
    if (ToVktField(field) == F::Class_Key) return classSelector_->GetClassID();
    const QComboBox* combo = field == ToInt(F::Form_Key)      ? formSelector_
                             : field == ToInt(F::UseUnit_Key) ? useUnitSelector_
                                                              : buyUnitSelector_;
    return combo->currentIndex() < 0 ? 0 : combo->currentData().toInt();
}

void TKernelEditPanel::SetKey(int field, int key)
{
    const platform::FlagScope loading(loading_);
    if (ToVktField(field) == F::Class_Key) {
        classSelector_->SetClassID(key);
        return;
    }
    QComboBox* combo = field == ToInt(F::Form_Key)      ? formSelector_
                       : field == ToInt(F::UseUnit_Key) ? useUnitSelector_
                                                        : buyUnitSelector_;
    combo->setCurrentIndex(combo->findData(key));
}

std::string TKernelEditPanel::GetText(int field) const
{
    switch (ToVktField(field)) {
    case F::Data: return nameEdit_->GetText();
    case F::Data2: return name2Edit_->GetText();
    case F::Information: return informationEdit_->GetText();
    default: return information2Edit_->GetText();
    }
}

void TKernelEditPanel::SetText(int field, const std::string& text)
{
    TExView* edit = field == ToInt(F::Data)          ? nameEdit_
                    : field == ToInt(F::Data2)       ? name2Edit_
                    : field == ToInt(F::Information) ? informationEdit_
                                                     : information2Edit_;
    if (edit->GetText() == text) return;
    const platform::FlagScope loading(loading_);
    edit->SetText(text);
}

double TKernelEditPanel::GetNumber(int field) const
{
    switch (ToVktField(field)) {
    case F::BuyPrice: return buyPrice_.ToDouble();
    case F::SalePrice: return salePrice_.ToDouble();
    case F::Quantity: return quantity_;
    case F::Yield: return yield_;
    default: return complete_;
    }
}

void TKernelEditPanel::SetNumber(int field, double value)
{
    switch (ToVktField(field)) {
    case F::BuyPrice: buyPrice_ = platform::Currency::FromDouble(value); break;
    case F::SalePrice: salePrice_ = platform::Currency::FromDouble(value); break;
    case F::Quantity: quantity_ = value; break;
    case F::Yield: yield_ = value; break;
    default: complete_ = value; break;
    }
}

bool TKernelEditPanel::ReadNumber(int field, double& value) const
{
    const std::string text = platform::FromQString(NumberEdit(field)->text());
    value = 0;
    return text.empty() || platform::TryStrToFloat(text, value);
}

// The bare number while focused, the formatted one otherwise.
void TKernelEditPanel::ShowNumber(int field)
{
    QLineEdit* edit = NumberEdit(field);
    if (!edit) return;
    const F f = ToVktField(field);
    std::string text;
    if (edit->hasFocus()) {
        text = f == F::BuyPrice    ? buyPrice_.ToText()
               : f == F::SalePrice ? salePrice_.ToText()
                                   : platform::FloatToStr(GetNumber(field));
    } else if (f == F::BuyPrice || f == F::SalePrice) {
        text = Formatted(f == F::BuyPrice ? buyPrice_ : salePrice_);
    } else {
        text = Formatted(GetNumber(field)) + (f == F::Yield ? "%" : "");
    }
    const platform::FlagScope loading(loading_);
    edit->setText(platform::ToQString(text));
}

// ===== Edit cycle =====================================================================================

void TKernelEditPanel::SetModified(bool value)
{
    if (value == modified_) return;
    modified_ = value;
    if (OnModifiedChange) OnModifiedChange(this);
}

void TKernelEditPanel::ControlEnter(QWidget* control)
{
    editControl_ = control;
    const int field = FieldOf(control);
    const F f = ToVktField(field);
    if (f == F::InvItem) undoCheck_ = inventoryCheck_->isChecked();
    else if (IsKeyField(f)) undoKey_ = GetKey(field);
    else if (IsTextField(f)) undoText_ = GetText(field);
    else if (IsNumberField(f)) {
        undoNumber_ = GetNumber(field);
        const platform::FlagScope loading(loading_);
        NumberEdit(field)->setText(platform::ToQString(platform::FloatToStr(undoNumber_)));
    }
}

void TKernelEditPanel::ControlChange(QWidget* control)
{
    if (loading_ || !editControl_ || control != editControl_) return;
    const int field = FieldOf(control);
    const F f = ToVktField(field);
    if (f == F::InvItem) {
        SetModified(inventoryCheck_->isChecked() != undoCheck_);
    } else if (IsKeyField(f)) {
        SetModified(GetKey(field) != undoKey_);
    } else if (IsTextField(f)) {
        SetModified(GetText(field) != undoText_);
    } else if (IsNumberField(f)) {
        // A text on its way to a number ("-", ".") stays as typed; it is checked when applied.
        double value = 0;
        if (ReadNumber(field, value)) {
            SetNumber(field, value);
            SetModified(GetNumber(field) != undoNumber_);
        } else {
            SetNumber(field, undoNumber_);
            SetModified(true);
        }
    } else {
        SetModified(false);
    }
}

void TKernelEditPanel::ClassSelectorDropDownChange()
{
    if (loading_ || editControl_ != classSelector_->GetDropDown()) return;
    SetModified(classSelector_->GetClassID() != undoKey_);
}

void TKernelEditPanel::ControlExit(QWidget* control)
{
    if (modified_) ApplyEdit();
    const int field = FieldOf(control);
    if (IsNumberField(ToVktField(field))) ShowNumber(field);
    editControl_ = nullptr;
}

bool TKernelEditPanel::ControlKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (!modified_) return false;
        CancelEdit();
        return true;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & Qt::ControlModifier)) {
        ApplyEdit();
        return true;
    }
    return false;
}

bool TKernelEditPanel::Write(TVktField field, const platform::Variant& value)
{
    TPriorityItem ids;
    ids << dataId_;
    const platform::BusyCursor busy;
    if (GetVktObject()->EditData(field, value, ids)) return true;
    // Not stored (the database object said why): the record shows as stored, and an edit still
    // going on starts again from there.
    Changed();
    if (editControl_) ControlEnter(editControl_);
    return false;
}

void TKernelEditPanel::ApplyUseUnit()
{
    // Both units are kept here: the request may open a window, and focus moving while it is open
    // must not touch the entry value.
    const int newUnit = GetKey(ToInt(F::UseUnit_Key));
    const int oldUnit = undoKey_;
    TVktObject* object = GetVktObject();
    if (classType_ == ctFood) {
        bool convert = true;
        double rate = 1.0;
        if (!platform::Services().ShiftDown() && OnUseUnitChange) {
            const platform::FlagScope asking(unitRequest_);
            OnUseUnitChange(this, dataId_, convert, rate, newUnit, oldUnit);
        }
        if (!convert) {
            undoKey_ = oldUnit;
            SetKey(ToInt(F::UseUnit_Key), oldUnit);
            SetModified(false);
            return;
        }
        const platform::BusyCursor busy;
        undoKey_ = newUnit;
        if (Write(F::UseUnit_Key, newUnit)) object->ConvertHistoryUnit(dataId_, newUnit, rate);
        return;
    }
    undoKey_ = newUnit;
    Write(F::UseUnit_Key, newUnit);
}

void TKernelEditPanel::ApplyEdit()
{
    TVktObject* object = GetVktObject();
    const int field = FieldOf(editControl_);
    if (!modified_ || !object || !object->IsValid() || field == 0) return;
    SetModified(false);
    const F f = ToVktField(field);
    if (f == F::UseUnit_Key) {
        ApplyUseUnit();
    } else if (f == F::InvItem) {
        undoCheck_ = inventoryCheck_->isChecked();
        Write(f, undoCheck_);
    } else if (IsKeyField(f)) {
        undoKey_ = GetKey(field);
        Write(f, undoKey_);
    } else if (IsTextField(f)) {
        undoText_ = GetText(field);
        Write(f, undoText_);
    } else if (IsNumberField(f)) {
        double value = 0;
        const bool read = ReadNumber(field, value);
        if (!read || !NumberAllowed(f, value)) {
            SetNumber(field, undoNumber_);
            ShowNumber(field);
            if (read) platform::ShowError(kYieldRange);
            return;
        }
        SetNumber(field, value);
        undoNumber_ = GetNumber(field);
        Write(f, undoNumber_);
    }
}

void TKernelEditPanel::CancelEdit()
{
    TVktObject* object = GetVktObject();
    const int field = FieldOf(editControl_);
    if (!modified_ || !object || !object->IsValid() || field == 0) return;
    SetModified(false);
    const F f = ToVktField(field);
    const platform::FlagScope loading(loading_);
    if (f == F::InvItem) {
        inventoryCheck_->setChecked(undoCheck_);
    } else if (IsKeyField(f)) {
        SetKey(field, undoKey_);
    } else if (IsTextField(f)) {
        SetText(field, undoText_);
    } else if (IsNumberField(f)) {
        SetNumber(field, undoNumber_);
        ShowNumber(field);
    }
}

bool TKernelEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize) {
        LayoutPanels();
        return false;
    }
    const bool focusChange = event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut;
    if (!focusChange && event->type() != QEvent::KeyPress) return TGuiPanel::eventFilter(watched, event);
    auto* control = qobject_cast<QWidget*>(watched);
    if (control && FieldOf(control) != 0 && !(unitRequest_ && focusChange)) {
        switch (event->type()) {
        case QEvent::FocusIn:
            ControlEnter(control);
            break;
        case QEvent::FocusOut: {
            // A drop-down's list or a window switch does not leave the control.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && editControl_ == control)
                ControlExit(control);
            break;
        }
        case QEvent::KeyPress:
            if (ControlKeyDown(static_cast<QKeyEvent*>(event))) return true;
            break;
        default: break;
        }
    }
    return TGuiPanel::eventFilter(watched, event);
}

// ===== Notices ========================================================================================

void TKernelEditPanel::FieldChanged(TVktField field, const TPriorityItem& ids)
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid() || ids.GetCount() == 0) return;
    const int number = ToInt(field);
    if (number >= ToInt(F::Class_ID) && number <= ToInt(F::Icon_Key)) {
        // A class moved in the tree or given another type: the kept list is read again.
        if (field == F::Class_ID || field == F::TreeID || field == F::ClassType) {
            RefillClasses();
            return;
        }
        const int index = classSelector_->FindItem(ids.GetItem(0));
        if (index < 0 || (field != F::Class && field != F::Icon_Key)) return;
        TVDBClass reader(object);
        TFilterObject filter;
        filter.Add(F::Class_ID, foEqual, ids.GetItem(0), {});
        Query(reader, filter);
        if (reader.GetRowCount() == 0) return;
        reader.SetRowIndex(0);
        if (field == F::Class) classSelector_->SetItemName(index, reader.GetClass());
        else classSelector_->SetItemIcon(index, reader.GetIconKey());
    } else if (number >= ToInt(F::Units_ID) && number <= ToInt(F::YHistoryUnit2)) {
        ReselectUnits(true, true);
    } else if (DataFields.Contains(number) && dataId_ != 0) {
        // A batch names many records; the shown one may stand anywhere among them.
        const bool named = HasCompositeIds(field) ? ids.GetItem(0) == dataId_ : ids.IndexOf(dataId_) >= 0;
        if (named) Changed();
    }
}

void TKernelEditPanel::RefillClasses()
{
    const int selected = classSelector_->GetClassID();
    const platform::FlagScope loading(loading_);
    FillClasses();
    classSelector_->SetClassID(selected);
}

void TKernelEditPanel::ReselectUnits(bool forms, bool units)
{
    const int form = GetKey(ToInt(F::Form_Key));
    const int useUnit = GetKey(ToInt(F::UseUnit_Key));
    const int buyUnit = GetKey(ToInt(F::BuyUnit_Key));
    const platform::FlagScope loading(loading_);
    if (forms) {
        FillForms();
        SetKey(ToInt(F::Form_Key), form);
    }
    if (units) {
        FillUnits();
        SetKey(ToInt(F::UseUnit_Key), useUnit);
        SetKey(ToInt(F::BuyUnit_Key), buyUnit);
    }
}

// ===== Layout =========================================================================================

void TKernelEditPanel::LayoutPanels()
{
    const int width = std::max(97, scroll_->viewport()->width());
    const int half = sideBySide_ ? width / 2 : width;
    const int right = sideBySide_ ? half : 0;
    const int rest = sideBySide_ ? width - half : width;
    panelKernel_->setGeometry(0, 0, half, kKernelHeight);
    panelDetail_->setGeometry(right, sideBySide_ ? 0 : kKernelHeight, rest, panelDetail_->height());
    int dateTop = 0;
    if (panelDetail_->isVisibleTo(content_)) dateTop = panelDetail_->geometry().bottom() + 1;
    else if (!sideBySide_) dateTop = kKernelHeight;
    panelDate_->setGeometry(right, dateTop, rest, kDateHeight);
    btnShow_->move(half - 41, btnShow_->y());
    classSelector_->resize(std::max(40, btnShow_->x() - kGap - classSelector_->x()), classSelector_->height());
    for (QWidget* panel : {panelKernel_, panelDetail_, panelDate_}) LayoutColumns(panel);
    int bottom = panelKernel_->geometry().bottom();
    for (QWidget* panel : {panelDetail_, panelDate_})
        if (panel->isVisibleTo(content_)) bottom = std::max(bottom, panel->geometry().bottom());
    content_->resize(width, bottom + 1);
}

void TKernelEditPanel::LayoutColumns(QWidget* panel)
{
    const int column = std::max(1, (panelKernel_->width() - 24) / 2);
    for (const Control& item : controls_) {
        if (item.widget->parentWidget() != panel || item.column < 0) continue;
        QWidget* w = item.widget;
        if (item.column == 0) {
            w->setGeometry(kGap, w->y(), std::max(1, panelKernel_->width() - 2 * kGap), w->height());
        } else if (item.column == 1) {
            w->setGeometry(kGap, w->y(), column, w->height());
        } else {
            w->setGeometry(kGap + column + kGap, w->y(), column, w->height());
            if (item.label) item.label->move(w->x() + kGap, item.label->y());
        }
    }
}

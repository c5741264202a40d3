#include "dialogs/Fothereditdialog.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/Anchors.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/Settings.h"
#include "platform/FlagScope.h"
#include "richtext/Exview.h"
#include "screens/Fattributeeditpanel.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Fclassunitsedit.h"
#include "screens/Fclassview.h"
#include "screens/Fdealereditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Funitseditpanel.h"
#include "screens/Fuserfilteredit.h"
#include "widgets/Fvktform.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QTableView>
#include <QTreeWidget>

#include <charconv>
#include <vector>

namespace {

using F = TVktField;

constexpr int kHelpContext = 4160;
constexpr int kDesignClientWidth = 600;
constexpr int kDesignClientHeight = 440;
constexpr int kDealerListWidth = 160;
constexpr int kFilterListWidth = 140;

struct TTabText {
    const char* caption;
    const char* kind;
};
constexpr TTabText kTabs[] = {{"アイコン", "アイコン"},   {"分類", "分類項目"}, {"形態", "形態項目"},
                              {"単位", "単位項目"},       {"業者", "業者項目"}, {"属性", "属性項目"},
                              {"ユーザーフィルター", "ユーザーフィルター"}};

void OnClick(QPushButton* button, QObject* context, std::function<void()> fn)
{
    QObject::connect(button, &QPushButton::clicked, context, [fn = std::move(fn)] { platform::Guard(fn); });
}

// A stored width: a positive integer, else the design width.
int StoredWidth(const platform::SettingsKey& key, const std::string& name, int design)
{
    const std::string text = key.ReadString(name);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value > 0 ? value : design;
}

// Rows (id, name) of a master table.
template <class Reader, class Read>
std::vector<TUnitRow> ReadRows(TVktObject* object, Read read)
{
    std::vector<TUnitRow> rows;
    Reader reader(object);
    reader.Refresh();
    for (int row = 0; row < reader.GetRowCount(); ++row) {
        reader.SetRowIndex(row);
        rows.push_back(read(reader));
    }
    return rows;
}

} // namespace

// ===== The rule table ==================================================================================

TOtherEditEnables OtherEditEnables(const TOtherEditState& s)
{
    TOtherEditEnables e;
    const auto on = [&](int tab) { return s.active && s.tab == tab; };
    const bool icons = on(TOtherEditDialog::tbIcon);
    e.iconLoadSave = icons;
    e.iconDelete = icons && s.iconIndex < s.iconCount && !s.iconUsed;

    const bool classes = on(TOtherEditDialog::tbClass) && s.classSelected;
    e.classEdits = e.classNew = classes && s.classDepth >= 3;
    e.classChildNew = classes && s.classBranchOrEmpty;
    e.classDelete = classes && s.classDepth >= 3 && !s.classHasContents;
    e.classMove = on(TOtherEditDialog::tbClass);
    e.classReturn = on(TOtherEditDialog::tbClass) && s.classModified;

    const bool units = on(TOtherEditDialog::tbForm) || on(TOtherEditDialog::tbUnit);
    const bool unitRow = units && s.unitId != 0;
    e.unitEdits = unitRow && s.unitId != 1;
    e.unitNew = units;
    e.unitDelete = unitRow && s.unitId != 1 && !s.unitUsed;
    e.unitReturn = units && s.unitModified;
    e.unitUp = unitRow && s.unitRow > 0 && s.unitId != 1 && s.previousUnitId != 1;
    e.unitDown = unitRow && s.unitRow < s.unitRows - 1 && s.unitId != 1;

    const bool dealers = on(TOtherEditDialog::tbDealer);
    const bool dealerRow = dealers && s.dealerId != 0;
    e.dealerNew = dealers;
    e.dealerDelete = dealerRow && s.dealerId != 1 && !s.dealerUsed;
    e.dealerReturn = dealers && s.dealerModified;
    e.dealerUp = dealerRow && s.dealerRow > 0 && s.dealerId != 1 && s.previousDealerId != 1;
    e.dealerDown = dealerRow && s.dealerRow < s.dealerRows - 1 && s.dealerId != 1;

    const bool attributes = on(TOtherEditDialog::tbAttribute);
    e.attrNew = attributes;
    e.attrDelete = attributes && s.attrId != 0;
    e.attrReturn = attributes && s.attrModified;
    e.attrUp = attributes && s.attrId != 0 && s.attrRow > 0;
    e.attrDown = attributes && s.attrId != 0 && s.attrRow < s.attrRows - 1;

    const bool filters = on(TOtherEditDialog::tbFilter);
    e.filterNew = filters;
    e.filterChosen = filters && s.filterIndex != -1;
    e.filterChanged = filters && s.filterModified;
    e.filterUp = e.filterChosen && s.filterIndex > 0;
    e.filterDown = e.filterChosen && s.filterIndex < s.filterCount - 1;
    return e;
}

// ===== TOtherEditDialog ================================================================================

const char* const TOtherEditDialog::kLoadFilter =
    "画像ファイル (*.bmp;*.jpg;*.jpeg)|*.bmp;*.jpg;*.jpeg|すべてのファイル (*.*)|*.*";

std::string TOtherEditDialog::TabCaption(int tab) { return tab >= 0 && tab < tbCount ? kTabs[tab].caption : ""; }
std::string TOtherEditDialog::KindName(int tab) { return tab >= 0 && tab < tbCount ? kTabs[tab].kind : ""; }

TOtherEditDialog::TOtherEditDialog(QWidget* parent) : TVktDialog(parent)
{
    using platform::AnchorSide;
    setObjectName(QStringLiteral("OtherEditDialog"));
    setWindowTitle(QStringLiteral("データベースの詳細"));
    setSizeGripEnabled(true);
    QWidget* client = GetClient();
    const int clientWidth = client->width();
    const int pageBottom = GetBevel()->y() - 4;

    tabControl_ = new QTabBar(client);
    tabControl_->setObjectName(QStringLiteral("TabControl"));
    tabControl_->setExpanding(false);
    tabControl_->setDrawBase(true);
    for (const TTabText& tab : kTabs) tabControl_->addTab(platform::ToQString(tab.caption));
    tabControl_->setGeometry(8, 8, clientWidth - 16, 24);
    platform::Anchor(*tabControl_, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right);

    iconEditPanel_ = new TIconEditPanel(client);
    classUnitsEdit_ = new TClassUnitsEdit(client, this);
    dealerEditPanel_ = new TDealerEditPanel(client);
    attributeEditPanel_ = new TAttributeEditPanel(client);
    userFilterEdit_ = new TUserFilterEdit(client, this);
    userFilterEdit_->setObjectName(QStringLiteral("UserFilterEdit"));
    for (QWidget* page : {static_cast<QWidget*>(iconEditPanel_), static_cast<QWidget*>(classUnitsEdit_),
                          static_cast<QWidget*>(dealerEditPanel_), static_cast<QWidget*>(attributeEditPanel_),
                          static_cast<QWidget*>(userFilterEdit_)}) {
        page->setGeometry(8, 34, clientWidth - 16, pageBottom - 34);
        platform::Anchor(*page, AnchorSide::Left | AnchorSide::Top | AnchorSide::Right | AnchorSide::Bottom);
        page->hide();
    }
    iconEditPanel_->show();

    GetBtnCancel()->hide();
    GetBtnSetting()->hide();
    QPushButton* ok = GetBtnOk();
    ok->setText(QStringLiteral("閉じる"));
    ok->move(GetBtnSetting()->pos());
    platform::Anchor(*ok, AnchorSide::Right | AnchorSide::Bottom);
    disconnect(ok, nullptr, this, nullptr);
    OnClick(ok, this, [this] { BtnOkClick(); });
    OnClick(GetBtnHelp(), this, [] { platform::ShowHelp(kHelpContext); });
    // The keys run as the eye reads the row: 閉じる, then ヘルプ right of it.
    setTabOrder(ok, GetBtnHelp());
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { platform::Guard([this] { platform::ShowHelp(HelpContext(shownTab_)); }); });

    connect(tabControl_, &QTabBar::currentChanged, this,
            [this](int index) { platform::Guard([&] { TabControlChange(index); }); });

    // The pages' buttons the dialog handles.
    OnClick(iconEditPanel_->GetBtnLoad(), this, [this] { BtnLoadClick(); });
    for (QPushButton* b : {iconEditPanel_->GetBtnDelete(), classUnitsEdit_->GetClassEditPanel()->GetBtnDelete(),
                           classUnitsEdit_->GetFormEditPanel()->GetBtnDelete(),
                           classUnitsEdit_->GetUnitEditPanel()->GetBtnDelete(), dealerEditPanel_->GetBtnDelete(),
                           attributeEditPanel_->GetBtnDelete(), userFilterEdit_->GetBtnDelete()})
        OnClick(b, this, [this] { BtnDeleteClick(); });
    for (QPushButton* b : {dealerEditPanel_->GetBtnNew(), attributeEditPanel_->GetBtnNew()})
        OnClick(b, this, [this] { BtnNewClick(); });
    for (QPushButton* b : {classUnitsEdit_->GetFormEditPanel()->GetBtnUp(), classUnitsEdit_->GetUnitEditPanel()->GetBtnUp(),
                           dealerEditPanel_->GetBtnUp(), attributeEditPanel_->GetBtnUp()})
        OnClick(b, this, [this] { MoveRow(-1); });
    for (QPushButton* b : {classUnitsEdit_->GetFormEditPanel()->GetBtnDown(),
                           classUnitsEdit_->GetUnitEditPanel()->GetBtnDown(), dealerEditPanel_->GetBtnDown(),
                           attributeEditPanel_->GetBtnDown()})
        OnClick(b, this, [this] { MoveRow(1); });
    dealerEditPanel_->OnReturn = [this](QObject*) { DealerReturn(); };
    dealerEditPanel_->OnSelect = [this](QObject*) { LoadDealer(); };
    attributeEditPanel_->OnReturn = [this](QObject*) { AttributeReturn(); };

    TVktObjEvent& events = GetEvents();
    events.OnIconSetChange = [this](TVktObject*) {
        lookupDirty_ = true;
        iconEditPanel_->RefreshImages();
    };
    events.OnFilterSetChange = [this](TVktObject*) { lookupDirty_ = true; };
    const auto records = [this](TVktObject*, TVktObjKind kind, const TPriorityItem&) {
        lookupDirty_ = true;
        if (kind == TVktObjKind::Dealer) RefillDealers();
        else if (kind == TVktObjKind::AttrItem) RefillAttributes();
    };
    events.OnRecordsAdd = records;
    events.OnRecordsDelete = records;
    events.OnFieldChange = [this](TVktObject*, TVktField field, const TPriorityItem&) {
        lookupDirty_ = true;
        const TVktTable table = GetFieldTable(field);
        if (table == TVktTable::TblDealer) RefillDealers();
        // The list shows the name it wrote already.
        else if (table == TVktTable::TblAttrItem && !writingAttribute_) RefillAttributes();
    };
    platform::AddIdleHandler(this, [this] {
        if (isVisible()) UpdateActions();
    });

    resize(kDesignClientWidth, kDesignClientHeight + GetStatusBar()->sizeHint().height());
    setMinimumSize(480, 360);
}

TOtherEditDialog::~TOtherEditDialog()
{
    MarkDestroying();
    SetDataObject(nullptr);
}

QWidget* TOtherEditDialog::GetPanel(int tab) const
{
    switch (tab) {
    case tbIcon: return iconEditPanel_;
    case tbClass:
    case tbForm:
    case tbUnit: return classUnitsEdit_;
    case tbDealer: return dealerEditPanel_;
    case tbAttribute: return attributeEditPanel_;
    case tbFilter: return userFilterEdit_;
    default: return nullptr;
    }
}

bool TOtherEditDialog::Active() const
{
    TVktObject* object = GetDataObject();
    return object && object->IsValid();
}

// ===== Tabs and pending edits ==========================================================================

void TOtherEditDialog::SetTab(int tab)
{
    if (tab < 0 || tab >= tbCount) return;
    {
        const platform::FlagScope scope(settingTab_);
        tabControl_->setCurrentIndex(tab);
    }
    ShowTab(tab);
}

void TOtherEditDialog::TabControlChange(int index)
{
    if (settingTab_) return;
    ResolvePendingEdit(shownTab_);
    ShowTab(index);
}

void TOtherEditDialog::ShowTab(int tab)
{
    QWidget* page = GetPanel(tab);
    if (!page) return;
    shownTab_ = tab;
    for (int other = 0; other < tbCount; ++other)
        if (GetPanel(other) != page) GetPanel(other)->hide();
    if (tab >= tbClass && tab <= tbUnit) classUnitsEdit_->SetEditMode(tab - tbClass);
    page->show();
    QWidget* focus = nullptr;
    switch (tab) {
    case tbIcon: focus = iconEditPanel_->GetIconGrid(); break;
    case tbDealer: focus = dealerEditPanel_->GetDealerList()->GetStringGrid(); break;
    case tbAttribute: focus = attributeEditPanel_->GetAttributeList()->GetStringGrid(); break;
    case tbFilter: focus = userFilterEdit_->GetFilterList()->GetStringGrid(); break;
    default: focus = classUnitsEdit_->GetClassView()->GetClassTree(); break;
    }
    focus->setFocus(Qt::OtherFocusReason);
    lookupDirty_ = true;
    UpdateActions();
}

bool TOtherEditDialog::HasPendingEdit() const
{
    return classUnitsEdit_->GetClassEditPanel()->GetModified() || classUnitsEdit_->GetUnitEditPanel()->GetModified() ||
           classUnitsEdit_->GetFormEditPanel()->GetModified() || dealerEditPanel_->GetModified() ||
           attributeEditPanel_->GetModified() || userFilterEdit_->IsModified();
}

void TOtherEditDialog::ResolvePendingEdit(int tab)
{
    if (!HasPendingEdit()) return;
    const bool yes = platform::Services().MessageBox("'" + TabCaption(tab) + "'は変更されています。変更を設定しますか？",
                                                     KindName(tab) + "変更の確認", platform::MsgIcon::Question,
                                                     platform::MsgButtons::YesNo,
                                                     platform::MsgAnswer::Yes) == platform::MsgAnswer::Yes;
    TClassEditPanel* classes = classUnitsEdit_->GetClassEditPanel();
    TUnitsEditPanel* units = classUnitsEdit_->GetUnitEditPanel();
    TUnitsEditPanel* forms = classUnitsEdit_->GetFormEditPanel();
    if (classes->GetModified()) yes ? classes->ApplyEdit() : classes->CancelEdit();
    else if (units->GetModified()) yes ? units->ApplyEdit() : units->CancelEdit();
    else if (forms->GetModified()) yes ? forms->ApplyEdit() : forms->CancelEdit();
    else if (dealerEditPanel_->GetModified()) yes ? dealerEditPanel_->ApplyEdit() : dealerEditPanel_->CancelEdit();
    else if (attributeEditPanel_->GetModified()) yes ? attributeEditPanel_->ApplyEdit() : attributeEditPanel_->CancelEdit();
    else yes ? userFilterEdit_->Apply() : userFilterEdit_->Revert();
    lookupDirty_ = true;
}

void TOtherEditDialog::BtnOkClick()
{
    ResolvePendingEdit(shownTab_);
    accept();
}

void TOtherEditDialog::closeEvent(QCloseEvent* event)
{
    platform::Guard([this] { ResolvePendingEdit(shownTab_); });
    TVktDialog::closeEvent(event);
}

void TOtherEditDialog::keyPressEvent(QKeyEvent* event)
{
    // Esc never closes the window: an editor that had an edit took it already.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TVktDialog::keyPressEvent(event);
}

void TOtherEditDialog::showEvent(QShowEvent* event)
{
    TVktDialog::showEvent(event);
    if (placed_) return;
    placed_ = true;
    SetScreenPlace(this, TScreenPlace::BottomRight);
}

// ===== Binding and refills =============================================================================

void TOtherEditDialog::DoAttach()
{
    TVktObject* object = GetDataObject();
    iconEditPanel_->SetImages(&object->GetClassIcons());
    RefillDealers();
    RefillAttributes();
    lookupDirty_ = true;
}

void TOtherEditDialog::DoDetach()
{
    iconEditPanel_->SetImages(nullptr);
    dealerEditPanel_->Clear();
    attributeEditPanel_->Clear();
    lookupDirty_ = true;
}

void TOtherEditDialog::RefillDealers()
{
    if (!Active()) return;
    dealerEditPanel_->SetRows(ReadRows<TVDBDealer>(GetDataObject(), [](const TVDBDealer& r) {
                                  return TUnitRow{r.GetDealerID(), r.GetCompany(), {}};
                              }),
                              0);
}

void TOtherEditDialog::RefillAttributes()
{
    if (!Active()) return;
    attributeEditPanel_->SetRows(ReadRows<TVDBAttrItem>(GetDataObject(), [](const TVDBAttrItem& r) {
                                     return TUnitRow{r.GetAttrItemID(), r.GetAttribute(), {}};
                                 }),
                                 0);
}

void TOtherEditDialog::LoadDealer()
{
    const int id = dealerEditPanel_->GetEditID();
    if (!Active() || id == 0) return;
    TVDBDealer reader(GetDataObject());
    TFilterObject filter;
    filter.Add(F::Dealer_ID, foEqual, id, {});
    reader.BeginUpdate();
    reader.SetFilter(filter);
    reader.EndUpdate();
    if (!reader.GetListed()) reader.Refresh();
    reader.Locate(id);
    if (reader.GetRowCount() == 0 || reader.GetDealerID() != id) return;
    const std::string texts[] = {reader.GetCompany(), reader.GetDealer(), reader.GetPostCode(), reader.GetAddress(),
                                 reader.GetTel(),     reader.GetTel2(),   reader.GetFax(),      reader.GetEMail()};
    for (int part = 0; part < TDealerEditPanel::dpCount; ++part) dealerEditPanel_->SetText(part, texts[part]);
}

void TOtherEditDialog::DealerReturn()
{
    const int id = dealerEditPanel_->GetEditID();
    const int part = dealerEditPanel_->GetEditPart();
    if (!Active() || id == 0 || part < 0 || part >= TDealerEditPanel::dpCount) return;
    const platform::BusyCursor busy;
    TPriorityItem ids;
    ids << id;
    if (GetDataObject()->EditData(static_cast<TVktField>(ToInt(F::Company) + part), dealerEditPanel_->GetText(part), ids))
        return;
    // Not stored (the database object said why): the dealer shows as stored.
    RefillDealers();
    LoadDealer();
}

void TOtherEditDialog::AttributeReturn()
{
    const int id = attributeEditPanel_->GetEditID();
    if (!Active() || id == 0) return;
    const platform::BusyCursor busy;
    const platform::FlagScope scope(writingAttribute_);
    TPriorityItem ids;
    ids << id;
    if (GetDataObject()->EditData(F::Attribute, attributeEditPanel_->GetEditName(), ids)) return;
    // Not stored (the database object said why): the list shows the stored names again, once its
    // own apply has ended.
    QTimer::singleShot(0, this, [this] { platform::Guard([this] { RefillAttributes(); }); });
}

// ===== Buttons =========================================================================================

TUnitsEditPanel* TOtherEditDialog::ShownUnits() const
{
    if (shownTab_ == tbForm) return classUnitsEdit_->GetFormEditPanel();
    if (shownTab_ == tbUnit) return classUnitsEdit_->GetUnitEditPanel();
    return nullptr;
}

void TOtherEditDialog::CommitShown()
{
    if (TUnitsEditPanel* units = ShownUnits()) {
        if (units->GetModified()) units->ApplyEdit();
    } else if (shownTab_ == tbDealer) {
        if (dealerEditPanel_->GetModified()) dealerEditPanel_->ApplyEdit();
    } else if (shownTab_ == tbAttribute) {
        attributeEditPanel_->ApplyEdit();
    }
}

void TOtherEditDialog::BtnDeleteClick()
{
    const std::string kind = KindName(shownTab_);
    if (!Active() ||
        platform::Services().MessageBox("選択されている" + kind + "を削除してもよろしいですか？削除すると元には戻せません。",
                                        kind + "削除の確認", platform::MsgIcon::Question, platform::MsgButtons::YesNo,
                                        platform::MsgAnswer::No) != platform::MsgAnswer::Yes)
        return;
    TVktObject* object = GetDataObject();
    switch (shownTab_) {
    case tbIcon: object->RemoveIcon(iconEditPanel_->GetSelectedIndex()); break;
    case tbClass: object->DeleteClass(classUnitsEdit_->GetClassView()->GetSelectedID()); break;
    case tbForm: object->DeleteForm(classUnitsEdit_->GetFormEditPanel()->GetCurrentID()); break;
    case tbUnit: object->DeleteUnit(classUnitsEdit_->GetUnitEditPanel()->GetCurrentID()); break;
    case tbDealer: object->DeleteDealer(dealerEditPanel_->GetCurrentID()); break;
    case tbAttribute: object->DeleteAttrItem(attributeEditPanel_->GetCurrentID()); break;
    case tbFilter: object->DeleteFilter(userFilterEdit_->GetFilterIndex()); break;
    default: break;
    }
    lookupDirty_ = true;
}

void TOtherEditDialog::BtnLoadClick()
{
    if (!Active()) return;
    const std::optional<std::string> name = platform::Services().OpenFile("", kLoadFilter, {}, "");
    if (!name) return;
    if (!GetDataObject()->AddIconFromFile(*name))
        platform::ShowError("ファイル「" + *name + "」をアイコンとして読み込めませんでした。", windowTitle().toStdString());
}

void TOtherEditDialog::BtnNewClick()
{
    if (!Active()) return;
    CommitShown();
    if (shownTab_ == tbDealer) GetDataObject()->AddDealer("");
    else if (shownTab_ == tbAttribute) GetDataObject()->AddAttrItem("");
}

void TOtherEditDialog::MoveRow(int delta)
{
    if (!Active()) return;
    CommitShown();
    TVktObject* object = GetDataObject();
    if (TUnitsEditPanel* units = ShownUnits()) {
        const int row = units->GetUnitsList()->GetCurrentRow();
        const int from = units->GetRowID(row);
        const int to = units->GetRowID(row + delta);
        // Key 1 ("---") stays where it is.
        if (from <= 1 || to <= 1) return;
        if (object->MoveUnit(from, to)) units->SelectID(to);
    } else if (shownTab_ == tbDealer) {
        const int row = dealerEditPanel_->GetCurrentRow();
        const int from = dealerEditPanel_->GetRowID(row);
        const int to = dealerEditPanel_->GetRowID(row + delta);
        if (from <= 1 || to <= 1) return;
        if (object->MoveDealer(from, to)) dealerEditPanel_->SelectRow(dealerEditPanel_->GetDealerList()->FindID(to));
    } else if (shownTab_ == tbAttribute) {
        const int row = attributeEditPanel_->GetCurrentRow();
        const int from = attributeEditPanel_->GetRowID(row);
        const int to = attributeEditPanel_->GetRowID(row + delta);
        if (from == 0 || to == 0) return;
        if (object->MoveAttrItem(from, to)) {
            for (int r = 0; r < attributeEditPanel_->GetRowCount(); ++r)
                if (attributeEditPanel_->GetRowID(r) == to) attributeEditPanel_->SelectRow(r);
        }
    }
    lookupDirty_ = true;
}

// ===== Enabling ========================================================================================

std::string TOtherEditDialog::SelectionKey() const
{
    const TUnitsEditPanel* units = ShownUnits();
    return std::to_string(shownTab_) + "/" + std::to_string(iconEditPanel_->GetSelectedIndex()) + "/" +
           std::to_string(classUnitsEdit_->GetClassView()->GetSelectedID()) + "/" +
           std::to_string(units ? units->GetCurrentID() : 0) + "/" + std::to_string(dealerEditPanel_->GetCurrentID()) +
           "/" + std::to_string(GetDataObject() != nullptr);
}

void TOtherEditDialog::Lookup()
{
    ++lookups_;
    lookupDirty_ = false;
    lookupKey_ = SelectionKey();
    TVktObject* object = GetDataObject();
    state_ = {};
    state_.tab = shownTab_;
    state_.active = object && object->IsValid();
    if (!state_.active) return;
    switch (shownTab_) {
    case tbIcon: {
        const int index = iconEditPanel_->GetSelectedIndex();
        state_.iconUsed = index < object->GetClassIcons().GetCount() && object->GetClassesByIcon(index);
        break;
    }
    case tbClass: {
        const int id = classUnitsEdit_->GetClassView()->GetSelectedID();
        if (id != 0) {
            state_.classBranchOrEmpty = object->ClassIsBranchOrEmpty(id);
            state_.classHasContents = object->ClassHasContents(id);
        }
        break;
    }
    case tbForm:
    case tbUnit: {
        const int id = ShownUnits()->GetCurrentID();
        state_.unitUsed = id != 0 && object->GetUsedUnitKeys(id);
        break;
    }
    case tbDealer: {
        const int id = dealerEditPanel_->GetCurrentID();
        state_.dealerUsed = id != 0 && object->GetFoodsByDealer(id);
        break;
    }
    default: break;
    }
}

void TOtherEditDialog::UpdateActions()
{
    if (lookupDirty_ || SelectionKey() != lookupKey_) Lookup();
    TOtherEditState& s = state_;
    s.iconIndex = iconEditPanel_->GetSelectedIndex();
    s.iconCount = iconEditPanel_->GetIconGrid()->GetIconCount();
    TClassView* tree = classUnitsEdit_->GetClassView();
    s.classSelected = tree->GetSelectedID() != 0;
    s.classDepth = s.classSelected ? tree->GetSelectedTreeIndex().Depth() : 0;
    s.classModified = classUnitsEdit_->GetClassEditPanel()->GetModified();
    if (const TUnitsEditPanel* units = ShownUnits()) {
        s.unitRow = units->GetUnitsList()->GetCurrentRow();
        s.unitRows = units->GetRowCount();
        s.unitId = units->GetCurrentID();
        s.previousUnitId = units->GetRowID(s.unitRow - 1);
        s.unitModified = units->GetModified();
    }
    s.dealerRow = dealerEditPanel_->GetCurrentRow();
    s.dealerRows = dealerEditPanel_->GetRowCount();
    s.dealerId = dealerEditPanel_->GetCurrentID();
    s.previousDealerId = dealerEditPanel_->GetRowID(s.dealerRow - 1);
    s.dealerModified = dealerEditPanel_->GetModified();
    s.attrRow = attributeEditPanel_->GetCurrentRow();
    s.attrRows = attributeEditPanel_->GetRowCount();
    s.attrId = attributeEditPanel_->GetCurrentID();
    s.attrModified = attributeEditPanel_->GetModified();
    s.filterIndex = userFilterEdit_->GetFilterIndex();
    s.filterCount = GetDataObject() ? GetDataObject()->GetFilterSet().GetCount() : 0;
    // The page's working copy against the stored filter, validity as last looked up (no query).
    s.filterModified = s.active && s.filterIndex >= 0 && s.filterIndex < s.filterCount &&
                       userFilterEdit_->GetWorkFilter() != GetDataObject()->GetFilterSet().Get(s.filterIndex);

    const TOtherEditEnables e = OtherEditEnables(s);
    iconEditPanel_->GetBtnLoad()->setEnabled(e.iconLoadSave);
    iconEditPanel_->GetBtnSave()->setEnabled(e.iconLoadSave);
    iconEditPanel_->GetBtnDelete()->setEnabled(e.iconDelete);
    TClassEditPanel* cls = classUnitsEdit_->GetClassEditPanel();
    for (QWidget* w : {static_cast<QWidget*>(cls->GetNameEdit()), static_cast<QWidget*>(cls->GetName2Edit()),
                       static_cast<QWidget*>(cls->GetBtnNew()), static_cast<QWidget*>(cls->GetIconGrid())})
        w->setEnabled(e.classEdits);
    cls->GetBtnChildNew()->setEnabled(e.classChildNew);
    cls->GetBtnDelete()->setEnabled(e.classDelete);
    cls->GetBtnUp()->setEnabled(e.classMove);
    cls->GetBtnDown()->setEnabled(e.classMove);
    cls->GetBtnReturn()->setEnabled(e.classReturn);
    cls->GetBtnCancel()->setEnabled(e.classReturn);
    if (TUnitsEditPanel* units = ShownUnits()) {
        units->GetNameEdit()->setEnabled(e.unitEdits);
        units->GetName2Edit()->setEnabled(e.unitEdits);
        units->GetBtnNew()->setEnabled(e.unitNew);
        units->GetBtnDelete()->setEnabled(e.unitDelete);
        units->GetBtnReturn()->setEnabled(e.unitReturn);
        units->GetBtnCancel()->setEnabled(e.unitReturn);
        units->GetBtnUp()->setEnabled(e.unitUp);
        units->GetBtnDown()->setEnabled(e.unitDown);
    }
    dealerEditPanel_->GetBtnNew()->setEnabled(e.dealerNew);
    dealerEditPanel_->GetBtnDelete()->setEnabled(e.dealerDelete);
    dealerEditPanel_->GetBtnReturn()->setEnabled(e.dealerReturn);
    dealerEditPanel_->GetBtnCancel()->setEnabled(e.dealerReturn);
    dealerEditPanel_->GetBtnUp()->setEnabled(e.dealerUp);
    dealerEditPanel_->GetBtnDown()->setEnabled(e.dealerDown);
    attributeEditPanel_->GetBtnNew()->setEnabled(e.attrNew);
    attributeEditPanel_->GetBtnDelete()->setEnabled(e.attrDelete);
    attributeEditPanel_->GetBtnReturn()->setEnabled(e.attrReturn);
    attributeEditPanel_->GetBtnCancel()->setEnabled(e.attrReturn);
    attributeEditPanel_->GetBtnUp()->setEnabled(e.attrUp);
    attributeEditPanel_->GetBtnDown()->setEnabled(e.attrDown);
    userFilterEdit_->GetBtnNew()->setEnabled(e.filterNew);
    for (QPushButton* b : {userFilterEdit_->GetBtnDelete(), userFilterEdit_->GetBtnEdit(), userFilterEdit_->GetBtnClear()})
        b->setEnabled(e.filterChosen);
    userFilterEdit_->GetBtnUndo()->setEnabled(e.filterChanged);
    userFilterEdit_->GetBtnSetting()->setEnabled(e.filterChanged);
    userFilterEdit_->GetBtnUp()->setEnabled(e.filterUp);
    userFilterEdit_->GetBtnDown()->setEnabled(e.filterDown);
}

// ===== Layout ==========================================================================================

void TOtherEditDialog::LoadLayout(platform::SettingsKey& key)
{
    classUnitsEdit_->SetClassModeWidth(StoredWidth(key, "ClassUnitsEditClass", TClassUnitsEdit::kDesignWidth));
    classUnitsEdit_->SetFormModeWidth(StoredWidth(key, "ClassUnitsEditForm", TClassUnitsEdit::kDesignWidth));
    classUnitsEdit_->SetUnitModeWidth(StoredWidth(key, "ClassUnitsEditUnit", TClassUnitsEdit::kDesignWidth));
    dealerEditPanel_->SetListWidth(StoredWidth(key, "DealerEditPanel", kDealerListWidth));
    userFilterEdit_->SetFilterListWidth(StoredWidth(key, "UserFilterEdit", kFilterListWidth));
}

void TOtherEditDialog::SaveLayout(platform::SettingsKey& key)
{
    key.WriteInteger("ClassUnitsEditClass", classUnitsEdit_->GetClassModeWidth());
    key.WriteInteger("ClassUnitsEditForm", classUnitsEdit_->GetFormModeWidth());
    key.WriteInteger("ClassUnitsEditUnit", classUnitsEdit_->GetUnitModeWidth());
    key.WriteInteger("DealerEditPanel", dealerEditPanel_->GetListWidth());
    key.WriteInteger("UserFilterEdit", userFilterEdit_->GetFilterListWidth());
}

// ===== The single instance =============================================================================

TOtherEditDialog* OtherEditDlg()
{
    static QPointer<TOtherEditDialog> dialog;
    if (!dialog) {
        const platform::BusyCursor busy;
        dialog = new TOtherEditDialog();
        if (platform::Application* app = platform::Application::Instance())
            app->AtExit([guarded = dialog] { delete guarded.data(); });
    }
    return dialog;
}

void ShowOtherEditDlg(TVktObject* obj, int tab)
{
    TOtherEditDialog* dialog = OtherEditDlg();
    dialog->SetDataObject(obj);
    dialog->SetTab(tab);
    dialog->exec();
}

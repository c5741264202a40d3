#include "screens/Fdetaileditpanel.h"

#include "data/Ufilterstruct.h"
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/TabFocus.h"
#include "platform/FlagScope.h"
#include "richtext/Exview.h"
#include "screens/Fattributeselectpanel.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fimageeditpanel.h"
#include "screens/Fitemchartpanel.h"
#include "screens/Fitemlistview.h"
#include "screens/Fmemoeditpanel.h"
#include "screens/Fmhistoryeditpanel.h"
#include "screens/Uviewfieldcolumns.h"
#include "widgets/Fvktform.h"
#include "widgets/Imageview.h"
#include "widgets/Usteadyscrollbar.h"
#include "widgets/Utabpane.h"

#include <QComboBox>
#include <QListWidget>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

using F = TVktField;
using platform::Variant;

namespace {

constexpr int kKept = -2;

TPriorityItem Ids(std::initializer_list<int> values)
{
    TPriorityItem ids;
    for (int value : values) ids << value;
    return ids;
}

// Lists the reader's rows whose key field equals the id.
void ListWhere(TVktAccesser& reader, TVktField key, int id)
{
    TFilterObject filter;
    filter.Add(key, foEqual, Variant(id), {});
    reader.SetFilter(filter);
}

QWidget* MakePage(const char* name)
{
    auto* page = new QWidget;
    page->setObjectName(QString::fromLatin1(name));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    return page;
}

QToolBar* MakeToolBar(QWidget* parent, const char* name)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setIconSize(QSize(16, 16));
    bar->setFont(VktFormFont());
    platform::TabFocusButtons(*bar);
    return bar;
}

struct TActionDef {
    const char* name;
    const char* caption;
    const char* hint;
    int image;
};

const TActionDef kActions[] = {
    {"ActImageLoad", "イメージ読み込み", "イメージ読み込み|ファイルからイメージを読み込みます。", 1},
    {"ActImageSave", "イメージ書き出し", "イメージ書き出し|ファイルへイメージを書き出します。", 2},
    {"ActImageDelete", "イメージ削除", "イメージ削除|イメージを削除します。", 8},
    {"ActImageCopy", "イメージコピー", "イメージコピー|クリップボードへイメージをコピーします。", 5},
    {"ActImagePaste", "イメージ貼り付け", "イメージ貼り付け|クリップボードからイメージを貼り付けます。", 6},
    {"ActImageCut", "イメージ切り取り", "イメージ切り取り|クリップボードへイメージを切り取ります。", 4},
    {"ActImageLeftRotate", "左９０度回転", "左９０度回転|イメージを左に９０度回転します。", 38},
    {"ActImageRightRotate", "右９０度回転", "右９０度回転|イメージを右に９０度回転します。", 39},
    {"ActImageHorzMirror", "水平反転", "水平反転|イメージを水平反転します。", 40},
    {"ActImageVertMirror", "垂直反転", "垂直反転|イメージを垂直反転します。", 41},
    {"ActItemUp", "上に移動", "上に移動|選択されている項目を上に移動します。", 13},
    {"ActItemDown", "下に移動", "下に移動|選択されている項目を下に移動します。", 14},
    {"ActItemInitIndex", "インデックス初期化", "インデックス初期化|材料のインデックスを初期化します。", 43},
    {"ActItemChangeIndex", "インデックス変更", "インデックス変更|選択された位置で項目のインデックスを変更します。", 42},
    {"ActItemDelete", "項目削除", "項目削除|選択された材料項目を削除します。", 8},
    {"ActItemRepriceNow", "現在の価格", "現在の価格|材料の価格、単位を現在の価格に変更します。", -1},
    {"ActItemRepriceMHMax", "最高価格", "最高価格|材料の価格、単位を最新の最高価格に変更します。", -1},
    {"ActItemRepriceMHAve", "平均価格", "平均価格|材料の価格、単位を最新の平均価格に変更します。", -1},
    {"ActItemRepriceMHMin", "最低価格", "最低価格|材料の価格、単位を最新の最低価格に変更します。", -1},
    {"ActItemRepriceMHLast", "最終価格", "最終価格|材料の価格、単位を最新の最終価格に変更します。", -1},
};

// The reprice actions in menu order with their modes.
const std::pair<const char*, TVktPriceMode> kReprice[] = {{"ActItemRepriceNow", pmNow},
                                                          {"ActItemRepriceMHMax", pmMax},
                                                          {"ActItemRepriceMHAve", pmAve},
                                                          {"ActItemRepriceMHMin", pmMin},
                                                          {"ActItemRepriceMHLast", pmLast}};

// The program's command picture of the index; none when the list lacks it (the button shows its text).
QIcon CommandIcon(int image)
{
    if (platform::ProgramIconMeaning("commands", image).empty()) return {};
    return platform::ProgramIcons("commands").Icon(image);
}

} // namespace

// The rows as stored; the chart takes the first day of each year row's month.
struct TDetailEditPanel::THistoryRows {
    std::vector<THistoryChartModel::DayPoint> days;
    std::vector<THistoryChartModel::MonthPoint> months;
};

TDetailEditPanel::TDetailEditPanel(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName(QStringLiteral("DetailEditPanel"));
    setFont(VktFormFont());
    resize(444, 206);
    BuildActions();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pageControl_ = new TPaneTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl"));
    layout->addWidget(pageControl_);

    QWidget* kernel = MakePage("TabKernel");
    auto* spacer = new QWidget(kernel);
    spacer->setObjectName(QStringLiteral("Panel"));
    spacer->setFixedHeight(8);
    kernel->layout()->addWidget(spacer);
    // The kernel panel goes below the spacer and takes the rest (compact mode).
    kernel->layout()->setAlignment(spacer, Qt::AlignTop);
    pageControl_->addTab(kernel, QStringLiteral("詳細"));
    pageControl_->setTabVisible(0, false);
    pageControl_->addTab(MakeDetailTab(), QStringLiteral("材料"));

    QWidget* memo = MakePage("TabMemo");
    memoEditPanel_ = new TMemoEditPanel(memo);
    platform::SetHint(*memoEditPanel_->GetExView(), "|メモを変更します。");
    memo->layout()->addWidget(memoEditPanel_);
    pageControl_->addTab(memo, QStringLiteral("メモ"));
    pageControl_->addTab(MakeImageTab(), QStringLiteral("イメージ"));

    QWidget* attributes = MakePage("TabAttribute");
    attributeEditPanel_ = new TAttributeSelectPanel(attributes);
    attributeEditPanel_->setObjectName(QStringLiteral("AttributeEditPanel"));
    platform::SetHint(*attributeEditPanel_->GetAttributeList(), "|属性を変更します。");
    static_cast<QVBoxLayout*>(attributes->layout())->addWidget(attributeEditPanel_, 1);
    pageControl_->addTab(attributes, QStringLiteral("属性"));

    QWidget* chart = MakePage("TabChart");
    historyChartPanel_ = new THistoryChartPanel(chart);
    itemChartPanel_ = new TItemChartPanel(chart);
    itemChartPanel_->setObjectName(QStringLiteral("ItemChartPanel"));
    chart->layout()->addWidget(historyChartPanel_);
    chart->layout()->addWidget(itemChartPanel_);
    pageControl_->addTab(chart, QStringLiteral("材料チャート"));
    pageControl_->setVisible(false);
    connect(pageControl_, &QTabWidget::currentChanged, this, [this] {
        if (pageControl_->currentWidget() == GetTab("TabChart")) FillHistory();
    });

    const auto modified = [this](QObject*) { ModifiedChange(); };
    dealerEditPanel_->OnModifiedChange = modified;
    itemEditPanel_->OnModifiedChange = modified;
    memoEditPanel_->OnModifiedChange = modified;
    imageEditPanel_->OnModifiedChange = modified;
    attributeEditPanel_->OnModifiedChange = modified;
    if (auto* month = dynamic_cast<TMHistoryEditPanel*>(historyChartPanel_->GetMonthEditor()))
        month->OnModifiedChange = modified;
    dealerEditPanel_->OnApply = [this](QObject*) { DealerApply(); };
    dealerEditPanel_->OnCompanySelectorChange = [this](QObject*) { DealerEditPanelCompanySelectorChange(); };
    itemEditPanel_->OnApply = [this](QObject*) { ItemApply(); };
    memoEditPanel_->OnApply = [this](QObject*) { MemoApply(); };
    imageEditPanel_->OnApply = [this](QObject*) { ImageApply(); };
    attributeEditPanel_->OnApply = [this](QObject*) { AttributeApply(); };
    historyChartPanel_->OnMHistoryChange = [this](QObject*) { MHistoryChange(); };

    TVktObjEvent& events = GetObjEvent();
    const auto records = [this](TVktObjKind kind, bool deleted) {
        switch (kind) {
        case TVktObjKind::Dealer:
            FillDealers();
            LoadDealer();
            break;
        case TVktObjKind::AttrItem:
            FillAttributes();
            LoadAttributeChecks();
            break;
        case TVktObjKind::RecipeItem:
            LoadItems();
            break;
        case TVktObjKind::Data:
            if (!deleted || !Usable()) break;
            if (GetVktObject()->GetDataClassType(dataId_) == ctRoot) SetData(0);
            else SetEraseState(GetVktObject()->GetDataEraseState(dataId_));
            break;
        default:
            break;
        }
    };
    events.OnRecordsAdd = [records](TVktObject*, TVktObjKind kind, TPriorityItem) { records(kind, false); };
    events.OnRecordsDelete = [records](TVktObject*, TVktObjKind kind, TPriorityItem) { records(kind, true); };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) { FieldChanged(ToInt(field), ids); };
    events.OnIconSetChange = [this](TVktObject*) { LoadItems(); };
}

TDetailEditPanel::~TDetailEditPanel()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

// ===== Construction ===================================================================================

QAction* TDetailEditPanel::MakeAction(const char* name, const char* caption, const char* hint, int image)
{
    auto* action = new QAction(platform::ToQString(caption), this);
    action->setObjectName(QString::fromLatin1(name));
    platform::SetHint(*action, hint);
    if (image >= 0) action->setIcon(CommandIcon(image));
    return action;
}

QAction* TDetailEditPanel::GetAction(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
}

void TDetailEditPanel::BuildActions()
{
    for (const TActionDef& def : kActions) MakeAction(def.name, def.caption, def.hint, def.image);
    const auto on = [this](const char* name, auto handler) {
        connect(GetAction(name), &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on("ActItemUp", &TDetailEditPanel::ActItemUpExecute);
    on("ActItemDown", &TDetailEditPanel::ActItemDownExecute);
    on("ActItemInitIndex", &TDetailEditPanel::ActItemInitIndexExecute);
    on("ActItemChangeIndex", &TDetailEditPanel::ActItemChangeIndexExecute);
    on("ActItemDelete", &TDetailEditPanel::ActItemDeleteExecute);
    on("ActImageLoad", &TDetailEditPanel::ActImageLoadExecute);
    on("ActImageSave", &TDetailEditPanel::ActImageSaveExecute);
    for (const auto& [name, mode] : kReprice)
        connect(GetAction(name), &QAction::triggered, this, [this, mode = mode] { ActItemReprice(mode); });

    // The picture operations: the image panel does the work under the busy cursor.
    const std::pair<const char*, std::function<void()>> image[] = {
        {"ActImageDelete", [this] { imageEditPanel_->Clear(); }},
        {"ActImageCopy", [this] { imageEditPanel_->CopyToClipboard(); }},
        {"ActImagePaste", [this] { imageEditPanel_->PasteFromClipboard(); }},
        {"ActImageLeftRotate", [this] { imageEditPanel_->RotateLeft(); }},
        {"ActImageRightRotate", [this] { imageEditPanel_->RotateRight(); }},
        {"ActImageHorzMirror", [this] { imageEditPanel_->MirrorHorz(); }},
        {"ActImageVertMirror", [this] { imageEditPanel_->MirrorVert(); }},
    };
    for (const auto& [name, operation] : image) {
        connect(GetAction(name), &QAction::triggered, this, [operation = operation] {
            platform::BusyCursor busy;
            operation();
        });
    }
    connect(GetAction("ActImageCut"), &QAction::triggered, this, [this] {
        platform::BusyCursor busy;
        imageEditPanel_->CopyToClipboard();
        imageEditPanel_->Clear();
    });

    pmItemReprice_ = new QMenu(this);
    pmItemReprice_->setObjectName(QStringLiteral("PMItemReprice"));
    for (const auto& entry : kReprice) pmItemReprice_->addAction(GetAction(entry.first));

    pmItem_ = new QMenu(this);
    pmItem_->setObjectName(QStringLiteral("PMItem"));
    pmItem_->addAction(GetAction("ActItemUp"));
    pmItem_->addAction(GetAction("ActItemDown"));
    pmItem_->addSeparator();
    pmItem_->addAction(GetAction("ActItemInitIndex"));
    pmItem_->addAction(GetAction("ActItemChangeIndex"));
    pmItem_->addSeparator();
    QMenu* reprice = pmItem_->addMenu(CommandIcon(44), QStringLiteral("現在の価格に変更"));
    for (const auto& entry : kReprice) reprice->addAction(GetAction(entry.first));
    pmItem_->addSeparator();
    itemDelete_ = pmItem_->addAction(CommandIcon(8), QStringLiteral("削除"));
    platform::SetHint(*itemDelete_, "項目を削除");
    connect(itemDelete_, &QAction::triggered, this, [this] { ActItemDeleteExecute(); });

    pmImage_ = new QMenu(this);
    pmImage_->setObjectName(QStringLiteral("PMImage"));
    for (const char* name : {"ActImageLoad", "ActImageSave", "-", "ActImageCut", "ActImageCopy", "ActImagePaste", "-",
                             "ActImageDelete", "-", "ActImageLeftRotate", "ActImageRightRotate", "ActImageHorzMirror",
                             "ActImageVertMirror"}) {
        if (*name == '-') pmImage_->addSeparator();
        else pmImage_->addAction(GetAction(name));
    }
}

QWidget* TDetailEditPanel::MakeDetailTab()
{
    QWidget* page = MakePage("TabDetail");
    itemToolBar_ = MakeToolBar(page, "ItemToolBar");
    itemToolBar_->addAction(GetAction("ActItemUp"));
    itemToolBar_->addAction(GetAction("ActItemDown"));
    itemToolBar_->addSeparator();
    itemToolBar_->addAction(GetAction("ActItemInitIndex"));
    itemToolBar_->addAction(GetAction("ActItemChangeIndex"));
    itemToolBar_->addSeparator();
    repriceButton_ = new QToolButton(itemToolBar_);
    repriceButton_->setObjectName(QStringLiteral("BtnItemReprice"));
    repriceButton_->setIcon(CommandIcon(44));
    repriceButton_->setText(QStringLiteral("現在の価格に変更"));
    platform::SetHint(*repriceButton_, "現在の価格に変更");
    repriceButton_->setMenu(pmItemReprice_);
    repriceButton_->setPopupMode(QToolButton::InstantPopup);
    itemToolBar_->addWidget(repriceButton_);
    itemToolBar_->addSeparator();
    itemToolBar_->addAction(GetAction("ActItemDelete"));
    page->layout()->addWidget(itemToolBar_);

    itemEditPanel_ = new TItemListView(page);
    platform::SetHint(*itemEditPanel_->GetStringGrid(), "|材料を変更します。");
    itemEditPanel_->GetStringGrid()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(itemEditPanel_->GetStringGrid(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        pmItem_->popup(itemEditPanel_->GetStringGrid()->viewport()->mapToGlobal(pos));
    });
    QHeaderView* header = itemEditPanel_->GetHeaderControl();
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this] { ItemHeaderSectionResize(); });
    auto* column = static_cast<QVBoxLayout*>(page->layout());
    column->addWidget(itemEditPanel_, 1);
    QTableView* grid = itemEditPanel_->GetStringGrid();
    connect(grid->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { UpdateItemActions(); });
    connect(grid->model(), &QAbstractItemModel::modelReset, this, [this] { UpdateItemActions(); });
    UpdateItemActions();

    // The dealer frame keeps its size; a page lower or narrower than it scrolls (the editor is
    // often lower than the frame), and a field reached by Tab is scrolled into view.
    dealerScroll_ = new QScrollArea(page);
    dealerScroll_->setObjectName(QStringLiteral("DealerScroll"));
    dealerScroll_->setFrameShape(QFrame::NoFrame);
    dealerScroll_->setVerticalScrollBar(new TSteadyScrollBar(Qt::Vertical, dealerScroll_));
    dealerScroll_->setWidgetResizable(false);
    dealerScroll_->setFocusPolicy(Qt::NoFocus);   // as the record editor's: its fields take the keys
    dealerEditPanel_ = new TDealerSelectPanel;
    dealerEditPanel_->setObjectName(QStringLiteral("DealerEditPanel"));
    dealerEditPanel_->setMinimumSize(dealerEditPanel_->size());
    platform::SetHint(*dealerEditPanel_->GetCompanySelector(), "|購入業者を変更します。");
    dealerScroll_->setWidget(dealerEditPanel_);
    column->addWidget(dealerScroll_, 1);
    return page;
}

QWidget* TDetailEditPanel::MakeImageTab()
{
    QWidget* page = MakePage("TabImage");
    imageToolBar_ = MakeToolBar(page, "ImageToolBar");
    for (const char* name : {"ActImageLoad", "ActImageSave", "-", "ActImageCut", "ActImageCopy", "ActImagePaste", "-",
                             "ActImageDelete", "-", "ActImageLeftRotate", "ActImageRightRotate", "ActImageHorzMirror",
                             "ActImageVertMirror"}) {
        if (*name == '-') imageToolBar_->addSeparator();
        else imageToolBar_->addAction(GetAction(name));
    }
    page->layout()->addWidget(imageToolBar_);
    imageEditPanel_ = new TImageEditPanel(page);
    imageEditPanel_->setObjectName(QStringLiteral("ImageEditPanel"));
    platform::SetHint(*imageEditPanel_, "|イメージを変更します。");
    imageEditPanel_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(imageEditPanel_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { pmImage_->popup(imageEditPanel_->mapToGlobal(pos)); });
    static_cast<QVBoxLayout*>(page->layout())->addWidget(imageEditPanel_, 1);
    return page;
}

QWidget* TDetailEditPanel::GetTab(const char* name) const
{
    for (int i = 0; i < pageControl_->count(); ++i)
        if (pageControl_->widget(i)->objectName() == QLatin1String(name)) return pageControl_->widget(i);
    return nullptr;
}

THistoryChartPanel* TDetailEditPanel::GetHistoryChartPanel() const
{
    // Puts rows already read into the chart; nothing is read.
    const_cast<TDetailEditPanel*>(this)->FillHistory();
    return historyChartPanel_;
}

bool TDetailEditPanel::TabShown(const char* name) const
{
    const int index = pageControl_->indexOf(GetTab(name));
    return index >= 0 && pageControl_->isTabVisible(index);
}

void TDetailEditPanel::ModifiedChange()
{
    if (OnModifiedChange) OnModifiedChange(this);
}

bool TDetailEditPanel::Usable() const
{
    if (reloading_) return true;
    TVktObject* object = GetVktObject();
    return object && object->IsValid();
}

// ===== State ==========================================================================================

void TDetailEditPanel::SetData(int id, std::optional<int> dealerKey, std::optional<TRecordState> state)
{
    // A state the caller has just read was read from a valid object: the object is not tested again.
    if (!(state && GetVktObject()) && !Usable()) return;
    dataId_ = id;
    // Good for the reload that runs now only; a held one reads them itself.
    givenDealer_ = dealerKey;
    givenState_ = state;
    {
        // The reload run now finds the object as tested above.
        const platform::FlagScope reloading(reloading_);
        Changed();
    }
    givenDealer_.reset();
    givenState_.reset();
}

bool TDetailEditPanel::IsEditing() const
{
    return dealerEditPanel_->GetModified() || itemEditPanel_->GetModified() || attributeEditPanel_->GetModified() ||
           imageEditPanel_->IsModified() || memoEditPanel_->GetModified() || historyChartPanel_->IsEditing();
}

void TDetailEditPanel::CancelAllEdits()
{
    if (dealerEditPanel_->GetModified()) dealerEditPanel_->CancelEdit();
    else if (itemEditPanel_->GetModified()) itemEditPanel_->CancelEdit();
    else if (attributeEditPanel_->GetModified()) attributeEditPanel_->CancelEdit();
    else if (imageEditPanel_->IsModified()) imageEditPanel_->CancelEdit();
    else if (memoEditPanel_->GetModified()) memoEditPanel_->CancelEdit();
    else if (historyChartPanel_->IsEditing()) historyChartPanel_->CancelEdit();
}

void TDetailEditPanel::SetClassType(int type)
{
    if (type == classType_) return;
    classType_ = type;
    pageControl_->setVisible(type != ctRoot);
    // With no record the frames stay arranged for the last type, the dealer list kept.
    if (type == ctRoot) return;
    const bool ingredient = type == ctFood;
    if (ingredient && !dealers_) FillDealers();
    const bool arranged = framesType_ != ctRoot && (framesType_ == ctFood) == ingredient;
    framesType_ = type;
    if (arranged) return;
    if (ingredient) {
        itemEditPanel_->ClearRows();
        itemChartPanel_->Clear();
    } else {
        dealerEditPanel_->Clear();
        dealers_.reset();
        historyRows_.reset();
        historyChartPanel_->Clear();
    }
    dealerScroll_->setVisible(ingredient);
    historyChartPanel_->setVisible(ingredient);
    itemToolBar_->setVisible(!ingredient);
    itemEditPanel_->setVisible(!ingredient);
    itemChartPanel_->setVisible(!ingredient);
    pageControl_->setTabText(pageControl_->indexOf(GetTab("TabDetail")),
                             ingredient ? QStringLiteral("業者") : QStringLiteral("材料"));
    pageControl_->setTabText(pageControl_->indexOf(GetTab("TabChart")),
                             ingredient ? QStringLiteral("履歴チャート") : QStringLiteral("材料チャート"));
}

void TDetailEditPanel::SetEraseState(int state)
{
    // A record in the trash or kept, or any record of a database opened read-only, is only shown.
    const TVktObject* object = GetVktObject();
    const bool enabled = state == 0 && !(object && object->IsReadOnly());
    if (state == eraseState_ && enabled == editable_) return;
    eraseState_ = state;
    editable_ = enabled;
    for (const char* tab : {"TabDetail", "TabMemo", "TabImage", "TabAttribute", "TabChart"})
        pageControl_->setTabVisible(pageControl_->indexOf(GetTab(tab)), state != kKept);
    for (QWidget* frame : std::initializer_list<QWidget*>{dealerEditPanel_, itemEditPanel_, itemToolBar_, memoEditPanel_,
                                                          imageEditPanel_, imageToolBar_, attributeEditPanel_,
                                                          historyChartPanel_->GetBtnMHistEdit()})
        frame->setEnabled(enabled);
    if (TMonthPriceEditor* editor = historyChartPanel_->GetMonthEditor()) editor->EditorWidget()->setEnabled(enabled);
    if (historyChartPanel_->GetBtnMHistEdit()->isChecked()) historyChartPanel_->BtnMHistEditClick();
}

void TDetailEditPanel::DoAttach()
{
    SetItemViewFields(GetVktObject()->GetItemViewFields());
    classIcons_ = platform::IconList::FromImageList(GetVktObject()->GetClassIcons());
    itemEditPanel_->SetClassImages(&classIcons_);
    FillAttributes();
}

void TDetailEditPanel::DoDetach()
{
    if (IsEditing()) CancelAllEdits();
    dealers_.reset();
    itemEditPanel_->SetClassImages(nullptr);
    SetData(0);
    SetClassType(ctRoot);
    dataId_ = 0;
    SetItemViewFields({});
    itemEditPanel_->BeginUpdate();
    itemEditPanel_->ClearColumns();
    itemEditPanel_->ClearRows();
    itemEditPanel_->EndUpdate();
}

void TDetailEditPanel::DoUpdate()
{
    if (!Usable()) return;
    // The object stays valid while the record is read.
    const platform::FlagScope reloading(reloading_);
    TVktObject* object = GetVktObject();
    const std::optional<TRecordState> given = std::exchange(givenState_, std::nullopt);
    SetClassType(given ? given->ClassType : object->GetDataClassType(dataId_));
    SetEraseState(given ? given->EraseState : object->GetDataEraseState(dataId_));
    LoadByClassType();
    LoadAttributeChecks();
    LoadMemoAndImage();
}

// ===== Loading ========================================================================================

void TDetailEditPanel::LoadByClassType()
{
    if (classType_ == ctFood) {
        LoadDealer();
        LoadHistory();
    } else if (classType_ != ctRoot) {
        LoadItems();
    }
}

void TDetailEditPanel::FillDealers()
{
    if (!Usable()) return;
    dealers_ = std::make_unique<TVDBDealer>(GetVktObject());
    dealers_->Refresh();
    dealerEditPanel_->Clear();
    for (int row = 0; row < dealers_->GetRowCount(); ++row) {
        dealers_->SetRowIndex(row);
        dealerEditPanel_->AddDealer(dealers_->GetDealerID(), dealers_->GetCompany());
    }
}

void TDetailEditPanel::LoadDealer()
{
    const std::optional<int> given = std::exchange(givenDealer_, std::nullopt);
    if (!Usable() || classType_ != ctFood) return;
    int dealerId = given.value_or(0);
    if (!given) {
        TVDBFood food(GetVktObject());
        ListWhere(food, F::Food_Key, dataId_);
        dealerId = food.GetRowCount() > 0 ? food.GetDealerKey() : 0;
    }
    {
        // The selector's change shows the dealer once below, not on the way.
        const platform::FlagScope loading(loadingDealer_);
        dealerEditPanel_->SetDealerKey(dealerId);
    }
    ShowDealer(dealerEditPanel_->GetDealerKey());
}

void TDetailEditPanel::ShowDealer(int dealerId)
{
    // From the dealers listed for the selector (every dealer edit lists them again); a dealer
    // not listed shows empty contacts.
    bool found = false;
    for (int row = 0; dealers_ && dealerId != 0 && !found && row < dealers_->GetRowCount(); ++row) {
        dealers_->SetRowIndex(row);
        found = dealers_->GetDealerID() == dealerId;
    }
    const auto text = [&](std::string (TVDBDealer::*get)() const) { return found ? (dealers_.get()->*get)() : ""; };
    dealerEditPanel_->SetDealer(text(&TVDBDealer::GetDealer));
    dealerEditPanel_->SetPostCode(text(&TVDBDealer::GetPostCode));
    dealerEditPanel_->SetAddress(text(&TVDBDealer::GetAddress));
    dealerEditPanel_->SetTel(text(&TVDBDealer::GetTel));
    dealerEditPanel_->SetTel2(text(&TVDBDealer::GetTel2));
    dealerEditPanel_->SetFax(text(&TVDBDealer::GetFax));
    dealerEditPanel_->SetMail(text(&TVDBDealer::GetEMail));
}

void TDetailEditPanel::FillAttributes()
{
    if (!Usable()) return;
    TVDBAttrItem items(GetVktObject());
    items.Refresh();
    attributeEditPanel_->Clear();
    for (int row = 0; row < items.GetRowCount(); ++row) {
        items.SetRowIndex(row);
        attributeEditPanel_->AddItem(items.GetAttrItemID(), items.GetAttribute());
    }
}

void TDetailEditPanel::LoadAttributeChecks()
{
    attributeEditPanel_->ClearChecks();
    if (!Usable()) return;
    TVDBAttribute checks(GetVktObject());
    ListWhere(checks, F::Attribute_Key, dataId_);
    for (int row = 0; row < checks.GetRowCount(); ++row) {
        checks.SetRowIndex(row);
        attributeEditPanel_->SetCheck(checks.GetAttrItemKey(), checks.GetAttrCheck() ? acChecked : acUnchecked);
    }
}

void TDetailEditPanel::LoadItems()
{
    if (!Usable() || classType_ == ctFood || classType_ == ctRoot) return;
    // The current item is cleared and set again while the items are listed: the item tools follow
    // it once, after the listing, and are not disabled and enabled again on each load.
    struct HeldActions {
        TDetailEditPanel* panel;
        ~HeldActions()
        {
            panel->holdItemActions_ = false;
            panel->UpdateItemActions();
        }
    };
    holdItemActions_ = true;
    const HeldActions held{this};
    // Another record's items start on the first one; a reload keeps the current one.
    if (std::exchange(itemsShown_, dataId_) != dataId_) itemEditPanel_->GetStringGrid()->setCurrentIndex({});
    TVDBItem items(GetVktObject());
    ListWhere(items, F::Item_Key, dataId_);
    itemChartPanel_->Clear();
    std::vector<TItemListView::TItemLine> lines;
    std::vector<std::pair<std::string, platform::Currency>> slices;
    lines.reserve(items.GetRowCount());
    slices.reserve(items.GetRowCount());
    for (int row = 0; row < items.GetRowCount(); ++row) {
        items.SetRowIndex(row);
        lines.push_back({items.GetItemCatIndex(), items.GetClass(), items.GetIconKey(), items.GetItemUsePrice(),
                         items.GetItemUse(), items.GetItemPrice(), items.GetItemUnit(), items.GetData()});
        slices.emplace_back(lines.back().ItemName, lines.back().UsePrice);
    }
    itemEditPanel_->SetItems(lines);
    itemChartPanel_->AddItems(slices);
}

void TDetailEditPanel::LoadItemChart()
{
    if (!Usable()) return;
    TVDBItem items(GetVktObject());
    ListWhere(items, F::Item_Key, dataId_);
    itemChartPanel_->Clear();
    std::vector<std::pair<std::string, platform::Currency>> slices;
    for (int row = 0; row < items.GetRowCount(); ++row) {
        items.SetRowIndex(row);
        slices.emplace_back(items.GetData(), items.GetItemUsePrice());
    }
    itemChartPanel_->AddItems(slices);
}

void TDetailEditPanel::LoadMemoAndImage()
{
    if (!Usable()) return;
    TVDBDetail detail(GetVktObject());
    ListWhere(detail, F::Data_ID, dataId_);
    // A record without its row (none shown) leaves nothing of the previous one behind.
    memoEditPanel_->SetMemo(detail.GetRowCount() > 0 ? detail.GetMemo() : std::string());
    imageEditPanel_->SetImage(detail.GetRowCount() > 0 ? detail.GetImage() : std::string());
}

void TDetailEditPanel::LoadHistory()
{
    if (!Usable() || classType_ != ctFood) return;
    auto rows = std::make_unique<THistoryRows>();
    TVDBMonthHistory months(GetVktObject());
    ListWhere(months, F::MHistory_Key, dataId_);
    for (int row = 0; row < months.GetRowCount(); ++row) {
        months.SetRowIndex(row);
        rows->days.push_back({months.GetMHistoryDate(), months.GetMHistoryPrice().ToDouble()});
    }
    TVDBYearHistory years(GetVktObject());
    ListWhere(years, F::YHistory_Key, dataId_);
    for (int row = 0; row < years.GetRowCount(); ++row) {
        years.SetRowIndex(row);
        rows->months.push_back({years.GetYHistoryDate(), years.GetYHMaxPrice().ToDouble(),
                                years.GetYHAvePrice().ToDouble(), years.GetYHMinPrice().ToDouble(),
                                years.GetYHLastPrice().ToDouble()});
    }
    historyRows_ = std::move(rows);
    // Filled now when in sight, or when a month edit is to be dropped by the refill.
    if (pageControl_->currentWidget() == GetTab("TabChart") || historyChartPanel_->IsEditing()) FillHistory();
}

void TDetailEditPanel::FillHistory()
{
    if (!historyRows_) return;
    const std::unique_ptr<THistoryRows> rows = std::move(historyRows_);
    historyChartPanel_->BeginUpdate();
    historyChartPanel_->Clear();
    for (const THistoryChartModel::DayPoint& day : rows->days) historyChartPanel_->AddMonthPoint(day.date, day.price);
    historyChartPanel_->AddMonthPoint(platform::Today(), 0);
    for (const THistoryChartModel::MonthPoint& month : rows->months)
        historyChartPanel_->AddYearPoint(month.date, month.max, month.ave, month.min, month.last);
    historyChartPanel_->ShowLastEntries();
    historyChartPanel_->EndUpdate();
}

// ===== Writing ========================================================================================

void TDetailEditPanel::DealerEditPanelCompanySelectorChange()
{
    dealerEditPanel_->EditChange();
    if (!loadingDealer_ && Usable()) ShowDealer(dealerEditPanel_->GetDealerKey());
}

void TDetailEditPanel::DealerApply()
{
    platform::BusyCursor busy;
    if (!Usable()) return;
    GetVktObject()->EditData(F::Dealer_Key, Variant(dealerEditPanel_->GetDealerKey()), Ids({dataId_}));
    LoadDealer();
}

void TDetailEditPanel::ItemApply()
{
    platform::BusyCursor busy;
    if (!Usable()) return;
    const TPriorityItem ids = Ids({dataId_, itemEditPanel_->GetItemIndex()});
    const double use = itemEditPanel_->GetItemUse();
    if (!GetVktObject()->EditData(F::ItemUse, Variant(use), ids)) {
        ShowStoredLater(&TDetailEditPanel::LoadItems);
        return;
    }
    if (use == 0) {
        if (!GetVktObject()->EditData(F::ItemUsePrice, Variant(itemEditPanel_->GetItemUsePrice()), ids))
            ShowStoredLater(&TDetailEditPanel::LoadItems);
    } else {
        itemEditPanel_->SetItemUsePrice(platform::Currency::FromDouble(use) * itemEditPanel_->GetItemPrice());
    }
    LoadItemChart();
}

void TDetailEditPanel::MemoApply()
{
    platform::BusyCursor busy;
    if (!Usable()) return;
    if (!GetVktObject()->EditData(F::Memo, Variant(memoEditPanel_->GetMemo()), Ids({dataId_})))
        ShowStoredLater(&TDetailEditPanel::LoadMemoAndImage);
}

void TDetailEditPanel::ImageApply()
{
    platform::BusyCursor busy;
    if (!Usable()) return;
    if (!GetVktObject()->EditData(F::Image, Variant(imageEditPanel_->GetImage()), Ids({dataId_})))
        ShowStoredLater(&TDetailEditPanel::LoadMemoAndImage);
}

void TDetailEditPanel::AttributeApply()
{
    platform::BusyCursor busy;
    if (!Usable()) return;
    if (!GetVktObject()->EditData(F::AttrCheck, Variant(attributeEditPanel_->GetCurrentCheck()),
                                  Ids({dataId_, attributeEditPanel_->GetCurrentItem()})))
        ShowStoredLater(&TDetailEditPanel::LoadAttributeChecks);
}

void TDetailEditPanel::ShowStoredLater(void (TDetailEditPanel::*load)())
{
    // Not from inside the frame's own apply: the reload replaces what the frame is applying.
    QTimer::singleShot(0, this, [this, load] { platform::Guard([&] { (this->*load)(); }); });
}

void TDetailEditPanel::MHistoryChange()
{
    platform::BusyCursor busy;
    if (!Usable()) return;
    TMonthPriceEditor* editor = historyChartPanel_->GetMonthEditor();
    const platform::TDateTime date = editor->GetDate();
    if (GetVktObject()->SetMHistoryPrice(dataId_, date, editor->GetPrice(date))) return;
    // Not stored (the database object said why): the day shows its stored price again, and the
    // chart takes it from the editor.
    platform::Currency stored;
    TVDBMonthHistory months(GetVktObject());
    ListWhere(months, F::MHistory_Key, dataId_);
    for (int row = 0; row < months.GetRowCount(); ++row) {
        months.SetRowIndex(row);
        if (platform::DateOf(months.GetMHistoryDate()) == platform::DateOf(date)) stored = months.GetMHistoryPrice();
    }
    editor->SetPrice(stored, date);
}

// ===== Notices ========================================================================================

void TDetailEditPanel::FieldChanged(int field, const TPriorityItem& ids)
{
    if (field >= ToInt(F::Dealer_ID) && field <= ToInt(F::EMail)) {
        FillDealers();
        LoadDealer();
    } else if (field == ToInt(F::AttrItem_ID) || field == ToInt(F::Attribute)) {
        FillAttributes();
        LoadAttributeChecks();
    } else if (field == ToInt(F::Attribute_Key)) {
        LoadAttributeChecks();
    } else if (field == ToInt(F::Dealer_Key)) {
        LoadDealer();
    } else if (field == ToInt(F::Icon_Key) || field == ToInt(F::ItemIndex)) {
        LoadItems();
    } else if (ids.IndexOf(dataId_) >= 0) {
        // Any of the named records, not only the first: a batch reloads the shown one too.
        if (field == ToInt(F::UseUnit_Key) || field == ToInt(F::BuyPrice) || field == ToInt(F::Quantity) ||
            field == ToInt(F::Yield))
            LoadHistory();
        else if (field == ToInt(F::EraseDate))
            Changed();
    }
}

// ===== Items ==========================================================================================

void TDetailEditPanel::UpdateItemActions()
{
    if (holdItemActions_) return;
    const int row = itemEditPanel_->GetStringGrid()->currentIndex().row();
    const bool current = row >= 0 && row < itemEditPanel_->GetRowCount();
    for (const TActionDef& def : kActions)
        if (std::string_view(def.name).starts_with("ActItem")) GetAction(def.name)->setEnabled(current);
    repriceButton_->setEnabled(current);
    itemDelete_->setEnabled(current);
}

void TDetailEditPanel::ItemAction(const std::function<int(int row)>& operation)
{
    QTableView* grid = itemEditPanel_->GetStringGrid();
    const int row = grid->currentIndex().row();
    const int col = std::max(0, grid->currentIndex().column());
    if (!Usable() || row < 0 || row >= itemEditPanel_->GetRowCount()) return;
    int next = row;
    {
        platform::BusyCursor busy;
        next = operation(row);
    }
    if (next >= 0 && next < itemEditPanel_->GetRowCount()) grid->setCurrentIndex(grid->model()->index(next, col));
    grid->setFocus();
}

void TDetailEditPanel::ItemMove(bool up)
{
    ItemAction([this, up](int row) {
        const std::string category = itemEditPanel_->GetModel()->GetCell(TItemListView::ColCategory, row);
        TVktObject* object = GetVktObject();
        const bool moved = up ? object->MoveRecipeItemUp(dataId_, row + 1) : object->MoveRecipeItemDown(dataId_, row + 1);
        if (moved && itemEditPanel_->GetModel()->GetCell(TItemListView::ColCategory, row) == category)
            return up ? row - 1 : row + 1;
        return row;
    });
}

void TDetailEditPanel::ActItemUpExecute() { ItemMove(true); }

void TDetailEditPanel::ActItemDownExecute() { ItemMove(false); }

void TDetailEditPanel::ActItemInitIndexExecute()
{
    ItemAction([this](int row) {
        GetVktObject()->ClearItemCategories(dataId_);
        return row;
    });
}

void TDetailEditPanel::ActItemChangeIndexExecute()
{
    ItemAction([this](int row) {
        GetVktObject()->SplitItemCategory(dataId_, row + 1);
        return row;
    });
}

void TDetailEditPanel::ActItemDeleteExecute()
{
    ItemAction([this](int row) {
        GetVktObject()->DeleteRecipeItem(dataId_, row + 1);
        return std::min(row, itemEditPanel_->GetRowCount() - 1);
    });
}

void TDetailEditPanel::ActItemReprice(TVktPriceMode mode)
{
    ItemAction([this, mode](int row) {
        GetVktObject()->RefreshItemPrices(dataId_, mode);
        return row;
    });
}

void TDetailEditPanel::SetItemViewFields(const TViewFieldStruct& fields)
{
    if (!(fields != itemViewFields_)) return;
    itemViewFields_ = fields;
    itemEditPanel_->BeginUpdate();
    itemEditPanel_->ClearColumns();
    AddViewFieldColumns(*itemEditPanel_, itemViewFields_);
    itemEditPanel_->EndUpdate();
    Changed();
}

void TDetailEditPanel::ItemHeaderSectionResize()
{
    StoreColumnWidths(*itemEditPanel_, itemViewFields_);
}

void TDetailEditPanel::ItemHeaderMouseUp()
{
    if (GetVktObject()) GetVktObject()->SaveItemViewFields(itemViewFields_);
}

bool TDetailEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && watched == itemEditPanel_->GetHeaderControl()->viewport())
        QMetaObject::invokeMethod(this, [this] { ItemHeaderMouseUp(); }, Qt::QueuedConnection);
    return TGuiPanel::eventFilter(watched, event);
}

// ===== Pictures =======================================================================================

void TDetailEditPanel::ActImageLoadExecute()
{
    const auto name = platform::Services().OpenFile("", kPictureFilter, pictureName_, pictureName_);
    if (!name) return;
    pictureName_ = *name;
    platform::BusyCursor busy;
    if (imageEditPanel_->LoadFromFile(*name)) PictureFileShown();
}

void TDetailEditPanel::ActImageSaveExecute()
{
    const std::string image = imageEditPanel_->GetImage();
    if (image.empty()) return;
    const bool ours = pictureRecord_ == dataId_ && pictureHash_ == std::hash<std::string>{}(image);
    const auto name = platform::Services().SaveFile("", kPictureFilter, pictureName_, ours ? pictureName_ : "");
    if (!name) return;
    std::string saved = *name;
    platform::BusyCursor busy;
    imageEditPanel_->SaveToFile(saved);
    pictureName_ = saved;
    PictureFileShown();
}

void TDetailEditPanel::PictureFileShown()
{
    pictureRecord_ = dataId_;
    pictureHash_ = std::hash<std::string>{}(imageEditPanel_->GetImage());
}

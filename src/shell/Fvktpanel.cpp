#include "shell/Fvktpanel.h"

#include "database/Uvktobject.h"
#include "dialogs/Fexecutedialog.h"
#include "dialogs/Fuseunitchangedialog.h"
#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/Services.h"
#include "layout/Preview.h"
#include "reports/Fvktpreview.h"
#include "screens/Fclassfilterbar.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdatalistview.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Ffilterselector.h"
#include "screens/Finvdatebar.h"
#include "screens/Finventoryview.h"
#include "screens/Fitemlistview.h"
#include "screens/Fkerneleditpanel.h"
#include "shell/Mvktcommandmodule.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QSplitter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>
#include <utility>

namespace {

constexpr const char* kConfirm = "確認";

// The navigators with their selection readable from outside, for keeping both on one selection.
struct TNavSelection {
    int ClassID = 0;
    int InvDateID = 0;
    TPriorityItem QuickIds;
    TPriorityItem QuickChecks;
    int UserIndex = -1;
};

template <typename Base>
class TMirroredNavigator final : public Base {
public:
    using Base::Base;
    TNavSelection Selection() const
    {
        TNavSelection s;
        s.ClassID = this->ClassSelectedID();
        s.InvDateID = this->GetInvDateBar() ? this->GetInvDateBar()->GetInvDateID() : 0;
        this->GetQuick(s.QuickIds, s.QuickChecks);
        s.UserIndex = this->GetUserIndex();
        return s;
    }
};
using TMainFilterView = TMirroredNavigator<TClassFilterView>;
using TMainFilterBar = TMirroredNavigator<TClassFilterBar>;

TNavSelection SelectionOf(const TClassFilterBase* nav)
{
    if (auto* view = dynamic_cast<const TMainFilterView*>(nav)) return view->Selection();
    if (auto* bar = dynamic_cast<const TMainFilterBar*>(nav)) return bar->Selection();
    return {};
}

// The popup list of a month drop-down, drawn by the panel.
class TInvDateDelegate final : public QStyledItemDelegate {
public:
    TInvDateDelegate(const TVktPanel* panel, QObject* parent) : QStyledItemDelegate(parent), panel_(panel) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        panel_->DrawInvDateItem(*painter, option.rect, index.data().toString());
    }

private:
    const TVktPanel* panel_;
};

void PopupOn(QWidget* widget, QMenu* menu)
{
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(widget, &QWidget::customContextMenuRequested, menu,
                     [widget, menu](const QPoint& pos) { menu->popup(widget->mapToGlobal(pos)); });
}

QMenu* MakePopup(QWidget* parent, const char* name, std::initializer_list<QAction*> actions)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    for (QAction* action : actions) {
        if (action)
            menu->addAction(action);
        else
            menu->addSeparator();
    }
    VktCommandModule()->WatchMenu(menu);
    return menu;
}

bool FromRecordList(const QMimeData* data) { return data && data->hasFormat(kVktDataIdsMime); }

} // namespace

TVktPanel::TVktPanel(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName("VktPanel");
    CreateVktCommandModule();
    GetObjEvent().OnRename = [this](TVktObject* sender) {
        if (OnRename) OnRename(this, sender->GetName());
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

TVktPanel::~TVktPanel()
{
    MarkDestroying();
    // The screens' teardown ends an edit (a change); the owner may be in its own destructor.
    OnChange = nullptr;
    OnRename = nullptr;
    delete preview_;
    delete inventoryView_;
    delete classFilterView_;
    delete classFilterBar_;
    delete dataViewer_;
}

bool TVktPanel::IsCurrent() const
{
    return VktCommandModule() && VktCommandModule()->GetCurrentPanel() == this;
}

bool TVktPanel::BoundValid() const
{
    TVktObject* object = GetVktObject();
    return object && object->IsValid();
}

void TVktPanel::Setup()
{
    if (GetSetupDone()) return;
    TVktCommandModule* module = CreateVktCommandModule();
    auto* layout = static_cast<QVBoxLayout*>(this->layout());

    // Top navigation.
    classFilterBar_ = new TMainFilterBar(this, this);
    classFilterBar_->setObjectName("ClassFilterBar");
    layout->addWidget(classFilterBar_);
    classFilterBar_->SetVisible(false);

    // Side navigation and the screens beside it.
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("Splitter");
    splitter_->setHandleWidth(8);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_, 1);
    classFilterView_ = new TMainFilterView(splitter_, this);
    classFilterView_->setObjectName("ClassFilterView");
    screens_ = new QWidget(splitter_);
    auto* screens = new QVBoxLayout(screens_);
    screens->setContentsMargins(0, 0, 0, 0);
    screens->setSpacing(0);
    splitter_->addWidget(classFilterView_);
    splitter_->addWidget(screens_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    SetClassPanelWidth(classPanelWidth_);
    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        if (const int width = splitter_->sizes().value(0); width > 0) classPanelWidth_ = width;
    });
    // The filter selector keeps its height; the class tree takes what the window gains or loses.
    QSplitter* inner = classFilterView_->GetSplitter();
    inner->setStretchFactor(0, 1);
    inner->setStretchFactor(1, 0);
    connect(inner, &QSplitter::splitterMoved, this, [this, inner] {
        if (const int height = inner->sizes().value(1); height > 0) filterPanelHeight_ = height;
    });
    classViewPopupMenu_ = MakePopup(this, "ClassViewPopupMenu", {module->ActNewData});
    QTreeWidget* tree = classFilterView_->GetClassView()->GetClassTree();
    PopupOn(tree, classViewPopupMenu_);
    treeViewport_ = tree->viewport();
    treeViewport_->setAcceptDrops(true);
    treeViewport_->installEventFilter(this);

    // Data screen.
    dataViewer_ = new TDataViewer(screens_, this);
    dataViewer_->setObjectName("DataViewer");
    screens->addWidget(dataViewer_);
    dataViewer_->ShowEditor(false);
    TDataView* dataView = dataViewer_->GetDataView();
    dataView->SetOnOpenData([this](TDataListView*, int id) {
        dataViewer_->EditData(id);
        if (IsCurrent()) VktCommandModule()->ActEditData->setChecked(true);
    });
    dataView->SetOnDeleteData([this](TDataListView*) {
        if (!IsCurrent()) return;
        VktCommandModule()->updateActions();
        VktCommandModule()->ActDeleteData->trigger();
    });
    dataViewer_->OnEditorChange = [this](TDataViewer*) { DoChange(); };
    dataViewPopupMenu_ = MakePopup(
        this, "DataViewPopupMenu",
        {module->ActViewSelAll, module->ActViewSelRev, nullptr, module->ActViewSelClear, nullptr,
         module->ActEditData, module->ActAppendItem, module->ActChangeDataProperty, module->ActChangeDataAttribute,
         module->ActAppendInventory, module->ActReviveData, nullptr, module->ActDeleteData});
    PopupOn(dataView->GetDataListView()->GetStringGrid(), dataViewPopupMenu_);
    dataViewer_->WhenEditorBuilt([this](TDataEditor* editor) {
        // The use-unit wizard asks for the rate by which the price history is converted.
        editor->GetKernelEditPanel()->OnUseUnitChange =
            [this](TKernelEditPanel*, int, bool& convert, double& rate, int newUnit, int oldUnit) {
                convert = UseUnitChangeDlg(GetVktObject())->Execute(oldUnit, newUnit, rate);
            };
        gridViewport_ = editor->GetDetailEditPanel()->GetItemEditPanel()->GetStringGrid()->viewport();
        gridViewport_->setAcceptDrops(true);
        gridViewport_->installEventFilter(this);
    });

    // Stock-taking view.
    inventoryView_ = new TInventoryView(screens_, this);
    inventoryView_->setObjectName("InventoryView");
    screens->addWidget(inventoryView_);
    inventoryView_->SetVisible(false);
    inventoryView_->OnModifiedChange = [this](TInventoryView*) { DoChange(); };
    // The record count (marked / listed) follows both lists' rows and the record list's marks.
    for (const QAbstractItemModel* model : {static_cast<const QAbstractItemModel*>(dataView->GetDataListView()->GetModel()),
                                            static_cast<const QAbstractItemModel*>(inventoryView_->GetInvListView()->GetModel())}) {
        connect(model, &QAbstractItemModel::modelReset, this, [this] { ListsChange(); });
        connect(model, &QAbstractItemModel::rowsInserted, this, [this] { ListsChange(); });
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { ListsChange(); });
    }
    dataView->GetDataListView()->OnSelect = [this](TDataListView*, int, bool) { ListsChange(); };
    inventoryPopupMenu_ = MakePopup(this, "InventoryPopupMenu", {module->ActDeleteInventory});
    PopupOn(inventoryView_->GetInvListView()->GetStringGrid(), inventoryPopupMenu_);

    // Layout view.
    preview_ = new TVktPreview(screens_, this);
    screens->addWidget(preview_);
    preview_->SetVisible(false);
    // The record count follows the report's listing while the layout view shows (its changes come
    // as changes of the view).
    preview_->GetPreview()->AddActionNotifier([this](TPreview*) {
        if (previewMode_) ListsChange();
    });
    preview_->OnPrint = [this] {
        if (!IsCurrent()) return;
        VktCommandModule()->updateActions();
        VktCommandModule()->ActPreviewPrint->trigger();
    };

    if (IsCurrent()) module->ActShowClassTree->setChecked(true);

    for (TClassFilterBase* nav : {static_cast<TClassFilterBase*>(classFilterBar_),
                                  static_cast<TClassFilterBase*>(classFilterView_)}) {
        QComboBox* dates = nav->GetInvDateBar()->GetDropDown();
        dates->setItemDelegate(new TInvDateDelegate(this, dates));
        dates->installEventFilter(this);
        nav->OnChange = [this](TClassFilterBase* sender) { ClassFilterChange(sender); };
    }
    // Binding follows the panel: the new panels take the panel's object.
    if (GetVktObject()) {
        TVktObject* object = GetVktObject();
        for (TGuiPanel* panel : {static_cast<TGuiPanel*>(classFilterBar_), static_cast<TGuiPanel*>(classFilterView_),
                                 static_cast<TGuiPanel*>(dataViewer_), static_cast<TGuiPanel*>(inventoryView_),
                                 static_cast<TGuiPanel*>(preview_)})
            panel->SetVktObject(object);
    }
}

int TVktPanel::GetClassPanelWidth() const
{
    return classPanelWidth_;
}

void TVktPanel::SetClassPanelWidth(int width)
{
    classPanelWidth_ = width;
    if (!splitter_ || classBarShown_) return;
    const int total = std::max(splitter_->width() - splitter_->handleWidth(), width + 1);
    splitter_->setSizes({width, total - width});
}

int TVktPanel::GetFilterPanelHeight() const
{
    if (filterPanelHeight_ > 0 || !classFilterView_) return filterPanelHeight_;
    return classFilterView_->GetFilterSelector()->height();
}

void TVktPanel::SetFilterPanelHeight(int height)
{
    filterPanelHeight_ = height;
    if (!classFilterView_ || classBarShown_ || height <= 0) return;
    QSplitter* inner = classFilterView_->GetSplitter();
    const int total = std::max(inner->height() - inner->handleWidth(), height + 1);
    inner->setSizes({total - height, height});
}

// ---- the screens ----

void TVktPanel::ShowClassBar(bool on)
{
    if (on == classBarShown_) return;
    classBarShown_ = on;
    if (!GetSetupDone()) return;
    if (on) {
        classFilterView_->SetVisible(false);
        classFilterBar_->SetVisible(true);
    } else {
        classFilterBar_->SetVisible(false);
        classFilterView_->SetVisible(true);
        layout()->activate();   // the side navigation's real size, for the sizes below
        SetClassPanelWidth(classPanelWidth_);
        SetFilterPanelHeight(filterPanelHeight_);
    }
}

void TVktPanel::ShowScreens()
{
    preview_->SetVisible(previewMode_);
    inventoryView_->SetVisible(!previewMode_ && inventoryMode_);
    dataViewer_->SetVisible(!previewMode_ && !inventoryMode_);
}

void TVktPanel::HandFilter(const TClassFilterBase* source)
{
    if (preview_->GetVisible())
        preview_->SetFilter(inventoryMode_ ? source->GetFilter() : source->BuildFilter());
    else if (inventoryView_->GetVisible())
        inventoryView_->SetFilter(source->GetFilter());
    else if (dataViewer_->GetVisible())
        dataViewer_->GetDataView()->SetFilter(source->BuildFilter());
}

std::array<TGuiPanel*, 3> TVktPanel::Screens() const
{
    return {dataViewer_->GetDataView(), inventoryView_, preview_};
}

TGuiPanel* TVktPanel::ShownScreen() const
{
    return previewMode_ ? static_cast<TGuiPanel*>(preview_)
           : inventoryMode_ ? static_cast<TGuiPanel*>(inventoryView_)
                            : static_cast<TGuiPanel*>(dataViewer_->GetDataView());
}

void TVktPanel::HoldScreens()
{
    if (!GetSetupDone()) return;
    for (TGuiPanel* screen : Screens())
        if (!heldScreens_.contains(screen)) {
            heldScreens_.insert(screen);
            screen->BeginUpdate();
        }
    // A binding that fails before its DoUpdate lets the shown screen go afterwards.
    QTimer::singleShot(0, this, [this] { platform::Guard([this] { ReleaseScreen(ShownScreen()); }); });
}

void TVktPanel::ReleaseScreen(TGuiPanel* screen)
{
    if (heldScreens_.remove(screen)) screen->EndUpdate();
}

void TVktPanel::ReleaseScreens()
{
    std::exception_ptr failure;
    for (TGuiPanel* screen : Screens()) {
        try {
            ReleaseScreen(screen);
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void TVktPanel::DoAttach() { HoldScreens(); }

void TVktPanel::DoUpdate()
{
    if (!GetSetupDone()) return;
    if (BoundValid()) {
        HandFilter(classFilterView_);
        ReleaseScreen(ShownScreen());
    } else {
        ReleaseScreens();
    }
}

void TVktPanel::ShowInventory(bool on)
{
    if (on == inventoryMode_) return;
    inventoryMode_ = on;
    if (!GetSetupDone()) return;
    ShowScreens();
    {
        // The navigations report the month bar's change; the filter is handed below.
        const bool old = mirroring_;
        mirroring_ = true;
        classFilterBar_->ShowInvDate(on);
        classFilterView_->ShowInvDate(on);
        mirroring_ = old;
    }
    HandFilter(classFilterView_);
    ReleaseScreen(ShownScreen());
    DoChange();
}

void TVktPanel::ShowPreview(bool on)
{
    if (on == previewMode_) return;
    previewMode_ = on;
    if (!GetSetupDone()) return;
    ShowScreens();
    HandFilter(classFilterView_);
    ReleaseScreen(ShownScreen());
}

bool TVktPanel::IsFiltered() const { return classFilterView_ && classFilterView_->IsFiltered(); }

bool TVktPanel::IsEditing() const
{
    if (!GetSetupDone()) return false;
    const TDataEditor* editor = dataViewer_->FindDataEditor();
    return (editor && editor->IsEditing()) || inventoryView_->GetInvListView()->IsEditorShown();
}

void TVktPanel::DoChange()
{
    if (OnChange) OnChange(this);
}

void TVktPanel::ListsChange()
{
    // Once for a whole reload or a mark of every row.
    if (std::exchange(listsChangePending_, true)) return;
    QTimer::singleShot(0, this, [this] {
        listsChangePending_ = false;
        DoChange();
    });
}

void TVktPanel::ClassFilterChange(TClassFilterBase* sender)
{
    if (mirroring_ || !GetSetupDone() || !BoundValid()) return;
    const platform::BusyCursor busy;
    TDataView* dataView = dataViewer_->GetDataView();
    dataView->BeginUpdate();
    try {
        HandFilter(sender);
        const TNavSelection s = SelectionOf(sender);
        TClassFilterBase* other = sender == classFilterView_ ? static_cast<TClassFilterBase*>(classFilterBar_)
                                                             : static_cast<TClassFilterBase*>(classFilterView_);
        mirroring_ = true;
        other->SetSelection(s.ClassID, s.InvDateID, s.QuickIds, s.QuickChecks, s.UserIndex);
        mirroring_ = false;
    } catch (...) {
        mirroring_ = false;
        dataView->EndUpdate();
        throw;
    }
    dataView->EndUpdate();
    DoChange();
}

// ---- drawing the month drop-downs ----

void TVktPanel::DrawInvDateItem(QPainter& painter, const QRect& rect, const QString& text) const
{
    int x = rect.left() + 2;
    if (rect.left() != 0) {
        const QPixmap image = VktCommandModule()->GetImageList().Pixmap(29);
        painter.drawPixmap(rect.left(), rect.top() + (rect.height() - image.height()) / 2, image);
        x = rect.left() + 18;
    }
    painter.drawText(QRect(x, rect.top() + 2, rect.right() - x, rect.height() - 2),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// ---- drag and drop ----

bool TVktPanel::TakesChanges() const
{
    const TVktObject* object = GetVktObject();
    return object && !object->IsReadOnly();
}

bool TVktPanel::ClassTreeDragOver(const QMimeData* data, QTreeWidgetItem* node) const
{
    if (!FromRecordList(data) || !node || node->childCount() > 0 || !GetSetupDone() || !TakesChanges()) return false;
    const int family = classFilterView_->GetSelectedFamily();
    const int target = classFilterView_->GetNodeFamily(node);
    return family != -1 && (family == 0 || family == target || target == -1);
}

void TVktPanel::ClassTreeDragDrop(QTreeWidgetItem* node)
{
    if (!node || !GetSetupDone()) return;
    if (classFilterView_->GetNodeFamily(node) == -1) {
        if (!IsCurrent()) return;
        VktCommandModule()->updateActions();
        VktCommandModule()->ActDeleteData->trigger();
        return;
    }
    TVktObject* object = GetVktObject();
    if (!object) return;
    const bool shift = platform::Services().ShiftDown();
    if (!shift && !platform::AskYesNo("選択されているデータの分類を変更しますか？", kConfirm, true)) return;
    TExecuteDialog* batch = ExecuteDlg(object);
    batch->SetAutoClose(shift);
    TDataView* dataView = dataViewer_->GetDataView();
    batch->ChangeDataClass(classFilterView_->GetClassView()->GetNodeID(node),
                           dataView->GetDataListView()->GetSelectedIDs());
    dataView->Changed();
}

bool TVktPanel::ItemGridDragOver(const QMimeData* data) const { return FromRecordList(data) && TakesChanges(); }

void TVktPanel::ItemGridDragDrop()
{
    if (!GetSetupDone() || !BoundValid()) return;
    const bool shift = platform::Services().ShiftDown();
    if (!shift && !platform::AskYesNo("選択されているデータを編集中のデータの材料に追加しますか？", kConfirm, true))
        return;
    TExecuteDialog* batch = ExecuteDlg(GetVktObject());
    batch->SetAutoClose(shift);
    batch->AppendRecipeItem(dataViewer_->GetDataEditor()->GetDataID(),
                            dataViewer_->GetDataView()->GetDataListView()->GetSelectedIDs());
}

bool TVktPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (!GetSetupDone() || GetDestroying()) return TGuiPanel::eventFilter(watched, event);
    QTreeWidget* tree = classFilterView_->GetClassView()->GetClassTree();
    const bool onTree = watched == treeViewport_;
    const bool onGrid = watched == gridViewport_;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (onTree || onGrid) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const bool accept = onTree ? ClassTreeDragOver(drag->mimeData(), tree->itemAt(drag->position().toPoint()))
                                       : ItemGridDragOver(drag->mimeData());
            if (accept)
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        break;
    case QEvent::Drop:
        if (onTree || onGrid) {
            auto* drop = static_cast<QDropEvent*>(event);
            QTreeWidgetItem* node = onTree ? tree->itemAt(drop->position().toPoint()) : nullptr;
            if (onTree ? !ClassTreeDragOver(drop->mimeData(), node) : !ItemGridDragOver(drop->mimeData()))
                return true;
            drop->acceptProposedAction();
            platform::Guard([&] {
                if (onTree)
                    ClassTreeDragDrop(node);
                else
                    ItemGridDragDrop();
            });
            return true;
        }
        break;
    case QEvent::Paint:
        if (auto* combo = qobject_cast<QComboBox*>(watched)) {
            // The closed field: the frame by the style, the month with image 29 by the panel.
            QStylePainter painter(combo);
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = false;
            option.currentText.clear();
            painter.drawComplexControl(QStyle::CC_ComboBox, option);
            const QRect field =
                combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
            painter.setPen(combo->palette().color(combo->isEnabled() ? QPalette::Text : QPalette::PlaceholderText));
            DrawInvDateItem(painter, field.left() == 0 ? field.adjusted(1, 0, 0, 0) : field, combo->currentText());
            return true;
        }
        break;
    default:
        break;
    }
    return TGuiPanel::eventFilter(watched, event);
}

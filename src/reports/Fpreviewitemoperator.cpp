#include "reports/Fpreviewitemoperator.h"

#include "gui/Application.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Ucontainer.h"

#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace {

constexpr int kDragThreshold = 5;

// Passes the tree's mouse, drag and key events to the operator.
class TItemTreeWidget : public QTreeWidget {
public:
    TItemTreeWidget(TPreviewItemOperator* owner) : QTreeWidget(owner), owner_(owner) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        platform::Guard([&] { owner_->TreeViewMouseDown(event); });
        QTreeWidget::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        platform::Guard([&] { owner_->TreeViewMouseMove(event); });
    }
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasFormat(QString::fromLatin1(TPreviewItemOperator::kMimeType)))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        platform::Guard([&] { owner_->TreeViewDragOver(event); });
    }
    void dropEvent(QDropEvent* event) override
    {
        platform::Guard([&] { owner_->TreeViewDragDrop(event); });
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        event->ignore();
        platform::Guard([&] { owner_->TreeViewKeyDown(event); });
        if (!event->isAccepted()) QTreeWidget::keyPressEvent(event);
    }

private:
    TPreviewItemOperator* owner_;
};

int TypeOf(const TViewItem* item)
{
    const auto* container = dynamic_cast<const TContainer*>(item->GetObject());
    return container ? container->GetType() : 0;
}

} // namespace

// The icon of a container type (0: the page settings), from the icons compiled into the library.
static const QIcon& ContainerIcon(int type)
{
    static const std::vector<QIcon> icons = [] {
        Q_INIT_RESOURCE(reports);
        const platform::IconList& list = platform::ProgramIcons("containers");
        std::vector<QIcon> out;
        for (int i = 0; i < list.GetCount(); ++i) out.push_back(list.Icon(i));
        return out;
    }();
    static const QIcon none;
    return type >= 0 && type < static_cast<int>(icons.size()) ? icons[static_cast<std::size_t>(type)] : none;
}

TPreviewItemOperator::TPreviewItemOperator(QWidget* parent) : QWidget(parent)
{
    setObjectName("PreviewItemOperator");
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    TreeView = new TItemTreeWidget(this);
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setIndentation(19);
    TreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView->setIconSize(QSize(16, 16));
    TreeView->setUniformRowHeights(true);
    TreeView->setDragEnabled(false);
    TreeView->viewport()->setAcceptDrops(true);
    box->addWidget(TreeView);
    connect(TreeView, &QTreeWidget::currentItemChanged, this,
            platform::Guarded([this](QTreeWidgetItem*, QTreeWidgetItem*) { TreeViewChange(); }));
    Rebuild();
}

TPreviewItemOperator::~TPreviewItemOperator()
{
    if (preview_ && notifier_) preview_->DeleteActionNotifier(notifier_);
}

void TPreviewItemOperator::SetPreview(TPreview* preview)
{
    if (preview_ && notifier_) preview_->DeleteActionNotifier(notifier_);
    notifier_ = nullptr;
    preview_ = preview;
    Rebuild();
    if (!preview) return;
    notifier_ = preview->AddActionNotifier(
        {}, [this](TPreview*, TViewItem* parent, TViewItem* item) { PreviewAddItem(parent, item); },
        [this](TPreview*, TTreeItem* item) { PreviewDeleteItem(item); },
        [this](TPreview*, TTreeItem* item, TTreeItem*, int) { PreviewMoveItem(item); },
        [this](TPreview*, TViewItem*, bool) { PreviewSelChange(); }, [this](TPreview*) { Rebuild(); });
    // Items already in the document, parents before their children.
    const std::function<void(TTreeItem*, TViewItem*)> add = [&](TTreeItem* parent, TViewItem* parentArg) {
        for (int i = 0; i < parent->GetCountOfChildren(); ++i) {
            auto* item = static_cast<TViewItem*>(parent->GetItem(i));
            PreviewAddItem(parentArg, item);
            add(item, item);
        }
    };
    add(preview->GetItems()->GetPageRoot(), nullptr);
    PreviewSelChange();
}

TViewItem* TPreviewItemOperator::ItemOf(const QTreeWidgetItem* node)
{
    return node ? reinterpret_cast<TViewItem*>(node->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

void TPreviewItemOperator::Rebuild()
{
    const bool was = std::exchange(updating_, true);
    TreeView->clear();
    nodes_.clear();
    scrollTo_ = nullptr;
    picked_ = nullptr;
    downNode_ = nullptr;
    root_ = new QTreeWidgetItem(TreeView);
    root_->setText(0, platform::ToQString(kRootCaption));
    root_->setIcon(0, ContainerIcon(0));
    TreeView->setCurrentItem(root_);
    updating_ = was;
}

void TPreviewItemOperator::Forget(QTreeWidgetItem* node)
{
    if (const TTreeItem* item = ItemOf(node)) {
        nodes_.remove(item);
        if (item == picked_) picked_ = nullptr;
        if (item == scrollTo_) scrollTo_ = nullptr;
    }
    if (node == downNode_) downNode_ = nullptr;
    for (int i = 0; i < node->childCount(); ++i) Forget(node->child(i));
}

void TPreviewItemOperator::SelectNode(QTreeWidgetItem* node)
{
    const bool was = std::exchange(updating_, true);
    TreeView->setCurrentItem(node);
    picked_ = ItemOf(node);
    TreeView->scrollToItem(node);
    updating_ = was;
}

void TPreviewItemOperator::PreviewAddItem(TViewItem* parent, TViewItem* item)
{
    if (!preview_ || !item->GetOptions().Contains(voSelectable)) return;
    QTreeWidgetItem* parentNode = parent ? NodeOf(parent) : nullptr;
    if (parent && !parentNode) return;
    // Filled before it joins the tree: the view hears of one insertion, not of each field.
    auto* node = new QTreeWidgetItem;
    const int type = TypeOf(item);
    node->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    node->setText(0, platform::ToQString(preview_->GetContainerCaption(type)));
    node->setIcon(0, ContainerIcon(type));
    if (parentNode) {
        parentNode->addChild(node);
        if (!parentNode->isExpanded()) parentNode->setExpanded(true);
    } else {
        TreeView->addTopLevelItem(node);
    }
    nodes_.insert(item, node);
    if (item->GetSelected())
        SelectNode(node);
    else
        ScrollLater(item);
}

void TPreviewItemOperator::ScrollLater(TViewItem* item)
{
    // One scroll after a burst of adds (a load adds thousands).
    const bool queued = scrollTo_ != nullptr;
    scrollTo_ = item;
    if (queued) return;
    QTimer::singleShot(0, this, [this] {
        if (QTreeWidgetItem* node = NodeOf(std::exchange(scrollTo_, nullptr))) TreeView->scrollToItem(node);
    });
}

void TPreviewItemOperator::PreviewDeleteItem(TTreeItem* item)
{
    // The whole document going: the tree is emptied in one step, not node by node.
    if (preview_ && preview_->GetItems()->GetClearing()) {
        if (!nodes_.isEmpty()) Rebuild();
        return;
    }
    QTreeWidgetItem* node = NodeOf(item);
    if (!node) return;
    const bool was = std::exchange(updating_, true);
    Forget(node);
    delete node;
    updating_ = was;
}

void TPreviewItemOperator::PreviewMoveItem(TTreeItem* moved)
{
    auto* item = static_cast<TViewItem*>(moved);
    QTreeWidgetItem* node = NodeOf(item);
    if (!node || !preview_) return;
    const bool was = std::exchange(updating_, true);
    const bool current = TreeView->currentItem() == node;
    // Out of its old place, into the item's new one: after the shown siblings before it.
    if (QTreeWidgetItem* old = node->parent())
        old->removeChild(node);
    else
        TreeView->takeTopLevelItem(TreeView->indexOfTopLevelItem(node));
    TTreeItem* parent = item->GetParent();
    const bool top = parent == preview_->GetItems()->GetPageRoot();
    QTreeWidgetItem* parentNode = top ? nullptr : NodeOf(parent);
    if (!top && !parentNode) {
        // Now below an item the tree does not show.
        Forget(node);
        delete node;
        updating_ = was;
        return;
    }
    int index = 0;
    for (TTreeItem* s = item->GetPrevSibling(); s; s = s->GetPrevSibling())
        if (NodeOf(s)) ++index;
    if (top)
        TreeView->insertTopLevelItem(index + 1, node);
    else
        parentNode->insertChild(index, node);
    TreeView->expandRecursively(TreeView->indexFromItem(node));
    if (current) TreeView->setCurrentItem(node);
    updating_ = was;
}

void TPreviewItemOperator::PreviewSelChange()
{
    if (selecting_ || !preview_) return;
    TViewItem* selected = preview_->GetSelected();
    if (!selected)
        SelectNode(root_);
    else if (QTreeWidgetItem* node = NodeOf(selected))
        SelectNode(node);
}

void TPreviewItemOperator::TreeViewChange()
{
    QTreeWidgetItem* node = TreeView->currentItem();
    if (updating_ || !node) return;
    TViewItem* item = ItemOf(node);
    if (item == picked_) return;
    picked_ = item;
    if (!preview_) return;
    selecting_ = true;
    try {
        preview_->SetSelected(item);
    } catch (...) {
        selecting_ = false;
        throw;
    }
    selecting_ = false;
}

void TPreviewItemOperator::TreeViewMouseDown(QMouseEvent* event)
{
    downNode_ = nullptr;
    downPoint_ = {};
    if (!TreeView->hasFocus()) return;
    downPoint_ = event->position().toPoint();
    downNode_ = TreeView->itemAt(downPoint_);
}

void TPreviewItemOperator::TreeViewMouseMove(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || !downNode_ || TreeView->itemAt(at) != downNode_ ||
        !ItemOf(downNode_) || at == downPoint_ || (at - downPoint_).manhattanLength() < kDragThreshold)
        return;
    QTreeWidgetItem* node = std::exchange(downNode_, nullptr);
    StartDrag(node);
}

QByteArray TPreviewItemOperator::DragIdentity() const
{
    return QByteArray::number(reinterpret_cast<quintptr>(this));
}

void TPreviewItemOperator::StartDrag(QTreeWidgetItem*)
{
    auto* drag = new QDrag(TreeView);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), DragIdentity());
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

bool TPreviewItemOperator::DropPlace(TViewItem* dragged, TViewItem* target, bool shift, TDropPlace& place)
{
    if (!dragged || !target || target == dragged || target->IsAncestor(dragged)) return false;
    if (shift) {
        place = {target, true};
    } else if (dragged->GetAbsoluteIndex() <= target->GetAbsoluteIndex()) {
        if (TTreeItem* next = target->GetNextSibling())
            place = {static_cast<TViewItem*>(next), false};
        else
            place = {static_cast<TViewItem*>(target->GetParent()), true};
    } else {
        place = {target, false};
    }
    return true;
}

bool TPreviewItemOperator::DropTarget(QDropEvent* event, TDropPlace& place) const
{
    if (!preview_ || event->mimeData()->data(QString::fromLatin1(kMimeType)) != DragIdentity()) return false;
    TViewItem* dragged = ItemOf(TreeView->currentItem());
    TViewItem* target = ItemOf(TreeView->itemAt(event->position().toPoint()));
    return DropPlace(dragged, target, event->modifiers() & Qt::ShiftModifier, place) &&
           preview_->CanItemMove(dragged, place.Destination, place.AsChild);
}

void TPreviewItemOperator::TreeViewDragOver(QDragMoveEvent* event)
{
    TDropPlace place;
    if (DropTarget(event, place))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TPreviewItemOperator::TreeViewDragDrop(QDropEvent* event)
{
    TDropPlace place;
    if (!DropTarget(event, place)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    TViewItem* dragged = preview_->GetSelected();
    preview_->ItemMove(dragged, place.Destination, place.AsChild);
    if (QTreeWidgetItem* node = NodeOf(dragged)) TreeView->scrollToItem(node);
}

void TPreviewItemOperator::TreeViewKeyDown(QKeyEvent* event)
{
    if (!preview_) return;
    TViewItem* selected = preview_->GetSelected();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int key = event->key();
    if (key == Qt::Key_Delete && !ctrl) {
        if (selected) preview_->Delete(selected);
    } else if (ctrl && key == Qt::Key_C) {
        if (selected) preview_->CopyToClipboard();
    } else if (ctrl && key == Qt::Key_X) {
        if (selected) preview_->CutToClipboard();
    } else if (ctrl && key == Qt::Key_V) {
        preview_->PasteFromClipboard();
    } else {
        return;
    }
    event->accept();
}

std::string TPreviewItemOperator::Dump() const
{
    std::string out;
    const std::function<void(const QTreeWidgetItem*)> dump = [&](const QTreeWidgetItem* node) {
        if (!out.empty() && out.back() != '[') out += ' ';
        out += platform::FromQString(node->text(0));
        if (node->childCount() == 0) return;
        out += '[';
        for (int i = 0; i < node->childCount(); ++i) dump(node->child(i));
        out += ']';
    };
    for (int i = 0; i < TreeView->topLevelItemCount(); ++i) dump(TreeView->topLevelItem(i));
    return out;
}

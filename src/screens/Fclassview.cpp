#include "screens/Fclassview.h"

#include "data/Vktcodes.h"
#include "gui/IconList.h"
#include "gui/LaidText.h"
#include "gui/QtSupport.h"
#include "widgets/Fvktform.h"
#include "widgets/Usteadyscrollbar.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <cmath>
#include <utility>

namespace {


constexpr int kExpandDepth = 4;

// Grey text for nodes with children when only leaves may be chosen. A name is laid out once and
// drawn from then on as laid out: a tree of thousands of classes repaints its rows on every
// selection, insertion and scroll, and the style would shape each row's text anew each time (twice:
// to elide it, then to draw it). A name that does not fit is drawn by the style, elided, and so are
// the selected rows.
class LeafDelegate : public QStyledItemDelegate {
public:
    LeafDelegate(const bool& leafOnly, QObject* parent) : QStyledItemDelegate(parent), leafOnly_(leafOnly) {}

    void SetLaidOnce(bool on) { laidOnce_ = on; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const Qt::Alignment horizontal = opt.displayAlignment & Qt::AlignHorizontal_Mask;
        // The selected rows (light text blended on the highlight) and text that is not a plain
        // left-aligned line are left to the style.
        if (!laidOnce_ || opt.text.isEmpty() || (opt.state & (QStyle::State_Editing | QStyle::State_Selected)) ||
            opt.direction != Qt::LeftToRight ||
            (horizontal != Qt::AlignLeft && horizontal != Qt::AlignLeading) ||
            (opt.features & QStyleOptionViewItem::WrapText)) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The style's text room, asked without the text (which the style would shape to measure
        // it): the rest of the row beside the icon, less the focus frame's margin on each side.
        const QString name = std::exchange(opt.text, QString());
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect room =
            style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(margin, 0, -margin, 0);
        const platform::LaidLine* laid = laid_.Get(name, opt.font);
        if (!laid || laid->Size().width() > room.width()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active) ? QPalette::Normal
                                                                                : QPalette::Inactive;
        const int height = static_cast<int>(std::ceil(laid->Size().height()));
        const QRect line = QStyle::alignedRect(opt.direction, opt.displayAlignment & Qt::AlignVertical_Mask,
                                               QSize(room.width(), height), room);
        painter->save();
        painter->setClipRect(opt.rect, Qt::IntersectClip);
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(group, QPalette::Text));
        laid->Draw(*painter, QPointF(room.left(), line.top()));
        painter->restore();
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (leafOnly_ && index.model()->hasChildren(index))
            option->palette.setColor(QPalette::Text, option->palette.color(QPalette::Disabled, QPalette::Text));
    }

private:
    const bool& leafOnly_;
    bool laidOnce_ = true;
    // Names of renamed and deleted classes stay until the cache is many trees' worth.
    mutable platform::LaidTexts laid_{50000};
};

// The chosen row, its indent included, in the highlight while the view has the focus and in the
// button face otherwise, as the record list marks its rows then.
class FocusHighlight final : public QObject {
public:
    explicit FocusHighlight(QWidget& view) : QObject(&view)
    {
        view.installEventFilter(this);
        Apply(view, view.hasFocus());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            Apply(*static_cast<QWidget*>(watched), event->type() == QEvent::FocusIn);
        return QObject::eventFilter(watched, event);
    }

private:
    static void Apply(QWidget& view, bool focused)
    {
        const QPalette system = QApplication::palette(&view);
        QPalette palette = view.palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Highlight,
                             system.color(group, focused ? QPalette::Highlight : QPalette::Button));
            palette.setColor(group, QPalette::HighlightedText,
                             system.color(group, focused ? QPalette::HighlightedText : QPalette::Text));
        }
        view.setPalette(palette);
    }
};

} // namespace

class TClassView::TNode : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;
    TNode() : QTreeWidgetItem(kType) {}
    TNodeData data;
};

TClassView::TClassView(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ClassView"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // A class added or removed changes the range by a row, a new class scrolled to moves the slider:
    // the bar repaints only what its slider moved.
    tree_ = new TSteadyTreeWidget(this);
    tree_->setObjectName(QStringLiteral("ClassTree"));
    tree_->setAccessibleName(QStringLiteral("クラスツリー"));
    tree_->setFont(VktFormFont());
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setIndentation(16);
    // One font and one icon size: every row is as high as the first, with no measuring of the
    // rows above a node when it is selected, scrolled to or painted.
    tree_->setUniformRowHeights(true);
    tree_->setStatusTip(QStringLiteral("クラスビュー"));
    delegate_ = new LeafDelegate(leafOnly_, tree_);
    tree_->setItemDelegate(delegate_);
    new FocusHighlight(*tree_);
    layout->addWidget(tree_);
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (OnChanging) OnChanging(currentNode_, current);
        currentNode_ = current;
        if (OnChange) OnChange(this);
    });
}

void TClassView::AddClass(int id, int classType, int image, const std::string& name, const TTreeIndex& treeIndex)
{
    QTreeWidgetItem* node = nullptr;
    if (loading_) {
        // The class's node when it has one not listed yet in this load.
        node = FindNode(id);
        if (node && NodeData(node)->load == loads_) node = nullptr;
    }
    const QString text = platform::ToQString(name);
    const bool added = !node;
    if (added) {
        node = new TNode;
        node->setText(0, text);
    } else if (node->text(0) != text) {
        node->setText(0, text);
    }
    TNodeData& data = *NodeData(node);
    const bool sameImage = !added && data.image == image;
    if (!added && data.tree.GetPath() != treeIndex.GetPath()) vacated_.push_back(data.tree.GetPath());
    data = {id, classType, image, treeIndex, loads_};
    if (!sameImage) SetNodeImage(node, image);
    QTreeWidgetItem* parent = nullptr;
    if (treeIndex.Depth() > 1) {
        const std::string parentPath = treeIndex.GetParent().GetPath();
        const auto found = byPath_.find(parentPath);
        if (found != byPath_.end() && IsListedAt(found->second, parentPath)) parent = found->second;
    }
    byId_[id] = node;
    byPath_[treeIndex.GetPath()] = node;
    // Before the first sibling whose tree index is greater.
    if (loading_) {
        auto [listed, first] = listedChildren_.try_emplace(parent);
        if (first) parents_.push_back(parent);
        std::vector<QTreeWidgetItem*>& siblings = listed->second;
        auto place = siblings.end();
        while (place != siblings.begin() && NodeData(*(place - 1))->tree > treeIndex) --place;
        siblings.insert(place, node);
        return;
    }
    const int siblings = parent ? parent->childCount() : tree_->topLevelItemCount();
    int place = siblings;
    while (place > 0) {
        QTreeWidgetItem* previous = parent ? parent->child(place - 1) : tree_->topLevelItem(place - 1);
        if (!(GetNodeTreeIndex(previous) > treeIndex)) break;
        --place;
    }
    if (parent) parent->insertChild(place, node);
    else tree_->insertTopLevelItem(place, node);
    if (parent && treeIndex.Depth() < kExpandDepth) parent->setExpanded(true);
}

bool TClassView::IsListedAt(const QTreeWidgetItem* node, const std::string& path) const
{
    const TNodeData* data = NodeData(node);
    return data && data->load == loads_ && data->tree.GetPath() == path;
}

void TClassView::BeginLoad()
{
    if (loading_) return;
    loading_ = true;
    ++loads_;
}

void TClassView::EndLoad()
{
    if (!loading_) return;
    loading_ = false;
    QTreeWidgetItem* root = tree_->invisibleRootItem();
    const auto listed = [this](QTreeWidgetItem* parent) -> const std::vector<QTreeWidgetItem*>* {
        const auto found = listedChildren_.find(parent);
        return found == listedChildren_.end() ? nullptr : &found->second;
    };
    // A node whose children change lets them all go first (a child may move to another parent);
    // the others keep theirs, sub-trees included.
    std::vector<QTreeWidgetItem*> emptied;
    const auto release = [&](QTreeWidgetItem* item, QTreeWidgetItem* key) {
        const int count = item->childCount();
        if (count == 0) return;
        const std::vector<QTreeWidgetItem*>* children = listed(key);
        if (children && static_cast<int>(children->size()) == count) {
            int i = 0;
            while (i < count && item->child(i) == (*children)[static_cast<std::size_t>(i)]) ++i;
            if (i == count) return;
        }
        item->takeChildren();
        if (!children && key) emptied.push_back(item);
    };
    release(root, nullptr);
    for (const auto& [id, node] : byId_) release(node, node);
    // Sub-trees are put together apart from the tree, deepest parents first; then the top level.
    for (auto parent = parents_.rbegin(); parent != parents_.rend(); ++parent) {
        QTreeWidgetItem* item = *parent ? *parent : root;
        if (item->childCount() == 0) {
            const std::vector<QTreeWidgetItem*>& children = listedChildren_[*parent];
            item->insertChildren(0, QList<QTreeWidgetItem*>(children.begin(), children.end()));
        }
    }
    // Expanded as when built afresh: the parents of the classes above the expansion depth.
    for (QTreeWidgetItem* item : emptied)
        if (item->treeWidget() && item->isExpanded()) item->setExpanded(false);
    for (QTreeWidgetItem* parent : parents_) {
        if (!parent) continue;
        const bool open = GetNodeTreeIndex(listedChildren_[parent].front()).Depth() < kExpandDepth;
        if (parent->isExpanded() != open) parent->setExpanded(open);
    }
    // What is not listed again goes; each such node stands alone, without children, by now. Paths
    // left by nodes that went or moved are dropped.
    std::vector<QTreeWidgetItem*> unlisted;
    for (const auto& [id, node] : byId_)
        if (const TNodeData* data = NodeData(node); data->load != loads_) {
            unlisted.push_back(node);
            vacated_.push_back(data->tree.GetPath());
        }
    for (const std::string& path : vacated_)
        if (const auto entry = byPath_.find(path); entry != byPath_.end() && !IsListedAt(entry->second, path))
            byPath_.erase(entry);
    vacated_.clear();
    for (QTreeWidgetItem* node : unlisted) {
        byId_.erase(GetNodeID(node));
        if (currentNode_ == node) currentNode_ = nullptr;
        delete node;
    }
    parents_.clear();
    listedChildren_.clear();
}

void TClassView::Forget(QTreeWidgetItem* node)
{
    for (int i = 0; i < node->childCount(); ++i) Forget(node->child(i));
    byId_.erase(GetNodeID(node));
    byPath_.erase(GetNodeTreeIndex(node).GetPath());
    if (currentNode_ == node) currentNode_ = nullptr;
}

void TClassView::DeleteClass(int id)
{
    QTreeWidgetItem* node = FindNode(id);
    if (!node) return;
    QTreeWidgetItem* current = tree_->currentItem();
    for (QTreeWidgetItem* walk = current; walk; walk = walk->parent())
        if (walk == node) {
            tree_->setCurrentItem(node->parent());
            break;
        }
    Forget(node);
    delete node;
}

void TClassView::Clear()
{
    const QSignalBlocker blocker(tree_);
    // Nodes placed while loading are not in the tree yet.
    for (const auto& [parent, children] : listedChildren_)
        for (QTreeWidgetItem* node : children)
            if (!node->treeWidget()) delete node;
    parents_.clear();
    listedChildren_.clear();
    vacated_.clear();
    loading_ = false;
    tree_->clear();
    byId_.clear();
    byPath_.clear();
    currentNode_ = nullptr;
}

void TClassView::SelectID(int id)
{
    if (QTreeWidgetItem* node = FindNode(id)) tree_->setCurrentItem(node);
}

int TClassView::GetSelectedID() const { return GetNodeID(tree_->currentItem()); }
int TClassView::GetSelectedClassType() const { return GetNodeClassType(tree_->currentItem()); }

TTreeIndex TClassView::GetSelectedTreeIndex() const
{
    QTreeWidgetItem* node = tree_->currentItem();
    return node ? GetNodeTreeIndex(node) : TTreeIndex(std::string("200"));
}

QTreeWidgetItem* TClassView::FindNode(int id) const
{
    const auto found = byId_.find(id);
    return found == byId_.end() ? nullptr : found->second;
}

const TClassView::TNodeData* TClassView::NodeData(const QTreeWidgetItem* node)
{
    return node && node->type() == TNode::kType ? &static_cast<const TNode*>(node)->data : nullptr;
}

TClassView::TNodeData* TClassView::NodeData(QTreeWidgetItem* node)
{
    return node && node->type() == TNode::kType ? &static_cast<TNode*>(node)->data : nullptr;
}

int TClassView::GetNodeID(const QTreeWidgetItem* node) const
{
    const TNodeData* data = NodeData(node);
    return data ? data->id : 0;
}

int TClassView::GetNodeClassType(const QTreeWidgetItem* node) const
{
    const TNodeData* data = NodeData(node);
    return data ? data->classType : ctRoot;
}

TTreeIndex TClassView::GetNodeTreeIndex(const QTreeWidgetItem* node) const
{
    if (!node) return {};
    const TNodeData* data = NodeData(node);
    return data ? data->tree : TTreeIndex();
}

std::string TClassView::GetNodeText(const QTreeWidgetItem* node) const
{
    return node ? platform::FromQString(node->text(0)) : std::string();
}

void TClassView::SetNodeText(QTreeWidgetItem* node, const std::string& text)
{
    if (node) node->setText(0, platform::ToQString(text));
}

void TClassView::SetNodeImage(QTreeWidgetItem* node, int image)
{
    if (!node) return;
    if (TNodeData* data = NodeData(node)) data->image = image;
    node->setIcon(0, image >= 0 && image < static_cast<int>(icons_.size()) ? icons_[static_cast<std::size_t>(image)]
                                                                           : QIcon());
}

int TClassView::GetNodeImage(const QTreeWidgetItem* node) const
{
    const TNodeData* data = NodeData(node);
    return data ? data->image : 0;
}

void TClassView::SetImages(const platform::IconList* images)
{
    images_ = images;
    icons_.clear();
    for (int i = 0; images && i < images->GetCount(); ++i) icons_.push_back(images->Icon(i));
    for (const auto& [id, node] : byId_) SetNodeImage(node, GetNodeImage(node));
}

void TClassView::SetTextLaidOnce(bool on)
{
    static_cast<LeafDelegate*>(delegate_)->SetLaidOnce(on);
    tree_->viewport()->update();
}

void TClassView::SetLeafOnly(bool value)
{
    leafOnly_ = value;
    tree_->viewport()->update();
}

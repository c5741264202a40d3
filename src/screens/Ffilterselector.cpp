#include "screens/Ffilterselector.h"

#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "widgets/Fvktform.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTreeWidget>

namespace {

enum Role { DataRole = Qt::UserRole, StateRole };

constexpr int kImageWidth = 16;

const char* const kQuickNone = "クイックフィルター(なし)";
const char* const kQuick = "クイックフィルター";
const char* const kUserNone = "ユーザーフィルター(なし)";
const char* const kUser = "ユーザーフィルター";

QIcon FilterIcon(int index) { return platform::ProgramIcons("filters").Icon(index); }

} // namespace

TFilterSelector::TFilterSelector(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("FilterSelector"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("TreeView"));
    tree_->setFont(VktFormFont());
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(false);
    tree_->setIndentation(16);
    tree_->setIconSize(QSize(kImageWidth, kImageWidth));
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setStatusTip(QStringLiteral("フィルタービュー"));
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
    layout->addWidget(tree_);

    popup_ = new QMenu(this);
    popup_->setObjectName(QStringLiteral("PopupMenu"));
    miDisableQuick_ = popup_->addAction(QStringLiteral("クイックフィルターを全て無効にする"));
    miDisableQuick_->setObjectName(QStringLiteral("MIDisableQuickFilter"));
    miDisableUser_ = popup_->addAction(QStringLiteral("ユーザーフィルターを全て無効にする"));
    miDisableUser_->setObjectName(QStringLiteral("MIDisableUserFilter"));
    connect(miDisableQuick_, &QAction::triggered, this, [this] { DisableQuickFilters(); });
    connect(miDisableUser_, &QAction::triggered, this, [this] { DisableUserFilter(); });
    connect(popup_, &QMenu::aboutToShow, this, [this] {
        QTreeWidgetItem* node = tree_->currentItem();
        miDisableQuick_->setVisible(node && node->parent() == quickRoot_);
        miDisableUser_->setVisible(node && node->parent() == userRoot_);
    });
    connect(tree_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) { ShowPopup(pos); });
    Reset();
}

void TFilterSelector::ShowPopup(const QPoint& pos)
{
    if (QTreeWidgetItem* node = tree_->itemAt(pos)) tree_->setCurrentItem(node);
    popup_->popup(tree_->viewport()->mapToGlobal(pos));
}

void TFilterSelector::Reset()
{
    userFilterIndex_ = -1;
    tree_->clear();
    quickRoot_ = new QTreeWidgetItem(tree_, {QString::fromUtf8(kQuickNone)});
    quickRoot_->setData(0, DataRole, -1);
    quickRoot_->setIcon(0, FilterIcon(0));
    userRoot_ = new QTreeWidgetItem(tree_, {QString::fromUtf8(kUserNone)});
    userRoot_->setData(0, DataRole, -1);
    userRoot_->setIcon(0, FilterIcon(0));
}

void TFilterSelector::ClearQuick()
{
    qDeleteAll(quickRoot_->takeChildren());
    quickRoot_->setText(0, QString::fromUtf8(kQuickNone));
}

void TFilterSelector::AddQuick(int id, const std::string& name)
{
    auto* node = new QTreeWidgetItem(quickRoot_, {platform::ToQString(name)});
    node->setData(0, DataRole, id);
    SetNodeState(node, qsDisabled);
    quickRoot_->setText(0, QString::fromUtf8(kQuick));
    quickRoot_->setExpanded(true);
}

void TFilterSelector::ClearUser()
{
    userFilterIndex_ = -1;
    qDeleteAll(userRoot_->takeChildren());
    userRoot_->setText(0, QString::fromUtf8(kUserNone));
}

void TFilterSelector::AddUser(int index, const std::string& name)
{
    auto* node = new QTreeWidgetItem(userRoot_, {platform::ToQString(name)});
    node->setData(0, DataRole, index);
    SetNodeState(node, qsCheckOff);
    userRoot_->setText(0, QString::fromUtf8(kUser));
    userRoot_->setExpanded(true);
}

int TFilterSelector::NodeState(const QTreeWidgetItem* node) { return node ? node->data(0, StateRole).toInt() : 0; }

void TFilterSelector::SetNodeState(QTreeWidgetItem* node, int state)
{
    node->setData(0, StateRole, state);
    node->setIcon(0, FilterIcon(state));
}

void TFilterSelector::GetQuickFilters(TPriorityItem& ids, TPriorityItem& checks) const
{
    ids.Clear();
    checks.Clear();
    for (int i = 0; i < quickRoot_->childCount(); ++i) {
        const QTreeWidgetItem* node = quickRoot_->child(i);
        const int state = NodeState(node);
        if (state == qsCheckOff || state == qsCheckOn) {
            ids << node->data(0, DataRole).toInt();
            checks << state - 1;
        }
    }
}

void TFilterSelector::SetQuickFilters(const TPriorityItem& ids, const TPriorityItem& checks)
{
    for (int i = 0; i < quickRoot_->childCount(); ++i) SetNodeState(quickRoot_->child(i), qsDisabled);
    for (int k = 0; k < ids.GetCount() && k < checks.GetCount(); ++k)
        for (int i = 0; i < quickRoot_->childCount(); ++i)
            if (quickRoot_->child(i)->data(0, DataRole).toInt() == ids.GetItem(k))
                SetNodeState(quickRoot_->child(i), checks.GetItem(k) + 1);
}

void TFilterSelector::SetUserFilter(int index)
{
    for (int i = 0; i < userRoot_->childCount(); ++i) {
        QTreeWidgetItem* node = userRoot_->child(i);
        SetNodeState(node, node->data(0, DataRole).toInt() == index ? qsCheckOn : qsCheckOff);
    }
    userFilterIndex_ = index;
}

void TFilterSelector::NodeEnter(QTreeWidgetItem* node)
{
    if (!node || !node->parent()) return;
    if (node->parent() == userRoot_) {
        const int data = node->data(0, DataRole).toInt();
        const bool chosen = NodeState(node) == qsCheckOn;
        SetUserFilter(chosen ? -1 : data);
        if (OnUserFilterChange) OnUserFilterChange(this);
    } else {
        int state = NodeState(node) - 1;
        if (state == 0) state = qsDisabled;
        SetNodeState(node, state);
        if (OnQuickFilterChange) OnQuickFilterChange(this);
    }
}

void TFilterSelector::DisableQuickFilters()
{
    tree_->setUpdatesEnabled(false);
    for (int i = 0; i < quickRoot_->childCount(); ++i) SetNodeState(quickRoot_->child(i), qsDisabled);
    tree_->setUpdatesEnabled(true);
    if (OnQuickFilterChange) OnQuickFilterChange(this);
}

void TFilterSelector::DisableUserFilter()
{
    SetUserFilter(-1);
    if (OnUserFilterChange) OnUserFilterChange(this);
}

QRect TFilterSelector::TextRect(QTreeWidgetItem* node) const
{
    // Laid out by the style as the tree's delegate lays out a node with its image and text.
    QStyleOptionViewItem option;
    option.initFrom(tree_);
    option.rect = tree_->visualItemRect(node);
    option.font = tree_->font();
    option.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.text = node->text(0);
    option.icon = node->icon(0);
    option.decorationSize = tree_->iconSize();
    option.decorationPosition = QStyleOptionViewItem::Left;
    option.decorationAlignment = Qt::AlignCenter;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return tree_->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, tree_);
}

bool TFilterSelector::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            NodeEnter(tree_->currentItem());
            return true;
        }
    } else if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        QTreeWidgetItem* node = tree_->itemAt(pos);
        if (node && node->parent() && mouse->button() == Qt::LeftButton) {
            // The image: the 16 pixels left of the text, within the node's height.
            const int textLeft = TextRect(node).left();
            if (pos.x() >= textLeft - kImageWidth && pos.x() < textLeft) {
                tree_->setCurrentItem(node);
                NodeEnter(node);
                return true;
            }
        }
    }
    return QFrame::eventFilter(watched, event);
}

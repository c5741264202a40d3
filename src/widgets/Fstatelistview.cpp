#include "widgets/Fstatelistview.h"

#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

constexpr int kIdRole = Qt::UserRole;
constexpr int kPositionRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;

constexpr int kRowHeight = 18;
constexpr int kScrollStep = 18;
constexpr int kIconLeft = 2;
constexpr int kLabelLeft = 20;

QRect IconRectOf(const QRect& row, int iconWidth, int iconHeight)
{
    return QRect(row.left() + kIconLeft, row.top() + (row.height() - iconHeight) / 2, iconWidth, iconHeight);
}

// Paints a row: the label's background and caption, the focus rectangle, then the state image.
class StateDelegate : public QStyledItemDelegate {
public:
    StateDelegate(TStateListView* owner, QListWidget* list) : QStyledItemDelegate(list), owner_(owner), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPalette& palette = list_->palette();
        const bool selected = option.state & QStyle::State_Selected;
        const bool focused = list_->hasFocus();
        QRect label = option.rect;
        label.setLeft(option.rect.left() + kLabelLeft);
        QColor background = palette.color(QPalette::Base);
        if (selected)
            background = focused ? palette.color(QPalette::Highlight) : palette.color(QPalette::Button);
        painter->fillRect(option.rect, palette.color(QPalette::Base));
        painter->fillRect(label, background);
        painter->setPen(selected && focused ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::Text));
        painter->setFont(option.font);
        painter->drawText(label.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        if (focused && (option.state & QStyle::State_HasFocus)) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.rect = label;
            focus.backgroundColor = background;
            list_->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, list_);
        }
        const platform::IconList& images = owner_->GetImages();
        const int image = index.data(kImageRole).toInt();
        if (images.GetCount() > 0) {
            const QRect icon = IconRectOf(option.rect, images.GetWidth(), images.GetHeight());
            painter->drawPixmap(icon.topLeft(), images.Pixmap(image));
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return QSize(base.width() + kLabelLeft, std::max(kRowHeight, option.fontMetrics.height() + 2));
    }

private:
    TStateListView* owner_;
    QListWidget* list_;
};

QPixmap StatePixmap(int kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF box = kind == 2 ? QRectF(0.5, 0.5, 10, 10) : QRectF(1.5, 1.5, 12, 12);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    if (kind >= 1) {
        QPainterPath check;
        check.moveTo(box.left() + box.width() * 0.2, box.center().y());
        check.lineTo(box.left() + box.width() * 0.42, box.bottom() - box.height() * 0.2);
        check.lineTo(box.right() - box.width() * 0.15, box.top() + box.height() * 0.2);
        painter.setPen(QPen(QColor(0x10, 0x70, 0x20), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
    }
    if (kind == 2) {
        // A line-break arrow at the right edge.
        painter.setPen(QPen(QColor(0x20, 0x40, 0xA0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath arrow;
        arrow.moveTo(14.5, 6);
        arrow.lineTo(14.5, 13.5);
        arrow.lineTo(6.5, 13.5);
        arrow.moveTo(8.5, 11.5);
        arrow.lineTo(6.5, 13.5);
        arrow.lineTo(8.5, 15.5);
        painter.drawPath(arrow);
    }
    return pixmap;
}

} // namespace

TStateListView::TStateListView(QWidget* owner) : QWidget(owner), images_(StateImages())
{
    setObjectName("StateListView");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    listView_ = new QListWidget(this);
    listView_->setObjectName("ListView");
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->setDragDropMode(QAbstractItemView::NoDragDrop);
    listView_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    listView_->setUniformItemSizes(true);
    listView_->setItemDelegate(new StateDelegate(this, listView_));
    listView_->installEventFilter(this);
    listView_->viewport()->installEventFilter(this);
    layout->addWidget(listView_);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, [this] { TimerTimer(); });
}

TStateListView::~TStateListView() = default;

platform::IconList TStateListView::StateImages()
{
    platform::IconList images(16, 16);
    for (int kind = 0; kind < 3; ++kind)
        images.Add(StatePixmap(kind));
    return images;
}

void TStateListView::SetImages(const platform::IconList& images)
{
    images_ = images;
    listView_->viewport()->update();
}

QListWidgetItem* TStateListView::AddItem(const std::string& caption, int id)
{
    auto* item = new QListWidgetItem(QString::fromStdString(caption));
    item->setData(kIdRole, id);
    item->setData(kPositionRole, listView_->count());
    item->setData(kImageRole, 0);
    listView_->addItem(item);
    return item;
}

void TStateListView::Clear()
{
    pressItem_ = nullptr;
    EndDrag();
    listView_->clear();
}

void TStateListView::DeleteItem(QListWidgetItem* item)
{
    if (!item)
        return;
    const int position = GetItemPosition(item);
    if (pressItem_ == item)
        pressItem_ = nullptr;
    delete listView_->takeItem(listView_->row(item));
    for (int row = 0; row < listView_->count(); ++row) {
        QListWidgetItem* other = listView_->item(row);
        if (GetItemPosition(other) > position)
            SetItemPosition(other, GetItemPosition(other) - 1);
    }
}

QListWidgetItem* TStateListView::ItemOfPosition(int position) const
{
    for (int row = 0; row < listView_->count(); ++row)
        if (GetItemPosition(listView_->item(row)) == position)
            return listView_->item(row);
    return nullptr;
}

QListWidgetItem* TStateListView::ItemOfId(int id) const
{
    for (int row = 0; row < listView_->count(); ++row)
        if (GetItemId(listView_->item(row)) == id)
            return listView_->item(row);
    return nullptr;
}

int TStateListView::GetItemPosition(const QListWidgetItem* item) { return item->data(kPositionRole).toInt(); }
int TStateListView::GetItemId(const QListWidgetItem* item) { return item->data(kIdRole).toInt(); }
void TStateListView::SetItemPosition(QListWidgetItem* item, int position) { item->setData(kPositionRole, position); }
int TStateListView::GetItemImage(const QListWidgetItem* item) const { return item->data(kImageRole).toInt(); }
void TStateListView::SetItemImage(QListWidgetItem* item, int image) { item->setData(kImageRole, image); }

void TStateListView::Resort()
{
    QListWidgetItem* current = listView_->currentItem();
    std::vector<QListWidgetItem*> items;
    const QSignalBlocker blocker(listView_);
    while (listView_->count() > 0)
        items.push_back(listView_->takeItem(0));
    std::stable_sort(items.begin(), items.end(), [](const QListWidgetItem* a, const QListWidgetItem* b) {
        return GetItemPosition(a) < GetItemPosition(b);
    });
    for (QListWidgetItem* item : items)
        listView_->addItem(item);
    if (current) {
        listView_->setCurrentItem(current);
        current->setSelected(true);
    }
}

void TStateListView::MoveItem(int from, int to)
{
    QListWidgetItem* moved = ItemOfPosition(from);
    if (!moved || !ItemOfPosition(to) || from == to)
        return;
    for (int row = 0; row < listView_->count(); ++row) {
        QListWidgetItem* item = listView_->item(row);
        const int position = GetItemPosition(item);
        if (to < from && position >= to && position < from)
            SetItemPosition(item, position + 1);
        else if (to > from && position > from && position <= to)
            SetItemPosition(item, position - 1);
    }
    SetItemPosition(moved, to);
    Resort();
    DoChange();
}

void TStateListView::MoveUp()
{
    QListWidgetItem* item = listView_->currentItem();
    if (!item || !item->isSelected())
        return;
    MoveItem(GetItemPosition(item), GetItemPosition(item) - 1);
    listView_->scrollToItem(item);
}

void TStateListView::MoveDown()
{
    QListWidgetItem* item = listView_->currentItem();
    if (!item || !item->isSelected())
        return;
    MoveItem(GetItemPosition(item), GetItemPosition(item) + 1);
    listView_->scrollToItem(item);
}

void TStateListView::SetSelectedState(int state)
{
    QListWidgetItem* item = listView_->currentItem();
    if (!item || !item->isSelected())
        return;
    const int count = images_.GetCount();
    if (count == 0) {
        SetItemImage(item, 0);
    } else {
        const int image = state % count;
        SetItemImage(item, image < 0 ? image + count : image);
    }
    DoChange();
}

void TStateListView::AdvanceSelected()
{
    QListWidgetItem* item = listView_->currentItem();
    if (!item || !item->isSelected())
        return;
    const int next = GetItemImage(item) + 1;
    SetItemImage(item, next >= images_.GetCount() ? 0 : next);
}

TDblPriorityItem TStateListView::GetStates() const
{
    TDblPriorityItem states;
    for (int row = 0; row < listView_->count(); ++row) {
        const QListWidgetItem* item = listView_->item(row);
        const int image = GetItemImage(item);
        if (image != 0) {
            states.Ids.Push(GetItemId(item));
            states.States.Push(image - 1);
        }
    }
    return states;
}

void TStateListView::SetStates(const TDblPriorityItem& states)
{
    if (states == GetStates())
        return;
    updating_ = true;
    listView_->setUpdatesEnabled(false);
    for (int row = 0; row < listView_->count(); ++row)
        SetItemImage(listView_->item(row), 0);
    const int count = std::min(states.Ids.GetCount(), states.States.GetCount());
    for (int i = 0; i < count; ++i) {
        QListWidgetItem* item = ItemOfId(states.Ids.GetItem(i));
        if (!item)
            continue;
        SetItemImage(item, states.States.GetItem(i) + 1);
        MoveItem(GetItemPosition(item), i);
    }
    listView_->setUpdatesEnabled(true);
    updating_ = false;
}

void TStateListView::DoChange()
{
    if (!updating_ && OnChange)
        OnChange(this);
}

QRect TStateListView::IconRect(const QListWidgetItem* item) const
{
    return IconRectOf(listView_->visualItemRect(item), images_.GetWidth(), images_.GetHeight());
}

void TStateListView::TimerTimer()
{
    const QPoint cursor = listView_->viewport()->mapFromGlobal(QCursor::pos());
    const int top = 0;
    const int bottom = listView_->viewport()->height();
    QScrollBar* bar = listView_->verticalScrollBar();
    if (cursor.y() < top)
        bar->setValue(bar->value() - kScrollStep);
    else if (cursor.y() > bottom)
        bar->setValue(bar->value() + kScrollStep);
    const bool near = cursor.y() >= top - kScrollStep && cursor.y() <= bottom + kScrollStep;
    timer_->setInterval(near ? 100 : 30);
}

void TStateListView::EndDrag()
{
    dragging_ = false;
    timer_->stop();
}

bool TStateListView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == listView_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            AdvanceSelected();
            return true;
        }
        if ((key->modifiers() & Qt::ShiftModifier) && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            if (key->key() == Qt::Key_Up)
                MoveUp();
            else
                MoveDown();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (watched != listView_->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            pressItem_ = listView_->itemAt(mouse->position().toPoint());
        break;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton))
            break;
        if (!dragging_ && pressItem_ && listView_->itemAt(mouse->position().toPoint()) != pressItem_) {
            dragging_ = true;
            timer_->setInterval(100);
            timer_->start();
            listView_->viewport()->setCursor(Qt::DragMoveCursor);
        }
        // The selection stays on the dragged item.
        return pressItem_ != nullptr;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        const QPoint point = mouse->position().toPoint();
        QListWidgetItem* target = listView_->itemAt(point);
        const bool wasDragging = dragging_;
        pressItem_ = nullptr;
        if (wasDragging) {
            EndDrag();
            listView_->viewport()->unsetCursor();
            QListWidgetItem* selected = listView_->currentItem();
            if (target && selected && target != selected && selected->isSelected())
                MoveItem(GetItemPosition(selected), GetItemPosition(target));
            return true;
        }
        if (target && IconRect(target).contains(point) && target == listView_->currentItem()) {
            AdvanceSelected();
            DoChange();
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

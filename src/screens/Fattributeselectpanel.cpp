#include "screens/Fattributeselectpanel.h"

#include "gui/QtSupport.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int kStateRole = Qt::UserRole + 1;
constexpr int kIconWidth = 16;
constexpr int kRowHeight = 18;

} // namespace

// Draws an entry: its mark at the left edge one pixel down (image = state, 3 for no entry), the
// text 16 pixels further right on a highlight as wide as the text and 6 pixels.
class TAttributeSelectPanel::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(TAttributeSelectPanel& panel) : QStyledItemDelegate(&panel), panel_(panel) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        using platform::GetSystemColor;
        using platform::SystemColor;
        using platform::ToQColor;
        const QRect r = option.rect;
        painter->save();
        painter->fillRect(r, ToQColor(GetSystemColor(SystemColor::Window)));
        const int state = index.data(kStateRole).toInt();
        painter->drawPixmap(r.left(), r.top() + 1, panel_.GetStateImages().Pixmap(state == acNoEntry ? 3 : state));
        const QString text = index.data(Qt::DisplayRole).toString();
        painter->setFont(option.font);
        const QFontMetrics metrics(option.font);
        const QRect textRect(r.left() + kIconWidth, r.top(), metrics.horizontalAdvance(text) + 6, r.height());
        const bool selected = option.state & QStyle::State_Selected;
        const bool focused = panel_.GetAttributeList()->hasFocus();
        QColor textColor = ToQColor(GetSystemColor(SystemColor::WindowText));
        if (selected) {
            painter->fillRect(textRect, ToQColor(GetSystemColor(focused ? SystemColor::Highlight : SystemColor::BtnFace)));
            if (focused) textColor = ToQColor(GetSystemColor(SystemColor::HighlightText));
        }
        painter->setPen(textColor);
        painter->drawText(textRect.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        if (focused && (option.state & QStyle::State_HasFocus)) {
            QPen pen(textColor, 1, Qt::DotLine);
            painter->setPen(pen);
            painter->drawRect(textRect.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QFontMetrics metrics(option.font);
        return {kIconWidth + metrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 6,
                std::max(kRowHeight, metrics.height() + 4)};
    }

private:
    TAttributeSelectPanel& panel_;
};

TAttributeSelectPanel::TAttributeSelectPanel(QWidget* parent)
    : QFrame(parent), stateImages_(platform::ProgramIcons("filters"))
{
    setObjectName(QStringLiteral("AttributeSelectPanel"));
    resize(223, 141);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    attributeList_ = new QListWidget(this);
    attributeList_->setObjectName(QStringLiteral("AttributeList"));
    attributeList_->setFont(VktFormFont());
    attributeList_->setSelectionMode(QAbstractItemView::SingleSelection);
    attributeList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    attributeList_->setItemDelegate(new Delegate(*this));
    attributeList_->installEventFilter(this);
    attributeList_->viewport()->installEventFilter(this);
    layout->addWidget(attributeList_);
    connect(attributeList_, &QListWidget::currentItemChanged, this,
            [this](QListWidgetItem* current, QListWidgetItem* previous) { AttributeListSelectItem(current, previous); });
}

TAttributeSelectPanel::~TAttributeSelectPanel()
{
    // No reports while the list goes.
    attributeList_->disconnect(this);
}

int TAttributeSelectPanel::StateOf(const QListWidgetItem* item)
{
    return item->data(kStateRole).toInt();
}

void TAttributeSelectPanel::SetState(QListWidgetItem* item, int state)
{
    item->setData(kStateRole, state);
}

QListWidgetItem* TAttributeSelectPanel::Selected() const
{
    QListWidgetItem* item = attributeList_->currentItem();
    return item && item->isSelected() ? item : nullptr;
}

void TAttributeSelectPanel::Clear()
{
    {
        const QSignalBlocker blocker(attributeList_);
        attributeList_->clear();
    }
    currentItem_ = 0;
    currentCheck_ = 0;
}

void TAttributeSelectPanel::AddItem(int id, const std::string& text)
{
    auto* item = new QListWidgetItem(platform::ToQString(text));
    item->setData(Qt::UserRole, id);
    SetState(item, acNoEntry);
    attributeList_->addItem(item);
}

void TAttributeSelectPanel::ClearChecks()
{
    for (int row = 0; row < attributeList_->count(); ++row) SetState(attributeList_->item(row), acNoEntry);
}

void TAttributeSelectPanel::SetCheck(int id, int state)
{
    for (int row = 0; row < attributeList_->count(); ++row) {
        QListWidgetItem* item = attributeList_->item(row);
        if (item->data(Qt::UserRole).toInt() == id) {
            SetState(item, state);
            return;
        }
    }
}

int TAttributeSelectPanel::GetCheck(int id) const
{
    for (int row = 0; row < attributeList_->count(); ++row) {
        const QListWidgetItem* item = attributeList_->item(row);
        if (item->data(Qt::UserRole).toInt() == id) return StateOf(item);
    }
    return -1;
}

void TAttributeSelectPanel::SetStateImages(const platform::IconList& images)
{
    stateImages_ = images;
    attributeList_->viewport()->update();
}

QRect TAttributeSelectPanel::IconRect(const QListWidgetItem* item) const
{
    const QRect r = attributeList_->visualItemRect(item);
    return {r.left(), r.top(), kIconWidth, r.height()};
}

void TAttributeSelectPanel::SetModified(bool modified)
{
    if (modified_ == modified) return;
    modified_ = modified;
    if (OnModifiedChange) OnModifiedChange(this);
}

void TAttributeSelectPanel::DoApply()
{
    if (OnApply) OnApply(this);
}

void TAttributeSelectPanel::ApplyEdit()
{
    QListWidgetItem* item = Selected();
    if (!modified_ || !item) return;
    undoCheck_ = StateOf(item);
    SetModified(false);
    DoApply();
}

void TAttributeSelectPanel::CancelEdit()
{
    QListWidgetItem* item = Selected();
    if (!modified_ || !item) return;
    SetState(item, undoCheck_);
    currentCheck_ = undoCheck_;
    SetModified(false);
}

void TAttributeSelectPanel::AttributeListEnter()
{
    QListWidgetItem* item = Selected();
    if (!item) return;
    undoCheck_ = StateOf(item);
    currentItem_ = item->data(Qt::UserRole).toInt();
    currentCheck_ = undoCheck_;
}

void TAttributeSelectPanel::AttributeListExit()
{
    if (modified_) ApplyEdit();
}

void TAttributeSelectPanel::AttributeListSelectItem(QListWidgetItem* current, QListWidgetItem* previous)
{
    if (previous) {
        // The owner still sees the entry being left.
        if (modified_) DoApply();
        undoCheck_ = StateOf(previous);
        SetModified(false);
        currentItem_ = 0;
        currentCheck_ = 0;
    }
    if (current) {
        undoCheck_ = StateOf(current);
        currentItem_ = current->data(Qt::UserRole).toInt();
        currentCheck_ = undoCheck_;
    }
}

void TAttributeSelectPanel::CycleCheck(QListWidgetItem* item)
{
    int state = StateOf(item) - 1;
    if (state < acNoEntry) state = acChecked;
    SetState(item, state);
    currentCheck_ = state;
    SetModified(state != undoCheck_);
}

bool TAttributeSelectPanel::AttributeListKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const TEditKey editKey = EditKeyOf(key, modifiers);
    if (editKey == TEditKey::Enter) {
        if (QListWidgetItem* item = Selected()) CycleCheck(item);
        return true;
    }
    return RunEditKey(editKey, [this] { CancelEdit(); }, [this] { ApplyEdit(); });
}

void TAttributeSelectPanel::AttributeListMouseUp(const QPoint& pos)
{
    QListWidgetItem* item = attributeList_->itemAt(pos);
    if (!item) return;
    if (attributeList_->currentItem() != item) attributeList_->setCurrentItem(item);
    item->setSelected(true);
    if (IconRect(item).contains(pos)) CycleCheck(item);
}

bool TAttributeSelectPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == attributeList_) {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) AttributeListEnter();
            break;
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) AttributeListExit();
            break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (AttributeListKeyDown(key->key(), key->modifiers())) {
                attributeList_->viewport()->update();
                return true;
            }
            break;
        }
        default:
            break;
        }
    } else if (watched == attributeList_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            AttributeListMouseUp(mouse->position().toPoint());
            attributeList_->viewport()->update();
        }
    }
    return QFrame::eventFilter(watched, event);
}

#include "widgets/Usteadyscrollbar.h"

#include <QEvent>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionSlider>

TSteadyScrollBar::TSteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
    TakeStyle();
}

void TSteadyScrollBar::TakeStyle()
{
    const bool filled = style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0 &&
                        !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this);
    setAttribute(Qt::WA_OpaquePaintEvent, filled);
    hasPainted_ = false;
}

bool TSteadyScrollBar::event(QEvent* event)
{
    const bool done = QScrollBar::event(event);
    // A scroll area taking the bar sets its attributes anew.
    if (event->type() == QEvent::ParentChange || event->type() == QEvent::Polish)
        TakeStyle();
    return done;
}

void TSteadyScrollBar::changeEvent(QEvent* event)
{
    QScrollBar::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        TakeStyle();
}

TSteadyScrollBar::TShown TSteadyScrollBar::Shown() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    TShown shown;
    shown.slider = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    shown.groove = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
    shown.atMinimum = value() <= minimum();
    shown.atMaximum = value() >= maximum();
    shown.empty = minimum() >= maximum();
    return shown;
}

void TSteadyScrollBar::sliderChange(SliderChange change)
{
    if (change == SliderOrientationChange || !hasPainted_ || !isVisible()) {
        QScrollBar::sliderChange(change);
        return;
    }
    const TShown shown = Shown();
    if (shown == painted_)
        return;
    if (shown.groove != painted_.groove || shown.atMinimum != painted_.atMinimum ||
        shown.atMaximum != painted_.atMaximum || shown.empty != painted_.empty) {
        QScrollBar::sliderChange(change);
        return;
    }
    // Only the slider moved or changed its length: the groove it left now, the place it takes when
    // the window paints.
    const QRect left = Around(painted_.slider);
    if (left.isEmpty()) {
        // Nothing marked brings the window's paint: the new place is marked now.
        update(Around(shown.slider));
        return;
    }
    update(left);
    if (watched_ || !window()) return;
    watched_ = window();
    watched_->installEventFilter(this);
}

QRect TSteadyScrollBar::Around(const QRect& slider) const
{
    constexpr int kMargin = 2;
    return slider.adjusted(-kMargin, -kMargin, kMargin, kMargin) & rect();
}

void TSteadyScrollBar::MarkPending()
{
    if (!watched_) return;
    watched_->removeEventFilter(this);
    watched_ = nullptr;
    const TShown shown = Shown();
    if (shown.groove != painted_.groove || shown.atMinimum != painted_.atMinimum ||
        shown.atMaximum != painted_.atMaximum || shown.empty != painted_.empty)
        update();
    else
        update(Around(shown.slider));
}

bool TSteadyScrollBar::eventFilter(QObject* watched, QEvent* event)
{
    // The window paints what is marked on this request.
    if (watched == watched_ && event->type() == QEvent::UpdateRequest) MarkPending();
    return QScrollBar::eventFilter(watched, event);
}

void TSteadyScrollBar::paintEvent(QPaintEvent* event)
{
    // Painted before the window asked (an expose): the new place is marked for the next paint.
    MarkPending();
    ++paints_;
    painted_ = Shown();
    hasPainted_ = true;
    QScrollBar::paintEvent(event);
}

TSteadyTreeWidget::TSteadyTreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    setVerticalScrollBar(new TSteadyScrollBar(Qt::Vertical, this));
}

void TSteadyTreeWidget::scrollContentsBy(int dx, int dy)
{
    // The bar took its value (and marked what its slider moved) before the view scrolls: the view's
    // own repaint of the whole bar, on a jump of more than a page, is dropped.
    QScrollBar* bar = verticalScrollBar();
    if (!dynamic_cast<TSteadyScrollBar*>(bar)) {
        QTreeWidget::scrollContentsBy(dx, dy);
        return;
    }
    const bool held = bar->testAttribute(Qt::WA_UpdatesDisabled);
    bar->setAttribute(Qt::WA_UpdatesDisabled, true);
    QTreeWidget::scrollContentsBy(dx, dy);
    bar->setAttribute(Qt::WA_UpdatesDisabled, held);
}

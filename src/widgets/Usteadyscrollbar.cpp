#include "widgets/Usteadyscrollbar.h"

#include "gui/CachedStyle.h"
#include "gui/KeptPixels.h"
#include "gui/PixmapKey.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QRegion>
#include <QResizeEvent>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

TSteadyScrollBar::TSteadyScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
    TakeStyle();
}

void TSteadyScrollBar::TakeStyle()
{
    const bool filled = platform::BaseStyleName(style()).compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0 &&
                        !style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, this);
    setAttribute(Qt::WA_OpaquePaintEvent, filled);
    // Static contents: a resize repaints only what resizeEvent asks for (and any area it exposes).
    setAttribute(Qt::WA_StaticContents, filled);
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
    shown.addLine = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, this);
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

void TSteadyScrollBar::resizeEvent(QResizeEvent* event)
{
    QScrollBar::resizeEvent(event);
    if (!testAttribute(Qt::WA_StaticContents) || !hasPainted_ || !isVisible()) return;
    const TShown shown = Shown();
    const bool vertical = orientation() == Qt::Vertical;
    const QSize old = event->oldSize();
    // Along the bar the style draws the same pixels up to the end button: with the slider, the
    // groove's start and the ends' states kept, only the span from the nearer end button on changes.
    const bool across = vertical ? old.width() == width() : old.height() == height();
    const bool start = vertical ? shown.groove.top() == painted_.groove.top()
                                : shown.groove.left() == painted_.groove.left();
    const bool kept = across && start && shown.slider == painted_.slider && shown.atMinimum == painted_.atMinimum &&
                      shown.atMaximum == painted_.atMaximum && shown.empty == painted_.empty;
    if (!kept) {
        update();
    } else {
        // The groove's end is rounded over a few pixels before the button.
        constexpr int kMargin = 4;
        if (vertical) {
            const int from = std::min(shown.addLine.top(), painted_.addLine.top()) - kMargin;
            update(QRect(0, from, width(), height() - from));
        } else {
            const int from = std::min(shown.addLine.left(), painted_.addLine.left()) - kMargin;
            update(QRect(from, 0, width() - from, height()));
        }
    }
    // What the bar shows once that repaint is done: later steps compare with it.
    painted_ = shown;
}

void TSteadyScrollBar::paintEvent(QPaintEvent* event)
{
    // Painted before the window asked (an expose): the new place is marked for the next paint.
    MarkPending();
    ++paints_;
    painted_ = Shown();
    hasPainted_ = true;
    // An opaque bar neither hovered nor pressed is drawn from the option alone: the same option
    // again (the bar shown again as it was) takes the pixels of its first drawing, the same part of
    // it (its end after the same resize, a slider's place) the pixels kept of that part.
    const bool idle = !underMouse() && !isSliderDown() && QGuiApplication::mouseButtons() == Qt::NoButton;
    if (!testAttribute(Qt::WA_OpaquePaintEvent) || !idle) {
        ++draws_;
        QScrollBar::paintEvent(event);
        return;
    }
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.activeSubControls = QStyle::SC_None;
    const qreal ratio = devicePixelRatioF();
    const platform::PixmapKey key = platform::PixmapKey(u"vkt-scrollbar")
                                        .AddText(platform::BaseStyleName(style()))
                                        .Add(reinterpret_cast<quintptr>(style()))
                                        .AddSize(size())
                                        .AddReal(ratio)
                                        .Add(option.orientation)
                                        .Add(option.minimum)
                                        .Add(option.maximum)
                                        .Add(option.sliderPosition)
                                        .Add(option.pageStep)
                                        .Add(option.singleStep)
                                        .Add(option.upsideDown)
                                        .Add(option.state)
                                        .Add(option.direction)
                                        .Add(palette().cacheKey());
    if (event->region() != QRegion(rect())) {
        // Not through a clip rectangle of the painter's: the style's lines come out otherwise
        // there. A part's copy holds only the part; the window's paint is held to the region.
        const auto draw = [&](QPainter& onto) {
            ++draws_;
            style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &onto, this);
        };
        QPainter painter(this);
        bool drawn = true;
        for (const QRect& part : event->region())
            drawn = platform::DrawOverKept(painter, part, 0, platform::PixmapKey(key).AddRect(part).Get(), draw) && drawn;
        if (!drawn) draw(painter);
        return;
    }
    QPixmap pixmap;
    if (!QPixmapCache::find(key.Get(), &pixmap)) {
        ++draws_;
        pixmap = QPixmap(size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(palette().color(QPalette::Window));
        QPainter painter(&pixmap);
        initPainter(&painter);
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
        painter.end();
        QPixmapCache::insert(key.Get(), pixmap);
    }
    QPainter(this).drawPixmap(0, 0, pixmap);
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

#include "widgets/Scrollcanvas.h"

#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"
#include "widgets/Usteadyscrollbar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace {

bool HasHorizontal(TSCScrollStyle style) { return style == scsHorizontal || style == scsBoth; }
bool HasVertical(TSCScrollStyle style) { return style == scsVertical || style == scsBoth; }

// The scroll code of a slider action; -1 for none.
int CodeOfAction(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return 0;
    case QAbstractSlider::SliderSingleStepAdd: return 1;
    case QAbstractSlider::SliderPageStepSub: return 2;
    case QAbstractSlider::SliderPageStepAdd: return 3;
    case QAbstractSlider::SliderMove: return 5;
    case QAbstractSlider::SliderToMinimum: return 6;
    case QAbstractSlider::SliderToMaximum: return 7;
    default: return -1;
    }
}

} // namespace

TScrollCanvas::TScrollCanvas(QWidget* owner)
    : QAbstractScrollArea(owner), color_(platform::FromQColor(palette().color(QPalette::Base)))
{
    resizeTimer_ = new QTimer(this);
    resizeTimer_->setSingleShot(true);
    connect(resizeTimer_, &QTimer::timeout, this, [this] { DoResizeDelay(); });
    // Opaque bars that draw an idle state once: a scroll step repaints no frame behind them.
    setHorizontalScrollBar(new TSteadyScrollBar(Qt::Horizontal, this));
    setVerticalScrollBar(new TSteadyScrollBar(Qt::Vertical, this));
    for (int orientation : {0, 1}) {
        QScrollBar* bar = orientation == 0 ? horizontalScrollBar() : verticalScrollBar();
        connect(bar, &QAbstractSlider::actionTriggered, this,
                [this, orientation](int action) { BarAction(orientation, action); });
        connect(bar, &QAbstractSlider::sliderReleased, this,
                [this, orientation] { ScrollMessage(orientation, 4); });
    }
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::TabFocus);
    resize(185, 89);
    ApplyStyle();
}

TScrollCanvas::~TScrollCanvas() = default;

void TScrollCanvas::SetDocWidth(int width)
{
    if (width != docWidth_)
        SetDocSize(width, docHeight_);
}

void TScrollCanvas::SetDocHeight(int height)
{
    if (height != docHeight_)
        SetDocSize(docWidth_, height);
}

void TScrollCanvas::SetDocSize(int width, int height)
{
    if (width == docWidth_ && height == docHeight_)
        return;
    docWidth_ = width;
    docHeight_ = height;
    ScrollBarSettings();
    viewport()->update();
}

void TScrollCanvas::SetDocLeft(int x) { SetDocPoint(x, docTop_); }
void TScrollCanvas::SetDocTop(int y) { SetDocPoint(docLeft_, y); }

void TScrollCanvas::SetDocPoint(int x, int y)
{
    if (x == docLeft_ && y == docTop_)
        return;
    x = std::max(std::min(x, docWidth_ - GetClientWidth()), 0);
    y = std::max(std::min(y, docHeight_ - GetClientHeight()), 0);
    if (x != docLeft_) {
        docLeft_ = x;
        if (HasHorizontal(scrollStyle_)) {
            const QSignalBlocker blocker(horizontalScrollBar());
            horizontalScrollBar()->setSliderPosition(x);
            ScrollMessage(0, 4);
        }
    }
    if (y != docTop_) {
        docTop_ = y;
        if (HasVertical(scrollStyle_)) {
            const QSignalBlocker blocker(verticalScrollBar());
            verticalScrollBar()->setSliderPosition(y);
            ScrollMessage(1, 4);
        }
    }
}

void TScrollCanvas::SetResizingDelay(unsigned milliseconds)
{
    resizingDelay_ = milliseconds;
    resizeTimer_->setInterval(static_cast<int>(milliseconds));
}

bool TScrollCanvas::GetResizeDelaying() const { return resizeTimer_->isActive(); }

void TScrollCanvas::SetColor(platform::TColor color)
{
    if (color == color_)
        return;
    color_ = color;
    ApplyStyle();
}

void TScrollCanvas::SetOption(TSCOptions option)
{
    if (option == option_)
        return;
    option_ = option;
    ApplyStyle();
}

void TScrollCanvas::SetScrollStyle(TSCScrollStyle style)
{
    if (style == scrollStyle_)
        return;
    scrollStyle_ = style;
    ApplyStyle();
}

void TScrollCanvas::ApplyStyle()
{
    setHorizontalScrollBarPolicy(HasHorizontal(scrollStyle_) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(HasVertical(scrollStyle_) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent, !(option_ & scoEraseBkGnd));
    viewport()->setAutoFillBackground(false);
    ScrollBarSettings();
    viewport()->update();
}

int TScrollCanvas::GetClientWidth() const { return viewport()->width(); }
int TScrollCanvas::GetClientHeight() const { return viewport()->height(); }

int TScrollCanvas::GetXOffset() const
{
    const int client = GetClientWidth();
    return client > docWidth_ ? (client - docWidth_) / -2 : docLeft_;
}

int TScrollCanvas::GetYOffset() const
{
    const int client = GetClientHeight();
    return client > docHeight_ ? (client - docHeight_) / -2 : docTop_;
}

void TScrollCanvas::ScrollBarSettings()
{
    if (HasHorizontal(scrollStyle_)) {
        if (GetClientWidth() < docWidth_) {
            docLeft_ = std::min(docLeft_, docWidth_ - GetClientWidth());
            HScrollBarSettings();
        } else {
            horizontalScrollBar()->setEnabled(false);
        }
    }
    if (HasVertical(scrollStyle_)) {
        if (GetClientHeight() < docHeight_) {
            docTop_ = std::min(docTop_, docHeight_ - GetClientHeight());
            VScrollBarSettings();
        } else {
            verticalScrollBar()->setEnabled(false);
        }
    }
}

void TScrollCanvas::HScrollBarSettings() { ApplyBar(0); }
void TScrollCanvas::VScrollBarSettings() { ApplyBar(1); }

void TScrollCanvas::ApplyBar(int orientation)
{
    QScrollBar* bar = orientation == 0 ? horizontalScrollBar() : verticalScrollBar();
    const int client = orientation == 0 ? GetClientWidth() : GetClientHeight();
    const int doc = orientation == 0 ? docWidth_ : docHeight_;
    const int small = orientation == 0 ? hSmallChange_ : vSmallChange_;
    const QSignalBlocker blocker(bar);
    bar->setRange(0, std::max(doc - client, 0));
    bar->setPageStep(std::max(client, 1));
    bar->setSingleStep(std::max(small != 0 ? small : client / 10, 1));
    bar->setValue(orientation == 0 ? docLeft_ : docTop_);
    bar->setEnabled(doc > client);
}

void TScrollCanvas::BarAction(int orientation, int action)
{
    const int code = CodeOfAction(action);
    if (code >= 0)
        ScrollMessage(orientation, code);
}

void TScrollCanvas::ScrollMessage(int orientation, int code)
{
    const bool horizontal = orientation == 0;
    QScrollBar* bar = horizontal ? horizontalScrollBar() : verticalScrollBar();
    const int client = horizontal ? GetClientWidth() : GetClientHeight();
    const int doc = horizontal ? docWidth_ : docHeight_;
    const int current = horizontal ? docLeft_ : docTop_;
    const int oldX = GetXOffset();
    const int oldY = GetYOffset();
    const int small = horizontal ? hSmallChange_ : vSmallChange_;
    const int step = small != 0 ? small : client / 10;
    int pos = current;
    switch (code) {
    case 0: pos = current - step; break;
    case 1: pos = current + step; break;
    case 2: pos = current - client; break;
    case 3: pos = current + client; break;
    case 4:
    case 5: pos = bar->sliderPosition(); break;
    default: break;
    }
    const auto clamp = [&] { pos = pos < 0 ? 0 : std::min(pos, doc - client); };
    clamp();
    DoScrolled(orientation, code, pos);
    clamp();
    if (pos < 0)
        pos = 0;
    (horizontal ? docLeft_ : docTop_) = pos;
    // The bar is painted with the next pass of the event loop, not with the client's immediate
    // repaint below: a styled bar costs more to paint than the strip a scroll step exposes.
    const bool barUpdates = bar->updatesEnabled();
    const auto restoreBar = qScopeGuard([&] { bar->setUpdatesEnabled(barUpdates); });
    bar->setUpdatesEnabled(false);
    if (horizontal ? HasHorizontal(scrollStyle_) : HasVertical(scrollStyle_)) {
        // Put the bar where the offset is: Qt's own idea of the new position is never kept.
        const QSignalBlocker blocker(bar);
        bar->setSliderPosition(pos);
        bar->setValue(pos);
    }
    DoScroll();
    RepaintScrolled(oldX - GetXOffset(), oldY - GetYOffset());
}

void TScrollCanvas::RepaintScrolled(int dx, int dy)
{
    QWidget* client = viewport();
    const QRect all = client->rect();
    if ((dx == 0 && dy == 0) || std::abs(dx) >= all.width() || std::abs(dy) >= all.height() || !ScrollsPixels()) {
        client->repaint();
        return;
    }
    // Qt moves the pixels in the backing store when it can, else it marks the whole client dirty;
    // either way the repaint below paints what is dirty.
    client->scroll(dx, dy);
    client->repaint(QRegion(all).subtracted(QRegion(all.translated(dx, dy))));
}

void TScrollCanvas::DoScrolled(int orientation, int code, int& pos)
{
    if (OnScrolled)
        OnScrolled(this, orientation, code, pos);
}

void TScrollCanvas::DoScroll()
{
    if (OnScroll)
        OnScroll(this);
}

void TScrollCanvas::DoFocus(bool focused)
{
    if (focused) {
        if (OnShowCaret)
            OnShowCaret(this);
    } else if (OnHideCaret) {
        OnHideCaret(this);
    }
}

void TScrollCanvas::DoDraw(platform::Canvas& canvas, int xOffset, int yOffset)
{
    if (OnDraw)
        OnDraw(this, canvas, xOffset, yOffset);
}

void TScrollCanvas::DoResizeDelay()
{
    resizeTimer_->stop();
    Resizing();
}

void TScrollCanvas::MouseDown(QMouseEvent* event)
{
    if (OnMouseDown)
        OnMouseDown(this, event);
}

void TScrollCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const int dpi = platform::ScreenPixelsPerInch();
    platform::QtCanvas canvas(painter, dpi, dpi, platform::CanvasKind::Screen);
    if (option_ & scoEraseBkGnd)
        canvas.FillRect({0, 0, GetClientWidth(), GetClientHeight()}, color_);
    DoDraw(canvas, GetXOffset(), GetYOffset());
}

void TScrollCanvas::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    ScrollBarSettings();
    if (resizingDelay_ == 0) {
        Resizing();
    } else {
        resizeTimer_->stop();
        resizeTimer_->start();
    }
}

void TScrollCanvas::mousePressEvent(QMouseEvent* event)
{
    if (!hasFocus()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    MouseDown(event);
}

void TScrollCanvas::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    DoFocus(true);
}

void TScrollCanvas::focusOutEvent(QFocusEvent* event)
{
    DoFocus(false);
    QAbstractScrollArea::focusOutEvent(event);
}

void TScrollCanvas::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const bool horizontal = angle.x() != 0 && angle.y() == 0;
    if (!(horizontal ? HasHorizontal(scrollStyle_) : HasVertical(scrollStyle_))) {
        event->ignore();
        return;
    }
    // Each notch (120) steps the desktop's number of lines; partial deltas accumulate.
    wheelRemainder_ += horizontal ? angle.x() : angle.y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    const int lines = std::abs(notches) * QApplication::wheelScrollLines();
    for (int i = 0; i < lines; ++i)
        ScrollMessage(horizontal ? 0 : 1, notches > 0 ? 0 : 1);
    event->accept();
}

void TScrollCanvas::keyPressEvent(QKeyEvent* event)
{
    // The bars do not follow keys: subclasses decide what a key does.
    QWidget::keyPressEvent(event);
}

void TScrollCanvas::scrollContentsBy(int, int) {}

bool TScrollCanvas::focusNextPrevChild(bool next)
{
    if (option_ & scoWantTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}

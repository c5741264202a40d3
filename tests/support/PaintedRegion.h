#pragma once
// An event filter that collects everything a widget painted, and what the window shows of a widget.
#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QWidget>

namespace vkttest {

class PaintedRegion : public QObject {
public:
    QRegion Painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) Painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// What the window shows of a widget (the backing store, not a fresh paint).
inline QImage ShownPixels(QWidget* widget)
{
    const QPoint at = widget->mapTo(widget->window(), QPoint());
    return widget->screen()
        ->grabWindow(widget->window()->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace vkttest

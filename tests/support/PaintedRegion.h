#pragma once
// An event filter that collects everything a widget painted.
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>

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

} // namespace vkttest

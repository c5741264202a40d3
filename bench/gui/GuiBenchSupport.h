#pragma once
// What the GUI benchmarks share besides the database: showing a widget, counting its paints and
// the plain accessor listing they are measured against.
#include "data/Uvktaccesser.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace bench {

// Shows the widget and waits (5 s at most) until its window is exposed.
inline void ShowExposed(QWidget& widget)
{
    widget.show();
    QElapsedTimer waited;
    waited.start();
    while (!(widget.windowHandle() && widget.windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Counts the paint events of the widgets it filters.
class PaintCounter : public QObject {
public:
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

// Lists rows through a bare accessor on the database; the row count.
inline int AccesserRows(TVktObjectLink* object, TVktTable table, const TPriorityItem& fields,
                        const TPriorityItem& orders, const TFilterObject& filter)
{
    TVktAccesser accesser(object);
    accesser.BeginUpdate();
    accesser.SetTable(table);
    accesser.SetFields(fields);
    accesser.SetOrder(orders);
    accesser.SetFilter(filter);
    accesser.EndUpdate();
    return accesser.GetRowCount();
}

} // namespace bench

#include "gui/TabFocus.h"

#include <QEvent>
#include <QToolBar>
#include <QToolButton>

namespace platform {

namespace {

// Gives the buttons the bar makes later the focus policy: the bar makes each without focus, before
// the button is polished.
class TabFocusFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished)
            if (auto* button = qobject_cast<QToolButton*>(static_cast<QChildEvent*>(event)->child()))
                button->setFocusPolicy(Qt::TabFocus);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TabFocusButtons(QToolBar& bar)
{
    for (QToolButton* button : bar.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        button->setFocusPolicy(Qt::TabFocus);
    bar.installEventFilter(new TabFocusFilter(&bar));
}

} // namespace platform

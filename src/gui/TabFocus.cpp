#include "gui/TabFocus.h"

#include <QEvent>
#include <QToolBar>
#include <QToolButton>

namespace platform {

namespace {

// The bar's own button that shows the buttons it has no room for (made before them).
QToolButton* Extension(const QToolBar& bar)
{
    return bar.findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"), Qt::FindDirectChildrenOnly);
}

// Takes the focus by Tab; the bar's extension button stays after it, as the eye reads the bar.
void TakeTabFocus(QToolBar& bar, QToolButton& button)
{
    button.setFocusPolicy(Qt::TabFocus);
    QToolButton* extension = Extension(bar);
    if (!extension || extension == &button) return;
    extension->setFocusPolicy(Qt::TabFocus);
    QWidget::setTabOrder(&button, extension);
}

// Gives the buttons the bar makes later the focus: the bar makes each without focus, before the
// button is polished.
class TabFocusFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildPolished)
            if (auto* button = qobject_cast<QToolButton*>(static_cast<QChildEvent*>(event)->child()))
                TakeTabFocus(*static_cast<QToolBar*>(watched), *button);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void TabFocusButtons(QToolBar& bar)
{
    for (QToolButton* button : bar.findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) TakeTabFocus(bar, *button);
    bar.installEventFilter(new TabFocusFilter(&bar));
}

} // namespace platform

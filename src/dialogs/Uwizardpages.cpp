#include "dialogs/Uwizardpages.h"

#include "gui/QtSupport.h"

#include <QEvent>
#include <QKeyEvent>
#include <QTabBar>

TWizardPages::TWizardPages(QWidget* parent) : QTabWidget(parent)
{
    tabBar()->setFocusPolicy(Qt::NoFocus);
    tabBar()->installEventFilter(this);
}

QWidget* TWizardPages::AddPage(const char* name, const char* caption)
{
    auto* page = new QWidget();
    page->setObjectName(QString::fromLatin1(name));
    addTab(page, platform::ToQString(caption));
    setTabEnabled(count() - 1, count() == 1);
    return page;
}

void TWizardPages::ShowPage(int n)
{
    if (n < 0 || n >= count()) return;
    setTabEnabled(n, true);
    setCurrentIndex(n);
    for (int i = 0; i < count(); ++i)
        if (i != n) setTabEnabled(i, false);
}

bool TWizardPages::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return true;
        default:
            break;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}

void TWizardPages::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((event->modifiers() & Qt::ControlModifier) &&
        (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        event->accept();
        return;
    }
    QTabWidget::keyPressEvent(event);
}

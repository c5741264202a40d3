#include "dialogs/Udialogsupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void PlaceBottomRight(QWidget* window)
{
    if (!window) return;
    QScreen* screen = window->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    constexpr int kGap = 10;
    const QRect area = screen->availableGeometry();
    // A window's pos() and move() name its frame's top left.
    const QRect frame = window->frameGeometry();
    window->move(area.right() + 1 - kGap - frame.width(), area.bottom() + 1 - kGap - frame.height());
}

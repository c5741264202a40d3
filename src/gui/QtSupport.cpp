#include "gui/QtSupport.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

int& ScreenDpiOverride()
{
    static int dpi = 0;
    return dpi;
}

} // namespace

QColor ToQColor(TColor color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

TColor FromQColor(const QColor& color) { return RgbColor(color.red(), color.green(), color.blue()); }

QRect ToQRect(const Rect& rect) { return QRect(rect.Left, rect.Top, rect.Width(), rect.Height()); }

Rect FromQRect(const QRect& rect)
{
    return Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

std::string ShortHint(const std::string& hint) { return hint.substr(0, hint.find('|')); }

std::string LongHint(const std::string& hint)
{
    const std::size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

void SetHint(QAction& action, const std::string& hint)
{
    action.setToolTip(ToQString(ShortHint(hint)));
    action.setStatusTip(ToQString(LongHint(hint)));
}

void SetHint(QWidget& widget, const std::string& hint)
{
    widget.setToolTip(ToQString(ShortHint(hint)));
    widget.setStatusTip(ToQString(LongHint(hint)));
}

TColor GetSystemColor(SystemColor color)
{
    const QPalette palette = QApplication::palette();
    switch (color) {
    case SystemColor::BtnFace: return FromQColor(palette.color(QPalette::Button));
    case SystemColor::Window: return FromQColor(palette.color(QPalette::Base));
    case SystemColor::WindowText: return FromQColor(palette.color(QPalette::Text));
    case SystemColor::Highlight: return FromQColor(palette.color(QPalette::Highlight));
    case SystemColor::HighlightText: return FromQColor(palette.color(QPalette::HighlightedText));
    case SystemColor::GrayText: return FromQColor(palette.color(QPalette::Disabled, QPalette::Text));
    case SystemColor::BtnShadow: return FromQColor(palette.color(QPalette::Dark));
    case SystemColor::BtnHighlight: return FromQColor(palette.color(QPalette::Light));
    case SystemColor::InfoBk: return FromQColor(palette.color(QPalette::ToolTipBase));
    case SystemColor::AppWorkSpace: return FromQColor(palette.color(QPalette::Mid));
    }
    return 0;
}

int ScreenPixelsPerInch()
{
    if (ScreenDpiOverride() > 0) return ScreenDpiOverride();
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return 96;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? std::max(1, static_cast<int>(std::lround(screen->logicalDotsPerInchY()))) : 96;
}

void SetScreenPixelsPerInch(int dpi) { ScreenDpiOverride() = dpi; }

} // namespace platform

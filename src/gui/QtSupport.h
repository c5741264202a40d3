#pragma once
// Conversions between the program's values and Qt's: strings, colours, rectangles, hints, system
// colours and the screen's resolution.
#include "gui/Canvas.h"
#include "platform/Color.h"

#include <QColor>
#include <QRect>
#include <QString>

#include <string>
#include <string_view>

class QAction;
class QWidget;

namespace platform {

inline QString ToQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQString(const QString& text) { return text.toStdString(); }

QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);

// Rect (right and bottom excluded) and QRect.
QRect ToQRect(const Rect& rect);
Rect FromQRect(const QRect& rect);

// A hint "short|long": the tool tip is the short part, the status tip the long one (the short one
// when there is no "|").
void SetHint(QAction& action, const std::string& hint);
void SetHint(QWidget& widget, const std::string& hint);
std::string ShortHint(const std::string& hint);
std::string LongHint(const std::string& hint);

// The old system colours by name: clBtnFace, clWindow, clWindowText, clHighlight,
// clHighlightText, clGrayText, clBtnShadow, clBtnHighlight, clInfoBk, clAppWorkSpace.
enum class SystemColor { BtnFace, Window, WindowText, Highlight, HighlightText, GrayText, BtnShadow,
                         BtnHighlight, InfoBk, AppWorkSpace };
TColor GetSystemColor(SystemColor color);

// Pixels per inch of the screen widgets draw on (96 offscreen); settable for tests (0 goes back
// to the screen's own).
int ScreenPixelsPerInch();
void SetScreenPixelsPerInch(int dpi);

} // namespace platform

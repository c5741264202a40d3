#pragma once
// CachedStyle: the application's style, over the platform's own, drawing the same pixels with less
// work. A line edit's panel (its base and a frame of antialiased lines) is drawn once per size and
// state into the pixmap cache and blended from there: Qt's raster engine strokes those lines
// slowly, and more slowly still through a clip that shows only a few rows of the frame (an edit at
// the foot of a scrolled panel). Over Fusion, the texts of labels, buttons, tabs and headers are
// laid out once and drawn as laid out. The shapes of tabs, check marks and panel frames (antialiased
// curves, gradients, stroked lines) are copied from their kept pixels where the same shape comes
// again over the same pixels.
#include "gui/LaidText.h"

#include <QFont>
#include <QHash>
#include <QProxyStyle>
#include <QString>

namespace platform {

class PixmapKey;

class CachedStyle : public QProxyStyle {
public:
    // The base style by its key ("fusion", "windows"...).
    explicit CachedStyle(const QString& baseKey);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette, bool enabled,
                      const QString& text, QPalette::ColorRole textRole = QPalette::NoRole) const override;

    // Panels the base style drew into the cache (tests).
    int GetCachedDraws() const { return cachedDraws_; }

private:
    LaidTexts& TextsOf(const QFont& font) const;

    bool fusion_;   // the base style is Fusion
    mutable int cachedDraws_ = 0;
    mutable QHash<QFont, LaidTexts> texts_;
};

// The key of the style beneath any proxy over it.
QString BaseStyleName(const QStyle* style);

// Adds to `key` what every paint of `widget` over `size` reads: its style, the pixel ratio, palette
// and font, whether it is enabled, its window active, its direction and the style's mnemonic marks.
void AddWidgetLook(PixmapKey& key, const QWidget& widget, const QSize& size);

} // namespace platform

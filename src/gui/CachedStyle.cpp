#include "gui/CachedStyle.h"

#include "gui/KeptPixels.h"
#include "gui/PixmapKey.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStyleOptionTab>

#include <functional>
#include <optional>

namespace platform {

namespace {

// The pixels a painter's unit spans: its device's pixel ratio, or the target's where a widget is
// drawn into another device (QWidget::render into an image of another ratio).
qreal PixelRatio(const QPainter& painter) { return painter.deviceTransform().m11(); }

// A painter the cached pixels land on as they would be drawn: on the raster engine (a printer or
// a PDF keeps its vector lines), moved at most, opaque, blending over.
bool Blends(const QPainter& painter)
{
    const QTransform device = painter.deviceTransform();
    return painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::Raster &&
           painter.transform().type() <= QTransform::TxTranslate && device.type() <= QTransform::TxScale &&
           device.m11() > 0 && device.m11() == device.m22() && painter.opacity() == 1.0 &&
           painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

// A line edit of its own: the panels of edits inside spin and combo boxes are their owners'.
bool OwnLineEdit(const QWidget* widget)
{
    if (!qobject_cast<const QLineEdit*>(widget)) return false;
    const QWidget* parent = widget->parentWidget();
    return !qobject_cast<const QAbstractSpinBox*>(parent) && !qobject_cast<const QComboBox*>(parent);
}

// Draws `target` from the pixmap cache entry `key`; when there is none, `draw` paints it first on a
// transparent pixmap of the target's size at the painter's pixel ratio (origin at its top left).
// True when `draw` ran.
bool DrawCached(QPainter& painter, const QRect& target, const QString& key,
                const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap;
    const bool drawn = !QPixmapCache::find(key, &pixmap);
    if (drawn) {
        const qreal ratio = PixelRatio(painter);
        pixmap = QPixmap(target.size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter cached(&pixmap);
        draw(cached);
        cached.end();
        QPixmapCache::insert(key, pixmap);
    }
    painter.drawPixmap(target.topLeft(), pixmap);
    return drawn;
}

// What a style's drawing of `element` depends on beyond the pixels beneath it: the styles, the
// widget, the painter's hints and direction and the option's fields; null when the option is not
// of the element's type.
std::optional<PixmapKey> DrawingKey(int element, const QStyle* base, const QStyleOption* option, const QPainter& painter,
                                    const QWidget* widget)
{
    if (!option) return std::nullopt;
    PixmapKey key(u"vkt-kept");
    key.Add(element)
        .Add(reinterpret_cast<quintptr>(base))
        .Add(reinterpret_cast<quintptr>(widget))
        .Add(reinterpret_cast<quintptr>(widget ? widget->metaObject() : nullptr))
        .Add(painter.renderHints())
        .Add(painter.layoutDirection())
        .Add(option->version)
        .Add(option->type)
        .Add(option->state)
        .Add(option->direction)
        .AddSize(option->rect.size())
        .Add(option->palette.cacheKey())
        .Add(option->fontMetrics.height())
        .Add(reinterpret_cast<quintptr>(option->styleObject));
    if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option)) {
        key.Add(tab->shape)
            .Add(tab->row)
            .Add(tab->position)
            .Add(tab->selectedPosition)
            .Add(tab->cornerWidgets)
            .Add(tab->documentMode)
            .Add(tab->features)
            .Add(tab->tabIndex)
            .AddSize(tab->leftButtonSize)
            .AddSize(tab->rightButtonSize)
            .AddSize(tab->iconSize)
            .Add(tab->icon.cacheKey())
            .AddText(tab->text);
    } else if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option)) {
        key.Add(frame->lineWidth).Add(frame->midLineWidth).Add(frame->features).Add(frame->frameShape);
    } else if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        key.Add(button->features)
            .AddSize(button->iconSize)
            .Add(button->icon.cacheKey())
            .AddText(button->text);
    } else {
        return std::nullopt;
    }
    return key;
}

} // namespace

CachedStyle::CachedStyle(const QString& baseKey)
    : QProxyStyle(baseKey), fusion_(BaseStyleName(this).compare(QStringLiteral("fusion"), Qt::CaseInsensitive) == 0)
{
}

void CachedStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    if (element == PE_PanelItemViewRow && fusion_) {
        // Fusion fills a row's panel only where it is selected or alternate: a table asks for it
        // for every cell it paints.
        const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        if (item && !item->state.testFlag(State_Selected) && !item->features.testFlag(QStyleOptionViewItem::Alternate))
            return;
    }
    if ((element == PE_IndicatorCheckBox || element == PE_IndicatorRadioButton || element == PE_Frame) && painter) {
        if (const auto key = DrawingKey(element, baseStyle(), option, *painter, widget);
            key && DrawOverKept(*painter, option->rect, 1, key->Get(), [&](QPainter& copy) {
                QProxyStyle::drawPrimitive(element, option, &copy, widget);
            }))
            return;
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || !frame || !painter || !OwnLineEdit(widget) || !Blends(*painter) ||
        frame->palette.base().style() != Qt::SolidPattern || frame->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const QString key = PixmapKey(u"vkt-lineedit")
                            .Add(reinterpret_cast<quintptr>(baseStyle()))
                            .AddReal(PixelRatio(*painter))
                            .AddSize(frame->rect.size())
                            .Add(frame->state)
                            .Add(frame->direction)
                            .Add(frame->palette.cacheKey())
                            .Add(frame->lineWidth)
                            .Add(frame->midLineWidth)
                            .Add(frame->features)
                            .Get();
    if (DrawCached(*painter, frame->rect, key, [&](QPainter& cached) {
            QStyleOptionFrame local = *frame;
            local.rect.moveTo(0, 0);
            QProxyStyle::drawPrimitive(element, &local, &cached, widget);
        }))
        ++cachedDraws_;
}

void CachedStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    // Fusion takes its header sections, button bevels and combo boxes from its own pixmap cache.
    if (element == CE_TabBarTabShape && painter) {
        // 1000 + : apart from the primitives' numbers.
        if (const auto key = DrawingKey(1000 + element, baseStyle(), option, *painter, widget);
            key && DrawOverKept(*painter, option->rect, 2, key->Get(), [&](QPainter& copy) {
                QProxyStyle::drawControl(element, option, &copy, widget);
            }))
            return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void CachedStyle::drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette, bool enabled,
                               const QString& text, QPalette::ColorRole textRole) const
{
    // Fusion draws an item's text, enabled or not, with the role's brush through drawText.
    bool drawn = false;
    if (fusion_ && painter && !text.isEmpty()) {
        const QPen pen = painter->pen();
        if (textRole != QPalette::NoRole) painter->setPen(QPen(palette.brush(textRole), pen.widthF()));
        drawn = DrawLaidLine(*painter, rect, flags, text, TextsOf(painter->font()));
        painter->setPen(pen);
    }
    if (!drawn) QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
}

LaidTexts& CachedStyle::TextsOf(const QFont& font) const
{
    constexpr qsizetype kMostFonts = 32;
    constexpr qsizetype kMostTexts = 2000;
    auto found = texts_.find(font);
    if (found == texts_.end()) {
        if (texts_.size() >= kMostFonts) texts_.clear();
        found = texts_.insert(font, LaidTexts(kMostTexts));
    }
    return found.value();
}

QString BaseStyleName(const QStyle* style)
{
    while (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) style = proxy->baseStyle();
    return style ? style->name() : QString();
}

void AddWidgetLook(PixmapKey& key, const QWidget& widget, const QSize& size)
{
    const QStyle* style = widget.style();
    key.AddText(BaseStyleName(style))
        .Add(reinterpret_cast<quintptr>(style))
        .AddSize(size)
        .AddReal(widget.devicePixelRatioF())
        .Add(widget.palette().cacheKey())
        .AddText(widget.font().key())
        .Add(widget.isEnabled())
        .Add(widget.isActiveWindow())
        .Add(widget.layoutDirection())
        .Add(style->styleHint(QStyle::SH_UnderlineShortcut, nullptr, &widget));
}

} // namespace platform

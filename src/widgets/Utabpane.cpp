#include "widgets/Utabpane.h"

#include "gui/CachedStyle.h"
#include "gui/PixmapKey.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

TPaneTabWidget::TPaneTabWidget(QWidget* parent) : QTabWidget(parent) {}

void TPaneTabWidget::paintEvent(QPaintEvent* event)
{
    if (documentMode()) {
        ++draws_;
        QTabWidget::paintEvent(event);
        return;
    }
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    // Where QTabWidget draws its frame.
    option.rect = style()->subElementRect(QStyle::SE_TabWidgetTabPane, &option, this);
    if (option.rect.isEmpty()) return;
    const qreal ratio = devicePixelRatioF();
    const QString key = platform::PixmapKey(u"vkt-tabpane")
                            .AddText(platform::BaseStyleName(style()))
                            .Add(reinterpret_cast<quintptr>(style()))
                            .AddSize(option.rect.size())
                            .AddReal(ratio)
                            .Add(option.shape)
                            .Add(option.state)
                            .Add(option.direction)
                            .Add(option.lineWidth)
                            .Add(option.midLineWidth)
                            .AddRect(option.tabBarRect)
                            .AddRect(option.selectedTabRect)
                            .AddSize(option.leftCornerWidgetSize)
                            .AddSize(option.rightCornerWidgetSize)
                            .AddSize(option.tabBarSize)
                            .Add(palette().cacheKey())
                            .Get();
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        ++draws_;
        pixmap = QPixmap(option.rect.size() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        initPainter(&painter);
        QStyleOptionTabWidgetFrame local = option;
        local.rect.moveTo(0, 0);
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &local, &painter, this);
        painter.end();
        QPixmapCache::insert(key, pixmap);
    }
    // One rectangle of the paint region at a time: through a clip of one rectangle the pixmap is
    // blended row by row, with no spans for the thread pool.
    QPainter painter(this);
    for (const QRect& part : event->region()) {
        const QRect rect = part & option.rect;
        if (rect.isEmpty()) continue;
        painter.setClipRect(rect);
        const QRectF source(QPointF(rect.topLeft() - option.rect.topLeft()) * ratio, QSizeF(rect.size()) * ratio);
        painter.drawPixmap(QRectF(rect), pixmap, source);
    }
}

#include "widgets/Utabpane.h"

#include "gui/CachedStyle.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

namespace {

QString SizeKey(const QSize& size) { return QStringLiteral("%1x%2").arg(size.width()).arg(size.height()); }

} // namespace

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
    const QString key = QStringLiteral("vkt-tabpane-%1-%2-%3-%4-%5-%6-%7-%8-%9-%10-%11-%12-%13")
                            .arg(platform::BaseStyleName(style()))
                            .arg(reinterpret_cast<quintptr>(style()))
                            .arg(SizeKey(option.rect.size()))
                            .arg(ratio)
                            .arg(int(option.shape))
                            .arg(int(option.state))
                            .arg(int(option.direction))
                            .arg(option.lineWidth)
                            .arg(option.midLineWidth)
                            .arg(QStringLiteral("%1,%2,%3,%4")
                                     .arg(option.tabBarRect.x())
                                     .arg(option.tabBarRect.y())
                                     .arg(option.tabBarRect.width())
                                     .arg(option.tabBarRect.height()))
                            .arg(QStringLiteral("%1,%2,%3,%4")
                                     .arg(option.selectedTabRect.x())
                                     .arg(option.selectedTabRect.y())
                                     .arg(option.selectedTabRect.width())
                                     .arg(option.selectedTabRect.height()))
                            .arg(SizeKey(option.leftCornerWidgetSize) + SizeKey(option.rightCornerWidgetSize) +
                                 SizeKey(option.tabBarSize))
                            .arg(palette().cacheKey());
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

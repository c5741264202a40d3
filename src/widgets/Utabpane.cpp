#include "widgets/Utabpane.h"

#include "gui/CachedStyle.h"
#include "gui/KeptPixels.h"
#include "gui/PixmapKey.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

#include <optional>

TPaneTabWidget::TPaneTabWidget(QWidget* parent) : QTabWidget(parent)
{
    // Set up as the tab widget sets up its own bar.
    auto* bar = new TKeptTabBar(this);
    bar->setObjectName(QStringLiteral("qt_tabwidget_tabbar"));
    bar->setDrawBase(false);
    setTabBar(bar);
}

// Everything QTabBar's paint reads while the bar is idle.
QString TKeptTabBar::StateKey() const
{
    platform::PixmapKey key(u"vkt-tabbar");
    platform::AddWidgetLook(key, *this, size());
    key.Add(hasFocus())
        .Add(window()->testAttribute(Qt::WA_KeyboardFocusChange)) // a focus frame shown or not
        .Add(shape())
        .Add(documentMode())
        .Add(drawBase())
        .Add(expanding())
        .Add(elideMode())
        .Add(usesScrollButtons())
        .AddSize(iconSize())
        .Add(currentIndex())
        .Add(count());
    if (const auto* tabs = qobject_cast<const QTabWidget*>(parentWidget())) {
        key.Add(tabs->cornerWidget(Qt::TopLeftCorner) || tabs->cornerWidget(Qt::BottomLeftCorner))
            .Add(tabs->cornerWidget(Qt::TopRightCorner) || tabs->cornerWidget(Qt::BottomRightCorner));
    }
    for (int i = 0; i < count(); ++i) {
        key.AddText(tabText(i))
            .AddRect(tabRect(i))
            .Add(isTabEnabled(i))
            .Add(isTabVisible(i))
            .Add(tabTextColor(i).rgba64())
            .Add(tabTextColor(i).isValid())
            .Add(tabIcon(i).cacheKey());
        for (const ButtonPosition side : {LeftSide, RightSide}) {
            const QWidget* button = tabButton(i, side);
            key.AddSize(button ? button->size() : QSize());
        }
    }
    return key.Get();
}

void TKeptTabBar::paintEvent(QPaintEvent* event)
{
    const bool idle = !underMouse() && QGuiApplication::mouseButtons() == Qt::NoButton;
    if (!idle || event->region() != QRegion(rect())) {
        ++draws_;
        QTabBar::paintEvent(event);
        return;
    }
    std::optional<platform::KeptDrawing> kept;
    {
        QPainter painter(this);
        kept.emplace(painter, rect(), StateKey());
        if (kept->Copied()) return;
    }
    ++draws_;
    QTabBar::paintEvent(event);
    kept->Keep();
}

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

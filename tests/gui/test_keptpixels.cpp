// A drawing copied from its kept pixels is the drawing: over the same pixels only, through the
// caller's clip, also where the drawing replaces that clip.
#include <gtest/gtest.h>

#include "gui/KeptPixels.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

namespace {

// Antialiased curves, a translucent fill, and a line drawn past the caller's clip after replacing it.
void Shape(QPainter& painter)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 90, 160), 1.5));
    painter.setBrush(QColor(255, 140, 0, 120));
    painter.drawRoundedRect(QRectF(10.5, 6.5, 50, 20), 4, 4);
    painter.setClipRect(QRect(8, 4, 60, 30), Qt::ReplaceClip);
    painter.setPen(Qt::darkGreen);
    painter.drawLine(QPointF(8, 30), QPointF(66, 5));
    painter.restore();
}

using Background = std::function<void(QImage&)>;

QImage Drawn(const Background& background, qreal ratio, bool kept, const QRect* clip, const std::string& key)
{
    QImage image(QSize(80, 40) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    background(image);
    QPainter painter(&image);
    if (clip) painter.setClipRect(*clip);
    const QRectF rect(8, 4, 60, 30);
    if (!kept || !platform::DrawOverKept(painter, rect, 2, QString::fromStdString(key), Shape)) Shape(painter);
    return image;
}

TEST(KeptPixels, CopiesAreTheDrawingOverTheSamePixelsOnly)
{
    const Background white = [](QImage& image) { image.fill(Qt::white); };
    const Background striped = [](QImage& image) {
        image.fill(QColor(230, 240, 255));
        QPainter painter(&image);
        for (int x = 0; x < 80; x += 6) painter.fillRect(QRect(x, 0, 2, 40), QColor(200, 200, 200));
    };
    const Background clear = [](QImage& image) { image.fill(Qt::transparent); };
    const QRect clip(20, 0, 30, 40);
    const qsizetype before = platform::KeptDraws();
    for (const qreal ratio : {1.0, 2.0}) {
        for (const QRect* inClip : {static_cast<const QRect*>(nullptr), &clip}) {
            const std::string key = "shape " + std::to_string(ratio) + (inClip ? " clipped" : "");
            // The same key over changing pixels: each drawing is of the pixels it comes over.
            for (const Background& background : {white, white, white, striped, striped, white, clear, clear, clear}) {
                const QImage direct = Drawn(background, ratio, false, inClip, key);
                EXPECT_TRUE(Drawn(background, ratio, true, inClip, key) == direct) << key;
            }
        }
    }
    EXPECT_GE(platform::KeptDraws() - before, 2 * 2 * 4) << "copies made";
}

TEST(KeptPixels, ADrawingPastTheImageIsKeptOfWhatLiesOnIt)
{
    const auto drawn = [](bool kept) {
        QImage image(QSize(40, 30), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.translate(-20, -2); // the shape reaches past the left and the top
        if (!kept || !platform::DrawOverKept(painter, QRectF(8, 4, 60, 30), 2, QStringLiteral("off"), Shape))
            Shape(painter);
        return image;
    };
    const QImage direct = drawn(false);
    const qsizetype before = platform::KeptDraws();
    for (int pass = 0; pass < 3; ++pass) EXPECT_TRUE(drawn(true) == direct) << "pass " << pass;
    EXPECT_EQ(platform::KeptDraws() - before, 2);
}

// A widget drawing the shape, kept or not.
class ShapeWidget : public QWidget {
public:
    bool kept = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (!kept || !platform::DrawOverKept(painter, QRectF(8, 4, 60, 30), 2, QStringLiteral("widget"), Shape))
            Shape(painter);
    }
};

// Rendered through a region of several rectangles (the engine's system clip, as a widget partly
// covered is painted): the copy lands inside it only, opaque or over clear pixels.
TEST(KeptPixels, CopiesLandInsideTheSystemClipOnly)
{
    ShapeWidget widget;
    widget.resize(80, 40);
    QRegion region(QRect(0, 0, 80, 40));
    region -= QRect(15, 10, 20, 12);
    region -= QRect(50, 0, 6, 40);
    for (const bool clear : {false, true}) {
        const auto rendered = [&](bool kept) {
            QImage image(QSize(80, 40), QImage::Format_ARGB32_Premultiplied);
            image.fill(clear ? QColor(Qt::transparent) : QColor(Qt::cyan));
            widget.kept = kept;
            widget.render(&image, QPoint(), region, QWidget::RenderFlags());
            return image;
        };
        const QImage direct = rendered(false);
        const qsizetype before = platform::KeptDraws();
        for (int pass = 0; pass < 3; ++pass)
            EXPECT_TRUE(rendered(true) == direct) << "pass " << pass << (clear ? " clear" : "");
        EXPECT_EQ(platform::KeptDraws() - before, 2) << "copies made";
    }
}

// A drawing made on the device itself is kept as it left the pixels, and copied over the same
// pixels only.
TEST(KeptPixels, ADrawingMadeInPlaceIsKeptAsItLeftThePixels)
{
    bool copied = false;
    const auto drawn = [&copied](const QColor& background, bool kept) {
        QImage image(QSize(80, 40), QImage::Format_ARGB32_Premultiplied);
        image.fill(background);
        QPainter painter(&image);
        std::optional<platform::KeptDrawing> keeping;
        if (kept) keeping.emplace(painter, QRectF(0, 0, 80, 40), QStringLiteral("in place"));
        copied = keeping && keeping->Copied();
        if (!copied) Shape(painter);
        painter.end();
        if (keeping) keeping->Keep();
        return image;
    };
    for (const QColor& background : {QColor(Qt::white), QColor(Qt::white), QColor(Qt::transparent), QColor(Qt::white)}) {
        const QImage direct = drawn(background, false);
        EXPECT_TRUE(drawn(background, true) == direct);
        EXPECT_TRUE(drawn(background, true) == direct);
        EXPECT_TRUE(copied) << "copied over the same pixels";
    }
}

TEST(KeptPixels, LargeAreasAndScaledPaintersAreLeftToTheCaller)
{
    QImage image(QSize(600, 200), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_FALSE(platform::DrawOverKept(painter, QRectF(0, 0, 590, 190), 2, QStringLiteral("large"), Shape));
    painter.scale(1.5, 1.5);
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_FALSE(platform::DrawOverKept(painter, QRectF(10, 10, 60, 30), 2, QStringLiteral("scaled"), Shape));
}

} // namespace

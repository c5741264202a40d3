#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <string>

namespace {

using namespace platform;

constexpr int kSide = 64;

// A white image with some ink to turn, the ink `margin` pixels in from the top left.
QImage Paper(int margin = 0)
{
    QImage image(kSide + 2 * margin, kSide + 2 * margin, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(QRect(margin, margin, kSide / 2, kSide / 3), QColor(0x12, 0x80, 0xC0));
    return image;
}

struct Outline {
    Rect At;
    RasterOp Op;
    QPoint Shift;  // the painter's translation
    std::string Name;
};

// A dotted rectangle through the canvas against Qt's own dotted pen on the same painter state. Qt
// starts the dots of an edge it clips anew at the clip; the canvas keeps them where they stand,
// so outlines beyond the image are compared with Qt's on a larger one.
TEST(CanvasDots, DottedRectanglesMatchQtsDottedPenPixelForPixel)
{
    std::vector<Outline> cases;
    for (int width = 1; width <= 13; ++width)
        for (int height = 1; height <= 11; ++height)
            cases.push_back({{3, 4, 3 + width, 4 + height}, RasterOp::Not, {}, "small"});
    cases.push_back({{0, 0, kSide, kSide}, RasterOp::Not, {}, "the whole image"});
    cases.push_back({{-7, 5, 70, 40}, RasterOp::Not, {}, "beyond the edges"});
    cases.push_back({{2, 2, 50, 30}, RasterOp::Xor, {}, "xor"});
    cases.push_back({{2, 2, 50, 30}, RasterOp::Copy, {}, "copy"});
    cases.push_back({{2, 2, 50, 30}, RasterOp::Not, {5, -1}, "translated"});
    cases.push_back({{1, 3, 61, 60}, RasterOp::Not, {}, "long edges"});
    for (const Outline& c : cases) {
        const std::string where = c.Name + " " + std::to_string(c.At.Left) + "," + std::to_string(c.At.Top) + " " +
                                  std::to_string(c.At.Width()) + "x" + std::to_string(c.At.Height());
        constexpr int kMargin = 16;
        QImage expected = Paper(kMargin);
        {
            QPainter painter(&expected);
            painter.translate(c.Shift + QPoint(kMargin, kMargin));
            painter.setPen(QPen(ToQColor(0x604020), 1, Qt::DotLine, Qt::FlatCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.setCompositionMode(c.Op == RasterOp::Not   ? QPainter::RasterOp_NotDestination
                                       : c.Op == RasterOp::Xor ? QPainter::RasterOp_SourceXorDestination
                                                               : QPainter::CompositionMode_SourceOver);
            painter.drawRect(QRectF(c.At.Left, c.At.Top, c.At.Width() - 1, c.At.Height() - 1));
        }
        expected = expected.copy(kMargin, kMargin, kSide, kSide);
        QImage drawn = Paper();
        {
            QPainter painter(&drawn);
            painter.translate(c.Shift);
            QtCanvas canvas(painter, 96, 96, CanvasKind::Image);
            canvas.SetPen({0x604020, 1, PenStyle::Dot});
            canvas.SetBrush({0xFFFFFF, true});
            canvas.SetRasterOp(c.Op);
            canvas.Rectangle(c.At);
        }
        EXPECT_EQ(drawn, expected) << where;
    }
}

// A filled dotted rectangle keeps its fill, and the figure after it its own pen.
TEST(CanvasDots, FillAndFollowingFiguresAreUnchanged)
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QtCanvas canvas(painter, 96, 96, CanvasKind::Image);
    canvas.SetPen({0x000000, 1, PenStyle::Dot});
    canvas.SetBrush({0x0000FF, false});
    canvas.Rectangle({2, 2, 20, 20});
    canvas.SetBrush({0, true});
    canvas.Rectangle({22, 2, 38, 20});
    canvas.SetPen({0x00FF00, 1, PenStyle::Solid});
    canvas.Rectangle({2, 22, 20, 38});
    painter.end();
    EXPECT_EQ(FromQColor(image.pixelColor(10, 10)), 0x0000FFu) << "the fill";
    EXPECT_EQ(image.pixelColor(23, 2), QColor(Qt::black)) << "a dot";
    EXPECT_EQ(image.pixelColor(24, 2), QColor(Qt::white)) << "a gap";
    for (const int x : {2, 3, 4, 10, 19})
        EXPECT_EQ(FromQColor(image.pixelColor(x, 22)), 0x00FF00u) << "the solid edge at " << x;
}

} // namespace

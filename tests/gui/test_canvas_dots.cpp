#include "gui/QtCanvas.h"
#include "gui/QtSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

using namespace platform;

// A dotted rectangle through the canvas against Qt's own dotted pen, on paper with some ink for
// the raster ops to turn. Qt starts the dots of an edge it clips anew at the clip; the canvas keeps
// them where they stand, so Qt draws on a larger image, cut to size.
TEST(CanvasDots, DottedRectanglesMatchQtsDottedPenPixelForPixel)
{
    constexpr int kSide = 64, kMargin = 16;
    const auto paper = [](int margin) {
        QImage image(kSide + 2 * margin, kSide + 2 * margin, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter(&image).fillRect(QRect(margin, margin, kSide / 2, kSide / 3), QColor(0x12, 0x80, 0xC0));
        return image;
    };
    struct Case {
        Rect At;
        RasterOp Op;
        QPoint Shift;  // the painter's translation
    };
    std::vector<Case> cases{{{-7, 5, 70, 40}, RasterOp::Not, {}}, {{2, 2, 50, 30}, RasterOp::Xor, {}},
                            {{2, 2, 50, 30}, RasterOp::Copy, {}}, {{2, 2, 50, 30}, RasterOp::Not, {5, -1}}};
    for (int width = 1; width <= 13; ++width)
        for (int height = 1; height <= 11; ++height) cases.push_back({{3, 4, 3 + width, 4 + height}, RasterOp::Not, {}});
    for (const Case& c : cases) {
        QImage expected = paper(kMargin);
        {
            QPainter painter(&expected);
            painter.translate(c.Shift + QPoint(kMargin, kMargin));
            painter.setPen(QPen(ToQColor(0x604020), 1, Qt::DotLine, Qt::FlatCap, Qt::MiterJoin));
            painter.setCompositionMode(c.Op == RasterOp::Not   ? QPainter::RasterOp_NotDestination
                                       : c.Op == RasterOp::Xor ? QPainter::RasterOp_SourceXorDestination
                                                               : QPainter::CompositionMode_SourceOver);
            painter.drawRect(QRectF(c.At.Left, c.At.Top, c.At.Width() - 1, c.At.Height() - 1));
        }
        QImage drawn = paper(0);
        {
            QPainter painter(&drawn);
            painter.translate(c.Shift);
            QtCanvas canvas(painter, 96, 96, CanvasKind::Image);
            canvas.SetPen({0x604020, 1, PenStyle::Dot});
            canvas.SetBrush({0xFFFFFF, true});
            canvas.SetRasterOp(c.Op);
            canvas.Rectangle(c.At);
            canvas.SetRasterOp(RasterOp::Copy);
            canvas.SetPen({0x00FF00, 1, PenStyle::Solid});
            canvas.Rectangle({52, 52, 56, 56});  // the figure after keeps its own pen
        }
        const QRect after = QRect(52, 52, 4, 4).translated(c.Shift);
        EXPECT_EQ(FromQColor(drawn.pixelColor(after.topLeft() + QPoint(1, 0))), 0x00FF00u);
        QPainter(&expected).fillRect(after.translated(kMargin, kMargin), Qt::white);
        QPainter(&drawn).fillRect(after, Qt::white);
        EXPECT_EQ(drawn, expected.copy(kMargin, kMargin, kSide, kSide))
            << c.At.Left << "," << c.At.Top << " " << c.At.Width() << "x" << c.At.Height();
    }
}

} // namespace

#include "gui/BitmapCanvas.h"
#include "gui/Image.h"
#include "gui/QtSupport.h"
#include "layout/Upagedrawer.h"
#include "layout/Uselectbox.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

constexpr int kA4Width = 21000;
constexpr int kA4Height = 29700;

} // namespace

TEST(PageDrawer, FitAndMinimumScales)
{
    platform::SetScreenPixelsPerInch(96);
    TPageDrawer drawer;
    drawer.SetMMPageSize_(kA4Width, kA4Height);
    drawer.SetViewSize(800, 600);
    drawer.DrawFullWidth();
    EXPECT_EQ(drawer.GetScale_(), 9890);
    EXPECT_EQ(drawer.GetPageWidth(), 784) << "826 × 0.01 × 96 × 0.989";
    EXPECT_EQ(drawer.GetDocWidth(), 799);
    drawer.SetViewSize(10, 600);
    EXPECT_EQ(drawer.GetFullWidthScale_(), 0);
    EXPECT_EQ(drawer.GetScale_(), 1000) << "measured at the minimum";
    drawer.SetScale_(500);
    EXPECT_EQ(drawer.GetScale_(), 1000);
    EXPECT_FALSE(drawer.GetFullWidth());

    drawer.SetViewSize(800, 600);
    drawer.DrawFullPage();
    // The height fits: (600 − 15) / (29700 × 0.01 / 25.4 × 96 × 0.0001).
    EXPECT_EQ(drawer.GetScale_(), 5211);
    drawer.SetOrientation(true);
    EXPECT_EQ(drawer.GetMMPageWidth_(), kA4Height);
    EXPECT_EQ(drawer.GetScale_(), 6993) << "landscape fits its width";
    int changes = 0;
    drawer.OnChange = [&](TPageDrawer*) { ++changes; };
    drawer.SetMMPageSize_(kA4Width, kA4Height);
    EXPECT_EQ(changes, 0) << "a portrait size is already the stored landscape one";
    drawer.SetMMPageSize_(0, 10000);
    EXPECT_EQ(drawer.GetMMPageWidth_(), 10000);
    EXPECT_EQ(drawer.GetMMPageHeight_(), kA4Width) << "a zero side stays";
}

TEST(PageDrawer, OriginCentringAndScrolledViews)
{
    platform::SetScreenPixelsPerInch(96);
    TPageDrawer drawer;
    drawer.SetMMPageSize_(kA4Width, kA4Height);
    drawer.SetScale_(5000);
    drawer.SetViewSize(800, 800);
    // Page 396 × 561: the document 411 × 576 is centred horizontally and vertically.
    EXPECT_EQ(drawer.GetDocWidth(), 411);
    EXPECT_EQ(drawer.GetPageOrigin(0), (platform::Point{(800 - 411) / 2 + 5 + 1, (800 - 576) / 2 + 5 + 1}));
    drawer.SetViewSize(200, 300);
    drawer.SetViewPoint(50, 1000);
    EXPECT_EQ(drawer.GetViewTop(), 276) << "clamped to document − view";
    EXPECT_EQ(drawer.GetPageOrigin(0), (platform::Point{5 - 50 + 1, -276 + 5 + 1}));
    drawer.SetViewPoint(-5, -5);
    EXPECT_EQ(drawer.GetPageOrigin(0), (platform::Point{6, 6}));
}

TEST(PageDrawer, PaperFrameAndShadowPixels)
{
    platform::SetScreenPixelsPerInch(96);
    TPageDrawer drawer;
    drawer.SetBackColor(0x112233);
    drawer.SetFrameColor(0x000000);
    drawer.SetShadowColor(0x444444);
    drawer.SetMMPageSize_(2540, 2540); // one inch: 96 pixels at 100 %
    drawer.SetViewSize(200, 200);
    const QImage& image = drawer.GetViewImage();
    const platform::Point o = drawer.GetPageOrigin(0);
    ASSERT_EQ(o, (platform::Point{(200 - 111) / 2 + 6, (200 - 111) / 2 + 6}));
    const int x = o.X - 1;
    const int y = o.Y - 1;
    const auto at = [&](int px, int py) { return platform::FromQColor(image.pixelColor(px, py)); };
    const struct {
        int dx, dy;
        platform::TColor color;
    } cases[] = {{-1, -1, 0x112233}, {0, 0, 0x000000},  {97, 97, 0x000000},  {1, 1, 0xFFFFFF},
                 {96, 96, 0xFFFFFF}, {98, 3, 0x444444}, {100, 100, 0x444444}, {98, 2, 0x112233},
                 {2, 98, 0x112233},  {3, 98, 0x444444}, {101, 50, 0x112233}};
    for (const auto& c : cases)
        EXPECT_EQ(at(x + c.dx, y + c.dy), c.color) << c.dx << "," << c.dy;
}

TEST(SelectBox, GripCodes)
{
    TSelectBox box;
    box.InitSelectRect(nullptr, {100, 100, 201, 151}, true);
    const struct {
        int x, y, code;
    } cases[] = {{100, 100, 1}, {98, 126, 4}, {90, 126, 0}, {151, 100, 2},  {201, 100, 3}, {151, 126, 10},
                 {201, 126, 6}, {100, 151, 7}, {151, 151, 8}, {201, 151, 9}, {130, 115, 5}, {203, 153, 9},
                 {204, 126, 0}, {97, 97, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(box.GetPointType(c.x, c.y), c.code) << c.x << "," << c.y;
}

TEST(SelectBox, DraggingAndTheXorFrame)
{
    platform::BitmapCanvas canvas(300, 200);
    canvas.FillRect({0, 0, 150, 200}, 0x3366CC);
    const QImage before = canvas.GetImage().Q();
    TSelectBox box;
    box.SetCanvas(&canvas);
    box.SetSelectRect({20, 20, 120, 80});
    box.DrawFrame({20, 20, 120, 80});
    EXPECT_NE(canvas.GetImage().Q(), before);
    box.DrawFrame({20, 20, 120, 80});
    EXPECT_EQ(canvas.GetImage().Q(), before) << "drawn twice, the frame is gone";

    box.InitSelectRect(nullptr, {20, 20, 120, 80}, false);
    box.SetCanvas(&canvas);
    const QImage grips = canvas.GetImage().Q();
    box.StartDrag(4, 20, 50);
    box.Dragging(170, 60);
    EXPECT_EQ(box.GetSelectRect(), (platform::Rect{120, 20, 170, 80})) << "an inside-out rectangle is ordered";
    box.Dragging(30, 0);
    EXPECT_EQ(box.GetSelectRect(), (platform::Rect{30, 20, 120, 80}));
    box.DrawFrame(box.GetSelectRect());
    EXPECT_EQ(canvas.GetImage().Q(), grips);
    box.StartDrag(10, 50, 50);
    box.Dragging(60, 45);
    EXPECT_EQ(box.GetSelectRect(), (platform::Rect{30, 15, 130, 75})) << "the centre grip moves";
}

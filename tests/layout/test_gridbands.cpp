// The grid's screen cache is kept in horizontal bands, each recorded when it first comes into
// sight, and a repaint replays only the bands in sight; the paint that builds it draws only the
// rows in sight. None of this may move a pixel: the first paint, the cached repaints (scrolled
// too) and the uncached (printer) drawing must agree, across band seams, for each header style,
// with the grid partly outside the canvas.
#include "gui/BitmapCanvas.h"
#include "gui/Image.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Ugridcontainer.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <string>

namespace {

constexpr int kRows = 90;

QImage Paint(TGridContainer& grid, int offsetY, int scale, bool printer)
{
    platform::BitmapCanvas canvas(420, 700);
    const TRect rect{0, 0, 400, 2200};
    grid.Draw(10, offsetY, rect, scale, canvas, 1, grid.GetPageMax(), printer);
    return canvas.GetImage().Q().copy();
}

int DifferentPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

TEST(GridBands, BuildRepaintAndPrinterDrawingAgree)
{
    platform::SetScreenPixelsPerInch(96);
    vkttest::InstallRecordingPrinter();
    struct Case {
        const char* what;
        int headerStyle;
        bool texts;
        int offsetY;
        bool linesOnly;   // no text in sight: the title above the canvas or none
    };
    const Case cases[] = {
        {"title on top, empty cells", 0, false, -900, true}, {"no title, empty cells", 1, false, -333, true},
        {"title in each row, empty cells", 2, false, -1210, false}, {"title on top, texts", 0, true, -517, false},
        {"title in each row, texts", 2, true, 40, false},
    };
    for (const Case& c : cases) {
        TPreview preview;
        TViewItem* item = preview.AddContainer(6);
        item->SetMMBoundRect_({0, 0, 10600, 58200});
        auto* grid = dynamic_cast<TGridContainer*>(ContainerOf(item));
        ASSERT_NE(grid, nullptr);
        grid->BeginUpdate();
        grid->SetColCount(3);
        grid->SetRowCount(kRows);
        grid->SetRowHeight(57);
        grid->SetRowGap(3);
        grid->SetLineWidth(3);
        grid->SetHeaderStyle(c.headerStyle);
        grid->SetTitles("品名,単価,数量");
        grid->SetTitleColor(0xE0E0E0);
        grid->SetRowColor2(0xF4F0E8);
        std::string csv;
        for (int r = 0; r < kRows; ++r)
            csv += c.texts ? "玉ねぎ" + std::to_string(r) + "," + std::to_string(r * 7) + ",1\n" : ",,\n";
        grid->SetCSV(csv);
        grid->EndUpdate();

        const QImage printed = Paint(*grid, c.offsetY, 10000, true);
        const QImage built = Paint(*grid, c.offsetY, 10000, false);
        EXPECT_EQ(DifferentPixels(built, printed), 0) << c.what;
        const int builds = grid->GetCacheBuilds();
        const QImage cached = Paint(*grid, c.offsetY, 10000, false);
        EXPECT_EQ(grid->GetCacheBuilds(), builds) << c.what;
        // A replayed text may sit a pixel apart from the directly drawn one; lines and fills may not.
        if (c.linesOnly) {
            EXPECT_EQ(DifferentPixels(cached, built), 0) << c.what;
        }
        // Scrolled on: bands not in sight before are recorded now and join the others seamlessly.
        const QImage scrolled = Paint(*grid, c.offsetY - 650, 10000, false);
        EXPECT_EQ(grid->GetCacheBuilds(), builds) << c.what;
        if (c.linesOnly) {
            EXPECT_EQ(DifferentPixels(scrolled, Paint(*grid, c.offsetY - 650, 10000, true)), 0) << c.what;
        }
        // The canvas shows something of the grid in every case.
        EXPECT_GT(DifferentPixels(built, QImage(built.size(), built.format())), 0) << c.what;
    }
}

} // namespace

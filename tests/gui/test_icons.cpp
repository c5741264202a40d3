#include "gui/IconList.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace platform;

namespace {

bool SameImage(const QPixmap& a, const QPixmap& b) { return a.toImage() == b.toImage(); }

TEST(ProgramIcons, EveryNamedIndexHasItsPicture)
{
    const struct {
        const char* list;
        std::vector<int> named;
        int missing;   // an index without a picture
    } cases[] = {
        {"commands", {0, 1, 2, 3, 4, 5, 6, 7, 8, 11, 13, 14, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35,
                      38, 39, 40, 41, 42, 43, 44, 50, 51}, 9},
        {"filters", {0, 1, 2, 3}, 4},
    };
    const IconList numbers;   // empty: every index shows its number
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        const IconList& icons = ProgramIcons(c.list);
        EXPECT_EQ(icons.GetCount(), c.named.back() + 1);
        for (const int index : c.named) {
            EXPECT_NE(ProgramIconMeaning(c.list, index), "") << index;
            EXPECT_EQ(icons.Pixmap(index).size(), QSize(16, 16)) << index;
            EXPECT_FALSE(SameImage(icons.Pixmap(index), numbers.Pixmap(index))) << index;
        }
        EXPECT_EQ(ProgramIconMeaning(c.list, c.missing), "");
        EXPECT_TRUE(SameImage(icons.Pixmap(c.missing), numbers.Pixmap(c.missing)));
    }
    EXPECT_EQ(ProgramIconMeaning("commands", 0), "新規データベース作成");
    EXPECT_EQ(ProgramIcons("no such list").GetCount(), 0);
}

TEST(IconList, FromImageListKeepsTransparency)
{
    ImageList images;
    Picture picture(16, 16, RgbColor(255, 0, 255));
    picture.SetPixel(3, 4, RgbColor(0, 128, 0));
    images.AddMasked(picture, RgbColor(255, 0, 255));
    images.AddMasked(Picture(8, 8, RgbColor(0, 0, 255)), kNoColor);   // smaller: the rest transparent

    const IconList icons = IconList::FromImageList(images);
    ASSERT_EQ(icons.GetCount(), 2);
    const QImage first = icons.Pixmap(0).toImage();
    EXPECT_EQ(first.pixelColor(3, 4), QColor(0, 128, 0));
    EXPECT_EQ(first.pixelColor(0, 0).alpha(), 0);
    const QImage second = icons.Pixmap(1).toImage();
    EXPECT_EQ(second.pixelColor(7, 7), QColor(0, 0, 255));
    EXPECT_EQ(second.pixelColor(8, 8).alpha(), 0);
}

TEST(IconList, AddFitsPicturesToTheListSize)
{
    IconList icons;
    QPixmap large(20, 20);
    large.fill(Qt::red);
    QPixmap small(4, 4);
    small.fill(Qt::blue);
    EXPECT_EQ(icons.Add(large), 0);
    EXPECT_EQ(icons.Add(small), 1);
    EXPECT_EQ(icons.Pixmap(0).size(), QSize(16, 16));
    const QImage second = icons.Pixmap(1).toImage();
    EXPECT_EQ(second.size(), QSize(16, 16));
    EXPECT_EQ(second.pixelColor(3, 3), QColor(Qt::blue));
    EXPECT_EQ(second.pixelColor(10, 10).alpha(), 0);
    EXPECT_FALSE(icons.Icon(5).isNull());
    icons.Clear();
    EXPECT_EQ(icons.GetCount(), 0);
}

} // namespace

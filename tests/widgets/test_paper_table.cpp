#include "widgets/Upapernamelist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> ExpectedIds()
{
    std::vector<int> ids;
    const auto range = [&](int from, int to) {
        for (int id = from; id <= to; ++id) ids.push_back(id);
    };
    range(1, 23);
    range(27, 47);
    range(52, 53);
    range(57, 60);
    range(63, 66);
    range(69, 70);
    range(72, 83);
    range(85, 118);
    ids.push_back(256);
    return ids;
}

TEST(PaperTable, EnumPaperListsTheIdsInOrderAfterExistingLines)
{
    platform::StringList list{"first", "second"};
    EnumPaper(list);
    ASSERT_EQ(list.GetCount(), 2 + 103);
    EXPECT_EQ(list.GetString(0), "first");
    std::vector<int> ids;
    for (int i = 2; i < list.GetCount(); ++i) ids.push_back(PaperIDOfObject(list.GetObject(i)));
    EXPECT_EQ(ids, ExpectedIds());
    EXPECT_EQ(list.GetString(2), "レター 8 1/2 x 11 in");
    EXPECT_EQ(list.GetString(list.GetCount() - 1), "ユーザ定義");
}

TEST(PaperTable, LookUps)
{
    struct Case {
        int id;
        const char* name;
        int width;
        int height;
    };
    const Case cases[] = {
        {1, "レター 8 1/2 x 11 in", 21590, 27940},
        {2, "レター Small 8 1/2 x 11 in", 21590, 27940},
        {18, "Note 8 1/2 x 11 in", 21590, 27940},
        {9, "A4 210 x 297 mm", 21000, 29700},
        {12, "B4 (JIS) 250 x 354", 25000, 35400},
        {20, "封筒 #10 4 1/8 x 9 1/2", 10477, 24130},
        {29, "封筒 C3  324 x 458 mm", 32400, 45800},
        {35, "封筒 B6  176 x 125 mm", 17600, 12500},
        {77, "A4 (横) 297 x 210 mm", 29700, 21000},
        {118, "PRC 封筒 #10 (横) 458 x 324 mm", 45800, 32400},
        {256, "ユーザ定義", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(PaperIDToName(c.id), c.name);
        EXPECT_EQ(PaperNameToID(c.name), c.id);
        EXPECT_EQ(GetMMPaperSize_(c.id), (platform::Point{c.width, c.height}));
    }
}

TEST(PaperTable, MissingIdsAndNames)
{
    for (int id : {0, 24, 25, 26, 48, 51, 54, 56, 61, 62, 67, 68, 71, 84, 119, 255, 257, -1}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(PaperIDToName(id), "");
        EXPECT_EQ(GetMMPaperSize_(id), (platform::Point{0, 0}));
    }
    EXPECT_EQ(PaperNameToID("A4"), 0);
    EXPECT_EQ(PaperNameToID(""), 0);
    // A single blank where the table has two is another name.
    EXPECT_EQ(PaperNameToID("封筒 C3 324 x 458 mm"), 0);
}

TEST(PaperTable, NamesMatchInEitherCase)
{
    EXPECT_EQ(PaperNameToID("a4 small 210 x 297 mm"), 10);
    EXPECT_EQ(PaperNameToID("LEDGER 17 X 11 IN"), 4);
    EXPECT_EQ(PaperNameToID("prc 32k(big) 97 x 151 mm"), 95);
}

} // namespace

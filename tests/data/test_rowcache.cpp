#include "data/Uvktrowcache.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Errors.h"

namespace {

using platform::Currency;
using platform::Variant;

// Value of every row of a column as "kind:text" pieces joined by "|".
std::string Values(const TVktRowCache& cache, int col) {
    std::string out;
    for (int r = 0; r < cache.GetRowCount(); ++r) {
        const Variant v = cache.GetValue(col, r);
        if (r) out += "|";
        out += std::to_string(static_cast<int>(v.GetKind())) + ":" + (v.IsEmptyOrNull() ? "" : v.AsString());
    }
    return out;
}

TEST(RowCache, KeepsEachKindOfValueAndItsText) {
    TVktRowCache cache;
    cache.Reset(6);
    const Variant values[] = {Variant(42), Variant(true), Variant(1.25), Variant(Currency::FromRaw(12345)),
                              Variant::FromDateTime(45366.5), Variant("名前")};
    for (int row = 0; row < 2; ++row) {
        cache.AddRow();
        for (int col = 0; col < 5; ++col) cache.Put(col, "t" + std::to_string(col), values[col]);
        cache.Put(5, "名前", values[5], true);   // a text value is its text
    }
    ASSERT_EQ(cache.GetRowCount(), 2);
    for (int col = 0; col < 6; ++col) {
        SCOPED_TRACE(col);
        const Variant v = cache.GetValue(col, 0);
        EXPECT_EQ(v.GetKind(), values[col].GetKind());
        EXPECT_TRUE(v == values[col]);
    }
    EXPECT_EQ(cache.GetText(3, 1), "t3");
    EXPECT_EQ(cache.GetValue(3, 1).AsCurrency().Raw(), 12345);
    EXPECT_EQ(cache.GetValue(5, 1).AsString(), "名前");
}

TEST(RowCache, NullEmptyAndUnputCells) {
    TVktRowCache cache;
    cache.Reset(2);
    cache.AddRow();
    cache.Put(0, "", Variant::Null());
    cache.AddRow();   // the row before keeps an unput cell in column 1
    cache.Put(0, "7", Variant(7));
    EXPECT_TRUE(cache.GetValue(0, 0).IsNull());
    EXPECT_TRUE(cache.GetValue(1, 0).IsEmpty());
    EXPECT_TRUE(cache.GetValue(1, 1).IsEmpty());
    EXPECT_EQ(cache.GetText(1, 1), "");
    EXPECT_EQ(Values(cache, 0), "1:|2:7");
}

TEST(RowCache, MixedKindsFallBackToVariants) {
    TVktRowCache cache;
    cache.Reset(2);
    const Variant first[] = {Variant(1), Variant("a")};
    const Variant second[] = {Variant("x"), Variant(2.5)};
    cache.AddRow();
    cache.Put(0, "1", first[0]);
    cache.Put(1, "a", first[1]);
    cache.AddRow();
    cache.Put(0, "x", second[0]);
    cache.Put(1, "2.5", second[1]);
    cache.AddRow();
    cache.Put(0, "", Variant::Null());
    cache.Put(1, "other", Variant("differs"));   // not promised equal: compared
    EXPECT_EQ(Values(cache, 0), "2:1|5:x|1:");
    EXPECT_EQ(Values(cache, 1), "5:a|3:2.5|5:differs");
    EXPECT_EQ(cache.GetText(1, 2), "other");
}

TEST(RowCache, WritesKeepTheOtherHalfOfTheCell) {
    TVktRowCache cache;
    cache.Reset(2);
    cache.AddRow();
    cache.Put(0, "Alpha", Variant("Alpha"), true);
    cache.Put(1, "1", Variant(1));
    cache.SetText(0, 0, "Alpha (edited)");
    EXPECT_EQ(cache.GetText(0, 0), "Alpha (edited)");
    EXPECT_EQ(cache.GetValue(0, 0).AsString(), "Alpha");
    cache.SetValue(1, 0, Variant("one"));
    EXPECT_EQ(cache.GetText(1, 0), "1");
    EXPECT_EQ(cache.GetValue(1, 0).AsString(), "one");
    EXPECT_EQ(cache.Find(1, Variant("one")), 0);
    EXPECT_EQ(cache.Find(1, Variant(1)), -1);
    EXPECT_EQ(cache.Find(2, Variant(1)), -1);
}

TEST(RowCache, LongTextsAndManyRows) {
    TVktRowCache cache;
    cache.Reset(2);
    const std::string big(200000, 'x');
    std::string bytes("a\0b", 3);
    for (int row = 0; row < 20000; ++row) {
        cache.AddRow();
        const std::string text = "row " + std::to_string(row);
        cache.Put(0, text, Variant(text), true);
        if (row == 7) cache.Put(1, big, Variant(big), true);
        if (row == 8) cache.Put(1, bytes, Variant(bytes), true);
    }
    EXPECT_EQ(cache.GetText(0, 19999), "row 19999");
    EXPECT_EQ(cache.GetText(0, 12345), "row 12345");
    EXPECT_EQ(cache.GetText(1, 7), big);
    EXPECT_EQ(cache.GetValue(1, 8).AsString(), bytes);
    EXPECT_EQ(cache.Find(0, Variant("row 19998")), 19998);
}

TEST(RowCache, OutsideTheTableRaisesAndResetEmpties) {
    TVktRowCache cache;
    cache.Reset(1);
    EXPECT_THROW(cache.GetText(0, 0), platform::ListIndexError);
    EXPECT_THROW(cache.Put(0, "x", Variant(1)), platform::ListIndexError);
    cache.AddRow();
    EXPECT_THROW(cache.GetValue(1, 0), platform::ListIndexError);
    EXPECT_THROW(cache.SetText(0, 1, "x"), platform::ListIndexError);
    cache.SetValue(0, 0, Variant(3));
    cache.Reset(2);
    EXPECT_EQ(cache.GetRowCount(), 0);
    EXPECT_EQ(cache.GetColCount(), 2);
    cache.AddRow();
    EXPECT_TRUE(cache.GetValue(0, 0).IsEmpty());   // the written value went with the reset
}

} // namespace

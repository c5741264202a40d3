#include "core/Treeindex.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kOutOfRange = "インデックスが範囲を超えています";

template <class Body>
void ExpectOutOfRange(Body&& body)
{
    try {
        body();
        ADD_FAILURE() << "no exception";
    } catch (const platform::IntOverflowError& e) {
        EXPECT_EQ(e.Message(), kOutOfRange);
    }
}

TEST(TreeIndex, DefaultAndTextForm)
{
    TTreeIndex key;
    EXPECT_EQ(key.GetAsString(), "2");
    EXPECT_EQ(key.Depth(), 0);

    key = std::string("20001");
    EXPECT_EQ(key.Depth(), 2);
    EXPECT_EQ(key.GetIndex(), 1);
    EXPECT_EQ(key.GetDigit(0), 0);
    EXPECT_EQ(key.GetDigit(1), 1);
    EXPECT_EQ(key.GetParent().GetAsString(), "200");
    EXPECT_EQ(key.GetParent().GetParent().GetAsString(), "2");
    EXPECT_EQ(key.GetParent().GetParent().GetParent().GetAsString(), "2");

    EXPECT_EQ(TTreeIndex(4).GetAsString(), "4");
    EXPECT_EQ(TTreeIndex(15).GetAsString(), "F");
    EXPECT_EQ(TTreeIndex(std::string("3001002")).GetDigit(1), 2);
}

TEST(TreeIndex, DisabledFlagTravelsInText)
{
    TTreeIndex key(std::string("Z20001"));
    EXPECT_FALSE(key.GetEnabled());
    EXPECT_EQ(key.GetPath(), "0001");
    EXPECT_EQ(key.GetAsString(), "Z20001");
    EXPECT_EQ(key.GetParent().GetAsString(), "200");
    EXPECT_TRUE(key.GetParent().GetEnabled());

    const TTreeIndex copy(key);
    EXPECT_EQ(copy.GetAsString(), "Z20001");
    TTreeIndex assigned;
    assigned = key;
    EXPECT_EQ(assigned.GetAsString(), "Z20001");

    key = std::string("20001");
    EXPECT_TRUE(key.GetEnabled());
}

TEST(TreeIndex, ComparisonLooksAtPathOnly)
{
    const TTreeIndex a(std::string("200"));
    const TTreeIndex disabled(std::string("Z200"));
    const TTreeIndex child(std::string("20001"));
    EXPECT_EQ(a, disabled);
    EXPECT_TRUE(a < child);
    EXPECT_TRUE(child > a);
    EXPECT_TRUE(TTreeIndex(std::string("2000F")) < TTreeIndex(std::string("20010")));
    EXPECT_NE(a, child);
    EXPECT_EQ(TTreeIndex(std::string("300")), TTreeIndex(std::string("200")));  // digit size ignored
}

TEST(TreeIndex, SetIndexAndDigit)
{
    TTreeIndex key(std::string("20001"));
    key.SetIndex(255);
    EXPECT_EQ(key.GetAsString(), "200FF");
    ExpectOutOfRange([&] { key.SetIndex(256); });
    ExpectOutOfRange([&] { key.SetIndex(-1); });
    EXPECT_EQ(key.GetAsString(), "200FF");

    key = std::string("20102");
    key.SetDigit(0, 3);
    EXPECT_EQ(key.GetAsString(), "20302");
    key = std::string("20102");
    key.SetDigit(2, 1);
    EXPECT_EQ(key.GetAsString(), "2010201");
    key.SetDigit(7, 0x1A);
    EXPECT_EQ(key.GetAsString(), "20102011A");
    ExpectOutOfRange([&] { key.SetDigit(0, 256); });
    ExpectOutOfRange([&] { key.SetDigit(-1, 0); });
    EXPECT_EQ(key.GetAsString(), "20102011A");

    TTreeIndex wide(8);
    wide.SetIndex(2147483647);
    EXPECT_EQ(wide.GetAsString(), "87FFFFFFF");
    EXPECT_EQ(wide.GetIndex(), 2147483647);

    TTreeIndex empty;
    empty.SetIndex(5);
    EXPECT_EQ(empty.GetAsString(), "205");
}

TEST(TreeIndex, PosterityAndSiblings)
{
    const TTreeIndex k201(std::string("201"));
    const TTreeIndex k20102(std::string("20102"));
    EXPECT_TRUE(k201.IsPosterity(k20102));
    EXPECT_FALSE(k20102.IsPosterity(k201));
    EXPECT_TRUE(k20102.IsPosterity(k20102));
    EXPECT_TRUE(TTreeIndex().IsPosterity(k201));

    EXPECT_TRUE(k20102.IsSiviling(TTreeIndex(std::string("20105"))));
    EXPECT_TRUE(k20102.IsSiviling(TTreeIndex(std::string("2010501"))));  // lies under the same parent
    EXPECT_TRUE(k20102.IsSiviling(k20102));
    EXPECT_FALSE(k20102.IsSiviling(TTreeIndex(std::string("20202"))));
    EXPECT_TRUE(k20102.IsSiviling(k201));  // the parent's path starts with itself
    EXPECT_FALSE(k20102.IsSiviling(TTreeIndex(std::string("2"))));
}

TEST(TreeIndex, SetParentKeepsOwnGroup)
{
    TTreeIndex key(std::string("20102"));
    key.SetParent(TTreeIndex(std::string("Z203")));
    EXPECT_EQ(key.GetAsString(), "20302");
    key.SetParent(TTreeIndex());
    EXPECT_EQ(key.GetAsString(), "202");
}

TEST(TreeIndex, RefusedTextsLeaveKeyUnchanged)
{
    TTreeIndex key(std::string("Z20001"));
    ExpectOutOfRange([&] { key.SetAsString(""); });
    EXPECT_EQ(key.GetAsString(), "Z20001");
    EXPECT_THROW(key.SetAsString("Z"), platform::StringIndexError);
    EXPECT_THROW(key.SetAsString("G00"), platform::ConvertError);
    ExpectOutOfRange([&] { key.SetAsString("000"); });  // digit size 0 would divide by zero
    EXPECT_EQ(key.GetAsString(), "Z20001");

    ExpectOutOfRange([] { TTreeIndex(std::string()); });
    ExpectOutOfRange([] { TTreeIndex(0); });
    ExpectOutOfRange([] { TTreeIndex(16); });
    ExpectOutOfRange([&] { key.SetDigitSize(0); });
    EXPECT_EQ(key.GetDigitSize(), 2);
}

TEST(TreeIndex, UnreadableGroupsRaiseConversionError)
{
    EXPECT_THROW(TTreeIndex().GetIndex(), platform::ConvertError);
    const TTreeIndex bad(std::string("200XY"));  // the path is not validated on reading
    EXPECT_EQ(bad.GetDigit(0), 0);
    EXPECT_THROW(bad.GetDigit(1), platform::ConvertError);
    EXPECT_THROW(bad.GetIndex(), platform::ConvertError);
    EXPECT_THROW(bad.GetDigit(2), platform::ConvertError);
}

TEST(TreeIndex, DigitSizeChangeKeepsPath)
{
    TTreeIndex key(std::string("20102"));
    key.SetDigitSize(1);
    EXPECT_EQ(key.GetAsString(), "10102");
    EXPECT_EQ(key.Depth(), 4);
    EXPECT_EQ(key.GetIndex(), 2);
}

} // namespace

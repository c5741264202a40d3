#include "core/Priorityitem.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

TPriorityItem List(std::initializer_list<int> values)
{
    TPriorityItem list;
    for (int v : values)
        list << v;
    return list;
}

TEST(PriorityItem, CommaTextForms)
{
    EXPECT_EQ(TPriorityItem().GetCommaText(), "");
    EXPECT_EQ(List({7}).GetCommaText(), "7");
    EXPECT_EQ(List({1, -2, 3}).GetCommaText(), "1,-2,3");
    EXPECT_EQ(List({0, 2147483647, -2147483647 - 1}).GetCommaText(), "0,2147483647,-2147483648");
}

TEST(PriorityItem, SetCommaTextReadsPiecesAndRoundTrips)
{
    TPriorityItem list = List({9});
    list.SetCommaText("");
    EXPECT_EQ(list.GetCount(), 0);

    list.SetCommaText("4,5,6");
    EXPECT_EQ(list, List({4, 5, 6}));

    list.SetCommaText("1 2, \"3\",-4");
    EXPECT_EQ(list, List({1, 2, 3, -4}));

    const TPriorityItem source = List({10, -1, 0, 10});
    TPriorityItem back;
    back.SetCommaText(source.GetCommaText());
    EXPECT_EQ(back, source);
}

TEST(PriorityItem, SetCommaTextStopsAtFirstBadPiece)
{
    TPriorityItem list = List({42});
    EXPECT_THROW(list.SetCommaText("1,2,x,4"), platform::ConvertError);
    EXPECT_EQ(list, List({1, 2}));

    EXPECT_THROW(list.SetCommaText("5,,6"), platform::ConvertError);
    EXPECT_EQ(list, List({5}));
}

TEST(PriorityItem, SortIsUnsignedOrder)
{
    TPriorityItem list = List({3, -1, 0, 2});
    list.Sort();
    EXPECT_EQ(list, List({0, 2, 3, -1}));

    list = List({-1, -2, 5, -2147483647 - 1, 2147483647, 5});
    list.Sort();
    EXPECT_EQ(list, List({5, 5, 2147483647, -2147483647 - 1, -2, -1}));
}

TEST(PriorityItem, EqualityIsByCountAndOrder)
{
    EXPECT_NE(List({1, 2}), List({2, 1}));
    EXPECT_EQ(TPriorityItem(), TPriorityItem());
    EXPECT_NE(List({1}), List({1, 0}));
    EXPECT_TRUE(List({1, 2}).Equal(List({1, 2})));
}

TEST(PriorityItem, CopyAndSelfAssignment)
{
    TPriorityItem list = List({1, 2, 3});
    TPriorityItem copy(list);
    copy << 4;
    EXPECT_EQ(list, List({1, 2, 3}));
    EXPECT_EQ(copy, List({1, 2, 3, 4}));

    TPriorityItem& alias = list;
    list = alias;
    EXPECT_EQ(list, List({1, 2, 3}));
    list.Copy(alias);
    EXPECT_EQ(list, List({1, 2, 3}));

    TPriorityItem moved(std::move(copy));
    EXPECT_EQ(moved, List({1, 2, 3, 4}));
    copy = moved;  // a moved-from list takes a new value
    EXPECT_EQ(copy, moved);
}

TEST(PriorityItem, AppendingListsAndSelf)
{
    TPriorityItem list = List({1});
    list << List({2, 3}) << 4;
    EXPECT_EQ(list, List({1, 2, 3, 4}));
    list.Add(list);
    EXPECT_EQ(list, List({1, 2, 3, 4, 1, 2, 3, 4}));
}

TEST(PriorityItem, InsertIndexOfAndItems)
{
    TPriorityItem list = List({5, 7, 5});
    EXPECT_EQ(list.IndexOf(5), 0);
    EXPECT_EQ(list.IndexOf(7), 1);
    EXPECT_EQ(list.IndexOf(6), -1);

    list.Insert(0, 1);
    list.Insert(4, 9);
    list.Insert(2, 8);
    EXPECT_EQ(list, List({1, 5, 8, 7, 5, 9}));

    list.SetItem(5, -3);
    EXPECT_EQ(list.GetItem(5), -3);
}

TEST(PriorityItem, IndexErrorsLeaveListUnchanged)
{
    TPriorityItem list = List({1, 2});
    EXPECT_THROW(list.GetItem(2), platform::ListIndexError);
    EXPECT_THROW(list.GetItem(-1), platform::ListIndexError);
    EXPECT_THROW(list.SetItem(2, 0), platform::ListIndexError);
    EXPECT_THROW(list.Insert(3, 0), platform::ListIndexError);
    EXPECT_THROW(list.Insert(-1, 0), platform::ListIndexError);
    EXPECT_THROW(list.SetCount(-1), platform::ListCountError);
    EXPECT_EQ(list, List({1, 2}));
}

TEST(PriorityItem, SetCountPadsWithZeroAndCuts)
{
    TPriorityItem list = List({8, 9});
    list.SetCount(5);
    EXPECT_EQ(list, List({8, 9, 0, 0, 0}));
    list.SetCount(1);
    EXPECT_EQ(list, List({8}));
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
}

} // namespace

#include "platform/Errors.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

std::string Dump(const StringList& list)
{
    std::string out;
    for (int i = 0; i < list.GetCount(); ++i)
        out += (i ? "|" : "") + list.GetString(i);
    return out;
}

} // namespace

TEST(StringList, AddInsertDeleteKeepObjects)
{
    int a = 1, b = 2, c = 3;
    StringList list;
    EXPECT_EQ(list.AddObject("a", &a), 0);
    EXPECT_EQ(list.AddObject("c", &c), 1);
    list.InsertObject(1, "b", &b);
    list.Insert(3, "d");
    EXPECT_EQ(Dump(list), "a|b|c|d");
    EXPECT_EQ(list.GetObjectAs<int>(1), &b);
    EXPECT_EQ(list.GetObject(3), nullptr);
    EXPECT_EQ(list.IndexOfObject(&c), 2);
    list.Delete(0);
    EXPECT_EQ(Dump(list), "b|c|d");
    EXPECT_EQ(list.GetObjectAs<int>(0), &b);
    list.Move(2, 0);
    EXPECT_EQ(Dump(list), "d|b|c");
    EXPECT_EQ(list.GetObjectAs<int>(2), &c);
    list.Exchange(0, 2);
    EXPECT_EQ(Dump(list), "c|b|d");
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(StringList, IndexesOutOfBoundsRaise)
{
    StringList list{"x", "y"};
    EXPECT_THROW(list.GetString(2), ListIndexError);
    EXPECT_THROW(list.GetString(-1), ListIndexError);
    EXPECT_THROW(list.SetObject(5, nullptr), ListIndexError);
    EXPECT_THROW(list.Insert(3, "z"), ListIndexError);
    EXPECT_THROW(list.Delete(2), ListIndexError);
    EXPECT_THROW(list.Move(0, 2), ListIndexError);
    try {
        list.Delete(5);
    } catch (const ListIndexError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_EQ(Dump(list), "x|y");
}

TEST(StringList, SearchIgnoresCaseUnlessTold)
{
    StringList list{"Alpha", "beta"};
    EXPECT_EQ(list.IndexOf("ALPHA"), 0);
    EXPECT_EQ(list.IndexOf("gamma"), -1);
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.IndexOf("ALPHA"), -1);
    EXPECT_EQ(list.IndexOf("Alpha"), 0);
}

TEST(StringList, IgnoreDuplicatesReturnsTheExistingIndex)
{
    StringList list;
    list.SetIgnoreDuplicates(true);
    EXPECT_EQ(list.Add("left outer join A"), 0);
    EXPECT_EQ(list.Add("where x"), 1);
    EXPECT_EQ(list.Add("LEFT OUTER JOIN a"), 0);
    EXPECT_EQ(list.GetCount(), 2);
    list.SetCommaText("a,b,A,c,b");
    EXPECT_EQ(Dump(list), "a|b|c");
}

TEST(StringList, NamesAndValues)
{
    StringList list;
    list.SetText("Kitchen=/data/kitchen\r\nno equals\r\nBar=/data/bar=2\r\n");
    EXPECT_EQ(list.GetName(0), "Kitchen");
    EXPECT_EQ(list.GetName(1), "");
    EXPECT_EQ(list.GetValueFromIndex(2), "/data/bar=2");
    EXPECT_EQ(list.GetValue("bar"), "/data/bar=2");
    EXPECT_EQ(list.GetValue("missing"), "");
    EXPECT_EQ(list.IndexOfName("no equals"), -1);

    list.SetValue("Kitchen", "/srv/kitchen");
    list.SetValue("Cafe", "/data/cafe");
    EXPECT_EQ(Dump(list), "Kitchen=/srv/kitchen|no equals|Bar=/data/bar=2|Cafe=/data/cafe")
        << "an existing name changes in place, a new one is appended";
    list.SetValue("bar", "");
    EXPECT_EQ(Dump(list), "Kitchen=/srv/kitchen|no equals|Cafe=/data/cafe") << "an empty value deletes the line";

    list.SetCaseSensitive(true);
    list.SetValue("kitchen", "/x");
    EXPECT_EQ(list.IndexOfName("kitchen"), 3);
    EXPECT_EQ(list.GetValue("Kitchen"), "/srv/kitchen");
}

TEST(StringList, TextLines)
{
    StringList list;
    list.SetText("a\r\nb\nc\rd\n\ne");
    EXPECT_EQ(Dump(list), "a|b|c|d||e");
    EXPECT_EQ(list.GetText(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
    list.SetText("");
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetText(), "");
    list.SetText("one\r\n");
    EXPECT_EQ(list.GetCount(), 1) << "a last line break adds no empty line";
    list.SetText("\r\n");
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetString(0), "");
}

TEST(StringList, CommaText)
{
    StringList list;
    list.SetCommaText(" 4, 5 ,\"six seven\",\"say \"\"hi\"\"\"");
    EXPECT_EQ(Dump(list), "4|5|six seven|say \"hi\"");
    EXPECT_EQ(list.GetCommaText(), "4,5,\"six seven\",\"say \"\"hi\"\"\"");
    list.Clear();
    list.Add("");
    EXPECT_EQ(list.GetCommaText(), "\"\"");
    list.SetCommaText(list.GetCommaText());
    EXPECT_EQ(list.GetCount(), 1);
}

TEST(StringList, SortIsAsciiCaseInsensitiveAndStable)
{
    StringList list{"b", "B", "a", "_x", "C", "A"};
    list.Sort();
    EXPECT_EQ(Dump(list), "a|A|b|B|C|_x");
    list.SetCaseSensitive(true);
    list.Sort();
    EXPECT_EQ(Dump(list), "A|B|C|_x|a|b");
}

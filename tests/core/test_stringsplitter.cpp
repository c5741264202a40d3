#include "core/Ustringsplitter.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace {

// The items joined by '|' for compact comparison.
std::string Dump(const TStringSplitter& splitter)
{
    std::string dump;
    for (int i = 0; i < splitter.GetCount(); ++i)
        dump += (i ? "|" : "") + splitter.GetString(i);
    return std::to_string(splitter.GetCount()) + ":" + dump;
}

std::string Split(TStringSplitter& splitter, std::string_view text)
{
    splitter.SetText(text);
    return Dump(splitter);
}

TEST(StringSplitter, KeepsQuotedAndBracketedSectionsWhole)
{
    TStringSplitter s;
    EXPECT_EQ(Split(s, "a,'b,c',d"), "3:a|'b,c'|d");
    EXPECT_EQ(Split(s, "x(1,2),y"), "2:x(1,2)|y");
    EXPECT_EQ(s.GetText(), "x(1,2),y");
    EXPECT_EQ(Split(s, "\"p,q\",<r,s>,[t,u],{v,w}"), "4:\"p,q\"|<r,s>|[t,u]|{v,w}");
    EXPECT_EQ(Split(s, "f(a,(b,c)),d"), "2:f(a,(b,c))|d");
    EXPECT_EQ(Split(s, "k='1,2'x,m"), "2:k='1,2'x|m");
    EXPECT_EQ(Split(s, "a'b,c"), "2:a'b|c");   // unclosed quote protects nothing
}

TEST(StringSplitter, PlainSplitting)
{
    TStringSplitter s;
    EXPECT_EQ(Split(s, ""), "0:");
    EXPECT_EQ(Split(s, "a"), "1:a");
    EXPECT_EQ(Split(s, "a,,b"), "3:a||b");
    EXPECT_EQ(Split(s, ",a"), "2:|a");
    EXPECT_EQ(Split(s, "a,"), "1:a");
    EXPECT_EQ(Split(s, "あ,い"), "2:あ|い");
    s.SetSplitter("::");
    EXPECT_EQ(Split(s, "a::b:c::(d::e)"), "3:a|b:c|(d::e)");
    EXPECT_EQ(s.GetText(), "a::b:c::(d::e)");
    s.SetSplitter("");
    EXPECT_EQ(Split(s, "a,b"), "1:a,b");
}

TEST(StringSplitter, ClearLeavesOnlyQuotes)
{
    TStringSplitter s;
    s.SetSplitter(";");
    s.Add("x");
    s.Clear();
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(s.GetSplitter(), ",");
    EXPECT_EQ(s.GetQuote(), "\"'");
    EXPECT_EQ(Split(s, "x(1,2),y"), "3:x(1|2)|y");
    EXPECT_EQ(Split(s, "'a,b',c"), "2:'a,b'|c");
}

TEST(StringSplitter, OwnQuoteCharacterClosesItself)
{
    TStringSplitter s;
    s.SetQuote("|");
    EXPECT_EQ(Split(s, "a|b,c|,d"), "2:a|b,c||d");
}

TEST(StringSplitter, QuotePositions)
{
    TStringSplitter s;
    EXPECT_EQ(s.QuotedPos("abc"), 0);
    EXPECT_EQ(s.QuotedPos("ab[c'"), 3);
    EXPECT_EQ(s.EndQuotedPos("a(b)c)", 2), 4);
    EXPECT_EQ(s.EndQuotedPos("'ab'c'", 1), 4);
    EXPECT_EQ(s.EndQuotedPos("(abc", 1), 0);
    EXPECT_EQ(s.EndQuotedPos("x(a(b)", 6), 2);   // closing bracket: first opener before it
    EXPECT_EQ(s.EndQuotedPos("ab)", 3), 0);
    EXPECT_EQ(s.EndQuotedPos("abc", 0), 0);
    EXPECT_EQ(s.EndQuotedPos("abc", 4), 0);
    s.SetQuote("");
    EXPECT_EQ(s.QuotedPos("'a'"), 0);
}

TEST(StringSplitter, IndexOfMatchesTrimsAndIgnoresCase)
{
    TStringSplitter s;
    s.SetText(" notes.txt ,Data.CSV,readme");
    EXPECT_EQ(s.IndexOfMatches("*.csv"), 1);
    EXPECT_EQ(s.IndexOfMatches("n?tes.*"), 0);
    EXPECT_EQ(s.IndexOfMatches("read*"), 2);
    EXPECT_EQ(s.IndexOfMatches("*.doc"), -1);
}

TEST(StringSplitter, BadIndexesRaise)
{
    TStringSplitter s;
    s.Add("a");
    EXPECT_THROW(s.Delete(3), platform::ListIndexError);
    EXPECT_THROW(s.GetString(-1), platform::ListIndexError);
}

TEST(StringSplitter, CopiesAreIndependent)
{
    TStringSplitter a;
    a.SetSplitter(";");
    a.SetQuote("'");
    a.SetText("1;2");
    TStringSplitter b(a);
    b.Add("3");
    EXPECT_EQ(Dump(a), "2:1|2");
    EXPECT_EQ(Dump(b), "3:1|2|3");
    EXPECT_EQ(b.GetSplitter(), ";");
    EXPECT_EQ(b.GetQuote(), "'");

    TStringSplitter c;
    c = b;
    c = c;
    EXPECT_EQ(Dump(c), "3:1|2|3");
    EXPECT_EQ(c.GetText(), "1;2;3");
}

} // namespace

// Cutting UTF-8 text to a code-page-932 byte limit on character boundaries.
#include "platform/Codec.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SjisTruncate, CutsOnCharacterBoundaries)
{
    const struct {
        const char* text;
        std::size_t limit;
        const char* expected;
    } cases[] = {
        {"abcdef", 4, "abcd"},
        {"abc", 50, "abc"},
        {"醤油ラーメン", 5, "醤油"},          // the third character would need bytes 5 and 6
        {"醤油ラーメン", 6, "醤油ラ"},
        {"aéb", 2, "aé"},                      // é is not in the code page: one byte, as SjisLength counts
        {"ｶﾅ漢", 3, "ｶﾅ"},                     // half-width kana take one byte each
        {"", 0, ""},
        {"x", 0, ""},
        {"醤油", 6, "醤油"},                   // as many bytes as the limit
        {"醤油ラ", 6, "醤油ラ"},               // more bytes than the limit, not more code-page bytes
    };
    for (const auto& c : cases) {
        const std::string cut(platform::SjisTruncate(c.text, c.limit));
        EXPECT_EQ(cut, c.expected) << c.text << " " << c.limit;
        EXPECT_LE(platform::SjisLength(cut), c.limit);
    }
    EXPECT_THROW(platform::SjisTruncate("醤油\xFF", 3), platform::ConvertError);
    EXPECT_THROW(platform::SjisTruncate("\xFF", 3), platform::ConvertError) << "short, still malformed";
}

TEST(SjisTruncate, LongMixedNameKeepsTheLongestPrefix)
{
    std::string name;
    for (int i = 0; i < 40; ++i) name += i % 2 ? "鶏" : "é";
    const std::string cut(platform::SjisTruncate(name, 50));
    EXPECT_EQ(platform::SjisLength(cut), 49u);   // 17 letters and 16 kanji; the next kanji would pass 50
    EXPECT_EQ(name.rfind(cut, 0), 0u);
}

} // namespace

#include "gui/Clipboard.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(Clipboard, TextRoundTrips)
{
    for (const std::string text : {"", "abc", "牛肉 100g\r\n玉ねぎ ½個", "\xF0\x9F\x8D\xA3 寿司"}) {
        Clipboard::SetText(text);
        EXPECT_EQ(Clipboard::GetText(), text);
        EXPECT_TRUE(Clipboard::HasText());
    }
}

TEST(Clipboard, ImageRoundTrips)
{
    Picture picture(5, 3, RgbColor(10, 20, 30));
    picture.SetPixel(4, 2, RgbColor(255, 0, 128));
    Clipboard::SetImage(Image(picture));
    const auto image = Clipboard::GetImage();
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->ToPicture(), picture);

    Clipboard::SetText("no image");
    EXPECT_FALSE(Clipboard::GetImage().has_value());
}

TEST(Clipboard, OwnFormatsVerbatim)
{
    const std::string binary("<PageView>\0\x01\xFF\xFE</PageView>", 25);
    const struct {
        const char* format;
        std::string bytes;
    } cases[] = {
        {"-QL-PageViewObject", binary},
        {"text/rtf", "{\\rtf1\\ansi \\'8a\\'bf}"},
    };
    for (const auto& c : cases) {
        Clipboard::SetData(c.format, c.bytes);
        EXPECT_TRUE(Clipboard::HasFormat(c.format)) << c.format;
        EXPECT_EQ(Clipboard::GetData(c.format), c.bytes) << c.format;
        EXPECT_FALSE(Clipboard::HasText());
    }
    EXPECT_FALSE(Clipboard::HasFormat("-QL-PageViewObject"));
    EXPECT_EQ(Clipboard::GetData("-QL-PageViewObject"), "");
}

TEST(Clipboard, WriterPutsSeveralFormatsInOneWrite)
{
    Clipboard::SetText("old");
    {
        ClipboardWriter writer;
        writer.SetData("-QL-PageViewObject", "<item/>");
        writer.SetText("表の内容");
        writer.SetImage(Image(Picture(2, 2, RgbColor(1, 2, 3))));
        EXPECT_EQ(Clipboard::GetText(), "old");   // nothing before the write
    }
    EXPECT_EQ(Clipboard::GetText(), "表の内容");
    EXPECT_EQ(Clipboard::GetData("-QL-PageViewObject"), "<item/>");
    ASSERT_TRUE(Clipboard::GetImage().has_value());
    EXPECT_EQ(Clipboard::GetImage()->GetWidth(), 2);

    ClipboardWriter writer;
    writer.SetText("first");
    writer.Commit();
    EXPECT_EQ(Clipboard::GetText(), "first");
    writer.SetData("text/rtf", "{\\rtf1}");
    writer.Commit();
    EXPECT_EQ(Clipboard::GetData("text/rtf"), "{\\rtf1}");
    EXPECT_FALSE(Clipboard::HasText());
}

} // namespace

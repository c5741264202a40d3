// Drawing through the recording canvas and into an image.
#include "gui/BitmapCanvas.h"
#include "gui/PdfWriter.h"
#include "gui/QtSupport.h"
#include "DocumentFixture.h"
#include "richtext/Uextextdrawer.h"
#include "support/Command.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

class DrawerTest : public DocumentFixture {
protected:
    void SetUp() override
    {
        DocumentFixture::SetUp();
        doc_.SetWordWrap(true);
        doc_.SetWrapWidth(100);
    }
    std::string Draw(int zoom, const TSelectInfo& sel = TSelectInfo(), bool clip = false, int height = 200)
    {
        vkttest::RecordingCanvas out;
        out.SetAdvance(10 * zoom / 100);
        doc_.DrawTextA(&out, {0, 0, 100, height}, {0, 0, 100 * zoom / 100, height * zoom / 100}, 0, 0,
                       doc_.LineCountToLineInfo(1), sel, clip);
        return out.Log();
    }
    static int Count(const std::string& log, const std::string& what)
    {
        int n = 0;
        for (std::size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1))
            ++n;
        return n;
    }
};

TEST_F(DrawerTest, ZoomScalesPlacesAndFonts)
{
    Load("ab\r\ncd");
    doc_.BeginUpdate();
    EXPECT_EQ(Draw(100), "");
    doc_.EndUpdate();
    const std::string normal = Draw(100);
    EXPECT_NE(normal.find("TextOut(0,0,\"a\")"), std::string::npos) << normal;
    EXPECT_NE(normal.find("TextOut(10,0,\"b\")"), std::string::npos);
    EXPECT_NE(normal.find("TextOut(0,16,\"c\")"), std::string::npos);
    EXPECT_NE(normal.find(",-14)"), std::string::npos);
    const std::string doubled = Draw(200);
    EXPECT_NE(doubled.find("TextOut(20,0,\"b\")"), std::string::npos) << doubled;
    EXPECT_NE(doubled.find("TextOut(0,32,\"c\")"), std::string::npos);
    EXPECT_NE(doubled.find(",-28)"), std::string::npos);
}

TEST_F(DrawerTest, ClipStopsAtPagesAndRowsThatDoNotFit)
{
    Load("a\r\nb\r\nc\r\nd");
    doc_.InsertPageNew(doc_.GetPages(0)->GetLines(2)->GetWords(0), 0);
    const std::string all = Draw(100);
    EXPECT_EQ(Count(all, "DashDot"), 1);
    EXPECT_NE(all.find("MoveTo(0,37)"), std::string::npos) << all;   // two rows, the gap, back half the gap
    EXPECT_EQ(Count(all, "TextOut"), 4);
    const std::string clipped = Draw(100, TSelectInfo(), true, 40);
    EXPECT_EQ(Count(clipped, "TextOut"), 2);
    EXPECT_EQ(Count(clipped, "DashDot"), 0);
    EXPECT_EQ(Count(Draw(100, TSelectInfo(), true, 20), "TextOut"), 1);
    // A row taller than the area is still drawn, clipped to it.
    EXPECT_EQ(Count(Draw(100, TSelectInfo(), true, 10), "TextOut"), 1);
    EXPECT_EQ(doc_.PositionToLineInfo(doc_.PageToCaret(1) + 1).Row, 2);
}

TEST_F(DrawerTest, SelectionBandsAndParagraphEndBox)
{
    Load("abc\r\nd");
    TSelectInfo sel;
    sel.Anchor = doc_.PositionToCaretInfo(1);
    sel.Caret = doc_.PositionToCaretInfo(5);
    const std::string log = Draw(100, sel);
    const TColor c = platform::GetSystemColor(platform::SystemColor::Highlight);
    char hl[8];
    std::snprintf(hl, sizeof hl, "#%02X%02X%02X", platform::RedOf(c), platform::GreenOf(c), platform::BlueOf(c));
    EXPECT_NE(log.find("FillRect(10,0,30,16," + std::string(hl) + ")"), std::string::npos) << log;
    EXPECT_NE(log.find("FillRect(30,0,38,16," + std::string(hl) + ")"), std::string::npos);   // half the row height
    EXPECT_EQ(Count(log, "FillRect"), 2);
}

TEST_F(DrawerTest, UnderlinesAndStrikes)
{
    vkttest::RecordingCanvas out;
    TExTextDrawer::DrawUnderLine(&out, 0, 35, 80, 10, 20, 5);
    EXPECT_EQ(Count(out.Log(), "FillRect"), 4);
    EXPECT_NE(out.Log().find("FillRect(40,10,45,11,#000000)"), std::string::npos) << out.Log();
    EXPECT_NE(out.Log().find("FillRect(70,10,75,11,#000000)"), std::string::npos);
    out.ClearLog();
    TExTextDrawer::DrawUnderLine(&out, 0, 0, 40, 10, 40, 3);   // double: two bands 2 px apart
    EXPECT_NE(out.Log().find("FillRect(0,10,40,12,"), std::string::npos) << out.Log();
    EXPECT_NE(out.Log().find("FillRect(0,14,40,16,"), std::string::npos);
    out.ClearLog();
    TExTextDrawer::DrawUnderLine(&out, 0, 5, 20, 10, 20, 15);
    EXPECT_NE(out.Log().find("MoveTo(5,11)"), std::string::npos) << out.Log();   // cut by 5: 1 px toward the end
    EXPECT_NE(out.Log().find("LineTo(20,10)"), std::string::npos);

    Load("ab");
    TExStyle s;
    s.Invisible();
    s.Strike = 2;
    s.Underline = 1;
    doc_.ChangeStyle(doc_.PositionToCaretInfo(0), doc_.PositionToCaretInfo(2), s);
    const std::string log = Draw(100);
    EXPECT_NE(log.find("FillRect(0,14,20,15,"), std::string::npos) << log;   // underline below the text
    EXPECT_NE(log.find("MoveTo(0,7)"), std::string::npos);                  // strikes at 12 - 4 - 1 and 3 below
    EXPECT_NE(log.find("MoveTo(0,10)"), std::string::npos);
}

TEST_F(DrawerTest, JapaneseIntoAnImage)
{
    SetMeasureCanvas(nullptr);
    doc_.Clear();
    doc_.SetWrapWidth(300);
    Load("日本語の文章を描く。\r\nLatin text");
    TSelectInfo sel;
    sel.Anchor = doc_.PositionToCaretInfo(0);
    sel.Caret = doc_.PositionToCaretInfo(4);
    platform::BitmapCanvas image(300, 100, 96);
    image.FillRect({0, 0, 300, 100}, 0xFFFFFF);
    doc_.DrawTextA(&image, {0, 0, 300, 100}, {0, 0, 300, 100}, 0, 0, doc_.LineCountToLineInfo(1), sel, false);
    const TColor hl = platform::GetSystemColor(platform::SystemColor::Highlight);
    EXPECT_EQ(image.GetPixel(1, 1), hl);
    int ink = 0;
    for (int x = 60; x < 150; ++x)
        for (int y = 0; y < 20; ++y)
            ink += image.GetPixel(x, y) != 0xFFFFFF ? 1 : 0;
    EXPECT_GT(ink, 30);
    int below = 0;
    for (int x = 0; x < 300; ++x)
        below += image.GetPixel(x, 90) != 0xFFFFFF ? 1 : 0;
    EXPECT_EQ(below, 0);
}

// Each page of a two-page document drawn at 300 dpi on its own PDF page, clipped at the page end.
TEST_F(DrawerTest, JapanesePagesIntoAPdf)
{
    SetMeasureCanvas(nullptr);
    doc_.Clear();
    doc_.SetWrapWidth(400);
    Load("献立表の原価を計算する。\r\nLatin text 123\r\n二頁目の段落です。");
    doc_.InsertPageNew(doc_.GetPages(0)->GetLines(2)->GetWords(0), 0);
    ASSERT_EQ(doc_.GetCount(), 2);
    const std::string file = vkttest::NewTempFolder("pdf") + "/memo.pdf";
    {
        platform::PdfWriter writer(file, 21000, 29700, 300);
        int row = 1;
        for (int page = 0; page < doc_.GetCount(); ++page) {
            if (page > 0)
                writer.NewPage();
            doc_.DrawTextA(&writer.GetCanvas(), {0, 0, 400, 1000}, {100, 100, 100 + 1250, 100 + 3125}, 0, 0,
                           doc_.LineCountToLineInfo(row), TSelectInfo(), true);
            row += doc_.GetPages(page)->GetRowCount();
        }
        writer.Finish();
    }
    const std::string text = vkttest::Capture("pdftotext -enc UTF-8 '" + file + "' - 2>/dev/null");
    const std::size_t pageEnd = text.find('\f');
    ASSERT_NE(pageEnd, std::string::npos) << text;
    for (const char* first : {"献立表の原価を計算する。", "Latin text 123"})
        EXPECT_LT(text.find(first), pageEnd) << first << " in:\n" << text;
    const std::size_t second = text.find("二頁目の段落です。");
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_GT(second, pageEnd) << text;
}

} // namespace

// The memo container: its RTF text and the container font, the layout file, and pages drawn
// through the canvas (a recording canvas and a PDF read back with pdftotext).
#include "gui/PdfWriter.h"
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Umemocontainer.h"
#include "platform/Files.h"
#include "richtext/Uextextdrawer.h"
#include "support/Command.h"
#include "support/RecordingCanvas.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

class MemoContainerTest : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetScreenPixelsPerInch(96);
        vkttest::InstallRecordingPrinter();
        vkttest::Scripted().Reset();
        folder = vkttest::NewTempFolder("memo");
        preview = std::make_unique<TPreview>();
        preview->OnNewContainer = [](TPreview*, int type, TContainer*& c) { c = new TMemoContainer(type); };
    }

    TMemoContainer* Add(int type, TViewItem* parent, TRect mm)
    {
        preview->SetSelected(parent);
        TViewItem* item = preview->AddContainer(type);
        item->SetMMBoundRect_(mm);
        return dynamic_cast<TMemoContainer*>(ContainerOf(item));
    }

    static void Load(TMemoContainer* memo, const std::string& utf8)
    {
        TExLightText runs;
        runs.SetAnsi(utf8);
        memo->GetDrawer()->ReplaceFromLightText(&runs);
    }

    // Paragraphs "行01 献立の原価" … , one row each in a wide item.
    static std::string Paragraphs(int count)
    {
        std::string text;
        for (int i = 1; i <= count; ++i) {
            const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
            text += (i > 1 ? "\r\n行" : "行") + number + " 献立の原価";
        }
        return text;
    }

    // The texts written on a recording canvas, joined.
    static std::string Written(const vkttest::RecordingCanvas& canvas)
    {
        static const std::regex textOut("^TextOut\\(-?\\d+,-?\\d+,\"(.*)\"\\)$");
        std::string out;
        std::smatch m;
        for (const std::string& line : canvas.Lines())
            if (std::regex_match(line, m, textOut))
                out += m[1].str();
        return out;
    }

    std::string folder;
    std::unique_ptr<TPreview> preview;
};

TEST_F(MemoContainerTest, EmptyRichTextAlwaysHoldsAValidDocument)
{
    TMemoContainer* memo = Add(3, nullptr, {0, 0, 8000, 3000});
    const std::string empty = memo->GetRichText();
    const std::string blank = memo->GetDrawer()->GetString();
    EXPECT_EQ(empty.rfind("{\\rtf1", 0), 0u) << empty;
    Load(memo, "残る文");
    memo->SetRichText("");   // differs from the stored empty RTF: cleared
    EXPECT_EQ(memo->GetDrawer()->GetString(), blank);
    Load(memo, "また残る");
    memo->SetRichText("");   // compares against the empty RTF stored by the first call: cleared again
    EXPECT_EQ(memo->GetDrawer()->GetString(), blank);
    EXPECT_EQ(memo->GetRichText(), empty);
}

// A data-bound memo in multi-page mode: pages are the page wraps, each drawn from one past its first
// character; a page beyond the memo's own count draws nothing.
TEST_F(MemoContainerTest, PagesContinueAndStopAtTheMemosEnd)
{
    vkttest::RecordingCanvas measure;
    measure.SetAdvance(8);
    SetMeasureCanvas(&measure);
    TMemoContainer* memo = Add(14, nullptr, {0, 0, 8000, 2000});
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->GetDrawer()->GetMultiPage());
    const TRect content = memo->GetViewItem()->GetTrueRect_();
    EXPECT_EQ(memo->GetDrawer()->GetWrapWidth(), content.Width());
    EXPECT_EQ(memo->GetDrawer()->GetWrapHeight(), content.Height());
    Load(memo, Paragraphs(30));
    const int pages = memo->GetPageMax();
    ASSERT_GT(pages, 3);
    EXPECT_EQ(pages, memo->GetDrawer()->GetPages(0)->GetPageWrapCount());

    const TRect rect = ViewRectToPixels(content, 96, 10000);
    std::string all;
    for (int page = 1; page <= pages + 2; ++page) {
        vkttest::RecordingCanvas out;
        out.SetAdvance(8);
        memo->Draw(5, 7, rect, 10000, out, page, pages + 2, true);
        const std::string written = Written(out);
        if (page > pages) {
            EXPECT_TRUE(out.Lines().empty()) << "page " << page << ":\n" << out.Log();
            continue;
        }
        ASSERT_FALSE(written.empty()) << page;
        // The page starts with the paragraph holding one past its first character (17 units each).
        const int first = (memo->GetDrawer()->PageToCaret(page - 1) + 1) / 17 + 1;
        const std::string number{static_cast<char>('0' + first / 10), static_cast<char>('0' + first % 10)};
        EXPECT_EQ(written.rfind("行" + std::string(number), 0), 0u) << page << ": " << written;
        EXPECT_EQ(all.find(written.substr(0, 5)), std::string::npos) << "page " << page << " repeats " << written;
        all += written;
    }
    std::string expected = Paragraphs(30);
    for (std::size_t at; (at = expected.find("\r\n")) != std::string::npos;)
        expected.erase(at, 2);
    EXPECT_EQ(all, expected);
    SetMeasureCanvas(nullptr);
}

TEST_F(MemoContainerTest, FontFollowsTheParentAndTheDocumentsDefaultStyle)
{
    auto* parentItem = preview->AddContainer(1);
    TContainer* parent = ContainerOf(parentItem);
    TMemoContainer* memo = Add(3, parentItem, {0, 0, 5000, 2000});
    ASSERT_TRUE(memo->GetParentFont());
    int notices = 0;
    preview->GetItems()->OnItemChange = [&](TObject*, TTreeItem* item) { notices += item == memo->GetViewItem(); };
    parent->SetFont("ＭＳ 明朝", 140, platform::RgbColor(0, 0, 160), {fsBold});
    EXPECT_EQ(notices, 1);
    const TExStyle normal = memo->GetDrawer()->GetStyles().GetStyle(0);
    TFontAttributes& fonts = memo->GetDrawer()->GetFonts();
    EXPECT_EQ(fonts.GetName(normal.DBFont), "ＭＳ 明朝");
    EXPECT_EQ(fonts.GetCharset(normal.DBFont), 128);
    EXPECT_EQ(fonts.GetName(normal.HighFont), "ＭＳ 明朝");
    EXPECT_EQ(fonts.GetCharset(normal.HighFont), 0);
    EXPECT_EQ(normal.Size, 140);
    EXPECT_EQ(memo->GetDrawer()->GetColors().GetColor(normal.Color), platform::RgbColor(0, 0, 160));
    EXPECT_EQ(normal.Bold, 1);
    EXPECT_EQ(normal.Italic, 0);
    EXPECT_TRUE(memo->GetParentFont());

    // Rich text with another default font: the memo takes it and owns its font.
    TMemoContainer source;
    source.SetFont("ＭＳ ゴシック", 90, 0, {fsItalic});
    memo->SetRichText(source.GetRichText());
    EXPECT_FALSE(memo->GetParentFont());
    EXPECT_EQ(memo->GetFontName(), "ＭＳ ゴシック");
    EXPECT_EQ(memo->GetFontSize(), 90);
    EXPECT_TRUE(memo->GetFontStyles().Contains(fsItalic));
    EXPECT_FALSE(memo->GetFontStyles().Contains(fsBold));
}

// Styled Japanese rich text survives a save and load of the layout file; the RTF's font wins over
// font attributes that say otherwise.
TEST_F(MemoContainerTest, RichTextSurvivesTheLayoutFile)
{
    TMemoContainer* memo = Add(3, nullptr, {1000, 1000, 9000, 5000});
    memo->GetViewItem()->SetName("メモ");
    Load(memo, "献立の原価\r\nLatin 123 と漢字");
    memo->SetFont("ＭＳ Ｐ明朝", 120, 0, {});
    TExTextDrawer* doc = memo->GetDrawer();
    TExStyle red;
    red.Invisible();
    red.Bold = 1;
    red.Color = doc->GetColorIndex(platform::RgbColor(200, 0, 0));
    red.Underline = 3;
    doc->ChangeStyle(doc->PositionToCaretInfo(2), doc->PositionToCaretInfo(6), red);
    const std::string rich = memo->GetRichText();
    const std::string path = folder + "/memo.xml";
    preview->SaveToFile(path);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());

    // The attribute font is changed behind the memo's back.
    platform::XmlDocument xml;
    xml.LoadFromFile(path);
    platform::XmlNode item = xml.GetDocumentElement().FindChild("PageObject").GetChildren().front();
    EXPECT_EQ(item.GetAttribute("Container"), "Memo");
    EXPECT_EQ(item.GetAttribute("RichText"), rich);
    item.SetAttribute("FontName", "ＭＳ ゴシック");
    xml.SaveToFile(path, platform::XmlEncoding::ShiftJis);

    TPreview second;
    second.LoadFromFile(path);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());
    auto* loaded = dynamic_cast<TMemoContainer*>(second.GetContainerOfName("メモ"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetRichText(), rich);
    EXPECT_EQ(loaded->GetDrawer()->GetString(), doc->GetString());
    EXPECT_EQ(loaded->GetFontName(), "ＭＳ Ｐ明朝");
    EXPECT_EQ(loaded->GetFontSize(), 120);
    EXPECT_FALSE(loaded->GetParentFont());
    const TExStyle styled = loaded->GetDrawer()->PositionToCaretInfo(3).GetStyle();
    EXPECT_EQ(styled.Bold, 1);
    EXPECT_EQ(styled.Underline, 3);
    EXPECT_EQ(loaded->GetDrawer()->GetColors().GetColor(styled.Color), platform::RgbColor(200, 0, 0));
    EXPECT_EQ(loaded->GetDrawer()->GetWrapWidth(), loaded->GetViewItem()->GetTrueRect_().Width());

    // Edited by hand: characters the RTF does not escape, in a font name and in text of any font.
    item.SetAttribute("RichText", "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset128 ＭＳ 明朝;}}"
                                  "\\plain ﾋﾟｰﾏﾝと漢字 é{\\f1 ﾋ}\\par}");
    xml.SaveToFile(path, platform::XmlEncoding::Utf8);
    TPreview third;
    third.LoadFromFile(path);
    auto* edited = dynamic_cast<TMemoContainer*>(third.GetContainerOfName("メモ"));
    ASSERT_NE(edited, nullptr);
    EXPECT_EQ(edited->GetDrawer()->GetString(), "ﾋﾟｰﾏﾝと漢字 éﾋ\r\n");
    const TExWord* last = edited->GetDrawer()->GetLastWord()->GetPrevWord();
    EXPECT_EQ(edited->GetDrawer()->GetFonts().GetName(last->GetStyle().HighFont), "ＭＳ 明朝");
}

// A long memo printed page by page into a PDF: the pages continue the text and none repeats a row.
TEST_F(MemoContainerTest, PagesPrintedIntoAPdfContinueTheText)
{
    TMemoContainer* memo = Add(3, nullptr, {1000, 1000, 12000, 4000});
    const int rows = 24;
    Load(memo, Paragraphs(rows));
    const int pages = preview->GetPageMax();
    ASSERT_GT(pages, 2);
    ASSERT_EQ(pages, memo->GetPageMax());
    const std::string file = folder + "/memo.pdf";
    {
        platform::PdfWriter writer(file, 21000, 29700, 300);
        for (int page = 1; page <= pages + 1; ++page) {
            if (page > 1)
                writer.NewPage();
            preview->GetItems()->GetPageRoot()->Draw(writer.GetCanvas(), 0, 0, 10000, page, pages + 1, true, false);
        }
        writer.Finish();
    }
    const std::string text = vkttest::Capture("pdftotext -enc UTF-8 '" + file + "' - 2>/dev/null");
    std::vector<std::string> pageTexts(1);
    for (char c : text) {
        if (c == '\f')
            pageTexts.emplace_back();
        else
            pageTexts.back().push_back(c);
    }
    ASSERT_GE(pageTexts.size(), static_cast<std::size_t>(pages + 1)) << text;
    int next = 1;
    for (int page = 0; page <= pages; ++page) {
        const std::string& onPage = pageTexts[static_cast<std::size_t>(page)];
        int found = 0;
        for (int row = 1; row <= rows; ++row) {
            const std::string label = "行" + std::string(row < 10 ? "0" : "") + std::to_string(row);
            if (onPage.find(label) == std::string::npos)
                continue;
            EXPECT_EQ(row, next) << "page " << page + 1 << " has " << label << ":\n" << onPage;
            next = row + 1;
            ++found;
        }
        if (page < pages)
            EXPECT_GT(found, 0) << "page " << page + 1 << " is empty";
        else
            EXPECT_EQ(found, 0) << "a page past the memo repeats:\n" << onPage;
    }
    EXPECT_EQ(next, rows + 1) << text;
}

} // namespace

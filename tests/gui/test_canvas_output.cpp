#include "gui/FontTable.h"
#include "gui/PdfWriter.h"
#include "gui/PictureData.h"
#include "platform/Files.h"
#include "platform/Errors.h"
#include "support/CanvasScene.h"
#include "support/Command.h"
#include "support/Jpeg.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace platform;

// The text pdftotext finds in the file.
std::string PdfText(const std::string& file)
{
    return vkttest::Capture("pdftotext -enc UTF-8 '" + file + "' - 2>/dev/null");
}

// The kanji come back as drawn, not as the radicals whose glyphs the fonts share with them
// (立 U+7ACB and ⽴ U+2F74, 西 U+897F and ⻄ U+2EC4, 戸 U+6238 and ⼾ U+2F3E).
TEST(PdfWriter, WritesTheSceneWithFindableJapanese)
{
    const std::string file = vkttest::NewTempFolder("pdf") + "/scene.pdf";
    {
        PdfWriter writer(file, 21000, 29700, 300);
        vkttest::CanvasScene(300).Draw(writer.GetCanvas());
        writer.NewPage();
        writer.GetCanvas().SetFont(FontSpec{"ＭＳ 明朝", -40});
        writer.GetCanvas().TextOut(100, 100, "二頁目");
        writer.GetCanvas().TextOut(100, 200, "米 肉 魚 食 日 月 西京焼き 戸棚 黒豆");
        writer.GetCanvas().SetFont(FontSpec{"ＭＳ Ｐゴシック", -40});
        writer.GetCanvas().TextOut(100, 300, "クレーム・ブリュレ Crème brûlée");
        writer.Finish();
    }
    const std::string text = PdfText(file);
    for (const char* expected : {"献立表", "Menu", "原価", "二頁目", "米 肉 魚 食 日 月 西京焼き 戸棚 黒豆",
                                 "クレーム・ブリュレ Crème brûlée"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in:\n" << text;
    EXPECT_NE(text.find('\f'), std::string::npos) << "two pages";
}

TEST(PdfWriter, ARadicalDrawnWithoutItsKanjiStaysARadical)
{
    const std::string file = vkttest::NewTempFolder("pdf") + "/radical.pdf";
    {
        PdfWriter writer(file, 10000, 10000, 96);
        writer.GetCanvas().SetFont(FontSpec{"ＭＳ 明朝", -20});
        writer.GetCanvas().TextOut(10, 10, "⽶ 肉");
        writer.Finish();
    }
    const std::string text = PdfText(file);
    EXPECT_NE(text.find("⽶"), std::string::npos) << text;
    EXPECT_NE(text.find("肉"), std::string::npos) << text;
    EXPECT_EQ(text.find("米"), std::string::npos) << text;
}

TEST(PdfWriter, AnAbortWritesNothingAndABadPathRaises)
{
    const std::string folder = vkttest::NewTempFolder("pdf");
    {
        PdfWriter writer(folder + "/gone.pdf", 10000, 10000, 96);
        writer.GetCanvas().FillRect(Rect{0, 0, 10, 10}, 0);
    }  // unfinished: aborted
    EXPECT_FALSE(std::filesystem::exists(folder + "/gone.pdf"));
    // A file of the name from before stays as it was.
    WriteFileAtomic(folder + "/kept.pdf", "earlier");
    {
        PdfWriter writer(folder + "/kept.pdf", 10000, 10000, 96);
        writer.GetCanvas().FillRect(Rect{0, 0, 10, 10}, 0);
        writer.Abort();
    }
    EXPECT_EQ(ReadFileBytes(folder + "/kept.pdf"), "earlier");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1)
        << "no file of the job is left";
    EXPECT_THROW(PdfWriter(folder + "/no/such/folder/x.pdf", 10000, 10000, 96), FileError);
}

// Each picture on a PDF page at no more pixels than the page gives its place: a JPEG that needs no
// fewer goes in as its own bytes, a larger picture is scaled down (as JPEG), a small bitmap is
// written losslessly.
TEST(PdfWriter, PicturesAreWrittenAtThePagesResolution)
{
    Picture photo(1200, 900);
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1200; ++x) photo.SetPixel(x, y, RgbColor(x % 256, y % 256, (x + y) % 256));
    const std::string jpeg = vkttest::EncodeJpeg(photo);
    Picture icon(40, 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) icon.SetPixel(x, y, (x / 5 + y / 5) % 2 ? RgbColor(200, 0, 0) : RgbColor(0, 0, 255));
    const std::string bmp = EncodeBmp(icon);
    const struct {
        const std::string* bytes;
        int inches100;   // the place's width, hundredths of an inch at 300 dpi
        const char* listed;   // pdfimages: width, height, encoding
        bool ownBytes;
    } cases[] = {
        {&jpeg, 400, "1200 900 jpeg", true},   // 4 inches: 1200 pixels
        {&jpeg, 600, "1200 900 jpeg", true},
        {&jpeg, 100, "300 225 jpeg", false},   // scaled to the place
        {&bmp, 400, "40 30 image", false},     // lossless (Flate)
    };
    for (const auto& c : cases) {
        const std::string folder = vkttest::NewTempFolder("pdfimage");
        const std::string file = folder + "/picture.pdf";
        {
            PdfWriter writer(file, 21000, 29700, 300);
            PictureData picture;
            picture.SetBytes(*c.bytes);
            const int width = c.inches100 * 3;
            // On two pages: written once.
            picture.Draw(writer.GetCanvas(), Rect{100, 100, 100 + width, 100 + width * 3 / 4});
            writer.NewPage();
            picture.Draw(writer.GetCanvas(), Rect{200, 100, 200 + width, 100 + width * 3 / 4});
            writer.Finish();
        }
        const std::string list = vkttest::Capture("pdfimages -list '" + file + "'");
        std::istringstream lines(list);
        std::string line;
        std::getline(lines, line);
        std::getline(lines, line);   // the heading and its rule
        std::vector<std::vector<std::string>> rows;
        while (std::getline(lines, line)) {
            std::istringstream row(line);
            rows.emplace_back();
            for (std::string field; row >> field;) rows.back().push_back(field);
        }
        ASSERT_EQ(rows.size(), 2u) << list;
        ASSERT_GE(rows[0].size(), 11u) << list;
        ASSERT_GE(rows[1].size(), 11u) << list;
        EXPECT_EQ(rows[0][3] + " " + rows[0][4] + " " + rows[0][8], c.listed) << c.inches100 << "\n" << list;
        EXPECT_EQ(rows[0][10], rows[1][10]) << "one image object\n" << list;
        if (c.ownBytes) {
            vkttest::Capture("pdfimages -j '" + file + "' '" + folder + "/out'");
            EXPECT_TRUE(ReadFileBytes(folder + "/out-000.jpg") == *c.bytes) << "the JPEG's own bytes";
        }
        const std::string info = vkttest::Capture("pdfinfo '" + file + "' 2>&1");
        EXPECT_EQ(info.find("rror"), std::string::npos) << "the cross-references hold:\n" << info;
    }
}

TEST(FontTable, OldFacesDrawWithInstalledOnes)
{
    InstallFontSubstitutions();
    const qsizetype registered = QFont::substitutes(QStringLiteral("Arial")).size();
    InstallFontSubstitutions();
    EXPECT_EQ(QFont::substitutes(QStringLiteral("Arial")).size(), registered) << "registered once";
    const struct {
        const char* old;
        const char* installed;
        bool japanese;
    } cases[] = {
        {"ＭＳ Ｐゴシック", "Noto Sans CJK JP", true}, {"ＭＳ UI Gothic", "Noto Sans CJK JP", true},
        {"ＭＳ ゴシック", "Noto Sans Mono CJK JP", true}, {"ＭＳ 明朝", "Noto Serif CJK JP", true},
        {"ＭＳ Ｐ明朝", "Noto Serif CJK JP", true},        {"Arial", "DejaVu Sans", false},
        {"Times New Roman", "DejaVu Serif", false},        {"Courier New", "DejaVu Sans Mono", false},
    };
    ASSERT_EQ(OldFaceNames().size(), std::size(cases));
    for (const auto& c : cases) {
        EXPECT_EQ(InstalledFace(c.old), c.installed) << c.old;
        EXPECT_EQ(FaceSupportsJapanese(c.old), c.japanese) << c.old;
        EXPECT_EQ(QFont::substitute(QString::fromUtf8(c.old)).compare(QString::fromUtf8(c.installed), Qt::CaseInsensitive),
                  0)
            << c.old;
    }
    EXPECT_EQ(InstalledFace("Noto Sans CJK JP"), "Noto Sans CJK JP");
}

} // namespace

#include "gui/FontTable.h"
#include "gui/PdfWriter.h"
#include "platform/Errors.h"
#include "support/CanvasScene.h"
#include "support/Command.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

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
        writer.Finish();
    }
    const std::string text = PdfText(file);
    for (const char* expected : {"献立表", "Menu", "原価", "二頁目", "米 肉 魚 食 日 月 西京焼き 戸棚 黒豆"})
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

TEST(PdfWriter, AbortRemovesTheFileAndABadPathRaises)
{
    const std::string folder = vkttest::NewTempFolder("pdf");
    {
        PdfWriter writer(folder + "/gone.pdf", 10000, 10000, 96);
        writer.GetCanvas().FillRect(Rect{0, 0, 10, 10}, 0);
    }  // unfinished: aborted
    EXPECT_FALSE(std::filesystem::exists(folder + "/gone.pdf"));
    EXPECT_THROW(PdfWriter(folder + "/no/such/folder/x.pdf", 10000, 10000, 96), FileError);
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

// The preset layouts shipped beside the program are what the layout document writes for them: a
// title, the date, the page number and a rule, in code page 932. VKT_WRITE_PRESETS=<folder> writes
// them there (how resources/layouts was made).
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Ugraphiccontainer.h"
#include "layout/Utextcontainer.h"
#include "platform/Codec.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

TContainer* AddItem(TPreview& preview, int type, const std::string& name, TRect mm)
{
    preview.SetSelected(nullptr);
    TViewItem* item = preview.AddContainer(type);
    item->SetName(name);
    item->SetMMBoundRect_(mm);
    return ContainerOf(item);
}

// An A4 page: the title at the top left, the date at the right, a rule below them and the page
// number centred at the foot (hundredths of a millimetre).
void BuildPreset(TPreview& preview, const std::string& title)
{
    auto* text = dynamic_cast<TTextContainer*>(AddItem(preview, 2, "Title", {1500, 1500, 14000, 2700}));
    text->SetText(title);
    text->SetVertAlign(2);
    text->SetFont("ＭＳ Ｐゴシック", 180, 0, {fsBold});
    auto* date = dynamic_cast<TTextContainer*>(AddItem(preview, 2, "Date", {14000, 2000, 19500, 2700}));
    date->SetTextType(2);
    date->SetHorzAlign(2);
    date->SetVertAlign(2);
    auto* rule = dynamic_cast<TGraphicContainer*>(AddItem(preview, 4, "Rule", {1500, 2800, 19500, 3000}));
    rule->SetGraphicType(6);
    rule->SetLineWidth(5);
    auto* page = dynamic_cast<TTextContainer*>(AddItem(preview, 2, "Page", {8000, 27800, 13000, 28500}));
    page->SetTextType(1);
    page->SetHorzAlign(1);
    page->SetVertAlign(1);
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

const std::pair<const char*, const char*> kPresets[] = {
    {"FoodList.xml", "食材リスト"}, {"Recipe.xml", "原価率表"}, {"Menu.xml", "メニュー"}};

} // namespace

TEST(Presets, ShippedFilesAreWhatTheLayoutDocumentWrites)
{
    if (const char* writeTo = std::getenv("VKT_WRITE_PRESETS")) {
        for (const auto& [file, title] : kPresets) {
            TPreview preview;
            BuildPreset(preview, title);
            preview.SaveToFile(std::string(writeTo) + "/" + file);
        }
        GTEST_SKIP() << "written to " << writeTo;
    }
    const std::string folder = vkttest::NewTempFolder("presets");
    const std::string shipped = platform::FromQString(QCoreApplication::applicationDirPath()) + "/";
    for (const auto& [file, title] : kPresets) {
        TPreview preview;
        BuildPreset(preview, title);
        const std::string written = folder + "/" + file;
        preview.SaveToFile(written);
        const std::string bytes = ReadBytes(written);
        ASSERT_FALSE(bytes.empty()) << file;
        EXPECT_EQ(ReadBytes(shipped + file), bytes) << file;

        // Read back: the title in code page 932 and the four named items.
        EXPECT_NE(bytes.find(platform::Utf8ToSjis(title)), std::string::npos) << file;
        TPreview loaded;
        loaded.LoadFromFile(shipped + file);
        for (const char* name : {"Title", "Date", "Rule", "Page"})
            EXPECT_NE(loaded.GetContainerOfName(name), nullptr) << file << " " << name;
        auto* text = dynamic_cast<TTextContainer*>(loaded.GetContainerOfName("Title"));
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->GetText(), title);
    }
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

// The preset layouts shipped beside the program load as reports: the food list and the recipe
// card with their titles, date and page number, and every one with its database container. (The
// report tests build them and check the shipped bytes.)
#include "gui/QtSupport.h"
#include "layout/Preview.h"
#include "layout/Utextcontainer.h"
#include "platform/ProgramFiles.h"
#include "reports/Uvktcontainertypes.h"
#include "support/ScriptedServices.h"


#include <gtest/gtest.h>

#include <string>

namespace {

const std::pair<const char*, const char*> kPresets[] = {
    {"FoodList.xml", "食材リスト"}, {"Recipe.xml", "原価率表"}, {"Menu.xml", "メニュー"}};

} // namespace

TEST(Presets, ShippedFilesLoadAsReportsWithTheirTitles)
{
    const std::string shipped = platform::ProgramDataFolder() + "layouts/";
    for (const auto& [file, title] : kPresets) {
        TPreview loaded;
        TVktLayoutBinding binding(&loaded);
        loaded.LoadFromFile(shipped + file);
        EXPECT_NE(loaded.GetContainerOfName("DataTop"), nullptr) << file;
        auto* text = dynamic_cast<TTextContainer*>(loaded.GetContainerOfName("Title"));
        if (std::string(file) != "Menu.xml") {
            ASSERT_NE(text, nullptr) << file;
            EXPECT_EQ(text->GetText(), title);
            for (const char* name : {"Date", "Page"}) EXPECT_NE(loaded.GetContainerOfName(name), nullptr) << file << name;
        }
        loaded.Clear();
    }
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

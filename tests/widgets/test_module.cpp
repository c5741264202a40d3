// The settings module: product, version, folders, the machine values and the database list.
#include <gtest/gtest.h>

#include "gui/Settings.h"
#include "support/ScriptedServices.h"
#include "widgets/Mvktmodule.h"

#include <QSettings>
#include <QString>

#include <filesystem>
#include <regex>

namespace {

// The system file of the key "Quillore\Vektara", written as an administrator would.
void WriteSystemValues(const std::string& homePage, const std::string& mail, const std::string& cgi)
{
    const std::string file = platform::GetSettingsFolder(platform::SettingsScope::System) + "/Quillore/Vektara.ini";
    QSettings settings(QString::fromStdString(file), QSettings::IniFormat);
    settings.setValue("HomePage", QString::fromStdString(homePage));
    settings.setValue("Mail", QString::fromStdString(mail));
    settings.setValue("Cgi", QString::fromStdString(cgi));
    settings.sync();
}

TEST(VktModule, NamesVersionAndFolders)
{
    const TVktModule module;
    EXPECT_EQ(module.GetProductName(), "Vektara 2005");
    EXPECT_TRUE(std::regex_match(module.GetFileVersion(), std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << module.GetFileVersion();
    EXPECT_EQ(module.GetRegistrySubKey(), "Quillore\\Vektara 2005");

    // The shipped files are read where the program's lookup finds them (the build tree here).
    EXPECT_TRUE(std::filesystem::is_regular_file(module.GetShippedFolder() + "layouts/FoodList.xml"))
        << module.GetShippedFolder();
    ASSERT_FALSE(module.GetDocumentsFolder().empty());
    EXPECT_NE(module.GetDocumentsFolder().back(), '/');
    const std::string& data = module.GetDataFolder();
    EXPECT_TRUE(data.ends_with("/Quillore/Vektara 2005/")) << data;
    EXPECT_TRUE(std::filesystem::is_directory(data)) << data;
}

TEST(VktModule, MachineValuesEmptyWithoutTheSystemFileAndReadFromIt)
{
    {
        const TVktModule module;
        EXPECT_EQ(module.GetHomePage(), "");
        EXPECT_EQ(module.GetMail(), "");
        EXPECT_EQ(module.GetCgi(), "");
    }
    WriteSystemValues("https://example.test/vektara/", "support@example.test", "cgi-bin/update");
    const TVktModule module;
    EXPECT_EQ(module.GetHomePage(), "https://example.test/vektara/");
    EXPECT_EQ(module.GetMail(), "support@example.test");
    EXPECT_EQ(module.GetCgi(), "cgi-bin/update");
}

TEST(VktModule, AliasesRoundTripKeepsLineEnds)
{
    const std::string list = "台所=/home/cook/db\r\nTest, 2=/srv/vkt/test db\r\n";
    VktMdl()->WriteAliases(list);
    EXPECT_EQ(TVktModule().GetAliases(), list);
    VktMdl()->WriteAliases("");
    EXPECT_EQ(TVktModule().GetAliases(), "");
}

TEST(VktModule, FourPartVersion)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"0.1", "0.1.0.0"}, {"3", "3.0.0.0"}, {"2.4.2.211", "2.4.2.211"}, {"1.2.3.4.5", "1.2.3.4"},
                 {"", "0.0.0.0"}, {"1..2", "1.0.2.0"}};
    for (const auto& c : cases) EXPECT_EQ(FourPartVersion(c.in), c.out) << c.in;
}

} // namespace

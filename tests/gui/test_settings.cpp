#include "gui/Settings.h"
#include "platform/Errors.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

using namespace platform;

namespace {

const char* const kKey = "Quillore\\Vektara 2005";

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Both scopes in fresh folders per test.
class SettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        user = vkttest::NewTempFolder("user");
        system = vkttest::NewTempFolder("system");
        SetSettingsFolder(SettingsScope::User, user);
        SetSettingsFolder(SettingsScope::System, system);
    }

    std::filesystem::path UserFile() const { return std::filesystem::path(user) / "Quillore" / "Vektara 2005.ini"; }
    std::filesystem::path SystemFile() const
    {
        return std::filesystem::path(system) / "Quillore" / "Vektara 2005.ini";
    }

    std::string user;
    std::string system;
};

TEST_F(SettingsTest, ValuesRoundTripThroughTheUserFile)
{
    const struct {
        const char* name;
        std::string value;
    } cases[] = {
        {"HomePage", "http://example.com/vektara?a=1&b=2"},
        {"Name", "厨房 データ"},
        {"List", "a,b, c"},
        {"Lines", "一行目\r\n二行目\r\n"},
        {"Quoted", "\"x\" ; y = z"},
        {"AtSign", "@Variant"},
        {"Empty", ""},
    };
    {
        SettingsKey key(SettingsScope::User, kKey);
        for (const auto& c : cases) key.WriteString(c.name, c.value);
        key.WriteInteger("Count", -42);
        key.Flush();
    }
    ASSERT_TRUE(std::filesystem::exists(UserFile()));
    EXPECT_FALSE(std::filesystem::exists(SystemFile()));

    SettingsKey key(SettingsScope::System, kKey);
    for (const auto& c : cases) {
        EXPECT_TRUE(key.ValueExists(c.name)) << c.name;
        EXPECT_EQ(key.ReadString(c.name), c.value) << c.name;
    }
    EXPECT_EQ(key.ReadInteger("Count"), -42);
    EXPECT_EQ(key.ReadString("Count"), "-42");
}

TEST_F(SettingsTest, MissingValuesAndCaseSensitiveNames)
{
    SettingsKey key(SettingsScope::User, kKey);
    key.WriteString("Mail", "a@example.com");
    EXPECT_EQ(key.ReadString("mail"), "");
    EXPECT_FALSE(key.ValueExists("MAIL"));
    EXPECT_EQ(key.ReadInteger("Missing", 7), 7);
    key.WriteString("NotNumber", "12x");
    EXPECT_THROW(key.ReadInteger("NotNumber"), ConvertError);
    key.DeleteValue("Mail");
    EXPECT_FALSE(key.ValueExists("Mail"));
}

TEST_F(SettingsTest, SystemFileIsTheFallbackAndNeverWritten)
{
    WriteFile(SystemFile(), "[General]\nHomePage=http://system.example/\nMail=admin@example.com\nCgi=x, y,z\n");
    const std::string systemText = ReadFile(SystemFile());
    {
        SettingsKey key(SettingsScope::System, kKey);
        EXPECT_EQ(key.ReadString("HomePage"), "http://system.example/");
        EXPECT_EQ(key.ReadString("Cgi"), "x,y,z");
        key.WriteString("Mail", "user@example.com");
        key.DeleteValue("HomePage");
        key.Flush();
        EXPECT_EQ(key.ReadString("Mail"), "user@example.com");
        EXPECT_EQ(key.ReadString("HomePage"), "http://system.example/");
    }
    EXPECT_EQ(ReadFile(SystemFile()), systemText);
    EXPECT_NE(ReadFile(UserFile()).find("user@example.com"), std::string::npos);
}

TEST_F(SettingsTest, HandWrittenUserFile)
{
    WriteFile(UserFile(), "[General]\nFolders=/data, /more\nCount=12\nText=\"quoted, kept\"\n");
    SettingsKey key(SettingsScope::User, kKey);
    EXPECT_EQ(key.ReadString("Folders"), "/data,/more");
    EXPECT_EQ(key.ReadInteger("Count"), 12);
    EXPECT_EQ(key.ReadString("Text"), "quoted, kept");
}

TEST_F(SettingsTest, UnwritableUserFileFailsOnFlush)
{
    WriteFile(std::filesystem::path(user) / "Quillore", "a file where the folder should be");
    SettingsKey key(SettingsScope::User, kKey);
    key.WriteString("A", "1");
    // The user is told in the program's words, naming the file.
    try {
        key.Flush();
        ADD_FAILURE() << "no failure";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("設定ファイル'" + user + "/Quillore/Vektara 2005.ini'に書き込めません。", 0), 0u)
            << error.what();
    }
}

// Writing what the file holds already, or deleting what it lacks, leaves the file untouched: a
// close that changed nothing writes (and syncs) no settings file.
TEST_F(SettingsTest, UnchangedValuesLeaveTheFileAlone)
{
    {
        SettingsKey key(SettingsScope::User, "Quillore\\Vektara 2005");
        key.WriteString("Aliases", "厨房=/data/a\r\n");
        key.WriteInteger("Width", 300);
        key.Flush();
    }
    struct stat before {};
    ASSERT_EQ(stat(UserFile().c_str(), &before), 0);
    {
        SettingsKey key(SettingsScope::User, "Quillore\\Vektara 2005");
        key.WriteString("Aliases", "厨房=/data/a\r\n");
        key.WriteInteger("Width", 300);
        key.DeleteValue("State");
        key.Flush();
    }
    struct stat after {};
    ASSERT_EQ(stat(UserFile().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was written again";
    {
        SettingsKey key(SettingsScope::User, "Quillore\\Vektara 2005");
        key.WriteInteger("Width", 301);
        key.Flush();
        EXPECT_EQ(key.ReadInteger("Width"), 301);
    }
    ASSERT_EQ(stat(UserFile().c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
}

} // namespace

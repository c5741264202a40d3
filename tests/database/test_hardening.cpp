// Damaged, encrypted and cut-short old-format tables; settings rows under odd maps and failing
// writes; write-protected databases; two processes editing one database.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "ParadoxFixture.h"
#include "platform/ChildProcess.h"
#include "data/Mvkttables.h"
#include "database/Uvktapplication.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Paradox.h"
#include "platform/Sqlite.h"

namespace {

namespace fs = std::filesystem;

// A fresh temporary folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "vkthard-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }
    std::string Sub(const std::string& name) const {
        fs::create_directories(path_ + "/" + name);
        return path_ + "/" + name;
    }

private:
    std::string path_;
};

void WriteBytes(const std::string& file, const std::string& bytes) {
    std::FILE* stream = std::fopen(file.c_str(), "wb");
    ASSERT_NE(stream, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fclose(stream);
}

// ---- Old-format tables --------------------------------------------------------------------------

struct Damage {
    std::string name;
    // The damaged bytes of a table file.
    std::string (*apply)(std::string bytes);
};

std::size_t HeaderSize(const std::string& bytes) {
    return static_cast<unsigned char>(bytes[2]) | static_cast<unsigned char>(bytes[3]) << 8;
}

const Damage kDamages[] = {
    {"encrypted", [](std::string b) { b[0x25] = 0x12; b[0x26] = 0x34; b[0x27] = 0x56; b[0x28] = 0x78; return b; }},
    {"encrypted in the data header", [](std::string b) { b[0x5C] = 0x01; return b; }},
    {"cut in the header", [](std::string b) { return b.substr(0, 0x40); }},
    {"cut before the field names end", [](std::string b) { return b.substr(0, HeaderSize(b) - 8); }},
    {"cut at the first block", [](std::string b) { return b.substr(0, HeaderSize(b) + 3); }},
    {"cut in the last block", [](std::string b) { return b.substr(0, b.size() - 100); }},
    {"first block zeroed", [](std::string b) {
         std::fill(b.begin() + static_cast<long>(HeaderSize(b)), b.end(), '\0');
         return b;
     }},
    {"block chain a loop", [](std::string b) {
         b[HeaderSize(b)] = 1;   // block 1 names itself as the next
         return b;
     }},
    {"block size and count zeroed", [](std::string b) { b[0x05] = 0; b[0x0C] = 0; b[0x0D] = 0; return b; }},
};

TEST(OldTableDamage, EveryDamagedTableEndsQuicklyInAnErrorOrAConversionAndNeverHalfConverts) {
    TempFolder root;
    const std::string pristine = root.Sub("pristine");
    WriteOldDatabase(pristine);
    for (int number = 1; number <= 16; ++number) {
        const std::string table = std::string("Vktdb") + (number < 10 ? "0" : "") + std::to_string(number) + ".db";
        for (const Damage& damage : kDamages) {
            SCOPED_TRACE(table + ": " + damage.name);
            const std::string folder = root.Path() + "/case";
            fs::remove_all(folder);
            fs::copy(pristine, folder);
            WriteBytes(folder + "/" + table, damage.apply(platform::ReadFileBytes(pristine + "/" + table)));

            const ChildResult result = RunInChild(
                [&] {
                    bool readable = true;
                    try {
                        platform::ParadoxTable reader(folder + "/" + table);
                        for (int i = 0; i < reader.GetRecordCount(); ++i) reader.ReadRecord(i);
                    } catch (const platform::FileError&) {
                        readable = false;
                    }
                    TVktApplication registry;
                    InstallFakeShell(registry).runUpgrades = false;
                    registry.RegisterDatabase("old", folder);
                    const bool upgraded = registry.UpgradeDatabase("old");
                    const int format = registry.GetDatabaseFormat(folder);
                    if (upgraded) return format == 2 ? 1 : 10;
                    // A failed upgrade leaves the old format and no database file behind.
                    if (format != 1 || fs::exists(platform::DatabaseFilePath(folder))) return 11;
                    return readable ? 2 : 0;
                },
                std::chrono::seconds(1));
            EXPECT_TRUE(result.finished);
            EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1 || result.exitCode == 2) << result.exitCode;
            if (damage.name.rfind("encrypted", 0) == 0) {
                EXPECT_EQ(result.exitCode, 0);
            }
        }
    }
}

TEST(OldTableDamage, AnEncryptedTableIsRefusedByName) {
    TempFolder root;
    const std::string file = root.Path() + "/Vktdb12.db";
    WriteParadoxTable(file, {PxColumn::Long("ID"), PxColumn::Alpha("Attribute", 20)}, {{1, "a"}});
    WriteBytes(file, kDamages[0].apply(platform::ReadFileBytes(file)));
    const std::string expected =
        "テーブル'" + file + "'はパスワードで保護されています。\n\rパスワード付きのテーブルには対応していません。";
    const ChildResult result = RunInChild(
        [&] {
            try {
                platform::ParadoxTable table(file);
            } catch (const platform::FileError& error) {
                return error.Message() == expected ? 0 : 2;
            }
            return 1;
        },
        std::chrono::seconds(1));
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
}

} // namespace

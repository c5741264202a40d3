// Damaged, encrypted and cut-short old-format tables; settings rows under odd maps and failing
// writes; write-protected databases; two processes editing one database.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sqlite3.h>
#include <sys/resource.h>

#include "FakeShell.h"
#include "ObjSubscriber.h"
#include "ParadoxFixture.h"
#include "platform/ChildProcess.h"
#include "data/Mvkttables.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/Bitmap.h"
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

// ---- Settings store ------------------------------------------------------------------------------

// A database object whose module's busy timeout a test can shorten.
class ProbeObject : public TVktObject {
public:
    using TVktObject::TVktObject;
    void SetBusyTimeout(int ms) { sqlite3_busy_timeout(BoundFunctor().GetConnection().Handle(), ms); }
};

TViewFieldStruct Layout(std::initializer_list<TVktField> fields) {
    TViewFieldStruct layout;
    TPriorityItem names, orders, widths;
    int i = 0;
    for (TVktField field : fields) {
        names.Push(ToInt(field));
        orders.Push(i);
        widths.Push(40 + 10 * i++);
    }
    layout.SetName(names);
    layout.SetOrder(orders);
    layout.SetWidth(widths);
    return layout;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        folder = root.Sub("db");
        ASSERT_TRUE(registry->CreateDatabase("db", folder));
    }
    void SetRowZero(const std::string& map) {
        platform::Connection db(platform::DatabaseFilePath(folder));
        db.Execute("delete from VktDB1R where Initial_ID = 0");
        db.Execute("insert into VktDB1R values (0, " + platform::QuoteSql(map) + ")");
    }

    TempFolder root;
    std::string folder;
    std::unique_ptr<TVktApplication> registry;
};

TEST_F(SettingsTest, EverySectionReadsBackWhatWasStoredWhateverTheMap) {
    const char* maps[] = {
        "<InitialID DatabaseID=\"1\" ClassIcon=\"2\" Filter=\"5\" ViewField=\"4\" />",   // a gap at 3
        "<InitialID DatabaseID=\"1\" ClassIcon=\"0\" Filter=\"3\" ViewField=\"4\" InvViewField=\"5\" />",
        "<InitialID DatabaseID=\"1\" ClassIcon=\"2\" Filter=\"x\" ViewField=\"4\" ItemViewField=\"3\" />",
    };
    for (const char* const& map : maps) {
        SCOPED_TRACE(map);
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        folder = root.Sub(std::to_string(&map - maps));
        ASSERT_TRUE(registry->CreateDatabase("db", folder));
        SetRowZero(map);
        const TViewFieldStruct view = Layout({TVktField::Data, TVktField::UsePrice});
        const TViewFieldStruct inv = Layout({TVktField::Data, TVktField::Remained, TVktField::InvPrice});
        const TViewFieldStruct item = Layout({TVktField::Data});
        {
            TVktObject* object = registry->GetObject("db");
            object->AddRef();
            object->GetClassIcons().Clear();
            object->AddIconBitmap(platform::Picture(4, 4, platform::RgbColor(200, 10, 10)));
            object->GetFilterSet().AddNew();
            object->SaveViewFields(view);
            object->SaveInvViewFields(inv);
            object->SaveItemViewFields(item);
            object->AddIconBitmap(platform::Picture(4, 4, platform::RgbColor(10, 200, 10)));
            object->Release();
        }
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        registry->RegisterDatabase("db", folder);
        TVktObject* object = registry->GetObject("db");
        object->AddRef();
        EXPECT_EQ(object->GetClassIcons().GetCount(), 2);
        EXPECT_EQ(object->GetFilterSet().GetCount(), 1);
        EXPECT_FALSE(object->GetViewFields() != view);
        EXPECT_FALSE(object->GetInvViewFields() != inv);
        EXPECT_FALSE(object->GetItemViewFields() != item);
        object->Release();
    }
}

TEST_F(SettingsTest, AWriteUnderAnotherConnectionsLockIsReportedAndNotAnnounced) {
    ProbeObject object(registry.get(), "db");
    object.AddRef();
    object.SetBusyTimeout(50);
    ObjSubscriber subscriber;
    subscriber.Bind(&object);
    const TViewFieldStruct before = object.GetViewFields();
    platform::Connection other(platform::DatabaseFilePath(folder));
    other.Execute("BEGIN IMMEDIATE");

    EXPECT_THROW(object.SaveViewFields(Layout({TVktField::Data})), platform::DatabaseError);
    EXPECT_FALSE(object.GetViewFields() != before);
    EXPECT_THROW(object.GetFilterSet().AddNew(), platform::DatabaseError);
    EXPECT_THROW(object.AddIconBitmap(platform::Picture(2, 2)), platform::DatabaseError);
    EXPECT_EQ(subscriber.log, std::vector<std::string>());

    other.Execute("ROLLBACK");
    subscriber.Bind(nullptr);
    object.Release();
}

TEST_F(SettingsTest, AWriteOnAFullDiskIsReported) {
    const ChildResult result = RunInChild([&] {
        TVktFunctor module;
        module.SetPath(folder);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};   // every file is already longer: none may grow
        setrlimit(RLIMIT_FSIZE, &limit);
        if (module.SetInitial("Filter", "<FilterSet><Filter Name=\"" + std::string(1 << 20, 'x') + "\"/></FilterSet>"))
            return 1;
        ProbeObject object(registry.get(), "db");
        object.AddRef();
        ObjSubscriber subscriber;
        subscriber.Bind(&object);
        try {
            object.GetFilterSet().AddNew();
            return 2;
        } catch (const platform::DatabaseError&) {
        }
        return subscriber.log.empty() ? 0 : 3;
    });
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
}

// ---- Two processes editing one database ----------------------------------------------------------

TEST(Contention, TwoProcessesAddingRowsLoseNothingAndNeverFailSpuriously) {
    TempFolder root;
    const std::string folder = root.Sub("db");
    ASSERT_TRUE(GetVktTblFunctor().CreateTables(folder));
    {
        TVktFunctor module;
        module.SetPath(folder);   // writes the settings map
        platform::Connection db(platform::DatabaseFilePath(folder));
        db.Execute("create table Counts (Process integer, Added integer)");
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    const auto edit = [&](int process) {
        return [&, process] {
            TVktFunctor module;
            module.SetPath(folder);
            int added = 0;
            while (std::chrono::steady_clock::now() < deadline) {
                // Reads the largest key, then writes the next: the read and the write must see
                // one state of the table.
                if (module.AddDealer("p" + std::to_string(process)) == 0) return 1;
                ++added;
            }
            platform::Connection db(platform::DatabaseFilePath(folder));
            db.Execute("insert into Counts values (" + std::to_string(process) + ", " + std::to_string(added) + ")");
            return 0;
        };
    };
    std::vector<ChildResult> results(2);
    std::thread second([&] { results[1] = RunInChild(edit(1), std::chrono::seconds(20)); });
    results[0] = RunInChild(edit(0), std::chrono::seconds(20));
    second.join();
    for (const ChildResult& result : results) {
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0);
    }
    platform::Connection db(platform::DatabaseFilePath(folder));
    platform::Statement counts(db, "select (select sum(Added) from Counts), (select count(*) from VktDB1C), "
                                   "(select count(*) from Counts where Added > 0)");
    ASSERT_TRUE(counts.Step());
    EXPECT_EQ(counts.GetInt64(0), counts.GetInt64(1));
    EXPECT_EQ(counts.GetInt64(2), 2);
}

// ---- Write-protected databases -------------------------------------------------------------------

TEST(WriteProtected, ADatabaseInAReadOnlyFolderStaysRegisteredOpensListsAndRefusesEdits) {
    constexpr uid_t kNobody = 65534;
    TempFolder root;
    fs::permissions(root.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
    const std::string folder = root.Sub("db");
    {
        TVktApplication registry;
        InstallFakeShell(registry);
        ASSERT_TRUE(registry.CreateDatabase("db", folder));
        TVktObject* object = registry.GetObject("db");
        object->AddRef();   // writes the settings map
        object->Release();
    }
    ASSERT_FALSE(fs::exists(folder + "/vektara.db-wal"));
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::string before = platform::ReadFileBytes(platform::DatabaseFilePath(folder));

    const ChildResult result = RunInChild([&] {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) return 50;
        if (access(folder.c_str(), W_OK) == 0) return 51;   // the folder is writable after all
        TVktApplication registry;
        FakeShell& shell = InstallFakeShell(registry);
        registry.LoadDatabaseList("db=" + folder + "\r\n");
        if (registry.GetCount() != 1 || !shell.messages.empty()) return 1;
        TVktObject* object = registry.GetObject("db");
        object->AddRef();
        if (object->GetViewFields().GetName().GetCount() != 5) return 2;
        TVktFunctor module;
        module.SetPath(folder);
        if (module.GetClassTreeID(2).Depth() == 0 || module.GetDatabaseID().empty()) return 3;
        if (module.AddDealer("x") != 0) return 4;
        try {
            object->SaveViewFields(Layout({TVktField::Data}));
            return 5;
        } catch (const platform::DatabaseError& error) {
            if (error.SqliteMessage().find("write-protected") == std::string::npos) return 6;
        }
        object->Release();
        return 0;
    });
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    if (result.exitCode == 50) GTEST_SKIP() << "cannot run as a user without root's rights";
    if (result.exitCode == 51) GTEST_SKIP() << "cannot make a folder this user may not write";
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(platform::ReadFileBytes(platform::DatabaseFilePath(folder)), before);
}

} // namespace

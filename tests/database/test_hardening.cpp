// Damaged and encrypted old-format tables, odd settings maps and failing settings writes,
// write-protected databases, and two processes editing one database.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "ObjSubscriber.h"
#include "ParadoxFixture.h"
#include "data/Mvkttables.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/ChildProcess.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Paradox.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class HardeningTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = temp.Make("vkthard");
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
    }
    void TearDown() override {
        registry.reset();
        temp.Remove();
    }
    // A new database registered as "db" in the folder `sub`.
    std::string Database(const std::string& sub = "db") {
        fs::create_directories(root + "/" + sub);
        EXPECT_TRUE(registry->CreateDatabase("db", root + "/" + sub));
        return root + "/" + sub;
    }

    std::string root;
    vkttest::TempFolder temp;
    std::unique_ptr<TVktApplication> registry;
    FakeShell* shell = nullptr;
};

TViewFieldStruct Layout(std::initializer_list<TVktField> fields) {
    TViewFieldStruct layout;
    TPriorityItem names, orders, widths;
    for (TVktField field : fields) {
        names.Push(ToInt(field));
        orders.Push(1);
        widths.Push(40 + names.GetCount());
    }
    layout.SetName(names);
    layout.SetOrder(orders);
    layout.SetWidth(widths);
    return layout;
}

// ---- Old-format tables ---------------------------------------------------------------------------

std::size_t HeaderSize(const std::string& b) { return static_cast<unsigned char>(b[2]) | static_cast<unsigned char>(b[3]) << 8; }

struct Damage {
    const char* name;
    std::string (*apply)(std::string bytes);
};
const Damage kDamages[] = {
    {"encrypted", [](std::string b) { return b.replace(0x25, 4, "\x12\x34\x56\x78"); }},
    {"encrypted in the data header", [](std::string b) { return b.replace(0x5C, 1, "\x01"); }},
    {"cut in the header", [](std::string b) { return b.substr(0, 0x40); }},
    {"cut in the last block", [](std::string b) { return b.substr(0, b.size() - 100); }},
    {"blocks zeroed", [](std::string b) { return b.replace(HeaderSize(b), std::string::npos, b.size() - HeaderSize(b), '\0'); }},
    {"block chain a loop", [](std::string b) { return b.replace(HeaderSize(b), 1, "\x01"); }},
};

// Each case takes well under a second; room for a loaded machine, more under the address sanitizer
// (several times slower, and run beside the other sanitized programs).
#if defined(__SANITIZE_ADDRESS__)
constexpr auto kCaseLimit = std::chrono::seconds(6);
#else
constexpr auto kCaseLimit = std::chrono::seconds(2);
#endif

TEST_F(HardeningTest, EveryDamagedOldTableEndsQuicklyInAnErrorOrAConversionAndNeverHalfConverts) {
    const std::string pristine = root + "/pristine", folder = root + "/case";
    fs::create_directories(pristine);
    WriteOldDatabase(pristine);
    for (int number = 1; number <= 16; ++number) {
        const std::string table = std::string("Vktdb") + (number < 10 ? "0" : "") + std::to_string(number) + ".db";
        for (const Damage& damage : kDamages) {
            SCOPED_TRACE(table + ": " + damage.name);
            fs::remove_all(folder);
            fs::copy(pristine, folder);
            std::ofstream(folder + "/" + table, std::ios::binary)
                << damage.apply(platform::ReadFileBytes(pristine + "/" + table));
            const bool encrypted = std::string(damage.name).rfind("encrypted", 0) == 0;
            const ChildResult result = RunInChild(
                [&] {
                    try {
                        platform::ParadoxTable reader(folder + "/" + table);
                        for (int i = 0; i < reader.GetRecordCount(); ++i) reader.ReadRecord(i);
                        if (encrypted) return 2;
                    } catch (const platform::FileError& error) {
                        if (encrypted && error.Message() != "テーブル'" + folder + "/" + table +
                                                                 "'はパスワードで保護されています。\n\r"
                                                                 "パスワード付きのテーブルには対応していません。")
                            return 3;
                    }
                    TVktApplication other;
                    InstallFakeShell(other);
                    other.RegisterDatabase("old", folder);
                    const bool upgraded = other.UpgradeDatabase("old");
                    // A failed upgrade leaves the old format and no database file behind.
                    if (upgraded) return other.GetDatabaseFormat(folder) == 2 ? 0 : 4;
                    return other.GetDatabaseFormat(folder) == 1 && !fs::exists(platform::DatabaseFilePath(folder)) ? 0 : 5;
                },
                kCaseLimit);
            EXPECT_TRUE(result.finished);
            EXPECT_EQ(result.exitCode, 0);
        }
    }
}

// ---- Settings store ------------------------------------------------------------------------------

TEST_F(HardeningTest, EverySettingsSectionReadsBackWhatWasStoredWhateverTheMap) {
    const char* maps[] = {
        R"(<InitialID DatabaseID="1" ClassIcon="2" Filter="5" ViewField="4" />)",   // a gap at 3
        R"(<InitialID DatabaseID="1" ClassIcon="0" Filter="3" ViewField="4" InvViewField="5" />)",
        R"(<InitialID DatabaseID="1" ClassIcon="2" Filter="x" ViewField="4" ItemViewField="3" />)",
    };
    const TViewFieldStruct view = Layout({TVktField::Data, TVktField::UsePrice});
    const TViewFieldStruct inv = Layout({TVktField::Data, TVktField::Remained, TVktField::InvPrice});
    const TViewFieldStruct item = Layout({TVktField::Data});
    for (const char* const& map : maps) {
        SCOPED_TRACE(map);
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        const std::string folder = Database(std::to_string(&map - maps));
        {
            platform::Connection db(platform::DatabaseFilePath(folder));
            db.Execute("delete from VktDB1R where Initial_ID = 0");
            db.Execute("insert into VktDB1R values (0, " + platform::QuoteSql(map) + ")");
        }
        TVktObject* object = registry->GetObject("db");
        object->AddRef();
        object->GetClassIcons().Clear();
        object->AddIconBitmap(platform::Picture(4, 4, platform::RgbColor(200, 10, 10)));
        object->GetFilterSet().AddNew();
        object->SaveViewFields(view);
        object->SaveInvViewFields(inv);
        object->SaveItemViewFields(item);
        object->Release();

        TVktObject fresh(registry.get(), "db");
        fresh.AddRef();
        EXPECT_EQ(fresh.GetClassIcons().GetCount(), 1);
        EXPECT_EQ(fresh.GetFilterSet().GetCount(), 1);
        EXPECT_FALSE(fresh.GetViewFields() != view);
        EXPECT_FALSE(fresh.GetInvViewFields() != inv);
        EXPECT_FALSE(fresh.GetItemViewFields() != item);
        fresh.Release();
    }
}

// A database object whose module waits for a lock only briefly.
class ImpatientObject : public TVktObject {
public:
    ImpatientObject(TVktApplication* owner) : TVktObject(owner, "db") {
        AddRef();
        sqlite3_busy_timeout(BoundFunctor().GetConnection().Handle(), 50);
    }
    ~ImpatientObject() override { Release(); }
};

TEST_F(HardeningTest, ASettingsWriteUnderALockOrOnAFullDiskIsReportedAndNotAnnounced) {
    const std::string folder = Database();
    {
        ImpatientObject object(registry.get());
        ObjSubscriber subscriber;
        subscriber.Bind(&object);
        platform::Connection other(platform::DatabaseFilePath(folder));
        other.Execute("BEGIN IMMEDIATE");
        EXPECT_THROW(object.SaveViewFields(Layout({TVktField::Data})), platform::DatabaseError);
        EXPECT_EQ(object.GetViewFields().GetName().GetCount(), 5);   // not taken
        EXPECT_THROW(object.GetFilterSet().AddNew(), platform::DatabaseError);
        EXPECT_THROW(object.AddIconBitmap(platform::Picture(2, 2)), platform::DatabaseError);
        EXPECT_EQ(subscriber.log, std::vector<std::string>());
        subscriber.Bind(nullptr);
    }
    const ChildResult result = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};   // every file is longer already: none may grow
        setrlimit(RLIMIT_FSIZE, &limit);
        TVktFunctor module;
        module.SetPath(folder);
        if (module.SetInitial("Filter", "<FilterSet><Filter Name=\"" + std::string(1 << 20, 'x') + "\"/></FilterSet>"))
            return 1;
        ImpatientObject object(registry.get());
        ObjSubscriber subscriber;
        subscriber.Bind(&object);
        try {
            object.GetFilterSet().AddNew();
        } catch (const platform::DatabaseError&) {
            return subscriber.log.empty() ? 0 : 2;
        }
        return 3;
    });
    EXPECT_EQ(result.exitCode, 0);
}

// ---- Write-protected databases -------------------------------------------------------------------

TEST_F(HardeningTest, ADatabaseInAReadOnlyFolderStaysRegisteredOpensListsAndRefusesEdits) {
    fs::permissions(root, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const std::string folder = Database();
    registry->GetObject("db")->AddRef();   // writes the settings map
    registry->GetObject("db")->Release();
    registry.reset();                      // the last connection ends: no -wal or -shm file stays
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
    const std::string before = platform::ReadFileBytes(platform::DatabaseFilePath(folder));

    const ChildResult result = RunInChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 50;
        if (access(folder.c_str(), W_OK) == 0) return 51;
        TVktApplication readOnly;
        FakeShell& messages = InstallFakeShell(readOnly);
        readOnly.LoadDatabaseList("db=" + folder + "\r\n");
        if (readOnly.GetCount() != 1 || !messages.messages.empty()) return 1;
        TVktObject* object = readOnly.GetObject("db");
        object->AddRef();
        TVktFunctor module;
        module.SetPath(folder);
        if (object->GetViewFields().GetName().GetCount() != 5 || module.GetClassTreeID(2).Depth() == 0) return 2;
        if (module.AddDealer("x") != 0) return 3;
        object->SaveViewFields(Layout({TVktField::Data}));   // kept for the session only
        try {
            object->GetFilterSet().AddNew();
        } catch (const platform::DatabaseError& error) {
            return error.SqliteMessage().find("読み取り専用") != std::string::npos ? 0 : 4;
        }
        return 5;
    });
    if (result.exitCode >= 50) GTEST_SKIP() << "no user without the right to write the folder";
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(platform::ReadFileBytes(platform::DatabaseFilePath(folder)), before);
}

// ---- Two processes editing one database ----------------------------------------------------------

TEST_F(HardeningTest, TwoProcessesAddingRowsLoseNothingAndNeverFailSpuriously) {
    const std::string folder = Database();
    registry->GetObject("db")->GetDatabaseID();   // writes the settings map
    platform::Connection db(platform::DatabaseFilePath(folder));
    db.Execute("create table Counts (Added integer)");
    platform::Statement count(db, "select count(*) from VktDB1C");
    ASSERT_TRUE(count.Step());
    const std::int64_t dealers = count.GetInt64(0);
    count.Finalize();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    const auto edit = [&] {
        TVktFunctor module;
        module.SetPath(folder);
        int added = 0;
        // Each reads the largest key, then writes the next.
        for (; std::chrono::steady_clock::now() < deadline; ++added)
            if (module.AddDealer("p") == 0) return 1;
        platform::Connection own(platform::DatabaseFilePath(folder));
        own.Execute("insert into Counts values (" + std::to_string(added) + ")");
        return 0;
    };
    const pid_t firstChild = StartChild(edit);
    const pid_t secondChild = StartChild(edit);
    EXPECT_EQ(WaitChild(firstChild, std::chrono::seconds(20)).exitCode, 0);
    EXPECT_EQ(WaitChild(secondChild, std::chrono::seconds(20)).exitCode, 0);
    platform::Statement counts(db, "select (select count(*) from VktDB1C) - (select sum(Added) from Counts), "
                                   "(select count(*) from Counts)");
    ASSERT_TRUE(counts.Step());
    EXPECT_EQ(counts.GetInt64(0), dealers);
    EXPECT_EQ(counts.GetInt64(1), 2);
}

} // namespace

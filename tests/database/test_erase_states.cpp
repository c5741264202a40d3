// Record states through the database object's trash batches: a record used as a recipe item stays
// live and the erase goes on; a purge that keeps a record for the inventory sheets is a done step,
// announced, and the batch goes on; a database failure still stops the batch. The item and
// inventory checks of trash and purge look up an index rather than scan the tables.
#include "DbFixture.h"
#include "ObjSubscriber.h"

#include <sqlite3.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "platform/ChildProcess.h"
#include "support/Ids.h"

namespace {

constexpr int kBeef = 4;
constexpr int kMeatDish = 38;   // a recipe class

using Log = std::vector<std::string>;

using vkttest::Ids;

class EraseStatesTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
        app = std::make_unique<TVktApplication>();
        ASSERT_TRUE(app->RegisterDatabase("Kitchen", folder));
        subscriber.Bind(app->GetObject("Kitchen"));
        ASSERT_NE(subscriber.Object(), nullptr);
    }
    void TearDown() override {
        subscriber.Bind(nullptr);
        app.reset();
        DbFixture::TearDown();
    }

    TVktObject& Object() { return *subscriber.Object(); }
    // A record with a food row; `erased` puts it in the trash, `counted` on an inventory sheet.
    void AddFood(int id, bool erased, bool counted = false, int classId = kBeef) {
        const std::string key = std::to_string(id);
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + key, .UseUnit_Key = 5,
                             .UsePrice = 250});
        Sql("insert into VktDB1K values (" + key + ", 5, 1000, 4, 100, 1)");
        if (erased) Sql("insert into VktDB1G values (" + key + ", '2024-01-01 00:00:00')");
        if (counted) {
            Sql("insert or ignore into VktDB1E values (1, '2024-02-29', 0)");
            Sql("insert into VktDB1Q values (" + key + ", 1, 5, 250, 4)");
        }
    }
    int State(int id) { return functor.GetDataEraseState(id); }

    std::unique_ptr<TVktApplication> app;
    ObjSubscriber subscriber;
};

TEST_F(EraseStatesTest, ARecordUsedAsARecipeItemStaysLiveAndTheEraseGoesOn) {
    AddFood(1, false);
    AddFood(2, false);
    AddFood(3, false, false, kMeatDish);
    Sql("insert into VktDB1O values (3, 1, 1, 1, 1, 5, 200, 5, 10)");   // recipe 3 uses record 1
    EXPECT_TRUE(Object().EraseData(0, Ids({1, 2}), nullptr));
    EXPECT_EQ(State(1), 0);
    EXPECT_EQ(State(2), -1);
    // Both are named, so every view re-reads record 1 and shows it still live.
    EXPECT_EQ(subscriber.log, Log{"FieldChange 52 1,2"});
}

// The trash lists erased and kept records together; a purge of any selection of it reaches every
// record, whatever the order.
TEST_F(EraseStatesTest, APurgeKeepsCountedRecordsAndGoesOn) {
    struct Case {
        const char* name;
        std::initializer_list<int> order;
    };
    for (const Case& c : {Case{"kept first", {1, 2, 3}}, Case{"kept last", {3, 2, 1}}}) {
        SCOPED_TRACE(c.name);
        AddFood(1, false, true);
        // Purged before, still counted: only its data row is left.
        Sql("update VktDB1F set Conserve = 1, InvItem = 0 where Data_ID = 1");
        Sql("delete from VktDB1K where Food_Key = 1");
        AddFood(2, true, true);
        AddFood(3, true);
        subscriber.log.clear();

        EXPECT_TRUE(Object().PurgeData(0, Ids(c.order), nullptr));
        EXPECT_EQ(State(1), -2);
        EXPECT_EQ(State(2), -2);
        EXPECT_EQ(Int("select count(*) from VktDB1F where Data_ID = 3"), 0);
        EXPECT_EQ(Int("select count(*) from VktDB1K"), 0);
        EXPECT_EQ(subscriber.log, Log{"RecordsDelete 6 " + Ids(c.order).GetCommaText()});

        for (const char* table : {"VktDB1F", "VktDB1G", "VktDB1K", "VktDB1Q"})
            Sql(std::string("delete from ") + table);
    }
}

TEST_F(EraseStatesTest, AFailingPurgeStillStopsTheBatch) {
    AddFood(1, true);
    AddFood(2, true);
    Sql("create trigger NoDelete before delete on VktDB1K begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(Object().PurgeData(0, Ids({1, 2}), nullptr));
    EXPECT_EQ(State(1), -1);
    EXPECT_EQ(State(2), -1);
    EXPECT_EQ(subscriber.log, Log{"RecordsDelete 6 "});
}

// ---- Index use ------------------------------------------------------------------------------------

// The module with its connection in reach.
class ProbeFunctor : public TVktFunctor {
public:
    using TVktFunctor::Db;
};

class EraseIndexTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        probe.SetPath(folder);
    }
    void TearDown() override {
        probe.SetPath("");
        DbFixture::TearDown();
    }
    void AddRecord(int id) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = 4, .Data = "R"});
    }
    // The texts of the module's prepared statements that read `table`.
    std::vector<std::string> StatementsOn(const std::string& table) {
        std::vector<std::string> texts;
        sqlite3* handle = probe.Db().Handle();
        for (sqlite3_stmt* s = sqlite3_next_stmt(handle, nullptr); s != nullptr; s = sqlite3_next_stmt(handle, s)) {
            const std::string text = sqlite3_sql(s);
            if (text.find(table) != std::string::npos) texts.push_back(text);
        }
        return texts;
    }
    // The plan lines of `sql` that read `table` other than by a key equality: a scan, or a range
    // over a whole index (what a materialised "not in" list of the column becomes).
    std::vector<std::string> Scans(const std::string& sql, const std::string& table) {
        std::vector<std::string> scans;
        platform::Statement plan(Db(), "explain query plan " + sql);
        while (plan.Step()) {
            const std::string detail = plan.GetText("detail");
            if (detail.find(table) == std::string::npos) continue;
            if (!detail.starts_with("SEARCH") || detail.find("=?") == std::string::npos) scans.push_back(detail);
        }
        return scans;
    }
    bool HasItemIndex() {
        return Int("select count(*) from sqlite_master where type = 'index' and name = 'VktDB1O_Data_Key'") == 1;
    }

    ProbeFunctor probe;
};

TEST_F(EraseIndexTest, TrashAndPurgeLookUpItemsAndInventoryByIndex) {
    for (int id = 1; id <= 3; ++id) AddRecord(id);
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Data_Key) values (3, 1, 1)");   // 3 uses 1
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Data_Key) values (3, 2, null)");
    Sql("insert into VktDB1Q (Inventory_Key, InvDate_Key) values (1, 1)");
    ASSERT_TRUE(probe.EraseData(1));
    ASSERT_TRUE(probe.EraseData(2));
    EXPECT_EQ(probe.GetDataEraseState(1), 0);   // used as an item
    EXPECT_EQ(probe.GetDataEraseState(2), -1);  // a NULL item key does not hold it
    EXPECT_TRUE(probe.PurgeData(2));
    EXPECT_EQ(Int("select count(*) from VktDB1F where Data_ID = 2"), 0);

    for (const char* table : {"VktDB1O", "VktDB1Q"}) {
        const std::vector<std::string> texts = StatementsOn(table);
        EXPECT_FALSE(texts.empty()) << table;
        for (const std::string& text : texts) EXPECT_EQ(Scans(text, table), std::vector<std::string>{}) << text;
    }
}

TEST_F(EraseIndexTest, ADatabaseWithoutTheItemIndexGetsItWhenOpenedForWriting) {
    EXPECT_TRUE(HasItemIndex());   // made with the tables
    Sql("drop index VktDB1O_Data_Key");
    probe.SetPath("");
    probe.SetPath(folder);
    EXPECT_TRUE(HasItemIndex());
}

TEST_F(EraseIndexTest, AWriteProtectedDatabaseWithoutTheItemIndexStillOpens) {
    AddRecord(1);
    Sql("insert into VktDB1G values (1, '2024-01-01 00:00:00')");
    Sql("drop index VktDB1O_Data_Key");
    probe.SetPath("");
    functor.SetPath("");
    db.Close();   // the last connection ends: no -wal or -shm file stays
    std::filesystem::permissions(folder, std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add);
    const ChildResult result = RunInChild([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 50;
        if (access(folder.c_str(), W_OK) == 0) return 51;
        TVktFunctor module;
        module.SetPath(folder);
        if (module.GetDataEraseState(1) != -1) return 1;   // reads
        return module.RestoreData(1) ? 2 : 0;             // refuses to write
    });
    if (result.exitCode >= 50) GTEST_SKIP() << "no user without the right to write the folder";
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(HasItemIndex());
}

} // namespace

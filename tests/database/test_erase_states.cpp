// Record states through the database object's trash batches: a record used as a recipe item stays
// live and the erase goes on; a purge that keeps a record for the inventory sheets is a done step,
// announced, and the batch goes on; a database failure still stops the batch.
#include "DbFixture.h"
#include "ObjSubscriber.h"

#include <memory>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"

namespace {

constexpr int kBeef = 4;
constexpr int kMeatDish = 38;   // a recipe class

using Log = std::vector<std::string>;

TPriorityItem Ids(std::initializer_list<int> values) {
    TPriorityItem ids;
    for (int v : values) ids << v;
    return ids;
}

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
        Sql("insert into VktDB1F (Data_ID, Conserve, InvItem, Class_Key, Form_Key, Data, UseUnit_Key, UsePrice) "
            "values (" + key + ", 0, 1, " + std::to_string(classId) + ", 1, 'R" + key + "', 5, 250)");
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

} // namespace

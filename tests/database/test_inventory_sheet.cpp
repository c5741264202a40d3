// A month's stock-taking sheet made or re-valued through the database object: the sheet's price
// type and its entries change together or not at all (a stop, an error, a process killed in the
// middle), and a re-valuation stores what writing each entry anew stores.
#include "FacadeFixture.h"

#include <csignal>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/ChildProcess.h"

namespace {

constexpr int kBeef = 4;
constexpr int kRecords = 8;
constexpr const char* kSheetDate = "2024-03-31";

TPriorityItem AllRecords() {
    TPriorityItem ids;
    for (int id = 1; id <= kRecords; ++id) ids << id;
    return ids;
}

class InventorySheetTest : public DbFixture {
protected:
    // Records 1..8 at the use price 100 + id, the even ones with a yearly row at the sheet's date
    // (minimum 50 + id); sheet 1 of March at the use prices (type 0), record id counted id / 2.
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
        for (int id = 1; id <= kRecords; ++id) {
            const std::string key = std::to_string(id);
            Add(vkttest::DataRow{.Data_ID = id, .Class_Key = kBeef, .Form_Key = 1, .Data = "R" + key,
                                 .UseUnit_Key = 5, .UsePrice = 100 + id});
            if (id % 2 == 0)
                Sql("insert into VktDB1M values (" + key + ", '" + kSheetDate + "', 5, 1, 2, 3, " +
                    std::to_string(50 + id) + ")");
        }
        Sql(std::string("insert into VktDB1E values (1, '") + kSheetDate + "', 0)");
        Sql("insert into VktDB1Q select Data_ID, 1, UseUnit_Key, UsePrice, Data_ID * 0.5 from VktDB1F");
    }
    void TearDown() override {
        Close();
        DbFixture::TearDown();
    }

    TVktObject& Object() {
        if (!object) {
            app = std::make_unique<TVktApplication>();
            EXPECT_TRUE(app->RegisterDatabase("Kitchen", folder));
            object = app->GetObject("Kitchen");
            object->AddRef();
            object->GetEvents().Add(&recorder);
            RecordNotices(recorder, [this](TVktObject*, const std::string& text) { notices.push_back(text); });
        }
        return *object;
    }
    void Close() {
        recorder.Detach();
        if (object) object->Release();
        object = nullptr;
        app.reset();
    }
    // The sheet as stored: "type|id=price/remained ..." of sheet 1.
    std::string Sheet() {
        return Text("select ( select InvType from VktDB1E where InvDate_ID = 1 ) || '|' || group_concat(s, ' ') from "
                    "( select Inventory_Key || '=' || InvPrice || '/' || Remained as s from VktDB1Q "
                    "where InvDate_Key = 1 order by Inventory_Key )");
    }
    // Re-values sheet 1 at the yearly minimum, keeping the counts; `progress` sees each record.
    bool Revalue(const TVktProgressEvent& progress) {
        return Object().SetInventoryEntry(4, false, AllRecords(), platform::EncodeDate(2024, 3, 10), 0, progress);
    }

    std::unique_ptr<TVktApplication> app;
    TVktObject* object = nullptr;
    TVktObjEvent recorder;
    Notices notices;
};

const std::string kBefore =
    "0|1=101.0/0.5 2=102.0/1.0 3=103.0/1.5 4=104.0/2.0 5=105.0/2.5 6=106.0/3.0 7=107.0/3.5 8=108.0/4.0";
const std::string kAfter =
    "4|1=101.0/0.5 2=52.0/1.0 3=103.0/1.5 4=54.0/2.0 5=105.0/2.5 6=56.0/3.0 7=107.0/3.5 8=58.0/4.0";

// A run stopped at a quarter of its records, by the user or by an error, leaves the sheet at its
// old price type with its old prices, and announces nothing.
TEST_F(InventorySheetTest, AStoppedReValuationLeavesTheSheetAsItWas) {
    ASSERT_EQ(Sheet(), kBefore);
    struct Stop {
        const char* name;
        bool raise;
    };
    for (const Stop stop : {Stop{"cancel", false}, Stop{"error", true}}) {
        SCOPED_TRACE(stop.name);
        int calls = 0;
        const auto progress = [&](TVktObject*, const std::string&, bool& cont, int) {
            if (++calls < kRecords / 4) return;
            if (stop.raise) throw std::runtime_error("broken");
            cont = false;
        };
        if (stop.raise)
            EXPECT_THROW(Revalue(progress), std::runtime_error);
        else
            EXPECT_FALSE(Revalue(progress));
        EXPECT_EQ(calls, kRecords / 4);
        EXPECT_EQ(Sheet(), kBefore);
        EXPECT_TRUE(notices.empty());
    }
    // A new month's sheet stopped half-way is not stored at all.
    int calls = 0;
    EXPECT_FALSE(Object().SetInventoryEntry(2, true, AllRecords(), platform::EncodeDate(2024, 4, 2), 0,
                                            [&](TVktObject*, const std::string&, bool& cont, int) {
                                                if (++calls == kRecords / 2) cont = false;
                                            }));
    EXPECT_EQ(Count(TVktTable::TblInvDate), 1);
    EXPECT_EQ(Int("select count(*) from VktDB1Q where InvDate_Key <> 1"), 0);

    ASSERT_TRUE(Revalue(nullptr));
    EXPECT_EQ(Sheet(), kAfter);
    EXPECT_EQ(notices, (Notices{"add 5: 1", "add 11: 1,2,3,4,5,6,7,8"}));
}

// The program killed (kill -9) at a quarter of a re-valuation: the database, opened again, holds
// the sheet with its old price type and its old prices.
TEST_F(InventorySheetTest, AReValuationKilledMidRunLeavesTheSheetAsItWas) {
    // The child opens the database on its own: nothing of this process's is open at the fork.
    functor.SetPath("");
    db.Close();
    const pid_t child = StartChild([&] {
        int calls = 0;
        Revalue([&](TVktObject*, const std::string&, bool&, int) {
            if (++calls == kRecords / 4) kill(getpid(), SIGKILL);
        });
        return 0;
    });
    const ChildResult result = WaitChild(child);
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitCode, -1);   // killed, not ended
    EXPECT_EQ(Sheet(), kBefore);

    ASSERT_TRUE(Revalue(nullptr));
    EXPECT_EQ(Sheet(), kAfter);
}

// Each price type with the counts kept and reset, records with and without a yearly row at the
// sheet's date, an entry without a count, a record not on the sheet yet and one that does not
// exist: the stored sheet is what writing each entry anew gives.
TEST_F(InventorySheetTest, AReValuationStoresWhatWritingEachEntryAnewStores) {
    Sql("update VktDB1M set YHLastPrice = 60, YHMaxPrice = 70, YHAvePrice = 65.5");
    Sql("update VktDB1F set UseUnit_Key = 6 where Data_ID = 7");
    TPriorityItem ids = AllRecords();
    ids << 99;
    const char* yearly[] = {"", "60.0", "70.0", "65.5", ""};
    const char* kept[] = {"0.5", "1.0", "0.0", "2.0", "0.0", "3.0", "3.5", "4.0"};
    for (int type = 0; type <= 4; ++type) {
        for (const bool reset : {false, true}) {
            SCOPED_TRACE(std::to_string(type) + (reset ? " reset" : " kept"));
            Sql("delete from VktDB1Q");
            Sql("insert into VktDB1Q select Data_ID, 1, 5, 1, Data_ID * 0.5 from VktDB1F where Data_ID <> 5");
            Sql("update VktDB1Q set Remained = NULL where Inventory_Key = 3");
            ASSERT_TRUE(Object().SetInventoryEntry(static_cast<std::uint8_t>(type), reset, ids,
                                                   platform::EncodeDate(2024, 3, 1), 0, nullptr));
            std::string want = std::to_string(type) + "|";
            for (int id = 1; id <= kRecords; ++id) {
                const std::string price = type == 0 || id % 2 == 1 ? std::to_string(100 + id) + ".0"
                                          : type == 4             ? std::to_string(50 + id) + ".0"
                                                                  : yearly[type];
                want += (id > 1 ? " " : "") + std::to_string(id) + "=" + price + "/" + (reset ? "0.0" : kept[id - 1]);
            }
            EXPECT_EQ(Sheet(), want);
            EXPECT_EQ(Text("select group_concat(InvUnit_Key) from ( select InvUnit_Key from VktDB1Q order by Inventory_Key )"),
                      "5,5,5,5,5,5,6,5");
            EXPECT_EQ(Count(TVktTable::TblInventory), kRecords);   // 99 does not exist
        }
    }
}

} // namespace

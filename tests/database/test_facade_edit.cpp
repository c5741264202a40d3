// The database object's facade over adding records, field edits and the price history: the
// notices (kind or field and ids), the batch loop with its progress, cancel and failures.
#include "FacadeFixture.h"
#include "FakeShell.h"

#include <sqlite3.h>

#include <memory>
#include <vector>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "support/Ids.h"

namespace {

using platform::Variant;

constexpr int kBeef = 4;
constexpr int kPork = 5;
constexpr int kBase = 35;
constexpr const char* kOldStamp = "2020-01-01 00:00:00";

using vkttest::Ids;

class FacadeEditTest : public FacadeFixture {
protected:

    void AddFood(int id, int classId = kBeef) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = 5, .UsePrice = 0, .ChangeDate = kOldStamp});
        Sql("insert into VktDB1K values (" + std::to_string(id) + ", 5, 1000, 50, 80, 1)");
    }
    // Makes every write of the table for one record fail.
    void RefuseWrites(const std::string& table, const std::string& keyColumn, int id, const char* event = "update") {
        const std::string row = std::string(event) == "insert" ? "new." : "old.";
        Sql("create trigger Refuse" + std::to_string(id) + table + " before " + event + " on " + table + " when " +
            row + keyColumn + " = " + std::to_string(id) + " begin select raise(abort, 'refused'); end");
    }
    std::string ClassKeys() {
        return Text("select group_concat(Class_Key) from (select Class_Key from VktDB1F order by Data_ID)");
    }

};

// ---- Adding -------------------------------------------------------------------------------------------

TEST_F(FacadeEditTest, AddsAnnounceTheirKindAndNewId) {
    EXPECT_EQ(object->AddNewData(kBeef, ""), 1);
    EXPECT_EQ(object->AddClass(3, ""), 48);
    EXPECT_EQ(object->AddForm(1, ""), 25);
    EXPECT_EQ(object->AddUnit(1, ""), 26);
    EXPECT_EQ(object->AddDealer(""), 2);
    EXPECT_EQ(object->AddAttrItem(""), 1);
    EXPECT_EQ(notices, (Notices{"add 6: 1", "add 0: 48", "add 1: 25", "add 2: 26", "add 3: 2", "add 4: 1"}));
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 1"), "新規食材1");
}

TEST_F(FacadeEditTest, RefusedAddsWriteAndAnnounceNothing) {
    EXPECT_EQ(object->AddNewData(1, ""), 0);    // the root
    EXPECT_EQ(object->AddNewData(47, ""), 0);   // the trash
    EXPECT_EQ(object->AddNewData(3, ""), 0);    // a class with sub-classes
    EXPECT_EQ(object->AddClass(1, ""), 0);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(Count(TVktTable::TblData), 0);
    EXPECT_EQ(Count(TVktTable::TblClass), 47);
}

TEST_F(FacadeEditTest, AFirstSubClassTakesTheRecordsAndIsAnnounced) {
    AddFood(1);
    const int id = object->AddClass(kBeef, "Loin");
    ASSERT_EQ(id, 48);
    EXPECT_EQ(Int("select Class_Key from VktDB1F"), 48);
    EXPECT_EQ(notices, Notices{"add 0: 48"});
}

// ---- Field edits --------------------------------------------------------------------------------------

TEST_F(FacadeEditTest, AnEditAnnouncesItsFieldAndKeys) {
    AddFood(1);
    ASSERT_TRUE(object->EditData(TVktField::BuyPrice, Variant(1000.0), Ids({1})));
    EXPECT_EQ(Text("select UsePrice from VktDB1F"), "25.0");
    EXPECT_FALSE(object->EditData(TVktField::CostRate, Variant(1.0), Ids({1})));
    Sql("insert into VktDB1O values (1, 0, 0, 0, 1, 1, 10, 5, 10)");
    ASSERT_TRUE(object->EditData(TVktField::ItemUse, Variant(2.0), Ids({1, 0})));
    EXPECT_EQ(notices, (Notices{"field 62: 1", "field 87: 1,0"}));
}

TEST_F(FacadeEditTest, KeyUpdatesAnnounceEachFieldAndTheStamp) {
    AddFood(1);
    AddFood(2);
    ASSERT_TRUE(object->UpdateDataKeys("5,2", 0, Ids({1, 2}), Ids({43, 44}), nullptr));
    EXPECT_EQ(Text("select group_concat(Class_Key || ':' || Form_Key) from VktDB1F"), "5:2,5:2");
    EXPECT_EQ(notices, (Notices{"field 43: 1,2", "field 44: 1,2", "field 50: 1,2"}));
}

TEST_F(FacadeEditTest, ABatchStopsAtAFailureAndAnnouncesWhatWasDone) {
    AddFood(1);
    AddFood(2);
    AddFood(3);
    RefuseWrites("VktDB1F", "Data_ID", 2);
    // The notice comes after the records done are stored: a reader of its own sees them.
    std::string seen;
    recorder.OnFieldChange = [&](TVktObject*, TVktField field, TPriorityItem ids) {
        notices.push_back("field " + std::to_string(ToInt(field)) + ": " + ids.GetCommaText());
        seen = ClassKeys();
    };
    EXPECT_FALSE(object->UpdateDataKeys("5", 0, Ids({1, 2, 3}), Ids({43}), nullptr));
    EXPECT_EQ(notices, (Notices{"field 43: 1", "field 50: 1"}));
    EXPECT_EQ(seen, "5,4,4");
    EXPECT_EQ(Text("select ChangeDate from VktDB1F where Data_ID = 3"), kOldStamp);
}

TEST_F(FacadeEditTest, BatchesWhoseJournalOutgrowsMemoryStopAtAFailureAsSmallOnes) {
    // Long names give each record pages of its own: the journal of the batch's savepoint passes
    // the 64 KiB SQLite holds itself before it moves to the connection's buffer.
    TPriorityItem ids;
    std::string kept, done;
    for (int id = 1; id <= 40; ++id) {
        AddFood(id);
        Sql("update VktDB1F set Data = '" + std::string(3000, 'n') + "' where Data_ID = " + std::to_string(id));
        ids << id;
        kept += std::string(id > 1 ? "," : "") + (id < 30 ? "5:2" : "4:1");
        if (id < 30) done += (id > 1 ? "," : "") + std::to_string(id);
    }
    RefuseWrites("VktDB1F", "Data_ID", 30);
    EXPECT_FALSE(object->ChangeDataClass(kPork, 0, ids, nullptr));
    EXPECT_FALSE(object->UpdateDataKeys("2", 0, ids, Ids({44}), nullptr));
    EXPECT_EQ(Text("select group_concat(Class_Key || ':' || Form_Key) from (select * from VktDB1F order by Data_ID)"),
              kept);
    EXPECT_EQ(notices, (Notices{"field 43: " + done, "field 44: " + done, "field 50: " + done}));
}

TEST_F(FacadeEditTest, AWriteTheDatabaseFailsIsReportedOnceAndARefusalIsNot) {
    FakeShell& shell = InstallFakeShell(*app);
    AddFood(1);
    AddFood(2);
    RefuseWrites("VktDB1F", "Data_ID", 1);
    EXPECT_FALSE(object->EditData(TVktField::Data, Variant(std::string("Loin")), Ids({1})));
    EXPECT_FALSE(object->EditData(TVktField::CostRate, Variant(1.0), Ids({2})));   // computed, never edited
    EXPECT_EQ(object->AddNewData(1, ""), 0);                                       // the root holds no records
    EXPECT_FALSE(object->UpdateDataKeys("5", 0, Ids({2, 1}), Ids({43}), nullptr));
    const std::string failed = "データベース'Kitchen'に書き込めませんでした。変更は保存されていません。\r\n(refused)";
    EXPECT_EQ(shell.Texts(FakeShell::Kind::Error), (std::vector<std::string>{failed, failed}));
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 1"), "R1");
    EXPECT_EQ(notices, (Notices{"field 43: 2", "field 50: 2"}));

    // A stock-taking sheet whose entry fails: said once its transaction has ended, not while that
    // still holds the database.
    const std::string entries = GetTableFileName(TVktTable::TblInventory);
    Sql("create trigger RefuseEntry before insert on " + entries + " begin select raise(abort, 'refused'); end");
    bool heldWhenSaid = true;
    shell.onMessage = [&](const FakeShell::Message&) {
        platform::Connection other(platform::DatabaseFilePath(folder));
        sqlite3_busy_timeout(other.Handle(), 0);
        try {
            other.Execute("begin immediate; rollback;");
            heldWhenSaid = false;
        } catch (const platform::DatabaseError&) {
        }
    };
    EXPECT_FALSE(object->SetInventoryEntry(0, false, Ids({1}), platform::EncodeDate(2024, 3, 1), 0, nullptr));
    EXPECT_EQ(shell.Texts(FakeShell::Kind::Error).size(), 3u);
    EXPECT_FALSE(heldWhenSaid);
    EXPECT_EQ(Count(TVktTable::TblInvDate), 0);
}

TEST_F(FacadeEditTest, TwoRecordsWhoseSecondFails) {
    AddFood(1);
    AddFood(2);
    RefuseWrites("VktDB1J", "Attribute_Key", 2, "insert");
    EXPECT_FALSE(object->SetDataAttributes(0, Ids({1, 2}), Ids({3, 4}), Ids({2}), nullptr));
    EXPECT_EQ(notices, Notices{"field 57: 1"});
    // The checks were padded with 0: item 4 got no row.
    EXPECT_EQ(Text("select group_concat(Attribute_Key || ':' || AttrItem_Key || ':' || AttrCheck) from VktDB1J"),
              "1:3:1");
}

TEST_F(FacadeEditTest, TheProgressCallbackCanCancel) {
    AddFood(1);
    AddFood(2);
    AddFood(3);
    std::vector<std::string> calls;
    const TVktProgressEvent progress = [&](TVktObject* sender, const std::string& text, bool& cont, int tag) {
        EXPECT_EQ(sender, object);
        EXPECT_FALSE(object->IsValid());   // subscribers do not re-read during a batch
        calls.push_back(text + "|" + std::to_string(tag) + "|" + (cont ? "ok" : "failed"));
        if (calls.size() == 2) cont = false;
    };
    EXPECT_FALSE(object->ChangeDataClass(kPork, 77, Ids({1, 2, 3}), progress));
    EXPECT_EQ(calls, (std::vector<std::string>{"|77|ok", "|77|ok"}));
    EXPECT_EQ(notices, Notices{"field 43: 1,2"});
    EXPECT_EQ(ClassKeys(), "5,5,4");
    EXPECT_TRUE(object->IsValid());
}

TEST_F(FacadeEditTest, AClassChangeOutsideTheFamilyStillSucceeds) {
    AddFood(1);
    EXPECT_TRUE(object->ChangeDataClass(kBase, 0, Ids({1}), nullptr));
    EXPECT_EQ(ClassKeys(), "4");
    EXPECT_EQ(notices, Notices{"field 43: 1"});
}

TEST_F(FacadeEditTest, AnEmptyBatchDoesNothing) {
    AddFood(1);
    int calls = 0;
    const TVktProgressEvent progress = [&](TVktObject*, const std::string&, bool&, int) { ++calls; };
    EXPECT_TRUE(object->ChangeDataClass(kPork, 0, TPriorityItem(), progress));
    EXPECT_TRUE(object->UpdateDataKeys("5", 0, TPriorityItem(), Ids({43}), progress));
    EXPECT_TRUE(object->SetDataAttributes(0, TPriorityItem(), Ids({3}), Ids({2}), progress));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(Count(TVktTable::TblAttribute), 0);
}

// ---- Price history ------------------------------------------------------------------------------------

TEST_F(FacadeEditTest, HistoryEditsAnnounceTheirField) {
    AddFood(1);
    ASSERT_TRUE(object->SetMHistoryPrice(1, platform::EncodeDate(2024, 3, 1), platform::Currency::FromInt(30)));
    ASSERT_TRUE(object->ConvertHistoryUnit(1, 6, 0.5));
    EXPECT_EQ(Text("select MHistoryUnit_Key || ':' || MHistoryPrice from VktDB1L"), "6:15.0");
    ASSERT_TRUE(object->SetMHistoryPrice(1, platform::EncodeDate(2024, 3, 1), platform::Currency()));
    EXPECT_EQ(Count(TVktTable::TblMHistory), 0);
    EXPECT_EQ(notices, (Notices{"field 69: 1", "field 47: 1", "field 69: 1"}));
}

TEST_F(FacadeEditTest, MonthSummariesRunOverEveryRecord) {
    AddFood(1);
    AddFood(2);
    AddFood(3);
    Sql("insert into VktDB1L values (1, '2024-02-03', 5, 100), (3, '2024-02-04', 5, 30), (3, '2024-03-01', 5, 1)");
    int calls = 0;
    const TVktProgressEvent progress = [&](TVktObject*, const std::string&, bool&, int) {
        EXPECT_TRUE(object->IsValid());   // no batch flag here
        ++calls;
    };
    ASSERT_TRUE(object->MakeYHistory(true, 0, platform::EncodeDate(2024, 2, 1), progress));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(notices, Notices{"add 7: 1,2,3"});
    EXPECT_EQ(Text("select group_concat(YHistory_Key || ':' || YHistoryDate || ':' || YHLastPrice) from "
                   "(select * from VktDB1M order by YHistory_Key)"),
              "1:2024-02-29:100.0,3:2024-02-29:30.0");
    EXPECT_EQ(Text("select group_concat(MHistoryDate) from VktDB1L"), "2024-03-01");
}

TEST_F(FacadeEditTest, MonthSummariesStopAtAFailure) {
    AddFood(1);
    AddFood(2);
    AddFood(3);
    Sql("insert into VktDB1L values (1, '2024-02-03', 5, 100), (2, '2024-02-04', 5, 30), (3, '2024-02-05', 5, 1)");
    RefuseWrites("VktDB1M", "YHistory_Key", 2, "insert");
    EXPECT_FALSE(object->MakeYHistory(false, 0, platform::EncodeDate(2024, 2, 1), nullptr));
    EXPECT_EQ(notices, Notices{"add 7: 1"});
    EXPECT_EQ(Count(TVktTable::TblYHistory), 1);
}

TEST_F(FacadeEditTest, MonthSummariesOfAnEmptyDatabaseAnnounceNothing) {
    EXPECT_TRUE(object->MakeYHistory(false, 0, platform::EncodeDate(2024, 2, 1), nullptr));
    EXPECT_TRUE(notices.empty());
}

} // namespace

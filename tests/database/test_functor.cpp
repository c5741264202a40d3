// The operations module itself: binding, the settings store, shared lookups and helpers.
#include "DbFixture.h"

#include <sqlite3.h>

#include "data/Ufilterstruct.h"
#include "platform/Errors.h"
#include "platform/Files.h"

namespace {

// Reaches the module's protected helpers.
class FunctorProbe : public TVktFunctor {
public:
    using TVktFunctor::Db;
    using TVktFunctor::Deactivate;
    using TVktFunctor::Exec;
    using TVktFunctor::Lease;
    using TVktFunctor::NextKey;
    using TVktFunctor::QueryHasRow;
    using TVktFunctor::QueryInt;
    using TVktFunctor::QueryIntList;
    using TVktFunctor::QueryText;
    using TVktFunctor::SqlDate;
    using TVktFunctor::SqlDateTime;
    using TVktFunctor::SqlFloat;
    using TVktFunctor::SqlText;
    using TVktFunctor::Write;
};

constexpr const char* kDefaultMap =
    "<InitialID DatabaseID=\"1\" ClassIcon=\"2\" Filter=\"3\" ViewField=\"4\" InvViewField=\"5\" "
    "ItemViewField=\"6\" />";
// A price mode that names no price column.
constexpr auto kNoPriceColumn = static_cast<TVktPriceMode>(pmMin + 1);

class FunctorTest : public DbFixture {
protected:
    std::string Row0() { return Text("select Initial from VktDB1R where Initial_ID = 0"); }
    std::string Setting(int id) {
        return Text("select Initial from VktDB1R where Initial_ID = " + std::to_string(id));
    }
    // A data record with the given key, class, conserve flag.
    void AddRecord(int id, int classId = 3, bool conserve = false) {
        Add(vkttest::DataRow{.Data_ID = id, .Conserve = conserve, .Class_Key = classId, .Form_Key = 1,
                             .Data = "R" + std::to_string(id), .UseUnit_Key = 5, .UsePrice = 10});
    }
};

// ---- Binding --------------------------------------------------------------------------------------

TEST_F(FunctorTest, SetPathCutsOneTrailingSlash) {
    functor.SetPath(folder + "/");
    EXPECT_EQ(functor.GetPath(), folder);
    functor.SetPath(folder);
    EXPECT_EQ(functor.GetPath(), folder);
}

TEST_F(FunctorTest, SetPathToTheSameFolderKeepsTheConnection) {
    FunctorProbe probe;
    probe.SetPath(folder);
    probe.Exec("create temp table Marker ( x integer )");
    probe.SetPath(folder + "/");
    EXPECT_FALSE(probe.QueryHasRow("select x from temp.Marker"));   // still the same connection

    const std::string other = folder + "/other";
    std::filesystem::create_directory(other);
    ASSERT_TRUE(GetVktTblFunctor().CreateTables(other));
    probe.SetPath(other);
    probe.SetPath(folder);
    EXPECT_THROW(probe.QueryHasRow("select x from temp.Marker"), platform::DatabaseError);
    probe.SetPath("");
}

TEST_F(FunctorTest, SetPathRereadsRowZeroEveryTime) {
    Sql("update VktDB1R set Initial = '<InitialID DatabaseID=\"1\" Extra=\"9\" />' where Initial_ID = 0");
    functor.SetPath(folder + "/");
    EXPECT_EQ(functor.RegisterInitialID("Extra"), 9);
    // Names the map holds and row 0 lacks stay in the map; row 0 was not rewritten.
    EXPECT_EQ(functor.RegisterInitialID("ItemViewField"), 6);
    EXPECT_EQ(Row0(), "<InitialID DatabaseID=\"1\" Extra=\"9\" />");
}

TEST_F(FunctorTest, SetPathFollowsRowZeroBackToATextItReadBefore) {
    const std::string a = "<InitialID DatabaseID=\"1\" Extra=\"9\" />";
    const std::string b = "<InitialID DatabaseID=\"1\" Extra=\"7\" />";
    for (const std::string& text : {a, b, a}) {
        Sql("update VktDB1R set Initial = '" + text + "' where Initial_ID = 0");
        functor.SetPath(folder);
        EXPECT_EQ(functor.RegisterInitialID("Extra"), text == a ? 9 : 7);
    }
}

TEST_F(FunctorTest, SetPathOnAFolderWithoutDatabaseCreatesNothing) {
    const std::string empty = folder + "/empty";
    std::filesystem::create_directory(empty);
    TVktFunctor other;
    EXPECT_THROW(other.SetPath(empty), platform::DatabaseError);
    EXPECT_EQ(other.GetPath(), empty);
    EXPECT_FALSE(platform::FileExists(platform::DatabaseFilePath(empty)));
    EXPECT_EQ(other.GetInitial("Filter"), "");
    EXPECT_FALSE(other.TouchChangeDate(1));
    EXPECT_FALSE(platform::FileExists(platform::DatabaseFilePath(empty)));
}

TEST_F(FunctorTest, MalformedRowZeroReachesTheCaller) {
    Sql("update VktDB1R set Initial = '<InitialID' where Initial_ID = 0");
    EXPECT_THROW(functor.SetPath(folder), platform::Error);
}

// ---- One transaction for the settings row and the writing operation -----------------------------------

// Whether another connection may write at once (no write lock is held).
bool OthersMayWrite(platform::Connection& other) {
    sqlite3_busy_timeout(other.Handle(), 0);
    try {
        other.Execute("update VktDB1R set Initial = Initial where Initial_ID = 0");
        return true;
    } catch (const platform::DatabaseError&) {
        return false;
    }
}

TEST_F(FunctorTest, SetPathForWriteReadsRowZeroAndTheOperationTakesItsTransaction) {
    AddRecord(1);
    Sql("update VktDB1R set Initial = '<InitialID DatabaseID=\"1\" Extra=\"9\" />' where Initial_ID = 0");
    functor.SetPathForWrite(folder);
    EXPECT_FALSE(OthersMayWrite(Db())) << "the write transaction is begun";
    EXPECT_TRUE(functor.EditData(TVktField::Data, platform::Variant(std::string("Renamed")), TPriorityItem() << 1));
    EXPECT_TRUE(OthersMayWrite(Db())) << "the operation committed it";
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 1"), "Renamed");
    EXPECT_EQ(functor.RegisterInitialID("Extra"), 9);
    functor.EndPendingTransaction();   // nothing left to end
    EXPECT_TRUE(OthersMayWrite(Db()));
}

TEST_F(FunctorTest, AFailingOperationInTheTakenTransactionWritesNothing) {
    AddRecord(1);
    Sql("create trigger NoStamp before update of ChangeDate on VktDB1F begin select raise(abort, 'refused'); end");
    functor.SetPathForWrite(folder);
    // The field is written, its stamp fails: the field stays, the stamp's part goes.
    EXPECT_TRUE(functor.EditData(TVktField::Data, platform::Variant(std::string("Renamed")), TPriorityItem() << 1));
    EXPECT_EQ(Text("select Data || '|' || coalesce(ChangeDate, '-') from VktDB1F where Data_ID = 1"), "Renamed|-");
    Sql("create trigger NoName before update of Data on VktDB1F begin select raise(abort, 'refused'); end");
    functor.SetPathForWrite(folder);
    EXPECT_FALSE(functor.EditData(TVktField::Data, platform::Variant(std::string("Again")), TPriorityItem() << 1));
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 1"), "Renamed");
    EXPECT_TRUE(OthersMayWrite(Db()));
}

TEST_F(FunctorTest, ARowZeroWrittenBySetPathForWriteStaysWhateverTheOperationDoes) {
    Sql("delete from VktDB1R where Initial_ID = 0");
    functor.SetPathForWrite(folder);
    EXPECT_TRUE(OthersMayWrite(Db())) << "committed at once";
    EXPECT_EQ(Row0(), kDefaultMap);
    EXPECT_FALSE(functor.RefreshItemPrices(1, kNoPriceColumn, TPriorityItem(), 0));   // refused before any write
    EXPECT_EQ(Row0(), kDefaultMap);
}

TEST_F(FunctorTest, AnOperationThatTakesNoTransactionLeavesNoneOpen) {
    functor.SetPathForWrite(folder);
    EXPECT_FALSE(functor.RefreshItemPrices(1, kNoPriceColumn, TPriorityItem(), 0));
    functor.EndPendingTransaction();
    EXPECT_TRUE(OthersMayWrite(Db()));
    Sql("update VktDB1R set Initial = '<InitialID' where Initial_ID = 0");
    EXPECT_THROW(functor.SetPathForWrite(folder), platform::Error);
    EXPECT_TRUE(OthersMayWrite(Db())) << "a malformed row 0 ends the transaction too";
}

// ---- Settings store -------------------------------------------------------------------------------

TEST_F(FunctorTest, EmptyInitializeReceivesTheDefaultMap) {
    EXPECT_EQ(Row0(), kDefaultMap);
    EXPECT_EQ(functor.RegisterInitialID("DatabaseID"), 1);
    EXPECT_EQ(functor.RegisterInitialID("itemviewfield"), 6);   // names compare regardless of case
    EXPECT_EQ(Count(TVktTable::TblInitialize), 1);
}

TEST_F(FunctorTest, RegisteringANewNameRewritesRowZero) {
    EXPECT_EQ(functor.RegisterInitialID("InventoryPriceType"), 7);
    EXPECT_EQ(Row0(), "<InitialID DatabaseID=\"1\" ClassIcon=\"2\" Filter=\"3\" ViewField=\"4\" "
                      "InvViewField=\"5\" ItemViewField=\"6\" InventoryPriceType=\"7\" />");
    EXPECT_EQ(functor.RegisterInitialID("InventoryPriceType"), 7);

    // Another module reads the stored map.
    TVktFunctor other;
    other.SetPath(folder);
    EXPECT_EQ(other.RegisterInitialID("InventoryPriceType"), 7);
}

TEST_F(FunctorTest, RegisteredIdSurvivesAFailedRowZeroWrite) {
    Sql("delete from VktDB1R where Initial_ID = 0");
    Sql("drop table VktDB1R");
    EXPECT_EQ(functor.RegisterInitialID("Late"), 7);
    EXPECT_EQ(functor.RegisterInitialID("Late"), 7);
}

TEST_F(FunctorTest, AMapValueThatIsNoPositiveNumberGetsARowOfItsOwn) {
    for (const std::string value : {"x", "0", "-3"}) {
        Sql("update VktDB1R set Initial = '<InitialID Filter=\"" + value + "\" ViewField=\"9\" />' where Initial_ID = 0");
        functor.SetPath(folder);
        EXPECT_EQ(functor.RegisterInitialID("Filter"), 10);   // above every id of the map
        EXPECT_TRUE(functor.SetInitial("Filter", "<FilterSet/>"));
        EXPECT_EQ(functor.GetInitial("Filter"), "<FilterSet/>");
        EXPECT_NE(Row0().find("Filter=\"10\""), std::string::npos);
        Sql("delete from VktDB1R where Initial_ID <> 0");
    }
}

TEST_F(FunctorTest, GetInitialOfANameNeverStoredRegistersIt) {
    EXPECT_EQ(functor.GetInitial("Unknown"), "");
    EXPECT_EQ(functor.RegisterInitialID("Unknown"), 7);
}

TEST_F(FunctorTest, SetInitialReplacesTheSetting) {
    functor.SetInitial("Filter", "<FilterSet/>");
    functor.SetInitial("Filter", "<FilterSet><Filter Name=\"a\"/></FilterSet>");
    EXPECT_EQ(functor.GetInitial("Filter"), "<FilterSet><Filter Name=\"a\"/></FilterSet>");
    EXPECT_EQ(Int("select count(*) from VktDB1R where Initial_ID = 3"), 1);

    functor.SetInitial("Filter", "");   // an empty text changes nothing
    EXPECT_EQ(functor.GetInitial("Filter"), "<FilterSet><Filter Name=\"a\"/></FilterSet>");
}

// A filter name with an apostrophe once deleted the stored filter set and failed to write the new.
TEST_F(FunctorTest, SettingTextWithApostropheRoundTrips) {
    functor.SetInitial("Filter", "<FilterSet><Filter Name=\"old\"/></FilterSet>");
    const std::string text = "<FilterSet><Filter Name=\"Chef's choice\"/></FilterSet>";
    functor.SetInitial("Filter", text);
    EXPECT_EQ(functor.GetInitial("Filter"), text);
    EXPECT_EQ(Setting(3), text);
}

TEST_F(FunctorTest, FailedSetInitialKeepsTheStoredSetting) {
    functor.SetInitial("Filter", "<FilterSet/>");
    Sql("create trigger NoInsert before insert on VktDB1R when new.Initial_ID = 3 "
        "begin select raise(abort, 'refused'); end");
    functor.SetInitial("Filter", "<FilterSet><Filter Name=\"new\"/></FilterSet>");
    EXPECT_EQ(Setting(3), "<FilterSet/>");
}

TEST_F(FunctorTest, DatabaseIdIsTheFirstSetting) {
    functor.SetInitial("DatabaseID", "{0123}");
    EXPECT_EQ(functor.GetDatabaseID(), "{0123}");
    EXPECT_EQ(Setting(1), "{0123}");
}

// ---- Lookups and stamp ----------------------------------------------------------------------------

TEST_F(FunctorTest, ClassLookups) {
    CreateDefaults();
    EXPECT_EQ(functor.GetClassType(1), 0);
    EXPECT_EQ(functor.GetClassType(3), 1);
    EXPECT_EQ(functor.GetClassType(36), 2);
    EXPECT_EQ(functor.GetClassType(47), -1);
    EXPECT_EQ(functor.GetClassType(999), 0);
    EXPECT_EQ(functor.GetClassTreeID(4).GetAsString(), "200000000");
    EXPECT_EQ(functor.GetClassTreeID(4).Depth(), 4);
    EXPECT_EQ(functor.GetClassTreeID(999).GetAsString(), TTreeIndex().GetAsString());

    AddRecord(1, 3);
    AddRecord(2, 44);
    AddRecord(3, 999);
    EXPECT_EQ(functor.GetDataClassType(1), 1);
    EXPECT_EQ(functor.GetDataClassType(2), 3);
    EXPECT_EQ(functor.GetDataClassType(3), 0);   // no class row
    EXPECT_EQ(functor.GetDataClassType(4), 0);   // no record

    Sql("drop table VktDB1A");
    EXPECT_EQ(functor.GetClassType(3), -2);
    EXPECT_EQ(functor.GetClassTreeID(3).GetAsString(), TTreeIndex().GetAsString());
    EXPECT_EQ(functor.GetDataClassType(1), 0);
}

TEST_F(FunctorTest, EraseStates) {
    AddRecord(1);                  // live
    AddRecord(2);                  // in the trash
    AddRecord(3, 3, true);         // conserved
    AddRecord(4, 3, true);         // conserved with a trash row
    Sql("insert into VktDB1G values (2, '2024-03-01 08:00:00')");
    Sql("insert into VktDB1G values (4, '2024-03-01 08:00:00')");
    EXPECT_EQ(functor.GetDataEraseState(1), 0);
    EXPECT_EQ(functor.GetDataEraseState(2), -1);
    EXPECT_EQ(functor.GetDataEraseState(3), -2);
    EXPECT_EQ(functor.GetDataEraseState(4), -2);
    EXPECT_EQ(functor.GetDataEraseState(5), 0);
    Sql("drop table VktDB1G");
    EXPECT_EQ(functor.GetDataEraseState(2), 0);
}

TEST_F(FunctorTest, TouchChangeDateStampsNow) {
    AddRecord(1);
    AddRecord(2);
    EXPECT_TRUE(functor.TouchChangeDate(1));
    EXPECT_EQ(Text("select ChangeDate from VktDB1F where Data_ID = 1"), "2024-03-15 10:20:30");
    EXPECT_EQ(Text("select ChangeDate from VktDB1F where Data_ID = 2"), "");
    EXPECT_TRUE(functor.TouchChangeDate(99));   // no such record: nothing to stamp
    Sql("drop table VktDB1F");
    EXPECT_FALSE(functor.TouchChangeDate(1));
}

TEST_F(FunctorTest, SelectDataIdsOfAnEmptyFilterListsEveryLiveRecord) {
    AddRecord(2);
    AddRecord(1);
    AddRecord(3);
    TFilterObject filter;
    const TPriorityItem ids = functor.SelectDataIDs(filter);
    ASSERT_EQ(ids.GetCount(), 3);
    TPriorityItem sorted = ids;
    sorted.Sort();
    EXPECT_EQ(sorted.GetCommaText(), "1,2,3");

    TFilterObject byName;
    byName.Add(TVktField::Data, foEqual, std::string("R2"), platform::Variant());
    EXPECT_EQ(functor.SelectDataIDs(byName).GetCommaText(), "2");
    // A condition the records cannot reach (a unit's own name) is left out, not an error.
    byName.Add(TVktField::Units, foContains, std::string("g"), platform::Variant());
    EXPECT_EQ(functor.SelectDataIDs(byName).GetCommaText(), "2");

    Sql("drop table VktDB1F");
    EXPECT_EQ(functor.SelectDataIDs(filter).GetCount(), 0);
}

// ---- Shared helpers -------------------------------------------------------------------------------

TEST_F(FunctorTest, NewKeysAreTheLargestPlusOne) {
    FunctorProbe probe;
    probe.SetPath(folder);
    EXPECT_EQ(probe.NextKey(TVktField::Dealer_ID), 1);
    Sql("insert into VktDB1C (Dealer_ID, Company) values (1, 'a'), (5, 'b')");
    EXPECT_EQ(probe.NextKey(TVktField::Dealer_ID), 6);
    Sql("delete from VktDB1C where Dealer_ID = 1");
    EXPECT_EQ(probe.NextKey(TVktField::Dealer_ID), 6);   // a freed key below the largest stays free
    Sql("delete from VktDB1C where Dealer_ID = 5");
    EXPECT_EQ(probe.NextKey(TVktField::Dealer_ID), 1);
    EXPECT_EQ(probe.NextKey(TVktField::Data_ID), 1);
    probe.SetPath("");
}

TEST_F(FunctorTest, SqlLiterals) {
    EXPECT_EQ(FunctorProbe::SqlText("Chef's"), "'Chef''s'");
    EXPECT_EQ(FunctorProbe::SqlText(""), "''");
    EXPECT_EQ(FunctorProbe::SqlDate(FixedNow()), "'2024-03-15'");
    EXPECT_EQ(FunctorProbe::SqlDateTime(FixedNow()), "'2024-03-15 10:20:30'");
    EXPECT_EQ(FunctorProbe::SqlFloat(0.1), "0.1");
    EXPECT_EQ(FunctorProbe::SqlFloat(-2.5), "-2.5");
    EXPECT_THROW(FunctorProbe::SqlFloat(1.0 / 0.0), platform::ConvertError);
}

TEST_F(FunctorTest, WriteRollsBackOnErrorAndKeepsADefinedFalse) {
    FunctorProbe probe;
    probe.SetPath(folder);
    const bool done = probe.Write(false, [&] {
        probe.Exec("insert into VktDB1C (Dealer_ID, Company) values (1, 'a')");
        probe.Exec("insert into NoSuchTable values (1)");
        return true;
    });
    EXPECT_FALSE(done);
    EXPECT_EQ(Count(TVktTable::TblDealer), 0);

    const int refused = probe.Write(-1, [&] {
        probe.Exec("insert into VktDB1C (Dealer_ID, Company) values (2, 'b')");
        return 0;
    });
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(Count(TVktTable::TblDealer), 1);

    // A nested failure rolls back only its own part.
    const bool outer = probe.Write(false, [&] {
        probe.Exec("insert into VktDB1C (Dealer_ID, Company) values (3, 'c')");
        const bool inner = probe.Write(false, [&] {
            probe.Exec("insert into VktDB1C (Dealer_ID, Company) values (4, 'd')");
            throw platform::Error("inner");
            return true;
        });
        EXPECT_FALSE(inner);
        return true;
    });
    EXPECT_TRUE(outer);
    EXPECT_EQ(Text("select group_concat(Dealer_ID) from (select Dealer_ID from VktDB1C order by 1)"), "2,3");
    probe.SetPath("");
}

TEST_F(FunctorTest, TheConnectionKeepsItsStatementJournalsInABufferOfItsOwn) {
    // Kept by SQLite with the temporaries in memory, a batch's journal was walked from its start
    // at every savepoint nested in the batch's: a time growing with the square of its records.
    FunctorProbe probe;
    probe.SetPath(folder);
    EXPECT_EQ(probe.QueryInt("PRAGMA temp_store"), 1);
    probe.SetPath("");
}

TEST_F(FunctorTest, StatementsComeFromTheConnectionsCacheUntilTheSessionEnds) {
    FunctorProbe probe;
    probe.SetPath(folder);
    const std::string sql = "select count(*) from VktDB1C where Dealer_ID > :ID";
    for (int i = 0; i < 3; ++i) probe.QueryInt(sql, {{"ID", i}});
    const std::size_t cached = probe.Db().CachedStatementCount();
    probe.QueryInt(sql, {{"ID", 5}});
    EXPECT_EQ(probe.Db().CachedStatementCount(), cached) << "the same statement again";
    {
        // A lease comes with its parameters bound and goes back when it ends.
        platform::StatementLease lease = probe.Lease(sql, {{"ID", -1}});
        EXPECT_EQ(probe.Db().CachedStatementCount(), cached - 1);
        ASSERT_TRUE(lease->Step());
        EXPECT_EQ(lease->GetInt(0), 0);
    }
    EXPECT_EQ(probe.Db().CachedStatementCount(), cached);
    probe.Deactivate();
    EXPECT_EQ(probe.QueryInt(sql, {{"ID", 0}}), 0) << "reopened";
    EXPECT_EQ(probe.Db().CachedStatementCount(), 1u) << "the closed session's statements are gone";
    probe.SetPath("");
}

TEST_F(FunctorTest, QueryHelpersBindParameters) {
    FunctorProbe probe;
    probe.SetPath(folder);
    probe.Exec("insert into VktDB1C (Dealer_ID, Company) values (:ID, :Name)", {{"ID", 7}, {"Name", "O'Neil"}});
    probe.Exec("insert into VktDB1C (Dealer_ID, Company) values (:ID, :Name)", {{"ID", 3}, {"Name", "Z"}});
    EXPECT_EQ(probe.QueryText("select Company from VktDB1C where Dealer_ID = :ID", {{"ID", 7}}), "O'Neil");
    EXPECT_EQ(probe.QueryInt("select Dealer_ID from VktDB1C where Company = :N", {{"N", "O'Neil"}}), 7);
    EXPECT_EQ(probe.QueryInt("select Dealer_ID from VktDB1C where Company = 'none'", {}, -5), -5);
    EXPECT_EQ(probe.QueryIntList("select Dealer_ID from VktDB1C order by Dealer_ID").GetCommaText(), "3,7");
    probe.SetPath("");
}

} // namespace

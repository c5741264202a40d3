#include "platform/Sqlite.h"

#include "platform/ChildProcess.h"
#include "platform/ConnectionPool.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Unprivileged.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <sys/mount.h>
#include <unistd.h>

namespace fs = std::filesystem;
using platform::Connection;
using platform::DatabaseError;
using platform::FieldType;
using platform::OpenMode;
using platform::Statement;
using platform::StatementLease;
using platform::Variant;

namespace {

class SqliteTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.Make("vkt_sqlite");
    }
    void TearDown() override {
        temp_.Remove();
    }
    std::string File(const std::string& name = "test.db") const { return (dir_ / name).string(); }

    // A connection on a fresh file with table T (K INTEGER PRIMARY KEY, S VARCHAR(20), R REAL, B BLOB).
    Connection OpenWithTable(const std::string& name = "test.db") {
        Connection db(File(name), OpenMode::Create);
        db.Execute("CREATE TABLE T (K INTEGER PRIMARY KEY, S VARCHAR(20), R REAL, B BLOB)");
        return db;
    }

    static std::string Scalar(Connection& db, const std::string& sql) {
        Statement q(db, sql);
        EXPECT_TRUE(q.Step()) << sql;
        return q.IsNull(0) ? "<null>" : q.GetText(0);
    }

    fs::path dir_;
    vkttest::TempFolder temp_;
};

// How many times a statement ran to its end: 0 for one just prepared, so a lease that shows runs
// got a statement back from the cache.
int Runs(const StatementLease& lease) {
    return sqlite3_stmt_status(lease->Handle(), SQLITE_STMTSTATUS_RUN, 0);
}

// Statements alive on the connection.
int LiveStatements(Connection& db) {
    int count = 0;
    for (sqlite3_stmt* s = sqlite3_next_stmt(db.Handle(), nullptr); s != nullptr; s = sqlite3_next_stmt(db.Handle(), s))
        ++count;
    return count;
}

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const DatabaseError& e) {
        return e.what();
    }
    return "<no error>";
}

} // namespace

// ---- Connection ---------------------------------------------------------------------------------

TEST_F(SqliteTest, OpeningAMissingFileWithoutCreateFailsAndCreatesNothing) {
    EXPECT_THROW(Connection(File(), OpenMode::ReadWrite), DatabaseError);
    Connection db;
    EXPECT_FALSE(db.TryOpen(File()));
    EXPECT_FALSE(db.IsOpen());
    EXPECT_FALSE(db.TryOpen((dir_ / "no-such-folder" / "x.db").string(), OpenMode::Create));
    EXPECT_TRUE(fs::is_empty(dir_));
}

// Two connections of one file, as the program's windows and batches have them: a reader keeps its
// view while the other connection writes and commits, a writer waits out the other's short write
// lock instead of failing at once, and a row may name a row that is not there (the program keeps
// its links itself; foreign keys are off).
TEST_F(SqliteTest, AReaderKeepsItsViewBesideAWriterAndAWriterWaitsOutALock) {
    Connection writer(File(), OpenMode::Create);
    EXPECT_TRUE(writer.IsOpen());
    EXPECT_EQ(writer.GetPath(), File());
    EXPECT_TRUE(fs::exists(File()));
    writer.Execute("CREATE TABLE T (K INTEGER PRIMARY KEY)");
    writer.Execute("INSERT INTO T VALUES (1)");
    Connection reader(File());   // exists now: no Create needed

    reader.Execute("BEGIN");
    EXPECT_EQ(Scalar(reader, "SELECT count(*) FROM T"), "1");
    writer.Execute("INSERT INTO T VALUES (2)");   // committed while the reader reads
    EXPECT_EQ(Scalar(reader, "SELECT count(*) FROM T"), "1");
    reader.Execute("COMMIT");
    EXPECT_EQ(Scalar(reader, "SELECT count(*) FROM T"), "2");

    writer.Execute("BEGIN IMMEDIATE");
    writer.Execute("INSERT INTO T VALUES (3)");
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        writer.Execute("COMMIT");
    });
    EXPECT_NO_THROW(reader.Execute("INSERT INTO T VALUES (4)"));
    holder.join();
    EXPECT_EQ(Scalar(writer, "SELECT group_concat(K) FROM (SELECT K FROM T ORDER BY K)"), "1,2,3,4");

    writer.Execute("CREATE TABLE Child (K INTEGER PRIMARY KEY, T_Key INTEGER REFERENCES T(K))");
    EXPECT_NO_THROW(writer.Execute("INSERT INTO Child VALUES (1, 99)"));
    EXPECT_EQ(Scalar(reader, "SELECT T_Key FROM Child"), "99");
}

// The temporary tables and sorts of every connection, read-only ones included, stay in memory:
// one far larger than SQLite's page cache opens no file (one kept in files does).
TEST_F(SqliteTest, TemporariesOfEveryConnectionOpenNoFile) {
    const auto temporaryFiles = [] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code ignored;
            if (fs::read_symlink(entry.path(), ignored).filename().string().rfind("etilqs_", 0) == 0) ++count;
        }
        return count;
    };
    const auto fillTemporary = [](Connection& db) {
        db.Execute("CREATE TEMP TABLE Big AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                   "WHERE i < 16000) SELECT i, randomblob(1000) AS b FROM n");
        Statement sorted(db, "SELECT i FROM Big ORDER BY b LIMIT 1");
        EXPECT_TRUE(sorted.Step());
    };
    {
        Connection db(File(), OpenMode::Create);
        fillTemporary(db);
        EXPECT_EQ(temporaryFiles(), 0) << "created";
    }
    for (const OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
        Connection db(File(), mode);
        fillTemporary(db);
        EXPECT_EQ(temporaryFiles(), 0) << (mode == OpenMode::ReadOnly ? "read-only" : "read-write");
    }
    Connection db(File());
    db.UseOwnStatementJournal();   // temporaries in files
    fillTemporary(db);
    EXPECT_GT(temporaryFiles(), 0) << "the check sees a temporary file";
}

TEST_F(SqliteTest, AFileThatIsNotADatabaseFailsToOpen) {
    {
        std::FILE* f = std::fopen(File().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("this is certainly not an SQLite database file, just some text bytes......", f);
        std::fclose(f);
    }
    Connection db;
    EXPECT_FALSE(db.TryOpen(File()));
    EXPECT_THROW(db.Open(File()), DatabaseError);
}

TEST_F(SqliteTest, MovedConnectionKeepsTheDatabase) {
    Connection a = OpenWithTable();
    Connection b(std::move(a));
    EXPECT_FALSE(a.IsOpen());   // NOLINT(bugprone-use-after-move): the moved-from state is specified
    EXPECT_TRUE(b.IsOpen());
    EXPECT_EQ(b.GetPath(), File());
    Connection c;
    c = std::move(b);
    c.Execute("INSERT INTO T (K) VALUES (7)");
    EXPECT_EQ(c.LastInsertRowid(), 7);
    EXPECT_EQ(c.Changes(), 1);
    EXPECT_THROW(b.Execute("SELECT 1"), DatabaseError);   // NOLINT(bugprone-use-after-move)
}

TEST_F(SqliteTest, TableExistsIgnoresCaseAndListsTables) {
    Connection db = OpenWithTable();
    db.Execute("CREATE TABLE Other (X)");
    EXPECT_TRUE(db.TableExists("T"));
    EXPECT_TRUE(db.TableExists("t"));
    EXPECT_TRUE(db.TableExists("OTHER"));
    EXPECT_FALSE(db.TableExists("Missing"));
    EXPECT_FALSE(db.TableExists(""));
    EXPECT_EQ(db.TableNames(), (std::vector<std::string>{"T", "Other"}));
}

TEST_F(SqliteTest, ErrorsCarryTheSqliteMessageAndTheStatement) {
    Connection db = OpenWithTable();
    const std::string sql = "SELECT Nope FROM Missing";
    try {
        db.Execute(sql);
        FAIL() << "no error";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(e.SqliteMessage(), "no such table: Missing");
        EXPECT_EQ(e.Sql(), sql);
        EXPECT_EQ(std::string(e.what()), "no such table: Missing\n" + sql);
    }
    EXPECT_EQ(ErrorText([&] { Statement(db, "SELEC 1"); }), "near \"SELEC\": syntax error\nSELEC 1");

    // A failing step: the statement stays usable.
    db.Execute("INSERT INTO T (K) VALUES (1)");
    Statement insert(db, "INSERT INTO T (K) VALUES (:K)");
    insert.BindInt64("K", 1);
    std::string text = ErrorText([&] { insert.Step(); });
    EXPECT_NE(text.find("UNIQUE constraint failed: T.K"), std::string::npos) << text;
    EXPECT_NE(text.find("INSERT INTO T (K) VALUES (:K)"), std::string::npos) << text;
    insert.BindInt64("K", 2);
    EXPECT_EQ(insert.Execute(), 1);
}

// ---- Statement ----------------------------------------------------------------------------------

TEST_F(SqliteTest, PrepareRejectsEmptyAndMultipleStatements) {
    Connection db = OpenWithTable();
    EXPECT_THROW(Statement(db, "   "), DatabaseError);
    EXPECT_EQ(ErrorText([&] { Statement(db, "SELECT 1; DELETE FROM T"); }),
              "more than one SQL statement\nSELECT 1; DELETE FROM T");
    Statement ok(db, "SELECT 1; -- trailing comment\n ;");
    EXPECT_TRUE(ok.Step());
    Statement none;
    EXPECT_FALSE(none.IsPrepared());
    EXPECT_THROW(none.Step(), DatabaseError);
}

TEST_F(SqliteTest, ANameStandingTwiceBindsBothOccurrences) {
    Connection db = OpenWithTable();
    Statement q(db, "SELECT :A + :A, :a * 10, :Other");
    EXPECT_EQ(q.ParameterNames(), (std::vector<std::string>{"A", "Other"}));
    EXPECT_TRUE(q.HasParameter("a"));
    EXPECT_TRUE(q.HasParameter(":A"));
    EXPECT_FALSE(q.HasParameter("B"));
    q.BindInt64("A", 21);
    q.BindText("other", "x");
    ASSERT_TRUE(q.Step());
    EXPECT_EQ(q.GetInt64(0), 42);
    EXPECT_EQ(q.GetInt64(1), 210);   // the other spelling of the name is bound too
    EXPECT_EQ(q.GetText(2), "x");
    EXPECT_FALSE(q.Step());
    EXPECT_EQ(ErrorText([&] { q.BindInt64("B", 1); }), "parameter 'B' not found\nSELECT :A + :A, :a * 10, :Other");
}

TEST_F(SqliteTest, EmptyTextAndEmptyBytesBindNull) {
    Connection db = OpenWithTable();
    Statement insert(db, "INSERT INTO T (K, S, B) VALUES (:K, :S, :B)");
    insert.BindInt64("K", 1);
    insert.BindText("S", "");
    insert.BindBlob("B", {});
    insert.Execute();
    insert.Reset();
    insert.BindInt64("K", 2);
    insert.Bind("S", Variant(std::string()), FieldType::String);
    insert.Bind("B", Variant(platform::Bytes{}), FieldType::Graphic);
    insert.Execute();
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM T WHERE S IS NULL AND B IS NULL"), "2");
}

TEST_F(SqliteTest, TypedBindingStoresEachFieldTypeAsDesigned) {
    Connection db(File(), OpenMode::Create);
    db.Execute("CREATE TABLE V (Id INTEGER, Val)");
    struct Case {
        Variant value;
        FieldType type;
        const char* storedType;
        const char* storedText;
    };
    const platform::TDateTime date = platform::EncodeDate(2024, 3, 31);
    const platform::TDateTime stamp = date + platform::EncodeTime(9, 5, 0);
    const Case cases[] = {
        {Variant("abc"), FieldType::String, "text", "abc"},
        {Variant(12), FieldType::SmallInt, "integer", "12"},
        {Variant(std::int64_t{1} << 40), FieldType::Integer, "integer", "1099511627776"},
        {Variant(true), FieldType::Boolean, "integer", "1"},
        {Variant(false), FieldType::Boolean, "integer", "0"},
        {Variant(1.5), FieldType::Float, "real", "1.5"},
        {Variant(platform::Currency::FromText("12.25")), FieldType::Currency, "real", "12.25"},
        {Variant(100), FieldType::Currency, "real", "100.0"},
        {Variant::FromDateTime(stamp), FieldType::Date, "text", "2024-03-31"},
        {Variant::FromDateTime(stamp), FieldType::DateTime, "text", "2024-03-31 09:05:00"},
        {Variant::FromDateTime(date), FieldType::DateTime, "text", "2024-03-31 00:00:00"},
        {Variant("memo text"), FieldType::Memo, "text", "memo text"},
        {Variant(platform::Bytes{'h', 'i'}), FieldType::FmtMemo, "blob", "hi"},
        {Variant::Null(), FieldType::Integer, "null", "<null>"},
        {Variant(), FieldType::String, "null", "<null>"},
        // Untyped: by the variant's own kind; a whole day binds as a date.
        {Variant::FromDateTime(date), FieldType::Unknown, "text", "2024-03-31"},
        {Variant::FromDateTime(stamp), FieldType::Unknown, "text", "2024-03-31 09:05:00"},
        {Variant(true), FieldType::Unknown, "integer", "1"},
        {Variant(2.5), FieldType::Unknown, "real", "2.5"},
    };
    Statement insert(db, "INSERT INTO V (Id, Val) VALUES (:Id, :Val)");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        insert.Reset();
        insert.BindInt64("Id", static_cast<std::int64_t>(i));
        insert.Bind("Val", cases[i].value, cases[i].type);
        insert.Execute();
    }
    Statement read(db, "SELECT typeof(Val), Val FROM V ORDER BY Id");
    for (const Case& c : cases) {
        ASSERT_TRUE(read.Step());
        EXPECT_EQ(read.GetText(0), c.storedType) << c.storedText;
        EXPECT_EQ(read.IsNull(1) ? "<null>" : read.GetText(1), c.storedText);
    }
    EXPECT_FALSE(read.Step());
}

TEST_F(SqliteTest, GetVariantTurnsStoredValuesIntoTheFieldsKinds) {
    Connection db(File(), OpenMode::Create);
    Statement q(db, "SELECT '2024-03-31', '2024-03-31 09:05:00', 100.0 / 300.0, 1, 'true', 7, 2.5, "
                    "x'6869', NULL, 'text', ''");
    ASSERT_TRUE(q.Step());
    using K = Variant::Kind;
    Variant date = q.GetVariant(0, FieldType::Date);
    EXPECT_EQ(date.GetKind(), K::DateTime);
    EXPECT_EQ(date.AsDateTime(), platform::EncodeDate(2024, 3, 31));
    Variant stamp = q.GetVariant(1, FieldType::DateTime);
    EXPECT_EQ(stamp.GetKind(), K::DateTime);
    EXPECT_DOUBLE_EQ(stamp.AsDateTime(), platform::EncodeDateTime(2024, 3, 31, 9, 5, 0));
    Variant money = q.GetVariant(2, FieldType::Currency);
    EXPECT_EQ(money.GetKind(), K::Currency);
    EXPECT_EQ(money.AsCurrency().Raw(), 3333);
    EXPECT_EQ(q.GetVariant(2, FieldType::Float).GetKind(), K::Double);
    EXPECT_EQ(q.GetVariant(3, FieldType::Boolean), Variant(true));
    EXPECT_EQ(q.GetVariant(4, FieldType::Boolean), Variant(true));
    EXPECT_TRUE(q.GetBool(4));
    EXPECT_EQ(q.GetVariant(5, FieldType::SmallInt).GetKind(), K::Integer);
    EXPECT_EQ(q.GetVariant(5, FieldType::Unknown).GetKind(), K::Integer);
    EXPECT_EQ(q.GetVariant(6, FieldType::Unknown).GetKind(), K::Double);
    Variant blob = q.GetVariant(7, FieldType::Graphic);
    ASSERT_EQ(blob.GetKind(), K::Bytes);
    EXPECT_EQ(blob.AsBytes(), (platform::Bytes{'h', 'i'}));
    EXPECT_EQ(q.GetVariant(7, FieldType::Unknown).GetKind(), K::Bytes);
    EXPECT_TRUE(q.GetVariant(8, FieldType::String).IsNull());
    EXPECT_TRUE(q.GetVariant(8, FieldType::Date).IsNull());
    EXPECT_EQ(q.GetVariant(9, FieldType::Memo), Variant("text"));
    EXPECT_TRUE(q.GetVariant(10, FieldType::Date).IsNull());
    EXPECT_THROW(q.GetVariant(9, FieldType::Date), platform::ConvertError);
}

TEST_F(SqliteTest, ColumnsByNameIgnoreCaseAndPlainReadsOfNull) {
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K, S, R) VALUES (1, 'one', 1.5)");
    Statement q(db, "SELECT K, S AS Name, R, B, S FROM T");
    EXPECT_EQ(q.ColumnCount(), 5);
    EXPECT_EQ(q.ColumnNames(), (std::vector<std::string>{"K", "Name", "R", "B", "S"}));
    EXPECT_EQ(q.ColumnIndex("NAME"), 1);
    EXPECT_EQ(q.ColumnIndex("s"), 4);
    EXPECT_EQ(q.ColumnIndex("Missing"), -1);
    EXPECT_THROW(q.GetText("K"), DatabaseError);   // no row yet
    ASSERT_TRUE(q.Step());
    EXPECT_EQ(q.GetInt("k"), 1);
    EXPECT_EQ(q.GetText("name"), "one");
    EXPECT_EQ(q.GetDouble("r"), 1.5);
    EXPECT_TRUE(q.IsNull("B"));
    EXPECT_EQ(q.GetStorageClass(3), platform::StorageClass::Null);
    EXPECT_EQ(q.GetStorageClass(2), platform::StorageClass::Real);
    EXPECT_EQ(q.GetText(3), "");
    EXPECT_EQ(q.GetInt64(3), 0);
    EXPECT_FALSE(q.GetBool(3));
    EXPECT_TRUE(q.GetBlob(3).empty());
    EXPECT_THROW(q.GetText("Missing"), DatabaseError);
    EXPECT_THROW(q.GetText(5), DatabaseError);
    EXPECT_FALSE(q.Step());
}

TEST_F(SqliteTest, ResetReusesTheStatementWithItsBindings) {
    Connection db = OpenWithTable();
    Statement insert(db, "INSERT INTO T (K, S) VALUES (:K, :S)");
    insert.BindText("S", "same");
    for (int k = 1; k <= 100; ++k) {
        insert.Reset();
        insert.BindInt64("K", k);
        insert.Execute();
    }
    EXPECT_EQ(Scalar(db, "SELECT count(*) || '/' || count(DISTINCT S) || '/' || sum(K) FROM T"), "100/1/5050");
    insert.ClearBindings();
    insert.Reset();
    insert.Execute();   // both NULL now: the key gets the next rowid
    EXPECT_EQ(db.LastInsertRowid(), 101);
    EXPECT_EQ(Scalar(db, "SELECT S FROM T WHERE K = 101"), "<null>");
}

TEST_F(SqliteTest, QuotingDoublesTheQuotes) {
    EXPECT_EQ(platform::QuoteSql("O'Neil"), "'O''Neil'");
    EXPECT_EQ(platform::QuoteSql(""), "''");
    EXPECT_EQ(platform::QuoteSql("''"), "''''''");
    EXPECT_EQ(platform::QuoteIdentifier("Tbl"), "\"Tbl\"");
    EXPECT_EQ(platform::QuoteIdentifier("a\"b"), "\"a\"\"b\"");
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K, S) VALUES (1, " + platform::QuoteSql("O'Neil; DROP TABLE T; --") + ")");
    EXPECT_EQ(Scalar(db, "SELECT S FROM T"), "O'Neil; DROP TABLE T; --");
}

TEST_F(SqliteTest, BindsFindTheirNameInAnyOrderAndCase) {
    Connection db = OpenWithTable();
    Statement insert(db, "INSERT INTO T (K, S, R) VALUES (:K, :S, :R)");
    for (int k = 1; k <= 2; ++k) {
        insert.BindDouble("r", k + 0.5);   // last name first, another case
        insert.BindText("S", "s" + std::to_string(k));
        insert.BindInt64(":k", k);
        insert.Execute();
        insert.Reset();
    }
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K || S || R) FROM T"), "1s11.5,2s22.5");
    EXPECT_THROW(insert.BindInt64("KS", 1), DatabaseError);
}

TEST_F(SqliteTest, AReferencedTextIsReadWhenTheStatementRuns) {
    Connection db = OpenWithTable();
    Statement insert(db, "INSERT INTO T (K, S) VALUES (:K, :S)");
    std::string text = "first";
    insert.BindInt64("K", 1);
    insert.BindTextRef("S", text);
    text[0] = 'F';   // not copied: the statement sees the change
    insert.Execute();
    insert.Reset();
    insert.BindInt64("K", 2);
    insert.BindTextRef("S", "");   // empty binds NULL, as BindText
    insert.Execute();
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K || ':' || coalesce(S, '<null>')) FROM T"), "1:First,2:<null>");
}

// ---- Statement cache --------------------------------------------------------------------------

TEST_F(SqliteTest, ALeaseGetsTheCachedStatementResetAndWithoutBindings) {
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K) VALUES (1), (2), (3)");
    const std::string sql = "SELECT K, :X FROM T ORDER BY K";
    {
        StatementLease first = db.Lease(sql);
        EXPECT_EQ(Runs(first), 0);
        first->BindText("X", "bound");
        ASSERT_TRUE(first->Step());   // left in the middle of its rows
        EXPECT_EQ(first->GetText(1), "bound");
    }
    EXPECT_EQ(db.CachedStatementCount(), 1u);
    StatementLease again = db.Lease(sql);
    EXPECT_EQ(db.CachedStatementCount(), 0u);
    EXPECT_EQ(Runs(again), 1) << "the cached statement, not a new one";
    ASSERT_TRUE(again->Step());
    EXPECT_EQ(again->GetInt(0), 1) << "reset: from the first row";
    EXPECT_TRUE(again->IsNull(1)) << "no binding stays";
    EXPECT_EQ(LiveStatements(db), 1);
}

TEST_F(SqliteTest, AnotherLeaseOfATextStillSteppingGetsAStatementOfItsOwn) {
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K) VALUES (1), (2), (3)");
    const std::string sql = "SELECT K FROM T WHERE K >= :From ORDER BY K";
    // Recursion over the same text: each level steps its own statement.
    std::function<std::string(int)> walk = [&](int from) -> std::string {
        StatementLease rows = db.Lease(sql);
        rows->BindInt64("From", from);
        std::string seen;
        while (rows->Step()) {
            const int k = rows->GetInt(0);
            seen += std::to_string(k);
            if (k == from && from < 3) seen += "(" + walk(from + 1) + ")";
        }
        return seen;
    };
    EXPECT_EQ(walk(1), "1(2(3)3)23");
    EXPECT_EQ(db.CachedStatementCount(), 3u) << "one statement a level, all back in the cache";

    // Of one text the cache keeps kIdlePerText.
    std::vector<StatementLease> many;
    for (int i = 0; i < 6; ++i) many.push_back(db.Lease(sql));
    EXPECT_NE(many[0]->Handle(), many[1]->Handle());
    many.clear();
    EXPECT_EQ(db.CachedStatementCount(), Connection::kIdlePerText);
    EXPECT_EQ(LiveStatements(db), static_cast<int>(Connection::kIdlePerText));
}

TEST_F(SqliteTest, TheCacheKeepsTheMostRecentlyLeasedTextsUpToItsLimit) {
    Connection db = OpenWithTable();
    db.SetStatementCacheLimit(2);
    auto run = [&](int n) {
        StatementLease q = db.Lease("SELECT " + std::to_string(n));
        const int runs = Runs(q);
        q->Execute();
        return runs;
    };
    run(1);
    run(2);
    run(1);   // 1 leased after 2
    run(3);   // 2 goes
    EXPECT_EQ(db.CachedStatementCount(), 2u);
    EXPECT_EQ(run(1), 2);
    EXPECT_EQ(run(3), 1);
    EXPECT_EQ(run(2), 0) << "prepared again";

    db.SetStatementCacheLimit(0);
    EXPECT_EQ(db.CachedStatementCount(), 0u);
    EXPECT_EQ(run(1), 0);
    EXPECT_EQ(LiveStatements(db), 0);
}

TEST_F(SqliteTest, AStatementPreparedAgainThroughItsLeaseIsNotCachedUnderTheOldText) {
    Connection db = OpenWithTable();
    {
        StatementLease q = db.Lease("SELECT 1");
        q->Prepare(db, "SELECT 2");
    }
    EXPECT_EQ(db.CachedStatementCount(), 0u);
    StatementLease q = db.Lease("SELECT 1");
    ASSERT_TRUE(q->Step());
    EXPECT_EQ(q->GetInt(0), 1);
}

TEST_F(SqliteTest, AFailingPrepareLeavesNothingInTheCache) {
    Connection db = OpenWithTable();
    EXPECT_THROW(db.Lease("SELECT Nope FROM Missing"), DatabaseError);
    EXPECT_THROW(db.Lease("SELECT 1; SELECT 2"), DatabaseError);
    EXPECT_EQ(db.CachedStatementCount(), 0u);
    Connection closed;
    EXPECT_THROW(closed.Lease("SELECT 1"), DatabaseError);
}

TEST_F(SqliteTest, ASavepointRollsBackAfterTheLeasesInsideItEnd) {
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K) VALUES (1), (2)");
    const std::string rowsSql = "SELECT K FROM T ORDER BY K";
    try {
        platform::Savepoint sp(db);
        StatementLease insert = db.Lease("INSERT INTO T (K) VALUES (:K)");
        insert->BindInt64("K", 9);
        insert->Execute();
        StatementLease rows = db.Lease(rowsSql);
        ASSERT_TRUE(rows->Step());   // still stepping when the exception leaves
        throw std::runtime_error("operation failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM T"), "1,2");

    // The same with the lease still out when the savepoint rolls back.
    {
        StatementLease rows;
        {
            platform::Savepoint sp(db);
            db.Execute("INSERT INTO T (K) VALUES (8)");
            rows = db.Lease(rowsSql);
            ASSERT_TRUE(rows->Step());
            sp.Rollback();
        }
        EXPECT_EQ(Scalar(db, "SELECT count(*) FROM T"), "2");
    }
    StatementLease rows = db.Lease(rowsSql);
    std::string seen;
    while (rows->Step()) seen += std::to_string(rows->GetInt(0));
    EXPECT_EQ(seen, "12");
}

TEST_F(SqliteTest, ClosingFinalizesTheCachedStatementsAndLeasesMayOutliveIt) {
    const auto before = sqlite3_memory_used();
    {
        Connection db = OpenWithTable();
        for (int n = 0; n < 5; ++n) db.Lease("SELECT " + std::to_string(n))->Execute();
        EXPECT_EQ(db.CachedStatementCount(), 5u);
        EXPECT_EQ(LiveStatements(db), 5);
        StatementLease outliving = db.Lease("SELECT K FROM T");
        db.Close();
        EXPECT_EQ(db.CachedStatementCount(), 0u);
        outliving.Return();   // finalized now; the connection is gone with it

        db.Open(File());
        StatementLease q = db.Lease("SELECT 0");
        EXPECT_EQ(Runs(q), 0) << "a new cache after reopening";
        EXPECT_EQ(LiveStatements(db), 1);
    }
    EXPECT_EQ(sqlite3_memory_used(), before) << "nothing of the connection is left";

    // A lease may outlive its connection object too.
    std::optional<StatementLease> lease;
    {
        Connection db(File("other.db"), OpenMode::Create);
        lease = db.Lease("SELECT 1");
        Connection moved(std::move(db));
        ASSERT_TRUE((*lease)->Step());
    }
    lease.reset();
    EXPECT_EQ(sqlite3_memory_used(), before);
}

// ---- Savepoints, transactions, backup -----------------------------------------------------------

TEST_F(SqliteTest, SavepointRollsBackWhenLeftByAnException) {
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K) VALUES (1)");
    try {
        platform::Savepoint sp(db);
        db.Execute("INSERT INTO T (K) VALUES (2)");
        db.Execute("UPDATE T SET S = 'changed'");
        throw std::runtime_error("operation failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(db.InTransaction());
    EXPECT_EQ(Scalar(db, "SELECT count(*) || coalesce(max(S), '-') FROM T"), "1-");
}

TEST_F(SqliteTest, ReleasedSavepointKeepsItsChanges) {
    Connection db = OpenWithTable();
    {
        platform::Savepoint sp(db);
        EXPECT_TRUE(sp.IsActive());
        db.Execute("INSERT INTO T (K) VALUES (1)");
        sp.Release();
        EXPECT_FALSE(sp.IsActive());
        EXPECT_THROW(sp.Release(), DatabaseError);
    }
    EXPECT_FALSE(db.InTransaction());
    Connection other(File());
    EXPECT_EQ(Scalar(other, "SELECT count(*) FROM T"), "1");   // committed: another connection sees it
}

TEST_F(SqliteTest, NestedSavepointsRollBackOnlyTheInnerWork) {
    Connection db = OpenWithTable();
    {
        platform::Savepoint outer(db);
        db.Execute("INSERT INTO T (K) VALUES (1)");
        {
            platform::Savepoint inner(db);
            EXPECT_NE(inner.GetName(), outer.GetName());
            db.Execute("INSERT INTO T (K) VALUES (2)");
        }   // not released: rolled back
        {
            platform::Savepoint inner(db);
            db.Execute("INSERT INTO T (K) VALUES (3)");
            inner.Release();
        }
        EXPECT_TRUE(db.InTransaction());
        outer.Release();
    }
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM (SELECT K FROM T ORDER BY K)"), "1,3");

    {
        platform::Savepoint outer(db);
        db.Execute("INSERT INTO T (K) VALUES (4)");
        platform::Savepoint inner(db);
        db.Execute("INSERT INTO T (K) VALUES (5)");
        inner.Release();
        outer.Rollback();   // the released inner work goes with it
    }
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM (SELECT K FROM T ORDER BY K)"), "1,3");
}

// A full disk (here the database's page limit) ends the transaction, whether SQLite ends it or not:
// what the scopes say afterwards is that first failure, and nothing more is written under them.
TEST_F(SqliteTest, AFullDatabaseEndsTheTransactionAndItsScopesSayIt) {
    Connection db = OpenWithTable();
    db.Execute("INSERT INTO T (K, S) VALUES (1, 'kept')");
    db.Execute("PRAGMA max_page_count = " + Scalar(db, "PRAGMA page_count"));
    const std::string full = "database or disk is full";
    {
        platform::Transaction transaction(db);
        platform::Savepoint batch(db);
        {
            platform::Savepoint record(db);
            EXPECT_NE(ErrorText([&] { db.Execute("INSERT INTO T (K, B) VALUES (2, zeroblob(100000))"); }).find(full), std::string::npos);
            EXPECT_FALSE(db.InTransaction());
            EXPECT_TRUE(db.TransactionLost());
            EXPECT_EQ(ErrorText([&] { record.Release(); }).rfind(full, 0), 0u) << "not 'no such savepoint'";
        }
        EXPECT_EQ(ErrorText([&] { platform::Savepoint replay(db); }).rfind(full, 0), 0u) << "no transaction of its own";
        EXPECT_EQ(ErrorText([&] { db.Execute("INSERT INTO T (K) VALUES (3)"); }).rfind(full, 0), 0u)
            << "nothing runs in autocommit";
        EXPECT_EQ(ErrorText([&] { batch.Release(); }).rfind(full, 0), 0u);
        try {
            transaction.Commit();
            ADD_FAILURE() << "committed";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(platform::KindOfFailure(error.Code()), platform::FailureKind::Full);
        }
    }
    EXPECT_FALSE(db.TransactionLost());
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM T"), "1");
    platform::Savepoint next(db);   // once every scope has ended, a new transaction begins
    db.Execute("INSERT INTO T (K) VALUES (4)");
    next.Release();
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM T"), "1,4");
}

TEST_F(SqliteTest, SavepointNamesAreReusedOnceTheirSavepointEnded) {
    Connection db = OpenWithTable();
    std::string first;
    {
        platform::Savepoint a(db);
        first = a.GetName();
        platform::Savepoint b(db);
        EXPECT_NE(b.GetName(), first);
        b.Release();
        platform::Savepoint c(db);
        EXPECT_EQ(c.GetName(), b.GetName()) << "the name of an ended savepoint comes back";
        db.Execute("INSERT INTO T (K) VALUES (1)");
        c.Rollback();
        db.Execute("INSERT INTO T (K) VALUES (2)");
        a.Release();
    }
    platform::Savepoint d(db);
    EXPECT_EQ(d.GetName(), first);
    d.Release();
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM T"), "2");
    EXPECT_FALSE(db.InTransaction());
}

TEST_F(SqliteTest, SavepointsRestoreMoreThanTheirJournalKeepsInMemoryAtFirst) {
    // Statement journals past 64 KiB (each savepoint below changes some 100 pages), in SQLite's
    // memory and in the connection's own buffer (UseOwnStatementJournal).
    for (const bool own : {false, true}) {
        SCOPED_TRACE(own ? "own journal" : "SQLite's journal");
        const std::string name = own ? "own.db" : "test.db";
        Connection db = OpenWithTable(name);
        if (own) db.UseOwnStatementJournal();
        EXPECT_EQ(Scalar(db, "PRAGMA temp_store"), own ? "1" : "2");
        db.Execute("PRAGMA cache_size = 20");   // a small cache spills changed pages on the way too
        {
            Statement insert(db, "INSERT INTO T (K, S, B) VALUES (:K, 'v0', zeroblob(300))");
            platform::Transaction fill(db);
            for (int k = 1; k <= 1200; ++k) {
                insert.Reset();
                insert.BindInt64("K", k);
                insert.Execute();
            }
            fill.Commit();
        }
        const std::string summary =
            "SELECT group_concat(S || ':' || n) FROM (SELECT S, count(*) AS n FROM T GROUP BY S)";
        platform::Transaction tx(db);
        for (int round = 1; round <= 3; ++round) {
            platform::Savepoint all(db);
            db.Execute("UPDATE T SET S = 'r" + std::to_string(round) + "', B = randomblob(300)");
            all.Rollback();
            EXPECT_EQ(Scalar(db, summary), "v0:1200") << round;
        }
        {
            platform::Savepoint outer(db);
            db.Execute("UPDATE T SET S = 'outer' WHERE K <= 600");
            {
                platform::Savepoint inner(db);
                db.Execute("UPDATE T SET S = 'inner', B = randomblob(300)");
                inner.Rollback();
            }
            EXPECT_EQ(Scalar(db, summary), "outer:600,v0:600");
            {
                platform::Savepoint inner(db);
                db.Execute("UPDATE T SET S = 'kept' WHERE K > 1100");
                inner.Release();
            }
            outer.Release();
        }
        {
            platform::Savepoint last(db);
            db.Execute("DELETE FROM T WHERE K > 1000");
            last.Rollback();
        }
        tx.Commit();
        Connection other(File(name));
        EXPECT_EQ(Scalar(other, summary), "kept:100,outer:600,v0:500");
        EXPECT_EQ(Scalar(other, "SELECT count(*) || '/' || sum(length(B)) FROM T"), "1200/360000");
    }
}

TEST_F(SqliteTest, TransactionCommitsOrRollsBack) {
    Connection db = OpenWithTable();
    {
        platform::Transaction tx(db);
        EXPECT_TRUE(db.InTransaction());
        db.Execute("INSERT INTO T (K) VALUES (1)");
    }
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM T"), "0");
    {
        platform::Transaction tx(db);
        db.Execute("INSERT INTO T (K) VALUES (1)");
        platform::Savepoint sp(db);
        db.Execute("INSERT INTO T (K) VALUES (2)");
        sp.Rollback();
        tx.Commit();
        EXPECT_FALSE(tx.IsActive());
    }
    EXPECT_EQ(Scalar(db, "SELECT group_concat(K) FROM T"), "1");
    EXPECT_FALSE(db.InTransaction());
}

TEST_F(SqliteTest, BackupCopiesEverythingIncludingUncheckpointedWal) {
    Connection source = OpenWithTable();
    source.Execute("PRAGMA wal_autocheckpoint = 0");
    for (int k = 1; k <= 500; ++k)
        source.Execute("INSERT INTO T (K, S, R) VALUES (" + std::to_string(k) + ", 'row', " + std::to_string(k) + ".5)");
    ASSERT_GT(fs::file_size(File() + "-wal"), 0u);

    Connection dest(File("copy.db"), OpenMode::Create);
    dest.Execute("CREATE TABLE Old (X); INSERT INTO Old VALUES (1)");
    platform::BackupDatabase(source, dest);
    EXPECT_FALSE(dest.TableExists("Old"));
    EXPECT_EQ(Scalar(dest, "SELECT count(*) || '/' || sum(R) FROM T"), "500/125500.0");
    dest.Close();
    Connection reopened(File("copy.db"));
    EXPECT_EQ(Scalar(reopened, "SELECT count(*) FROM T"), "500");
    EXPECT_EQ(Scalar(reopened, "PRAGMA journal_mode"), "wal");
}

// ---- Write-protected folders --------------------------------------------------------------------

// A writer killed after committing 20 rows leaves them in the -wal. With the folder write-protected,
// every open shows them whatever lies beside the file, and writes nothing there; where no -shm can
// be read they come from one private copy, shared, kept while the pool retains the file, then gone.
TEST_F(SqliteTest, AKilledWritersRowsShowInAWriteProtectedFolderWhateverLiesBesideTheFile) {
    enum class Beside { NoShm, ForeignShm, ReadableShm, EmptyWal };
    const struct {
        const char* name;
        Beside beside;
        bool copied;
    } cases[] = {{"no-shm", Beside::NoShm, true},
                 {"foreign-shm", Beside::ForeignShm, geteuid() == 0},   // root's -shm, read by nobody
                 {"readable-shm", Beside::ReadableShm, false},
                 {"empty-wal", Beside::EmptyWal, false}};
    const fs::path copies = dir_ / "tmp";
    fs::create_directory(copies);
    fs::permissions(copies, fs::perms::all);
    fs::permissions(dir_, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const TempFolderScope temp(copies.string());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir_ / c.name;
        fs::create_directory(folder);
        const std::string file = (folder / "test.db").string();
        Connection(file, OpenMode::Create).Execute("CREATE TABLE T (K INTEGER PRIMARY KEY)");
        RunInChild([&] {
            Connection writer(file);
            for (int i = 0; i < 20; ++i) writer.Execute("INSERT INTO T DEFAULT VALUES");
            if (c.beside == Beside::EmptyWal) writer.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
            raise(SIGKILL);
            return 0;
        });
        if (c.beside == Beside::NoShm || c.beside == Beside::EmptyWal) fs::remove(file + "-shm");
        if (c.beside == Beside::ForeignShm) fs::permissions(file + "-shm", fs::perms::owner_read | fs::perms::owner_write);
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        const auto before = FolderContent(folder.string());
        {
            const Unprivileged nobody;
            if (Unprivileged::CanWrite(folder.string())) GTEST_SKIP() << "this user writes a folder whatever its mode";
            platform::ConnectionPool::Retain(file);
            for (const OpenMode mode : {OpenMode::ReadOnly, OpenMode::ReadWriteOrReadOnly}) {
                Connection one(file, mode);
                Connection two(file, mode);
                EXPECT_EQ(Scalar(one, "SELECT count(*) FROM T") + Scalar(two, "SELECT count(*) FROM T"), "2020");
                EXPECT_EQ(two.IsImmutable(), c.copied || c.beside == Beside::EmptyWal);
                EXPECT_EQ(std::distance(fs::directory_iterator(copies), {}), c.copied ? 1 : 0);
            }
            EXPECT_EQ(std::distance(fs::directory_iterator(copies), {}), c.copied ? 1 : 0);
            platform::ConnectionPool::Release(file);
            EXPECT_TRUE(fs::is_empty(copies));
        }
        EXPECT_EQ(FolderContent(folder.string()), before);
    }
}

// A copy holds what SQLite reads of the file and its -wal, nothing of a sparse tail, and is refused
// where it would not leave room; the copies of a killed program go at the next start, those of a
// living one stay.
TEST_F(SqliteTest, AReadCopyIsBoundedAndOutlivesNoProgram) {
    const fs::path copies = dir_ / "tmp";
    fs::create_directory(copies);
    fs::permissions(copies, fs::perms::all);
    fs::permissions(dir_, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const TempFolderScope temp(copies.string());
    // Two databases whose writer was killed with 20 rows in the -wal, in write-protected folders.
    std::vector<std::string> files;
    for (const char* name : {"one", "two"}) {
        const fs::path folder = dir_ / name;
        fs::create_directory(folder);
        const std::string file = (folder / "test.db").string();
        Connection(file, OpenMode::Create).Execute("CREATE TABLE T (K INTEGER PRIMARY KEY, S TEXT)");
        RunInChild([&] {
            Connection writer(file);
            for (int i = 0; i < 20; ++i) writer.Execute("INSERT INTO T (S) VALUES (hex(randomblob(200)))");
            raise(SIGKILL);
            return 0;
        });
        fs::remove(file + "-shm");
        fs::resize_file(file + "-wal", fs::file_size(file + "-wal") + (std::uint64_t{4} << 30));   // sparse
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        files.push_back(file);
    }
    const Unprivileged nobody;
    if (Unprivileged::CanWrite((dir_ / "one").string())) GTEST_SKIP() << "this user writes a folder whatever its mode";
    const auto copyFolders = [&] {
        std::vector<fs::path> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(copies)) found.push_back(entry.path());
        return found;
    };

    // A killed reader leaves its copy; the copy holds the 20 rows and not the sparse tail.
    RunInChild([&] {
        Connection reader(files[0], OpenMode::ReadOnly);
        if (Scalar(reader, "SELECT count(*) FROM T") != "20") return 1;
        raise(SIGKILL);
        return 0;
    });
    ASSERT_EQ(copyFolders().size(), 1u);
    const fs::path killed = copyFolders().front();
    EXPECT_LT(fs::file_size(killed / "test.db-wal"), std::uintmax_t{1} << 20);
    // A living one's copy, a folder another program is making (no lock yet) and one an older
    // program left (no lock, long ago).
    Connection living(files[1], OpenMode::ReadOnly);
    EXPECT_EQ(Scalar(living, "SELECT count(*) FROM T"), "20");
    fs::create_directory(copies / "vektara-read-making");
    fs::create_directory(copies / "vektara-read-old");
    fs::last_write_time(copies / "vektara-read-old", fs::file_time_type::clock::now() - std::chrono::hours(2));
    platform::RemoveStaleReadCopies();   // the first copy of the process may have already
    std::vector<fs::path> left = copyFolders();
    // The living copy's name is random: it may sort before or after the one being made.
    std::partition(left.begin(), left.end(), [&](const fs::path& p) { return p == copies / "vektara-read-making"; });
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], copies / "vektara-read-making");
    EXPECT_NE(left[1], killed);
    EXPECT_EQ(Scalar(living, "SELECT count(*) FROM T"), "20");
    living.Close();
    EXPECT_EQ(copyFolders(), std::vector<fs::path>{copies / "vektara-read-making"});
}

// On a temporary folder's disk that the copy would leave too full, the open is refused and says so.
TEST_F(SqliteTest, AReadCopyThatWouldFillTheDiskIsRefused) {
    const fs::path copies = dir_ / "small";
    fs::create_directory(copies);
    if (geteuid() != 0 || mount("tmpfs", copies.c_str(), "tmpfs", 0, "size=16m,mode=1777") != 0)
        GTEST_SKIP() << "a small disk needs root (mount tmpfs)";
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{copies.string()};
    fs::permissions(dir_, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    const TempFolderScope temp(copies.string());
    const fs::path folder = dir_ / "db";
    fs::create_directory(folder);
    const std::string file = (folder / "test.db").string();
    Connection(file, OpenMode::Create).Execute("CREATE TABLE T (K INTEGER PRIMARY KEY)");
    RunInChild([&] {
        Connection writer(file);
        writer.Execute("INSERT INTO T DEFAULT VALUES");
        raise(SIGKILL);
        return 0;
    });
    fs::remove(file + "-shm");
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const Unprivileged nobody;
    try {
        Connection reader(file, OpenMode::ReadOnly);
        ADD_FAILURE() << "opened";
    } catch (const platform::ReadCopyError& error) {
        EXPECT_EQ(platform::KindOfFailure(error.Code()), platform::FailureKind::Full);
        EXPECT_NE(std::string(error.what()).find("Not enough free space"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(fs::is_empty(copies));
}

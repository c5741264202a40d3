#include "data/Mvkttables.h"

#include "data/Vkttabledefine.h"
#include "platform/Guid.h"
#include "platform/Sqlite.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using platform::Connection;
using platform::Statement;

namespace {

class TablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = temp_.Make("vkt_tables");
        folder_ = (root_ / "db").string();
        fs::create_directory(folder_);
    }
    void TearDown() override {
        temp_.Remove();
    }

    std::string MakeFolder(const std::string& name) {
        std::string path = (root_ / name).string();
        fs::create_directory(path);
        return path;
    }
    static void Touch(const std::string& folder, const std::string& name) {
        std::FILE* f = std::fopen((fs::path(folder) / name).c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    static std::string Scalar(Connection& db, const std::string& sql) {
        Statement q(db, sql);
        EXPECT_TRUE(q.Step()) << sql;
        return q.IsNull(0) ? "<null>" : q.GetText(0);
    }
    static std::vector<TVktTable> Stored() {
        std::vector<TVktTable> tables;
        for (int i = 1; i <= 18; ++i) tables.push_back(ToVktTable(i));
        return tables;
    }
    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }
    // The file names of the stored tables, sorted.
    static std::vector<std::string> StoredNames() {
        std::vector<std::string> names;
        for (TVktTable table : Stored()) names.push_back(GetTableFileName(table));
        return Sorted(names);
    }
    // Fills a created database: a record, a food row and the settings rows 0 and 1.
    static void Fill(const std::string& folder, bool withRowOne = true) {
        Connection db = Connection::OpenFolder(folder);
        db.Execute("INSERT INTO VktDB1A (Class_ID, TreeID, ClassType, Class) VALUES (1, '01', 0, 'root')");
        db.Execute("INSERT INTO VktDB1F (Data_ID, Conserve, InvItem, Class_Key, Data, UsePrice, CreateDate) "
                   "VALUES (5, 0, 1, 1, 'Butter', 100.0, '2024-03-31 09:05:00')");
        db.Execute("INSERT INTO VktDB1K (Food_Key, BuyPrice, Quantity, Yield) VALUES (5, 300, 1, 80)");
        db.Execute("INSERT INTO VktDB1R (Initial_ID, Initial) VALUES (0, 'DataBase=1')");
        if (withRowOne) db.Execute("INSERT INTO VktDB1R (Initial_ID, Initial) VALUES (1, '{OLD-ID}')");
    }

    TVktTblFunctor& functor_ = GetVktTblFunctor();
    fs::path root_;
    vkttest::TempFolder temp_;
    std::string folder_;
};

// The declared column type of each field type: the affinity the storage rules require.
std::string ExpectedType(TVktField field) {
    static const std::map<platform::FieldType, std::string> kDeclared = {
        {platform::FieldType::SmallInt, "SMALLINT"}, {platform::FieldType::Integer, "INTEGER"},
        {platform::FieldType::Boolean, "BOOLEAN"},   {platform::FieldType::Float, "REAL"},
        {platform::FieldType::Currency, "REAL"},     {platform::FieldType::Date, "TEXT"},
        {platform::FieldType::DateTime, "TEXT"},     {platform::FieldType::Memo, "TEXT"},
        {platform::FieldType::Graphic, "BLOB"},      {platform::FieldType::FmtMemo, "BLOB"},
    };
    if (GetFieldType(field) == platform::FieldType::String)
        return "VARCHAR(" + std::to_string(GetFieldSize(field)) + ")";
    const auto it = kDeclared.find(GetFieldType(field));
    return it == kDeclared.end() ? "?" : it->second;
}

} // namespace

TEST_F(TablesTest, GetVktTblFunctorIsOneInstance) {
    EXPECT_EQ(&GetVktTblFunctor(), &GetVktTblFunctor());
}

TEST_F(TablesTest, CreatedTablesFollowTheSchema) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    EXPECT_TRUE(functor_.TablesExist(folder_));
    Connection db = Connection::OpenFolder(folder_);
    for (TVktTable table : Stored()) {
        const std::string file = GetTableFileName(table);
        Statement info(db, "PRAGMA table_info(" + platform::QuoteIdentifier(file) + ")");
        const int first = ToInt(GetTableFirstField(table));
        int position = 0;
        while (info.Step()) {
            ASSERT_LT(position, GetTableFieldCount(table)) << file;
            const TVktField field = ToVktField(first + position);
            EXPECT_EQ(info.GetText("name"), GetFieldName(field)) << file;
            EXPECT_EQ(info.GetText("type"), ExpectedType(field)) << file << "." << GetFieldName(field);
            // pk gives the 1-based position in the primary key, 0 outside it.
            EXPECT_EQ(info.GetInt("pk"), position < GetTableKeyCount(table) ? position + 1 : 0)
                << file << "." << GetFieldName(field);
            ++position;
        }
        EXPECT_EQ(position, GetTableFieldCount(table)) << file;
    }
    // The stored tables and no other: the unit views and the computed fields produce nothing.
    EXPECT_EQ(Sorted(db.TableNames()), StoredNames());
    EXPECT_FALSE(db.TableExists("TblForm"));
    // Besides the primary keys' own: the records a recipe or menu uses, the classes by tree index
    // and by name, and the monthly history by date.
    EXPECT_EQ(Scalar(db, "SELECT group_concat(tbl_name || '.' || name) FROM sqlite_master WHERE type = 'index' "
                         "AND name NOT LIKE 'sqlite\\_autoindex\\_%' ESCAPE '\\'"),
              "VktDB1O.VktDB1O_Data_Key,VktDB1A.VktDB1A_TreeID,VktDB1A.VktDB1A_Class,VktDB1L.VktDB1L_MHistoryDate");
    EXPECT_EQ(Scalar(db, "SELECT group_concat(name) FROM pragma_index_info('VktDB1A_TreeID')"), "TreeID");
    EXPECT_EQ(Scalar(db, "SELECT group_concat(name) FROM pragma_index_info('VktDB1O_Data_Key')"), "Data_Key");
    // A few columns spelled out, independent of the schema lookups.
    EXPECT_EQ(Scalar(db, "SELECT type FROM pragma_table_info('VktDB1F') WHERE name = 'Data'"), "VARCHAR(50)");
    EXPECT_EQ(Scalar(db, "SELECT type FROM pragma_table_info('VktDB1F') WHERE name = 'UsePrice'"), "REAL");
    EXPECT_EQ(Scalar(db, "SELECT type FROM pragma_table_info('VktDB1K') WHERE name = 'Yield'"), "REAL");
    EXPECT_EQ(Scalar(db, "SELECT type FROM pragma_table_info('VktDB1F') WHERE name = 'Conserve'"), "BOOLEAN");
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM pragma_table_info('VktDB1F') WHERE pk > 0"), "11");
    EXPECT_EQ(Scalar(db, "SELECT group_concat(name) FROM (SELECT name FROM pragma_table_info('VktDB1J') "
                         "WHERE pk > 0 ORDER BY pk)"),
              "Attribute_Key,AttrItem_Key");
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM pragma_table_info('VktDB1N') WHERE name = 'CostRate'"), "0");
    EXPECT_EQ(Scalar(db, "SELECT count(*) FROM pragma_table_info('VktDB1R') WHERE name = 'Initial' "
                         "AND type = 'TEXT'"),
              "1");
}

TEST_F(TablesTest, DivisionOnFloatAndCurrencyColumnsIsNeverIntegerDivision) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Fill(folder_);
    Connection db = Connection::OpenFolder(folder_);
    EXPECT_EQ(Scalar(db, "SELECT 100 / Yield FROM VktDB1K"), "1.25");
    EXPECT_EQ(Scalar(db, "SELECT typeof(BuyPrice) FROM VktDB1K"), "real");   // 300 stored as REAL
    Statement q(db, "SELECT UsePrice / BuyPrice FROM VktDB1F, VktDB1K WHERE Food_Key = Data_ID");
    ASSERT_TRUE(q.Step());
    EXPECT_DOUBLE_EQ(q.GetDouble(0), 100.0 / 300.0);
}

TEST_F(TablesTest, TablesExistNeedsTheFileWithEveryTable) {
    EXPECT_FALSE(functor_.TablesExist(folder_));   // empty folder
    const std::string missing = (root_ / "missing").string();
    EXPECT_FALSE(functor_.TablesExist(missing));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_FALSE(functor_.CreateTables(missing));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(fs::is_empty(folder_));   // asking created no file

    ASSERT_TRUE(functor_.CreateTables(folder_));
    {
        Connection db = Connection::OpenFolder(folder_);
        db.Execute("DROP TABLE VktDB1R");
    }
    EXPECT_FALSE(functor_.TablesExist(folder_));   // lacking only VktDB1R is not current
    {
        Connection db = Connection::OpenFolder(folder_);
        db.Execute("CREATE TABLE vktdb1r (X)");     // table names compare regardless of case
    }
    EXPECT_TRUE(functor_.TablesExist(folder_));
}

TEST_F(TablesTest, TablesExistIsFalseForAFileThatIsNotADatabase) {
    std::FILE* f = std::fopen(platform::DatabaseFilePath(folder_).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("Paradox? No, just some bytes that SQLite will refuse as a database header....", f);
    std::fclose(f);
    EXPECT_FALSE(functor_.TablesExist(folder_));
    EXPECT_FALSE(functor_.CreateTables(folder_));
}

TEST_F(TablesTest, OldTablesExistNeedsAllSixteenFilesInAnyCase) {
    EXPECT_FALSE(functor_.OldTablesExist(folder_));
    EXPECT_FALSE(functor_.OldTablesExist((root_ / "missing").string()));
    for (int i = 1; i <= 16; ++i) {
        if (i == 10) continue;
        std::string name = (i < 10 ? "Vktdb0" : "Vktdb") + std::to_string(i) + ".db";
        if (i % 3 == 0) name = "VKTDB" + name.substr(5, 2) + ".DB";
        if (i % 3 == 1) name = "vktdb" + name.substr(5, 2) + ".db";
        Touch(folder_, name);
    }
    Touch(folder_, "Vktdb010.db");   // the zero goes before one-digit numbers only
    Touch(folder_, "Vktdb1.db");
    EXPECT_FALSE(functor_.OldTablesExist(folder_));
    Touch(folder_, "vKtDb10.Db");
    EXPECT_TRUE(functor_.OldTablesExist(folder_));
    EXPECT_FALSE(functor_.TablesExist(folder_));   // old files are not a current database
}

TEST_F(TablesTest, CreateTablesOverAFilledDatabaseLeavesEmptyTables) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Fill(folder_);
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Connection db = Connection::OpenFolder(folder_);
    for (TVktTable table : Stored())
        EXPECT_EQ(Scalar(db, "SELECT count(*) FROM " + GetTableFileName(table)), "0") << GetTableFileName(table);
    EXPECT_EQ(Sorted(db.TableNames()), StoredNames());
}

TEST_F(TablesTest, CreateTablesRestoresADamagedTable) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    {
        Connection db = Connection::OpenFolder(folder_);
        db.Execute("DROP TABLE VktDB1C; CREATE TABLE VktDB1C (Wrong INTEGER)");
    }
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Connection db = Connection::OpenFolder(folder_);
    EXPECT_EQ(Scalar(db, "SELECT group_concat(name) FROM pragma_table_info('VktDB1C')"),
              "Dealer_ID,Company,Dealer,PostCode,Address,Tel,Tel2,Fax,EMail");
}

TEST_F(TablesTest, CopyTablesCopiesEveryRowAndGivesANewId) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Fill(folder_);
    const std::string dest = MakeFolder("copy");
    ASSERT_TRUE(functor_.CreateTables(dest));
    ASSERT_TRUE(functor_.CopyTables(folder_, dest));
    EXPECT_TRUE(functor_.TablesExist(dest));

    Connection copy = Connection::OpenFolder(dest);
    Connection original = Connection::OpenFolder(folder_);
    for (TVktTable table : Stored()) {
        const std::string sql = "SELECT count(*) FROM " + GetTableFileName(table);
        EXPECT_EQ(Scalar(copy, sql), Scalar(original, sql)) << GetTableFileName(table);
    }
    EXPECT_EQ(Scalar(copy, "SELECT Data || '|' || UsePrice || '|' || CreateDate FROM VktDB1F"),
              "Butter|100.0|2024-03-31 09:05:00");
    EXPECT_EQ(Scalar(copy, "SELECT Initial FROM VktDB1R WHERE Initial_ID = 0"), "DataBase=1");
    const std::string id = Scalar(copy, "SELECT Initial FROM VktDB1R WHERE Initial_ID = 1");
    EXPECT_TRUE(platform::IsGuidText(id)) << id;
    EXPECT_EQ(Scalar(original, "SELECT Initial FROM VktDB1R WHERE Initial_ID = 1"), "{OLD-ID}");

    // A second copy gets yet another id.
    const std::string dest2 = MakeFolder("copy2");
    ASSERT_TRUE(functor_.CopyTables(folder_, dest2));
    Connection copy2 = Connection::OpenFolder(dest2);
    EXPECT_NE(Scalar(copy2, "SELECT Initial FROM VktDB1R WHERE Initial_ID = 1"), id);
}

TEST_F(TablesTest, CopyTablesWithoutSettingsRowOneLeavesTheSettingsAlone) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Fill(folder_, false);
    const std::string dest = MakeFolder("copy");   // no database yet: the copy creates it
    ASSERT_TRUE(functor_.CopyTables(folder_, dest));
    Connection copy = Connection::OpenFolder(dest);
    EXPECT_EQ(Scalar(copy, "SELECT group_concat(Initial_ID || '=' || Initial) FROM VktDB1R"), "0=DataBase=1");
}

TEST_F(TablesTest, CopyTablesFailures) {
    const std::string dest = MakeFolder("copy");
    EXPECT_FALSE(functor_.CopyTables(folder_, dest));   // no source database
    EXPECT_FALSE(fs::exists(platform::DatabaseFilePath(dest)));

    ASSERT_TRUE(functor_.CreateTables(folder_));
    Fill(folder_);
    EXPECT_FALSE(functor_.CopyTables(folder_, (root_ / "missing").string()));
    EXPECT_FALSE(fs::exists(root_ / "missing"));

    // The same folder (under another spelling): refused, the data stays.
    EXPECT_FALSE(functor_.CopyTables(folder_, folder_ + "/."));
    {
        Connection db = Connection::OpenFolder(folder_);
        EXPECT_EQ(Scalar(db, "SELECT Initial FROM VktDB1R WHERE Initial_ID = 1"), "{OLD-ID}");
    }

    // A source lacking a stored table is not copied.
    {
        Connection db = Connection::OpenFolder(folder_);
        db.Execute("DROP TABLE VktDB1Q");
    }
    EXPECT_FALSE(functor_.CopyTables(folder_, dest));
    EXPECT_FALSE(fs::exists(platform::DatabaseFilePath(dest)));
}

TEST_F(TablesTest, DeleteTablesLeavesNoFileBehind) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    Fill(folder_);
    Touch(folder_, "other.txt");
    functor_.DeleteTables(folder_);
    EXPECT_FALSE(functor_.TablesExist(folder_));
    const std::string file = platform::DatabaseFilePath(folder_);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(file + "-wal"));
    EXPECT_FALSE(fs::exists(file + "-shm"));
    EXPECT_TRUE(fs::exists(fs::path(folder_) / "other.txt"));   // only the database goes

    functor_.DeleteTables(folder_);   // nothing there: no effect, no error
    functor_.DeleteTables((root_ / "missing").string());
    EXPECT_FALSE(fs::exists(root_ / "missing"));
}

TEST_F(TablesTest, DeleteTablesStopsAtAMissingTableAndKeepsTheFile) {
    ASSERT_TRUE(functor_.CreateTables(folder_));
    {
        Connection db = Connection::OpenFolder(folder_);
        db.Execute("DROP TABLE VktDB1C");
    }
    functor_.DeleteTables(folder_);
    Connection db = Connection::OpenFolder(folder_);
    EXPECT_FALSE(db.TableExists("VktDB1A"));
    EXPECT_FALSE(db.TableExists("VktDB1B"));
    EXPECT_TRUE(db.TableExists("VktDB1D"));
    EXPECT_TRUE(db.TableExists("VktDB1R"));
}

namespace {
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

// A creation that fails part-way leaves the folder as it was: the files it made are gone, what the
// user had there is untouched.
TEST_F(TablesTest, AFailedCreationLeavesTheFolderAsItWas) {
    // A new database whose write-ahead log cannot be made: the first table fails.
    Touch(folder_, "notes.txt");
    fs::create_directory(fs::path(platform::DatabaseFilePath(folder_) + "-wal"));
    const std::vector<std::string> before = Entries(folder_);
    EXPECT_FALSE(functor_.CreateTables(folder_));
    EXPECT_EQ(Entries(folder_), before);

    // An existing database where one of the tables is the user's view: nothing of it changes.
    const std::string other = MakeFolder("other");
    {
        Connection db(platform::DatabaseFilePath(other), platform::OpenMode::Create);
        db.Execute("CREATE TABLE VktDB1A (x INTEGER)");
        db.Execute("INSERT INTO VktDB1A VALUES (7)");
        db.Execute("CREATE VIEW VktDB1F AS SELECT x FROM VktDB1A");
    }
    const std::vector<std::string> kept = Entries(other);
    EXPECT_FALSE(functor_.CreateTables(other));
    EXPECT_EQ(Entries(other), kept);
    Connection db = Connection::OpenFolder(other);
    EXPECT_EQ(Scalar(db, "SELECT x FROM VktDB1F"), "7");
    EXPECT_FALSE(db.TableExists("VktDB1B"));
}

// The registry's upgrade of an old-format database (through GetObject and the shell), and the
// move and copy of a database to another folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "RegistryFixture.h"
#include "ParadoxFixture.h"
#include "data/Mvkttables.h"
#include "data/Vkttabledefine.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Sqlite.h"
#include "support/DataRows.h"

namespace {

namespace fs = std::filesystem;
using Kind = FakeShell::Kind;

const std::string kOldName = "旧データベース";

class TransferTest : public RegistryFixture {
protected:

    // A registered database with the new-database content and a few rows of its own.
    std::string Database(const std::string& name, const std::string& sub) {
        const std::string folder = Folder(sub);
        EXPECT_TRUE(registry->CreateDatabase(name, folder));
        Sql(folder, "insert into VktDB1C (Dealer_ID, Company) values (2, '魚河岸')");
        Sql(folder,
            vkttest::InsertSql(vkttest::DataRow{.Data_ID = 1, .Class_Key = 3, .Data = "牛肉", .UsePrice = 12.5}));
        Sql(folder, "insert into VktDB1H values (1, x'7B5C727466317D')");
        shell->messages.clear();
        return folder;
    }
    // A registered folder holding the sample old-format database.
    std::string OldDatabase(const std::string& sub, const OldDatabaseOptions& options = {}) {
        const std::string folder = Folder(sub);
        WriteOldDatabase(folder, options);
        EXPECT_TRUE(registry->RegisterDatabase(kOldName, folder));
        return folder;
    }

    static void Sql(const std::string& folder, const std::string& sql) {
        platform::Connection db(platform::DatabaseFilePath(folder));
        db.Execute(sql);
    }
    static std::string Text(const std::string& folder, const std::string& sql) {
        platform::Connection db(platform::DatabaseFilePath(folder));
        platform::Statement statement(db, sql);
        return statement.Step() && !statement.IsNull(0) ? statement.GetText(0) : std::string();
    }
    static std::vector<std::string> Rows(const std::string& folder, const std::string& sql) {
        platform::Connection db(platform::DatabaseFilePath(folder));
        platform::Statement statement(db, sql);
        std::vector<std::string> rows;
        while (statement.Step()) {
            std::string row;
            for (int i = 0; i < statement.ColumnCount(); ++i)
                row += (i ? "|" : "") + (statement.IsNull(i) ? std::string("NULL") : statement.GetText(i));
            rows.push_back(row);
        }
        return rows;
    }
    // Every row of every stored table, but the database id (settings row 1).
    static std::vector<std::string> Content(const std::string& folder) {
        std::vector<std::string> rows;
        for (int t = 1; t <= 18; ++t) {
            const std::string table = GetTableFileName(ToVktTable(t));
            const std::string where = t == 18 ? " where Initial_ID <> 1" : "";
            for (const std::string& row : Rows(folder, "select * from " + table + where + " order by rowid"))
                rows.push_back(table + ":" + row);
        }
        return rows;
    }
    static std::string DatabaseID(const std::string& folder) {
        return Text(folder, "select Initial from VktDB1R where Initial_ID = 1");
    }
    // The bytes of the files of a folder that are not the current database.
    static std::map<std::string, std::string> OldFiles(const std::string& folder) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("vektara.db", 0) != 0) files[name] = platform::ReadFileBytes(entry.path().string());
        }
        return files;
    }
    // Files below the folder that this process holds open (deleted ones included).
    static int OpenFilesIn(const std::string& folder) {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const std::string target = fs::read_symlink(entry.path(), error).string();
            if (!error && target.rfind(folder + "/", 0) == 0) ++count;
        }
        return count;
    }
    static bool HasDatabaseFile(const std::string& folder) {
        return fs::exists(platform::DatabaseFilePath(folder));
    }

};

// ---- Upgrade ------------------------------------------------------------------------------------

TEST_F(TransferTest, AnOldFormatDatabaseIsUpgradedWhenItsObjectIsFirstMade) {
    const std::string folder = OldDatabase("old");
    const std::map<std::string, std::string> before = OldFiles(folder);
    ASSERT_EQ(before.size(), 18u);

    TVktObject* object = registry->GetObject(kOldName);
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(shell->messages.size(), 1u);   // the notice, and no error
    EXPECT_EQ(shell->messages[0].kind, Kind::Information);
    EXPECT_EQ(shell->upgrades, std::vector<std::string>{kOldName});
    EXPECT_EQ(registry->GetDatabaseFormat(folder), 2);
    EXPECT_EQ(OldFiles(folder), before);   // the old files stay, unchanged

    EXPECT_EQ(Rows(folder, "select Class_ID, Class, Class2 from VktDB1A where Class_ID in (1, 6) order by Class_ID"),
              (std::vector<std::string>{"1|データベース|Données", "6|ごみ箱|Garbage"}));
    EXPECT_EQ(Rows(folder, "select Units, Units2 from VktDB1B where Units_ID = 3"), std::vector<std::string>{"個|Pièce"});
    EXPECT_EQ(Rows(folder, "select Data, Data2 from VktDB1F where Data_ID = 1"),
              std::vector<std::string>{"牛ヒレ肉|Filet de bœuf"});
    EXPECT_EQ(Text(folder, "select Company from VktDB1C where Dealer_ID = 2"), "築地魚河岸");
    EXPECT_EQ(Rows(folder, "select Attribute from VktDB1D order by AttrItem_ID"),
              (std::vector<std::string>{"国産", "有機"}));
    EXPECT_EQ(Rows(folder, "select Category from VktDB1O order by ItemIndex"), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(Rows(folder, "select InvDate_ID, InvDate from VktDB1E order by InvDate_ID"),
              (std::vector<std::string>{"1|2001-04-30", "2|2001-01-31", "3|2001-03-31"}));
    EXPECT_EQ(Rows(folder, "select Inventory_Key, InvDate_Key from VktDB1Q order by InvDate_Key, Inventory_Key"),
              (std::vector<std::string>{"1|1", "1|2", "1|3", "3|3"}));
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1G"), "1");
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1H"), "3");
    EXPECT_EQ(Text(folder, "select length(Image) from VktDB1I"), "3000");
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1J"), "2");
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1K"), "2");
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1L"), "2");
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1M"), "1");
    EXPECT_EQ(Text(folder, "select TotalPrice from VktDB1N"), "50.75");
    EXPECT_FALSE(object->GetDatabaseID().empty());

    // The object is made once: no second notice, no second upgrade.
    EXPECT_EQ(registry->GetObject(kOldName), object);
    EXPECT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->upgrades.size(), 1u);
}

TEST_F(TransferTest, AFailedUpgradeLeavesTheFolderOldFormatAndCanBeRetried) {
    const std::string folder = OldDatabase("old", {.foodWithoutYield = true});
    const std::map<std::string, std::string> before = OldFiles(folder);
    bool tablesWhileReported = false;
    shell->onMessage = [&](const FakeShell::Message&) { tablesWhileReported = HasDatabaseFile(folder); };

    EXPECT_FALSE(registry->UpgradeDatabase(kOldName));
    EXPECT_TRUE(tablesWhileReported);   // reported first, then the half-made tables go
    ASSERT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->messages[0].kind, Kind::Error);
    EXPECT_EQ(shell->messages[0].caption, "エラー確認");
    EXPECT_EQ(shell->messages[0].text, "データベース'" + kOldName + "'(" + folder +
                                           ")の初期化に失敗しました。\n\rデータベースの作成はキャンセルします。");
    EXPECT_EQ(registry->GetDatabaseFormat(folder), 1);
    EXPECT_FALSE(HasDatabaseFile(folder));
    EXPECT_EQ(OldFiles(folder), before);

    WriteOldDatabase(folder);
    EXPECT_TRUE(registry->UpgradeDatabase(kOldName));
    EXPECT_EQ(registry->GetDatabaseFormat(folder), 2);
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1K"), "2");
}

// A registry whose conversion writes everything and then raises.
class RaisingConvertRegistry : public TVktApplication {
protected:
    bool ConvertOldData(const std::string& folder) override {
        TVktApplication::ConvertOldData(folder);
        throw platform::DatabaseError("disk I/O error", "insert");
    }
};

TEST_F(TransferTest, AnUpgradeThatRaisesLeavesTheOldDatabaseAsFoundAndReportsOnce) {
    const std::string folder = OldDatabase("old");
    const std::map<std::string, std::string> before = OldFiles(folder);
    {
        RaisingConvertRegistry raising;
        FakeShell& messages = InstallFakeShell(raising);
        ASSERT_TRUE(raising.RegisterDatabase(kOldName, folder));
        EXPECT_THROW(raising.UpgradeDatabase(kOldName), platform::DatabaseError);
        EXPECT_TRUE(messages.messages.empty());   // the error itself reaches the user
        EXPECT_EQ(raising.GetDatabaseFormat(folder), 1);
    }
    EXPECT_EQ(OldFiles(folder), before);
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        EXPECT_FALSE(fs::exists(platform::DatabaseFilePath(folder) + suffix)) << suffix;
    // The folder is upgraded later as if nothing had happened.
    EXPECT_TRUE(registry->UpgradeDatabase(kOldName));
    EXPECT_EQ(Text(folder, "select count(*) from VktDB1K"), "2");
}

TEST_F(TransferTest, TablesThatCannotBeMadeLeaveNoDatabaseFileBehind) {
    const std::string folder = OldDatabase("old");
    const std::map<std::string, std::string> before = OldFiles(folder);
    // A folder in the place of the write-ahead log: the file opens, its tables cannot be made.
    fs::create_directory(platform::DatabaseFilePath(folder) + "-wal");

    EXPECT_FALSE(registry->UpgradeDatabase(kOldName));
    ASSERT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->messages[0].text, "データベース'" + kOldName + "'(" + folder +
                                           ")の作成に失敗しました。\n\rデータベースの作成はキャンセルします。");
    EXPECT_FALSE(HasDatabaseFile(folder));
    EXPECT_TRUE(fs::is_directory(platform::DatabaseFilePath(folder) + "-wal")) << "not the upgrade's to remove";
    EXPECT_EQ(OldFiles(folder), before);
    EXPECT_EQ(registry->GetDatabaseFormat(folder), 1);
}

TEST_F(TransferTest, OnlyOldFormatFoldersAreUpgraded) {
    const std::string current = Database("A", "a");
    const std::vector<std::string> content = Content(current);
    EXPECT_FALSE(registry->UpgradeDatabase("A"));
    EXPECT_EQ(Content(current), content);

    ASSERT_TRUE(registry->RegisterDatabase("Empty", Folder("empty")));
    EXPECT_FALSE(registry->UpgradeDatabase("Empty"));
    EXPECT_FALSE(HasDatabaseFile(root + "/empty"));
    EXPECT_FALSE(registry->UpgradeDatabase("unknown"));
    EXPECT_TRUE(shell->messages.empty());
}

// ---- Copy ---------------------------------------------------------------------------------------

TEST_F(TransferTest, ACopyIsNamedAfterTheDatabaseAndHoldsEveryRowUnderANewId) {
    const std::string a = Database("A", "a");
    const std::string b = Folder("b");
    std::string newName;
    ASSERT_TRUE(registry->CopyDatabase("A", b, newName));
    EXPECT_EQ(newName, "Aのコピー");
    EXPECT_EQ(registry->GetCount(), 2);
    EXPECT_EQ(registry->GetName(1), "Aのコピー");
    EXPECT_EQ(registry->GetPath(1), b);
    EXPECT_EQ(Content(b), Content(a));
    EXPECT_FALSE(DatabaseID(b).empty());
    EXPECT_NE(DatabaseID(b), DatabaseID(a));

    ASSERT_TRUE(registry->CopyDatabase("A", Folder("c"), newName));
    EXPECT_EQ(newName, "Aのコピー1");
    ASSERT_TRUE(registry->CopyDatabase("A", Folder("d"), newName));
    EXPECT_EQ(newName, "Aのコピー2");
    ASSERT_TRUE(registry->CopyDatabase("Aのコピー", Folder("e"), newName));
    EXPECT_EQ(newName, "Aのコピーのコピー");
    EXPECT_TRUE(shell->messages.empty());
}

TEST_F(TransferTest, CopyRefusesMissingRegisteredAndUnconfirmedFolders) {
    const std::string a = Database("A", "a");
    std::string newName;
    EXPECT_FALSE(registry->CopyDatabase("A", root + "/missing", newName));
    EXPECT_FALSE(registry->CopyDatabase("A", a, newName));
    EXPECT_FALSE(registry->CopyDatabase("unknown", Folder("x"), newName));
    EXPECT_THROW(registry->CopyDatabase("A", Folder("y") + "/", newName), platform::SilentAbort);

    // A folder holding an unregistered database is overwritten only when the user agrees.
    const std::string other = Folder("other");
    ASSERT_TRUE(GetVktTblFunctor().CreateTables(other));
    Sql(other, "insert into VktDB1C (Dealer_ID, Company) values (7, 'keep')");
    EXPECT_FALSE(registry->CopyDatabase("A", other, newName));
    EXPECT_EQ(shell->Texts(Kind::Question).size(), 1u);
    EXPECT_EQ(Text(other, "select Company from VktDB1C"), "keep");
    EXPECT_EQ(registry->GetCount(), 1);

    shell->answers.push_back(true);
    EXPECT_TRUE(registry->CopyDatabase("A", other, newName));
    EXPECT_EQ(Content(other), Content(a));
}

TEST_F(TransferTest, AFailedCopyLeavesNoTablesInTheNewFolder) {
    const std::string a = Database("A", "a");
    Sql(a, "drop table VktDB1P");   // the copy needs every stored table
    const std::string b = Folder("b");
    std::string newName;
    EXPECT_FALSE(registry->CopyDatabase("A", b, newName));
    EXPECT_FALSE(HasDatabaseFile(b));
    EXPECT_EQ(registry->GetCount(), 1);
    EXPECT_TRUE(shell->messages.empty());
}

// ---- Move ---------------------------------------------------------------------------------------

TEST_F(TransferTest, AMovedDatabaseIsFollowedByItsEntryAndItsObject) {
    const std::string a = Database("A", "a");
    const std::string c = Database("C", "c");
    const std::string id = DatabaseID(a);
    TVktObject* object = registry->GetObject("A");
    object->AddRef();
    ASSERT_EQ(object->GetDatabaseID(), id);   // its module holds a connection to the old file
    ASSERT_GT(OpenFilesIn(a), 0);
    const std::vector<std::string> content = Content(a);

    const std::string b = Folder("b");
    ASSERT_TRUE(registry->MoveDatabase("A", b));
    EXPECT_EQ(registry->GetListText(), "A=" + b + "\r\nC=" + c + "\r\n");
    EXPECT_TRUE(fs::is_empty(a));   // the old tables and their file are gone
    EXPECT_EQ(OpenFilesIn(a), 0);   // and no connection writes into the deleted file
    EXPECT_EQ(Content(b), content);
    EXPECT_NE(DatabaseID(b), id);   // the copy made for the move has an id of its own

    EXPECT_EQ(object->GetPath(), b);
    EXPECT_TRUE(object->IsValid());
    EXPECT_EQ(object->AddDealer("新しい業者"), 3);
    EXPECT_EQ(Text(b, "select Company from VktDB1C where Dealer_ID = 3"), "新しい業者");
    EXPECT_TRUE(fs::is_empty(a));
    object->Release();
    EXPECT_TRUE(shell->messages.empty());
}

TEST_F(TransferTest, MoveRefusesWhatCopyRefuses) {
    const std::string a = Database("A", "a");
    const std::string c = Database("C", "c");
    const std::vector<std::string> content = Content(a);
    EXPECT_FALSE(registry->MoveDatabase("A", a));
    EXPECT_FALSE(registry->MoveDatabase("A", c));
    EXPECT_FALSE(registry->MoveDatabase("A", root + "/missing"));
    EXPECT_FALSE(registry->MoveDatabase("unknown", Folder("x")));

    const std::string other = Folder("other");
    ASSERT_TRUE(GetVktTblFunctor().CreateTables(other));
    EXPECT_FALSE(registry->MoveDatabase("A", other));   // the overwrite question answered No
    EXPECT_EQ(shell->Texts(Kind::Question).size(), 1u);

    EXPECT_EQ(registry->GetPath(0), a);
    EXPECT_EQ(Content(a), content);
}

TEST_F(TransferTest, ARegisteredFolderUnderAnotherNameIsNoTarget) {
    const std::string a = Database("A", "a");
    const std::string c = Database("C", "c");
    const std::vector<std::string> contentA = Content(a);
    const std::vector<std::string> contentC = Content(c);
    fs::create_directory_symlink(a, root + "/link");
    // Were the overwrite question asked, the answer would be Yes.
    shell->answers.assign(8, true);
    std::string newName;
    EXPECT_FALSE(registry->MoveDatabase("A", root + "/link"));
    EXPECT_FALSE(registry->MoveDatabase("A", a + "/."));
    EXPECT_FALSE(registry->CopyDatabase("A", root + "/link", newName));
    EXPECT_FALSE(registry->MoveDatabase("A", c + "/."));
    EXPECT_FALSE(registry->CopyDatabase("A", root + "/b/../c", newName));
    EXPECT_TRUE(shell->messages.empty());
    EXPECT_EQ(Content(a), contentA);
    EXPECT_EQ(Content(c), contentC);
    EXPECT_EQ(registry->GetListText(), "A=" + a + "\r\nC=" + c + "\r\n");
}

TEST_F(TransferTest, AFailedMoveKeepsTheDatabaseWhereItWasAndLeavesNoNewTables) {
    const std::string a = Database("A", "a");
    Sql(a, "drop table VktDB1P");
    const std::vector<std::string> rows = Rows(a, "select * from VktDB1F");
    const std::string b = Folder("b");
    EXPECT_FALSE(registry->MoveDatabase("A", b));
    EXPECT_FALSE(HasDatabaseFile(b));
    EXPECT_EQ(registry->GetPath(0), a);
    EXPECT_EQ(Rows(a, "select * from VktDB1F"), rows);
    EXPECT_TRUE(shell->messages.empty());
}

} // namespace

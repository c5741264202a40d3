// The database registry: the list and its loading, registration, creation, objects by name,
// identity de-duplication, the most-recently-used order, renaming, deleting and unregistering.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "RegistryFixture.h"
#include "ObjSubscriber.h"
#include "data/Mvkttables.h"
#include "database/Mvktfunctor.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/DateTime.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Guid.h"

namespace {

namespace fs = std::filesystem;
using Kind = FakeShell::Kind;

const std::string kNewName = "新規データベース";

class RegistryTest : public RegistryFixture {
protected:

    // A folder holding a new database, registered under `name`.
    std::string Database(const std::string& name, const std::string& sub) {
        const std::string folder = Folder(sub);
        EXPECT_TRUE(registry->CreateDatabase(name, folder));
        return folder;
    }
    // A folder holding the sixteen old-format table files (empty).
    std::string OldFormatFolder(const std::string& sub) {
        const std::string folder = Folder(sub);
        for (int i = 1; i <= 16; ++i) {
            const std::string file = folder + "/Vktdb" + (i < 10 ? "0" : "") + std::to_string(i) + ".db";
            std::ofstream(file).put('x');
        }
        return folder;
    }
    static std::string DatabaseID(const std::string& folder) {
        TVktFunctor module;
        module.SetPath(folder);
        return module.GetDatabaseID();
    }
    static void SetDatabaseID(const std::string& folder, const std::string& id) {
        TVktFunctor module;
        module.SetPath(folder);
        module.SetInitial("DatabaseID", id);
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int i = 0; i < registry->GetCount(); ++i) names.push_back(registry->GetName(i));
        return names;
    }

};

// A registry whose filling of a new database fails.
class FailingFillRegistry : public TVktApplication {
protected:
    bool FillNewDatabase(const std::string&) override { return false; }
};

// A registry whose filling of a new database raises.
class RaisingFillRegistry : public TVktApplication {
protected:
    bool FillNewDatabase(const std::string&) override { throw platform::DatabaseError("disk I/O error", "insert"); }
};

// ---- The list ---------------------------------------------------------------------------------------

TEST_F(RegistryTest, LoadingDropsUnusableEntriesWithOneMessageEachAndKeepsTheOrder)
{
    const std::string a = Database("A", "a");
    const std::string old = OldFormatFolder("old");
    const std::string empty = Folder("empty");
    const std::string c = Database("C", "c");
    shell->messages.clear();

    TVktApplication loaded;
    FakeShell& messages = InstallFakeShell(loaded);
    loaded.LoadDatabaseList("A=" + a + "\r\nGone=" + root + "/missing\r\nOld=" + old + "\r\nEmpty=" + empty +
                            "\r\nC=" + c + "\r\n");

    EXPECT_EQ(loaded.GetListText(), "A=" + a + "\r\nOld=" + old + "\r\nC=" + c + "\r\n");
    // From the last entry to the first, one stop message each.
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[0].kind, Kind::Error);
    EXPECT_EQ(messages.messages[0].caption, "エラー確認");
    EXPECT_EQ(messages.messages[0].text, "データベース'Empty'(" + empty + ")は確認できませんでした登録を削除します。");
    EXPECT_EQ(messages.messages[1].text,
              "データベース'Gone'(" + root + "/missing)は確認できませんでした登録を削除します。");
}

TEST_F(RegistryTest, LoadingDropsTheUnusableEntryItselfWhateverItsName)
{
    const std::string a = Database("A", "a");
    TVktApplication loaded;
    FakeShell& messages = InstallFakeShell(loaded);
    // A line without a name and a repeated name: the broken entries go, not the first "A".
    loaded.LoadDatabaseList("=" + root + "/none\r\nA=" + a + "\r\nA=" + root + "/missing\r\n");
    EXPECT_EQ(loaded.GetListText(), "A=" + a + "\r\n");
    EXPECT_EQ(messages.Texts(Kind::Error).size(), 2u);
}

TEST_F(RegistryTest, ListAccessors)
{
    const std::string a = Database("A", "a");
    const std::string b = Database("B", "b");
    EXPECT_EQ(registry->GetCount(), 2);
    EXPECT_EQ(registry->IndexOf("B"), 1);
    EXPECT_EQ(registry->IndexOf("b"), -1);   // names are compared exactly
    EXPECT_EQ(registry->GetName(1), "B");
    EXPECT_EQ(registry->GetPath(0), a);
    EXPECT_EQ(registry->GetName(-1), "");
    EXPECT_EQ(registry->GetPath(-1), "");
    EXPECT_THROW(registry->GetName(2), platform::ListIndexError);
    EXPECT_TRUE(registry->IsPathRegistered(b));
    EXPECT_FALSE(registry->IsPathRegistered(b + "x"));
}

TEST_F(RegistryTest, NewDatabaseNameTakesTheFirstFreeNumber)
{
    EXPECT_EQ(registry->NewDatabaseName(), kNewName);
    ASSERT_TRUE(registry->RegisterDatabase(kNewName, Folder("n0")));
    EXPECT_EQ(registry->NewDatabaseName(), kNewName + "1");
    ASSERT_TRUE(registry->RegisterDatabase(kNewName + "1", Folder("n1")));
    EXPECT_EQ(registry->NewDatabaseName(), kNewName + "2");
}

// ---- Registration -----------------------------------------------------------------------------------

TEST_F(RegistryTest, RegisterAppendsAtTheEndAndRefusesWhatIsTakenOrMissing)
{
    const std::string a = Folder("a");
    const std::string b = Folder("b");
    ASSERT_TRUE(registry->RegisterDatabase("A", a));
    ASSERT_TRUE(registry->RegisterDatabase("B", b));
    EXPECT_EQ(registry->GetListText(), "A=" + a + "\r\nB=" + b + "\r\n");

    EXPECT_FALSE(registry->RegisterDatabase("A", Folder("c")));           // name taken
    EXPECT_FALSE(registry->RegisterDatabase("Other", a));                 // folder taken
    EXPECT_FALSE(registry->RegisterDatabase("Other", root + "/missing"));  // no folder
    // Names that would break the name=folder lines.
    EXPECT_FALSE(registry->RegisterDatabase("X=Y", Folder("d")));
    EXPECT_FALSE(registry->RegisterDatabase("X\r\nZ=" + root, Folder("e")));
    EXPECT_EQ(registry->GetCount(), 2);
}

TEST_F(RegistryTest, EmptyNamesAndMalformedFoldersAbortSilently)
{
    EXPECT_THROW(registry->IsRegistered(""), platform::SilentAbort);
    EXPECT_THROW(registry->IsPathRegistered("relative/db"), platform::SilentAbort);
    EXPECT_THROW(registry->IsPathRegistered(root + "/a/"), platform::SilentAbort);
    EXPECT_THROW(registry->IsPathRegistered("/"), platform::SilentAbort);
    EXPECT_THROW(registry->RegisterDatabase("", Folder("a")), platform::SilentAbort);
    EXPECT_THROW(registry->GetObject("nobody"), platform::SilentAbort);
    EXPECT_THROW(registry->MoveToFront("nobody"), platform::SilentAbort);
}

// ---- Creation ---------------------------------------------------------------------------------------

TEST_F(RegistryTest, CreateMakesACurrentDatabaseRegisteredAtTheEnd)
{
    Database("A", "a");
    const std::string b = Folder("b");
    ASSERT_TRUE(registry->CreateDatabase("B", b));
    EXPECT_EQ(registry->GetDatabaseFormat(b), 2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(platform::IsGuidText(DatabaseID(b)));
    EXPECT_TRUE(shell->messages.empty());   // an empty folder needs no question
}

TEST_F(RegistryTest, CreateRefusesTakenNamesAndFoldersAndMissingFolders)
{
    const std::string a = Database("A", "a");
    EXPECT_FALSE(registry->CreateDatabase("A", Folder("b")));
    EXPECT_FALSE(registry->CreateDatabase("B", a));
    EXPECT_FALSE(registry->CreateDatabase("B", root + "/missing"));
    EXPECT_FALSE(registry->CreateDatabase("B=C", Folder("c")));
    EXPECT_EQ(registry->GetDatabaseFormat(root + "/b"), 0);
    EXPECT_EQ(registry->GetCount(), 1);
}

TEST_F(RegistryTest, OverwritingAnUnregisteredDatabaseIsAskedAndNoRefuses)
{
    const std::string folder = Database("A", "a");
    ASSERT_TRUE(registry->UnregisterDatabase("A"));
    const std::string id = DatabaseID(folder);

    ASSERT_FALSE(registry->CreateDatabase("B", folder));   // the script is empty: No
    ASSERT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->messages[0].kind, Kind::Question);
    EXPECT_EQ(shell->messages[0].caption, "エラー確認");
    EXPECT_EQ(shell->messages[0].text, "フォルダに未登録のデータベースを確認しました。\r\n"
                                       "続行するとこのデータベースを上書きします。\r\n続行しますか？");
    EXPECT_EQ(DatabaseID(folder), id);   // untouched
    EXPECT_EQ(registry->GetCount(), 0);

    shell->answers.push_back(true);
    ASSERT_TRUE(registry->CreateDatabase("B", folder));
    EXPECT_NE(DatabaseID(folder), id);
    EXPECT_EQ(Names(), std::vector<std::string>{"B"});
}

TEST_F(RegistryTest, OverwriteIsNotAskedForOldFormatFolders)
{
    EXPECT_TRUE(registry->ConfirmOverwrite(OldFormatFolder("old")));
    EXPECT_TRUE(registry->ConfirmOverwrite(Folder("empty")));
    EXPECT_TRUE(shell->messages.empty());
}

TEST_F(RegistryTest, AFailureToCreateTheTablesIsReported)
{
    const std::string folder = Folder("a");
    fs::create_directory(folder + "/vektara.db");   // the database file cannot be made
    EXPECT_FALSE(registry->CreateDatabase("A", folder));
    EXPECT_EQ(shell->Texts(Kind::Error),
              std::vector<std::string>{"データベース'A'(" + folder +
                                       ")の作成に失敗しました。\n\rデータベースの作成はキャンセルします。"});
    EXPECT_EQ(shell->messages[0].caption, "エラー確認");
    EXPECT_EQ(registry->GetCount(), 0);
}

TEST_F(RegistryTest, AFailureToFillTheDatabaseIsReportedAndTheTablesGo)
{
    FailingFillRegistry failing;
    FakeShell& messages = InstallFakeShell(failing);
    const std::string folder = Folder("a");
    EXPECT_FALSE(failing.CreateDatabase("A", folder));
    EXPECT_EQ(messages.Texts(Kind::Error),
              std::vector<std::string>{"データベース'A'(" + folder +
                                       ")の初期化に失敗しました。\n\rデータベースの作成はキャンセルします。"});
    EXPECT_FALSE(platform::FileExists(folder + "/vektara.db"));
    EXPECT_EQ(failing.GetCount(), 0);
}

TEST_F(RegistryTest, AFillThatRaisesLeavesTheFolderAsFoundAndReportsOnce)
{
    const std::string folder = Folder("a");
    {
        RaisingFillRegistry raising;
        FakeShell& messages = InstallFakeShell(raising);
        EXPECT_THROW(raising.CreateDatabase("A", folder), platform::DatabaseError);
        EXPECT_TRUE(messages.messages.empty());   // the error itself reaches the user
        EXPECT_EQ(raising.GetCount(), 0);
    }
    EXPECT_FALSE(platform::FileExists(folder + "/vektara.db"));
    EXPECT_EQ(registry->GetDatabaseFormat(folder), 0);
    // The folder takes a new database as if nothing had happened.
    EXPECT_TRUE(registry->CreateDatabase("A", folder));
    EXPECT_TRUE(shell->messages.empty());
    EXPECT_EQ(Names(), std::vector<std::string>{"A"});
}

// ---- Objects ----------------------------------------------------------------------------------------

TEST_F(RegistryTest, GetObjectGivesOneObjectPerName)
{
    Database("A", "a");
    Database("B", "b");
    EXPECT_EQ(registry->FindObject("A"), nullptr);
    TVktObject* a = registry->GetObject("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetName(), "A");
    EXPECT_EQ(registry->GetObject("A"), a);
    EXPECT_EQ(registry->FindObject("A"), a);
    EXPECT_NE(registry->GetObject("B"), a);
    EXPECT_EQ(a->GetApplication(), registry.get());

    EXPECT_FALSE(registry->IsObjectOpen("A"));
    a->AddRef();
    EXPECT_TRUE(registry->IsObjectOpen("A"));
    a->Release();
    EXPECT_FALSE(registry->IsObjectOpen("A"));
}

TEST_F(RegistryTest, AnOldFormatDatabaseIsAnnouncedAndUpgradedOnlyWhenItsObjectIsMade)
{
    const std::string old = OldFormatFolder("old");
    ASSERT_TRUE(registry->RegisterDatabase("Old", old));
    shell->runUpgrades = false;   // the folder only looks old-format: record the upgrade, don't run it
    TVktObject* object = registry->GetObject("Old");
    ASSERT_NE(object, nullptr);   // made whatever the upgrade did
    ASSERT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->messages[0].kind, Kind::Information);
    EXPECT_EQ(shell->messages[0].caption, "確認");
    EXPECT_EQ(shell->messages[0].text,
              "'Old' は旧形式のデータベースですので、新しい形式にアップグレードする必要があります。\n\r"
              "アップグレード後も旧形式のデータベースはそのまま保存されます。");
    EXPECT_EQ(shell->upgrades, std::vector<std::string>{"Old"});

    EXPECT_EQ(registry->GetObject("Old"), object);
    EXPECT_EQ(shell->messages.size(), 1u);
    EXPECT_EQ(shell->upgrades.size(), 1u);
}

TEST_F(RegistryTest, AnOpenedDatabaseGivesAnotherKnownOneWithItsIdANewId)
{
    const std::string a = Database("A", "a");
    const std::string b = Database("B", "b");
    const std::string c = Database("C", "c");
    const std::string shared = platform::CreateGuidText();
    SetDatabaseID(a, shared);
    SetDatabaseID(b, shared);
    SetDatabaseID(c, shared);

    // Without objects of the others, nothing changes.
    registry->GetObject("B");
    EXPECT_EQ(DatabaseID(a), shared);
    EXPECT_EQ(DatabaseID(b), shared);

    // C is opened while B's object exists: B gets a new id, C keeps its own, A (no object) stays.
    registry->GetObject("C");
    EXPECT_EQ(DatabaseID(c), shared);
    EXPECT_NE(DatabaseID(b), shared);
    EXPECT_TRUE(platform::IsGuidText(DatabaseID(b)));
    EXPECT_EQ(DatabaseID(a), shared);

    // Different ids are left alone.
    const std::string bId = DatabaseID(b);
    registry->GetObject("A");
    EXPECT_EQ(DatabaseID(b), bId);
    EXPECT_EQ(DatabaseID(a), shared);
    EXPECT_NE(DatabaseID(c), shared);   // C's object existed and had A's id
}

// ---- Most recently used first -----------------------------------------------------------------------

TEST_F(RegistryTest, MoveToFrontOfTheFirstEntryDoesNothing)
{
    Database("A", "a");
    Database("B", "b");
    ObjSubscriber subscriber;
    subscriber.Bind(registry->GetObject("A"));
    int changes = 0;
    registry->OnChange = [&](TVktApplication* sender) {
        EXPECT_EQ(sender, registry.get());
        ++changes;
    };
    registry->MoveToFront("A");
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(subscriber.log.empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "B"}));
}

TEST_F(RegistryTest, MoveToFrontReordersAndAnnounces)
{
    Database("A", "a");
    Database("B", "b");
    Database("C", "c");
    ObjSubscriber subscriber;
    subscriber.Bind(registry->GetObject("C"));
    std::vector<std::string> orderSeen;
    registry->OnChange = [&](TVktApplication*) { orderSeen = Names(); };
    registry->MoveToFront("C");
    EXPECT_EQ(Names(), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_EQ(orderSeen, Names());
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"Current"});

    registry->MoveToFront("B");   // no object of B: only the order and OnChange
    EXPECT_EQ(Names(), (std::vector<std::string>{"B", "C", "A"}));
    EXPECT_EQ(registry->FindObject("B"), nullptr);
}

// Every change of the list is announced once, after it (the shell stores the list then); a
// refused operation and a list loaded whole announce nothing.
TEST_F(RegistryTest, EveryChangeOfTheListIsAnnouncedOnceAfterIt)
{
    std::vector<std::string> seen;
    registry->OnListChange = [&](TVktApplication* sender) {
        std::string names;
        for (int i = 0; i < sender->GetCount(); ++i) names += (i ? "," : "") + sender->GetName(i);
        seen.push_back(names);
    };
    const std::string a = Database("A", "a");
    ASSERT_TRUE(registry->RegisterDatabase("B", Folder("b")));
    EXPECT_FALSE(registry->RegisterDatabase("B", Folder("c")));
    registry->MoveToFront("B");
    registry->MoveToFront("B");
    ASSERT_TRUE(registry->RenameDatabase("A", "本店"));
    EXPECT_FALSE(registry->RenameDatabase("本店", "B"));
    std::string copy;
    ASSERT_TRUE(registry->CopyDatabase("本店", Folder("d"), copy));
    ASSERT_TRUE(registry->MoveDatabase("本店", Folder("e")));
    ASSERT_TRUE(registry->UnregisterDatabase("B"));
    ASSERT_TRUE(registry->DeleteDatabase(copy));
    EXPECT_EQ(seen, (std::vector<std::string>{"A", "A,B", "B,A", "B,本店", "B,本店,本店のコピー", "B,本店,本店のコピー",
                                               "本店,本店のコピー", "本店"}));
    seen.clear();
    registry->LoadDatabaseList("本店=" + root + "/e\r\n");
    EXPECT_TRUE(seen.empty());
    registry->LoadDatabaseList("本店=" + root + "/e\r\n消えた=" + root + "/gone\r\n");
    EXPECT_EQ(seen, std::vector<std::string>{"本店"});
}

// ---- Renaming ---------------------------------------------------------------------------------------

TEST_F(RegistryTest, RenameRenamesTheEntryAndTheObjectWithOneNotice)
{
    const std::string a = Database("A", "a");
    Database("B", "b");
    ObjSubscriber subscriber;
    TVktObject* object = registry->GetObject("A");
    subscriber.Bind(object);
    std::string pathSeen;
    subscriber.onNotice = [&](const std::string& text) {
        if (text == "Rename") pathSeen = object->GetPath();
    };

    ASSERT_TRUE(registry->RenameDatabase("A", "Z"));
    EXPECT_EQ(object->GetName(), "Z");
    EXPECT_EQ(registry->GetListText(), "Z=" + a + "\r\nB=" + root + "/b\r\n");
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"Rename"});
    EXPECT_EQ(pathSeen, a);   // the notice finds the renamed entry
    EXPECT_EQ(registry->GetObject("Z"), object);
}

TEST_F(RegistryTest, RenameThroughTheObjectKeepsOneObject)
{
    const std::string a = Database("A", "a");
    TVktObject* object = registry->GetObject("A");
    ObjSubscriber subscriber;
    subscriber.Bind(object);

    object->SetName("Z");
    EXPECT_EQ(object->GetName(), "Z");
    EXPECT_EQ(registry->GetListText(), "Z=" + a + "\r\n");
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"Rename"});
    EXPECT_EQ(registry->FindObject("A"), nullptr);
    EXPECT_EQ(registry->GetObject("Z"), object);
}

TEST_F(RegistryTest, RenameRefusals)
{
    Database("A", "a");
    Database("B", "b");
    const std::string before = registry->GetListText();
    EXPECT_FALSE(registry->RenameDatabase("A", "B"));     // taken
    EXPECT_FALSE(registry->RenameDatabase("A", "A"));     // the same name is taken too
    EXPECT_FALSE(registry->RenameDatabase("X", "Y"));     // not registered
    EXPECT_FALSE(registry->RenameDatabase("A", "C=D"));   // would break the list
    EXPECT_THROW(registry->RenameDatabase("A", ""), platform::SilentAbort);
    EXPECT_EQ(registry->GetListText(), before);
    EXPECT_EQ(registry->FindObject("A"), nullptr);   // refusals make no object

    // The guard was cleared on every exit.
    EXPECT_TRUE(registry->RenameDatabase("A", "C"));
    EXPECT_EQ(registry->GetObject("C")->GetName(), "C");
}

// ---- Deleting and unregistering ---------------------------------------------------------------------

TEST_F(RegistryTest, DeleteFreesTheObjectDeletesTheFilesAndTheEntry)
{
    const std::string a = Database("A", "a");
    Database("B", "b");
    ObjSubscriber subscriber;
    subscriber.Bind(registry->GetObject("A"));

    ASSERT_TRUE(registry->DeleteDatabase("A"));
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"Release"});
    EXPECT_EQ(subscriber.Object(), nullptr);
    EXPECT_FALSE(platform::FileExists(a + "/vektara.db"));
    EXPECT_TRUE(platform::FolderExists(a));
    EXPECT_EQ(Names(), std::vector<std::string>{"B"});
    EXPECT_EQ(registry->FindObject("A"), nullptr);
    EXPECT_FALSE(registry->DeleteDatabase("A"));
}

TEST_F(RegistryTest, UnregisterFreesTheObjectAndKeepsTheFiles)
{
    const std::string a = Database("A", "a");
    ObjSubscriber subscriber;
    subscriber.Bind(registry->GetObject("A"));

    ASSERT_TRUE(registry->UnregisterDatabase("A"));
    EXPECT_EQ(subscriber.log, std::vector<std::string>{"Release"});
    EXPECT_EQ(registry->GetCount(), 0);
    EXPECT_EQ(registry->FindObject("A"), nullptr);
    EXPECT_EQ(registry->GetDatabaseFormat(a), 2);
    EXPECT_FALSE(registry->UnregisterDatabase("A"));

    // The folder can be registered again.
    EXPECT_TRUE(registry->RegisterDatabase("A2", a));
}

TEST_F(RegistryTest, TheRegistryFreesItsObjectsWhenItGoes)
{
    Database("A", "a");
    Database("B", "b");
    ObjSubscriber first;
    ObjSubscriber second;
    first.Bind(registry->GetObject("A"));
    second.Bind(registry->GetObject("B"));
    registry.reset();
    EXPECT_EQ(first.log, std::vector<std::string>{"Release"});
    EXPECT_EQ(second.log, std::vector<std::string>{"Release"});
    EXPECT_EQ(first.Object(), nullptr);
}

TEST(VktApplicationSingleton, IsOneInstance)
{
    EXPECT_EQ(&VktApplication(), &VktApplication());
}

} // namespace

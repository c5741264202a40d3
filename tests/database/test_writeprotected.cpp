// Databases the user may not write: a write-protected folder, with or without the database file's
// -wal and -shm companions, is opened read-only and listed with every record it holds; every change
// is refused with its reason and stores nothing; and a module whose writes were refused writes
// again once the folder is writable.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeShell.h"
#include "ObjSubscriber.h"
#include "data/Mvkttables.h"
#include "data/Uvktdbstruct.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "platform/ChildProcess.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Unprivileged.h"
#include "support/Ids.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using platform::Variant;

constexpr int kBeef = 4;

using vkttest::Ids;

// How the folder is protected.
enum class Protection {
    FolderOnly,       // the file is writable, the folder is not and holds no -wal or -shm
    WithCompanions,   // nothing is writable; -wal and -shm are there, left by another program
    NeverOpened,      // as FolderOnly, and the settings map was never written (made, never opened)
    KilledWriter,     // as FolderOnly, the records in the -wal of a program killed, no -shm beside it
};

std::string ProtectionName(const ::testing::TestParamInfo<Protection>& info) {
    static const char* const names[] = {"FolderOnly", "WithCompanions", "NeverOpened", "KilledWriter"};
    return names[static_cast<int>(info.param)];
}

class WriteProtectedTest : public ::testing::TestWithParam<Protection> {
protected:
    void SetUp() override {
        root = temp.Make("vktro");
        fs::permissions(root, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        folder = root + "/db";
        fs::create_directories(folder);
        const std::function<int()> make = [&] {
            TVktApplication maker;
            TVktObject* object = maker.CreateDatabase("db", folder) ? maker.GetObject("db") : nullptr;
            if (object == nullptr) return 0;
            object->AddRef();   // writes the settings map
            const int id = object->AddNewData(kBeef, "Beef");
            if (id == 0 || !object->EditData(TVktField::BuyPrice, Variant(4100.0), Ids({id}))) return 0;
            if (GetParam() == Protection::KilledWriter) std::_Exit(id);
            object->Release();
            return id;
        };   // the last connection ends: no -wal or -shm stays, unless killed
        food = GetParam() == Protection::KilledWriter ? RunInChild(make).exitCode : make();
        ASSERT_GT(food, 0);
        if (GetParam() == Protection::KilledWriter) {
            ASSERT_TRUE(fs::remove(platform::DatabaseFilePath(folder) + "-shm"));
        }
        if (GetParam() == Protection::NeverOpened) {
            platform::Connection own(platform::DatabaseFilePath(folder));
            own.Execute("delete from " + GetTableFileName(TVktTable::TblInitialize) + " where Initial_ID = 0");
        }
        ASSERT_EQ(fs::exists(platform::DatabaseFilePath(folder) + "-wal"), GetParam() == Protection::KilledWriter);
        if (GetParam() == Protection::WithCompanions) {
            // A program that ends without closing its connection leaves both companions.
            const ChildResult left = RunInChild([&] {
                platform::Connection other(platform::DatabaseFilePath(folder));
                other.Execute("create table Other (x); drop table Other;");
                std::_Exit(0);
                return 1;
            });
            ASSERT_EQ(left.exitCode, 0);
            ASSERT_TRUE(fs::exists(platform::DatabaseFilePath(folder) + "-shm"));
            SetWritable(folder, false);
        } else {
            SetWritable(folder, true);
            fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        }
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
    }
    void TearDown() override {
        registry.reset();
        SetWritable(folder, true);
        temp.Remove();
    }

    // The buy price the record list shows, read through the listing road; -1 without the row.
    static double ListedBuyPrice(TVktObject* object) {
        TVDBFood reader(object);
        reader.Refresh();
        if (reader.GetRowCount() != 1) return -1;
        reader.SetRowIndex(0);
        return reader.GetBuyPrice().ToDouble();
    }

    std::string root;
    vkttest::TempFolder temp;
    std::string folder;
    int food = 0;
    std::unique_ptr<TVktApplication> registry;
    FakeShell* shell = nullptr;
};

TEST_P(WriteProtectedTest, OpensReadOnlyListsAndRefusesEveryChangeWithItsReason) {
    const auto before = FolderContent(folder);
    TVktObject* object = nullptr;
    ObjSubscriber subscriber;
    {
        // Root's look at the folder would leave companions it may write.
        const Unprivileged nobody;
        if (Unprivileged::CanWrite(folder)) GTEST_SKIP() << "this user writes a folder whatever its mode";
        ASSERT_TRUE(registry->RegisterDatabase("db", folder));
        object = registry->GetObject("db");
        object->AddRef();
        subscriber.Bind(object);
        EXPECT_TRUE(object->IsReadOnly());
        const std::string reason = GetParam() != Protection::WithCompanions
                                       ? "フォルダ'" + folder + "'に書き込む権限がありません。"
                                       : "データベースのファイルに書き込む権限がありません。";
        EXPECT_EQ(object->GetReadOnlyReason(), reason);
        EXPECT_NE(object->GetReadOnlyNotice().find(reason), std::string::npos);

        // The settings, the class tree and the list come up whole.
        EXPECT_EQ(object->GetViewFields().GetName().GetCount(), 5);
        TVDBClass classes(object);
        classes.Refresh();
        EXPECT_EQ(classes.GetRowCount(), 47);
        EXPECT_EQ(ListedBuyPrice(object), 4100);
        EXPECT_EQ(object->GetDataClassType(food), 1);   // the module's own connection agrees

        const struct {
            const char* change;
            bool done;
        } changes[] = {
            {"field edit", object->EditData(TVktField::BuyPrice, Variant(4200.0), Ids({food}))},
            {"month price", object->SetMHistoryPrice(food, platform::Today(), platform::Currency::FromInt(4200))},
            {"new record", object->AddNewData(kBeef, "") != 0},
            {"dealer", object->AddDealer("") != 0},
            {"class move", object->MoveClassDown(kBeef)},
            {"trash", object->EraseData(0, Ids({food}), nullptr)},
            {"import", object->InsertData(TVktObjKind::Food, "Pork", Ids({ToInt(TVktField::Data)}), 0, nullptr)},
            {"stock-taking", object->SetInventoryEntry(0, false, Ids({food}), platform::Today(), 0, nullptr)},
            {"icon", object->RemoveIcon(0)},
        };
        const std::string refusal =
            "データベース'db'は読み取り専用で開かれているため、変更できません。\r\n" + reason;
        for (const auto& change : changes) EXPECT_FALSE(change.done) << change.change;
        EXPECT_EQ(shell->Texts(FakeShell::Kind::Error), std::vector<std::string>(std::size(changes), refusal));
        try {
            object->GetFilterSet().AddNew();
            ADD_FAILURE() << "a filter set that cannot be stored raises";
        } catch (const platform::DatabaseError& error) {
            EXPECT_EQ(error.SqliteMessage(), refusal);
        }
        // Columns arranged to read are kept for the session.
        TViewFieldStruct layout = object->GetViewFields();
        TPriorityItem widths = layout.GetWidth();
        widths.SetItem(0, widths.GetItem(0) + 10);
        layout.SetWidth(widths);
        object->SaveViewFields(layout);
        EXPECT_FALSE(object->GetViewFields() != layout);

        EXPECT_EQ(ListedBuyPrice(object), 4100);
        EXPECT_EQ(subscriber.log, std::vector<std::string>{"ViewFieldsChange"});
        subscriber.Bind(nullptr);
        object->Release();
    }
    EXPECT_EQ(FolderContent(folder), before);

    // Made writable, the database opened again takes changes.
    SetWritable(folder, true);
    shell->messages.clear();
    const Unprivileged nobody;
    object->AddRef();
    EXPECT_FALSE(object->IsReadOnly());
    EXPECT_TRUE(object->EditData(TVktField::BuyPrice, Variant(4300.0), Ids({food})));
    EXPECT_EQ(ListedBuyPrice(object), 4300);
    EXPECT_TRUE(shell->messages.empty());
    object->Release();
}

// The module's connection opened while the folder could not be written stays read-only; every
// later write failed, also once the folder was writable, until the database was opened again.
TEST_P(WriteProtectedTest, AModuleWhoseWritesWereRefusedWritesOnceTheFolderIsWritable) {
    TVktFunctor module;
    {
        const Unprivileged nobody;
        if (Unprivileged::CanWrite(folder)) GTEST_SKIP() << "this user writes a folder whatever its mode";
        module.SetPath(folder);
        EXPECT_FALSE(module.EditData(TVktField::BuyPrice, Variant(4200.0), Ids({food})));
        const std::optional<platform::DatabaseError> error = module.TakeWriteError();
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(platform::KindOfFailure(error->Code()), platform::FailureKind::ReadOnly);
    }
    SetWritable(folder, true);
    const Unprivileged nobody;
    module.SetPath(folder);   // as before every operation of the database object
    EXPECT_TRUE(module.EditData(TVktField::BuyPrice, Variant(4300.0), Ids({food})));
    EXPECT_FALSE(module.TakeWriteError().has_value());
    module.SetPath("");
    platform::Connection check(platform::DatabaseFilePath(folder), platform::OpenMode::ReadOnly);
    platform::Statement price(check, "select BuyPrice from " + GetTableFileName(GetFieldTable(TVktField::BuyPrice)));
    ASSERT_TRUE(price.Step());
    EXPECT_EQ(price.GetDouble(0), 4300);
}

// A database whose tables cannot be dropped is not deleted: its entry stays and the cook is told
// why (the entry went and the delete said it was done, the database left on the disk).
TEST_P(WriteProtectedTest, ADeleteThatCannotDropTheTablesKeepsTheEntryAndSaysWhy) {
    const auto before = FolderContent(folder);
    {
        const Unprivileged nobody;
        if (Unprivileged::CanWrite(folder)) GTEST_SKIP() << "this user writes a folder whatever its mode";
        ASSERT_TRUE(registry->RegisterDatabase("db", folder));
        EXPECT_FALSE(registry->DeleteDatabase("db"));
        EXPECT_TRUE(registry->IsRegistered("db"));
        const std::vector<std::string> errors = shell->Texts(FakeShell::Kind::Error);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind("データベース'db'(" + folder + ")を削除できませんでした。\r\n", 0), 0u) << errors[0];
        EXPECT_TRUE(GetVktTblFunctor().TablesExist(folder));
    }
    EXPECT_EQ(FolderContent(folder), before);
}

// A database readable only through a private copy that cannot be made (no temporary folder) is
// not opened, and the cook is told why; the others need no copy.
TEST_P(WriteProtectedTest, ADatabaseThatCannotBeCopiedToBeReadIsNotOpenedAndSaysWhy) {
    const TempFolderScope nowhere(root + "/missing");
    const Unprivileged nobody;
    if (Unprivileged::CanWrite(folder)) GTEST_SKIP() << "this user writes a folder whatever its mode";
    ASSERT_TRUE(registry->RegisterDatabase("db", folder));
    TVktObject* object = registry->GetObject("db");
    std::string refusal;
    try {
        object->AddRef();
        object->Release();
    } catch (const platform::DatabaseError& error) {
        refusal = error.SqliteMessage();
    }
    EXPECT_EQ(refusal.rfind("データベース'db'には書き込みできません。\r\nフォルダ'" + folder +
                                "'に書き込む権限がありません。\r\n読み取り専用で開くための複製を一時フォルダに"
                                "作れなかったため、開けませんでした。\r\nディスクの読み書きに失敗しました。\r\n("
                                "Cannot copy",
                            0) == 0,
              GetParam() == Protection::KilledWriter)
        << refusal;
    EXPECT_EQ(object->GetOpenCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Protections, WriteProtectedTest,
                         ::testing::Values(Protection::FolderOnly, Protection::WithCompanions,
                                           Protection::NeverOpened, Protection::KilledWriter),
                         ProtectionName);

} // namespace

// The sample kitchen of a first start: made once, only when no database is registered and it was
// never made before; its content as the program's own operations store it, and every recipe's and
// menu's cost the costing of its items.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "FakeShell.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktapplication.h"
#include "database/Uvktsamplekitchen.h"
#include "platform/DateTime.h"
#include "platform/Sqlite.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using T = TVktTable;

std::string Tbl(T table) { return GetTableFileName(table); }

class SampleKitchenTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = temp.Make("vktsample");
        pictures = root + "/pictures";
        fs::create_directories(pictures);
        for (const char* file : kSamplePictureFiles) std::ofstream(pictures + "/" + file) << "picture " << file;
        platform::SetFixedNow(platform::EncodeDateTime(2024, 3, 15, 10, 20, 30));
        registry = std::make_unique<TVktApplication>();
        shell = &InstallFakeShell(*registry);
    }

    void TearDown() override {
        db.Close();
        registry.reset();
        platform::SetClock({});
        temp.Remove();
    }

    // The sample made by a first start, and a connection of the test's own to it.
    void MakeSample() {
        ASSERT_TRUE(MakeSampleOnFirstStart(*registry, false, root, pictures));
        ASSERT_EQ(registry->IndexOf(kSampleKitchenName), 0);
        db.Open(platform::DatabaseFilePath(registry->GetPath(0)));
    }

    std::int64_t Int(const std::string& sql) {
        platform::Statement statement(db, sql);
        return statement.Step() ? statement.GetInt64(0) : -1;
    }

    std::string root;
    vkttest::TempFolder temp;
    std::string pictures;
    std::unique_ptr<TVktApplication> registry;
    FakeShell* shell = nullptr;
    platform::Connection db;
};

TEST_F(SampleKitchenTest, FirstStartMakesItOnlyWithoutDatabasesAndNeverAgain) {
    struct Case {
        const char* what;
        bool madeBefore;
        bool ownDatabase;
        bool made;
    };
    const Case cases[] = {
        {"a first start", false, false, true},
        {"a start after the cook deleted it", true, false, false},
        {"a start with a database registered", false, true, false},
        {"a start with both", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry = std::make_unique<TVktApplication>();
        InstallFakeShell(*registry);
        const std::string own = root + "/own-" + std::to_string(&c - cases);
        if (c.ownDatabase) {
            fs::create_directories(own);
            ASSERT_TRUE(registry->CreateDatabase("厨房", own));
        }
        EXPECT_EQ(MakeSampleOnFirstStart(*registry, c.madeBefore, root, pictures), c.made);
        EXPECT_EQ(registry->IndexOf(kSampleKitchenName) >= 0, c.made);
        EXPECT_EQ(registry->GetCount(), (c.made ? 1 : 0) + (c.ownDatabase ? 1 : 0));
        if (c.made) {
            const std::string folder = registry->GetPath(registry->IndexOf(kSampleKitchenName));
            EXPECT_EQ(fs::path(folder).parent_path(), fs::path(root));
            EXPECT_EQ(registry->GetDatabaseFormat(folder), 2);
            // Deleted like any database: the entry and its tables go.
            ASSERT_TRUE(registry->DeleteDatabase(kSampleKitchenName));
            EXPECT_EQ(registry->GetDatabaseFormat(folder), 0);
            // The caller remembers it was made: the next start makes none.
            EXPECT_FALSE(MakeSampleOnFirstStart(*registry, true, root, pictures));
            EXPECT_EQ(registry->IndexOf(kSampleKitchenName), -1);
        }
    }
}

TEST_F(SampleKitchenTest, AnotherFolderWhenSampleExistsAndTheCooksOwnSampleIsKept) {
    // A folder left by an earlier sample is not overwritten (nor asked about).
    fs::create_directories(root + "/Sample");
    std::ofstream(root + "/Sample/keep.txt") << "kept";
    ASSERT_TRUE(CreateSampleKitchen(*registry, root, pictures));
    EXPECT_EQ(registry->GetPath(0), root + "/Sample1");
    EXPECT_TRUE(fs::exists(root + "/Sample/keep.txt"));
    EXPECT_TRUE(shell->messages.empty());

    // A database of the cook registered under the sample's name is neither replaced nor deleted.
    const std::string own = registry->GetPath(0);
    EXPECT_FALSE(CreateSampleKitchen(*registry, root, pictures));
    EXPECT_EQ(registry->GetCount(), 1);
    EXPECT_EQ(registry->GetDatabaseFormat(own), 2);
    EXPECT_FALSE(fs::exists(root + "/Sample2"));
}

TEST_F(SampleKitchenTest, HoldsAKitchensRecordsMadeByTheOperations) {
    MakeSample();
    const std::string data = Tbl(T::TblData);
    const std::string cls = " join " + Tbl(T::TblClass) + " on Class_ID = Class_Key where ClassType = ";
    EXPECT_GE(Int("select count(*) from " + data + cls + "1"), 60);
    EXPECT_GE(Int("select count(*) from " + data + cls + "2"), 12);
    EXPECT_EQ(Int("select count(*) from " + data + cls + "3"), 3);
    // Three dealers besides the default one, each buying some ingredients.
    EXPECT_EQ(Int("select count(distinct Dealer_Key) from " + Tbl(T::TblFood)), 3);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblFood) + " where Dealer_Key = 1"), 0);
    // Four months of prices per ingredient: this month's and the three before.
    EXPECT_EQ(Int("select min(n) from (select count(distinct substr(MHistoryDate, 1, 7)) n from " +
                  Tbl(T::TblMHistory) + " group by MHistory_Key)"),
              4);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblMHistory) + " where MHistoryDate = '2023-12-15'"),
              Int("select count(*) from " + Tbl(T::TblFood)));
    // Recipes used as items of recipes, and menus serving recipes.
    EXPECT_GE(Int("select count(distinct i.Data_Key) from " + Tbl(T::TblItem) + " i join " + data +
                  " d on d.Data_ID = i.Item_Key join " + data + " u on u.Data_ID = i.Data_Key join " +
                  Tbl(T::TblClass) + " c on c.Class_ID = u.Class_Key join " + Tbl(T::TblClass) +
                  " k on k.Class_ID = d.Class_Key where c.ClassType = 2 and k.ClassType = 2"),
              4);
    // Rich-text memos in code page 932, the pictures' bytes as shipped.
    EXPECT_GE(Int("select count(*) from " + Tbl(T::TblMemo) +
                  " where cast(Memo as text) like '{\\rtf1\\ansi\\ansicpg932%\\b %\\cf2 %'"),
              3);
    platform::Statement image(db, "select Image from " + Tbl(T::TblImage) + " join " + data +
                                      " on Data_ID = Image_Key where Data = 'タルト・オ・ポム'");
    ASSERT_TRUE(image.Step());
    EXPECT_EQ(image.GetText(0), "picture tarte.jpg");
    // Every shipped picture on a record of its own.
    std::multiset<std::string> stored;
    platform::Statement images(db, "select Image from " + Tbl(T::TblImage));
    while (images.Step()) stored.insert(images.GetText(0));
    std::multiset<std::string> shipped;
    for (const char* file : kSamplePictureFiles) shipped.insert(std::string("picture ") + file);
    EXPECT_EQ(stored, shipped);
    // This month's stock-taking sheet of the stored goods, counted.
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblInvDate) + " where InvDate like '2024-03-%'"), 1);
    EXPECT_GE(Int("select count(*) from " + Tbl(T::TblInventory) + " where Remained > 0"), 30);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblInventory) + " join " + data +
                  " on Data_ID = Inventory_Key where Data = '真鯛'"),
              0);
    // Attribute checks and the user filter.
    EXPECT_GE(Int("select count(*) from " + Tbl(T::TblAttribute) + " where AttrCheck = 1"), 20);
    EXPECT_EQ(Int("select count(*) from " + Tbl(T::TblInitialize) + " where Initial like '<FilterSet>%高価な食材%'"), 1);
    EXPECT_TRUE(shell->messages.empty());
}

TEST_F(SampleKitchenTest, EveryCostIsTheCostingOfItsItems) {
    MakeSample();
    // Ingredients: the use price from the buy price, quantity and yield.
    platform::Statement foods(db, "select Data, UsePrice, BuyPrice * 100 / Yield / Quantity from " + Tbl(T::TblData) +
                                      " join " + Tbl(T::TblFood) + " on Food_Key = Data_ID");
    int foodCount = 0;
    while (foods.Step()) {
        ++foodCount;
        EXPECT_NEAR(foods.GetDouble(1), foods.GetDouble(2), 1e-4) << foods.GetText(0);
    }
    EXPECT_GE(foodCount, 60);

    // Items: the used record's use price times the use; totals their sum, use prices per unit made.
    platform::Statement items(db, "select d.Data, i.ItemIndex, i.ItemPrice, u.UsePrice, i.ItemUse, i.ItemUsePrice from " +
                                      Tbl(T::TblItem) + " i join " + Tbl(T::TblData) + " d on d.Data_ID = i.Item_Key join " +
                                      Tbl(T::TblData) + " u on u.Data_ID = i.Data_Key");
    std::map<std::string, double> sums;
    while (items.Step()) {
        const std::string what = items.GetText(0) + " #" + std::to_string(items.GetInt64(1));
        EXPECT_NEAR(items.GetDouble(2), items.GetDouble(3), 1e-4) << what;
        EXPECT_NEAR(items.GetDouble(5), items.GetDouble(4) * items.GetDouble(3), 1e-3) << what;
        EXPECT_GT(items.GetDouble(5), 0) << what;
        sums[items.GetText(0)] += items.GetDouble(5);
    }
    platform::Statement cooks(db, "select Data, TotalPrice, Complete, UsePrice from " + Tbl(T::TblData) + " join " +
                                      Tbl(T::TblCook) + " on Cook_Key = Data_ID");
    int cookCount = 0;
    while (cooks.Step()) {
        ++cookCount;
        const std::string name = cooks.GetText(0);
        EXPECT_NEAR(cooks.GetDouble(1), sums[name], 1e-3) << name;
        EXPECT_NEAR(cooks.GetDouble(3), cooks.GetDouble(1) / cooks.GetDouble(2), 1e-3) << name;
    }
    EXPECT_EQ(cookCount, static_cast<int>(sums.size()));

    // One worked by hand: the vinaigrette (300 cc) of oil, vinegar, mustard, salt and pepper.
    const double vinaigrette = 200 * 2200.0 / 1000 + 70 * 650.0 / 500 + 20 * 780.0 / 370 + 3 * 200.0 / 1000 +
                               1 * 900.0 / 250;
    EXPECT_NEAR(sums["ヴィネグレット"], vinaigrette, 1e-3);
}

} // namespace

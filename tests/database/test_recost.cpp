// Recosting: item prices from current or yearly prices, recursion through stale sub-recipes,
// cycles, the run time, and failures.
#include "DbFixture.h"

#include <string>

namespace {

constexpr int kFoodClass = 4;      // "200000000"
constexpr int kRecipeClass = 35;   // "2000100"
constexpr int kMenuClass = 44;     // "2000200"
constexpr const char* kOld = "2024-01-01 00:00:00";
constexpr const char* kNow = "2024-03-15 10:20:30";

class RecostTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }
    void AddIngredient(int id, const std::string& usePrice, int unit = 6) {
        AddData(id, kFoodClass, usePrice, unit);
    }
    // A recipe or menu with its cook row; its use price as given (NULL for an empty one).
    void AddCook(int id, int classId, double complete, const std::string& usePrice) {
        AddData(id, classId, usePrice, 5);
        Sql("insert into VktDB1N values (" + std::to_string(id) + ", " + std::to_string(complete) + ", " +
            (usePrice == "NULL" ? std::string("NULL") : usePrice + " * " + std::to_string(complete)) + ", 0)");
    }
    // Appends an item of `record` with `use` to `recipe`, priced `price`.
    void AddItem(int recipe, int record, double use, double price, int unit = 5) {
        const int index = static_cast<int>(
            Int("select count(*) from VktDB1O where Item_Key = " + std::to_string(recipe)) + 1);
        Sql("insert into VktDB1O values (" + std::to_string(recipe) + ", " + std::to_string(index) + ", 1, " +
            std::to_string(index) + ", " + std::to_string(record) + ", " + std::to_string(use) + ", " +
            std::to_string(price) + ", " + std::to_string(unit) + ", " + std::to_string(use * price) + ")");
    }
    bool Refresh(int recipe, std::uint8_t mode = 0, platform::TDateTime runTime = 0) {
        return functor.RefreshItemPrices(recipe, mode, TPriorityItem(), runTime);
    }
    // "price/unit/use price" of every item of the recipe, in ItemIndex order.
    std::string Items(int recipe) {
        return Text("select group_concat(s, ' ') from (select ItemPrice || '/' || ItemUnit_Key || '/' || "
                    "coalesce(ItemUsePrice, 'null') as s from VktDB1O where Item_Key = " + std::to_string(recipe) +
                    " order by ItemIndex)");
    }
    // "total|use price|change date" of a recipe or menu.
    std::string Totals(int recipe) {
        return Text("select coalesce(TotalPrice, 'null') || '|' || coalesce(UsePrice, 'null') || '|' || ChangeDate "
                    "from VktDB1N, VktDB1F where Cook_Key = Data_ID and Data_ID = " + std::to_string(recipe));
    }

private:
    void AddData(int id, int classId, const std::string& usePrice, int unit) {
        Sql("insert into VktDB1F (Data_ID, Conserve, InvItem, Class_Key, Form_Key, Data, UseUnit_Key, UsePrice, "
            "ChangeDate) values (" + std::to_string(id) + ", 0, 1, " + std::to_string(classId) + ", 1, 'R" +
            std::to_string(id) + "', " + std::to_string(unit) + ", " + usePrice + ", '" + kOld + "')");
    }
};

// ---- The chain menu -> recipe -> ingredient ---------------------------------------------------------------

TEST_F(RecostTest, MenuRecostsItsStaleRecipeFirst) {
    AddIngredient(10, "25");
    AddCook(20, kRecipeClass, 2, "25");   // uses 2 of the ingredient: 50 / 2
    AddItem(20, 10, 2, 25, 6);
    AddCook(30, kMenuClass, 1, "75");     // uses 3 of the recipe
    AddItem(30, 20, 3, 25);
    Sql("update VktDB1F set UsePrice = 30 where Data_ID = 10");

    ASSERT_TRUE(Refresh(30));
    EXPECT_EQ(Items(20), "30.0/6/60.0");
    EXPECT_EQ(Totals(20), std::string("60.0|30.0|") + kNow);
    EXPECT_EQ(Items(30), "30.0/5/90.0");
    EXPECT_EQ(Totals(30), std::string("90.0|90.0|") + kNow);
    EXPECT_EQ(Text("select ChangeDate from VktDB1F where Data_ID = 10"), kOld) << "ingredients are not recursed into";
}

TEST_F(RecostTest, ACycleIsRecostedOnceEach) {
    AddIngredient(10, "10");
    AddCook(20, kRecipeClass, 1, "5");   // R: the ingredient and A
    AddCook(21, kRecipeClass, 1, "7");   // A: two of the ingredient and R
    AddItem(20, 10, 1, 0);
    AddItem(20, 21, 1, 7);
    AddItem(21, 10, 2, 0);
    AddItem(21, 20, 1, 5);

    ASSERT_TRUE(Refresh(20));
    // A first, taking R's price as it stood; then R with A's new price.
    EXPECT_EQ(Items(21), "10.0/6/20.0 5.0/5/5.0");
    EXPECT_EQ(Totals(21), std::string("25.0|25.0|") + kNow);
    EXPECT_EQ(Items(20), "10.0/6/10.0 25.0/5/25.0");
    EXPECT_EQ(Totals(20), std::string("35.0|35.0|") + kNow);
}

TEST_F(RecostTest, OnlySubRecipesChangedBeforeTheRunAreRecosted) {
    AddIngredient(10, "40");
    AddCook(20, kRecipeClass, 1, "10");   // changed before the run
    AddCook(21, kRecipeClass, 1, "10");   // changed after the run started
    AddItem(20, 10, 1, 10);
    AddItem(21, 10, 1, 10);
    AddCook(30, kMenuClass, 1, "20");
    AddItem(30, 20, 1, 10);
    AddItem(30, 21, 1, 10);
    Sql("update VktDB1F set ChangeDate = '2024-03-15 10:00:00' where Data_ID = 20");
    Sql("update VktDB1F set ChangeDate = '2024-03-15 10:05:00' where Data_ID = 21");

    ASSERT_TRUE(Refresh(30, 0, platform::EncodeDateTime(2024, 3, 15, 10, 1, 0)));
    EXPECT_EQ(Items(20), "40.0/6/40.0");
    EXPECT_EQ(Items(21), "10.0/5/10.0") << "not stale: left as it was";
    EXPECT_EQ(Text("select ChangeDate from VktDB1F where Data_ID = 21"), "2024-03-15 10:05:00");
    EXPECT_EQ(Items(30), "40.0/5/40.0 10.0/5/10.0");
    EXPECT_EQ(Totals(30), std::string("50.0|50.0|") + kNow);
}

// ---- Price modes -------------------------------------------------------------------------------------------

TEST_F(RecostTest, ModesTakeTheNewestYearlyRowAcrossAYearBoundary) {
    AddIngredient(10, "25");
    Sql("insert into VktDB1M values (10, '2023-02-28', 6, 31, 32, 33, 34)");
    Sql("insert into VktDB1M values (10, '2023-12-31', 6, 11, 12, 13, 14)");
    Sql("insert into VktDB1M values (10, '2024-01-31', 6, 21, 22, 23, 24)");
    AddIngredient(11, "40");   // no yearly history: its use price in every mode
    AddCook(20, kRecipeClass, 1, "0");
    AddItem(20, 10, 1, 0);
    AddItem(20, 11, 1, 0);

    const char* expected[] = {"25.0/6/25.0 40.0/6/40.0", "21.0/6/21.0 40.0/6/40.0", "22.0/6/22.0 40.0/6/40.0",
                              "23.0/6/23.0 40.0/6/40.0", "24.0/6/24.0 40.0/6/40.0"};
    for (std::uint8_t mode = 0; mode <= 4; ++mode) {
        ASSERT_TRUE(Refresh(20, mode)) << int(mode);
        EXPECT_EQ(Items(20), expected[mode]) << int(mode);
    }
}

TEST_F(RecostTest, AModeWithoutAColumnIsRefused) {
    AddIngredient(10, "25");
    AddCook(20, kRecipeClass, 1, "0");
    AddItem(20, 10, 1, 0);
    EXPECT_FALSE(Refresh(20, 5));
    EXPECT_EQ(Items(20), "0.0/5/0.0");
    EXPECT_EQ(Totals(20), std::string("0.0|0.0|") + kOld);
}

// ---- Items and recipes of their own kind --------------------------------------------------------------------

TEST_F(RecostTest, ItemsWithoutUseKeepTheirEnteredPrice) {
    AddIngredient(10, "25");
    AddCook(20, kRecipeClass, 1, "0");
    AddItem(20, 10, 0, 3);
    Sql("update VktDB1O set ItemUsePrice = 99");
    ASSERT_TRUE(Refresh(20));
    EXPECT_EQ(Items(20), "25.0/6/99.0");
    EXPECT_EQ(Totals(20), std::string("99.0|99.0|") + kNow);
}

TEST_F(RecostTest, ARecipeWithoutItemsOnlyRunsItsChain) {
    AddCook(20, kRecipeClass, 2, "10");
    ASSERT_TRUE(Refresh(20));
    EXPECT_EQ(Totals(20), std::string("0.0|0.0|") + kNow);
}

TEST_F(RecostTest, AnEmptySubRecipeCostsNothing) {
    AddIngredient(10, "8");
    AddCook(20, kRecipeClass, 1, "NULL");   // empty: no total, no use price
    AddCook(30, kMenuClass, 1, "0");
    AddItem(30, 20, 1, 0);
    AddItem(30, 10, 1, 0);
    ASSERT_TRUE(Refresh(30));
    EXPECT_EQ(Int("select count(*) from VktDB1O where Item_Key = 30 and ItemPrice = 0 and ItemUsePrice = 0"), 1);
    EXPECT_EQ(Totals(30), std::string("8.0|8.0|") + kNow);
}

TEST_F(RecostTest, SubRecipesInTheTrashAreUpdatedButNotStamped) {
    AddIngredient(10, "9");
    AddCook(20, kRecipeClass, 1, "1");
    AddItem(20, 10, 1, 1);
    Sql("insert into VktDB1G values (20, '2024-02-01 00:00:00')");
    AddCook(30, kMenuClass, 1, "1");
    AddItem(30, 20, 1, 1);
    ASSERT_TRUE(Refresh(30));
    EXPECT_EQ(Items(20), "9.0/6/1.0") << "item price copied; the chain writes nothing in the trash";
    EXPECT_EQ(Totals(20), std::string("1.0|1.0|") + kOld);
}

// ---- Failures -----------------------------------------------------------------------------------------------

TEST_F(RecostTest, AMissingRecordFailsItsRecipeOnlyAndKeepsDoneSubRecipes) {
    AddIngredient(10, "30");
    AddCook(20, kRecipeClass, 1, "0");
    AddItem(20, 10, 1, 0);
    AddCook(30, kMenuClass, 1, "0");
    AddItem(30, 10, 1, 0);
    AddItem(30, 20, 1, 0);
    AddItem(30, 99, 1, 4);   // the record is gone

    EXPECT_FALSE(Refresh(30));
    EXPECT_EQ(Totals(20), std::string("30.0|30.0|") + kNow) << "the sub-recipe was recosted before";
    EXPECT_EQ(Items(30), "0.0/5/0.0 0.0/5/0.0 4.0/5/4.0") << "the menu's item prices are left as they were";
    EXPECT_EQ(Totals(30), std::string("0.0|0.0|") + kOld);
}

} // namespace

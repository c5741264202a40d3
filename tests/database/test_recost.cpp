// Recosting: item prices from current or yearly prices, recursion through stale sub-recipes,
// cycles, the run time, and failures.
#include "DbFixture.h"

#include <random>
#include <string>
#include <vector>

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
        Add(vkttest::CookRow{.Cook_Key = id, .Complete = complete,
                             .TotalPrice = usePrice == "NULL" ? platform::Variant::Null()
                                                              : platform::Variant(std::stod(usePrice) * complete)});
    }
    // Appends an item of `record` with `use` to `recipe`, priced `price`.
    void AddItem(int recipe, int record, double use, double price, int unit = 5) {
        const int index = static_cast<int>(
            Int("select count(*) from VktDB1O where Item_Key = " + std::to_string(recipe)) + 1);
        Add(vkttest::ItemRow{.Item_Key = recipe, .ItemIndex = index, .Data_Key = record, .ItemUse = use,
                             .ItemPrice = price, .ItemUnit_Key = unit, .ItemUsePrice = use * price});
    }
    bool Refresh(int recipe, TVktPriceMode mode = pmNow, platform::TDateTime runTime = 0) {
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
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = unit,
                             .UsePrice = usePrice == "NULL" ? platform::Variant::Null()
                                                            : platform::Variant(std::stod(usePrice)),
                             .ChangeDate = kOld});
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

    ASSERT_TRUE(Refresh(30, pmNow, platform::EncodeDateTime(2024, 3, 15, 10, 1, 0)));
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
    for (int mode = pmNow; mode <= pmMin; ++mode) {
        ASSERT_TRUE(Refresh(20, static_cast<TVktPriceMode>(mode))) << mode;
        EXPECT_EQ(Items(20), expected[mode]) << mode;
    }
}

TEST_F(RecostTest, AModeWithoutAColumnIsRefused) {
    AddIngredient(10, "25");
    AddCook(20, kRecipeClass, 1, "0");
    AddItem(20, 10, 1, 0);
    EXPECT_FALSE(Refresh(20, static_cast<TVktPriceMode>(pmMin + 1)));
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

// ---- Against the statements one item at a time ----------------------------------------------------------

// A database of random recipes and menus: ingredients with and without prices, items of no use or
// without a use price, sub-recipes in cycles, in the trash, conserved, without a cook row, changed
// after the run time, and one item whose record is gone.
class RecostReferenceTest : public RecostTest {
protected:
    static constexpr int kIngredients = 12;
    static constexpr int kRecipes = 14;   // ids 21..34
    static constexpr int kMenus = 4;      // ids 41..44

    void Generate(std::uint32_t seed) {
        std::mt19937 random(seed);
        const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        for (int id = 1; id <= kIngredients; ++id) {
            AddIngredient(id, pick(6) == 0 ? "NULL" : std::to_string(pick(4000) / 7.0), 5 + pick(3));
            if (pick(3) == 0)
                Sql("insert into VktDB1M values (" + std::to_string(id) + ", '2023-12-31', 6, " +
                    std::to_string(pick(500)) + ", 2, 3, " + (pick(2) ? "NULL" : "4") + ")");
        }
        for (int id = 21; id < 21 + kRecipes + kMenus; ++id) {
            const bool menu = id > 20 + kRecipes;
            const int recipe = id + (menu ? 41 - 21 - kRecipes : 0);
            if (menu && recipe != id) continue;
            AddCook(id, kRecipeClass, 1 + pick(4) / 3.0, pick(2) ? "NULL" : "100");
        }
        for (int id = 41; id < 41 + kMenus; ++id) AddCook(id, kMenuClass, 1 + pick(3), "0");
        for (int recipe : Cooks()) {
            const int count = pick(6);
            for (int i = 0; i < count; ++i) {
                const int kind = pick(3);
                const int record = kind == 0 || recipe > 40 ? 21 + pick(kRecipes) : 1 + pick(kIngredients);
                if (record == recipe) continue;
                AddItem(recipe, record, pick(4) == 0 ? 0 : pick(50) / 4.0, pick(900) / 3.0);
            }
            if (pick(5) == 0) Sql("update VktDB1O set ItemUsePrice = NULL where Item_Key = " + std::to_string(recipe));
            switch (pick(9)) {
            case 0: Sql("insert into VktDB1G values (" + std::to_string(recipe) + ", '2024-01-02 00:00:00')"); break;
            case 1: Sql("update VktDB1F set Conserve = 1 where Data_ID = " + std::to_string(recipe)); break;
            case 2: Sql("delete from VktDB1N where Cook_Key = " + std::to_string(recipe)); break;
            case 3: Sql("update VktDB1F set ChangeDate = '" + std::string(kNow) + "' where Data_ID = " +
                        std::to_string(recipe)); break;
            default: break;
            }
        }
        if (seed % 2 == 0) AddItem(23, 999, 1, 5);   // a record that is gone
    }
    std::vector<int> Cooks() {
        std::vector<int> ids;
        for (int id = 21; id < 21 + kRecipes; ++id) ids.push_back(id);
        for (int id = 41; id < 41 + kMenus; ++id) ids.push_back(id);
        return ids;
    }

    // The statements of one recipe as written down: the stale sub-recipes first, then per item
    // one query and one update, all of the recipe's writes or none, then the module's chain.
    bool Reference(int recipe, int mode, TPriorityItem visited) {
        if (visited.IndexOf(recipe) < 0) visited << recipe;
        const std::string r = std::to_string(recipe);
        std::vector<int> stale;
        {
            platform::Statement rows(Db(), "select distinct Data_Key from VktDB1O left join VktDB1F on Data_ID = "
                                           "Data_Key left join VktDB1A on Class_ID = Class_Key where Item_Key = " +
                                               r + " and ChangeDate < '" + kNow + "' and ClassType > 1 order by Data_Key");
            while (rows.Step())
                if (visited.IndexOf(rows.GetInt(0)) < 0) stale.push_back(rows.GetInt(0));
        }
        for (int id : stale) Reference(id, mode, visited);
        std::vector<std::pair<int, int>> items;
        {
            platform::Statement rows(Db(), "select ItemIndex, Data_Key from VktDB1O where Item_Key = " + r +
                                               " order by ItemIndex");
            while (rows.Step()) items.emplace_back(rows.GetInt(0), rows.GetInt(1));
        }
        static const char* const columns[] = {"UsePrice", "YHLastPrice", "YHMaxPrice", "YHAvePrice", "YHMinPrice"};
        Sql("BEGIN IMMEDIATE");
        for (const auto& [index, data] : items) {
            platform::Statement price(Db(), "select UseUnit_Key, UsePrice, YHistory_Key, YHLastPrice, YHMaxPrice, "
                                            "YHAvePrice, YHMinPrice from VktDB1F left join VktDB1M on Data_ID = "
                                            "YHistory_Key where Data_ID = " + std::to_string(data) +
                                                " order by YHistoryDate desc");
            if (!price.Step()) {
                price.Finalize();
                Sql("ROLLBACK");
                return false;
            }
            const char* column = mode == 0 || price.IsNull("YHistory_Key") ? "UsePrice" : columns[mode];
            platform::Statement update(Db(), "update VktDB1O set ItemUnit_Key = :Unit, ItemPrice = :Price where "
                                             "Item_Key = " + r + " and ItemIndex = " + std::to_string(index));
            update.Bind("Unit", price.IsNull("UseUnit_Key") ? platform::Variant::Null()
                                                             : platform::Variant(price.GetInt64("UseUnit_Key")));
            update.BindDouble("Price", price.IsNull(column) ? 0.0 : price.GetDouble(column));
            update.Execute();
        }
        Sql("COMMIT");
        functor.UpdatePriceChain(recipe);
        return true;
    }

    // Every row the recosting may touch, with the storage class of each value.
    std::string Dump() {
        std::string text;
        for (const char* table : {"VktDB1O", "VktDB1N", "VktDB1F"}) {
            platform::Statement rows(Db(), std::string("select * from ") + table + " order by 1, 2");
            while (rows.Step()) {
                text += table;
                for (int c = 0; c < rows.ColumnCount(); ++c)
                    text += "|" + std::to_string(static_cast<int>(rows.GetStorageClass(c))) + ":" + rows.GetText(c);
                text += "\n";
            }
        }
        return text;
    }
};

TEST_F(RecostReferenceTest, EveryRecipeEndsAsTheStatementsOneItemAtATimeLeaveIt) {
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {
        const int mode = seed % 3 == 0 ? pmLast : pmNow;
        SCOPED_TRACE("seed " + std::to_string(seed) + " mode " + std::to_string(mode));
        std::vector<int> order = Cooks();
        std::shuffle(order.begin(), order.end(), std::mt19937(seed));

        TearDown();
        SetUp();
        Generate(seed);
        std::vector<bool> expected;
        for (int id : order) expected.push_back(Reference(id, mode, TPriorityItem()));
        const std::string reference = Dump();

        TearDown();
        SetUp();
        Generate(seed);
        std::vector<bool> results;
        for (int id : order) results.push_back(Refresh(id, static_cast<TVktPriceMode>(mode)));
        EXPECT_EQ(results, expected);
        EXPECT_EQ(Dump(), reference);
    }
}

} // namespace

// ---- Random edits against costing from scratch --------------------------------------------------------

namespace {

// Ingredients 1..12 with buy prices, recipes 21..34 of ingredients and of recipes with lower ids,
// menus 41..44 of recipes: no cycles, so every price follows from the buy prices alone.
class CostingFromScratchTest : public RecostTest {
protected:
    static constexpr int kIngredients = 12;
    static constexpr int kRecipes = 14;
    static constexpr int kMenus = 4;

    void Generate(std::mt19937& random) {
        const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        for (int id = 1; id <= kIngredients; ++id) {
            AddIngredient(id, "0");
            Sql("insert into VktDB1K values (" + std::to_string(id) + ", 5, " + std::to_string(pick(90000) / 7.0) +
                ", " + std::to_string(1 + pick(20)) + ", " + std::to_string(50 + pick(51)) + ", 1)");
            ASSERT_TRUE(functor.UpdatePriceChain(id));
        }
        for (int id = 21; id < 21 + kRecipes; ++id) AddCook(id, kRecipeClass, 1 + pick(8) / 3.0, "0");
        for (int id = 41; id < 41 + kMenus; ++id) AddCook(id, kMenuClass, 1 + pick(3), "0");
        for (int recipe : Cooks()) {
            const int count = 1 + pick(6);
            for (int i = 0; i < count; ++i) {
                const bool menu = recipe > 40;
                const int record = menu || (recipe > 21 && pick(3) == 0) ? 21 + pick(menu ? kRecipes : recipe - 21)
                                                                         : 1 + pick(kIngredients);
                AddItem(recipe, record, 1 + pick(40) / 4.0, 0);
            }
        }
    }
    static std::vector<int> Cooks() {
        std::vector<int> ids;
        for (int id = 21; id < 21 + kRecipes; ++id) ids.push_back(id);
        for (int id = 41; id < 41 + kMenus; ++id) ids.push_back(id);
        return ids;
    }
    // Each step one edit through the functor: an ingredient's buy price, quantity or yield, an
    // item's use, or a recipe's or menu's completion.
    void Edit(std::mt19937& random, int steps) {
        const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const auto keys = [](std::initializer_list<int> values) {
            TPriorityItem k;
            for (int v : values) k << v;
            return k;
        };
        for (int step = 0; step < steps; ++step) {
            const int cook = Cooks()[static_cast<std::size_t>(pick(kRecipes + kMenus))];
            switch (pick(5)) {
            case 0: ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, platform::Variant(pick(90000) / 7.0),
                                                 keys({1 + pick(kIngredients)}))); break;
            case 1: ASSERT_TRUE(functor.EditData(TVktField::Quantity, platform::Variant(1.0 + pick(20)),
                                                 keys({1 + pick(kIngredients)}))); break;
            case 2: ASSERT_TRUE(functor.EditData(TVktField::Yield, platform::Variant(50.0 + pick(51)),
                                                 keys({1 + pick(kIngredients)}))); break;
            case 3: {
                const int items = static_cast<int>(Int("select count(*) from VktDB1O where Item_Key = " +
                                                       std::to_string(cook)));
                ASSERT_TRUE(functor.EditData(TVktField::ItemUse, platform::Variant(1 + pick(40) / 4.0),
                                             keys({cook, 1 + pick(items)})));
                break;
            }
            default: ASSERT_TRUE(functor.EditData(TVktField::Complete, platform::Variant(1 + pick(8) / 3.0),
                                                  keys({cook})));
            }
        }
    }
    // A record's use price computed from the buy prices down, each price rounded to the currency.
    double FromScratch(int id) {
        const std::string key = std::to_string(id);
        if (id <= kIngredients) {
            platform::Statement food(Db(), "select BuyPrice, Quantity, Yield from VktDB1K where Food_Key = " + key);
            EXPECT_TRUE(food.Step());
            return platform::Currency::FromDouble(food.GetDouble(0) * (100.0 / food.GetDouble(2)) / food.GetDouble(1))
                .ToDouble();
        }
        std::vector<std::pair<double, int>> items;
        {
            platform::Statement rows(Db(), "select ItemUse, Data_Key from VktDB1O where Item_Key = " + key +
                                               " order by ItemIndex");
            while (rows.Step()) items.emplace_back(rows.GetDouble(0), rows.GetInt(1));
        }
        double total = 0;
        for (const auto& [use, record] : items) total += use * FromScratch(record);
        const double complete = static_cast<double>(
            Real("select Complete from VktDB1N where Cook_Key = " + key));
        return platform::Currency::FromDouble(total / complete).ToDouble();
    }
};

TEST_F(CostingFromScratchTest, EveryRecipeAndMenuCostsAsItsItemsAfterRandomEdits) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TearDown();
        SetUp();
        std::mt19937 random(seed);
        Generate(random);
        Edit(random, 60);
        // Recosting the menus, then the recipes no menu reaches, with a run later than every edit.
        const platform::TDateTime run = FixedNow() + 1;
        for (int id = 41; id < 41 + kMenus; ++id) ASSERT_TRUE(Refresh(id, pmNow, run)) << id;
        for (int id = 21; id < 21 + kRecipes; ++id) ASSERT_TRUE(Refresh(id, pmNow, run)) << id;
        for (int id = 1; id <= kIngredients; ++id)
            EXPECT_EQ(Real("select UsePrice from VktDB1F where Data_ID = " + std::to_string(id)), FromScratch(id)) << id;
        for (int id : Cooks()) {
            const std::string key = std::to_string(id);
            EXPECT_EQ(Real("select UsePrice from VktDB1F where Data_ID = " + key), FromScratch(id)) << id;
            double total = 0;
            platform::Statement items(Db(), "select ItemUse * ItemPrice from VktDB1O where Item_Key = " + key +
                                                " order by ItemIndex");
            while (items.Step()) total += items.GetDouble(0);
            EXPECT_EQ(Real("select TotalPrice from VktDB1N where Cook_Key = " + key), total) << id;
        }
    }
}

} // namespace

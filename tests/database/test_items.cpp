// Recipe items: append with its price modes and refusals, delete, move, split and clear
// categories; the three numberings stay without gaps and no price changes.
#include "DbFixture.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kRecipe = 1;
constexpr int kRecipeClass = 35;   // "2000100"
constexpr int kFoodClass = 4;      // "200000000"
constexpr const char* kOld = "2024-01-01 00:00:00";
constexpr const char* kNow = "2024-03-15 10:20:30";

class RecipeItemTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
        AddRecord(kRecipe, kRecipeClass, platform::Variant::Null());
        Sql("insert into VktDB1N values (1, 2, 500, 900)");
        Sql("update VktDB1F set UsePrice = 250 where Data_ID = 1");
    }

    void AddRecord(int id, int classId, const platform::Variant& usePrice, int unit = 5) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = unit, .UsePrice = usePrice, .ChangeDate = kOld});
    }
    // Items of the recipe written as (Category, CatIndex) in this order; item i uses record 100 + i.
    void Arrange(const std::vector<std::pair<int, int>>& places) {
        Sql("delete from VktDB1O");
        for (std::size_t i = 0; i < places.size(); ++i) {
            const std::string index = std::to_string(i + 1);
            Sql("insert into VktDB1O values (1, " + index + ", " + std::to_string(places[i].first) + ", " +
                std::to_string(places[i].second) + ", 10" + index + ", 1, 10, 5, 10)");
        }
    }
    // "ItemIndex:record(Category,CatIndex)" for every item in ItemIndex order.
    std::string Dump() {
        return Text("select group_concat(s, ' ') from (select ItemIndex || ':' || Data_Key || '(' || Category || ',' "
                    "|| CatIndex || ')' as s from VktDB1O where Item_Key = 1 order by ItemIndex)");
    }
    std::string Stamp() { return Text("select ChangeDate from VktDB1F where Data_ID = 1"); }
    // Totals of the recipe, which no item operation may change.
    std::string Totals() {
        return Text("select TotalPrice || '|' || UsePrice from VktDB1N, VktDB1F where Cook_Key = 1 and Data_ID = 1");
    }
    void ResetStamp() { Sql(std::string("update VktDB1F set ChangeDate = '") + kOld + "' where Data_ID = 1"); }
};

// ---- Append --------------------------------------------------------------------------------------------

TEST_F(RecipeItemTest, AppendJoinsTheLastCategoryWithNoUse) {
    AddRecord(10, kFoodClass, 25, 6);
    EXPECT_TRUE(functor.AppendRecipeItem(kRecipe, 10, pmNow));
    EXPECT_EQ(Dump(), "1:10(1,1)");
    EXPECT_EQ(Text("select ItemUse || '|' || ItemPrice || '|' || ItemUnit_Key || '|' || ItemUsePrice from VktDB1O"),
              "0.0|25.0|6|0.0");
    EXPECT_EQ(Stamp(), kNow);

    Arrange({{1, 1}, {1, 2}, {2, 1}});
    EXPECT_TRUE(functor.AppendRecipeItem(kRecipe, 10, pmNow));
    EXPECT_EQ(Dump(), "1:101(1,1) 2:102(1,2) 3:103(2,1) 4:10(2,2)");
    EXPECT_EQ(Totals(), "500.0|250.0");
}

TEST_F(RecipeItemTest, AppendRefusals) {
    EXPECT_FALSE(functor.AppendRecipeItem(kRecipe, kRecipe, pmNow)) << "a recipe in itself";
    AddRecord(10, kFoodClass, 25);
    AddRecord(11, kFoodClass, 30);
    EXPECT_FALSE(functor.AppendRecipeItem(10, 11, pmNow)) << "into an ingredient";
    EXPECT_FALSE(functor.AppendRecipeItem(kRecipe, 11, static_cast<TVktPriceMode>(pmMin + 1)))
        << "no price column above pmMin";
    EXPECT_EQ(Count(TVktTable::TblItem), 0);
    EXPECT_EQ(Stamp(), kOld);
    EXPECT_EQ(Text("select ChangeDate from VktDB1F where Data_ID = 10"), kOld);
}

TEST_F(RecipeItemTest, RecordsInTheTrashOrKeptSkipTheClassTest) {
    AddRecord(10, kFoodClass, 25);
    AddRecord(11, kFoodClass, 30);
    AddRecord(12, kFoodClass, 35);
    Sql("insert into VktDB1G values (11, '2024-02-01 00:00:00')");
    Sql("update VktDB1F set Conserve = 1 where Data_ID = 12");
    EXPECT_TRUE(functor.AppendRecipeItem(10, 11, pmNow));
    EXPECT_TRUE(functor.AppendRecipeItem(10, 12, pmNow));
    EXPECT_EQ(Text("select group_concat(Data_Key) from VktDB1O where Item_Key = 10"), "11,12");
}

TEST_F(RecipeItemTest, AppendOfAMissingRecordInsertsNothingButSucceeds) {
    EXPECT_TRUE(functor.AppendRecipeItem(kRecipe, 77, pmNow));
    EXPECT_EQ(Count(TVktTable::TblItem), 0);
    EXPECT_EQ(Stamp(), kNow);
}

TEST_F(RecipeItemTest, PriceModesTakeTheNewestYearlyRow) {
    AddRecord(10, kFoodClass, 25, 6);
    Sql("insert into VktDB1M values (10, '2023-12-31', 6, 11, 12, 13, 14)");
    Sql("insert into VktDB1M values (10, '2024-01-31', 6, 21, 22, 23, 24)");
    Sql("insert into VktDB1M values (10, '2023-02-28', 6, 31, 32, 33, 34)");
    AddRecord(11, kFoodClass, 40, 7);   // no yearly history
    for (int mode = pmNow; mode <= pmMin; ++mode) {
        ASSERT_TRUE(functor.AppendRecipeItem(kRecipe, 10, static_cast<TVktPriceMode>(mode)));
        ASSERT_TRUE(functor.AppendRecipeItem(kRecipe, 11, static_cast<TVktPriceMode>(mode)));
    }
    EXPECT_EQ(Text("select group_concat(ItemPrice, ' ') from (select ItemPrice from VktDB1O order by ItemIndex)"),
              "25.0 40.0 21.0 40.0 22.0 40.0 23.0 40.0 24.0 40.0");
}

TEST_F(RecipeItemTest, AnUnpricedRecipeIsCopiedAtAPriceOf0) {
    AddRecord(20, kRecipeClass, platform::Variant::Null());   // a use price without a value
    EXPECT_TRUE(functor.AppendRecipeItem(kRecipe, 20, pmNow));
    EXPECT_EQ(Int("select count(*) from VktDB1O where Data_Key = 20 and ItemPrice = 0"), 1);
}

// ---- Delete, move, split, clear: the cases of the numbering ---------------------------------------------

struct ItemCase {
    const char* Name;
    std::vector<std::pair<int, int>> Before;
    char Operation;   // 'd' delete, 'u' up, 'n' down, 's' split, 'c' clear
    int Index;
    bool Result;
    const char* After;
};

const ItemCase kItemCases[] = {
    {"delete heads a category that keeps items", {{1, 1}, {1, 2}, {2, 1}}, 'd', 1, true, "1:102(1,1) 2:103(2,1)"},
    {"delete empties its category", {{1, 1}, {2, 1}, {3, 1}}, 'd', 2, true, "1:101(1,1) 2:103(2,1)"},
    {"delete in the middle of a category", {{1, 1}, {1, 2}, {1, 3}, {2, 1}}, 'd', 2, true,
     "1:101(1,1) 2:103(1,2) 3:104(2,1)"},
    {"delete the last item", {{1, 1}, {1, 2}}, 'd', 2, true, "1:101(1,1)"},
    {"delete index 0", {{1, 1}, {1, 2}}, 'd', 0, false, "1:101(1,1) 2:102(1,2)"},
    {"delete past the end", {{1, 1}, {1, 2}}, 'd', 3, false, "1:101(1,1) 2:102(1,2)"},
    {"up: head joins the previous category", {{1, 1}, {1, 2}, {2, 1}}, 'u', 3, true,
     "1:101(1,1) 2:102(1,2) 3:103(1,3)"},
    {"up: head leaves items behind", {{1, 1}, {2, 1}, {2, 2}}, 'u', 2, true, "1:101(1,1) 2:102(1,2) 3:103(2,1)"},
    {"up: single-item category closes", {{1, 1}, {2, 1}, {3, 1}}, 'u', 2, true, "1:101(1,1) 2:102(1,2) 3:103(2,1)"},
    {"up: swap inside a category", {{1, 1}, {1, 2}}, 'u', 2, true, "1:102(1,1) 2:101(1,2)"},
    {"up: index 1", {{1, 1}, {1, 2}}, 'u', 1, false, "1:101(1,1) 2:102(1,2)"},
    {"up: past the end", {{1, 1}, {1, 2}}, 'u', 3, false, "1:101(1,1) 2:102(1,2)"},
    {"down: the categories merge", {{1, 1}, {2, 1}}, 'n', 1, true, "1:101(1,1) 2:102(1,2)"},
    {"down: end becomes head of the next", {{1, 1}, {1, 2}, {2, 1}}, 'n', 2, true,
     "1:101(1,1) 2:102(2,1) 3:103(2,2)"},
    {"down: swap inside a category", {{1, 1}, {1, 2}, {1, 3}}, 'n', 2, true, "1:101(1,1) 2:103(1,2) 3:102(1,3)"},
    {"down: the last item", {{1, 1}, {1, 2}}, 'n', 2, false, "1:101(1,1) 2:102(1,2)"},
    {"down: index 0", {{1, 1}, {1, 2}}, 'n', 0, false, "1:101(1,1) 2:102(1,2)"},
    {"split in the middle", {{1, 1}, {1, 2}, {1, 3}}, 's', 2, true, "1:101(1,1) 2:102(2,1) 3:103(2,2)"},
    {"split moves later categories", {{1, 1}, {1, 2}, {2, 1}}, 's', 2, true, "1:101(1,1) 2:102(2,1) 3:103(3,1)"},
    {"split at a head", {{1, 1}, {1, 2}, {1, 3}}, 's', 1, false, "1:101(1,1) 2:102(1,2) 3:103(1,3)"},
    {"split index 0", {{1, 1}, {1, 2}}, 's', 0, false, "1:101(1,1) 2:102(1,2)"},
    {"split past the end", {{1, 1}, {1, 2}}, 's', 3, false, "1:101(1,1) 2:102(1,2)"},
    {"clear", {{1, 1}, {2, 1}, {2, 2}}, 'c', 0, true, "1:101(1,1) 2:102(1,2) 3:103(1,3)"},
};

TEST_F(RecipeItemTest, OperationsKeepTheNumberingWithoutGaps) {
    for (const ItemCase& c : kItemCases) {
        Arrange(c.Before);
        ResetStamp();
        bool result = false;
        switch (c.Operation) {
        case 'd': result = functor.DeleteRecipeItem(kRecipe, c.Index); break;
        case 'u': result = functor.MoveRecipeItemUp(kRecipe, c.Index); break;
        case 'n': result = functor.MoveRecipeItemDown(kRecipe, c.Index); break;
        case 's': result = functor.SplitItemCategory(kRecipe, c.Index); break;
        default: result = functor.ClearItemCategories(kRecipe); break;
        }
        EXPECT_EQ(result, c.Result) << c.Name;
        EXPECT_EQ(Dump(), c.After) << c.Name;
        EXPECT_EQ(Stamp(), c.Result ? kNow : kOld) << c.Name;
        EXPECT_EQ(Totals(), "500.0|250.0") << c.Name;
        EXPECT_EQ(Int("select count(*) from VktDB1O where ItemPrice <> 10 or ItemUsePrice <> 10"), 0) << c.Name;
    }
}

TEST_F(RecipeItemTest, OtherRecipesAreNotTouched) {
    Arrange({{1, 1}, {1, 2}, {2, 1}});
    Sql("insert into VktDB1O values (2, 1, 1, 1, 201, 1, 10, 5, 10)");
    Sql("insert into VktDB1O values (2, 2, 2, 1, 202, 1, 10, 5, 10)");
    EXPECT_TRUE(functor.DeleteRecipeItem(kRecipe, 1));
    EXPECT_TRUE(functor.ClearItemCategories(kRecipe));
    EXPECT_TRUE(functor.SplitItemCategory(kRecipe, 2));
    EXPECT_EQ(Text("select group_concat(ItemIndex || ':' || Data_Key || '(' || Category || ',' || CatIndex || ')', ' ') "
                   "from VktDB1O where Item_Key = 2"),
              "1:201(1,1) 2:202(2,1)");
}

// ---- A long random run against a simple model --------------------------------------------------------------

// Items as (record, category) in ItemIndex order; CatIndex follows from the runs.
struct ItemModel {
    std::vector<std::pair<int, int>> Items;

    int Count() const { return static_cast<int>(Items.size()); }
    bool HasOther(int category, int except) const {
        for (int j = 0; j < Count(); ++j)
            if (j != except && Items[j].second == category) return true;
        return false;
    }
    bool Append(int record) {
        Items.emplace_back(record, Items.empty() ? 1 : Items.back().second);
        return true;
    }
    bool Delete(int i) {
        if (i < 1 || i > Count()) return false;
        const int category = Items[i - 1].second;
        const bool alone = !HasOther(category, i - 1);
        Items.erase(Items.begin() + (i - 1));
        if (alone)
            for (auto& item : Items) item.second -= item.second > category ? 1 : 0;
        return true;
    }
    bool Up(int i) {
        if (i < 2 || i > Count()) return false;
        auto& item = Items[i - 1];
        const auto& previous = Items[i - 2];
        if (previous.second != item.second) {
            const int category = item.second;
            item.second = previous.second;
            if (!HasOther(category, -1))
                for (auto& other : Items) other.second -= other.second > category ? 1 : 0;
        } else {
            std::swap(Items[i - 1].first, Items[i - 2].first);
        }
        return true;
    }
    bool Down(int i) {
        if (i < 1 || i >= Count()) return false;
        auto& item = Items[i - 1];
        const auto& next = Items[i];
        if (next.second != item.second) {
            const int category = item.second;
            item.second = next.second;
            if (!HasOther(category, -1))
                for (auto& other : Items) other.second -= other.second > category ? 1 : 0;
        } else {
            std::swap(Items[i - 1].first, Items[i].first);
        }
        return true;
    }
    bool Split(int i) {
        if (i < 1 || i > Count() || i == 1 || Items[i - 2].second != Items[i - 1].second) return false;
        for (int j = i - 1; j < Count(); ++j) ++Items[j].second;
        return true;
    }
    bool Clear() {
        for (auto& item : Items) item.second = 1;
        return true;
    }
    std::string Dump() const {
        std::string text;
        int catIndex = 0;
        for (int j = 0; j < Count(); ++j) {
            catIndex = j > 0 && Items[j - 1].second == Items[j].second ? catIndex + 1 : 1;
            if (j) text += ' ';
            text += std::to_string(j + 1) + ":" + std::to_string(Items[j].first) + "(" +
                    std::to_string(Items[j].second) + "," + std::to_string(catIndex) + ")";
        }
        return text;
    }
};

TEST_F(RecipeItemTest, RandomOperationsMatchTheModel) {
    for (int record = 10; record < 20; ++record) AddRecord(record, kFoodClass, record);
    ItemModel model;
    std::mt19937 random(20240315);
    for (int step = 0; step < 400; ++step) {
        const int operation = static_cast<int>(random() % 6);
        const int index = static_cast<int>(random() % static_cast<unsigned>(model.Count() + 2));   // 0 .. n+1
        bool expected = false;
        bool result = false;
        std::string name;
        switch (operation) {
        case 0: {
            const int record = 10 + static_cast<int>(random() % 10);
            name = "append " + std::to_string(record);
            if (model.Count() >= 12) continue;
            expected = model.Append(record);
            result = functor.AppendRecipeItem(kRecipe, record, pmNow);
            break;
        }
        case 1: name = "delete"; expected = model.Delete(index); result = functor.DeleteRecipeItem(kRecipe, index); break;
        case 2: name = "up"; expected = model.Up(index); result = functor.MoveRecipeItemUp(kRecipe, index); break;
        case 3: name = "down"; expected = model.Down(index); result = functor.MoveRecipeItemDown(kRecipe, index); break;
        case 4: name = "split"; expected = model.Split(index); result = functor.SplitItemCategory(kRecipe, index); break;
        default:
            name = "clear";
            if (random() % 4 != 0) continue;   // rarely, or every category would soon be gone
            expected = model.Clear();
            result = functor.ClearItemCategories(kRecipe);
            break;
        }
        ASSERT_EQ(result, expected) << "step " << step << ": " << name << " " << index;
        ASSERT_EQ(Dump(), model.Dump()) << "step " << step << ": " << name << " " << index;
    }
    EXPECT_EQ(Totals(), "500.0|250.0");
}

} // namespace

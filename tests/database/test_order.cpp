// Reordering: moving a form, unit, dealer or attribute item to another key with every reference
// following it, and swapping a class's sub-tree with a neighbouring sibling's.
#include "DbFixture.h"

#include <string>
#include <vector>

namespace {

constexpr int kMeat = 3;      // "2000000", first child of the ingredients
constexpr int kFish = 8;      // "2000001"
constexpr int kOthers = 30;   // "2000006", last child of the ingredients
constexpr int kFoods = 2;     // "20000"
constexpr int kBeef = 4;      // "200000000"

// The seven columns that refer to a form or unit, with the table and the key column of the row.
struct UnitColumn {
    const char* Table;
    const char* Key;
    const char* Column;
};

const UnitColumn kUnitColumns[] = {
    {"VktDB1F", "Data_ID", "Form_Key"},          {"VktDB1F", "Data_ID", "UseUnit_Key"},
    {"VktDB1K", "Food_Key", "BuyUnit_Key"},      {"VktDB1L", "MHistory_Key", "MHistoryUnit_Key"},
    {"VktDB1M", "YHistory_Key", "YHistoryUnit_Key"}, {"VktDB1Q", "Inventory_Key", "InvUnit_Key"},
    {"VktDB1O", "Item_Key", "ItemUnit_Key"},
};

class OrderTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }

    // Rows 10 + k referring to unit k in every column, for k = 0 (no reference) .. 15, and one row
    // with no reference at all.
    void ReferToUnits() {
        for (int k = 0; k <= 15; ++k) {
            const std::string id = std::to_string(10 + k);
            const std::string unit = std::to_string(k);
            Add(vkttest::DataRow{.Data_ID = 10 + k, .Class_Key = 4, .Form_Key = k, .UseUnit_Key = k});
            Sql("insert into VktDB1K values (" + id + ", " + unit + ", 1, 1, 100, 1)");
            Sql("insert into VktDB1L values (" + id + ", '2024-01-01', " + unit + ", 1)");
            Sql("insert into VktDB1M values (" + id + ", '2023-12-31', " + unit + ", 1, 1, 1, 1)");
            Sql("insert into VktDB1Q values (" + id + ", 1, " + unit + ", 1, 1)");
            Sql("insert into VktDB1O values (" + id + ", 1, 1, 1, 2, 1, 1, " + unit + ", 1)");
        }
        Add(vkttest::DataRow{.Data_ID = 99, .Class_Key = 4});
    }
    // The unit each row 10 + k of a column refers to, for k = 0 .. 15 ("0,1,...").
    std::string References(const UnitColumn& column) {
        return Text(std::string("select group_concat(coalesce(") + column.Column + ", 'null')) from (select " +
                    column.Column + " from " + column.Table + " where " + column.Key + " between 10 and 25 order by " +
                    column.Key + ")");
    }
    // The form and unit names in key order.
    std::string Units(int first, int last) {
        return Text("select group_concat(Units, ',') from (select Units from VktDB1B where Units_ID between " +
                    std::to_string(first) + " and " + std::to_string(last) + " order by Units_ID)");
    }
    std::string Keys(const std::string& table, const std::string& column) {
        return Text("select group_concat(" + column + ") from (select " + column + " from " + table + " order by " +
                    column + ")");
    }
    // "Class_ID:TreeID" of every class, in Class_ID order.
    std::string Tree() {
        return Text("select group_concat(s, ' ') from (select Class_ID || ':' || TreeID as s from VktDB1A "
                    "order by Class_ID)");
    }
    std::string TreeID(int classId) {
        return Text("select TreeID from VktDB1A where Class_ID = " + std::to_string(classId));
    }
};

// ---- Forms and units ------------------------------------------------------------------------------

TEST_F(OrderTest, MovingAFormUpTakesEveryReferenceAlong) {
    ReferToUnits();
    EXPECT_EQ(Units(1, 5), "---,生鮮,冷凍,缶、瓶,グラム");
    ASSERT_TRUE(functor.MoveUnit(4, 2));
    EXPECT_EQ(Units(1, 5), "---,缶、瓶,生鮮,冷凍,グラム");
    EXPECT_EQ(Count(TVktTable::TblUnits), 24);
    // Row 10 + k referred to unit k: old 2 and 3 are now 3 and 4, old 4 is 2; 0 stays 0.
    for (const UnitColumn& column : kUnitColumns)
        EXPECT_EQ(References(column), "0,1,3,4,2,5,6,7,8,9,10,11,12,13,14,15") << column.Column;
    EXPECT_EQ(Text("select coalesce(Form_Key, 'null') || coalesce(UseUnit_Key, 'null') from VktDB1F "
                   "where Data_ID = 99"),
              "nullnull");
}

TEST_F(OrderTest, MovingAFormDownShiftsTheOthersUp) {
    ReferToUnits();
    ASSERT_TRUE(functor.MoveUnit(2, 4));
    EXPECT_EQ(Units(1, 5), "---,冷凍,缶、瓶,生鮮,グラム");
    for (const UnitColumn& column : kUnitColumns)
        EXPECT_EQ(References(column), "0,1,4,2,3,5,6,7,8,9,10,11,12,13,14,15") << column.Column;
}

TEST_F(OrderTest, MovingAUnitPastFormsShiftsTheFormsToo) {
    // Units 5..12 serve ingredients, forms 13 and 14 recipes, 15 is the recipes' first unit.
    ReferToUnits();
    ASSERT_TRUE(functor.MoveUnit(15, 12));
    EXPECT_EQ(Units(12, 15), "グラム,缶、瓶,温製,冷製");
    EXPECT_EQ(Text("select group_concat(UnitsKind) from (select UnitsKind from VktDB1B where Units_ID between 12 "
                   "and 15 order by Units_ID)"),
              "1,1,0,0");
    for (const UnitColumn& column : kUnitColumns)
        EXPECT_EQ(References(column), "0,1,2,3,4,5,6,7,8,9,10,11,13,14,15,12") << column.Column;
}

TEST_F(OrderTest, AMoveToItsOwnOrANonPositiveKeyIsRefused) {
    ReferToUnits();
    EXPECT_FALSE(functor.MoveUnit(3, 3));
    EXPECT_FALSE(functor.MoveUnit(3, 0));
    EXPECT_FALSE(functor.MoveUnit(0, 3));
    EXPECT_FALSE(functor.MoveDealer(1, 1));
    EXPECT_FALSE(functor.MoveAttrItem(-1, 1));
    EXPECT_EQ(Units(1, 5), "---,生鮮,冷凍,缶、瓶,グラム");
    for (const UnitColumn& column : kUnitColumns)
        EXPECT_EQ(References(column), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15") << column.Column;
}

TEST_F(OrderTest, AFailingMoveLeavesEveryKeyWhereItWas) {
    ReferToUnits();
    Sql("create trigger NoMove before update on VktDB1O begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.MoveUnit(4, 2));
    EXPECT_EQ(Units(1, 5), "---,生鮮,冷凍,缶、瓶,グラム");
    EXPECT_EQ(Keys("VktDB1B", "Units_ID"), "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24");
    for (const UnitColumn& column : kUnitColumns)
        EXPECT_EQ(References(column), "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15") << column.Column;
}

// ---- Dealers and attribute items ------------------------------------------------------------------

TEST_F(OrderTest, MovingADealerRewritesTheIngredientsDealerKeys) {
    Sql("insert into VktDB1C (Dealer_ID, Company) values (2, 'Fish market'), (3, 'Greengrocer')");
    Sql("insert into VktDB1K values (1, 5, 1, 1, 100, 1), (2, 5, 1, 1, 100, 2), (3, 5, 1, 1, 100, 3), "
        "(4, 5, 1, 1, 100, 3)");
    ASSERT_TRUE(functor.MoveDealer(3, 2));
    EXPECT_EQ(Text("select group_concat(Company, ',') from (select Company from VktDB1C order by Dealer_ID)"),
              "---,Greengrocer,Fish market");
    EXPECT_EQ(Text("select group_concat(Dealer_Key) from (select Dealer_Key from VktDB1K order by Food_Key)"),
              "1,3,2,2");
    ASSERT_TRUE(functor.MoveDealer(1, 3));
    EXPECT_EQ(Text("select group_concat(Company, ',') from (select Company from VktDB1C order by Dealer_ID)"),
              "Greengrocer,Fish market,---");
    EXPECT_EQ(Text("select group_concat(Dealer_Key) from (select Dealer_Key from VktDB1K order by Food_Key)"),
              "3,2,1,1");
}

TEST_F(OrderTest, MovingAnAttributeItemKeepsEachRecordsChecks) {
    // Record 1 checks items 2 and 3: the swap must not collide in (Attribute_Key, AttrItem_Key).
    Sql("insert into VktDB1D values (1, 'Halal'), (2, 'Vegan'), (3, 'Spicy')");
    Sql("insert into VktDB1J values (1, 2, 1), (1, 3, 0), (2, 3, 1)");
    ASSERT_TRUE(functor.MoveAttrItem(3, 2));
    EXPECT_EQ(Text("select group_concat(Attribute, ',') from (select Attribute from VktDB1D order by AttrItem_ID)"),
              "Halal,Spicy,Vegan");
    EXPECT_EQ(Text("select group_concat(s, ' ') from (select Attribute_Key || ':' || AttrItem_Key || '=' || AttrCheck "
                   "as s from VktDB1J order by Attribute_Key, AttrItem_Key)"),
              "1:2=0 1:3=1 2:2=1");
}

// ---- Classes --------------------------------------------------------------------------------------

TEST_F(OrderTest, MovingAClassUpSwapsTheWholeSubTrees) {
    Sql("insert into VktDB1A values (48, '20000010000', 1, 'Tuna', NULL, 5)");   // below 魚類 (id 9)
    const std::string before = Tree();
    ASSERT_TRUE(functor.MoveClassUp(kFish));

    std::string expected = before;
    auto replace = [&](int id, const std::string& from, const std::string& to) {
        const std::string old = std::to_string(id) + ":" + from;
        const auto at = expected.find(old + " ");
        ASSERT_NE(at, std::string::npos) << old;
        expected.replace(at, old.size(), std::to_string(id) + ":" + to);
    };
    replace(3, "2000000", "2000001");
    for (int i = 0; i < 4; ++i) {
        replace(4 + i, "20000000" + std::to_string(i), "20000010" + std::to_string(i));
        replace(9 + i, "20000010" + std::to_string(i), "20000000" + std::to_string(i));
    }
    replace(8, "2000001", "2000000");
    expected.replace(expected.find("48:20000010000"), 14, "48:20000000000");
    EXPECT_EQ(Tree(), expected);

    // Down again restores the tree.
    ASSERT_TRUE(functor.MoveClassDown(kFish));
    EXPECT_EQ(Tree(), before);
}

TEST_F(OrderTest, MovingDownIsTheSameSwapFromTheOtherSide) {
    const std::string before = Tree();
    ASSERT_TRUE(functor.MoveClassUp(kFish));
    const std::string up = Tree();
    ASSERT_TRUE(functor.MoveClassDown(kFish));   // back
    EXPECT_EQ(Tree(), before);
    ASSERT_TRUE(functor.MoveClassDown(kMeat));
    EXPECT_EQ(Tree(), up);
}

TEST_F(OrderTest, TheEndsAndTheFixedClassesDoNotMove) {
    const std::string before = Tree();
    EXPECT_FALSE(functor.MoveClassUp(kMeat));      // first child
    EXPECT_FALSE(functor.MoveClassDown(kOthers));  // last child
    EXPECT_FALSE(functor.MoveClassUp(34));         // "20001", depth 2
    EXPECT_FALSE(functor.MoveClassDown(kFoods));   // "20000", depth 2
    EXPECT_FALSE(functor.MoveClassDown(1));        // the root
    EXPECT_FALSE(functor.MoveClassUp(999));
    EXPECT_FALSE(functor.MoveClassDown(999));
    EXPECT_EQ(Tree(), before);
}

TEST_F(OrderTest, ASubTreeDownToTheDeepestLevelMovesIntact) {
    // A chain below 牛肉 down to depth 10: 21-character TreeIDs.
    std::string tree = "200000000";
    for (int id = 48; id <= 53; ++id) {
        tree += "00";
        Sql("insert into VktDB1A values (" + std::to_string(id) + ", '" + tree + "', 1, 'C', NULL, 5)");
    }
    ASSERT_EQ(TreeID(53).size(), 21u);
    ASSERT_TRUE(functor.MoveClassDown(kBeef));
    EXPECT_EQ(TreeID(kBeef), "200000001");
    EXPECT_EQ(TreeID(5), "200000000");
    EXPECT_EQ(TreeID(53), "200000001" + std::string(12, '0'));
    EXPECT_EQ(Int("select max(length(TreeID)) from VktDB1A"), 21);
}

TEST_F(OrderTest, AFailingSwapLeavesTheTree) {
    const std::string before = Tree();
    Sql("create trigger NoMove before update on VktDB1A when old.Class_ID = 12 "
        "begin select raise(abort, 'refused'); end");
    EXPECT_FALSE(functor.MoveClassUp(kFish));
    EXPECT_EQ(Tree(), before);
}

} // namespace

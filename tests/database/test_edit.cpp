// Field edits and the price chain: use prices of ingredients, recipes and menus in double
// precision, today's history row, change stamps, detail rows, key fields and attribute checks.
#include "DbFixture.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <optional>

namespace {

constexpr int kBeef = 4;       // ingredient leaf class
constexpr int kBase = 35;      // recipe leaf class
constexpr int kBanquet = 44;   // menu leaf class
constexpr const char* kOldStamp = "2020-01-01 00:00:00";
constexpr const char* kNow = "2024-03-15 10:20:30";

using platform::Variant;

TPriorityItem Keys(std::initializer_list<int> values) {
    TPriorityItem keys;
    for (int v : values) keys << v;
    return keys;
}

class EditTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }

    void AddData(int id, int classId, int useUnit = 5) {
        Add(vkttest::DataRow{.Data_ID = id, .Class_Key = classId, .Form_Key = 1, .Data = "R" + std::to_string(id),
                             .UseUnit_Key = useUnit, .UsePrice = 0, .CreateDate = kOldStamp, .ChangeDate = kOldStamp});
    }
    void AddFood(int id, double buyPrice, double quantity, double yield) {
        AddData(id, kBeef);
        Sql("insert into VktDB1K values (" + std::to_string(id) + ", 5, " + Num(buyPrice) + ", " + Num(quantity) +
            ", " + Num(yield) + ", 1)");
    }
    void AddCook(int id, int classId, double complete) {
        AddData(id, classId, 19);
        Add(vkttest::CookRow{.Cook_Key = id, .Complete = complete, .TotalPrice = Variant::Null()});
    }
    void AddItem(int recipe, int index, int dataKey, double use, double price,
                 std::optional<double> usePrice = {}) {
        Add(vkttest::ItemRow{.Item_Key = recipe, .ItemIndex = index, .Category = 0, .Data_Key = dataKey,
                             .ItemUse = use, .ItemPrice = price,
                             .ItemUsePrice = usePrice ? Variant(*usePrice) : Variant::Null()});
    }
    static std::string Num(double value) {
        char buffer[64];
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
        return std::string(buffer, end);
    }
    double UsePrice(int id) { return Real("select UsePrice from VktDB1F where Data_ID = " + std::to_string(id)); }
    std::string ChangeDate(int id) {
        return Text("select ChangeDate from VktDB1F where Data_ID = " + std::to_string(id));
    }
};

// ---- Ingredients ----------------------------------------------------------------------------------------

struct FoodCase {
    double buyPrice, quantity, yield;
    double usePrice;
};

// Every case is reached through an edit of each of the three price fields.
TEST_F(EditTest, IngredientUsePriceIsBuyPriceOverYieldAndQuantity) {
    const FoodCase cases[] = {
        {1000, 50, 80, 25.0},                        // not 20: no integer division
        {300, 2, 50, 300.0},
        {1000, 3, 100, 333.3333},                    // rounded once to the currency
        {10, 2, 75, 6.6667},
        {4, 1, 75, 5.3333},                          // not 5.3332: 100 / 75 is not cut first
        {1234.5678, 7, 33, 534.4449},
        {1000, 50, 120, 16.6667},                    // yield above 100 is taken as it stands
        {1000, 50, -5, -400.0},                      // so is a negative yield
        {-10, 2, 100, -5.0},                         // and a negative price
        {0, 4, 90, 0.0},
        {1000, 0, 80, 0.0},                          // quantity 0: nothing to divide
        {1000, 50, 0, 0.0},                          // yield 0 likewise
    };
    const TVktField edits[] = {TVktField::BuyPrice, TVktField::Quantity, TVktField::Yield};
    int id = 0;
    for (const FoodCase& c : cases) {
        for (TVktField field : edits) {
            ++id;
            const double value = field == TVktField::BuyPrice ? c.buyPrice
                               : field == TVktField::Quantity ? c.quantity : c.yield;
            AddFood(id, field == TVktField::BuyPrice ? 1 : c.buyPrice, field == TVktField::Quantity ? 1 : c.quantity,
                    field == TVktField::Yield ? 100 : c.yield);
            const std::string label = GetFieldName(field) + " " + Num(c.buyPrice) + "/" + Num(c.quantity) + "/" +
                                      Num(c.yield);
            ASSERT_TRUE(functor.EditData(field, Variant(value), Keys({id}))) << label;
            EXPECT_EQ(UsePrice(id), c.usePrice) << label;
            EXPECT_EQ(ChangeDate(id), kNow) << label;
        }
    }
}

TEST_F(EditTest, TheChainWritesTodaysHistoryRowOnce) {
    AddFood(1, 800, 50, 80);
    Sql("insert into VktDB1L values (1, '2024-03-14', 5, 19)");
    ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, Variant(1000.0), Keys({1})));
    EXPECT_EQ(Text("select MHistoryDate || '|' || MHistoryUnit_Key || '|' || MHistoryPrice from VktDB1L "
                   "where MHistory_Key = 1 order by MHistoryDate"),
              "2024-03-14|5|19.0");
    EXPECT_EQ(Real("select MHistoryPrice from VktDB1L where MHistoryDate = '2024-03-15'"), 25.0);

    Sql("update VktDB1F set UseUnit_Key = 6 where Data_ID = 1");
    ASSERT_TRUE(functor.EditData(TVktField::Quantity, Variant(40.0), Keys({1})));
    EXPECT_EQ(Int("select count(*) from VktDB1L where MHistory_Key = 1 and MHistoryDate = '2024-03-15'"), 1);
    EXPECT_EQ(Text("select MHistoryUnit_Key || '|' || MHistoryPrice from VktDB1L where MHistoryDate = '2024-03-15'"),
              "6|31.25");
    EXPECT_EQ(Count(TVktTable::TblMHistory), 2);
}

TEST_F(EditTest, ANullBuyPriceGivesAUsePriceAndHistoryPriceOf0) {
    AddFood(1, 800, 50, 80);
    ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, Variant::Null(), Keys({1})));
    EXPECT_EQ(Int("select BuyPrice is null from VktDB1K where Food_Key = 1"), 1);
    EXPECT_EQ(UsePrice(1), 0.0);
    EXPECT_EQ(Int("select count(*) from VktDB1L where MHistory_Key = 1 and MHistoryPrice = 0 "
                  "and MHistoryUnit_Key = 5"),
              1);
}

// ---- Recipes and menus ----------------------------------------------------------------------------------

TEST_F(EditTest, RecipeItemsTotalAndCompletionGiveTheUsePrice) {
    AddCook(10, kBase, 2);
    AddItem(10, 0, 1, 1, 25);
    AddItem(10, 1, 2, 0, 40, 12.5);   // no use amount: the entered price stays and counts
    AddItem(10, 2, 3, 0.5, 7.5);
    ASSERT_TRUE(functor.EditData(TVktField::ItemUse, Variant(3.0), Keys({10, 0})));
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O where Item_Key = 10 and ItemIndex = 0"), 75.0);
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O where Item_Key = 10 and ItemIndex = 1"), 12.5);
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O where Item_Key = 10 and ItemIndex = 2"), 3.75);
    EXPECT_EQ(Real("select TotalPrice from VktDB1N where Cook_Key = 10"), 75.0 + 12.5 + 3.75);
    EXPECT_EQ(UsePrice(10), (75.0 + 12.5 + 3.75) / 2.0);
    EXPECT_EQ(ChangeDate(10), kNow);

    ASSERT_TRUE(functor.EditData(TVktField::Complete, Variant(3.0), Keys({10})));
    EXPECT_EQ(UsePrice(10), 30.4167);   // rounded to the currency
    // Recipes keep no history row.
    EXPECT_EQ(Count(TVktTable::TblMHistory), 0);
}

TEST_F(EditTest, AnEnteredItemPriceStaysOnlyWithoutUseAmount) {
    AddCook(10, kBase, 1);
    AddItem(10, 0, 1, 2, 25);
    AddItem(10, 1, 2, 0, 40);
    ASSERT_TRUE(functor.EditData(TVktField::ItemUsePrice, Variant(99.0), Keys({10, 0})));
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O where ItemIndex = 0"), 50.0);
    ASSERT_TRUE(functor.EditData(TVktField::ItemUsePrice, Variant(30.0), Keys({10, 1})));
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O where ItemIndex = 1"), 30.0);
    EXPECT_EQ(Real("select TotalPrice from VktDB1N"), 80.0);
    EXPECT_EQ(UsePrice(10), 80.0);
}

TEST_F(EditTest, ItemPriceOnlyStampsTheRecipe) {
    AddCook(10, kBase, 1);
    AddItem(10, 0, 1, 2, 25, 50);
    Sql("update VktDB1N set TotalPrice = 50");
    ASSERT_TRUE(functor.EditData(TVktField::ItemPrice, Variant(30.0), Keys({10, 0})));
    EXPECT_EQ(Real("select ItemPrice from VktDB1O"), 30.0);
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O"), 50.0);
    EXPECT_EQ(Real("select TotalPrice from VktDB1N"), 50.0);
    EXPECT_EQ(ChangeDate(10), kNow);

    // A sale price edit runs the chain.
    ASSERT_TRUE(functor.EditData(TVktField::SalePrice, Variant(200.0), Keys({10})));
    EXPECT_EQ(Real("select TotalPrice from VktDB1N"), 60.0);
    EXPECT_EQ(UsePrice(10), 60.0);
}

TEST_F(EditTest, MenusFollowTheSameChain) {
    AddCook(20, kBanquet, 4);
    AddItem(20, 0, 10, 2, 45.5);
    ASSERT_TRUE(functor.EditData(TVktField::Complete, Variant(4.0), Keys({20})));
    EXPECT_EQ(Real("select TotalPrice from VktDB1N"), 91.0);
    EXPECT_EQ(UsePrice(20), 22.75);
}

TEST_F(EditTest, ARecipeWithoutItemsOrCompletionCostsNothing) {
    AddCook(10, kBase, 1);
    Sql("update VktDB1F set UsePrice = 5");
    ASSERT_TRUE(functor.EditData(TVktField::SalePrice, Variant(800.0), Keys({10})));
    EXPECT_EQ(Real("select TotalPrice from VktDB1N"), 0.0);
    EXPECT_EQ(UsePrice(10), 0.0);

    AddItem(10, 0, 1, 2, 25);
    ASSERT_TRUE(functor.EditData(TVktField::Complete, Variant(0.0), Keys({10})));
    EXPECT_EQ(Real("select TotalPrice from VktDB1N"), 50.0);
    EXPECT_EQ(UsePrice(10), 0.0);
    // An item whose price has no value counts as 0.
    Sql("update VktDB1O set ItemPrice = NULL");
    ASSERT_TRUE(functor.EditData(TVktField::Complete, Variant(2.0), Keys({10})));
    EXPECT_EQ(Real("select ItemUsePrice from VktDB1O"), 0.0);
    EXPECT_EQ(UsePrice(10), 0.0);
}

// ---- Records out of service -----------------------------------------------------------------------------

TEST_F(EditTest, ATrashedOrConservedRecordIsNotRecosted) {
    AddFood(1, 1000, 50, 80);
    Sql("insert into VktDB1G values (1, '2024-01-01 00:00:00')");
    ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, Variant(2000.0), Keys({1})));
    EXPECT_EQ(Real("select BuyPrice from VktDB1K"), 2000.0);
    EXPECT_EQ(UsePrice(1), 0.0);
    EXPECT_EQ(ChangeDate(1), kOldStamp);
    EXPECT_EQ(Count(TVktTable::TblMHistory), 0);
    EXPECT_FALSE(functor.UpdatePriceChain(1));
    // Another field of it is stamped.
    ASSERT_TRUE(functor.EditData(TVktField::Data, Variant("Rumsteak"), Keys({1})));
    EXPECT_EQ(ChangeDate(1), kNow);

    AddFood(2, 1000, 50, 80);
    Sql("update VktDB1F set Conserve = 1 where Data_ID = 2");
    ASSERT_TRUE(functor.EditData(TVktField::Yield, Variant(50.0), Keys({2})));
    EXPECT_EQ(ChangeDate(2), kOldStamp);
    EXPECT_FALSE(functor.UpdatePriceChain(2));
}

TEST_F(EditTest, TheChainOfARecordWithoutClassWritesNothing) {
    AddFood(1, 1000, 50, 80);
    Sql("update VktDB1F set Class_Key = 999");
    EXPECT_TRUE(functor.UpdatePriceChain(1));
    EXPECT_EQ(ChangeDate(1), kOldStamp);
    EXPECT_TRUE(functor.UpdatePriceChain(77));
}

// ---- Stamps and other fields ----------------------------------------------------------------------------

TEST_F(EditTest, RecordFieldsAreStampedMasterFieldsAreNot) {
    AddFood(1, 1000, 50, 80);
    ASSERT_TRUE(functor.EditData(TVktField::Data, Variant("Filet d'agneau"), Keys({1})));
    EXPECT_EQ(Text("select Data from VktDB1F"), "Filet d'agneau");
    EXPECT_EQ(ChangeDate(1), kNow);
    EXPECT_EQ(UsePrice(1), 0.0);   // no chain for a name

    Sql("update VktDB1F set ChangeDate = '" + std::string(kOldStamp) + "'");
    ASSERT_TRUE(functor.EditData(TVktField::Units, Variant("Gramme"), Keys({1})));
    ASSERT_TRUE(functor.EditData(TVktField::Class, Variant("Bœuf"), Keys({1})));
    ASSERT_TRUE(functor.EditData(TVktField::Company, Variant("Metro"), Keys({1})));
    EXPECT_EQ(Text("select Units from VktDB1B where Units_ID = 1"), "Gramme");
    EXPECT_EQ(Text("select Class from VktDB1A where Class_ID = 1"), "Bœuf");
    EXPECT_EQ(ChangeDate(1), kOldStamp);
}

TEST_F(EditTest, InformationTextsAreOneRow) {
    AddCook(10, kBanquet, 1);
    ASSERT_TRUE(functor.EditData(TVktField::Information, Variant("Entrée"), Keys({10})));
    EXPECT_EQ(Text("select Information || '|' || coalesce(Information2, '<null>') from VktDB1P"), "Entrée|<null>");
    ASSERT_TRUE(functor.EditData(TVktField::Information2, Variant("Starter"), Keys({10})));
    EXPECT_EQ(Text("select Information || '|' || Information2 from VktDB1P"), "Entrée|Starter");
    ASSERT_TRUE(functor.EditData(TVktField::Information, Variant("Plat"), Keys({10})));
    EXPECT_EQ(Text("select Information || '|' || Information2 from VktDB1P"), "Plat|Starter");
    EXPECT_EQ(Count(TVktTable::TblInformation), 1);
    EXPECT_EQ(ChangeDate(10), kNow);
}

TEST_F(EditTest, MemoAndImageRowsComeAndGo) {
    AddFood(1, 1, 1, 100);
    ASSERT_TRUE(functor.EditData(TVktField::Memo, Variant("{\\rtf1 Note}"), Keys({1})));
    EXPECT_EQ(Text("select typeof(Memo) || '|' || cast(Memo as text) from VktDB1H where Memo_Key = 1"),
              "blob|{\\rtf1 Note}");
    ASSERT_TRUE(functor.EditData(TVktField::Memo, Variant(""), Keys({1})));
    EXPECT_EQ(Count(TVktTable::TblMemo), 0);

    ASSERT_TRUE(functor.EditData(TVktField::Image, Variant(platform::Bytes{0x42, 0x4D, 0x00, 0x01}), Keys({1})));
    EXPECT_EQ(Text("select hex(Image) from VktDB1I where Image_Key = 1"), "424D0001");
    ASSERT_TRUE(functor.EditData(TVktField::Image, Variant::Null(), Keys({1})));
    EXPECT_EQ(Count(TVktTable::TblImage), 0);
}

TEST_F(EditTest, AttributeCheckCodes) {
    AddFood(1, 1, 1, 100);
    const char* row =
        "select coalesce(group_concat(AttrCheck), 'none') from VktDB1J where Attribute_Key = 1 and AttrItem_Key = 3";
    ASSERT_TRUE(functor.EditData(TVktField::AttrCheck, Variant(2), Keys({1, 3})));
    EXPECT_EQ(Text(row), "1");
    ASSERT_TRUE(functor.EditData(TVktField::AttrCheck, Variant(1), Keys({1, 3})));
    EXPECT_EQ(Text(row), "0");
    ASSERT_TRUE(functor.EditData(TVktField::AttrCheck, Variant(0), Keys({1, 3})));
    EXPECT_EQ(Text(row), "none");
}

TEST_F(EditTest, FailedEditsWriteNothing) {
    AddFood(1, 1000, 50, 80);
    EXPECT_FALSE(functor.EditData(TVktField::CostRate, Variant(1.0), Keys({1})));
    EXPECT_FALSE(functor.EditData(TVktField::BuyPrice, Variant(1.0), TPriorityItem()));
    EXPECT_FALSE(functor.EditData(TVktField::Information, Variant("x"), TPriorityItem()));
    EXPECT_FALSE(functor.EditData(TVktField::BuyPrice, Variant("abc"), Keys({1})));
    // A check code that is no number fails after the delete: the old row stays.
    Sql("insert into VktDB1J values (1, 3, 1)");
    EXPECT_FALSE(functor.EditData(TVktField::AttrCheck, Variant("x"), Keys({1, 3})));
    EXPECT_EQ(Count(TVktTable::TblAttribute), 1);
    EXPECT_EQ(ChangeDate(1), kOldStamp);
}

TEST_F(EditTest, AFailingChainKeepsTheEditedFieldAndOnlyItsOwnPartGoes) {
    AddFood(1, 800, 50, 80);
    AddFood(2, 800, 50, 80);
    // The chain's last statement (today's history row) fails for record 1.
    Sql("create trigger NoHistory before insert on VktDB1L when new.MHistory_Key = 1 "
        "begin select raise(abort, 'refused'); end");
    ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, Variant(1000.0), Keys({1})));
    EXPECT_EQ(Real("select BuyPrice from VktDB1K where Food_Key = 1"), 1000.0) << "the field stays written";
    EXPECT_EQ(UsePrice(1), 0.0) << "the chain's own writes are undone";
    EXPECT_EQ(ChangeDate(1), kOldStamp);
    // The statements stay usable for the next record, whose chain runs whole.
    ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, Variant(1000.0), Keys({2})));
    EXPECT_EQ(UsePrice(2), 25.0);
    EXPECT_EQ(ChangeDate(2), kNow);
    EXPECT_EQ(Count(TVktTable::TblMHistory), 1);
}

TEST_F(EditTest, EditsOfManyRecordsEachReachTheirOwnRow) {
    // One statement text serves every record: the keys are bound, not written into it.
    for (int id = 1; id <= 5; ++id) AddFood(id, 100, 1, 100);
    for (int id = 1; id <= 5; ++id) ASSERT_TRUE(functor.EditData(TVktField::BuyPrice, Variant(10.0 * id), Keys({id})));
    EXPECT_EQ(Text("select group_concat(BuyPrice) from (select BuyPrice from VktDB1K order by Food_Key)"),
              "10.0,20.0,30.0,40.0,50.0");
    ASSERT_TRUE(functor.EditData(TVktField::AttrCheck, Variant(2), Keys({2, 7})));
    ASSERT_TRUE(functor.EditData(TVktField::AttrCheck, Variant(1), Keys({3, 7})));
    ASSERT_TRUE(functor.EditData(TVktField::AttrCheck, Variant(0), Keys({2, 7})));
    EXPECT_EQ(Text("select group_concat(Attribute_Key || ':' || AttrItem_Key || ':' || AttrCheck) from VktDB1J"),
              "3:7:0");
}

// ---- Key fields -----------------------------------------------------------------------------------------

TEST_F(EditTest, KeyFieldsOfARecipeTouchOnlyTheDataRow) {
    AddCook(10, kBase, 1);
    ASSERT_TRUE(functor.UpdateDataKeys(10, "36", Keys({43})));
    EXPECT_EQ(Text("select Class_Key || '|' || Form_Key || '|' || UseUnit_Key || '|' || ChangeDate from VktDB1F"),
              std::string("36|1|19|") + kNow);

    Sql("update VktDB1F set ChangeDate = '" + std::string(kOldStamp) + "'");
    ASSERT_TRUE(functor.UpdateDataKeys(10, "7", Keys({61})));
    EXPECT_EQ(ChangeDate(10), kNow);
    EXPECT_EQ(Count(TVktTable::TblFood), 0);
}

TEST_F(EditTest, KeyFieldsOfAnIngredientReachTheFoodRow) {
    AddFood(1, 1000, 50, 80);
    ASSERT_TRUE(functor.UpdateDataKeys(1, "2, 0, 6, 3", Keys({44, 42, 61, 65})));
    EXPECT_EQ(Text("select Form_Key || '|' || InvItem || '|' || ChangeDate from VktDB1F"), std::string("2|0|") + kNow);
    EXPECT_EQ(Text("select BuyUnit_Key || '|' || Dealer_Key from VktDB1K"), "6|3");

    ASSERT_TRUE(functor.UpdateDataKeys(1, "2,99", Keys({42, 45})));   // Data (45) is passed over
    EXPECT_EQ(Text("select InvItem || '|' || Data from VktDB1F"), "1|R1");
}

TEST_F(EditTest, ANewUseUnitRelabelsThePastHistory) {
    AddFood(1, 1000, 50, 80);
    Sql("insert into VktDB1L values (1, '2024-03-01', 5, 20), (1, '2024-03-15', 5, 25)");
    Sql("insert into VktDB1M values (1, '2024-02-29', 5, 20, 21, 20.5, 20)");
    ASSERT_TRUE(functor.UpdateDataKeys(1, "6", Keys({47})));
    EXPECT_EQ(Int("select UseUnit_Key from VktDB1F"), 6);
    EXPECT_EQ(Text("select group_concat(MHistoryUnit_Key || ':' || MHistoryPrice) from "
                   "(select * from VktDB1L order by MHistoryDate)"),
              "6:20.0,5:25.0");
    EXPECT_EQ(Text("select YHistoryUnit_Key || ':' || YHLastPrice || ':' || YHAvePrice from VktDB1M"), "6:20.0:20.5");
}

TEST_F(EditTest, KeyFieldsFailWholeOnABadValue) {
    AddFood(1, 1000, 50, 80);
    EXPECT_FALSE(functor.UpdateDataKeys(1, "2,x", Keys({43, 61})));
    EXPECT_FALSE(functor.UpdateDataKeys(1, "2", Keys({43, 61})));
    EXPECT_EQ(Text("select Class_Key || '|' || ChangeDate from VktDB1F"), std::string("4|") + kOldStamp);
    EXPECT_EQ(Int("select BuyUnit_Key from VktDB1K"), 5);

    EXPECT_TRUE(functor.UpdateDataKeys(1, "5", TPriorityItem()));
    EXPECT_EQ(ChangeDate(1), kOldStamp);
}

// ---- Attribute checks -----------------------------------------------------------------------------------

TEST_F(EditTest, AttributesAreReplacedForTheListedItems) {
    AddFood(1, 1, 1, 100);
    Sql("insert into VktDB1J values (1, 3, 0), (1, 4, 1), (1, 5, 1), (2, 3, 0)");
    ASSERT_TRUE(functor.SetDataAttributes(1, Keys({3, 4}), Keys({2, 0})));
    EXPECT_EQ(Text("select group_concat(Attribute_Key || ':' || AttrItem_Key || ':' || AttrCheck) from "
                   "(select * from VktDB1J order by Attribute_Key, AttrItem_Key)"),
              "1:3:1,1:5:1,2:3:0");
    EXPECT_EQ(ChangeDate(1), kNow);

    Sql("update VktDB1F set ChangeDate = '" + std::string(kOldStamp) + "'");
    ASSERT_TRUE(functor.SetDataAttributes(1, TPriorityItem(), TPriorityItem()));
    EXPECT_EQ(ChangeDate(1), kOldStamp);

    // Too few check codes: nothing changes.
    EXPECT_FALSE(functor.SetDataAttributes(1, Keys({3, 5}), Keys({1})));
    EXPECT_EQ(Count(TVktTable::TblAttribute), 3);
    EXPECT_EQ(Int("select AttrCheck from VktDB1J where Attribute_Key = 1 and AttrItem_Key = 3"), 1);
}

} // namespace

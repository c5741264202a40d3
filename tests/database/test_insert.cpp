// Batch insert of records: class choice, defaults and corrections, money in the four-decimal
// currency type, family rows, the first price-history row, failures that leave nothing behind,
// and what a batch remembers between its rows.
#include "DbFixture.h"

#include <string>

#include "platform/Errors.h"

namespace {

// Class ids of the default tree.
constexpr int kMeat = 3;       // "2000000", has sub-classes
constexpr int kBeef = 4;       // "200000000", the first ingredient leaf
constexpr int kPork = 5;       // "200000001"
constexpr int kBase = 35;      // "2000100", the first recipe leaf
constexpr int kBanquet = 44;   // "2000200", the first menu leaf
constexpr int kTrash = 47;

using F = TVktField;

TPriorityItem Fields(std::initializer_list<TVktField> fields) {
    TPriorityItem list;
    for (TVktField field : fields) list << ToInt(field);
    return list;
}

class InsertDataTest : public DbFixture {
protected:
    void SetUp() override {
        DbFixture::SetUp();
        CreateDefaults();
    }
    int Insert(TVktObjKind kind, const std::string& row, std::initializer_list<TVktField> fields) {
        return functor.InsertData(kind, row, Fields(fields));
    }
    double Double(const std::string& sql) {
        platform::Statement statement(Db(), sql);
        return statement.Step() ? statement.GetDouble(0) : -1.0;
    }
    double UsePrice(int id) { return Double("select UsePrice from VktDB1F where Data_ID = " + std::to_string(id)); }
    std::string DataRow(int id) {
        return Text("select Conserve || '|' || InvItem || '|' || Class_Key || '|' || Form_Key || '|' || "
                    "coalesce(Data, '<null>') || '|' || coalesce(Data2, '<null>') || '|' || UseUnit_Key || '|' || "
                    "UsePrice || '|' || CreateDate || '|' || ChangeDate from VktDB1F where Data_ID = " +
                    std::to_string(id));
    }
    std::string FoodRow(int id) {
        return Text("select BuyUnit_Key || '|' || BuyPrice || '|' || Quantity || '|' || Yield || '|' || Dealer_Key "
                    "from VktDB1K where Food_Key = " + std::to_string(id));
    }
    std::string CookRow(int id) {
        return Text("select Complete || '|' || TotalPrice || '|' || SalePrice from VktDB1N where Cook_Key = " +
                    std::to_string(id));
    }
    std::int64_t RecordRows() {
        return Count(TVktTable::TblData) + Count(TVktTable::TblFood) + Count(TVktTable::TblCook) +
               Count(TVktTable::TblInformation) + Count(TVktTable::TblMHistory);
    }
};

// The module as the facade's batch loop drives it: one transaction on its connection, the batch
// open, and (for the row tests) a savepoint of the caller's around each row.
class BatchModule : public TVktFunctor {
public:
    using TVktFunctor::Db;
    using TVktFunctor::Exec;
    using TVktFunctor::QueryInt;
    using TVktFunctor::Write;

    int Insert(TVktObjKind kind, const std::string& row, std::initializer_list<TVktField> fields) {
        return InsertData(kind, row, Fields(fields));
    }
};

class InsertBatchTest : public InsertDataTest {
protected:
    void SetUp() override {
        InsertDataTest::SetUp();
        module.SetPath(folder);
    }
    void TearDown() override {
        module.SetPath("");
        InsertDataTest::TearDown();
    }
    // Runs `rows` as one batch: a transaction with the batch open, committed at the end.
    template <typename Rows>
    void Batch(Rows&& rows) {
        platform::Transaction transaction(module.Db());
        module.BeginBatch();
        rows();
        module.EndBatch();
        transaction.Commit();
    }

    BatchModule module;
};

// ---- Defaults, classes ------------------------------------------------------------------------------

TEST_F(InsertDataTest, ClassAloneMakesAnIngredientWithEveryDefault) {
    const int id = Insert(TVktObjKind::Food, "4", {F::Class_Key});
    ASSERT_EQ(id, 1);
    EXPECT_EQ(DataRow(id), "0|1|4|1|新規食材1|NouveauArticle|1|0.0|2024-03-15 10:20:30|2024-03-15 10:20:30");
    EXPECT_EQ(FoodRow(id), "1|0.0|1.0|100.0|1");
    EXPECT_EQ(Count(TVktTable::TblMHistory), 0) << "no history row for a use price of 0";
    EXPECT_EQ(Count(TVktTable::TblCook), 0);

    EXPECT_EQ(Insert(TVktObjKind::Food, "4", {F::Class_Key}), 2);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = 2"), "新規食材2");
}

TEST_F(InsertDataTest, WithoutAClassEachFamilyTakesItsFirstLeaf) {
    const int food = Insert(TVktObjKind::Food, "Carrot", {F::Data});
    const int cook = Insert(TVktObjKind::Cook, "Stock", {F::Data});
    const int menu = Insert(TVktObjKind::Menu, "Lunch", {F::Data});
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = " + std::to_string(food)), kBeef);
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = " + std::to_string(cook)), kBase);
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = " + std::to_string(menu)), kBanquet);
    EXPECT_EQ(Int("select InvItem from VktDB1F where Data_ID = " + std::to_string(cook)), 0);
    EXPECT_EQ(Int("select InvItem from VktDB1F where Data_ID = " + std::to_string(menu)), 0);
}

TEST_F(InsertDataTest, FirstLeafFollowsFirstSubClassesOnly) {
    // Menus: A "2000200" with A1 "200020000", then B "2000201" (the default "2000202" removed).
    Sql("delete from VktDB1A where TreeID = '2000202'");
    Sql("insert into VktDB1A values (60, '200020000', 3, 'A1', 'A1', 7)");
    Sql("insert into VktDB1A values (61, '200020001', 3, 'A2', 'A2', 7)");
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = " +
                  std::to_string(Insert(TVktObjKind::Menu, "", {}))), 60);
}

TEST_F(InsertDataTest, AFamilyWithoutSubClassesTakesNoRecordWithoutAClass) {
    Sql("delete from VktDB1A where TreeID like '20002_%'");
    EXPECT_EQ(Insert(TVktObjKind::Menu, "Lunch", {F::Data}), 0);
    EXPECT_EQ(RecordRows(), 0);
}

TEST_F(InsertDataTest, RefusedClassesWriteNothing) {
    EXPECT_EQ(Insert(TVktObjKind::Food, std::to_string(kBase), {F::Class_Key}), 0) << "a recipe class";
    EXPECT_EQ(Insert(TVktObjKind::Food, std::to_string(kMeat), {F::Class_Key}), 0) << "has sub-classes";
    EXPECT_EQ(Insert(TVktObjKind::Food, std::to_string(kTrash), {F::Class_Key}), 0);
    EXPECT_EQ(Insert(TVktObjKind::Food, "999", {F::Class_Key}), 0) << "no such class";
    EXPECT_EQ(Insert(TVktObjKind::Data, std::to_string(kBeef), {F::Class_Key}), 0) << "kind without records";
    EXPECT_EQ(Insert(TVktObjKind::Cook, std::to_string(kBanquet), {F::Class_Key}), 0) << "a menu class";
    EXPECT_EQ(RecordRows(), 0);
    EXPECT_NE(Insert(TVktObjKind::Food, std::to_string(kPork), {F::Class_Key}), 0);
}

// ---- Values and corrections ---------------------------------------------------------------------------

TEST_F(InsertDataTest, RowValuesFollowTheFieldList) {
    const int id = Insert(TVktObjKind::Food, "5,\"Beef cheek\",Joue,false,2,7,9,3",
                          {F::Class_Key, F::Data, F::Data2, F::InvItem, F::Form_Key, F::UseUnit_Key,
                           F::BuyUnit_Key, F::Dealer_Key, F::Data /* a second position is ignored */});
    EXPECT_EQ(DataRow(id), "0|0|5|2|Beef cheek|Joue|7|0.0|2024-03-15 10:20:30|2024-03-15 10:20:30");
    EXPECT_EQ(FoodRow(id), "9|0.0|1.0|100.0|3");
}

TEST_F(InsertDataTest, EachUnitDefaultsToTheOther) {
    const int buyOnly = Insert(TVktObjKind::Food, "5", {F::BuyUnit_Key});
    EXPECT_EQ(Int("select UseUnit_Key from VktDB1F where Data_ID = " + std::to_string(buyOnly)), 5);
    const int useOnly = Insert(TVktObjKind::Food, "6", {F::UseUnit_Key});
    EXPECT_EQ(Int("select BuyUnit_Key from VktDB1K where Food_Key = " + std::to_string(useOnly)), 6);
}

TEST_F(InsertDataTest, InvItemIsFalseOnlyForTheWordFalse) {
    const char* texts[] = {"FALSE", "False", "false", "0", "no", "true", ""};
    const int expected[] = {0, 0, 0, 1, 1, 1, 1};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const int id = Insert(TVktObjKind::Cook, std::string("\"") + texts[i] + "\"", {F::InvItem});
        ASSERT_NE(id, 0) << texts[i];
        EXPECT_EQ(Int("select InvItem from VktDB1F where Data_ID = " + std::to_string(id)), expected[i]) << texts[i];
    }
}

TEST_F(InsertDataTest, IngredientUsePriceIsComputedInCurrency) {
    struct Case { const char* Row; double UsePrice; const char* Food; };
    const Case cases[] = {
        {"100,3,100", 33.3333, "1|100.0|3.0|100.0|1"},
        {"300,2,50", 300, "1|300.0|2.0|50.0|1"},
        {"1000,50,80", 25, "1|1000.0|50.0|80.0|1"},
        // Rounded once at the end, not cut at each step (10 * 3.3333 / 3 would give 11.111).
        {"10,3,30", 11.1111, "1|10.0|3.0|30.0|1"},
        {"4,1,75", 5.3333, "1|4.0|1.0|75.0|1"},
        // Corrections: yield above 100 or not above 0 is 100, quantity not above 0 is 1, price below 0 is 0.
        {"50,2,120", 25, "1|50.0|2.0|100.0|1"},
        {"50,2,-5", 25, "1|50.0|2.0|100.0|1"},
        {"50,0,100", 50, "1|50.0|1.0|100.0|1"},
        {"-10,1,100", 0, "1|0.0|1.0|100.0|1"},
        // Money keeps four decimals.
        {"0.12344,1,100", 0.1234, "1|0.1234|1.0|100.0|1"},
        {"0.12346,1,100", 0.1235, "1|0.1235|1.0|100.0|1"},
    };
    for (const Case& c : cases) {
        const int id = Insert(TVktObjKind::Food, c.Row, {F::BuyPrice, F::Quantity, F::Yield});
        ASSERT_NE(id, 0) << c.Row;
        EXPECT_EQ(UsePrice(id), c.UsePrice) << c.Row;
        EXPECT_EQ(FoodRow(id), c.Food) << c.Row;
    }
}

TEST_F(InsertDataTest, BuyPriceDefaultsToTheGivenUsePrice) {
    const int id = Insert(TVktObjKind::Food, "120,4", {F::UsePrice, F::Quantity});
    EXPECT_EQ(FoodRow(id), "1|120.0|4.0|100.0|1");
    EXPECT_EQ(UsePrice(id), 30) << "the use price is always computed";
}

TEST_F(InsertDataTest, RecipeUsePriceIsTotalOverCompletion) {
    const int id = Insert(TVktObjKind::Cook, "1000,4,1500", {F::TotalPrice, F::Complete, F::SalePrice});
    EXPECT_EQ(CookRow(id), "4.0|1000.0|1500.0");
    EXPECT_EQ(UsePrice(id), 250);

    const int zero = Insert(TVktObjKind::Cook, "1000,0,-3", {F::TotalPrice, F::Complete, F::SalePrice});
    EXPECT_EQ(CookRow(zero), "1.0|1000.0|0.0");
    EXPECT_EQ(UsePrice(zero), 1000);

    const int thirds = Insert(TVktObjKind::Cook, "100,3", {F::TotalPrice, F::Complete});
    EXPECT_EQ(UsePrice(thirds), 33.3333);
    const int negative = Insert(TVktObjKind::Cook, "-100", {F::TotalPrice});
    EXPECT_EQ(CookRow(negative), "1.0|0.0|0.0");
    EXPECT_EQ(Count(TVktTable::TblFood), 0);
    EXPECT_EQ(Count(TVktTable::TblInformation), 0) << "only menus have an information row";
}

TEST_F(InsertDataTest, MenuWritesInformationCookAndDataRows) {
    const int id = Insert(TVktObjKind::Menu, "\"Four courses\",Quatre,500,2",
                          {F::Information, F::Information2, F::TotalPrice, F::Complete});
    EXPECT_EQ(Text("select Information || '|' || Information2 from VktDB1P where Information_Key = " +
                   std::to_string(id)),
              "Four courses|Quatre");
    EXPECT_EQ(CookRow(id), "2.0|500.0|0.0");
    EXPECT_EQ(UsePrice(id), 250);
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = " + std::to_string(id)), "新規メニュー1");

    const int bare = Insert(TVktObjKind::Menu, "", {});
    EXPECT_EQ(Int("select count(*) from VktDB1P where Information_Key = " + std::to_string(bare) +
                  " and Information is null and Information2 is null"),
              1);
}

TEST_F(InsertDataTest, NumbersAreReadWithAPointWhateverTheLocale) {
    const int id = Insert(TVktObjKind::Food, "12.5,2.5,50", {F::BuyPrice, F::Quantity, F::Yield});
    EXPECT_EQ(FoodRow(id), "1|12.5|2.5|50.0|1");
    EXPECT_EQ(UsePrice(id), 10);
    EXPECT_EQ(Insert(TVktObjKind::Food, "\"12,5\"", {F::BuyPrice}), 0) << "a comma is no decimal separator";
}

TEST_F(InsertDataTest, NamesAreCutToFiftyCodePage932Bytes) {
    std::string kanji;
    for (int i = 0; i < 30; ++i) kanji += "牛";   // 60 bytes in code page 932
    std::string mixed(49, 'a');
    mixed += "牛";                                  // 51 bytes: the last character does not fit whole
    const int id = Insert(TVktObjKind::Food, "\"" + kanji + "\",\"" + mixed + "\"", {F::Data, F::Data2});
    std::string expected;
    for (int i = 0; i < 25; ++i) expected += "牛";
    EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = " + std::to_string(id)), expected);
    EXPECT_EQ(Text("select Data2 from VktDB1F where Data_ID = " + std::to_string(id)), std::string(49, 'a'));
}

// ---- Price history -------------------------------------------------------------------------------------

TEST_F(InsertDataTest, PricedIngredientGetsTodaysHistoryRowReplacingOlderOnes) {
    Sql("insert into VktDB1L values (1, '2023-05-01', 9, 77)");
    Sql("insert into VktDB1L values (1, '2023-06-01', 9, 78)");
    const int id = Insert(TVktObjKind::Food, "100,3,5", {F::BuyPrice, F::Quantity, F::UseUnit_Key});
    ASSERT_EQ(id, 1);
    EXPECT_EQ(Text("select group_concat(MHistoryDate || '|' || MHistoryUnit_Key || '|' || MHistoryPrice) "
                   "from VktDB1L"),
              "2024-03-15|5|33.3333");
    EXPECT_EQ(Insert(TVktObjKind::Cook, "100", {F::TotalPrice}), 2);
    EXPECT_EQ(Count(TVktTable::TblMHistory), 1) << "recipes get no history row";
}

TEST_F(InsertDataTest, NamesThatFitInCodePage932StayWholeAndBrokenUtf8FailsTheRow) {
    std::string kanji;
    for (int i = 0; i < 25; ++i) kanji += "牛";        // 75 UTF-8 bytes, 50 in code page 932
    std::string katakana;
    for (int i = 0; i < 50; ++i) katakana += "ｱ";      // half-width: 150 UTF-8 bytes, 50 in code page 932
    std::string emoji;
    for (int i = 0; i < 50; ++i) emoji += "😀";        // a character it lacks counts as one '?'
    for (const std::string& name : {kanji, katakana, emoji}) {
        const int id = Insert(TVktObjKind::Food, "\"" + name + "\"", {F::Data});
        ASSERT_NE(id, 0);
        EXPECT_EQ(Text("select Data from VktDB1F where Data_ID = " + std::to_string(id)), name);
    }
    const int ascii = Insert(TVktObjKind::Food, std::string(60, '~') + "," + std::string(51, '\\'), {F::Data, F::Data2});
    EXPECT_EQ(Text("select Data || '|' || Data2 from VktDB1F where Data_ID = " + std::to_string(ascii)),
              std::string(50, '~') + "|" + std::string(50, '\\'));
    const auto before = RecordRows();
    EXPECT_EQ(Insert(TVktObjKind::Food, "ab\xC3", {F::Data}), 0) << "a cut-off UTF-8 sequence";
    EXPECT_EQ(Insert(TVktObjKind::Food, "\xE7\x89", {F::Data2}), 0);
    EXPECT_EQ(RecordRows(), before);
}

// ---- Failures --------------------------------------------------------------------------------------------

TEST_F(InsertDataTest, DivisorsBelowTheCurrencysDecimalsStillDivide) {
    const int food = Insert(TVktObjKind::Food, "100,0.00001", {F::BuyPrice, F::Quantity});
    ASSERT_NE(food, 0);
    EXPECT_EQ(UsePrice(food), 10000000);
    const int menu = Insert(TVktObjKind::Menu, "\"Info\",100,0.00001", {F::Information, F::TotalPrice, F::Complete});
    ASSERT_NE(menu, 0);
    EXPECT_EQ(UsePrice(menu), 10000000);
}

// The same inputs store the same use price whether the record is inserted with them or edited to
// them: the price chain's and the insert's rounding are one.
TEST_F(InsertDataTest, InsertedAndEditedRecordsStoreTheSameUsePrice) {
    struct Case { const char* Buy; double BuyValue; const char* Rest; double UsePrice; };
    const Case foods[] = {{"4", 4, "1,75", 5.3333}, {"10", 10, "2,75", 6.6667}, {"16", 16, "3,100", 5.3333},
                          {"1234.5678", 1234.5678, "7,33", 534.4449}, {"0.00004", 0.00004, "1,100", 0.0}};
    for (const Case& c : foods) {
        const int inserted = Insert(TVktObjKind::Food, std::string(c.Buy) + "," + c.Rest, {F::BuyPrice, F::Quantity, F::Yield});
        const int edited = Insert(TVktObjKind::Food, std::string("1,") + c.Rest, {F::BuyPrice, F::Quantity, F::Yield});
        ASSERT_TRUE(functor.EditData(F::BuyPrice, platform::Variant(c.BuyValue), TPriorityItem() << edited)) << c.Buy;
        EXPECT_EQ(UsePrice(inserted), c.UsePrice) << c.Buy;
        EXPECT_EQ(UsePrice(edited), c.UsePrice) << c.Buy;
    }
    const int inserted = Insert(TVktObjKind::Cook, "100,3", {F::TotalPrice, F::Complete});
    EXPECT_EQ(UsePrice(inserted), 33.3333);
    const int edited = Insert(TVktObjKind::Cook, "100,3", {F::TotalPrice, F::Complete});
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key, ItemUse, ItemPrice, ItemUnit_Key, "
        "ItemUsePrice) values (" + std::to_string(edited) + ", 1, 1, 1, 1, 4, 25, 1, 0)");
    ASSERT_TRUE(functor.EditData(F::Complete, platform::Variant(3.0), TPriorityItem() << edited));
    EXPECT_EQ(UsePrice(edited), 33.3333);
}

TEST_F(InsertDataTest, FailedRowLeavesNoOrphanThatBlocksTheNextKey) {
    // The data row fails (a text where the key is expected) after the family row was written.
    EXPECT_EQ(Insert(TVktObjKind::Food, "100,x", {F::BuyPrice, F::Form_Key}), 0);
    EXPECT_EQ(RecordRows(), 0);
    EXPECT_EQ(Insert(TVktObjKind::Food, "100", {F::BuyPrice}), 1) << "the same key works next time";
    EXPECT_EQ(FoodRow(1), "1|100.0|1.0|100.0|1");
}

TEST_F(InsertDataTest, MalformedRowsFail) {
    EXPECT_EQ(Insert(TVktObjKind::Food, "abc", {F::Quantity}), 0);
    EXPECT_EQ(Insert(TVktObjKind::Food, "4", {F::Class_Key, F::Data}), 0) << "the row lacks a listed value";
    EXPECT_EQ(Insert(TVktObjKind::Food, "4a", {F::Class_Key}), 0);
    EXPECT_EQ(RecordRows(), 0);
    EXPECT_EQ(Insert(TVktObjKind::Food, "4,x,y,z", {F::Class_Key}), 1) << "values beyond the list are ignored";
}

// ---- Batches ----------------------------------------------------------------------------------------------

TEST_F(InsertBatchTest, AClassTheBatchLearnedIsAskedAgainAfterAnyOtherWrite) {
    Batch([&] {
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 1);
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 2);
        ASSERT_NE(module.AddClass(kBeef, "Wagyu"), 0);   // beef is a branch now
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 0);
    });
    EXPECT_EQ(Count(TVktTable::TblData), 2);
}

TEST_F(InsertBatchTest, ANewBatchForgetsWhatTheLastOneLearned) {
    Batch([&] {
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 1);
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "", {}), 2);   // the family's first leaf: beef
    });
    // Between the batches another connection gives beef a sub-class and adds records.
    Sql("insert into VktDB1A values (70, '20000000000', 1, 'Wagyu', 'Wagyu', 7)");
    Add(vkttest::DataRow{.Data_ID = 9, .Class_Key = 5});
    Batch([&] {
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 0) << "a branch now";
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "", {}), 10);
    });
    EXPECT_EQ(Int("select Class_Key from VktDB1F where Data_ID = 10"), 70) << "the first leaf now";
}

TEST_F(InsertBatchTest, KeysFollowTheLargestWhateverHappensBetweenRows) {
    Batch([&] {
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 1);
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "5", {F::Class_Key}), 2);
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4,x", {F::Class_Key, F::Form_Key}), 0);
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 3) << "a failed row takes no key";
        EXPECT_EQ(module.AddNewData(kBeef, "Added"), 4);
        ASSERT_TRUE(module.Write(false, [&] {
            module.Exec(vkttest::InsertSql(vkttest::DataRow{.Data_ID = 20, .Class_Key = 4}));
            return true;
        }));
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 21);
        ASSERT_TRUE(module.Write(false, [&] {
            module.Exec("delete from VktDB1F where Data_ID >= 20");
            return true;
        }));
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "4", {F::Class_Key}), 5);
    });
    EXPECT_EQ(Text("select group_concat(Data_ID) from (select Data_ID from VktDB1F order by 1)"), "1,2,3,4,5");
}

TEST_F(InsertBatchTest, HistoryRowsLeftUnderTheNewKeysStillGo) {
    Sql("insert into VktDB1L values (2, '2023-05-01', 9, 77)");
    Sql("insert into VktDB1L values (3, '2023-06-01', 9, 78)");
    Batch([&] {
        for (int i = 0; i < 4; ++i) EXPECT_EQ(module.Insert(TVktObjKind::Food, "100", {F::BuyPrice}), i + 1);
    });
    const std::string rows = "select group_concat(MHistory_Key || ':' || MHistoryDate) from "
                             "(select * from VktDB1L order by MHistory_Key, MHistoryDate)";
    EXPECT_EQ(Text(rows), "1:2024-03-15,2:2024-03-15,3:2024-03-15,4:2024-03-15");

    // A key that is no number leaves the highest key unknown: every new key is cleared first.
    Sql("insert into VktDB1L values ('x', '2023-05-01', 9, 77)");
    Sql("insert into VktDB1L values (6, '2023-05-01', 9, 77)");
    Batch([&] {
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "100", {F::BuyPrice}), 5);
        EXPECT_EQ(module.Insert(TVktObjKind::Food, "100", {F::BuyPrice}), 6);
    });
    EXPECT_EQ(Text(rows), "1:2024-03-15,2:2024-03-15,3:2024-03-15,4:2024-03-15,5:2024-03-15,6:2024-03-15,"
                          "x:2023-05-01");
}

TEST_F(InsertBatchTest, ARowWritesInTheCallersSavepointAndAFailureAsksForItsRollback) {
    // The data row of a record named "bad" fails after its food row was written.
    Sql("create trigger NoBad before insert on VktDB1F when new.Data = 'bad' "
        "begin select raise(abort, 'refused'); end");
    const std::string foods = "select count(*) from VktDB1K";
    Batch([&] {
        {
            platform::Savepoint row(module.Db());
            module.BeginBatchRow();
            EXPECT_EQ(module.Insert(TVktObjKind::Food, "good", {F::Data}), 1);
            EXPECT_FALSE(module.EndBatchRow());
            row.Release();
        }
        {
            platform::Savepoint row(module.Db());
            module.BeginBatchRow();
            EXPECT_EQ(module.Insert(TVktObjKind::Food, "bad", {F::Data}), 0);
            EXPECT_EQ(module.QueryInt(foods), 2) << "its food row waits for the caller's rollback";
            EXPECT_TRUE(module.EndBatchRow());
            row.Rollback();
            EXPECT_EQ(module.QueryInt(foods), 1);
        }
        {
            // Inside another writing operation the record takes a savepoint of its own again.
            platform::Savepoint row(module.Db());
            module.BeginBatchRow();
            EXPECT_TRUE(module.Write(false, [&] { return module.Insert(TVktObjKind::Food, "bad", {F::Data}) == 0; }));
            EXPECT_FALSE(module.EndBatchRow());
            EXPECT_EQ(module.QueryInt(foods), 1);
            row.Release();
        }
        {
            // A second record in the same row takes its own savepoint too.
            platform::Savepoint row(module.Db());
            module.BeginBatchRow();
            EXPECT_EQ(module.Insert(TVktObjKind::Food, "again", {F::Data}), 2);
            EXPECT_EQ(module.Insert(TVktObjKind::Food, "bad", {F::Data}), 0);
            EXPECT_FALSE(module.EndBatchRow());
            row.Release();
        }
    });
    EXPECT_EQ(Text("select group_concat(Data) from (select Data from VktDB1F order by Data_ID)"), "good,again");
    EXPECT_EQ(Count(TVktTable::TblFood), 2);
}

} // namespace

// The import rules without widgets: numbers, the table check and its first offending cell, the
// column-count status, widening, name collection and mapping, and on a temporary database the
// registered names, new items, the data-check table and the import text read back as records.
#include <gtest/gtest.h>

#include "data/Ufilterstruct.h"
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "dialogs/CsvGridCells.h"
#include "dialogs/Ucsvimport.h"
#include "support/screens/SampleDatabase.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using F = TVktField;

// Record families of the import.
constexpr int kFood = ToInt(TVktObjKind::Food);
constexpr int kCook = ToInt(TVktObjKind::Cook);

TPriorityItem Fields(std::initializer_list<F> fields)
{
    TPriorityItem ids;
    for (F f : fields) ids << static_cast<int>(f);
    return ids;
}

TCsvGrid Table(const char* csv)
{
    TCsvGrid grid(1, 1);
    grid.SetFixedRows(1);
    SetCSV(grid, csv);
    return grid;
}

TEST(CsvImportRules, ToNumber)
{
    const struct {
        const char* text;
        double value;   // NAN: no number
    } cases[] = {
        {"1200", 1200},        {"¥1,200", 1200},       {"1,200円", 1200},     {"1,234,567.5", 1234567.5},
        {"-¥1,200", -1200},    {"－300", -300},         {"−5", -5},            {"¥-7", -7},
        {"12-3", 123},         {"0.5kg", 0.5},          {" 3 ", 3},            {"1, 200", 1200},
        {"12,50", NAN},        {"1,2345", NAN},         {"¥", NAN},            {"１２００", NAN},
        {".", NAN},            {"1.2.3", NAN},          {"", NAN},             {"abc", NAN},
        // Texts longer than the digits kept on the stack.
        {"1000000000000000000000000000000000000000000000000000000000000000000000", 1e69},
        {"仕入れ単価（税込み、配送料と梱包材の費用を含む）¥12,345.5円", 12345.5},
        {"仕入れ単価（税込み、配送料と梱包材の費用を含む）12,34円", NAN},
    };
    for (const auto& c : cases) {
        const std::optional<double> value = ToNumber(c.text);
        if (std::isnan(c.value)) {
            EXPECT_FALSE(value.has_value()) << c.text;
        } else {
            ASSERT_TRUE(value.has_value()) << c.text;
            EXPECT_DOUBLE_EQ(*value, c.value) << c.text;
        }
    }
}

TEST(CsvImportRules, CheckNamesTheFirstOffendingCell)
{
    const char* blank = "空白の項目があります。空白の項目は許可されません。";
    const char* price = "単価項目に異常な値が含まれています。";
    const char* number = "数値項目に異常な値が含まれています。";
    const TPriorityItem food = Fields({F::Data, F::BuyPrice, F::Yield});
    const struct {
        const char* csv;
        int perLine;
        const char* message;
        int col, row;
    } cases[] = {
        {"a,\"¥1,200\",90", 1, "", -1, -1},
        {"a,\"¥1,200\",90,b,5,80", 2, "", -1, -1},
        {"a,1", 1, blank, -1, -1},                          // column count
        {"a,1,90\n\" \",2,90", 1, blank, 0, 2},             // blank first column
        {"a,\"-¥1,200\",90", 1, price, 1, 1},
        {"a,¥,90", 1, price, 1, 1},
        {"a,１２,90", 1, price, 1, 1},
        {"a,\"12,50\",90", 1, price, 1, 1},
        {"a,3,90,b,3,-1", 2, number, 5, 1},
        {"a,3,x\n,4,90", 1, number, 2, 1},                  // row by row: the first row decides
    };
    for (const auto& c : cases) {
        const TCsvCheck check = CheckGrid(Table(c.csv), food, c.perLine, kFood);
        EXPECT_EQ(check.Message, c.message) << c.csv;
        EXPECT_EQ(check.Col, c.col) << c.csv;
        EXPECT_EQ(check.Row, c.row) << c.csv;
    }
    // Complete, total and sale prices of recipes are checked too.
    EXPECT_EQ(CheckGrid(Table("a,0,-1"), Fields({F::Data, F::Complete, F::SalePrice}), 1, kCook).Message, price);
    EXPECT_EQ(CheckGrid(Table("a,nan,1"), Fields({F::Data, F::Complete, F::SalePrice}), 1, kCook).Message, number);
}

// Prices are refused beyond the currency's whole-unit range, and so are the use prices the insert
// would derive from them (the buy price, else the use price, or the total price is the cell named).
TEST(CsvImportRules, CheckRefusesPricesBeyondTheCurrency)
{
    const char* price = "単価項目に異常な値が含まれています。";
    const struct {
        const char* csv;
        std::initializer_list<F> fields;
        int family;
        const char* message;
        int col, row;
    } cases[] = {
        {"a,922337203685477", {F::Data, F::UsePrice}, 7, "", -1, -1},
        {"a,922337203685478", {F::Data, F::UsePrice}, 7, price, 1, 1},
        {"a,100000000000000000000", {F::Data, F::SalePrice}, 8, price, 1, 1},
        {"a,200000000000000,50", {F::Data, F::BuyPrice, F::Yield}, 7, "", -1, -1},
        {"a,200000000000000,5", {F::Data, F::BuyPrice, F::Yield}, 7, price, 1, 1},
        {"a,200000000000000,5", {F::Data, F::BuyPrice, F::Yield}, 9, "", -1, -1},   // no buy price there
        {"a,5,200000000000000,0.0001", {F::Data, F::Yield, F::UsePrice, F::Quantity}, 7, price, 2, 1},
        {"a,200000000000000,0", {F::Data, F::BuyPrice, F::Yield}, 7, "", -1, -1},   // yield 0 counts as 100
        {"a,1,2\nb,900000000000000,0.5", {F::Data, F::TotalPrice, F::Complete}, 8, price, 1, 2},
        {"a,900000000000000,0.5,b,1,1", {F::Data, F::TotalPrice, F::Complete}, 9, price, 1, 1},
        {"a,1,1,b,900000000000000,0.5", {F::Data, F::TotalPrice, F::Complete}, 9, price, 4, 1},
    };
    for (const auto& c : cases) {
        const int n = static_cast<int>(c.fields.size());
        const int perLine = Table(c.csv).GetColCount() / n;
        const TCsvCheck check = CheckGrid(Table(c.csv), Fields(c.fields), perLine, c.family);
        EXPECT_EQ(check.Message, c.message) << c.csv;
        EXPECT_EQ(check.Col, c.col) << c.csv;
        EXPECT_EQ(check.Row, c.row) << c.csv;
    }
}

// Columns beyond the fields that no data row fills do not count; the header is not looked at.
TEST(CsvImportRules, TrailingEmptyColumnsDoNotCount)
{
    TCsvGrid grid = Table("a,1,,\nb,2,, \n");
    grid.SetCell(3, 0, "header");
    EXPECT_EQ(CountedColumns(grid, 2), 2);
    EXPECT_EQ(CountedColumns(grid, 3), 3) << "never below the wanted count";
    EXPECT_EQ(ColumnCountMessage(grid, 2), "");
    EXPECT_TRUE(CheckGrid(grid, Fields({F::Data, F::UsePrice}), 1, kFood).Passed());
    grid.SetCell(2, 2, "x");
    EXPECT_EQ(CountedColumns(grid, 2), 3);
    EXPECT_EQ(ColumnCountMessage(grid, 2), "2行目: 列の数が項目の数（2）を超えています。");
    EXPECT_FALSE(CheckGrid(grid, Fields({F::Data, F::UsePrice}), 1, kFood).Passed());
}

TEST(CsvImportRules, ColumnCountStatusAndWidening)
{
    TCsvGrid grid = Table("a,b\nc,d,e\nf");
    EXPECT_EQ(ColumnCountMessage(grid, 3), "");
    EXPECT_EQ(ColumnCountMessage(grid, 2), "2行目: 列の数が項目の数（2）を超えています。");
    EXPECT_EQ(ColumnCountMessage(grid, 4), "列の数が項目の数（4）より少なくなっています。");

    FitColumns(grid, 2);   // the third column holds "e": nothing is cut
    EXPECT_EQ(grid.GetColCount(), 3);
    grid.SetCell(2, 2, " ");
    grid.SetCell(2, 0, "header");
    FitColumns(grid, 2);
    EXPECT_EQ(grid.GetColCount(), 2);
    FitColumns(grid, 5);
    EXPECT_EQ(grid.GetColCount(), 5);
    EXPECT_EQ(GetCSV(grid), "a,b\r\nc,d\r\nf\r\n");
}

TEST(CsvImportRules, NameMap)
{
    TCsvNameMap map;
    map.AddItem(7, "ABC Foods");
    map.AddItem(8, "kg");
    for (const char* name : {"A社", "ABC Foods Ltd", "abc foods"}) map.AddUnknownItem(name);
    EXPECT_FALSE(map.IsComplete());
    EXPECT_EQ(map.GetItemID("ABC Foods"), 7);    // registered, never unknown
    EXPECT_EQ(map.GetItemID("abc foods"), 0);    // exact bytes only
    EXPECT_EQ(map.GetItemID("other"), 0);

    ASSERT_TRUE(map.SetItem(1, 0));   // "ABC Foods Ltd" -> 7
    ASSERT_TRUE(map.SetItem(1, 0));   // "abc foods" -> 7
    EXPECT_EQ(map.GetItemID("abc foods"), 7);
    EXPECT_EQ(map.GetItems()[0].Mapped, (std::vector<std::string>{"ABC Foods Ltd", "abc foods"}));
    EXPECT_FALSE(map.SetItem(1, 0));
    ASSERT_TRUE(map.SetItem(0, 1));
    EXPECT_TRUE(map.GetUnknownItems().empty());
    EXPECT_TRUE(map.IsComplete());

    // Names with blanks come back whole.
    map.ResetItem(0);
    EXPECT_EQ(map.GetUnknownItems(), (std::vector<std::string>{"ABC Foods Ltd", "abc foods"}));
    EXPECT_EQ(map.GetItemID("ABC Foods Ltd"), 0);
    EXPECT_FALSE(map.IsComplete());
    EXPECT_EQ(map.GetItemName(8), "kg");
    EXPECT_EQ(map.GetItemName(9), "");
}

TEST(CsvImportRules, CollectNamesOfAllRecordsOfALine)
{
    const TPriorityItem fields = Fields({F::Data, F::UseUnit_Key, F::BuyUnit_Key});
    const TCsvGrid grid = Table("a,kg,袋,b,g,kg\nc,\"kg \", 袋,d,g,本");
    EXPECT_EQ(CollectNames(grid, fields, 2, TCsvNameKind::Unit),
              (std::vector<std::string>{"g", "kg", "kg ", "本", "袋"}));
    EXPECT_TRUE(CollectNames(grid, fields, 2, TCsvNameKind::Dealer).empty());
}

// Every cell of a name column takes its own kind's id and registered name, however often the text
// repeats and whatever another kind calls by the same text; a kind without a map gives 0 and "".
TEST(CsvImportRules, CompleteGridNamesEachCellByItsKind)
{
    const TPriorityItem fields = Fields({F::Data, F::Form_Key, F::BuyUnit_Key, F::UseUnit_Key, F::Dealer_Key});
    const TCsvGrid grid = Table("a,個,個,キロ,x\nb,袋,kg,個,x\nc,個,箱,kg,y\nd,個,個,キロ,x");
    TCsvNameMap forms, units;
    forms.AddItem(11, "個");
    forms.AddItem(12, "袋");
    units.AddItem(21, "個");
    units.AddItem(22, "kg");
    units.AddUnknownItem("キロ");
    units.AddUnknownItem("箱");   // left unmapped
    ASSERT_TRUE(units.SetItem(0, 1));
    const TCsvCompleteGrid complete = BuildCompleteGrid(grid, fields, 1, {}, {nullptr, &forms, &units, nullptr});
    EXPECT_EQ(GetCSV(complete.Grid), "a,個,個,kg\r\nb,袋,kg,個\r\nc,個,,kg\r\nd,個,個,kg\r\n");
    EXPECT_EQ(ImportText(complete, fields), "a,11,21,22,0\r\nb,12,22,21,0\r\nc,11,0,22,0\r\nd,11,21,22,0\r\n");
}

class CsvImportDb : public ::testing::Test {
protected:
    vkttest::SampleDatabase db{false};
    TVktObject& Object() { return db.Object(); }
};

TEST_F(CsvImportDb, RegisteredNamesAndNewItems)
{
    const auto classes = RegisteredItems(Object(), TCsvNameKind::Class, kFood);
    ASSERT_FALSE(classes.empty());
    for (const auto& item : classes) EXPECT_EQ(ClassPathName(Object(), item.Id), item.Name);
    const auto beef = std::find_if(classes.begin(), classes.end(),
                                   [](const auto& item) { return item.Id == vkttest::SampleDatabase::kBeef; });
    ASSERT_NE(beef, classes.end());
    const std::string beefPath = beef->Name;
    const std::string beefLeaf = beefPath.substr(beefPath.rfind('/') + 1);
    EXPECT_TRUE(std::none_of(classes.begin(), classes.end(),
                             [](const auto& item) { return item.Id == vkttest::SampleDatabase::kMeat; }))
        << "a class with sub-classes is no item";

    // The full path needs no mapping; the bare leaf name does.
    TCsvNameMap map;
    EXPECT_TRUE(PrepareNameMap(map, classes, {beefLeaf, beefPath, "新分類"}));
    EXPECT_EQ(map.GetUnknownItems(), (std::vector<std::string>{beefLeaf, "新分類"}));
    EXPECT_EQ(map.GetItemID(beefPath), vkttest::SampleDatabase::kBeef);

    const int created = CreateItem(Object(), map, TCsvNameKind::Class, kFood, 1);
    ASSERT_NE(created, 0);
    EXPECT_EQ(map.GetItemID("新分類"), created);
    EXPECT_EQ(map.GetItemName(created).substr(map.GetItemName(created).rfind('/') + 1), "新分類");
    EXPECT_EQ(map.GetUnknownItems(), (std::vector<std::string>{beefLeaf}));
    EXPECT_EQ(CreateItem(Object(), map, TCsvNameKind::Class, kFood, 5), 0) << "no such unknown row";

    for (TCsvNameKind kind : {TCsvNameKind::Form, TCsvNameKind::Unit, TCsvNameKind::Dealer}) {
        TCsvNameMap names;
        PrepareNameMap(names, RegisteredItems(Object(), kind, kFood), {"ABC Foods, Ltd."});
        const int id = CreateItem(Object(), names, kind, kFood, 0);
        ASSERT_NE(id, 0);
        EXPECT_EQ(names.GetItemID("ABC Foods, Ltd."), id);
        EXPECT_TRUE(names.IsComplete());
        TCsvNameMap again;
        EXPECT_FALSE(PrepareNameMap(again, RegisteredItems(Object(), kind, kFood), {"ABC Foods, Ltd."}))
            << "the new row belongs to the family's list";
    }
}

TEST_F(CsvImportDb, CompleteGridAndImportTextMakeTheRecords)
{
    const TPriorityItem fields = Fields({F::Data, F::Class_Key, F::BuyPrice, F::Complete});
    // Two records per line; names with a blank, a comma and a quote; a 60-byte name.
    const std::string longName(60, 'x');
    TCsvGrid grid = Table(("\"a b\",X,\"¥1,200\",3,\"c,\"\"d\",X,0.5,1\n" + longName + ",X,10,2,e,Y,7,0").c_str());
    ASSERT_TRUE(CheckGrid(grid, fields, 2, 7).Passed());
    TCsvNameMap classes;
    classes.AddItem(vkttest::SampleDatabase::kBeef, "肉類/牛肉");
    classes.AddItem(vkttest::SampleDatabase::kPork, "肉類/豚肉");
    classes.AddUnknownItem("X");
    classes.AddUnknownItem("Y");
    classes.SetItem(0, 0);
    classes.SetItem(0, 1);
    const TCsvCompleteGrid complete =
        BuildCompleteGrid(grid, fields, 2, {"名称", "分類", "購入単価", "完成数"}, {&classes, nullptr, nullptr, nullptr});
    ASSERT_EQ(complete.GetDataCount(), 4);
    EXPECT_EQ(GetCSV(complete.Grid),
              "\"a b\",肉類/牛肉,1200,3\r\n\"c,\"\"d\",肉類/牛肉,0.5,1\r\n" + longName.substr(0, 50) +
                  ",肉類/牛肉,10,2\r\ne,肉類/豚肉,7,0\r\n");
    EXPECT_EQ(complete.Grid.GetCell(0, 0), "名称");
    const std::string text = ImportText(complete, fields);
    EXPECT_EQ(text, "\"a b\",4,1200,3\r\n\"c,\"\"d\",4,0.5,1\r\n" + longName.substr(0, 50) + ",4,10,2\r\ne,5,7,0\r\n");

    // Built over a grid built before, nothing of the earlier one stays: fewer records and fields,
    // a name no longer mapped, a price no longer a number, no captions.
    TCsvCompleteGrid reused = complete;
    const TPriorityItem fewer = Fields({F::Class_Key, F::BuyPrice});
    const TCsvGrid other = Table("X,abc\nZ,12");
    BuildCompleteGrid(reused, other, fewer, 1, {}, {&classes, nullptr, nullptr, nullptr});
    const TCsvCompleteGrid fresh = BuildCompleteGrid(other, fewer, 1, {}, {&classes, nullptr, nullptr, nullptr});
    EXPECT_EQ(vkttest::GridCells(reused.Grid), vkttest::GridCells(fresh.Grid));
    EXPECT_EQ(reused.Ids, fresh.Ids);
    EXPECT_EQ(GetCSV(reused.Grid), "肉類/牛肉\r\n,12\r\n");
    BuildCompleteGrid(reused, grid, TPriorityItem(), 2, {"名称"}, {});
    EXPECT_EQ(vkttest::GridCells(reused.Grid),
              vkttest::GridCells(BuildCompleteGrid(grid, TPriorityItem(), 2, {"名称"}, {}).Grid));

    ASSERT_TRUE(Object().InsertData(TVktObjKind::Food, text, fields, 0, nullptr));
    TVDBFood reader(&Object());
    reader.Refresh();
    ASSERT_EQ(reader.GetRowCount(), 4);
    const char* names[] = {"a b", "c,\"d", nullptr, "e"};
    const double prices[] = {1200, 0.5, 10, 7};
    for (int row = 0; row < 4; ++row) {
        reader.SetRowIndex(row);
        EXPECT_EQ(reader.GetData(), names[row] ? names[row] : longName.substr(0, 50));
        EXPECT_EQ(reader.GetClassKey(), row == 3 ? vkttest::SampleDatabase::kPork : vkttest::SampleDatabase::kBeef);
        EXPECT_DOUBLE_EQ(reader.GetBuyPrice().ToDouble(), prices[row]);
    }
}

} // namespace

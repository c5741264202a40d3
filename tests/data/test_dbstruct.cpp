#include "data/Uvktdbstruct.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LinkFixture.h"

namespace {

using F = TVktField;
using platform::Currency;
using platform::EncodeDate;
using platform::EncodeDateTime;
using platform::Variant;

class DbStructTest : public LinkFixture {
protected:
    // One record of each family with its details and master rows.
    void Fill() {
        Sql("insert into VktDB1A (Class_ID, TreeID, ClassType, Class, Class2, Icon_Key) values "
            "(5, '20001', 1, '肉類', 'Viandes', 3), (1, '100', 0, 'Root', NULL, 0), (2, '200', 1, '材料', NULL, 1), "
            "(3, '20000', 1, '野菜', NULL, 2), (4, '300', 2, 'レシピ', NULL, 1)");
        Sql("insert into VktDB1B (Units_ID, UnitsKind, UnitsType, Units, Units2) values "
            "(7, 1, 1, 'kg', 'kilo'), (1, 0, 0, 'g', 'gramme')");
        Sql("insert into VktDB1C (Dealer_ID, Company, Dealer, PostCode, Address, Tel, Tel2, Fax, EMail) values "
            "(1, '丸正', '青木', '100-0001', '東京都', '03-1111', '090-2222', '03-3333', 'a@example.jp')");
        Sql("insert into VktDB1D (AttrItem_ID, Attribute) values (2, '有機'), (1, '国産')");
        const auto null = platform::Variant::Null();
        Add(vkttest::DataRow{.Data_ID = 10, .Class_Key = 5, .Form_Key = 1, .Data = "鶏もも肉", .Data2 = "Poulet",
                             .UseUnit_Key = 7, .UsePrice = 123.4567, .CreateDate = "2024-03-15 10:20:30",
                             .ChangeDate = "2024-03-16 08:00:00"});
        Add(vkttest::DataRow{.Data_ID = 20, .InvItem = false, .Class_Key = 4, .Form_Key = null, .Data = "カレー",
                             .Data2 = null, .UseUnit_Key = 1, .UsePrice = 300, .CreateDate = "2024-01-02 03:04:05",
                             .ChangeDate = "2024-01-02 03:04:05"});
        Add(vkttest::DataRow{.Data_ID = 30, .InvItem = false, .Class_Key = 4, .Form_Key = null, .Data = "ランチ",
                             .Data2 = null, .UseUnit_Key = null, .UsePrice = null, .CreateDate = "2024-01-03 00:00:00",
                             .ChangeDate = null});
        Sql("insert into VktDB1G (Erase_Key, EraseDate) values (30, '2024-04-01 09:00:00')");
        Sql("insert into VktDB1H (Memo_Key, Memo) values (10, X'7B5C727466317D')");
        Sql("insert into VktDB1I (Image_Key, Image) values (10, X'FFD8FF00E0')");
        Sql("insert into VktDB1J (Attribute_Key, AttrItem_Key, AttrCheck) values (10, 2, 0), (10, 1, 1)");
        Sql("insert into VktDB1K (Food_Key, BuyUnit_Key, BuyPrice, Quantity, Yield, Dealer_Key) values "
            "(10, 7, 1500.5, 2000, 85.5, 1)");
        Sql("insert into VktDB1L (MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice) values "
            "(10, '2024-02-01', 7, 1450), (10, '2024-03-01', 7, 1500.5)");
        Sql("insert into VktDB1M (YHistory_Key, YHistoryDate, YHistoryUnit_Key, YHLastPrice, YHMaxPrice, YHAvePrice, "
            "YHMinPrice) values (10, '2023-01-01', 7, 1500.5, 1600, 1525.25, 1400)");
        Sql("insert into VktDB1N (Cook_Key, Complete, TotalPrice, SalePrice) values (20, 4, 1200, 1000), "
            "(30, 1, NULL, 800)");
        Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key, ItemUse, ItemPrice, "
            "ItemUnit_Key, ItemUsePrice) values (20, 2, 2, 4, 10, 0.25, 980, 7, 245), "
            "(20, 1, 1, 1, 10, 0.5, 980, 7, 490)");
        Sql("insert into VktDB1P (Information_Key, Information, Information2) values (30, '日替わり', 'Du jour')");
        Sql("insert into VktDB1E (InvDate_ID, InvDate, InvType) values "
            "(1, '2024-01-31', 0), (2, '2024-03-31', 1), (3, '2024-02-29', 0), (4, '2024-03-31', 0)");
    }

    // Makes the row whose `field` holds `value` current; false when none does.
    static bool Go(TVktAccesser& a, TVktField field, int value) {
        const int row = a.FindRow(field, Variant(value));
        if (row < 0) return false;
        a.SetRowIndex(row);
        return true;
    }
};

// Every class: its preset and the listing of its statement.
struct Preset {
    const char* name;
    std::function<std::unique_ptr<TVktDB>(TVktAccesserOwner)> make;
    TVktTable table;
    const char* fields;
    const char* orders;
    TVktField key;
    int rows;   // rows listed from Fill()
};

template <class T>
std::function<std::unique_ptr<TVktDB>(TVktAccesserOwner)> Make() {
    return [](TVktAccesserOwner owner) { return std::make_unique<T>(owner); };
}

const std::vector<Preset>& Presets() {
    static const std::vector<Preset> presets = {
        {"TVDBClass", Make<TVDBClass>(), TVktTable::TblClass, "1,2,3,4,5,6", "0,1,0,0,0,0", F::Class_ID, 5},
        {"TVDBUnits", Make<TVDBUnits>(), TVktTable::TblUnits, "7,8,9,10,11", "1,0,0,0,0", F::Units_ID, 2},
        {"TVDBAttrItem", Make<TVDBAttrItem>(), TVktTable::TblAttrItem, "35,36", "1,0", F::AttrItem_ID, 2},
        {"TVDBAttribute", Make<TVDBAttribute>(), TVktTable::TblAttribute, "57,58,59", "1,0,0", F::None, 2},
        {"TVDBDealer", Make<TVDBDealer>(), TVktTable::TblDealer, "26,27,28,29,30,31,32,33,34",
         "1,0,0,0,0,0,0,0,0", F::Dealer_ID, 1},
        {"TVDBItem", Make<TVDBItem>(), TVktTable::TblItem, "82,83,84,85,86,87,88,89,90,4,45,18,6,91",
         "0,0,0,0,0,0,0,0,0,0,0,0,0,0", F::None, 2},
        {"TVDBKernel", Make<TVDBKernel>(), TVktTable::TblData, "40,41,42,43,44,45,46,47,48,49,50,52",
         "1,0,0,0,0,0,0,0,0,0,0,0", F::None, 3},
        {"TVDBDetail", Make<TVDBDetail>(), TVktTable::TblData, "40,54,56", "0,0,0", F::None, 3},
        {"TVDBFood", Make<TVDBFood>(), TVktTable::TblData, "40,41,42,43,44,45,46,47,48,49,50,52,61,62,63,64,65",
         "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", F::None, 3},
        {"TVDBCook", Make<TVDBCook>(), TVktTable::TblData, "40,41,42,43,44,45,46,47,48,49,50,52,78,79,80,81",
         "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", F::None, 3},
        {"TVDBMenu", Make<TVDBMenu>(), TVktTable::TblData,
         "40,41,42,43,44,45,46,47,48,49,50,52,78,79,80,81,93,94", "1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", F::None, 3},
        {"TVDBMonthHistory", Make<TVDBMonthHistory>(), TVktTable::TblMHistory, "66,67,68,69", "1,0,0,0", F::None, 2},
        {"TVDBYearHistory", Make<TVDBYearHistory>(), TVktTable::TblYHistory, "70,71,72,73,74,75,76",
         "1,0,0,0,0,0,0", F::None, 1},
        {"TVDBInvDate", Make<TVDBInvDate>(), TVktTable::TblInvDate, "37,38,39", "0,2,0", F::None, 4},
    };
    return presets;
}

TEST_F(DbStructTest, PresetsAndConstructionListNothing) {
    Fill();
    for (const Preset& p : Presets()) {
        SCOPED_TRACE(p.name);
        std::unique_ptr<TVktDB> a = p.make(link.get());
        EXPECT_EQ(a->GetTable(), p.table);
        EXPECT_EQ(a->GetFields().GetCommaText(), p.fields);
        EXPECT_EQ(a->GetOrder().GetCommaText(), p.orders);
        EXPECT_EQ(a->GetKeyField(), p.key);
        EXPECT_EQ(a->GetFilter().GetCount(), 0);
        EXPECT_EQ(a->GetVktObject(), link.get());
        EXPECT_FALSE(a->GetDirty());
        EXPECT_EQ(a->GetRowCount(), 0);
    }
    EXPECT_EQ(link->refs, 0);
}

TEST_F(DbStructTest, EveryStatementRunsOnANewDatabase) {
    for (const Preset& p : Presets()) {
        SCOPED_TRACE(p.name);
        std::unique_ptr<TVktDB> a = p.make(link.get());
        a->Refresh();
        EXPECT_TRUE(a->GetListed());
        EXPECT_EQ(a->GetRowCount(), 0);
    }
    Fill();
    for (const Preset& p : Presets()) {
        SCOPED_TRACE(p.name);
        std::unique_ptr<TVktDB> a = p.make(nullptr);
        a->SetVktObject(link.get());   // binding lists
        EXPECT_TRUE(a->GetListed());
        EXPECT_EQ(a->GetRowCount(), p.rows);
    }
}

TEST_F(DbStructTest, ClassesInTreeOrderWithTheirGetters) {
    Fill();
    TVDBClass classes(link.get());
    classes.Refresh();
    std::string trees;
    for (int r = 0; r < classes.GetRowCount(); ++r) {
        classes.SetRowIndex(r);
        trees += classes.GetText(F::TreeID) + " ";
        EXPECT_EQ(classes.GetTreeID().GetAsString(), classes.GetText(F::TreeID));
    }
    EXPECT_EQ(trees, "100 200 20000 20001 300 ");

    classes.Locate(5);
    EXPECT_EQ(classes.GetRowIndex(), 3);
    EXPECT_EQ(classes.GetClassID(), 5);
    EXPECT_EQ(classes.GetTreeID().GetPath(), "0001");
    EXPECT_EQ(classes.GetTreeID().Depth(), 2);
    EXPECT_EQ(classes.GetClassType(), 1);
    EXPECT_EQ(classes.GetClass(), "肉類");
    EXPECT_EQ(classes.GetClass2(), "Viandes");
    EXPECT_EQ(classes.GetIconKey(), 3);

    TFilterObject filter;
    filter.Add(F::ClassType, foEqual, Variant(1), Variant());
    classes.SetFilter(filter);
    EXPECT_EQ(classes.GetRowCount(), 3);
}

TEST_F(DbStructTest, LocateFindsTheFirstMatchOrKeepsTheRow) {
    Fill();
    TVDBClass classes(link.get());
    classes.Refresh();
    classes.SetRowIndex(4);
    classes.Locate(99);
    EXPECT_EQ(classes.GetRowIndex(), 4);

    // Rows 1 and 4 hold the same key in the cache: the first wins.
    classes.SetRowIndex(4);
    classes.SetValue(F::Class_ID, Variant(2));
    classes.SetRowIndex(0);
    classes.Locate(2);
    EXPECT_EQ(classes.GetRowIndex(), 1);

    TVDBAttribute attributes(link.get());   // no key: nothing is found
    attributes.Refresh();
    attributes.SetRowIndex(1);
    attributes.Locate(0);
    EXPECT_EQ(attributes.GetRowIndex(), 1);
}

TEST_F(DbStructTest, MasterGetters) {
    Fill();
    TVDBUnits units(link.get());
    units.Refresh();
    units.Locate(7);
    EXPECT_EQ(units.GetUnitsID(), 7);
    EXPECT_EQ(units.GetUnits(), "kg");
    EXPECT_EQ(units.GetUnits2(), "kilo");

    TVDBAttrItem items(link.get());
    items.Refresh();
    EXPECT_EQ(items.GetAttrItemID(), 1);   // AttrItem_ID ascending
    EXPECT_EQ(items.GetAttribute(), "国産");

    TVDBAttribute attributes(link.get());
    attributes.Refresh();
    ASSERT_TRUE(Go(attributes, F::AttrItem_Key, 1));
    EXPECT_EQ(attributes.GetAttrItemKey(), 1);
    EXPECT_TRUE(attributes.GetAttrCheck());
    EXPECT_EQ(attributes.GetValue(F::Attribute_Key).AsInt(), 10);

    TVDBDealer dealers(link.get());
    dealers.Refresh();
    dealers.Locate(1);
    EXPECT_EQ(dealers.GetDealerID(), 1);
    EXPECT_EQ(dealers.GetCompany(), "丸正");
    EXPECT_EQ(dealers.GetDealer(), "青木");
    EXPECT_EQ(dealers.GetPostCode(), "100-0001");
    EXPECT_EQ(dealers.GetAddress(), "東京都");
    EXPECT_EQ(dealers.GetTel(), "03-1111");
    EXPECT_EQ(dealers.GetTel2(), "090-2222");
    EXPECT_EQ(dealers.GetFax(), "03-3333");
    EXPECT_EQ(dealers.GetEMail(), "a@example.jp");
}

TEST_F(DbStructTest, InventoryDatesNewestFirst) {
    Fill();
    TVDBInvDate dates(link.get());
    dates.Refresh();
    std::string ids;
    for (int r = 0; r < dates.GetRowCount(); ++r) {
        dates.SetRowIndex(r);
        ids += std::to_string(dates.GetInvDateID()) + " ";
    }
    EXPECT_EQ(ids, "2 4 3 1 ");
    dates.SetRowIndex(0);
    EXPECT_EQ(dates.GetInvDate(), EncodeDate(2024, 3, 31));
    EXPECT_EQ(dates.GetText(F::InvDate), "2024/03/31");
    EXPECT_EQ(dates.GetValue(F::InvType).AsInt(), 1);
}

TEST_F(DbStructTest, RecordFamilies) {
    Fill();
    TVDBFood food(link.get());
    food.Refresh();
    ASSERT_TRUE(Go(food, F::Data_ID, 10));
    EXPECT_EQ(food.GetClassKey(), 5);
    EXPECT_EQ(food.GetFormKey(), 1);
    EXPECT_EQ(food.GetData(), "鶏もも肉");
    EXPECT_EQ(food.GetData2(), "Poulet");
    EXPECT_EQ(food.GetUseUnitKey(), 7);
    EXPECT_EQ(food.GetUsePrice(), Currency::FromRaw(1234567));
    EXPECT_TRUE(food.GetInvItem());
    EXPECT_EQ(food.GetCreateDate(), EncodeDateTime(2024, 3, 15, 10, 20, 30));
    EXPECT_EQ(food.GetChangeDate(), EncodeDateTime(2024, 3, 16, 8, 0, 0));
    EXPECT_EQ(food.GetBuyUnitKey(), 7);
    EXPECT_EQ(food.GetBuyPrice(), Currency::FromRaw(15005000));
    EXPECT_DOUBLE_EQ(food.GetQuantity(), 2000);
    EXPECT_DOUBLE_EQ(food.GetYield(), 85.5);
    EXPECT_EQ(food.GetDealerKey(), 1);
    EXPECT_TRUE(food.GetValue(F::EraseDate).IsNull());

    TVDBMenu menu(link.get());
    menu.Refresh();
    ASSERT_TRUE(Go(menu, F::Data_ID, 20));
    EXPECT_DOUBLE_EQ(menu.GetComplete(), 4);
    EXPECT_EQ(menu.GetTotalPrice(), Currency::FromInt(1200));
    EXPECT_EQ(menu.GetSalePrice(), Currency::FromInt(1000));
    EXPECT_DOUBLE_EQ(menu.GetCostRate(), 30);
    EXPECT_EQ(menu.GetText(F::CostRate), "30.00%");
    ASSERT_TRUE(Go(menu, F::Data_ID, 30));
    EXPECT_EQ(menu.GetInformation(), "日替わり");
    EXPECT_EQ(menu.GetInformation2(), "Du jour");
    EXPECT_EQ(menu.GetValue(F::EraseDate).AsDateTime(), EncodeDateTime(2024, 4, 1, 9, 0, 0));
    // NULL cells read as zero: an empty recipe's total, a missing change date.
    EXPECT_EQ(menu.GetTotalPrice(), Currency());
    EXPECT_EQ(menu.GetUsePrice(), Currency());
    EXPECT_EQ(menu.GetChangeDate(), 0.0);
    EXPECT_EQ(menu.GetUseUnitKey(), 0);
    EXPECT_DOUBLE_EQ(menu.GetCostRate(), 0);
    EXPECT_EQ(menu.GetText(F::CostRate), "");

    TVDBDetail detail(link.get());
    detail.Refresh();
    ASSERT_TRUE(Go(detail, F::Data_ID, 10));
    EXPECT_EQ(detail.GetMemo(), "{\\rtf1}");
    EXPECT_EQ(detail.GetImage(), std::string("\xFF\xD8\xFF\x00\xE0", 5));
    ASSERT_TRUE(Go(detail, F::Data_ID, 20));
    EXPECT_EQ(detail.GetMemo(), "");
}

TEST_F(DbStructTest, RecipeItemsWithTheirJoinedFields) {
    Fill();
    TVDBItem items(link.get());
    items.Refresh();
    ASSERT_EQ(items.GetRowCount(), 2);
    EXPECT_EQ(items.GetValue(F::ItemIndex).AsInt(), 1);   // the builder's key order
    items.SetRowIndex(1);
    EXPECT_EQ(items.GetItemCatIndex(), "B-4");
    EXPECT_EQ(items.GetClass(), "肉類");
    EXPECT_EQ(items.GetData(), "鶏もも肉");
    EXPECT_EQ(items.GetItemUnit(), "kg");
    EXPECT_EQ(items.GetIconKey(), 3);
    EXPECT_EQ(items.GetItemPrice(), Currency::FromInt(980));
    EXPECT_DOUBLE_EQ(items.GetItemUse(), 0.25);
    EXPECT_EQ(items.GetItemUsePrice(), Currency::FromInt(245));
    EXPECT_EQ(items.GetText(F::ItemUsePrice), "¥245");
}

TEST_F(DbStructTest, PriceHistories) {
    Fill();
    TVDBMonthHistory months(link.get());
    months.Refresh();
    ASSERT_EQ(months.GetRowCount(), 2);
    months.SetRowIndex(1);
    EXPECT_EQ(months.GetMHistoryDate(), EncodeDate(2024, 3, 1));
    EXPECT_EQ(months.GetMHistoryPrice(), Currency::FromRaw(15005000));

    TVDBYearHistory years(link.get());
    years.Refresh();
    EXPECT_EQ(years.GetYHistoryDate(), EncodeDate(2023, 1, 1));
    EXPECT_EQ(years.GetYHLastPrice(), Currency::FromRaw(15005000));
    EXPECT_EQ(years.GetYHMaxPrice(), Currency::FromInt(1600));
    EXPECT_EQ(years.GetYHAvePrice(), Currency::FromRaw(15252500));
    EXPECT_EQ(years.GetYHMinPrice(), Currency::FromInt(1400));
    EXPECT_EQ(years.GetValue(F::YHistoryUnit_Key).AsInt(), 7);
}

TEST_F(DbStructTest, GettersOfAnAccessorWithoutRowsReadZero) {
    TVDBKernel kernel(link.get());
    kernel.Refresh();
    EXPECT_EQ(kernel.GetClassKey(), 0);
    EXPECT_EQ(kernel.GetData(), "");
    EXPECT_EQ(kernel.GetUsePrice(), Currency());
    EXPECT_FALSE(kernel.GetInvItem());
    EXPECT_EQ(kernel.GetCreateDate(), 0.0);
    TVDBClass classes(link.get());
    EXPECT_EQ(classes.GetTreeID().GetAsString(), TTreeIndex().GetAsString());
    EXPECT_EQ(classes.GetRowCount(), 0);
}

} // namespace

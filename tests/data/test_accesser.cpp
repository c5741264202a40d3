#include "data/Uvktaccesser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "LinkFixture.h"
#include "core/Unumericstring.h"
#include "data/Mvktdatalister.h"
#include "platform/Errors.h"

namespace {

using F = TVktField;
using platform::Variant;
using Accesser = Counted<TVktAccesser>;

TPriorityItem List(std::initializer_list<int> items) {
    TPriorityItem list;
    for (int item : items) list << item;
    return list;
}

TPriorityItem Fields(std::initializer_list<TVktField> fields) {
    TPriorityItem list;
    for (TVktField field : fields) list << ToInt(field);
    return list;
}

// Column `field` of every cached row as "text" or "text=value" pieces joined by "|".
std::string Column(TVktAccesser& a, TVktField field) {
    std::string out;
    for (int r = 0; r < a.GetRowCount(); ++r) {
        a.SetRowIndex(r);
        if (r) out += "|";
        out += a.GetText(field);
    }
    return out;
}

class AccesserTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        Sql("insert into VktDB1C (Dealer_ID, Company, Dealer) values (1, 'Alpha', 'Aoki'), (2, 'Beta', NULL), "
            "(3, 'Gamma', 'Goto')");
    }

    // A listed dealer accessor over the fake database: Dealer_ID, Company, Dealer by Dealer_ID.
    std::unique_ptr<Accesser> Dealers() {
        auto a = std::make_unique<Accesser>(link.get());
        a->BeginUpdate();
        a->SetTable(TVktTable::TblDealer);
        a->SetFields(Fields({F::Dealer_ID, F::Company, F::Dealer}));
        a->SetOrder(List({1, 0, 0}));
        a->EndUpdate();
        a->listings = 0;
        return a;
    }
};

// ---------------------------------------------------------------------------------------------
// Binding

TEST_F(AccesserTest, ConstructionOnADatabaseBindsWithoutListing) {
    Accesser a(link.get());
    EXPECT_EQ(a.GetVktObject(), link.get());
    EXPECT_EQ(link->refs, 1);
    EXPECT_EQ(link->events.GetCount(), 1);
    EXPECT_EQ(a.GetPath(), folder);
    EXPECT_EQ(a.listings, 0);
    EXPECT_EQ(a.GetRowCount(), 0);
    EXPECT_FALSE(a.GetDirty());
}

TEST_F(AccesserTest, SetVktObjectRebindsAndLists) {
    Accesser a;
    a.SetTable(TVktTable::TblDealer);   // no path: lists nothing, successfully
    EXPECT_EQ(a.listings, 1);
    EXPECT_TRUE(a.GetListed());
    EXPECT_EQ(a.GetRowCount(), 0);

    a.SetVktObject(link.get());
    EXPECT_EQ(a.listings, 2);
    EXPECT_EQ(a.GetRowCount(), 3);
    a.SetVktObject(link.get());   // the same object: nothing
    EXPECT_EQ(a.listings, 2);
    EXPECT_EQ(link->refs, 1);

    FakeLink other(folder);
    a.SetVktObject(&other);
    EXPECT_EQ(link->refs, 0);
    EXPECT_EQ(link->events.GetCount(), 0);
    EXPECT_EQ(other.refs, 1);
    EXPECT_EQ(other.events.GetCount(), 1);
    a.SetVktObject(nullptr);
    EXPECT_EQ(other.refs, 0);
    EXPECT_EQ(a.GetRowCount(), 0);
}

TEST_F(AccesserTest, CloseUnbindsTheAccessorAndTheAccessorsItOwns) {
    auto a = Dealers();
    Accesser child(a.get());
    Accesser grandchild(&child);
    child.SetTable(TVktTable::TblDealer);
    EXPECT_EQ(a->GetComponentCount(), 1);
    EXPECT_EQ(child.GetVktObject(), nullptr);   // an owning accessor is no database

    a->SetVktObject(nullptr);
    a->SetVktObject(link.get());
    EXPECT_EQ(child.GetVktObject(), link.get());
    EXPECT_EQ(grandchild.GetVktObject(), link.get());
    EXPECT_EQ(child.GetRowCount(), 3);
    EXPECT_EQ(link->refs, 3);

    link->Close();
    EXPECT_EQ(a->GetVktObject(), nullptr);
    EXPECT_EQ(child.GetVktObject(), nullptr);
    EXPECT_EQ(grandchild.GetVktObject(), nullptr);
    EXPECT_EQ(link->refs, 0);
    EXPECT_EQ(link->events.GetCount(), 0);
    EXPECT_EQ(a->GetRowCount(), 0);   // relisted over no folder
    EXPECT_EQ(child.GetRowCount(), 0);
}

TEST_F(AccesserTest, ReleaseNoticeUnbinds) {
    auto a = Dealers();
    link->events.FireRelease(nullptr);
    EXPECT_EQ(a->GetVktObject(), nullptr);
    EXPECT_EQ(link->refs, 0);
}

TEST_F(AccesserTest, DestroyingLetsGoOfTheDatabaseAndTheOwner) {
    auto a = Dealers();
    {
        auto child = std::make_unique<Accesser>(a.get());
        EXPECT_EQ(a->GetComponentCount(), 1);
    }
    EXPECT_EQ(a->GetComponentCount(), 0);
    auto orphan = std::make_unique<Accesser>(a.get());
    a.reset();
    EXPECT_EQ(link->refs, 0);
    EXPECT_EQ(link->events.GetCount(), 0);
    orphan.reset();   // its owner is gone: nothing to leave
}

// ---------------------------------------------------------------------------------------------
// Listing on changes

TEST_F(AccesserTest, ChangedListsListOnceEqualOnesNothing) {
    auto a = Dealers();
    a->SetFields(Fields({F::Dealer_ID, F::Company, F::Dealer}));
    a->SetOrder(List({1, 0, 0}));
    a->SetFilter(TFilterObject());
    EXPECT_EQ(a->listings, 0);

    a->SetFields(Fields({F::Dealer_ID, F::Company}));
    EXPECT_EQ(a->listings, 1);
    a->SetOrder(List({0, 2}));
    EXPECT_EQ(a->listings, 2);
    EXPECT_EQ(Column(*a, F::Company), "Gamma|Beta|Alpha");

    TFilterObject filter;
    filter.Add(F::Company, foContains, Variant("a"), Variant());
    a->SetFilter(filter);
    EXPECT_EQ(a->listings, 3);
    a->SetFilter(filter);
    EXPECT_EQ(a->listings, 3);
    EXPECT_EQ(Column(*a, F::Company), "Gamma|Beta|Alpha");
    filter.Clear();
    filter.Add(F::Company, foEqual, Variant("Beta"), Variant());
    a->SetFilter(filter);
    EXPECT_EQ(a->listings, 4);
    EXPECT_EQ(Column(*a, F::Company), "Beta");
}

TEST_F(AccesserTest, ChangesUnderTheLockListOnceAtTheOutermostEnd) {
    auto a = Dealers();
    a->BeginUpdate();
    a->BeginUpdate();
    a->SetFields(Fields({F::Company}));
    a->SetOrder(List({2}));
    TFilterObject filter;
    filter.Add(F::Company, foNotEqual, Variant("Beta"), Variant());
    a->SetFilter(filter);
    a->EndUpdate();
    EXPECT_EQ(a->listings, 0);
    EXPECT_TRUE(a->GetDirty());
    a->EndUpdate();
    EXPECT_EQ(a->listings, 1);
    EXPECT_EQ(Column(*a, F::Company), "Gamma|Alpha");
    a->EndUpdate();   // unbalanced: stays at 0 and lists nothing
    EXPECT_EQ(a->GetUpdateCount(), 0);
    EXPECT_EQ(a->listings, 1);
}

TEST_F(AccesserTest, ExecuteUnderTheLockKeepsTheRows) {
    auto a = Dealers();
    ASSERT_EQ(a->GetRowCount(), 3);
    a->SetRowIndex(2);
    a->BeginUpdate();
    EXPECT_FALSE(a->Execute());
    EXPECT_EQ(a->GetRowCount(), 3);
    EXPECT_EQ(a->GetRowIndex(), 2);
    a->Refresh();   // only marks it dirty
    EXPECT_EQ(a->GetRowCount(), 3);
    a->EndUpdate();
    EXPECT_EQ(a->GetRowIndex(), 0);
    EXPECT_TRUE(a->GetListed());
}

TEST_F(AccesserTest, SetTableListsAllStoredFieldsOnce) {
    Accesser a(link.get());
    TFilterObject filter;
    filter.Add(F::Company, foEqual, Variant("Beta"), Variant());
    a.SetFilter(filter);
    a.listings = 0;
    a.SetTable(TVktTable::TblDealer);
    EXPECT_EQ(a.listings, 1);
    EXPECT_EQ(a.GetFields().GetCommaText(), "26,27,28,29,30,31,32,33,34");
    EXPECT_EQ(a.GetOrder().GetCommaText(), "1,0,0,0,0,0,0,0,0");
    EXPECT_EQ(a.GetFilter().GetCount(), 0);
    EXPECT_EQ(a.GetRowCount(), 3);
    a.SetTable(TVktTable::TblDealer);
    EXPECT_EQ(a.listings, 1);
}

TEST_F(AccesserTest, RowDoneMayStopTheListing) {
    auto a = Dealers();
    std::vector<std::string> log;
    a->OnRowAdded = [&](TVktAccesser*, int row) { log.push_back("row " + std::to_string(row)); };
    a->OnCellAdded = [&](TVktAccesser*, int, TVktField field) { log.push_back("cell " + std::to_string(ToInt(field))); };
    a->OnCellValue = [&](TVktAccesser*, int, TVktField, const std::string& text, const Variant& value) {
        log.push_back(text + "=" + value.AsString());
    };
    a->OnRowDone = [&](TVktAccesser*, int row, bool& more) {
        log.push_back("done " + std::to_string(row));
        more = row < 1;
    };
    a->SetFields(Fields({F::Company}));
    EXPECT_TRUE(a->GetListed());
    EXPECT_EQ(a->GetRowCount(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"row 0", "cell 27", "Alpha=Alpha", "done 0", "row 1", "cell 27",
                                             "Beta=Beta", "done 1"}));
}

TEST_F(AccesserTest, ARefreshFromANoticeOfTheListingIsRefused) {
    auto a = Dealers();
    int refused = 0;
    a->OnRowDone = [&](TVktAccesser* sender, int, bool&) {
        if (!sender->Execute()) ++refused;
    };
    a->Refresh();
    EXPECT_TRUE(a->GetListed());
    EXPECT_EQ(refused, 3);
    EXPECT_EQ(Column(*a, F::Company), "Alpha|Beta|Gamma");
}

// ---------------------------------------------------------------------------------------------
// Failures

TEST_F(AccesserTest, AFailingListingKeepsTheRowsListedSoFar) {
    auto a = Dealers();
    a->OnRowDone = [](TVktAccesser*, int row, bool&) {
        if (row == 1) throw platform::Error("stop");
    };
    a->Refresh();
    EXPECT_FALSE(a->GetListed());
    EXPECT_EQ(Column(*a, F::Company), "Alpha|Beta");
}

TEST_F(AccesserTest, ABadCellEndsTheListingBeforeItsRow) {
    using vkttest::DataRow;
    Add(DataRow{.Data_ID = 1, .Conserve = {}, .InvItem = {}, .Data = "a", .CreateDate = "2024-03-01 10:00:00"});
    Add(DataRow{.Data_ID = 2, .Conserve = {}, .InvItem = {}, .Data = "b", .CreateDate = "2024-03-02 10:00:00"});
    Add(DataRow{.Data_ID = 3, .Conserve = {}, .InvItem = {}, .Data = "c", .CreateDate = "not a date"});
    Accesser a(link.get());
    a.BeginUpdate();
    a.SetTable(TVktTable::TblData);
    a.SetFields(Fields({F::Data_ID, F::Data, F::CreateDate}));
    a.EndUpdate();
    EXPECT_FALSE(a.GetListed());
    EXPECT_EQ(Column(a, F::Data), "a|b");
}

TEST_F(AccesserTest, AFolderWithoutADatabaseFailsAndCreatesNothing) {
    const std::string empty = folder + "/empty";
    std::filesystem::create_directory(empty);
    Accesser a;
    a.SetPath(empty);
    a.SetTable(TVktTable::TblDealer);
    EXPECT_FALSE(a.GetListed());
    EXPECT_EQ(a.GetRowCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(platform::DatabaseFilePath(empty)));
}

TEST_F(AccesserTest, AWindowWhoseCountFailsFailsTheListing) {
    auto a = Dealers();
    a->SetWindow(2);
    a->Refresh();
    ASSERT_EQ(a->GetCachedRowCount(), 2);
    // The table goes: the count fails, the listing reports it and keeps nothing.
    Sql("drop table VktDB1C");
    a->Refresh();
    EXPECT_FALSE(a->GetListed());
    EXPECT_EQ(a->GetRowCount(), 0);
    EXPECT_FALSE(a->GetPartial());
}

TEST_F(AccesserTest, AFieldTheStatementLacksFailsOnTheFirstRow) {
    Accesser a(link.get());
    a.BeginUpdate();
    a.SetTable(TVktTable::TblDealer);
    a.SetFields(Fields({F::Dealer_ID, F::Units}));   // the builder drops Units
    a.EndUpdate();
    EXPECT_FALSE(a.GetListed());
    EXPECT_EQ(a.GetRowCount(), 0);

    Sql("delete from VktDB1C");
    a.Refresh();   // no row to read: nothing is missed
    EXPECT_TRUE(a.GetListed());
}

TEST_F(AccesserTest, EmptyFieldListListsNothing) {
    Accesser a(link.get());
    a.SetTable(TVktTable::TblDealer);
    a.SetFields(TPriorityItem());
    EXPECT_TRUE(a.GetListed());
    EXPECT_EQ(a.GetRowCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Reading the cache

TEST_F(AccesserTest, ReadingWithoutRowsDoesNotGrowTheCache) {
    auto a = Dealers();
    Sql("delete from VktDB1C");
    a->Refresh();
    EXPECT_TRUE(a->GetValue(F::Company).IsEmpty());
    EXPECT_EQ(a->GetText(F::Company), "");
    a->SetText(F::Company, "x");
    a->SetValue(F::Company, Variant("x"));
    EXPECT_EQ(a->GetRowCount(), 0);
    EXPECT_EQ(a->FindRow(F::Company, Variant("x")), -1);
}

TEST_F(AccesserTest, CurrentRowClampsAndUnlistedFieldsReadEmpty) {
    auto a = Dealers();
    a->SetRowIndex(1);
    EXPECT_EQ(a->GetText(F::Company), "Beta");
    EXPECT_TRUE(a->GetValue(F::Dealer).IsNull());
    EXPECT_EQ(a->GetText(F::Dealer), "");
    a->SetRowIndex(3);
    EXPECT_EQ(a->GetText(F::Company), "Alpha");
    a->SetRowIndex(-1);
    EXPECT_EQ(a->GetText(F::Company), "Alpha");
    EXPECT_TRUE(a->GetValue(F::Tel).IsEmpty());
    EXPECT_EQ(a->GetText(F::Tel), "");
    EXPECT_EQ(a->FindRow(F::Tel, Variant()), -1);
}

TEST_F(AccesserTest, SetTextAndSetValueOverwriteTheCurrentCellOnly) {
    auto a = Dealers();
    a->SetRowIndex(2);
    a->SetText(F::Company, "Delta");
    a->SetValue(F::Dealer_ID, Variant(7));
    a->SetText(F::Tel, "unlisted");
    EXPECT_EQ(a->GetText(F::Company), "Delta");
    EXPECT_EQ(a->GetValue(F::Company).AsString(), "Gamma");
    EXPECT_EQ(a->GetText(F::Dealer_ID), "3");
    EXPECT_EQ(a->FindRow(F::Dealer_ID, Variant(7)), 2);
    EXPECT_EQ(a->FindRow(F::Dealer_ID, Variant(2)), 1);
    EXPECT_EQ(a->FindRow(F::Dealer_ID, Variant(3)), -1);
    EXPECT_EQ(a->GetText(F::Tel), "");
}

// ---------------------------------------------------------------------------------------------
// Values and display texts

class DisplayTest : public LinkFixture {
protected:
    void TearDown() override {
        a.reset();
        NumericString();   // back to the default style
        LinkFixture::TearDown();
    }
    // One listed row of TblData with the given fields.
    Accesser& Row(TVktTable table, std::initializer_list<TVktField> fields) {
        a = std::make_unique<Accesser>(link.get());
        a->BeginUpdate();
        a->SetTable(table);
        a->SetFields(Fields(fields));
        a->EndUpdate();
        return *a;
    }
    std::unique_ptr<Accesser> a;
};

TEST_F(DisplayTest, EachTypeHasItsValueAndText) {
    Add(vkttest::DataRow{.Data_ID = 5, .Conserve = true, .InvItem = false, .Class_Key = 12, .Data = "鶏もも肉",
                         .UsePrice = 1234.5, .CreateDate = "2024-03-15 10:20:30", .ChangeDate = "2024-03-16 00:00:00"});
    Sql("insert into VktDB1K (Food_Key, Quantity, Yield) values (5, 1234.5, 0.125)");
    Sql("insert into VktDB1L (MHistory_Key, MHistoryDate, MHistoryUnit_Key, MHistoryPrice) "
        "values (5, '2024-02-01', 1, 10)");
    // A report may leave the shared formatter in another style.
    NumericString(TNSFloatType::General, 2);
    Accesser& r = Row(TVktTable::TblData, {F::Data_ID, F::Conserve, F::InvItem, F::Class_Key, F::Data,
                                           F::UsePrice, F::CreateDate, F::ChangeDate, F::Quantity, F::Yield,
                                           F::MHistoryDate, F::Data2, F::Form_Key});
    ASSERT_TRUE(r.GetListed());
    ASSERT_EQ(r.GetRowCount(), 1);
    struct Case { TVktField field; const char* text; Variant value; };
    const Case cases[] = {
        {F::Data_ID, "5", Variant(5)},
        {F::Conserve, "チェック有り", Variant(true)},
        {F::InvItem, "チェック無し", Variant(false)},
        {F::Class_Key, "12", Variant(12)},
        {F::Data, "鶏もも肉", Variant("鶏もも肉")},
        {F::UsePrice, "¥1,235", Variant(platform::Currency::FromDouble(1234.5))},   // four significant digits
        {F::CreateDate, "2024/03/15 10:20:30", Variant::FromDateTime(platform::EncodeDateTime(2024, 3, 15, 10, 20, 30))},
        {F::ChangeDate, "2024/03/16", Variant::FromDateTime(platform::EncodeDate(2024, 3, 16))},
        {F::Quantity, "1,234.50", Variant(1234.5)},
        {F::Yield, "0.13", Variant(0.125)},
        {F::MHistoryDate, "2024/02/01", Variant::FromDateTime(platform::EncodeDate(2024, 2, 1))},
        {F::Data2, "", Variant::Null()},
        {F::Form_Key, "", Variant::Null()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(GetFieldName(c.field));
        EXPECT_EQ(r.GetText(c.field), c.text);
        EXPECT_EQ(r.GetValue(c.field).GetKind(), c.value.GetKind());
        EXPECT_TRUE(r.GetValue(c.field) == c.value) << r.GetValue(c.field).AsString();
    }
}

TEST_F(DisplayTest, ANullBooleanShowsNothing) {
    Add(vkttest::DataRow{.Data_ID = 1, .Conserve = Variant::Null()});
    Accesser& r = Row(TVktTable::TblData, {F::Conserve, F::InvItem});
    EXPECT_EQ(r.GetText(F::Conserve), "");
    EXPECT_TRUE(r.GetValue(F::Conserve).IsNull());
    EXPECT_EQ(r.GetText(F::InvItem), "チェック有り");
}

TEST_F(DisplayTest, ItemCatIndexLetters) {
    Add(vkttest::DataRow{.Data_ID = 1, .Conserve = {}, .InvItem = {}, .Data = "r"});
    const int categories[] = {-3, 0, 1, 2, 26, 27, 52, 53, 200};
    for (int i = 0; i < 9; ++i)
        Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key) values (1, " +
            std::to_string(i + 1) + ", " + std::to_string(categories[i]) + ", " + std::to_string(i + 10) + ", 1)");
    Sql("insert into VktDB1O (Item_Key, ItemIndex, Category, CatIndex, Data_Key) values (1, 10, 3, NULL, 1)");
    Accesser& r = Row(TVktTable::TblItem, {F::ItemIndex, F::ItemCatIndex});
    EXPECT_EQ(Column(r, F::ItemCatIndex), "A-10|A-11|A-12|B-13|Z-14|a-15|z-16|@-17|@-18|C-");
    r.SetRowIndex(5);
    EXPECT_EQ(r.GetValue(F::ItemCatIndex).AsString(), "a-15");
}

TEST_F(DisplayTest, CostRateEndsWithAPercentSign) {
    for (const auto& [id, price] : {std::pair{1, 35.5}, std::pair{2, 10.0}, std::pair{3, 1.0}})
        Add(vkttest::DataRow{.Data_ID = id, .Conserve = {}, .InvItem = {}, .UsePrice = price});
    Sql("insert into VktDB1N (Cook_Key, SalePrice) values (1, 100), (2, 0), (3, 3)");
    Accesser& r = Row(TVktTable::TblData, {F::Data_ID, F::CostRate});
    EXPECT_EQ(Column(r, F::CostRate), "35.50%||33.33%");
    r.SetRowIndex(0);
    EXPECT_DOUBLE_EQ(r.GetValue(F::CostRate).AsDouble(), 35.5);
}

TEST_F(DisplayTest, MemoAndImageKeepTheirBytes) {
    Add(vkttest::DataRow{.Data_ID = 1, .Conserve = {}, .InvItem = {}});
    Sql("insert into VktDB1H (Memo_Key, Memo) values (1, X'7B5C727466317D')");
    Sql("insert into VktDB1I (Image_Key, Image) values (1, X'FFD800FF')");
    Accesser& r = Row(TVktTable::TblData, {F::Data_ID, F::Memo, F::Image});
    EXPECT_EQ(r.GetText(F::Memo), "{\\rtf1}");
    EXPECT_EQ(r.GetValue(F::Image).AsString(), std::string("\xFF\xD8\x00\xFF", 4));
    EXPECT_EQ(r.GetText(F::Image).size(), 4u);
}

// ---------------------------------------------------------------------------------------------
// The lister alone

TEST_F(LinkFixture, ListerPathAndEmptyListings) {
    TVktDataLister lister;
    lister.SetPath(folder + "/");
    EXPECT_EQ(lister.GetPath(), folder);
    lister.SetPath("C:\\db\\");
    EXPECT_EQ(lister.GetPath(), "C:\\db");

    TVktDataLister other;
    EXPECT_NE(lister.GetSessionName(), other.GetSessionName());

    int rows = 0;
    lister.OnListRow = [&](TVktDataLister*, int, void*) { ++rows; };
    lister.SetTable(TVktTable::TblDealer);
    EXPECT_TRUE(lister.List(nullptr, TPriorityItem(), TPriorityItem(), TFilterObject()));
    lister.SetPath("");
    EXPECT_TRUE(lister.List(nullptr, Fields({F::Company}), TPriorityItem(), TFilterObject()));
    EXPECT_NE(lister.GetSQL().find("VktDB1C"), std::string::npos);
    EXPECT_EQ(rows, 0);
}

TEST_F(LinkFixture, ListerPassesTheUserPointerAndBindsTheFilter) {
    Sql("insert into VktDB1C (Dealer_ID, Company) values (1, 'Alpha'), (2, 'Beta')");
    TVktDataLister lister;
    lister.SetPath(folder);
    lister.SetTable(TVktTable::TblDealer);
    int tag = 0;
    std::vector<std::string> cells;
    lister.OnListCell = [&](TVktDataLister* sender, int row, TVktField, const std::string& text, const Variant&,
                            void* user) {
        EXPECT_EQ(sender, &lister);
        EXPECT_EQ(user, &tag);
        cells.push_back(std::to_string(row) + ":" + text);
    };
    TFilterObject filter;
    filter.Add(F::Dealer_ID, foAtLeast, Variant(2), Variant());
    EXPECT_TRUE(lister.List(&tag, Fields({F::Dealer_ID, F::Company}), List({1, 0}), filter));
    EXPECT_EQ(cells, (std::vector<std::string>{"0:2", "0:Beta"}));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Window

TEST_F(AccesserTest, AWindowCachesItsRowsAndCountsTheRest) {
    const struct { int window; int cached; bool partial; } cases[] = {
        {0, 3, false}, {1, 1, true}, {2, 2, true}, {3, 3, false}, {5, 3, false}};
    for (const auto& c : cases) {
        auto a = Dealers();
        a->SetWindow(c.window);
        a->Refresh();
        EXPECT_EQ(a->GetRowCount(), 3) << "window " << c.window;
        EXPECT_EQ(a->GetCachedRowCount(), c.cached) << "window " << c.window;
        EXPECT_EQ(a->GetPartial(), c.partial) << "window " << c.window;
        // The last cached row reads without listing more; the next row lists them all.
        a->SetRowIndex(c.cached - 1);
        EXPECT_EQ(a->GetCachedRowCount(), c.cached) << "window " << c.window;
        EXPECT_EQ(a->GetText(F::Company), std::vector<std::string>({"Alpha", "Beta", "Gamma"})[c.cached - 1]);
        EXPECT_EQ(Column(*a, F::Company), "Alpha|Beta|Gamma") << "window " << c.window;
        EXPECT_FALSE(a->GetPartial());
        EXPECT_EQ(a->listings, 1);
    }
}

TEST_F(AccesserTest, AWindowFollowsEditsAndRequeries) {
    auto a = Dealers();
    a->SetWindow(2);
    a->Refresh();
    // Rows added and edited after the listing: a re-listing counts and reads them afresh.
    Sql("insert into VktDB1C (Dealer_ID, Company) values (0, 'Zero'), (4, 'Delta')");
    Sql("update VktDB1C set Company = 'Beta2' where Dealer_ID = 2");
    EXPECT_EQ(a->GetRowCount(), 3);   // nothing re-reads on its own
    a->Refresh();
    EXPECT_EQ(a->GetRowCount(), 5);
    EXPECT_EQ(a->GetCachedRowCount(), 2);
    EXPECT_EQ(a->FindRow(F::Dealer_ID, Variant(1)), 1);
    EXPECT_EQ(a->FindRow(F::Dealer_ID, Variant(2)), -1);   // not cached: read fresh once listed
    EXPECT_EQ(Column(*a, F::Company), "Zero|Alpha|Beta2|Gamma|Delta");
    // A filter narrower than the window caches every row.
    TFilterObject filter;
    filter.Add(F::Company, foContains, Variant("ta"), Variant());
    a->SetFilter(filter);
    EXPECT_EQ(a->GetRowCount(), 2);
    EXPECT_FALSE(a->GetPartial());
    EXPECT_EQ(Column(*a, F::Company), "Beta2|Delta");
}

namespace {

// A filter on a column of the listed table itself: the whole listing and a windowed one (counted
// first) both keep the matching rows.
TEST_F(AccesserTest, AFilterOnTheListedTablesOwnColumnSelectsItsRows) {
    Sql("insert into VktDB1B (Units_ID, UnitsKind, UnitsType, Units) values (1, 0, 1, 'kg'), (2, 0, 1, 'L'), "
        "(3, 0, 1, 'g')");
    TFilterObject filter;
    filter.Add(F::Units, foContains, Variant("g"), Variant());
    for (int window : {0, 1, 2, 5}) {
        Accesser a(link.get());
        a.BeginUpdate();
        a.SetWindow(window);
        a.SetTable(TVktTable::TblUnits);
        a.SetFilter(filter);
        a.EndUpdate();
        EXPECT_TRUE(a.GetListed()) << "window " << window;
        EXPECT_EQ(a.GetRowCount(), 2) << "window " << window;
        EXPECT_EQ(Column(a, F::Units), "kg|g") << "window " << window;
    }
}

} // namespace

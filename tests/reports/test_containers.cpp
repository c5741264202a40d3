// The database container and the data containers over a small report database: paging, slot
// rows, field texts and fonts, inherited values, the query, memos, pictures and recipe items.
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/Xml.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktimagecontainer.h"
#include "reports/Uvktmemocontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>


namespace {

using F = TVktField;
using vkttest::ReportDatabase;

TAccessFieldStruct Sort(std::initializer_list<std::pair<int, int>> pairs)
{
    TAccessFieldStruct fields;
    for (auto [field, order] : pairs) {
        fields.GetFields() << field;
        fields.GetOrders() << order;
    }
    return fields;
}

class ReportContainersTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object());
    }

    // A database container over the ingredients sorted by name.
    TVktTopContainer* Top(int perPage)
    {
        auto* top = layout->Add<TVktTopContainer>(11, nullptr);
        top->SetFilter(ReportDatabase::FoodFilter());
        top->SetAccessFields(Sort({{ToInt(F::Data), 1}}));
        top->SetPageDataCount(perPage);
        return top;
    }

    TVktFieldContainer* Field(TContainer* parent, TVktField field, int slot)
    {
        auto* container = layout->Add<TVktFieldContainer>(13, parent);
        container->SetField(ToInt(field));
        container->SetPageDataIndex(slot);
        return container;
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
};

TEST_F(ReportContainersTest, PageCountsFollowRowsAndRecordsPerPage)
{
    auto* top = Top(5);
    auto* field = Field(top, F::Data, 1);
    const struct { int rows; int perPage; int pages; } cases[] = {
        {0, 5, 0}, {1, 5, 1}, {10, 5, 2}, {11, 5, 3}, {11, 0, 1}, {3, 1, 3}};
    const std::vector<int>& ids = db->Ingredients();
    for (const auto& c : cases) {
        top->SetFilter(ReportDatabase::IdFilter(std::vector<int>(ids.begin(), ids.begin() + c.rows)));
        top->SetPageDataCount(c.perPage);
        EXPECT_EQ(top->GetRowCount(), c.rows);
        EXPECT_EQ(top->GetPageMax(), c.pages) << c.rows << " rows, " << c.perPage << " per page";
        EXPECT_EQ(field->GetPageMax(), c.pages) << c.rows << " rows, " << c.perPage << " per page";
    }
    // The same count twice lists once.
    const int queries = top->GetQueryCount();
    top->SetPageDataCount(4);
    top->SetPageDataCount(4);
    EXPECT_EQ(top->GetQueryCount(), queries + 1);
}

TEST_F(ReportContainersTest, SlotRowsOnEveryPageAndNothingPastTheLastRecord)
{
    auto* top = Top(4);
    auto* second = Field(top, F::Data, 2);
    auto* fourth = Field(top, F::Data, 4);
    const struct { int page; const char* second; const char* fourth; } cases[] = {
        {0, "食材06", "食材08"}, {1, "食材02", "食材04"}, {2, "食材06", "食材08"}, {3, "食材10", ""}};
    for (const auto& c : cases) {
        second->SetPage(c.page);
        fourth->SetPage(c.page);
        EXPECT_EQ(second->GetText(), c.second) << "page " << c.page;
        EXPECT_EQ(fourth->GetText(), c.fourth) << "page " << c.page;
    }
    EXPECT_EQ(fourth->GetRecordID(), 0);   // the slot past the last record is empty, not row 0
    EXPECT_EQ(second->GetRecordID(), db->Ingredients()[9]);

    // Field 0 is the database's name on every page, whatever the slot.
    auto* name = Field(top, F::None, 0);
    name->SetPage(3);
    EXPECT_EQ(name->GetText(), "レポート");
    const unsigned revision = name->GetRevision();
    const unsigned other = second->GetRevision();
    db->Object().SetName("厨房");   // a rename redraws the database's name only
    EXPECT_EQ(name->GetText(), "厨房");
    EXPECT_GT(name->GetRevision(), revision);
    EXPECT_EQ(second->GetRevision(), other);
    // No slot, no text.
    auto* none = Field(top, F::Data, 0);
    EXPECT_EQ(none->GetText(), "");
}

TEST_F(ReportContainersTest, FrenchNamesUseTheSecondFont)
{
    auto* top = Top(2);
    top->SetFontName2("Arial");
    top->SetFontSize2(140);
    const struct { TVktField field; bool second; } cases[] = {
        {F::Data2, true}, {F::Class2, true}, {F::UseUnit2, true}, {F::Units2, false}, {F::Data, false}};
    for (const auto& c : cases) {
        auto* field = Field(top, c.field, 1);
        std::string name;
        int size = 0;
        field->DoFont(name, size);
        EXPECT_EQ(name == "Arial" && size == 140, c.second) << ToInt(c.field);
    }
    auto* french = Field(top, F::Data2, 1);
    french->SetPage(1);
    EXPECT_EQ(french->GetText(), "Aliment 01");
}

TEST_F(ReportContainersTest, InheritedValuesFlowThroughGroupChains)
{
    auto* top = Top(3);
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(3);
    auto* inner = layout->Add<TVktContainer>(12, group);
    auto* field = Field(inner, F::Data, 3);
    EXPECT_EQ(inner->GetPageDataIndex(), 3);
    field->SetPage(1);
    EXPECT_EQ(field->GetText(), "食材03");

    top->SetPageDataCount(2);   // slots above the new count come down to it
    EXPECT_EQ(group->GetPageDataIndex(), 2);
    EXPECT_EQ(field->GetPageDataIndex(), 2);
    EXPECT_EQ(field->GetText(), "食材02");

    group->SetSubData(true);
    group->SetSubDataIndex(1);
    EXPECT_TRUE(field->GetSubData());
    EXPECT_EQ(field->GetSubDataIndex(), 1);
    group->SetPageDataIndex(3);   // above the count: ignored
    EXPECT_EQ(group->GetPageDataIndex(), 2);
    group->SetPageDataIndex(0);
    EXPECT_FALSE(group->GetSubData());
    EXPECT_EQ(group->GetSubDataIndex(), 0);
    EXPECT_EQ(field->GetPageDataIndex(), 0);
    EXPECT_FALSE(field->GetSubData());

    // Values equal to the parent's are not written.
    group->SetPageDataIndex(2);
    platform::XmlDocument doc;
    platform::XmlNode node = doc.CreateDocumentElement("Item");
    field->SaveToXml(node);
    EXPECT_FALSE(node.HasAttribute("PageDataIndex"));
    EXPECT_EQ(node.GetAttribute("Field"), "45");
    platform::XmlNode direct = node.AddChild("Item");
    Field(top, F::Data, 2)->SaveToXml(direct);
    EXPECT_EQ(direct.GetAttribute("PageDataIndex"), "2");
}

TEST_F(ReportContainersTest, QueryFieldsOrdersAndTheInventoryTable)
{
    auto* top = Top(2);
    top->SetAccessFields(Sort({{45, 1}, {46, 0}, {48, 2}}));
    EXPECT_EQ(top->GetAccessFields().GetFields().GetCommaText(), "45,48");
    EXPECT_EQ(top->GetAccessFields().GetOrders().GetCommaText(), "1,2");
    Field(top, F::Data2, 1);
    Field(top, F::Data, 1);   // a sort field read again is listed twice
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(1);
    group->SetSubData(true);
    Field(group, F::ItemUse, 1);   // a recipe item's field is not a record field
    EXPECT_EQ(top->GetQueryFields().GetCommaText(), "45,48,46,45,40");
    EXPECT_EQ(top->GetAccesser()->GetTable(), TVktTable::TblData);

    TFilterObject filter = ReportDatabase::FoodFilter();
    filter.Add(F::InvDate_Key, foEqual, 1, {});
    top->SetFilter(filter);
    EXPECT_EQ(top->GetAccesser()->GetTable(), TVktTable::TblInventory);
    top->SetFilter(ReportDatabase::FoodFilter());
    EXPECT_EQ(top->GetAccesser()->GetTable(), TVktTable::TblData);
}

TEST_F(ReportContainersTest, MemosAndPicturesOfTheSlotFetchedOncePerRecord)
{
    auto* top = Top(3);
    auto* memo = layout->Add<TVktMemoContainer>(14, top);
    memo->SetPageDataIndex(1);
    auto* image = layout->Add<TVktImageContainer>(15, top);
    image->SetPageDataIndex(3);
    memo->SetPage(1);
    image->SetPage(1);
    EXPECT_NE(memo->GetRichText().find("memo01x"), std::string::npos);
    EXPECT_EQ(image->GetShownImage(), ReportDatabase::PictureOf(3));
    EXPECT_EQ(image->GetImageData(5), image->GetShownImage());
    const int fetches = memo->GetFetchCount();
    memo->SetPage(1);   // the same page again: no second fetch
    image->SetPage(1);
    EXPECT_EQ(memo->GetFetchCount(), fetches);
    memo->SetPage(0);   // page 0 shows the second page's records: 食材04, without memo
    EXPECT_EQ(memo->GetFetchCount(), fetches + 1);
    EXPECT_EQ(memo->GetRichText().find("memo"), std::string::npos);

    memo->SetPage(3);
    EXPECT_NE(memo->GetRichText().find("memo07x"), std::string::npos);
    image->SetPage(2);
    EXPECT_EQ(image->GetShownImage(), ReportDatabase::PictureOf(6));
    image->SetPage(4);   // past the last record
    EXPECT_EQ(image->GetShownImage(), "");

    // An edited memo of the shown record is fetched again.
    memo->SetPage(1);
    ASSERT_TRUE(db->Object().EditData(F::Memo, platform::Variant(std::string("{\\rtf1\\ansi newmemo}")),
                                      TPriorityItem() << db->Ingredients()[0]));
    EXPECT_NE(memo->GetRichText().find("newmemo"), std::string::npos);

    // Without records per page the picture pages over its cells and shows nothing.
    auto* cells = layout->Add<TVktImageContainer>(15, nullptr);
    EXPECT_EQ(cells->GetPageMax(), 1);
    top->SetPageDataCount(0);
    auto* grid = layout->Add<TVktImageContainer>(15, top);
    grid->SetColCount(2);
    grid->SetRowCount(3);
    grid->SetPage(1);
    EXPECT_EQ(grid->GetPageMax(), 2);   // 11 rows over 6 cells
    EXPECT_EQ(grid->GetShownImage(), "");
}

TEST_F(ReportContainersTest, RecipeItemsShowTheItemAndItsIngredient)
{
    auto* top = layout->Add<TVktTopContainer>(11, nullptr);
    top->SetFilter(ReportDatabase::IdFilter({db->Recipe()}));
    top->SetPageDataCount(1);
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(1);
    group->SetSubData(true);
    group->SetSubDataIndex(2);
    auto* name = Field(group, F::Data, 1);
    auto* memo = layout->Add<TVktMemoContainer>(14, group);
    auto* recipe = Field(top, F::Data, 1);
    for (TVktDataLink* link : std::initializer_list<TVktDataLink*>{name, memo, recipe}) link->SetPage(1);
    EXPECT_EQ(recipe->GetText(), "ステーキ");
    EXPECT_EQ(name->GetText(), "食材01");   // item 2 is 食材01
    EXPECT_NE(memo->GetRichText().find("memo01x"), std::string::npos);
    group->SetSubDataIndex(0);
    EXPECT_EQ(name->GetText(), "");
}

TEST_F(ReportContainersTest, DeletesAndUnbindingLeaveNothingDangling)
{
    auto* top = Top(2);
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(1);
    auto* field = Field(group, F::Data, 1);
    auto* memo = layout->Add<TVktMemoContainer>(14, group);
    field->SetPage(1);
    memo->SetPage(1);
    layout->binding->Detach();
    EXPECT_EQ(top->GetVktObject(), nullptr);
    EXPECT_EQ(field->GetText(), "");
    EXPECT_EQ(memo->GetDataID(), 0);
    EXPECT_EQ(db->Object().GetOpenCount(), 1);
    layout->binding->SetFilter(ReportDatabase::FoodFilter());
    const int queries = top->GetQueryCount();
    layout->binding->Attach(&db->Object());
    layout->binding->Update();
    EXPECT_EQ(top->GetQueryCount(), queries + 1);
    EXPECT_EQ(field->GetText(), "食材01");

    // The database container goes first; the items below it go with it.
    layout->preview->Delete(top->GetViewItem());
    EXPECT_EQ(layout->preview->GetItems()->GetCount(), 2);
    EXPECT_EQ(db->Object().GetOpenCount(), 1);
}

} // namespace

namespace {

TEST_F(ReportContainersTest, TheFirstPageIsListedAloneUntilAnotherRowIsRead)
{
    auto* top = Top(4);
    auto* first = Field(top, F::Data, 1);
    auto* last = Field(top, F::Data2, 4);
    const int rows = static_cast<int>(db->Ingredients().size());
    const TVktAccesser& listed = *top->GetAccesser();
    EXPECT_EQ(top->GetRowCount(), rows);
    EXPECT_EQ(listed.GetCachedRowCount(), 4);
    EXPECT_EQ(top->GetPageMax(), (rows + 3) / 4);

    // Rows at the page's edges: the last of page 1 is cached, the first of page 2 lists them all.
    last->SetPage(1);
    EXPECT_EQ(last->GetText(), "Aliment 04");
    EXPECT_EQ(listed.GetCachedRowCount(), 4);
    first->SetPage(2);
    EXPECT_EQ(first->GetText(), "食材05");
    EXPECT_EQ(listed.GetCachedRowCount(), rows);

    // A sort field's edit re-queries: the first page alone again, in the new order.
    ASSERT_TRUE(db->Object().EditData(F::Data, platform::Variant(std::string("食材99")),
                                      TPriorityItem() << db->Ingredients()[0]));
    EXPECT_EQ(listed.GetCachedRowCount(), 4);
    first->SetPage(1);
    EXPECT_EQ(first->GetText(), "食材02");
    // A read field's edit past the first page patches nothing there; the row is read fresh.
    ASSERT_TRUE(db->Object().EditData(F::Data2, platform::Variant(std::string("Neuf")),
                                      TPriorityItem() << db->Ingredients()[8]));
    EXPECT_EQ(listed.GetCachedRowCount(), 4);
    last->SetPage(2);   // rows 4-7 by name: 食材06 … 食材09
    EXPECT_EQ(last->GetText(), "Neuf");
    EXPECT_EQ(top->GetDataID(rows - 1), db->Ingredients()[0]);
    EXPECT_EQ(top->GetDataID(rows), 0);

    // A field of a table with several rows a record: records are no row count, all rows listed.
    Field(top, F::MHistoryPrice, 1);
    top->RequestQuery();
    EXPECT_EQ(listed.GetCachedRowCount(), top->GetRowCount());
    EXPECT_FALSE(listed.GetPartial());
}

} // namespace

// The data grid and the data chart over the small report database: group sums, row layouts and
// page counts, cells, headers, recipe items, charts of histories and items, and their layout
// attributes.
#include "core/Unumericstring.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/Xml.h"
#include "reports/PresetBuilder.h"
#include "reports/PrintSupport.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

namespace {

using F = TVktField;
using platform::Currency;
using vkttest::ReportDatabase;

// Number formats of the grid: float type and digit style (plain, full-width, kanji, formal kanji).
const struct {
    TNSFloatType type;
    int sjis;
} kFormats[] = {{TNSFloatType::Formatted, 0}, {TNSFloatType::General, 0}, {TNSFloatType::Ceiling, 1},
                {TNSFloatType::Formatted, 2}, {TNSFloatType::General, 3}};

TEST(GroupSumsTest, RunsOfKeysFormGroupsWithExactSums)
{
    const struct {
        std::vector<std::pair<std::string, double>> rows;
        std::string layout;   // d data row (with its offset), s sum row
        int sumCount;
    } cases[] = {
        {{{"A", 1}, {"A", 2}, {"B", 3}, {"A", 4}}, "d0d0sd1sd2s", 4},
        {{{"A", 1}, {"A", 2}}, "d0d0s", 1},
        {{}, "", 0},
    };
    for (const auto& c : cases) {
        TVGCSumStruct sums;
        for (const auto& [key, value] : c.rows) sums.Add(key, Currency::FromDouble(value));
        std::string layout;
        for (int i = 0; i < sums.GetRowCount(); ++i)
            layout += sums.GetCheckSum(i) ? "s" : "d" + std::to_string(sums.GetRowOffset(i));
        EXPECT_EQ(layout, c.layout);
        EXPECT_EQ(sums.GetSumCount(), c.sumCount);
    }
    TVGCSumStruct sums;
    sums.Add("A", Currency::FromDouble(1000.5));
    sums.Add("A", Currency::FromDouble(234.0678));
    sums.Add("B", Currency::FromDouble(-2.75));
    EXPECT_EQ(sums.GetSum(2), Currency::FromDouble(1234.5678));
    EXPECT_EQ(sums.GetSum(4), Currency::FromDouble(-2.75));
    EXPECT_EQ(sums.GetTotal(), Currency::FromDouble(1231.8178));
    EXPECT_EQ(sums.GetSum(9), Currency());
    sums.Clear();
    EXPECT_EQ(sums.GetRowCount(), 0);
    EXPECT_EQ(sums.GetSumCount(), 0);
}

class ReportGridTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object());
    }

    TVktTopContainer* Top(int perPage, TVktField sort = F::Data)
    {
        auto* top = layout->Add<TVktTopContainer>(11, nullptr);
        top->SetFilter(ReportDatabase::FoodFilter());
        TAccessFieldStruct fields;
        fields.GetFields() << ToInt(sort);
        fields.GetOrders() << 1;
        top->SetAccessFields(fields);
        top->SetPageDataCount(perPage);
        top->SetFontName2("Arial");
        top->SetFontSize2(90);
        return top;
    }

    TVktGridContainer* Grid(TContainer* parent, std::initializer_list<TVktField> fields)
    {
        return layout->AddGrid(parent, fields, 250);
    }

    // Gives the grid room for `rows` body rows below one title row.
    static void Fit(TVktGridContainer* grid, int rows)
    {
        const int block = 10 * grid->GetLineWidth() + 10 * grid->GetRowHeight();
        grid->GetViewItem()->SetMMBoundRect_({0, 0, 15000, 10 * grid->GetLineWidth() + block * (rows + 1) + 1});
    }

    static std::vector<std::string> Column(TVktGridContainer* grid, int col)
    {
        std::vector<std::string> out;
        for (int r = 0; r < grid->GetRowCount(); ++r) out.push_back(grid->CellText(col, r));
        return out;
    }

    // The use prices of the listed records, as the database holds them.
    std::vector<Currency> UsePrices(TVktTopContainer* top)
    {
        std::vector<Currency> out;
        TVktAccesser* accesser = top->GetAccesser();
        for (int r = 0; r < accesser->GetRowCount(); ++r) {
            accesser->SetRowIndex(r);
            out.push_back(accesser->GetValue(F::UsePrice).AsCurrency());
        }
        return out;
    }

    // The n-th container of that class in item order.
    template <typename T>
    static T* Find(TPreview& preview, int n)
    {
        TViewItems* items = preview.GetItems();
        for (int i = 0; i < items->GetCount(); ++i)
            if (auto* found = dynamic_cast<T*>(ContainerOf(items->GetItem(i))); found && n-- == 0) return found;
        return nullptr;
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
};

TEST_F(ReportGridTest, ListWithSumsInsertsSubtotalsPerRunOfClassesAndAKeptTotal)
{
    // Records 01-03 and 06-11 in one class, 04-05 in another: three runs by name.
    // Prices with fractions of a yen: 1.5 in the first run, 0.3 + 0.6 in the second.
    const std::vector<int>& ids = db->Ingredients();
    ASSERT_TRUE(db->Object().ChangeDataClass(15, 0, TPriorityItem() << ids[3] << ids[4], nullptr));
    const std::pair<int, double> fractions[] = {{ids[0], 1.5}, {ids[3], 0.3}, {ids[4], 0.6}};
    for (const auto& [id, price] : fractions)
        ASSERT_TRUE(db->Object().EditData(F::BuyPrice, platform::Variant(price), TPriorityItem() << id));
    TFilterObject filter = ReportDatabase::IdFilter(ids);
    auto* top = Top(0);
    top->SetFilter(filter);
    auto* grid = Grid(top, {F::Data, F::Class, F::UsePrice});
    grid->SetSumField(ToInt(F::UsePrice));
    grid->SetSumClass(ToInt(F::Class));
    ASSERT_EQ(top->GetRowCount(), 11);
    const std::vector<Currency> prices = UsePrices(top);
    Currency first, second, third, total;
    for (int i = 0; i < 11; ++i) (i < 3 ? first : i < 5 ? second : third) += prices[static_cast<std::size_t>(i)];
    total = first + second + third;
    ASSERT_EQ(second, Currency::FromDouble(0.9));
    EXPECT_EQ(grid->GetRowCount(), 11 + 4);
    const std::vector<std::string> names = Column(grid, 0);
    const std::vector<std::string> amounts = Column(grid, 2);
    const std::vector<std::string> expectedNames = {"食材01", "食材02", "食材03", "小計", "食材04", "食材05", "小計",
                                                    "食材06", "食材07", "食材08", "食材09", "食材10", "食材11",
                                                    "小計", "合計"};
    EXPECT_EQ(names, expectedNames);
    EXPECT_EQ(amounts[4], vkttest::Money(prices[3]));
    EXPECT_EQ(grid->CellText(1, 3), "");
    // Subtotals print their exact sums through the rows' format, as the total does.
    for (const auto& f : kFormats) {
        grid->SetFloatType(f.type);
        grid->SetNumSjis(f.sjis);
        auto text = [&](Currency c) { return NumericString(f.type, f.sjis).GetAsString(platform::Variant(c)); };
        const std::vector<std::string> cells = Column(grid, 2);
        const std::vector<std::string> expected = {text(prices[0]), text(prices[1]), text(prices[2]), text(first),
                                                   text(prices[3]), text(prices[4]), text(second)};
        EXPECT_EQ(std::vector<std::string>(cells.begin(), cells.begin() + 7), expected);
        EXPECT_EQ(cells[13], text(third));
        EXPECT_EQ(cells[14], text(total));
    }
    grid->SetFloatType(TNSFloatType::Formatted);
    grid->SetNumSjis(0);

    // One class: a single sum row labelled as the total; no class: one group; no sum field: none.
    grid->SetSumClass(0);
    EXPECT_EQ(grid->GetRowCount(), 12);
    EXPECT_EQ(grid->CellText(0, 11), "合計");
    EXPECT_EQ(grid->CellText(2, 11), vkttest::Money(total));
    grid->SetSumField(0);
    EXPECT_EQ(grid->GetRowCount(), 11);
    EXPECT_EQ(grid->CellText(0, 10), "食材11");

    // A text field as the amount gives no sums (and no error).
    grid->SetSumField(ToInt(F::Data));
    EXPECT_EQ(grid->GetSums().GetSumCount(), 0);
    EXPECT_EQ(grid->GetRowCount(), 11);
}

TEST_F(ReportGridTest, SumLabelsFollowTheFirstColumnAndFormatsFollowTheGrid)
{
    auto* top = Top(0);
    auto* grid = Grid(top, {F::Data2, F::UsePrice});
    grid->SetSumField(ToInt(F::UsePrice));
    const Currency price = UsePrices(top)[0];
    EXPECT_EQ(grid->CellText(0, 11), "Total");
    for (const auto& f : kFormats) {
        grid->SetFloatType(f.type);
        grid->SetNumSjis(f.sjis);
        EXPECT_EQ(grid->CellText(1, 0), NumericString(f.type, f.sjis).GetAsString(platform::Variant(price)));
    }
    // The amount in the first column replaces the label.
    auto* second = Grid(top, {F::UsePrice, F::Data});
    second->SetSumField(ToInt(F::UsePrice));
    second->SetSumClass(ToInt(F::Data));
    EXPECT_EQ(second->GetSums().GetSumCount(), 12);
    EXPECT_EQ(second->CellText(0, 1), vkttest::Money(price));
    EXPECT_EQ(second->CellText(1, 1), "");
}

TEST_F(ReportGridTest, RowLayoutsAndPageCountsInEachForm)
{
    auto* top = Top(0);
    auto* list = Grid(top, {F::Data, F::UsePrice});
    Fit(list, 4);
    list->SetSumField(ToInt(F::UsePrice));
    // 11 records and one total row over 4 rows a page.
    EXPECT_EQ(list->GetRowCount(), 12);
    EXPECT_EQ(list->GetPageMax(), 3);
    // Too small for one row below the titles: one page.
    list->GetViewItem()->SetMMBoundRect_({0, 0, 15000, 100});
    EXPECT_EQ(list->GetPageMax(), 1);

    top->SetPageDataCount(4);
    auto* page = Grid(top, {F::Data});
    EXPECT_EQ(page->GetRowCount(), 11);
    EXPECT_EQ(page->GetPageMax(), 3);
    page->TVktDataLink::SetPage(3);
    EXPECT_EQ(page->CellText(0, 8), "食材09");

    // A grid in a record slot shows that slot's record on every page.
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(3);
    auto* slot = Grid(group, {F::Data});
    EXPECT_EQ(slot->GetPageMax(), 3);
    const struct { int page; std::string text; } slotCases[] = {{1, "食材03"}, {2, "食材07"}, {3, "食材11"}};
    for (const auto& s : slotCases) {
        slot->TVktDataLink::SetPage(s.page);
        EXPECT_EQ(slot->GetRowCount(), 1);
        EXPECT_EQ(slot->CellText(0, 0), s.text) << "page " << s.page;
    }
    group->SetPageDataIndex(4);
    slot->TVktDataLink::SetPage(3);
    EXPECT_EQ(slot->CellText(0, 0), "");

    // Recipe items stay off while the slot is empty.
    page->SetSubData(true);
    EXPECT_EQ(page->GetRowCount(), 11);

    // Without an active database container: one empty row.
    layout->binding->Detach();
    EXPECT_EQ(list->GetRowCount(), 1);
    EXPECT_EQ(list->GetPageMax(), 1);
    EXPECT_EQ(list->CellText(0, 0), "");
}

TEST_F(ReportGridTest, RecipeItemRowsAndTheirWrapStyle)
{
    auto* top = Top(1);
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, db->Recipe(), {});
    top->SetFilter(filter);
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(1);
    auto* items = Grid(group, {F::Data, F::ItemUsePrice});
    items->SetSubData(true);
    items->TVktDataLink::SetPage(1);
    EXPECT_EQ(items->GetRowsWrapStyle(), 1);
    ASSERT_EQ(items->GetRowCount(), 2);
    EXPECT_EQ(items->CellText(0, 0), "食材02");
    EXPECT_EQ(items->CellText(0, 1), "食材01");
    EXPECT_EQ(items->GetPageMax(), 1);
    items->SetRowExpand(true);
    EXPECT_EQ(items->GetRowsWrapStyle(), 2);
    // A deleted grid's fields leave the record query.
    auto* extra = Grid(top, {F::BuyPrice});
    EXPECT_GE(top->GetQueryFields().IndexOf(ToInt(F::BuyPrice)), 0);
    layout->preview->Delete(extra->GetViewItem());
    EXPECT_LT(top->GetQueryFields().IndexOf(ToInt(F::BuyPrice)), 0);
    // The grid's fields are no part of the record query in item form.
    EXPECT_LT(top->GetQueryFields().IndexOf(ToInt(F::ItemUsePrice)), 0);
    items->SetSubData(false);
    EXPECT_GE(top->GetQueryFields().IndexOf(ToInt(F::ItemUsePrice)), 0);
    EXPECT_EQ(items->GetRowsWrapStyle(), 0);
}

TEST_F(ReportGridTest, HeadersTakeCaptionsAlignmentsAndTheFontOfTheirCharacterSet)
{
    auto* top = Top(0);
    auto* grid = Grid(top, {F::Data, F::Data2, F::UsePrice});
    grid->SetFontName("ＭＳ 明朝");
    grid->SetFontSize(120);
    THeaderAttributes& headers = grid->GetHeaders();
    ASSERT_EQ(headers.GetCount(), 3);
    const struct { int col; TTextHorzAlign align; int charSet; } columns[] = {{0, 0, 128}, {1, 0, 0}, {2, 2, 128}};
    for (const auto& c : columns) {
        EXPECT_EQ(headers.GetTitle(c.col), GetFieldCaption(ToVktField(grid->GetFields().GetItem(c.col))));
        EXPECT_EQ(headers.GetHorzAlign(c.col), c.align);
        EXPECT_EQ(headers.GetCharSet(c.col), c.charSet);
        EXPECT_EQ(headers.GetWidth(c.col), 250);
    }
    EXPECT_EQ(headers.GetFont(0).Name, "Arial");
    EXPECT_EQ(headers.GetFont(0).Size, 90);
    EXPECT_EQ(headers.GetFont(128).Name, "ＭＳ 明朝");
    EXPECT_EQ(headers.GetFont(128).Size, 120);
    top->SetFontName2("Times New Roman");
    EXPECT_EQ(headers.GetFont(0).Name, "Times New Roman");
}

TEST_F(ReportGridTest, GridsAndChartsRoundTripTheirAttributes)
{
    auto* top = Top(2);
    auto* group = layout->Add<TVktContainer>(12, top);
    group->SetPageDataIndex(1);
    auto* grid = Grid(group, {F::Data, F::Data2, F::UsePrice});
    grid->SetSubData(true);
    grid->SetSubDataIndex(1);
    grid->SetFloatType(TNSFloatType::Ceiling);
    grid->SetNumSjis(2);
    grid->SetRowExpand(true);
    grid->SetSumField(ToInt(F::UsePrice));
    grid->SetSumClass(ToInt(F::Class));
    auto* chart = layout->Add<TVktChartContainer>(17, group);
    chart->SetDataType(2);
    chart->SetItemFieldType(1);
    chart->SetYHViewRange(3);
    auto* plain = Grid(top, {F::Data});
    const std::string path = db->Folder() + "/grid.xml";
    layout->preview->SaveToFile(path);

    vkttest::BoundLayout second(&db->Object());
    second.preview->LoadFromFile(path);
    ASSERT_TRUE(vkttest::Scripted().messages.empty());
    const std::string again = db->Folder() + "/grid2.xml";
    second.preview->SaveToFile(again);
    platform::XmlDocument a, b;
    a.LoadFromFile(path);
    b.LoadFromFile(again);
    EXPECT_EQ(a.GetDocumentElement().GetXml(), b.GetDocumentElement().GetXml());
    auto* loaded = Find<TVktGridContainer>(*second.preview, 0);
    auto* loadedChart = Find<TVktChartContainer>(*second.preview, 0);
    ASSERT_TRUE(loaded && loadedChart);
    EXPECT_EQ(loaded->GetPreviewFields().GetName(), grid->GetFields());
    EXPECT_EQ(loaded->GetSumClass(), ToInt(F::Class));
    EXPECT_EQ(loaded->GetFloatType(), TNSFloatType::Ceiling);
    EXPECT_TRUE(loaded->GetSubData());
    EXPECT_EQ(loadedChart->GetItemFieldType(), 1);
    EXPECT_EQ(loadedChart->GetYHViewRange(), 3);

    // Saved attributes: no cells or series of their own, sums only with a sum field.
    platform::XmlNode page = a.GetDocumentElement().FindChild("PageObject");
    platform::XmlNode topNode = page.GetChild(0);
    platform::XmlNode plainNode = topNode.GetChild(1);
    EXPECT_EQ(plainNode.GetAttribute("Container"), "VktGrid");
    for (const char* absent : {"CSV", "Titles", "RowsWrapStyle", "SumField", "SumClass", "PageDataIndex"})
        EXPECT_FALSE(plainNode.HasAttribute(absent)) << absent;
    EXPECT_EQ(plainNode.GetAttribute("Fields"), "Data");
    platform::XmlNode chartNode = topNode.GetChild(0).GetChild(1);
    for (const char* absent : {"XTypeDate", "GraphData", "GraphCount"})
        EXPECT_FALSE(chartNode.HasAttribute(absent)) << absent;

    // Missing attributes read as the constructors' values; bad ones are fitted.
    plainNode.Handle().remove_attribute("NumSjis");
    plainNode.Handle().remove_attribute("RowExpand");
    plainNode.SetAttribute("FloatType", "7");
    plainNode.SetAttribute("Fields", "Data,Nope,None,Data2");
    plainNode.SetAttribute("Widths", "400,7,5");
    plainNode.SetAttribute("Returns", "0,1,1,1");
    plainNode.SetAttribute("SumField", "NoSuchField");
    chartNode.Handle().remove_attribute("DataType");
    chartNode.Handle().remove_attribute("YHViewRange");
    const std::string edited = db->Folder() + "/edited.xml";
    a.SaveToFile(edited, platform::XmlEncoding::ShiftJis);
    vkttest::BoundLayout third(&db->Object());
    third.preview->LoadFromFile(edited);
    auto* fitted = Find<TVktGridContainer>(*third.preview, 1);
    auto* chart3 = Find<TVktChartContainer>(*third.preview, 0);
    ASSERT_TRUE(fitted && chart3);
    EXPECT_EQ(fitted->GetFields(), TPriorityItem() << ToInt(F::Data) << 0 << ToInt(F::Data2));
    EXPECT_EQ(fitted->GetWidths(), TPriorityItem() << 400 << 5 << 300);
    EXPECT_EQ(fitted->GetReturns(), TPriorityItem() << 0 << 1 << 1);
    EXPECT_EQ(fitted->GetFloatType(), TNSFloatType::Formatted);
    EXPECT_EQ(fitted->GetNumSjis(), 0);
    EXPECT_FALSE(fitted->GetRowExpand());
    EXPECT_EQ(fitted->GetSumField(), 0);
    EXPECT_EQ(chart3->GetDataType(), -1);
    EXPECT_EQ(chart3->GetYHViewRange(), 1);
    EXPECT_FALSE(chart3->GetXTypeDate());
    (void)plain;
}

TEST_F(ReportGridTest, ListingAndPagingAreNoEditsOfTheLayout)
{
    TPreview& preview = *layout->preview;
    preview.LoadFromFile(vkttest::PresetSourceFolder() + "/FoodList.xml");
    preview.SetModified(false);
    layout->binding->SetFilter(ReportDatabase::FoodFilter());
    layout->binding->Update();
    ASSERT_GT(layout->Dump(1).size(), 100u);
    layout->Dump(2);
    layout->binding->SetShown(false);
    layout->binding->Detach();
    EXPECT_FALSE(preview.GetModified());
    dynamic_cast<TVktDataList*>(ContainerOf(preview.GetItems()->ItemOfName("DataList")))->SetTitle("仕入れ");
    EXPECT_TRUE(preview.GetModified());
}

// ---- charts -----------------------------------------------------------------------------------

class ReportChartTest : public ReportGridTest {
protected:
    TVktChartContainer* Chart(int dataType)
    {
        auto* top = Top(1);
        auto* group = layout->Add<TVktContainer>(12, top);
        group->SetPageDataIndex(1);
        auto* chart = layout->Add<TVktChartContainer>(17, group);
        chart->SetDataType(dataType);
        chart->TVktDataLink::SetPage(1);
        return chart;
    }
};

TEST_F(ReportChartTest, MonthHistoryPlotsTheLatestMonthOnly)
{
    // Later than the entries the price edits of the fixture made today.
    const int id = db->Ingredients()[0];
    const struct { int y, m, d; double price; } entries[] = {
        {2095, 1, 20, 10}, {2095, 2, 3, 11}, {2095, 2, 17, 12.5}, {2094, 2, 10, 9}};
    for (const auto& e : entries)
        ASSERT_TRUE(db->Object().SetMHistoryPrice(id, platform::EncodeDate(e.y, e.m, e.d), Currency::FromDouble(e.price)));
    auto* chart = Chart(0);
    ASSERT_EQ(chart->GetGraphCount(), 1);
    const TSeriesStruct series = chart->GetData(0);
    EXPECT_EQ(series.Title, "月間履歴");
    EXPECT_EQ(series.Kind, 1);
    EXPECT_EQ(series.Color, platform::RgbColor(21, 101, 234));
    ASSERT_EQ(series.GetCount(), 2);
    EXPECT_EQ(series.GetX(0), platform::EncodeDate(2095, 2, 3));
    EXPECT_DOUBLE_EQ(series.GetY(1), 12.5);
    EXPECT_TRUE(chart->GetXTypeDate());
    EXPECT_EQ(chart->GetChartLimit().Left, static_cast<int>(platform::EncodeDate(2095, 2, 1)) * 100);
    EXPECT_EQ(chart->GetChartLimit().Right, static_cast<int>(platform::EncodeDate(2095, 2, 28)) * 100);
    EXPECT_TRUE(chart->GetCanDraw());

    // The yearly prices over YHViewRange years back from the latest month.
    ASSERT_TRUE(db->Object().MakeYHistory(false, 0, platform::EncodeDate(2095, 2, 17), nullptr));
    chart->SetYHViewRange(3);
    chart->SetDataType(1);
    ASSERT_EQ(chart->GetGraphCount(), 4);
    const struct { const char* title; int kind; TColor color; } years[] = {
        {"最高価格", 4, platform::RgbColor(247, 157, 157)}, {"平均価格", 4, platform::RgbColor(157, 247, 157)},
        {"最低価格", 4, platform::RgbColor(247, 247, 157)}, {"最終価格", 1, platform::RgbColor(157, 157, 247)}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(chart->GetData(i).Title, years[i].title);
        EXPECT_EQ(chart->GetData(i).Kind, years[i].kind);
        EXPECT_EQ(chart->GetData(i).Color, years[i].color);
        EXPECT_EQ(chart->GetData(i).GetCount(), 1);
    }
    EXPECT_EQ(chart->GetChartLimit().Left, static_cast<int>(platform::EncodeDate(2092, 2, 1)) * 100);
    EXPECT_EQ(chart->GetChartLimit().Right, static_cast<int>(platform::EncodeDate(2095, 2, 28)) * 100);
    chart->SetDataType(0);

    // A record without history: no series, and only the latest-date query ran.
    ASSERT_TRUE(db->Object().SetMHistoryPrice(db->Ingredients()[1], platform::Today(), Currency()));
    const int queries = chart->GetQueryCount();
    chart->TVktDataLink::SetPage(2);
    EXPECT_EQ(chart->GetGraphCount(), 0);
    EXPECT_EQ(chart->GetQueryCount(), queries + 1);
}

TEST_F(ReportChartTest, ItemChartLabelsByFieldTypeAndNothingWithoutASlot)
{
    auto* chart = Chart(2);
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, db->Recipe(), {});
    chart->GetTopContainer()->SetFilter(filter);
    ASSERT_EQ(chart->GetGraphCount(), 1);
    TSeriesStruct series = chart->GetData(0);
    EXPECT_EQ(series.Title, "材料チャート");
    EXPECT_EQ(series.Kind, 0);
    ASSERT_EQ(series.GetCount(), 2);
    EXPECT_EQ(series.GetLabel(0), "食材02");
    EXPECT_FALSE(chart->GetXTypeDate());
    std::string font;
    int size = 0;
    chart->DoFont(font, size);
    EXPECT_NE(font, "Arial");
    chart->SetItemFieldType(1);
    EXPECT_EQ(chart->GetData(0).GetLabel(1), "Aliment 01");
    chart->DoFont(font, size);
    EXPECT_EQ(font, "Arial");
    EXPECT_EQ(size, 90);

    // Item form with no item chosen, or no slot: nothing drawn.
    chart->SetSubData(true);
    EXPECT_FALSE(chart->GetCanDraw());
    chart->SetSubDataIndex(1);
    EXPECT_TRUE(chart->GetCanDraw());
    EXPECT_EQ(chart->GetPageMax(), 1);
    chart->SetPageDataIndex(0);
    EXPECT_FALSE(chart->GetCanDraw());
}

} // namespace

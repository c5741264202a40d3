// Grids printed through the PDF printer: a class-subtotalled list over several pages (page count,
// every name once in order, subtotals and total against sums read apart from the grid) and a
// recipe card whose item rows add up to the recipe's total.
#include "core/Unumericstring.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>

namespace {

using F = TVktField;
using platform::Currency;
using vkttest::ReportDatabase;

std::string Capture(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

std::string Money(Currency value)
{
    return NumericString(TNSFloatType::Formatted, 0).GetAsString(platform::Variant(value));
}

Currency Whole(Currency value) { return Currency::FromRaw(value.Raw() / 10000 * 10000); }

TVktGridContainer* AddGrid(vkttest::BoundLayout& layout, TContainer* parent, std::initializer_list<F> fields, TRect mm)
{
    auto* grid = layout.Add<TVktGridContainer>(16, parent);
    grid->GetViewItem()->SetMMBoundRect_(mm);
    TPreviewFieldStruct columns;
    for (F field : fields) {
        columns.GetName() << ToInt(field);
        columns.GetWidth() << 400;
        columns.GetReturn() << 0;
        columns.GetOrder() << 0;
    }
    grid->SetPreviewFields(columns);
    return grid;
}

TAccessFieldStruct Sort(std::initializer_list<F> fields)
{
    TAccessFieldStruct sort;
    for (F field : fields) {
        sort.GetFields() << ToInt(field);
        sort.GetOrders() << 1;
    }
    return sort;
}

TEST(ReportGridPrintTest, SubtotalledListPrintsEveryNameOnceAndTheDatabaseSums)
{
    constexpr int kRecords = 90;
    vkttest::Scripted().Reset();
    ReportDatabase db(kRecords);
    // Three classes in runs of different lengths.
    TPriorityItem second, third;
    for (int i = 0; i < kRecords; ++i) {
        const int id = db.Ingredients()[static_cast<std::size_t>(i)];
        if (i % 3 == 1) second << id;
        if (i % 5 == 2) third << id;
    }
    ASSERT_TRUE(db.Object().ChangeDataClass(15, 0, second, nullptr));
    ASSERT_TRUE(db.Object().ChangeDataClass(16, 0, third, nullptr));
    TFilterObject filter = ReportDatabase::IdFilter(db.Ingredients());

    // The expected list, read apart from the grid: names and use prices by class and name.
    TVktAccesser expected(&db.Object());
    expected.BeginUpdate();
    expected.SetTable(TVktTable::TblData);
    expected.SetFields(TPriorityItem() << ToInt(F::Class_Key) << ToInt(F::Data) << ToInt(F::UsePrice));
    expected.SetOrder(TPriorityItem() << 1 << 1 << 0);
    expected.SetFilter(filter);
    expected.EndUpdate();
    ASSERT_EQ(expected.GetRowCount(), kRecords);

    const std::string pdf = db.Folder() + "/list.pdf";
    vkttest::InstallPdfPrinter(pdf);
    vkttest::BoundLayout layout(&db.Object(), filter);
    TPreview& preview = *layout.preview;
    preview.SetMMMargin_({1000, 1000, 1000, 1000});
    auto* top = layout.Add<TVktTopContainer>(11, nullptr);
    top->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
    top->SetAccessFields(Sort({F::Class_Key, F::Data}));
    auto* grid = AddGrid(layout, top, {F::Data, F::Class, F::UsePrice}, {1000, 1000, 20000, 28700});
    grid->SetSumField(ToInt(F::UsePrice));
    grid->SetSumClass(ToInt(F::Class));

    // Runs of classes in the expected order.
    std::vector<std::pair<std::vector<std::string>, Currency>> runs;
    std::string run;
    Currency total;
    for (int r = 0; r < expected.GetRowCount(); ++r) {
        expected.SetRowIndex(r);
        const std::string key = expected.GetText(F::Class_Key);
        if (runs.empty() || key != run) runs.emplace_back();
        run = key;
        runs.back().first.push_back(expected.GetText(F::Data));
        const Currency price = expected.GetValue(F::UsePrice).AsCurrency();
        runs.back().second += price;
        total += price;
    }
    ASSERT_GE(runs.size(), 3u);
    const int perPage = grid->GetVisibleRowCount() - 1;
    const int rows = kRecords + static_cast<int>(runs.size()) + 1;
    const int pages = (rows + perPage - 1) / perPage;
    ASSERT_GT(pages, 1);
    ASSERT_EQ(preview.GetPageMax(), pages);
    ASSERT_TRUE(preview.DrawPrinter("食材リスト", 1, 0, 0, 0));
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
    EXPECT_NE(Capture("pdfinfo '" + pdf + "'").find("Pages:           " + std::to_string(pages)), std::string::npos);

    const std::string text = Capture("pdftotext -raw '" + pdf + "' -");
    std::size_t at = 0;
    for (const auto& [names, sum] : runs) {
        for (const std::string& name : names) {
            const std::size_t found = text.find(name, at);
            ASSERT_NE(found, std::string::npos) << name << " missing or out of order";
            EXPECT_EQ(text.find(name, found + 1), std::string::npos) << name << " twice";
            at = found + name.size();
        }
        const std::size_t label = text.find("小計", at);
        ASSERT_NE(label, std::string::npos);
        const std::size_t amount = text.find(Money(Whole(sum)), label);
        ASSERT_NE(amount, std::string::npos) << Money(Whole(sum));
        at = amount;
    }
    const std::size_t label = text.find("合計", at);
    ASSERT_NE(label, std::string::npos);
    EXPECT_NE(text.find(Money(total), label), std::string::npos) << Money(total);
}

TEST(ReportGridPrintTest, RecipeCardItemsAddUpToTheRecipeTotal)
{
    vkttest::Scripted().Reset();
    ReportDatabase db;
    ASSERT_TRUE(db.Object().EditData(F::ItemUse, platform::Variant(3.0), TPriorityItem() << db.Recipe() << 1));
    ASSERT_TRUE(db.Object().EditData(F::ItemUse, platform::Variant(2.0), TPriorityItem() << db.Recipe() << 2));
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, db.Recipe(), {});
    const std::string pdf = db.Folder() + "/card.pdf";
    vkttest::InstallPdfPrinter(pdf);
    vkttest::BoundLayout layout(&db.Object(), filter);
    layout.preview->SetMMMargin_({1000, 1000, 1000, 1000});
    auto* top = layout.Add<TVktTopContainer>(11, nullptr);
    top->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
    top->SetPageDataCount(1);
    auto* slot = layout.Add<TVktContainer>(12, top);
    slot->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
    slot->SetPageDataIndex(1);
    auto* header = AddGrid(layout, slot, {F::Data, F::TotalPrice}, {1500, 1500, 19500, 3500});
    auto* items = AddGrid(layout, slot, {F::Data, F::ItemUse, F::ItemUsePrice}, {1500, 4000, 19500, 12000});
    items->SetSubData(true);
    auto* chart = layout.Add<TVktChartContainer>(17, slot);
    chart->GetViewItem()->SetMMBoundRect_({1500, 13000, 19500, 25000});
    chart->SetDataType(2);

    TVktAccesser recipe(&db.Object());
    recipe.BeginUpdate();
    recipe.SetTable(TVktTable::TblItem);
    recipe.SetFields(TPriorityItem() << ToInt(F::ItemUsePrice) << ToInt(F::Data));
    recipe.SetOrder(TPriorityItem() << 0 << 0);
    TFilterObject itemsOf;
    itemsOf.Add(F::Item_Key, foEqual, db.Recipe(), {});
    recipe.SetFilter(itemsOf);
    recipe.EndUpdate();
    ASSERT_EQ(recipe.GetRowCount(), 2);
    Currency sum;
    for (int r = 0; r < 2; ++r) {
        recipe.SetRowIndex(r);
        sum += recipe.GetValue(F::ItemUsePrice).AsCurrency();
    }
    ASSERT_GT(sum, Currency());
    ASSERT_EQ(layout.preview->GetPageMax(), 1);
    ASSERT_TRUE(layout.preview->DrawPrinter("原価率表", 1, 0, 0, 0));
    EXPECT_EQ(chart->GetGraphCount(), 1);
    EXPECT_EQ(header->CellText(1, 0), Money(sum));
    const std::string text = Capture("pdftotext -raw '" + pdf + "' -");
    EXPECT_NE(text.find("ステーキ"), std::string::npos) << text;
    EXPECT_NE(text.find(Money(sum)), std::string::npos) << text;
    for (int r = 0; r < 2; ++r) {
        recipe.SetRowIndex(r);
        EXPECT_NE(text.find(recipe.GetText(F::Data)), std::string::npos);
        EXPECT_NE(text.find(Money(recipe.GetValue(F::ItemUsePrice).AsCurrency())), std::string::npos);
    }
}

} // namespace

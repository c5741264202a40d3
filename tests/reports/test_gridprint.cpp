// Reports printed through the PDF printer. A class-subtotalled list, hand-built and as the shipped
// food list with its sums set through the template: the page count, every name once in order, the
// subtotals and total against sums read apart from the grid, and the food list's title, date and
// page number on every page. The shipped recipe and menu cards: one page a record with its items,
// the recipe's total equal to the sum of its items and its cost chart; the recipe card's captions
// and values at readable sizes and its cost rate with its percent sign; every preset's header and
// footer texts within their bands.
#include "core/Unumericstring.h"
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "platform/DateTime.h"
#include "reports/PresetBuilder.h"
#include "reports/PrintSupport.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktdatalist.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"
#include "support/widgets/RecordingPrinter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QRectF>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>

namespace {

using F = TVktField;
using platform::Currency;
using vkttest::Money;
using vkttest::ReportDatabase;

template <typename T>
T* FindType(TPreview& preview)
{
    TViewItems* items = preview.GetItems();
    for (int i = 0; i < items->GetCount(); ++i)
        if (auto* found = dynamic_cast<T*>(ContainerOf(items->GetItem(i)))) return found;
    return nullptr;
}

// Names and use prices in runs of classes, in the order of the sort fields, read apart from the grid.
std::vector<std::pair<std::vector<std::string>, Currency>> Runs(TVktObject& object, const TFilterObject& filter,
                                                               const TPriorityItem& sort)
{
    TVktAccesser expected(&object);
    expected.BeginUpdate();
    expected.SetTable(TVktTable::TblData);
    expected.SetFields(TPriorityItem() << ToInt(F::Class) << ToInt(F::Data) << ToInt(F::UsePrice));
    expected.SetOrder(sort);
    expected.SetFilter(filter);
    expected.EndUpdate();
    std::vector<std::pair<std::vector<std::string>, Currency>> runs;
    std::string key;
    for (int r = 0; r < expected.GetRowCount(); ++r) {
        expected.SetRowIndex(r);
        if (runs.empty() || expected.GetText(F::Class) != key) runs.emplace_back();
        key = expected.GetText(F::Class);
        runs.back().first.push_back(expected.GetText(F::Data));
        runs.back().second += expected.GetValue(F::UsePrice).AsCurrency();
    }
    return runs;
}

// Prints the layout and checks the list: pages from the grid's rows a page, each name once in
// order, each run's subtotal and the total. Gives the text of every page.
std::vector<std::string> CheckPrintedList(TPreview& preview, TVktGridContainer* grid, const std::string& pdf,
                                          const std::vector<std::pair<std::vector<std::string>, Currency>>& runs)
{
    int records = 0;
    Currency total;
    for (const auto& [names, sum] : runs) {
        records += static_cast<int>(names.size());
        total += sum;
    }
    const int perPage = grid->GetVisibleRowCount() - 1;
    const int pages = (records + static_cast<int>(runs.size()) + 1 + perPage - 1) / perPage;
    EXPECT_GT(pages, 1);
    EXPECT_EQ(preview.GetPageMax(), pages);
    EXPECT_TRUE(preview.DrawPrinter("一覧", 1, 0, 0, 0));
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
    EXPECT_EQ(vkttest::PdfPageCount(pdf), pages);
    std::vector<std::string> texts;
    std::string all;
    for (int page = 1; page <= pages; ++page) all += texts.emplace_back(vkttest::PdfPageText(pdf, page));
    std::size_t at = 0;
    for (const auto& [names, sum] : runs) {
        for (const std::string& name : names) {
            const std::size_t found = all.find(name, at);
            EXPECT_NE(found, std::string::npos) << name << " missing or out of order";
            if (found == std::string::npos) return texts;
            EXPECT_EQ(all.find(name, found + 1), std::string::npos) << name << " twice";
            at = found + name.size();
        }
        at = all.find(Money(sum), all.find("小計", at));
        EXPECT_NE(at, std::string::npos) << Money(sum);
        if (at == std::string::npos) return texts;
    }
    EXPECT_NE(all.find(Money(total), all.find("合計", at)), std::string::npos) << Money(total);
    return texts;
}

class ReportListPrintTest : public testing::Test {
protected:
    static constexpr int kRecords = 90;

    void SetUp() override
    {
        vkttest::Scripted().Reset();
        platform::SetFixedNow(platform::EncodeDateTime(2026, 4, 1, 9, 0, 0));
        db = std::make_unique<ReportDatabase>(kRecords);
        // Three classes in runs of different lengths; every fourth price has half a yen.
        TPriorityItem second, third;
        for (int i = 0; i < kRecords; ++i) {
            const int id = db->Ingredients()[static_cast<std::size_t>(i)];
            if (i % 4 == 0) {
                ASSERT_TRUE(db->Object().EditData(F::BuyPrice, platform::Variant(100.0 * (i + 1) + 0.5),
                                                  TPriorityItem() << id));
            }
            if (i % 3 == 1) second << id;
            if (i % 5 == 2) third << id;
        }
        ASSERT_TRUE(db->Object().ChangeDataClass(15, 0, second, nullptr));
        ASSERT_TRUE(db->Object().ChangeDataClass(16, 0, third, nullptr));
        filter = ReportDatabase::IdFilter(db->Ingredients());
        pdf = db->Folder() + "/list.pdf";
        vkttest::InstallPdfPrinter(pdf);
    }
    void TearDown() override { platform::SetClock({}); }

    std::unique_ptr<ReportDatabase> db;
    TFilterObject filter;
    std::string pdf;
};

TEST_F(ReportListPrintTest, HandBuiltGridSubtotalsRunsOfClasses)
{
    vkttest::BoundLayout layout(&db->Object(), filter);
    layout.preview->SetMMMargin_({1000, 1000, 1000, 1000});
    auto* top = layout.Add<TVktTopContainer>(11, nullptr);
    top->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
    TAccessFieldStruct sort;
    sort.GetFields() << ToInt(F::Class) << ToInt(F::Data);
    sort.GetOrders() << 1 << 1;
    top->SetAccessFields(sort);
    auto* grid = layout.AddGrid(top, {F::Data, F::Class, F::UsePrice}, 400);
    grid->GetViewItem()->SetMMBoundRect_({1000, 1000, 20000, 28700});
    grid->SetSumField(ToInt(F::UsePrice));
    grid->SetSumClass(ToInt(F::Class));
    const auto runs = Runs(db->Object(), filter, TPriorityItem() << 1 << 1 << 0);
    ASSERT_EQ(runs.size(), 3u);
    CheckPrintedList(*layout.preview, grid, pdf, runs);
}

TEST_F(ReportListPrintTest, FoodListWithSumsSetThroughItsTemplate)
{
    vkttest::BoundLayout layout(&db->Object(), filter);
    layout.preview->LoadFromFile(vkttest::PresetSourceFolder() + "/FoodList.xml");
    layout.binding->Attach(&db->Object());
    layout.binding->Update();
    auto* list = FindType<TVktDataList>(*layout.preview);
    ASSERT_NE(list, nullptr);
    list->SetSumField(ToInt(F::UsePrice));
    list->SetSumClass(ToInt(F::Class));
    const auto runs = Runs(db->Object(), filter, TPriorityItem() << 1 << 0 << 0);
    const std::vector<std::string> pages =
        CheckPrintedList(*layout.preview, FindType<TVktGridContainer>(*layout.preview), pdf, runs);
    for (int page = 1; page <= static_cast<int>(pages.size()); ++page) {
        const std::string& text = pages[static_cast<std::size_t>(page - 1)];
        EXPECT_NE(text.find("食材リスト"), std::string::npos) << page;
        EXPECT_NE(text.find("2026/04/01"), std::string::npos) << page;
        EXPECT_NE(text.find("- " + std::to_string(page) + " / " + std::to_string(pages.size()) + " -"),
                  std::string::npos)
            << page;
    }
}

TEST(ReportCardPrintTest, RecipeAndMenuCardsPrintOnePageEachWithTheirItems)
{
    vkttest::Scripted().Reset();
    vkttest::SampleDatabase db;
    TVktObject& object = db.Object();
    const struct {
        const char* file;
        std::vector<std::string> records;
    } cases[] = {{"Recipe.xml", {"デミグラスソース", "和牛のステーキ"}}, {"Menu.xml", {"春の宴コース"}}};
    for (const auto& c : cases) {
        const bool recipe = std::string(c.file) == "Recipe.xml";
        TFilterObject filter;
        for (const std::string& name : c.records) filter.Add(F::Data_ID, foEqual, db.Record(name), {});
        const std::string pdf = db.Folder() + "/" + c.file + ".pdf";
        vkttest::InstallPdfPrinter(pdf);
        vkttest::BoundLayout layout(&object, filter);
        layout.preview->LoadFromFile(vkttest::PresetSourceFolder() + "/" + c.file);
        layout.binding->Attach(&object);
        layout.binding->Update();
        const int pages = static_cast<int>(c.records.size());
        ASSERT_EQ(layout.preview->GetPageMax(), pages) << c.file;
        ASSERT_TRUE(layout.preview->DrawPrinter(c.file, 1, 0, 0, 0));
        ASSERT_EQ(vkttest::PdfPageCount(pdf), pages) << c.file;
        if (recipe) {
            auto* chart = dynamic_cast<TVktChartContainer*>(layout.preview->GetContainerOfName("Chart"));
            EXPECT_EQ(chart->GetGraphCount(), 1);
        }
        for (int page = 1; page <= pages; ++page) {
            const std::string text = vkttest::PdfPageText(pdf, page);
            const std::string& name = c.records[static_cast<std::size_t>(page - 1)];
            TVktAccesser items(&object);
            items.BeginUpdate();
            items.SetTable(TVktTable::TblItem);
            items.SetFields(TPriorityItem() << ToInt(F::Data) << ToInt(F::ItemUsePrice));
            items.SetOrder(TPriorityItem() << 0 << 0);
            TFilterObject of;
            of.Add(F::Item_Key, foEqual, db.Record(name), {});
            items.SetFilter(of);
            items.EndUpdate();
            ASSERT_GT(items.GetRowCount(), 0);
            EXPECT_NE(text.find(name), std::string::npos) << text;
            Currency sum;
            for (int r = 0; r < items.GetRowCount(); ++r) {
                items.SetRowIndex(r);
                EXPECT_NE(text.find(items.GetText(F::Data)), std::string::npos) << c.file << " " << items.GetText(F::Data);
                sum += items.GetValue(F::ItemUsePrice).AsCurrency();
            }
            if (!recipe) continue;
            EXPECT_NE(text.find(Money(sum)), std::string::npos) << "total " << Money(sum) << "\n" << text;
            EXPECT_NE(text.find("原価率"), std::string::npos);
        }
    }
}

// Page 1 of a PDF at 100 dpi.
QImage PageImage(const std::string& pdf)
{
    const std::string stem = pdf + ".page";
    vkttest::Capture("pdftoppm -r 100 -f 1 -l 1 -singlefile -png '" + pdf + "' '" + stem + "'");
    return QImage(QString::fromStdString(stem + ".png"));
}

constexpr double kMMPerPixel = 25.4 / 100;

// The box of what is drawn (a pixel darker than light grey), in millimetres from the sheet's corner.
QRectF InkBox(const QImage& page)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    if (right < 0) return {};
    return {QPointF(left * kMMPerPixel, top * kMMPerPixel), QPointF((right + 1) * kMMPerPixel, (bottom + 1) * kMMPerPixel)};
}

// The scan lines on which a title cell's fill runs out without the table's right border after it;
// the first of them in millimetres, -1 when there is none.
double OpenTitleRow(const QImage& page, QRgb title)
{
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
               std::abs(qBlue(a) - qBlue(b)) <= 8;
    };
    for (int y = 0; y < page.height(); ++y) {
        int last = -1;
        for (int x = 0; x < page.width(); ++x)
            if (near(page.pixel(x, y), title)) last = x;
        if (last < 0) continue;
        bool border = false;
        for (int x = last + 1; x <= std::min(page.width() - 1, last + 4); ++x) border |= qGray(page.pixel(x, y)) < 128;
        if (!border) return y * kMMPerPixel;
    }
    return -1;
}

// Each shipped layout with the record its first page shows (the food list shows them all).
struct PresetPage {
    const char* file;
    const char* record;
};
constexpr PresetPage kPresetPages[] = {
    {"FoodList.xml", ""}, {"Recipe.xml", "和牛のステーキ"}, {"Menu.xml", "春の宴コース"}};

// Only the preset's record.
TFilterObject RecordFilter(vkttest::SampleDatabase& db, const PresetPage& preset)
{
    TFilterObject filter;
    if (*preset.record) filter.Add(F::Data_ID, foEqual, db.Record(preset.record), {});
    return filter;
}

// The preset loaded into the layout and bound to the database, its first page printed to `pdf`
// through the PDF printer.
void PrintFirstPage(TVktObject& object, vkttest::BoundLayout& layout, const PresetPage& preset, const std::string& pdf)
{
    vkttest::InstallPdfPrinter(pdf);
    layout.preview->LoadFromFile(vkttest::PresetSourceFolder() + "/" + preset.file);
    layout.binding->Attach(&object);
    layout.binding->Update();
    ASSERT_TRUE(layout.preview->DrawPrinter(preset.file, 1, 0, 1, 1));
}

// Printed on A4 through the PDF printer (its printable area the whole sheet), each shipped layout
// stays inside its page margins of 10 mm, and its tables keep their right borders: a table whose
// columns and lines are wider than its frame loses the border where the frame cuts it.
TEST(ReportCardPrintTest, EveryPresetPrintsWholeInsideItsPageMargins)
{
    vkttest::Scripted().Reset();
    vkttest::SampleDatabase db;
    for (const auto& c : kPresetPages) {
        SCOPED_TRACE(c.file);
        const std::string pdf = db.Folder() + "/" + c.file + ".margins.pdf";
        vkttest::BoundLayout layout(&db.Object(), RecordFilter(db, c));
        PrintFirstPage(db.Object(), layout, c, pdf);
        const QImage page = PageImage(pdf);
        ASSERT_EQ(page.width(), 827) << "an A4 sheet";
        ASSERT_NEAR(page.height(), 1169, 1);
        const QRectF ink = InkBox(page);
        ASSERT_FALSE(ink.isEmpty());
        // Half of the widest line may lie outside the frame it is drawn on.
        const QRectF margins(QPointF(10 - 0.5, 10 - 0.5), QPointF(200 + 0.5, 287 + 0.5));
        EXPECT_TRUE(margins.contains(ink)) << "drawn from (" << ink.left() << ", " << ink.top() << ") to ("
                                           << ink.right() << ", " << ink.bottom() << ") mm";
        EXPECT_EQ(OpenTitleRow(page, qRgb(0xD8, 0xE4, 0xEE)), -1) << "a title row without its right border";
    }
}

// The words of a PDF with their boxes (pdftotext -bbox: the font's ascent to its descent), in
// millimetres from the sheet's corner.
std::vector<std::pair<std::string, QRectF>> WordBoxes(const std::string& pdf)
{
    constexpr double kMMPerPoint = 25.4 / 72;
    std::vector<std::pair<std::string, QRectF>> words;
    const std::string xml = vkttest::Capture("pdftotext -bbox '" + pdf + "' -");
    for (std::size_t at = 0; (at = xml.find("<word ", at)) != std::string::npos; ++at) {
        const auto number = [&](const char* name) {
            return kMMPerPoint * std::atof(xml.c_str() + xml.find(name, at) + std::strlen(name));
        };
        const std::size_t open = xml.find('>', at) + 1;
        words.emplace_back(xml.substr(open, xml.find('<', open) - open),
                           QRectF(QPointF(number("xMin=\""), number("yMin=\"")), QPointF(number("xMax=\""), number("yMax=\""))));
    }
    return words;
}

// The words of a PDF with the heights of their boxes.
std::vector<std::pair<std::string, double>> WordHeights(const std::string& pdf)
{
    std::vector<std::pair<std::string, double>> heights;
    for (const auto& [word, box] : WordBoxes(pdf)) heights.emplace_back(word, box.height());
    return heights;
}

// A card's header and footer grids, and the page bands, each hold their texts whole:
// a band drawn shorter than its rows with their lines cuts the last row's text at its edge, which
// the reader sees as text lopped off below (the menu's French name under the Japanese one).
TEST(ReportCardPrintTest, HeaderAndFooterTextsLieWithinTheirBands)
{
    vkttest::Scripted().Reset();
    vkttest::SampleDatabase db;
    for (const auto& c : kPresetPages) {
        SCOPED_TRACE(c.file);
        const std::string pdf = db.Folder() + "/" + c.file + ".bands.pdf";
        vkttest::BoundLayout layout(&db.Object(), RecordFilter(db, c));
        PrintFirstPage(db.Object(), layout, c, pdf);
        const auto words = WordBoxes(pdf);
        for (const char* name : {"Header", "Footer", "PageHeader", "PageFooter"}) {
            TContainer* band = layout.preview->GetContainerOfName(name);
            if (!band) continue;
            const TRect mm = band->GetViewItem()->GetMMTrueRect_();
            const QRectF area(QPointF(mm.Left / 100.0, mm.Top / 100.0), QPointF(mm.Right / 100.0, mm.Bottom / 100.0));
            int inside = 0;
            for (const auto& [word, box] : words) {
                // Words whose middle line lies in the band are the band's.
                const double middle = box.center().y();
                if (middle < area.top() || middle > area.bottom() || box.right() < area.left() || box.left() > area.right())
                    continue;
                ++inside;
                // The box's top holds the face's leading, which the drawer lets reach out of a cell.
                EXPECT_LE(box.bottom(), area.bottom() + 0.01)
                    << name << " " << word << " reaches " << box.bottom() << " mm, the band ends at " << area.bottom();
            }
            EXPECT_GT(inside, 0) << name << " prints no text";
        }
    }
}

TEST(ReportCardPrintTest, RecipeCardCaptionsValuesAndRateAreReadable)
{
    vkttest::Scripted().Reset();
    vkttest::SampleDatabase db;
    TVktObject& object = db.Object();
    const int steak = db.Record("和牛のステーキ");
    TFilterObject filter;
    filter.Add(F::Data_ID, foEqual, steak, {});
    const std::string pdf = db.Folder() + "/card.pdf";
    vkttest::InstallPdfPrinter(pdf);
    vkttest::BoundLayout layout(&object, filter);
    layout.preview->LoadFromFile(vkttest::PresetSourceFolder() + "/Recipe.xml");
    layout.binding->Attach(&object);
    layout.binding->Update();
    ASSERT_TRUE(layout.preview->DrawPrinter("card", 1, 0, 0, 0));

    // The rate as the record screen shows it.
    TVktAccesser cook(&object);
    cook.BeginUpdate();
    cook.SetTable(TVktTable::TblData);
    cook.SetFields(TPriorityItem() << ToInt(F::CostRate));
    cook.SetOrder(TPriorityItem() << 0);
    cook.SetFilter(filter);
    cook.EndUpdate();
    ASSERT_EQ(cook.GetRowCount(), 1);
    const std::string rate = NumericString().GetAsString(cook.GetValue(F::CostRate)) + "%";

    // Sizes in points, measured against the 16-point title's box.
    std::map<std::string, double> size;
    const auto words = WordHeights(pdf);
    double title = 0;
    for (const auto& [word, height] : words)
        if (word == "原価率表") title = height;
    ASSERT_GT(title, 0);
    for (const auto& [word, height] : words) size.emplace(word, height / title * 16);
    for (const char* caption : {"分類", "出来上がり", "使用単位", "合計金額", "使用単価", "売価", "原価率"}) {
        ASSERT_EQ(size.count(caption), 1u) << caption;
        EXPECT_GE(size[caption], 8) << caption;
    }
    for (const std::string& value : {std::string("肉料理"), std::string("和牛のステーキ"), std::string("1.00"), rate}) {
        ASSERT_EQ(size.count(value), 1u) << value;
        EXPECT_GE(size[value], 9) << value;
    }
}

} // namespace

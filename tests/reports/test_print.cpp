// A record report printed through the PDF printer: five cards a page with name, French name, use
// price, memo and picture; the pages, their texts in query order and ink in the picture cells.
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/PrintSupport.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "support/widgets/RecordingPrinter.h"

#include <QImage>

#include <gtest/gtest.h>


namespace {

using F = TVktField;
using vkttest::ReportDatabase;

constexpr int kDpi = 50;
constexpr int kRecords = 23;

std::string Name(int n) { return "食材" + std::string(n < 10 ? "0" : "") + std::to_string(n); }

TRect Picture(int slot)
{
    const int y = 1000 + (slot - 1) * 5500;
    return {13000, y + 300, 19500, y + 5000};
}

int Ink(const QImage& image, TRect mm)
{
    const auto px = [](int v) { return static_cast<int>(v * kDpi / 2540.0); };
    int count = 0;
    for (int y = px(mm.Top) + 2; y < px(mm.Bottom) - 2; ++y)
        for (int x = px(mm.Left) + 2; x < px(mm.Right) - 2; ++x)
            if (qGray(image.pixel(x, y)) < 200) ++count;
    return count;
}

TEST(ReportPrintTest, CardsPrintEveryRecordOnceWithMemosAndPictures)
{
    vkttest::Scripted().Reset();
    ReportDatabase db(kRecords);
    const std::string pdf = db.Folder() + "/cards.pdf";
    vkttest::InstallPdfPrinter(pdf);
    vkttest::BoundLayout layout(&db.Object(), ReportDatabase::FoodFilter());
    TPreview& preview = *layout.preview;
    preview.SetMMMargin_({1000, 1000, 1000, 1000});
    auto place = [&](int type, TContainer* parent, TRect mm) {
        TContainer* c = layout.Add(type, parent);
        c->GetViewItem()->SetMMBoundRect_(mm);
        return c;
    };
    auto* top = static_cast<TVktTopContainer*>(place(11, nullptr, {1000, 1000, 20000, 28700}));
    TAccessFieldStruct sort;
    sort.GetFields() << ToInt(F::Data);
    sort.GetOrders() << 1;
    top->SetAccessFields(sort);
    top->SetPageDataCount(5);
    for (int slot = 1; slot <= 5; ++slot) {
        const int y = 1000 + (slot - 1) * 5500;
        auto* group = static_cast<TVktContainer*>(place(12, top, {1000, y, 20000, y + 5300}));
        group->SetPageDataIndex(slot);
        const struct { TVktField field; TRect mm; } fields[] = {{F::Data, {1500, y + 200, 10000, y + 1000}},
                                                                {F::Data2, {1500, y + 1100, 10000, y + 1800}},
                                                                {F::UsePrice, {1500, y + 1900, 5000, y + 2600}}};
        for (const auto& f : fields) static_cast<TVktFieldContainer*>(place(13, group, f.mm))->SetField(ToInt(f.field));
        place(14, group, {1500, y + 2800, 12000, y + 5000});
        place(15, group, Picture(slot));
    }

    // One of the pictures is a metafile: it prints from its records as the bitmaps do.
    ASSERT_TRUE(db.Object().EditData(F::Image, platform::Variant(vkttest::KitchenEmf()),
                                     TPriorityItem() << db.Ingredients()[5]));

    const int pages = (kRecords + 4) / 5;
    ASSERT_EQ(preview.GetPageMax(), pages);
    ASSERT_TRUE(preview.DrawPrinter("食材カード", 1, 0, 0, 0));
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
    EXPECT_EQ(vkttest::PdfPageCount(pdf), pages);

    for (int page = 1; page <= pages; ++page) {
        const std::string p = std::to_string(page);
        const std::string text = vkttest::PdfPageText(pdf, page);
        std::size_t after = 0;   // one past the previous name found
        for (int n = 1; n <= kRecords; ++n) {
            const bool here = (n - 1) / 5 + 1 == page;
            const std::size_t found = text.find(Name(n));
            if (!here) {
                EXPECT_EQ(found, std::string::npos) << "page " << page << " shows " << Name(n);
                continue;
            }
            ASSERT_NE(found, std::string::npos) << "page " << page << " lacks " << Name(n) << "\n" << text;
            EXPECT_GE(found, after) << "order on page " << page;
            after = found + 1;
            const std::string memo = "memo" + std::string(n < 10 ? "0" : "") + std::to_string(n) + "x";
            EXPECT_EQ(text.find(memo) != std::string::npos, n % 2 == 1) << memo;
        }
        const std::string stem = db.Folder() + "/p" + p;
        vkttest::Capture("pdftoppm -r " + std::to_string(kDpi) + " -gray -f " + p + " -l " + p + " -singlefile -png '" + pdf +
                "' '" + stem + "'");
        const QImage image(QString::fromStdString(stem + ".png"));
        ASSERT_FALSE(image.isNull());
        for (int slot = 1; slot <= 5; ++slot) {
            const int n = (page - 1) * 5 + slot;
            const bool picture = n <= kRecords && n % 3 == 0;
            EXPECT_EQ(Ink(image, Picture(slot)) > 500, picture) << "page " << page << " slot " << slot;
        }
    }
}

} // namespace

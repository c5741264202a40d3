// What a change notice costs a shown report: the rows it re-reads and the redraws of the layout.
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using F = TVktField;
using platform::Variant;
using vkttest::ReportDatabase;

constexpr int kSlots = 4;

// Four cards of name and use price over the selection handed in, the layout's changes counted.
struct CountedReport {
    CountedReport(ReportDatabase& db, const TFilterObject& filter) : layout(&db.Object(), filter)
    {
        top = layout.Add<TVktTopContainer>(11, nullptr);
        TAccessFieldStruct sort;
        sort.GetFields() << ToInt(F::Data);
        sort.GetOrders() << 1;
        top->SetAccessFields(sort);
        top->SetPageDataCount(kSlots);
        for (int slot = 1; slot <= kSlots; ++slot) {
            auto* card = layout.Add<TVktContainer>(12, top);
            card->SetPageDataIndex(slot);
            for (F field : {F::Data, F::UsePrice}) layout.Add<TVktFieldContainer>(13, card)->SetField(ToInt(field));
        }
        layout.Dump(1);
        layout.preview->OnChangeItem = [this](TPageView*) { ++changes; };
        layout.preview->SetModified(false);
    }

    vkttest::BoundLayout layout;
    TVktTopContainer* top = nullptr;
    int changes = 0;
};

class ReportNoticeCostTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
    }
    std::unique_ptr<ReportDatabase> db;
};

// A price edit of one shown record patches that record's row alone, whether the selection is a
// class or a list of records (whose Data_ID alternatives must not widen the patch), and the
// layout takes the whole notice as one change.
TEST_F(ReportNoticeCostTest, PriceEditPatchesOneRowAndChangesTheLayoutOnce)
{
    const std::vector<int>& ids = db->Ingredients();
    const TFilterObject selections[] = {ReportDatabase::FoodFilter(),
                                        ReportDatabase::IdFilter(std::vector<int>(ids.begin(), ids.begin() + 9))};
    for (const TFilterObject& selection : selections) {
        CountedReport report(*db, selection);
        const int queries = report.top->GetQueryCount();
        const int id = report.top->GetDataID(1);
        ASSERT_TRUE(db->Object().EditData(F::BuyPrice, Variant(1234.0), TPriorityItem() << id));
        EXPECT_EQ(report.top->GetQueryCount(), queries);
        EXPECT_EQ(report.top->GetPatchCount(), 1);
        EXPECT_EQ(report.top->GetPatchedRowCount(), 1);
        EXPECT_EQ(report.changes, 1);
        EXPECT_FALSE(report.layout.preview->GetModified()) << "a database edit is no edit of the layout";
    }
}

// A re-query reaches every container below, and the layout still changes once.
TEST_F(ReportNoticeCostTest, RequeryChangesTheLayoutOnce)
{
    CountedReport report(*db, ReportDatabase::FoodFilter());
    const int queries = report.top->GetQueryCount();
    ASSERT_TRUE(db->Object().EditData(F::Data, Variant(std::string("あ")), TPriorityItem() << report.top->GetDataID(0)));
    EXPECT_EQ(report.top->GetQueryCount(), queries + 1);
    EXPECT_EQ(report.changes, 1);
    EXPECT_FALSE(report.layout.preview->GetModified());
}

} // namespace

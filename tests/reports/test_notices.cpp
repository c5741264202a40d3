// Change notices: after every kind of facade operation the shown page equals that of a freshly
// loaded copy of the layout; hidden layouts only mark their database containers.
#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "layout/Preview.h"
#include "reports/ReportFixture.h"
#include "reports/Uvktcontainer.h"
#include "reports/Uvktchartcontainer.h"
#include "reports/Uvktfieldcontainer.h"
#include "reports/Uvktgridcontainer.h"
#include "reports/Uvkttopcontainer.h"
#include "support/ScriptedServices.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using F = TVktField;
using platform::Variant;
using vkttest::ReportDatabase;

class ReportNoticesTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        db = std::make_unique<ReportDatabase>();
        layout = std::make_unique<vkttest::BoundLayout>(&db->Object(), ReportDatabase::FoodFilter());
        top = layout->Add<TVktTopContainer>(11, nullptr);
        TAccessFieldStruct sort;
        sort.GetFields() << ToInt(F::Data);
        sort.GetOrders() << 1;
        top->SetAccessFields(sort);
        top->SetPageDataCount(3);
        for (int slot = 1; slot <= 3; ++slot) {
            auto* group = layout->Add<TVktContainer>(12, top);
            group->SetPageDataIndex(slot);
            for (F field : {F::Data, F::Data2, F::UsePrice, F::UseUnit})
                layout->Add<TVktFieldContainer>(13, group)->SetField(ToInt(field));
            layout->Add(14, group);
            layout->Add(15, group);
            layout->Add<TVktChartContainer>(17, group)->SetDataType(0);
            auto* items = layout->AddGrid(group, {F::Data, F::ItemUsePrice}, 300);
            items->SetSubData(true);
        }
        // The whole list with subtotals of the use price per class.
        auto* list = layout->Add<TVktTopContainer>(11, nullptr);
        list->SetAccessFields(sort);
        auto* grid = layout->AddGrid(list, {F::Data, F::Class, F::UsePrice}, 300);
        grid->SetSumField(ToInt(F::UsePrice));
        grid->SetSumClass(ToInt(F::Class));
        path = db->Folder() + "/layout.xml";
        layout->preview->SaveToFile(path);
    }

    std::string Fresh(int page)
    {
        vkttest::BoundLayout fresh(&db->Object(), ReportDatabase::FoodFilter());
        fresh.preview->LoadFromFile(path);
        return fresh.Dump(page);
    }

    std::unique_ptr<ReportDatabase> db;
    std::unique_ptr<vkttest::BoundLayout> layout;
    TVktTopContainer* top = nullptr;
    std::string path;
};

TEST_F(ReportNoticesTest, ShownPageMatchesAFreshCopyAfterEveryOperation)
{
    std::mt19937 random(20261207);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto listed = [&] {
        std::vector<int> ids;
        for (int row = 0; row < top->GetRowCount(); ++row) ids.push_back(top->GetDataID(row));
        return ids;
    };
    std::vector<int> trash;
    int added = 0;
    for (int step = 0; step < 120; ++step) {
        std::vector<int> ids = listed();
        TVktObject& object = db->Object();
        const int id = ids.empty() ? db->Ingredients()[0] : ids[static_cast<std::size_t>(pick(static_cast<int>(ids.size())))];
        const TPriorityItem one = TPriorityItem() << id;
        const int kind = pick(11);
        switch (kind) {
        case 0: object.EditData(F::Data, Variant("食材" + std::to_string(pick(99))), one); break;
        case 1: object.EditData(F::Data2, Variant("Nom " + std::to_string(step)), one); break;
        case 2: object.EditData(F::BuyPrice, Variant(50.0 + pick(5000)), one); break;
        case 3: object.EditData(F::Memo, Variant("{\\rtf1\\ansi memo" + std::to_string(10 + pick(89)) + "y}"), one); break;
        case 4: object.EditData(F::Image, Variant(ReportDatabase::PictureOf(pick(20))), one); break;
        case 5:
            if (pick(2) || trash.empty()) {
                object.EraseData(0, one, nullptr);
                trash.push_back(id);
            } else {
                object.RestoreData(0, TPriorityItem() << trash.back(), nullptr);
                trash.pop_back();
            }
            break;
        case 6: object.AddNewData(14, "新食材" + std::to_string(++added)); break;
        case 7: object.ChangeDataClass(pick(2) ? 15 : 14, 0, one, nullptr); break;
        case 8: object.EditData(F::Units, Variant("単位" + std::to_string(step)), TPriorityItem() << 5); break;
        case 9: object.UpdateDataKeys(std::to_string(5 + pick(3)), 0, one, TPriorityItem() << ToInt(F::UseUnit_Key), nullptr); break;
        default: object.EditData(F::ItemUse, Variant(1.0 + pick(9)), TPriorityItem() << db->Recipe() << 1); break;
        }
        const int last = std::max(top->GetPageMax(), 1);
        for (int page : {1, last}) {
            const std::string shown = layout->Dump(page);
            ASSERT_EQ(shown, Fresh(page)) << "step " << step << " kind " << kind << " page " << page;
        }
    }
    EXPECT_GT(top->GetPatchCount(), 0);
    EXPECT_GT(top->GetQueryCount(), 10);
}

TEST_F(ReportNoticesTest, PatchesRereadOnlyTheNamedRecords)
{
    layout->Dump(1);
    const int queries = top->GetQueryCount();
    const int id = top->GetDataID(1);
    ASSERT_TRUE(db->Object().EditData(F::BuyPrice, Variant(4321.0), TPriorityItem() << id));
    EXPECT_EQ(top->GetQueryCount(), queries);   // a read field: the record's row is patched
    EXPECT_EQ(top->GetPatchCount(), 1);
    EXPECT_EQ(top->GetPatchedRowCount(), 1);
    ASSERT_TRUE(db->Object().EditData(F::Form_Key, Variant(1), TPriorityItem() << id));
    EXPECT_EQ(top->GetQueryCount(), queries);   // nothing read changes: no listing at all
    EXPECT_EQ(top->GetPatchCount(), 1);
    ASSERT_TRUE(db->Object().EditData(F::Data, Variant(std::string("あ")), TPriorityItem() << id));
    EXPECT_EQ(top->GetQueryCount(), queries + 1);   // the sort field re-queries once
    EXPECT_EQ(layout->Dump(1), Fresh(1));
}

TEST_F(ReportNoticesTest, HiddenLayoutsQueueOnePassJoinedByTheFilter)
{
    layout->Dump(1);
    layout->binding->SetShown(false);
    const int queries = top->GetQueryCount();
    const int id = top->GetDataID(0);
    for (int i = 0; i < 5; ++i) {
        db->Object().EditData(F::Data, Variant("食材" + std::to_string(50 + i)), TPriorityItem() << id);
        db->Object().AddNewData(14, "追加" + std::to_string(i));
    }
    EXPECT_EQ(top->GetQueryCount(), queries);
    EXPECT_TRUE(top->GetQueryPending());

    TFilterObject filter = ReportDatabase::FoodFilter();
    filter.Add(F::BuyPrice, foAtLeast, 300.0, {});
    layout->binding->SetShown(true);
    layout->binding->SetFilter(filter);
    layout->binding->Update();
    EXPECT_EQ(top->GetQueryCount(), queries + 1);
    EXPECT_EQ(top->GetFilter(), filter);
    EXPECT_EQ(top->GetRowCount(), 9);
}

} // namespace

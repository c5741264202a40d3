// The class, form and unit page of the master-data dialog and its class tree.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "support/screens/SampleDatabase.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace {

using vkttest::SampleDatabase;

TTreeIndex Tree(const char* text) { return TTreeIndex(std::string(text)); }

// ===== Class tree =====================================================================================

TEST(ClassTree, FamiliesWithoutTheirRootStandOnTopAndTheSelectionReportsLeavingFirst)
{
    TClassView view;
    view.AddClass(4, 2, 0, "料理", Tree("20001"));
    view.AddClass(2, 1, 0, "食材", Tree("20000"));
    view.AddClass(3, 1, 0, "肉類", Tree("2000000"));
    view.AddClass(6, 1, 0, "牛肉", Tree("200000000"));
    QTreeWidget* tree = view.GetClassTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(0)), 2);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(1)), 4);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(0)->child(0)), 3);
    EXPECT_EQ(view.GetNodeID(tree->topLevelItem(0)->child(0)->child(0)), 6);

    std::vector<std::string> events;
    view.OnChanging = [&](QTreeWidgetItem* leaving, QTreeWidgetItem* entering) {
        events.push_back("changing " + std::to_string(view.GetNodeID(leaving)) + ">" +
                         std::to_string(view.GetNodeID(entering)) + " selected " +
                         std::to_string(view.GetNodeID(view.GetCurrentNode())));
    };
    view.OnChange = [&](TClassView*) { events.push_back("change " + std::to_string(view.GetSelectedID())); };
    view.SelectID(3);
    view.SelectID(6);
    view.DeleteClass(6);
    EXPECT_EQ(events, (std::vector<std::string>{"changing 0>3 selected 0", "change 3", "changing 3>6 selected 3",
                                                "change 6", "changing 6>3 selected 6", "change 3"}));
}

TEST(ClassTree, NavigatorReportsADeletionThatMovesItsSelection)
{
    SampleDatabase db;
    TClassFilterView nav(nullptr);
    nav.SetVktObject(&db.Object());
    int reports = 0;
    nav.OnChange = [&](TClassFilterBase*) { ++reports; };
    const int duck = db.Object().AddClass(SampleDatabase::kMeat, "鴨肉");
    const int other = db.Object().AddClass(SampleDatabase::kMeat, "羊肉");
    ASSERT_GT(duck, 0);
    nav.SetSelection(duck, 0, {}, {}, -1);
    reports = 0;
    ASSERT_TRUE(db.Object().DeleteClass(other));
    EXPECT_EQ(reports, 0) << "another class deleted: the selection stays";
    ASSERT_TRUE(db.Object().DeleteClass(duck));
    EXPECT_EQ(nav.GetClassView()->GetSelectedID(), SampleDatabase::kMeat);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(nav.BuildFilter().Filters(nav.BuildFilter().IndexOf(TVktField::Class_ID)).GetBegin(0).AsInt(),
              SampleDatabase::kMeat);
}

} // namespace

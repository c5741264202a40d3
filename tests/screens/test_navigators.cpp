// The class frames, the filter controls and the two navigators on the sample database: the
// selection filter they build, what it lists, and how they follow the change notices.
#include <gtest/gtest.h>

#include "data/Uvktaccesser.h"
#include "database/Uvktobject.h"
#include "screens/Fclassbar.h"
#include "screens/Fclassfilterbar.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdataview.h"
#include "screens/Ffilterbar.h"
#include "screens/Ffilterselector.h"
#include "screens/Finvdatebar.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeWidget>

#include <cstdlib>
#include <set>
#include <string>

namespace {

using F = TVktField;
using vkttest::SampleDatabase;

using vkttest::Ids;

TTreeIndex Tree(const char* text) { return TTreeIndex(std::string(text)); }

// ===== Class frames ===================================================================================

TEST(ClassFrames, ClassesAddedInAnyOrderStandSortedUnderTheirParents)
{
    TClassView view;
    TClassBar bar;
    struct Row {
        int id;
        const char* tree;
        const char* name;
    };
    const Row rows[] = {{1, "200", "データベース"}, {5, "20001", "料理"}, {2, "20000", "食材"},
                        {4, "2000001", "魚介類"}, {3, "2000000", "肉類"}, {6, "200000000", "牛肉"},
                        {7, "201", "ごみ箱"}};
    for (const Row& row : rows) {
        view.AddClass(row.id, 1, 0, row.name, Tree(row.tree));
        bar.AddClass(row.id, 1, 0, Tree(row.tree), row.name);
    }
    QTreeWidget* tree = view.GetClassTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(view.GetNodeID(root->child(0)), 2);
    EXPECT_EQ(view.GetNodeID(root->child(1)), 5);
    EXPECT_EQ(view.GetNodeID(root->child(0)->child(0)), 3);
    EXPECT_EQ(view.GetNodeID(root->child(0)->child(1)), 4);
    EXPECT_TRUE(root->child(0)->isExpanded());
    EXPECT_FALSE(root->child(0)->child(0)->isExpanded()) << "a depth-4 class does not expand its parent";

    std::vector<int> order;
    for (int i = 0; i < bar.GetCount(); ++i) order.push_back(bar.GetItem(i).ClassID);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 6, 4, 5, 7}));
    bar.SetClassID(6);
    EXPECT_EQ(bar.PathText(bar.GetDropDown()->currentIndex()), "食材/肉類/牛肉");

    // Nothing selected: the tree index "200"; deleting the selected class selects its parent.
    EXPECT_EQ(view.GetSelectedTreeIndex().GetAsString(), "200");
    view.SelectID(6);
    view.DeleteClass(3);
    EXPECT_EQ(view.GetSelectedID(), 2);
    EXPECT_EQ(view.FindNode(6), nullptr);
    bar.DeleteClass(3);
    EXPECT_EQ(bar.GetClassID(), 2);
    EXPECT_EQ(bar.FindItem(6), -1);
}

TEST(ClassFrames, LeafOnlyBarRefusesAClassWithSubClasses)
{
    TClassBar bar;
    bar.AddClass(1, 0, 0, Tree("200"), "データベース");
    bar.AddClass(2, 1, 0, Tree("20000"), "食材");
    bar.AddClass(3, 1, 0, Tree("2000000"), "肉類");
    bar.SetLeafOnly(true);
    bar.SetClassID(3);
    bar.GetDropDown()->showPopup();
    bar.GetDropDown()->hidePopup();
    bar.GetDropDown()->setCurrentIndex(1);
    emit bar.GetDropDown()->activated(1);
    EXPECT_EQ(bar.GetClassID(), 3);
}

// The chosen class is highlighted while the tree has the focus, and marked in the inactive look
// (the button face, as the record list marks its rows then) once the focus has gone elsewhere.
TEST(ClassFrames, TheChosenClassShowsTheFocusOnlyWhileTheTreeHasIt)
{
    QWidget window;
    auto* view = new TClassView(&window);
    auto* other = new QLineEdit(&window);
    view->setGeometry(0, 0, 200, 200);
    other->setGeometry(0, 210, 200, 24);
    view->AddClass(1, 1, 0, "データベース", Tree("200"));
    view->AddClass(2, 1, 0, "食材", Tree("20000"));
    window.resize(200, 240);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    view->SelectID(2);
    QTreeWidget* tree = view->GetClassTree();
    const QRect row = tree->visualItemRect(view->FindNode(2));
    ASSERT_TRUE(row.isValid());
    // The row's colours in its indent and right of its text.
    const auto back = [&] {
        QCoreApplication::processEvents();
        const QImage image = tree->viewport()->grab().toImage();
        return std::make_pair(image.pixelColor(2, row.center().y()), image.pixelColor(row.right() - 3, row.center().y()));
    };
    const QPalette system = QApplication::palette(tree);
    const QColor highlight = system.color(QPalette::Active, QPalette::Highlight);
    const QColor face = system.color(QPalette::Active, QPalette::Button);
    // The style may shade the highlight a little across the row.
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 12;
    };
    for (QWidget* focus : {static_cast<QWidget*>(tree), static_cast<QWidget*>(other), static_cast<QWidget*>(tree)}) {
        focus->setFocus(Qt::TabFocusReason);
        const auto [indent, row] = back();
        const QColor expected = focus == tree ? highlight : face;
        EXPECT_TRUE(near(indent, expected) && near(row, expected))
            << focus->metaObject()->className() << ": " << indent.name().toStdString() << " "
            << row.name().toStdString() << ", not " << expected.name().toStdString();
    }
}

// ===== Filter controls ================================================================================

// A selector with the quick filters 国産 (7) and 有機 (8) and two user filters, counting its reports.
class FilterControls : public testing::Test {
protected:
    void SetUp() override
    {
        selector.OnQuickFilterChange = [this](TFilterSelector*) { ++quick; };
        selector.OnUserFilterChange = [this](TFilterSelector*) { ++user; };
        selector.AddQuick(7, "国産");
        selector.AddQuick(8, "有機");
        selector.AddUser(0, "高価な食材");
        selector.AddUser(1, "国産品");
    }
    TFilterSelector selector;
    int quick = 0;
    int user = 0;
};

TEST_F(FilterControls, EnterCyclesQuickFiltersAndUnchoosesTheUserFilter)
{
    QTreeWidgetItem* node = selector.GetQuickRoot()->child(0);
    TPriorityItem ids;
    TPriorityItem checks;
    const char* expected[] = {"7/1", "7/0", "/"};
    for (const char* text : expected) {
        selector.NodeEnter(node);
        selector.GetQuickFilters(ids, checks);
        EXPECT_EQ(ids.GetCommaText() + "/" + checks.GetCommaText(), text);
    }
    EXPECT_EQ(quick, 3);

    selector.NodeEnter(selector.GetUserRoot()->child(1));
    EXPECT_EQ(selector.GetUserFilterIndex(), 1);
    selector.NodeEnter(selector.GetUserRoot()->child(1));
    EXPECT_EQ(selector.GetUserFilterIndex(), -1);
    EXPECT_EQ(user, 2);

    // An id without a node is skipped.
    selector.SetQuickFilters(Ids({9, 8}), Ids({1, 0}));
    selector.GetQuickFilters(ids, checks);
    EXPECT_EQ(ids.GetCommaText() + "/" + checks.GetCommaText(), "8/0");
}

TEST_F(FilterControls, AClickOnANodesImageTogglesItAsEnterDoes)
{
    selector.resize(240, 200);
    selector.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&selector));
    QTreeWidget* tree = selector.GetTreeView();
    // The image is drawn at the start of the node's cell, before its text.
    const auto image = [tree](QTreeWidgetItem* node) {
        const QRect rect = tree->visualItemRect(node);
        return QPoint(rect.left() + 8, rect.center().y());
    };
    QTreeWidgetItem* expensive = selector.GetUserRoot()->child(0);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, image(expensive));
    EXPECT_EQ(selector.GetUserFilterIndex(), 0);
    EXPECT_EQ(tree->currentItem(), expensive);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, image(expensive));
    EXPECT_EQ(selector.GetUserFilterIndex(), -1);
    EXPECT_EQ(user, 2);

    QTreeWidgetItem* domestic = selector.GetQuickRoot()->child(0);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, image(domestic));
    EXPECT_EQ(TFilterSelector::NodeState(domestic), qsCheckOn);
    EXPECT_EQ(quick, 1);

    // A click on the text only selects the node.
    const QRect text = tree->visualItemRect(selector.GetUserRoot()->child(1));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(text.left() + 40, text.center().y()));
    EXPECT_EQ(tree->currentItem(), selector.GetUserRoot()->child(1));
    EXPECT_EQ(selector.GetUserFilterIndex(), -1);
    EXPECT_EQ(user, 2);
}

TEST(FilterBarControls, BarMenusSetStatesAndTheUserFilter)
{
    TFilterBar bar;
    int changes = 0;
    bar.OnQuickFilterChange = [&](TFilterBar*) { ++changes; };
    bar.OnUserFilterChange = [&](TFilterBar*) { ++changes; };
    bar.AddQuick(7, "国産");
    bar.AddUser(0, "高価な食材");
    ASSERT_EQ(bar.QuickItems().size(), 1u);
    bar.QuickItems()[0]->menu()->actions()[0]->trigger();   // チェックあり
    TPriorityItem ids;
    TPriorityItem checks;
    bar.GetQuickFilters(ids, checks);
    EXPECT_EQ(ids.GetCommaText() + "/" + checks.GetCommaText(), "7/1");
    bar.UserItems()[0]->trigger();
    EXPECT_EQ(bar.GetUserFilterIndex(), 0);
    EXPECT_EQ(TFilterBar::ItemState(bar.UserItems()[0]), qsCheckOn);
    bar.GetCustomMenu()->actions().back()->trigger();   // ユーザーフィルター無効
    bar.GetQuickMenu()->actions().back()->trigger();    // すべて無効
    EXPECT_EQ(bar.GetUserFilterIndex(), -1);
    bar.GetQuickFilters(ids, checks);
    EXPECT_EQ(ids.GetCount(), 0);
    EXPECT_EQ(changes, 4);
    bar.ClearQuick();
    EXPECT_EQ(bar.GetQuickMenu()->actions().size(), 2);
}

TEST(FilterBarControls, MonthBarWithoutMonthsGivesZero)
{
    TInvDateBar bar;
    EXPECT_EQ(bar.GetInvDateID(), 0);
    bar.Add("2024年4月", 2);
    bar.Add("2024年3月", 1);
    EXPECT_EQ(bar.GetInvDateID(), 0);
    bar.SetInvDateID(1);
    EXPECT_EQ(bar.GetInvDateID(), 1);
    bar.SetInvDateID(99);
    EXPECT_EQ(bar.GetInvDateID(), 1);
}

// ===== Navigators =====================================================================================

// Both navigators through the same cases.
template <class Navigator>
class Navigators : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.resize(500, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        nav.SetVktObject(&db.Object());
        list.SetVktObject(&db.Object());
        nav.OnChange = [this](TClassFilterBase*) { ++changes; };
    }
    // The names the list shows for the navigator's filter.
    std::set<std::string> Listed()
    {
        list.SetFilter(nav.BuildFilter());
        std::set<std::string> names;
        TVktAccesser* rows = list.GetAccesser();
        for (int row = 0; rows && row < rows->GetRowCount(); ++row) {
            rows->SetRowIndex(row);
            names.insert(rows->GetText(F::Data));
        }
        return names;
    }

    SampleDatabase db;
    Navigator nav{nullptr};
    TDataView list{nullptr};
    int changes = 0;
};

using NavigatorTypes = ::testing::Types<TClassFilterView, TClassFilterBar>;
TYPED_TEST_SUITE(Navigators, NavigatorTypes);

TYPED_TEST(Navigators, FiltersForClassTrashUserAndQuickListTheExpectedRecords)
{
    auto& nav = this->nav;
    const TPriorityItem none;
    // Newest month chosen on filling; the filter ends with it.
    const TFilterObject first = nav.GetFilter();
    ASSERT_GE(first.IndexOf(F::InvDate_Key), 0);
    EXPECT_EQ(first.Filters(first.IndexOf(F::InvDate_Key)).GetBegin(0).AsInt(), this->db.NewerSheet());

    nav.SetSelection(SampleDatabase::kMeat, 0, none, none, -1);
    EXPECT_EQ(this->Listed(), (std::set<std::string>{"和牛サーロイン", "豚バラ肉", "鶏もも肉"}));

    nav.SetSelection(SampleDatabase::kTrash, 0, none, none, -1);
    const TFilterObject trash = nav.BuildFilter();
    EXPECT_EQ(trash.IndexOf(F::Class_ID), -1);
    EXPECT_EQ(trash.Filters(trash.IndexOf(F::Erase_Key)).GetOperator(0), foIsNotEmpty);
    EXPECT_EQ(this->Listed(), (std::set<std::string>{"牛ヒレ肉", "生クリーム"}));   // trashed and kept

    nav.SetSelection(SampleDatabase::kFoods, 0, none, none, SampleDatabase::kExpensiveFilter);
    EXPECT_EQ(this->Listed(), (std::set<std::string>{"和牛サーロイン", "豚バラ肉", "鶏もも肉", "真鯛"}));

    // The user filter "国産品" checks Domestic; a quick filter on Domestic (check off) replaces it.
    nav.SetSelection(SampleDatabase::kFoods, 0, none, none, SampleDatabase::kDomesticFilter);
    EXPECT_EQ(this->Listed(), (std::set<std::string>{"和牛サーロイン", "玉ねぎ", "人参"}));
    nav.SetSelection(SampleDatabase::kFoods, 0, Ids({this->db.Domestic()}), Ids({0}), SampleDatabase::kDomesticFilter);
    const TFilterObject quick = nav.BuildFilter();
    EXPECT_EQ(quick.Filters(quick.IndexOf(F::AttrCheck)).GetCount(), 1);
    EXPECT_EQ(this->Listed(), std::set<std::string>{"真鯛"});
}

TYPED_TEST(Navigators, WithoutADatabaseTheFilterIsTheDefaultAndMonthZero)
{
    this->nav.SetVktObject(nullptr);
    TFilterObject expected = DefaultSelectionFilter();
    expected.Add(F::InvDate_Key, foEqual, 0, 0);
    EXPECT_FALSE(this->nav.GetFilter() != expected);
}

TYPED_TEST(Navigators, NoticesKeepTheControlsCurrentAndTheSelection)
{
    auto& nav = this->nav;
    auto& db = this->db.Object();
    nav.SetSelection(SampleDatabase::kVegetable, this->db.OlderSheet(), {}, {}, -1);
    this->changes = 0;

    // A new class appears under its parent; the selection and the filter stay, nothing is reported.
    const int leafy = db.AddClass(SampleDatabase::kVegetables, "葉物");
    ASSERT_NE(leafy, 0);
    nav.SetSelection(leafy, 0, {}, {}, -1);
    EXPECT_EQ(nav.BuildFilter().Filters(nav.BuildFilter().IndexOf(F::Class_ID)).GetBegin(0).AsInt(), leafy);
    nav.SetSelection(SampleDatabase::kVegetable, 0, {}, {}, -1);
    const int reports = this->changes;

    // A TreeID move reloads the classes and keeps the selected one.
    ASSERT_TRUE(db.MoveClassDown(SampleDatabase::kVegetable));
    EXPECT_EQ(nav.BuildFilter().Filters(nav.BuildFilter().IndexOf(F::Class_ID)).GetBegin(0).AsInt(),
              SampleDatabase::kVegetable);

    // A new month goes on top and the chosen one stays.
    ASSERT_TRUE(db.SetInventoryEntry(0, false, Ids({this->db.Record("人参")}), platform::EncodeDate(2024, 5, 1), 0,
                                     nullptr));
    EXPECT_EQ(nav.GetInvDateBar()->GetDropDown()->itemText(0).toStdString(), "2024年5月");
    EXPECT_EQ(nav.GetInvDateBar()->GetInvDateID(), this->db.OlderSheet());
    EXPECT_EQ(this->changes, reports) << "reloads by notices report nothing";
}

TYPED_TEST(Navigators, AFirstSheetIsChosenAsItIsMade)
{
    SampleDatabase empty(false);
    TypeParam nav(nullptr);
    int changes = 0;
    nav.SetVktObject(&empty.Object());
    nav.OnChange = [&](TClassFilterBase*) { ++changes; };
    ASSERT_EQ(nav.GetInvDateBar()->GetInvDateID(), 0);
    ASSERT_TRUE(empty.Object().SetInventoryEntry(0, false, {}, platform::EncodeDate(2024, 5, 1), 0, nullptr));
    const int sheet = empty.Object().FindInvDate(platform::EncodeDate(2024, 5, 1));
    EXPECT_EQ(nav.GetInvDateBar()->GetInvDateID(), sheet);
    EXPECT_EQ(nav.GetFilter().Filters(nav.GetFilter().IndexOf(F::InvDate_Key)).GetBegin(0).AsInt(), sheet);
    EXPECT_EQ(changes, 1);
}

TYPED_TEST(Navigators, ReloadedFiltersKeepTheirStatesAndReportAChangedFilter)
{
    auto& nav = this->nav;
    auto& db = this->db.Object();
    nav.SetSelection(SampleDatabase::kFoods, 0, Ids({this->db.Organic()}), Ids({1}),
                     SampleDatabase::kExpensiveFilter);
    const TFilterObject before = nav.BuildFilter();
    this->changes = 0;

    // A new attribute item: the lists reload, the choice stays, the filter is the same: no report.
    ASSERT_NE(db.AddAttrItem("季節限定"), 0);
    EXPECT_FALSE(nav.BuildFilter() != before);
    EXPECT_EQ(this->changes, 0);

    // The chosen user filter is edited: same choice, a different filter, one report.
    TFilterObject cheaper = db.GetFilterSet().GetItem(SampleDatabase::kExpensiveFilter);
    cheaper.Clear();
    cheaper.Add(F::BuyPrice, foAtLeast, platform::Variant(3000.0), {});
    db.GetFilterSet().SetItem(SampleDatabase::kExpensiveFilter, cheaper);
    EXPECT_EQ(this->changes, 1);
    const TFilterObject after = nav.BuildFilter();
    EXPECT_GE(after.IndexOf(F::AttrCheck), 0);
    EXPECT_EQ(after.Filters(after.IndexOf(F::BuyPrice)).GetBegin(0).AsDouble(), 3000.0);

    // The quick filter's attribute item goes: the filter loses it and reports.
    ASSERT_TRUE(db.DeleteAttrItem(this->db.Organic()));
    EXPECT_EQ(nav.BuildFilter().IndexOf(F::AttrCheck), -1);
    EXPECT_EQ(this->changes, 2);
}

TEST(SideNavigator, FamiliesAndFilteredState)
{
    SampleDatabase db;
    TClassFilterView nav(nullptr);
    EXPECT_FALSE(nav.IsFiltered());
    nav.SetVktObject(&db.Object());
    const std::pair<int, int> families[] = {{SampleDatabase::kRoot, 0}, {SampleDatabase::kTrash, -1},
                                            {SampleDatabase::kBeef, 1}, {SampleDatabase::kSauce, 2},
                                            {SampleDatabase::kBanquet, 3}};
    for (const auto& [classId, family] : families) {
        nav.SetSelection(classId, 0, {}, {}, -1);
        EXPECT_EQ(nav.GetSelectedFamily(), family) << classId;
    }
    EXPECT_FALSE(nav.IsFiltered());
    nav.SetSelection(SampleDatabase::kRoot, 0, {}, {}, 0);
    EXPECT_TRUE(nav.IsFiltered());

    int changes = 0;
    nav.OnChange = [&](TClassFilterBase*) { ++changes; };
    nav.ShowInvDate(false);
    EXPECT_EQ(changes, 0);
    nav.ShowInvDate(true);
    EXPECT_EQ(changes, 1);
}

} // namespace

// The field selectors: the record list's columns chosen on the sample database (stored layout,
// states, widths, applying it to the list) and the CSV field choice.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "screens/Fdataview.h"
#include "screens/Ffieldselector.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <string>

namespace {

using F = TVktField;
using vkttest::SampleDatabase;

class FieldSelectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (F field : ListFieldSet.Fields()) List()->AddItem(GetFieldCaption(field), ToInt(field));
        selector.OnChange = [this](QObject*) { ++changes; };
        selector.SetVktObject(&db.Object());
    }
    TStateListView* List() const { return selector.GetStateListView(); }
    // "id:image" of the first n items in list order.
    std::string Head(int n) const
    {
        std::string text;
        for (int i = 0; i < n; ++i) {
            QListWidgetItem* item = List()->ItemOfPosition(i);
            text += (i ? " " : "") + std::to_string(TStateListView::GetItemId(item)) + ":" +
                    std::to_string(List()->GetItemImage(item));
        }
        return text;
    }
    void Select(F field) { List()->GetListView()->setCurrentItem(List()->ItemOfId(ToInt(field))); }

    SampleDatabase db;
    TFieldSelector selector{nullptr};
    int changes = 0;
};

TEST_F(FieldSelectorTest, TheStoredLayoutComesFirstWithItsSortImages)
{
    TViewFieldStruct layout;
    for (auto [field, order, width] : {std::tuple{F::Data, 1, 150}, std::tuple{F::UsePrice, 2, 80},
                                       std::tuple{F::Company, 0, 60}}) {
        layout.GetName() << ToInt(field);
        layout.GetOrder() << order;
        layout.GetWidth() << width;
    }
    db.Object().SaveViewFields(layout);   // saved elsewhere: shown at once
    EXPECT_EQ(Head(4), "45:2 48:3 27:1 4:0");
    EXPECT_EQ(changes, 0) << "loading reports nothing";
    EXPECT_FALSE(selector.CanApply()) << "the choice equals the stored layout";

    Select(F::Data);
    List()->SetSelectedState(3);      // descending
    Select(F::Class);
    List()->SetSelectedState(1);      // shown, new
    List()->MoveUp();
    EXPECT_GE(changes, 3);
    const TViewFieldStruct chosen = selector.GetFields();
    EXPECT_EQ(chosen.GetName().GetCommaText(), "45,48,4,27");
    EXPECT_EQ(chosen.GetOrder().GetCommaText(), "2,2,0,0");
    EXPECT_EQ(chosen.GetWidth().GetCommaText(), "150,80,100,60");
    EXPECT_TRUE(selector.CanApply());

    for (F field : {F::Data, F::UsePrice, F::Company, F::Class}) {
        Select(field);
        List()->SetSelectedState(0);
    }
    EXPECT_FALSE(selector.CanApply()) << "nothing chosen";
    selector.Apply();
    EXPECT_EQ(db.Object().GetViewFields().GetName().GetCommaText(), "45,48,27") << "nothing is stored";
    EXPECT_EQ(Head(3), "45:2 48:3 27:1") << "the stored layout is reloaded";
}

TEST_F(FieldSelectorTest, ApplyStoresAndTheRecordListFollowsAfterOneQuery)
{
    TDataView view(nullptr);
    view.resize(700, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.SetVktObject(&db.Object());
    const int queries = view.GetQueryCount();

    Select(F::BuyPrice);
    List()->SetSelectedState(2);
    ASSERT_TRUE(selector.CanApply());
    selector.Apply();
    const TViewFieldStruct stored = db.Object().GetViewFields();
    EXPECT_EQ(stored.GetName().GetItem(stored.GetName().GetCount() - 1), ToInt(F::BuyPrice));
    EXPECT_EQ(stored.GetOrder().GetItem(stored.GetName().GetCount() - 1), 1);
    EXPECT_EQ(view.GetViewFields().GetName(), stored.GetName());
    EXPECT_EQ(view.GetDataListView()->GetHeaderControl()->count(), stored.GetName().GetCount());
    EXPECT_EQ(view.GetQueryCount(), queries + 1);
    EXPECT_FALSE(selector.CanApply());

    selector.SetVktObject(nullptr);
    EXPECT_FALSE(selector.CanApply()) << "unbound";
}

TEST(CsvFieldSelector, FamiliesTitleLineAndCount)
{
    TCsvFieldSelector selector;
    TStateListView* list = selector.GetFieldSelector()->GetStateListView();
    EXPECT_EQ(selector.GetFamily(), 6);
    EXPECT_EQ(list->GetListView()->count(), 5);
    EXPECT_EQ(selector.GetTitleLine(), "");
    EXPECT_EQ(selector.GetTitleCount(), 1);

    struct Case {
        QRadioButton* button;
        int family;
        int count;
    };
    for (const Case& c : {Case{selector.GetRBFoodFamily(), 7, 10}, Case{selector.GetRBCookFamily(), 8, 8},
                          Case{selector.GetRBMenuFamily(), 9, 9}}) {
        list->GetListView()->setCurrentItem(list->ItemOfPosition(0));
        selector.GetBtnShow()->click();
        c.button->click();
        EXPECT_EQ(selector.GetFamily(), c.family);
        EXPECT_EQ(list->GetListView()->count(), c.count);
        EXPECT_EQ(selector.GetFields().GetCount(), 0) << "switching clears the choice";
    }

    // Choose Data, then UsePrice, then Class_Key moved to the front; two records per line.
    const auto choose = [&](F field) {
        list->GetListView()->setCurrentItem(list->ItemOfId(ToInt(field)));
        selector.GetBtnShow()->click();
    };
    choose(F::Data);
    choose(F::UsePrice);
    choose(F::Information);
    list->GetListView()->setCurrentItem(list->ItemOfId(ToInt(F::Information)));
    selector.GetBtnHide()->click();
    choose(F::Class_Key);
    EXPECT_EQ(selector.GetFields().GetCommaText(), "43,45,48");
    selector.GetCsvTitleCount()->SetValue(2);
    const std::string block =
        GetFieldCaption(F::Class_Key) + "," + GetFieldCaption(F::Data) + "," + GetFieldCaption(F::UsePrice);
    EXPECT_EQ(selector.GetTitleLine(), block + "," + block);
    selector.GetCsvTitleCount()->SetValue(0);
    EXPECT_EQ(selector.GetTitleCount(), 1) << "lower limit 1";
}

} // namespace

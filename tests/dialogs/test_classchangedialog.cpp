// The class change and attribute change dialogs on the sample kitchen database: the class tree and
// its enable rules, classes made from the dialog, the move itself; the attribute lists, their
// moves and state pictures, the closing question and the attribute rows written.
#include "SetUpDialogFixture.h"
#include "dialogs/Fattributechangedialog.h"
#include "dialogs/Fclasschangedialog.h"
#include "screens/Fclassview.h"
#include "support/Ids.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using vkttest::SampleDatabase;
using platform::MsgAnswer;

using vkttest::Ids;

// ===== class change =====================================================================

class ClassChangeDialogTest : public SetUpDialogTest {
protected:
    void TearDown() override
    {
        ClassChangeDlg()->SetDataObject(nullptr);
        SetUpDialogTest::TearDown();
    }
    TClassChangeDialog* Dialog() const { return ClassChangeDlg(); }
    QTreeWidget* Tree() const { return Dialog()->GetClassView()->GetClassTree(); }
    void Select(int id)
    {
        Dialog()->GetClassView()->SelectID(id);
        Dialog()->UpdateActions();
    }
    // BtnOk, BtnNew, BtnChildNew as "101".
    std::string Enabled() const
    {
        std::string s;
        for (QPushButton* b : {Dialog()->GetBtnOk(), Dialog()->GetBtnNew(), Dialog()->GetBtnChildNew()})
            s += b->isEnabled() ? '1' : '0';
        return s;
    }
    void Show(std::function<void(TClassChangeDialog*)> act, const TPriorityItem& ids = {})
    {
        Inside<TClassChangeDialog>(Dialog(), act, [&] { ShowClassChangeDlg(object, ids); });
    }
};

TEST_F(ClassChangeDialogTest, TheTreeListsTheThreeFamiliesAtTheTopAndEnablesByNode)
{
    Show([this](TClassChangeDialog* d) {
        // The root and the trash are not listed: the families stand at the top.
        ASSERT_EQ(Tree()->topLevelItemCount(), 3);
        EXPECT_EQ(d->GetClassView()->GetNodeID(Tree()->topLevelItem(0)), SampleDatabase::kFoods);
        EXPECT_EQ(d->GetClassView()->FindNode(SampleDatabase::kTrash), nullptr);
        EXPECT_EQ(d->GetClassView()->FindNode(SampleDatabase::kRoot), nullptr);
        EXPECT_TRUE(d->GetClassView()->GetLeafOnly());
        EXPECT_FALSE(Tree()->topLevelItem(0)->icon(0).isNull());
        struct Case {
            int id;
            const char* enabled;
        } const cases[] = {
            {SampleDatabase::kFoods, "001"},   // a family: no sibling, children allowed
            {SampleDatabase::kMeat, "011"},    // a branch: not a target
            {SampleDatabase::kBeef, "110"},    // a leaf holding records: no sub-classes
        };
        for (const Case& c : cases) {
            Select(c.id);
            EXPECT_EQ(Enabled(), c.enabled) << c.id;
        }
        Tree()->setCurrentItem(nullptr);
        d->UpdateActions();
        EXPECT_EQ(Enabled(), "000");
        d->GetBtnCancel()->click();
    });
}

TEST_F(ClassChangeDialogTest, BranchesAreDrawnGreyAndLeavesInTheTextColour)
{
    Show([this](TClassChangeDialog* d) {
        Tree()->expandAll();
        Tree()->setCurrentItem(nullptr);
        Tree()->clearSelection();
        Tree()->scrollToTop();
        QApplication::processEvents();
        const QImage image = Tree()->viewport()->grab().toImage();
        // The darkest grey level in the text half of the node's row.
        const auto darkest = [&](int id) {
            const QRect row = Tree()->visualItemRect(d->GetClassView()->FindNode(id));
            const int text = row.left() + Tree()->iconSize().width() + 6;
            int level = 255;
            for (int y = row.top(); y <= row.bottom(); ++y)
                for (int x = text; x < std::min(text + 40, image.width()); ++x)
                    level = std::min(level, qGray(image.pixel(x, y)));
            return level;
        };
        const int branch = darkest(SampleDatabase::kMeat);
        const int leaf = darkest(SampleDatabase::kBeef);
        EXPECT_LT(leaf, 90);
        EXPECT_GT(branch, leaf + 40) << "a class with sub-classes is not a target";
        d->GetBtnCancel()->click();
    });
}

TEST_F(ClassChangeDialogTest, NewSiblingAndChildArriveThroughNotices)
{
    Show([this](TClassChangeDialog* d) {
        QTreeWidgetItem* meat = d->GetClassView()->FindNode(SampleDatabase::kMeat);
        const int meatChildren = meat->childCount();
        Select(SampleDatabase::kBeef);
        d->GetBtnNew()->click();
        EXPECT_EQ(meat->childCount(), meatChildren + 1);
        Select(SampleDatabase::kMeat);
        d->GetBtnChildNew()->click();
        EXPECT_EQ(meat->childCount(), meatChildren + 2);
        // The new class is empty: it may get sub-classes and take records.
        Select(d->GetClassView()->GetNodeID(meat->child(meat->childCount() - 1)));
        EXPECT_EQ(Enabled(), "111");
        d->GetBtnCancel()->click();
    });
}

TEST_F(ClassChangeDialogTest, OkMovesTheRecordsAndClosesAlsoWithoutRecords)
{
    const int sirloin = sample->Record("和牛サーロイン");
    const int pork = sample->Record("豚バラ肉");
    Show(
        [](TClassChangeDialog* d) {
            d->GetClassView()->SelectID(SampleDatabase::kChicken);
            d->UpdateActions();
            d->GetBtnOk()->click();
            EXPECT_FALSE(d->isVisible());
        },
        Ids({sirloin, pork}));
    EXPECT_EQ(Sql("select group_concat(Class_Key) from VktDB1F where Data_ID in (" + std::to_string(sirloin) + "," +
                  std::to_string(pork) + ")"),
              "6,6");
    Show([](TClassChangeDialog* d) {
        d->GetClassView()->SelectID(SampleDatabase::kBeef);
        d->UpdateActions();
        d->GetBtnOk()->click();
        EXPECT_FALSE(d->isVisible());
    });
    EXPECT_EQ(Sql("select count(*) from VktDB1F where Class_Key = 4"), "1");
}

TEST_F(ClassChangeDialogTest, AClassMovedWhileHiddenReordersTheTreeAndKeepsTheChoice)
{
    Show([](TClassChangeDialog* d) {
        d->GetClassView()->SelectID(SampleDatabase::kPork);
        d->GetBtnCancel()->click();
    });
    QTreeWidgetItem* meat = Dialog()->GetClassView()->FindNode(SampleDatabase::kMeat);
    ASSERT_EQ(Dialog()->GetClassView()->GetNodeID(meat->child(0)), SampleDatabase::kBeef);
    ASSERT_TRUE(object->MoveClassDown(SampleDatabase::kBeef));
    meat = Dialog()->GetClassView()->FindNode(SampleDatabase::kMeat);
    EXPECT_EQ(Dialog()->GetClassView()->GetNodeID(meat->child(0)), SampleDatabase::kPork);
    EXPECT_EQ(Dialog()->GetClassView()->GetNodeID(meat->child(1)), SampleDatabase::kBeef);
    EXPECT_EQ(Dialog()->GetClassView()->GetSelectedID(), SampleDatabase::kPork);
    ASSERT_TRUE(object->MoveClassUp(SampleDatabase::kBeef));
}

// ===== attribute change =================================================================

class AttributeChangeDialogTest : public SetUpDialogTest {
protected:
    void TearDown() override
    {
        ShowAttributeChangeDlg(nullptr);
        SetUpDialogTest::TearDown();
    }
    TAttributeChangeDialog* Dialog() const { return ShowAttributeChangeDlg(object); }
    static std::string Items(QTreeWidget* list)
    {
        std::string s;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (!s.empty()) s += ",";
            s += list->topLevelItem(i)->text(0).toStdString();
            if (list->objectName() == "ListView2")
                s += ":" + std::to_string(TAttributeChangeDialog::State(list->topLevelItem(i)));
        }
        return s;
    }
    void Show(std::function<void(TAttributeChangeDialog*)> act, const TPriorityItem& ids = {})
    {
        Inside<TAttributeChangeDialog>(Dialog(), act, [&] { Dialog()->Execute(ids); });
    }
    // A left press (or double-click) on the item's picture or text.
    static void Press(TAttributeChangeDialog* d, int row, bool picture, bool twice = false)
    {
        QTreeWidget* list = d->GetListView2();
        QTreeWidgetItem* item = list->topLevelItem(row);
        const QRect r = d->PictureRect(item);
        const QPoint at = picture ? r.center() : QPoint(r.right() + 20, r.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        if (twice) QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
};

TEST_F(AttributeChangeDialogTest, MovesByButtonsAndDoubleClicksFollowTheClosingButton)
{
    Show([](TAttributeChangeDialog* d) {
        QTreeWidget* l1 = d->GetListView1();
        QTreeWidget* l2 = d->GetListView2();
        EXPECT_EQ(Items(l1), "国産,有機,冷凍");
        EXPECT_FALSE(d->GetBtnOk()->isEnabled());
        EXPECT_EQ(d->GetBtnCancel()->text(), QStringLiteral("閉じる"));
        l1->setCurrentItem(l1->topLevelItem(1));
        d->GetBtnAdd()->click();
        EXPECT_EQ(Items(l1) + "|" + Items(l2), "国産,冷凍|有機:0");
        EXPECT_TRUE(d->GetBtnOk()->isEnabled());
        EXPECT_EQ(d->GetBtnCancel()->text(), QStringLiteral("キャンセル"));
        const QPoint frozen = l1->visualItemRect(l1->topLevelItem(1)).center();
        QTest::mouseClick(l1->viewport(), Qt::LeftButton, {}, frozen);
        QTest::mouseDClick(l1->viewport(), Qt::LeftButton, {}, frozen);
        EXPECT_EQ(Items(l1) + "|" + Items(l2), "国産|有機:0,冷凍:0");
        d->GetBtnAll()->click();
        EXPECT_EQ(Items(l1) + "|" + Items(l2), "|有機:0,冷凍:0,国産:0");
        // A double-click on the text moves the item back; on the selected item's picture only its
        // first press cycles.
        l2->setCurrentItem(l2->topLevelItem(0));
        Press(d, 0, true, true);
        EXPECT_EQ(Items(l2), "有機:1,冷凍:0,国産:0");
        Press(d, 0, false, true);
        EXPECT_EQ(Items(l1) + "|" + Items(l2), "有機|冷凍:0,国産:0");
        for (int i = 0; i < 2; ++i) {
            l2->setCurrentItem(l2->topLevelItem(0));
            d->GetBtnDelete()->click();
        }
        EXPECT_EQ(Items(l2), "");
        EXPECT_FALSE(d->GetBtnOk()->isEnabled());
        EXPECT_EQ(d->GetBtnCancel()->text(), QStringLiteral("閉じる"));
        d->GetBtnCancel()->click();
        EXPECT_FALSE(d->isVisible()) << "閉じる asks nothing";
    });
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

TEST_F(AttributeChangeDialogTest, PressesOnTheSelectedPictureCycleTheState)
{
    Show([](TAttributeChangeDialog* d) {
        d->GetBtnAll()->click();
        QTreeWidget* l2 = d->GetListView2();
        Press(d, 1, true);
        EXPECT_EQ(Items(l2), "国産:0,有機:0,冷凍:0") << "a press that selects the item does not cycle";
        const char* const expected[] = {"国産:0,有機:1,冷凍:0", "国産:0,有機:2,冷凍:0", "国産:0,有機:0,冷凍:0"};
        for (const char* e : expected) {
            Press(d, 1, true);
            EXPECT_EQ(Items(l2), e);
        }
        Press(d, 1, false);
        EXPECT_EQ(Items(l2), "国産:0,有機:0,冷凍:0") << "a press on the text";
        d->GetBtnTrue()->click();
        l2->setCurrentItem(l2->topLevelItem(2));
        d->GetBtnFalse()->click();
        EXPECT_EQ(Items(l2), "国産:0,有機:2,冷凍:1");
        d->GetBtnDisable()->click();
        EXPECT_EQ(Items(l2), "国産:0,有機:2,冷凍:0");
        d->GetBtnCancel()->click();
    });
}

TEST_F(AttributeChangeDialogTest, CancelAsksUnlessShiftAndEscFollowsIt)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    Show([&s](TAttributeChangeDialog* d) {
        d->GetBtnAll()->click();
        s.answers = {MsgAnswer::No};
        QTest::keyClick(d, Qt::Key_Escape);
        EXPECT_TRUE(d->isVisible());
        ASSERT_EQ(s.messages.size(), 1u);
        EXPECT_EQ(s.messages[0].text, "終了しますか？");
        EXPECT_EQ(s.messages[0].caption, "確認");
        EXPECT_EQ(s.messages[0].defaultButton, MsgAnswer::No);
        s.shift = true;
        d->GetBtnCancel()->click();
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(s.messages.size(), 1u);
    });
}

TEST_F(AttributeChangeDialogTest, OkSendsEveryListedItemAndTheListsFollowTheItems)
{
    const int onion = sample->Record("玉ねぎ");
    const int carrot = sample->Record("人参");
    Show(
        [this](TAttributeChangeDialog* d) {
            QTreeWidget* l2 = d->GetListView2();
            d->GetBtnAll()->click();
            l2->setCurrentItem(l2->topLevelItem(0));
            d->GetBtnFalse()->click();   // 国産 cleared
            l2->setCurrentItem(l2->topLevelItem(2));
            d->GetBtnTrue()->click();    // 冷凍 set, 有機 left alone
            // A new attribute item refills the lists.
            EXPECT_NE(object->AddAttrItem("有機栽培"), 0);
            EXPECT_EQ(Items(d->GetListView1()), "国産,有機,冷凍,有機栽培");
            EXPECT_EQ(Items(l2), "");
            d->GetBtnAll()->click();
            for (int row : {0, 2}) {
                l2->setCurrentItem(l2->topLevelItem(row));
                (row == 0 ? d->GetBtnFalse() : d->GetBtnTrue())->click();
            }
            d->GetBtnOk()->click();
            EXPECT_FALSE(d->isVisible());
        },
        Ids({onion, carrot}));
    const auto checks = [this](int id) {
        return Sql("select group_concat(AttrItem_Key || '=' || AttrCheck) from (select * from VktDB1J where "
                   "Attribute_Key = " +
                   std::to_string(id) + " order by AttrItem_Key)");
    };
    const std::string domestic = std::to_string(sample->Domestic());
    const std::string frozen = std::to_string(sample->Frozen());
    // State 0 is sent too: the record's entry for that item goes (the carrot's 有機).
    EXPECT_EQ(checks(onion), domestic + "=0," + frozen + "=1");
    EXPECT_EQ(checks(carrot), domestic + "=0," + frozen + "=1");
}

} // namespace

// The two stock-taking wizards on the sample kitchen database: page walk and button states, month
// stepping, the re-create option's rule, the sheet created with its price type, the state after
// a run, Esc and the cancel question, and records appended to a chosen sheet.
#include "SetUpDialogFixture.h"
#include "dialogs/Fappendinventorydialog.h"
#include "dialogs/Finventorydialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <string>

namespace {

using vkttest::SampleDatabase;
using platform::MsgAnswer;

class InventoryWizardTest : public SetUpDialogTest {
protected:
    void TearDown() override
    {
        InventoryDlg()->SetDataObject(nullptr);
        AppendInventoryDlg(nullptr);
        SetUpDialogTest::TearDown();
    }
    // Page, then 戻る, 進む (caption), キャンセル as "1 prev:1 閉じる:0 cancel:1".
    static std::string Buttons(TWizardDialog* w)
    {
        return std::to_string(w->GetPages()->currentIndex()) + " prev:" + (w->GetBtnPrev()->isEnabled() ? "1 " : "0 ") +
               w->GetBtnNext()->text().toStdString() + ":" + (w->GetBtnNext()->isEnabled() ? "1" : "0") +
               " cancel:" + (w->GetBtnCancel()->isEnabled() ? "1" : "0");
    }
    void ShowCreate(const std::function<void(TInventoryDialog*)>& act)
    {
        Inside<TInventoryDialog>(InventoryDlg(), act, [this] { ShowInventoryDlg(object); });
    }
};

TEST_F(InventoryWizardTest, PagesAndMonthSteppingFollowTheirRules)
{
    ShowCreate([](TInventoryDialog* w) {
        EXPECT_EQ(Buttons(w), "0 prev:0 進む &>>:1 cancel:1");
        EXPECT_FALSE(w->GetPages()->widget(1)->isEnabled());
        QTest::mouseClick(w->GetPages()->tabBar(), Qt::LeftButton, {}, w->GetPages()->tabBar()->tabRect(1).center());
        EXPECT_EQ(w->GetPages()->currentIndex(), 0) << "the tabs take no input";
        w->GetBtnNext()->click();
        EXPECT_EQ(Buttons(w), "1 prev:1 閉じる:0 cancel:1");
        EXPECT_TRUE(w->GetBtnCreate()->isEnabled());
        // The current month (April 2024) has a sheet: the re-create option applies.
        EXPECT_EQ(w->GetYHistDateEdit()->text(), QStringLiteral("2024年 4月"));
        EXPECT_TRUE(w->GetCBInit()->isEnabled());
        const QRect arrows = w->GetUpDown()->geometry();
        struct Step {
            bool up;
            const char* month;
            bool sheet;
        } const steps[] = {
            {false, "2024年 3月", true}, {false, "2024年 2月", false}, {false, "2024年 1月", false},
            {false, "2023年 12月", false}, {true, "2024年 1月", false}, {true, "2024年 2月", false},
        };
        for (const Step& s : steps) {
            (s.up ? w->GetUpButton() : w->GetDownButton())->click();
            EXPECT_EQ(w->GetYHistDateEdit()->text().toStdString(), s.month);
            EXPECT_EQ(w->GetCBInit()->isEnabled(), s.sheet) << s.month;
        }
        EXPECT_EQ(w->GetMonth(), static_cast<int>(platform::EncodeDate(2024, 2, 1)));
        EXPECT_EQ(w->GetUpDown()->geometry(), arrows);
        w->SetMonth(static_cast<int>(platform::EncodeDate(2024, 12, 1)));
        w->GetUpButton()->click();
        EXPECT_EQ(w->GetYHistDateEdit()->text(), QStringLiteral("2025年 1月"));
        w->GetBtnPrev()->click();
        EXPECT_EQ(Buttons(w), "0 prev:0 進む &>>:1 cancel:1");
    });
}

TEST_F(InventoryWizardTest, CancelAndEscAskAndNoKeepsTheWizard)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    ShowCreate([&s](TInventoryDialog* w) {
        s.answers = {MsgAnswer::No};
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
        ASSERT_EQ(s.messages.size(), 1u);
        EXPECT_EQ(s.messages[0].text, "ウィザードは完了していません。ウィザードを終了しますか？");
        EXPECT_EQ(s.messages[0].caption, "確認");
        EXPECT_EQ(s.messages[0].defaultButton, MsgAnswer::No);
        s.answers = {MsgAnswer::Yes};
        w->GetBtnCancel()->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Rejected);
    });
}

TEST_F(InventoryWizardTest, CreateMakesTheSheetWithThePriceTypeAndOnlyClosesAfterwards)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    ShowCreate([&](TInventoryDialog* w) {
        w->GetBtnNext()->click();
        w->GetUpButton()->click();   // May: no sheet yet
        w->GetCBInit()->setChecked(true);
        w->GetCBPriceType()->setCurrentIndex(3);
        EXPECT_FALSE(w->GetCBInit()->isEnabled());
        w->GetBtnCreate()->click();
        EXPECT_EQ(Buttons(w), "1 prev:1 閉じる:1 cancel:0");
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
        // Esc does nothing once キャンセル is disabled.
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
        EXPECT_TRUE(s.messages.empty());
        // The new sheet counts as existing for the option rule.
        w->GetDownButton()->click();
        w->GetUpButton()->click();
        EXPECT_TRUE(w->GetCBInit()->isEnabled());
        EXPECT_EQ(Buttons(w), "1 prev:1 閉じる:0 cancel:1");
        w->GetBtnCreate()->click();
        w->GetBtnNext()->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->result(), QDialog::Accepted);
    });
    EXPECT_EQ(Sql("select count(*) || ':' || min(InvType) from VktDB1E where InvDate like '2024-05%'"), "1:3");
    // The inventory items of the sample (five records) are on it.
    EXPECT_EQ(Sql("select count(*) from VktDB1Q join VktDB1E on InvDate_Key = InvDate_ID where InvDate like "
                  "'2024-05%'"),
              Sql("select count(*) from VktDB1F where InvItem = 1 and Data_ID not in (select Erase_Key from VktDB1G)"));
}

TEST_F(InventoryWizardTest, AppendAddsTheRecordsToTheChosenSheet)
{
    const int carrot = sample->Record("人参");
    const int basil = sample->Record("バジル");
    TPriorityItem ids;
    ids << carrot << basil;
    TAppendInventoryDialog* wizard = AppendInventoryDlg(object);
    Inside<TAppendInventoryDialog>(wizard, [](TAppendInventoryDialog* w) {
        EXPECT_EQ(Buttons(w), "0 prev:0 進む &>>:1 cancel:1");
        w->GetBtnNext()->click();
        EXPECT_EQ(Buttons(w), "1 prev:1 閉じる:0 cancel:1");
        QComboBox* list = w->GetInvDateList();
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), QStringLiteral("2024年4月"));
        EXPECT_EQ(list->currentIndex(), -1);
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
        list->setCurrentIndex(1);
        emit list->activated(1);
        EXPECT_TRUE(w->GetBtnCreate()->isEnabled());
        w->GetBtnCreate()->click();
        EXPECT_EQ(Buttons(w), "1 prev:1 閉じる:1 cancel:1");
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
        w->GetBtnNext()->click();
    }, [&] { wizard->Execute(ids); });
    const auto onSheet = [this](int sheet) {
        return Sql("select group_concat(Inventory_Key) from (select Inventory_Key from VktDB1Q where InvDate_Key = " +
                   std::to_string(sheet) + " order by Inventory_Key)");
    };
    const std::string onion = std::to_string(sample->Record("玉ねぎ"));
    EXPECT_EQ(onSheet(sample->OlderSheet()), onion + "," + std::to_string(carrot) + "," + std::to_string(basil));
    EXPECT_EQ(onSheet(sample->NewerSheet()), onion);
}

TEST_F(InventoryWizardTest, WithoutSheetsTheAppendListIsEmpty)
{
    SampleDatabase empty(false);
    TAppendInventoryDialog* wizard = AppendInventoryDlg(&empty.Object());
    Inside<TAppendInventoryDialog>(wizard, [](TAppendInventoryDialog* w) {
        w->GetBtnNext()->click();
        EXPECT_EQ(w->GetInvDateList()->count(), 0);
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
    }, [&] { wizard->Execute({}); });
    AppendInventoryDlg(nullptr);
}

} // namespace

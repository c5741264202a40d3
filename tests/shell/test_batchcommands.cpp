// The commands that open the batch set-up dialogs and wizards on the marked records, and the
// record editor's use-unit request answered by the use-unit wizard: conversion, cancel, Shift
// and focus moving while the wizard is open.
#include "dialogs/Fappendinventorydialog.h"
#include "dialogs/Fattributechangedialog.h"
#include "dialogs/Fclasschangedialog.h"
#include "dialogs/Fdatapropertychangedialog.h"
#include "dialogs/Finventorydialog.h"
#include "dialogs/Fmhisttoyhistdialog.h"
#include "dialogs/Fuseunitchangedialog.h"
#include "platform/Currency.h"
#include "platform/Sqlite.h"
#include "screens/Fdataeditor.h"
#include "screens/Finventoryview.h"
#include "screens/Fkerneleditpanel.h"
#include "screens/Finvdatebar.h"
#include "test_vktpanel_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

#include <string>

namespace {

using platform::MsgAnswer;
using vkttest::SampleDatabase;
using vkttest::Scripted;

class BatchCommandTest : public PanelTest {
protected:
    std::string Sql(const std::string& query) const
    {
        platform::Connection connection(platform::DatabaseFilePath(db->Folder()));
        platform::Statement statement(connection, query);
        return statement.Step() ? statement.GetText(0) : std::string();
    }
    // Triggers the action; `inside` gets the modal window it opened, which is closed afterwards.
    void Open(QAction* action, const std::function<void(QDialog*)>& inside)
    {
        // The class and key-field changes refresh the record list, which drops the marks.
        Mark({"玉ねぎ", "人参"});
        module->updateActions();
        ASSERT_TRUE(action->isEnabled()) << action->objectName().toStdString();
        QDialog* seen = nullptr;
        QTimer::singleShot(0, [&] {
            seen = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!seen) return;
            inside(seen);
            if (seen->isVisible()) seen->done(0);
        });
        action->trigger();
        EXPECT_NE(seen, nullptr) << action->objectName().toStdString();
    }
};

TEST_F(BatchCommandTest, TheSixCommandsNoLongerWaitAndOpenTheirDialogsOnTheMarkedRecords)
{
    Choose(SampleDatabase::kVegetable);
    Mark({"玉ねぎ", "人参"});
    module->updateActions();
    for (QAction* action : {module->ActChangeDataClass, module->ActChangeDataAttribute, module->ActChangeDataProperty,
                            module->ActAppendInventory, module->ActShowCreateInventoryListDialog,
                            module->ActShowMHistToYHistDialog})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    const TPriorityItem marked = List()->GetSelectedIDs();
    TVktObject* object = &db->Object();
    Open(module->ActChangeDataClass, [&](QDialog* d) {
        auto* dialog = qobject_cast<TClassChangeDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetIds().GetCommaText(), marked.GetCommaText());
        EXPECT_EQ(dialog->GetDataObject(), object);
    });
    Open(module->ActChangeDataAttribute, [&](QDialog* d) {
        auto* dialog = qobject_cast<TAttributeChangeDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetDataObject(), object);
        EXPECT_EQ(dialog->GetListView1()->topLevelItemCount(), 3);
    });
    Open(module->ActChangeDataProperty, [&](QDialog* d) {
        auto* dialog = qobject_cast<TDataPropertyChangeDialog*>(d);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->GetDataKind(), 1);
        EXPECT_EQ(dialog->GetDataObject(), object);
    });
    Open(module->ActShowCreateInventoryListDialog, [&](QDialog* d) {
        ASSERT_NE(qobject_cast<TInventoryDialog*>(d), nullptr);
        EXPECT_EQ(static_cast<TInventoryDialog*>(d)->GetDataObject(), object);
    });
    Open(module->ActShowMHistToYHistDialog, [&](QDialog* d) {
        ASSERT_NE(qobject_cast<TMHistToYHistDialog*>(d), nullptr);
        EXPECT_EQ(static_cast<TMHistToYHistDialog*>(d)->GetDataObject(), object);
    });
    // Without Shift the append wizard adds the marked records to the chosen sheet.
    Open(module->ActAppendInventory, [](QDialog* d) {
        auto* wizard = qobject_cast<TAppendInventoryDialog*>(d);
        ASSERT_NE(wizard, nullptr);
        wizard->GetBtnNext()->click();
        QComboBox* months = wizard->GetInvDateList();
        ASSERT_EQ(months->count(), 2);
        months->setCurrentIndex(0);
        emit months->activated(0);
        wizard->GetBtnCreate()->click();
        wizard->GetBtnNext()->click();
    });
    EXPECT_EQ(batchRuns, 1);
    EXPECT_EQ(Sql("select count(*) from VktDB1Q where InvDate_Key = " + std::to_string(db->NewerSheet())), "2");
}

TEST_F(BatchCommandTest, TheSheetTheCreateWizardMadeIsTheOneTheStockTakingViewShows)
{
    panel->ShowInventory(true);
    TInventoryView* view = panel->GetInventoryView();
    ASSERT_EQ(view->GetInvDateID(), db->NewerSheet());
    int month = 0;
    Open(module->ActShowCreateInventoryListDialog, [&](QDialog* d) {
        auto* wizard = qobject_cast<TInventoryDialog*>(d);
        ASSERT_NE(wizard, nullptr);
        QTest::mouseClick(wizard->GetBtnNext(), Qt::LeftButton);
        QTest::mouseClick(wizard->GetUpButton(), Qt::LeftButton);
        month = wizard->GetMonth();
        QTest::mouseClick(wizard->GetBtnCreate(), Qt::LeftButton);
        QTest::mouseClick(wizard->GetBtnNext(), Qt::LeftButton);
    });
    ASSERT_EQ(batchRuns, 1);
    const int sheet = db->Object().FindInvDate(platform::TDateTime(month));
    ASSERT_NE(sheet, 0);
    EXPECT_EQ(Side()->GetInvDateBar()->GetInvDateID(), sheet);
    EXPECT_EQ(Top()->GetInvDateBar()->GetInvDateID(), sheet);
    EXPECT_EQ(view->GetInvDateID(), sheet);
    const std::string entries = Sql("select count(*) from VktDB1Q where InvDate_Key = " + std::to_string(sheet));
    ASSERT_NE(entries, "0");
    EXPECT_EQ(std::to_string(view->GetInvListView()->GetModel()->GetRowCount()), entries);
}

class UseUnitRequestTest : public BatchCommandTest {
protected:
    void SetUp() override
    {
        BatchCommandTest::SetUp();
        sirloin = db->Record("和牛サーロイン");
        TVktObject& object = db->Object();
        using platform::Currency;
        ASSERT_TRUE(object.SetMHistoryPrice(sirloin, platform::EncodeDate(2024, 2, 10), Currency::FromDouble(12.5)));
        ASSERT_TRUE(object.MakeYHistory(false, 0, platform::EncodeDate(2024, 2, 1), nullptr));
        panel->GetDataViewer()->EditData(sirloin);
        panel->GetDataViewer()->ShowEditor(true);
        QApplication::processEvents();
        kernel = panel->GetDataViewer()->GetDataEditor()->GetKernelEditPanel();
        units = kernel->GetUseUnitSelector();
        ASSERT_EQ(units->currentData().toInt(), kGram);
    }
    // Picks キログラム in the selector and moves the focus away, the wizard running `inside`.
    void ChangeToKilogram(const std::function<void(TUseUnitChangeDialog*)>& inside)
    {
        wizardShown = false;
        QApplication::setActiveWindow(window.get());
        units->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const int kilogram = units->findData(kKilogram);
        ASSERT_GE(kilogram, 0);
        units->setCurrentIndex(kilogram);
        QTimer::singleShot(0, [&] {
            auto* wizard = qobject_cast<TUseUnitChangeDialog*>(QApplication::activeModalWidget());
            if (!wizard) return;
            wizardShown = true;
            EXPECT_EQ(wizard->GetOldUnitEdit()->text(), QStringLiteral("グラム"));
            EXPECT_EQ(wizard->GetNewUnitEdit()->text(), QStringLiteral("キログラム"));
            inside(wizard);
            if (wizard->isVisible()) wizard->done(0);
        });
        List()->GetStringGrid()->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    std::string Prices() const
    {
        // The unit, February's monthly price and its yearly last and lowest prices.
        return Sql("select UseUnit_Key || ' ' || (select group_concat(MHistoryPrice) from VktDB1L where MHistory_Key = "
                   "Data_ID and MHistoryDate like '2024-02%') || ' ' || (select group_concat(YHLastPrice || '/' || "
                   "YHMinPrice) from VktDB1M where YHistory_Key = Data_ID) from VktDB1F where Data_ID = " +
                   std::to_string(sirloin));
    }
    static constexpr int kGram = 5;
    static constexpr int kKilogram = 6;
    int sirloin = 0;
    TKernelEditPanel* kernel = nullptr;
    QComboBox* units = nullptr;
    bool wizardShown = false;
};

TEST_F(UseUnitRequestTest, TheRateConvertsMonthlyAndYearlyPricesAndWritesTheUnit)
{
    const std::string before = Prices();
    ChangeToKilogram([](TUseUnitChangeDialog* w) {
        w->GetBtnNext()->click();
        w->GetUnitRateEdit()->setText(QStringLiteral("1000"));
        w->GetBtnNext()->click();
    });
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(before, "5 12.5 12.5/12.5");
    EXPECT_EQ(Prices(), "6 12500.0 12500.0/12500.0");
}

TEST_F(UseUnitRequestTest, CancelRestoresTheOldUnitAndWritesNothing)
{
    const std::string before = Prices();
    Scripted().answers = {MsgAnswer::Yes};
    ChangeToKilogram([](TUseUnitChangeDialog* w) { w->GetBtnCancel()->click(); });
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(Prices(), before);
    EXPECT_EQ(units->currentData().toInt(), kGram);
}

TEST_F(UseUnitRequestTest, FocusReturningWhileTheWizardIsOpenDoesNotTakeTheNewUnit)
{
    const std::string before = Prices();
    Scripted().answers = {MsgAnswer::Yes};
    ChangeToKilogram([this](TUseUnitChangeDialog* w) {
        // The selector is entered again while the wizard is open (a window switch).
        QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(units, &in);
        QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
        QApplication::sendEvent(units, &out);
        w->GetBtnCancel()->click();
    });
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(Prices(), before);
    EXPECT_EQ(units->currentData().toInt(), kGram) << "the old unit is shown again";
    // A later edit of the selector still starts from the stored unit.
    ChangeToKilogram([](TUseUnitChangeDialog* w) { w->GetBtnNext()->click(); w->GetBtnNext()->click(); });
    EXPECT_TRUE(wizardShown);
    EXPECT_EQ(Prices().substr(0, 2), "6 ");
}

TEST_F(UseUnitRequestTest, ShiftConvertsAtOneWithoutTheWizard)
{
    const std::string before = Prices();
    Scripted().shift = true;
    ChangeToKilogram([](TUseUnitChangeDialog*) {});
    Scripted().shift = false;
    EXPECT_FALSE(wizardShown);
    EXPECT_EQ(Prices(), "6" + before.substr(1));
}

} // namespace

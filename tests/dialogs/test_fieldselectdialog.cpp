// The field select dialog on a new database: one fill, placement, the stored layout on every
// showing, the enable rules and its three closing buttons.
#include <gtest/gtest.h>

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "dialogs/Ffieldselectdialog.h"
#include "gui/Application.h"
#include "screens/Ffieldselector.h"
#include "support/ScriptedServices.h"
#include "widgets/Fstatelistview.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>

namespace {

using F = TVktField;

class FieldSelectDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        registry = std::make_unique<TVktApplication>();
        ASSERT_TRUE(registry->CreateDatabase("厨房", vkttest::NewTempFolder("fields")));
        object = registry->GetObject("厨房");
        object->AddRef();
    }
    void TearDown() override
    {
        FieldSelectDlg()->SetDataObject(nullptr);
        object->Release();
        registry.reset();
    }
    TStateListView* List() const { return FieldSelectDlg()->GetFieldSelector()->GetStateListView(); }
    // Selects the field's item and lets the idle handler enable the buttons.
    void Select(F field)
    {
        List()->GetListView()->setCurrentItem(List()->ItemOfId(ToInt(field)));
        platform::RunIdle();
    }
    // Shows the dialog; `act` runs inside it and must close it.
    void Show(std::function<void(TFieldSelectDialog*)> act)
    {
        QTimer::singleShot(0, [act] { act(FieldSelectDlg()); });
        ShowFieldSelectDlg(object);
    }

    std::unique_ptr<TVktApplication> registry;
    TVktObject* object = nullptr;
};

// Made once without a parent, the dialog is transient for the window it is opened over each time
// (the window system keeps it above the window it blocks).
TEST_F(FieldSelectDialogTest, TransientForTheWindowItIsOpenedOver)
{
    for (const char* title : {"一覧", "詳細"}) {
        QWidget window;
        window.setWindowTitle(QString::fromUtf8(title));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << title;
        QWindow* parent = nullptr;
        Show([&](TFieldSelectDialog* d) {
            parent = d->windowHandle()->transientParent();
            d->GetBtnCancel()->click();
        });
        EXPECT_EQ(parent, window.windowHandle()) << title;
    }
}

TEST_F(FieldSelectDialogTest, FilledOnceAndPlacedAtTheBottomRight)
{
    TFieldSelectDialog* dialog = FieldSelectDlg();
    EXPECT_EQ(dialog, FieldSelectDlg());
    EXPECT_EQ(List()->GetListView()->count(), ListFieldSet.Count());
    Show([](TFieldSelectDialog* d) {
        const QRect area = d->screen()->availableGeometry();
        const QRect frame = d->frameGeometry();
        EXPECT_EQ(area.right() - frame.right(), 10);
        EXPECT_EQ(area.bottom() - frame.bottom(), 10);
        d->GetBtnCancel()->click();
    });
    Show([](TFieldSelectDialog* d) { d->GetBtnCancel()->click(); });
    EXPECT_EQ(List()->GetListView()->count(), ListFieldSet.Count()) << "filled once";
}

TEST_F(FieldSelectDialogTest, EnableRulesFollowTheSelectionAndTheChoice)
{
    Show([this](TFieldSelectDialog* d) {
        List()->GetListView()->clearSelection();
        platform::RunIdle();
        for (QPushButton* b : {d->GetBtnVisible(), d->GetBtnAsnt(), d->GetBtnDsnt(), d->GetBtnInvisible(),
                               d->GetBtnUp(), d->GetBtnDown()})
            EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_FALSE(d->GetBtnSetting()->isEnabled()) << "the stored layout";
        Select(F::BuyPrice);
        platform::RunIdle();
        EXPECT_TRUE(d->GetBtnUp()->isEnabled());
        d->GetBtnDsnt()->click();
        platform::RunIdle();
        EXPECT_TRUE(d->GetBtnSetting()->isEnabled());
        d->GetBtnCancel()->click();
    });
    EXPECT_EQ(object->GetViewFields().GetName().IndexOf(ToInt(F::BuyPrice)), -1) << "キャンセル stores nothing";
    Show([this](TFieldSelectDialog* d) {
        EXPECT_EQ(List()->GetItemImage(List()->ItemOfId(ToInt(F::BuyPrice))), 0) << "the cancelled choice is gone";
        d->GetBtnCancel()->click();
    });
}

TEST_F(FieldSelectDialogTest, ApplyStoresAndOkAppliesAndCloses)
{
    const int before = object->GetViewFields().GetName().GetCount();
    Show([this, before](TFieldSelectDialog* d) {
        Select(F::BuyPrice);
        d->GetBtnAsnt()->click();
        platform::RunIdle();
        d->GetBtnSetting()->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(object->GetViewFields().GetName().GetCount(), before + 1);
        Select(F::Quantity);
        d->GetBtnVisible()->click();
        d->GetBtnUp()->click();
        d->GetBtnOk()->click();
    });
    const TViewFieldStruct stored = object->GetViewFields();
    ASSERT_EQ(stored.GetName().GetCount(), before + 2);
    EXPECT_EQ(stored.GetName().GetItem(before), ToInt(F::Quantity));
    EXPECT_EQ(stored.GetName().GetItem(before + 1), ToInt(F::BuyPrice));
    EXPECT_EQ(stored.GetOrder().GetItem(before + 1), 1);
    EXPECT_EQ(stored.GetWidth().GetItem(before), 100);
}

} // namespace

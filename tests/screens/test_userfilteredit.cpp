// The user-filter page on the sample database: names edited in place, the working copy saved,
// applied and reverted, fields edited through the condition dialog with the names of the ids
// they hold, and the navigators following the filter set by the identity of the chosen filter.
#include <gtest/gtest.h>

#include "database/Uvktobject.h"
#include "platform/DateTime.h"
#include "platform/StringList.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fdataview.h"
#include "screens/Ffilterbuilder.h"
#include "screens/Ffiltereditdialog.h"
#include "screens/Ffilterselector.h"
#include "screens/Fgridedit.h"
#include "screens/Fuserfilteredit.h"
#include "support/ScriptedServices.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <functional>
#include <string>

namespace {

using F = TVktField;
using platform::Variant;
using vkttest::SampleDatabase;

using vkttest::Ids;

void Queue(std::function<void(TFilterEditDialog*)> act)
{
    QTimer::singleShot(0, [act] { act(FilterEditDlg()); });
}

class UserFilterEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        auto* layout = new QVBoxLayout(&host);
        page = new TUserFilterEdit(&host);
        layout->addWidget(page);
        host.resize(620, 320);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        page->SetVktObject(&db.Object());
    }
    TFilterObjects& Set() const { return db.Object().GetFilterSet(); }
    TGridModel* Names() const { return page->GetFilterList()->GetModel(); }
    void ChooseField(F field)
    {
        TGridEdit* grid = page->GetFieldList();
        for (int row = 0; row < grid->GetModel()->GetRowCount(); ++row)
            if (grid->GetModel()->Row(row).ID == ToInt(field))
                grid->GetStringGrid()->setCurrentIndex(grid->GetModel()->index(row, 0));
    }
    void ChooseFilter(int row)
    {
        page->GetFilterList()->GetStringGrid()->setCurrentIndex(Names()->index(row, 0));
    }
    QLineEdit* OpenNameEditor()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // earlier editors
        QTableView* grid = page->GetFilterList()->GetStringGrid();
        grid->setFocus();
        grid->edit(grid->currentIndex());
        return grid->findChild<QLineEdit*>();
    }

    SampleDatabase db;
    QDialog host;
    TUserFilterEdit* page = nullptr;
};

TEST_F(UserFilterEditTest, ListsTheFiltersAndTheFilterableFields)
{
    ASSERT_EQ(Names()->GetRowCount(), 2);
    EXPECT_EQ(Names()->GetCell(0, 0), "高価な食材");
    EXPECT_EQ(Names()->Row(1).ID, 1);
    EXPECT_EQ(page->GetFilterIndex(), 0);
    EXPECT_EQ(page->GetFieldList()->GetModel()->GetRowCount(), FilterFields.Count());
    EXPECT_EQ(page->GetFieldList()->GetModel()->Row(0).ID, ToInt(F::Company));
    EXPECT_EQ(page->FieldText(F::BuyPrice), Set().Get(0).GetText(Set().Get(0).IndexOf(F::BuyPrice)));
    EXPECT_FALSE(page->FieldText(F::BuyPrice).empty());
    EXPECT_FALSE(page->IsModified());

    page->SetVktObject(nullptr);
    EXPECT_EQ(Names()->GetRowCount(), 1);
    EXPECT_EQ(Names()->Row(0).ID, 0) << "the placeholder row";
    EXPECT_FALSE(page->GetFilterList()->GetEditing());
    for (QPushButton* b : {page->GetBtnNew(), page->GetBtnUp(), page->GetBtnSetting(), page->GetBtnEdit()}) b->click();
    EXPECT_EQ(Set().GetCount(), 2) << "nothing happens unbound";
}

TEST_F(UserFilterEditTest, RenamingInPlaceEscRevertsAndSwitchingSavesSilently)
{
    QLineEdit* editor = OpenNameEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Top");
    EXPECT_EQ(page->GetWorkFilter().GetName(), "Top") << "each keystroke names the working copy";
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_TRUE(host.isVisible()) << "Esc is the page's, not the host's";
    EXPECT_EQ(page->GetWorkFilter().GetName(), "高価な食材");
    EXPECT_EQ(Names()->GetCell(0, 0), "高価な食材");

    editor = OpenNameEditor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Top 10");
    ChooseFilter(1);
    EXPECT_EQ(page->GetFilterIndex(), 1);
    EXPECT_EQ(Set().Get(0).GetName(), "Top 10") << "saved without asking";
    EXPECT_EQ(Names()->GetCell(0, 0), "Top 10");
}

TEST_F(UserFilterEditTest, FieldsAreEditedThroughTheDialogApplyAndRevertByKeysAndButtons)
{
    const int dealer = db.Object().AddDealer("築地の問屋");
    ASSERT_NE(dealer, 0);
    EXPECT_EQ(page->GetDealerNames()->GetString(page->GetDealerNames()->GetCount() - 1), "築地の問屋");

    ChooseField(F::Dealer_Key);
    Queue([dealer](TFilterEditDialog* d) {
        QComboBox* list = d->GetFilterBuilder()->GetListSelector();
        list->setCurrentIndex(list->findData(dealer));
        d->GetBtnOk()->click();
    });
    page->GetBtnEdit()->click();
    EXPECT_EQ(page->FieldText(F::Dealer_Key), "'築地の問屋' に一致する");
    EXPECT_TRUE(page->IsModified());
    QTest::keyClick(page->GetFieldList()->GetStringGrid(), Qt::Key_Escape);
    EXPECT_EQ(page->FieldText(F::Dealer_Key), "") << "Esc reverts";

    ChooseField(F::Quantity);
    Queue([](TFilterEditDialog* d) {
        TFilterBuilder* b = d->GetFilterBuilder();
        b->SetBeginCode(2);
        b->SetBeginValue(Variant(500.0));
        d->GetBtnOk()->click();
    });
    page->GetBtnEdit()->click();
    ASSERT_NE(page->GetWorkFilter().IndexOf(F::Quantity), -1);
    QTest::keyClick(page->GetFieldList()->GetStringGrid(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(page->IsModified());
    EXPECT_NE(Set().Get(0).IndexOf(F::Quantity), -1) << "Ctrl+Enter applies";

    page->GetBtnClear()->click();
    EXPECT_EQ(page->GetWorkFilter().IndexOf(F::Quantity), -1);
    page->GetBtnUndo()->click();
    EXPECT_NE(page->GetWorkFilter().IndexOf(F::Quantity), -1);
    page->GetBtnClear()->click();
    page->GetBtnSetting()->click();
    EXPECT_EQ(Set().Get(0).IndexOf(F::Quantity), -1);

    Queue([](TFilterEditDialog* d) { d->GetBtnCancel()->click(); });
    page->GetBtnEdit()->click();
    EXPECT_FALSE(page->IsModified()) << "a cancelled edit leaves the working copy";
}

TEST_F(UserFilterEditTest, NewUpAndDownApplyAPendingChangeFirst)
{
    page->SetFilterName("改名");
    page->GetBtnNew()->click();
    ASSERT_EQ(Set().GetCount(), 3);
    EXPECT_EQ(Set().Get(0).GetName(), "改名");
    EXPECT_EQ(Set().Get(2).GetName(), "新規ユーザーフィルター1");
    EXPECT_EQ(Names()->GetRowCount(), 3);
    EXPECT_EQ(page->GetFilterIndex(), 0) << "the current row stays";

    page->SetFilterName("改名2");
    page->GetBtnDown()->click();
    EXPECT_EQ(Set().Get(1).GetName(), "改名2");
    EXPECT_EQ(Set().Get(0).GetName(), "国産品");

    ChooseFilter(2);
    page->GetBtnDown()->click();   // the last row: nothing
    page->SetFilterName("最後");
    page->GetBtnUp()->click();
    EXPECT_EQ(Set().Get(1).GetName(), "最後");
    ChooseFilter(0);
    page->GetBtnUp()->click();     // the first row: nothing
    EXPECT_EQ(Set().Get(0).GetName(), "国産品");
}

TEST_F(UserFilterEditTest, UnitAndDealerRenamesReachTheConditionTexts)
{
    constexpr int kGram = 5;
    ChooseField(F::UseUnit_Key);
    Queue([](TFilterEditDialog* d) {
        QComboBox* list = d->GetFilterBuilder()->GetListSelector();
        list->setCurrentIndex(list->findData(kGram));
        d->GetBtnOk()->click();
    });
    page->GetBtnEdit()->click();
    ASSERT_NE(page->FieldText(F::UseUnit_Key), "");
    // Renamed on the master-data page: the unit table's own field.
    ASSERT_TRUE(db.Object().EditData(F::Units, Variant(std::string("グラム(g)")), Ids({kGram})));
    EXPECT_EQ(page->FieldText(F::UseUnit_Key), "'グラム(g)' に一致する");

    const int dealer = db.Object().AddDealer("築地の問屋");
    ASSERT_TRUE(db.Object().EditData(F::Company, Variant(std::string("豊洲の問屋")), Ids({dealer})));
    EXPECT_EQ(page->GetDealerNames()->GetString(page->GetDealerNames()->IndexOfObject(
                  reinterpret_cast<void*>(static_cast<std::intptr_t>(dealer)))),
              "豊洲の問屋");
}

// ===== With the navigator and the record list, wired as the main data panel wires them ==========

class UserFilterNavigatorTest : public UserFilterEditTest {
protected:
    void SetUp() override
    {
        UserFilterEditTest::SetUp();
        view.resize(600, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.SetVktObject(&db.Object());
        navigator.SetVktObject(&db.Object());
        navigator.OnChange = [this](TClassFilterBase*) {
            ++reports;
            view.SetFilter(navigator.BuildFilter());
        };
        view.SetFilter(navigator.BuildFilter());
    }
    int Listed(const std::string& name) { return view.RowOfID(db.Record(name)); }

    TClassFilterView navigator{nullptr};
    TDataView view{nullptr};
    int reports = 0;
};

TEST_F(UserFilterNavigatorTest, ANewFilterIsOfferedAndAnAppliedEditRefilters)
{
    page->GetBtnNew()->click();
    ChooseFilter(2);
    page->SetFilterName("和牛");
    TFilters name(F::Data);
    name.Add(foContains, std::string("和牛"), {});
    Queue([](TFilterEditDialog* d) {
        d->GetFilterBuilder()->GetEditString()->setText(QStringLiteral("和牛"));
        d->GetBtnOk()->click();
    });
    ChooseField(F::Data);
    page->GetBtnEdit()->click();
    page->Apply();

    navigator.SetSelection(SampleDatabase::kRoot, 0, {}, {}, 2);
    view.SetFilter(navigator.BuildFilter());
    EXPECT_GE(Listed("和牛サーロイン"), 0);
    EXPECT_EQ(Listed("玉ねぎ"), -1);
    EXPECT_GE(Listed("和牛のステーキ"), 0);

    Queue([](TFilterEditDialog* d) {
        d->GetFilterBuilder()->GetEditString()->setText(QStringLiteral("ステーキ"));
        d->GetBtnOk()->click();
    });
    page->GetBtnEdit()->click();
    reports = 0;
    page->Apply();
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(Listed("和牛サーロイン"), -1);
    EXPECT_GE(Listed("和牛のステーキ"), 0);
}

TEST_F(UserFilterNavigatorTest, TheChosenFilterIsKeptByIdentityAcrossMovesAndDeletion)
{
    navigator.SetSelection(SampleDatabase::kRoot, 0, {}, {}, SampleDatabase::kDomesticFilter);
    view.SetFilter(navigator.BuildFilter());
    const TFilterObject chosen = navigator.BuildFilter();
    reports = 0;

    ChooseFilter(1);
    page->GetBtnUp()->click();   // "国産品" becomes the first filter
    EXPECT_EQ(navigator.GetFilterSelector()->GetUserFilterIndex(), 0);
    EXPECT_TRUE(navigator.BuildFilter() == chosen);
    EXPECT_EQ(reports, 0) << "the same filter: no change";

    ASSERT_TRUE(db.Object().DeleteFilter(0));
    EXPECT_EQ(navigator.GetFilterSelector()->GetUserFilterIndex(), -1) << "deleted: none chosen";
    EXPECT_EQ(reports, 1);
    EXPECT_GE(Listed("真鯛"), 0) << "the list no longer filters";
}

} // namespace

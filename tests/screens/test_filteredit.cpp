// The condition dialog and its builder: panels and defaults per field type, the round trip of
// every operator a panel can show, ranges, and what OK refuses.
#include <gtest/gtest.h>

#include "platform/DateTime.h"
#include "platform/StringList.h"
#include "richtext/Exview.h"
#include "screens/Ffilterbuilder.h"
#include "screens/Ffiltereditdialog.h"
#include "support/ScriptedServices.h"
#include "widgets/Ueurocharbuilder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace {

using F = TVktField;
using platform::Variant;

// Runs `act` on the shown dialog from its event loop; `act` ends it (or the test fails by timeout).
void Queue(std::function<void(TFilterEditDialog*)> act)
{
    QTimer::singleShot(0, [act] { act(FilterEditDlg()); });
}

void PressOk() { Queue([](TFilterEditDialog* d) { d->GetBtnOk()->click(); }); }

TFilters One(F field, int op, Variant begin, Variant end = {})
{
    TFilters filters(field);
    filters.Add(static_cast<std::uint8_t>(op), begin, end);
    return filters;
}

platform::StringList Names()
{
    platform::StringList names;
    names.AddObject("グラム", reinterpret_cast<void*>(std::intptr_t{5}));
    names.AddObject("キログラム", reinterpret_cast<void*>(std::intptr_t{6}));
    return names;
}

const double kDay = platform::EncodeDate(2024, 3, 15);

class FilterEditTest : public ::testing::Test {
protected:
    void SetUp() override { vkttest::Scripted().Reset(); }
    TFilterEditDialog* dialog = FilterEditDlg();
    TFilterBuilder* builder = FilterEditDlg()->GetFilterBuilder();
};

TEST_F(FilterEditTest, EveryShowableOperatorComesBackUnchangedOnOk)
{
    struct Case {
        F field;
        int op;
        Variant begin;
        Variant end;
        int panel;
    };
    const platform::Currency yen = platform::Currency::FromInt(1200);
    const platform::Currency yen2 = platform::Currency::FromInt(5000);
    const Variant day = Variant::FromDateTime(kDay);
    const Variant day2 = Variant::FromDateTime(kDay + 10);
    std::vector<Case> cases = {
        {F::Data, 6, std::string("和牛"), {}, fpkString},
        {F::Data, 7, std::string("和牛"), {}, fpkString},
        {F::Data2, 6, std::string("Bœuf"), {}, fpkEuroString},
        {F::Data2, 7, std::string("Crème"), {}, fpkEuroString},
        {F::InvItem, 0, true, {}, fpkBool},
        {F::InvItem, 0, false, {}, fpkBool},
    };
    for (int op = 0; op <= 5; ++op) {
        const bool range = op >= 4;
        cases.push_back({F::Quantity, op, 2.5, range ? Variant(7.25) : Variant(), fpkFloat});
        cases.push_back({F::BuyPrice, op, yen, range ? Variant(yen2) : Variant(), fpkFloat});
        cases.push_back({F::MHistoryDate, op, day, range ? day2 : Variant(), fpkDate});
        cases.push_back({F::CreateDate, op, day, range ? day2 : Variant(), fpkDate});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(GetFieldName(c.field) + " operator " + std::to_string(c.op));
        const TFilters stored = One(c.field, c.op, c.begin, c.end);
        PressOk();
        ASSERT_TRUE(dialog->EditFilter(stored));
        EXPECT_EQ(builder->GetPanelKind(), c.panel);
        EXPECT_TRUE(dialog->GetResult() == stored) << dialog->GetResult().GetBegin(0).AsString();
    }
    const platform::StringList names = Names();
    for (F field : {F::UseUnit_Key, F::Dealer_Key, F::InvDate_Key})
        for (int op = 0; op <= 1; ++op) {
            const TFilters stored = One(field, op, 6);
            PressOk();
            ASSERT_TRUE(dialog->EditListFilter(stored, names));
            EXPECT_EQ(builder->GetPanelKind(), fpkList);
            EXPECT_TRUE(dialog->GetResult() == stored);
        }
}

TEST_F(FilterEditTest, NewConditionsOpenWithDefaultsAndFocus)
{
    platform::TDateTime today = platform::Today();
    Queue([&](TFilterEditDialog* d) {
        EXPECT_EQ(d->GetLabel()->text().toStdString(),
                  "項目 '" + GetFieldCaption(F::BuyPrice) + "' のフィルターに設定する条件");
        EXPECT_EQ(builder->GetCBBeginFloat()->currentText(), QStringLiteral("に一致する"));
        EXPECT_EQ(builder->GetEBeginFloat()->text(), QStringLiteral("0"));
        EXPECT_FALSE(builder->GetEEndFloat()->isEnabled());
        EXPECT_EQ(d->focusWidget(), builder->GetEBeginFloat());
        d->GetBtnCancel()->click();
    });
    EXPECT_FALSE(dialog->EditFilter(TFilters(F::BuyPrice)));

    Queue([&](TFilterEditDialog* d) {
        EXPECT_EQ(builder->GetCBBeginString()->currentText(), QStringLiteral("を含む"));
        EXPECT_EQ(builder->GetEditString()->text(), QString());
        d->GetBtnOk()->click();
    });
    EXPECT_FALSE(dialog->EditFilter(TFilters(F::Data))) << "an empty text leaves the filter";

    Queue([&](TFilterEditDialog* d) {
        EXPECT_EQ(builder->GetBeginDateTime()->date(), DayToQDate(today));
        EXPECT_EQ(builder->GetCBEndDate()->currentIndex(), -1);
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(TFilters(F::MHistoryDate)));
    EXPECT_EQ(dialog->GetResult().GetBegin(0).AsDateTime(), std::floor(today));

    Queue([&](TFilterEditDialog* d) {
        EXPECT_FALSE(builder->GetCBBool()->isChecked());
        builder->GetCBBool()->click();
        EXPECT_EQ(builder->GetCBBool()->text(), QStringLiteral("チェックあり"));
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(TFilters(F::InvItem)));
    EXPECT_TRUE(dialog->GetResult() == One(F::InvItem, 0, true));

    Queue([](TFilterEditDialog* d) { d->GetBtnOk()->click(); });
    EXPECT_FALSE(dialog->EditListFilter(TFilters(F::UseUnit_Key), Names())) << "no item chosen";
}

TEST_F(FilterEditTest, RangesEnableTheEndAndWriteTheChosenEndOperator)
{
    Queue([&](TFilterEditDialog* d) {
        EXPECT_EQ(builder->GetCBBeginFloat()->currentText(), QStringLiteral("から"));
        EXPECT_EQ(builder->GetCBEndFloat()->currentText(), QStringLiteral("までを含む"));
        EXPECT_TRUE(builder->GetEEndFloat()->isEnabled());
        builder->SetEndCode(5);
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(One(F::Quantity, 4, 1.5, 3.0)));
    EXPECT_TRUE(dialog->GetResult() == One(F::Quantity, 5, 1.5, 3.0));

    Queue([&](TFilterEditDialog* d) {
        builder->GetCBBeginFloat()->setCurrentIndex(builder->GetCBBeginFloat()->findData(2));
        EXPECT_FALSE(builder->GetEEndFloat()->isEnabled());
        EXPECT_FALSE(builder->GetCBEndFloat()->isEnabled());
        EXPECT_EQ(builder->GetEEndFloat()->text(), QString());
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(One(F::Quantity, 4, 1.5, 3.0)));
    EXPECT_TRUE(dialog->GetResult() == One(F::Quantity, 2, 1.5));
}

TEST_F(FilterEditTest, OkRefusesEqualBoundsAndTextsThatAreNoNumbers)
{
    Queue([&](TFilterEditDialog* d) {
        builder->GetEEndFloat()->setText(QStringLiteral("1.50"));
        d->GetBtnOk()->click();
        EXPECT_TRUE(d->isVisible()) << "equal bounds keep the dialog open";
        builder->GetEEndFloat()->setText(QStringLiteral("abc"));
        d->GetBtnOk()->click();
        EXPECT_TRUE(d->isVisible());
        ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
        EXPECT_EQ(vkttest::Scripted().messages[0].text, "数値を正しく入力してください。");
        EXPECT_EQ(vkttest::Scripted().messages[0].icon, platform::MsgIcon::Stop);
        builder->GetEEndFloat()->setText(QStringLiteral("2"));
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(One(F::Quantity, 4, 1.5, 3.0)));
    EXPECT_TRUE(dialog->GetResult() == One(F::Quantity, 4, 1.5, 2.0));

    // Equal days on a date range are equal bounds too.
    Queue([&](TFilterEditDialog* d) {
        builder->GetEndDateTime()->setDate(DayToQDate(kDay));
        d->GetBtnOk()->click();
        EXPECT_TRUE(d->isVisible());
        d->GetBtnCancel()->click();
    });
    EXPECT_FALSE(dialog->EditFilter(One(F::MHistoryDate, 4, Variant::FromDateTime(kDay), Variant::FromDateTime(kDay + 3))));
}

TEST_F(FilterEditTest, UnshowableOperatorsOpenEmptyAndOnlyTheFirstConditionIsEdited)
{
    struct Case {
        F field;
        int op;
    };
    for (const Case& c : {Case{F::Data, 0}, Case{F::Data, 9}, Case{F::Quantity, 6}, Case{F::MHistoryDate, 10},
                          Case{F::UseUnit_Key, 2}}) {
        Queue([&](TFilterEditDialog* d) {
            EXPECT_EQ(builder->GetBeginCode(), c.field == F::Data ? 4 : 0);
            d->GetBtnCancel()->click();
        });
        const TFilters stored = One(c.field, c.op, 5);
        const bool changed = c.field == F::UseUnit_Key ? dialog->EditListFilter(stored, Names()) : dialog->EditFilter(stored);
        EXPECT_FALSE(changed);
        EXPECT_TRUE(dialog->GetResult() == stored) << "キャンセル keeps it";
    }

    TFilters two = One(F::Data, 6, std::string("牛"));
    two.Add(7, std::string("豚"), {});
    Queue([&](TFilterEditDialog* d) {
        EXPECT_EQ(builder->GetEditString()->text(), QStringLiteral("牛"));
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(two));
    EXPECT_TRUE(dialog->GetResult() == One(F::Data, 6, std::string("牛")));
}

TEST_F(FilterEditTest, FrenchTextIsTypedWithTheComposer)
{
    Queue([&](TFilterEditDialog* d) {
        TExView* edit = builder->GetEditEuroString();
        EXPECT_TRUE(edit->GetEditOption() & EVOption(evoEuroText));
        EXPECT_FALSE(edit->testAttribute(Qt::WA_InputMethodEnabled));
        edit->SetText("");
        edit->GetEuroCharBuilder()->Euro(5, U'e');
        EXPECT_EQ(edit->GetText(), "œ");
        edit->SetText("Bœuf à la crème");
        d->GetBtnOk()->click();
    });
    ASSERT_TRUE(dialog->EditFilter(TFilters(F::Data2)));
    EXPECT_TRUE(dialog->GetResult() == One(F::Data2, 6, std::string("Bœuf à la crème")));
}

} // namespace

// The use-unit and yearly-history wizards: the rate's states and what Execute returns; the yearly
// wizard centred, the months with monthly history, the delete option's rule and question, yearly
// rows written and monthly rows removed, every control unusable while a fold runs (a click then
// is dropped), and a failed fold that keeps the page as it was.
#include "SetUpDialogFixture.h"
#include "dialogs/Fmhisttoyhistdialog.h"
#include "dialogs/Fuseunitchangedialog.h"
#include "platform/Currency.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <functional>
#include <string>

namespace {

using vkttest::SampleDatabase;
using platform::MsgAnswer;

constexpr int kGram = 5;
constexpr int kKilogram = 6;

class HistoryWizardTest : public SetUpDialogTest {
protected:
    void TearDown() override
    {
        UseUnitChangeDlg(nullptr);
        MHistToYHistDlg()->SetDataObject(nullptr);
        SetUpDialogTest::TearDown();
    }
};

TEST_F(HistoryWizardTest, TheRateEnablesExecuteOnlyWhenFiniteAndAboveZero)
{
    TUseUnitChangeDialog* wizard = UseUnitChangeDlg(object);
    double rate = -5;
    bool result = false;
    Inside<TUseUnitChangeDialog>(wizard, [](TUseUnitChangeDialog* w) {
        QPushButton* next = w->GetBtnNext();
        EXPECT_EQ(next, w->GetBtnOk());
        EXPECT_EQ(next->text(), QStringLiteral("進む &>>"));
        EXPECT_FALSE(w->GetBtnPrev()->isEnabled());
        EXPECT_EQ(w->GetOldUnitEdit()->text(), QStringLiteral("グラム"));
        EXPECT_EQ(w->GetNewUnitEdit()->text(), QStringLiteral("キログラム"));
        EXPECT_EQ(w->GetUnitRateEdit()->text(), QStringLiteral("1"));
        next->click();
        EXPECT_EQ(next->text(), QStringLiteral("実行"));
        EXPECT_TRUE(w->GetBtnPrev()->isEnabled());
        struct Case {
            const char* text;
            bool enabled;
            double rate;
        } const cases[] = {
            {"1000", true, 1000}, {"", false, 1.0},   {"abc", false, 1.0}, {"0", false, 1.0},
            {"-1", false, 1.0},   {"0.001", true, 0.001}, {"1e999", false, 1.0}, {"1000", true, 1000},
        };
        for (const Case& c : cases) {
            w->GetUnitRateEdit()->setText(QString::fromUtf8(c.text));
            EXPECT_EQ(next->isEnabled(), c.enabled) << c.text;
            EXPECT_EQ(w->GetRate(), c.rate) << c.text;
        }
        next->click();
    }, [&] { result = wizard->Execute(kGram, kKilogram, rate); });
    EXPECT_TRUE(result);
    EXPECT_EQ(rate, 1000);
}

TEST_F(HistoryWizardTest, CancellingTheUnitWizardAsksAndReturnsFalseWithRateOne)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    TUseUnitChangeDialog* wizard = UseUnitChangeDlg(object);
    double rate = 0;
    bool result = true;
    Inside<TUseUnitChangeDialog>(wizard, [&s](TUseUnitChangeDialog* w) {
        w->GetBtnNext()->click();
        w->GetUnitRateEdit()->setText(QStringLiteral("0"));
        w->GetBtnPrev()->click();
        EXPECT_TRUE(w->GetBtnNext()->isEnabled()) << "進む on the first page";
        w->GetBtnNext()->click();
        EXPECT_FALSE(w->GetBtnNext()->isEnabled()) << "実行 keeps the rate's state";
        w->GetUnitRateEdit()->setText(QStringLiteral("1000"));
        s.answers = {MsgAnswer::No, MsgAnswer::Yes};
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
        w->GetBtnCancel()->click();
        EXPECT_FALSE(w->isVisible());
    }, [&] { result = wizard->Execute(kGram, kKilogram, rate); });
    EXPECT_FALSE(result);
    EXPECT_EQ(rate, 1.0);
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[1].text, "ウィザードは完了していません。ウィザードを終了しますか？");
}

TEST_F(HistoryWizardTest, EachPageOpensWithTheFocusOnItsFirstInput)
{
    TUseUnitChangeDialog* wizard = UseUnitChangeDlg(object);
    double rate = 0;
    bool result = false;
    Inside<TUseUnitChangeDialog>(wizard, [](TUseUnitChangeDialog* w) {
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(w));
        EXPECT_EQ(QApplication::focusWidget(), w->GetBtnNext()) << "a page without inputs: 進む";
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        // The rate typed at once replaces the shown 1; Enter runs the wizard.
        EXPECT_EQ(QApplication::focusWidget(), w->GetUnitRateEdit());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1000"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }, [&] { result = wizard->Execute(kGram, kKilogram, rate); });
    EXPECT_TRUE(result);
    EXPECT_EQ(rate, 1000);
}

// A left click at the widget's centre, queued as the window system delivers a cook's click.
void QueueClick(QWidget* widget)
{
    QWindow* window = widget->window()->windowHandle();
    const QPointF at = widget->mapTo(widget->window(), QPointF(widget->rect().center()));
    const QPointF global = window->mapToGlobal(at);
    using Input = QWindowSystemInterface;
    Input::handleMouseEvent<Input::AsynchronousDelivery>(window, at, global, Qt::LeftButton, Qt::LeftButton,
                                                         QEvent::MouseButtonPress);
    Input::handleMouseEvent<Input::AsynchronousDelivery>(window, at, global, Qt::NoButton, Qt::LeftButton,
                                                         QEvent::MouseButtonRelease);
}

class YearlyHistoryTest : public HistoryWizardTest {
protected:
    void SetUp() override
    {
        HistoryWizardTest::SetUp();
        onion = sample->Record("玉ねぎ");
        using platform::Currency;
        ASSERT_TRUE(object->SetMHistoryPrice(onion, platform::EncodeDate(2024, 2, 10), Currency::FromDouble(200)));
        ASSERT_TRUE(object->SetMHistoryPrice(onion, platform::EncodeDate(2024, 2, 20), Currency::FromDouble(300)));
    }
    void Show(const std::function<void(TMHistToYHistDialog*)>& act)
    {
        Inside<TMHistToYHistDialog>(MHistToYHistDlg(), act, [this] { ShowMHistToYHistDlg(object); });
    }
    static void Choose(TMHistToYHistDialog* w, const char* month)
    {
        QComboBox* list = w->GetMHistDateList();
        const int index = list->findText(QString::fromUtf8(month));
        ASSERT_GE(index, 0) << month;
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    std::string Months(TMHistToYHistDialog* w) const
    {
        std::string s;
        for (int i = 0; i < w->GetMHistDateList()->count(); ++i)
            s += (s.empty() ? "" : ",") + w->GetMHistDateList()->itemText(i).toStdString();
        return s;
    }
    int onion = 0;
};

TEST_F(YearlyHistoryTest, OnlyMonthsBeforeTheCurrentOneCanBeDeletedAfterAQuestion)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    Show([&](TMHistToYHistDialog* w) {
        // Placed again once the window manager's frame is known.
        const QRect area = w->screen()->availableGeometry();
        const auto off = [&] { return (w->frameGeometry().center() - area.center()).manhattanLength(); };
        EXPECT_TRUE(QTest::qWaitFor([&] { return off() <= 1; }, 2000)) << "centred, " << off() << " px off";
        EXPECT_EQ(Months(w), "2024年4月,2024年2月");
        EXPECT_FALSE(w->GetBtnOk()->isVisible());
        w->GetBtnNext()->click();
        EXPECT_EQ(w->GetMHistDateList()->currentIndex(), -1);
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
        EXPECT_FALSE(w->GetCBDeleteMHist()->isEnabled());
        EXPECT_FALSE(w->GetBtnNext()->isEnabled());
        Choose(w, "2024年4月");
        EXPECT_TRUE(w->GetBtnCreate()->isEnabled());
        EXPECT_FALSE(w->GetCBDeleteMHist()->isEnabled()) << "the running month";
        Choose(w, "2024年2月");
        EXPECT_TRUE(w->GetCBDeleteMHist()->isEnabled());
        w->GetCBDeleteMHist()->setChecked(true);
        s.answers = {MsgAnswer::No};
        w->GetBtnCreate()->click();
        ASSERT_EQ(s.messages.size(), 1u);
        EXPECT_EQ(s.messages[0].text, "変換後月間履歴を削除してもよろしいですか？");
        EXPECT_EQ(s.messages[0].defaultButton, MsgAnswer::No);
        EXPECT_EQ(Sql("select count(*) from VktDB1M"), "0") << "No writes nothing";
        s.answers = {MsgAnswer::Yes};
        w->GetBtnCreate()->click();
        EXPECT_EQ(Months(w), "2024年4月");
        EXPECT_EQ(w->GetMHistDateList()->currentIndex(), -1);
        EXPECT_FALSE(w->GetCBDeleteMHist()->isEnabled());
        EXPECT_FALSE(w->GetCBDeleteMHist()->isChecked());
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
        EXPECT_FALSE(w->GetBtnCancel()->isEnabled());
        EXPECT_TRUE(w->GetBtnNext()->isEnabled());
        w->GetBtnNext()->click();
        EXPECT_FALSE(w->isVisible());
    });
    EXPECT_EQ(Sql("select YHistoryDate || ' ' || YHLastPrice || ' ' || YHMaxPrice || ' ' || YHAvePrice || ' ' || "
                  "YHMinPrice from VktDB1M where YHistory_Key = " +
                  std::to_string(onion)),
              "2024-02-29 300.0 300.0 250.0 200.0");
    EXPECT_EQ(Sql("select count(*) from VktDB1L where MHistoryDate like '2024-02%'"), "0");
}

TEST_F(YearlyHistoryTest, KeepingTheMonthlyRowsKeepsTheMonthListedAndShown)
{
    const int records = std::stoi(Sql("select count(*) from VktDB1F"));
    Show([records](TMHistToYHistDialog* w) {
        w->GetBtnNext()->click();
        Choose(w, "2024年2月");
        EXPECT_FALSE(w->GetProgressBar()->isVisible());
        // While the fold runs (seen at its first repaint), no control of the wizard is usable, and a
        // click on the grey 戻る then, held back by the window system, does nothing after the fold.
        std::string usable = "not run";
        QTimer::singleShot(0, w, [w, &usable] {
            usable.clear();
            for (QWidget* c : w->findChildren<QWidget*>())
                if (c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::ClickFocus))
                    usable += c->objectName().toStdString() + " ";
            QueueClick(w->GetBtnPrev());
        });
        w->GetBtnCreate()->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(usable, "");
        EXPECT_EQ(w->GetPages()->currentIndex(), 1) << "the click made during the fold went back";
        EXPECT_TRUE(w->GetBtnPrev()->isEnabled());
        EXPECT_TRUE(w->GetBtnHelp()->isEnabled());
        EXPECT_TRUE(w->GetMHistDateList()->isEnabled());
        EXPECT_EQ(w->GetMHistDateList()->count(), 2);
        EXPECT_EQ(w->GetMHistDateList()->currentText(), QStringLiteral("2024年2月"));
        // The bar went over every record.
        EXPECT_TRUE(w->GetProgressBar()->isVisible());
        EXPECT_EQ(w->GetProgressBar()->maximum(), records);
        EXPECT_EQ(w->GetProgressBar()->value(), records);
    });
    EXPECT_EQ(Sql("select count(*) from VktDB1L where MHistoryDate like '2024-02%'"), "2");
    EXPECT_EQ(Sql("select count(*) from VktDB1M where YHistory_Key = " + std::to_string(onion)), "1");
}

TEST_F(YearlyHistoryTest, AFailedFoldSaysSoAndKeepsThePage)
{
    vkttest::ScriptedServices& s = vkttest::Scripted();
    Show([&](TMHistToYHistDialog* w) {
        w->GetBtnNext()->click();
        Choose(w, "2024年2月");
        {
            platform::Connection db(platform::DatabaseFilePath(sample->Folder()));
            platform::Statement drop(db, "drop table VktDB1M");
            drop.Step();
        }
        w->GetBtnCreate()->click();
        ASSERT_EQ(s.messages.size(), 1u);
        EXPECT_EQ(s.messages[0].text, "年間履歴を作成できませんでした。");
        EXPECT_EQ(s.messages[0].icon, platform::MsgIcon::Stop);
        EXPECT_EQ(Months(w), "2024年4月,2024年2月");
        EXPECT_EQ(w->GetMHistDateList()->currentText(), QStringLiteral("2024年2月"));
        EXPECT_TRUE(w->GetBtnCreate()->isEnabled());
        EXPECT_TRUE(w->GetBtnCancel()->isEnabled());
        EXPECT_FALSE(w->GetBtnNext()->isEnabled());
    });
}

TEST_F(YearlyHistoryTest, WithoutMonthlyHistoryNothingCanBeConverted)
{
    SampleDatabase empty(false);
    Inside<TMHistToYHistDialog>(MHistToYHistDlg(), [](TMHistToYHistDialog* w) {
        w->GetBtnNext()->click();
        EXPECT_EQ(w->GetMHistDateList()->count(), 0);
        EXPECT_FALSE(w->GetBtnCreate()->isEnabled());
    }, [&] { ShowMHistToYHistDlg(&empty.Object()); });
    MHistToYHistDlg()->SetDataObject(nullptr);
}

} // namespace

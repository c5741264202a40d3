#include "platform/Errors.h"
#include "widgets/Fnumberedit.h"
#include "widgets/Fupdownedit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <climits>
#include <memory>
#include <string>

namespace {

TEST(NumberEditParse, KeepsDigitsALeadingSignAndOnePoint)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"12.5", 12.5}, {"12,5 mm", 125}, {"-3.2.1", -3.2}, {"+7", 7},  {"abc", 0},  {"-", 0},
        {"", 0},        {"1-2", 12},      {".5", 0.5},      {" -4", 4}, {"¥1,234", 1234},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(TNumberEdit::ParseText(c.text), c.value) << c.text;
}

TEST(NumberEditParse, ScaledValueComesFromTheDecimalDigitsExactly)
{
    const struct {
        const char* text;
        int scale;
        int value;
    } cases[] = {
        {"0.29", 100, 29},     {"1.15", 100, 115},   {"4.35", 100, 435},   {"12.345", 100, 1234},
        {"-0.29", 100, -29},   {"-12.345", 100, -1234}, {"7", 10, 70},      {"10.5", 10, 105},
        {"12.5", 1, 12},       {"99999999999", 100, INT_MAX}, {"-99999999999", 1, INT_MIN},
        {"0.000000000000000000000000000000001", 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TNumberEdit::ParseScaled(c.text, c.scale), c.value) << c.text;
}

class NumberEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 100);
        other = new QLineEdit(&window);
        other->move(0, 50);
    }
    void Show()
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
    }
    // Types the text into the field and leaves it.
    void TypeAndLeave(TNumberEdit& edit, const char* text)
    {
        edit.GetEdit()->setFocus();
        edit.GetEdit()->selectAll();
        QTest::keyClicks(edit.GetEdit(), text);
        other->setFocus();
    }
    std::string Text(const TNumberEdit& edit) { return edit.GetEdit()->text().toStdString(); }

    QWidget window;
    QLineEdit* other = nullptr;
    int changes = 0;
};

TEST_F(NumberEditTest, ShowsTheScaledNumberWithItsUnitOnlyWhenNotEdited)
{
    auto* edit = new TNumberEdit(&window);
    Show();
    edit->SetScale(100);
    edit->SetSuffix("mm");
    edit->SetValueQuiet(1250);
    EXPECT_EQ(Text(*edit), "12.5mm");
    edit->GetEdit()->setFocus();
    EXPECT_EQ(Text(*edit), "12.5");
    other->setFocus();
    EXPECT_EQ(Text(*edit), "12.5mm");
    edit->SetScale(10);
    EXPECT_EQ(Text(*edit), "125mm");
    EXPECT_THROW(
        {
            try {
                edit->SetScale(0);
            } catch (const platform::Error& e) {
                EXPECT_EQ(e.Message(), "0は指定できません");
                throw;
            }
        },
        platform::Error);
    EXPECT_EQ(edit->GetScale(), 10);
    EXPECT_EQ(Text(*edit), "125mm");
}

TEST_F(NumberEditTest, LeavingStoresTheTypedNumberAndReportsOnlyAChange)
{
    auto* edit = new TNumberEdit(&window);
    Show();
    edit->SetScale(10);
    edit->OnChange = [&](QObject*) { ++changes; };
    TypeAndLeave(*edit, "7");
    EXPECT_EQ(edit->GetValue(), 70);
    EXPECT_EQ(changes, 1);
    edit->GetEdit()->setFocus();
    other->setFocus();
    EXPECT_EQ(changes, 1);
    // Enter takes the number too, and does not swallow the key.
    edit->GetEdit()->setFocus();
    edit->GetEdit()->selectAll();
    QTest::keyClicks(edit->GetEdit(), "0.29");
    QTest::keyClick(edit->GetEdit(), Qt::Key_Return);
    EXPECT_EQ(edit->GetValue(), 2);
    EXPECT_EQ(changes, 2);
}

TEST_F(NumberEditTest, ACharacterTheNumberCannotTakeIsRefusedAndTheTextKept)
{
    auto* edit = new TUpDownEdit(&window);
    Show();
    edit->SetLimitType(1);
    edit->SetRange(1, 1000);
    edit->SetValueQuiet(12);
    QLineEdit* field = edit->GetEdit();
    field->setFocus();
    field->selectAll();
    // Over the whole selected text, at the end and in the middle: a space, a letter, a comma, a
    // full-width digit and a sign inside the number change nothing.
    for (const char* typed : {" ", "a", ",", "１"}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(typed));
        QCoreApplication::sendEvent(field, &press);
        EXPECT_EQ(Text(*edit), "12") << typed;
    }
    field->end(false);
    QTest::keyClick(field, Qt::Key_Space);
    field->setCursorPosition(1);
    QTest::keyClicks(field, "x-");
    EXPECT_EQ(Text(*edit), "12");
    // A second point adds nothing either; digits, one point and a leading sign are taken.
    field->end(false);
    QTest::keyClicks(field, ".5.");
    EXPECT_EQ(Text(*edit), "12.5");
    field->home(false);
    QTest::keyClicks(field, "+");
    EXPECT_EQ(Text(*edit), "+12.5");
    // Shortcuts still reach the field: Ctrl+A selects, a digit then replaces the text.
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, "3");
    EXPECT_EQ(Text(*edit), "3");
    // A composed text without a digit is refused as well.
    QInputMethodEvent composed;
    composed.setCommitString(QString::fromUtf8("　"));
    QCoreApplication::sendEvent(field, &composed);
    EXPECT_EQ(Text(*edit), "3");
    other->setFocus();
    EXPECT_EQ(edit->GetValue(), 3);
}

TEST(UpDownLimits, TableWithTheQuietRules)
{
    TUpDownEdit edit;
    const struct {
        int type, min, max, value;
        int loud, quiet;
    } cases[] = {
        {0, 10, 50, -5, -5, -5},  {1, 10, 50, 5, 10, 10},   {1, 10, 50, 60, 50, 50},  {2, 10, 50, 60, 50, 50},
        {3, 10, 50, 5, 10, 10},   {1, 10, 10, 5, 10, 5},    {1, 10, 10, -5, 10, 0},   {1, 10, 10, 99, 99, 99},
        {2, 10, 10, 99, 10, 0},   {2, 10, 10, -5, -5, -5},  {3, 10, 10, 99, 10, 10},  {3, 10, 10, -5, 10, 10},
    };
    for (const auto& c : cases) {
        edit.SetLimitType(c.type);
        edit.SetRange(c.min, c.max);
        edit.SetValue(c.value);
        EXPECT_EQ(edit.GetValue(), c.loud) << c.type << " " << c.min << " " << c.max << " " << c.value;
        edit.SetValueQuiet(c.value);
        EXPECT_EQ(edit.GetValue(), c.quiet) << c.type << " " << c.min << " " << c.max << " " << c.value;
    }
    // After SetLimitType both limits are 0.
    edit.SetLimitType(1);
    EXPECT_EQ(edit.GetMin(), 0);
    EXPECT_EQ(edit.GetMax(), 0);
    edit.SetValue(-3);
    EXPECT_EQ(edit.GetValue(), 0);
}

TEST_F(NumberEditTest, ArrowsStepByOneShownUnitWithinTheLimits)
{
    auto* edit = new TUpDownEdit(&window);
    Show();
    edit->SetScale(10);
    edit->SetLimitType(3);
    edit->SetRange(0, 50);
    edit->SetValueQuiet(45);
    edit->OnChange = [&](QObject*) { ++changes; };
    QWidget* arrows = edit->GetUpDown();
    const QPoint up(arrows->width() / 2, 2);
    QTest::mouseClick(arrows, Qt::LeftButton, {}, up);
    EXPECT_EQ(edit->GetValue(), 50);
    QTest::mouseClick(arrows, Qt::LeftButton, {}, up);
    EXPECT_EQ(edit->GetValue(), 50);
    EXPECT_EQ(changes, 2);   // each release reports
}

TEST_F(NumberEditTest, HoldingAnArrowRepeatsAndReportsOnceOnRelease)
{
    auto* edit = new TUpDownEdit(&window);
    Show();
    edit->SetValueQuiet(100);
    edit->OnChange = [&](QObject*) { ++changes; };
    QWidget* arrows = edit->GetUpDown();
    const QPoint down(arrows->width() / 2, arrows->height() - 2);
    QTest::mousePress(arrows, Qt::LeftButton, {}, down);
    EXPECT_EQ(edit->GetValue(), 99);
    EXPECT_TRUE(edit->GetButtonHeld());
    QTRY_VERIFY_WITH_TIMEOUT(edit->GetValue() <= 95, 2000);
    EXPECT_EQ(changes, 0);
    QTest::mouseRelease(arrows, Qt::LeftButton, {}, down);
    const int value = edit->GetValue();
    EXPECT_EQ(changes, 1);
    QTest::qWait(120);
    EXPECT_EQ(edit->GetValue(), value);   // the repeat stopped
}

} // namespace

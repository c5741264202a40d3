#include "widgets/Fscaleselecter.h"
#include "widgets/Fupdownedit.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <string>
#include <vector>

namespace {

class ScaleSelecterTest : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 100);
        selecter = new TScaleSelecter(&window);
        other = new QLineEdit(&window);
        other->move(0, 50);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        other->setFocus();
        selecter->SetScale(10000);
        selecter->OnChange = [this](QObject*) { ++changes; };
    }
    QAction* Item(const char* name) { return selecter->GetPopupMenu()->findChild<QAction*>(name); }
    QLineEdit* Field() { return selecter->GetEdit()->GetEdit(); }

    QWidget window;
    TScaleSelecter* selecter = nullptr;
    QLineEdit* other = nullptr;
    int changes = 0;
};

TEST_F(ScaleSelecterTest, MenuHoldsTheStepsWithTheirTags)
{
    std::vector<std::string> items;
    for (QAction* action : selecter->GetPopupMenu()->actions())
        items.push_back(action->isSeparator() ? "-" : action->text().toStdString() + "=" +
                                                          std::to_string(action->data().toInt()));
    EXPECT_EQ(items, (std::vector<std::string>{"全体表示=-1", "全幅表示=-2", "-", "1600%=160000", "800%=80000",
                                               "400%=40000", "200%=20000", "100%=10000", "75%=7500", "66%=6600",
                                               "50%=5000", "33%=3300", "25%=2500"}));
    EXPECT_EQ(Field()->text().toStdString(), "100%");
}

TEST_F(ScaleSelecterTest, ItemsSetTheScaleOrTheFitModes)
{
    Item("MI200")->trigger();
    EXPECT_EQ(selecter->GetScale(), 20000);
    EXPECT_EQ(selecter->GetScaleMode(), 0);
    EXPECT_EQ(changes, 1);
    Item("MIFullScale")->trigger();
    EXPECT_EQ(selecter->GetScaleMode(), 1);
    EXPECT_EQ(selecter->GetScale(), 20000);
    EXPECT_TRUE(Item("MIFullScale")->isChecked());
    Item("MIWidthScale")->trigger();
    EXPECT_EQ(selecter->GetScaleMode(), 2);
    EXPECT_FALSE(Item("MIFullScale")->isChecked());
    EXPECT_TRUE(Item("MIWidthScale")->isChecked());
    EXPECT_EQ(changes, 3);
    // A value change leaves the fit modes.
    Item("MI50")->trigger();
    EXPECT_EQ(selecter->GetScaleMode(), 0);
    EXPECT_FALSE(Item("MIWidthScale")->isChecked());
    EXPECT_EQ(changes, 4);
    // Programmatic changes report nothing.
    selecter->SetScaleMode(1);
    selecter->SetScale(7500);
    EXPECT_TRUE(Item("MIFullScale")->isChecked());
    EXPECT_EQ(changes, 4);
}

TEST_F(ScaleSelecterTest, TypedValuesStopAtTheLowerLimit)
{
    Field()->setFocus();
    Field()->selectAll();
    QTest::keyClicks(Field(), "5");
    other->setFocus();
    EXPECT_EQ(selecter->GetScale(), 1000);
    EXPECT_EQ(Field()->text().toStdString(), "10%");
    EXPECT_EQ(changes, 1);
}

TEST_F(ScaleSelecterTest, HeldKeyStepsAndReportsOnRelease)
{
    Field()->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::sendKeyEvent(QTest::Press, Field(), Qt::Key_Up, QString(), Qt::NoModifier);
    EXPECT_EQ(selecter->GetScale(), 10300);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(Field(), &repeatRelease);
    EXPECT_EQ(changes, 0);
    QTest::sendKeyEvent(QTest::Release, Field(), Qt::Key_Up, QString(), Qt::NoModifier);
    EXPECT_EQ(changes, 1);
    QTest::keyClick(Field(), Qt::Key_Down);
    EXPECT_EQ(selecter->GetScale(), 10200);
    EXPECT_EQ(changes, 2);
}

TEST_F(ScaleSelecterTest, PressAndMenuKeyOpenThePopup)
{
    QTest::mousePress(Field(), Qt::LeftButton);
    EXPECT_TRUE(selecter->GetPopupMenu()->isVisible());
    EXPECT_EQ(selecter->GetPopupMenu()->pos(), selecter->mapToGlobal(QPoint(0, selecter->height())));
    selecter->GetPopupMenu()->hide();
    QTest::mouseRelease(Field(), Qt::LeftButton);
    Field()->setFocus();
    const QString before = Field()->text();
    QTest::keyClick(Field(), Qt::Key_Menu);
    EXPECT_TRUE(selecter->GetPopupMenu()->isVisible());
    selecter->GetPopupMenu()->hide();
    EXPECT_EQ(Field()->text(), before);
}

} // namespace

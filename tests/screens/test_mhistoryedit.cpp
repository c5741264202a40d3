// The month editor with real keys and focus moves: which days may be edited, Esc, applying once
// for the row left, refused texts, and its place in the history chart panel.
#include <gtest/gtest.h>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fitemlistview.h"
#include "screens/Fmhistoryeditpanel.h"
#include "support/Keys.h"

#include <QApplication>
#include <QLineEdit>
#include <QLineSeries>
#include <QTest>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace {

using platform::Currency;
using platform::EncodeDate;

using vkttest::Key;
using vkttest::Type;

class MonthEditor : public testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFixedNow(EncodeDate(2024, 5, 20) + 0.4);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&panel);
        layout->addWidget(&other);
        window.resize(260, 600);
        panel.SetMonth(EncodeDate(2024, 5, 1));
        panel.SetPrice(Currency::FromInt(250), EncodeDate(2024, 5, 2));
        panel.SetPrice(Currency::FromDouble(262.5), EncodeDate(2024, 5, 19));
        panel.OnChange = [this](QObject*) {
            log.push_back(std::to_string(platform::DecodeDate(panel.GetDate()).day) + "=" +
                          panel.GetPrice(panel.GetDate()).ToText());
        };
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override { platform::SetClock({}); }

    QTableView* View() { return panel.GetStringGrid()->GetStringGrid(); }
    void Focus(int row, int col = 1)
    {
        View()->setFocus();
        View()->setCurrentIndex(View()->model()->index(row, col));
    }
    std::string Cell(int row) { return panel.GetStringGrid()->GetModel()->GetCell(1, row); }

    QWidget window;
    TMHistoryEditPanel panel{&window};
    QLineEdit other{&window};
    std::vector<std::string> log;
};

TEST_F(MonthEditor, OnlyPricesOfDaysBeforeTodayAreEditable)
{
    EXPECT_EQ(panel.GetStringGrid()->GetModel()->GetRowCount(), 31);
    EXPECT_EQ(panel.GetStringGrid()->GetModel()->GetCell(0, 18), "5月19日");
    struct Case { int row, col; bool editable; };
    const Case cases[] = {{18, 1, true}, {0, 1, true}, {19, 1, false}, {30, 1, false}, {18, 0, false}};
    for (const Case& c : cases) {
        const QModelIndex cell = View()->model()->index(c.row, c.col);
        EXPECT_EQ(View()->model()->flags(cell).testFlag(Qt::ItemIsEditable), c.editable) << c.row << "," << c.col;
    }
    // Typing on today's price changes nothing and does not jump to another row.
    Focus(19);
    Type("5");
    EXPECT_EQ(View()->currentIndex().row(), 19);
    EXPECT_FALSE(panel.GetStringGrid()->IsEditorShown());
    EXPECT_EQ(Cell(19), "");
    // The same month again keeps the prices.
    panel.SetMonth(EncodeDate(2024, 5, 1));
    EXPECT_EQ(panel.GetPrice(EncodeDate(2024, 5, 2)), Currency::FromInt(250));
    EXPECT_EQ(panel.GetPrice(EncodeDate(2024, 4, 2)), Currency());
}

TEST_F(MonthEditor, EscRestoresAndLeavingTheRowAppliesOnceForIt)
{
    Focus(18);
    Type("300");
    EXPECT_TRUE(panel.GetModified());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(panel.GetModified());
    EXPECT_EQ(Cell(18), "262.5");
    EXPECT_TRUE(log.empty());

    Focus(18);
    Type("300");
    Key(Qt::Key_Up);
    EXPECT_EQ(log, std::vector<std::string>{"19=300"});
    EXPECT_EQ(View()->currentIndex().row(), 17);
    EXPECT_EQ(panel.GetKeptText(), "300");
    // Leaving the grid after an unchanged visit applies nothing more.
    other.setFocus();
    EXPECT_EQ(log.size(), 1u);

    // Ctrl+Enter applies in place; leaving the grid applies the next change.
    Focus(1);
    Type("240");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(log.back(), "2=240");
    Type("5");
    other.setFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"19=300", "2=240", "2=2405"}));
}

TEST_F(MonthEditor, ARefusedPriceStaysOpenAndEscRestores)
{
    Focus(1);
    Type("1.2.3");
    Key(Qt::Key_Down);
    QTest::qWait(20);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(panel.GetModified());
    EXPECT_EQ(View()->currentIndex().row(), 1);
    ASSERT_TRUE(panel.GetStringGrid()->IsEditorShown());
    EXPECT_EQ(Cell(1), "1.2.3");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Cell(1), "250");
    EXPECT_FALSE(panel.GetModified());
    EXPECT_TRUE(log.empty());
}

TEST(MonthEditorInChart, TheChartPanelMakesItsEditorAndMovesTheEditedPoint)
{
    platform::SetFixedNow(EncodeDate(2024, 5, 20));
    THistoryChartPanel chart;
    auto* editor = dynamic_cast<TMHistoryEditPanel*>(chart.GetMonthEditor());
    ASSERT_NE(editor, nullptr);
    std::vector<std::string> writes;
    chart.OnMHistoryChange = [&](QObject*) {
        writes.push_back(std::to_string(platform::DecodeDate(editor->GetDate()).day) + "=" +
                         editor->GetPrice(editor->GetDate()).ToText());
    };
    chart.Clear();
    chart.AddMonthPoint(EncodeDate(2024, 5, 2), 250);
    chart.AddMonthPoint(EncodeDate(2024, 5, 9), 270);
    chart.AddMonthPoint(platform::Today(), 0);
    chart.ShowLastEntries();
    EXPECT_EQ(editor->GetPrice(EncodeDate(2024, 5, 9)), Currency::FromInt(270));

    QTableView* view = editor->GetStringGrid()->GetStringGrid();
    view->setCurrentIndex(view->model()->index(8, 1));
    editor->GetStringGrid()->GetModel()->SetCell(1, 8, "0");
    editor->Apply();
    EXPECT_EQ(writes, std::vector<std::string>{"9=0"});
    EXPECT_EQ(chart.GetMonthSeries()->count(), 1);
    platform::SetClock({});
}

} // namespace

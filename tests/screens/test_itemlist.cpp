// The recipe item list: cell values and their display, the edit rules, and the edit cycle with
// real keys and focus moves (applied for the row left, on leaving the grid, refused texts).
#include <gtest/gtest.h>

#include "platform/Currency.h"
#include "screens/Fitemlistview.h"
#include "support/Keys.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace {

using platform::Currency;

using vkttest::Key;
using vkttest::Type;

TEST(ItemValues, DigitsAndPointsOnly)
{
    struct Case { const char* text; bool ok; double value; };
    const Case cases[] = {{"-2", true, 2}, {"1,5", true, 15}, {"", true, 0}, {"0.25", true, 0.25},
                          {"¥1,280", true, 1280}, {"1.2.3", false, 0}, {".", false, 0}};
    for (const Case& c : cases) {
        double value = -1;
        EXPECT_EQ(TItemListView::CellValue(c.text, value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.ok ? c.value : 0) << c.text;
    }
}

class ItemList : public testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&list);
        layout->addWidget(&other);
        const char* captions[] = {"No", "分類", "材料名", "単位", "単価", "使用量", "使用価格"};
        for (int col = 0; col < 7; ++col) list.AddColumn(captions[col], 60, col < 4, true, 0);
        list.ClearRows();
        list.AddItem("1", "牛肉", 3, Currency::FromInt(2560), 0.2, Currency::FromInt(12800), "kg", "和牛サーロイン");
        list.AddItem("1", "野菜", 5, Currency::FromInt(75), 0.3, Currency::FromInt(250), "kg", "玉ねぎ");
        list.AddItem("2", "ソース", 7, Currency::FromInt(400), 0, Currency::FromInt(800), "L", "デミグラスソース");
        list.OnApply = [this](QObject*) {
            log.push_back(std::to_string(list.GetItemIndex()) + ":" + std::to_string(list.GetItemUse()).substr(0, 4) +
                          "/" + list.GetItemUsePrice().ToText());
        };
        window.resize(480, 200);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QTableView* View() { return list.GetStringGrid(); }
    void Focus(int row, int col)
    {
        View()->setFocus();
        View()->setCurrentIndex(View()->model()->index(row, col));
    }
    std::string Cell(int col, int row) { return list.GetModel()->GetCell(col, row); }

    QWidget window;
    TItemListView list{&window};
    QLineEdit other{&window};
    std::vector<std::string> log;
};

// The price of one gram under a yen reads as it is stored, not "¥0 × 150 = ¥53".
TEST_F(ItemList, APriceOfOneUnitKeepsItsDecimals)
{
    list.AddItem("1", "野菜", 5, Currency::FromText("52.785"), 150, Currency::FromText("0.3519"), "g", "玉ねぎ");
    EXPECT_EQ(list.CellText(TItemListView::ColPrice, 3), "¥0.3519");
    EXPECT_EQ(list.CellText(TItemListView::ColUse, 3), "150.00");
    EXPECT_EQ(list.CellText(TItemListView::ColUsePrice, 3), "¥53");
}

TEST_F(ItemList, RowsShowFormattedValuesAndOnlyUsesAreEditable)
{
    EXPECT_EQ(list.CellText(TItemListView::ColPrice, 0), "¥12,800");
    EXPECT_EQ(list.CellText(TItemListView::ColUse, 0), "0.20");
    EXPECT_EQ(list.CellText(TItemListView::ColUsePrice, 2), "¥400");
    EXPECT_EQ(list.GetIcon(1), 5);
    struct Case { int col, row; bool editable; };
    const Case cases[] = {{5, 0, true}, {6, 0, false}, {6, 2, true}, {4, 2, false}, {2, 1, false}};
    for (const Case& c : cases) {
        const QModelIndex cell = View()->model()->index(c.row, c.col);
        EXPECT_EQ(View()->model()->flags(cell).testFlag(Qt::ItemIsEditable), c.editable) << c.col << "," << c.row;
    }

    // A right click makes its cell current (the popup acts on it).
    Focus(0, 0);
    const QRect cell = View()->visualRect(View()->model()->index(2, 1));
    QTest::mouseClick(View()->viewport(), Qt::RightButton, {}, cell.center());
    EXPECT_EQ(View()->currentIndex().row(), 2);

    list.ClearRows();
    EXPECT_EQ(list.GetRowCount(), 0);
    EXPECT_EQ(View()->model()->rowCount(), 1);
    EXPECT_EQ(list.CellText(TItemListView::ColPrice, 0), "");
    EXPECT_FALSE(View()->model()->flags(View()->model()->index(0, 5)).testFlag(Qt::ItemIsEditable));

    // Rows added to the shown list reach the view, the first in place of the blank row.
    list.AddItem("1", "野菜", 5, Currency::FromInt(75), 0.3, Currency::FromInt(250), "kg", "玉ねぎ");
    EXPECT_EQ(View()->verticalHeader()->count(), 1);
    EXPECT_EQ(View()->model()->data(View()->model()->index(0, 2)).toString(), QStringLiteral("玉ねぎ"));
    list.AddItem("2", "ソース", 7, Currency::FromInt(400), 0, Currency::FromInt(800), "L", "デミグラスソース");
    EXPECT_EQ(View()->verticalHeader()->count(), 2);
    EXPECT_EQ(View()->model()->data(View()->model()->index(1, 3)).toString(), QStringLiteral("L"));
    EXPECT_EQ(list.GetIcon(1), 7);
}

TEST_F(ItemList, AUseIsAppliedForTheRowItWasTypedIn)
{
    Focus(0, 5);
    Type("-2");
    EXPECT_TRUE(list.GetModified());
    Key(Qt::Key_Down);
    EXPECT_EQ(log, std::vector<std::string>{"1:2.00/2560"});
    EXPECT_EQ(View()->currentIndex().row(), 1);
    EXPECT_EQ(Cell(5, 0), "-2");
    EXPECT_FALSE(list.GetModified());

    // Esc restores the text of entry and applies nothing.
    Type("9");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Cell(5, 1), "0.3");
    EXPECT_FALSE(list.GetModified());
    // Ctrl+Enter applies in place.
    Type("1,5");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(log.back(), "2:15.0/75");
    EXPECT_EQ(View()->currentIndex().row(), 1);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(ItemList, ATypedUseSurvivesFocusLeavingTheGrid)
{
    Focus(1, 5);
    Type("0.5");
    other.setFocus();
    EXPECT_EQ(log, std::vector<std::string>{"2:0.50/75"});
    EXPECT_EQ(Cell(5, 1), "0.5");
    // A use-price typed for the item without use.
    Focus(2, 6);
    Type("450");
    other.setFocus();
    EXPECT_EQ(log.back(), "3:0.00/450");
}

TEST_F(ItemList, AnUnreadableUseIsNeitherAppliedNorLost)
{
    for (const char* text : {"1.2.3", "."}) {
        Focus(0, 5);
        Type(text);
        Key(Qt::Key_Down);
        QTest::qWait(20);
        EXPECT_TRUE(log.empty()) << text;
        EXPECT_EQ(View()->currentIndex().row(), 0) << text;
        ASSERT_TRUE(list.IsEditorShown()) << text;
        EXPECT_EQ(Cell(5, 0), text);
        EXPECT_EQ(list.CellText(5, 0), text);
        // Ctrl+Enter refuses it too; Esc restores.
        Key(Qt::Key_Return, Qt::ControlModifier);
        EXPECT_TRUE(list.GetModified());
        Key(Qt::Key_Escape);
        EXPECT_EQ(Cell(5, 0), "0.2");
        EXPECT_FALSE(list.GetModified());
    }
    // Leaving the grid keeps it pending without writing.
    Focus(0, 5);
    Type("1.2.3");
    other.setFocus();
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(list.GetModified());
    list.CancelEdit();
    EXPECT_EQ(Cell(5, 0), "0.2");
}

TEST_F(ItemList, TypingAtOnceAfterAClickOnTheCurrentCellEditsThatCell)
{
    // Uses that start alike: a search by the typed digit would find another row.
    list.SetItems({{"1", "牛肉", 3, Currency::FromInt(100), 2, Currency::FromInt(50), "kg", "A-1"},
                   {"1", "野菜", 5, Currency::FromInt(100), 1.5, Currency::FromInt(50), "kg", "B-2"},
                   {"2", "ソース", 7, Currency::FromInt(100), 3, Currency::FromInt(50), "L", "C-3"}});
    for (const char* typed : {"24", "144.8"}) {
        Focus(2, TItemListView::ColUse);
        const QRect cell = View()->visualRect(View()->model()->index(2, TItemListView::ColUse));
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, {}, cell.center());
        Type(typed);
        Key(Qt::Key_Return);
        QApplication::processEvents();   // the editor commits on Enter by a queued call
        EXPECT_EQ(Cell(TItemListView::ColUse, 0), "2") << typed;
        EXPECT_EQ(Cell(TItemListView::ColUse, 1), "1.5") << typed;
        EXPECT_EQ(Cell(TItemListView::ColUse, 2), typed);
        ASSERT_FALSE(log.empty()) << typed;
        EXPECT_EQ(log.back().substr(0, 2), "3:") << typed;
        log.clear();
    }

    // A cell that may not be edited takes no typing and moves nowhere.
    Focus(2, TItemListView::ColName);
    Type("A");
    EXPECT_EQ(View()->currentIndex(), View()->model()->index(2, TItemListView::ColName));
    EXPECT_FALSE(list.IsEditorShown());
}

} // namespace

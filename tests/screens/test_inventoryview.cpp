// The stock-taking view on a sheet of the sample database: columns and rows, the empty sheet, the
// edit cycle of the remaining quantity with real keys and focus moves (what is written, when, and
// what is refused), the line total, the sort cycle and the notices (master renames patched by
// ingredient, purges reloading).
#include <gtest/gtest.h>

#include "data/Uvktaccesser.h"
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "screens/Fdataview.h"
#include "screens/Finventoryview.h"
#include "support/Keys.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace {

using F = TVktField;
using platform::Currency;
using platform::Variant;
using vkttest::SampleDatabase;

using vkttest::Ids;

using vkttest::Key;
using vkttest::Type;

TEST(InventoryLineTotal, FourDecimalFixedPointWithoutOverflow)
{
    struct Case { Currency price; double remained; Currency total; };
    const Case cases[] = {
        {Currency::FromInt(100), 1.23456, Currency::FromRaw(1234600)},   // 1.2346 × 100
        {Currency::FromInt(250), 0.5, Currency::FromInt(125)},
        {Currency::FromText("33.3333"), 3, Currency::FromText("99.9999")},
        {Currency::FromInt(100), 0.00004, Currency::FromRaw(0)},
        // 64 bits would overflow in the product of the raw values.
        {Currency::FromInt(90'000'000'000), 100, Currency::FromInt(9'000'000'000'000)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InventoryLineTotal(c.price, c.remained).ToText(), c.total.ToText()) << c.remained;
}

class StockTaking : public ::testing::Test {
protected:
    void SetUp() override
    {
        TVktObject& object = db.Object();
        for (const char* name : {"和牛サーロイン", "豚バラ肉", "玉ねぎ", "人参", "真鯛"}) ids << db.Record(name);
        ASSERT_TRUE(object.SetInventoryEntry(0, false, ids, platform::EncodeDate(2024, 5, 1), 0, nullptr));
        sheet = object.FindInvDate(platform::EncodeDate(2024, 5, 1));
        ASSERT_NE(sheet, 0);
        // Round stock prices, whatever the use prices of the sample.
        const double prices[] = {12800, 1980, 250, 180, 3600};
        for (int i = 0; i < ids.GetCount(); ++i)
            ASSERT_TRUE(object.EditData(F::InvPrice, Variant(prices[i]), Ids({ids.GetItem(i), sheet})));
        probe.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem changed) {
            if (field == F::Remained) writes.push_back(changed.GetCommaText());
        };
        object.GetEvents().Add(&probe);

        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(&view);
        layout->addWidget(&other);
        window.resize(760, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        view.SetVktObject(&object);
        view.SetFilter(SheetFilter(sheet));
    }
    void TearDown() override { probe.Detach(); }

    static TFilterObject SheetFilter(int invDate)
    {
        TFilterObject filter;
        filter.Add(F::Class_ID, foEqual, 1, {});
        filter.Add(F::InvDate_Key, foEqual, invDate, {});
        return filter;
    }
    TInvListView* List() const { return view.GetInvListView(); }
    QTableView* Grid() const { return List()->GetStringGrid(); }
    int Rows() const { return List()->GetModel()->GetRowCount(); }
    std::string Cell(int col, int row) const { return List()->GetModel()->GetCell(col, row); }
    int RowOf(const char* name) const { return view.RowOfID(db.Record(name)); }
    std::vector<std::string> Column(int col) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < Rows(); ++row) texts.push_back(Cell(col, row));
        return texts;
    }
    void Focus(int row, int col = TInvListView::ColRemained)
    {
        Grid()->setFocus();
        Grid()->setCurrentIndex(Grid()->model()->index(row, col));
    }
    // The stored remaining quantity of an ingredient on the sheet.
    double Stored(const char* name) const
    {
        TVktAccesser reader(&db.Object());
        reader.BeginUpdate();
        reader.SetTable(TVktTable::TblInventory);
        reader.SetFields(Ids({ToInt(F::Remained), ToInt(F::Data_ID)}));
        reader.SetOrder(Ids({0, 0}));
        TFilterObject filter = SheetFilter(sheet);
        filter.Add(F::Data_ID, foEqual, db.Record(name), {});
        reader.SetFilter(filter);
        reader.EndUpdate();
        if (reader.GetRowCount() != 1) return -1;
        reader.SetRowIndex(0);
        return reader.GetValue(F::Remained).AsDouble();
    }
    void ClickHeader(int section)
    {
        QHeaderView* header = List()->GetHeaderControl();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + 20, 8));
        QCoreApplication::processEvents();
    }

    SampleDatabase db;
    TPriorityItem ids;
    int sheet = 0;
    TVktObjEvent probe;
    std::vector<std::string> writes;
    QWidget window;
    TInventoryView view{&window};
    QLineEdit other{&window};
};

TEST_F(StockTaking, ListsTheSheetInTheStoredColumns)
{
    const F fields[] = {F::Class, F::Form, F::Data, F::InvUnit, F::InvPrice, F::Remained, F::InvTotalPrice};
    const TViewFieldStruct stored = db.Object().GetInvViewFields();
    ASSERT_EQ(List()->GetHeaders().GetCount(), 7);
    for (int col = 0; col < 7; ++col) {
        const F field = ToVktField(stored.GetName().GetItem(col));
        EXPECT_EQ(field, fields[col]) << col;
        EXPECT_EQ(List()->GetHeaders().Get(col).Caption, GetFieldCaption(fields[col]));
        EXPECT_EQ(List()->GetHeaders().Get(col).LeftAlign, col < 4) << col;
        EXPECT_EQ(List()->GetHeaderControl()->sectionSize(col), 100);
    }
    EXPECT_EQ(view.GetInvDateID(), sheet);
    ASSERT_EQ(Rows(), 5);
    const int beef = RowOf("和牛サーロイン");
    ASSERT_GE(beef, 0);
    EXPECT_EQ(Cell(TInvListView::ColClass, beef), "牛肉");
    EXPECT_EQ(Cell(TInvListView::ColData, beef), "和牛サーロイン");
    EXPECT_EQ(Cell(TInvListView::ColPrice, beef), "12800");
    EXPECT_EQ(List()->CellText(TInvListView::ColPrice, beef), "¥12,800");
    EXPECT_TRUE(Grid()->isEnabled());
    EXPECT_TRUE(Grid()->model()->flags(Grid()->model()->index(beef, 5)).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(Grid()->model()->flags(Grid()->model()->index(beef, 4)).testFlag(Qt::ItemIsEditable));

    // A sheet without entries: one blank row in a disabled grid.
    view.SetFilter(SheetFilter(db.OlderSheet() + db.NewerSheet() + sheet));
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Grid()->model()->rowCount(), 1);
    EXPECT_FALSE(Grid()->isEnabled());
    EXPECT_FALSE(Grid()->model()->flags(Grid()->model()->index(0, 5)).testFlag(Qt::ItemIsEditable));

    // A filter without a date: id 0, the rows of every sheet the filter lets through.
    TFilterObject all;
    all.Add(F::Class_ID, foEqual, 1, {});
    view.SetFilter(all);
    EXPECT_EQ(view.GetInvDateID(), 0);
    EXPECT_GE(Rows(), 5);

    // Hidden, the view keeps its filter.
    view.hide();
    view.SetFilter(SheetFilter(sheet));
    EXPECT_EQ(view.GetInvDateID(), 0);
}

TEST_F(StockTaking, RemainedIsWrittenWhenLeftAndEscWritesNothing)
{
    const int onion = RowOf("玉ねぎ");
    const int carrot = RowOf("人参");
    const std::string onionKey = std::to_string(db.Record("玉ねぎ")) + "," + std::to_string(sheet);

    // Esc restores the entry text.
    Focus(onion);
    Type("7");
    EXPECT_TRUE(List()->GetModified());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(List()->GetModified());
    EXPECT_EQ(Cell(5, onion), "0");
    EXPECT_TRUE(writes.empty());

    // Ctrl+Enter writes in place and updates the line total.
    Focus(onion);
    Type("1.23456");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(writes, std::vector<std::string>{onionKey});
    EXPECT_DOUBLE_EQ(Stored("玉ねぎ"), 1.23456);
    EXPECT_EQ(Cell(TInvListView::ColTotal, onion), "308.65");   // 250 × 1.2346
    EXPECT_EQ(Grid()->currentIndex().row(), onion);

    // Moving to another cell writes the row left.
    Focus(carrot);
    Type("2");
    Key(carrot == 0 ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(writes.size(), 2u);
    EXPECT_DOUBLE_EQ(Stored("人参"), 2);
    EXPECT_EQ(Cell(TInvListView::ColTotal, carrot), "360");

    // Leaving the grid writes too; an unchanged text writes nothing.
    Focus(onion);
    Type("3");
    other.setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(writes.size(), 3u);
    EXPECT_DOUBLE_EQ(Stored("玉ねぎ"), 3);
    Focus(carrot);
    Type("2");
    other.setFocus();
    EXPECT_EQ(writes.size(), 3u);
}

// A count the database does not store shows as stored again; the next one is written.
TEST_F(StockTaking, ACountTheDatabaseRefusesShowsTheStoredOneAgain)
{
    const int onion = RowOf("玉ねぎ");
    platform::Connection other(platform::DatabaseFilePath(db.Folder()));
    other.Execute("create trigger Refuse before update on " + GetTableFileName(TVktTable::TblInventory) +
                  " begin select raise(abort, 'disk full'); end");
    Focus(onion);
    Type("7");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_TRUE(writes.empty());
    EXPECT_DOUBLE_EQ(Stored("玉ねぎ"), 0);
    EXPECT_EQ(Cell(TInvListView::ColRemained, onion), "0");
    EXPECT_EQ(Cell(TInvListView::ColTotal, onion), "0");

    other.Execute("drop trigger Refuse");
    Focus(onion);
    Type("3");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Stored("玉ねぎ"), 3);
    EXPECT_EQ(Cell(TInvListView::ColRemained, onion), "3");
    EXPECT_EQ(Cell(TInvListView::ColTotal, onion), "750");
}

TEST_F(StockTaking, ATextThatIsNoNumberIsRefusedAndKeptInTheEditor)
{
    const int onion = RowOf("玉ねぎ");
    Focus(onion);
    Type("1a");
    Key(Qt::Key_Return, Qt::ControlModifier);
    QCoreApplication::processEvents();
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(Cell(5, onion), "0");
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text().toStdString(), "1a");
    EXPECT_EQ(Grid()->currentIndex().row(), onion);
    EXPECT_TRUE(List()->GetModified());
    Key(Qt::Key_Escape);
    EXPECT_FALSE(List()->GetModified());
    EXPECT_EQ(Cell(5, onion), "0");
    EXPECT_TRUE(writes.empty());
    EXPECT_DOUBLE_EQ(Stored("玉ねぎ"), 0);
}

TEST_F(StockTaking, HeaderClicksCycleTheSortAndReload)
{
    const int loads = view.GetQueryCount();
    ClickHeader(TInvListView::ColPrice);
    EXPECT_EQ(view.GetViewFields().GetOrder().GetItem(4), 1);
    EXPECT_EQ(List()->GetHeaders().Get(4).ImageIndex, 0);
    EXPECT_EQ(Column(TInvListView::ColPrice), (std::vector<std::string>{"180", "250", "1980", "3600", "12800"}));
    ClickHeader(TInvListView::ColPrice);
    EXPECT_EQ(Column(TInvListView::ColPrice), (std::vector<std::string>{"12800", "3600", "1980", "250", "180"}));
    ClickHeader(TInvListView::ColPrice);
    EXPECT_EQ(view.GetViewFields().GetOrder().GetItem(4), 0);
    EXPECT_EQ(List()->GetHeaders().Get(4).ImageIndex, -1);
    EXPECT_EQ(view.GetQueryCount(), loads + 3);
}

TEST_F(StockTaking, MasterRenamesPatchTheirIngredientsRowsUnderASort)
{
    ClickHeader(TInvListView::ColPrice);
    ClickHeader(TInvListView::ColPrice);   // descending: the grid's order is not the table's
    const int loads = view.GetQueryCount();
    ASSERT_TRUE(db.Object().EditData(F::Class, Variant("国産牛"), Ids({SampleDatabase::kBeef})));
    ASSERT_TRUE(db.Object().EditData(F::Class, Variant("根菜"), Ids({SampleDatabase::kVegetable})));
    EXPECT_EQ(view.GetQueryCount(), loads);
    EXPECT_EQ(view.GetPatchCount(), 2);
    const std::pair<const char*, const char*> expected[] = {
        {"和牛サーロイン", "国産牛"}, {"真鯛", "魚類"}, {"豚バラ肉", "豚肉"}, {"玉ねぎ", "根菜"}, {"人参", "根菜"}};
    for (const auto& [name, className] : expected)
        EXPECT_EQ(Cell(TInvListView::ColClass, RowOf(name)), className) << name;
    // A data field is not patched: the name shows at the next load.
    ASSERT_TRUE(db.Object().EditData(F::Data, Variant("新玉ねぎ"), Ids({db.Record("玉ねぎ")})));
    EXPECT_EQ(Cell(TInvListView::ColData, RowOf("新玉ねぎ")), "玉ねぎ");
}

TEST_F(StockTaking, PurgesAndRemovedEntriesReload)
{
    // A purge reloads (a purged record's entries must not stay listed and editable).
    const int loads = view.GetQueryCount();
    ASSERT_TRUE(db.Object().PurgeData(0, Ids({db.Record("牛ヒレ肉")}), nullptr));
    EXPECT_EQ(view.GetQueryCount(), loads + 1);
    ASSERT_TRUE(db.Object().DeleteInventoryEntry(sheet, 0, Ids({db.Record("真鯛")}), nullptr));
    EXPECT_EQ(Rows(), 4);
    EXPECT_EQ(view.RowOfID(db.Record("真鯛")), -1);
    // Other notices do not reload.
    ASSERT_TRUE(db.Object().EditData(F::BuyPrice, Variant(300.0), Ids({db.Record("人参")})));
    EXPECT_EQ(view.GetQueryCount(), loads + 2);
}

} // namespace

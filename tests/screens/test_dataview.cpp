// The record list on the sample database: columns, sorting, moving and saving columns, the filter,
// and every edit shown through the change notices (patched rows or one re-query).
#include <gtest/gtest.h>

#include "data/Uvktaccesser.h"
#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "screens/Fdataview.h"
#include "support/screens/SampleDatabase.h"
#include "support/Ids.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include <QTest>

#include <map>
#include <string>
#include <vector>

namespace {

using F = TVktField;
using platform::Variant;
using vkttest::SampleDatabase;

using vkttest::Ids;

TViewFieldStruct Layout(std::initializer_list<F> fields)
{
    TViewFieldStruct layout;
    for (F field : fields) {
        layout.GetName() << ToInt(field);
        layout.GetOrder() << 0;
        layout.GetWidth() << 90;
    }
    return layout;
}

class RecordList : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(700, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.SetVktObject(&db.Object());
    }

    TDataListView* List() const { return view.GetDataListView(); }
    int Rows() const { return List()->GetRows().GetCount(); }
    std::string Cell(int col, int row) const { return List()->CellText(col, row); }
    // Texts of one column in row order.
    std::vector<std::string> Column(int col) const
    {
        std::vector<std::string> texts;
        for (int row = 0; row < Rows(); ++row) texts.push_back(Cell(col, row));
        return texts;
    }
    // The text of a column in the row of a record.
    std::string Shown(const std::string& record, int col) const
    {
        const int row = view.RowOfID(db.Record(record));
        return row < 0 ? "<absent>" : Cell(col, row);
    }
    void ClickHeader(int section)
    {
        QHeaderView* header = List()->GetHeaderControl();
        const QPoint at(header->sectionViewportPosition(section) + 20, 8);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }

    SampleDatabase db;
    TDataView view{nullptr};
};

TEST_F(RecordList, ShowsTheStoredColumnsAndTheSelectedRecords)
{
    const TViewFieldStruct stored = db.Object().GetViewFields();
    ASSERT_EQ(stored.GetName().GetCount(), 5);
    QHeaderView* header = List()->GetHeaderControl();
    ASSERT_EQ(header->count(), 5);
    for (int i = 0; i < 5; ++i) {
        const F field = ToVktField(stored.GetName().GetItem(i));
        EXPECT_EQ(List()->GetModel()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(),
                  GetFieldCaption(field));
        EXPECT_EQ(List()->GetHeaders().Get(i).LeftAlign, !NumericFields.Contains(field));
        EXPECT_EQ(header->sectionSize(i), 100);
    }
    // Ten ingredients, two recipes and a menu; one ingredient in the trash and one kept.
    EXPECT_EQ(Rows(), 11);
    EXPECT_EQ(view.RowOfID(db.Record("牛ヒレ肉")), -1);
    EXPECT_EQ(view.RowOfID(db.Record("生クリーム")), -1);
    EXPECT_EQ(Shown("和牛サーロイン", 2), "和牛サーロイン");
    EXPECT_EQ(Shown("和牛サーロイン", 0), "牛肉");
}

// With the focus the list frames its current row (the first when the focus comes by keys); without
// the focus, no row is framed.
TEST_F(RecordList, TheFocusedListFramesItsCurrentRow)
{
    QApplication::setActiveWindow(&view);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    QTableView* grid = List()->GetStringGrid();
    grid->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(grid->currentIndex().row(), 0);
    QTest::keyClick(grid, Qt::Key_Down);
    ASSERT_EQ(grid->currentIndex().row(), 1);
    // The frame's dots down the row's left edge.
    const auto dots = [&](int row) {
        const QImage image = grid->viewport()->grab().toImage();
        const QColor text = List()->palette().color(QPalette::Text);
        const int top = grid->rowViewportPosition(row);
        int count = 0;
        for (int y = top; y < top + grid->rowHeight(row) - 1; ++y) count += image.pixelColor(1, y) == text;
        return count;
    };
    EXPECT_GT(dots(1), 3);
    EXPECT_EQ(dots(0), 0);
    grid->clearFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(dots(1), 0);
}

TEST_F(RecordList, TheStateIconFollowsKeptAndStockTakingAndItsEdits)
{
    auto state = [this](const char* record) {
        int stateImage = -1;
        int classImage = -1;
        List()->OnRowImages(List(), 0, stateImage, classImage, view.RowOfID(db.Record(record)));
        EXPECT_GE(classImage, 0) << record;
        return stateImage;
    };
    // New ingredients are stock-taking items; the sample unticks fresh vegetables and herbs.
    const std::pair<const char*, int> live[] = {
        {"和牛サーロイン", 0}, {"玉ねぎ", 0}, {"人参", -1}, {"バジル", -1}, {"和牛のステーキ", -1}};
    for (const auto& [record, expected] : live) EXPECT_EQ(state(record), expected) << record;
    // An edit of the flag shows at once.
    ASSERT_TRUE(db.Object().EditData(F::InvItem, Variant(false), Ids({db.Record("和牛サーロイン")})));
    EXPECT_EQ(state("和牛サーロイン"), -1);
    ASSERT_TRUE(db.Object().EditData(F::InvItem, Variant(true), Ids({db.Record("人参")})));
    EXPECT_EQ(state("人参"), 0);

    // The trash lists the erased record (still counted) and the kept one.
    TFilterObject trash;
    trash.Add(F::Erase_Key, foIsNotEmpty, {}, {});
    view.SetFilter(trash);
    EXPECT_EQ(state("牛ヒレ肉"), 0);
    EXPECT_EQ(state("生クリーム"), 1);
}

TEST_F(RecordList, ThreeHeaderClicksCycleTheSortRequeryingEachTime)
{
    const std::vector<std::string> unsorted = Column(2);
    std::vector<std::string> ascending = unsorted;
    std::sort(ascending.begin(), ascending.end());
    const std::vector<std::string> descending(ascending.rbegin(), ascending.rend());
    const std::vector<std::vector<std::string>> expected = {ascending, descending, unsorted};
    for (int click = 0; click < 3; ++click) {
        const int queries = view.GetQueryCount();
        ClickHeader(2);
        EXPECT_EQ(view.GetQueryCount(), queries + 1);
        EXPECT_EQ(view.GetViewFields().GetOrder().GetItem(2), (click + 1) % 3);
        EXPECT_EQ(List()->GetHeaders().Get(2).ImageIndex, (click + 1) % 3 - 1);
        EXPECT_EQ(Column(2), expected[click]) << "click " << click + 1;
        // Saved on the header's mouse release.
        EXPECT_EQ(db.Object().GetViewFields().GetOrder().GetItem(2), (click + 1) % 3);
    }
}

TEST_F(RecordList, AMovedColumnCarriesFieldSortAndWidthAndReadsBackAfterReopening)
{
    ClickHeader(3);
    List()->GetHeaderControl()->resizeSection(3, 140);
    view.HeaderMouseUp();
    const TViewFieldStruct before = view.GetViewFields();
    List()->GetHeaderControl()->moveSection(3, 0);
    const TViewFieldStruct after = db.Object().GetViewFields();
    EXPECT_EQ(after.GetName().GetItem(0), before.GetName().GetItem(3));
    EXPECT_EQ(after.GetOrder().GetItem(0), 1);
    EXPECT_EQ(after.GetWidth().GetItem(0), 140);
    EXPECT_EQ(after.GetName().GetItem(1), before.GetName().GetItem(0));
    // The columns follow through the notice, in logical order.
    EXPECT_EQ(view.GetViewFields().GetName(), after.GetName());
    EXPECT_EQ(List()->GetHeaderControl()->logicalIndex(0), 0);
    EXPECT_EQ(List()->GetHeaderControl()->sectionSize(0), 140);

    view.SetVktObject(nullptr);
    db.Object().Release();
    ASSERT_EQ(db.Object().GetOpenCount(), 0);
    db.Object().AddRef();
    EXPECT_FALSE(db.Object().GetViewFields() != after);
}

TEST_F(RecordList, SetFilterWhileHiddenKeepsTheOldFilter)
{
    TFilterObject pork;
    pork.Add(F::Class_ID, foEqual, SampleDatabase::kPork, {});
    pork.Add(F::Erase_Key, foIsEmpty, {}, {});
    view.hide();
    view.SetFilter(pork);
    EXPECT_FALSE(view.GetFilter() != DefaultSelectionFilter());
    EXPECT_EQ(Rows(), 11);
    view.show();
    view.SetFilter(pork);
    EXPECT_EQ(Rows(), 1);
    EXPECT_EQ(Shown("豚バラ肉", 2), "豚バラ肉");
}

// The list of a new selection shows from its top; a refresh of the same selection (a record added,
// the same filter handed in again) keeps the rows where they were.
TEST_F(RecordList, ANewSelectionShowsFromTheTopAndARefreshKeepsTheOffset)
{
    db.AddIngredients(SampleDatabase::kVegetable, 60);
    db.AddIngredients(SampleDatabase::kHerb, 60);
    const auto classFilter = [](int classId) {
        TFilterObject filter;
        filter.Add(F::Class_ID, foEqual, classId, {});
        filter.Add(F::Erase_Key, foIsEmpty, {}, {});
        return filter;
    };
    view.resize(700, 200);
    QTableView* grid = List()->GetStringGrid();
    const auto topRow = [grid] {
        QCoreApplication::processEvents();
        return grid->rowAt(0);
    };
    view.SetFilter(classFilter(SampleDatabase::kVegetable));
    ASSERT_GE(Rows(), 60);
    grid->scrollTo(grid->model()->index(45, 0), QAbstractItemView::PositionAtTop);
    ASSERT_EQ(topRow(), 45);

    view.SetFilter(classFilter(SampleDatabase::kHerb));
    ASSERT_GE(Rows(), 60);
    EXPECT_EQ(topRow(), 0);

    grid->scrollTo(grid->model()->index(35, 0), QAbstractItemView::PositionAtTop);
    view.SetFilter(classFilter(SampleDatabase::kHerb));
    EXPECT_EQ(topRow(), 35);
    db.AddIngredients(SampleDatabase::kHerb, 1);
    EXPECT_EQ(Rows(), 62);
    EXPECT_EQ(topRow(), 35);
}

class RecordListNotices : public RecordList {
protected:
    void SetUp() override
    {
        RecordList::SetUp();
        db.Object().SaveViewFields(Layout({F::Data, F::BuyPrice, F::UsePrice, F::SalePrice, F::CostRate,
                                           F::TotalPrice, F::UseUnit, F::BuyUnit, F::Class}));
        queries = view.GetQueryCount();
        patches = view.GetPatchCount();
        patched = view.GetPatchedRowCount();
    }
    int NewQueries() const { return view.GetQueryCount() - queries; }
    int NewPatches() const { return view.GetPatchCount() - patches; }
    int NewPatchedRows() const { return view.GetPatchedRowCount() - patched; }
    // The cell texts of every row but one record's, to see that nothing else moved.
    std::map<int, std::vector<std::string>> Others(int except) const
    {
        std::map<int, std::vector<std::string>> rows;
        for (int row = 0; row < Rows(); ++row) {
            const int id = List()->GetRows().GetID(row);
            if (id == except) continue;
            for (int col = 0; col < 9; ++col) rows[id].push_back(Cell(col, row));
        }
        return rows;
    }

    int queries = 0;
    int patches = 0;
    int patched = 0;
};

TEST_F(RecordListNotices, AFieldEditPatchesExactlyTheNamedRows)
{
    const int steak = db.Record("和牛のステーキ");
    const int onion = db.Record("玉ねぎ");
    const auto others = Others(steak);
    const std::string costRate = Shown("和牛のステーキ", 4);
    ASSERT_TRUE(db.Object().EditData(F::SalePrice, Variant(9600.0), Ids({steak})));
    EXPECT_EQ(NewQueries(), 0);
    EXPECT_EQ(NewPatches(), 1);
    EXPECT_EQ(NewPatchedRows(), 1);
    EXPECT_EQ(Shown("和牛のステーキ", 3), "¥9,600");
    EXPECT_NE(Shown("和牛のステーキ", 4), costRate);
    EXPECT_EQ(Others(steak), others);

    // A buy price re-reads the use price too; a record that is not listed stays absent.
    const std::string usePrice = Shown("玉ねぎ", 2);
    ASSERT_TRUE(db.Object().EditData(F::BuyPrice, Variant(500.0), Ids({onion})));
    EXPECT_EQ(Shown("玉ねぎ", 1), "¥500");
    EXPECT_NE(Shown("玉ねぎ", 2), usePrice);
    ASSERT_TRUE(db.Object().EditData(F::BuyPrice, Variant(500.0), Ids({db.Record("牛ヒレ肉")})));
    EXPECT_EQ(view.RowOfID(db.Record("牛ヒレ肉")), -1);
    EXPECT_EQ(NewQueries(), 0);
    EXPECT_EQ(NewPatchedRows(), 2);
}

TEST_F(RecordListNotices, RecipeItemChangesRereadTheRecipePrice)
{
    const int steak = db.Record("和牛のステーキ");
    const std::string total = Shown("和牛のステーキ", 5);
    // {recipe, item position}: the position is no record.
    ASSERT_TRUE(db.Object().EditData(F::ItemUse, Variant(3.0), Ids({steak, 1})));
    EXPECT_EQ(NewQueries(), 0);
    EXPECT_EQ(NewPatchedRows(), 1);
    EXPECT_NE(Shown("和牛のステーキ", 5), total);

    // Deleting an item re-reads the recipe's row (and only it).
    ASSERT_TRUE(db.Object().DeleteRecipeItem(steak, 1));
    EXPECT_EQ(NewPatchedRows(), 2);
    EXPECT_EQ(NewQueries(), 0);
}

TEST_F(RecordListNotices, AUnitRenameRereadsEveryColumnShowingIt)
{
    // The onion's own use unit (record readers have no key to locate by: filter the one record).
    TVDBKernel onion(&db.Object());
    TFilterObject only;
    only.Add(F::Data_ID, foEqual, Variant(db.Record("玉ねぎ")), {});
    onion.SetFilter(only);
    onion.Refresh();
    ASSERT_EQ(onion.GetRowCount(), 1);
    onion.SetRowIndex(0);
    const int unit = onion.GetUseUnitKey();
    EXPECT_EQ(Shown("玉ねぎ", 6), "個");
    ASSERT_TRUE(db.Object().EditData(F::BuyUnit_Key, Variant(unit), Ids({db.Record("玉ねぎ")})));
    ASSERT_TRUE(db.Object().EditData(F::Units, Variant(std::string("玉")), Ids({unit})));
    EXPECT_EQ(Shown("玉ねぎ", 6), "玉");
    EXPECT_EQ(Shown("玉ねぎ", 7), "玉");
    EXPECT_EQ(NewQueries(), 0);
}

TEST_F(RecordListNotices, StructuralChangesRequeryOnce)
{
    struct Case {
        const char* what;
        std::function<void()> act;
        int queries;
    };
    const int potato = db.Record("じゃがいも");
    const int fillet = db.Record("牛ヒレ肉");
    const Case cases[] = {
        {"new ingredient", [&] { db.Object().AddNewData(SampleDatabase::kVegetable, "長ねぎ"); }, 1},
        {"new class", [&] { db.Object().AddClass(SampleDatabase::kVegetable, "葉物"); }, 0},
        {"stock-taking entry",
         [&] { db.Object().SetInventoryEntries(db.NewerSheet(), 0, Ids({db.Record("人参")}), nullptr); }, 0},
        {"to the trash", [&] { db.Object().EraseData(0, Ids({potato}), nullptr); }, 1},
        {"restored", [&] { db.Object().RestoreData(0, Ids({fillet}), nullptr); }, 1},
        {"purged", [&] { db.Object().PurgeData(0, Ids({fillet}), nullptr); }, 1},
        {"attributes", [&] {
             db.Object().SetDataAttributes(0, Ids({db.Record("人参")}), Ids({db.Frozen()}), Ids({2}), nullptr);
         }, 1},
    };
    for (const Case& c : cases) {
        const int before = view.GetQueryCount();
        c.act();
        EXPECT_EQ(view.GetQueryCount() - before, c.queries) << c.what;
    }
    EXPECT_EQ(view.RowOfID(potato), -1);
    EXPECT_GE(view.RowOfID(db.Record("長ねぎ")), 0);
}

TEST_F(RecordListNotices, ALargeClassChangeRequeriesOnceInsteadOfPatching)
{
    const TPriorityItem ids = db.AddIngredients(SampleDatabase::kBeef, 2000);
    ASSERT_EQ(ids.GetCount(), 2000);
    const int before = view.GetQueryCount();
    const int patchesBefore = view.GetPatchCount();
    ASSERT_TRUE(db.Object().ChangeDataClass(SampleDatabase::kPork, 0, ids, nullptr));
    EXPECT_EQ(view.GetQueryCount() - before, 1);
    EXPECT_EQ(view.GetPatchCount(), patchesBefore);
    EXPECT_EQ(Cell(8, view.RowOfID(ids.GetItem(1999))), "豚肉");
    EXPECT_EQ(Cell(8, view.RowOfID(ids.GetItem(0))), "豚肉");
}

} // namespace

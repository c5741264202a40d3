#include "core/Ugrid.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

// Counts constructions and destructions; a second destruction of one object is reported.
struct Census {
    int made = 0;
    int freed = 0;
    std::set<int> alive;
};

class Counted : public TObject {
public:
    Counted(Census& census, int id) : census_(census), id_(id)
    {
        ++census_.made;
        census_.alive.insert(id);
    }
    ~Counted() override
    {
        ++census_.freed;
        EXPECT_EQ(census_.alive.erase(id_), 1u) << "object " << id_ << " freed twice";
    }
    int Id() const { return id_; }

private:
    Census& census_;
    int id_;
};

// "text text|text text" by rows.
std::string Dump(TGrid& grid)
{
    std::string out;
    for (int r = 0; r < grid.GetRowCount(); ++r) {
        if (r)
            out += '|';
        for (int c = 0; c < grid.GetColCount(); ++c) {
            if (c)
                out += ' ';
            out += grid.GetCells(c, r);
        }
    }
    return out;
}

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        grid.OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, &grid);
            ++changes;
        };
    }
    void Fill(int cols, int rows)
    {
        grid.BeginUpdate();
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                grid.SetCells(c, r, std::string(1, static_cast<char>('a' + c)) + std::to_string(r));
        grid.EndUpdate();
        changes = 0;
    }

    TGrid grid;
    int changes = 0;
};

TEST_F(GridTest, ReadingBeyondGrowsOnce)
{
    EXPECT_EQ(grid.GetCells(2, 4), "");
    EXPECT_EQ(grid.GetColCount(), 3);
    EXPECT_EQ(grid.GetRowCount(), 5);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(grid.GetObjects(1, 1), nullptr);
    EXPECT_EQ(grid.GetCells(0, 4), "");
    EXPECT_EQ(changes, 1);  // reads inside the table report nothing
}

TEST_F(GridTest, WritesReportOncePerOutermostUpdate)
{
    Fill(3, 3);
    grid.SetCells(1, 1, "x");
    EXPECT_EQ(changes, 1);
    grid.BeginUpdate();
    grid.BeginUpdate();
    for (int i = 0; i < 10; ++i)
        grid.SetCells(i % 3, i % 4, "y");  // row 3 grows the table on the way
    grid.EndUpdate();
    EXPECT_EQ(changes, 1);
    grid.EndUpdate();
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(grid.GetRowCount(), 4);

    grid.BeginUpdate();
    grid.GetCells(0, 0);
    grid.EndUpdate();
    EXPECT_EQ(changes, 2);  // nothing changed, nothing reported
}

TEST_F(GridTest, ZeroCountEmptiesBothDirections)
{
    Fill(3, 5);
    grid.SetRowCount(0);
    EXPECT_EQ(grid.GetColCount(), 0);
    EXPECT_EQ(changes, 1);

    Fill(3, 5);
    grid.SetColCount(0);
    EXPECT_EQ(grid.GetRowCount(), 0);

    grid.AddRow();
    grid.AddRow();  // rows without columns
    EXPECT_EQ(grid.GetRowCount(), 2);
    grid.Clear();
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetColCount(), 0);

    changes = 0;
    grid.Clear();
    EXPECT_EQ(changes, 0);
}

TEST_F(GridTest, CountsShrinkFromTheEnd)
{
    Fill(4, 4);
    grid.SetColCount(2);
    grid.SetRowCount(3);
    EXPECT_EQ(Dump(grid), "a0 b0|a1 b1|a2 b2");
    EXPECT_EQ(changes, 2);
    grid.SetColCount(3);
    EXPECT_EQ(Dump(grid), "a0 b0 |a1 b1 |a2 b2 ");
    EXPECT_THROW(grid.SetColCount(-1), platform::ListCountError);
    EXPECT_THROW(grid.SetRowCount(-1), platform::ListCountError);
    EXPECT_EQ(grid.GetColCount(), 3);
}

TEST_F(GridTest, InsertAndDeleteShiftCells)
{
    Fill(2, 2);
    grid.InsertCol(0);
    EXPECT_EQ(Dump(grid), " a0 b0| a1 b1");
    EXPECT_EQ(grid.GetObjects(0, 1), nullptr);
    grid.InsertRow(1);
    EXPECT_EQ(Dump(grid), " a0 b0|  | a1 b1");
    grid.InsertRow(3);
    grid.InsertCol(3);
    EXPECT_EQ(Dump(grid), " a0 b0 |   | a1 b1 |   ");
    grid.DeleteCol(1);
    grid.DeleteRow(0);
    EXPECT_EQ(Dump(grid), "  | b1 |  ");
    EXPECT_EQ(changes, 6);
}

TEST_F(GridTest, AddCellsHandlerSuppliesNewCells)
{
    Census census;
    int next = 0;
    std::vector<std::string> calls;
    grid.OnAddCells = [&](TObject* sender, int col, int row, std::string& text, TObject*& object) {
        EXPECT_EQ(sender, &grid);
        calls.push_back(std::to_string(col) + "," + std::to_string(row));
        text = "n" + std::to_string(col) + std::to_string(row);
        object = new Counted(census, next++);
    };
    grid.SetColCount(2);
    EXPECT_TRUE(calls.empty());  // no rows yet: no cells
    grid.SetRowCount(2);
    EXPECT_EQ(calls, (std::vector<std::string>{"0,0", "1,0", "0,1", "1,1"}));
    grid.InsertCol(1);
    EXPECT_EQ(calls.back(), "1,1");
    EXPECT_EQ(Dump(grid), "n00 n10 n10|n01 n11 n11");
    EXPECT_EQ(census.made, 6);
    grid.Clear();
    EXPECT_EQ(census.freed, 6);
}

TEST_F(GridTest, OwnedObjectsFreedOnceOnDelete)
{
    Census census;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r)
            grid.SetObjects(c, r, new Counted(census, c * 10 + r));

    std::vector<std::string> deleted;
    grid.OnDeleteCells = [&](TObject*, int col, int row) {
        // The cell is still there, with its object, when the handler runs.
        auto* object = dynamic_cast<Counted*>(grid.GetObjects(col, row));
        ASSERT_NE(object, nullptr);
        deleted.push_back(std::to_string(object->Id()));
    };
    grid.DeleteRow(1);
    EXPECT_EQ(deleted, (std::vector<std::string>{"1", "11", "21"}));
    EXPECT_EQ(census.freed, 3);
    EXPECT_EQ(dynamic_cast<Counted*>(grid.GetObjects(2, 1))->Id(), 22);

    grid.DeleteCol(0);
    EXPECT_EQ(census.freed, 5);
    grid.OnDeleteCells = nullptr;

    TObject* survivor10 = grid.GetObjects(0, 0);
    TObject* survivor20 = grid.GetObjects(1, 0);
    grid.SetOwnsObjects(false);
    grid.DeleteRow(0);
    EXPECT_EQ(census.freed, 5);

    grid.SetOwnsObjects(true);
    TObject* replaced = grid.GetObjects(0, 0);
    grid.SetObjects(0, 0, nullptr);  // the replaced object is not freed
    EXPECT_EQ(census.freed, 5);
    grid.Clear();
    EXPECT_EQ(census.freed, 6);
    EXPECT_EQ(census.alive, (std::set<int>{10, 12, 20}));
    delete survivor10;
    delete survivor20;
    delete replaced;
    EXPECT_EQ(census.freed, census.made);
}

TEST_F(GridTest, HandlerMayReleaseAndClearCellObject)
{
    // The read accessor's pattern: it frees what it attached and clears the cell.
    Census census;
    grid.OnAddCells = [&](TObject*, int col, int row, std::string&, TObject*& object) {
        object = new Counted(census, col * 100 + row);
    };
    grid.OnDeleteCells = [&](TObject*, int col, int row) {
        delete grid.GetObjects(col, row);
        grid.SetObjects(col, row, nullptr);
    };
    grid.SetColCount(3);
    grid.SetRowCount(4);
    grid.DeleteRow(0);
    grid.DeleteCol(2);
    EXPECT_EQ(census.freed, 3 + 3);
    grid.Clear();
    EXPECT_EQ(census.freed, census.made);
    EXPECT_TRUE(census.alive.empty());
}

TEST_F(GridTest, DestructionFreesEverythingOnceWithoutChangeNotice)
{
    Census census;
    int notices = 0;
    int cellsDeleted = 0;
    {
        TGrid local;
        local.SetCells(3, 3, "x");
        for (int c = 0; c < 4; ++c)
            local.SetObjects(c, c, new Counted(census, c));
        local.OnChange = [&](TObject*) { ++notices; };
        local.OnDeleteCells = [&](TObject*, int, int) { ++cellsDeleted; };
    }
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(cellsDeleted, 16);
    EXPECT_EQ(census.freed, 4);
}

TEST_F(GridTest, RowAndColumnViews)
{
    Fill(4, 3);
    TGridRowStrings* row1 = grid.GetRows(1);
    EXPECT_EQ(row1->GetCount(), 4);
    EXPECT_EQ(row1->Get(2), "c1");
    EXPECT_EQ((*row1)[0], "a1");
    EXPECT_EQ(grid.GetRows(1), row1);

    grid.InsertRow(0);  // the view follows its row
    EXPECT_EQ(row1->GetRow(), 2);
    EXPECT_EQ(row1->Get(2), "c1");
    row1->Put(3, "z");
    EXPECT_EQ(grid.GetCells(3, 2), "z");
    Census census;
    row1->PutObject(0, new Counted(census, 1));
    EXPECT_EQ(row1->GetObject(0), grid.GetObjects(0, 2));

    row1->Insert(0, "ignored");
    row1->Delete(0);
    row1->Clear();
    EXPECT_EQ(grid.GetColCount(), 4);
    EXPECT_EQ(grid.GetRowCount(), 4);

    TGridColStrings* col2 = grid.GetCols(2);
    EXPECT_EQ(col2->GetCount(), 4);
    EXPECT_EQ(col2->Get(3), "c2");
    grid.InsertCol(0);
    EXPECT_EQ(col2->GetCol(), 3);
    EXPECT_EQ(col2->Get(3), "c2");

    EXPECT_EQ(grid.GetCols(6)->GetCount(), 4);  // grows the table
    EXPECT_EQ(grid.GetColCount(), 7);
    EXPECT_EQ(grid.GetRows(5)->GetCount(), 7);
    EXPECT_EQ(grid.GetRowCount(), 6);

    TGridRowStrings orphan(nullptr);
    EXPECT_EQ(orphan.GetCount(), 0);
    EXPECT_EQ(orphan.Get(0), "");
    orphan.Put(0, "x");
    TGridRowStrings detached(&grid);
    EXPECT_THROW(detached.Get(0), platform::ListIndexError);

    grid.Clear();
    EXPECT_EQ(census.freed, 1);
}

TEST_F(GridTest, IndexErrorsLeaveTableUnchanged)
{
    Fill(2, 2);
    EXPECT_THROW(grid.GetCells(-1, 0), platform::ListIndexError);
    EXPECT_THROW(grid.SetCells(0, -1, "x"), platform::ListIndexError);
    EXPECT_THROW(grid.GetObjects(-1, -1), platform::ListIndexError);
    EXPECT_THROW(grid.InsertCol(3), platform::ListIndexError);
    EXPECT_THROW(grid.InsertRow(-1), platform::ListIndexError);
    EXPECT_THROW(grid.DeleteCol(2), platform::ListIndexError);
    EXPECT_THROW(grid.DeleteRow(2), platform::ListIndexError);
    EXPECT_THROW(grid.GetCols(-1), platform::ListIndexError);
    EXPECT_THROW(grid.GetRows(-1), platform::ListIndexError);
    EXPECT_EQ(Dump(grid), "a0 b0|a1 b1");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(grid.GetUpdateCount(), 0);
}

TEST_F(GridTest, HandlersCannotReshapeTheTable)
{
    Fill(2, 2);
    grid.OnAddCells = [&](TObject*, int, int, std::string&, TObject*&) { grid.GetCells(5, 5); };
    EXPECT_THROW(grid.AddRow(), platform::Error);
    EXPECT_THROW(grid.AddCol(), platform::Error);
    EXPECT_EQ(Dump(grid), "a0 b0|a1 b1");
    grid.OnAddCells = nullptr;
    grid.OnDeleteCells = [&](TObject*, int, int) { grid.AddRow(); };
    EXPECT_THROW(grid.DeleteRow(0), platform::Error);
    EXPECT_EQ(grid.GetRowCount(), 2);
    grid.OnDeleteCells = nullptr;
    EXPECT_EQ(grid.GetUpdateCount(), 0);
}

TEST_F(GridTest, HandlerExceptionFreesObjectsOfUnfinishedRow)
{
    Census census;
    grid.SetColCount(3);
    int calls = 0;
    grid.OnAddCells = [&](TObject*, int, int, std::string&, TObject*& object) {
        object = new Counted(census, calls);
        if (++calls == 2)
            throw platform::ConvertError("boom");
    };
    EXPECT_THROW(grid.AddRow(), platform::ConvertError);
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(census.freed, 2);
}

// Seeded random edits against a plain model; every outermost update reports once when something
// changed; every object is freed exactly once.
TEST(GridRandom, MatchesModel)
{
    Census census;
    std::mt19937 rng(424242);
    std::vector<std::vector<std::string>> model;  // [row][col]
    int cols = 0;
    int nextId = 0;
    {
        TGrid grid;
        int changes = 0;
        grid.OnChange = [&](TObject*) { ++changes; };
        for (int step = 0; step < 500; ++step) {
            changes = 0;
            grid.BeginUpdate();
            bool changed = true;
            const int rows = static_cast<int>(model.size());
            switch (rng() % 7) {
            case 0: {
                const int c = static_cast<int>(rng() % 6);
                const int r = static_cast<int>(rng() % 6);
                const std::string text = "t" + std::to_string(step);
                grid.SetCells(c, r, text);
                if (c >= cols) {
                    cols = c + 1;
                    for (auto& row : model)
                        row.resize(static_cast<std::size_t>(cols));
                }
                while (static_cast<int>(model.size()) <= r)
                    model.emplace_back(static_cast<std::size_t>(cols));
                model[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = text;
                if (rng() % 2)
                    grid.SetObjects(c, r, grid.GetObjects(c, r) ? grid.GetObjects(c, r) : new Counted(census, nextId++));
                break;
            }
            case 1:
                if (rows == 0) {
                    changed = false;
                    break;
                }
                {
                    const int r = static_cast<int>(rng() % static_cast<unsigned>(rows));
                    grid.DeleteRow(r);
                    model.erase(model.begin() + r);
                }
                break;
            case 2:
                if (cols == 0) {
                    changed = false;
                    break;
                }
                {
                    const int c = static_cast<int>(rng() % static_cast<unsigned>(cols));
                    grid.DeleteCol(c);
                    for (auto& row : model)
                        row.erase(row.begin() + c);
                    --cols;
                }
                break;
            case 3: {
                const int r = static_cast<int>(rng() % static_cast<unsigned>(rows + 1));
                grid.InsertRow(r);
                model.insert(model.begin() + r, std::vector<std::string>(static_cast<std::size_t>(cols)));
                break;
            }
            case 4: {
                const int c = static_cast<int>(rng() % static_cast<unsigned>(cols + 1));
                grid.InsertCol(c);
                for (auto& row : model)
                    row.insert(row.begin() + c, std::string());
                ++cols;
                break;
            }
            case 5: {
                const int n = static_cast<int>(rng() % 5);
                changed = n != rows || (n == 0 && cols != 0);
                grid.SetRowCount(n);
                model.resize(static_cast<std::size_t>(n), std::vector<std::string>(static_cast<std::size_t>(cols)));
                if (n == 0)
                    cols = 0;
                break;
            }
            default: {
                const int n = static_cast<int>(rng() % 5);
                changed = n != cols || (n == 0 && rows != 0);
                grid.SetColCount(n);
                cols = n;
                for (auto& row : model)
                    row.resize(static_cast<std::size_t>(n));
                if (n == 0)
                    model.clear();
                break;
            }
            }
            EXPECT_EQ(changes, 0);
            grid.EndUpdate();
            ASSERT_EQ(changes, changed ? 1 : 0) << "step " << step;
            ASSERT_EQ(grid.GetRowCount(), static_cast<int>(model.size())) << "step " << step;
            ASSERT_EQ(grid.GetColCount(), cols) << "step " << step;
            for (int r = 0; r < grid.GetRowCount(); ++r)
                for (int c = 0; c < cols; ++c)
                    ASSERT_EQ(grid.GetCells(c, r), model[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)])
                        << "step " << step << " cell " << c << "," << r;
            ASSERT_EQ(census.made - census.freed, [&] {
                int n = 0;
                for (int r = 0; r < grid.GetRowCount(); ++r)
                    for (int c = 0; c < cols; ++c)
                        n += grid.GetObjects(c, r) != nullptr;
                return n;
            }()) << "step " << step;
        }
    }
    EXPECT_EQ(census.freed, census.made);
}

TEST(GridBulk, AppendingManyRowsReportsOnce)
{
    TGrid grid;
    int changes = 0;
    grid.OnChange = [&](TObject*) { ++changes; };
    grid.SetOwnsObjects(false);
    grid.SetColCount(10);
    changes = 0;
    constexpr int kRows = 100000;
    grid.BeginUpdate();
    for (int r = 0; r < kRows; ++r) {
        grid.AddRow();
        for (int c = 0; c < 10; ++c)
            grid.SetCells(c, r, std::to_string(r));
    }
    grid.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(grid.GetRowCount(), kRows);
    EXPECT_EQ(grid.GetCells(9, kRows - 1), std::to_string(kRows - 1));
}

} // namespace

// The CSV grid without widgets: text forms and shapes, the operations within and outside their
// bounds, undo and redo of every kind, the merge rule, paste clipping and seeded round trips.
#include <gtest/gtest.h>

#include "dialogs/Ucsvgrid.h"

#include <random>
#include <string>
#include <vector>

namespace {

// "a|b/c|" : rows split by '/', cells by '|', fixed cells included.
std::string Dump(const TCsvGrid& grid)
{
    std::string out;
    for (int row = 0; row < grid.GetRowCount(); ++row) {
        if (row) out += '/';
        for (int col = 0; col < grid.GetColCount(); ++col) {
            if (col) out += '|';
            out += grid.GetCell(col, row);
        }
    }
    return out;
}

TEST(CsvGridText, SetCsvShapes)
{
    const struct {
        const char* text;
        const char* dump;
    } cases[] = {
        {"", ""},
        {"a,b\r\nc", "a|b/c|"},
        {"a b", "a|b"},
        {"\"a b\"", "a b"},
        {"a,,b", "a||b"},
        {"a,", "a|"},
        {"x\n\ny\r", "x//y"},
        {"\"q\"\"t\",1\r\n\"c,d\"", "q\"t|1/c,d|"},
    };
    for (const auto& c : cases) {
        TCsvGrid grid;
        SetCSV(grid, c.text);
        EXPECT_EQ(Dump(grid), c.dump) << c.text;
    }
}

TEST(CsvGridText, GetCsvDropsTrailingBlanksOnly)
{
    TCsvGrid grid(3, 4);
    EXPECT_EQ(GetCSV(grid), "");
    grid.SetCell(0, 2, "t");
    EXPECT_EQ(GetCSV(grid), "\r\n\r\nt\r\n");
    grid.SetCell(2, 2, "  ");
    EXPECT_EQ(GetCSV(grid), "\r\n\r\nt\r\n");
    grid.SetCell(1, 2, " ");
    grid.SetCell(2, 2, "u");
    EXPECT_EQ(GetCSV(grid), "\r\n\r\nt,\" \",u\r\n");
    grid.SetCell(0, 0, "");
    grid.SetCell(1, 0, "x");
    EXPECT_EQ(GetCSV(grid), ",x\r\n\r\nt,\" \",u\r\n");
    EXPECT_EQ(GetGrid(grid), "\",x\",,\"t,\"\" \"\",u\"");
}

TEST(CsvGridText, FixedCellsAreNeitherReadNorWritten)
{
    TCsvGrid grid(2, 2);
    grid.SetFixedRows(1);
    grid.SetCell(0, 0, "名称");
    grid.SetCell(1, 0, "単価");
    SetCSV(grid, "a,1\r\nb,2\r\n");
    EXPECT_EQ(Dump(grid), "名称|単価/a|1/b|2");
    EXPECT_EQ(GetCSV(grid), "a,1\r\nb,2\r\n");
    SetGrid(grid, GetGrid(grid));
    EXPECT_EQ(Dump(grid), "名称|単価/a|1/b|2");

    // A fixed column keeps its cells; the lines fill the columns after it, short ones padded.
    TCsvGrid framed(2, 3);
    framed.SetFixedCols(1);
    for (int row = 0; row < 3; ++row) framed.SetCell(0, row, std::to_string(row + 1));
    SetCSV(framed, "a,b\r\nc\r\nd,\"e f\",g");
    EXPECT_EQ(Dump(framed), "1|a|b|/2|c||/3|d|e f|g");
    SetCSV(framed, "x");
    EXPECT_EQ(Dump(framed), "1|x");
    SetRows(framed, {{"p\r\nq", "r\rs"}, {"t\nu"}});
    EXPECT_EQ(Dump(framed), "1|p q|r s/|t u|");
}

TEST(CsvGridText, BreaksInCellsBecomeBlanks)
{
    EXPECT_EQ(CellText("a\r\nb\nc\rd"), "a b c d");
    TCsvEditCore core;
    core.SetCSV("x,y");
    core.CommitEdit(0, 0, "x", "p\nq");
    EXPECT_EQ(core.Grid().GetCell(0, 0), "p q");
}

TCsvEditCore Core(const char* text, int col, int row, int fixedRows = 0)
{
    TCsvEditCore core;
    core.Grid().SetFixedRows(fixedRows);
    core.SetCSV(text);
    core.SetCurrent(col, row);
    return core;
}

TEST(CsvEditCore, OperationsAndTheirBounds)
{
    using Op = bool (TCsvEditCore::*)();
    const struct {
        const char* name;
        Op op;
        const char* text;
        int col, row, fixedRows;
        bool done;
        const char* dump;
        int newCol, newRow;
    } cases[] = {
        {"InsertCol", &TCsvEditCore::InsertCol, "a,b", 1, 0, 0, true, "a||b", 1, 0},
        {"DeleteCol", &TCsvEditCore::DeleteCol, "a,b", 1, 0, 0, true, "a", 0, 0},
        {"DeleteCol one", &TCsvEditCore::DeleteCol, "a", 0, 0, 0, false, "a", 0, 0},
        {"MoveColRight", &TCsvEditCore::MoveColRight, "a,b", 0, 0, 0, true, "b|a", 1, 0},
        {"MoveColRight last", &TCsvEditCore::MoveColRight, "a,b", 1, 0, 0, false, "a|b", 1, 0},
        {"MoveColLeft", &TCsvEditCore::MoveColLeft, "a,b", 1, 0, 0, true, "b|a", 0, 0},
        {"MoveColLeft first", &TCsvEditCore::MoveColLeft, "a,b", 0, 0, 0, false, "a|b", 0, 0},
        {"InsertRow", &TCsvEditCore::InsertRow, "a\nb", 0, 1, 0, true, "a//b", 0, 1},
        {"DeleteRow", &TCsvEditCore::DeleteRow, "a\nb", 0, 1, 0, true, "a", 0, 0},
        {"DeleteRow last data", &TCsvEditCore::DeleteRow, "a", 0, 1, 1, false, "/a", 0, 1},
        {"MoveRowUp", &TCsvEditCore::MoveRowUp, "a\nb", 0, 1, 0, true, "b/a", 0, 0},
        {"MoveRowUp under header", &TCsvEditCore::MoveRowUp, "a\nb", 0, 1, 1, false, "/a/b", 0, 1},
        {"MoveRowDown", &TCsvEditCore::MoveRowDown, "a\nb", 0, 0, 0, true, "b/a", 0, 1},
        {"MoveRowDown last", &TCsvEditCore::MoveRowDown, "a\nb", 0, 1, 0, false, "a/b", 0, 1},
        {"InsertCell", &TCsvEditCore::InsertCell, "a,b,c\nd", 0, 0, 0, true, "|a|b/d||", 0, 0},
        {"InsertCell one row", &TCsvEditCore::InsertCell, "a,b", 0, 0, 0, false, "a|b", 0, 0},
        {"DeleteCell", &TCsvEditCore::DeleteCell, "a,b,c", 0, 0, 0, true, "b|c|", 0, 0},
        {"DeleteCell one col", &TCsvEditCore::DeleteCell, "a\nb", 0, 0, 0, false, "a/b", 0, 0},
    };
    for (const auto& c : cases) {
        TCsvEditCore core = Core(c.text, c.col, c.row, c.fixedRows);
        const std::string before = Dump(core.Grid());
        EXPECT_EQ((core.*c.op)(), c.done) << c.name;
        EXPECT_EQ(Dump(core.Grid()), c.dump) << c.name;
        EXPECT_EQ(core.GetCol(), c.newCol) << c.name;
        EXPECT_EQ(core.GetRow(), c.newRow) << c.name;
        EXPECT_EQ(core.History().GetCount(), c.done ? 1 : 0) << c.name;
        if (!c.done) continue;
        // Undo gives the grid back, Redo the result, and the current cell follows.
        EXPECT_NE(core.Undo(), 0) << c.name;
        EXPECT_EQ(Dump(core.Grid()), before) << c.name;
        EXPECT_EQ(core.Redo(), core.History().GetItem(0).Kind) << c.name;
        EXPECT_EQ(Dump(core.Grid()), c.dump) << c.name;
        EXPECT_EQ(core.GetCol(), c.newCol) << c.name;
        EXPECT_EQ(core.GetRow(), c.newRow) << c.name;
    }
}

TEST(CsvEditCore, UndoReportsTheOppositeKind)
{
    const std::vector<std::pair<bool (TCsvEditCore::*)(), int>> ops = {
        {&TCsvEditCore::InsertCol, 2},  {&TCsvEditCore::DeleteCol, 1}, {&TCsvEditCore::MoveColRight, 4},
        {&TCsvEditCore::MoveColLeft, 3}, {&TCsvEditCore::InsertRow, 6}, {&TCsvEditCore::DeleteRow, 5},
        {&TCsvEditCore::MoveRowUp, 8},   {&TCsvEditCore::MoveRowDown, 7}, {&TCsvEditCore::InsertCell, 10},
        {&TCsvEditCore::DeleteCell, 9},
    };
    for (const auto& [op, reported] : ops) {
        TCsvEditCore core = Core("a,b,c\nd,e,f\ng,h,i", 1, 1);
        ASSERT_TRUE((core.*op)());
        EXPECT_EQ(core.Undo(), reported);
        EXPECT_EQ(core.Undo(), 0);
    }
}

TEST(CsvEditCore, DeletedColumnComesBackWithItsHeader)
{
    TCsvEditCore core = Core("a,b\nc,d", 0, 1, 1);
    core.Grid().SetCell(0, 0, "名称");
    core.Grid().SetCell(1, 0, "単価");
    ASSERT_TRUE(core.DeleteCol());
    EXPECT_EQ(Dump(core.Grid()), "単価/b/d");
    EXPECT_EQ(core.Undo(), 1);
    EXPECT_EQ(Dump(core.Grid()), "名称|単価/a|b/c|d");
    ASSERT_TRUE(core.DeleteRow());
    EXPECT_EQ(core.Undo(), 5);
    EXPECT_EQ(Dump(core.Grid()), "名称|単価/a|b/c|d");
}

TEST(CsvEditCore, CellEditsMergeUntilSomethingElseIsRecorded)
{
    TCsvEditCore core = Core("x,y", 0, 0);
    core.CommitEdit(0, 0, "x", "a");
    core.CommitEdit(0, 0, "x", "ab");   // keystrokes of one edit
    core.CommitEdit(0, 0, "ab", "abc"); // the same cell taken up again
    EXPECT_EQ(core.History().GetCount(), 1);
    EXPECT_EQ(core.Undo(), 11);
    EXPECT_EQ(core.Grid().GetCell(0, 0), "ab");
    EXPECT_EQ(core.Redo(), 11);
    EXPECT_EQ(core.Grid().GetCell(0, 0), "abc");

    core.CommitEdit(1, 0, "y", "z");   // another cell: a record of its own
    core.CommitEdit(0, 0, "abc", "d");
    EXPECT_EQ(core.History().GetCount(), 3);
    core.CommitEdit(0, 0, "d", "d");   // unchanged: nothing
    EXPECT_EQ(core.History().GetCount(), 3);

    // An edit after an Undo drops the redo tail and does not merge into the undone record.
    core.Undo();
    core.CommitEdit(0, 0, "abc", "e");
    EXPECT_EQ(core.History().GetCount(), 3);
    EXPECT_FALSE(core.History().CanRedo());
    EXPECT_EQ(core.Undo(), 11);
    EXPECT_EQ(core.Grid().GetCell(0, 0), "abc");
}

TEST(CsvEditCore, PasteIsClippedAndUndoable)
{
    TCsvEditCore core = Core("1,2,3\n4,5,6\n7,8,9", 2, 1);
    core.PasteText("a,b,c\r\nd,e,f\r\ng,h,i\r\n");
    EXPECT_EQ(Dump(core.Grid()), "1|2|3/4|5|a/7|8|d");
    EXPECT_EQ(core.History().GetCount(), 2);
    core.Undo();
    core.Undo();
    EXPECT_EQ(Dump(core.Grid()), "1|2|3/4|5|6/7|8|9");
}

TEST(CsvEditCore, SelectionBlockIsNormalised)
{
    TCsvEditCore core = Core("a,b,c\nd,\"e f\",g", 2, 1);
    EXPECT_FALSE(core.HasBlockSelection());
    core.SetCurrent(1, 0, true);
    EXPECT_TRUE(core.HasBlockSelection());
    EXPECT_EQ(core.GetSelectionCSV(), "b,c\r\n\"e f\",g\r\n");
}

// Seeded random tables through GetCSV/SetCSV, and random operations undone to the start.
TEST(CsvEditCore, SeededRoundTrips)
{
    const std::vector<std::string> pieces = {"", "", "a", "醤油", "crème brûlée", "œuf", " ", "a b", "\"", "x,y",
                                             "l'été", "¥1,200", "-3", "  lead", "trail  "};
    std::mt19937 random(20261207);
    for (int round = 0; round < 200; ++round) {
        TCsvGrid grid(1 + static_cast<int>(random() % 5), 1 + static_cast<int>(random() % 6));
        for (int row = 0; row < grid.GetRowCount(); ++row)
            for (int col = 0; col < grid.GetColCount(); ++col)
                grid.SetCell(col, row, pieces[random() % pieces.size()]);
        const std::string text = GetCSV(grid);
        TCsvGrid back;
        SetCSV(back, text);
        EXPECT_EQ(GetCSV(back), text);
        for (int row = 0; row < grid.GetRowCount(); ++row)
            for (int col = 0; col < grid.GetColCount(); ++col)
                if (!IsBlankCell(grid.GetCell(col, row))) {
                    ASSERT_EQ(back.GetCell(col, row), grid.GetCell(col, row)) << text;
                }

        TCsvEditCore core;
        core.Grid().SetFixedRows(round % 2);
        core.SetCSV(text);
        const std::string start = Dump(core.Grid());
        using Op = bool (TCsvEditCore::*)();
        const Op ops[] = {&TCsvEditCore::InsertCol, &TCsvEditCore::DeleteCol,  &TCsvEditCore::MoveColRight,
                          &TCsvEditCore::MoveColLeft, &TCsvEditCore::InsertRow, &TCsvEditCore::DeleteRow,
                          &TCsvEditCore::MoveRowUp,  &TCsvEditCore::MoveRowDown, &TCsvEditCore::InsertCell,
                          &TCsvEditCore::DeleteCell};
        for (int step = 0; step < 20; ++step) {
            core.SetCurrent(static_cast<int>(random() % 6), static_cast<int>(random() % 7));
            const TCsvEditHistorys& history = core.History();
            const bool merges = history.GetPosition() > 0 && history.GetItem(history.GetPosition() - 1).Kind == 11 &&
                                history.GetItem(history.GetPosition() - 1).Col == core.GetCol() &&
                                history.GetItem(history.GetPosition() - 1).Row == core.GetRow();
            if (random() % 3 == 0) {
                if (merges) continue;   // would merge: undo would stop at the merged edit's start
                const std::string old = core.Grid().GetCell(core.GetCol(), core.GetRow());
                core.CommitEdit(core.GetCol(), core.GetRow(), old, old + "+");
            } else if (!(core.*ops[random() % 10])()) {
                continue;
            }
        }
        const std::string end = Dump(core.Grid());
        while (core.History().CanUndo()) core.Undo();
        EXPECT_EQ(Dump(core.Grid()), start);
        while (core.History().CanRedo()) core.Redo();
        EXPECT_EQ(Dump(core.Grid()), end);
    }
}

} // namespace

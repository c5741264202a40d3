#pragma once
// The cell table of the CSV grid editor, its text forms and its edit history, without widgets.
//
// TCsvGrid holds rows of cells with explicit counts; the first FixedRows rows and FixedCols
// columns are fixed (a host's header) and are never read or written by the CSV text functions.
// Cells never hold CR or LF.
//
// TCsvEditCore is the editor's state beside the grid: current cell, anchor of the block and the
// undo history. Every editing operation goes through it and records one history entry:
//
//   kind  made by        col, row        text
//   1     InsertCol      current cell    empty
//   2     DeleteCol      current cell    comma text of the whole column (fixed cells too)
//   3/4   MoveColRight/Left  col before the move
//   5     InsertRow      current cell    empty
//   6     DeleteRow      current cell    comma text of the whole row
//   7/8   MoveRowUp/Down row before the move
//   9     InsertCell     current cell    text of the row's last cell before the shift
//   10    DeleteCell     current cell    the deleted cell's text
//   11    cell edit, paste  the cell     old text, LF, new text
#include <string>
#include <string_view>
#include <vector>

using TCsvRows = std::vector<std::vector<std::string>>;

class TCsvGrid {
public:
    TCsvGrid() = default;
    TCsvGrid(int colCount, int rowCount) { SetColCount(colCount); SetRowCount(rowCount); }

    int GetColCount() const { return cols_; }
    int GetRowCount() const { return static_cast<int>(rows_.size()); }
    // Counts below 1 become 1; new cells are blank, cells beyond a smaller count are dropped.
    void SetColCount(int count);
    void SetRowCount(int count);
    int GetFixedCols() const { return fixedCols_; }
    int GetFixedRows() const { return fixedRows_; }
    void SetFixedCols(int count) { fixedCols_ = count < 0 ? 0 : count; }
    void SetFixedRows(int count) { fixedRows_ = count < 0 ? 0 : count; }

    // A cell outside the grid reads as empty; writing one does nothing.
    const std::string& GetCell(int col, int row) const;
    void SetCell(int col, int row, std::string text);
    // A cell inside the grid, to write in place.
    std::string& CellAt(int col, int row) { return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)]; }
    // The row's cells past the fixed columns, in order; missing ones blank, extra ones dropped.
    void SetRowCells(int row, std::vector<std::string> cells);
    bool Contains(int col, int row) const { return col >= 0 && row >= 0 && col < cols_ && row < GetRowCount(); }

    // Moves and shifts. Inserting adds a blank column/row at the index (index = count appends);
    // deleting removes one; swapping exchanges two whole columns/rows.
    void InsertCol(int col);
    void DeleteCol(int col);
    void SwapCols(int a, int b);
    void InsertRow(int row);
    void DeleteRow(int row);
    void SwapRows(int a, int b);
    // Shifts the row's cells from `col` one place right and blanks (col,row); returns the text
    // of the row's last cell, which falls off.
    std::string InsertCell(int col, int row);
    // Shifts the later cells of the row one place left and blanks the row's last cell.
    void DeleteCell(int col, int row);

    // Comma text of a whole column or row, fixed cells included; the setters take it back.
    std::string GetColText(int col) const;
    void SetColText(int col, std::string_view text);
    std::string GetRowText(int row) const;
    void SetRowText(int row, std::string_view text);

private:
    int cols_ = 1;
    int fixedCols_ = 0;
    int fixedRows_ = 0;
    std::vector<std::vector<std::string>> rows_{std::vector<std::string>(1)};
};

// True when a cell's text is empty after removing blanks and control characters.
bool IsBlankCell(std::string_view text);
// A break (CR LF, CR or LF) inside a cell text becomes one blank.
std::string CellText(std::string_view text);

// Lines of the text (CR LF, CR, LF; a last break adds none; the text ends at a NUL), each split
// as comma text; an empty line gives one empty field.
TCsvRows SplitCsvText(std::string_view text);
// Fills the non-fixed part: one row per line (no lines: one empty row), as many columns as the
// longest line, short rows padded with empty cells. Fixed rows and columns keep their text.
void SetRows(TCsvGrid& grid, TCsvRows rows);
void SetCSV(TCsvGrid& grid, std::string_view text);
// Non-fixed rows as comma-text lines, each ended by CR LF: trailing blank cells of a row and
// trailing empty rows are dropped; all blank gives "".
std::string GetCSV(const TCsvGrid& grid);
// The same with the lines as one comma-text list.
void SetGrid(TCsvGrid& grid, std::string_view text);
std::string GetGrid(const TCsvGrid& grid);

// One undo record; kind 0 does nothing.
struct TCsvEditHistory {
    int Kind = 0;
    int Col = 0;
    int Row = 0;
    std::string Text;
};

// The records and the position: how many of them are applied.
class TCsvEditHistorys {
public:
    int GetCount() const { return static_cast<int>(items_.size()); }
    int GetPosition() const { return position_; }
    const TCsvEditHistory& GetItem(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // Drops the redo tail; a kind-11 record for the cell of the last applied kind-11 record
    // replaces that record's text when no redo record was dropped, so repeated edits of one cell
    // make one record whose old part is the text the editor last took up.
    void Add(int kind, int col, int row, std::string text);
    void Clear();
    bool CanUndo() const { return position_ > 0 && position_ <= GetCount(); }
    bool CanRedo() const { return position_ < GetCount(); }
    // The record to undo (position moves back) or to redo (position moves on); null when none.
    const TCsvEditHistory* StepBack();
    const TCsvEditHistory* StepForward();

private:
    std::vector<TCsvEditHistory> items_;
    int position_ = 0;
};

class TCsvEditCore {
public:
    TCsvGrid& Grid() { return grid_; }
    const TCsvGrid& Grid() const { return grid_; }
    TCsvEditHistorys& History() { return history_; }
    const TCsvEditHistorys& History() const { return history_; }

    int GetCol() const { return col_; }
    int GetRow() const { return row_; }
    int GetAnchorCol() const { return anchorCol_; }
    int GetAnchorRow() const { return anchorRow_; }
    // Makes (col,row) current, clamped into the grid; the anchor follows unless `keepAnchor`.
    void SetCurrent(int col, int row, bool keepAnchor = false);
    // Clamps current cell and anchor into the grid after an outside change of its counts.
    void ClampCurrent();
    bool HasBlockSelection() const { return col_ != anchorCol_ || row_ != anchorRow_; }

    // The editing operations on the current cell; false (nothing changed) when the bound fails.
    bool InsertCol();
    bool DeleteCol();
    bool MoveColRight();
    bool MoveColLeft();
    bool InsertRow();
    bool DeleteRow();
    bool MoveRowUp();
    bool MoveRowDown();
    bool InsertCell();
    bool DeleteCell();
    // Applies the record before/at the position, makes its cell current and gives the kind to
    // report (Undo: the opposite kind); 0 when there is nothing to apply.
    int Undo();
    int Redo();

    // Replaces the content (history cleared).
    void SetCSV(std::string_view text);
    void SetRows(TCsvRows rows);
    // The same by what `fill` writes into the grid; nothing changes when it raises before writing.
    template <typename Fill>
    void Replace(Fill&& fill)
    {
        fill(grid_);
        history_.Clear();
        ClampCurrent();
    }
    // A cell edit: when the text differs from the cell's, writes it and records kind 11 with
    // `startText` (the cell's text when the editor took it up) as the old part.
    void CommitEdit(int col, int row, const std::string& startText, std::string text);
    // Writes the lines and fields from the current cell on, clipped to the grid, one kind-11
    // record per cell.
    void PasteText(std::string_view text);
    // The block between anchor and current as CSV lines.
    std::string GetSelectionCSV() const;

private:
    bool Record(int kind, int col, int row, std::string text);

    TCsvGrid grid_;
    TCsvEditHistorys history_;
    int col_ = 0;
    int row_ = 0;
    int anchorCol_ = 0;
    int anchorRow_ = 0;
};

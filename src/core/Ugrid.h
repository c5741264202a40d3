#pragma once
// TGrid: a two-dimensional table of cells addressed (column, row), both from 0, that grows by
// itself when a cell beyond its size is read or written.
//
// A cell holds a text ("" for a new cell) and an object pointer (null for a new cell). While
// OwnsObjects is set (the default) the grid frees a cell's object when the cell is deleted;
// SetObjects never frees the object it replaces.
//
// Storage is by column: column c holds exactly RowCount cells. Appending a row costs one cell per
// column and no allocation of its own beyond amortised vector growth.
//
// Notices: every change calls Change; OnChange runs when the outermost EndUpdate finds a pending
// change (a read that grows the table reports one change, a read inside the table none, every
// write one). OnAddCells lets the owner give each new cell its text and object; OnDeleteCells runs
// for each cell about to be removed, before the grid frees its object. Those two handlers may read
// and write cells inside the table but must not add or remove rows or columns (that raises
// platform::Error). No OnChange goes out while the grid is being destroyed (OnDeleteCells still
// runs for every cell; the destructor cannot throw, so a handler's exception there is dropped and
// the remaining cells are freed without notices).
//
// Errors: a negative column or row index, and an Insert/Delete index outside the list, raise
// platform::ListIndexError; a negative count raises platform::ListCountError.
#include "core/Object.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TGrid;

// String-list view of one row or one column of a grid. Cells are read and written through the
// grid (so they grow it like the grid's own accessors); Insert, Delete and Clear do nothing, as
// rows and columns change only through the grid. A view without a grid is empty.
class TGridStrings : public TObject {
public:
    explicit TGridStrings(TGrid* grid) : grid_(grid) {}
    TGridStrings(const TGridStrings&) = delete;
    TGridStrings& operator=(const TGridStrings&) = delete;

    virtual int GetCount() const = 0;
    virtual std::string Get(int index) = 0;
    virtual void Put(int index, const std::string& text) = 0;
    virtual TObject* GetObject(int index) = 0;
    virtual void PutObject(int index, TObject* object) = 0;
    virtual void Insert(int index, const std::string& text);
    virtual void Delete(int index);
    virtual void Clear();
    std::string operator[](int index) { return Get(index); }

    TGrid* GetGrid() const { return grid_; }

protected:
    TGrid* grid_;
};

// The row view the grid keeps for each row. Its row is its current position in the grid's row
// list (it follows insertions and deletions of rows before it); a view made outside the grid has
// no row, and reading or writing through it raises platform::ListIndexError.
class TGridRowStrings : public TGridStrings {
public:
    explicit TGridRowStrings(TGrid* grid) : TGridStrings(grid) {}
    // The grid's column count; 0 without a grid.
    int GetCount() const override;
    std::string Get(int index) override;
    void Put(int index, const std::string& text) override;
    TObject* GetObject(int index) override;
    void PutObject(int index, TObject* object) override;
    // This view's row; -1 when it is in no grid's row list.
    int GetRow() const { return row_; }

private:
    friend class TGrid;
    int row_ = -1;
};

// The column view the grid keeps for each column (GetCols); the mirror of TGridRowStrings.
class TGridColStrings : public TGridStrings {
public:
    explicit TGridColStrings(TGrid* grid) : TGridStrings(grid) {}
    // The grid's row count; 0 without a grid.
    int GetCount() const override;
    std::string Get(int index) override;
    void Put(int index, const std::string& text) override;
    TObject* GetObject(int index) override;
    void PutObject(int index, TObject* object) override;
    int GetCol() const { return col_; }

private:
    friend class TGrid;
    int col_ = -1;
};

class TGrid : public TObject {
public:
    TGrid();
    TGrid(const TGrid&) = delete;
    TGrid& operator=(const TGrid&) = delete;
    ~TGrid() override;

    std::function<void(TObject* Sender)> OnChange;
    // Called for each new cell before it is stored; may set its initial text and object.
    std::function<void(TObject* Sender, int ACol, int ARow, std::string& Text, TObject*& Object)> OnAddCells;
    // Called for each cell about to be removed.
    std::function<void(TObject* Sender, int ACol, int ARow)> OnDeleteCells;

    // Same as SetColCount(0): no columns and no rows.
    void Clear();
    void BeginUpdate();
    void EndUpdate();
    // When no update is open and a change is pending: clears it and DoChange.
    void Update();
    // Sets Changed, then Update.
    void Change();
    int GetUpdateCount() const { return updateCount_; }

    bool GetOwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

    int GetColCount() const { return static_cast<int>(cols_.size()); }
    int GetRowCount() const { return static_cast<int>(rowViews_.size()); }
    // Appends columns / rows, or deletes them from the end; 0 empties the whole table (no columns
    // and no rows). One change notice for the whole operation.
    void SetColCount(int count);
    void SetRowCount(int count);

    // Cell accessors; each grows the table to include (col, row) first.
    std::string GetCells(int col, int row);
    void SetCells(int col, int row, std::string text);
    TObject* GetObjects(int col, int row);
    void SetObjects(int col, int row, TObject* object);

    // The view of a column / row; an index at or beyond the count first grows the table to include
    // it. The view belongs to the grid and lives until its column / row is deleted.
    TGridColStrings* GetCols(int col);
    TGridRowStrings* GetRows(int row);

    void AddCol();
    void AddRow();
    // Insert before index (index = count appends).
    void InsertCol(int index);
    void InsertRow(int index);
    // Index outside 0 .. count-1 raises platform::ListIndexError.
    void DeleteCol(int index);
    void DeleteRow(int index);

protected:
    // Fires OnChange.
    virtual void DoChange();
    // Fires OnAddCells.
    virtual void DoAddCells(int col, int row, std::string& text, TObject*& object);
    // Fires OnDeleteCells.
    virtual void DoDeleteCells(int col, int row);

private:
    struct Cell {
        std::string text;
        TObject* object = nullptr;
    };
    struct Column {
        std::vector<Cell> cells;
        std::unique_ptr<TGridColStrings> view;
    };
    class ShapeLock;

    Cell& GrownCell(int col, int row);
    void Grow(int col, int row);
    void RenumberCols(std::size_t from);
    void RenumberRows(std::size_t from);
    void ReleaseObject(Cell& cell);
    void ReleaseObjects(std::vector<Cell>& cells);
    void CheckShapeUnlocked() const;

    std::vector<Column> cols_;
    // One slot per row; a row's view is made on first request (GetRows).
    std::vector<std::unique_ptr<TGridRowStrings>> rowViews_;
    int updateCount_ = 0;
    bool changed_ = false;
    bool ownsObjects_ = true;
    bool destroying_ = false;
    // Above 0 while OnAddCells / OnDeleteCells handlers run: the table's shape must not change.
    int shapeLock_ = 0;
    // The cells of a row being added, before they go into their columns.
    std::vector<Cell> newRow_;
};

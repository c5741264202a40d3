#include "core/Ugrid.h"

#include "platform/Errors.h"
#include "platform/Text.h"

namespace {

[[noreturn]] void RaiseListCount(int count)
{
    throw platform::ListCountError("List count out of bounds (" + platform::IntToStr(count) + ")");
}

// Runs `body` within one update of `grid`. On an exception the update is still closed (the partial
// change is reported) and the first exception goes on.
template <class Body>
void WithinUpdate(TGrid& grid, Body&& body)
{
    grid.BeginUpdate();
    try {
        body();
    } catch (...) {
        try {
            grid.EndUpdate();
        } catch (...) {
        }
        throw;
    }
    grid.EndUpdate();
}

} // namespace

class TGrid::ShapeLock {
public:
    explicit ShapeLock(TGrid& grid) : grid_(grid) { ++grid_.shapeLock_; }
    ~ShapeLock() { --grid_.shapeLock_; }
    ShapeLock(const ShapeLock&) = delete;
    ShapeLock& operator=(const ShapeLock&) = delete;

private:
    TGrid& grid_;
};

// ---------------------------------------------------------------------------------------------
// Views

void TGridStrings::Insert(int, const std::string&) {}
void TGridStrings::Delete(int) {}
void TGridStrings::Clear() {}

int TGridRowStrings::GetCount() const
{
    return grid_ ? grid_->GetColCount() : 0;
}

std::string TGridRowStrings::Get(int index)
{
    return grid_ ? grid_->GetCells(index, row_) : std::string();
}

void TGridRowStrings::Put(int index, const std::string& text)
{
    if (grid_)
        grid_->SetCells(index, row_, text);
}

TObject* TGridRowStrings::GetObject(int index)
{
    return grid_ ? grid_->GetObjects(index, row_) : nullptr;
}

void TGridRowStrings::PutObject(int index, TObject* object)
{
    if (grid_)
        grid_->SetObjects(index, row_, object);
}

int TGridColStrings::GetCount() const
{
    return grid_ ? grid_->GetRowCount() : 0;
}

std::string TGridColStrings::Get(int index)
{
    return grid_ ? grid_->GetCells(col_, index) : std::string();
}

void TGridColStrings::Put(int index, const std::string& text)
{
    if (grid_)
        grid_->SetCells(col_, index, text);
}

TObject* TGridColStrings::GetObject(int index)
{
    return grid_ ? grid_->GetObjects(col_, index) : nullptr;
}

void TGridColStrings::PutObject(int index, TObject* object)
{
    if (grid_)
        grid_->SetObjects(col_, index, object);
}

// ---------------------------------------------------------------------------------------------
// TGrid

TGrid::TGrid() = default;

TGrid::~TGrid()
{
    destroying_ = true;
    try {
        Clear();
    } catch (...) {
        for (Column& column : cols_)
            ReleaseObjects(column.cells);
    }
}

void TGrid::Clear()
{
    SetColCount(0);
}

void TGrid::BeginUpdate()
{
    ++updateCount_;
}

void TGrid::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    Update();
}

void TGrid::Update()
{
    if (updateCount_ != 0 || !changed_)
        return;
    changed_ = false;
    if (!destroying_)
        DoChange();
}

void TGrid::Change()
{
    changed_ = true;
    Update();
}

void TGrid::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TGrid::DoAddCells(int col, int row, std::string& text, TObject*& object)
{
    if (OnAddCells)
        OnAddCells(this, col, row, text, object);
}

void TGrid::DoDeleteCells(int col, int row)
{
    if (OnDeleteCells)
        OnDeleteCells(this, col, row);
}

void TGrid::SetColCount(int count)
{
    if (count < 0)
        RaiseListCount(count);
    WithinUpdate(*this, [this, count] {
        while (GetColCount() > count)
            DeleteCol(GetColCount() - 1);
        if (count == 0 && !rowViews_.empty()) {
            CheckShapeUnlocked();
            rowViews_.clear();
            Change();
        }
        while (GetColCount() < count)
            AddCol();
    });
}

void TGrid::SetRowCount(int count)
{
    if (count < 0)
        RaiseListCount(count);
    WithinUpdate(*this, [this, count] {
        while (GetRowCount() > count)
            DeleteRow(GetRowCount() - 1);
        if (count == 0 && !cols_.empty()) {
            CheckShapeUnlocked();
            cols_.clear();
            Change();
        }
        while (GetRowCount() < count)
            AddRow();
    });
}

void TGrid::Grow(int col, int row)
{
    if (col < 0)
        platform::RaiseListIndex(col);
    if (row < 0)
        platform::RaiseListIndex(row);
    if (col < GetColCount() && row < GetRowCount())
        return;
    WithinUpdate(*this, [this, col, row] {
        if (col >= GetColCount())
            SetColCount(col + 1);
        if (row >= GetRowCount())
            SetRowCount(row + 1);
    });
}

TGrid::Cell& TGrid::GrownCell(int col, int row)
{
    Grow(col, row);
    return cols_[static_cast<std::size_t>(col)].cells[static_cast<std::size_t>(row)];
}

std::string TGrid::GetCells(int col, int row)
{
    return GrownCell(col, row).text;
}

void TGrid::SetCells(int col, int row, std::string text)
{
    WithinUpdate(*this, [&] {
        GrownCell(col, row).text = std::move(text);
        Change();
    });
}

TObject* TGrid::GetObjects(int col, int row)
{
    return GrownCell(col, row).object;
}

void TGrid::SetObjects(int col, int row, TObject* object)
{
    WithinUpdate(*this, [&] {
        GrownCell(col, row).object = object;
        Change();
    });
}

TGridColStrings* TGrid::GetCols(int col)
{
    if (col < 0)
        platform::RaiseListIndex(col);
    if (col >= GetColCount())
        SetColCount(col + 1);
    Column& column = cols_[static_cast<std::size_t>(col)];
    if (!column.view) {
        column.view = std::make_unique<TGridColStrings>(this);
        column.view->col_ = col;
    }
    return column.view.get();
}

TGridRowStrings* TGrid::GetRows(int row)
{
    if (row < 0)
        platform::RaiseListIndex(row);
    if (row >= GetRowCount())
        SetRowCount(row + 1);
    std::unique_ptr<TGridRowStrings>& view = rowViews_[static_cast<std::size_t>(row)];
    if (!view) {
        view = std::make_unique<TGridRowStrings>(this);
        view->row_ = row;
    }
    return view.get();
}

void TGrid::AddCol()
{
    InsertCol(GetColCount());
}

void TGrid::AddRow()
{
    InsertRow(GetRowCount());
}

void TGrid::InsertCol(int index)
{
    if (index < 0 || index > GetColCount())
        platform::RaiseListIndex(index);
    CheckShapeUnlocked();
    Column column;
    const int rows = GetRowCount();
    column.cells.reserve(static_cast<std::size_t>(rows));
    {
        ShapeLock lock(*this);
        // An object the handler handed over before it threw belongs to the grid as well.
        Cell pending;
        try {
            for (int r = 0; r < rows; ++r) {
                DoAddCells(index, r, pending.text, pending.object);
                column.cells.push_back(std::move(pending));
                pending = Cell();
            }
        } catch (...) {
            ReleaseObject(pending);
            ReleaseObjects(column.cells);
            throw;
        }
    }
    cols_.insert(cols_.begin() + index, std::move(column));
    RenumberCols(static_cast<std::size_t>(index));
    Change();
}

void TGrid::InsertRow(int index)
{
    if (index < 0 || index > GetRowCount())
        platform::RaiseListIndex(index);
    CheckShapeUnlocked();
    const int cols = GetColCount();
    newRow_.clear();
    {
        ShapeLock lock(*this);
        Cell pending;
        try {
            for (int c = 0; c < cols; ++c) {
                DoAddCells(c, index, pending.text, pending.object);
                newRow_.push_back(std::move(pending));
                pending = Cell();
            }
        } catch (...) {
            ReleaseObject(pending);
            ReleaseObjects(newRow_);
            newRow_.clear();
            throw;
        }
    }
    const auto at = static_cast<std::size_t>(index);
    for (std::size_t c = 0; c < cols_.size(); ++c) {
        std::vector<Cell>& cells = cols_[c].cells;
        if (at == cells.size())
            cells.push_back(std::move(newRow_[c]));
        else
            cells.insert(cells.begin() + index, std::move(newRow_[c]));
    }
    newRow_.clear();
    rowViews_.insert(rowViews_.begin() + index, nullptr);
    RenumberRows(at + 1);
    Change();
}

void TGrid::DeleteCol(int index)
{
    if (index < 0 || index >= GetColCount())
        platform::RaiseListIndex(index);
    CheckShapeUnlocked();
    {
        ShapeLock lock(*this);
        const int rows = GetRowCount();
        for (int r = 0; r < rows; ++r) {
            DoDeleteCells(index, r);
            ReleaseObject(cols_[static_cast<std::size_t>(index)].cells[static_cast<std::size_t>(r)]);
        }
    }
    cols_.erase(cols_.begin() + index);
    RenumberCols(static_cast<std::size_t>(index));
    Change();
}

void TGrid::DeleteRow(int index)
{
    if (index < 0 || index >= GetRowCount())
        platform::RaiseListIndex(index);
    CheckShapeUnlocked();
    const auto at = static_cast<std::size_t>(index);
    {
        ShapeLock lock(*this);
        const int cols = GetColCount();
        for (int c = 0; c < cols; ++c) {
            DoDeleteCells(c, index);
            ReleaseObject(cols_[static_cast<std::size_t>(c)].cells[at]);
        }
    }
    for (Column& column : cols_)
        column.cells.erase(column.cells.begin() + index);
    rowViews_.erase(rowViews_.begin() + index);
    RenumberRows(at);
    Change();
}

void TGrid::RenumberCols(std::size_t from)
{
    for (std::size_t c = from; c < cols_.size(); ++c)
        if (cols_[c].view)
            cols_[c].view->col_ = static_cast<int>(c);
}

void TGrid::RenumberRows(std::size_t from)
{
    for (std::size_t r = from; r < rowViews_.size(); ++r)
        if (rowViews_[r])
            rowViews_[r]->row_ = static_cast<int>(r);
}

void TGrid::ReleaseObject(Cell& cell)
{
    if (!ownsObjects_ || !cell.object)
        return;
    TObject* object = cell.object;
    cell.object = nullptr;
    delete object;
}

void TGrid::ReleaseObjects(std::vector<Cell>& cells)
{
    for (Cell& cell : cells)
        ReleaseObject(cell);
}

void TGrid::CheckShapeUnlocked() const
{
    if (shapeLock_ > 0)
        throw platform::Error("The grid's rows and columns cannot change while cells are added or deleted");
}

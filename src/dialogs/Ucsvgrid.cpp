#include "dialogs/Ucsvgrid.h"

#include "platform/StringList.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

const std::string kEmpty;

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

} // namespace

// --- TCsvGrid ---

void TCsvGrid::SetColCount(int count)
{
    cols_ = std::max(count, 1);
    for (auto& row : rows_) row.resize(Index(cols_));
}

void TCsvGrid::SetRowCount(int count)
{
    rows_.resize(Index(std::max(count, 1)), std::vector<std::string>(Index(cols_)));
}

const std::string& TCsvGrid::GetCell(int col, int row) const
{
    return Contains(col, row) ? rows_[Index(row)][Index(col)] : kEmpty;
}

void TCsvGrid::SetCell(int col, int row, std::string text)
{
    if (Contains(col, row)) rows_[Index(row)][Index(col)] = std::move(text);
}

void TCsvGrid::SetRowCells(int row, std::vector<std::string> cells)
{
    if (row < 0 || row >= GetRowCount()) return;
    std::vector<std::string>& target = rows_[Index(row)];
    if (fixedCols_ == 0) {
        cells.resize(Index(cols_));
        target = std::move(cells);
        return;
    }
    for (std::size_t i = 0; Index(fixedCols_) + i < target.size(); ++i)
        target[Index(fixedCols_) + i] = i < cells.size() ? std::move(cells[i]) : std::string();
}

void TCsvGrid::InsertCol(int col)
{
    col = std::clamp(col, 0, cols_);
    for (auto& row : rows_) row.insert(row.begin() + col, std::string());
    ++cols_;
}

void TCsvGrid::DeleteCol(int col)
{
    if (col < 0 || col >= cols_ || cols_ <= 1) return;
    for (auto& row : rows_) row.erase(row.begin() + col);
    --cols_;
}

void TCsvGrid::SwapCols(int a, int b)
{
    if (a < 0 || b < 0 || a >= cols_ || b >= cols_) return;
    for (auto& row : rows_) std::swap(row[Index(a)], row[Index(b)]);
}

void TCsvGrid::InsertRow(int row)
{
    row = std::clamp(row, 0, GetRowCount());
    rows_.insert(rows_.begin() + row, std::vector<std::string>(Index(cols_)));
}

void TCsvGrid::DeleteRow(int row)
{
    if (row < 0 || row >= GetRowCount() || GetRowCount() <= 1) return;
    rows_.erase(rows_.begin() + row);
}

void TCsvGrid::SwapRows(int a, int b)
{
    if (a < 0 || b < 0 || a >= GetRowCount() || b >= GetRowCount()) return;
    std::swap(rows_[Index(a)], rows_[Index(b)]);
}

std::string TCsvGrid::InsertCell(int col, int row)
{
    if (!Contains(col, row)) return {};
    auto& cells = rows_[Index(row)];
    std::string lost = std::move(cells.back());
    std::move_backward(cells.begin() + col, cells.end() - 1, cells.end());
    cells[Index(col)].clear();
    return lost;
}

void TCsvGrid::DeleteCell(int col, int row)
{
    if (!Contains(col, row)) return;
    auto& cells = rows_[Index(row)];
    std::move(cells.begin() + col + 1, cells.end(), cells.begin() + col);
    cells.back().clear();
}

std::string TCsvGrid::GetColText(int col) const
{
    std::vector<std::string> cells;
    for (int row = 0; row < GetRowCount(); ++row) cells.push_back(GetCell(col, row));
    return platform::JoinCommaText(cells);
}

void TCsvGrid::SetColText(int col, std::string_view text)
{
    const std::vector<std::string> cells = platform::SplitCommaText(text);
    for (int row = 0; row < GetRowCount(); ++row)
        SetCell(col, row, Index(row) < cells.size() ? cells[Index(row)] : std::string());
}

std::string TCsvGrid::GetRowText(int row) const
{
    return row >= 0 && row < GetRowCount() ? platform::JoinCommaText(rows_[Index(row)]) : std::string();
}

void TCsvGrid::SetRowText(int row, std::string_view text)
{
    const std::vector<std::string> cells = platform::SplitCommaText(text);
    for (int col = 0; col < cols_; ++col)
        SetCell(col, row, Index(col) < cells.size() ? cells[Index(col)] : std::string());
}

// --- text forms ---

bool IsBlankCell(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 0x20; });
}

std::string CellText(std::string_view text)
{
    std::string cell;
    cell.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            cell += ' ';
        } else {
            cell += text[i];
        }
    }
    return cell;
}

TCsvRows SplitCsvText(std::string_view text)
{
    platform::StringList lines;
    lines.SetText(text);
    TCsvRows rows;
    rows.reserve(Index(lines.GetCount()));
    for (int i = 0; i < lines.GetCount(); ++i) {
        std::vector<std::string> fields = platform::SplitCommaText(lines.GetString(i));
        if (fields.empty()) fields.emplace_back();
        rows.push_back(std::move(fields));
    }
    return rows;
}

void SetRows(TCsvGrid& grid, TCsvRows rows)
{
    const int fixedCols = grid.GetFixedCols();
    const int fixedRows = grid.GetFixedRows();
    const int lineCount = rows.empty() ? 1 : static_cast<int>(rows.size());
    grid.SetRowCount(fixedRows + lineCount);
    std::size_t widest = 1;
    for (const auto& row : rows) widest = std::max(widest, row.size());
    grid.SetColCount(fixedCols + static_cast<int>(widest));
    for (auto& row : rows)
        for (std::string& text : row)
            if (std::memchr(text.data(), '\r', text.size()) || std::memchr(text.data(), '\n', text.size()))
                text = CellText(text);
    if (rows.empty()) rows.emplace_back();
    for (int i = 0; i < lineCount; ++i) grid.SetRowCells(fixedRows + i, std::move(rows[Index(i)]));
}

void SetCSV(TCsvGrid& grid, std::string_view text) { SetRows(grid, SplitCsvText(text)); }

namespace {

// The non-fixed rows as comma texts, trailing blank cells and trailing empty rows dropped.
std::vector<std::string> CsvLines(const TCsvGrid& grid)
{
    std::vector<std::string> lines;
    bool any = false;
    for (int row = grid.GetRowCount() - 1; row >= grid.GetFixedRows(); --row) {
        int last = grid.GetColCount() - 1;
        while (last >= grid.GetFixedCols() && IsBlankCell(grid.GetCell(last, row))) --last;
        if (last < grid.GetFixedCols() && !any) continue;
        any = true;
        std::vector<std::string> cells;
        for (int col = grid.GetFixedCols(); col <= last; ++col) cells.push_back(grid.GetCell(col, row));
        lines.push_back(platform::JoinCommaText(cells));
    }
    std::reverse(lines.begin(), lines.end());
    return lines;
}

} // namespace

std::string GetCSV(const TCsvGrid& grid)
{
    std::string text;
    for (const std::string& line : CsvLines(grid)) text += line + "\r\n";
    return text;
}

void SetGrid(TCsvGrid& grid, std::string_view text)
{
    TCsvRows rows;
    for (const std::string& line : platform::SplitCommaText(text)) {
        std::vector<std::string> fields = platform::SplitCommaText(line);
        if (fields.empty()) fields.emplace_back();
        rows.push_back(std::move(fields));
    }
    SetRows(grid, std::move(rows));
}

std::string GetGrid(const TCsvGrid& grid) { return platform::JoinCommaText(CsvLines(grid)); }

// --- TCsvEditHistorys ---

void TCsvEditHistorys::Add(int kind, int col, int row, std::string text)
{
    const bool dropped = position_ < GetCount();
    items_.resize(Index(position_));
    if (!dropped && position_ > 0 && kind == 11) {
        TCsvEditHistory& last = items_.back();
        if (last.Kind == 11 && last.Col == col && last.Row == row) {
            last.Text = std::move(text);
            return;
        }
    }
    items_.push_back({kind, col, row, std::move(text)});
    ++position_;
}

void TCsvEditHistorys::Clear()
{
    items_.clear();
    position_ = 0;
}

const TCsvEditHistory* TCsvEditHistorys::StepBack()
{
    if (!CanUndo()) return nullptr;
    return &items_[Index(--position_)];
}

const TCsvEditHistory* TCsvEditHistorys::StepForward()
{
    if (!CanRedo()) return nullptr;
    return &items_[Index(position_++)];
}

// --- TCsvEditCore ---

void TCsvEditCore::SetCurrent(int col, int row, bool keepAnchor)
{
    col_ = std::clamp(col, 0, grid_.GetColCount() - 1);
    row_ = std::clamp(row, 0, grid_.GetRowCount() - 1);
    if (!keepAnchor) {
        anchorCol_ = col_;
        anchorRow_ = row_;
    }
}

void TCsvEditCore::ClampCurrent()
{
    const int col = std::clamp(col_, std::min(grid_.GetFixedCols(), grid_.GetColCount() - 1), grid_.GetColCount() - 1);
    const int row = std::clamp(row_, std::min(grid_.GetFixedRows(), grid_.GetRowCount() - 1), grid_.GetRowCount() - 1);
    anchorCol_ = std::clamp(anchorCol_, 0, grid_.GetColCount() - 1);
    anchorRow_ = std::clamp(anchorRow_, 0, grid_.GetRowCount() - 1);
    SetCurrent(col, row, true);
}

bool TCsvEditCore::Record(int kind, int col, int row, std::string text)
{
    history_.Add(kind, col, row, std::move(text));
    return true;
}

bool TCsvEditCore::InsertCol()
{
    grid_.InsertCol(col_);
    return Record(1, col_, row_, {});
}

bool TCsvEditCore::DeleteCol()
{
    if (grid_.GetColCount() <= grid_.GetFixedCols() + 1) return false;
    std::string text = grid_.GetColText(col_);
    const int col = col_;
    grid_.DeleteCol(col);
    ClampCurrent();
    return Record(2, col, row_, std::move(text));
}

bool TCsvEditCore::MoveColRight()
{
    if (col_ >= grid_.GetColCount() - 1) return false;
    grid_.SwapCols(col_, col_ + 1);
    Record(3, col_, row_, {});
    SetCurrent(col_ + 1, row_);
    return true;
}

bool TCsvEditCore::MoveColLeft()
{
    if (col_ <= grid_.GetFixedCols()) return false;
    grid_.SwapCols(col_, col_ - 1);
    Record(4, col_, row_, {});
    SetCurrent(col_ - 1, row_);
    return true;
}

bool TCsvEditCore::InsertRow()
{
    grid_.InsertRow(row_);
    return Record(5, col_, row_, {});
}

bool TCsvEditCore::DeleteRow()
{
    if (grid_.GetRowCount() <= grid_.GetFixedRows() + 1) return false;
    std::string text = grid_.GetRowText(row_);
    const int row = row_;
    grid_.DeleteRow(row);
    ClampCurrent();
    return Record(6, col_, row, std::move(text));
}

bool TCsvEditCore::MoveRowUp()
{
    if (row_ <= grid_.GetFixedRows()) return false;
    grid_.SwapRows(row_, row_ - 1);
    Record(7, col_, row_, {});
    SetCurrent(col_, row_ - 1);
    return true;
}

bool TCsvEditCore::MoveRowDown()
{
    if (row_ >= grid_.GetRowCount() - 1) return false;
    grid_.SwapRows(row_, row_ + 1);
    Record(8, col_, row_, {});
    SetCurrent(col_, row_ + 1);
    return true;
}

bool TCsvEditCore::InsertCell()
{
    if (grid_.GetColCount() <= 1 || grid_.GetRowCount() <= 1) return false;
    return Record(9, col_, row_, grid_.InsertCell(col_, row_));
}

bool TCsvEditCore::DeleteCell()
{
    if (grid_.GetColCount() <= 1) return false;
    std::string text = grid_.GetCell(col_, row_);
    grid_.DeleteCell(col_, row_);
    return Record(10, col_, row_, std::move(text));
}

int TCsvEditCore::Undo()
{
    const TCsvEditHistory* record = history_.StepBack();
    if (!record) return 0;
    const int col = record->Col;
    const int row = record->Row;
    const std::string& text = record->Text;
    int reported = 0;
    switch (record->Kind) {
    case 1: grid_.DeleteCol(col); reported = 2; break;
    case 2: grid_.InsertCol(col); grid_.SetColText(col, text); reported = 1; break;
    case 3: grid_.SwapCols(col, col + 1); reported = 4; break;
    case 4: grid_.SwapCols(col, col - 1); reported = 3; break;
    case 5: grid_.DeleteRow(row); reported = 6; break;
    case 6: grid_.InsertRow(row); grid_.SetRowText(row, text); reported = 5; break;
    case 7: grid_.SwapRows(row, row - 1); reported = 8; break;
    case 8: grid_.SwapRows(row, row + 1); reported = 7; break;
    case 9:
        grid_.DeleteCell(col, row);
        grid_.SetCell(grid_.GetColCount() - 1, row, text);
        reported = 10;
        break;
    case 10:
        grid_.InsertCell(col, row);
        grid_.SetCell(col, row, text);
        reported = 9;
        break;
    case 11: grid_.SetCell(col, row, text.substr(0, text.find('\n'))); reported = 11; break;
    default: return 0;
    }
    SetCurrent(col, row);
    return reported;
}

int TCsvEditCore::Redo()
{
    const TCsvEditHistory* record = history_.StepForward();
    if (!record) return 0;
    int col = record->Col;
    int row = record->Row;
    const std::string& text = record->Text;
    switch (record->Kind) {
    case 1: grid_.InsertCol(col); break;
    case 2:
        grid_.DeleteCol(col);
        if (col == grid_.GetColCount()) --col;
        break;
    case 3: grid_.SwapCols(col, col + 1); ++col; break;
    case 4: grid_.SwapCols(col, col - 1); --col; break;
    case 5: grid_.InsertRow(row); break;
    case 6:
        grid_.DeleteRow(row);
        if (row == grid_.GetRowCount()) --row;
        break;
    case 7: grid_.SwapRows(row, row - 1); --row; break;
    case 8: grid_.SwapRows(row, row + 1); ++row; break;
    case 9: grid_.InsertCell(col, row); break;
    case 10: grid_.DeleteCell(col, row); break;
    case 11: {
        const std::size_t lf = text.find('\n');
        grid_.SetCell(col, row, lf == std::string::npos ? std::string() : text.substr(lf + 1));
        break;
    }
    default: return 0;
    }
    SetCurrent(col, row);
    return record->Kind;
}

void TCsvEditCore::SetCSV(std::string_view text) { SetRows(SplitCsvText(text)); }

void TCsvEditCore::SetRows(TCsvRows rows)
{
    Replace([&](TCsvGrid& grid) { ::SetRows(grid, std::move(rows)); });
}

void TCsvEditCore::CommitEdit(int col, int row, const std::string& startText, std::string text)
{
    text = CellText(text);
    if (!grid_.Contains(col, row) || text == grid_.GetCell(col, row)) return;
    grid_.SetCell(col, row, text);
    history_.Add(11, col, row, startText + "\n" + text);
}

void TCsvEditCore::PasteText(std::string_view text)
{
    const TCsvRows rows = SplitCsvText(text);
    for (std::size_t i = 0; i < rows.size() && row_ + static_cast<int>(i) < grid_.GetRowCount(); ++i) {
        const int row = row_ + static_cast<int>(i);
        for (std::size_t j = 0; j < rows[i].size() && col_ + static_cast<int>(j) < grid_.GetColCount(); ++j) {
            const int col = col_ + static_cast<int>(j);
            std::string old = grid_.GetCell(col, row);
            grid_.SetCell(col, row, rows[i][j]);
            history_.Add(11, col, row, old + "\n" + rows[i][j]);
        }
    }
}

std::string TCsvEditCore::GetSelectionCSV() const
{
    const int left = std::min(col_, anchorCol_);
    const int right = std::max(col_, anchorCol_);
    const int top = std::min(row_, anchorRow_);
    const int bottom = std::max(row_, anchorRow_);
    std::string text;
    for (int row = top; row <= bottom; ++row) {
        std::vector<std::string> cells;
        for (int col = left; col <= right; ++col) cells.push_back(grid_.GetCell(col, row));
        text += platform::JoinCommaText(cells) + "\r\n";
    }
    return text;
}

#pragma once
// TVktRowCache: the row cache of a read accessor. Cells are addressed (column, row), both from 0;
// each holds a display text and a value. Reading outside the table raises
// platform::ListIndexError; nothing grows on reading.
//
// Storage is compact, so that a listing of many rows costs about what its texts weigh: cells lie
// row after row in fixed blocks, each with a pointer to its text in the text blocks, the text's
// length, a one-byte state (empty, null, value) and 8 bytes for its value. Blocks never move,
// so a growing cache copies nothing. A column whose cells share one kind keeps their values as
// those 8 bytes (integers, booleans, currency, doubles, date-times) or, for texts, not at all
// (the value of a text cell is its own text); a column whose cells come in several kinds keeps
// variants. A text written later is added to the text blocks; values written later (SetValue)
// are kept apart and read first.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Variant.h"

class TVktRowCache {
public:
    TVktRowCache() = default;
    TVktRowCache(const TVktRowCache&) = delete;
    TVktRowCache& operator=(const TVktRowCache&) = delete;

    // Empties the cache and gives it `cols` columns and no rows.
    void Reset(int cols);
    int GetColCount() const { return static_cast<int>(cols_.size()); }
    int GetRowCount() const { return rows_; }

    // Appends a row of cells with empty texts and empty values (filled by Put).
    void AddRow();
    // Fills cell `col` of the last row. `valueIsText` is the caller's promise that a text value
    // equals the text (they are then not compared).
    void Put(int col, std::string_view text, const platform::Variant& value, bool valueIsText = false);

    std::string GetText(int col, int row) const;
    platform::Variant GetValue(int col, int row) const;
    // Overwrite one cell's text or value; the other stays as it was.
    void SetText(int col, int row, std::string_view text);
    void SetValue(int col, int row, const platform::Variant& value);
    // First row whose value of column `col` equals `value` (variant equality); -1 when none.
    int Find(int col, const platform::Variant& value) const;

private:
    // How a column keeps its values.
    enum class Kind : std::uint8_t { Unset, Text, Integer, Boolean, Double, Currency, DateTime, Variants };
    // State of one cell's value.
    enum State : std::uint8_t { Empty = 0, Null = 1, Value = 2 };

    struct Cell {
        const char* text = nullptr;   // in a text block
        std::uint32_t length = 0;
        State state = Empty;
        std::int64_t number = 0;      // the value of a numeric column
    };
    struct Column {
        Kind kind = Kind::Unset;
        std::vector<platform::Variant> variants;   // Variants only, one per row
    };

    static constexpr std::size_t kCellBlockBits = 12;
    static constexpr std::size_t kCellsPerBlock = std::size_t{1} << kCellBlockBits;
    static constexpr std::size_t kTextBlockSize = std::size_t{1} << 16;

    static Kind KindOf(platform::Variant::Kind kind);
    static std::int64_t Pack(Kind kind, const platform::Variant& value);
    Cell& At(int col, int row) { return CellAt(Index(col, row)); }
    const Cell& At(int col, int row) const { return CellAt(Index(col, row)); }
    std::size_t Index(int col, int row) const {
        return static_cast<std::size_t>(row) * cols_.size() + static_cast<std::size_t>(col);
    }
    Cell& CellAt(std::size_t index) { return cellBlocks_[index >> kCellBlockBits][index & (kCellsPerBlock - 1)]; }
    const Cell& CellAt(std::size_t index) const {
        return cellBlocks_[index >> kCellBlockBits][index & (kCellsPerBlock - 1)];
    }
    static std::string_view TextOf(const Cell& cell) { return {cell.text, cell.length}; }
    // Copies a text into the text blocks and points the cell at it.
    void StoreText(Cell& cell, std::string_view text);
    platform::Variant StoredValue(int col, int row) const;
    // Keeps every value of the column as a variant from now on.
    void ToVariants(int col);
    void Check(int col, int row) const;

    std::vector<Column> cols_;
    int rows_ = 0;
    std::vector<std::unique_ptr<Cell[]>> cellBlocks_;   // row-major cells, kCellsPerBlock each
    std::vector<std::unique_ptr<char[]>> textBlocks_;
    char* textNext_ = nullptr;   // free room in the last ordinary text block
    std::size_t textLeft_ = 0;
    std::map<std::pair<int, int>, platform::Variant> written_;   // (col, row) -> value set later
};

#include "data/Uvktrowcache.h"

#include <bit>
#include <cstring>
#include <limits>

#include "platform/Errors.h"
#include "platform/Text.h"

using platform::Variant;

TVktRowCache::Kind TVktRowCache::KindOf(Variant::Kind kind) {
    switch (kind) {
    case Variant::Kind::Text: return Kind::Text;
    case Variant::Kind::Integer: return Kind::Integer;
    case Variant::Kind::Boolean: return Kind::Boolean;
    case Variant::Kind::Double: return Kind::Double;
    case Variant::Kind::Currency: return Kind::Currency;
    case Variant::Kind::DateTime: return Kind::DateTime;
    default: return Kind::Variants;   // bytes
    }
}

std::int64_t TVktRowCache::Pack(Kind kind, const Variant& value) {
    switch (kind) {
    case Kind::Integer: return value.AsInt64();
    case Kind::Boolean: return value.AsBool() ? 1 : 0;
    case Kind::Double: return std::bit_cast<std::int64_t>(value.AsDouble());
    case Kind::Currency: return value.AsCurrency().Raw();
    case Kind::DateTime: return std::bit_cast<std::int64_t>(value.AsDateTime());
    default: return 0;
    }
}

void TVktRowCache::StoreText(Cell& cell, std::string_view text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw platform::Error("Text too long for the row cache");
    cell.length = static_cast<std::uint32_t>(text.size());
    if (text.empty()) {
        cell.text = nullptr;
        return;
    }
    if (text.size() > textLeft_) {
        if (text.size() > kTextBlockSize / 4) {
            // A long text gets a block of its own; the ordinary block keeps its room.
            textBlocks_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
            cell.text = textBlocks_.back().get();
            std::memcpy(textBlocks_.back().get(), text.data(), text.size());
            return;
        }
        textBlocks_.push_back(std::make_unique_for_overwrite<char[]>(kTextBlockSize));
        textNext_ = textBlocks_.back().get();
        textLeft_ = kTextBlockSize;
    }
    std::memcpy(textNext_, text.data(), text.size());
    cell.text = textNext_;
    textNext_ += text.size();
    textLeft_ -= text.size();
}

void TVktRowCache::Reset(int cols) {
    cols_.clear();
    cols_.resize(static_cast<std::size_t>(cols < 0 ? 0 : cols));
    rows_ = 0;
    cellBlocks_.clear();
    textBlocks_.clear();
    textNext_ = nullptr;
    textLeft_ = 0;
    written_.clear();
}

void TVktRowCache::AddRow() {
    // New blocks hold empty cells.
    const std::size_t needed = static_cast<std::size_t>(rows_ + 1) * cols_.size();
    while (cellBlocks_.size() * kCellsPerBlock < needed) cellBlocks_.push_back(std::make_unique<Cell[]>(kCellsPerBlock));
    for (Column& column : cols_)
        if (column.kind == Kind::Variants) column.variants.emplace_back();
    ++rows_;
}

void TVktRowCache::Put(int col, std::string_view text, const Variant& value, bool valueIsText) {
    Check(col, rows_ - 1);
    Column& column = cols_[static_cast<std::size_t>(col)];
    Cell& cell = At(col, rows_ - 1);
    StoreText(cell, text);
    const Variant::Kind valueKind = value.GetKind();
    if (valueKind == Variant::Kind::Empty || valueKind == Variant::Kind::Null) {
        cell.state = valueKind == Variant::Kind::Null ? Null : Empty;
        if (column.kind == Kind::Variants) column.variants.back() = value;
        return;
    }
    Kind kind = KindOf(valueKind);
    // A text cell's value is kept only as its text: the two must agree.
    if (kind == Kind::Text && !valueIsText && value.AsString() != text) kind = Kind::Variants;
    if (column.kind == Kind::Unset) {
        column.kind = kind;
        if (kind == Kind::Variants) column.variants.resize(static_cast<std::size_t>(rows_));
    } else if (column.kind != kind && column.kind != Kind::Variants) {
        ToVariants(col);
    }
    cell.state = Value;
    if (column.kind == Kind::Variants)
        column.variants.back() = value;
    else if (column.kind != Kind::Text)
        cell.number = Pack(column.kind, value);
}

Variant TVktRowCache::StoredValue(int col, int row) const {
    const Column& column = cols_[static_cast<std::size_t>(col)];
    if (column.kind == Kind::Variants) return column.variants[static_cast<std::size_t>(row)];
    const Cell& cell = At(col, row);
    switch (cell.state) {
    case Empty: return Variant();
    case Null: return Variant::Null();
    default: break;
    }
    switch (column.kind) {
    case Kind::Text: return Variant(std::string(TextOf(cell)));
    case Kind::Integer: return Variant(cell.number);
    case Kind::Boolean: return Variant(cell.number != 0);
    case Kind::Double: return Variant(std::bit_cast<double>(cell.number));
    case Kind::Currency: return Variant(platform::Currency::FromRaw(cell.number));
    case Kind::DateTime: return Variant::FromDateTime(std::bit_cast<double>(cell.number));
    default: return Variant();
    }
}

void TVktRowCache::ToVariants(int col) {
    std::vector<Variant> variants;
    variants.reserve(static_cast<std::size_t>(rows_));
    for (int row = 0; row < rows_; ++row) variants.push_back(StoredValue(col, row));
    Column& column = cols_[static_cast<std::size_t>(col)];
    column.variants = std::move(variants);
    column.kind = Kind::Variants;
}

std::string TVktRowCache::GetText(int col, int row) const {
    Check(col, row);
    return std::string(TextOf(At(col, row)));
}

Variant TVktRowCache::GetValue(int col, int row) const {
    Check(col, row);
    if (!written_.empty()) {
        const auto found = written_.find({col, row});
        if (found != written_.end()) return found->second;
    }
    return StoredValue(col, row);
}

void TVktRowCache::SetText(int col, int row, std::string_view text) {
    Check(col, row);
    // A text cell's value is its text: keep the value apart before the text changes.
    if (cols_[static_cast<std::size_t>(col)].kind == Kind::Text && At(col, row).state == Value)
        written_.try_emplace({col, row}, StoredValue(col, row));
    StoreText(At(col, row), text);
}

void TVktRowCache::SetValue(int col, int row, const Variant& value) {
    Check(col, row);
    written_.insert_or_assign({col, row}, value);
}

int TVktRowCache::Find(int col, const Variant& value) const {
    if (col < 0 || col >= GetColCount()) return -1;
    for (int row = 0; row < rows_; ++row)
        if (GetValue(col, row) == value) return row;
    return -1;
}

void TVktRowCache::Check(int col, int row) const {
    if (col < 0 || col >= GetColCount())
        platform::RaiseListIndex(col);
    if (row < 0 || row >= rows_)
        platform::RaiseListIndex(row);
}

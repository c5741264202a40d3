#pragma once
// TPriorityItem: an ordered list of signed 32-bit integers with value semantics (record ids, field
// lists, sort orders, widths...). Duplicates allowed; order is what the caller gives.
#include <cstdint>
#include <string>
#include <vector>

class TPriorityItem {
public:
    TPriorityItem() = default;
    TPriorityItem(const TPriorityItem& source);
    TPriorityItem(TPriorityItem&& source) noexcept = default;
    TPriorityItem& operator=(const TPriorityItem& source);
    TPriorityItem& operator=(TPriorityItem&& source) noexcept = default;
    virtual ~TPriorityItem();

    // Replaces the items by the source's; safe when the source is this list.
    void Copy(const TPriorityItem& source);

    // Same count and the same value at every position.
    bool Equal(const TPriorityItem& other) const;
    bool operator==(const TPriorityItem& other) const { return Equal(other); }
    bool operator!=(const TPriorityItem& other) const { return !Equal(other); }

    TPriorityItem& operator<<(const int& value) { Push(value); return *this; }
    TPriorityItem& operator<<(const TPriorityItem& other) { Add(other); return *this; }
    void Push(int value);
    // Appends the other list's items; appending a list to itself doubles it.
    void Add(const TPriorityItem& other);
    // Inserts before `index` (0 .. Count); raises platform::ListIndexError otherwise.
    void Insert(int index, int value);
    // First position holding the value; -1 when none.
    int IndexOf(int value) const;

    int GetCount() const { return static_cast<int>(items_.size()); }
    // A larger count pads with 0, a smaller one cuts the end; negative raises platform::ListCountError.
    void SetCount(int count);
    // Index outside 0 .. Count-1 raises platform::ListIndexError.
    int GetItem(int index) const;
    void SetItem(int index, int value);
    void Clear() { items_.clear(); }

    // Ascending by unsigned 32-bit value: non-negative values first, then the negative ones (-1 last).
    void Sort();

    // Decimal values joined by "," without blanks or quotes; "" for an empty list.
    std::string GetCommaText() const;
    // Clears, then appends each comma-text piece read as an integer. A piece that is not an integer
    // (an empty piece included) raises platform::ConvertError; the pieces before it stay appended.
    void SetCommaText(const std::string& text);

private:
    std::vector<std::int32_t> items_;
};

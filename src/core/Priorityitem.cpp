#include "core/Priorityitem.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

} // namespace

TPriorityItem::TPriorityItem(const TPriorityItem& source) : items_(source.items_) {}

TPriorityItem& TPriorityItem::operator=(const TPriorityItem& source)
{
    Copy(source);
    return *this;
}

TPriorityItem::~TPriorityItem() = default;

void TPriorityItem::Copy(const TPriorityItem& source)
{
    std::vector<std::int32_t> taken(source.items_);
    items_ = std::move(taken);
}

bool TPriorityItem::Equal(const TPriorityItem& other) const
{
    return items_ == other.items_;
}

void TPriorityItem::Push(int value)
{
    items_.push_back(value);
}

void TPriorityItem::Add(const TPriorityItem& other)
{
    if (&other == this) {
        const std::size_t n = items_.size();
        items_.reserve(2 * n);
        for (std::size_t i = 0; i < n; ++i)
            items_.push_back(items_[i]);
        return;
    }
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
}

void TPriorityItem::Insert(int index, int value)
{
    if (index < 0 || index > GetCount())
        platform::RaiseListIndex(index);
    items_.insert(items_.begin() + index, value);
}

int TPriorityItem::IndexOf(int value) const
{
    const auto it = std::find(items_.begin(), items_.end(), value);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TPriorityItem::SetCount(int count)
{
    if (count < 0)
        throw platform::ListCountError("List count out of bounds (" + platform::IntToStr(count) + ")");
    items_.resize(static_cast<std::size_t>(count), 0);
}

int TPriorityItem::GetItem(int index) const
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

void TPriorityItem::SetItem(int index, int value)
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    items_[static_cast<std::size_t>(index)] = value;
}

void TPriorityItem::Sort()
{
    std::sort(items_.begin(), items_.end(), [](std::int32_t a, std::int32_t b) {
        return static_cast<std::uint32_t>(a) < static_cast<std::uint32_t>(b);
    });
}

std::string TPriorityItem::GetCommaText() const
{
    std::string text;
    for (const std::int32_t item : items_) {
        if (!text.empty())
            text += ',';
        text += platform::IntToStr(item);
    }
    return text;
}

void TPriorityItem::SetCommaText(const std::string& text)
{
    items_.clear();
    for (const std::string& piece : platform::SplitCommaText(text))
        items_.push_back(platform::StrToInt(piece));
}

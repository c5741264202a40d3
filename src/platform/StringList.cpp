#include "platform/StringList.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>

namespace platform {

StringList::StringList(std::initializer_list<std::string> items)
{
    items_.reserve(items.size());
    for (const std::string& text : items)
        items_.push_back({text, nullptr});
}

void StringList::CheckIndex(int index) const
{
    if (index < 0 || index >= GetCount())
        RaiseListIndex(index);
}

bool StringList::Equal(std::string_view a, std::string_view b) const
{
    return caseSensitive_ ? a == b : SameText(a, b);
}

const std::string& StringList::GetString(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].text;
}

void StringList::SetString(int index, std::string text)
{
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].text = std::move(text);
}

void* StringList::GetObject(int index) const
{
    CheckIndex(index);
    return items_[static_cast<std::size_t>(index)].object;
}

void StringList::SetObject(int index, void* object)
{
    CheckIndex(index);
    items_[static_cast<std::size_t>(index)].object = object;
}

int StringList::Add(std::string text)
{
    return AddObject(std::move(text), nullptr);
}

int StringList::AddObject(std::string text, void* object)
{
    if (ignoreDuplicates_) {
        const int existing = IndexOf(text);
        if (existing >= 0)
            return existing;
    }
    items_.push_back({std::move(text), object});
    return GetCount() - 1;
}

void StringList::AddStrings(const StringList& other)
{
    if (&other == this) {
        const StringList copy = other;
        AddStrings(copy);
        return;
    }
    for (const Item& item : other.items_)
        AddObject(item.text, item.object);
}

void StringList::Insert(int index, std::string text)
{
    InsertObject(index, std::move(text), nullptr);
}

void StringList::InsertObject(int index, std::string text, void* object)
{
    if (index < 0 || index > GetCount())
        RaiseListIndex(index);
    items_.insert(items_.begin() + index, Item{std::move(text), object});
}

void StringList::Delete(int index)
{
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

void StringList::Clear()
{
    items_.clear();
}

void StringList::Move(int fromIndex, int toIndex)
{
    if (fromIndex == toIndex)
        return;
    CheckIndex(fromIndex);
    CheckIndex(toIndex);
    Item item = std::move(items_[static_cast<std::size_t>(fromIndex)]);
    items_.erase(items_.begin() + fromIndex);
    items_.insert(items_.begin() + toIndex, std::move(item));
}

void StringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

int StringList::IndexOf(std::string_view text) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (Equal(items_[i].text, text))
            return static_cast<int>(i);
    return -1;
}

int StringList::IndexOfObject(const void* object) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].object == object)
            return static_cast<int>(i);
    return -1;
}

int StringList::IndexOfName(std::string_view name) const
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::string& text = items_[i].text;
        const std::size_t eq = text.find('=');
        if (eq != std::string::npos && Equal(std::string_view(text).substr(0, eq), name))
            return static_cast<int>(i);
    }
    return -1;
}

std::string StringList::GetName(int index) const
{
    const std::string& text = GetString(index);
    const std::size_t eq = text.find('=');
    return eq == std::string::npos ? std::string() : text.substr(0, eq);
}

std::string StringList::GetValueFromIndex(int index) const
{
    const std::string& text = GetString(index);
    const std::size_t eq = text.find('=');
    return eq == std::string::npos ? std::string() : text.substr(eq + 1);
}

std::string StringList::GetValue(std::string_view name) const
{
    const int index = IndexOfName(name);
    return index < 0 ? std::string() : GetValueFromIndex(index);
}

void StringList::SetValue(std::string_view name, std::string_view value)
{
    const int index = IndexOfName(name);
    if (value.empty()) {
        if (index >= 0)
            Delete(index);
        return;
    }
    std::string line(name);
    line += '=';
    line += value;
    if (index >= 0)
        items_[static_cast<std::size_t>(index)].text = std::move(line);
    else
        items_.push_back({std::move(line), nullptr});
}

std::string StringList::GetText() const
{
    std::string text;
    for (const Item& item : items_) {
        text += item.text;
        text += "\r\n";
    }
    return text;
}

void StringList::SetText(std::string_view text)
{
    Clear();
    for (std::string_view line : SplitLines(text))
        Add(std::string(line));
}

std::string StringList::GetCommaText() const
{
    return JoinCommaText(GetStrings());
}

void StringList::SetCommaText(std::string_view text)
{
    Clear();
    for (std::string& piece : SplitCommaText(text))
        Add(std::move(piece));
}

void StringList::Sort()
{
    if (caseSensitive_) {
        std::stable_sort(items_.begin(), items_.end(),
                         [](const Item& a, const Item& b) { return a.text < b.text; });
    } else {
        std::stable_sort(items_.begin(), items_.end(),
                         [](const Item& a, const Item& b) { return CompareText(a.text, b.text) < 0; });
    }
}

std::vector<std::string> StringList::GetStrings() const
{
    std::vector<std::string> texts;
    texts.reserve(items_.size());
    for (const Item& item : items_)
        texts.push_back(item.text);
    return texts;
}

} // namespace platform

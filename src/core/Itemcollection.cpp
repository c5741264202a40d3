#include "core/Itemcollection.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

} // namespace

TItemCollection::TItemCollection(TItemCollection* parent) : parent_(parent) {}

TItemCollection::~TItemCollection()
{
    Dismantle();
}

void TItemCollection::Dismantle()
{
    if (dismantled_)
        return;
    dismantled_ = true;
    destroying_ = true;
    Clear();
    items_.clear();
    if (parent_)
        parent_->Delete(this);
}

void TItemCollection::Free()
{
    if (destroying_)
        return;
    Dismantle();
    delete this;
}

void TItemCollection::Change()
{
    changed_ = true;
    Update();
}

void TItemCollection::Update()
{
    if (updateCount_ != 0 || !changed_)
        return;
    changed_ = false;
    if (destroying_)
        return;
    Changing();
    DoChange();
}

void TItemCollection::BeginUpdate()
{
    ++updateCount_;
}

void TItemCollection::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    Update();
}

void TItemCollection::Changing() {}

void TItemCollection::DoChange()
{
    if (parent_ && !parent_->destroying_)
        parent_->Change();
}

void TItemCollection::Clear()
{
    while (!items_.empty()) {
        TItemCollection* first = items_.front();
        first->Delete();
        // A child that did not take itself out of the list (already being destroyed, or a
        // subclass that keeps itself alive) must not stall the loop.
        if (!items_.empty() && items_.front() == first)
            items_.erase(items_.begin());
    }
    Change();
}

void TItemCollection::Add(TItemCollection* child)
{
    items_.push_back(child);
    child->parent_ = this;
    Change();
}

void TItemCollection::Insert(int index, TItemCollection* child)
{
    if (index < 0 || index > GetCount())
        platform::RaiseListIndex(index);
    items_.insert(items_.begin() + index, child);
    child->parent_ = this;
    Change();
}

void TItemCollection::Erase(int index)
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    items_.erase(items_.begin() + index);
    Change();
}

void TItemCollection::Delete()
{
    Free();
}

void TItemCollection::Delete(TItemCollection* child)
{
    const auto it = std::find(items_.begin(), items_.end(), child);
    if (it != items_.end())
        items_.erase(it);
    if (child)
        child->Free();
    if (!destroying_)
        Change();
}

int TItemCollection::IndexOf(const TItemCollection* child) const
{
    const auto it = std::find(items_.begin(), items_.end(), child);
    return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TItemCollection::GetIndex() const
{
    return parent_ ? parent_->IndexOf(this) : -1;
}

TItemCollection* TItemCollection::GetItems(int index) const
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

TItemCollection* TItemCollection::GetNext() const
{
    const int index = GetIndex();
    if (index < 0 || index + 1 >= parent_->GetCount())
        return nullptr;
    return parent_->items_[static_cast<std::size_t>(index) + 1];
}

TItemCollection* TItemCollection::GetPrev() const
{
    const int index = GetIndex();
    if (index <= 0)
        return nullptr;
    return parent_->items_[static_cast<std::size_t>(index) - 1];
}

TItemCollection* TItemCollection::GetFirst() const
{
    if (!parent_ || parent_->items_.empty())
        return nullptr;
    return parent_->items_.front();
}

TItemCollection* TItemCollection::GetLast() const
{
    if (!parent_ || parent_->items_.empty())
        return nullptr;
    return parent_->items_.back();
}

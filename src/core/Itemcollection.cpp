#include "core/Itemcollection.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>

void TItemCollection::ChildList::insert(std::size_t i, TItemCollection* child)
{
    if (i == 0 && head_ > 0)
        items_[--head_] = child;
    else
        items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(head_ + i), child);
}

void TItemCollection::ChildList::erase(std::size_t i)
{
    if (i == 0) {
        items_[head_++] = nullptr;
        // The gap is closed once it is half the list: a move per child left, at most.
        if (head_ * 2 >= items_.size()) {
            items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(head_));
            head_ = 0;
        }
        return;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(head_ + i));
}

void TItemCollection::ChildList::clear()
{
    items_.clear();
    head_ = 0;
}

std::size_t TItemCollection::ChildList::find(const TItemCollection* child) const
{
    const auto it = std::find(items_.begin() + static_cast<std::ptrdiff_t>(head_), items_.end(), child);
    return static_cast<std::size_t>(it - items_.begin()) - head_;
}

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
            items_.erase(0);
    }
    Change();
}

void TItemCollection::Add(TItemCollection* child)
{
    items_.push_back(child);
    child->parent_ = this;
    child->indexHint_ = GetCount() - 1;
    Change();
}

void TItemCollection::Insert(int index, TItemCollection* child)
{
    if (index < 0 || index > GetCount())
        platform::RaiseListIndex(index);
    items_.insert(static_cast<std::size_t>(index), child);
    child->parent_ = this;
    child->indexHint_ = index;
    Change();
}

void TItemCollection::Erase(int index)
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    items_.erase(static_cast<std::size_t>(index));
    Change();
}

void TItemCollection::Delete()
{
    Free();
}

void TItemCollection::Delete(TItemCollection* child)
{
    if (const std::size_t at = items_.find(child); at < items_.size())
        items_.erase(at);
    if (child)
        child->Free();
    if (!destroying_)
        Change();
}

int TItemCollection::IndexOf(const TItemCollection* child) const
{
    if (!child)
        return -1;
    const int count = GetCount();
    const int hint = std::clamp(child->indexHint_, 0, std::max(count - 1, 0));
    for (int d = 0; d <= count; ++d) {
        const int after = hint + d, before = hint - d;
        if (after >= count && before < 0)
            break;
        for (const int i : {after, before})
            if (i >= 0 && i < count && items_[static_cast<std::size_t>(i)] == child) {
                child->indexHint_ = i;
                return i;
            }
    }
    return -1;
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

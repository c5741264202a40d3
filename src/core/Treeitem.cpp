#include "core/Treeitem.h"

#include "platform/Errors.h"
#include "platform/Text.h"

#include <algorithm>

namespace {

int PositionIn(const std::vector<TTreeItem*>& list, const TTreeItem* item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

// Runs `body` within one update of `tree`. On an exception the update is still closed (the
// partial change is reported) and the first exception goes on.
template <class Body>
void WithinUpdate(TTreeItems& tree, Body&& body)
{
    tree.BeginUpdate();
    try {
        body();
    } catch (...) {
        try {
            tree.EndUpdate();
        } catch (...) {
        }
        throw;
    }
    tree.EndUpdate();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TTreeItem

TTreeItem::TTreeItem(TTreeItems* owner) : TTreeItem(owner, nullptr) {}

TTreeItem::TTreeItem(TTreeItems* owner, TObject* object) : owner_(owner), object_(object)
{
    if (!owner)
        platform::Abort();
}

TTreeItem::~TTreeItem()
{
    Dismantle();
}

void TTreeItem::Delete()
{
    if (deleting_)
        return;
    Dismantle();
    delete this;
}

void TTreeItem::Dismantle()
{
    if (dismantled_)
        return;
    dismantled_ = true;
    deleting_ = true;
    DeleteChildren();
    owner_->DoDeletion(this);
    if (parent_) {
        TTreeItems::EraseFrom(parent_->children_, this);
        parent_->RecountVisible();
    } else {
        TTreeItems::EraseFrom(owner_->roots_, this);
        owner_->ChangeCountOfVisible();
    }
    TTreeItems::EraseFrom(owner_->items_, this);
    owner_->Delete(this);
}

void TTreeItem::DeleteChildren()
{
    // Each child takes itself out of children_; one already being deleted is only dropped.
    while (!children_.empty()) {
        TTreeItem* child = children_.front();
        if (child->deleting_)
            children_.erase(children_.begin());
        else
            child->Delete();
    }
    owner_->Change();
}

void TTreeItem::Change()
{
    owner_->DoItemChange(this);
    owner_->Change();
}

void TTreeItem::SetObject(TObject* object)
{
    if (object == object_)
        return;
    object_ = object;
    Change();
}

void TTreeItem::SetExpanded(bool expanded)
{
    if (expanded == expanded_)
        return;
    expanded_ = expanded;
    RecountVisible();
    owner_->Change();
}

void TTreeItem::MakeVisible()
{
    WithinUpdate(*owner_, [this] {
        for (TTreeItem* item = this; item; item = item->parent_)
            item->SetExpanded(true);
    });
}

std::vector<TTreeItem*>& TTreeItem::SiblingList()
{
    return parent_ ? parent_->children_ : owner_->roots_;
}

const std::vector<TTreeItem*>* TTreeItem::SiblingListIfAny() const
{
    return parent_ ? &parent_->children_ : &owner_->roots_;
}

int TTreeItem::GetIndex() const
{
    return PositionIn(*SiblingListIfAny(), this);
}

void TTreeItem::SetIndex(int index)
{
    const int current = GetIndex();
    if (current < 0 || index < 0)
        return;
    if (index < current) {
        MoveTo((*SiblingListIfAny())[static_cast<std::size_t>(index)], 4);
    } else if (index > current && index < GetCountOfSibling()) {
        if (parent_)
            MoveTo(parent_, 2);
        else
            MoveTo(nullptr, 0);
    }
}

int TTreeItem::GetAbsoluteIndex() const
{
    return owner_->IndexOf(this);
}

int TTreeItem::GetLevel() const
{
    int level = 0;
    for (const TTreeItem* item = parent_; item; item = item->parent_)
        ++level;
    return level;
}

TTreeItem* TTreeItem::GetItem(int index) const
{
    if (index < 0 || index >= GetCountOfChildren())
        platform::RaiseListIndex(index);
    return children_[static_cast<std::size_t>(index)];
}

int TTreeItem::IndexOf(const TTreeItem* child) const
{
    return PositionIn(children_, child);
}

bool TTreeItem::HasAsParent(const TTreeItem* item) const
{
    return IndexOf(item) >= 0;
}

int TTreeItem::GetCountOfSibling() const
{
    return static_cast<int>(SiblingListIfAny()->size());
}

bool TTreeItem::IsAncestor(const TTreeItem* item) const
{
    if (!item)
        return false;
    for (const TTreeItem* p = parent_; p; p = p->parent_)
        if (p == item)
            return true;
    return false;
}

bool TTreeItem::GetIsVisible() const
{
    for (const TTreeItem* item = this; item; item = item->parent_)
        if (!item->expanded_)
            return false;
    return true;
}

int TTreeItem::GetBranchType(int level) const
{
    const int own = GetLevel();
    if (level > own || level < 0)
        return -1;
    if (level < own) {
        const TTreeItem* ancestor = this;
        for (int l = own; l > level; --l)
            ancestor = ancestor->parent_;
        return ancestor->GetNextSibling() ? 2 : 0;
    }
    const int count = GetCountOfSibling();
    const int index = GetIndex();
    if (count <= 1)
        return parent_ ? 4 : 0;
    if (index == 0)
        return parent_ ? 3 : 1;
    return index < count - 1 ? 3 : 4;
}

TTreeItem* TTreeItem::GetFirstChild() const
{
    return children_.empty() ? nullptr : children_.front();
}

TTreeItem* TTreeItem::GetLastChild() const
{
    return children_.empty() ? nullptr : children_.back();
}

TTreeItem* TTreeItem::GetPrev() const
{
    const int index = GetAbsoluteIndex();
    return index > 0 ? owner_->items_[static_cast<std::size_t>(index) - 1] : nullptr;
}

TTreeItem* TTreeItem::GetNext() const
{
    const int index = GetAbsoluteIndex();
    return index >= 0 && index + 1 < owner_->GetCount() ? owner_->items_[static_cast<std::size_t>(index) + 1] : nullptr;
}

TTreeItem* TTreeItem::GetPrevSibling() const
{
    const int index = GetIndex();
    return index > 0 ? (*SiblingListIfAny())[static_cast<std::size_t>(index) - 1] : nullptr;
}

TTreeItem* TTreeItem::GetNextSibling() const
{
    const int index = GetIndex();
    const auto& siblings = *SiblingListIfAny();
    return index >= 0 && static_cast<std::size_t>(index) + 1 < siblings.size() ? siblings[static_cast<std::size_t>(index) + 1] : nullptr;
}

TTreeItem* TTreeItem::GetPrevVisible() const
{
    for (int i = GetAbsoluteIndex() - 1; i >= 0; --i) {
        TTreeItem* item = owner_->items_[static_cast<std::size_t>(i)];
        if (item->GetIsVisible())
            return item;
    }
    return nullptr;
}

TTreeItem* TTreeItem::GetNextVisible() const
{
    const int index = GetAbsoluteIndex();
    if (index < 0)
        return nullptr;
    for (std::size_t i = static_cast<std::size_t>(index) + 1; i < owner_->items_.size(); ++i) {
        TTreeItem* item = owner_->items_[i];
        if (item->GetIsVisible())
            return item;
    }
    return nullptr;
}

TTreeItem* TTreeItem::GetPrevChild(const TTreeItem* child) const
{
    const int index = IndexOf(child);
    return index > 0 ? children_[static_cast<std::size_t>(index) - 1] : nullptr;
}

TTreeItem* TTreeItem::GetNextChild(const TTreeItem* child) const
{
    const int index = IndexOf(child);
    return index >= 0 && index + 1 < GetCountOfChildren() ? children_[static_cast<std::size_t>(index) + 1] : nullptr;
}

TTreeItem* TTreeItem::GetLastPosterity() const
{
    const TTreeItem* item = this;
    while (!item->children_.empty())
        item = item->children_.back();
    return const_cast<TTreeItem*>(item);
}

void TTreeItem::RecountVisible()
{
    for (TTreeItem* item = this; item; item = item->parent_) {
        int count = 1;
        if (item->expanded_)
            for (const TTreeItem* child : item->children_)
                count += child->countOfVisible_;
        item->countOfVisible_ = count;
    }
    owner_->ChangeCountOfVisible();
}

void TTreeItem::MoveTo(TTreeItem* target, int mode)
{
    if (mode < 0 || mode > 4)
        return;
    if (target && (target == this || target->owner_ != owner_ || target->IsAncestor(this) || owner_->IndexOf(target) < 0))
        return;

    std::vector<TTreeItem*>& items = owner_->items_;

    // Leave the sibling list.
    if (GetIndex() >= 0) {
        if (parent_) {
            TTreeItems::EraseFrom(parent_->children_, this);
            parent_->RecountVisible();
        } else {
            TTreeItems::EraseFrom(owner_->roots_, this);
            owner_->ChangeCountOfVisible();
        }
    }

    // Take the subtree's run out of the flat list, keeping the descendants in order.
    std::vector<TTreeItem*> descendants;
    const int first = GetAbsoluteIndex();
    if (first >= 0) {
        const int last = owner_->IndexOfLastChild(this);
        descendants.assign(items.begin() + first + 1, items.begin() + last + 1);
        items.erase(items.begin() + first, items.begin() + last + 1);
    }

    // Place the item.
    TTreeItem* newParent = nullptr;
    bool asFirst = false;
    bool beforeTarget = false;
    switch (mode) {
    case 0: newParent = target ? target->parent_ : nullptr; break;
    case 1: newParent = target ? target->parent_ : nullptr; asFirst = true; break;
    case 2: newParent = target; break;
    case 3: newParent = target; asFirst = true; break;
    default: beforeTarget = target != nullptr; break;
    }

    std::size_t position;
    if (beforeTarget) {
        newParent = target->parent_;
        position = static_cast<std::size_t>(target->GetAbsoluteIndex());
        std::vector<TTreeItem*>& siblings = target->SiblingList();
        siblings.insert(siblings.begin() + target->GetIndex(), this);
    } else if (!newParent) {
        if (asFirst) {
            owner_->roots_.insert(owner_->roots_.begin(), this);
            position = 0;
        } else {
            owner_->roots_.push_back(this);
            position = items.size();
        }
    } else if (asFirst) {
        position = static_cast<std::size_t>(newParent->GetAbsoluteIndex()) + 1;
        newParent->children_.insert(newParent->children_.begin(), this);
    } else {
        position = static_cast<std::size_t>(owner_->IndexOfLastChild(newParent)) + 1;
        newParent->children_.push_back(this);
    }
    parent_ = newParent;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(position), this);
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(position) + 1, descendants.begin(), descendants.end());

    RecountVisible();
    owner_->DoItemMove(this, target, mode);
    owner_->Change();
}

// ---------------------------------------------------------------------------------------------
// TTreeItems

TTreeItems::TTreeItems() = default;

TTreeItems::~TTreeItems()
{
    destroying_ = true;
    Clear();
}

void TTreeItems::Clear()
{
    WithinUpdate(*this, [this] {
        while (!roots_.empty())
            roots_.front()->Delete();
    });
}

void TTreeItems::Delete(TTreeItem* item)
{
    EraseFrom(items_, item);
    if (item && !item->deleting_)
        item->Delete();
    Change();
}

TTreeItem* TTreeItems::GetItem(int index) const
{
    if (index < 0 || index >= GetCount())
        platform::RaiseListIndex(index);
    return items_[static_cast<std::size_t>(index)];
}

int TTreeItems::IndexOf(const TTreeItem* item) const
{
    return PositionIn(items_, item);
}

void TTreeItems::BeginUpdate()
{
    ++updateCount_;
}

void TTreeItems::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    Update();
}

void TTreeItems::Change()
{
    changed_ = true;
    Update();
}

void TTreeItems::Update()
{
    if (destroying_ || !changed_ || updateCount_ != 0)
        return;
    changed_ = false;
    DoChange();
}

void TTreeItems::ChangeCountOfVisible()
{
    int count = 0;
    for (const TTreeItem* root : roots_)
        count += root->countOfVisible_;
    countOfVisible_ = count;
}

void TTreeItems::FullCollapse()
{
    WithinUpdate(*this, [this] {
        for (TTreeItem* item : items_)
            if (item->GetHasChildren() && item->expanded_)
                item->SetExpanded(false);
    });
}

void TTreeItems::FullExpand()
{
    WithinUpdate(*this, [this] {
        for (std::size_t i = items_.size(); i-- > 0;)
            if (!items_[i]->GetIsVisible())
                items_[i]->MakeVisible();
    });
}

int TTreeItems::IndexOfLastChild(const TTreeItem* item) const
{
    return IndexOf(item->GetLastPosterity());
}

TTreeItem* TTreeItems::GetNewItem()
{
    return new TTreeItem(this);
}

void TTreeItems::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TTreeItems::DoItemChange(TTreeItem* item)
{
    if (!destroying_ && OnItemChange)
        OnItemChange(this, item);
}

void TTreeItems::DoItemMove(TTreeItem* item, TTreeItem* target, int mode)
{
    if (!adding_ && OnItemMove)
        OnItemMove(this, item, target, mode);
}

void TTreeItems::DoDeletion(TTreeItem* item)
{
    if (OnDeletion)
        OnDeletion(this, item);
}

TTreeItem* TTreeItems::AddNew(TTreeItem* target, int mode, TObject* object)
{
    if (target && (target->owner_ != this || IndexOf(target) < 0))
        platform::Abort();
    TTreeItem* item = GetNewItem();
    if (object)
        item->object_ = object;
    const bool wasAdding = adding_;
    adding_ = true;
    try {
        item->MoveTo(target, mode);
    } catch (...) {
        adding_ = wasAdding;
        throw;
    }
    adding_ = wasAdding;
    return item;
}

TTreeItem* TTreeItems::Add(TTreeItem* target) { return AddNew(target, 0, nullptr); }
TTreeItem* TTreeItems::AddFirst(TTreeItem* target) { return AddNew(target, 1, nullptr); }
TTreeItem* TTreeItems::AddChild(TTreeItem* target) { return AddNew(target, 2, nullptr); }
TTreeItem* TTreeItems::AddChildFirst(TTreeItem* target) { return AddNew(target, 3, nullptr); }
TTreeItem* TTreeItems::Insert(TTreeItem* target) { return AddNew(target, 4, nullptr); }
TTreeItem* TTreeItems::AddObject(TTreeItem* target, TObject* object) { return AddNew(target, 0, object); }
TTreeItem* TTreeItems::AddObjectFirst(TTreeItem* target, TObject* object) { return AddNew(target, 1, object); }
TTreeItem* TTreeItems::AddChildObject(TTreeItem* target, TObject* object) { return AddNew(target, 2, object); }
TTreeItem* TTreeItems::AddChildObjectFirst(TTreeItem* target, TObject* object) { return AddNew(target, 3, object); }
TTreeItem* TTreeItems::InsertObject(TTreeItem* target, TObject* object) { return AddNew(target, 4, object); }

void TTreeItems::EraseFrom(std::vector<TTreeItem*>& list, const TTreeItem* item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end())
        list.erase(it);
}

// ---------------------------------------------------------------------------------------------
// TTreeString, TTreeStrings

TTreeString::TTreeString(TTreeItems* owner, std::string text) : TTreeItem(owner), text_(std::move(text)) {}

TTreeString* TTreeStrings::GetItem(int index) const
{
    return dynamic_cast<TTreeString*>(TTreeItems::GetItem(index));
}

TTreeString* TTreeStrings::AddObject(TTreeItem* target, const std::string& text, TObject* object)
{
    auto* item = dynamic_cast<TTreeString*>(TTreeItems::AddObject(target, object));
    if (item)
        item->SetText(text);
    return item;
}

TTreeItem* TTreeStrings::GetNewItem()
{
    return new TTreeString(this, std::string());
}

#pragma once
// A generic ordered tree: TTreeItem nodes created and owned through their TTreeItems owner.
//
// Besides the parent/child links the owner keeps one flat list of all items in depth-first
// pre-order (each item directly followed by all its descendants); an item's absolute index is its
// position there. Invariants, after every public operation:
//   - Items equals the depth-first walk of Roots;
//   - every item's CountOfVisible is 1 plus, when Expanded, the sum of its children's counts, and
//     the owner's CountOfVisible is the sum over the roots.
//
// Ownership: roots belong to the owner, children to their parent item; `delete item` (or
// item->Delete()) destroys the item with its subtree and takes it out of every list. An item's
// Object is carried for the user and never freed by the tree.
//
// Notices: every structural or flag change calls the owner's Change; OnChange runs once when the
// outermost EndUpdate finds a pending change (never while the owner is being destroyed).
// OnItemMove reports MoveTo (not the placing of a new item by the Add family); OnDeletion reports
// each destroyed item, children before their parent.
//
// Move modes (MoveTo and OnItemMove):
//   mode  placement relative to the target                 null target
//   0     last sibling (last child of target's parent)     last root
//   1     first sibling                                    first root
//   2     last child of the target                         last root
//   3     first child of the target                        first root
//   4     directly before the target, under its parent     last root
#include "core/Object.h"

#include <functional>
#include <string>
#include <vector>

class TTreeItems;

class TTreeItem : public TObject {
public:
    // A detached item of the owner (in no list yet). A null owner ends with the silent abort.
    explicit TTreeItem(TTreeItems* owner);
    TTreeItem(TTreeItems* owner, TObject* object);
    TTreeItem(const TTreeItem&) = delete;
    TTreeItem& operator=(const TTreeItem&) = delete;
    // Destroys the children first, reports the deletion, leaves the lists, reports a change.
    // Prefer Delete: it runs these steps while the whole object (a subclass's part included) is
    // still alive, so OnDeletion handlers may look at it; `delete` runs them from this base
    // destructor, after a subclass's part is gone.
    ~TTreeItem() override;

    // Destroys the item as the destructor does; nothing when it is already being deleted.
    void Delete();
    // Destroys the children one by one (first one first), then reports a change.
    void DeleteChildren();

    // The owner's DoItemChange with this item, then the owner's Change.
    void Change();

    TTreeItems* GetOwner() const { return owner_; }
    TTreeItem* GetParent() const { return parent_; }
    TObject* GetObject() const { return object_; }
    // A different pointer is stored and reported through Change; the same one does nothing.
    void SetObject(TObject* object);
    bool GetDeleting() const { return deleting_; }
    bool GetExpanded() const { return expanded_; }
    void SetExpanded(bool expanded);
    int GetCountOfVisible() const { return countOfVisible_; }
    // Expands this item and every ancestor, within one update of the owner.
    void MakeVisible();

    // Position among the siblings; -1 when detached.
    int GetIndex() const;
    // 0 <= index < current: moves before the sibling now at that index (mode 4). Current < index <
    // sibling count: moves to the last place. Otherwise nothing.
    void SetIndex(int index);
    // Position in the owner's flat list; -1 when absent.
    int GetAbsoluteIndex() const;
    // 0 for a root, the parent's level + 1 otherwise.
    int GetLevel() const;

    int GetCountOfChildren() const { return static_cast<int>(children_.size()); }
    bool GetHasChildren() const { return !children_.empty(); }
    // Index outside 0 .. CountOfChildren-1 raises platform::ListIndexError.
    TTreeItem* GetItem(int index) const;
    int IndexOf(const TTreeItem* child) const;
    // True when `item` is one of this item's children.
    bool HasAsParent(const TTreeItem* item) const;
    // The parent's child count, or the number of roots.
    int GetCountOfSibling() const;
    // True when `item` is this item's parent, grandparent... (not this item itself).
    bool IsAncestor(const TTreeItem* item) const;
    // This item's Expanded and that of every ancestor are all set.
    bool GetIsVisible() const;
    // Line shape in column `level` of this item's row: -1 right of the item; for an ancestor's
    // column 2 when that ancestor has a later sibling, else 0; in the item's own column 0 only
    // root, 1 first of several roots, 3 first of several children or middle sibling, 4 only child
    // or last of several siblings.
    int GetBranchType(int level) const;

    TTreeItem* GetFirstChild() const;
    TTreeItem* GetLastChild() const;
    // Neighbours in the flat list.
    TTreeItem* GetPrev() const;
    TTreeItem* GetNext() const;
    TTreeItem* GetPrevSibling() const;
    TTreeItem* GetNextSibling() const;
    // Nearest item before / after in the flat list that is visible.
    TTreeItem* GetPrevVisible() const;
    TTreeItem* GetNextVisible() const;
    // The child before / after `child`; null at the ends or when `child` is no child of this item.
    TTreeItem* GetPrevChild(const TTreeItem* child) const;
    TTreeItem* GetNextChild(const TTreeItem* child) const;
    // Last descendant in depth-first order; this item without children.
    TTreeItem* GetLastPosterity() const;

    // Moves the item with its subtree (see the mode table above), then reports the move and a
    // change. Refused silently (nothing changes, nothing is reported) when the target belongs to
    // another owner or is not placed in the tree, when the target is this item or lies below it,
    // or when the mode is not 0 .. 4.
    void MoveTo(TTreeItem* target, int mode);

private:
    friend class TTreeItems;

    std::vector<TTreeItem*>& SiblingList();
    const std::vector<TTreeItem*>* SiblingListIfAny() const;
    void RecountVisible();
    // The destructor's steps, run once: children, deletion notice, unlinking, change.
    void Dismantle();

    TTreeItems* owner_;
    TTreeItem* parent_ = nullptr;
    std::vector<TTreeItem*> children_;
    TObject* object_ = nullptr;
    bool deleting_ = false;
    bool dismantled_ = false;
    bool expanded_ = true;
    int countOfVisible_ = 1;
};

class TTreeItems : public TObject {
public:
    TTreeItems();
    TTreeItems(const TTreeItems&) = delete;
    TTreeItems& operator=(const TTreeItems&) = delete;
    // Sets Destroying and clears (each item still reported to OnDeletion). Virtual calls from here
    // reach this class's versions: a subclass that overrides DoDeletion clears in its own destructor.
    ~TTreeItems() override;

    std::function<void(TObject* Sender)> OnChange;
    std::function<void(TObject* Sender, TTreeItem* Item)> OnItemChange;
    std::function<void(TObject* Sender, TTreeItem* Item, TTreeItem* Target, int Mode)> OnItemMove;
    std::function<void(TObject* Sender, TTreeItem* Item)> OnDeletion;

    // Destroys the first root until none is left, within one update.
    void Clear();
    // Takes the item out of the flat list, destroys it unless it is already being destroyed, Change.
    void Delete(TTreeItem* item);

    int GetCount() const { return static_cast<int>(items_.size()); }
    // Flat-list item; an index outside 0 .. Count-1 raises platform::ListIndexError.
    TTreeItem* GetItem(int index) const;
    int IndexOf(const TTreeItem* item) const;
    const std::vector<TTreeItem*>& GetRoots() const { return roots_; }

    void BeginUpdate();
    void EndUpdate();
    // Sets Changed, then Update.
    void Change();
    // When not destroying, a change is pending and no update is open: clears it and DoChange.
    void Update();
    int GetUpdateCount() const { return updateCount_; }
    bool GetDestroying() const { return destroying_; }

    int GetCountOfVisible() const { return countOfVisible_; }
    // Sum of the roots' CountOfVisible.
    void ChangeCountOfVisible();
    // Collapses every expanded item that has children / makes every item visible; one update.
    void FullCollapse();
    void FullExpand();
    // Absolute index of the item's last descendant (of the item itself without children).
    int IndexOfLastChild(const TTreeItem* item) const;

    // New items placed by MoveTo mode 0, 1, 2, 3, 4 against `target` without a move notice. A
    // target that belongs to another owner or is not placed in this tree ends with the silent
    // abort before any item is made.
    TTreeItem* Add(TTreeItem* target);
    TTreeItem* AddFirst(TTreeItem* target);
    TTreeItem* AddChild(TTreeItem* target);
    TTreeItem* AddChildFirst(TTreeItem* target);
    TTreeItem* Insert(TTreeItem* target);
    // The same, with the item's Object set (without a notice) before it is placed.
    TTreeItem* AddObject(TTreeItem* target, TObject* object);
    TTreeItem* AddObjectFirst(TTreeItem* target, TObject* object);
    TTreeItem* AddChildObject(TTreeItem* target, TObject* object);
    TTreeItem* AddChildObjectFirst(TTreeItem* target, TObject* object);
    TTreeItem* InsertObject(TTreeItem* target, TObject* object);

protected:
    // Makes a new, detached item of this tree.
    virtual TTreeItem* GetNewItem();
    // Fires OnChange.
    virtual void DoChange();
    // Fires OnItemChange unless destroying.
    virtual void DoItemChange(TTreeItem* item);
    // Fires OnItemMove unless an Add-family operation is placing its new item.
    virtual void DoItemMove(TTreeItem* item, TTreeItem* target, int mode);
    // Fires OnDeletion.
    virtual void DoDeletion(TTreeItem* item);

private:
    friend class TTreeItem;

    TTreeItem* AddNew(TTreeItem* target, int mode, TObject* object);
    static void EraseFrom(std::vector<TTreeItem*>& list, const TTreeItem* item);

    std::vector<TTreeItem*> roots_;
    std::vector<TTreeItem*> items_;
    int updateCount_ = 0;
    int countOfVisible_ = 0;
    bool changed_ = false;
    bool destroying_ = false;
    bool adding_ = false;
};

// A tree item with a text.
class TTreeString : public TTreeItem {
public:
    TTreeString(TTreeItems* owner, std::string text);
    const std::string& GetText() const { return text_; }
    void SetText(const std::string& text) { text_ = text; }

private:
    std::string text_;
};

// A tree of TTreeString items.
class TTreeStrings : public TTreeItems {
public:
    using TTreeItems::AddObject;
    // Flat-list item as a text item (null when the item there is no TTreeString).
    TTreeString* GetItem(int index) const;
    // AddObject(target, object), then the new item's text.
    TTreeString* AddObject(TTreeItem* target, const std::string& text, TObject* object);

protected:
    TTreeItem* GetNewItem() override;
};

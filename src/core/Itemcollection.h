#pragma once
// TItemCollection: a node of an ownership hierarchy. It owns an ordered list of child collections,
// knows its parent, counts updates and passes each change up to its parent once per outermost
// update, so that a change deep in the hierarchy reaches the root once.
//
// Ownership: a child in the list is destroyed with its parent (through Clear). A child removes
// itself from its parent's list in its destructor (through the parent's Delete(child)).
// The constructor does not put the new node into the parent's list; the creator calls the
// parent's Add or Insert.
//
// While Destroying is set the node announces no change (Changing/DoChange are not called).
// Delete() and the parent's Delete(child) run the destructor's steps (Clear, leaving the parent)
// while the whole node is alive, so a subclass's overrides of Clear and Delete(child) take part;
// a plain `delete` runs them from this base destructor, where only this class's versions exist.
#include "core/Object.h"

#include <cstddef>
#include <vector>

class TItemCollection : public TObject {
public:
    explicit TItemCollection(TItemCollection* parent);
    TItemCollection(const TItemCollection&) = delete;
    TItemCollection& operator=(const TItemCollection&) = delete;
    ~TItemCollection() override;

    // Sets Changed, then Update.
    void Change();
    // When no update is open and a change is pending: clears it and, unless destroying, calls
    // Changing and DoChange.
    void Update();
    void BeginUpdate();
    void EndUpdate();

    // Destroys every child (first one first), then Change.
    virtual void Clear();
    // Appends / inserts (index 0 .. Count) the child and makes this node its parent; Change.
    virtual void Add(TItemCollection* child);
    virtual void Insert(int index, TItemCollection* child);
    // Removes the child at index from the list without destroying it; Change. Its Parent stays:
    // the caller re-homes it (Add/Insert elsewhere) or destroys it while this node is alive.
    void Erase(int index);
    // Destroys this node unless it is already being destroyed.
    virtual void Delete();
    // Removes the child from the list when it is there; destroys it unless it is being destroyed;
    // Change unless this node is being destroyed.
    virtual void Delete(TItemCollection* child);

    // Searched outward from where the child was last found, so a walk along the list or an insert
    // beside a child finds it in a step or two.
    int IndexOf(const TItemCollection* child) const;
    // Position in the parent's list; -1 without a parent (or when absent from its list).
    int GetIndex() const;
    int GetCount() const { return static_cast<int>(items_.size()); }
    // Index outside 0 .. Count-1 raises platform::ListIndexError.
    TItemCollection* GetItems(int index) const;
    // Sibling after / before; null at the ends, without a parent or when absent from its list.
    TItemCollection* GetNext() const;
    TItemCollection* GetPrev() const;
    // First / last node of the parent's list (possibly this one); null without a parent.
    TItemCollection* GetFirst() const;
    TItemCollection* GetLast() const;

    TItemCollection* GetParent() const { return parent_; }
    bool GetDestroying() const { return destroying_; }
    bool GetChanged() const { return changed_; }
    int GetUpdateCount() const { return updateCount_; }

protected:
    // Hook called just before DoChange; does nothing here.
    virtual void Changing();
    // Passes the change to the parent unless the parent is being destroyed.
    virtual void DoChange();

private:
    // The destructor's steps, run once: Clear, then leave the parent.
    void Dismantle();
    // Dismantle, then free; nothing when already being destroyed.
    void Free();

    TItemCollection* parent_;
    bool destroying_ = false;
    bool dismantled_ = false;
    bool changed_ = false;
    int updateCount_ = 0;
    mutable int indexHint_ = 0;   // where the parent last found this node; only a hint

    // The children in order. Taking the first out costs no move of the others, so a long list
    // cleared first child first (a paragraph of many words closed) is not moved once per child.
    class ChildList {
    public:
        std::size_t size() const { return items_.size() - head_; }
        bool empty() const { return size() == 0; }
        TItemCollection* operator[](std::size_t i) const { return items_[head_ + i]; }
        TItemCollection* front() const { return items_[head_]; }
        TItemCollection* back() const { return items_.back(); }
        void push_back(TItemCollection* child) { items_.push_back(child); }
        void insert(std::size_t i, TItemCollection* child);
        void erase(std::size_t i);
        void clear();
        // Index of the child, or size() when absent.
        std::size_t find(const TItemCollection* child) const;

    private:
        std::vector<TItemCollection*> items_;
        std::size_t head_ = 0;   // items_[0 .. head_) are gone
    };
    ChildList items_;
};

#include "core/Treeitem.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Name(const TTreeItem* item)
{
    if (!item)
        return "null";
    const auto* s = dynamic_cast<const TTreeString*>(item);
    return s ? s->GetText() : "?";
}

// The flat list as "name name ...", with a '>' per level before each name.
std::string Dump(const TTreeItems& tree)
{
    std::string out;
    for (int i = 0; i < tree.GetCount(); ++i) {
        const TTreeItem* item = tree.GetItem(i);
        if (!out.empty())
            out += ' ';
        out += std::string(static_cast<std::size_t>(item->GetLevel()), '>') + Name(item);
    }
    return out;
}

void Walk(const TTreeItem* item, std::vector<const TTreeItem*>& out)
{
    out.push_back(item);
    for (int i = 0; i < item->GetCountOfChildren(); ++i)
        Walk(item->GetItem(i), out);
}

int ExpectedVisible(const TTreeItem* item)
{
    int count = 1;
    if (item->GetExpanded())
        for (int i = 0; i < item->GetCountOfChildren(); ++i)
            count += ExpectedVisible(item->GetItem(i));
    return count;
}

// The flat list is the depth-first walk of the roots; links and visible counts agree.
::testing::AssertionResult Consistent(const TTreeItems& tree)
{
    std::vector<const TTreeItem*> walk;
    int visible = 0;
    for (const TTreeItem* root : tree.GetRoots()) {
        if (root->GetParent())
            return ::testing::AssertionFailure() << "root " << Name(root) << " has a parent";
        Walk(root, walk);
        visible += ExpectedVisible(root);
    }
    if (static_cast<int>(walk.size()) != tree.GetCount())
        return ::testing::AssertionFailure() << "walk " << walk.size() << " items, flat list " << tree.GetCount();
    for (int i = 0; i < tree.GetCount(); ++i) {
        const TTreeItem* item = tree.GetItem(i);
        if (walk[static_cast<std::size_t>(i)] != item)
            return ::testing::AssertionFailure() << "flat list differs at " << i << ": " << Dump(tree);
        if (item->GetOwner() != &tree)
            return ::testing::AssertionFailure() << "foreign owner at " << i;
        for (int c = 0; c < item->GetCountOfChildren(); ++c)
            if (item->GetItem(c)->GetParent() != item)
                return ::testing::AssertionFailure() << "child " << Name(item->GetItem(c)) << " lost its parent";
        if (item->GetCountOfVisible() != ExpectedVisible(item))
            return ::testing::AssertionFailure() << "visible count of " << Name(item);
    }
    if (tree.GetCountOfVisible() != visible)
        return ::testing::AssertionFailure() << "owner visible " << tree.GetCountOfVisible() << " expected " << visible;
    return ::testing::AssertionSuccess();
}

struct Data : TObject {
    explicit Data(int v) : value(v) {}
    int value;
};

class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, &tree);
            ++changes;
        };
        tree.OnItemChange = [this](TObject*, TTreeItem* item) { itemChanges.push_back(Name(item)); };
        tree.OnItemMove = [this](TObject*, TTreeItem* item, TTreeItem* target, int mode) {
            moves.push_back(Name(item) + "->" + Name(target) + ":" + std::to_string(mode));
        };
        tree.OnDeletion = [this](TObject*, TTreeItem* item) { deletions.push_back(Name(item)); };
    }

    TTreeString* Add(TTreeItem* target, const std::string& name) { return tree.AddObject(target, name, nullptr); }
    TTreeString* Child(TTreeItem* parent, const std::string& name)
    {
        auto* item = static_cast<TTreeString*>(tree.AddChild(parent));
        item->SetText(name);
        return item;
    }
    void ResetNotices()
    {
        changes = 0;
        itemChanges.clear();
        moves.clear();
        deletions.clear();
    }

    // The notice records outlive the tree: its destruction still reports deletions.
    int changes = 0;
    std::vector<std::string> itemChanges;
    std::vector<std::string> moves;
    std::vector<std::string> deletions;
    TTreeStrings tree;
};

TEST_F(TreeTest, FlatListFollowsStructure)
{
    TTreeString* r1 = Add(nullptr, "r1");
    TTreeString* r2 = Add(nullptr, "r2");
    Add(nullptr, "r3");
    Child(r2, "c");
    EXPECT_EQ(Dump(tree), "r1 r2 >c r3");
    ResetNotices();

    r2->MoveTo(r1, 4);
    EXPECT_EQ(Dump(tree), "r2 >c r1 r3");
    EXPECT_EQ(moves, (std::vector<std::string>{"r2->r1:4"}));
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(Consistent(tree));
}

TEST_F(TreeTest, MoveModes)
{
    // Each case starts from: a [a1 a2 [a21]] b
    struct Case {
        const char* item;
        const char* target;
        int mode;
        const char* result;
    };
    const Case cases[] = {
        {"b", "a1", 0, "a >a1 >a2 >>a21 >b"},
        {"b", "a2", 1, "a >b >a1 >a2 >>a21"},
        {"b", "a1", 2, "a >a1 >>b >a2 >>a21"},
        {"b", "a2", 3, "a >a1 >a2 >>b >>a21"},
        {"b", "a2", 4, "a >a1 >b >a2 >>a21"},
        {"a2", "a", 0, "a >a1 b a2 >a21"},
        {"a2", "a", 1, "a2 >a21 a >a1 b"},
        {"a2", "b", 2, "a >a1 b >a2 >>a21"},
        {"a2", "a", 3, "a >a2 >>a21 >a1 b"},
        {"a1", "a21", 4, "a >a2 >>a1 >>a21 b"},
        {"a2", nullptr, 0, "a >a1 b a2 >a21"},
        {"a2", nullptr, 1, "a2 >a21 a >a1 b"},
        {"a2", nullptr, 2, "a >a1 b a2 >a21"},
        {"a2", nullptr, 3, "a2 >a21 a >a1 b"},
        {"a2", nullptr, 4, "a >a1 b a2 >a21"},
        {"a21", "a21", 2, "a >a1 >a2 >>a21 b"},  // the item itself as target: refused
        {"a", "a21", 2, "a >a1 >a2 >>a21 b"},    // under its own descendant: refused
        {"a", "a2", 4, "a >a1 >a2 >>a21 b"},
        {"a1", "b", 5, "a >a1 >a2 >>a21 b"},     // unknown mode: refused
        {"a1", "b", -1, "a >a1 >a2 >>a21 b"},
    };
    for (const Case& c : cases) {
        TTreeStrings t;
        std::map<std::string, TTreeItem*> by;
        by["a"] = t.AddObject(nullptr, "a", nullptr);
        by["a1"] = t.AddObject(nullptr, "a1", nullptr);
        by["a2"] = t.AddObject(nullptr, "a2", nullptr);
        by["a21"] = t.AddObject(nullptr, "a21", nullptr);
        by["b"] = t.AddObject(nullptr, "b", nullptr);
        by["a1"]->MoveTo(by["a"], 2);
        by["a2"]->MoveTo(by["a"], 2);
        by["a21"]->MoveTo(by["a2"], 2);
        ASSERT_EQ(Dump(t), "a >a1 >a2 >>a21 b");

        int moved = 0;
        int changed = 0;
        t.OnItemMove = [&](TObject*, TTreeItem*, TTreeItem*, int) { ++moved; };
        t.OnChange = [&](TObject*) { ++changed; };
        by[c.item]->MoveTo(c.target ? by[c.target] : nullptr, c.mode);
        const bool refused = std::string(c.result) == "a >a1 >a2 >>a21 b";
        SCOPED_TRACE(std::string(c.item) + " -> " + (c.target ? c.target : "null") + " mode " + std::to_string(c.mode));
        EXPECT_EQ(Dump(t), c.result);
        EXPECT_EQ(moved, refused ? 0 : 1);
        EXPECT_EQ(changed, refused ? 0 : 1);
        EXPECT_TRUE(Consistent(t));
    }
}

TEST_F(TreeTest, MoveToAnotherTreeIsRefused)
{
    TTreeItem* a = Add(nullptr, "a");
    TTreeStrings other;
    TTreeItem* foreign = other.AddObject(nullptr, "f", nullptr);
    ResetNotices();
    a->MoveTo(foreign, 2);
    EXPECT_EQ(Dump(tree), "a");
    EXPECT_EQ(Dump(other), "f");
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(moves.empty());
    EXPECT_THROW(tree.AddChild(foreign), platform::SilentAbort);
    EXPECT_EQ(tree.GetCount(), 1);
}

TEST_F(TreeTest, NullOwnerIsSilentAbort)
{
    EXPECT_THROW(TTreeItem(nullptr), platform::SilentAbort);
    EXPECT_THROW(TTreeString(nullptr, "x"), platform::SilentAbort);
}

TEST_F(TreeTest, AddFamilyPlacesWithoutMoveNotice)
{
    Data p(1);
    TTreeItem* first = tree.AddObjectFirst(nullptr, &p);
    EXPECT_EQ(tree.GetItem(0), first);
    EXPECT_EQ(first->GetObject(), &p);

    tree.BeginUpdate();
    ResetNotices();
    TTreeItem* last = nullptr;
    for (int i = 0; i < 10; ++i)
        last = Add(nullptr, "n" + std::to_string(i));
    EXPECT_EQ(changes, 0);
    tree.EndUpdate();
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(moves.empty());
    EXPECT_TRUE(itemChanges.empty());  // Object set before placing: no item-change notice

    TTreeItem* c = tree.AddChildFirst(last);
    TTreeItem* before = tree.Insert(c);
    TTreeItem* d = tree.AddChildObject(last, &p);
    TTreeItem* e = tree.AddChildObjectFirst(last, &p);
    TTreeItem* f = tree.InsertObject(last, &p);
    TTreeItem* g = tree.AddFirst(c);
    EXPECT_EQ(last->GetItem(0), g);
    EXPECT_EQ(last->GetItem(1), e);
    EXPECT_EQ(last->GetItem(2), before);
    EXPECT_EQ(last->GetItem(3), c);
    EXPECT_EQ(last->GetItem(4), d);
    EXPECT_EQ(f->GetNextSibling(), last);
    EXPECT_EQ(d->GetObject(), &p);
    EXPECT_TRUE(moves.empty());
    EXPECT_TRUE(Consistent(tree));

    TTreeString* s = tree.AddObject(nullptr, "text", &p);
    EXPECT_EQ(s->GetText(), "text");
    EXPECT_EQ(s->GetObject(), &p);
    EXPECT_EQ(tree.GetItem(tree.GetCount() - 1), s);
}

TEST_F(TreeTest, SetObjectAndChangeNotices)
{
    TTreeItem* a = Add(nullptr, "a");
    Data p(1);
    Data q(2);
    ResetNotices();
    a->SetObject(&p);
    EXPECT_EQ(itemChanges, (std::vector<std::string>{"a"}));
    EXPECT_EQ(changes, 1);
    a->SetObject(&p);
    EXPECT_EQ(changes, 1);

    tree.BeginUpdate();
    a->SetObject(&q);
    a->SetObject(nullptr);
    EXPECT_EQ(itemChanges.size(), 3u);  // item notices are not held by the update
    EXPECT_EQ(changes, 1);
    tree.EndUpdate();
    EXPECT_EQ(changes, 2);
}

TEST_F(TreeTest, DeletionOrderAndNotices)
{
    TTreeItem* a = Add(nullptr, "a");
    TTreeItem* b = Add(nullptr, "b");
    TTreeItem* a1 = Child(a, "a1");
    Child(a1, "a11");
    Child(a, "a2");
    ResetNotices();

    tree.BeginUpdate();
    a->Delete();
    tree.EndUpdate();
    EXPECT_EQ(deletions, (std::vector<std::string>{"a11", "a1", "a2", "a"}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Dump(tree), "b");
    EXPECT_TRUE(Consistent(tree));

    Child(b, "b1");
    Child(b, "b2");
    ResetNotices();
    b->DeleteChildren();
    EXPECT_EQ(deletions, (std::vector<std::string>{"b1", "b2"}));
    EXPECT_EQ(Dump(tree), "b");
    EXPECT_GE(changes, 1);

    ResetNotices();
    tree.Delete(b);
    EXPECT_EQ(deletions, (std::vector<std::string>{"b"}));
    EXPECT_EQ(tree.GetCount(), 0);
    EXPECT_EQ(tree.GetCountOfVisible(), 0);
}

TEST_F(TreeTest, ClearAndDestructionReportEveryItem)
{
    std::vector<std::string> gone;
    int ownerChanges = 0;
    {
        TTreeStrings t;
        t.OnDeletion = [&](TObject*, TTreeItem* item) { gone.push_back(Name(item)); };
        TTreeItem* a = t.AddObject(nullptr, "a", nullptr);
        t.AddObject(nullptr, "b", nullptr);
        static_cast<TTreeString*>(t.AddChild(a))->SetText("a1");
        t.OnChange = [&](TObject*) { ++ownerChanges; };
        t.Clear();
        EXPECT_EQ(gone, (std::vector<std::string>{"a1", "a", "b"}));
        EXPECT_EQ(ownerChanges, 1);
        EXPECT_EQ(t.GetCount(), 0);

        t.AddObject(nullptr, "c", nullptr);
        gone.clear();
        ownerChanges = 0;
    }
    EXPECT_EQ(gone, (std::vector<std::string>{"c"}));
    EXPECT_EQ(ownerChanges, 0);  // nothing announced while the owner is destroyed
}

TEST_F(TreeTest, Navigation)
{
    TTreeItem* a = Add(nullptr, "a");
    TTreeItem* b = Add(nullptr, "b");
    TTreeItem* a1 = Child(a, "a1");
    TTreeItem* a2 = Child(a, "a2");
    TTreeItem* a21 = Child(a2, "a21");

    EXPECT_EQ(a->GetPrevSibling(), nullptr);
    EXPECT_EQ(a2->GetNextSibling(), nullptr);
    EXPECT_EQ(a1->GetNextSibling(), a2);
    EXPECT_EQ(b->GetPrevSibling(), a);
    EXPECT_EQ(a->GetNext(), a1);
    EXPECT_EQ(a21->GetNext(), b);
    EXPECT_EQ(b->GetNext(), nullptr);
    EXPECT_EQ(a->GetPrev(), nullptr);
    EXPECT_EQ(b->GetPrev(), a21);
    EXPECT_EQ(a->GetLastPosterity(), a21);
    EXPECT_EQ(b->GetLastPosterity(), b);
    EXPECT_EQ(tree.IndexOfLastChild(a), 3);
    EXPECT_EQ(a21->GetAbsoluteIndex(), 3);
    EXPECT_EQ(a21->GetLevel(), 2);
    EXPECT_EQ(a2->GetIndex(), 1);
    EXPECT_EQ(b->GetIndex(), 1);
    EXPECT_EQ(a->GetFirstChild(), a1);
    EXPECT_EQ(a->GetLastChild(), a2);
    EXPECT_EQ(b->GetFirstChild(), nullptr);
    EXPECT_EQ(a->GetPrevChild(a2), a1);
    EXPECT_EQ(a->GetNextChild(a2), nullptr);
    EXPECT_EQ(a->GetNextChild(b), nullptr);
    EXPECT_TRUE(a->HasAsParent(a2));
    EXPECT_FALSE(a->HasAsParent(a21));
    EXPECT_TRUE(a21->IsAncestor(a));
    EXPECT_FALSE(a21->IsAncestor(a21));
    EXPECT_FALSE(a->IsAncestor(a21));
    EXPECT_EQ(a2->GetCountOfSibling(), 2);
    EXPECT_EQ(b->GetCountOfSibling(), 2);
    EXPECT_THROW(a->GetItem(2), platform::ListIndexError);
    EXPECT_THROW(tree.GetItem(5), platform::ListIndexError);

    TTreeItem loose(&tree);
    EXPECT_EQ(loose.GetIndex(), -1);
    EXPECT_EQ(loose.GetAbsoluteIndex(), -1);
    EXPECT_EQ(loose.GetNext(), nullptr);
    b->MoveTo(&loose, 2);  // a target outside the tree: refused
    EXPECT_EQ(b->GetParent(), nullptr);
}

TEST_F(TreeTest, SetIndex)
{
    TTreeItem* p = Add(nullptr, "p");
    for (const char* n : {"c0", "c1", "c2", "c3"})
        Child(p, n);
    TTreeItem* c2 = p->GetItem(2);
    ResetNotices();

    c2->SetIndex(0);
    EXPECT_EQ(Dump(tree), "p >c2 >c0 >c1 >c3");
    EXPECT_EQ(moves, (std::vector<std::string>{"c2->c0:4"}));

    c2->SetIndex(1);  // a larger index below the count moves to the last place
    EXPECT_EQ(Dump(tree), "p >c0 >c1 >c3 >c2");
    EXPECT_EQ(moves.back(), "c2->p:2");

    ResetNotices();
    c2->SetIndex(3);
    c2->SetIndex(4);
    c2->SetIndex(-1);
    EXPECT_EQ(Dump(tree), "p >c0 >c1 >c3 >c2");
    EXPECT_TRUE(moves.empty());
    EXPECT_EQ(changes, 0);

    TTreeItem* q = Add(nullptr, "q");
    q->SetIndex(0);
    EXPECT_EQ(Dump(tree), "q p >c0 >c1 >c3 >c2");
    q->SetIndex(1);
    EXPECT_EQ(moves.back(), "q->null:0");
    EXPECT_EQ(Dump(tree), "p >c0 >c1 >c3 >c2 q");
}

TEST_F(TreeTest, VisibilityAndCounts)
{
    TTreeItem* a = Add(nullptr, "a");
    TTreeItem* a1 = Child(a, "a1");
    Child(a, "a2");
    Child(a, "a3");
    TTreeItem* a11 = Child(a1, "a11");
    Add(nullptr, "b");
    EXPECT_EQ(tree.GetCountOfVisible(), 6);
    EXPECT_EQ(a->GetCountOfVisible(), 5);

    a1->SetExpanded(false);
    EXPECT_EQ(tree.GetCountOfVisible(), 5);
    EXPECT_FALSE(a11->GetIsVisible());
    EXPECT_FALSE(a1->GetIsVisible());  // an item's own flag counts
    EXPECT_EQ(a->GetNextVisible(), a->GetItem(1));
    a1->SetExpanded(true);

    const int before = tree.GetCountOfVisible();
    ResetNotices();
    a->SetExpanded(false);
    EXPECT_EQ(before - tree.GetCountOfVisible(), 4);  // three children and a grandchild
    EXPECT_EQ(changes, 1);
    a->SetExpanded(false);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tree.GetItem(tree.GetCount() - 1)->GetPrevVisible(), nullptr);  // a is collapsed: not visible
}

TEST_F(TreeTest, CollapseExpandAndBranchTypes)
{
    TTreeItem* a = Add(nullptr, "a");
    TTreeItem* a1 = Child(a, "a1");
    TTreeItem* a2 = Child(a, "a2");
    TTreeItem* a3 = Child(a, "a3");
    TTreeItem* a21 = Child(a2, "a21");
    TTreeItem* b = Add(nullptr, "b");

    ResetNotices();
    tree.FullCollapse();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(tree.GetCountOfVisible(), 2);
    EXPECT_FALSE(a->GetExpanded());
    EXPECT_FALSE(a2->GetExpanded());
    EXPECT_TRUE(a1->GetExpanded());
    EXPECT_EQ(b->GetPrevVisible(), nullptr);  // a itself is collapsed, so not visible
    EXPECT_TRUE(Consistent(tree));

    a21->MakeVisible();
    EXPECT_TRUE(a21->GetIsVisible());
    EXPECT_EQ(changes, 2);
    tree.FullCollapse();
    tree.FullExpand();
    EXPECT_EQ(tree.GetCountOfVisible(), 6);
    for (int i = 0; i < tree.GetCount(); ++i)
        EXPECT_TRUE(tree.GetItem(i)->GetIsVisible());
    EXPECT_TRUE(Consistent(tree));

    EXPECT_EQ(a->GetBranchType(0), 1);    // first of several roots
    EXPECT_EQ(b->GetBranchType(0), 4);    // last of several roots
    EXPECT_EQ(a->GetBranchType(1), -1);
    EXPECT_EQ(a1->GetBranchType(1), 3);   // first of several children
    EXPECT_EQ(a2->GetBranchType(1), 3);   // middle
    EXPECT_EQ(a3->GetBranchType(1), 4);   // last
    EXPECT_EQ(a21->GetBranchType(2), 4);  // only child
    EXPECT_EQ(a21->GetBranchType(1), 2);  // a2 has a later sibling
    EXPECT_EQ(a21->GetBranchType(0), 2);  // a has a later sibling
    b->Delete();
    EXPECT_EQ(a->GetBranchType(0), 0);    // only root
    EXPECT_EQ(a21->GetBranchType(0), 0);
}

TEST_F(TreeTest, StringsAccess)
{
    Add(nullptr, "x");
    TTreeItem plain(&tree);
    EXPECT_EQ(tree.GetItem(0)->GetText(), "x");
    EXPECT_EQ(static_cast<TTreeItems&>(tree).GetItem(0), tree.GetItem(0));
}

// A seeded random sequence of Add/AddChild/MoveTo/SetIndex/Delete/SetExpanded, each in its own
// update, checked after every step against a simple model of the tree and of the notices.
class TreeModel {
public:
    std::vector<int> roots;
    std::map<int, std::vector<int>> children;
    std::map<int, int> parent;  // -1 for a root

    std::vector<int>& Siblings(int id) { return parent[id] < 0 ? roots : children[parent[id]]; }
    bool IsBelow(int id, int ancestor)
    {
        for (int p = id; p >= 0; p = parent[p])
            if (p == ancestor)
                return true;
        return false;
    }
    void Walk(int id, std::vector<int>& out)
    {
        out.push_back(id);
        for (int c : children[id])
            Walk(c, out);
    }
    std::vector<int> Flat()
    {
        std::vector<int> out;
        for (int r : roots)
            Walk(r, out);
        return out;
    }
    void PostOrder(int id, std::vector<int>& out)
    {
        for (int c : children[id])
            PostOrder(c, out);
        out.push_back(id);
    }
    void Detach(int id)
    {
        auto& s = Siblings(id);
        s.erase(std::find(s.begin(), s.end(), id));
    }
    void Place(int id, int target, int mode)
    {
        auto put = [&](int newParent, bool first) {
            parent[id] = newParent;
            auto& s = newParent < 0 ? roots : children[newParent];
            s.insert(first ? s.begin() : s.end(), id);
        };
        switch (mode) {
        case 0: put(target < 0 ? -1 : parent[target], false); break;
        case 1: put(target < 0 ? -1 : parent[target], true); break;
        case 2: put(target, false); break;
        case 3: put(target, true); break;
        default:
            if (target < 0) {
                put(-1, false);
            } else {
                parent[id] = parent[target];
                auto& s = Siblings(target);
                s.insert(std::find(s.begin(), s.end(), target), id);
            }
        }
    }
    // True when the move changes the tree.
    bool Move(int id, int target, int mode)
    {
        if (target == id || (target >= 0 && IsBelow(target, id)))
            return false;
        Detach(id);
        Place(id, target, mode);
        return true;
    }
    void Remove(int id)
    {
        Detach(id);
        std::vector<int> gone;
        PostOrder(id, gone);
        for (int g : gone) {
            children.erase(g);
            parent.erase(g);
        }
    }
};

TEST(TreeRandom, OperationsMatchModelAndNotices)
{
    for (unsigned seed : {1u, 7u, 20240611u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        int changes = 0;
        std::vector<std::string> moves;
        std::vector<int> deletions;
        TTreeStrings tree;
        TreeModel model;
        std::map<int, TTreeItem*> items;
        int nextId = 0;
        tree.OnChange = [&](TObject*) { ++changes; };
        tree.OnItemMove = [&](TObject*, TTreeItem* item, TTreeItem*, int mode) {
            moves.push_back(Name(item) + ":" + std::to_string(mode));
        };
        tree.OnDeletion = [&](TObject*, TTreeItem* item) { deletions.push_back(std::stoi(Name(item))); };

        auto pick = [&]() -> int {
            if (items.empty())
                return -1;
            auto it = items.begin();
            std::advance(it, static_cast<long>(rng() % items.size()));
            return it->first;
        };

        for (int step = 0; step < 400; ++step) {
            changes = 0;
            moves.clear();
            deletions.clear();
            bool expectChange = true;
            std::vector<std::string> expectMoves;
            std::vector<int> expectDeletions;

            tree.BeginUpdate();
            const unsigned op = items.size() < 3 ? 0 : rng() % 8;
            if (op <= 1) {  // Add / AddChild
                const int target = rng() % 4 == 0 ? -1 : pick();
                const int id = nextId++;
                TTreeItem* item = op == 0 ? tree.Add(target < 0 ? nullptr : items[target])
                                          : tree.AddChild(target < 0 ? nullptr : items[target]);
                static_cast<TTreeString*>(item)->SetText(std::to_string(id));
                items[id] = item;
                model.parent[id] = -1;
                model.Place(id, target, op == 0 ? 0 : 2);
            } else if (op <= 4) {  // MoveTo
                const int id = pick();
                const int target = rng() % 6 == 0 ? -1 : pick();
                const int mode = static_cast<int>(rng() % 5);
                items[id]->MoveTo(target < 0 ? nullptr : items[target], mode);
                expectChange = model.Move(id, target, mode);
                if (expectChange)
                    expectMoves.push_back(std::to_string(id) + ":" + std::to_string(mode));
            } else if (op == 5) {  // SetIndex
                const int id = pick();
                auto& siblings = model.Siblings(id);
                const int count = static_cast<int>(siblings.size());
                const int current = static_cast<int>(std::find(siblings.begin(), siblings.end(), id) - siblings.begin());
                const int index = static_cast<int>(rng() % static_cast<unsigned>(count + 2)) - 1;
                items[id]->SetIndex(index);
                if (index >= 0 && index < current) {
                    model.Move(id, siblings[static_cast<std::size_t>(index)], 4);
                    expectMoves.push_back(std::to_string(id) + ":4");
                } else if (index > current && index < count) {
                    const int p = model.parent[id];
                    model.Move(id, p, p < 0 ? 0 : 2);
                    expectMoves.push_back(std::to_string(id) + (p < 0 ? ":0" : ":2"));
                } else {
                    expectChange = false;
                }
            } else if (op == 6) {  // Delete
                const int id = pick();
                model.PostOrder(id, expectDeletions);
                items[id]->Delete();
                model.Remove(id);
                for (int g : expectDeletions)
                    items.erase(g);
            } else {  // SetExpanded
                TTreeItem* item = items[pick()];
                item->SetExpanded(!item->GetExpanded());
            }
            EXPECT_EQ(changes, 0);
            tree.EndUpdate();

            ASSERT_EQ(changes, expectChange ? 1 : 0) << "step " << step << " op " << op;
            ASSERT_EQ(moves, expectMoves) << "step " << step;
            ASSERT_EQ(deletions, expectDeletions) << "step " << step;
            ASSERT_TRUE(Consistent(tree)) << "step " << step;
            std::vector<int> flat;
            for (int i = 0; i < tree.GetCount(); ++i)
                flat.push_back(std::stoi(Name(tree.GetItem(i))));
            ASSERT_EQ(flat, model.Flat()) << "step " << step << " op " << op;
        }
    }
}

} // namespace

#include "core/Itemcollection.h"

#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Counts lives and the notices each node delivers.
struct Census {
    int constructed = 0;
    int destroyed = 0;
    std::vector<std::string> log;
};

class Node : public TItemCollection {
public:
    Node(Census& census, std::string name, TItemCollection* parent = nullptr)
        : TItemCollection(parent), census_(census), name_(std::move(name))
    {
        ++census_.constructed;
    }
    ~Node() override { ++census_.destroyed; }

    int changings = 0;
    int changes = 0;

protected:
    void Changing() override
    {
        ++changings;
        census_.log.push_back("changing " + name_);
    }
    void DoChange() override
    {
        ++changes;
        census_.log.push_back("change " + name_);
        TItemCollection::DoChange();
    }

private:
    Census& census_;
    std::string name_;
};

class ItemCollectionTest : public ::testing::Test {
protected:
    Node* Child(TItemCollection* parent, const std::string& name)
    {
        auto* node = new Node(census, name, parent);
        parent->Add(node);
        return node;
    }

    Census census;
};

TEST_F(ItemCollectionTest, ConstructionDoesNotJoinParent)
{
    Node root(census, "root");
    auto* loose = new Node(census, "loose", &root);
    EXPECT_EQ(root.GetCount(), 0);
    EXPECT_EQ(loose->GetParent(), &root);
    EXPECT_EQ(loose->GetIndex(), -1);
    EXPECT_EQ(loose->GetNext(), nullptr);
    EXPECT_EQ(loose->GetPrev(), nullptr);
    root.Add(loose);
    EXPECT_EQ(loose->GetIndex(), 0);
}

TEST_F(ItemCollectionTest, AddInsideUpdateOfRootNotifiesRootOnce)
{
    Node root(census, "root");
    Node* mid = Child(&root, "mid");
    root.changes = 0;
    census.log.clear();

    root.BeginUpdate();
    root.BeginUpdate();
    for (int i = 0; i < 5; ++i)
        Child(mid, "leaf" + std::to_string(i));
    root.EndUpdate();
    EXPECT_EQ(root.changes, 0);
    root.EndUpdate();
    EXPECT_EQ(root.changes, 1);
    EXPECT_EQ(root.changings, 2);  // once for Child(&root), once now
    EXPECT_EQ(mid->changes, 5);     // mid itself was not inside an update
    EXPECT_EQ(census.log.back(), "change root");
    EXPECT_EQ(census.log[census.log.size() - 2], "changing root");
}

TEST_F(ItemCollectionTest, UpdateOfChildCollectsItsChanges)
{
    Node root(census, "root");
    Node* mid = Child(&root, "mid");
    root.changes = 0;

    mid->BeginUpdate();
    Node* a = Child(mid, "a");
    Child(mid, "b");
    mid->Erase(0);  // leaves "a" alive; it is freed below
    EXPECT_EQ(root.changes, 0);
    mid->EndUpdate();
    EXPECT_EQ(mid->changes, 1);
    EXPECT_EQ(root.changes, 1);
    EXPECT_EQ(mid->GetCount(), 1);
    delete a;
    EXPECT_EQ(mid->GetCount(), 1);
}

TEST_F(ItemCollectionTest, EraseKeepsChildAliveWithItsParent)
{
    Node root(census, "root");
    Node* a = Child(&root, "a");
    Child(&root, "b");
    root.Erase(0);
    EXPECT_EQ(root.GetCount(), 1);
    EXPECT_EQ(a->GetParent(), &root);
    EXPECT_EQ(census.destroyed, 0);
    root.Insert(1, a);
    EXPECT_EQ(root.IndexOf(a), 1);
    EXPECT_THROW(root.Erase(2), platform::ListIndexError);
    EXPECT_THROW(root.Insert(3, a), platform::ListIndexError);
    EXPECT_THROW(root.GetItems(-1), platform::ListIndexError);
}

TEST_F(ItemCollectionTest, DestroyingChildReportsToParent)
{
    Node root(census, "root");
    Node* a = Child(&root, "a");
    Node* b = Child(&root, "b");
    Child(b, "b1");
    root.changes = 0;

    delete a;
    EXPECT_EQ(root.GetCount(), 1);
    EXPECT_EQ(root.GetItems(0), b);
    EXPECT_EQ(root.changes, 1);

    b->Delete();
    EXPECT_EQ(root.GetCount(), 0);
    EXPECT_EQ(root.changes, 2);  // b's own removal only: b1's removal is not passed on
    EXPECT_EQ(census.destroyed, 3);
}

TEST_F(ItemCollectionTest, DeleteChildThroughParent)
{
    Node root(census, "root");
    Node* a = Child(&root, "a");
    root.changes = 0;
    root.BeginUpdate();
    root.Delete(a);
    root.EndUpdate();
    EXPECT_EQ(census.destroyed, 1);
    EXPECT_EQ(root.GetCount(), 0);
    EXPECT_EQ(root.changes, 1);
}

TEST_F(ItemCollectionTest, ClearDestroysEveryChildOnce)
{
    {
        Node root(census, "root");
        for (int i = 0; i < 3; ++i) {
            Node* c = Child(&root, "c" + std::to_string(i));
            Child(c, "g" + std::to_string(i));
        }
        root.changes = 0;
        root.Clear();
        EXPECT_EQ(root.GetCount(), 0);
        EXPECT_EQ(census.destroyed, 6);
        EXPECT_GE(root.changes, 1);
        Child(&root, "again");
    }
    EXPECT_EQ(census.destroyed, census.constructed);
}

TEST_F(ItemCollectionTest, DestroyedRootAnnouncesNothing)
{
    auto* root = new Node(census, "root");
    Child(Child(root, "a"), "a1");
    census.log.clear();
    delete root;
    EXPECT_TRUE(census.log.empty()) << census.log.front();
    EXPECT_EQ(census.destroyed, 3);
}

TEST_F(ItemCollectionTest, Neighbours)
{
    Node root(census, "root");
    Node* a = Child(&root, "a");
    Node* b = Child(&root, "b");
    Node* c = Child(&root, "c");
    EXPECT_EQ(a->GetPrev(), nullptr);
    EXPECT_EQ(a->GetNext(), b);
    EXPECT_EQ(c->GetPrev(), b);
    EXPECT_EQ(c->GetNext(), nullptr);
    EXPECT_EQ(b->GetFirst(), a);
    EXPECT_EQ(b->GetLast(), c);
    EXPECT_EQ(c->GetIndex(), 2);
    EXPECT_EQ(root.GetIndex(), -1);
    EXPECT_EQ(root.GetFirst(), nullptr);
    EXPECT_EQ(root.GetLast(), nullptr);
    EXPECT_EQ(root.IndexOf(&root), -1);
}

// Random edits in nested updates: the root hears of them exactly once per outermost update in
// which something changed, and every node is freed exactly once.
// The child list against a plain vector: inserts anywhere, children taken out at the front, the
// back and between, each child's index and neighbours checked after every step.
TEST_F(ItemCollectionTest, RandomListEditsKeepOrderAndIndexes)
{
    std::mt19937 rng(20261211);
    Node root(census, "root");
    std::vector<TItemCollection*> model;
    for (int step = 0; step < 3000; ++step) {
        const int count = static_cast<int>(model.size());
        const unsigned op = rng() % 6;
        if (op <= 2 || count == 0) {
            const int at = op == 0 ? 0 : op == 1 ? count : static_cast<int>(rng() % (count + 1));
            auto* node = new Node(census, "n");
            root.Insert(at, node);
            model.insert(model.begin() + at, node);
        } else if (op == 3) {
            model.front()->Delete();   // a paragraph's first word taken out
            model.erase(model.begin());
        } else if (op == 4) {
            const int at = static_cast<int>(rng() % count);
            root.Delete(model[static_cast<std::size_t>(at)]);
            model.erase(model.begin() + at);
        } else {
            const int at = static_cast<int>(rng() % count);
            TItemCollection* kept = model[static_cast<std::size_t>(at)];
            root.Erase(at);
            model.erase(model.begin() + at);
            root.Insert(static_cast<int>(model.size()), kept);
            model.push_back(kept);
        }
        ASSERT_EQ(root.GetCount(), static_cast<int>(model.size())) << step;
        for (std::size_t i = 0; i < model.size(); i += 1 + model.size() / 16) {
            ASSERT_EQ(root.GetItems(static_cast<int>(i)), model[i]) << step;
            ASSERT_EQ(model[i]->GetIndex(), static_cast<int>(i)) << step;
            ASSERT_EQ(model[i]->GetNext(), i + 1 < model.size() ? model[i + 1] : nullptr) << step;
        }
        if (!model.empty()) {
            ASSERT_EQ(model.front()->GetFirst(), model.front());
            ASSERT_EQ(model.front()->GetLast(), model.back());
        }
    }
    root.Clear();
    EXPECT_EQ(root.GetCount(), 0);
    EXPECT_EQ(census.destroyed, census.constructed - 1);
}

TEST_F(ItemCollectionTest, RandomEditsNotifyOncePerOutermostUpdate)
{
    std::mt19937 rng(20240611);
    {
        Node root(census, "root");
        std::vector<Node*> nodes{&root};
        for (int round = 0; round < 200; ++round) {
            root.changes = 0;
            const int depth = 1 + static_cast<int>(rng() % 3);
            for (int d = 0; d < depth; ++d)
                root.BeginUpdate();
            const int edits = 1 + static_cast<int>(rng() % 4);
            for (int e = 0; e < edits; ++e) {
                Node* target = nodes[rng() % nodes.size()];
                if (rng() % 3 != 0 || target == &root) {
                    nodes.push_back(Child(target, "n"));
                } else {
                    // Drop the target and every node below it from the pool, then destroy it.
                    std::vector<Node*> keep;
                    for (Node* n : nodes) {
                        bool below = false;
                        for (TItemCollection* p = n; p; p = p->GetParent())
                            below = below || p == target;
                        if (!below)
                            keep.push_back(n);
                    }
                    nodes = keep;
                    target->Delete();
                }
            }
            for (int d = 0; d < depth; ++d) {
                EXPECT_EQ(root.changes, 0);
                root.EndUpdate();
            }
            ASSERT_EQ(root.changes, 1) << "round " << round;
            EXPECT_EQ(census.constructed - census.destroyed, static_cast<int>(nodes.size()));
        }
    }
    EXPECT_EQ(census.destroyed, census.constructed);
}

} // namespace

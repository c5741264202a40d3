// The item tree of a layout document: the nodes follow adds, deletes, moves, the selection and
// Clear; items that cannot be selected are absent with their children; drops follow the
// destination rule and the document's move rule; keys reach the document.
#include "layout/Preview.h"
#include "reports/Fpreviewitemoperator.h"
#include "support/ScriptedServices.h"

#include <QMimeData>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using TDropPlace = TPreviewItemOperator::TDropPlace;

// Records the drags it would start.
class ProbeTree : public TPreviewItemOperator {
public:
    using TPreviewItemOperator::DragIdentity;
    void StartDrag(QTreeWidgetItem* node) override { started = node; }
    QTreeWidgetItem* started = nullptr;
};

class ItemTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        // 枠A[文 メモ] 枠D[絵] 枠F[グラフ], 枠F not selectable.
        a = Add(1, nullptr, "A");
        b = Add(2, a, "B");
        c = Add(3, a, "C");
        d = Add(1, nullptr, "D");
        e = Add(5, d, "E");
        f = Add(1, nullptr, "F");
        g = Add(7, f, "G");
        f->SetOptions(TVIOptions{voDeletable, voShowFrame});
        preview.SetSelected(nullptr);
        tree.resize(300, 400);
        tree.show();
        tree.activateWindow();
        tree.SetPreview(&preview);
    }
    TViewItem* Add(int type, TViewItem* parent, const char* name)
    {
        preview.SetSelected(parent);
        TViewItem* item = preview.AddContainer(type);
        item->SetName(name);
        return item;
    }
    QTreeWidget* View() { return tree.GetTreeView(); }
    QPoint At(TViewItem* item) { return View()->visualItemRect(tree.NodeOf(item)).center(); }
    // A drop of the current node onto `target`'s node.
    bool Drop(TViewItem* target, Qt::KeyboardModifiers modifiers = {}, QByteArray identity = {})
    {
        QMimeData data;
        data.setData(TPreviewItemOperator::kMimeType, identity.isEmpty() ? tree.DragIdentity() : identity);
        QDropEvent event(At(target), Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        event.setAccepted(false);
        tree.TreeViewDragDrop(&event);
        return event.isAccepted();
    }

    TPreview preview;
    ProbeTree tree;
    TViewItem *a, *b, *c, *d, *e, *f, *g;
};

TEST_F(ItemTreeTest, NodesFollowTheDocument)
{
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト メモ] コンテナ[イメージ]");
    EXPECT_EQ(tree.NodeOf(g), nullptr) << "below an item that is not shown";

    // Adds under the selection, deletes with the subtree, moves.
    preview.SetSelected(e);
    preview.AddContainer(6);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト メモ] コンテナ[イメージ[グリッド]]");
    preview.Delete(e);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト メモ] コンテナ");
    preview.ItemMove(c, b, false);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[メモ テキスト] コンテナ");
    preview.ItemMove(b, d, true);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[メモ] コンテナ[テキスト]");
    preview.ItemMove(d, a, false);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト] コンテナ[メモ]");
    EXPECT_EQ(TPreviewItemOperator::ItemOf(View()->topLevelItem(1)), d);

    // Selection both ways.
    preview.SetSelected(c);
    EXPECT_EQ(View()->currentItem(), tree.NodeOf(c));
    View()->setCurrentItem(tree.NodeOf(b));
    EXPECT_EQ(preview.GetSelected(), b);
    View()->setCurrentItem(View()->topLevelItem(0));
    EXPECT_EQ(preview.GetSelected(), nullptr) << "the first node stands for the page";
    preview.SetSelected(b);
    preview.SetSelected(nullptr);
    EXPECT_EQ(View()->currentItem(), View()->topLevelItem(0));

    // Clear leaves the first node; a loaded file fills the tree again.
    const std::string file = vkttest::NewTempFolder("tree") + "/tree.xml";
    preview.SaveToFile(file);
    int removals = 0;
    {
        QObject guard;
        QObject::connect(View()->model(), &QAbstractItemModel::rowsAboutToBeRemoved, &guard, [&] { ++removals; });
        preview.Clear();
    }
    EXPECT_EQ(tree.Dump(), "プリンターと用紙");
    EXPECT_EQ(removals, 0) << "the tree is emptied at once, not node by node";
    EXPECT_EQ(View()->currentItem(), View()->topLevelItem(0));
    preview.LoadFromFile(file);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト] コンテナ[メモ]");
}

TEST_F(ItemTreeTest, DropRuleAndDrops)
{
    // Downwards after the target (as last child of its parent after the last sibling); upwards
    // before it; Shift as its child; never onto itself or below itself.
    const TViewItem* page = preview.GetItems()->GetPageRoot();
    const struct {
        TViewItem *dragged, *target;
        bool shift;
        bool ok;
        const TViewItem* destination;
        bool asChild;
    } cases[] = {
        {b, c, false, true, a, true},   {c, b, false, true, b, false}, {a, e, false, true, d, true},
        {e, a, false, true, a, false},  {b, d, true, true, d, true},   {a, b, false, false, nullptr, false},
        {a, a, false, false, nullptr, false}, {d, f, false, true, page, true},
    };
    for (const auto& t : cases) {
        TDropPlace place;
        const bool ok = TPreviewItemOperator::DropPlace(t.dragged, t.target, t.shift, place);
        EXPECT_EQ(ok, t.ok) << t.dragged->GetName() << "→" << t.target->GetName();
        if (!ok) continue;
        EXPECT_EQ(place.Destination, t.destination) << t.dragged->GetName() << "→" << t.target->GetName();
        EXPECT_EQ(place.AsChild, t.asChild) << t.dragged->GetName() << "→" << t.target->GetName();
    }

    // Dropped through the tree: the last child dragged down onto its last sibling goes to the end.
    View()->setCurrentItem(tree.NodeOf(b));
    EXPECT_TRUE(Drop(c));
    EXPECT_EQ(a->GetLastChild(), b);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[メモ テキスト] コンテナ[イメージ]");
    // Shift makes it a child; onto its own child it is refused; foreign drags are refused.
    EXPECT_TRUE(Drop(e, Qt::ShiftModifier));
    EXPECT_EQ(b->GetParent(), e);
    View()->setCurrentItem(tree.NodeOf(d));
    EXPECT_FALSE(Drop(e));
    EXPECT_FALSE(Drop(c, {}, "another tree"));
    // The document's rule decides last.
    preview.OnCanMoveItem = [](TPageView*, TViewItem*, TViewItem*, bool, bool& accept) { accept = false; };
    EXPECT_FALSE(Drop(c));
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[メモ] コンテナ[イメージ[テキスト]]");
}

TEST_F(ItemTreeTest, DragStartsFromAnItemNodeMovedFarEnough)
{
    View()->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tree));
    ASSERT_TRUE(View()->hasFocus());
    const auto drag = [&](TViewItem* item, QPoint offset) {
        tree.started = nullptr;
        const QPoint from = item ? At(item) : View()->visualItemRect(View()->topLevelItem(0)).center();
        QTest::mousePress(View()->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, from + offset, View()->viewport()->mapToGlobal(from + offset),
                         Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(View()->viewport(), &move);
        QTest::mouseRelease(View()->viewport(), Qt::LeftButton, {}, from + offset);
        return tree.started;
    };
    EXPECT_EQ(drag(c, {6, 0}), tree.NodeOf(c));
    EXPECT_EQ(drag(c, {2, 1}), nullptr) << "within the threshold";
    EXPECT_EQ(drag(nullptr, {8, 0}), nullptr) << "the first node carries no item";
}

TEST_F(ItemTreeTest, KeysReachTheDocument)
{
    View()->setFocus();
    // Delete needs a selection.
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(preview.GetItems()->ItemOfName("E"), e);
    View()->setCurrentItem(tree.NodeOf(e));
    QTest::keyClick(View(), Qt::Key_Delete);
    EXPECT_EQ(preview.GetItems()->ItemOfName("E"), nullptr);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト メモ] コンテナ");
    // Copy, cut and paste through the clipboard.
    View()->setCurrentItem(tree.NodeOf(c));
    QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
    View()->setCurrentItem(View()->topLevelItem(0));
    QTest::keyClick(View(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[テキスト メモ] コンテナ メモ");
    View()->setCurrentItem(tree.NodeOf(b));
    QTest::keyClick(View(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(tree.Dump(), "プリンターと用紙 コンテナ[メモ] コンテナ メモ");
}

} // namespace

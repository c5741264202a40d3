#pragma once
// TPreviewItemOperator: the item tree of a layout document. The first node, "プリンターと用紙",
// stands for the page settings; below it each selectable item of the document is a node showing
// its container's caption and type icon, nested as the items are. Picking a node selects its item
// in the document (the first node selects nothing); dragging a node moves the item; Delete and
// Ctrl+C, Ctrl+X, Ctrl+V reach the document. The tree follows the document's notices one by one
// and is built anew on binding and on the document's Clear.
//
// Drags carry kMimeType with this tree's identity; only this tree's drags are dropped.
#include <QHash>
#include <QPoint>
#include "layout/Preview.h"

#include <QPointer>
#include <QWidget>

class QDragMoveEvent;
class QDropEvent;
class QKeyEvent;
class QMouseEvent;
class QTreeWidget;
class QTreeWidgetItem;

class TPreviewItemOperator : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kMimeType = "application/x-vektara-layout-item";
    static constexpr const char* kRootCaption = "プリンターと用紙";

    // Where a dragged item goes: before Destination, or as its last child.
    struct TDropPlace {
        TViewItem* Destination = nullptr;
        bool AsChild = false;
    };
    // The drop rule: onto an item below the dragged one, after the target (as last child of its
    // parent when it is the last); onto one above, before it; with Shift, as the target's last
    // child. False for no target, the dragged item itself or one of its descendants.
    static bool DropPlace(TViewItem* dragged, TViewItem* target, bool shift, TDropPlace& place);

    explicit TPreviewItemOperator(QWidget* parent = nullptr);
    ~TPreviewItemOperator() override;

    void SetPreview(TPreview* preview);
    TPreview* GetPreview() const { return preview_; }
    QTreeWidget* GetTreeView() const { return TreeView; }
    // The node of an item; null when the item is not shown. Only the address is used: a deletion
    // notice may name an item whose derived part is already gone.
    QTreeWidgetItem* NodeOf(const TTreeItem* item) const { return nodes_.value(item, nullptr); }
    static TViewItem* ItemOf(const QTreeWidgetItem* node);
    // The tree as "caption[children]" text, nodes separated by blanks (tests and diagnostics).
    std::string Dump() const;

    // Tree events (the tree widget passes them on).
    void TreeViewChange();
    void TreeViewMouseDown(QMouseEvent* event);
    void TreeViewMouseMove(QMouseEvent* event);
    // The drag's target and destination, accepted or ignored on the event.
    void TreeViewDragOver(QDragMoveEvent* event);
    void TreeViewDragDrop(QDropEvent* event);
    void TreeViewKeyDown(QKeyEvent* event);

protected:
    // Starts the drag of the node's item (a QDrag carrying kMimeType); tests replace it.
    virtual void StartDrag(QTreeWidgetItem* node);
    // The drag data naming this tree.
    QByteArray DragIdentity() const;

    QTreeWidget* TreeView = nullptr;

private:
    void Rebuild();
    void PreviewAddItem(TViewItem* parent, TViewItem* item);
    void PreviewDeleteItem(TTreeItem* item);
    void PreviewMoveItem(TTreeItem* item);
    void PreviewSelChange();
    void Forget(QTreeWidgetItem* node);
    // The node under a drag event's point with an item other than the dragged one, and where the
    // drop puts the dragged item; false when the drop is refused.
    bool DropTarget(QDropEvent* event, TDropPlace& place) const;
    void SelectNode(QTreeWidgetItem* node);
    void ScrollLater(TViewItem* item);

    QPointer<TPreview> preview_;
    TPVActionNotifier* notifier_ = nullptr;
    QTreeWidgetItem* root_ = nullptr;
    QHash<const TTreeItem*, QTreeWidgetItem*> nodes_;
    TViewItem* picked_ = nullptr;
    TViewItem* scrollTo_ = nullptr;
    QTreeWidgetItem* downNode_ = nullptr;
    QPoint downPoint_;
    bool updating_ = false;
    bool selecting_ = false;
};

#pragma once
// TClassView: the class hierarchy as a tree, one node per class. The owner fills it class by
// class and reads the choice back; it holds no database. A class's parent is the class whose tree
// index is its index's parent; siblings stand in tree-index order. With LeafOnly, nodes that have
// children are drawn grey (the owner does not accept them as a choice). A class whose parent is not
// listed stands at the top level, among the roots in tree-index order.
#include "core/Treeindex.h"

#include <QFrame>
#include <QIcon>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

class QStyledItemDelegate;

namespace platform {
class IconList;
}

class TClassView : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(TClassView* Sender)>;
    using TChanging = std::function<void(QTreeWidgetItem* leaving, QTreeWidgetItem* entering)>;

    explicit TClassView(QWidget* parent = nullptr);

    QTreeWidget* GetClassTree() const { return tree_; }

    void AddClass(int id, int classType, int image, const std::string& name, const TTreeIndex& treeIndex);
    // Selects the parent first when the class is selected; removes it with its sub-tree.
    void DeleteClass(int id);
    void Clear();
    // Between these, the classes are listed anew: added classes are placed apart from the tree and
    // join it at EndLoad, each parent's children in one insertion. A listed class keeps its node
    // (text, image and place brought up to date), a node not listed goes; the tree ends as one
    // built afresh, expansion included, and only the parents whose children changed are touched.
    void BeginLoad();
    void EndLoad();
    // Nothing when the class is not listed.
    void SelectID(int id);
    int GetSelectedID() const;
    // A TVktClassType; ctRoot when nothing is selected.
    int GetSelectedClassType() const;
    // "200" when nothing is selected.
    TTreeIndex GetSelectedTreeIndex() const;
    QTreeWidgetItem* FindNode(int id) const;
    int GetNodeID(const QTreeWidgetItem* node) const;
    int GetNodeClassType(const QTreeWidgetItem* node) const;
    TTreeIndex GetNodeTreeIndex(const QTreeWidgetItem* node) const;
    std::string GetNodeText(const QTreeWidgetItem* node) const;
    void SetNodeText(QTreeWidgetItem* node, const std::string& text);
    void SetNodeImage(QTreeWidgetItem* node, int image);
    // 0 without a node.
    int GetNodeImage(const QTreeWidgetItem* node) const;
    // Not owned.
    const platform::IconList* GetImages() const { return images_; }
    void SetImages(const platform::IconList* images);

    bool GetLeafOnly() const { return leafOnly_; }
    void SetLeafOnly(bool value);
    // Names are laid out once and drawn as laid out (on by default); off, each paint shapes them
    // anew. Both look the same.
    void SetTextLaidOnce(bool on);
    QTreeWidgetItem* GetCurrentNode() const { return currentNode_; }

    // The selection moves from leaving to entering (either may be none); fired before OnChange,
    // while the nodes are still listed.
    TChanging OnChanging;
    // The selected node changed.
    TNotify OnChange;

private:
    // What a node stands for (held by the node: the sort and the lookups read no item roles).
    struct TNodeData {
        int id = 0;
        int classType = 0;
        int image = 0;
        TTreeIndex tree;
        unsigned load = 0;   // the load that listed the class last
    };
    class TNode;
    // None for no node.
    static const TNodeData* NodeData(const QTreeWidgetItem* node);
    static TNodeData* NodeData(QTreeWidgetItem* node);
    // True when the node was listed in this load (or since) at this path.
    bool IsListedAt(const QTreeWidgetItem* node, const std::string& path) const;
    void Forget(QTreeWidgetItem* node);

    QTreeWidget* tree_ = nullptr;
    QStyledItemDelegate* delegate_ = nullptr;   // the tree's, owned by it
    const platform::IconList* images_ = nullptr;
    std::vector<QIcon> icons_;   // of images_, made once
    bool loading_ = false;
    unsigned loads_ = 0;
    std::vector<std::string> vacated_;   // while loading: paths that listed nodes left
    // While loading: the parents (none for the top level) in the order they took a first child,
    // and each one's listed children in tree-index order.
    std::vector<QTreeWidgetItem*> parents_;
    std::unordered_map<QTreeWidgetItem*, std::vector<QTreeWidgetItem*>> listedChildren_;
    bool leafOnly_ = false;
    QTreeWidgetItem* currentNode_ = nullptr;
    std::unordered_map<int, QTreeWidgetItem*> byId_;
    std::unordered_map<std::string, QTreeWidgetItem*> byPath_;
};

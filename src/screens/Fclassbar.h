#pragma once
// TClassBar: the class hierarchy in a drop-down. The list shows every class indented by its level
// with its icon; the closed box shows the path of names below the top level ("食材/肉類/牛肉").
// Items stand in tree-index order, which is the depth-first order of the hierarchy. With LeafOnly,
// classes that have sub-classes are grey and cannot be chosen.
#include "core/Treeindex.h"

#include <QFrame>

#include <functional>
#include <string>
#include <vector>

class QComboBox;

namespace platform {
class IconList;
}

struct TClassBarItem {
    int ClassID = 0;
    int ClassType = 0;
    TTreeIndex TreeIndex;
    int Icon = -1;
    std::string Name;
};

class TClassBar : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(TClassBar* Sender)>;

    explicit TClassBar(QWidget* parent = nullptr);

    QComboBox* GetDropDown() const { return dropDown_; }

    void AddClass(int id, int classType, int icon, const TTreeIndex& treeIndex, const std::string& name);
    // Selects the parent first when the class is selected; removes it with its sub-classes.
    void DeleteClass(int id);
    void Clear();
    // Nothing when the class is not listed.
    void SetClassID(int id);
    // 0 when nothing is selected.
    int GetClassID() const;
    // The selected item; null when none.
    const TClassBarItem* GetSelectedItem() const;
    // Item index of the class; -1 when absent.
    int FindItem(int id) const;
    int GetCount() const { return static_cast<int>(items_.size()); }
    const TClassBarItem& GetItem(int index) const { return items_.at(index); }
    void SetItemIcon(int index, int icon);
    void SetItemName(int index, const std::string& name);
    // Not owned.
    void SetImages(const platform::IconList* images);
    const platform::IconList* GetImages() const { return images_; }
    bool GetLeafOnly() const { return leafOnly_; }
    void SetLeafOnly(bool value) { leafOnly_ = value; }
    // Whether item `index` has sub-classes.
    bool HasChildren(int index) const;
    // Level below the top (0 for a root).
    int Level(int index) const;
    // The names from the level-1 ancestor down to the item, joined by "/".
    std::string PathText(int index) const;

    // The selection changed (after a refused choice was put back).
    TNotify OnChange;

private:
    friend class TClassBarCombo;
    void Chosen(int index);

    QComboBox* dropDown_ = nullptr;
    const platform::IconList* images_ = nullptr;
    bool leafOnly_ = false;
    int droppedIndex_ = -1;
    std::vector<TClassBarItem> items_;
};

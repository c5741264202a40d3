#pragma once
// The list with which the user chooses and orders fields: each entry is a field (an id and a
// caption) with a position and a state image; clicking the image or pressing Enter cycles the
// state, dragging or Shift+Up/Down reorders. Image 0 means "no state", image k state k − 1.
#include "core/Priorityitem.h"
#include "gui/IconList.h"

#include <QWidget>

#include <functional>
#include <string>

class QListWidget;
class QListWidgetItem;
class QTimer;

// The chosen fields: parallel lists of ids and states, in display order.
struct TDblPriorityItem {
    TPriorityItem Ids;
    TPriorityItem States;
    bool operator==(const TDblPriorityItem& other) const { return Ids == other.Ids && States == other.States; }
};

class TStateListView : public QWidget {
    Q_OBJECT
public:
    explicit TStateListView(QWidget* owner = nullptr);
    ~TStateListView() override;

    QListWidgetItem* AddItem(const std::string& caption, int id);
    void Clear();
    // Removes the item; the positions of the later items drop by one.
    void DeleteItem(QListWidgetItem* item);

    QListWidgetItem* ItemOfPosition(int position) const;
    QListWidgetItem* ItemOfId(int id) const;
    static int GetItemPosition(const QListWidgetItem* item);
    static int GetItemId(const QListWidgetItem* item);
    static void SetItemPosition(QListWidgetItem* item, int position);
    int GetItemImage(const QListWidgetItem* item) const;
    void SetItemImage(QListWidgetItem* item, int image);

    // Moves the item at position `from` to `to`, shifting those between; re-sorts and reports a
    // change. Nothing when either position has no item or they are equal.
    void MoveItem(int from, int to);
    void MoveUp();
    void MoveDown();
    // The selected item's image becomes `state` modulo the image count; reports a change.
    void SetSelectedState(int state);

    // Every item whose image is not 0, in display order, with its state (image − 1).
    TDblPriorityItem GetStates() const;
    // Listed items first, in the given order, with their states; the others follow with no state
    // in their previous order. No change is reported.
    void SetStates(const TDblPriorityItem& states);

    // The state images (by default the "states" list: none, shown, shown with a line break).
    const platform::IconList& GetImages() const { return images_; }
    void SetImages(const platform::IconList& images);
    // The default state images.
    static platform::IconList StateImages();

    QListWidget* GetListView() const { return listView_; }
    // The rectangle of an item's state image, in the list's viewport.
    QRect IconRect(const QListWidgetItem* item) const;

    std::function<void(QObject* sender)> OnChange;

protected:
    virtual void DoChange();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Resort();
    void AdvanceSelected();
    void TimerTimer();
    void EndDrag();

    QListWidget* listView_ = nullptr;
    QTimer* timer_ = nullptr;
    platform::IconList images_;
    bool updating_ = false;
    QListWidgetItem* pressItem_ = nullptr;
    bool dragging_ = false;
};

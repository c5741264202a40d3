#pragma once
// TAttributeSelectPanel: every attribute item as a list entry with a three-state check mark (a
// TAttrCheckState). A click on the mark or Enter cycles 2 → 1 → 0 → 2; moving
// to another entry, leaving the list or Ctrl+Enter applies the selected entry's change (OnApply
// reads GetCurrentItem and GetCurrentCheck), Esc restores it.
#include "data/Vktcodes.h"
#include "gui/IconList.h"

#include <QFrame>

#include <functional>
#include <string>

class QListWidget;
class QListWidgetItem;

class TAttributeSelectPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit TAttributeSelectPanel(QWidget* parent = nullptr);
    ~TAttributeSelectPanel() override;

    void Clear();
    void AddItem(int id, const std::string& text);
    // Every entry's state becomes acNoEntry.
    void ClearChecks();
    // The entry of the id gets the state; an id not listed is skipped.
    void SetCheck(int id, int state);
    // -1 when the id is not listed.
    int GetCheck(int id) const;

    bool GetModified() const { return modified_; }
    void SetModified(bool modified);
    void ApplyEdit();
    void CancelEdit();

    // The selected entry's attribute item id (0 none) and its state.
    int GetCurrentItem() const { return currentItem_; }
    int GetCurrentCheck() const { return currentCheck_; }

    // The check marks by state (acUnchecked, acChecked, 3 for acNoEntry); by default the program's
    // quick-filter marks.
    const platform::IconList& GetStateImages() const { return stateImages_; }
    void SetStateImages(const platform::IconList& images);

    QListWidget* GetAttributeList() const { return attributeList_; }
    // The mark's rectangle of an entry, in the list's viewport.
    QRect IconRect(const QListWidgetItem* item) const;

    TNotify OnApply;
    TNotify OnModifiedChange;

protected:
    virtual void DoApply();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Delegate;

    static int StateOf(const QListWidgetItem* item);
    static void SetState(QListWidgetItem* item, int state);
    QListWidgetItem* Selected() const;
    void AttributeListEnter();
    void AttributeListExit();
    void AttributeListSelectItem(QListWidgetItem* current, QListWidgetItem* previous);
    void CycleCheck(QListWidgetItem* item);
    bool AttributeListKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void AttributeListMouseUp(const QPoint& pos);

    QListWidget* attributeList_ = nullptr;
    platform::IconList stateImages_;
    int currentItem_ = 0;
    int currentCheck_ = 0;
    bool modified_ = false;
    int undoCheck_ = 0;
};

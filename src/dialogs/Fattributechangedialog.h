#pragma once
// The dialog "属性設定の変更": sets, clears or leaves alone chosen attribute items on every record
// marked in the record list. Registered attributes (ListView1) move into the list to change
// (ListView2), where each has a state shown as its picture: 0 not changed, 1 unchecked,
// 2 checked. A press on the selected item's picture cycles its state; OK runs the attribute
// change in the batch dialog with every listed item, state 0 included.
#include "core/Priorityitem.h"
#include "widgets/Fguipanel.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TVktObject;

class TAttributeChangeDialog : public TVktDialog {
    Q_OBJECT
public:
    explicit TAttributeChangeDialog(QWidget* parent = nullptr);
    ~TAttributeChangeDialog() override;

    // Keeps the ids, refills the lists and shows the dialog modally.
    int Execute(const TPriorityItem& ids);
    // Execute's set-up before the window shows.
    void Prepare(const TPriorityItem& ids);

    QTreeWidget* GetListView1() const { return listView1_; }
    QTreeWidget* GetListView2() const { return listView2_; }
    QPushButton* GetBtnAdd() const { return btnAdd_; }
    QPushButton* GetBtnAll() const { return btnAll_; }
    QPushButton* GetBtnDelete() const { return btnDelete_; }
    QPushButton* GetBtnTrue() const { return btnTrue_; }
    QPushButton* GetBtnFalse() const { return btnFalse_; }
    QPushButton* GetBtnDisable() const { return btnDisable_; }
    // State of a ListView2 item.
    static int State(const QTreeWidgetItem* item);
    // The picture area of a ListView2 item, in viewport coordinates.
    QRect PictureRect(QTreeWidgetItem* item) const;

    // Both lists emptied, then every attribute item listed in ListView1.
    void Refill();
    // Closes at once when BtnCancel reads "閉じる" or Shift is held, else after a Yes.
    void BtnCancelClick();
    void reject() override;

protected:
    void DoAttach() override { Refill(); }
    void DoDetach() override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Moves the item from one list to the end of the other (state 0 in ListView2).
    void Move(QTreeWidgetItem* item, QTreeWidget* to);
    void SetState(QTreeWidgetItem* item, int state);
    void SetSelectedState(int state);
    void Moved();
    void BtnOkClick();

    TPriorityItem ids_;
    QTreeWidget* listView1_ = nullptr;
    QTreeWidget* listView2_ = nullptr;
    QPushButton* btnAdd_ = nullptr;
    QPushButton* btnAll_ = nullptr;
    QPushButton* btnDelete_ = nullptr;
    QPushButton* btnTrue_ = nullptr;
    QPushButton* btnFalse_ = nullptr;
    QPushButton* btnDisable_ = nullptr;
    bool placed_ = false;
};

// The single dialog, made on first use, bound to obj.
TAttributeChangeDialog* ShowAttributeChangeDlg(TVktObject* obj);

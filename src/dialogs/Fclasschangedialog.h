#pragma once
// The dialog "分類設定の変更": moves the records marked in the record list into one end class,
// chosen in a class tree of the ingredient, recipe and menu classes; new classes can be made
// beside or below the chosen one. OK runs the class change in the batch dialog. One instance for
// the whole run, resizable, placed at the bottom right of the screen on its first showing.
#include "core/Priorityitem.h"
#include "gui/IconList.h"
#include "widgets/Fguipanel.h"

class QLabel;
class QPushButton;
class TClassView;
class TVktObject;

class TClassChangeDialog : public TVktDialog {
    Q_OBJECT
public:
    explicit TClassChangeDialog(QWidget* parent = nullptr);
    ~TClassChangeDialog() override;

    TClassView* GetClassView() const { return classView_; }
    QPushButton* GetBtnNew() const { return btnNew_; }
    QPushButton* GetBtnChildNew() const { return btnChildNew_; }
    const TPriorityItem& GetIds() const { return ids_; }
    void SetIds(const TPriorityItem& ids);

    // Re-reads the icons and the classes, keeping the selected class.
    void FillTree();
    // The enable rules of the buttons.
    void UpdateActions();

protected:
    void DoAttach() override;
    void DoDetach() override;
    void showEvent(QShowEvent* event) override;

private:
    void AddClassRow(int id);
    void ClassChanged(TVktField field, int id);
    void BtnNewClick();
    void BtnChildNewClick();
    void BtnOkClick();

    TPriorityItem ids_;
    platform::IconList icons_;
    QLabel* label1_ = nullptr;
    TClassView* classView_ = nullptr;
    QPushButton* btnNew_ = nullptr;
    QPushButton* btnChildNew_ = nullptr;
    bool placed_ = false;
};

// The single dialog, made on first use.
TClassChangeDialog* ClassChangeDlg();
// Binds the dialog to obj, keeps the ids and shows it modally.
void ShowClassChangeDlg(TVktObject* obj, const TPriorityItem& ids);

#pragma once
// The dialog "詳細表示の設定": the record list's columns, their order and sort states, chosen on a
// field selector. One instance for the whole run, placed at the bottom right of the screen.
#include "widgets/Fguipanel.h"

class QLabel;
class QPushButton;
class TFieldSelector;
class TVktObject;

class TFieldSelectDialog : public TVktDialog {
    Q_OBJECT
public:
    explicit TFieldSelectDialog(QWidget* parent = nullptr);

    TFieldSelector* GetFieldSelector() const { return fieldSelector_; }
    QPushButton* GetBtnVisible() const { return btnVisible_; }
    QPushButton* GetBtnAsnt() const { return btnAsnt_; }
    QPushButton* GetBtnDsnt() const { return btnDsnt_; }
    QPushButton* GetBtnInvisible() const { return btnInvisible_; }
    QPushButton* GetBtnUp() const { return btnUp_; }
    QPushButton* GetBtnDown() const { return btnDown_; }

    // One item per displayable field, in field-number order; the list is cleared first.
    void FillFields();
    // Binds and loads the object's current layout (also when it was bound already).
    void Prepare(TVktObject* obj);

protected:
    // The first showing places the window (its frame is known then).
    void showEvent(QShowEvent* event) override;

private:
    void UpdateActions();

    TFieldSelector* fieldSelector_ = nullptr;
    QPushButton* btnVisible_ = nullptr;
    QPushButton* btnAsnt_ = nullptr;
    QPushButton* btnDsnt_ = nullptr;
    QPushButton* btnInvisible_ = nullptr;
    QPushButton* btnUp_ = nullptr;
    QPushButton* btnDown_ = nullptr;
    bool placed_ = false;
};

// The single dialog: made, placed and filled on first use; released when the application ends.
TFieldSelectDialog* FieldSelectDlg();
// Binds the dialog to obj, loads its layout and shows the dialog modally.
void ShowFieldSelectDlg(TVktObject* obj);

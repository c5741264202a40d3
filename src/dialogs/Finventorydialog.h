#pragma once
// The wizard "棚卸し表作成ウィザード": creates the stock-taking sheet of a month from every record
// marked as an inventory item, with a chosen kind of unit price; the batch dialog runs it. The
// month is stepped with an up/down pair and kept as the day number of its first day. An existing
// sheet can be re-created from scratch.
#include "core/Priorityitem.h"
#include "dialogs/Uwizardpages.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;
class TVktObject;

class TInventoryDialog : public TWizardDialog {
    Q_OBJECT
public:
    explicit TInventoryDialog(QWidget* parent = nullptr);

    // The chosen month as the day number of its first day.
    int GetMonth() const;
    void SetMonth(int firstDay);
    // One month forward (`up`) or back.
    void StepMonth(bool up);

    QLineEdit* GetYHistDateEdit() const { return yHistDateEdit_; }
    QToolButton* GetUpButton() const { return upButton_; }
    QToolButton* GetDownButton() const { return downButton_; }
    QWidget* GetUpDown() const { return upDown_; }
    QComboBox* GetCBPriceType() const { return cbPriceType_; }
    QCheckBox* GetCBInit() const { return cbInit_; }
    QPushButton* GetBtnCreate() const { return btnCreate_; }

protected:
    void PageChanged(int page) override;

private:
    // The option rule, after any change of month, price type or CBInit.
    void PropertyChange();
    void BtnCreateClick();

    TPriorityItem months_;   // months that have a sheet
    QLineEdit* yHistDateEdit_ = nullptr;
    QWidget* upDown_ = nullptr;
    QToolButton* upButton_ = nullptr;
    QToolButton* downButton_ = nullptr;
    QComboBox* cbPriceType_ = nullptr;
    QCheckBox* cbInit_ = nullptr;
    QPushButton* btnCreate_ = nullptr;
};

// The single wizard, made on first use.
TInventoryDialog* InventoryDlg();
// Binds the wizard to obj, starts it on page 0 at the current month and shows it modally.
void ShowInventoryDlg(TVktObject* obj);

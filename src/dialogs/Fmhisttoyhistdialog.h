#pragma once
// The wizard "年間履歴作成ウィザード": folds one month of monthly price history of every record into
// yearly history (highest, lowest, average and last price), optionally deleting that month's
// monthly history; only months before the running one can be deleted.
#include "dialogs/Uwizardpages.h"

class QCheckBox;
class QComboBox;
class TVktObject;

class TMHistToYHistDialog : public TWizardDialog {
    Q_OBJECT
public:
    explicit TMHistToYHistDialog(QWidget* parent = nullptr);

    // Lists the months with monthly history, starts on page 0 and shows the wizard modally.
    int Execute();
    // Execute's set-up before the window shows.
    void Prepare();

    QComboBox* GetMHistDateList() const { return mHistDateList_; }
    QCheckBox* GetCBDeleteMHist() const { return cbDeleteMHist_; }
    QPushButton* GetBtnCreate() const { return btnCreate_; }

protected:
    void PageChanged(int page) override;

private:
    void MHistDateListChange();
    void BtnCreateClick();

    QComboBox* mHistDateList_ = nullptr;
    QCheckBox* cbDeleteMHist_ = nullptr;
    QPushButton* btnCreate_ = nullptr;
};

// The single wizard, made on first use.
TMHistToYHistDialog* MHistToYHistDlg();
// Binds the wizard to obj and runs it.
void ShowMHistToYHistDlg(TVktObject* obj);

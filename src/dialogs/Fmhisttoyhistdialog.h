#pragma once
// The wizard "年間履歴作成ウィザード": folds one month of monthly price history of every record into
// yearly history (highest, lowest, average and last price), optionally deleting that month's
// monthly history; only months before the running one can be deleted. A bar under the month list
// follows the fold over the records; the month folded stays shown unless its history was deleted.
#include "database/Uvktobject.h"
#include "dialogs/Uwizardpages.h"

class QCheckBox;
class QComboBox;
class QProgressBar;

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
    QProgressBar* GetProgressBar() const { return progressBar_; }

protected:
    void PageChanged(int page) override;

private:
    class TRunLock;

    void MHistDateListChange();
    void BtnCreateClick();
    // Shows the bar for a fold over `records` and gives the progress call that moves it.
    TVktProgressEvent FoldProgress(int records);

    QComboBox* mHistDateList_ = nullptr;
    QCheckBox* cbDeleteMHist_ = nullptr;
    QPushButton* btnCreate_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
};

// The single wizard, made on first use.
TMHistToYHistDialog* MHistToYHistDlg();
// Binds the wizard to obj and runs it.
void ShowMHistToYHistDlg(TVktObject* obj);

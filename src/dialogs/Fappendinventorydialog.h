#pragma once
// The wizard "棚卸し表追加ウィザード": adds the records selected in the record list to the existing
// stock-taking sheet of a chosen month; the batch dialog runs it.
#include "core/Priorityitem.h"
#include "dialogs/Uwizardpages.h"

class QComboBox;
class TVktObject;

class TAppendInventoryDialog : public TWizardDialog {
    Q_OBJECT
public:
    explicit TAppendInventoryDialog(QWidget* parent = nullptr);

    // Starts on page 0 with the ids and shows the wizard modally.
    int Execute(const TPriorityItem& ids);

    QComboBox* GetInvDateList() const { return invDateList_; }
    QPushButton* GetBtnCreate() const { return btnCreate_; }

protected:
    void PageChanged(int page) override;

private:
    void BtnCreateClick();

    TPriorityItem ids_;
    QComboBox* invDateList_ = nullptr;
    QPushButton* btnCreate_ = nullptr;
};

// The single wizard, made on first use, bound to obj.
TAppendInventoryDialog* AppendInventoryDlg(TVktObject* obj);

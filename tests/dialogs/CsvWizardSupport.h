#pragma once
// Helpers of the CSV wizard tests: choosing fields in the wizard's selector and closing the batch
// dialog by a queued click on "閉じる" once its run has ended.
#include "data/Vkttabledefine.h"
#include "dialogs/Fcsvconvertor.h"
#include "dialogs/Fexecutedialog.h"
#include "screens/Ffieldselector.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <string>
#include <vector>

namespace vkttest {

inline void ChooseCsvFields(TCsvConvertor& wizard, const std::vector<TVktField>& fields, int perLine = 1)
{
    TDblPriorityItem states;
    for (TVktField f : fields) {
        states.Ids << static_cast<int>(f);
        states.States << 0;
    }
    wizard.GetCsvFieldSelector()->GetFieldSelector()->GetStateListView()->SetStates(states);
    wizard.GetCsvFieldSelector()->GetCsvTitleCount()->SetValue(perLine);
}

// Clicks the batch dialog of `object` closed after each run and keeps its last end text.
class BatchCloser {
public:
    explicit BatchCloser(TVktObject* object)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, object] {
            TExecuteDialog* dialog = ExecuteDlg(object);
            if (!dialog->isVisible() || dialog->GetRunning() || dialog->GetOperation() != TExecuteDialog::opNone) return;
            EndText = dialog->GetLabel()->text().toStdString();
            dialog->GetBtnCancel()->click();
        });
        timer_.start(5);
    }
    std::string EndText;

private:
    QTimer timer_;
};

} // namespace vkttest

// The batch progress dialog during an import and after it, footer included.
#include "dialogs/Fexecutedialog.h"
#include "support/Snapshot.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

TExecuteDialog* Staged(const char* label, int position, const char* button)
{
    auto* dialog = new TExecuteDialog;
    dialog->setWindowTitle(QString::fromUtf8("データ一括変換"));
    dialog->GetLabel()->setText(QString::fromUtf8(label));
    dialog->GetProgressBar()->setRange(0, 12);
    dialog->GetProgressBar()->setValue(position);
    dialog->GetBtnCancel()->setText(QString::fromUtf8(button));
    return dialog;
}

} // namespace

VKT_SNAPSHOT(execute_running) { return Staged("和牛サーロイン", 6, "キャンセル"); }

VKT_SNAPSHOT(execute_ended) { return Staged("終了しました。", 12, "閉じる"); }

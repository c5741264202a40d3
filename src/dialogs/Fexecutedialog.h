#pragma once
// TExecuteDialog: the one modal window in which every batch change of many records runs. A set-up
// call stores its operation and arguments, titles the window and shows it modally; once the window
// is shown and painted, the database object's batch routine runs on the GUI thread, one progress
// call per record: the bar steps, events are let through and a pending cancel asks the user. The
// window then tells how the run ended and stays until "閉じる" (or closes itself with AutoClose).
//
// Operations, their routine on the bound TVktObject and the tag handed to it (operation − 1):
//   1 InsertData            InsertData(kind, text, fields)                   label: each row's name
//   2 ChangeDataClass       ChangeDataClass(class, ids)
//   3 EraseData             EraseData(ids)
//   4 RestoreData           RestoreData(ids)
//   5 PurgeData             PurgeData(ids)
//   6 AppendRecipeItem      AppendRecipeItem(recipe, ids)
//   7 SetInventoryEntry     SetInventoryEntry(type, reset, GetInventoryItems(), date as a whole day)
//   8 SetInventoryEntries   SetInventoryEntries(sheet, ids)
//   9 DeleteInventoryEntry  DeleteInventoryEntry(sheet, ids)
//  10 SetDataAttributes     SetDataAttributes(ids, attribute items, states)
//  11 UpdateDataKeys        UpdateDataKeys(values, ids, fields)
//
// End texts: "終了しました。" after a full run, "実行はキャンセルされました。" after a confirmed
// cancel, "エラーのため実行を中断しました。" when the routine failed on a record or raised (the raise
// itself is shown once by platform::Guard); for operation 1 the failed row follows as
// "<n>行目: <name>". The window grows downwards for an end text of more lines than one set-up text
// (the next set-up gives it back its size). AutoClose closes the window after a run that did not fail.
// Operation 7 makes or re-values a sheet whole or not at all: its cancel question and the end of a
// cancelled or failed run say that the sheet stays as it was. After operation 3 the records that
// stayed because recipes or menus use them are counted in the end text and named, with their
// users, in a message.
#include "core/Priorityitem.h"
#include "data/Uvktobjevent.h"
#include "platform/DateTime.h"
#include "widgets/Fvktform.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QFrame;
class TVktObject;

class TExecuteDialog : public QDialog, public TPanelOwner {
    Q_OBJECT
public:
    enum {
        opNone,
        opInsertData,
        opChangeDataClass,
        opEraseData,
        opRestoreData,
        opPurgeData,
        opAppendRecipeItem,
        opSetInventoryEntry,
        opSetInventoryEntries,
        opDeleteInventoryEntry,
        opSetDataAttributes,
        opUpdateDataKeys,
    };

    explicit TExecuteDialog(QWidget* parent = nullptr);
    ~TExecuteDialog() override;

    // Binds the dialog (AddRef / Release, one subscription); nothing when obj is bound already.
    // The object's close and release notices unbind it.
    void SetDataObject(TVktObject* obj) { Bind(obj); }
    TVktObject* GetDataObject() const { return GetBound(); }

    // Set-ups. Each returns true without showing anything when no valid object is bound, false
    // when the window is showing already (no nested run); otherwise it runs the operation in the
    // modal window and returns true once the window has closed.
    bool InsertData(TVktObjKind kind, int stepCount, std::string text, TPriorityItem fields);
    bool ChangeDataClass(int classId, TPriorityItem ids);
    bool EraseData(TPriorityItem ids);
    bool RestoreData(TPriorityItem ids);
    bool PurgeData(TPriorityItem ids);
    bool AppendRecipeItem(int recipeId, TPriorityItem ids);
    // Price type 0-4; `recreate` resets the counted quantities of records already on the sheet.
    bool SetInventoryEntry(std::uint8_t priceType, bool recreate, platform::TDateTime date);
    bool SetInventoryEntries(int invDateId, TPriorityItem ids);
    bool DeleteInventoryEntry(int invDateId, TPriorityItem ids);
    bool SetDataAttributes(TPriorityItem ids, TPriorityItem attrItems, TPriorityItem states);
    bool UpdateDataKeys(std::string values, TPriorityItem ids, TPriorityItem fields);

    // The progress callback of every routine: called once per record. `cont` comes in as the
    // record's success and goes out false to stop the routine (a failed record or a confirmed
    // cancel).
    virtual void Progress(TVktObject* sender, const std::string& text, bool& cont, int tag);

    // Close the window by itself after the next run (reset after every run).
    bool GetAutoClose() const { return autoClose_; }
    void SetAutoClose(bool value) { autoClose_ = value; }

    // The operation waiting for its start (opNone once it runs), whether a routine is running,
    // and the cancel flag.
    int GetOperation() const { return operation_; }
    bool GetRunning() const { return running_; }
    bool GetCancelled() const { return cancel_; }

    QLabel* GetImage() const { return image_; }
    QLabel* GetLabel() const { return label_; }
    QProgressBar* GetProgressBar() const { return progressBar_; }
    QPushButton* GetBtnCancel() const { return btnCancel_; }
    QLabel* GetAppLabel() const { return appLabel_; }

    // Refused while a run is pending or running.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool Busy() const { return operation_ != opNone || running_; }
    // Gives the label `labelHeight` pixels (never less than one set-up text needs); the bar, the
    // footer and the window's bottom move with it.
    void Arrange(int labelHeight);
    // Checks the binding, prepares the window and runs it; `store`(object) keeps the arguments
    // and gives the number of steps.
    template <typename Store>
    bool Setup(int operation, const char* caption, const char* label, Store&& store);
    // Keeps the record ids; their count.
    int StoreIds(TPriorityItem ids);
    // From the queued start: paints the window, clears the pending code and runs the routine.
    void Start();
    bool RunRoutine(int operation);
    // `completed`: the routine returned (did not raise), with `ok`.
    void EndRun(int operation, bool completed, bool ok);
    // Paints the bar and label now; a routine's progress calls paint them at most every 50 ms.
    void PaintProgress();
    // The bar shows the progress calls so far and the label the last record's text. Set before
    // anything can look at them (a paint, events let through, the question, the end) rather than
    // at every record: a new value of a QProgressBar, or a new text of a QLabel, costs more than a
    // record.
    void ShowProgress();
    void BtnCancelClick();

    bool cancel_ = false;
    bool autoClose_ = false;
    int operation_ = opNone;
    TVktObjKind kind_ = TVktObjKind::Data;
    std::array<TPriorityItem, 3> lists_;   // record ids (operation 1: field ids), then extra lists
    std::uint8_t option1_ = 0;
    int argument_ = 0;                     // class, recipe, sheet id or whole day, by operation
    std::string text_;                     // the import text or the value text
    bool option2_ = false;

    bool running_ = false;
    bool startQueued_ = false;
    int steps_ = 0;                        // progress calls of the current run
    std::optional<std::string> recordText_;   // the last record's text, not shown yet
    int failedRow_ = 0;                    // 1-based row whose record failed, 0 none
    std::string failedText_;
    qint64 paintDue_ = 0;                  // when a progress call paints next, on the run clock

    QLabel* image_ = nullptr;
    QLabel* label_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
    QFrame* bevel1_ = nullptr;
    QLabel* appLabel_ = nullptr;
};

// The program's one batch dialog, made on first use and kept to the end; bound to obj on each call.
TExecuteDialog* ExecuteDlg(TVktObject* obj);

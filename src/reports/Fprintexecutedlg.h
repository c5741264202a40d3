#pragma once
// TPrintExecuteDlg: the modal dialog that prints a page view on the program's printer: a page range
// (all, odd or even pages of it), copies page by page (the printer repeats each page) or set by
// set (the range drawn again per copy), a progress bar and counter, and a cancel that asks first.
//
// One dialog serves the whole process: made without a parent by the first ShowPrintExecuteDlg and
// destroyed when the application ends, so its controls keep their state between showings. The run
// happens inside BtnPrintClick on the GUI thread; each progress call lets events through, so a
// confirmed cancel takes effect once the page under way is done, and the job is cancelled whole:
// nothing of it is printed or written. Before a page is printed its pictures still playing are
// waited for with events let through, the state text saying so and the bar counting those drawn;
// a stop confirmed then ends the run there, likewise. While a page is drawn its pictures are
// painted onto it off the GUI thread through the run's pump (RunPump.h), events let through
// meanwhile. A stopped run says so.
// Idle, the cancel button reads "閉じる" and closes; printing, it reads "キャンセル" and asks (Esc
// and the close box likewise).
#include <QDialog>

#include <cstddef>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class TPageView;
class TUpDownEdit;

class TPrintExecuteDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 449;
    static constexpr int kClientHeight = 225;

    explicit TPrintExecuteDlg(QWidget* parent = nullptr);
    ~TPrintExecuteDlg() override;

    // Binds the page view and resets the per-showing state; the caller then shows the dialog.
    void Setup(TPageView* view, const std::string& remark, const std::string& title);
    TPageView* GetPageView() const { return pageView_; }
    bool GetPrinting() const { return printing_; }

    // The number of pages a run prints with the current options, copies included.
    int PrintCount() const;
    // The progress bar's maximum as the options set it (0 when nothing is printed).
    int GetProgressMax() const { return progressMax_; }

    // Handlers.
    void BtnPrintClick();
    void BtnCancelClick();
    void CBCopyClick();
    void PrintPageOperatorClick();
    bool PrintProgress(TPageView* sender, int page, int pageCount);
    // Called while the run waits for pictures, `ended` of `waited` drawn: lets events through;
    // false once a stop is confirmed.
    bool PicturesPlaying(std::size_t ended, std::size_t waited);

public slots:
    // Esc and the close box: the cancel button's handler.
    void reject() override;

protected:
    // The controls, named (objectName too) as the form names them.
    QPushButton* BtnPrint = nullptr;
    QPushButton* BtnCancel = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CBSelPage = nullptr;
    QComboBox* PrintTypeList = nullptr;
    QLabel* StartPageLabel = nullptr;
    TUpDownEdit* StartPageEdit = nullptr;
    QLabel* EndPageLabel = nullptr;
    TUpDownEdit* EndPageEdit = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* CBCopy = nullptr;
    QLabel* CopyCountLabel = nullptr;
    TUpDownEdit* CopyCountEdit = nullptr;
    QRadioButton* RBPageCopy = nullptr;
    QRadioButton* RBFileCopy = nullptr;
    QFrame* Bevel1 = nullptr;
    QProgressBar* ProgressBar = nullptr;
    QLabel* ProgressLabel = nullptr;
    QLabel* Label = nullptr;

private:
    void SetProgressMax(int max);
    bool PagePrinted(int page) const;
    enum class RunEnd { Finished, Stopped, Failed };
    // Back to idle after a run, the state text saying how it ended.
    void EndRun(RunEnd end);

    TPageView* pageView_ = nullptr;
    int progressMax_ = 0;
    // Pages printed in the run under way, as the bar counts them.
    int printed_ = 0;
    bool cancel_ = false;
    // The run under way gave way to a confirmed stop: its job is cancelled, nothing printed.
    bool stopped_ = false;
    bool printing_ = false;
};

// Shows the one dialog modally for the page view; returns when it closes.
void ShowPrintExecuteDlg(TPageView* view, std::string remark, std::string title);
// The dialog once made, else null.
TPrintExecuteDlg* PrintExecuteDlg();

#pragma once
// TInternetCheckDialog: the manual update check. Showing it starts a check of the home page's
// update file; a bar steps while it runs, and the result is the label's text: a newer version
// published, the version in use is the latest, or the check failed. "閉じる" closes it once the
// check is over. The dialog is reused: a check of an earlier showing that ends late leaves a later
// showing alone.
//
// ShowUpdateNotice: after the silent check at start-up, tells what the update file brought.
#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class THTTPThread;
class TVktModule;

class TInternetCheckDialog : public QDialog {
    Q_OBJECT
public:
    // `module` (VktMdl() when null) starts the checks and must outlive them.
    explicit TInternetCheckDialog(TVktModule* module = nullptr, QWidget* parent = nullptr);

    // The end of the showing's check: the timer stops, the button is enabled and the label tells
    // the outcome.
    void CheckDone(THTTPThread* sender);
    // One timer step of the bar: 10 on, back to 0 past the maximum.
    void TimerTick();

    QLabel* GetLabel() const { return label_; }
    QProgressBar* GetProgressBar() const { return bar_; }
    QPushButton* GetBtnClose() const { return btnClose_; }
    QTimer* GetTimer() const { return timer_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TVktModule& module_;
    QLabel* label_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* btnClose_ = nullptr;
    QTimer* timer_ = nullptr;
    int showing_ = 0;
};

// Shows the program's one check dialog modally (made on first use).
void ShowInternetCheckDlg();

// When the check found news: an information box with the product name as caption, telling of a
// newer version when one is published, else of the updated home page. Nothing otherwise.
void ShowUpdateNotice(const TVktModule* module = nullptr);

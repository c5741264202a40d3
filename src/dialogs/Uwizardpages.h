#pragma once
// TWizardPages: the page stack of the wizards. A tab widget whose tab bar shows the page captions
// but takes no input: mouse presses, wheel turns and keys on the bar, and the tab widget's own
// Ctrl+Tab / Ctrl+PageUp / Ctrl+PageDown steps, are swallowed. Only ShowPage changes the page.
//
// Below it, the support the set-up dialogs and wizards share: their single instances, help, the
// wizard button row, month texts and lists, and row reads.
#include "platform/DateTime.h"
#include "widgets/Fguipanel.h"

#include <QPointer>
#include <QTabWidget>

#include <functional>
#include <string>

class QAbstractButton;
class QComboBox;
class QDialog;
class QLabel;
class QPushButton;
class TFilterObject;
class TPriorityItem;
class TVDBClass;
class TVktAccesser;

class TWizardPages : public QTabWidget {
    Q_OBJECT
public:
    explicit TWizardPages(QWidget* parent = nullptr);

    // Adds a page (an empty client widget named `name`) with its tab caption; returns the page.
    QWidget* AddPage(const char* name, const char* caption);
    // Enables only page n and makes it current; nothing for an index out of range.
    void ShowPage(int n);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Deletes the dialog when the application ends (its AtExit hooks); nothing without an application.
void ReleaseAtExit(QWidget* dialog);

// The single instance of a dialog: made on first call without a Qt parent, released at exit.
template <class T>
T* SingleDialog(QPointer<T>& slot)
{
    if (!slot) {
        slot = new T();
        ReleaseAtExit(slot);
    }
    return slot;
}

// Gives the focus to the first input of `area` in tab order (an enabled, visible widget that takes
// Tab focus and is no read-only text; a text's content selected), else to `fallback` when enabled.
void FocusFirstInput(QWidget* area, QWidget* fallback = nullptr);

// When the dialog closes, the window that was active when it opened is activated again with the
// focus on the widget that had it (the window manager may activate none, or the closed dialog).
void ReturnFocusOnClose(QDialog& dialog);

// Runs fn under the guard on each click of the button.
void OnClick(QAbstractButton* button, QObject* context, std::function<void()> fn);

// BtnHelp and F1 (no modifier) open the help page `context`.
void BindHelp(TVktDialog& dialog, int context);

// The wizard button row: 戻る (BtnPrev), 進む (BtnNext), キャンセル, ヘルプ at the four places of the
// base row; BtnSetting hidden. `next` null: a new BtnNext "進む &>>" and BtnOk hidden; otherwise
// `next` (the base BtnOk) serves as 進む.
struct TWizardButtons {
    QPushButton* BtnPrev = nullptr;
    QPushButton* BtnNext = nullptr;
};
TWizardButtons ArrangeWizardButtons(TVktDialog& dialog, QPushButton* next = nullptr);

// A one-line label on a page; width 0: as wide as its text.
QLabel* AddPageLabel(QWidget* page, const char* name, const char* text, int left, int top, int width = 0,
                     bool bold = false);

// "ウィザードは完了していません。ウィザードを終了しますか？" (No default); true on Yes.
bool AskQuitWizard();

// The base of the two-page wizards: the page stack over the client, the wizard button row, and
// キャンセル (also Esc and the close button while it is enabled) asking before it closes.
// 進む goes from page 0 to page 1 and closes (accepted) on page 1; 戻る goes back to page 0.
class TWizardDialog : public TVktDialog {
    Q_OBJECT
public:
    // `okIsNext`: the base BtnOk serves as 進む; otherwise BtnOk is hidden.
    TWizardDialog(QWidget* parent, bool okIsNext, int extraHeight);

    TWizardPages* GetPages() const { return pages_; }
    QPushButton* GetBtnPrev() const { return buttons_.BtnPrev; }
    QPushButton* GetBtnNext() const { return buttons_.BtnNext; }
    // Shows page n with 戻る enabled on page 1, 進む ("閉じる" on page 1) enabled on page 0 and
    // キャンセル enabled; then PageChanged(n).
    void ShowPage(int n);
    void BtnCancelClick();
    void reject() override;

protected:
    // What the page just shown changes beyond the common button states.
    virtual void PageChanged(int page) = 0;

private:
    TWizardPages* pages_ = nullptr;
    TWizardButtons buttons_;
};

// Months as whole day numbers of their first days: "2005年 1月" (`spaced`) or "2005年1月".
std::string MonthText(int day, bool spaced);
// The first day of the month of `value`.
int FirstDayOfMonth(platform::TDateTime value);
// Refills a list with one item per month, shown unspaced, the day number as item data; no choice.
void FillMonthList(QComboBox& list, const TPriorityItem& days);
// The day number of the chosen month; 0 when none is chosen.
int ChosenMonth(const QComboBox& list);

// Lists the accessor's rows under `filter`.
void QueryRows(TVktAccesser& accesser, const TFilterObject& filter);
// Lists the one row of class `id`; false when there is none.
bool ReadClassRow(TVDBClass& reader, int id);

#pragma once
// The application object: every event handler of ours runs under its guard, idle handlers keep
// actions and buttons up to date, and long operations run inside a modal dialog.
#include <QApplication>

#include <functional>
#include <string>
#include <vector>

class QDialog;
class QTimer;
class QWidget;

namespace platform {

class Application : public QApplication {
    Q_OBJECT
public:
    // Japanese locale and Qt's Japanese translations, the program's default font, the font
    // substitutions, the 150 ms idle timer.
    Application(int& argc, char** argv);
    // Runs the AtExit hooks (last registered first) before Qt goes down.
    ~Application() override;

    static Application* Instance();

    // The name shown as the caption of error boxes (default: the application's display name).
    void SetDisplayName(const std::string& name);
    std::string GetDisplayName() const;

    // Registers a hook run when the application ends, before Qt's objects go.
    void AtExit(std::function<void()> hook);

    // Lets the idle timer's next pass come a full interval after a pass run otherwise.
    void RestartIdleTimer();

    // A net under every handler: what still escapes is reported as Guard reports it.
    bool notify(QObject* receiver, QEvent* event) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::function<void()>> atExit_;
    QTimer* idleTimer_ = nullptr;
    std::string displayName_;
};

// The window a dialog or box opened now belongs above: the modal dialog on screen, else the
// active window, else a window of the program on screen; never `except` nor a window that is
// already transient for `except`. The active window lags behind a dialog just shown, or names none,
// until the window system has activated it.
QWidget* DialogParent(const QWidget* except = nullptr);
// Makes a top-level dialog without a Qt parent transient for DialogParent (its window only, the
// Qt parent stays null): the window system keeps it above that window, and under Wayland a dialog
// has no other way to stay above the window it blocks. The application does this for every such
// dialog and modal window as it is shown; nothing for a window with a Qt parent.
void AttachToDialogParent(QWidget* dialog);

// Runs fn: a platform::Error or other std::exception shows one Stop box with its message, anything
// else an empty message, SilentAbort nothing. False when fn did not complete. Ends with a queued
// idle pass.
bool Guard(const std::function<void()>& fn);

// Wraps fn for connect(): the call runs under Guard.
template <typename Fn>
auto Guarded(Fn fn)
{
    return [fn = std::move(fn)](auto&&... args) mutable {
        Guard([&] { fn(std::forward<decltype(args)>(args)...); });
    };
}

// Idle handlers enable, check and show; they are dropped with their owner.
void AddIdleHandler(QObject* owner, std::function<void()> handler);
// Runs every idle handler now (tests call it; the timer, menus and handlers call it too).
void RunIdle();
// Asks for one idle pass after the current event (coalesced).
void QueueIdle();

// Shows the dialog modally and runs op once from inside it, after its first paint. op is cleared
// before it runs, so a failure never runs it twice; errors are reported by Guard. The dialog is
// closed when op ends. True when op completed.
bool RunModalOperation(QDialog& dialog, std::function<void()> op);
// True while such an operation runs: Esc and close are refused, command handlers return early.
bool ModalOperationActive();
// Lets pending events through (progress callbacks call it).
void PumpEvents();

} // namespace platform

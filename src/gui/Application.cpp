#include "gui/Application.h"

#include "gui/CachedStyle.h"
#include "gui/FontTable.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/Errors.h"

#include <QDialog>
#include <QFont>
#include <QKeyEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmapCache>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>

// The library's compiled-in resources (icons); a static library registers them by hand.
static void InitGuiResources() { Q_INIT_RESOURCE(gui); }

namespace platform {

namespace {

constexpr int kIdleIntervalMs = 150;
constexpr const char* kIdleHooked = "vktIdleHooked";

struct IdleHandler {
    std::uint64_t id;
    QPointer<QObject> owner;
    bool owned;
    std::function<void()> handler;
};

struct IdleState {
    std::vector<IdleHandler> handlers;
    std::uint64_t lastId = 0;
    bool running = false;
    bool queued = false;
};

IdleState& Idle()
{
    static IdleState state;
    return state;
}

int& ModalDepth()
{
    static int depth = 0;
    return depth;
}

Application*& TheApplication()
{
    static Application* app = nullptr;
    return app;
}

// Shows an escaped error once; a failing message box must not throw into Qt's event loop.
void ReportError(const std::string& message) noexcept
{
    try {
        ShowError(message);
    } catch (...) {
    }
}

// Runs fn and reports what escapes it; true when fn completed.
template <typename Fn>
bool RunReported(Fn&& fn) noexcept
{
    try {
        fn();
        return true;
    } catch (const SilentAbort&) {
    } catch (const std::exception& error) {
        ReportError(error.what());
    } catch (...) {
        ReportError({});
    }
    return false;
}

// Esc and closing windows are refused while a modal operation runs.
bool RefusedDuringOperation(QObject* receiver, QEvent* event)
{
    if (ModalDepth() == 0 || !receiver->isWidgetType()) return false;
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    }
    return false;
}

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    TheApplication() = this;
    InitGuiResources();

    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(translator);
    }

    InstallFontSubstitutions();
    // 12 pixels on the screen, given in points: Qt's own dialogs derive sizes from the default
    // font's point size, which a font set in pixels leaves at -1.
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSizeF(12 * 72.0 / ScreenPixelsPerInch());
    setFont(font);
    if (const QString base = style()->name(); !base.isEmpty()) setStyle(new CachedStyle(base));
    // The screens keep drawings in the pixmap cache (scroll bars, tab panes, edit panels, and the
    // style's own); Qt's 10 MB is filled by one visit to the designer or a report, and the data
    // screen then draws them all anew on its next open.
    QPixmapCache::setCacheLimit(64 * 1024);

    installEventFilter(this);
    idleTimer_ = new QTimer(this);
    idleTimer_->setInterval(kIdleIntervalMs);
    connect(idleTimer_, &QTimer::timeout, this, [] { RunIdle(); });
    idleTimer_->start();
}

Application::~Application()
{
    idleTimer_->stop();
    while (!atExit_.empty()) {
        auto hook = std::move(atExit_.back());
        atExit_.pop_back();
        RunReported(hook);
    }
    Idle().handlers.clear();
    TheApplication() = nullptr;
}

Application* Application::Instance() { return TheApplication(); }

void Application::SetDisplayName(const std::string& name) { displayName_ = name; }

std::string Application::GetDisplayName() const
{
    return displayName_.empty() ? FromQString(applicationDisplayName()) : displayName_;
}

void Application::RestartIdleTimer()
{
    if (idleTimer_->isActive()) idleTimer_->start();
}

void Application::AtExit(std::function<void()> hook) { atExit_.push_back(std::move(hook)); }

bool Application::notify(QObject* receiver, QEvent* event)
{
    if (RefusedDuringOperation(receiver, event)) return true;
    bool handled = false;
    RunReported([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool Application::eventFilter(QObject* watched, QEvent* event)
{
    // Sent before the window system shows the window, so the transient parent goes with the show
    // (not with the window system's own showing again of a window shown already).
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget->isWindow() && !widget->parentWidget()
            && (widget->windowType() == Qt::Dialog || widget->isModal()))
            AttachToDialogParent(widget);
    }
    // A menu is polished once, just before its first aboutToShow: from then on every showing
    // starts with an idle pass, so its actions are up to date.
    if (event->type() == QEvent::Polish) {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (menu && !menu->property(kIdleHooked).toBool()) {
            menu->setProperty(kIdleHooked, true);
            connect(menu, &QMenu::aboutToShow, this, [] { RunIdle(); });
        }
    }
    return QApplication::eventFilter(watched, event);
}

QWidget* DialogParent(const QWidget* except)
{
    // A window whose chain of transient parents reaches `except` would make a cycle.
    const QWindow* own = except ? except->windowHandle() : nullptr;
    const auto fits = [&](const QWidget* candidate) {
        if (!candidate || candidate == except || !candidate->isVisible()) return false;
        for (const QWindow* w = candidate->windowHandle(); w && own; w = w->transientParent())
            if (w == own) return false;
        return true;
    };
    if (QWidget* modal = QApplication::activeModalWidget(); fits(modal)) return modal;
    if (QWidget* active = QApplication::activeWindow(); fits(active)) return active;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = top->windowType();
        if ((type == Qt::Window || type == Qt::Dialog) && fits(top)) return top;
    }
    return nullptr;
}

void AttachToDialogParent(QWidget* dialog)
{
    if (!dialog || !dialog->isWindow() || dialog->parentWidget()) return;
    QWindow* window = dialog->windowHandle();
    if (!window) return;
    QWidget* parent = DialogParent(dialog);
    QWindow* parentWindow = parent ? parent->window()->windowHandle() : nullptr;
    if (parentWindow != window) window->setTransientParent(parentWindow);
}

bool Guard(const std::function<void()>& fn)
{
    const bool completed = RunReported(fn);
    QueueIdle();
    return completed;
}

void AddIdleHandler(QObject* owner, std::function<void()> handler)
{
    IdleState& idle = Idle();
    idle.handlers.push_back({++idle.lastId, owner, owner != nullptr, std::move(handler)});
}

void RunIdle()
{
    IdleState& idle = Idle();
    if (idle.running) return;
    idle.running = true;
    if (Application* app = TheApplication()) app->RestartIdleTimer();   // next pass a full interval on
    // Handlers may add handlers or delete owners: run over a copy, skipping owners gone meanwhile.
    // A failing handler is reported once and dropped, or it would fail on every pass.
    const std::vector<IdleHandler> handlers = idle.handlers;
    std::vector<std::uint64_t> failed;
    for (const IdleHandler& h : handlers) {
        if (h.owned && h.owner.isNull()) continue;
        if (!RunReported(h.handler)) failed.push_back(h.id);
    }
    std::erase_if(idle.handlers, [&](const IdleHandler& h) {
        return (h.owned && h.owner.isNull()) || std::ranges::find(failed, h.id) != failed.end();
    });
    idle.running = false;
}

void QueueIdle()
{
    IdleState& idle = Idle();
    if (idle.queued || !TheApplication()) return;
    idle.queued = true;
    QMetaObject::invokeMethod(
        TheApplication(),
        [] {
            Idle().queued = false;
            RunIdle();
        },
        Qt::QueuedConnection);
}

bool RunModalOperation(QDialog& dialog, std::function<void()> op)
{
    // Active from before the dialog shows until the operation ends; the dialog's own close at the
    // end must pass.
    struct State {
        std::function<void()> op;
        bool completed = false;
        bool active = true;
        void End()
        {
            if (active) --ModalDepth();
            active = false;
            op = nullptr;
        }
    };
    auto state = std::make_shared<State>();
    state->op = std::move(op);

    ++ModalDepth();
    QMetaObject::invokeMethod(
        &dialog,
        [&dialog, state] {
            if (!state->op) return;
            dialog.repaint();
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            const std::function<void()> run = std::exchange(state->op, nullptr);
            // A failure is reported once the operation is over, so its box takes Esc.
            state->completed = Guard([&] {
                try {
                    run();
                } catch (...) {
                    state->End();
                    throw;
                }
            });
            state->End();
            dialog.done(state->completed ? QDialog::Accepted : QDialog::Rejected);
        },
        Qt::QueuedConnection);
    dialog.exec();
    state->End();   // ended before the start: the operation never runs later
    return state->completed;
}

bool ModalOperationActive() { return ModalDepth() > 0; }

void PumpEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

} // namespace platform

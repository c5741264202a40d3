#include "gui/Application.h"
#include "gui/Services.h"
#include "platform/Errors.h"
#include "support/ScriptedServices.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace platform;
using vkttest::Scripted;

namespace {

// What a failing handler throws.
enum class Thrown { Nothing, PlatformError, StdException, Other, Silent };

void Throw(Thrown kind)
{
    switch (kind) {
    case Thrown::Nothing: return;
    case Thrown::PlatformError: throw ConvertError("'abc' is not a valid integer value");
    case Thrown::StdException: throw std::out_of_range("範囲外です");
    case Thrown::Other: throw 42;
    case Thrown::Silent: Abort();
    }
}

struct GuardCase {
    Thrown thrown;
    int messages;
    const char* text;
};

const GuardCase kGuardCases[] = {
    {Thrown::Nothing, 0, ""},
    {Thrown::PlatformError, 1, "'abc' is not a valid integer value"},
    {Thrown::StdException, 1, "範囲外です"},
    {Thrown::Other, 1, ""},
    {Thrown::Silent, 0, ""},
};

// An object whose event handler throws on its first custom event, unguarded: only notify sees it.
class Throwing : public QObject {
public:
    static constexpr QEvent::Type kEvent = QEvent::User;
    Thrown thrown = Thrown::Nothing;
    int handled = 0;

    bool event(QEvent* e) override
    {
        if (e->type() != kEvent) return QObject::event(e);
        ++handled;
        Throw(std::exchange(thrown, Thrown::Nothing));
        return true;
    }
};

// Qt's warnings while a scope lives.
struct Warnings {
    static inline std::vector<std::string> Seen;
    QtMessageHandler previous;
    Warnings()
    {
        Seen.clear();
        previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) Seen.push_back(text.toStdString());
        });
    }
    ~Warnings() { qInstallMessageHandler(previous); }
};

class ApplicationTest : public testing::Test {
protected:
    void SetUp() override
    {
        Scripted().Reset();
        Application::Instance()->SetDisplayName("Vektara");
    }

    void ExpectReported(const GuardCase& c)
    {
        ASSERT_EQ(Scripted().messages.size(), static_cast<std::size_t>(c.messages));
        if (c.messages == 0) return;
        const auto& m = Scripted().messages[0];
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.caption, "Vektara");
        EXPECT_EQ(m.icon, MsgIcon::Stop);
        EXPECT_EQ(m.buttons, MsgButtons::Ok);
    }
};

TEST_F(ApplicationTest, GuardReportsEachFailureOnce)
{
    for (const GuardCase& c : kGuardCases) {
        SCOPED_TRACE(static_cast<int>(c.thrown));
        Scripted().Reset();
        EXPECT_EQ(Guard([&] { Throw(c.thrown); }), c.thrown == Thrown::Nothing);
        ExpectReported(c);
    }
}

TEST_F(ApplicationTest, GuardedSlotReportsAndTheNextSignalIsHandled)
{
    for (const GuardCase& c : kGuardCases) {
        SCOPED_TRACE(static_cast<int>(c.thrown));
        Scripted().Reset();
        QPushButton button;
        int clicks = 0;
        Thrown next = c.thrown;
        QObject::connect(&button, &QPushButton::clicked, Guarded([&](bool) {
                             ++clicks;
                             Throw(std::exchange(next, Thrown::Nothing));
                         }));
        button.click();
        ExpectReported(c);
        button.click();
        EXPECT_EQ(clicks, 2);
        EXPECT_EQ(Scripted().messages.size(), static_cast<std::size_t>(c.messages));
    }
}

TEST_F(ApplicationTest, NotifyIsTheNetForUnguardedHandlers)
{
    for (const GuardCase& c : kGuardCases) {
        SCOPED_TRACE(static_cast<int>(c.thrown));
        Scripted().Reset();
        Throwing target;
        target.thrown = c.thrown;
        QEvent first(Throwing::kEvent);
        QCoreApplication::sendEvent(&target, &first);
        ExpectReported(c);
        QCoreApplication::postEvent(&target, new QEvent(Throwing::kEvent));
        QCoreApplication::sendPostedEvents(&target);
        EXPECT_EQ(target.handled, 2);
        EXPECT_EQ(Scripted().messages.size(), static_cast<std::size_t>(c.messages));
    }
}

TEST_F(ApplicationTest, EventHandlerOverrideUnderGuard)
{
    struct Widget : QWidget {
        int keys = 0;
        void keyPressEvent(QKeyEvent* event) override
        {
            Guard([&] {
                ++keys;
                if (event->key() == Qt::Key_F2) throw Error("F2 が押されました");
            });
        }
    } widget;
    QTest::keyClick(&widget, Qt::Key_F2);
    QTest::keyClick(&widget, Qt::Key_A);
    EXPECT_EQ(widget.keys, 2);
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, "F2 が押されました");
}

TEST_F(ApplicationTest, BusyCursorComesBackAfterAFailure)
{
    EXPECT_FALSE(Guard([] {
        BusyCursor busy;
        throw Error("x");
    }));
    EXPECT_EQ(Scripted().busyDepth, 0);

    // The real cursor too (a silent abort: no box would block).
    const auto real = MakeQtServices();
    SetServices(real.get());
    Guard([] {
        BusyCursor busy;
        EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
        Abort();
    });
    SetServices(&Scripted());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A dialog without a Qt parent is transient for the window it opens over from its show on (the
// window system keeps it above that window; Wayland has no other way), and follows the window it
// is opened over next time; a window with a Qt parent, or a plain top-level window, is left alone.
TEST_F(ApplicationTest, ADialogWithoutParentIsTransientForTheWindowItOpensOver)
{
    QWidget main;
    main.show();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QWidget other;
    other.show();

    const auto transientOf = [](QWidget& w) { return w.windowHandle() ? w.windowHandle()->transientParent() : nullptr; };
    QDialog first;   // as the shared dialogs, made once without a parent
    QDialog second;
    QDialog child(&main);
    QWidget plain;
    struct Case {
        const char* what;
        QWidget* shown;
        QWidget* over;       // the window active when it shows; null: the one active before
        QWindow* expected;
    };
    first.open();   // window modal by open(): the kind exec() shows
    ASSERT_TRUE(first.windowHandle());
    EXPECT_EQ(transientOf(first), main.windowHandle()) << "a dialog opened over the main window";
    second.open();
    EXPECT_EQ(transientOf(second), first.windowHandle()) << "a dialog opened over the modal dialog";
    second.hide();
    first.hide();

    const Case cases[] = {
        {"opened again over another window", &first, &other, other.windowHandle()},
        {"a dialog with a Qt parent keeps Qt's", &child, &other, main.windowHandle()},
        {"a plain top-level window", &plain, &main, nullptr},
    };
    for (const Case& c : cases) {
        c.over->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.over)) << c.what;
        c.shown->show();
        EXPECT_EQ(transientOf(*c.shown), c.expected) << c.what;
        c.shown->hide();
    }
}

TEST_F(ApplicationTest, JapaneseLocaleTranslationsAndFont)
{
    EXPECT_EQ(QLocale().language(), QLocale::Japanese);
    QDialogButtonBox box(QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), "キャンセル");
    const QFont font = QApplication::font();
    EXPECT_EQ(font.family().toStdString(), "ＭＳ Ｐゴシック");
    EXPECT_EQ(QFontInfo(font).pixelSize(), 12);

    // Qt's own dialogs size texts from the default font's point size: the page-setup dialog's
    // preview draws its sample at a quarter of it, without a warning.
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const Warnings warnings;
    QTimer::singleShot(0, [] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QDialog*>(top); dialog && dialog->isVisible()) {
                dialog->grab();   // paints the preview
                dialog->reject();
            }
    });
    const auto real = MakeQtServices();
    EXPECT_FALSE(real->PageSetup(printer));
    for (const std::string& warning : Warnings::Seen) EXPECT_EQ(warning.find("QFont"), std::string::npos) << warning;
}

// Idle handlers.
class IdleTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        owner = std::make_unique<QObject>();
        AddIdleHandler(owner.get(), [this] { ++passes; });
    }
    void TearDown() override { owner.reset(); }

    std::unique_ptr<QObject> owner;
    int passes = 0;
};

TEST_F(IdleTest, RunIdleAndTheTimer)
{
    RunIdle();
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return passes >= 3; }, 2000));
}

TEST_F(IdleTest, OnePassAfterGuardedHandlers)
{
    QElapsedTimer clock;
    RunIdle();   // the timer starts over
    clock.start();
    passes = 0;
    Guard([] {});
    Guard([] { throw Error("x"); });
    EXPECT_EQ(passes, 0);
    QCoreApplication::processEvents();
    if (clock.elapsed() < 100) {
        EXPECT_EQ(passes, 1);   // else the timer may have run too
    }
    EXPECT_GE(passes, 1);
}

TEST_F(IdleTest, MenuShowsWithUpToDateActions)
{
    QMenu menu;
    QAction* action = menu.addAction("項目");
    bool enable = true;
    AddIdleHandler(action, [&] { action->setEnabled(enable); });
    for (const bool state : {false, true, false}) {
        enable = state;
        menu.popup(QPoint(10, 10));
        EXPECT_EQ(action->isEnabled(), state);
        menu.hide();
    }
}

TEST_F(IdleTest, HandlersGoWithTheirOwner)
{
    owner.reset();
    RunIdle();
    EXPECT_EQ(passes, 0);
    // A failing handler is reported once and dropped; the pass goes on.
    AddIdleHandler(nullptr, [] { throw Error("idle"); });
    auto second = std::make_unique<QObject>();
    AddIdleHandler(second.get(), [&] { ++passes; });
    RunIdle();
    RunIdle();
    EXPECT_EQ(passes, 2);
    EXPECT_EQ(Scripted().messages.size(), 1u);
}

// Modal operations.
class PaintCountingLabel : public QLabel {
public:
    using QLabel::QLabel;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        QLabel::paintEvent(event);
    }
};

class ModalTest : public ApplicationTest {
protected:
    ModalTest() : label(new PaintCountingLabel("処理中です...")), cancel(new QPushButton("キャンセル"))
    {
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(label);
        layout->addWidget(cancel);
    }

    QDialog dialog;
    PaintCountingLabel* label;
    QPushButton* cancel;
};

TEST_F(ModalTest, RunsOnceAfterTheFirstPaint)
{
    int runs = 0;
    int paintsBefore = 0;
    EXPECT_FALSE(ModalOperationActive());
    const bool done = RunModalOperation(dialog, [&] {
        ++runs;
        paintsBefore = label->paints;
        EXPECT_TRUE(ModalOperationActive());
        EXPECT_TRUE(dialog.isVisible());
    });
    EXPECT_TRUE(done);
    EXPECT_EQ(runs, 1);
    EXPECT_GT(paintsBefore, 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(ModalOperationActive());
}

TEST_F(ModalTest, AFailingOperationRunsOnceAndIsReported)
{
    int runs = 0;
    EXPECT_FALSE(RunModalOperation(dialog, [&] {
        ++runs;
        throw DatabaseError("disk I/O error");
    }));
    EXPECT_EQ(runs, 1);
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, "disk I/O error");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(ModalOperationActive());
}

TEST_F(ModalTest, EscAndCloseAreRefusedMeanwhile)
{
    EXPECT_TRUE(RunModalOperation(dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        dialog.close();
        PumpEvents();
        EXPECT_TRUE(dialog.isVisible());
    }));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(ModalTest, AProgressLoopSeesTheCancelButton)
{
    bool cancelled = false;
    QObject::connect(cancel, &QPushButton::clicked, Guarded([&](bool) { cancelled = true; }));
    int steps = 0;
    EXPECT_TRUE(RunModalOperation(dialog, [&] {
        QTimer::singleShot(20, cancel, [this] { QTest::mouseClick(cancel, Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        while (!cancelled && clock.elapsed() < 5000) {
            ++steps;
            PumpEvents();
        }
    }));
    EXPECT_TRUE(cancelled);
    EXPECT_GT(steps, 1);
}

} // namespace

// The program's windows on Qt's Wayland platform, in a compositor of their own (weston, started by
// run-weston.py): dialogs and boxes stay above the window they block after another window took
// the top, placements are left to the compositor, rich text crosses the clipboard both ways with
// another program, and none of it makes Qt warn.
#include "WaylandSession.h"

#include "gui/Clipboard.h"
#include "gui/Services.h"
#include "widgets/Fvktform.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QGuiApplication>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

QStringList& Warnings()
{
    static QStringList warnings;
    return warnings;
}

void Collect(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        Warnings() << QString::fromLatin1(context.category ? context.category : "") + ": " + message;
}

class WaylandSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
        Warnings().clear();
        previous_ = qInstallMessageHandler(Collect);
        main_.setWindowTitle(QStringLiteral("Vektara"));
        main_.resize(640, 480);
        main_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_));
        ASSERT_TRUE(WaitActive(main_)) << "the compositor gives a new window the focus";
    }
    void TearDown() override
    {
        qInstallMessageHandler(previous_);
        EXPECT_TRUE(Warnings().isEmpty()) << Warnings().join('\n').toStdString();
    }

    static QWindow* TransientOf(QWidget* widget)
    {
        return widget && widget->windowHandle() ? widget->windowHandle()->transientParent() : nullptr;
    }

    // Qt's Wayland platform names no window activation of its own (QTest's wait for an active
    // window warns there), yet it follows the compositor's keyboard focus.
    static bool WaitActive(QWidget& window) { return QTest::qWaitFor([&] { return window.isActiveWindow(); }, 10000); }

    QWidget main_;
    QtMessageHandler previous_ = nullptr;
};

// A shared dialog is made once without a parent; shown modal over the main window it is transient
// for it, so the compositor keeps it above the window it blocks when that window comes to the top
// again, also after another window has taken the top meanwhile.
TEST_F(WaylandSession, ADialogStaysAboveItsParentAfterAWindowSwitch)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("データベースの詳細"));
    dialog.resize(300, 200);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(TransientOf(&dialog), main_.windowHandle());

    QWidget other;   // another window takes the top and the focus
    other.setWindowTitle(QStringLiteral("other"));
    other.resize(400, 300);
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    ASSERT_TRUE(WaitActive(other));
    other.hide();
    // Shown again (the next time the command is used) it is transient for the window again.
    dialog.hide();
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(TransientOf(&dialog), main_.windowHandle());
    EXPECT_TRUE(WaitActive(dialog));
    dialog.hide();
}

// A message box raised while a dialog is up is transient for that dialog.
TEST_F(WaylandSession, ABoxStaysAboveTheDialog)
{
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("一括変更"));
    dialog.resize(300, 200);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(WaitActive(dialog));

    QWindow* boxParent = nullptr;
    bool boxShown = false;
    std::function<void()> answer = [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || box == &dialog || !box->windowHandle() || !box->windowHandle()->isExposed()) {
            QTimer::singleShot(20, answer);
            return;
        }
        boxShown = true;
        boxParent = TransientOf(box);
        QTest::keyClick(box, Qt::Key_Return);
    };
    QTimer::singleShot(0, answer);
    const std::unique_ptr<platform::GuiServices> real = platform::MakeQtServices();
    real->MessageBox("2件のレコードが使用中です。", "確認", platform::MsgIcon::Information, platform::MsgButtons::Ok,
                     platform::MsgAnswer::Ok);
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(boxParent, dialog.windowHandle());
    dialog.hide();
}

// The compositor places top-level windows: a placement is not asked for, and nothing warns.
TEST_F(WaylandSession, PlacementIsLeftToTheCompositor)
{
    QDialog dialog;
    dialog.resize(300, 200);
    SetScreenPlace(&dialog, TScreenPlace::BottomRight);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(200);
    EXPECT_EQ(dialog.findChild<QObject*>(QStringLiteral("ScreenPlacer")), nullptr);
    dialog.hide();
}

// Rich text copied here is read as text/rtf by another program, and rich text copied there is read
// here, through the compositor's clipboard.
TEST_F(WaylandSession, RichTextCrossesTheClipboardBothWays)
{
    {
        platform::ClipboardWriter writer;
        writer.SetText("鶏肉 250g");
        writer.SetData("text/rtf", vkttest::kTestRtf);
    }
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--vkt_clipboard_helper")});
    ASSERT_TRUE(helper.waitForStarted(5000));
    QByteArray out;
    const auto saw = [&](const char* text) {
        return QTest::qWaitFor([&] {
            out += helper.readAllStandardOutput();
            return out.contains(text) || helper.state() == QProcess::NotRunning;
        }, 20000) && out.contains(text);
    };
    ASSERT_TRUE(saw("READY\n")) << out.toStdString();
    // The user's key in the other program, which copies on it.
    const QByteArray display = qgetenv("VKT_X_DISPLAY");
    ASSERT_FALSE(display.isEmpty()) << "run-weston.py names the X display weston runs in";
    QProcessEnvironment xenv = QProcessEnvironment::systemEnvironment();
    xenv.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
    QProcess key;
    key.setProcessEnvironment(xenv);
    key.start(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("shift")});
    ASSERT_TRUE(key.waitForFinished(10000) && key.exitCode() == 0) << key.readAllStandardError().toStdString();
    ASSERT_TRUE(saw("SET\n")) << out.toStdString();
    const qsizetype read = out.indexOf("READ ");
    ASSERT_GE(read, 0) << out.toStdString();
    const QByteArray hex = out.mid(read + 5, out.indexOf('\n', read) - read - 5);
    EXPECT_EQ(QByteArray::fromHex(hex).toStdString(), std::string(vkttest::kTestRtf)) << "read by the other program";

    // The helper hid its window: the focus, and with it the clipboard's offer, comes back here.
    EXPECT_TRUE(WaitActive(main_));
    std::string got;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        got = platform::Clipboard::GetData("text/rtf");
        return got == vkttest::kHelperRtf;
    }, 10000)) << "read here: " << got;
    helper.closeWriteChannel();
    EXPECT_TRUE(helper.waitForFinished(10000));
    EXPECT_EQ(helper.exitCode(), 0);
}

} // namespace

// Window bounds and state of the form base, kept per user under the application's sub-path; the
// placement of windows on the screen.
#include <gtest/gtest.h>

#include "database/Uvktapplication.h"
#include "gui/Settings.h"
#include "widgets/Fvktform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <string>

namespace {

class LayoutForm : public TVktForm {
public:
    LayoutForm() { setObjectName("TestForm"); }
    int loads = 0;
    int saves = 0;

protected:
    void LoadLayout(platform::SettingsKey&) override { ++loads; }
    void SaveLayout(platform::SettingsKey& key) override {
        ++saves;
        key.WriteInteger("TestFormSplit", 42);
    }
};

class FormBounds : public ::testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        path = "Quillore\\FormBounds" + std::to_string(++counter);
        VktApplication().SetRegistrySubPath(path);
    }
    void TearDown() override { VktApplication().SetRegistrySubPath(""); }

    std::string Read(const std::string& name) const { return platform::SettingsKey(platform::SettingsScope::User, path).ReadString(name); }
    bool Exists(const std::string& name) const {
        return platform::SettingsKey(platform::SettingsScope::User, path).ValueExists(name);
    }
    void Write(const std::string& name, const std::string& value) {
        platform::SettingsKey(platform::SettingsScope::User, path).WriteString(name, value);
    }

    std::string path;
};

TEST_F(FormBounds, NormalMaximisedAndMinimisedCloses)
{
    LayoutForm form;
    form.show();
    form.setGeometry(30, 40, 300, 200);
    Write("TestFormState", "1");
    form.close();
    EXPECT_EQ(Read("TestFormBound"), "30,40,330,240");
    EXPECT_FALSE(Exists("TestFormState"));
    EXPECT_EQ(Read("TestFormSplit"), "42");

    form.show();
    form.setWindowState(Qt::WindowMaximized);
    form.close();
    EXPECT_EQ(Read("TestFormState"), "1");
    EXPECT_EQ(Read("TestFormBound"), "30,40,330,240");

    Write("TestFormBound", "1,2,303,204");
    form.show();
    form.setWindowState(Qt::WindowMinimized);
    form.close();
    EXPECT_EQ(Read("TestFormState"), "1");
    EXPECT_EQ(Read("TestFormBound"), "1,2,303,204");
    EXPECT_EQ(form.saves, 3);
}

TEST_F(FormBounds, EveryWayOfClosingStoresOnce)
{
    const struct {
        const char* how;
        void (*close)(LayoutForm&);
    } closers[] = {{"close", [](LayoutForm& f) { f.close(); }},
                   {"accept", [](LayoutForm& f) { f.accept(); }},
                   {"reject", [](LayoutForm& f) { f.reject(); }},
                   {"done", [](LayoutForm& f) { f.done(7); }}};
    for (const auto& c : closers) {
        LayoutForm form;
        form.show();
        c.close(form);
        EXPECT_EQ(form.saves, 1) << c.how;
        EXPECT_FALSE(form.isVisible()) << c.how;
        form.close();   // already closed: nothing more
        EXPECT_EQ(form.saves, 1) << c.how;
    }
}

TEST_F(FormBounds, RestoredOnEveryShowByTheProgram)
{
    Write("TestFormBound", "50,60,450,360");
    Write("TestFormState", "1");
    {
        LayoutForm form;
        form.show();
        EXPECT_EQ(form.loads, 1);
        EXPECT_TRUE(form.isMaximized());
        form.setWindowState(Qt::WindowNoState);
        EXPECT_EQ(form.geometry(), QRect(50, 60, 400, 300));
    }
    Write("TestFormState", "0");
    LayoutForm form;
    QTimer::singleShot(0, &form, [&] { form.accept(); });
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.loads, 1);
    EXPECT_FALSE(form.isMaximized());
    EXPECT_EQ(Read("TestFormBound"), "50,60,450,360");
}

TEST_F(FormBounds, MalformedValuesAreIgnoredAndBoundsOnNoScreenMoved)
{
    const QRect designed(70, 80, 250, 150);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* bound;
        QRect expected;
    } cases[] = {{"1,2,3", designed}, {"10,20,abc,300", designed}, {"100,100,100,300", designed},
                 {"100,100,300,50", designed}, {"", designed},
                 {"-9000,20000,-8700,20200", QRect(area.left(), area.bottom() - 199, 300, 200)}};
    for (const auto& c : cases) {
        Write("TestFormBound", c.bound);
        Write("TestFormState", "x");
        LayoutForm form;
        form.setGeometry(designed);
        form.show();
        EXPECT_EQ(form.geometry(), c.expected) << c.bound;
        EXPECT_FALSE(form.isMaximized()) << c.bound;
        EXPECT_EQ(form.loads, 1) << c.bound;
    }
    VktApplication().SetRegistrySubPath("");   // no key: nothing read or written
    LayoutForm form;
    form.show();
    form.close();
    EXPECT_EQ(form.loads + form.saves, 0);
}

// Placement: the frame ends where the place says (10 pixels from the right and bottom edges, or
// centred) and wholly inside the screen's available area, also when the frame is known only once
// the window shows and when the window is larger than the area.
class ScreenPlace : public ::testing::Test {
protected:
    static QRect Area() { return QGuiApplication::primaryScreen()->availableGeometry(); }
    // Shows the window and lets the placement follow the frame.
    static void Settle(QWidget& window)
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);
    }
    static bool Inside(const QRect& frame) { return Area().contains(frame); }
};

TEST_F(ScreenPlace, BottomRightWithTheFrameKnownOnlyAfterTheShow)
{
    QWidget window;
    window.resize(300, 200);
    SetScreenPlace(&window, TScreenPlace::BottomRight);   // not shown yet: no frame
    Settle(window);
    const QRect frame = window.frameGeometry();
    EXPECT_EQ(Area().right() - frame.right(), 10);
    EXPECT_EQ(Area().bottom() - frame.bottom(), 10);
    EXPECT_EQ(window.size(), QSize(300, 200));
}

TEST_F(ScreenPlace, CentredWithTheFrame)
{
    QWidget window;
    window.resize(320, 180);
    SetScreenPlace(&window, TScreenPlace::Center);
    Settle(window);
    const QRect frame = window.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - Area().center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - Area().center().y()), 1);
}

TEST_F(ScreenPlace, AWindowLargerThanTheAreaIsShrunkIntoIt)
{
    for (const TScreenPlace place : {TScreenPlace::BottomRight, TScreenPlace::Center}) {
        QWidget window;
        window.resize(Area().size() + QSize(120, 90));
        Settle(window);
        SetScreenPlace(&window, place);
        QTest::qWait(20);
        EXPECT_TRUE(Inside(window.frameGeometry())) << static_cast<int>(place);
    }
    // A minimum size larger than the area: the top left stays on the screen.
    QWidget window;
    window.setMinimumSize(Area().size() + QSize(40, 40));
    SetScreenPlace(&window, TScreenPlace::BottomRight);
    Settle(window);
    EXPECT_EQ(window.frameGeometry().topLeft(), Area().topLeft());
}

// A window manager on a loaded machine may frame a window many seconds after it shows: the
// placement follows the frame whenever it comes. (Offscreen, a window shown full-screen has no
// frame, and gains one when it is shown normal again.)
TEST_F(ScreenPlace, AFrameThatComesLongAfterTheShowIsFollowed)
{
    QWidget window;
    window.resize(300, 200);
    SetScreenPlace(&window, TScreenPlace::BottomRight);
    window.showFullScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.frameGeometry().size(), window.size()) << "no frame while full-screen";
    QTest::qWait(12000);
    window.showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry().size() != window.size(); }, 2000))
        << "a frame once shown normal";
    EXPECT_TRUE(QTest::qWaitFor([&] {
        const QRect frame = window.frameGeometry();
        return Area().right() - frame.right() == 10 && Area().bottom() - frame.bottom() == 10;
    }, 2000)) << window.frameGeometry().x() << "," << window.frameGeometry().y();
}

TEST_F(ScreenPlace, AUserMoveAfterThePlacementStays)
{
    QWidget window;
    window.resize(200, 100);
    SetScreenPlace(&window, TScreenPlace::BottomRight);
    Settle(window);
    window.move(Area().topLeft() + QPoint(30, 40));
    QTest::qWait(150);
    EXPECT_EQ(window.frameGeometry().topLeft(), Area().topLeft() + QPoint(30, 40));
    // Past the first second a window without a frame is watched for its frame alone.
    QTest::qWait(1000);
    window.resize(260, 140);
    QTest::qWait(150);
    EXPECT_EQ(window.frameGeometry().topLeft(), Area().topLeft() + QPoint(30, 40)) << "a user's resize stays";
}

} // namespace

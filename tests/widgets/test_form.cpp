// Window bounds and state of the form base, kept per user under the application's sub-path.
#include <gtest/gtest.h>

#include "database/Uvktapplication.h"
#include "gui/Settings.h"
#include "widgets/Fvktform.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

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

} // namespace

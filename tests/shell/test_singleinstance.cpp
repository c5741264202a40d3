// The single instance: in one process through two claims on one marker, and as programs: a second
// start hands over and ends, after the first is killed a new start runs, and a terminated program
// closes as the user closes it.
#include "core/Umapobject.h"
#include "gui/QtSupport.h"
#include "shell/Usingleinstance.h"
#include "support/ScriptedServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

// A short runtime folder of mode 0700 (socket paths are limited to about 100 bytes).
std::string ShortRuntimeFolder()
{
    char pattern[] = "/tmp/vkrXXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) return {};
    chmod(made, 0700);
    return made;
}

TEST(SingleInstance, SecondClaimHandsOverAndTheFirstIsActivated)
{
    const std::string runtime = ShortRuntimeFolder();
    ASSERT_FALSE(runtime.empty());
    const std::string name = "Quillore Vektara " + runtime;
    const std::string socket = runtime + "/Quillore Vektara";

    TSingleInstance first(name, socket);
    int activations = 0;
    first.OnActivate = [&](const std::string&) { ++activations; };
    ASSERT_TRUE(first.Claim());
    EXPECT_TRUE(first.IsListening());
    EXPECT_TRUE(CheckMapping(name));
    EXPECT_EQ(StringFromMapFile(name), socket);

    TSingleInstance second(name, socket);
    EXPECT_FALSE(second.Claim());
    EXPECT_FALSE(second.IsClaimed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }, 3000));
    EXPECT_TRUE(first.IsListening()) << "the losing claim must leave the winner's socket alone";

    // Every later start is answered the same way.
    EXPECT_TRUE(SendActivate(socket));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 2; }, 3000));

    first.Withdraw();
    EXPECT_FALSE(CheckMapping(name));
    EXPECT_FALSE(SendActivate(socket, 200));
    // Free again: the next claim wins.
    TSingleInstance third(name, socket);
    EXPECT_TRUE(third.Claim());
    third.Withdraw();
    std::filesystem::remove_all(runtime);
}

// A start the desktop gave an activation token hands it over with the activation, so that the
// running instance may bring its window forward (Wayland lets only the token's holder do that);
// what is no token goes over as none.
TEST(SingleInstance, TheActivationTokenOfALaterStartReachesTheFirst)
{
    const std::string runtime = ShortRuntimeFolder();
    ASSERT_FALSE(runtime.empty());
    const std::string name = "Quillore Vektara " + runtime;
    const std::string socket = runtime + "/Quillore Vektara";
    TSingleInstance first(name, socket);
    std::vector<std::string> tokens;
    first.OnActivate = [&](const std::string& token) { tokens.push_back(token); };
    ASSERT_TRUE(first.Claim());

    struct Case {
        const char* sent;
        const char* received;
    };
    const Case cases[] = {
        {"weston-1702291234_TOKEN", "weston-1702291234_TOKEN"},
        {"", ""},
        {"two words", ""},
        {"line\nactivate", ""},
    };
    for (const Case& c : cases) {
        tokens.clear();
        EXPECT_TRUE(SendActivate(socket, 1000, c.sent)) << c.sent;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !tokens.empty(); }, 3000)) << c.sent;
        EXPECT_EQ(tokens, std::vector<std::string>{c.received}) << c.sent;
    }
    // A second start takes its own token from the environment the desktop started it with.
    tokens.clear();
    setenv("XDG_ACTIVATION_TOKEN", "kwin-42", 1);
    TSingleInstance second(name, socket);
    EXPECT_FALSE(second.Claim());
    unsetenv("XDG_ACTIVATION_TOKEN");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tokens.empty(); }, 3000));
    EXPECT_EQ(tokens, std::vector<std::string>{"kwin-42"});
    first.Withdraw();
    std::filesystem::remove_all(runtime);
}

TEST(SingleInstance, NamesFollowTheRuntimeFolder)
{
    const std::string folder = SingleInstanceFolder();
    EXPECT_EQ(SingleInstanceName(), "Quillore Vektara " + folder);
    EXPECT_EQ(SingleInstanceSocketPath(), folder + "/Quillore Vektara");
}

// The program as a process, with its own home and runtime folders and the start-up trace on.
class ProgramRun {
public:
    ProgramRun(const std::string& home, const std::string& runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", platform::ToQString(home));
        env.insert("XDG_CONFIG_HOME", platform::ToQString(home + "/.config"));
        env.insert("XDG_DATA_HOME", platform::ToQString(home + "/.local/share"));
        env.insert("XDG_CACHE_HOME", platform::ToQString(home + "/.cache"));
        env.insert("XDG_RUNTIME_DIR", platform::ToQString(runtime));
        env.insert("QT_LOGGING_RULES", "vektara.startup.debug=true");
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QCoreApplication::applicationDirPath() + "/bin/vektara", {});
    }
    ~ProgramRun()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    // Waits until the output holds `text`.
    bool WaitFor(const char* text, int ms)
    {
        return QTest::qWaitFor([&] {
            output_ += process_.readAll();
            return output_.contains(text);
        }, ms);
    }
    QString Output()
    {
        output_ += process_.readAll();
        return QString::fromUtf8(output_);
    }
    QProcess& Process() { return process_; }

private:
    QProcess process_;
    QByteArray output_;
};

TEST(SingleInstance, ProgramStartsOncePerSession)
{
    const QString program = QCoreApplication::applicationDirPath() + "/bin/vektara";
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
    const std::string home = vkttest::NewTempFolder("home");
    const std::string runtime = ShortRuntimeFolder();

    auto first = std::make_unique<ProgramRun>(home, runtime);
    ASSERT_TRUE(first->WaitFor("main window shown", 30000)) << first->Output().toStdString();
    EXPECT_TRUE(first->Output().contains("claimed the single instance"));

    // Each later start ends at once and cleanly (a start that ends while its font worker still
    // runs only sometimes goes wrong, hence several).
    for (int start = 0; start < 3; ++start) {
        QElapsedTimer clock;
        clock.start();
        ProgramRun second(home, runtime);
        // It ends by itself rather than running on (a start under the sanitizers on a loaded
        // machine takes seconds).
        ASSERT_TRUE(second.Process().waitForFinished(30000));
        EXPECT_LT(clock.elapsed(), 30000);
        const QString handed = second.Output();
        EXPECT_EQ(second.Process().exitStatus(), QProcess::NormalExit) << handed.toStdString();
        EXPECT_EQ(second.Process().exitCode(), 0) << handed.toStdString();
        EXPECT_TRUE(handed.contains("handed over to the running instance (activate sent)")) << handed.toStdString();
        EXPECT_FALSE(handed.contains("main window shown"));
        EXPECT_FALSE(handed.contains("splash shown"));
    }
    EXPECT_TRUE(first->WaitFor("activation received", 15000)) << first->Output().toStdString();

    // A crash leaves the marker and the socket behind: the next start takes them over.
    first->Process().kill();
    ASSERT_TRUE(first->Process().waitForFinished(15000));
    ProgramRun third(home, runtime);
    EXPECT_TRUE(third.WaitFor("main window shown", 30000)) << third.Output().toStdString();
    EXPECT_TRUE(third.Output().contains("claimed the single instance"));
    third.Process().kill();
    third.Process().waitForFinished(5000);
    std::filesystem::remove_all(runtime);
}

TEST(SingleInstance, TerminationClosesTheWindowAndWithdrawsTheClaim)
{
    const std::string home = vkttest::NewTempFolder("home");
    const std::string runtime = ShortRuntimeFolder();
    ProgramRun run(home, runtime);
    ASSERT_TRUE(run.WaitFor("main window shown", 30000)) << run.Output().toStdString();
    EXPECT_TRUE(CheckMapping("Quillore Vektara " + runtime));
    run.Process().terminate();
    ASSERT_TRUE(run.Process().waitForFinished(10000));
    EXPECT_EQ(run.Process().exitStatus(), QProcess::NormalExit) << run.Output().toStdString();
    EXPECT_EQ(run.Process().exitCode(), 0);
    EXPECT_FALSE(CheckMapping("Quillore Vektara " + runtime));
    EXPECT_FALSE(QFileInfo::exists(platform::ToQString(runtime + "/Quillore Vektara")));
    std::filesystem::remove_all(runtime);
}

} // namespace

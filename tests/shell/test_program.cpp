// The program as a process: started where no display can be had, it says so in one line and ends
// with exit code 1 instead of Qt's abort.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Ended {
    int ExitCode = -1;
    QProcess::ExitStatus Status = QProcess::CrashExit;
    QString Errors;
};

Ended RunProgram(const QProcessEnvironment& env)
{
    const QString program = QCoreApplication::applicationDirPath() + "/bin/vektara";
    EXPECT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, {});
    Ended ended;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return ended;
    }
    ended.ExitCode = process.exitCode();
    ended.Status = process.exitStatus();
    ended.Errors = QString::fromLocal8Bit(process.readAllStandardError());
    return ended;
}

TEST(ProgramWithoutDisplay, AnEmptyEnvironmentEndsWithOneLine)
{
    const Ended ended = RunProgram(QProcessEnvironment());
    EXPECT_EQ(ended.Status, QProcess::NormalExit);
    EXPECT_EQ(ended.ExitCode, 1);
    EXPECT_EQ(ended.Errors.count('\n'), 1) << ended.Errors.toStdString();
    EXPECT_TRUE(ended.Errors.contains("display")) << ended.Errors.toStdString();
}

// A display named that no server answers: Qt's own complaints may come first, then one line of
// ours, and exit code 1.
TEST(ProgramWithoutDisplay, ADisplayNoServerAnswersEndsWithCodeOne)
{
    QProcessEnvironment env;
    env.insert("DISPLAY", ":7913");
    env.insert("QT_QPA_PLATFORM", "xcb");
    const Ended ended = RunProgram(env);
    EXPECT_EQ(ended.Status, QProcess::NormalExit);
    EXPECT_EQ(ended.ExitCode, 1);
    EXPECT_TRUE(ended.Errors.trimmed().endsWith("vektara: the display cannot be opened")) << ended.Errors.toStdString();
}

} // namespace

// The shell's services of the registry: messages through the message service, and the upgrade of
// an old-format database in the action dialog when its object is first asked for.
#include "test_databasedialog_fixture.h"

#include "database/ParadoxFixture.h"
#include "database/Uvktobject.h"
#include "shell/Fdbactiondialog.h"

#include <QApplication>
#include <QLabel>

namespace {

// Records the label of every action dialog as it shows.
class ShowRecorder : public QObject {
public:
    std::vector<std::string> labels;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<TDBActionDialog*>(watched))
                labels.push_back(dialog->GetLabel()->text().toStdString());
        return false;
    }
};

using ShellServicesTest = ShellRegistryTest;

TEST_F(ShellServicesTest, MessagesGoThroughTheMessageService)
{
    TVktShellServices& shell = Registry().GetShellServices();
    auto& scripted = vkttest::Scripted();
    shell.ShowError("e", "c1");
    shell.ShowInformation("i", "c2");
    scripted.answers = {platform::MsgAnswer::Yes};
    EXPECT_TRUE(shell.AskYesNo("q", "c3"));
    EXPECT_FALSE(shell.AskYesNo("q", "c3"));   // the default answer: No
    ASSERT_EQ(scripted.messages.size(), 4u);
    EXPECT_EQ(scripted.messages[0].icon, platform::MsgIcon::Stop);
    EXPECT_EQ(scripted.messages[1].icon, platform::MsgIcon::Information);
    EXPECT_EQ(scripted.messages[1].caption, "c2");
    EXPECT_EQ(scripted.messages[2].icon, platform::MsgIcon::Question);
    EXPECT_EQ(scripted.messages[2].buttons, platform::MsgButtons::YesNo);
    EXPECT_EQ(scripted.messages[2].defaultButton, platform::MsgAnswer::No);
}

TEST_F(ShellServicesTest, OldFormatDatabaseIsUpgradedOnceInTheActionDialog)
{
    const std::string folder = vkttest::NewTempFolder("old");
    WriteOldDatabase(folder);
    ASSERT_TRUE(Registry().RegisterDatabase("Old", folder));

    ShowRecorder recorder;
    qApp->installEventFilter(&recorder);
    TVktObject* object = Registry().GetObject("Old");
    qApp->removeEventFilter(&recorder);

    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Registry().GetObject("Old"), object);
    EXPECT_EQ(recorder.labels, std::vector<std::string>{"データベースアップグレード中..."});
    EXPECT_TRUE(HasDatabaseFile(folder));
    EXPECT_EQ(Registry().GetDatabaseFormat(folder), 2);
    const auto& messages = vkttest::Scripted().messages;
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].icon, platform::MsgIcon::Information);
    EXPECT_EQ(messages[0].caption, "確認");
    EXPECT_EQ(messages[0].text.rfind("'Old' は旧形式のデータベースです", 0), 0u);
}

} // namespace

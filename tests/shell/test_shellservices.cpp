// The shell's services of the registry: messages through the message service, and the upgrade of
// an old-format database in the action dialog when its object is first asked for.
#include "test_databasedialog_fixture.h"

#include "database/ParadoxFixture.h"
#include "database/Uvktobject.h"
#include "richtext/Uexlighttext.h"
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

// A memo the database layer makes (the sample kitchen's) is written by the rich-text engine: RTF
// that the engine reads back as the same runs and marks, every run in a font of the table.
TEST_F(ShellServicesTest, MemosAreWrittenByTheRichTextEngine)
{
    const std::vector<TMemoParagraph> memo = {
        {{"仕込み", true, false, true}},
        {{"骨は", false, false, false}, {"230℃で40分", true, false, false}, {"焼く。Fond", false, true, false}},
    };
    const std::string rtf = Registry().GetShellServices().WriteMemo(memo);
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg932", 0), 0u) << rtf;
    TExLightText read;
    ASSERT_TRUE(read.SetRich(rtf));
    struct Run {
        std::string text;
        bool bold;
        bool red;
        int size;
    };
    std::vector<Run> runs;
    std::string text;
    for (int i = 0; i < read.Count(); ++i) {
        const TExLightWord& word = *read.GetWords(i);
        if (word.Type == kWordPara) {
            text += "\n";
            continue;
        }
        const TExStyle style = read.EffectiveStyle(word);
        const bool red = style.Color > 0 && read.GetColorAttributes().GetColor(style.Color) == platform::RgbColor(192, 32, 32);
        EXPECT_GE(style.ClassFont(), 0) << word.Text;
        EXPECT_LT(style.ClassFont(), read.GetFontAttributes().Count()) << word.Text;
        if (!runs.empty() && runs.back().bold == (style.Bold == 1) && runs.back().red == red &&
            runs.back().size == style.Size)
            runs.back().text += word.Text;
        else
            runs.push_back({word.Text, style.Bold == 1, red, style.Size});
        text += word.Text;
    }
    EXPECT_EQ(text, "仕込み\n骨は230℃で40分焼く。Fond\n");
    ASSERT_EQ(runs.size(), 4u) << rtf;
    EXPECT_TRUE(runs[0].bold && runs[0].size == 140 && !runs[0].red) << runs[0].text;
    EXPECT_TRUE(!runs[1].bold && runs[1].size == 105) << runs[1].text;
    EXPECT_TRUE(runs[2].bold && !runs[2].red) << runs[2].text;
    EXPECT_TRUE(runs[3].red && !runs[3].bold) << runs[3].text;
}

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

// The database action dialog: each operation runs once, after the window shows its painted text,
// and answers the registry's result; a raising operation ends with false and one error box.
#include "test_databasedialog_fixture.h"

#include "gui/Application.h"
#include "shell/Fdbactiondialog.h"

#include <QCoreApplication>
#include <QLabel>

#include <functional>
#include <stdexcept>

namespace {

// Watches the dialog while the creation fills the new database.
class ProbeRegistry : public TVktApplication {
public:
    std::function<void()> onFill;
    int fills = 0;
    bool raise = false;

protected:
    bool FillNewDatabase(const std::string& folder) override
    {
        ++fills;
        if (onFill) onFill();
        if (raise) throw std::runtime_error("disk on fire");
        return TVktApplication::FillNewDatabase(folder);
    }
};

using DBActionTest = ShellRegistryTest;

TEST_F(DBActionTest, CreationRunsOnceAfterTheTextIsPainted)
{
    ProbeRegistry registry;
    registry.SetProductName("Vektara 2005");
    TDBActionDialog dialog(registry);
    EXPECT_EQ(dialog.windowTitle().toStdString(), " Vektara 2005 ");
    EXPECT_EQ(dialog.size(), QSize(361, 81));
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));

    PaintCounter counter;
    dialog.GetLabel()->installEventFilter(&counter);
    bool visible = false;
    int paintsBefore = 0;
    int operation = -1;
    std::string text;
    registry.onFill = [&] {
        visible = dialog.isVisible();
        paintsBefore = counter.paints;
        operation = dialog.GetOperation();
        text = dialog.GetLabel()->text().toStdString();
    };
    const std::string folder = vkttest::NewTempFolder("db");
    EXPECT_TRUE(dialog.CreateDatabase(folder, "A"));
    EXPECT_EQ(registry.fills, 1);
    EXPECT_TRUE(visible);
    EXPECT_GT(paintsBefore, 0);
    EXPECT_EQ(operation, TDBActionDialog::opNone);   // cleared before it ran
    EXPECT_EQ(text, "データベース作成中...");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(registry.GetPath(registry.IndexOf("A")), folder);

    // The registry's own refusal is the answer; nothing is reported by the dialog.
    EXPECT_FALSE(dialog.CreateDatabase(folder, "B"));
    EXPECT_EQ(registry.fills, 1);
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

TEST_F(DBActionTest, RaisingOperationGivesFalseOneBoxAndNoRerun)
{
    ProbeRegistry registry;
    registry.raise = true;
    TDBActionDialog dialog(registry);
    EXPECT_FALSE(dialog.CreateDatabase(vkttest::NewTempFolder("db"), "A"));
    EXPECT_EQ(registry.fills, 1);
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    EXPECT_EQ(vkttest::Scripted().messages[0].text, "disk on fire");
    EXPECT_EQ(vkttest::Scripted().messages[0].icon, platform::MsgIcon::Stop);

    // Idle passes and later calls never run the failed operation again; the next call works.
    platform::RunIdle();
    QCoreApplication::processEvents();
    EXPECT_EQ(registry.fills, 1);
    registry.raise = false;
    EXPECT_TRUE(dialog.CreateDatabase(vkttest::NewTempFolder("db"), "B"));
    EXPECT_EQ(registry.fills, 2);
    EXPECT_EQ(vkttest::Scripted().messages.size(), 1u);
}

TEST_F(DBActionTest, FileOperationsAnswerTheRegistry)
{
    const std::string a = AddDatabase("A");
    TDBActionDialog dialog(Registry());
    PaintCounter counter;
    dialog.GetLabel()->installEventFilter(&counter);

    const std::string moved = vkttest::NewTempFolder("moved");
    EXPECT_TRUE(dialog.MoveDatabase("A", moved));
    EXPECT_EQ(dialog.GetLabel()->text().toStdString(), "データベース移動中...");
    EXPECT_EQ(Registry().GetPath(Registry().IndexOf("A")), moved);
    EXPECT_FALSE(HasDatabaseFile(a) && Registry().GetDatabaseFormat(a) == 2);

    std::string newName;
    const std::string copied = vkttest::NewTempFolder("copy");
    EXPECT_TRUE(dialog.CopyDatabase("A", copied, newName));
    EXPECT_EQ(newName, "Aのコピー");
    EXPECT_EQ(Registry().GetPath(Registry().IndexOf(newName)), copied);
    EXPECT_FALSE(dialog.CopyDatabase("A", moved, newName));   // onto a registered folder

    EXPECT_TRUE(dialog.DeleteDatabase(newName));
    EXPECT_EQ(dialog.GetLabel()->text().toStdString(), "データベース削除中...");
    EXPECT_EQ(Registry().IndexOf(newName), -1);
    EXPECT_FALSE(HasDatabaseFile(copied));
    EXPECT_FALSE(dialog.DeleteDatabase("nobody"));

    EXPECT_FALSE(dialog.UpgradeDatabase("A"));   // not an old-format database
    EXPECT_EQ(dialog.GetLabel()->text().toStdString(), "データベースアップグレード中...");
    EXPECT_GE(counter.paints, 5);
}

} // namespace

// The open-database dialog on a fresh registry: pages, error codes, creation, registration, the
// list's popup operations, enabling and help.
#include "test_databasedialog_fixture.h"

#include "database/ParadoxFixture.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/Services.h"
#include "platform/Unprivileged.h"
#include "shell/Fdatabasedialog.h"
#include "widgets/Mvktmodule.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QStackedWidget>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using platform::MsgAnswer;

class DatabaseDialogTest : public ShellRegistryTest {
protected:
    void SetUp() override
    {
        ShellRegistryTest::SetUp();
        dialog_ = std::make_unique<TOpenDataBaseDialog>(&Registry());
    }
    void TearDown() override
    {
        dialog_.reset();
        ShellRegistryTest::TearDown();
    }

    TOpenDataBaseDialog& Dialog() { return *dialog_; }
    void Select(const std::string& caption)
    {
        const auto items = Dialog().GetList()->findItems(QString::fromStdString(caption), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        Dialog().GetList()->setCurrentItem(items.front());
    }
    // Clicks OK as the user does (under the guard).
    void Ok()
    {
        Dialog().UpdateActions();
        Dialog().GetBtnOk()->click();
    }
    // The error texts shown so far.
    static std::vector<std::string> Errors()
    {
        std::vector<std::string> texts;
        for (const auto& message : vkttest::Scripted().messages)
            if (message.icon == platform::MsgIcon::Stop) texts.push_back(message.text);
        return texts;
    }
    // Walks to the name page of a creation (or registration) in `folder`.
    void ToNamePage(int page, const std::string& folder)
    {
        Dialog().ShowPage(page);
        (page == 1 ? Dialog().GetCreateFolderEdit() : Dialog().GetRegisterFolderEdit())
            ->setText(QString::fromStdString(folder));
        Ok();
        ASSERT_EQ(Dialog().GetActivePage(), 3);
    }
    bool Accepted() const { return dialog_->result() == QDialog::Accepted; }

    std::unique_ptr<TOpenDataBaseDialog> dialog_;
};

TEST_F(DatabaseDialogTest, PagesAndWalks)
{
    AddDatabase("A");
    Dialog().BuildList();
    EXPECT_EQ(Dialog().windowTitle().toStdString(), "データベースを開く");
    EXPECT_EQ(Dialog().GetBanner()->text().toStdString(), " " + VktMdl()->GetProductName() + " ");
    ASSERT_EQ(Dialog().GetList()->count(), 3);
    EXPECT_EQ(Dialog().GetList()->item(0)->text().toStdString(), "新しいデータベースを作る");
    EXPECT_EQ(Dialog().GetList()->item(1)->text().toStdString(), "既にあるデータベースを登録する");
    EXPECT_EQ(TOpenDataBaseDialog::ItemImage(Dialog().GetList()->item(2)), 3);
    Dialog().BuildList();   // rebuilt, not added to
    EXPECT_EQ(Dialog().GetList()->count(), 3);

    struct Step {
        std::function<void()> act;
        int page;
        bool back;
        const char* ok;
    };
    const Step steps[] = {
        {[&] { Dialog().ShowPage(0); }, 0, false, "OK"},
        {[&] { Select("新しいデータベースを作る"), Ok(); }, 1, true, "次へ &>>"},
        {[&] { Dialog().GetCreateFolderEdit()->setText(QString::fromStdString(vkttest::NewTempFolder())), Ok(); }, 3,
         true, "次へ &>>"},
        {[&] { Dialog().GetBtnBack()->click(); }, 1, true, "次へ &>>"},
        {[&] { Dialog().GetBtnBack()->click(); }, 0, false, "OK"},
        {[&] { Select("既にあるデータベースを登録する"), Ok(); }, 2, true, "次へ &>>"},
        {[&] { Dialog().GetRegisterFolderEdit()->setText(QString::fromStdString(CurrentFolder())), Ok(); }, 3, true,
         "次へ &>>"},
        {[&] { Dialog().GetBtnBack()->click(); }, 2, true, "次へ &>>"},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].act();
        SCOPED_TRACE(i);
        EXPECT_EQ(Dialog().GetActivePage(), steps[i].page);
        EXPECT_EQ(!Dialog().GetBtnBack()->isHidden(), steps[i].back);
        EXPECT_EQ(Dialog().GetBtnOk()->text().toStdString(), steps[i].ok);
        if (steps[i].page == 1 || steps[i].page == 2) {
            EXPECT_EQ(Dialog().GetCreateMode(), steps[i].page == 1);
        }
    }
    Dialog().ShowPage(1);
    EXPECT_EQ(Dialog().GetCreateFolderEdit()->text().toStdString(), VktMdl()->GetDocumentsFolder());
    EXPECT_EQ(Dialog().GetList()->currentItem()->text().toStdString(), "新しいデータベースを作る");
    Dialog().ShowPage(3);
    EXPECT_EQ(Dialog().GetNameEdit()->text().toStdString(), "新規データベース");
    EXPECT_TRUE(Errors().empty());

    // The browse buttons start in the folder typed, else its nearest existing folder, else at home;
    // the folder chosen replaces the field's text.
    const std::string typed = vkttest::NewTempFolder("typed");
    const std::string home = QDir::homePath().toStdString();
    const struct {
        int page;
        std::string field, start;
    } browses[] = {{1, typed, typed}, {1, typed + "/店/データ", typed}, {2, "", home}, {2, "データ", home}};
    for (const auto& b : browses) {
        Dialog().ShowPage(b.page);
        QLineEdit* field = b.page == 1 ? Dialog().GetCreateFolderEdit() : Dialog().GetRegisterFolderEdit();
        field->setText(QString::fromStdString(b.field));
        vkttest::Scripted().files = {std::nullopt};
        (b.page == 1 ? Dialog().GetBtnCreateBrowse() : Dialog().GetBtnRegisterBrowse())->click();
        EXPECT_EQ(vkttest::Scripted().calls.back(), "PickFolder||" + b.start) << b.field;
        EXPECT_EQ(field->text().toStdString(), b.field) << "cancelled";
    }
    vkttest::Scripted().files = {typed};
    Dialog().GetBtnRegisterBrowse()->click();
    EXPECT_EQ(Dialog().GetRegisterFolderEdit()->text().toStdString(), typed);
}

TEST_F(DatabaseDialogTest, ErrorCodesAndSilentAborts)
{
    const std::string a = AddDatabase("A");
    const std::string empty = vkttest::NewTempFolder("empty");
    const std::string blocker = vkttest::NewTempFolder("blocker") + "/file";
    std::ofstream(blocker) << "x";
    const std::string current = CurrentFolder();

    struct Case {
        int page;
        std::string folder;
        std::string name;   // name page when not empty
        int code;           // 0: silent, page unchanged
        MsgAnswer answer = MsgAnswer::Yes;
    };
    const Case cases[] = {
        {2, empty + "/missing", "", 1},
        {1, vkttest::NewTempFolder(), "A", 2},
        {2, current, "A", 2},
        {1, a, "", 3},
        {2, a, "", 3},
        {2, empty, "", 4},
        {1, blocker + "/sub", "B", 5},
        {1, current, "", 7},
        {1, "/", "", 0},
        {1, empty + "/", "", 0},
        {2, "/", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder + " " + c.name);
        vkttest::Scripted().Reset();
        vkttest::Scripted().answers.push_back(c.answer);
        Dialog().ShowPage(c.page);
        (c.page == 1 ? Dialog().GetCreateFolderEdit() : Dialog().GetRegisterFolderEdit())
            ->setText(QString::fromStdString(c.folder));
        if (!c.name.empty()) {
            Ok();
            ASSERT_EQ(Dialog().GetActivePage(), 3);
            Dialog().GetNameEdit()->setText(QString::fromStdString(c.name));
        }
        const int page = Dialog().GetActivePage();
        Ok();
        EXPECT_EQ(Dialog().GetActivePage(), page);
        EXPECT_FALSE(Accepted());
        if (c.code == 0) {
            EXPECT_TRUE(vkttest::Scripted().messages.empty());
            continue;
        }
        ASSERT_FALSE(vkttest::Scripted().messages.empty());
        const auto& box = vkttest::Scripted().messages.back();
        EXPECT_EQ(box.text, TOpenDataBaseDialog::ErrorText(c.code));
        EXPECT_EQ(box.caption, "エラー確認");
        EXPECT_EQ(box.icon, platform::MsgIcon::Stop);
    }

    const char* texts[] = {
        "保存場所として相応しくないフォルダが選択されました。\n\r別のフォルダを指定してください。",
        "指定された名称は既に登録されています。\n\r別の名称を指定してください。",
        "指定されたフォルダは既に登録されています。\n\r別のフォルダを指定してください。",
        "指定されたフォルダは、データベースが無いかまたは破損しています。\n\r別のフォルダを指定してください。",
        "フォルダを作成することは出来ませんでした。",
        "指定されたフォルダは確認出来ませんでした、\n\r別のフォルダを指定してください。",
        "フォルダに未登録のデータベースを確認しました。\r\n一度ＶＫＴに登録してその後移動または削除してください。",
    };
    for (int code = 1; code <= 7; ++code) EXPECT_EQ(TOpenDataBaseDialog::ErrorText(code), texts[code - 1]);
}

TEST_F(DatabaseDialogTest, CreateWithTheFolderQuestion)
{
    const std::string folder = vkttest::NewTempFolder("new") + "/a/b";
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        vkttest::Scripted().Reset();
        vkttest::Scripted().answers.push_back(answer);
        ToNamePage(1, folder);
        Dialog().GetNameEdit()->setText("Neu");
        Ok();
        ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
        const auto& question = vkttest::Scripted().messages[0];
        EXPECT_EQ(question.text, "指定されたフォルダは確認出来ません。フォルダを作成しますか？");
        EXPECT_EQ(question.caption, "エラー確認");
        EXPECT_EQ(question.icon, platform::MsgIcon::Question);
        EXPECT_EQ(Accepted(), answer == MsgAnswer::Yes);
    }
    EXPECT_EQ(Dialog().GetSelectedName(), "Neu");
    EXPECT_EQ(Registry().GetPath(Registry().IndexOf("Neu")), folder);
    EXPECT_EQ(Registry().GetDatabaseFormat(folder), 2);

    // Creating into a folder of old-format tables is allowed.
    const std::string old = vkttest::NewTempFolder("old");
    WriteOldDatabase(old);
    dialog_ = std::make_unique<TOpenDataBaseDialog>(&Registry());
    ToNamePage(1, old);
    Ok();
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(Registry().GetDatabaseFormat(old), 2);
}

TEST_F(DatabaseDialogTest, FailedCreationStaysOnThePage)
{
    struct Failing : TVktApplication {
        bool FillNewDatabase(const std::string&) override { return false; }
    } failing;
    failing.SetShellServices(std::make_unique<TShellServices>());
    TOpenDataBaseDialog dialog(&failing);
    dialog.ShowPage(1);
    dialog.GetCreateFolderEdit()->setText(QString::fromStdString(vkttest::NewTempFolder()));
    dialog.UpdateActions();
    dialog.GetBtnOk()->click();
    ASSERT_EQ(dialog.GetActivePage(), 3);
    dialog.UpdateActions();
    dialog.GetBtnOk()->click();
    EXPECT_EQ(dialog.GetActivePage(), 3);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(failing.GetCount(), 0);
    ASSERT_EQ(Errors().size(), 1u);   // the registry's own report
    EXPECT_NE(Errors()[0].find("初期化に失敗しました"), std::string::npos);
}

// Tables that cannot be made once the database file is there (no write-ahead log can be made beside
// it): the error is shown, the dialog stays, and the folder holds only what the user had there.
TEST_F(DatabaseDialogTest, ACreationWhoseTablesFailLeavesTheFolderAsItWas)
{
    const std::string folder = vkttest::NewTempFolder("kept");
    std::ofstream(folder + "/notes.txt") << "mine";
    std::filesystem::create_directory(folder + "/vektara.db-wal");
    const auto entries = [&folder] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    ToNamePage(1, folder);
    Dialog().GetNameEdit()->setText("Neu");
    Ok();
    EXPECT_EQ(Dialog().GetActivePage(), 3);
    EXPECT_FALSE(Accepted());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("'Neu'(" + folder + ")の作成に失敗しました"), std::string::npos);
    EXPECT_EQ(entries(), (std::vector<std::string>{"notes.txt", "vektara.db-wal"}));
    EXPECT_FALSE(Registry().IsRegistered("Neu"));
}

TEST_F(DatabaseDialogTest, RegisterCurrentAndOldFormat)
{
    const std::string old = vkttest::NewTempFolder("old");
    WriteOldDatabase(old);
    const std::pair<std::string, std::string> folders[] = {{"Cur", CurrentFolder()}, {"Old", old}};
    for (const auto& [name, folder] : folders) {
        dialog_ = std::make_unique<TOpenDataBaseDialog>(&Registry());
        ToNamePage(2, folder);
        Dialog().GetNameEdit()->setText(QString::fromStdString(name));
        Ok();
        EXPECT_TRUE(Accepted());
        EXPECT_EQ(Dialog().GetSelectedName(), name);
        EXPECT_EQ(Registry().GetPath(Registry().IndexOf(name)), folder);
    }
    // A name the registry cannot keep is refused like a registered one.
    dialog_ = std::make_unique<TOpenDataBaseDialog>(&Registry());
    ToNamePage(2, CurrentFolder());
    Dialog().GetNameEdit()->setText("a=b");
    Ok();
    EXPECT_FALSE(Accepted());
    EXPECT_EQ(Errors(), std::vector<std::string>{TOpenDataBaseDialog::ErrorText(2)});
}

TEST_F(DatabaseDialogTest, OpenChoosesOnlyAClosedDatabase)
{
    AddDatabase("A");
    AddDatabase("B");
    TVktObject* a = Registry().GetObject("A");
    a->AddRef();
    Dialog().BuildList();
    Select("A");
    EXPECT_EQ(TOpenDataBaseDialog::ItemImage(Dialog().GetList()->currentItem()), 4);
    Dialog().UpdateActions();
    EXPECT_FALSE(Dialog().GetBtnOk()->isEnabled());
    Dialog().BtnOkClick();
    EXPECT_FALSE(Accepted());
    EXPECT_EQ(Dialog().GetSelectedName(), "");

    Select("B");
    EXPECT_EQ(Dialog().GetPathEdit()->text().toStdString(), Registry().GetPath(Registry().IndexOf("B")));
    Ok();
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(Dialog().GetSelectedName(), "B");
    a->Release();
}

// Chosen in the list, a database the user may not write is said to open read-only.
TEST_F(DatabaseDialogTest, ADatabaseTheUserMayNotWriteIsSaidWhenSelected)
{
    namespace fs = std::filesystem;
    const std::string locked = AddDatabase("A");
    const std::string open = AddDatabase("B");
    for (fs::path up = fs::path(locked).parent_path(); up != fs::temp_directory_path(); up = up.parent_path())
        fs::permissions(up, fs::perms::others_exec, fs::perm_options::add);
    SetWritable(locked, false);
    SetWritable(open, true);
    Dialog().BuildList();
    const QLabel* status = Dialog().GetStatusBar()->findChild<QLabel*>("StatusPanel");
    ASSERT_NE(status, nullptr);
    {
        const Unprivileged nobody;
        if (Unprivileged::CanWrite(locked)) GTEST_SKIP() << "this user writes a folder whatever its mode";
        Select("A");
        EXPECT_EQ(status->text().toStdString(), "このデータベースには書き込みできません。読み取り専用で開きます。");
        Select("B");
        EXPECT_EQ(status->text().toStdString(), "");
    }
    SetWritable(locked, true);
}

TEST_F(DatabaseDialogTest, RenameInPlace)
{
    AddDatabase("A");
    AddDatabase("B");
    Dialog().BuildList();
    TDatabaseList* list = Dialog().GetList();
    Select("新しいデータベースを作る");
    Dialog().ActRenameExecute();
    EXPECT_FALSE(list->IsEditing());   // fixed items keep their captions

    for (const auto& [typed, shown] : {std::pair<std::string, std::string>{"A", "B"}, {"", "B"}, {"B2", "B2"}}) {
        SCOPED_TRACE(typed);
        Select(Dialog().GetList()->item(3)->text().toStdString());
        Dialog().ActRenameExecute();
        ASSERT_TRUE(list->IsEditing());
        EXPECT_FALSE(Dialog().GetBtnOk()->isDefault());
        Dialog().BtnOkClick();   // ignored while editing
        EXPECT_FALSE(Accepted());
        auto* editor = qobject_cast<QLineEdit*>(list->indexWidget(list->currentIndex()));
        ASSERT_NE(editor, nullptr);
        editor->setText(QString::fromStdString(typed));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();   // the commit is queued
        EXPECT_FALSE(list->IsEditing());
        EXPECT_TRUE(Dialog().GetBtnOk()->isDefault());
        EXPECT_EQ(list->item(3)->text().toStdString(), shown);
        EXPECT_GE(Registry().IndexOf(shown), 0);
    }
    EXPECT_EQ(Registry().IndexOf("B"), -1);
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

TEST_F(DatabaseDialogTest, MoveCopyUnregisterDelete)
{
    const std::string a = AddDatabase("A");
    const std::string b = AddDatabase("B");
    Dialog().BuildList();
    auto& scripted = vkttest::Scripted();

    // Move: the path follows; a failed move shows code 3.
    Select("A");
    const std::string moved = vkttest::NewTempFolder("moved");
    scripted.files = {moved, b};
    Dialog().ActMoveExecute();
    EXPECT_EQ(Dialog().GetPathEdit()->text().toStdString(), moved);
    EXPECT_EQ(Registry().GetPath(Registry().IndexOf("A")), moved);
    EXPECT_EQ(scripted.calls.back(), "PickFolder|移動先のフォルダを指定します。|" + a) << "where it lies";
    Dialog().ActMoveExecute();
    EXPECT_EQ(Errors(), std::vector<std::string>{TOpenDataBaseDialog::ErrorText(3)});
    scripted.Reset();

    // Copy: a new current item under the registry's name.
    scripted.files = {vkttest::NewTempFolder("copy")};
    Dialog().ActCopyExecute();
    EXPECT_EQ(scripted.calls.front(), "PickFolder|コピー先のフォルダを指定します。|" + moved);
    ASSERT_EQ(Dialog().GetList()->count(), 5);
    EXPECT_EQ(Dialog().GetList()->currentItem()->text().toStdString(), "Aのコピー");
    EXPECT_EQ(TOpenDataBaseDialog::ItemImage(Dialog().GetList()->currentItem()), 3);
    EXPECT_GE(Registry().IndexOf("Aのコピー"), 0);

    // Unregister: No keeps it; Yes drops the entry, the files stay.
    Select("B");
    scripted.answers = {MsgAnswer::No, MsgAnswer::Yes};
    Dialog().ActUnregisterExecute();
    EXPECT_GE(Registry().IndexOf("B"), 0);
    Dialog().ActUnregisterExecute();
    EXPECT_EQ(Registry().IndexOf("B"), -1);
    EXPECT_TRUE(HasDatabaseFile(b));
    EXPECT_TRUE(Dialog().GetList()->findItems("B", Qt::MatchExactly).isEmpty());
    ASSERT_EQ(scripted.messages.size(), 2u);
    EXPECT_EQ(scripted.messages[0].text,
              "データベース 'B' をVKTの登録から削除します。\r\nデータベースは再登録する事で利用可能になります。");
    EXPECT_EQ(scripted.messages[0].caption, "確認");
    EXPECT_EQ(scripted.messages[0].defaultButton, MsgAnswer::No);
    scripted.Reset();

    // Delete: the files go.
    Select("A");
    scripted.answers = {MsgAnswer::Yes};
    Dialog().ActDeleteExecute();
    EXPECT_EQ(Registry().IndexOf("A"), -1);
    EXPECT_FALSE(HasDatabaseFile(moved));
    EXPECT_TRUE(Dialog().GetList()->findItems("A", Qt::MatchExactly).isEmpty());
    ASSERT_EQ(scripted.messages.size(), 1u);
    EXPECT_EQ(scripted.messages[0].text, "データベース 'A' を削除します。\r\nデータベースはハードディスク上から完全に削除され、"
                                         "元に戻すことはできません。");
    EXPECT_EQ(scripted.messages[0].defaultButton, MsgAnswer::No);
}

TEST_F(DatabaseDialogTest, PopupAndIdleEnabling)
{
    AddDatabase("A");
    AddDatabase("B");
    TVktObject* a = Registry().GetObject("A");
    a->AddRef();
    Dialog().BuildList();
    struct Case {
        const char* select;   // nullptr: nothing selected
        bool rename, others, ok, link;
    };
    const Case cases[] = {
        {nullptr, false, false, false, false},
        {"新しいデータベースを作る", false, false, true, false},
        {"A", true, false, false, true},
        {"B", true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.select ? c.select : "none");
        if (c.select)
            Select(c.select);
        else
            Dialog().GetList()->clearSelection();
        Dialog().PopupMenuPopup();
        Dialog().UpdateActions();
        EXPECT_EQ(Dialog().GetActRename()->isEnabled(), c.rename);
        for (QAction* action : {Dialog().GetActMove(), Dialog().GetActCopy(), Dialog().GetActUnregister(),
                                Dialog().GetActDelete()})
            EXPECT_EQ(action->isEnabled(), c.others);
        EXPECT_EQ(Dialog().GetBtnOk()->isEnabled(), c.ok);
        EXPECT_EQ(Dialog().GetBtnOpenLink()->isEnabled(), c.link);
    }

    // The idle pass enables while the dialog shows; the folder and name pages need their text.
    Dialog().show();
    for (int page : {1, 2, 3}) {
        Dialog().ShowPage(page);
        QLineEdit* edit = page == 1   ? Dialog().GetCreateFolderEdit()
                          : page == 2 ? Dialog().GetRegisterFolderEdit()
                                      : Dialog().GetNameEdit();
        edit->clear();
        platform::RunIdle();
        EXPECT_FALSE(Dialog().GetBtnOk()->isEnabled());
        edit->setText("x");
        platform::RunIdle();
        EXPECT_TRUE(Dialog().GetBtnOk()->isEnabled());
    }
    Dialog().hide();
    a->Release();
}

// No caption or label breaks inside a word: each is as wide as its text (every line of it).
TEST_F(DatabaseDialogTest, CaptionsAndLabelsAreAsWideAsTheirText)
{
    AddDatabase("試作用データベース");
    AddDatabase("駅前店");
    Dialog().BuildList();
    Dialog().show();
    for (int page = TOpenDataBaseDialog::pgSelect; page <= TOpenDataBaseDialog::pgName; ++page) {
        Dialog().ShowPage(page);
        QApplication::processEvents();
        for (const QLabel* label : Dialog().findChildren<QLabel*>()) {
            if (!label->isVisible()) continue;
            for (const QString& line : label->text().split(QLatin1Char('\n')))
                EXPECT_GE(label->contentsRect().width(), label->fontMetrics().horizontalAdvance(line))
                    << "page " << page << ": " << line.toStdString();
        }
    }
    Dialog().ShowPage(TOpenDataBaseDialog::pgSelect);
    QApplication::processEvents();
    const QListWidget* list = Dialog().GetList();
    ASSERT_EQ(list->count(), 4);
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        EXPECT_GE(list->visualItemRect(item).width(), list->fontMetrics().horizontalAdvance(item->text()))
            << item->text().toStdString();
    }
    Dialog().hide();
}

TEST_F(DatabaseDialogTest, HelpContextsAndTheFolderLink)
{
    const std::string help = vkttest::NewTempFolder("help");
    for (const char* page : {"4128", "4624", "4640", "4656"}) std::ofstream(help + "/" + page + ".html") << "x";
    platform::SetHelpFolder(help);
    const std::string folder = AddDatabase("A");
    Dialog().BuildList();
    auto& urls = vkttest::Scripted().urls;
    const auto last = [&] { return urls.empty() ? std::string() : urls.back().substr(urls.back().rfind('/') + 1); };

    Dialog().GetBtnHelp()->click();
    EXPECT_EQ(last(), "4128.html");
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { Dialog().ShowPage(0); }, "4624.html"},
        {[&] { Dialog().ShowPage(1); }, "4640.html"},
        {[&] { Dialog().ShowPage(3); }, "4640.html"},
        {[&] { Dialog().ShowPage(2); }, "4656.html"},
        {[&] { Dialog().ShowPage(3); }, "4656.html"},
    };
    for (const auto& [show, page] : cases) {
        show();
        QTest::keyClick(Dialog().GetList(), Qt::Key_F1);
        EXPECT_EQ(last(), page);
    }
    const std::size_t count = urls.size();
    QTest::keyClick(Dialog().GetList(), Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(urls.size(), count);

    Dialog().ShowPage(0);
    Select("A");
    Dialog().UpdateActions();
    Dialog().GetBtnOpenLink()->click();
    EXPECT_EQ(urls.back(), "file://" + folder);
    platform::SetHelpFolder({});
}

} // namespace

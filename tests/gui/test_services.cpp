#include "gui/Application.h"
#include "gui/Services.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

using namespace platform;
using vkttest::Scripted;

namespace {

TEST(QtFileFilter, ConvertsTheBarForm)
{
    const struct {
        const char* filter;
        const char* expected;
    } cases[] = {
        {"XMLファイル|*.xml|全てのファイル|*.*", "XMLファイル (*.xml);;全てのファイル (*)"},
        {"画像|*.bmp;*.jpg;*.jpeg", "画像 (*.bmp *.jpg *.jpeg)"},
        {"CSV (*.csv)|*.csv", "CSV (*.csv) (*.csv)"},
        {"Qt (*.txt);;All (*)", "Qt (*.txt);;All (*)"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(QtFileFilter(c.filter), c.expected) << c.filter;
}

class ServicesTest : public testing::Test {
protected:
    void SetUp() override
    {
        Scripted().Reset();
        Application::Instance()->SetDisplayName("Vektara");
    }
};

TEST_F(ServicesTest, ShorthandsAskWithTheirIconsAndDefaults)
{
    ShowError("失敗しました");
    ShowInformation("完了しました", "情報");
    EXPECT_FALSE(AskYesNo("削除しますか？", "確認"));
    EXPECT_TRUE(AskYesNo("続けますか？", "確認", true));
    Scripted().answers = {MsgAnswer::Yes};
    EXPECT_TRUE(AskYesNo("本当に？", "確認"));

    const auto& m = Scripted().messages;
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].caption, "Vektara");
    EXPECT_EQ(m[0].icon, MsgIcon::Stop);
    EXPECT_EQ(m[1].caption, "情報");
    EXPECT_EQ(m[1].icon, MsgIcon::Information);
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(m[i].icon, MsgIcon::Question);
        EXPECT_EQ(m[i].buttons, MsgButtons::YesNo);
    }
    EXPECT_EQ(m[2].defaultButton, MsgAnswer::No);
    EXPECT_EQ(m[3].defaultButton, MsgAnswer::Yes);
}

TEST_F(ServicesTest, HelpPagesIndexAndTheMissingPage)
{
    namespace fs = std::filesystem;
    const fs::path folder = vkttest::NewTempFolder("help");
    std::ofstream(folder / "12.html") << "<html/>";
    SetHelpFolder(folder.string());
    const std::string url = QUrl::fromLocalFile(QString::fromStdString(folder.string())).toString().toStdString();

    ShowHelp(99);   // no page, no index
    ASSERT_EQ(Scripted().messages.size(), 1u);
    EXPECT_EQ(Scripted().messages[0].text, "ヘルプファイルが見つかりません。\r\n" + (folder / "99.html").string());
    EXPECT_EQ(Scripted().messages[0].icon, MsgIcon::Stop);

    std::ofstream(folder / "index.html") << "<html/>";
    ShowHelp(12);
    ShowHelp(99);
    ShowHelpContents();
    EXPECT_EQ(Scripted().urls,
              (std::vector<std::string>{url + "/12.html", url + "/index.html", url + "/index.html"}));
    EXPECT_EQ(Scripted().messages.size(), 1u);
    SetHelpFolder({});
}

// Receives the links the real services hand to the desktop.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls.push_back(url); }
};

TEST_F(ServicesTest, LinksArriveEncoded)
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "Open");
    QDesktopServices::setUrlHandler("http", &catcher, "Open");
    const auto real = MakeQtServices();
    EXPECT_TRUE(real->OpenUrl("mailto:info@example.com?subject=Vektara 2005 質問"));
    EXPECT_TRUE(real->OpenUrl("http://example.com/a b?q=x y"));
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("http");
    ASSERT_EQ(catcher.urls.size(), 2u);
    EXPECT_EQ(catcher.urls[0].toEncoded().toStdString(),
              "mailto:info@example.com?subject=Vektara%202005%20%E8%B3%AA%E5%95%8F");
    EXPECT_EQ(catcher.urls[1].toEncoded().toStdString(), "http://example.com/a%20b?q=x%20y");
}

// The real message box: Enter gives the default button, Esc the cancel answer.
TEST_F(ServicesTest, RealMessageBoxAnswers)
{
    const struct {
        MsgButtons buttons;
        MsgAnswer defaultButton;
        Qt::Key key;
        MsgAnswer expected;
    } cases[] = {
        {MsgButtons::Ok, MsgAnswer::Ok, Qt::Key_Escape, MsgAnswer::Ok},
        {MsgButtons::OkCancel, MsgAnswer::Ok, Qt::Key_Return, MsgAnswer::Ok},
        {MsgButtons::OkCancel, MsgAnswer::Ok, Qt::Key_Escape, MsgAnswer::Cancel},
        {MsgButtons::YesNo, MsgAnswer::No, Qt::Key_Return, MsgAnswer::No},
        {MsgButtons::YesNo, MsgAnswer::Yes, Qt::Key_Escape, MsgAnswer::No},
        {MsgButtons::YesNoCancel, MsgAnswer::Yes, Qt::Key_Return, MsgAnswer::Yes},
        {MsgButtons::YesNoCancel, MsgAnswer::Yes, Qt::Key_Escape, MsgAnswer::Cancel},
    };
    const auto real = MakeQtServices();
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, c.key);
        });
        EXPECT_EQ(real->MessageBox("質問", "確認", MsgIcon::Question, c.buttons, c.defaultButton), c.expected)
            << static_cast<int>(c.buttons) << " " << c.key;
    }
}

// A box raised while a dialog is up belongs above that dialog, also before the window system has
// made the dialog the active window (the one below still active).
TEST_F(ServicesTest, RealMessageBoxBelongsAboveTheDialogOnScreen)
{
    QWidget main;
    main.show();
    QDialog dialog;   // without a parent, as the batch dialog
    dialog.setModal(true);
    dialog.setAttribute(Qt::WA_ShowWithoutActivating);
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    dialog.show();
    QWidget* parent = nullptr;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        parent = box ? box->parentWidget() : nullptr;
        if (box) QTest::keyClick(box, Qt::Key_Return);
    });
    MakeQtServices()->MessageBox("使用中です", "確認", MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok);
    EXPECT_EQ(parent, &dialog);
}

// Pickers start in the nearest existing folder of what a field holds, else at home; the real
// dialogs open there whatever the working folder is.
TEST_F(ServicesTest, PickersStartInTheNearestExistingFolderElseAtHome)
{
    const std::string home = QDir::homePath().toStdString();
    const std::string folder = vkttest::NewTempFolder("picker");
    std::ofstream(folder + "/a.csv") << "x";
    const struct {
        std::string path;
        std::string start;
    } cases[] = {
        {folder, folder},
        {folder + "/", folder},
        {folder + "/a.csv", folder},
        {folder + "/new/deeper/b.csv", folder},
        {folder + "/../" + std::filesystem::path(folder).filename().string() + "/new", folder},
        {"/", "/"},
        {"", home},
        {"relative/x", home},
    };
    for (const auto& c : cases) EXPECT_EQ(PickerStartFolder(c.path), c.start) << c.path;

    const auto real = MakeQtServices();
    const QString workingFolder = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder));
    const auto shown = [&](const std::function<void()>& open) {
        QString directory;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                directory = dialog->directory().absolutePath();
                dialog->reject();
            }
        });
        open();
        return directory.toStdString();
    };
    EXPECT_EQ(shown([&] { real->OpenFile("", "", "", ""); }), home);
    EXPECT_EQ(shown([&] { real->SaveFile("", "", folder, "/elsewhere/b.csv"); }), folder);
    EXPECT_EQ(shown([&] { real->PickFolder("", folder + "/missing"); }), folder);
    QDir::setCurrent(workingFolder);
}

} // namespace

#include "test_services.moc"

// The main window: menus and tool bar, the first showing's order (once), the unsupported stop,
// the layout selector's copies, the panel values kept with the bounds, and the close sequence.
#include "MainWindowState.h"
#include "core/Umapobject.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "database/Uvktapplication.h"
#include "database/Uvktsamplekitchen.h"
#include "dialogs/Fcsvedit.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Settings.h"
#include "layout/Preview.h"
#include "platform/Files.h"
#include "platform/Sqlite.h"
#include "layout/Utextcontainer.h"
#include "reports/Fprintexecutedlg.h"
#include "richtext/Exview.h"
#include "reports/Fvktpreview.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdatalistview.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Ffilterselector.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fitemchartpanel.h"
#include "screens/Fitemlistview.h"
#include "screens/Fkerneleditpanel.h"
#include "shell/Fsplash.h"
#include "widgets/Fguipanel.h"
#include "shell/Fvktpanel.h"
#include "shell/Fvktsingleviewer.h"
#include "shell/Mvktcommandmodule.h"
#include "shell/Ushellservices.h"
#include "shell/Usingleinstance.h"
#include "support/Command.h"
#include "support/ScriptedServices.h"
#include "support/widgets/RecordingPrinter.h"
#include "support/screens/SampleDatabase.h"
#include "widgets/Mvktmodule.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QSet>
#include <QWidgetAction>
#include <QComboBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionViewItem>
#include <QToolButton>
#include <QStatusTipEvent>
#include <QScrollArea>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// The action names of a menu or tool bar, "-" for separators.
std::string Entries(const QList<QAction*>& actions)
{
    std::string text;
    for (const QAction* action : actions) {
        if (!text.empty()) text += ' ';
        text += action->isSeparator() ? "-" : action->menu() ? "[menu]" : platform::FromQString(action->objectName());
    }
    return text;
}

std::vector<std::string>* g_trace = nullptr;
QtMessageHandler g_previous = nullptr;

void Trace(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (g_trace && context.category && std::string(context.category) == "vektara.startup")
        g_trace->push_back(platform::FromQString(message));
    else if (g_previous)
        g_previous(type, context, message);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        QLoggingCategory::setFilterRules("vektara.startup.debug=true");
        g_trace = &trace;
        g_previous = qInstallMessageHandler(Trace);
        key = std::make_unique<platform::SettingsKey>(platform::SettingsScope::User, VktMdl()->GetRegistrySubKey());
    }
    void TearDown() override
    {
        window.reset();
        qInstallMessageHandler(g_previous);
        g_trace = nullptr;
        QLoggingCategory::setFilterRules("vektara.startup.debug=false");
        VktMdl()->SetWindowsSupported(true);
        ForgetMainWindowState();
    }
    static std::string Files(int i)
    {
        static const char* files[] = {"FoodList.xml", "Recipe.xml", "Menu.xml"};
        return files[i];
    }

    TVktSingleViewer& Show(std::unique_ptr<TSingleInstance> instance = nullptr)
    {
        window = std::make_unique<TVktSingleViewer>(std::move(instance));
        window->SetSplash(&splash);
        window->show();
        return *window;
    }

    std::vector<std::string> trace;
    std::unique_ptr<platform::SettingsKey> key;
    TSplash splash;
    std::unique_ptr<TVktSingleViewer> window;
};

TEST_F(MainWindowTest, MenusAndToolBarInTheirOrder)
{
    const TVktSingleViewer& w = Show();
    const QList<QAction*> menus = w.GetMainMenu()->actions();
    ASSERT_EQ(menus.size(), 5);
    const char* captions[] = {"ファイル(&F)", "編集(&E)", "表示(&V)", "ツール(&T)", "ヘルプ(&H)"};
    const char* entries[] = {
        "ActNewDataBase ActAppendDataBase ActOpenDataBase - ActCloseDataBase - ActPreviewPrint",
        "ActViewSelAll ActViewSelRev - ActViewSelClear - ActNewData ActEditData ActAppendItem ActShowPreviewProperty "
        "ActChangeDataClass ActChangeDataProperty ActChangeDataAttribute ActAppendInventory ActReviveData - "
        "ActDeleteData ActDeleteInventory",
        "ActShowClassBar ActShowClassTree ActShowInventory ActShowPreview ActShowPrinterMargin ActShowPreviewToolBar "
        "ActDefaultPreview - "
        "ActShowViewFieldDialog",
        "ActShowOtherDataDialog ActShowCsvImportDialog ActShowCreateInventoryListDialog ActShowMHistToYHistDialog",
        "ActShowHelp - ActShowHome ActSendMail ActCheckUpdate - ActAbort"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(platform::FromQString(menus[i]->text()), captions[i]);
        EXPECT_EQ(Entries(menus[i]->menu()->actions()), entries[i]) << captions[i];
    }
    EXPECT_EQ(Entries(w.GetToolBar(0)->actions()),
              "ActNewDataBase ActAppendDataBase ActOpenDataBase - ActCloseDataBase - ActShowClassTree ActShowClassBar "
              "ActShowInventory ActShowPreview - ActEditData ActNewData ActDeleteData ActReviveData ActDeleteInventory");
    // The page and zoom strip follows the print button; the selector sits last, as a widget action
    // without a name.
    EXPECT_EQ(Entries(w.GetToolBar(1)->actions()),
              "ActAppendItem ActChangeDataClass ActChangeDataProperty ActChangeDataAttribute ActAppendInventory - "
              "ActShowPreviewProperty ActShowPrinterMargin ActDefaultPreview - ActPreviewPrint PreviewOperator ");
    // The selector shows each name whole (76 pixels at least).
    QComboBox* selector = w.GetPreviewFileSelecter();
    EXPECT_GE(selector->width(), 76);
    ASSERT_EQ(selector->count(), 3);
    for (int i = 0; i < selector->count(); ++i) {
        selector->setCurrentIndex(i);
        QStyleOptionComboBox option;
        option.initFrom(selector);
        option.editable = false;
        const QRect field = selector->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, selector);
        const QString name = selector->itemText(i).section(QLatin1Char('='), 0, 0);
        EXPECT_GE(field.width(), selector->fontMetrics().horizontalAdvance(name)) << platform::FromQString(name);
    }
    selector->setCurrentIndex(0);
    // Every command of the tool bar is reached by keys: each is an entry of a menu.
    QSet<QAction*> inMenus;
    for (QAction* menu : menus)
        for (QAction* entry : menu->menu()->actions()) inMenus.insert(entry);
    for (int bar = 0; bar < 2; ++bar) {
        for (QAction* action : w.GetToolBar(bar)->actions()) {
            if (action->isSeparator() || action->objectName().isEmpty() || qobject_cast<QWidgetAction*>(action))
                continue;
            EXPECT_TRUE(inMenus.contains(action)) << platform::FromQString(action->objectName());
        }
    }
    // Its list rows hold the names at the font's height.
    QStyleOptionViewItem row;
    row.font = selector->view()->font();
    for (int i = 0; i < selector->count(); ++i)
        EXPECT_GE(selector->itemDelegate()->sizeHint(row, selector->model()->index(i, 0)).height(),
                  QFontMetrics(row.font).height()) << i;
    // The selector reads (and a screen reader hears) the caption, not "caption=file".
    EXPECT_EQ(platform::FromQString(selector->itemText(1)), "原価率表");
    selector->setCurrentIndex(1);
    EXPECT_EQ(platform::FromQString(QAccessible::queryAccessibleInterface(selector)->text(QAccessible::Value)),
              "原価率表");
    selector->setCurrentIndex(0);
    EXPECT_EQ(w.LayoutFile(1), "Recipe.xml");
    EXPECT_EQ(w.LayoutFile(2), "Menu.xml");

    const struct { QAction* action; const char* caption; const char* tip; } own[] = {
        {w.ActDefaultPreview, "プレビュー初期化", "プレビューの表示を初期化します。"},
        {w.ActShowHelp, "ヘルプ", "ヘルプを表示します"},
        {w.ActSendMail, "問い合わせ...", "Quilloreにメールを送ります。"},
        {w.ActAbort, "バージョン情報...", "バージョン情報を表示します。"}};
    for (const auto& o : own) {
        EXPECT_EQ(platform::FromQString(o.action->text()), o.caption);
        EXPECT_EQ(platform::FromQString(o.action->statusTip()), o.tip);
    }
}

TEST_F(MainWindowTest, FirstShowingRunsOnceInOrder)
{
    TVktSingleViewer& w = Show();
    // The update check starts once the window is up.
    const std::vector<std::string> expected = {"splash shown",      "panels set up",   "first layout loaded",
                                               "current panel set", "bounds restored", "main window shown",
                                               "update check started"};
    for (int i = 0; i < 20 && trace.size() < expected.size(); ++i) QCoreApplication::processEvents();
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(VktCommandModule()->GetCurrentPanel(), w.GetVktPanel());
    EXPECT_FALSE(splash.isVisible());
    EXPECT_EQ(platform::FromQString(w.windowTitle()), VktMdl()->GetProductName());

    w.hide();
    w.show();
    EXPECT_EQ(trace.size(), expected.size());

    // Long hints reach status panel 0; Esc does not close a main window.
    QStatusTipEvent tip(QStringLiteral("データベースを開きます。"));
    QCoreApplication::sendEvent(w.GetToolBar(0), &tip);
    EXPECT_EQ(platform::FromQString(w.GetStatusPanel0()->text()), "データベースを開きます。");
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(MainWindowTest, RecordEditorGetsItsHelpContextsAndHooksWhenBuilt)
{
    TVktSingleViewer& w = Show();
    TDataEditor* editor = w.GetVktPanel()->GetDataViewer()->GetDataEditor();
    const TDetailEditPanel* detail = editor->GetDetailEditPanel();
    const QTabWidget* history = detail->GetHistoryChartPanel()->GetPageControl();
    const std::vector<std::pair<const QWidget*, int>> contexts = {
        {editor, 4144},
        {editor->GetKernelEditPanel(), 4880},
        {detail->GetTab("TabKernel"), 4880},
        {detail->GetDealerEditPanel(), 4912},
        {detail->GetItemEditPanel(), 4896},
        {detail->GetTab("TabMemo"), 4928},
        {detail->GetTab("TabImage"), 4944},
        {detail->GetTab("TabAttribute"), 4960},
        {detail->GetItemChartPanel(), 5008},
        {history->widget(0), 4976},
        {history->widget(1), 4992},
    };
    for (const auto& [widget, context] : contexts) {
        ASSERT_NE(widget, nullptr) << context;
        EXPECT_EQ(widget->property("helpContext").toInt(), context) << widget->objectName().toStdString();
    }
    EXPECT_TRUE(static_cast<bool>(editor->GetKernelEditPanel()->OnUseUnitChange));
    EXPECT_TRUE(detail->GetItemEditPanel()->GetStringGrid()->viewport()->acceptDrops());
}

TEST_F(MainWindowTest, UnsupportedPlatformStopsWithoutTheCloseSequence)
{
    VktMdl()->SetWindowsSupported(false);
    TVktSingleViewer& w = Show();
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    const auto& message = vkttest::Scripted().messages[0];
    EXPECT_EQ(message.text, "このバージョンのWindowsは対応していません。");
    EXPECT_EQ(message.caption, VktMdl()->GetProductName());
    EXPECT_EQ(message.icon, platform::MsgIcon::Stop);
    EXPECT_FALSE(w.GetVktPanel()->GetSetupDone());
    EXPECT_NE(VktCommandModule()->GetCurrentPanel(), w.GetVktPanel());
    EXPECT_EQ(trace.back(), "main window shown");

    // The queued exit ends the program's loop with 0 and leaves the window alone. (The loop is the
    // application's own: it clears the exit request when it returns, so later tests' loops run.)
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(3000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(key->ValueExists("VktSingleViewerBound"));
}

// The application's title is the product name: a box that names no caption shows it, as the CSV
// grid's refusal of an unclosed quote does.
TEST_F(MainWindowTest, BoxesNamingNoCaptionShowTheProductName)
{
    Show();
    vkttest::Scripted().Reset();
    const std::string path = vkttest::NewTempFolder("csv") + "/open.csv";
    platform::WriteFileAtomic(path, "a,b\r\n\"c,d\r\n");
    TCsvEdit grid;
    EXPECT_FALSE(platform::Guard([&] { grid.LoadFromFile(path); }));
    ASSERT_EQ(vkttest::Scripted().messages.size(), 1u);
    const auto& message = vkttest::Scripted().messages[0];
    EXPECT_NE(message.text.find("2行目: 引用符が閉じていません。"), std::string::npos) << message.text;
    EXPECT_EQ(message.caption, VktMdl()->GetProductName());
}

TEST_F(MainWindowTest, CloseWritesAliasesStoresBoundsAndWithdrawsTheMarker)
{
    const std::string runtime = vkttest::NewTempFolder("rt");
    const std::string name = "Quillore Vektara " + runtime;
    auto instance = std::make_unique<TSingleInstance>(name, runtime + "/s");
    ASSERT_TRUE(instance->Claim());
    TVktSingleViewer& w = Show(std::move(instance));
    const vkttest::SampleDatabase kitchen(false);
    const std::string aliases = "厨房=" + kitchen.Folder() + "\r\n";
    VktApplication().LoadDatabaseList(aliases);
    w.setGeometry(40, 50, 700, 500);
    EXPECT_TRUE(w.close());
    EXPECT_EQ(TVktModule().GetAliases(), aliases);
    const QRect bounds = w.geometry();
    EXPECT_EQ(key->ReadString("VktSingleViewerBound"),
              std::to_string(bounds.left()) + "," + std::to_string(bounds.top()) + "," +
                  std::to_string(bounds.left() + bounds.width()) + "," + std::to_string(bounds.top() + bounds.height()));
    EXPECT_TRUE(CheckMapping(name)) << "the claim lasts as long as the window";
    window.reset();
    EXPECT_FALSE(CheckMapping(name));
}

// The database list is stored whenever it changes, not only at the close: after a crash the
// databases registered, renamed, removed or moved to the front are listed as they were.
TEST_F(MainWindowTest, EveryChangeOfTheDatabaseListIsStoredAtOnce)
{
    Show();
    TVktApplication& registry = VktApplication();
    const vkttest::SampleDatabase a(false);
    const vkttest::SampleDatabase b(false);
    const auto stored = [] { return TVktModule().GetAliases(); };   // read afresh from the store
    ASSERT_TRUE(registry.RegisterDatabase("厨房A", a.Folder()));
    EXPECT_NE(stored().find("厨房A=" + a.Folder() + "\r\n"), std::string::npos) << "registered";
    ASSERT_TRUE(registry.RegisterDatabase("厨房B", b.Folder()));
    registry.MoveToFront("厨房B");
    EXPECT_EQ(stored().rfind("厨房B=", 0), 0u) << "moved to the front";
    ASSERT_TRUE(registry.RenameDatabase("厨房A", "本店"));
    EXPECT_EQ(stored(), registry.GetListText()) << "renamed";
    ASSERT_TRUE(registry.UnregisterDatabase("本店"));
    EXPECT_EQ(stored().find("本店="), std::string::npos) << "removed";
    EXPECT_EQ(stored(), registry.GetListText());
    registry.UnregisterDatabase("厨房B");
}

// The program's first start opens the sample kitchen, made and registered like any database; a
// start after the cook deleted it, or with a database registered, makes none.
TEST_F(MainWindowTest, AFirstStartOpensTheSampleKitchenOnce)
{
    TVktApplication& registry = VktApplication();
    // The program's services, as the program installs them.
    registry.SetShellServices(std::make_unique<TShellServices>());
    struct Restore {
        TVktApplication& registry;
        ~Restore() { registry.SetShellServices(nullptr); }
    } restore{registry};
    platform::SettingsKey program(platform::SettingsScope::User, "Quillore\\Vektara");
    program.DeleteValue("SampleKitchen");
    ASSERT_EQ(registry.GetCount(), 0);
    // The window reads the list as the program found it at its start (none); `own` is registered
    // before the first showing.
    const auto start = [this, &registry](const std::string& own = {}) {
        window = std::make_unique<TVktSingleViewer>();
        window->SetFirstStartSample(true);
        if (!own.empty()) {
            EXPECT_TRUE(registry.RegisterDatabase("厨房", own));
        }
        window->show();
        return window->GetVktPanel()->GetVktObject();
    };

    TVktObject* opened = start();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->GetName(), kSampleKitchenName);
    EXPECT_EQ(registry.GetName(0), kSampleKitchenName);
    EXPECT_NE(std::find(trace.begin(), trace.end(), "sample kitchen made and opened"), trace.end());
    EXPECT_TRUE(VktMdl()->GetSampleKitchenMade());
    EXPECT_NE(TVktModule().GetAliases().find(std::string(kSampleKitchenName) + "="), std::string::npos);
    EXPECT_EQ(registry.GetDatabaseFormat(registry.GetPath(0)), 2);
    // Its memos are the rich-text engine's.
    {
        platform::Connection db(platform::DatabaseFilePath(registry.GetPath(0)), platform::OpenMode::ReadOnly);
        platform::Statement memos(db, "select cast(Memo as text) from " + GetTableFileName(TVktTable::TblMemo));
        int count = 0;
        while (memos.Step()) {
            ++count;
            EXPECT_EQ(memos.GetText(0).rfind("{\\rtf1\\ansi\\ansicpg932", 0), 0u) << memos.GetText(0);
        }
        EXPECT_EQ(count, 5);
    }
    // Its pictures are the ones shipped beside the program.
    EXPECT_TRUE(platform::FileExists(VktMdl()->GetSamplePictureFolder() + "/" + kSamplePictureFiles[0]));

    window.reset();
    ASSERT_TRUE(registry.DeleteDatabase(kSampleKitchenName));
    EXPECT_EQ(start(), nullptr) << "made again after the cook deleted it";
    EXPECT_EQ(registry.GetCount(), 0);

    window.reset();
    program.DeleteValue("SampleKitchen");
    const vkttest::SampleDatabase own(false);
    EXPECT_EQ(start(own.Folder()), nullptr) << "made beside the cook's database";
    EXPECT_EQ(registry.GetCount(), 1);
    EXPECT_FALSE(VktMdl()->GetSampleKitchenMade());
    window.reset();
    registry.UnregisterDatabase("厨房");
}

// The caption names the open database; a later start opens the database open at the last close,
// none when none was open, and none, unsaid, when it is no longer registered.
TEST_F(MainWindowTest, TheCaptionNamesTheDatabaseALaterStartReopens)
{
    TVktApplication& registry = VktApplication();
    const vkttest::SampleDatabase own(false);
    const std::string product = VktMdl()->GetProductName();
    const auto caption = [this] { return platform::FromQString(window->windowTitle()); };
    // The window reads the list as the program found it at its start (none): `own` is registered
    // before the first showing, unless it is gone.
    const auto start = [this, &registry, &own](bool registered = true) {
        window.reset();
        window = std::make_unique<TVktSingleViewer>();
        window->SetReopenLastDatabase(true);
        if (registered) {
            EXPECT_TRUE(registry.RegisterDatabase("厨房", own.Folder()));
        }
        window->show();
        return window->GetVktPanel()->GetVktObject();
    };
    VktMdl()->WriteLastDatabase("");
    EXPECT_EQ(start(), nullptr);
    EXPECT_EQ(caption(), product);
    VktCommandModule()->SwitchDatabase("厨房", false);
    EXPECT_EQ(caption(), product + " [厨房]");
    EXPECT_EQ(window->GetDataObject(), window->GetVktPanel()->GetVktObject());
    window->close();

    TVktObject* reopened = start();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(reopened->GetName(), "厨房");
    EXPECT_EQ(caption(), product + " [厨房]");
    VktCommandModule()->ActCloseDataBaseExecute();
    EXPECT_EQ(caption(), product);
    window->close();
    EXPECT_EQ(start(), nullptr) << "closed before the window was";

    VktCommandModule()->SwitchDatabase("厨房", false);
    window->close();
    window.reset();
    registry.UnregisterDatabase("厨房");
    EXPECT_EQ(start(false), nullptr) << "no longer registered";
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
    VktMdl()->WriteLastDatabase("");
}

// What needs the main data panel built.
class MainWindowPanelTest : public MainWindowTest {
protected:
    TVktSingleViewer& ShowBuilt()
    {
        TVktSingleViewer& w = Show();
        w.GetVktPanel()->ShowPreview(true);
        return w;
    }
};

TEST_F(MainWindowPanelTest, SelectorCopies)
{
    TVktSingleViewer& w = ShowBuilt();
    TPreview* document = w.GetLayoutDocument();
    ASSERT_NE(document, nullptr);
    const std::string data = VktMdl()->GetDataFolder();
    const auto exists = [&](int i) { return QFileInfo::exists(platform::ToQString(data + Files(i))); };
    ASSERT_EQ(w.GetSelectedLayout(), 0);
    ASSERT_NE(document->GetContainerOfName("Title"), nullptr);

    // Unmodified: switching writes nothing.
    w.GetPreviewFileSelecter()->setCurrentIndex(1);
    w.PreviewFileSelecterChange();
    EXPECT_FALSE(exists(0));
    EXPECT_EQ(w.GetSelectedLayout(), 1);

    // Modified: the user's copy is written on the switch and read back afterwards.
    const auto title = [&] { return dynamic_cast<TTextContainer*>(document->GetContainerOfName("Title")); };
    const std::string shipped = title()->GetText();
    title()->SetText("私の原価率表");
    document->SetModified(true);
    w.GetPreviewFileSelecter()->setCurrentIndex(2);
    w.PreviewFileSelecterChange();
    EXPECT_TRUE(exists(1));
    w.GetPreviewFileSelecter()->setCurrentIndex(1);
    w.PreviewFileSelecterChange();
    EXPECT_EQ(title()->GetText(), "私の原価率表");
    EXPECT_FALSE(document->GetModified());

    // Reset: the copy goes, the shipped layout comes back.
    platform::RunIdle();   // the layout view enables the reset
    ASSERT_TRUE(w.ActDefaultPreview->isEnabled());
    w.ActDefaultPreview->trigger();
    EXPECT_FALSE(exists(1));
    EXPECT_EQ(title()->GetText(), shipped);

    // Closing saves a modified layout and loads nothing again: the program ends.
    title()->SetText("別の表");
    document->SetModified(true);
    int added = 0;
    TPVActionNotifier* notifier = document->AddActionNotifier({}, [&](TPreview*, TViewItem*, TViewItem*) { ++added; });
    w.close();
    document->DeleteActionNotifier(notifier);
    EXPECT_TRUE(exists(1));
    EXPECT_EQ(added, 0) << "the layout was loaded again";
    EXPECT_TRUE(vkttest::Scripted().messages.empty());
}

using vkttest::Capture;

TEST_F(MainWindowPanelTest, PrintsTheLayoutViewOnThePrinter)
{
    const vkttest::PrinterScope restore;
    const std::string pdf = vkttest::NewTempFolder("print") + "/layout.pdf";
    vkttest::InstallPdfPrinter(pdf);
    TVktSingleViewer& w = ShowBuilt();
    TVktCommandModule* module = VktCommandModule();
    module->updateActions();
    ASSERT_TRUE(module->ActPreviewPrint->isEnabled());
    // The print dialog opens; its print button prints everything, then it is closed.
    QTimer::singleShot(0, [] {
        PrintExecuteDlg()->findChild<QPushButton*>("BtnPrint")->click();
        PrintExecuteDlg()->findChild<QPushButton*>("BtnCancel")->click();
    });
    module->ActPreviewPrint->trigger();
    EXPECT_TRUE(vkttest::Scripted().messages.empty());

    // One page showing the first layout's title.
    const std::string info = Capture("pdfinfo '" + pdf + "'");
    EXPECT_NE(info.find("Pages:           1\n"), std::string::npos) << info;
    const std::string text = Capture("pdftotext '" + pdf + "' -");
    EXPECT_NE(text.find("食材リスト"), std::string::npos) << text;

    // A print changes nothing of the layout: no user copy is saved to hide the shipped one.
    w.GetPreviewFileSelecter()->setCurrentIndex(1);
    w.PreviewFileSelecterChange();
    EXPECT_FALSE(QFileInfo::exists(platform::ToQString(VktMdl()->GetDataFolder() + Files(0))));
}

// Drags the first handle of `splitter` by `dy` pixels, as the user does.
void DragHandle(QSplitter* splitter, int dy)
{
    QSplitterHandle* handle = splitter->handle(1);
    const QPoint local = handle->rect().center();
    const QPoint global = handle->mapToGlobal(local);
    const auto send = [&](QEvent::Type type, QPoint offset, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(local + offset), QPointF(global + offset), Qt::LeftButton, buttons, {});
        QCoreApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, {}, Qt::LeftButton);
    send(QEvent::MouseMove, {0, dy}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {0, dy}, Qt::NoButton);
}

TEST_F(MainWindowPanelTest, PanelValuesKeptWithTheBounds)
{
    key->WriteString("VktSingleViewerBound", "30,40,930,740");
    key->WriteInteger("VktSingleViewerClassPanel", 260);
    key->WriteInteger("VktSingleViewerFilterPanel", 150);
    key->WriteInteger("VktSingleViewerEditorPanel", 180);
    key->WriteInteger("VktSingleViewerShowKernelEditor", 0);
    key->WriteInteger("VktSingleViewerClassBar", 1);
    TVktSingleViewer& w = Show();
    TVktPanel* panel = w.GetVktPanel();
    TDataViewer* viewer = panel->GetDataViewer();
    ASSERT_TRUE(panel->GetSetupDone());
    EXPECT_EQ(panel->GetClassPanelWidth(), 260);
    EXPECT_EQ(panel->GetFilterPanelHeight(), 150);
    EXPECT_EQ(viewer->FindDataEditor(), nullptr) << "start-up builds no record editor";
    EXPECT_TRUE(viewer->GetDataEditor()->GetCompact());
    EXPECT_TRUE(panel->GetClassBarShown());
    EXPECT_TRUE(VktCommandModule()->ActShowClassBar->isChecked());

    // The sizes given while the side navigation and the editor were hidden hold when they show.
    VktCommandModule()->ActShowClassTree->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->GetClassFilterView()->GetFilterSelector()->height(), 150);
    viewer->ShowEditor(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(viewer->GetDataEditor()->height(), 180);

    // A height the user drags is kept after the editor closes.
    DragHandle(viewer->GetSplitter(), -20);
    EXPECT_EQ(viewer->GetDataEditor()->height(), 200);
    viewer->ShowEditor(false);
    viewer->GetDataEditor()->ShowSideBySide();
    w.close();
    EXPECT_EQ(key->ReadInteger("VktSingleViewerClassPanel"), 260);
    EXPECT_EQ(key->ReadInteger("VktSingleViewerFilterPanel"), 150);
    EXPECT_EQ(key->ReadInteger("VktSingleViewerEditorPanel"), 200);
    EXPECT_EQ(key->ReadInteger("VktSingleViewerShowKernelEditor"), 1);
    EXPECT_FALSE(key->ValueExists("VktSingleViewerClassBar"));
}

// The main window on the sample database, active, with the record list showing a class.
class MainWindowDataTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        db = std::make_unique<vkttest::SampleDatabase>();
        TVktSingleViewer& w = Show();
        w.resize(1000, 700);
        w.SetDataObject(&db->Object());
        QApplication::setActiveWindow(&w);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
        Panel()->GetClassFilterView()->GetClassView()->SelectID(vkttest::SampleDatabase::kVegetable);
        QApplication::processEvents();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        db.reset();
    }
    TVktPanel* Panel() const { return window->GetVktPanel(); }
    TDataListView* List() const { return Panel()->GetDataViewer()->GetDataView()->GetDataListView(); }
    QTableView* ListGrid() const { return List()->GetStringGrid(); }
    void ClickRow(int row)
    {
        const QRect cell = ListGrid()->visualRect(ListGrid()->model()->index(row, 0));
        QTest::mouseClick(ListGrid()->viewport(), Qt::LeftButton, {}, cell.center());
    }

    std::unique_ptr<vkttest::SampleDatabase> db;
};

// The count status panel 1 showed when it was last painted.
struct PaintedCount : QObject {
    explicit PaintedCount(const TVktView& view) : view(view) { view.GetStatusPanel1()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) text = view.StatusCountText();
        return false;
    }
    std::string Shown()
    {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        return text;
    }
    const TVktView& view;
    std::string text;
};

TEST_F(MainWindowDataTest, ADialogClosedGivesTheFocusBackToTheListThatHadIt)
{
    ClickRow(Panel()->GetDataViewer()->GetDataView()->RowOfID(db->Record("じゃがいも")));
    ASSERT_EQ(QApplication::focusWidget(), ListGrid());
    const auto focusBack = [this](const char* what) {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), window.get()) << what;
        EXPECT_EQ(QApplication::focusWidget(), ListGrid()) << what;
    };
    // A set-up dialog left with キャンセル.
    VktCommandModule()->updateActions();
    QTimer::singleShot(0, [] {
        if (auto* dialog = qobject_cast<TVktDialog*>(QApplication::activeModalWidget()))
            QTest::mouseClick(dialog->GetBtnCancel(), Qt::LeftButton);
    });
    VktCommandModule()->ActChangeDataClass->trigger();
    focusBack("class change");
    // 編集 → すべて選択 marks every row in the focused list's colours.
    VktCommandModule()->ActViewSelAll->trigger();
    EXPECT_EQ(List()->GetSelectedIDs().GetCount(), 3);
    EXPECT_TRUE(List()->IsActive());

    // The batch window of a trash run (Shift: it closes itself).
    List()->UnselectAll();
    ClickRow(Panel()->GetDataViewer()->GetDataView()->RowOfID(db->Record("じゃがいも")));
    vkttest::Scripted().shift = true;
    QTest::keyClick(ListGrid(), Qt::Key_Delete);
    vkttest::Scripted().shift = false;
    ASSERT_EQ(db->Object().GetDataEraseState(db->Record("じゃがいも")), -1);
    focusBack("batch");
}

TEST_F(MainWindowDataTest, TheRecordCountFollowsTheRecordListsRowsAndMarks)
{
    PaintedCount count(*window);
    ASSERT_EQ(List()->GetRows().GetCount(), 3);
    ClickRow(Panel()->GetDataViewer()->GetDataView()->RowOfID(db->Record("じゃがいも")));
    EXPECT_EQ(count.Shown(), "1/3");
    // The marked record goes to the trash (Delete in the list; Shift: no question, the batch closes).
    vkttest::Scripted().shift = true;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    vkttest::Scripted().shift = false;
    QApplication::processEvents();
    ASSERT_EQ(List()->GetRows().GetCount(), 2);
    EXPECT_EQ(count.Shown(), "0/2");
    VktCommandModule()->ActViewSelAll->trigger();
    EXPECT_EQ(count.Shown(), "2/2");
    // Six-digit counts show whole, past the text's 3-pixel inset.
    const QFontMetrics metrics(window->font());
    EXPECT_GE(window->GetStatusPanel1()->width(), metrics.horizontalAdvance(QStringLiteral("100000/100000")) + 3);
}

// The edit menu opened by Alt+E from the record list judges データ編集 by the list, which had the
// focus before the menu bar took it; opened from elsewhere, the entry stays grey.
TEST_F(MainWindowDataTest, TheMenuJudgesTheFocusItFoundWhenItOpened)
{
    QMenu* edit = window->GetMainMenu()->actions().at(1)->menu();
    QAction* editData = VktCommandModule()->ActEditData;
    QWidget* tree = Panel()->GetClassFilterView()->GetClassView()->GetClassTree();
    const struct { QWidget* focus; bool enabled; } rows[] = {{ListGrid(), true}, {tree, false}};
    for (const auto& row : rows) {
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        row.focus->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        ASSERT_TRUE(row.focus->hasFocus()) << row.focus->objectName().toStdString();
        // Alt alone gives the menu bar the keys (and the focus); Right and Down open 編集.
        QTest::keyClick(window.get(), Qt::Key_Alt, Qt::AltModifier);
        ASSERT_TRUE(window->GetMainMenu()->hasFocus());
        QTest::keyClick(window->GetMainMenu(), Qt::Key_Right);
        QTest::keyClick(window->GetMainMenu(), Qt::Key_Down);
        ASSERT_TRUE(QTest::qWaitFor([&] { return edit->isVisible(); }, 2000));
        EXPECT_EQ(editData->isEnabled(), row.enabled) << row.focus->objectName().toStdString();
        QTest::keyClick(edit, Qt::Key_Escape);
        QTest::keyClick(window->GetMainMenu(), Qt::Key_Escape);
        QApplication::processEvents();
    }
}

// From the record list Tab goes into the record editor by stops that show the focus: its class,
// the class button and its name, no scroll area between; on the dealer page from the tabs (and
// their arrows) to the dealer list.
TEST_F(MainWindowDataTest, TabRunsFromTheListIntoTheEditorByShownStops)
{
    TDataViewer* viewer = Panel()->GetDataViewer();
    viewer->EditData(db->Record("じゃがいも"));
    viewer->ShowEditor(true);
    QApplication::processEvents();
    TKernelEditPanel* kernel = viewer->GetDataEditor()->GetKernelEditPanel();
    ListGrid()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_FALSE(qobject_cast<QScrollArea*>(QApplication::focusWidget())) << i;
    }
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(kernel->GetNameEdit()));
    TDetailEditPanel* detail = viewer->GetDataEditor()->GetDetailEditPanel();
    detail->GetPageControl()->setCurrentWidget(detail->GetTab("TabDetail"));
    detail->GetPageControl()->tabBar()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 4 && QApplication::focusWidget() != detail->GetDealerEditPanel()->GetCompanySelector(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_FALSE(qobject_cast<QScrollArea*>(QApplication::focusWidget())) << "dealer page " << i;
    }
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(detail->GetDealerEditPanel()->GetCompanySelector()));
}

// The record editor keeps its height whatever the window's; the dealer page, lower than its frame
// there, scrolls, and a field reached by Tab shows whole.
TEST_F(MainWindowDataTest, EveryDealerFieldIsReachedAtCommonScreenSizes)
{
    const struct {
        int width;
        int height;
    } sizes[] = {{1366, 768}, {1600, 1000}};
    TDataViewer* viewer = Panel()->GetDataViewer();
    for (const auto& size : sizes) {
        window->resize(size.width, size.height);
        viewer->EditData(db->Record("じゃがいも"));
        viewer->ShowEditor(true);
        TDetailEditPanel* detail = viewer->GetDataEditor()->GetDetailEditPanel();
        detail->GetPageControl()->setCurrentWidget(detail->GetTab("TabDetail"));
        QApplication::processEvents();
        const TDealerSelectPanel* dealer = detail->GetDealerEditPanel();
        auto* address = dealer->findChild<QLineEdit*>("AddressEdit");
        auto* mail = dealer->findChild<QLineEdit*>("MailEdit");
        ASSERT_TRUE(address && mail);
        address->setFocus();
        QTest::keyClick(address, Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), mail) << size.width;
        EXPECT_EQ(mail->visibleRegion().boundingRect(), mail->rect()) << size.width;
    }
}

// The layout view's tool bar: offered by the view menu in layout mode only, a tool tip on each
// button, a text added and the print dialog opened from it, the data containers' buttons enabled
// by the selection; shown, it stays shown in the next window.
TEST_F(MainWindowDataTest, TheLayoutToolBarIsOfferedInLayoutModeAndKeptInTheSettings)
{
    TVktSingleViewer& w = *window;
    QMenu* view = w.GetMainMenu()->actions().at(2)->menu();
    ASSERT_TRUE(view->actions().contains(w.ActShowPreviewToolBar));
    w.ApplicationIdle();
    EXPECT_FALSE(w.ActShowPreviewToolBar->isEnabled()) << "offered in layout mode";
    Panel()->ShowPreview(true);
    w.ApplicationIdle();
    ASSERT_TRUE(w.ActShowPreviewToolBar->isEnabled());
    TVktPreview* designer = Panel()->GetPreview();
    EXPECT_FALSE(designer->GetToolBar()->isVisible());
    w.ActShowPreviewToolBar->trigger();
    ASSERT_TRUE(designer->GetToolBar()->isVisible());

    int buttons = 0;
    for (const QToolButton* button : designer->GetToolBar()->findChildren<QToolButton*>()) {
        if (!button->property("Tag").isValid()) continue;   // a bar's own extension button
        ++buttons;
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
        EXPECT_TRUE(button->isVisible()) << button->objectName().toStdString();
    }
    EXPECT_EQ(buttons, 22);

    TPreview* document = designer->GetPreview();
    document->SetSelected(nullptr);
    designer->GetButton("BtnText")->click();
    ASSERT_NE(document->GetSelContainer(), nullptr);
    EXPECT_EQ(document->GetSelContainer()->GetType(), 2);
    EXPECT_FALSE(designer->GetButton("BtnVktField")->isEnabled()) << "a text selected";
    designer->GetButton("BtnVktTop")->click();
    ASSERT_TRUE(designer->GetButton("BtnVktField")->isEnabled()) << "a database container selected";
    designer->GetButton("BtnVktField")->click();
    EXPECT_EQ(document->GetSelContainer()->GetType(), 13);
    bool printDialog = false;
    QTimer::singleShot(0, [&] {
        printDialog = PrintExecuteDlg()->isVisible();
        PrintExecuteDlg()->findChild<QPushButton*>("BtnCancel")->click();
    });
    designer->GetButton("BtnPrint")->click();
    EXPECT_TRUE(printDialog);

    w.close();
    EXPECT_EQ(key->ReadInteger("VktSingleViewerPreviewToolBar"), 1);
    window.reset();
    TVktSingleViewer& next = Show();
    next.GetVktPanel()->ShowPreview(true);
    next.ApplicationIdle();
    EXPECT_TRUE(next.GetVktPanel()->GetPreview()->GetToolBar()->isVisible());
    EXPECT_TRUE(next.ActShowPreviewToolBar->isChecked());
    next.ActShowPreviewToolBar->trigger();
    next.close();
    EXPECT_FALSE(key->ValueExists("VktSingleViewerPreviewToolBar"));
}

// A database opened while the layout view shows counts the records the report lists (none
// marked), and the count follows the selection there; the record list, shown again, lists as many.
TEST_F(MainWindowDataTest, InLayoutModeTheRecordCountIsTheReportsRecords)
{
    PaintedCount count(*window);
    window->SetDataObject(nullptr);
    Panel()->ShowPreview(true);
    window->SetDataObject(&db->Object());
    QApplication::processEvents();
    Panel()->GetClassFilterView()->GetClassView()->SelectID(vkttest::SampleDatabase::kVegetable);
    EXPECT_EQ(count.Shown(), "0/3");
    Panel()->GetClassFilterView()->GetClassView()->SelectID(vkttest::SampleDatabase::kHerb);
    const std::string herbs = count.Shown();
    EXPECT_NE(herbs, "0/3");
    Panel()->ShowPreview(false);
    EXPECT_EQ(count.Shown(), "0/" + std::to_string(List()->GetRows().GetCount()));
    EXPECT_EQ(count.Shown(), herbs);
}
} // namespace

#include "shell/Fvktsingleviewer.h"

#include "database/Uvktapplication.h"
#include "database/Uvktobject.h"
#include "database/Uvktsamplekitchen.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "gui/Settings.h"
#include "layout/Preview.h"
#include "platform/Errors.h"
#include "reports/Fpreviewoperator.h"
#include "reports/Fvktpreview.h"
#include "screens/Fclassbar.h"
#include "screens/Fclassfilterbar.h"
#include "screens/Fclassfilterview.h"
#include "screens/Fclassview.h"
#include "screens/Fdataeditor.h"
#include "screens/Fdataview.h"
#include "screens/Fdataviewer.h"
#include "screens/Fdetaileditpanel.h"
#include "screens/Ffilterselector.h"
#include "screens/Fhistorychartpanel.h"
#include "screens/Fitemchartpanel.h"
#include "screens/Fitemlistview.h"
#include "screens/Fdealerselectpanel.h"
#include "screens/Fkerneleditpanel.h"
#include "screens/Finventoryview.h"
#include "shell/Finternetcheckdialog.h"
#include "shell/Fsplash.h"
#include "shell/Fvktpanel.h"
#include "shell/Mvktcommandmodule.h"
#include "shell/Usingleinstance.h"
#include "widgets/Mvktmodule.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

TVktSingleViewer* g_viewer = nullptr;

constexpr char kHelpContextProperty[] = "helpContext";
constexpr int kSelecterItemHeight = 14;   // at least; taller for a taller font
constexpr int kSelecterWidth = 76;

// The name part of a "name=file" item.
QString NamePart(const QString& item)
{
    const qsizetype equal = item.indexOf(QLatin1Char('='));
    return equal < 0 ? item : item.left(equal);
}

// The drop-down list of the selector: the name part at 1 pixel right of and below the corner, in
// the highlight text colour when selected, the window text colour, or grey when disabled.
class TSelecterDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool enabled = option.state & QStyle::State_Enabled;
        const bool selected = option.state & QStyle::State_Selected;
        using platform::SystemColor;
        painter->fillRect(option.rect, platform::ToQColor(platform::GetSystemColor(
                                           enabled && selected ? SystemColor::Highlight : SystemColor::Window)));
        const SystemColor text = !enabled ? SystemColor::GrayText
                                 : selected ? SystemColor::HighlightText
                                            : SystemColor::WindowText;
        painter->setPen(platform::ToQColor(platform::GetSystemColor(text)));
        painter->setFont(option.font);
        painter->drawText(option.rect.adjusted(1, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                          NamePart(index.data().toString()));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        // The text is drawn a pixel down: the row holds the font's whole height below that.
        return {QStyledItemDelegate::sizeHint(option, index).width(),
                std::max(kSelecterItemHeight, QFontMetrics(option.font).height() + 1)};
    }
};

// The combo box showing the chosen item's name part.
class TLayoutSelecter : public QComboBox {
public:
    explicit TLayoutSelecter(QWidget* parent) : QComboBox(parent) { setItemDelegate(new TSelecterDelegate(this)); }

    // Wide enough for the longest name, never narrower than kSelecterWidth.
    void FitToNames()
    {
        const QFontMetrics metrics = fontMetrics();
        int text = 0;
        for (int i = 0; i < count(); ++i) text = std::max(text, metrics.horizontalAdvance(NamePart(itemText(i))));
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const QSize size = style()->sizeFromContents(QStyle::CT_ComboBox, &option, {text, metrics.height()}, this);
        setFixedWidth(std::max(kSelecterWidth, size.width()));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText = NamePart(option.currentText);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

QAction* MakeOwnAction(QObject* parent, const char* name, const char* caption, const char* hint)
{
    auto* action = new QAction(platform::ToQString(caption), parent);
    action->setObjectName(QString::fromLatin1(name));
    platform::SetHint(*action, hint);
    return action;
}

void SetHelpContext(QWidget* widget, int context)
{
    if (widget) widget->setProperty(kHelpContextProperty, context);
}

} // namespace

TVktSingleViewer* VktSingleViewer() { return g_viewer; }

TVktSingleViewer::TVktSingleViewer(std::unique_ptr<TSingleInstance> instance, QWidget* parent)
    : TVktView(parent), instance_(std::move(instance))
{
    setObjectName("VktSingleViewer");
    setWindowFlags(Qt::Window);
    g_viewer = this;
    if (instance_) instance_->OnActivate = [this](const std::string& token) { Activate(token); };

    TVktModule* mdl = VktMdl();
    TVktApplication& registry = VktApplication();
    registry.SetProductName(mdl->GetProductName());
    // The application's title, the caption of message boxes that name none.
    if (auto* app = platform::Application::Instance()) app->SetDisplayName(mdl->GetProductName());
    registry.SetRegistrySubPath(mdl->GetRegistrySubKey());
    // Stored at every change, not only at the close: a crash keeps the databases just registered.
    registry.OnListChange = [](TVktApplication* sender) { VktMdl()->WriteAliases(sender->GetListText()); };
    registry.LoadDatabaseList(mdl->GetAliases());

    BuildActions();
    BuildMenus();
    BuildToolBar();
    resize(800, 600);
    platform::AddIdleHandler(this, [this] { ApplicationIdle(); });
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, platform::Guarded([this] { ShowContextHelp(); }));
}

TVktSingleViewer::~TVktSingleViewer()
{
    if (g_viewer == this) g_viewer = nullptr;
    previewOperator_->SetPreview(nullptr);   // before the panel and its document go
    instance_.reset();   // the claim goes before the bases unbind
    MarkDestroying();
    SetDataObject(nullptr);
}

void TVktSingleViewer::BuildActions()
{
    ActDefaultPreview = MakeOwnAction(this, "ActDefaultPreview", "プレビュー初期化",
                                      "プレビュー初期化|プレビューの表示を初期化します。");
    ActShowHelp = MakeOwnAction(this, "ActShowHelp", "ヘルプ", "ヘルプ|ヘルプを表示します");
    ActShowHome = MakeOwnAction(this, "ActShowHome", "ホームページ", "ホームページ|ホームページを表示します。");
    ActSendMail = MakeOwnAction(this, "ActSendMail", "問い合わせ...", "問い合わせ...|Quilloreにメールを送ります。");
    ActCheckUpdate = MakeOwnAction(this, "ActCheckUpdate", "アップデート検索",
                                   "アップデート検索|インターネットに接続して更新情報を検索します。");
    ActAbort = MakeOwnAction(this, "ActAbort", "バージョン情報...", "バージョン情報...|バージョン情報を表示します。");
    ActShowPreviewToolBar = MakeOwnAction(this, "ActShowPreviewToolBar", "レイアウトのツールバー",
                                          "レイアウトのツールバー|テキスト、メモ、イメージなどをレイアウトに"
                                          "追加するツールバーの表示を切り替えます。");
    ActShowPreviewToolBar->setCheckable(true);
    const std::pair<QAction*, void (TVktSingleViewer::*)()> handlers[] = {
        {ActDefaultPreview, &TVktSingleViewer::ActDefaultPreviewExecute},
        {ActShowPreviewToolBar, &TVktSingleViewer::ActShowPreviewToolBarExecute},
        {ActShowHelp, &TVktSingleViewer::ActShowHelpExecute},
        {ActShowHome, &TVktSingleViewer::ActShowHomeExecute},
        {ActSendMail, &TVktSingleViewer::ActSendMailExecute},
        {ActCheckUpdate, &TVktSingleViewer::ActCheckUpdateExecute},
        {ActAbort, &TVktSingleViewer::ActAbortExecute}};
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, platform::Guarded([this, handler = handler](bool) { (this->*handler)(); }));
}

void TVktSingleViewer::BuildMenus()
{
    TVktCommandModule* module = VktCommandModule();
    mainMenu_ = new QMenuBar(this);
    mainMenu_->setObjectName("MainMenu");
    mainMenu_->setNativeMenuBar(false);
    layout()->setMenuBar(mainMenu_);
    // "-" is a separator; names of the own actions resolve to this window's.
    const auto addMenu = [&](const char* name, const char* caption, std::initializer_list<const char*> entries) {
        QMenu* menu = mainMenu_->addMenu(platform::ToQString(caption));
        menu->setObjectName(QString::fromLatin1(name));
        for (const char* entry : entries) {
            if (std::string_view(entry) == "-") {
                menu->addSeparator();
                continue;
            }
            QAction* action = module->ActionByName(entry);
            if (!action) action = findChild<QAction*>(QString::fromLatin1(entry), Qt::FindDirectChildrenOnly);
            if (action) menu->addAction(action);
        }
        module->WatchMenu(menu);
    };
    addMenu("MenuFile", "ファイル(&F)",
            {"ActNewDataBase", "ActAppendDataBase", "ActOpenDataBase", "-", "ActCloseDataBase", "-", "ActPreviewPrint"});
    addMenu("MenuEdit", "編集(&E)",
            {"ActViewSelAll", "ActViewSelRev", "-", "ActViewSelClear", "-", "ActNewData", "ActEditData",
             "ActAppendItem", "ActShowPreviewProperty", "ActChangeDataClass", "ActChangeDataProperty", "ActChangeDataAttribute",
             "ActAppendInventory", "ActReviveData", "-", "ActDeleteData", "ActDeleteInventory"});
    addMenu("MenuView", "表示(&V)",
            {"ActShowClassBar", "ActShowClassTree", "ActShowInventory", "ActShowPreview", "ActShowPrinterMargin",
             "ActShowPreviewToolBar", "ActDefaultPreview", "-", "ActShowViewFieldDialog"});
    addMenu("MenuTool", "ツール(&T)",
            {"ActShowOtherDataDialog", "ActShowCsvImportDialog", "ActShowCreateInventoryListDialog",
             "ActShowMHistToYHistDialog"});
    addMenu("MenuHelp", "ヘルプ(&H)",
            {"ActShowHelp", "-", "ActShowHome", "ActSendMail", "ActCheckUpdate", "-", "ActAbort"});
}

void TVktSingleViewer::BuildToolBar()
{
    TVktCommandModule* module = VktCommandModule();
    auto* bars = new QWidget(GetClient());
    bars->setObjectName("ToolBar");
    auto* rows = new QVBoxLayout(bars);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    const auto makeRow = [&](const char* name, std::initializer_list<const char*> entries) {
        auto* bar = new QToolBar(bars);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setIconSize(QSize(16, 16));
        bar->setFloatable(false);
        bar->setMovable(false);
        for (const char* entry : entries) {
            if (std::string_view(entry) == "-") {
                bar->addSeparator();
                continue;
            }
            QAction* action = module->ActionByName(entry);
            if (!action) action = findChild<QAction*>(QString::fromLatin1(entry), Qt::FindDirectChildrenOnly);
            if (action) bar->addAction(action);
        }
        rows->addWidget(bar);
        return bar;
    };
    toolBar1_ = makeRow("ToolBarRow1",
                        {"ActNewDataBase", "ActAppendDataBase", "ActOpenDataBase", "-", "ActCloseDataBase", "-",
                         "ActShowClassTree", "ActShowClassBar", "ActShowInventory", "ActShowPreview", "-",
                         "ActEditData", "ActNewData", "ActDeleteData", "ActReviveData", "ActDeleteInventory"});
    toolBar2_ = makeRow("ToolBarRow2",
                        {"ActAppendItem", "ActChangeDataClass", "ActChangeDataProperty", "ActChangeDataAttribute",
                         "ActAppendInventory", "-", "ActShowPreviewProperty", "ActShowPrinterMargin",
                         "ActDefaultPreview", "-", "ActPreviewPrint"});
    previewOperator_ = new TPreviewOperator(toolBar2_);
    previewOperator_->setFixedWidth(kPreviewOperatorWidth);
    toolBar2_->addWidget(previewOperator_)->setObjectName("PreviewOperator");
    auto* selecter = new TLayoutSelecter(toolBar2_);
    previewFileSelecter_ = selecter;
    previewFileSelecter_->setObjectName("PreviewFileSelecter");
    platform::SetHint(*previewFileSelecter_, "|プレビュータイプ変更");
    // The item reads its name; the "name=file" item is its data.
    for (const char* item : kPresetItems) {
        const QString full = platform::ToQString(item);
        previewFileSelecter_->addItem(NamePart(full), full);
    }
    selecter->FitToNames();
    previewFileSelecter_->setCurrentIndex(0);
    connect(previewFileSelecter_, &QComboBox::activated, this,
            platform::Guarded([this](int) { PreviewFileSelecterChange(); }));
    toolBar2_->addWidget(previewFileSelecter_);
    static_cast<QVBoxLayout*>(GetClient()->layout())->insertWidget(0, bars);
}

TPreview* TVktSingleViewer::GetLayoutDocument() const
{
    const TVktPreview* panel = GetVktPanel()->GetPreview();
    return panel ? panel->GetPreview() : nullptr;
}

std::string TVktSingleViewer::LayoutFile(int index) const
{
    const QString item = previewFileSelecter_->itemData(index).toString();
    return platform::FromQString(item.mid(item.indexOf(QLatin1Char('=')) + 1));
}

void TVktSingleViewer::setVisible(bool visible)
{
    if (!visible || shown_) {
        TVktView::setVisible(visible);
        return;
    }
    shown_ = true;
    FormShow();
    TVktView::setVisible(true);   // restores the bounds (and LoadLayout) before showing
    qCDebug(VktStartup, "bounds restored");
    ApplyPanelSizes();
    if (splash_) splash_->hide();
    qCDebug(VktStartup, "main window shown");
}

void TVktSingleViewer::FormShow()
{
    TVktModule* mdl = VktMdl();
    if (splash_) {
        splash_->SetImage(TSplash::StartPicture());
        splash_->show();
        splash_->repaint();
        qCDebug(VktStartup, "splash shown");
    }
    if (!mdl->GetWindowsSupported()) {
        platform::Services().MessageBox("このバージョンのWindowsは対応していません。", mdl->GetProductName(),
                                        platform::MsgIcon::Stop, platform::MsgButtons::Ok, platform::MsgAnswer::Ok);
        // Ends the loop without the close sequence.
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        qCDebug(VktStartup, "unsupported platform: exit queued");
        return;
    }
    TVktPanel* panel = GetVktPanel();
    panel->Setup();
    previewOperator_->SetPreview(GetLayoutDocument());
    platform::PumpEvents();
    qCDebug(VktStartup, "panels set up");
    SetHelpContexts();
    previewFileSelecter_->setCurrentIndex(0);
    PreviewFileSelecterChange();
    qCDebug(VktStartup, "first layout loaded");
    VktCommandModule()->SetCurrentPanel(panel);
    qCDebug(VktStartup, "current panel set");
    if (!(firstStartSample_ && OpenFirstStartSample()) && reopenLast_) OpenLastDatabase();
    // The check's request is set up once the window is up, not inside the show.
    QTimer::singleShot(0, this, [this, mdl] {
        mdl->StartUpdateCheck(false, [guard = QPointer<TVktSingleViewer>(this)](THTTPThread* sender) {
            if (guard) guard->UpdateNotice(sender);
        });
        qCDebug(VktStartup, "update check started");
    });
}

bool TVktSingleViewer::OpenFirstStartSample()
{
    // What cannot be made leaves the window as it was; the making says why, once (it is not tried
    // again), the guard what was raised.
    bool opened = false;
    platform::Guard([&opened] {
        TVktModule* mdl = VktMdl();
        platform::BusyCursor busy;
        if (!MakeSampleOnFirstStart(VktApplication(), mdl->SampleMemory(), mdl->GetDataFolder(),
                                    mdl->GetSamplePictureFolder()))
            return;
        VktCommandModule()->SwitchDatabase(kSampleKitchenName, false);
        opened = true;
        qCDebug(VktStartup, "sample kitchen made and opened");
    });
    return opened;
}

void TVktSingleViewer::OpenLastDatabase()
{
    platform::Guard([] {
        const std::string name = VktMdl()->GetLastDatabase();
        if (name.empty() || VktApplication().IndexOf(name) < 0) return;
        platform::BusyCursor busy;
        VktCommandModule()->SwitchDatabase(name, false);
        qCDebug(VktStartup, "last database opened");
    });
}

void TVktSingleViewer::SetHelpContexts()
{
    const TVktPanel* panel = GetVktPanel();
    if (const TClassFilterBar* bar = panel->GetClassFilterBar()) SetHelpContext(bar->GetClassBar(), 4384);
    if (const TClassFilterView* view = panel->GetClassFilterView()) {
        SetHelpContext(view->GetClassView(), 4384);
        SetHelpContext(view->GetFilterSelector(), 4400);
    }
    if (const TInventoryView* inventory = panel->GetInventoryView()) SetHelpContext(inventory->GetInvListView(), 4368);
    TDataViewer* viewer = panel->GetDataViewer();
    if (!viewer) return;
    SetHelpContext(viewer->GetDataView(), 4368);
    viewer->WhenEditorBuilt([](TDataEditor* editor) {
        SetHelpContext(editor, 4144);
        SetHelpContext(editor->GetKernelEditPanel(), 4880);
        const TDetailEditPanel* detail = editor->GetDetailEditPanel();
        SetHelpContext(detail->GetTab("TabKernel"), 4880);
        SetHelpContext(detail->GetDealerEditPanel(), 4912);
        SetHelpContext(detail->GetItemEditPanel(), 4896);
        SetHelpContext(detail->GetTab("TabMemo"), 4928);
        SetHelpContext(detail->GetTab("TabImage"), 4944);
        SetHelpContext(detail->GetTab("TabAttribute"), 4960);
        SetHelpContext(detail->GetItemChartPanel(), 5008);
        const QTabWidget* history = detail->GetHistoryChartPanel()->GetPageControl();
        SetHelpContext(history->widget(0), 4976);
        SetHelpContext(history->widget(1), 4992);
    });
}

void TVktSingleViewer::ShowContextHelp()
{
    for (QWidget* w = QApplication::focusWidget(); w && w != this; w = w->parentWidget()) {
        const QVariant context = w->property(kHelpContextProperty);
        if (context.isValid()) {
            platform::ShowHelp(context.toInt());
            return;
        }
    }
    platform::ShowHelpContents();
}

void TVktSingleViewer::FormCloseQuery()
{
    TVktObject* open = GetDataObject();
    try {
        VktMdl()->WriteLastDatabase(open && open->IsValid() ? open->GetName() : std::string());
    } catch (const platform::FileError&) {
        // the list's write below tells the user that the settings cannot be written
    }
    if (TVktObject* obj = GetDataObject(); obj && obj->IsValid()) {
        obj->Close();
        SetDataObject(nullptr);
    }
    VktMdl()->WriteAliases(VktApplication().GetListText());
    // The modified layout is saved, not loaded again: the program ends, and a loaded layout's
    // database containers would query the still open database for the whole report.
    if (TPreview* document = GetLayoutDocument()) {
        try {
            SaveModifiedLayout(*document);
        } catch (const std::exception&) {
            // the layout document reports its own failures
        }
        document->SetModified(false);
    }
}

void TVktSingleViewer::closeEvent(QCloseEvent* event)
{
    platform::Guard([this] { FormCloseQuery(); });   // never refuses the close
    TVktView::closeEvent(event);                      // done(): the bounds are stored
}

void TVktSingleViewer::keyPressEvent(QKeyEvent* event)
{
    // A main window: Esc does not close it and Enter presses no default button.
    QWidget::keyPressEvent(event);
}

void TVktSingleViewer::PreviewFileSelecterChange()
{
    TPreview* document = GetLayoutDocument();
    if (!document) return;
    const platform::BusyCursor busy;
    try {
        SaveModifiedLayout(*document);
        selectedLayout_ = previewFileSelecter_->currentIndex();
        const std::string file = LayoutFile(selectedLayout_);
        const std::string userCopy = VktMdl()->GetDataFolder() + file;
        loadedLayout_.clear();
        GetVktPanel()->GetPreview()->LoadLayout(QFileInfo::exists(platform::ToQString(userCopy))
                                                    ? userCopy
                                                    : VktMdl()->GetShippedFolder() + "layouts/" + file);
        loadedLayout_ = document->SaveToBytes();
    } catch (const std::exception&) {
        // the layout document reports its own failures
    }
    document->SetModified(false);
}

void TVktSingleViewer::SaveModifiedLayout(TPreview& document)
{
    if (selectedLayout_ >= 0 && document.GetModified() && document.SaveToBytes() != loadedLayout_)
        document.SaveToFile(VktMdl()->GetDataFolder() + LayoutFile(selectedLayout_));
}

void TVktSingleViewer::ApplicationIdle()
{
    const bool preview = GetVktPanel()->GetPreviewMode();
    previewFileSelecter_->setEnabled(preview);
    previewOperator_->setEnabled(preview);
    ActDefaultPreview->setEnabled(preview);
    ActShowPreviewToolBar->setEnabled(preview);
    if (const TVktPreview* designer = GetVktPanel()->GetPreview())
        ActShowPreviewToolBar->setChecked(designer->GetToolBarVisible());
}

void TVktSingleViewer::ActShowPreviewToolBarExecute()
{
    if (TVktPreview* designer = GetVktPanel()->GetPreview())
        designer->SetToolBarVisible(ActShowPreviewToolBar->isChecked());
}

void TVktSingleViewer::UpdateNotice(THTTPThread*) { ShowUpdateNotice(); }

void TVktSingleViewer::ActDefaultPreviewExecute()
{
    TPreview* document = GetLayoutDocument();
    if (!document || selectedLayout_ < 0) return;
    document->SetModified(false);
    std::remove((VktMdl()->GetDataFolder() + LayoutFile(selectedLayout_)).c_str());
    PreviewFileSelecterChange();
}

void TVktSingleViewer::ActShowHelpExecute() { platform::ShowHelpContents(); }

void TVktSingleViewer::ActShowHomeExecute() { platform::Services().OpenUrl(VktMdl()->GetHomePage()); }

void TVktSingleViewer::ActSendMailExecute()
{
    platform::Services().OpenUrl("mailto:" + VktMdl()->GetMail() + "?Subject=VKT USER");
}

void TVktSingleViewer::ActCheckUpdateExecute() { ShowInternetCheckDlg(); }

void TVktSingleViewer::ActAbortExecute()
{
    if (!splash_) return;
    // The About picture is read when the box first opens, not while the program starts.
    if (!aboutPicture_) {
        splash_->SetImage(TSplash::AboutPicture());
        aboutPicture_ = true;
    }
    splash_->SetMode(1);
    splash_->exec();
    splash_->SetMode(0);
}

void TVktSingleViewer::Activate(const std::string& token)
{
    // Qt's Wayland platform hands a token in the environment to the compositor with the next
    // activation request, and then unsets it: it goes with the window that is to take the input.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == this) modal = nullptr;
    const auto useToken = [&] {
        if (!token.empty()) qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    };
    raise();
    if (!modal) useToken();
    activateWindow();
    if (modal) {
        modal->raise();
        useToken();
        modal->activateWindow();
    }
}

void TVktSingleViewer::LoadLayout(platform::SettingsKey& key)
{
    const std::string name = platform::FromQString(objectName());
    const auto read = [&](const char* suffix) -> std::optional<int> {
        if (!key.ValueExists(name + suffix)) return std::nullopt;
        try {
            return key.ReadInteger(name + suffix);
        } catch (const platform::ConvertError&) {
            return std::nullopt;
        }
    };
    classPanel_ = read("ClassPanel");
    filterPanel_ = read("FilterPanel");
    editorPanel_ = read("EditorPanel");
    TVktPanel* panel = GetVktPanel();
    if (!panel->GetSetupDone()) return;
    if (const auto kernel = read("ShowKernelEditor")) {
        panel->GetDataViewer()->WhenEditorBuilt([sideBySide = *kernel != 0](TDataEditor* editor) {
            if (sideBySide) editor->ShowSideBySide();
            else editor->ShowCompact();
        });
    }
    if (read("ClassBar") == 1) VktCommandModule()->ActShowClassBar->trigger();
    const bool toolBar = read("PreviewToolBar") == 1;
    panel->GetPreview()->SetToolBarVisible(toolBar);
    ActShowPreviewToolBar->setChecked(toolBar);
    if (isVisible()) ApplyPanelSizes();
}

void TVktSingleViewer::ApplyPanelSizes()
{
    TVktPanel* panel = GetVktPanel();
    if (!panel->GetSetupDone()) return;
    if (classPanel_) panel->SetClassPanelWidth(*classPanel_);
    if (filterPanel_) panel->SetFilterPanelHeight(*filterPanel_);
    if (editorPanel_) panel->GetDataViewer()->SetEditorHeight(*editorPanel_);
}

void TVktSingleViewer::SaveLayout(platform::SettingsKey& key)
{
    const std::string name = platform::FromQString(objectName());
    const TVktPanel* panel = GetVktPanel();
    if (!panel->GetSetupDone()) return;
    const TDataViewer* viewer = panel->GetDataViewer();
    key.WriteInteger(name + "ClassPanel", panel->GetClassPanelWidth());
    key.WriteInteger(name + "FilterPanel", panel->GetFilterPanelHeight());
    key.WriteInteger(name + "EditorPanel", viewer->GetEditorHeight());
    // An editor never built keeps the arrangement stored before.
    if (const TDataEditor* editor = viewer->FindDataEditor())
        key.WriteInteger(name + "ShowKernelEditor", editor->GetCompact() ? 0 : 1);
    if (VktCommandModule()->ActShowClassBar->isChecked()) key.WriteInteger(name + "ClassBar", 1);
    else key.DeleteValue(name + "ClassBar");
    if (panel->GetPreview()->GetToolBarVisible()) key.WriteInteger(name + "PreviewToolBar", 1);
    else key.DeleteValue(name + "PreviewToolBar");
}

void TVktSingleViewer::DoAttach()
{
    TVktView::DoAttach();
    if (auto* app = platform::Application::Instance()) app->SetDisplayName(GetDataObject()->GetName());
}

void TVktSingleViewer::DoDetach()
{
    TVktView::DoDetach();
    if (auto* app = platform::Application::Instance())
        app->SetDisplayName(platform::FromQString(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()));
}

void TVktSingleViewer::DoRename()
{
    TVktView::DoRename();
    if (auto* app = platform::Application::Instance(); app && GetDataObject())
        app->SetDisplayName(GetDataObject()->GetName());
}

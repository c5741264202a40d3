#pragma once
// TVktSingleViewer: the main window. Menu bar, a tool bar of two rows with the layout selector, the
// main data panel and the status bar of TVktView. Most entries are the command module's actions;
// seven are its own (layout reset, the layout view's tool bar, help, home page, mail, update
// check, About).
//
// The first showing (FormShow, once) shows the splash, stops on an unsupported platform, sets up
// the panel, loads the first layout, makes the panel the command module's current one, opens the
// sample kitchen when this is the user's first start (SetFirstStartSample) or else the database
// open at the last close (SetReopenLastDatabase), starts the silent
// update check and restores the bounds, then closes the splash. Closing remembers the open
// database and closes it, writes the database list, saves a modified layout into the user's copy and stores the bounds; the
// destructor withdraws the single-instance claim.
//
// Layout selector items are "name=file"; a file is loaded from DataFolder (the user's copy) when
// there, else from layouts/ in ShippedFolder (the shipped copy). Values kept with the bounds: VktSingleViewer +
// ClassPanel, FilterPanel, EditorPanel, ShowKernelEditor, ClassBar and PreviewToolBar (1 when
// shown, deleted otherwise).
#include "shell/Fsplash.h"
#include "shell/Fvktview.h"
#include "shell/Usingleinstance.h"

#include <QPointer>

#include <memory>
#include <optional>
#include <string>

class QAction;
class QComboBox;
class QMenu;
class QMenuBar;
class QToolBar;
class THTTPThread;
class TPreview;
class TPreviewOperator;

class TVktSingleViewer : public TVktView {
    Q_OBJECT
public:
    static constexpr const char* kPresetItems[] = {"食材リスト=FoodList.xml", "原価率表=Recipe.xml",
                                                    "メニュー=Menu.xml"};
    static constexpr int kPreviewOperatorWidth = 146;

    // Takes over the single-instance claim (null: none, as in tests) and answers its activation.
    explicit TVktSingleViewer(std::unique_ptr<TSingleInstance> instance = nullptr, QWidget* parent = nullptr);
    ~TVktSingleViewer() override;

    // The splash window shown during the first showing and as About box; not owned.
    void SetSplash(TSplash* splash) { splash_ = splash; }
    TSplash* GetSplash() const { return splash_; }
    TSingleInstance* GetSingleInstance() const { return instance_.get(); }
    // On (the program; off in tests that show the window): the first showing makes the sample
    // kitchen and opens it when no database is registered and it was never made for this user.
    void SetFirstStartSample(bool on) { firstStartSample_ = on; }
    // On (the program; off in tests that show the window): the first showing opens the database
    // open when the window last closed, unless the sample was opened; one no longer registered is
    // left closed without a word.
    void SetReopenLastDatabase(bool on) { reopenLast_ = on; }

    QMenuBar* GetMainMenu() const { return mainMenu_; }
    QToolBar* GetToolBar(int row) const { return row == 0 ? toolBar1_ : toolBar2_; }
    QComboBox* GetPreviewFileSelecter() const { return previewFileSelecter_; }
    // The page and zoom strip beside the print button.
    TPreviewOperator* GetPreviewOperator() const { return previewOperator_; }
    int GetSelectedLayout() const { return selectedLayout_; }
    bool GetShown() const { return shown_; }
    // The layout document of the layout view; null before the panel's set-up.
    TPreview* GetLayoutDocument() const;
    // The file of item `index` ("FoodList.xml").
    std::string LayoutFile(int index) const;

    void setVisible(bool visible) override;

    // Raises the window and the active modal dialog (a minimised window stays minimised); `token`,
    // when given, is the desktop's activation token of the start that asked for it.
    void Activate(const std::string& token = {});

    // Handlers.
    void FormShow();
    void FormCloseQuery();
    void PreviewFileSelecterChange();
    void ApplicationIdle();
    void UpdateNotice(THTTPThread* sender);
    void ActDefaultPreviewExecute();
    // Shows or hides the layout view's tool bar (offered in layout mode).
    void ActShowPreviewToolBarExecute();
    void ActShowHelpExecute();
    void ActShowHomeExecute();
    void ActSendMailExecute();
    void ActCheckUpdateExecute();
    void ActAbortExecute();

    QAction* ActDefaultPreview = nullptr;
    QAction* ActShowPreviewToolBar = nullptr;
    QAction* ActShowHelp = nullptr;
    QAction* ActShowHome = nullptr;
    QAction* ActSendMail = nullptr;
    QAction* ActCheckUpdate = nullptr;
    QAction* ActAbort = nullptr;

protected:
    void LoadLayout(platform::SettingsKey& key) override;
    void SaveLayout(platform::SettingsKey& key) override;
    void DoAttach() override;
    void DoDetach() override;
    void DoRename() override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildActions();
    void BuildMenus();
    void BuildToolBar();
    void SetHelpContexts();
    // Sizes read by LoadLayout that need the laid-out window: applied when shown.
    void ApplyPanelSizes();
    // Writes the loaded layout into the user's copy of its file when it was modified; raises
    // what the document's save raises.
    void SaveModifiedLayout(TPreview& document);
    // F1: the help context of the focused widget or its nearest ancestor with one.
    void ShowContextHelp();
    // Makes and opens the sample kitchen of a first start (see SetFirstStartSample); whether it
    // was opened.
    bool OpenFirstStartSample();
    // Opens the database open at the last close (see SetReopenLastDatabase).
    void OpenLastDatabase();

    std::unique_ptr<TSingleInstance> instance_;
    QPointer<TSplash> splash_;
    QMenuBar* mainMenu_ = nullptr;
    QToolBar* toolBar1_ = nullptr;
    QToolBar* toolBar2_ = nullptr;
    QComboBox* previewFileSelecter_ = nullptr;
    TPreviewOperator* previewOperator_ = nullptr;
    int selectedLayout_ = -1;
    // The layout file's bytes of the layout as loaded: one not changed since is not saved (a user
    // copy equal to the shipped one would hide later shipped versions).
    std::string loadedLayout_;
    bool shown_ = false;
    bool aboutPicture_ = false;   // the splash holds the About picture
    bool firstStartSample_ = false;
    bool reopenLast_ = false;
    std::optional<int> classPanel_;
    std::optional<int> filterPanel_;
    std::optional<int> editorPanel_;
};

// The program's main window while it exists.
TVktSingleViewer* VktSingleViewer();

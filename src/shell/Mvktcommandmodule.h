#pragma once
// TVktCommandModule: the program's thirty commands as actions, the shared icon lists and the XML
// file filter. Every command works on the current main data panel and the database bound to it.
// One instance, made by the first main data panel (parented to the application object).
//
// Enabling is a pure function of the state (ActionRules); UpdateActions applies it to every
// action but ActSaveXml. It runs from a 150 ms timer, when a menu is about to show and after
// every command.
#include "data/Vktcodes.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QWidget;
class TVktObject;
class TVktPanel;

namespace platform {
class IconList;
}

// What the enabling rules read.
struct TCommandState {
    bool HasPanel = false;       // a current panel
    bool DatabaseValid = false;  // a valid database bound to it
    bool ReadOnly = false;       // that database was opened read-only (TVktObject::IsReadOnly)
    bool PreviewMode = false;
    bool InventoryMode = false;
    bool ClassBarShown = false;
    bool RowsMarked = false;     // marked rows in the record list (never in inventory mode)
    int SelectedClassType = ctRoot;   // TVktClassType of the tree's selected class (ctRoot: none)
    bool ClassLeaf = false;      // the tree's selected node has no children
    bool ListHasRows = false;    // the record list lists a record
    bool ListFocused = false;    // the record list has the keyboard focus
    bool EditChecked = false;    // ActEditData is checked now
    bool EditorShowsRecord = false;
    int EditorClassType = ctRoot;   // TVktClassType of the record in the editor
    bool InventoryHasRow = false;
    bool PropertyVisible = false;
    bool PrinterMarginShown = false;
    bool PrinterEnabled = false;
};

// The enabled and checked state of one action.
struct TActionRule {
    bool Enabled = false;
    bool Checked = false;
};

class TVktCommandModule : public QObject {
    Q_OBJECT
public:
    // The actions in rule order (ActSaveXml last: never touched by the rules).
    enum TActionIndex : int {
        aNewDataBase, aAppendDataBase, aOpenDataBase, aCloseDataBase, aNewData, aEditData, aDeleteData,
        aReviveData, aChangeDataClass, aAppendItem, aAppendInventory, aChangeDataAttribute,
        aChangeDataProperty, aDeleteInventory, aViewSelAll, aViewSelRev, aViewSelClear,
        aShowPreviewProperty, aShowPrinterMargin, aPreviewPrint, aShowInventory, aShowPreview,
        aShowClassTree, aShowClassBar, aShowViewFieldDialog, aShowCsvImportDialog,
        aShowCreateInventoryListDialog, aShowOtherDataDialog, aShowMHistToYHistDialog, aSaveXml,
        aActionCount
    };
    static constexpr const char* kXmlFilter = "XMLファイル|*.xml|全てのファイル|*.*";

    explicit TVktCommandModule(QObject* parent = nullptr);
    ~TVktCommandModule() override;

    // The rules of the table for one state (ActSaveXml's entry is unused).
    static std::array<TActionRule, aActionCount> ActionRules(const TCommandState& state);
    // The state of the current panel now.
    TCommandState CurrentState() const;
    void updateActions();
    void UpdateActions() { updateActions(); }

    TVktPanel* GetCurrentPanel() const { return currentPanel_.data(); }
    void SetCurrentPanel(TVktPanel* panel);
    // The valid database bound to the current panel; null when none.
    TVktObject* GetValidObject() const;

    // Steps 2-4 of switching database: close the bound one (with onlyValid: only a valid one),
    // bind the panel to `name`'s object, make it current.
    void SwitchDatabase(const std::string& name, bool onlyValid);

    QAction* GetAction(int index) const { return actions_.at(index); }
    const std::array<QAction*, aActionCount>& GetActions() const { return actions_; }
    QAction* ActionByName(const std::string& name) const;

    // The icon lists: commands (ImageList), filters (FilterIcons).
    const platform::IconList& GetImageList() const;
    const platform::IconList& GetFilterIcons() const;
    QTimer* GetUpdateTimer() const { return updateTimer_; }
    // Runs updateActions when the menu is about to show.
    void WatchMenu(QMenu* menu);

    // The actions.
    QAction* ActNewDataBase = nullptr;
    QAction* ActAppendDataBase = nullptr;
    QAction* ActOpenDataBase = nullptr;
    QAction* ActCloseDataBase = nullptr;
    QAction* ActNewData = nullptr;
    QAction* ActEditData = nullptr;
    QAction* ActDeleteData = nullptr;
    QAction* ActReviveData = nullptr;
    QAction* ActChangeDataClass = nullptr;
    QAction* ActAppendItem = nullptr;
    QAction* ActAppendInventory = nullptr;
    QAction* ActChangeDataAttribute = nullptr;
    QAction* ActChangeDataProperty = nullptr;
    QAction* ActDeleteInventory = nullptr;
    QAction* ActViewSelAll = nullptr;
    QAction* ActViewSelRev = nullptr;
    QAction* ActViewSelClear = nullptr;
    QAction* ActShowPreviewProperty = nullptr;
    QAction* ActShowPrinterMargin = nullptr;
    QAction* ActPreviewPrint = nullptr;
    QAction* ActShowInventory = nullptr;
    QAction* ActShowPreview = nullptr;
    QAction* ActShowClassTree = nullptr;
    QAction* ActShowClassBar = nullptr;
    QAction* ActShowViewFieldDialog = nullptr;
    QAction* ActShowCsvImportDialog = nullptr;
    QAction* ActShowCreateInventoryListDialog = nullptr;
    QAction* ActShowOtherDataDialog = nullptr;
    QAction* ActShowMHistToYHistDialog = nullptr;
    QAction* ActSaveXml = nullptr;

    // The handlers (the actions' triggered signals call these, then updateActions).
    void ActNewDataBaseExecute();
    void ActAppendDataBaseExecute();
    void ActOpenDataBaseExecute();
    void ActCloseDataBaseExecute();
    void ActNewDataExecute();
    void ActEditDataExecute();
    void ActDeleteDataExecute();
    void ActReviveDataExecute();
    void ActChangeDataClassExecute();
    void ActAppendItemExecute();
    void ActAppendInventoryExecute();
    void ActChangeDataAttributeExecute();
    void ActChangeDataPropertyExecute();
    void ActDeleteInventoryExecute();
    void ActViewSelAllExecute();
    void ActViewSelRevExecute();
    void ActViewSelClearExecute();
    void ActShowPreviewPropertyExecute();
    void ActShowPrinterMarginExecute();
    void ActPreviewPrintExecute();
    void ActShowInventoryExecute();
    void ActShowPreviewExecute();
    void ActShowClassTreeExecute();
    void ActShowClassBarExecute();
    void ActShowViewFieldDialogExecute();
    void ActShowCsvImportDialogExecute();
    void ActShowCreateInventoryListDialogExecute();
    void ActShowOtherDataDialogExecute();
    void ActShowMHistToYHistDialogExecute();
    void ActSaveXmlExecute();

private:
    QAction* MakeAction(int index, const char* name, const char* caption, const char* hint, int image,
                        bool checkable, void (TVktCommandModule::*handler)());
    void OpenDatabase(int mode);
    // The widget the keys went to before a menu took them: a menu bar opened by Alt takes the focus.
    QWidget* KeyboardFocus() const;

    std::array<QAction*, aActionCount> actions_{};
    QActionGroup* classGroup_ = nullptr;
    QTimer* updateTimer_ = nullptr;
    QPointer<TVktPanel> currentPanel_;
    QPointer<QWidget> focusBeforeMenu_;   // the last focus outside menus
};

// The program's command module; null until the first main data panel makes it.
TVktCommandModule* VktCommandModule();
// Makes the command module when there is none; it.
TVktCommandModule* CreateVktCommandModule();

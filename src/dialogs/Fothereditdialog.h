#pragma once
// TOtherEditDialog ("データベースの詳細"): one window over the master-data pages of a database:
// class icons, the class tree, forms, units, dealers, attribute items and user filters, one tab
// each. The dialog shows the tab's page, turns the pages' new, delete and move buttons into
// database operations, asks before deleting and before leaving or closing with an unsaved edit,
// and enables the pages' controls from one rule table. Esc never closes it (the editors take it);
// F1 opens the current tab's help.
//
// Enabling: the lookups the rules need (icon in use, class contents, unit and dealer use, the
// database's validity) are asked again only after a selection change or a change notice; an idle
// pass with nothing changed asks nothing.
#include "widgets/Fguipanel.h"

#include <string>

class QTabBar;
class QWidget;
class TAttributeEditPanel;
class TClassUnitsEdit;
class TDealerEditPanel;
class TIconEditPanel;
class TUnitsEditPanel;
class TUserFilterEdit;
class TVktObject;

// What the enable rules read.
struct TOtherEditState {
    int tab = 0;
    bool active = false;   // bound and valid
    int iconIndex = 0;
    int iconCount = 0;
    bool iconUsed = false;
    bool classSelected = false;
    int classDepth = 0;
    bool classBranchOrEmpty = false;
    bool classHasContents = false;
    bool classModified = false;
    int unitRow = -1;   // the list of the shown mode (forms or units)
    int unitRows = 0;
    int unitId = 0;
    int previousUnitId = 0;   // the id of the row above (0 none)
    bool unitUsed = false;
    bool unitModified = false;
    int dealerRow = -1;
    int dealerRows = 0;
    int dealerId = 0;
    int previousDealerId = 0;
    bool dealerUsed = false;
    bool dealerModified = false;
    int attrRow = -1;
    int attrRows = 0;
    int attrId = 0;
    bool attrModified = false;
    int filterIndex = -1;
    int filterCount = 0;
    bool filterModified = false;
};

struct TOtherEditEnables {
    bool iconLoadSave = false, iconDelete = false;
    bool classEdits = false, classNew = false, classChildNew = false, classDelete = false, classMove = false,
         classReturn = false;
    bool unitEdits = false, unitNew = false, unitDelete = false, unitReturn = false, unitUp = false, unitDown = false;
    bool dealerNew = false, dealerDelete = false, dealerReturn = false, dealerUp = false, dealerDown = false;
    bool attrNew = false, attrDelete = false, attrReturn = false, attrUp = false, attrDown = false;
    bool filterNew = false, filterChosen = false, filterChanged = false, filterUp = false, filterDown = false;
};

// The rule table. Key 1 of forms, units and dealers (the shared "---" row that new records take)
// is never deleted, moved or renamed, and nothing moves onto it.
TOtherEditEnables OtherEditEnables(const TOtherEditState& state);

class TOtherEditDialog : public TVktDialog {
    Q_OBJECT
public:
    enum TTab { tbIcon, tbClass, tbForm, tbUnit, tbDealer, tbAttribute, tbFilter, tbCount };
    static const char* const kLoadFilter;

    explicit TOtherEditDialog(QWidget* parent = nullptr);
    ~TOtherEditDialog() override;

    static std::string TabCaption(int tab);
    static std::string KindName(int tab);
    static int HelpContext(int tab) { return 5136 + 16 * tab; }

    // Shows a tab's page without asking about pending edits (the opening tab).
    void SetTab(int tab);
    int GetShownTab() const { return shownTab_; }
    // Any page holds an unsaved edit.
    bool HasPendingEdit() const;
    // Asks about a pending edit (naming the tab) and applies or discards it; nothing without one.
    void ResolvePendingEdit(int tab);

    void BtnDeleteClick();
    void BtnLoadClick();
    void BtnNewClick();
    // -1 up, 1 down: the current row of the shown list.
    void MoveRow(int delta);
    void BtnOkClick();

    // The enable rules applied once (what the idle handler does).
    void UpdateActions();
    TOtherEditState GetState() const { return state_; }
    // Number of lookup rounds (each asks the database).
    int GetLookupCount() const { return lookups_; }

    QTabBar* GetTabControl() const { return tabControl_; }
    TIconEditPanel* GetIconEditPanel() const { return iconEditPanel_; }
    TClassUnitsEdit* GetClassUnitsEdit() const { return classUnitsEdit_; }
    TDealerEditPanel* GetDealerEditPanel() const { return dealerEditPanel_; }
    TAttributeEditPanel* GetAttributeEditPanel() const { return attributeEditPanel_; }
    TUserFilterEdit* GetUserFilterEdit() const { return userFilterEdit_; }
    QWidget* GetPanel(int tab) const;

protected:
    void DoAttach() override;
    void DoDetach() override;
    void LoadLayout(platform::SettingsKey& key) override;
    void SaveLayout(platform::SettingsKey& key) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void TabControlChange(int index);
    void ShowTab(int tab);
    void RefillDealers();
    void RefillAttributes();
    void LoadDealer();
    void DealerReturn();
    void AttributeReturn();
    // The unit list of the shown tab (forms or units); null on other tabs.
    TUnitsEditPanel* ShownUnits() const;
    // Commits the shown page's pending edit (before its own new and move buttons act).
    void CommitShown();
    bool Active() const;
    void Lookup();
    std::string SelectionKey() const;

    QTabBar* tabControl_ = nullptr;
    TIconEditPanel* iconEditPanel_ = nullptr;
    TClassUnitsEdit* classUnitsEdit_ = nullptr;
    TDealerEditPanel* dealerEditPanel_ = nullptr;
    TAttributeEditPanel* attributeEditPanel_ = nullptr;
    TUserFilterEdit* userFilterEdit_ = nullptr;

    int shownTab_ = 0;
    bool settingTab_ = false;
    bool placed_ = false;
    bool writingAttribute_ = false;
    bool lookupDirty_ = true;
    std::string lookupKey_;
    int lookups_ = 0;
    TOtherEditState state_;
};

// The single dialog: made under the busy cursor on first use, released when the application ends.
TOtherEditDialog* OtherEditDlg();
// Binds the dialog to obj, shows the tab's page and shows the dialog modally.
void ShowOtherEditDlg(TVktObject* obj, int tab);

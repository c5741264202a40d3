#pragma once
// TClassUnitsEdit: the class, form and unit page of the master-data dialog. The class tree of the
// three families (their root is not listed, so they stand at the top) on the left; on the right
// the editor of the mode the host chose: the class editor, the form list or the unit list of the
// selected class's family. Every committed name or icon is written at once; the tree and lists
// follow the database's notices. A class edit is written for the class being left when the
// selection moves; a form or unit edit when the selection crosses into another family.
#include "core/Treeindex.h"
#include "gui/IconList.h"
#include "widgets/Fguipanel.h"

#include <string>
#include <unordered_map>

class QSplitter;
class QStackedWidget;
class QTreeWidgetItem;
class TClassEditPanel;
class TClassView;
class TUnitsEditPanel;

class TClassUnitsEdit : public TGuiPanel {
    Q_OBJECT
public:
    enum TEditMode { emClass = 0, emForm = 1, emUnit = 2 };
    static constexpr int kDesignWidth = 180;

    explicit TClassUnitsEdit(QWidget* parent, TPanelOwner* owner = nullptr);
    ~TClassUnitsEdit() override;

    int GetEditMode() const { return editMode_; }
    void SetEditMode(int mode);
    // The family (digit 1 of the selected class's tree index); -1 before a selection.
    int GetBranch() const { return branch_; }
    int GetClassModeWidth() const { return widths_[emClass]; }
    int GetFormModeWidth() const { return widths_[emForm]; }
    int GetUnitModeWidth() const { return widths_[emUnit]; }
    void SetClassModeWidth(int width) { SetModeWidth(emClass, width); }
    void SetFormModeWidth(int width) { SetModeWidth(emForm, width); }
    void SetUnitModeWidth(int width) { SetModeWidth(emUnit, width); }
    // The editor of the current mode holds an unsaved edit.
    bool IsModified() const;
    // The French name of a listed class.
    std::string GetFrenchName(int classId) const;
    // Number of full tree loads (a rename or an added class does not load the tree).
    int GetTreeLoadCount() const { return treeLoads_; }

    // The database's class icons into the tree and the icon grid.
    void LoadIcons();
    // Selects the class of selectId when listed, else the first family.
    void LoadClasses(int selectId = 0);
    void LoadForms();
    void LoadUnits();

    void ClassEditPanelBtnNewClick();
    void ClassEditPanelBtnChildNewClick();
    void ClassEditPanelBtnUpClick();
    void ClassEditPanelBtnDownClick();
    void FormEditPanelBtnNewClick();
    void UnitEditPanelBtnNewClick();

    TClassView* GetClassView() const { return classView_; }
    QSplitter* GetSplitter() const { return splitter_; }
    TClassEditPanel* GetClassEditPanel() const { return classEditPanel_; }
    TUnitsEditPanel* GetFormEditPanel() const { return formEditPanel_; }
    TUnitsEditPanel* GetUnitEditPanel() const { return unitEditPanel_; }
    TUnitsEditPanel* GetUnitsPanel(int mode) const { return mode == emForm ? formEditPanel_ : unitEditPanel_; }

protected:
    void DoAttach() override;
    void DoDetach() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Active() const;
    void SetModeWidth(int mode, int width);
    void ApplyWidth();
    void SplitterMoved();
    void ClassViewClassTreeChange();
    void ClassViewClassTreeChanging(QTreeWidgetItem* leaving, QTreeWidgetItem* entering);
    void ClassReturn();
    void UnitsReturn(TUnitsEditPanel* panel);
    // Runs a button's action after committing the current editor's pending edit.
    void CommitPending();
    void LoadList(TUnitsEditPanel* panel, int kind);
    // Adds the node of a class read from the database; false when it is not there.
    bool AddClassNode(int classId);
    // Adds an unnamed class as the last child of a node.
    void AddClassUnder(QTreeWidgetItem* parent);
    void ClassFieldChanged(int field, int classId);
    static int BranchOf(const TTreeIndex& tree);

    TClassView* classView_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QStackedWidget* editors_ = nullptr;
    TClassEditPanel* classEditPanel_ = nullptr;
    TUnitsEditPanel* formEditPanel_ = nullptr;
    TUnitsEditPanel* unitEditPanel_ = nullptr;

    int editMode_ = emClass;
    int branch_ = -1;
    int widths_[3] = {kDesignWidth, kDesignWidth, kDesignWidth};
    bool settingMode_ = false;
    // The class a class edit is written for while the selection moves (0: the selected one).
    int commitClassId_ = 0;
    int treeLoads_ = 0;
    bool deleting_ = false;
    // The tree index a class this page is adding takes (empty otherwise).
    TTreeIndex expectedTree_;
    // The class field this page is writing and its value: its notice needs no re-read.
    struct TWrite {
        int classId = 0;
        int field = 0;
        std::string text;
        int icon = 0;
    } writing_;
    platform::IconList classIcons_;
    // The French name (Class2) of every listed class, by class id.
    std::unordered_map<int, std::string> frenchNames_;
};

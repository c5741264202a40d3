#pragma once
// TRowGrid: a whole-row list on the small-grid model whose OnRowLeaving runs before the user moves
// the current row (a click on another row, a navigation key), while the row being left is still
// current; OnRowChange runs after the move. Row objects are record ids.
//
// TUnitsEditPanel: the forms or units of one family in a two-column list (name, French name) and
// the selected row's names in two editors, with the edit cycle of the class panel: the owner
// writes the part named by GetEditPart for GetEditID, the row whose names the editors hold.
// Selecting another row commits a pending edit for the row being left first.
#include "screens/Fclasseditpanel.h"
#include "screens/Fgridedit.h"

#include <QFrame>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class TExView;

class TRowGrid : public TGridEdit {
    Q_OBJECT
public:
    using TRowEvent = std::function<void(TRowGrid* Sender, int row)>;

    explicit TRowGrid(QWidget* parent = nullptr);

    int GetCurrentRow() const;
    // Moves the current row without the leaving hook (the caller commits first).
    void SetCurrentRow(int row);
    // The id of a row; 0 outside the rows.
    int GetRowID(int row) const;
    // The first row with the id; -1 when none.
    int FindID(int id) const;
    // Column widths: the client width shared equally, less the grid line.
    void FitColumns();

    TRowEvent OnRowLeaving;
    TRowEvent OnRowChange;

protected:
    bool GridMousePress(QMouseEvent* event) override;
    bool GridKeyPress(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Leaving(int target);
};

// One row of a master list: id, name and French name.
struct TUnitRow {
    int id = 0;
    std::string name;
    std::string name2;
};

// Replaces a list's rows (column 0 the name, column 1 the French name when the list has two) and
// makes current the row of selectId (not 0), else the same row index clamped; at least minRows
// rows stay (blank, id 0). The current row.
int FillRows(TGridEdit& grid, const std::vector<TUnitRow>& rows, int selectId, int minRows);

class TUnitsEditPanel : public TMasterEditPanel {
    Q_OBJECT
public:
    enum TEditPart { epName = 0, epName2 = 1 };

    explicit TUnitsEditPanel(QWidget* parent = nullptr);

    // One empty row; both editors emptied; no pending edit.
    void Clear();
    // Fills the first empty row (and the editors) or appends a row.
    void AddUnit(int id, const std::string& name, const std::string& name2);
    // Replaces the rows and selects the row of selectId, else the same row index (clamped). When
    // the selected row is the one the editors hold, they keep their text and any pending edit;
    // otherwise they show the row and a pending edit of the row that went is dropped.
    void SetRows(const std::vector<TUnitRow>& rows, int selectId);
    int GetCurrentID() const;
    int GetRowID(int row) const;
    int GetRowCount() const;
    // Selects the first row of the id and shows it; nothing when none has it.
    void SelectID(int id);
    // The id of the row whose names the editors show (0 none).
    int GetEditID() const { return editId_; }
    std::string GetName() const;
    void SetName(const std::string& text);
    std::string GetName2() const;
    void SetName2(const std::string& text);

    void ApplyEdit() override;
    void CancelEdit() override;

    void SetListCaption(const std::string& caption);
    TRowGrid* GetUnitsList() const { return unitsList_; }
    TExView* GetNameEdit() const { return nameEdit_; }
    TExView* GetName2Edit() const { return name2Edit_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowRow(int row);

    QLabel* listLabel_ = nullptr;
    TRowGrid* unitsList_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLabel* name2Label_ = nullptr;
    TExView* nameEdit_ = nullptr;
    TExView* name2Edit_ = nullptr;
    int editId_ = 0;
};

#pragma once
// TGridEdit: a column list over a QTableView whose horizontal header is the list's header control.
// Cells are painted by one delegate: selection colours by focus and application state, text 2
// pixels inside the cell, right-aligned unless the column is left-aligned, the second (Latin) font
// for columns that are not Shift-JIS. Rows are 16 pixels high; a list without rows shows one
// blank row that cannot be selected. With DrawFocusSelected on, the focused grid's current row
// gets a dotted focus rectangle from x = 1 to the end of its last visible column.
//
// The grid model (TGridModel) holds cell texts and two integers per row (an id and a mark) that
// the lists built on it share; a list may supply texts through GetCellText instead.
//
// In-place editing, when switched on: CanEdit decides per cell, GetEditText gives the editor's
// starting text, SetEditText takes the edited text (and may rewrite it) before it is stored. The
// cell being left is committed before the current cell moves.
#include "gui/LaidText.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFrame>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QHeaderView;
class QLineEdit;
class QPainter;
class TGridEdit;

struct TGridHeader {
    std::string Caption;
    int Width = 0;
    int ImageIndex = -1;
    bool ShiftJis = true;   // false: the Latin (second) font
    bool LeftAlign = true;  // false: right-aligned
};

class TGridHeaders {
public:
    int GetCount() const { return static_cast<int>(items_.size()); }
    TGridHeader& Get(int index) { return items_.at(index); }
    const TGridHeader& Get(int index) const { return items_.at(index); }
    void Add(TGridHeader header) { items_.push_back(std::move(header)); }
    void Clear() { items_.clear(); }

private:
    std::vector<TGridHeader> items_;
};

// One row of a grid: an id and a mark (or any two integers a list gives them).
struct TGridRowStruct {
    int ID = 0;
    int Selected = 0;
};

class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(TGridEdit* grid);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Rows actually held; the view always has at least one.
    int GetRowCount() const { return rowCount_; }
    // Sets the row count; cell texts and row objects follow it (new ones empty / zero).
    void SetRowCount(int count);
    void SetCell(int col, int row, const std::string& text);
    // Adds a row at the end with its cells by column: the view learns of one row, not of each cell.
    void AppendRow(const TGridRowStruct& row, std::vector<std::string> cells);
    // Replaces every row in one reset.
    void SetRows(std::vector<TGridRowStruct> rows, std::vector<std::vector<std::string>> cells);
    std::string GetCell(int col, int row) const;
    TGridRowStruct& Row(int row) { return rows_.at(row); }
    const TGridRowStruct& Row(int row) const { return rows_.at(row); }
    // Column structure changed (headers added or cleared).
    void ColumnsChanged();
    void HeaderChanged(int section);
    void Repaint();

private:
    TGridEdit* grid_;
    int rowCount_ = 0;
    int columns_ = 0;
    std::vector<std::vector<std::string>> cells_;   // [row][col]
    std::vector<TGridRowStruct> rows_;
};

class TGridTable;

class TGridEdit : public QFrame {
    Q_OBJECT
public:
    using TCellTextEvent = std::function<void(TGridEdit* Sender, int Col, int Row, std::string& Text)>;
    using TCellBoolEvent = std::function<void(TGridEdit* Sender, int Col, int Row, bool& Value)>;

    explicit TGridEdit(QWidget* parent = nullptr);
    ~TGridEdit() override;

    QTableView* GetStringGrid() const;
    QHeaderView* GetHeaderControl() const;
    TGridModel* GetModel() const { return model_; }
    const TGridHeaders& GetHeaders() const { return headers_; }

    // Headers removed; the grid keeps no column.
    void ClearColumns();
    // state: the header image index + 1 (0 no image).
    void AddColumn(const std::string& caption, int width, bool leftAlign, bool shiftJis, int state);
    std::vector<int> GetColWidths() const;
    void SetHeaderImage(int col, int imageIndex);
    // Header images by index (not owned; none: no images).
    void SetHeaderImages(const std::vector<QPixmap>* images) { headerImages_ = images; }
    const std::vector<QPixmap>* GetHeaderImages() const { return headerImages_; }

    // In-place editing (goEditing).
    bool GetEditing() const { return editing_; }
    void SetEditing(bool editing);
    bool GetCellEditable() const { return cellEditable_; }
    // Commits the cell whose editor is open; nothing without an editor.
    void CommitCell();
    bool IsEditorShown() const;

    // Grid or editor focused and the application active.
    bool IsActive() const;

    // The focus rectangle of the current row (goDrawFocusSelected); off by default.
    bool GetDrawFocusSelected() const { return drawFocusSelected_; }
    void SetDrawFocusSelected(bool on);

    // The height of the grid's rows; 0 leaves the blank row of an empty list unseen.
    void SetDefaultRowHeight(int height);

    // The text a cell shows (the model's text, passed through GetCellText).
    std::string CellText(int col, int row);

    TCellTextEvent OnGetCellText;
    TCellBoolEvent OnCanEdit;
    TCellBoolEvent OnGetRowSelected;
    TCellTextEvent OnGetEditText;
    TCellTextEvent OnSetEditText;

    // Cell texts are laid out once per font and drawn as laid out (on by default); off, each paint
    // shapes them anew. Both look the same.
    void SetTextLaidOnce(bool on);

    // Paints one cell (the delegate's work).
    void DrawCell(QPainter& painter, const QRect& cellRect, int col, int row, bool gridSelected);
    // Paints the current row's focus rectangle over the painted cells (when it is due).
    void DrawFocusRow(QPainter& painter);

protected:
    virtual void GetCellText(int col, int row, std::string& text, QRect& rect);
    virtual void CanEdit(int col, int row, bool& allowed);
    virtual void GetRowSelected(int col, int row, bool& selected);
    virtual void GetEditText(int col, int row, std::string& text);
    virtual void SetEditText(int col, int row, std::string& text);

    // The painter of the cell being drawn (null outside painting), for GetCellText overrides; the
    // cell's background is filled when it is first asked for.
    QPainter* PaintingPainter() const;

    // Grid input the lists handle; true when handled (the view then does nothing more).
    virtual bool GridMousePress(QMouseEvent*) { return false; }
    virtual bool GridMouseMove(QMouseEvent*) { return false; }
    virtual bool GridMouseRelease(QMouseEvent*) { return false; }
    virtual bool GridDoubleClick(QMouseEvent*) { return false; }
    virtual bool GridKeyPress(QKeyEvent*) { return false; }

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    friend class TGridModel;

    // The cell fonts (the widget's and the Latin one) with their line heights, made on first use.
    struct TCellFont {
        QFont Font;
        int Height = 0;
        // Texts of rows gone stay until the cache is many lists' worth.
        platform::LaidTexts Laid{20000};
    };
    TCellFont& CellFont(bool shiftJis);

    friend class TGridTable;
    friend class TGridDelegate;

    TGridTable* grid_ = nullptr;
    TGridModel* model_ = nullptr;
    TGridHeaders headers_;
    const std::vector<QPixmap>* headerImages_ = nullptr;
    bool editing_ = false;
    bool cellEditable_ = true;
    bool drawFocusSelected_ = false;
    bool textLaidOnce_ = true;
    QPainter* painter_ = nullptr;
    // The background of the cell being drawn, filled once PaintingPainter is asked for (the cell
    // is then drawn over what the override drew), else with its text.
    QRect cellRect_;
    QColor cellBack_;
    mutable bool cellFilled_ = false;
    std::optional<std::pair<TCellFont, TCellFont>> cellFonts_;
    QWidget* editor_ = nullptr;
    QModelIndex editorIndex_;
};

// TCellEditGrid: TGridEdit with the edit cycle of the detail frames' grids. Opening the in-place
// editor on a cell remembers the cell's text as the undo text; typing sets Modified while the
// editor's text differs from it. A commit of a modified cell (moving to another cell, leaving the
// grid, Enter) applies it for the cell being left, before the current cell moves: the typed text
// goes into the cell and OnApply runs while EditRow() is that cell's row. Ctrl+Enter applies
// without leaving the cell; Esc restores the undo text. A text the grid does not accept
// (AcceptsText) is never applied: it stays in the cell, Modified stays set, and when the commit
// came from a move inside the grid the editor opens on it again.
class TCellEditGrid : public TGridEdit {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit TCellEditGrid(QWidget* parent = nullptr);

    bool GetModified() const { return modified_; }
    // Stores the flag; OnModifiedChange when it changed.
    void SetModified(bool modified);
    const std::string& GetUndoText() const { return undoText_; }
    // The current cell takes the open editor's text; then the undo text := the cell's text,
    // Modified false, DoApply. Nothing happens when the grid does not accept the text.
    void ApplyEdit();
    // The current cell (and an open editor) gets the undo text back; Modified false.
    void CancelEdit();
    // The row whose edit is being applied; otherwise the current row (-1 none).
    int EditRow() const;
    int EditCol() const;

    TNotify OnApply;
    TNotify OnModifiedChange;

protected:
    virtual void DoApply();
    // Whether an edited text may be applied; any by default.
    virtual bool AcceptsText(int col, int row, const std::string& text) const;
    bool CellIsEditable(int col, int row);

    void GetEditText(int col, int row, std::string& text) override;
    void SetEditText(int col, int row, std::string& text) override;
    bool GridKeyPress(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* OpenLineEditor() const;
    void HookEditor();
    void Apply(int col, int row, const std::string& text);
    void ReopenLater(int col, int row);
    // Esc and Ctrl+Enter from the grid or its editor; true when taken.
    bool EditKey(int key, Qt::KeyboardModifiers modifiers);

    bool modified_ = false;
    std::string undoText_;
    int applyRow_ = -1;
    int applyCol_ = -1;
};

// The second font of Latin columns, derived from a widget's font.
QFont GridLatinFont(const QFont& base);

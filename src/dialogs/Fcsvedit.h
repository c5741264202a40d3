#pragma once
// TCsvEdit: the CSV grid editor. A QTableView over the cells of a TCsvEditCore (no per-cell
// objects), 16-pixel rows; a fixed row 0 is shown as the header (hosts use 0 or 1 fixed row and
// no fixed column). The current cell and the block anchor are the core's; the block is not drawn.
// While the grid has the focus a line editor is open on the current cell, its text selected when it
// takes the cell up (a move, a click outside the editor), so that typing replaces it; F2 puts the
// caret after the text's end instead; Left and Right leave the cell from the text's edge or the
// whole text selected. The cell takes the editor's text
// when the edit commits (cell left, Enter, Tab, focus out), Esc abandons it. Operations, Undo,
// Redo, GetCSV and copying commit an open edit first.
//
// Cell colours: current cell highlight; other cells of the current column RGB(255,220,191), of the
// current row RGB(191,220,255); the rest the window colour. Ctrl+C copies the block (anchor !=
// current) under the clipboard format "Csv" only; Ctrl+V pastes when that format is there;
// otherwise both act in the line editor. Dragging with the left button moves the current cell
// and scrolls the grid every 100 ms near or beyond its edges.
#include "dialogs/Ucsvgrid.h"
#include "dialogs/Ucsvtext.h"

#include <QAbstractTableModel>
#include <QFrame>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QTableView;
class TCsvEditView;

// A TCsvGrid as a read-only table: the rows below the fixed ones, the fixed row 0 as the header.
// The grid is not owned; Reset after its counts changed, Changed after its texts changed.
class TCsvGridModel : public QAbstractTableModel {
public:
    TCsvGridModel(const TCsvGrid* grid, QObject* parent) : QAbstractTableModel(parent), grid_(grid) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void Reset();
    void Changed();

private:
    const TCsvGrid* grid_;
};

class TCsvEdit : public QFrame {
    Q_OBJECT
public:
    using TCanChangeEvent = std::function<void(TCsvEdit* Sender, int Kind, bool& Allow)>;
    using TChangeEvent = std::function<void(TCsvEdit* Sender, int Kind)>;
    using TNotifyEvent = std::function<void(TCsvEdit* Sender)>;

    static constexpr const char* kClipboardFormat = "Csv";
    static constexpr int kRowHeight = 16;

    explicit TCsvEdit(QWidget* parent = nullptr);
    ~TCsvEdit() override;

    QTableView* GetStringGrid() const;
    QLineEdit* GetEditor() const { return editor_; }
    TCsvEditCore& Core() { return core_; }
    const TCsvEditCore& Core() const { return core_; }

    // Counts (fixed row included), fixed rows (0 or 1), cells (fixed row too), widths.
    int GetColCount() const { return core_.Grid().GetColCount(); }
    int GetRowCount() const { return core_.Grid().GetRowCount(); }
    void SetColCount(int count);
    void SetRowCount(int count);
    int GetFixedRows() const { return core_.Grid().GetFixedRows(); }
    void SetFixedRows(int count);
    std::string GetCell(int col, int row) const { return core_.Grid().GetCell(col, row); }
    void SetCell(int col, int row, const std::string& text);
    int GetColWidth(int col) const;
    void SetColWidth(int col, int width);
    void SetDefaultColWidth(int width);
    // Column sizing by dragging the header's dividers.
    void SetColSizing(bool on);

    // Current cell; the anchor follows unless `keepAnchor`. Scrolls it into view unless `!scroll`.
    int GetCol() const { return core_.GetCol(); }
    int GetRow() const { return core_.GetRow(); }
    void SetCurrent(int col, int row, bool keepAnchor = false, bool scroll = true);
    // The focus to the current cell's editor with its text selected: typing replaces the text.
    void EditCurrent();

    // Operations on the current cell (DoCanChange first, then the bound; DoChange when done).
    void InsertCol();
    void DeleteCol();
    void MoveColRight();
    void MoveColLeft();
    void InsertRow();
    void DeleteRow();
    void MoveRowUp();
    void MoveRowDown();
    void InsertCell();
    void DeleteCell();
    void Undo();
    void Redo();
    bool CanUndo() const { return core_.History().CanUndo(); }
    bool CanRedo() const { return core_.History().CanRedo(); }

    // Whole content: history cleared, DoChange(0).
    void SetCSV(std::string_view text);
    std::string GetCSV();
    // Reads a file in the named encoding, else the one its bytes show (see Ucsvtext); on an
    // error the grid, the history and the encoding stay and platform::FileError passes to the
    // caller.
    void LoadFromFile(const std::string& path, std::optional<TCsvEncoding> encoding = {});
    // Writes GetCSV in the encoding of the last file loaded or saved (code page 932 when none),
    // then clears the history; the encoding becomes the one written.
    void SaveToFile(const std::string& path);
    TCsvEncoding GetEncoding() const { return encoding_; }

    void CopyToClipboard();
    void PasteFromClipboard();
    void PasteText(std::string_view text);
    std::string GetSelectionCSV() { return core_.GetSelectionCSV(); }
    bool HasBlockSelection() const { return core_.HasBlockSelection(); }

    // Commits the open edit into the current cell (kind 11 when the text changed).
    void CommitEdit();

    TCanChangeEvent OnCanChange;
    TChangeEvent OnChange;
    TNotifyEvent OnSelectCell;   // after a cell became current
    TNotifyEvent OnExit;         // after the focus left the grid

    // The cell colours (RGB).
    static QColor CurrentColColor() { return QColor(255, 220, 191); }
    static QColor CurrentRowColor() { return QColor(191, 220, 255); }

    // One tick of the drag auto-scroll at a point in the grid's viewport coordinates.
    void AutoScroll(const QPoint& pos);

protected:
    virtual void DoCanChange(int kind, bool& allow);
    virtual void DoChange(int kind);

private:
    friend class TCsvEditView;

    template <class Op>
    void Operate(int kind, Op op);
    // Undo or Redo: applies a record and reports its kind.
    void StepHistory(int (TCsvEditCore::*step)());
    void Refresh();
    void TakeUpCell();
    void PlaceEditor();
    void MoveBy(int dCol, int dRow, bool keepAnchor);
    bool EditorKey(QKeyEvent* event);
    // The focus to the control after the table in tab order (before it when not `next`).
    void LeaveTable(bool next);
    void FocusLeft();
    int LeftCol() const;
    int TopRow() const;
    int VisibleColCount() const;
    int VisibleRowCount() const;
    void ApplyWidths();
    bool eventFilter(QObject* watched, QEvent* event) override;

    TCsvEditCore core_;
    TCsvEncoding encoding_ = TCsvEncoding::Sjis;
    TCsvEditView* view_ = nullptr;
    TCsvGridModel* model_ = nullptr;
    QLineEdit* editor_ = nullptr;
    QTimer timer_;
    std::string startText_;   // the cell's text when the editor last took it up
    bool dragging_ = false;
    bool refreshing_ = false;
    int defaultWidth_ = 64;
    std::vector<int> widths_;
};

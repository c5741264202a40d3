#include "dialogs/Fcsvedit.h"

#include "gui/Clipboard.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "widgets/Fvktform.h"

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

int TCsvGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(0, grid_->GetRowCount() - grid_->GetFixedRows());
}

int TCsvGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : grid_->GetColCount();
}

QVariant TCsvGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return platform::ToQString(grid_->GetCell(index.column(), index.row() + grid_->GetFixedRows()));
}

QVariant TCsvGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || grid_->GetFixedRows() == 0) return {};
    return platform::ToQString(grid_->GetCell(section, 0));
}

Qt::ItemFlags TCsvGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void TCsvGridModel::Reset()
{
    beginResetModel();
    endResetModel();
}

void TCsvGridModel::Changed()
{
    emit dataChanged(index(0, 0), index(std::max(0, rowCount() - 1), std::max(0, columnCount() - 1)));
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

namespace {

// Text 2 pixels inside the cell; a font too tall for that is centred instead of clipped.
void DrawCellText(QPainter& painter, const QRect& cell, const QString& text)
{
    if (text.isEmpty()) return;
    const QFontMetrics metrics(painter.font());
    const int top = metrics.height() <= cell.height() - 2 ? cell.top() + 2
                                                           : cell.top() + (cell.height() - metrics.height()) / 2;
    painter.setClipRect(cell.adjusted(2, 0, -2, 0));
    painter.drawText(QRect(cell.left() + 2, top, cell.width() - 4, metrics.height()),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// The fixed row: button face, a raised 1-pixel frame and the caption 2 pixels inside.
class TCsvHeader : public QHeaderView {
public:
    explicit TCsvHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        const QPalette& pal = palette();
        painter->save();
        painter->fillRect(rect, pal.color(QPalette::Button));
        painter->setPen(pal.color(QPalette::Light));
        painter->drawLine(rect.topLeft(), rect.topRight());
        painter->drawLine(rect.topLeft(), rect.bottomLeft());
        painter->setPen(pal.color(QPalette::Dark));
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->setPen(pal.color(QPalette::ButtonText));
        DrawCellText(*painter, rect, model() ? model()->headerData(logicalIndex, Qt::Horizontal).toString() : QString());
        painter->restore();
    }
};

class TCsvDelegate : public QStyledItemDelegate {
public:
    TCsvDelegate(TCsvEdit* edit, QObject* parent) : QStyledItemDelegate(parent), edit_(edit) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int col = index.column();
        const int row = index.row() + edit_->GetFixedRows();
        const QPalette& pal = option.palette;
        QColor back = pal.color(QPalette::Base);
        QColor fore = pal.color(QPalette::Text);
        if (col == edit_->GetCol() && row == edit_->GetRow()) {
            back = pal.color(QPalette::Highlight);
            fore = pal.color(QPalette::HighlightedText);
        } else if (col == edit_->GetCol()) {
            back = TCsvEdit::CurrentColColor();
        } else if (row == edit_->GetRow()) {
            back = TCsvEdit::CurrentRowColor();
        }
        painter->save();
        painter->fillRect(option.rect, back);
        painter->setPen(fore);
        DrawCellText(*painter, option.rect, index.data().toString());
        painter->restore();
    }

private:
    TCsvEdit* edit_;
};

} // namespace

// The view: mouse input selects and drags; the focus goes to the line editor.
class TCsvEditView : public QTableView {
public:
    TCsvEditView(TCsvEdit* edit) : QTableView(edit), edit_(edit) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const QModelIndex index = indexAt(event->position().toPoint());
        edit_->editor_->setFocus(Qt::MouseFocusReason);
        if (index.isValid())
            edit_->SetCurrent(index.column(), index.row() + edit_->GetFixedRows(), platform::Services().ShiftDown());
        // A click outside the open editor takes the cell up afresh: typing replaces its text. (A
        // click in the editor reaches the editor and places the caret.)
        edit_->editor_->selectAll();
        edit_->dragging_ = event->button() == Qt::LeftButton;
        if (edit_->dragging_) edit_->timer_.start();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!edit_->dragging_) return;
        const QPoint pos = event->position().toPoint();
        if (!viewport()->rect().contains(pos)) return;
        const int col = columnAt(pos.x());
        const int row = rowAt(pos.y());
        edit_->SetCurrent(col >= 0 ? col : edit_->GetCol(), row >= 0 ? row + edit_->GetFixedRows() : edit_->GetRow(),
                          true);
    }
    void mouseReleaseEvent(QMouseEvent*) override
    {
        edit_->dragging_ = false;
        edit_->timer_.stop();
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {}
    void focusInEvent(QFocusEvent*) override
    {
        // The editor is hidden while the grid has no focus, and a hidden widget takes none.
        edit_->PlaceEditor();
        edit_->editor_->setFocus(Qt::OtherFocusReason);
    }
    void scrollContentsBy(int dx, int dy) override
    {
        QTableView::scrollContentsBy(dx, dy);
        edit_->PlaceEditor();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!edit_->EditorKey(event)) QTableView::keyPressEvent(event);
    }

private:
    TCsvEdit* edit_;
};

TCsvEdit::TCsvEdit(QWidget* parent) : QFrame(parent)
{
    setObjectName("CsvEdit");
    view_ = new TCsvEditView(this);
    view_->setObjectName("StringGrid");
    view_->setFont(VktFormFont());
    model_ = new TCsvGridModel(&core_.Grid(), this);
    view_->setHorizontalHeader(new TCsvHeader(view_));
    view_->setModel(model_);
    view_->setItemDelegate(new TCsvDelegate(this, view_));
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setMinimumSectionSize(kRowHeight);
    view_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view_->horizontalHeader()->setFixedHeight(kRowHeight + 1);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->horizontalHeader()->setDefaultSectionSize(defaultWidth_);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->hide();
    view_->setSelectionMode(QAbstractItemView::NoSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view_->setFocusPolicy(Qt::StrongFocus);
    connect(view_->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int col, int, int width) {
        if (refreshing_ || col < 0) return;
        if (static_cast<int>(widths_.size()) <= col) widths_.resize(static_cast<std::size_t>(col) + 1, 0);
        widths_[static_cast<std::size_t>(col)] = width;
        PlaceEditor();
    });

    editor_ = new QLineEdit(view_->viewport());
    editor_->setObjectName("InplaceEdit");
    editor_->setFrame(false);
    editor_->setFont(VktFormFont());
    editor_->hide();
    editor_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFocusProxy(view_);

    timer_.setInterval(100);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (dragging_) AutoScroll(view_->viewport()->mapFromGlobal(QCursor::pos()));
    });
    Refresh();
}

TCsvEdit::~TCsvEdit() = default;

QTableView* TCsvEdit::GetStringGrid() const { return view_; }

void TCsvEdit::SetColCount(int count)
{
    CommitEdit();
    core_.Grid().SetColCount(count);
    core_.ClampCurrent();
    Refresh();
}

void TCsvEdit::SetRowCount(int count)
{
    CommitEdit();
    core_.Grid().SetRowCount(count);
    core_.ClampCurrent();
    Refresh();
}

void TCsvEdit::SetFixedRows(int count)
{
    count = std::clamp(count, 0, 1);   // the header row only
    core_.Grid().SetFixedRows(count);
    if (core_.Grid().GetRowCount() <= count) core_.Grid().SetRowCount(count + 1);
    view_->horizontalHeader()->setVisible(count > 0);
    core_.ClampCurrent();
    Refresh();
}

void TCsvEdit::SetCell(int col, int row, const std::string& text)
{
    core_.Grid().SetCell(col, row, CellText(text));
    if (col == GetCol() && row == GetRow()) TakeUpCell();
    model_->Changed();
}

int TCsvEdit::GetColWidth(int col) const { return view_->columnWidth(col); }

void TCsvEdit::SetColWidth(int col, int width)
{
    if (col < 0) return;
    if (static_cast<int>(widths_.size()) <= col) widths_.resize(static_cast<std::size_t>(col) + 1, 0);
    widths_[static_cast<std::size_t>(col)] = width;
    view_->setColumnWidth(col, width);
}

void TCsvEdit::SetDefaultColWidth(int width)
{
    defaultWidth_ = width;
    view_->horizontalHeader()->setDefaultSectionSize(width);
    ApplyWidths();
}

void TCsvEdit::SetColSizing(bool on)
{
    view_->horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}

void TCsvEdit::ApplyWidths()
{
    const bool was = refreshing_;
    refreshing_ = true;
    for (int col = 0; col < GetColCount(); ++col) {
        const auto i = static_cast<std::size_t>(col);
        view_->setColumnWidth(col, i < widths_.size() && widths_[i] > 0 ? widths_[i] : defaultWidth_);
    }
    refreshing_ = was;
}

void TCsvEdit::Refresh()
{
    refreshing_ = true;
    if (view_->horizontalHeader()->count() != model_->columnCount() || view_->verticalHeader()->count() != model_->rowCount())
        model_->Reset();
    else
        model_->Changed();
    refreshing_ = false;
    ApplyWidths();
    TakeUpCell();
}

void TCsvEdit::TakeUpCell()
{
    startText_ = GetCell(GetCol(), GetRow());
    editor_->setText(platform::ToQString(startText_));
    editor_->selectAll();
    PlaceEditor();
}

void TCsvEdit::PlaceEditor()
{
    const QModelIndex index = model_->index(GetRow() - GetFixedRows(), GetCol());
    const QRect rect = index.isValid() ? view_->visualRect(index) : QRect();
    const bool show = rect.isValid() && (editor_->hasFocus() || view_->hasFocus());
    if (show) editor_->setGeometry(rect.adjusted(1, 1, -1, -1));
    editor_->setVisible(show);
}

void TCsvEdit::SetCurrent(int col, int row, bool keepAnchor, bool scroll)
{
    col = std::clamp(col, 0, GetColCount() - 1);
    row = std::clamp(row, std::min(GetFixedRows(), GetRowCount() - 1), GetRowCount() - 1);
    const bool moved = col != GetCol() || row != GetRow();
    if (moved) CommitEdit();
    core_.SetCurrent(col, row, keepAnchor);
    const QModelIndex index = model_->index(row - GetFixedRows(), col);
    if (index.isValid() && scroll) view_->scrollTo(index);
    if (moved) TakeUpCell();
    else PlaceEditor();
    view_->viewport()->update();
    if (OnSelectCell) OnSelectCell(this);
}

void TCsvEdit::EditCurrent()
{
    view_->setFocus(Qt::OtherFocusReason);
    editor_->selectAll();
}

void TCsvEdit::CommitEdit()
{
    const std::string text = platform::FromQString(editor_->text());
    if (text == GetCell(GetCol(), GetRow())) return;
    core_.CommitEdit(GetCol(), GetRow(), startText_, text);
    editor_->setText(platform::ToQString(GetCell(GetCol(), GetRow())));
    model_->Changed();
}

void TCsvEdit::DoCanChange(int kind, bool& allow)
{
    if (OnCanChange) OnCanChange(this, kind, allow);
}

void TCsvEdit::DoChange(int kind)
{
    if (OnChange && kind != 11) OnChange(this, kind);
}

template <class Op>
void TCsvEdit::Operate(int kind, Op op)
{
    bool allow = true;
    DoCanChange(kind, allow);
    if (!allow) return;
    CommitEdit();
    if (!(core_.*op)()) return;
    Refresh();
    SetCurrent(GetCol(), GetRow(), true);
    DoChange(kind);
}

void TCsvEdit::InsertCol() { Operate(1, &TCsvEditCore::InsertCol); }
void TCsvEdit::DeleteCol() { Operate(2, &TCsvEditCore::DeleteCol); }
void TCsvEdit::MoveColRight() { Operate(3, &TCsvEditCore::MoveColRight); }
void TCsvEdit::MoveColLeft() { Operate(4, &TCsvEditCore::MoveColLeft); }
void TCsvEdit::InsertRow() { Operate(5, &TCsvEditCore::InsertRow); }
void TCsvEdit::DeleteRow() { Operate(6, &TCsvEditCore::DeleteRow); }
void TCsvEdit::MoveRowUp() { Operate(7, &TCsvEditCore::MoveRowUp); }
void TCsvEdit::MoveRowDown() { Operate(8, &TCsvEditCore::MoveRowDown); }
void TCsvEdit::InsertCell() { Operate(9, &TCsvEditCore::InsertCell); }
void TCsvEdit::DeleteCell() { Operate(10, &TCsvEditCore::DeleteCell); }

void TCsvEdit::Undo() { StepHistory(&TCsvEditCore::Undo); }
void TCsvEdit::Redo() { StepHistory(&TCsvEditCore::Redo); }

void TCsvEdit::StepHistory(int (TCsvEditCore::*step)())
{
    CommitEdit();
    const int kind = (core_.*step)();
    if (kind == 0) return;
    Refresh();
    SetCurrent(GetCol(), GetRow());
    DoChange(kind);
}

void TCsvEdit::SetCSV(std::string_view text)
{
    core_.SetCSV(text);
    Refresh();
    DoChange(0);
}

std::string TCsvEdit::GetCSV()
{
    CommitEdit();
    return ::GetCSV(core_.Grid());
}

void TCsvEdit::LoadFromFile(const std::string& path, std::optional<TCsvEncoding> encoding)
{
    core_.Replace([&](TCsvGrid& grid) { encoding_ = ReadCsvFile(path, grid, encoding); });
    Refresh();
    DoChange(0);
}

void TCsvEdit::SaveToFile(const std::string& path)
{
    encoding_ = WriteCsvFile(path, GetCSV(), encoding_);
    core_.History().Clear();
}

void TCsvEdit::CopyToClipboard()
{
    CommitEdit();
    platform::Clipboard::SetData(kClipboardFormat, core_.GetSelectionCSV());
}

void TCsvEdit::PasteFromClipboard()
{
    if (!platform::Clipboard::HasFormat(kClipboardFormat)) return;
    std::string text = platform::Clipboard::GetData(kClipboardFormat);
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    PasteText(text);
}

void TCsvEdit::PasteText(std::string_view text)
{
    CommitEdit();
    core_.PasteText(text);
    model_->Changed();
    TakeUpCell();
}

void TCsvEdit::MoveBy(int dCol, int dRow, bool keepAnchor)
{
    SetCurrent(GetCol() + dCol, GetRow() + dRow, keepAnchor);
}

bool TCsvEdit::EditorKey(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if ((event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) && ctrl) {
        // Tab moves between cells; Ctrl+Tab leaves the table (with Shift backwards).
        CommitEdit();
        LeaveTable(event->key() == Qt::Key_Tab && !shift);
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        editor_->setText(platform::ToQString(GetCell(GetCol(), GetRow())));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: CommitEdit(); return true;
    case Qt::Key_F2:
        // Edits the cell's text: the caret after its end, nothing selected.
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier)) return false;
        editor_->end(false);
        return true;
    case Qt::Key_Tab: MoveBy(1, 0, false); return true;
    case Qt::Key_Backtab: MoveBy(-1, 0, false); return true;
    case Qt::Key_Up: MoveBy(0, -1, shift); return true;
    case Qt::Key_Down: MoveBy(0, 1, shift); return true;
    case Qt::Key_PageUp: MoveBy(0, -std::max(1, VisibleRowCount()), shift); return true;
    case Qt::Key_PageDown: MoveBy(0, std::max(1, VisibleRowCount()), shift); return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        // The arrows leave the cell from its edge, or from the whole text selected as the cell was
        // taken up; within the text they move the caret.
        const bool left = event->key() == Qt::Key_Left;
        const bool whole = editor_->selectedText() == editor_->text();
        const bool edge = !editor_->hasSelectedText() &&
                          editor_->cursorPosition() == (left ? 0 : editor_->text().size());
        if (ctrl || !(whole || edge)) return false;
        MoveBy(left ? -1 : 1, 0, shift);
        return true;
    }
    case Qt::Key_C:
        if (!ctrl || !HasBlockSelection()) return false;
        CopyToClipboard();
        return true;
    case Qt::Key_V:
        if (!ctrl || !platform::Clipboard::HasFormat(kClipboardFormat)) return false;
        PasteFromClipboard();
        return true;
    default: return false;
    }
}

void TCsvEdit::FocusLeft()
{
    CommitEdit();
    editor_->hide();
    view_->viewport()->update();
    if (OnExit) OnExit(this);
}

void TCsvEdit::LeaveTable(bool next)
{
    // From the grid on, the table's own widgets (its editor is made later, at the chain's end) passed over.
    for (QWidget* w = next ? view_->nextInFocusChain() : view_->previousInFocusChain(); w && w != view_;
         w = next ? w->nextInFocusChain() : w->previousInFocusChain()) {
        if (isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisible() || !w->isEnabled()) continue;
        w->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        return;
    }
}

bool TCsvEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (EditorKey(key)) return true;
        } else if (event->type() == QEvent::ShortcutOverride) {
            // Tab and Enter stay with the grid rather than moving the focus or pressing a default button.
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
                event->accept();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            PlaceEditor();
        } else if (event->type() == QEvent::FocusOut) {
            QWidget* next = QApplication::focusWidget();
            if (next != view_ && next != editor_) FocusLeft();
            else CommitEdit();
        }
    }
    return QFrame::eventFilter(watched, event);
}

int TCsvEdit::LeftCol() const { return view_->horizontalScrollBar()->value(); }
int TCsvEdit::TopRow() const { return GetFixedRows() + view_->verticalScrollBar()->value(); }

int TCsvEdit::VisibleColCount() const
{
    int width = 0;
    int count = 0;
    for (int col = LeftCol(); col < GetColCount(); ++col) {
        width += view_->columnWidth(col);
        if (width > view_->viewport()->width()) break;
        ++count;
    }
    return count;
}

int TCsvEdit::VisibleRowCount() const { return view_->viewport()->height() / kRowHeight; }

void TCsvEdit::AutoScroll(const QPoint& pos)
{
    QScrollBar* hbar = view_->horizontalScrollBar();
    QScrollBar* vbar = view_->verticalScrollBar();
    const int fixedCols = 0;
    const int fixedRows = GetFixedRows();
    const int width = view_->viewport()->width();
    const int height = view_->viewport()->height();
    auto left = [&](int step) {
        hbar->setValue(LeftCol() - fixedCols - step);
        SetCurrent(LeftCol(), GetRow(), true, false);
    };
    auto up = [&](int step) {
        vbar->setValue(TopRow() - fixedRows - step);
        SetCurrent(GetCol(), TopRow(), true, false);
    };
    auto right = [&](int step) {
        hbar->setValue(LeftCol() + step);
        SetCurrent(std::min(LeftCol() + VisibleColCount(), GetColCount() - 1), GetRow(), true, false);
    };
    auto down = [&](int step) {
        vbar->setValue(TopRow() - fixedRows + step);
        SetCurrent(GetCol(), std::min(TopRow() + VisibleRowCount(), GetRowCount() - 1), true, false);
    };
    if (pos.x() < -10 && LeftCol() > fixedCols + 3) left(3);
    else if (pos.x() < 5 && LeftCol() > fixedCols) left(1);
    else if (pos.y() < -10 && TopRow() > fixedRows + 3) up(3);
    else if (pos.y() < 5 && TopRow() > fixedRows) up(1);
    else if (pos.x() >= width + 10 && GetColCount() - VisibleColCount() - 3 > LeftCol()) right(3);
    else if (pos.x() >= width - 5 && GetColCount() - VisibleColCount() > LeftCol()) right(1);
    else if (pos.y() >= height + 10 && GetRowCount() - VisibleRowCount() - 3 > TopRow()) down(3);
    else if (pos.y() >= height - 5 && GetRowCount() - VisibleRowCount() > TopRow()) down(1);
}

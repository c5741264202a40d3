#include "screens/Fdatalistview.h"

#include "gui/IconList.h"
#include "gui/QtSupport.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int kIconArea = 19;
constexpr int kDragThreshold = 5;
constexpr int kListRowHeight = 16;

QPixmap Blank()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A filled triangle pointing up or down, for the sort states.
QPixmap SortArrow(bool up)
{
    QPixmap pixmap = Blank();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    if (up) {
        path.moveTo(8, 4);
        path.lineTo(13, 11);
        path.lineTo(3, 11);
    } else {
        path.moveTo(3, 5);
        path.lineTo(13, 5);
        path.lineTo(8, 12);
    }
    path.closeSubpath();
    painter.fillPath(path, QColor(64, 64, 64));
    return pixmap;
}

} // namespace

std::vector<QPixmap> SortStatePixmaps() { return {SortArrow(true), SortArrow(false)}; }

std::vector<QPixmap> RowStatePixmaps()
{
    // Overlays on the class icon, in its lower left corner: 0 a stock-taking item (a tick),
    // 1 kept (a padlock).
    QPixmap tick = Blank();
    {
        QPainter painter(&tick);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 3.5));
        painter.drawPolyline(QPolygonF({QPointF(1, 11), QPointF(3.5, 14), QPointF(8, 8)}));
        painter.setPen(QPen(QColor(0, 128, 0), 2));
        painter.drawPolyline(QPolygonF({QPointF(1, 11), QPointF(3.5, 14), QPointF(8, 8)}));
    }
    QPixmap lock = Blank();
    {
        QPainter painter(&lock);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(64, 64, 64), 1.2));
        painter.drawArc(QRectF(1.5, 7, 5, 5), 0, 180 * 16);
        painter.setPen(QColor(120, 90, 0));
        painter.setBrush(QColor(230, 180, 40));
        painter.drawRect(QRectF(0.5, 10.5, 8, 5));
    }
    return {tick, lock};
}

TDataListView::TDataListView(QWidget* parent) : TGridEdit(parent), stateImages_(RowStatePixmaps())
{
    setObjectName(QStringLiteral("DataListView"));
    GetStringGrid()->setSelectionMode(QAbstractItemView::NoSelection);
    GetStringGrid()->setAccessibleName(QStringLiteral("データリスト"));
    GetStringGrid()->setMouseTracking(false);
    // The current row shows by its focus frame while the list has the focus.
    SetDrawFocusSelected(true);
}

void TDataListView::SetClassImages(const platform::IconList* images)
{
    classImages_ = images;
    Repaint();
}

void TDataListView::BeginHeaderUpdate() { GetHeaderControl()->setUpdatesEnabled(false); }

void TDataListView::EndHeaderUpdate()
{
    GetHeaderControl()->setUpdatesEnabled(true);
    GetHeaderControl()->viewport()->update();
}

void TDataListView::ClearRows()
{
    for (int row = 0; row < rows_.GetCount(); ++row)
        if (rows_.GetSelected(row)) {
            rows_.SetSelected(row, false);
            if (OnSelect) OnSelect(this, rows_.GetID(row), false);
        }
    rows_.Clear();
    anchorRow_ = -1;
    lastRow_ = -1;
}

void TDataListView::AddRow(int id) { rows_.Add(id); }

void TDataListView::UpdateRows()
{
    // Without rows the grid keeps its one blank row, drawn without height.
    SetDefaultRowHeight(rows_.GetCount() > 0 ? kListRowHeight : 0);
    GetModel()->SetRowCount(rows_.GetCount());
    // Listed anew under the focus, the list keeps a current row to frame: the top one shown.
    QTableView* grid = GetStringGrid();
    if (grid->hasFocus() && !grid->currentIndex().isValid() && rows_.GetCount() > 0)
        grid->selectionModel()->setCurrentIndex(GetModel()->index(std::max(0, grid->rowAt(0)), 0),
                                                QItemSelectionModel::NoUpdate);
    Repaint();
}

void TDataListView::ShowFromTop()
{
    QTableView* grid = GetStringGrid();
    const QModelIndex current = grid->currentIndex();
    if (current.isValid()) grid->setCurrentIndex(GetModel()->index(0, current.column()));
    grid->scrollToTop();
}

TPriorityItem TDataListView::GetSelectedIDs() const
{
    TPriorityItem ids;
    for (int row = 0; row < rows_.GetCount(); ++row)
        if (rows_.GetSelected(row)) ids << rows_.GetID(row);
    return ids;
}

void TDataListView::SetMark(int row, bool mark)
{
    if (row < 0 || row >= rows_.GetCount() || rows_.GetSelected(row) == mark) return;
    rows_.SetSelected(row, mark);
    if (OnSelect) OnSelect(this, rows_.GetID(row), mark);
}

void TDataListView::SelectAll()
{
    for (int row = 0; row < rows_.GetCount(); ++row) SetMark(row, true);
    Repaint();
}

void TDataListView::UnselectAll()
{
    ClearMarks();
    Repaint();
}

void TDataListView::InvertSelection()
{
    for (int row = 0; row < rows_.GetCount(); ++row) SetMark(row, !rows_.GetSelected(row));
    Repaint();
}

void TDataListView::Select(int row)
{
    SetMark(row, true);
    Repaint();
}

void TDataListView::Unselect(int row)
{
    SetMark(row, false);
    Repaint();
}

void TDataListView::ClearMarks()
{
    for (int row = 0; row < rows_.GetCount(); ++row) SetMark(row, false);
}

void TDataListView::MarkRange(int from, int to)
{
    for (int row = std::min(from, to); row <= std::max(from, to); ++row) SetMark(row, true);
}

void TDataListView::Repaint() { GetStringGrid()->viewport()->update(); }

void TDataListView::SelectionChanged()
{
    Repaint();
    if (OnSelectionChange) OnSelectionChange(this);
}

void TDataListView::GetCellText(int col, int row, std::string& text, QRect& rect)
{
    if (rows_.GetCount() == 0) return;
    text.clear();
    if (OnCellText) OnCellText(this, col, text, row);
    if (col != 0 || !classImages_) return;
    int stateImage = -1;
    int classImage = -1;
    if (OnRowImages) OnRowImages(this, col, stateImage, classImage, row);
    if (QPainter* painter = PaintingPainter()) {
        const int top = rect.top() + (rect.height() - 16) / 2;
        if (classImage >= 0 && classImage < classImages_->GetCount())
            painter->drawPixmap(rect.left(), top, classImages_->Pixmap(classImage));
        if (stateImage >= 0 && stateImage < static_cast<int>(stateImages_.size()))
            painter->drawPixmap(rect.left(), top, stateImages_[stateImage]);
    }
    rect.setLeft(rect.left() + kIconArea);
}

void TDataListView::GetRowSelected(int, int row, bool& selected)
{
    selected = row >= 0 && row < rows_.GetCount() && rows_.GetSelected(row);
}

void TDataListView::ClickRow(int row, Qt::KeyboardModifiers modifiers)
{
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    if (ctrl) {
        SetMark(row, !rows_.GetSelected(row));
        if (anchorRow_ < 0 && rows_.GetSelected(row)) anchorRow_ = lastRow_ = row;
    } else if (shift) {
        ClearMarks();
        if (anchorRow_ < 0) {
            SetMark(row, true);
            anchorRow_ = lastRow_ = row;
        } else {
            MarkRange(anchorRow_, row);
        }
    } else {
        ClearMarks();
        SetMark(row, true);
        anchorRow_ = lastRow_ = row;
    }
}

bool TDataListView::GridMousePress(QMouseEvent* event)
{
    QTableView* grid = GetStringGrid();
    const QPoint pos = event->position().toPoint();
    mouseSelecting_ = true;
    dragPending_ = false;
    const int row = grid->rowAt(pos.y());
    const int col = grid->columnAt(pos.x());
    if (row < 0 || col < 0) {
        ClearMarks();
        anchorRow_ = lastRow_ = -1;
        Repaint();
        return false;
    }
    const bool hasRow = row < rows_.GetCount();
    if (col == 0 && pos.x() - grid->columnViewportPosition(0) < kIconArea) {
        if (hasRow && rows_.GetSelected(row)) {
            dragPending_ = true;
            dragStart_ = pos;
        }
        grid->setCurrentIndex(GetModel()->index(row, col));
        return true;
    }
    if (event->button() == Qt::LeftButton && hasRow) {
        ClickRow(row, event->modifiers());
        SelectionChanged();
    }
    return false;   // the view moves its current cell and takes the focus
}

bool TDataListView::GridMouseMove(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (dragPending_) {
        if ((pos - dragStart_).manhattanLength() >= kDragThreshold) {
            dragPending_ = false;
            dragging_ = true;
            StartDrag(GetSelectedIDs());
            dragging_ = false;
            mouseSelecting_ = false;
        }
        return true;
    }
    if (!mouseSelecting_ || dragging_ || !(event->buttons() & Qt::LeftButton)) return true;
    const int row = GetStringGrid()->rowAt(pos.y());
    if (row < 0 || row >= rows_.GetCount() || row == lastRow_) return true;
    if (anchorRow_ < 0) anchorRow_ = row;
    lastRow_ = row;
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        SetMark(row, !rows_.GetSelected(row));
    } else {
        ClearMarks();
        MarkRange(anchorRow_, row);
    }
    SelectionChanged();
    return true;
}

bool TDataListView::GridMouseRelease(QMouseEvent*)
{
    mouseSelecting_ = false;
    dragPending_ = false;
    return false;
}

bool TDataListView::GridDoubleClick(QMouseEvent* event)
{
    const int row = GetStringGrid()->rowAt(event->position().toPoint().y());
    if (row >= 0 && row < rows_.GetCount() && OnOpenData) OnOpenData(this, rows_.GetID(row));
    return true;
}

bool TDataListView::GridKeyPress(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (rows_.GetCount() == 0) return true;
        const int row = std::clamp(GetStringGrid()->currentIndex().row(), 0, rows_.GetCount() - 1);
        if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier)) {
            if (OnOpenData) OnOpenData(this, rows_.GetID(row));
        } else if (modifiers == Qt::NoModifier) {
            ClearMarks();
            SetMark(row, true);
            anchorRow_ = lastRow_ = row;
        } else {
            ClickRow(row, modifiers);
        }
        SelectionChanged();
        return true;
    }
    if (event->key() == Qt::Key_Delete) {
        if (OnDeleteData) OnDeleteData(this);
        SelectionChanged();
        return true;
    }
    return false;
}

void TDataListView::StartDrag(const TPriorityItem& ids)
{
    auto* drag = new QDrag(GetStringGrid());
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kVktDataIdsMime), QByteArray::fromStdString(ids.GetCommaText()));
    drag->setMimeData(mime);
    drag->exec(Qt::CopyAction | Qt::MoveAction);
}

#include "screens/Fgridedit.h"

#include "gui/CachedStyle.h"
#include "gui/KeptPixels.h"
#include "gui/PixmapKey.h"
#include "gui/QtSupport.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"
#include "widgets/Usteadyscrollbar.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

#include <optional>
#include <unordered_set>

namespace {

constexpr int kRowHeight = 16;
constexpr int kHeaderHeight = 17;
constexpr int kGridLineWidth = 1;
constexpr int kTextInset = 2;
constexpr const char* kHookedProperty = "vktCellEditHooked";

} // namespace

QFont GridLatinFont(const QFont& base)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(base.pixelSize() > 0 ? base.pixelSize() : 12);
    font.setBold(base.bold());
    return font;
}

// ===== The view and its delegate ======================================================================

class TGridDelegate : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TGridEdit* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        grid_->DrawCell(*painter, option.rect, index.column(), index.row(),
                        option.state.testFlag(QStyle::State_Selected));
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        grid_->editor_ = editor;
        grid_->editorIndex_ = index;
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (grid_->editor_ == editor) {
            grid_->editor_ = nullptr;
            grid_->editorIndex_ = {};
        }
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        std::string text = grid_->model_->GetCell(index.column(), index.row());
        grid_->GetEditText(index.column(), index.row(), text);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) line->setText(platform::ToQString(text));
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line) return;
        std::string text = platform::FromQString(line->text());
        grid_->SetEditText(index.column(), index.row(), text);
        grid_->model_->SetCell(index.column(), index.row(), text);
    }

private:
    TGridEdit* grid_;
};

// The list's header control: its height is fixed, so its size hint needs no measuring of the
// captions (the view asks for it whenever it lays itself out).
class TGridHeaderView : public QHeaderView {
public:
    explicit TGridHeaderView(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}
    QSize sizeHint() const override { return {length(), kHeaderHeight}; }

protected:
    // Painted whole while idle, the header is copied from the pixels kept of its own paint in the
    // same state over the same pixels: the same columns show for every record of a kind.
    void paintEvent(QPaintEvent* event) override
    {
        QWidget* port = viewport();
        const bool idle = !underMouse() && !port->underMouse() && QGuiApplication::mouseButtons() == Qt::NoButton;
        const QString key = idle && event->region() == QRegion(port->rect()) ? StateKey() : QString();
        if (key.isEmpty()) {
            QHeaderView::paintEvent(event);
            return;
        }
        std::optional<platform::KeptDrawing> kept;
        {
            QPainter painter(port);
            kept.emplace(painter, port->rect(), key);
            if (kept->Copied()) return;
        }
        QHeaderView::paintEvent(event);
        kept->Keep();
    }

private:
    // What the header's paint reads while idle; empty where it reads more (a section's font or
    // colours from the model, selected sections highlighted).
    QString StateKey() const
    {
        const QAbstractItemModel* data = model();
        if (!data || highlightSections()) return {};
        platform::PixmapKey key(u"vkt-gridheader");
        platform::AddWidgetLook(key, *this, viewport()->size());
        key.Add(offset())
            .Add(count())
            .Add(int(defaultAlignment()))
            .Add(textElideMode())
            .Add(isSortIndicatorShown() ? sortIndicatorSection() : -2)
            .Add(sortIndicatorOrder())
            .Add(sectionsClickable());
        for (int visual = 0; visual < count(); ++visual) {
            const int section = logicalIndex(visual);
            key.Add(section).Add(isSectionHidden(section)).Add(sectionViewportPosition(section)).Add(sectionSize(section));
            if (isSectionHidden(section)) continue;
            for (const int role : {int(Qt::FontRole), int(Qt::ForegroundRole), int(Qt::BackgroundRole)})
                if (data->headerData(section, orientation(), role).isValid()) return {};
            key.AddText(data->headerData(section, orientation(), Qt::DisplayRole).toString());
            const QVariant alignment = data->headerData(section, orientation(), Qt::TextAlignmentRole);
            key.Add(alignment.isValid() ? alignment.toInt() : -1);
            const QVariant decoration = data->headerData(section, orientation(), Qt::DecorationRole);
            if (decoration.typeId() == QMetaType::QPixmap) key.Add(decoration.value<QPixmap>().cacheKey());
            else if (decoration.typeId() == QMetaType::QIcon) key.Add(decoration.value<QIcon>().cacheKey());
            else if (decoration.isValid()) return {};
            else key.Add(0);
        }
        return key.Get();
    }
};

class TGridTable : public QTableView {
public:
    explicit TGridTable(TGridEdit* grid) : QTableView(grid), grid_(grid)
    {
        setHorizontalHeader(new TGridHeaderView(this));
    }

    void CloseEditor(QWidget* editor) { closeEditor(editor, QAbstractItemDelegate::NoHint); }
    // The grid is being destroyed (the view, its child, outlives it): focus changes then reach
    // the view only.
    void Detach() { grid_ = nullptr; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(viewport());
        // A pen of the table's own is left to the table's loop, which strokes it.
        if (grid_ && (!showGrid() || gridStyle() == Qt::NoPen) && dynamic_cast<TGridDelegate*>(itemDelegate())) {
            DrawCells(painter, event->region());
        } else {
            painter.end();
            QTableView::paintEvent(event);
            painter.begin(viewport());
        }
        if (showGrid() && gridStyle() == Qt::NoPen) FillGridLines(painter, event->region());
        if (grid_) grid_->DrawFocusRow(painter);
    }

    // The cells where and as the table lays them out, each drawn by the grid once: the table's own
    // loop builds a style option, asks the style for the row's panel and looks up the delegate for
    // every cell, a third of a cell's cost.
    void DrawCells(QPainter& painter, const QRegion& region) const
    {
        const QHeaderView* across = horizontalHeader();
        const QHeaderView* down = verticalHeader();
        if (across->count() == 0 || down->count() == 0) return;
        const bool rightToLeft = isRightToLeft();
        const int gridSize = showGrid() ? 1 : 0;
        const QItemSelectionModel* selection = selectionModel();
        std::unordered_set<quint64> drawn;
        const bool several = region.rectCount() > 1;
        for (const QRect& dirty : region) {
            const std::optional<Covered> covered = CoveredBy(dirty);
            if (!covered) continue;
            for (int visualRow = covered->top; visualRow <= covered->bottom; ++visualRow) {
                const int row = down->logicalIndex(visualRow);
                if (down->isSectionHidden(row)) continue;
                const int y = rowViewportPosition(row);
                const int height = rowHeight(row) - gridSize;
                for (int visualColumn = covered->left; visualColumn <= covered->right; ++visualColumn) {
                    const int column = across->logicalIndex(visualColumn);
                    if (across->isSectionHidden(column)) continue;
                    if (several && !drawn.insert(quint64(quint32(row)) << 32 | quint32(column)).second) continue;
                    const QRect cell(columnViewportPosition(column) + (gridSize && rightToLeft ? 1 : 0), y,
                                     columnWidth(column) - gridSize, height);
                    const bool selected = selection && selection->isSelected(model()->index(row, column));
                    grid_->DrawCell(painter, cell, column, row, selected);
                }
            }
        }
    }

    // The visual columns and rows a dirty rectangle of the viewport covers, as the table's own
    // paint finds them, and the rectangle held to the sections' extent.
    struct Covered {
        QRect dirty;
        int left, right, top, bottom;
    };
    std::optional<Covered> CoveredBy(QRect dirty) const
    {
        const QHeaderView* across = horizontalHeader();
        const QHeaderView* down = verticalHeader();
        const bool rightToLeft = isRightToLeft();
        const int lastX = across->length() - across->offset() - (rightToLeft ? 0 : 1);
        const int lastY = down->length() - down->offset() - 1;
        dirty.setBottom(std::min(dirty.bottom(), lastY));
        if (rightToLeft) dirty.setLeft(std::max(dirty.left(), viewport()->width() - lastX));
        else dirty.setRight(std::min(dirty.right(), lastX));
        if (!dirty.isValid()) return std::nullopt;
        int left = across->visualIndexAt(dirty.left());
        int right = across->visualIndexAt(dirty.right());
        if (rightToLeft) std::swap(left, right);
        if (left == -1) left = 0;
        if (right == -1) right = across->count() - 1;
        int bottom = down->visualIndexAt(dirty.bottom());
        if (bottom == -1) bottom = down->count() - 1;
        const int top = down->visualIndexAt(dirty.top());
        if (top == -1 || top > bottom) return std::nullopt;
        return Covered{dirty, left, right, top, bottom};
    }

    // The grid lines where and as the table draws them with a solid pen, filled: its pen strokes
    // them pixel by pixel (some 30 µs for a screenful), a fill writes them by the row. The table
    // keeps an empty pen, so its cells keep their room beside the lines.
    void FillGridLines(QPainter& painter, const QRegion& region) const
    {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QColor colour =
            QColor::fromRgba(static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
        const QHeaderView* across = horizontalHeader();
        const QHeaderView* down = verticalHeader();
        const bool rightToLeft = isRightToLeft();
        for (const QRect& part : region) {
            const std::optional<Covered> covered = CoveredBy(part);
            if (!covered) continue;
            const QRect& dirty = covered->dirty;
            const int left = covered->left;
            const int right = covered->right;
            const int top = covered->top;
            int bottom = covered->bottom;
            while (bottom > top && down->isSectionHidden(down->logicalIndex(bottom))) --bottom;
            for (int visual = top; visual <= bottom; ++visual) {
                const int row = down->logicalIndex(visual);
                if (down->isSectionHidden(row)) continue;
                const int y = rowViewportPosition(row) + rowHeight(row) - 1;
                painter.fillRect(QRect(dirty.left(), y, dirty.width(), 1), colour);
            }
            for (int visual = left; visual <= right; ++visual) {
                const int column = across->logicalIndex(visual);
                if (across->isSectionHidden(column)) continue;
                const int x = columnViewportPosition(column) + (rightToLeft ? 0 : columnWidth(column) - 1);
                painter.fillRect(QRect(x, dirty.top(), 1, dirty.height()), colour);
            }
        }
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        grid_->CommitCell();
        if (!grid_->GridMousePress(event)) QTableView::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!grid_->GridMouseMove(event)) QTableView::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!grid_->GridMouseRelease(event)) QTableView::mouseReleaseEvent(event);
        // After the view's own release, which ends in its idle state: the editor keeps its state.
        if (const QPersistentModelIndex clicked = std::exchange(clickedEdit_, {}); clicked.isValid())
            QTableView::edit(clicked, AllEditTriggers, nullptr);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        if (!grid_->GridDoubleClick(event)) QTableView::mouseDoubleClickEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (grid_->GridKeyPress(event)) return;
        if (grid_->editing_ && !grid_->cellEditable_ && event->key() != Qt::Key_Return &&
            event->key() != Qt::Key_Enter && !event->text().isEmpty())
            return;   // a cell that may not be edited swallows typing
        QTableView::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override
    {
        QTableView::focusInEvent(event);
        // A grid that frames its current row has one when the keys bring the focus (a listing
        // anew leaves none, and the view sets the first only before its first current cell).
        if (grid_ && grid_->drawFocusSelected_ && !currentIndex().isValid() &&
            event->reason() != Qt::MouseFocusReason && model()->rowCount() > 0 && model()->columnCount() > 0)
            selectionModel()->setCurrentIndex(model()->index(std::max(0, rowAt(0)), 0), QItemSelectionModel::NoUpdate);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QTableView::focusOutEvent(event);
        if (grid_ && grid_->editing_ && grid_->IsEditorShown()) {
            const QModelIndex current = currentIndex();
            grid_->cellEditable_ = true;
            grid_->CanEdit(current.column(), current.row(), grid_->cellEditable_);
        }
        viewport()->update();
    }
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        grid_->CommitCell();
        return QTableView::moveCursor(action, modifiers);
    }
    // A click on the selected cell opens its editor as the click ends. The view would wait a
    // double-click's time first, and refuse to open an editor meanwhile: a key typed in that time
    // missed the cell.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override
    {
        const EditTrigger last = std::exchange(lastTrigger_, trigger);
        if (trigger == SelectedClicked && last != DoubleClicked && grid_ && grid_->editing_ &&
            editTriggers().testFlag(SelectedClicked) && index.flags().testFlag(Qt::ItemIsEditable)) {
            clickedEdit_ = index;
            return true;
        }
        return QTableView::edit(index, trigger, event);
    }
    // Typing in an editing grid edits the current cell; a key it does not take searches nothing.
    void keyboardSearch(const QString& search) override
    {
        if (grid_ && grid_->editing_) return;
        QTableView::keyboardSearch(search);
    }

private:
    TGridEdit* grid_;
    EditTrigger lastTrigger_ = NoEditTriggers;
    QPersistentModelIndex clickedEdit_;
};

// ===== TGridModel =====================================================================================

TGridModel::TGridModel(TGridEdit* grid) : QAbstractTableModel(grid), grid_(grid) {}

int TGridModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || columns_ == 0) return 0;
    return std::max(1, rowCount_);
}

int TGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant TGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount_) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return platform::ToQString(grid_->CellText(index.column(), index.row()));
    // A list is read by rows: each cell of a row reads the whole row, its cells after their
    // captions. A grid edited by cells reads its cells (and their captions) one by one.
    if (role == Qt::AccessibleTextRole && !grid_->GetEditing()) {
        QStringList parts;
        for (int col = 0; col < columns_; ++col) {
            const QString text = platform::ToQString(grid_->CellText(col, index.row())).trimmed();
            if (text.isEmpty()) continue;
            const QString caption = col < grid_->headers_.GetCount()
                                        ? platform::ToQString(grid_->headers_.Get(col).Caption).trimmed()
                                        : QString();
            parts << (caption.isEmpty() || caption == text ? text : caption + QLatin1Char(' ') + text);
        }
        return parts.join(QStringLiteral(", "));
    }
    return {};
}

bool TGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rowCount_ || role != Qt::EditRole) return false;
    SetCell(index.column(), index.row(), platform::FromQString(value.toString()));
    return true;
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= grid_->headers_.GetCount()) return {};
    const TGridHeader& header = grid_->headers_.Get(section);
    switch (role) {
    case Qt::DisplayRole:
        return platform::ToQString(header.Caption);
    case Qt::DecorationRole:
        if (grid_->headerImages_ && header.ImageIndex >= 0 &&
            header.ImageIndex < static_cast<int>(grid_->headerImages_->size()))
            return (*grid_->headerImages_)[header.ImageIndex];
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    default:
        return {};
    }
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() >= rowCount_) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (grid_->editing_) {
        bool allowed = true;
        grid_->CanEdit(index.column(), index.row(), allowed);
        if (allowed) flags |= Qt::ItemIsEditable;
    }
    return flags;
}

void TGridModel::SetRowCount(int count)
{
    count = std::max(0, count);
    if (count == rowCount_) return;
    beginResetModel();
    rowCount_ = count;
    rows_.resize(count);
    if (cells_.size() > static_cast<size_t>(count)) cells_.resize(count);
    endResetModel();
}

void TGridModel::SetCell(int col, int row, const std::string& text)
{
    if (row < 0 || row >= rowCount_ || col < 0) return;
    if (cells_.size() <= static_cast<size_t>(row)) cells_.resize(row + 1);
    auto& line = cells_[row];
    if (line.size() <= static_cast<size_t>(col)) line.resize(col + 1);
    line[col] = text;
    const QModelIndex cell = index(row, col);
    emit dataChanged(cell, cell);
}

void TGridModel::AppendRow(const TGridRowStruct& row, std::vector<std::string> cells)
{
    const int at = rowCount_;
    // The first row takes the place of the blank one the view shows.
    const bool inserted = columns_ > 0 && at > 0;
    if (inserted) beginInsertRows({}, at, at);
    rowCount_ = at + 1;
    rows_.push_back(row);
    cells_.resize(at);
    cells_.push_back(std::move(cells));
    if (inserted) endInsertRows();
    else if (columns_ > 0) emit dataChanged(index(0, 0), index(0, columns_ - 1));
}

void TGridModel::SetRows(std::vector<TGridRowStruct> rows, std::vector<std::vector<std::string>> cells)
{
    if (rows.empty() && rowCount_ == 0) return;
    beginResetModel();
    rowCount_ = static_cast<int>(rows.size());
    rows_ = std::move(rows);
    cells_ = std::move(cells);
    cells_.resize(rows_.size());
    endResetModel();
}

std::string TGridModel::GetCell(int col, int row) const
{
    if (row < 0 || col < 0 || static_cast<size_t>(row) >= cells_.size()) return {};
    const auto& line = cells_[row];
    return static_cast<size_t>(col) < line.size() ? line[col] : std::string();
}

void TGridModel::ColumnsChanged()
{
    beginResetModel();
    columns_ = grid_->headers_.GetCount();
    for (auto& line : cells_)
        if (line.size() > static_cast<size_t>(columns_)) line.resize(columns_);
    endResetModel();
}

void TGridModel::HeaderChanged(int section) { emit headerDataChanged(Qt::Horizontal, section, section); }

void TGridModel::Repaint()
{
    if (auto* view = grid_->GetStringGrid()) view->viewport()->update();
}

// ===== TGridEdit ======================================================================================

TGridEdit::TGridEdit(QWidget* parent) : QFrame(parent)
{
    setFont(VktFormFont());
    grid_ = new TGridTable(this);
    grid_->setObjectName(QStringLiteral("StringGrid"));
    // Opaque bars: a grid resized or refilled does not repaint what lies behind its scroll bars.
    grid_->setVerticalScrollBar(new TSteadyScrollBar(Qt::Vertical, grid_));
    grid_->setHorizontalScrollBar(new TSteadyScrollBar(Qt::Horizontal, grid_));
    model_ = new TGridModel(this);
    grid_->setModel(model_);
    grid_->setItemDelegate(new TGridDelegate(this));
    grid_->setFrameShape(QFrame::NoFrame);
    grid_->setShowGrid(true);
    grid_->setGridStyle(Qt::NoPen); // lines filled by the view itself
    grid_->setWordWrap(false);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid_->setTabKeyNavigation(false);
    QHeaderView* rows = grid_->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(0);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(kRowHeight);
    QHeaderView* header = grid_->horizontalHeader();
    header->setObjectName(QStringLiteral("HeaderControl"));
    header->setFixedHeight(kHeaderHeight);
    header->setMinimumSectionSize(kGridLineWidth + 2);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionsMovable(false);
    header->setSectionsClickable(true);
    header->setIconSize(QSize(16, 16));
    // Rows paint from the top: a viewport made lower or higher keeps what it shows. So does the
    // header: its captions stay where they are when the view is made lower (a panel shown below).
    grid_->viewport()->setAttribute(Qt::WA_StaticContents);
    header->viewport()->setAttribute(Qt::WA_StaticContents);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this] { grid_->viewport()->update(); });
}

TGridEdit::~TGridEdit()
{
    grid_->Detach();
}

QTableView* TGridEdit::GetStringGrid() const { return grid_; }
QHeaderView* TGridEdit::GetHeaderControl() const { return grid_ ? grid_->horizontalHeader() : nullptr; }

void TGridEdit::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    grid_->setGeometry(contentsRect());
    // The focus frame reaches the client edge: a new width redraws the rows.
    if (event->size().width() != event->oldSize().width()) grid_->viewport()->update();
}

void TGridEdit::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) cellFonts_.reset();
    QFrame::changeEvent(event);
}

TGridEdit::TCellFont& TGridEdit::CellFont(bool shiftJis)
{
    if (!cellFonts_) {
        const auto make = [](const QFont& font) { return TCellFont{font, QFontMetrics(font).height()}; };
        cellFonts_.emplace(make(font()), make(GridLatinFont(font())));
    }
    return shiftJis ? cellFonts_->first : cellFonts_->second;
}

void TGridEdit::SetTextLaidOnce(bool on)
{
    textLaidOnce_ = on;
    grid_->viewport()->update();
}

void TGridEdit::ClearColumns()
{
    headers_.Clear();
    model_->ColumnsChanged();
}

void TGridEdit::AddColumn(const std::string& caption, int width, bool leftAlign, bool shiftJis, int state)
{
    headers_.Add({caption, width, state - 1, shiftJis, leftAlign});
    model_->ColumnsChanged();
    QHeaderView* header = GetHeaderControl();
    for (int col = 0; col < headers_.GetCount(); ++col)
        header->resizeSection(col, std::max(headers_.Get(col).Width, header->minimumSectionSize()));
}

std::vector<int> TGridEdit::GetColWidths() const
{
    std::vector<int> widths;
    QHeaderView* header = GetHeaderControl();
    for (int col = 0; col < headers_.GetCount(); ++col) widths.push_back(header->sectionSize(col));
    return widths;
}

void TGridEdit::SetHeaderImage(int col, int imageIndex)
{
    if (col < 0 || col >= headers_.GetCount()) return;
    headers_.Get(col).ImageIndex = imageIndex;
    model_->HeaderChanged(col);
}

void TGridEdit::SetEditing(bool editing)
{
    editing_ = editing;
    grid_->setEditTriggers(editing ? QAbstractItemView::EditTriggers(QAbstractItemView::DoubleClicked |
                                                                     QAbstractItemView::SelectedClicked |
                                                                     QAbstractItemView::EditKeyPressed |
                                                                     QAbstractItemView::AnyKeyPressed)
                                   : QAbstractItemView::EditTriggers(QAbstractItemView::NoEditTriggers));
}

bool TGridEdit::IsEditorShown() const { return editor_ != nullptr; }

void TGridEdit::CommitCell()
{
    if (!editor_ || !editorIndex_.isValid()) return;
    QWidget* editor = editor_;
    grid_->itemDelegate()->setModelData(editor, model_, editorIndex_);
    grid_->CloseEditor(editor);
}

bool TGridEdit::IsActive() const
{
    const bool focused = grid_->hasFocus() || (editor_ && editor_->hasFocus()) || IsEditorShown();
    return focused && QGuiApplication::applicationState() == Qt::ApplicationActive;
}

std::string TGridEdit::CellText(int col, int row)
{
    std::string text = model_->GetCell(col, row);
    QRect rect;
    GetCellText(col, row, text, rect);
    return text;
}

void TGridEdit::DrawCell(QPainter& painter, const QRect& cellRect, int col, int row, bool gridSelected)
{
    if (headers_.GetCount() == 0 || col >= headers_.GetCount()) return;
    bool selected = gridSelected;
    if (row < model_->GetRowCount()) GetRowSelected(col, row, selected);
    else selected = false;
    const bool active = IsActive();
    const QPalette& pal = palette();
    QColor back = pal.color(QPalette::Base);
    QColor fore = pal.color(QPalette::Text);
    if (selected && active) {
        back = pal.color(QPalette::Highlight);
        fore = pal.color(QPalette::HighlightedText);
    } else if (selected) {
        back = pal.color(QPalette::Button);
    }
    if (row >= model_->GetRowCount()) {
        painter.fillRect(cellRect, back);
        return;
    }

    QRect rect = cellRect.adjusted(kTextInset, 0, -kTextInset, 0);
    std::string text = model_->GetCell(col, row);
    painter_ = &painter;
    cellRect_ = cellRect;
    cellBack_ = back;
    cellFilled_ = false;
    GetCellText(col, row, text, rect);
    painter_ = nullptr;
    // Filled beneath what an override drew, or with the text where nothing was.
    const bool filled = cellFilled_;
    if (text.empty()) {
        if (!filled) painter.fillRect(cellRect, back);
        return;
    }

    const TGridHeader& header = headers_.Get(col);
    TCellFont& cellFont = CellFont(header.ShiftJis);
    const QString shown = platform::ToQString(text);
    // 2 pixels below the cell's top; a font too tall for that is centred instead of clipped.
    const int top = cellFont.Height <= rect.height() - 2 ? rect.top() + 2
                                                         : rect.top() + (rect.height() - cellFont.Height) / 2;
    const QRect textRect(rect.left(), top, rect.width(), rect.bottom() - top + 1);
    const int flags = (header.LeftAlign ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop | Qt::TextSingleLine;
    // Clipped to the cell: a laid line takes the cell as a clip of its own, and leaves the painter's
    // font and clip as they are (setting and restoring them cost more than the copy of its pixels).
    if (textLaidOnce_ && !painter.hasClipping()) {
        const QPen pen = painter.pen();
        painter.setPen(fore);
        const QRectF cell(cellRect);
        const bool laid =
            filled ? platform::DrawLaidLine(painter, textRect, flags, shown, cellFont.Laid, &cell, &cellFont.Font)
                   : platform::DrawLaidCell(painter, cellRect, back, textRect, flags, shown, cellFont.Laid,
                                            &cellFont.Font);
        painter.setPen(pen);
        if (laid) return;
    }
    if (!filled) painter.fillRect(cellRect, back);
    painter.save();
    painter.setFont(cellFont.Font);
    painter.setPen(fore);
    painter.setClipRect(cellRect);
    painter.drawText(textRect, flags, shown);
    painter.restore();
}

void TGridEdit::SetDefaultRowHeight(int height)
{
    grid_->verticalHeader()->setDefaultSectionSize(std::max(height, 0));
}

void TGridEdit::SetDrawFocusSelected(bool on)
{
    drawFocusSelected_ = on;
    grid_->viewport()->update();
}

void TGridEdit::DrawFocusRow(QPainter& painter)
{
    if (!drawFocusSelected_ || !grid_->hasFocus() || headers_.GetCount() == 0) return;
    const int row = grid_->currentIndex().row();
    if (row < 0 || row >= model_->GetRowCount()) return;
    // The row's cells without their grid lines, ending with the last column or the client edge.
    const int last = headers_.GetCount() - 1;
    const int top = grid_->rowViewportPosition(row);
    const int bottom = top + grid_->rowHeight(row) - 1 - kGridLineWidth;
    const int right = std::min(grid_->columnViewportPosition(last) + grid_->columnWidth(last) - 1 - kGridLineWidth,
                               grid_->viewport()->width() - 1);
    if (right <= 1 || bottom <= top) return;
    bool selected = grid_->selectionModel()->isSelected(model_->index(row, last));
    GetRowSelected(last, row, selected);
    QPen pen(palette().color(selected && IsActive() ? QPalette::HighlightedText : QPalette::Text));
    pen.setDashPattern({1, 1});
    painter.save();
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(QPoint(1, top), QPoint(right, bottom)).adjusted(0, 0, -1, -1));
    painter.restore();
}

QPainter* TGridEdit::PaintingPainter() const
{
    if (painter_ && !cellFilled_) {
        painter_->fillRect(cellRect_, cellBack_);
        cellFilled_ = true;
    }
    return painter_;
}

void TGridEdit::GetCellText(int col, int row, std::string& text, QRect&)
{
    if (OnGetCellText) OnGetCellText(this, col, row, text);
}

void TGridEdit::CanEdit(int col, int row, bool& allowed)
{
    if (OnCanEdit) OnCanEdit(this, col, row, allowed);
}

void TGridEdit::GetRowSelected(int col, int row, bool& selected)
{
    if (OnGetRowSelected) OnGetRowSelected(this, col, row, selected);
}

void TGridEdit::GetEditText(int col, int row, std::string& text)
{
    if (OnGetEditText) OnGetEditText(this, col, row, text);
}

void TGridEdit::SetEditText(int col, int row, std::string& text)
{
    if (OnSetEditText) OnSetEditText(this, col, row, text);
}

// ===== TCellEditGrid ==================================================================================

TCellEditGrid::TCellEditGrid(QWidget* parent) : TGridEdit(parent)
{
    SetEditing(true);
    // Esc closes the editor without a commit: the cell keeps its text, the edit is over.
    connect(GetStringGrid()->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::RevertModelCache) CancelEdit();
            });
}

void TCellEditGrid::SetModified(bool modified)
{
    if (modified_ == modified) return;
    modified_ = modified;
    if (OnModifiedChange) OnModifiedChange(this);
}

QLineEdit* TCellEditGrid::OpenLineEditor() const
{
    if (!IsEditorShown()) return nullptr;
    const QModelIndex current = GetStringGrid()->currentIndex();
    return qobject_cast<QLineEdit*>(GetStringGrid()->indexWidget(current));
}

int TCellEditGrid::EditRow() const { return applyRow_ >= 0 ? applyRow_ : GetStringGrid()->currentIndex().row(); }

int TCellEditGrid::EditCol() const { return applyCol_ >= 0 ? applyCol_ : GetStringGrid()->currentIndex().column(); }

bool TCellEditGrid::AcceptsText(int, int, const std::string&) const { return true; }

bool TCellEditGrid::CellIsEditable(int col, int row)
{
    if (row < 0 || row >= GetModel()->GetRowCount()) return false;
    bool allowed = true;
    CanEdit(col, row, allowed);
    return allowed;
}

void TCellEditGrid::DoApply()
{
    if (OnApply) OnApply(this);
}

void TCellEditGrid::Apply(int col, int row, const std::string& text)
{
    applyRow_ = row;
    applyCol_ = col;
    GetModel()->SetCell(col, row, text);
    undoText_ = text;
    SetModified(false);
    try {
        DoApply();
    } catch (...) {
        applyRow_ = applyCol_ = -1;
        throw;
    }
    applyRow_ = applyCol_ = -1;
}

void TCellEditGrid::ApplyEdit()
{
    const QModelIndex current = GetStringGrid()->currentIndex();
    if (!current.isValid() || current.row() >= GetModel()->GetRowCount()) return;
    std::string text = GetModel()->GetCell(current.column(), current.row());
    if (QLineEdit* editor = OpenLineEditor()) text = platform::FromQString(editor->text());
    if (!AcceptsText(current.column(), current.row(), text)) return;
    Apply(current.column(), current.row(), text);
}

void TCellEditGrid::CancelEdit()
{
    const QModelIndex current = GetStringGrid()->currentIndex();
    if (current.isValid() && current.row() < GetModel()->GetRowCount()) {
        GetModel()->SetCell(current.column(), current.row(), undoText_);
        if (QLineEdit* editor = OpenLineEditor()) editor->setText(platform::ToQString(undoText_));
    }
    SetModified(false);
}

void TCellEditGrid::GetEditText(int col, int row, std::string& text)
{
    TGridEdit::GetEditText(col, row, text);
    // A pending edit keeps its undo text (an editor opened again on a refused text).
    if (!modified_) undoText_ = text;
    HookEditor();
}

void TCellEditGrid::HookEditor()
{
    for (QLineEdit* editor : GetStringGrid()->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        if (editor->property(kHookedProperty).toBool()) continue;
        editor->setProperty(kHookedProperty, true);
        // Installed after the delegate's filter, so it sees Esc and Ctrl+Enter first.
        editor->installEventFilter(this);
        connect(editor, &QLineEdit::textEdited, this,
                [this](const QString& text) { SetModified(platform::FromQString(text) != undoText_); });
    }
}

void TCellEditGrid::SetEditText(int col, int row, std::string& text)
{
    TGridEdit::SetEditText(col, row, text);
    if (!modified_ || text == undoText_) {
        text = undoText_;
        SetModified(false);
        return;
    }
    if (!AcceptsText(col, row, text)) {
        ReopenLater(col, row);
        return;
    }
    Apply(col, row, text);
    text = GetModel()->GetCell(col, row);
}

void TCellEditGrid::ReopenLater(int col, int row)
{
    QTimer::singleShot(0, this, [this, col, row] {
        QTableView* grid = GetStringGrid();
        // Only a move inside the grid comes back; focus taken elsewhere stays there.
        if (!modified_ || !grid->hasFocus() || row >= GetModel()->GetRowCount()) return;
        const QModelIndex cell = GetModel()->index(row, col);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
    });
}

bool TCellEditGrid::EditKey(int key, Qt::KeyboardModifiers modifiers)
{
    switch (EditKeyOf(key, modifiers)) {
    case TEditKey::Cancel:
        CancelEdit();
        return false;   // the editor still closes without a commit
    case TEditKey::Apply:
        ApplyEdit();
        return true;
    default:
        return false;
    }
}

bool TCellEditGrid::GridKeyPress(QKeyEvent* event)
{
    if (EditKey(event->key(), event->modifiers())) return true;
    const QModelIndex current = GetStringGrid()->currentIndex();
    // A cell that may not be edited swallows typing (no search jump either).
    const bool typing = !event->text().isEmpty() && event->text().at(0).isPrint();
    return typing && !CellIsEditable(current.column(), current.row());
}

bool TCellEditGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (EditKey(key->key(), key->modifiers())) return true;
    }
    return TGridEdit::eventFilter(watched, event);
}

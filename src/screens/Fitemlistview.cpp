#include "screens/Fitemlistview.h"

#include "core/Unumericstring.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "platform/NumberText.h"
#include "screens/Uchartsupport.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int kIconArea = 19;
constexpr const char* kHookedProperty = "vktCellEditHooked";

} // namespace

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

// ===== TItemListView ==================================================================================

TItemListView::TItemListView(QWidget* parent) : TCellEditGrid(parent)
{
    setObjectName(QStringLiteral("ItemEditPanel"));
}

void TItemListView::SetClassImages(const platform::IconList* images)
{
    classImages_ = images;
    GetModel()->Repaint();
}

void TItemListView::BeginUpdate() { GetHeaderControl()->setUpdatesEnabled(false); }

void TItemListView::EndUpdate()
{
    GetHeaderControl()->setUpdatesEnabled(true);
    GetHeaderControl()->viewport()->update();
}

void TItemListView::ClearRows()
{
    GetStringGrid()->setCurrentIndex({});
    GetModel()->SetRowCount(0);
    SetModified(false);
}

void TItemListView::AddItem(const std::string& category, const std::string& className, int icon,
                            platform::Currency usePrice, double use, platform::Currency unitPrice,
                            const std::string& unitName, const std::string& itemName)
{
    TGridModel* model = GetModel();
    const int row = model->GetRowCount();
    model->SetRowCount(row + 1);
    model->Row(row).ID = row + 1;
    model->Row(row).Selected = icon;
    model->SetCell(ColCategory, row, category);
    model->SetCell(ColClass, row, className);
    model->SetCell(ColName, row, itemName);
    model->SetCell(ColUnit, row, unitName);
    model->SetCell(ColPrice, row, unitPrice.ToText());
    model->SetCell(ColUse, row, platform::FloatToStr(use));
    model->SetCell(ColUsePrice, row, usePrice.ToText());
}

int TItemListView::GetRowCount() const { return GetModel()->GetRowCount(); }

int TItemListView::GetIcon(int row) const
{
    return row >= 0 && row < GetRowCount() ? GetModel()->Row(row).Selected : -1;
}

bool TItemListView::CellValue(const std::string& text, double& value)
{
    std::string digits;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '.') digits += c;
    value = 0;
    return digits.empty() || platform::TryStrToFloat(digits, value);
}

double TItemListView::ValueAt(int col, int row) const
{
    double value = 0;
    CellValue(GetModel()->GetCell(col, row), value);
    return value;
}

int TItemListView::GetItemIndex() const { return EditRow() + 1; }

double TItemListView::GetItemUse() const { return ValueAt(ColUse, EditRow()); }

platform::Currency TItemListView::GetItemPrice() const
{
    return platform::Currency::FromDouble(ValueAt(ColPrice, EditRow()));
}

platform::Currency TItemListView::GetItemUsePrice() const
{
    return platform::Currency::FromDouble(ValueAt(ColUsePrice, EditRow()));
}

void TItemListView::SetItemUsePrice(platform::Currency price)
{
    const int row = EditRow();
    if (row >= 0 && row < GetRowCount()) GetModel()->SetCell(ColUsePrice, row, price.ToText());
}

void TItemListView::GetCellText(int col, int row, std::string& text, QRect& rect)
{
    if (GetRowCount() == 0 || row >= GetRowCount()) return;
    if (col == ColCategory && classImages_) {
        if (QPainter* painter = PaintingPainter()) {
            const int icon = GetIcon(row);
            const int top = rect.top() + (rect.height() - 16) / 2;
            if (icon >= 0 && icon < classImages_->GetCount()) painter->drawPixmap(rect.left(), top, classImages_->Pixmap(icon));
        }
        rect.setLeft(rect.left() + kIconArea);
    }
    double value = 0;
    if ((col != ColPrice && col != ColUse && col != ColUsePrice) || !CellValue(text, value)) return;
    if (col == ColUse) text = NumericString().GetAsString(platform::Variant(value));
    else text = NumericString().GetAsString(platform::Variant(platform::Currency::FromDouble(value)));
}

void TItemListView::CanEdit(int col, int row, bool& allowed)
{
    allowed = row >= 0 && row < GetRowCount() &&
              (col == ColUse || (col == ColUsePrice && ValueAt(ColUse, row) == 0));
}

void TItemListView::GetRowSelected(int, int row, bool& selected)
{
    selected = row >= 0 && row == GetStringGrid()->currentIndex().row();
}

bool TItemListView::AcceptsText(int col, int, const std::string& text) const
{
    double value = 0;
    return (col != ColUse && col != ColUsePrice) || CellValue(text, value);
}

#include "screens/Fitemlistview.h"

#include "core/Unumericstring.h"
#include "gui/IconList.h"
#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "platform/NumberText.h"

#include <QHeaderView>
#include <QPainter>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kIconArea = 19;

} // namespace

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

void TItemListView::ClearRows() { SetItems({}); }

void TItemListView::SetItems(const std::vector<TItemLine>& items)
{
    QTableView* grid = GetStringGrid();
    const QModelIndex current = grid->currentIndex();
    if (current.isValid()) grid->setCurrentIndex({});
    std::vector<TGridRowStruct> rows;
    std::vector<std::vector<std::string>> cells;
    rows.reserve(items.size());
    cells.reserve(items.size());
    for (const TItemLine& item : items) {
        rows.push_back({static_cast<int>(rows.size()) + 1, item.Icon});
        cells.push_back(Cells(item));
    }
    GetModel()->SetRows(std::move(rows), std::move(cells));
    SetModified(false);
    // Items listed always have a current one: the row kept, the last when it went, else the first.
    if (GetRowCount() > 0) {
        const int row = std::min(std::max(current.row(), 0), GetRowCount() - 1);
        grid->setCurrentIndex(GetModel()->index(row, std::max(current.column(), 0)));
    }
}

void TItemListView::AddItem(const std::string& category, const std::string& className, int icon,
                            platform::Currency usePrice, double use, platform::Currency unitPrice,
                            const std::string& unitName, const std::string& itemName)
{
    TGridModel* model = GetModel();
    model->AppendRow({model->GetRowCount() + 1, icon},
                     Cells({category, className, icon, usePrice, use, unitPrice, unitName, itemName}));
}

std::vector<std::string> TItemListView::Cells(const TItemLine& item)
{
    std::vector<std::string> cells(ColUsePrice + 1);
    cells[ColCategory] = item.Category;
    cells[ColClass] = item.ClassName;
    cells[ColName] = item.ItemName;
    cells[ColUnit] = item.UnitName;
    cells[ColPrice] = item.UnitPrice.ToText();
    cells[ColUse] = platform::FloatToStr(item.Use);
    cells[ColUsePrice] = item.UsePrice.ToText();
    return cells;
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
    else if (col == ColPrice) text = NumericString().GetUnitPriceText(platform::Currency::FromDouble(value));
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

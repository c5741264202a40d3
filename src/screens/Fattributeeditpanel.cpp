#include "screens/Fattributeeditpanel.h"

#include "gui/Application.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "widgets/Fvktform.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int kEditMargin = 153;
constexpr int kGridLineWidth = 1;

} // namespace

TAttributeEditPanel::TAttributeEditPanel(QWidget* parent) : TMasterEditPanel(parent, "AttributeEditPanel")
{
    attributeList_ = new TCellEditGrid(this);
    attributeList_->setObjectName(QStringLiteral("AttributeList"));
    attributeList_->AddColumn("属性", 200, true, true, 0);
    attributeList_->GetStringGrid()->horizontalHeader()->hide();
    attributeList_->GetStringGrid()->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                     QAbstractItemView::AnyKeyPressed);
    attributeList_->OnCanEdit = [](TGridEdit* grid, int, int row, bool& allowed) {
        allowed = grid->GetModel()->Row(row).ID != 0;
    };
    attributeList_->OnApply = [this](QObject*) { DoReturn(); };
    attributeList_->GetStringGrid()->installEventFilter(this);
    attributeList_->GetStringGrid()->viewport()->installEventFilter(this);
    AddButtons(this, "新規作成(&N)", {8, 34, 68, 94});
    Clear();
}

void TAttributeEditPanel::Clear() { SetRows({}, 0); }

void TAttributeEditPanel::AddAttrItem(int id, const std::string& name)
{
    TGridModel* model = attributeList_->GetModel();
    int row = model->GetRowCount() - 1;
    if (!(row == 0 && model->Row(0).ID == 0)) model->SetRowCount(++row + 1);
    model->SetCell(0, row, name);
    model->Row(row).ID = id;
}

void TAttributeEditPanel::SetRows(const std::vector<TUnitRow>& rows, int selectId)
{
    attributeList_->SetModified(false);
    FillRows(*attributeList_, rows, selectId, 1);
}

int TAttributeEditPanel::GetCurrentRow() const { return attributeList_->GetStringGrid()->currentIndex().row(); }
int TAttributeEditPanel::GetCurrentID() const { return GetRowID(GetCurrentRow()); }
int TAttributeEditPanel::GetRowCount() const { return attributeList_->GetModel()->GetRowCount(); }

int TAttributeEditPanel::GetRowID(int row) const
{
    return row >= 0 && row < GetRowCount() ? attributeList_->GetModel()->Row(row).ID : 0;
}

std::string TAttributeEditPanel::GetCurrentName() const
{
    return attributeList_->GetModel()->GetCell(0, GetCurrentRow());
}

void TAttributeEditPanel::SelectRow(int row)
{
    if (row < 0 || row >= GetRowCount()) return;
    attributeList_->CommitCell();
    attributeList_->GetStringGrid()->setCurrentIndex(attributeList_->GetModel()->index(row, 0));
}

int TAttributeEditPanel::GetEditID() const { return GetRowID(attributeList_->EditRow()); }
std::string TAttributeEditPanel::GetEditName() const { return attributeList_->GetModel()->GetCell(0, attributeList_->EditRow()); }
bool TAttributeEditPanel::GetModified() const { return attributeList_->GetModified(); }

void TAttributeEditPanel::ApplyEdit()
{
    if (attributeList_->GetModified()) attributeList_->ApplyEdit();
}

void TAttributeEditPanel::CancelEdit()
{
    if (attributeList_->GetModified()) attributeList_->CancelEdit();
}

bool TAttributeEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    QTableView* grid = attributeList_->GetStringGrid();
    // The column fills the list.
    if (event->type() == QEvent::Resize && watched == grid->viewport())
        grid->setColumnWidth(0, std::max(8, grid->viewport()->width() - kGridLineWidth));
    // Esc without a pending edit changes nothing (and the window does not close).
    if (event->type() == QEvent::KeyPress && watched == attributeList_->GetStringGrid() &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !GetModified())
        return true;
    return TMasterEditPanel::eventFilter(watched, event);
}

void TAttributeEditPanel::resizeEvent(QResizeEvent* event)
{
    TMasterEditPanel::resizeEvent(event);
    const int w = std::max(40, width() - kEditMargin);
    attributeList_->setGeometry(8, 8, w, std::max(20, height() - 16));
    PlaceButtons(this);
}

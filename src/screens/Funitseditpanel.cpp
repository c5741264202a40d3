#include "screens/Funitseditpanel.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/FlagScope.h"
#include "richtext/Exview.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"
#include "widgets/Uaccessible.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kEditMargin = 153;
constexpr int kEditHeight = 22;
constexpr int kListShorter = 112;
constexpr int kGridLineWidth = 1;

} // namespace

// ===== TRowGrid ========================================================================================

TRowGrid::TRowGrid(QWidget* parent) : TGridEdit(parent)
{
    QTableView* grid = GetStringGrid();
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->horizontalHeader()->hide();
    grid->viewport()->installEventFilter(this);
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                platform::Guard([&] {
                    if (OnRowChange) OnRowChange(this, current.row());
                });
            });
}

int TRowGrid::GetCurrentRow() const { return GetStringGrid()->currentIndex().row(); }

void TRowGrid::SetCurrentRow(int row)
{
    if (row < 0 || row >= GetModel()->GetRowCount()) return;
    GetStringGrid()->setCurrentIndex(GetModel()->index(row, 0));
}

int TRowGrid::GetRowID(int row) const
{
    return row >= 0 && row < GetModel()->GetRowCount() ? GetModel()->Row(row).ID : 0;
}

int TRowGrid::FindID(int id) const
{
    for (int row = 0; row < GetModel()->GetRowCount(); ++row)
        if (GetModel()->Row(row).ID == id) return row;
    return -1;
}

void TRowGrid::FitColumns()
{
    const int columns = GetHeaders().GetCount();
    if (columns == 0) return;
    QTableView* grid = GetStringGrid();
    const int width = grid->viewport()->width() / columns - kGridLineWidth;
    for (int col = 0; col < columns; ++col) grid->setColumnWidth(col, std::max(8, width));
}

void TRowGrid::Leaving(int target)
{
    const int current = GetCurrentRow();
    if (target < 0 || target == current || target >= GetModel()->GetRowCount()) return;
    if (OnRowLeaving) platform::Guard([&] { OnRowLeaving(this, current); });
}

bool TRowGrid::GridMousePress(QMouseEvent* event)
{
    Leaving(GetStringGrid()->indexAt(event->position().toPoint()).row());
    return false;
}

bool TRowGrid::GridKeyPress(QKeyEvent* event)
{
    const int current = GetCurrentRow();
    const int page = std::max(1, GetStringGrid()->viewport()->height() / std::max(1, GetStringGrid()->rowHeight(0)));
    const int last = GetModel()->GetRowCount() - 1;
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up: target = current - 1; break;
    case Qt::Key_Down: target = current + 1; break;
    case Qt::Key_PageUp: target = std::max(0, current - page); break;
    case Qt::Key_PageDown: target = std::min(last, current + page); break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = last; break;
    default: return false;
    }
    Leaving(target);
    return false;
}

bool TRowGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == GetStringGrid()->viewport()) FitColumns();
    return TGridEdit::eventFilter(watched, event);
}

int FillRows(TGridEdit& grid, const std::vector<TUnitRow>& rows, int selectId, int minRows)
{
    QTableView* view = grid.GetStringGrid();
    int row = view->currentIndex().row();
    TGridModel* model = grid.GetModel();
    const int count = static_cast<int>(rows.size());
    model->SetRowCount(0);
    model->SetRowCount(std::max(minRows, count));
    int found = -1;
    for (int i = 0; i < count; ++i) {
        model->SetCell(0, i, rows[i].name);
        if (grid.GetHeaders().GetCount() > 1) model->SetCell(1, i, rows[i].name2);
        model->Row(i).ID = rows[i].id;
        if (found < 0 && selectId != 0 && rows[i].id == selectId) found = i;
    }
    row = found >= 0 ? found : std::clamp(row, 0, std::max(0, model->GetRowCount() - 1));
    if (model->GetRowCount() > 0) view->setCurrentIndex(model->index(row, 0));
    return row;
}

// ===== TUnitsEditPanel =================================================================================

TUnitsEditPanel::TUnitsEditPanel(QWidget* parent) : TMasterEditPanel(parent, "UnitsEditPanel")
{
    listLabel_ = AddPanelLabel(this, "分類されている形態", 8, 8);
    unitsList_ = new TRowGrid(this);
    unitsList_->setObjectName(QStringLiteral("UnitsList"));
    unitsList_->AddColumn("名称", 125, true, true, 0);
    unitsList_->AddColumn("仏名", 125, true, false, 0);
    nameLabel_ = AddPanelLabel(this, "名称", 8, 0);
    nameEdit_ = AddNameEdit(this, "NameEdit", false);
    nameLabel_->setBuddy(nameEdit_);
    name2Label_ = AddPanelLabel(this, "仏名", 8, 0);
    name2Edit_ = AddNameEdit(this, "Name2Edit", true);
    name2Label_->setBuddy(name2Edit_);
    SetLabelFor(listLabel_, unitsList_->GetStringGrid());
    AddButtons(this, "新規作成(&N)", {24, 50, 84, 110});
    WatchTextEdit(nameEdit_);
    WatchTextEdit(name2Edit_);
    unitsList_->GetStringGrid()->installEventFilter(this);
    unitsList_->OnRowLeaving = [this](TRowGrid*, int) {
        if (modified_) ApplyEdit();
    };
    unitsList_->OnRowChange = [this](TRowGrid*, int row) {
        if (!updating_) ShowRow(row);
    };
    Clear();
}

void TUnitsEditPanel::Clear()
{
    {
        const platform::FlagScope scope(updating_);
        unitsList_->GetModel()->SetRowCount(0);
        unitsList_->GetModel()->SetRowCount(1);
    }
    editId_ = 0;
    modified_ = false;
    SetName("");
    SetName2("");
}

void TUnitsEditPanel::AddUnit(int id, const std::string& name, const std::string& name2)
{
    const platform::FlagScope scope(updating_);
    TGridModel* model = unitsList_->GetModel();
    int row = model->GetRowCount() - 1;
    if (row == 0 && model->Row(0).ID == 0 && model->GetCell(0, 0).empty()) {
        editId_ = id;
        SetName(name);
        SetName2(name2);
        unitsList_->SetCurrentRow(0);
    } else {
        model->SetRowCount(++row + 1);
    }
    model->SetCell(0, row, name);
    model->SetCell(1, row, name2);
    model->Row(row).ID = id;
}

void TUnitsEditPanel::SetRows(const std::vector<TUnitRow>& rows, int selectId)
{
    int row = 0;
    {
        const platform::FlagScope scope(updating_);
        row = FillRows(*unitsList_, rows, selectId, 0);
    }
    if (rows.empty()) {
        editId_ = 0;
        modified_ = false;
        SetName("");
        SetName2("");
        return;
    }
    ShowRow(row);
}

int TUnitsEditPanel::GetCurrentID() const { return unitsList_->GetRowID(unitsList_->GetCurrentRow()); }
int TUnitsEditPanel::GetRowID(int row) const { return unitsList_->GetRowID(row); }
int TUnitsEditPanel::GetRowCount() const { return unitsList_->GetModel()->GetRowCount(); }

void TUnitsEditPanel::SelectID(int id)
{
    const int row = unitsList_->FindID(id);
    if (row < 0) return;
    {
        const platform::FlagScope scope(updating_);
        unitsList_->SetCurrentRow(row);
    }
    ShowRow(row);
}

void TUnitsEditPanel::ShowRow(int row)
{
    const int id = unitsList_->GetRowID(row);
    if (id == editId_ && modified_) return;   // the same row after a refill: the edit goes on
    editId_ = id;
    modified_ = false;
    SetName(unitsList_->GetModel()->GetCell(0, row));
    SetName2(unitsList_->GetModel()->GetCell(1, row));
}

std::string TUnitsEditPanel::GetName() const { return nameEdit_->GetText(); }
std::string TUnitsEditPanel::GetName2() const { return name2Edit_->GetText(); }
void TUnitsEditPanel::SetName(const std::string& text) { LoadText(nameEdit_, text); }
void TUnitsEditPanel::SetName2(const std::string& text) { LoadText(name2Edit_, text); }

void TUnitsEditPanel::SetListCaption(const std::string& caption) { listLabel_->setText(platform::ToQString(caption)); }

void TUnitsEditPanel::ApplyEdit()
{
    TakeText();
    DoReturn();
}

void TUnitsEditPanel::CancelEdit() { RestoreText(); }

bool TUnitsEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == nameEdit_ || watched == name2Edit_)) {
        platform::Guard([&] { EnterText(static_cast<TExView*>(watched), watched == nameEdit_ ? epName : epName2); });
    } else if (EditKey(event)) {
        return true;
    }
    return TMasterEditPanel::eventFilter(watched, event);
}

void TUnitsEditPanel::resizeEvent(QResizeEvent* event)
{
    TMasterEditPanel::resizeEvent(event);
    const int w = std::max(40, width() - kEditMargin);
    const int h = height();
    unitsList_->setGeometry(8, 24, w, std::max(20, h - kListShorter));
    nameLabel_->move(8, h - 84);
    nameEdit_->setGeometry(8, h - 68, w, kEditHeight);
    name2Label_->move(8, h - 44);
    name2Edit_->setGeometry(8, h - 28, w, kEditHeight);
    PlaceButtons(this);
}

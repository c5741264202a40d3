#include "screens/Funitseditpanel.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/FlagScope.h"
#include "richtext/Exview.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr int kButtonLeft = 129;
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

// ===== TUnitsEditPanel =================================================================================

TUnitsEditPanel::TUnitsEditPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("UnitsEditPanel"));
    setFont(VktFormFont());
    resize(420, 300);
    listLabel_ = AddPanelLabel(this, "分類されている形態", 8, 8);
    unitsList_ = new TRowGrid(this);
    unitsList_->setObjectName(QStringLiteral("UnitsList"));
    unitsList_->AddColumn("名称", 125, true, true, 0);
    unitsList_->AddColumn("仏名", 125, true, false, 0);
    nameLabel_ = AddPanelLabel(this, "名称", 8, 0);
    nameEdit_ = AddNameEdit(this, "NameEdit", false);
    name2Label_ = AddPanelLabel(this, "仏名", 8, 0);
    name2Edit_ = AddNameEdit(this, "Name2Edit", true);
    btnNew_ = AddPanelButton(this, "BtnNew", "新規作成(&N)", 24);
    btnDelete_ = AddPanelButton(this, "BtnDelete", "削除(&D)", 50);
    btnUp_ = AddPanelButton(this, "BtnUp", "上に移動(&T)", 84);
    btnDown_ = AddPanelButton(this, "BtnDown", "下に移動(&B)", 110);
    bevel1_ = AddPanelBevel(this, "Bevel1");
    btnReturn_ = AddPanelButton(this, "BtnReturn", "設定", 0);
    bevel2_ = AddPanelBevel(this, "Bevel2");
    btnCancel_ = AddPanelButton(this, "BtnCancel", "元に戻す", 0);

    for (TExView* edit : {nameEdit_, name2Edit_}) {
        edit->installEventFilter(this);
        edit->OnChange = [this](TExView* sender) { EditChange(sender); };
    }
    unitsList_->GetStringGrid()->installEventFilter(this);
    unitsList_->OnRowLeaving = [this](TRowGrid*, int) {
        if (modified_) ApplyEdit();
    };
    unitsList_->OnRowChange = [this](TRowGrid*, int row) {
        if (!updating_) ShowRow(row);
    };
    connect(btnReturn_, &QPushButton::clicked, this, [this] { platform::Guard([this] { ApplyEdit(); }); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] { platform::Guard([this] { CancelEdit(); }); });
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
    int row = unitsList_->GetCurrentRow();
    {
        const platform::FlagScope scope(updating_);
        TGridModel* model = unitsList_->GetModel();
        model->SetRowCount(0);
        model->SetRowCount(static_cast<int>(rows.size()));
        for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
            model->SetCell(0, i, rows[i].name);
            model->SetCell(1, i, rows[i].name2);
            model->Row(i).ID = rows[i].id;
        }
        const int found = unitsList_->FindID(selectId);
        row = found >= 0 ? found : std::clamp(row, 0, std::max(0, model->GetRowCount() - 1));
        unitsList_->SetCurrentRow(row);
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
void TUnitsEditPanel::SetName(const std::string& text) { SetEditText(nameEdit_, text); }
void TUnitsEditPanel::SetName2(const std::string& text) { SetEditText(name2Edit_, text); }

void TUnitsEditPanel::SetEditText(TExView* edit, const std::string& text)
{
    // A loaded value is the undo value of the part being edited.
    if (edit == activeEdit_) undoText_ = text;
    if (edit->GetText() == text) return;
    const platform::FlagScope scope(updating_);
    edit->SetText(text);
}

void TUnitsEditPanel::SetListCaption(const std::string& caption) { listLabel_->setText(platform::ToQString(caption)); }

void TUnitsEditPanel::DoReturn()
{
    if (OnReturn) OnReturn(this);
}

void TUnitsEditPanel::ApplyEdit()
{
    modified_ = false;
    if (activeEdit_) undoText_ = activeEdit_->GetText();
    DoReturn();
}

void TUnitsEditPanel::CancelEdit()
{
    if (activeEdit_) {
        {
            const platform::FlagScope scope(updating_);
            activeEdit_->SetText(undoText_);
        }
        activeEdit_->GetEditor()->SelectAll();
        activeEdit_->update();
    }
    modified_ = false;
}

void TUnitsEditPanel::EditEnter(TExView* edit)
{
    if (modified_) ApplyEdit();
    undoText_ = edit->GetText();
    activeEdit_ = edit;
    editPart_ = edit == nameEdit_ ? epName : epName2;
}

void TUnitsEditPanel::EditChange(TExView* edit)
{
    if (updating_ || edit != activeEdit_) return;
    modified_ = edit->GetText() != undoText_;
}

bool TUnitsEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn && (watched == nameEdit_ || watched == name2Edit_)) {
        platform::Guard([&] { EditEnter(static_cast<TExView*>(watched)); });
    } else if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool taken = false;
        platform::Guard([&] {
            taken = RunEditKey(EditKeyOf(key->key(), key->modifiers()), [this] { CancelEdit(); }, [this] { ApplyEdit(); });
        });
        if (taken) return true;
    }
    return QFrame::eventFilter(watched, event);
}

void TUnitsEditPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int w = std::max(40, width() - kEditMargin);
    const int h = height();
    unitsList_->setGeometry(8, 24, w, std::max(20, h - kListShorter));
    nameLabel_->move(8, h - 84);
    nameEdit_->setGeometry(8, h - 68, w, kEditHeight);
    name2Label_->move(8, h - 44);
    name2Edit_->setGeometry(8, h - 28, w, kEditHeight);
    for (QPushButton* b : {btnNew_, btnDelete_, btnUp_, btnDown_}) b->move(width() - kButtonLeft, b->y());
    PlaceReturnButtons(this, bevel1_, btnReturn_, bevel2_, btnCancel_);
}

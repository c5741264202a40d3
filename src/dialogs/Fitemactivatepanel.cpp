#include "dialogs/Fitemactivatepanel.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/Text.h"
#include "screens/Fgridedit.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFrame>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int kDragThreshold = 5;
constexpr int kButtonWidth = 113;
constexpr int kButtonHeight = 25;

int RowOf(TGridEdit* grid)
{
    const QModelIndex index = grid->GetStringGrid()->currentIndex();
    return index.isValid() && index.row() < grid->GetModel()->GetRowCount() ? index.row() : -1;
}

} // namespace

// StringGrid1: a press on a used row arms a drag that starts after 5 pixels.
class TActivateGrid : public TGridEdit {
public:
    TActivateGrid(TItemActivatePanel* panel, QWidget* parent) : TGridEdit(parent), panel_(panel) {}

protected:
    bool GridMousePress(QMouseEvent* event) override
    {
        const QModelIndex index = GetStringGrid()->indexAt(event->position().toPoint());
        armed_ = event->button() == Qt::LeftButton && index.isValid() && index.row() < GetModel()->GetRowCount() &&
                 GetModel()->Row(index.row()).ID != 0;
        start_ = event->position().toPoint();
        return false;
    }
    bool GridMouseMove(QMouseEvent* event) override
    {
        if (!armed_ || (event->position().toPoint() - start_).manhattanLength() < kDragThreshold) return false;
        armed_ = false;
        const int row = RowOf(this);
        if (row >= 0) panel_->StartDrag(GetModel()->GetCell(0, row));
        return true;
    }
    bool GridMouseRelease(QMouseEvent*) override
    {
        armed_ = false;
        return false;
    }

private:
    TItemActivatePanel* panel_;
    bool armed_ = false;
    QPoint start_;
};

TItemActivatePanel::TItemActivatePanel(QWidget* parent) : QFrame(parent)
{
    setObjectName("ItemActivatePanel");
    resize(320, 244);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName("Splitter");
    splitter_->setHandleWidth(8);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    grid1_ = new TActivateGrid(this, splitter_);
    grid1_->setObjectName("StringGrid1");
    grid1_->AddColumn("不明な項目", 130, true, true, 0);
    grid1_->setMinimumHeight(4);
    grid2_ = new TGridEdit(splitter_);
    grid2_->setObjectName("StringGrid2");
    grid2_->AddColumn("登録されている項目", 130, true, true, 0);
    grid2_->AddColumn("設定する項目", 130, true, true, 0);
    grid2_->setMinimumHeight(4);
    splitter_->addWidget(grid1_);
    splitter_->addWidget(grid2_);
    splitter_->setSizes({120, 116});
    for (TGridEdit* grid : {static_cast<TGridEdit*>(grid1_), grid2_}) {
        grid->GetHeaderControl()->setSectionResizeMode(QHeaderView::Interactive);
        grid->GetStringGrid()->setSelectionBehavior(QAbstractItemView::SelectRows);
    }
    grid2_->GetStringGrid()->setAcceptDrops(true);
    grid2_->GetStringGrid()->viewport()->setAcceptDrops(true);
    grid2_->GetStringGrid()->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter_);
    Reload();
}

TGridEdit* TItemActivatePanel::GetStringGrid1() const { return grid1_; }
TGridEdit* TItemActivatePanel::GetStringGrid2() const { return grid2_; }

void TItemActivatePanel::Reload()
{
    const int row1 = GetUnknownRow();
    const int row2 = GetItemRow();
    TGridModel* model1 = grid1_->GetModel();
    const auto& unknown = map_.GetUnknownItems();
    model1->SetRowCount(std::max<int>(1, static_cast<int>(unknown.size())));
    model1->SetCell(0, 0, "");
    model1->Row(0).ID = 0;
    for (std::size_t i = 0; i < unknown.size(); ++i) {
        model1->SetCell(0, static_cast<int>(i), unknown[i]);
        model1->Row(static_cast<int>(i)).ID = 1;
    }
    model1->Repaint();
    TGridModel* model2 = grid2_->GetModel();
    const auto& items = map_.GetItems();
    model2->SetRowCount(std::max<int>(1, static_cast<int>(items.size())));
    model2->SetCell(0, 0, "");
    model2->SetCell(1, 0, "");
    model2->Row(0).ID = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int row = static_cast<int>(i);
        model2->SetCell(0, row, items[i].Name);
        model2->SetCell(1, row, platform::JoinCommaText(items[i].Mapped));
        model2->Row(row).ID = items[i].Id;
    }
    model2->Repaint();
    auto place = [](TGridEdit* grid, int row, int count) {
        const int target = std::clamp(row, 0, std::max(0, count - 1));
        grid->GetStringGrid()->setCurrentIndex(grid->GetStringGrid()->model()->index(target, 0));
    };
    place(grid1_, row1, static_cast<int>(unknown.size()));
    place(grid2_, row2, static_cast<int>(items.size()));
}

void TItemActivatePanel::ClearUnknownItems()
{
    map_.ClearUnknownItems();
    Reload();
}

void TItemActivatePanel::AddUnknownItem(const std::string& name)
{
    map_.AddUnknownItem(name);
    Reload();
}

void TItemActivatePanel::DeleteUnknownItem(int row)
{
    map_.DeleteUnknownItem(row);
    Reload();
}

void TItemActivatePanel::ClearItems()
{
    map_.ClearItems();
    Reload();
}

void TItemActivatePanel::AddItem(int id, const std::string& name, const std::string& alias)
{
    map_.AddItem(id, name, alias);
    Reload();
}

int TItemActivatePanel::GetUnknownRow() const
{
    const int row = RowOf(grid1_);
    return row >= 0 && row < static_cast<int>(map_.GetUnknownItems().size()) ? row : -1;
}

int TItemActivatePanel::GetItemRow() const
{
    const int row = RowOf(grid2_);
    return row >= 0 && row < static_cast<int>(map_.GetItems().size()) ? row : -1;
}

void TItemActivatePanel::SetItemRow(int row)
{
    grid2_->GetStringGrid()->setCurrentIndex(grid2_->GetStringGrid()->model()->index(row, 0));
}

void TItemActivatePanel::SetItem()
{
    if (map_.SetItem(GetUnknownRow(), GetItemRow())) Reload();
}

void TItemActivatePanel::ResetItem()
{
    const int row = GetItemRow();
    if (row < 0) return;
    map_.ResetItem(row);
    Reload();
}

void TItemActivatePanel::StartDrag(const std::string& name)
{
    auto* drag = new QDrag(grid1_->GetStringGrid());
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kActivateItemMime), QByteArray::fromStdString(name));
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

bool TItemActivatePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != grid2_->GetStringGrid()->viewport()) return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        const QModelIndex index = grid2_->GetStringGrid()->indexAt(drag->position().toPoint());
        const bool accept = drag->mimeData()->hasFormat(QString::fromLatin1(kActivateItemMime)) && index.isValid() &&
                            index.row() < static_cast<int>(map_.GetItems().size());
        if (accept) {
            SetItemRow(index.row());
            drag->acceptProposedAction();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!drop->mimeData()->hasFormat(QString::fromLatin1(kActivateItemMime))) return true;
        const QModelIndex index = grid2_->GetStringGrid()->indexAt(drop->position().toPoint());
        if (index.isValid()) SetItemRow(index.row());
        platform::Guard([&] { SetItem(); });
        drop->acceptProposedAction();
        return true;
    }
    default: return QFrame::eventFilter(watched, event);
    }
}

void TItemActivatePanel::SetColumnWidths()
{
    QTableView* view = grid1_->GetStringGrid();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int border = view->frameShape() != QFrame::NoFrame ? 2 : 0;
    const int width = std::max(0, this->width() - scrollBar - 2 - border - 1);
    view->setColumnWidth(0, width);
    grid2_->GetStringGrid()->setColumnWidth(0, width / 3);
    grid2_->GetStringGrid()->setColumnWidth(1, width / 3 * 2);
}

void TItemActivatePanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    SetColumnWidths();
}

TItemActivateEdit::TItemActivateEdit(QWidget* parent) : QFrame(parent)
{
    setObjectName("ItemActivateEdit");
    resize(380, 224);
    panel_ = new TItemActivatePanel(this);
    auto button = [this](const char* name, const char* caption, int top) {
        auto* b = new QPushButton(platform::ToQString(caption), this);
        b->setObjectName(name);
        b->setGeometry(width() - kButtonWidth, top, kButtonWidth, kButtonHeight);
        return b;
    };
    btnSet_ = button("BtnItemSet", "不明項目を設定(&S)", 0);
    btnReset_ = button("BtnItemReset", "設定のやり直し(&R)", kButtonHeight + 4);
    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(width() - kButtonWidth, 2 * (kButtonHeight + 4) + 3, kButtonWidth, 2);
    btnNew_ = button("BtnItemNew", "新規項目作成(&N)", 2 * (kButtonHeight + 4) + 10);
    connect(btnSet_, &QPushButton::clicked, this, [this] { platform::Guard([this] { BtnItemSetClick(); }); });
    connect(btnReset_, &QPushButton::clicked, this, [this] { platform::Guard([this] { BtnItemResetClick(); }); });
}

void TItemActivateEdit::BtnItemSetClick() { panel_->SetItem(); }
void TItemActivateEdit::BtnItemResetClick() { panel_->ResetItem(); }

void TItemActivateEdit::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    panel_->setGeometry(0, 0, std::max(0, width() - 138), height());
    for (QPushButton* b : {btnSet_, btnReset_, btnNew_}) b->move(width() - kButtonWidth, b->y());
    if (auto* bevel = findChild<QFrame*>("Bevel1", Qt::FindDirectChildrenOnly)) bevel->move(width() - kButtonWidth, bevel->y());
}

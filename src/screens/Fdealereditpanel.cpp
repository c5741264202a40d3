#include "screens/Fdealereditpanel.h"

#include "data/Vkttabledefine.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/FlagScope.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Ficoneditpanel.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"
#include "widgets/Utextlimit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>

#include <algorithm>

namespace {

constexpr int kEditMargin = 153;
constexpr int kEditHeight = 20;
constexpr int kListWidth = 160;

struct TEditSpec {
    const char* name;
    const char* caption;
};
constexpr TEditSpec kEdits[] = {{"CompanyEdit", "購入業者"}, {"DealerEdit", "担当者"}, {"PostCodeEdit", "〒"},
                                {"AddressEdit", "所在地"},   {"TELEdit", "TEL"},       {"TEL2Edit", "TEL2"},
                                {"FAXEdit", "FAX"},         {"MailEdit", "E-Mail"}};

// Keeps the panel's children placed by its resize rule.
class TResizeWatch : public QObject {
public:
    TResizeWatch(QWidget* target, std::function<void()> onResize) : QObject(target), onResize_(std::move(onResize))
    {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize) onResize_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onResize_;
};

} // namespace

TDealerEditPanel::TDealerEditPanel(QWidget* parent) : TMasterEditPanel(parent, "DealerEditPanel")
{
    resize(520, 360);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setChildrenCollapsible(false);
    splitter_->setHandleWidth(4);
    dealerList_ = new TRowGrid(splitter_);
    dealerList_->setObjectName(QStringLiteral("DealerList"));
    dealerList_->AddColumn("購入業者", 125, true, true, 0);
    panel_ = new QWidget(splitter_);
    panel_->setObjectName(QStringLiteral("Panel"));
    panel_->resize(360, 360);
    for (int part = 0; part < dpCount; ++part) {
        QLabel* label = AddPanelLabel(panel_, kEdits[part].caption, 8, 8 + 40 * part);
        auto* edit = new QLineEdit(panel_);
        label->setBuddy(edit);
        edit->setObjectName(QString::fromLatin1(kEdits[part].name));
        edit->setGeometry(8, 24 + 40 * part, 200, kEditHeight);
        // The editors follow the dealer table's columns from Company on.
        SetTextLimit(*edit, GetFieldSize(static_cast<TVktField>(ToInt(TVktField::Company) + part)));
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { EditChange(edit); });
        edits_[static_cast<std::size_t>(part)] = edit;
    }
    AddButtons(panel_, "新規作成(&N)", {24, 50, 84, 110});
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kListWidth, width() - kListWidth});
    new TResizeWatch(panel_, [this] { PanelResize(); });

    dealerList_->GetStringGrid()->installEventFilter(this);
    dealerList_->OnRowLeaving = [this](TRowGrid*, int) {
        if (modified_) ApplyEdit();
    };
    dealerList_->OnRowChange = [this](TRowGrid*, int row) {
        if (!updating_) RowChanged(row);
    };
    Clear();
}

void TDealerEditPanel::Clear() { SetRows({}, 0); }

void TDealerEditPanel::AddDealer(int id, const std::string& company)
{
    const platform::FlagScope scope(updating_);
    TGridModel* model = dealerList_->GetModel();
    int row = model->GetRowCount() - 1;
    if (!(row == 0 && model->Row(0).ID == 0)) model->SetRowCount(++row + 1);
    model->SetCell(0, row, company);
    model->Row(row).ID = id;
}

void TDealerEditPanel::SetRows(const std::vector<TUnitRow>& rows, int selectId)
{
    int row = 0;
    {
        // An empty list keeps one blank row with id 0.
        const platform::FlagScope scope(updating_);
        row = FillRows(*dealerList_, rows, selectId, 1);
    }
    RowChanged(row);
}

int TDealerEditPanel::GetRowID(int row) const { return dealerList_->GetRowID(row); }
int TDealerEditPanel::GetCurrentID() const { return dealerList_->GetRowID(GetCurrentRow()); }
int TDealerEditPanel::GetCurrentRow() const { return dealerList_->GetCurrentRow(); }
int TDealerEditPanel::GetRowCount() const { return dealerList_->GetModel()->GetRowCount(); }

void TDealerEditPanel::SelectRow(int row)
{
    if (row < 0 || row >= GetRowCount() || row == GetCurrentRow()) return;
    if (modified_) ApplyEdit();
    {
        const platform::FlagScope scope(updating_);
        dealerList_->SetCurrentRow(row);
    }
    RowChanged(row);
}

void TDealerEditPanel::RowChanged(int row)
{
    const int id = dealerList_->GetRowID(row);
    if (id == editId_ && modified_) return;   // the same dealer after a refill: the edit goes on
    editId_ = id;
    modified_ = false;
    for (int part = 0; part < dpCount; ++part) SetText(part, {});
    if (id != 0 && OnSelect) OnSelect(this);
}

std::string TDealerEditPanel::GetText(int part) const
{
    return part >= 0 && part < dpCount ? platform::FromQString(GetEdit(part)->text()) : std::string();
}

void TDealerEditPanel::SetText(int part, const std::string& text)
{
    if (part < 0 || part >= dpCount) return;
    const platform::FlagScope scope(updating_);
    GetEdit(part)->setText(platform::ToQString(text));
    GetEdit(part)->setCursorPosition(0);
}

void TDealerEditPanel::ApplyEdit()
{
    if (activeLine_) undoText_ = platform::FromQString(activeLine_->text());
    const int row = dealerList_->FindID(editId_);
    if (row >= 0) dealerList_->GetModel()->SetCell(0, row, GetCompany());
    modified_ = false;
    DoReturn();
}

void TDealerEditPanel::CancelEdit()
{
    if (activeLine_) {
        {
            const platform::FlagScope scope(updating_);
            activeLine_->setText(platform::ToQString(undoText_));
        }
        activeLine_->selectAll();
    }
    modified_ = false;
}

void TDealerEditPanel::EditEnter(QLineEdit* edit)
{
    if (modified_) ApplyEdit();
    undoText_ = platform::FromQString(edit->text());
    activeLine_ = edit;
    editPart_ = static_cast<int>(std::find(edits_.begin(), edits_.end(), edit) - edits_.begin());
}

void TDealerEditPanel::EditChange(QLineEdit* edit)
{
    if (updating_ || edit != activeLine_) return;
    modified_ = platform::FromQString(edit->text()) != undoText_;
}

int TDealerEditPanel::GetListWidth() const { return dealerList_->width(); }

void TDealerEditPanel::SetListWidth(int width)
{
    const int total = splitter_->width() - splitter_->handleWidth();
    splitter_->setSizes({width, std::max(1, total - width)});
}

bool TDealerEditPanel::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    const bool ours = edit && std::find(edits_.begin(), edits_.end(), edit) != edits_.end();
    if (event->type() == QEvent::FocusIn && ours) {
        platform::Guard([&] { EditEnter(edit); });
    } else if ((ours || watched == dealerList_->GetStringGrid()) && EditKey(event)) {
        return true;
    }
    return TMasterEditPanel::eventFilter(watched, event);
}

void TDealerEditPanel::resizeEvent(QResizeEvent* event)
{
    TMasterEditPanel::resizeEvent(event);
    splitter_->setGeometry(rect());
}

void TDealerEditPanel::PanelResize()
{
    const int w = panel_->width();
    for (QLineEdit* edit : edits_) edit->resize(std::max(40, w - kEditMargin), kEditHeight);
    PlaceButtons(panel_);
}

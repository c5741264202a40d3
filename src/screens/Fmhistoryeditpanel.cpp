#include "screens/Fmhistoryeditpanel.h"

#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "platform/NumberText.h"
#include "screens/Fgridedit.h"
#include "screens/Uchartsupport.h"
#include "widgets/Fvktform.h"

#include <QHeaderView>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <cmath>

using platform::TDateTime;

namespace {

constexpr int kDayCol = 0;
constexpr int kPriceCol = 1;

// A price cell's number: "" is 0; false when the text is no number.
bool PriceValue(const std::string& text, double& value)
{
    value = 0;
    return text.find_first_not_of(' ') == std::string::npos || platform::TryStrToFloat(text, value);
}

} // namespace

class TMHistoryEditPanel::Grid : public TCellEditGrid {
public:
    explicit Grid(TMHistoryEditPanel* panel) : TCellEditGrid(panel), panel_(panel) {}

    // The day of a row lies before today.
    bool IsPast(int row) const
    {
        return panel_->month_ != 0 && row >= 0 && row < GetModel()->GetRowCount() &&
               panel_->month_ - platform::DecodeDate(panel_->month_).day + 1 + row < platform::Today();
    }

protected:
    void CanEdit(int col, int row, bool& allowed) override { allowed = col == kPriceCol && IsPast(row); }

    bool AcceptsText(int col, int, const std::string& text) const override
    {
        double value = 0;
        return col != kPriceCol || PriceValue(text, value);
    }

    void GetCellText(int col, int row, std::string& text, QRect& rect) override
    {
        double value = 0;
        if (col != kPriceCol || text.empty() || !PriceValue(text, value)) return;
        text = ChartNumberText(value);
        QPainter* painter = PaintingPainter();
        if (!painter || IsPast(row)) return;
        // Today and later: drawn here in grey.
        painter->save();
        painter->setFont(font());
        painter->setPen(platform::ToQColor(platform::GetSystemColor(platform::SystemColor::GrayText)));
        painter->drawText(rect.adjusted(0, 2, 0, 0), Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine,
                          platform::ToQString(text));
        painter->restore();
        text.clear();
    }

    void DoApply() override
    {
        TCellEditGrid::DoApply();
        panel_->DoChange();
    }

private:
    TMHistoryEditPanel* panel_;
};

TMHistoryEditPanel::TMHistoryEditPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("MHistoryEditPanel"));
    setFont(VktFormFont());
    resize(201, 200);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    grid_ = new Grid(this);
    grid_->setObjectName(QStringLiteral("StringGrid"));
    grid_->AddColumn("日付", 100, true, true, 0);
    grid_->AddColumn("使用単価", 100, false, true, 0);
    grid_->OnModifiedChange = [this](QObject*) {
        if (OnModifiedChange) OnModifiedChange(this);
    };
    layout->addWidget(grid_);
    Clear();
}

TMHistoryEditPanel::TMHistoryEditPanel(THistoryChartPanel* chart) : TMHistoryEditPanel(static_cast<QWidget*>(chart))
{
    OnChange = [chart](QObject*) { chart->MonthEditorChange(); };
    chart->SetMonthEditor(this);
    // The chart panel hands its editor's widget back (unparented) when it goes; the editor
    // follows it through a guard that the chart panel owns.
    auto* guard = new QObject(chart);
    QPointer<TMHistoryEditPanel> self(this);
    connect(guard, &QObject::destroyed, [self] { delete self.data(); });
}

void TMHistoryEditPanel::Clear()
{
    month_ = 0;
    grid_->SetModified(false);
    grid_->GetModel()->SetRowCount(0);
}

void TMHistoryEditPanel::SetMonth(TDateTime month)
{
    if (month == month_) return;
    month_ = month;
    const platform::DateParts parts = platform::DecodeDate(month);
    const int days = platform::DaysInMonth(parts.year, parts.month);
    TGridModel* model = grid_->GetModel();
    grid_->SetModified(false);
    model->SetRowCount(0);
    model->SetRowCount(days);
    for (int day = 1; day <= days; ++day) {
        model->SetCell(kDayCol, day - 1, std::to_string(parts.month) + "月" + std::to_string(day) + "日");
        model->SetCell(kPriceCol, day - 1, "");
    }
}

int TMHistoryEditPanel::RowOf(TDateTime date) const
{
    if (month_ == 0) return -1;
    const platform::DateParts shown = platform::DecodeDate(month_);
    const platform::DateParts day = platform::DecodeDate(date);
    if (day.year != shown.year || day.month != shown.month) return -1;
    return day.day - 1;
}

void TMHistoryEditPanel::SetPrice(platform::Currency price, TDateTime date)
{
    const int row = RowOf(date);
    if (row >= 0) grid_->GetModel()->SetCell(kPriceCol, row, price.ToText());
}

platform::Currency TMHistoryEditPanel::GetPrice(TDateTime date) const
{
    const int row = RowOf(date);
    double value = 0;
    if (row < 0 || !PriceValue(grid_->GetModel()->GetCell(kPriceCol, row), value)) return {};
    return platform::Currency::FromDouble(value);
}

TDateTime TMHistoryEditPanel::GetDate() const
{
    if (month_ == 0) return 0;
    const int row = std::max(0, grid_->EditRow());
    return std::floor(month_) - platform::DecodeDate(month_).day + 1 + row;
}

TCellEditGrid* TMHistoryEditPanel::GetStringGrid() const { return grid_; }

bool TMHistoryEditPanel::GetModified() const { return grid_->GetModified(); }

const std::string& TMHistoryEditPanel::GetKeptText() const { return grid_->GetUndoText(); }

void TMHistoryEditPanel::Cancel() { grid_->CancelEdit(); }

void TMHistoryEditPanel::Apply() { grid_->ApplyEdit(); }

void TMHistoryEditPanel::DoChange()
{
    if (OnChange) OnChange(this);
}

void TMHistoryEditPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int half = std::max(3, grid_->GetStringGrid()->viewport()->width() / 2 - 1);
    for (int col = 0; col < 2; ++col) grid_->GetHeaderControl()->resizeSection(col, half);
}

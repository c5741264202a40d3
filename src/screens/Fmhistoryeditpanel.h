#pragma once
// TMHistoryEditPanel: the days of one month with an ingredient's use-unit price of each day, the
// price of a day before today editable in place. Columns "日付" ("m月d日") and "使用単価"; row r is
// day r + 1. Prices are kept as the cells' texts ("" no price) and drawn as "#,##0.##", those of
// today and later in grey. The edit cycle is the cell-edit grid's: a changed price is applied
// (OnChange) when the cell is left, on Enter or Ctrl+Enter, Esc restores it.
//
// Made for a history chart panel, it puts itself there as the month editor, reports its changes
// to the chart panel and lives as long as that panel.
#include "screens/Fhistorychartpanel.h"

#include <QFrame>

#include <functional>
#include <string>

class TCellEditGrid;

class TMHistoryEditPanel : public QFrame, public TMonthPriceEditor {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit TMHistoryEditPanel(QWidget* parent = nullptr);
    explicit TMHistoryEditPanel(THistoryChartPanel* chart);

    QWidget* EditorWidget() override { return this; }
    // No month; the headers over one empty row.
    void Clear() override;
    // Only for a date other than the month's: all days listed without prices.
    void SetMonth(platform::TDateTime month) override;
    void SetPrice(platform::Currency price, platform::TDateTime date) override;
    platform::TDateTime GetDate() const override;
    // 0 for a day without a price (or one outside the month).
    platform::Currency GetPrice(platform::TDateTime date) const override;
    bool GetModified() const override;
    void Cancel() override;
    void Apply();

    platform::TDateTime GetMonth() const { return month_; }
    // The undo text of the edit (the price cell's text when editing began or was last applied).
    const std::string& GetKeptText() const;
    TCellEditGrid* GetStringGrid() const;

    TNotify OnChange;
    TNotify OnModifiedChange;

protected:
    virtual void DoChange();
    void resizeEvent(QResizeEvent* event) override;

private:
    class Grid;
    // The row of the date's day in the shown month; -1 when it lies elsewhere.
    int RowOf(platform::TDateTime date) const;

    Grid* grid_ = nullptr;
    platform::TDateTime month_ = 0;
};

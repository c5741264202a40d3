#pragma once
// THistoryChartPanel: an ingredient's price history on two pages, "月間履歴" (the use-unit price
// of each day of one month as a line, with the month editor beside it for past days) and
// "年間履歴" (the highest, average, lowest and last price of each month of one year). The owner
// clears it, feeds it the stored points and writes a corrected day price when it reports one.
//
// THistoryChartModel holds the points the charts show (a price per day, four prices per month)
// with the month and year lists; the series are rebuilt from it.
#include "platform/DateTime.h"
#include "screens/Uchartsupport.h"

#include <QFrame>

#include <QMetaObject>
#include <QRectF>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class Currency;
}

class QAbstractSeries;
class QAreaSeries;
class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QSplitter;
class QTabWidget;
class QToolButton;
class QWidget;
class QXYSeries;

// The value of each point of a series written above it as the value axes write numbers
// ("#,##0.##"; the series' own point labels know only the plain number form), kept in place as
// the points, the axes' ranges and the plot area change. The labels belong to the chart. The marks
// of all series of one chart are laid out together: a mark goes below its point when the place
// above is taken, and is left out when both are.
class TPointMarks {
public:
    // points: the series holding the points; shown: the series drawn (the same, or an area over
    // them), whose axes place the labels.
    TPointMarks(QChart* chart, QXYSeries* points, QAbstractSeries* shown);
    ~TPointMarks();
    TPointMarks(const TPointMarks&) = delete;
    TPointMarks& operator=(const TPointMarks&) = delete;

    bool IsVisible() const { return visible_; }
    void SetVisible(bool visible);
    // The label texts, one per point.
    std::vector<std::string> Texts() const;
    // The boxes of the labels shown, in scene coordinates.
    std::vector<QRectF> ShownBoxes() const;

private:
    void Update();
    // Places the shown marks of every series of the chart, in the order the marks were made.
    static void LayOut(QChart* chart);

    QChart* chart_;
    QXYSeries* points_;
    QAbstractSeries* shown_;
    bool visible_ = false;
    std::vector<QGraphicsSimpleTextItem*> labels_;
    std::vector<QMetaObject::Connection> connections_;
};

class THistoryChartModel {
public:
    struct DayPoint {
        platform::TDateTime date = 0;
        double price = 0;
    };
    struct MonthPoint {
        platform::TDateTime date = 0;   // the first day of the month
        double max = 0, ave = 0, min = 0, last = 0;
    };
    struct ListEntry {
        std::string text;
        platform::TDateTime date = 0;
    };

    void ClearMonthly();
    void ClearYearly();

    // A price that is not 0 becomes a point (kept in date order); every month from the date's up
    // to the current one (the previous one on the 1st) is listed unless it is already.
    void AddMonthPoint(platform::TDateTime date, double price);
    // One point at the first day of the date's month; the year is listed unless it is already.
    void AddYearPoint(platform::TDateTime date, double max, double ave, double min, double last);
    // The point of the day (any time of it) is removed; a price above 0 puts a new one there.
    void SetDayPrice(platform::TDateTime day, double price);

    const std::vector<DayPoint>& GetDayPoints() const { return days_; }
    const std::vector<MonthPoint>& GetMonthPoints() const { return months_; }
    // The points of the month of `month`, in date order.
    std::vector<DayPoint> PointsOfMonth(platform::TDateTime month) const;
    const std::vector<ListEntry>& GetMonthList() const { return monthList_; }
    const std::vector<ListEntry>& GetYearList() const { return yearList_; }

    // The left axes: lowest to highest day price (0 and 1 without points), margin 0.1; lowest
    // minimum to highest maximum of the months, margin 0.2.
    TAxisRange MonthlyRange() const;
    TAxisRange YearlyRange() const;

private:
    std::vector<DayPoint> days_;
    std::vector<MonthPoint> months_;
    std::vector<ListEntry> monthList_;
    std::vector<ListEntry> yearList_;
};

// The month editor as the chart panel drives it: the editor is shown beside the monthly chart,
// filled when a month is shown and read when it reports a changed day.
class TMonthPriceEditor {
public:
    virtual ~TMonthPriceEditor() = default;
    virtual QWidget* EditorWidget() = 0;
    virtual void Clear() = 0;
    virtual void SetMonth(platform::TDateTime month) = 0;
    virtual void SetPrice(platform::Currency price, platform::TDateTime date) = 0;
    // The day of the current row and the price of a day.
    virtual platform::TDateTime GetDate() const = 0;
    virtual platform::Currency GetPrice(platform::TDateTime date) const = 0;
    virtual bool GetModified() const = 0;
    virtual void Cancel() = 0;
};

class THistoryChartPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit THistoryChartPanel(QWidget* parent = nullptr);
    ~THistoryChartPanel() override;

    // Between these the points only go into the model and the lists; the series and the emptied
    // axes are redrawn once at the end (ShowLastEntries inside scales the axes at once).
    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // Both pages emptied, the month editor cleared, both left axes 0 to 1000.
    void Clear();
    void AddMonthPoint(platform::TDateTime date, double price);
    void AddYearPoint(platform::TDateTime date, double max, double ave, double min, double last);

    // The editor's modified flag / its revert (the owner calls it before a reload).
    bool IsEditing() const;
    void CancelEdit();

    // The editor (kept by the caller, its widget put beside the chart, hidden until the edit
    // button shows it). The editor's change report must call MonthEditorChange.
    void SetMonthEditor(TMonthPriceEditor* editor);
    TMonthPriceEditor* GetMonthEditor() const { return editor_; }
    // The editor changed a day's price: OnMHistoryChange, then the day's point follows the price.
    void MonthEditorChange();

    // Shows the last month and the last year listed (after loading).
    void ShowLastEntries();

    const THistoryChartModel& GetModel() const { return model_; }
    QTabWidget* GetPageControl() const { return pageControl_; }
    QComboBox* GetMonthList() const { return cbMHistoryList_; }
    QComboBox* GetYearList() const { return cbYHistoryList_; }
    QToolButton* GetBtnMHistEdit() const { return btnMHistEdit_; }
    QToolButton* GetBtnMHMark() const { return btnMHMark_; }
    // Tag 0 maximum, 1 average, 2 minimum, 3 last.
    QToolButton* GetYearMarkButton(int tag) const { return yearMarks_[tag]; }
    QChart* GetMonthChart() const { return mhChart_; }
    QChart* GetYearChart() const { return yhChart_; }
    QLineSeries* GetMonthSeries() const { return mhSeries_; }
    // 0 maximum, 1 average, 2 minimum (areas), 3 last (line): the upper lines of the areas.
    QLineSeries* GetYearLine(int tag) const { return yearLines_[tag]; }
    QAreaSeries* GetYearArea(int tag) const { return yearAreas_[tag]; }
    // The value labels (marks) of the monthly series and of the yearly ones by tag.
    const TPointMarks& GetMonthMarks() const { return *mhMarks_; }
    const TPointMarks& GetYearMarks(int tag) const { return *yearLabels_[tag]; }
    QCategoryAxis* GetMonthValueAxis() const { return mhLeft_; }
    QCategoryAxis* GetYearValueAxis() const { return yhLeft_; }
    // The date axes: day labels "d日", month labels "M月", as many as fit.
    QCategoryAxis* GetMonthDateAxis() const { return mhBottom_; }
    QCategoryAxis* GetYearDateAxis() const { return yhBottom_; }

    // Raised when the user changed a day's price in the month editor.
    TNotify OnMHistoryChange;

    // Shows or hides the month editor (BtnMHistEdit's click); its down state follows.
    void BtnMHistEditClick();

private:
    QWidget* MakeMonthPage();
    QWidget* MakeYearPage();
    void CBMHistoryListChange();
    void CBYHistoryListChange();
    void RebuildMonthSeries();
    void RebuildYearSeries();
    void LabelMonthAxis();
    void LabelYearAxis();
    void ScaleValueAxis(QChart* chart, QCategoryAxis* axis, TAxisRange range);
    void FitValueLabels(QChart* chart, QCategoryAxis* axis);
    void ScaleMonthly();
    void ScaleYearly();
    void BtnMHMarkClick();
    void BtnYHMarkClick(int tag);

    THistoryChartModel model_;
    TMonthPriceEditor* editor_ = nullptr;
    // The editor's width when shown: its form width, then as the user leaves it.
    int editorWidth_ = 0;
    QTabWidget* pageControl_ = nullptr;
    QComboBox* cbMHistoryList_ = nullptr;
    QToolButton* btnMHistEdit_ = nullptr;
    QToolButton* btnMHMark_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QChartView* mhView_ = nullptr;
    QChart* mhChart_ = nullptr;
    QLineSeries* mhSeries_ = nullptr;
    std::unique_ptr<TPointMarks> mhMarks_;
    QCategoryAxis* mhBottom_ = nullptr;
    platform::TDateTime shownMonth_ = 0;
    int mhStep_ = 0;
    QCategoryAxis* mhLeft_ = nullptr;
    QComboBox* cbYHistoryList_ = nullptr;
    QToolButton* yearMarks_[4] = {};
    QChartView* yhView_ = nullptr;
    QChart* yhChart_ = nullptr;
    QLineSeries* yearLines_[4] = {};
    QAreaSeries* yearAreas_[3] = {};
    std::unique_ptr<TPointMarks> yearLabels_[4];
    QCategoryAxis* yhBottom_ = nullptr;
    int shownYear_ = 0;
    int yhStep_ = 0;
    QCategoryAxis* yhLeft_ = nullptr;
    int updating_ = 0;
    bool monthSeriesPending_ = false;
    bool yearSeriesPending_ = false;
    bool monthAxisPending_ = false;
    bool yearAxisPending_ = false;
};

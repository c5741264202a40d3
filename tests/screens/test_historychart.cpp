// The price history charts: the point model's month and year lists, day edits and axis ranges,
// the value labels, and the panel driving a month editor and its mark buttons.
#include <gtest/gtest.h>

#include "platform/Currency.h"
#include "platform/DateTime.h"
#include "screens/Fhistorychartpanel.h"

#include <QApplication>
#include <QAreaSeries>
#include <QCategoryAxis>
#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QGraphicsView>
#include <QChart>
#include <QLineSeries>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using platform::EncodeDate;
using platform::TDateTime;

std::string Months(const THistoryChartModel& model)
{
    std::string text;
    for (const auto& e : model.GetMonthList()) text += (text.empty() ? "" : ",") + e.text;
    return text;
}

std::string Days(const THistoryChartModel& model)
{
    std::string text;
    for (const auto& p : model.GetDayPoints()) {
        const auto d = platform::DecodeDate(p.date);
        text += (text.empty() ? "" : " ") + std::to_string(d.month) + "/" + std::to_string(d.day) + "=" +
                ChartNumberText(p.price);
    }
    return text;
}

std::string Labels(QCategoryAxis* axis)
{
    std::string text;
    for (const QString& label : axis->categoriesLabels()) text += (text.empty() ? "" : " ") + label.toStdString();
    return text;
}

class ChartClock : public testing::Test {
protected:
    void TearDown() override { platform::SetClock({}); }
};

TEST(ChartSupport, NumberTextAndDateRoundTrip)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"}, {1234.5, "1,234.5"}, {1000, "1,000"}, {0.125, "0.13"}, {-2.004, "-2"}, {1234567.891, "1,234,567.89"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(ChartNumberText(value), text) << value;

    const TDateTime noon = EncodeDate(2024, 3, 31) + 0.5;
    EXPECT_EQ(ToQDateTime(0), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    EXPECT_EQ(ToQDateTime(noon), QDateTime(QDate(2024, 3, 31), QTime(12, 0)));
    EXPECT_DOUBLE_EQ(FromChartX(ChartX(noon)), noon);
}

TEST(ChartSupport, AxisRangeRules)
{
    struct Case { double lo, hi, margin, min, max; };
    const Case cases[] = {
        {100, 200, 0.1, 90, 230},   // margins below and above
        {100, 200, 0.2, 80, 230},
        {350, 350, 0.1, 349, 351},  // a single value: ±1
        {0.5, 0.5, 0.1, 0, 1.5},    // a negative minimum becomes 0
        {10, 1000, 0.2, 0, 1297},
    };
    for (const Case& c : cases) {
        const TAxisRange range = ValueAxisRange(c.lo, c.hi, c.margin);
        EXPECT_DOUBLE_EQ(range.min, c.min) << c.lo << ".." << c.hi;
        EXPECT_DOUBLE_EQ(range.max, c.max) << c.lo << ".." << c.hi;
    }
    const std::vector<int> steps{1, 2, 3, 5, 7, 10, 15};
    EXPECT_EQ(LabelStep(2000, 31, 34, steps), 1);
    EXPECT_EQ(LabelStep(600, 31, 34, steps), 2);
    EXPECT_EQ(LabelStep(100, 31, 34, steps), 15);
    EXPECT_EQ(LabelStep(0, 31, 34, steps), 15);

    QCategoryAxis axis;
    SetValueAxis(axis, {0, 1000});
    EXPECT_EQ(Labels(&axis), "0 200 400 600 800 1,000");
    SetValueAxis(axis, {1180, 1530});
    EXPECT_EQ(Labels(&axis), "1,200 1,300 1,400 1,500");
    EXPECT_DOUBLE_EQ(axis.min(), 1180);
    EXPECT_DOUBLE_EQ(axis.max(), 1530);
    // Fewer labels where fewer fit: the next round step.
    SetValueAxis(axis, {1180, 1530}, 2);
    EXPECT_EQ(Labels(&axis), "1,200 1,400");
    SetValueAxis(axis, {0, 1000}, 1);
    EXPECT_EQ(Labels(&axis), "0");
    QFont font;
    font.setPixelSize(12);
    EXPECT_EQ(ValueLabelLimit(0, font), 1);
    EXPECT_LT(ValueLabelLimit(100, font), ValueLabelLimit(300, font));
}

TEST_F(ChartClock, MonthListRunsToTheCurrentMonthButNotOnTheFirst)
{
    struct Case { TDateTime today; const char* months; };
    const Case cases[] = {
        {EncodeDate(2024, 3, 15), "2023年12月,2024年1月,2024年2月,2024年3月"},
        {EncodeDate(2024, 3, 1), "2023年12月,2024年1月,2024年2月"},
        {EncodeDate(2024, 1, 1) + 0.75, "2023年12月"},
    };
    for (const Case& c : cases) {
        platform::SetFixedNow(c.today);
        THistoryChartModel model;
        model.AddMonthPoint(EncodeDate(2023, 12, 20), 0);
        model.AddMonthPoint(EncodeDate(2023, 12, 28), 1200);
        // The loader's closing call with today's date adds nothing new.
        model.AddMonthPoint(c.today, 0);
        EXPECT_EQ(Months(model), c.months);
        // A 0 price lists its month without a point.
        EXPECT_EQ(Days(model), "12/28=1,200");
        EXPECT_DOUBLE_EQ(model.GetMonthList().front().date, EncodeDate(2023, 12, 1));
    }
}

TEST_F(ChartClock, DayEditsReplaceTheWholeDaysPoint)
{
    platform::SetFixedNow(EncodeDate(2024, 5, 20));
    THistoryChartModel model;
    model.AddMonthPoint(EncodeDate(2024, 5, 3) + 0.4, 300);
    model.AddMonthPoint(EncodeDate(2024, 5, 1), 280);
    model.AddMonthPoint(EncodeDate(2024, 4, 30), 250);
    EXPECT_EQ(Days(model), "4/30=250 5/1=280 5/3=300");

    model.SetDayPrice(EncodeDate(2024, 5, 3), 320);
    model.SetDayPrice(EncodeDate(2024, 5, 2), 290);
    EXPECT_EQ(Days(model), "4/30=250 5/1=280 5/2=290 5/3=320");
    model.SetDayPrice(EncodeDate(2024, 5, 1) + 0.9, 0);
    EXPECT_EQ(Days(model), "4/30=250 5/2=290 5/3=320");
    EXPECT_EQ(model.PointsOfMonth(EncodeDate(2024, 5, 17)).size(), 2u);

    // The monthly axis spans every point; a single price gives it p − 1 … p + 1.
    EXPECT_DOUBLE_EQ(model.MonthlyRange().min, 250 - 7.0);
    EXPECT_DOUBLE_EQ(model.MonthlyRange().max, 320 + 21.0);
    model.SetDayPrice(EncodeDate(2024, 4, 30), 0);
    model.SetDayPrice(EncodeDate(2024, 5, 3), 0);
    EXPECT_DOUBLE_EQ(model.MonthlyRange().min, 289);
    EXPECT_DOUBLE_EQ(model.MonthlyRange().max, 291);
    model.ClearMonthly();
    EXPECT_DOUBLE_EQ(model.MonthlyRange().min, 0);
    EXPECT_DOUBLE_EQ(model.MonthlyRange().max, 1.3);
}

TEST(HistoryModel, YearsListedOnceAtTheirFirstMonth)
{
    THistoryChartModel model;
    model.AddYearPoint(EncodeDate(2023, 11, 30), 500, 450, 400, 420);
    model.AddYearPoint(EncodeDate(2023, 12, 31), 520, 470, 410, 515);
    model.AddYearPoint(EncodeDate(2024, 1, 15), 600, 500, 380, 390);
    ASSERT_EQ(model.GetYearList().size(), 2u);
    EXPECT_EQ(model.GetYearList()[0].text, "2023年");
    EXPECT_DOUBLE_EQ(model.GetYearList()[0].date, EncodeDate(2023, 11, 1));
    EXPECT_DOUBLE_EQ(model.GetMonthPoints()[2].date, EncodeDate(2024, 1, 1));
    // Lowest minimum 380 to highest maximum 600, margin 0.2 below.
    EXPECT_DOUBLE_EQ(model.YearlyRange().min, 380 - 44.0);
    EXPECT_DOUBLE_EQ(model.YearlyRange().max, 600 + 66.0);
}

// A month editor that keeps its prices in a map, the current day settable.
class FakeEditor : public TMonthPriceEditor {
public:
    QWidget widget;
    TDateTime month = 0;
    TDateTime current = 0;
    std::map<TDateTime, platform::Currency> prices;
    bool modified = false;
    std::vector<std::string> calls;

    QWidget* EditorWidget() override { return &widget; }
    void Clear() override { calls.push_back("Clear"); prices.clear(); month = 0; }
    void SetMonth(TDateTime m) override { month = m; }
    void SetPrice(platform::Currency price, TDateTime date) override { prices[std::floor(date)] = price; }
    TDateTime GetDate() const override { return current; }
    platform::Currency GetPrice(TDateTime date) const override
    {
        const auto it = prices.find(std::floor(date));
        return it == prices.end() ? platform::Currency() : it->second;
    }
    bool GetModified() const override { return modified; }
    void Cancel() override { calls.push_back("Cancel"); modified = false; }
};

class HistoryPanel : public ChartClock {
protected:
    void SetUp() override
    {
        platform::SetFixedNow(EncodeDate(2024, 5, 20) + 0.3);
        panel.SetMonthEditor(&editor);
        panel.resize(500, 300);
        panel.Clear();
        panel.AddMonthPoint(EncodeDate(2024, 4, 28), 240);
        panel.AddMonthPoint(EncodeDate(2024, 5, 2), 250);
        panel.AddMonthPoint(EncodeDate(2024, 5, 9), 270);
        panel.AddMonthPoint(platform::Today(), 0);
        panel.AddYearPoint(EncodeDate(2024, 4, 1), 240, 240, 240, 240);
        panel.AddYearPoint(EncodeDate(2024, 5, 1), 270, 260, 250, 270);
        panel.ShowLastEntries();
    }
    ~HistoryPanel() override { panel.SetMonthEditor(nullptr); }

    FakeEditor editor;
    THistoryChartPanel panel;
};

TEST_F(HistoryPanel, ShownMonthFillsTheEditorAndScalesTheAxes)
{
    EXPECT_EQ(panel.GetMonthList()->currentText(), "2024年5月");
    EXPECT_EQ(panel.GetYearList()->currentText(), "2024年");
    EXPECT_DOUBLE_EQ(editor.month, EncodeDate(2024, 5, 1));
    ASSERT_EQ(editor.prices.size(), 2u);
    EXPECT_EQ(editor.prices[EncodeDate(2024, 5, 9)], platform::Currency::FromInt(270));
    EXPECT_DOUBLE_EQ(panel.GetMonthDateAxis()->min(), ChartX(EncodeDate(2024, 5, 1)));
    EXPECT_DOUBLE_EQ(panel.GetMonthDateAxis()->max(), ChartX(EncodeDate(2024, 5, 31)));
    EXPECT_DOUBLE_EQ(panel.GetYearDateAxis()->max(), ChartX(EncodeDate(2024, 12, 1)));
    EXPECT_EQ(Labels(panel.GetMonthDateAxis()).rfind("1日", 0), 0u);
    EXPECT_DOUBLE_EQ(panel.GetMonthValueAxis()->min(), 240 - 3.0);
    EXPECT_DOUBLE_EQ(panel.GetYearValueAxis()->max(), 270 + 9.0);

    panel.GetMonthList()->setCurrentIndex(0);
    EXPECT_DOUBLE_EQ(editor.month, EncodeDate(2024, 4, 1));
    EXPECT_EQ(editor.prices.size(), 1u);

    panel.Clear();
    EXPECT_EQ(panel.GetMonthList()->count(), 0);
    EXPECT_EQ(panel.GetMonthSeries()->count(), 0);
    EXPECT_EQ(panel.GetYearLine(0)->count(), 0);
    EXPECT_DOUBLE_EQ(panel.GetMonthValueAxis()->max(), 1000);
    EXPECT_DOUBLE_EQ(panel.GetYearValueAxis()->max(), 1000);
}

// A reload batched between BeginUpdate and EndUpdate ends as the same loads one by one.
TEST_F(HistoryPanel, ABatchedReloadEndsAsTheUnbatchedOne)
{
    THistoryChartPanel plain;
    plain.resize(500, 300);
    for (const bool points : {true, false}) {
        for (THistoryChartPanel* target : {&panel, &plain}) {
            if (target == &panel) target->BeginUpdate();
            target->Clear();
            if (points) {
                target->AddMonthPoint(EncodeDate(2024, 5, 3), 300);
                target->AddMonthPoint(platform::Today(), 0);
                target->AddYearPoint(EncodeDate(2024, 4, 1), 290, 280, 270, 290);
                target->AddYearPoint(EncodeDate(2024, 5, 1), 320, 310, 300, 320);
                target->ShowLastEntries();
            }
            if (target == &panel) target->EndUpdate();
        }
        EXPECT_EQ(panel.GetMonthSeries()->points(), plain.GetMonthSeries()->points()) << points;
        EXPECT_EQ(panel.GetYearLine(1)->points(), plain.GetYearLine(1)->points()) << points;
        for (auto axis : {&THistoryChartPanel::GetMonthValueAxis, &THistoryChartPanel::GetYearValueAxis}) {
            EXPECT_DOUBLE_EQ((panel.*axis)()->max(), (plain.*axis)()->max()) << points;
            EXPECT_EQ(Labels((panel.*axis)()), Labels((plain.*axis)())) << points;
        }
    }
}

TEST_F(HistoryPanel, EditedDayReportsFirstThenMovesItsPoint)
{
    std::vector<std::string> order;
    panel.OnMHistoryChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &panel);
        order.push_back("change " + std::to_string(panel.GetMonthSeries()->count()));
    };
    editor.current = EncodeDate(2024, 5, 2);
    editor.prices[editor.current] = platform::Currency::FromInt(300);
    panel.MonthEditorChange();
    EXPECT_EQ(order, std::vector<std::string>{"change 3"});
    EXPECT_EQ(Days(panel.GetModel()), "4/28=240 5/2=300 5/9=270");
    EXPECT_DOUBLE_EQ(panel.GetMonthSeries()->at(1).y(), 300);
    EXPECT_DOUBLE_EQ(panel.GetMonthValueAxis()->max(), 300 + 18.0);

    // A day edited to 0 loses its point.
    editor.prices[editor.current] = platform::Currency();
    panel.MonthEditorChange();
    EXPECT_EQ(Days(panel.GetModel()), "4/28=240 5/9=270");
    EXPECT_EQ(panel.GetMonthSeries()->count(), 2);

    // Without a listener nothing moves.
    panel.OnMHistoryChange = nullptr;
    editor.prices[editor.current] = platform::Currency::FromInt(999);
    panel.MonthEditorChange();
    EXPECT_EQ(panel.GetMonthSeries()->count(), 2);
}

TEST_F(HistoryPanel, ButtonsFollowTheirSeriesAndTheEditor)
{
    EXPECT_FALSE(panel.IsEditing());
    editor.modified = true;
    EXPECT_TRUE(panel.IsEditing());
    panel.CancelEdit();
    EXPECT_EQ(editor.calls.back(), "Cancel");

    EXPECT_TRUE(editor.widget.isHidden());
    panel.GetBtnMHistEdit()->click();
    EXPECT_FALSE(editor.widget.isHidden());
    EXPECT_TRUE(panel.GetBtnMHistEdit()->isChecked());
    panel.GetBtnMHistEdit()->click();
    EXPECT_TRUE(editor.widget.isHidden());
    EXPECT_FALSE(panel.GetBtnMHistEdit()->isChecked());

    EXPECT_EQ(panel.GetBtnMHMark()->isChecked(), panel.GetMonthMarks().IsVisible());
    panel.GetBtnMHMark()->click();
    EXPECT_TRUE(panel.GetMonthMarks().IsVisible());
    EXPECT_TRUE(panel.GetBtnMHMark()->isChecked());
    for (int tag = 0; tag < 4; ++tag) {
        QToolButton* button = panel.GetYearMarkButton(tag);
        ASSERT_TRUE(button->isChecked()) << tag;
        button->click();
        EXPECT_FALSE(button->isChecked()) << tag;
        EXPECT_FALSE(panel.GetYearMarks(tag).IsVisible()) << tag;
    }
}

TEST(HistoryPanelEditor, OpensBesideTheChartAtItsFormWidth)
{
    THistoryChartPanel panel;
    panel.resize(600, 320);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QWidget* editor = panel.GetMonthEditor()->EditorWidget();
    QGraphicsView* chart = panel.GetMonthChart()->scene()->views().value(0);
    ASSERT_NE(chart, nullptr);
    const int fullWidth = chart->width();
    for (int round = 0; round < 2; ++round) {
        QTest::mouseClick(panel.GetBtnMHistEdit(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_TRUE(panel.GetBtnMHistEdit()->isChecked());
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(editor->width(), 201) << round;
        EXPECT_LT(chart->width(), fullWidth - 200) << round;
        QTest::mouseClick(panel.GetBtnMHistEdit(), Qt::LeftButton);
        QApplication::processEvents();
        EXPECT_FALSE(editor->isVisible());
        EXPECT_EQ(chart->width(), fullWidth) << round;
    }
}

// QObject::receivers is protected; a member pointer named through a class that exposes it reaches it.
struct ReceiverCount : QObject {
    using QObject::receivers;
};

TEST_F(HistoryPanel, MarkButtonConnectsNothingMore)
{
    const QChart* chart = panel.GetMonthChart();
    const auto receivers = [chart] { return (chart->*(&ReceiverCount::receivers))(SIGNAL(plotAreaChanged(QRectF))); };
    const int before = receivers();
    panel.GetBtnMHMark()->click();
    panel.GetBtnMHMark()->click();
    EXPECT_EQ(receivers(), before);
    EXPECT_FALSE(panel.GetMonthMarks().IsVisible());
}

TEST_F(HistoryPanel, MarksWriteValuesAsTheValueAxis)
{
    panel.AddMonthPoint(EncodeDate(2024, 5, 3), 16.4524);
    panel.AddMonthPoint(EncodeDate(2024, 5, 4), 1234.5);
    EXPECT_EQ(panel.GetMonthMarks().Texts(), (std::vector<std::string>{"240", "250", "16.45", "1,234.5", "270"}));

    panel.AddYearPoint(EncodeDate(2024, 6, 1), 1234.567, 16.4524, 0.125, 1000);
    const char* last[4] = {"1,234.57", "16.45", "0.13", "1,000"};
    for (int tag = 0; tag < 4; ++tag) {
        const std::vector<std::string> texts = panel.GetYearMarks(tag).Texts();
        ASSERT_EQ(texts.size(), 3u) << tag;
        EXPECT_EQ(texts.back(), last[tag]) << tag;
    }
    panel.Clear();
    EXPECT_TRUE(panel.GetMonthMarks().Texts().empty());
    EXPECT_TRUE(panel.GetYearMarks(0).Texts().empty());
}

// Whether any two of the boxes overlap.
bool AnyOverlap(const std::vector<QRectF>& boxes)
{
    for (std::size_t i = 0; i < boxes.size(); ++i)
        for (std::size_t j = i + 1; j < boxes.size(); ++j)
            if (boxes[i].intersects(boxes[j])) return true;
    return false;
}

// Prices on neighbouring days, and four yearly lines through the same values: the marks shown lie
// over no other mark, of their own series or another; a point with room keeps its mark.
TEST_F(HistoryPanel, MarksNeverLieOverOneAnother)
{
    panel.Clear();
    const double prices[] = {1180, 1180, 1225, 1240, 1240, 1310, 1295, 1420, 1385.5};
    const int days[] = {1, 2, 7, 8, 9, 13, 14, 16, 17};
    for (int i = 0; i < 9; ++i) panel.AddMonthPoint(EncodeDate(2024, 5, days[i]), prices[i]);
    for (int month = 1; month <= 5; ++month)
        panel.AddYearPoint(EncodeDate(2024, month, 1), 1200 + month, 1200 + month, 1200 + month, 1200 + month);
    panel.ShowLastEntries();
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    if (!panel.GetMonthMarks().IsVisible()) panel.GetBtnMHMark()->click();
    QApplication::processEvents();

    const std::vector<QRectF> month = panel.GetMonthMarks().ShownBoxes();
    EXPECT_FALSE(AnyOverlap(month));
    EXPECT_GE(month.size(), 5u) << "the marks that have room";
    panel.findChild<QTabWidget*>()->setCurrentIndex(1);
    QApplication::processEvents();
    std::vector<QRectF> year;
    for (int tag = 0; tag < 4; ++tag) {
        ASSERT_TRUE(panel.GetYearMarks(tag).IsVisible());
        for (const QRectF& box : panel.GetYearMarks(tag).ShownBoxes()) year.push_back(box);
    }
    EXPECT_FALSE(AnyOverlap(year));
    EXPECT_GE(year.size(), 5u) << "one mark at least for each month";

    // A lone point far from the others keeps its mark.
    panel.Clear();
    panel.AddMonthPoint(EncodeDate(2024, 5, 10), 500);
    panel.ShowLastEntries();
    QApplication::processEvents();
    EXPECT_EQ(panel.GetMonthMarks().ShownBoxes().size(), 1u);
}

// The axis labels the chart shows, the legend's left out.
std::vector<std::string> ShownAxisLabels(QChart* chart)
{
    std::vector<std::string> texts;
    for (QGraphicsItem* item : chart->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || chart->legend()->isAncestorOf(text)) continue;
        if (!text->toPlainText().isEmpty()) texts.push_back(text->toPlainText().toStdString());
    }
    return texts;
}

// The panel shown 330 pixels wide on 20 May 2024.
void ShowInMay(THistoryChartPanel& panel, int height)
{
    platform::SetFixedNow(EncodeDate(2024, 5, 20) + 0.3);
    panel.resize(330, height);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
}

// A panel as low as the record editor's gives its value axes only the labels that fit whole:
// none is cut to "...", and one at least is shown.
TEST_F(ChartClock, ValueLabelsOfALowPanelAreNeverCut)
{
    THistoryChartPanel panel;
    ShowInMay(panel, 220);
    panel.AddMonthPoint(EncodeDate(2024, 5, 3), 1180.25);
    panel.AddMonthPoint(EncodeDate(2024, 5, 9), 1181.5);
    panel.AddYearPoint(EncodeDate(2024, 4, 1), 1240, 1240, 1240, 1240);
    panel.AddYearPoint(EncodeDate(2024, 5, 1), 1270.5, 1260, 1250, 1270);
    panel.ShowLastEntries();
    QTabWidget* pages = panel.findChild<QTabWidget*>();
    for (int height : {220, 260, 400}) {
        panel.resize(330, height);
        for (int page : {0, 1}) {
            pages->setCurrentIndex(page);
            QApplication::processEvents();
            QChart* chart = page == 0 ? panel.GetMonthChart() : panel.GetYearChart();
            QCategoryAxis* values = page == 0 ? panel.GetMonthValueAxis() : panel.GetYearValueAxis();
            const std::vector<std::string> shown = ShownAxisLabels(chart);
            for (const std::string& text : shown) EXPECT_EQ(text.find("..."), std::string::npos) << height << " " << page;
            int numbers = 0;
            for (const QString& label : values->categoriesLabels())
                numbers += static_cast<int>(std::count(shown.begin(), shown.end(), label.toStdString()));
            EXPECT_GE(numbers, 1) << height << " " << page;
            if (height == 400) {
                EXPECT_GE(values->categoriesLabels().size(), 3) << "a tall plot keeps its labels";
            }
        }
    }
}

// The month editor opened beside the chart of a narrow panel leaves the chart little room: its day
// labels become fewer, down to one, rather than cut to "...".
TEST_F(ChartClock, DayLabelsBesideTheMonthEditorAreNeverCut)
{
    THistoryChartPanel panel;
    ShowInMay(panel, 260);
    panel.AddMonthPoint(EncodeDate(2024, 5, 3), 1180);
    panel.AddMonthPoint(EncodeDate(2024, 5, 9), 1240);
    panel.ShowLastEntries();
    QTest::mouseClick(panel.GetBtnMHistEdit(), Qt::LeftButton);
    for (int width : {330, 400, 600}) {
        panel.resize(width, 260);
        QApplication::processEvents();
        const std::vector<std::string> shown = ShownAxisLabels(panel.GetMonthChart());
        int days = 0;
        for (const std::string& text : shown) {
            EXPECT_EQ(text.find("..."), std::string::npos) << width;
            days += text.find("日") != std::string::npos;
        }
        EXPECT_GE(days, 1) << width;
        if (width == 600) {
            EXPECT_GE(days, 3) << "a wider chart labels more days";
        }
    }
}

TEST(HistoryPanelSeries, EveryYearlyLineDiesWithThePanel)
{
    auto panel = std::make_unique<THistoryChartPanel>();
    std::vector<QPointer<QLineSeries>> lines;
    for (int tag = 0; tag < 4; ++tag) lines.emplace_back(panel->GetYearLine(tag));
    panel.reset();
    for (int tag = 0; tag < 4; ++tag) EXPECT_TRUE(lines[tag].isNull()) << tag;
}

} // namespace


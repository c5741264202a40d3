// The item pie: slices in the order added with hues 0, 25, 50, … at saturation 100 and
// brightness 75, values from currency, and the legend's shares.
#include <gtest/gtest.h>

#include "core/Ucolorsupport.h"
#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "screens/Fitemchartpanel.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QTest>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using platform::Currency;

TEST(ItemChart, SlicesTakeTheNextHueAndClearStartsOver)
{
    TItemChartPanel panel;
    const std::pair<const char*, double> items[] = {
        {"牛肩ロース", 1500}, {"玉ねぎ", 120.5}, {"バター", 300}, {"ブーケガルニ", 79.5}};
    for (int round = 0; round < 2; ++round) {
        panel.Clear();
        for (const auto& [name, value] : items) panel.AddItem(name, Currency::FromDouble(value));
        QPieSeries* series = panel.GetItemSeries();
        ASSERT_EQ(series->count(), 4);
        for (int i = 0; i < 4; ++i) {
            QPieSlice* slice = series->slices()[i];
            EXPECT_EQ(slice->label().toStdString(), items[i].first);
            EXPECT_DOUBLE_EQ(slice->value(), items[i].second);
            EXPECT_EQ(slice->color(), platform::ToQColor(HSBToRGB(i * 25, 100, 75))) << i;
        }
    }
    const QList<QLegendMarker*> markers = panel.GetItemChart()->legend()->markers(panel.GetItemSeries());
    ASSERT_EQ(markers.size(), 4);
    EXPECT_EQ(markers[0]->label().toStdString(), "牛肩ロース  75%");
    EXPECT_EQ(markers[3]->label().toStdString(), "ブーケガルニ  4%");
}

// A hidden panel only keeps the items; the pie it shows must still be the last items given.
TEST(ItemChart, AHiddenPanelShowsTheLastItemsWhenShown)
{
    QWidget window;
    auto* panel = new TItemChartPanel(&window);
    panel->hide();
    window.show();
    panel->AddItem("牛肩ロース", Currency::FromDouble(1500));
    panel->Clear();
    panel->AddItems({{"玉ねぎ", Currency::FromDouble(120)}, {"バター", Currency::FromDouble(300)}});
    panel->show();
    auto* pie = static_cast<QPieSeries*>(panel->findChild<QChartView*>()->chart()->series().value(0));
    ASSERT_TRUE(pie && pie->count() == 2);
    EXPECT_EQ(pie->slices()[0]->label().toStdString(), "玉ねぎ");
    EXPECT_EQ(pie->slices()[1]->color(), platform::ToQColor(HSBToRGB(25, 100, 75)));
    panel->Clear();   // shown: at once
    EXPECT_EQ(pie->count(), 0);
}

// Items of no cost and small neighbouring slices: a slice of value 0 shows no label, and no two
// labels shown on one side of the pie stand within a line of each other (labels stand beside the
// ends of their arms, so those would overlap); the largest slice always keeps its label.
TEST(ItemChart, LabelsThatWouldPileUpAreLeftOut)
{
    QWidget window;
    auto* panel = new TItemChartPanel(&window);
    panel->resize(338, 184);
    window.resize(338, 184);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    panel->AddItems({{"牛肩ロース", Currency::FromInt(1500)},
                     {"塩", Currency()},
                     {"赤ワイン", Currency::FromInt(480)},
                     {"玉ねぎ", Currency::FromInt(100)},
                     {"にんじん", Currency::FromInt(50)},
                     {"こしょう", Currency()},
                     {"水", Currency()},
                     {"フォン・ド・ボー", Currency::FromInt(300)},
                     {"バター", Currency::FromInt(75)}});
    QApplication::processEvents();
    QChart* chart = panel->GetItemChart();
    QPieSeries* pie = panel->GetItemSeries();
    ASSERT_EQ(pie->count(), 9);
    const QRectF area = chart->plotArea();
    const double reach = std::min(area.width(), area.height()) / 2 * pie->pieSize() * 1.08;
    const double line = QFontMetricsF(QApplication::font()).height() * 0.75;
    std::vector<std::pair<bool, double>> shown;
    for (QPieSlice* slice : pie->slices()) {
        if (slice->value() == 0) {
            EXPECT_FALSE(slice->isLabelVisible()) << slice->label().toStdString();
            continue;
        }
        if (!slice->isLabelVisible()) continue;
        const double angle = qDegreesToRadians(slice->startAngle() + slice->angleSpan() / 2);
        const std::pair<bool, double> end(std::sin(angle) >= 0, area.center().y() - reach * std::cos(angle));
        for (const auto& other : shown)
            EXPECT_FALSE(other.first == end.first && std::abs(other.second - end.second) < line)
                << slice->label().toStdString() << " lies over another label";
        shown.push_back(end);
    }
    EXPECT_TRUE(pie->slices()[0]->isLabelVisible());
    EXPECT_GE(shown.size(), 3u);
}

} // namespace

// The item pie: slices in the order added with hues 0, 25, 50, … at saturation 100 and
// brightness 75, values from currency, and the legend's shares.
#include <gtest/gtest.h>

#include "core/Ucolorsupport.h"
#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "screens/Fitemchartpanel.h"

#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QPieSeries>
#include <QPieSlice>

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

} // namespace

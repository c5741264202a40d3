#pragma once
// TItemChartPanel: a recipe's or menu's item costs as a pie, one slice per item in the order
// added, coloured through the hues 0, 25, 50, … at saturation 100 and brightness 75; the legend on
// the right names each item with its share.

#include <QFrame>

#include <string>
#include <utility>
#include <vector>

namespace platform {
class Currency;
}

class QChart;
class QChartView;
class QPieSeries;

class TItemChartPanel : public QFrame {
    Q_OBJECT
public:
    explicit TItemChartPanel(QWidget* parent = nullptr);

    // Empties the pie; the next slice takes hue 0 again.
    void Clear();
    void AddItem(const std::string& name, platform::Currency value);
    // Adds slices in one go: the pie lays out every slice and label again at each addition.
    void AddItems(const std::vector<std::pair<std::string, platform::Currency>>& items);

    QChart* GetItemChart() const { return itemChart_; }
    QPieSeries* GetItemSeries() const { return itemSeries_; }

private:
    // The legend's text of every slice: its name and its share of the whole.
    void UpdateLegend();

    QChartView* view_ = nullptr;
    QChart* itemChart_ = nullptr;
    QPieSeries* itemSeries_ = nullptr;
    int hue_ = 0;
    int hueStep_ = 25;
    int saturation_ = 100;
    int brightness_ = 75;
};

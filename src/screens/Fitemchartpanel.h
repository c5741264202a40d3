#pragma once
// TItemChartPanel: a recipe's or menu's item costs as a pie, one slice per item in the order
// added, coloured through the hues 0, 25, 50, … at saturation 100 and brightness 75; the legend on
// the right names each item with its share. A slice's label shows only where it does not lie over
// the label of a larger slice, and a slice of value 0 has none.
//
// The pie lays out every slice label as it is added, which is slow: while the panel is hidden the
// items are only kept, and the series is built when the panel shows or its chart is asked for.

#include <QFrame>
#include <QString>

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

    // The chart and its series, brought up to date with the items.
    QChart* GetItemChart();
    QPieSeries* GetItemSeries();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Puts the kept items into the series when they differ.
    void BuildSeries();
    // The legend's text of every slice: its name and its share of the whole.
    void UpdateLegend();
    // Shows the labels that have room, larger slices first: none for a slice of value 0, none that
    // would lie over a label already shown.
    void ArrangeLabels();

    QChartView* view_ = nullptr;
    QChart* itemChart_ = nullptr;
    QPieSeries* itemSeries_ = nullptr;
    std::vector<std::pair<QString, double>> items_;
    bool built_ = true;
    int hueStep_ = 25;
    int saturation_ = 100;
    int brightness_ = 75;
};

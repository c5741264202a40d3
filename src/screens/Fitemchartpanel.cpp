#include "screens/Fitemchartpanel.h"

#include "core/Ucolorsupport.h"
#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "platform/NumberText.h"
#include "widgets/Fvktform.h"

#include <QChart>
#include <QFontMetricsF>
#include <QtMath>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QPieLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The arm from a slice to its label, as a share of the pie's radius.
constexpr double kArmLength = 0.08;

} // namespace

TItemChartPanel::TItemChartPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("ItemChartPanel"));
    resize(338, 184);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    itemChart_ = new QChart;
    itemChart_->setBackgroundRoundness(0);
    itemChart_->setBackgroundBrush(platform::ToQColor(platform::GetSystemColor(platform::SystemColor::Window)));
    itemChart_->setMargins(QMargins(4, 4, 4, 4));
    itemChart_->legend()->setAlignment(Qt::AlignRight);
    itemChart_->legend()->setFont(VktFormFont());
    itemSeries_ = new QPieSeries;
    itemSeries_->setObjectName(QStringLiteral("ItemSeries"));
    itemSeries_->setPieSize(0.5);
    itemChart_->addSeries(itemSeries_);
    connect(itemChart_, &QChart::plotAreaChanged, this, [this] { ArrangeLabels(); });
    view_ = new QChartView(itemChart_, this);
    view_->setObjectName(QStringLiteral("ItemChart"));
    view_->setRenderHint(QPainter::Antialiasing);
    view_->setFrameShape(QFrame::NoFrame);
    layout->addWidget(view_);
}

void TItemChartPanel::Clear()
{
    if (items_.empty()) return;
    items_.clear();
    built_ = false;
    if (isVisible()) BuildSeries();
}

void TItemChartPanel::AddItem(const std::string& name, platform::Currency value) { AddItems({{name, value}}); }

void TItemChartPanel::AddItems(const std::vector<std::pair<std::string, platform::Currency>>& items)
{
    if (items.empty()) return;
    for (const auto& [name, value] : items) items_.emplace_back(platform::ToQString(name), value.ToDouble());
    built_ = false;
    if (isVisible()) BuildSeries();
}

QChart* TItemChartPanel::GetItemChart()
{
    BuildSeries();
    return itemChart_;
}

QPieSeries* TItemChartPanel::GetItemSeries()
{
    BuildSeries();
    return itemSeries_;
}

void TItemChartPanel::showEvent(QShowEvent* event)
{
    BuildSeries();
    QFrame::showEvent(event);
}

void TItemChartPanel::BuildSeries()
{
    if (built_) return;
    built_ = true;
    itemSeries_->clear();
    if (items_.empty()) return;
    QList<QPieSlice*> slices;
    slices.reserve(static_cast<qsizetype>(items_.size()));
    int hue = 0;
    for (const auto& [name, value] : items_) {
        auto* slice = new QPieSlice(name, value);
        slice->setColor(platform::ToQColor(HSBToRGB(hue, saturation_, brightness_)));
        slice->setBorderColor(Qt::white);
        slice->setLabelVisible(true);
        slice->setLabelFont(VktFormFont());
        slice->setLabelArmLengthFactor(kArmLength);
        slices.append(slice);
        hue += hueStep_;
    }
    itemSeries_->append(slices);
    UpdateLegend();
    ArrangeLabels();
}

void TItemChartPanel::ArrangeLabels()
{
    const QList<QPieSlice*> slices = itemSeries_->slices();
    if (slices.isEmpty()) return;
    // Labels stand beside the ends of their arms, left of the pie for slices on its left half and
    // right for the others: two on one side collide when their ends are less than a line apart.
    const QRectF area = itemChart_->plotArea();
    const double reach = std::min(area.width(), area.height()) / 2 * itemSeries_->pieSize() * (1 + kArmLength);
    const double line = QFontMetricsF(VktFormFont()).height();
    QList<QPieSlice*> bySize = slices;
    std::stable_sort(bySize.begin(), bySize.end(), [](QPieSlice* a, QPieSlice* b) { return a->value() > b->value(); });
    std::vector<std::pair<bool, double>> shown;   // side (right) and height of each label kept
    for (QPieSlice* slice : bySize) {
        const double angle = qDegreesToRadians(slice->startAngle() + slice->angleSpan() / 2);
        const bool right = std::sin(angle) >= 0;
        const double y = area.center().y() - reach * std::cos(angle);
        const bool free = std::none_of(shown.begin(), shown.end(), [&](const std::pair<bool, double>& other) {
            return other.first == right && std::abs(other.second - y) < line;
        });
        // A slice of nothing has no place of its own on the pie: it gets no label.
        const bool visible = slice->value() > 0 && free;
        slice->setLabelVisible(visible);
        if (visible) shown.emplace_back(right, y);
    }
}

void TItemChartPanel::UpdateLegend()
{
    const QList<QLegendMarker*> markers = itemChart_->legend()->markers(itemSeries_);
    for (QLegendMarker* marker : markers) {
        auto* slice = static_cast<QPieSlice*>(static_cast<QPieLegendMarker*>(marker)->slice());
        const std::string share = platform::FormatNumber(slice->percentage() * 100, 0) + "%";
        marker->setLabel(slice->label() + QStringLiteral("  ") + platform::ToQString(share));
    }
}

#include "screens/Fitemchartpanel.h"

#include "core/Ucolorsupport.h"
#include "gui/QtSupport.h"
#include "platform/Currency.h"
#include "platform/NumberText.h"
#include "widgets/Fvktform.h"

#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLegendMarker>
#include <QPieLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QVBoxLayout>

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
        slice->setLabelArmLengthFactor(0.08);
        slices.append(slice);
        hue += hueStep_;
    }
    itemSeries_->append(slices);
    UpdateLegend();
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

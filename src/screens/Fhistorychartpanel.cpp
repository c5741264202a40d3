#include "screens/Fhistorychartpanel.h"

#include "gui/QtSupport.h"
#include "gui/TabFocus.h"
#include "platform/Currency.h"
#include "screens/Finvdatebar.h"
#include "screens/Fmhistoryeditpanel.h"
#include "widgets/Fvktform.h"

#include <QAreaSeries>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsSimpleTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QFontMetricsF>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <map>

using platform::TDateTime;

namespace {

TDateTime FirstOfMonth(TDateTime date)
{
    const platform::DateParts parts = platform::DecodeDate(date);
    return platform::EncodeDate(parts.year, parts.month, 1);
}

std::string YearText(TDateTime date)
{
    return std::to_string(platform::DecodeDate(date).year) + "年";
}

constexpr const char* kMarkHint = "マーク表示切替|マークの表示を切替ます。";
constexpr double kInitialAxisMax = 1000;

// Colour values of the series (red in the low byte).
constexpr platform::TColor kMonthColor = 15361301;
constexpr platform::TColor kYearColors[4] = {10329591, 10352541, 10352631, 16227741};
constexpr const char* kYearNames[4] = {"最高価格", "平均価格", "最低価格", "最終価格"};

QToolButton* AddCheckButton(QToolBar* bar, const char* name, const char* caption, const char* hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(platform::ToQString(caption));
    button->setCheckable(true);
    button->setFont(VktFormFont());
    platform::SetHint(*button, hint);
    bar->addWidget(button);
    return button;
}

QComboBox* AddList(QToolBar* bar, const char* name, int width)
{
    auto* list = new QComboBox(bar);
    list->setObjectName(QString::fromLatin1(name));
    list->setFont(VktFormFont());
    list->setMinimumWidth(width);
    list->setMaxVisibleItems(12);
    bar->addWidget(list);
    return list;
}

QChart* MakeChart(QChartView*& view, QWidget* parent, const char* name)
{
    auto* chart = new QChart;
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 8, 4));
    view = new QChartView(chart, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    return chart;
}

QCategoryAxis* MakeAxis(QChart* chart, Qt::Alignment alignment)
{
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(VktFormFont());
    chart->addAxis(axis, alignment);
    if (alignment == Qt::AlignLeft) SetValueAxis(*axis, {0, kInitialAxisMax});
    return axis;
}

// The room a date label needs on a date axis: its text and the chart's padding on both sides.
double DateLabelSpacing(const QCategoryAxis& axis, const char* widest)
{
    return QFontMetricsF(axis.labelsFont()).horizontalAdvance(QString::fromUtf8(widest)) + 2 * 4 + 2;
}
// Point marks are drawn over the series and the legend.
constexpr double kMarkZ = 100;

} // namespace

// ---- TPointMarks ----

namespace {

// The marks of each chart, in the order made: they are laid out together so that no two overlap.
std::map<const QChart*, std::vector<TPointMarks*>>& ChartMarks()
{
    static std::map<const QChart*, std::vector<TPointMarks*>> marks;
    return marks;
}

} // namespace

TPointMarks::TPointMarks(QChart* chart, QXYSeries* points, QAbstractSeries* shown)
    : chart_(chart), points_(points), shown_(shown)
{
    ChartMarks()[chart].push_back(this);
    const auto update = [this] { Update(); };
    connections_.push_back(QObject::connect(chart, &QChart::plotAreaChanged, chart, update));
    connections_.push_back(QObject::connect(points, &QXYSeries::pointsReplaced, chart, update));
    connections_.push_back(QObject::connect(points, &QXYSeries::pointReplaced, chart, update));
    connections_.push_back(QObject::connect(points, &QXYSeries::pointAdded, chart, update));
    connections_.push_back(QObject::connect(points, &QXYSeries::pointRemoved, chart, update));
    connections_.push_back(QObject::connect(points, &QXYSeries::pointsRemoved, chart, update));
    for (QAbstractAxis* axis : shown->attachedAxes()) {
        if (auto* values = qobject_cast<QValueAxis*>(axis))
            connections_.push_back(QObject::connect(values, &QValueAxis::rangeChanged, chart, update));
    }
    Update();
}

TPointMarks::~TPointMarks()
{
    for (const QMetaObject::Connection& connection : connections_) QObject::disconnect(connection);
    auto& marks = ChartMarks();
    const auto found = marks.find(chart_);
    if (found == marks.end()) return;
    std::erase(found->second, this);
    if (found->second.empty()) marks.erase(found);
}

void TPointMarks::SetVisible(bool visible)
{
    visible_ = visible;
    Update();
}

std::vector<std::string> TPointMarks::Texts() const
{
    std::vector<std::string> texts;
    for (const QGraphicsSimpleTextItem* label : labels_) texts.push_back(label->text().toStdString());
    return texts;
}

std::vector<QRectF> TPointMarks::ShownBoxes() const
{
    std::vector<QRectF> boxes;
    for (const QGraphicsSimpleTextItem* label : labels_)
        if (label->isVisible()) boxes.push_back(label->sceneBoundingRect());
    return boxes;
}

void TPointMarks::Update()
{
    const std::size_t count = static_cast<std::size_t>(points_->count());
    while (labels_.size() > count) {
        delete labels_.back();
        labels_.pop_back();
    }
    while (labels_.size() < count) {
        auto* label = new QGraphicsSimpleTextItem(chart_);
        label->setFont(VktFormFont());
        label->setZValue(kMarkZ);
        labels_.push_back(label);
    }
    for (std::size_t i = 0; i < count; ++i) {
        labels_[i]->setText(platform::ToQString(ChartNumberText(points_->at(static_cast<int>(i)).y())));
        labels_[i]->setBrush(points_->pointLabelsColor());
    }
    LayOut(chart_);
}

void TPointMarks::LayOut(QChart* chart)
{
    // Each mark above its point as the series' own labels sit, else below it, within the plot
    // area's width; a mark that would lie over one placed before it in either place is left out,
    // as is every mark of a point outside the plot area.
    const QRectF area = chart->plotArea().adjusted(-1, -1, 1, 1);
    std::vector<QRectF> placed;
    for (TPointMarks* marks : ChartMarks()[chart]) {
        const double lift = marks->points_->markerSize() / 2 + 2;
        const std::size_t count = std::min(marks->labels_.size(), static_cast<std::size_t>(marks->points_->count()));
        for (std::size_t i = 0; i < marks->labels_.size(); ++i) {
            QGraphicsSimpleTextItem* label = marks->labels_[i];
            const QPointF at =
                i < count ? chart->mapToPosition(marks->points_->at(static_cast<int>(i)), marks->shown_) : QPointF();
            if (i >= count || !marks->visible_ || !area.contains(at)) {
                label->setVisible(false);
                continue;
            }
            const QRectF box = label->boundingRect();
            // Centred over the point, kept off the axes' labels at the plot area's sides.
            const double left = std::max(area.left(), std::min(at.x() - box.width() / 2, area.right() - box.width()));
            bool shown = false;
            for (const double top : {at.y() - lift - box.height(), at.y() + lift}) {
                const QRectF where(QPointF(left, top), box.size());
                if (std::any_of(placed.begin(), placed.end(), [&](const QRectF& other) { return other.intersects(where); }))
                    continue;
                label->setPos(where.topLeft());
                placed.push_back(where);
                shown = true;
                break;
            }
            label->setVisible(shown);
        }
    }
}

// ---- THistoryChartModel ----

void THistoryChartModel::ClearMonthly()
{
    days_.clear();
    monthList_.clear();
}

void THistoryChartModel::ClearYearly()
{
    months_.clear();
    yearList_.clear();
}

void THistoryChartModel::AddMonthPoint(TDateTime date, double price)
{
    if (price != 0) {
        const auto at = std::upper_bound(days_.begin(), days_.end(), date,
                                         [](TDateTime d, const DayPoint& p) { return d < p.date; });
        days_.insert(at, {date, price});
    }
    const TDateTime today = platform::Today();
    TDateTime last = FirstOfMonth(today);
    if (platform::DecodeDate(today).day == 1) last = FirstOfMonth(last - 1);
    for (TDateTime month = FirstOfMonth(date); month <= last; month = platform::EndOfMonth(month) + 1) {
        const std::string text = MonthText(month);
        const bool listed = std::any_of(monthList_.begin(), monthList_.end(),
                                        [&](const ListEntry& e) { return e.text == text; });
        if (!listed) monthList_.push_back({text, month});
    }
}

void THistoryChartModel::AddYearPoint(TDateTime date, double max, double ave, double min, double last)
{
    const TDateTime month = FirstOfMonth(date);
    months_.push_back({month, max, ave, min, last});
    const std::string text = YearText(month);
    const bool listed = std::any_of(yearList_.begin(), yearList_.end(),
                                    [&](const ListEntry& e) { return e.text == text; });
    if (!listed) yearList_.push_back({text, month});
}

void THistoryChartModel::SetDayPrice(TDateTime day, double price)
{
    const double whole = std::floor(day);
    days_.erase(std::remove_if(days_.begin(), days_.end(),
                               [whole](const DayPoint& p) { return std::floor(p.date) == whole; }),
                days_.end());
    if (price > 0) AddMonthPoint(whole, price);
}

std::vector<THistoryChartModel::DayPoint> THistoryChartModel::PointsOfMonth(TDateTime month) const
{
    const TDateTime first = FirstOfMonth(month);
    const TDateTime next = platform::EndOfMonth(month) + 1;
    std::vector<DayPoint> points;
    for (const DayPoint& p : days_) {
        if (p.date >= first && p.date < next) points.push_back(p);
    }
    return points;
}

TAxisRange THistoryChartModel::MonthlyRange() const
{
    double lo = 0;
    double hi = 1;
    if (!days_.empty()) {
        const auto [low, high] = std::minmax_element(days_.begin(), days_.end(),
                                                     [](const DayPoint& a, const DayPoint& b) { return a.price < b.price; });
        lo = low->price;
        hi = high->price;
    }
    return ValueAxisRange(lo, hi, 0.1);
}

TAxisRange THistoryChartModel::YearlyRange() const
{
    double lo = 0;
    double hi = 0;
    if (!months_.empty()) {
        lo = std::min_element(months_.begin(), months_.end(),
                              [](const MonthPoint& a, const MonthPoint& b) { return a.min < b.min; })->min;
        hi = std::max_element(months_.begin(), months_.end(),
                              [](const MonthPoint& a, const MonthPoint& b) { return a.max < b.max; })->max;
    }
    return ValueAxisRange(lo, hi, 0.2);
}

// ---- THistoryChartPanel ----

THistoryChartPanel::THistoryChartPanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("HistoryChartPanel"));
    resize(443, 277);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pageControl_ = new QTabWidget(this);
    pageControl_->setObjectName(QStringLiteral("PageControl"));
    pageControl_->setFont(VktFormFont());
    pageControl_->addTab(MakeMonthPage(), QStringLiteral("月間履歴"));
    pageControl_->addTab(MakeYearPage(), QStringLiteral("年間履歴"));
    layout->addWidget(pageControl_);
    new TMHistoryEditPanel(this);
}

THistoryChartPanel::~THistoryChartPanel()
{
    // The editor's widget belongs to its creator, not to the splitter.
    if (editor_ && editor_->EditorWidget()) editor_->EditorWidget()->setParent(nullptr);
}

QWidget* THistoryChartPanel::MakeMonthPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QToolBar(page);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    platform::TabFocusButtons(*bar);
    cbMHistoryList_ = AddList(bar, "CBMHistoryList", 110);
    bar->addSeparator();
    btnMHistEdit_ = AddCheckButton(bar, "BtnMHistEdit", "使用単価編集", "使用単価編集|以前の使用単価を編集します。");
    bar->addSeparator();
    btnMHMark_ = AddCheckButton(bar, "BtnMHMark", "マーク", kMarkHint);
    column->addWidget(bar);

    splitter_ = new QSplitter(Qt::Horizontal, page);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setChildrenCollapsible(false);
    mhChart_ = MakeChart(mhView_, splitter_, "MHChart");
    mhChart_->legend()->hide();
    mhSeries_ = new QLineSeries;
    mhSeries_->setName(QStringLiteral("MHSeries"));
    mhSeries_->setColor(platform::ToQColor(kMonthColor));
    mhSeries_->setPointsVisible(true);
    mhChart_->addSeries(mhSeries_);
    mhBottom_ = MakeAxis(mhChart_, Qt::AlignBottom);
    mhSeries_->attachAxis(mhBottom_);
    mhLeft_ = MakeAxis(mhChart_, Qt::AlignLeft);
    mhSeries_->attachAxis(mhLeft_);
    mhMarks_ = std::make_unique<TPointMarks>(mhChart_, mhSeries_, mhSeries_);
    splitter_->addWidget(mhView_);
    column->addWidget(splitter_, 1);

    btnMHMark_->setChecked(mhMarks_->IsVisible());
    connect(mhChart_, &QChart::plotAreaChanged, this, [this] {
        LabelMonthAxis();
        FitValueLabels(mhChart_, mhLeft_);
    });
    connect(cbMHistoryList_, &QComboBox::currentIndexChanged, this, [this] { CBMHistoryListChange(); });
    connect(btnMHistEdit_, &QToolButton::clicked, this, [this] { BtnMHistEditClick(); });
    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        if (editor_ && editor_->EditorWidget() && editor_->EditorWidget()->isVisible())
            editorWidth_ = editor_->EditorWidget()->width();
    });
    connect(btnMHMark_, &QToolButton::clicked, this, [this] { BtnMHMarkClick(); });
    return page;
}

QWidget* THistoryChartPanel::MakeYearPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* bar = new QToolBar(page);
    bar->setObjectName(QStringLiteral("ToolBar2"));
    platform::TabFocusButtons(*bar);
    cbYHistoryList_ = AddList(bar, "CBYHistoryList", 80);
    bar->addSeparator();
    const char* buttonNames[4] = {"BtnYHMaxMark", "BtnYHAveMark", "BtnYHMinMark", "BtnYHLastMark"};
    const char* captions[4] = {"最高", "平均", "最低", "最終"};
    for (int tag = 0; tag < 4; ++tag) yearMarks_[tag] = AddCheckButton(bar, buttonNames[tag], captions[tag], kMarkHint);
    column->addWidget(bar);

    yhChart_ = MakeChart(yhView_, page, "YHChart");
    yhChart_->legend()->setAlignment(Qt::AlignBottom);
    yhChart_->legend()->setFont(VktFormFont());
    yhBottom_ = MakeAxis(yhChart_, Qt::AlignBottom);
    yhLeft_ = MakeAxis(yhChart_, Qt::AlignLeft);
    const char* seriesNames[4] = {"YHMaxSeries", "YHAveSeries", "YHMinSeries", "YHLastSeries"};
    for (int tag = 0; tag < 4; ++tag) {
        auto* line = new QLineSeries;
        line->setObjectName(QString::fromLatin1(seriesNames[tag]));
        line->setPointsVisible(true);
        yearLines_[tag] = line;
        QAbstractSeries* shown = line;
        if (tag < 3) {
            auto* area = new QAreaSeries(line);
            line->setParent(area);   // an area does not own its line
            area->setObjectName(QString::fromLatin1(seriesNames[tag]));
            area->setPointsVisible(true);
            QColor color = platform::ToQColor(kYearColors[tag]);
            area->setBorderColor(color.darker(130));
            area->setColor(color);
            yearAreas_[tag] = area;
            shown = area;
        } else {
            QPen pen(platform::ToQColor(kYearColors[tag]));
            pen.setWidth(2);
            line->setPen(pen);
        }
        shown->setName(platform::ToQString(kYearNames[tag]));
        yhChart_->addSeries(shown);
        shown->attachAxis(yhBottom_);
        shown->attachAxis(yhLeft_);
        yearLabels_[tag] = std::make_unique<TPointMarks>(yhChart_, line, shown);
        yearLabels_[tag]->SetVisible(true);
    }
    column->addWidget(yhView_, 1);

    for (int tag = 0; tag < 4; ++tag) {
        yearMarks_[tag]->setChecked(yearLabels_[tag]->IsVisible());
        connect(yearMarks_[tag], &QToolButton::clicked, this, [this, tag] { BtnYHMarkClick(tag); });
    }
    connect(cbYHistoryList_, &QComboBox::currentIndexChanged, this, [this] { CBYHistoryListChange(); });
    connect(yhChart_, &QChart::plotAreaChanged, this, [this] {
        LabelYearAxis();
        FitValueLabels(yhChart_, yhLeft_);
    });
    return page;
}

void THistoryChartPanel::SetMonthEditor(TMonthPriceEditor* editor)
{
    if (editor_ && editor_->EditorWidget()) editor_->EditorWidget()->setParent(nullptr);
    editor_ = editor;
    if (!editor_ || !editor_->EditorWidget()) return;
    QWidget* widget = editor_->EditorWidget();
    widget->setObjectName(QStringLiteral("MHistoryEditPanel"));
    // Its width as made: the splitter gives a hidden widget none.
    editorWidth_ = std::max(widget->width(), widget->minimumSizeHint().width());
    splitter_->insertWidget(0, widget);
    platform::TabChainBefore(*mhView_, {widget});   // the editor stands left of the chart
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    widget->setVisible(btnMHistEdit_->isChecked());
}

void THistoryChartPanel::EndUpdate()
{
    if (updating_ == 0 || --updating_ > 0) return;
    if (monthSeriesPending_) RebuildMonthSeries();
    if (yearSeriesPending_) RebuildYearSeries();
    if (monthAxisPending_) ScaleValueAxis(mhChart_, mhLeft_, {0, kInitialAxisMax});
    if (yearAxisPending_) ScaleValueAxis(yhChart_, yhLeft_, {0, kInitialAxisMax});
    monthAxisPending_ = yearAxisPending_ = false;
}

void THistoryChartPanel::Clear()
{
    model_.ClearMonthly();
    if (editor_) editor_->Clear();
    {
        const QSignalBlocker blocker(cbMHistoryList_);
        cbMHistoryList_->clear();
    }
    model_.ClearYearly();
    {
        const QSignalBlocker blocker(cbYHistoryList_);
        cbYHistoryList_->clear();
    }
    if (updating_ > 0) {
        monthSeriesPending_ = yearSeriesPending_ = monthAxisPending_ = yearAxisPending_ = true;
        return;
    }
    RebuildMonthSeries();
    ScaleValueAxis(mhChart_, mhLeft_, {0, kInitialAxisMax});
    RebuildYearSeries();
    ScaleValueAxis(yhChart_, yhLeft_, {0, kInitialAxisMax});
}

void THistoryChartPanel::AddMonthPoint(TDateTime date, double price)
{
    model_.AddMonthPoint(date, price);
    if (price != 0) RebuildMonthSeries();
    const QSignalBlocker blocker(cbMHistoryList_);
    const int current = cbMHistoryList_->currentIndex();
    for (std::size_t i = static_cast<std::size_t>(cbMHistoryList_->count()); i < model_.GetMonthList().size(); ++i) {
        const auto& entry = model_.GetMonthList()[i];
        cbMHistoryList_->addItem(platform::ToQString(entry.text), entry.date);
    }
    cbMHistoryList_->setCurrentIndex(current);
}

void THistoryChartPanel::AddYearPoint(TDateTime date, double max, double ave, double min, double last)
{
    model_.AddYearPoint(date, max, ave, min, last);
    RebuildYearSeries();
    const QSignalBlocker blocker(cbYHistoryList_);
    const int current = cbYHistoryList_->currentIndex();
    for (std::size_t i = static_cast<std::size_t>(cbYHistoryList_->count()); i < model_.GetYearList().size(); ++i) {
        const auto& entry = model_.GetYearList()[i];
        cbYHistoryList_->addItem(platform::ToQString(entry.text), entry.date);
    }
    cbYHistoryList_->setCurrentIndex(current);
}

void THistoryChartPanel::ShowLastEntries()
{
    for (QComboBox* list : {cbMHistoryList_, cbYHistoryList_}) {
        if (list->count() == 0) continue;
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(list->count() - 1);
    }
    CBMHistoryListChange();
    CBYHistoryListChange();
}

void THistoryChartPanel::RebuildMonthSeries()
{
    monthSeriesPending_ = updating_ > 0;
    if (monthSeriesPending_) return;
    QList<QPointF> points;
    for (const auto& p : model_.GetDayPoints()) points.append({ChartX(p.date), p.price});
    mhSeries_->replace(points);
}

void THistoryChartPanel::RebuildYearSeries()
{
    yearSeriesPending_ = updating_ > 0;
    if (yearSeriesPending_) return;
    QList<QPointF> points[4];
    for (const auto& m : model_.GetMonthPoints()) {
        const double x = ChartX(m.date);
        points[0].append({x, m.max});
        points[1].append({x, m.ave});
        points[2].append({x, m.min});
        points[3].append({x, m.last});
    }
    for (int tag = 0; tag < 4; ++tag) yearLines_[tag]->replace(points[tag]);
}

bool THistoryChartPanel::IsEditing() const
{
    return editor_ && editor_->GetModified();
}

void THistoryChartPanel::CancelEdit()
{
    if (editor_) editor_->Cancel();
}

void THistoryChartPanel::CBMHistoryListChange()
{
    const int index = cbMHistoryList_->currentIndex();
    if (index < 0) return;
    shownMonth_ = cbMHistoryList_->itemData(index).toDouble();
    const TDateTime month = shownMonth_;
    mhStep_ = 0;
    LabelMonthAxis();
    if (editor_) {
        editor_->Clear();
        editor_->SetMonth(month);
        for (const auto& p : model_.PointsOfMonth(month)) {
            editor_->SetPrice(platform::Currency::FromDouble(p.price), p.date);
        }
    }
    ScaleMonthly();
}

void THistoryChartPanel::CBYHistoryListChange()
{
    const int index = cbYHistoryList_->currentIndex();
    if (index < 0) return;
    shownYear_ = platform::DecodeDate(cbYHistoryList_->itemData(index).toDouble()).year;
    yhStep_ = 0;
    LabelYearAxis();
    ScaleYearly();
}

void THistoryChartPanel::LabelMonthAxis()
{
    if (shownMonth_ == 0) return;
    const TDateTime last = platform::EndOfMonth(shownMonth_);
    const int days = static_cast<int>(last - shownMonth_) + 1;
    // The last step leaves the first day alone, for a chart too narrow for two labels.
    const int step = LabelStep(mhChart_->plotArea().width(), days, DateLabelSpacing(*mhBottom_, "31日"),
                               {1, 2, 3, 5, 7, 10, 15, 31});
    if (step == mhStep_) return;
    mhStep_ = step;
    TDateLabels labels;
    for (int day = 1; day <= days; day += step) labels.push_back({shownMonth_ + day - 1, std::to_string(day) + "日"});
    SetDateAxis(*mhBottom_, shownMonth_, last, labels);
}

void THistoryChartPanel::LabelYearAxis()
{
    if (shownYear_ == 0) return;
    const int step = LabelStep(yhChart_->plotArea().width(), 12, DateLabelSpacing(*yhBottom_, "12月"), {1, 2, 3, 6, 12});
    if (step == yhStep_) return;
    yhStep_ = step;
    TDateLabels labels;
    for (int month = 1; month <= 12; month += step) {
        labels.push_back({platform::EncodeDate(shownYear_, month, 1), std::to_string(month) + "月"});
    }
    SetDateAxis(*yhBottom_, platform::EncodeDate(shownYear_, 1, 1), platform::EncodeDate(shownYear_, 12, 1), labels);
}

void THistoryChartPanel::ScaleValueAxis(QChart* chart, QCategoryAxis* axis, TAxisRange range)
{
    SetValueAxis(*axis, range, ValueLabelLimit(chart->plotArea().height(), axis->labelsFont()));
}

void THistoryChartPanel::FitValueLabels(QChart* chart, QCategoryAxis* axis)
{
    // As many labels as the plot's height holds whole; the same count keeps the labels.
    const int limit = ValueLabelLimit(chart->plotArea().height(), axis->labelsFont());
    const auto count = static_cast<int>(axis->categoriesLabels().size());
    const int wanted = [&] {
        QCategoryAxis probe;
        SetValueAxis(probe, {axis->min(), axis->max()}, limit);
        return static_cast<int>(probe.categoriesLabels().size());
    }();
    if (wanted != count) SetValueAxis(*axis, {axis->min(), axis->max()}, limit);
}

void THistoryChartPanel::ScaleMonthly()
{
    monthAxisPending_ = false;
    ScaleValueAxis(mhChart_, mhLeft_, model_.MonthlyRange());
}

void THistoryChartPanel::ScaleYearly()
{
    yearAxisPending_ = false;
    ScaleValueAxis(yhChart_, yhLeft_, model_.YearlyRange());
}

void THistoryChartPanel::MonthEditorChange()
{
    if (cbMHistoryList_->currentIndex() < 0 || !OnMHistoryChange || !editor_) return;
    OnMHistoryChange(this);
    const TDateTime day = editor_->GetDate();
    const platform::Currency price = editor_->GetPrice(day);
    model_.SetDayPrice(day, price.Raw() > 0 ? price.ToDouble() : 0);
    RebuildMonthSeries();
    ScaleMonthly();
}

void THistoryChartPanel::BtnMHistEditClick()
{
    QWidget* widget = editor_ ? editor_->EditorWidget() : nullptr;
    const bool show = widget && widget->isHidden();
    if (widget) widget->setVisible(show);
    if (show) {
        const int total = std::max(splitter_->width() - splitter_->handleWidth(), editorWidth_ + 1);
        splitter_->setSizes({editorWidth_, total - editorWidth_});
    }
    btnMHistEdit_->setChecked(show);
}

void THistoryChartPanel::BtnMHMarkClick()
{
    mhMarks_->SetVisible(!mhMarks_->IsVisible());
    btnMHMark_->setChecked(mhMarks_->IsVisible());
}

void THistoryChartPanel::BtnYHMarkClick(int tag)
{
    yearLabels_[tag]->SetVisible(!yearLabels_[tag]->IsVisible());
    yearMarks_[tag]->setChecked(yearLabels_[tag]->IsVisible());
}

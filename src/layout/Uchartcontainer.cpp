#include "layout/Uchartcontainer.h"

#include "core/Ucolorsupport.h"
#include "gui/QtSupport.h"
#include "platform/NumberText.h"
#include "platform/Text.h"
#include "platform/Units.h"

#include <QAbstractTextDocumentLayout>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFontMetricsF>
#include <QGraphicsEffect>
#include <QGraphicsItemGroup>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QPainterPath>
#include <QPieSeries>
#include <QPieSlice>
#include <QStyleOptionGraphicsItem>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QValueAxis>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The colours new series get, in order.
constexpr std::array<TColor, 12> kSeriesColors{0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0x808080, 0xFF00FF,
                                                0x808000, 0x800000, 0x000080, 0x00FF00, 0x008080, 0x800080};
constexpr std::array<const char*, 6> kDateFormats{"yyyy/M/d", "M/d", "d", "M", "yyyy", "yyyy/M"};

// Swaps the comma-text characters with another delimiter and quote character (both ASCII).
std::string SwapSyntax(std::string text, char delimiter, char quote)
{
    for (char& c : text) {
        if (c == delimiter)
            c = ',';
        else if (c == ',')
            c = delimiter;
        else if (c == quote)
            c = '"';
        else if (c == '"')
            c = quote;
    }
    return text;
}

double DateToMSecs(double x) { return (x - 25569) * 86400000.0; }

QDateTime ChartDate(double x) { return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(DateToMSecs(x)), Qt::UTC); }

QFont ChartFont(const std::string& name, TFontStyles styles, int height)
{
    QFont font(platform::ToQString(name));
    font.setPixelSize(std::max(height, 1));
    font.setBold(styles.Contains(fsBold));
    font.setItalic(styles.Contains(fsItalic));
    font.setUnderline(styles.Contains(fsUnderline));
    font.setStrikeOut(styles.Contains(fsStrikeOut));
    return font;
}

// A pie slice's text: its label, or its value without one.
QString SliceLabel(const TSeriesStruct& s, int j)
{
    return platform::ToQString(s.GetLabel(j).empty() ? platform::FloatToStr(s.GetY(j)) : s.GetLabel(j));
}

// Whether an item can be passed over: hidden, without contents, an empty text or a bare group.
bool PaintsNothing(const QGraphicsItem* item)
{
    if (!item->isVisible() || (item->flags() & QGraphicsItem::ItemHasNoContents) || item->effectiveOpacity() <= 0)
        return true;
    if (const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(item))
        return text->document()->isEmpty();
    return item->type() == QGraphicsItemGroup::Type;
}

// The shapes, in scene coordinates, that clip an item and do not already hold all of it.
std::vector<QPainterPath> ClipsReaching(const QGraphicsItem* item)
{
    std::vector<QPainterPath> clips;
    if (item->flags() & QGraphicsItem::ItemClipsToShape)
        clips.push_back(item->sceneTransform().map(item->shape()));
    std::optional<QRectF> bounds;   // costly for stroked items: only under a clipping parent
    for (const QGraphicsItem* parent = item->parentItem(); parent; parent = parent->parentItem()) {
        if (!(parent->flags() & QGraphicsItem::ItemClipsChildrenToShape))
            continue;
        if (!bounds)
            bounds = item->sceneBoundingRect();
        const QPainterPath shape = parent->sceneTransform().map(parent->shape());
        if (!shape.contains(*bounds))
            clips.push_back(shape);
    }
    return clips;
}

// A text item's lines as its document lays them out, in the item's default colour, moved by `offset`.
void PaintText(QPainter& painter, const QGraphicsTextItem& item, QPointF offset)
{
    QTextDocument* document = item.document();
    document->documentLayout()->documentSize();   // finishes a pending layout
    painter.setPen(item.defaultTextColor());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextLayout* layout = block.layout();
        if (!block.isVisible() || !layout)
            continue;
        layout->setCacheEnabled(true);   // shaped once for every page, not again for each
        layout->draw(&painter, offset);
    }
}

// Paints the scene into `target` as QGraphicsScene::render does (and leaves effects and items that
// ignore transformations to it): items in stacking order under one clip, without a saved state per
// item. Items that paint nothing are passed over, an item is clipped on its own only where a
// clipping parent does not hold it, and texts are drawn by their laid-out lines instead of through
// their documents' frames and clips. On a PDF page this writes the chart as a few state blocks
// rather than one with a clip path per item.
void PaintScene(QGraphicsScene& scene, QPainter& painter, const QRectF& target)
{
    const QRectF source = scene.sceneRect();
    const QList<QGraphicsItem*> items = scene.items(Qt::AscendingOrder);
    if (source.isEmpty() || std::any_of(items.begin(), items.end(), [](const QGraphicsItem* item) {
            return item->graphicsEffect() || (item->flags() & QGraphicsItem::ItemIgnoresTransformations);
        })) {
        scene.render(&painter, target, source, Qt::IgnoreAspectRatio);
        return;
    }
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    const QTransform toTarget = QTransform::fromTranslate(target.x(), target.y())
                                    .scale(target.width() / source.width(), target.height() / source.height())
                                    .translate(-source.x(), -source.y()) *
                                painter.worldTransform();
    const qreal opacity = painter.opacity();
    QStyleOptionGraphicsItem option;
    option.state = QStyle::State_Enabled;
    option.palette = scene.palette();
    for (QGraphicsItem* item : items) {
        if (PaintsNothing(item))
            continue;
        const std::vector<QPainterPath> clips = ClipsReaching(item);
        if (!clips.empty()) {
            painter.save();
            painter.setWorldTransform(toTarget);
            for (const QPainterPath& clip : clips)
                painter.setClipPath(clip, Qt::IntersectClip);
        }
        if (painter.opacity() != opacity * item->effectiveOpacity())
            painter.setOpacity(opacity * item->effectiveOpacity());
        // Every change of transform costs a PDF state block; texts that are only moved are drawn
        // at their offset in the scene's transform instead.
        const QTransform& transform = item->sceneTransform();
        const auto* text = qgraphicsitem_cast<const QGraphicsTextItem*>(item);
        const bool moved = text && transform.type() <= QTransform::TxTranslate;
        const QTransform wanted = moved ? toTarget : transform * toTarget;
        if (painter.worldTransform() != wanted)
            painter.setWorldTransform(wanted);
        if (text) {
            PaintText(painter, *text, moved ? QPointF(transform.dx(), transform.dy()) : QPointF());
        } else {
            option.exposedRect = item->mapRectFromScene(source);
            option.rect = option.exposedRect.toAlignedRect();
            item->paint(&painter, &option, nullptr);
        }
        if (!clips.empty())
            painter.restore();
    }
    painter.restore();
}

// Gives the chart a fixed plot area and lays it out again: the axes follow a fixed plot area only
// in a new layout pass.
void FixPlotArea(QChart& chart, const QRectF& plot)
{
    chart.setPlotArea(plot);
    chart.layout()->invalidate();
    chart.layout()->activate();
}

// ---- the 3-D view --------------------------------------------------------------------------------
//
// Qt Charts draws flat. With the 3-D view on, the chart keeps Qt's layout of title, legend, axes
// and labels, and its series are made transparent; the walls and the series' bodies are drawn here
// over the plot area. The plot's front plane is the laid-out plot area less the depth on its right
// and top, and the axes are laid out again along it; the depth runs up and to the right, and each
// non-pie series takes an equal slice of it, the first at the back (the highest of a history's
// areas hides none of the others). A pie becomes a tilted disc whose front half shows its edge.

// A filled polygon and its outline, in scene coordinates.
struct TDepthFace {
    QPolygonF Shape;
    QBrush Fill;
    QPen Pen;
};

// A value mark: its text centred in Box.
struct TDepthMark {
    QRectF Box;
    QString Text;
};

struct TChartDepth {
    std::vector<TDepthFace> Walls;
    std::vector<QLineF> GridLines;
    QPen GridPen;
    QPolygonF Clip;   // the plot's box: bodies beyond the axis ranges are cut there; empty for none
    std::vector<TDepthFace> Bodies;
    std::vector<TDepthFace> PieBodies;
    std::vector<QLineF> Arms;   // from a pie slice's rim to its mark
    QPen ArmPen;
    std::vector<TDepthMark> Marks;
    QFont MarkFont;
    QColor MarkColor;
};

// The shades of a body's faces: the top lighter toward white, the sides darker.
QColor TopShade(const QColor& c)
{
    const auto up = [](int v) { return v + (255 - v) * 2 / 5; };
    return QColor(up(c.red()), up(c.green()), up(c.blue()));
}
QColor SideShade(const QColor& c) { return c.darker(150); }

// The tilt of a pie's disc: its depth on screen against its width.
constexpr double kPieTilt = 0.5;
// Qt Charts' pie diameter against the plot's smaller side.
constexpr double kPieSize = 0.7;

class TDepthBuilder {
public:
    TDepthBuilder(QChart& chart, int percent, int lineWidth, const QFont& font, const QColor& fontColor)
        : chart_(chart), percent_(std::clamp(percent, 0, 100)), lineWidth_(lineWidth)
    {
        depth_.MarkFont = font;
        depth_.MarkColor = fontColor;
        depth_.GridPen = QPen(QColor(0xC0, 0xC0, 0xC0), lineWidth);
        depth_.ArmPen = QPen(Qt::black, lineWidth);
        outline_ = QPen(Qt::black, lineWidth);
        outline_.setJoinStyle(Qt::MiterJoin);
    }

    // `series` and the chart's series are in the same order; `pieColors` holds each pie's slice colours.
    TChartDepth Build(const std::vector<TSeriesStruct>& series, const std::vector<std::vector<TColor>>& pieColors,
                      bool walls)
    {
        // Laid out and kept in the legend, Qt's series draw nothing. Bars and slices take the
        // opacity only once they exist, after the first layout.
        const QList<QAbstractSeries*> made = chart_.series();
        for (QAbstractSeries* s : made)
            s->setOpacity(0);
        const QRectF plot = chart_.plotArea();
        std::vector<int> bodies;
        for (std::size_t i = 0; i < series.size() && i < static_cast<std::size_t>(made.size()); ++i)
            if (series[i].Kind == 0)
                AddPie(series[i], pieColors[i], plot);
            else
                bodies.push_back(static_cast<int>(i));
        if (bodies.empty())
            return std::move(depth_);

        // Room for the depth: the front plane gives it up on the right and the top.
        const double d = std::floor(std::min(plot.width(), plot.height()) * percent_ / 200.0);
        const QRectF front = plot.adjusted(0, d, -d, 0);
        FixPlotArea(chart_, front);
        toScene_ = chart_.sceneTransform();
        const QPointF back(d, -d);
        const QPolygonF box({front.bottomLeft(), front.topLeft(), front.topLeft() + back, front.topRight() + back,
                             front.bottomRight() + back, front.bottomRight()});
        depth_.Clip = toScene_.map(box);
        if (walls)
            AddWalls(front, back);
        // From the back slice to the front one, each series' bodies from the left.
        const double slice = d / static_cast<double>(bodies.size());
        for (std::size_t k = 0; k < bodies.size(); ++k) {
            const std::size_t i = static_cast<std::size_t>(bodies[k]);
            const double behind = slice * static_cast<double>(bodies.size() - 1 - k);
            const QPointF near(behind, -behind);
            const QPointF far = near + QPointF(slice, -slice);
            if (series[i].Kind == 2)
                AddBars(series[i], made[static_cast<qsizetype>(i)], near, far);
            else
                AddLine(series[i], made[static_cast<qsizetype>(i)], near, far);
        }
        return std::move(depth_);
    }

private:
    void Face(std::vector<TDepthFace>& faces, const QPolygonF& shape, const QColor& fill, const QPen& pen)
    {
        faces.push_back({toScene_.map(shape), QBrush(fill), pen});
    }

    // A mark whose text sits above `at` (chart coordinates) or, with `side` set, beside it on that side.
    void Mark(const QString& text, QPointF at, int side = 0)
    {
        const QSizeF size = QFontMetricsF(depth_.MarkFont).size(0, text);
        const double gap = lineWidth_ * 2.0;
        QRectF box(QPointF(), size);
        if (side > 0)
            box.moveCenter({at.x() + gap + size.width() / 2, at.y()});
        else if (side < 0)
            box.moveCenter({at.x() - gap - size.width() / 2, at.y()});
        else
            box.moveCenter({at.x(), at.y() - gap - size.height() / 2});
        depth_.Marks.push_back({toScene_.mapRect(box), text});
    }

    QAbstractAxis* Axis(Qt::Orientation orientation) const
    {
        const QList<QAbstractAxis*> axes = chart_.axes(orientation);
        return axes.isEmpty() ? nullptr : axes.first();
    }

    // The value from which bars and areas rise: 0, kept inside the left axis's range.
    double Base() const
    {
        const auto* left = qobject_cast<QValueAxis*>(Axis(Qt::Vertical));
        return left ? std::clamp(0.0, left->min(), left->max()) : 0.0;
    }

    void AddWalls(const QRectF& front, QPointF back)
    {
        const QPen pen(QColor(0x80, 0x80, 0x80), lineWidth_);
        Face(depth_.Walls, {front.bottomLeft(), front.topLeft(), front.topLeft() + back, front.bottomLeft() + back},
             QColor(0xEC, 0xEC, 0xEC), pen);
        Face(depth_.Walls,
             {front.bottomLeft(), front.bottomRight(), front.bottomRight() + back, front.bottomLeft() + back},
             QColor(0xDC, 0xDC, 0xDC), pen);
        Face(depth_.Walls, QPolygonF(front.translated(back)), QColor(0xF8, 0xF8, 0xF8), pen);
        // The grid on the walls: the left axis's ticks across the left and back walls, the bottom
        // axis's ticks across the bottom and back walls.
        const auto grid = [&](QPointF a, QPointF b, QPointF c) {
            depth_.GridLines.push_back(toScene_.map(QLineF(a, b)));
            depth_.GridLines.push_back(toScene_.map(QLineF(b, c)));
        };
        for (double f : Ticks(Qt::Vertical)) {
            const double y = front.bottom() - f * front.height();
            grid({front.left(), y}, QPointF(front.left(), y) + back, QPointF(front.right(), y) + back);
        }
        for (double f : Ticks(Qt::Horizontal)) {
            const double x = front.left() + f * front.width();
            grid({x, front.bottom()}, QPointF(x, front.bottom()) + back, QPointF(x, front.top()) + back);
        }
    }

    // Where an axis's grid lines fall, as fractions of its length.
    std::vector<double> Ticks(Qt::Orientation orientation) const
    {
        QAbstractAxis* axis = Axis(orientation);
        std::vector<double> ticks;
        int count = 0;
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis)) {
            const int n = static_cast<int>(categories->count());
            for (int i = 1; i < n; ++i)
                ticks.push_back(static_cast<double>(i) / n);
            return ticks;
        }
        if (auto* value = qobject_cast<QValueAxis*>(axis))
            count = value->tickCount();
        else if (auto* date = qobject_cast<QDateTimeAxis*>(axis))
            count = date->tickCount();
        for (int i = 1; i + 1 < count; ++i)
            ticks.push_back(static_cast<double>(i) / (count - 1));
        return ticks;
    }

    QPointF At(QAbstractSeries* series, double x, double y) const { return chart_.mapToPosition({x, y}, series); }

    void AddBars(const TSeriesStruct& s, QAbstractSeries* made, QPointF near, QPointF far)
    {
        const QColor color = platform::ToQColor(s.Color);
        const double base = Base();
        for (int j = 0; j < s.GetCount(); ++j) {
            const QPointF a = At(made, j - 0.3, s.GetY(j)), b = At(made, j + 0.3, base);
            const QRectF bar = QRectF(a, b).normalized().translated(near);
            const QPointF depth = far - near;
            Face(depth_.Bodies, {bar.topLeft(), bar.topRight(), bar.topRight() + depth, bar.topLeft() + depth},
                 TopShade(color), outline_);
            Face(depth_.Bodies,
                 {bar.topRight(), bar.bottomRight(), bar.bottomRight() + depth, bar.topRight() + depth},
                 SideShade(color), outline_);
            Face(depth_.Bodies, QPolygonF(bar), color, outline_);
            if (s.MarksVisible)
                Mark(platform::ToQString(platform::FloatToStr(s.GetY(j))), {(bar.left() + bar.right()) / 2,
                                                                            bar.top()});
        }
    }

    // A line is a ribbon through the series' depth; an area is a slab under it with its right end shown.
    void AddLine(const TSeriesStruct& s, QAbstractSeries* made, QPointF near, QPointF far)
    {
        QXYSeries* line = nullptr;
        if (auto* area = qobject_cast<QAreaSeries*>(made))
            line = area->upperSeries();
        else
            line = qobject_cast<QXYSeries*>(made);
        if (!line || line->count() == 0)
            return;
        const QColor color = platform::ToQColor(s.Color);
        const QPointF depth = far - near;
        QPolygonF points;
        for (const QPointF& p : line->points())
            points << At(made, p.x(), p.y()) + near;
        for (qsizetype j = 0; j + 1 < points.size(); ++j) {
            const QPointF run = points[j + 1] - points[j];
            // Seen from above when the far edge lies above the near one, from below otherwise.
            const bool fromAbove = run.x() * depth.y() - run.y() * depth.x() < 0;
            Face(depth_.Bodies, {points[j], points[j + 1], points[j + 1] + depth, points[j] + depth},
                 fromAbove ? TopShade(color) : SideShade(color), outline_);
        }
        if (s.Kind == 4) {
            const QPointF first = line->points().first(), last = line->points().last();
            const QPointF lastBase = At(made, last.x(), Base()) + near, firstBase = At(made, first.x(), Base()) + near;
            Face(depth_.Bodies, {points.last(), lastBase, lastBase + depth, points.last() + depth}, SideShade(color),
                 outline_);
            QPolygonF slab = points;
            slab << lastBase << firstBase;
            Face(depth_.Bodies, slab, color, outline_);
        }
        if (s.MarksVisible)
            for (int j = 0; j < s.GetCount() && j < points.size(); ++j)
                Mark(platform::ToQString(platform::FloatToStr(s.GetY(j))), points[j]);
    }

    // A tilted disc: slices on top, the front half of its rim as an edge below them.
    void AddPie(const TSeriesStruct& s, const std::vector<TColor>& colors, const QRectF& plot)
    {
        double sum = 0;
        for (int j = 0; j < s.GetCount(); ++j)
            sum += std::max(s.GetY(j), 0.0);
        if (sum <= 0)
            return;
        toScene_ = chart_.sceneTransform();
        // As wide as Qt Charts' flat pie may be, as long as the disc and its edge fit its height.
        const double rx = kPieSize * std::min(plot.width() / 2, plot.height() / (2 * kPieTilt + percent_ / 100.0));
        const double ry = rx * kPieTilt;
        const double edge = std::floor(rx * percent_ / 100.0);
        const QPointF centre(plot.center().x(), plot.center().y() - edge / 2);
        // Angles in degrees clockwise from twelve o'clock, as Qt Charts lays out its slices.
        const auto rim = [&](double degrees, double down) {
            const double r = qDegreesToRadians(degrees);
            return QPointF(centre.x() + rx * std::sin(r), centre.y() - ry * std::cos(r) + down);
        };
        const auto arc = [&](QPolygonF& shape, double from, double to, double down) {
            const int steps = std::max(2, static_cast<int>(std::ceil(std::abs(to - from) / 3)));
            for (int k = 0; k <= steps; ++k)
                shape << rim(from + (to - from) * k / steps, down);
        };
        std::vector<TDepthFace> tops;
        double start = 0;
        for (int j = 0; j < s.GetCount(); ++j) {
            const double span = std::max(s.GetY(j), 0.0) / sum * 360;
            const QColor color = platform::ToQColor(j < static_cast<int>(colors.size()) ? colors[static_cast<std::size_t>(j)]
                                                                                    : s.Color);
            // The rim shows between three and nine o'clock.
            const double from = std::max(start, 90.0), to = std::min(start + span, 270.0);
            if (edge > 0 && from < to) {
                QPolygonF side;
                arc(side, from, to, 0);
                arc(side, to, from, edge);
                Face(depth_.PieBodies, side, SideShade(color), outline_);
            }
            if (span > 0) {
                QPolygonF top{centre};
                arc(top, start, start + span, 0);
                tops.push_back({toScene_.map(top), QBrush(color), outline_});
            }
            if (s.MarksVisible && span > 0) {
                const double middle = start + span / 2;
                const bool front = std::cos(qDegreesToRadians(middle)) < 0;
                const QPointF onRim = rim(middle, front ? edge : 0);
                const QPointF out = onRim + (rim(middle, 0) - centre) * 0.15;
                depth_.Arms.push_back(toScene_.map(QLineF(onRim, out)));
                Mark(SliceLabel(s, j), out, std::sin(qDegreesToRadians(middle)) >= 0 ? 1 : -1);
            }
            start += span;
        }
        depth_.PieBodies.insert(depth_.PieBodies.end(), tops.begin(), tops.end());
    }

    QChart& chart_;
    int percent_;
    int lineWidth_;
    QPen outline_;
    QTransform toScene_;
    TChartDepth depth_;
};

void PaintFaces(QPainter& painter, const std::vector<TDepthFace>& faces)
{
    for (const TDepthFace& face : faces) {
        painter.setBrush(face.Fill);
        painter.setPen(face.Pen);
        painter.drawPolygon(face.Shape);
    }
}

// Paints what lies behind the scene's axes and texts: the chart's white ground and the walls.
void PaintDepthGround(QPainter& painter, const TChartDepth& depth, const QRectF& scene)
{
    painter.fillRect(scene, Qt::white);
    PaintFaces(painter, depth.Walls);
    painter.setPen(depth.GridPen);
    for (const QLineF& line : depth.GridLines)
        painter.drawLine(line);
}

// Paints the series' bodies and their marks over the scene.
void PaintDepthBodies(QPainter& painter, const TChartDepth& depth)
{
    if (!depth.Bodies.empty()) {
        painter.save();
        painter.setClipPath([&] { QPainterPath p; p.addPolygon(depth.Clip); p.closeSubpath(); return p; }(),
                            Qt::IntersectClip);
        PaintFaces(painter, depth.Bodies);
        painter.restore();
    }
    PaintFaces(painter, depth.PieBodies);
    painter.setPen(depth.ArmPen);
    for (const QLineF& arm : depth.Arms)
        painter.drawLine(arm);
    painter.setFont(depth.MarkFont);
    painter.setPen(depth.MarkColor);
    for (const TDepthMark& mark : depth.Marks)
        painter.drawText(mark.Box, Qt::AlignCenter | Qt::TextDontClip, mark.Text);
}

// ---- the legend ----------------------------------------------------------------------------------
//
// Laid out here rather than by Qt Charts, whose legend measures every label as rich text several
// times a layout. Left and right, the entries stand in a column centred on the plot's height, at
// most 0.4 of the chart wide; top and bottom, they run in centred rows, at most 0.4 of the chart
// high. Labels too long for the room are elided; entries beyond it are left out. The plot area
// gives up the legend's room on its side.

struct TLegendSource {
    QString Label;
    QBrush Fill;
    QPen Pen;
};

constexpr double kLegendShare = 0.4;

TChartLegend LayOutLegend(const std::vector<TLegendSource>& sources, const QFont& font, const QColor& color,
                          int align, const QRectF& chart, QRectF plot, bool axes)
{
    TChartLegend legend;
    legend.Font = font;
    legend.Color = color;
    legend.Plot = plot;
    const QFontMetricsF metrics(font);
    const double h = metrics.height();
    const double marker = std::round(h / 2), pad = std::round(h / 4), gap = std::round(h / 3);
    const double row = std::round(h * 1.5);
    const double frame = pad + marker + gap + 2 * pad;   // an entry's width beside its label
    const auto width = [&](const TLegendSource& source) { return frame + metrics.horizontalAdvance(source.Label); };
    const auto add = [&](const TLegendSource& source, double x, double y, double w) {
        TChartLegendEntry entry;
        entry.Marker = QRectF(x + pad, y + (row - marker) / 2, marker, marker);
        entry.Text = QRectF(entry.Marker.right() + gap, y + (row - h) / 2, w - frame, h);
        entry.Label = metrics.elidedText(source.Label, Qt::ElideRight, entry.Text.width() + 0.5);
        entry.Fill = source.Fill;
        entry.Pen = source.Pen;
        legend.Entries.push_back(std::move(entry));
    };
    if (sources.empty() || row > plot.height() || frame + h > plot.width())
        return legend;
    if (align == 0 || align == 1) {
        double natural = 0;
        for (const TLegendSource& source : sources)
            natural = std::max(natural, width(source));
        // The plot keeps at least the room of two lines.
        const double w = std::min({natural, chart.width() * kLegendShare, plot.width() - 2 * h});
        const std::size_t rows = std::min(sources.size(), static_cast<std::size_t>(plot.height() / row));
        if (w < frame + h || rows == 0)
            return legend;
        const double top = plot.center().y() - static_cast<double>(rows) * row / 2;
        const double left = align == 0 ? chart.left() : chart.right() - w;
        for (std::size_t i = 0; i < rows; ++i)
            add(sources[i], left, top + static_cast<double>(i) * row, w);
        legend.Box = QRectF(left, top, w, static_cast<double>(rows) * row);
        if (align == 0)
            legend.Plot.setLeft(plot.left() + w);
        else
            legend.Plot.setRight(plot.right() - w);
        return legend;
    }
    // Rows of entries, each as wide as its label and no wider than the chart.
    const double across = chart.width() - 2 * pad;
    const std::size_t rowsMax =
        static_cast<std::size_t>(std::max(0.0, std::min(chart.height() * kLegendShare, plot.height() - 2 * h)) / row);
    std::vector<std::vector<std::pair<std::size_t, double>>> rows;
    double used = 0;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const double w = std::min(width(sources[i]), across);
        if (rows.empty() || used + w > across) {
            if (rows.size() == rowsMax)
                break;
            rows.emplace_back();
            used = 0;
        }
        rows.back().emplace_back(i, w);
        used += w;
    }
    if (rows.empty())
        return legend;
    const double height = static_cast<double>(rows.size()) * row;
    const double top = align == 2 ? plot.top() : chart.bottom() - height;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        double rowWidth = 0;
        for (const auto& [i, w] : rows[r])
            rowWidth += w;
        double x = chart.center().x() - rowWidth / 2;
        for (const auto& [i, w] : rows[r]) {
            add(sources[i], x, top + static_cast<double>(r) * row, w);
            x += w;
        }
    }
    legend.Box = QRectF(chart.left(), top, chart.width(), height);
    // Below a legend on top, the left axis's highest label reaches half a line above the plot.
    if (align == 2)
        legend.Plot.setTop(plot.top() + height + (axes ? std::round(h / 2) : 0));
    else
        legend.Plot.setBottom(plot.bottom() - height);
    return legend;
}

// A legend entry for every pie slice and every other series, as Qt Charts would list them.
std::vector<TLegendSource> LegendSources(const std::vector<TSeriesStruct>& series,
                                         const std::vector<std::vector<TColor>>& pieColors, int lineWidth)
{
    std::vector<TLegendSource> sources;
    const QPen outline(Qt::black, lineWidth);
    for (std::size_t i = 0; i < series.size(); ++i) {
        const TSeriesStruct& s = series[i];
        const QColor color = platform::ToQColor(s.Color);
        if (s.Kind == 0) {
            for (int j = 0; j < s.GetCount(); ++j) {
                const auto k = static_cast<std::size_t>(j);
                sources.push_back({SliceLabel(s, j),
                                   QBrush(k < pieColors[i].size() ? platform::ToQColor(pieColors[i][k]) : color), outline});
            }
            continue;
        }
        const QPen pen = s.Kind == 2 ? outline : QPen(s.Kind == 4 ? color.darker() : color, lineWidth);
        sources.push_back({platform::ToQString(s.Title), QBrush(color), pen});
    }
    return sources;
}

void PaintLegend(QPainter& painter, const TChartLegend& legend)
{
    if (legend.Entries.empty())
        return;
    for (const TChartLegendEntry& entry : legend.Entries) {
        painter.setPen(entry.Pen);
        painter.setBrush(entry.Fill);
        painter.drawRect(entry.Marker);
    }
    painter.setFont(legend.Font);
    painter.setPen(legend.Color);
    for (const TChartLegendEntry& entry : legend.Entries)
        painter.drawText(entry.Text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                         entry.Label);
}

} // namespace

std::vector<std::string> SplitDelimitedText(std::string_view text, char delimiter, char quote)
{
    std::vector<std::string> items = platform::SplitCommaText(SwapSyntax(std::string(text), delimiter, quote));
    for (std::string& item : items)
        item = SwapSyntax(item, delimiter, quote);
    return items;
}

std::string JoinDelimitedText(const std::vector<std::string>& items, char delimiter, char quote)
{
    std::vector<std::string> swapped;
    for (const std::string& item : items)
        swapped.push_back(SwapSyntax(item, delimiter, quote));
    return SwapSyntax(platform::JoinCommaText(swapped), delimiter, quote);
}

// ---- one series ----------------------------------------------------------------------------------

TSeriesData& TSeriesStruct::Point(int i)
{
    if (i < 0 || i >= GetCount())
        platform::RaiseListIndex(i);
    return points_[static_cast<std::size_t>(i)];
}

const TSeriesData& TSeriesStruct::Point(int i) const
{
    if (i < 0 || i >= GetCount())
        platform::RaiseListIndex(i);
    return points_[static_cast<std::size_t>(i)];
}

bool TSeriesStruct::Equal(const TSeriesStruct& other) const
{
    return MarksVisible == other.MarksVisible && Kind == other.Kind && Color == other.Color &&
           Title == other.Title && points_ == other.points_;
}

std::string TSeriesStruct::GetData() const
{
    std::vector<std::string> items{MarksVisible ? "1" : "0", platform::IntToStr(Color), Title,
                                   platform::IntToStr(Kind), platform::IntToStr(GetCount())};
    for (const TSeriesData& point : points_) {
        items.push_back(platform::FloatToStr(point.Y));
        items.push_back(platform::FloatToStr(point.X));
    }
    return JoinDelimitedText(items, ':', ';');
}

void TSeriesStruct::SetData(const std::string& text)
{
    const std::vector<std::string> items = SplitDelimitedText(text, ':', ';');
    const auto item = [&](std::size_t i) { return i < items.size() ? items[i] : std::string(); };
    Clear();
    MarksVisible = platform::StrToInt(item(0)) != 0;
    Color = platform::StrToInt(item(1));
    Title = item(2);
    Kind = platform::StrToInt(item(3));
    const int count = platform::StrToInt(item(4));
    for (int i = 0; i < count; ++i) {
        const std::size_t at = 5 + 2 * static_cast<std::size_t>(i);
        Add(platform::StrToFloat(item(at + 1)), platform::StrToFloat(item(at)), "");
    }
}

// ---- the container -------------------------------------------------------------------------------

// A chart in its scene with what it was made of.
struct TChartContainer::TDrawnChart {
    QGraphicsScene Scene;
    unsigned Revision = 0;
    std::string FontName;
    int FontHeight = 0;
    int LineWidth = 0;
    TFontStyles Styles;
    TColor FontColor = 0;
    bool AxesVisible = true;
    int Width = 0;
    int Height = 0;
    std::optional<TChartDepth> Depth;   // with the 3-D view on
    TChartLegend Legend;                // in scene coordinates
};

TChartContainer::TChartContainer() : TContainer(ctChart) {}

TChartContainer::TChartContainer(int type) : TContainer(type) {}

TChartContainer::~TChartContainer() = default;

void TChartContainer::SetGraphCount(int count)
{
    count = std::max(count, 0);
    if (count == GetGraphCount())
        return;
    while (GetGraphCount() < count) {
        TSeriesStruct series;
        const int index = GetGraphCount();
        series.Kind = 1;
        series.Title = "Series" + platform::IntToStr(index + 1);
        series.Color = kSeriesColors[static_cast<std::size_t>(index) % kSeriesColors.size()];
        series.MarksVisible = false;
        series_.push_back(series);
        pieColors_.emplace_back();
    }
    series_.resize(static_cast<std::size_t>(count));
    pieColors_.resize(static_cast<std::size_t>(count));
    Change();
}

void TChartContainer::SetData(int index, const TSeriesStruct& series)
{
    if (index < 0 || index >= GetGraphCount())
        platform::RaiseListIndex(index);
    series_[static_cast<std::size_t>(index)] = series;
    std::vector<TColor>& colors = pieColors_[static_cast<std::size_t>(index)];
    colors.clear();
    if (series.Kind == 0)
        for (int j = 0, hue = 0; j < series.GetCount(); ++j, hue += pieColorH_)
            colors.push_back(HSBToRGB(hue, pieColorS_, pieColorV_));
    Change();
}

TSeriesStruct TChartContainer::GetData(int index) const
{
    if (index < 0 || index >= GetGraphCount())
        platform::RaiseListIndex(index);
    return series_[static_cast<std::size_t>(index)];
}

const std::vector<TColor>& TChartContainer::GetPieColors(int index) const
{
    if (index < 0 || index >= GetGraphCount())
        platform::RaiseListIndex(index);
    return pieColors_[static_cast<std::size_t>(index)];
}

void TChartContainer::SetTitle(const std::string& text)
{
    title_ = text;
    Change();
}

void TChartContainer::SetDateFormat(int value)
{
    if (value == dateFormat_)
        return;
    dateFormat_ = value;
    if (value >= 0 && value < static_cast<int>(kDateFormats.size()))
        dateFormatApplied_ = true;
    Change();
}

void TChartContainer::SetLegendVisible(bool value)
{
    legendVisible_ = value;
    Change();
}

void TChartContainer::SetLegendAlign(int value)
{
    legendAlign_ = value;
    Change();
}

void TChartContainer::SetChartLimit(const TRect& limit)
{
    if (limit == chartLimit_)
        return;
    chartLimit_ = limit;
    leftAxis_ = {limit.Top == limit.Bottom, limit.Bottom / 100.0, limit.Top / 100.0};
    bottomAxis_ = {limit.Left == limit.Right, limit.Left / 100.0, limit.Right / 100.0};
    Change();
}

TColor TChartContainer::ColorSaturationDown(TColor color, int percent)
{
    TColor result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int c = (color >> shift) & 0xFF;
        const int v = static_cast<int>((256 - c) * percent * 0.01 + c);
        result |= static_cast<TColor>(std::min(v, 255)) << shift;
    }
    return result;
}

void TChartContainer::DoChange()
{
    axesVisible_ = std::none_of(series_.begin(), series_.end(), [](const TSeriesStruct& s) { return s.Kind == 0; });
}

void TChartContainer::FontChange() { TContainer::FontChange(); }

void TChartContainer::ChangeRect(TRect& rect, bool mm)
{
    if (mm)
        return;
    const int dpi = platform::ScreenPixelsPerInch();
    chartSize_ = {rect.Width() * 85 / dpi, rect.Height() * 85 / dpi};
}

// ---- drawing -------------------------------------------------------------------------------------

std::unique_ptr<QChart> TChartContainer::MakeChart(const std::string& fontName, int fontHeight, int lineWidth) const
{
    auto chart = std::make_unique<QChart>();
    chart->setAnimationOptions(QChart::NoAnimation);
    // In 3-D the ground is painted under the walls, before the scene.
    chart->setBackgroundBrush(view3D_ ? QBrush(Qt::NoBrush) : QBrush(Qt::white));
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->setBackgroundPen(QPen(Qt::black, lineWidth));
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    const QFont font = ChartFont(fontName, GetFontStyles(), fontHeight);
    const QColor color = platform::ToQColor(GetFontColor());
    chart->setTitle(platform::ToQString(title_));
    chart->setTitleFont(font);
    chart->setTitleBrush(color);
    chart->legend()->setVisible(false);   // drawn by Draw, beside the plot ChartFor leaves

    const auto xValue = [this](double x) { return xTypeDate_ ? DateToMSecs(x) : x; };
    const auto xText = [this](double x) {
        if (!xTypeDate_)
            return platform::ToQString(platform::FloatToStr(x));
        return ChartDate(x).toString(dateFormatApplied_ ? kDateFormats[static_cast<std::size_t>(dateFormat_)] : "yyyy/M/d");
    };
    QStringList categories;
    std::vector<QAbstractSeries*> xySeries;
    for (std::size_t i = 0; i < series_.size(); ++i) {
        const TSeriesStruct& s = series_[i];
        const QColor seriesColor = platform::ToQColor(s.Color);
        QAbstractSeries* made = nullptr;
        if (s.Kind == 0) {
            auto* pie = new QPieSeries();
            for (int j = 0; j < s.GetCount(); ++j) {
                QPieSlice* slice = pie->append(SliceLabel(s, j), s.GetY(j));
                if (j < static_cast<int>(pieColors_[i].size()))
                    slice->setColor(platform::ToQColor(pieColors_[i][static_cast<std::size_t>(j)]));
                slice->setPen(QPen(Qt::black, lineWidth));
                slice->setLabelVisible(s.MarksVisible);
                slice->setLabelFont(font);
                slice->setLabelColor(color);
            }
            made = pie;
        } else if (s.Kind == 2) {
            auto* set = new QBarSet(platform::ToQString(s.Title));
            set->setColor(seriesColor);
            set->setPen(QPen(Qt::black, lineWidth));
            set->setLabelFont(font);
            set->setLabelColor(color);
            for (int j = 0; j < s.GetCount(); ++j) {
                set->append(s.GetY(j));
                if (categories.size() <= j)
                    categories << xText(s.GetX(j));
            }
            auto* bars = new QBarSeries();
            bars->append(set);
            bars->setLabelsVisible(s.MarksVisible);
            made = bars;
        } else {
            auto* line = new QLineSeries();
            for (int j = 0; j < s.GetCount(); ++j)
                line->append(xValue(s.GetX(j)), s.GetY(j));
            line->setPen(QPen(seriesColor, lineWidth));
            line->setPointsVisible(s.Kind == 3);
            line->setPointLabelsVisible(s.MarksVisible);
            line->setPointLabelsFont(font);
            line->setPointLabelsColor(color);
            line->setPointLabelsFormat("@yPoint");
            if (s.Kind == 4) {
                auto* area = new QAreaSeries(line);
                line->setParent(area);   // an area series does not own its line
                area->setColor(seriesColor);
                area->setBorderColor(seriesColor.darker());
                area->setPen(QPen(seriesColor.darker(), lineWidth));
                made = area;
            } else {
                made = line;
            }
        }
        made->setName(platform::ToQString(s.Title));
        chart->addSeries(made);
        if (s.Kind != 0)
            xySeries.push_back(made);
    }
    if (!axesVisible_ || xySeries.empty())
        return chart;

    const auto style = [&](QAbstractAxis* axis) {
        axis->setLabelsFont(font);
        axis->setLabelsBrush(color);
        axis->setLinePen(QPen(Qt::black, 2 * lineWidth));
        axis->setGridLinePen(QPen(QColor(0xC0, 0xC0, 0xC0), lineWidth));
        axis->setGridLineVisible(!view3D_);   // in 3-D the grid lies on the walls
    };
    QAbstractAxis* bottom = nullptr;
    if (!categories.isEmpty()) {
        auto* axis = new QBarCategoryAxis();
        axis->append(categories);
        bottom = axis;
    } else if (xTypeDate_) {
        auto* axis = new QDateTimeAxis();
        axis->setFormat(dateFormatApplied_ ? kDateFormats[static_cast<std::size_t>(dateFormat_)] : "yyyy/M/d");
        if (!bottomAxis_.Automatic)
            axis->setRange(ChartDate(bottomAxis_.Minimum), ChartDate(bottomAxis_.Maximum));
        bottom = axis;
    } else {
        auto* axis = new QValueAxis();
        if (!bottomAxis_.Automatic)
            axis->setRange(bottomAxis_.Minimum, bottomAxis_.Maximum);
        bottom = axis;
    }
    auto* left = new QValueAxis();
    if (!leftAxis_.Automatic)
        left->setRange(leftAxis_.Minimum, leftAxis_.Maximum);
    style(bottom);
    style(left);
    chart->addAxis(bottom, Qt::AlignBottom);
    chart->addAxis(left, Qt::AlignLeft);
    for (QAbstractSeries* s : xySeries) {
        s->attachAxis(bottom);
        s->attachAxis(left);
    }
    // An axis attached to several series takes the range of one of them: the automatic ranges
    // cover every series' points, and the ground that bars rise from.
    constexpr double none = std::numeric_limits<double>::infinity();
    double xLow = none, xHigh = -none, yLow = none, yHigh = -none;
    for (const TSeriesStruct& s : series_) {
        if (s.Kind == 0 || s.GetCount() == 0)
            continue;
        if (s.Kind == 2)
            yLow = std::min(yLow, 0.0), yHigh = std::max(yHigh, 0.0);
        for (int j = 0; j < s.GetCount(); ++j) {
            yLow = std::min(yLow, s.GetY(j)), yHigh = std::max(yHigh, s.GetY(j));
            if (s.Kind != 2)
                xLow = std::min(xLow, s.GetX(j)), xHigh = std::max(xHigh, s.GetX(j));
        }
    }
    if (bottomAxis_.Automatic && xLow < xHigh) {
        if (auto* axis = qobject_cast<QValueAxis*>(bottom))
            axis->setRange(xLow, xHigh);
        else if (auto* dates = qobject_cast<QDateTimeAxis*>(bottom))
            dates->setRange(ChartDate(xLow), ChartDate(xHigh));
    }
    if (leftAxis_.Automatic) {
        if (yLow < yHigh)
            left->setRange(yLow, yHigh);
        left->applyNiceNumbers();
    }
    return chart;
}

TChartContainer::TDrawnChart& TChartContainer::ChartFor(const std::string& fontName, int fontHeight, int lineWidth,
                                                         int width, int height)
{
    // The revision covers every setter; the font is compared as well, since a parent's font may
    // reach it without a change here, and the axes, which DoChange settles after a bracket.
    const TDrawnChart* kept = drawn_.get();
    if (kept && kept->Revision == GetRevision() && kept->FontName == fontName && kept->FontHeight == fontHeight &&
        kept->LineWidth == lineWidth && kept->Styles == GetFontStyles() && kept->FontColor == GetFontColor() &&
        kept->AxesVisible == axesVisible_ && kept->Width == width && kept->Height == height)
        return *drawn_;
    drawn_.reset();
    auto made = std::make_unique<TDrawnChart>();
    QChart* chart = MakeChart(fontName, fontHeight, lineWidth).release();
    made->Scene.addItem(chart);
    // The frame's pen is centred on the chart's edge: inset by half of it, it lies whole inside.
    const qreal half = lineWidth / 2.0;
    chart->setGeometry(half, half, width - lineWidth, height - lineWidth);
    made->Scene.setSceneRect(0, 0, width, height);
    if (legendVisible_ && !series_.empty()) {
        chart->layout()->activate();
        TChartLegend& legend = made->Legend;
        legend = LayOutLegend(LegendSources(series_, pieColors_, lineWidth),
                              ChartFont(fontName, GetFontStyles(), fontHeight), platform::ToQColor(GetFontColor()),
                              legendAlign_, chart->rect(), chart->plotArea(), axesVisible_);
        if (!legend.Entries.empty())
            FixPlotArea(*chart, legend.Plot);
        // From the chart's coordinates to the scene's.
        const QPointF at = chart->pos();
        legend.Box.translate(at);
        legend.Plot.translate(at);
        for (TChartLegendEntry& entry : legend.Entries) {
            entry.Marker.translate(at);
            entry.Text.translate(at);
        }
    }
    if (view3D_)
        made->Depth = TDepthBuilder(*chart, view3DWidth_, lineWidth, ChartFont(fontName, GetFontStyles(), fontHeight),
                                    platform::ToQColor(GetFontColor()))
                          .Build(series_, pieColors_, axesVisible_);
    made->Revision = GetRevision();
    made->FontName = fontName;
    made->FontHeight = fontHeight;
    made->LineWidth = lineWidth;
    made->Styles = GetFontStyles();
    made->FontColor = GetFontColor();
    made->AxesVisible = axesVisible_;
    made->Width = width;
    made->Height = height;
    drawn_ = std::move(made);
    ++chartBuilds_;
    return *drawn_;
}

void TChartContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int, int, bool)
{
    QPainter* painter = canvas.GetPainter();
    const TRect target{rect.Left + offsetX, rect.Top + offsetY, rect.Right + offsetX, rect.Bottom + offsetY};
    if (!painter || target.IsEmpty())
        return;
    const double k = canvas.DpiY() * scale * (1 / platform::kMMPerInch) * 0.0001;
    const int lineWidth = std::max(static_cast<int>(k * 0.2), 1);
    std::string name;
    int size = 0;
    DoFont(name, size);
    const int height = static_cast<int>(canvas.DpiY() * (1.0 / 72) * size * scale * 0.00001);
    TDrawnChart& drawn = ChartFor(name, height, lineWidth, target.Width(), target.Height());
    const QRectF into(platform::ToQRect(target));
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (drawn.Depth) {
        // The scene's coordinates are the target's, moved.
        painter->save();
        painter->translate(into.topLeft());
        PaintDepthGround(*painter, *drawn.Depth, drawn.Scene.sceneRect());
        painter->restore();
    }
    PaintScene(drawn.Scene, *painter, into);
    if (drawn.Depth || !drawn.Legend.Entries.empty())
        painter->translate(into.topLeft());
    if (drawn.Depth) {
        painter->setClipRect(drawn.Scene.sceneRect(), Qt::IntersectClip);
        PaintDepthBodies(*painter, *drawn.Depth);
    }
    PaintLegend(*painter, drawn.Legend);
    painter->restore();
}

const TChartLegend* TChartContainer::GetDrawnLegend() const { return drawn_ ? &drawn_->Legend : nullptr; }

// ---- layout file ---------------------------------------------------------------------------------

void TChartContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    node.SetBoolAttribute("LegendVisible", legendVisible_);
    node.SetIntAttribute("LegendAlign", legendAlign_);
    node.SetBoolAttribute("View3D", view3D_);
    if (view3D_)
        node.SetIntAttribute("View3DWidth", view3DWidth_);
    if (GetType() != ctChart)
        return;
    node.SetBoolAttribute("XTypeDate", xTypeDate_);
    if (dateFormat_ != 0)
        node.SetIntAttribute("DateFormat", dateFormat_);
    node.SetAttribute("ChartLimit", RectToCommaText(chartLimit_));
    node.SetIntAttribute("GraphCount", GetGraphCount());
    std::vector<std::string> data;
    for (const TSeriesStruct& s : series_)
        data.push_back(s.GetData());
    node.SetAttribute("GraphData", platform::JoinCommaText(data));
}

void TChartContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    SetLegendVisible(node.GetBoolAttribute("LegendVisible"));
    SetLegendAlign(node.GetIntAttribute("LegendAlign"));
    SetView3D(node.GetBoolAttribute("View3D"));
    if (view3D_)
        SetView3DWidth(node.GetIntAttribute("View3DWidth"));
    if (GetType() != ctChart)
        return;
    SetXTypeDate(node.GetBoolAttribute("XTypeDate"));
    SetDateFormat(ReadIntAttribute(node, "DateFormat", 0));
    if (node.HasAttribute("ChartLimit")) {
        const std::vector<int> limit = CommaTextToInts(node.GetAttribute("ChartLimit"), 4);
        SetChartLimit({limit[0], limit[1], limit[2], limit[3]});
    }
    const int count = node.GetIntAttribute("GraphCount");
    SetGraphCount(count);
    const std::vector<std::string> data = platform::SplitCommaText(node.GetAttribute("GraphData"));
    for (int i = 0; i < count; ++i) {
        TSeriesStruct series;
        series.SetData(i < static_cast<int>(data.size()) ? data[static_cast<std::size_t>(i)] : std::string());
        SetData(i, series);
    }
}

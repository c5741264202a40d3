#include "gui/DrawingCost.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace platform {

using namespace cost;

namespace {

// The length of the scanline at `y`, from 0 to `width`, inside the outline of `edges` by `rule`;
// `crossings` is scratch.
double CoveredAlong(const std::vector<QLineF>& edges, double y, double width, Qt::FillRule rule,
                    std::vector<std::pair<double, int>>& crossings)
{
    crossings.clear();
    for (const QLineF& e : edges) {
        const double y0 = e.y1(), y1 = e.y2();
        if ((y0 <= y) == (y1 <= y))
            continue;
        const double x = e.x1() + (y - y0) * (e.x2() - e.x1()) / (y1 - y0);
        crossings.emplace_back(x, y1 > y0 ? 1 : -1);
    }
    std::sort(crossings.begin(), crossings.end());
    double covered = 0;
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
        winding += crossings[i].second;
        if (rule == Qt::OddEvenFill ? (winding & 1) != 0 : winding != 0)
            covered += std::max(0.0, std::min(width, crossings[i + 1].first) - std::max(0.0, crossings[i].first));
    }
    return covered;
}

} // namespace

// The largest and the smallest scale of a transform's linear part (its singular values).
std::pair<double, double> ScalesOf(const QTransform& m)
{
    const double a = m.m11(), b = m.m12(), c = m.m21(), d = m.m22();
    const double sum = a * a + b * b + c * c + d * d;
    const double det = std::abs(a * d - b * c);
    const double root = std::sqrt(std::max(0.0, sum * sum - 4 * det * det));
    const double largest = std::sqrt((sum + root) / 2);
    return {largest, largest > 0 ? det / largest : 0};
}

DrawingCost::DrawingCost(std::int64_t limit, const QSizeF& frame)
    : limit_(limit),
      frame_(frame),
      reference_(frame.width() > 0 && frame.height() > 0
                     ? std::sqrt(kReferencePixels / (frame.width() * frame.height()))
                     : 1)
{
}

double DrawingCost::AreaFactor(const QBrush& brush, const QTransform& transform)
{
    switch (brush.style()) {
    case Qt::NoBrush:
        return 0;
    case Qt::SolidPattern:
        return brush.color().alpha() == 255 ? 1 : kBlendFactor;
    case Qt::LinearGradientPattern: {
        const auto* gradient = static_cast<const QLinearGradient*>(brush.gradient());
        const QPointF along = transform.map(gradient->finalStop()) - transform.map(gradient->start());
        return std::abs(along.x()) <= 1e-9 * std::abs(along.y()) ? kSteadyGradientFactor : kComputedFactor;
    }
    case Qt::RadialGradientPattern:
    case Qt::ConicalGradientPattern:
    case Qt::TexturePattern:
        return kComputedFactor;
    default:
        return kPatternFactor;
    }
}

// What each span of a fill costs to set up with the brush, beyond an opaque colour's.
double DrawingCost::SpanWork(const QBrush& brush)
{
    switch (brush.style()) {
    case Qt::NoBrush:
        return 0;
    case Qt::SolidPattern:
        return brush.color().alpha() == 255 ? 0 : kBlendSpanWork;
    default:
        return kSpanWork;
    }
}

std::int64_t DrawingCost::AreaWork(const QRectF& rect, const QTransform& transform) const
{
    // No more than the frame's pixels are drawn.
    const QRectF box = transform.mapRect(rect) & QRectF(QPointF(0, 0), frame_);
    return Clamped(box.width() * box.height() * reference_ * reference_ / kAreaPixelsPerWork);
}

DrawingCost::Outline DrawingCost::OutlineOf(const QPainterPath& path, const QTransform& transform) const
{
    Outline o;
    const double w = frame_.width(), h = frame_.height();
    const auto clamped = [&](QPointF p) { return QPointF(std::clamp(p.x(), 0.0, w), std::clamp(p.y(), 0.0, h)); };
    std::vector<QLineF> edges;
    edges.reserve(static_cast<std::size_t>(path.elementCount()) + 1);
    // The edges between the points written, a curve's control points included (their polygon
    // holds the curve), in the frame's units.
    const auto edge = [&](QPointF from, QPointF to, bool curve, double own) {
        o.OwnLength += own;
        const double length = QLineF(from, to).length();
        o.Length += length;
        if (curve)
            o.CurveLength += length;
        const QPointF a = clamped(from), b = clamped(to);
        o.Crossings += std::abs(b.y() - a.y());
        o.Cells += std::abs(b.x() - a.x()) + std::abs(b.y() - a.y());
        edges.emplace_back(from, to);
    };
    QPointF start, last, ownStart, ownLast;
    // The direction of the straight edge that ends at `last`; none after a move or a curve.
    QPointF along;
    int figures = 0;
    double left = 0, top = 0, right = 0, bottom = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const QPointF own(e.x, e.y);
        const QPointF p = transform.map(own);
        left = i ? std::min(left, p.x()) : p.x();
        right = i ? std::max(right, p.x()) : p.x();
        top = i ? std::min(top, p.y()) : p.y();
        bottom = i ? std::max(bottom, p.y()) : p.y();
        if (e.isMoveTo()) {
            if (i > 0 && last != start)
                edge(last, start, false, QLineF(ownLast, ownStart).length());
            start = p;
            ownStart = own;
            along = {};
            ++figures;
        } else {
            const bool line = e.type == QPainterPath::LineToElement;
            edge(last, p, !line, QLineF(ownLast, own).length());
            o.Curves += e.isCurveTo();
            const QPointF next = p - last;
            if (line && next != QPointF()) {
                // The spike of a miter join reaches 1 / (2 cos(φ/2)) pen widths from the corner,
                // φ the turn from one edge to the next: half a width straight on, without end
                // when the path turns back.
                if (along != QPointF()) {
                    const double turn = QPointF::dotProduct(along, next) /
                                        (std::hypot(along.x(), along.y()) * std::hypot(next.x(), next.y()));
                    const double half = std::sqrt(std::max(0.0, (1 + turn) / 2));
                    o.Spikes.push_back(half > 1e-6 ? float(std::min(1e6, 0.5 / half)) : 1e6f);
                }
                along = next;
            } else if (!line) {
                along = {};
            }
        }
        last = p;
        ownLast = own;
    }
    if (path.elementCount() > 0 && last != start)
        edge(last, start, false, QLineF(ownLast, ownStart).length());
    o.Points = path.elementCount();
    o.Figures = figures;
    // An upright rectangle: one figure of a few edges, each along an axis, covering its bounds.
    const bool upright = figures == 1 && o.Curves == 0 && edges.size() <= 8 &&
                         std::all_of(edges.begin(), edges.end(), [](const QLineF& e) {
                             return e.x1() == e.x2() || e.y1() == e.y2();
                         });
    const QRectF shown = QRectF(QPointF(left, top), QPointF(right, bottom)) & QRectF(0, 0, w, h);
    o.Height = shown.height() * reference_;
    o.Width = shown.width() * reference_;
    o.Length *= reference_;
    o.CurveLength *= reference_;
    o.Crossings *= reference_;
    o.Cells *= reference_;
    // The pixels covered, measured along scanlines spread over its height in the frame (one every
    // 8 pixels of the reference size, at most 32), or its bounds' when it has too many edges.
    const int lines = std::clamp(static_cast<int>(o.Height / 8), 1, 32);
    if (shown.height() <= 0 || shown.width() <= 0) {
        o.Area = 0;
    } else if (edges.size() * static_cast<std::size_t>(lines) > kMaxAreaEdges) {
        o.Area = shown.width() * shown.height();
    } else {
        std::vector<std::pair<double, int>> crossings;
        const double step = shown.height() / lines;
        for (int k = 0; k < lines; ++k)
            o.Area += CoveredAlong(edges, shown.top() + (k + 0.5) * step, w, path.fillRule(), crossings) * step;
    }
    o.Rectangle = upright && o.Area >= 0.99 * shown.width() * shown.height();
    o.Area *= reference_ * reference_;
    return o;
}

bool DrawingCost::CheapToSmooth(const Outline& o)
{
    const double density = o.Crossings / std::max(1.0, o.Height);
    return o.Crossings <= kSmoothFewCrossings || (o.Crossings <= kSmoothCrossings && density <= kSmoothDensity);
}

std::int64_t DrawingCost::FillWork(const Outline& o, double areaFactor, double spanWork, bool smooth) const
{
    // A scanline's crossings are sorted into a list of the pixels they fall in: each walks the list
    // so far, the longer the more there are, up to a pixel across; when many fall in pixels already
    // listed, the whole list, a longer way through memory.
    const double density = o.Crossings / std::max(1.0, o.Height);
    const double listed = std::min(density, std::max(1.0, o.Width));
    const double walk = listed / kDensity * (1 + (kFullListFactor - 1) * (1 - listed / std::max(1.0, density)));
    // Each crossing starts a span, whose pixels a brush other than an opaque colour sets up anew;
    // a rectangle is filled span by span.
    const bool swept = smooth && !o.Rectangle;
    const double edges =
        o.Crossings * ((swept ? kSmoothExtentWork : o.Rectangle ? kRectangleExtentWork : kExtentWork) + spanWork);
    // A narrow outline's scanlines are all edge, and cost more.
    const double lines = swept ? o.Height * kSmoothLineWork * (o.Area < kNarrow * o.Height ? kNarrowFactor : 1) : 0;
    const double pixels = std::min(o.Area, kReferencePixels) * areaFactor / kAreaPixelsPerWork;
    return Clamped(o.Points * kPointWork + edges * (1 + walk) + lines +
                   pixels * (smooth || o.Rectangle ? 1 : kRoughAreaFactor));
}

DrawingCost::Stroke DrawingCost::StrokeOf(const Outline& o, const QPen& pen, const QTransform& transform) const
{
    // Qt makes a pen's outline and fills it; a pen of a pixel or less (along the transform's
    // largest scale) it draws pixel by pixel, dashes and all, when it is not antialiased, or under
    // a uniform scale, which a view's fit, rounded to whole pixels, rarely is.
    const double largest = ScalesOf(transform).first;
    const double penWidth = (pen.isCosmetic() ? std::max(1.0, pen.widthF()) : pen.widthF() * largest) * reference_;
    const double width = std::max(1.0, penWidth);
    Stroke stroke;
    stroke.Thin = penWidth <= 1;
    stroke.ThinWork = o.Points * kPointWork + std::min(o.Length, o.Cells) * kThinWork;
    // A dashed one is made piece by piece, each piece with two ends of its own. Qt dashes a pen
    // along the outline in its own units, whatever the transform (a cosmetic one in pixels), by the
    // first kMaxDashEntries entries of its pattern, each in pen widths: a dash or gap beyond any
    // length (a pattern over a pen too thin for it) has Qt make dashes without end.
    double pieces = 0;
    const QList<qreal> dashes = pen.dashPattern();
    const bool dashed = pen.style() != Qt::SolidLine && !dashes.isEmpty();
    if (dashed) {
        const qsizetype used = std::min<qsizetype>(dashes.size(), kMaxDashEntries);
        const double unit = pen.isCosmetic() ? std::max<qreal>(1, pen.widthF()) : pen.widthF();
        double period = 0;
        for (qsizetype i = 0; i < used; ++i)
            period += std::isfinite(dashes[i] * unit) ? std::max(0.0, dashes[i] * unit)
                                                      : std::numeric_limits<double>::infinity();
        const double along = pen.isCosmetic() ? o.Length : o.OwnLength;
        pieces = !std::isfinite(period) ? period : period > 0 ? along / period * double(used / 2) : o.Length;
    }
    stroke.Dashes = pieces;
    // Its two sides along the path, and a join at each point between two segments and an end at
    // each end of a figure or a piece, each crossing as many scanlines as the pen is wide; a round
    // one is an arc of curves, crossing them twice.
    const double segments = std::max(0.0, o.Points - o.Figures - 2 * o.Curves);
    const double joins = std::max(0.0, segments - o.Figures);
    const double ends = 2 * (o.Figures + pieces);
    const bool roundJoins = pen.joinStyle() == Qt::RoundJoin;
    const bool roundEnds = pen.capStyle() == Qt::RoundCap;
    const double tallest = frame_.height() * reference_;
    const double across = std::min(width, tallest);
    // A miter join's two sides run out to its spike's tip, up to the miter limit's half (in pen
    // widths) from the corner; past it, an SVG miter is cut back to a bevel, Qt's own clipped at it.
    double joinCrossings = joins * (roundJoins ? 2 : 1) * across;
    double joinArea = width * width * joins / 2;
    if (pen.joinStyle() == Qt::MiterJoin || pen.joinStyle() == Qt::SvgMiterJoin) {
        const double limit = std::max(1.0, pen.miterLimit()) / 2;
        const bool bevelled = pen.joinStyle() == Qt::SvgMiterJoin;
        double reach = 0;
        for (const float spike : o.Spikes)
            reach += std::min(tallest, width * std::max(0.5, spike <= limit ? double(spike) : bevelled ? 0.5 : limit));
        const double straight = std::min(double(o.Spikes.size()), joins);
        joinCrossings += 2 * reach - straight * across;
        joinArea += width * reach - width * width * straight / 2;
    }
    Outline& s = stroke.Made;
    s.Points = 2 * o.Points + joins * (roundJoins ? kArcPoints : 2) + ends * (roundEnds ? kArcPoints : 2);
    s.Crossings = 2 * o.Crossings + joinCrossings + across * ends * (roundEnds ? 2 : 1);
    s.Height = std::min(o.Height + width, tallest);
    s.Width = std::min(o.Width + width, frame_.width() * reference_);
    s.Area = std::min(width * (o.Length + width * ends / 2) + joinArea, kReferencePixels);
    // One segment along an axis, its ends square, is an upright rectangle.
    s.Rectangle = o.Rectangle && o.Points == 2 && !dashed && !roundEnds;
    // Making it: each point and curve offset, each piece, each arc, and the whole outline, in the
    // frame or not; along a curve, a dashed pen steps as wide as the pen, the finer the wider (as
    // the width to the power kCurvedDashPower, up to kCurvedDashWidth).
    stroke.Making = 2 * o.Points * kPointWork + o.Curves * kCurveStrokeWork + width * o.Length * kSweptWork +
                    pieces * kDashWork + ((roundJoins ? joins : 0) + (roundEnds ? ends : 0)) * kArcWork;
    if (dashed)
        stroke.Making +=
            o.Curves * width * kCurvedDashWork * std::pow(std::min(1.0, width / kCurvedDashWidth), kCurvedDashPower);
    return stroke;
}

std::int64_t DrawingCost::StrokeWork(const Stroke& stroke, const QPen& pen, bool smooth,
                                     const QTransform& transform) const
{
    if (stroke.Thin && !smooth && stroke.Dashes == 0)
        return Clamped(stroke.ThinWork);
    const std::int64_t made = Clamped(stroke.Making) +
                              FillWork(stroke.Made, AreaFactor(pen.brush(), transform), SpanWork(pen.brush()), smooth);
    // A thin pen's dashes are drawn pixel by pixel here, but made piece by piece where the pen is
    // wider than a pixel: a larger raster.
    return stroke.Thin && !smooth ? std::max(Clamped(stroke.ThinWork), made) : made;
}

std::int64_t DrawingCost::Clamped(double work) const
{
    return work < double(limit_) ? static_cast<std::int64_t>(work) : limit_ + 1;
}

} // namespace platform

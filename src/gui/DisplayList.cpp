#include "gui/DisplayList.h"

#include "gui/DrawingCost.h"

#include <QLinearGradient>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace platform {

using namespace cost;

namespace {

// The anisotropy (the ratio of the transform's largest to smallest scale) up to which a text is
// given to the glyph rasteriser: in the drawing, and at replay with what the caller adds.
constexpr double kRecordAnisotropy = 16;
constexpr double kReplayAnisotropy = 1000;
// Glyphs of a size out of this range (in device pixels, along the transform's axes) draw nothing.
constexpr double kSmallestGlyph = 1e-3;
constexpr double kLargestGlyph = 1e7;

// Whether a character is of the wide scripts, its glyph filling its em's square.
bool IsWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

enum class TextWay { Glyphs, Outline, Nothing };

TextWay TextWayUnder(const QTransform& m, double pixelSize, double maxAnisotropy)
{
    if (!std::isfinite(m.m11()) || !std::isfinite(m.m12()) || !std::isfinite(m.m21()) || !std::isfinite(m.m22()) ||
        !std::isfinite(m.dx()) || !std::isfinite(m.dy()) || !m.isAffine())
        return TextWay::Nothing;
    const auto [largest, smallest] = ScalesOf(m);
    if (!std::isfinite(largest) || smallest * pixelSize < kSmallestGlyph || largest * pixelSize > kLargestGlyph)
        return TextWay::Nothing;
    return largest / smallest > maxAnisotropy ? TextWay::Outline : TextWay::Glyphs;
}

// The outline of a text as drawn at `at` in a font of `pixelSize` units, made at a fixed size and
// scaled, so that it does not depend on any device's resolution.
QPainterPath TextOutline(const QString& characters, const QPointF& at, const QFont& face, double pixelSize)
{
    constexpr int kOutlineSize = 256;
    QFont font(face);
    font.setPixelSize(kOutlineSize);
    QPainterPath outline;
    outline.addText(0, 0, font, characters);
    const double scale = pixelSize / kOutlineSize;
    return QTransform(scale, 0, 0, scale, at.x(), at.y()).map(outline);
}

// A tile brush scaled, when it is neither turned nor sheared on the device, so that its tile spans
// a whole number of device pixels each way (else nearest sampling drops or doubles a row midway),
// and no fewer than it has pixels: shrunk below that, sampling drops the same columns of every tile
// (a hatch's lines vanish in a small cell), so a tile's pixel is at least a device pixel, as a
// raster device draws a hatch.
QBrush WholePixelTile(const QBrush& brush, const QTransform& device)
{
    const QImage tile = brush.textureImage();
    const QTransform full = brush.transform() * device;
    if (tile.isNull() || full.m12() != 0 || full.m21() != 0 || full.m11() == 0 || full.m22() == 0)
        return brush;
    const double width = std::abs(full.m11()) * tile.width();
    const double height = std::abs(full.m22()) * tile.height();
    QBrush whole(brush);
    whole.setTransform(QTransform::fromScale(std::max<double>(tile.width(), std::round(width)) / width,
                                             std::max<double>(tile.height(), std::round(height)) / height) *
                       brush.transform());
    return whole;
}

void Smooth(QPainter& painter, bool smooth)
{
    if (painter.testRenderHint(QPainter::Antialiasing) != smooth)
        painter.setRenderHint(QPainter::Antialiasing, smooth);
}

// Whether the painter writes the brushes it is given (PDF, or a recording that may be played there).
bool WritesBrushes(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture);
}

// Whether a pixel of the tile is not opaque.
bool SeeThrough(const QImage& tile)
{
    if (!tile.hasAlphaChannel())
        return false;
    const QImage argb = tile.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        if (std::any_of(line, line + argb.width(), [](QRgb pixel) { return qAlpha(pixel) < 255; }))
            return true;
    }
    return false;
}

// Fills `shape` with a tile brush whose tile lets what lies below show, as the tiles laid on one
// picture clipped to the shape: PDF renderers fail on a tiling pattern of a masked picture (cairo's
// PostScript output asserts on it), while a masked picture on its own prints with every one. Tiles
// of a device pixel or more a pixel are laid a tile pixel a sheet pixel; finer ones a device pixel a
// sheet pixel, picked as a raster device picks them.
void FillSeeThroughTiles(QPainter& painter, const QPainterPath& shape, const QBrush& brush)
{
    const QTransform device = painter.combinedTransform();
    if (!device.isInvertible())
        return;
    QRectF area = shape.boundingRect();
    if (painter.hasClipping())
        area &= painter.clipBoundingRect();
    const QTransform tileToDevice = brush.transform() * device;
    const bool coarse = std::hypot(tileToDevice.m11(), tileToDevice.m12()) >= 1 &&
                        std::hypot(tileToDevice.m21(), tileToDevice.m22()) >= 1;
    const QRect cells = (coarse ? brush.transform().inverted() : device).mapRect(area).toAlignedRect();
    if (cells.isEmpty())
        return;
    // From the tile's pixels to the sheet's, and from the sheet's to the painter's coordinates.
    const QTransform corner = QTransform::fromTranslate(-cells.left(), -cells.top());
    QTransform toSheet = coarse ? corner : tileToDevice * corner;
    QTransform fromSheet = corner.inverted() * (coarse ? brush.transform() : device.inverted());
    const double pixels = double(cells.width()) * cells.height();
    const double scale = pixels > kMaxSheetPixels ? std::sqrt(kMaxSheetPixels / pixels) : 1;
    toSheet *= QTransform::fromScale(scale, scale);
    fromSheet = QTransform::fromScale(1 / scale, 1 / scale) * fromSheet;
    QImage sheet(std::max(1, int(std::ceil(cells.width() * scale))),
                 std::max(1, int(std::ceil(cells.height() * scale))), QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::transparent);
    QBrush laid(brush.textureImage());
    laid.setTransform(toSheet);
    QPainter(&sheet).fillRect(sheet.rect(), laid);
    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    painter.setWorldTransform(fromSheet * painter.worldTransform());
    painter.drawImage(0, 0, sheet);
    painter.restore();
}

} // namespace

bool DisplayListRecorder::CanDrawUnder(const QTransform& t)
{
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    return t.isAffine() &&
           std::all_of(std::begin(values), std::end(values), [](double v) { return std::isfinite(v); }) &&
           std::isfinite(t.determinant()) && t.determinant() != 0;
}

// ---- replay ---------------------------------------------------------------------------------------

namespace {

thread_local std::size_t replays = 0;

} // namespace

std::size_t DisplayList::ReplaysOnThisThread() { return replays; }

QPainterPath DisplayList::PathOf(const Outline& outline)
{
    // The elements as they were recorded: a path's own, so moveTo, lineTo and cubicTo take them as
    // they were taken then.
    QPainterPath path;
    path.reserve(static_cast<int>(outline.Elements.size()));
    path.setFillRule(outline.Rule);
    const std::vector<QPainterPath::Element>& e = outline.Elements;
    for (std::size_t i = 0; i < e.size(); ++i) {
        switch (e[i].type) {
        case QPainterPath::MoveToElement:
            path.moveTo(e[i].x, e[i].y);
            break;
        case QPainterPath::LineToElement:
            path.lineTo(e[i].x, e[i].y);
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 < e.size()) {
                path.cubicTo(e[i].x, e[i].y, e[i + 1].x, e[i + 1].y, e[i + 2].x, e[i + 2].y);
                i += 2;
            }
            break;
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return path;
}

void DisplayList::Replay(QPainter& painter) const { Replay(painter, {}); }

bool DisplayList::Replay(QPainter& painter, const std::function<bool()>& goOn) const
{
    if (commands_.empty() || !painter.isActive())
        return true;
    ++replays;
    painter.save();
    // The saves of the commands still open where a replay stops.
    std::size_t open = 0;
    bool stopped = false;
    // Shapes are antialiased wherever the drawing is replayed (a picture cache records the hint).
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QTransform base = painter.transform();
    const double dpi = painter.device() && painter.device()->logicalDpiY() > 0 ? painter.device()->logicalDpiY() : 96;
    // Fonts are sized for this device when first used.
    std::vector<QFont> sized(fonts_.size());
    std::vector<bool> ready(fonts_.size(), false);
    std::int32_t shownFont = -1;
    // Per brush: -1 not yet known, 1 a tile that lets what lies below show on a painter that writes it.
    std::vector<signed char> seeThrough(brushes_.size(), -1);
    // Whether fills drawn twice show as drawn once (not translucent, nor under a raster operation).
    const bool layered =
        painter.opacity() == 1 && painter.compositionMode() == QPainter::CompositionMode_SourceOver;
    const auto fill = [&](const Command& command) {
        const bool path = command.Kind == Op::Path;
        painter.setPen(pens_[path ? command.B : command.A]);
        const std::uint32_t brushIndex = path ? command.C : command.B;
        const QBrush& brush = brushes_[brushIndex];
        const bool tiled = brush.style() == Qt::TexturePattern;
        const bool lossless = painter.testRenderHint(QPainter::LosslessImageRendering);
        if (tiled) {
            // A pattern's pixels are drawn as pixels: its tile a whole number of them, unfiltered,
            // and written losslessly (a JPEG of its lines prints grey).
            const QBrush whole = WholePixelTile(brush, painter.combinedTransform());
            painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            painter.setRenderHint(QPainter::LosslessImageRendering, true);
            if (seeThrough[brushIndex] < 0)
                seeThrough[brushIndex] = WritesBrushes(painter) && SeeThrough(brush.textureImage()) ? 1 : 0;
            if (seeThrough[brushIndex] == 1 && whole.transform().isInvertible()) {
                QPainterPath shape;
                if (path)
                    shape = PathOf(paths_[command.A]);
                else if (command.Kind == Op::Rect)
                    shape.addRect(command.Place);
                else
                    shape.addEllipse(command.Place);
                FillSeeThroughTiles(painter, shape, whole);
                painter.setBrush(Qt::NoBrush);
            } else {
                painter.setBrush(whole);
            }
        } else {
            painter.setBrush(brush);
        }
        if (path)
            painter.drawPath(PathOf(paths_[command.A]));
        else if (command.Kind == Op::Rect)
            painter.drawRect(command.Place);
        else
            painter.drawEllipse(command.Place);
        if (tiled) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.setRenderHint(QPainter::LosslessImageRendering, lossless);
        }
    };
    for (std::size_t i = 0; i < commands_.size() && !stopped; ++i) {
        if (goOn && !goOn()) {
            stopped = true;
            break;
        }
        const Command& command = commands_[i];
        switch (command.Kind) {
        case Op::Save:
            painter.save();
            ++open;
            break;
        case Op::Restore:
            if (open > 0) {
                painter.restore();
                --open;
            }
            shownFont = -1;
            break;
        case Op::Transform: {
            // A copy: QTransform notes its type in itself when asked.
            const QTransform transform = transforms_[command.A];
            painter.setTransform(transform * base);
            break;
        }
        case Op::Clip:
            Smooth(painter, command.Smooth);
            painter.setClipPath(PathOf(paths_[command.A]), Qt::IntersectClip);
            break;
        case Op::Path:
        case Op::Rect:
        case Op::Ellipse: {
            if (!command.Twice || !layered) {
                Smooth(painter, command.Smooth);
                fill(command);
                break;
            }
            // Fills of a run of abutting ones, drawn antialiased and again without over them: each
            // pixel of a seam is covered whole by one of them, the run's outer edges keep their
            // coverage. The antialiasing changes twice for those one after the other.
            std::size_t end = i + 1;
            while (end < commands_.size() && commands_[end].Twice)
                ++end;
            for (const bool smooth : {true, false}) {
                Smooth(painter, smooth);
                for (std::size_t k = i; k < end && !stopped; ++k) {
                    if (goOn && k > i && !goOn())
                        stopped = true;
                    else
                        fill(commands_[k]);
                }
            }
            i = end - 1;
            break;
        }
        case Op::Picture: {
            const qreal opacity = painter.opacity();
            painter.setOpacity(opacity * command.Opacity);
            painter.drawImage(command.Place, pictures_[command.A]);
            painter.setOpacity(opacity);
            break;
        }
        case Op::Text: {
            const Text& text = texts_[command.A];
            const double pixelSize = fonts_[text.Font].PixelSize;
            const TextWay way = TextWayUnder(painter.combinedTransform(), pixelSize, kReplayAnisotropy);
            if (way == TextWay::Nothing)
                break;
            if (way == TextWay::Outline) {
                Smooth(painter, false); // a squeezed outline crosses many scanlines
                painter.fillPath(TextOutline(text.Characters, text.At, fonts_[text.Font].Face, pixelSize),
                                 text.Color);
                break;
            }
            if (!ready[text.Font]) {
                sized[text.Font] = fonts_[text.Font].Face;
                sized[text.Font].setPointSizeF(std::max(1e-3, pixelSize * 72 / dpi));
                ready[text.Font] = true;
            }
            if (shownFont != static_cast<std::int32_t>(text.Font)) {
                painter.setFont(sized[text.Font]);
                shownFont = static_cast<std::int32_t>(text.Font);
            }
            painter.setPen(text.Color);
            painter.drawText(text.At, text.Characters);
            break;
        }
        }
    }
    for (; open > 0; --open)
        painter.restore();
    painter.restore();
    return !stopped;
}

// ---- recording ------------------------------------------------------------------------------------

DisplayListRecorder::DisplayListRecorder(const DrawingLimits& limits, const QSizeF& size)
    : limits_(limits), cost_(limits.Work, size)
{
}

bool DisplayListRecorder::Spend(std::int64_t work, std::size_t bytes)
{
    if (!error_.empty())
        return false;
    list_.work_ += work;
    list_.bytes_ += bytes;
    if (list_.work_ > limits_.Work) {
        error_ = "the drawing costs too much to draw";
        return false;
    }
    if (list_.bytes_ > limits_.Bytes) {
        error_ = "the drawing is too large to hold";
        return false;
    }
    return true;
}

bool DisplayListRecorder::ReadElement() { return Spend(kElementWork, 0); }

bool DisplayListRecorder::Save()
{
    if (!Spend(kCommandWork, kCommandBytes))
        return false;
    list_.commands_.emplace_back(DisplayList::Op::Save);
    saved_.push_back({transform_, clips_.size(), smooth_});
    return true;
}

bool DisplayListRecorder::Restore()
{
    if (saved_.empty())
        return false;
    const Level level = saved_.back();
    saved_.pop_back();
    // A painter without a clip of its own (PDF, a printer, a picture) is given the clips still in
    // force again, one by one, each time with those before it.
    std::int64_t replay = 0;
    if (clips_.size() > level.Clips) {
        clips_.resize(level.Clips);
        std::int64_t before = 0;
        for (const ClipInForce& clip : clips_)
            replay += before += clip.Points;
    }
    if (!Spend(kCommandWork + replay, kCommandBytes))
        return false;
    list_.commands_.emplace_back(DisplayList::Op::Restore);
    transform_ = level.Transform;
    smooth_ = level.Smooth;
    return true;
}

bool DisplayListRecorder::SetTransform(const QTransform& transform)
{
    if (transform == transform_)
        return error_.empty();
    if (!Spend(kCommandWork, kCommandBytes + sizeof(QTransform)))
        return false;
    list_.commands_.emplace_back(DisplayList::Op::Transform, static_cast<std::uint32_t>(list_.transforms_.size()));
    list_.transforms_.push_back(transform);
    transform_ = transform;
    return true;
}

std::uint32_t DisplayListRecorder::AddPath(const QPainterPath& path)
{
    paths_.push_back(path);
    DisplayList::Outline outline;
    outline.Elements.reserve(static_cast<std::size_t>(path.elementCount()));
    for (int i = 0; i < path.elementCount(); ++i)
        outline.Elements.push_back(path.elementAt(i));
    outline.Rule = path.fillRule();
    list_.paths_.push_back(std::move(outline));
    // Its points are read, measured and compared once.
    Spend(cost_.Clamped(double(path.elementCount()) * kPointReadWork),
          kCommandBytes + kBlockBytes + static_cast<std::size_t>(path.elementCount()) * kPointBytes);
    return static_cast<std::uint32_t>(list_.paths_.size() - 1);
}

bool DisplayListRecorder::Hold(std::size_t bytes) { return Spend(0, bytes); }

bool DisplayListRecorder::HoldPicture(const QImage& picture)
{
    return Spend(cost_.Clamped(double(picture.width()) * picture.height() / kDecodedPixelsPerWork),
                 static_cast<std::size_t>(picture.sizeInBytes()));
}

std::int64_t DisplayListRecorder::PicturePixelsLeft() const
{
    const std::size_t bytes = list_.bytes_ < limits_.Bytes ? limits_.Bytes - list_.bytes_ : 0;
    const double work = list_.work_ < limits_.Work ? double(limits_.Work - list_.work_) : 0;
    return static_cast<std::int64_t>(std::min(double(bytes / 4), work * kDecodedPixelsPerWork));
}

bool DisplayListRecorder::Clip(std::uint32_t path)
{
    if (path >= paths_.size())
        return false;
    // Painters without a clip of their own write every clip in force again with each new one.
    const std::int64_t points = paths_[path].elementCount();
    std::int64_t inForce = 0;
    for (const ClipInForce& clip : clips_)
        inForce += clip.Points;
    // A raster clip is a fill into spans of its own, kept per scanline, and intersected.
    const DrawingCost::Outline o = cost_.OutlineOf(paths_[path], transform_);
    const bool smooth = SmoothUnderClips(DrawingCost::CheapToSmooth(o));
    const std::int64_t work =
        cost_.Clamped(double(cost_.FillWork(o, 1, 0, smooth)) * (o.Rectangle ? kRectangleClipFactor : kClipFactor));
    if (!Spend(kCommandWork + work + inForce + SmoothWork(smooth), kCommandBytes))
        return false;
    clips_.push_back({points, work, smooth});
    list_.commands_.emplace_back(DisplayList::Op::Clip, path);
    list_.commands_.back().Smooth = smooth;
    return true;
}

bool DisplayListRecorder::SmoothUnderClips(bool smooth) const
{
    // A clip rasterised without antialiasing is set again with it when the hint changes: under
    // one, nothing is antialiased.
    for (const ClipInForce& clip : clips_)
        if (!clip.Smooth)
            return false;
    return smooth;
}

std::int64_t DisplayListRecorder::SmoothWork(bool smooth)
{
    if (smooth == smooth_)
        return 0;
    smooth_ = smooth;
    return ClipsWork();
}

std::int64_t DisplayListRecorder::ClipsWork() const
{
    // A change of the antialiasing sets the clips in force again.
    std::int64_t work = 0;
    for (const ClipInForce& clip : clips_)
        work += clip.Work;
    return work;
}

namespace {

// The index of `value` among the last few of `values` (a drawing changes its pens and brushes
// rarely), or of it appended, with the bytes it holds counted.
template <typename T>
std::uint32_t IndexOfRecent(std::vector<T>& values, const T& value, DisplayListRecorder& recorder, std::size_t bytes)
{
    const std::size_t n = values.size();
    for (std::size_t i = n; i > 0 && i + 8 > n; --i)
        if (values[i - 1] == value)
            return static_cast<std::uint32_t>(i - 1);
    values.push_back(value);
    recorder.Hold(bytes);
    return static_cast<std::uint32_t>(n);
}

} // namespace

std::uint32_t DisplayListRecorder::PenOf(const QPen& pen)
{
    const std::size_t dashes = static_cast<std::size_t>(pen.dashPattern().size());
    return IndexOfRecent(list_.pens_, pen, *this,
                         sizeof(QPen) + kPenBytes + (dashes > 0 ? kBlockBytes + dashes * sizeof(qreal) : 0));
}

std::uint32_t DisplayListRecorder::BrushOf(const QBrush& brush)
{
    const QGradient* gradient = brush.gradient();
    return IndexOfRecent(list_.brushes_, brush, *this,
                         sizeof(QBrush) + kBrushBytes +
                             (gradient ? kGradientBytes + std::size_t(gradient->stops().size()) * kGradientStopBytes : 0));
}

std::int64_t DisplayListRecorder::BrushWork(std::uint32_t brush) const
{
    const QBrush& b = list_.brushes_[brush];
    if (b.style() != Qt::TexturePattern)
        return 0;
    const QImage tile = b.textureImage();
    return static_cast<std::int64_t>(double(tile.width()) * tile.height() / kPixelsPerWork);
}


// What a pixel filled by the brush costs, against an opaque solid colour's.



namespace {

// An edge between two points, the same whichever way it runs, at 1/64 of a unit.
std::uint64_t EdgeKey(QPointF a, QPointF b)
{
    const auto at = [](QPointF p) {
        return std::uint64_t(std::uint32_t(std::llround(p.x() * 64))) << 32 |
               std::uint32_t(std::llround(p.y() * 64));
    };
    std::uint64_t u = at(a), v = at(b);
    if (u > v)
        std::swap(u, v);
    return u * 0x9E3779B97F4A7C15ull ^ (v + (u << 6) + (u >> 2));
}

} // namespace






std::uint32_t DisplayListRecorder::PictureOf(const QImage& picture)
{
    if (const auto it = pictureIndex_.find(picture.cacheKey()); it != pictureIndex_.end())
        return it->second;
    const auto index = static_cast<std::uint32_t>(list_.pictures_.size());
    list_.pictures_.push_back(picture);
    pictureIndex_.emplace(picture.cacheKey(), index);
    return index;
}

bool DisplayListRecorder::AbutsRecentFill(const QPainterPath& path, bool candidate)
{
    // Only fills one right after the other (under the same transform and clips) make a run; an
    // axial gradient's strips alternate between its two halves, so the last few are compared.
    if (!recentFills_.empty() && (recentFills_.back().Command + 1 != list_.commands_.size() || !candidate))
        SettleRecentFills(recentFills_.size());
    if (!candidate)
        return false;
    RecentFill fill{list_.commands_.size(), {}, {}};
    fill.Edges.reserve(static_cast<std::size_t>(path.elementCount()));
    const auto add = [&](QPointF a, QPointF b) { fill.Edges.push_back(EdgeKey(a, b)); };
    QPointF start, last;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isCurveTo() && i + 2 < path.elementCount()) {
            // A curve's end, past its control points.
            i += 2;
            const QPointF end(path.elementAt(i).x, path.elementAt(i).y);
            add(last, end);
            last = end;
            continue;
        }
        const QPointF p(e.x, e.y);
        if (e.isMoveTo()) {
            if (i > 0 && last != start)
                add(last, start);
            start = p;
        } else if (p != last) {
            add(last, p);
        }
        last = p;
    }
    if (path.elementCount() > 0 && last != start)
        add(last, start);
    std::sort(fill.Edges.begin(), fill.Edges.end());
    fill.Shared.assign(fill.Edges.size(), false);
    for (RecentFill& recent : recentFills_) {
        // Both sorted: one pass over the two.
        bool abuts = false;
        for (std::size_t i = 0, j = 0; i < fill.Edges.size() && j < recent.Edges.size();) {
            if (recent.Edges[j] < fill.Edges[i]) {
                ++j;
            } else if (fill.Edges[i] < recent.Edges[j]) {
                ++i;
            } else {
                fill.Shared[i++] = true;
                recent.Shared[j++] = true;
                abuts = true;
            }
        }
        if (abuts) {
            fill.Run = recent.Run = true;
            list_.commands_[recent.Command].Smooth = false;
        }
    }
    if (recentFills_.size() == kRecentFills)
        SettleRecentFills(1);
    recentFills_.push_back(std::move(fill));
    return recentFills_.back().Run;
}

void DisplayListRecorder::SettleRecentFills(std::size_t count)
{
    // A fill of a run with an edge no other fill of it shares (an outer edge) is drawn antialiased
    // too, in the pass it was not counted for; the antialiasing changes before and after those
    // drawn twice one after the other, setting the clips of the time again.
    for (std::size_t k = 0; k < count && error_.empty(); ++k) {
        const RecentFill& fill = recentFills_[k];
        if (!fill.Run || fill.Again < 0 || fill.Command >= list_.commands_.size() ||
            std::all_of(fill.Shared.begin(), fill.Shared.end(), [](bool shared) { return shared; }))
            continue;
        list_.commands_[fill.Command].Twice = true;
        const bool joins = fill.Command > 0 && list_.commands_[fill.Command - 1].Twice;
        Spend(fill.Again + (joins ? 0 : 2 * fill.Toggle), 0);
    }
    recentFills_.erase(recentFills_.begin(), recentFills_.begin() + static_cast<std::ptrdiff_t>(count));
}

std::int64_t DisplayListRecorder::FillOf(const DrawingCost::Outline& outline, const QBrush& brush, bool smooth) const
{
    return cost_.FillWork(outline, DrawingCost::AreaFactor(brush, transform_), DrawingCost::SpanWork(brush), smooth);
}

bool DisplayListRecorder::Fill(DisplayList::Op kind, std::uint32_t path, const QRectF& rect, const QPen& pen,
                               const QBrush& brush, const QPainterPath& outline)
{
    if (!error_.empty())
        return false;
    DisplayList::Command command(kind);
    const std::uint32_t p = PenOf(pen);
    const std::uint32_t b = BrushOf(brush);
    if (kind == DisplayList::Op::Path) {
        command.A = path;
        command.B = p;
        command.C = b;
    } else {
        command.A = p;
        command.B = b;
        command.Place = rect;
    }
    const DrawingCost::Outline o = cost_.OutlineOf(outline, transform_);
    const std::optional<DrawingCost::Stroke> stroke =
        pen.style() == Qt::NoPen ? std::nullopt : std::optional(cost_.StrokeOf(o, pen, transform_));
    // Fills without a pen that share an edge with the one before abut (the strips or rings of a
    // gradient, the slices of a pie): antialiased one by one, the background would show through
    // each seam. A run of them is drawn without; an opaque one with an outer edge antialiased
    // first as well (SettleRecentFills), but for an upright rectangle, whose edges show no steps.
    const bool unstroked = !stroke && brush.style() != Qt::NoBrush;
    const bool run = AbutsRecentFill(outline, unstroked);
    const bool smooth =
        SmoothUnderClips(DrawingCost::CheapToSmooth(o) && (!stroke || DrawingCost::CheapToSmooth(stroke->Made)));
    command.Smooth = smooth && !run;
    std::int64_t work = kCommandWork;
    if (run)
        work += SmoothWork(false);
    work += SmoothWork(command.Smooth);
    if (stroke)
        work += cost_.StrokeWork(*stroke, pen, command.Smooth, transform_);
    if (brush.style() != Qt::NoBrush)
        work += FillOf(o, brush, command.Smooth) + BrushWork(b);
    if (unstroked && smooth && brush.isOpaque() && !o.Rectangle) {
        recentFills_.back().Again = FillOf(o, brush, !command.Smooth) + BrushWork(b);
        recentFills_.back().Toggle = ClipsWork();
    }
    if (!Spend(work, kCommandBytes))
        return false;
    list_.commands_.push_back(command);
    return true;
}

bool DisplayListRecorder::FillPath(std::uint32_t path, const QPen& pen, const QBrush& brush)
{
    if (path >= paths_.size())
        return false;
    return Fill(DisplayList::Op::Path, path, {}, pen, brush, paths_[path]);
}

bool DisplayListRecorder::FillRect(const QRectF& rect, const QPen& pen, const QBrush& brush)
{
    QPainterPath outline;
    outline.addRect(rect);
    return Fill(DisplayList::Op::Rect, 0, rect, pen, brush, outline);
}

bool DisplayListRecorder::FillEllipse(const QRectF& rect, const QPen& pen, const QBrush& brush)
{
    QPainterPath outline;
    outline.addEllipse(rect);
    return Fill(DisplayList::Op::Ellipse, 0, rect, pen, brush, outline);
}

bool DisplayListRecorder::DrawPicture(const QImage& picture, const QRectF& place, qreal opacity)
{
    if (picture.isNull() || !error_.empty())
        return false;
    const std::uint32_t index = PictureOf(picture);
    // The pixels drawn, each sampled from the picture's, and the picture's pixels looked at.
    const double read = double(picture.width()) * picture.height() / kPictureSourcePixelsPerWork;
    const std::int64_t work =
        kPictureWork +
        cost_.Clamped(read + double(cost_.AreaWork(place, transform_)) * kSampledFactor * (opacity < 1 ? 2 : 1));
    if (!Spend(work, kCommandBytes))
        return false;
    DisplayList::Command command(DisplayList::Op::Picture, index);
    command.Place = place;
    command.Opacity = opacity;
    list_.commands_.push_back(command);
    return true;
}

QBrush DisplayListRecorder::PictureBrush(const QImage& tile, const QTransform& tileTransform)
{
    QBrush brush(list_.pictures_[PictureOf(tile)]);
    brush.setTransform(tileTransform);
    return brush;
}

std::uint32_t DisplayListRecorder::FontOf(const QFont& face, double pixelSize)
{
    const QString family = face.family().left(kMaxFamilyLength);
    // The families after the first (the face that draws Japanese) tell fonts apart too.
    const auto key = std::make_tuple(face.families().join(u'\n').left(2 * kMaxFamilyLength), pixelSize,
                                     face.weight(), face.italic(), face.underline(), face.strikeOut());
    if (const auto it = fontIndex_.find(key); it != fontIndex_.end())
        return it->second;
    QFont font(face);
    // A size no replay draws at (a replay sizes it in points, an outline at 256 pixels): each
    // sized copy is a QFont of its own, whose engines Qt caches in it.
    font.setPixelSize(1);
    if (face.family().size() > kMaxFamilyLength) {
        QStringList families = face.families();
        families.front() = family;
        font.setFamilies(families);
    }
    const auto index = static_cast<std::uint32_t>(list_.fonts_.size());
    list_.fonts_.push_back({font, pixelSize});
    fontIndex_.emplace(key, index);
    Spend(kFontWork, kFontBytes + static_cast<std::size_t>(family.size()) * 2);
    return index;
}

std::uint64_t DisplayListRecorder::GlyphContextOf(std::uint32_t font)
{
    const auto key = std::make_tuple(font, transform_.m11(), transform_.m12(), transform_.m21(), transform_.m22());
    return glyphContexts_.try_emplace(key, glyphContexts_.size()).first->second;
}

bool DisplayListRecorder::DrawText(const QString& characters, const QPointF& at, const QFont& face, double pixelSize,
                                   const QColor& color)
{
    if (!error_.empty())
        return false;
    const QString text = characters.left(kMaxDrawingText);
    if (text.isEmpty() || !(pixelSize > 0))
        return true;
    switch (TextWayUnder(transform_, pixelSize, kRecordAnisotropy)) {
    case TextWay::Nothing:
        return true;
    case TextWay::Outline:
        return FillPath(AddPath(TextOutline(text, at, face, pixelSize)), Qt::NoPen, color);
    case TextWay::Glyphs:
        break;
    }
    const std::uint32_t font = FontOf(face, pixelSize);
    // A glyph costs its pixels too, a wide one (Chinese, Japanese, Korean) its em's whole square;
    // one too large for Qt's glyph cache is filled as an outline. A glyph cached is made by the
    // font's rasteriser the first time it is drawn in its font, size and turn.
    const double glyph = pixelSize * cost_.Reference() * std::sqrt(std::abs(transform_.determinant()));
    const bool cached = glyph < kLargestCachedGlyph;
    const double pixels = std::min(glyph * glyph, kReferencePixels) / kGlyphPixelsPerWork;
    const double made = kNewGlyphWork + glyph * glyph / kNewGlyphPixelsPerWork;
    const std::uint64_t context = GlyphContextOf(font) << 21;
    double work = kCommandWork;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const double drawn = IsWide(c) ? pixels * kWideGlyphFactor : pixels;
        work += kCharacterWork + (cached ? drawn : std::max(drawn, kOutlineGlyphWork));
        if (cached && glyphs_.insert(context | c).second)
            work += made;
    }
    if (!Spend(cost_.Clamped(work),
               kCommandBytes + sizeof(DisplayList::Text) + static_cast<std::size_t>(text.size()) * 2))
        return false;
    list_.commands_.emplace_back(DisplayList::Op::Text, static_cast<std::uint32_t>(list_.texts_.size()));
    list_.texts_.push_back({text, font, at, color});
    return true;
}

DisplayList DisplayListRecorder::Finish()
{
    while (!saved_.empty() && Restore()) {
    }
    SettleRecentFills(recentFills_.size());
    DisplayList list = std::move(list_);
    list_ = DisplayList();
    // Held as long as it is kept: no room beyond what was recorded.
    list.commands_.shrink_to_fit();
    list.transforms_.shrink_to_fit();
    list.paths_.shrink_to_fit();
    list.pens_.shrink_to_fit();
    list.brushes_.shrink_to_fit();
    list.pictures_.shrink_to_fit();
    list.fonts_.shrink_to_fit();
    list.texts_.shrink_to_fit();
    paths_.clear();
    return list;
}

} // namespace platform

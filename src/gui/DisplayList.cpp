#include "gui/DisplayList.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

// Work units of reading and one redraw, at about a million pixels, calibrated on the raster engine
// (a unit is about 60 ns): a command's own cost, an outline point, each scanline an edge crosses,
// the pixels a fill covers, an element read, a character and its glyph's pixels, the picture
// pixels decoded once and read by each draw, and a font first used (Qt looks it up and loads it).
constexpr std::int64_t kCommandWork = 16;
constexpr double kPointWork = 4; // a PDF writes each point as text
constexpr double kExtentWork = 0.4;
// A scanline's edges are sorted: each costs more the more there are (kDensity more edges on a
// scanline add a crossing's cost again). Antialiased, a crossing makes cells that a fixed pool
// holds band by band: outlines with more crossings than this, or denser, are drawn without.
constexpr double kDensity = 25;
constexpr double kSmoothExtentWork = 12;
constexpr double kSmoothCrossings = 8000;
constexpr double kSmoothDensity = 8;
constexpr double kAreaPixelsPerWork = 512;
constexpr std::int64_t kElementWork = 24;
constexpr std::int64_t kCharacterWork = 20;
constexpr double kGlyphPixelsPerWork = 48;
constexpr double kPixelsPerWork = 16;
constexpr double kDecodedPixelsPerWork = 1.5;
constexpr std::int64_t kFontWork = 4000;
constexpr double kReferencePixels = 1e6;
// Bytes held: a command, an outline point, a character, a picture pixel, a font.
constexpr std::size_t kCommandBytes = 64;
constexpr std::size_t kPointBytes = sizeof(QPainterPath::Element);
constexpr std::size_t kFontBytes = 512;

// The anisotropy (the ratio of the transform's largest to smallest scale) up to which a text is
// given to the glyph rasteriser: in the drawing, and at replay with what the caller adds.
constexpr double kRecordAnisotropy = 16;
constexpr double kReplayAnisotropy = 1000;
// Glyphs of a size out of this range (in device pixels, along the transform's axes) draw nothing.
constexpr double kSmallestGlyph = 1e-3;
constexpr double kLargestGlyph = 1e7;

enum class TextWay { Glyphs, Outline, Nothing };

TextWay TextWayUnder(const QTransform& m, double pixelSize, double maxAnisotropy)
{
    const double a = m.m11(), b = m.m12(), c = m.m21(), d = m.m22();
    if (!std::isfinite(a) || !std::isfinite(b) || !std::isfinite(c) || !std::isfinite(d) ||
        !std::isfinite(m.dx()) || !std::isfinite(m.dy()) || !m.isAffine())
        return TextWay::Nothing;
    // The singular values of the linear part.
    const double sum = a * a + b * b + c * c + d * d;
    const double det = std::abs(a * d - b * c);
    const double root = std::sqrt(std::max(0.0, sum * sum - 4 * det * det));
    const double largest = std::sqrt((sum + root) / 2);
    const double smallest = largest > 0 ? det / largest : 0;
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
// a whole number of device pixels each way (else nearest sampling drops or doubles a row midway).
QBrush WholePixelTile(const QBrush& brush, const QTransform& device)
{
    const QImage tile = brush.textureImage();
    const QTransform full = brush.transform() * device;
    if (tile.isNull() || full.m12() != 0 || full.m21() != 0 || full.m11() == 0 || full.m22() == 0)
        return brush;
    const double width = std::abs(full.m11()) * tile.width();
    const double height = std::abs(full.m22()) * tile.height();
    QBrush whole(brush);
    whole.setTransform(QTransform::fromScale(std::max(1.0, std::round(width)) / width,
                                             std::max(1.0, std::round(height)) / height) *
                       brush.transform());
    return whole;
}

void Smooth(QPainter& painter, bool smooth)
{
    if (painter.testRenderHint(QPainter::Antialiasing) != smooth)
        painter.setRenderHint(QPainter::Antialiasing, smooth);
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

void DisplayList::Replay(QPainter& painter) const
{
    if (commands_.empty() || !painter.isActive())
        return;
    painter.save();
    // Shapes are antialiased wherever the drawing is replayed (a picture cache records the hint).
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QTransform base = painter.transform();
    const double dpi = painter.device() && painter.device()->logicalDpiY() > 0 ? painter.device()->logicalDpiY() : 96;
    // Fonts are sized for this device when first used.
    std::vector<QFont> sized(fonts_.size());
    std::vector<bool> ready(fonts_.size(), false);
    std::int32_t shownFont = -1;
    for (const Command& command : commands_) {
        switch (command.Kind) {
        case Op::Save:
            painter.save();
            break;
        case Op::Restore:
            painter.restore();
            shownFont = -1;
            break;
        case Op::Transform:
            painter.setTransform(transforms_[command.A] * base);
            break;
        case Op::Clip:
            Smooth(painter, command.Smooth);
            painter.setClipPath(paths_[command.A], Qt::IntersectClip);
            break;
        case Op::Path:
        case Op::Rect:
        case Op::Ellipse: {
            Smooth(painter, command.Smooth);
            const bool path = command.Kind == Op::Path;
            painter.setPen(pens_[path ? command.B : command.A]);
            const QBrush& brush = brushes_[path ? command.C : command.B];
            const bool tiled = brush.style() == Qt::TexturePattern;
            if (tiled) {
                // A pattern's pixels are drawn as pixels: its tile a whole number of them, unfiltered.
                painter.setBrush(WholePixelTile(brush, painter.combinedTransform()));
                painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
            } else {
                painter.setBrush(brush);
            }
            if (path)
                painter.drawPath(paths_[command.A]);
            else if (command.Kind == Op::Rect)
                painter.drawRect(command.Place);
            else
                painter.drawEllipse(command.Place);
            if (tiled)
                painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
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
    painter.restore();
}

// ---- recording ------------------------------------------------------------------------------------

DisplayListRecorder::DisplayListRecorder(const DrawingLimits& limits, const QSizeF& size)
    : limits_(limits),
      frame_(size),
      reference_(size.width() > 0 && size.height() > 0 ? std::sqrt(kReferencePixels / (size.width() * size.height()))
                                                      : 1)
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
    list_.paths_.push_back(path);
    Hold(kCommandBytes + static_cast<std::size_t>(path.elementCount()) * kPointBytes);
    return static_cast<std::uint32_t>(list_.paths_.size() - 1);
}

bool DisplayListRecorder::Hold(std::size_t bytes) { return Spend(0, bytes); }

bool DisplayListRecorder::HoldPicture(const QImage& picture)
{
    return Spend(Clamped(double(picture.width()) * picture.height() / kDecodedPixelsPerWork),
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
    if (path >= list_.paths_.size())
        return false;
    // Painters without a clip of their own write every clip in force again with each new one.
    const std::int64_t points = list_.paths_[path].elementCount();
    std::int64_t inForce = 0;
    for (const ClipInForce& clip : clips_)
        inForce += clip.Points;
    // A raster clip is a fill into spans of its own, kept per scanline, and intersected.
    const Raster raster = RasterOf(list_.paths_[path], 1);
    const std::int64_t work = raster.Work * 3;
    const bool smooth = SmoothUnderClips(raster.Smooth);
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
    return IndexOfRecent(list_.pens_, pen, *this,
                         sizeof(QPen) + 64 + static_cast<std::size_t>(pen.dashPattern().size()) * sizeof(qreal));
}

std::uint32_t DisplayListRecorder::BrushOf(const QBrush& brush)
{
    return IndexOfRecent(list_.brushes_, brush, *this, sizeof(QBrush) + 64);
}

std::int64_t DisplayListRecorder::BrushWork(std::uint32_t brush) const
{
    const QBrush& b = list_.brushes_[brush];
    if (b.style() != Qt::TexturePattern)
        return 0;
    const QImage tile = b.textureImage();
    return static_cast<std::int64_t>(double(tile.width()) * tile.height() / kPixelsPerWork);
}

std::int64_t DisplayListRecorder::Clamped(double work) const
{
    return work < double(limits_.Work) ? static_cast<std::int64_t>(work) : limits_.Work + 1;
}

// What a pixel filled by the brush costs, against a solid colour's: a gradient or a picture computes
// each pixel's colour (16 times the time), a pattern of Qt's picks it (4).
double DisplayListRecorder::AreaFactor(const QBrush& brush)
{
    switch (brush.style()) {
    case Qt::NoBrush:
        return 0;
    case Qt::SolidPattern:
        return 1;
    case Qt::LinearGradientPattern:
    case Qt::RadialGradientPattern:
    case Qt::ConicalGradientPattern:
    case Qt::TexturePattern:
        return 16;
    default:
        return 4;
    }
}

std::int64_t DisplayListRecorder::AreaWork(const QRectF& rect) const
{
    // No more than the frame's pixels are drawn.
    const QRectF box = transform_.mapRect(rect);
    return Clamped(std::min(box.width() * box.height() * reference_ * reference_, kReferencePixels) /
                   kAreaPixelsPerWork);
}

DisplayListRecorder::Raster DisplayListRecorder::RasterOf(const QPainterPath& path, double areaFactor) const
{
    // Each scanline of the frame an edge crosses, the closing edges of the figures included.
    double extent = 0;
    double start = 0;
    double last = 0;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const double y = std::clamp(transform_.map(QPointF(e.x, e.y)).y(), 0.0, frame_.height());
        if (e.isMoveTo()) {
            extent += std::abs(last - start);
            start = y;
        } else {
            extent += std::abs(y - last);
        }
        last = y;
    }
    extent += std::abs(last - start);
    const QRectF bounds = transform_.mapRect(path.boundingRect()) & QRectF(QPointF(0, 0), frame_);
    const double crossings = extent * reference_;
    const double density = crossings / std::max(1.0, bounds.height() * reference_);
    const bool smooth = crossings <= kSmoothCrossings && density <= kSmoothDensity;
    const double work = double(path.elementCount()) * kPointWork +
                        crossings * (smooth ? kSmoothExtentWork : kExtentWork) * (1 + density / kDensity);
    return {Clamped(work) + (areaFactor > 0 ? Clamped(double(AreaWork(path.boundingRect())) * areaFactor) : 0),
            smooth};
}

std::uint32_t DisplayListRecorder::PictureOf(const QImage& picture)
{
    if (const auto it = pictureIndex_.find(picture.cacheKey()); it != pictureIndex_.end())
        return it->second;
    const auto index = static_cast<std::uint32_t>(list_.pictures_.size());
    list_.pictures_.push_back(picture);
    pictureIndex_.emplace(picture.cacheKey(), index);
    return index;
}

bool DisplayListRecorder::Fill(DisplayList::Op kind, std::uint32_t path, const QRectF& rect, const QPen& pen,
                               const QBrush& brush, const Raster& outline)
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
    // A stroke is filled as an outline of its own, twice the shape's; a dashed one in pieces.
    const std::int64_t fillWork = brush.style() == Qt::NoBrush ? 0 : outline.Work + BrushWork(b);
    const std::int64_t strokeWork =
        pen.style() == Qt::NoPen ? 0 : Clamped(double(outline.Work) * (pen.dashPattern().isEmpty() ? 2 : 8));
    command.Smooth = SmoothUnderClips(outline.Smooth);
    if (!Spend(kCommandWork + fillWork + strokeWork + SmoothWork(command.Smooth), kCommandBytes))
        return false;
    list_.commands_.push_back(command);
    return true;
}

bool DisplayListRecorder::FillPath(std::uint32_t path, const QPen& pen, const QBrush& brush)
{
    if (path >= list_.paths_.size())
        return false;
    return Fill(DisplayList::Op::Path, path, {}, pen, brush,
                RasterOf(list_.paths_[path], AreaFactor(brush)));
}

bool DisplayListRecorder::FillRect(const QRectF& rect, const QPen& pen, const QBrush& brush)
{
    QPainterPath outline;
    outline.addRect(rect);
    return Fill(DisplayList::Op::Rect, 0, rect, pen, brush, RasterOf(outline, AreaFactor(brush)));
}

bool DisplayListRecorder::FillEllipse(const QRectF& rect, const QPen& pen, const QBrush& brush)
{
    QPainterPath outline;
    outline.addEllipse(rect);
    return Fill(DisplayList::Op::Ellipse, 0, rect, pen, brush, RasterOf(outline, AreaFactor(brush)));
}

bool DisplayListRecorder::DrawPicture(const QImage& picture, const QRectF& place, qreal opacity)
{
    if (picture.isNull() || !error_.empty())
        return false;
    const std::uint32_t index = PictureOf(picture);
    // The pixels read and the pixels drawn.
    const double read = double(picture.width()) * picture.height() / kPixelsPerWork;
    if (!Spend(kCommandWork + Clamped(read) + AreaWork(place), kCommandBytes))
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

bool DisplayListRecorder::DrawText(const QString& characters, const QPointF& at, const QFont& face, double pixelSize,
                                   const QColor& color)
{
    if (!error_.empty())
        return false;
    const QString text = characters.left(kMaxTextLength);
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
    // A glyph costs its pixels too (Qt draws large ones as outlines).
    const double glyph = pixelSize * reference_ * std::sqrt(std::abs(transform_.determinant()));
    const std::int64_t perCharacter =
        kCharacterWork + Clamped(std::min(glyph * glyph, kReferencePixels) / kGlyphPixelsPerWork);
    if (!Spend(kCommandWork + Clamped(double(perCharacter) * text.size()),
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
    DisplayList list = std::move(list_);
    list_ = DisplayList();
    return list;
}

} // namespace platform

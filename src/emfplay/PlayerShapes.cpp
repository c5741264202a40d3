// The player's lines, curves, shapes, paths, regions and gradients.
#include "emfplay/Player.h"

#include <uemf.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace emfplay {

namespace {

constexpr double kPi = 3.14159265358979323846;

Box Normalized(const U_RECTL& r)
{
    return {double(std::min(r.left, r.right)), double(std::min(r.top, r.bottom)), double(std::max(r.left, r.right)),
            double(std::max(r.top, r.bottom))};
}

// The 8 × 8 tile of a hatch: lines in `line`, the rest `back` or transparent.
Picture HatchTile(std::uint32_t hatch, std::uint32_t line, std::optional<std::uint32_t> back)
{
    Picture tile(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool on = false;
            switch (hatch) {
            case U_HS_HORIZONTAL: on = y == 0; break;
            case U_HS_VERTICAL: on = x == 0; break;
            case U_HS_FDIAGONAL: on = x == y; break;
            case U_HS_BDIAGONAL: on = x + y == 7; break;
            case U_HS_CROSS: on = x == 0 || y == 0; break;
            default: on = x == y || x + y == 7; break;
            }
            // Transparent pixels keep the line's colour, so that a scaled tile does not darken.
            const std::uint32_t rgb = on || !back ? line : *back;
            std::uint8_t* p = tile.At(x, y);
            p[0] = std::uint8_t(rgb >> 16);
            p[1] = std::uint8_t(rgb >> 8);
            p[2] = std::uint8_t(rgb);
            p[3] = on || back ? 255 : 0;
        }
    return tile;
}

std::string Hex(std::uint32_t value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (int shift = 28; shift >= 0; shift -= 4)
        text += kHex[(value >> shift) & 15];
    return text;
}

// The parameter angle of the ellipse's point on the ray from its centre through `p`.
double AngleOf(Point p, Point c, double rx, double ry) { return std::atan2((p.Y - c.Y) / ry, (p.X - c.X) / rx); }

} // namespace

// ---- paint ----------------------------------------------------------------------------------------

std::optional<std::uint32_t> Player::Rop2Color(std::uint32_t rgb) const
{
    switch (dc_.Rop2) {
    case U_R2_NOP:
    case U_R2_XORPEN:
    case U_R2_NOT:
    case U_R2_NOTXORPEN:
        return std::nullopt; // what depends on the pixels below is not drawn
    case U_R2_BLACK: return 0x000000;
    case U_R2_WHITE: return 0xFFFFFF;
    case U_R2_NOTCOPYPEN: return ~rgb & 0xFFFFFF;
    default: return rgb;
    }
}

std::optional<FillStyle> Player::FillOf(const Brush& brush, bool rop2)
{
    FillStyle fill;
    fill.EvenOdd = dc_.PolyFillMode == U_ALTERNATE;
    const auto colour = [&](std::uint32_t rgb) { return rop2 ? Rop2Color(rgb) : std::optional<std::uint32_t>(rgb); };
    switch (brush.Style) {
    case Brush::Kind::Null:
        return std::nullopt;
    case Brush::Kind::Solid: {
        const auto rgb = colour(brush.Rgb);
        if (!rgb)
            return std::nullopt;
        fill.Rgb = *rgb;
        return fill;
    }
    case Brush::Kind::Hatched: {
        const auto rgb = colour(brush.Rgb);
        if (!rgb)
            return std::nullopt;
        std::optional<std::uint32_t> back;
        if (dc_.BkMode == U_OPAQUE)
            back = dc_.BkColor;
        const std::string key = "h" + Hex(brush.Hatch) + Hex(*rgb) + (back ? Hex(*back) : "-");
        fill.Reference = painter_.Pattern(key, HatchTile(brush.Hatch, *rgb, back), pixel_);
        return fill;
    }
    case Brush::Kind::Pattern:
    case Brush::Kind::Monochrome: {
        if (rop2 && dc_.Rop2 != U_R2_COPYPEN) {
            const auto rgb = Rop2Color(0x808080);
            if (!rgb || (dc_.Rop2 != U_R2_BLACK && dc_.Rop2 != U_R2_WHITE))
                return std::nullopt;
            fill.Rgb = *rgb;
            return fill;
        }
        if (brush.Style == Brush::Kind::Pattern) {
            fill.Reference = painter_.Pattern("b" + Hex(std::uint32_t(brush.Serial)), *brush.Tile, pixel_);
            return fill;
        }
        // A monochrome pattern draws its 0 bits in the text colour and its 1 bits in the background's.
        const std::string key = "m" + Hex(std::uint32_t(brush.Serial)) + Hex(dc_.TextColor) + Hex(dc_.BkColor);
        Picture tile = *brush.Tile;
        for (int y = 0; y < tile.Height; ++y)
            for (int x = 0; x < tile.Width; ++x) {
                std::uint8_t* p = tile.At(x, y);
                const std::uint32_t rgb = p[0] == 0 ? dc_.TextColor : dc_.BkColor;
                p[0] = std::uint8_t(rgb >> 16);
                p[1] = std::uint8_t(rgb >> 8);
                p[2] = std::uint8_t(rgb);
                p[3] = 255;
            }
        fill.Reference = painter_.Pattern(key, tile, pixel_);
        return fill;
    }
    }
    return std::nullopt;
}

std::optional<StrokeStyle> Player::StrokeOf(const Pen& pen, double scale)
{
    if (pen.Null || pen.Style == U_PS_NULL)
        return std::nullopt;
    const auto rgb = Rop2Color(pen.Rgb);
    if (!rgb)
        return std::nullopt;
    StrokeStyle stroke;
    stroke.Rgb = *rgb;
    stroke.Width = pen.Cosmetic ? pixel_ : std::max(pixel_, pen.Width * scale);
    if (!std::isfinite(stroke.Width))
        return std::nullopt;
    stroke.MiterLimit = dc_.MiterLimit;
    if (pen.Cosmetic) {
        stroke.LineCap = StrokeStyle::Cap::Butt;
        stroke.LineJoin = StrokeStyle::Join::Miter;
    } else {
        stroke.LineCap = pen.Cap;
        stroke.LineJoin = pen.Join;
    }
    // The system's dash patterns: in pixels for cosmetic pens, in pen widths for geometric ones.
    const double unit = pen.Cosmetic ? pixel_ : stroke.Width;
    switch (pen.Style) {
    case U_PS_DASH:
        stroke.Dashes = pen.Cosmetic ? std::vector<double>{18 * unit, 6 * unit} : std::vector<double>{3 * unit, unit};
        break;
    case U_PS_DOT:
        stroke.Dashes = pen.Cosmetic ? std::vector<double>{3 * unit, 3 * unit} : std::vector<double>{unit, unit};
        break;
    case U_PS_DASHDOT:
        stroke.Dashes = pen.Cosmetic ? std::vector<double>{9 * unit, 6 * unit, 3 * unit, 6 * unit}
                                     : std::vector<double>{3 * unit, unit, unit, unit};
        break;
    case U_PS_DASHDOTDOT:
        stroke.Dashes = pen.Cosmetic ? std::vector<double>{9 * unit, 3 * unit, 3 * unit, 3 * unit, 3 * unit, 3 * unit}
                                     : std::vector<double>{3 * unit, unit, unit, unit, unit, unit};
        break;
    case U_PS_ALTERNATE:
        stroke.Dashes = {unit, unit};
        break;
    case U_PS_USERSTYLE: {
        double total = 0;
        for (const double entry : pen.UserDashes) {
            stroke.Dashes.push_back(entry * (pen.Cosmetic ? pixel_ : scale));
            total += stroke.Dashes.back();
        }
        if (!(total > 0) || !std::isfinite(total))
            stroke.Dashes.clear();
        break;
    }
    default:
        break;
    }
    return stroke;
}

// ---- emitting -----------------------------------------------------------------------------------

void Player::Emit(const Path& path, const Affine& toOutput, const FillStyle* fill, const StrokeStyle* stroke)
{
    if (Hidden() || (!fill && !stroke))
        return;
    if (capture_) {
        CaptureDrawing(path, toOutput, fill, stroke);
        return;
    }
    painter_.SetClip(Chain());
    painter_.DrawPath(path, toOutput, fill, stroke);
}

void Player::EmitStroked(const Path& path, const Affine& toOutput, const FillStyle* fill, const Pen& pen,
                         double scale)
{
    const std::optional<StrokeStyle> stroke = StrokeOf(pen, scale);
    if (stroke && !stroke->Dashes.empty() && dc_.BkMode == U_OPAQUE) {
        // The gaps of a styled line are the background colour's when the background is opaque.
        StrokeStyle gaps = *stroke;
        gaps.Dashes.clear();
        gaps.Rgb = dc_.BkColor;
        Emit(path, toOutput, fill, &gaps);
        Emit(path, toOutput, nullptr, &*stroke);
        return;
    }
    Emit(path, toOutput, fill, stroke ? &*stroke : nullptr);
}

void Player::EmitPicture(const std::string& encoded, const char* kind, int width, int height, const Box& place,
                         const Affine& toOutput, double opacity, const Path* clip)
{
    if (Hidden())
        return;
    if (capture_) {
        BreakCapture();
        return;
    }
    painter_.SetClip(Chain());
    if (clip)
        painter_.BeginLocalClip(*clip);
    painter_.DrawPicture(encoded, kind, width, height, place, toOutput, opacity);
    if (clip)
        painter_.EndLocalClip();
}

void Player::Shape(const Path& logical, bool fill, bool stroke, bool continues)
{
    const Affine& m = ToOutput();
    if (inPath_) {
        if (path_.PointCount() + logical.PointCount() > kMaxPoints)
            TooLarge();
        else
            path_.Append(logical.Transformed(m), continues);
        return;
    }
    if (XorShape(logical, m, fill, stroke))
        return;
    std::optional<FillStyle> brush;
    if (fill)
        brush = FillOf(dc_.CurrentBrush);
    if (stroke)
        EmitStroked(logical, m, brush ? &*brush : nullptr, dc_.CurrentPen, m.Scale());
    else if (brush)
        Emit(logical, m, &*brush, nullptr);
}

Box Player::Inset(Box box) const
{
    // An inside-frame pen draws within the shape's box.
    const Pen& pen = dc_.CurrentPen;
    if (pen.Style != U_PS_INSIDEFRAME || pen.Cosmetic || pen.Null || pen.Width <= 1)
        return box;
    const double half = pen.Width / 2;
    if (box.Right - box.Left > pen.Width && box.Bottom - box.Top > pen.Width)
        box = {box.Left + half, box.Top + half, box.Right - half, box.Bottom - half};
    return box;
}

// ---- records --------------------------------------------------------------------------------------

void Player::Polyline(const Record& r, std::uint32_t type)
{
    const bool sixteen = type >= U_EMR_POLYBEZIER16;
    const std::uint32_t kind = sixteen ? type - (U_EMR_POLYBEZIER16 - U_EMR_POLYBEZIER) : type;
    const std::uint32_t count = sixteen ? r.As<U_EMRPOLYLINE16>().cpts : r.As<U_EMRPOLYLINE>().cptl;
    const std::size_t at = sixteen ? offsetof(U_EMRPOLYLINE16, apts) : offsetof(U_EMRPOLYLINE, aptl);
    const std::size_t size = sixteen ? sizeof(U_POINT16) : sizeof(U_POINTL);
    if (at + std::uint64_t(count) * size > r.Size) {
        Damaged();
        return;
    }
    if (count > kMaxPoints) {
        TooLarge();
        return;
    }
    std::vector<Point> points(count);
    for (std::uint32_t i = 0; i < count; ++i)
        points[i] = ReadPoint(r.Data + at + std::size_t(i) * size, sixteen);
    Path path;
    switch (kind) {
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYBEZIERTO: {
        const bool to = kind == U_EMR_POLYBEZIERTO;
        std::size_t i = 0;
        if (to) {
            path.MoveTo(dc_.Position);
        } else if (count > 0) {
            path.MoveTo(points[0]);
            i = 1;
        }
        for (; i + 3 <= points.size(); i += 3) {
            path.CubicTo(points[i], points[i + 1], points[i + 2]);
            if (to)
                dc_.Position = points[i + 2];
        }
        Shape(path, false, true, to);
        break;
    }
    case U_EMR_POLYGON:
    case U_EMR_POLYLINE:
        if (count < 2)
            break;
        path.MoveTo(points[0]);
        for (std::uint32_t i = 1; i < count; ++i)
            path.LineTo(points[i]);
        if (kind == U_EMR_POLYGON) {
            path.Close();
            Shape(path, true, true);
        } else {
            Shape(path, false, true);
        }
        break;
    case U_EMR_POLYLINETO:
        if (count == 0)
            break;
        path.MoveTo(dc_.Position);
        for (const Point& p : points)
            path.LineTo(p);
        dc_.Position = points.back();
        Shape(path, false, true, true);
        break;
    default:
        break;
    }
}

Point Player::ReadPoint(const char* at, bool sixteen)
{
    if (sixteen) {
        U_POINT16 p;
        std::memcpy(&p, at, sizeof p);
        return {double(p.x), double(p.y)};
    }
    U_POINTL p;
    std::memcpy(&p, at, sizeof p);
    return {double(p.x), double(p.y)};
}

void Player::PolyPolyline(const Record& r, bool sixteen, bool polygon)
{
    // Both forms share the layout up to the points' size.
    const auto& rec = r.As<U_EMRPOLYPOLYLINE>();
    const std::uint32_t polys = rec.nPolys;
    const std::uint32_t count = rec.cptl;
    const std::size_t size = sixteen ? sizeof(U_POINT16) : sizeof(U_POINTL);
    const std::uint64_t countsAt = offsetof(U_EMRPOLYPOLYLINE, aPolyCounts);
    const std::uint64_t pointsAt = countsAt + std::uint64_t(polys) * sizeof(U_POLYCOUNTS);
    if (pointsAt + std::uint64_t(count) * size > r.Size) {
        Damaged();
        return;
    }
    if (count > kMaxPoints) {
        TooLarge();
        return;
    }
    Path path;
    std::uint64_t next = 0;
    for (std::uint32_t k = 0; k < polys; ++k) {
        U_POLYCOUNTS n;
        std::memcpy(&n, r.Data + countsAt + std::size_t(k) * sizeof n, sizeof n);
        if (next + n > count) {
            Damaged();
            return;
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            const Point p = ReadPoint(r.Data + pointsAt + std::size_t(next + i) * size, sixteen);
            if (i == 0)
                path.MoveTo(p);
            else
                path.LineTo(p);
        }
        if (polygon && n > 0)
            path.Close();
        next += n;
    }
    Shape(path, polygon, true);
}

void Player::PolyDraw(const Record& r, bool sixteen)
{
    const std::uint32_t count = sixteen ? r.As<U_EMRPOLYDRAW16>().cpts : r.As<U_EMRPOLYDRAW>().cptl;
    const std::size_t at = sixteen ? offsetof(U_EMRPOLYDRAW16, apts) : offsetof(U_EMRPOLYDRAW, aptl);
    const std::size_t size = sixteen ? sizeof(U_POINT16) : sizeof(U_POINTL);
    const std::uint64_t typesAt = at + std::uint64_t(count) * size;
    if (typesAt + count > r.Size) {
        Damaged();
        return;
    }
    if (count > kMaxPoints) {
        TooLarge();
        return;
    }
    const auto point = [&](std::uint32_t i) { return ReadPoint(r.Data + at + std::size_t(i) * size, sixteen); };
    const auto closes = [&](std::uint32_t i) { return (std::uint8_t(r.Data[typesAt + i]) & U_PT_CLOSEFIGURE) != 0; };
    Path path;
    path.MoveTo(dc_.Position);
    for (std::uint32_t i = 0; i < count; ++i) {
        switch (std::uint8_t(r.Data[typesAt + i]) & U_PT_MOVETO) {
        case U_PT_MOVETO:
            path.MoveTo(dc_.Position = point(i));
            break;
        case U_PT_LINETO:
            path.LineTo(dc_.Position = point(i));
            if (closes(i))
                path.Close();
            break;
        case U_PT_BEZIERTO:
            if (i + 2 >= count) {
                i = count;
                break;
            }
            path.CubicTo(point(i), point(i + 1), dc_.Position = point(i + 2));
            i += 2;
            if (closes(i))
                path.Close();
            break;
        default:
            break;
        }
    }
    Shape(path, false, true, true);
}

void Player::ArcRecord(const Record& r, std::uint32_t type)
{
    const auto& rec = r.As<U_EMRARC>();
    const Box box = Inset(Normalized(rec.rclBox));
    const Point c{(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2};
    const double rx = (box.Right - box.Left) / 2, ry = (box.Bottom - box.Top) / 2;
    if (!(rx > 0 && ry > 0))
        return;
    const double from = AngleOf({double(rec.ptlStart.x), double(rec.ptlStart.y)}, c, rx, ry);
    const double to = AngleOf({double(rec.ptlEnd.x), double(rec.ptlEnd.y)}, c, rx, ry);
    // Counter-clockwise as seen on the device: decreasing angles where the transform keeps the
    // y axis pointing down, increasing ones where it turns it up.
    const bool decreasing = (ToOutput().Determinant() > 0) != dc_.Clockwise;
    double sweep = decreasing ? -std::fmod(from - to + 4 * kPi, 2 * kPi) : std::fmod(to - from + 4 * kPi, 2 * kPi);
    if (std::abs(sweep) < 1e-12)
        sweep = decreasing ? -2 * kPi : 2 * kPi; // the same point: the whole ellipse
    Path path;
    const Affine identity;
    switch (type) {
    case U_EMR_ARC:
        path.ArcTo(identity, c, rx, ry, from, sweep, false);
        Shape(path, false, true);
        break;
    case U_EMR_ARCTO:
        path.MoveTo(dc_.Position);
        path.ArcTo(identity, c, rx, ry, from, sweep, true);
        dc_.Position = path.Last();
        Shape(path, false, true, true);
        break;
    case U_EMR_CHORD:
        path.ArcTo(identity, c, rx, ry, from, sweep, false);
        path.Close();
        Shape(path, true, true);
        break;
    default: // PIE
        path.MoveTo(c);
        path.ArcTo(identity, c, rx, ry, from, sweep, true);
        path.Close();
        Shape(path, true, true);
        break;
    }
}

void Player::AngleArc(const Record& r)
{
    const auto& rec = r.As<U_EMRANGLEARC>();
    if (!std::isfinite(rec.eStartAngle) || !std::isfinite(rec.eSweepAngle))
        return;
    const double radius = rec.nRadius;
    // Degrees counter-clockwise as seen on the device.
    const double sign = ToOutput().Determinant() > 0 ? -1 : 1;
    const Point c{double(rec.ptlCenter.x), double(rec.ptlCenter.y)};
    Path path;
    path.MoveTo(dc_.Position);
    path.ArcTo(Affine{}, c, radius, radius, sign * rec.eStartAngle * kPi / 180, sign * rec.eSweepAngle * kPi / 180,
               true);
    dc_.Position = path.Last();
    Shape(path, false, true, true);
}

void Player::BoxRecord(const Record& r, std::uint32_t type)
{
    const Box box = Inset(Normalized(r.As<U_EMRRECTANGLE>().rclBox));
    if (box.IsEmpty())
        return;
    Path path;
    if (type == U_EMR_RECTANGLE) {
        path = RectanglePath(box);
    } else if (type == U_EMR_ELLIPSE) {
        path.ArcTo(Affine{}, {(box.Left + box.Right) / 2, (box.Top + box.Bottom) / 2}, (box.Right - box.Left) / 2,
                   (box.Bottom - box.Top) / 2, 0, 2 * kPi, false);
        path.Close();
    } else {
        const U_SIZEL& corner = r.As<U_EMRROUNDRECT>().szlCorner;
        const double rx = std::min(std::abs(double(corner.cx)) / 2, (box.Right - box.Left) / 2);
        const double ry = std::min(std::abs(double(corner.cy)) / 2, (box.Bottom - box.Top) / 2);
        if (!(rx > 0 && ry > 0)) {
            path = RectanglePath(box);
        } else {
            const Affine identity;
            path.MoveTo({box.Left + rx, box.Top});
            path.ArcTo(identity, {box.Right - rx, box.Top + ry}, rx, ry, -kPi / 2, kPi / 2, true);
            path.ArcTo(identity, {box.Right - rx, box.Bottom - ry}, rx, ry, 0, kPi / 2, true);
            path.ArcTo(identity, {box.Left + rx, box.Bottom - ry}, rx, ry, kPi / 2, kPi / 2, true);
            path.ArcTo(identity, {box.Left + rx, box.Top + ry}, rx, ry, kPi, kPi / 2, true);
            path.Close();
        }
    }
    Shape(path, true, true);
}

void Player::PathRecord(std::uint32_t type)
{
    switch (type) {
    case U_EMR_BEGINPATH:
        path_.Clear();
        inPath_ = true;
        pathDone_ = false;
        widened_ = false;
        return;
    case U_EMR_ENDPATH:
        if (inPath_) {
            inPath_ = false;
            pathDone_ = true;
        }
        return;
    case U_EMR_CLOSEFIGURE:
        if (inPath_)
            path_.Close();
        return;
    case U_EMR_ABORTPATH:
        path_.Clear();
        inPath_ = pathDone_ = widened_ = false;
        return;
    case U_EMR_FLATTENPATH: // curves draw as they would flattened
        return;
    case U_EMR_WIDENPATH:
        if (pathDone_ && !dc_.CurrentPen.Null) {
            widened_ = true;
            widenedWidth_ =
                dc_.CurrentPen.Cosmetic ? pixel_ : std::max(pixel_, dc_.CurrentPen.Width * ToOutput().Scale());
            widenedPen_ = dc_.CurrentPen;
        }
        return;
    default:
        break;
    }
    // A fill or stroke of the path; a bracket still open is taken as ended.
    if (inPath_) {
        inPath_ = false;
        pathDone_ = true;
    }
    if (!pathDone_)
        return;
    const Affine identity;
    if (widened_) {
        // The outline of the pen's stroke, filled: drawn as that stroke in the brush's colour.
        const std::optional<FillStyle> fill = FillOf(dc_.CurrentBrush);
        if (type != U_EMR_STROKEPATH && fill && fill->Reference.empty()) {
            StrokeStyle stroke;
            stroke.Rgb = fill->Rgb;
            stroke.Width = widenedWidth_;
            stroke.LineCap = widenedPen_.Cosmetic ? StrokeStyle::Cap::Butt : widenedPen_.Cap;
            stroke.LineJoin = widenedPen_.Cosmetic ? StrokeStyle::Join::Miter : widenedPen_.Join;
            stroke.MiterLimit = dc_.MiterLimit;
            Emit(path_, identity, nullptr, &stroke);
        }
    } else if (XorShape(path_, identity, type != U_EMR_STROKEPATH, type != U_EMR_FILLPATH)) {
    } else if (type == U_EMR_FILLPATH) {
        if (const std::optional<FillStyle> fill = FillOf(dc_.CurrentBrush))
            Emit(path_.Closed(), identity, &*fill, nullptr);
    } else if (type == U_EMR_STROKEANDFILLPATH) {
        const std::optional<FillStyle> fill = FillOf(dc_.CurrentBrush);
        EmitStroked(path_.Closed(), identity, fill ? &*fill : nullptr, dc_.CurrentPen, ToOutput().Scale());
    } else {
        EmitStroked(path_, identity, nullptr, dc_.CurrentPen, ToOutput().Scale());
    }
    path_.Clear();
    pathDone_ = widened_ = false;
}

void Player::SelectClipPath(std::uint32_t mode)
{
    if (inPath_) {
        inPath_ = false;
        pathDone_ = true;
    }
    if (!pathDone_)
        return;
    // A widened outline is not made here: its clip is left as it was.
    if (!widened_ && path_.HasSegments())
        dc_.Clip.Combine(mode, path_.Closed(), dc_.PolyFillMode == U_ALTERNATE);
    path_.Clear();
    pathDone_ = widened_ = false;
}

std::optional<Brush> Player::BrushAt(std::uint32_t index)
{
    if (index & U_STOCK_OBJECT) {
        const Brush saved = dc_.CurrentBrush;
        Select(index);
        const Brush stock = dc_.CurrentBrush;
        dc_.CurrentBrush = saved;
        return stock;
    }
    if (!HandleInRange(index))
        return std::nullopt;
    const GraphicsObject* object = ObjectAt(index);
    if (const auto* brush = object ? std::get_if<Brush>(object) : nullptr)
        return *brush;
    return std::nullopt;
}

void Player::FillRegion(const Record& r, std::uint32_t type)
{
    Region region;
    std::optional<Brush> brush;
    if (type == U_EMR_PAINTRGN) {
        const auto& rec = r.As<U_EMRPAINTRGN>();
        if (!ReadRegion(r, offsetof(U_EMRPAINTRGN, RgnData), rec.cbRgnData, region))
            return;
        brush = dc_.CurrentBrush;
    } else if (type == U_EMR_FILLRGN) {
        const auto& rec = r.As<U_EMRFILLRGN>();
        if (!ReadRegion(r, offsetof(U_EMRFILLRGN, RgnData), rec.cbRgnData, region))
            return;
        brush = BrushAt(rec.ihBrush);
    } else {
        const auto& rec = r.As<U_EMRFRAMERGN>();
        if (!ReadRegion(r, offsetof(U_EMRFRAMERGN, RgnData), rec.cbRgnData, region))
            return;
        brush = BrushAt(rec.ihBrush);
        // Each rectangle's frame, the stroke's width and height in device pixels.
        const Affine& m = ToOutput();
        const double w = std::max(pixel_, std::abs(rec.szlStroke.cx * m.A));
        const double h = std::max(pixel_, std::abs(rec.szlStroke.cy * m.D));
        std::vector<Box> frames;
        for (const Box& b : region.Boxes()) {
            frames.push_back({b.Left, b.Top, b.Right, std::min(b.Bottom, b.Top + h)});
            frames.push_back({b.Left, std::max(b.Top, b.Bottom - h), b.Right, b.Bottom});
            frames.push_back({b.Left, b.Top, std::min(b.Right, b.Left + w), b.Bottom});
            frames.push_back({std::max(b.Left, b.Right - w), b.Top, b.Right, b.Bottom});
        }
        region = Region::Union(frames);
    }
    if (!brush || region.IsEmpty())
        return;
    std::optional<FillStyle> fill = FillOf(*brush);
    if (!fill)
        return;
    fill->EvenOdd = false;
    Path outline;
    for (const Box& b : region.Boxes())
        outline.Append(RectanglePath(b), false);
    Emit(outline, Affine{}, &*fill, nullptr);
}

void Player::SetPixel(const Record& r)
{
    const auto& rec = r.As<U_EMRSETPIXELV>();
    const Point p = ToOutput().Map({double(rec.ptlPixel.x), double(rec.ptlPixel.y)});
    const FillStyle fill = FillStyle::Solid(std::uint32_t(rec.crColor.Red) << 16 |
                                            std::uint32_t(rec.crColor.Green) << 8 | rec.crColor.Blue);
    Emit(RectanglePath({p.X, p.Y, p.X + pixel_, p.Y + pixel_}), Affine{},
         &fill, nullptr);
}

void Player::GradientFill(const Record& r)
{
    const auto& rec = r.As<U_EMRGRADIENTFILL>();
    const bool triangles = rec.ulMode == U_GRADIENT_FILL_TRIANGLE;
    if (!triangles && rec.ulMode != U_GRADIENT_FILL_RECT_H && rec.ulMode != U_GRADIENT_FILL_RECT_V)
        return;
    const std::uint64_t verticesAt = sizeof(U_EMRGRADIENTFILL);
    const std::uint64_t objectsAt = verticesAt + std::uint64_t(rec.nTriVert) * sizeof(U_TRIVERTEX);
    const std::uint64_t objectSize = triangles ? sizeof(U_GRADIENT3) : sizeof(U_GRADIENT4);
    if (objectsAt + std::uint64_t(rec.nGradObj) * objectSize > r.Size) {
        Damaged();
        return;
    }
    const auto vertex = [&](std::uint32_t i) {
        U_TRIVERTEX v;
        std::memcpy(&v, r.Data + verticesAt + std::size_t(i) * sizeof v, sizeof v);
        return v;
    };
    const auto rgbOf = [](const U_TRIVERTEX& v) {
        return std::uint32_t(v.Red >> 8) << 16 | std::uint32_t(v.Green >> 8) << 8 | std::uint32_t(v.Blue >> 8);
    };
    const Affine& m = ToOutput();
    if (!triangles) {
        for (std::uint32_t k = 0; k < rec.nGradObj; ++k) {
            U_GRADIENT4 g;
            std::memcpy(&g, r.Data + objectsAt + std::size_t(k) * sizeof g, sizeof g);
            if (g.UpperLeft >= rec.nTriVert || g.LowerRight >= rec.nTriVert) {
                Damaged();
                return;
            }
            const U_TRIVERTEX a = vertex(g.UpperLeft), b = vertex(g.LowerRight);
            const Box box{double(std::min(a.x, b.x)), double(std::min(a.y, b.y)), double(std::max(a.x, b.x)),
                          double(std::max(a.y, b.y))};
            if (box.IsEmpty())
                continue;
            FillStyle fill;
            if (rgbOf(a) == rgbOf(b)) {
                fill.Rgb = rgbOf(a);
            } else {
                // The gradient runs along the rectangle from the first vertex's side to the second's,
                // in the units the path is written in.
                Point from{double(a.x), double(a.y)};
                Point to = rec.ulMode == U_GRADIENT_FILL_RECT_H ? Point{double(b.x), double(a.y)}
                                                                : Point{double(a.x), double(b.y)};
                if (Painter::MapsPoints(m)) {
                    from = m.Map(from);
                    to = m.Map(to);
                }
                if (capture_) {
                    BreakCapture();
                    return;
                }
                fill.Reference = painter_.LinearGradient(from, to, rgbOf(a), rgbOf(b));
            }
            Emit(RectanglePath(box), m, &fill, nullptr);
        }
        return;
    }
    // Triangles are shaded here, in output pixels, into one picture over their bounds.
    struct Corner {
        Point At;
        std::uint32_t Rgb;
    };
    std::vector<std::array<Corner, 3>> shaded;
    Box bounds{1e300, 1e300, -1e300, -1e300};
    for (std::uint32_t k = 0; k < rec.nGradObj; ++k) {
        U_GRADIENT3 g;
        std::memcpy(&g, r.Data + objectsAt + std::size_t(k) * sizeof g, sizeof g);
        if (g.Vertex1 >= rec.nTriVert || g.Vertex2 >= rec.nTriVert || g.Vertex3 >= rec.nTriVert) {
            Damaged();
            return;
        }
        std::array<Corner, 3> corners;
        const std::uint32_t index[3] = {g.Vertex1, g.Vertex2, g.Vertex3};
        for (int i = 0; i < 3; ++i) {
            const U_TRIVERTEX v = vertex(index[i]);
            corners[i] = {m.Map({double(v.x), double(v.y)}), rgbOf(v)};
            bounds.Left = std::min(bounds.Left, corners[i].At.X);
            bounds.Top = std::min(bounds.Top, corners[i].At.Y);
            bounds.Right = std::max(bounds.Right, corners[i].At.X);
            bounds.Bottom = std::max(bounds.Bottom, corners[i].At.Y);
        }
        shaded.push_back(corners);
    }
    // Only what lies on the picture is shaded, at most a few million pixels of it.
    bounds = {std::floor(std::max(bounds.Left, 0.0)), std::floor(std::max(bounds.Top, 0.0)),
              std::ceil(std::min(bounds.Right, outputWidth_)), std::ceil(std::min(bounds.Bottom, outputHeight_))};
    if (shaded.empty() || bounds.IsEmpty())
        return;
    const double area = (bounds.Right - bounds.Left) * (bounds.Bottom - bounds.Top);
    const double scale = area > 4e6 ? std::sqrt(4e6 / area) : 1.0;
    const int width = std::max(1, int(std::ceil((bounds.Right - bounds.Left) * scale)));
    const int height = std::max(1, int(std::ceil((bounds.Bottom - bounds.Top) * scale)));
    Picture picture(width, height);
    for (const auto& t : shaded) {
        // Each triangle's bounds are shaded: their pixels count against the playing's.
        if ((pixelsLeft_ -= std::int64_t(width) * height / std::int64_t(shaded.size()) + 16) < 0) {
            TooLarge();
            return;
        }
        // Corners in the picture's pixels.
        Point p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = {(t[i].At.X - bounds.Left) * scale, (t[i].At.Y - bounds.Top) * scale};
        const double det = (p[1].Y - p[2].Y) * (p[0].X - p[2].X) + (p[2].X - p[1].X) * (p[0].Y - p[2].Y);
        if (std::abs(det) < 1e-12)
            continue;
        const int x0 = std::max(0, int(std::floor(std::min({p[0].X, p[1].X, p[2].X}))));
        const int x1 = std::min(width - 1, int(std::ceil(std::max({p[0].X, p[1].X, p[2].X}))));
        const int y0 = std::max(0, int(std::floor(std::min({p[0].Y, p[1].Y, p[2].Y}))));
        const int y1 = std::min(height - 1, int(std::ceil(std::max({p[0].Y, p[1].Y, p[2].Y}))));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double px = x + 0.5, py = y + 0.5;
                const double l0 = ((p[1].Y - p[2].Y) * (px - p[2].X) + (p[2].X - p[1].X) * (py - p[2].Y)) / det;
                const double l1 = ((p[2].Y - p[0].Y) * (px - p[2].X) + (p[0].X - p[2].X) * (py - p[2].Y)) / det;
                const double l2 = 1 - l0 - l1;
                // A little past the edges, so that neighbours meet without a seam.
                if (l0 < -0.01 || l1 < -0.01 || l2 < -0.01)
                    continue;
                std::uint8_t* out = picture.At(x, y);
                for (int c = 0; c < 3; ++c) {
                    const int shift = 16 - 8 * c;
                    const double v = l0 * ((t[0].Rgb >> shift) & 255) + l1 * ((t[1].Rgb >> shift) & 255) +
                                     l2 * ((t[2].Rgb >> shift) & 255);
                    out[c] = std::uint8_t(std::clamp(v + 0.5, 0.0, 255.0));
                }
                out[3] = 255;
            }
    }
    if (capture_) {
        BreakCapture();
        return;
    }
    EmitPicture(EncodePng(picture, 1), "png", width, height, bounds, Affine{}, 1, nullptr);
}

} // namespace emfplay

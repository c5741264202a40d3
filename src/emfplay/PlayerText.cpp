// The player's text records.
#include "emfplay/Player.h"

#include <uemf.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace emfplay {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Whether the font is one of the East Asian faces, whose cell is the em (ascent 0.86, descent 0.14
// of it) and whose characters are full width.
bool EastAsian(const Font& font)
{
    if (font.Charset == U_SHIFTJIS_CHARSET || font.Charset == U_HANGUL_CHARSET || font.Charset == U_GB2312_CHARSET ||
        font.Charset == U_CHINESEBIG5_CHARSET)
        return true;
    return std::any_of(font.Face.begin(), font.Face.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The generic family of a font's class (or of its fixed pitch when it names none), which draws it
// where no face of its name is installed.
const char* GenericFamily(std::uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & 0xF0) {
    case U_FF_ROMAN: return "serif";
    case U_FF_SWISS: return "sans-serif";
    case U_FF_MODERN: return "monospace";
    case U_FF_SCRIPT: return "cursive";
    case U_FF_DECORATIVE: return "fantasy";
    default: return (pitchAndFamily & 0x03) == U_FIXED_PITCH ? "monospace" : nullptr;
    }
}

bool Shown(char32_t code)
{
    return (code >= 0x20 || code == '\t') && !(code >= 0x7F && code < 0xA0) && code != 0xFFFE && code != 0xFFFF;
}

} // namespace

bool Player::ReadRectangle(const Record& r, std::uint64_t& at, Box& rectangle)
{
    if (at + sizeof(U_RECTL) > r.Size) {
        Damaged();
        return false;
    }
    U_RECTL rect;
    std::memcpy(&rect, r.Data + at, sizeof rect);
    rectangle = {double(rect.left), double(rect.top), double(rect.right), double(rect.bottom)};
    at += sizeof rect;
    return true;
}

void Player::ExtTextOut(const Record& r, bool wide)
{
    // Both forms share the layout; the string's units are 16-bit (wide) or bytes.
    const auto& rec = r.As<U_EMREXTTEXTOUTW>();
    const U_EMRTEXT& text = rec.emrtext;
    std::uint64_t at = offsetof(U_EMREXTTEXTOUTW, emrtext) + sizeof(U_EMRTEXT);
    Box rectangle;
    const bool hasRectangle = !(text.fOptions & U_ETO_NO_RECT);
    if (hasRectangle && !ReadRectangle(r, at, rectangle))
        return;
    if (at + sizeof(std::uint32_t) > r.Size) {
        Damaged();
        return;
    }
    std::uint32_t offDx;
    std::memcpy(&offDx, r.Data + at, sizeof offDx);
    const std::uint64_t units = text.nChars;
    const std::uint64_t unitSize = wide ? 2 : 1;
    if (std::uint64_t(text.offString) + units * unitSize > r.Size) {
        Damaged();
        return;
    }
    // The spacing: one advance a unit, or a pair (x, y) with ETO_PDY; left out when it does not fit.
    const std::uint64_t perUnit = text.fOptions & U_ETO_PDY ? 2 : 1;
    // The reader keeps a few thousand characters of a text; the rest is not decoded.
    const std::uint64_t shown = std::min<std::uint64_t>(units, kMaxTextUnits);
    std::vector<double> dx;
    if (offDx != 0 && std::uint64_t(offDx) + units * perUnit * 4 <= r.Size) {
        dx.resize(shown);
        for (std::uint64_t i = 0; i < shown; ++i) {
            std::int32_t value;
            std::memcpy(&value, r.Data + offDx + i * perUnit * 4, 4);
            dx[i] = value;
        }
    }
    const char* string = r.Data + text.offString;
    const std::vector<Character> characters =
        wide ? DecodeUtf16(string, shown)
             : ansi_.Decode({string, std::size_t(shown)}, dc_.CurrentFont.Charset == U_SHIFTJIS_CHARSET);
    std::vector<double> advances;
    if (!dx.empty())
        for (const Character& c : characters) {
            double advance = 0;
            for (std::size_t k = 0; k < c.Units; ++k)
                advance += dx[c.Unit + k];
            advances.push_back(advance);
        }
    Text(characters, advances, {double(text.ptlReference.x), double(text.ptlReference.y)}, text.fOptions,
         hasRectangle ? &rectangle : nullptr, (text.fOptions & U_ETO_GLYPH_INDEX) != 0);
}

void Player::SmallTextOut(const Record& r)
{
    const auto& rec = r.As<U_EMRSMALLTEXTOUT>();
    std::uint64_t at = sizeof(U_EMRSMALLTEXTOUT);
    Box rectangle;
    const bool hasRectangle = !(rec.fuOptions & U_ETO_NO_RECT);
    if (hasRectangle && !ReadRectangle(r, at, rectangle))
        return;
    // Small characters are single bytes: the low bytes of UTF-16 units.
    const bool small = rec.fuOptions & U_ETO_SMALL_CHARS;
    if (at + std::uint64_t(rec.cChars) * (small ? 1 : 2) > r.Size) {
        Damaged();
        return;
    }
    std::vector<Character> characters;
    const std::size_t shown = std::min<std::size_t>(rec.cChars, kMaxTextUnits);
    if (small) {
        for (std::size_t i = 0; i < shown; ++i)
            characters.push_back({static_cast<unsigned char>(r.Data[at + i]), i, 1});
    } else {
        characters = DecodeUtf16(r.Data + at, shown);
    }
    Text(characters, {}, {double(rec.Dest.x), double(rec.Dest.y)}, rec.fuOptions, hasRectangle ? &rectangle : nullptr,
         (rec.fuOptions & U_ETO_GLYPH_INDEX) != 0);
}

void Player::Text(const std::vector<Character>& characters, const std::vector<double>& advances, Point reference,
                  std::uint32_t options, const Box* rectangle, bool glyphIndices)
{
    const Affine& m = ToOutput();
    const Font& font = dc_.CurrentFont;
    const bool updatePosition = dc_.TextAlign & U_TA_UPDATECP;
    if (updatePosition)
        reference = dc_.Position;

    // The text is laid out in its own units: device pixels along the baseline (x) and down from it
    // (y), turned by the escapement (counter-clockwise as seen) and then by the world transform as
    // the device sees it, and placed at the reference point.
    const Affine page = PageToDevice();
    const double sx = std::abs(page.A), sy = std::abs(page.D);
    if (!(sx > 0) || !(sy > 0) || !std::isfinite(sx) || !std::isfinite(sy))
        return;
    const Affine world = Affine::Scaling(1 / page.A, 1 / page.D).Then(dc_.World).Then(Affine::Scaling(page.A, page.D));
    const double angle = std::isfinite(font.Escapement) ? font.Escapement / 10 * kPi / 180 : 0;
    const double c = std::cos(angle), s = std::sin(angle);
    const Point origin = m.Map(reference);
    Affine place = Affine{c, -s, s, c, 0, 0}.Then(Affine{world.A, world.B, world.C, world.D, 0, 0})
                       .Then(Affine::Translation(origin.X, origin.Y));
    if (!place.IsFinite() || std::abs(place.Determinant()) < 1e-12)
        return;
    const double along = angle == 0 ? sx : std::sqrt(sx * sy);
    const double across = angle == 0 ? sy : std::sqrt(sx * sy);

    const bool eastAsian = EastAsian(font);
    // The em: the height itself when negative, of the cell when positive, 16 pixels when 0.
    double em = font.Height < 0   ? -font.Height
                : font.Height > 0 ? font.Height * (eastAsian ? 1.0 : 0.87)
                                  : 16 * pixel_ / sy;
    em *= across;
    const double ascent = em * (eastAsian ? 0.86 : 0.905), descent = em * (eastAsian ? 0.14 : 0.212);

    // The advances, or an estimate when the record has none.
    std::vector<double> steps;
    double width = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const double step = advances.empty() ? em * (characters[i].Code >= 0x2E80 ? 1.0 : 0.55) : advances[i] * along;
        steps.push_back(step);
        width += step;
    }
    const std::uint32_t horizontal = dc_.TextAlign & U_TA_CENTER;
    const std::uint32_t vertical = dc_.TextAlign & U_TA_BASELINE;
    const double start = horizontal == U_TA_CENTER ? -width / 2 : horizontal == U_TA_RIGHT ? -width : 0;
    const double baseline = vertical == U_TA_BASELINE ? 0 : vertical == U_TA_BOTTOM ? -descent : ascent;

    // The opaque rectangle, or the background of the characters' cells in the opaque mode.
    const FillStyle background = FillStyle::Solid(dc_.BkColor);
    if ((options & U_ETO_OPAQUE) && rectangle && rectangle->Left != rectangle->Right &&
        rectangle->Top != rectangle->Bottom) {
        Path box;
        box.MoveTo({rectangle->Left, rectangle->Top});
        box.LineTo({rectangle->Right, rectangle->Top});
        box.LineTo({rectangle->Right, rectangle->Bottom});
        box.LineTo({rectangle->Left, rectangle->Bottom});
        box.Close();
        Emit(box, m, &background, nullptr);
    } else if (dc_.BkMode == U_OPAQUE && !advances.empty() && width != 0) {
        Path cells;
        cells.MoveTo({start, baseline - ascent});
        cells.LineTo({start + width, baseline - ascent});
        cells.LineTo({start + width, baseline + descent});
        cells.LineTo({start, baseline + descent});
        cells.Close();
        Emit(cells, place, &background, nullptr);
    }

    if (!glyphIndices) {
        std::string shown;
        std::vector<double> xs;
        double x = start;
        for (std::size_t i = 0; i < characters.size(); ++i) {
            if (Shown(characters[i].Code)) {
                AppendUtf8(shown, characters[i].Code);
                xs.push_back(x);
            }
            x += steps[i];
        }
        TextStyle style;
        style.Family = font.Face;
        style.Generic = GenericFamily(font.PitchAndFamily);
        style.Size = em;
        style.Weight = font.Weight;
        style.Italic = font.Italic;
        style.Underline = font.Underline;
        style.StrikeOut = font.StrikeOut;
        style.Rgb = dc_.TextColor;
        if (advances.empty()) {
            // Without advances the reader measures: the reference point and its alignment.
            xs.clear();
            style.Anchor = horizontal == U_TA_CENTER ? 1 : horizontal == U_TA_RIGHT ? 2 : 0;
        }
        if (!shown.empty() && !Hidden()) {
            if (capture_) {
                BreakCapture();
            } else {
                painter_.SetClip(Chain());
                Path clip;
                if ((options & U_ETO_CLIPPED) && rectangle) {
                    clip.MoveTo(m.Map({rectangle->Left, rectangle->Top}));
                    clip.LineTo(m.Map({rectangle->Right, rectangle->Top}));
                    clip.LineTo(m.Map({rectangle->Right, rectangle->Bottom}));
                    clip.LineTo(m.Map({rectangle->Left, rectangle->Bottom}));
                    clip.Close();
                    painter_.BeginLocalClip(clip);
                }
                // A text that is only moved is written in output units, with no transform.
                const auto near = [](double u, double v) { return std::abs(u - v) < 1e-9; };
                if (near(place.A, 1) && near(place.B, 0) && near(place.C, 0) && near(place.D, 1)) {
                    for (double& each : xs)
                        each += place.E;
                    painter_.DrawText(shown, place.E + (xs.empty() ? 0 : start), place.F + baseline, xs, Affine{},
                                      style);
                } else {
                    painter_.DrawText(shown, xs.empty() ? 0 : start, baseline, xs, place, style);
                }
                if (!clip.IsEmpty())
                    painter_.EndLocalClip();
            }
        }
    }

    if (updatePosition) {
        // The position moves along the baseline past the text (back before it when right-aligned).
        const double moved = horizontal == U_TA_CENTER ? 0 : horizontal == U_TA_RIGHT ? -width : width;
        const Point delta = place.MapVector({moved, 0});
        if (const auto back = Affine{m.A, m.B, m.C, m.D, 0, 0}.Inverse()) {
            const Point logical = back->Map(delta);
            dc_.Position = {dc_.Position.X + logical.X, dc_.Position.Y + logical.Y};
        }
    }
}

} // namespace emfplay

#pragma once
// The state a metafile's records change and its drawing records use: the graphics objects, the
// mapping from logical units to the device, colours and modes, the current position and the clip.
// Saved and restored whole by SAVEDC and RESTOREDC.
#include "emfplay/Affine.h"
#include "emfplay/Painter.h"
#include "emfplay/Picture.h"
#include "emfplay/Region.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace emfplay {

struct Pen {
    bool Null = false;
    bool Cosmetic = true;     // one device pixel wide whatever the transform
    double Width = 1;         // logical units, when geometric
    std::uint32_t Rgb = 0;
    std::uint32_t Style = 0;  // PS_SOLID … PS_ALTERNATE
    StrokeStyle::Cap Cap = StrokeStyle::Cap::Round;
    StrokeStyle::Join Join = StrokeStyle::Join::Round;
    std::vector<double> UserDashes; // PS_USERSTYLE: logical units (geometric) or pixels (cosmetic)
};

struct Brush {
    enum class Kind : std::uint8_t { Solid, Null, Hatched, Pattern, Monochrome };
    Kind Style = Kind::Solid;
    std::uint32_t Rgb = 0xFFFFFF;
    std::uint32_t Hatch = 0;
    std::shared_ptr<const Picture> Tile; // Pattern; Monochrome: black where the bits are 0
    std::uint64_t Serial = 0;            // tells tiles apart
};

struct Font {
    double Height = -16; // logical units: negative the em, positive the cell, 0 the default
    double Escapement = 0; // tenths of a degree, counter-clockwise
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::uint8_t Charset = 0;
    std::string Face; // UTF-8
    std::uint8_t PitchAndFamily = 0; // the class (high bits) and pitch of a face not installed
};

using GraphicsObject = std::variant<std::monostate, Pen, Brush, Font>;

// The clip: the intersection of its areas (output units). `Nothing` when that is empty.
struct ClipState {
    // At most kMaxClipAreas (PlayerLimits.h).
    ClipChain Areas;
    bool Nothing = false;

    bool IsSet() const { return !Areas.empty() || Nothing; }
    void Reset() { *this = {}; }
    // EXTSELECTCLIPRGN's modes (RGN_AND … RGN_COPY) with a region; SELECTCLIPPATH's with an outline.
    void Combine(std::uint32_t mode, const Region& region);
    void Combine(std::uint32_t mode, const Path& outline, bool evenOdd);
    void Translate(double dx, double dy);

private:
    int RegionIndex() const;
    void SetRegion(Region region);
};

struct DeviceContext {
    std::uint32_t MapMode = 1; // MM_TEXT
    Point WindowOrg;
    Point WindowExt{1, 1};
    Point ViewportOrg;
    Point ViewportExt{1, 1};
    Affine World;

    Pen CurrentPen;
    Brush CurrentBrush;
    Font CurrentFont;
    std::uint32_t TextColor = 0x000000;
    std::uint32_t BkColor = 0xFFFFFF;
    std::uint32_t BkMode = 2;       // OPAQUE
    std::uint32_t PolyFillMode = 1; // ALTERNATE
    std::uint32_t TextAlign = 0;    // TA_TOP | TA_LEFT | TA_NOUPDATECP
    std::uint32_t Rop2 = 13;        // R2_COPYPEN
    double MiterLimit = 10;
    bool Clockwise = false;
    Point Position; // logical units

    ClipState Clip;
    ClipState Meta; // SETMETARGN's: drawing shows where both clips do
};

} // namespace emfplay

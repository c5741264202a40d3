#pragma once
// The drawing's elements: shapes, texts and pictures in the output's units (the picture's device
// pixels, the frame's top-left at (0, 0)), under the clip in force. A clip is a chain of areas
// whose intersection shows; each is written once as a clipPath and set as a group around what it
// clips, the groups nested in the chain's order and kept open while the chain stays.
//
// What is written (SVG 1.1 meaning, and no other element or attribute):
//   svg         xmlns, xmlns:xlink, width, height
//   g           clip-path
//   defs        clipPath (id; one path with d and clip-rule), pattern (id, patternUnits="userSpaceOnUse",
//               width, height; one image with width, height, xlink:href), linearGradient (id,
//               gradientUnits="userSpaceOnUse", x1, y1, x2, y2; two stops with offset, stop-color)
//   path        d (M, L, C, Z), fill (a colour, url(#pattern), url(#gradient) or none), fill-rule,
//               stroke, stroke-width, stroke-linecap, stroke-linejoin, stroke-miterlimit,
//               stroke-dasharray, transform
//   text        x (one number, or one per character), y, font-family (the face, then the generic
//               family of its class when it has one: "Liberation Serif, serif"), font-size,
//               font-weight, font-style, text-decoration, text-anchor, fill, transform; the characters
//   image       id, x, y, width, height, opacity, transform, xlink:href (a PNG or JPEG data URI)
//   use         xlink:href (an earlier image), opacity, transform
// Colours are #rrggbb, transforms matrix(a b c d e f); ids are the painter's own.
#include "emfplay/Affine.h"
#include "emfplay/Path.h"
#include "emfplay/Picture.h"
#include "emfplay/Region.h"
#include "emfplay/SvgWriter.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace emfplay {

// An area of a clip, in output units: a region, or an outline filled by its rule.
struct ClipArea {
    std::optional<Region> Rectangles;
    Path Outline;
    bool EvenOdd = false;
    mutable std::string Id; // its clipPath's, once written
    mutable std::int8_t CoversFrame = -1; // whether it clips nothing of the picture, once known
};
using ClipChain = std::vector<std::shared_ptr<const ClipArea>>;

struct StrokeStyle {
    enum class Cap : std::uint8_t { Butt, Round, Square };
    enum class Join : std::uint8_t { Miter, Round, Bevel };
    std::uint32_t Rgb = 0;
    double Width = 1; // output units
    Cap LineCap = Cap::Butt;
    Join LineJoin = Join::Miter;
    double MiterLimit = 10;
    std::vector<double> Dashes; // output units, on and off in turn; empty: solid
};

struct FillStyle {
    std::uint32_t Rgb = 0;
    std::string Reference; // a pattern's or gradient's id instead of the colour
    bool EvenOdd = false;

    static FillStyle Solid(std::uint32_t rgb)
    {
        FillStyle fill;
        fill.Rgb = rgb;
        return fill;
    }
};

struct TextStyle {
    std::string Family;
    const char* Generic = nullptr; // the generic family of the face's class ("serif"), or none
    double Size = 16; // the em, in the text's units
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Anchor = 0; // start, middle, end
    std::uint32_t Rgb = 0;
};

class Painter {
public:
    explicit Painter(SvgWriter& writer) : out_(writer) {}

    void Begin(double width, double height);
    // Closes what is open and the document.
    void End();

    // The clip of what is drawn next.
    void SetClip(ClipChain chain) { wanted_ = std::move(chain); }

    // `path` in its units, mapped to the output's by `toOutput`: its points are mapped when the
    // transform keeps the axes, else it is written in its units with the transform. Pen widths and
    // dashes are in output units. Nothing is drawn without a fill or a stroke.
    void DrawPath(const Path& path, const Affine& toOutput, const FillStyle* fill, const StrokeStyle* stroke);
    // Whether DrawPath writes points mapped by `toOutput` (else in their units, with it).
    static bool MapsPoints(const Affine& toOutput) { return toOutput.IsAxisAligned(); }

    // `characters` (UTF-8, escaped here) with its baseline's start at (x, y) of the text's units, or
    // character i at xs[i] when there are any; the units map to the output's by `toOutput`.
    void DrawText(std::string_view characters, double x, double y, const std::vector<double>& xs,
                  const Affine& toOutput, const TextStyle& style);

    // A picture over `place` of its units (mapped by `toOutput` as a path's), once written and then
    // used again: `encoded` is its PNG or JPEG file (`kind` "png" or "jpeg").
    void DrawPicture(const std::string& encoded, const char* kind, int width, int height, const Box& place,
                     const Affine& toOutput, double opacity);

    // Ids of definitions written on first use: a tile pattern of `tile` (each of its pixels `pixel`
    // output units) by `key`, and a two-stop linear gradient.
    std::string Pattern(const std::string& key, const Picture& tile, double pixel);
    std::string LinearGradient(Point from, Point to, std::uint32_t fromRgb, std::uint32_t toRgb);

    // A clip of its own around what follows until EndLocalClip, inside the clip in force.
    void BeginLocalClip(const Path& outline, bool evenOdd = false);
    void EndLocalClip();

private:
    void Sync();
    std::string NewId(char kind);
    void Transform(const Affine& m);
    void WriteFill(const FillStyle* fill);
    void WriteStroke(const StrokeStyle& stroke, double scale);
    void WriteClipDefinition(const Path& outline, bool evenOdd, const std::string& id);

    SvgWriter& out_;
    ClipChain wanted_;
    ClipChain open_;
    int localClips_ = 0;
    std::uint64_t ids_ = 0;
    std::unordered_map<std::string, std::string> patterns_;
    struct Written {
        std::string Id;
        Affine Placement; // from the picture's unit square to the output
        std::string Encoded;
    };
    std::unordered_multimap<std::size_t, Written> pictures_;
};

} // namespace emfplay

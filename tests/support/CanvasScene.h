#pragma once
// One drawing of every kind of canvas call, for the canvas tests and the snapshot: rectangles at
// their edges, a round rectangle, a fill masked by an elliptic region, turned and upright Japanese
// text, a mirrored image and a replayed metafile. Sizes scale with the canvas's resolution from a
// layout made at 96 pixels per inch.
#include "gui/Canvas.h"

namespace vkttest {

struct CanvasScene {
    explicit CanvasScene(int dpi);
    int Scale(int value) const { return value * dpi / 96; }
    platform::Rect Scaled(int left, int top, int right, int bottom) const;

    int dpi;
    platform::Rect Size;        // the whole scene
    platform::Rect Filled;      // FillRect in blue
    platform::Rect Framed;      // Rectangle: black outline, yellow inside
    platform::Rect Rounded;     // RoundRect in green, corners 24 × 24
    platform::Rect Masked;      // FillRect in red through an elliptic clip of this rectangle
    platform::Point Upright;    // "献立表 Menu" at the cell's top-left
    platform::Point Turned;     // "縦書きの原価" turned by escapement 2700 (runs downward)
    platform::Rect Mirrored;    // a red | blue image drawn mirrored: blue | red
    platform::Rect Replayed;    // a metafile of a magenta frame around "原価"
    platform::FontSpec Font;    // the scene's font (ＭＳ Ｐゴシック, 16 px at 96 dpi)

    void Draw(platform::Canvas& canvas) const;
};

inline constexpr platform::TColor kSceneBlue = 0xFF0000;
inline constexpr platform::TColor kSceneRed = 0x0000FF;
inline constexpr platform::TColor kSceneMagenta = 0xFF00FF;

} // namespace vkttest

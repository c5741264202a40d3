#pragma once
// Painting of a wrapped document through the canvas interface, so one call serves the screen
// buffer, pictures, PDF and the printer. Rows are laid out in wrap pixels; the drawer scales them
// by target width / source width, measuring each piece with the output font at the zoomed height
// and spreading the difference over its characters so that the layout's breaks and widths hold.
#include "richtext/Uextextwrapper.h"

class TExTextDrawer : public TExTextWrapper {
public:
    TExTextDrawer() = default;

    // Paints rows from `top`: `source` is the wrapped area in layout pixels (its height the space
    // to fill), `target` the area on the canvas, (x, y) the layout origin's offset on the canvas.
    // With `clip` painting stops before a row that does not fit and at the next page; without it a
    // separator marks each page boundary.
    void DrawTextA(platform::Canvas* canvas, platform::Rect source, platform::Rect target, int x, int y,
                   const TLineInfo& top, const TSelectInfo& selection, bool clip);
    // One underline of `kind` (1-17) from left to right with its band starting at y.
    static void DrawUnderLine(platform::Canvas* canvas, TColor colour, int left, int right, int y, int height,
                              int kind);

private:
    struct TRowPaint {
        platform::Canvas* Canvas = nullptr;
        int Zoom = 100;
        int Left = 0;        // canvas x of the row's start
        int Top = 0;         // canvas y of the row's band
        int Band = 0;        // band height
        int Ascent = 0;      // row ascent and descent, scaled
        int Descent = 0;
        int SelTop = 0;      // selected positions [SelTop, SelBottom)
        int SelBottom = 0;
    };
    struct TSegment {
        int From = 0;   // units within the piece
        int To = 0;
        bool Selected = false;
    };

    void DrawLineBack(const TRowPaint& paint, const TLineInfo& row);
    void DrawLine(const TRowPaint& paint, const TLineInfo& row);
    void DrawWord(const TRowPaint& paint, TExWord* word, int pieceOffset, int chars, int width, int x,
                  int selFrom, int selTo);
    // Draws the characters at their output edges plus the spread correction, in [x, x + width).
    void DrawString(platform::Canvas& canvas, const std::vector<int>& edges, const std::u32string& chars,
                    int from, int to, int x, int y, int width, bool outline);
    TColor ColorOf(int index, TColor fallback);
};

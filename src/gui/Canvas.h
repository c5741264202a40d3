#pragma once
// The one drawing surface of the program: the rich text, the page layouts and the reports paint
// through it, so the screen, images, metafiles, printers and PDF files share one code path.
//
// Coordinates are device pixels of the canvas (DpiX × DpiY per inch). A Rect excludes its right
// column and bottom row. Fonts are chosen by FontSpec in the manner of a logical font: a negative
// Height is the em size in pixels, a positive one the cell height (ascent + descent), 0 selects
// no font (text then draws and measures nothing). Texts are UTF-8. A new canvas draws text in
// "ＭＳ Ｐゴシック" 12 px at 96 dpi (scaled to its resolution), black, with a white brush.
//
// Implementations: QtCanvas (over any QPainter), BitmapCanvas (an image of its own), PdfWriter,
// the recorder of a PageRecording, and the RecordingCanvas of the tests.
#include "platform/Color.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QPainter;

namespace platform {

class JobWaiter;
class RunPump;

class Image;
class PageRecording;
class Region;

struct Point {
    int X = 0;
    int Y = 0;
    bool operator==(const Point&) const = default;
};

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const Rect&) const = default;
};

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null };

struct Pen {
    TColor Color = 0;
    int Width = 0;   // 0 draws one pixel wide at any resolution
    PenStyle Style = PenStyle::Solid;
    bool operator==(const Pen&) const = default;
};

struct Brush {
    TColor Color = 0xFFFFFF;
    bool Null = false;   // a null brush fills nothing
    bool operator==(const Brush&) const = default;
};

struct FontSpec {
    std::string Face;        // the program's face name (old names allowed: see FontTable)
    int Height = 0;          // < 0 em pixels, > 0 cell pixels, 0 nothing
    int Width = 0;           // average character width in pixels, 0 for the face's own
    int Escapement = 0;      // tenths of a degree, counter-clockwise
    int Weight = 400;        // 400 normal, 700 bold
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int CharSet = 1;         // kept for files, not used to draw
    int PitchAndFamily = 0;  // kept for files; its family class stands in for a face not installed
    bool operator==(const FontSpec&) const = default;
};

struct FontMetrics {
    int Ascent = 0;
    int Descent = 0;
    int Height = 0;           // Ascent + Descent
    int InternalLeading = 0;  // Height − em size
    int AveCharWidth = 0;
};

enum class RasterOp { Copy, Xor, Not };

enum class CanvasKind { Screen, Image, Metafile, Printer, Pdf, Recording };

class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    virtual ~Canvas() = default;

    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    virtual CanvasKind Kind() const = 0;
    // The painter behind the canvas, for drawing that only Qt does (charts); null when recording.
    virtual QPainter* GetPainter() = 0;

    // Saves and restores pen, brush, font, text colour, raster op and clip, nested.
    virtual void Save() = 0;
    virtual void Restore() = 0;

    virtual void SetPen(const Pen& pen) = 0;
    virtual const Pen& GetPen() const = 0;
    virtual void SetBrush(const Brush& brush) = 0;
    virtual const Brush& GetBrush() const = 0;
    virtual void SetFont(const FontSpec& font) = 0;
    virtual const FontSpec& GetFont() const = 0;
    virtual void SetTextColor(TColor color) = 0;
    virtual TColor GetTextColor() const = 0;
    // Xor and Not act on image-backed canvases only; elsewhere they draw nothing.
    virtual void SetRasterOp(RasterOp op) = 0;
    virtual RasterOp GetRasterOp() const = 0;

    // Lines exclude their end pixel.
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    virtual void Polyline(const std::vector<Point>& points) = 0;
    // Filled with the brush by the odd-even rule, outlined with the pen.
    virtual void Polygon(const std::vector<Point>& points) = 0;
    // Filled with the brush and outlined with the pen, inside the rectangle.
    virtual void Rectangle(const Rect& rect) = 0;
    virtual void Ellipse(const Rect& rect) = 0;
    // cornerWidth and cornerHeight are the diameters of the corner ellipses.
    virtual void RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) = 0;
    // Fill with a colour, no outline; FrameRect draws a one-pixel border in the colour.
    virtual void FillRect(const Rect& rect, TColor color) = 0;
    virtual void FrameRect(const Rect& rect, TColor color) = 0;
    virtual void FillRegion(const Region& region, TColor color) = 0;

    virtual void IntersectClip(const Rect& rect) = 0;
    virtual void IntersectClip(const Region& region) = 0;
    // Replaces the clip; nullptr removes it.
    virtual void SelectClip(const Region* region) = 0;
    // The clip in device pixels; an unclipped canvas gives a region covering the whole device.
    virtual Region GetClip() const = 0;

    // Draws the text in the current font and text colour with the top-left of its cell at (x, y),
    // turned by the font's escapement around that point (2700 runs downward); each character
    // stands at its edge from CharEdges, so drawing matches measuring. A brush that is not null
    // first fills the text's cell; set a null brush for text over a background.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    // The same, clipped to `clip`; a brush that is not null fills `clip` first.
    virtual void TextRect(const Rect& clip, int x, int y, std::string_view text) = 0;
    // Cumulative right edges of the code points of the text in pixels, from 0 at its start.
    virtual std::vector<int> CharEdges(std::string_view text) = 0;
    // Width (the last edge) and the cell height of the text.
    virtual Point TextExtent(std::string_view text) = 0;
    virtual FontMetrics GetFontMetrics() = 0;
    // The glyph outlines of the text, outlined with the pen and filled with the brush when `fill`.
    virtual void TextOutline(int x, int y, std::string_view text, bool fill) = 0;

    // Draws the `src` part of the image scaled into `dst`, mirrored as asked.
    virtual void DrawImage(const Rect& dst, const Image& image, const Rect& src, bool mirrorX = false,
                           bool mirrorY = false) = 0;
    // Replays the recording scaled into `dst`. A screen draws the drawings in it from their pixels
    // made off the window's thread; `waiter` (the view's) is called back once those asked are made.
    virtual void DrawMetafile(const Rect& dst, const PageRecording& metafile, JobWaiter* waiter = nullptr) = 0;

    // The pump of the run the canvas draws for (a print run's page, RunPump.h): what is drawn on it
    // waits for pictures and replays them aside through it. Null by default: all in place.
    RunPump* GetRunPump() const { return runPump_; }
    void SetRunPump(RunPump* pump) { runPump_ = pump; }

private:
    // Not owned: the run's owner keeps it while the canvas draws for it.
    RunPump* runPump_ = nullptr;
};

// Saves the canvas state for a scope.
class CanvasState {
public:
    explicit CanvasState(Canvas& canvas) : canvas_(canvas) { canvas_.Save(); }
    ~CanvasState() { canvas_.Restore(); }
    CanvasState(const CanvasState&) = delete;
    CanvasState& operator=(const CanvasState&) = delete;

private:
    Canvas& canvas_;
};

} // namespace platform

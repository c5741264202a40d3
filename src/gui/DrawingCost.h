#pragma once
// What reading a drawing and one redraw of it cost on Qt's raster engine, in work units (about
// 60 ns of processor time each: 16 000 a millisecond), at about a million pixels (the drawing's
// frame scaled to kReferencePixels). DisplayListRecorder (DisplayList.h) counts a drawing against
// its limits with it; it is the guard of memory and print time, not of the window, which only
// copies pixels made off its thread (PicturePixels.h).
//
// Where the constants come from. Each was measured on the raster engine in processor time, with
// the drawings of bench/gui/DrawingBench.cpp: `vkt_gui_benchmarks --benchmark_filter=Drawing` grows
// the largest drawing of each kind the limits admit, then times its reading (DrawingRead<Kind>)
// and its redraw onto a 1000 × 999 page as a view fits it (DrawingRedraw<Kind>); the counter
// `work` gives its units. A constant is right when units ÷ 16 000 stays near the milliseconds of
// read and redraw together (bench/README.md's table of real pictures and hostile drawings); the test
// DrawingSvg.HostileDrawingsStayWithinTheirBudget prints units and redraw times of the hostile
// drawings (tests/gui/test_drawingsvg.cpp). To measure one again: change it, run both, compare.
#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

namespace cost {

// The size a redraw's cost is counted at.
constexpr double kReferencePixels = 1e6;

// A command's own cost (its dispatch, the painter's state): DrawingRedrawGroups, DrawingRedrawFills.
constexpr std::int64_t kCommandWork = 8;
// An outline point, and each scanline an edge crosses (outside and inside a run of spans):
// DrawingRedrawZigzags, DrawingRedrawOutlines.
constexpr double kPointWork = 0.5;
constexpr double kExtentWork = 0.5;
// Antialiased, each scanline the outline covers, swept cell by cell, and each crossing; a narrow
// outline's (under kNarrow pixels across on average) cost kNarrowFactor more: DrawingRedrawOutlines,
// DrawingRedrawZigzags, and the thin sheared dashes (DrawingRedrawShearedDashes).
constexpr double kSmoothLineWork = 8;
constexpr double kSmoothExtentWork = 0.5;
constexpr double kNarrow = 4;
constexpr double kNarrowFactor = 2.5;
// A scanline's edges are sorted: each costs more the more there are (kDensity more edges on a
// scanline add a crossing's cost again), up to one a pixel, then up to kFullListFactor times more
// as more of them walk the whole list (DrawingRedrawZigzags at growing counts). Antialiased, a
// crossing makes cells that a fixed pool holds band by band: outlines with more crossings than
// kSmoothCrossings, or denser than kSmoothDensity, are drawn without (the hostile zigzags). An
// outline of at most kSmoothFewCrossings in all is antialiased however dense: its cells fit a
// band of the pool, and a glyph's outline at text sizes is one (a kanji of many strokes crosses ten
// edges a scanline; drawn without, it is a blot).
constexpr double kDensity = 25;
constexpr double kFullListFactor = 3;
constexpr double kSmoothCrossings = 8000;
constexpr double kSmoothDensity = 8;
constexpr double kSmoothFewCrossings = 1000;
// Pixels filled with an opaque colour a unit (DrawingRedrawFills). A translucent colour blends each
// pixel, a gradient or a picture computes it (a gradient that runs along the scanlines, once a
// scanline), a pattern picks it: so many times an opaque colour's (the fills of DrawingRedrawFills
// with each brush; the real pictures ink-gradient, lo-gradient, lo-hatch of tests/data/emf).
constexpr double kAreaPixelsPerWork = 360;
constexpr double kBlendFactor = 25;
constexpr double kComputedFactor = 30;
constexpr double kSteadyGradientFactor = 4;
constexpr double kPatternFactor = 20;
// Setting up a span (where a scanline enters a fill) with a brush other than an opaque colour.
constexpr double kSpanWork = 3;
constexpr double kBlendSpanWork = 10;
// Filled without antialiasing, a pixel is set without its coverage (an upright rectangle's alike
// either way): DrawingRedrawFills against DrawingSvg.StackedRectanglesCountWhatTheyCostApart.
constexpr double kRoughAreaFactor = 0.5;
constexpr double kRectangleExtentWork = 0.05;
// Outlines with more edges than this over the scanlines their area is measured along are taken by
// their bounds (a bound of the recorder's own time).
constexpr std::size_t kMaxAreaEdges = std::size_t(1) << 22;
// A stroke: a pixel along a pen of one pixel or less, drawn pixel by pixel; a wider one's outline,
// filled: each point, curve offset, dash piece and arc (a round join or end, of about kArcPoints
// points) made; the area the pen sweeps, made whole as an outline in the frame or not; and each
// pixel of a dashed pen's width for each curve, which is made in steps each as wide as the pen
// (DrawingRedrawWideZigzags, DrawingRedrawRoundEnds, DrawingRedrawShearedDashes,
// DrawingRedrawMiterZigzags, and the hostile wide and dashed pens).
constexpr double kThinWork = 0.4;
constexpr double kCurveStrokeWork = 250;
constexpr double kSweptWork = 0.002;
constexpr double kDashWork = 16;
constexpr double kArcWork = 16;
constexpr double kArcPoints = 8;
constexpr double kCurvedDashWork = 4000;
constexpr double kCurvedDashWidth = 1000;
constexpr double kCurvedDashPower = 0.45;
// The entries of a dash pattern Qt dashes by; those beyond are left out.
constexpr qsizetype kMaxDashEntries = 32;
// Reading: an element and an outline's point read (DrawingReadGroups, DrawingReadOutlines).
constexpr std::int64_t kElementWork = 24;
constexpr double kPointReadWork = 3;
// A character and its glyph's pixels; a glyph too large for Qt's glyph cache is filled as an
// outline; a wide one (CJK) fills its em's square; a glyph first drawn in its font, size and turn
// is made by the rasteriser (DrawingRedrawTexts, DrawingRedrawLargeTexts, DrawingRedrawGlyphs and
// the first drawing of the hostile CJK glyphs).
constexpr std::int64_t kCharacterWork = 24;
constexpr double kGlyphPixelsPerWork = 48;
constexpr double kLargestCachedGlyph = 64;
constexpr double kOutlineGlyphWork = 1600;
constexpr double kWideGlyphFactor = 2.5;
constexpr double kNewGlyphWork = 560;
constexpr double kNewGlyphPixelsPerWork = 3;
// A pattern tile's pixels, read by each fill; a picture's pixels decoded once
// (DrawingReadPhoto, DrawingReadPictures), and those looked at when drawn.
constexpr double kPixelsPerWork = 16;
constexpr double kDecodedPixelsPerWork = 1.5;
constexpr double kPictureSourcePixelsPerWork = 256;
// A picture drawn: its set-up, and each pixel drawn, sampled from the picture's, against a fill's
// (DrawingRedrawPictures, the hostile 2 000 uses of one picture).
constexpr std::int64_t kPictureWork = 400;
constexpr double kSampledFactor = 60;
// What setting a clip costs against filling its outline: a rectangle's is kept as one
// (DrawingRedrawClips, the hostile clip path over 1 000 shapes).
constexpr double kClipFactor = 1.8;
constexpr double kRectangleClipFactor = 0.2;
// A font first used: Qt looks it up and loads it (the hostile texts in distinct fonts).
constexpr std::int64_t kFontWork = 4000;

// Bytes held: a command, an outline point and its heap block's own, a font; a pen's and a brush's
// shared data on the heap (a pen holds a brush's), a gradient's beyond a colour's and its stops
// (measured on Qt 6 with glibc's allocator).
constexpr std::size_t kCommandBytes = 64;
constexpr std::size_t kPointBytes = sizeof(QPainterPath::Element);
constexpr std::size_t kBlockBytes = 16;
constexpr std::size_t kFontBytes = 512;
constexpr std::size_t kPenBytes = 208;
constexpr std::size_t kBrushBytes = 112;
constexpr std::size_t kGradientBytes = 176;
constexpr std::size_t kGradientStopBytes = 24;

} // namespace cost

// The largest and the smallest scale of a transform's linear part (its singular values).
std::pair<double, double> ScalesOf(const QTransform& m);

// The model for one drawing: its frame (in its units) and the work beyond which it is refused
// (a count past it is clamped there).
class DrawingCost {
public:
    DrawingCost(std::int64_t limit, const QSizeF& frame);

    // From the drawing's units to a redraw at about a million pixels.
    double Reference() const { return reference_; }
    const QSizeF& Frame() const { return frame_; }
    std::int64_t Clamped(double work) const;

    // An outline as drawn under `transform` at the reference size: its points, curves and
    // figures, the length of its edges (a curve's by its control points), also in its own units
    // (before the transform, where Qt dashes a pen), and within the frame the
    // scanlines and the pixel cells its edges cross, its height, width and the pixels it covers;
    // and at each corner between two straight edges, how far a miter join's spike reaches from
    // it, in pen widths (1 / (2 sin(θ/2)) for the angle θ between the edges).
    struct Outline {
        double Points = 0;
        double Curves = 0;
        double Length = 0;
        double OwnLength = 0;
        double CurveLength = 0;
        double Crossings = 0;
        double Cells = 0;
        double Height = 0;
        double Width = 0;
        double Area = 0;
        double Figures = 0;
        bool Rectangle = false; // upright, of one figure
        std::vector<float> Spikes;
    };
    Outline OutlineOf(const QPainterPath& path, const QTransform& transform) const;
    // Whether an outline is cheap enough to antialias (few scanlines crossed, not densely).
    static bool CheapToSmooth(const Outline& outline);
    // What filling it costs with a brush whose pixels cost `areaFactor` times an opaque colour's
    // and each span `spanWork` more.
    std::int64_t FillWork(const Outline& outline, double areaFactor, double spanWork, bool smooth) const;

    // A pen's stroke of an outline: the outline it is filled as and what making that costs, and
    // for a thin pen drawn without antialiasing, pixel by pixel along the path, what that costs;
    // the dashes it is made of, when dashed.
    struct Stroke {
        bool Thin = false;
        double ThinWork = 0;
        double Dashes = 0;
        Outline Made;
        double Making = 0;
    };
    Stroke StrokeOf(const Outline& outline, const QPen& pen, const QTransform& transform) const;
    std::int64_t StrokeWork(const Stroke& stroke, const QPen& pen, bool smooth, const QTransform& transform) const;

    // What a pixel filled by the brush costs, against an opaque solid colour's; what each span
    // costs to set up with it, beyond an opaque colour's.
    static double AreaFactor(const QBrush& brush, const QTransform& transform);
    static double SpanWork(const QBrush& brush);
    // What filling a rectangle's pixels with an opaque colour costs.
    std::int64_t AreaWork(const QRectF& rect, const QTransform& transform) const;

private:
    std::int64_t limit_;
    QSizeF frame_;
    double reference_;
};

} // namespace platform

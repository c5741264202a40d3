#pragma once
// A drawing read from an untrusted picture (DrawingSvg.h), held as drawing commands over shared
// resources: each outline, clip path, picture, pen, brush and font is held once, however often it
// is drawn. What the drawing holds and what one redraw of it costs are counted as it is recorded,
// against limits, so that no picture can exhaust memory or stall a redraw.
//
// Replay draws it onto any painter: a widget, a bitmap, PDF, a printer or a QPicture cache. A text
// is handed to the glyph rasteriser only under a transform it can render: a degenerate or extreme
// one (a shear of 1000 crashes FreeType's rasteriser) draws its outline instead, or nothing.
//
// A finished list is immutable and may be replayed by several threads at once (the raster workers
// at several sizes, a print aside): its members are const once made, as it may be in use on
// another thread. Qt makes and caches data inside a shared object on its first use, without a
// lock (a QPainterPath's converted path, a QFont's engines, a QTransform's type), so no such object
// of the list reaches a painter: each replay builds them on its own (outlines from their stored
// points, fonts sized from faces that hold no size of a replay, transforms copied). Pens, brushes,
// pictures and texts are shared as they are, read only (a pen's dash pattern, made on first ask,
// is asked for as it is recorded). A replay so holds nothing beyond the list once it has ended:
// Bytes() is all the list holds.
// Built once and shared instead, the converted paths alone cost more than 3 KB an outline (13 times
// the list of a typical picture), for a replay about as fast (bench/README.md).
#include "gui/DrawingCost.h"
#include "platform/PictureLimits.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QTransform>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QPainter;

namespace platform {

struct DrawingLimits {
    // What the recorded drawing may hold, in bytes: its pictures, outlines, texts and commands.
    std::size_t Bytes;
    // What reading it and one redraw may cost, in work units (DrawingCost.h): every element read,
    // every command, every point drawn or clipped by and the scanlines and pixels it covers, every
    // character and every picture pixel drawn, counted each time.
    std::int64_t Work;
};

class DisplayList {
public:
    std::size_t Bytes() const { return bytes_; }
    std::int64_t Work() const { return work_; }

    // Draws the commands in the painter's current coordinates (the drawing's units); the painter's
    // state is given back as it was.
    void Replay(QPainter& painter) const;
    // The same, asking `goOn` before each command: false stops the replay there (the painter's
    // state given back all the same). Whether every command was drawn.
    bool Replay(QPainter& painter, const std::function<bool()>& goOn) const;
    // How many replays this thread has begun.
    static std::size_t ReplaysOnThisThread();

private:
    friend class DisplayListRecorder;

    enum class Op : std::uint8_t { Save, Restore, Transform, Clip, Path, Rect, Ellipse, Picture, Text };
    struct Command {
        explicit Command(Op kind, std::uint32_t a = 0) : Kind(kind), A(a) {}
        Op Kind;
        std::uint32_t A = 0; // Transform, Clip, Path: the resource; Rect, Ellipse: the pen; Picture,
                             // Text: the picture, the text
        std::uint32_t B = 0; // Path: the pen; Rect, Ellipse: the brush
        std::uint32_t C = 0; // Path: the brush
        QRectF Place;        // Rect, Ellipse, Picture
        qreal Opacity = 1;   // Picture
        bool Smooth = true;  // Clip, Path, Rect, Ellipse: antialiased
        bool Twice = false;  // Path, Rect, Ellipse: drawn antialiased first, then without over it
    };
    struct Text {
        QString Characters;
        std::uint32_t Font;
        QPointF At;
        QColor Color;
    };
    struct Font {
        QFont Face;       // family, weight, style and decorations; its size is set per device
        double PixelSize; // in the drawing's units
    };

    std::vector<Command> commands_;
    std::vector<QTransform> transforms_;
    // An outline as plain geometry: QPainterPath's elements (points and their kinds) and its fill
    // rule; each replay builds its own path of them.
    struct Outline {
        std::vector<QPainterPath::Element> Elements;
        Qt::FillRule Rule = Qt::OddEvenFill;
    };
    static QPainterPath PathOf(const Outline& outline);

    std::vector<Outline> paths_;
    std::vector<QPen> pens_;
    std::vector<QBrush> brushes_;
    std::vector<QImage> pictures_;
    std::vector<Font> fonts_;
    std::vector<Text> texts_;
    std::size_t bytes_ = 0;
    std::int64_t work_ = 0;
};

// Builds a display list in the drawing's units, counting against `limits` as it goes: a call that
// would pass them returns false, sets the error, and the recording is refused. The work is that of
// a redraw of the drawing's `size` (its frame) scaled to about a million pixels.
class DisplayListRecorder {
public:
    DisplayListRecorder(const DrawingLimits& limits, const QSizeF& size);

    // The longest text and font family kept are kMaxDrawingText and kMaxFamilyLength
    // (PictureLimits.h); the characters beyond are dropped.

    // An element of the drawing read, drawn or not.
    bool ReadElement();
    // The painter state: Restore gives back the transform and clip of the matching Save.
    bool Save();
    bool Restore();
    // The transform of the commands that follow (from the drawing's units to the replay's).
    bool SetTransform(const QTransform& transform);
    // An outline held for clips and fills; drawing it again costs its points, holding it once.
    std::uint32_t AddPath(const QPainterPath& path);
    // Intersects the clip with path `path` under the current transform.
    bool Clip(std::uint32_t path);
    bool FillPath(std::uint32_t path, const QPen& pen, const QBrush& brush);
    bool FillRect(const QRectF& rect, const QPen& pen, const QBrush& brush);
    bool FillEllipse(const QRectF& rect, const QPen& pen, const QBrush& brush);
    // Memory the caller holds for the drawing (clip paths): counted as the list's.
    bool Hold(std::size_t bytes);
    // A picture the caller decoded for the drawing: its bytes held and its decoding's work; and
    // how many pixels a picture decoded now may have.
    bool HoldPicture(const QImage& picture);
    std::int64_t PicturePixelsLeft() const;
    // Whether anything drawn under `transform` can show: a finite, invertible, affine transform.
    static bool CanDrawUnder(const QTransform& transform);

    // A picture held once by its data (QImage::cacheKey), drawn into `place`. Its bytes are the
    // caller's to count (HoldPicture) when it decodes it.
    bool DrawPicture(const QImage& picture, const QRectF& place, qreal opacity);
    // A brush over a picture: the picture is held once, as by DrawPicture; every fill costs its pixels.
    QBrush PictureBrush(const QImage& tile, const QTransform& tileTransform);
    // A text at the baseline point `at`, in a font of `pixelSize` drawing units.
    bool DrawText(const QString& characters, const QPointF& at, const QFont& face, double pixelSize,
                  const QColor& color);

    const std::string& Error() const { return error_; }
    DisplayList Finish();

private:
    bool Spend(std::int64_t work, std::size_t bytes);
    // Whether the fill of `path` about to be recorded (an unstroked one: `candidate`) shares an
    // edge with one of the last few, recorded right before it: those it abuts are then drawn
    // without antialiasing, as it will be.
    bool AbutsRecentFill(const QPainterPath& path, bool candidate);
    // How the first `count` of the last few fills are drawn, once no fill to come is compared with them.
    void SettleRecentFills(std::size_t count);
    // What filling the outline with the brush costs under the current transform.
    std::int64_t FillOf(const DrawingCost::Outline& outline, const QBrush& brush, bool smooth) const;
    std::uint32_t PenOf(const QPen& pen);
    std::uint32_t BrushOf(const QBrush& brush);
    std::int64_t BrushWork(std::uint32_t brush) const;
    std::uint32_t PictureOf(const QImage& picture);
    std::uint32_t FontOf(const QFont& face, double pixelSize);
    // The glyphs of a font drawn under the current transform's scale and turn: an index.
    std::uint64_t GlyphContextOf(std::uint32_t font);
    bool Fill(DisplayList::Op kind, std::uint32_t path, const QRectF& rect, const QPen& pen,
              const QBrush& brush, const QPainterPath& outline);

    DrawingLimits limits_;
    DrawingCost cost_;
    DisplayList list_;
    std::vector<QPainterPath> paths_; // the list's outlines, as measured while recording
    std::string error_;
    // Whether a command may be antialiased under the clips in force; what changing to it costs.
    bool SmoothUnderClips(bool smooth) const;
    std::int64_t SmoothWork(bool smooth);
    std::int64_t ClipsWork() const;

    struct Level {
        QTransform Transform;
        std::size_t Clips;
        bool Smooth;
    };
    struct ClipInForce {
        std::int64_t Points;
        std::int64_t Work; // rasterising it
        bool Smooth;
    };
    QTransform transform_;
    bool smooth_ = true; // the replay's antialiasing
    std::vector<Level> saved_;
    std::vector<ClipInForce> clips_; // outermost first
    std::unordered_map<qint64, std::uint32_t> pictureIndex_;
    std::map<std::tuple<QString, double, int, bool, bool, bool>, std::uint32_t> fontIndex_;
    std::map<std::tuple<std::uint32_t, double, double, double, double>, std::uint64_t> glyphContexts_;
    std::unordered_set<std::uint64_t> glyphs_; // drawn: the context above the character's 21 bits
    struct RecentFill {
        std::size_t Command;
        std::vector<std::uint64_t> Edges; // EdgeKey (DisplayList.cpp), sorted
        std::vector<bool> Shared;         // each edge, with another fill of the run
        bool Run = false;
        std::int64_t Again = -1; // its other pass, when it may be drawn antialiased and opaque
        std::int64_t Toggle = 0; // changing the antialiasing under its clips
    };
    static constexpr std::size_t kRecentFills = 4;
    std::vector<RecentFill> recentFills_; // unstroked fills, one right after the other
};

} // namespace platform

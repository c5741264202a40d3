#include "gui/QtCanvas.h"

#include "gui/DisplayList.h"

#include "gui/FontTable.h"
#include "gui/Image.h"
#include "gui/PageRecording.h"
#include "gui/PdfImages.h"
#include "gui/PaintAside.h"
#include "gui/PicturePixels.h"
#include "gui/QtSupport.h"
#include "gui/Region.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QImageWriter>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPicture>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <tuple>
#include <unordered_map>

namespace platform {

namespace {

// Glyphs named after a code point below this keep their names: a text's blanks and hyphens are
// not renamed after the no-break space or the soft hyphen that share their glyphs.
constexpr char32_t kFirstRenamed = 0x100;
// The quality of the JPEGs written for pictures on PDF pages.
constexpr int kPdfJpegQuality = 85;
// Pictures on PDF pages up to this many pixels are written losslessly (unless decoded from a JPEG).
constexpr qint64 kMostLosslessPixels = 512 * 512;

// The font of the program's start: what the canvas draws with before SetFont.
constexpr const char* kDefaultFace = "ＭＳ Ｐゴシック";
constexpr int kDefaultPixels = 12;

// Decodes the code point at text[i] and moves i past it; a broken sequence gives U+FFFD and
// moves one byte on.
char32_t NextCodePoint(std::string_view text, std::size_t& i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
    if (lead >= 0xF5) length = 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t code = lead & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        code = (code << 6) | (next & 0x3F);
    }
    i += static_cast<std::size_t>(length);
    return code;
}

// Per glyph of the face, the lowest code point of the basic plane its character map gives that
// glyph (0 for none): made once per face, kept for the process, shared by every thread.
const std::vector<char16_t>& LowestCodes(const QRawFont& raw)
{
    static std::mutex mutex;
    static std::map<QString, std::unique_ptr<const std::vector<char16_t>>> faces;
    const QString key = raw.familyName() + QLatin1Char('|') + raw.styleName() + QLatin1Char('|') +
                        QString::number(raw.weight()) + QLatin1Char('|') + QString::number(raw.style());
    const std::lock_guard lock(mutex);
    auto& codes = faces[key];
    if (!codes) {
        QString all;
        all.reserve(0x10000);
        for (char32_t code = 1; code < 0x10000; ++code)
            all += QChar(code >= 0xD800 && code < 0xE000 ? char16_t(0xFFFF) : static_cast<char16_t>(code));
        const QList<quint32> glyphs = raw.glyphIndexesForString(all);
        auto lowest = std::make_unique<std::vector<char16_t>>();
        for (qsizetype k = 0; k < glyphs.size(); ++k) {
            const quint32 glyph = glyphs[k];
            const auto code = static_cast<char16_t>(k + 1);
            if (glyph == 0 || glyph > 0xFFFF || (code >= 0xD800 && code < 0xE000) || code == 0xFFFF) continue;
            if (glyph >= lowest->size()) lowest->resize(glyph + 1, 0);
            if ((*lowest)[glyph] == 0) (*lowest)[glyph] = code;
        }
        codes = std::move(lowest);
    }
    return *codes;
}

// Where a code point is drawn from: the index of its face in the entry's raw fonts (−1 when no
// face has it) and its glyph, and how far it advances (unstretched).
struct GlyphInfo {
    int Font = -1;
    quint32 Glyph = 0;
    qreal Advance = 0;
};

// A font as the canvas draws it: the QFont, its metrics and, per code point met so far, the
// glyph and advance (fallback faces included). Shared by all canvases of the GUI thread.
class FontEntry {
public:
    explicit FontEntry(const FontSpec& spec)
        : Font(MakeQFont(spec, 96)), Metrics(Font), Ascent(Metrics.ascent())
    {
        const QFontMetrics whole(Font);
        Summary.Ascent = whole.ascent();
        Summary.Height = spec.Height > 0 ? spec.Height : whole.ascent() + whole.descent();
        Summary.Descent = Summary.Height - Summary.Ascent;
        Summary.InternalLeading = Summary.Height - Font.pixelSize();
        const qreal average = Metrics.horizontalAdvance(QLatin1Char('x'));
        if (spec.Width > 0 && average > 0) XScale = spec.Width / average;
        Summary.AveCharWidth = static_cast<int>(std::lround(average * XScale));
    }

    const GlyphInfo& Lookup(char32_t code)
    {
        if (code < ascii_.size()) {
            GlyphInfo& info = ascii_[code];
            if (!asciiKnown_[code]) {
                info = Resolve(code);
                asciiKnown_[code] = true;
            }
            return info;
        }
        auto found = others_.find(code);
        if (found == others_.end()) found = others_.emplace(code, Resolve(code)).first;
        return found->second;
    }

    // The lowest code point of the basic plane that the glyph's face draws with the same glyph,
    // as Qt's PDF font subsets name a glyph; 0 when unknown.
    char32_t LowestCodeOf(const GlyphInfo& info)
    {
        if (info.Font < 0) return 0;
        const auto face = static_cast<std::size_t>(info.Font);
        if (lowest_.size() <= face) lowest_.resize(face + 1, nullptr);
        if (!lowest_[face]) lowest_[face] = &LowestCodes(RawFonts[face]);
        const std::vector<char16_t>& lowest = *lowest_[face];
        return info.Glyph < lowest.size() ? lowest[info.Glyph] : 0;
    }

    QFont Font;
    QFontMetricsF Metrics;
    qreal Ascent;
    FontMetrics Summary;
    qreal XScale = 1;
    std::vector<QRawFont> RawFonts;

private:
    GlyphInfo Resolve(char32_t code)
    {
        const QString text = QString::fromUcs4(&code, 1);
        GlyphInfo info;
        info.Advance = Metrics.horizontalAdvance(text);
        QTextLayout layout(text, Font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.isEmpty() || runs.front().glyphIndexes().isEmpty()) return info;
        const QRawFont raw = runs.front().rawFont();
        info.Glyph = runs.front().glyphIndexes().front();
        for (std::size_t k = 0; k < RawFonts.size(); ++k)
            if (RawFonts[k] == raw) info.Font = static_cast<int>(k);
        if (info.Font < 0) {
            info.Font = static_cast<int>(RawFonts.size());
            RawFonts.push_back(raw);
        }
        return info;
    }

    std::array<GlyphInfo, 128> ascii_{};
    std::array<bool, 128> asciiKnown_{};
    std::unordered_map<char32_t, GlyphInfo> others_;
    std::vector<const std::vector<char16_t>*> lowest_;  // LowestCodes of each raw font, once asked
};

using FontKey = std::tuple<std::string, int, int, int, bool>;

FontKey KeyOf(const FontSpec& spec) { return {spec.Face, spec.Height, spec.Width, spec.Weight, spec.Italic}; }

// The entries by key; dropped when the application goes down (Qt's fonts must not outlive it).
std::map<FontKey, std::shared_ptr<FontEntry>>*& FontCache()
{
    static std::map<FontKey, std::shared_ptr<FontEntry>>* cache = nullptr;
    return cache;
}

void DropFontCache()
{
    delete FontCache();
    FontCache() = nullptr;
}

std::shared_ptr<FontEntry> EntryFor(const FontSpec& spec)
{
    if (spec.Height == 0) return nullptr;
    auto*& cache = FontCache();
    if (!cache) {
        cache = new std::map<FontKey, std::shared_ptr<FontEntry>>();
        qAddPostRoutine(DropFontCache);
    }
    FontKey key = KeyOf(spec);
    auto found = cache->find(key);
    if (found != cache->end()) return found->second;
    constexpr std::size_t kMostEntries = 512;
    if (cache->size() >= kMostEntries) cache->clear();  // canvases keep theirs alive
    return cache->emplace(std::move(key), std::make_shared<FontEntry>(spec)).first->second;
}

Qt::PenStyle ToQtPenStyle(PenStyle style)
{
    switch (style) {
    case PenStyle::Solid: return Qt::SolidLine;
    case PenStyle::Dash: return Qt::DashLine;
    case PenStyle::Dot: return Qt::DotLine;
    case PenStyle::DashDot: return Qt::DashDotLine;
    case PenStyle::DashDotDot: return Qt::DashDotDotLine;
    case PenStyle::Null: return Qt::NoPen;
    }
    return Qt::SolidLine;
}

QPen ToQPen(const Pen& pen)
{
    QPen result(ToQColor(pen.Color), std::max(0, pen.Width), ToQtPenStyle(pen.Style), Qt::FlatCap, Qt::MiterJoin);
    if (pen.Width <= 0) result.setCosmetic(true);
    return result;
}

QBrush ToQBrush(const Brush& brush) { return brush.Null ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.Color)); }

QPainter::CompositionMode ToCompositionMode(RasterOp op)
{
    switch (op) {
    case RasterOp::Copy: return QPainter::CompositionMode_SourceOver;
    case RasterOp::Xor: return QPainter::RasterOp_SourceXorDestination;
    case RasterOp::Not: return QPainter::RasterOp_NotDestination;
    }
    return QPainter::CompositionMode_SourceOver;
}

FontSpec DefaultFont(int dpiY)
{
    FontSpec font;
    font.Face = kDefaultFace;
    font.Height = -std::max(1, kDefaultPixels * dpiY / 96);
    return font;
}

// A code point of a text with where it stands (its left edge) in unstretched pixels.
struct PlacedGlyph {
    const GlyphInfo* Info;
    char32_t Code;
    qreal Left;
};

// Code points Qt sets one after another at their own advances (no marks, no joining, no
// right-to-left runs, no controls).
bool SetsPlainly(char32_t c)
{
    const bool cjk = c >= 0x3000 && c < 0xA000 && !(c >= 0x302A && c <= 0x302F) && c != 0x3099 && c != 0x309A;
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x300) || cjk || (c >= 0xFF01 && c < 0xFFF0);
}

bool IsAsciiLetter(char32_t c) { return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'); }

} // namespace

struct QtCanvas::Impl {
    // What the painter's pen and brush hold. Texts and fills set theirs only when they differ;
    // figures set the current ones back. Unknown after the painter was handed out.
    enum class PenUse : std::uint8_t { Current, Text, Null, Unknown };
    enum class BrushUse : std::uint8_t { Current, Fill, Unknown };

    struct State {
        Pen CurrentPen;
        Brush CurrentBrush;
        FontSpec Font;
        std::shared_ptr<FontEntry> Entry;
        TColor TextColor = 0;
        RasterOp Op = RasterOp::Copy;
        PenUse PainterPen = PenUse::Current;
        TColor PainterPenColor = 0;  // of PenUse::Text
        BrushUse PainterBrush = BrushUse::Current;
        TColor PainterFillColor = 0;  // of BrushUse::Fill
        std::shared_ptr<FontEntry> PainterFont;  // the entry whose font the painter holds
    };

    Impl(QPainter& painter, int dpiX, int dpiY, CanvasKind kind)
        : Painter(painter), DpiX(dpiX > 0 ? dpiX : 96), DpiY(dpiY > 0 ? dpiY : 96), Kind(kind)
    {
        const QPaintEngine* engine = painter.paintEngine();
        RasterOps = (kind == CanvasKind::Screen || kind == CanvasKind::Image) && engine &&
                    engine->hasFeature(QPaintEngine::RasterOpModes);
        // Qt's PDF engine names a subset's glyphs from the font's own character map, so glyph runs
        // keep a PDF's text as characters do; pictures record only the characters they are given.
        GlyphRuns = engine && (engine->type() == QPaintEngine::Raster || engine->type() == QPaintEngine::Pdf);
        NotesSharedGlyphs = kind == CanvasKind::Pdf || kind == CanvasKind::Metafile;
        Pdf = engine && engine->type() == QPaintEngine::Pdf;
        FillsDirect = engine && engine->isExtended();
        Painter.setRenderHint(QPainter::Antialiasing, false);
        Painter.setRenderHint(QPainter::TextAntialiasing, true);
        Painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        Current.Font = DefaultFont(DpiY);
        Current.Entry = EntryFor(Current.Font);
        Painter.setPen(ToQPen(Current.CurrentPen));
        Painter.setBrush(ToQBrush(Current.CurrentBrush));
        Painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    // An image onto a PDF page, written at no more pixels than the page's resolution gives its
    // place: a larger one is scaled down first. A JPEG that needs no scaling goes in as its own
    // bytes; a small bitmap is written losslessly, other pictures as JPEG.
    void DrawPdfImage(const QRectF& dst, const Image& image, const QRect& src)
    {
        const QRect whole = image.Q().rect();
        const QRect from = src.intersected(whole);
        if (from.isEmpty()) return;
        const QSize need = PixelsOf(dst);
        if (from == whole && from.width() <= need.width() && from.height() <= need.height()) {
            if (const int jpeg = PassJpeg(image); jpeg >= 0) {
                DrawStandIn(dst, jpeg);
                return;
            }
        }
        QImage drawn = Fitted(image.Q(), from, need);
        if (drawn.isNull() && from != whole) drawn = image.Q().copy(from);
        const QRectF drawnSrc = drawn.isNull() ? QRectF(src) : QRectF(drawn.rect());
        const QImage& written = drawn.isNull() ? image.Q() : drawn;
        const bool lossless = !image.HasJpeg() && static_cast<qint64>(written.width()) * written.height() <=
                                                      kMostLosslessPixels;
        // An opaque picture is written as a JPEG of our own quality (Qt's engine writes 94), once
        // for every place of its size.
        if (!lossless && !written.hasAlphaChannel()) {
            const OwnKey key{image.Q().cacheKey(), from.x(), from.y(), from.width(), from.height(),
                             written.width(),      written.height()};
            const auto known = ownNumbers_.find(key);
            const int jpeg = known != ownNumbers_.end() ? known->second : ownNumbers_[key] = OwnJpeg(written);
            if (jpeg >= 0) {
                DrawStandIn(dst, jpeg);
                return;
            }
        }
        const bool hinted = Painter.testRenderHint(QPainter::LosslessImageRendering);
        Painter.setRenderHint(QPainter::LosslessImageRendering, lossless);
        Painter.drawImage(dst, written, drawnSrc);
        Painter.setRenderHint(QPainter::LosslessImageRendering, hinted);
    }

    // The device pixels the painter gives a rectangle.
    QSize PixelsOf(const QRectF& dst) const
    {
        const QRectF place = Painter.combinedTransform().mapRect(dst);
        return {std::max(1, static_cast<int>(std::ceil(place.width() - 0.01))),
                std::max(1, static_cast<int>(std::ceil(place.height() - 0.01)))};
    }

    // The part `from` of the pixels scaled down to `need` where it has more; null when it has not.
    static QImage Fitted(const QImage& pixels, const QRect& from, QSize need)
    {
        if (from.width() <= need.width() && from.height() <= need.height()) return {};
        const QSize size(std::min(from.width(), need.width()), std::min(from.height(), need.height()));
        // The whole picture is scaled as it is: a copy of a photograph's pixels costs as much again.
        return (from == pixels.rect() ? pixels : pixels.copy(from))
            .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }

    // An image onto a canvas that holds no more pixels than its device gives the place.
    void DrawCappedImage(const QRectF& dst, const Image& image, const QRect& src)
    {
        const QRect from = src.intersected(image.Q().rect());
        if (from.isEmpty()) return;
        const QImage drawn = Fitted(image.Q(), from, PixelsOf(dst));
        if (drawn.isNull())
            Painter.drawImage(dst, image.Q(), QRectF(src));
        else
            Painter.drawImage(dst, drawn, QRectF(drawn.rect()));
    }

    void DrawStandIn(const QRectF& dst, int jpeg)
    {
        const QImage& standIn = JpegStandIns[static_cast<std::size_t>(jpeg)];
        const bool hinted = Painter.testRenderHint(QPainter::LosslessImageRendering);
        Painter.setRenderHint(QPainter::LosslessImageRendering, true);
        Painter.drawImage(dst, standIn, QRectF(standIn.rect()));
        Painter.setRenderHint(QPainter::LosslessImageRendering, hinted);
    }

    // The number of the stand-in for the pixels encoded as a JPEG, or -1 when they do not encode.
    int OwnJpeg(const QImage& pixels)
    {
        QByteArray encoded;
        QBuffer buffer(&encoded);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(kPdfJpegQuality);
        if (!writer.write(pixels)) return -1;
        const std::optional<PdfJpeg> jpeg =
            ReadPdfJpeg(std::make_shared<const std::string>(encoded.constData(), static_cast<std::size_t>(encoded.size())));
        if (!jpeg || jpeg->Width != pixels.width() || jpeg->Height != pixels.height()) return -1;
        const int number = static_cast<int>(PassedJpegs.size());
        PassedJpegs.push_back(*jpeg);
        JpegStandIns.push_back(JpegStandIn(number));
        return number;
    }

    // The number of the stand-in drawn for the image's JPEG file (made on first use), or -1 when
    // the file cannot go into a PDF as it is or is not what the pixels show.
    int PassJpeg(const Image& image)
    {
        const std::shared_ptr<const std::string>& bytes = image.GetJpeg();
        if (!bytes) return -1;
        auto& known = jpegNumbers_[bytes.get()];
        if (known.first) return known.second;
        known = {bytes, -1};
        const std::optional<PdfJpeg> jpeg = ReadPdfJpeg(bytes);
        if (jpeg && jpeg->Width == image.GetWidth() && jpeg->Height == image.GetHeight()) {
            known.second = static_cast<int>(PassedJpegs.size());
            PassedJpegs.push_back(*jpeg);
            JpegStandIns.push_back(JpegStandIn(known.second));
        }
        return known.second;
    }

    // False while a raster op is chosen that this device cannot do.
    bool Drawable() const { return Current.Op == RasterOp::Copy || RasterOps; }

    void UsePen()
    {
        if (Current.PainterPen == PenUse::Current) return;
        Painter.setPen(ToQPen(Current.CurrentPen));
        Current.PainterPen = PenUse::Current;
    }

    void UseBrush()
    {
        if (Current.PainterBrush == BrushUse::Current) return;
        Painter.setBrush(ToQBrush(Current.CurrentBrush));
        Current.PainterBrush = BrushUse::Current;
    }

    void UseTextPen(TColor color)
    {
        if (Current.PainterPen == PenUse::Text && Current.PainterPenColor == color) return;
        Painter.setPen(ToQColor(color));
        Current.PainterPen = PenUse::Text;
        Current.PainterPenColor = color;
    }

    // The painter as callers get it: the current pen and brush set, nothing assumed afterwards.
    QPainter* HandOut()
    {
        UsePen();
        UseBrush();
        Current.PainterPen = PenUse::Unknown;
        Current.PainterBrush = BrushUse::Unknown;
        Current.PainterFont.reset();
        return &Painter;
    }

    // QPainter::fillRect on engines other than the raster ones sets and restores the pen and brush
    // around each rectangle, which pictures record and PDF pages write; there they are set once.
    template <typename R>
    void Fill(const R& rect, TColor color)
    {
        if (FillsDirect) {
            Painter.fillRect(rect, ToQColor(color));
            return;
        }
        if (Current.PainterPen != PenUse::Null) {
            Painter.setPen(Qt::NoPen);
            Current.PainterPen = PenUse::Null;
        }
        if (Current.PainterBrush != BrushUse::Fill || Current.PainterFillColor != color) {
            Painter.setBrush(ToQColor(color));
            Current.PainterBrush = BrushUse::Fill;
            Current.PainterFillColor = color;
        }
        Painter.drawRect(rect);
    }

    // The rectangle a figure's path takes so that a thin pen's outline stays inside `rect`.
    QRectF FigureRect(const Rect& rect) const
    {
        if (Current.CurrentPen.Style == PenStyle::Null) return QRectF(ToQRect(rect));
        if (Current.CurrentPen.Width <= 1) return QRectF(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1);
        const qreal half = Current.CurrentPen.Width / 2.0;
        return QRectF(rect.Left + half, rect.Top + half, rect.Width() - 2 * half, rect.Height() - 2 * half);
    }

    // A thin dotted outline without fill on a raster device: the pixels Qt's own dotted pen gives
    // (every third pixel walking clockwise from the top left corner, the first one on), each edge
    // filled with a dotted pattern. Columns go in short pieces: Qt hands fills of many rows to its
    // thread pool, which costs far more than the dots. False when Qt draws it.
    bool DrawDottedOutline(const Rect& rect)
    {
        const Pen& pen = Current.CurrentPen;
        if (pen.Style != PenStyle::Dot || pen.Width > 1 || !Current.CurrentBrush.Null || rect.Width() < 3 ||
            rect.Height() < 2 || Painter.paintEngine()->type() != QPaintEngine::Raster ||
            Painter.testRenderHint(QPainter::Antialiasing))
            return false;
        const QTransform& transform = Painter.worldTransform();
        if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx()) ||
            transform.dy() != std::floor(transform.dy()))
            return false;
        UseDotPatterns(pen.Color);
        // Not turns the dots as Xor with white turns them.
        if (Current.Op == RasterOp::Not) Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        const int left = rect.Left, top = rect.Top, right = rect.Right - 1, bottom = rect.Bottom - 1;
        const int across = right - left, down = bottom - top;
        // Each edge with the pattern's origin placed so that its dots fall where the walk has them.
        const auto row = [&](int x, int y, int width, int origin) {
            QBrush brush(dotRow_);
            brush.setTransform(QTransform::fromTranslate(origin, 0));
            Painter.fillRect(QRect(x, y, width, 1), brush);
        };
        const auto column = [&](int x, int y, int height, int origin) {
            QBrush brush(dotColumn_);
            brush.setTransform(QTransform::fromTranslate(0, origin));
            constexpr int kRows = 64;
            for (int first = 0; first < height; first += kRows)
                Painter.fillRect(QRect(x, y + first, 1, std::min(kRows, height - first)), brush);
        };
        row(left, top, across, left);
        column(right, top, down, top - across);
        row(left + 1, bottom, across, right + across + down - 2);
        column(left, top + 1, down, bottom + 2 * across + down - 2);
        if (2 * (across + down) % 3 == 1) row(left, top, 1, left - 1);
        if (Current.Op == RasterOp::Not) Painter.setCompositionMode(ToCompositionMode(RasterOp::Not));
        return true;
    }

    // The dotted patterns of a row and a column (a dot in the middle of three pixels) for the
    // colour and the raster op.
    void UseDotPatterns(TColor color)
    {
        if (!dotRow_.isNull() && dotColor_ == color && dotOp_ == Current.Op) return;
        dotColor_ = color;
        dotOp_ = Current.Op;
        const bool raster = Current.Op != RasterOp::Copy;
        const QRgb dot = Current.Op == RasterOp::Not ? 0xFFFFFFFF : ToQColor(color).rgba();
        const QRgb gap = raster ? 0xFF000000 : 0;
        const QImage::Format format = raster ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
        dotRow_ = QImage(3, 1, format);
        dotColumn_ = QImage(1, 3, format);
        for (int i = 0; i < 3; ++i) {
            dotRow_.setPixel(i, 0, i == 1 ? dot : gap);
            dotColumn_.setPixel(0, i, i == 1 ? dot : gap);
        }
    }

    // Places the code points of the text; the result lives until the next call.
    const std::vector<PlacedGlyph>& Place(FontEntry& entry, std::string_view text, qreal* width)
    {
        placed_.clear();
        qreal left = 0;
        for (std::size_t i = 0; i < text.size();) {
            const char32_t code = NextCodePoint(text, i);
            const GlyphInfo& info = entry.Lookup(code);
            placed_.push_back({&info, code, left});
            left += info.Advance;
        }
        *width = left;
        return placed_;
    }

    // Whether the text is drawn in the painter's own coordinates (no turn, no stretch).
    bool Upright(const FontEntry& entry) const { return Current.Font.Escapement == 0 && entry.XScale == 1; }

    // Moves the painter to the text's cell at (x, y), turned and stretched; gives the old transform.
    QTransform EnterText(const FontEntry& entry, int x, int y)
    {
        const QTransform saved = Painter.transform();
        Painter.translate(x, y);
        if (Current.Font.Escapement != 0) Painter.rotate(-Current.Font.Escapement / 10.0);
        if (entry.XScale != 1) Painter.scale(entry.XScale, 1);
        return saved;
    }

    void DrawText(int x, int y, std::string_view text)
    {
        FontEntry* entry = Current.Entry.get();
        if (!entry || text.empty() || !Drawable()) return;
        qreal width = 0;
        const std::vector<PlacedGlyph>& placed = Place(*entry, text, &width);
        // Upright text goes to (x, y) directly: a transform per text costs pictures and PDF pages.
        const bool upright = Upright(*entry);
        const QPointF origin = upright ? QPointF(x, y) : QPointF();
        const QTransform saved = upright ? QTransform() : EnterText(*entry, x, y);
        const qreal cellHeight = Current.Entry->Summary.Height;
        if (!Current.CurrentBrush.Null)
            Fill(QRectF(origin.x(), origin.y(), width, cellHeight), Current.CurrentBrush.Color);

        UseTextPen(Current.TextColor);
        if (GlyphRuns)
            DrawGlyphRuns(*entry, placed, origin);
        else
            DrawCharacters(*entry, placed, text, width, origin);
        if (NotesSharedGlyphs)
            for (const PlacedGlyph& glyph : placed)
                if (glyph.Code > 0x7F && glyph.Code < 0x10000 && glyph.Info->Font >= 0)
                    if (const char32_t lowest = entry->LowestCodeOf(*glyph.Info);
                        lowest >= kFirstRenamed && lowest != glyph.Code)
                        SharedGlyphs[lowest] = glyph.Code;
        const FontSpec& font = Current.Font;
        if (font.Underline || font.StrikeOut) {
            const qreal line = std::max<qreal>(1, entry->Metrics.lineWidth());
            if (font.Underline)
                Fill(QRectF(origin.x(), origin.y() + entry->Ascent + entry->Metrics.underlinePos(), width, line),
                     Current.TextColor);
            if (font.StrikeOut)
                Fill(QRectF(origin.x(), origin.y() + entry->Ascent - entry->Metrics.strikeOutPos(), width, line),
                     Current.TextColor);
        }
        if (!upright) Painter.setTransform(saved);
    }

    // One glyph run per face, glyphs at their edges on the baseline.
    void DrawGlyphRuns(const FontEntry& entry, const std::vector<PlacedGlyph>& placed, QPointF origin)
    {
        const std::size_t faces = entry.RawFonts.size();
        runGlyphs_.resize(faces);
        runPositions_.resize(faces);
        for (std::size_t f = 0; f < faces; ++f) {
            runGlyphs_[f].clear();
            runPositions_[f].clear();
        }
        for (const PlacedGlyph& glyph : placed) {
            if (glyph.Info->Font < 0) continue;
            const auto f = static_cast<std::size_t>(glyph.Info->Font);
            runGlyphs_[f].append(glyph.Info->Glyph);
            runPositions_[f].append(QPointF(glyph.Left, entry.Ascent));
        }
        for (std::size_t f = 0; f < faces; ++f) {
            if (runGlyphs_[f].isEmpty()) continue;
            QGlyphRun run;
            run.setRawFont(entry.RawFonts[f]);
            run.setGlyphIndexes(runGlyphs_[f]);
            run.setPositions(runPositions_[f]);
            Painter.drawGlyphRun(origin, run);
        }
    }

    // As text, so that pictures keep the characters rather than bare glyphs: the whole text at once
    // where Qt sets it as it is placed, otherwise character by character.
    void DrawCharacters(const FontEntry& entry, const std::vector<PlacedGlyph>& placed, std::string_view text,
                        qreal width, QPointF origin)
    {
        if (Current.PainterFont.get() != &entry) {
            Painter.setFont(entry.Font);
            Current.PainterFont = Current.Entry;
        }
        const QPointF baseline = origin + QPointF(0, entry.Ascent);
        if (WholeText(entry, placed, text, width)) {
            Painter.drawText(baseline, wholeText_);
            return;
        }
        for (const PlacedGlyph& glyph : placed) {
            if (glyph.Code == U' ' || glyph.Info->Font < 0) continue;
            Painter.drawText(baseline + QPointF(glyph.Left, 0), QString::fromUcs4(&glyph.Code, 1));
        }
    }

    // Fills wholeText_ when Qt lays the text out glyph for glyph as placed: every character has a
    // glyph and is set plainly; a run of letters, which a ligature may join, is measured.
    bool WholeText(const FontEntry& entry, const std::vector<PlacedGlyph>& placed, std::string_view text, qreal width)
    {
        bool letters = false;
        for (std::size_t k = 0; k < placed.size(); ++k) {
            const PlacedGlyph& glyph = placed[k];
            if (glyph.Info->Font < 0 || !SetsPlainly(glyph.Code)) return false;
            letters = letters || (k > 0 && IsAsciiLetter(glyph.Code) && IsAsciiLetter(placed[k - 1].Code));
        }
        wholeText_ = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        return !letters || std::abs(entry.Metrics.horizontalAdvance(wholeText_) - width) < 0.01;
    }

    QPainter& Painter;
    int DpiX;
    int DpiY;
    CanvasKind Kind;
    bool RasterOps = false;
    bool GlyphRuns = false;  // raster and PDF devices draw glyphs; pictures are given characters
    bool NotesSharedGlyphs = false;
    bool Pdf = false;  // a PDF page: pictures are written at the page's resolution
    bool CapsImages = false;
    std::vector<PdfJpeg> PassedJpegs;  // by stand-in number
    std::vector<QImage> JpegStandIns;
    bool FillsDirect = false;  // QPainter::fillRect leaves the pen and brush alone
    State Current;
    std::vector<State> Saved;
    Point Position;
    std::map<char32_t, char32_t> SharedGlyphs;

private:
    std::vector<PlacedGlyph> placed_;
    // JPEG files met on a PDF page, held while met, with their stand-in numbers (-1: drawn as pixels).
    std::map<const std::string*, std::pair<std::shared_ptr<const std::string>, int>> jpegNumbers_;
    // The JPEGs written of pictures: the image, the part drawn and its size written.
    using OwnKey = std::tuple<qint64, int, int, int, int, int, int>;
    std::map<OwnKey, int> ownNumbers_;
    QImage dotRow_;
    QImage dotColumn_;
    TColor dotColor_ = 0;
    RasterOp dotOp_ = RasterOp::Copy;
    std::vector<QList<quint32>> runGlyphs_;
    std::vector<QList<QPointF>> runPositions_;
    QString wholeText_;
};

QtCanvas::QtCanvas(QPainter& painter, int dpiX, int dpiY, CanvasKind kind)
    : impl_(std::make_unique<Impl>(painter, dpiX, dpiY, kind))
{
}

QtCanvas::~QtCanvas() = default;

int QtCanvas::DpiX() const { return impl_->DpiX; }
int QtCanvas::DpiY() const { return impl_->DpiY; }
CanvasKind QtCanvas::Kind() const { return impl_->Kind; }
QPainter* QtCanvas::GetPainter() { return impl_->HandOut(); }
const std::map<char32_t, char32_t>& QtCanvas::SharedGlyphs() const { return impl_->SharedGlyphs; }
const std::vector<PdfJpeg>& QtCanvas::PassedJpegs() const { return impl_->PassedJpegs; }
void QtCanvas::CapImagesToResolution() { impl_->CapsImages = true; }

void QtCanvas::Save()
{
    impl_->Saved.push_back(impl_->Current);
    impl_->Painter.save();
}

void QtCanvas::Restore()
{
    if (impl_->Saved.empty()) return;
    impl_->Current = std::move(impl_->Saved.back());
    impl_->Saved.pop_back();
    impl_->Painter.restore();
}

void QtCanvas::SetPen(const Pen& pen)
{
    Impl::State& state = impl_->Current;
    if (pen == state.CurrentPen) return;
    state.CurrentPen = pen;
    if (state.PainterPen == Impl::PenUse::Current) state.PainterPen = Impl::PenUse::Unknown;
}
const Pen& QtCanvas::GetPen() const { return impl_->Current.CurrentPen; }

void QtCanvas::SetBrush(const Brush& brush)
{
    Impl::State& state = impl_->Current;
    if (brush == state.CurrentBrush) return;
    state.CurrentBrush = brush;
    if (state.PainterBrush == Impl::BrushUse::Current) state.PainterBrush = Impl::BrushUse::Unknown;
}
const Brush& QtCanvas::GetBrush() const { return impl_->Current.CurrentBrush; }

void QtCanvas::SetFont(const FontSpec& font)
{
    Impl::State& state = impl_->Current;
    if (font == state.Font) return;
    const bool sameFace = state.Entry && KeyOf(font) == KeyOf(state.Font);
    state.Font = font;
    if (!sameFace) state.Entry = EntryFor(font);
}
const FontSpec& QtCanvas::GetFont() const { return impl_->Current.Font; }

void QtCanvas::SetTextColor(TColor color) { impl_->Current.TextColor = color; }
TColor QtCanvas::GetTextColor() const { return impl_->Current.TextColor; }

void QtCanvas::SetRasterOp(RasterOp op)
{
    impl_->Current.Op = op;
    if (impl_->RasterOps) impl_->Painter.setCompositionMode(ToCompositionMode(op));
}
RasterOp QtCanvas::GetRasterOp() const { return impl_->Current.Op; }

void QtCanvas::MoveTo(int x, int y) { impl_->Position = {x, y}; }

void QtCanvas::LineTo(int x, int y)
{
    if (impl_->Drawable()) {
        impl_->UsePen();
        impl_->Painter.drawLine(QPoint(impl_->Position.X, impl_->Position.Y), QPoint(x, y));
    }
    impl_->Position = {x, y};
}

namespace {

QPolygon ToQPolygon(const std::vector<Point>& points)
{
    QPolygon polygon(static_cast<int>(points.size()));
    for (std::size_t i = 0; i < points.size(); ++i) polygon.setPoint(static_cast<int>(i), points[i].X, points[i].Y);
    return polygon;
}

} // namespace

void QtCanvas::Polyline(const std::vector<Point>& points)
{
    if (points.size() < 2 || !impl_->Drawable()) return;
    impl_->UsePen();
    impl_->Painter.drawPolyline(ToQPolygon(points));
}

void QtCanvas::Polygon(const std::vector<Point>& points)
{
    if (points.size() < 2 || !impl_->Drawable()) return;
    impl_->UsePen();
    impl_->UseBrush();
    impl_->Painter.drawPolygon(ToQPolygon(points), Qt::OddEvenFill);
}

void QtCanvas::Rectangle(const Rect& rect)
{
    if (rect.IsEmpty() || !impl_->Drawable()) return;
    if (impl_->DrawDottedOutline(rect)) return;
    impl_->UsePen();
    impl_->UseBrush();
    impl_->Painter.drawRect(impl_->FigureRect(rect));
}

void QtCanvas::Ellipse(const Rect& rect)
{
    if (rect.IsEmpty() || !impl_->Drawable()) return;
    impl_->UsePen();
    impl_->UseBrush();
    impl_->Painter.drawEllipse(impl_->FigureRect(rect));
}

void QtCanvas::RoundRect(const Rect& rect, int cornerWidth, int cornerHeight)
{
    if (rect.IsEmpty() || !impl_->Drawable()) return;
    impl_->UsePen();
    impl_->UseBrush();
    impl_->Painter.drawRoundedRect(impl_->FigureRect(rect), std::max(0, cornerWidth) / 2.0,
                                   std::max(0, cornerHeight) / 2.0, Qt::AbsoluteSize);
}

void QtCanvas::FillRect(const Rect& rect, TColor color)
{
    if (rect.IsEmpty() || !impl_->Drawable()) return;
    impl_->Fill(ToQRect(rect), color);
}

void QtCanvas::FrameRect(const Rect& rect, TColor color)
{
    if (rect.IsEmpty() || !impl_->Drawable()) return;
    Impl& d = *impl_;
    d.Fill(QRect(rect.Left, rect.Top, rect.Width(), 1), color);
    if (rect.Height() > 1) d.Fill(QRect(rect.Left, rect.Bottom - 1, rect.Width(), 1), color);
    if (rect.Height() > 2) {
        d.Fill(QRect(rect.Left, rect.Top + 1, 1, rect.Height() - 2), color);
        if (rect.Width() > 1) d.Fill(QRect(rect.Right - 1, rect.Top + 1, 1, rect.Height() - 2), color);
    }
}

void QtCanvas::FillRegion(const Region& region, TColor color)
{
    if (region.IsEmpty() || !impl_->Drawable()) return;
    for (const QRect& rect : region.Q()) impl_->Fill(rect, color);
}

void QtCanvas::IntersectClip(const Rect& rect)
{
    // Qt takes an intersection without a clip as a replacement itself, except on a picture, which
    // must record the intersection so that its replay stays inside the replaying clip.
    impl_->Painter.setClipRect(ToQRect(rect), Qt::IntersectClip);
}

void QtCanvas::IntersectClip(const Region& region)
{
    impl_->Painter.setClipRegion(region.Q(), Qt::IntersectClip);
}

void QtCanvas::SelectClip(const Region* region)
{
    QPainter& p = impl_->Painter;
    if (region)
        p.setClipRegion(region->Q(), Qt::ReplaceClip);
    else
        p.setClipping(false);
}

Region QtCanvas::GetClip() const
{
    const QPainter& p = impl_->Painter;
    if (p.hasClipping()) return Region(p.clipRegion());
    const QPaintDevice* device = p.device();
    return Region(Rect{0, 0, device ? device->width() : 0, device ? device->height() : 0});
}

void QtCanvas::TextOut(int x, int y, std::string_view text) { impl_->DrawText(x, y, text); }

void QtCanvas::TextRect(const Rect& clip, int x, int y, std::string_view text)
{
    if (!impl_->Drawable()) return;
    CanvasState state(*this);
    IntersectClip(clip);
    if (!impl_->Current.CurrentBrush.Null) FillRect(clip, impl_->Current.CurrentBrush.Color);
    impl_->DrawText(x, y, text);
}

std::vector<int> QtCanvas::CharEdges(std::string_view text)
{
    std::vector<int> edges;
    edges.reserve(text.size());
    FontEntry* entry = impl_->Current.Entry.get();
    qreal right = 0;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t code = NextCodePoint(text, i);
        if (entry) right += entry->Lookup(code).Advance;
        edges.push_back(entry ? static_cast<int>(std::lround(right * entry->XScale)) : 0);
    }
    return edges;
}

Point QtCanvas::TextExtent(std::string_view text)
{
    const FontEntry* entry = impl_->Current.Entry.get();
    if (!entry) return {};
    const std::vector<int> edges = CharEdges(text);
    return {edges.empty() ? 0 : edges.back(), entry->Summary.Height};
}

FontMetrics QtCanvas::GetFontMetrics()
{
    const FontEntry* entry = impl_->Current.Entry.get();
    return entry ? entry->Summary : FontMetrics{};
}

void QtCanvas::TextOutline(int x, int y, std::string_view text, bool fill)
{
    FontEntry* entry = impl_->Current.Entry.get();
    if (!entry || text.empty() || !impl_->Drawable()) return;
    qreal width = 0;
    QPainterPath path;
    for (const PlacedGlyph& glyph : impl_->Place(*entry, text, &width)) {
        if (glyph.Info->Font < 0) continue;
        const QRawFont& raw = entry->RawFonts[static_cast<std::size_t>(glyph.Info->Font)];
        path.addPath(raw.pathForGlyph(glyph.Info->Glyph).translated(glyph.Left, entry->Ascent));
    }
    QPainter& p = impl_->Painter;
    const QTransform saved = impl_->EnterText(*entry, x, y);
    impl_->UsePen();
    if (fill) {
        impl_->UseBrush();
    } else {
        p.setBrush(Qt::NoBrush);
        impl_->Current.PainterBrush = Impl::BrushUse::Unknown;
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.drawPath(path);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setTransform(saved);
}

void QtCanvas::DrawImage(const Rect& dst, const Image& image, const Rect& src, bool mirrorX, bool mirrorY)
{
    if (dst.IsEmpty() || src.IsEmpty() || image.IsEmpty() || !impl_->Drawable()) return;
    QPainter& p = impl_->Painter;
    const QTransform saved = p.transform();
    if (mirrorX || mirrorY) {
        p.translate(mirrorX ? dst.Left + dst.Right : 0, mirrorY ? dst.Top + dst.Bottom : 0);
        p.scale(mirrorX ? -1 : 1, mirrorY ? -1 : 1);
    }
    if (impl_->Pdf)
        impl_->DrawPdfImage(QRectF(ToQRect(dst)), image, ToQRect(src));
    else if (impl_->CapsImages)
        impl_->DrawCappedImage(QRectF(ToQRect(dst)), image, ToQRect(src));
    else
        p.drawImage(QRectF(ToQRect(dst)), image.Q(), QRectF(ToQRect(src)));
    p.setTransform(saved);
}

void QtCanvas::DrawMetafile(const Rect& dst, const PageRecording& metafile, JobWaiter* waiter)
{
    if (dst.IsEmpty() || metafile.IsEmpty() || metafile.GetWidth() <= 0 || metafile.GetHeight() <= 0 ||
        !impl_->Drawable())
        return;
    QPainter& p = impl_->Painter;
    // A picture wholly outside the pixels the painter may touch is not replayed.
    const std::optional<Rect> bounds = PaintableBounds(*this);
    if (bounds && (dst.Right <= bounds->Left || dst.Left >= bounds->Right || dst.Bottom <= bounds->Top ||
                   dst.Top >= bounds->Bottom))
        return;
    p.save();
    IntersectClip(dst);
    // A screen is given a drawing's pixels, made off the window's thread.
    const bool shown = Kind() == CanvasKind::Screen;
    if (metafile.GetDrawing() && shown) {
        ProgramPicturePixels().Draw(p, metafile.SharedDrawing(), metafile.GetWidth(), metafile.GetHeight(),
                                    QRectF(ToQRect(dst)), waiter);
        p.restore();
        return;
    }
    p.translate(dst.Left, dst.Top);
    const qreal scaleX = static_cast<qreal>(dst.Width()) / metafile.GetWidth();
    const qreal scaleY = static_cast<qreal>(dst.Height()) / metafile.GetHeight();
    p.scale(scaleX, scaleY);
    // The pictures it holds by reference first, those in view only.
    QRectF visible;
    if (bounds)
        visible = QRectF((bounds->Left - dst.Left) / scaleX, (bounds->Top - dst.Top) / scaleY,
                         bounds->Width() / scaleX, bounds->Height() / scaleY);
    // QPicture replays scaled by the device's resolution over its own; that is undone here.
    const QPaintDevice* device = p.device();
    const QPicture& recording = metafile.Q();
    const qreal dpiRatioX = device ? static_cast<qreal>(device->logicalDpiX()) / recording.logicalDpiX() : 1;
    const qreal dpiRatioY = device ? static_cast<qreal>(device->logicalDpiY()) / recording.logicalDpiY() : 1;
    // The replay touches the painter and immutable drawings alone: off a screen it goes aside when
    // the canvas draws for a run, the painter this thread's again once it has ended. A recording's
    // replay moves its reading place, so a copy of its own is replayed there. A screen's pixels are
    // the GUI thread's.
    QPicture own;
    if (!metafile.GetDrawing() && !shown && !recording.isNull())
        own.setData(recording.data(), recording.size());
    const QPicture& picture = shown ? recording : own;
    // Its own hold on what it replays: events let through meanwhile may drop the caller's.
    const PageRecording held = metafile;
    const auto replay = [&p, &held, &visible, &picture, shown, waiter, dpiRatioX, dpiRatioY] {
        if (const DisplayList* drawing = held.GetDrawing()) {
            drawing->Replay(p);
            return;
        }
        held.ReplayPlaced(p, visible, shown, waiter);
        p.scale(1 / dpiRatioX, 1 / dpiRatioY);
        p.drawPicture(0, 0, picture);
    };
    try {
        if (shown)
            replay();
        else
            PaintAside(replay, GetRunPump());
    } catch (...) {
        p.restore();
        throw;
    }
    p.restore();
}

std::optional<Rect> PaintableBounds(Canvas& canvas)
{
    if (canvas.Kind() != CanvasKind::Screen && canvas.Kind() != CanvasKind::Image) return std::nullopt;
    QPainter* p = canvas.GetPainter();
    const QPaintDevice* device = p ? p->device() : nullptr;
    if (!device || !p->isActive()) return std::nullopt;
    const QTransform& world = p->transform();
    if (!world.isInvertible()) return std::nullopt;
    QRectF visible(0, 0, device->width(), device->height());
    if (const QPaintEngine* engine = p->paintEngine(); engine && !engine->systemClip().isEmpty())
        visible &= QRectF(engine->systemClip().boundingRect());
    visible = world.inverted().mapRect(visible);
    if (p->hasClipping()) visible &= p->clipBoundingRect();
    const QRect whole = visible.toAlignedRect();
    return Rect{whole.left(), whole.top(), whole.left() + whole.width(), whole.top() + whole.height()};
}

} // namespace platform

#include "gui/LaidText.h"

#include "gui/KeptPixels.h"

#include <QCache>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QTransform>
#include <QVarLengthArray>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>

namespace platform {

namespace {

// One text on one background: where it lies in the kept pixels and what it was drawn on.
struct KeptKey {
    quint64 line;
    QRgba64 pen;
    QSize size;      // device pixels
    QPointF origin;  // the line's top left, device pixels from the kept pixels' top left
    QRectF clip;     // the same; empty: none
    qreal ratio;
    int format;
    int hints;
    size_t rows;     // the background rows' colours, hashed

    bool operator==(const KeptKey&) const = default;
};

size_t qHash(const KeptKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.line, quint64(key.pen), key.size.width(), key.size.height(), key.origin.x(),
                      key.origin.y(), key.rows);
}

struct Kept {
    QList<QRgb> rows;
    QImage pixels; // null: seen once, drawn directly
};

// Kept pixels of this thread, by bytes; a text is kept when it is drawn a second time on the
// same background, so a text drawn once costs no copy.
QCache<KeptKey, Kept>& KeptPixels()
{
    constexpr qsizetype kMostBytes = 8 << 20;
    thread_local QCache<KeptKey, Kept> kept(kMostBytes);
    return kept;
}

std::atomic<quint64> lastLineId{0};

} // namespace

LaidLine::LaidLine(const QString& text, const QFont& font) : LaidLine(text, font, {}) {}

LaidLine::LaidLine(const QString& text, const QFont& font, const QList<int>& underlined)
    : layout_(std::make_shared<QTextLayout>(text, font)), id_(++lastLineId)
{
    decorated_ = font.underline() || font.overline() || font.strikeOut() || !underlined.isEmpty();
    if (!underlined.isEmpty()) {
        QList<QTextLayout::FormatRange> formats;
        for (const int at : underlined) {
            QTextLayout::FormatRange range;
            range.start = at;
            range.length = 1;
            range.format.setFontUnderline(true);
            formats.append(range);
        }
        layout_->setFormats(formats);
    }
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    QTextLine line = layout_->createLine();
    line.setLineWidth(0x01000000);
    layout_->endLayout();
    size_ = QSizeF(line.naturalTextWidth(), line.ascent() + line.descent());
}

void LaidLine::Draw(QPainter& painter, const QPointF& at, const QRectF* clip) const
{
    if (!DrawKept(painter, at, clip)) DrawDirect(painter, at, clip);
}

void LaidLine::DrawDirect(QPainter& painter, const QPointF& at, const QRectF* clip) const
{
    if (!clip) {
        layout_->lineAt(0).draw(&painter, at);
        return;
    }
    painter.save();
    painter.setClipRect(*clip, Qt::IntersectClip);
    layout_->lineAt(0).draw(&painter, at);
    painter.restore();
}

bool LaidLine::Keepable(const QPainter& painter) const
{
    return painter.backgroundMode() == Qt::TransparentMode && painter.pen().style() == Qt::SolidLine &&
           painter.pen().brush().style() == Qt::SolidPattern && !decorated_;
}

// Copies the pixels this line drew before on the same background, when the painter writes straight
// into a 32-bit image, unturned and unscaled beyond its pixel ratio, blending opaquely over, and
// every row the glyphs may touch is of one colour there. False when it cannot.
bool LaidLine::DrawKept(QPainter& painter, const QPointF& at, const QRectF* clip) const
{
    if (!Keepable(painter)) return false;
    const std::optional<KeptTarget> target = KeptTarget::Of(painter);
    if (!target) return false;
    const QImage& device = target->Device();
    const QTransform& transform = target->Transform();

    if (ink_.isNull()) {
        QRectF ink;
        for (const QGlyphRun& run : layout_->glyphRuns()) ink |= run.boundingRect();
        // Antialiasing reaches a pixel beyond the glyphs' boxes; one more for hinting. No more: a
        // cell's text stands two pixels inside its fill.
        ink_ = ink.isEmpty() ? QRectF(0, 0, 1, 1) : ink.adjusted(-2, -2, 2, 2);
    }
    QRect area = transform.mapRect(ink_.translated(at)).toAlignedRect();
    if (clip) area &= transform.mapRect(*clip).toAlignedRect();
    area &= target->Writable();
    // Wholly clipped away (a right-aligned text past the view's edge): there is nothing to draw.
    if (area.isEmpty()) return true;

    // Each row is compared whole with a row of its first pixel's colour (rows mostly share one).
    QVarLengthArray<QRgb, 64> rows(area.height());
    QVarLengthArray<QRgb, 256> plain(area.width());
    const std::size_t rowBytes = std::size_t(area.width()) * sizeof(QRgb);
    const qsizetype lineBytes = device.bytesPerLine();
    const uchar* first = device.constBits() + area.top() * lineBytes + std::size_t(area.left()) * sizeof(QRgb);
    for (int y = 0; y < area.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(first + y * lineBytes);
        const QRgb colour = line[0];
        if (y == 0 || colour != plain[0]) std::fill(plain.begin(), plain.end(), colour);
        if (std::memcmp(line, plain.constData(), rowBytes) != 0) return false;
        rows[y] = colour;
    }
    return DrawOver(painter, *target, area, rows.constData(), at, clip);
}

bool LaidLine::DrawOver(QPainter& painter, const KeptTarget& target, const QRect& area, const QRgb* rows,
                        const QPointF& at, const QRectF* clip) const
{
    const QImage& device = target.Device();
    const QTransform& transform = target.Transform();
    const QPointF origin = transform.map(at) - area.topLeft();
    const KeptKey key{id_,
                      painter.pen().color().rgba64(),
                      area.size(),
                      origin,
                      clip ? transform.mapRect(*clip).translated(-area.topLeft()) : QRectF(),
                      target.Ratio(),
                      int(device.format()),
                      int(painter.renderHints()),
                      qHashRange(rows, rows + area.height())};
    QCache<KeptKey, Kept>& cache = KeptPixels();
    Kept* kept = cache.object(key);
    if (kept && !std::equal(rows, rows + area.height(), kept->rows.cbegin(), kept->rows.cend())) return false;
    if (!kept) {
        cache.insert(key, new Kept{QList<QRgb>(rows, rows + area.height()), QImage()},
                     128 + area.height() * qsizetype(sizeof(QRgb)));
        return false;
    }
    const bool opaque = std::all_of(rows, rows + area.height(), [](QRgb colour) { return qAlpha(colour) == 255; });
    if (kept->pixels.isNull()) {
        // Drawn a second time: drawn once more on a copy of the background, and kept.
        QImage pixels(area.size(), device.format());
        pixels.setDevicePixelRatio(target.Ratio());
        for (int y = 0; y < area.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(pixels.scanLine(y));
            std::fill(line, line + area.width(), rows[y]);
        }
        QPainter drawn(&pixels);
        target.Prepare(drawn, painter, area);
        if (clip) drawn.setClipRect(*clip);
        layout_->lineAt(0).draw(&drawn, at);
        drawn.end();
        // Opaque pixels are copied as they are; over a translucent background they replace it.
        if (opaque && pixels.format() == QImage::Format_ARGB32_Premultiplied)
            pixels = std::move(pixels).convertToFormat(QImage::Format_RGB32);
        kept = new Kept{QList<QRgb>(rows, rows + area.height()), std::move(pixels)};
        const qsizetype bytes = 128 + kept->pixels.sizeInBytes();
        cache.insert(key, kept, bytes);
        kept = cache.object(key);
        if (!kept) return false;
    }
    target.Blit(painter, area, kept->pixels, opaque);
    return true;
}

void LaidLine::DrawInCell(QPainter& painter, const QRect& cell, const QColor& back, const QPointF& at,
                          const QRectF* clip) const
{
    if (!DrawCellKept(painter, cell, back, at, clip)) {
        painter.fillRect(cell, back);
        Draw(painter, at, clip);
    }
}

// The cell's pixels are the line over its fill: each row of the fill's colour, nothing to compare.
bool LaidLine::DrawCellKept(QPainter& painter, const QRect& cell, const QColor& back, const QPointF& at,
                            const QRectF* clip) const
{
    if (back.alpha() != 255 || painter.hasClipping() || !Keepable(painter)) return false;
    const std::optional<KeptTarget> target = KeptTarget::Of(painter);
    if (!target) return false;
    // The fill writes whole pixels only where the cell lands on whole pixels.
    const QRectF mapped = target->Transform().mapRect(QRectF(cell));
    const QRect whole = mapped.toAlignedRect();
    if (QRectF(whole) != mapped) return false;
    const QRect area = whole & target->Writable();
    if (area.isEmpty()) return true;
    // An opaque colour is stored as it is by both 32-bit formats.
    const QVarLengthArray<QRgb, 64> rows(area.height(), back.rgba());
    return DrawOver(painter, *target, area, rows.constData(), at, clip);
}

bool LaidTexts::FollowFont(const QFont& font)
{
    if (font == font_) return false;
    Clear();
    font_ = font;
    return true;
}

namespace {

// A text drawText would lay out as one line: no control characters, no spaces at either end.
bool OneLine(const QString& text)
{
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace()) return false;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return false;
    return true;
}

} // namespace

const LaidLine* LaidTexts::GetMnemonic(const QString& text, const QFont& font, bool shown)
{
    FollowFont(font);
    const QString key = (shown ? QLatin1Char('s') : QLatin1Char('h')) + text;
    if (const auto found = mnemonics_.constFind(key); found != mnemonics_.cend()) return &found.value();
    // As drawText reads them: "&&" is one '&', a last '&' is dropped.
    QString plain;
    QList<int> underlined;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (++i == text.size()) break;
            if (shown && text[i] != QLatin1Char('&')) underlined.append(int(plain.size()));
        }
        plain += text[i];
    }
    if (!OneLine(plain)) return nullptr;
    if (mnemonics_.size() >= most_) mnemonics_.clear();
    return &mnemonics_.insert(key, LaidLine(plain, font, underlined)).value();
}

const LaidLine* LaidTexts::Get(const QString& text, const QFont& font)
{
    FollowFont(font);
    // Only texts laid out as one line are held: a text found needs no test.
    if (const auto found = laid_.constFind(text); found != laid_.cend()) return &found.value();
    if (!OneLine(text)) return nullptr;
    if (laid_.size() >= most_) laid_.clear();
    return &laid_.insert(text, LaidLine(text, font)).value();
}

namespace {

// Where DrawLaidLine draws a line: the line, its top left and its clip (none: unclipped).
struct PlacedLine {
    const LaidLine* Line;
    QPointF At;
    std::optional<QRectF> Clip;
};

std::optional<PlacedLine> PlaceLine(const QPainter& painter, const QRectF& rect, int flags, const QString& text,
                                    LaidTexts& texts, const QRectF* within, const QFont* font)
{
    constexpr int kBeyondOneLine = Qt::AlignJustify | Qt::TextJustificationForced | Qt::TextIncludeTrailingSpaces |
                                   Qt::TextForceRightToLeft | Qt::TextDontPrint;
    const bool leftToRight = (flags & Qt::TextForceLeftToRight) || painter.layoutDirection() == Qt::LeftToRight;
    if ((flags & kBeyondOneLine) || !leftToRight || painter.transform().type() > QTransform::TxTranslate ||
        painter.pen().style() == Qt::NoPen)
        return std::nullopt;
    const QFont& drawn = font ? *font : painter.font();
    const bool mnemonics = (flags & (Qt::TextShowMnemonic | Qt::TextHideMnemonic)) && text.contains(QLatin1Char('&'));
    const LaidLine* laid =
        mnemonics ? texts.GetMnemonic(text, drawn, !(flags & Qt::TextHideMnemonic)) : texts.Get(text, drawn);
    if (!laid) return std::nullopt;
    const QSizeF size = laid->Size();
    if ((flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere)) && size.width() > rect.width()) return std::nullopt;

    const int horizontal = flags & Qt::AlignHorizontal_Mask;
    const qreal x = horizontal & (Qt::AlignRight | Qt::AlignTrailing) ? rect.width() - size.width()
                    : horizontal & Qt::AlignHCenter                  ? (rect.width() - size.width()) / 2
                                                                     : 0;
    const qreal y = flags & Qt::AlignBottom    ? rect.height() - size.height()
                    : flags & Qt::AlignVCenter ? (rect.height() - size.height()) / 2
                                               : 0;
    const QRectF bounds(rect.topLeft() + QPointF(x, y), size);
    std::optional<QRectF> clip;
    if (!(flags & Qt::TextDontClip) && !rect.contains(bounds)) clip = rect;
    if (within) clip = clip ? *clip & *within : *within;
    return PlacedLine{laid, bounds.topLeft(), clip};
}

} // namespace

bool DrawLaidLine(QPainter& painter, const QRectF& rect, int flags, const QString& text, LaidTexts& texts,
                  const QRectF* within, const QFont* font)
{
    const std::optional<PlacedLine> placed = PlaceLine(painter, rect, flags, text, texts, within, font);
    if (!placed) return false;
    placed->Line->Draw(painter, placed->At, placed->Clip ? &*placed->Clip : nullptr);
    return true;
}

bool DrawLaidCell(QPainter& painter, const QRect& cell, const QColor& back, const QRectF& rect, int flags,
                  const QString& text, LaidTexts& texts, const QFont* font)
{
    const QRectF within(cell);
    const std::optional<PlacedLine> placed = PlaceLine(painter, rect, flags, text, texts, &within, font);
    if (!placed) return false;
    placed->Line->DrawInCell(painter, cell, back, placed->At, placed->Clip ? &*placed->Clip : nullptr);
    return true;
}

} // namespace platform

#pragma once
// Texts laid out once and drawn as laid out. QPainter::drawText shapes its text on every call; a
// label, a tab or a grid cell draws the same few texts paint after paint. A laid line keeps the
// layout drawText would make, so it draws the same pixels.
//
// Qt blends each glyph pixel gamma-corrected, one call a pixel: the larger part of drawing a
// short text. Where the text lands on a background whose rows are each of one colour (a cell's
// fill, a label's window, a button's vertical gradient), a laid line keeps what it drew there and
// copies those pixels when the same background comes again.
#include <QFont>
#include <QHash>
#include <QRgb>
#include <QSizeF>
#include <QString>
#include <QTextLayout>

#include <memory>

class QColor;
class QPainter;
class QPointF;
class QRect;
class QRectF;

namespace platform {

class KeptTarget;

// A text laid out as one line, as drawText lays it out, with the line's size as drawText measures it
// when aligning it (its natural width, its ascent and descent).
class LaidLine {
public:
    LaidLine(const QString& text, const QFont& font);
    // A line with these characters underlined (mnemonics, as drawText marks them).
    LaidLine(const QString& text, const QFont& font, const QList<int>& underlined);

    QSizeF Size() const { return size_; }
    // Draws the line with its top left at `at`, as drawText draws it there; only inside `clip`
    // when one is given (in the painter's coordinates).
    void Draw(QPainter& painter, const QPointF& at, const QRectF* clip = nullptr) const;
    // Fills `cell` with `back`, then draws the line as Draw does (`clip` within the cell). An
    // opaque cell on whole pixels is copied whole from the pixels kept of it, nothing beneath
    // compared.
    void DrawInCell(QPainter& painter, const QRect& cell, const QColor& back, const QPointF& at,
                    const QRectF* clip) const;

private:
    // The painter blends the pen's one colour over, as kept pixels stand for.
    bool Keepable(const QPainter& painter) const;
    bool DrawKept(QPainter& painter, const QPointF& at, const QRectF* clip) const;
    bool DrawCellKept(QPainter& painter, const QRect& cell, const QColor& back, const QPointF& at,
                      const QRectF* clip) const;
    // The kept pixels of the line over the device pixels `area`, whose rows are each of the colour
    // given in `rows` (one a row); seen once, they are noted and nothing is drawn (false).
    bool DrawOver(QPainter& painter, const KeptTarget& target, const QRect& area, const QRgb* rows,
                  const QPointF& at, const QRectF* clip) const;
    void DrawDirect(QPainter& painter, const QPointF& at, const QRectF* clip) const;

    std::shared_ptr<QTextLayout> layout_;
    QSizeF size_;
    quint64 id_;
    bool decorated_;
    mutable QRectF ink_; // where the glyphs may touch pixels, around the line's top left; empty until asked
};

// The texts of one font, laid out as single lines; dropped together when `most` are held.
class LaidTexts {
public:
    explicit LaidTexts(qsizetype most) : most_(most) {}

    // `text` laid out in `font` (the cache follows a change of font); null when drawText lays it
    // out otherwise: control characters (tabs, line breaks) or spaces at either end.
    const LaidLine* Get(const QString& text, const QFont& font);
    // `text` with mnemonics, as drawText shows them: each '&' dropped ("&&" shows one), the
    // character after it underlined when `shown`.
    const LaidLine* GetMnemonic(const QString& text, const QFont& font, bool shown);
    void Clear()
    {
        laid_.clear();
        mnemonics_.clear();
    }

private:
    bool FollowFont(const QFont& font);

    qsizetype most_;
    QFont font_;
    QHash<QString, LaidLine> laid_;
    QHash<QString, LaidLine> mnemonics_; // by the text, its first character telling shown from hidden
};

// Draws one laid line where and as QPainter::drawText(rect, flags, text) draws it: aligned in the
// rectangle, clipped to it when it does not fit (unless Qt::TextDontClip). False, drawing nothing,
// where drawText would do more than that: mnemonics, wrapping, justification, forced directions, a
// painter laying out right to left or turned, a text `texts` does not lay out. `within`: a clip
// rectangle of the caller's as well, which the painter need not be given; `font`: the font drawText
// would draw in, when it is not the painter's.
bool DrawLaidLine(QPainter& painter, const QRectF& rect, int flags, const QString& text, LaidTexts& texts,
                  const QRectF* within = nullptr, const QFont* font = nullptr);

// Fills `cell` with `back` and draws the line in it as DrawLaidLine(painter, rect, flags, text, texts,
// &cell, font) draws it there (a table's cell): the same pixels, copied whole from kept pixels when
// the cell comes again. False, drawing nothing (not even the fill), where DrawLaidLine draws nothing.
bool DrawLaidCell(QPainter& painter, const QRect& cell, const QColor& back, const QRectF& rect, int flags,
                  const QString& text, LaidTexts& texts, const QFont* font = nullptr);

} // namespace platform

#include "gui/LaidText.h"

#include <QPainter>
#include <QRectF>
#include <QTextLayout>
#include <QTransform>

namespace platform {

const LaidLine* LaidTexts::Get(const QString& text, const QFont& font)
{
    if (font != font_) {
        laid_.clear();
        font_ = font;
    }
    // Only texts laid out as one line are held: a text found needs no test.
    if (const auto found = laid_.constFind(text); found != laid_.cend()) return &found.value();
    if (text.isEmpty() || text.front().isSpace() || text.back().isSpace()) return nullptr;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            return nullptr;
    if (laid_.size() >= most_) laid_.clear();
    QStaticText laid(text);
    laid.setTextFormat(Qt::PlainText);
    laid.prepare(QTransform(), font);
    // drawText centres and right-aligns by the line's natural width and its ascent and descent.
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(0x01000000);
    layout.endLayout();
    return &laid_.insert(text, {laid, QSizeF(line.naturalTextWidth(), line.ascent() + line.descent())}).value();
}

bool DrawLaidLine(QPainter& painter, const QRectF& rect, int flags, const QString& text, LaidTexts& texts)
{
    constexpr int kBeyondOneLine = Qt::AlignJustify | Qt::TextJustificationForced | Qt::TextIncludeTrailingSpaces |
                                   Qt::TextForceRightToLeft | Qt::TextDontPrint;
    const bool leftToRight = (flags & Qt::TextForceLeftToRight) || painter.layoutDirection() == Qt::LeftToRight;
    if ((flags & kBeyondOneLine) || !leftToRight || painter.transform().type() > QTransform::TxTranslate ||
        painter.pen().style() == Qt::NoPen)
        return false;
    if ((flags & (Qt::TextShowMnemonic | Qt::TextHideMnemonic)) && text.contains(QLatin1Char('&'))) return false;
    const LaidLine* laid = texts.Get(text, painter.font());
    if (!laid) return false;
    const QSizeF size = laid->Size;
    if ((flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere)) && size.width() > rect.width()) return false;

    const int horizontal = flags & Qt::AlignHorizontal_Mask;
    const qreal x = horizontal & (Qt::AlignRight | Qt::AlignTrailing) ? rect.width() - size.width()
                    : horizontal & Qt::AlignHCenter                  ? (rect.width() - size.width()) / 2
                                                                     : 0;
    const qreal y = flags & Qt::AlignBottom    ? rect.height() - size.height()
                    : flags & Qt::AlignVCenter ? (rect.height() - size.height()) / 2
                                               : 0;
    const QRectF bounds(rect.topLeft() + QPointF(x, y), size);
    // Left of or above the painter's origin, glyph positions round otherwise on the two roads.
    const QPointF origin = painter.transform().map(bounds.topLeft());
    if (origin.x() < 0) return false;
    if (!(flags & Qt::TextDontClip) && !rect.contains(bounds)) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
        painter.drawStaticText(bounds.topLeft(), laid->Text);
        painter.restore();
    } else {
        painter.drawStaticText(bounds.topLeft(), laid->Text);
    }
    return true;
}

} // namespace platform

#include "gui/LaidText.h"

#include <QPainter>
#include <QRectF>
#include <QTransform>

namespace platform {

LaidLine::LaidLine(const QString& text, const QFont& font) : layout_(std::make_shared<QTextLayout>(text, font))
{
    layout_->setCacheEnabled(true);
    layout_->beginLayout();
    QTextLine line = layout_->createLine();
    line.setLineWidth(0x01000000);
    layout_->endLayout();
    size_ = QSizeF(line.naturalTextWidth(), line.ascent() + line.descent());
}

void LaidLine::Draw(QPainter& painter, const QPointF& at) const { layout_->lineAt(0).draw(&painter, at); }

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
    return &laid_.insert(text, LaidLine(text, font)).value();
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
    const QSizeF size = laid->Size();
    if ((flags & (Qt::TextWordWrap | Qt::TextWrapAnywhere)) && size.width() > rect.width()) return false;

    const int horizontal = flags & Qt::AlignHorizontal_Mask;
    const qreal x = horizontal & (Qt::AlignRight | Qt::AlignTrailing) ? rect.width() - size.width()
                    : horizontal & Qt::AlignHCenter                  ? (rect.width() - size.width()) / 2
                                                                     : 0;
    const qreal y = flags & Qt::AlignBottom    ? rect.height() - size.height()
                    : flags & Qt::AlignVCenter ? (rect.height() - size.height()) / 2
                                               : 0;
    const QRectF bounds(rect.topLeft() + QPointF(x, y), size);
    if (!(flags & Qt::TextDontClip) && !rect.contains(bounds)) {
        painter.save();
        painter.setClipRect(rect, Qt::IntersectClip);
        laid->Draw(painter, bounds.topLeft());
        painter.restore();
    } else {
        laid->Draw(painter, bounds.topLeft());
    }
    return true;
}

} // namespace platform

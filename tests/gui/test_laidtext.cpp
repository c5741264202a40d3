// Laid lines drawn from the pixels kept of an earlier drawing land exactly as drawText draws them.
#include <gtest/gtest.h>

#include "gui/KeptPixels.h"
#include "gui/LaidText.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <functional>
#include <optional>
#include <string>

namespace {

using Background = std::function<void(QImage&)>;

QImage Canvas(const Background& background, qreal ratio)
{
    QImage image(QSize(120, 40) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    background(image);
    return image;
}

struct Case {
    QRectF rect;
    int flags;
    QColor pen;
    // A table's cell: filled with `back`, the text clipped to it (DrawLaidCell).
    std::optional<QRect> cell = std::nullopt;
    QColor back = {};
};

// What drawText draws, and what the laid line draws three times (seen, kept, copied) on the same
// background; each must be the same pixels.
void ExpectSameAsDrawText(const Background& background, qreal ratio, const QString& text, const Case& c,
                          platform::LaidTexts& texts, const std::string& what)
{
    QFont font(QStringLiteral("Sans Serif"));
    font.setPointSize(9);
    QImage expected = Canvas(background, ratio);
    {
        QPainter painter(&expected);
        if (c.cell) {
            painter.fillRect(*c.cell, c.back);
            painter.setClipRect(*c.cell);
        }
        painter.setFont(font);
        painter.setPen(c.pen);
        painter.drawText(c.rect, c.flags, text);
    }
    for (int pass = 0; pass < 3; ++pass) {
        QImage drawn = Canvas(background, ratio);
        QPainter painter(&drawn);
        painter.setLayoutDirection(Qt::LeftToRight); // as a widget's painter
        painter.setFont(font);
        painter.setPen(c.pen);
        ASSERT_TRUE(c.cell ? platform::DrawLaidCell(painter, *c.cell, c.back, c.rect, c.flags, text, texts)
                           : platform::DrawLaidLine(painter, c.rect, c.flags, text, texts))
            << what;
        painter.end();
        EXPECT_TRUE(drawn == expected) << what << ", pass " << pass;
    }
}

void Fill(QImage& image, const QColor& colour) { image.fill(colour); }

void Gradient(QImage& image)
{
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, 40);
    gradient.setColorAt(0, QColor(250, 250, 250));
    gradient.setColorAt(1, QColor(200, 210, 230));
    painter.fillRect(QRectF(0, 0, 120, 40), gradient);
}

TEST(LaidText, KeptPixelsAreThePixelsDrawTextDraws)
{
    const std::vector<std::pair<std::string, Background>> backgrounds = {
        {"white", [](QImage& i) { Fill(i, Qt::white); }},
        {"yellow", [](QImage& i) { Fill(i, QColor(255, 255, 192)); }},
        {"gradient", Gradient},
        {"transparent", [](QImage& i) { Fill(i, Qt::transparent); }},
        {"translucent", [](QImage& i) { Fill(i, QColor(0, 0, 255, 96)); }},
    };
    const std::vector<Case> cases = {
        {QRectF(4, 4, 110, 20), Qt::AlignLeft | Qt::AlignTop, Qt::black},
        {QRectF(4, 4, 110, 20), Qt::AlignLeft | Qt::AlignTop, QColor(200, 0, 0)},
        {QRectF(3.5, 5.25, 100, 22), Qt::AlignRight | Qt::AlignVCenter, Qt::black},
        {QRectF(6, 8, 30, 12), Qt::AlignLeft | Qt::AlignTop, Qt::black},          // clipped at right and foot
        {QRectF(6, 8, 30, 12), Qt::AlignHCenter | Qt::AlignVCenter, Qt::white},   // clipped on both sides
        {QRectF(6.5, 8.25, 30.5, 12.5), Qt::AlignLeft | Qt::AlignTop, Qt::black}, // clipped between pixels
        {QRectF(125, 4, 60, 20), Qt::AlignLeft | Qt::AlignTop, Qt::black},       // wholly past the canvas
        {QRectF(60, 4, 50, 20), Qt::AlignRight | Qt::AlignTop, Qt::black},       // a long text past its left
        {QRectF(6, 8, 30, 12), Qt::AlignLeft | Qt::TextDontClip, QColor(0, 0, 0, 128)},
        // A table's cell, its fill over the background (DrawLaidCell): fitting, aligned right, cut at
        // the cell's edge, translucent, and off whole pixels at a ratio of 1.5.
        {QRectF(6, 6, 96, 14), Qt::AlignLeft | Qt::AlignTop, Qt::black, QRect(4, 4, 100, 16), Qt::white},
        {QRectF(6, 6, 96, 14), Qt::AlignRight | Qt::AlignTop, Qt::white, QRect(4, 4, 100, 16), QColor(48, 96, 200)},
        {QRectF(12, 22, 36, 14), Qt::AlignLeft | Qt::AlignTop, Qt::black, QRect(10, 20, 40, 16), QColor(255, 255, 192)},
        {QRectF(12, 22, 36, 14), Qt::AlignRight | Qt::AlignTop, Qt::black, QRect(10, 20, 40, 16), Qt::white},
        {QRectF(6, 6, 96, 14), Qt::AlignLeft | Qt::AlignTop, Qt::black, QRect(4, 4, 100, 16), QColor(0, 0, 255, 96)},
        {QRectF(7, 7, 37, 13), Qt::AlignLeft | Qt::AlignTop, Qt::black, QRect(5, 5, 41, 15), Qt::white},
    };
    platform::LaidTexts texts(100);
    const qsizetype keptBefore = platform::KeptDraws();
    for (const qreal ratio : {1.0, 2.0, 1.5})
        for (const auto& [name, background] : backgrounds)
            for (const QString& text : {QStringLiteral("和牛サーロイン"), QStringLiteral("Ag ¥3,069 jy")})
                for (std::size_t i = 0; i < cases.size(); ++i)
                    ExpectSameAsDrawText(background, ratio, text, cases[i], texts,
                                         name + " at ratio " + std::to_string(ratio) + ", case " + std::to_string(i) +
                                             ", " + text.toStdString());
    // Every case but the unclipped text reaching past its canvas was copied on its third pass.
    EXPECT_GE(platform::KeptDraws() - keptBefore, qsizetype(2 * 5 * 2 * 6));
}

// Mnemonics as drawText reads them: shown underlined or hidden, "&&" one '&', a last '&' dropped.
TEST(LaidText, MnemonicsLookAsDrawTextShowsThem)
{
    platform::LaidTexts texts(100);
    const Background white = [](QImage& image) { image.fill(Qt::white); };
    for (const int mode : {int(Qt::TextShowMnemonic), int(Qt::TextHideMnemonic)})
        for (const QString& text : {QStringLiteral("&>>"), QStringLiteral("名称(&N)"), QStringLiteral("A&&B"),
                                    QStringLiteral("end&"), QStringLiteral("&&&x")})
            ExpectSameAsDrawText(white, 1, text, {QRectF(4, 4, 110, 20), Qt::AlignCenter | mode, Qt::black}, texts,
                                 text.toStdString() + (mode == Qt::TextShowMnemonic ? " shown" : " hidden"));
}

TEST(LaidText, UnevenBackgroundsAndOtherPaintersDrawDirectly)
{
    const Background checked = [](QImage& image) {
        image.fill(Qt::white);
        for (int y = 0; y < image.height(); ++y)
            for (int x = (y % 2); x < image.width(); x += 7) image.setPixel(x, y, qRgb(220, 220, 220));
    };
    platform::LaidTexts texts(100);
    const qsizetype keptBefore = platform::KeptDraws();
    ExpectSameAsDrawText(checked, 1, QStringLiteral("牛肉"), {QRectF(4, 4, 100, 20), Qt::AlignLeft, Qt::black}, texts,
                         "uneven background");
    EXPECT_EQ(platform::KeptDraws(), keptBefore);

    // An opaque background mode fills behind the text; a scaled painter draws it anew.
    QImage image = Canvas([](QImage& i) { Fill(i, Qt::white); }, 1);
    for (int pass = 0; pass < 3; ++pass) {
        QPainter painter(&image);
        painter.setLayoutDirection(Qt::LeftToRight);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(Qt::green);
        ASSERT_TRUE(platform::DrawLaidLine(painter, QRectF(4, 4, 100, 20), Qt::AlignLeft, QStringLiteral("玉ねぎ"), texts));
        painter.setBackgroundMode(Qt::TransparentMode);
        painter.scale(1.5, 1.5);
        ASSERT_FALSE(platform::DrawLaidLine(painter, QRectF(4, 4, 100, 20), Qt::AlignLeft, QStringLiteral("玉ねぎ"), texts));
    }
    EXPECT_EQ(platform::KeptDraws(), keptBefore);
}

} // namespace

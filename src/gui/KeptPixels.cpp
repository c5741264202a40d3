#include "gui/KeptPixels.h"

#include "gui/PixmapKey.h"

#include <QCache>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QRegion>

#include <cstring>

namespace platform {

namespace {

thread_local qsizetype keptDraws = 0;
thread_local bool keeping = true;

// A drawing's background and what it made of it; no result yet when seen once.
struct Kept {
    QImage background;
    QImage result;
    bool opaque = false;
};

QCache<QString, Kept>& KeptDrawings()
{
    constexpr qsizetype kMostBytes = 8 << 20;
    thread_local QCache<QString, Kept> kept(kMostBytes);
    return kept;
}

// The device pixels `area` as an image of their own.
QImage Block(const QImage& device, const QRect& area) { return device.copy(area); }

bool SameBlock(const QImage& device, const QRect& area, const QImage& block)
{
    if (block.size() != area.size() || block.format() != device.format()) return false;
    if (area.width() == 1) {
        // A frame's side: a pixel a row, compared as it is rather than by a call each.
        for (int y = 0; y < area.height(); ++y)
            if (reinterpret_cast<const quint32*>(device.constScanLine(area.top() + y))[area.left()] !=
                *reinterpret_cast<const quint32*>(block.constScanLine(y)))
                return false;
        return true;
    }
    const std::size_t bytes = std::size_t(area.width()) * 4;
    for (int y = 0; y < area.height(); ++y)
        if (std::memcmp(device.constScanLine(area.top() + y) + std::size_t(area.left()) * 4, block.constScanLine(y),
                        bytes) != 0)
            return false;
    return true;
}

bool AllOpaque(const QImage& image)
{
    if (image.format() == QImage::Format_RGB32) return true;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 255) return false;
    }
    return true;
}

} // namespace

std::optional<KeptTarget> KeptTarget::Of(const QPainter& painter)
{
    if (!keeping) return std::nullopt;
    QPaintEngine* engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return std::nullopt;
    const auto& device = *static_cast<const QImage*>(engine->paintDevice());
    if ((device.format() != QImage::Format_ARGB32_Premultiplied && device.format() != QImage::Format_RGB32) ||
        painter.opacity() != 1.0 || painter.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter.transform().type() > QTransform::TxTranslate)
        return std::nullopt;
    const QTransform transform = painter.deviceTransform();
    const qreal ratio = transform.m11();
    if (transform.type() > QTransform::TxScale || ratio <= 0 || transform.m22() != ratio ||
        ratio != device.devicePixelRatio())
        return std::nullopt;
    return KeptTarget(device, transform, engine->systemClip());
}

void KeptTarget::Prepare(QPainter& copy, const QPainter& original, const QRect& area) const
{
    copy.setRenderHints(original.renderHints());
    copy.setFont(original.font());
    copy.setPen(original.pen());
    copy.setBrush(original.brush());
    copy.setBrushOrigin(original.brushOrigin());
    copy.setBackground(original.background());
    copy.setBackgroundMode(original.backgroundMode());
    copy.setLayoutDirection(original.layoutDirection());
    copy.setTransform(QTransform::fromTranslate((transform_.dx() - area.left()) / Ratio(),
                                                (transform_.dy() - area.top()) / Ratio()));
}

void KeptTarget::Blit(QPainter& painter, const QRect& area, const QImage& pixels, bool opaque) const
{
    ++keptDraws;
    // Without a clip of the painter's the rows are copied in: a copy is what both blends below make
    // of these pixels, and the raster engine hands a tall, narrow image's rows to its thread pool
    // one short span at a time (a frame's side took 200 µs).
    const bool rows = !painter.hasClipping() && pixels.size() == area.size() && pixels.depth() == 32 &&
                      (opaque || pixels.format() == device_->format());
    if (rows) {
        // The device's rows written in place (its bits are not detached: the painter holds them).
        auto* const to = const_cast<uchar*>(device_->constBits());
        const uchar* const from = pixels.constBits();
        const qsizetype toLine = device_->bytesPerLine();
        const qsizetype fromLine = pixels.bytesPerLine();
        const auto copy = [&](const QRect& part) {
            const std::size_t bytes = std::size_t(part.width()) * 4;
            for (int y = part.top(); y <= part.bottom(); ++y) {
                uchar* line = to + y * toLine + std::size_t(part.left()) * 4;
                const uchar* source = from + (y - area.top()) * fromLine + std::size_t(part.left() - area.left()) * 4;
                if (bytes == 4) *reinterpret_cast<quint32*>(line) = *reinterpret_cast<const quint32*>(source);
                else std::memcpy(line, source, bytes);
            }
        };
        // A widget's paint is mostly clipped to one rectangle: no region is made for it.
        if (system_.rectCount() <= 1) {
            const QRect part = system_.isEmpty() ? area : area & system_.boundingRect();
            if (!part.isEmpty()) copy(part);
            return;
        }
        for (const QRect& part : system_ & area) copy(part);
        return;
    }
    const QRectF target(QPointF(area.left() - transform_.dx(), area.top() - transform_.dy()) / Ratio(),
                        QSizeF(area.size()) / Ratio());
    if (opaque) {
        painter.drawImage(target, pixels, QRectF(pixels.rect()));
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(target, pixels, QRectF(pixels.rect()));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
}

bool DrawOverKept(QPainter& painter, const QRectF& rect, int margin, const QString& key,
                  const std::function<void(QPainter&)>& draw)
{
    constexpr qsizetype kMostPixels = 64 * 1024;
    const std::optional<KeptTarget> target = KeptTarget::Of(painter);
    if (!target) return false;
    // Pixels the painter may not write are neither compared nor kept.
    const QRect area =
        target->Transform().mapRect(rect).toAlignedRect().adjusted(-margin, -margin, margin, margin) & target->Writable();
    if (area.isEmpty() || qsizetype(area.width()) * area.height() > kMostPixels) return false;

    // A clip of the caller's is drawn into the copy as well (a style may replace it, drawing where
    // the caller would not), and the copy is laid down without it.
    const bool clipped = painter.hasClipping();
    const QRegion clip = clipped ? painter.clipRegion() : QRegion();
    QString keyed = key;
    if (clipped) {
        PixmapKey inClip(u"clip");
        for (const QRect& part : clip) {
            const QRect mapped = target->Transform().mapRect(QRectF(part)).toAlignedRect().translated(-area.topLeft());
            inClip.Add(mapped.x()).Add(mapped.y()).Add(mapped.width()).Add(mapped.height());
        }
        keyed += inClip.Get();
    }

    QCache<QString, Kept>& cache = KeptDrawings();
    Kept* kept = cache.object(keyed);
    const bool sameBackground = kept && SameBlock(target->Device(), area, kept->background);
    if (!sameBackground) {
        // Seen once over these pixels: their copy is kept to know them again.
        auto* seen = new Kept{Block(target->Device(), area), QImage()};
        cache.insert(keyed, seen, 64 + seen->background.sizeInBytes());
        return false;
    }
    if (kept->result.isNull()) {
        QImage result = kept->background.copy();
        result.setDevicePixelRatio(target->Ratio());
        {
            QPainter copy(&result);
            target->Prepare(copy, painter, area);
            if (clipped) copy.setClipRegion(clip);
            draw(copy);
        }
        const bool opaque = AllOpaque(result);
        if (opaque && result.format() == QImage::Format_ARGB32_Premultiplied)
            result = std::move(result).convertToFormat(QImage::Format_RGB32);
        auto* made = new Kept{std::move(kept->background), std::move(result), opaque};
        cache.insert(keyed, made, 64 + made->background.sizeInBytes() + made->result.sizeInBytes());
        kept = cache.object(keyed);
        if (!kept) return false;
    }
    if (clipped) {
        painter.save();
        painter.setClipping(false);
        target->Blit(painter, area, kept->result, kept->opaque);
        painter.restore();
    } else {
        target->Blit(painter, area, kept->result, kept->opaque);
    }
    return true;
}

KeptDrawing::KeptDrawing(QPainter& painter, const QRectF& rect, const QString& key)
    : target_(KeptTarget::Of(painter)), key_(key)
{
    constexpr qsizetype kMostPixels = 64 * 1024;
    if (!target_ || painter.hasClipping()) {
        target_.reset();
        return;
    }
    area_ = target_->Transform().mapRect(rect).toAlignedRect() & target_->Writable();
    if (area_.isEmpty() || qsizetype(area_.width()) * area_.height() > kMostPixels) {
        target_.reset();
        return;
    }
    const Kept* kept = KeptDrawings().object(key_);
    if (kept && !kept->result.isNull() && SameBlock(target_->Device(), area_, kept->background)) {
        target_->Blit(painter, area_, kept->result, kept->opaque);
        copied_ = true;
        return;
    }
    background_ = Block(target_->Device(), area_);
}

void KeptDrawing::Keep()
{
    if (!target_ || copied_) return;
    QImage result = Block(target_->Device(), area_);
    const bool opaque = AllOpaque(result);
    auto* made = new Kept{std::move(background_), std::move(result), opaque};
    KeptDrawings().insert(key_, made, 64 + made->background.sizeInBytes() + made->result.sizeInBytes());
    target_.reset();
}

void SetKeepingPixels(bool on) { keeping = on; }

qsizetype KeptDraws() { return keptDraws; }

} // namespace platform

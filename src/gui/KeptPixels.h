#pragma once
// Kept pixels: what a drawing made of the pixels beneath it, copied when the same drawing comes
// again over the same pixels. Drawing is a function of what it draws over; over the same pixels,
// with the same options, it makes the same pixels, so a copy of them is the drawing.
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <functional>
#include <optional>

class QPainter;
class QRectF;

namespace platform {

// A painter writing straight into a 32-bit image, unturned and unscaled beyond its pixel ratio,
// opaque and blending over: where kept pixels can stand for a drawing.
class KeptTarget {
public:
    static std::optional<KeptTarget> Of(const QPainter& painter);

    const QImage& Device() const { return *device_; }
    // The device pixels the painter may write: the device, within the engine's system clip (the
    // region of the widget being painted).
    const QRect& Writable() const { return writable_; }
    const QTransform& Transform() const { return transform_; }
    qreal Ratio() const { return transform_.m11(); }

    // A painter on a copy of the device pixels `area`, set up as `original`: its coordinates land
    // on the same pixels of the copy as the original's do on the device.
    void Prepare(QPainter& copy, const QPainter& original, const QRect& area) const;
    // Writes `pixels` over the device pixels `area`, through the painter's clip; pixels that are
    // not all opaque replace what lies there.
    void Blit(QPainter& painter, const QRect& area, const QImage& pixels, bool opaque) const;

private:
    KeptTarget(const QImage& device, const QTransform& transform, const QRegion& system)
        : device_(&device), transform_(transform), system_(system),
          writable_(system.isEmpty() ? device.rect() : system.boundingRect() & device.rect())
    {
    }

    const QImage* device_;
    QTransform transform_;
    QRegion system_;   // empty: the whole device
    QRect writable_;
};

// Draws what `draw` draws inside `rect` (and up to `margin` device pixels around it) by copying
// the pixels it made before under `key` over the same pixels; `draw` runs on a copy the second
// time it comes over them, a drawing seen once is left to the caller. False, drawing nothing,
// where the painter is no KeptTarget, the area is large or not wholly on the device, or it is new.
bool DrawOverKept(QPainter& painter, const QRectF& rect, int margin, const QString& key,
                  const std::function<void(QPainter&)>& draw);

// The same for a drawing the caller can only make on the painter's device itself (a widget's own
// paint): made the first time, its pixels are kept as it leaves them.
class KeptDrawing {
public:
    // Copies the pixels kept under `key` when they were made over the same pixels: Copied().
    KeptDrawing(QPainter& painter, const QRectF& rect, const QString& key);
    bool Copied() const { return copied_; }
    // After the caller's own drawing over the pixels (its painter ended): keeps what it made.
    void Keep();

private:
    std::optional<KeptTarget> target_;
    QRect area_;
    QString key_;
    QImage background_;
    bool copied_ = false;
};

// Off: no kept pixels are looked up or kept on this thread, everything is drawn (tests' references).
void SetKeepingPixels(bool on);

// Drawings this thread made by copying kept pixels (tests).
qsizetype KeptDraws();

} // namespace platform

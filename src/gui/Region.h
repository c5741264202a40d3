#pragma once
// An area of device pixels made of rectangles, ellipses, round rectangles and polygons,
// combined with And, Or, Diff and Xor. A value type; empty by default.
#include "gui/Canvas.h"

#include <memory>
#include <vector>

class QRegion;

namespace platform {

class Region {
public:
    Region();
    explicit Region(const Rect& rect);
    Region(const Region& other);
    Region& operator=(const Region& other);
    Region(Region&&) noexcept;
    Region& operator=(Region&&) noexcept;
    ~Region();

    static Region FromEllipse(const Rect& rect);
    static Region FromRoundRect(const Rect& rect, int cornerWidth, int cornerHeight);
    // Odd-even filled polygon.
    static Region FromPolygon(const std::vector<Point>& points);

    Region And(const Region& other) const;
    Region Or(const Region& other) const;
    Region Diff(const Region& other) const;
    Region Xor(const Region& other) const;
    Region Offset(int dx, int dy) const;

    bool IsEmpty() const;
    bool Contains(int x, int y) const;
    Rect Bounds() const;
    std::vector<Rect> Rects() const;

    bool operator==(const Region& other) const;

    const QRegion& Q() const;
    explicit Region(const QRegion& region);

private:
    std::unique_ptr<QRegion> region_;
};

} // namespace platform

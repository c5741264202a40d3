#include "gui/Region.h"

#include "gui/QtSupport.h"

#include <QPainterPath>
#include <QPolygon>
#include <QRegion>

namespace platform {

Region::Region() : region_(std::make_unique<QRegion>()) {}
Region::Region(const Rect& rect) : region_(std::make_unique<QRegion>(rect.IsEmpty() ? QRect() : ToQRect(rect))) {}
Region::Region(const QRegion& region) : region_(std::make_unique<QRegion>(region)) {}
Region::Region(const Region& other) : region_(std::make_unique<QRegion>(*other.region_)) {}
Region& Region::operator=(const Region& other)
{
    *region_ = *other.region_;
    return *this;
}
Region::Region(Region&& other) noexcept : region_(std::make_unique<QRegion>())
{
    region_->swap(*other.region_);
}
Region& Region::operator=(Region&& other) noexcept
{
    region_->swap(*other.region_);
    return *this;
}
Region::~Region() = default;

Region Region::FromEllipse(const Rect& rect)
{
    if (rect.IsEmpty()) return Region();
    return Region(QRegion(ToQRect(rect), QRegion::Ellipse));
}

Region Region::FromRoundRect(const Rect& rect, int cornerWidth, int cornerHeight)
{
    if (rect.IsEmpty()) return Region();
    QPainterPath path;
    path.addRoundedRect(QRectF(ToQRect(rect)), cornerWidth / 2.0, cornerHeight / 2.0);
    return Region(QRegion(path.toFillPolygon().toPolygon(), Qt::OddEvenFill));
}

Region Region::FromPolygon(const std::vector<Point>& points)
{
    if (points.size() < 3) return Region();
    QPolygon polygon;
    for (const Point& point : points) polygon << QPoint(point.X, point.Y);
    return Region(QRegion(polygon, Qt::OddEvenFill));
}

Region Region::And(const Region& other) const { return Region(region_->intersected(*other.region_)); }
Region Region::Or(const Region& other) const { return Region(region_->united(*other.region_)); }
Region Region::Diff(const Region& other) const { return Region(region_->subtracted(*other.region_)); }
Region Region::Xor(const Region& other) const { return Region(region_->xored(*other.region_)); }
Region Region::Offset(int dx, int dy) const { return Region(region_->translated(dx, dy)); }

bool Region::IsEmpty() const { return region_->isEmpty(); }
bool Region::Contains(int x, int y) const { return region_->contains(QPoint(x, y)); }
Rect Region::Bounds() const { return region_->isEmpty() ? Rect{} : FromQRect(region_->boundingRect()); }

std::vector<Rect> Region::Rects() const
{
    std::vector<Rect> rects;
    rects.reserve(static_cast<std::size_t>(region_->rectCount()));
    for (const QRect& rect : *region_) rects.push_back(FromQRect(rect));
    return rects;
}

bool Region::operator==(const Region& other) const { return *region_ == *other.region_; }

const QRegion& Region::Q() const { return *region_; }

} // namespace platform

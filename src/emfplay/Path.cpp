#include "emfplay/Path.h"

#include <algorithm>
#include <cmath>

namespace emfplay {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void Path::MoveTo(Point p)
{
    // A move after a move replaces it: a figure of one point draws nothing.
    if (!verbs_.empty() && verbs_.back() == Verb::Move) {
        points_.back() = p;
    } else {
        verbs_.push_back(Verb::Move);
        points_.push_back(p);
    }
    open_ = true;
    start_ = p;
}

void Path::LineTo(Point p)
{
    if (!open_)
        MoveTo(points_.empty() ? p : points_.back());
    verbs_.push_back(Verb::Line);
    points_.push_back(p);
}

void Path::CubicTo(Point c1, Point c2, Point p)
{
    if (!open_)
        MoveTo(points_.empty() ? c1 : points_.back());
    verbs_.push_back(Verb::Cubic);
    points_.push_back(c1);
    points_.push_back(c2);
    points_.push_back(p);
}

void Path::Close()
{
    if (!open_)
        return;
    verbs_.push_back(Verb::Close);
    open_ = false;
}

void Path::Append(const Path& other, bool continueFigure)
{
    if (other.verbs_.empty())
        return;
    const std::size_t skip = continueFigure && open_ && other.verbs_.front() == Verb::Move ? 1 : 0;
    const bool moves = std::find(other.verbs_.begin() + skip, other.verbs_.end(), Verb::Move) != other.verbs_.end();
    verbs_.insert(verbs_.end(), other.verbs_.begin() + skip, other.verbs_.end());
    points_.insert(points_.end(), other.points_.begin() + skip, other.points_.end());
    open_ = other.open_;
    if (moves)
        start_ = other.start_;
}

void Path::Clear()
{
    verbs_.clear();
    points_.clear();
    open_ = false;
}

bool Path::HasSegments() const
{
    return std::any_of(verbs_.begin(), verbs_.end(), [](Verb v) { return v == Verb::Line || v == Verb::Cubic; });
}

Box Path::Bounds() const
{
    if (points_.empty())
        return {};
    Box box{points_.front().X, points_.front().Y, points_.front().X, points_.front().Y};
    for (const Point& p : points_) {
        box.Left = std::min(box.Left, p.X);
        box.Right = std::max(box.Right, p.X);
        box.Top = std::min(box.Top, p.Y);
        box.Bottom = std::max(box.Bottom, p.Y);
    }
    return box;
}

Path Path::Transformed(const Affine& m) const
{
    Path result = *this;
    for (Point& p : result.points_)
        p = m.Map(p);
    result.start_ = m.Map(start_);
    return result;
}

Path Path::Closed() const
{
    Path result;
    result.verbs_.reserve(verbs_.size() + 8);
    result.points_ = points_;
    for (std::size_t i = 0; i < verbs_.size(); ++i) {
        if (verbs_[i] == Verb::Move && !result.verbs_.empty() && result.verbs_.back() != Verb::Close)
            result.verbs_.push_back(Verb::Close);
        result.verbs_.push_back(verbs_[i]);
    }
    if (!result.verbs_.empty() && result.verbs_.back() != Verb::Close)
        result.verbs_.push_back(Verb::Close);
    return result;
}

void Path::ArcTo(const Affine& m, Point c, double rx, double ry, double start, double sweep, bool join)
{
    if (!std::isfinite(start) || !std::isfinite(sweep))
        return;
    // A sweep past a full turn draws the turn and what is left of it (the end point is the same).
    if (std::abs(sweep) > 2 * kPi)
        sweep = std::copysign(2 * kPi + std::fmod(std::abs(sweep), 2 * kPi), sweep);
    const auto at = [&](double t) { return m.Map({c.X + rx * std::cos(t), c.Y + ry * std::sin(t)}); };
    if (join && open_)
        LineTo(at(start));
    else
        MoveTo(at(start));
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (kPi / 2) - 1e-9)));
    const double step = sweep / segments;
    const double k = 4.0 / 3 * std::tan(step / 4);
    for (int i = 0; i < segments; ++i) {
        const double t1 = start + i * step, t2 = t1 + step;
        const double c1 = std::cos(t1), s1 = std::sin(t1), c2 = std::cos(t2), s2 = std::sin(t2);
        CubicTo(m.Map({c.X + rx * (c1 - k * s1), c.Y + ry * (s1 + k * c1)}),
                m.Map({c.X + rx * (c2 + k * s2), c.Y + ry * (s2 - k * c2)}), at(t2));
    }
}

Path RectanglePath(const Box& box)
{
    Path path;
    path.MoveTo({box.Left, box.Top});
    path.LineTo({box.Right, box.Top});
    path.LineTo({box.Right, box.Bottom});
    path.LineTo({box.Left, box.Bottom});
    path.Close();
    return path;
}

} // namespace emfplay

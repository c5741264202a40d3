#pragma once
// Outlines as the player builds them: figures of lines and cubic Bézier curves, and the arcs of
// ellipses as such curves.
#include "emfplay/Affine.h"
#include "emfplay/Region.h"

#include <cstdint>
#include <vector>

namespace emfplay {

class Path {
public:
    enum class Verb : std::uint8_t { Move, Line, Cubic, Close };

    void MoveTo(Point p);
    // Starts a figure at `p` first when none is open.
    void LineTo(Point p);
    void CubicTo(Point c1, Point c2, Point p);
    void Close();
    // `other`'s figures after these; its first figure goes on with the open one when
    // `continueFigure` (its first move left out).
    void Append(const Path& other, bool continueFigure = false);
    void Clear();

    bool IsEmpty() const { return verbs_.empty(); }
    // Whether a figure draws more than its start point.
    bool HasSegments() const;
    std::size_t PointCount() const { return points_.size(); }
    const std::vector<Verb>& Verbs() const { return verbs_; }
    const std::vector<Point>& Points() const { return points_; }
    Point Last() const { return points_.empty() ? Point{} : points_.back(); }
    Box Bounds() const;

    Path Transformed(const Affine& m) const;
    // Every figure closed, as a fill closes them.
    Path Closed() const;

    // The arc of the ellipse centred at `c` with radii rx, ry from parameter angle `start` through
    // `sweep` (radians; the point at t is c + (rx cos t, ry sin t)), each point mapped by `m`.
    // Joined to the open figure by a line, or started as a new figure.
    void ArcTo(const Affine& m, Point c, double rx, double ry, double start, double sweep, bool join);

private:
    std::vector<Verb> verbs_;
    std::vector<Point> points_; // one per Move and Line, three per Cubic, none per Close
    bool open_ = false;
    Point start_;
};

// A box's outline, one closed figure clockwise from its top left.
Path RectanglePath(const Box& box);

} // namespace emfplay

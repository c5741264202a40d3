#pragma once
// An area of the device made of rectangles, as a clip region is: combined by intersection, union,
// difference and exclusive or. A value type; empty by default.
#include "emfplay/PlayerLimits.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace emfplay {

struct Box {
    double Left = 0;
    double Top = 0;
    double Right = 0;
    double Bottom = 0;
    bool IsEmpty() const { return !(Left < Right && Top < Bottom); }
    // The box around both.
    Box Around(const Box& other) const
    {
        return {std::min(Left, other.Left), std::min(Top, other.Top), std::max(Right, other.Right),
                std::max(Bottom, other.Bottom)};
    }
};

class Region {
public:
    Region() = default;
    explicit Region(const Box& box);
    // The union of `boxes` (empty ones are left out).
    static Region Union(const std::vector<Box>& boxes);

    Region Intersected(const Region& other) const;
    Region United(const Region& other) const;
    Region Subtracted(const Region& other) const;
    Region Xored(const Region& other) const;
    Region Translated(double dx, double dy) const;

    bool IsEmpty() const { return bands_.empty(); }
    Box Bounds() const;
    // Disjoint rectangles covering the area, top to bottom, left to right.
    // Past kMaxRegionSpans intervals or kMaxRegionWork steps of making, a region is its bounds
    // (PlayerLimits.h).
    std::vector<Box> Boxes() const;

private:
    // Bands are disjoint, top to bottom, never empty; each holds sorted, disjoint x intervals as
    // pairs (left, right). Adjacent bands with equal intervals are one.
    struct Band {
        double Top;
        double Bottom;
        std::vector<double> Spans;
    };
    enum class Op { And, Or, Diff, Xor };

    static Region Combine(const Region& a, const Region& b, Op op);
    static std::vector<double> CombineSpans(const std::vector<double>& a, const std::vector<double>& b, Op op);
    void Append(double top, double bottom, std::vector<double> spans);
    void Bound();

    std::vector<Band> bands_;
};

} // namespace emfplay

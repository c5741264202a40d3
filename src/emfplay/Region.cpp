#include "emfplay/Region.h"

#include <algorithm>
#include <utility>

namespace emfplay {

Region::Region(const Box& box)
{
    if (!box.IsEmpty())
        bands_.push_back({box.Top, box.Bottom, {box.Left, box.Right}});
}

Region Region::Union(const std::vector<Box>& boxes)
{
    // A sweep from top to bottom over the boxes' edges: each band between two edges holds the
    // merged intervals of the boxes that span it.
    std::vector<const Box*> byTop;
    std::vector<double> edges;
    for (const Box& box : boxes)
        if (!box.IsEmpty()) {
            byTop.push_back(&box);
            edges.push_back(box.Top);
            edges.push_back(box.Bottom);
        }
    std::sort(byTop.begin(), byTop.end(), [](const Box* a, const Box* b) { return a->Top < b->Top; });
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    Region result;
    std::vector<const Box*> active;
    std::vector<std::pair<double, double>> intervals;
    std::size_t next = 0;
    std::size_t spans = 0;
    std::size_t work = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const double top = edges[i], bottom = edges[i + 1];
        active.erase(std::remove_if(active.begin(), active.end(), [&](const Box* b) { return b->Bottom <= top; }),
                     active.end());
        while (next < byTop.size() && byTop[next]->Top <= top)
            active.push_back(byTop[next++]);
        intervals.clear();
        for (const Box* b : active)
            intervals.emplace_back(b->Left, b->Right);
        std::sort(intervals.begin(), intervals.end());
        std::vector<double> merged;
        for (const auto& [left, right] : intervals) {
            if (!merged.empty() && left <= merged.back())
                merged.back() = std::max(merged.back(), right);
            else {
                merged.push_back(left);
                merged.push_back(right);
            }
        }
        spans += merged.size() / 2;
        work += active.size() + 1;
        result.Append(top, bottom, std::move(merged));
        if (spans > kMaxRegionSpans || work > kMaxRegionWork) {
            Box bounds = *byTop.front();
            for (const Box* b : byTop)
                bounds = bounds.Around(*b);
            return Region(bounds);
        }
    }
    return result;
}

void Region::Append(double top, double bottom, std::vector<double> spans)
{
    if (spans.empty() || !(top < bottom))
        return;
    if (!bands_.empty() && bands_.back().Bottom == top && bands_.back().Spans == spans) {
        bands_.back().Bottom = bottom;
        return;
    }
    bands_.push_back({top, bottom, std::move(spans)});
}

void Region::Bound()
{
    const Box bounds = Bounds();
    bands_.clear();
    if (!bounds.IsEmpty())
        bands_.push_back({bounds.Top, bounds.Bottom, {bounds.Left, bounds.Right}});
}

std::vector<double> Region::CombineSpans(const std::vector<double>& a, const std::vector<double>& b, Op op)
{
    std::vector<double> result;
    std::size_t i = 0, j = 0;
    bool inA = false, inB = false, inside = false;
    while (i < a.size() || j < b.size()) {
        double x;
        if (j >= b.size() || (i < a.size() && a[i] <= b[j]))
            x = a[i];
        else
            x = b[j];
        // Every edge at x toggles its region.
        while (i < a.size() && a[i] == x) {
            inA = !inA;
            ++i;
        }
        while (j < b.size() && b[j] == x) {
            inB = !inB;
            ++j;
        }
        bool now = false;
        switch (op) {
        case Op::And: now = inA && inB; break;
        case Op::Or: now = inA || inB; break;
        case Op::Diff: now = inA && !inB; break;
        case Op::Xor: now = inA != inB; break;
        }
        if (now != inside) {
            if (!now && !result.empty() && result.back() == x)
                result.pop_back(); // an empty interval
            else
                result.push_back(x);
            inside = now;
        }
    }
    return result;
}

Region Region::Combine(const Region& a, const Region& b, Op op)
{
    static const std::vector<double> none;
    Region result;
    std::size_t i = 0, j = 0;
    std::size_t spans = 0;
    std::size_t work = 0;
    if (a.bands_.empty() && b.bands_.empty())
        return result;
    double y = a.bands_.empty()   ? b.bands_.front().Top
               : b.bands_.empty() ? a.bands_.front().Top
                                  : std::min(a.bands_.front().Top, b.bands_.front().Top);
    while (i < a.bands_.size() || j < b.bands_.size()) {
        // Skip what lies above y.
        while (i < a.bands_.size() && a.bands_[i].Bottom <= y)
            ++i;
        while (j < b.bands_.size() && b.bands_[j].Bottom <= y)
            ++j;
        if (i >= a.bands_.size() && j >= b.bands_.size())
            break;
        const Band* ba = i < a.bands_.size() && a.bands_[i].Top <= y ? &a.bands_[i] : nullptr;
        const Band* bb = j < b.bands_.size() && b.bands_[j].Top <= y ? &b.bands_[j] : nullptr;
        double next = 1e300;
        if (i < a.bands_.size())
            next = std::min(next, ba ? ba->Bottom : a.bands_[i].Top);
        if (j < b.bands_.size())
            next = std::min(next, bb ? bb->Bottom : b.bands_[j].Top);
        if (ba || bb) {
            std::vector<double> spansHere = CombineSpans(ba ? ba->Spans : none, bb ? bb->Spans : none, op);
            spans += spansHere.size() / 2;
            work += (ba ? ba->Spans.size() : 0) + (bb ? bb->Spans.size() : 0) + 1;
            result.Append(y, next, std::move(spansHere));
            if (spans > kMaxRegionSpans || work > kMaxRegionWork) {
                // Bounds that hold the combination stand in.
                Box bounds = a.Bounds();
                if (op == Op::Or || op == Op::Xor) {
                    const Box other = b.Bounds();
                    bounds = a.IsEmpty() ? other : b.IsEmpty() ? bounds : bounds.Around(other);
                }
                return Region(bounds);
            }
        }
        y = next;
    }
    return result;
}

Region Region::Intersected(const Region& other) const { return Combine(*this, other, Op::And); }
Region Region::United(const Region& other) const { return Combine(*this, other, Op::Or); }
Region Region::Subtracted(const Region& other) const { return Combine(*this, other, Op::Diff); }
Region Region::Xored(const Region& other) const { return Combine(*this, other, Op::Xor); }

Region Region::Translated(double dx, double dy) const
{
    Region result = *this;
    for (Band& band : result.bands_) {
        band.Top += dy;
        band.Bottom += dy;
        for (double& x : band.Spans)
            x += dx;
    }
    return result;
}

Box Region::Bounds() const
{
    if (bands_.empty())
        return {};
    Box bounds{1e300, bands_.front().Top, -1e300, bands_.back().Bottom};
    for (const Band& band : bands_) {
        bounds.Left = std::min(bounds.Left, band.Spans.front());
        bounds.Right = std::max(bounds.Right, band.Spans.back());
    }
    return bounds;
}

std::vector<Box> Region::Boxes() const
{
    std::vector<Box> boxes;
    for (const Band& band : bands_)
        for (std::size_t k = 0; k + 1 < band.Spans.size(); k += 2)
            boxes.push_back({band.Spans[k], band.Top, band.Spans[k + 1], band.Bottom});
    return boxes;
}

} // namespace emfplay

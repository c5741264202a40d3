#include "emfplay/DeviceContext.h"

#include <uemf.h>

#include <algorithm>

namespace emfplay {

namespace {

// The device everywhere a picture can reach: what "no clip" clips to.
const Box kEverywhere{-1e7, -1e7, 1e7, 1e7};

Box Intersection(const Box& a, const Box& b)
{
    return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

} // namespace

int ClipState::RegionIndex() const
{
    for (std::size_t i = 0; i < Areas.size(); ++i)
        if (Areas[i]->Rectangles)
            return static_cast<int>(i);
    return -1;
}

void ClipState::SetRegion(Region region)
{
    if (region.IsEmpty()) {
        Areas.clear();
        Nothing = true;
        return;
    }
    auto area = std::make_shared<ClipArea>();
    area->Rectangles = std::move(region);
    const int index = RegionIndex();
    if (index >= 0)
        Areas[index] = std::move(area);
    else
        Areas.insert(Areas.begin(), std::move(area));
}

void ClipState::Combine(std::uint32_t mode, const Region& region)
{
    const int index = RegionIndex();
    switch (mode) {
    case U_RGN_COPY:
        Reset();
        SetRegion(region);
        break;
    case U_RGN_AND:
        if (!Nothing)
            SetRegion(index >= 0 ? Areas[index]->Rectangles->Intersected(region) : region);
        break;
    case U_RGN_DIFF:
        if (!Nothing)
            SetRegion((index >= 0 ? *Areas[index]->Rectangles : Region(kEverywhere)).Subtracted(region));
        break;
    case U_RGN_OR:
    case U_RGN_XOR:
        if (Nothing) {
            Reset();
            SetRegion(region);
        } else if (!IsSet()) {
            // No clip shows everything: its union is everything, its exclusive or the rest.
            if (mode == U_RGN_XOR)
                SetRegion(Region(kEverywhere).Subtracted(region));
        } else if (Areas.size() == 1 && index == 0) {
            SetRegion(mode == U_RGN_OR ? Areas[0]->Rectangles->United(region) : Areas[0]->Rectangles->Xored(region));
        } else {
            // Outlines and rectangles do not combine here: the bounds of what shows stand in.
            Box bounds = kEverywhere;
            for (const auto& area : Areas)
                bounds = Intersection(bounds, area->Rectangles ? area->Rectangles->Bounds() : area->Outline.Bounds());
            Reset();
            SetRegion(Region(bounds).United(region));
        }
        break;
    default:
        break;
    }
}

void ClipState::Combine(std::uint32_t mode, const Path& outline, bool evenOdd)
{
    auto area = std::make_shared<ClipArea>();
    area->Outline = outline;
    area->EvenOdd = evenOdd;
    switch (mode) {
    case U_RGN_COPY:
        Reset();
        Areas.push_back(std::move(area));
        break;
    case U_RGN_AND:
        if (!Nothing && Areas.size() < kMaxClipAreas)
            Areas.push_back(std::move(area));
        break;
    case U_RGN_DIFF:
        if (!Nothing && Areas.size() < kMaxClipAreas) {
            // The outline's outside: the device around it, by the even-odd rule.
            area->Outline = RectanglePath(kEverywhere);
            area->Outline.Append(outline);
            area->EvenOdd = true;
            Areas.push_back(std::move(area));
        }
        break;
    case U_RGN_OR:
    case U_RGN_XOR:
        if (Nothing) {
            Reset();
            Areas.push_back(std::move(area));
        } else if (IsSet()) {
            Box bounds = kEverywhere;
            for (const auto& a : Areas)
                bounds = Intersection(bounds, a->Rectangles ? a->Rectangles->Bounds() : a->Outline.Bounds());
            Reset();
            SetRegion(Region(bounds).United(Region(outline.Bounds())));
        }
        break;
    default:
        break;
    }
}

void ClipState::Translate(double dx, double dy)
{
    for (auto& area : Areas) {
        auto moved = std::make_shared<ClipArea>();
        if (area->Rectangles)
            moved->Rectangles = area->Rectangles->Translated(dx, dy);
        else
            moved->Outline = area->Outline.Transformed(Affine::Translation(dx, dy));
        moved->EvenOdd = area->EvenOdd;
        area = std::move(moved);
    }
}

} // namespace emfplay

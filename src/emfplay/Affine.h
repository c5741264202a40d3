#pragma once
// Points and affine transforms of the player, in doubles.
#include <algorithm>
#include <cmath>
#include <optional>

namespace emfplay {

struct Point {
    double X = 0;
    double Y = 0;
};

// x' = A·x + C·y + E, y' = B·x + D·y + F: SVG's matrix(A B C D E F), and a metafile's XFORM
// (eM11 eM12 eM21 eM22 eDx eDy) in that order.
struct Affine {
    double A = 1, B = 0, C = 0, D = 1, E = 0, F = 0;

    static Affine Translation(double x, double y) { return {1, 0, 0, 1, x, y}; }
    static Affine Scaling(double x, double y) { return {x, 0, 0, y, 0, 0}; }

    Point Map(Point p) const { return {A * p.X + C * p.Y + E, B * p.X + D * p.Y + F}; }
    Point MapVector(Point v) const { return {A * v.X + C * v.Y, B * v.X + D * v.Y}; }
    double Determinant() const { return A * D - B * C; }
    // The scale of lengths: the square root of the area's.
    double Scale() const { return std::sqrt(std::abs(Determinant())); }

    // This transform, then `next`.
    Affine Then(const Affine& next) const
    {
        return {A * next.A + B * next.C,         A * next.B + B * next.D,
                C * next.A + D * next.C,         C * next.B + D * next.D,
                E * next.A + F * next.C + next.E, E * next.B + F * next.D + next.F};
    }

    bool IsFinite() const
    {
        return std::isfinite(A) && std::isfinite(B) && std::isfinite(C) && std::isfinite(D) && std::isfinite(E) &&
               std::isfinite(F);
    }
    // Neither rotated nor sheared: each axis maps onto itself.
    bool IsAxisAligned() const
    {
        const double largest = std::max(std::abs(A), std::abs(D));
        return std::abs(B) <= largest * 1e-9 && std::abs(C) <= largest * 1e-9;
    }
    std::optional<Affine> Inverse() const
    {
        const double det = Determinant();
        if (!std::isfinite(det) || std::abs(det) < 1e-300)
            return std::nullopt;
        const Affine inverse{D / det, -B / det, -C / det, A / det, (C * F - D * E) / det, (B * E - A * F) / det};
        if (!inverse.IsFinite())
            return std::nullopt;
        return inverse;
    }
};

} // namespace emfplay

// B-splines: checking what a file stores, turning fit points into control points, and chords
// within a tolerance. Shared by the SPLINE entity and the spline edges of hatch boundaries.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <span>
#include <vector>

namespace orvanta {

// CAD programs write splines of degree 1 to 11; higher degrees are taken for damage.
constexpr int MaxSplineDegree = 11;

// A (rational) B-spline: control points, one knot more than control points plus degree, and
// either no weights or one positive weight per control point.
struct SplineCurve {
    int degree = 3;
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<TAcadPoint> control;
};

// The curve a file stores, made ready to draw: from the control points (with clamped uniform
// knots when the file stores none), or, without control points, a cubic through the fit points.
// False for anything that describes no curve: a degree outside 1..MaxSplineDegree, too few
// points, knots out of order or of the wrong number, weights that are not positive, or a
// coordinate that is not finite.
bool MakeSplineCurve(int degree, std::span<const double> knots, std::span<const double> weights,
                     std::span<const TAcadPoint> control, std::span<const TAcadPoint> fit,
                     SplineCurve& curve);

// A curve as MakeSplineCurve leaves it, without copying its points.
struct SplineView {
    int degree = 3;
    std::span<const double> knots;
    std::span<const double> weights;
    std::span<const TAcadPoint> control;
};
inline SplineView ViewOf(const SplineCurve& c) {
    return {c.degree, c.knots, c.weights, c.control};
}
// A normalised SPLINE record, whose curve MakeSplineCurve accepted.
inline SplineView ViewOf(const TSplineBlk& s) {
    return {s.degree, s.knots, s.weights, s.control};
}

// Appends points of the curve (its first point included) such that no chord strays further than
// `tolerance` from it, and at most about `maxPoints` points: a curve that would need more gets
// coarser chords.
void FlattenSpline(const SplineView& curve, double tolerance, std::size_t maxPoints,
                   std::vector<TAcadPoint>& out);

// Replaces fit-point splines of SplineAry and BlkSplineAry by their control points, and removes
// the splines that describe no curve. Returns how many were removed.
std::size_t PrepareSplines(Drawing& drawing);

} // namespace orvanta

// Ellipses to chords. The renderer draws no ellipses, so every ELLIPSE becomes segments.
#pragma once

#include "geometry/Primitives.h"
#include "model/AcadDxfUnit.h"

#include <cmath>

#include <cstddef>

namespace orvanta {

// The angle step, in degrees, with which curves are replaced by chords.
constexpr double FlatteningStepDeg = 10;

// Appends to LineAry the chords of every ellipse of EllipseAry, in world coordinates, stepping
// the ellipse parameter by `stepDeg` degrees from the start to the end parameter. An end
// parameter below the start runs counter-clockwise through 0 (2π is added to it); an ellipse
// whose major axis has length 0 is skipped. Chords shorter than 1e-5 in every coordinate are
// left out. A step that is not positive produces nothing.
void FlattenEllipses(Drawing& drawing, double stepDeg);

// Appends the whole curve of one ellipse to out.CurveAry and its chords, a parameter step of
// `step` radians apart, to out.LineAry, as FlattenEllipses does; every point goes through
// `point` and every vector through `direction` on the way (a block placement; for the model both
// leave them as they are). Nothing is appended for a major axis of length 0.
template <class Point, class Direction>
void AppendEllipse(Drawing& out, const TEllipseBlk& e, double step, Point point,
                   Direction direction) {
    const TAcadPoint& axis = e.endpoint;
    const double a = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    if (!(a > 0)) return;
    const TAcadPoint u{axis.x / a, axis.y / a, axis.z / a};
    const TAcadPoint& n = e.code210;
    const TAcadPoint v = CrossProduct(u, n);
    // E(t) = centre + a·cos t·U + ratio·a·sin t·(N × U): counter-clockwise about N.
    const auto at = [&](double t) {
        TAcadPoint q = PolarPoint(TAcadPoint{}, t, a);
        q.y = -q.y * e.henpei;
        q.z = 0;
        return point(FramePoint(q, e.center, u, v, n));
    };

    double start = e.kaisi;
    double end = e.owari;
    // Writers store an arc through parameter 0 with its end below its start.
    if (end < start) end += TwoPi;
    // More than one turn draws nothing new; limiting it keeps hostile parameters cheap.
    if (end - start > TwoPi) end = start + TwoPi;

    // The whole curve, for the renderer; the chords below stand in for it elsewhere.
    TCurveBlk& curve = out.CurveAry.emplace_back();
    static_cast<EntityCommon&>(curve) = e;
    curve.center = point(e.center);
    curve.u = direction(TAcadPoint{u.x * a, u.y * a, u.z * a});
    const TAcadPoint minor = CrossProduct(n, u);
    curve.v = direction(
        TAcadPoint{minor.x * a * e.henpei, minor.y * a * e.henpei, minor.z * a * e.henpei});
    curve.start = start;
    curve.sweep = end - start;

    // Each chord is a copy of one record carrying the ellipse's common fields: copying them
    // costs less than building default names and assigning over them.
    TAcadLineBlk chord;
    static_cast<EntityCommon&>(chord) = e;
    chord.convtype = ConvChordOfCurve;

    double t = start;
    TAcadPoint p = at(t);
    while (t < end) {
        const double next = t + step;
        // At huge parameters a step may not change t at all; jump to the end then.
        t = (next > end || next <= t) ? end : next;
        const TAcadPoint q = at(t);
        if (!PointsNear(p, q, 1e-5)) {
            TAcadLineBlk& line = out.LineAry.emplace_back(chord);
            line.st = p;
            line.ed = q;
        }
        p = q;
    }
}

// At least the number of chords FlattenEllipses will append, for making room beforehand.
std::size_t EllipseChordBound(const Drawing& drawing, double stepDeg);

} // namespace orvanta

#include "geometry/EllipseFlattening.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

std::size_t EllipseChordBound(const Drawing& d, double stepDeg) {
    const double step = stepDeg * Pi / 180;
    if (!(step > 0)) return 0;
    std::size_t chords = 0;
    for (const TEllipseBlk& e : d.EllipseAry) {
        double span = e.owari - e.kaisi;
        if (span < 0) span += TwoPi;
        if (span > 0) chords += static_cast<std::size_t>(std::min(span, TwoPi) / step) + 1;
    }
    return chords;
}

void FlattenEllipses(Drawing& d, double stepDeg) {
    const double step = stepDeg * Pi / 180;
    if (!(step > 0)) return;
    ReserveMore(d.LineAry, EllipseChordBound(d, stepDeg));

    for (const TEllipseBlk& e : d.EllipseAry) {
        const TAcadPoint& axis = e.endpoint;
        const double a = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
        if (!(a > 0)) continue;
        const TAcadPoint u{axis.x / a, axis.y / a, axis.z / a};
        const TAcadPoint& n = e.code210;
        const TAcadPoint v = CrossProduct(u, n);
        // E(t) = centre + a·cos t·U + ratio·a·sin t·(N × U): counter-clockwise about N.
        const auto at = [&](double t) {
            TAcadPoint q = PolarPoint(TAcadPoint{}, t, a);
            q.y = -q.y * e.henpei;
            q.z = 0;
            return FramePoint(q, e.center, u, v, n);
        };

        double start = e.kaisi;
        double end = e.owari;
        // Writers store an arc through parameter 0 with its end below its start.
        if (end < start) end += TwoPi;
        // More than one turn draws nothing new; limiting it keeps hostile parameters cheap.
        if (end - start > TwoPi) end = start + TwoPi;

        // The whole curve, for the renderer; the chords below stand in for it elsewhere.
        TCurveBlk& curve = d.CurveAry.emplace_back();
        curve.layer = e.layer;
        curve.ltype = e.ltype;
        curve.color = e.color;
        curve.code67 = e.code67;
        curve.center = e.center;
        curve.u = {u.x * a, u.y * a, u.z * a};
        const TAcadPoint minor = CrossProduct(n, u);
        curve.v = {minor.x * a * e.henpei, minor.y * a * e.henpei, minor.z * a * e.henpei};
        curve.start = start;
        curve.sweep = end - start;

        // Each chord is a copy of one record carrying the ellipse's fields: copying the strings
        // costs less than building default ones and assigning over them.
        TAcadLineBlk chord;
        chord.convtype = ConvChordOfCurve;
        chord.layer = e.layer;
        chord.ltype = e.ltype;
        chord.color = e.color;
        chord.code67 = e.code67;

        double t = start;
        TAcadPoint p = at(t);
        while (t < end) {
            const double next = t + step;
            // At huge parameters a step may not change t at all; jump to the end then.
            t = (next > end || next <= t) ? end : next;
            const TAcadPoint q = at(t);
            if (!PointsNear(p, q, 1e-5)) {
                TAcadLineBlk& line = d.LineAry.emplace_back(chord);
                line.st = p;
                line.ed = q;
            }
            p = q;
        }
    }
}

} // namespace orvanta

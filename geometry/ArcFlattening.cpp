#include "geometry/ArcFlattening.h"

#include "geometry/Primitives.h"
#include "geometry/TableGrowth.h"

#include <cmath>

namespace orvanta {

namespace {

// The number of whole steps strictly inside a sweep.
double InnerSteps(double sweep, double step) {
    return sweep > step ? std::ceil(sweep / step) - 1 : 0;
}

// The sweep of an arc in degrees, through 0° when its start is above its end, at most one turn;
// `last` is the angle of its last vertex.
double ArcSweep(const TArcBlk& arc, double& last) {
    double sweep = arc.ed - arc.st;
    if (arc.st > arc.ed) sweep += 360;
    last = arc.ed;
    if (sweep > 360) {
        sweep = 360;
        last = arc.st + 360;
    }
    return sweep;
}

// Whether a curve with this extrusion is replaced by chords.
bool Flattened(const TAcadPoint& extrusion, bool all) {
    return all || !IsDefaultExtrusion(extrusion);
}

// Chords of the arc of `center` and `radius` from `st` over `sweep` degrees, the last vertex at
// `last`. Intermediate angles are st + step, st + 2·step, ... strictly inside the sweep,
// accumulated by repeated addition.
template <class Source>
void AppendChords(Drawing& d, const Source& source, std::int16_t space, double st, double sweep,
                  double last, double step) {
    const double n = InnerSteps(sweep, step);
    const auto vertex = [&](double deg) {
        return PolarPoint(source.center, deg * DegToRad, source.hankei);
    };
    const auto chord = [&](const TAcadPoint& a, const TAcadPoint& b) {
        TAcadLineBlk& line = d.LineAry.emplace_back();
        line.layer = source.layer;
        line.ltype = source.ltype;
        line.color = source.color;
        // A paper-space curve stays in paper space through its chords.
        line.code67 = space;
        line.st = a;
        line.ed = b;
        line.code210 = source.code210;
    };
    TAcadPoint previous = vertex(st);
    double angle = st;
    for (double k = 1; k <= n; ++k) {
        angle += step;
        const TAcadPoint next = vertex(angle);
        chord(previous, next);
        previous = next;
    }
    chord(previous, vertex(last));
}

} // namespace

std::size_t ArcChordCount(const Drawing& d, bool all, double stepDeg) {
    if (!(stepDeg > 0)) return 0;
    std::size_t chords = 0;
    for (const TArcBlk& arc : d.ArcAry) {
        if (!Flattened(arc.code210, all)) continue;
        double last;
        chords += static_cast<std::size_t>(InnerSteps(ArcSweep(arc, last), stepDeg)) + 1;
    }
    return chords;
}

std::size_t CircleChordCount(const Drawing& d, bool all, double stepDeg) {
    if (!(stepDeg > 0)) return 0;
    std::size_t circles = 0;
    for (const TCircleBlk& circle : d.CircleAry)
        circles += Flattened(circle.code210, all);
    return circles * (static_cast<std::size_t>(InnerSteps(360, stepDeg)) + 1);
}

void FlattenArcs(Drawing& d, bool all, double stepDeg) {
    if (!(stepDeg > 0)) return;
    ReserveMore(d.LineAry, ArcChordCount(d, all, stepDeg));
    // Chords are appended to LineAry, never to ArcAry, so references into ArcAry stay valid.
    for (TArcBlk& arc : d.ArcAry) {
        if (!Flattened(arc.code210, all)) continue;
        const std::int16_t space = arc.code67;
        arc.code67 = -1;
        double last;
        const double sweep = ArcSweep(arc, last);
        AppendChords(d, arc, space, arc.st, sweep, last, stepDeg);
    }
}

void FlattenCircles(Drawing& d, bool all, double stepDeg) {
    if (!(stepDeg > 0)) return;
    ReserveMore(d.LineAry, CircleChordCount(d, all, stepDeg));
    for (TCircleBlk& circle : d.CircleAry) {
        if (!Flattened(circle.code210, all)) continue;
        const std::int16_t space = circle.code67;
        circle.code67 = -1;
        // The closing chord returns to the exact angle-0 point.
        AppendChords(d, circle, space, 0, 360, 0, stepDeg);
    }
}

} // namespace orvanta

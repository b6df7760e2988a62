#include "geometry/ArcFlattening.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

#include <cmath>
#include <utility>
#include <vector>

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

// The vertex directions of a curve flattened from `st` over `sweep` degrees with its last vertex
// at `last`: st, then st + step, st + 2·step, ... strictly inside the sweep, accumulated by
// repeated addition, then last.
void ChordDirections(double st, double sweep, double last, double step,
                     std::vector<Direction>& directions) {
    directions.clear();
    const double n = InnerSteps(sweep, step);
    directions.push_back(DirectionOf(st * DegToRad));
    double angle = st;
    for (double k = 1; k <= n; ++k) {
        angle += step;
        directions.push_back(DirectionOf(angle * DegToRad));
    }
    directions.push_back(DirectionOf(last * DegToRad));
}

// Chords of the curve of `center` and `radius` through vertices in the given directions.
template <class Source>
void AppendChords(Drawing& d, const Source& source, std::int16_t space,
                  const std::vector<Direction>& directions, double startDeg, double sweepDeg) {
    // The whole curve, in world coordinates, for the renderer.
    const OcsFrame frame = OcsFrameOf(source.code210);
    TCurveBlk& curve = d.CurveAry.emplace_back();
    static_cast<EntityCommon&>(curve) = source;
    curve.code67 = space;
    curve.center = OcsToWcs(source.center, frame);
    const double r = source.hankei;
    curve.u = {frame.ax.x * r, frame.ax.y * r, frame.ax.z * r};
    curve.v = {frame.ay.x * r, frame.ay.y * r, frame.ay.z * r};
    curve.start = startDeg * DegToRad;
    curve.sweep = sweepDeg * DegToRad;
    // Each chord is a copy of one record carrying the curve's fields: copying the strings costs
    // less than building default ones and assigning over them.
    TAcadLineBlk chord;
    static_cast<EntityCommon&>(chord) = source;
    // A paper-space curve stays in paper space through its chords.
    chord.code67 = space;
    chord.code210 = source.code210;
    chord.convtype = ConvChordOfCurve;
    TAcadPoint previous = PolarPoint(source.center, directions[0], source.hankei);
    for (std::size_t k = 1; k < directions.size(); ++k) {
        const TAcadPoint next = PolarPoint(source.center, directions[k], source.hankei);
        // The last chord takes the prototype's strings instead of copying them.
        TAcadLineBlk& line = k + 1 < directions.size() ? d.LineAry.emplace_back(chord)
                                                       : d.LineAry.emplace_back(std::move(chord));
        line.st = previous;
        line.ed = next;
        previous = next;
    }
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
    // One list of directions serves every arc, so that it is allocated once.
    std::vector<Direction> directions;
    // Chords are appended to LineAry, never to ArcAry, so references into ArcAry stay valid.
    for (TArcBlk& arc : d.ArcAry) {
        if (!Flattened(arc.code210, all)) continue;
        const std::int16_t space = arc.code67;
        arc.code67 = -1;
        double last;
        const double sweep = ArcSweep(arc, last);
        ChordDirections(arc.st, sweep, last, stepDeg, directions);
        AppendChords(d, arc, space, directions, arc.st, sweep);
    }
}

void FlattenCircles(Drawing& d, bool all, double stepDeg) {
    if (!(stepDeg > 0)) return;
    ReserveMore(d.LineAry, CircleChordCount(d, all, stepDeg));
    // Every circle has its vertices in the same directions: their cosines and sines are worked
    // out once for all. The closing chord returns to the exact angle-0 point.
    std::vector<Direction> directions;
    ChordDirections(0, 360, 0, stepDeg, directions);
    for (TCircleBlk& circle : d.CircleAry) {
        if (!Flattened(circle.code210, all)) continue;
        const std::int16_t space = circle.code67;
        circle.code67 = -1;
        AppendChords(d, circle, space, directions, 0, 360);
    }
}

} // namespace orvanta

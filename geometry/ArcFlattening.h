// Arcs and circles outside the world's XY plane to chords.
//
// The renderer draws circles and arcs in the world XY plane only. An arc or circle whose
// extrusion is not (0, 0, 1) is replaced by chords in LineAry, still in its object coordinates
// (LinesToWcs maps them), and marked code67 = -1 so that it is neither drawn nor measured. The
// marked record stays in its table.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// Every arc of ArcAry with a non-default extrusion (every arc when `all`) becomes chords from its
// start angle in steps of `stepDeg` degrees to its end angle. A sweep of more than a full turn
// gives one full turn; a step that is not positive produces nothing.
void FlattenArcs(Drawing& drawing, bool all, double stepDeg);

// Likewise for CircleAry: chords from angle 0 round the full circle.
void FlattenCircles(Drawing& drawing, bool all, double stepDeg);

// The number of chords FlattenArcs and FlattenCircles will append, for making room beforehand.
std::size_t ArcChordCount(const Drawing& drawing, bool all, double stepDeg);
std::size_t CircleChordCount(const Drawing& drawing, bool all, double stepDeg);

} // namespace orvanta

// Ellipses to chords. The renderer draws no ellipses, so every ELLIPSE becomes segments.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// Appends to LineAry the chords of every ellipse of EllipseAry, in world coordinates, stepping
// the ellipse parameter by `stepDeg` degrees from the start to the end parameter. An end
// parameter below the start runs counter-clockwise through 0 (2π is added to it); an ellipse
// whose major axis has length 0 is skipped. Chords shorter than 1e-5 in every coordinate are
// left out. A step that is not positive produces nothing.
void FlattenEllipses(Drawing& drawing, double stepDeg);

// At least the number of chords FlattenEllipses will append, for making room beforehand.
std::size_t EllipseChordBound(const Drawing& drawing, double stepDeg);

} // namespace orvanta

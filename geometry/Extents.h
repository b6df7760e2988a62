// The extents of the normalised model, from which the view is fitted to the whole drawing.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstdint>

namespace orvanta {

// Sets ExtMin and ExtMax (z = 0) to the box of every model-space (code67 = 0) line, circle, arc,
// text (its estimated box), fill, point and spline (its control points). A record whose box is not
// finite is left out. A drawing with nothing countable gets (0, 0, 0) for both.
void ComputeExtents(Drawing& drawing);

// The same box for the records of one space (code67: 0 the model, a layout's space for its
// sheet) into min and max; false, leaving them as they are, when the space holds nothing
// countable.
bool SpaceExtents(const Drawing& drawing, std::int16_t space, TAcadPoint& min, TAcadPoint& max);

} // namespace orvanta

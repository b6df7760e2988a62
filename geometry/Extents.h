// The extents of the normalised model, from which the view is fitted to the whole drawing.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// Sets ExtMin and ExtMax (z = 0) to the box of every model-space (code67 = 0) line, circle, arc,
// text (its estimated box), fill, point and spline (its control points). A record whose box is not
// finite is left out. A drawing with nothing countable gets (0, 0, 0) for both.
void ComputeExtents(Drawing& drawing);

} // namespace orvanta

// The extents of the normalised model, from which the view is fitted to the whole drawing.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// Sets ExtMin and ExtMax (z = 0) to the box of every model-space (code67 = 0) line, circle and
// arc; texts count only when none of those does. A record with a coordinate that is not finite
// is left out. A drawing with nothing countable gets (0, 0, 0) for both.
void ComputeExtents(Drawing& drawing);

} // namespace orvanta

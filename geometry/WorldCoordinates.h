// Lines and texts from object to world coordinates. Both change points in place and leave the
// extrusion as it was, so each must run exactly once per load.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// Maps both ends of every line of LineAry whose extrusion is not (0, 0, 1).
void LinesToWcs(Drawing& drawing);

// Maps pt10 and pt11 of every TEXT of TextAry whose extrusion is not (0, 0, 1), and turns its
// rotation with the object x axis. Height, width factor and alignment stay. An MTEXT keeps its
// world point and direction; one without a direction gets the x axis of its object coordinates.
void TextsToWcs(Drawing& drawing);

} // namespace orvanta

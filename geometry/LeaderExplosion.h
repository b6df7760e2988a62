// Leaders to their segments and landing line.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// Appends to LineAry, for every leader of LeaderAry with at least two vertices, the segments
// through its first two or three vertices (later ones are not kept by the reader) and, when its
// annotation width is not 0, a horizontal landing line of that length from the last vertex.
void ExplodeLeaders(Drawing& drawing);

} // namespace orvanta

// 3D faces to the closed loop of their edges.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// Appends to LineAry the edges of every face of FaceAry: corner 1 to 2, ..., the last corner
// back to the first. Invisible-edge flags hide nothing.
void ExplodeFaces(Drawing& drawing);

} // namespace orvanta

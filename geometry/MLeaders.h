// MULTILEADERs to the records the renderer and block expansion know: leader lines, filled
// arrowheads and MTEXT.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// Turns every MULTILEADER into lines (each leader line through its vertices to its leader's last
// point, and the dogleg), a filled arrowhead at the first vertex of each line and the MTEXT of its
// text content: in the model into LineAry, FillAry and TextAry, in block definitions into their
// Blk tables, so that every placement of the block places them. Empties both MULTILEADER tables
// and returns how many MULTILEADERs drew nothing (no finite line and no text).
std::size_t MLeadersToPieces(Drawing& drawing);

} // namespace orvanta

// SOLIDs, TRACEs and HATCHes to fills: rings in world coordinates (block definitions: in block
// coordinates) and, for pattern hatches, the pattern lines clipped to the rings by the even-odd
// rule.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// A hatch whose pattern would give more lines than this is drawn as its boundary and a light
// fill instead, so that a mis-scaled pattern cannot stall the picture or fill the memory.
constexpr std::size_t MaxPatternLinesPerHatch = 20'000;
// The most pattern line pieces (after dashes) one hatch keeps; beyond it, a light fill as well.
constexpr std::size_t MaxPatternSegmentsPerHatch = 50'000;
// The most pattern line pieces one drawing keeps; hatches beyond it get light fills.
constexpr std::size_t MaxPatternSegmentsPerDrawing = 20'000'000;

// Appends a fill for every SOLID and TRACE: ModelSolidAry to FillAry, SolidAry (block
// definitions) to BlkFillAry. The corners run p1, p2, p4, p3.
void SolidsToFills(Drawing& drawing);

// Appends the frame of every WIPEOUT as a fill of its boundary lines: WipeoutAry to FillAry,
// BlkWipeoutAry to BlkFillAry. A rectangle clip gives its four sides.
void WipeoutsToFills(Drawing& drawing);

// Appends a fill for every HATCH: HatchAry to FillAry, BlkHatchAry to BlkFillAry. A hatch with
// no usable boundary is skipped; returns how many were.
std::size_t HatchesToFills(Drawing& drawing);

} // namespace orvanta

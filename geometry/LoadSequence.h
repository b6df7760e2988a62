// The one sequence that turns a freshly read drawing into what the renderer draws: lines,
// circles, arcs and texts in world coordinates, with the extents. The detail view, the previews
// and printing all load a drawing through it, so they all show the same picture.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// The angle step, in degrees, with which curves are replaced by chords.
constexpr double FlatteningStepDeg = 10;

// Runs the normalisation passes in their fixed order on a drawing just read, emptying each
// source table (polylines, ellipses, inserts, blocks, block inserts, faces, leaders) once its
// pass has consumed it, then sets ExtMin and ExtMax and resolves the pens. Throws
// BlockExpansionTooLarge (a SilentAbort) for a drawing whose blocks expand beyond any memory.
void NormaliseDrawing(Drawing& drawing);

// Records of the normalised model that are drawn and measured (model space, not replaced by
// chords), per table.
struct DrawableCounts {
    std::size_t lines = 0;
    std::size_t circles = 0;
    std::size_t arcs = 0;
    std::size_t texts = 0;
};
DrawableCounts CountDrawable(const Drawing& drawing);

} // namespace orvanta

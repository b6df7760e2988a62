// The kinds beyond lines, curves and texts (SOLID, TRACE, HATCH, WIPEOUT, SPLINE, POINT,
// MULTILEADER), made
// ready for block expansion and drawing.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// Turns SOLIDs, TRACEs, HATCHes and the frames of WIPEOUTs into fills, fit splines into control
// points and MULTILEADERs into lines, arrowheads and texts, in the model and in block definitions,
// and empties the source tables. Entities that describe nothing drawable (a hatch without a
// boundary, a spline of degree 0 or with damaged knots or weights) are skipped and counted in
// SkippedEntities.
void PrepareOtherKinds(Drawing& drawing);

// Empties the block-definition tables of these kinds (and of ellipses, faces and leaders), once
// block expansion has placed them.
void ReleaseOtherBlockKinds(Drawing& drawing);

} // namespace orvanta

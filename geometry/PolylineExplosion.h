// Polylines to plain segments and arcs. The reader keeps each LWPOLYLINE and POLYLINE as a header
// (TLwpBlk) and a run of vertices (TLwpEle); the renderer knows no polylines.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>

namespace orvanta {

// BlkLwpAry and BlkLwpEleAry become segments appended to BlkLineAry and bulge arcs appended to
// BlkArcAry, so that block expansion finds them among the block's own lines and arcs; a polyline
// with width also gets its band in BlkFillAry (FillKind::Band). Polygon
// meshes produce nothing here; polyface meshes give the visible edges of their faces
// (BlkPolyfaceAry). The input tables are left as they are.
void ExplodeBlockPolylines(Drawing& drawing);

// LwpAry and LwpEleAry become segments appended to LineAry and arcs appended to ArcAry, all
// carrying the header's extrusion, and the band of each polyline with width a fill of FillAry
// in world coordinates. Bulges sweeping at most one degree become their chord. A 3D
// polygon mesh gives its M-direction chains (closed by flag 1) and then its N-direction chains
// (closed by flag 32); a polyface mesh gives the visible edges of its faces (PolyfaceAry). The
// input tables are left as they are.
void ExplodeModelPolylines(Drawing& drawing);

// At most how many lines and arcs ExplodeModelPolylines appends, for making room beforehand.
// Every vertex gives at most one piece and a closed polyline one more; a bulge gives an arc or,
// when it sweeps at most one degree, a line; a polygon mesh gives up to two lines per vertex.
struct PolylinePieces {
    std::size_t lines = 0;
    std::size_t arcs = 0;
};
PolylinePieces ModelPolylinePieceBound(const Drawing& drawing);

} // namespace orvanta

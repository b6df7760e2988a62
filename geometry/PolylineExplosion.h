// Polylines to plain segments and arcs. The reader keeps each LWPOLYLINE and POLYLINE as a header
// (TLwpBlk) and a run of vertices (TLwpEle); the renderer knows no polylines.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

// BlkLwpAry and BlkLwpEleAry become segments appended to BlkLineAry and bulge arcs appended to
// BlkArcAry, so that block expansion finds them among the block's own lines and arcs. Meshes of
// any kind produce nothing here. The input tables are left as they are.
void ExplodeBlockPolylines(Drawing& drawing);

// LwpAry and LwpEleAry become segments appended to LineAry and arcs appended to ArcAry, all
// carrying the header's extrusion. Bulges sweeping at most one degree become their chord. A 3D
// polygon mesh gives its M-direction chains (closed by flag 1) and then its N-direction chains
// (closed by flag 32); a polyface mesh gives nothing. The input tables are left as they are.
void ExplodeModelPolylines(Drawing& drawing);

} // namespace orvanta

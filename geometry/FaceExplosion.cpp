#include "geometry/FaceExplosion.h"

#include "model/TableGrowth.h"

namespace orvanta {

void ExplodeFaces(Drawing& d) {
    ReserveMore(d.LineAry, 4 * d.FaceAry.size());
    for (const TFaceBlk& face : d.FaceAry) {
        // Each edge is a copy of one record carrying the face's fields: cheaper than building
        // default strings and assigning over them.
        TAcadLineBlk edge;
        edge.bname = face.bname;
        edge.layer = face.layer;
        edge.ltype = face.ltype;
        edge.code370 = face.code370;
        edge.color = face.color;
        edge.code67 = face.code67;
        ForEachFaceEdge(face, [&](const TAcadPoint& a, const TAcadPoint& b) {
            TAcadLineBlk& line = d.LineAry.emplace_back(edge);
            line.st = a;
            line.ed = b;
        });
    }
}

} // namespace orvanta

#include "geometry/FaceExplosion.h"

#include "model/TableGrowth.h"

namespace orvanta {

void ExplodeFaces(Drawing& d) {
    ReserveMore(d.LineAry, 4 * d.FaceAry.size());
    for (const TFaceBlk& face : d.FaceAry) {
        // Each edge is a copy of one record carrying the face's common fields: cheaper than
        // building default names and assigning over them.
        TAcadLineBlk edge;
        static_cast<EntityCommon&>(edge) = face;
        ForEachFaceEdge(face, [&](const TAcadPoint& a, const TAcadPoint& b) {
            TAcadLineBlk& line = d.LineAry.emplace_back(edge);
            line.st = a;
            line.ed = b;
        });
    }
}

} // namespace orvanta

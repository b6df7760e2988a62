#include "geometry/FaceExplosion.h"

#include "geometry/TableGrowth.h"

#include <algorithm>

namespace orvanta {

void ExplodeFaces(Drawing& d) {
    ReserveMore(d.LineAry, 4 * d.FaceAry.size());
    for (const TFaceBlk& face : d.FaceAry) {
        // The reader gives 3 or 4; anything else is held to the corners a face has.
        const int count = std::min<int>(face.count, 4);
        for (int j = 0; j < count; ++j) {
            TAcadLineBlk& edge = d.LineAry.emplace_back();
            edge.layer = face.layer;
            edge.ltype = face.ltype;
            edge.color = face.color;
            edge.code67 = face.code67;
            edge.st = face.pt[j];
            edge.ed = face.pt[(j + 1) % count];
        }
    }
}

} // namespace orvanta

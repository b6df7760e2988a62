#include "geometry/FaceExplosion.h"

#include "model/TableGrowth.h"

#include <algorithm>
#include <utility>

namespace orvanta {

void ExplodeFaces(Drawing& d) {
    ReserveMore(d.LineAry, 4 * d.FaceAry.size());
    for (const TFaceBlk& face : d.FaceAry) {
        // The reader gives 3 or 4; anything else is held to the corners a face has.
        const int count = std::min<int>(face.count, 4);
        // Each edge is a copy of one record carrying the face's fields, the last one taking its
        // strings: cheaper than building default strings and assigning over them.
        TAcadLineBlk edge;
        edge.layer = face.layer;
        edge.ltype = face.ltype;
        edge.color = face.color;
        edge.code67 = face.code67;
        for (int j = 0; j < count; ++j) {
            TAcadLineBlk& line = j + 1 < count ? d.LineAry.emplace_back(edge)
                                               : d.LineAry.emplace_back(std::move(edge));
            line.st = face.pt[j];
            line.ed = face.pt[(j + 1) % count];
        }
    }
}

} // namespace orvanta

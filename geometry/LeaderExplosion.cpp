#include "geometry/LeaderExplosion.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

namespace orvanta {

void ExplodeLeaders(Drawing& d) {
    ReserveMore(d.LineAry, 3 * d.LeaderAry.size());
    for (const TLeaderBlk& leader : d.LeaderAry) {
        // Each segment is a copy of one record carrying the leader's common fields: cheaper
        // than building default names and assigning over them.
        TAcadLineBlk prototype;
        static_cast<EntityCommon&>(prototype) = leader;
        ForEachLeaderSegment(leader, [&](const TAcadPoint& a, const TAcadPoint& b) {
            TAcadLineBlk& line = d.LineAry.emplace_back(prototype);
            line.st = a;
            line.ed = b;
        });
    }
}

} // namespace orvanta

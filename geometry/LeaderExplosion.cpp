#include "geometry/LeaderExplosion.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

namespace orvanta {

void ExplodeLeaders(Drawing& d) {
    ReserveMore(d.LineAry, 3 * d.LeaderAry.size());
    for (const TLeaderBlk& leader : d.LeaderAry) {
        // Each segment is a copy of one record carrying the leader's fields: cheaper than
        // building default strings and assigning over them.
        TAcadLineBlk prototype;
        prototype.bname = leader.bname;
        prototype.layer = leader.layer;
        prototype.ltype = leader.ltype;
        prototype.code370 = leader.code370;
        prototype.color = leader.color;
        prototype.code67 = leader.code67;
        ForEachLeaderSegment(leader, [&](const TAcadPoint& a, const TAcadPoint& b) {
            TAcadLineBlk& line = d.LineAry.emplace_back(prototype);
            line.st = a;
            line.ed = b;
        });
    }
}

} // namespace orvanta

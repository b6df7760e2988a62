#include "geometry/LeaderExplosion.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

namespace orvanta {

void ExplodeLeaders(Drawing& d) {
    ReserveMore(d.LineAry, 3 * d.LeaderAry.size());
    for (const TLeaderBlk& leader : d.LeaderAry) {
        if (leader.code76 <= 1) continue;
        // Each segment is a copy of one record carrying the leader's fields: cheaper than
        // building default strings and assigning over them.
        TAcadLineBlk prototype;
        prototype.bname = leader.bname;
        prototype.layer = leader.layer;
        prototype.ltype = leader.ltype;
        prototype.color = leader.color;
        prototype.code67 = leader.code67;
        const auto segment = [&](const TAcadPoint& a, const TAcadPoint& b) {
            TAcadLineBlk& line = d.LineAry.emplace_back(prototype);
            line.st = a;
            line.ed = b;
        };
        segment(leader.p1, leader.p2);
        TAcadPoint end = leader.p2;
        if (leader.code76 > 2) {
            segment(leader.p2, leader.p3);
            end = leader.p3;
        }
        // A negative width draws the landing to the left.
        if (leader.code41 != 0) segment(end, PolarPoint(end, 0, leader.code41));
    }
}

} // namespace orvanta

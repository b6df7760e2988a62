// Leaders to their segments and landing line.
#pragma once

#include "geometry/Primitives.h"
#include "model/AcadDxfUnit.h"

namespace orvanta {

// Calls segment(a, b) for each segment of a leader with at least two vertices: through its first
// two or three vertices (later ones are not kept by the reader) and, when its annotation width is
// not 0, a landing line of that length along the x axis from the last vertex.
template <class Segment> void ForEachLeaderSegment(const TLeaderBlk& leader, Segment&& segment) {
    if (leader.code76 <= 1) return;
    segment(leader.p1, leader.p2);
    TAcadPoint end = leader.p2;
    if (leader.code76 > 2) {
        segment(leader.p2, leader.p3);
        end = leader.p3;
    }
    // A negative width draws the landing to the left.
    if (leader.code41 != 0) segment(end, PolarPoint(end, 0, leader.code41));
}

// Appends to LineAry the segments of every leader of LeaderAry (ForEachLeaderSegment).
void ExplodeLeaders(Drawing& drawing);

} // namespace orvanta

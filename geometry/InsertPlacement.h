// How one INSERT maps the entities of its block into the space it is placed in: points by
// base point, scale, rotation and insertion point; radii and heights by |x scale|; arc angles so
// that arcs of mirrored blocks stay mirrored; text directions by the rotation.
#pragma once

#include "geometry/Primitives.h"
#include "model/AcadDxfUnit.h"

namespace orvanta {

class InsertPlacement {
  public:
    InsertPlacement(const TInsertBlk& insert, const TAcadPoint& blockBase);

    // (p − block base) scaled, rotated counter-clockwise, moved to the insertion point. Inline:
    // block expansion places every point of every copy through it.
    TAcadPoint point(const TAcadPoint& p) const {
        const TAcadPoint q = PointMul(PointSub(p, blockBase_), scale_);
        return PointAdd(TAcadPoint{q.x * cos_ - q.y * sin_, q.x * sin_ + q.y * cos_, q.z}, base_);
    }

    // Radii and text heights follow the x scale only; circles stay circles.
    double length(double value) const;

    // Start and end angles (degrees) of a block arc after placement. A negative scale factor
    // mirrors the arc: each angle φ becomes the direction of (sx·cos φ, sy·sin φ), and start and
    // end swap when exactly one factor is negative, so the arc still runs counter-clockwise over
    // the mirrored curve. Then the rotation is added. Angles are not reduced to [0, 360).
    void arcAngles(double& st, double& ed) const;

    // A direction vector turned by the rotation alone (texts are not drawn mirrored).
    TAcadPoint turn(const TAcadPoint& v) const;

    double rotation() const { return rotate_; }

    // Whether the x and y scales are equal in size, so that circles stay circles (a mirror
    // keeps them round too).
    bool round() const;

  private:
    TAcadPoint blockBase_;
    TAcadPoint scale_;
    TAcadPoint base_;
    double rotate_;
    double cos_;
    double sin_;
};

} // namespace orvanta

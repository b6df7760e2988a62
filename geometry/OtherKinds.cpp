#include "geometry/OtherKinds.h"

#include "geometry/Fills.h"
#include "geometry/MLeaders.h"
#include "geometry/Splines.h"

namespace orvanta {

namespace {

template <class Record> void Release(std::vector<Record>& table) {
    std::vector<Record>().swap(table);
}

} // namespace

void PrepareOtherKinds(Drawing& d) {
    SolidsToFills(d);
    WipeoutsToFills(d);
    d.SkippedEntities += HatchesToFills(d);
    d.SkippedEntities += PrepareSplines(d);
    d.SkippedEntities += MLeadersToPieces(d);
    Release(d.ModelSolidAry);
    Release(d.HatchAry);
    Release(d.BlkHatchAry);
    Release(d.WipeoutAry);
    Release(d.BlkWipeoutAry);
}

void ReleaseOtherBlockKinds(Drawing& d) {
    Release(d.BlkFillAry);
    Release(d.BlkPointAry);
    Release(d.BlkSplineAry);
    Release(d.BlkRayAry);
    Release(d.BlkEllipseAry);
    Release(d.BlkFaceAry);
    Release(d.BlkLeaderAry);
    Release(d.BlkImageAry);
}

} // namespace orvanta

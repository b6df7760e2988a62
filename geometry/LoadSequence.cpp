#include "geometry/LoadSequence.h"

#include "geometry/ArcFlattening.h"
#include "geometry/BlockExpansion.h"
#include "geometry/EllipseFlattening.h"
#include "geometry/Extents.h"
#include "geometry/FaceExplosion.h"
#include "geometry/LeaderExplosion.h"
#include "geometry/PolylineExplosion.h"
#include "geometry/Primitives.h"
#include "geometry/TableGrowth.h"
#include "geometry/WorldCoordinates.h"
#include "render/Colors.h"

#include <vector>

namespace orvanta {

namespace {

// Empties a table and gives its memory back.
template <class Record> void Release(std::vector<Record>& table) {
    std::vector<Record>().swap(table);
}

// Grows the model tables once for everything the passes below append (an upper bound where the
// exact number is costly), so that tables of millions of records are moved at most once. Block
// expansion is measured here, which also refuses an oversized drawing before any pass has run.
void MakeRoom(Drawing& d) {
    const ExpansionSize blocks = MeasureBlockExpansion(d);
    std::size_t bulged = 0;
    for (const TLwpEle& v : d.LwpEleAry)
        bulged += v.code42 != 0;
    const std::size_t chords = EllipseChordBound(d, FlatteningStepDeg) +
                               ArcChordCount(d, false, FlatteningStepDeg) +
                               CircleChordCount(d, false, FlatteningStepDeg);
    ReserveMore(d.LineAry, d.LwpEleAry.size() - bulged + d.LwpAry.size() + chords + blocks.lines +
                               4 * d.FaceAry.size() + 3 * d.LeaderAry.size());
    ReserveMore(d.ArcAry, bulged + blocks.arcs);
    ReserveMore(d.CircleAry, blocks.circles);
    ReserveMore(d.TextAry, blocks.texts);
}

} // namespace

void NormaliseDrawing(Drawing& d) {
    // Block polylines first, so that block expansion finds their pieces among the block's lines
    // and arcs.
    if (!d.BlkLwpAry.empty()) {
        ExplodeBlockPolylines(d);
        Release(d.BlkLwpAry);
        Release(d.BlkLwpEleAry);
    }
    MakeRoom(d);
    if (!d.LwpAry.empty()) {
        ExplodeModelPolylines(d);
        Release(d.LwpAry);
        Release(d.LwpEleAry);
    }

    // Curves outside the world XY plane become chords, then everything in object coordinates
    // is mapped to world coordinates, once.
    if (!d.EllipseAry.empty()) {
        FlattenEllipses(d, FlatteningStepDeg);
        Release(d.EllipseAry);
    }
    if (!d.ArcAry.empty()) FlattenArcs(d, false, FlatteningStepDeg);
    if (!d.CircleAry.empty()) FlattenCircles(d, false, FlatteningStepDeg);
    LinesToWcs(d);
    TextsToWcs(d);

    // Blocks: model references (with everything nested in them), then the dimensions' pictures.
    if (!d.InsertAry.empty()) {
        ExpandModelInserts(d);
        Release(d.InsertAry);
    }
    if (!d.BlockAry.empty()) {
        ExpandBlocks(d);
        Release(d.BlockAry);
    }
    if (!d.BlkInsertAry.empty()) Release(d.BlkInsertAry);

    if (!d.FaceAry.empty()) {
        ExplodeFaces(d);
        Release(d.FaceAry);
    }
    if (!d.LeaderAry.empty()) {
        ExplodeLeaders(d);
        Release(d.LeaderAry);
    }
    ComputeExtents(d);

    // The colour pass runs last: it fills PenColor, PenStyle and layindex of what is left.
    ResolvePens(d);
}

namespace {

template <typename Table> std::size_t CountModelSpace(const Table& table) {
    std::size_t n = 0;
    for (const auto& record : table)
        n += record.code67 == 0;
    return n;
}

} // namespace

DrawableCounts CountDrawable(const Drawing& d) {
    return {CountModelSpace(d.LineAry), CountModelSpace(d.CircleAry), CountModelSpace(d.ArcAry),
            CountModelSpace(d.TextAry)};
}

} // namespace orvanta

#include "geometry/LoadSequence.h"

#include "geometry/ArcFlattening.h"
#include "geometry/BlockExpansion.h"
#include "geometry/EllipseFlattening.h"
#include "geometry/Extents.h"
#include "geometry/FaceExplosion.h"
#include "geometry/LeaderExplosion.h"
#include "geometry/OtherKinds.h"
#include "geometry/PolylineExplosion.h"
#include "geometry/Primitives.h"
#include "geometry/TableGrowth.h"
#include "geometry/TableWarming.h"
#include "geometry/WorldCoordinates.h"
#include "render/Colors.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace orvanta {

namespace {

// Empties a table and gives its memory back.
template <class Record> void Release(std::vector<Record>& table) {
    std::vector<Record>().swap(table);
}

// The storage a model table grows into, as ReserveMore would grow it. It is set aside first and
// the records are moved into it only after the warmer has started on it, so that the warmer
// faults it in while they move.
template <class Record> class Room {
  public:
    // Room for `extra` more records; none when the table already has it.
    Room(std::vector<Record>& table, std::size_t extra) : table_(table), next_(table.size()) {
        const std::size_t needed = table.size() + extra;
        if (needed > table.capacity()) grown_.reserve(GrownCapacity(table.capacity(), needed));
    }

    // The storage the table's records will move to, if they move.
    void warmMoved(TableWarmer& warmer) {
        if (grown()) warmer.add(grown_.data(), table_.size());
    }
    // The storage of the next `count` records appended, as far as the room reaches.
    void warmNext(TableWarmer& warmer, std::size_t count) {
        const Record* storage = grown() ? grown_.data() : table_.data();
        const std::size_t capacity = grown() ? grown_.capacity() : table_.capacity();
        count = std::min(count, capacity - next_);
        warmer.add(storage + next_, count);
        next_ += count;
    }

    void move() {
        if (!grown()) return;
        grown_.insert(grown_.end(), std::make_move_iterator(table_.begin()),
                      std::make_move_iterator(table_.end()));
        table_.swap(grown_);
        std::vector<Record>().swap(grown_);
    }

  private:
    bool grown() const { return grown_.capacity() > 0; }

    std::vector<Record>& table_;
    std::vector<Record> grown_;
    std::size_t next_;
};

// Grows the model tables once for everything the passes below append (an upper bound where the
// exact number is costly), so that tables of millions of records are moved at most once, and has
// `warmer` fault the new storage in. Block expansion is measured here, which also refuses an
// oversized drawing before any pass has run.
void MakeRoom(Drawing& d, TableWarmer& warmer) {
    const ExpansionSize blocks = MeasureBlockExpansion(d);
    const PolylinePieces polylines = ModelPolylinePieceBound(d);
    const std::size_t chords = EllipseChordBound(d, FlatteningStepDeg) +
                               ArcChordCount(d, false, FlatteningStepDeg) +
                               CircleChordCount(d, false, FlatteningStepDeg);
    const std::size_t edges = 4 * d.FaceAry.size() + 3 * d.LeaderAry.size();

    Room lines(d.LineAry, polylines.lines + chords + blocks.lines + edges);
    Room arcs(d.ArcAry, polylines.arcs + blocks.arcs);
    Room circles(d.CircleAry, blocks.circles);
    Room texts(d.TextAry, blocks.texts);
    // In the order the storage is written: the records moved over, then polylines, chords,
    // blocks, faces and leaders.
    lines.warmMoved(warmer);
    arcs.warmMoved(warmer);
    circles.warmMoved(warmer);
    texts.warmMoved(warmer);
    // Bulges mostly give arcs; the lines they may give instead are not worth warming for.
    lines.warmNext(warmer, polylines.lines - polylines.arcs);
    arcs.warmNext(warmer, polylines.arcs);
    lines.warmNext(warmer, chords);
    lines.warmNext(warmer, blocks.lines);
    arcs.warmNext(warmer, blocks.arcs);
    circles.warmNext(warmer, blocks.circles);
    texts.warmNext(warmer, blocks.texts);
    lines.warmNext(warmer, edges);
    warmer.start();
    lines.move();
    arcs.move();
    circles.move();
    texts.move();
}

} // namespace

void NormaliseDrawing(Drawing& d) {
    // Block polylines first, so that block expansion finds their pieces among the block's lines
    // and arcs.
    if (!d.BlkLwpAry.empty()) {
        ExplodeBlockPolylines(d);
        Release(d.BlkLwpAry);
        Release(d.BlkLwpEleAry);
        Release(d.BlkPolyfaceAry);
    }
    // The room the passes below fill is faulted in on a second thread while they run.
    TableWarmer warmer;
    MakeRoom(d, warmer);
    if (!d.LwpAry.empty()) {
        ExplodeModelPolylines(d);
        Release(d.LwpAry);
        Release(d.LwpEleAry);
        Release(d.PolyfaceAry);
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

    // Solids, hatches and splines take the form blocks place and the renderer draws.
    PrepareOtherKinds(d);

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
    ReleaseOtherBlockKinds(d);

    if (!d.FaceAry.empty()) {
        ExplodeFaces(d);
        Release(d.FaceAry);
    }
    if (!d.LeaderAry.empty()) {
        ExplodeLeaders(d);
        Release(d.LeaderAry);
    }
    warmer.finish();
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

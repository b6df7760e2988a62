#include "render/LoadDrawing.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
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
#include "model/Abort.h"
#include "render/Colors.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
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

namespace orvanta {

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string UpperExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

// Keeps the reader's message instead of showing it: the caller decides how its user learns it.
class KeptMessage : public MessageSink {
  public:
    void showMessage(const std::string& text, const std::string&) override { text_ = text; }
    const std::string& text() const { return text_; }

  private:
    std::string text_;
};

// The failure of a probe, pass or conversion. Its text may already name one of `files` (the
// drawing, or the DXF converted from it), as "FILE: why" or "FILE:LINE: why"; the name and the
// line are taken out of the reason so that the message names them once.
LoadFailure FailureOf(std::initializer_list<const std::string*> files, const std::string& what) {
    for (const std::string* file : files) {
        const std::size_t at = file->size() + 1;
        if (file->empty() || what.size() <= at || what.compare(0, file->size(), *file) != 0 ||
            what[file->size()] != ':')
            continue;
        if (what[at] == ' ') return {*file, 0, what.substr(at + 1)};
        long line = 0;
        std::size_t end = at;
        while (end < what.size() && end - at < 10 && what[end] >= '0' && what[end] <= '9')
            line = line * 10 + (what[end++] - '0');
        if (end > at && what.compare(end, 2, ": ") == 0) return {*file, line, what.substr(end + 2)};
    }
    return {**files.begin(), 0, what};
}

// The steps of a load that can fail; each failure throws, LoadDrawingFile turns it into the
// result.
void Load(const std::string& path, const LoadOptions& options, LoadedDrawing& result,
          std::string& working) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw SilentAbort(path + ": no such file");
    if (S_ISDIR(st.st_mode)) throw SilentAbort(path + ": is a folder");

    ProbeFileSignature(path, result.signature);
    const bool dwgName = UpperExtension(path) == ".DWG";
    if (dwgName) {
        result.kind = DrawingFileKind::Dwg;
        DwgVersionName(result.signature, result.versionName);
    } else if (IsDwgSignature(result.signature)) {
        result.kind = DrawingFileKind::BinaryDxf;
        DxfVersionName(result.signature, result.versionName);
    } else {
        result.signature.clear();
    }

    working = path;
    if (result.kind != DrawingFileKind::Dxf) {
        if (!options.converter) {
            result.outcome = LoadOutcome::NotLoaded;
            return;
        }
        working = options.converter->convert(path);
        // No conversion was made and the user has been told why (the converter did not start).
        if (working.empty()) {
            result.outcome = LoadOutcome::NotLoaded;
            return;
        }
    }

    ReadDxfVersion(working, result.acadver);
    if (result.kind == DrawingFileKind::Dxf) DxfVersionName(result.acadver, result.versionName);
    result.encoding = EncodingForFile(working, result.acadver);

    const auto readStart = std::chrono::steady_clock::now();
    KeptMessage message;
    std::string status;
    ReadDxfFile(result.drawing, working, options.progress, &message, status, result.encoding);
    result.readSeconds = SecondsSince(readStart);
    if (!status.empty()) {
        result.failure = {working, 0, message.text(), true};
        return;
    }
    result.readCounts = TableCounts(result.drawing);
    result.otherCounts = OtherCounts(result.drawing);

    const auto normaliseStart = std::chrono::steady_clock::now();
    try {
        NormaliseDrawing(result.drawing);
    } catch (const SilentAbort& e) {
        result.failure = FailureOf({&working}, e.what());
        return;
    }
    result.normaliseSeconds = SecondsSince(normaliseStart);
    result.outcome = LoadOutcome::Loaded;
}

} // namespace

std::string LoadFailure::message() const {
    if (line > 0) return file + ":" + std::to_string(line) + ": " + reason;
    return file + ": " + reason;
}

LoadedDrawing LoadDrawingFile(const std::string& path, const LoadOptions& options) {
    LoadedDrawing result;
    std::string working;
    try {
        Load(path, options, result, working);
    } catch (const DxfReadError& e) {
        result.failure = {e.file(), e.line(), e.reason()};
    } catch (const SilentAbort& e) {
        result.failure = FailureOf({&path, &working}, e.what());
    }
    // A drawing that did not load is never half there.
    if (result.outcome != LoadOutcome::Loaded) result.drawing = Drawing();
    return result;
}

} // namespace orvanta

#include "load/LoadDrawing.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "dxf/PairSource.h"
#include "geometry/ArcFlattening.h"
#include "geometry/BlockExpansion.h"
#include "geometry/EllipseFlattening.h"
#include "geometry/Extents.h"
#include "geometry/FaceExplosion.h"
#include "geometry/Layouts.h"
#include "geometry/LeaderExplosion.h"
#include "geometry/OtherKinds.h"
#include "geometry/PolylineExplosion.h"
#include "geometry/Primitives.h"
#include "geometry/WorldCoordinates.h"
#include "load/ExternalFiles.h"
#include "model/Abort.h"
#include "model/TableGrowth.h"
#include "render/Colors.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <utility>
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
    const PolylinePieces polylines = ModelPolylinePieceBound(d);
    const std::size_t chords = EllipseChordBound(d, FlatteningStepDeg) +
                               ArcChordCount(d, false, FlatteningStepDeg) +
                               CircleChordCount(d, false, FlatteningStepDeg);
    const std::size_t edges = 4 * d.FaceAry.size() + 3 * d.LeaderAry.size();
    ReserveMore(d.LineAry, polylines.lines + chords + blocks.lines + edges);
    ReserveMore(d.ArcAry, polylines.arcs + blocks.arcs);
    ReserveMore(d.CircleAry, blocks.circles);
    ReserveMore(d.TextAry, blocks.texts);
}

} // namespace

void NormaliseDrawing(Drawing& d) {
    // The layouts' sheets enter the tables in spaces of their own before anything is placed.
    PrepareLayouts(d);
    // Block polylines first, so that block expansion finds their pieces among the block's lines
    // and arcs.
    if (!d.BlkLwpAry.empty()) {
        ExplodeBlockPolylines(d);
        Release(d.BlkLwpAry);
        Release(d.BlkLwpEleAry);
        Release(d.BlkPolyfaceAry);
    }
    MakeRoom(d);
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
    Release(d.ClipAry);
    ReleaseOtherBlockKinds(d);

    if (!d.FaceAry.empty()) {
        ExplodeFaces(d);
        Release(d.FaceAry);
    }
    if (!d.LeaderAry.empty()) {
        ExplodeLeaders(d);
        Release(d.LeaderAry);
    }
    ComputeExtents(d);
    MeasureLayouts(d);

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

// The failure of a probe, pass or conversion. Its text may already name one of `files` (the
// drawing, or the DXF converted from it), as "FILE: why" or "FILE:LINE: why"; the name and the
// line are taken out of the reason so that the message names them once.
LoadFailure FailureOf(std::initializer_list<const std::string*> files, const std::string& what) {
    for (const std::string* file : files) {
        const std::size_t at = file->size() + 1;
        if (file->empty() || what.size() <= at || what.compare(0, file->size(), *file) != 0 ||
            what[file->size()] != ':')
            continue;
        if (what[at] == ' ')
            return {*file, 0, LoadProblem::Other, {}, 0, {}, 0, what.substr(at + 1)};
        long line = 0;
        std::size_t end = at;
        while (end < what.size() && end - at < 10 && what[end] >= '0' && what[end] <= '9')
            line = line * 10 + (what[end++] - '0');
        if (end > at && what.compare(end, 2, ": ") == 0)
            return {*file, line, LoadProblem::Other, {}, 0, {}, 0, what.substr(end + 2)};
    }
    return {**files.begin(), 0, LoadProblem::Other, {}, 0, {}, 0, what};
}

// Finds the file of every image definition an IMAGE uses, once each, beside the drawing at
// `drawingPath` first, and counts the files not found.
void FindImageFiles(Drawing& d, const std::string& drawingPath) {
    std::vector<bool> used(d.ImageDefAry.size(), false);
    for (const auto* images : {&d.ImageAry, &d.BlkImageAry})
        for (const TImageBlk& image : *images)
            if (image.def >= 0 && static_cast<std::size_t>(image.def) < used.size())
                used[static_cast<std::size_t>(image.def)] = true;
    // Two definitions may name one file; it is looked for, and counted missing, once.
    std::unordered_map<std::string, std::optional<std::string>> found;
    d.MissingImages = 0;
    for (std::size_t i = 0; i < d.ImageDefAry.size(); ++i) {
        if (!used[i]) continue;
        TImageDef& def = d.ImageDefAry[i];
        const auto [at, added] = found.try_emplace(def.fileName);
        if (added && !def.fileName.empty())
            at->second = FindExternalFile(drawingPath, def.fileName);
        def.path = at->second.value_or(std::string());
        if (added && !at->second) ++d.MissingImages;
    }
}

} // namespace

std::string ChosenEncoding(const LoadOptions& options, const std::string& path) {
    if (!options.encoding.empty()) return options.encoding;
    if (!options.encodings) return {};
    const auto found = options.encodings->find(path);
    return found != options.encodings->end() ? found->second : std::string();
}

namespace {

// ReadDrawingFile; `convert` sends a DXF through the converter as well.
bool ReadDrawing(const std::string& path, const LoadOptions& options, LoadedDrawing& result,
                 std::string& working, bool convert) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw LoadFailed({path, 0, LoadProblem::NoSuchFile});
    if (S_ISDIR(st.st_mode)) throw LoadFailed({path, 0, LoadProblem::Folder});

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
    if (result.kind != DrawingFileKind::Dxf || convert) {
        if (!options.converter) {
            result.outcome = LoadOutcome::NotLoaded;
            return false;
        }
        working = options.converter->convert(path);
        // No conversion was made and the user has been told why (the converter did not start).
        if (working.empty()) {
            result.outcome = LoadOutcome::NotLoaded;
            return false;
        }
    }

    DxfHeader header;
    ReadDxfHeader(working, header);
    result.acadver = header.acadver;
    if (result.kind == DrawingFileKind::Dxf) DxfVersionName(result.acadver, result.versionName);
    result.encodingDecision = DecideEncoding(working, header, ChosenEncoding(options, path));
    result.encoding = result.encodingDecision.encoding;

    const auto readStart = std::chrono::steady_clock::now();
    ReadDxfFile(result.drawing, working, options.progress, result.encoding);
    result.readSeconds = SecondsSince(readStart);
    return true;
}

} // namespace

bool ReadDrawingFile(const std::string& path, const LoadOptions& options, LoadedDrawing& result,
                     std::string& working) {
    try {
        return ReadDrawing(path, options, result, working, false);
    } catch (const DxfReadError& e) {
        // A binary DXF our reader refuses may still be one the converter reads.
        if (!options.converter || e.inUse() || result.kind != DrawingFileKind::Dxf ||
            !IsBinaryDxfFile(path))
            throw;
    }
    return ReadDrawing(path, options, result, working, true);
}

namespace {

// The steps of a load that can fail; each failure throws, LoadDrawingFile turns it into the
// result.
void Load(const std::string& path, const LoadOptions& options, LoadedDrawing& result,
          std::string& working) {
    if (!ReadDrawingFile(path, options, result, working)) return;
    // References are found beside the drawing the user opened, not the converted DXF. What
    // they bring counts with the drawing (their layers are in its layer list), and their
    // reading with its reading.
    const auto referencesStart = std::chrono::steady_clock::now();
    result.missingReferences = ResolveExternalReferences(result.drawing, path, options);
    result.readSeconds += SecondsSince(referencesStart);
    result.readCounts = TableCounts(result.drawing);
    result.otherCounts = OtherCounts(result.drawing);
    result.images = result.drawing.ImageAry.size() + result.drawing.BlkImageAry.size();
    // Anonymous blocks (dimensions, hatches, the sheets) have no name a user gave them.
    for (const TBlockBlk& block : result.drawing.BlockAry)
        if (!block.name.empty() && block.name[0] != '*') result.blockNames.push_back(block.name);
    // The images' files lie beside the drawing the user opened, not beside a converted copy.
    FindImageFiles(result.drawing, path);
    // The sheets' own counts: the model, the ENTITIES section's paper space, and each block a
    // layout may take as its sheet (the passes empty the blocks, so they are counted now).
    std::vector<std::pair<std::string, std::array<TableCount, 13>>> blockCounts;
    for (const TBlockBlk& block : result.drawing.BlockAry)
        if (IsPaperSpaceBlock(block.name))
            blockCounts.emplace_back(block.name, SheetCounts(result.drawing, 0, block.name));
    const auto modelCounts = SheetCounts(result.drawing, 0);
    const auto paperCounts = SheetCounts(result.drawing, 1);

    const auto normaliseStart = std::chrono::steady_clock::now();
    try {
        NormaliseDrawing(result.drawing);
    } catch (const BlockExpansionTooLarge& e) {
        result.failure = {working, 0, LoadProblem::TooManyEntities};
        result.failure.limit = e.limit();
        return;
    } catch (const SilentAbort& e) {
        result.failure = FailureOf({&working}, e.what());
        return;
    }
    result.normaliseSeconds = SecondsSince(normaliseStart);
    const Drawing& d = result.drawing;
    std::int16_t last = 0;
    for (const TLayout& layout : d.LayoutAry)
        last = std::max(last, layout.space);
    auto none = TableCounts(d);
    // Layers (0), blocks (9) and views (12) count whole in every sheet.
    for (std::size_t i = 1; i < none.size(); ++i)
        if (i != 9 && i != 12) none[i].count = 0;
    result.sheetCounts.assign(static_cast<std::size_t>(last) + 1, none);
    result.sheetCounts[0] = modelCounts;
    for (const TLayout& layout : d.LayoutAry) {
        auto& counts = result.sheetCounts[static_cast<std::size_t>(layout.space)];
        if (layout.space == 1) counts = paperCounts;
        for (const auto& [name, own] : blockCounts)
            if (layout.space != 1 && SameTableName(name, layout.blockName)) counts = own;
    }
    result.outcome = LoadOutcome::Loaded;
}

} // namespace

std::string LoadFailure::reason(Language language) const {
    const bool ja = language == Language::Japanese;
    const std::string count = std::to_string(limit);
    switch (problem) {
    case LoadProblem::Other:
        return detail;
    case LoadProblem::NoSuchFile:
        return ja ? "ファイルがありません" : "no such file";
    case LoadProblem::Folder:
        return ja ? "フォルダです" : "is a folder";
    case LoadProblem::Dxf:
        return DescribeDxfProblem(dxfProblem, groupCode, value, detail, language);
    case LoadProblem::TooManyEntities:
        return ja ? "ブロック参照を展開すると " + count + " 個を超える図形になります"
                  : "the block references of this drawing expand to more than " + count +
                        " entities";
    case LoadProblem::NotEnoughMemory:
        return ja ? "図面を読み込むメモリが足りません" : "not enough memory to load the drawing";
    case LoadProblem::DwgUnderDxfName:
        return ja ? "DXFの名前を持つDWGファイルです．変換してから読み込みます"
                  : "a DWG file under a DXF name; it is read only after conversion";
    case LoadProblem::ConverterWroteNothing:
        return ja ? "変換プログラムがDXFファイルを書かずに終了しました"
                  : "the converter ended without writing a DXF file";
    case LoadProblem::ConversionStopped:
        return ja ? "変換を中止しました" : "the conversion was stopped";
    case LoadProblem::ConverterTimedOut:
        return ja ? "変換が " + count + " 秒を超えたので中止しました"
                  : "the converter took longer than " + count + " s and was stopped";
    }
    return detail;
}

std::string LoadFailure::message(Language language) const {
    if (offset >= 0) {
        const std::string at = std::to_string(offset);
        return language == Language::Japanese
                   ? file + "（バイトオフセット " + at + "）: " + reason(language)
                   : file + ": byte offset " + at + ": " + reason(language);
    }
    if (line <= 0) return file + ": " + reason(language);
    if (language == Language::Japanese)
        return file + "（" + std::to_string(line) + " 行目）: " + reason(language);
    return file + ":" + std::to_string(line) + ": " + reason(language);
}

LoadFailure FailureOf(const DxfReadError& error) {
    LoadFailure failure{error.file(), error.line(), LoadProblem::Dxf, error.problem()};
    failure.groupCode = error.groupCode();
    failure.value = error.value();
    failure.detail = error.detail();
    failure.offset = error.offset();
    return failure;
}

LoadFailed::LoadFailed(LoadFailure failure)
    : SilentAbort(failure.message(Language::English)), failure_(std::move(failure)) {}

LoadedDrawing LoadDrawingFile(const std::string& path, const LoadOptions& options) {
    LoadedDrawing result;
    std::string working;
    try {
        Load(path, options, result, working);
    } catch (const DxfReadError& e) {
        result.failure = FailureOf(e);
    } catch (const LoadFailed& e) {
        result.failure = e.failure();
    } catch (const SilentAbort& e) {
        result.failure = FailureOf({&path, &working}, e.what());
    }
    // A drawing that did not load is never half there.
    if (result.outcome != LoadOutcome::Loaded) result.drawing = Drawing();
    return result;
}

} // namespace orvanta

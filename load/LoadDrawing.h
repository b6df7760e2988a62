// Loading a drawing file: the one routine every caller uses (the detail view, the previews,
// printing, export and the command-line tool), so that every one of them shows the same picture
// of the same file. It decides what the file is, chooses its text encoding, reads it and turns
// it into what the renderer draws: lines, circles, arcs and texts in world coordinates with
// their pens resolved, and the extents.
//
// It sits at the top of the core: it uses the reader, the geometry passes and the colour pass,
// and nothing below it knows of it. It shows no box and writes no status text; its caller turns
// the result into whatever its user sees.
#pragma once

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "dxf/TextDecoder.h"
#include "geometry/EllipseFlattening.h"
#include "load/ExternalReferences.h"
#include "model/Abort.h"
#include "model/AcadDxfUnit.h"
#include "model/Host.h"
#include "model/Language.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace orvanta {

// What the file turned out to be.
enum class DrawingFileKind {
    Dxf,       // a text DXF
    Dwg,       // a DWG named .dwg
    BinaryDxf, // DWG content under a .dxf name
};

// How a load ended.
enum class LoadOutcome {
    Loaded,    // `drawing` holds the normalised model
    NotLoaded, // DWG content and no converter to turn it into text DXF: only the release is known
    Failed,    // the file could not be loaded; `failure` says why
};

// Turns DWG content into a text DXF. The window runs the outside converter; without one, DWG
// content is not loaded (and that is no failure).
class DrawingConverter {
  public:
    virtual ~DrawingConverter() = default;
    // The path of a text DXF made from `source`. Throws LoadFailed when the conversion fails, is
    // stopped or leaves no file; returns an empty path when no conversion could be made and the
    // user has already been told (the drawing is then not loaded, as without a converter).
    virtual std::string convert(const std::string& source) = 0;
};

// The encodings the user chose for files, by path: "GBK", "UTF-8", ... (EncodingNamed).
using FileEncodings = std::map<std::string, std::string>;

// The progress of a load that is given up (SilentAbort at its next progress step) once `stop`
// is set; a null `stop` never stops it. Workers that load drawings nobody may want any more
// pass one as LoadOptions::progress.
class StopSink : public ProgressSink {
  public:
    explicit StopSink(const std::atomic<bool>* stop) : stop_(stop) {}
    void setMaximum(int) override { check(); }
    void setPosition(int position) override {
        position_ = position;
        check();
    }
    int position() const override { return position_; }

  private:
    void check() const {
        if (stop_ && stop_->load(std::memory_order_relaxed)) throw SilentAbort("stopped");
    }
    const std::atomic<bool>* stop_;
    int position_ = 0;
};

struct LoadOptions {
    ProgressSink* progress = nullptr;
    DrawingConverter* converter = nullptr;
    // The encoding every file is read in ("GBK"); empty: each file's own choice, else the rules.
    std::string encoding;
    // The user's choices by path; may be null. Shared, never changed once given: a window that
    // changes a choice gives later loads a new map.
    std::shared_ptr<const FileEncodings> encodings;
};

// The encoding the user chose for the file at `path`: the options' one for all, else the file's
// own, else empty.
std::string ChosenEncoding(const LoadOptions& options, const std::string& path);

// Why a load failed.
enum class LoadProblem {
    Other,                 // `detail` says why, as it was given
    NoSuchFile,            // the file does not exist
    Folder,                // the path names a folder
    Dxf,                   // the DXF could not be read; `dxfProblem` says how
    TooManyEntities,       // the blocks expand to more than `limit` entities
    NotEnoughMemory,       // the memory ran out while loading
    DwgUnderDxfName,       // DWG content under a .dxf name and no converter
    ConverterWroteNothing, // the converter ended without writing a DXF
    ConversionStopped,     // the user stopped the conversion
    ConverterTimedOut,     // the converter ran longer than `limit` seconds and was stopped
};

// A failed load as data: what went wrong and where, so that every program words it in the
// language its user reads.
struct LoadFailure {
    std::string file; // the file that failed (the converted DXF when the failure lies there)
    long line = 0;    // the line of a malformed file, 0 when no line is to blame
    LoadProblem problem = LoadProblem::Other;
    DxfProblem dxfProblem = DxfProblem::Unreadable; // of LoadProblem::Dxf
    int groupCode = 0;                              // of the DXF pair that failed
    std::string value;                              // the offending value or line, shortened
    std::size_t limit = 0;                          // entities or seconds, as the problem says
    std::string detail;    // the reason as given, of LoadProblem::Other and unreadable files
    long long offset = -1; // the byte offset of what failed in a binary DXF, -1 when none

    // The file exists but could not be read: another program holds it, or a disk error.
    bool inUse() const {
        return problem == LoadProblem::Dxf && dxfProblem == DxfProblem::Unreadable;
    }
    // What went wrong, without the file and the line.
    std::string reason(Language language = TextLanguage()) const;
    // "file:line: reason", "file: byte offset N: reason" in a binary DXF, or "file: reason"
    // without either.
    std::string message(Language language = TextLanguage()) const;
};

// The failure of a DXF read as a load failure.
LoadFailure FailureOf(const DxfReadError& error);

// Thrown by a converter (or any step) whose failure is already known as data.
class LoadFailed : public SilentAbort {
  public:
    explicit LoadFailed(LoadFailure failure);
    const LoadFailure& failure() const { return failure_; }

  private:
    LoadFailure failure_;
};

struct LoadedDrawing {
    LoadOutcome outcome = LoadOutcome::Failed;
    DrawingFileKind kind = DrawingFileKind::Dxf;
    // The DWG version code of DWG content ("AC1027"), empty for a text DXF.
    std::string signature;
    // $ACADVER of the text DXF that was read, empty when it has none.
    std::string acadver;
    // The release as the file list shows it: of the DWG for DWG content, of $ACADVER otherwise.
    std::string versionName;
    TextEncoding encoding = TextEncoding::Cp932;
    // Why the text was read in that encoding (the status bar and `info` say it).
    EncodingDecision encodingDecision;
    // The record counts of the drawing as read, before the passes consumed anything.
    std::array<TableCount, 13> readCounts{};
    // The thirteen counts of each sheet as read, by space: [0] the model's, then each layout's
    // at its space. A space no sheet has counts nothing.
    std::vector<std::array<TableCount, 13>> sheetCounts;
    // The counts of the kinds beyond those thirteen, as read.
    std::array<TableCount, 6> otherCounts{};
    // The IMAGEs as read, model and block definitions together; the drawing's MissingImages
    // counts the files of those not found.
    std::size_t images = 0;
    // The names of the blocks the drawing defines, anonymous ones left out (the passes empty
    // the block table).
    std::vector<std::string> blockNames;
    double readSeconds = 0;
    double normaliseSeconds = 0;
    // The external references drawn as nothing (a file missing, unreadable, or referencing
    // itself), each with its reason.
    std::vector<MissingReference> missingReferences;
    LoadFailure failure;
    Drawing drawing;
};

// Loads the file at `path`. Never throws for anything the file holds or lacks: a missing,
// unreadable, malformed or oversized file gives LoadOutcome::Failed with the reason; only
// std::bad_alloc passes through.
LoadedDrawing LoadDrawingFile(const std::string& path, const LoadOptions& options = {});

// The reading half of LoadDrawingFile, which external references share: decides what the file
// is, converts DWG content (and a binary DXF the reader refuses) through the options' converter
// and reads the DXF in its encoding into result.drawing, filling the kind, signature, version
// names and encoding; `working` is the DXF that was read. False, with the outcome NotLoaded, when
// DWG content was not converted. Throws DxfReadError, LoadFailed or SilentAbort when the file
// cannot be read.
bool ReadDrawingFile(const std::string& path, const LoadOptions& options, LoadedDrawing& result,
                     std::string& working);

// Runs the normalisation passes in their fixed order on a drawing just read, emptying each
// source table (polylines, ellipses, inserts, blocks, block inserts, faces, leaders) once its
// pass has consumed it, then sets ExtMin and ExtMax and resolves the pens. Throws
// BlockExpansionTooLarge (a SilentAbort) for a drawing whose blocks expand beyond any memory.
void NormaliseDrawing(Drawing& drawing);

// Records of the normalised model that are drawn and measured (model space, not replaced by
// chords), per table.
struct DrawableCounts {
    std::size_t lines = 0;
    std::size_t circles = 0;
    std::size_t arcs = 0;
    std::size_t texts = 0;
};
DrawableCounts CountDrawable(const Drawing& drawing);

} // namespace orvanta

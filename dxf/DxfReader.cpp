#include "dxf/DxfReader.h"

#include "dxf/EntityParts.h"
#include "dxf/LineSource.h"
#include "dxf/NumberParsing.h"
#include "dxf/PairSource.h"
#include "dxf/SpatialFilters.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cmath>
#include <exception>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace orvanta {

std::string DescribeDxfProblem(DxfProblem problem, int groupCode, const std::string& value,
                               const std::string& detail, Language language) {
    const bool ja = language == Language::Japanese;
    const std::string quoted = "\"" + value + "\"";
    const std::string code = std::to_string(groupCode);
    switch (problem) {
    case DxfProblem::Unreadable:
        if (ja)
            return detail.empty() ? "ファイルを読めません（他のプログラムが使用中です）"
                                  : "ファイルを読めません（" + detail + "）";
        return detail.empty() ? "the file cannot be read; another program holds it"
                              : "the file cannot be read: " + detail;
    case DxfProblem::BinaryDxf:
        return ja ? "読めない形式のバイナリDXFです．テキストDXFに変換してから読み込みます"
                  : "a binary DXF file of a form this reader does not know, read only after "
                    "conversion to text DXF";
    case DxfProblem::NotGroupCode:
        return ja ? "グループコード（整数）の行に " + quoted + " があります"
                  : "expected a group code (an integer), found " + quoted;
    case DxfProblem::NotReal:
        return ja ? "グループコード " + code + " の値 " + quoted + " は実数ではありません"
                  : "value " + quoted + " of group code " + code + " is not a real number";
    case DxfProblem::NotSmallInteger:
        return ja ? "グループコード " + code + " の値 " + quoted +
                        " は -32768 から 32767 までの整数ではありません"
                  : "value " + quoted + " of group code " + code +
                        " is not an integer from -32768 to 32767";
    case DxfProblem::NotInteger:
        return ja ? "グループコード " + code + " の値 " + quoted +
                        " は -2147483648 から 2147483647 までの整数ではありません"
                  : "value " + quoted + " of group code " + code +
                        " is not an integer from -2147483648 to 2147483647";
    case DxfProblem::LineTooLong: {
        const std::string mib = std::to_string(LineSource::MaxLineLength >> 20);
        return ja ? mib + " MiB を超える長さの行があります"
                  : "a line is longer than " + mib + " MiB";
    }
    case DxfProblem::BinaryTruncated:
        if (groupCode < 0)
            return ja ? "グループコードの途中でファイルが終わっています"
                      : "the file ends inside a group code";
        return ja ? "グループコード " + code + " の値の途中でファイルが終わっています"
                  : "the file ends inside the value of group code " + code;
    case DxfProblem::BinaryStringTooLong: {
        const std::string mib = std::to_string(LineSource::MaxLineLength >> 20);
        return ja ? "グループコード " + code + " の文字列が " + mib + " MiB を超えても終わりません"
                  : "the string of group code " + code + " has no end within " + mib + " MiB";
    }
    }
    return {};
}

DxfReadError::DxfReadError(const std::string& file, long line, DxfProblem problem, int groupCode,
                           const std::string& value, const std::string& detail)
    : SilentAbort(file + ":" + std::to_string(line) + ": " +
                  DescribeDxfProblem(problem, groupCode, value, detail, Language::English)),
      file_(file), line_(line), problem_(problem), groupCode_(groupCode), value_(value),
      detail_(detail) {}

DxfReadError::DxfReadError(const std::string& file, ByteOffset offset, DxfProblem problem,
                           int groupCode, const std::string& value, const std::string& detail)
    : SilentAbort(file + ": byte offset " + std::to_string(offset.bytes) + ": " +
                  DescribeDxfProblem(problem, groupCode, value, detail, Language::English)),
      file_(file), line_(0), offset_(offset.bytes), problem_(problem), groupCode_(groupCode),
      value_(value), detail_(detail) {}

std::string DxfReadError::reason(Language language) const {
    return DescribeDxfProblem(problem_, groupCode_, value_, detail_, language);
}

const char* const FileInUseText = "DXFファイルは使用中です．";
const char* const FileInUseCaption = "Quelvar";

namespace {

enum class Kind {
    None,
    Line,
    Circle,
    Arc,
    Ellipse,
    Solid,
    Face,
    Lwpolyline,
    PolylineHeader,
    Text,
    Insert,
    Dimension,
    Leader,
    Point,
    Spline,
    Hatch,
    Ray,
    Wipeout,
    MLeader,
    Viewport,
    Image,
};

std::string UpperAscii(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// A polyline's width as the model keeps it: a negative or unreadable width is none.
float Width(double w) {
    return std::isfinite(w) && w > 0 ? static_cast<float>(std::min(w, 1e30)) : 0.0f;
}

RecordKind RecordKindOf(Kind kind) {
    switch (kind) {
    case Kind::Line:
        return RecordKind::Line;
    case Kind::Circle:
        return RecordKind::Circle;
    case Kind::Arc:
        return RecordKind::Arc;
    case Kind::Ellipse:
        return RecordKind::Ellipse;
    case Kind::Solid:
        return RecordKind::Solid;
    case Kind::Face:
        return RecordKind::Face;
    case Kind::Lwpolyline:
    case Kind::PolylineHeader:
        return RecordKind::Polyline;
    case Kind::Text:
        return RecordKind::Text;
    case Kind::Insert:
        return RecordKind::Insert;
    case Kind::Dimension:
        return RecordKind::Dimension;
    case Kind::Leader:
        return RecordKind::Leader;
    case Kind::Point:
        return RecordKind::Point;
    case Kind::Spline:
        return RecordKind::Spline;
    case Kind::Hatch:
        return RecordKind::Hatch;
    case Kind::Ray:
        return RecordKind::Ray;
    case Kind::Wipeout:
        return RecordKind::Wipeout;
    case Kind::MLeader:
        return RecordKind::MLeader;
    case Kind::Image:
        return RecordKind::Image;
    case Kind::Viewport:
    case Kind::None:
        break;
    }
    return RecordKind::Viewport;
}

// A read in parts that cannot be joined into what one thread reads: a part of the ENTITIES
// section left the section's reading (a table or a section inside it). The file is read again on
// one thread.
struct ReadAgainWhole {};

class Reader {
  public:
    Reader(Drawing& drawing, const std::string& fileName, ProgressSink* progress,
           TextEncoding encoding, int entityParts)
        : d_(&drawing), fileName_(fileName), entityParts_(entityParts), progress_(progress),
          decoder_(encoding), utf8_(encoding == TextEncoding::Utf8) {}

    // How many parts of the ENTITIES section were read and joined; 1 when none were.
    int partsJoined() const { return partsJoined_; }

    // Reads every pair of the open source, text or binary. Throws ReadAgainWhole when a read in
    // parts has to be given up.
    void run(LineSource& source);

  private:
    // Reading the ENTITIES section in parts, each on its own thread and into its own drawing,
    // joined in file order. The rest of the reader reads a part as it reads the whole file and
    // knows nothing of this; what it must keep in mind is said at `in_` and at joinPart.
    struct PartEnd;
    struct Part;
    void readEntitiesInParts(LineSource& source, PairSource& pairs);
    void beginPart(Drawing& drawing, long long start, long long end);
    PartEnd readPart(LineSource& source, PairSource& pairs, long long end,
                     const std::atomic<bool>* abandon);
    void joinPart(Part& part);
    [[noreturn]] void throwFrom(const PartEnd& ended, long lineBase) const;
    void countPair();

    [[noreturn]] void fail(DxfProblem problem, const std::string& value = {}) const {
        if (pairs_->binary())
            throw DxfReadError(fileName_, ByteOffset{pairs_->offset()}, problem, code_, value);
        throw DxfReadError(fileName_, line_, problem, code_, value);
    }

    // Value conversions; each failure names the group code and the offending text. A number of
    // a binary file is taken as it was written, under the same rules as its text.
    double real() const {
        double v;
        if (pairs_->number() == PairSource::Number::None) {
            if (!ParseReal(value_, v)) fail(DxfProblem::NotReal, Shorten(value_));
            return v;
        }
        v = pairs_->number() == PairSource::Number::Real ? pairs_->real()
                                                         : static_cast<double>(pairs_->integer());
        if (!std::isfinite(v)) fail(DxfProblem::NotReal, Shorten(value_));
        return v;
    }
    std::int16_t small() const {
        if (pairs_->number() != PairSource::Number::None) {
            const double v = pairs_->number() == PairSource::Number::Integer
                                 ? static_cast<double>(pairs_->integer())
                                 : pairs_->real();
            if (!(v >= -32768 && v <= 32767 && v == std::trunc(v)))
                fail(DxfProblem::NotSmallInteger, Shorten(value_));
            return static_cast<std::int16_t>(v);
        }
        std::int16_t v;
        if (!ParseSmallInt(value_, v)) fail(DxfProblem::NotSmallInteger, Shorten(value_));
        return v;
    }
    std::int32_t integer() const {
        const double v = real();
        if (!(v >= -2147483648.0 && v <= 2147483647.0))
            fail(DxfProblem::NotInteger, Shorten(value_));
        return static_cast<std::int32_t>(v);
    }
    // Layouts and viewports keep infinite and undefined values as written: whoever builds the
    // sheets judges them, and a sheet that cannot be shown is no reason to refuse the model.
    double realAsWritten() const {
        if (pairs_->number() == PairSource::Number::Real) return pairs_->real();
        if (pairs_->number() == PairSource::Number::Integer)
            return static_cast<double>(pairs_->integer());
        double v;
        if (!ParseRealAsWritten(value_, v)) fail(DxfProblem::NotReal, Shorten(value_));
        return v;
    }
    std::string text() { return decoder_.decode(value_); }
    std::string upperText() { return UpperAscii(text()); }
    // The index of an attribute tag in the drawing's TagAry, adding it when new; 0 once the
    // indices run out.
    std::uint16_t tagIndex(std::string tag) {
        if (tag.empty()) return 0;
        const auto found = tagIndices_.find(tag);
        if (found != tagIndices_.end()) return found->second;
        if (d_->TagAry.size() > 0xFFFF) return 0;
        const auto index = static_cast<std::uint16_t>(d_->TagAry.size());
        d_->TagAry.push_back(d_->name(tag));
        tagIndices_.emplace(std::move(tag), index);
        return index;
    }
    // Layer and linetype names, decoded and added to the drawing's names once per distinct value.
    Name layerName();
    Name ltypeName();

    std::int16_t layerColor(const std::string& name);
    void finishColor(std::int16_t& color, const std::string& layer, bool block);
    void finishOpenEntity();
    void processPair();
    void layerTable();
    void viewTable();
    void blockRecordTable();
    void objectPair();
    void takeLayout(TLayout& layout);
    bool takeViewport(TViewport& v);
    bool takeViewportXdata(TViewport& v);
    bool takePointAsWritten(int base, TAcadPoint& p);
    void recordPaperHandle(Kind kind);
    void finishLayouts();
    void finishPaperHandles();
    void blockHeader();
    bool openEntityTakes();
    void vertexRules();
    void startEntity();
    template <class Table> typename Table::reference append(Table& table);
    // A new record of the entity that starts, in the table of the block being read or the model's.
    template <class Record> Record& startRecord() {
        auto& table = RecordTable<Record>(*d_, block_);
        Record& r = append(table);
        openIndex_ = table.size() - 1;
        return r;
    }
    // The record of the open entity: the last of its table.
    template <class Record> Record& open() { return RecordTable<Record>(*d_, block_).back(); }
    // The record of the open entity, its colour settled now that all of it is read.
    template <class Record> Record& finishOpen() {
        Record& r = open<Record>();
        finishColor(r.color, r.layer, block_);
        return r;
    }
    std::size_t projectedCapacity(std::size_t size) const;

    bool takeLine(TAcadLineBlk& r);
    bool takeCircle(TCircleBlk& r);
    bool takeArc(TArcBlk& r);
    bool takeEllipse(TEllipseBlk& r);
    bool takeSolid(TSolidBlk& r);
    bool takeFace(TFaceBlk& r);
    bool takePolylineHeader(TLwpBlk& r);
    bool takeLwpolyline(TLwpBlk& r);
    bool takeText(TTextBlk& r);
    bool takeEmbeddedColumns(TTextBlk& r);
    void applyTextStyle(TTextBlk& r) const;
    void styleTable();
    bool takeInsert(TInsertBlk& r);
    bool takeDimension(TDimensionBlk& r);
    bool takeLeader(TLeaderBlk& r);
    template <class Record> bool takeCommon(Record& r);
    bool takePointEntity(TPointBlk& r);
    bool takeRay(TRayBlk& r);
    bool takeWipeout(TWipeoutBlk& r);
    bool takeImage(TImageBlk& r);
    void takeImageDef(TImageDef& def);
    void finishImages();
    bool takeSpline(TSplineBlk& r);
    bool takeHatch(THatchBlk& r);
    bool takeHatchEdge(THatchEdge& e);
    bool takeMLeader(TMLeaderBlk& r);
    bool takePoint(int base, TAcadPoint& p);
    std::int16_t* openLineweight();
    void headerVariable();

    Drawing* d_;
    const std::string& fileName_;
    const LineSource* source_ = nullptr;
    const PairSource* pairs_ = nullptr;
    // Where the section being read began, and where its records end (the end of the file, or
    // of the part being read): its records are spread over the file between them.
    long long sectionStart_ = 0;
    long long readEnd_ = 0;
    // Parts the ENTITIES section is read in (DxfReadOptions), and whether the pair just read
    // opened that section.
    int entityParts_ = 1;
    int partsJoined_ = 1;
    bool entitiesOpened_ = false;
    // Pairs read so far, and after how many the progress moves on.
    long long pairCount_ = 0;
    long long progressStep_ = 1;
    ProgressSink* progress_;
    TextDecoder decoder_;
    bool utf8_;

    // The current pair.
    int code_ = 0;
    PairValue value_;
    long line_ = 0;

    // Where the reader stands: the section, table or record the pairs belong to. Reading the
    // ENTITIES section in parts counts on this being all of it, so a flag of that kind belongs
    // here.
    struct Sections {
        bool blocks = false;
        bool entities = false;
        bool blockHeader = false;
        bool blockBody = false;
        bool table = false;
        bool layerTable = false;
        bool layerRecord = false;
        bool viewTable = false;
        bool viewRecord = false;
        bool styleTable = false;
        bool blockRecord = false;
        bool objects = false;
        bool layout = false;
        bool imageDef = false;
        bool rasterVariables = false;
        // The previous pair opened a section: this pair names it.
        bool sectionOpened = false;
        bool operator==(const Sections&) const = default;
    };
    Sections in_;

    // The open entity.
    Kind kind_ = Kind::None;
    bool block_ = false;
    // ACAD_TABLE is kept as the insert of its block; its table data after the block-reference
    // part is not read.
    bool tableData_ = false;
    // A DIMENSION inside a block definition is kept as an insert of its picture's block at the
    // block's own origin, so that every placement of the containing block places the picture.
    bool dimensionPicture_ = false;

    // Polylines: vertex mode, the current header and whether its current vertex exists yet.
    bool vertexMode_ = false;
    bool polylineInBlock_ = false;
    bool hasVertex_ = false;
    // The open VERTEX is a face record of a polyface mesh.
    bool faceRecord_ = false;
    int leaderVertex_ = -1;
    // The undecoded text of the open TEXT, ATTRIB or MTEXT.
    std::string rawText_;
    // What follows code 101 in the open text. An MTEXT's embedded object repeats the text's codes
    // with other meanings, its columns'. An attribute's is the MTEXT of a multi-line attribute,
    // which holds the whole value and the place it is drawn at.
    enum class Embedded { None, Columns, MText } embedded_ = Embedded::None;
    // The embedded MTEXT of the open attribute has given its text.
    bool embeddedTextRead_ = false;
    // The open text's style, and which of the values a style gives it the text sets itself.
    std::string textStyle_;
    bool ownWidth_ = false;
    bool ownOblique_ = false;
    bool ownFlags_ = false;
    // The open MTEXT's embedded object has listed a column height.
    bool columnHeightRead_ = false;
    // What the text styles give the texts that do not set it themselves, by upper-case name.
    struct StyleDefaults {
        double width = 1.0;
        double oblique = 0;
        std::int16_t flags = 0;
    };
    std::unordered_map<std::string, StyleDefaults> styles_;
    std::string styleName_;
    StyleDefaults style_;
    // The open text is an ATTDEF: code 3 is its prompt, not text, and it is kept only when it
    // is constant and visible (the ATTRIBs of the inserts carry the other values).
    bool attributeDefinition_ = false;
    // The index of each attribute tag in the drawing's TagAry.
    std::unordered_map<std::string, std::uint16_t> tagIndices_;
    // The open HATCH: before its boundary paths, in them, or in its pattern and seed points.
    enum class HatchPart { Head, Paths, Pattern } hatchPart_ = HatchPart::Head;
    // The open MULTILEADER: before its context data, in it, in one of its leaders or in a line
    // of that leader, or after the context.
    enum class MLeaderPart { Head, Context, Leader, Line, Tail } mleaderPart_ = MLeaderPart::Head;
    // The last header variable name (code 9).
    std::string headerVariable_;

    // Handle, index in its table and paper-space flag of the open entity; paper-space entities
    // are listed by handle when they end.
    std::string openHandle_;
    std::size_t openIndex_ = 0;
    bool openPaper_ = false;
    // The open block definition is a paper-space block.
    bool blockIsPaper_ = false;
    // The open VIEWPORT: whether it has the AcDbViewport part of release 2000 on, and where its
    // release 12 extended data stands (see takeViewportXdata).
    bool viewportSubclass_ = false;
    bool xdataAcad_ = false;
    bool mview_ = false;
    long mviewDepth_ = 0;
    int mviewPoints_ = 0;
    int mviewReals_ = 0;
    // Layer records by handle, for the layers a viewport freezes.
    std::unordered_map<std::uint64_t, std::size_t> layerHandles_;
    // The block records: each names a block, and the layout of a paper-space block.
    struct BlockRecord {
        std::uint64_t handle = 0; // code 5
        std::uint64_t layout = 0; // code 340
        std::string name;         // code 2
    };
    std::vector<BlockRecord> blockRecords_;
    // The block record each layout names (code 330 of its AcDbLayout part), by layout.
    std::vector<std::uint64_t> layoutBlockRecords_;
    // The part of the open LAYOUT: before its subclasses, or in one of them.
    enum class LayoutPart { Head, PlotSettings, Layout } layoutPart_ = LayoutPart::Head;
    // Clip boundaries: whether the open INSERT is in its "{ACAD_XDICTIONARY" group; the links
    // gathered so far; whether the open object is a DICTIONARY or a SPATIAL_FILTER, its handle,
    // the name of the dictionary entry being read and the filter being read (null outside one).
    bool xdictionary_ = false;
    SpatialFilterLinks clips_;
    enum class ClipObject { None, Dictionary, Filter } clipObject_ = ClipObject::None;
    std::uint64_t clipObjectHandle_ = 0;
    std::string entryName_;
    SpatialFilter* filter_ = nullptr;
    void clipObjectPair();

    // First index of each layer name, so that colour lookups do not walk the layer table.
    std::unordered_map<std::string, std::size_t> layerIndex_;
    std::size_t layersIndexed_ = 0;
    // The last layer and linetype values, which the next entity usually repeats.
    std::string lastLayerRaw_;
    Name lastLayer_;
    std::string lastLtypeRaw_;
    Name lastLtype_;
    // The name of the open block definition, which its entities carry.
    Name blockName_;
    // The extrusion direction of the open circle or arc, as its codes 210, 220 and 230 give it;
    // the record takes the drawing's copy of it when it ends.
    TAcadPoint extrusion_;
    std::string decoded_;
};

Name Reader::layerName() {
    if (value_ != lastLayerRaw_) {
        lastLayerRaw_.assign(value_);
        decoder_.decodeInto(value_, decoded_);
        lastLayer_ = d_->name(decoded_);
    }
    return lastLayer_;
}

Name Reader::ltypeName() {
    if (value_ != lastLtypeRaw_) {
        lastLtypeRaw_.assign(value_);
        lastLtype_ = d_->name(upperText());
    }
    return lastLtype_;
}

std::int16_t Reader::layerColor(const std::string& name) {
    for (; layersIndexed_ < d_->LayerAry.size(); ++layersIndexed_)
        layerIndex_.emplace(d_->LayerAry[layersIndexed_].Name, layersIndexed_);
    const auto found = layerIndex_.find(name);
    if (found != layerIndex_.end()) return d_->LayerAry[found->second].color;
    return GetLayerColor(*d_, name);
}

// By-layer takes the layer's colour; inside a block definition, layer "0" and by-block take the
// colour of the entity's own layer, so block definitions are coloured once, when read.
void Reader::finishColor(std::int16_t& color, const std::string& layer, bool block) {
    if (color == ColorByLayer) color = layerColor(layer);
    if (block && (layer == "0" || color == ColorByBlock)) color = layerColor(layer);
}

// A new record at the end of `table`. A full table grows to what the part of the section read
// so far predicts for the rest of the file, so that the tables of a big drawing are copied once
// or twice while they fill rather than at every doubling. Room that is never filled costs
// address space only: its pages are never touched.
template <class Table> typename Table::reference Reader::append(Table& table) {
    if (table.size() == table.capacity()) ReserveRoom(table, projectedCapacity(table.size()));
    return table.emplace_back();
}

std::size_t Reader::projectedCapacity(std::size_t size) const {
    // No record of any kind takes fewer bytes of a file than this.
    constexpr long long SmallestRecordBytes = 24;
    const long long at = source_->offset();
    const long long done = at - sectionStart_;
    const long long left = std::max(0LL, readEnd_ - at);
    if (size < 256 || done <= 0) return std::max<std::size_t>(16, size * 2);
    const double projected =
        static_cast<double>(size) * static_cast<double>(left) / static_cast<double>(done) * 1.1;
    const double bound = static_cast<double>(left / SmallestRecordBytes);
    return size + std::max(size / 4 + 1, static_cast<std::size_t>(std::min(projected, bound)));
}

void Reader::run(LineSource& source) {
    source_ = &source;
    readEnd_ = source.size();
    if (utf8_) source.skipUtf8Bom();
    PairSource pairs(source, fileName_);
    pairs_ = &pairs;
    value_ = PairValue(&pairs);
    if (progress_) {
        progress_->setPosition(0);
        progress_->setMaximum(50);
    }
    const long long estimate = source.size() * 65 / 1024;
    progressStep_ = estimate / 50 + 1;

    while (pairs.next()) {
        code_ = pairs.code();
        line_ = pairs.line();
        countPair();
        processPair();
        // The drawing ends at its EOF pair; what some programs leave after it is not read.
        if (code_ == 0 && TrimBlanks(value_) == "EOF") {
            d_->ReachedEof = true;
            break;
        }
        if (entitiesOpened_) {
            entitiesOpened_ = false;
            readEntitiesInParts(source, pairs);
        }
    }
    // A file cut off inside an entity keeps what was read of it.
    if (kind_ != Kind::None) finishOpenEntity();
    finishLayouts();
    finishPaperHandles();
    finishImages();
    clips_.apply(*d_);
}

void Reader::countPair() {
    ++pairCount_;
    if (progress_ && pairCount_ % progressStep_ == 0) {
        // A binary file holds fewer bytes per pair than the estimate counts on, so its progress
        // follows the bytes read.
        progress_->setPosition(pairs_->binary()
                                   ? static_cast<int>(source_->offset() * 50 / source_->size())
                                   : progress_->position() + 1);
    }
}

// Below this many bytes after its start the ENTITIES section is read on one thread: such a file
// reads in a few milliseconds, less than a second thread would save once it is started and its
// tables joined, and the previews read many small files at once, one on each core already.
constexpr long long SplitBytes = 4 << 20;

// How a part of the ENTITIES section ended: before the pair at `offset` (the end of the file when
// the pairs ran out), with `lines` lines of its own before that pair.
struct Reader::PartEnd {
    long long offset = 0;
    long lines = 0;
    // The pair it ended before is the group code 0 at the end it was given: where the next part
    // began.
    bool atBoundary = false;
    // It met a pair that left the section's reading: a table, a section or a block inside it.
    bool strayed = false;
    // What stopped it when it could not be read.
    std::exception_ptr error;
};

// A part read on another thread: its own drawing, reader and view of the file.
struct Reader::Part {
    Drawing drawing;
    // The layers and tags the drawing held where the part was taken: the rest are its own.
    std::size_t knownLayers = 0;
    std::size_t knownTags = 0;
    std::optional<Reader> reader;
    std::optional<LineSource> lines;
    std::optional<PairSource> pairs;
    long long end = 0;
    PartEnd ended;
    std::thread thread;
    ~Part() {
        if (thread.joinable()) thread.join();
    }
};

// The section is cut at group codes 0 of entities that stand alone (see FindEntityBoundaries).
// This reader reads the first part; copies of it, taken here where the section begins, read the
// others at once, each as if it had read everything before it: a part begins at an entity with
// nothing open, as a well-formed file is there. The parts are joined in file order, each only
// when the one before it really ended at its beginning with nothing open (no polyline still
// taking vertices), so that every record, index, name and error is what one thread reads. Where
// that fails, the rest is read on by this reader from the last part that holds; a part that left
// the section's reading makes the whole file be read again on one thread.
void Reader::readEntitiesInParts(LineSource& source, PairSource& pairs) {
    Sections entitiesOnly;
    entitiesOnly.entities = true;
    if (!(in_ == entitiesOnly) || kind_ != Kind::None || vertexMode_ || entityParts_ == 1) return;
    const long long start = source.offset();
    int parts = entityParts_;
    if (parts <= 0) {
        const auto cores = static_cast<int>(std::thread::hardware_concurrency());
        parts = source.size() - start >= SplitBytes ? std::clamp(cores, 1, 8) : 1;
    }
    if (parts < 2) return;
    // Set when the other parts are of no use: the first did not end where the second began.
    std::atomic<bool> abandon{false};
    std::vector<long long> starts;
    std::vector<std::unique_ptr<Part>> others;
    try {
        starts = FindEntityBoundaries(source, {pairs.binary(), pairs.oneByteCodes()}, start, parts);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            auto& part = *others.emplace_back(std::make_unique<Part>());
            part.end = i + 1 < starts.size() ? starts[i + 1] : source.size();
            part.knownLayers = d_->LayerAry.size();
            part.knownTags = d_->TagAry.size();
            part.reader.emplace(*this);
            part.reader->beginPart(part.drawing, starts[i], part.end);
            part.lines.emplace(source, starts[i]);
            part.pairs.emplace(*part.lines, fileName_, pairs);
        }
    } catch (const InputFailure&) {
        // The file cannot be shared: it is read on one thread.
        return;
    }
    if (others.empty()) return;

#ifdef __GLIBC__
    // The parts' tables grow on their threads, in malloc arenas of their own. glibc raises the
    // size from which it maps a block of its own each time such a block is freed, after which
    // tables up to 32 MB come from the arenas and stay there when freed: the benchmark's third
    // read of a 100 MB drawing in parts held 180 MB at its peak, against 115 MB for the first.
    // A fixed size gives every large table back to the system when it is freed; the heaps are
    // trimmed from the size glibc would have chosen for it, so that small blocks are not given
    // back and taken again all the time.
    static std::once_flag fixedThreshold;
    std::call_once(fixedThreshold, [] {
        ::mallopt(M_MMAP_THRESHOLD, 8 << 20);
        ::mallopt(M_TRIM_THRESHOLD, 16 << 20);
    });
#endif
    try {
        for (auto& part : others) {
            Part& p = *part;
            p.thread = std::thread([&p, &abandon] {
                p.ended = p.reader->readPart(*p.lines, *p.pairs, p.end, &abandon);
            });
        }
    } catch (const std::system_error&) {
        // No thread to spare: the parts started are let go, and this one reads on alone.
        abandon = true;
        return;
    }
    const PartEnd first = readPart(source, pairs, starts.front(), nullptr);
    if (!first.atBoundary || vertexMode_) abandon = true;
    for (auto& part : others)
        part->thread.join();

    const PartEnd* ended = &first;
    const Reader* endedReader = this;
    long lineBase = 0; // lines before the part that `ended` ended, which counts its own from 0
    for (auto& part : others) {
        if (ended->error) throwFrom(*ended, lineBase);
        if (ended->strayed) throw ReadAgainWhole{};
        if (!ended->atBoundary || endedReader->vertexMode_) break;
        lineBase += ended->lines;
        joinPart(*part);
        ++partsJoined_;
        ended = &part->ended;
        endedReader = &*part->reader;
    }
    if (ended->error) throwFrom(*ended, lineBase);
    if (ended->strayed) throw ReadAgainWhole{};
    // A polyline of the last part joined may still be taking vertices (its SEQEND missing).
    if (endedReader != this) {
        vertexMode_ = endedReader->vertexMode_;
        polylineInBlock_ = endedReader->polylineInBlock_;
        hasVertex_ = endedReader->hasVertex_;
        faceRecord_ = endedReader->faceRecord_;
    }
    // This reader goes on at the pair the last part joined stopped before.
    source.restartAt(ended->offset, lineBase + ended->lines);
    if (progress_ && !pairs.binary())
        progress_->setPosition(
            static_cast<int>(std::min<long long>(50, pairCount_ / progressStep_)));
}

// Makes this reader, a copy of one that stands where the ENTITIES section begins, read the part
// of the section from `start` to `end` into `drawing`: with the layers and the attribute tags
// known so far, and names, records and clip links of its own.
void Reader::beginPart(Drawing& drawing, long long start, long long end) {
    drawing.LayerAry = d_->LayerAry;
    drawing.TagAry = d_->TagAry;
    d_ = &drawing;
    progress_ = nullptr;
    sectionStart_ = start;
    readEnd_ = end;
    pairCount_ = 0;
    clips_ = SpatialFilterLinks();
    filter_ = nullptr;
    lastLayerRaw_.clear();
    lastLayer_ = Name();
    lastLtypeRaw_.clear();
    lastLtype_ = Name();
}

// Reads pairs until a group code 0 at or after `end`, an ENDSEC or the EOF, and ends the entity
// open there as that pair would; the pair itself is left to whoever reads on. Stops early when
// `abandon` is set, or at a pair that leaves the section's reading.
Reader::PartEnd Reader::readPart(LineSource& source, PairSource& pairs, long long end,
                                 const std::atomic<bool>* abandon) {
    source_ = &source;
    pairs_ = &pairs;
    value_ = PairValue(&pairs);
    const Sections start = in_;
    PartEnd ended;
    try {
        for (;;) {
            const long long at = source.offset();
            const long lines = source.lineNumber();
            if (!pairs.next()) {
                if (kind_ != Kind::None) finishOpenEntity();
                ended.offset = source.offset();
                ended.lines = source.lineNumber();
                return ended;
            }
            code_ = pairs.code();
            line_ = pairs.line();
            if (code_ == 0 && (at >= end || value_ == "ENDSEC" || TrimBlanks(value_) == "EOF")) {
                if (kind_ != Kind::None) finishOpenEntity();
                ended.offset = at;
                ended.lines = lines;
                ended.atBoundary = at == end;
                return ended;
            }
            countPair();
            processPair();
            // Only group codes 0 and 2 move the reader into another section, table or record.
            if ((code_ == 0 || code_ == 2) && !(in_ == start)) {
                ended.strayed = true;
                return ended;
            }
            if (abandon && pairCount_ % 65536 == 0 && abandon->load(std::memory_order_relaxed))
                return ended;
        }
    } catch (...) {
        ended.error = std::current_exception();
        ended.lines = source.lineNumber();
    }
    return ended;
}

// The error that stopped a part, with the line numbers of the whole file.
void Reader::throwFrom(const PartEnd& ended, long lineBase) const {
    try {
        std::rethrow_exception(ended.error);
    } catch (const DxfReadError& e) {
        if (lineBase == 0 || e.line() == 0) throw;
        throw DxfReadError(e.file(), e.line() + lineBase, e.problem(), e.groupCode(), e.value(),
                           e.detail());
    } catch (const LineTooLong&) {
        throw DxfReadError(fileName_, lineBase + ended.lines, DxfProblem::LineTooLong);
    }
}

// Takes in what `part` read, as if this reader had read it after what it has. Most is the
// records, which AppendEntityTables joins; what the reader keeps by name is joined here: the
// layers that entities named without a layer table naming them (added as they were first used),
// the attribute tags (TagAry, indexed by the texts) and the clip links of the inserts. Whatever
// else the reading of an entity comes to keep in the drawing or in this reader, beyond the
// records of its table, has to be joined here too, or a file read in parts differs from one
// read whole (the ReaderParts tests compare them).
void Reader::joinPart(Part& part) {
    Drawing& p = part.drawing;
    for (std::size_t i = part.knownLayers; i < p.LayerAry.size(); ++i)
        layerColor(p.LayerAry[i].Name);
    if (p.TagAry.size() > part.knownTags) {
        std::vector<std::uint16_t> tags(p.TagAry.size());
        for (std::size_t i = 0; i < tags.size(); ++i)
            tags[i] = i < part.knownTags ? static_cast<std::uint16_t>(i) : tagIndex(p.TagAry[i]);
        for (TTextBlk& t : p.TextAry)
            t.tag = tags[t.tag];
    }
    clips_.appendReferences(part.reader->clips_, d_->InsertAry.size());
    AppendEntityTables(*d_, p);
    pairCount_ += part.reader->pairCount_;
}

void Reader::processPair() {
    const bool zero = code_ == 0;
    if (zero && kind_ != Kind::None) finishOpenEntity();
    if (!in_.blocks && !in_.entities && !in_.table) headerVariable();

    if (in_.layerTable) layerTable();
    if (in_.viewTable) viewTable();
    if (in_.styleTable) styleTable();
    if (in_.objects)
        objectPair();
    else if ((zero || in_.blockRecord) && !in_.blocks && !in_.entities)
        blockRecordTable();

    // The section is named by the pair right after the one that opens it, so that a record of
    // that name elsewhere is not taken for it.
    if (in_.sectionOpened && code_ == 2 && value_ == "OBJECTS") in_.objects = true;
    in_.sectionOpened = zero && value_ == "SECTION";

    if (in_.table && code_ == 2) {
        if (value_ == "LAYER")
            in_.layerTable = true;
        else if (value_ == "VIEW")
            in_.viewTable = true;
        else if (value_ == "STYLE")
            in_.styleTable = true;
    }

    bool endBlk = false;
    if (zero) {
        if (value_ == "TABLE") {
            in_.table = true;
        } else if (value_ == "ENDBLK") {
            in_.blockBody = false;
            endBlk = true;
        } else if (value_ == "ENDSEC") {
            in_.blocks = in_.entities = in_.blockBody = false;
            // A section ends every table in it, whether or not the file ended them: a name
            // in BLOCKS or ENTITIES must not start a table's reader.
            in_.table = in_.layerTable = in_.layerRecord = in_.viewTable = in_.viewRecord = false;
            in_.styleTable = false;
            in_.blockRecord = in_.objects = in_.layout = false;
            in_.imageDef = in_.rasterVariables = false;
        }
    }

    if (in_.blockHeader) {
        if (zero) {
            // The pair that ends the header is the body's first pair; an ENDBLK right after the
            // header leaves the block empty.
            in_.blockHeader = false;
            in_.blockBody = !endBlk;
        } else {
            blockHeader();
        }
    }

    if (in_.blockBody || in_.entities) {
        if (kind_ != Kind::None) {
            // The first code 5 is the entity's handle; its paper-space flag may follow it.
            if (code_ == 5 && openHandle_.empty()) {
                openHandle_.assign(value_);
            } else if (code_ == 67) {
                std::int16_t space;
                if (ParseSmallInt(value_, space) && space != 0) openPaper_ = true;
            }
        }
        if (!(kind_ != Kind::None && openEntityTakes()) && vertexMode_) vertexRules();
        if (zero) startEntity();
    }

    if (in_.blocks && zero && value_ == "BLOCK") {
        d_->BlockAry.emplace_back();
        blockName_ = Name();
        blockIsPaper_ = false;
        in_.blockHeader = true;
    }

    if (code_ == 2) {
        if (value_ == "BLOCKS" && !in_.blocks) {
            in_.blocks = true;
            sectionStart_ = source_->offset();
        } else if (value_ == "ENTITIES" && !in_.entities) {
            in_.entities = true;
            entitiesOpened_ = true;
            sectionStart_ = source_->offset();
        }
    }
}

// The header variables the picture depends on: how points are drawn, lineweights, and whether
// the model or a layout is shown.
void Reader::headerVariable() {
    if (code_ == 9) {
        headerVariable_.assign(value_);
    } else if (code_ == 70 && headerVariable_ == "$PDMODE") {
        d_->PdMode = small();
    } else if (code_ == 40 && headerVariable_ == "$PDSIZE") {
        d_->PdSize = real();
    } else if (code_ == 370 && headerVariable_ == "$LWDEFAULT") {
        const std::int16_t weight = small();
        if (weight >= 0) d_->LwDefault = weight;
    } else if (code_ == 70 && headerVariable_ == "$TILEMODE") {
        d_->TileMode = small();
    } else if (code_ == 70 && headerVariable_ == "$FILLMODE") {
        d_->FillMode = small();
    } else if (code_ == 70 && headerVariable_ == "$INSUNITS") {
        d_->InsUnits = small();
    } else if (code_ == 0) {
        headerVariable_.clear();
    }
}

void Reader::layerTable() {
    if (in_.layerRecord) {
        TLayer& layer = d_->LayerAry.back();
        switch (code_) {
        case 2:
            layer.Name = text();
            // The name index may hold this record under its old name.
            layerIndex_.clear();
            layersIndexed_ = 0;
            break;
        case 5:
            if (const std::uint64_t handle = HandleValue(value_))
                layerHandles_.emplace(handle, d_->LayerAry.size() - 1);
            break;
        case 6:
            layer.ltype = ltypeName();
            break;
        case 70:
            layer.code70 = small();
            break;
        case 62:
            layer.color = small();
            if (layer.color < 0) layer.visible = false;
            break;
        case 370:
            layer.code370 = small();
            break;
        default:
            break;
        }
    }
    if (code_ != 0) return;
    in_.layerRecord = false;
    if (value_ == "ENDTAB") {
        in_.layerTable = in_.table = false;
    } else if (value_ == "LAYER") {
        d_->LayerAry.emplace_back();
        in_.layerRecord = true;
    }
}

void Reader::viewTable() {
    if (in_.viewRecord) {
        TViewTbl& view = d_->ViewAry.back();
        switch (code_) {
        case 2:
            view.name = text();
            break;
        case 10:
            view.center.x = real();
            break;
        case 20:
            view.center.y = real();
            break;
        case 40:
            view.height = real();
            break;
        case 41:
            view.width = real();
            break;
        case 70:
            view.code70 = small();
            break;
        default:
            break;
        }
    }
    if (code_ != 0) return;
    in_.viewRecord = false;
    if (value_ == "VIEW") {
        d_->ViewAry.emplace_back();
        in_.viewRecord = true;
    }
}

// Text styles: the width factor, oblique angle and generation flags of the texts that use them.
void Reader::styleTable() {
    switch (code_) {
    case 2:
        styleName_ = upperText();
        return;
    case 41:
        style_.width = real();
        return;
    case 50:
        style_.oblique = real();
        return;
    case 71:
        style_.flags = small();
        return;
    case 0:
        break;
    default:
        return;
    }
    if (!styleName_.empty()) styles_[styleName_] = style_;
    styleName_.clear();
    style_ = StyleDefaults{};
    if (value_ == "ENDTAB") in_.styleTable = false;
}

// Block records name each block and, for the blocks that hold a layout's sheet, the layout
// (code 340). Their lists of references (code 331 between 102 braces) are not read. A record is
// taken wherever it stands before the blocks: some writers leave out the table's head.
void Reader::blockRecordTable() {
    if (code_ == 0) {
        in_.blockRecord = value_ == "BLOCK_RECORD";
        if (in_.blockRecord) blockRecords_.emplace_back();
        return;
    }
    BlockRecord& record = blockRecords_.back();
    switch (code_) {
    case 2:
        record.name = text();
        break;
    case 5:
        if (record.handle == 0) record.handle = HandleValue(value_);
        break;
    case 340:
        record.layout = HandleValue(value_);
        break;
    default:
        break;
    }
}

// The OBJECTS section: the LAYOUT objects, the IMAGEDEFs that name the images' files, the
// RASTERVARIABLES that say whether images are framed, and the dictionaries and filters that lead
// from a clipped INSERT to its boundary.
void Reader::objectPair() {
    if (code_ == 0) {
        clipObject_ = value_ == "DICTIONARY"       ? ClipObject::Dictionary
                      : value_ == "SPATIAL_FILTER" ? ClipObject::Filter
                                                   : ClipObject::None;
        clipObjectHandle_ = 0;
        filter_ = nullptr;
        in_.layout = value_ == "LAYOUT";
        if (in_.layout) {
            d_->LayoutAry.emplace_back();
            layoutBlockRecords_.push_back(0);
            layoutPart_ = LayoutPart::Head;
        }
        in_.imageDef = value_ == "IMAGEDEF";
        if (in_.imageDef) d_->ImageDefAry.emplace_back();
        in_.rasterVariables = value_ == "RASTERVARIABLES";
        return;
    }
    if (in_.layout) takeLayout(d_->LayoutAry.back());
    if (in_.imageDef) takeImageDef(d_->ImageDefAry.back());
    // Code 70 of RASTERVARIABLES: 0 no frame; 1 a frame shown and plotted; 2 shown only.
    if (in_.rasterVariables && code_ == 70) d_->ImageFrame = small() != 0;
    if (clipObject_ != ClipObject::None) clipObjectPair();
}

void Reader::takeImageDef(TImageDef& def) {
    switch (code_) {
    case 5:
        if (def.handle == 0) def.handle = HandleValue(value_);
        break;
    case 1:
        def.fileName = text();
        break;
    case 10:
        def.width = real();
        break;
    case 20:
        def.height = real();
        break;
    default:
        break;
    }
}

// A DICTIONARY lists its entries as a name (code 3) and the handle it names (350 or 360); a
// SPATIAL_FILTER holds its boundary (see SpatialFilter). Both are known by their handle.
void Reader::clipObjectPair() {
    if (code_ == 5) {
        if (clipObjectHandle_ != 0) return;
        clipObjectHandle_ = HandleValue(value_);
        if (clipObject_ == ClipObject::Filter && clipObjectHandle_ != 0) {
            filter_ = &clips_.filter(clipObjectHandle_);
            *filter_ = SpatialFilter();
        }
        entryName_.clear();
        return;
    }
    if (clipObject_ == ClipObject::Dictionary) {
        if (code_ == 3) {
            entryName_.assign(value_);
        } else if ((code_ == 350 || code_ == 360) && !entryName_.empty()) {
            clips_.addEntry(clipObjectHandle_, entryName_, HandleValue(value_));
            entryName_.clear();
        }
        return;
    }
    if (!filter_) return;
    SpatialFilter& f = *filter_;
    switch (code_) {
    case 70:
        f.code70 = small();
        break;
    case 10:
        if (f.points.size() < MaxClipBoundaryPoints)
            f.points.push_back({real(), 0, 0});
        else
            f.tooManyPoints = true;
        break;
    case 20:
        if (!f.points.empty()) f.points.back().y = real();
        break;
    case 71:
        f.enabled = small() != 0;
        break;
    case 72:
        f.frontClip = small() == 1;
        break;
    case 40:
        // Front and back clipping planes are not used; the front distance is passed over.
        if (f.frontClip) {
            f.frontClip = false;
        } else if (f.inverse.size() < 12) {
            f.inverse.push_back(real());
        } else if (f.toBoundary.size() < 12) {
            f.toBoundary.push_back(real());
        }
        break;
    default:
        break;
    }
}

// Each IMAGE finds its IMAGEDEF by handle. A handle that names none still gets a definition, one
// without a file name, so that the picture is counted among those whose file is missing.
void Reader::finishImages() {
    std::unordered_map<std::uint64_t, std::int32_t> byHandle;
    for (std::size_t i = 0; i < d_->ImageDefAry.size(); ++i)
        byHandle.try_emplace(d_->ImageDefAry[i].handle, static_cast<std::int32_t>(i));
    const auto resolve = [&](std::vector<TImageBlk>& images) {
        for (TImageBlk& image : images) {
            const auto [found, added] = byHandle.try_emplace(
                image.code340, static_cast<std::int32_t>(d_->ImageDefAry.size()));
            if (added) d_->ImageDefAry.emplace_back().handle = image.code340;
            image.def = found->second;
        }
    };
    resolve(d_->ImageAry);
    resolve(d_->BlkImageAry);
}

// A LAYOUT holds its plot settings (subclass AcDbPlotSettings) and then the layout itself
// (AcDbLayout). Codes 1, 70 and 330 mean different things in each part (the page setup's name,
// the plot flags and the owner in the first), so pairs are read by the part they stand in. A
// writer that leaves out the subclass markers gets every code its single meaning, except the
// owner's 330.
void Reader::takeLayout(TLayout& layout) {
    if (code_ == 100) {
        if (value_ == "AcDbPlotSettings")
            layoutPart_ = LayoutPart::PlotSettings;
        else if (value_ == "AcDbLayout")
            layoutPart_ = LayoutPart::Layout;
        return;
    }
    if (code_ == 5) {
        if (layoutPart_ == LayoutPart::Head && layout.handle.empty()) layout.handle = value_;
        return;
    }
    if (layoutPart_ != LayoutPart::Layout) {
        switch (code_) {
        case 4:
            layout.paperName = text();
            return;
        case 40:
            layout.code40 = realAsWritten();
            return;
        case 41:
            layout.code41 = realAsWritten();
            return;
        case 42:
            layout.code42 = realAsWritten();
            return;
        case 43:
            layout.code43 = realAsWritten();
            return;
        case 44:
            layout.code44 = realAsWritten();
            return;
        case 45:
            layout.code45 = realAsWritten();
            return;
        case 46:
            layout.code46 = realAsWritten();
            return;
        case 47:
            layout.code47 = realAsWritten();
            return;
        case 72:
            layout.code72 = small();
            return;
        case 73:
            layout.code73 = small();
            return;
        case 74:
            layout.code74 = small();
            return;
        case 48:
            layout.windowMin.x = realAsWritten();
            return;
        case 49:
            layout.windowMin.y = realAsWritten();
            return;
        case 140:
            layout.windowMax.x = realAsWritten();
            return;
        case 141:
            layout.windowMax.y = realAsWritten();
            return;
        case 142:
            layout.code142 = realAsWritten();
            return;
        case 143:
            layout.code143 = realAsWritten();
            return;
        default:
            break;
        }
    }
    if (layoutPart_ == LayoutPart::PlotSettings) {
        if (code_ == 70) layout.plotFlags = small();
        return;
    }
    switch (code_) {
    case 1:
        layout.name = text();
        return;
    case 70:
        layout.code70 = small();
        return;
    case 71:
        layout.code71 = small();
        return;
    case 330:
        if (layoutPart_ == LayoutPart::Layout) layoutBlockRecords_.back() = HandleValue(value_);
        return;
    default:
        takePointAsWritten(10, layout.limMin) || takePointAsWritten(11, layout.limMax) ||
            takePointAsWritten(14, layout.extMin) || takePointAsWritten(15, layout.extMax);
        return;
    }
}

void Reader::blockHeader() {
    TBlockBlk& block = d_->BlockAry.back();
    switch (code_) {
    case 2:
        block.name = text();
        blockName_ = d_->name(block.name);
        blockIsPaper_ = IsPaperSpaceBlock(block.name);
        break;
    case 8:
        block.layer = layerName();
        break;
    case 6:
        block.ltype = ltypeName();
        break;
    case 10:
        block.base.x = real();
        break;
    case 20:
        block.base.y = real();
        break;
    case 30:
        block.base.z = real();
        break;
    case 70:
        block.code70 = small();
        break;
    case 1:
        block.xrefPath = text();
        break;
    default:
        break;
    }
}

void Reader::startEntity() {
    const std::string_view v = value_;
    const bool block = in_.blockBody;
    Kind kind = Kind::None;
    if (v == "LINE")
        kind = Kind::Line;
    else if (v == "CIRCLE")
        kind = Kind::Circle;
    else if (v == "ARC")
        kind = Kind::Arc;
    else if (v == "TEXT" || v == "ATTRIB" || v == "MTEXT" || (v == "ATTDEF" && block))
        kind = Kind::Text;
    else if (v == "LWPOLYLINE")
        kind = Kind::Lwpolyline;
    else if (v == "POLYLINE")
        kind = Kind::PolylineHeader;
    else if (v == "INSERT" || v == "ACAD_TABLE" || v == "MINSERT")
        kind = Kind::Insert;
    else if (v == "ELLIPSE")
        kind = Kind::Ellipse;
    else if (v == "SOLID" || v == "TRACE")
        kind = Kind::Solid;
    else if (v == "3DFACE")
        kind = Kind::Face;
    else if (v == "DIMENSION")
        kind = block ? Kind::Insert : Kind::Dimension;
    else if (v == "LEADER")
        kind = Kind::Leader;
    else if (v == "POINT")
        kind = Kind::Point;
    else if (v == "SPLINE")
        kind = Kind::Spline;
    else if (v == "HATCH")
        kind = Kind::Hatch;
    else if (v == "XLINE" || v == "RAY")
        kind = Kind::Ray;
    else if (v == "WIPEOUT")
        kind = Kind::Wipeout;
    else if (v == "IMAGE")
        kind = Kind::Image;
    else if (v == "MULTILEADER" || v == "MLEADER")
        kind = Kind::MLeader;
    else if (v == "VIEWPORT")
        kind = Kind::Viewport;
    if (kind == Kind::None) return;

    kind_ = kind;
    block_ = block;
    openHandle_.clear();
    openPaper_ = block && blockIsPaper_;
    tableData_ = false;
    xdictionary_ = false;
    dimensionPicture_ = kind == Kind::Insert && v == "DIMENSION";
    const Name bname = block ? blockName_ : Name();
    switch (kind) {
    case Kind::Line:
        startRecord<TAcadLineBlk>().bname = bname;
        break;
    case Kind::Circle:
        startRecord<TCircleBlk>().bname = bname;
        extrusion_ = TAcadPoint{0, 0, 1};
        break;
    case Kind::Arc:
        startRecord<TArcBlk>().bname = bname;
        extrusion_ = TAcadPoint{0, 0, 1};
        break;
    case Kind::Text: {
        TTextBlk& t = startRecord<TTextBlk>();
        t.bname = bname;
        rawText_.clear();
        embedded_ = Embedded::None;
        embeddedTextRead_ = false;
        textStyle_ = "STANDARD";
        ownWidth_ = ownOblique_ = ownFlags_ = columnHeightRead_ = false;
        attributeDefinition_ = v == "ATTDEF";
        t.mtflag = v == "MTEXT";
        t.kind = t.mtflag               ? TextKind::MText
                 : v == "ATTRIB"        ? TextKind::Attribute
                 : attributeDefinition_ ? TextKind::AttributeDefinition
                                        : TextKind::Text;
        break;
    }
    case Kind::Lwpolyline:
    case Kind::PolylineHeader: {
        auto& headers = RecordTable<TLwpBlk>(*d_, block);
        TLwpBlk& h = append(headers);
        h.bname = bname;
        h.ihand = static_cast<std::int32_t>(headers.size() - 1);
        openIndex_ = headers.size() - 1;
        polylineInBlock_ = block;
        hasVertex_ = false;
        break;
    }
    case Kind::Insert:
        startRecord<TInsertBlk>().bname = bname;
        break;
    case Kind::Ellipse:
        startRecord<TEllipseBlk>().bname = bname;
        break;
    case Kind::Solid:
        startRecord<TSolidBlk>().bname = bname;
        break;
    case Kind::Point:
        startRecord<TPointBlk>().bname = bname;
        break;
    case Kind::Wipeout:
        startRecord<TWipeoutBlk>().bname = bname;
        break;
    case Kind::Image:
        startRecord<TImageBlk>().bname = bname;
        break;
    case Kind::Ray: {
        TRayBlk& r = startRecord<TRayBlk>();
        r.bname = bname;
        r.xline = v == "XLINE";
        break;
    }
    case Kind::Spline:
        startRecord<TSplineBlk>().bname = bname;
        break;
    case Kind::Hatch:
        startRecord<THatchBlk>().bname = bname;
        hatchPart_ = HatchPart::Head;
        break;
    case Kind::Face:
        startRecord<TFaceBlk>().bname = bname;
        break;
    case Kind::MLeader:
        startRecord<TMLeaderBlk>().bname = bname;
        mleaderPart_ = MLeaderPart::Head;
        break;
    case Kind::Dimension:
        append(d_->DimensionAry);
        openIndex_ = d_->DimensionAry.size() - 1;
        break;
    case Kind::Leader:
        startRecord<TLeaderBlk>().bname = bname;
        leaderVertex_ = -1;
        break;
    case Kind::Viewport:
        append(d_->ViewportAry).bname = bname;
        openIndex_ = d_->ViewportAry.size() - 1;
        viewportSubclass_ = xdataAcad_ = mview_ = false;
        break;
    case Kind::None:
        break;
    }
}

void Reader::finishOpenEntity() {
    const bool b = block_;
    const Kind kind = kind_;
    switch (kind_) {
    case Kind::Line:
        finishOpen<TAcadLineBlk>();
        break;
    case Kind::Circle:
        finishOpen<TCircleBlk>().code210 = d_->extrusion(extrusion_);
        break;
    case Kind::Arc:
        finishOpen<TArcBlk>().code210 = d_->extrusion(extrusion_);
        break;
    case Kind::Ellipse:
        finishOpen<TEllipseBlk>();
        break;
    case Kind::Solid: {
        TSolidBlk& r = finishOpen<TSolidBlk>();
        if (!r.hasP4) r.p4 = r.p3;
        break;
    }
    case Kind::Point:
        finishOpen<TPointBlk>();
        break;
    case Kind::Ray:
        finishOpen<TRayBlk>();
        break;
    case Kind::Wipeout:
        finishOpen<TWipeoutBlk>();
        break;
    case Kind::Image:
        finishOpen<TImageBlk>();
        break;
    case Kind::Spline:
        finishOpen<TSplineBlk>();
        break;
    case Kind::Hatch:
        finishOpen<THatchBlk>();
        break;
    case Kind::MLeader:
        finishOpen<TMLeaderBlk>();
        break;
    case Kind::Face:
        finishOpen<TFaceBlk>();
        break;
    case Kind::Lwpolyline:
        // Its colour was settled at each vertex.
        break;
    case Kind::PolylineHeader: {
        finishOpen<TLwpBlk>();
        if (value_ == "VERTEX") vertexMode_ = true;
        break;
    }
    case Kind::Text: {
        // A text that ends empty is dropped.
        auto& texts = RecordTable<TTextBlk>(*d_, b);
        constexpr std::int16_t Invisible = 1, Constant = 2;
        const std::int16_t flags = texts.back().code70;
        if (rawText_.empty() ||
            (attributeDefinition_ && ((flags & Invisible) != 0 || (flags & Constant) == 0))) {
            texts.pop_back();
        } else {
            decoder_.decodeInto(rawText_, texts.back().str);
            finishColor(texts.back().color, texts.back().layer, b);
            applyTextStyle(texts.back());
        }
        break;
    }
    case Kind::Insert:
        finishOpen<TInsertBlk>();
        break;
    case Kind::Dimension:
        finishColor(d_->DimensionAry.back().color, d_->DimensionAry.back().layer, false);
        break;
    case Kind::Leader:
        finishOpen<TLeaderBlk>();
        leaderVertex_ = -1;
        break;
    case Kind::Viewport:
        d_->ViewportAry.back().handle = openHandle_;
        break;
    case Kind::None:
        break;
    }
    kind_ = Kind::None;
    if (openPaper_ && !openHandle_.empty()) recordPaperHandle(kind);
}

// Lists the open entity, which lies in paper space, by its handle; a text dropped when it ended
// is not listed.
void Reader::recordPaperHandle(Kind kind) {
    if (kind == Kind::Text && RecordTable<TTextBlk>(*d_, block_).size() <= openIndex_) return;
    TEntityHandle& entry = d_->PaperHandleAry.emplace_back();
    entry.handle = openHandle_;
    entry.kind = RecordKindOf(kind);
    entry.inBlock = block_;
    entry.index = openIndex_;
}

// Codes 10/20/30 (base 10), 11/21/31 (base 11) and so on fill x, y and z of one point.
bool Reader::takePoint(int base, TAcadPoint& p) {
    if (code_ == base)
        p.x = real();
    else if (code_ == base + 10)
        p.y = real();
    else if (code_ == base + 20)
        p.z = real();
    else
        return false;
    return true;
}

// The lineweight of the open entity, for the kinds drawn with a pen; texts and dimensions have
// none of their own (a dimension's picture is an insert, which has).
std::int16_t* Reader::openLineweight() {
    switch (kind_) {
    case Kind::Line:
        return &open<TAcadLineBlk>().code370;
    case Kind::Circle:
        return &open<TCircleBlk>().code370;
    case Kind::Arc:
        return &open<TArcBlk>().code370;
    case Kind::Ellipse:
        return &open<TEllipseBlk>().code370;
    case Kind::Solid:
        return &open<TSolidBlk>().code370;
    case Kind::Point:
        return &open<TPointBlk>().code370;
    case Kind::Ray:
        return &open<TRayBlk>().code370;
    case Kind::Wipeout:
        return &open<TWipeoutBlk>().code370;
    case Kind::Image:
        return &open<TImageBlk>().code370;
    case Kind::Spline:
        return &open<TSplineBlk>().code370;
    case Kind::Hatch:
        return &open<THatchBlk>().code370;
    case Kind::Face:
        return &open<TFaceBlk>().code370;
    case Kind::Lwpolyline:
    case Kind::PolylineHeader:
        return &open<TLwpBlk>().code370;
    case Kind::Insert:
        return tableData_ ? nullptr : &open<TInsertBlk>().code370;
    case Kind::Leader:
        return &open<TLeaderBlk>().code370;
    case Kind::MLeader:
        // Code 370 of the entity; the context data has none.
        return &open<TMLeaderBlk>().code370;
    case Kind::Text:
    case Kind::Dimension:
    case Kind::Viewport:
    case Kind::None:
        return nullptr;
    }
    return nullptr;
}

bool Reader::openEntityTakes() {
    if (code_ == 370) {
        if (std::int16_t* weight = openLineweight()) {
            *weight = small();
            return true;
        }
    }
    switch (kind_) {
    case Kind::Line:
        return takeLine(open<TAcadLineBlk>());
    case Kind::Circle:
        return takeCircle(open<TCircleBlk>());
    case Kind::Arc:
        return takeArc(open<TArcBlk>());
    case Kind::Ellipse:
        return takeEllipse(open<TEllipseBlk>());
    case Kind::Solid:
        return takeSolid(open<TSolidBlk>());
    case Kind::Point:
        return takePointEntity(open<TPointBlk>());
    case Kind::Ray:
        return takeRay(open<TRayBlk>());
    case Kind::Wipeout:
        return takeWipeout(open<TWipeoutBlk>());
    case Kind::Image:
        return takeImage(open<TImageBlk>());
    case Kind::Spline:
        return takeSpline(open<TSplineBlk>());
    case Kind::Hatch:
        return takeHatch(open<THatchBlk>());
    case Kind::MLeader:
        return takeMLeader(open<TMLeaderBlk>());
    case Kind::Face:
        return takeFace(open<TFaceBlk>());
    case Kind::Lwpolyline:
        return takeLwpolyline(open<TLwpBlk>());
    case Kind::PolylineHeader:
        return takePolylineHeader(open<TLwpBlk>());
    case Kind::Text:
        return takeText(open<TTextBlk>());
    case Kind::Insert:
        return takeInsert(open<TInsertBlk>());
    case Kind::Dimension:
        return takeDimension(d_->DimensionAry.back());
    case Kind::Leader:
        return takeLeader(open<TLeaderBlk>());
    case Kind::Viewport:
        return takeViewport(d_->ViewportAry.back());
    case Kind::None:
        return false;
    }
    return false;
}

bool Reader::takeLine(TAcadLineBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        // Paper-space lines are kept apart from the model like every other kind.
        r.code67 = small();
        return true;
    default:
        return takePoint(10, r.st) || takePoint(11, r.ed);
    }
}

bool Reader::takeCircle(TCircleBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 40:
        r.hankei = real();
        return true;
    default:
        return takePoint(10, r.center) || takePoint(210, extrusion_);
    }
}

bool Reader::takeArc(TArcBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 40:
        r.hankei = real();
        return true;
    case 50:
        r.st = real();
        return true;
    case 51:
        r.ed = real();
        return true;
    default:
        return takePoint(10, r.center) || takePoint(210, extrusion_);
    }
}

bool Reader::takeEllipse(TEllipseBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 40:
        r.henpei = real();
        return true;
    case 41:
        r.kaisi = real();
        return true;
    case 42:
        r.owari = real();
        return true;
    default:
        return takePoint(10, r.center) || takePoint(11, r.endpoint) || takePoint(210, r.code210);
    }
}

bool Reader::takeSolid(TSolidBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 13:
        r.hasP4 = true;
        return takePoint(13, r.p4);
    default:
        return takePoint(10, r.p1) || takePoint(11, r.p2) || takePoint(12, r.p3) ||
               takePoint(13, r.p4) || takePoint(210, r.code210);
    }
}

// Layer, linetype, colour and paper-space flag, which the kinds read by the functions below share.
template <class Record> bool Reader::takeCommon(Record& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    default:
        return false;
    }
}

bool Reader::takePointEntity(TPointBlk& r) {
    return takeCommon(r) || takePoint(10, r.pt10);
}

bool Reader::takeRay(TRayBlk& r) {
    return takeCommon(r) || takePoint(10, r.pt10) || takePoint(11, r.pt11);
}

bool Reader::takeWipeout(TWipeoutBlk& r) {
    if (takeCommon(r)) return true;
    switch (code_) {
    case 71:
        r.code71 = small();
        return true;
    case 14:
        r.clip.emplace_back().x = real();
        return true;
    case 24:
        if (!r.clip.empty()) r.clip.back().y = real();
        return true;
    default:
        return takePoint(10, r.pt10) || takePoint(11, r.u) || takePoint(12, r.v);
    }
}

bool Reader::takeImage(TImageBlk& r) {
    if (takeCommon(r)) return true;
    switch (code_) {
    case 13:
        r.width = real();
        return true;
    case 23:
        r.height = real();
        return true;
    case 70:
        r.code70 = small();
        return true;
    case 71:
        r.code71 = small();
        return true;
    case 280:
        r.code280 = small();
        return true;
    case 281:
        r.code281 = small();
        return true;
    case 282:
        r.code282 = small();
        return true;
    case 283:
        r.code283 = small();
        return true;
    case 340:
        r.code340 = HandleValue(value_);
        return true;
    case 14:
        r.clip.emplace_back().x = real();
        return true;
    case 24:
        if (!r.clip.empty()) r.clip.back().y = real();
        return true;
    default:
        return takePoint(10, r.pt10) || takePoint(11, r.u) || takePoint(12, r.v);
    }
}

bool Reader::takeSpline(TSplineBlk& r) {
    if (takeCommon(r)) return true;
    switch (code_) {
    case 70:
        r.code70 = small();
        return true;
    case 71:
        r.degree = small();
        return true;
    case 40:
        r.knots.push_back(real());
        return true;
    case 41:
        r.weights.push_back(real());
        return true;
    case 10:
        r.control.emplace_back().x = real();
        return true;
    case 20:
    case 30:
        if (!r.control.empty()) (code_ == 20 ? r.control.back().y : r.control.back().z) = real();
        return true;
    case 11:
        r.fit.emplace_back().x = real();
        return true;
    case 21:
    case 31:
        if (!r.fit.empty()) (code_ == 21 ? r.fit.back().y : r.fit.back().z) = real();
        return true;
    default:
        return false;
    }
}

// A HATCH repeats codes in its parts (10/20 are the elevation point, vertices, edge points and
// seed points; 72 and 73 mean one thing in a polyline path and another in an edge), so its
// pairs are read by the part they stand in: the head, the boundary paths from code 91, and the
// pattern from code 75.
bool Reader::takeHatch(THatchBlk& r) {
    if (takeCommon(r)) return true;
    switch (code_) {
    case 91:
        hatchPart_ = HatchPart::Paths;
        return true;
    case 75:
        hatchPart_ = HatchPart::Pattern;
        return true;
    case 450:
        r.gradient = small() != 0;
        return true;
    default:
        break;
    }
    if (hatchPart_ == HatchPart::Head) {
        switch (code_) {
        case 2:
            r.pattern = text();
            return true;
        case 70:
            r.code70 = small();
            return true;
        case 30:
            r.elevation = real();
            return true;
        default:
            return takePoint(210, r.code210);
        }
    }
    if (hatchPart_ == HatchPart::Pattern) {
        THatchLine* line = r.lines.empty() ? nullptr : &r.lines.back();
        switch (code_) {
        case 53:
            r.lines.emplace_back().angle = real();
            return true;
        case 43:
        case 44:
        case 45:
        case 46:
        case 49: {
            const double v = real();
            if (!line) return true;
            if (code_ == 43) line->base.x = v;
            if (code_ == 44) line->base.y = v;
            if (code_ == 45) line->offset.x = v;
            if (code_ == 46) line->offset.y = v;
            if (code_ == 49) line->dashes.push_back(v);
            return true;
        }
        default:
            return false;
        }
    }
    // Boundary paths.
    if (code_ == 92) {
        r.paths.emplace_back().code92 = integer();
        return true;
    }
    if (r.paths.empty()) return false;
    THatchPath& path = r.paths.back();
    if ((path.code92 & 2) != 0) {
        switch (code_) {
        case 73:
            path.closed = small();
            return true;
        case 10:
            path.vertices.emplace_back().code10.x = real();
            return true;
        case 20:
        case 42:
            if (!path.vertices.empty())
                (code_ == 20 ? path.vertices.back().code10.y : path.vertices.back().code42) =
                    real();
            return true;
        default:
            return false;
        }
    }
    if (code_ == 72) {
        path.edges.emplace_back().type = small();
        return true;
    }
    return !path.edges.empty() && takeHatchEdge(path.edges.back());
}

// A MULTILEADER nests its parts between marker pairs: the context data (300 "CONTEXT_DATA{" to
// 301 "}"), its leaders (302 "LEADER{" to 303) and their lines (304 "LEADER_LINE{" to 305). Codes
// mean different things in each part (10 is the content base point, a leader's last point or a
// line vertex; 304 is the text or the start of a line), so pairs are read by the part they
// stand in. Only what draws the leader lines, the arrowheads and the text content is read.
bool Reader::takeMLeader(TMLeaderBlk& r) {
    if (mleaderPart_ == MLeaderPart::Head || mleaderPart_ == MLeaderPart::Tail) {
        switch (code_) {
        case 300:
            mleaderPart_ = MLeaderPart::Context;
            return true;
        case 8:
            r.layer = layerName();
            return true;
        case 6:
            r.ltype = ltypeName();
            return true;
        case 62:
            r.color = small();
            return true;
        case 67:
            r.code67 = small();
            return true;
        case 42:
            if (mleaderPart_ == MLeaderPart::Tail && r.arrowSize == 0) r.arrowSize = real();
            return true;
        case 291:
            if (mleaderPart_ == MLeaderPart::Tail) r.doglegShown = small() != 0;
            return true;
        default:
            return false;
        }
    }
    if (mleaderPart_ == MLeaderPart::Context) {
        switch (code_) {
        case 301:
            mleaderPart_ = MLeaderPart::Tail;
            return true;
        case 302:
            r.leaders.emplace_back();
            mleaderPart_ = MLeaderPart::Leader;
            return true;
        case 140:
            r.arrowSize = real();
            return true;
        case 290:
            r.hasText = small() != 0;
            return true;
        case 304:
            r.text = text();
            return true;
        case 41:
            r.textHeight = real();
            return true;
        case 43:
            r.textWidth = real();
            return true;
        case 171:
            r.attachment = small();
            return true;
        default:
            return takePoint(12, r.textPoint) || takePoint(13, r.textDirection);
        }
    }
    TMLeaderBranch& leader = r.leaders.back();
    if (mleaderPart_ == MLeaderPart::Leader) {
        switch (code_) {
        case 303:
            mleaderPart_ = MLeaderPart::Context;
            return true;
        case 304:
            leader.lines.emplace_back();
            mleaderPart_ = MLeaderPart::Line;
            return true;
        case 40:
            leader.doglegLength = real();
            return true;
        default:
            return takePoint(10, leader.last) || takePoint(11, leader.dogleg);
        }
    }
    std::vector<TAcadPoint>& vertices = leader.lines.back();
    switch (code_) {
    case 305:
        mleaderPart_ = MLeaderPart::Leader;
        return true;
    case 10:
        vertices.emplace_back().x = real();
        return true;
    case 20:
    case 30:
        if (!vertices.empty()) (code_ == 20 ? vertices.back().y : vertices.back().z) = real();
        return true;
    default:
        return false;
    }
}

bool Reader::takeHatchEdge(THatchEdge& e) {
    switch (code_) {
    case 40:
        if (e.type == 4)
            e.knots.push_back(real());
        else
            e.code40 = real();
        return true;
    case 42:
        e.weights.push_back(real());
        return true;
    case 50:
        e.code50 = real();
        return true;
    case 51:
        e.code51 = real();
        return true;
    case 73:
        if (e.type != 4) e.code73 = small();
        return true;
    case 94:
        e.degree = small();
        return true;
    case 10:
        if (e.type == 4)
            e.control.emplace_back().x = real();
        else
            e.p10.x = real();
        return true;
    case 20:
        if (e.type != 4)
            e.p10.y = real();
        else if (!e.control.empty())
            e.control.back().y = real();
        return true;
    case 11:
        if (e.type == 4)
            e.fit.emplace_back().x = real();
        else
            e.p11.x = real();
        return true;
    case 21:
        if (e.type != 4)
            e.p11.y = real();
        else if (!e.fit.empty())
            e.fit.back().y = real();
        return true;
    default:
        return false;
    }
}

bool Reader::takeFace(TFaceBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 70:
        r.code70 = small();
        return true;
    case 13:
        r.count = 4;
        return takePoint(13, r.pt[3]);
    default:
        return takePoint(10, r.pt[0]) || takePoint(11, r.pt[1]) || takePoint(12, r.pt[2]) ||
               takePoint(13, r.pt[3]);
    }
}

bool Reader::takePolylineHeader(TLwpBlk& r) {
    switch (code_) {
    case 40:
        r.startWidth = Width(real());
        return true;
    case 41:
        r.endWidth = Width(real());
        return true;
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 38:
        r.code38 = real();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 70:
        r.code70 = small();
        return true;
    case 71:
        r.code71 = small();
        return true;
    case 72:
        r.code72 = small();
        return true;
    case 73:
        r.code73 = small();
        return true;
    case 74:
        r.code74 = small();
        return true;
    default:
        return takePoint(210, r.code210);
    }
}

bool Reader::takeLwpolyline(TLwpBlk& r) {
    auto& vertices = RecordTable<TLwpEle>(*d_, block_);
    switch (code_) {
    case 10: {
        finishColor(r.color, r.layer, block_);
        TLwpEle& v = append(vertices);
        v.ihand = r.ihand;
        v.code10.x = real();
        v.code10.z = r.code38;
        hasVertex_ = true;
        return true;
    }
    case 20:
        // A coordinate before the first vertex has no vertex to belong to.
        if (hasVertex_) vertices.back().code10.y = real();
        return true;
    case 42:
        if (hasVertex_) vertices.back().code42 = real();
        return true;
    case 40:
        if (hasVertex_) vertices.back().startWidth = Width(real());
        return true;
    case 41:
        if (hasVertex_) vertices.back().endWidth = Width(real());
        return true;
    case 43:
        r.startWidth = r.endWidth = Width(real());
        return true;
    default:
        return takePolylineHeader(r);
    }
}

void Reader::vertexRules() {
    auto& vertices = RecordTable<TLwpEle>(*d_, polylineInBlock_);
    auto& faces = RecordTable<TPolyfaceEle>(*d_, polylineInBlock_);
    const auto& header = RecordTable<TLwpBlk>(*d_, polylineInBlock_).back();
    switch (code_) {
    case 0:
        if (value_ == "SEQEND") vertexMode_ = false;
        faceRecord_ = false;
        break;
    case 70: {
        // In a polyface mesh a vertex flagged 128 but not 64 lists the corners of a face: it
        // is no position.
        const std::int16_t flags = small();
        if ((header.code70 & 64) != 0 && (flags & 128) != 0 && (flags & 64) == 0 && hasVertex_ &&
            !faceRecord_ && !vertices.empty() && vertices.back().ihand == header.ihand) {
            vertices.pop_back();
            hasVertex_ = false;
            faces.emplace_back().ihand = header.ihand;
            faceRecord_ = true;
        }
        break;
    }
    case 71:
    case 72:
    case 73:
    case 74:
        if (faceRecord_) faces.back().index[code_ - 71] = small();
        break;
    case 10: {
        const auto& headers = RecordTable<TLwpBlk>(*d_, polylineInBlock_);
        TLwpEle& v = append(vertices);
        v.ihand = headers.back().ihand;
        v.code10.x = real();
        hasVertex_ = true;
        break;
    }
    case 20:
        if (hasVertex_) vertices.back().code10.y = real();
        break;
    case 30:
        if (hasVertex_) vertices.back().code10.z = real();
        break;
    case 42:
        if (hasVertex_) vertices.back().code42 = real();
        break;
    case 40:
        if (hasVertex_) vertices.back().startWidth = Width(real());
        break;
    case 41:
        if (hasVertex_) vertices.back().endWidth = Width(real());
        break;
    default:
        break;
    }
}

void Reader::applyTextStyle(TTextBlk& r) const {
    const auto found = styles_.find(textStyle_);
    if (found == styles_.end()) return;
    const StyleDefaults& style = found->second;
    if (r.mtflag) {
        r.styleWidth = style.width;
        r.code51 = style.oblique;
        return;
    }
    if (!ownWidth_) r.code41 = style.width;
    if (!ownOblique_) r.code51 = style.oblique;
    if (!ownFlags_) r.code71 = style.flags;
}

// The column data of an MTEXT's embedded object.
bool Reader::takeEmbeddedColumns(TTextBlk& r) {
    switch (code_) {
    case 71:
        r.columnType = small();
        return true;
    case 72:
        r.columnCount = small();
        return true;
    case 44:
        r.columnWidth = real();
        return true;
    case 45:
        r.columnGutter = real();
        return true;
    case 41:
        // The defined height, where the text itself gives none.
        if (r.code46 == 0) r.code46 = real();
        return true;
    case 46:
        // Columns of manual height list theirs; all take the first one's.
        if (!columnHeightRead_) r.code46 = real();
        columnHeightRead_ = true;
        return true;
    default:
        return false;
    }
}

bool Reader::takeText(TTextBlk& r) {
    if (code_ == 101) {
        embedded_ = r.mtflag ? Embedded::Columns : Embedded::MText;
        if (embedded_ == Embedded::MText) {
            // A multi-line attribute is drawn as the MTEXT it embeds, whose codes follow. What
            // its own codes set that an MTEXT reads otherwise goes back to an MTEXT's start: the
            // alignment point is no direction, a width factor no reference width, and before the
            // embedded object 71 flags a multi-line attribute rather than a mirrored text.
            r.mtflag = true;
            r.pt11 = {0, 0, 0};
            r.code41 = 0;
            r.code71 = r.code72 = r.code73 = 0;
        }
        return true;
    }
    if (embedded_ == Embedded::Columns) return takeEmbeddedColumns(r);
    if (embedded_ == Embedded::MText && (code_ == 1 || code_ == 3)) {
        // The MTEXT holds the whole value; the attribute's own code 1 at most its first line, and
        // some writers leave it empty.
        if (!embeddedTextRead_) rawText_.clear();
        embeddedTextRead_ = true;
        rawText_.append(value_);
        return true;
    }
    switch (code_) {
    case 7:
        textStyle_ = upperText();
        return true;
    case 44:
        r.code44 = real();
        return true;
    case 45:
        r.code45 = real();
        return true;
    case 46:
        r.code46 = real();
        return true;
    case 48:
        r.columnWidth = real();
        return true;
    case 49:
        r.columnGutter = real();
        return true;
    case 51:
        r.code51 = real();
        ownOblique_ = true;
        return true;
    case 63:
        r.code63 = small();
        return true;
    case 75:
        r.columnType = small();
        return true;
    case 76:
        r.columnCount = small();
        return true;
    case 90:
        r.code90 = static_cast<std::int16_t>(integer());
        return true;
    case 421:
        r.code421 = integer() & 0xFFFFFF;
        return true;
    case 8:
        r.layer = layerName();
        return true;
    case 2:
        if (r.kind == TextKind::Attribute || r.kind == TextKind::AttributeDefinition)
            r.tag = tagIndex(text());
        return true;
    case 3:
        if (attributeDefinition_) return true;
        [[fallthrough]];
    case 1:
        // The chunks are joined before decoding: a writer may cut a long text inside a
        // multi-byte character.
        rawText_.append(value_);
        return true;
    case 40:
        r.code40 = real();
        return true;
    case 41:
        r.code41 = real();
        ownWidth_ = true;
        return true;
    case 50:
        r.code50 = real();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 70:
        r.code70 = small();
        return true;
    case 71:
        r.code71 = small();
        ownFlags_ = true;
        return true;
    case 72:
        r.code72 = small();
        return true;
    case 73:
    case 74:
        r.code73 = small();
        return true;
    default:
        return takePoint(10, r.pt10) || takePoint(11, r.pt11) || takePoint(210, r.code210);
    }
}

bool Reader::takeInsert(TInsertBlk& r) {
    if (tableData_) return false;
    // A dimension's points, scale-like and angle codes mean other things than an insert's.
    if (dimensionPicture_ && code_ != 2 && code_ != 8 && code_ != 6 && code_ != 62 && code_ != 67)
        return false;
    switch (code_) {
    case 102:
        xdictionary_ = value_ == "{ACAD_XDICTIONARY";
        return true;
    case 360:
        // The extension dictionary, where a clip boundary is found.
        if (xdictionary_) clips_.addReference(block_, openIndex_, HandleValue(value_));
        return true;
    case 100:
        // An ACAD_TABLE's own data follows its block-reference part; codes 40 to 43 mean other
        // things there.
        if (value_ == "AcDbTable") tableData_ = true;
        return false;
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 2:
        r.name = d_->name(text());
        return true;
    case 41:
        r.scale.x = real();
        return true;
    case 42:
        r.scale.y = real();
        return true;
    case 43:
        r.scale.z = real();
        return true;
    case 50:
        r.rotate = real();
        return true;
    case 62:
        r.color = small();
        return true;
    case 66:
        r.code66 = small() != 0;
        return true;
    case 70:
        r.code70 = small();
        return true;
    case 71:
        r.code71 = small();
        return true;
    case 44:
        r.code44 = real();
        return true;
    case 45:
        r.code45 = real();
        return true;
    case 67:
        r.code67 = small();
        return true;
    default:
        return takePoint(10, r.base) || takePoint(210, r.code210);
    }
}

bool Reader::takeDimension(TDimensionBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 2:
        r.dimblkName = d_->name(text());
        return true;
    case 40:
        r.code40 = real();
        return true;
    case 50:
        r.code50 = real();
        return true;
    case 51:
        r.code51 = real();
        return true;
    case 70:
        r.dimtype = small();
        return true;
    case 62:
        r.color = small();
        return true;
    case 67:
        r.code67 = small();
        return true;
    default:
        return takePoint(10, r.p0) || takePoint(11, r.p1) || takePoint(12, r.p2) ||
               takePoint(13, r.p3) || takePoint(14, r.p4) || takePoint(15, r.P5) ||
               takePoint(16, r.P6) || takePoint(210, r.code210);
    }
}

bool Reader::takeLeader(TLeaderBlk& r) {
    switch (code_) {
    case 8:
        r.layer = layerName();
        return true;
    case 6:
        r.ltype = ltypeName();
        return true;
    case 41:
        r.code41 = real();
        return true;
    case 67:
        r.code67 = small();
        return true;
    case 76:
        r.code76 = small();
        leaderVertex_ = 0;
        return true;
    default:
        break;
    }
    if (leaderVertex_ < r.code76) {
        TAcadPoint* vertex = nullptr;
        if (leaderVertex_ == 0)
            vertex = &r.p1;
        else if (leaderVertex_ == 1)
            vertex = &r.p2;
        else if (leaderVertex_ == 2)
            vertex = &r.p3;
        if (code_ == 10 || code_ == 20 || code_ == 30) {
            const double v = real();
            if (vertex) {
                if (code_ == 10)
                    vertex->x = v;
                else if (code_ == 20)
                    vertex->y = v;
                else
                    vertex->z = v;
            }
            if (code_ == 30) ++leaderVertex_;
            return true;
        }
        return false;
    }
    // Every vertex is read: the leader's remaining pairs are not.
    finishOpenEntity();
    return false;
}

bool Reader::takePointAsWritten(int base, TAcadPoint& p) {
    if (code_ == base)
        p.x = realAsWritten();
    else if (code_ == base + 10)
        p.y = realAsWritten();
    else if (code_ == base + 20)
        p.z = realAsWritten();
    else
        return false;
    return true;
}

bool Reader::takeViewport(TViewport& v) {
    if (code_ >= 1000) return takeViewportXdata(v);
    switch (code_) {
    case 100:
        if (value_ == "AcDbViewport") viewportSubclass_ = true;
        return true;
    case 8:
        v.layer = layerName();
        return true;
    case 67:
        v.code67 = small();
        return true;
    case 68:
        v.code68 = small();
        return true;
    case 69:
        v.code69 = small();
        return true;
    case 90:
        v.code90 = integer();
        return true;
    case 40:
        v.width = realAsWritten();
        return true;
    case 41:
        v.height = realAsWritten();
        return true;
    case 45:
        v.viewHeight = realAsWritten();
        return true;
    case 51:
        v.twist = realAsWritten();
        return true;
    case 340:
        v.clipHandle = TrimBlanks(value_);
        return true;
    case 331: {
        const auto found = layerHandles_.find(HandleValue(value_));
        if (found != layerHandles_.end())
            v.frozenLayers.push_back(d_->name(d_->LayerAry[found->second].Name));
        return true;
    }
    default:
        return takePointAsWritten(10, v.center) || takePointAsWritten(12, v.viewCenter) ||
               takePointAsWritten(16, v.viewDirection) || takePointAsWritten(17, v.viewTarget);
    }
}

// Release 12 has no AcDbViewport part: a viewport keeps its view in the extended data of the
// application "ACAD", after the string "MVIEW", between braces (1002 "{" and "}"): the data's
// version (1070), the view target and the view direction (two points 1010/1020/1030), the twist,
// the view height and the view centre's x and y (the first four 1040), further settings, and a
// nested list of the names of the layers frozen in the viewport (1003). Where the AcDbViewport
// part was read, it is what counts.
bool Reader::takeViewportXdata(TViewport& v) {
    switch (code_) {
    case 1001:
        xdataAcad_ = value_ == "ACAD";
        mview_ = false;
        return true;
    case 1000:
        if (xdataAcad_ && !viewportSubclass_ && TrimBlanks(value_) == "MVIEW") {
            mview_ = true;
            mviewDepth_ = 0;
            mviewPoints_ = mviewReals_ = 0;
        }
        return true;
    default:
        break;
    }
    if (!mview_) return false;
    if (code_ == 1002) {
        const std::string_view brace = TrimBlanks(value_);
        if (brace == "{") {
            ++mviewDepth_;
        } else if (brace == "}" && --mviewDepth_ <= 0) {
            // The data ends with its outer brace.
            mview_ = false;
        }
        return true;
    }
    if (code_ == 1003) {
        if (mviewDepth_ == 2) v.frozenLayers.push_back(d_->name(text()));
        return true;
    }
    if (mviewDepth_ != 1) return false;
    TAcadPoint* point = nullptr;
    switch (code_) {
    case 1010:
        ++mviewPoints_;
        [[fallthrough]];
    case 1020:
    case 1030:
        if (mviewPoints_ == 1) point = &v.viewTarget;
        if (mviewPoints_ == 2) point = &v.viewDirection;
        if (point) {
            const double value = realAsWritten();
            (code_ == 1010 ? point->x : code_ == 1020 ? point->y : point->z) = value;
        }
        return true;
    case 1040: {
        const double value = realAsWritten();
        switch (mviewReals_++) {
        case 0:
            v.twist = value;
            break;
        case 1:
            v.viewHeight = value;
            break;
        case 2:
            v.viewCenter.x = value;
            break;
        case 3:
            v.viewCenter.y = value;
            break;
        default:
            break;
        }
        return true;
    }
    default:
        return false;
    }
}

// The block each layout's sheet is drawn in, by the block records; layouts that repeat another's
// handle or block are dropped (they would show the same sheet twice), and the rest are put in
// tab order. Where the links are broken (a handle that names nothing, a block record missing),
// a layout takes a sheet that no other layout holds: the model's tab ("Model") the model's
// block, the others the paper-space blocks in tab order, "*Paper_Space" first. That pairing is
// a guess, but it shows every sheet the file holds.
void Reader::finishLayouts() {
    if (d_->LayoutAry.empty()) return;
    std::unordered_map<std::uint64_t, const BlockRecord*> byHandle, byLayout;
    for (const BlockRecord& record : blockRecords_) {
        if (record.handle != 0) byHandle.emplace(record.handle, &record);
        if (record.layout != 0) byLayout.emplace(record.layout, &record);
    }
    std::vector<TLayout> kept;
    std::unordered_set<std::uint64_t> handles;
    std::unordered_set<std::string> blocks;
    for (std::size_t i = 0; i < d_->LayoutAry.size(); ++i) {
        TLayout& layout = d_->LayoutAry[i];
        const std::uint64_t handle = HandleValue(layout.handle);
        if (const auto named = byHandle.find(layoutBlockRecords_[i]); named != byHandle.end())
            layout.blockName = named->second->name;
        else if (const auto naming = byLayout.find(handle); naming != byLayout.end())
            layout.blockName = naming->second->name;
        if (handle != 0 && !handles.insert(handle).second) continue;
        if (!layout.blockName.empty() && !blocks.insert(UpperAscii(layout.blockName)).second)
            continue;
        kept.push_back(std::move(layout));
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const TLayout& a, const TLayout& b) { return a.code71 < b.code71; });

    std::vector<std::string> unclaimed;
    const auto offer = [&](const std::string& name) {
        if (IsPaperSpaceBlock(name) && blocks.insert(UpperAscii(name)).second)
            unclaimed.push_back(name);
    };
    for (const BlockRecord& record : blockRecords_)
        offer(record.name);
    for (const TBlockBlk& block : d_->BlockAry)
        offer(block.name);
    std::stable_partition(unclaimed.begin(), unclaimed.end(), [](const std::string& name) {
        return UpperAscii(name) == "*PAPER_SPACE";
    });
    std::size_t next = 0;
    for (TLayout& layout : kept) {
        if (!layout.blockName.empty()) continue;
        if (UpperAscii(layout.name) == "MODEL") {
            if (blocks.insert("*MODEL_SPACE").second) layout.blockName = "*Model_Space";
        } else if (next < unclaimed.size()) {
            layout.blockName = unclaimed[next++];
        }
    }
    d_->LayoutAry = std::move(kept);
}

// Orders the paper-space entities by handle, so that FindPaperEntity searches them by halves.
void Reader::finishPaperHandles() {
    auto& table = d_->PaperHandleAry;
    std::vector<std::pair<std::uint64_t, std::size_t>> order(table.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        order[i] = {HandleValue(table[i].handle), i};
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<TEntityHandle> sorted;
    sorted.reserve(table.size());
    for (const auto& [value, i] : order)
        sorted.push_back(std::move(table[i]));
    table = std::move(sorted);
}

} // namespace

namespace {

// One read of the file into the emptied drawing; a file that does not exist leaves it empty.
// Returns the number of parts joined.
int ReadInto(Drawing& drawing, const std::string& fileName, ProgressSink* progress,
             const TextEncoding& encoding, int entityParts) {
    drawing.clear();
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0) return 1;
    Reader reader(drawing, fileName, progress, encoding, entityParts);
    std::unique_ptr<LineSource> source;
    try {
        source = std::make_unique<LineSource>(fileName);
        reader.run(*source);
        return reader.partsJoined();
    } catch (const InputFailure&) {
        if (progress) progress->setPosition(0);
        throw DxfReadError(fileName, 0, DxfProblem::Unreadable);
    } catch (const LineTooLong&) {
        throw DxfReadError(fileName, source->lineNumber(), DxfProblem::LineTooLong);
    }
}

} // namespace

void ReadDxfFile(Drawing& drawing, const std::string& fileName, ProgressSink* progress,
                 TextEncoding encoding, DxfReadOptions options) {
    int parts = 1;
    try {
        parts = ReadInto(drawing, fileName, progress, encoding, options.entityParts);
    } catch (const ReadAgainWhole&) {
        ReadInto(drawing, fileName, progress, encoding, 1);
    }
    if (options.partsRead) *options.partsRead = parts;
    if (drawing.LayerAry.empty()) {
        TLayer layer;
        layer.Name = "0";
        drawing.LayerAry.push_back(std::move(layer));
    }
    if (progress) progress->setPosition(0);
}

} // namespace orvanta

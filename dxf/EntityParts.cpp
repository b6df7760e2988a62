#include "dxf/EntityParts.h"

#include "dxf/NumberParsing.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string_view>

namespace orvanta {

namespace {

// The entities a part may begin with. Each stands alone: nothing read before it (a polyline's
// vertices, an insert's attributes) goes on past it in a well-formed file.
constexpr std::array<std::string_view, 16> PartStarts{
    "LINE",  "CIRCLE", "ARC",    "TEXT",   "MTEXT",     "LWPOLYLINE", "POLYLINE", "INSERT",
    "POINT", "SOLID",  "3DFACE", "LEADER", "DIMENSION", "ELLIPSE",    "SPLINE",   "HATCH"};
constexpr std::size_t LongestPartStart = 10;

bool IsPartStart(std::string_view name) {
    return std::find(PartStarts.begin(), PartStarts.end(), name) != PartStarts.end();
}

// A window of the file looked at for a pair, and how far a search goes before it gives up: a
// single entity of megabytes (a hatch of many thousands of edges) is rare, and without a
// boundary the file is read in fewer parts.
constexpr std::size_t Window = 64 << 10;
constexpr long long SearchLimit = 8 << 20;

std::string_view WithoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// In a text file: the first line at or after `from` that holds group code 0 and is followed by
// the name of an entity a part may begin with. A value line never matches, since the line after
// a value holds a group code, which is a number. -1 when there is none within the limit.
long long FindTextPartStart(const LineSource& file, long long from) {
    std::vector<char> buffer(Window);
    // Each window begins at a line end, so that the line after it is seen to begin; the first
    // one byte early, for a line that begins at `from`.
    long long base = from - 1;
    while (base - from < SearchLimit) {
        const std::size_t n = file.readAt(base, buffer.data(), buffer.size());
        const std::string_view bytes(buffer.data(), n);
        const std::size_t firstEnd = bytes.find('\n');
        std::size_t start = firstEnd == std::string_view::npos ? n : firstEnd + 1;
        for (;;) {
            const std::size_t codeEnd = bytes.find('\n', start);
            if (codeEnd == std::string_view::npos) break;
            const std::size_t nameEnd = bytes.find('\n', codeEnd + 1);
            if (nameEnd == std::string_view::npos) break;
            int code = -1;
            if (ParseGroupCode(WithoutCr(bytes.substr(start, codeEnd - start)), code) &&
                code == 0 &&
                IsPartStart(WithoutCr(bytes.substr(codeEnd + 1, nameEnd - codeEnd - 1))))
                return base + static_cast<long long>(start);
            start = codeEnd + 1;
        }
        if (n < buffer.size()) return -1;
        // The next window begins with the line end before the first line not looked at, or
        // inside a line longer than a window.
        base += static_cast<long long>(start > 1 ? start - 1 : n - 1);
    }
    return -1;
}

// In a binary file: the first group code 0 at or after `from` whose string names an entity a
// part may begin with. A number that happens to hold those bytes is possible, and caught later.
long long FindBinaryPartStart(const LineSource& file, long long from, bool oneByteCodes) {
    const std::size_t codeBytes = oneByteCodes ? 1 : 2;
    std::vector<char> buffer(Window);
    long long base = from;
    while (base - from < SearchLimit) {
        const std::size_t n = file.readAt(base, buffer.data(), buffer.size());
        const char* const data = buffer.data();
        for (std::size_t p = 0; p + codeBytes < n; ++p) {
            const void* zero = std::memchr(data + p, 0, n - codeBytes - p);
            if (!zero) break;
            p = static_cast<std::size_t>(static_cast<const char*>(zero) - data);
            if (codeBytes == 2 && data[p + 1] != 0) continue;
            const char* name = data + p + codeBytes;
            const std::size_t room = n - p - codeBytes;
            const void* end = std::memchr(name, 0, std::min(room, LongestPartStart + 1));
            if (end && IsPartStart(std::string_view(name, static_cast<const char*>(end) - name)))
                return base + static_cast<long long>(p);
        }
        if (n < buffer.size()) return -1;
        // Windows overlap by more than a code and a name, so that none is missed at the seam.
        base += static_cast<long long>(n - LongestPartStart - codeBytes - 1);
    }
    return -1;
}

// Moves the records of `from` behind those of `to` and frees `from` at once, so that a join
// holds two copies of one table at a time, not of all.
template <class Record> void MoveBehind(std::vector<Record>& to, std::vector<Record>& from) {
    if (from.empty()) return;
    ReserveMore(to, from.size());
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
    std::vector<Record>().swap(from);
}

// The number of records of a model table, by the kind a paper-space handle names.
std::size_t ModelRecords(const Drawing& d, RecordKind kind) {
    switch (kind) {
    case RecordKind::Line:
        return d.LineAry.size();
    case RecordKind::Circle:
        return d.CircleAry.size();
    case RecordKind::Arc:
        return d.ArcAry.size();
    case RecordKind::Ellipse:
        return d.EllipseAry.size();
    case RecordKind::Solid:
        return d.ModelSolidAry.size();
    case RecordKind::Face:
        return d.FaceAry.size();
    case RecordKind::Polyline:
        return d.LwpAry.size();
    case RecordKind::Text:
        return d.TextAry.size();
    case RecordKind::Insert:
        return d.InsertAry.size();
    case RecordKind::Dimension:
        return d.DimensionAry.size();
    case RecordKind::Leader:
        return d.LeaderAry.size();
    case RecordKind::Point:
        return d.PointAry.size();
    case RecordKind::Spline:
        return d.SplineAry.size();
    case RecordKind::Hatch:
        return d.HatchAry.size();
    case RecordKind::Ray:
        return d.RayAry.size();
    case RecordKind::Wipeout:
        return d.WipeoutAry.size();
    case RecordKind::MLeader:
        return d.MLeaderAry.size();
    case RecordKind::Viewport:
        return d.ViewportAry.size();
    case RecordKind::Image:
        return d.ImageAry.size();
    }
    return 0;
}

} // namespace

std::vector<long long> FindEntityBoundaries(const LineSource& file, PairFormat format,
                                            long long from, int parts) {
    std::vector<long long> found;
    const long long size = file.size();
    for (int i = 1; i < parts; ++i) {
        const long long share = from + (size - from) / parts * i;
        const long long after = std::max(share, found.empty() ? from + 1 : found.back() + 1);
        const long long at = format.binary ? FindBinaryPartStart(file, after, format.oneByteCodes)
                                           : FindTextPartStart(file, after);
        if (at < 0) break;
        found.push_back(at);
    }
    return found;
}

void AppendEntityTables(Drawing& whole, Drawing& part) {
    // A polyline is known by its index in LwpAry, and so are the vertices and faces that belong
    // to it.
    const auto polylines = static_cast<std::int32_t>(whole.LwpAry.size());
    for (TLwpBlk& r : part.LwpAry)
        r.ihand += polylines;
    for (TLwpEle& r : part.LwpEleAry)
        r.ihand += polylines;
    for (TPolyfaceEle& r : part.PolyfaceAry)
        r.ihand += polylines;
    for (TEntityHandle& h : part.PaperHandleAry)
        h.index += ModelRecords(whole, h.kind);

    MoveBehind(whole.LineAry, part.LineAry);
    MoveBehind(whole.CircleAry, part.CircleAry);
    MoveBehind(whole.ArcAry, part.ArcAry);
    MoveBehind(whole.InsertAry, part.InsertAry);
    MoveBehind(whole.LwpAry, part.LwpAry);
    MoveBehind(whole.LwpEleAry, part.LwpEleAry);
    MoveBehind(whole.PolyfaceAry, part.PolyfaceAry);
    MoveBehind(whole.TextAry, part.TextAry);
    MoveBehind(whole.FaceAry, part.FaceAry);
    MoveBehind(whole.EllipseAry, part.EllipseAry);
    MoveBehind(whole.ModelSolidAry, part.ModelSolidAry);
    MoveBehind(whole.LeaderAry, part.LeaderAry);
    MoveBehind(whole.PointAry, part.PointAry);
    MoveBehind(whole.SplineAry, part.SplineAry);
    MoveBehind(whole.HatchAry, part.HatchAry);
    MoveBehind(whole.RayAry, part.RayAry);
    MoveBehind(whole.WipeoutAry, part.WipeoutAry);
    MoveBehind(whole.MLeaderAry, part.MLeaderAry);
    MoveBehind(whole.ImageAry, part.ImageAry);
    MoveBehind(whole.DimensionAry, part.DimensionAry);
    MoveBehind(whole.ViewportAry, part.ViewportAry);
    MoveBehind(whole.PaperHandleAry, part.PaperHandleAry);
    whole.Names->adopt(part.Names);
}

} // namespace orvanta

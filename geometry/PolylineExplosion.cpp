#include "geometry/PolylineExplosion.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <tuple>

namespace orvanta {

namespace {

constexpr std::int16_t FlagClosed = 1;
constexpr std::int16_t FlagPolygonMesh = 16;
constexpr std::int16_t FlagMeshClosedN = 32;
constexpr std::int16_t FlagPolyfaceMesh = 64;
// A bulge of a wide polyline's band becomes this many chords per full turn.
constexpr int BandChordsPerTurn = 64;
// A join's mitre reaches out at most this many half widths from its vertex; beyond, it is
// bevelled.
constexpr double MaxMitre = 4;

// Finds the vertices of each header without walking the vertex table once per header.
//
// The vertices of a header are the first run of records carrying its ihand at or after a scan
// position; the position moves to the end of each run found, unless that run reaches the end of
// the table. Runs are indexed once by (ihand, start), so a header costs one binary search. For
// the reader's tables (one run per header, in header order) this finds each header's own run; a
// run that lies before the scan position is not found, as with a plain forward walk.
class VertexRuns {
  public:
    explicit VertexRuns(const std::vector<TLwpEle>& vertices) : vertices_(vertices) {
        for (std::size_t i = 0; i < vertices.size();) {
            const std::int32_t ihand = vertices[i].ihand;
            std::size_t end = i + 1;
            while (end < vertices.size() && vertices[end].ihand == ihand)
                ++end;
            runs_.push_back({ihand, i, end});
            i = end;
        }
        std::sort(runs_.begin(), runs_.end(), [](const Run& a, const Run& b) {
            return std::tie(a.ihand, a.start) < std::tie(b.ihand, b.start);
        });
    }

    // The vertices of the header with this ihand, as the half-open range [first, last).
    void find(std::int32_t ihand, std::size_t& first, std::size_t& last) {
        const auto it = std::lower_bound(
            runs_.begin(), runs_.end(), std::make_pair(ihand, scan_),
            [](const Run& run, const std::pair<std::int32_t, std::size_t>& key) {
                return std::tie(run.ihand, run.start) < std::tie(key.first, key.second);
            });
        if (it == runs_.end() || it->ihand != ihand) {
            first = last = 0;
            return;
        }
        first = it->start;
        last = it->end;
        if (last < vertices_.size()) scan_ = last;
    }

  private:
    struct Run {
        std::int32_t ihand;
        std::size_t start;
        std::size_t end;
    };
    const std::vector<TLwpEle>& vertices_;
    std::vector<Run> runs_;
    std::size_t scan_ = 0;
};

template <class Record>
void CopyHeaderFields(const TLwpBlk& header, Record& r, const Extrusion& extrusion) {
    static_cast<EntityCommon&>(r) = header;
    r.code210 = extrusion;
}

class Exploder {
  public:
    // Every piece starts as a copy of a prototype carrying the header's fields, which is cheaper
    // than filling the fields of a fresh record one by one. The prototypes serve every header in
    // turn, their strings assigned in place; the arc prototype is filled only for a polyline
    // with bulges.
    Exploder(bool model, NameTable& names, std::vector<TAcadLineBlk>& lines,
             std::vector<TArcBlk>& arcs, std::vector<TFillBlk>& fills)
        : model_(model), names_(names), lines_(lines), arcs_(arcs), fills_(fills) {}

    void start(const TLwpBlk& header) {
        header_ = &header;
        // The pieces of a model polyline carry its extrusion, the drawing's copy of it; those of
        // a block definition's keep the default.
        extrusion_ = model_ ? names_.intern(header.code210) : Extrusion();
        CopyHeaderFields(header, lineProto_, extrusion_);
        arcProtoReady_ = false;
    }

    void segment(const TAcadPoint& a, const TAcadPoint& b) {
        TAcadLineBlk& line = lines_.emplace_back(lineProto_);
        line.st = a;
        line.ed = b;
    }

    void bulged(const TAcadPoint& a, const TAcadPoint& b, double bulge) {
        TAcadPoint center;
        double radius, start, end;
        BulgeArc(a, b, bulge, center, radius, start, end);
        const double st = start * RadToDeg;
        const double ed = end * RadToDeg;
        if (model_) {
            // Arcs of at most one degree are drawn as their chord.
            const double sweepEnd = ed < st ? ed + 360 : ed;
            if (!(std::fabs(sweepEnd - st) > 1)) {
                segment(PolarPoint(center, start, radius), PolarPoint(center, end, radius));
                return;
            }
        }
        if (!arcProtoReady_) {
            CopyHeaderFields(*header_, arcProto_, extrusion_);
            arcProtoReady_ = true;
        }
        TArcBlk& arc = arcs_.emplace_back(arcProto_);
        arc.center = center;
        arc.hankei = radius;
        arc.st = st;
        arc.ed = ed;
    }

    // An ordinary polyline: a closed one repeats its first vertex, so the closing segment takes
    // the bulge of the last vertex read. A polyline with width also gets its band.
    void polyline(const TLwpEle* v, std::size_t count) {
        const bool closed = (header_->code70 & FlagClosed) != 0;
        const std::size_t total = closed ? count + 1 : count;
        bool wide = false;
        for (std::size_t i = 0; i + 1 < total; ++i) {
            const TLwpEle& from = v[i];
            // The closing segment wraps round to the first vertex (no division per vertex).
            const TLwpEle& to = v[i + 1 < count ? i + 1 : 0];
            if (from.code42 == 0)
                segment(from.code10, to.code10);
            else
                bulged(from.code10, to.code10, from.code42);
            wide = wide || StartWidth(from) > 0 || EndWidth(from) > 0;
        }
        if (wide) band(v, count, closed);
    }

    // A 3D polygon mesh of M rows of N vertices, stored row by row. Bulges do not apply.
    void mesh(const TLwpEle* v, std::size_t count) {
        const long long m = header_->code71;
        const long long n = header_->code72;
        if (n <= 0) return;
        const std::size_t size = count;
        // Columns: chains through the rows (the M direction). The loops stop at the last vertex
        // present, so a header claiming a huge mesh costs only what its vertices can give.
        for (long long col = 0; col < n && static_cast<std::size_t>(col) < size; ++col) {
            TAcadPoint chain = v[col].code10;
            for (long long row = 1; row < m; ++row) {
                const std::size_t index = static_cast<std::size_t>(row * n + col);
                if (index >= size) break;
                segment(chain, v[index].code10);
                chain = v[index].code10;
            }
            if (header_->code70 & FlagClosed) segment(chain, v[col].code10);
        }
        // Rows: chains along each row (the N direction).
        for (long long row = 0; row < m; ++row) {
            const std::size_t first = static_cast<std::size_t>(row * n);
            if (first >= size) break;
            TAcadPoint chain = v[first].code10;
            for (long long col = 1; col < n; ++col) {
                const std::size_t index = first + static_cast<std::size_t>(col);
                if (index >= size) break;
                segment(chain, v[index].code10);
                chain = v[index].code10;
            }
            if (header_->code70 & FlagMeshClosedN) segment(chain, v[first].code10);
        }
    }

    // The faces of a polyface mesh: each visible edge between the position vertices its face
    // names. Indices outside the vertices present are left out.
    void polyface(const TLwpEle* v, std::size_t count, const TPolyfaceEle* faces,
                  std::size_t faceCount) {
        for (std::size_t f = 0; f < faceCount; ++f) {
            const std::int16_t* index = faces[f].index;
            int n = 0;
            while (n < 4 && index[n] != 0)
                ++n;
            for (int k = 0; k < n && n >= 2; ++k) {
                const int a = index[k], b = index[(k + 1) % n];
                if (a < 0) continue;
                const std::size_t from = static_cast<std::size_t>(a) - 1;
                const std::size_t to = static_cast<std::size_t>(std::abs(b)) - 1;
                if (from < count && to < count) segment(v[from].code10, v[to].code10);
            }
        }
    }

  private:
    double StartWidth(const TLwpEle& v) const {
        return v.startWidth >= 0 ? v.startWidth : header_->startWidth;
    }
    double EndWidth(const TLwpEle& v) const {
        return v.endWidth >= 0 ? v.endWidth : header_->endWidth;
    }

    // The filled band of a wide polyline, one ring per segment (a trapezoid, or an annular
    // sector for a bulge, tapering from the start width to the end width), and where two
    // segments meet at one width, the wedge that closes the outside of the turn: mitred, or
    // bevelled where the mitre would reach out more than twice the width. The rings overlap;
    // the renderer fills each on its own.
    void band(const TLwpEle* v, std::size_t count, bool closed) {
        TFillBlk fill;
        static_cast<EntityCommon&>(fill) = *header_;
        fill.kind = FillKind::Band;
        const std::size_t segments = closed ? count : count - 1;
        // Tangents at the ends of each segment, for the joins.
        std::vector<std::pair<TAcadPoint, TAcadPoint>> tangents(segments);
        for (std::size_t i = 0; i < segments; ++i) {
            const TLwpEle& from = v[i];
            const TLwpEle& to = v[i + 1 < count ? i + 1 : 0];
            const TAcadPoint a = from.code10, b = to.code10;
            const double w0 = StartWidth(from) / 2, w1 = EndWidth(from) / 2;
            const double dx = b.x - a.x, dy = b.y - a.y, d = std::hypot(dx, dy);
            if (!(d > 0) || !std::isfinite(d)) continue;
            std::vector<TAcadPoint> ring;
            const double bulge = std::isfinite(from.code42) ? from.code42 : 0;
            if (bulge == 0) {
                const double nx = -dy / d, ny = dx / d;
                ring = {{a.x + nx * w0, a.y + ny * w0, a.z},
                        {b.x + nx * w1, b.y + ny * w1, b.z},
                        {b.x - nx * w1, b.y - ny * w1, b.z},
                        {a.x - nx * w0, a.y - ny * w0, a.z}};
                tangents[i] = {{dx / d, dy / d, 0}, {dx / d, dy / d, 0}};
            } else {
                // The same arc as the centre line's, swept from the segment's start.
                const double theta = 4 * std::atan(bulge);
                TAcadPoint c;
                double r, start, end;
                BulgeArc(a, b, bulge, c, r, start, end);
                const double a0 = std::atan2(a.y - c.y, a.x - c.x);
                const int n = std::clamp(
                    static_cast<int>(std::ceil(std::fabs(theta) / (2 * Pi) * BandChordsPerTurn)), 2,
                    BandChordsPerTurn);
                // Along the inner edge, then back along the outer one.
                for (int pass = 0; pass < 2; ++pass) {
                    for (int k = 0; k <= n; ++k) {
                        const int j = pass == 0 ? k : n - k;
                        const double t = a0 + theta * j / n;
                        const double w = w0 + (w1 - w0) * j / n;
                        const double radius = std::max(0.0, pass == 0 ? r - w : r + w);
                        ring.push_back(
                            {c.x + radius * std::cos(t), c.y + radius * std::sin(t), a.z});
                    }
                }
                const double s = theta > 0 ? 1 : -1;
                const double t1 = a0 + theta;
                tangents[i] = {{-std::sin(a0) * s, std::cos(a0) * s, 0},
                               {-std::sin(t1) * s, std::cos(t1) * s, 0}};
            }
            fill.rings.push_back(std::move(ring));
        }
        for (std::size_t i = closed ? 0 : 1; i < segments; ++i) {
            const std::size_t previous = i == 0 ? segments - 1 : i - 1;
            const double w = EndWidth(v[previous]) / 2;
            if (!(w > 0) || StartWidth(v[i]) / 2 != w) continue;
            join(fill, v[i].code10, tangents[previous].second, tangents[i].first, w);
        }
        if (fill.rings.empty()) return;
        // Every piece counterclockwise, so that a canvas may fill them at once by the nonzero
        // rule.
        for (auto& ring : fill.rings) {
            double area = 0;
            for (std::size_t k = 0; k < ring.size(); ++k) {
                const TAcadPoint& p = ring[k];
                const TAcadPoint& q = ring[(k + 1) % ring.size()];
                area += p.x * q.y - q.x * p.y;
            }
            if (area < 0) std::reverse(ring.begin(), ring.end());
        }
        const bool tilted = !IsDefaultExtrusion(header_->code210);
        if (tilted) {
            const OcsFrame frame = OcsFrameOf(header_->code210);
            for (auto& ring : fill.rings)
                for (TAcadPoint& p : ring)
                    p = OcsToWcs(p, frame);
        }
        fills_.push_back(std::move(fill));
    }

    // The wedge outside the turn at `at` from direction t1 to direction t2 of a band of half
    // width w.
    static void join(TFillBlk& fill, const TAcadPoint& at, const TAcadPoint& t1,
                     const TAcadPoint& t2, double w) {
        const double turn = t1.x * t2.y - t1.y * t2.x;
        if (std::fabs(turn) < 1e-9) return;
        const double s = turn > 0 ? -w : w; // the outside: right of a left turn
        const TAcadPoint n1{-t1.y, t1.x, 0}, n2{-t2.y, t2.x, 0};
        const TAcadPoint p1{at.x + n1.x * s, at.y + n1.y * s, at.z};
        const TAcadPoint p2{at.x + n2.x * s, at.y + n2.y * s, at.z};
        const double cosine = n1.x * n2.x + n1.y * n2.y;
        const double reach = 1 + cosine > 1e-9 ? 1 / std::sqrt((1 + cosine) / 2) : HUGE_VAL;
        if (reach <= MaxMitre) {
            const double k = s / (1 + cosine);
            const TAcadPoint m{at.x + (n1.x + n2.x) * k, at.y + (n1.y + n2.y) * k, at.z};
            fill.rings.push_back({at, p1, m, p2});
        } else {
            fill.rings.push_back({at, p1, p2});
        }
    }

    const TLwpBlk* header_ = nullptr;
    bool model_;
    NameTable& names_;
    Extrusion extrusion_;
    std::vector<TAcadLineBlk>& lines_;
    std::vector<TArcBlk>& arcs_;
    std::vector<TFillBlk>& fills_;
    TAcadLineBlk lineProto_;
    TArcBlk arcProto_;
    bool arcProtoReady_ = false;
};

void Explode(const std::vector<TLwpBlk>& headers, const std::vector<TLwpEle>& vertices,
             const std::vector<TPolyfaceEle>& faces, bool model, NameTable& names,
             std::vector<TAcadLineBlk>& lines, std::vector<TArcBlk>& arcs,
             std::vector<TFillBlk>& fills) {
    // Face records come in the order of their polylines, as the headers do.
    std::size_t nextFace = 0;
    // Room for about one piece per vertex, so the target tables grow once. In the model a bulge
    // of at most one degree gives a line instead of an arc.
    std::size_t bulged = 0;
    for (const TLwpEle& v : vertices)
        bulged += v.code42 != 0;
    ReserveMore(arcs, bulged);
    ReserveMore(lines, vertices.size() - (model ? 0 : bulged) + headers.size());

    VertexRuns runs(vertices);
    Exploder exploder(model, names, lines, arcs, fills);
    for (const TLwpBlk& header : headers) {
        std::size_t first, last;
        runs.find(header.ihand, first, last);
        if (first == last) continue;
        const TLwpEle* v = vertices.data() + first;
        const std::size_t count = last - first;
        exploder.start(header);
        if (header.code70 & FlagPolygonMesh) {
            if (model) exploder.mesh(v, count);
        } else if (!(header.code70 & FlagPolyfaceMesh)) {
            exploder.polyline(v, count);
        } else {
            while (nextFace < faces.size() && faces[nextFace].ihand < header.ihand)
                ++nextFace;
            std::size_t end = nextFace;
            while (end < faces.size() && faces[end].ihand == header.ihand)
                ++end;
            exploder.polyface(v, count, faces.data() + nextFace, end - nextFace);
            nextFace = end;
        }
    }
}

} // namespace

void ExplodeBlockPolylines(Drawing& d) {
    Explode(d.BlkLwpAry, d.BlkLwpEleAry, d.BlkPolyfaceAry, false, *d.Names, d.BlkLineAry,
            d.BlkArcAry, d.BlkFillAry);
}

void ExplodeModelPolylines(Drawing& d) {
    Explode(d.LwpAry, d.LwpEleAry, d.PolyfaceAry, true, *d.Names, d.LineAry, d.ArcAry, d.FillAry);
}

PolylinePieces ModelPolylinePieceBound(const Drawing& d) {
    PolylinePieces pieces;
    for (const TLwpEle& v : d.LwpEleAry)
        pieces.arcs += v.code42 != 0;
    pieces.lines = d.LwpEleAry.size() + d.LwpAry.size() + 4 * d.PolyfaceAry.size();
    for (const TLwpBlk& header : d.LwpAry) {
        if (header.code70 & FlagPolygonMesh) {
            // Finding each mesh's own vertices is not worth it for a bound.
            pieces.lines += d.LwpEleAry.size();
            break;
        }
    }
    return pieces;
}

} // namespace orvanta

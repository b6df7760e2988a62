#include "geometry/BlockClipping.h"

#include "geometry/Primitives.h"
#include "geometry/Splines.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace orvanta {

namespace {

using Parts = std::vector<std::pair<double, double>>;

// A boundary with more corners than this is taken to be simple when it is cut into convex
// pieces: the search for crossing edges costs the square of the corners.
constexpr std::size_t MaxCrossingSearch = 1024;
// Boundaries with more corners than this look up their edges by horizontal band.
constexpr std::size_t BandedEdges = 16;

double Cross(double ax, double ay, double bx, double by) {
    return ax * by - ay * bx;
}

TAcadPoint Lerp(const TAcadPoint& a, const TAcadPoint& b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

double SignedArea(const std::vector<TAcadPoint>& ring) {
    double area = 0;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
        area += ring[j].x * ring[i].y - ring[i].x * ring[j].y;
    return area / 2;
}

// The points without repeats, the closing one included.
std::vector<TAcadPoint> WithoutRepeats(const std::vector<TAcadPoint>& polygon) {
    std::vector<TAcadPoint> out;
    for (const TAcadPoint& p : polygon)
        if (out.empty() || out.back().x != p.x || out.back().y != p.y) out.push_back(p);
    while (out.size() > 1 && out.back().x == out.front().x && out.back().y == out.front().y)
        out.pop_back();
    return out;
}

// Convex: every corner turns the same way and the turns add up to one full turn (a star's add
// up to more).
bool IsConvex(const std::vector<TAcadPoint>& p) {
    const std::size_t n = p.size();
    int sign = 0;
    double turning = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const TAcadPoint& a = p[(i + n - 1) % n];
        const TAcadPoint& b = p[i];
        const TAcadPoint& c = p[(i + 1) % n];
        const double dx1 = b.x - a.x, dy1 = b.y - a.y, dx2 = c.x - b.x, dy2 = c.y - b.y;
        const double cross = Cross(dx1, dy1, dx2, dy2);
        const double dot = dx1 * dx2 + dy1 * dy2;
        if (std::fabs(cross) > 1e-12 * std::hypot(dx1, dy1) * std::hypot(dx2, dy2)) {
            const int s = cross > 0 ? 1 : -1;
            if (sign != 0 && s != sign) return false;
            sign = s;
        } else if (dot < 0) {
            return false; // the boundary turns back on itself
        }
        turning += std::atan2(cross, dot);
    }
    return sign != 0 && std::fabs(turning) < TwoPi + 0.5;
}

// The part of a ring on the inner side of every edge of a convex piece (Sutherland-Hodgman).
// Parts of the ring outside become runs along the piece's edges, so that the even-odd fill of
// the cut rings covers exactly the part of the original fill inside the piece.
std::vector<TAcadPoint> CutByConvex(const std::vector<TAcadPoint>& ring,
                                    const std::vector<TAcadPoint>& piece, std::size_t& work) {
    const double orient = SignedArea(piece) < 0 ? -1 : 1;
    std::vector<TAcadPoint> out = ring, in;
    for (std::size_t e = 0; e < piece.size() && !out.empty(); ++e) {
        const TAcadPoint& a = piece[e];
        const TAcadPoint& b = piece[(e + 1) % piece.size()];
        const auto side = [&](const TAcadPoint& p) {
            return orient * Cross(b.x - a.x, b.y - a.y, p.x - a.x, p.y - a.y);
        };
        in.swap(out);
        out.clear();
        work += in.size();
        for (std::size_t j = 0; j < in.size(); ++j) {
            const TAcadPoint& cur = in[j];
            const TAcadPoint& prev = in[(j + in.size() - 1) % in.size()];
            const double sc = side(cur), sp = side(prev);
            if ((sc >= 0) != (sp >= 0)) out.push_back(Lerp(prev, cur, sp / (sp - sc)));
            if (sc >= 0) out.push_back(cur);
        }
    }
    return out.size() >= 3 ? out : std::vector<TAcadPoint>{};
}

// Where the edges a-b and c-d cross, as a y; false when they do not cross properly.
bool CrossingY(const TAcadPoint& a, const TAcadPoint& b, const TAcadPoint& c, const TAcadPoint& d,
               double& y) {
    const double den = Cross(b.x - a.x, b.y - a.y, d.x - c.x, d.y - c.y);
    if (den == 0) return false;
    const double t = Cross(c.x - a.x, c.y - a.y, d.x - c.x, d.y - c.y) / den;
    const double s = Cross(c.x - a.x, c.y - a.y, b.x - a.x, b.y - a.y) / den;
    if (!(t > 0 && t < 1 && s > 0 && s < 1)) return false;
    y = a.y + (b.y - a.y) * t;
    return true;
}

// The parts of [0, end] between the cuts `at` whose middles `inside` accepts, joined where they
// touch.
template <class Inside>
void InsideParts(std::vector<double>& at, double end, Inside inside, Parts& parts) {
    parts.clear();
    at.push_back(0);
    at.push_back(end);
    std::sort(at.begin(), at.end());
    const double eps = 1e-12 * end;
    for (std::size_t i = 0; i + 1 < at.size(); ++i) {
        const double t0 = std::max(at[i], 0.0), t1 = std::min(at[i + 1], end);
        if (!(t1 - t0 > eps)) continue;
        if (!inside((t0 + t1) / 2)) continue;
        if (!parts.empty() && parts.back().second >= t0 - eps)
            parts.back().second = t1;
        else
            parts.emplace_back(t0, t1);
    }
}

bool Whole(const Parts& parts, double end) {
    return parts.size() == 1 && parts[0].first <= 1e-12 * end &&
           parts[0].second >= end * (1 - 1e-12);
}

enum class Cut { Keep, Drop, Pieces };

// Rewrites the records of `table` from `from` on: each is kept, dropped or replaced by the
// pieces `cut` gives it. Returns how many records were added.
template <class Record, class F>
std::size_t Recut(std::vector<Record>& table, std::size_t from, F&& cut) {
    std::vector<Record> pieces, extra;
    std::size_t kept = from;
    const std::size_t end = table.size();
    for (std::size_t i = from; i < end; ++i) {
        pieces.clear();
        switch (cut(table[i], pieces)) {
        case Cut::Keep:
            if (kept != i) table[kept] = std::move(table[i]);
            ++kept;
            break;
        case Cut::Drop:
            break;
        case Cut::Pieces:
            for (std::size_t k = 0; k < pieces.size(); ++k) {
                if (k == 0)
                    table[kept++] = std::move(pieces[0]);
                else
                    extra.push_back(std::move(pieces[k]));
            }
            break;
        }
    }
    table.erase(table.begin() + static_cast<std::ptrdiff_t>(kept),
                table.begin() + static_cast<std::ptrdiff_t>(end));
    table.insert(table.end(), std::make_move_iterator(extra.begin()),
                 std::make_move_iterator(extra.end()));
    return extra.size();
}

template <class Record> TAcadLineBlk LineOf(const Record& source) {
    TAcadLineBlk line;
    static_cast<EntityCommon&>(line) = source;
    return line;
}

} // namespace

AppendMarks MarkAppends(const Drawing& d) {
    return {d.LineAry.size(), d.CircleAry.size(), d.ArcAry.size(),
            d.TextAry.size(), d.FillAry.size(),   d.PointAry.size(),
            d.RayAry.size(),  d.SplineAry.size(), d.CurveAry.size()};
}

std::vector<std::vector<TAcadPoint>> ConvexPieces(const std::vector<TAcadPoint>& polygon) {
    const std::vector<TAcadPoint> p = WithoutRepeats(polygon);
    const std::size_t n = p.size();
    if (n < 3) return {};
    if (IsConvex(p)) return {p};

    struct Edge {
        double ylo, yhi, xlo, slope; // x = xlo + (y - ylo) · slope
    };
    std::vector<Edge> edges;
    std::vector<double> ys;
    for (std::size_t i = 0; i < n; ++i) {
        const TAcadPoint& a = p[i];
        const TAcadPoint& b = p[(i + 1) % n];
        ys.push_back(a.y);
        if (a.y == b.y) continue;
        const TAcadPoint& lo = a.y < b.y ? a : b;
        const TAcadPoint& hi = a.y < b.y ? b : a;
        edges.push_back({lo.y, hi.y, lo.x, (hi.x - lo.x) / (hi.y - lo.y)});
    }
    // A boundary that crosses itself changes the order of its edges where they cross.
    if (n <= MaxCrossingSearch) {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t j = i + 2; j < n; ++j) {
                double y;
                if (CrossingY(p[i], p[(i + 1) % n], p[j], p[(j + 1) % n], y)) ys.push_back(y);
            }
    }
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.ylo < b.ylo; });

    std::vector<std::vector<TAcadPoint>> pieces;
    std::vector<const Edge*> active;
    std::vector<std::pair<double, const Edge*>> order;
    std::size_t next = 0;
    for (std::size_t k = 0; k + 1 < ys.size(); ++k) {
        const double y0 = ys[k], y1 = ys[k + 1], ym = (y0 + y1) / 2;
        while (next < edges.size() && edges[next].ylo < ym)
            active.push_back(&edges[next++]);
        std::erase_if(active, [&](const Edge* e) { return e->yhi <= ym; });
        order.clear();
        for (const Edge* e : active)
            order.emplace_back(e->xlo + (ym - e->ylo) * e->slope, e);
        std::sort(order.begin(), order.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        const auto x = [](const Edge* e, double y) { return e->xlo + (y - e->ylo) * e->slope; };
        for (std::size_t i = 0; i + 1 < order.size(); i += 2) {
            const Edge* l = order[i].second;
            const Edge* r = order[i + 1].second;
            const std::vector<TAcadPoint> corners{
                {x(l, y0), y0, 0}, {x(r, y0), y0, 0}, {x(r, y1), y1, 0}, {x(l, y1), y1, 0}};
            std::vector<TAcadPoint> piece = WithoutRepeats(corners);
            if (piece.size() >= 3) pieces.push_back(std::move(piece));
        }
    }
    return pieces;
}

ClipRegion::ClipRegion(std::vector<TAcadPoint> polygon, std::vector<std::vector<TAcadPoint>> pieces)
    : polygon_(std::move(polygon)), pieces_(std::move(pieces)) {
    if (polygon_.empty()) return;
    left_ = right_ = polygon_[0].x;
    bottom_ = top_ = polygon_[0].y;
    for (const TAcadPoint& p : polygon_) {
        left_ = std::min(left_, p.x);
        right_ = std::max(right_, p.x);
        bottom_ = std::min(bottom_, p.y);
        top_ = std::max(top_, p.y);
    }
    const std::vector<TAcadPoint> corners = WithoutRepeats(polygon_);
    if (corners.size() >= 3 && IsConvex(corners)) {
        convex_ = true;
        orient_ = SignedArea(corners) < 0 ? -1 : 1;
    }
    const std::size_t n = polygon_.size();
    if (n <= BandedEdges || !(top_ > bottom_)) return;
    bands_ = std::min<std::size_t>(n / 4, 256);
    bandHeight_ = (top_ - bottom_) / static_cast<double>(bands_);
    const auto band = [&](double y) {
        const double k = std::floor((y - bottom_) / bandHeight_);
        return static_cast<std::size_t>(std::clamp(k, 0.0, static_cast<double>(bands_ - 1)));
    };
    std::vector<std::size_t> count(bands_ + 1, 0);
    const auto span = [&](std::size_t i) {
        const double ya = polygon_[i].y, yb = polygon_[(i + 1) % n].y;
        return std::pair(band(std::min(ya, yb)), band(std::max(ya, yb)));
    };
    for (std::size_t i = 0; i < n; ++i) {
        const auto [k0, k1] = span(i);
        for (std::size_t k = k0; k <= k1; ++k)
            ++count[k + 1];
    }
    for (std::size_t k = 0; k < bands_; ++k)
        count[k + 1] += count[k];
    bandFirst_ = count;
    bandEdges_.resize(count[bands_]);
    for (std::size_t i = 0; i < n; ++i) {
        const auto [k0, k1] = span(i);
        for (std::size_t k = k0; k <= k1; ++k)
            bandEdges_[count[k]++] = static_cast<std::uint32_t>(i);
    }
}

template <class F> void ClipRegion::forEdges(double y0, double y1, std::size_t& work, F&& f) const {
    if (bands_ == 0) {
        for (std::size_t i = 0; i < polygon_.size(); ++i)
            f(i);
        work += polygon_.size();
        return;
    }
    const auto band = [&](double y) {
        const double k = std::floor((y - bottom_) / bandHeight_);
        return static_cast<std::size_t>(std::clamp(k, 0.0, static_cast<double>(bands_ - 1)));
    };
    const std::size_t first = bandFirst_[band(y0)], last = bandFirst_[band(y1) + 1];
    for (std::size_t k = first; k < last; ++k)
        f(bandEdges_[k]);
    work += last - first;
}

bool ClipRegion::contains(double x, double y, std::size_t& work) const {
    if (!(x >= left_ && x <= right_ && y >= bottom_ && y <= top_)) return false;
    const std::size_t n = polygon_.size();
    bool inside = false;
    forEdges(y, y, work, [&](std::size_t i) {
        const TAcadPoint& a = polygon_[i];
        const TAcadPoint& b = polygon_[(i + 1) % n];
        if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y))
            inside = !inside;
    });
    return inside;
}

void ClipRegion::segmentParts(const TAcadPoint& a, const TAcadPoint& b, Parts& parts,
                              std::size_t& work) const {
    parts.clear();
    if (std::max(a.x, b.x) < left_ || std::min(a.x, b.x) > right_ || std::max(a.y, b.y) < bottom_ ||
        std::min(a.y, b.y) > top_)
        return;
    const std::size_t n = polygon_.size();
    const double dx = b.x - a.x, dy = b.y - a.y;
    if (convex_) {
        // Each edge keeps the part of the segment on its inner side. A segment along an edge
        // (the side of a block clipped at its outline) counts as inside, whichever side of it
        // rounding put the segment.
        const double margin = 1e-9 * std::max(right_ - left_, top_ - bottom_);
        double t0 = 0, t1 = 1;
        work += n;
        for (std::size_t i = 0; i < n && t0 <= t1; ++i) {
            const TAcadPoint& p = polygon_[i];
            const TAcadPoint& q = polygon_[(i + 1) % n];
            const double ex = q.x - p.x, ey = q.y - p.y;
            // Offsets across the edge come multiplied by its length: so does the margin.
            const double tolerance2 = margin * margin * (ex * ex + ey * ey);
            const double at0 = orient_ * Cross(ex, ey, a.x - p.x, a.y - p.y);
            const double slope = orient_ * Cross(ex, ey, dx, dy);
            if (slope * slope <= tolerance2) {
                if (at0 < 0 && at0 * at0 > tolerance2) t1 = -1;
            } else if (slope > 0) {
                t0 = std::max(t0, -at0 / slope);
            } else {
                t1 = std::min(t1, -at0 / slope);
            }
        }
        if ((t0 == 0 && t1 == 1) || (t1 - t0) * std::hypot(dx, dy) > margin)
            parts.emplace_back(t0, t1);
        return;
    }
    std::vector<double>& at = cuts_;
    at.clear();
    forEdges(std::min(a.y, b.y), std::max(a.y, b.y), work, [&](std::size_t i) {
        const TAcadPoint& p = polygon_[i];
        const TAcadPoint& q = polygon_[(i + 1) % n];
        const double ex = q.x - p.x, ey = q.y - p.y;
        const double den = Cross(dx, dy, ex, ey);
        if (den == 0) return;
        const double wx = p.x - a.x, wy = p.y - a.y;
        const double t = Cross(wx, wy, ex, ey) / den;
        const double s = Cross(wx, wy, dx, dy) / den;
        if (s >= 0 && s <= 1 && t > 0 && t < 1) at.push_back(t);
    });
    InsideParts(
        at, 1, [&](double t) { return contains(a.x + dx * t, a.y + dy * t, work); }, parts);
}

void ClipRegion::curveParts(const TAcadPoint& c, const TAcadPoint& u, const TAcadPoint& v,
                            double start, double sweep, Parts& parts, std::size_t& work) const {
    parts.clear();
    const double rx = std::hypot(u.x, v.x), ry = std::hypot(u.y, v.y);
    if (c.x + rx < left_ || c.x - rx > right_ || c.y + ry < bottom_ || c.y - ry > top_) return;
    const std::size_t n = polygon_.size();
    const auto at = [&](double t) {
        return TAcadPoint{c.x + u.x * std::cos(t) + v.x * std::sin(t),
                          c.y + u.y * std::cos(t) + v.y * std::sin(t), 0};
    };
    std::vector<double>& cuts = cuts_;
    cuts.clear();
    forEdges(c.y - ry, c.y + ry, work, [&](std::size_t i) {
        const TAcadPoint& p = polygon_[i];
        const TAcadPoint& q = polygon_[(i + 1) % n];
        if (std::max(p.x, q.x) < c.x - rx || std::min(p.x, q.x) > c.x + rx ||
            std::max(p.y, q.y) < c.y - ry || std::min(p.y, q.y) > c.y + ry)
            return;
        const double ex = q.x - p.x, ey = q.y - p.y;
        // The edge's line: points whose offset from p across it is zero. On the curve that
        // offset is A·cos t + B·sin t + C.
        const double A = Cross(ex, ey, u.x, u.y), B = Cross(ex, ey, v.x, v.y);
        const double C = Cross(ex, ey, c.x - p.x, c.y - p.y);
        const double R = std::hypot(A, B);
        if (!(R > 0) || std::fabs(C) > R) return;
        const double phi = std::atan2(B, A), delta = std::acos(std::clamp(-C / R, -1.0, 1.0));
        const double len2 = ex * ex + ey * ey;
        for (const double t : {phi + delta, phi - delta}) {
            const TAcadPoint m = at(t);
            const double s = ((m.x - p.x) * ex + (m.y - p.y) * ey) / len2;
            if (!(s >= 0 && s <= 1)) continue;
            double rel = std::fmod(t - start, TwoPi);
            if (rel < 0) rel += TwoPi;
            if (rel > 0 && rel < sweep) cuts.push_back(rel);
        }
    });
    InsideParts(
        cuts, sweep,
        [&](double t) {
            const TAcadPoint m = at(start + t);
            return contains(m.x, m.y, work);
        },
        parts);
}

void ClipRegion::lineParts(const TAcadPoint& p, const TAcadPoint& d, bool ray, Parts& parts,
                           std::size_t& work) const {
    parts.clear();
    const std::size_t n = polygon_.size();
    std::vector<double>& cuts = cuts_;
    cuts.clear();
    forEdges(bottom_, top_, work, [&](std::size_t i) {
        const TAcadPoint& a = polygon_[i];
        const TAcadPoint& b = polygon_[(i + 1) % n];
        const double ex = b.x - a.x, ey = b.y - a.y;
        const double den = Cross(d.x, d.y, ex, ey);
        if (den == 0) return;
        const double wx = a.x - p.x, wy = a.y - p.y;
        const double t = Cross(wx, wy, ex, ey) / den;
        const double s = Cross(wx, wy, d.x, d.y) / den;
        if (s >= 0 && s <= 1 && (!ray || t > 0)) cuts.push_back(t);
    });
    if (cuts.empty()) return;
    const auto [lo, hi] = std::minmax_element(cuts.begin(), cuts.end());
    const double from = ray ? 0 : *lo, to = *hi;
    if (!(to > from)) return;
    for (double& t : cuts)
        t -= from;
    InsideParts(
        cuts, to - from,
        [&](double t) { return contains(p.x + d.x * (from + t), p.y + d.y * (from + t), work); },
        parts);
    for (auto& [t0, t1] : parts) {
        t0 += from;
        t1 += from;
    }
}

std::vector<std::vector<TAcadPoint>>
ClipRegion::cutRings(const std::vector<std::vector<TAcadPoint>>& rings, std::size_t& work) const {
    std::vector<std::vector<TAcadPoint>> own;
    if (pieces_.empty()) own = ConvexPieces(polygon_);
    const auto& pieces = pieces_.empty() ? own : pieces_;
    std::vector<std::vector<TAcadPoint>> out;
    for (const auto& piece : pieces)
        for (const auto& ring : rings) {
            if (ring.size() < 3) continue;
            std::vector<TAcadPoint> cut = CutByConvex(ring, piece, work);
            if (!cut.empty()) out.push_back(std::move(cut));
        }
    return out;
}

std::size_t ClipAppended(Drawing& d, const AppendMarks& marks, const ClipRegion& region) {
    std::size_t work = 0;
    std::size_t made = 0;
    Parts parts;
    std::vector<TAcadLineBlk> lines;

    made += Recut(d.LineAry, marks.lines, [&](TAcadLineBlk& line, auto& pieces) {
        region.segmentParts(line.st, line.ed, parts, work);
        if (parts.empty()) return Cut::Drop;
        if (Whole(parts, 1)) return Cut::Keep;
        for (const auto& [t0, t1] : parts) {
            TAcadLineBlk& piece = pieces.emplace_back(line);
            piece.st = Lerp(line.st, line.ed, t0);
            piece.ed = Lerp(line.st, line.ed, t1);
        }
        return Cut::Pieces;
    });

    made += Recut(d.ArcAry, marks.arcs, [&](TArcBlk& arc, auto& pieces) {
        double sweep = std::fmod(arc.ed - arc.st, 360.0);
        if (!(sweep > 0)) sweep += 360;
        const double r = arc.hankei;
        region.curveParts(arc.center, {r, 0, 0}, {0, r, 0}, arc.st * DegToRad, sweep * DegToRad,
                          parts, work);
        if (parts.empty()) return Cut::Drop;
        if (Whole(parts, sweep * DegToRad)) return Cut::Keep;
        for (const auto& [t0, t1] : parts) {
            TArcBlk& piece = pieces.emplace_back(arc);
            piece.st = arc.st + t0 * RadToDeg;
            piece.ed = arc.st + t1 * RadToDeg;
        }
        return Cut::Pieces;
    });

    // A circle cut becomes arcs; a part through angle 0 is one arc.
    std::vector<TArcBlk> arcs;
    Recut(d.CircleAry, marks.circles, [&](TCircleBlk& circle, auto&) {
        const double r = circle.hankei;
        region.curveParts(circle.center, {r, 0, 0}, {0, r, 0}, 0, TwoPi, parts, work);
        if (parts.empty()) return Cut::Drop;
        if (Whole(parts, TwoPi)) return Cut::Keep;
        if (parts.size() > 1 && parts.front().first <= 0 && parts.back().second >= TwoPi) {
            parts.front().first = parts.back().first - TwoPi;
            parts.pop_back();
        }
        for (const auto& [t0, t1] : parts) {
            TArcBlk& arc = arcs.emplace_back();
            static_cast<EntityCommon&>(arc) = circle;
            arc.center = circle.center;
            arc.hankei = r;
            arc.code210 = circle.code210;
            arc.st = t0 * RadToDeg;
            arc.ed = t1 * RadToDeg;
        }
        return Cut::Drop;
    });
    made += arcs.size();
    d.ArcAry.insert(d.ArcAry.end(), arcs.begin(), arcs.end());

    made += Recut(d.CurveAry, marks.curves, [&](TCurveBlk& curve, auto& pieces) {
        double start = curve.start, sweep = curve.sweep;
        if (sweep < 0) {
            start += sweep;
            sweep = -sweep;
        }
        sweep = std::min(sweep, TwoPi);
        region.curveParts(curve.center, curve.u, curve.v, start, sweep, parts, work);
        if (parts.empty()) return Cut::Drop;
        if (Whole(parts, sweep)) return Cut::Keep;
        for (const auto& [t0, t1] : parts) {
            TCurveBlk& piece = pieces.emplace_back(curve);
            piece.start = start + t0;
            piece.sweep = t1 - t0;
        }
        return Cut::Pieces;
    });

    Recut(d.TextAry, marks.texts, [&](TTextBlk& text, auto&) {
        // A TEXT aligned otherwise than at the left of its baseline (and not fitted between
        // two points) stands at its second alignment point.
        const bool second = !text.mtflag && (text.code72 != 0 || text.code73 != 0) &&
                            text.code72 != 3 && text.code72 != 5;
        const TAcadPoint& at = second ? text.pt11 : text.pt10;
        return region.contains(at.x, at.y, work) ? Cut::Keep : Cut::Drop;
    });

    Recut(d.PointAry, marks.points, [&](TPointBlk& point, auto&) {
        return region.contains(point.pt10.x, point.pt10.y, work) ? Cut::Keep : Cut::Drop;
    });

    Recut(d.FillAry, marks.fills, [&](TFillBlk& fill, auto&) {
        fill.rings = region.cutRings(fill.rings, work);
        std::vector<TAcadPoint> segments;
        for (std::size_t i = 0; i + 1 < fill.segments.size(); i += 2) {
            const TAcadPoint a = fill.segments[i], b = fill.segments[i + 1];
            region.segmentParts(a, b, parts, work);
            for (const auto& [t0, t1] : parts) {
                segments.push_back(Lerp(a, b, t0));
                segments.push_back(Lerp(a, b, t1));
            }
        }
        fill.segments = std::move(segments);
        return fill.rings.empty() && fill.segments.empty() ? Cut::Drop : Cut::Keep;
    });

    // Rays and xlines become the segments inside.
    Recut(d.RayAry, marks.rays, [&](TRayBlk& ray, auto&) {
        region.lineParts(ray.pt10, ray.pt11, !ray.xline, parts, work);
        for (const auto& [t0, t1] : parts) {
            TAcadLineBlk& line = lines.emplace_back(LineOf(ray));
            line.st = {ray.pt10.x + ray.pt11.x * t0, ray.pt10.y + ray.pt11.y * t0, ray.pt10.z};
            line.ed = {ray.pt10.x + ray.pt11.x * t1, ray.pt10.y + ray.pt11.y * t1, ray.pt10.z};
        }
        return Cut::Drop;
    });

    // A spline wholly inside stays; one that leaves the region becomes the pieces of its chords
    // that are inside, as fine as a thousandth of its size.
    std::vector<TAcadPoint> chords;
    std::vector<TAcadLineBlk> splinePieces;
    Recut(d.SplineAry, marks.splines, [&](TSplineBlk& spline, auto&) {
        if (spline.control.empty()) return Cut::Drop;
        double x0 = spline.control[0].x, x1 = x0, y0 = spline.control[0].y, y1 = y0;
        for (const TAcadPoint& p : spline.control) {
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
        chords.clear();
        FlattenSpline(ViewOf(spline), std::max(std::hypot(x1 - x0, y1 - y0), 1e-9) / 1000, 4096,
                      chords);
        splinePieces.clear();
        bool whole = true;
        for (std::size_t i = 1; i < chords.size(); ++i) {
            region.segmentParts(chords[i - 1], chords[i], parts, work);
            whole = whole && Whole(parts, 1);
            for (const auto& [t0, t1] : parts) {
                TAcadLineBlk& line = splinePieces.emplace_back(LineOf(spline));
                line.st = Lerp(chords[i - 1], chords[i], t0);
                line.ed = Lerp(chords[i - 1], chords[i], t1);
            }
        }
        if (whole) return Cut::Keep;
        lines.insert(lines.end(), splinePieces.begin(), splinePieces.end());
        return Cut::Drop;
    });
    made += lines.size();
    d.LineAry.insert(d.LineAry.end(), lines.begin(), lines.end());

    return made + work / 256;
}

} // namespace orvanta

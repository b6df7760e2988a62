#include "geometry/Fills.h"

#include "geometry/Primitives.h"
#include "geometry/Splines.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

// Curved boundary edges are cut into chords no farther than this share of the hatch's size from
// the curve; at most this many chords per edge.
constexpr double RingTolerance = 1e-4;
constexpr int MaxChordsPerEdge = 2048;
// Pattern lines times boundary edges: the work of finding where the lines cross the boundary,
// for one hatch and for the whole drawing. Beyond either, hatches get light fills.
constexpr double MaxCrossingTestsPerHatch = 2e7;
constexpr double MaxCrossingTestsPerDrawing = 1e9;

TFillBlk FillOf(const EntityCommon& r) {
    TFillBlk fill;
    static_cast<EntityCommon&>(fill) = r;
    return fill;
}

// Maps the points of a fill from object coordinates of extrusion n (at elevation z) to the
// world.
void ToWorld(TFillBlk& fill, const TAcadPoint& n, double elevation) {
    const bool tilted = !IsDefaultExtrusion(n);
    const OcsFrame frame = OcsFrameOf(n);
    const auto map = [&](TAcadPoint& p) {
        p.z = elevation;
        if (tilted) p = OcsToWcs(p, frame);
    };
    for (auto& ring : fill.rings)
        std::for_each(ring.begin(), ring.end(), map);
    std::for_each(fill.segments.begin(), fill.segments.end(), map);
}

// Chords of the arc around c of radii (ra along u, rb along v) from angle a0 through `sweep`
// (radians, negative clockwise), the first point left out.
void AppendArc(std::vector<TAcadPoint>& ring, const TAcadPoint& c, const TAcadPoint& u,
               const TAcadPoint& v, double a0, double sweep, double tolerance) {
    const double r = std::max(std::hypot(u.x, u.y), std::hypot(v.x, v.y));
    double step = r > tolerance ? 2 * std::acos(1 - tolerance / r) : HalfPi;
    if (!(step > 0)) step = HalfPi;
    const int n =
        std::clamp(static_cast<int>(std::ceil(std::fabs(sweep) / step)), 1, MaxChordsPerEdge);
    for (int k = 1; k <= n; ++k) {
        const double a = a0 + sweep * k / n;
        ring.push_back({c.x + u.x * std::cos(a) + v.x * std::sin(a),
                        c.y + u.y * std::cos(a) + v.y * std::sin(a), 0});
    }
}

// Sweep of an edge arc stored with angles in degrees: counter-clockwise from start to end, or,
// for a clockwise edge, the angles mirrored and run clockwise.
void EdgeSweep(const THatchEdge& e, double& a0, double& sweep) {
    double st = e.code50 * DegToRad, ed = e.code51 * DegToRad;
    if (e.code73 == 0) {
        st = -st;
        ed = -ed;
        sweep = ed - st;
        if (sweep >= 0) sweep -= TwoPi;
    } else {
        sweep = ed - st;
        if (sweep <= 0) sweep += TwoPi;
    }
    if (std::fabs(sweep) > TwoPi) sweep = std::copysign(TwoPi, sweep);
    a0 = st;
}

// A rough size of a path, for its chord tolerance.
double PathSize(const THatchPath& path) {
    double size = 0;
    const auto grow = [&](const TAcadPoint& p, double r) {
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(r))
            size = std::max({size, std::fabs(p.x) + r, std::fabs(p.y) + r});
    };
    for (const TLwpEle& v : path.vertices)
        grow(v.code10, 0);
    for (const THatchEdge& e : path.edges) {
        grow(e.p10, e.type == 2 ? std::fabs(e.code40) : 0);
        if (e.type == 3) grow(e.p10, std::hypot(e.p11.x, e.p11.y));
        for (const TAcadPoint& p : e.control)
            grow(p, 0);
    }
    return size;
}

std::vector<TAcadPoint> RingOf(const THatchPath& path, double tolerance) {
    std::vector<TAcadPoint> ring;
    if ((path.code92 & 2) != 0) {
        const std::size_t n = path.vertices.size();
        for (std::size_t i = 0; i < n; ++i) {
            const TAcadPoint& p = path.vertices[i].code10;
            ring.push_back({p.x, p.y, 0});
            const double bulge = path.vertices[i].code42;
            if (bulge == 0 || !std::isfinite(bulge) || (i + 1 == n && path.closed == 0)) continue;
            const TAcadPoint& q = path.vertices[(i + 1) % n].code10;
            TAcadPoint c;
            double r, st, ed;
            BulgeArc(p, q, bulge, c, r, st, ed);
            if (!(r > 0) || !std::isfinite(r)) continue;
            const double a0 = bulge > 0 ? st : ed;
            double sweep = ed - st;
            if (sweep <= 0) sweep += TwoPi;
            if (bulge < 0) sweep = -sweep;
            AppendArc(ring, c, {r, 0, 0}, {0, r, 0}, a0, sweep, tolerance);
            ring.pop_back(); // the next vertex follows
        }
        return ring;
    }
    for (const THatchEdge& e : path.edges) {
        switch (e.type) {
        case 1:
            if (ring.empty()) ring.push_back(e.p10);
            ring.push_back(e.p11);
            break;
        case 2:
        case 3: {
            double a0, sweep;
            EdgeSweep(e, a0, sweep);
            TAcadPoint u{e.code40, 0, 0}, v{0, e.code40, 0};
            if (e.type == 3) {
                u = {e.p11.x, e.p11.y, 0};
                v = {-e.p11.y * e.code40, e.p11.x * e.code40, 0};
            }
            const TAcadPoint& c = e.p10;
            if (ring.empty())
                ring.push_back({c.x + u.x * std::cos(a0) + v.x * std::sin(a0),
                                c.y + u.y * std::cos(a0) + v.y * std::sin(a0), 0});
            AppendArc(ring, c, u, v, a0, sweep, tolerance);
            break;
        }
        case 4: {
            SplineCurve curve;
            if (!MakeSplineCurve(e.degree, e.knots, e.weights, e.control, e.fit, curve)) break;
            std::vector<TAcadPoint> points;
            FlattenSpline(ViewOf(curve), tolerance, MaxChordsPerEdge, points);
            ring.insert(ring.end(), points.begin(), points.end());
            break;
        }
        default:
            break;
        }
    }
    for (TAcadPoint& p : ring)
        p.z = 0;
    return ring;
}

// The pattern lines of one family inside the rings, by the even-odd rule, cut into its dashes.
// Works in the family's own frame: t along the lines, s across them. False when the pieces would
// exceed `budget` (which counts down).
bool PatternFamily(const THatchLine& line, const std::vector<std::vector<TAcadPoint>>& rings,
                   std::size_t& lineBudget, double& workBudget, std::size_t& budget,
                   std::vector<TAcadPoint>& out) {
    const double a = line.angle * DegToRad;
    const TAcadPoint d{std::cos(a), std::sin(a), 0};
    const TAcadPoint nrm{-d.y, d.x, 0};
    const double spacing = line.offset.x * nrm.x + line.offset.y * nrm.y;
    const double shift = line.offset.x * d.x + line.offset.y * d.y;
    if (!std::isfinite(spacing) || !std::isfinite(shift) || std::fabs(spacing) < 1e-12) return true;
    // Every edge in the family's frame.
    struct Edge {
        double t0, s0, t1, s1;
    };
    std::vector<Edge> edges;
    double smin = INFINITY, smax = -INFINITY;
    for (const auto& ring : rings) {
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const TAcadPoint& p = ring[i];
            const TAcadPoint& q = ring[(i + 1) % ring.size()];
            const auto t = [&](const TAcadPoint& r) {
                return (r.x - line.base.x) * d.x + (r.y - line.base.y) * d.y;
            };
            const auto s = [&](const TAcadPoint& r) {
                return (r.x - line.base.x) * nrm.x + (r.y - line.base.y) * nrm.y;
            };
            edges.push_back({t(p), s(p), t(q), s(q)});
            smin = std::min(smin, s(p));
            smax = std::max(smax, s(p));
        }
    }
    if (!(smin <= smax)) return true;
    const double k0 = std::ceil(std::min(smin / spacing, smax / spacing));
    const double k1 = std::floor(std::max(smin / spacing, smax / spacing));
    // Lines numbered beyond 2^52 from the base point cannot be counted one by one: k + 1 would
    // be k again, and the loop below would never end.
    if (!(std::fabs(k0) < 0x1p52 && std::fabs(k1) < 0x1p52)) return false;
    if (!(k1 - k0 < static_cast<double>(lineBudget))) return false;
    const double work = (k1 - k0 + 1) * static_cast<double>(edges.size());
    if (work > workBudget) return false;
    workBudget -= work;
    if (k1 < k0) return true;
    lineBudget -= static_cast<std::size_t>(k1 - k0 + 1);
    double period = 0;
    for (double dash : line.dashes)
        period += std::fabs(dash);
    const bool dashed = !line.dashes.empty() && period > 0;
    std::vector<double> crossings;
    const auto emit = [&](double s, double ta, double tb) {
        if (budget < 1) return false;
        --budget;
        const TAcadPoint pa{line.base.x + d.x * ta + nrm.x * s, line.base.y + d.y * ta + nrm.y * s,
                            0};
        const TAcadPoint pb{line.base.x + d.x * tb + nrm.x * s, line.base.y + d.y * tb + nrm.y * s,
                            0};
        out.push_back(pa);
        out.push_back(pb);
        return true;
    };
    for (double k = k0; k <= k1; ++k) {
        const double s = k * spacing;
        crossings.clear();
        for (const Edge& e : edges) {
            // Half-open in s, so that a line through a vertex counts it once.
            if ((e.s0 <= s) == (e.s1 <= s)) continue;
            crossings.push_back(e.t0 + (e.t1 - e.t0) * (s - e.s0) / (e.s1 - e.s0));
        }
        std::sort(crossings.begin(), crossings.end());
        const double phase = k * shift;
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
            const double ta = crossings[i], tb = crossings[i + 1];
            if (!dashed) {
                if (!emit(s, ta, tb)) return false;
                continue;
            }
            // Dashes repeat every period from the line's own origin.
            double t = phase + std::floor((ta - phase) / period) * period;
            if (!((tb - t) / period * static_cast<double>(line.dashes.size()) <
                  static_cast<double>(budget)))
                return false;
            for (; t < tb;) {
                for (double dash : line.dashes) {
                    const double next = t + std::fabs(dash);
                    // Dashes below the precision of t would never move on.
                    if (next <= t && dash != 0) return false;
                    if (dash >= 0) {
                        const double from = std::max(t, ta);
                        const double to = std::min(dash == 0 ? t : next, tb);
                        if (from <= to && (dash == 0 ? t >= ta && t <= tb : true))
                            if (!emit(s, from, to)) return false;
                    }
                    t = next;
                    if (t >= tb) break;
                }
            }
        }
    }
    return true;
}

} // namespace

void SolidsToFills(Drawing& d) {
    const auto convert = [](const std::vector<TSolidBlk>& solids, std::vector<TFillBlk>& fills) {
        for (const TSolidBlk& solid : solids) {
            if (!IsFinitePoint(solid.p1) || !IsFinitePoint(solid.p2) || !IsFinitePoint(solid.p3) ||
                !IsFinitePoint(solid.p4))
                continue;
            TFillBlk& fill = fills.emplace_back(FillOf(solid));
            fill.rings.push_back({solid.p1, solid.p2, solid.p4, solid.p3});
            ToWorld(fill, solid.code210, solid.p1.z);
        }
    };
    convert(d.ModelSolidAry, d.FillAry);
    convert(d.SolidAry, d.BlkFillAry);
}

void WipeoutsToFills(Drawing& d) {
    const auto convert = [](const std::vector<TWipeoutBlk>& wipeouts,
                            std::vector<TFillBlk>& fills) {
        for (const TWipeoutBlk& w : wipeouts) {
            std::vector<TAcadPoint> corners = w.clip;
            if (w.code71 == 1 && corners.size() == 2)
                corners = {corners[0],
                           {corners[1].x, corners[0].y, 0},
                           corners[1],
                           {corners[0].x, corners[1].y, 0}};
            if (corners.size() < 2) continue;
            TFillBlk fill = FillOf(w);
            fill.kind = FillKind::Lines;
            std::vector<TAcadPoint>& ring = fill.rings.emplace_back();
            // Pixel (x, y) of the one-pixel image, y running down from its top edge.
            for (const TAcadPoint& c : corners) {
                const double a = c.x + 0.5, b = 0.5 - c.y;
                ring.push_back({w.pt10.x + w.u.x * a + w.v.x * b, w.pt10.y + w.u.y * a + w.v.y * b,
                                w.pt10.z + w.u.z * a + w.v.z * b});
            }
            if (!std::all_of(ring.begin(), ring.end(), IsFinitePoint)) continue;
            for (std::size_t i = 0; i < ring.size(); ++i) {
                fill.segments.push_back(ring[i]);
                fill.segments.push_back(ring[(i + 1) % ring.size()]);
            }
            fills.push_back(std::move(fill));
        }
    };
    convert(d.WipeoutAry, d.FillAry);
    convert(d.BlkWipeoutAry, d.BlkFillAry);
}

std::size_t HatchesToFills(Drawing& d) {
    std::size_t skipped = 0;
    std::size_t drawingBudget = MaxPatternSegmentsPerDrawing;
    double drawingWork = MaxCrossingTestsPerDrawing;
    const auto convert = [&](const std::vector<THatchBlk>& hatches, std::vector<TFillBlk>& fills) {
        for (const THatchBlk& hatch : hatches) {
            TFillBlk fill = FillOf(hatch);
            for (const THatchPath& path : hatch.paths) {
                const double size = PathSize(path);
                std::vector<TAcadPoint> ring = RingOf(path, std::max(size * RingTolerance, 1e-12));
                if (ring.size() >= 3 && std::all_of(ring.begin(), ring.end(), IsFinitePoint))
                    fill.rings.push_back(std::move(ring));
            }
            if (fill.rings.empty()) {
                ++skipped;
                continue;
            }
            const bool solid = (hatch.code70 & 1) != 0 || hatch.gradient;
            fill.kind = solid ? FillKind::Solid : FillKind::Lines;
            if (!solid) {
                std::size_t lineBudget = MaxPatternLinesPerHatch;
                double workBudget = std::min(MaxCrossingTestsPerHatch, drawingWork);
                std::size_t budget = std::min(MaxPatternSegmentsPerHatch, drawingBudget);
                bool fits = !hatch.lines.empty();
                for (const THatchLine& line : hatch.lines) {
                    if (!PatternFamily(line, fill.rings, lineBudget, workBudget, budget,
                                       fill.segments)) {
                        fits = false;
                        break;
                    }
                }
                drawingWork -= std::min(MaxCrossingTestsPerHatch, drawingWork) - workBudget;
                if (fits) {
                    drawingBudget -= fill.segments.size() / 2;
                } else {
                    fill.kind = FillKind::Light;
                    std::vector<TAcadPoint>().swap(fill.segments);
                }
            }
            ToWorld(fill, hatch.code210, hatch.elevation);
            fills.push_back(std::move(fill));
        }
    };
    convert(d.HatchAry, d.FillAry);
    convert(d.BlkHatchAry, d.BlkFillAry);
    return skipped;
}

} // namespace orvanta

#include "geometry/Splines.h"

#include "geometry/Primitives.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

// Clamped uniform knots for n control points: the curve starts and ends at its end points.
std::vector<double> ClampedKnots(std::size_t n, int degree) {
    std::vector<double> knots;
    const std::size_t inner = n - static_cast<std::size_t>(degree);
    for (int i = 0; i < degree; ++i)
        knots.push_back(0);
    for (std::size_t i = 0; i <= inner; ++i)
        knots.push_back(static_cast<double>(i));
    for (int i = 0; i < degree; ++i)
        knots.push_back(static_cast<double>(inner));
    return knots;
}

// A C1 cubic through the fit points: on each stretch, Bézier handles a sixth of the chord
// between the neighbouring fit points (a Catmull-Rom curve), as knots of multiplicity three.
void CubicThrough(std::span<const TAcadPoint> fit, SplineCurve& curve) {
    const std::size_t m = fit.size();
    const auto at = [&](std::ptrdiff_t i) {
        return fit[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, m - 1))];
    };
    const auto handle = [](const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b,
                           double sign) {
        return TAcadPoint{p.x + sign * (b.x - a.x) / 6, p.y + sign * (b.y - a.y) / 6,
                          p.z + sign * (b.z - a.z) / 6};
    };
    curve.degree = 3;
    curve.control.clear();
    curve.knots.assign(4, 0.0);
    curve.control.push_back(fit[0]);
    for (std::size_t i = 0; i + 1 < m; ++i) {
        const auto k = static_cast<std::ptrdiff_t>(i);
        curve.control.push_back(handle(at(k), at(k - 1), at(k + 1), 1));
        curve.control.push_back(handle(at(k + 1), at(k), at(k + 2), -1));
        curve.control.push_back(at(k + 1));
        const double end = static_cast<double>(i + 1);
        curve.knots.insert(curve.knots.end(), i + 2 < m ? 3 : 4, end);
    }
}

// The point at parameter t of knot span `span` (knots[span] <= t < knots[span + 1]), by de
// Boor's algorithm on homogeneous points.
TAcadPoint Evaluate(const SplineView& c, std::size_t span, double t, std::vector<double>& work) {
    const int p = c.degree;
    const bool rational = !c.weights.empty();
    work.resize(4 * static_cast<std::size_t>(p + 1));
    double* d = work.data();
    for (int j = 0; j <= p; ++j) {
        const std::size_t i = span - static_cast<std::size_t>(p) + static_cast<std::size_t>(j);
        const double w = rational ? c.weights[i] : 1;
        d[4 * j] = c.control[i].x * w;
        d[4 * j + 1] = c.control[i].y * w;
        d[4 * j + 2] = c.control[i].z * w;
        d[4 * j + 3] = w;
    }
    for (int r = 1; r <= p; ++r) {
        for (int j = p; j >= r; --j) {
            const std::size_t i = span - static_cast<std::size_t>(p) + static_cast<std::size_t>(j);
            const double left = c.knots[i];
            const double right = c.knots[i + static_cast<std::size_t>(p - r) + 1];
            const double a = right > left ? (t - left) / (right - left) : 0;
            for (int k = 0; k < 4; ++k)
                d[4 * j + k] = (1 - a) * d[4 * (j - 1) + k] + a * d[4 * j + k];
        }
    }
    const double w = d[4 * p + 3];
    return {d[4 * p] / w, d[4 * p + 1] / w, d[4 * p + 2] / w};
}

double DistanceToChord(const TAcadPoint& p, const TAcadPoint& a, const TAcadPoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len = std::hypot(dx, dy);
    if (len == 0) return std::hypot(p.x - a.x, p.y - a.y);
    return std::fabs((p.x - a.x) * dy - (p.y - a.y) * dx) / len;
}

} // namespace

bool MakeSplineCurve(int degree, std::span<const double> knots, std::span<const double> weights,
                     std::span<const TAcadPoint> control, std::span<const TAcadPoint> fit,
                     SplineCurve& curve) {
    curve = SplineCurve();
    if (control.empty()) {
        if (fit.size() < 2 || !std::all_of(fit.begin(), fit.end(), IsFinitePoint)) return false;
        CubicThrough(fit, curve);
        return true;
    }
    if (degree < 1 || degree > MaxSplineDegree) return false;
    const std::size_t n = control.size();
    const auto p = static_cast<std::size_t>(degree);
    if (n < p + 1 || !std::all_of(control.begin(), control.end(), IsFinitePoint)) return false;
    if (!weights.empty()) {
        if (weights.size() != n) return false;
        for (double w : weights)
            if (!(w > 0) || !std::isfinite(w)) return false;
        // Equal weights are no rational curve at all.
        if (std::any_of(weights.begin(), weights.end(), [&](double w) { return w != weights[0]; }))
            curve.weights.assign(weights.begin(), weights.end());
    }
    if (knots.empty()) {
        curve.knots = ClampedKnots(n, degree);
    } else {
        if (knots.size() != n + p + 1) return false;
        for (std::size_t i = 0; i < knots.size(); ++i)
            if (!std::isfinite(knots[i]) || (i > 0 && knots[i] < knots[i - 1])) return false;
        if (!(knots[p] < knots[n])) return false;
        curve.knots.assign(knots.begin(), knots.end());
    }
    curve.degree = degree;
    curve.control.assign(control.begin(), control.end());
    return true;
}

void FlattenSpline(const SplineView& c, double tolerance, std::size_t maxPoints,
                   std::vector<TAcadPoint>& out) {
    const auto p = static_cast<std::size_t>(c.degree);
    const std::size_t n = c.control.size();
    if (n < p + 1 || c.knots.size() != n + p + 1) return;
    std::vector<double> work;
    // Spans with a length; each is cut into pieces until every piece's middle lies within the
    // tolerance of its chord, starting from a few pieces per degree so that an S-bend whose
    // middle happens to sit on its chord is not taken for straight.
    std::vector<std::size_t> spans;
    for (std::size_t i = p; i < n; ++i)
        if (c.knots[i] < c.knots[i + 1]) spans.push_back(i);
    if (spans.empty()) return;
    const std::size_t budget = std::max<std::size_t>(maxPoints, spans.size() * 2 + 1);
    // A tolerance that asks for more points than the budget grows until it fits.
    if (!(tolerance > 0)) tolerance = 1e-9;
    const std::size_t start = out.size();
    for (int attempt = 0; attempt < 40; ++attempt, tolerance *= 4) {
        out.resize(start);
        out.push_back(Evaluate(c, spans.front(), c.knots[spans.front()], work));
        bool overflow = false;
        for (std::size_t span : spans) {
            const double t0 = c.knots[span], t1 = c.knots[span + 1];
            const std::size_t pieces = 2 * p;
            struct Piece {
                double t0, t1;
                TAcadPoint a, b;
                int depth;
            };
            std::vector<Piece> stack;
            TAcadPoint a = out.back();
            // Pieces are pushed last first so that they come out in order.
            std::vector<Piece> initial;
            for (std::size_t k = 1; k <= pieces; ++k) {
                const double t = k == pieces ? t1
                                             : t0 + (t1 - t0) * static_cast<double>(k) /
                                                        static_cast<double>(pieces);
                const TAcadPoint b = Evaluate(c, span, t, work);
                initial.push_back(
                    {t0 + (t1 - t0) * static_cast<double>(k - 1) / static_cast<double>(pieces), t,
                     a, b, 0});
                a = b;
            }
            stack.assign(initial.rbegin(), initial.rend());
            while (!stack.empty() && !overflow) {
                const Piece piece = stack.back();
                stack.pop_back();
                const double tm = (piece.t0 + piece.t1) / 2;
                const TAcadPoint m = Evaluate(c, span, tm, work);
                if (piece.depth < 24 && DistanceToChord(m, piece.a, piece.b) > tolerance) {
                    stack.push_back({tm, piece.t1, m, piece.b, piece.depth + 1});
                    stack.push_back({piece.t0, tm, piece.a, m, piece.depth + 1});
                    continue;
                }
                out.push_back(piece.b);
                if (out.size() - start > budget) overflow = true;
            }
            if (overflow) break;
        }
        if (!overflow) return;
    }
}

std::size_t PrepareSplines(Drawing& d) {
    std::size_t removed = 0;
    for (auto* table : {&d.SplineAry, &d.BlkSplineAry}) {
        std::erase_if(*table, [&](TSplineBlk& s) {
            SplineCurve c;
            if (!MakeSplineCurve(s.degree, s.knots, s.weights, s.control, s.fit, c)) {
                ++removed;
                return true;
            }
            s.degree = static_cast<std::int16_t>(c.degree);
            s.knots = std::move(c.knots);
            s.weights = std::move(c.weights);
            s.control = std::move(c.control);
            s.fit.clear();
            s.fit.shrink_to_fit();
            return false;
        });
    }
    return removed;
}

} // namespace orvanta

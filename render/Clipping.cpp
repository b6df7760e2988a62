#include "render/Clipping.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

bool ClipParameters(double x0, double y0, double x1, double y1, double left, double top,
                    double right, double bottom, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
    }
    return true;
}

std::vector<TPoint> ClipRing(const std::vector<TPoint>& ring, int left, int top, int right,
                             int bottom) {
    struct Point {
        double x, y;
    };
    std::vector<Point> points;
    points.reserve(ring.size());
    for (const TPoint& p : ring)
        points.push_back({static_cast<double>(p.x), static_cast<double>(p.y)});
    // One pass per side: keep what is inside, and the crossing point where an edge crosses.
    for (int side = 0; side < 4 && !points.empty(); ++side) {
        const auto inside = [&](const Point& p) {
            switch (side) {
            case 0:
                return p.x >= left;
            case 1:
                return p.x <= right;
            case 2:
                return p.y >= top;
            default:
                return p.y <= bottom;
            }
        };
        const auto crossing = [&](const Point& a, const Point& b) {
            const double edge = side == 0 ? left : side == 1 ? right : side == 2 ? top : bottom;
            if (side < 2) {
                const double t = (edge - a.x) / (b.x - a.x);
                return Point{edge, a.y + t * (b.y - a.y)};
            }
            const double t = (edge - a.y) / (b.y - a.y);
            return Point{a.x + t * (b.x - a.x), edge};
        };
        std::vector<Point> kept;
        kept.reserve(points.size() + 4);
        Point previous = points.back();
        for (const Point& current : points) {
            const bool in = inside(current);
            if (in != inside(previous)) kept.push_back(crossing(previous, current));
            if (in) kept.push_back(current);
            previous = current;
        }
        points = std::move(kept);
    }
    std::vector<TPoint> out;
    out.reserve(points.size());
    for (const Point& p : points) {
        const TPoint q{static_cast<std::int32_t>(std::lround(p.x)),
                       static_cast<std::int32_t>(std::lround(p.y))};
        if (out.empty() || !(out.back() == q)) out.push_back(q);
    }
    return out;
}

} // namespace orvanta

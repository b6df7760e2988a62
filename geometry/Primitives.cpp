#include "geometry/Primitives.h"

#include <cmath>

namespace orvanta {

namespace {

bool IsAxisAngle(double angle) {
    return angle == 0 || angle == HalfPi || angle == Pi || angle == ThreeHalfPi;
}

} // namespace

TAcadPoint PolarPoint(const TAcadPoint& p, double angle, double length) {
    return PolarPoint(p, DirectionOf(angle), length);
}

Direction DirectionOf(double angle) {
    if (IsAxisAngle(angle)) return {angle, 0, 0};
    return {angle, std::cos(angle), std::sin(angle)};
}

TAcadPoint PolarPoint(const TAcadPoint& p, const Direction& direction, double length) {
    // Axis directions avoid cos and sin so that axis-parallel results come out exact.
    const double angle = direction.angle;
    if (angle == 0) return {p.x + length, p.y, p.z};
    if (angle == HalfPi) return {p.x, p.y + length, p.z};
    if (angle == Pi) return {p.x - length, p.y, p.z};
    if (angle == ThreeHalfPi) return {p.x, p.y - length, p.z};
    return {p.x + direction.cos * length, p.y + direction.sin * length, p.z};
}

double Distance2D(const TAcadPoint& a, const TAcadPoint& b) {
    const double dy = a.y - b.y;
    const double dx = a.x - b.x;
    return std::sqrt(dy * dy + dx * dx);
}

double AngleOf(const TAcadPoint& from, const TAcadPoint& to) {
    const double dx = to.x - from.x;
    const double dy = to.y - from.y;
    if (dx == 0 && dy == 0) return 0;
    if (std::fabs(dx) < 1e-5) return to.y > from.y ? HalfPi : ThreeHalfPi;
    if (std::fabs(dy) < 1e-5) return to.x > from.x ? 0 : Pi;
    const double a = std::fabs(std::atan(dy / dx));
    if (dx >= 0 && dy >= 0) return a;
    if (dx < 0 && dy >= 0) return Pi - a;
    if (dx >= 0) return TwoPi - a;
    return Pi + a;
}

bool IntersectLines(const TAcadPoint& a1, const TAcadPoint& a2, const TAcadPoint& b1,
                    const TAcadPoint& b2, bool segmentsOnly, TAcadPoint& p) {
    const double d1x = a2.x - a1.x;
    const double d1y = a2.y - a1.y;
    const double d2x = b2.x - b1.x;
    const double d2y = b2.y - b1.y;
    const double det = d2x * d1y - d1x * d2y;
    if (!(std::fabs(det) > 1e-12)) return false;
    const double t = ((b1.y - a1.y) * d2x - (b1.x - a1.x) * d2y) / det;
    const double u = ((b1.y - a1.y) * d1x - (b1.x - a1.x) * d1y) / det;
    // The lower bound leaves out a crossing exactly at a1 or b1, so that two segments sharing a
    // start are not reported; a crossing at a2 or b2 counts.
    if (segmentsOnly && !(u >= 1e-12 && u <= 1 && t >= 1e-12 && t <= 1)) return false;
    p = {a1.x + t * d1x, a1.y + t * d1y, a1.z};
    return true;
}

void BulgeArc(const TAcadPoint& p1, const TAcadPoint& p2, double bulge, TAcadPoint& center,
              double& radius, double& startAngle, double& endAngle) {
    const double theta = 4 * std::atan(bulge);
    const double h = Distance2D(p1, p2) / 2;
    // Signed: negative for a clockwise bulge, which puts the centre right of the chord.
    const double r = h / std::sin(theta / 2);
    radius = std::fabs(r);
    center = PolarPoint(p1, AngleOf(p1, p2) + (HalfPi - theta / 2), r);
    center.z = p1.z;
    if (bulge >= 0) {
        startAngle = AngleOf(center, p1);
        endAngle = AngleOf(center, p2);
    } else {
        startAngle = AngleOf(center, p2);
        endAngle = AngleOf(center, p1);
    }
}

TAcadPoint RotatePoint(const TAcadPoint& p, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {p.x * c - p.y * s, p.x * s + p.y * c, p.z};
}

bool PointsNear(const TAcadPoint& a, const TAcadPoint& b, double tol) {
    return std::fabs(a.x - b.x) < tol && std::fabs(a.y - b.y) < tol && std::fabs(a.z - b.z) < tol;
}

TAcadPoint CrossProduct(const TAcadPoint& a, const TAcadPoint& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

TAcadPoint NormalizeVector(const TAcadPoint& v) {
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(length > 0)) return v;
    return {v.x / length, v.y / length, v.z / length};
}

TAcadPoint OcsToWcs(const TAcadPoint& p, const TAcadPoint& n) {
    return OcsToWcs(p, OcsFrameOf(n));
}

OcsFrame OcsFrameOf(const TAcadPoint& n) {
    // The arbitrary-axis rule: the OCS x axis is W × N, where W is the world y axis when N lies
    // within 1/64 of the world z axis and the world z axis otherwise.
    const TAcadPoint w = (std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64)
                             ? TAcadPoint{0, 1, 0}
                             : TAcadPoint{0, 0, 1};
    const TAcadPoint ax = NormalizeVector(CrossProduct(w, n));
    const TAcadPoint ay = NormalizeVector(CrossProduct(n, ax));
    return {ax, ay, n};
}

TAcadPoint OcsToWcs(const TAcadPoint& p, const OcsFrame& f) {
    const TAcadPoint& ax = f.ax;
    const TAcadPoint& ay = f.ay;
    const TAcadPoint& n = f.n;
    return {p.x * ax.x + p.y * ay.x + p.z * n.x, p.x * ax.y + p.y * ay.y + p.z * n.y,
            p.x * ax.z + p.y * ay.z + p.z * n.z};
}

TAcadPoint FramePoint(const TAcadPoint& p, const TAcadPoint& origin, const TAcadPoint& u,
                      const TAcadPoint& v, const TAcadPoint& w) {
    return {origin.x + p.x * u.x + p.y * v.x + p.z * w.x,
            origin.y + p.x * u.y + p.y * v.y + p.z * w.y,
            origin.z + p.x * u.z + p.y * v.z + p.z * w.z};
}

bool IsFinitePoint(const TAcadPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

} // namespace orvanta

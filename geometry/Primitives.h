// The geometry shared by the normalisation passes, the renderer and the mouse handlers: points,
// angles, bulges and object coordinate systems. Plain functions on values; none touches a table.
//
// Everything works in the XY plane unless it says otherwise. Angles are radians, counter-clockwise
// from +x; the drawing records keep degrees and convert with DegToRad and RadToDeg.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

constexpr double Pi = 3.14159265358979323846;
constexpr double HalfPi = Pi / 2;
constexpr double ThreeHalfPi = 3 * Pi / 2;
constexpr double TwoPi = 2 * Pi;
constexpr double DegToRad = 0.017453292519943295769;
constexpr double RadToDeg = 57.295779513082320877;

// The tolerance with which every pass compares an extrusion direction with (0, 0, 1).
constexpr double ExtrusionTolerance = 1e-5;

// The point at `length` from p in direction `angle`; z is p.z. The four axis directions are exact
// (no trigonometry), and a negative length points the other way. Angles are not reduced.
TAcadPoint PolarPoint(const TAcadPoint& p, double angle, double length);

// An angle with its cosine and sine worked out once, for code that places many points in the
// same directions. The cosine and sine are left at 0 for the four axis directions, which
// PolarPoint places without them.
struct Direction {
    double angle = 0;
    double cos = 0;
    double sin = 0;
};
Direction DirectionOf(double angle);

// PolarPoint(p, direction.angle, length), to the bit.
TAcadPoint PolarPoint(const TAcadPoint& p, const Direction& direction, double length);

double Distance2D(const TAcadPoint& a, const TAcadPoint& b);

// Direction from `from` to `to` in [0, 2π). A difference below 1e-5 drawing units in x counts as
// vertical (this wins), one below 1e-5 in y as horizontal; identical points give 0.
double AngleOf(const TAcadPoint& from, const TAcadPoint& to);

// Intersection of the lines a1-a2 and b1-b2. Lines with |det| <= 1e-12 count as parallel. With
// `segmentsOnly` the point must lie on both segments, their first ends excluded (by 1e-12) and
// their second ends included. `p` (z from a1) is written only when the result is true.
bool IntersectLines(const TAcadPoint& a1, const TAcadPoint& a2, const TAcadPoint& b1,
                    const TAcadPoint& b2, bool segmentsOnly, TAcadPoint& p);

// The arc of a polyline segment p1-p2 with the given bulge (tangent of a quarter of the included
// angle, positive counter-clockwise). The result runs counter-clockwise from `startAngle` to
// `endAngle`; the centre's z is p1.z. p1 = p2 gives radius 0 at p1.
void BulgeArc(const TAcadPoint& p1, const TAcadPoint& p2, double bulge, TAcadPoint& center,
              double& radius, double& startAngle, double& endAngle);

// Component by component, all three coordinates. Inline: block expansion runs them for every
// point it places.
inline TAcadPoint PointAdd(const TAcadPoint& a, const TAcadPoint& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline TAcadPoint PointSub(const TAcadPoint& a, const TAcadPoint& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline TAcadPoint PointMul(const TAcadPoint& a, const TAcadPoint& b) {
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}

// Counter-clockwise rotation about the origin; z unchanged.
TAcadPoint RotatePoint(const TAcadPoint& p, double angle);

// Each coordinate differs by strictly less than `tol`.
bool PointsNear(const TAcadPoint& a, const TAcadPoint& b, double tol);

// Whether x, y and z are all finite: points read from a file may hold NaN or infinities.
bool IsFinitePoint(const TAcadPoint& p);

TAcadPoint CrossProduct(const TAcadPoint& a, const TAcadPoint& b);

// v / |v|; the zero vector is returned unchanged.
TAcadPoint NormalizeVector(const TAcadPoint& v);

// Object coordinates of an entity with extrusion direction n to world coordinates, by the
// arbitrary-axis rule of the DXF format. For n = (0, 0, -1) this maps (x, y, z) to (-x, y, -z).
TAcadPoint OcsToWcs(const TAcadPoint& p, const TAcadPoint& n);

// The world directions of the object axes of extrusion n, for mapping many points that share an
// extrusion without working the axes out again for each.
struct OcsFrame {
    TAcadPoint ax;
    TAcadPoint ay;
    TAcadPoint n;
};
OcsFrame OcsFrameOf(const TAcadPoint& n);

// OcsToWcs(p, n) for the frame of n, to the bit.
TAcadPoint OcsToWcs(const TAcadPoint& p, const OcsFrame& frame);

// origin + p.x·u + p.y·v + p.z·w.
TAcadPoint FramePoint(const TAcadPoint& p, const TAcadPoint& origin, const TAcadPoint& u,
                      const TAcadPoint& v, const TAcadPoint& w);

// Whether an extrusion direction counts as (0, 0, 1), the world's own XY plane. Inline: every
// pass asks it of every record.
inline bool IsDefaultExtrusion(const TAcadPoint& n) {
    const auto near = [](double a, double b) {
        return (a > b ? a - b : b - a) < ExtrusionTolerance;
    };
    return near(n.x, 0) && near(n.y, 0) && near(n.z, 1);
}

} // namespace orvanta

#include "geometry/Primitives.h"

#include "Builders.h"

#include <cmath>

namespace orvanta {
namespace {

using test::P;

TEST(AngleOf, AxisRowsWinOverTheGeneralFormula) {
    EXPECT_EQ(AngleOf(P(0, 0), P(1e-6, -5)), ThreeHalfPi);
    EXPECT_EQ(AngleOf(P(0, 0), P(-3, 1e-6)), Pi);
    EXPECT_EQ(AngleOf(P(0, 0), P(0, 0)), 0);
    EXPECT_DOUBLE_EQ(AngleOf(P(0, 0), P(1, -1)), 7 * Pi / 4);
    // A tiny step in x alone still counts as vertical: the x test comes first.
    EXPECT_EQ(AngleOf(P(0, 0), P(1e-6, 0)), ThreeHalfPi);
    EXPECT_DOUBLE_EQ(AngleOf(P(0, 0), P(-1, 1)), 3 * Pi / 4);
    EXPECT_DOUBLE_EQ(AngleOf(P(0, 0), P(-1, -1)), 5 * Pi / 4);
}

TEST(PolarPoint, AxisDirectionsAreExactAndNegativeLengthsPointBack) {
    const TAcadPoint a = PolarPoint(P(1, 2, 3), Pi, 4);
    EXPECT_EQ(a.x, -3);
    EXPECT_EQ(a.y, 2);
    EXPECT_EQ(a.z, 3);
    const TAcadPoint b = PolarPoint(P(1, 2, 3), 0, -4);
    EXPECT_EQ(b.x, -3);
    EXPECT_EQ(b.y, 2);
    EXPECT_EQ(PolarPoint(P(0, 0), HalfPi, 2).x, 0);
    EXPECT_EQ(PolarPoint(P(0, 0), ThreeHalfPi, 2).y, -2);
}

TEST(IntersectLines, SegmentsCountTheirSecondEndsButNotTheirFirst) {
    TAcadPoint p{99, 99, 99};
    EXPECT_TRUE(IntersectLines(P(0, 0), P(2, 0), P(1, -1), P(1, 1), true, p));
    EXPECT_POINT_NEAR(p, 1, 0, 0);

    p = {99, 99, 99};
    EXPECT_FALSE(IntersectLines(P(0, 0), P(1, 0), P(2, -1), P(2, 1), true, p));
    EXPECT_EQ(p.x, 99); // untouched
    EXPECT_TRUE(IntersectLines(P(0, 0), P(1, 0), P(2, -1), P(2, 1), false, p));
    EXPECT_POINT_NEAR(p, 2, 0, 1e-12);

    // Touching at a1 does not count, touching at a2 does.
    EXPECT_FALSE(IntersectLines(P(0, 0), P(2, 0), P(0, -1), P(0, 1), true, p));
    EXPECT_TRUE(IntersectLines(P(0, 0), P(2, 0), P(2, -1), P(2, 1), true, p));

    EXPECT_FALSE(IntersectLines(P(0, 0), P(2, 0), P(0, 1), P(2, 1), true, p));
    EXPECT_FALSE(IntersectLines(P(0, 0), P(2, 0), P(0, 1), P(2, 1), false, p));
    // A zero-length segment is degenerate, not a crossing.
    EXPECT_FALSE(IntersectLines(P(0, 0), P(0, 0), P(0, -1), P(0, 1), false, p));
}

TEST(BulgeArc, HalfCirclesRunCounterClockwiseBothWays) {
    TAcadPoint c;
    double r, s, e;
    BulgeArc(P(0, 0, 0), P(2, 0, 0), 1, c, r, s, e);
    EXPECT_POINT_NEAR(c, 1, 0, 1e-12);
    EXPECT_DOUBLE_EQ(r, 1);
    EXPECT_EQ(s, Pi); // the lower half: from π through 3π/2 to 2π
    EXPECT_EQ(e, 0);

    BulgeArc(P(0, 0, 0), P(2, 0, 0), -1, c, r, s, e);
    EXPECT_POINT_NEAR(c, 1, 0, 1e-12);
    EXPECT_DOUBLE_EQ(r, 1);
    EXPECT_EQ(s, 0); // the upper half
    EXPECT_EQ(e, Pi);

    BulgeArc(P(0, 0), P(1, 0), -0.5, c, r, s, e);
    EXPECT_POINT_NEAR(c, 0.5, -0.375, 1e-12);
    EXPECT_DOUBLE_EQ(r, 0.625);
    EXPECT_NEAR(s * RadToDeg, 36.8699, 1e-4);
    EXPECT_NEAR(e * RadToDeg, 143.1301, 1e-4);

    BulgeArc(P(3, 3, 7), P(3, 3, 7), 0.5, c, r, s, e);
    EXPECT_EQ(r, 0);
    EXPECT_POINT_NEAR(c, 3, 3, 0);
    EXPECT_EQ(c.z, 7);
}

TEST(OcsToWcs, NegativeZMirrorsXAndDefaultIsIdentity) {
    const TAcadPoint m = OcsToWcs(P(1, 2, 0), P(0, 0, -1));
    EXPECT_DOUBLE_EQ(m.x, -1);
    EXPECT_DOUBLE_EQ(m.y, 2);
    EXPECT_DOUBLE_EQ(m.z, 0);
    const TAcadPoint z = OcsToWcs(P(1, 2, 3), P(0, 0, -1));
    EXPECT_DOUBLE_EQ(z.z, -3);
    const TAcadPoint same = OcsToWcs(P(1.5, -2.5, 3), P(0, 0, 1));
    EXPECT_DOUBLE_EQ(same.x, 1.5);
    EXPECT_DOUBLE_EQ(same.y, -2.5);
    EXPECT_DOUBLE_EQ(same.z, 3);
    // An extrusion along world x: the world z axis is the auxiliary axis, OCS x = world y.
    const TAcadPoint side = OcsToWcs(P(1, 0, 0), P(1, 0, 0));
    EXPECT_NEAR(side.y, 1, 1e-15);
}

TEST(PointsNear, TheToleranceItselfIsNotNear) {
    EXPECT_FALSE(PointsNear(P(0, 0, 0), P(0, 0, 1e-5), 1e-5));
    EXPECT_TRUE(PointsNear(P(0, 0, 0), P(0, 0, 9e-6), 1e-5));
    EXPECT_TRUE(IsDefaultExtrusion(P(0, 0, 1 + 5e-6)));
    EXPECT_TRUE(IsDefaultExtrusion(P(5e-6, -5e-6, 1 - 5e-6)));
    EXPECT_FALSE(IsDefaultExtrusion(P(0, 0, -1)));
    // A tilted plane is no default, whichever way its normal leans.
    for (const TAcadPoint& n : {P(1e-4, 0, 1), P(-1e-4, 0, 1), P(0, 1e-4, 1), P(0, -1e-4, 1),
                                P(0.6, 0, 0.8), P(0, 0, 1.001)})
        EXPECT_FALSE(IsDefaultExtrusion(n)) << n.x << " " << n.y << " " << n.z;
}

TEST(NormalizeVector, ZeroStaysZero) {
    const TAcadPoint z = NormalizeVector(P(0, 0, 0));
    EXPECT_EQ(z.x, 0);
    EXPECT_EQ(z.y, 0);
    EXPECT_EQ(z.z, 0);
    const TAcadPoint v = NormalizeVector(P(3, 0, 4));
    EXPECT_DOUBLE_EQ(v.x, 0.6);
    EXPECT_DOUBLE_EQ(v.z, 0.8);
}

} // namespace
} // namespace orvanta

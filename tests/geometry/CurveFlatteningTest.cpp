#include "geometry/ArcFlattening.h"
#include "geometry/EllipseFlattening.h"
#include "geometry/Primitives.h"
#include "geometry/WorldCoordinates.h"
#include "tests/support/TestNames.h"

#include "Builders.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace orvanta {
namespace {

using test::P;

TEST(FlattenCircles, MirroredCircleBecomesChordsOnTheMirroredCircle) {
    Drawing d;
    d.CircleAry.push_back(test::Circle(P(5, 0, 0), 1));
    d.CircleAry[0].code210 = d.extrusion(P(0, 0, -1));
    d.CircleAry[0].layer = test::N("C");
    FlattenCircles(d, false, 10);
    LinesToWcs(d);
    ASSERT_EQ(d.LineAry.size(), 36u);
    EXPECT_EQ(d.CircleAry[0].code67, -1);
    for (const TAcadLineBlk& chord : d.LineAry) {
        EXPECT_NEAR(Distance2D(chord.st, P(-5, 0)), 1, 1e-12);
        EXPECT_NEAR(Distance2D(chord.ed, P(-5, 0)), 1, 1e-12);
        EXPECT_EQ(chord.layer, "C");
        EXPECT_EQ(chord.code67, 0);
    }
    // The loop closes on the exact angle-0 point.
    EXPECT_EQ(d.LineAry[0].st.x, d.LineAry.back().ed.x);
    EXPECT_EQ(d.LineAry[0].st.y, d.LineAry.back().ed.y);
}

TEST(FlattenCircles, NearlyDefaultExtrusionStaysACircle) {
    Drawing d;
    d.CircleAry.push_back(test::Circle(P(5, 0, 0), 1));
    d.CircleAry[0].code210 = d.extrusion(P(0, 0, 1 + 5e-6));
    FlattenCircles(d, false, 10);
    EXPECT_TRUE(d.LineAry.empty());
    EXPECT_EQ(d.CircleAry[0].code67, 0);
    FlattenCircles(d, true, 10);
    EXPECT_EQ(d.LineAry.size(), 36u);
}

// Angles in degrees of the chord vertices of one flattened arc, in object coordinates.
std::vector<double> ChordAngles(double st, double ed) {
    Drawing d;
    d.ArcAry.push_back(test::Arc(P(0, 0), 1, st, ed));
    d.ArcAry[0].code210 = d.extrusion(P(0, 0, -1));
    FlattenArcs(d, false, 10);
    std::vector<double> angles;
    if (d.LineAry.empty()) return angles;
    angles.push_back(AngleOf(P(0, 0), d.LineAry[0].st) * RadToDeg);
    for (const TAcadLineBlk& chord : d.LineAry)
        angles.push_back(AngleOf(P(0, 0), chord.ed) * RadToDeg);
    return angles;
}

TEST(FlattenArcs, StepsOfTenDegreesWithAShorterLastChord) {
    const std::vector<double> quarter = ChordAngles(0, 90);
    ASSERT_EQ(quarter.size(), 10u); // 9 chords
    for (int k = 0; k < 10; ++k)
        EXPECT_NEAR(quarter[k], 10 * k, 1e-9);

    const std::vector<double> longer = ChordAngles(0, 95);
    ASSERT_EQ(longer.size(), 11u); // 10 chords, the last 5° wide
    EXPECT_NEAR(longer[9], 90, 1e-9);
    EXPECT_NEAR(longer[10], 95, 1e-9);

    EXPECT_EQ(ChordAngles(0, 5).size(), 2u); // one chord

    // Through 0°: two chords meeting at 0°.
    const std::vector<double> wrap = ChordAngles(350, 10);
    ASSERT_EQ(wrap.size(), 3u);
    EXPECT_NEAR(wrap[0], 350, 1e-9);
    EXPECT_NEAR(std::fmod(wrap[1] + 180, 360) - 180, 0, 1e-9);
    EXPECT_NEAR(wrap[2], 10, 1e-9);
}

TEST(FlattenArcs, MarksTheArcAndKeepsPaperSpaceChordsInPaperSpace) {
    Drawing d;
    d.ArcAry.push_back(test::Arc(P(0, 0), 1, 0, 90));
    d.ArcAry[0].code210 = d.extrusion(P(0, 0, -1));
    d.ArcAry[0].code67 = 1;
    d.ArcAry.push_back(test::Arc(P(0, 0), 1, 0, 90)); // default extrusion: untouched
    FlattenArcs(d, false, 10);
    EXPECT_EQ(d.ArcAry[0].code67, -1);
    EXPECT_EQ(d.ArcAry[1].code67, 0);
    ASSERT_EQ(d.LineAry.size(), 9u);
    for (const TAcadLineBlk& chord : d.LineAry) {
        EXPECT_EQ(chord.code67, 1);
        EXPECT_EQ(chord.code210.point().z, -1);
    }
}

TEST(FlattenArcs, MoreThanAFullTurnIsOneTurn) {
    EXPECT_EQ(ChordAngles(0, 1e300).size(), 37u);
    EXPECT_EQ(ChordAngles(-1e300, 1e300).size(), 37u);
}

TEllipseBlk Ellipse(double kaisi, double owari) {
    TEllipseBlk e;
    e.layer = test::N("E");
    e.center = P(0, 0);
    e.endpoint = P(2, 0, 0);
    e.henpei = 0.5;
    e.kaisi = kaisi;
    e.owari = owari;
    return e;
}

TEST(FlattenEllipses, QuarterEllipseRunsCounterClockwise) {
    Drawing d;
    d.EllipseAry.push_back(Ellipse(0, HalfPi));
    FlattenEllipses(d, 10);
    ASSERT_EQ(d.LineAry.size(), 9u);
    EXPECT_POINT_NEAR(d.LineAry.front().st, 2, 0, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry.back().ed, 0, 1, 1e-12);
    for (const TAcadLineBlk& chord : d.LineAry) {
        const TAcadPoint& p = chord.ed;
        EXPECT_NEAR(p.x * p.x / 4 + p.y * p.y, 1, 1e-12);
        EXPECT_GE(p.y, 0);
        EXPECT_EQ(chord.layer, "E");
        EXPECT_EQ(chord.code210.point().z, 1);
    }
}

TEST(FlattenEllipses, FullEllipseGivesThirtySixChords) {
    Drawing d;
    d.EllipseAry.push_back(Ellipse(0, TwoPi));
    FlattenEllipses(d, 10);
    EXPECT_EQ(d.LineAry.size(), 36u);
}

TEST(FlattenEllipses, EndBelowStartRunsThroughZero) {
    Drawing d;
    d.EllipseAry.push_back(Ellipse(5.0, 1.0));
    FlattenEllipses(d, 10);
    // From 5.0 through 2π to 1.0 + 2π: 2.28 radians in 10° steps.
    ASSERT_EQ(d.LineAry.size(), 14u);
    EXPECT_POINT_NEAR(d.LineAry.front().st, 2 * std::cos(5.0), std::sin(5.0), 1e-12);
    EXPECT_POINT_NEAR(d.LineAry.back().ed, 2 * std::cos(1.0), std::sin(1.0), 1e-12);
}

TEST(FlattenEllipses, ZeroAxisAndEmptySpansGiveNothing) {
    Drawing d;
    TEllipseBlk zero = Ellipse(0, TwoPi);
    zero.endpoint = P(0, 0, 0);
    d.EllipseAry.push_back(zero);
    d.EllipseAry.push_back(Ellipse(1.0, 1.0));
    FlattenEllipses(d, 10);
    EXPECT_TRUE(d.LineAry.empty());
}

TEST(FlattenEllipses, HugeParametersDoNotHang) {
    Drawing d;
    d.EllipseAry.push_back(Ellipse(1e17, 1e17 + 100));
    d.EllipseAry.push_back(Ellipse(-1e300, 1e300));
    FlattenEllipses(d, 10);
    EXPECT_LE(d.LineAry.size(), 40u);
}

TEST(TextsToWcs, MirroredTextMovesAndTurnsWithTheObjectXAxis) {
    Drawing d;
    d.TextAry.push_back(test::Text(P(3, 4, 0), 1, "A"));
    d.TextAry[0].code50 = 30;
    d.TextAry[0].code210 = P(0, 0, -1);
    d.TextAry.push_back(test::Text(P(3, 4, 0), 1, "B"));
    TextsToWcs(d);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, -3, 4, 1e-12);
    EXPECT_DOUBLE_EQ(d.TextAry[0].code50, 210);
    EXPECT_POINT_NEAR(d.TextAry[1].pt10, 3, 4, 0);
    EXPECT_EQ(d.TextAry[1].code50, 0);
}

TEST(LinesToWcs, MapsOnlyNonDefaultExtrusions) {
    Drawing d;
    d.LineAry.push_back(test::Line(P(1, 2), P(3, 4)));
    d.LineAry.push_back(test::Line(P(1, 2), P(3, 4)));
    d.LineAry[1].code210 = d.extrusion(P(0, 0, -1));
    LinesToWcs(d);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 1, 2, 0);
    EXPECT_POINT_NEAR(d.LineAry[1].st, -1, 2, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, -3, 4, 1e-12);
}

// Runs of lines share an extrusion and with it the axes the pass works out; each line must still
// come out exactly as mapped on its own, also where the extrusion changes only in a zero's sign.
TEST(LinesToWcs, RunsOfLinesMapAsEachLineOnItsOwn) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const TAcadPoint extrusions[] = {
        P(0, 0, -1),     P(0, 0, -1),    P(-0.0, 0, -1), P(0.6, 0, 0.8), P(0.6, 0, 0.8),
        P(0, 0.6, -0.8), P(0.01, 0, -1), P(nan, 0, 1),   P(0, 0, -1),    P(-0.0, -0.0, -1)};
    Drawing d;
    for (const TAcadPoint& n : extrusions) {
        d.LineAry.push_back(test::Line(P(1, -0.0, 2), P(-3, 4, 0)));
        d.LineAry.back().code210 = d.extrusion(n);
    }
    const Drawing before = d;
    LinesToWcs(d);
    const auto same = [](const TAcadPoint& a, const TAcadPoint& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    };
    for (std::size_t i = 0; i < d.LineAry.size(); ++i) {
        SCOPED_TRACE(i);
        const TAcadPoint& n = before.LineAry[i].code210;
        if (IsDefaultExtrusion(n)) continue;
        EXPECT_TRUE(same(d.LineAry[i].st, OcsToWcs(before.LineAry[i].st, n)));
        EXPECT_TRUE(same(d.LineAry[i].ed, OcsToWcs(before.LineAry[i].ed, n)));
    }
}

} // namespace
} // namespace orvanta

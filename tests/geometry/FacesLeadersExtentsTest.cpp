#include "geometry/ArcFlattening.h"
#include "geometry/Extents.h"
#include "geometry/FaceExplosion.h"
#include "geometry/LeaderExplosion.h"
#include "geometry/WorldCoordinates.h"
#include "tests/support/TestNames.h"

#include "Builders.h"

#include <limits>

namespace orvanta {
namespace {

using test::P;

TEST(ExplodeFaces, ThreeOrFourEdgesWhateverTheirVisibility) {
    Drawing d;
    TFaceBlk face;
    face.layer = test::N("F");
    face.code67 = 1;
    face.code70 = 15; // every edge flagged invisible
    face.pt[0] = P(0, 0);
    face.pt[1] = P(1, 0);
    face.pt[2] = P(1, 1);
    face.pt[3] = P(0, 1);
    d.FaceAry.push_back(face);
    face.count = 4;
    d.FaceAry.push_back(face);
    face.count = 0;
    d.FaceAry.push_back(face);
    ExplodeFaces(d);
    ASSERT_EQ(d.LineAry.size(), 7u);
    EXPECT_POINT_NEAR(d.LineAry[2].st, 1, 1, 0);
    EXPECT_POINT_NEAR(d.LineAry[2].ed, 0, 0, 0);
    EXPECT_POINT_NEAR(d.LineAry[6].st, 0, 1, 0);
    EXPECT_POINT_NEAR(d.LineAry[6].ed, 0, 0, 0);
    EXPECT_EQ(d.LineAry[0].layer, "F");
    EXPECT_EQ(d.LineAry[0].code67, 1);
}

TEST(ExplodeLeaders, SegmentsAndALandingLine) {
    Drawing d;
    TLeaderBlk leader;
    leader.layer = test::N("LD");
    leader.code76 = 3;
    leader.code41 = 5;
    leader.p1 = P(0, 0);
    leader.p2 = P(10, 10);
    leader.p3 = P(20, 10);
    d.LeaderAry.push_back(leader);
    leader.code76 = 2;
    leader.code41 = -2;
    d.LeaderAry.push_back(leader);
    leader.code76 = 1;
    d.LeaderAry.push_back(leader);
    ExplodeLeaders(d);
    ASSERT_EQ(d.LineAry.size(), 5u);
    EXPECT_POINT_NEAR(d.LineAry[2].st, 20, 10, 0);
    EXPECT_POINT_NEAR(d.LineAry[2].ed, 25, 10, 0);
    EXPECT_POINT_NEAR(d.LineAry[4].st, 10, 10, 0);
    EXPECT_POINT_NEAR(d.LineAry[4].ed, 8, 10, 0);
    EXPECT_EQ(d.LineAry[0].layer, "LD");
}

TEST(ComputeExtents, CountsModelSpaceOnly) {
    Drawing d;
    d.LineAry.push_back(test::Line(P(0, 0), P(10, 5)));
    d.CircleAry.push_back(test::Circle(P(100, 100), 5));
    d.CircleAry[0].code67 = 1;
    d.ExtMin = P(-9, -9);
    ComputeExtents(d);
    EXPECT_POINT_NEAR(d.ExtMin, 0, 0, 0);
    EXPECT_POINT_NEAR(d.ExtMax, 10, 5, 0);
}

TEST(ComputeExtents, TextsCountBesideLines) {
    Drawing d;
    d.TextAry.push_back(test::Text(P(1000, 1000), 1, "far"));
    d.TextAry.push_back(test::Text(P(-5000, -5000), 1, "paper"));
    d.TextAry[1].code67 = 1;
    d.LineAry.push_back(test::Line(P(0, 0), P(1, 1)));
    ComputeExtents(d);
    EXPECT_POINT_NEAR(d.ExtMin, 0, 0, 0);
    EXPECT_GT(d.ExtMax.x, 1001);
    EXPECT_GT(d.ExtMax.y, 1000);
}

TEST(ComputeExtents, ArcsUseTheirTrueBoxAndEmptyDrawingsStayAtZero) {
    Drawing d;
    d.ArcAry.push_back(test::Arc(P(0, 0), 1, 380, 460));
    ComputeExtents(d);
    EXPECT_NEAR(d.ExtMax.y, 1, 1e-12);

    Drawing empty;
    empty.ExtMax = P(3, 3);
    ComputeExtents(empty);
    EXPECT_POINT_NEAR(empty.ExtMin, 0, 0, 0);
    EXPECT_POINT_NEAR(empty.ExtMax, 0, 0, 0);
}

// Arcs are measured after lines and circles; an arc whose circle pokes out of what is measured
// so far must still count with its own box, neither more nor less.
TEST(ComputeExtents, ArcsNearTheEdgeCountByTheirOwnBox) {
    Drawing d;
    d.LineAry.push_back(test::Line(P(0, 0), P(10, 10)));
    // The left half of a circle reaching x = 11: its box stays inside.
    d.ArcAry.push_back(test::Arc(P(9, 5), 2, 90, 270));
    // A sixth passing 270°, which takes it down to y = -1; its ends stay at x = 8 and 10.
    d.ArcAry.push_back(test::Arc(P(9, 1), 2, 240, 300));
    // An arc well inside, and one whose negative radius takes it out to x = -1.
    d.ArcAry.push_back(test::Arc(P(5, 5), 1, 0, 360));
    d.ArcAry.push_back(test::Arc(P(1, 5), -2, 0, 10));
    ComputeExtents(d);
    EXPECT_EQ(d.ExtMin.x, -1);
    EXPECT_EQ(d.ExtMin.y, -1);
    EXPECT_EQ(d.ExtMax.x, 10);
    EXPECT_EQ(d.ExtMax.y, 10);
}

TEST(ComputeExtents, MirroredCircleCountsByItsChords) {
    Drawing d;
    d.CircleAry.push_back(test::Circle(P(5, 0), 1));
    d.CircleAry[0].code210 = d.extrusion(P(0, 0, -1));
    FlattenCircles(d, false, 10);
    LinesToWcs(d);
    ComputeExtents(d);
    EXPECT_NEAR(d.ExtMin.x, -6, 1e-12);
    EXPECT_NEAR(d.ExtMax.x, -4, 1e-12);
    EXPECT_NEAR(d.ExtMax.y, 1, 0.01);
}

TEST(ComputeExtents, OverflowingRecordsAreLeftOut) {
    Drawing d;
    const double inf = std::numeric_limits<double>::infinity();
    d.LineAry.push_back(test::Line(P(inf, 0), P(1, 1)));
    d.LineAry.push_back(test::Line(P(2, 2), P(3, 3)));
    d.CircleAry.push_back(test::Circle(P(0, 0), std::numeric_limits<double>::quiet_NaN()));
    ComputeExtents(d);
    EXPECT_POINT_NEAR(d.ExtMin, 2, 2, 0);
    EXPECT_POINT_NEAR(d.ExtMax, 3, 3, 0);
}

} // namespace
} // namespace orvanta

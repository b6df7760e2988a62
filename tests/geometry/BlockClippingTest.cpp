// Clipped block references: what a placement adds is cut to the reference's boundary.
#include "geometry/BlockClipping.h"
#include "geometry/BlockExpansion.h"
#include "geometry/Primitives.h"

#include "Builders.h"

#include <cmath>

namespace orvanta {
namespace {

using test::P;

// An L: the square 0..10 without its upper right quarter 4..10 × 4..10.
const std::vector<TAcadPoint> LShape = {P(0, 0), P(10, 0), P(10, 4), P(4, 4), P(4, 10), P(0, 10)};
const std::vector<TAcadPoint> Square = {P(0, 0), P(10, 0), P(10, 10), P(0, 10)};

// Block K (base (0, 0)) with the boundary `clip`, inserted by `insert` with that boundary.
Drawing ClippedBlock(const std::vector<TAcadPoint>& clip, TInsertBlk insert) {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    d.BlockAry.push_back(test::Block("K"));
    d.ClipAry.push_back(clip);
    insert.clip = 0;
    d.InsertAry.push_back(insert);
    return d;
}

double RingsArea(const TFillBlk& fill) {
    double area = 0;
    for (const auto& ring : fill.rings) {
        double twice = 0;
        for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
            twice += ring[j].x * ring[i].y - ring[i].x * ring[j].y;
        area += std::fabs(twice) / 2;
    }
    return area;
}

TEST(BlockClipping, LinesKeepTheirPiecesInsideTheBoundaryWhereverTheBlockIsPlaced) {
    // Placed twice as large at (100, 0): the boundary is the block's and is placed with it.
    Drawing d = ClippedBlock(LShape, test::Insert("K", P(100, 0), P(2, 2, 1)));
    d.BlkLineAry.push_back(test::Line(P(-5, 2), P(15, 2), "K"));
    d.BlkLineAry.push_back(test::Line(P(-5, 7), P(15, 7), "K"));
    d.BlkLineAry.push_back(test::Line(P(7, -5), P(7, 15), "K"));
    d.BlkLineAry.push_back(test::Line(P(6, 6), P(9, 9), "K"));
    d.BlkLineAry.push_back(test::Line(P(1, 1), P(3, 1), "K"));
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 4u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 100, 4, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 120, 4, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 100, 14, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 108, 14, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[2].st, 114, 0, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[2].ed, 114, 8, 1e-9);
    // A line wholly inside is kept as it was.
    EXPECT_POINT_NEAR(d.LineAry[3].st, 102, 2, 0);
    EXPECT_POINT_NEAR(d.LineAry[3].ed, 106, 2, 0);
}

TEST(BlockClipping, CirclesAndArcsBecomeTheArcsInside) {
    Drawing d = ClippedBlock(Square, test::Insert("K", P(0, 0)));
    d.BlkCircleAry.push_back(test::Circle(P(10, 5), 2, "K"));   // right edge: its left half
    d.BlkCircleAry.push_back(test::Circle(P(0, 5), 2, "K"));    // left edge: through angle 0
    d.BlkCircleAry.push_back(test::Circle(P(5, 5), 2, "K"));    // inside: stays a circle
    d.BlkCircleAry.push_back(test::Circle(P(20, 5), 2, "K"));   // outside: gone
    d.BlkArcAry.push_back(test::Arc(P(0, 0), 5, -45, 45, "K")); // its upper half
    ExpandModelInserts(d);
    ASSERT_EQ(d.CircleAry.size(), 1u);
    EXPECT_POINT_NEAR(d.CircleAry[0].center, 5, 5, 0);
    ASSERT_EQ(d.ArcAry.size(), 3u);
    EXPECT_NEAR(d.ArcAry[0].st, 0, 1e-9);
    EXPECT_NEAR(d.ArcAry[0].ed, 45, 1e-9);
    EXPECT_NEAR(d.ArcAry[1].st, 90, 1e-9);
    EXPECT_NEAR(d.ArcAry[1].ed, 270, 1e-9);
    EXPECT_NEAR(d.ArcAry[2].st, -90, 1e-9);
    EXPECT_NEAR(d.ArcAry[2].ed, 90, 1e-9);
}

TEST(BlockClipping, TextsAndPointsStayWhenTheirInsertionPointIsInside) {
    Drawing d = ClippedBlock(LShape, test::Insert("K", P(0, 0)));
    d.BlkTextAry.push_back(test::Text(P(1, 1), 1, "in", "K"));
    d.BlkTextAry.push_back(test::Text(P(7, 7), 1, "out", "K"));
    TPointBlk point;
    point.bname = test::N("K");
    point.pt10 = P(7, 7);
    d.BlkPointAry.push_back(point);
    point.pt10 = P(2, 8);
    d.BlkPointAry.push_back(point);
    ExpandModelInserts(d);
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_EQ(d.TextAry[0].str, "in");
    ASSERT_EQ(d.PointAry.size(), 1u);
    EXPECT_POINT_NEAR(d.PointAry[0].pt10, 2, 8, 0);
}

TEST(BlockClipping, FillsAreIntersectedWithTheBoundary) {
    Drawing d = ClippedBlock(LShape, test::Insert("K", P(0, 0)));
    TFillBlk fill;
    fill.bname = test::N("K");
    // The square -5..5 with a hole 1..2: its part inside the L is 24 less the hole's 1.
    fill.rings = {{P(-5, -5), P(5, -5), P(5, 5), P(-5, 5)}, {P(1, 1), P(2, 1), P(2, 2), P(1, 2)}};
    fill.segments = {P(-5, 3), P(5, 3)};
    d.BlkFillAry.push_back(fill);
    ExpandModelInserts(d);
    ASSERT_EQ(d.FillAry.size(), 1u);
    EXPECT_NEAR(RingsArea(d.FillAry[0]), 24 + 1, 1e-9); // the hole's ring counts once more
    ASSERT_EQ(d.FillAry[0].segments.size(), 2u);
    EXPECT_POINT_NEAR(d.FillAry[0].segments[0], 0, 3, 1e-12);
    EXPECT_POINT_NEAR(d.FillAry[0].segments[1], 5, 3, 1e-12);
}

TEST(BlockClipping, ANestedClippedReferenceIsCutByBothBoundaries) {
    // J, clipped to x <= 4 inside K, which is clipped to y <= 4 (the square's lower part).
    Drawing d = ClippedBlock({P(0, 0), P(10, 0), P(10, 4), P(0, 4)}, test::Insert("K", P(0, 0)));
    d.BlockAry.push_back(test::Block("J"));
    d.ClipAry.push_back({P(0, 0), P(4, 0), P(4, 10), P(0, 10)});
    TInsertBlk inner = test::Insert("J", P(0, 0), P(1, 1, 1), 0, "K");
    inner.clip = 1;
    d.BlkInsertAry.push_back(inner);
    d.BlkLineAry.push_back(test::Line(P(1, -5), P(1, 15), "J"));
    d.BlkLineAry.push_back(test::Line(P(6, -5), P(6, 15), "J"));
    d.BlkLineAry.push_back(test::Line(P(6, -5), P(6, 15), "K"));
    ExpandModelInserts(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 6, 0, 1e-12); // K's own, cut by K's boundary
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 6, 4, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 1, 0, 1e-12); // J's, cut by both
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 1, 4, 1e-12);
}

} // namespace
} // namespace orvanta

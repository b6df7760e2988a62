#include "geometry/PolylineExplosion.h"
#include "tests/support/TestNames.h"

#include "Builders.h"

#include <algorithm>
#include <cmath>

namespace orvanta {
namespace {

using test::P;

// Appends a polyline header with its vertices (point, bulge) to the model or block tables.
void AddPolyline(Drawing& d, bool block, std::int16_t flags,
                 std::initializer_list<std::pair<TAcadPoint, double>> vertices, std::int16_t m = 0,
                 std::int16_t n = 0) {
    auto& headers = block ? d.BlkLwpAry : d.LwpAry;
    auto& eles = block ? d.BlkLwpEleAry : d.LwpEleAry;
    TLwpBlk& h = headers.emplace_back();
    h.ihand = static_cast<std::int32_t>(headers.size() - 1);
    h.bname = test::N(block ? "B" : "");
    h.layer = test::N("L");
    h.color = 3;
    h.code70 = flags;
    h.code71 = m;
    h.code72 = n;
    for (const auto& [point, bulge] : vertices)
        eles.push_back({h.ihand, point, bulge});
}

TEST(ExplodePolylines, ClosedSquareGivesFourSegmentsBackToTheStart) {
    Drawing d;
    AddPolyline(d, false, 1, {{P(0, 0), 0}, {P(1, 0), 0}, {P(1, 1), 0}, {P(0, 1), 0}});
    ExplodeModelPolylines(d);
    ASSERT_EQ(d.LineAry.size(), 4u);
    EXPECT_POINT_NEAR(d.LineAry[3].st, 0, 1, 0);
    EXPECT_POINT_NEAR(d.LineAry[3].ed, 0, 0, 0);
    EXPECT_EQ(d.LineAry[0].layer, "L");
    EXPECT_EQ(d.LineAry[0].color, 3);
    // The passes leave their input for the pipeline to release.
    EXPECT_EQ(d.LwpAry.size(), 1u);
}

TEST(ExplodePolylines, ClosingSegmentTakesTheLastVertexBulge) {
    Drawing d;
    AddPolyline(d, false, 1, {{P(0, 0), 0}, {P(2, 0), 1}});
    ExplodeModelPolylines(d);
    ASSERT_EQ(d.LineAry.size(), 1u);
    ASSERT_EQ(d.ArcAry.size(), 1u);
    const TArcBlk& arc = d.ArcAry[0];
    EXPECT_POINT_NEAR(arc.center, 1, 0, 1e-12);
    EXPECT_DOUBLE_EQ(arc.hankei, 1);
    // From (2,0) back to (0,0) counter-clockwise: the upper half, 0° to 180°.
    EXPECT_DOUBLE_EQ(arc.st, 0);
    EXPECT_DOUBLE_EQ(arc.ed, 180);
}

TEST(ExplodePolylines, BulgeArcsInDegreesWithStartPointingAtTheEndVertexWhenClockwise) {
    Drawing d;
    AddPolyline(d, false, 0, {{P(0, 0), -0.5}, {P(1, 0), 0}});
    AddPolyline(d, false, 0, {{P(0, 0), 0.5}, {P(1, 0), 0}});
    AddPolyline(d, false, 0, {{P(0, 0), 1}, {P(2, 0), 0}});
    ExplodeModelPolylines(d);
    ASSERT_EQ(d.ArcAry.size(), 3u);
    EXPECT_POINT_NEAR(d.ArcAry[0].center, 0.5, -0.375, 1e-12);
    EXPECT_DOUBLE_EQ(d.ArcAry[0].hankei, 0.625);
    EXPECT_NEAR(d.ArcAry[0].st, 36.87, 0.01);
    EXPECT_NEAR(d.ArcAry[0].ed, 143.13, 0.01);
    EXPECT_POINT_NEAR(d.ArcAry[1].center, 0.5, 0.375, 1e-12);
    EXPECT_NEAR(d.ArcAry[1].st, 216.87, 0.01);
    EXPECT_NEAR(d.ArcAry[1].ed, 323.13, 0.01);
    // The half circle ends at 0°, stored as 0; the sweep test used 360.
    EXPECT_EQ(d.ArcAry[2].st, 180);
    EXPECT_EQ(d.ArcAry[2].ed, 0);
}

TEST(ExplodePolylines, TinyBulgeIsAChordInTheModelButAnArcInABlock) {
    Drawing d;
    AddPolyline(d, false, 0, {{P(0, 0), 0.001}, {P(1, 0), 0}});
    AddPolyline(d, true, 0, {{P(0, 0), 0.001}, {P(1, 0), 0}});
    ExplodeModelPolylines(d);
    ExplodeBlockPolylines(d);
    ASSERT_EQ(d.LineAry.size(), 1u);
    EXPECT_TRUE(d.ArcAry.empty());
    EXPECT_POINT_NEAR(d.LineAry[0].st, 0, 0, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 1, 0, 1e-9);
    ASSERT_EQ(d.BlkArcAry.size(), 1u);
    EXPECT_EQ(d.BlkArcAry[0].bname, "B");
}

TEST(ExplodePolylines, PolygonMeshGivesChainsInBothDirections) {
    const auto grid = [](Drawing& d, std::int16_t flags) {
        AddPolyline(d, false, flags,
                    {{P(0, 0), 0},
                     {P(1, 0), 0},
                     {P(2, 0), 0},
                     {P(0, 1), 0},
                     {P(1, 1), 0},
                     {P(2, 1), 0},
                     {P(0, 2), 0},
                     {P(1, 2), 0},
                     {P(2, 2), 9}},
                    3, 3);
    };
    Drawing open;
    grid(open, 16);
    ExplodeModelPolylines(open);
    // Three columns of two segments (M direction), then three rows of two (N direction).
    ASSERT_EQ(open.LineAry.size(), 12u);
    EXPECT_TRUE(open.ArcAry.empty()); // bulges mean nothing in a mesh
    EXPECT_POINT_NEAR(open.LineAry[0].st, 0, 0, 0);
    EXPECT_POINT_NEAR(open.LineAry[0].ed, 0, 1, 0);
    EXPECT_POINT_NEAR(open.LineAry[6].st, 0, 0, 0);
    EXPECT_POINT_NEAR(open.LineAry[6].ed, 1, 0, 0);

    Drawing closedM;
    grid(closedM, 16 | 1);
    ExplodeModelPolylines(closedM);
    EXPECT_EQ(closedM.LineAry.size(), 15u);
    EXPECT_POINT_NEAR(closedM.LineAry[2].st, 0, 2, 0);
    EXPECT_POINT_NEAR(closedM.LineAry[2].ed, 0, 0, 0);

    Drawing closedBoth;
    grid(closedBoth, 16 | 1 | 32);
    ExplodeModelPolylines(closedBoth);
    ASSERT_EQ(closedBoth.LineAry.size(), 18u);
    EXPECT_POINT_NEAR(closedBoth.LineAry.back().st, 2, 2, 0);
    EXPECT_POINT_NEAR(closedBoth.LineAry.back().ed, 0, 2, 0);
}

TEST(ExplodePolylines, MeshClaimingMoreVerticesThanItHasStopsAtTheLast) {
    Drawing d;
    AddPolyline(d, false, 16 | 1 | 32, {{P(0, 0), 0}, {P(1, 0), 0}}, 32767, 32767);
    ExplodeModelPolylines(d);
    // Columns 0 and 1 close on themselves; row 0 runs (0,0)->(1,0) and closes back.
    EXPECT_EQ(d.LineAry.size(), 4u);
}

TEST(ExplodePolylines, PolyfaceAndBlockMeshesGiveNothing) {
    Drawing d;
    AddPolyline(d, false, 64, {{P(0, 0), 0}, {P(1, 0), 0}, {P(1, 1), 0}});
    AddPolyline(d, true, 16, {{P(0, 0), 0}, {P(1, 0), 0}}, 1, 2);
    AddPolyline(d, true, 64, {{P(0, 0), 0}, {P(1, 0), 0}});
    ExplodeModelPolylines(d);
    ExplodeBlockPolylines(d);
    EXPECT_TRUE(d.LineAry.empty());
    EXPECT_TRUE(d.BlkLineAry.empty());
}

TEST(ExplodePolylines, SingleVertexGivesNothingOrAZeroLengthPiece) {
    Drawing d;
    AddPolyline(d, false, 0, {{P(5, 5), 0}});
    AddPolyline(d, false, 1, {{P(5, 5), 0}});
    AddPolyline(d, false, 1, {{P(6, 6), 0.5}});
    AddPolyline(d, true, 1, {{P(7, 7), 0.5}});
    ExplodeModelPolylines(d);
    ExplodeBlockPolylines(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 6, 6, 0);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 6, 6, 0);
    ASSERT_EQ(d.BlkArcAry.size(), 1u);
    EXPECT_EQ(d.BlkArcAry[0].hankei, 0);
}

TEST(ExplodePolylines, ModelPiecesCarryTheExtrusionAndBlockPiecesDoNot) {
    Drawing d;
    AddPolyline(d, false, 0, {{P(0, 0), 0}, {P(1, 0), 0.5}, {P(2, 0), 0}});
    d.LwpAry[0].code210 = P(0, 0, -1);
    d.LwpAry[0].code67 = 1;
    AddPolyline(d, true, 0, {{P(0, 0), 0}, {P(1, 0), 0}});
    d.BlkLwpAry[0].code210 = P(0, 0, -1);
    ExplodeModelPolylines(d);
    ExplodeBlockPolylines(d);
    EXPECT_EQ(d.LineAry[0].code210.point().z, -1);
    EXPECT_EQ(d.LineAry[0].code67, 1);
    EXPECT_EQ(d.ArcAry[0].code210.point().z, -1);
    EXPECT_EQ(d.BlkLineAry[0].code210.point().z, 1);
    EXPECT_EQ(d.BlkLineAry[0].bname, "B");
}

TEST(ExplodePolylines, VerticesAreFoundByRunsInHeaderOrder) {
    Drawing d;
    // Header 0 has no vertices; header 1 has two; a stray run for a header that does not exist
    // lies between them; header 2's run comes last.
    for (int i = 0; i < 3; ++i) {
        TLwpBlk& h = d.LwpAry.emplace_back();
        h.ihand = i;
    }
    d.LwpEleAry = {
        {1, P(0, 0), 0}, {1, P(1, 0), 0}, {7, P(9, 9), 0}, {2, P(0, 5), 0}, {2, P(1, 5), 0}};
    ExplodeModelPolylines(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 1, 0, 0);
    EXPECT_POINT_NEAR(d.LineAry[1].st, 0, 5, 0);

    // A run that lies before the scan position is not found.
    Drawing late;
    for (int i = 0; i < 2; ++i)
        late.LwpAry.emplace_back().ihand = i;
    late.LwpEleAry = {
        {1, P(0, 0), 0}, {1, P(1, 0), 0}, {0, P(0, 5), 0}, {0, P(1, 5), 0}, {9, P(0, 0), 0}};
    ExplodeModelPolylines(late);
    ASSERT_EQ(late.LineAry.size(), 1u);
    EXPECT_POINT_NEAR(late.LineAry[0].st, 0, 5, 0);
}

} // namespace
} // namespace orvanta

namespace orvanta {
namespace {

TEST(WidePolylines, BandsTaperAndMitreTheirJoins) {
    Drawing d;
    AddPolyline(d, false, 0, {{P(0, 0), 0}, {P(10, 0), 0}, {P(10, 10), 0}});
    d.LwpAry[0].startWidth = d.LwpAry[0].endWidth = 2;
    d.LwpEleAry[1].endWidth = 0; // the second segment tapers to a point
    ExplodeModelPolylines(d);
    ASSERT_EQ(d.FillAry.size(), 1u);
    const TFillBlk& band = d.FillAry[0];
    EXPECT_EQ(band.kind, FillKind::Band);
    EXPECT_EQ(band.color, 3);
    ASSERT_EQ(band.rings.size(), 3u); // two segments and the join between them
    const auto has = [](const std::vector<TAcadPoint>& ring, double x, double y) {
        return std::any_of(ring.begin(), ring.end(), [&](const TAcadPoint& p) {
            return std::fabs(p.x - x) < 1e-12 && std::fabs(p.y - y) < 1e-12;
        });
    };
    EXPECT_TRUE(has(band.rings[0], 0, 1) && has(band.rings[0], 10, -1));
    EXPECT_TRUE(has(band.rings[1], 10, 10)); // tapered to the end point
    // The left turn's outside corner is mitred.
    EXPECT_TRUE(has(band.rings[2], 11, -1));
    // Every piece runs counterclockwise, so that they fill as one.
    for (const auto& ring : band.rings) {
        double area = 0;
        for (std::size_t k = 0; k < ring.size(); ++k)
            area += ring[k].x * ring[(k + 1) % ring.size()].y -
                    ring[(k + 1) % ring.size()].x * ring[k].y;
        EXPECT_GT(area, 0);
    }
    // The centre line stays, so that a band thinner than a pixel still shows.
    EXPECT_EQ(d.LineAry.size(), 2u);
}

TEST(WidePolylines, ABulgedSegmentIsAnAnnularSector) {
    Drawing d;
    // A half circle of radius 5 about (5, 0), 2 wide.
    AddPolyline(d, false, 0, {{P(0, 0), 1}, {P(10, 0), 0}});
    d.LwpEleAry[0].startWidth = d.LwpEleAry[0].endWidth = 2;
    ExplodeModelPolylines(d);
    ASSERT_EQ(d.FillAry.size(), 1u);
    for (const TAcadPoint& p : d.FillAry[0].rings.at(0)) {
        const double r = std::hypot(p.x - 5, p.y);
        EXPECT_TRUE(std::fabs(r - 4) < 1e-9 || std::fabs(r - 6) < 1e-9) << r;
    }
}

} // namespace
} // namespace orvanta

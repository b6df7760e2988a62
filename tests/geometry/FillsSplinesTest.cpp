// Splines, fills from SOLIDs and HATCHes, and the entities that describe nothing drawable.
#include "geometry/Fills.h"
#include "geometry/Primitives.h"
#include "geometry/Splines.h"
#include "load/LoadDrawing.h"

#include "Builders.h"
#include "support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace orvanta {
namespace {

using test::Dxf;
using test::P;

TEST(Splines, RationalQuarterCircleStaysOnTheCircle) {
    SplineCurve c;
    const double w = std::sqrt(0.5);
    const std::vector<double> knots{0, 0, 0, 1, 1, 1}, weights{1, w, 1};
    const std::vector<TAcadPoint> control{P(1, 0), P(1, 1), P(0, 1)};
    ASSERT_TRUE(MakeSplineCurve(2, knots, weights, control, {}, c));
    std::vector<TAcadPoint> points;
    FlattenSpline(ViewOf(c), 1e-4, 10000, points);
    ASSERT_GT(points.size(), 10u);
    EXPECT_POINT_NEAR(points.front(), 1, 0, 1e-12);
    EXPECT_POINT_NEAR(points.back(), 0, 1, 1e-12);
    for (const TAcadPoint& p : points)
        EXPECT_NEAR(std::hypot(p.x, p.y), 1, 1e-12);
    // Chords within the tolerance: a chord's middle lies no more than 1e-4 inside the circle.
    for (std::size_t i = 1; i < points.size(); ++i)
        EXPECT_GT(
            std::hypot((points[i].x + points[i - 1].x) / 2, (points[i].y + points[i - 1].y) / 2),
            1 - 1e-4);
}

TEST(Splines, FitPointsLieOnTheCurveAndBadSplinesAreSkipped) {
    Drawing d;
    TSplineBlk fit;
    fit.fit = {P(0, 0), P(1, 2), P(3, 1), P(4, 4)};
    d.SplineAry.push_back(fit);
    TSplineBlk good;
    good.degree = 1;
    good.control = {P(0, 0), P(1, 1)};
    d.SplineAry.push_back(good);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TSplineBlk bad = good;
    bad.degree = 0;
    d.SplineAry.push_back(bad);
    bad.degree = 50;
    d.SplineAry.push_back(bad);
    bad = good;
    bad.knots = {0, 1, 0.5, 1};
    d.SplineAry.push_back(bad);
    bad = good;
    bad.weights = {1, 0};
    d.SplineAry.push_back(bad);
    bad = good;
    bad.control[1].y = nan;
    d.BlkSplineAry.push_back(bad);
    EXPECT_EQ(PrepareSplines(d), 5u);
    ASSERT_EQ(d.SplineAry.size(), 2u);
    EXPECT_TRUE(d.BlkSplineAry.empty());
    std::vector<TAcadPoint> points;
    FlattenSpline(ViewOf(d.SplineAry[0]), 1e-3, 100000, points);
    for (const TAcadPoint& f : fit.fit) {
        double nearest = 1e9;
        for (const TAcadPoint& p : points)
            nearest = std::min(nearest, std::hypot(p.x - f.x, p.y - f.y));
        EXPECT_LT(nearest, 1e-9);
    }
}

// A 10 x 10 square with a 2 x 2 hole, as two polyline paths, hatched with horizontal lines one
// unit apart.
THatchBlk SquareWithHole(double spacing) {
    THatchBlk h;
    for (const auto& [lo, hi] : {std::pair{0.0, 10.0}, std::pair{4.0, 6.0}}) {
        THatchPath& path = h.paths.emplace_back();
        path.code92 = 2;
        for (const TAcadPoint& p : {P(lo, lo), P(hi, lo), P(hi, hi), P(lo, hi)})
            path.vertices.push_back({0, p, 0});
    }
    h.lines.push_back({0, P(0, 0), P(0, spacing), {}});
    return h;
}

TEST(Fills, PatternLinesAreClippedByTheEvenOddRule) {
    Drawing d;
    d.HatchAry.push_back(SquareWithHole(1));
    EXPECT_EQ(HatchesToFills(d), 0u);
    ASSERT_EQ(d.FillAry.size(), 1u);
    const TFillBlk& fill = d.FillAry[0];
    EXPECT_EQ(fill.kind, FillKind::Lines);
    EXPECT_EQ(fill.rings.size(), 2u);
    // Lines at y = 0 to 9; those at 4 and 5 are cut by the hole.
    ASSERT_EQ(fill.segments.size(), 2u * 12);
    int cut = 0;
    for (std::size_t i = 0; i < fill.segments.size(); i += 2) {
        const TAcadPoint& a = fill.segments[i];
        const TAcadPoint& b = fill.segments[i + 1];
        EXPECT_EQ(a.y, b.y);
        if (a.y == 5) {
            ++cut;
            EXPECT_TRUE((a.x == 0 && b.x == 4) || (a.x == 6 && b.x == 10)) << a.x << " " << b.x;
        }
    }
    EXPECT_EQ(cut, 2);
}

TEST(Fills, DashesAndTooDensePatterns) {
    Drawing d;
    THatchBlk dashed = SquareWithHole(20);
    dashed.lines[0].dashes = {1, -1};
    d.HatchAry.push_back(dashed);
    // A pattern scaled to a millionth of a unit: ten million lines.
    d.HatchAry.push_back(SquareWithHole(1e-6));
    THatchBlk empty;
    d.HatchAry.push_back(empty);
    EXPECT_EQ(HatchesToFills(d), 1u);
    ASSERT_EQ(d.FillAry.size(), 2u);
    // One line (y = 0) of five dashes.
    EXPECT_EQ(d.FillAry[0].segments.size(), 2u * 5);
    EXPECT_EQ(d.FillAry[0].segments[3].x, 3);
    EXPECT_EQ(d.FillAry[1].kind, FillKind::Light);
    EXPECT_TRUE(d.FillAry[1].segments.empty());
}

TEST(Fills, APatternWhoseLinesCannotBeCountedGivesALightFill) {
    // A base point so far from the boundary that the numbers of the lines across it are one
    // double: counting them would never end.
    Drawing d;
    THatchBlk far = SquareWithHole(1);
    far.lines[0].base = P(0, -3e178);
    d.HatchAry.push_back(far);
    HatchesToFills(d);
    ASSERT_EQ(d.FillAry.size(), 1u);
    EXPECT_EQ(d.FillAry[0].kind, FillKind::Light);
}

TEST(Fills, BoundaryOfManyEdgesTimesManyLinesGivesALightFill) {
    // 5,000 lines across a boundary of 10,000 edges: too much work to find their crossings.
    Drawing d;
    THatchBlk h;
    THatchPath& path = h.paths.emplace_back();
    path.code92 = 2;
    for (int i = 0; i < 10000; ++i) {
        const double a = TwoPi * i / 10000;
        path.vertices.push_back({0, P(10 * std::cos(a), 10 * std::sin(a)), 0});
    }
    h.lines.push_back({0, P(0, 0), P(0, 0.004), {}});
    d.HatchAry.push_back(h);
    HatchesToFills(d);
    ASSERT_EQ(d.FillAry.size(), 1u);
    EXPECT_EQ(d.FillAry[0].kind, FillKind::Light);
}

TEST(Fills, ReadHatchSolidAndSplineEndToEnd) {
    // A solid hatch whose path is a half disc (a line and a counter-clockwise arc edge), a
    // SOLID whose third and fourth corners are stored crosswise, and a degree-1 spline.
    Drawing d = test::ReadText(Dxf(
        {"0",  "SECTION", "2",  "ENTITIES", "0",      "HATCH", "8",     "0",      "10", "0",  "20",
         "0",  "30",      "0",  "2",        "SOLID",  "70",    "1",     "91",     "1",  "92", "1",
         "93", "2",       "72", "1",        "10",     "-5",    "20",    "0",      "11", "5",  "21",
         "0",  "72",      "2",  "10",       "0",      "20",    "0",     "40",     "5",  "50", "0",
         "51", "180",     "73", "1",        "97",     "0",     "75",    "0",      "76", "1",  "98",
         "1",  "10",      "0",  "20",       "1",      "0",     "SOLID", "8",      "0",  "10", "20",
         "20", "0",       "11", "30",       "21",     "0",     "12",    "20",     "22", "10", "13",
         "30", "23",      "10", "0",        "SPLINE", "8",     "0",     "71",     "1",  "10", "0",
         "20", "-10",     "10", "0",        "20",     "-20",   "0",     "ENDSEC", "0",  "EOF"}));
    EXPECT_EQ(OtherCounts(d)[0].count, 1u);
    NormaliseDrawing(d);
    ASSERT_EQ(d.FillAry.size(), 2u);
    const TFillBlk& solid = d.FillAry[0];
    ASSERT_EQ(solid.rings.size(), 1u);
    EXPECT_POINT_NEAR(solid.rings[0][2], 30, 10, 0);
    EXPECT_POINT_NEAR(solid.rings[0][3], 20, 10, 0);
    const TFillBlk& half = d.FillAry[1];
    EXPECT_EQ(half.kind, FillKind::Solid);
    ASSERT_EQ(half.rings.size(), 1u);
    double top = 0;
    for (const TAcadPoint& p : half.rings[0])
        top = std::max(top, p.y);
    EXPECT_NEAR(top, 5, 1e-3);
    ASSERT_EQ(d.SplineAry.size(), 1u);
    EXPECT_EQ(d.SplineAry[0].knots.size(), 4u);
    EXPECT_NEAR(d.ExtMin.y, -20, 1e-9);
    EXPECT_NEAR(d.ExtMax.x, 30, 1e-9);
}

TEST(OtherKinds, MinsertPlacesEveryCellAndEllipsesKeepTheirCurve) {
    Drawing d = test::ReadText(Dxf({"0",  "SECTION",
                                    "2",  "BLOCKS",
                                    "0",  "BLOCK",
                                    "2",  "B",
                                    "10", "0",
                                    "20", "0",
                                    "0",  "LINE",
                                    "8",  "0",
                                    "10", "0",
                                    "20", "0",
                                    "11", "1",
                                    "21", "0",
                                    "0",  "POINT",
                                    "8",  "0",
                                    "10", "0",
                                    "20", "1",
                                    "0",  "ENDBLK",
                                    "0",  "ENDSEC",
                                    "0",  "SECTION",
                                    "2",  "ENTITIES",
                                    "0",  "MINSERT",
                                    "2",  "B",
                                    "10", "100",
                                    "20", "0",
                                    "70", "3",
                                    "71", "2",
                                    "44", "10",
                                    "45", "20",
                                    "0",  "ELLIPSE",
                                    "8",  "0",
                                    "10", "0",
                                    "20", "0",
                                    "11", "4",
                                    "21", "0",
                                    "40", "0.5",
                                    "41", "0",
                                    "42", "6.283185307179586",
                                    "0",  "XLINE",
                                    "8",  "0",
                                    "10", "0",
                                    "20", "0",
                                    "11", "1",
                                    "21", "0",
                                    "0",  "ENDSEC",
                                    "0",  "EOF"}));
    NormaliseDrawing(d);
    std::size_t placed = 0, chords = 0;
    for (const TAcadLineBlk& line : d.LineAry) {
        if (line.convtype == ConvChordOfCurve) {
            ++chords;
            continue;
        }
        ++placed;
        EXPECT_EQ(line.ed.x - line.st.x, 1);
    }
    EXPECT_EQ(placed, 6u);
    EXPECT_EQ(d.PointAry.size(), 6u);
    EXPECT_POINT_NEAR(d.PointAry.back().pt10, 120, 21, 1e-12);
    EXPECT_EQ(chords, 36u);
    ASSERT_EQ(d.CurveAry.size(), 1u);
    EXPECT_POINT_NEAR(d.CurveAry[0].v, 0, 2, 1e-12);
    ASSERT_EQ(d.RayAry.size(), 1u);
    EXPECT_TRUE(d.RayAry[0].xline);
}

TEST(OtherKinds, WipeoutFrameSpansItsPixelVectors) {
    Drawing d = test::ReadText(
        Dxf({"0",    "SECTION", "2",   "ENTITIES", "0",   "WIPEOUT", "8",      "0",    "10",
             "0",    "20",      "0",   "11",       "10",  "21",      "0",      "12",   "0",
             "22",   "5",       "71",  "1",        "91",  "2",       "14",     "-0.5", "24",
             "-0.5", "14",      "0.5", "24",       "0.5", "0",       "ENDSEC", "0",    "EOF"}));
    NormaliseDrawing(d);
    ASSERT_EQ(d.FillAry.size(), 1u);
    const TFillBlk& frame = d.FillAry[0];
    EXPECT_EQ(frame.kind, FillKind::Lines);
    ASSERT_EQ(frame.segments.size(), 8u);
    EXPECT_POINT_NEAR(frame.segments[0], 0, 5, 0);
    EXPECT_POINT_NEAR(frame.segments[1], 10, 5, 0);
    EXPECT_POINT_NEAR(frame.segments[5], 0, 0, 0);
    EXPECT_POINT_NEAR(d.ExtMax, 10, 5, 0);
}

TEST(OtherKinds, PolyfaceMeshDrawsItsVisibleFaceEdges) {
    std::initializer_list<const char*> head = {"0",  "SECTION", "2",  "ENTITIES", "0",  "POLYLINE",
                                               "8",  "0",       "66", "1",        "70", "64",
                                               "71", "4",       "72", "1"};
    std::string dxf = Dxf(head);
    const char* corners[4][2] = {{"0", "0"}, {"10", "0"}, {"10", "10"}, {"0", "10"}};
    for (const auto& c : corners)
        dxf += Dxf({"0", "VERTEX", "8", "0", "10", c[0], "20", c[1], "30", "0", "70", "192"});
    dxf += Dxf({"0",  "VERTEX", "8",   "0",      "10", "0",      "20", "0",  "30",
                "0",  "70",     "128", "71",     "1",  "72",     "2",  "73", "-3",
                "74", "4",      "0",   "SEQEND", "0",  "ENDSEC", "0",  "EOF"});
    Drawing d = test::ReadText(dxf);
    ASSERT_EQ(d.PolyfaceAry.size(), 1u);
    ASSERT_EQ(d.LwpEleAry.size(), 4u);
    NormaliseDrawing(d);
    // Edges 1-2, 2-3 and 4-1; the edge from vertex 3 is hidden.
    ASSERT_EQ(d.LineAry.size(), 3u);
    EXPECT_POINT_NEAR(d.LineAry[2].st, 0, 10, 0);
    EXPECT_POINT_NEAR(d.LineAry[2].ed, 0, 0, 0);
}

} // namespace
} // namespace orvanta

// Fills, points, splines and huge arcs through the recording canvas.
#include "render/DrawDxf.h"
#include "tests/support/TestNames.h"

#include "geometry/Primitives.h"
#include "render/Colors.h"
#include "render/RecordingCanvas.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

using Kind = CanvasCall::Kind;

Drawing OneLayer() {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    d.LayerAry.push_back({"DEFPOINTS", 7});
    return d;
}

// A 100 x 100 pixel view of (-50, -50)-(50, 50): one unit per pixel, the origin at (50, 50).
DrawOptions View(const TAcadPoint& center = {0, 0, 0}, double size = 100) {
    DrawOptions options;
    options.view = {center, size, size, {50, 50}, 100, 100, 1};
    return options;
}

RecordingCanvas Draw(Drawing& d, const TAcadPoint& center = {0, 0, 0}, double size = 100) {
    RecordingCanvas canvas;
    DrawDxf(d, View(center, size), canvas);
    return canvas;
}

TEST(DrawOtherKinds, SolidFillsComeFirstAsEvenOddPolygons) {
    Drawing d = OneLayer();
    TFillBlk fill;
    fill.PenColor = 0x0000FF;
    fill.rings = {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}}};
    d.FillAry.push_back(fill);
    TAcadLineBlk line;
    line.st = {0, 0, 0};
    line.ed = {1, 1, 0};
    d.LineAry.push_back(line);
    const RecordingCanvas canvas = Draw(d);
    const auto fills = canvas.callsOf(Kind::FillPolygon);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(Describe(fills[0]), "fillPolygon([50,50 60,50 60,40 50,40], #0000FF)");
    // Under the line.
    EXPECT_LT(canvas.log().find("fillPolygon"), canvas.log().find("lineTo"));

    // Drawn to invert (a layer's blink), the fill's outline inverts instead.
    RecordingCanvas inverted;
    inverted.setPenMode(PenMode::Not);
    DrawOptions blink = View();
    blink.onlyLayer = "0";
    DrawDxf(d, blink, inverted);
    EXPECT_TRUE(inverted.callsOf(Kind::FillPolygon).empty());
    EXPECT_EQ(inverted.callsOf(Kind::LineTo).size(), 4u + 1u);
}

TEST(DrawOtherKinds, BandsFillEachPieceOnItsOwnOrOutlineItWithoutFillMode) {
    Drawing d = OneLayer();
    TFillBlk band;
    band.kind = FillKind::Band;
    band.rings = {{{0, 0, 0}, {10, 0, 0}, {10, 2, 0}, {0, 2, 0}},
                  {{8, 0, 0}, {10, 0, 0}, {10, 10, 0}, {8, 10, 0}}};
    d.FillAry.push_back(band);
    EXPECT_EQ(Draw(d).callsOf(Kind::FillPolygon).size(), 2u) << "overlaps stay filled";
    d.FillMode = 0;
    const RecordingCanvas outlined = Draw(d);
    EXPECT_TRUE(outlined.callsOf(Kind::FillPolygon).empty());
    EXPECT_EQ(outlined.callsOf(Kind::LineTo).size(), 8u);
}

TEST(DrawOtherKinds, PatternAndLightFills) {
    Drawing d = OneLayer();
    TFillBlk lines;
    lines.kind = FillKind::Lines;
    lines.PenColor = 0xFFFFFF;
    lines.rings = {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}};
    lines.segments = {{0, 0, 0}, {10, 0, 0}, {1, 1, 0}, {9, 1, 0}};
    d.FillAry.push_back(lines);
    TFillBlk light = lines;
    light.kind = FillKind::Light;
    light.segments.clear();
    d.FillAry.push_back(light);
    const RecordingCanvas canvas = Draw(d);
    EXPECT_EQ(canvas.callsOf(Kind::LineTo).size(), 2u + 3u);
    const auto fills = canvas.callsOf(Kind::FillPolygon);
    ASSERT_EQ(fills.size(), 1u);
    // A quarter of the way from the black background to white.
    EXPECT_EQ(fills[0].colour, 0x3F3F3Fu);
}

TEST(DrawOtherKinds, PointsAsDotsOrFiguresButNotOnDefpoints) {
    Drawing d = OneLayer();
    TPointBlk p;
    p.pt10 = {5, 5, 0};
    p.PenColor = 0x00FF00;
    d.PointAry.push_back(p);
    p.layer = test::N("DEFPOINTS");
    p.layindex = 1;
    d.PointAry.push_back(p);
    p.layer = test::N("Defpoints"); // as many writers spell it
    d.PointAry.push_back(p);
    RecordingCanvas dots = Draw(d);
    ASSERT_EQ(dots.callsOf(Kind::SetPixel).size(), 1u);
    EXPECT_EQ(Describe(dots.callsOf(Kind::SetPixel)[0]), "setPixel(55, 45, #00FF00)");
    d.PdMode = 3;
    d.PdSize = 4;
    const RecordingCanvas crosses = Draw(d);
    EXPECT_EQ(crosses.callsOf(Kind::SetPixel).size(), 0u);
    const auto ends = crosses.callsOf(Kind::LineTo);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(Describe(ends[0]), "lineTo(57, 47)");
}

TEST(DrawOtherKinds, SplineChordsStayWithinHalfAPixel) {
    Drawing d = OneLayer();
    TSplineBlk s;
    s.degree = 2;
    const double w = std::sqrt(0.5);
    // A quarter circle of radius 40 about the origin.
    s.control = {{40, 0, 0}, {40, 40, 0}, {0, 40, 0}};
    s.knots = {0, 0, 0, 1, 1, 1};
    s.weights = {1, w, 1};
    d.SplineAry.push_back(s);
    const RecordingCanvas canvas = Draw(d);
    const auto ends = canvas.callsOf(Kind::LineTo);
    ASSERT_GT(ends.size(), 5u);
    for (const CanvasCall& c : ends)
        EXPECT_NEAR(std::hypot(c.args[0] - 50, c.args[1] - 50), 40, 1.3);
}

TEST(DrawOtherKinds, HugeArcIsDrawnThroughItsVisiblePart) {
    Drawing d = OneLayer();
    // A circle of radius 1e9 whose top passes through the world origin.
    TArcBlk arc;
    arc.center = {0, -1e9, 0};
    arc.hankei = 1e9;
    arc.st = 80;
    arc.ed = 100;
    d.ArcAry.push_back(arc);
    const RecordingCanvas canvas = Draw(d);
    EXPECT_TRUE(canvas.callsOf(Kind::Arc).empty());
    // Every vertex lies on the arc near the view (at most half a pixel below the origin's row),
    // and one chord runs across the view.
    int previousX = 0;
    bool across = false;
    std::size_t vertices = 0;
    for (const CanvasCall& c : canvas.calls()) {
        if (c.kind != Kind::MoveTo && c.kind != Kind::LineTo) continue;
        ++vertices;
        EXPECT_LE(std::abs(c.args[1] - 50), 1);
        if (c.kind == Kind::LineTo && (previousX - 50) * (c.args[0] - 50) <= 0) across = true;
        previousX = c.args[0];
    }
    EXPECT_GE(vertices, 2u);
    EXPECT_TRUE(across);
}

TEST(DrawOtherKinds, RaysAndXlinesAreClippedToTheView) {
    Drawing d = OneLayer();
    TRayBlk ray;
    ray.pt10 = {0, 0, 0};
    ray.pt11 = {1, 0, 0};
    d.RayAry.push_back(ray);
    ray.xline = true;
    ray.pt11 = {0, 1, 0};
    d.RayAry.push_back(ray);
    const RecordingCanvas canvas = Draw(d);
    const auto starts = canvas.callsOf(Kind::MoveTo);
    const auto ends = canvas.callsOf(Kind::LineTo);
    ASSERT_EQ(ends.size(), 2u);
    // The ray from the origin to the right edge; the xline from the bottom edge to the top.
    EXPECT_EQ(starts[0].args[0], 50);
    EXPECT_GE(ends[0].args[0], 100);
    EXPECT_GE(starts[1].args[1], 100);
    EXPECT_LE(ends[1].args[1], 0);
}

TEST(DrawOtherKinds, CurvesReplaceTheirChordsWithChordsForTheZoom) {
    Drawing d = OneLayer();
    TAcadLineBlk chord;
    chord.convtype = ConvChordOfCurve;
    chord.ed = {40, 0, 0};
    d.LineAry.push_back(chord);
    TCurveBlk ellipse;
    ellipse.u = {400, 0, 0};
    ellipse.v = {0, 200, 0};
    ellipse.sweep = TwoPi;
    d.CurveAry.push_back(ellipse);
    const auto drawn = [&](double size) {
        const RecordingCanvas canvas = Draw(d, {0, 0, 0}, size);
        return canvas.callsOf(Kind::LineTo);
    };
    // Four hundred pixels wide, the ellipse needs finer chords than the ten-degree ones, and
    // every vertex lies on it; ten times smaller, far fewer.
    const auto close = drawn(100);
    ASSERT_GT(close.size(), 36u);
    for (const CanvasCall& c : close) {
        const double x = (c.args[0] - 50) / 400.0, y = (50 - c.args[1]) / 200.0;
        EXPECT_NEAR(x * x + y * y, 1, 0.01);
    }
    EXPECT_LT(drawn(1000).size(), close.size() / 2);
}

} // namespace
} // namespace orvanta

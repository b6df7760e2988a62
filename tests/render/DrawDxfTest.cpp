// DrawDxf against the recording canvas: which records are drawn, with which primitive, pen and
// colour, for the filters, the colour modes, Rough, NoClip and the layer-only mode.
#include "render/DrawDxf.h"

#include "geometry/Primitives.h"
#include "render/Colors.h"
#include "render/RecordingCanvas.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

using Kind = CanvasCall::Kind;

constexpr TColor Red = 0x0000FF;
constexpr TColor Cyan = 0xFFFF00;

// A 100 x 100 pixel view of the world square (-50, -50)-(50, 50): one unit per pixel, the
// world origin at pixel (50, 50).
DrawOptions Square() {
    DrawOptions options;
    options.view = {{0, 0, 0}, 100, 100, {50, 50}, 100, 100, 1};
    return options;
}

struct Drawn {
    int count = 0;
    std::string log;
    RecordingCanvas canvas;
};

Drawn Draw(Drawing& d, const DrawOptions& v = Square()) {
    Drawn out;
    out.count = DrawDxf(d, v, out.canvas);
    out.log = out.canvas.log();
    return out;
}

TAcadLineBlk Line(double x1, double y1, double x2, double y2, TColor colour = Red) {
    TAcadLineBlk line;
    line.st = {x1, y1, 0};
    line.ed = {x2, y2, 0};
    line.PenColor = colour;
    return line;
}

TCircleBlk Circle(double x, double y, double r, TColor colour = Red) {
    TCircleBlk circle;
    circle.center = {x, y, 0};
    circle.hankei = r;
    circle.PenColor = colour;
    return circle;
}

TArcBlk Arc(double x, double y, double r, double st, double ed, TColor colour = Red) {
    TArcBlk arc;
    arc.center = {x, y, 0};
    arc.hankei = r;
    arc.st = st;
    arc.ed = ed;
    arc.PenColor = colour;
    return arc;
}

TTextBlk Text(const std::string& s, double x, double y, double height = 10, TColor colour = Red) {
    TTextBlk text;
    text.str = s;
    text.pt10 = {x, y, 0};
    text.code40 = height;
    text.PenColor = colour;
    return text;
}

TEST(DrawDxfTest, CirclesBelowHalfAPixelAreTheirCentrePixel) {
    Drawing d;
    d.CircleAry = {Circle(10, 10, 0.4), Circle(10, 10, 0.5), Circle(10, 10, 0.6)};
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 3);
    // 0.5 pixels rounds to even, to 0; 0.6 is a circle of the 2 x 2 box around the centre. The
    // second pixel in the same place and colour is not set again.
    EXPECT_EQ(drawn.log, "setPixel(60, 40, #0000FF)\n"
                         "setPen(#0000FF, 1, 0)\n"
                         "arc(59, 39, 61, 41, 61, 40, 61, 40)\n"
                         "flush()\n");
}

TEST(DrawDxfTest, SubPixelRecordsArePixelsSetOncePerColourUnlessAnotherColourCameBetween) {
    Drawing d;
    d.LineAry = {Line(10, 10, 10.2, 10.1), Line(10.1, 9.9, 10, 10), Line(10, 10, 10.2, 10, Cyan),
                 Line(10, 10, 10.1, 10), Line(-20, 0, -20.1, 0)};
    d.ArcAry = {Arc(10, 10, 0.3, 0, 90)};
    Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 6);
    EXPECT_EQ(drawn.log, "setPixel(60, 40, #0000FF)\n"
                         "setPixel(60, 40, #FFFF00)\n"
                         "setPixel(60, 40, #0000FF)\n"
                         "setPixel(30, 50, #0000FF)\n"
                         "flush()\n");

    // A wide pen draws its dot, and a pen mode other than copy draws the figure through the pen.
    DrawOptions wide = Square();
    wide.penWidth = 3;
    d.LineAry.resize(1);
    d.ArcAry.clear();
    EXPECT_EQ(Draw(d, wide).log,
              "setPen(#0000FF, 3, 0)\nmoveTo(60, 40)\nlineTo(60, 40)\nflush()\n");
    RecordingCanvas inverting;
    inverting.setPenMode(PenMode::Not);
    DrawDxf(d, Square(), inverting);
    EXPECT_NE(inverting.log().find("lineTo(60, 40)"), std::string::npos);
}

TEST(DrawDxfTest, ArcsOfAtMostOneDegreeAreChords) {
    Drawing d;
    d.ArcAry = {Arc(0, 0, 40, 30, 30.8), Arc(0, 0, 40, 60, 60)};
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 2);
    const TPoint a = WorldToScreen(PolarPoint({}, 30 * DegToRad, 40), {50, 50}, 1);
    const TPoint b = WorldToScreen(PolarPoint({}, 30.8 * DegToRad, 40), {50, 50}, 1);
    const TPoint c = WorldToScreen(PolarPoint({}, 60 * DegToRad, 40), {50, 50}, 1);
    EXPECT_EQ(drawn.log, "setPen(#0000FF, 1, 0)\n"
                         "moveTo(" +
                             std::to_string(a.x) + ", " + std::to_string(a.y) + ")\n" + "lineTo(" +
                             std::to_string(b.x) + ", " + std::to_string(b.y) + ")\n" +
                             "setPen(#0000FF, 1, 0)\n" + "moveTo(" + std::to_string(c.x) + ", " +
                             std::to_string(c.y) + ")\n" + "lineTo(" + std::to_string(c.x) + ", " +
                             std::to_string(c.y) + ")\n" + "flush()\n");
    EXPECT_EQ(drawn.canvas.callsOf(Kind::Arc).size(), 0u);
}

TEST(DrawDxfTest, AnArcThroughZeroRunsCounterclockwiseAndTheModelIsLeftAsItIs) {
    Drawing d;
    d.ArcAry = {Arc(0, 0, 40, 350, 10)};
    const Drawn drawn = Draw(d);
    EXPECT_EQ(d.ArcAry[0].ed, 10);
    // Start ray at 350° (right, a little below), end ray at 10° (right, a little above).
    EXPECT_EQ(drawn.log, "setPen(#0000FF, 1, 0)\n"
                         "arc(10, 10, 90, 90, 89, 57, 89, 43)\n"
                         "flush()\n");
    EXPECT_EQ(Draw(d).log, drawn.log);
}

TEST(DrawDxfTest, AnArcWhoseEndsShareAPixelIsAWholeCircleWhenLongAndAPixelWhenShort) {
    Drawing d;
    // A circle written as an arc of 359.999°, and one written from 90° to 450°.
    d.ArcAry = {Arc(0, 0, 20, 0, 359.999), Arc(0, 0, 20, 90, 450),
                // 1.5° around 0°: both ends round to the pixel right of the centre.
                Arc(0, 0, 20, 359.25, 0.75)};
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 3);
    EXPECT_EQ(drawn.log, "setPen(#0000FF, 1, 0)\n"
                         "arc(30, 30, 70, 70, 70, 50, 70, 50)\n"
                         "setPen(#0000FF, 1, 0)\n"
                         "arc(30, 30, 70, 70, 50, 30, 50, 30)\n"
                         "setPixel(70, 50, #0000FF)\n"
                         "flush()\n");
}

TEST(DrawDxfTest, DrawDxfArcTakesEqualAnglesForAFullCircleAndAShortSweepForItsPixel) {
    RecordingCanvas canvas;
    DrawDxfArc(canvas, {50, 50}, {0, 0, 0}, 1, 30, 1.0, 1.0, Red, 3, PenDot);
    // Half a degree of radius 30 is a quarter of a pixel long.
    DrawDxfArc(canvas, {50, 50}, {0, 0, 0}, 1, 30, 1.0, 1.0 + 0.5 * DegToRad, Red, 3, PenDot);
    EXPECT_EQ(canvas.log(), "setPen(#0000FF, 3, 2)\n"
                            "arc(20, 20, 80, 80, 66, 25, 66, 25)\n"
                            "setPixel(66, 25, #0000FF)\n");
}

TEST(DrawDxfTest, RoughDrawsTheEvenRecordsAndNoText) {
    Drawing d;
    for (int i = 0; i < 3; ++i) {
        d.LineAry.push_back(Line(i, 0, i, 10));
        d.CircleAry.push_back(Circle(i * 10, 0, 5));
        d.ArcAry.push_back(Arc(i * 10, 0, 5, 0, 90));
    }
    d.TextAry = {Text("A", 0, 0), Text("B", 10, 0)};
    DrawOptions v = Square();
    v.detail = Detail::Rough;
    const Drawn drawn = Draw(d, v);
    EXPECT_EQ(drawn.count, 6);
    const auto moves = drawn.canvas.callsOf(Kind::MoveTo);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].args[0], 50);
    EXPECT_EQ(moves[1].args[0], 52);
    const auto arcs = drawn.canvas.callsOf(Kind::Arc);
    ASSERT_EQ(arcs.size(), 4u);
    EXPECT_EQ(arcs[0].args[0], 45); // circle 0
    EXPECT_EQ(arcs[1].args[0], 65); // circle 2
    EXPECT_EQ(arcs[2].args[0], 45); // arc 0
    EXPECT_EQ(arcs[3].args[0], 65); // arc 2
    EXPECT_TRUE(drawn.canvas.callsOf(Kind::TextOut).empty());
    EXPECT_TRUE(drawn.canvas.callsOf(Kind::SetFont).empty());

    v.detail = Detail::Full;
    EXPECT_EQ(Draw(d, v).count, 11);
}

TEST(DrawDxfTest, PaperSpaceReplacedAndInvisibleRecordsAreSkipped) {
    Drawing d;
    d.LineAry = {Line(0, 0, 10, 10), Line(0, 0, 10, 10)};
    d.LineAry[0].code67 = 1;
    d.LineAry[1].code67 = -1;
    d.CircleAry = {Circle(0, 0, 5)};
    d.CircleAry[0].code67 = -1;
    d.TextAry = {Text("tag", 0, 0), Text("paper", 0, 0), Text("%%c25 45%%d", 0, 0)};
    d.TextAry[0].code70 = 1; // an invisible attribute
    d.TextAry[1].code67 = 1;
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 1);
    const auto texts = drawn.canvas.callsOf(Kind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Φ25 45°");
    // The record keeps its codes; only what is drawn is rewritten.
    EXPECT_EQ(d.TextAry[2].str, "%%c25 45%%d");
}

TEST(DrawDxfTest, ATextTooSmallToShowCountsButDrawsNothing) {
    Drawing d;
    d.TextAry = {Text("small", 0, 0, 1)};
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 1);
    EXPECT_EQ(drawn.log, "flush()\n");
}

TEST(DrawDxfTest, LinesAreCulledUnlessTheyCrossTheWindow) {
    Drawing d;
    d.LineAry = {
        Line(-1000, 10, 1000, 10),      // crosses the left and right sides
        Line(60, -100, 60, 100),        // right of the window
        Line(40, 80, 80, 40),           // cuts the corner region outside the window
        Line(-80, -20, 30, 10),         // one end inside
        Line(-45, -45, 45, 45),         // both ends inside
        Line(-1000, -1000, 1000, 1000), // through the window's corners
        Line(-50.3, -10, -50.3, 10),    // just left of the window, on its first column
        Line(-52, -10, -52, 10),        // left of the window by two pixels
    };
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 5);
    const auto moves = drawn.canvas.callsOf(Kind::MoveTo);
    ASSERT_EQ(moves.size(), 5u);
    EXPECT_EQ(moves[0].args[0], -950);
    EXPECT_EQ(moves[1].args[0], -30);
    EXPECT_EQ(moves[2].args[0], 5);
    EXPECT_EQ(moves[3].args[0], -950);
    EXPECT_EQ(moves[4].args[0], 0);

    DrawOptions v = Square();
    v.clipping = Clipping::WholeExtent;
    EXPECT_EQ(Draw(d, v).count, 8);
}

TEST(DrawDxfTest, AHugeCircleIsCulledWhenTheWindowLiesWhollyInsideIt) {
    Drawing d;
    // The bounding square encloses the window and the centre is outside it.
    d.CircleAry = {Circle(1000, 0, 2000)};
    EXPECT_EQ(Draw(d).count, 0);
    DrawOptions v = Square();
    v.clipping = Clipping::WholeExtent;
    EXPECT_EQ(Draw(d, v).count, 1);
}

TEST(DrawDxfTest, AHugeCircleOrArcWhoseRimRunsThroughTheWindowIsDrawn) {
    Drawing d;
    // Zoomed in on the rim: the square encloses the window, no side crosses it, the centre is
    // far outside, and yet the outline passes the window's centre.
    const double r = std::hypot(1000.0, 1000.0);
    d.CircleAry = {Circle(1000, 1000, r)};
    d.ArcAry = {Arc(1000, 1000, r, 200, 250), // through 225°, towards the window
                Arc(1000, 1000, r, 300, 150), // the long way round, but not past 225°
                Arc(1000, 1000, r, 230, 240)};
    const Drawn drawn = Draw(d);
    EXPECT_EQ(drawn.count, 2);
    const auto arcs = drawn.canvas.callsOf(Kind::Arc);
    ASSERT_EQ(arcs.size(), 2u);
    EXPECT_EQ(arcs[0].args[4], arcs[0].args[6]); // the circle
    EXPECT_EQ(arcs[1].args[0], arcs[0].args[0]); // the arc through 225°
    EXPECT_NE(arcs[1].args[4], arcs[1].args[6]);
}

TEST(DrawDxfTest, CirclesArcsAndTextsNearTheWindow) {
    Drawing d;
    d.CircleAry = {Circle(80, 0, 31),     // square crosses the right side
                   Circle(80, 0, 20),     // square outside
                   Circle(90, 90, 50)};   // square overlaps the corner, outline does not reach it
    d.ArcAry = {Arc(80, 0, 40, 170, 190), // its left end is inside
                Arc(80, 0, 40, 350, 10),  // box right of the window
                Arc(80, 0, 31, 90, 270)}; // box crosses the right side
    d.TextAry = {Text("INSIDE", -40, 0), Text("OUTSIDE", 200, 0),
                 // A text so large that its box encloses the window: zoomed in on a title.
                 Text("BIG", -150, -150, 400)};
    const Drawn drawn = Draw(d);
    // The corner circle is drawn by its square, as the tests of its sides find.
    EXPECT_EQ(drawn.count, 2 + 2 + 2);
    const auto texts = drawn.canvas.callsOf(Kind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "INSIDE");
    EXPECT_EQ(texts[1].text, "BIG");
}

TEST(DrawDxfTest, ATextTooNarrowForAPixelIsCulledByItsNaturalWidth) {
    // Characters narrower than half a pixel are drawn in the face's own proportions: this text
    // starts 100 pixels left of the window and reaches into it.
    Drawing d;
    d.TextAry = {Text("ABCDEFGHIJKLMNOPQRSTUVWXY", -150, 0)};
    d.TextAry[0].code41 = 0.01;
    EXPECT_EQ(Draw(d).count, 1);
    d.TextAry[0].pt10.x = -1000;
    EXPECT_EQ(Draw(d).count, 0);
}

TEST(DrawDxfTest, LayerOnlyModeDrawsThatLayerWhateverItsFlagAndPlace) {
    Drawing d;
    d.LayerAry = {{"A"}, {"B"}};
    d.LayerAry[0].visible = false;
    d.LineAry = {Line(0, 0, 10, 0), Line(0, 0, 0, 10), Line(500, 500, 600, 600)};
    d.LineAry[0].layindex = 0;
    d.LineAry[1].layindex = 1;
    d.LineAry[2].layindex = 0; // far outside the window
    d.TextAry = {Text("on A", 0, 0), Text("on B", 0, 0)};
    d.TextAry[1].layindex = 1;

    DrawOptions v = Square();
    v.onlyLayer = "A";
    Drawn drawn = Draw(d, v);
    EXPECT_EQ(drawn.count, 3);
    auto moves = drawn.canvas.callsOf(Kind::MoveTo);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].args[0], 550);
    auto texts = drawn.canvas.callsOf(Kind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "on A");

    // A name the table does not have: ordinary drawing, so the hidden layer A stays hidden.
    v.onlyLayer = "a";
    drawn = Draw(d, v);
    EXPECT_EQ(drawn.count, 2);
    moves = drawn.canvas.callsOf(Kind::LineTo);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].args[1], 40);
    texts = drawn.canvas.callsOf(Kind::TextOut);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "on B");

    // Entities on a layer the table does not list are always shown.
    d.LineAry[1].layindex = 7;
    v.onlyLayer.clear();
    EXPECT_EQ(Draw(d, v).count, 2);
}

TEST(DrawDxfTest, ColourModesOnBlackAndOnWhite) {
    Drawing d;
    d.LineAry = {Line(0, 0, 1, 0, ColorWhite), Line(0, 0, 1, 0, ColorBlack), Line(0, 0, 1, 0, Red)};
    d.CircleAry = {Circle(0, 0, 5, ColorWhite)};
    d.ArcAry = {Arc(0, 0, 5, 0, 90, ColorBlack)};
    d.TextAry = {Text("T", 0, 0, 10, Red)};
    const auto colours = [&](TColor back, int mode) {
        DrawOptions v = Square();
        v.backColor = back;
        v.colorMode = static_cast<ColorModeValue>(mode);
        const Drawn drawn = Draw(d, v);
        std::vector<TColor> out;
        for (const CanvasCall& call : drawn.canvas.calls()) {
            if (call.kind == Kind::SetPen || call.kind == Kind::SetTextColor)
                out.push_back(call.colour);
        }
        return out;
    };
    using Colours = std::vector<TColor>;
    // Lines white, black, red; circle white; arc black; text red.
    EXPECT_EQ(colours(ColorBlack, 0),
              (Colours{ColorWhite, ColorWhite, Red, ColorWhite, ColorWhite, Red}));
    EXPECT_EQ(colours(ColorBlack, 1), Colours(6, ColorWhite));
    EXPECT_EQ(colours(ColorBlack, 2),
              (Colours{ColorBlack, ColorWhite, Cyan, ColorBlack, ColorWhite, Cyan}));
    EXPECT_EQ(colours(ColorWhite, 0),
              (Colours{ColorBlack, ColorBlack, Red, ColorBlack, ColorBlack, Red}));
    EXPECT_EQ(colours(ColorWhite, 1), Colours(6, ColorBlack));
    EXPECT_EQ(colours(ColorWhite, 7), colours(ColorWhite, 0));
}

TEST(DrawDxfTest, AViewWithoutExtentOrZoomDrawsNothing) {
    Drawing d;
    d.LineAry = {Line(0, 0, 10, 10)};
    d.TextAry = {Text("T", 0, 0)};
    DrawOptions v = Square();
    v.view.drawW = v.view.drawH = 0;
    Drawn drawn = Draw(d, v);
    EXPECT_EQ(drawn.count, 0);
    EXPECT_EQ(drawn.log, "");
    v = Square();
    v.view.zoom = 0;
    drawn = Draw(d, v);
    EXPECT_EQ(drawn.count, 0);
    EXPECT_EQ(drawn.log, "");
    // An extent in one direction only is drawn at one unit per pixel before the zoom.
    v = Square();
    v.view.drawH = 0;
    EXPECT_EQ(Draw(d, v).count, 2);

    Drawing empty;
    EXPECT_EQ(Draw(empty).count, 0);
}

TEST(DrawDxfTest, PensCarryWidthAndStyleAndTheViewIsRelativeToItsCentre) {
    Drawing d;
    d.LineAry = {Line(1000, 2000, 1010, 2000)};
    d.LineAry[0].PenStyle = PenDashDot;
    RecordingCanvas canvas;
    DrawOptions options;
    options.view = {{1000, 2000, 0}, 20, 20, {10, 10}, 20, 20, 1};
    options.penWidth = 5;
    const int count = DrawDxf(d, options, canvas);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(canvas.log(), "setPen(#0000FF, 5, 3)\n"
                            "moveTo(10, 10)\n"
                            "lineTo(20, 10)\n"
                            "flush()\n");
}

TEST(DrawDxfTest, ClearCanvasFillsInCopyMode) {
    RecordingCanvas canvas;
    canvas.setPenMode(PenMode::Xor);
    canvas.clear();
    ClearCanvas(canvas, 640, 480, 0x123456);
    EXPECT_EQ(canvas.log(), "setPenMode(copy)\n"
                            "setPen(#123456, 1, 0)\n"
                            "fillRect(0, 0, 640, 480, #123456)\n");
}

} // namespace
} // namespace orvanta

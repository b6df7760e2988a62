#include "browse/DrawingGrid.h"

#include "geometry/Extents.h"
#include "render/DrawDxf.h"
#include "render/RecordingCanvas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace orvanta {
namespace {

// Lines, circles, arcs and texts of every size scattered over 10000 x 6000, with records the
// renderer never draws, a frame around everything and a few records far outside.
Drawing ScatteredDrawing() {
    Drawing d;
    d.LayerAry.resize(3);
    d.LayerAry[0].Name = "0";
    d.LayerAry[1].Name = "hidden";
    d.LayerAry[1].visible = false;
    d.LayerAry[2].Name = "notes";
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(0, 10000), y(0, 6000), size(0.1, 400), angle(0, 360);
    const auto layer = [&] { return static_cast<std::int16_t>(random() % 3); };
    const auto colour = [&] { return static_cast<TColor>(random() % 0xFFFFFF); };
    for (int i = 0; i < 3000; ++i) {
        TAcadLineBlk line;
        line.st = {x(random), y(random), 0};
        line.ed = {line.st.x + size(random) - 200, line.st.y + size(random) - 200, 0};
        line.layindex = layer();
        line.PenColor = colour();
        line.code67 = i % 97 == 0 ? 1 : 0;
        d.LineAry.push_back(line);
    }
    TAcadLineBlk frame;
    frame.st = {-50, -50, 0};
    frame.ed = {10050, 6050, 0};
    d.LineAry.push_back(frame);
    for (int i = 0; i < 500; ++i) {
        TCircleBlk circle;
        circle.center = {x(random), y(random), 0};
        // Radii from a fraction of a cell to several cells, and a few over the whole drawing.
        circle.hankei = i % 50 == 0 ? 5000 : i % 5 == 0 ? size(random) * 3 : size(random) / 4;
        circle.layindex = layer();
        circle.PenColor = colour();
        d.CircleAry.push_back(circle);
    }
    for (int i = 0; i < 800; ++i) {
        TArcBlk arc;
        arc.center = {x(random), y(random), 0};
        arc.hankei = i % 80 == 0 ? 8000 : size(random) / 2;
        arc.st = angle(random);
        arc.ed = angle(random);
        arc.layindex = layer();
        arc.PenColor = colour();
        d.ArcAry.push_back(arc);
    }
    for (int i = 0; i < 400; ++i) {
        TTextBlk text;
        text.pt10 = {x(random), y(random), 0};
        text.pt11 = {text.pt10.x + 300, text.pt10.y + 20, 0};
        text.code40 = size(random) / 10;
        text.code50 = angle(random);
        text.code72 = static_cast<std::int16_t>(i % 6);
        text.code73 = static_cast<std::int16_t>(i % 4);
        text.mtflag = i % 7 == 0;
        text.code71 = text.mtflag ? 1 : 0;
        text.str = i % 7 == 0 ? "first\\Psecond line\\Pthird" : "図面 TEXT " + std::to_string(i);
        text.code70 = i % 31 == 0 ? 1 : 0;
        text.layindex = layer();
        text.PenColor = colour();
        d.TextAry.push_back(text);
    }
    // The grid spans the scattered records; a text far outside its frame must still be found.
    ComputeExtents(d);
    TTextBlk far;
    far.pt10 = {1e7, -1e7, 0};
    far.code40 = 10;
    far.str = "far away";
    d.TextAry.push_back(far);
    return d;
}

// What the renderer draws of `d` around `center` at `drawWidth` on a 400 x 300 canvas.
std::string Drawn(Drawing& d, const TAcadPoint& center, double drawWidth,
                  const RecordIndices* records = nullptr) {
    RecordingCanvas canvas;
    DrawOptions options;
    options.view = {center, drawWidth, drawWidth * 0.6, {200, 150}, 400, 300};
    options.records = records;
    DrawDxf(d, options, canvas);
    return canvas.log();
}

TEST(DrawingGrid, TheRecordsItFindsDrawExactlyWhatTheWholeDrawingDraws) {
    Drawing d = ScatteredDrawing();
    DrawingGrid grid;
    grid.build(d);
    ASSERT_TRUE(grid.built());
    std::mt19937 random(11);
    std::uniform_real_distribution<double> x(-2000, 12000), y(-2000, 8000);
    int compared = 0;
    for (double width : {5000.0, 2000.0, 500.0, 100.0, 10.0}) {
        for (int i = 0; i < 12; ++i) {
            const TAcadPoint center{x(random), y(random), 0};
            const double u = UnitsPerPixel(width, width * 0.6, 400, 300, 0.98);
            // The window as the presenter asks for it: the view and a margin of pixels.
            WorldRect window = ViewWindow(center, 400, 300, u);
            window.lowerLeft.x -= 3 * u;
            window.lowerLeft.y -= 3 * u;
            window.upperRight.x += 3 * u;
            window.upperRight.y += 3 * u;
            RecordIndices subset;
            ASSERT_TRUE(grid.select(d, window, u, 1.0, subset));
            EXPECT_LE(subset.lines.size(), d.LineAry.size());
            EXPECT_EQ(Drawn(d, center, width, &subset), Drawn(d, center, width))
                << "width " << width << " at " << center.x << ", " << center.y;
            // The same records serve a finer view inside the window.
            EXPECT_EQ(Drawn(d, center, width / 3, &subset), Drawn(d, center, width / 3));
            ++compared;
        }
    }
    EXPECT_EQ(compared, 60);

    // Zoomed in far, the choice is a small part of the drawing.
    const double u = UnitsPerPixel(50, 30, 400, 300, 0.98);
    RecordIndices subset;
    ASSERT_TRUE(grid.select(d, ViewWindow({5000, 3000, 0}, 400, 300, u), u, 0.25, subset));
    EXPECT_LT(subset.lines.size() + subset.arcs.size() + subset.circles.size(), 300u);
    // Most of the drawing in view: the whole model is drawn instead.
    const double wide = UnitsPerPixel(8000, 4800, 400, 300, 0.98);
    EXPECT_FALSE(grid.select(d, ViewWindow({5000, 3000, 0}, 400, 300, wide), wide, 0.25, subset));
    EXPECT_LT(subset.lines.size(), 200u) << "a refusal leaves the last choice alone";
}

TEST(DrawingGrid, ADrawingThatChangedOrIsEmptyIsNotServed) {
    Drawing d = ScatteredDrawing();
    DrawingGrid grid;
    grid.build(d);
    d.LineAry.pop_back();
    RecordIndices subset;
    const WorldRect window{{0, 0, 0}, {10, 10, 0}};
    EXPECT_FALSE(grid.select(d, window, 1, 1.0, subset));
    grid.clear();
    EXPECT_FALSE(grid.built());
    Drawing empty;
    grid.build(empty);
    EXPECT_FALSE(grid.select(empty, window, 1, 1.0, subset));
}

TEST(DrawingGrid, ABuildOnItsOwnThreadServesWhatABuildInPlaceServes) {
    Drawing d = ScatteredDrawing();
    GridBuild build;
    build.start(d);
    DrawingGrid* grid = nullptr;
    for (int i = 0; i < 10000 && (grid = build.ready()) == nullptr; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_NE(grid, nullptr);
    DrawingGrid inPlace;
    inPlace.build(d);
    const double u = UnitsPerPixel(500, 300, 400, 300, 0.98);
    const WorldRect window = ViewWindow({5000, 3000, 0}, 400, 300, u);
    RecordIndices fromThread, fromPlace;
    ASSERT_TRUE(grid->select(d, window, u, 1.0, fromThread));
    ASSERT_TRUE(inPlace.select(d, window, u, 1.0, fromPlace));
    EXPECT_EQ(fromThread.lines, fromPlace.lines);
    EXPECT_EQ(fromThread.texts, fromPlace.texts);

    // A cancelled build serves nothing; a stopped one leaves no grid.
    build.start(d);
    build.cancel();
    EXPECT_EQ(build.ready(), nullptr);
    const std::atomic<bool> stop{true};
    DrawingGrid stopped;
    stopped.build(d, &stop);
    EXPECT_FALSE(stopped.built());
}

} // namespace
} // namespace orvanta

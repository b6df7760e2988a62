// Layouts through the load: their spaces, their sheets' records and viewports, and a sheet drawn
// with the model seen through a viewport.
#include "geometry/Layouts.h"
#include "load/LoadDrawing.h"
#include "render/DrawDxf.h"
#include "render/RecordingCanvas.h"
#include "render/ViewState.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

// Two layouts: "Sheet A" (the ENTITIES section's paper space, saved showing) and "Sheet B" (a
// block of its own). The model holds a line on layer 0 and one on layer A; Sheet A's viewport
// shows the model at 2:1 around (5, 0) with layer A frozen, Sheet B's the same with a twist of
// 90 degrees, clipped by a triangle.
std::string TwoSheets() {
    return Dxf(
        {"0", "SECTION", "2", "HEADER", "9", "$TILEMODE", "70", "0", "0", "ENDSEC", "0", "SECTION",
         "2", "TABLES", "0", "TABLE", "2", "LAYER", "0", "LAYER", "5", "10", "2", "0", "62", "7",
         "0", "LAYER", "5", "11", "2", "A", "62", "1", "0", "ENDTAB", "0", "TABLE", "2",
         "BLOCK_RECORD", "0", "BLOCK_RECORD", "5", "1F", "2", "*Model_Space", "0", "BLOCK_RECORD",
         "5", "2A", "2", "*Paper_Space", "340", "2B", "0", "BLOCK_RECORD", "5", "3A", "2",
         "*Paper_Space0", "340", "3B", "0", "ENDTAB", "0", "ENDSEC",
         // Sheet B: a line, the sheet's own window, and a twisted, clipped viewport.
         "0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "*Paper_Space0", "10", "0", "20", "0",
         "0", "LINE", "8", "0", "10", "0", "20", "0", "11", "100", "21", "0", "0", "VIEWPORT", "5",
         "40", "8", "0", "10", "50", "20", "50", "40", "100", "41", "100", "68", "0", "69", "0",
         "90", "32768", "12", "50", "22", "50", "45", "100", "0", "LWPOLYLINE", "5", "41", "8", "0",
         "90", "3", "70", "1", "10", "30", "20", "40", "10", "70", "20", "40", "10", "50", "20",
         "70", "0", "VIEWPORT", "5", "42", "8", "0", "10", "50", "20", "50", "40", "40", "41", "20",
         "68", "0", "69", "0", "90", "98304", "12", "5", "22", "0", "45", "10", "51", "90", "340",
         "41", "0", "ENDBLK", "0", "ENDSEC",
         // The model and Sheet A.
         "0", "SECTION", "2", "ENTITIES", "0", "LINE", "8", "0", "10", "0", "20", "0", "11", "0",
         "21", "10", "0", "LINE", "8", "A", "10", "0", "20", "0", "11", "10", "21", "0", "0",
         "LINE", "67", "1", "8", "0", "10", "0", "20", "0", "11", "100", "21", "100", "0",
         "VIEWPORT", "67", "1", "8", "0", "10", "50", "20", "50", "40", "100", "41", "100", "68",
         "1", "69", "1", "90", "32768", "12", "50", "22", "50", "45", "100", "0", "VIEWPORT", "67",
         "1", "8", "0", "10", "50", "20", "50", "40", "40", "41", "20", "68", "2", "69", "2", "90",
         "32768", "12", "5", "22", "0", "45", "10", "331", "11", "0", "ENDSEC", "0", "SECTION", "2",
         "OBJECTS", "0", "LAYOUT", "5", "3B", "100", "AcDbLayout", "1", "Sheet B", "71", "2", "330",
         "3A", "0", "LAYOUT", "5", "2B", "100", "AcDbLayout", "1", "Sheet A", "71", "1", "330",
         "2A", "0", "LAYOUT", "5", "22", "100", "AcDbLayout", "1", "Model", "71", "0", "330", "1F",
         "0", "ENDSEC"});
}

Drawing LoadTwoSheets() {
    Drawing d = ReadText(TwoSheets());
    NormaliseDrawing(d);
    return d;
}

TEST(Layouts, SheetsTakeSpacesInTabOrderAndOpenAsSaved) {
    const Drawing d = LoadTwoSheets();
    ASSERT_EQ(d.LayoutAry.size(), 2u);
    EXPECT_EQ(d.LayoutAry[0].name, "Sheet A");
    EXPECT_EQ(d.LayoutAry[0].space, 1);
    EXPECT_EQ(d.LayoutAry[1].space, 2);
    EXPECT_EQ(SavedLayout(d), 0);
    EXPECT_EQ(OpeningSpace(d), 1);
    EXPECT_EQ(OpeningSpace(d, true), 0);
    // Sheet B's block was placed in its own space; the model keeps its two lines.
    int model = 0, sheetA = 0, sheetB = 0;
    for (const TAcadLineBlk& line : d.LineAry) {
        model += line.code67 == 0;
        sheetA += line.code67 == 1;
        sheetB += line.code67 == 2;
    }
    EXPECT_EQ(model, 2);
    EXPECT_EQ(sheetA, 1);
    EXPECT_GE(sheetB, 1); // its line, and the triangle that clips its viewport
    // The first window of each sheet is the sheet's own; the triangle clips Sheet B's other.
    ASSERT_EQ(d.ViewportAry.size(), 4u);
    for (const TViewport& v : d.ViewportAry)
        EXPECT_NE(v.space, 0);
    const TViewport& clipped = d.ViewportAry[1];
    EXPECT_FALSE(ViewportShown(d.ViewportAry[0]));
    EXPECT_TRUE(ViewportShown(clipped));
    EXPECT_EQ(clipped.clip.size(), 3u);
}

// The sheet of `space` drawn at one paper unit per pixel, (50, 50) at pixel (100, 100).
RecordingCanvas DrawSheet(const Drawing& d, std::int16_t space) {
    DrawOptions options;
    options.view = {{50, 50, 0}, 200, 200, {100, 100}, 200, 200, 1, space};
    options.clipping = Clipping::WholeExtent;
    RecordingCanvas canvas;
    DrawDxf(d, options, canvas);
    return canvas;
}

TEST(Layouts, AViewportShowsTheModelAtItsScaleWithoutItsFrozenLayers) {
    const RecordingCanvas canvas = DrawSheet(LoadTwoSheets(), 1);
    const std::vector<CanvasCall>& calls = canvas.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().kind, CanvasCall::Kind::FillPolygon) << "the paper first";
    const auto clips = canvas.callsOf(CanvasCall::Kind::SetClip);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].rings[0][0], (TPoint{80, 110}));
    EXPECT_EQ(clips[0].rings[0][2], (TPoint{120, 90}));
    // The model line (0, 0)-(0, 10) at 2:1 around (5, 0): 10 pixels left of the window's centre,
    // 20 pixels long; the line on layer A is frozen in this window. Then the sheet's own line.
    const auto lines = canvas.callsOf(CanvasCall::Kind::LineTo);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].args[0], 90);
    EXPECT_EQ(lines[0].args[1], 80);
    EXPECT_EQ(lines[1].args[0], 150);
    EXPECT_EQ(lines[1].args[1], 50);
    EXPECT_EQ(canvas.callsOf(CanvasCall::Kind::ClearClip).size(), 1u);
}

TEST(Layouts, ATwistedViewportTurnsTheModelInsideItsClipShape) {
    const RecordingCanvas canvas = DrawSheet(LoadTwoSheets(), 2);
    const auto clips = canvas.callsOf(CanvasCall::Kind::SetClip);
    ASSERT_EQ(clips.size(), 1u);
    EXPECT_EQ(clips[0].rings[0].size(), 3u);
    // Turned a quarter counterclockwise about the window's centre, the layer-0 line, from
    // (90, 100) up to (90, 80) unturned, runs from (100, 110) to the left.
    const auto moves = canvas.callsOf(CanvasCall::Kind::MoveTo);
    const auto lines = canvas.callsOf(CanvasCall::Kind::LineTo);
    bool turned = false;
    for (std::size_t i = 0; i < lines.size() && i < moves.size(); ++i)
        turned |= moves[i].args[0] == 100 && moves[i].args[1] == 110 && lines[i].args[0] == 80 &&
                  lines[i].args[1] == 110;
    EXPECT_TRUE(turned) << canvas.log();
}

TEST(Layouts, BrokenSheetsAndWindowsAreCountedNotDrawn) {
    // A layout whose block is missing, a window without a view height and one whose boundary
    // names nothing.
    Drawing d = ReadText(Dxf({"0",   "SECTION",
                              "2",   "TABLES",
                              "0",   "TABLE",
                              "2",   "BLOCK_RECORD",
                              "0",   "BLOCK_RECORD",
                              "5",   "2A",
                              "2",   "*Paper_Space",
                              "340", "2B",
                              "0",   "BLOCK_RECORD",
                              "5",   "3A",
                              "2",   "*Paper_Space7",
                              "340", "3B",
                              "0",   "ENDTAB",
                              "0",   "ENDSEC",
                              "0",   "SECTION",
                              "2",   "ENTITIES",
                              "0",   "LINE",
                              "10",  "0",
                              "20",  "0",
                              "11",  "1",
                              "21",  "1",
                              "0",   "VIEWPORT",
                              "67",  "1",
                              "10",  "5",
                              "20",  "5",
                              "40",  "10",
                              "41",  "10",
                              "68",  "1",
                              "69",  "1",
                              "45",  "10",
                              "0",   "VIEWPORT",
                              "67",  "1",
                              "10",  "5",
                              "20",  "5",
                              "40",  "4",
                              "41",  "4",
                              "68",  "2",
                              "69",  "2",
                              "45",  "0",
                              "0",   "VIEWPORT",
                              "67",  "1",
                              "10",  "5",
                              "20",  "5",
                              "40",  "4",
                              "41",  "4",
                              "68",  "3",
                              "69",  "3",
                              "45",  "2",
                              "340", "FF",
                              "0",   "ENDSEC",
                              "0",   "SECTION",
                              "2",   "OBJECTS",
                              "0",   "LAYOUT",
                              "5",   "2B",
                              "100", "AcDbLayout",
                              "1",   "One",
                              "71",  "1",
                              "330", "2A",
                              "0",   "LAYOUT",
                              "5",   "3B",
                              "100", "AcDbLayout",
                              "1",   "Two",
                              "71",  "2",
                              "330", "3A",
                              "0",   "ENDSEC"}));
    NormaliseDrawing(d);
    ASSERT_EQ(d.LayoutAry.size(), 1u);
    EXPECT_EQ(d.SkippedLayouts, 1u);
    EXPECT_EQ(d.SkippedViewports, 2u);
    // The window with the dangling boundary still shows the model, in its rectangle.
    EXPECT_EQ(DrawSheet(d, 1).callsOf(CanvasCall::Kind::SetClip).size(), 1u);
}

TEST(Layouts, EachSheetCountsItsOwnRecordsAsRead) {
    const std::string path = testing::TempDir() + "/two_sheets.dxf";
    std::ofstream(path) << TwoSheets();
    const LoadedDrawing loaded = LoadDrawingFile(path);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    ASSERT_EQ(loaded.sheetCounts.size(), 3u);
    EXPECT_EQ(loaded.sheetCounts[0][1].count, 2u); // the model's lines
    EXPECT_EQ(loaded.sheetCounts[1][1].count, 1u); // Sheet A's
    EXPECT_EQ(loaded.sheetCounts[2][1].count, 1u); // Sheet B's, from its block
    EXPECT_EQ(loaded.sheetCounts[2][2].count, 1u); // and the triangle
    EXPECT_EQ(loaded.sheetCounts[2][0].count, 2u); // layers count whole
}

TEST(Layouts, WithoutLayoutObjectsEveryPaperBlockThatHoldsRecordsIsASheet) {
    Drawing d = ReadText(Dxf({"0",  "SECTION",
                              "2",  "BLOCKS",
                              "0",  "BLOCK",
                              "2",  "*Paper_Space1",
                              "10", "0",
                              "20", "0",
                              "0",  "LINE",
                              "8",  "0",
                              "10", "0",
                              "20", "0",
                              "11", "1",
                              "21", "1",
                              "0",  "ENDBLK",
                              "0",  "BLOCK",
                              "2",  "*Paper_Space2",
                              "10", "0",
                              "20", "0",
                              "0",  "ENDBLK",
                              "0",  "ENDSEC",
                              "0",  "SECTION",
                              "2",  "ENTITIES",
                              "0",  "LINE",
                              "67", "1",
                              "8",  "0",
                              "10", "0",
                              "20", "0",
                              "11", "5",
                              "21", "5",
                              "0",  "ENDSEC"}));
    NormaliseDrawing(d);
    ASSERT_EQ(d.LayoutAry.size(), 2u);
    EXPECT_EQ(d.LayoutAry[0].name, "Layout1");
    EXPECT_EQ(d.LayoutAry[0].space, 1);
    EXPECT_EQ(d.LayoutAry[1].name, "Layout2");
    EXPECT_EQ(d.LayoutAry[1].space, 2);
}

TEST(Layouts, AViewFromTheSouthWestSeesTheModelsPlaneAsAnIsometric) {
    TViewport v;
    v.viewDirection = {-1, -1, 1};
    // On the screen (y down) the model's x axis runs right and up, its y axis left and up.
    const ScreenMap m = ViewportScreenMap(v);
    EXPECT_NEAR(m.a, std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(m.c, -std::sqrt(1.0 / 6), 1e-9);
    EXPECT_NEAR(-m.b, -std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(-m.d, -std::sqrt(1.0 / 6), 1e-9);
    // Looking straight down is the plan: nothing to map.
    EXPECT_TRUE(ViewportScreenMap(TViewport{}).identity());
}

} // namespace
} // namespace orvanta

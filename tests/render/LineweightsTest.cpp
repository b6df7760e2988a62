// Lineweights from the file to the pen: layers, records, blocks and the mapping to pixels.
#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/RecordingCanvas.h"

#include "support/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

TEST(Lineweights, MappedToPixelsNeverThinnerThanThePen) {
    const LineweightDisplay off{};
    const LineweightDisplay screen{true, 96};
    const LineweightDisplay printer{true, 600};
    EXPECT_EQ(LineweightPen(211, 1, off), 1) << "off: the one pen width";
    EXPECT_EQ(LineweightPen(25, 1, screen), 1);
    EXPECT_EQ(LineweightPen(100, 1, screen), 4);
    EXPECT_EQ(LineweightPen(211, 1, screen), 8);
    EXPECT_EQ(LineweightPen(0, 1, screen), 1);
    EXPECT_EQ(LineweightPen(50, 3, screen), 3) << "never thinner than the chosen pen";
    EXPECT_EQ(LineweightPen(50, 1, printer), 12);
    EXPECT_EQ(LineweightPen(32767, 1, screen), 8) << "an absurd weight is held to 2.11 mm";
    EXPECT_EQ(LineweightPen(100, 1, {true, 0}), 4) << "no resolution: the screen's";
}

// Layer THICK weighs 1 mm, layer W 0.5 mm. Block K holds a by-block line (y 0), a line on layer
// 0 by layer (y 1) and a line of its own 0.3 mm (y 2); it is placed by an INSERT on W of weight
// 2.11 mm and one on W by layer.
// clang-format off
const std::string WeightedDrawing = Dxf({
    "0", "SECTION", "2", "HEADER", "9", "$LWDEFAULT", "370", "18",
    "0", "ENDSEC",
    "0", "SECTION", "2", "TABLES",
    "0", "TABLE", "2", "LAYER",
    "0", "LAYER", "2", "0", "62", "7", "70", "0",
    "0", "LAYER", "2", "THICK", "62", "7", "70", "0", "370", "100",
    "0", "LAYER", "2", "W", "62", "7", "70", "0", "370", "50",
    "0", "ENDTAB",
    "0", "ENDSEC",
    "0", "SECTION", "2", "BLOCKS",
    "0", "BLOCK", "8", "0", "2", "K", "70", "0", "10", "0", "20", "0", "30", "0",
    "0", "LINE", "8", "THICK", "370", "-2", "10", "0", "20", "0", "11", "5", "21", "0",
    "0", "LINE", "8", "0", "10", "0", "20", "1", "11", "5", "21", "1",
    "0", "LINE", "8", "THICK", "370", "30", "10", "0", "20", "2", "11", "5", "21", "2",
    "0", "ENDBLK",
    "0", "ENDSEC",
    "0", "SECTION", "2", "ENTITIES",
    "0", "LINE", "8", "THICK", "10", "0", "20", "-10", "11", "5", "21", "-10",
    "0", "LINE", "8", "THICK", "370", "-3", "10", "0", "20", "-11", "11", "5", "21", "-11",
    "0", "CIRCLE", "8", "0", "370", "70", "10", "0", "20", "-20", "40", "1",
    "0", "INSERT", "8", "W", "370", "211", "2", "K", "10", "0", "20", "10",
    "0", "INSERT", "8", "W", "2", "K", "10", "0", "20", "20",
    "0", "ENDSEC",
    "0", "EOF"});
// clang-format on

TEST(Lineweights, ResolvedFromLayersBlocksAndTheHeader) {
    Drawing d = ReadText(WeightedDrawing);
    NormaliseDrawing(d);
    const auto weightAt = [&](double y) {
        const auto it = std::find_if(d.LineAry.begin(), d.LineAry.end(),
                                     [&](const TAcadLineBlk& l) { return l.st.y == y; });
        return it == d.LineAry.end() ? std::int16_t{-99} : it->code370;
    };
    EXPECT_EQ(weightAt(-10), 100) << "by layer";
    EXPECT_EQ(weightAt(-11), 18) << "default: $LWDEFAULT";
    EXPECT_EQ(weightAt(10), 211) << "by block: the insert's own weight";
    EXPECT_EQ(weightAt(11), 50) << "layer 0 takes the insert's layer";
    EXPECT_EQ(weightAt(12), 30) << "a block's own weight stays";
    EXPECT_EQ(weightAt(20), 50) << "by block of a by-layer insert: the insert's layer";
    ASSERT_EQ(d.CircleAry.size(), 1u);
    EXPECT_EQ(d.CircleAry[0].code370, 70);
}

TEST(Lineweights, DrawnOnlyWhenShown) {
    Drawing d = ReadText(WeightedDrawing);
    NormaliseDrawing(d);
    DrawOptions options;
    options.view = {{0, 0, 0}, 100, 100, {50, 50}, 100, 100, 1};
    const auto widths = [&](bool shown) {
        options.lineweights.shown = shown;
        RecordingCanvas canvas;
        DrawDxf(d, options, canvas);
        std::vector<int> result;
        for (const CanvasCall& call : canvas.callsOf(CanvasCall::Kind::SetPen))
            result.push_back(call.width);
        std::sort(result.begin(), result.end());
        return result;
    };
    EXPECT_EQ(widths(false), std::vector<int>(9, 1));
    // 0.18, 0.3, 0.3, 0.5, 0.5, 0.5, the circle's 0.7, 1 and 2.11 mm at 96 dpi.
    EXPECT_EQ(widths(true), (std::vector<int>{1, 1, 1, 2, 2, 2, 3, 4, 8}));
}

} // namespace
} // namespace orvanta

// MULTILEADERs from the file to the canvas: leader lines, the arrowhead and the text content.
#include "load/LoadDrawing.h"
#include "render/DrawDxf.h"
#include "render/RecordingCanvas.h"

#include "Builders.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

// The layout of a real drawing's multileader: a leader line from the arrow point (40, 10) to the
// leader's last point (20, 20), a dogleg of 5 to the left, the text at (10, 22) attached by its
// top right corner. The codes after the context (10/20/30 of the block scale, 41 and 42) mean
// other things than inside it.
// clang-format off
const char* const MLeaderEntity[] = {
    "0", "MULTILEADER", "8", "NOTES", "62", "3", "100", "AcDbMLeader", "270", "2",
    "300", "CONTEXT_DATA{", "40", "1.0", "10", "99", "20", "99", "30", "0", "41", "2.5",
    "140", "3", "145", "0.5", "290", "1",
    "304", "VERTICAL\\PMULLION", "11", "0", "21", "0", "31", "1", "12", "10", "22", "22",
    "32", "0", "13", "1", "23", "0", "33", "0", "42", "0", "43", "0", "171", "3", "110", "0",
    "120", "0", "130", "0",
    "302", "LEADER{", "290", "1", "291", "1", "10", "20", "20", "20", "30", "0", "11", "-1",
    "21", "0", "31", "0", "90", "1", "40", "5",
    "304", "LEADER_LINE{", "10", "40", "20", "10", "30", "0", "91", "0", "305", "}", "271", "0",
    "303", "}", "272", "9",
    "301", "}", "340", "C1C", "171", "-1", "290", "1", "291", "1", "41", "7", "42", "9",
    "172", "2", "10", "1", "20", "1", "30", "1"};
// clang-format on

std::string MLeaderDrawing(bool inBlock) {
    std::string entity;
    for (const char* line : MLeaderEntity)
        entity += std::string(line) + "\n";
    const std::string head = inBlock ? Dxf({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "8", "0",
                                            "2", "M", "70", "0", "10", "0", "20", "0"})
                                     : Dxf({"0", "SECTION", "2", "ENTITIES"});
    const std::string tail =
        inBlock ? Dxf({"0",  "ENDBLK", "0",  "ENDSEC", "0", "SECTION", "2",  "ENTITIES",
                       "0",  "INSERT", "8",  "0",      "2", "M",       "10", "100",
                       "20", "0",      "50", "90",     "0", "ENDSEC",  "0",  "EOF"})
                : Dxf({"0", "ENDSEC", "0", "EOF"});
    return head + entity + tail;
}

TEST(MLeaders, LinesArrowheadAndTextInTheModel) {
    Drawing d = ReadText(MLeaderDrawing(false));
    EXPECT_EQ(OtherCounts(d)[5].count, 1u);
    NormaliseDrawing(d);
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 40, 10, 0);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, 20, 20, 0);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 15, 20, 0); // the dogleg, 5 to the left
    EXPECT_EQ(d.LineAry[0].layer, "NOTES");
    EXPECT_EQ(d.LineAry[0].color, 3);
    // A closed filled arrowhead 3 long and 1/3 of that wide, pointing at (40, 10).
    ASSERT_EQ(d.FillAry.size(), 1u);
    ASSERT_EQ(d.FillAry[0].rings.size(), 1u);
    const auto& ring = d.FillAry[0].rings[0];
    ASSERT_EQ(ring.size(), 3u);
    EXPECT_POINT_NEAR(ring[0], 40, 10, 0);
    const double back = 3 / std::sqrt(500.0);
    EXPECT_POINT_NEAR(ring[1], 40 - 20 * back + 10 * back / 6, 10 + 10 * back + 20 * back / 6,
                      1e-12);
    ASSERT_EQ(d.TextAry.size(), 1u);
    const TTextBlk& text = d.TextAry[0];
    EXPECT_TRUE(text.mtflag);
    EXPECT_EQ(text.str, "VERTICAL\\PMULLION");
    EXPECT_POINT_NEAR(text.pt10, 10, 22, 0);
    EXPECT_EQ(text.code40, 2.5);
    EXPECT_EQ(text.code71, 3);

    // Through the recording canvas: the arrowhead under the lines, then the two text lines.
    DrawOptions options;
    options.view = {{25, 15, 0}, 50, 50, {50, 50}, 100, 100, 1};
    RecordingCanvas canvas;
    DrawDxf(d, options, canvas);
    const auto fills = canvas.callsOf(CanvasCall::Kind::FillPolygon);
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rings[0][0], (TPoint{80, 60}));
    EXPECT_EQ(canvas.callsOf(CanvasCall::Kind::LineTo).size(), 2u);
    const auto texts = canvas.callsOf(CanvasCall::Kind::TextOut);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "VERTICAL");
    EXPECT_EQ(texts[1].text, "MULLION");
    // Attached by its top right corner without a reference width: the text ends at its point,
    // (10, 22) at pixel (20, 36), rather than starting there, and its lines are right-aligned.
    EXPECT_LT(texts[0].args[0], 20 - 8);
    EXPECT_GT(texts[1].args[0], texts[0].args[0]);
}

TEST(MLeaders, PlacedWithTheirBlock) {
    Drawing d = ReadText(MLeaderDrawing(true));
    NormaliseDrawing(d);
    // The insert turns the block a quarter about (100, 0): (x, y) lands at (100 - y, x).
    ASSERT_EQ(d.LineAry.size(), 2u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, 90, 40, 1e-9);
    EXPECT_POINT_NEAR(d.LineAry[1].ed, 80, 15, 1e-9);
    ASSERT_EQ(d.FillAry.size(), 1u);
    EXPECT_POINT_NEAR(d.FillAry[0].rings[0][0], 90, 40, 1e-9);
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, 78, 10, 1e-9);
}

} // namespace
} // namespace orvanta

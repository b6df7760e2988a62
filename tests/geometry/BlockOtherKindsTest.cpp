// Ellipses, 3D faces, leaders and attribute definitions inside block definitions, placed by
// their inserts.
#include "load/LoadDrawing.h"

#include "Builders.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

// Block B holds an ellipse about (10, 0), a face, a two-vertex leader and three attribute
// definitions: constant, variable and constant but invisible. The INSERT looks at the block from
// below (extrusion (0, 0, -1)), which mirrors x.
// clang-format off
const std::string BlockKinds = Dxf({
    "0", "SECTION", "2", "BLOCKS",
    "0", "BLOCK", "8", "0", "2", "B", "70", "2", "10", "0", "20", "0",
    "0", "ELLIPSE", "8", "0", "10", "10", "20", "0", "30", "0", "11", "2", "21", "0", "31", "0",
    "40", "0.5", "41", "0", "42", "6.283185307179586",
    "0", "3DFACE", "8", "0", "10", "0", "20", "0", "11", "1", "21", "0", "12", "1", "22", "1",
    "0", "LEADER", "8", "0", "76", "2", "10", "0", "20", "0", "30", "0", "10", "0", "20", "5",
    "30", "0",
    "0", "ATTDEF", "8", "0", "10", "3", "20", "4", "40", "1", "1", "CONST", "3", "Prompt",
    "2", "TAG1", "70", "2",
    "0", "ATTDEF", "8", "0", "10", "3", "20", "6", "40", "1", "1", "VAR", "3", "Prompt",
    "2", "TAG2", "70", "0",
    "0", "ATTDEF", "8", "0", "10", "3", "20", "8", "40", "1", "1", "HIDDEN", "2", "TAG3",
    "70", "3",
    "0", "ENDBLK",
    "0", "ENDSEC",
    "0", "SECTION", "2", "ENTITIES",
    "0", "ATTDEF", "8", "0", "10", "0", "20", "0", "40", "1", "1", "LOOSE", "2", "T", "70", "2",
    "0", "INSERT", "8", "0", "2", "B", "10", "0", "20", "0", "210", "0", "220", "0", "230", "-1",
    "0", "ENDSEC",
    "0", "EOF"});
// clang-format on

TEST(BlockOtherKinds, ReadIntoTheBlockTables) {
    const Drawing d = ReadText(BlockKinds);
    EXPECT_EQ(d.BlkEllipseAry.size(), 1u);
    EXPECT_EQ(d.BlkFaceAry.size(), 1u);
    EXPECT_EQ(d.BlkLeaderAry.size(), 1u);
    EXPECT_TRUE(d.EllipseAry.empty() && d.FaceAry.empty() && d.LeaderAry.empty());
    // Only the constant, visible attribute definition is a text of the block, and its prompt is
    // not part of it; none outside a block is read.
    ASSERT_EQ(d.BlkTextAry.size(), 1u);
    EXPECT_EQ(d.BlkTextAry[0].str, "CONST");
    EXPECT_TRUE(d.TextAry.empty());
}

TEST(BlockOtherKinds, PlacedThroughTheInsertsExtrusion) {
    Drawing d = ReadText(BlockKinds);
    NormaliseDrawing(d);
    ASSERT_EQ(d.CurveAry.size(), 1u);
    EXPECT_POINT_NEAR(d.CurveAry[0].center, -10, 0, 1e-12);
    EXPECT_POINT_NEAR(d.CurveAry[0].u, -2, 0, 1e-12);
    const auto chords = std::count_if(d.LineAry.begin(), d.LineAry.end(), [](const auto& line) {
        return line.convtype == ConvChordOfCurve;
    });
    EXPECT_EQ(chords, 36);
    for (const TAcadLineBlk& line : d.LineAry)
        if (line.convtype == ConvChordOfCurve) {
            EXPECT_LE(line.st.x, -7.99);
        }
    // The face's three edges and the leader's segment, mirrored.
    std::vector<std::pair<double, double>> ends;
    for (const TAcadLineBlk& line : d.LineAry)
        if (line.convtype != ConvChordOfCurve) ends.emplace_back(line.ed.x, line.ed.y);
    EXPECT_EQ(ends, (std::vector<std::pair<double, double>>{{-1, 0}, {-1, 1}, {0, 0}, {0, 5}}));
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, -3, 4, 1e-12);
}

} // namespace
} // namespace orvanta

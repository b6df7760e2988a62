// Loads that once gave wrong pictures: block contents with their own extrusion, inserts with an
// extrusion, paper-space ellipses and leaders, MTEXT with an extrusion, a file cut off inside a
// text, and notes beside a plan.
#include "load/LoadDrawing.h"

#include "Builders.h"
#include "support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

// A block "M" whose arc (centre (5, 0), radius 1, 0° to 90°) lies in the object coordinates of
// extrusion (0, 0, -1), and whose line lies in the world XY plane, placed by `insert`.
Drawing MirroredArcBlock(std::initializer_list<const char*> insert) {
    std::string dxf = Dxf(
        {"0",    "SECTION", "2",   "BLOCKS", "0",   "BLOCK",   "2",   "M",       "10",  "0",  "20",
         "0",    "0",       "ARC", "8",      "0",   "10",      "5",   "20",      "0",   "40", "1",
         "50",   "0",       "51",  "90",     "210", "0",       "220", "0",       "230", "-1", "0",
         "LINE", "8",       "0",   "10",     "1",   "20",      "0",   "11",      "2",   "21", "0",
         "0",    "ENDBLK",  "0",   "ENDSEC", "0",   "SECTION", "2",   "ENTITIES"});
    dxf += Dxf(insert);
    dxf += Dxf({"0", "ENDSEC", "0", "EOF"});
    Drawing d = ReadText(dxf);
    NormaliseDrawing(d);
    return d;
}

TEST(Extrusion, BlockArcKeepsItsOwnObjectCoordinates) {
    const Drawing d = MirroredArcBlock({"0", "INSERT", "2", "M", "10", "0", "20", "0"});
    ASSERT_EQ(d.ArcAry.size(), 1u);
    const TArcBlk& arc = d.ArcAry[0];
    EXPECT_POINT_NEAR(arc.center, -5, 0, 1e-12);
    // 0°..90° seen from below is 90°..180° seen from above: x from -6 to -5.
    EXPECT_NEAR(std::fmod(arc.st + 720, 360), 90, 1e-9);
    EXPECT_NEAR(arc.ed - arc.st, 90, 1e-9);
    EXPECT_NEAR(d.ExtMin.x, -6, 1e-9);
    EXPECT_NEAR(d.ExtMax.x, 2, 1e-9);
}

TEST(Extrusion, InsertAppliesItsOwnExtrusion) {
    // The insert's point (3, 0) is in its object coordinates: (-3, 0) in the world, and the
    // block is mirrored with it, so its tilted arc comes back to where it was drawn.
    const Drawing d = MirroredArcBlock(
        {"0", "INSERT", "2", "M", "10", "3", "20", "0", "210", "0", "220", "0", "230", "-1"});
    ASSERT_EQ(d.LineAry.size(), 1u);
    EXPECT_POINT_NEAR(d.LineAry[0].st, -4, 0, 1e-12);
    EXPECT_POINT_NEAR(d.LineAry[0].ed, -5, 0, 1e-12);
    ASSERT_EQ(d.ArcAry.size(), 1u);
    EXPECT_POINT_NEAR(d.ArcAry[0].center, 2, 0, 1e-12);
    EXPECT_NEAR(std::fmod(d.ArcAry[0].st + 720, 360), 0, 1e-9);
    EXPECT_NEAR(d.ArcAry[0].ed - d.ArcAry[0].st, 90, 1e-9);
}

TEST(Extrusion, TiltedInsertTurnsCirclesIntoChords) {
    // Extrusion (1, 0, 0): the block's XY plane stands upright, its arc seen edge-on.
    const Drawing d = MirroredArcBlock(
        {"0", "INSERT", "2", "M", "10", "0", "20", "0", "210", "1", "220", "0", "230", "0"});
    EXPECT_TRUE(d.ArcAry.empty());
    EXPECT_GT(d.LineAry.size(), 10u);
    for (const TAcadLineBlk& line : d.LineAry)
        EXPECT_NEAR(line.st.x, 0, 1e-9);
}

TEST(Extrusion, MTextPointStaysInWorldCoordinates) {
    Drawing d = ReadText(
        Dxf({"0",   "SECTION", "2",   "ENTITIES", "0",   "MTEXT", "8",  "0",      "10", "10",
             "20",  "5",       "40",  "2",        "1",   "note",  "11", "1",      "21", "0",
             "210", "0",       "220", "0",        "230", "-1",    "0",  "ENDSEC", "0",  "EOF"}));
    NormaliseDrawing(d);
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_POINT_NEAR(d.TextAry[0].pt10, 10, 5, 0);
    EXPECT_POINT_NEAR(d.TextAry[0].pt11, 1, 0, 0);
}

TEST(PaperSpace, EllipsesAndLeadersStayOutOfTheModel) {
    Drawing d = ReadText(
        Dxf({"0",  "SECTION", "2",  "ENTITIES", "0",   "LINE", "8",   "0",  "10",
             "0",  "20",      "0",  "11",       "10",  "21",   "10",  "0",  "ELLIPSE",
             "8",  "0",       "67", "1",        "10",  "50",   "20",  "50", "11",
             "50", "21",      "0",  "40",       "0.5", "41",   "0",   "42", "6.283185307179586",
             "0",  "LEADER",  "8",  "0",        "67",  "1",    "76",  "2",  "10",
             "0",  "20",      "0",  "10",       "-90", "20",   "-90", "0",  "ENDSEC",
             "0",  "EOF"}));
    NormaliseDrawing(d);
    EXPECT_GT(d.LineAry.size(), 10u);
    EXPECT_EQ(CountDrawable(d).lines, 1u);
    EXPECT_POINT_NEAR(d.ExtMin, 0, 0, 0);
    EXPECT_POINT_NEAR(d.ExtMax, 10, 10, 0);
}

TEST(Reader, FileEndingInsideATextKeepsItsString) {
    const Drawing d =
        ReadText("0\nSECTION\n2\nENTITIES\n0\nTEXT\n8\n0\n10\n1\n20\n2\n40\n1\n1\nabc\n");
    ASSERT_EQ(d.TextAry.size(), 1u);
    EXPECT_EQ(d.TextAry[0].str, "abc");
}

TEST(Extents, IncludeNotesBesideThePlan) {
    Drawing d = ReadText(
        Dxf({"0",  "SECTION", "2",  "ENTITIES", "0", "LINE",   "8", "0",  "10", "0",     "20", "0",
             "11", "10",      "21", "10",       "0", "TEXT",   "8", "0",  "10", "100",   "20", "0",
             "40", "2",       "1",  "NOTES",    "0", "TEXT",   "8", "0",  "10", "1e308", "20", "0",
             "40", "1e308",   "1",  "huge",     "0", "ENDSEC", "0", "EOF"}));
    NormaliseDrawing(d);
    EXPECT_GT(d.ExtMax.x, 105);
    EXPECT_LT(d.ExtMax.x, 120);
    EXPECT_EQ(d.ExtMin.x, 0);
}

} // namespace
} // namespace orvanta

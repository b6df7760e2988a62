// Clip boundaries of block references: the links from an INSERT to its SPATIAL_FILTER, and the
// boundary taken into the block's coordinates.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

// An INSERT of block K at (5, 5) whose extension dictionary `dictionary` leads through an
// ACAD_FILTER dictionary to the filter with these pairs (after its handle F1).
std::string ClippedInsert(const std::string& filterPairs, const char* enabled = "1") {
    return Dxf({"0",   "SECTION",
                "2",   "BLOCKS",
                "0",   "BLOCK",
                "2",   "K",
                "10",  "1",
                "20",  "0",
                "0",   "ENDBLK",
                "0",   "ENDSEC",
                "0",   "SECTION",
                "2",   "ENTITIES",
                "0",   "INSERT",
                "5",   "A1",
                "102", "{ACAD_XDICTIONARY",
                "360", "D1",
                "102", "}",
                "8",   "0",
                "2",   "K",
                "10",  "5",
                "20",  "5",
                "0",   "ENDSEC",
                "0",   "SECTION",
                "2",   "OBJECTS",
                "0",   "DICTIONARY",
                "5",   "D1",
                "3",   "ACAD_FILTER",
                "360", "D2",
                "0",   "DICTIONARY",
                "5",   "D2",
                "3",   "SPATIAL",
                "360", "F1",
                "0",   "SPATIAL_FILTER",
                "5",   "F1",
                "100", "AcDbSpatialFilter"}) +
           filterPairs + Dxf({"71", enabled, "0", "ENDSEC", "0", "EOF"});
}

TEST(SpatialFilters, AnInsertTakesTheBoundaryItsDictionariesLeadTo) {
    // A rectangle by two corners, clipped with a front plane; the inverse block transformation
    // moves by (-5, -5), the boundary's own system is the world's.
    const std::string inverse =
        Dxf({"40", "1", "40", "0",  "40", "0", "40", "-5", "40", "0", "40", "1",
             "40", "0", "40", "-5", "40", "0", "40", "0",  "40", "1", "40", "0"});
    const std::string identity =
        Dxf({"40", "1", "40", "0", "40", "0", "40", "0", "40", "0", "40", "1",
             "40", "0", "40", "0", "40", "0", "40", "0", "40", "1", "40", "0"});
    const Drawing d = ReadText(ClippedInsert(
        Dxf({"70", "2", "10", "6", "20", "7", "10", "9", "20", "8", "72", "1", "40", "2.5"}) +
        inverse + identity));
    ASSERT_EQ(d.InsertAry.size(), 1u);
    ASSERT_EQ(d.InsertAry[0].clip, 0);
    ASSERT_EQ(d.ClipAry.size(), 1u);
    const std::vector<TAcadPoint>& b = d.ClipAry[0];
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b[0].x, 1);
    EXPECT_EQ(b[0].y, 2);
    EXPECT_EQ(b[2].x, 4);
    EXPECT_EQ(b[2].y, 3);

    // Without matrices the boundary is taken back through the reference's own placement (block
    // base (1, 0), insertion point (5, 5)); the number of points a filter claims is not trusted.
    const Drawing polygon = ReadText(ClippedInsert(
        Dxf({"70", "32767", "10", "5", "20", "5", "10", "8", "20", "5", "10", "5", "20", "9"})));
    ASSERT_EQ(polygon.ClipAry.size(), 1u);
    ASSERT_EQ(polygon.ClipAry[0].size(), 3u);
    EXPECT_NEAR(polygon.ClipAry[0][1].x, 4, 1e-12);
    EXPECT_NEAR(polygon.ClipAry[0][2].y, 4, 1e-12);
}

TEST(SpatialFilters, AFilterSwitchedOffOrWithoutAnAreaLeavesTheReferenceWhole) {
    const std::string triangle =
        Dxf({"10", "0", "20", "0", "10", "1", "20", "0", "10", "0", "20", "1"});
    EXPECT_EQ(ReadText(ClippedInsert(triangle, "0")).InsertAry[0].clip, NoClip);
    const std::string line =
        Dxf({"10", "0", "20", "0", "10", "1", "20", "1", "10", "2", "20", "2"});
    EXPECT_EQ(ReadText(ClippedInsert(line)).InsertAry[0].clip, NoClip);
    EXPECT_TRUE(ReadText(ClippedInsert(line)).ClipAry.empty());
}

} // namespace
} // namespace orvanta

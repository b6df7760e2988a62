// Printing at a scale: drawing units in millimetres, and the share of a range a paper holds.
#include "geometry/PrintScale.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(PrintScale, UnitsInMillimetresFromTheHeader) {
    const Drawing metres = test::ReadText(
        test::Dxf({"0", "SECTION", "2", "HEADER", "9", "$INSUNITS", "70", "6", "0", "ENDSEC"}));
    EXPECT_EQ(metres.InsUnits, 6);
    EXPECT_DOUBLE_EQ(MillimetresPerUnit(metres.InsUnits), 1000);
    EXPECT_DOUBLE_EQ(MillimetresPerUnit(1), 25.4);
    EXPECT_DOUBLE_EQ(MillimetresPerUnit(0), 1) << "no units: millimetres";
    EXPECT_DOUBLE_EQ(MillimetresPerUnit(19), 1) << "light years: millimetres";
}

TEST(PrintScale, ShareOfARangeOnThePaper) {
    // 30 x 20 m at 1:100 is 300 x 200 mm: all of it on A3 landscape, 297 of its 300 mm across
    // on A4 landscape.
    EXPECT_DOUBLE_EQ(ShareOnPaper(30000, 20000, 420, 297, 100, 1), 1);
    EXPECT_DOUBLE_EQ(ShareOnPaper(30000, 20000, 297, 210, 100, 1), 0.99);
    EXPECT_DOUBLE_EQ(ShareOnPaper(30, 20, 150, 100, 100, 1000), 0.5 * 0.5);
    EXPECT_DOUBLE_EQ(ShareOnPaper(0, 0, 210, 297, 1, 1), 1);
}

} // namespace
} // namespace orvanta

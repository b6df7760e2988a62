#include "geometry/EntityBoxes.h"
#include "geometry/Primitives.h"
#include "geometry/TextLines.h"

#include "Builders.h"

#include <cmath>

namespace orvanta {
namespace {

using test::P;

void ExpectBox(const TBox& box, double minX, double minY, double maxX, double maxY,
               double tol = 1e-12) {
    EXPECT_NEAR(box.Min.x, minX, tol);
    EXPECT_NEAR(box.Min.y, minY, tol);
    EXPECT_NEAR(box.Max.x, maxX, tol);
    EXPECT_NEAR(box.Max.y, maxY, tol);
}

TEST(ArcBox, QuadrantsTheArcPassesWidenTheBox) {
    const double g = std::sqrt(0.5);
    ExpectBox(ArcBox(P(0, 0), 1, 0, HalfPi), 0, 0, 1, 1);
    ExpectBox(ArcBox(P(0, 0), 1, Pi / 4, 3 * Pi / 4), -g, g, g, 1);
    ExpectBox(ArcBox(P(0, 0), 1, ThreeHalfPi, HalfPi), 0, -1, 1, 1);
    ExpectBox(ArcBox(P(0, 0), 1, 0, TwoPi), -1, -1, 1, 1);
    const auto deg = [](double a) { return a * DegToRad; };
    ExpectBox(ArcBox(P(0, 0), 1, deg(150), deg(210)), -1, -0.5, std::cos(deg(150)), 0.5);
    ExpectBox(ArcBox(P(0, 0), 1, deg(200), deg(300)), std::cos(deg(200)), -1, 0.5,
              std::sin(deg(200)));
    // From 100° round through 180°, 270° and 0° to 20°.
    ExpectBox(ArcBox(P(0, 0), 1, deg(100), deg(20)), -1, -1, 1, std::sin(deg(100)));
    ExpectBox(ArcBox(P(0, 0), 1, deg(280), deg(350)), std::cos(deg(280)), std::sin(deg(280)),
              std::cos(deg(350)), std::sin(deg(350)));
    ExpectBox(ArcBox(P(0, 0), 1, deg(300), deg(200)), -1, std::sin(deg(300)), 1, 1);
}

TEST(ArcBox, AnglesPastAFullTurnGetTheirTrueBox) {
    // 380°..460° is 20°..100°: the top of the circle is on the arc.
    const TBox box = ArcBox(P(0, 0), 1, 380 * DegToRad, 460 * DegToRad);
    EXPECT_NEAR(box.Max.y, 1, 1e-12);
    EXPECT_NEAR(box.Max.x, std::cos(20 * DegToRad), 1e-12);
    EXPECT_NEAR(box.Min.x, std::cos(100 * DegToRad), 1e-12);
    // Negative angles likewise: -30°..30° passes 0°.
    const TBox negative = ArcBox(P(0, 0), 1, -30 * DegToRad, 30 * DegToRad);
    EXPECT_NEAR(negative.Max.x, 1, 1e-12);
    EXPECT_NEAR(negative.Min.y, -0.5, 1e-12);
    EXPECT_NEAR(negative.Max.y, 0.5, 1e-12);
}

TEST(SegmentAndCircleBox, OrderTheirCorners) {
    ExpectBox(SegmentBox(P(3, -1), P(-2, 4)), -2, -1, 3, 4);
    ExpectBox(CircleBox(P(1, 2), 3), -2, -1, 4, 5);
}

TEST(TextBox, LeftBaselineTextReachesTwiceTheCellOffsetUp) {
    TTextBlk t = test::Text(P(0, 0), 1, "ABCD");
    const double g = std::sqrt(0.5);
    ExpectBox(TextBox(t), 0, 0, 2.04 + g, 1.71);
    // Characters are counted in UTF-16 units: four kana are four characters.
    t.str = "あいうえ";
    ExpectBox(TextBox(t), 0, 0, 2.04 + g, 1.71);
}

TEST(TextBox, AlignedTextUsesTheSecondAlignmentPoint) {
    TTextBlk t = test::Text(P(100, 100), 1, "AB");
    t.pt11 = P(0, 0);
    t.code72 = 2; // right: the text lies left of pt11
    const TBox box = TextBox(t);
    EXPECT_LT(box.Max.x, 50);
    EXPECT_NEAR(box.Min.x, -2 * 1.02, 1e-12);
}

TEST(TextBox, MTextMiddleCentreSpansItsLines) {
    TTextBlk t = test::Text(P(10, 10), 2.5, "first\\Psecond");
    t.mtflag = true;
    t.code41 = 40;
    t.code71 = 5;
    ExpectBox(TextBox(t), -10, 5.35, 30, 14.65);
    t.code71 = 7; // bottom left: above and right of the insertion point
    ExpectBox(TextBox(t), 10, 10, 50, 19.3);
}

TEST(TextLines, SplitsAtUpperCaseParagraphCodesOnly) {
    std::vector<std::string> lines{"stale"};
    EXPECT_EQ(SplitMTextLines("a\\Pb\\pc\\P", lines), 3);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "a");
    EXPECT_EQ(lines[1], "b\\pc");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(SplitMTextLines("", lines), 1);
    EXPECT_EQ(CountMTextLines("a\\Pb\\pc\\P"), 3);
    EXPECT_EQ(CountMTextLines("\\P\\P"), 3);
    EXPECT_EQ(CountMTextLines(""), 1);
}

TEST(TextLines, Utf16LengthCountsSurrogatePairsTwice) {
    EXPECT_EQ(Utf16Length("abc"), 3u);
    EXPECT_EQ(Utf16Length("日本語"), 3u);
    EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80"), 2u); // U+1F600
    EXPECT_EQ(Utf16Length(""), 0u);
}

} // namespace
} // namespace orvanta

#include "geometry/EntityBoxes.h"
#include "geometry/Primitives.h"
#include "geometry/TextLines.h"
#include "geometry/TextMetrics.h"

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

TEST(TextBox, HoldsTheLaidOutTextWithAQuarterHeightMargin) {
    // An aligned text spans its points: "AB" from (0, 0) to (0, 4), straight up, 3 high.
    TTextBlk aligned;
    aligned.str = "AB";
    aligned.code40 = 1;
    aligned.code72 = 3;
    aligned.pt11 = P(0, 4);
    const double h = 4 / EmPerHeight; // its height, taken from its span
    ExpectBox(TextBox(aligned), -(1 + 0.25) * h, -0.25 * h, DescentPerHeight * h + 0.25 * h,
              4 + 0.25 * h);
    // A centred MTEXT of one line spans its reference width around its point.
    TTextBlk note;
    note.mtflag = true;
    note.str = "x";
    note.code40 = 2;
    note.code41 = 40;
    note.code71 = 2;
    note.pt10 = P(30, 10);
    ExpectBox(TextBox(note), 10 - 0.5, 10 - 2 - 2 * DescentPerHeight - 0.5, 50 + 0.5, 10 + 0.5);
}

TEST(TextLines, CountsUpperCaseParagraphCodesOnly) {
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

TEST(TextReach, TheSquareFoundWithoutTheStringHoldsIt) {
    for (const char* str : {"Wg", "\u5C45\u9593 No.7", "\U0001F600x", ""}) {
        for (const double slant : {0.0, 30.0, -85.0, 89.0}) {
            for (const int h72 : {0, 2}) {
                TTextBlk t;
                t.str = str;
                t.pt10 = {10, -20, 0};
                t.pt11 = {40, 5, 0};
                t.code40 = 2.5;
                t.code41 = 1.7;
                t.code51 = slant;
                t.code72 = static_cast<std::int16_t>(h72);
                const TBox reach = TextReach(t, 0.1);
                const std::optional<TBox> outside = TextReachOutside(t, 0.1);
                ASSERT_TRUE(outside.has_value());
                EXPECT_LE(outside->Min.x, reach.Min.x) << str << " " << slant;
                EXPECT_LE(outside->Min.y, reach.Min.y) << str << " " << slant;
                EXPECT_GE(outside->Max.x, reach.Max.x) << str << " " << slant;
                EXPECT_GE(outside->Max.y, reach.Max.y) << str << " " << slant;
            }
        }
    }
    TTextBlk fit;
    fit.code72 = 5;
    EXPECT_FALSE(TextReachOutside(fit, 0.1).has_value());
}

} // namespace
} // namespace orvanta

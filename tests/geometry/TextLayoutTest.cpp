#include "geometry/TextLayout.h"
#include "geometry/TextMetrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace orvanta {
namespace {

// The advance of a half-width character at height 1.
constexpr double Half = EmPerHeight / 2;

TTextBlk MText(const std::string& s, double referenceWidth = 0) {
    TTextBlk t;
    t.mtflag = true;
    t.str = s;
    t.code40 = 1;
    t.code41 = referenceWidth;
    t.code71 = 1;
    return t;
}

TTextBlk Text(const std::string& s, int code72, TAcadPoint p10, TAcadPoint p11) {
    TTextBlk t;
    t.str = s;
    t.code40 = 1;
    t.code72 = static_cast<std::int16_t>(code72);
    t.pt10 = p10;
    t.pt11 = p11;
    return t;
}

// The texts of the runs, one line per distinct baseline, top to bottom.
std::vector<std::string> Lines(const TextLayout& layout) {
    std::vector<std::string> lines;
    double y = std::numeric_limits<double>::infinity();
    for (const TextRun& run : layout.runs) {
        if (run.y != y) lines.emplace_back();
        lines.back() += run.text;
        y = run.y;
    }
    return lines;
}

TEST(TextLayoutTest, ParagraphsWrapAtTheirReferenceWidth) {
    // Nine characters are 5.99 wide: two words fit in 6.5, not in 5.5.
    EXPECT_EQ(Lines(LayoutText(MText("aaaa bbbb cccc", 6.5))),
              (std::vector<std::string>{"aaaa bbbb", "cccc"}));
    EXPECT_EQ(Lines(LayoutText(MText("aaaa bbbb cccc", 5.5))),
              (std::vector<std::string>{"aaaa", "bbbb", "cccc"}));
    // A word wider than the width stands on a line of its own; \P still breaks.
    EXPECT_EQ(Lines(LayoutText(MText("a verylongword b\\Pc", 3))),
              (std::vector<std::string>{"a", "verylongword", "b", "c"}));
    // Without a width nothing wraps.
    EXPECT_EQ(Lines(LayoutText(MText("aaaa bbbb cccc"))),
              (std::vector<std::string>{"aaaa bbbb cccc"}));
}

TEST(TextLayoutTest, JapaneseBreaksBetweenCharactersButKeepsPunctuationOn) {
    // Four full-width characters fit; a line never starts with 。 nor ends with 「.
    EXPECT_EQ(Lines(LayoutText(MText("日本語の文章です。", 4 * 2 * Half + 0.01))),
              (std::vector<std::string>{"日本語の", "文章で", "す。"}));
    EXPECT_EQ(Lines(LayoutText(MText("あいう「え」", 4 * 2 * Half + 0.01))),
              (std::vector<std::string>{"あいう", "「え」"}));
}

TEST(TextLayoutTest, LinesArePitchedByTheSpacingFactorAndAttached) {
    TTextBlk t = MText("A\\PB");
    t.code44 = 2;
    TextLayout layout = LayoutText(t);
    ASSERT_EQ(layout.runs.size(), 2u);
    // Top left: the first capitals hang from the point, the next line 2 * 5/3 lower.
    EXPECT_DOUBLE_EQ(layout.runs[0].y, -1);
    EXPECT_DOUBLE_EQ(layout.runs[1].y, -1 - 2 * MTextLinePitch);
    // Bottom right: the last baseline on the point, the line ending there.
    t.code71 = 9;
    layout = LayoutText(t);
    EXPECT_NEAR(layout.runs[1].y, 0, 1e-12);
    EXPECT_NEAR(layout.runs[1].x + layout.runs[1].width, 0, 1e-12);
}

TEST(TextLayoutTest, AlignedAndFitTextsSpanTheirPoints) {
    // "ABCD" is 4 half-widths long at height 1; its points are 8 apart, straight up.
    const double natural = 4 * Half;
    TextLayout aligned = LayoutText(Text("ABCD", 3, {1, 1, 0}, {1, 9, 0}));
    EXPECT_DOUBLE_EQ(aligned.angle, std::numbers::pi / 2);
    ASSERT_EQ(aligned.runs.size(), 1u);
    EXPECT_DOUBLE_EQ(aligned.runs[0].width, 8);
    EXPECT_DOUBLE_EQ(aligned.runs[0].style.height, 8 / natural);
    const TAcadPoint end = TextFrameToWorld(aligned, aligned.runs[0].width, 0);
    EXPECT_NEAR(end.x, 1, 1e-12);
    EXPECT_NEAR(end.y, 9, 1e-12);

    const TextLayout fit = LayoutText(Text("ABCD", 5, {1, 1, 0}, {9, 1, 0}));
    EXPECT_DOUBLE_EQ(fit.runs[0].style.height, 1);
    EXPECT_DOUBLE_EQ(fit.runs[0].style.widthFactor, 8 / natural);

    // Middle: centred on the second point both ways.
    const TextLayout middle = LayoutText(Text("ABCD", 4, {}, {5, 5, 0}));
    EXPECT_DOUBLE_EQ(middle.runs[0].x, -natural / 2);
    EXPECT_DOUBLE_EQ(middle.runs[0].y, -0.5);
    EXPECT_DOUBLE_EQ(middle.anchor.x, 5);
}

TEST(TextLayoutTest, PercentSwitchesUnderlineAndOverlineTextRuns) {
    const TextLayout layout = LayoutText(Text("%%uAB%%u 100%%%%%oC", 0, {}, {}));
    ASSERT_EQ(layout.runs.size(), 3u);
    EXPECT_EQ(layout.runs[0].text, "AB");
    EXPECT_TRUE(layout.runs[0].style.underline);
    EXPECT_EQ(layout.runs[1].text, " 100%");
    EXPECT_FALSE(layout.runs[1].style.underline);
    EXPECT_TRUE(layout.runs[2].style.overline);
    ASSERT_EQ(layout.strokes.size(), 2u);
    EXPECT_DOUBLE_EQ(layout.strokes[0].x1 - layout.strokes[0].x0, 2 * Half);
}

TEST(TextLayoutTest, FormattingCodesMakeRunsOfTheirOwn) {
    const TextLayout layout = LayoutText(MText("a{\\H2x;\\W0.5;\\Q20;\\T2;\\C1;b}c\\S1/2;"));
    ASSERT_EQ(layout.runs.size(), 5u);
    const TextRunStyle& b = layout.runs[1].style;
    EXPECT_EQ(layout.runs[1].text, "b");
    EXPECT_DOUBLE_EQ(b.height, 2);
    EXPECT_DOUBLE_EQ(b.widthFactor, 0.5);
    EXPECT_DOUBLE_EQ(b.oblique, 20);
    EXPECT_DOUBLE_EQ(b.tracking, 2);
    EXPECT_EQ(b.colour.aci, 1);
    // The group ends: c is plain again.
    EXPECT_EQ(layout.runs[2].style, layout.runs[0].style);
    // The stacked fraction: 1 above 2, both smaller, with a bar between them.
    const TextRun& upper = layout.runs[3];
    const TextRun& lower = layout.runs[4];
    EXPECT_EQ(upper.text, "1");
    EXPECT_EQ(lower.text, "2");
    EXPECT_LT(upper.style.height, 1);
    EXPECT_GT(upper.y, lower.y + lower.style.height);
    ASSERT_EQ(layout.strokes.size(), 1u);
    EXPECT_GT(layout.strokes[0].y0, lower.y + lower.style.height);
    EXPECT_LT(layout.strokes[0].y0, upper.y);
}

TEST(TextLayoutTest, ColumnsTakeTheLinesTheirHeightHolds) {
    // Dynamic columns 4 wide and 3.5 high with a gutter of 1: two lines of pitch 5/3 fit in
    // one column, the third goes to the next.
    TTextBlk t = MText("a\\Pb\\Pc\\Pd");
    t.columnType = 2;
    t.columnCount = 2;
    t.columnWidth = 4;
    t.columnGutter = 1;
    t.code46 = 3.5;
    const TextLayout layout = LayoutText(t);
    ASSERT_EQ(layout.runs.size(), 4u);
    EXPECT_DOUBLE_EQ(layout.runs[1].x, 0);
    EXPECT_DOUBLE_EQ(layout.runs[2].x, 5);
    EXPECT_DOUBLE_EQ(layout.runs[2].y, layout.runs[0].y);
}

TEST(TextLayoutTest, FrameAndBackgroundSurroundTheText) {
    TTextBlk t = MText("Note", 10);
    t.code90 = 16 | 1;
    t.code45 = 1.5;
    t.code63 = 2;
    const TextLayout layout = LayoutText(t);
    EXPECT_TRUE(layout.filled);
    EXPECT_EQ(layout.fillColour.aci, 2);
    EXPECT_DOUBLE_EQ(layout.fillMargin, 0.5);
    EXPECT_EQ(layout.strokes.size(), 4u);
    // The box spans the reference width.
    EXPECT_DOUBLE_EQ(layout.right - layout.left, 10);
}

} // namespace
} // namespace orvanta

#include "render/TextDrawing.h"
#include "geometry/TextMetrics.h"
#include "render/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

constexpr TPoint Origin{100, 100};
constexpr TColor Red = 0x0000FF;

TTextBlk Text(const std::string& s, double height = 10) {
    TTextBlk t;
    t.str = s;
    t.code40 = height;
    return t;
}

// Lays the record out and draws it on a fresh recording canvas (font "TestFace", cell 16).
RecordingCanvas Draw(const TTextBlk& t, double u = 1) {
    RecordingCanvas canvas;
    DrawDxfText(canvas, Origin, {}, u, LayoutText(t), {Red, 0, ColorModeColor});
    return canvas;
}

TEST(DrawDxfTextTest, TextsOfOnePixelOrLessAreNotDrawn) {
    // Cells of 1.43 and 2.86 pixels.
    EXPECT_TRUE(Draw(Text("A", 1)).calls().empty());
    EXPECT_EQ(Draw(Text("A", 2)).callsOf(CanvasCall::Kind::TextOut).size(), 1u);
    EXPECT_FALSE(TextLargeEnough(-5, 1));
}

TEST(DrawDxfTextTest, CapitalsAreTheTextHeightAndStandOnTheBaseline) {
    const RecordingCanvas canvas = Draw(Text("ABC"));
    const auto fonts = canvas.callsOf(CanvasCall::Kind::SetFont);
    ASSERT_EQ(fonts.size(), 2u);
    // The face's capitals are 0.751 em: an em of 13.3 pixels, a cell of 14.3, half-width
    // characters of 6.66.
    EXPECT_NEAR(fonts[0].font.cellHeight, 10 * CellPerHeight, 1e-9);
    EXPECT_NEAR(fonts[0].font.averageWidth, 10 * EmPerHeight / 2, 1e-9);
    EXPECT_EQ(fonts[1].font, (CanvasFont{"TestFace", 16, 0, 0}));
    // The cell's top lies the ascent, 11.7 pixels, above the baseline point.
    const auto out = canvas.callsOf(CanvasCall::Kind::TextOut);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].args[0], 100);
    EXPECT_EQ(out[0].args[1], 88);
}

TEST(DrawDxfTextTest, SlantAndMirrorsReachTheFont) {
    TTextBlk t = Text("R");
    t.code51 = 15;
    t.code71 = 2 | 4;
    t.pt10 = {20, 0, 0};
    const RecordingCanvas canvas = Draw(t);
    const CanvasFont font = canvas.callsOf(CanvasCall::Kind::SetFont)[0].font;
    EXPECT_EQ(font.oblique, 15);
    EXPECT_TRUE(font.mirrorX && font.mirrorY);
    // Upside down, the cell hangs below the baseline: its corner is the ascent under the point.
    const auto out = canvas.callsOf(CanvasCall::Kind::TextOut);
    EXPECT_EQ(out[0].args[0], 120);
    EXPECT_EQ(out[0].args[1], 112);
}

TEST(DrawDxfTextTest, BackgroundLiesUnderTheTextAndStrokesOverIt) {
    TTextBlk t = Text("{\\C1;\\LA}", 10);
    t.mtflag = true;
    t.code90 = 1;
    t.code63 = 3;
    const RecordingCanvas canvas = Draw(t);
    const auto& calls = canvas.calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().kind, CanvasCall::Kind::FillPolygon);
    EXPECT_EQ(calls.front().colour, 0x00FF00u); // colour 3, green
    const auto colours = canvas.callsOf(CanvasCall::Kind::SetTextColor);
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours[0].colour, 0x0000FFu);                        // colour 1, red, as 0x00BBGGRR
    EXPECT_EQ(canvas.callsOf(CanvasCall::Kind::LineTo).size(), 1u); // the underline
}

} // namespace
} // namespace orvanta

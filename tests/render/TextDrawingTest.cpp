#include "render/TextDrawing.h"
#include "render/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

constexpr TPoint Origin{100, 100};
constexpr TColor Red = 0x0000FF;

struct TextArgs {
    std::string s = "ABC";
    TAcadPoint p10;
    TAcadPoint p11;
    TAcadPoint pt11Abs;
    int code72 = 0;
    int code73 = 0;
    double code40 = 10;
    double code41 = 1;
    double code50 = 0;
    int code71 = 0;
    bool mtext = false;
    double u = 1;
};

// Draws on a fresh recording canvas (font "TestFace", cell 16) and returns its log.
std::string Draw(const TextArgs& t) {
    RecordingCanvas canvas;
    DrawDxfText(canvas, Origin, t.u,
                {t.s, t.p10, t.p11, t.pt11Abs, t.code72, t.code73, t.code71, t.code40, t.code41,
                 t.code50, t.mtext, Red});
    return canvas.log();
}

std::string TextCall(const std::string& font, const std::string& textOut) {
    return "setFont(TestFace, " + font + ")\n" + "setTextColor(#0000FF)\n" +
           "setTransparentText(true)\n" + textOut + "setFont(TestFace, 16, 0, 0)\n";
}

TEST(DrawDxfTextTest, TextsOfOnePixelOrLessAreNotDrawn) {
    TextArgs t;
    t.code40 = 1; // cell round(1.3) = 1
    EXPECT_EQ(Draw(t), "");
    t.u = 0.8; // cell round(1.625) = 2
    EXPECT_NE(Draw(t), "");
    t.code40 = 2;
    t.u = 1; // cell round(2.6) = 3
    EXPECT_NE(Draw(t), "");
    t.code40 = -5;
    EXPECT_EQ(Draw(t), "");
}

TEST(DrawDxfTextTest, LeftBaselineTextSitsOnItsFirstPoint) {
    TextArgs t;
    t.p10 = {0, 0, 0};
    t.p11 = {50, 50, 0}; // ignored for a left baseline text
    // Cell 13, average width round(4.9725) = 5; the cell top is 0.855 * 13 = 11.1 above.
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(100, 89, \"ABC\")\n"));
}

TEST(DrawDxfTextTest, WidthFactorScalesTheAverageWidth) {
    TextArgs t;
    t.code41 = 0.7; // round(13 * 0.51 * 0.7 * 0.75) = round(3.48)
    EXPECT_EQ(Draw(t), TextCall("13, 3, 0", "textOut(100, 89, \"ABC\")\n"));
}

TEST(DrawDxfTextTest, JustifiedTextsUseTheSecondPoint) {
    TextArgs t;
    t.p10 = {-40, -40, 0};
    t.p11 = {21, 0, 0};
    // Centred: half the width (3 characters of 5 pixels) to the left of pt11.
    t.code72 = 1;
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(114, 89, \"ABC\")\n"));
    // Right: the whole width.
    t.code72 = 2;
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(106, 89, \"ABC\")\n"));
    // Middle: centred both ways, the cell top h/2 - 0.03 h = 6.11 above.
    t.code72 = 4;
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(114, 94, \"ABC\")\n"));
    // Top left: pt11, not pt10, with the cell top 0.086 h above.
    t.code72 = 0;
    t.code73 = 3;
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(121, 99, \"ABC\")\n"));
    t.code73 = 2;
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(121, 94, \"ABC\")\n"));
    t.code73 = 1;
    EXPECT_EQ(Draw(t), TextCall("13, 5, 0", "textOut(121, 87, \"ABC\")\n"));
}

TEST(DrawDxfTextTest, RotatedRightTextShiftsDownByItsWidth) {
    TextArgs t;
    t.p11 = {0, 0, 0};
    t.code72 = 2;
    t.code50 = 90;
    // Offset (-15, 11.115) turned by 90 degrees is (-11.115, -15): left of and below the point.
    EXPECT_EQ(Draw(t), TextCall("13, 5, 900", "textOut(89, 115, \"ABC\")\n"));
}

TEST(DrawDxfTextTest, FitTextSpreadsItsCharactersBetweenItsPoints) {
    TextArgs t;
    t.s = "ABCD";
    t.p10 = {0, 0, 0};
    t.p11 = {40, 0, 0};
    t.code72 = 5;
    // Average width round(40 * 1.3 * 0.8 / 4) = 10, at the first point.
    EXPECT_EQ(Draw(t), TextCall("13, 10, 0", "textOut(100, 89, \"ABCD\")\n"));
    t.s = "";
    EXPECT_EQ(Draw(t), "");
}

TEST(DrawDxfTextTest, TheCanvasFaceIsKept) {
    RecordingCanvas canvas({"IPAGothic", 20, 0, 0});
    DrawDxfText(canvas, Origin, 1, {.s = "日本", .code40 = 10, .colour = Red});
    const auto fonts = canvas.callsOf(CanvasCall::Kind::SetFont);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].font.face, "IPAGothic");
    EXPECT_EQ(fonts[1].font, (CanvasFont{"IPAGothic", 20, 0, 0}));
}

TEST(DrawDxfTextTest, MTextBottomLeftRaisesItsLinesAboveTheInsertionPoint) {
    TextArgs t;
    t.mtext = true;
    t.s = "{\\fArial;A}\\PB\\P\\A1;C";
    t.code41 = 100;
    t.code71 = 7;
    // Raised by 3 * 1.737 * 10 = 52.11, plus the 11.115 of the cell top: 63.225 above; then
    // one pitch of 17.37 per line. Average width round(13 * 0.51 * 0.8 * 0.75) = 4.
    EXPECT_EQ(Draw(t), TextCall("13, 4, 0", "textOut(100, 37, \"A\")\n"
                                            "textOut(100, 54, \"B\")\n"
                                            "textOut(100, 72, \"C\")\n"));
}

TEST(DrawDxfTextTest, MTextAttachmentColumnsUseTheReferenceWidth) {
    TextArgs t;
    t.mtext = true;
    t.s = "X";
    t.code41 = 20; // reference width round(26) pixels
    t.code71 = 3;  // top right
    EXPECT_EQ(Draw(t), TextCall("13, 4, 0", "textOut(74, 99, \"X\")\n"));
    t.code71 = 2; // top centre
    EXPECT_EQ(Draw(t), TextCall("13, 4, 0", "textOut(87, 99, \"X\")\n"));
    t.code71 = 0; // unknown: as top left
    EXPECT_EQ(Draw(t), TextCall("13, 4, 0", "textOut(100, 99, \"X\")\n"));
}

TEST(DrawDxfTextTest, MTextMiddleRaisesByHalfItsLines) {
    TextArgs t;
    t.mtext = true;
    t.s = "A\\PB";
    t.code71 = 4;
    // Raised by 2 * 17.37 / 2, cell top 6.11 above: 23.48 and 6.11.
    EXPECT_EQ(Draw(t), TextCall("13, 4, 0", "textOut(100, 77, \"A\")\n"
                                            "textOut(100, 94, \"B\")\n"));
}

TEST(DrawDxfTextTest, MTextDirectionComesFromItsXAxis) {
    TextArgs t;
    t.mtext = true;
    t.s = "A\\PB";
    t.code71 = 1;
    t.code50 = 30; // ignored by MTEXT
    t.pt11Abs = {0, 2, 0};
    // Turned by 90 degrees: the cell top 1.118 to the left, the next line 17.37 to the right.
    EXPECT_EQ(Draw(t), TextCall("13, 4, 900", "textOut(99, 100, \"A\")\n"
                                              "textOut(116, 100, \"B\")\n"));
    t.pt11Abs = {1, 1, 0};
    const std::string log = Draw(t);
    EXPECT_NE(log.find("setFont(TestFace, 13, 4, 450)"), std::string::npos) << log;
}

} // namespace
} // namespace orvanta

// Texts drawn through the QPainter canvas compared with a stored picture: catches changes in
// the font scaling, the glyph placement and the justification offsets that the structural tests
// on the recording canvas cannot see.
#include "render/Colors.h"
#include "render/TextDrawing.h"
#include "render/qt/QtCanvas.h"
#include "support/GoldenImage.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

struct SceneText {
    const char* str;
    TAcadPoint pt10;
    TAcadPoint pt11;
    int code72 = 0;
    int code73 = 0;
    double code40 = 12;
    double code41 = 1;
    double code50 = 0;
    int color = 7;
    bool mtext = false;
    int code71 = 0;
    double code51 = 0;
    int code90 = 0;
};

// A small cross at every alignment point shows where each text was asked to sit.
void Mark(Canvas& canvas, TPoint p) {
    canvas.setPen(AciToColor(1), 1, PenSolid);
    canvas.moveTo(p.x - 4, p.y);
    canvas.lineTo(p.x + 5, p.y);
    canvas.moveTo(p.x, p.y - 4);
    canvas.lineTo(p.x, p.y + 5);
}

TEST(TextGoldenTest, CapitalsMeasureTheTextHeightAndStandOnTheBaseline) {
    for (const double height : {10.0, 23.0, 40.0}) {
        QImage image(200, 160, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            QtCanvas canvas(painter);
            TTextBlk text;
            text.str = "HE";
            text.code40 = height;
            // At height / 20 units per pixel the capitals should be 20 pixels high.
            DrawDxfText(canvas, {20, 120}, {}, height / 20, LayoutText(text),
                        {ColorBlack, ColorWhite, ColorModeColor});
        }
        int top = image.height(), bottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        // The last row of ink lies just above the baseline, row 120.
        EXPECT_NEAR(bottom - top + 1, 20, 1) << height;
        EXPECT_NEAR(bottom, 119, 1) << height;
    }
}

TEST(TextGoldenTest, JustifiedRotatedAndMultilineTexts) {
    ASSERT_EQ(TextFaceProblem(), "");
    const SceneText texts[] = {
        {"%%c25 45%%d %%p0.1", {-220, 130, 0}, {}, 0, 0, 12},
        {"中心 Center", {}, {0, 100, 0}, 1, 0, 10, 1, 0, 2},
        {"右寄せ Right", {}, {220, 100, 0}, 2, 0, 10, 1, 0, 3},
        {"Middle 中央", {}, {0, 70, 0}, 4, 0, 10, 1, 0, 4},
        {"Top-left 30°", {}, {-220, 40, 0}, 0, 3, 8, 1, 30, 6},
        {"\\M+193FA\\M+1967B \\U+00B1", {}, {120, 30, 0}, 0, 2, 10, 0.6, 0, 30},
        {"FIT", {-220, -110, 0}, {-100, -110, 0}, 5, 0, 10, 1, 0, 11},
        {"ALIGNED", {-220, -40, 0}, {-120, -10, 0}, 3, 0, 10, 1, 0, 11},
        {"Slanted", {-220, -70, 0}, {}, 0, 0, 10, 1, 0, 6, false, 0, 20},
        {"Mirrored", {-80, -70, 0}, {}, 0, 0, 10, 1, 0, 6, false, 2},
        {"Rotated 90 右", {}, {40, 0, 0}, 2, 1, 8, 1, 90, 5},
        {"{\\fArial|b1;\\L注記\\l} wraps at its width, 二行目も折り返す \\S1/2; "
         "{\\H1.5x;\\C1;%%c10}",
         {70, -40, 0},
         {},
         0,
         0,
         8,
         150,
         0,
         7,
         true,
         1,
         0,
         16 | 1},
    };
    const int w = 480, h = 320;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter);
        const TPoint origin{w / 2, h / 2};
        const double u = 1.0;
        for (const SceneText& t : texts) {
            TTextBlk record;
            record.str = t.str;
            record.pt10 = t.pt10;
            record.pt11 = t.pt11;
            record.code72 = static_cast<std::int16_t>(t.code72);
            record.code73 = static_cast<std::int16_t>(t.code73);
            record.code40 = t.code40;
            record.code41 = t.code41;
            record.code50 = t.code50;
            record.mtflag = t.mtext;
            record.code71 = static_cast<std::int16_t>(t.code71);
            record.code51 = t.code51;
            record.code90 = static_cast<std::int16_t>(t.code90);
            record.code63 = 250;
            const TextLayout layout = LayoutText(record);
            Mark(canvas, WorldToScreen(layout.anchor, origin, u));
            DrawDxfText(canvas, origin, {}, u, layout,
                        {AciToColor(t.color), ColorBlack, ColorModeColor});
        }
    }
    // Antialiased glyph edges may shift a little with the font rasteriser's version.
    EXPECT_TRUE(test::MatchesGolden(image, test::GoldenPath("text_placement"), {48, 60}));
}

} // namespace
} // namespace orvanta

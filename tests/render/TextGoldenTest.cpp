// Texts drawn through the QPainter canvas compared with a stored picture: catches changes in
// the font scaling, the glyph placement and the justification offsets that the structural tests
// on the recording canvas cannot see.
#include "render/Colors.h"
#include "render/TextCodes.h"
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
};

// A small cross at every alignment point shows where each text was asked to sit.
void Mark(Canvas& canvas, TPoint p) {
    canvas.setPen(AciToColor(1), 1, PenSolid);
    canvas.moveTo(p.x - 4, p.y);
    canvas.lineTo(p.x + 5, p.y);
    canvas.moveTo(p.x, p.y - 4);
    canvas.lineTo(p.x, p.y + 5);
}

TEST(TextGoldenTest, JustifiedRotatedAndMultilineTexts) {
    ASSERT_EQ(TextFaceProblem(), "");
    const SceneText texts[] = {
        {"%%c25 45%%d %%p0.1", {-220, 120, 0}, {}, 0, 0, 14},
        {"中心 Center", {}, {0, 80, 0}, 1, 0, 12, 1, 0, 2},
        {"右寄せ Right", {}, {220, 80, 0}, 2, 0, 12, 1, 0, 3},
        {"Middle 中央", {}, {0, 40, 0}, 4, 0, 12, 1, 0, 4},
        {"Top-left 30°", {}, {-220, 20, 0}, 0, 3, 10, 1, 30, 6},
        {"\\M+193FA\\M+1967B \\U+00B1", {}, {120, 10, 0}, 0, 2, 12, 0.6, 0, 30},
        {"FIT", {-220, -40, 0}, {-100, -40, 0}, 5, 0, 12, 1, 0, 11},
        {"Rotated 90 右", {}, {40, -20, 0}, 2, 1, 10, 1, 90, 5},
        {"{\\fArial|b1;注記}\\P二行目 line two\\P\\C1;3rd %%c10",
         {80, -120, 0},
         {},
         0,
         0,
         10,
         140,
         0,
         7,
         true,
         7},
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
            const bool atFirst =
                t.mtext || ((t.code72 == 0 || t.code72 == 3 || t.code72 == 5) && t.code73 == 0);
            Mark(canvas, WorldToScreen(atFirst ? t.pt10 : t.pt11, origin, u));
            DrawDxfText(canvas, origin, u,
                        {RewriteSpecialCodes(t.str),
                         t.pt10,
                         t.pt11,
                         {},
                         t.code72,
                         t.code73,
                         t.code71,
                         t.code40,
                         t.code41,
                         t.code50,
                         t.mtext,
                         AciToColor(t.color)});
        }
    }
    // Antialiased glyph edges may shift a little with the font rasteriser's version.
    EXPECT_TRUE(test::MatchesGolden(image, test::GoldenPath("text_placement"), {48, 60}));
}

} // namespace
} // namespace orvanta

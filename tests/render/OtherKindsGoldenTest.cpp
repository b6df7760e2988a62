// A sheet of the kinds beyond lines, curves and texts, drawn through the QPainter canvas: solid
// and pattern hatches with holes, SOLID and TRACE, a rational spline, points with $PDMODE, an
// ellipse, an XLINE and a MINSERT of a block holding a filled arrowhead.
#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/qt/QtCanvas.h"
#include "support/GoldenImage.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

// Group pairs, one pair per string: "code value".
std::string Pairs(std::initializer_list<const char*> pairs) {
    std::string out;
    for (const char* pair : pairs) {
        const std::string s(pair);
        const std::size_t space = s.find(' ');
        out += s.substr(0, space) + "\n" + s.substr(space + 1) + "\n";
    }
    return out;
}

std::string Square(double x0, double y0, double x1, double y1) {
    return Pairs({"92 2", "72 0", "73 1", "93 4"}) + "10\n" + std::to_string(x0) + "\n20\n" +
           std::to_string(y0) + "\n10\n" + std::to_string(x1) + "\n20\n" + std::to_string(y0) +
           "\n10\n" + std::to_string(x1) + "\n20\n" + std::to_string(y1) + "\n10\n" +
           std::to_string(x0) + "\n20\n" + std::to_string(y1) + "\n";
}

// The drawing's 240 x 160 units around the origin on black, 480 x 320 pixels.
QImage DrawSheetPicture(const Drawing& d) {
    const int w = 480, h = 320;
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    ClearCanvas(canvas, w, h, ColorBlack);
    DrawOptions options;
    options.view = {{0, 0, 0}, 240, 160, ViewOriginOf(w, h), w, h, 1};
    DrawDxf(d, options, canvas);
    painter.end();
    return image;
}

TEST(OtherKindsGolden, SheetOfFillsSplinesAndPoints) {
    std::string dxf =
        Pairs({"0 SECTION", "2 HEADER", "9 $PDMODE", "70 34",     "9 $PDSIZE", "40 4", "0 ENDSEC",
               "0 SECTION", "2 BLOCKS", "0 BLOCK",   "2 ARROW",   "10 0",      "20 0", "0 SOLID",
               "8 0",       "62 3",     "10 0",      "20 0",      "11 -6",     "21 2", "12 -6",
               "22 -2",     "0 ENDBLK", "0 ENDSEC",  "0 SECTION", "2 ENTITIES"});
    // A solid hatch with a hole, and a pattern hatch (two families, one dashed) with a hole.
    dxf += Pairs({"0 HATCH", "8 0", "62 1", "2 SOLID", "70 1", "91 2"}) +
           Square(-100, 20, -20, 90) + Square(-80, 40, -40, 70) + Pairs({"75 1", "76 1", "98 0"});
    dxf += Pairs({"0 HATCH", "8 0", "62 4", "2 CROSS", "70 0", "91 2"}) + Square(0, 20, 90, 90) +
           Square(30, 40, 60, 70) +
           Pairs({"75 1", "76 1", "78 2", "53 45", "43 0", "44 0", "45 -4", "46 4", "79 0",
                  "53 135", "43 0", "44 0", "45 -4", "46 -4", "79 2", "49 6", "49 -3"});
    // SOLID with its corners stored crosswise, and a TRACE.
    dxf += Pairs({"0 SOLID", "8 0",    "62 2",   "10 -100", "20 -20",  "11 -60", "21 -20",
                  "12 -100", "22 0",   "13 -60", "23 0",    "0 TRACE", "8 0",    "62 6",
                  "10 -50",  "20 -20", "11 -30", "21 -20",  "12 -50",  "22 0"});
    // A rational quadratic quarter circle and a fit-point spline.
    dxf += Pairs({"0 SPLINE",
                  "8 0",
                  "62 5",
                  "70 4",
                  "71 2",
                  "40 0",
                  "40 0",
                  "40 0",
                  "40 1",
                  "40 1",
                  "40 1",
                  "41 1",
                  "41 0.7071067811865476",
                  "41 1",
                  "10 40",
                  "20 -60",
                  "10 40",
                  "20 -20",
                  "10 0",
                  "20 -20",
                  "0 SPLINE",
                  "8 0",
                  "62 3",
                  "71 3",
                  "11 50",
                  "21 -60",
                  "11 65",
                  "21 -30",
                  "11 80",
                  "21 -50",
                  "11 95",
                  "21 -20"});
    // Points, an ellipse, an xline and three arrowheads of a MINSERT.
    dxf +=
        Pairs({"0 POINT", "8 0",       "10 -100",   "20 -60",   "0 POINT", "8 0",
               "10 -80",  "20 -60",    "0 ELLIPSE", "8 0",      "62 7",    "10 -40",
               "20 -50",  "11 15",     "21 5",      "40 0.4",   "41 0",    "42 6.283185307179586",
               "0 XLINE", "8 0",       "62 8",      "10 0",     "20 0",    "11 0.8",
               "21 0.6",  "0 MINSERT", "8 0",       "2 ARROW",  "10 110",  "20 -50",
               "70 1",    "71 3",      "45 15",     "0 ENDSEC", "0 EOF"});
    Drawing d = test::ReadText(dxf);
    NormaliseDrawing(d);
    ASSERT_EQ(d.SkippedEntities, 0u);

    const QImage image = DrawSheetPicture(d);
    EXPECT_TRUE(test::MatchesGolden(image, test::GoldenPath("other_kinds")));
}

// Wide polylines: a closed frame of constant width (mitred corners), an arrow tapering to its
// point, a wide bulge, and a POLYLINE of default widths with a vertex of its own.
TEST(OtherKindsGolden, WidePolylines) {
    std::string dxf =
        Pairs({"0 SECTION", "2 ENTITIES", "0 LWPOLYLINE", "8 0", "62 1", "70 1", "43 6", "10 -100",
               "20 -60", "10 -20", "20 -60", "10 -20", "20 60", "10 -100", "20 60"});
    dxf += Pairs({"0 LWPOLYLINE", "8 0", "62 3", "10 0", "20 -50", "40 4", "41 4", "10 60",
                  "20 -50", "40 16", "41 0", "10 90", "20 -50"});
    dxf += Pairs({"0 LWPOLYLINE", "8 0", "62 4", "43 8", "10 10", "20 0", "42 -1", "10 90", "20 0",
                  "42 0", "10 90", "20 40"});
    dxf += Pairs({"0 POLYLINE", "8 0",    "62 2",     "66 1",     "40 2",     "41 10", "0 VERTEX",
                  "10 -80",     "20 -30", "0 VERTEX", "10 -40",   "20 -30",   "40 10", "41 2",
                  "0 VERTEX",   "10 -40", "20 30",    "0 SEQEND", "0 ENDSEC", "0 EOF"});
    Drawing d = test::ReadText(dxf);
    NormaliseDrawing(d);

    const QImage image = DrawSheetPicture(d);
    EXPECT_TRUE(test::MatchesGolden(image, test::GoldenPath("wide_polylines")));
}

} // namespace
} // namespace orvanta

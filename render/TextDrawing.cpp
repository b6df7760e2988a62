#include "render/TextDrawing.h"

#include "geometry/Primitives.h"
#include "geometry/TextLines.h"
#include "geometry/TextMetrics.h"
#include "render/TextCodes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace orvanta {

namespace {

constexpr double DegreesPerRadian = 57.29577951308232;
constexpr double RadiansPerDegree = 0.017453292519943295;

// Offset of the cell's top-left corner from the alignment point of a TEXT, in hundredths of a
// pixel, x along the baseline and y upwards.
TAcadPoint TextCellOffset(int code72, int code73, double h, double wt) {
    double x = 0;
    if (code72 == 1 || code72 == 4)
        x = -wt / 2;
    else if (code72 == 2)
        x = -wt;
    double y = h;
    switch (code73) {
    case 0:
        y = code72 == 4 ? MiddleToTop(h) : BaselineToTop * h;
        break;
    case 1:
        y = BottomToTop * h;
        break;
    case 2:
        y = MiddleToTop(h);
        break;
    case 3:
        y = TopToTop * h;
        break;
    default:
        break;
    }
    return {x, y, 0};
}

// The same for an MTEXT, by its attachment point 1..9 (rows top, middle, bottom; columns left,
// centre, right) and the width of its reference rectangle.
TAcadPoint MTextCellOffset(int code71, double h, double wr) {
    if (code71 < 1 || code71 > 9) return {0, TopToTop * h, 0};
    const int row = (code71 - 1) / 3;
    const int column = (code71 - 1) % 3;
    const double x = column == 0 ? 0 : column == 1 ? -wr / 2 : -wr;
    const double y = row == 0 ? TopToTop * h : row == 1 ? MiddleToTop(h) : BaselineToTop * h;
    return {x, y, 0};
}

// The world point of the cell's top-left corner: alignment point plus the rotated offset.
TAcadPoint CellCorner(const TAcadPoint& a, const TAcadPoint& offset, double thetaRad, double u) {
    const TAcadPoint rotated = RotatePoint(offset, thetaRad);
    return {a.x + rotated.x * u / 100, a.y + rotated.y * u / 100, 0};
}

} // namespace

void DrawDxfText(Canvas& canvas, TPoint origin, double unitsPerPixel, const TextRequest& text) {
    const double u = unitsPerPixel;
    const std::string& s = text.s;
    const TAcadPoint& p10 = text.p10;
    const TAcadPoint& p11 = text.p11;
    const TAcadPoint& pt11Abs = text.pt11Abs;
    const int code72 = text.code72, code73 = text.code73, code71 = text.code71;
    const double code40 = text.code40, code41 = text.code41, code50 = text.code50;
    const bool mtext = text.mtext;
    const TColor colour = text.colour;

    // Alignment point and direction of the baseline.
    TAcadPoint a;
    double theta = 0; // degrees
    if (mtext) {
        a = p10;
        if (pt11Abs.x != 0 || pt11Abs.y != 0)
            theta = AngleOf({0, 0, 0}, pt11Abs) * DegreesPerRadian;
    } else {
        const bool atFirstPoint = (code72 == 0 || code72 == 3 || code72 == 5) && code73 == 0;
        a = atFirstPoint ? p10 : p11;
        theta = code50;
    }
    const double thetaRad = theta * RadiansPerDegree;

    const int cellHeight = RoundHalfEven(code40 / u * CellPerHeight);
    if (cellHeight <= 1) return;

    int averageWidth = 0;
    if (mtext) {
        averageWidth = RoundHalfEven(MTextAverageCharWidth(code40 / u * CellPerHeight));
    } else if (code72 == 5) {
        // A fit text spreads its characters between its two points.
        const double n = static_cast<double>(Utf16Length(s));
        if (n == 0) return;
        const double length = std::hypot(p11.x - p10.x, p11.y - p10.y);
        averageWidth = RoundHalfEven(length / u * CellPerHeight * FitCharShare / n);
    } else {
        averageWidth = RoundHalfEven(AverageCharWidth(code40 / u * CellPerHeight, code41));
    }
    // A negative width factor mirrors nothing on a device font; its size is what counts.
    averageWidth = std::abs(averageWidth);

    const CanvasFont previous = canvas.font();
    canvas.setFont({previous.face, cellHeight, averageWidth, RoundHalfEven(theta * 10)});

    const double h = cellHeight * 100.0;
    TAcadPoint offset;
    std::vector<std::string> lines;
    int count = 0;
    if (mtext) {
        count = SplitMTextLines(s, lines);
        double wr = RoundHalfEven(code41 / u * CellPerHeight) * 100.0;
        // Without a reference width (a multileader's text usually has none) a centred or
        // right-attached text is placed by its own widest line, so that it ends at its point
        // instead of starting there.
        if (code41 == 0 && code71 >= 1 && code71 <= 9 && (code71 - 1) % 3 != 0) {
            for (const std::string& line : lines)
                wr = std::max(wr, canvas.textWidth(MTextToPlain(line)) * 100.0);
        }
        offset = MTextCellOffset(code71, h, wr);
    } else {
        // Only centred and right-aligned texts need their width, and measuring is not free.
        const bool measured = code72 == 1 || code72 == 2 || code72 == 4;
        const double wt = measured ? canvas.textWidth(s) * 100.0 : 0;
        offset = TextCellOffset(code72, code73, h, wt);
    }
    TAcadPoint corner = CellCorner(a, offset, thetaRad, u);

    canvas.setTextColor(colour);
    canvas.setTransparentText(true);

    if (!mtext) {
        const TPoint d = WorldToScreen(corner, origin, u);
        canvas.textOut(d.x, d.y, s);
        canvas.setFont(previous);
        return;
    }

    const double pitch = MTextLinePitch * code40;
    if (count > 1 && code71 >= 4 && code71 <= 9) {
        // Middle and bottom attachments: the block of lines is raised so that its first line
        // starts above the insertion point.
        const double raise = code71 <= 6 ? count * pitch / 2 : count * pitch;
        a = PolarPoint(a, (theta + 90) * RadiansPerDegree, raise);
        corner = CellCorner(a, offset, thetaRad, u);
    }
    // Each line one pitch below the previous, perpendicular to the baseline.
    const double stepX = std::sin(thetaRad) * pitch;
    const double stepY = -std::cos(thetaRad) * pitch;
    for (int k = 0; k < count; ++k) {
        const TAcadPoint lineCorner{corner.x + k * stepX, corner.y + k * stepY, 0};
        const TPoint d = WorldToScreen(lineCorner, origin, u);
        canvas.textOut(d.x, d.y, MTextToPlain(lines[static_cast<std::size_t>(k)]));
    }
    canvas.setFont(previous);
}

} // namespace orvanta

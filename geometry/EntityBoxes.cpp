#include "geometry/EntityBoxes.h"

#include "geometry/Primitives.h"
#include "geometry/TextLines.h"
#include "geometry/TextMetrics.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

double ReduceAngle(double a) {
    // Most angles are already in range, where fmod would return them unchanged; skipping the call
    // halves the cost of an arc's box.
    if (a >= 0 && a < TwoPi) return a;
    double r = std::fmod(a, TwoPi);
    if (r < 0) r += TwoPi;
    // fmod of a value just below a multiple of 2π, plus 2π, may round up to 2π itself.
    if (r >= TwoPi) r = 0;
    return r;
}

void Widen(TBox& box, double x, double y) {
    if (x < box.Min.x) box.Min.x = x;
    if (x > box.Max.x) box.Max.x = x;
    if (y < box.Min.y) box.Min.y = y;
    if (y > box.Max.y) box.Max.y = y;
}

TBox PointBox(const TAcadPoint& p) {
    TBox box;
    box.Min = {p.x, p.y, 0};
    box.Max = box.Min;
    return box;
}

} // namespace

TBox ArcBox(const TAcadPoint& c, double r, double startRad, double endRad) {
    const double s = ReduceAngle(startRad);
    const double e = ReduceAngle(endRad);
    TBox box = SegmentBox(PolarPoint(c, s, r), PolarPoint(c, e, r));
    // Each axis direction the arc passes widens the box to the full radius on that side.
    if (s < e) {
        if (s == 0) box.Max.x = c.x + r;
        if (s <= HalfPi && HalfPi <= e) box.Max.y = c.y + r;
        if (s <= Pi && Pi <= e) box.Min.x = c.x - r;
        if (s <= ThreeHalfPi && ThreeHalfPi <= e) box.Min.y = c.y - r;
    } else {
        // The arc passes angle 0.
        box.Max.x = c.x + r;
        if (s <= HalfPi || e >= HalfPi) box.Max.y = c.y + r;
        if (s <= Pi || e >= Pi) box.Min.x = c.x - r;
        if (s <= ThreeHalfPi || e >= ThreeHalfPi) box.Min.y = c.y - r;
    }
    return box;
}

TBox TextBox(const TTextBlk& t) {
    const double h = t.code40;
    // An MTEXT runs along its direction vector (pt11) as the renderer draws it; a TEXT along
    // its angle.
    const bool directed = t.mtflag && (t.pt11.x != 0 || t.pt11.y != 0);
    const double theta =
        t.mtflag ? (directed ? std::atan2(t.pt11.y, t.pt11.x) : 0) : t.code50 * Pi / 180;
    const bool aligned = t.code72 != 0 || t.code73 != 0;
    const TAcadPoint& base = (t.mtflag || !aligned) ? t.pt10 : t.pt11;
    TBox box = PointBox(base);

    if (!t.mtflag) {
        const double w = h * t.code41 * BoxCharWidth * static_cast<double>(Utf16Length(t.str));
        double dx = 0;
        switch (t.code72) {
        case 1:
        case 4:
            dx = -w / 2;
            break;
        case 2:
        case 3:
        case 5:
            dx = -w;
            break;
        default:
            break;
        }
        double dy;
        switch (t.code73) {
        case 0:
            dy = t.code72 == 4 ? MiddleToTop(h) : BaselineToTop * h;
            break;
        case 1:
            dy = BottomToTop * h;
            break;
        case 2:
            dy = MiddleToTop(h);
            break;
        case 3:
            dy = TopToTop * h;
            break;
        default:
            dy = h;
            break;
        }
        // The offset is the renderer's offset to the top of the text cell; the box applies it
        // twice and reaches down along θ − π/4, which keeps the estimate on the large side.
        const TAcadPoint o = RotatePoint(TAcadPoint{dx, dy, 0}, theta);
        const TAcadPoint s{base.x + 2 * o.x, base.y + 2 * o.y, 0};
        const TAcadPoint k = PolarPoint(s, theta - Pi / 4, h);
        for (const TAcadPoint& corner : {s, PolarPoint(s, theta, w), k, PolarPoint(k, theta, w)})
            Widen(box, corner.x, corner.y);
        return box;
    }

    const double lines = CountMTextLines(t.str);
    // Without a reference width the text is as wide as its longest line, taken at a full-width
    // character's 0.8 heights for every code unit, format codes included: on the large side.
    const double w =
        t.code41 != 0 ? t.code41 : 0.8 * h * static_cast<double>(LongestMTextLine(t.str));
    const double l = BoxMTextLineHeight * h * lines;
    double xa = 0, xb = w;
    switch (t.code71) {
    case 2:
    case 5:
    case 8:
        xa = w / 2;
        xb = -w / 2;
        break;
    case 3:
    case 6:
    case 9:
        xb = -w;
        break;
    default:
        break;
    }
    double ya = 0, yb = -l;
    switch (t.code71) {
    case 4:
    case 5:
    case 6:
        ya = l / 2;
        yb = -l / 2;
        break;
    case 7:
    case 8:
    case 9:
        ya = l;
        yb = 0;
        break;
    default:
        break;
    }
    for (const TAcadPoint& q : {TAcadPoint{xa, ya, 0}, TAcadPoint{xb, yb, 0}, TAcadPoint{xb, ya, 0},
                                TAcadPoint{xa, yb, 0}}) {
        const TAcadPoint r = RotatePoint(q, theta);
        Widen(box, base.x + r.x, base.y + r.y);
    }
    return box;
}

} // namespace orvanta

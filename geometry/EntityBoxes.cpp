#include "geometry/EntityBoxes.h"

#include "geometry/Primitives.h"
#include "geometry/TextLayout.h"

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
    TBox box;
    TextLayoutBounds(LayoutText(t), box.Min, box.Max);
    return box;
}

} // namespace orvanta

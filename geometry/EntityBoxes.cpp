#include "geometry/EntityBoxes.h"

#include "geometry/Primitives.h"
#include "geometry/TextLayout.h"
#include "geometry/TextLines.h"
#include "geometry/TextMetrics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

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

namespace {

// The pixel a text's reach allows for: a text is drawn only when its cell is at least 1.5 pixels
// high, so the pixel is never larger than this. A character's place is rounded to the pixel, and
// a stroke is a pixel wide.
double ReachPixel(double cell, double unitsPerPixel) {
    double u = cell / 1.5;
    if (unitsPerPixel > 0 && unitsPerPixel < u) u = unitsPerPixel;
    return u;
}

// Texts whose size the string or both points decide are laid out: aligned and fit texts, MTEXT
// with height codes or columns. They are few.
bool LaidOutForReach(const TTextBlk& t) {
    return t.mtflag ? t.columnType > 0 || t.str.find("\\H") != std::string::npos ||
                          t.str.find("\\h") != std::string::npos
                    : t.code72 == 3 || t.code72 == 5;
}

// The square around a one-line text that is not laid out, `units` characters long, whose slant
// has `tangent` for its tangent: every character a full em wide, the frame turned any way.
TBox OneLineReach(const TTextBlk& t, double unitsPerPixel, double units, double tangent) {
    const double h = std::fabs(t.code40);
    const double cell = CellPerHeight * h;
    const double pixels = 4 * ReachPixel(cell, unitsPerPixel);
    const double em = EmPerHeight * h;
    const double slant = AscentPerHeight * h * std::fabs(tangent);
    const bool atFirstPoint = t.code72 == 0 && t.code73 == 0;
    const TAcadPoint a = atFirstPoint ? t.pt10 : t.pt11;
    const double wf = std::max(1.0, std::fabs(t.code41));
    double reach = units * em * wf + cell + slant + pixels;
    if (!std::isfinite(reach)) reach = std::numeric_limits<double>::infinity();
    return {{a.x - reach, a.y - reach, 0}, {a.x + reach, a.y + reach, 0}};
}

} // namespace

TBox TextReach(const TTextBlk& t, double unitsPerPixel) {
    const double h = std::fabs(t.code40);
    const double cell = CellPerHeight * h;
    const double pixels = 4 * ReachPixel(cell, unitsPerPixel);
    TBox box;
    if (LaidOutForReach(t)) {
        TextLayoutBounds(LayoutText(t), box.Min, box.Max);
        box.Min = {box.Min.x - pixels, box.Min.y - pixels, 0};
        box.Max = {box.Max.x + pixels, box.Max.y + pixels, 0};
        if (!std::isfinite(box.Min.x + box.Min.y + box.Max.x + box.Max.y)) {
            constexpr double inf = std::numeric_limits<double>::infinity();
            box.Min = {-inf, -inf, 0};
            box.Max = {inf, inf, 0};
        }
        return box;
    }
    // Most texts stand upright, and the tangent of 0 is 0: the library call is spared them.
    const double tangent =
        t.code51 == 0 ? 0.0 : std::tan(std::clamp(t.code51, -85.0, 85.0) * Pi / 180);
    if (!t.mtflag) return OneLineReach(t, unitsPerPixel, Utf16Length(t.str), tangent);
    // A square around the alignment point: every character a full em wide, the frame turned any
    // way, a slant at its widest.
    const double em = EmPerHeight * h;
    const double slant = AscentPerHeight * h * std::fabs(tangent);
    const double wf = std::max(1.0, std::fabs(t.styleWidth));
    const double longest = static_cast<double>(LongestMTextLine(t.str)) * em * wf;
    const double width = std::max(std::fabs(t.code41), longest);
    double lines = CountMTextLines(t.str);
    // A wrapped line, but the last of its paragraph, and the word after it are wider than the
    // reference width: the lines are at most the paragraphs and twice the text's width over the
    // reference width.
    if (t.code41 > 0) lines += 2 * static_cast<double>(Utf16Length(t.str)) * em * wf / t.code41;
    const double pitch = MTextLinePitch * std::max(1.0, std::fabs(t.code44)) * h;
    const double margin = (std::clamp(std::fabs(t.code45), 1.0, 5.0) - 1) * h;
    double reach = width + lines * pitch + cell + margin + slant + pixels;
    if (!std::isfinite(reach)) reach = std::numeric_limits<double>::infinity();
    const TAcadPoint& a = t.pt10;
    box.Min = {a.x - reach, a.y - reach, 0};
    box.Max = {a.x + reach, a.y + reach, 0};
    return box;
}

std::optional<TBox> TextReachOutside(const TTextBlk& t, double unitsPerPixel) {
    if (t.mtflag || LaidOutForReach(t)) return std::nullopt;
    // A string's bytes are never fewer than its UTF-16 units, and no slant is steeper than 85
    // degrees, whose tangent is 11.4.
    constexpr double SteeperThanAny = 12;
    return OneLineReach(t, unitsPerPixel, static_cast<double>(t.str.size()), SteeperThanAny);
}

} // namespace orvanta

// The one mapping from world coordinates (drawing units, y up) to device pixels (y down) that
// every picture of a drawing goes through: the detail view, previews, printed pages and exports.
//
// A view is fixed by the world point drawn at a chosen pixel (the centre), the world width and
// height that must fit, the pixel size of the target and a zoom factor that leaves a margin.
#pragma once

#include "model/AcadDxfUnit.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace orvanta {

// A device pixel position, y growing downwards.
struct TPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// An axis-aligned world rectangle; only x and y are meaningful.
struct WorldRect {
    TAcadPoint lowerLeft;
    TAcadPoint upperRight;
};

// Rounds to the nearest integer, ties to even (2.5 -> 2, 3.5 -> 4). Values beyond the range of
// a pixel coordinate saturate instead of overflowing; NaN gives 0. Inline: a redraw rounds four
// numbers for every line it draws.
inline std::int32_t RoundHalfEven(double value) {
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (!(value > lowest)) {
        return value <= lowest ? std::numeric_limits<std::int32_t>::min() : 0; // or NaN
    }
    if (value >= highest) return std::numeric_limits<std::int32_t>::max();
#ifdef __SSE4_1__
    // One instruction that rounds to even whatever the floating-point rounding mode, which a
    // library could have changed.
    return static_cast<std::int32_t>(__builtin_roundeven(value));
#else
    // Decided with integers rather than through the rounding mode. Truncation and one
    // correction give the floor. Written without branches: whether a fraction is above a half
    // is a coin toss no predictor learns.
    std::int64_t floor = static_cast<std::int64_t>(value);
    floor -= static_cast<std::int64_t>(static_cast<double>(floor) > value);
    const double fraction = value - static_cast<double>(floor);
    floor += static_cast<std::int64_t>(fraction > 0.5) |
             (static_cast<std::int64_t>(fraction == 0.5) & (floor & 1));
    return static_cast<std::int32_t>(floor);
#endif
}

// World units per pixel when a world extent of drawW x drawH is fitted into pixW x pixH pixels
// and then scaled by zoom. The direction that needs more units per pixel decides; an extent that
// is zero in one direction is fitted by the other one, and an extent that is zero in both falls
// back to one unit per pixel before the zoom.
double UnitsPerPixel(double drawW, double drawH, int pixW, int pixH, double zoom);

// a - b in x and y; z is a's. Every point is made relative to the view centre with this before
// it is scaled, so that large coordinates keep their precision.
inline TAcadPoint PointDiff(const TAcadPoint& a, const TAcadPoint& b) {
    return {a.x - b.x, a.y - b.y, a.z};
}

// The pixel of a point given relative to the view centre, for a view whose centre is drawn at
// origin. The y axis is flipped here and nowhere else. Coordinates saturate at the range of a
// pixel coordinate.
inline TPoint WorldToScreen(const TAcadPoint& rel, TPoint origin, double unitsPerPixel) {
    const auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::min<std::int64_t>(
            std::max<std::int64_t>(v, std::numeric_limits<std::int32_t>::min()),
            std::numeric_limits<std::int32_t>::max()));
    };
    return {clamp(std::int64_t{RoundHalfEven(rel.x / unitsPerPixel)} + origin.x),
            clamp(std::int64_t{RoundHalfEven(-rel.y / unitsPerPixel)} + origin.y)};
}

// The pixel at which a W x H canvas draws the view centre: (W div 2, H div 2).
TPoint ViewOriginOf(int pixW, int pixH);

// The part of the drawing a picture shows and the picture's pixels: `center` is drawn at
// `origin`, and a view of drawW x drawH world units fills pixW x pixH pixels (at `zoom`, the
// share of the picture the view takes). Nothing is drawn when drawW and drawH are both 0 or zoom
// is 0.
struct DrawView {
    TAcadPoint center;
    double drawW = 0;
    double drawH = 0;
    TPoint origin;
    int pixW = 0;
    int pixH = 0;
    double zoom = 0.98;
    // What the picture shows: 0 the model, a layout's space its sheet (the records whose code67
    // it is, on the layout's paper, with the model through its viewports).
    std::int16_t space = 0;
};

// The world point under pixel `pixel` of a pixW x pixH image showing the given view; (0, 0, 0)
// when the view has no extent at all.
TAcadPoint ScreenToWorld(const TAcadPoint& center, TPoint pixel, int pixW, int pixH, double drawW,
                         double drawH, double zoom);

// The world rectangle a pixW x pixH view around `center` covers at the given scale.
WorldRect ViewWindow(const TAcadPoint& center, int pixW, int pixH, double unitsPerPixel);

// Index of the first named view called `name` (exact, case-sensitive), -1 when there is none.
int ViewIndexOf(const Drawing& drawing, const std::string& name);

} // namespace orvanta

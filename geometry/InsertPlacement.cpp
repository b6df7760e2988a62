#include "geometry/InsertPlacement.h"

#include "geometry/Primitives.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {

double Reduce360(double deg) {
    double r = std::fmod(deg, 360.0);
    if (r < 0) r += 360;
    if (r >= 360) r = 0;
    return r;
}

} // namespace

InsertPlacement::InsertPlacement(const TInsertBlk& insert, const TAcadPoint& blockBase)
    : blockBase_(blockBase), scale_(insert.scale), base_(insert.base), rotate_(insert.rotate) {
    const double a = insert.rotate * Pi / 180;
    cos_ = std::cos(a);
    sin_ = std::sin(a);
}

double InsertPlacement::length(double value) const {
    return value * std::fabs(scale_.x);
}

bool InsertPlacement::round() const {
    const double x = std::fabs(scale_.x), y = std::fabs(scale_.y);
    return std::fabs(x - y) <= 1e-9 * std::max(x, y);
}

void InsertPlacement::arcAngles(double& st, double& ed) const {
    const bool mirrorX = scale_.x < 0;
    const bool mirrorY = scale_.y < 0;
    if (mirrorX || mirrorY) {
        double sweep = ed - st;
        if (st > ed) sweep += 360;
        // With one negative factor the map reverses the sense of turning: the mirrored arc runs
        // counter-clockwise from the image of the old end to the image of the old start.
        const bool reversed = mirrorX != mirrorY;
        const double first = reversed ? ed : st;
        const double second = reversed ? st : ed;
        double start;
        double newSweep;
        if (std::fabs(scale_.x) == std::fabs(scale_.y)) {
            // A plain mirror or half turn: exact angle arithmetic, the sweep is kept.
            if (!reversed)
                start = first + 180;
            else if (mirrorX)
                start = 180 - first;
            else
                start = -first;
            newSweep = sweep;
        } else {
            const auto image = [this](double deg) {
                const double r = deg * DegToRad;
                return Reduce360(std::atan2(scale_.y * std::sin(r), scale_.x * std::cos(r)) *
                                 RadToDeg);
            };
            start = image(first);
            newSweep = Reduce360(image(second) - start);
            // The map keeps half turns half turns, so a sweep stays on its side of 180°; a
            // result on the other side is rounding at 0° or 360°.
            if (sweep >= 360)
                newSweep = sweep;
            else if (sweep < 180 && newSweep > 180)
                newSweep = 0;
            else if (sweep > 180 && newSweep < 180)
                newSweep = 360;
        }
        st = Reduce360(start);
        ed = st + newSweep;
    }
    st += rotate_;
    ed += rotate_;
}

TAcadPoint InsertPlacement::turn(const TAcadPoint& v) const {
    return {v.x * cos_ - v.y * sin_, v.x * sin_ + v.y * cos_, v.z};
}

} // namespace orvanta

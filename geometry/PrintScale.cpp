#include "geometry/PrintScale.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

double MillimetresPerUnit(std::int16_t units) {
    switch (units) {
    case 1:
        return 25.4; // inches
    case 2:
        return 304.8; // feet
    case 3:
        return 1609344; // miles
    case 5:
        return 10; // centimetres
    case 6:
        return 1000; // metres
    case 7:
        return 1e6; // kilometres
    case 8:
        return 2.54e-5; // microinches
    case 9:
        return 0.0254; // mils
    case 10:
        return 914.4; // yards
    case 11:
        return 1e-7; // angstroms
    case 12:
        return 1e-6; // nanometres
    case 13:
        return 0.001; // microns
    case 14:
        return 100; // decimetres
    case 15:
        return 1e4; // dekametres
    case 16:
        return 1e5; // hectometres
    case 21:
        return 1200.0 / 3937 * 1000; // US survey feet
    default:
        return 1;
    }
}

double ShareOnPaper(double width, double height, double paperWidth, double paperHeight,
                    double scale, double unitMm) {
    const double k = unitMm / scale;
    const double w = std::fabs(width) * k, h = std::fabs(height) * k;
    if (!std::isfinite(w) || !std::isfinite(h)) return 0;
    // A range without width or height is a line: what counts is how much of its length fits.
    const double across = w > 0 ? std::min(w, paperWidth) / w : 1;
    const double up = h > 0 ? std::min(h, paperHeight) / h : 1;
    return std::clamp(across * up, 0.0, 1.0);
}

} // namespace orvanta

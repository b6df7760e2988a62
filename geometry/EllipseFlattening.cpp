#include "geometry/EllipseFlattening.h"

#include "geometry/Primitives.h"
#include "model/TableGrowth.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

std::size_t EllipseChordBound(const Drawing& d, double stepDeg) {
    const double step = stepDeg * Pi / 180;
    if (!(step > 0)) return 0;
    std::size_t chords = 0;
    for (const TEllipseBlk& e : d.EllipseAry) {
        double span = e.owari - e.kaisi;
        if (span < 0) span += TwoPi;
        if (span > 0) chords += static_cast<std::size_t>(std::min(span, TwoPi) / step) + 1;
    }
    return chords;
}

void FlattenEllipses(Drawing& d, double stepDeg) {
    const double step = stepDeg * Pi / 180;
    if (!(step > 0)) return;
    ReserveMore(d.LineAry, EllipseChordBound(d, stepDeg));

    const auto same = [](const TAcadPoint& p) { return p; };
    for (const TEllipseBlk& e : d.EllipseAry)
        AppendEllipse(d, e, step, same, same);
}

} // namespace orvanta

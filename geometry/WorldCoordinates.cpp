#include "geometry/WorldCoordinates.h"

#include "geometry/Primitives.h"

namespace orvanta {

void LinesToWcs(Drawing& d) {
    for (TAcadLineBlk& line : d.LineAry) {
        if (IsDefaultExtrusion(line.code210)) continue;
        line.st = OcsToWcs(line.st, line.code210);
        line.ed = OcsToWcs(line.ed, line.code210);
    }
}

void TextsToWcs(Drawing& d) {
    for (TTextBlk& text : d.TextAry) {
        if (IsDefaultExtrusion(text.code210)) continue;
        const TAcadPoint& n = text.code210;
        text.pt10 = OcsToWcs(text.pt10, n);
        text.pt11 = OcsToWcs(text.pt11, n);
        const TAcadPoint origin = OcsToWcs(TAcadPoint{0, 0, 0}, n);
        const TAcadPoint xAxis = OcsToWcs(TAcadPoint{100, 0, 0}, n);
        text.code50 += AngleOf(origin, xAxis) * RadToDeg;
    }
}

} // namespace orvanta

// Pen patterns. A pattern is the device's own, the same number of pixels at every zoom, not a
// dash length in drawing units.
#pragma once

#include "model/AcadDxfUnit.h"

namespace orvanta {

enum PenStyleValue : TPenStyle {
    PenSolid = 0,
    PenDash = 1,
    PenDot = 2,
    PenDashDot = 3,
    PenDashDotDot = 4,
    // The remaining values exist in the type but no linetype produces them; canvases draw them
    // solid, except clear, which draws nothing.
    PenClear = 5,
    PenInsideFrame = 6,
    PenUserStyle = 7,
    PenAlternate = 8,
};

} // namespace orvanta

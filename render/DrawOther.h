// Drawing the kinds beyond lines, curves and texts: fills (SOLID, TRACE, HATCH), points and
// splines of the normalised model. DrawDxf calls these with its view and filters.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"
#include "render/Colors.h"
#include "render/ViewTransform.h"

#include <cstddef>

namespace orvanta {

// The view and the filters of one DrawDxf call.
struct OtherKindsView {
    TAcadPoint center;
    TPoint origin;
    double unitsPerPixel = 1;
    WorldRect window;     // what the visibility tests look at
    WorldRect viewWindow; // the whole view's, when `window` is a band's
    TColor backColor = 0;
    ColorModeValue colorMode = ColorModeColor;
    int penWidth = 1;
    int layer = -1; // draw only this layer's records, without the visibility tests
    bool noClip = false;
    std::size_t step = 1; // 2 in rough drawing: every second record
    LineweightDisplay lineweights;
    std::int16_t space = 0;                          // the space drawn, as DrawOptions::space
    const std::vector<bool>* hiddenLayers = nullptr; // as DrawOptions::hiddenLayers
    bool waitForPictures = true;                     // as DrawOptions::waitForPictures
};

// Fills, drawn before everything else so that lines and texts stay on top. A solid fill is
// filled; a pattern fill draws its pattern lines; a fill whose pattern was too dense draws its
// boundary over a light fill (its colour a quarter of the way from the background). In a pen
// mode other than copy, solid and light fills draw their boundaries with the pen instead. Returns
// how many fills passed the filters.
int DrawFills(const Drawing& drawing, Canvas& canvas, const OtherKindsView& view);

// Points (a dot, or the figure of $PDMODE; none on the layer DEFPOINTS), ellipses and tilted
// circles and arcs (CurveAry), and splines, the curves as chords within half a pixel of them.
// Returns how many passed the filters.
int DrawPointsAndSplines(const Drawing& drawing, Canvas& canvas, const OtherKindsView& view);

} // namespace orvanta

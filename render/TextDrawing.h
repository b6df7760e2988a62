// Drawing a laid-out text with a device font scaled to the view: each run's height becomes a
// font cell height in pixels, its width factor the font's average character width, the text's
// direction the escapement, and its place in the text's frame the top-left corner of its first
// character cell, which is where a canvas places text.
#pragma once

#include "geometry/TextLayout.h"
#include "render/Canvas.h"
#include "render/Colors.h"
#include "render/ViewTransform.h"

namespace orvanta {

// The colours a text is drawn with: its own, and how a colour of its runs or its background
// becomes the colour drawn.
struct TextColours {
    TColor text = 0;       // the record's colour, as drawn
    TColor background = 0; // the picture's background colour
    ColorModeValue mode{};
};

// Draws a text laid out by LayoutText, at the view's scale `unitsPerPixel` with the view's centre
// `center` drawn at `origin`. Runs whose cell would be at most one pixel high are not drawn. The
// canvas's font is restored afterwards; its face is the one used.
void DrawDxfText(Canvas& canvas, TPoint origin, const TAcadPoint& center, double unitsPerPixel,
                 const TextLayout& layout, const TextColours& colours);

// Whether a text of capital height `height` has a cell of more than one pixel at this scale:
// smaller texts are not drawn at all.
bool TextLargeEnough(double height, double unitsPerPixel);

} // namespace orvanta

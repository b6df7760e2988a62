// Drawing one TEXT, ATTRIB or MTEXT record with a device font scaled to the view: the world
// height becomes a font cell height in pixels, the width factor the font's average character
// width, the rotation its escapement, and the justification a pixel offset from the alignment
// point to the top-left corner of the text cell, which is where a canvas places text.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"
#include "render/ViewTransform.h"

#include <string>

namespace orvanta {

// One text record as it is drawn: its string and the fields of the record that place it.
struct TextRequest {
    std::string s;      // the string, special codes already rewritten
    TAcadPoint p10;     // the record's pt10 relative to the view centre (PointDiff)
    TAcadPoint p11;     // the record's pt11 relative to the view centre
    TAcadPoint pt11Abs; // pt11 as stored: for MTEXT the direction of its x axis
    int code72 = 0;     // TEXT horizontal justification
    int code73 = 0;     // TEXT vertical justification
    int code71 = 0;     // MTEXT attachment point
    double code40 = 0;  // height
    double code41 = 1;  // width factor (TEXT) or reference width (MTEXT)
    double code50 = 0;  // rotation, degrees
    bool mtext = false; // the record is an MTEXT
    TColor colour = 0;
};

// Draws one text record at the view's scale `unitsPerPixel` around `origin`, the view centre's
// pixel. Texts whose cell would be at most one pixel high are not drawn, nor is a fit text
// without characters. The canvas's font is restored afterwards; its face is the one used.
void DrawDxfText(Canvas& canvas, TPoint origin, double unitsPerPixel, const TextRequest& text);

} // namespace orvanta

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

// Draws the text `s` (special codes already rewritten) of one text record.
//  - p10, p11: the record's pt10 and pt11 relative to the view centre (PointDiff);
//    pt11Abs: pt11 as stored (for MTEXT the direction of its x axis);
//  - code72/code73: TEXT justification; code71: MTEXT attachment point;
//  - code40 height, code41 width factor (TEXT) or reference width (MTEXT), code50 rotation;
//  - mtext: the record is an MTEXT; unitsPerPixel: the view's scale.
// Texts whose cell would be at most one pixel high are not drawn, nor is a fit text without
// characters. The canvas's font is restored afterwards; its face is the one used.
void DrawDxfText(Canvas& canvas, TPoint origin, const std::string& s, const TAcadPoint& p10,
                 const TAcadPoint& p11, const TAcadPoint& pt11Abs, int code72, int code73,
                 double code40, double code41, double code50, TColor colour, int code71, bool mtext,
                 double unitsPerPixel);

} // namespace orvanta

// Axis-aligned boxes of single entities in the XY plane, used for the drawing extents and for the
// renderer's visibility tests.
#pragma once

#include "model/AcadDxfUnit.h"

#include <algorithm>
#include <optional>

namespace orvanta {

// Only x and y are meaningful; Min.x <= Max.x and Min.y <= Max.y.
struct TBox {
    TAcadPoint Min;
    TAcadPoint Max;
};

// Inline, as CircleBox: the extents take the box of every line of the drawing.
inline TBox SegmentBox(const TAcadPoint& a, const TAcadPoint& b) {
    TBox box;
    box.Min = {std::min(a.x, b.x), std::min(a.y, b.y), 0};
    box.Max = {std::max(a.x, b.x), std::max(a.y, b.y), 0};
    return box;
}

inline TBox CircleBox(const TAcadPoint& center, double radius) {
    TBox box;
    box.Min = {center.x - radius, center.y - radius, 0};
    box.Max = {center.x + radius, center.y + radius, 0};
    return box;
}

// The arc runs counter-clockwise from startRad to endRad (radians). Both angles are reduced to
// [0, 2π) first, so an arc turned past a full turn (by block expansion, say) keeps its true box.
// Equal angles after reduction count as a full circle.
TBox ArcBox(const TAcadPoint& center, double radius, double startRad, double endRad);

// The area a TEXT or MTEXT covers as it is laid out (wrapped, aligned, turned and mirrored), with
// a margin for ideographs above the capitals and slanted characters.
TBox TextBox(const TTextBlk& text);

// A square around a text's alignment point that holds everything the renderer can draw of it at
// any scale at which it is drawn at all (or at `unitsPerPixel`, when that is given): the cell
// and its justification offset along and across the baseline in any direction, every character
// taken as full-width, every pixel rounding taken at its largest.
TBox TextReach(const TTextBlk& text, double unitsPerPixel = 0);

// A square that holds TextReach(text, unitsPerPixel), found without reading the string, for a
// one-line text that is not aligned or fit: a first test that turns away most texts far from a
// window cheaply. None for the others.
std::optional<TBox> TextReachOutside(const TTextBlk& text, double unitsPerPixel);

} // namespace orvanta

// Where the characters of a TEXT, ATTRIB or MTEXT go, in world units: the text is laid out in its
// own frame, whose origin is its alignment point, x axis its baseline direction and y axis points
// up, and that frame is then turned and mirrored onto the drawing. MTEXT paragraphs are wrapped at
// their reference width and flowed into their columns, and its formatting codes become runs of
// their own height, width, slant, spacing and colour. Widths come from the text face's own
// advances (TextMetrics.h), so a layout does not depend on the zoom: the renderer draws it at any
// scale, the extents and the culling bound it.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// A colour a part of a text sets for itself; neither set means the text's own colour.
struct TextColour {
    std::int16_t aci = -1; // a colour index 1..255
    std::int32_t rgb = -1; // a true colour 0x00RRGGBB
    bool own() const { return aci < 0 && rgb < 0; }
    friend bool operator==(const TextColour&, const TextColour&) = default;
};

// How a run of characters is drawn.
struct TextRunStyle {
    double height = 0;      // height of the capitals, world units
    double widthFactor = 1; // of the face's own proportions
    double oblique = 0;     // degrees the verticals lean clockwise
    double tracking = 1;    // character spacing, times the advance
    TextColour colour;
    bool underline = false;
    bool overline = false;
    bool strike = false;
    friend bool operator==(const TextRunStyle&, const TextRunStyle&) = default;
};

// Characters of one style on one line.
struct TextRun {
    std::string text;
    double x = 0; // start of its baseline in the text's frame
    double y = 0;
    double width = 0; // its advance, world units
    TextRunStyle style;
};

// A straight stroke in the text's frame: an underline, an overline, a strike-through, the bar of
// a stacked fraction, an edge of the text frame.
struct TextStroke {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    TextColour colour;
};

struct TextLayout {
    TAcadPoint anchor; // the alignment point: the frame's origin in the world
    double angle = 0;  // direction of the baseline, radians counterclockwise
    bool mirrorX = false;
    bool mirrorY = false;
    std::vector<TextRun> runs;
    std::vector<TextStroke> strokes;
    // The box the text fills in its frame: from the start of its lines to their end, from the
    // top of its capitals to the descent of its last line.
    double left = 0, bottom = 0, right = 0, top = 0;
    // An MTEXT background: filled behind the text over the box widened by `fillMargin`, in its
    // own colour or (windowFill) the colour of the window it is drawn on.
    bool filled = false;
    bool windowFill = false;
    TextColour fillColour;
    double fillMargin = 0;
};

// Lays out one text record; its special codes (%%c, \U+ and the like) are rewritten first. A
// record with nothing to draw gives a layout without runs.
TextLayout LayoutText(const TTextBlk& text);

// The world point of a point (x, y) of the layout's frame.
TAcadPoint TextFrameToWorld(const TextLayout& layout, double x, double y);

// The world box of the layout's box (the background's when it has one), turned with its frame.
void TextLayoutBounds(const TextLayout& layout, TAcadPoint& min, TAcadPoint& max);

} // namespace orvanta

// Colours and pens: the colour index palette, the linetype-to-pattern mapping, the pass that
// gives every drawable record its ready-to-draw pen, and the colour rule applied at draw time.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/PenStyle.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

namespace orvanta {

// Colour modes of a drawing pass.
enum ColorModeValue : int {
    ColorModeColor = 0,
    ColorModeMonochrome = 1,
    ColorModeInverted = 2,
};

constexpr TColor ColorBlack = 0x000000;
constexpr TColor ColorWhite = 0xFFFFFF;

constexpr TColor RgbColor(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16);
}
constexpr int RedOf(TColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(TColor c) {
    return static_cast<int>(c >> 8 & 0xFF);
}
constexpr int BlueOf(TColor c) {
    return static_cast<int>(c >> 16 & 0xFF);
}

// The RGB colour of a colour index 1..255; black for 0 and for every other value.
TColor AciToColor(int index);

// The complementary colour: 0xFFFFFF - (c and 0xFFFFFF).
TColor InvertColor(TColor c);

// The pen pattern of a linetype, chosen by the beginning of its upper-cased name.
TPenStyle LtypeToPenStyle(const std::string& name);

// The pen pattern of an entity: "BYLAYER" (or no linetype) takes the linetype of the entity's
// layer when the table lists it.
TPenStyle EntityPenStyle(const Drawing& drawing, const std::string& ltype,
                         const std::string& layerName);

// Gives every line, arc, circle and text of the model its PenColor, PenStyle (texts have none)
// and layindex, and every record drawn with a pen its lineweight in hundredths of a millimetre
// (code370, by layer and default resolved). Runs once per load, after the normalisation passes and
// before the first draw; the block-definition tables are left alone.
void ResolvePens(Drawing& drawing);

// Whether lines are drawn with their lineweights, and how many device pixels an inch is: 96 on
// the screen, the printer's resolution on a page.
struct LineweightDisplay {
    bool shown = false;
    double dotsPerInch = 96;
};

// The pen width in pixels of a record of lineweight `weight` (hundredths of a millimetre, as
// ResolvePens leaves it): `penWidth` when lineweights are not shown, else the weight at the
// display's resolution, never thinner than `penWidth`.
int LineweightPen(std::int16_t weight, int penWidth, const LineweightDisplay& display);

// The widest pen any record can be drawn with: how far beyond its path a record may reach.
inline int WidestPen(int penWidth, const LineweightDisplay& display) {
    return std::max(LineweightPen(std::numeric_limits<std::int16_t>::max(), penWidth, display), 1);
}

// The colour an entity of colour `penColor` is drawn with on background `backColor` in the
// given colour mode. In colour mode an entity of the background's colour is drawn in its
// complement so that it stays visible; an unknown mode draws as colour mode.
TColor DrawnColor(TColor penColor, TColor backColor, ColorModeValue colorMode);

} // namespace orvanta

#include "render/TextDrawing.h"

#include "geometry/TextCodes.h"
#include "geometry/TextMetrics.h"

#include <cmath>
#include <string>

namespace orvanta {

namespace {

constexpr double DegreesPerRadian = 57.29577951308232;

TColor ColourOfRgb(std::int32_t rgb) {
    return RgbColor(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

} // namespace

bool TextLargeEnough(double height, double unitsPerPixel) {
    return RoundHalfEven(height / unitsPerPixel * CellPerHeight) > 1;
}

void DrawDxfText(Canvas& canvas, TPoint origin, const TAcadPoint& center, double unitsPerPixel,
                 const TextLayout& layout, const TextColours& colours) {
    const double u = unitsPerPixel;
    const auto screen = [&](double x, double y) {
        return WorldToScreen(PointDiff(TextFrameToWorld(layout, x, y), center), origin, u);
    };
    // A run's or stroke's own colour is drawn as the record's colour would be.
    const auto drawn = [&](const TextColour& c) {
        if (c.aci > 0) return DrawnColor(AciToColor(c.aci), colours.background, colours.mode);
        if (c.rgb >= 0) return DrawnColor(ColourOfRgb(c.rgb), colours.background, colours.mode);
        return colours.text;
    };

    if (layout.filled) {
        // The background masks what lies under the text: in its own colour, or in the window's
        // (and the paper's when printing in black).
        TColor fill = colours.background;
        if (!layout.windowFill && !layout.fillColour.own()) {
            const TColor own = layout.fillColour.aci > 0 ? AciToColor(layout.fillColour.aci)
                                                         : ColourOfRgb(layout.fillColour.rgb);
            if (colours.mode == ColorModeColor)
                fill = own;
            else if (colours.mode == ColorModeInverted)
                fill = InvertColor(own);
        }
        const double m = layout.fillMargin;
        const double l = layout.left - m, r = layout.right + m;
        const double b = layout.bottom - m, t = layout.top + m;
        canvas.fillPolygon({{screen(l, b), screen(r, b), screen(r, t), screen(l, t)}}, fill);
    }

    const CanvasFont previous = canvas.font();
    const double escapement = layout.angle * DegreesPerRadian * 10;
    CanvasFont font = previous;
    bool fontSet = false;
    for (const TextRun& run : layout.runs) {
        const TextRunStyle& s = run.style;
        if (run.text.empty() || !TextLargeEnough(s.height, u)) continue;
        const double cell = s.height / u * CellPerHeight;
        const CanvasFont wanted{previous.face, cell,      AverageCharWidth(cell, s.widthFactor),
                                escapement,    s.oblique, layout.mirrorX,
                                layout.mirrorY};
        if (!fontSet) canvas.setTransparentText(true);
        if (!fontSet || !(wanted == font)) {
            canvas.setFont(wanted);
            font = wanted;
            fontSet = true;
        }
        canvas.setTextColor(drawn(s.colour));
        // The top of the cell lies the face's ascent above the baseline.
        const double top = run.y + AscentPerHeight * s.height;
        if (s.tracking == 1) {
            const TPoint d = screen(run.x, top);
            canvas.textOut(d.x, d.y, run.text);
            continue;
        }
        // Spaced characters one by one, each at its own place.
        double x = run.x;
        for (char32_t c : DecodeUtf8(run.text)) {
            std::string one;
            AppendUtf8(one, c);
            const TPoint d = screen(x, top);
            canvas.textOut(d.x, d.y, one);
            x += AdvanceEms(c) * EmPerHeight * s.height * s.widthFactor * s.tracking;
        }
    }

    if (!layout.strokes.empty() && !layout.runs.empty() &&
        TextLargeEnough(layout.runs.front().style.height, u)) {
        for (const TextStroke& stroke : layout.strokes) {
            canvas.setPen(drawn(stroke.colour), 1, PenSolid);
            const TPoint a = screen(stroke.x0, stroke.y0);
            const TPoint b = screen(stroke.x1, stroke.y1);
            canvas.moveTo(a.x, a.y);
            canvas.lineTo(b.x, b.y);
        }
    }
    if (fontSet) canvas.setFont(previous);
}

} // namespace orvanta

// How large texts are drawn, in text heights (code 40): the renderer sizes its fonts and places
// its lines with these, the culling reach bounds a text with them, and the extents estimate a
// text's box from them.
#pragma once

namespace orvanta {

// A font cell, the full character cell with its internal leading, is this many text heights.
constexpr double CellPerHeight = 1.3;

// The average character width the font is asked for, for a cell `cell` high (in any unit): the
// character of a TEXT of width factor 1 is 0.51 * 0.75 of the cell. The factors are applied in
// this order on purpose, so that the rounding to whole pixels is the same wherever it is done.
inline double AverageCharWidth(double cell, double widthFactor) {
    return cell * 0.51 * widthFactor * 0.75;
}
// MTEXT has no width factor of its own; its characters are drawn at 0.8 of a TEXT's.
inline double MTextAverageCharWidth(double cell) {
    return cell * 0.51 * 0.8 * 0.75;
}
// A fit TEXT (code 72 = 5) spreads its characters between its two points: each takes this share
// of the cell-scaled distance divided by the number of characters.
constexpr double FitCharShare = 0.8;

// Distance between the baselines of two MTEXT lines.
constexpr double MTextLinePitch = 1.737;

// Vertical offsets from an alignment point to the top of the cell, as shares of the cell height
// (upwards positive), by where the text is aligned.
constexpr double BaselineToTop = 0.855;
constexpr double BottomToTop = 0.994;
constexpr double TopToTop = 0.086;
inline double MiddleToTop(double h) {
    return h / 2 - 0.03 * h;
}

// The extents do not measure texts; they estimate a box on the large side, since the view that
// shows the whole drawing must not cut a text off. A TEXT character counts this many text heights
// times the width factor, a little more than the drawn average (1.3 * 0.51 * 0.75 = 0.497).
constexpr double BoxCharWidth = 0.51;
// An MTEXT line counts this many text heights. It is deliberately more than MTextLinePitch: k
// lines are drawn k - 1 pitches apart plus a cell and an offset from the attachment point, and
// the middle and bottom attachments raise the block by whole pitches, so a box of k pitches falls
// short of the drawn text where this allowance still covers most of it.
constexpr double BoxMTextLineHeight = 1.86;

} // namespace orvanta

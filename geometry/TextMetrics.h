// How large texts are drawn, in one place. Texts are drawn in IPAGothic, and a text's height
// (code 40) is the height of its capital letters, as CAD programs take it: the face's own
// proportions below turn that height into the em, the font cell, the baseline and the advance of
// every character. The renderer sizes its fonts with them, the text layout measures lines and
// wraps paragraphs with them, and the extents and the culling reach bound texts with them.
#pragma once

#include <string>
#include <string_view>

namespace orvanta {

// IPAGothic (ipag.ttf 003.03), in ems: ascent and descent of its character cell (the Windows
// metrics, which are what the font engine reports) and the height of its capitals.
constexpr double FaceAscentPerEm = 1802.0 / 2048;
constexpr double FaceDescentPerEm = 401.0 / 2048;
constexpr double FaceCellPerEm = FaceAscentPerEm + FaceDescentPerEm;
constexpr double FaceCapPerEm = 1538.0 / 2048;

// Ems, font cells, ascents and descents per text height.
constexpr double EmPerHeight = 1 / FaceCapPerEm;
constexpr double CellPerHeight = FaceCellPerEm * EmPerHeight;
constexpr double AscentPerHeight = FaceAscentPerEm * EmPerHeight;
constexpr double DescentPerHeight = FaceDescentPerEm * EmPerHeight;

// The average character width a font is asked for, for a cell `cell` high (in any unit): the
// advance of a half-width character, half an em, times the width factor.
inline double AverageCharWidth(double cell, double widthFactor) {
    return cell / FaceCellPerEm / 2 * widthFactor;
}

// Distance between the baselines of two MTEXT lines at line spacing factor 1, in text heights.
constexpr double MTextLinePitch = 5.0 / 3;

// The code points of UTF-8 text; an invalid or truncated sequence becomes U+FFFD, and
// `replaced`, when given, says whether one did (otherwise encoding the code points again gives
// back `utf8` itself).
std::u32string DecodeUtf8(std::string_view utf8, bool* replaced = nullptr);

// Whether the face draws the character half an em wide; every other character, including those
// the face does not have, takes a whole em.
bool IsHalfWidth(char32_t c);

// The advance of a character in ems.
inline double AdvanceEms(char32_t c) {
    return IsHalfWidth(c) ? 0.5 : 1.0;
}

} // namespace orvanta

// The face texts are drawn with, and its metrics where a canvas must lay text out without a font
// engine (the metafile canvases): IPAGothic is a fixed-pitch Japanese face whose characters are
// either exactly half an em or exactly a whole em wide.
#pragma once

#include "geometry/TextMetrics.h"
#include "render/Canvas.h"

#include <string>
#include <string_view>

namespace orvanta {

// It covers Japanese and the symbols drawings use (Φ ° ± □), and its half-width characters are
// exactly half an em wide.
inline constexpr const char* DefaultTextFace = "IPAGothic";

// The face that draws a character the text face lacks (⌀, Cyrillic, many technical symbols).
// Named rather than left to the system's font substitution, so that a drawing looks the same on
// every machine: the set-up and the package install it (fonts-dejavu-core).
inline constexpr const char* FallbackTextFace = "DejaVu Sans";

// The advance of one character in `font`, pixels. A non-zero average width is the advance of a
// half-width character, as a Windows font of a Japanese face takes it.
double CharacterAdvance(char32_t c, const CanvasFont& font);

} // namespace orvanta

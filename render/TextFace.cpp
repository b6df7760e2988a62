#include "render/TextFace.h"

#include "geometry/TextMetrics.h"

namespace orvanta {

double CharacterAdvance(char32_t c, const CanvasFont& font) {
    const double half =
        font.averageWidth > 0 ? font.averageWidth : font.cellHeight / FaceCellPerEm / 2;
    return IsHalfWidth(c) ? half : 2 * half;
}

} // namespace orvanta

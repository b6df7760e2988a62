#include "render/ViewTransform.h"

#include <cmath>
#include <limits>

namespace orvanta {

double UnitsPerPixel(double drawW, double drawH, int pixW, int pixH, double zoom) {
    // A canvas without pixels (a minimised window) is treated as one pixel wide or high so that
    // the scale stays finite.
    const double w = pixW > 0 ? pixW : 1;
    const double h = pixH > 0 ? pixH : 1;
    double fit = 1.0;
    if (drawW > 0 && drawH > 0) {
        // The larger of the two ratios; on equality the width ratio.
        fit = h / w >= drawH / drawW ? drawW / w : drawH / h;
    } else if (drawW > 0) {
        // All lines horizontal, say: the width alone decides, or a long line would run off the
        // picture.
        fit = drawW / w;
    } else if (drawH > 0) {
        fit = drawH / h;
    }
    return fit / zoom;
}

TPoint ViewOriginOf(int pixW, int pixH) {
    return {pixW / 2, pixH / 2};
}

TAcadPoint ScreenToWorld(const TAcadPoint& center, TPoint pixel, int pixW, int pixH, double drawW,
                         double drawH, double zoom) {
    if (!(drawW > 0) && !(drawH > 0)) return {};
    const double u = UnitsPerPixel(drawW, drawH, pixW, pixH, zoom);
    // H - H div 2 is one more than H div 2 for an odd height; kept so that a pixel maps to the
    // same world point wherever it is asked.
    return {center.x + (static_cast<double>(pixel.x) - pixW / 2) * u,
            center.y + (static_cast<double>(pixH) - pixel.y - pixH / 2) * u, 0};
}

WorldRect ViewWindow(const TAcadPoint& center, int pixW, int pixH, double unitsPerPixel) {
    const double halfW = pixW * unitsPerPixel / 2;
    const double halfH = pixH * unitsPerPixel / 2;
    return {{center.x - halfW, center.y - halfH, 0}, {center.x + halfW, center.y + halfH, 0}};
}

int ViewIndexOf(const Drawing& drawing, const std::string& name) {
    for (std::size_t i = 0; i < drawing.ViewAry.size(); ++i) {
        if (drawing.ViewAry[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

} // namespace orvanta

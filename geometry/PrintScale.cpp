#include "geometry/PrintScale.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <utility>

namespace orvanta {

double MillimetresPerUnit(std::int16_t units) {
    switch (units) {
    case 1:
        return 25.4; // inches
    case 2:
        return 304.8; // feet
    case 3:
        return 1609344; // miles
    case 5:
        return 10; // centimetres
    case 6:
        return 1000; // metres
    case 7:
        return 1e6; // kilometres
    case 8:
        return 2.54e-5; // microinches
    case 9:
        return 0.0254; // mils
    case 10:
        return 914.4; // yards
    case 11:
        return 1e-7; // angstroms
    case 12:
        return 1e-6; // nanometres
    case 13:
        return 0.001; // microns
    case 14:
        return 100; // decimetres
    case 15:
        return 1e4; // dekametres
    case 16:
        return 1e5; // hectometres
    case 21:
        return 1200.0 / 3937 * 1000; // US survey feet
    default:
        return 1;
    }
}

double ShareOnPaper(double width, double height, double paperWidth, double paperHeight,
                    double scale, double unitMm) {
    const double k = unitMm / scale;
    const double w = std::fabs(width) * k, h = std::fabs(height) * k;
    if (!std::isfinite(w) || !std::isfinite(h)) return 0;
    // A range without width or height is a line: what counts is how much of its length fits.
    const double across = w > 0 ? std::min(w, paperWidth) / w : 1;
    const double up = h > 0 ? std::min(h, paperHeight) / h : 1;
    return std::clamp(across * up, 0.0, 1.0);
}

namespace {

constexpr double MillimetresPerInch = 25.4;

constexpr std::array<PaperSize, 11> Papers{{
    {"A0", 841, 1189},
    {"A1", 594, 841},
    {"A2", 420, 594},
    {"A3", 297, 420},
    {"A4", 210, 297},
    {"B3", 364, 515}, // the JIS B sizes, as Japanese offices mean B4 and B5
    {"B4", 257, 364},
    {"B5", 182, 257},
    {"Letter", 215.9, 279.4},
    {"Legal", 215.9, 355.6},
    {"Tabloid", 279.4, 431.8},
}};

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool Finite(double v) {
    return std::isfinite(v);
}

} // namespace

std::span<const PaperSize> StandardPapers() {
    return Papers;
}

std::optional<PaperSize> PaperNamed(std::string_view name) {
    for (const PaperSize& paper : Papers)
        if (SameLetters(paper.name, name)) return paper;
    return std::nullopt;
}

std::optional<PaperSize> PaperOfSize(double width, double height) {
    const double shorter = std::min(width, height), longer = std::max(width, height);
    for (const PaperSize& paper : Papers)
        if (std::fabs(paper.width - shorter) <= 0.5 && std::fabs(paper.height - longer) <= 0.5)
            return paper;
    return std::nullopt;
}

std::optional<SheetPlot> PlotOfLayout(const TLayout& layout, const TAcadPoint& extMin,
                                      const TAcadPoint& extMax) {
    // The settings give the paper upright as the plotter feeds it, and its unprintable margins
    // on that paper; a plot turned by a quarter turn lies on the paper turned.
    double w = layout.code44, h = layout.code45;
    double left = layout.code40, bottom = layout.code41;
    if (layout.code73 == 1 || layout.code73 == 3) {
        std::swap(w, h);
        left = layout.code41;
        bottom = layout.code42;
    }
    const double inch = layout.code72 == 0 ? MillimetresPerInch : 1;
    if (!(Finite(w) && Finite(h) && w > 0 && h > 0 && Finite(left) && Finite(bottom)))
        return std::nullopt;

    SheetPlot plot;
    plot.paperWidth = w;
    plot.paperHeight = h;
    // The scale is in the settings' paper units (inches or millimetres) per drawing unit; a
    // scale that makes no sense is taken as 1 : 1.
    const double scale = layout.code142 / layout.code143;
    plot.mmPerUnit = Finite(scale) && scale > 0 ? scale * inch : inch;

    // What the plot shows: the layout's own sheet from its origin, or a range of it.
    TAcadPoint from{0, 0, 0}, to{0, 0, 0};
    bool range = true;
    switch (layout.code74) {
    case 2:
        from = layout.limMin, to = layout.limMax;
        break;
    case 4:
        from = layout.windowMin, to = layout.windowMax;
        break;
    case 0:
    case 1:
    case 3:
        from = extMin, to = extMax;
        break;
    default:
        range = false;
        break;
    }
    const double ox = Finite(layout.code46) ? layout.code46 : 0;
    const double oy = Finite(layout.code47) ? layout.code47 : 0;
    if (range && (layout.plotFlags & 4)) {
        plot.originX = w / 2 - (from.x + to.x) / 2 * plot.mmPerUnit;
        plot.originY = h / 2 - (from.y + to.y) / 2 * plot.mmPerUnit;
    } else {
        const double x0 = range ? std::min(from.x, to.x) : 0;
        const double y0 = range ? std::min(from.y, to.y) : 0;
        plot.originX = left + ox - x0 * plot.mmPerUnit;
        plot.originY = bottom + oy - y0 * plot.mmPerUnit;
    }
    if (!Finite(plot.originX) || !Finite(plot.originY)) plot.originX = plot.originY = 0;
    return plot;
}

} // namespace orvanta

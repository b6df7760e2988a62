// Printing at a scale: how long a drawing unit is, and how much of a range a sheet of paper
// holds at 1 : N.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace orvanta {

// Millimetres in one drawing unit of $INSUNITS `units`. A drawing without units (0), or in
// gigametres, astronomical units, light years or parsecs, which no sheet is drawn in, is taken
// to be in millimetres, as drawings made for print mostly are.
double MillimetresPerUnit(std::int16_t units);

// The share (0 to 1) of a range `width` x `height` drawing units that lies on a paper area of
// `paperWidth` x `paperHeight` millimetres when printed centred at 1 : `scale`, one drawing
// unit being `unitMm` millimetres. 1 for an empty range.
double ShareOnPaper(double width, double height, double paperWidth, double paperHeight,
                    double scale, double unitMm);

// A paper a print can choose, upright: width below height, in millimetres.
struct PaperSize {
    std::string_view name;
    double width = 0;
    double height = 0;
};

// The papers of the print window, in its order: JIS A0 to A4 and B3 to B5, Letter, Legal and
// Tabloid.
std::span<const PaperSize> StandardPapers();

// The paper called `name` among those (letter case ignored), or none.
std::optional<PaperSize> PaperNamed(std::string_view name);

// The standard paper of `width` x `height` millimetres in either orientation (within half a
// millimetre), or none.
std::optional<PaperSize> PaperOfSize(double width, double height);

// How the author plots a layout: on which paper and where its sheet lies on it.
struct SheetPlot {
    // The page as it lies, in millimetres: wider than high for a landscape plot.
    double paperWidth = 0;
    double paperHeight = 0;
    // Paper millimetres in one paper-space unit: the plot scale.
    double mmPerUnit = 1;
    // Where the paper space's origin lies, in millimetres from the page's lower-left corner.
    double originX = 0;
    double originY = 0;
};

// The plot of `layout` from its plot settings: the paper (turned as the plot rotation says),
// the scale (code 142 paper units per code 143 drawing units), and the plotted area placed at
// the printable area's corner (the paper's margins) moved by the plot origin, or centred when
// the settings say so. `extMin`/`extMax` is what an extents plot shows. None without paper.
std::optional<SheetPlot> PlotOfLayout(const TLayout& layout, const TAcadPoint& extMin,
                                      const TAcadPoint& extMax);

} // namespace orvanta

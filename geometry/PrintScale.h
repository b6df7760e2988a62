// Printing at a scale: how long a drawing unit is, and how much of a range a sheet of paper
// holds at 1 : N.
#pragma once

#include <cstdint>

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

} // namespace orvanta

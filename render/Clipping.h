// Cutting figures to a rectangle, for targets that cannot take coordinates beyond a range: the
// raster of an image, the 16-bit coordinates of a Windows metafile.
#pragma once

#include "render/ViewTransform.h"

#include <vector>

namespace orvanta {

// Liang-Barsky on doubles: cuts the segment (x0, y0)-(x1, y1) to the box and gives the
// parameters t0 <= t1 of the part inside, or returns false when nothing is.
bool ClipParameters(double x0, double y0, double x1, double y1, double left, double top,
                    double right, double bottom, double& t0, double& t1);

// Sutherland-Hodgman: the part of a closed ring inside the box, as a ring (empty when nothing is
// inside). Parts outside become runs along the box's edges, so that the even-odd fill of a set
// of rings cut one by one covers exactly the part of their fill inside the box.
std::vector<TPoint> ClipRing(const std::vector<TPoint>& ring, int left, int top, int right,
                             int bottom);

} // namespace orvanta

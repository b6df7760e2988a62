// The extents of the normalised model, from which the view is fitted to the whole drawing.
#pragma once

#include "geometry/EntityBoxes.h"
#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace orvanta {

// Sets ExtMin and ExtMax (z = 0) to the box of every model-space (code67 = 0) line, circle, arc,
// text (its estimated box), fill, point, spline (its control points) and image (the part of its
// picture it shows). A record whose box is not finite is left out. A drawing with nothing
// countable gets (0, 0, 0) for both.
void ComputeExtents(Drawing& drawing);

// The same box for each space 0 .. spaces - 1 (code67: 0 the model, a layout's space for its
// sheet), in one pass over the tables; none for a space that holds nothing countable.
std::vector<std::optional<TBox>> ExtentsBySpace(const Drawing& drawing, std::size_t spaces);

} // namespace orvanta

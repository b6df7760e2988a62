// The sheets a drawing keeps in its layouts. A layout's paper-space records stand in the same
// tables as the model's and carry the layout's space in code67 (the model's is 0), so that the
// normalisation, the renderer and the extents treat a sheet as they treat the model; its
// viewports show the model's records through windows on the sheet.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace orvanta {

// Before the normalisation:
//  - drops the model's own tab and the layouts whose paper-space block is missing (counted in
//    SkippedLayouts), and gives every other layout its space: 1 to the layout of "*Paper_Space",
//    whose records the reader found in the ENTITIES section with code67 1, then 2, 3, ... in tab
//    order;
//  - inserts each of those other layouts' blocks into its space, so that the block expansion
//    places their records as it places any block's;
//  - ties each viewport to its layout and reads its clip shape from the paper-space entity it
//    names.
// A drawing with paper-space records but no layouts (release 12) gets one layout, "Layout1", and
// one more ("Layout2", ...) for each other paper-space block that holds records.
void PrepareLayouts(Drawing& drawing);

// After the normalisation: each layout's paper (from its plot settings; the box of its records
// and viewports when it has none) and the extents of its sheet, paper included.
void MeasureLayouts(Drawing& drawing);

// The index of the layout the drawing was saved showing ($TILEMODE 0: the layout of
// "*Paper_Space"); -1 for the model.
int SavedLayout(const Drawing& drawing);

// The index of the layout named `name` (letter case ignored), -1 when there is none.
int LayoutIndexOf(const Drawing& drawing, std::string_view name);

// The index of the layout whose records carry `space`, -1 for the model or an unknown space.
int LayoutOfSpace(const Drawing& drawing, std::int16_t space);

// Whether the viewport shows the model: on, not the sheet's own window (id 1), of a finite
// positive size and view height, and tied to a layout.
bool ViewportShown(const TViewport& viewport);

} // namespace orvanta

// Lookups in a drawing's layer table. Names are compared exactly (case-sensitive) and the first
// layer of a name wins, as everywhere else in the program.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orvanta {

// Index of the first layer called `name`, -1 when there is none.
int LayerIndexOf(const Drawing& drawing, const std::string& name);

// Whether entities of the layer at `index` are shown. An index outside the table (an entity on
// a layer the table does not list) is always shown.
inline bool LayerVisibleAt(const Drawing& drawing, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= drawing.LayerAry.size()) return true;
    return drawing.LayerAry[static_cast<std::size_t>(index)].visible;
}

// Whether `hidden` (true at a layer's index hides it; null hides nothing) hides layer `index`.
inline bool LayerHidden(const std::vector<bool>* hidden, int index) {
    return hidden != nullptr && index >= 0 && static_cast<std::size_t>(index) < hidden->size() &&
           (*hidden)[static_cast<std::size_t>(index)];
}

// Shows or hides the first layer called `name`; does nothing when there is none.
void SetLayerVisible(Drawing& drawing, const std::string& name, bool visible);

} // namespace orvanta

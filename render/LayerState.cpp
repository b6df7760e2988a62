#include "render/LayerState.h"

namespace orvanta {

int LayerIndexOf(const Drawing& drawing, const std::string& name) {
    for (std::size_t i = 0; i < drawing.LayerAry.size(); ++i) {
        if (drawing.LayerAry[i].Name == name) return static_cast<int>(i);
    }
    return -1;
}

void SetLayerVisible(Drawing& drawing, const std::string& name, bool visible) {
    const int index = LayerIndexOf(drawing, name);
    if (index >= 0) drawing.LayerAry[static_cast<std::size_t>(index)].visible = visible;
}

} // namespace orvanta

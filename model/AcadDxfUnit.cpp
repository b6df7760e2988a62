#include "model/AcadDxfUnit.h"

namespace orvanta {

void Drawing::clear() {
    std::shared_ptr<NameTable> names = std::move(Names);
    *this = Drawing();
    Names = std::move(names);
}

std::array<TableCount, 13> TableCounts(const Drawing& d) {
    return {{
        {"Layer", d.LayerAry.size()},
        {"Line", d.LineAry.size()},
        {"Polyline", d.LwpAry.size()},
        {"Circle", d.CircleAry.size()},
        {"Arc", d.ArcAry.size()},
        {"Text", d.TextAry.size()},
        {"Ellipse", d.EllipseAry.size()},
        {"3DFace", d.FaceAry.size()},
        {"Insert", d.InsertAry.size()},
        {"Block", d.BlockAry.size()},
        {"Dimension", d.DimensionAry.size()},
        {"Leader", d.LeaderAry.size()},
        {"View", d.ViewAry.size()},
    }};
}

std::array<TableCount, 6> OtherCounts(const Drawing& d) {
    return {{
        {"Hatch", d.HatchAry.size() + d.BlkHatchAry.size()},
        {"Solid", d.ModelSolidAry.size() + d.SolidAry.size()},
        {"Spline", d.SplineAry.size() + d.BlkSplineAry.size()},
        {"Point", d.PointAry.size() + d.BlkPointAry.size()},
        {"Ray", d.RayAry.size() + d.BlkRayAry.size()},
        {"MLeader", d.MLeaderAry.size() + d.BlkMLeaderAry.size()},
    }};
}

std::int16_t GetLayerColor(Drawing& drawing, const std::string& name) {
    for (const TLayer& layer : drawing.LayerAry) {
        if (layer.Name == name) return layer.color;
    }
    TLayer layer;
    layer.Name = name;
    drawing.LayerAry.push_back(std::move(layer));
    return DefaultLayerColor;
}

} // namespace orvanta

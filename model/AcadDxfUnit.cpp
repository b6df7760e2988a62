#include "model/AcadDxfUnit.h"

#include <algorithm>
#include <cctype>

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

std::array<TableCount, 13> SheetCounts(const Drawing& d, std::int16_t code67,
                                       std::string_view block) {
    const auto count = [&](const auto& model, const auto& blocks) -> std::size_t {
        if (block.empty())
            return static_cast<std::size_t>(std::count_if(
                model.begin(), model.end(), [&](const auto& r) { return r.code67 == code67; }));
        return static_cast<std::size_t>(std::count_if(
            blocks.begin(), blocks.end(), [&](const auto& r) { return r.bname == block; }));
    };
    auto counts = TableCounts(d);
    counts[1].count = count(d.LineAry, d.BlkLineAry);
    counts[2].count = count(d.LwpAry, d.BlkLwpAry);
    counts[3].count = count(d.CircleAry, d.BlkCircleAry);
    counts[4].count = count(d.ArcAry, d.BlkArcAry);
    counts[5].count = count(d.TextAry, d.BlkTextAry);
    counts[6].count = count(d.EllipseAry, d.BlkEllipseAry);
    counts[7].count = count(d.FaceAry, d.BlkFaceAry);
    counts[8].count = count(d.InsertAry, d.BlkInsertAry);
    // The dimensions of block definitions are not kept as records.
    counts[10].count = count(d.DimensionAry, std::vector<TDimensionBlk>{});
    counts[11].count = count(d.LeaderAry, d.BlkLeaderAry);
    return counts;
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

bool SameTableName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

bool IsPaperSpaceBlock(std::string_view name) {
    return name.size() >= 12 && SameTableName(name.substr(0, 12), "*Paper_Space");
}

std::uint64_t HandleValue(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    // Leading zeros do not count towards the 16 digits.
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (text.empty() || text.size() > 16) return 0;
    std::uint64_t value = 0;
    for (const char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return 0;
        value = value << 4 | static_cast<std::uint64_t>(digit);
    }
    return value;
}

const TEntityHandle* FindPaperEntity(const Drawing& drawing, std::string_view handle) {
    const std::uint64_t wanted = HandleValue(handle);
    if (wanted == 0) return nullptr;
    const auto& table = drawing.PaperHandleAry;
    const auto found = std::lower_bound(
        table.begin(), table.end(), wanted,
        [](const TEntityHandle& e, std::uint64_t value) { return HandleValue(e.handle) < value; });
    if (found == table.end() || HandleValue(found->handle) != wanted) return nullptr;
    return &*found;
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

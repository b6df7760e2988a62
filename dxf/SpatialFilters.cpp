#include "dxf/SpatialFilters.h"

#include <array>
#include <cmath>
#include <optional>
#include <string_view>

namespace orvanta {

namespace {

// A 3×4 affine map: x' = m[0]·x + m[1]·y + m[2]·z + m[3], and so on for y' (m[4..7]) and z'
// (m[8..11]). The filter writes its matrices in this order: four values a row.
using Affine = std::array<double, 12>;

TAcadPoint Apply(const Affine& m, const TAcadPoint& p) {
    return {m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3],
            m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7],
            m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]};
}

std::optional<Affine> AffineOf(const std::vector<double>& values) {
    if (values.size() < 12) return std::nullopt;
    Affine m{};
    for (std::size_t i = 0; i < 12; ++i) {
        if (!std::isfinite(values[i])) return std::nullopt;
        m[i] = values[i];
    }
    return m;
}

std::optional<Affine> Inverse(const Affine& m) {
    const double a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
                 i = m[10];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    if (!std::isfinite(det) || std::fabs(det) < 1e-300) return std::nullopt;
    Affine r{};
    r[0] = (e * i - f * h) / det;
    r[1] = (c * h - b * i) / det;
    r[2] = (b * f - c * e) / det;
    r[4] = (f * g - d * i) / det;
    r[5] = (a * i - c * g) / det;
    r[6] = (c * d - a * f) / det;
    r[8] = (d * h - e * g) / det;
    r[9] = (b * g - a * h) / det;
    r[10] = (a * e - b * d) / det;
    for (int row = 0; row < 3; ++row)
        r[4 * row + 3] = -(r[4 * row] * m[3] + r[4 * row + 1] * m[7] + r[4 * row + 2] * m[11]);
    return r;
}

// The inverse of the reference's own transformation (block base, scale, rotation, insertion
// point; its extrusion is not used), for a filter that stores none.
std::optional<Affine> InverseOfInsert(const TInsertBlk& insert, const TAcadPoint& blockBase) {
    const double a = insert.rotate * 0.017453292519943295769;
    const double c = std::cos(a), s = std::sin(a);
    const TAcadPoint& k = insert.scale;
    if (!(k.x != 0 && k.y != 0)) return std::nullopt;
    const double z = k.z != 0 ? k.z : 1;
    const Affine forward{k.x * c, -k.y * s, 0, 0, k.x * s, k.y * c, 0, 0, 0, 0, z, 0};
    Affine m = forward;
    // T(p) = R·S·(p − base) + insertion point.
    const TAcadPoint shift = Apply(forward, blockBase);
    m[3] = insert.base.x - shift.x;
    m[7] = insert.base.y - shift.y;
    m[11] = insert.base.z - shift.z;
    return Inverse(m);
}

} // namespace

void SpatialFilterLinks::addEntry(std::uint64_t dictionary, const std::string& name,
                                  std::uint64_t target) {
    if (name == "ACAD_FILTER")
        filterEntries_.try_emplace(dictionary, target);
    else if (name == "SPATIAL")
        spatialEntries_.try_emplace(dictionary, target);
}

std::vector<TAcadPoint> BlockClipBoundary(const SpatialFilter& filter, const TInsertBlk& insert,
                                          const TAcadPoint& blockBase) {
    if (!filter.enabled || filter.tooManyPoints || filter.points.size() < 2) return {};
    std::vector<TAcadPoint> corners;
    if (filter.points.size() == 2) {
        const TAcadPoint& a = filter.points[0];
        const TAcadPoint& b = filter.points[1];
        corners = {a, {b.x, a.y, 0}, b, {a.x, b.y, 0}};
    } else {
        corners = filter.points;
    }
    // The boundary's system to world: the inverse of the matrix that takes world points there.
    // A matrix missing or singular is taken for none.
    std::optional<Affine> toWorld;
    if (const auto m = AffineOf(filter.toBoundary)) toWorld = Inverse(*m);
    std::optional<Affine> toBlock = AffineOf(filter.inverse);
    if (!toBlock) toBlock = InverseOfInsert(insert, blockBase);
    if (!toBlock) return {};
    for (TAcadPoint& p : corners) {
        if (toWorld) p = Apply(*toWorld, p);
        p = Apply(*toBlock, p);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return {};
    }
    // Twice the signed area: a boundary that encloses nothing is taken for none.
    double area = 0;
    for (std::size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++)
        area += corners[j].x * corners[i].y - corners[i].x * corners[j].y;
    if (!(std::fabs(area) > 0) || !std::isfinite(area)) return {};
    return corners;
}

void SpatialFilterLinks::apply(Drawing& d) const {
    if (references_.empty() || filters_.empty()) return;
    std::unordered_map<std::string_view, TAcadPoint> bases;
    for (const TBlockBlk& block : d.BlockAry)
        bases.try_emplace(block.name, block.base);
    for (const Reference& reference : references_) {
        const auto filterDictionary = filterEntries_.find(reference.dictionary);
        if (filterDictionary == filterEntries_.end()) continue;
        const auto spatial = spatialEntries_.find(filterDictionary->second);
        if (spatial == spatialEntries_.end()) continue;
        const auto filter = filters_.find(spatial->second);
        if (filter == filters_.end()) continue;
        auto& table = reference.inBlock ? d.BlkInsertAry : d.InsertAry;
        if (reference.index >= table.size()) continue;
        TInsertBlk& insert = table[reference.index];
        const auto base = bases.find(insert.name.str());
        std::vector<TAcadPoint> boundary = BlockClipBoundary(
            filter->second, insert, base == bases.end() ? TAcadPoint{} : base->second);
        if (boundary.empty()) continue;
        insert.clip = static_cast<std::int32_t>(d.ClipAry.size());
        d.ClipAry.push_back(std::move(boundary));
    }
}

} // namespace orvanta

#include "geometry/Layouts.h"

#include "geometry/PrintScale.h"

#include "geometry/Extents.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orvanta {

namespace {

constexpr double Pi = 3.14159265358979323846;
// A circle or an arc of a clipping polyline becomes this many chords per full turn.
constexpr int ChordsPerTurn = 64;

bool IsModelBlock(std::string_view name) {
    return SameTableName(name, "*Model_Space");
}

bool IsActivePaperBlock(std::string_view name) {
    return SameTableName(name, "*Paper_Space");
}

// "*Paper_Space0", "*Paper_Space1", ...: the sheets of the layouts other than the active one.
bool IsOtherPaperBlock(std::string_view name) {
    return name.size() > 12 && IsPaperSpaceBlock(name);
}

// Whether any record of the block definitions, viewports included, stands in block `name`.
bool BlockHoldsRecords(const Drawing& d, std::string_view name) {
    const auto in = [&](const auto& table) {
        return std::any_of(table.begin(), table.end(),
                           [&](const auto& r) { return r.bname == name; });
    };
    return in(d.BlkLineAry) || in(d.BlkCircleAry) || in(d.BlkArcAry) || in(d.BlkTextAry) ||
           in(d.BlkLwpAry) || in(d.BlkInsertAry) || in(d.BlkEllipseAry) || in(d.SolidAry) ||
           in(d.BlkHatchAry) || in(d.BlkSplineAry) || in(d.BlkFaceAry) || in(d.BlkImageAry) ||
           std::any_of(d.ViewportAry.begin(), d.ViewportAry.end(),
                       [&](const TViewport& v) { return SameTableName(v.bname, name); });
}

bool Finite(const TAcadPoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The points of a polyline's segment from p towards q with bulge b, q itself left out.
void AddSegment(std::vector<TAcadPoint>& out, const TAcadPoint& p, const TAcadPoint& q, double b) {
    out.push_back({p.x, p.y, 0});
    const double dx = q.x - p.x, dy = q.y - p.y;
    const double d = std::hypot(dx, dy);
    if (b == 0 || !std::isfinite(b) || d == 0) return;
    const double theta = 4 * std::atan(b);
    const double h = d / 2 / std::tan(theta / 2);
    const TAcadPoint c{(p.x + q.x) / 2 - dy / d * h, (p.y + q.y) / 2 + dx / d * h, 0};
    const double r = std::hypot(p.x - c.x, p.y - c.y);
    const double a0 = std::atan2(p.y - c.y, p.x - c.x);
    const int n =
        std::max(2, static_cast<int>(std::ceil(std::fabs(theta) / (2 * Pi) * ChordsPerTurn)));
    for (int k = 1; k < n; ++k) {
        const double a = a0 + theta * k / n;
        out.push_back({c.x + r * std::cos(a), c.y + r * std::sin(a), 0});
    }
}

// The outline of the paper-space entity that clips a viewport: a polyline's vertices (its
// arcs as chords) or a circle's; empty for an entity of another kind.
std::vector<TAcadPoint> ClipShape(const Drawing& d, const TEntityHandle& entity) {
    std::vector<TAcadPoint> out;
    if (entity.kind == RecordKind::Circle) {
        const auto& circles = entity.inBlock ? d.BlkCircleAry : d.CircleAry;
        if (entity.index >= circles.size()) return out;
        const TCircleBlk& c = circles[entity.index];
        for (int k = 0; k < ChordsPerTurn; ++k) {
            const double a = 2 * Pi * k / ChordsPerTurn;
            out.push_back(
                {c.center.x + c.hankei * std::cos(a), c.center.y + c.hankei * std::sin(a), 0});
        }
        return out;
    }
    if (entity.kind == RecordKind::Ellipse) {
        const auto& ellipses = entity.inBlock ? d.BlkEllipseAry : d.EllipseAry;
        if (entity.index >= ellipses.size()) return out;
        const TEllipseBlk& e = ellipses[entity.index];
        const TAcadPoint& a = e.endpoint;
        for (int k = 0; k < ChordsPerTurn; ++k) {
            const double t = 2 * Pi * k / ChordsPerTurn;
            const double c = std::cos(t), s = e.henpei * std::sin(t);
            out.push_back({e.center.x + a.x * c - a.y * s, e.center.y + a.y * c + a.x * s, 0});
        }
        return out;
    }
    if (entity.kind == RecordKind::Spline) {
        // A closed spline by the points it passes through, or else its control points.
        const auto& splines = entity.inBlock ? d.BlkSplineAry : d.SplineAry;
        if (entity.index >= splines.size()) return out;
        const TSplineBlk& spline = splines[entity.index];
        for (const TAcadPoint& p : spline.fit.empty() ? spline.control : spline.fit)
            out.push_back({p.x, p.y, 0});
        return out;
    }
    if (entity.kind != RecordKind::Polyline) return out;
    const auto& headers = entity.inBlock ? d.BlkLwpAry : d.LwpAry;
    const auto& vertices = entity.inBlock ? d.BlkLwpEleAry : d.LwpEleAry;
    if (entity.index >= headers.size()) return out;
    const std::int32_t id = headers[entity.index].ihand;
    // The vertices of one polyline stand together, in the order of their headers.
    const auto first =
        std::lower_bound(vertices.begin(), vertices.end(), id,
                         [](const TLwpEle& v, std::int32_t h) { return v.ihand < h; });
    std::vector<const TLwpEle*> own;
    for (auto it = first; it != vertices.end() && it->ihand == id; ++it)
        own.push_back(&*it);
    for (std::size_t k = 0; k < own.size(); ++k) {
        const TLwpEle& v = *own[k];
        const TLwpEle& next = *own[(k + 1) % own.size()];
        AddSegment(out, v.code10, next.code10, v.code42);
    }
    return out;
}

// The layout a viewport belongs to: by its block, or the active layout's when it stands in the
// paper space of the ENTITIES section.
int LayoutOfViewport(const Drawing& d, const TViewport& v) {
    for (std::size_t i = 0; i < d.LayoutAry.size(); ++i) {
        const TLayout& layout = d.LayoutAry[i];
        const bool active = IsActivePaperBlock(layout.blockName);
        if (v.bname.empty() ? (v.code67 == 1 && active) : SameTableName(v.bname, layout.blockName))
            return static_cast<int>(i);
    }
    return -1;
}

bool HasPaperRecords(const Drawing& d) {
    const auto paper = [](const auto& table) {
        return std::any_of(table.begin(), table.end(), [](const auto& r) { return r.code67 == 1; });
    };
    return paper(d.LineAry) || paper(d.CircleAry) || paper(d.ArcAry) || paper(d.TextAry) ||
           paper(d.LwpAry) || paper(d.InsertAry) || paper(d.EllipseAry) || paper(d.ModelSolidAry) ||
           paper(d.HatchAry) || paper(d.SplineAry) || paper(d.ImageAry) ||
           std::any_of(d.ViewportAry.begin(), d.ViewportAry.end(),
                       [](const TViewport& v) { return v.bname.empty() && v.code67 == 1; });
}

void Widen(TAcadPoint& min, TAcadPoint& max, bool& any, const TAcadPoint& a, const TAcadPoint& b) {
    if (!Finite(a) || !Finite(b)) return;
    if (!any) {
        min = a;
        max = a;
        any = true;
    }
    min = {std::min({min.x, a.x, b.x}), std::min({min.y, a.y, b.y}), 0};
    max = {std::max({max.x, a.x, b.x}), std::max({max.y, a.y, b.y}), 0};
}

} // namespace

void PrepareLayouts(Drawing& d) {
    const bool fromFile = !d.LayoutAry.empty();
    // The model's own tab and layouts without a sheet of their own go.
    std::vector<TLayout> kept;
    for (TLayout& layout : d.LayoutAry) {
        if (IsModelBlock(layout.blockName)) continue;
        const bool found =
            IsActivePaperBlock(layout.blockName) ||
            std::any_of(d.BlockAry.begin(), d.BlockAry.end(), [&](const TBlockBlk& b) {
                return SameTableName(b.name, layout.blockName);
            });
        if (layout.blockName.empty() || !found) {
            ++d.SkippedLayouts;
            continue;
        }
        kept.push_back(std::move(layout));
    }
    d.LayoutAry = std::move(kept);
    std::stable_sort(d.LayoutAry.begin(), d.LayoutAry.end(),
                     [](const TLayout& a, const TLayout& b) { return a.code71 < b.code71; });
    const bool hasActive = std::any_of(d.LayoutAry.begin(), d.LayoutAry.end(), [](const auto& l) {
        return IsActivePaperBlock(l.blockName);
    });
    if (!hasActive && HasPaperRecords(d)) {
        TLayout layout;
        layout.name = "Layout1";
        layout.blockName = "*Paper_Space";
        layout.code71 = 1;
        d.LayoutAry.insert(d.LayoutAry.begin(), layout);
    }
    // Without layouts in the file (release 12, or a file whose OBJECTS section was left out),
    // every other paper-space block that holds something is a sheet of its own.
    if (!fromFile) {
        for (const TBlockBlk& block : d.BlockAry) {
            if (!IsOtherPaperBlock(block.name) || !BlockHoldsRecords(d, block.name)) continue;
            TLayout layout;
            layout.name = "Layout" + std::to_string(d.LayoutAry.size() + 1);
            layout.blockName = block.name;
            layout.code71 = static_cast<std::int16_t>(d.LayoutAry.size() + 1);
            d.LayoutAry.push_back(layout);
        }
    }

    // Spaces: 1 for the records read in the ENTITIES section's paper space, then the others.
    std::int16_t next = 2;
    for (TLayout& layout : d.LayoutAry) {
        if (IsActivePaperBlock(layout.blockName)) {
            layout.space = 1;
            continue;
        }
        layout.space = next++;
        TInsertBlk insert;
        // The block as the table spells it, so that the expansion finds it.
        for (const TBlockBlk& block : d.BlockAry)
            if (SameTableName(block.name, layout.blockName)) insert.name = d.name(block.name);
        insert.code67 = layout.space;
        insert.color = GetLayerColor(d, "0");
        d.InsertAry.push_back(insert);
    }

    std::vector<bool> sheetWindowFound(d.LayoutAry.size(), false);
    for (TViewport& v : d.ViewportAry) {
        const int owner = LayoutOfViewport(d, v);
        // The first window of a layout is the sheet's own; the current layout numbers it 1, the
        // others may write 0 for every window.
        if (owner >= 0 && !sheetWindowFound[static_cast<std::size_t>(owner)]) {
            sheetWindowFound[static_cast<std::size_t>(owner)] = true;
            if (v.code69 <= 1) v.code69 = 1;
        }
        v.space = owner < 0 ? 0 : d.LayoutAry[static_cast<std::size_t>(owner)].space;
        const bool on = v.code90 != 0 ? (v.code90 & 0x20000) == 0 : v.code68 != 0;
        if (v.space != 0 && v.code69 != 1 && on && !ViewportShown(v)) ++d.SkippedViewports;
        if (v.clipHandle.empty()) continue;
        const TEntityHandle* entity = FindPaperEntity(d, v.clipHandle);
        if (entity != nullptr) v.clip = ClipShape(d, *entity);
        // A boundary that names nothing it can use leaves the window its rectangle.
        if (v.clip.size() < 3) {
            v.clip.clear();
            if (ViewportShown(v)) ++d.SkippedViewports;
        }
    }
}

void MeasureLayouts(Drawing& d) {
    if (d.LayoutAry.empty()) return;
    std::int16_t last = 0;
    for (const TLayout& layout : d.LayoutAry)
        last = std::max(last, layout.space);
    const std::vector<std::optional<TBox>> records =
        ExtentsBySpace(d, static_cast<std::size_t>(last) + 1);
    for (TLayout& layout : d.LayoutAry) {
        bool any = false;
        TAcadPoint min, max;
        if (layout.space >= 0 && records[static_cast<std::size_t>(layout.space)]) {
            const TBox& box = *records[static_cast<std::size_t>(layout.space)];
            Widen(min, max, any, box.Min, box.Max);
        }
        for (const TViewport& v : d.ViewportAry) {
            if (v.space != layout.space || !ViewportShown(v)) continue;
            Widen(min, max, any, {v.center.x - v.width / 2, v.center.y - v.height / 2, 0},
                  {v.center.x + v.width / 2, v.center.y + v.height / 2, 0});
        }
        // The paper where the author's plot puts it; without plot settings the sheet is as
        // large as what is on it.
        if (const std::optional<SheetPlot> plot = PlotOfLayout(layout, min, max)) {
            layout.paperMin = {-plot->originX / plot->mmPerUnit, -plot->originY / plot->mmPerUnit,
                               0};
            layout.paperMax = {layout.paperMin.x + plot->paperWidth / plot->mmPerUnit,
                               layout.paperMin.y + plot->paperHeight / plot->mmPerUnit, 0};
            layout.paperMmPerUnit = plot->mmPerUnit;
            Widen(min, max, any, layout.paperMin, layout.paperMax);
        } else if (any) {
            layout.paperMin = min;
            layout.paperMax = max;
        }
        layout.ExtMin = any ? min : TAcadPoint{};
        layout.ExtMax = any ? max : TAcadPoint{};
    }
}

int SavedLayout(const Drawing& d) {
    if (d.TileMode != 0) return -1;
    for (std::size_t i = 0; i < d.LayoutAry.size(); ++i)
        if (d.LayoutAry[i].space == 1) return static_cast<int>(i);
    return d.LayoutAry.empty() ? -1 : 0;
}

int LayoutIndexOf(const Drawing& d, std::string_view name) {
    for (std::size_t i = 0; i < d.LayoutAry.size(); ++i)
        if (SameTableName(d.LayoutAry[i].name, name)) return static_cast<int>(i);
    return -1;
}

int LayoutOfSpace(const Drawing& d, std::int16_t space) {
    if (space == 0) return -1;
    for (std::size_t i = 0; i < d.LayoutAry.size(); ++i)
        if (d.LayoutAry[i].space == space) return static_cast<int>(i);
    return -1;
}

bool ViewportShown(const TViewport& v) {
    // Release 2000 on says "off" in a flag of code 90 (code 68 is 0 in every layout but the
    // current one); release 12 by code 68 alone.
    constexpr std::int32_t Off = 0x20000;
    const bool on = v.code90 != 0 ? (v.code90 & Off) == 0 : v.code68 != 0;
    return v.space != 0 && v.code69 != 1 && on && std::isfinite(v.viewHeight) && v.viewHeight > 0 &&
           std::isfinite(v.width) && std::isfinite(v.height) && v.width > 0 && v.height > 0 &&
           Finite(v.center) && Finite(v.viewCenter) && Finite(v.viewTarget) &&
           std::isfinite(v.twist);
}

} // namespace orvanta

#include "geometry/Extents.h"

#include "geometry/EntityBoxes.h"
#include "geometry/Images.h"
#include "geometry/Primitives.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace orvanta {

namespace {

class RunningBox {
  public:
    void add(const TBox& b) {
        // One overflowing or damaged record must not turn the whole extent into infinity or NaN.
        if (!(std::isfinite(b.Min.x) && std::isfinite(b.Min.y) && std::isfinite(b.Max.x) &&
              std::isfinite(b.Max.y)))
            return;
        if (empty_) {
            box_ = b;
            empty_ = false;
            return;
        }
        if (b.Min.x < box_.Min.x) box_.Min.x = b.Min.x;
        if (b.Min.y < box_.Min.y) box_.Min.y = b.Min.y;
        if (b.Max.x > box_.Max.x) box_.Max.x = b.Max.x;
        if (b.Max.y > box_.Max.y) box_.Max.y = b.Max.y;
    }
    // Whether adding b would leave the box as it is.
    bool holds(const TBox& b) const {
        return !empty_ && b.Min.x >= box_.Min.x && b.Min.y >= box_.Min.y && b.Max.x <= box_.Max.x &&
               b.Max.y <= box_.Max.y;
    }
    bool empty() const { return empty_; }
    const TBox& box() const { return box_; }

  private:
    TBox box_;
    bool empty_ = true;
};

TBox SquareAround(const TAcadPoint& p, double r) {
    TBox box;
    box.Min = {p.x - r, p.y - r, 0};
    box.Max = {p.x + r, p.y + r, 0};
    return box;
}

} // namespace

std::vector<std::optional<TBox>> ExtentsBySpace(const Drawing& d, std::size_t spaces) {
    // One pass over the tables, each record adding to the box of its space.
    std::vector<RunningBox> boxes(spaces);
    const auto boxOf = [&](std::int16_t space) -> RunningBox* {
        return space >= 0 && static_cast<std::size_t>(space) < spaces
                   ? &boxes[static_cast<std::size_t>(space)]
                   : nullptr;
    };
    for (const TAcadLineBlk& line : d.LineAry)
        if (RunningBox* running = boxOf(line.code67)) running->add(SegmentBox(line.st, line.ed));
    for (const TCircleBlk& circle : d.CircleAry)
        if (RunningBox* running = boxOf(circle.code67))
            running->add(CircleBox(circle.center, circle.hankei));
    for (const TArcBlk& arc : d.ArcAry) {
        RunningBox* running = boxOf(arc.code67);
        if (running == nullptr) continue;
        // An arc's box lies within its circle's box, to the bit (its points are the centre plus
        // the radius times a cosine or sine, and rounding keeps order), so once the circle's box
        // adds nothing the arc's own box, with its trigonometry, is not needed.
        if (arc.hankei >= 0 && running->holds(CircleBox(arc.center, arc.hankei))) continue;
        running->add(ArcBox(arc.center, arc.hankei, arc.st * Pi / 180, arc.ed * Pi / 180));
    }
    // Notes beside a plan belong to the picture; a text whose box is not finite is left out.
    // Most texts lie well inside what is there already: a cheap square that holds everything a
    // text's box can reach (every character a full em wide, the cell at its largest) spares them
    // the box itself.
    for (const TTextBlk& text : d.TextAry) {
        RunningBox* running = boxOf(text.code67);
        if (running == nullptr) continue;
        if (!text.mtflag && text.code72 != 3 && text.code51 == 0) {
            // TextBox reaches at most this far from its points: every character less than two
            // heights wide, the cell less than two heights high (an aligned text sizes itself
            // by its span, a slanted one leans further).
            const double r =
                std::fabs(text.code40) * (4 + 2 * std::max(1.0, std::fabs(text.code41)) *
                                                  static_cast<double>(text.str.size()));
            if (std::isfinite(r) && running->holds(SquareAround(text.pt10, r)) &&
                running->holds(SquareAround(text.pt11, r)))
                continue;
        } else if (text.mtflag && running->holds(TextReach(text))) {
            // A note within what is there already need not be laid out.
            continue;
        }
        running->add(TextBox(text));
    }
    const auto addPoints = [](RunningBox& running, const std::vector<TAcadPoint>& points) {
        for (const TAcadPoint& p : points)
            running.add(SegmentBox(p, p));
    };
    for (const TFillBlk& fill : d.FillAry) {
        RunningBox* running = boxOf(fill.code67);
        if (running == nullptr) continue;
        for (const auto& ring : fill.rings)
            addPoints(*running, ring);
    }
    for (const TPointBlk& point : d.PointAry)
        if (RunningBox* running = boxOf(point.code67))
            running->add(SegmentBox(point.pt10, point.pt10));
    // A spline lies within the box of its control points.
    for (const TSplineBlk& spline : d.SplineAry)
        if (RunningBox* running = boxOf(spline.code67)) addPoints(*running, spline.control);
    // An image takes the part of its picture it shows.
    for (const TImageBlk& image : d.ImageAry)
        if (RunningBox* running = boxOf(image.code67)) addPoints(*running, ImageOutline(image));
    std::vector<std::optional<TBox>> out(spaces);
    for (std::size_t i = 0; i < spaces; ++i) {
        if (boxes[i].empty()) continue;
        TBox box = boxes[i].box();
        box.Min.z = box.Max.z = 0;
        out[i] = box;
    }
    return out;
}

void ComputeExtents(Drawing& d) {
    d.ExtMin = {0, 0, 0};
    d.ExtMax = {0, 0, 0};
    if (const std::optional<TBox> model = ExtentsBySpace(d, 1)[0]) {
        d.ExtMin = model->Min;
        d.ExtMax = model->Max;
    }
}

} // namespace orvanta

#include "geometry/Extents.h"

#include "geometry/EntityBoxes.h"
#include "geometry/Primitives.h"

#include <algorithm>
#include <cmath>

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

bool SpaceExtents(const Drawing& d, std::int16_t space, TAcadPoint& min, TAcadPoint& max) {
    RunningBox running;
    for (const TAcadLineBlk& line : d.LineAry)
        if (line.code67 == space) running.add(SegmentBox(line.st, line.ed));
    for (const TCircleBlk& circle : d.CircleAry)
        if (circle.code67 == space) running.add(CircleBox(circle.center, circle.hankei));
    for (const TArcBlk& arc : d.ArcAry) {
        if (arc.code67 != space) continue;
        // An arc's box lies within its circle's box, to the bit (its points are the centre plus
        // the radius times a cosine or sine, and rounding keeps order), so once the circle's box
        // adds nothing the arc's own box, with its trigonometry, is not needed.
        if (arc.hankei >= 0 && running.holds(CircleBox(arc.center, arc.hankei))) continue;
        running.add(ArcBox(arc.center, arc.hankei, arc.st * Pi / 180, arc.ed * Pi / 180));
    }
    // Notes beside a plan belong to the picture; a text whose box is not finite is left out.
    // Most texts lie well inside what is there already: a cheap square that holds everything a
    // text's box can reach (every character a full em wide, the cell at its largest) spares them
    // the box itself.
    for (const TTextBlk& text : d.TextAry) {
        if (text.code67 != space) continue;
        if (!text.mtflag && text.code72 != 3 && text.code51 == 0) {
            // TextBox reaches at most this far from its points: every character less than two
            // heights wide, the cell less than two heights high (an aligned text sizes itself
            // by its span, a slanted one leans further).
            const double r =
                std::fabs(text.code40) * (4 + 2 * std::max(1.0, std::fabs(text.code41)) *
                                                  static_cast<double>(text.str.size()));
            if (std::isfinite(r) && running.holds(SquareAround(text.pt10, r)) &&
                running.holds(SquareAround(text.pt11, r)))
                continue;
        } else if (text.mtflag && running.holds(TextReach(text))) {
            // A note within what is there already need not be laid out.
            continue;
        }
        running.add(TextBox(text));
    }
    const auto addPoints = [&](const std::vector<TAcadPoint>& points) {
        for (const TAcadPoint& p : points)
            running.add(SegmentBox(p, p));
    };
    for (const TFillBlk& fill : d.FillAry) {
        if (fill.code67 != space) continue;
        for (const auto& ring : fill.rings)
            addPoints(ring);
    }
    for (const TPointBlk& point : d.PointAry)
        if (point.code67 == space) running.add(SegmentBox(point.pt10, point.pt10));
    // A spline lies within the box of its control points.
    for (const TSplineBlk& spline : d.SplineAry)
        if (spline.code67 == space) addPoints(spline.control);
    if (running.empty()) return false;
    min = {running.box().Min.x, running.box().Min.y, 0};
    max = {running.box().Max.x, running.box().Max.y, 0};
    return true;
}

void ComputeExtents(Drawing& d) {
    d.ExtMin = {0, 0, 0};
    d.ExtMax = {0, 0, 0};
    SpaceExtents(d, 0, d.ExtMin, d.ExtMax);
}

} // namespace orvanta

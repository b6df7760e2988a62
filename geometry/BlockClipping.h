// Clipped block references (XCLIP): what the placement of a clipped INSERT adds to the model is
// cut to the reference's clip boundary. Block expansion notes where the model tables end before
// it places the block, places it as usual, then cuts what was appended; a clipped reference
// nested in another is cut first by its own boundary and then, with the rest of its parent's
// records, by its parent's.
//
// Everything is cut as seen from above, in world XY: lines, rays and splines to their pieces
// inside (rays and splines becoming lines), circles and arcs to the arcs inside, curves to their
// parts inside, fills to their intersection with the boundary; texts and points stay when their
// insertion point is inside.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace orvanta {

// How long the model tables were at some moment: the records after these are cut.
struct AppendMarks {
    std::size_t lines = 0;
    std::size_t circles = 0;
    std::size_t arcs = 0;
    std::size_t texts = 0;
    std::size_t fills = 0;
    std::size_t points = 0;
    std::size_t rays = 0;
    std::size_t splines = 0;
    std::size_t curves = 0;
};
AppendMarks MarkAppends(const Drawing& drawing);

// Whether anything has been appended to the fills since `marks`: only fills need the boundary's
// convex pieces.
inline bool FillsAppended(const Drawing& d, const AppendMarks& marks) {
    return d.FillAry.size() > marks.fills;
}

// The inside of a closed polygon by the even-odd rule as convex pieces whose insides do not
// overlap: the polygon itself when it is convex, else the trapezoids between horizontal lines
// through its corners and the crossings of its edges. Cutting a fill ring by each piece in turn
// gives its intersection with the polygon exactly.
std::vector<std::vector<TAcadPoint>> ConvexPieces(const std::vector<TAcadPoint>& polygon);

// A clip boundary in world coordinates, seen from above: its polygon and, where fills are to be
// cut, its convex pieces (ConvexPieces of the polygon, possibly mapped there with it).
class ClipRegion {
  public:
    ClipRegion(std::vector<TAcadPoint> polygon, std::vector<std::vector<TAcadPoint>> pieces);

    // Whether (x, y) is inside by the even-odd rule. Adds the edges it looked at to `work`.
    bool contains(double x, double y, std::size_t& work) const;

    // The parts of a - b inside, as parameters 0 <= t0 < t1 <= 1, in order; touching parts are
    // joined.
    void segmentParts(const TAcadPoint& a, const TAcadPoint& b,
                      std::vector<std::pair<double, double>>& parts, std::size_t& work) const;

    // The parts inside of the curve c + u·cos t + v·sin t for t from `start` through `sweep`
    // (radians), as parameters relative to `start`, in order.
    void curveParts(const TAcadPoint& c, const TAcadPoint& u, const TAcadPoint& v, double start,
                    double sweep, std::vector<std::pair<double, double>>& parts,
                    std::size_t& work) const;

    // The parts inside of the line p + t·d for t over all numbers (or from 0 when `ray`).
    void lineParts(const TAcadPoint& p, const TAcadPoint& d, bool ray,
                   std::vector<std::pair<double, double>>& parts, std::size_t& work) const;

    // The rings' intersection with the region, as rings of an even-odd fill.
    std::vector<std::vector<TAcadPoint>> cutRings(const std::vector<std::vector<TAcadPoint>>& rings,
                                                  std::size_t& work) const;

    double left() const { return left_; }
    double right() const { return right_; }
    double bottom() const { return bottom_; }
    double top() const { return top_; }

  private:
    // Calls f(i) for the edges (points i to i + 1) that may meet the band y0 <= y <= y1.
    template <class F> void forEdges(double y0, double y1, std::size_t& work, F&& f) const;

    std::vector<TAcadPoint> polygon_;
    std::vector<std::vector<TAcadPoint>> pieces_;
    // A convex boundary cuts a segment to one part by its edges' half-planes alone; `orient_`
    // is 1 when its corners run counter-clockwise, else -1.
    bool convex_ = false;
    double orient_ = 1;
    // Where the figure being cut crosses the edges; kept to spare an allocation per figure.
    mutable std::vector<double> cuts_;
    double left_ = 0, right_ = 0, bottom_ = 0, top_ = 0;
    // The edges by horizontal band, for boundaries of many points: the edges of band k are
    // bandEdges_[bandFirst_[k] .. bandFirst_[k + 1]).
    std::size_t bands_ = 0;
    double bandHeight_ = 0;
    std::vector<std::size_t> bandFirst_;
    std::vector<std::uint32_t> bandEdges_;
};

// Cuts every record appended to the model tables since `marks` to `region`. Returns the work it
// did, counted in records (the pieces it added, and a record for every 256 edges it looked at),
// for the expansion's budget.
std::size_t ClipAppended(Drawing& drawing, const AppendMarks& marks, const ClipRegion& region);

} // namespace orvanta

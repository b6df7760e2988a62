#include "geometry/WorldCoordinates.h"

#include "geometry/Primitives.h"

#include <cstring>

namespace orvanta {

namespace {

// The frame of the extrusion met last: the lines of one entity (the segments of a polyline, the
// chords of a curve) share their extrusion, so its axes are worked out once for all of them.
class FrameOfLastExtrusion {
  public:
    const OcsFrame& of(const TAcadPoint& n) {
        // Compared bit for bit: -0 and 0, which == takes for equal, may give frames that differ
        // in the sign of a zero.
        if (!known_ || std::memcmp(&n, &frame_.n, sizeof n) != 0) {
            frame_ = OcsFrameOf(n);
            known_ = true;
        }
        return frame_;
    }

  private:
    OcsFrame frame_;
    bool known_ = false;
};

} // namespace

void LinesToWcs(Drawing& d) {
    FrameOfLastExtrusion frames;
    for (TAcadLineBlk& line : d.LineAry) {
        if (IsDefaultExtrusion(line.code210)) continue;
        const OcsFrame& frame = frames.of(line.code210);
        line.st = OcsToWcs(line.st, frame);
        line.ed = OcsToWcs(line.ed, frame);
    }
}

void TextsToWcs(Drawing& d) {
    FrameOfLastExtrusion frames;
    for (TTextBlk& text : d.TextAry) {
        if (IsDefaultExtrusion(text.code210)) continue;
        const OcsFrame& frame = frames.of(text.code210);
        if (text.mtflag) {
            // MTEXT stores its insertion point and direction in world coordinates; without a
            // direction its x axis is that of its object coordinates.
            if (text.pt11.x == 0 && text.pt11.y == 0 && text.pt11.z == 0) text.pt11 = frame.ax;
            continue;
        }
        text.pt10 = OcsToWcs(text.pt10, frame);
        text.pt11 = OcsToWcs(text.pt11, frame);
        const TAcadPoint origin = OcsToWcs(TAcadPoint{0, 0, 0}, frame);
        const TAcadPoint xAxis = OcsToWcs(TAcadPoint{100, 0, 0}, frame);
        text.code50 += AngleOf(origin, xAxis) * RadToDeg;
    }
}

} // namespace orvanta

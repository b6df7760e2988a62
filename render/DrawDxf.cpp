#include "render/DrawDxf.h"

#include "geometry/EntityBoxes.h"
#include "geometry/Layouts.h"
#include "geometry/Primitives.h"
#include "geometry/TextLayout.h"
#include "geometry/TextLines.h"
#include "geometry/TextMetrics.h"
#include "render/Colors.h"
#include "render/DrawImages.h"
#include "render/DrawOther.h"
#include "render/LayerState.h"
#include "render/TextDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <vector>

namespace orvanta {

namespace {

// An arc of at most this many degrees is drawn as its chord.
constexpr double ChordArcDeg = 1.0;
// Angles closer than this (radians, 0.01°) are taken as equal: the whole circle.
constexpr double NoSweepRad = Pi / 18000;
bool Inside(double x, double y, const WorldRect& w) {
    return x >= w.lowerLeft.x && x <= w.upperRight.x && y >= w.lowerLeft.y && y <= w.upperRight.y;
}

bool Inside(const TAcadPoint& p, const WorldRect& w) {
    return Inside(p.x, p.y, w);
}

// Whether two closed axis-aligned rectangles share a point. No segment of one can cross a side
// of the other when they do not, which makes this a cheap first answer for the tests below.
bool Overlap(const TBox& box, const WorldRect& w) {
    return box.Min.x <= w.upperRight.x && box.Max.x >= w.lowerLeft.x &&
           box.Min.y <= w.upperRight.y && box.Max.y >= w.lowerLeft.y;
}

struct Segment {
    TAcadPoint a;
    TAcadPoint b;
};
using Sides = std::array<Segment, 4>;

// Left, top, right and bottom, running around the rectangle so that every corner is the second
// end of one side (IntersectLines counts a crossing at a second end, not at a first).
Sides SidesOf(double minX, double minY, double maxX, double maxY) {
    const TAcadPoint ll{minX, minY, 0}, ul{minX, maxY, 0}, ur{maxX, maxY, 0}, lr{maxX, minY, 0};
    return {{{ll, ul}, {ul, ur}, {ur, lr}, {lr, ll}}};
}

Sides SidesOf(const WorldRect& w) {
    return SidesOf(w.lowerLeft.x, w.lowerLeft.y, w.upperRight.x, w.upperRight.y);
}

Sides SidesOf(const TBox& box) {
    return SidesOf(box.Min.x, box.Min.y, box.Max.x, box.Max.y);
}

bool Cross(const Segment& s, const TAcadPoint& a, const TAcadPoint& b) {
    TAcadPoint p;
    return IntersectLines(s.a, s.b, a, b, true, p);
}

bool CrossesSide(const TAcadPoint& a, const TAcadPoint& b, const WorldRect& w) {
    for (const Segment& side : SidesOf(w)) {
        if (Cross(side, a, b)) return true;
    }
    return false;
}

// Window side by window side, box side by box side; the first crossing decides.
bool SidesCross(const WorldRect& w, const TBox& box) {
    const Sides boxSides = SidesOf(box);
    for (const Segment& side : SidesOf(w)) {
        for (const Segment& boxSide : boxSides) {
            if (Cross(side, boxSide.a, boxSide.b)) return true;
        }
    }
    return false;
}

// Whether the circle's outline meets the closed window: the window's nearest point is no
// farther from the centre than the radius, and its farthest corner no nearer.
bool OutlineMeetsWindow(const TAcadPoint& c, double r, const WorldRect& w) {
    const double nx = std::clamp(c.x, w.lowerLeft.x, w.upperRight.x) - c.x;
    const double ny = std::clamp(c.y, w.lowerLeft.y, w.upperRight.y) - c.y;
    const double fx = std::max(std::fabs(w.lowerLeft.x - c.x), std::fabs(w.upperRight.x - c.x));
    const double fy = std::max(std::fabs(w.lowerLeft.y - c.y), std::fabs(w.upperRight.y - c.y));
    return nx * nx + ny * ny <= r * r && r * r <= fx * fx + fy * fy;
}

// Whether the directions from c (outside the window) to the window overlap the sweep of an arc
// from startRad counterclockwise through sweepRad.
// The directions from c (outside the window) to the window's corners, as offsets from the
// direction `reference` (towards the window): they lie from `low` to `high`.
void CornerDirections(const TAcadPoint& c, const WorldRect& w, double reference, double& low,
                      double& high) {
    low = high = 0;
    for (const TAcadPoint& corner :
         {w.lowerLeft, w.upperRight, TAcadPoint{w.lowerLeft.x, w.upperRight.y, 0},
          TAcadPoint{w.upperRight.x, w.lowerLeft.y, 0}}) {
        const double d =
            std::remainder(std::atan2(corner.y - c.y, corner.x - c.x) - reference, TwoPi);
        low = std::min(low, d);
        high = std::max(high, d);
    }
}

bool SweepFacesWindow(const TAcadPoint& c, double startRad, double sweepRad, const WorldRect& w) {
    const double reference = std::atan2((w.lowerLeft.y + w.upperRight.y) / 2 - c.y,
                                        (w.lowerLeft.x + w.upperRight.x) / 2 - c.x);
    double low, high;
    CornerDirections(c, w, reference, low, high);
    double from = std::fmod(reference + low - startRad, TwoPi);
    if (from < 0) from += TwoPi;
    return from <= sweepRad || from + (high - low) >= TwoPi;
}

} // namespace

bool LineInView(const TAcadLineBlk& line, const WorldRect& window) {
    if (Inside(line.st, window) && Inside(line.ed, window)) return true;
    if (!Overlap(SegmentBox(line.st, line.ed), window)) return false;
    return CrossesSide(line.st, line.ed, window);
}

bool CircleInView(const TCircleBlk& circle, const WorldRect& window) {
    if (Inside(circle.center, window)) return true;
    const TBox box = CircleBox(circle.center, circle.hankei);
    if (!Overlap(box, window)) return false;
    if (SidesCross(window, box)) return true;
    // A circle whose square encloses the window while its outline runs through it: zoomed in on
    // the rim of a large circle.
    return OutlineMeetsWindow(circle.center, circle.hankei, window);
}

bool ArcInView(const TArcBlk& arc, const WorldRect& window) {
    if (Inside(arc.center, window)) return true;
    // Everything below lies within the square of the whole circle; most arcs of a zoomed-in view
    // are answered here without trigonometry.
    if (!Overlap(CircleBox(arc.center, arc.hankei), window)) return false;
    const double startRad = arc.st * DegToRad;
    const double endRad = arc.ed * DegToRad;
    if (Inside(PolarPoint(arc.center, startRad, arc.hankei), window) ||
        Inside(PolarPoint(arc.center, endRad, arc.hankei), window))
        return true;
    const TBox box = ArcBox(arc.center, arc.hankei, startRad, endRad);
    if (!Overlap(box, window)) return false;
    if (SidesCross(window, box)) return true;
    // As for circles: the box encloses the window and the arc may pass through it.
    if (!OutlineMeetsWindow(arc.center, arc.hankei, window)) return false;
    double sweep = std::fmod(endRad - startRad, TwoPi);
    if (sweep <= 0) sweep += TwoPi;
    return SweepFacesWindow(arc.center, startRad, sweep, window);
}

bool TextInView(const TTextBlk& text, const WorldRect& window, double unitsPerPixel) {
    if (Inside(text.pt10, window)) return true;
    return Overlap(TextReach(text, unitsPerPixel), window);
}

void ClearCanvas(Canvas& canvas, int w, int h, TColor colour) {
    canvas.setPenMode(PenMode::Copy);
    canvas.setPen(colour, 1, PenSolid);
    canvas.fillRect(0, 0, w, h, colour);
}

void DrawDxfLine(Canvas& canvas, TPoint origin, const TAcadPoint& p1, double unitsPerPixel,
                 const TAcadPoint& p2, TColor colour, int width, TPenStyle style) {
    const TPoint s = WorldToScreen(p1, origin, unitsPerPixel);
    const TPoint e = WorldToScreen(p2, origin, unitsPerPixel);
    canvas.setPen(colour, width, style);
    canvas.moveTo(s.x, s.y);
    canvas.lineTo(e.x, e.y);
}

namespace {

// A circle of more than this many pixels' radius is drawn as chords through the part of it near
// the view: the integer box of the whole circle would lose its precision, or saturate.
constexpr double HugeArcPixels = 1 << 15;
// The view is taken to lie within this many pixels of its centre in every direction: more than
// any screen or printed page.
constexpr double ViewReachPixels = 1 << 15;

// The arc of a huge circle (radius in pixels above HugeArcPixels) through the square of
// ViewReachPixels around the view centre, as chords no farther than half a pixel from the arc.
void DrawHugeArc(Canvas& canvas, TPoint origin, const TAcadPoint& c, double u, double radius,
                 double startRad, double sweepRad) {
    const double reach = ViewReachPixels * u;
    const WorldRect window{{-reach, -reach, 0}, {reach, reach, 0}};
    // Everything within the circle: none of its outline is near the view.
    if (!OutlineMeetsWindow(c, radius, window)) return;
    double from = startRad;
    double sweep = sweepRad;
    if (!Inside(c, window)) {
        // Only the directions from the centre towards the square can meet it.
        const double towards = std::atan2(-c.y, -c.x);
        double low, high;
        CornerDirections(c, window, towards, low, high);
        // The cone [towards + low, towards + high] against the sweep [startRad, + sweepRad].
        double offset = std::fmod(towards + low - startRad, TwoPi);
        if (offset < 0) offset += TwoPi;
        const double cone = high - low;
        if (offset <= sweepRad) {
            from = startRad + offset;
            sweep = std::min(cone, sweepRad - offset);
        } else if (offset + cone >= TwoPi) {
            from = startRad;
            sweep = std::min(offset + cone - TwoPi, sweepRad);
        } else {
            return;
        }
    }
    const double rp = radius / u;
    const double step = 2 * std::acos(1 - 0.5 / rp);
    const auto steps = static_cast<int>(std::clamp(std::ceil(sweep / step), 1.0, 1e5));
    for (int k = 0; k <= steps; ++k) {
        const TPoint p = WorldToScreen(PolarPoint(c, from + sweep * k / steps, radius), origin, u);
        if (k == 0)
            canvas.moveTo(p.x, p.y);
        else
            canvas.lineTo(p.x, p.y);
    }
}

} // namespace

namespace {

// A record whose device box falls inside one pixel is drawn as that pixel. At the whole view of a
// big drawing such records come by the million and pile up on the same pixels, so a pixel is
// handed to the canvas only once for as long as the colour stays the same: the canvas would
// write the same value again. Any other figure in another colour may cover pixels set before,
// so it starts the count afresh. Only for canvases in pen mode copy, where a pixel replaces
// what is there.
class PixelSieve {
  public:
    // Stamps beyond this many pixels (a printed page) cost more memory than the sieve saves.
    static constexpr long long MaxPixels = 1 << 22;

    // For the pixels of columns 0 <= x < width and rows top <= y < bottom.
    PixelSieve(Canvas& canvas, int width, int top, int bottom) : canvas_(canvas), top_(top) {
        const int height = bottom - top;
        if (width > 0 && height > 0 && static_cast<long long>(width) * height <= MaxPixels) {
            width_ = width;
            height_ = height;
            stamps_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        }
    }

    void pixel(TPoint p, TColor colour) {
        use(colour);
        const int row = p.y - top_;
        if (p.x >= 0 && row >= 0 && p.x < width_ && row < height_) {
            std::uint32_t& stamp =
                stamps_[static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
                        static_cast<std::size_t>(p.x)];
            if (stamp == generation_) return;
            stamp = generation_;
        }
        canvas_.setPixel(p.x, p.y, colour);
    }

    // A figure other than a pixel was drawn in `colour`.
    void drew(TColor colour) { use(colour); }

  private:
    void use(TColor colour) {
        if (colour == colour_) return;
        colour_ = colour;
        if (++generation_ == 0) {
            std::fill(stamps_.begin(), stamps_.end(), 0);
            generation_ = 1;
        }
    }

    Canvas& canvas_;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> stamps_;
    std::uint32_t generation_ = 1;
    TColor colour_ = 0xFFFFFFFF; // no colour of a pen
};

// DrawDxfArc, with the pixels it reduces a record to going through `sieve` when there is one.
void DrawArc(Canvas& canvas, PixelSieve* sieve, TPoint origin, const TAcadPoint& c,
             double unitsPerPixel, double radius, double startRad, double endRad, TColor colour,
             int width, TPenStyle style) {
    const auto pixel = [&](TPoint p) {
        if (sieve != nullptr)
            sieve->pixel(p, colour);
        else
            canvas.setPixel(p.x, p.y, colour);
    };
    const double u = unitsPerPixel;
    if (std::fabs(radius / u) > HugeArcPixels && std::isfinite(radius / u)) {
        double sweep = endRad - startRad;
        if (std::fabs(sweep) <= NoSweepRad) sweep = TwoPi;
        sweep = std::fmod(sweep, TwoPi);
        if (sweep <= 0) sweep += TwoPi;
        if (sieve != nullptr) sieve->drew(colour);
        canvas.setPen(colour, width, style);
        DrawHugeArc(canvas, origin, c, std::fabs(u), std::fabs(radius), startRad, sweep);
        return;
    }
    // Less than half a pixel (exactly half rounds to even, to 0): the centre pixel.
    if (RoundHalfEven(radius / u) <= 0) {
        pixel(WorldToScreen(c, origin, u));
        return;
    }
    const TPoint s = WorldToScreen(PolarPoint(c, startRad, radius), origin, u);
    const TPoint e = WorldToScreen(PolarPoint(c, endRad, radius), origin, u);
    if (startRad > endRad) endRad += TwoPi;
    const double sweep = std::fabs(endRad - startRad);
    if (s == e && sweep > NoSweepRad && sweep <= Pi) {
        // A short arc whose ends share a pixel is that pixel. A long one is drawn whole, which is
        // what the canvas does for equal end points: some programs write circles as arcs of
        // 359.999°.
        pixel(s);
        return;
    }
    const TPoint topLeft = WorldToScreen({c.x - radius, c.y + radius, c.z}, origin, u);
    const TPoint bottomRight = WorldToScreen({c.x + radius, c.y - radius, c.z}, origin, u);
    if (sieve != nullptr) sieve->drew(colour);
    canvas.setPen(colour, width, style);
    // y is flipped by WorldToScreen, so counterclockwise in the drawing stays counterclockwise
    // on the screen.
    canvas.arc(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y, s.x, s.y, e.x, e.y);
}

// The number of records ForEachRecord walks over, before taking every `step`th.
template <class Record>
std::size_t RecordCount(const std::vector<Record>& table,
                        const std::vector<std::uint32_t>* indices) {
    return indices == nullptr ? table.size() : indices->size();
}

// Calls `visit` with every `step`th record of `table`, or of the records `indices` names, among
// positions from <= i < to of them.
template <class Record, class Visit>
void ForEachRecord(const std::vector<Record>& table, const std::vector<std::uint32_t>* indices,
                   std::size_t step, std::size_t from, std::size_t to, Visit visit) {
    to = std::min(to, RecordCount(table, indices));
    // The positions every `step`th walk of the whole list takes.
    std::size_t i = (from + step - 1) / step * step;
    if (indices == nullptr) {
        for (; i < to; i += step)
            visit(table[i]);
    } else {
        for (; i < to; i += step)
            visit(table[(*indices)[i]]);
    }
}

template <class Record, class Visit>
void ForEachRecord(const std::vector<Record>& table, const std::vector<std::uint32_t>* indices,
                   std::size_t step, Visit visit) {
    ForEachRecord(table, indices, step, 0, RecordCount(table, indices), visit);
}

} // namespace

void DrawDxfArc(Canvas& canvas, TPoint origin, const TAcadPoint& c, double unitsPerPixel,
                double radius, double startRad, double endRad, TColor colour, int width,
                TPenStyle style) {
    DrawArc(canvas, nullptr, origin, c, unitsPerPixel, radius, startRad, endRad, colour, width,
            style);
}

namespace {

int DrawRecords(const Drawing& drawing, const DrawOptions& options, Canvas& canvas) {
    const DrawView& view = options.view;
    const TAcadPoint& center = view.center;
    const PictureBand band = options.band;
    const TPoint origin = view.origin;
    const TColor backColor = options.backColor;
    const ColorModeValue colorMode = options.colorMode;
    const int penWidth = options.penWidth;
    const bool noClip = options.clipping == Clipping::WholeExtent;
    const bool rough = options.detail == Detail::Rough;
    const int layer = options.onlyLayer.empty() ? -1 : LayerIndexOf(drawing, options.onlyLayer);
    int count = 0;
    if ((view.drawW == 0 && view.drawH == 0) || view.zoom == 0) return 0;
    const double u = UnitsPerPixel(view.drawW, view.drawH, view.pixW, view.pixH, view.zoom);
    // The visibility tests look a little beyond the view: a point up to half a pixel left of or
    // above the view still lands on its first column or row, and a wide pen reaches further.
    WorldRect viewWindow = ViewWindow(center, view.pixW, view.pixH, u);
    const auto pen = [&](std::int16_t weight) {
        return LineweightPen(weight, penWidth, options.lineweights);
    };
    const int widestPen = WidestPen(penWidth, options.lineweights);
    const double margin = (widestPen / 2.0 + 1) * std::fabs(u);
    viewWindow.lowerLeft.x -= margin;
    viewWindow.lowerLeft.y -= margin;
    viewWindow.upperRight.x += margin;
    viewWindow.upperRight.y += margin;
    // A band looks at its own rows and the same margin above and below them, so that a text or
    // a wide pen that reaches across the band's edge is drawn in both bands.
    WorldRect window = viewWindow;
    const bool banded = !band.empty();
    if (banded) {
        window.upperRight.y = center.y - (band.top - view.origin.y - 0.5) * u + margin;
        window.lowerLeft.y = center.y - (band.bottom - view.origin.y + 0.5) * u - margin;
    }
    // Rough considers every second record only.
    const std::size_t step = rough ? 2 : 1;

    // A band first skips what lies wholly above or below it, a cheap test that leaves the
    // visibility tests a band's share of the records.
    const auto inRows = [&](double low, double high) {
        return low <= window.upperRight.y && high >= window.lowerLeft.y;
    };
    // The filters shared by the four tables; `inView` is the table's visibility test and `rows`
    // the band's.
    const auto kept = [&](const auto& record, const auto& inView, const auto& rows) {
        if (record.code67 != view.space) return false;
        if (layer >= 0) return record.layindex == layer;
        if (LayerHidden(options.hiddenLayers, record.layindex)) return false;
        if (!LayerVisibleAt(drawing, record.layindex)) return false;
        if (banded && !rows(record)) return false;
        return noClip || inView(record, viewWindow);
    };
    const auto circleRows = [&](const auto& c) {
        return inRows(c.center.y - std::fabs(c.hankei), c.center.y + std::fabs(c.hankei));
    };

    const bool figures = options.parts != DrawnParts::Texts;
    const bool texts = options.parts != DrawnParts::Figures && !rough;

    // Fills lie under everything else; points and splines are drawn after the arcs, texts last.
    const OtherKindsView other{center,
                               origin,
                               u,
                               window,
                               viewWindow,
                               backColor,
                               colorMode,
                               penWidth,
                               layer,
                               noClip && !banded,
                               step,
                               options.lineweights,
                               view.space,
                               options.hiddenLayers,
                               options.waitForPictures};

    const RecordIndices* records = options.records;
    const auto chosen = [records](const std::vector<std::uint32_t> RecordIndices::*list) {
        return records != nullptr ? &(records->*list) : nullptr;
    };

    if (figures) {
        const FigureShare share = options.share;
        // Raster images lie under everything: a scanned plan is drawn over, not over it.
        if (share.first()) {
            count += DrawImages(drawing, canvas, other);
            count += DrawFills(drawing, canvas, other);
        }
        // Pixels go through the sieve in pen mode copy, unless the canvas writes them straight
        // into memory; a line of one pixel's width whose ends share a pixel is that pixel, as
        // the canvas would draw it.
        const bool copying = canvas.penMode() == PenMode::Copy;
        std::optional<PixelSieve> sieve;
        if (copying && !canvas.cheapPixels())
            sieve.emplace(canvas, view.pixW, banded ? band.top : 0,
                          banded ? band.bottom : view.pixH);
        PixelSieve* pixels = sieve ? &*sieve : nullptr;

        const auto drawLine = [&](const TAcadLineBlk& line) {
            // Chords of curves that are drawn whole, below.
            if (line.convtype == ConvChordOfCurve) return;
            const auto rows = [&](const TAcadLineBlk& l) {
                return inRows(std::min(l.st.y, l.ed.y), std::max(l.st.y, l.ed.y));
            };
            if (!kept(line, LineInView, rows)) return;
            ++count;
            const TColor colour = DrawnColor(line.PenColor, backColor, colorMode);
            const TPoint s = WorldToScreen(PointDiff(line.st, center), origin, u);
            const TPoint e = WorldToScreen(PointDiff(line.ed, center), origin, u);
            const int width = pen(line.code370);
            if (copying && s == e && width <= 1 && line.PenStyle != PenClear) {
                if (pixels != nullptr)
                    pixels->pixel(s, colour);
                else
                    canvas.setPixel(s.x, s.y, colour);
                return;
            }
            if (pixels != nullptr) pixels->drew(colour);
            canvas.setPen(colour, width, line.PenStyle);
            canvas.moveTo(s.x, s.y);
            canvas.lineTo(e.x, e.y);
        };
        const auto drawCircle = [&](const TCircleBlk& circle) {
            if (!kept(circle, CircleInView, circleRows)) return;
            ++count;
            DrawArc(canvas, pixels, origin, PointDiff(circle.center, center), u, circle.hankei, 0,
                    0, DrawnColor(circle.PenColor, backColor, colorMode), pen(circle.code370),
                    circle.PenStyle);
        };
        const auto drawArc = [&](const TArcBlk& arc) {
            if (!kept(arc, ArcInView, circleRows)) return;
            ++count;
            const double end = arc.ed < arc.st ? arc.ed + 360 : arc.ed;
            const TAcadPoint c = PointDiff(arc.center, center);
            const TColor colour = DrawnColor(arc.PenColor, backColor, colorMode);
            if (std::fabs(end - arc.st) > ChordArcDeg) {
                DrawArc(canvas, pixels, origin, c, u, arc.hankei, arc.st * DegToRad, end * DegToRad,
                        colour, pen(arc.code370), arc.PenStyle);
                return;
            }
            // A sliver of an arc is its chord.
            if (pixels != nullptr) pixels->drew(colour);
            DrawDxfLine(canvas, origin, PolarPoint(c, arc.st * DegToRad, arc.hankei), u,
                        PolarPoint(c, end * DegToRad, arc.hankei), colour, pen(arc.code370),
                        arc.PenStyle);
        };
        // The share's positions among the lines, circles and arcs, one after the other.
        const auto* lines = chosen(&RecordIndices::lines);
        const auto* circles = chosen(&RecordIndices::circles);
        const auto* arcs = chosen(&RecordIndices::arcs);
        const std::size_t lineCount = RecordCount(drawing.LineAry, lines);
        const std::size_t circleCount = RecordCount(drawing.CircleAry, circles);
        const std::size_t total = lineCount + circleCount + RecordCount(drawing.ArcAry, arcs);
        // Shares of about equal work: a circle or an arc costs about as much as four lines (its
        // outline takes square roots, its end points trigonometry), three to four according to
        // the view.
        constexpr std::size_t CurveWeight = 4;
        const std::size_t work = lineCount + CurveWeight * (total - lineCount);
        const std::size_t shares = std::max(1u, share.count);
        const auto position = [&](std::size_t index) {
            const std::size_t goal = work * index / shares;
            return goal <= lineCount
                       ? goal
                       : lineCount + (goal - lineCount + CurveWeight - 1) / CurveWeight;
        };
        const std::size_t from = position(share.index);
        const std::size_t to = share.last() ? total : position(share.index + 1);
        const auto below = [](std::size_t position, std::size_t offset) {
            return position > offset ? position - offset : 0;
        };
        ForEachRecord(drawing.LineAry, lines, step, from, to, drawLine);
        ForEachRecord(drawing.CircleAry, circles, step, below(from, lineCount),
                      below(to, lineCount), drawCircle);
        ForEachRecord(drawing.ArcAry, arcs, step, below(from, lineCount + circleCount),
                      below(to, lineCount + circleCount), drawArc);
        if (share.last()) count += DrawPointsAndSplines(drawing, canvas, other);
    }

    if (texts) {
        const auto textInView = [u](const TTextBlk& text, const WorldRect& w) {
            return TextInView(text, w, u);
        };
        const auto textRows = [&](const TTextBlk& text) {
            if (inRows(text.pt10.y, text.pt10.y)) return true;
            // Most texts lie far from a band's rows, which the square around them that needs no
            // reading of the string tells.
            if (const std::optional<TBox> outside = TextReachOutside(text, u);
                outside && !inRows(outside->Min.y, outside->Max.y))
                return false;
            const TBox reach = TextReach(text, u);
            return inRows(reach.Min.y, reach.Max.y);
        };
        const auto drawText = [&](const TTextBlk& text) {
            // Invisible attributes are never drawn.
            if ((text.code70 & 1) != 0) return;
            if (!kept(text, textInView, textRows)) return;
            ++count;
            // A cell of a pixel or less shows nothing; most texts of a whole big drawing are
            // such, and laying them out would be wasted. An aligned text takes its height from
            // its span, and an MTEXT may raise the height of its characters.
            if (!TextLargeEnough(text.code40, u) &&
                !(text.mtflag ? text.str.find("\\H") != std::string::npos : text.code72 == 3))
                return;
            const TextLayout layout = LayoutText(text);
            // The square the culling tried is generous for a paragraph; its laid-out box says
            // whether any of it shows.
            if (!noClip && text.mtflag) {
                TBox box;
                TextLayoutBounds(layout, box.Min, box.Max);
                if (!Overlap(box, window)) return;
            }
            DrawDxfText(canvas, origin, center, u, layout,
                        {DrawnColor(text.PenColor, backColor, colorMode), backColor, colorMode});
        };
        ForEachRecord(drawing.TextAry, chosen(&RecordIndices::texts), 1, drawText);
    }

    canvas.flush();
    return count;
}

// A canvas that maps everything drawn on it through a linear map of the screen about one pixel:
// the model of a viewport whose view is twisted or looks at the model other than straight
// down. A map that keeps circles round (a turn) turns a circle's box centre and its end points;
// any other map draws arcs as chords. Texts keep their glyphs' shape: their baseline follows the
// map, their height and width scale with it.
class MappingCanvas : public ForwardingCanvas {
  public:
    MappingCanvas(Canvas& target, TPoint pivot, const ScreenMap& map)
        : ForwardingCanvas(target), pivot_(pivot), m_(map), font_(target.font()),
          round_(std::fabs(map.a - map.d) < 1e-9 && std::fabs(map.b + map.c) < 1e-9) {}

    void moveTo(int x, int y) override {
        const TPoint p = map(x, y);
        target().moveTo(p.x, p.y);
    }
    void lineTo(int x, int y) override {
        const TPoint p = map(x, y);
        target().lineTo(p.x, p.y);
    }
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override {
        const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
        const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
        if (round_) {
            const double k = std::hypot(m_.a, m_.c);
            const TPoint c = map(cx, cy);
            const auto kx = static_cast<std::int32_t>(std::lround(rx * k));
            const auto ky = static_cast<std::int32_t>(std::lround(ry * k));
            const TPoint s = map(xs, ys), e = map(xe, ye);
            target().arc(c.x - kx, c.y - ky, c.x + kx, c.y + ky, s.x, s.y, e.x, e.y);
            return;
        }
        if (rx <= 0 || ry <= 0) return;
        // Counterclockwise on the screen, whose y axis points down.
        const double from = std::atan2(-(ys - cy) / ry, (xs - cx) / rx);
        double sweep = std::atan2(-(ye - cy) / ry, (xe - cx) / rx) - from;
        if (xs == xe && ys == ye) sweep = 2 * Pi;
        while (sweep <= 0)
            sweep += 2 * Pi;
        const double reach =
            std::max(rx, ry) * std::max(std::hypot(m_.a, m_.c), std::hypot(m_.b, m_.d));
        const int n = std::clamp(static_cast<int>(std::ceil(sweep * std::sqrt(reach))), 2, 720);
        for (int k = 0; k <= n; ++k) {
            const double t = from + sweep * k / n;
            const TPoint p = map(cx + rx * std::cos(t), cy - ry * std::sin(t));
            if (k == 0)
                target().moveTo(p.x, p.y);
            else
                target().lineTo(p.x, p.y);
        }
    }
    void setPixel(int x, int y, TColor colour) override {
        const TPoint p = map(x, y);
        target().setPixel(p.x, p.y, colour);
    }
    void fillRect(int left, int top, int right, int bottom, TColor colour) override {
        fillPolygon({{{left, top}, {right, top}, {right, bottom}, {left, bottom}}}, colour);
    }
    void fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) override {
        std::vector<std::vector<TPoint>> mapped = rings;
        for (auto& ring : mapped)
            for (TPoint& p : ring)
                p = map(p.x, p.y);
        target().fillPolygon(mapped, colour);
    }
    void fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) override {
        // A map that mirrors turns every ring the other way alike, which keeps them filling as one.
        std::vector<std::vector<TPoint>> mapped = rings;
        for (auto& ring : mapped)
            for (TPoint& p : ring)
                p = map(p.x, p.y);
        target().fillRings(mapped, colour);
    }
    CanvasFont font() const override { return font_; }
    void setFont(const CanvasFont& font) override {
        font_ = font;
        // The baseline's direction on the screen, through the map.
        const double e = font.escapement / 10 * DegToRad;
        const double ux = std::cos(e), uy = -std::sin(e);
        const double mx = m_.a * ux + m_.b * uy, my = m_.c * ux + m_.d * uy;
        const double along = std::hypot(mx, my);
        const double det = m_.a * m_.d - m_.b * m_.c;
        CanvasFont f = font;
        if (along > 0) {
            f.escapement = std::atan2(-my, mx) / DegToRad * 10;
            f.averageWidth *= along;
            f.cellHeight *= std::fabs(det) / along;
        }
        if (det < 0) f.mirrorY = !f.mirrorY;
        target().setFont(f);
    }
    void textOut(int x, int y, const std::string& text) override {
        const TPoint p = map(x, y);
        target().textOut(p.x, p.y, text);
    }
    bool drawImage(const CanvasImage& image) override {
        CanvasImage mapped = image;
        for (PointF* corner : {&mapped.topLeft, &mapped.topRight, &mapped.bottomLeft})
            *corner = mapExactly(corner->x, corner->y);
        for (TPoint& p : mapped.clip)
            p = map(p.x, p.y);
        return target().drawImage(mapped);
    }

  private:
    PointF mapExactly(double x, double y) const {
        const double dx = x - pivot_.x, dy = y - pivot_.y;
        return {pivot_.x + m_.a * dx + m_.b * dy, pivot_.y + m_.c * dx + m_.d * dy};
    }
    TPoint map(double x, double y) const {
        const double dx = x - pivot_.x, dy = y - pivot_.y;
        return {static_cast<std::int32_t>(std::lround(pivot_.x + m_.a * dx + m_.b * dy)),
                static_cast<std::int32_t>(std::lround(pivot_.y + m_.c * dx + m_.d * dy))};
    }

    TPoint pivot_;
    ScreenMap m_;
    CanvasFont font_;
    bool round_;
};

// The paper is white, whatever the background around it; what is drawn on it takes its colours
// against white.
constexpr TColor PaperColor = ColorWhite;

// A layout: its paper, the model through each of its viewports, then the sheet's own records.
int DrawSheet(const Drawing& drawing, const DrawOptions& options, Canvas& canvas) {
    const DrawView& view = options.view;
    if ((view.drawW == 0 && view.drawH == 0) || view.zoom == 0) return 0;
    const double u = UnitsPerPixel(view.drawW, view.drawH, view.pixW, view.pixH, view.zoom);
    const auto pixel = [&](const TAcadPoint& p) {
        return WorldToScreen(PointDiff(p, view.center), view.origin, u);
    };
    DrawOptions sheet = options;
    sheet.backColor = PaperColor;
    const int index = LayoutOfSpace(drawing, view.space);
    if (index >= 0) {
        const TLayout& layout = drawing.LayoutAry[static_cast<std::size_t>(index)];
        const TAcadPoint& a = layout.paperMin;
        const TAcadPoint& b = layout.paperMax;
        if (b.x > a.x && b.y > a.y && options.parts != DrawnParts::Texts) {
            canvas.fillPolygon({{pixel(a), pixel({b.x, a.y, 0}), pixel(b), pixel({a.x, b.y, 0})}},
                               PaperColor);
        }
    }
    int count = 0;
    for (const TViewport& v : drawing.ViewportAry) {
        if (v.space != view.space || !ViewportShown(v)) continue;
        std::vector<TPoint> ring;
        if (v.clip.empty()) {
            const double hw = v.width / 2, hh = v.height / 2;
            for (const TAcadPoint& corner : {TAcadPoint{v.center.x - hw, v.center.y - hh, 0},
                                             TAcadPoint{v.center.x + hw, v.center.y - hh, 0},
                                             TAcadPoint{v.center.x + hw, v.center.y + hh, 0},
                                             TAcadPoint{v.center.x - hw, v.center.y + hh, 0}})
                ring.push_back(pixel(corner));
        } else {
            for (const TAcadPoint& p : v.clip)
                ring.push_back(pixel(p));
        }
        const std::optional<DrawView> modelView = ViewportView(v, view);
        if (!modelView) continue;
        DrawOptions model = sheet;
        model.records = nullptr;
        // A window shows a part of the model: what lies outside it is skipped, whatever the
        // sheet's own drawing does.
        model.clipping = Clipping::ToView;
        model.view = *modelView;
        const std::size_t index = static_cast<std::size_t>(&v - drawing.ViewportAry.data());
        if (options.viewportRecords != nullptr && index < options.viewportRecords->size() &&
            (*options.viewportRecords)[index])
            model.records = &*(*options.viewportRecords)[index];
        std::vector<bool> hidden;
        if (!v.frozenLayers.empty()) {
            hidden.assign(drawing.LayerAry.size(), false);
            for (const Name& name : v.frozenLayers) {
                const int layer = LayerIndexOf(drawing, std::string(std::string_view(name)));
                if (layer >= 0) hidden[static_cast<std::size_t>(layer)] = true;
            }
            model.hiddenLayers = &hidden;
        }
        canvas.setClip({ring});
        const ScreenMap map = ViewportScreenMap(v);
        if (!map.identity()) {
            MappingCanvas mapped(canvas, model.view.origin, map);
            count += DrawRecords(drawing, model, mapped);
        } else {
            count += DrawRecords(drawing, model, canvas);
        }
        canvas.clearClip();
    }
    return count + DrawRecords(drawing, sheet, canvas);
}

} // namespace

namespace {

// How a viewport's view sees the model's plane: the map from the model's x and y to the view's
// display coordinates before the twist, and where the target lies in them. The display x axis
// is the view direction's arbitrary axis (that of a plan view is the model's x axis), its y axis
// completes the frame.
struct ViewProjection {
    double xx = 1, xy = 0, yx = 0, yy = 1;
    double targetX = 0, targetY = 0;
};

ViewProjection ProjectionOf(const TViewport& v) {
    const TAcadPoint& dir = v.viewDirection;
    const double length = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
    ViewProjection p;
    if (length > 0 && std::isfinite(length)) {
        const double nx = dir.x / length, ny = dir.y / length, nz = dir.z / length;
        // The arbitrary axis: world z x N, or world y x N near the z axis.
        double ax, ay, az;
        if (std::fabs(nx) < 1.0 / 64 && std::fabs(ny) < 1.0 / 64) {
            ax = nz, ay = 0, az = -nx;
        } else {
            ax = -ny, ay = nx, az = 0;
        }
        const double a = std::sqrt(ax * ax + ay * ay + az * az);
        ax /= a, ay /= a, az /= a;
        // y = N x x.
        const double bx = ny * az - nz * ay, by = nz * ax - nx * az, bz = nx * ay - ny * ax;
        p = {ax, ay, bx, by, 0, 0};
        const TAcadPoint& t = v.viewTarget;
        p.targetX = ax * t.x + ay * t.y + az * t.z;
        p.targetY = bx * t.x + by * t.y + bz * t.z;
    } else {
        p.targetX = v.viewTarget.x;
        p.targetY = v.viewTarget.y;
    }
    return p;
}

} // namespace

bool ScreenMap::identity() const {
    return a == 1 && b == 0 && c == 0 && d == 1;
}

ScreenMap ViewportScreenMap(const TViewport& v) {
    const ViewProjection p = ProjectionOf(v);
    const double t = v.twist * DegToRad;
    const double cs = v.twist == 0 ? 1 : std::cos(t), sn = v.twist == 0 ? 0 : std::sin(t);
    // The twist turns the display coordinates counterclockwise; the screen's y axis points
    // down, which flips the signs off the diagonal.
    const double wxx = cs * p.xx - sn * p.yx, wxy = cs * p.xy - sn * p.yy;
    const double wyx = sn * p.xx + cs * p.yx, wyy = sn * p.xy + cs * p.yy;
    return {wxx, -wxy, -wyx, wyy};
}

std::optional<DrawView> ViewportView(const TViewport& v, const DrawView& sheet) {
    if ((sheet.drawW == 0 && sheet.drawH == 0) || sheet.zoom == 0 || !ViewportShown(v))
        return std::nullopt;
    const double u = UnitsPerPixel(sheet.drawW, sheet.drawH, sheet.pixW, sheet.pixH, sheet.zoom);
    const double modelU = u * v.viewHeight / v.height;
    if (!(modelU > 0) || !std::isfinite(modelU)) return std::nullopt;
    // The model's point at the view's centre; none when the view sees the model's plane edge on.
    const ViewProjection p = ProjectionOf(v);
    const double det = p.xx * p.yy - p.xy * p.yx;
    if (!(std::fabs(det) > 1e-9)) return std::nullopt;
    const double cx = v.viewCenter.x + p.targetX, cy = v.viewCenter.y + p.targetY;
    const TAcadPoint center{(p.yy * cx - p.xy * cy) / det, (p.xx * cy - p.yx * cx) / det, 0};
    // The window's box as the plan sees it: its corners taken back through the map.
    const ScreenMap m = ViewportScreenMap(v);
    const double mdet = m.a * m.d - m.b * m.c;
    const double hw = v.width / u / 2, hh = v.height / u / 2;
    double reachX = 0, reachY = 0;
    for (const auto& [x, y] : {std::pair{hw, hh}, std::pair{hw, -hh}}) {
        reachX = std::max(reachX, std::fabs((m.d * x - m.b * y) / mdet));
        reachY = std::max(reachY, std::fabs((m.a * y - m.c * x) / mdet));
    }
    const double pixW = std::ceil(2 * reachX) + 2;
    const double pixH = std::ceil(2 * reachY) + 2;
    if (!(pixW < 1e9 && pixH < 1e9)) return std::nullopt;
    const int w = static_cast<int>(pixW), h = static_cast<int>(pixH);
    return DrawView{center,     w * modelU,
                    h * modelU, WorldToScreen(PointDiff(v.center, sheet.center), sheet.origin, u),
                    w,          h,
                    1,          0};
}

int DrawDxf(const Drawing& drawing, const DrawOptions& options, Canvas& canvas) {
    return options.view.space == 0 ? DrawRecords(drawing, options, canvas)
                                   : DrawSheet(drawing, options, canvas);
}

} // namespace orvanta

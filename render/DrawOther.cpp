#include "render/DrawOther.h"

#include "geometry/EntityBoxes.h"
#include "geometry/Primitives.h"
#include "geometry/Splines.h"
#include "render/Colors.h"
#include "render/LayerState.h"

#include <strings.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace orvanta {

namespace {

// Splines are cut into at most this many chords per redraw, whatever the zoom.
constexpr std::size_t MaxSplineChords = 200'000;
// Ellipses and tilted circles likewise.
constexpr int MaxCurveChords = 100'000;
// $PDMODE 0 or 1 draw a dot or nothing; 2 a plus, 3 a cross, 4 a tick; 32 adds a circle, 64 a
// square. $PDSIZE is drawing units when positive, a percentage of the view height when negative
// and 5 % of it when 0.
constexpr int PdFigureMask = 7;
constexpr int PdCircle = 32;
constexpr int PdSquare = 64;

bool Overlaps(const TBox& b, const WorldRect& w) {
    return b.Min.x <= w.upperRight.x && b.Max.x >= w.lowerLeft.x && b.Min.y <= w.upperRight.y &&
           b.Max.y >= w.lowerLeft.y;
}

void Grow(TBox& box, const TAcadPoint& p, bool& first) {
    if (first) {
        box.Min = box.Max = p;
        first = false;
        return;
    }
    box.Min.x = std::min(box.Min.x, p.x);
    box.Min.y = std::min(box.Min.y, p.y);
    box.Max.x = std::max(box.Max.x, p.x);
    box.Max.y = std::max(box.Max.y, p.y);
}

template <class Record, class InView>
bool Kept(const Drawing& d, const Record& r, const OtherKindsView& v, InView inView) {
    if (r.code67 != v.space) return false;
    if (v.layer >= 0) return r.layindex == v.layer;
    if (LayerHidden(v.hiddenLayers, r.layindex)) return false;
    return LayerVisibleAt(d, r.layindex) && (v.noClip || inView());
}

template <class Record> int PenOf(const Record& r, const OtherKindsView& v) {
    return LineweightPen(r.code370, v.penWidth, v.lineweights);
}

TColor Blend(TColor a, TColor b, int aQuarters) {
    const auto mix = [&](int x, int y) { return (x * aQuarters + y * (4 - aQuarters)) / 4; };
    return RgbColor(mix(RedOf(a), RedOf(b)), mix(GreenOf(a), GreenOf(b)),
                    mix(BlueOf(a), BlueOf(b)));
}

class Pixels {
  public:
    explicit Pixels(const OtherKindsView& v) : v_(v) {}
    TPoint operator()(const TAcadPoint& p) const {
        return WorldToScreen(PointDiff(p, v_.center), v_.origin, v_.unitsPerPixel);
    }

  private:
    const OtherKindsView& v_;
};

void Polyline(Canvas& canvas, const std::vector<TAcadPoint>& points, const Pixels& pixel,
              bool closed) {
    if (points.empty()) return;
    const TPoint first = pixel(points.front());
    canvas.moveTo(first.x, first.y);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const TPoint p = pixel(points[i]);
        canvas.lineTo(p.x, p.y);
    }
    if (closed) canvas.lineTo(first.x, first.y);
}

} // namespace

int DrawFills(const Drawing& d, Canvas& canvas, const OtherKindsView& v) {
    int count = 0;
    const Pixels pixel(v);
    std::vector<std::vector<TPoint>> rings;
    for (std::size_t i = 0; i < d.FillAry.size(); i += v.step) {
        const TFillBlk& fill = d.FillAry[i];
        const auto inView = [&] {
            TBox box;
            bool first = true;
            for (const auto& ring : fill.rings)
                for (const TAcadPoint& p : ring)
                    Grow(box, p, first);
            return !first && Overlaps(box, v.window);
        };
        if (!Kept(d, fill, v, inView)) continue;
        ++count;
        const TColor colour = DrawnColor(fill.PenColor, v.backColor, v.colorMode);
        if (fill.kind == FillKind::Lines) {
            canvas.setPen(colour, PenOf(fill, v), PenSolid);
            for (std::size_t k = 0; k + 1 < fill.segments.size(); k += 2) {
                const TPoint a = pixel(fill.segments[k]);
                const TPoint b = pixel(fill.segments[k + 1]);
                canvas.moveTo(a.x, a.y);
                canvas.lineTo(b.x, b.y);
            }
            continue;
        }
        rings.resize(fill.rings.size());
        for (std::size_t r = 0; r < fill.rings.size(); ++r) {
            rings[r].clear();
            for (const TAcadPoint& p : fill.rings[r]) {
                const TPoint q = pixel(p);
                // Corners that land on one pixel add nothing to the area.
                if (rings[r].empty() || !(rings[r].back() == q)) rings[r].push_back(q);
            }
        }
        // In an inverting pen mode (a layer's blink, drawn twice) the outline inverts and comes
        // back; a fill would not.
        if (canvas.penMode() != PenMode::Copy) {
            canvas.setPen(colour, PenOf(fill, v), PenSolid);
            for (const auto& ring : fill.rings)
                Polyline(canvas, ring, pixel, true);
            continue;
        }
        if (fill.kind == FillKind::Solid) {
            canvas.fillPolygon(rings, colour);
            continue;
        }
        if (fill.kind == FillKind::Band) {
            // The pieces of a wide polyline overlap: each is filled on its own, or outlined
            // when the drawing asks for no fills.
            if (d.FillMode == 0) {
                canvas.setPen(colour, PenOf(fill, v), PenSolid);
                for (const auto& ring : fill.rings)
                    Polyline(canvas, ring, pixel, true);
                continue;
            }
            canvas.fillRings(rings, colour);
            continue;
        }
        canvas.fillPolygon(rings, Blend(colour, v.backColor, 1));
        canvas.setPen(colour, PenOf(fill, v), PenSolid);
        for (const auto& ring : fill.rings)
            Polyline(canvas, ring, pixel, true);
    }
    return count;
}

int DrawPointsAndSplines(const Drawing& d, Canvas& canvas, const OtherKindsView& v) {
    int count = 0;
    const Pixels pixel(v);
    const double u = v.unitsPerPixel;
    const double viewHeight = (v.viewWindow.upperRight.y - v.viewWindow.lowerLeft.y) / u;
    double size =
        d.PdSize > 0 ? d.PdSize / u : (d.PdSize < 0 ? -d.PdSize / 100 : 0.05) * viewHeight;
    const int half = std::clamp(static_cast<int>(std::lround(size / 2)), 1, 4096);
    const int figure = d.PdMode & PdFigureMask;
    for (std::size_t i = 0; i < d.PointAry.size(); i += v.step) {
        const TPointBlk& point = d.PointAry[i];
        // Points of the layer that CAD programs keep for dimension definition points are
        // never drawn; layer names are compared without regard to case, and writers spell this
        // one "DEFPOINTS" and "Defpoints" alike.
        if (::strcasecmp(point.layer.c_str(), "DEFPOINTS") == 0) continue;
        const auto inView = [&] {
            const TAcadPoint& p = point.pt10;
            const double reach = half * u;
            return p.x >= v.window.lowerLeft.x - reach && p.x <= v.window.upperRight.x + reach &&
                   p.y >= v.window.lowerLeft.y - reach && p.y <= v.window.upperRight.y + reach;
        };
        if (!Kept(d, point, v, inView)) continue;
        ++count;
        const TColor colour = DrawnColor(point.PenColor, v.backColor, v.colorMode);
        const TPoint c = pixel(point.pt10);
        if (figure == 0) {
            canvas.setPixel(c.x, c.y, colour);
        } else if (figure != 1 || (d.PdMode & (PdCircle | PdSquare)) != 0) {
            canvas.setPen(colour, PenOf(point, v), PenSolid);
            const auto line = [&](int x0, int y0, int x1, int y1) {
                canvas.moveTo(c.x + x0, c.y + y0);
                canvas.lineTo(c.x + x1, c.y + y1);
            };
            if (figure == 2) {
                line(-half, 0, half, 0);
                line(0, -half, 0, half);
            } else if (figure == 3) {
                line(-half, -half, half, half);
                line(-half, half, half, -half);
            } else if (figure == 4) {
                line(0, 0, 0, -half);
            }
            if ((d.PdMode & PdCircle) != 0)
                canvas.arc(c.x - half, c.y - half, c.x + half, c.y + half, c.x + half, c.y,
                           c.x + half, c.y);
            if ((d.PdMode & PdSquare) != 0) {
                line(-half, -half, half, -half);
                line(half, -half, half, half);
                line(half, half, -half, half);
                line(-half, half, -half, -half);
            }
        }
    }

    for (std::size_t i = 0; i < d.CurveAry.size(); i += v.step) {
        const TCurveBlk& curve = d.CurveAry[i];
        const double reach = std::hypot(curve.u.x, curve.u.y) + std::hypot(curve.v.x, curve.v.y);
        if (!std::isfinite(reach) || !std::isfinite(curve.start) || !std::isfinite(curve.sweep) ||
            !std::isfinite(curve.center.x) || !std::isfinite(curve.center.y))
            continue;
        const auto inView = [&] {
            TBox box;
            box.Min = {curve.center.x - reach, curve.center.y - reach, 0};
            box.Max = {curve.center.x + reach, curve.center.y + reach, 0};
            return Overlaps(box, v.window);
        };
        if (!Kept(d, curve, v, inView)) continue;
        ++count;
        const TColor colour = DrawnColor(curve.PenColor, v.backColor, v.colorMode);
        // Chords whose middles stray at most half a pixel from the curve: the angle step of a
        // circle as large as the curve's larger half axis.
        const double radius =
            std::max(std::hypot(curve.u.x, curve.u.y), std::hypot(curve.v.x, curve.v.y)) / u;
        if (radius < 0.5) {
            const TPoint p = pixel(curve.center);
            canvas.setPixel(p.x, p.y, colour);
            continue;
        }
        const double step = radius > 0.5 ? 2 * std::acos(1 - 0.5 / radius) : Pi;
        const int n = static_cast<int>(
            std::clamp(std::ceil(std::fabs(curve.sweep) / step), 1.0, double(MaxCurveChords)));
        canvas.setPen(colour, PenOf(curve, v), curve.PenStyle);
        for (int k = 0; k <= n; ++k) {
            const double t = curve.start + curve.sweep * k / n;
            const TPoint p =
                pixel({curve.center.x + curve.u.x * std::cos(t) + curve.v.x * std::sin(t),
                       curve.center.y + curve.u.y * std::cos(t) + curve.v.y * std::sin(t), 0});
            if (k == 0)
                canvas.moveTo(p.x, p.y);
            else
                canvas.lineTo(p.x, p.y);
        }
    }

    for (std::size_t i = 0; i < d.RayAry.size(); i += v.step) {
        const TRayBlk& ray = d.RayAry[i];
        // The part of the line inside the window (Liang-Barsky): t from `from` to `to`.
        const double dx = ray.pt11.x, dy = ray.pt11.y;
        double from = ray.xline ? -INFINITY : 0, to = INFINITY;
        const auto clip = [&](double p, double q) {
            if (p == 0) return q >= 0;
            const double t = q / p;
            if (p < 0)
                from = std::max(from, t);
            else
                to = std::min(to, t);
            return from <= to;
        };
        // Cut to the whole view, so that the line is the same in every band.
        const WorldRect& w = v.viewWindow;
        const bool visible =
            (dx != 0 || dy != 0) && std::isfinite(dx) && std::isfinite(dy) &&
            clip(-dx, ray.pt10.x - w.lowerLeft.x) && clip(dx, w.upperRight.x - ray.pt10.x) &&
            clip(-dy, ray.pt10.y - w.lowerLeft.y) && clip(dy, w.upperRight.y - ray.pt10.y) &&
            std::isfinite(from) && std::isfinite(to);
        // The view decides even without the visibility tests: the line has no other end.
        if (!Kept(d, ray, v, [] { return true; }) || !visible) continue;
        ++count;
        canvas.setPen(DrawnColor(ray.PenColor, v.backColor, v.colorMode), PenOf(ray, v),
                      ray.PenStyle);
        const TPoint a = pixel({ray.pt10.x + dx * from, ray.pt10.y + dy * from, 0});
        const TPoint b = pixel({ray.pt10.x + dx * to, ray.pt10.y + dy * to, 0});
        canvas.moveTo(a.x, a.y);
        canvas.lineTo(b.x, b.y);
    }

    std::vector<TAcadPoint> chords;
    for (std::size_t i = 0; i < d.SplineAry.size(); i += v.step) {
        const TSplineBlk& spline = d.SplineAry[i];
        const auto inView = [&] {
            TBox box;
            bool first = true;
            for (const TAcadPoint& p : spline.control)
                Grow(box, p, first);
            return !first && Overlaps(box, v.window);
        };
        if (!Kept(d, spline, v, inView)) continue;
        ++count;
        chords.clear();
        FlattenSpline(ViewOf(spline), 0.5 * u, MaxSplineChords, chords);
        canvas.setPen(DrawnColor(spline.PenColor, v.backColor, v.colorMode), PenOf(spline, v),
                      spline.PenStyle);
        Polyline(canvas, chords, pixel, false);
    }
    return count;
}

} // namespace orvanta

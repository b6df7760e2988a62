#include "browse/DetailGestures.h"

#include "geometry/Primitives.h"

#include <cmath>

namespace orvanta {

namespace {

// Half the length of the perpendicular through the pick point: lines farther away than this
// are not candidates.
constexpr double PickReach = 1000000;
// The perpendicular of a measured line, from its start point; its length only sets a direction.
constexpr double PerpendicularLength = 1000;
// A mutual distance at least this large comes from nearly parallel lines and is not shown.
constexpr double MutualDistanceLimit = 1e12;

} // namespace

DragGesture ClassifyDrag(int dx, int dy) {
    if (dx > DragThreshold && dy > DragThreshold) return DragGesture::WindowZoom;
    if (dx > DragThreshold && -dy > DragThreshold) return DragGesture::WholeDrawing;
    if (-dx > DragThreshold && -dy > DragThreshold) return DragGesture::ZoomOut;
    if (-dx > DragThreshold && dy > DragThreshold) return DragGesture::Back;
    return DragGesture::Recentre;
}

bool ApplyDragGesture(ViewState& view, const Drawing& drawing, DragGesture gesture,
                      const TAcadPoint& a, const TAcadPoint& b) {
    switch (gesture) {
    case DragGesture::WindowZoom:
        SavePreviousView(view);
        view.ViewCenter.x = (a.x + b.x) / 2;
        view.ViewCenter.y = (a.y + b.y) / 2;
        view.DrawWidth = b.x - a.x;
        view.DrawHeight = a.y - b.y;
        return false;
    case DragGesture::WholeDrawing:
        SavePreviousView(view);
        FitViewToExtents(view, drawing);
        return true;
    case DragGesture::ZoomOut:
        SavePreviousView(view);
        view.DrawWidth *= 2;
        view.DrawHeight *= 2;
        return false;
    case DragGesture::Back:
        RestorePreviousView(view);
        return false;
    case DragGesture::Recentre:
        view.ViewCenter.x = (a.x + b.x) / 2;
        view.ViewCenter.y = (a.y + b.y) / 2;
        return false;
    }
    return false;
}

void ApplyPan(ViewState& view, const TAcadPoint& a, const TAcadPoint& b) {
    view.ViewCenter.x += a.x - b.x;
    view.ViewCenter.y += a.y - b.y;
}

bool ApplyWheelStep(ViewState& view, const TAcadPoint& p, double factor) {
    const double width = view.DrawWidth * factor;
    const double height = view.DrawHeight * factor;
    if (!std::isfinite(width) || !std::isfinite(height) || (view.DrawWidth != 0 && width == 0) ||
        (view.DrawHeight != 0 && height == 0))
        return false;
    SavePreviousView(view);
    view.DrawWidth *= factor;
    view.DrawHeight *= factor;
    view.ViewCenter.x = p.x - (p.x - view.ViewCenter.x) * factor;
    view.ViewCenter.y = p.y - (p.y - view.ViewCenter.y) * factor;
    return true;
}

PickResult PickNearest(const Drawing& drawing, const TAcadPoint& p, std::int16_t space) {
    PickResult best;
    const auto offer = [&](PickResult::Kind kind, std::size_t index, double distance) {
        if (best.kind == PickResult::Kind::None || distance < best.distance)
            best = {kind, static_cast<int>(index), distance};
    };

    for (std::size_t i = 0; i < drawing.LineAry.size(); ++i) {
        const TAcadLineBlk& line = drawing.LineAry[i];
        if (line.code67 != space) continue;
        const double across = AngleOf(line.st, line.ed) + HalfPi;
        TAcadPoint foot;
        if (IntersectLines(PolarPoint(p, across, PickReach), PolarPoint(p, across, -PickReach),
                           line.st, line.ed, true, foot))
            offer(PickResult::Kind::Line, i, Distance2D(p, foot));
    }
    for (std::size_t i = 0; i < drawing.CircleAry.size(); ++i) {
        const TCircleBlk& circle = drawing.CircleAry[i];
        if (circle.code67 != space) continue;
        const TAcadPoint nearest =
            PolarPoint(circle.center, AngleOf(circle.center, p), circle.hankei);
        offer(PickResult::Kind::Circle, i, Distance2D(p, nearest));
    }
    for (std::size_t i = 0; i < drawing.ArcAry.size(); ++i) {
        const TArcBlk& arc = drawing.ArcAry[i];
        if (arc.code67 != space) continue;
        // The arc's angles are not considered: its full circle is measured.
        const TAcadPoint nearest = PolarPoint(arc.center, AngleOf(arc.center, p), arc.hankei);
        offer(PickResult::Kind::Arc, i, Distance2D(p, nearest));
    }
    return best;
}

void ClearPicks(DetailViewState& view) {
    view.PickedLineIndex = -1;
    view.PickedCircleIndex = -1;
    view.PickedArcIndex = -1;
}

void StorePick(DetailViewState& view, const PickResult& pick) {
    ClearPicks(view);
    switch (pick.kind) {
    case PickResult::Kind::Line:
        view.PickedLineIndex = pick.index;
        break;
    case PickResult::Kind::Circle:
        view.PickedCircleIndex = pick.index;
        break;
    case PickResult::Kind::Arc:
        view.PickedArcIndex = pick.index;
        break;
    case PickResult::Kind::None:
        break;
    }
}

bool MutualDistance(const TAcadLineBlk& line, const TAcadLineBlk& previous, double& distance) {
    const TAcadPoint across =
        PolarPoint(line.st, AngleOf(line.st, line.ed) + HalfPi, PerpendicularLength);
    TAcadPoint meet;
    if (!IntersectLines(line.st, across, previous.st, previous.ed, false, meet)) return false;
    distance = Distance2D(meet, line.st);
    return distance < MutualDistanceLimit;
}

TAcadPoint TextViewCenter(const TTextBlk& text) {
    const bool atFirstPoint =
        text.mtflag ||
        ((text.code72 == 0 || text.code72 == 3 || text.code72 == 5) && text.code73 == 0);
    return atFirstPoint ? text.pt10 : text.pt11;
}

} // namespace orvanta

// What the gestures on the detail picture do to the view and what a pick finds, apart from the
// widgets: the ten-pixel rule of the zoom drags, pan and wheel steps, the nearest line, circle or
// arc to a point, and the distance between two measured lines. Plain functions over the view
// state and the normalised drawing.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/ViewState.h"

namespace orvanta {

// The detail view's state: the view it shows, and the picks and gestures in progress on it.
struct DetailViewState : ViewState {
    // Indexes of the entities picked by the last Shift+click, -1 when none.
    int PickedLineIndex = -1;
    int PickedCircleIndex = -1;
    int PickedArcIndex = -1;
    // The line picked by the previous Shift+click; two picked lines are measured against it.
    TAcadLineBlk PrevPickedLine;

    TPoint DragStartPoint;
    TPoint DragLastPoint;
    bool ZoomBoxDragging = false;
    bool PanDragging = false;
    // A redraw caused by panning or by the wheel is running; guards against re-entry.
    bool PanRedrawBusy = false;
    bool WheelRedrawBusy = false;

    // The cross-hair is drawn inverting and must be erased before the image is replaced.
    TPoint CrossHairPos;
    bool CrossHairShown = false;
};

// The three pick indexes are reset at the start of every mouse press on the detail image.
void ClearPicks(DetailViewState& view);

// A drag must exceed this many pixels in both directions to be more than a click.
constexpr int DragThreshold = 10;

// What a left- or right-button drag means, by its direction on the screen (y grows downwards).
enum class DragGesture {
    WindowZoom,   // right and down: zoom to the rectangle
    WholeDrawing, // right and up: the whole drawing
    ZoomOut,      // left and up: twice the world width and height
    Back,         // left and down: the view before the last change
    Recentre,     // a click or a short drag: centre on the midpoint
};

DragGesture ClassifyDrag(int dx, int dy);

// Applies a drag from world point `a` (under the press) to `b` (under the release). Returns
// whether the next render shows the whole drawing and may skip the visibility tests.
bool ApplyDragGesture(ViewState& view, const Drawing& drawing, DragGesture gesture,
                      const TAcadPoint& a, const TAcadPoint& b);

// A middle-button drag from `a` to `b`: the point under the press moves under the release.
void ApplyPan(ViewState& view, const TAcadPoint& a, const TAcadPoint& b);

// One wheel step: the previous view is saved, the world extent scaled by `factor` (0.5 zooms in,
// 2 out) and the centre moved so that `p`, the point under the mouse, stays where it is. A step
// that would scale the extent beyond what a double holds (to zero or to infinity, where no way
// leads back) changes nothing and returns false.
bool ApplyWheelStep(ViewState& view, const TAcadPoint& p, double factor);

// The entity a Shift+click at world point `p` picks: the line whose perpendicular foot through
// `p` lies on it, or the circle or arc (its full circle) whose outline passes nearest. Lines,
// circles and arcs are tried in that order, each table in order; only a strictly nearer one
// replaces the best so far. Entities on hidden layers count; paper space and records replaced by
// chords do not, as they are not drawn.
struct PickResult {
    enum class Kind { None, Line, Circle, Arc };
    Kind kind = Kind::None;
    int index = -1;
    double distance = 0;
};
PickResult PickNearest(const Drawing& drawing, const TAcadPoint& p, std::int16_t space = 0);

// Applies a pick to the view state's pick indexes (all -1 but the winner's).
void StorePick(DetailViewState& view, const PickResult& pick);

// The distance from `line`'s start point, along the perpendicular to `line`, to the infinite
// line through `previous`; false when they do not meet (parallel directions) or the distance is
// beyond any drawing. For two parallel lines it is their separation.
bool MutualDistance(const TAcadLineBlk& line, const TAcadLineBlk& previous, double& distance);

// The world point a text of the text list is shown at: its first point for MTEXT and texts
// aligned at their first point, otherwise its alignment point.
TAcadPoint TextViewCenter(const TTextBlk& text);

} // namespace orvanta

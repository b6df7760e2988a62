// The view of a drawing that the detail view shows, and that printing and export draw again:
// which part of the drawing is shown, the view before the last change and the colour mode.
// Plain data; the functions below are the view changes that more than one handler makes. The
// picks and gestures in progress on the detail view belong to the window (DetailViewState).
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/ViewTransform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta {

// The fitted extent fills this share of the limiting dimension of a view, leaving a margin.
constexpr double DefaultZoomRate = 0.98;

struct ViewState {
    // World point drawn at the centre pixel of the detail image; z is 0 after a fit.
    TAcadPoint ViewCenter;
    // World extent that must fit into the view; zooming changes these.
    double DrawWidth = 0;
    double DrawHeight = 0;
    double ZoomRate = DefaultZoomRate;

    // The view before the last view change, restored by one mouse gesture.
    TAcadPoint PrevViewCenter;
    double PrevDrawWidth = 0;
    double PrevDrawHeight = 0;

    // Colour mode of the detail view and the previews: colour or monochrome.
    ColorModeValue ViewColorMode = ColorModeColor;

    // What is shown: 0 the model, a layout's space its sheet.
    std::int16_t Space = 0;
};

// Copies the current view into the previous one; called before every view change.
void SavePreviousView(ViewState& view);
// Makes the previous view current again. The previous view stays as it is, so that going back
// twice shows the same view twice.
void RestorePreviousView(ViewState& view);

// Fits the view to the extents of what it shows, the model's or the sheet's: all of it, centred.
void FitViewToExtents(ViewState& view, const Drawing& drawing);

// Shows the named view `name`; a name the drawing has no view of ("*AllView*" among them) fits
// the extents instead. Returns whether a named view was found.
bool ShowNamedView(ViewState& view, const Drawing& drawing, const std::string& name);

// The view as the renderer takes it, for a picture of pixW x pixH pixels around `center` at the
// view's scale.
DrawView DrawViewOf(const ViewState& view, const TAcadPoint& center, int pixW, int pixH);
// The options of a picture of the detail view, pixW x pixH pixels around `center` at the view's
// scale: drawn on black in the view's colour mode, lines `penWidth` pixels wide or as wide as
// their lineweights when the display shows them, everything else at the defaults. The detail
// view, and every copy of it (an exported picture, a printed page), start from these.
DrawOptions ViewDrawOptions(const ViewState& view, const TAcadPoint& center, int pixW, int pixH,
                            const LineweightDisplay& lineweights, int penWidth = 1);
// The whole drawing fitted into a picture of pixW x pixH pixels: the model or the sheet of the
// layout whose space is `space`; without one, what the drawing opens in (OpeningSpace).
DrawView WholeDrawingView(const Drawing& drawing, int pixW, int pixH,
                          std::optional<std::int16_t> space = std::nullopt);

// The space a drawing opens in: the sheet of the layout it was saved showing, or the model when
// it was saved showing the model or `alwaysModel` asks for it.
std::int16_t OpeningSpace(const Drawing& drawing, bool alwaysModel = false);

// The space a user's choice of sheet names: "saved" what the drawing opens in, "model" its
// model, or the layout of that name (letter case ignored). False, with `space` left alone, when
// the drawing has no layout of the name.
bool SpaceOfSheetChoice(const Drawing& drawing, std::string_view choice, std::int16_t& space);

} // namespace orvanta

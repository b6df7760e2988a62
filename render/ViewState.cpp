#include "render/ViewState.h"

#include "geometry/Layouts.h"

namespace orvanta {

void SavePreviousView(ViewState& view) {
    view.PrevViewCenter = view.ViewCenter;
    view.PrevDrawWidth = view.DrawWidth;
    view.PrevDrawHeight = view.DrawHeight;
}

void RestorePreviousView(ViewState& view) {
    view.ViewCenter = view.PrevViewCenter;
    view.DrawWidth = view.PrevDrawWidth;
    view.DrawHeight = view.PrevDrawHeight;
}

void FitViewToExtents(ViewState& view, const Drawing& drawing) {
    TAcadPoint min = drawing.ExtMin, max = drawing.ExtMax;
    if (const int layout = LayoutOfSpace(drawing, view.Space); layout >= 0) {
        min = drawing.LayoutAry[static_cast<std::size_t>(layout)].ExtMin;
        max = drawing.LayoutAry[static_cast<std::size_t>(layout)].ExtMax;
    }
    view.DrawWidth = max.x - min.x;
    view.DrawHeight = max.y - min.y;
    view.ViewCenter = {(max.x + min.x) / 2, (max.y + min.y) / 2, 0};
}

bool ShowNamedView(ViewState& view, const Drawing& drawing, const std::string& name) {
    const int index = ViewIndexOf(drawing, name);
    if (index < 0) {
        FitViewToExtents(view, drawing);
        return false;
    }
    const TViewTbl& named = drawing.ViewAry[static_cast<std::size_t>(index)];
    view.DrawWidth = named.width;
    view.DrawHeight = named.height;
    view.ViewCenter = named.center;
    return true;
}

DrawView DrawViewOf(const ViewState& view, const TAcadPoint& center, int pixW, int pixH) {
    return {center, view.DrawWidth, view.DrawHeight, ViewOriginOf(pixW, pixH),
            pixW,   pixH,           view.ZoomRate,   view.Space};
}

DrawOptions ViewDrawOptions(const ViewState& view, const TAcadPoint& center, int pixW, int pixH,
                            const LineweightDisplay& lineweights, int penWidth) {
    DrawOptions options;
    options.view = DrawViewOf(view, center, pixW, pixH);
    options.backColor = ColorBlack;
    options.colorMode = view.ViewColorMode;
    options.penWidth = penWidth;
    options.lineweights = lineweights;
    return options;
}

DrawView WholeDrawingView(const Drawing& drawing, int pixW, int pixH,
                          std::optional<std::int16_t> space) {
    ViewState view;
    view.Space = space ? *space : OpeningSpace(drawing);
    FitViewToExtents(view, drawing);
    return DrawViewOf(view, view.ViewCenter, pixW, pixH);
}

std::int16_t OpeningSpace(const Drawing& drawing, bool alwaysModel) {
    if (alwaysModel) return 0;
    const int layout = SavedLayout(drawing);
    return layout < 0 ? 0 : drawing.LayoutAry[static_cast<std::size_t>(layout)].space;
}

bool SpaceOfSheetChoice(const Drawing& drawing, std::string_view choice, std::int16_t& space) {
    if (choice == "saved") {
        space = OpeningSpace(drawing);
        return true;
    }
    if (choice == "model") {
        space = 0;
        return true;
    }
    const int index = LayoutIndexOf(drawing, choice);
    if (index < 0) return false;
    space = drawing.LayoutAry[static_cast<std::size_t>(index)].space;
    return true;
}

} // namespace orvanta

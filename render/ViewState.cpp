#include "render/ViewState.h"

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
    view.DrawWidth = drawing.ExtMax.x - drawing.ExtMin.x;
    view.DrawHeight = drawing.ExtMax.y - drawing.ExtMin.y;
    view.ViewCenter = {(drawing.ExtMax.x + drawing.ExtMin.x) / 2,
                       (drawing.ExtMax.y + drawing.ExtMin.y) / 2, 0};
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
            pixW,   pixH,           view.ZoomRate};
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

DrawView WholeDrawingView(const Drawing& drawing, int pixW, int pixH) {
    ViewState view;
    FitViewToExtents(view, drawing);
    return DrawViewOf(view, view.ViewCenter, pixW, pixH);
}

} // namespace orvanta

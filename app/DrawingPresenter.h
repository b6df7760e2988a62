// The presenter that puts the loaded drawing on the detail picture: it fits the view to a freshly
// loaded drawing and renders it, and answers everything the user does to the
// picture and the right-hand panel: zoom gestures, panning, the wheel, Shift-click measuring,
// the cross-hair, the layer and text lists, the view selector and the colour mode.
//
// Every picture is rendered off-screen into a 32-bit image and shown in one step. The cross-hair,
// the rubber band, the pick highlight and the text marker are drawn onto the shown picture with
// self-inverting raster operations, so that drawing them again removes them without a render.
#pragma once

#include "app/DetailView.h"
#include "app/Dialogs.h"
#include "browse/DrawingGrid.h"
#include "render/ViewState.h"
#include "render/qt/BandedDraw.h"
#include "render/qt/QtCanvas.h"

#include <QImage>
#include <QObject>
#include <QPoint>

#include <optional>
#include <string>
#include <vector>

namespace orvanta {

class DrawingPresenter : public DetailPresenter {
  public:
    DrawingPresenter() = default;

    void drawingWillLoad() override;
    void drawingLoaded() override;
    void viewSelected(int index, const std::string& name) override;
    void layerChecksChanged(const LayerChecks& checks) override;
    void layerClicked(const LayerChecks& checks, const std::string& layer, bool blink) override;
    void textChosen(std::size_t textIndex) override;
    void spaceSelected(std::int16_t space) override;
    void colorModeChanged() override;
    void picturesDecoded() override;
    void viewResized() override;
    void clearCrossHair() override;
    void mousePressed(QMouseEvent& event) override;
    void mouseMoved(QMouseEvent& event) override;
    void mouseReleased(QMouseEvent& event) override;
    bool wheelTurned(QPoint pixel, int steps) override;

    // The view shown and the state of the gestures.
    const DetailViewState& viewState() const override { return view_; }
    bool drawingShown() const override { return drawable_ && hasView(); }
    const ViewState* currentView() const override { return &view_; }
    // The pause between the pictures of a layer's blink, 100 ms unless a test shortens it.
    void setBlinkPause(int milliseconds) { blinkPauseMs_ = milliseconds; }
    // Whether the picture shown is a stand-in (the last one scaled) for a picture to be drawn
    // as soon as the events waiting have been handled.
    bool renderPending() const { return renderPending_; }

  private:
    enum class Press { None, Pick, Gesture };

    Drawing& drawing() { return host_->drawing(); }
    QImage& picture() { return host_->detailView().picture(); }
    // Whether the view has any extent; before a drawing is shown it has none.
    bool hasView() const { return view_.DrawWidth != 0 || view_.DrawHeight != 0; }
    double unitsPerPixel(const QImage& image) const;
    // The world point under a pixel of the picture as it is shown.
    TAcadPoint worldAt(QPoint pixel);

    // Draws the loaded drawing onto a w x h canvas around `center` at the current scale, as
    // DrawDxf does, and returns what DrawDxf returns. Zoomed in, it draws only the records near
    // the view that the grid finds; showing all of the drawing, it skips the
    // visibility tests, which every record passes.
    int drawModel(Canvas& canvas, QSize size, const TAcadPoint& center, const std::string& layer,
                  int penWidth, Clipping clipping, Detail detail);
    // The model's records near each viewport of the sheet shown, by viewport.
    std::vector<std::optional<RecordIndices>> viewportRecords_;
    // The options drawModel draws with (choosing the records near the view), or none while no
    // drawing can be drawn.
    std::optional<DrawOptions> drawOptions(QSize size, const TAcadPoint& center,
                                           const std::string& layer, int penWidth,
                                           Clipping clipping, Detail detail);
    // Clears `image` and draws the drawing onto all of it, in bands on every core.
    void drawPicture(QImage& image, const TAcadPoint& center, Clipping clipping, Detail detail);
    // A new picture of the detail view's size: black, with the drawing on it (when one is
    // loaded) around `center` at the current scale.
    QImage render(const TAcadPoint& center, Clipping clipping, Detail detail);
    // Replaces the picture; nothing drawn on the old one is on it.
    void show(QImage image);
    void rerender(Clipping clipping = Clipping::ToView);
    // Renders and shows the current view once the events waiting have been handled.
    void rerenderSoon();
    // Clears the shown picture and draws the drawing onto it again, without a new image.
    void redrawInPlace();
    // Forgets the overlays when the picture is no longer the one they were drawn on.
    void checkOverlays();
    void overlaysDrawn();
    // Drops the grid (stopping its build) and the records near the view: the model is about to
    // change or go.
    void forgetIndex();
    // Drops the kept picture of the whole drawing: what it shows has changed.
    void forgetWholePicture();

    void drawCrossHair(QPoint at);
    void drawRubberBand(QPoint from, QPoint to);
    void invertPickedEntity();
    void pick(QPoint pixel);
    void finishGesture(QPoint pixel);
    void finishPick();
    void applyLayerChecks(const LayerChecks& checks);
    bool blink(const std::string& layer);

    DetailViewState view_;
    TextShapeCache shapes_;
    // The picture of the whole drawing (the view fitted to its extents) as last drawn, and the
    // view, colour mode and lineweight display it was drawn for: a return to that view shows it
    // again without a redraw. Empty when anything it shows may have changed.
    QImage wholePicture_;
    DrawView wholeView_;
    ColorModeValue wholeColorMode_ = ColorModeColor;
    bool wholeLineweights_ = false;
    // Built beside the first picture of a drawing, on a thread of its own.
    GridBuild grid_;
    // The context of the presenter's timers, which go with it.
    QObject timers_;
    // The records near the last zoomed-in view, the window they were chosen for and the scale
    // (the same records serve every finer view inside that window).
    RecordIndices nearby_;
    bool nearbyValid_ = false;
    WorldRect nearbyWindow_;
    double nearbyUnits_ = 0;
    // A wheel step's stand-in is shown; the picture of the current view is still to be drawn.
    bool renderPending_ = false;
    // False while the model holds a drawing that is being read or failed to load.
    bool drawable_ = true;
    // What the current press started, and with which button; its release finishes it.
    Press press_ = Press::None;
    Qt::MouseButton pressButton_ = Qt::NoButton;
    // The overlays on the shown picture, and the picture they were drawn on.
    bool rubberBandShown_ = false;
    bool highlightShown_ = false;
    qint64 overlayKey_ = 0;
    int blinkPauseMs_ = 100;
};

// Shows once, through the dialogs, why drawing texts cannot work (the text face is missing).
// Returns whether there was something to show.
bool ReportTextFaceProblem(Dialogs& dialogs, const std::string& face = DefaultTextFace);

} // namespace orvanta

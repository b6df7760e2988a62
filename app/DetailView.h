// The picture of the detail tab, and the seam through which the drawing gets onto it.
//
// The window owns the loaded Drawing (read, normalised and with its pens resolved by the load
// routine), the side panels and the status bar; turning the drawing into a picture (view fitting,
// rendering) and answering the user's gestures on the picture belong to a DetailPresenter. The
// base class keeps the picture black and ignores the gestures: tests that watch only the window
// use it, the program uses DrawingPresenter.
#pragma once

#include "browse/DetailGestures.h"
#include "model/AcadDxfUnit.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QMouseEvent;

namespace orvanta {

struct ViewState;

class DetailPresenter;

// The picture: a bitmap the size of the widget, black until a drawing is rendered, with a cross
// cursor. Mouse events on it go to the presenter.
class DetailView : public QWidget {
    Q_OBJECT
  public:
    explicit DetailView(QWidget* parent = nullptr);

    void setPresenter(DetailPresenter* presenter) { presenter_ = presenter; }
    // Runs each mouse gesture's handling; the window passes its guard, which ends a failing
    // action with a message instead of letting the failure out of the event loop.
    void setActionRunner(std::function<void(const std::function<void()>&)> runner) {
        runner_ = std::move(runner);
    }

    // The bitmap shown. A presenter may draw on it directly and then call update().
    QImage& picture() { return picture_; }
    void setPicture(QImage picture);
    // Fills the picture black at the widget's current size.
    void clearCanvas();

  signals:
    void resized();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void run(const std::function<void()>& action);

    QImage picture_;
    DetailPresenter* presenter_ = nullptr;
    std::function<void(const std::function<void()>&)> runner_;
};

// The panels of the status bar.
enum class StatusPanel {
    Progress = 0, // progress and measurement texts
    ViewSize = 1, // the visible window size
    Mouse = 2,    // the mouse position
    Elapsed = 3,  // elapsed seconds
    Encoding = 4, // the encoding the drawing's texts were read in, and why
    Search = 5,   // how far the folder's search index is
};

// What the presenter may use of the window.
class DetailHost {
  public:
    virtual ~DetailHost() = default;
    virtual Drawing& drawing() = 0;
    virtual DetailView& detailView() = 0;
    virtual void setStatusText(StatusPanel panel, const QString& text) = 0;
    // Colour or monochrome (the check mark of "モノクロ表示").
    virtual ColorModeValue colorMode() const = 0;
    // Whether lines are drawn with their lineweights (the check mark of "線の太さを表示").
    virtual bool lineweightsShown() const { return false; }
    // Whether drawings open in their model whatever layout they were saved showing (the check
    // mark of "常にモデルで開く").
    virtual bool alwaysModel() const { return false; }
    virtual bool detailTabShowing() const = 0;
};

// Layer names with their check marks, in the order of the layer check-list.
using LayerChecks = std::vector<std::pair<std::string, bool>>;

class DetailPresenter {
  public:
    virtual ~DetailPresenter() = default;

    void attach(DetailHost* host) { host_ = host; }

    // The model is about to be replaced, or to go with the window; until drawingLoaded() it
    // holds nothing that can be drawn (a load that fails leaves it empty). Nothing may read it
    // after this returns.
    virtual void drawingWillLoad() {}
    // A drawing has just been loaded (normalised, its pens resolved) and the side panels filled
    // from it: fit the view to its extents and render the whole drawing into the picture.
    // Throws on failure; the window then shows the load error box.
    virtual void drawingLoaded();
    // A raster image the picture showed as its frame while it was decoded is ready.
    virtual void picturesDecoded() {}
    // The view selector changed: entry 0 shows the whole drawing, any other the named view.
    virtual void viewSelected(int index, const std::string& name) {}
    // A layer's check mark was toggled: apply all of them and redraw.
    virtual void layerChecksChanged(const LayerChecks& checks) {}
    // A layer name was clicked: apply the check marks; blink the layer when `blink` is set.
    virtual void layerClicked(const LayerChecks& checks, const std::string& layer, bool blink) {}
    // A text of the text list was clicked: centre the view on TextAry[textIndex].
    virtual void textChosen(std::size_t textIndex) {}
    // A layout tab was chosen: 0 the model, a layout's space its sheet.
    virtual void spaceSelected(std::int16_t space) {}
    // "モノクロ表示" or "線の太さを表示" was toggled while the detail tab shows.
    virtual void colorModeChanged() {}
    // The picture changed size while the detail tab shows.
    virtual void viewResized();
    // Something is about to replace the picture: a cross-hair drawn on it is gone.
    virtual void clearCrossHair() {}

    virtual void mousePressed(QMouseEvent& event) {}
    virtual void mouseMoved(QMouseEvent& event) {}
    virtual void mouseReleased(QMouseEvent& event) {}
    // A wheel step over the window, `pixel` in picture coordinates, `steps` positive away from
    // the user. Returns true when the event was used.
    virtual bool wheelTurned(QPoint pixel, int steps) { return false; }
    // The part of the drawing the picture shows, or nullptr when the presenter keeps none (the
    // whole drawing is then meant).
    virtual const ViewState* currentView() const { return nullptr; }

    // Whether the picture shows a loaded drawing, and the view it shows; image export draws
    // the same view.
    virtual bool drawingShown() const { return false; }
    virtual const DetailViewState& viewState() const {
        static const DetailViewState none;
        return none;
    }

  protected:
    DetailHost* host_ = nullptr;
};

} // namespace orvanta

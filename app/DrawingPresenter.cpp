#include "app/DrawingPresenter.h"

#include "browse/DetailGestures.h"
#include "geometry/Primitives.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/DrawOther.h"
#include "render/LayerState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cmath>
#include <new>

namespace orvanta {

namespace {

// A text the window shows, in the window's language: the Japanese source text, or its
// translation (app/translations) when the window speaks another language.
QString Tr(const char* text) {
    return QCoreApplication::translate("DrawingPresenter", text);
}

constexpr int HighlightWidth = 7;
constexpr int BlinkWidth = 5;
constexpr int BlinkRounds = 3;
constexpr QRgb CrossHairColour = 0x008000; // green 128
constexpr int MarkerWidth = 2;
constexpr int RubberBandWidth = 3;

// Sets a flag for the length of a scope, also when the scope is left by an exception.
class BusyFlag {
  public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

  private:
    bool& flag_;
};

// The canvas the pick highlight is drawn through. A circle or arc smaller than a pixel comes out
// as a single pixel, which a canvas sets in its colour whatever the pen mode; the highlight draws
// it as a dot of its own pen instead, so that it shows and drawing it again removes it.
class HighlightCanvas : public ForwardingCanvas {
  public:
    HighlightCanvas(Canvas& target, int width) : ForwardingCanvas(target), width_(width) {}

    void setPixel(int x, int y, TColor colour) override {
        if (target().penMode() == PenMode::Copy) {
            target().setPixel(x, y, colour);
            return;
        }
        target().setPen(colour, width_, PenSolid);
        target().moveTo(x, y);
        target().lineTo(x, y);
    }

  private:
    int width_;
};

// Zoomed in, the records near the view are listed for the renderer when they are at most this
// share of the drawing; above it the choice costs more than the tests it saves.
constexpr double MaxNearbyShare = 0.25;
// Records chosen for a window this many times the area of the view are chosen again.
constexpr double NearbyReuseRatio = 8;

bool Encloses(const WorldRect& outer, const TAcadPoint& lowerLeft, const TAcadPoint& upperRight) {
    return outer.lowerLeft.x <= lowerLeft.x && outer.lowerLeft.y <= lowerLeft.y &&
           outer.upperRight.x >= upperRight.x && outer.upperRight.y >= upperRight.y;
}

double Area(const WorldRect& window) {
    return (window.upperRight.x - window.lowerLeft.x) * (window.upperRight.y - window.lowerLeft.y);
}

WorldRect Widened(const WorldRect& window, double by) {
    return {{window.lowerLeft.x - by, window.lowerLeft.y - by, 0},
            {window.upperRight.x + by, window.upperRight.y + by, 0}};
}

// Whether two views draw the same picture. A return to a view by wheel steps (halving and
// doubling the extent, exact in binary) can leave the centre a rounding error away from where
// it was; a millionth of a pixel could move a pixel only at an exact tie of its rounding.
bool SameView(const DrawView& a, const DrawView& b) {
    if (a.space != b.space || a.drawW != b.drawW || a.drawH != b.drawH || a.zoom != b.zoom ||
        !(a.origin == b.origin) || a.pixW != b.pixW || a.pixH != b.pixH)
        return false;
    const double u = std::fabs(UnitsPerPixel(a.drawW, a.drawH, a.pixW, a.pixH, a.zoom));
    const double tolerance = 1e-6 * u;
    return std::isfinite(u) && std::fabs(a.center.x - b.center.x) <= tolerance &&
           std::fabs(a.center.y - b.center.y) <= tolerance;
}

TPoint ToTPoint(QPoint p) {
    return {p.x(), p.y()};
}

QPoint ToQPoint(TPoint p) {
    return {p.x, p.y};
}

// Inverts the pixels of the row above and the column left of `at` by xor with `colour`, each
// pixel once, so that doing it again restores them.
void XorCrossHair(QImage& image, QPoint at, QRgb colour) {
    const int w = image.width();
    const int h = image.height();
    const int row = at.y() - 1;
    const int column = at.x() - 1;
    const quint32 bits = colour & 0x00FFFFFF;
    if (row >= 0 && row < h) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(row));
        for (int x = 0; x < w; ++x)
            line[x] ^= bits;
    }
    if (column >= 0 && column < w) {
        for (int y = 0; y < h; ++y)
            if (y != row) reinterpret_cast<quint32*>(image.scanLine(y))[column] ^= bits;
    }
}

// `image` as a view `scale` times as large about `pixel` shows it, black where it shows
// nothing: a stand-in drawn in a few milliseconds while the picture of the new view is drawn.
QImage ScaledAbout(const QImage& image, QPoint pixel, double scale) {
    QImage scaled(image.size(), QImage::Format_RGB32);
    scaled.fill(Qt::black);
    QPainter painter(&scaled);
    painter.translate(pixel);
    painter.scale(scale, scale);
    painter.translate(-pixel);
    painter.drawImage(0, 0, image);
    return scaled;
}

// The arrow that marks a chosen text at the centre of a w x h picture, pointing at the centre
// from the lower left.
void InvertTextMarker(QImage& image) {
    const int cx = image.width() / 2;
    const int cy = image.height() / 2;
    const int h8 = image.height() / 8;
    const int h16 = h8 / 2;
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    QPen pen(Qt::black, MarkerWidth, Qt::SolidLine);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QPoint points[] = {{cx, cy}, {cx - h8, cy + h16}, {cx - h16, cy + h8}};
    painter.drawPolygon(points, 3);
}

} // namespace

bool ReportTextFaceProblem(Dialogs& dialogs, const std::string& face) {
    const std::string problem = TextFaceProblem(face);
    if (problem.empty()) return false;
    dialogs.message(QString::fromStdString(problem), QStringLiteral("Orvanta2017"),
                    Dialogs::Icon::Warning);
    return true;
}

double DrawingPresenter::unitsPerPixel(const QImage& image) const {
    return UnitsPerPixel(view_.DrawWidth, view_.DrawHeight, image.width(), image.height(),
                         view_.ZoomRate);
}

TAcadPoint DrawingPresenter::worldAt(QPoint pixel) {
    const QImage& image = picture();
    return ScreenToWorld(view_.ViewCenter, ToTPoint(pixel), image.width(), image.height(),
                         view_.DrawWidth, view_.DrawHeight, view_.ZoomRate);
}

std::optional<DrawOptions> DrawingPresenter::drawOptions(QSize size, const TAcadPoint& center,
                                                         const std::string& layer, int penWidth,
                                                         Clipping clipping, Detail detail) {
    if (!drawable_) return std::nullopt;
    Drawing& d = drawing();
    const int w = size.width();
    const int h = size.height();
    const double u = UnitsPerPixel(view_.DrawWidth, view_.DrawHeight, w, h, view_.ZoomRate);
    DrawOptions options =
        ViewDrawOptions(view_, center, w, h, {host_->lineweightsShown()}, penWidth);
    const int widestPen = WidestPen(penWidth, options.lineweights);
    const RecordIndices* records = nullptr;
    // The grid holds the model's records; a sheet is drawn from its tables.
    if (clipping == Clipping::ToView && view_.Space == 0 && std::isfinite(u) && u > 0) {
        const WorldRect window = ViewWindow(center, w, h, u);
        if (Encloses(window, d.ExtMin, d.ExtMax)) {
            clipping = Clipping::WholeExtent;
        } else {
            // What the renderer looks at: the window and the reach of its widest pen.
            const WorldRect needed = Widened(window, (widestPen / 2.0 + 2) * u);
            // The records chosen before serve while the view lies inside their window and is
            // not much smaller than it: zoomed in further, fewer records are worth a new choice.
            if (!(nearbyValid_ && u <= nearbyUnits_ &&
                  Encloses(nearbyWindow_, needed.lowerLeft, needed.upperRight) &&
                  Area(needed) * NearbyReuseRatio >= Area(nearbyWindow_))) {
                // Chosen for a window half as wide and high again, so that a pan nearby finds
                // its records already there.
                const WorldRect wide = Widened(needed, std::min(w, h) * u / 4);
                nearbyValid_ = false;
                // Until the grid is built, and without the list (out of memory), the whole
                // model is drawn: the same picture, only slower.
                try {
                    if (DrawingGrid* grid = grid_.ready())
                        nearbyValid_ = grid->select(d, wide, u, MaxNearbyShare, nearby_);
                } catch (const std::bad_alloc&) {
                    forgetIndex();
                }
                nearbyWindow_ = wide;
                nearbyUnits_ = u;
            }
            if (nearbyValid_) records = &nearby_;
        }
    }
    options.clipping = clipping;
    options.detail = detail;
    options.onlyLayer = layer;
    options.records = records;
    if (view_.Space != 0) {
        // Each viewport draws the records the grid finds near its window, not the whole model;
        // until the grid is built, the whole model.
        viewportRecords_.assign(d.ViewportAry.size(), std::nullopt);
        DrawingGrid* grid = grid_.ready();
        try {
            for (std::size_t i = 0; grid != nullptr && i < d.ViewportAry.size(); ++i) {
                if (d.ViewportAry[i].space != view_.Space) continue;
                const std::optional<DrawView> model = ViewportView(d.ViewportAry[i], options.view);
                if (!model) continue;
                const double mu =
                    UnitsPerPixel(model->drawW, model->drawH, model->pixW, model->pixH, 1);
                RecordIndices found;
                if (grid->select(d, ViewWindow(model->center, model->pixW, model->pixH, mu), mu,
                                 MaxNearbyShare, found))
                    viewportRecords_[i] = std::move(found);
            }
            options.viewportRecords = &viewportRecords_;
        } catch (const std::bad_alloc&) {
            viewportRecords_.clear();
            forgetIndex();
        }
    }
    return options;
}

int DrawingPresenter::drawModel(Canvas& canvas, QSize size, const TAcadPoint& center,
                                const std::string& layer, int penWidth, Clipping clipping,
                                Detail detail) {
    const std::optional<DrawOptions> options =
        drawOptions(size, center, layer, penWidth, clipping, detail);
    return options ? DrawDxf(drawing(), *options, canvas) : 0;
}

void DrawingPresenter::drawPicture(QImage& image, const TAcadPoint& center, Clipping clipping,
                                   Detail detail) {
    image.fill(QColor(Qt::black));
    std::optional<DrawOptions> options =
        drawOptions(image.size(), center, std::string(), 1, clipping, detail);
    if (!options) return;
    // A large raster image is decoded while the window shows its frame (picturesDecoded).
    options->waitForPictures = false;
    DrawDxfBanded(drawing(), *options, image, shapes_);
}

void DrawingPresenter::picturesDecoded() {
    wholePicture_ = QImage();
    if (drawable_) rerender();
}

QImage DrawingPresenter::render(const TAcadPoint& center, Clipping clipping, Detail detail) {
    const QSize size = host_->detailView().size().expandedTo(QSize(1, 1));
    view_.ViewColorMode = host_->colorMode();
    const DrawView requested = DrawViewOf(view_, center, size.width(), size.height());
    const bool whole =
        detail == Detail::Full && drawable_ &&
        SameView(requested, WholeDrawingView(drawing(), size.width(), size.height(), view_.Space));
    const bool lineweights = host_->lineweightsShown();
    if (whole && !wholePicture_.isNull() && wholeColorMode_ == view_.ViewColorMode &&
        wholeLineweights_ == lineweights && SameView(requested, wholeView_))
        return wholePicture_;
    QImage image(size, QImage::Format_RGB32);
    drawPicture(image, center, clipping, detail);
    if (whole) {
        wholePicture_ = image;
        wholeView_ = requested;
        wholeColorMode_ = view_.ViewColorMode;
        wholeLineweights_ = lineweights;
    }
    return image;
}

void DrawingPresenter::show(QImage image) {
    host_->detailView().setPicture(std::move(image));
    view_.CrossHairShown = false;
    rubberBandShown_ = false;
    highlightShown_ = false;
    overlaysDrawn();
}

void DrawingPresenter::rerender(Clipping clipping) {
    renderPending_ = false;
    show(render(view_.ViewCenter, clipping, Detail::Full));
}

void DrawingPresenter::rerenderSoon() {
    if (renderPending_) return;
    renderPending_ = true;
    // Neither the presenter (the timer's context) nor the window may have gone meanwhile.
    QTimer::singleShot(0, &timers_, [this, view = QPointer<DetailView>(&host_->detailView())] {
        if (!view || !renderPending_) return;
        BusyFlag busy(view_.WheelRedrawBusy);
        rerender();
    });
}

void DrawingPresenter::redrawInPlace() {
    QImage& image = picture();
    if (image.isNull()) {
        rerender();
        return;
    }
    renderPending_ = false;
    view_.ViewColorMode = host_->colorMode();
    drawPicture(image, view_.ViewCenter, Clipping::ToView, Detail::Full);
    view_.CrossHairShown = false;
    rubberBandShown_ = false;
    highlightShown_ = false;
    overlaysDrawn();
    host_->detailView().update();
}

void DrawingPresenter::checkOverlays() {
    // Another hand (the window clearing the picture after a failed load) replaced the picture:
    // what was drawn on the old one is not on it.
    if (picture().cacheKey() == overlayKey_) return;
    view_.CrossHairShown = false;
    rubberBandShown_ = false;
    highlightShown_ = false;
    overlayKey_ = picture().cacheKey();
}

void DrawingPresenter::overlaysDrawn() {
    overlayKey_ = picture().cacheKey();
}

void DrawingPresenter::forgetWholePicture() {
    wholePicture_ = QImage();
}

void DrawingPresenter::forgetIndex() {
    forgetWholePicture();
    grid_.cancel();
    nearby_ = RecordIndices();
    nearbyValid_ = false;
}

void DrawingPresenter::drawingWillLoad() {
    drawable_ = false;
    forgetIndex();
}

void DrawingPresenter::drawingLoaded() {
    forgetIndex();
    drawable_ = true;

    // Picks and measurements belong to the drawing they were made on.
    ClearPicks(view_);
    view_.PrevPickedLine = {};
    view_.ZoomBoxDragging = false;
    view_.PanDragging = false;
    press_ = Press::None;
    view_.Space = OpeningSpace(drawing(), host_->alwaysModel());
    FitViewToExtents(view_, drawing());
    rerender(Clipping::WholeExtent);
    // The grid is built beside the picture shown; forgetIndex() stops the build before the
    // model changes or goes.
    grid_.start(drawing());
}

void DrawingPresenter::spaceSelected(std::int16_t space) {
    if (!drawable_ || space == view_.Space) return;
    ClearPicks(view_);
    view_.Space = space;
    SavePreviousView(view_);
    FitViewToExtents(view_, drawing());
    rerender(Clipping::WholeExtent);
}

void DrawingPresenter::viewSelected(int index, const std::string& name) {
    SavePreviousView(view_);
    bool named = false;
    // Entry 0 is the whole drawing whatever it is called.
    if (index >= 1)
        named = ShowNamedView(view_, drawing(), name);
    else
        FitViewToExtents(view_, drawing());
    rerender(named ? Clipping::ToView : Clipping::WholeExtent);
}

void DrawingPresenter::applyLayerChecks(const LayerChecks& checks) {
    forgetWholePicture();
    for (const auto& [name, checked] : checks)
        SetLayerVisible(drawing(), name, checked);
}

void DrawingPresenter::layerChecksChanged(const LayerChecks& checks) {
    applyLayerChecks(checks);
    redrawInPlace();
}

void DrawingPresenter::layerClicked(const LayerChecks& checks, const std::string& layer,
                                    bool blinkChecked) {
    clearCrossHair();
    applyLayerChecks(checks);
    if (!blinkChecked || layer.empty() || !drawable_) return;
    if (blink(layer)) redrawInPlace();
}

bool DrawingPresenter::blink(const std::string& layer) {
    checkOverlays();
    DetailView& detail = host_->detailView();
    QImage& image = picture();
    if (image.isNull()) return false;
    view_.ViewColorMode = host_->colorMode();
    const auto invertLayer = [&] {
        QPainter painter(&image);
        QtCanvas canvas(painter, DefaultTextFace, &shapes_);
        canvas.setPenMode(PenMode::Not);
        // Only the layer's records near the view: the others cannot show.
        const int drawn = drawModel(canvas, image.size(), view_.ViewCenter, layer, BlinkWidth,
                                    Clipping::ToView, Detail::Full);
        canvas.setPenMode(PenMode::Copy);
        canvas.flush();
        return drawn;
    };
    for (int round = 0; round < BlinkRounds; ++round) {
        if (invertLayer() == 0) return round > 0;
        detail.repaint();
        QThread::msleep(static_cast<unsigned long>(blinkPauseMs_));
        invertLayer();
        detail.repaint();
        if (round + 1 < BlinkRounds) QThread::msleep(static_cast<unsigned long>(blinkPauseMs_));
    }
    return true;
}

void DrawingPresenter::textChosen(std::size_t textIndex) {
    clearCrossHair();
    const Drawing& d = drawing();
    if (textIndex >= d.TextAry.size()) return;
    view_.ViewCenter = TextViewCenter(d.TextAry[textIndex]);
    QImage image = render(view_.ViewCenter, Clipping::ToView, Detail::Full);
    InvertTextMarker(image);
    show(std::move(image));
}

void DrawingPresenter::colorModeChanged() {
    forgetWholePicture();
    rerender();
}

void DrawingPresenter::viewResized() {
    forgetWholePicture();
    rerender();
}

void DrawingPresenter::clearCrossHair() {
    checkOverlays();
    // The cross-hair is taken off the picture as well, so that a picture that is not replaced
    // afterwards keeps no stray lines.
    if (view_.CrossHairShown) {
        drawCrossHair(ToQPoint(view_.CrossHairPos));
        overlaysDrawn();
    }
    view_.CrossHairShown = false;
}

void DrawingPresenter::drawCrossHair(QPoint at) {
    QImage& image = picture();
    XorCrossHair(image, at, CrossHairColour);
    // Only the row and the column need painting again.
    DetailView& view = host_->detailView();
    view.update(QRect(0, at.y() - 1, image.width(), 1));
    view.update(QRect(at.x() - 1, 0, 1, image.height()));
}

void DrawingPresenter::drawRubberBand(QPoint from, QPoint to) {
    QPainter painter(&picture());
    painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    QPen pen(Qt::black, RubberBandWidth, Qt::DashDotDotLine);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(from, to).normalized());
}

void DrawingPresenter::invertPickedEntity() {
    QImage& image = picture();
    if (image.isNull()) return;
    const Drawing& d = drawing();
    const TPoint origin = ViewOriginOf(image.width(), image.height());
    const double u = unitsPerPixel(image);
    const TAcadPoint& c = view_.ViewCenter;
    QPainter painter(&image);
    QtCanvas qtCanvas(painter, DefaultTextFace, &shapes_);
    HighlightCanvas canvas(qtCanvas, HighlightWidth);
    canvas.setPenMode(PenMode::Not);
    if (view_.PickedLineIndex >= 0 &&
        static_cast<std::size_t>(view_.PickedLineIndex) < d.LineAry.size()) {
        const TAcadLineBlk& line = d.LineAry[static_cast<std::size_t>(view_.PickedLineIndex)];
        DrawDxfLine(canvas, origin, PointDiff(line.st, c), u, PointDiff(line.ed, c), ColorBlack,
                    HighlightWidth, PenSolid);
    } else if (view_.PickedCircleIndex >= 0 &&
               static_cast<std::size_t>(view_.PickedCircleIndex) < d.CircleAry.size()) {
        const TCircleBlk& circle = d.CircleAry[static_cast<std::size_t>(view_.PickedCircleIndex)];
        DrawDxfArc(canvas, origin, PointDiff(circle.center, c), u, circle.hankei, 0, 0, ColorBlack,
                   HighlightWidth, PenSolid);
    } else if (view_.PickedArcIndex >= 0 &&
               static_cast<std::size_t>(view_.PickedArcIndex) < d.ArcAry.size()) {
        const TArcBlk& arc = d.ArcAry[static_cast<std::size_t>(view_.PickedArcIndex)];
        DrawDxfArc(canvas, origin, PointDiff(arc.center, c), u, arc.hankei, arc.st * DegToRad,
                   arc.ed * DegToRad, ColorBlack, HighlightWidth, PenSolid);
    }
    canvas.setPenMode(PenMode::Copy);
    canvas.flush();
}

void DrawingPresenter::pick(QPoint pixel) {
    if (!drawable_ || !hasView()) return;
    const PickResult found = PickNearest(drawing(), worldAt(pixel), view_.Space);
    StorePick(view_, found);
    if (found.kind == PickResult::Kind::None) return;
    invertPickedEntity();
    highlightShown_ = true;
    overlaysDrawn();
    host_->detailView().update();
    if (found.kind == PickResult::Kind::Circle)
        host_->setStatusText(
            StatusPanel::Progress,
            Tr("円半径 = ") +
                QString::asprintf(
                    "%.3f", drawing().CircleAry[static_cast<std::size_t>(found.index)].hankei));
    else if (found.kind == PickResult::Kind::Arc)
        host_->setStatusText(
            StatusPanel::Progress,
            Tr("円弧半径 = ") +
                QString::asprintf("%.3f",
                                  drawing().ArcAry[static_cast<std::size_t>(found.index)].hankei));
}

void DrawingPresenter::mousePressed(QMouseEvent& event) {
    const Qt::MouseButton button = event.button();
    if (button != Qt::LeftButton && button != Qt::RightButton && button != Qt::MiddleButton) return;
    // Another button pressed during a gesture belongs to that gesture.
    if (press_ != Press::None && (event.buttons() & pressButton_)) return;
    checkOverlays();
    const QPoint pixel = event.position().toPoint();
    ClearPicks(view_);
    pressButton_ = button;
    if (event.modifiers() & Qt::ShiftModifier) {
        press_ = Press::Pick;
        pick(pixel);
        return;
    }
    press_ = Press::Gesture;
    view_.DragStartPoint = view_.DragLastPoint = ToTPoint(pixel);
    view_.PanDragging = button == Qt::MiddleButton;
    view_.ZoomBoxDragging = !view_.PanDragging;
    if (view_.ZoomBoxDragging) {
        drawRubberBand(pixel, pixel);
        rubberBandShown_ = true;
        overlaysDrawn();
        host_->detailView().update();
    }
}

void DrawingPresenter::mouseMoved(QMouseEvent& event) {
    checkOverlays();
    const QPoint pixel = event.position().toPoint();
    if (view_.CrossHairShown) drawCrossHair(ToQPoint(view_.CrossHairPos));
    drawCrossHair(pixel);
    view_.CrossHairPos = ToTPoint(pixel);
    view_.CrossHairShown = true;
    overlaysDrawn();

    if ((event.modifiers() & Qt::ShiftModifier) || !hasView()) return;
    const QImage& image = picture();
    const double u = unitsPerPixel(image);
    const TAcadPoint under = worldAt(pixel);
    host_->setStatusText(
        StatusPanel::ViewSize,
        QString::asprintf("W= %.2f , H= %.2f", image.width() * u, image.height() * u));
    host_->setStatusText(StatusPanel::Mouse,
                         QString::asprintf("X= %.2f , Y= %.2f", under.x, under.y));

    const QPoint last = ToQPoint(view_.DragLastPoint);
    const bool movedBoth = pixel.x() != last.x() && pixel.y() != last.y();
    if (view_.ZoomBoxDragging) {
        if (!movedBoth) return;
        const QPoint start = ToQPoint(view_.DragStartPoint);
        if (rubberBandShown_) drawRubberBand(start, last);
        drawRubberBand(start, pixel);
        rubberBandShown_ = true;
        overlaysDrawn();
        view_.DragLastPoint = ToTPoint(pixel);
        host_->detailView().update();
    } else if (view_.PanDragging && movedBoth && !view_.PanRedrawBusy) {
        BusyFlag busy(view_.PanRedrawBusy);
        // The point under the press follows the mouse; the view itself changes on release.
        const TAcadPoint from = worldAt(last);
        TAcadPoint center = view_.ViewCenter;
        center.x += from.x - under.x;
        center.y += from.y - under.y;
        show(render(center, Clipping::ToView, Detail::Rough));
    }
}

void DrawingPresenter::mouseReleased(QMouseEvent& event) {
    if (press_ == Press::None || event.button() != pressButton_) return;
    checkOverlays();
    const Press press = press_;
    press_ = Press::None;
    // What the press started decides, whether or not Shift is still held: a measurement that
    // loses its Shift before the button comes up is still a measurement.
    if (press == Press::Gesture)
        finishGesture(event.position().toPoint());
    else
        finishPick();
}

void DrawingPresenter::finishGesture(QPoint pixel) {
    view_.CrossHairShown = false;
    view_.ZoomBoxDragging = false;
    view_.PanDragging = false;
    QElapsedTimer timer;
    timer.start();
    const TPoint start = view_.DragStartPoint;
    const TAcadPoint a = worldAt(ToQPoint(start));
    const TAcadPoint b = worldAt(pixel);
    Clipping clipping = Clipping::ToView;
    if (pressButton_ == Qt::MiddleButton)
        ApplyPan(view_, a, b);
    else if (ApplyDragGesture(view_, drawing(),
                              ClassifyDrag(pixel.x() - start.x, pixel.y() - start.y), a, b))
        clipping = Clipping::WholeExtent;
    rerender(clipping);
    host_->setStatusText(StatusPanel::Elapsed, QString::asprintf("%.2f", timer.elapsed() / 1000.0));
}

void DrawingPresenter::finishPick() {
    const Drawing& d = drawing();
    const bool wasShown = highlightShown_;
    // The highlight comes off the picture, unless the picture was replaced meanwhile.
    const auto removeHighlight = [&] {
        if (!wasShown) return;
        invertPickedEntity();
        highlightShown_ = false;
        overlaysDrawn();
        host_->detailView().update();
    };
    if (view_.PickedLineIndex >= 0 && view_.PickedCircleIndex < 0 && view_.PickedArcIndex < 0 &&
        static_cast<std::size_t>(view_.PickedLineIndex) < d.LineAry.size()) {
        const TAcadLineBlk line = d.LineAry[static_cast<std::size_t>(view_.PickedLineIndex)];
        QString text = Tr("長さ = ") + QString::asprintf("%.3f", Distance2D(line.st, line.ed));
        removeHighlight();
        double distance = 0;
        if (MutualDistance(line, view_.PrevPickedLine, distance))
            text += Tr(" 相互距離 = ") + QString::asprintf("%.3f", distance);
        view_.PrevPickedLine = line;
        host_->setStatusText(StatusPanel::Progress, text);
    } else if (view_.PickedCircleIndex >= 0 || view_.PickedArcIndex >= 0) {
        removeHighlight();
    }
}

bool DrawingPresenter::wheelTurned(QPoint pixel, int steps) {
    clearCrossHair();
    const QImage& image = picture();
    if (!host_->detailTabShowing() || steps == 0) return false;
    if (pixel.x() < 0 || pixel.y() < 0 || pixel.x() >= image.width() || pixel.y() >= image.height())
        return false;
    const TAcadPoint p = worldAt(pixel);
    // Away from the user zooms in, halving the world extent per step.
    const double factor = std::pow(steps > 0 ? 0.5 : 2.0, std::abs(steps));
    ApplyWheelStep(view_, p, factor);
    // A step that arrives while a render runs only changes the view; the next render shows it.
    if (view_.WheelRedrawBusy) return true;
    // The picture shown, scaled to the new view, shows at once. The new picture is drawn once
    // the steps already waiting have been taken, so that a fast turn draws only its last view.
    show(ScaledAbout(image, pixel, 1 / factor));
    host_->detailView().repaint();
    rerenderSoon();
    return true;
}

} // namespace orvanta

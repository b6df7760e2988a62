// Drawing the normalised model onto a canvas: the detail view, a preview, a printed page or an
// exported picture. By the time it runs the model holds lines, circles, arcs, texts, fills,
// points, curves and splines in world coordinates with their pens resolved; everything about the
// target comes in as the canvas and the view parameters.
#pragma once

#include "geometry/EntityBoxes.h"
#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"
#include "render/Colors.h"
#include "render/ViewTransform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvanta {

// Whether the records are tested against the view before they are drawn.
enum class Clipping {
    ToView,     // only what can show in the view is drawn
    WholeExtent // the view shows the whole extent anyway: skip the tests
};

// How much is drawn.
enum class Detail {
    Full,
    // Fast drawing while panning: only the records of even index of the line, circle and arc
    // tables are considered, and no text is drawn.
    Rough,
};

// Records of the line, circle, arc and text tables by index, each list in table order: the
// records a spatial index found near a view, so that the renderer need not test the others.
struct RecordIndices {
    std::vector<std::uint32_t> lines;
    std::vector<std::uint32_t> circles;
    std::vector<std::uint32_t> arcs;
    std::vector<std::uint32_t> texts;
};

// Rows top <= y < bottom of the picture the view describes; empty is the whole picture.
struct PictureBand {
    int top = 0;
    int bottom = 0;
    bool empty() const { return bottom <= top; }
};

// One of `count` consecutive shares of the model's figures in the order they are drawn: raster
// images and fills, then the lines, circles and arcs, split evenly by their number, then points
// and splines. The first share holds the images and fills, the last the points and splines.
// Pictures of the shares drawn one over the other in their order make the picture of the whole,
// since every record sets its own pixels whatever was drawn before it.
struct FigureShare {
    unsigned index = 0;
    unsigned count = 1;
    bool first() const { return index == 0; }
    bool last() const { return index + 1 >= count; }
};

// Which records are drawn. Texts are drawn last, over everything else, so a picture can be drawn
// as its figures and then its texts.
enum class DrawnParts {
    Everything,
    Figures, // all but the texts
    Texts,
};

struct DrawOptions {
    DrawView view;
    TColor backColor = 0x000000;
    ColorModeValue colorMode = ColorModeColor; // with backColor, the colour rule (DrawnColor)
    int penWidth = 1;                          // pen width in pixels of every line, arc and circle
    Clipping clipping = Clipping::ToView;
    Detail detail = Detail::Full;
    // Empty for ordinary drawing. The name of a layer of the table draws only that layer's
    // records, whatever its visible flag and without the visibility tests (the blink of a
    // layer); a name the table does not have behaves as empty.
    std::string onlyLayer;
    // Off by default: every line, arc and circle is drawn penWidth wide.
    LineweightDisplay lineweights;
    // When set, only these records of the line, circle, arc and text tables are considered, in
    // place of the whole tables (Rough takes every second entry of each list); fills, points,
    // curves and splines are considered as ever. The indices must be valid for the drawing.
    const RecordIndices* records = nullptr;
    // The rows of the picture that are drawn, for a canvas that draws only them: what cannot
    // reach them is skipped. Bands drawn one beside the other make the picture drawn at once.
    PictureBand band;
    // The model's figures this drawing covers; the texts and sheets are not shared out.
    FigureShare share;
    DrawnParts parts = DrawnParts::Everything;
    // When set, true at a layer's index hides that layer's records whatever its visible flag:
    // the layers a viewport freezes.
    const std::vector<bool>* hiddenLayers = nullptr;
    // For a sheet, when set: for each viewport (by its index in ViewportAry) the model's records
    // near the window it shows, or none, in which case its drawing tests every record.
    const std::vector<std::optional<RecordIndices>>* viewportRecords = nullptr;
    // False for a picture on the screen, which must not wait for a large raster image to be
    // decoded: an image not decoded yet is drawn as its frame and decoded meanwhile, and the
    // window draws again once it is (see the canvas's picture cache).
    bool waitForPictures = true;
};

// The plan of the model a viewport shows on a sheet drawn with `sheet`: the model's point at the
// view's centre (given relative to the target, in the view's display coordinates) at the
// window's centre pixel, the view height across the window's height; pixW x pixH is the box of
// the plan that the window shows once ViewportScreenMap maps it. None for a viewport that shows
// nothing, or that sees the model's plane edge on.
std::optional<DrawView> ViewportView(const TViewport& viewport, const DrawView& sheet);

// A linear map of screen offsets: (x, y) becomes (a x + b y, c x + d y).
struct ScreenMap {
    double a = 1, b = 0, c = 0, d = 1;
    bool identity() const;
};

// The map, about the window's centre pixel, that turns the plan ViewportView draws into what the
// viewport shows: the view's twist (counterclockwise), and its view direction when it does not
// look straight down, as a parallel projection of the model's plane.
ScreenMap ViewportScreenMap(const TViewport& viewport);

// Draws the model's fills, lines (but for the chords of curves drawn whole), circles, arcs,
// points, curves, splines and texts, in that order, and returns how many records passed the
// filters (drawn, reduced to a pixel, or a text too small to show). The canvas is flushed at the
// end.
int DrawDxf(const Drawing& drawing, const DrawOptions& options, Canvas& canvas);

// A line from p1 to p2, both relative to the view centre (PointDiff).
void DrawDxfLine(Canvas& canvas, TPoint origin, const TAcadPoint& p1, double unitsPerPixel,
                 const TAcadPoint& p2, TColor colour, int width, TPenStyle style);

// The arc of radius `radius` around c (relative to the view centre) counterclockwise from
// startRad to endRad; equal angles (0 and 0 for a circle, or within 0.01°) draw the whole
// circle. A circle of less than half a pixel is its centre pixel. An arc whose ends fall on one
// pixel is the whole circle when it sweeps more than half a turn, and that one pixel when it is
// shorter.
void DrawDxfArc(Canvas& canvas, TPoint origin, const TAcadPoint& c, double unitsPerPixel,
                double radius, double startRad, double endRad, TColor colour, int width,
                TPenStyle style);

// Whether a record can show in the world rectangle `window` (ViewWindow). They err on the side
// of drawing: a false answer means the record cannot be seen.
bool LineInView(const TAcadLineBlk& line, const WorldRect& window);
bool CircleInView(const TCircleBlk& circle, const WorldRect& window);
bool ArcInView(const TArcBlk& arc, const WorldRect& window);
// A text shows when its first point is inside the window or the square it can be drawn in
// (TextReach) meets it. `unitsPerPixel`, when known, tightens the square.
bool TextInView(const TTextBlk& text, const WorldRect& window, double unitsPerPixel = 0);

// Fills the canvas's w x h pixels with the colour, in pen mode copy.
void ClearCanvas(Canvas& canvas, int w, int h, TColor colour);

} // namespace orvanta

// Pictures of the loaded drawing for other programs: bitmaps (BMP, PNG), metafiles (EMF, WMF)
// and vector files (SVG, PDF), all drawn by the one DrawImage below, and written so that a
// failure never leaves a half-written file behind.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace orvanta {

class TextShapeCache;
struct ViewState;

enum class ImageFormat { Bmp, Png, Emf, Wmf, Svg, Pdf };

// The format a file name's extension (any case) calls for; none for any other.
std::optional<ImageFormat> ImageFormatOf(const QString& path);

// What a picture shows and how.
struct ImageRequest {
    int width = 1;  // pixels
    int height = 1; // pixels
    // The view: this world point at the picture's centre, this world extent fitted into it with
    // the zoom's margin.
    TAcadPoint center;
    double drawWidth = 0;
    double drawHeight = 0;
    double zoom = 0.98;
    // False for the current view, whose records outside the picture are skipped; true for the
    // whole drawing.
    bool noClip = true;
    TColor background = 0x000000;
    // No background: the picture keeps what it starts with (transparent where it can be).
    // The colour rule still uses `background`.
    bool noBackground = false;
    int penWidth = 1;
    int colorMode = 0; // 0 colour, 1 monochrome, 2 inverted colours
    // Lines drawn with their lineweights, as on a screen of 96 dots per inch.
    bool lineweights = false;
};

// The current view of the detail view, or the whole drawing (its extents) at the view's zoom.
ImageRequest ViewRequest(const ViewState& view, int width, int height);
ImageRequest WholeDrawingRequest(const Drawing& drawing, double zoom, int width, int height);

// Clears the canvas (unless there is no background) and draws the drawing as requested;
// returns what DrawDxf returns.
int DrawImage(Drawing& drawing, const ImageRequest& request, Canvas& canvas);

// The picture as a 32-bit bitmap: opaque, or transparent where nothing is drawn when there is
// no background. Null when the memory for it cannot be had.
QImage MakeBitmap(Drawing& drawing, const ImageRequest& request, TextShapeCache* shapes = nullptr);

// The bytes of the picture's file in the format. Throws std::bad_alloc when a bitmap of the
// size cannot be had, std::runtime_error when a writer fails.
QByteArray EncodeImage(Drawing& drawing, const ImageRequest& request, ImageFormat format,
                       TextShapeCache* shapes = nullptr);

// Writes the bytes to a temporary file beside `path` and renames it to `path`, so that a failed
// write (no permission, disk full) leaves any earlier file of that name as it was. Returns an
// empty string on success, otherwise the reason.
QString WriteFileReplacing(const QString& path, const QByteArray& bytes);

} // namespace orvanta

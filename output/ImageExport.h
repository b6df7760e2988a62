// Pictures of the loaded drawing for other programs: bitmaps (BMP, PNG), metafiles (EMF, WMF)
// and vector files (SVG, PDF), all drawn by the one DrawImage below, and written so that a
// failure never leaves a half-written file behind.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"
#include "render/DrawDxf.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace orvanta {

class TextShapeCache;

enum class ImageFormat { Bmp, Png, Emf, Wmf, Svg, Pdf };

// The format a file name's extension (any case) calls for; none for any other.
std::optional<ImageFormat> ImageFormatOf(const QString& path);

// What a picture shows and how: the renderer's options for a picture of width x height pixels.
// The view is placed in the picture when it is drawn, so its own pixel size and origin need not
// be set; its centre, extent and zoom say what shows.
struct ImageRequest {
    int width = 1;  // pixels
    int height = 1; // pixels
    DrawOptions options;
    // No background: the picture keeps what it starts with (transparent where it can be).
    // The colour rule still uses the options' background colour.
    bool noBackground = false;
};

// The part of the drawing `view` shows, at its scale, records outside the picture skipped; or
// the whole drawing (its extents) at `zoom`, without the clipping tests.
ImageRequest ViewRequest(const DrawView& view, int width, int height);
// `space`: the model or the sheet shown (ViewState::Space); without it, what the drawing opens in.
ImageRequest WholeDrawingRequest(const Drawing& drawing, double zoom, int width, int height,
                                 std::optional<std::int16_t> space = std::nullopt);

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

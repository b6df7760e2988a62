// A redraw on every core. The model's figures are shared out by their number, each share drawn
// at once on an image of its own (the first on the picture itself) and the shares laid over
// each other in their order (DrawOptions::share); a sheet's figures, and every picture's texts,
// are cut into horizontal bands, each drawn by DrawDxf on a canvas of its own over the band's
// rows of the one image (DrawOptions::band). Either way every pixel comes out as one pass over
// the whole picture sets it, so the picture is the same.
#pragma once

#include "render/DrawDxf.h"
#include "render/qt/QtCanvas.h"

#include <QImage>
#include <string>

namespace orvanta {

// Draws `drawing` onto `image` as DrawDxf on a QtCanvas over it draws, in pen mode copy: the
// figures in shares or bands on up to `workers` threads (0: one per core), then the texts, which
// lie over everything else, in bands on as many threads, the calling thread's with `shapes`. The
// threads besides the calling one are kept between pictures (KeptThreads.h). The options' view
// must have the image's size; their band, share and parts are the function's to choose. A small
// picture, a single core, or a pen wider than a pixel is drawn in one pass.
void DrawDxfBanded(const Drawing& drawing, const DrawOptions& options, QImage& image,
                   TextShapeCache& shapes, const std::string& face = DefaultTextFace,
                   unsigned workers = 0);

} // namespace orvanta

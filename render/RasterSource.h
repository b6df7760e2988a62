// Raster pictures for canvases that write pixels into files of their own (the metafiles), which
// cannot decode image files themselves: the decoding lives with the toolkit, behind this.
#pragma once

#include "render/Canvas.h"

#include <cstdint>
#include <vector>

namespace orvanta {

// A block of pixels, rows from the top, each pixel 0x00RRGGBB.
struct RasterPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;
};

class RasterSource {
  public:
    virtual ~RasterSource() = default;
    // The picture as it lands on the device, for the box of device pixels from (left, top),
    // width x height: each pixel of the box the picture covers takes its colour, the others the
    // picture's background. False when the file cannot be read.
    virtual bool render(const CanvasImage& image, int left, int top, int width, int height,
                        RasterPixels& out) = 0;
};

} // namespace orvanta

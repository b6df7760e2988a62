// A preview picture of the core as a QImage, for the code of the window.
#pragma once

#include "bridges/DwgPreview.h"

#include <QImage>

#include <cstring>

namespace orvanta {

// A copy of `image` in QImage's ARGB32 form, whose pixels are the same 0xAARRGGBB values; a
// null QImage for an empty picture.
inline QImage ToQImage(const PreviewImage& image) {
    if (image.empty()) return {};
    QImage out(image.width, image.height, QImage::Format_ARGB32);
    if (out.isNull()) return out;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    for (int y = 0; y < image.height; ++y)
        std::memcpy(out.scanLine(y),
                    image.pixels.data() + static_cast<std::size_t>(y) * image.width, rowBytes);
    return out;
}

} // namespace orvanta

#include "fuzz/ReadImageHarness.h"

#include "fuzz/MemoryFile.h"
#include "render/qt/RasterImages.h"

namespace orvanta {

void ReadImageHarness(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    RasterImageCache cache(std::size_t{64} << 20);
    cache.picture(file.path(), QSizeF(16, 16));
    cache.picture(file.path(), QSizeF(1e6, 1e6));
}

} // namespace orvanta

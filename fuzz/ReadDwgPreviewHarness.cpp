#include "fuzz/ReadDwgPreviewHarness.h"

#include "bridges/DwgPreview.h"
#include "fuzz/MemoryFile.h"

#include <cstdlib>

namespace orvanta {

void ReadDwgPreviewHarness(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    const DwgPreview preview = ReadDwgPreview(file.path());
    const bool consistent =
        preview.status == DwgPreview::Status::Picture
            ? !preview.image.empty() &&
                  preview.image.pixels.size() == static_cast<std::size_t>(preview.image.width) *
                                                     static_cast<std::size_t>(preview.image.height)
            : preview.image.pixels.empty();
    if (!consistent) std::abort();
}

} // namespace orvanta

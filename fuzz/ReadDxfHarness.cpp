#include "fuzz/ReadDxfHarness.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "fuzz/MemoryFile.h"

namespace orvanta {

void ReadDxfHarness(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    std::string text;
    try {
        ProbeFileSignature(file.path(), text);
        ReadDxfVersion(file.path(), text);
    } catch (const SilentAbort&) {
    }
    for (const TextEncoding encoding : {TextEncoding::Cp932, TextEncoding::Utf8}) {
        Drawing drawing;
        std::string status;
        try {
            ReadDxfFile(drawing, file.path(), nullptr, nullptr, status, encoding);
        } catch (const SilentAbort&) {
        }
    }
}

} // namespace orvanta

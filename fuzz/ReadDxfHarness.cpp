#include "fuzz/ReadDxfHarness.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "fuzz/MemoryFile.h"
#include "load/ExternalReferences.h"
#include "load/LoadDrawing.h"

#include <sys/mman.h>
#include <unistd.h>

namespace orvanta {

void ReadDxfHarness(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    std::string text;
    try {
        ProbeFileSignature(file.path(), text);
        ReadDxfVersion(file.path(), text);
        // Release 2007 looks at the bytes, or at the strings of a binary file.
        EncodingForFile(file.path(), "AC1021");
    } catch (const SilentAbort&) {
    }
    for (const TextEncoding encoding : {TextEncoding::Cp932, TextEncoding::Utf8}) {
        Drawing drawing;
        try {
            ReadDxfFile(drawing, file.path(), nullptr, encoding);
            if (encoding != TextEncoding::Utf8) continue;
            // The same bytes as the file of an external reference, placed by a reference.
            Drawing host;
            host.BlockAry.emplace_back().name = "REF";
            host.InsertAry.emplace_back().name = host.name("REF");
            MergeReference(host, "REF", drawing);
            // The passes meet what the reader let through: hatch patterns, spline knots, clip
            // boundaries.
            NormaliseDrawing(drawing);
            NormaliseDrawing(host);
        } catch (const SilentAbort&) {
        }
    }
}

} // namespace orvanta

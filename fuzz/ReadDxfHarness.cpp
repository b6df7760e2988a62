#include "fuzz/ReadDxfHarness.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "fuzz/MemoryFile.h"
#include "load/ExternalReferences.h"
#include "load/LoadDrawing.h"
#include "support/ReadDump.h"

#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace orvanta {

namespace {

// The tables of a read in `parts` parts, after the error that ended it.
std::string ReadInParts(const std::string& path, int parts) {
    Drawing drawing;
    DxfReadOptions options;
    options.entityParts = parts;
    std::string read;
    try {
        ReadDxfFile(drawing, path, nullptr, TextEncoding::Cp932, options);
    } catch (const SilentAbort& e) {
        read = e.what();
    }
    return read + "\n" + test::DumpRead(drawing);
}

} // namespace

void ReadDxfHarness(const std::uint8_t* data, std::size_t size) {
    MemoryFile file(data, size);
    // Read in parts, the file holds what one thread reads, or fails as it does.
    const int parts = 2 + static_cast<int>(size % 3);
    if (ReadInParts(file.path(), 1) != ReadInParts(file.path(), parts)) {
        std::fprintf(stderr, "read in %d parts differs from one thread's read\n", parts);
        std::abort();
    }
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

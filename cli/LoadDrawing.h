// Loading a drawing file as the browser does, for the commands of orvanta-cli.
#pragma once

#include "dxf/TextDecoder.h"
#include "model/AcadDxfUnit.h"

#include <string>

namespace orvanta::cli {

struct ReadFacts {
    std::string acadver;
    TextEncoding encoding = TextEncoding::Cp932;
};

// Reads one text DXF file: the version, the encoding it calls for, then the records. Throws
// SilentAbort with a one-line reason naming the file (and the line, for malformed content); a
// DWG file is refused with "only text DXF files are <verb> without the converter".
ReadFacts ReadDrawingFile(const std::string& path, Drawing& drawing, const char* verb);

// Runs the load sequence; a refusal names the file.
void NormaliseLoaded(const std::string& path, Drawing& drawing);

} // namespace orvanta::cli

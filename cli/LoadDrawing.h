// The command-line tool's side of loading a drawing: the core's one load routine, with its
// failures turned into the one-line reasons the commands print.
#pragma once

#include "load/LoadDrawing.h"

#include <string>

namespace orvanta::cli {

// Loads `path` as the browser does. Throws SilentAbort with a one-line reason naming the file
// (and the line, for malformed content); DWG content is refused with "only text DXF files are
// <verb> without the converter", since the tool runs no converter.
// The texts are read in `encoding` (a name EncodingNamed knows) when one is given.
LoadedDrawing LoadForCommand(const std::string& path, const char* verb,
                             const std::string& encoding = {});

} // namespace orvanta::cli

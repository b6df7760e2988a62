// Reading a text DXF file into a Drawing.
#pragma once

#include "dxf/TextDecoder.h"
#include "model/Abort.h"
#include "model/AcadDxfUnit.h"
#include "model/Host.h"

#include <string>

namespace orvanta {

// A read that stopped: names the file and the line that failed (0 when no line was reached).
class DxfReadError : public SilentAbort {
  public:
    DxfReadError(const std::string& file, long line, const std::string& what, bool inUse = false);
    const std::string& file() const { return file_; }
    long line() const { return line_; }
    // What was wrong, without the file and the line.
    const std::string& reason() const { return reason_; }
    // The file exists but could not be opened or read (another program holds it, a disk error),
    // as opposed to content that is malformed.
    bool inUse() const { return inUse_; }

  private:
    std::string file_;
    long line_;
    std::string reason_;
    bool inUse_;
};

// The box a user is shown when a file exists but cannot be read; the reason of such a
// DxfReadError.
extern const char* const FileInUseText;
extern const char* const FileInUseCaption;

// Empties `drawing` and fills it from the DXF file in one pass over its group pairs.
//
// A file that does not exist leaves just the layer "0". Every trouble is a DxfReadError: a file
// that cannot be opened or read (inUse()), or malformed content; the tables then hold exactly
// the records read before the failing line. `progress` may be null.
void ReadDxfFile(Drawing& drawing, const std::string& fileName, ProgressSink* progress,
                 TextEncoding encoding);

} // namespace orvanta

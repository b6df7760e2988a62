// Reading a text DXF file into a Drawing.
#pragma once

#include "dxf/TextDecoder.h"
#include "model/Abort.h"
#include "model/AcadDxfUnit.h"
#include "model/Host.h"

#include <string>

namespace orvanta {

// A read that stopped on malformed content: names the file and the line that failed.
class DxfReadError : public SilentAbort {
  public:
    DxfReadError(const std::string& file, long line, const std::string& what);
    const std::string& file() const { return file_; }
    long line() const { return line_; }
    // What was wrong, without the file and the line.
    const std::string& reason() const { return reason_; }

  private:
    std::string file_;
    long line_;
    std::string reason_;
};

// The box the reader shows when a file exists but cannot be read.
extern const char* const FileInUseText;
extern const char* const FileInUseCaption;

// Empties `drawing` and fills it from the DXF file in one pass over its group pairs.
//
// A file that does not exist leaves just the layer "0". When the file cannot be opened or read
// (another program holds it, a disk error) the user is told through `messages`, `status` becomes
// "busy" and the drawing keeps what was read up to there. Malformed content throws DxfReadError;
// the tables then hold exactly the records read before the failing line.
// `progress` and `messages` may be null.
void ReadDxfFile(Drawing& drawing, const std::string& fileName, ProgressSink* progress,
                 MessageSink* messages, std::string& status, TextEncoding encoding);

} // namespace orvanta

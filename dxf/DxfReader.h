// Reading a DXF file, text or binary, into a Drawing.
#pragma once

#include "dxf/TextDecoder.h"
#include "model/Abort.h"
#include "model/AcadDxfUnit.h"
#include "model/Host.h"
#include "model/Language.h"

#include <string>

namespace orvanta {

// What was wrong with a DXF file that could not be read.
enum class DxfProblem {
    Unreadable,          // the file exists but cannot be opened or read (held by another program,
                         // a disk error); the detail is the system's reason when it gave one
    BinaryDxf,           // a binary DXF of a form the reader does not know, read only after
                         // conversion to text DXF
    NotGroupCode,        // a group code line that is not an integer; the value is that line
    NotReal,             // the value of the group code is not a real number
    NotSmallInteger,     // the value of the group code is not an integer from -32768 to 32767
    NotInteger,          // the value of the group code is not a 32-bit integer
    LineTooLong,         // a line longer than any DXF writer makes
    BinaryTruncated,     // a binary file ends inside the value of the group code (inside a group
                         // code when the code is negative)
    BinaryStringTooLong, // a string of a binary file without its end within the longest line
};

// The reason of a DXF problem in `language`, without the file and the line. `groupCode` and
// `value` are those of the failing pair (the value shortened), `detail` the system's reason of
// an unreadable file; each is used only by the problems that name it.
std::string DescribeDxfProblem(DxfProblem problem, int groupCode, const std::string& value,
                               const std::string& detail, Language language);

// A place in a binary DXF file: the number of bytes before it.
struct ByteOffset {
    long long bytes = 0;
};

// A read that stopped: names the file and the line that failed (0 when no line was reached), or
// in a binary file the byte offset, and what was wrong, as data, so that each program words it in
// its own language. what() is the English "file:line: reason" or "file: byte offset N: reason".
class DxfReadError : public SilentAbort {
  public:
    DxfReadError(const std::string& file, long line, DxfProblem problem, int groupCode = 0,
                 const std::string& value = {}, const std::string& detail = {});
    DxfReadError(const std::string& file, ByteOffset offset, DxfProblem problem, int groupCode = 0,
                 const std::string& value = {}, const std::string& detail = {});
    const std::string& file() const { return file_; }
    long line() const { return line_; }
    // The byte offset of what failed in a binary file; -1 for a text file.
    long long offset() const { return offset_; }
    DxfProblem problem() const { return problem_; }
    int groupCode() const { return groupCode_; }
    const std::string& value() const { return value_; }
    const std::string& detail() const { return detail_; }
    // What was wrong, without the file and the line, in `language`.
    std::string reason(Language language = TextLanguage()) const;
    // The file exists but could not be opened or read (another program holds it, a disk error),
    // as opposed to content that is malformed.
    bool inUse() const { return problem_ == DxfProblem::Unreadable; }

  private:
    std::string file_;
    long line_;
    long long offset_ = -1;
    DxfProblem problem_;
    int groupCode_;
    std::string value_;
    std::string detail_;
};

// The box a user is shown when a file exists but cannot be read; the reason of such a
// DxfReadError.
extern const char* const FileInUseText;
extern const char* const FileInUseCaption;

// How ReadDxfFile shares its work among threads. The drawing read is the same whatever they say.
struct DxfReadOptions {
    // The parts the ENTITIES section is read in at once, each on a thread of its own: 0 chooses
    // one for each core when the file is large and one when it is small; 1 reads on the calling
    // thread alone. Tests ask for several parts of a small file.
    int entityParts = 0;
    // Where set, told how many parts were read and joined (1 when the file was read whole).
    int* partsRead = nullptr;
};

// Empties `drawing` and fills it from the DXF file in one pass over its group pairs; the ENTITIES
// section of a large file is read in parts on several threads at once, as `options` say, into
// exactly what one thread reads. A file that begins with the binary sentinel is read as a binary
// DXF, any other as text.
//
// A file that does not exist leaves just the layer "0". Every trouble is a DxfReadError: a file
// that cannot be opened or read (inUse()), or malformed content; the tables then hold exactly
// the records read before the failing pair. `progress` may be null.
void ReadDxfFile(Drawing& drawing, const std::string& fileName, ProgressSink* progress,
                 TextEncoding encoding, DxfReadOptions options = {});

} // namespace orvanta

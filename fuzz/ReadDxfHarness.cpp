#include "fuzz/ReadDxfHarness.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "geometry/LoadSequence.h"

#include <sys/mman.h>
#include <unistd.h>

namespace orvanta {

namespace {

// The reader takes a path: an in-memory file keeps the disk out of the loop.
class MemoryFile {
  public:
    MemoryFile(const std::uint8_t* data, std::size_t size) {
        fd_ = ::memfd_create("fuzz-input", MFD_CLOEXEC);
        std::size_t done = 0;
        while (fd_ >= 0 && done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    const std::string& path() const { return path_; }

  private:
    int fd_ = -1;
    std::string path_;
};

} // namespace

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
            // The passes meet what the reader let through: hatch patterns, spline knots.
            if (encoding == TextEncoding::Utf8) NormaliseDrawing(drawing);
        } catch (const SilentAbort&) {
        }
    }
}

} // namespace orvanta

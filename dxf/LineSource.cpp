#include "dxf/LineSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {
constexpr std::size_t BlockSize = 4u << 20;
}

LineSource::LineSource(const std::string& fileName) {
    fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw InputFailure(std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd_);
        fd_ = -1;
        throw InputFailure(std::strerror(error));
    }
    size_ = st.st_size;
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    // Small files get a small buffer: previews read many of them in a row.
    const long long wanted = size_ + 1;
    buffer_.resize(static_cast<std::size_t>(
        std::clamp<long long>(wanted, 4096, static_cast<long long>(BlockSize))));
}

LineSource::~LineSource() {
    if (fd_ >= 0) ::close(fd_);
}

bool LineSource::fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        if (buffer_.size() >= MaxLineLength + 2)
            throw LineTooLong("a line is longer than " + std::to_string(MaxLineLength >> 20) +
                              " MiB");
        buffer_.resize(buffer_.size() * 2);
    }
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            return true;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) throw InputFailure(std::strerror(errno));
    }
}

bool LineSource::atEnd() {
    if (begin_ < end_) return false;
    return !fill();
}

void LineSource::skipUtf8Bom() {
    while (end_ - begin_ < 3 && fill()) {
    }
    if (end_ - begin_ >= 3 && std::memcmp(buffer_.data() + begin_, "\xEF\xBB\xBF", 3) == 0)
        begin_ += 3;
}

std::string_view LineSource::next() {
    ++lineNumber_;
    std::size_t scanned = 0; // bytes after begin_ already known to hold no line end
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const char* const limit = buffer_.data() + end_;
        // DXF lines are short: a plain scan beats a library search here.
        const char* p = start + scanned;
        while (p < limit && *p != '\n' && *p != '\r')
            ++p;
        if (p < limit) {
            const std::size_t length = static_cast<std::size_t>(p - start);
            if (*p == '\r') {
                // A CR at the very end of the buffer may be the first half of CR LF.
                if (p + 1 == limit && !eof_) {
                    scanned = length;
                    if (fill()) continue;
                }
                const char* after = buffer_.data() + begin_ + length + 1;
                const std::size_t consumed =
                    (after < buffer_.data() + end_ && *after == '\n') ? length + 2 : length + 1;
                const std::string_view line(buffer_.data() + begin_, length);
                begin_ += consumed;
                return line;
            }
            begin_ += length + 1;
            return std::string_view(start, length);
        }
        scanned = static_cast<std::size_t>(limit - start);
        if (!fill()) {
            // The last line of a file without a final line end, or an empty line at the end.
            const std::string_view line(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return line;
        }
    }
}

} // namespace orvanta

#include "dxf/LineSource.h"

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
    buffer_.resize(BlockSize);
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
        const std::size_t available = end_ - begin_;
        const char* lf = static_cast<const char*>(
            std::memchr(start + scanned, '\n', available - scanned));
        const std::size_t limit = lf ? static_cast<std::size_t>(lf - start) : available;
        const char* cr = static_cast<const char*>(std::memchr(start + scanned, '\r',
                                                             limit - scanned));
        if (cr) {
            const std::size_t length = static_cast<std::size_t>(cr - start);
            // A CR at the very end of the buffer may be the first half of CR LF.
            if (length + 1 == available && !eof_) {
                scanned = length;
                if (fill()) continue;
            }
            std::size_t consumed = length + 1;
            if (length + 1 < end_ - begin_ && buffer_[begin_ + length + 1] == '\n') ++consumed;
            const std::string_view line(buffer_.data() + begin_, length);
            begin_ += consumed;
            return line;
        }
        if (lf) {
            const std::size_t length = limit;
            const std::string_view line(start, length);
            begin_ += length + 1;
            return line;
        }
        scanned = available;
        if (!fill()) {
            // The last line of a file without a final line end, or an empty line at the end.
            const std::string_view line(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return line;
        }
    }
}

} // namespace orvanta

#include "dxf/LineSource.h"

#include <algorithm>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

// Bytes kept readable behind the data, so that the line-end search may load 16 bytes at a time.
constexpr std::size_t Slack = 16;

// The first CR or LF in [p, limit), or limit. DXF lines are short (most hold a group code or a
// number), so this looks at 16 bytes per step rather than calling a library search per line.
const char* FindLineEnd(const char* p, const char* limit) {
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (p < limit) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, lf), _mm_cmpeq_epi8(chunk, cr)));
        if (mask != 0) {
            const char* found = p + __builtin_ctz(static_cast<unsigned>(mask));
            return found < limit ? found : limit;
        }
        p += 16;
    }
    return limit;
#else
    while (p < limit && *p != '\n' && *p != '\r')
        ++p;
    return p;
#endif
}

// The first zero byte in [p, limit), or limit: the end of a binary file's string.
const char* FindZero(const char* p, const char* limit) {
    const void* zero = std::memchr(p, 0, static_cast<std::size_t>(limit - p));
    return zero ? static_cast<const char*>(zero) : limit;
}

} // namespace

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
    capacity_ = static_cast<std::size_t>(
        std::clamp<long long>(wanted, 4096, static_cast<long long>(BlockSize)));
    buffer_.resize(capacity_ + Slack);
}

LineSource::LineSource(const LineSource& file, long long start) {
    // A descriptor of its own, read at explicit offsets like the original's, so that the two
    // never disturb each other.
    fd_ = ::fcntl(file.fd_, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) throw InputFailure(std::strerror(errno));
    size_ = file.size_;
    read_ = start;
    capacity_ = file.capacity_;
    buffer_.resize(capacity_ + Slack);
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
    if (end_ == capacity_) {
        if (capacity_ >= MaxLineLength + 2)
            throw LineTooLong("a line is longer than " + std::to_string(MaxLineLength >> 20) +
                              " MiB");
        capacity_ *= 2;
        buffer_.resize(capacity_ + Slack);
    }
    for (;;) {
        const ssize_t n = ::pread(fd_, buffer_.data() + end_, capacity_ - end_, read_);
        if (n > 0) {
            end_ += static_cast<std::size_t>(n);
            read_ += n;
            return true;
        }
        if (n == 0) {
            eof_ = true;
            return false;
        }
        if (errno != EINTR) throw InputFailure(std::strerror(errno));
    }
}

void LineSource::restartAt(long long offset, long lineNumber) {
    begin_ = end_ = 0;
    read_ = offset;
    eof_ = false;
    lineNumber_ = lineNumber;
}

std::size_t LineSource::readAt(long long offset, char* buffer, std::size_t size) const {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd_, buffer + done, size - done, offset + done);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw InputFailure(std::strerror(errno));
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
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

bool LineSource::startsWith(std::string_view prefix) {
    while (end_ - begin_ < prefix.size() && fill()) {
    }
    return end_ - begin_ >= prefix.size() &&
           std::memcmp(buffer_.data() + begin_, prefix.data(), prefix.size()) == 0;
}

const char* LineSource::takeAcrossBlocks(std::size_t n) {
    while (end_ - begin_ < n && fill()) {
    }
    if (end_ - begin_ < n) return nullptr;
    const char* bytes = buffer_.data() + begin_;
    begin_ += n;
    return bytes;
}

std::string_view LineSource::nextString(bool& ended) {
    std::size_t scanned = 0; // bytes after begin_ already known to hold no zero byte
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const char* const limit = buffer_.data() + end_;
        const char* zero = FindZero(start + scanned, limit);
        if (zero < limit) {
            const std::size_t length = static_cast<std::size_t>(zero - start);
            begin_ += length + 1;
            ended = false;
            return std::string_view(start, length);
        }
        scanned = static_cast<std::size_t>(limit - start);
        if (!fill()) {
            const std::string_view rest(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            ended = true;
            return rest;
        }
    }
}

std::string_view LineSource::next() {
    ++lineNumber_;
    std::size_t scanned = 0; // bytes after begin_ already known to hold no line end
    for (;;) {
        const char* start = buffer_.data() + begin_;
        const char* const limit = buffer_.data() + end_;
        const char* p = FindLineEnd(start + scanned, limit);
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

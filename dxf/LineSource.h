// Reading of a file in large blocks, for the DXF reader and the version probe: line by line for a
// text DXF, value by value for a binary one.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace orvanta {

// An input/output failure while reading (not malformed content).
class InputFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A line longer than LineSource::MaxLineLength: no DXF writer produces one, and keeping it would
// let a hostile file take unbounded memory.
class LineTooLong : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class LineSource {
  public:
    static constexpr std::size_t MaxLineLength = 16u << 20;
    // Bytes taken from the file per read; a file larger than this is read in several blocks,
    // and a line may begin in one block and end in the next.
    static constexpr std::size_t BlockSize = 4u << 20;

    // Opens the file; throws InputFailure when it cannot be opened.
    explicit LineSource(const std::string& fileName);
    // The file `file` reads, from byte `start` on, with lines counted from there: for a part of
    // the file read on another thread. Throws InputFailure when the file cannot be shared.
    LineSource(const LineSource& file, long long start);
    ~LineSource();
    LineSource(const LineSource&) = delete;
    LineSource& operator=(const LineSource&) = delete;

    // The file's size in bytes when opened.
    long long size() const { return size_; }
    // Bytes of the file consumed so far.
    long long offset() const { return read_ - static_cast<long long>(end_ - begin_); }
    // True when every byte has been consumed.
    bool atEnd();
    // The next line without its terminator (CR, LF or CR LF); an empty line at the end. The view
    // stays valid until the next call.
    std::string_view next();
    // Number of the line last returned, from 1.
    long lineNumber() const { return lineNumber_; }
    // Skips a leading byte-order mark "EF BB BF" (UTF-8 files only).
    void skipUtf8Bom();
    // Goes on reading at byte `offset`, which begins a line, counting the lines before it as
    // `lineNumber`.
    void restartAt(long long offset, long lineNumber);
    // Up to `size` bytes from `offset` into `buffer`, whatever has been consumed; the number of
    // bytes read, fewer at the end of the file. Throws InputFailure when the file cannot be read.
    std::size_t readAt(long long offset, char* buffer, std::size_t size) const;

    // Whether the unread bytes begin with `prefix`; consumes nothing.
    bool startsWith(std::string_view prefix);
    // The next `n` bytes, consumed; null, consuming nothing, when the file ends before them. The
    // bytes stay valid until the next call.
    const char* take(std::size_t n) {
        if (end_ - begin_ >= n) {
            const char* bytes = buffer_.data() + begin_;
            begin_ += n;
            return bytes;
        }
        return takeAcrossBlocks(n);
    }
    // The bytes up to the next zero byte, which is consumed but not returned. `ended` is set
    // when the file ends before a zero byte: the view then holds the rest of the file. Throws
    // LineTooLong when no zero byte comes within MaxLineLength bytes.
    std::string_view nextString(bool& ended);

  private:
    // Reads more bytes behind the unread ones; false at the end of the file.
    bool fill();
    const char* takeAcrossBlocks(std::size_t n);

    int fd_ = -1;
    long long size_ = 0;
    std::vector<char> buffer_;
    std::size_t capacity_ = 0; // bytes of buffer_ that reads may fill
    std::size_t begin_ = 0;    // first unread byte
    std::size_t end_ = 0;      // one past the last byte read
    long long read_ = 0;       // where the next read from the file begins
    bool eof_ = false;
    long lineNumber_ = 0;
};

} // namespace orvanta

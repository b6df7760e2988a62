// The group pairs of a DXF file one at a time, whether the file is text or binary, for the reader
// and the header scan.
#pragma once

#include "dxf/DxfReader.h"
#include "dxf/LineSource.h"
#include "dxf/NumberParsing.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvanta {

// The 22 bytes a binary DXF file begins with, as the DXF reference gives them.
constexpr std::string_view BinaryDxfSentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// Whether the file begins as a binary DXF does; false when it cannot be read.
bool IsBinaryDxfFile(const std::string& fileName);

// How a binary DXF writes the value of a group code: by the group code value types of the DXF
// reference, with the boolean codes 290 to 299 as one byte. Codes the reference gives no type
// are strings, as in a text file.
enum class BinaryValue : std::uint8_t {
    String, // bytes up to a zero byte
    Real,   // 8-byte IEEE double
    Int16,
    Int32,
    Int64,
    Byte,  // one unsigned byte
    Chunk, // a length byte, then that many bytes
};
BinaryValue BinaryValueOf(int code);

class PairSource {
  public:
    // What a value of a binary file holds besides its text.
    enum class Number : std::uint8_t { None, Real, Integer };

    // Reads the pairs of `lines`, which is positioned at the file's first byte (or just after a
    // byte-order mark); the first bytes say whether the file is binary. `fileName` names the
    // file in errors.
    PairSource(LineSource& lines, const std::string& fileName);
    // Reads the pairs of `lines`, positioned at a pair in the middle of the file that `format`
    // reads, which tells whether the file is binary and how it writes its group codes.
    PairSource(LineSource& lines, const std::string& fileName, const PairSource& format)
        : lines_(lines), fileName_(fileName), binary_(format.binary_),
          oneByteCodes_(format.oneByteCodes_) {}
    PairSource(const PairSource&) = delete;
    PairSource& operator=(const PairSource&) = delete;

    bool binary() const { return binary_; }
    // A binary file of release 12 or earlier writes group codes as one byte.
    bool oneByteCodes() const { return oneByteCodes_; }

    // Moves to the next pair. False when there is none: at the end of the file, or before
    // nothing but blank lines to the end of a text file. Throws DxfReadError for a pair that
    // cannot be read, naming the line of a text file or the byte offset of a binary one.
    bool next() { return binary_ ? nextBinary() : nextText(); }

    int code() const { return code_; }
    // The value as a text file writes it: the line as read, or for a binary file the string's
    // bytes, the number in decimal, a chunk in hexadecimal. Valid until the next call of next().
    std::string_view value() const {
        if (realPending_) writeReal();
        return value_;
    }
    // The number of the value's line in a text file; 0 in a binary file.
    long line() const { return line_; }
    // Where the value begins in a binary file; -1 in a text file.
    long long offset() const { return offset_; }
    // The number a binary value holds, exactly as written, so that nobody parses its text.
    Number number() const { return number_; }
    double real() const { return real_; }
    std::int64_t integer() const { return integer_; }

  private:
    // The common case inline, so that reading a text pair costs no more than its two lines.
    bool nextText() {
        if (lines_.atEnd()) return false;
        const std::string_view codeLine = lines_.next();
        int code = 0;
        if (!ParseGroupCode(codeLine, code)) return endOfPairs(codeLine);
        value_ = lines_.next();
        code_ = code;
        line_ = lines_.lineNumber();
        return true;
    }
    // A code line that is no group code: false when blank lines end the file, else an error.
    bool endOfPairs(std::string_view codeLine);
    bool nextBinary();
    void spellControls();
    void writeReal() const;
    [[noreturn]] void fail(long long offset, DxfProblem problem, int code) const;

    LineSource& lines_;
    const std::string& fileName_;
    bool binary_ = false;
    // A binary file of release 12 or earlier writes group codes as one byte.
    bool oneByteCodes_ = false;

    int code_ = 0;
    // A binary real is put into words only when its text is asked for, which is rare (an error
    // message names it): writing every coordinate of a drawing would take a quarter of the read.
    mutable std::string_view value_;
    mutable bool realPending_ = false;
    long line_ = 0;
    long long offset_ = -1;
    Number number_ = Number::None;
    double real_ = 0;
    std::int64_t integer_ = 0;
    // The text of a binary number; of a chunk, or of a string with its control characters
    // spelt out.
    mutable char numberText_[32] = {};
    std::string builtText_;
};

// The value of the current pair of a source as text, for a reader that keeps it as a member
// and compares it as a string_view.
class PairValue {
  public:
    explicit PairValue(const PairSource* pairs = nullptr) : pairs_(pairs) {}
    operator std::string_view() const { return pairs_->value(); }
    friend bool operator==(const PairValue& a, std::string_view b) {
        return std::string_view(a) == b;
    }

  private:
    const PairSource* pairs_;
};

} // namespace orvanta

#include "dxf/PairSource.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <type_traits>

namespace orvanta {

namespace {

// What a text file's first line begins with when the file is binary. A file that begins so but
// lacks the rest of the sentinel is a binary DXF of some form we do not know, not a text file.
constexpr std::string_view BinaryDxfTitle = "AutoCAD Binary DXF";

constexpr std::array<BinaryValue, 1072> MakeValueTable() {
    std::array<BinaryValue, 1072> table{};
    const auto set = [&table](int first, int last, BinaryValue value) {
        for (int code = first; code <= last; ++code)
            table[static_cast<std::size_t>(code)] = value;
    };
    set(10, 59, BinaryValue::Real);
    set(60, 79, BinaryValue::Int16);
    set(90, 99, BinaryValue::Int32);
    set(110, 149, BinaryValue::Real);
    set(160, 169, BinaryValue::Int64);
    set(170, 179, BinaryValue::Int16);
    set(210, 239, BinaryValue::Real);
    set(270, 289, BinaryValue::Int16);
    set(290, 299, BinaryValue::Byte);
    set(310, 319, BinaryValue::Chunk);
    set(370, 389, BinaryValue::Int16);
    set(400, 409, BinaryValue::Int16);
    set(420, 429, BinaryValue::Int32);
    set(440, 459, BinaryValue::Int32);
    set(460, 469, BinaryValue::Real);
    set(1004, 1004, BinaryValue::Chunk);
    set(1010, 1059, BinaryValue::Real);
    set(1060, 1070, BinaryValue::Int16);
    set(1071, 1071, BinaryValue::Int32);
    return table;
}

constexpr std::array<BinaryValue, 1072> ValueTable = MakeValueTable();

// Binary DXF numbers are little-endian, whatever the machine.
template <int Bytes> std::uint64_t LittleEndian(const char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        std::conditional_t<
            Bytes == 8, std::uint64_t,
            std::conditional_t<Bytes == 4, std::uint32_t,
                               std::conditional_t<Bytes == 2, std::uint16_t, std::uint8_t>>>
            value;
        std::memcpy(&value, p, Bytes);
        return value;
    } else {
        std::uint64_t value = 0;
        for (int i = Bytes - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(p[i]);
        return value;
    }
}

std::int16_t Int16At(const char* p) {
    return static_cast<std::int16_t>(LittleEndian<2>(p));
}

bool IsBlank(std::string_view s) {
    for (char c : s) {
        if (c != ' ' && c != '\t') return false;
    }
    return true;
}

} // namespace

BinaryValue BinaryValueOf(int code) {
    return code >= 0 && static_cast<std::size_t>(code) < ValueTable.size()
               ? ValueTable[static_cast<std::size_t>(code)]
               : BinaryValue::String;
}

bool IsBinaryDxfFile(const std::string& fileName) {
    try {
        LineSource source(fileName);
        return source.startsWith(BinaryDxfTitle);
    } catch (const InputFailure&) {
        return false;
    }
}

PairSource::PairSource(LineSource& lines, const std::string& fileName)
    : lines_(lines), fileName_(fileName) {
    if (!lines_.startsWith(BinaryDxfSentinel)) return;
    binary_ = true;
    lines_.take(BinaryDxfSentinel.size());
    // The first pair is 0/"SECTION": its code is a zero byte followed by the string where codes
    // are one byte, two zero bytes where they are two.
    if (lines_.atEnd()) return;
    if (lines_.startsWith(std::string_view("\0\0", 2))) return;
    if (lines_.startsWith(std::string_view("\0", 1))) {
        oneByteCodes_ = true;
        return;
    }
    fail(lines_.offset(), DxfProblem::BinaryDxf, 0);
}

void PairSource::fail(long long offset, DxfProblem problem, int code) const {
    throw DxfReadError(fileName_, ByteOffset{offset}, problem, code);
}

bool PairSource::endOfPairs(std::string_view codeLine) {
    const long codeLineNumber = lines_.lineNumber();
    // The value line may refill the buffer.
    const std::string codeCopy(codeLine);
    value_ = lines_.next();
    // Blank lines after the last pair end the file; anywhere else they are an error.
    if (IsBlank(codeCopy) && IsBlank(value_)) {
        bool restBlank = true;
        while (!lines_.atEnd()) {
            if (!IsBlank(lines_.next())) {
                restBlank = false;
                break;
            }
        }
        if (restBlank) return false;
    }
    if (codeLineNumber == 1 && codeCopy.rfind(BinaryDxfTitle, 0) == 0)
        throw DxfReadError(fileName_, codeLineNumber, DxfProblem::BinaryDxf);
    throw DxfReadError(fileName_, codeLineNumber, DxfProblem::NotGroupCode, 0, Shorten(codeCopy));
}

void PairSource::spellControls() {
    std::string spelt;
    spelt.reserve(value_.size() + 8);
    for (const char c : value_) {
        if (static_cast<unsigned char>(c) < 0x20) {
            spelt += '^';
            spelt += static_cast<char>(c + 0x40);
        } else {
            spelt += c;
        }
    }
    builtText_ = std::move(spelt);
    value_ = builtText_;
}

void PairSource::writeReal() const {
    const auto written = std::to_chars(numberText_, numberText_ + sizeof numberText_, real_);
    value_ = std::string_view(numberText_, static_cast<std::size_t>(written.ptr - numberText_));
    realPending_ = false;
}

bool PairSource::nextBinary() {
    const long long start = lines_.offset();
    const char* p = lines_.take(oneByteCodes_ ? 1 : 2);
    if (!p) {
        if (lines_.atEnd()) return false;
        fail(start, DxfProblem::BinaryTruncated, -1);
    }
    int code = oneByteCodes_ ? static_cast<unsigned char>(*p) : Int16At(p);
    // Where codes are one byte, the byte 255 says that two bytes with a code above 254 follow.
    if (oneByteCodes_ && code == 255) {
        p = lines_.take(2);
        if (!p) fail(start, DxfProblem::BinaryTruncated, -1);
        code = Int16At(p);
    }
    code_ = code;
    offset_ = lines_.offset();
    number_ = Number::None;
    realPending_ = false;

    const BinaryValue type = BinaryValueOf(code);
    if (type == BinaryValue::String) {
        bool ended = false;
        try {
            value_ = lines_.nextString(ended);
        } catch (const LineTooLong&) {
            fail(offset_, DxfProblem::BinaryStringTooLong, code);
        }
        if (ended) fail(offset_, DxfProblem::BinaryTruncated, code);
        // A text file writes a control character as a caret and a letter (LF as "^J"), and so
        // the reader meets it everywhere; a binary file keeps the byte. No byte of a multi-byte
        // character in Shift-JIS or UTF-8 lies below 0x20.
        for (const char c : value_) {
            if (static_cast<unsigned char>(c) < 0x20) {
                spellControls();
                break;
            }
        }
        return true;
    }
    if (type == BinaryValue::Chunk) {
        p = lines_.take(1);
        const std::size_t length = p ? static_cast<unsigned char>(*p) : 0;
        if (!p || !(p = lines_.take(length))) fail(offset_, DxfProblem::BinaryTruncated, code);
        // A text file writes the chunk as hexadecimal digits, two to a byte.
        static constexpr char Digits[] = "0123456789ABCDEF";
        builtText_.resize(2 * length);
        for (std::size_t i = 0; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(p[i]);
            builtText_[2 * i] = Digits[byte >> 4];
            builtText_[2 * i + 1] = Digits[byte & 15];
        }
        value_ = builtText_;
        return true;
    }

    if (type == BinaryValue::Real) {
        if (!(p = lines_.take(8))) fail(offset_, DxfProblem::BinaryTruncated, code);
        const std::uint64_t bits = LittleEndian<8>(p);
        std::memcpy(&real_, &bits, sizeof real_);
        number_ = Number::Real;
        realPending_ = true;
        return true;
    }
    const std::size_t size = type == BinaryValue::Int64   ? 8
                             : type == BinaryValue::Int32 ? 4
                             : type == BinaryValue::Int16 ? 2
                                                          : 1;
    if (!(p = lines_.take(size))) fail(offset_, DxfProblem::BinaryTruncated, code);
    integer_ = type == BinaryValue::Int64   ? static_cast<std::int64_t>(LittleEndian<8>(p))
               : type == BinaryValue::Int32 ? static_cast<std::int32_t>(LittleEndian<4>(p))
               : type == BinaryValue::Int16 ? static_cast<std::int16_t>(LittleEndian<2>(p))
                                            : static_cast<std::int64_t>(LittleEndian<1>(p));
    number_ = Number::Integer;
    const auto written = std::to_chars(numberText_, numberText_ + sizeof numberText_, integer_);
    value_ = std::string_view(numberText_, static_cast<std::size_t>(written.ptr - numberText_));
    return true;
}

} // namespace orvanta

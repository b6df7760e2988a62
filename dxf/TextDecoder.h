// Turning the bytes of a DXF value into UTF-8. Files up to release 2007 are written in the ANSI
// code page of the machine that wrote them, which their header may state ($DWGCODEPAGE) and
// which for the drawings this program is made for is mostly Shift-JIS as Windows decodes it
// (CP932); later releases write UTF-8.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvanta {

// A text encoding, by the name iconv knows it by ("CP932", "UTF-8", "GBK", "CP1252").
class TextEncoding {
  public:
    static const TextEncoding Cp932; // Shift-JIS as Windows decodes it
    static const TextEncoding Utf8;

    TextEncoding();
    explicit TextEncoding(std::string iconvName);
    const std::string& name() const { return name_; }
    bool utf8() const { return name_ == "UTF-8"; }
    bool operator==(const TextEncoding& other) const { return name_ == other.name_; }
    bool operator!=(const TextEncoding& other) const { return name_ != other.name_; }

  private:
    std::string name_;
};

inline const TextEncoding TextEncoding::Cp932{"CP932"};
inline const TextEncoding TextEncoding::Utf8{"UTF-8"};
inline TextEncoding::TextEncoding() : TextEncoding(Cp932) {}
inline TextEncoding::TextEncoding(std::string iconvName) : name_(std::move(iconvName)) {}

// The encoding a DXF of the given $ACADVER is written in: UTF-8 above "AC1021", CP932 otherwise
// (an empty or unknown lower version included).
TextEncoding EncodingForVersion(const std::string& acadver);

// The encoding's name as a user reads it: "Shift-JIS", "UTF-8", "GBK", "Big5", ...; else the
// iconv name.
std::string EncodingName(const TextEncoding& encoding);

// The encoding a $DWGCODEPAGE value names ("ANSI_936", "DOS866", "ISO8859-5", "MAC-ROMAN"; case
// ignored), when iconv knows it; none for an empty or unknown value.
std::optional<TextEncoding> EncodingOfCodePage(std::string_view codepage);

// The encoding a user names: "Shift-JIS", "UTF-8", "GBK", "Big5", "EUC-KR", "Windows-1252",
// "Windows-1251", or any name iconv knows (case ignored); none for a name iconv does not know.
std::optional<TextEncoding> EncodingNamed(std::string_view name);

// Whether iconv converts from `encoding` to UTF-8 on this machine.
bool EncodingAvailable(const TextEncoding& encoding);

// Decodes byte strings of one encoding to UTF-8. Invalid or truncated sequences become U+FFFD,
// so a damaged text never stops a read. ASCII passes through without conversion.
class TextDecoder {
  public:
    explicit TextDecoder(const TextEncoding& encoding);
    ~TextDecoder();
    // A copy decodes the same encoding with a converter of its own, so that the copy and the
    // original may decode on different threads.
    TextDecoder(const TextDecoder& other) : TextDecoder(other.encoding_) {}
    TextDecoder& operator=(const TextDecoder&) = delete;

    std::string decode(std::string_view bytes);
    void decodeInto(std::string_view bytes, std::string& out);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    TextEncoding encoding_;
};

// Convenience for one-off conversions.
std::string DecodeCp932(std::string_view bytes);
// UTF-8 with every invalid sequence replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view bytes);

} // namespace orvanta

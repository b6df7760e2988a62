// Turning the bytes of a DXF value into UTF-8. Files up to release 2007 are written in the ANSI
// code page of the machine that wrote them, which for the drawings this program is made for is
// Shift-JIS as Windows decodes it (CP932); later releases write UTF-8.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace orvanta {

enum class TextEncoding { Cp932, Utf8 };

// The encoding a DXF of the given $ACADVER is written in: UTF-8 above "AC1021", CP932 otherwise
// (an empty or unknown lower version included).
TextEncoding EncodingForVersion(const std::string& acadver);

const char* EncodingName(TextEncoding encoding);

// Decodes byte strings of one encoding to UTF-8. Invalid or truncated sequences become U+FFFD,
// so a damaged text never stops a read. ASCII passes through without conversion.
class TextDecoder {
  public:
    explicit TextDecoder(TextEncoding encoding);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
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

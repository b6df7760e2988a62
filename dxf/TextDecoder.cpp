#include "dxf/TextDecoder.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace orvanta {

namespace {

constexpr std::string_view ReplacementChar = "\xEF\xBF\xBD"; // U+FFFD

bool IsAscii(std::string_view bytes) {
    for (unsigned char c : bytes) {
        if (c >= 0x80) return false;
    }
    return true;
}

// Length of the valid UTF-8 sequence starting at s[i], or 0 when it is invalid (overlong forms,
// surrogates and code points above U+10FFFF included).
size_t ValidUtf8Length(std::string_view s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = byte(i);
    if (c < 0x80) return 1;
    size_t n;
    unsigned cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void AppendSanitizedUtf8(std::string_view bytes, std::string& out) {
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t n = ValidUtf8Length(bytes, i);
        if (n == 0) {
            out += ReplacementChar;
            ++i;
        } else {
            out.append(bytes.data() + i, n);
            i += n;
        }
    }
}

} // namespace

TextEncoding EncodingForVersion(const std::string& acadver) {
    return acadver > std::string("AC1021") ? TextEncoding::Utf8 : TextEncoding::Cp932;
}

const char* EncodingName(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? "UTF-8" : "CP932";
}

struct TextDecoder::Impl {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
};

TextDecoder::TextDecoder(TextEncoding encoding) : impl_(new Impl), encoding_(encoding) {
    if (encoding_ == TextEncoding::Cp932) impl_->cd = iconv_open("UTF-8", "CP932");
}

TextDecoder::~TextDecoder() {
    if (impl_->cd != reinterpret_cast<iconv_t>(-1)) iconv_close(impl_->cd);
}

std::string TextDecoder::decode(std::string_view bytes) {
    std::string out;
    decodeInto(bytes, out);
    return out;
}

void TextDecoder::decodeInto(std::string_view bytes, std::string& out) {
    out.clear();
    if (IsAscii(bytes)) {
        out.assign(bytes);
        return;
    }
    if (encoding_ == TextEncoding::Utf8) {
        AppendSanitizedUtf8(bytes, out);
        return;
    }
    if (impl_->cd == reinterpret_cast<iconv_t>(-1)) {
        // Without a converter the bytes cannot be read as text; keep what is ASCII.
        for (unsigned char c : bytes) {
            if (c < 0x80)
                out += static_cast<char>(c);
            else
                out += ReplacementChar;
        }
        return;
    }
    iconv(impl_->cd, nullptr, nullptr, nullptr, nullptr);
    // A CP932 character is at most two bytes and becomes at most three UTF-8 bytes.
    std::string buffer(bytes.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t written = 0;
    while (inLeft > 0) {
        char* outPtr = buffer.data() + written;
        size_t outLeft = buffer.size() - written;
        const size_t rc = iconv(impl_->cd, &in, &inLeft, &outPtr, &outLeft);
        written = buffer.size() - outLeft;
        if (rc != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        // EILSEQ (an invalid byte) or EINVAL (a sequence cut off at the end): skip one byte.
        buffer.resize(std::max(buffer.size(), written + ReplacementChar.size() + inLeft * 3 + 4));
        buffer.replace(written, ReplacementChar.size(), ReplacementChar);
        written += ReplacementChar.size();
        ++in;
        --inLeft;
        iconv(impl_->cd, nullptr, nullptr, nullptr, nullptr);
    }
    buffer.resize(written);
    out = std::move(buffer);
}

std::string DecodeCp932(std::string_view bytes) {
    TextDecoder decoder(TextEncoding::Cp932);
    return decoder.decode(bytes);
}

std::string SanitizeUtf8(std::string_view bytes) {
    std::string out;
    AppendSanitizedUtf8(bytes, out);
    return out;
}

} // namespace orvanta

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

namespace {

// The names a user chooses from, with the iconv names they stand for.
struct NamedEncoding {
    std::string_view shown;
    std::string_view iconv;
};
constexpr NamedEncoding UserNames[] = {
    {"Shift-JIS", "CP932"},     {"UTF-8", "UTF-8"},         {"GBK", "GBK"},
    {"Big5", "CP950"},          {"EUC-KR", "CP949"},        {"Windows-1252", "CP1252"},
    {"Windows-1251", "CP1251"}, {"Windows-1250", "CP1250"}, {"Windows-1253", "CP1253"},
    {"Windows-1254", "CP1254"}, {"Windows-1255", "CP1255"}, {"Windows-1256", "CP1256"},
    {"Windows-1257", "CP1257"}, {"Windows-1258", "CP1258"}, {"Thai (CP874)", "CP874"},
    {"Johab", "JOHAB"},         {"Mac Roman", "MACINTOSH"},
};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool SameLetters(std::string_view a, std::string_view b) {
    return Upper(a) == Upper(b);
}

// The iconv name of a $DWGCODEPAGE value, or empty for a value of no known form.
std::string IconvNameOfCodePage(std::string_view codepage) {
    const std::string page = Upper(codepage);
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (page == "ANSI_936" || page == "GB2312") return "GBK";
    if (page == "ANSI_950" || page == "BIG5") return "CP950";
    if (page == "ANSI_949" || page == "KSC5601") return "CP949";
    if (page == "ANSI_1361" || page == "JOHAB") return "JOHAB";
    if (page == "MAC-ROMAN" || page == "MACINTOSH") return "MACINTOSH";
    if (page == "UTF8" || page == "UTF-8") return "UTF-8";
    if (page.rfind("ANSI_", 0) == 0 && digits(std::string_view(page).substr(5)))
        return "CP" + page.substr(5);
    if (page.rfind("DOS", 0) == 0 && digits(std::string_view(page).substr(3)))
        return "CP" + page.substr(3);
    if (page.rfind("ISO8859-", 0) == 0 && digits(std::string_view(page).substr(8)))
        return "ISO-8859-" + page.substr(8);
    return page;
}

} // namespace

std::string EncodingName(const TextEncoding& encoding) {
    for (const NamedEncoding& named : UserNames)
        if (named.iconv == encoding.name()) return std::string(named.shown);
    if (encoding.name() == "CP936") return "GBK";
    return encoding.name();
}

bool EncodingAvailable(const TextEncoding& encoding) {
    if (encoding.utf8()) return true;
    const iconv_t cd = iconv_open("UTF-8", encoding.name().c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(cd);
    return true;
}

std::optional<TextEncoding> EncodingOfCodePage(std::string_view codepage) {
    while (!codepage.empty() && (codepage.back() == ' ' || codepage.back() == '\t'))
        codepage.remove_suffix(1);
    if (codepage.empty()) return std::nullopt;
    const std::string name = IconvNameOfCodePage(codepage);
    // Shift-JIS stands for the Windows code page 932 under any of its names.
    if (name == "CP932" || name == "SHIFT_JIS" || name == "SJIS") return TextEncoding::Cp932;
    TextEncoding encoding(name);
    if (!EncodingAvailable(encoding)) return std::nullopt;
    return encoding;
}

std::optional<TextEncoding> EncodingNamed(std::string_view name) {
    for (const NamedEncoding& named : UserNames)
        if (SameLetters(named.shown, name) || SameLetters(named.iconv, name))
            return TextEncoding(std::string(named.iconv));
    if (SameLetters(name, "SJIS") || SameLetters(name, "Shift_JIS") || SameLetters(name, "CP932"))
        return TextEncoding::Cp932;
    if (name.empty()) return std::nullopt;
    TextEncoding encoding(Upper(name));
    if (!EncodingAvailable(encoding)) return std::nullopt;
    return encoding;
}

struct TextDecoder::Impl {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
};

TextDecoder::TextDecoder(const TextEncoding& encoding) : impl_(new Impl), encoding_(encoding) {
    if (!encoding_.utf8()) impl_->cd = iconv_open("UTF-8", encoding_.name().c_str());
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
    if (encoding_.utf8()) {
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
    // A character of a double-byte code page becomes at most three UTF-8 bytes, and one of a
    // single-byte page at most three; the buffer grows for anything else.
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

#include "geometry/TextCodes.h"

#include <array>
#include <iconv.h>
#include <optional>

namespace orvanta {

namespace {

constexpr std::string_view Phi = "\xCE\xA6";             // U+03A6
constexpr std::string_view Degree = "\xC2\xB0";          // U+00B0
constexpr std::string_view PlusMinus = "\xC2\xB1";       // U+00B1
constexpr std::string_view WhiteSquare = "\xE2\x96\xA1"; // U+25A1

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    std::size_t found = s.find(from);
    if (found == std::string::npos) return;
    out.reserve(s.size());
    while (found != std::string::npos) {
        out.append(s, start, found - start);
        out.append(to);
        start = found + from.size();
        found = s.find(from, start);
    }
    out.append(s, start, std::string::npos);
    s = std::move(out);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The value of four hexadecimal digits at s[at], or -1.
int FourHexDigits(std::string_view s, std::size_t at) {
    if (at + 4 > s.size()) return -1;
    int value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const int digit = HexValue(s[at + i]);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

// The code point of the single UTF-8 character that makes up `s`, or nothing when `s` is empty
// or holds more than one character.
std::optional<char32_t> SingleCodePoint(std::string_view s) {
    if (s.empty()) return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (s.size() != length) return std::nullopt;
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        cp = cp << 6 | (byte(i) & 0x3F);
    return cp;
}

// Decodes the one- or two-byte character `code` of the Asian code page that "\M+n" names.
std::optional<std::string> DecodeMifCharacter(char page, int code) {
    // The numbering of the code pages follows the DXF writers that produce these codes.
    const char* encoding = nullptr;
    switch (page) {
    case '1':
        encoding = "CP932";
        break; // Shift-JIS as Windows decodes it
    case '2':
        encoding = "CP950";
        break; // Big5
    case '3':
        encoding = "CP949";
        break; // Korean Wansung
    case '4':
        encoding = "JOHAB";
        break; // Korean Johab
    case '5':
        encoding = "CP936";
        break; // simplified Chinese (GB 2312 / GBK)
    default:
        return std::nullopt;
    }
    std::array<char, 2> bytes{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    const bool single = bytes[0] == 0;
    iconv_t cd = iconv_open("UTF-8", encoding);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    char* in = bytes.data() + (single ? 1 : 0);
    std::size_t inLeft = single ? 1 : 2;
    std::array<char, 16> buffer{};
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    const std::size_t flushed = iconv(cd, nullptr, nullptr, &out, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1) || flushed == static_cast<std::size_t>(-1) ||
        inLeft != 0)
        return std::nullopt;
    std::string decoded(buffer.data(), static_cast<std::size_t>(out - buffer.data()));
    // A code names one character; two bytes that decode as two characters are not one.
    const auto cp = SingleCodePoint(decoded);
    if (!cp || *cp == 0) return std::nullopt;
    return decoded;
}

// "\U+XXXX" codes. A pair of surrogate codes is joined into the one character it encodes; a lone
// surrogate and U+0000 stay as written, since neither is a character.
void RewriteUnicodeCodes(std::string& s) {
    constexpr std::string_view marker = "\\U+";
    if (s.find(marker) == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t found = s.find(marker, i);
        if (found == std::string::npos) break;
        out.append(s, i, found - i);
        const int code = FourHexDigits(s, found + marker.size());
        std::size_t next = found + marker.size() + 4;
        if (code < 0 || code == 0) {
            out.append(marker);
            i = found + marker.size();
            continue;
        }
        if (code == 0x2205) {
            out.append(Phi);
        } else if (code == 0x25A1) {
            out.append(WhiteSquare);
        } else if (code >= 0xD800 && code <= 0xDBFF &&
                   s.compare(next, marker.size(), marker) == 0 &&
                   FourHexDigits(s, next + marker.size()) >= 0xDC00 &&
                   FourHexDigits(s, next + marker.size()) <= 0xDFFF) {
            const int low = FourHexDigits(s, next + marker.size());
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(code) - 0xD800) << 10) +
                                (static_cast<char32_t>(low) - 0xDC00));
            next += marker.size() + 4;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            out.append(s, found, next - found);
        } else {
            AppendUtf8(out, static_cast<char32_t>(code));
        }
        i = next;
    }
    out.append(s, i, std::string::npos);
    s = std::move(out);
}

// "\M+nXXXX" codes: one character of an Asian code page, given as its bytes in hexadecimal.
void RewriteMifCodes(std::string& s) {
    constexpr std::string_view marker = "\\M+";
    if (s.find(marker) == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t found = s.find(marker, i);
        if (found == std::string::npos) break;
        out.append(s, i, found - i);
        const std::size_t pageAt = found + marker.size();
        const int code = pageAt < s.size() ? FourHexDigits(s, pageAt + 1) : -1;
        std::optional<std::string> decoded;
        if (code >= 0) decoded = DecodeMifCharacter(s[pageAt], code);
        if (decoded) {
            out.append(*decoded);
            i = pageAt + 5;
        } else {
            out.append(marker);
            i = pageAt;
        }
    }
    out.append(s, i, std::string::npos);
    s = std::move(out);
}

} // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string RewriteSpecialCodes(const std::string& text) {
    std::string s = text;
    if (s.find("%%") != std::string::npos) {
        ReplaceAll(s, "%%C", Phi);
        ReplaceAll(s, "%%c", Phi);
        ReplaceAll(s, "%%D", Degree);
        ReplaceAll(s, "%%d", Degree);
        ReplaceAll(s, "%%P", PlusMinus);
        ReplaceAll(s, "%%p", PlusMinus);
        // Underline and overline switches: the drawing fonts draw neither line, and the codes
        // must not show as text ("%%uMASTER BEDROOM" is a room name, underlined).
        ReplaceAll(s, "%%u", "");
        ReplaceAll(s, "%%U", "");
        ReplaceAll(s, "%%o", "");
        ReplaceAll(s, "%%O", "");
        ReplaceAll(s, "%%%", "%");
    }
    RewriteUnicodeCodes(s);
    RewriteMifCodes(s);
    return s;
}

std::string MTextToPlain(const std::string& line) {
    // One scan that treats a backslash and the character after it as one code. "\\" is a
    // literal backslash here, so that its second half never starts a code that would swallow
    // the text up to the next ";" ("\\fig" shows "\fig").
    // Switches of overline, underline and strike-through, and the non-breaking space.
    static constexpr std::string_view dropped = "OoLlKk~";
    // Codes whose value runs to ";": alignment, colour, font, height, oblique angle, tracking,
    // width, and (lower-case p only; "\P" is the line break) the paragraph indents and tabs.
    static constexpr std::string_view toSemicolon = "ACFHQTWacfhqtwp";
    std::string out;
    out.reserve(line.size());
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (c == '\\' && i + 1 < n) {
            const char next = line[i + 1];
            if (next == '\\' || next == '{' || next == '}') {
                out += next;
                i += 2;
            } else if (dropped.find(next) != std::string_view::npos) {
                i += 2;
            } else if (next == 'S' || next == 's') {
                // A stacked fraction or tolerance "\S1/2;", "\S1#2;" or "\S+0.1^-0.2;" is
                // written on one line as "1/2" or "+0.1/-0.2".
                const std::size_t end = line.find(';', i + 2);
                if (end == std::string::npos) {
                    i += 2;
                    continue;
                }
                for (std::size_t k = i + 2; k < end; ++k) {
                    const char d = line[k];
                    if (d == '\\' && k + 1 < end) {
                        out += line[++k];
                    } else if (d == '^' || d == '#') {
                        out += '/';
                        if (d == '^' && k + 1 < end && line[k + 1] == ' ') ++k;
                    } else {
                        out += d;
                    }
                }
                i = end + 1;
            } else if (toSemicolon.find(next) != std::string_view::npos) {
                const std::size_t end = line.find(';', i + 2);
                i = end == std::string::npos ? n : end + 1;
            } else {
                out += c;
                ++i;
            }
        } else if (c == '{' || c == '}') {
            ++i;
        } else if (c == '^' && i + 1 < n && line[i + 1] == ' ') {
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace orvanta

#include "dxf/NumberParsing.h"

#include <charconv>
#include <cmath>

namespace orvanta {

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlankChar(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlankChar(s.back())) s.remove_suffix(1);
    return s;
}

// Parses a signed decimal integer that fills all of `s`.
bool ParseWhole(std::string_view s, long long& value) {
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty() || s.front() == '+') return false;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}

} // namespace

bool ParseGroupCode(std::string_view line, int& code) {
    while (!line.empty() && IsBlankChar(line.front())) line.remove_prefix(1);
    long long value;
    if (!ParseWhole(line, value) || value < -2147483647LL || value > 2147483647LL) return false;
    code = static_cast<int>(value);
    return true;
}

bool ParseSmallInt(std::string_view text, std::int16_t& value) {
    long long v;
    if (!ParseWhole(TrimBlanks(text), v) || v < -32768 || v > 32767) return false;
    value = static_cast<std::int16_t>(v);
    return true;
}

bool ParseReal(std::string_view text, double& value) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || text.front() == '+') return false;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    return error == std::errc() && end == last && std::isfinite(value);
}

std::string Shorten(std::string_view text) {
    constexpr std::size_t Limit = 40;
    std::string out;
    for (std::size_t i = 0; i < text.size() && i < Limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    }
    if (text.size() > Limit) out += "...";
    return out;
}

} // namespace orvanta

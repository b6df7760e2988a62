#include "dxf/NumberParsing.h"

#include <charconv>
#include <cmath>

namespace orvanta {

namespace {

bool IsBlankChar(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlankChar(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlankChar(s.back()))
        s.remove_suffix(1);
    return s;
}

// Parses a signed decimal integer that fills all of `s`.
bool ParseWhole(std::string_view s, long long& value) {
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1);
        if (s.empty() || s.front() == '-') return false;
    }
    const char* first = s.data();
    const char* last = s.data() + s.size();
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}

} // namespace

bool ParseGroupCode(std::string_view line, int& code) {
    while (!line.empty() && IsBlankChar(line.front()))
        line.remove_prefix(1);
    // Nearly every code line is one to four plain digits.
    if (!line.empty() && line.size() <= 4) {
        int value = 0;
        bool digits = true;
        for (char c : line) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (digits) {
            code = value;
            return true;
        }
    }
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

// Plain decimals ("-123.456789") of at most 15 significant digits: both the digits and the power
// of ten are exact doubles, so one division gives the correctly rounded value, the same that a
// full conversion gives.
bool ParsePlainDecimal(std::string_view text, double& value) {
    static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    const char* const first = p;
    std::uint64_t mantissa = 0;
    while (p < end && static_cast<unsigned>(*p - '0') < 10)
        mantissa = mantissa * 10 + (*p++ - '0');
    std::ptrdiff_t digits = p - first;
    std::ptrdiff_t fraction = 0;
    if (p < end && *p == '.') {
        const char* const point = ++p;
        while (p < end && static_cast<unsigned>(*p - '0') < 10)
            mantissa = mantissa * 10 + (*p++ - '0');
        fraction = p - point;
        digits += fraction;
    }
    if (p != end || digits == 0 || digits > 15) return false;
    double v = static_cast<double>(mantissa);
    if (fraction > 0) v /= PowersOfTen[fraction];
    value = negative ? -v : v;
    return true;
}

bool ParseReal(std::string_view text, double& value) {
    text = TrimBlanks(text);
    if (ParsePlainDecimal(text, value)) return true;
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-') return false;
    }
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    return error == std::errc() && end == last && std::isfinite(value);
}

bool ParseRealAsWritten(std::string_view text, double& value) {
    if (ParseReal(text, value)) return true;
    text = TrimBlanks(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-') return false;
    }
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (end != last) return false;
    if (error == std::errc()) return true;
    if (error != std::errc::result_out_of_range) return false;
    // Out of range: a negative exponent underflows, any other overflows.
    const auto e = text.find_first_of("eE");
    const bool underflow = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
    value = underflow ? 0.0 : HUGE_VAL;
    if (negative) value = -value;
    return true;
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

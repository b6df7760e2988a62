#include "support/BinaryDxfWriter.h"

#include "dxf/PairSource.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <ostream>
#include <sstream>

namespace orvanta::test {

namespace {

void Put(std::ostream& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Chop(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return 0;
}

} // namespace

bool WriteBinaryDxf(std::istream& in, std::ostream& out, BinaryCodes codes) {
    out.write(BinaryDxfSentinel.data(), static_cast<std::streamsize>(BinaryDxfSentinel.size()));
    std::string codeLine, value;
    while (std::getline(in, codeLine)) {
        Chop(codeLine);
        char* end = nullptr;
        const long code = std::strtol(codeLine.c_str(), &end, 10);
        if (end == codeLine.c_str() || *end != '\0')
            return codeLine.find_first_not_of(" \t") == std::string::npos;
        if (!std::getline(in, value)) value.clear();
        Chop(value);

        if (codes == BinaryCodes::OneByte && (code < 0 || code > 254)) {
            out.put('\xFF');
            Put(out, static_cast<std::uint64_t>(code), 2);
        } else {
            Put(out, static_cast<std::uint64_t>(code), codes == BinaryCodes::OneByte ? 1 : 2);
        }
        switch (BinaryValueOf(static_cast<int>(code))) {
        case BinaryValue::String:
            out.write(value.data(), static_cast<std::streamsize>(value.size()));
            out.put('\0');
            break;
        case BinaryValue::Real: {
            const double real = std::strtod(value.c_str(), nullptr);
            std::uint64_t bits;
            std::memcpy(&bits, &real, sizeof bits);
            Put(out, bits, 8);
            break;
        }
        case BinaryValue::Int16:
            Put(out, static_cast<std::uint64_t>(std::strtoll(value.c_str(), nullptr, 10)), 2);
            break;
        case BinaryValue::Int32:
            Put(out, static_cast<std::uint64_t>(std::strtoll(value.c_str(), nullptr, 10)), 4);
            break;
        case BinaryValue::Int64:
            Put(out, static_cast<std::uint64_t>(std::strtoll(value.c_str(), nullptr, 10)), 8);
            break;
        case BinaryValue::Byte:
            Put(out, static_cast<std::uint64_t>(std::strtoll(value.c_str(), nullptr, 10)), 1);
            break;
        case BinaryValue::Chunk: {
            const std::size_t length = std::min<std::size_t>(value.size() / 2, 255);
            out.put(static_cast<char>(length));
            for (std::size_t i = 0; i < length; ++i)
                out.put(
                    static_cast<char>(HexDigit(value[2 * i]) * 16 + HexDigit(value[2 * i + 1])));
            break;
        }
        }
    }
    return true;
}

std::string BinaryDxf(const std::string& text, BinaryCodes codes) {
    std::istringstream in(text);
    std::ostringstream out;
    return WriteBinaryDxf(in, out, codes) ? out.str() : std::string();
}

} // namespace orvanta::test

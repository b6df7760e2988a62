#include "geometry/TextLines.h"

#include <algorithm>

namespace orvanta {

std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        // Continuation bytes add nothing; a four-byte sequence needs a surrogate pair.
        if ((byte & 0xC0) != 0x80) ++units;
        if (byte >= 0xF0) ++units;
    }
    return units;
}

int CountMTextLines(std::string_view text) {
    int count = 1;
    for (std::size_t at = text.find("\\P"); at != std::string_view::npos;
         at = text.find("\\P", at + 2))
        ++count;
    return count;
}

std::size_t LongestMTextLine(std::string_view text) {
    std::size_t longest = 0;
    for (;;) {
        const std::size_t brk = text.find("\\P");
        longest = std::max(longest, Utf16Length(text.substr(0, brk)));
        if (brk == std::string_view::npos) return longest;
        text.remove_prefix(brk + 2);
    }
}

} // namespace orvanta

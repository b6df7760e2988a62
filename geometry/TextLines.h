// Character counts and MTEXT paragraphs of a text record's string, with which the culling bounds
// a text without laying it out. Strings are UTF-8; character counts are in UTF-16 code units.
#pragma once

#include <string>
#include <string_view>

namespace orvanta {

// The number of UTF-16 code units of a UTF-8 string (characters beyond U+FFFF count twice).
std::size_t Utf16Length(std::string_view utf8);

// The number of paragraphs of an MTEXT string: one more than its "\P" (upper-case P only)
// breaks.
int CountMTextLines(std::string_view text);

// The longest MTEXT line, in UTF-16 code units of the text as stored (codes included, so never
// shorter than the line drawn).
std::size_t LongestMTextLine(std::string_view text);

} // namespace orvanta

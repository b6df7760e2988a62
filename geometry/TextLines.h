// Character counts and MTEXT lines of a text record's string, shared by the text boxes and the
// text renderer. Strings are UTF-8; character counts are in UTF-16 code units, the unit in which
// the text widths of the drawings this program reads were estimated.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvanta {

// The number of UTF-16 code units of a UTF-8 string (characters beyond U+FFFF count twice).
std::size_t Utf16Length(std::string_view utf8);

// Splits an MTEXT string at every "\P" (upper-case P only) into `lines`, replacing what it held.
// The part after the last separator is a line too, even when empty. Returns the number of lines,
// at least 1.
int SplitMTextLines(std::string_view text, std::vector<std::string>& lines);

// The number of lines SplitMTextLines would give, without building them.
int CountMTextLines(std::string_view text);

// The longest MTEXT line, in UTF-16 code units of the text as stored (codes included, so never
// shorter than the line drawn).
std::size_t LongestMTextLine(std::string_view text);

} // namespace orvanta

// The control codes of CAD texts: the %% codes and the \U+ and \M+ character codes that TEXT
// and MTEXT use for characters their file encoding may lack, and the MTEXT formatting codes
// that are stripped before a line is drawn.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvanta {

// Rewrites the special codes of a text for drawing:
//  - "%%C"/"%%c" -> "Φ" (the diameter sign of these drawings), "%%D"/"%%d" -> "°",
//    "%%P"/"%%p" -> "±", the underline and overline switches "%%U"/"%%u" and "%%O"/"%%o" are
//    dropped, then "%%%" -> "%"; other "%%" sequences stay;
//  - "\U+XXXX" (four hexadecimal digits) -> that character, except "\U+2205", which becomes "Φ"
//    as "%%c" does (the drawing fonts have no empty-set sign);
//  - "\M+nXXXX" -> the character whose two bytes are XXXX in the Asian code page n (1 Shift-JIS,
//    2 Big5, 3 Korean Wansung, 4 Korean Johab, 5 simplified Chinese GB); a code that does not
//    decode to one character stays as it is.
std::string RewriteSpecialCodes(const std::string& text);

// One MTEXT line (the "\P" breaks already split off) without its formatting: braces, the
// overline, underline, strike-through and non-breaking-space codes, and the codes that run to
// ";" (\A \C \F \H \Q \T \W, either case, and the paragraph code \p). A stacked fraction
// or tolerance "\S1/2;" or "\S+0.1^-0.2;" is written on the line as "1/2" or "+0.1/-0.2".
// "\{", "\}" and "\\" give the literal character.
std::string MTextToPlain(const std::string& line);

// The number of UTF-16 code units of a UTF-8 string: how the program counts characters.

// Appends the UTF-8 form of a code point (U+FFFD for surrogates and values beyond U+10FFFF).
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace orvanta

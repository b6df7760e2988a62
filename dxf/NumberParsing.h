// Number conversions of DXF lines. DXF writes numbers in the C locale ('.' as the decimal
// separator) whatever the locale of the machine, so nothing here looks at the locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvanta {

// A group-code line: optional leading blanks, an optional sign and decimal digits, nothing after.
bool ParseGroupCode(std::string_view line, int& code);
// An integer value that must fit 16 bits; blanks around it are allowed.
bool ParseSmallInt(std::string_view text, std::int16_t& value);
// A finite real value; blanks around it are allowed.
bool ParseReal(std::string_view text, double& value);
// A real value that may also be infinite or not a number ("inf", "nan", or too large for a
// double, which reads as infinite; too small reads as zero); blanks around it are allowed.
bool ParseRealAsWritten(std::string_view text, double& value);
// A value quoted in an error message: cut to a readable length.
std::string Shorten(std::string_view text);

} // namespace orvanta

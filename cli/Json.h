// Just enough JSON writing for the command-line tool's machine-readable output.
#pragma once

#include <string>
#include <string_view>

namespace orvanta::cli {

// The text as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);
// A number with enough digits to read back the same double; non-finite values become null.
std::string JsonNumber(double value);

} // namespace orvanta::cli

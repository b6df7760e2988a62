// Binary twins of DXF text, for the tests and the benchmarks that read both forms of a drawing.
#pragma once

#include <iosfwd>
#include <string>

namespace orvanta::test {

// How the binary file writes its group codes.
enum class BinaryCodes {
    TwoBytes, // release 13 and later
    OneByte,  // release 12 and earlier: one byte, or 255 and two bytes for codes above 254
};

// Writes the pairs of the DXF text `in` to `out` as a binary DXF, each value in the type of its
// group code. Stops at the first line that is no group code: false unless that line is blank.
bool WriteBinaryDxf(std::istream& in, std::ostream& out, BinaryCodes codes);

// The binary DXF of DXF text; empty when WriteBinaryDxf fails on it.
std::string BinaryDxf(const std::string& text, BinaryCodes codes = BinaryCodes::TwoBytes);

} // namespace orvanta::test

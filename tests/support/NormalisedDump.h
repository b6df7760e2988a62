// A text picture of a normalised drawing, exact to the bit, for comparing the normalisation
// passes against recorded output.
#pragma once

#include "model/AcadDxfUnit.h"

#include <cstdint>
#include <string>

namespace orvanta::test {

// Every record left in LineAry, CircleAry, ArcAry, TextAry and LayerAry, one line each, in table
// order and with every field, then the extents and the sizes of the other tables. Numbers are
// written with 17 significant digits, which tells every two doubles apart.
std::string DumpNormalised(const Drawing& drawing);

// FNV-1a of a text, for recording the dump of a drawing too large or not ours to keep in full.
std::uint64_t Fnv1a(const std::string& text);

} // namespace orvanta::test

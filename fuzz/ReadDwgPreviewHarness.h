#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Feeds one input to the DWG preview reader. Every outcome but a crash, a hang or a sanitizer
// report is fine; a picture, when one comes out, must have as many pixels as its size says.
void ReadDwgPreviewHarness(const std::uint8_t* data, std::size_t size);

} // namespace orvanta

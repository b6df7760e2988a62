#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Feeds one input to the version probes and to the reader in both encodings. Every outcome but a
// crash, a hang or a sanitizer report is fine.
void ReadDxfHarness(const std::uint8_t* data, std::size_t size);

} // namespace orvanta

#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Feeds one input to the version probes and to the reader in both encodings, and to the reader
// with its ENTITIES section in parts, which must read what one thread reads. Every outcome but a
// crash, a hang, a sanitizer report or a read in parts that differs is fine.
void ReadDxfHarness(const std::uint8_t* data, std::size_t size);

} // namespace orvanta

#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Feeds one input to the plot style table reader, as a file when it begins as a plot style
// table does and otherwise as the text such a file holds (compressed and given the header here,
// so that the text reader is reached without the fuzzer having to write zlib streams), then
// applies what was read to a small drawing. Every outcome but a crash, a hang, a sanitizer
// report or an allocation beyond the reader's bounds is fine.
void ReadCtbHarness(const std::uint8_t* data, std::size_t size);

} // namespace orvanta

#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Feeds one input to the picture cache as an image file, asked for at a small and at its full
// size. Every outcome but a crash, a hang, a sanitizer report or an allocation beyond the
// cache's decode limit is fine. Needs a QGuiApplication.
void ReadImageHarness(const std::uint8_t* data, std::size_t size);

} // namespace orvanta

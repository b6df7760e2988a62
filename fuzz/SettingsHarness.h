#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanta {

// Reads one input as a settings file, writes the settings back and reads them again: the sizes,
// flags and tab read the second time must equal the first. Aborts when they do not.
void SettingsHarness(const std::uint8_t* data, std::size_t size);

} // namespace orvanta

// libFuzzer entry for the settings file reader; see tools/fuzz.sh.
#include "fuzz/SettingsHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::SettingsHarness(data, size);
    return 0;
}

// libFuzzer entry for the DXF reader; see tools/fuzz.sh.
#include "fuzz/ReadDxfHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::ReadDxfHarness(data, size);
    return 0;
}

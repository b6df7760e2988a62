// libFuzzer entry for the plot style table reader (.ctb); see tools/fuzz.sh.
#include "fuzz/ReadCtbHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::ReadCtbHarness(data, size);
    return 0;
}

// libFuzzer entry for the DWG preview reader; see tools/fuzz.sh.
#include "fuzz/ReadDwgPreviewHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvanta::ReadDwgPreviewHarness(data, size);
    return 0;
}

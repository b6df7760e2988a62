// Replays the fuzzer's seed corpus (and every input it once crashed on) as an ordinary test.
#include "fuzz/ReadDxfHarness.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(FuzzCorpus, EveryInputReadsWithoutCrashing) {
    EXPECT_GT(test::ReplayFuzzCorpus("read_dxf", ReadDxfHarness), 5);
}

} // namespace
} // namespace orvanta

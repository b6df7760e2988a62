// Replays the fuzzer's seed corpus (and every input it once crashed on) as an ordinary test.
#include "fuzz/ReadDxfHarness.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvanta {
namespace {

TEST(FuzzCorpus, EveryInputReadsWithoutCrashing) {
    const auto dir = test::SourcePath("fuzz/corpus/read_dxf");
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        ReadDxfHarness(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 5);
}

} // namespace
} // namespace orvanta

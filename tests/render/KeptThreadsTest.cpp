#include "render/qt/KeptThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace orvanta {
namespace {

TEST(KeptThreads, EveryPartRunsOnceAndAFailureComesBack) {
    std::vector<std::atomic<int>> runs(7);
    RunOnKeptThreads(7, [&](unsigned index) { ++runs[index]; });
    for (const auto& count : runs)
        EXPECT_EQ(count, 1);
    EXPECT_THROW(RunOnKeptThreads(3,
                                  [](unsigned index) {
                                      if (index == 2) throw std::runtime_error("part 2");
                                  }),
                 std::runtime_error);
}

// A part that asks for parts of its own must not wait on the threads that run it.
TEST(KeptThreads, PartsWithinPartsFinish) {
    std::atomic<int> inner{0};
    RunOnKeptThreads(4, [&](unsigned) { RunOnKeptThreads(3, [&](unsigned) { ++inner; }); });
    EXPECT_EQ(inner, 12);
}

} // namespace
} // namespace orvanta

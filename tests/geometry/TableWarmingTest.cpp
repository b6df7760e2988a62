#include "geometry/TableWarming.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orvanta {
namespace {

std::uint64_t Pattern(std::size_t i) {
    return i * 0x9E3779B97F4A7C15u + 1;
}

// The warmer faults in storage that is being written at the same time, records already there
// included; no value may change.
TEST(TableWarmer, LeavesStorageAsItIsWhileItIsFilled) {
    constexpr std::size_t Count = 6 << 20; // 48 MB, well above MinBytes
    std::vector<std::uint64_t> table;
    table.reserve(Count);
    for (std::size_t i = 0; i < Count / 4; ++i)
        table.push_back(Pattern(i));
    {
        TableWarmer warmer;
        warmer.add(table.data(), table.capacity());
        warmer.start();
        for (std::size_t i = table.size(); i < Count; ++i)
            table.push_back(Pattern(i));
        warmer.finish();
        warmer.finish(); // a second finish is harmless, as is the destructor's
    }
    ASSERT_EQ(table.size(), Count);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < Count; ++i)
        wrong += table[i] != Pattern(i);
    EXPECT_EQ(wrong, 0u);
}

TEST(TableWarmer, StopsEarlyAndDoesNothingForSmallRoom) {
    std::vector<char> small(4096);
    TableWarmer idle;
    idle.add(small.data(), small.size());
    idle.start(); // too little room for a thread
    idle.finish();

    std::vector<char> big;
    big.reserve(std::size_t{256} << 20);
    TableWarmer stopped;
    stopped.add(big.data(), big.capacity());
    stopped.start();
    stopped.finish(); // does not wait for 256 MB to be faulted in
    SUCCEED();
}

} // namespace
} // namespace orvanta

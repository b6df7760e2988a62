// Room for the records a pass is about to append, made in one step.
//
// A pass that knows (or can bound cheaply) how many records it appends makes room for them
// before it starts, so a table of millions of records is not moved again and again as it grows.
// Growing by at least half the capacity keeps a run of passes, each making room for a little,
// from moving the table once per pass.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include <sys/mman.h>

namespace orvanta {

// Asks the kernel to back the whole 2 MiB pieces of [begin, end) with large pages when they are
// first written. Filling a table of a hundred megabytes otherwise takes tens of thousands of
// page faults, which cost as much as reading the file. Only a hint: nothing depends on it.
inline void PreferLargePages(const void* begin, const void* end) {
#ifdef MADV_HUGEPAGE
    constexpr std::uintptr_t Large = std::uintptr_t{2} << 20;
    const auto from = (reinterpret_cast<std::uintptr_t>(begin) + Large - 1) & ~(Large - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(end) & ~(Large - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

// Reserves room for `capacity` records in memory that prefers large pages. The records there are
// moved into it only once it does: reserve() would write them into small pages first, one fault
// per 4 KiB.
template <class Record> void ReserveRoom(std::vector<Record>& table, std::size_t capacity) {
    if (capacity <= table.capacity()) return;
    std::vector<Record> grown;
    grown.reserve(capacity);
    PreferLargePages(grown.data(), grown.data() + grown.capacity());
    grown.insert(grown.end(), std::make_move_iterator(table.begin()),
                 std::make_move_iterator(table.end()));
    table.swap(grown);
}

// The capacity a table of `capacity` grows to when it needs room for `needed` records.
inline std::size_t GrownCapacity(std::size_t capacity, std::size_t needed) {
    return std::max(needed, capacity + capacity / 2);
}

template <class Record> void ReserveMore(std::vector<Record>& table, std::size_t extra) {
    const std::size_t needed = table.size() + extra;
    if (needed <= table.capacity()) return;
    ReserveRoom(table, GrownCapacity(table.capacity(), needed));
}

} // namespace orvanta

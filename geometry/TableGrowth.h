// Room for the records a pass is about to append, made in one step.
//
// A pass that knows (or can bound cheaply) how many records it appends makes room for them
// before it starts, so a table of millions of records is not moved again and again as it grows.
// Growing by at least half the capacity keeps a run of passes, each making room for a little,
// from moving the table once per pass.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace orvanta {

// The capacity a table of `capacity` grows to when it needs room for `needed` records.
inline std::size_t GrownCapacity(std::size_t capacity, std::size_t needed) {
    return std::max(needed, capacity + capacity / 2);
}

template <class Record> void ReserveMore(std::vector<Record>& table, std::size_t extra) {
    const std::size_t needed = table.size() + extra;
    if (needed <= table.capacity()) return;
    table.reserve(GrownCapacity(table.capacity(), needed));
}

} // namespace orvanta

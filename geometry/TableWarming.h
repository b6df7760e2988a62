// Faulting in the reserved room of big tables ahead of the passes that fill it.
//
// Room reserved for millions of records is memory the kernel has not handed out yet: the first
// write to each 4 KB page stops the writer while the kernel finds a page and clears it. For the
// hundreds of megabytes that normalising a large drawing writes, that takes about as long as the
// passes' own work. A TableWarmer has the kernel fault the room in (madvise with
// MADV_POPULATE_WRITE) on a thread of its own, so that this work runs on another core alongside
// the passes. The thread never reads or writes the memory: the tables' contents are not touched,
// and pages the passes reach first are simply skipped. Where the kernel cannot do this (Linux
// before 5.14, other systems), or the room is small, nothing happens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

namespace orvanta {

class TableWarmer {
  public:
    // Less room than this is not worth a thread.
    static constexpr std::size_t MinBytes = std::size_t{16} << 20;

    TableWarmer() = default;
    TableWarmer(const TableWarmer&) = delete;
    TableWarmer& operator=(const TableWarmer&) = delete;
    ~TableWarmer() { finish(); }

    // The storage of `count` records from `first`, which must stay allocated until finish().
    // Ranges are faulted in in the order they are added, each from its far end backwards: the
    // passes fill a range from its start, faulting in what they reach first themselves, and
    // meet the thread where the work is evenly shared. Add them in the order they are filled.
    template <class Record> void add(const Record* first, std::size_t count) {
        addBytes(reinterpret_cast<std::uintptr_t>(first), count * sizeof(Record));
    }

    // Starts faulting in everything added.
    void start();

    // Stops the thread and waits for it.
    void finish();

  private:
    struct Range {
        std::uintptr_t first;
        std::uintptr_t last;
    };
    void addBytes(std::uintptr_t first, std::size_t bytes);
    static void warm(const std::vector<Range>& ranges, const std::stop_token& stop);

    std::vector<Range> ranges_;
    std::size_t bytes_ = 0;
    std::jthread thread_;
};

} // namespace orvanta

#include "geometry/TableWarming.h"

#include <algorithm>
#include <system_error>

#include <sys/mman.h>
#include <unistd.h>

namespace orvanta {

namespace {

// Pages are faulted in in pieces of this size, so that finish() stops the thread soon.
constexpr std::uintptr_t PieceBytes = std::uintptr_t{2} << 20;

std::uintptr_t PageSize() {
    return static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
}

} // namespace

void TableWarmer::addBytes(std::uintptr_t first, std::size_t bytes) {
    // Whole pages inside the range only: the pages at its ends may hold other data.
    const std::uintptr_t page = PageSize();
    const std::uintptr_t begin = (first + page - 1) / page * page;
    const std::uintptr_t end = (first + bytes) / page * page;
    if (end <= begin) return;
    ranges_.push_back({begin, end});
    bytes_ += end - begin;
}

void TableWarmer::warm(const std::vector<Range>& ranges, const std::stop_token& stop) {
#ifdef MADV_POPULATE_WRITE
    for (const Range& range : ranges) {
        for (std::uintptr_t end = range.last; end > range.first;) {
            if (stop.stop_requested()) return;
            const std::uintptr_t begin = end - std::min(PieceBytes, end - range.first);
            // A kernel without the advice refuses it; there is nothing else to do then.
            if (::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE) != 0)
                return;
            end = begin;
        }
    }
#endif
}

void TableWarmer::start() {
#ifdef MADV_POPULATE_WRITE
    if (bytes_ < MinBytes || thread_.joinable()) return;
    try {
        thread_ = std::jthread([ranges = ranges_](std::stop_token stop) { warm(ranges, stop); });
    } catch (const std::system_error&) {
        // Without a thread the passes fault the pages in themselves, as they always could.
    }
#endif
}

void TableWarmer::finish() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

} // namespace orvanta

// Threads kept for the life of the process that draw parts of a picture beside the thread that
// asks for it. Each keeps what it builds between pictures: Qt's font engines and the glyphs they
// rasterise belong to one thread, and a thread started for every picture would build them afresh
// each time.
#pragma once

#include <functional>

namespace orvanta {

// Runs work(0) .. work(count - 1) and returns when all have ended, rethrowing the first failure:
// work(0) on the calling thread, the others on the kept threads (one fewer than the cores,
// started on first use). What no kept thread can take (none could be started, or the machine has
// one core) is done on the calling thread.
void RunOnKeptThreads(unsigned count, const std::function<void(unsigned)>& work);

// Whether the calling thread is one of the kept threads, which may keep their own caches for as
// long as the process runs.
bool OnKeptThread();

} // namespace orvanta

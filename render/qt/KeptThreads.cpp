#include "render/qt/KeptThreads.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace orvanta {

namespace {

thread_local bool keptThread = false;

// The parts of one call that are still to run or running.
struct Batch {
    const std::function<void(unsigned)>* work = nullptr;
    std::vector<std::exception_ptr> failures;
    unsigned unfinished = 0;
};

struct Task {
    Batch* batch;
    unsigned index;
};

class Pool {
  public:
    Pool() {
        const unsigned cores = std::thread::hardware_concurrency();
        for (unsigned i = 1; i < cores; ++i) {
            try {
                std::thread(&Pool::serve, this).detach();
                ++threads_;
            } catch (const std::system_error&) {
                break;
            }
        }
    }

    bool empty() const { return threads_ == 0; }

    // Parts 1 .. count - 1 go to the kept threads; there is at least one.
    void run(unsigned count, const std::function<void(unsigned)>& work) {
        Batch batch;
        batch.work = &work;
        batch.failures.resize(count);
        batch.unfinished = count;
        {
            const std::lock_guard lock(mutex_);
            for (unsigned index = 1; index < count; ++index)
                tasks_.push_back({&batch, index});
        }
        wake_.notify_all();
        perform({&batch, 0});
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return batch.unfinished == 0; });
        lock.unlock();
        for (const std::exception_ptr& failure : batch.failures)
            if (failure) std::rethrow_exception(failure);
    }

  private:
    void perform(Task task) {
        try {
            (*task.batch->work)(task.index);
        } catch (...) {
            task.batch->failures[task.index] = std::current_exception();
        }
        bool last = false;
        {
            const std::lock_guard lock(mutex_);
            last = --task.batch->unfinished == 0;
        }
        if (last) finished_.notify_all();
    }

    // A kept thread's life: it waits for parts and runs them, and is never joined. At the
    // process's end it is still waiting, and what it keeps (its font engines) is never torn
    // down after Qt's own.
    void serve() {
        keptThread = true;
        for (;;) {
            Task task{};
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return !tasks_.empty(); });
                task = tasks_.front();
                tasks_.pop_front();
            }
            perform(task);
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::deque<Task> tasks_;
    unsigned threads_ = 0;
};

Pool& SharedPool() {
    // Never destroyed: its threads wait on it until the process ends.
    static Pool* const pool = new Pool;
    return *pool;
}

} // namespace

void RunOnKeptThreads(unsigned count, const std::function<void(unsigned)>& work) {
    if (count == 0) return;
    // A part that asks for parts of its own does them itself: waiting for the kept threads,
    // which may all be running parts like it, could wait for ever. Without kept threads (one
    // core, or none could be started) every part is the calling thread's.
    if (count == 1 || keptThread || SharedPool().empty()) {
        for (unsigned index = 0; index < count; ++index)
            work(index);
        return;
    }
    SharedPool().run(count, work);
}

bool OnKeptThread() {
    return keptThread;
}

} // namespace orvanta

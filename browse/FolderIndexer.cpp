#include "browse/FolderIndexer.h"

#include "browse/FolderScan.h"
#include "load/DrawingTexts.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace orvanta {

namespace fs = std::filesystem;

namespace {

void ListFolder(const std::string& folder, std::vector<IndexedFile>& files) {
    for (const DrawingFile& file : ScanDrawingFolder(folder).files) {
        IndexedFile& f = files.emplace_back();
        f.path = (fs::path(folder) / file.name).string();
        f.size = file.size;
        // To the nanosecond where the file system keeps it, so that a drawing saved twice in a
        // second with the same size is still seen to change.
        std::error_code error;
        const auto written = fs::last_write_time(f.path, error);
        f.modified =
            error ? static_cast<std::int64_t>(file.modified)
                  : std::chrono::duration_cast<std::chrono::nanoseconds>(written.time_since_epoch())
                        .count();
    }
}

// What one worker made of one drawing; `loaded` is false for DWG content nobody converted.
struct ReadDrawing {
    IndexedDrawing drawing;
    bool loaded = true;
};

ReadDrawing Read(const IndexedFile& file, const LoadOptions& options) {
    ReadDrawing out;
    out.drawing.file = file;
    const LoadedDrawing loaded = LoadDrawingFile(file.path, options);
    switch (loaded.outcome) {
    case LoadOutcome::Loaded:
        out.drawing.texts = CollectDrawingTexts(loaded, fs::path(file.path).filename().string());
        break;
    case LoadOutcome::NotLoaded:
        out.loaded = false;
        break;
    case LoadOutcome::Failed:
        out.drawing.file.failed = true;
        out.drawing.file.reason = loaded.failure.message();
        break;
    }
    return out;
}

} // namespace

std::vector<IndexedFile> ListDrawingFiles(const SearchScope& scope) {
    std::vector<IndexedFile> files;
    ListFolder(scope.folder, files);
    if (scope.subfolders) {
        std::error_code error;
        fs::recursive_directory_iterator it(scope.folder,
                                            fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            std::error_code kind;
            if (it->is_directory(kind) && !it->is_symlink(kind)) ListFolder(it->path(), files);
        }
    }
    std::sort(files.begin(), files.end(),
              [](const IndexedFile& a, const IndexedFile& b) { return a.path < b.path; });
    return files;
}

FolderIndexOutcome
UpdateFolderIndex(TextIndex& index, const FolderIndexRequest& request,
                  const std::function<bool(const FolderIndexProgress&)>& progress) {
    FolderIndexOutcome outcome;
    const std::vector<IndexedFile> present = ListDrawingFiles(request.scope);
    outcome.drawings = present.size();

    std::map<std::string, IndexedFile> indexed;
    for (IndexedFile& file : index.files(request.scope))
        indexed.emplace(file.path, file);
    std::vector<IndexedFile> toRead;
    for (const IndexedFile& file : present) {
        const auto found = indexed.find(file.path);
        if (found != indexed.end()) {
            const bool same =
                found->second.size == file.size && found->second.modified == file.modified;
            indexed.erase(found);
            if (same) {
                ++outcome.unchanged;
                continue;
            }
        }
        toRead.push_back(file);
    }
    std::vector<std::string> gone;
    for (const auto& [path, file] : indexed)
        gone.push_back(path);
    outcome.removed = gone.size();

    FolderIndexProgress state;
    state.total = toRead.size();
    if (progress && !progress(state)) {
        outcome.stopped = true;
        return outcome;
    }
    if (toRead.empty()) {
        if (!gone.empty()) index.update({}, gone);
        return outcome;
    }

    // Workers read the drawings in list order; this thread stores them in batches, so that the
    // index is written by one connection and a long run keeps what it has read when stopped.
    std::atomic<bool> stop{false};
    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<ReadDrawing> queue;
    int running = request.jobs > 0
                      ? request.jobs
                      : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    running = std::min<int>(running, static_cast<int>(toRead.size()));
    std::vector<std::thread> workers;
    for (int i = 0, jobs = running; i < jobs; ++i)
        workers.emplace_back([&] {
            // The nice value of this thread alone (Linux keeps one per thread).
            if (request.background) setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
            StopSink sink(&stop);
            LoadOptions options = request.load;
            options.progress = &sink;
            for (;;) {
                const std::size_t at = next.fetch_add(1);
                if (at >= toRead.size() || stop.load()) break;
                ReadDrawing read;
                try {
                    read = Read(toRead[at], options);
                } catch (const SilentAbort&) {
                    break;
                } catch (const std::bad_alloc&) {
                    read.drawing.file = toRead[at];
                    read.drawing.file.failed = true;
                    LoadFailure failure{toRead[at].path, 0, LoadProblem::NotEnoughMemory};
                    read.drawing.file.reason = failure.message();
                }
                std::lock_guard lock(mutex);
                queue.push_back(std::move(read));
                ready.notify_one();
            }
            std::lock_guard lock(mutex);
            --running;
            ready.notify_one();
        });

    std::vector<IndexedDrawing> batch;
    std::size_t batchTexts = 0;
    auto lastWrite = std::chrono::steady_clock::now();
    const auto write = [&] {
        if (batch.empty() && gone.empty()) return;
        index.update(batch, gone);
        batch.clear();
        gone.clear();
        batchTexts = 0;
        lastWrite = std::chrono::steady_clock::now();
    };
    try {
        for (;;) {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return !queue.empty() || running == 0; });
            if (queue.empty()) break;
            ReadDrawing read = std::move(queue.front());
            queue.pop_front();
            lock.unlock();

            ++state.done;
            state.current = read.drawing.file.path;
            if (read.loaded) {
                ++outcome.read;
                if (read.drawing.file.failed) ++outcome.failed;
                batchTexts += read.drawing.texts.size();
                batch.push_back(std::move(read.drawing));
            }
            // Batches keep transactions few, and a second writer waits at most about a second.
            if (batch.size() >= 200 || batchTexts >= 200000 ||
                std::chrono::steady_clock::now() - lastWrite > std::chrono::seconds(1))
                write();
            if (progress && !stop.load() && !progress(state)) {
                stop = true;
                outcome.stopped = true;
            }
        }
        write();
    } catch (...) {
        stop = true;
        for (std::thread& worker : workers)
            worker.join();
        throw;
    }
    for (std::thread& worker : workers)
        worker.join();
    return outcome;
}

} // namespace orvanta

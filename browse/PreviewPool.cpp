#include "browse/PreviewPool.h"

#include "render/qt/QtCanvas.h"

#include <algorithm>

namespace orvanta {

PreviewPool::PreviewPool(QStringList paths, QSize size, ColorModeValue colorMode, int jobs,
                         Ready ready, std::string sheet,
                         std::shared_ptr<const FileEncodings> encodings)
    : paths_(std::move(paths)), size_(size), colorMode_(colorMode), sheet_(std::move(sheet)),
      encodings_(std::move(encodings)), ready_(std::move(ready)) {
    if (jobs <= 0) jobs = DefaultJobs();
    jobs = std::max(1, std::min<int>(jobs, std::max<qsizetype>(1, paths_.size())));
    workers_.reserve(jobs);
    for (int i = 0; i < jobs; ++i)
        workers_.emplace_back([this] { work(); });
}

PreviewPool::~PreviewPool() {
    cancel();
    wait();
}

void PreviewPool::cancel() {
    stop_.store(true);
}

void PreviewPool::wait() {
    for (std::thread& worker : workers_)
        if (worker.joinable()) worker.join();
}

int PreviewPool::DefaultJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
}

void PreviewPool::work() {
    // The shaping cache is not safe to share: each worker keeps its own for all its files.
    TextShapeCache shapes;
    for (;;) {
        if (stop_.load()) break;
        const int index = next_.fetch_add(1);
        if (index >= paths_.size()) break;
        PreviewFacts facts;
        const QImage picture = MakePreviewPicture(paths_[index], size_, colorMode_, &facts, &shapes,
                                                  &stop_, sheet_, encodings_);
        if (stop_.load()) break;
        ready_(index, picture, facts);
    }
    done_.fetch_add(1);
}

} // namespace orvanta

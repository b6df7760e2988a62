// Makes the preview pictures of a list of drawings on worker threads, so that a folder of a
// thousand drawings never freezes the window. Each worker loads one file at a time into its own
// drawing and has its own text shaping cache; the core keeps no state between loads.
#pragma once

#include "browse/PreviewPicture.h"

#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvanta {

class PreviewPool {
  public:
    // Called on a worker thread for each finished picture, in no fixed order.
    using Ready = std::function<void(int index, const QImage& picture, const PreviewFacts& facts)>;

    // Starts making the pictures of `paths` (pictures of `size`, `colorMode` as for
    // MakePreviewPicture, showing `sheet` of each drawing) on `jobs` threads (DefaultJobs() when 0
    // or less). Files are taken in list order, so the first cells come first.
    PreviewPool(QStringList paths, QSize size, ColorModeValue colorMode, int jobs, Ready ready,
                std::string sheet = "saved",
                std::shared_ptr<const FileEncodings> encodings = nullptr);
    // Stops the work (a load under way is given up at its next progress step) and waits for it.
    ~PreviewPool();
    PreviewPool(const PreviewPool&) = delete;
    PreviewPool& operator=(const PreviewPool&) = delete;

    // Asks the workers to stop; no picture is reported after this returns... except one whose
    // report was already under way, so receivers check their own generation as well.
    void cancel();
    // Waits until every picture has been reported or the work was stopped.
    void wait();
    bool finished() const { return done_.load() == static_cast<int>(workers_.size()); }

    // One worker per processor.
    static int DefaultJobs();

  private:
    void work();

    const QStringList paths_;
    const QSize size_;
    const ColorModeValue colorMode_;
    const std::string sheet_;
    const std::shared_ptr<const FileEncodings> encodings_;
    const Ready ready_;
    std::atomic<int> next_{0};
    std::atomic<int> done_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> workers_;
};

} // namespace orvanta

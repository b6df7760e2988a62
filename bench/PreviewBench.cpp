// Times the preview pictures of a folder of 1,000 drawings of mixed sizes: first the worker pool
// alone, then the window's grid, measuring how late the window answers while the grid is built.
//
//   bench_previews [FILES [JOBS]]
//
// The folder is written once into the temporary folder and kept for the next run.
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/PreviewGrid.h"
#include "bench/BenchDrawing.h"
#include "bench/PrintedDialogs.h"
#include "browse/PreviewPool.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace orvanta;
namespace fs = std::filesystem;

namespace {

using bench::PrintedDialogs;

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int jobs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 0;
    const fs::path folder = bench::MixedDrawingFolder(count, ORVANTA_SOURCE_DIR "/samples");
    long long bytes = 0;
    QStringList paths;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        paths << QString::fromStdString(name);
        bytes += static_cast<long long>(fs::file_size(name));
    }
    std::printf("folder: %lld drawings, %.1f MB, %d workers\n",
                static_cast<long long>(paths.size()), bytes / 1e6,
                jobs > 0 ? jobs : PreviewPool::DefaultJobs());

    // The pool alone, as orvanta-cli previews runs it.
    {
        QElapsedTimer timer;
        timer.start();
        std::atomic<int> made{0};
        PreviewPool pool(paths, PreviewPictureSize({200, 160}), ColorModeColor, jobs,
                         [&](int, const QImage&, const PreviewFacts& facts) {
                             if (facts.failure.isEmpty()) ++made;
                         });
        pool.wait();
        std::printf("pool:   %d pictures in %.3f s (%.2f ms a picture)\n", made.load(),
                    Seconds(timer), Seconds(timer) * 1000 / std::max<qsizetype>(1, paths.size()));
    }

    // The window: the grid is built while a timer every 10 ms stands for the user's input; the
    // time by which each tick comes late is how long an input would wait.
    PrintedDialogs dialogs;
    const fs::path settings = fs::temp_directory_path() / "orvanta-bench-previews" / "bench.ini";
    fs::remove(settings);
    AppEnvironment env;
    env.settingsPath = QString::fromStdString(settings.string());
    env.convertedFolder = QString::fromStdString((folder.parent_path() / "converted").string());
    MainWindow window(env, dialogs);
    window.resize(1280, 800);
    window.show();
    QApplication::processEvents();
    window.tabs()->setCurrentIndex(MainWindow::PreviewTab);
    window.setPreviewJobs(jobs);

    std::vector<double> lateness;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        lateness.push_back(std::max(0.0, Seconds(sinceTick) * 1000 - 10));
        sinceTick.start();
    });
    QElapsedTimer timer;
    timer.start();
    window.showFolder(QString::fromStdString(folder.string()));
    const double scan = Seconds(timer);
    sinceTick.start();
    ticker.start(10);
    window.waitForPreviews();
    ticker.stop();
    const double total = Seconds(timer);
    std::sort(lateness.begin(), lateness.end());
    const auto at = [&](double share) {
        return lateness.empty()
                   ? 0.0
                   : lateness[std::min(lateness.size() - 1,
                                       static_cast<std::size_t>(share * lateness.size()))];
    };
    std::printf("window: %d cells in %.3f s (scan and start %.3f s)\n",
                window.previewGrid()->count(), total, scan);
    std::printf("window answers late by: median %.1f ms, 99th percentile %.1f ms, worst %.1f ms "
                "(%zu ticks)\n",
                at(0.5), at(0.99), lateness.empty() ? 0.0 : lateness.back(), lateness.size());
    return 0;
}

// Opens a generated 100 MB drawing through the window, as a row click does, and prints how long
// the scan, the read and the side panels take. The window runs offscreen; the picture is left to
// the renderer that plugs in later, so the figure is the load without drawing.
// Usage: bench_open [MEGABYTES]; the drawing is made in the temporary folder when missing.
#include "bench/BenchDrawing.h"

#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/SidePanel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

// Any box the window shows is reported and answered at once.
class PrintedDialogs : public orvanta::Dialogs {
  public:
    void message(const QString& text, const QString& caption, Icon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
    QString openFile(const QString&, const QStringList&) override { return {}; }
    void about() override {}
};

} // namespace

int main(int argc, char** argv) {
    using namespace orvanta;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 100;

    const auto folder = std::filesystem::temp_directory_path() / "orvanta-bench-open";
    std::filesystem::create_directories(folder / "drawings");
    const std::string path = (folder / "drawings" / "plan.dxf").string();
    const long long size = bench::WriteMixedDrawing(path, megabytes << 20);
    if (size < 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    AppEnvironment env;
    env.settingsPath = QString::fromStdString((folder / "orvanta.ini").string());
    env.convertedFolder = QString::fromStdString((folder / "converted").string());
    PrintedDialogs dialogs;
    double best = 1e9;
    QString panel3;
    std::size_t texts = 0;
    for (int run = 0; run < 3; ++run) {
        // Each run starts without settings, so that no folder is opened at start-up.
        std::filesystem::remove(folder / "orvanta.ini");
        MainWindow window(env, dialogs);
        window.resize(1280, 800);
        window.show();
        QApplication::processEvents();
        window.tabs()->setCurrentIndex(MainWindow::DetailTab);
        QElapsedTimer timer;
        timer.start();
        window.showFolder(QString::fromStdString((folder / "drawings").string()));
        best = std::min(best, timer.elapsed() / 1000.0);
        panel3 = window.statusText(3);
        texts = window.drawing().TextAry.size();
        window.close();
    }
    std::printf("file            %s (%.1f MB, %zu texts)\n", path.c_str(),
                static_cast<double>(size) / (1 << 20), texts);
    std::printf("scan and open   %.3f s best of 3 (status bar: %s s)\n", best, qPrintable(panel3));
    std::printf("peak memory     %.1f MB\n", bench::PeakMemoryBytes() / 1048576.0);
    return 0;
}

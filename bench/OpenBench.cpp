// What the user waits for in the window, measured through the window itself (offscreen):
//  1. opening a generated 100 MB drawing, from the click on its row to the picture: reading,
//     side panels, normalisation, fitting and rendering, with the same steps timed one by one
//     outside the window for a breakdown;
//  2. wheel steps on a generated drawing of a million entities: each step zooms around the
//     mouse point, shows the last picture scaled at once and then renders the new one; both
//     are timed.
// Usage: bench_open [MEGABYTES [ENTITIES]]; the drawings are made in the temporary folder when
// missing and kept for the next run.
#include "bench/BenchDrawing.h"
#include "bench/PrintedDialogs.h"

#include "app/Dialogs.h"
#include "app/DrawingPresenter.h"
#include "app/FileListPanel.h"
#include "app/MainWindow.h"
#include "browse/DrawingGrid.h"
#include "dxf/DxfReader.h"
#include "load/LoadDrawing.h"
#include "render/DrawDxf.h"
#include "render/qt/BandedDraw.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

using namespace orvanta;

constexpr int WindowWidth = 1280;
constexpr int WindowHeight = 800;

// Any box the window shows is reported and answered at once.
using bench::PrintedDialogs;

double Seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// A window on the detail tab with the real presenter, showing `folder`, whose first drawing is
// small so that the scan itself opens next to nothing.
struct Browser {
    PrintedDialogs dialogs;
    DrawingPresenter presenter;
    std::unique_ptr<MainWindow> window;

    Browser(const AppEnvironment& env, const std::filesystem::path& folder) {
        // Each window starts without settings, so that no folder is opened at start-up.
        std::filesystem::remove(env.settingsPath.toStdString());
        window = std::make_unique<MainWindow>(env, dialogs);
        window->setDetailPresenter(&presenter);
        window->resize(WindowWidth, WindowHeight);
        window->show();
        QApplication::processEvents();
        window->tabs()->setCurrentIndex(MainWindow::DetailTab);
        window->showFolder(QString::fromStdString(folder.string()));
        QApplication::processEvents();
    }
    ~Browser() {
        window->close();
        window.reset();
    }

    // Clicks the row of `name` and waits until the picture is painted; seconds.
    double open(const QString& name) {
        QTableWidget* table = window->fileList()->table();
        const int row = window->fileList()->findRow(name);
        const QPoint at = table->visualRect(table->model()->index(row, 0)).center();
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
        return Seconds(timer);
    }

    // One wheel notch at `pixel` of the picture: seconds until the first picture is painted
    // (the last one scaled), and until the new picture is.
    struct Step {
        double first = 0;
        double full = 0;
    };
    Step wheel(QPoint pixel, int delta) {
        DetailView& view = window->detailView();
        QWheelEvent event(pixel, view.mapToGlobal(QPointF(pixel)), {}, {0, delta}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QElapsedTimer timer;
        timer.start();
        QCoreApplication::sendEvent(&view, &event);
        view.repaint();
        Step step;
        step.first = Seconds(timer);
        while (presenter.renderPending())
            QCoreApplication::processEvents();
        view.repaint();
        step.full = Seconds(timer);
        return step;
    }
};

// The steps of an opening one by one, outside the window, at the detail view's size.
void PrintBreakdown(const std::string& path, QSize picture) {
    Drawing drawing;
    QElapsedTimer timer;
    timer.start();
    ReadDxfFile(drawing, path, nullptr, TextEncoding::Cp932);
    const double read = Seconds(timer);
    timer.restart();
    NormaliseDrawing(drawing);
    const double normalise = Seconds(timer);
    const DrawableCounts counts = CountDrawable(drawing);
    timer.restart();
    DrawingGrid grid;
    grid.build(drawing);
    const double index = Seconds(timer);

    // As the detail view draws it: in bands on every core.
    timer.restart();
    QImage image(picture, QImage::Format_RGB32);
    image.fill(Qt::black);
    TextShapeCache shapes;
    DrawOptions options;
    options.view = WholeDrawingView(drawing, image.width(), image.height());
    options.clipping = Clipping::WholeExtent;
    DrawDxfBanded(drawing, options, image, shapes);
    const double render = Seconds(timer);
    std::printf("  read          %.3f s\n", read);
    std::printf("  normalise     %.3f s (%zu lines, %zu circles, %zu arcs, %zu texts)\n", normalise,
                counts.lines, counts.circles, counts.arcs, counts.texts);
    std::printf("  grid          %.3f s\n", index);
    std::printf("  render        %.3f s (%d x %d, whole drawing)\n", render, image.width(),
                image.height());
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const long long megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const long long entities = argc > 2 ? std::atoll(argv[2]) : 1000000;

    const auto root = std::filesystem::temp_directory_path() / "orvanta-bench-open";
    const auto bigFolder = root / "drawings";
    const auto millionFolder = root / ("entities-" + std::to_string(entities));
    std::filesystem::create_directories(bigFolder);
    std::filesystem::create_directories(millionFolder);
    const std::string bigPath = (bigFolder / "plan.dxf").string();
    const std::string millionPath = (millionFolder / "plan.dxf").string();
    const long long bigSize = bench::WriteMixedDrawing(bigPath, megabytes << 20);
    const long long millionSize = bench::WriteMixedDrawingOf(millionPath, entities);
    if (bigSize < 0 || millionSize < 0) {
        std::fprintf(stderr, "cannot write the drawings under %s\n", root.string().c_str());
        return 1;
    }
    // A small drawing listed first, which the scan opens.
    for (const auto& folder : {bigFolder, millionFolder})
        std::ofstream(folder / "0-start.dxf") << "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n"
                                                 " 10\n0\n 20\n0\n 11\n1\n 21\n1\n  0\nENDSEC\n"
                                                 "  0\nEOF\n";

    AppEnvironment env;
    env.settingsPath = QString::fromStdString((root / "orvanta.ini").string());
    env.convertedFolder = QString::fromStdString((root / "converted").string());

    // 1. The row click to the picture.
    double bestOpen = 1e9;
    QString panel3;
    QSize picture;
    for (int run = 0; run < 3; ++run) {
        Browser browser(env, bigFolder);
        bestOpen = std::min(bestOpen, browser.open(QStringLiteral("plan.dxf")));
        panel3 = browser.window->statusText(StatusPanel::Elapsed);
        picture = browser.window->detailView().size();
    }
    std::printf("file            %s (%.1f MB)\n", bigPath.c_str(),
                static_cast<double>(bigSize) / (1 << 20));
    std::printf("row click to picture  %.3f s best of 3 (status bar: %s s)\n", bestOpen,
                qPrintable(panel3));
    PrintBreakdown(bigPath, picture);

    // 2. Wheel steps on the million-entity drawing, around a point off the centre.
    {
        Browser browser(env, millionFolder);
        const double open = browser.open(QStringLiteral("plan.dxf"));
        const DrawableCounts counts = CountDrawable(browser.window->drawing());
        std::printf("file            %s (%.1f MB, %lld entities)\n", millionPath.c_str(),
                    static_cast<double>(millionSize) / (1 << 20), entities);
        std::printf("  opened in     %.3f s (%zu lines, %zu circles, %zu arcs, %zu texts)\n", open,
                    counts.lines, counts.circles, counts.arcs, counts.texts);
        // The user looks at the picture before turning the wheel; the presenter builds its grid
        // meanwhile.
        QTest::qWait(500);
        const QSize size = browser.window->detailView().size();
        const QPoint at(size.width() * 2 / 5, size.height() * 3 / 5);
        std::vector<double> in, out, first;
        double whole = 0;
        const auto wheel = [&](int delta) {
            const Browser::Step step = browser.wheel(at, delta);
            first.push_back(step.first);
            return step.full;
        };
        for (int round = 0; round < 3; ++round) {
            for (int step = 0; step < 8; ++step)
                in.push_back(wheel(120));
            for (int step = 0; step < 8; ++step)
                out.push_back(wheel(-120));
            // From the whole drawing one step further out: everything in view, tested one by one.
            whole = std::max(whole, wheel(-120));
            wheel(120);
        }
        std::vector<double> all = in;
        all.insert(all.end(), out.begin(), out.end());
        std::printf("first frame     median %.3f s, slowest %.3f s (the last picture scaled)\n",
                    Median(first), *std::max_element(first.begin(), first.end()));
        std::printf("wheel step      median %.3f s, slowest %.3f s over %zu steps (%d x %d)\n",
                    Median(all), *std::max_element(all.begin(), all.end()), all.size(),
                    size.width(), size.height());
        std::printf("  zooming in    median %.3f s; out %.3f s; whole drawing and beyond %.3f s\n",
                    Median(in), Median(out), whole);
        // Step by step, the median over the rounds: the first step in shows a quarter of the
        // drawing, the last one 1/65536 of it.
        const auto stepMedian = [](const std::vector<double>& steps, int step) {
            std::vector<double> rounds;
            for (std::size_t i = static_cast<std::size_t>(step); i < steps.size(); i += 8)
                rounds.push_back(steps[i]);
            return Median(rounds);
        };
        std::printf("  step by step  in:");
        for (int step = 0; step < 8; ++step)
            std::printf(" %.3f", stepMedian(in, step));
        std::printf("\n                out:");
        for (int step = 0; step < 8; ++step)
            std::printf(" %.3f", stepMedian(out, step));
        std::printf("\n");
    }
    std::printf("peak memory     %.1f MB\n", bench::PeakMemoryBytes() / 1048576.0);
    return 0;
}

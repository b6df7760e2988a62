// Times a list print of 100 drawings to a PDF file: every drawing loaded, normalised and drawn
// into its cell, 2 columns on A4 portrait (13 pages), as "一覧を印刷" prints them. With --batch,
// times "一括PDF" instead: every DXF file of the folder once, a page each, a layout on its own
// paper at its plot scale and anything else fitted to A4, into one PDF.
//
// usage: bench_print [FOLDER] [--files N] [--runs N] [--batch]
//   FOLDER defaults to ../shared/samples beside the source tree; its DXF files (in subfolders
//   too) are taken in name order, repeated when there are fewer than N (default 100; with
//   --batch, each file once).
#include "output/Printing.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace orvanta;

namespace {

int Batch(const std::string& folder, const std::vector<std::string>& found, int files, int runs) {
    PdfBatchRequest request;
    request.folder = folder;
    for (int i = 0; i < files; ++i)
        request.names.push_back(found[static_cast<std::size_t>(i) % found.size()]);
    request.scale.kind = PrintScaleChoice::Kind::Sheet;
    request.output = (fs::temp_directory_path() / "orvanta-bench-batch.pdf").string();
    std::vector<double> seconds;
    PrintReport report;
    for (int run = 0; run < runs; ++run) {
        SilentPrintMonitor monitor;
        QElapsedTimer timer;
        timer.start();
        report = PrintPdfBatch(request, monitor);
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    std::error_code error;
    std::printf("folder to one PDF, %d drawings: %d pages, %d drawn, %zu failed\n", files,
                report.pages, report.drawn, report.failures.size());
    for (const CellFailure& failure : report.failures)
        std::printf("  failed: %s: %s\n", failure.name.c_str(), failure.reason.c_str());
    std::printf("  best %.2f s, median %.2f s over %d runs; PDF %.1f MB\n", seconds.front(),
                seconds[seconds.size() / 2], runs,
                static_cast<double>(fs::file_size(request.output, error)) / 1e6);
    fs::remove(request.output, error);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::string folder = ORVANTA_SOURCE_DIR "/../shared/samples";
    int files = 100;
    int runs = 3;
    bool batch = false;
    bool filesGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--files") == 0 && i + 1 < argc)
            files = std::max(1, std::atoi(argv[++i])), filesGiven = true;
        else if (std::strcmp(argv[i], "--batch") == 0)
            batch = true;
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            folder = argv[i];
    }
    QGuiApplication app(argc, argv);

    std::vector<std::string> found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (it->is_regular_file() && ext == ".dxf")
            found.push_back(fs::relative(it->path(), folder).string());
    }
    if (found.empty()) {
        std::fprintf(stderr, "bench_print: no DXF files in %s\n", folder.c_str());
        return 1;
    }
    std::sort(found.begin(), found.end());
    if (batch && !filesGiven) files = static_cast<int>(found.size());
    if (batch) return Batch(folder, found, files, runs);
    ListPrintRequest request;
    request.folder = folder;
    for (int i = 0; i < files; ++i)
        request.names.push_back(found[i % found.size()]);

    const std::string out = (fs::temp_directory_path() / "orvanta-bench-print.pdf").string();
    std::vector<double> seconds;
    PrintReport report;
    for (int run = 0; run < runs; ++run) {
        QPdfWriter pdf(QString::fromStdString(out));
        pdf.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        SilentPrintMonitor monitor;
        QElapsedTimer timer;
        timer.start();
        report = PrintAll(pdf, request, monitor);
        seconds.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("list print of %d drawings (%zu distinct) to PDF: %d pages, %d drawn, %zu empty\n",
                files, std::min<std::size_t>(found.size(), files), report.pages, report.drawn,
                report.failures.size());
    std::printf("  best %.2f s, median %.2f s over %d runs; PDF %.1f MB\n", seconds.front(),
                seconds[seconds.size() / 2], runs,
                static_cast<double>(fs::file_size(out, error)) / 1e6);
    fs::remove(out, error);
    return 0;
}

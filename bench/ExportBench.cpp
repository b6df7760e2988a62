// Times the image export of the generated 100 MB drawing (the whole drawing, 1600 x 900, on a
// white background), as the export window and orvanta-cli make it: the picture drawn and encoded
// in memory, then written beside the drawing through a temporary file. Prints the seconds and
// the size of each format; EMF is the one with a goal (under 5 s).
//
// usage: bench_export [DRAWING [MEGABYTES [FORMATS]]], FORMATS a comma-separated choice of
// emf,wmf,bmp,pdf,svg (all by default; SVG takes minutes for a drawing of this size) (the drawing
// is made in the temporary folder when missing and kept for the next run)
#include "bench/BenchDrawing.h"

#include "dxf/DxfReader.h"
#include "load/LoadDrawing.h"
#include "output/ImageExport.h"
#include "render/ViewState.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    using namespace orvanta;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const std::string path =
        argc > 1 ? argv[1]
                 : (std::filesystem::temp_directory_path() / "orvanta-bench-100mb.dxf").string();
    const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 100;
    if (bench::WriteMixedDrawing(path, megabytes << 20) < 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    Drawing drawing;
    ReadDxfFile(drawing, path, nullptr, TextEncoding::Cp932);
    NormaliseDrawing(drawing);
    std::printf("drawing   %s: %zu lines, %zu circles, %zu arcs, %zu texts\n", path.c_str(),
                drawing.LineAry.size(), drawing.CircleAry.size(), drawing.ArcAry.size(),
                drawing.TextAry.size());

    ViewState view;
    FitViewToExtents(view, drawing);
    ImageRequest request = ViewRequest(DrawViewOf(view, view.ViewCenter, 1600, 900), 1600, 900);
    request.options.clipping = Clipping::WholeExtent;
    request.options.backColor = 0xFFFFFF;
    const std::string out =
        (std::filesystem::temp_directory_path() / "orvanta-bench-export").string();
    const struct {
        const char* name;
        ImageFormat format;
    } formats[] = {{"emf", ImageFormat::Emf},
                   {"wmf", ImageFormat::Wmf},
                   {"bmp", ImageFormat::Bmp},
                   {"svg", ImageFormat::Svg},
                   {"pdf", ImageFormat::Pdf}};
    const std::string chosen = argc > 3 ? "," + std::string(argv[3]) + "," : std::string();
    for (const auto& [name, format] : formats) {
        if (!chosen.empty() && chosen.find("," + std::string(name) + ",") == std::string::npos)
            continue;
        double best = 1e9;
        qsizetype bytes = 0;
        const int runs = format == ImageFormat::Emf ? 3 : 1;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray file = EncodeImage(drawing, request, format);
            const QString target = QString::fromStdString(out + "." + name);
            const QString reason = WriteFileReplacing(target, file);
            if (!reason.isEmpty()) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(target), qPrintable(reason));
                return 1;
            }
            best = std::min(best, timer.nsecsElapsed() / 1e9);
            bytes = file.size();
            QFile::remove(target);
        }
        std::printf("%-4s      %.3f s%s, %.1f MB\n", name, best, runs > 1 ? " best of 3" : "",
                    bytes / 1048576.0);
    }
    return 0;
}

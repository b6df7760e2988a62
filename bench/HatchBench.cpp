// Times a full redraw (ClearCanvas and DrawDxf into a 1600 x 900 image through the QPainter
// canvas) of a drawing of 10,000 pattern-filled hatches: rooms of a floor plan, each a rectangle
// with a bulged corner hatched with 45° lines (one family, dashed in every fourth room), read
// from DXF text and normalised as a loaded drawing is. Also prints the normalisation time.
//
// usage: bench_hatch [--hatches N] [--runs N]   (best and median of 7 runs by default)
#include "dxf/DxfReader.h"
#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace orvanta;

constexpr int Width = 1600;
constexpr int Height = 900;

std::string HatchDrawing(int hatches) {
    std::string out = "0\nSECTION\n2\nENTITIES\n";
    const auto pair = [&](int code, const std::string& value) {
        out += std::to_string(code) + "\n" + value + "\n";
    };
    const int columns = 100;
    for (int i = 0; i < hatches; ++i) {
        const double x = (i % columns) * 1200.0, y = (i / columns) * 900.0;
        pair(0, "HATCH");
        pair(8, "HATCH" + std::to_string(i % 7));
        pair(62, std::to_string(1 + i % 7));
        pair(2, "ANSI31");
        pair(70, "0");
        pair(91, "1");
        pair(92, "3");
        pair(72, "1");
        pair(73, "1");
        pair(93, "4");
        const double corners[4][3] = {
            {x, y, 0}, {x + 1000, y, 0.3}, {x + 1000, y + 700, 0}, {x, y + 700, 0}};
        for (const auto& c : corners) {
            pair(10, std::to_string(c[0]));
            pair(20, std::to_string(c[1]));
            pair(42, std::to_string(c[2]));
        }
        pair(75, "1");
        pair(76, "1");
        pair(78, "1");
        pair(53, "45");
        pair(43, "0");
        pair(44, "0");
        pair(45, "-70.71");
        pair(46, "70.71");
        if (i % 4 == 0) {
            pair(79, "2");
            pair(49, "80");
            pair(49, "-20");
        } else {
            pair(79, "0");
        }
    }
    out += "0\nENDSEC\n0\nEOF\n";
    return out;
}

} // namespace

int main(int argc, char** argv) {
    int hatches = 10000, runs = 7;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--hatches")) hatches = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("bench_hatch_" + std::to_string(getpid()) + ".dxf");
    {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        const std::string text = HatchDrawing(hatches);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    Drawing d;
    ReadDxfFile(d, path.string(), nullptr, TextEncoding::Utf8);
    std::filesystem::remove(path);
    QElapsedTimer timer;
    timer.start();
    NormaliseDrawing(d);
    const double normaliseMs = timer.nsecsElapsed() / 1e6;
    std::size_t segments = 0;
    for (const TFillBlk& fill : d.FillAry)
        segments += fill.segments.size() / 2;

    QImage image(Width, Height, QImage::Format_RGB32);
    TextShapeCache shapes;
    DrawOptions options;
    options.view = WholeDrawingView(d, Width, Height);
    options.view.zoom = 0.95;
    options.clipping = Clipping::WholeExtent;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        timer.restart();
        QPainter painter(&image);
        {
            QtCanvas canvas(painter, DefaultTextFace, &shapes);
            ClearCanvas(canvas, Width, Height, ColorBlack);
            DrawDxf(d, options, canvas);
        }
        painter.end();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("hatches %zu, pattern pieces %zu, normalise %.1f ms\n", d.FillAry.size(), segments,
                normaliseMs);
    std::printf("redraw best %.1f ms, median %.1f ms (goal under 300 ms)\n", times.front(),
                times[times.size() / 2]);
    if (const char* out = std::getenv("BENCH_HATCH_PNG")) image.save(out);
    return 0;
}

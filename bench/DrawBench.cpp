// Times a full redraw of the detail view (painter, canvas, ClearCanvas and DrawDxf) into a
// 1600 x 900 image for a generated drawing of one million entities, normalised as a loaded
// drawing is:
//   whole     the whole drawing, without visibility tests (as after opening)
//   zoomed    a tenth of the width and height around the centre, with visibility tests
//   rough     the whole drawing in Rough mode (panning), with visibility tests
//   rough-tenth the zoomed view in Rough mode
//   whole-bands, zoomed-bands  whole and zoomed as the detail view draws them: in bands on every
//               core (cpu is the calling thread's share, all threads every core's)
//   half-bands  half the width and height, in bands, with visibility tests: the first wheel step
//               in, where the detail view still draws the whole model
//   beyond-bands twice the width and height, in bands: the wheel step out of the whole drawing
// The drawing is a site of 200 x 120 m in millimetres: 60 % lines, 12 % arcs, 10 % circles and
// 18 % texts on 40 layers (every fifth dashed). Text heights (20 to 120) make the texts too small
// to show in the whole view and 2 to 12 pixels high in the zoomed one, as on a real plan.
//
// With --texts the drawing holds texts only, as many as entities: two thirds one-line TEXTs,
// a third MTEXT notes of several sentences wrapped at their reference width, which measures what
// laying out and drawing texts costs on its own.
//
// With --sheet the drawing also gets a layout whose sheet (A3 paper, in millimetres) holds ten
// viewports in two rows, each showing a tenth of the site's width at 1:200; the cases sheet and
// sheet-bands draw that sheet whole, as switching from the model to the layout does.
//
// With --image PX the benchmark writes a drawing holding one raster image of PX x PX pixels (a
// scanned plan: black lines on white with a coloured photograph in a corner) beside a DXF that
// places it, as a PNG or, with --jpeg, a JPEG, and times opening it (LoadDrawingFile and the
// first picture, which decodes the file) and then the redraws: the whole image, a tenth of it,
// every pixel of it (1:1), and the whole image in bands.
//
// With --wide N the drawing holds wide polylines only, N segments in all, drawn as their bands.
//
// With --file PATH the cases draw that drawing, loaded as the window loads it, instead.
//
// usage: bench_draw [--entities N] [--runs N] [--case NAME] [--texts] [--sheet]
//                   [--image PX [--jpeg]] [--wide N] [--file PATH] [--size W H]
//   (best and median of 7 runs by default; every case unless one is named)
#include "browse/DrawingGrid.h"
#include "geometry/Layouts.h"
#include "geometry/TextLayout.h"
#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/qt/BandedDraw.h"
#include "render/qt/QtCanvas.h"
#include "render/qt/RasterImages.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <time.h>
#include <vector>

namespace {

using namespace orvanta;

// The picture's size; --size W H sets another, such as the detail view's in bench_open.
int Width = 1600;
int Height = 900;
constexpr double SiteW = 200000;
constexpr double SiteH = 120000;

Drawing MakeDrawing(long entities, bool textsOnly) {
    Drawing d;
    std::mt19937_64 random(20240611);
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    for (int i = 0; i < 40; ++i) {
        TLayer layer;
        layer.Name = "LAYER" + std::to_string(i);
        layer.color = static_cast<std::int16_t>(1 + i * 6 % 255);
        layer.ltype = i % 5 == 0 ? "DASHED" : "CONTINUOUS";
        d.LayerAry.push_back(layer);
    }
    // Texts repeat, as they do on plans: room names, numbers, dimensions.
    std::vector<std::string> strings;
    const char* const words[] = {"居間", "寝室", "No.", "W=", "Φ", "FL+", "部品", "KITCHEN"};
    for (int i = 0; i < 500; ++i)
        strings.push_back(std::string(words[i % 8]) + std::to_string(i * 37 % 1000));

    const long lines = textsOnly ? 0 : entities * 60 / 100;
    const long arcs = textsOnly ? 0 : entities * 12 / 100;
    const long circles = textsOnly ? 0 : entities * 10 / 100;
    const long texts = entities - lines - arcs - circles;
    const auto layerName = [&]() { return "LAYER" + std::to_string(pick(40)); };
    const auto colour = [&]() -> std::int16_t {
        return pick(8) == 0 ? static_cast<std::int16_t>(1 + pick(255)) : ColorByLayer;
    };
    d.LineAry.reserve(static_cast<std::size_t>(lines));
    for (long i = 0; i < lines; ++i) {
        TAcadLineBlk line;
        line.layer = d.name(layerName());
        line.color = colour();
        const double x = uniform(0, SiteW), y = uniform(0, SiteH);
        const double angle = pick(3) == 0 ? uniform(0, 6.28) : pick(4) * 1.5707963267948966;
        const double length = uniform(50, 2000);
        line.st = {x, y, 0};
        line.ed = {x + length * std::cos(angle), y + length * std::sin(angle), 0};
        d.LineAry.push_back(line);
    }
    d.ArcAry.reserve(static_cast<std::size_t>(arcs));
    for (long i = 0; i < arcs; ++i) {
        TArcBlk arc;
        arc.layer = d.name(layerName());
        arc.color = colour();
        arc.center = {uniform(0, SiteW), uniform(0, SiteH), 0};
        arc.hankei = uniform(20, 800);
        arc.st = uniform(0, 360);
        arc.ed = uniform(0, 360);
        d.ArcAry.push_back(arc);
    }
    d.CircleAry.reserve(static_cast<std::size_t>(circles));
    for (long i = 0; i < circles; ++i) {
        TCircleBlk circle;
        circle.layer = d.name(layerName());
        circle.color = colour();
        circle.center = {uniform(0, SiteW), uniform(0, SiteH), 0};
        circle.hankei = uniform(10, 500);
        d.CircleAry.push_back(circle);
    }
    d.TextAry.reserve(static_cast<std::size_t>(texts));
    for (long i = 0; i < texts; ++i) {
        TTextBlk text;
        text.layer = d.name(layerName());
        text.color = colour();
        text.pt10 = {uniform(0, SiteW), uniform(0, SiteH), 0};
        text.code40 = uniform(20, 120);
        text.str = strings[static_cast<std::size_t>(pick(500))];
        if (pick(4) == 0) {
            text.code72 = 1; // centred on its second point
            text.pt11 = text.pt10;
        }
        if (pick(5) == 0) text.code50 = pick(2) == 0 ? 90 : uniform(0, 360);
        if (textsOnly && pick(3) == 0) {
            // A note: sentences of the repeated words, wrapped at eight to twenty heights.
            text.mtflag = true;
            text.code72 = 0;
            text.code50 = 0;
            text.code71 = static_cast<std::int16_t>(1 + pick(9));
            text.code41 = text.code40 * uniform(8, 20);
            text.str.clear();
            const int words = 6 + pick(30);
            for (int w = 0; w < words; ++w) {
                text.str += strings[static_cast<std::size_t>(pick(500))];
                text.str += pick(10) == 0 ? "\\P" : " ";
            }
        }
        d.TextAry.push_back(text);
    }
    // Colours of the records are looked up by the reader; by-layer is resolved here the same way.
    for (auto& r : d.LineAry)
        if (r.color == ColorByLayer) r.color = GetLayerColor(d, r.layer);
    for (auto& r : d.ArcAry)
        if (r.color == ColorByLayer) r.color = GetLayerColor(d, r.layer);
    for (auto& r : d.CircleAry)
        if (r.color == ColorByLayer) r.color = GetLayerColor(d, r.layer);
    for (auto& r : d.TextAry)
        if (r.color == ColorByLayer) r.color = GetLayerColor(d, r.layer);
    NormaliseDrawing(d);
    return d;
}

// Wide polylines only: `segments` segments in polylines of ten, walls and tracks 50 to 400 mm
// wide across the site, every fifth segment bulged and every seventh tapering.
Drawing MakeWideDrawing(long segments) {
    Drawing d;
    std::mt19937_64 random(20261210);
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    d.LayerAry.push_back({"0", 7});
    for (long done = 0; done < segments;) {
        TLwpBlk& header = d.LwpAry.emplace_back();
        header.ihand = static_cast<std::int32_t>(d.LwpAry.size() - 1);
        header.color = static_cast<std::int16_t>(1 + d.LwpAry.size() % 7);
        header.startWidth = header.endWidth = static_cast<float>(uniform(50, 400));
        double x = uniform(0, SiteW), y = uniform(0, SiteH);
        for (int k = 0; k <= 10; ++k) {
            TLwpEle& v = d.LwpEleAry.emplace_back();
            v.ihand = header.ihand;
            v.code10 = {x, y, 0};
            v.code42 = k % 5 == 4 ? 0.3 : 0;
            if (k % 7 == 6) v.endWidth = 0;
            x += uniform(-3000, 3000);
            y += uniform(-3000, 3000);
        }
        done += 10;
    }
    NormaliseDrawing(d);
    return d;
}

// A layout of A3 paper with ten viewports, five across and two down, each 76 x 120 mm showing a
// 20 m wide strip of the site at 1:200.
void AddSheet(Drawing& d) {
    TLayout layout;
    layout.name = "Sheet";
    layout.blockName = "*Paper_Space";
    layout.space = 1;
    layout.code44 = 420;
    layout.code45 = 297;
    d.LayoutAry.push_back(layout);
    for (int k = 0; k < 10; ++k) {
        TViewport v;
        v.space = 1;
        v.code69 = static_cast<std::int16_t>(2 + k);
        v.code68 = 1;
        v.center = {10 + 40 + (k % 5) * 80.0, 20 + 65 + (k / 5) * 130.0, 0};
        v.width = 76;
        v.height = 120;
        v.viewHeight = 120 * 200;
        v.viewCenter = {SiteW * (k + 0.5) / 10, SiteH / 2, 0};
        d.ViewportAry.push_back(v);
    }
    MeasureLayouts(d);
}

// CPU time of this thread: unlike the wall clock it leaves out the time other processes on a
// shared machine take the processor away.
double CpuMs(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double ThreadCpuMs() {
    return CpuMs(CLOCK_THREAD_CPUTIME_ID);
}

// Every thread's, the kept threads' shares included.
double ProcessCpuMs() {
    return CpuMs(CLOCK_PROCESS_CPUTIME_ID);
}

struct Case {
    const char* name;
    double zoomIn;
    bool noClip;
    bool rough;
    bool banded = false;    // as the detail view draws: in bands on every core (no count then)
    std::int16_t space = 0; // a layout's sheet instead of the model
};

void Measure(Drawing& d, const Case& c, int runs, TextShapeCache& shapes, DrawingGrid& grid) {
    ViewState view;
    view.Space = c.space;
    if (c.space != 0 && d.LayoutAry.empty()) return;
    FitViewToExtents(view, d);
    view.DrawWidth /= c.zoomIn;
    view.DrawHeight /= c.zoomIn;
    QImage image(Width, Height, QImage::Format_RGB32);
    std::vector<double> times, cpuTimes, processTimes;
    int count = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        const double cpuStart = ThreadCpuMs();
        const double processStart = ProcessCpuMs();
        timer.start();
        DrawOptions options;
        options.view = DrawViewOf(view, view.ViewCenter, Width, Height);
        // A sheet's viewports draw what the detail view's grid finds near each of them.
        std::vector<std::optional<RecordIndices>> nearViewports(d.ViewportAry.size());
        if (c.space != 0) {
            if (!grid.built()) grid.build(d);
            for (std::size_t i = 0; i < d.ViewportAry.size(); ++i) {
                const std::optional<DrawView> model = ViewportView(d.ViewportAry[i], options.view);
                if (!model) continue;
                const double mu =
                    UnitsPerPixel(model->drawW, model->drawH, model->pixW, model->pixH, 1);
                RecordIndices found;
                if (grid.select(d, ViewWindow(model->center, model->pixW, model->pixH, mu), mu,
                                0.25, found))
                    nearViewports[i] = std::move(found);
            }
            options.viewportRecords = &nearViewports;
        }
        options.clipping = c.noClip ? Clipping::WholeExtent : Clipping::ToView;
        options.detail = c.rough ? Detail::Rough : Detail::Full;
        if (c.banded) {
            image.fill(Qt::black);
            DrawDxfBanded(d, options, image, shapes);
        } else {
            QPainter painter(&image);
            QtCanvas canvas(painter, DefaultTextFace, &shapes);
            ClearCanvas(canvas, Width, Height, ColorBlack);
            count = DrawDxf(d, options, canvas);
        }
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpuTimes.push_back(ThreadCpuMs() - cpuStart);
        processTimes.push_back(ProcessCpuMs() - processStart);
    }
    const double first = times.front();
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    std::sort(processTimes.begin(), processTimes.end());
    std::printf("%-11s %8d drawn  best %6.1f ms  median %6.1f ms  first %6.1f ms  (cpu best %6.1f "
                "ms, all threads %6.1f ms)\n",
                c.name, count, times.front(), times[times.size() / 2], first, cpuTimes.front(),
                processTimes.front());
    if (const char* dir = std::getenv("ORVANTA_BENCH_PICTURES"))
        image.save(QString::fromStdString(std::string(dir) + "/draw-" + c.name + ".png"));
}

// A scan of `px` x `px` pixels in `dir`, and a DXF that places it 1 unit per pixel: returns the
// DXF's path.
std::string WriteImageDrawing(const QString& dir, int px, bool jpeg) {
    QImage scan(px, px, QImage::Format_RGB32);
    scan.fill(Qt::white);
    {
        QPainter p(&scan);
        p.setPen(QPen(Qt::black, std::max(1, px / 2000)));
        for (int i = 0; i < px; i += px / 40)
            p.drawLine(i, 0, px - i, px), p.drawLine(0, i, px, i / 2);
        QLinearGradient sky(0, 0, px / 4.0, px / 4.0);
        sky.setColorAt(0, QColor(40, 90, 200));
        sky.setColorAt(1, QColor(230, 180, 60));
        p.fillRect(QRect(0, 0, px / 4, px / 4), sky);
    }
    const QString picture = dir + (jpeg ? "/scan.jpg" : "/scan.png");
    QImageWriter writer(picture);
    if (jpeg) writer.setQuality(85);
    writer.write(scan);
    const std::string dxf = (dir + "/scan.dxf").toStdString();
    const std::string size = std::to_string(px);
    std::string text = "0\nSECTION\n2\nENTITIES\n0\nIMAGE\n5\n80\n8\n0\n10\n0\n20\n0\n30\n0\n"
                       "11\n1\n21\n0\n31\n0\n12\n0\n22\n1\n32\n0\n13\n" +
                       size + "\n23\n" + size +
                       "\n340\n81\n70\n7\n280\n0\n0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n0\n"
                       "IMAGEDEF\n5\n81\n1\n" +
                       (jpeg ? "scan.jpg" : "scan.png") + "\n10\n" + size + "\n20\n" + size +
                       "\n0\nENDSEC\n0\nEOF\n";
    FILE* out = std::fopen(dxf.c_str(), "w");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    return dxf;
}

// Opening a drawing with one large image, then redrawing it.
int MeasureImage(int px, bool jpeg, int runs) {
    QTemporaryDir dir;
    const std::string dxf = WriteImageDrawing(dir.path(), px, jpeg);
    const QFileInfo file(dir.path() + (jpeg ? "/scan.jpg" : "/scan.png"));
    std::printf("one %d x %d image, %s of %.1f MB; %d x %d view\n", px, px, jpeg ? "JPEG" : "PNG",
                file.size() / 1e6, Width, Height);
    TextShapeCache shapes;
    QImage image(Width, Height, QImage::Format_RGB32);
    const auto draw = [&](Drawing& d, double zoomIn, bool banded, bool wait = true) {
        ViewState view;
        FitViewToExtents(view, d);
        view.DrawWidth /= zoomIn;
        view.DrawHeight /= zoomIn;
        DrawOptions options;
        options.view = DrawViewOf(view, view.ViewCenter, Width, Height);
        options.waitForPictures = wait;
        if (banded) {
            image.fill(Qt::black);
            DrawDxfBanded(d, options, image, shapes);
            return;
        }
        QPainter painter(&image);
        QtCanvas canvas(painter, DefaultTextFace, &shapes);
        ClearCanvas(canvas, Width, Height, ColorBlack);
        DrawDxf(d, options, canvas);
    };
    // Opening: the load and the first picture, the file decoded afresh each time.
    std::vector<double> opens;
    LoadedDrawing loaded;
    for (int run = 0; run < std::max(1, runs / 2); ++run) {
        RasterImageCache::Shared().clear();
        QElapsedTimer timer;
        timer.start();
        loaded = LoadDrawingFile(dxf);
        draw(loaded.drawing, 1, false);
        opens.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(opens.begin(), opens.end());
    std::printf("%-11s best %7.1f ms  median %7.1f ms  (load and first picture)\n", "open",
                opens.front(), opens[opens.size() / 2]);
    // As the window opens it: the first picture shows the image's frame while the file is
    // decoded beside it, and the picture is drawn again once it is.
    std::vector<double> windowOpens, shown;
    std::atomic<bool> decoded{false};
    RasterImageCache::Shared().setDecodedListener([&decoded] { decoded = true; });
    for (int run = 0; run < std::max(1, runs / 2); ++run) {
        RasterImageCache::Shared().clear();
        decoded = false;
        QElapsedTimer timer;
        timer.start();
        loaded = LoadDrawingFile(dxf);
        draw(loaded.drawing, 1, true, false);
        windowOpens.push_back(timer.nsecsElapsed() / 1e6);
        while (!decoded)
            QThread::msleep(1);
        draw(loaded.drawing, 1, true, false);
        shown.push_back(timer.nsecsElapsed() / 1e6);
    }
    RasterImageCache::Shared().setDecodedListener({});
    std::sort(windowOpens.begin(), windowOpens.end());
    std::sort(shown.begin(), shown.end());
    std::printf("%-11s best %7.1f ms  median %7.1f ms  (the window's first picture, its frame)\n",
                "window", windowOpens.front(), windowOpens[windowOpens.size() / 2]);
    std::printf("%-11s best %7.1f ms  median %7.1f ms  (until the image shows in it)\n", "decoded",
                shown.front(), shown[shown.size() / 2]);
    const auto redraw = [&](const char* name, double zoomIn, bool banded) {
        draw(loaded.drawing, zoomIn, banded); // the copy this view needs, made once
        const std::size_t decodes = RasterImageCache::Shared().decodes();
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            draw(loaded.drawing, zoomIn, banded);
            times.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("%-11s best %7.1f ms  median %7.1f ms  (decodes while redrawing: %zu)\n", name,
                    times.front(), times[times.size() / 2],
                    RasterImageCache::Shared().decodes() - decodes);
        if (const char* pictures = std::getenv("ORVANTA_BENCH_PICTURES"))
            image.save(QString::fromStdString(std::string(pictures) + "/image-" + name + ".png"));
    };
    redraw("whole", 1, false);
    redraw("tenth", 10, false);
    redraw("one-to-one", px / static_cast<double>(Width), false);
    redraw("whole-bands", 1, true);
    std::printf("decodes in all: %zu\n", RasterImageCache::Shared().decodes());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    long entities = 1000000;
    int runs = 7;
    std::string only;
    bool textsOnly = false;
    bool sheet = false;
    int imagePixels = 0;
    bool jpeg = false;
    long wideSegments = 0;
    std::string file;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--entities") == 0 && i + 1 < argc)
            entities = std::max(1L, std::atol(argv[++i]));
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (std::strcmp(argv[i], "--texts") == 0)
            textsOnly = true;
        else if (std::strcmp(argv[i], "--sheet") == 0)
            sheet = true;
        else if (std::strcmp(argv[i], "--image") == 0 && i + 1 < argc)
            imagePixels = std::max(16, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--jpeg") == 0)
            jpeg = true;
        else if (std::strcmp(argv[i], "--wide") == 0 && i + 1 < argc)
            wideSegments = std::max(1L, std::atol(argv[++i]));
        else if (std::strcmp(argv[i], "--file") == 0 && i + 1 < argc)
            file = argv[++i];
        else if (std::strcmp(argv[i], "--size") == 0 && i + 2 < argc) {
            Width = std::max(1, std::atoi(argv[++i]));
            Height = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: bench_draw [--entities N] [--runs N] [--case NAME] "
                                 "[--texts] [--sheet] [--image PX [--jpeg]] [--wide N] "
                                 "[--file PATH] [--size W H]\n");
            return 2;
        }
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    if (const std::string problem = TextFaceProblem(); !problem.empty())
        std::fprintf(stderr, "%s\n", problem.c_str());
    if (imagePixels > 0) return MeasureImage(imagePixels, jpeg, runs);

    const auto start = std::chrono::steady_clock::now();
    LoadedDrawing loaded;
    if (!file.empty()) {
        loaded = LoadDrawingFile(file);
        if (loaded.outcome == LoadOutcome::Failed) {
            std::fprintf(stderr, "%s\n", loaded.failure.message().c_str());
            return 1;
        }
    }
    Drawing d = !file.empty()      ? std::move(loaded.drawing)
                : wideSegments > 0 ? MakeWideDrawing(wideSegments)
                                   : MakeDrawing(entities, textsOnly);
    if (sheet) AddSheet(d);
    std::printf("drawing of %ld entities (lines %zu, arcs %zu, circles %zu, texts %zu) made and "
                "normalised in %.1f s\n",
                entities, d.LineAry.size(), d.ArcAry.size(), d.CircleAry.size(), d.TextAry.size(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    std::printf("%d x %d image, painter + canvas + ClearCanvas + DrawDxf, %d runs\n", Width, Height,
                runs);

    if (textsOnly) {
        // Laying every text out, on its own: what a redraw spends on wrapping and placing.
        const auto layoutStart = std::chrono::steady_clock::now();
        std::size_t runs = 0;
        for (const TTextBlk& text : d.TextAry)
            runs += LayoutText(text).runs.size();
        std::printf("layout of all %zu texts: %.1f ms (%zu runs)\n", d.TextAry.size(),
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                              layoutStart)
                        .count(),
                    runs);
    }

    // The detail view keeps one shape cache for all its redraws.
    TextShapeCache shapes;
    // The grid the detail view builds once after opening; not timed.
    DrawingGrid grid;
    const Case cases[] = {
        {"sheet", 1, true, false, false, 1},
        {"sheet-bands", 1, true, false, true, 1},
        {"whole", 1, true, false},
        {"zoomed", 10, false, false},
        {"rough", 1, false, true},
        {"rough-tenth", 10, false, true},
        {"whole-bands", 1, true, false, true},
        {"zoomed-bands", 10, false, false, true},
        {"half-bands", 2, false, false, true},
        {"beyond-bands", 0.5, true, false, true},
    };
    for (const Case& c : cases) {
        if (only.empty() || only == c.name) Measure(d, c, runs, shapes, grid);
    }
    return 0;
}

#include "render/qt/BandedDraw.h"

#include <QPainter>
#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

namespace orvanta {

namespace {

// Bands thinner than this are not worth a thread: the records are walked once per band.
constexpr int MinBandRows = 64;
// More bands than workers, taken in turn, so that a worker whose bands are empty helps with the
// dense ones.
constexpr int BandsPerWorker = 2;

// `bits` are the picture's pixels, detached beforehand.
void DrawBand(const Drawing& drawing, DrawOptions options, const QImage& image, uchar* bits,
              PictureBand band, const std::string& face) {
    // A QImage over the band's rows of the picture, without a copy.
    QImage rows(bits + static_cast<qsizetype>(band.top) * image.bytesPerLine(), image.width(),
                band.bottom - band.top, image.bytesPerLine(), image.format());
    QPainter painter(&rows);
    QtCanvas canvas(painter, face, nullptr, QRect(0, -band.top, image.width(), image.height()));
    options.band = band;
    options.parts = DrawnParts::Figures;
    DrawDxf(drawing, options, canvas);
    canvas.flush();
}

} // namespace

void DrawDxfBanded(const Drawing& drawing, const DrawOptions& options, QImage& image,
                   TextShapeCache& shapes, const std::string& face, unsigned workers) {
    if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
    workers = std::min<unsigned>(workers, static_cast<unsigned>(image.height() / MinBandRows));
    const auto draw = [&](DrawnParts parts) {
        QPainter painter(&image);
        QtCanvas canvas(painter, face, &shapes);
        DrawOptions whole = options;
        whole.band = {};
        whole.parts = parts;
        DrawDxf(drawing, whole, canvas);
    };
    if (workers <= 1) {
        draw(DrawnParts::Everything);
        return;
    }
    // Detached once here: the bands share the image's memory.
    uchar* const bits = image.bits();
    const int bands = static_cast<int>(workers) * BandsPerWorker;
    const int height = image.height();
    std::atomic<int> next{0};
    std::vector<std::exception_ptr> failures(workers);
    const auto work = [&](unsigned worker) {
        try {
            for (int b = next++; b < bands; b = next++) {
                const PictureBand band{height * b / bands, height * (b + 1) / bands};
                DrawBand(drawing, options, image, bits, band, face);
            }
        } catch (...) {
            failures[worker] = std::current_exception();
            next = bands;
        }
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers; ++w) {
        // Without another thread the bands are drawn by those there are.
        try {
            threads.emplace_back(work, w);
        } catch (const std::system_error&) {
            break;
        }
    }
    work(0);
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure) std::rethrow_exception(failure);
    draw(DrawnParts::Texts);
}

} // namespace orvanta

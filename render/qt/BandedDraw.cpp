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
// Bands per worker, taken in turn. More would let a worker whose bands are empty help with the
// dense ones, but every band walks all the records, and on the million-entity benchmark one
// band per worker came out faster.
constexpr int BandsPerWorker = 1;

// `bits` are the picture's pixels, detached beforehand.
void DrawBand(const Drawing& drawing, DrawOptions options, const QImage& image, uchar* bits,
              PictureBand band, const std::string& face) {
    // A QImage over the picture's pixels, without a copy, of which the canvas draws the band's
    // rows. It is the whole picture rather than the band's rows alone because QPainter lays out
    // what it strokes (the chords of huge arcs, dashes) by the device's rectangle.
    QImage picture(bits, image.width(), image.height(), image.bytesPerLine(), image.format());
    QPainter painter(&picture);
    QtCanvas canvas(painter, face, nullptr,
                    QRect(0, band.top, image.width(), band.bottom - band.top));
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
    // QPainter's stroker lays out the dashes of wide pens by the clip it draws through, so a
    // band would end some dashes a pixel apart from one pass: wide pens (and lineweights, which
    // make them) are drawn in one pass.
    if (workers <= 1 || options.penWidth > 1 || options.lineweights.shown) {
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

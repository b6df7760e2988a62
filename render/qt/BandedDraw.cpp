#include "render/qt/BandedDraw.h"

#include "render/qt/DirectRaster.h"
#include "render/qt/KeptThreads.h"

#include <QPainter>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
              PictureBand band, const std::string& face, DrawnParts parts, TextShapeCache* shapes) {
    // A QImage over the picture's pixels, without a copy, of which the canvas draws the band's
    // rows. It is the whole picture rather than the band's rows alone because QPainter lays out
    // what it strokes (the chords of huge arcs, dashes) by the device's rectangle.
    QImage picture(bits, image.width(), image.height(), image.bytesPerLine(), image.format());
    QPainter painter(&picture);
    QtCanvas canvas(painter, face, shapes,
                    QRect(0, band.top, image.width(), band.bottom - band.top));
    options.band = band;
    options.parts = parts;
    DrawDxf(drawing, options, canvas);
    canvas.flush();
}

// Pixels a picture of one share may have, each share but the first on an image of its own.
constexpr long long MaxSharedPixels = 1 << 24;
// Shares per worker, taken in turn: what a record costs depends on the view (a line of a pixel
// against one across the picture), so shares cut by an estimate of their work come out uneven,
// and a worker that is done with its first share takes the next one left.
constexpr unsigned SharesPerWorker = 2;

// Draws the shares of the model's figures on `workers` threads, the first on `image` and each
// other on an image of its own whose pixels start with alpha 0, which no figure leaves: what a
// share set then replaces what the shares before it left, in their order (LayOver). Returns
// those images, to be laid over the picture band by band.
std::vector<QImage> DrawShares(const Drawing& drawing, const DrawOptions& options, QImage& image,
                               unsigned workers, unsigned shares, const std::string& face) {
    std::vector<QImage> layers(shares - 1);
    for (QImage& layer : layers) {
        layer = QImage(image.size(), image.format());
        if (layer.isNull()) throw std::bad_alloc();
        std::memset(layer.bits(), 0, static_cast<std::size_t>(layer.sizeInBytes()));
    }
    const auto draw = [&](unsigned index) {
        QImage& target = index == 0 ? image : layers[index - 1];
        QPainter painter(&target);
        QtCanvas canvas(painter, face);
        DrawOptions share = options;
        share.band = {};
        share.parts = DrawnParts::Figures;
        share.share = {index, shares};
        DrawDxf(drawing, share, canvas);
        canvas.flush();
    };
    std::atomic<unsigned> next{0};
    RunOnKeptThreads(workers, [&](unsigned) {
        for (unsigned index = next++; index < shares; index = next++)
            draw(index);
    });
    return layers;
}

// The pixels of `from` a share set (alpha not 0) replace those of `to`, four at a time where the
// processor has SSE2 (every x86-64 one): a byte-wise test and copy took twelve times as long.
void LayRowOver(std::uint32_t* to, const std::uint32_t* from, int width) {
    int x = 0;
#ifdef __SSE2__
    for (; x + 4 <= width; x += 4) {
        const __m128i over = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
        const __m128i under = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + x));
        const __m128i unset = _mm_cmpeq_epi32(_mm_srli_epi32(over, 24), _mm_setzero_si128());
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + x),
                         _mm_or_si128(_mm_and_si128(unset, under), _mm_andnot_si128(unset, over)));
    }
#endif
    for (; x < width; ++x)
        if ((from[x] >> 24) != 0) to[x] = from[x];
}

// Lays the shares' images over the rows of `band` of the picture whose pixels are `bits`, in
// their order.
void LayOver(const QImage& image, uchar* bits, const std::vector<QImage>& layers,
             PictureBand band) {
    for (const QImage& layer : layers) {
        for (int y = band.top; y < band.bottom; ++y)
            LayRowOver(reinterpret_cast<std::uint32_t*>(bits + y * image.bytesPerLine()),
                       reinterpret_cast<const std::uint32_t*>(layer.constScanLine(y)),
                       image.width());
    }
}

// The texts in bands of rows, each band on a thread of its own, after every figure is on the
// picture: a text blends into what lies under it. A band first lays the shares' `layers` over
// its rows. The calling thread draws with `shapes`, a kept thread with shapes of its own that it
// keeps between pictures.
void DrawTextBands(const Drawing& drawing, const DrawOptions& options, QImage& image,
                   const std::vector<QImage>& layers, TextShapeCache& shapes,
                   const std::string& face, unsigned bands) {
    uchar* const bits = image.bits();
    const long long height = image.height();
    RunOnKeptThreads(bands, [&](unsigned b) {
        const PictureBand band{static_cast<int>(height * b / bands),
                               static_cast<int>(height * (b + 1) / bands)};
        LayOver(image, bits, layers, band);
        if (b == 0) {
            DrawBand(drawing, options, image, bits, band, face, DrawnParts::Texts, &shapes);
        } else if (OnKeptThread()) {
            thread_local TextShapeCache kept;
            DrawBand(drawing, options, image, bits, band, face, DrawnParts::Texts, &kept);
        } else {
            DrawBand(drawing, options, image, bits, band, face, DrawnParts::Texts, nullptr);
        }
    });
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
    // The model's figures on an image the canvas writes directly are shared out by their
    // number, so that each thread reads only its share of the tables; anything else (a sheet,
    // with its viewports' clips) is cut into bands of rows, each of which walks every record.
    const unsigned shares = workers * SharesPerWorker;
    if (options.view.space == 0 && DirectRaster::Supports(image) &&
        static_cast<long long>(image.width()) * image.height() * (shares - 1) <= MaxSharedPixels) {
        const std::vector<QImage> layers =
            DrawShares(drawing, options, image, workers, shares, face);
        DrawTextBands(drawing, options, image, layers, shapes, face, workers);
        return;
    }
    // Detached once here: the bands share the image's memory.
    uchar* const bits = image.bits();
    const int bands = static_cast<int>(workers) * BandsPerWorker;
    const int height = image.height();
    std::atomic<int> next{0};
    RunOnKeptThreads(workers, [&](unsigned) {
        for (int b = next++; b < bands; b = next++) {
            const PictureBand band{height * b / bands, height * (b + 1) / bands};
            DrawBand(drawing, options, image, bits, band, face, DrawnParts::Figures, nullptr);
        }
    });
    DrawTextBands(drawing, options, image, {}, shapes, face, workers);
}

} // namespace orvanta

// The pictures of raster image files, for the canvases over QPainter.
//
// A file is decoded once, while it stays as it is on disk and the cache keeps it, and kept as a
// pyramid of copies each half the size of the one before, made as views ask for them: a view
// takes the smallest copy fine enough for the pixels it covers, so that a 10,000-pixel scan seen
// whole costs the drawing of a screenful, not of the scan. A JPEG is decoded straight at the size
// asked for. One cache serves every canvas of the process (the screen, previews on their
// threads, printing, export), keyed by the file's path, time and size: a drawing opened again,
// or a folder's previews that share a picture, do not decode it again, and a file changed on
// disk is read afresh. Safe to use from any thread.
#pragma once

#include "render/Canvas.h"
#include "render/RasterSource.h"

#include <QImage>
#include <QPainterPath>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QTransform>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace orvanta {

class RasterImageCache {
  public:
    // Bytes of decoded pictures the shared cache keeps; beyond them the pictures used least
    // recently go.
    static constexpr std::size_t DefaultBudget = std::size_t{768} << 20;
    // The most memory one picture may take as it is decoded: a file that claims more (a hostile
    // or damaged one) is refused rather than allowed to exhaust the memory.
    static constexpr int DecodeLimitMiB = 1024;

    // The cache every canvas uses.
    static RasterImageCache& Shared();

    explicit RasterImageCache(std::size_t budget = DefaultBudget);
    ~RasterImageCache();
    RasterImageCache(const RasterImageCache&) = delete;
    RasterImageCache& operator=(const RasterImageCache&) = delete;

    struct Picture {
        QImage image;         // null when the file cannot be read
        QSize fileSize;       // the file's own size in pixels
        double scale = 1;     // the copy's pixels per pixel of the file: 1, 1/2, 1/4, ...
        bool pending = false; // not decoded yet: asked for without waiting
    };
    // The file at `path` for a view in which the picture covers `shown` pixels (its width and
    // height as they land on the device): the smallest copy with at least as many pixels as it
    // covers there, or the file's own size when it covers more. Without `wait`, a file that
    // must be read for it gives a pending picture at once and is decoded on a thread of its
    // own, after which the decoded listener is told.
    Picture picture(const std::string& path, QSizeF shown, bool wait = true);
    // Called, on the decoding thread, each time a file asked for without waiting is decoded
    // (or found unreadable).
    void setDecodedListener(std::function<void()> listener);

    // How many times files were decoded, for the tests and the benchmarks.
    std::size_t decodes() const { return decodes_; }
    // Forgets every picture.
    void clear();

  private:
    struct Entry;
    std::shared_ptr<Entry> entry(const std::string& path);
    void keepWithinBudget();

    std::size_t budget_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<Entry>> entries_;
    std::uint64_t clock_ = 0;
    std::atomic<std::size_t> decodes_{0};
    std::mutex listenerMutex_;
    std::function<void()> listener_;
};

// The picture's colours as `image` asks them shown (ImageTone, brightness, contrast, fade); the
// picture itself when it asks for none of them. Alpha stays as it is.
QImage TonedPicture(const QImage& picture, const CanvasImage& image);

// What of a picture lands in the region `visible` of a canvas whose painter maps the canvas's
// pixels to the device's by `toDevice`: its pixels, toned, at the resolution the device needs,
// and the map from them to the canvas. Pixels that are null when nothing lands there.
struct PicturePart {
    QImage pixels;
    QTransform placed;
    // Whether the pixels are smoothed as they are drawn: not when each covers more than two
    // device pixels, which then show as the squares they are.
    bool smooth = true;
};
// False when the file cannot be read.
bool PartOfPicture(const CanvasImage& image, const QTransform& toDevice, const QRectF& visible,
                   PicturePart& part);

// The picture as it lands on a device without a transformation, for the box `box` of its
// pixels: transparent where the picture does not reach, or lies outside its clip ring or
// `clip`. Null when the file cannot be read. For the targets that clip nothing themselves.
QImage PictureLayer(const CanvasImage& image, const QRect& box, const QPainterPath* clip = nullptr);

// The pictures of the shared cache for the metafile canvases.
class QtRasterSource : public RasterSource {
  public:
    bool render(const CanvasImage& image, int left, int top, int width, int height,
                RasterPixels& out) override;
};

} // namespace orvanta

#include "render/qt/RasterImages.h"

#include <QImageIOHandler>
#include <QImageReader>
#include <QLineF>
#include <QPainter>
#include <QPolygonF>
#include <QString>
#include <QThreadPool>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <map>
#include <vector>

namespace orvanta {

namespace {

// The file's own pixels are kept up to this size; a larger picture keeps its half-size copy and
// those below it, and is decoded again only when a view needs more than half its pixels.
constexpr qsizetype KeepWholeBytes = qsizetype{256} << 20;

QSize LevelSize(QSize full, int level) {
    const auto halve = [level](int v) { return std::max(1, (v + (1 << level) - 1) >> level); };
    return {halve(full.width()), halve(full.height())};
}

// The pixel formats kept as decoded (compact, and drawn by the painter as they are); any other
// becomes 32-bit.
QImage Settled(QImage image) {
    switch (image.format()) {
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
    }
}

QImage Reduced(const QImage& from, QSize size) {
    if (from.size() == size) return from;
    return Settled(from.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

struct RasterImageCache::Entry {
    std::mutex mutex;
    // What identifies the file's content.
    std::int64_t modified = 0;
    std::int64_t bytesOnDisk = 0;
    bool failed = false;
    bool sized = false;
    // The file's own pixels were too many to keep: level 1 stands in for level 0.
    bool wholeDropped = false;
    // A thread is reading the file for a view that would not wait.
    bool decoding = false;
    QSize fileSize;
    // The copies made so far, by level: level k is 2^k times smaller than the file along each
    // side (rounded up).
    std::map<int, QImage> levels;
    std::atomic<std::size_t> bytes{0};
    std::atomic<std::uint64_t> used{0};
};

RasterImageCache& RasterImageCache::Shared() {
    static RasterImageCache cache;
    return cache;
}

RasterImageCache::RasterImageCache(std::size_t budget) : budget_(budget) {}

RasterImageCache::~RasterImageCache() = default;

void RasterImageCache::clear() {
    const std::lock_guard lock(mutex_);
    entries_.clear();
}

std::shared_ptr<RasterImageCache::Entry> RasterImageCache::entry(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    const std::int64_t modified =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    const std::lock_guard lock(mutex_);
    std::shared_ptr<Entry>& found = entries_[path];
    if (!found || found->modified != modified || found->bytesOnDisk != st.st_size) {
        found = std::make_shared<Entry>();
        found->modified = modified;
        found->bytesOnDisk = st.st_size;
    }
    found->used = ++clock_;
    return found;
}

void RasterImageCache::keepWithinBudget() {
    const std::lock_guard lock(mutex_);
    std::size_t total = 0;
    for (const auto& [path, e] : entries_)
        total += e->bytes;
    while (total > budget_ && entries_.size() > 1) {
        auto oldest = entries_.begin();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->second->used < oldest->second->used) oldest = it;
        // The picture in use now stays, whatever it costs.
        if (oldest->second->used == clock_) break;
        total -= oldest->second->bytes;
        entries_.erase(oldest);
    }
}

void RasterImageCache::setDecodedListener(std::function<void()> listener) {
    const std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

RasterImageCache::Picture RasterImageCache::picture(const std::string& path, QSizeF shown,
                                                    bool wait) {
    const std::shared_ptr<Entry> e = entry(path);
    if (!e) return {};
    Picture pending;
    pending.pending = true;
    Picture picture;
    {
        // A file being read holds its entry: a view that will not wait draws without it.
        std::unique_lock lock(e->mutex, std::defer_lock);
        if (wait)
            lock.lock();
        else if (!lock.try_lock())
            return pending;
        if (e->failed) return {};
        if (!e->sized) {
            QImageReader reader(QString::fromStdString(path));
            e->fileSize = reader.size();
            e->sized = true;
        }
        // Every format read here states its size before it is decoded; one that does not is
        // decoded whole to learn it.
        QSize full = e->fileSize;
        // The level whose pixels are no fewer than those the picture covers on the device.
        int level = 0;
        if (full.isValid()) {
            const double scale =
                std::max(shown.width() / full.width(), shown.height() / full.height());
            if (scale > 0 && std::isfinite(scale) && scale < 1)
                level = static_cast<int>(std::floor(std::log2(1 / scale)));
            const int largest = std::max(full.width(), full.height());
            level = std::clamp(level, 0, static_cast<int>(std::log2(largest)));
        }
        if (level == 0 && e->wholeDropped) level = 1;
        auto found = e->levels.find(level);
        if (found == e->levels.end()) {
            QImage made;
            // A finer copy made already gives this one without touching the file.
            if (auto finer = e->levels.lower_bound(level); finer != e->levels.begin()) {
                made = Reduced(std::prev(finer)->second, LevelSize(full, level));
            } else if (!wait) {
                if (!e->decoding) {
                    e->decoding = true;
                    // The global pool is waited for as the application ends.
                    QThreadPool::globalInstance()->start([this, path, shown, e] {
                        this->picture(path, shown, true);
                        {
                            const std::lock_guard done(e->mutex);
                            e->decoding = false;
                        }
                        std::function<void()> told;
                        {
                            const std::lock_guard guard(listenerMutex_);
                            told = listener_;
                        }
                        if (told) told();
                    });
                }
                return pending;
            } else {
                QImageReader reader(QString::fromStdString(path));
                reader.setAllocationLimit(DecodeLimitMiB);
                // A JPEG decoder scales as it decodes, which costs a fraction of the whole; other
                // readers that take a size decode everything and scale after, which the levels
                // below do better.
                const bool scaledRead = level > 0 && full.isValid() && reader.format() == "jpeg" &&
                                        reader.supportsOption(QImageIOHandler::ScaledSize);
                if (scaledRead) reader.setScaledSize(LevelSize(full, level));
                QImage decoded = reader.read();
                ++decodes_;
                if (decoded.isNull()) {
                    e->failed = true;
                    e->levels.clear();
                    e->bytes = 0;
                    return {};
                }
                decoded = Settled(std::move(decoded));
                if (!full.isValid()) {
                    full = e->fileSize = decoded.size();
                    level = 0;
                }
                if (scaledRead || level == 0) {
                    made = decoded;
                } else if (decoded.sizeInBytes() <= KeepWholeBytes) {
                    // The file's own pixels stay while they are not too many.
                    made = Reduced(decoded, LevelSize(full, level));
                    e->levels.emplace(0, std::move(decoded));
                } else {
                    // Otherwise the half-size copy stands in for them, even in a view of every
                    // pixel, so that zooming in never decodes the file again.
                    e->wholeDropped = true;
                    QImage half = Reduced(decoded, LevelSize(full, 1));
                    decoded = QImage();
                    made = level == 1 ? half : Reduced(half, LevelSize(full, level));
                    e->levels.emplace(1, std::move(half));
                }
            }
            found = e->levels.emplace(level, made).first;
            std::size_t bytes = 0;
            for (const auto& [k, copy] : e->levels)
                bytes += static_cast<std::size_t>(copy.sizeInBytes());
            e->bytes = bytes;
        }
        picture = {found->second, full,
                   static_cast<double>(found->second.width()) / std::max(1, full.width())};
    }
    keepWithinBudget();
    return picture;
}

QImage TonedPicture(const QImage& picture, const CanvasImage& image) {
    const bool plain = image.tone == ImageTone::Colour && image.brightness == 50 &&
                       image.contrast == 50 && image.fade == 0;
    if (plain) return picture;
    // Brightness and contrast: a straight line through the middle grey; then a fade towards the
    // background.
    const double contrast = std::clamp(image.contrast, 0, 100) / 50.0;
    const double brightness = (std::clamp(image.brightness, 0, 100) - 50) * 2.55;
    const double fade = std::clamp(image.fade, 0, 100) / 100.0;
    // TColor is 0x00BBGGRR.
    const int back[3] = {static_cast<int>(image.background & 0xFF),
                         static_cast<int>(image.background >> 8 & 0xFF),
                         static_cast<int>(image.background >> 16 & 0xFF)};
    // For red, green and blue, one table from a value to its toned value.
    std::array<std::array<std::uint8_t, 256>, 3> table;
    for (int c = 0; c < 3; ++c) {
        for (int v = 0; v < 256; ++v) {
            const int start = image.tone == ImageTone::Inverted ? 255 - v : v;
            double t = std::clamp((start - 127.5) * contrast + 127.5 + brightness, 0.0, 255.0);
            t += (back[c] - t) * fade;
            table[static_cast<std::size_t>(c)][static_cast<std::size_t>(v)] =
                static_cast<std::uint8_t>(std::lround(t));
        }
    }
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb p = row[x];
            int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (image.tone == ImageTone::Grey) r = g = b = qGray(p);
            row[x] =
                qRgba(table[0][static_cast<std::size_t>(r)], table[1][static_cast<std::size_t>(g)],
                      table[2][static_cast<std::size_t>(b)], qAlpha(p));
        }
    }
    return out;
}

bool PartOfPicture(const CanvasImage& image, const QTransform& toDevice, const QRectF& visible,
                   PicturePart& part) {
    part = {};
    const QPointF origin(image.topLeft.x, image.topLeft.y);
    const QPointF across = QPointF(image.topRight.x, image.topRight.y) - origin;
    const QPointF down = QPointF(image.bottomLeft.x, image.bottomLeft.y) - origin;
    // The pixels the picture covers on the device, along its width and its height.
    const QSizeF shown(QLineF(toDevice.map(origin), toDevice.map(origin + across)).length(),
                       QLineF(toDevice.map(origin), toDevice.map(origin + down)).length());
    if (!std::isfinite(shown.width()) || !std::isfinite(shown.height())) return false;
    const RasterImageCache::Picture picture =
        RasterImageCache::Shared().picture(image.path, shown, image.wait);
    if (picture.image.isNull()) return false;
    const QImage& copy = picture.image;

    // From the copy's pixels to the canvas's.
    const QTransform toCanvas(across.x() / copy.width(), across.y() / copy.width(),
                              down.x() / copy.height(), down.y() / copy.height(), origin.x(),
                              origin.y());
    bool invertible = false;
    const QTransform toCopy = toCanvas.inverted(&invertible);
    // A picture squeezed to a line or a point covers no pixel.
    if (!invertible) return true;
    QRectF region = visible;
    if (!image.clip.empty()) {
        QPolygonF ring;
        for (const TPoint& p : image.clip)
            ring << QPointF(p.x, p.y);
        region &= ring.boundingRect();
    }
    if (region.isEmpty()) return true;
    // Of the copy, only what lands there, with a pixel around it for the smoothing.
    const QRect kept =
        toCopy.mapRect(region).adjusted(-2, -2, 2, 2).toAlignedRect().intersected(copy.rect());
    if (kept.isEmpty()) return true;
    part.pixels = TonedPicture(kept == copy.rect() ? copy : copy.copy(kept), image);
    // Placed from the part's own corner, which lies near the view however far the picture's
    // corner is.
    part.placed = QTransform::fromTranslate(kept.x(), kept.y()) * toCanvas;
    part.smooth = std::max(shown.width() / copy.width(), shown.height() / copy.height()) < 2;
    return true;
}

QImage PictureLayer(const CanvasImage& image, const QRect& box, const QPainterPath* clip) {
    PicturePart part;
    if (!PartOfPicture(image, QTransform(), QRectF(box), part)) return {};
    QImage layer(std::max(1, box.width()), std::max(1, box.height()),
                 QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    if (part.pixels.isNull()) return layer;
    QPainter p(&layer);
    p.translate(-box.topLeft());
    if (clip != nullptr) p.setClipPath(*clip);
    if (!image.clip.empty()) {
        QPolygonF ring;
        for (const TPoint& q : image.clip)
            ring << QPointF(q.x, q.y);
        QPainterPath path;
        path.setFillRule(Qt::OddEvenFill);
        path.addPolygon(ring);
        p.setClipPath(path, clip != nullptr ? Qt::IntersectClip : Qt::ReplaceClip);
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, part.smooth);
    p.setWorldTransform(part.placed, true);
    p.drawImage(QPointF(0, 0), part.pixels);
    p.end();
    return layer;
}

bool QtRasterSource::render(const CanvasImage& image, int left, int top, int width, int height,
                            RasterPixels& out) {
    const QImage layer = PictureLayer(image, QRect(left, top, width, height));
    if (layer.isNull()) return false;
    // Metafile readers ignore alpha: the picture is laid on its background.
    QImage flat(layer.size(), QImage::Format_RGB32);
    const TColor b = image.background;
    flat.fill(QColor(static_cast<int>(b & 0xFF), static_cast<int>(b >> 8 & 0xFF),
                     static_cast<int>(b >> 16 & 0xFF)));
    QPainter p(&flat);
    p.drawImage(0, 0, layer);
    p.end();
    out.width = flat.width();
    out.height = flat.height();
    out.rgb.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
        std::transform(row, row + out.width,
                       out.rgb.begin() + static_cast<std::ptrdiff_t>(y) * out.width,
                       [](QRgb c) { return static_cast<std::uint32_t>(c & 0xFFFFFF); });
    }
    return true;
}

} // namespace orvanta

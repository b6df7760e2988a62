#include "render/metafile/MetafileCanvas.h"

#include "render/Clipping.h"
#include "render/metafile/MetafileFormat.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>

namespace orvanta {

namespace {

// Device pixels per inch of the recorded physical size.
constexpr int PixelsPerInch = 96;
// Logical coordinates a Windows metafile can hold, with room to spare for pen widths; a picture
// wider or taller than WmfPictureLimit is scaled down to it.
constexpr double WmfCoordinateLimit = 32000;
constexpr int WmfPictureLimit = 30000;
// Enhanced metafiles hold 32-bit coordinates, but their readers compute in less: figures are cut
// this far beyond the picture, as the screen canvas cuts them.
constexpr double EmfCoordinateLimit = 1 << 22;
// The most segments one arc beyond the coordinate range becomes.
constexpr int MaxArcSegments = 100000;

int Round(double v) {
    return static_cast<int>(std::lround(v));
}

} // namespace

std::unique_ptr<MetafileCanvas> MetafileCanvas::Create(MetafileKind kind, int width, int height,
                                                       const std::string& face,
                                                       RasterSource* images) {
    std::unique_ptr<MetafileCanvas> canvas(new MetafileCanvas(kind, width, height, face));
    canvas->images_ = images;
    return canvas;
}

bool MetafileCanvas::drawImage(const CanvasImage& image) {
    if (images_ == nullptr || kind_ != MetafileKind::Emf) return false;
    if (clippedAway_) return true;
    // The outline the picture shows within: its clip ring, or its parallelogram.
    std::vector<TPoint> ring = image.clip;
    if (ring.empty()) {
        const PointF& a = image.topLeft;
        const PointF& b = image.topRight;
        const PointF& c = image.bottomLeft;
        for (const auto& [x, y] :
             {std::pair{a.x, a.y}, std::pair{b.x, b.y}, std::pair{b.x + c.x - a.x, b.y + c.y - a.y},
              std::pair{c.x, c.y}})
            ring.push_back({static_cast<std::int32_t>(std::clamp(std::round(x), -limit_, limit_)),
                            static_cast<std::int32_t>(std::clamp(std::round(y), -limit_, limit_))});
    }
    int left = width_, top = height_, right = 0, bottom = 0;
    for (const TPoint& p : ring) {
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width_), bottom = std::min(bottom, height_);
    if (right <= left || bottom <= top) return true;
    RasterPixels pixels;
    if (!images_->render(image, left, top, right - left, bottom - top, pixels)) return false;
    prepareFill();
    format_->pixels(pixels, left, top, ring);
    return true;
}

MetafileCanvas::MetafileCanvas(MetafileKind kind, int width, int height, const std::string& face)
    : kind_(kind), width_(std::max(1, width)), height_(std::max(1, height)) {
    font_ = {face, 16, 0, 0};
    if (kind == MetafileKind::Emf) {
        limit_ = EmfCoordinateLimit;
        format_ = MakeEmfFormat(width_, height_, face);
        return;
    }
    // Scaled by a whole number of logical units per inch, so that the placeable header states
    // the physical size exactly.
    int unitsPerInch = PixelsPerInch;
    const int largest = std::max(width_, height_);
    if (largest > WmfPictureLimit)
        unitsPerInch = std::max(1, PixelsPerInch * WmfPictureLimit / largest);
    scale_ = static_cast<double>(unitsPerInch) / PixelsPerInch;
    limit_ = WmfCoordinateLimit;
    format_ = MakeWmfFormat(std::max(1, Round(width_ * scale_)),
                            std::max(1, Round(height_ * scale_)), unitsPerInch, face);
}

MetafileCanvas::~MetafileCanvas() = default;

void MetafileCanvas::setPen(TColor colour, int width, TPenStyle style) {
    pen_ = {colour & 0xFFFFFF, width, style};
}

void MetafileCanvas::setPenMode(PenMode mode) {
    mode_ = mode;
}

void MetafileCanvas::preparePen() {
    if (recordedPen_ != pen_) {
        const int width = pen_.width <= 0 ? 0 : std::max(1, Round(pen_.width * scale_));
        format_->pen(pen_.colour, width, pen_.style);
        recordedPen_ = pen_;
    }
    if (recordedMode_ != mode_) {
        format_->rasterOperation(mode_);
        recordedMode_ = mode_;
    }
}

void MetafileCanvas::prepareFill() {
    if (recordedMode_ != PenMode::Copy) {
        format_->rasterOperation(PenMode::Copy);
        recordedMode_ = PenMode::Copy;
    }
}

void MetafileCanvas::moveTo(int x, int y) {
    current_ = {x, y};
}

void MetafileCanvas::lineTo(int x, int y) {
    if (clippedAway_) {
        current_ = {x, y};
        return;
    }
    preparePen();
    segment(logical(current_.x), logical(current_.y), logical(x), logical(y));
    current_ = {x, y};
}

void MetafileCanvas::segment(double x0, double y0, double x1, double y1) {
    if (pen_.style == PenClear) return;
    const bool inside =
        std::max({std::abs(x0), std::abs(y0), std::abs(x1), std::abs(y1)}) <= limit_;
    if (!inside) {
        double t0 = 0, t1 = 1;
        if (!ClipParameters(x0, y0, x1, y1, -limit_, -limit_, limit_, limit_, t0, t1)) return;
        const double dx = x1 - x0, dy = y1 - y0;
        const double ax = x0 + t0 * dx, ay = y0 + t0 * dy;
        x1 = x0 + t1 * dx, y1 = y0 + t1 * dy;
        x0 = ax, y0 = ay;
    }
    // Segments that continue where the last one ended (exploded polylines) need no move; no
    // other record of the picture changes the current position.
    const TPoint from{Round(x0), Round(y0)};
    const TPoint to{Round(x1), Round(y1)};
    if (!(recordedPosition_ && *recordedPosition_ == from)) format_->moveTo(from.x, from.y);
    format_->lineTo(to.x, to.y);
    recordedPosition_ = to;
}

void MetafileCanvas::arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) {
    if (clippedAway_ || pen_.style == PenClear) return;
    preparePen();
    const bool whole = xs == xe && ys == ye;
    const double l = logical(left), t = logical(top), r = logical(right), b = logical(bottom);
    if (std::max({std::abs(l), std::abs(t), std::abs(r), std::abs(b)}) <= limit_) {
        if (whole) {
            format_->arc(Round(l), Round(t), Round(r), Round(b), Round(l), Round(t), Round(l),
                         Round(t));
            return;
        }
        int sx = Round(logical(xs)), sy = Round(logical(ys));
        int ex = Round(logical(xe)), ey = Round(logical(ye));
        if (sx == ex && sy == ey) {
            // Two ends that only scaling brought together: the arc is a dot, not the ellipse.
            segment(sx, sy, ex, ey);
            return;
        }
        format_->arc(Round(l), Round(t), Round(r), Round(b), sx, sy, ex, ey);
        return;
    }
    // Beyond the coordinate range: the visible part as a polyline, on the ellipse's parameter.
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const double a = std::abs(r - l) / 2, bb = std::abs(b - t) / 2;
    if (a <= 0 || bb <= 0) return;
    double start = 0, span = 2 * std::numbers::pi;
    if (!whole) {
        const auto parameter = [&](double x, double y) {
            return std::atan2(-(logical(y) - cy) / bb, (logical(x) - cx) / a);
        };
        start = parameter(xs, ys);
        span = parameter(xe, ye) - start;
        while (span <= 0)
            span += 2 * std::numbers::pi;
    }
    arcAsPolyline(cx, cy, a, bb, start, span);
}

void MetafileCanvas::arcAsPolyline(double cx, double cy, double a, double b, double startRad,
                                   double spanRad) {
    // Chords that leave the curve by less than a quarter unit, as far as the cap allows.
    const double radius = std::max(a, b);
    const double step = 2 * std::acos(std::max(-1.0, 1 - 0.25 / radius));
    const int n = std::clamp(static_cast<int>(std::ceil(spanRad / step)), 1, MaxArcSegments);
    double px = cx + a * std::cos(startRad), py = cy - b * std::sin(startRad);
    for (int i = 1; i <= n; ++i) {
        const double u = startRad + spanRad * i / n;
        const double qx = cx + a * std::cos(u), qy = cy - b * std::sin(u);
        // Only segments that can show: the picture and a little beyond.
        double t0, t1;
        if (ClipParameters(px, py, qx, qy, -limit_, -limit_, limit_, limit_, t0, t1))
            segment(px, py, qx, qy);
        px = qx, py = qy;
    }
}

void MetafileCanvas::setPixel(int x, int y, TColor colour) {
    if (clippedAway_) return;
    const double lx = logical(x), ly = logical(y);
    if (std::max(std::abs(lx), std::abs(ly)) > limit_) return;
    format_->pixel(Round(lx), Round(ly), colour & 0xFFFFFF);
}

void MetafileCanvas::fillRect(int left, int top, int right, int bottom, TColor colour) {
    if (clippedAway_ || right <= left || bottom <= top) return;
    const auto cut = [&](int v) { return Round(std::clamp(logical(v), -limit_, limit_)); };
    prepareFill();
    format_->fillRect(cut(left), cut(top), cut(right) - 1, cut(bottom) - 1, colour & 0xFFFFFF);
}

void MetafileCanvas::fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) {
    if (clippedAway_) return;
    const std::vector<std::vector<TPoint>> cut = logicalRings(rings);
    if (cut.empty()) return;
    prepareFill();
    format_->fillRings(cut, colour & 0xFFFFFF);
}

void MetafileCanvas::setClip(const std::vector<std::vector<TPoint>>& rings) {
    const std::vector<std::vector<TPoint>> cut = logicalRings(rings);
    // Nothing inside: the figures are left out rather than clipped away by the reader.
    clippedAway_ = cut.empty();
    if (clippedAway_) return;
    format_->clip(cut);
    clipped_ = true;
    forgetRecordedState();
}

void MetafileCanvas::clearClip() {
    clippedAway_ = false;
    if (!clipped_) return;
    format_->unclip();
    clipped_ = false;
    forgetRecordedState();
}

void MetafileCanvas::forgetRecordedState() {
    recordedMode_.reset();
    recordedPosition_.reset();
    recordedTextColour_.reset();
    recordedTextBack_.reset();
    recordedTransparent_.reset();
}

std::vector<std::vector<TPoint>>
MetafileCanvas::logicalRings(const std::vector<std::vector<TPoint>>& rings) const {
    std::vector<std::vector<TPoint>> cut;
    const int limit = static_cast<int>(limit_);
    for (const std::vector<TPoint>& ring : rings) {
        if (ring.size() < 3) continue;
        std::vector<TPoint> scaled;
        scaled.reserve(ring.size());
        bool inside = true;
        for (const TPoint& p : ring) {
            const double x = logical(p.x), y = logical(p.y);
            // Rounded into a range the clip below can work in without overflow.
            scaled.push_back({static_cast<std::int32_t>(std::clamp(x, -2e9, 2e9)),
                              static_cast<std::int32_t>(std::clamp(y, -2e9, 2e9))});
            inside = inside && std::max(std::abs(x), std::abs(y)) <= limit_;
        }
        std::vector<TPoint> kept =
            inside ? std::move(scaled) : ClipRing(scaled, -limit, -limit, limit, limit);
        if (kept.size() >= 3) cut.push_back(std::move(kept));
    }
    return cut;
}

int MetafileCanvas::textWidth(const std::string& text) {
    if (text.empty() || font_.cellHeight <= 0) return 0;
    double width = 0;
    for (char32_t c : DecodeUtf8(text))
        width += CharacterAdvance(c, font_);
    return Round(width);
}

void MetafileCanvas::textOut(int x, int y, const std::string& text) {
    if (clippedAway_ || text.empty() || font_.cellHeight <= 0) return;
    const double lx = logical(x), ly = logical(y);
    if (std::max(std::abs(lx), std::abs(ly)) > limit_) return;
    const std::u32string characters = DecodeUtf8(text);
    // Each character placed where the canvas's layout puts it: advances rounded from the
    // running sum, so that rounding errors do not add up along the text.
    std::vector<int> advances;
    advances.reserve(characters.size());
    double sum = 0;
    int placed = 0;
    for (char32_t c : characters) {
        sum += CharacterAdvance(c, font_) * scale_;
        const int next = Round(sum);
        advances.push_back(next - placed);
        placed = next;
    }
    if (recordedFont_ != font_) {
        CanvasFont scaled = font_;
        scaled.cellHeight = std::max(1, Round(font_.cellHeight * scale_));
        scaled.averageWidth =
            font_.averageWidth > 0 ? std::max(1, Round(font_.averageWidth * scale_)) : 0;
        format_->font(scaled);
        recordedFont_ = font_;
    }
    if (recordedTextColour_ != textColour_) {
        format_->textColour(textColour_);
        recordedTextColour_ = textColour_;
    }
    if (recordedTransparent_ != transparentText_ ||
        (!transparentText_ && recordedTextBack_ != textBackColour_)) {
        format_->textBackground(transparentText_, textBackColour_);
        recordedTransparent_ = transparentText_;
        recordedTextBack_ = textBackColour_;
    }
    format_->text(Round(lx), Round(ly), characters, advances);
}

std::vector<char> MetafileCanvas::finish() {
    if (finished_) throw std::logic_error("the metafile is already finished");
    finished_ = true;
    return format_->finish();
}

} // namespace orvanta

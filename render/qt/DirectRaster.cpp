#include "render/qt/DirectRaster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>
#include <vector>

namespace orvanta {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

std::uint32_t ToArgb(TColor c) {
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Floor and ceiling of values far inside the range of a 64-bit integer, as every coordinate here
// is. With SSE4.1 they are one instruction each; on the baseline x86-64 instruction set
// std::floor is a library call, and a circle of a few pixels calls it a dozen times.
inline double Floor(double v) {
#ifdef __SSE4_1__
    return std::floor(v);
#else
    const double t = static_cast<double>(static_cast<long long>(v));
    return t > v ? t - 1 : t;
#endif
}

inline double Ceil(double v) {
#ifdef __SSE4_1__
    return std::ceil(v);
#else
    const double t = static_cast<double>(static_cast<long long>(v));
    return t < v ? t + 1 : t;
#endif
}

inline int RoundToInt(double v) {
    return static_cast<int>(Floor(v + 0.5));
}

template <PenMode Mode> inline void Combine(std::uint32_t& p, std::uint32_t colour) {
    if constexpr (Mode == PenMode::Copy)
        p = colour;
    else if constexpr (Mode == PenMode::Not)
        p = ~p | 0xFF000000u;
    else if constexpr (Mode == PenMode::Xor)
        p = ((p ^ colour) & 0xFFFFFFu) | 0xFF000000u;
    else
        p = (~(p ^ colour) & 0xFFFFFFu) | 0xFF000000u;
}

// The pixels a walk may write: left <= x < right, top <= y < bottom.
struct ClipBox {
    long left, top, right, bottom;
};

// Bresenham from (x, y) to (bx, by), both included. With `Checked` every pixel is checked
// against the clip box; a line with both ends inside it needs no check.
template <PenMode Mode, bool Dashed, bool Checked>
void Walk(std::uint32_t* bits, qsizetype stride, const ClipBox& clip, long x, long y, long bx,
          long by, std::uint32_t colour, std::span<const int> dashes, long phase) {
    long patternLength = 0;
    if constexpr (Dashed) {
        for (int run : dashes)
            patternLength += run;
    }
    // Position in the pattern and the run it falls in.
    long position = Dashed ? phase % patternLength : 0;
    std::size_t run = 0;
    long left = Dashed ? dashes[0] : 0;
    if constexpr (Dashed) {
        while (position >= left) {
            position -= left;
            if (++run == dashes.size()) run = 0;
            left = dashes[run];
        }
        left -= position;
    }
    const long sx = x < bx ? 1 : -1;
    const long sy = y < by ? 1 : -1;
    const long ddx = std::labs(bx - x);
    const long ddy = -std::labs(by - y);
    long error = ddx + ddy;
    for (;;) {
        bool on = true;
        if constexpr (Dashed) on = run % 2 == 0;
        if (on &&
            (!Checked || (x >= clip.left && y >= clip.top && x < clip.right && y < clip.bottom)))
            Combine<Mode>(bits[y * stride + x], colour);
        if (x == bx && y == by) break;
        // Rows run one way: past the box's last row in that direction nothing more shows.
        if constexpr (Checked) {
            if ((sy > 0 && y >= clip.bottom) || (sy < 0 && y < clip.top)) break;
        }
        if constexpr (Dashed) {
            if (--left == 0) {
                if (++run == dashes.size()) run = 0;
                left = dashes[run];
            }
        }
        const long e2 = 2 * error;
        if (e2 >= ddy) {
            error += ddy;
            x += sx;
        }
        if (e2 <= ddx) {
            error += ddx;
            y += sy;
        }
    }
}

template <PenMode Mode>
void WalkLine(std::uint32_t* bits, qsizetype stride, const ClipBox& clip, long x, long y, long bx,
              long by, std::uint32_t colour, std::span<const int> dashes, long phase, bool inside) {
    if (inside) {
        if (dashes.empty())
            Walk<Mode, false, false>(bits, stride, clip, x, y, bx, by, colour, {}, 0);
        else
            Walk<Mode, true, false>(bits, stride, clip, x, y, bx, by, colour, dashes, phase);
    } else if (dashes.empty()) {
        Walk<Mode, false, true>(bits, stride, clip, x, y, bx, by, colour, {}, 0);
    } else {
        Walk<Mode, true, true>(bits, stride, clip, x, y, bx, by, colour, dashes, phase);
    }
}

// Rays through the pixels up to this many half pixels from a box's centre either way are kept
// in a table: the ends of most arcs of a big drawing seen whole.
constexpr int TableHalfPixels = 64;
constexpr int TableSide = 2 * TableHalfPixels + 1;

OutlineRay ComputedRay(double dx, double dy) {
    const double angle = std::atan2(-dy, dx);
    return {angle, std::cos(angle), std::sin(angle)};
}

// The table of rays by offset from the centre in half pixels, made on first use.
const std::vector<OutlineRay>& RayTable() {
    static const std::vector<OutlineRay> table = [] {
        std::vector<OutlineRay> rays(static_cast<std::size_t>(TableSide) * TableSide);
        for (int j = 0; j < TableSide; ++j) {
            for (int i = 0; i < TableSide; ++i)
                rays[static_cast<std::size_t>(j) * TableSide + i] =
                    ComputedRay((i - TableHalfPixels) / 2.0, (j - TableHalfPixels) / 2.0);
        }
        return rays;
    }();
    return table;
}

// Where a computed point of a chain is rounded to its pixel: close to a half pixel, the
// rounding is decided from the point worked out exactly as the chain defines it.
constexpr double RoundingGuard = 1e-6;

bool NearHalfPixel(double v) {
    const double shifted = v + 0.5;
    const double fraction = shifted - Floor(shifted);
    return fraction < RoundingGuard || fraction > 1 - RoundingGuard;
}

// The angle of a chord that leaves a circle of `radius` pixels by a quarter pixel.
double ComputedChordStep(double radius) {
    return 2 * std::acos(std::max(-1.0, 1 - 0.25 / radius));
}

// The outlines of boxes of whole pixels have radii of whole and half pixels: the chord angles of
// those up to this many pixels are kept in a table, made on first use.
constexpr int TableRadiusPixels = 512;

double ChordStep(double radius) {
    static const std::vector<double> table = [] {
        std::vector<double> steps(2 * TableRadiusPixels + 1);
        for (std::size_t i = 1; i < steps.size(); ++i)
            steps[i] = ComputedChordStep(static_cast<double>(i) / 2);
        return steps;
    }();
    const double halves = 2 * radius;
    if (halves >= 1 && halves <= 2 * TableRadiusPixels && halves == static_cast<int>(halves))
        return table[static_cast<std::size_t>(halves)];
    return ComputedChordStep(radius);
}

} // namespace

OutlineRay DirectRaster::RayThrough(double cx, double cy, int x, int y) {
    const double dx = x - cx;
    const double dy = y - cy;
    const double i = 2 * dx;
    const double j = 2 * dy;
    if (std::fabs(i) <= TableHalfPixels && std::fabs(j) <= TableHalfPixels &&
        i == static_cast<int>(i) && j == static_cast<int>(j)) {
        return RayTable()[static_cast<std::size_t>(static_cast<int>(j) + TableHalfPixels) *
                              TableSide +
                          static_cast<std::size_t>(static_cast<int>(i) + TableHalfPixels)];
    }
    return ComputedRay(dx, dy);
}

bool DirectRaster::Supports(const QImage& image) {
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return !image.isNull();
    default:
        return false;
    }
}

DirectRaster::DirectRaster(QImage& image, QRect clip)
    // constBits() does not detach: the pixels written are the ones a painter on the image uses.
    : bits_(reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(image.constBits()))),
      width_(image.width()), height_(image.height()), stride_(image.bytesPerLine() / 4) {
    const QRect box = clip.isEmpty() ? image.rect() : clip.intersected(image.rect());
    clipLeft_ = box.left();
    clipTop_ = box.top();
    clipRight_ = box.left() + box.width();
    clipBottom_ = box.top() + box.height();
}

inline void DirectRaster::plot(int x, int y, std::uint32_t colour, PenMode mode) {
    if (x < clipLeft_ || y < clipTop_ || x >= clipRight_ || y >= clipBottom_) return;
    std::uint32_t& p = bits_[y * stride_ + x];
    switch (mode) {
    case PenMode::Copy:
        Combine<PenMode::Copy>(p, colour);
        break;
    case PenMode::Not:
        Combine<PenMode::Not>(p, colour);
        break;
    case PenMode::Xor:
        Combine<PenMode::Xor>(p, colour);
        break;
    case PenMode::NotXor:
        Combine<PenMode::NotXor>(p, colour);
        break;
    }
}

void DirectRaster::pixel(int x, int y, TColor colour, PenMode mode) {
    plot(x, y, ToArgb(colour), mode);
}

void DirectRaster::line(int x0, int y0, int x1, int y1, TColor colour, PenMode mode,
                        std::span<const int> dashes) {
    const std::uint32_t argb = ToArgb(colour);
    // Most lines of a drawing lie on the image and need neither clipping nor checks.
    const auto onImage = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    };
    const bool onBoth = onImage(x0, y0) && onImage(x1, y1);
    const ClipBox clip{clipLeft_, clipTop_, clipRight_, clipBottom_};
    const bool inside = onBoth && x0 >= clipLeft_ && x1 >= clipLeft_ && x0 < clipRight_ &&
                        x1 < clipRight_ && y0 >= clipTop_ && y1 >= clipTop_ && y0 < clipBottom_ &&
                        y1 < clipBottom_;
    // Otherwise only the part that can touch the image is walked, so a line of two billion
    // pixels costs what its visible part costs. The pattern keeps its phase from the true start.
    // The cut is the image's whatever the clip, so that a line sets the same pixels in every
    // band it crosses.
    double t0 = 0, t1 = 1;
    if (!onBoth && !ClipParameters(x0, y0, x1, y1, -1, -1, width_, height_, t0, t1)) return;
    long phase = 0;
    int ax = x0, ay = y0, bx = x1, by = y1;
    if (t0 > 0 || t1 < 1) {
        const double dx = static_cast<double>(x1) - x0;
        const double dy = static_cast<double>(y1) - y0;
        const double major = std::max(std::fabs(dx), std::fabs(dy));
        ax = RoundToInt(x0 + t0 * dx);
        ay = RoundToInt(y0 + t0 * dy);
        bx = RoundToInt(x0 + t1 * dx);
        by = RoundToInt(y0 + t1 * dy);
        phase = static_cast<long>(std::llround(t0 * major));
    }

    switch (mode) {
    case PenMode::Copy:
        WalkLine<PenMode::Copy>(bits_, stride_, clip, ax, ay, bx, by, argb, dashes, phase, inside);
        break;
    case PenMode::Not:
        WalkLine<PenMode::Not>(bits_, stride_, clip, ax, ay, bx, by, argb, dashes, phase, inside);
        break;
    case PenMode::Xor:
        WalkLine<PenMode::Xor>(bits_, stride_, clip, ax, ay, bx, by, argb, dashes, phase, inside);
        break;
    case PenMode::NotXor:
        WalkLine<PenMode::NotXor>(bits_, stride_, clip, ax, ay, bx, by, argb, dashes, phase,
                                  inside);
        break;
    }
}

void DirectRaster::dashedArc(double cx, double cy, double a, double b, double start, double span,
                             bool whole, TColor colour, PenMode mode, std::span<const int> dashes) {
    if (cx + a < clipLeft_ - 1 || cx - a > clipRight_ || cy + b < clipTop_ - 1 ||
        cy - b > clipBottom_)
        return;
    const std::uint32_t argb = ToArgb(colour);
    // Which positions of the pattern are inked.
    std::array<bool, 64> inked{};
    long patternLength = 0;
    for (std::size_t i = 0; i < dashes.size(); ++i) {
        for (int k = 0; k < dashes[i] && patternLength < static_cast<long>(inked.size()); ++k)
            inked[static_cast<std::size_t>(patternLength++)] = i % 2 == 0;
    }
    if (patternLength <= 0) return;

    // Chords short enough to stay within a quarter pixel of the curve.
    const double radius = std::max({a, b, 0.5});
    const double step = ChordStep(radius);
    const long chords = std::clamp(static_cast<long>(std::ceil(span / step)), 1L, 1L << 20);
    const auto pointAt = [&](double t) {
        return std::pair<long, long>{RoundToInt(cx + a * std::cos(t)),
                                     RoundToInt(cy - b * std::sin(t))};
    };
    // The chain's points are found by turning each one on by the chord's angle, two products
    // where a cosine and a sine cost a library call each. A turned point strays from the exact
    // one by far less than the rounding guard (the arc is at most 2^15 pixels wide and the chain
    // at most MaxTurnedChords long); where it lies that close to a half pixel, the exact point
    // decides which pixel it is.
    constexpr long MaxTurnedChords = 1024;
    const bool turning = chords <= MaxTurnedChords;
    double turnedCos = std::cos(start), turnedSin = std::sin(start);
    const double stepCos = turning ? std::cos(span / chords) : 1;
    const double stepSin = turning ? std::sin(span / chords) : 0;
    // The first point, from the same cosine and sine as pointAt(start) takes.
    long x = RoundToInt(cx + a * turnedCos), y = RoundToInt(cy - b * turnedSin);
    const auto chainPoint = [&](long i) {
        if (turning) {
            const double c = turnedCos * stepCos - turnedSin * stepSin;
            turnedSin = turnedSin * stepCos + turnedCos * stepSin;
            turnedCos = c;
            const double px = cx + a * turnedCos;
            const double py = cy - b * turnedSin;
            if (!NearHalfPixel(px) && !NearHalfPixel(py))
                return std::pair<long, long>{RoundToInt(px), RoundToInt(py)};
        }
        return pointAt(start + span * i / chords);
    };
    const long firstX = x, firstY = y;
    long position = 0; // of (x, y) in the pattern, less than its length
    bool firstChord = true;
    for (long i = 1; i <= chords; ++i) {
        const auto [nx, ny] =
            i == chords && whole ? std::pair<long, long>{firstX, firstY} : chainPoint(i);
        if (nx == x && ny == y) continue;
        const long length = std::max(std::labs(nx - x), std::labs(ny - y));
        const bool closing = whole && i == chords;
        // Chords wholly off the image only move the pattern on.
        const bool visible = std::max(x, nx) >= clipLeft_ && std::min(x, nx) < clipRight_ &&
                             std::max(y, ny) >= clipTop_ && std::min(y, ny) < clipBottom_;
        if (visible) {
            // Bresenham from (x, y) to (nx, ny); the first pixel belongs to the previous chord,
            // and the last pixel of a closed chain is its first.
            const long sx = x < nx ? 1 : -1, sy = y < ny ? 1 : -1;
            const long ddx = std::labs(nx - x), ddy = -std::labs(ny - y);
            long error = ddx + ddy;
            long px = x, py = y;
            // The place of (px, py) in the pattern, counted on rather than divided out: a
            // division for every pixel was a good part of a small dashed arc's cost.
            long at = position;
            for (long k = 0;; ++k) {
                const bool skip = (k == 0 && !firstChord) || (k == length && closing && k > 0);
                if (!skip && inked[static_cast<std::size_t>(at)])
                    plot(static_cast<int>(px), static_cast<int>(py), argb, mode);
                if (++at == patternLength) at = 0;
                if (px == nx && py == ny) break;
                const long e2 = 2 * error;
                if (e2 >= ddy) {
                    error += ddy;
                    px += sx;
                }
                if (e2 <= ddx) {
                    error += ddx;
                    py += sy;
                }
            }
        }
        position = (position + length) % patternLength;
        x = nx;
        y = ny;
        firstChord = false;
    }
    // An ellipse too small for a chord of a pixel is its one pixel.
    if (firstChord && inked[0]) plot(static_cast<int>(x), static_cast<int>(y), argb, mode);
}

void DirectRaster::arc(int left, int top, int right, int bottom, const OutlineRay& start,
                       const OutlineRay& end, bool whole, TColor colour, PenMode mode) {
    const std::uint32_t argb = ToArgb(colour);
    const double cx = (static_cast<double>(left) + right) / 2;
    const double cy = (static_cast<double>(top) + bottom) / 2;
    const double a = std::fabs(static_cast<double>(right) - left) / 2;
    const double b = std::fabs(static_cast<double>(bottom) - top) / 2;
    if (a < 0.5 || b < 0.5) {
        // A box without inside: a dot, or a straight stroke along its one extent.
        line(RoundToInt(cx - a), RoundToInt(cy - b), RoundToInt(cx + a), RoundToInt(cy + b), colour,
             mode, {});
        return;
    }

    if (cx + a < clipLeft_ || cx - a >= clipRight_ || cy + b < clipTop_ || cy - b >= clipBottom_)
        return;

    // Which pixels belong to the arc: those whose direction from the centre lies in the sweep,
    // told by the sides of the start and end rays (y upwards, as the rays are measured).
    double sweep = end.angle - start.angle;
    sweep -= TwoPi * std::floor(sweep / TwoPi);
    if (sweep == 0) whole = true;
    double sx = 0, sy = 0, ex = 0, ey = 0;
    if (!whole) {
        sx = start.cos, sy = start.sin;
        ex = end.cos, ey = end.sin;
    }
    const bool wide = sweep > std::numbers::pi;
    const auto inSweep = [&](int x, int y) {
        if (whole) return true;
        const double px = x - cx;
        const double py = cy - y;
        if (!wide) return sx * py - sy * px >= 0 && px * ey - py * ex >= 0;
        return !(ex * py - ey * px > 0 && px * sy - py * sx > 0);
    };
    const auto put = [&](int x, int y) {
        if (inSweep(x, y)) plot(x, y, argb, mode);
    };

    // The outline in two parts: where it is flatter than 45 degrees one pixel per column, where
    // it is steeper one per row. Only columns and rows of the image are visited, and a pixel
    // both parts reach is set once.
    const double diagonal = std::sqrt(a * a + b * b);
    const double columnReach = a * a / diagonal;
    const double rowReach = b * b / diagonal;
    const double firstColumnAll = Ceil(cx - columnReach);
    const double lastColumnAll = Floor(cx + columnReach);
    const auto computeColumnRows = [&](int x, int& top, int& bottom) {
        const double u = (x - cx) / a;
        const double dy = b * std::sqrt(std::max(0.0, 1 - u * u));
        top = RoundToInt(cy - dy);
        bottom = RoundToInt(cy + dy);
    };
    // The rows pass asks again for the columns' pixels near the diagonals; a small outline keeps
    // them from the columns pass.
    constexpr int KeptColumns = 256;
    int keptTop[KeptColumns];
    int keptBottom[KeptColumns];
    bool known[KeptColumns];
    const bool keeping = lastColumnAll - firstColumnAll < KeptColumns;
    if (keeping)
        std::fill_n(known, static_cast<std::size_t>(lastColumnAll - firstColumnAll + 1), false);
    const auto columnRows = [&](int x, int& top, int& bottom) {
        if (!keeping) return computeColumnRows(x, top, bottom);
        const auto k = static_cast<std::size_t>(x - static_cast<int>(firstColumnAll));
        if (!known[k]) {
            computeColumnRows(x, keptTop[k], keptBottom[k]);
            known[k] = true;
        }
        top = keptTop[k];
        bottom = keptBottom[k];
    };
    const int firstColumn = static_cast<int>(std::max<double>(clipLeft_, firstColumnAll));
    const int lastColumn =
        static_cast<int>(std::min(static_cast<double>(clipRight_ - 1), lastColumnAll));
    for (int x = firstColumn; x <= lastColumn; ++x) {
        int top, bottom;
        columnRows(x, top, bottom);
        put(x, top);
        if (bottom != top) put(x, bottom);
    }
    const int firstRow = static_cast<int>(std::max<double>(clipTop_, Ceil(cy - rowReach)));
    const int lastRow =
        static_cast<int>(std::min(static_cast<double>(clipBottom_ - 1), Floor(cy + rowReach)));
    const auto reachedByColumns = [&](int x, int y) {
        if (x < firstColumnAll || x > lastColumnAll) return false;
        int top, bottom;
        columnRows(x, top, bottom);
        return y == top || y == bottom;
    };
    for (int y = firstRow; y <= lastRow; ++y) {
        const double v = (y - cy) / b;
        const double dx = a * std::sqrt(std::max(0.0, 1 - v * v));
        const int left = RoundToInt(cx - dx);
        const int right = RoundToInt(cx + dx);
        if (!reachedByColumns(left, y)) put(left, y);
        if (right != left && !reachedByColumns(right, y)) put(right, y);
    }
}

} // namespace orvanta

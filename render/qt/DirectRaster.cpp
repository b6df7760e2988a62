#include "render/qt/DirectRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace orvanta {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

std::uint32_t ToArgb(TColor c) {
    return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
}

// Liang-Barsky on doubles: cuts the segment to the box and returns the parameters of the part
// inside, or false when nothing is.
bool ClipParameters(double x0, double y0, double x1, double y1, double left, double top,
                    double right, double bottom, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
    }
    return true;
}

int RoundToInt(double v) {
    return static_cast<int>(std::floor(v + 0.5));
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

// Bresenham from (x, y) to (bx, by), both included, every pixel checked against the image.
template <PenMode Mode, bool Dashed>
void Walk(std::uint32_t* bits, qsizetype stride, int width, int height, long x, long y, long bx,
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
            run = (run + 1) % dashes.size();
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
        if (on && x >= 0 && y >= 0 && x < width && y < height)
            Combine<Mode>(bits[y * stride + x], colour);
        if (x == bx && y == by) break;
        if constexpr (Dashed) {
            if (--left == 0) {
                run = (run + 1) % dashes.size();
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
void WalkLine(std::uint32_t* bits, qsizetype stride, int width, int height, long x, long y, long bx,
              long by, std::uint32_t colour, std::span<const int> dashes, long phase) {
    if (dashes.empty())
        Walk<Mode, false>(bits, stride, width, height, x, y, bx, by, colour, {}, 0);
    else
        Walk<Mode, true>(bits, stride, width, height, x, y, bx, by, colour, dashes, phase);
}

} // namespace

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

DirectRaster::DirectRaster(QImage& image)
    // constBits() does not detach: the pixels written are the ones a painter on the image uses.
    : bits_(reinterpret_cast<std::uint32_t*>(const_cast<uchar*>(image.constBits()))),
      width_(image.width()), height_(image.height()), stride_(image.bytesPerLine() / 4) {}

void DirectRaster::plot(int x, int y, std::uint32_t colour, PenMode mode) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
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
    // Only the part that can touch the image is walked, so a line of two billion pixels costs
    // what its visible part costs. The pattern keeps its phase from the true start.
    double t0 = 0, t1 = 1;
    if (!ClipParameters(x0, y0, x1, y1, -1, -1, width_, height_, t0, t1)) return;
    const double dx = static_cast<double>(x1) - x0;
    const double dy = static_cast<double>(y1) - y0;
    const double major = std::max(std::fabs(dx), std::fabs(dy));
    long phase = 0;
    int ax = x0, ay = y0, bx = x1, by = y1;
    if (t0 > 0 || t1 < 1) {
        ax = RoundToInt(x0 + t0 * dx);
        ay = RoundToInt(y0 + t0 * dy);
        bx = RoundToInt(x0 + t1 * dx);
        by = RoundToInt(y0 + t1 * dy);
        phase = static_cast<long>(std::llround(t0 * major));
    }

    switch (mode) {
    case PenMode::Copy:
        WalkLine<PenMode::Copy>(bits_, stride_, width_, height_, ax, ay, bx, by, argb, dashes,
                                phase);
        break;
    case PenMode::Not:
        WalkLine<PenMode::Not>(bits_, stride_, width_, height_, ax, ay, bx, by, argb, dashes,
                               phase);
        break;
    case PenMode::Xor:
        WalkLine<PenMode::Xor>(bits_, stride_, width_, height_, ax, ay, bx, by, argb, dashes,
                               phase);
        break;
    case PenMode::NotXor:
        WalkLine<PenMode::NotXor>(bits_, stride_, width_, height_, ax, ay, bx, by, argb, dashes,
                                  phase);
        break;
    }
}

void DirectRaster::arc(int left, int top, int right, int bottom, double startRay, double endRay,
                       bool whole, TColor colour, PenMode mode) {
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

    if (cx + a < 0 || cx - a >= width_ || cy + b < 0 || cy - b >= height_) return;

    // Which pixels belong to the arc: those whose direction from the centre lies in the sweep,
    // told by the sides of the start and end rays (y upwards, as the rays are measured).
    double sweep = endRay - startRay;
    sweep -= TwoPi * std::floor(sweep / TwoPi);
    if (sweep == 0) whole = true;
    const double sx = std::cos(startRay), sy = std::sin(startRay);
    const double ex = std::cos(endRay), ey = std::sin(endRay);
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
    const double firstColumnAll = std::ceil(cx - columnReach);
    const double lastColumnAll = std::floor(cx + columnReach);
    const auto columnRows = [&](int x, int& top, int& bottom) {
        const double u = (x - cx) / a;
        const double dy = b * std::sqrt(std::max(0.0, 1 - u * u));
        top = RoundToInt(cy - dy);
        bottom = RoundToInt(cy + dy);
    };
    const int firstColumn = static_cast<int>(std::max(0.0, firstColumnAll));
    const int lastColumn =
        static_cast<int>(std::min(static_cast<double>(width_ - 1), lastColumnAll));
    for (int x = firstColumn; x <= lastColumn; ++x) {
        int top, bottom;
        columnRows(x, top, bottom);
        put(x, top);
        if (bottom != top) put(x, bottom);
    }
    const int firstRow = static_cast<int>(std::max(0.0, std::ceil(cy - rowReach)));
    const int lastRow =
        static_cast<int>(std::min(static_cast<double>(height_ - 1), std::floor(cy + rowReach)));
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

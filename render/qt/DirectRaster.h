// Writing one-pixel lines, circles and single pixels straight into the memory of a 32-bit
// QImage. A full redraw of a big drawing is millions of tiny figures, for which QPainter's
// general machinery costs ten times the pixels it sets; the canvas uses this for the common case
// (an untransformed image, one-pixel pens) and QPainter for everything else.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/Canvas.h"
#include "render/Clipping.h"

#include <QImage>
#include <cstdint>
#include <span>

namespace orvanta {

// A ray from the centre of an outline: its angle, counterclockwise on the screen, with the
// angle's cosine and sine.
struct OutlineRay {
    double angle = 0;
    double cos = 1;
    double sin = 0;
};

class DirectRaster {
  public:
    // The ray from (cx, cy) through the pixel (x, y), whose angle is atan2(cy - y, x - cx), the
    // cosine and sine to the bit as std::cos and std::sin give them. The centre of a box of
    // whole-pixel corners lies on a half pixel; the rays of the pixels a few pixels around it
    // are worked out once and looked up.
    static OutlineRay RayThrough(double cx, double cy, int x, int y);

    // Whether `image` can be written directly: a 32-bit RGB format.
    static bool Supports(const QImage& image);

    // `image` must outlive this object and stay the same size; writes go to its current pixels
    // without detaching them, so a painter working on the image sees them. Only pixels inside
    // `clip` (the whole image when empty) are written, each as drawing the whole image would
    // write it: several rasters can draw bands of one image at once.
    explicit DirectRaster(QImage& image, QRect clip = {});

    // A line including both end points. `dashes` holds on/off run lengths in pixels (empty for
    // a solid line); the pattern starts afresh on every line.
    void line(int x0, int y0, int x1, int y1, TColor colour, PenMode mode,
              std::span<const int> dashes);

    // The one-pixel outline of the ellipse inscribed in the box, or of the part of it that runs
    // counterclockwise (on the screen) from the ray `start` to the ray `end`; the whole ellipse
    // when `whole` is set. Every pixel is set once, so inverting modes undo themselves.
    void arc(int left, int top, int right, int bottom, const OutlineRay& start,
             const OutlineRay& end, bool whole, TColor colour, PenMode mode);

    // A dashed one-pixel outline of the same ellipse: centre (cx, cy), half axes a and b, from
    // the parameter `start` counterclockwise (on the screen) through `span` radians, where the
    // parameter t is the point (cx + a cos t, cy - b sin t). It is walked as a chain of chords
    // that leave the curve by less than a quarter pixel, and the dash pattern runs on along the
    // chain; every pixel is set once. `whole` closes the chain onto its first pixel.
    void dashedArc(double cx, double cy, double a, double b, double start, double span, bool whole,
                   TColor colour, PenMode mode, std::span<const int> dashes);

    void pixel(int x, int y, TColor colour, PenMode mode);

  private:
    void plot(int x, int y, std::uint32_t colour, PenMode mode);

    std::uint32_t* bits_;
    int width_;
    int height_;
    // The pixels written, left <= x < right, top <= y < bottom.
    int clipLeft_;
    int clipTop_;
    int clipRight_;
    int clipBottom_;
    qsizetype stride_; // in pixels
};

} // namespace orvanta

// The narrow raster target the renderer draws on. It knows pens, lines, arcs, pixels, filled
// rectangles and polygons, and text in device pixels (y growing downwards) and nothing of the
// drawing model; the screen, previews, printers, SVG/PDF files, metafiles and the tests each
// implement it.
#pragma once

#include "model/AcadDxfUnit.h"
#include "render/PenStyle.h"
#include "render/ViewTransform.h"

#include <string>
#include <vector>

namespace orvanta {

// How a pen combines with what is already there. Text output and set pixel ignore it.
enum class PenMode {
    Copy,   // the pen's colour replaces the destination
    Not,    // the destination is inverted; the pen's colour is ignored
    Xor,    // pen colour xor destination: drawing a figure twice restores the picture
    NotXor, // not (pen colour xor destination): the same, with the colours complemented
};

// A font as the renderer asks for it: the size of the character cell, not of the em. Sizes are
// fractional, so that a text grows smoothly with the zoom and ends where the drawing says.
struct CanvasFont {
    std::string face;
    // Height of the full character cell (ascent + descent, internal leading included), pixels.
    double cellHeight = 0;
    // Average character width in pixels; 0 keeps the face's own proportions. For a Japanese
    // face the average is the advance of a half-width character.
    double averageWidth = 0;
    // Direction of the baseline, tenths of a degree counterclockwise from the x axis.
    double escapement = 0;
    // Slant of the characters, degrees: their verticals lean this far clockwise, about the
    // baseline.
    double oblique = 0;
    // Mirrored in X: the text runs from its point against the escapement, each character
    // mirrored. Upside down: the cell lies above its point, each character upside down.
    bool mirrorX = false;
    bool mirrorY = false;
    friend bool operator==(const CanvasFont&, const CanvasFont&) = default;
};

// A device position with its fraction kept: a raster picture's corners must not wander by a
// rounding as it is scaled up.
struct PointF {
    double x = 0;
    double y = 0;
    friend bool operator==(const PointF&, const PointF&) = default;
};

// How a raster picture's colours are shown.
enum class ImageTone : std::uint8_t {
    Colour,   // as the file holds them
    Grey,     // their brightness only: a monochrome print
    Inverted, // each colour complemented, as the inverted colour mode shows the drawing
};

// A raster picture from a file, mapped onto any parallelogram of the device: rotated, sheared
// or mirrored as the corners say. The picture's top-left corner lands on `topLeft`, its top
// edge runs to `topRight` and its left edge down to `bottomLeft`.
struct CanvasImage {
    std::string path; // the file on this disk
    PointF topLeft;
    PointF topRight;
    PointF bottomLeft;
    // The part shown: a ring in device pixels (closed implicitly), further limited by the
    // canvas's clip. Empty: the whole parallelogram.
    std::vector<TPoint> clip;
    ImageTone tone = ImageTone::Colour;
    // Brightness and contrast (50 leaves the picture as it is) and fade towards `background`
    // (0 none, 100 the background alone), each 0 to 100.
    int brightness = 50;
    int contrast = 50;
    int fade = 0;
    TColor background = 0xFFFFFF;
    // False: a picture that is not decoded yet is not drawn (drawImage says so) but decoded
    // meanwhile.
    bool wait = true;
};

class Canvas {
  public:
    virtual ~Canvas() = default;

    // The pen for lines and arcs: colour 0x00BBGGRR, width in pixels, pattern.
    virtual void setPen(TColor colour, int width, TPenStyle style) = 0;
    virtual void setPenMode(PenMode mode) = 0;
    virtual PenMode penMode() const = 0;

    virtual void moveTo(int x, int y) = 0;
    // A straight segment from the current position; (x, y) becomes the current position.
    virtual void lineTo(int x, int y) = 0;
    // The part of the ellipse inscribed in the box (left, top)-(right, bottom) that runs
    // counterclockwise, as seen on the screen, from the ray from the box centre through
    // (xs, ys) to the ray through (xe, ye); the whole ellipse when the two points coincide.
    virtual void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) = 0;
    // One pixel, whatever the pen and its mode.
    virtual void setPixel(int x, int y, TColor colour) = 0;
    // Whether setPixel writes straight into memory, so that setting a pixel again costs no more
    // than remembering that it was set.
    virtual bool cheapPixels() const { return false; }
    // Pixels left <= x < right, top <= y < bottom, with the colour replacing what is there.
    virtual void fillRect(int left, int top, int right, int bottom, TColor colour) = 0;

    // Fills the area enclosed by the rings (closed polygons in device pixels; each ring is closed
    // implicitly) by the even-odd rule, so that a ring inside another is a hole, in `colour`.
    // The pen and its mode do not apply.
    virtual void fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) = 0;
    // Fills every ring, where rings overlap too (the pieces of a wide polyline), in `colour`. A
    // canvas that can fill them at once by the nonzero rule does so, which needs the rings to
    // run the same way round; by default each ring is filled on its own.
    virtual void fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) {
        for (const std::vector<TPoint>& ring : rings)
            if (ring.size() >= 3) fillPolygon({ring}, colour);
    }

    // The current font, and a new one that replaces it. The face is the canvas's own choice;
    // the renderer copies it from the current font when it asks for another size.
    virtual CanvasFont font() const = 0;
    virtual void setFont(const CanvasFont& font) = 0;
    virtual void setTextColor(TColor colour) = 0;
    // Whether text leaves the cell behind its characters as it is (the renderer's choice) or
    // fills it with the text background colour first.
    virtual void setTransparentText(bool transparent) = 0;
    virtual void setTextBackColor(TColor colour) = 0;
    // Draws UTF-8 text with the top-left corner of its first character cell at (x, y), running
    // along the font's escapement. The pen mode does not apply to text.
    virtual void textOut(int x, int y, const std::string& text) = 0;
    // The advance of the text along its baseline in the current font, pixels.
    virtual int textWidth(const std::string& text) = 0;

    // Limits everything drawn from now on (lines, arcs, pixels, fills, text) to the inside of the
    // rings, device pixels, even-odd like fillPolygon; a rectangle is a ring of four points. A
    // second call replaces the first. An empty list of rings clips everything away.
    // A pixel is inside where fillPolygon of the same rings would set it: the ring
    // (0, 0) (10, 0) (10, 10) (0, 10) keeps the pixels 0 <= x < 10, 0 <= y < 10.
    virtual void setClip(const std::vector<std::vector<TPoint>>& rings) = 0;
    // Drawing reaches the whole target again.
    virtual void clearClip() = 0;

    // Draws the raster picture, whatever the pen mode, and says whether it did: false when the
    // canvas cannot show pictures or cannot read this one, and the caller shows something else
    // in its place.
    virtual bool drawImage(const CanvasImage& image) { return false; }

    // Completes any drawing the canvas has held back; the target is up to date afterwards.
    virtual void flush() {}
};

// A canvas that passes every call on to another: the base of a canvas that changes how one or
// two things are drawn, so that it overrides just those.
class ForwardingCanvas : public Canvas {
  public:
    explicit ForwardingCanvas(Canvas& target) : target_(target) {}

    void setPen(TColor colour, int width, TPenStyle style) override {
        target_.setPen(colour, width, style);
    }
    void setPenMode(PenMode mode) override { target_.setPenMode(mode); }
    PenMode penMode() const override { return target_.penMode(); }
    void moveTo(int x, int y) override { target_.moveTo(x, y); }
    void lineTo(int x, int y) override { target_.lineTo(x, y); }
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override {
        target_.arc(left, top, right, bottom, xs, ys, xe, ye);
    }
    void setPixel(int x, int y, TColor colour) override { target_.setPixel(x, y, colour); }
    void fillRect(int left, int top, int right, int bottom, TColor colour) override {
        target_.fillRect(left, top, right, bottom, colour);
    }
    void fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) override {
        target_.fillPolygon(rings, colour);
    }
    CanvasFont font() const override { return target_.font(); }
    void setFont(const CanvasFont& font) override { target_.setFont(font); }
    void setTextColor(TColor colour) override { target_.setTextColor(colour); }
    void setTransparentText(bool transparent) override { target_.setTransparentText(transparent); }
    void setTextBackColor(TColor colour) override { target_.setTextBackColor(colour); }
    void textOut(int x, int y, const std::string& text) override { target_.textOut(x, y, text); }
    int textWidth(const std::string& text) override { return target_.textWidth(text); }
    void setClip(const std::vector<std::vector<TPoint>>& rings) override { target_.setClip(rings); }
    void clearClip() override { target_.clearClip(); }
    bool drawImage(const CanvasImage& image) override { return target_.drawImage(image); }
    void flush() override { target_.flush(); }

  protected:
    Canvas& target() const { return target_; }

  private:
    Canvas& target_;
};

} // namespace orvanta

// Canvases that record what is drawn as a vector picture for other programs: an enhanced
// metafile (EMF) or a Windows metafile (WMF), written with libuemf and without any toolkit.
//
// Device pixels map one to one onto the picture's logical units, except where a Windows
// metafile's 16-bit coordinates cannot hold the picture: then everything is scaled down into
// their range. Figures reaching beyond the coordinate range are cut at it, never wrapped.
#pragma once

#include "render/Canvas.h"
#include "render/RasterSource.h"
#include "render/TextFace.h"
#include "render/ViewTransform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvanta {

enum class MetafileKind { Emf, Wmf };

class MetafileCanvas : public Canvas {
  public:
    // A picture of width x height pixels (each at least 1); its recorded physical size takes a
    // pixel as 1/96 inch.
    // `images` decodes the raster pictures an enhanced metafile holds; without it, or in a
    // Windows metafile, a picture is left to the renderer's frame.
    static std::unique_ptr<MetafileCanvas> Create(MetafileKind kind, int width, int height,
                                                  const std::string& face = DefaultTextFace,
                                                  RasterSource* images = nullptr);
    ~MetafileCanvas() override;

    void setPen(TColor colour, int width, TPenStyle style) override;
    void setPenMode(PenMode mode) override;
    PenMode penMode() const override { return mode_; }
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override;
    void setPixel(int x, int y, TColor colour) override;
    void fillRect(int left, int top, int right, int bottom, TColor colour) override;
    CanvasFont font() const override { return font_; }
    void setFont(const CanvasFont& font) override { font_ = font; }
    void setTextColor(TColor colour) override { textColour_ = colour & 0xFFFFFF; }
    void setTransparentText(bool transparent) override { transparentText_ = transparent; }
    void setTextBackColor(TColor colour) override { textBackColour_ = colour & 0xFFFFFF; }
    void textOut(int x, int y, const std::string& text) override;
    // Laid out by the face's fixed advances (TextFace.h), as the picture's reader will place it.
    int textWidth(const std::string& text) override;
    // Fills the area enclosed by the rings (closed polygons in device pixels; each ring is
    // closed implicitly) by the even-odd rule, so that a ring inside another is a hole, in
    // `colour`. The pen and its mode do not apply.
    virtual void fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour);
    // An enhanced metafile clips to the rings exactly, a Windows metafile to their bounding
    // rectangle. Under a clip that holds nothing, nothing is recorded.
    void setClip(const std::vector<std::vector<TPoint>>& rings) override;
    void clearClip() override;
    // An enhanced metafile holds the part of the picture inside the metafile's own picture, at
    // one pixel per logical unit.
    bool drawImage(const CanvasImage& image) override;

    // Ends the picture and gives the bytes of the file. Nothing can be drawn afterwards. Throws
    // std::runtime_error for a picture larger than the file type can count.
    std::vector<char> finish();

    MetafileKind kind() const { return kind_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Logical units of the picture per device pixel: 1, or less for a Windows metafile too
    // large for its coordinates.
    double scale() const { return scale_; }

    // The record writer of one file type (MetafileFormat.h).
    struct Format;

  protected:
    MetafileCanvas(MetafileKind kind, int width, int height, const std::string& face);

  private:
    struct PenKey {
        TColor colour = 0;
        int width = 1;
        TPenStyle style = 0;
        friend bool operator==(const PenKey&, const PenKey&) = default;
    };

    // Device pixels to logical units.
    double logical(double v) const { return v * scale_; }
    // Brings the picture's pen and raster operation up to the canvas's before a line or arc.
    void preparePen();
    // Raster operation copy for fills, whatever the pen mode.
    void prepareFill();
    // The rings of three points or more in logical units, each cut to the coordinate range.
    std::vector<std::vector<TPoint>>
    logicalRings(const std::vector<std::vector<TPoint>>& rings) const;
    // Forgets what the picture's raster operation, text settings and position are, after a
    // change of clip that may have reset them.
    void forgetRecordedState();
    // A segment in logical units, cut to the coordinate range.
    void segment(double x0, double y0, double x1, double y1);
    // An arc too large for the coordinate range, as a polyline of its part in range.
    void arcAsPolyline(double cx, double cy, double a, double b, double startRad, double spanRad);

    MetafileKind kind_;
    int width_;
    int height_;
    double scale_ = 1;
    // Logical coordinates the picture can hold; figures are cut to it.
    double limit_ = 0;
    std::unique_ptr<Format> format_;
    RasterSource* images_ = nullptr;

    PenKey pen_;
    PenMode mode_ = PenMode::Copy;
    std::optional<PenKey> recordedPen_;
    std::optional<PenMode> recordedMode_;
    TPoint current_;
    // Where the picture's current position is, as far as known.
    std::optional<TPoint> recordedPosition_;

    CanvasFont font_;
    std::optional<CanvasFont> recordedFont_;
    TColor textColour_ = 0;
    TColor textBackColour_ = 0xFFFFFF;
    bool transparentText_ = true;
    std::optional<TColor> recordedTextColour_;
    std::optional<TColor> recordedTextBack_;
    std::optional<bool> recordedTransparent_;
    // Whether the picture holds a clip, and whether the canvas's clip holds nothing at all.
    bool clipped_ = false;
    bool clippedAway_ = false;
    bool finished_ = false;
};

} // namespace orvanta

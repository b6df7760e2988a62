// The canvas over a QPainter: QImage for the detail view and the previews, and any other paint
// device (printer, SVG, PDF). Coordinates are the painter's logical pixels.
#pragma once

#include "render/Canvas.h"
#include "render/TextFace.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QLine>
#include <QList>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRawFont>
#include <QTransform>
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvanta {

// Empty when `face` is installed; otherwise a message for the user that says texts cannot be
// drawn and what to install. A QGuiApplication must exist.
std::string TextFaceProblem(const std::string& face = DefaultTextFace);

// The font of `face` with the named fallback face behind it, for every text the program draws
// (drawing texts, printed captions): a character `face` lacks comes from FallbackTextFace, not
// from whatever the system would substitute.
QFont TextQFont(const std::string& face = DefaultTextFace);

// Texts shaped at the canvas's reference font size. Shaping (character to glyph mapping, font
// fallback and placement) is most of the cost of drawing a text, and drawings repeat their
// texts, so an owner that redraws often (the detail view) keeps one cache for all its canvases.
// Not thread-safe: one cache per thread.
class TextShapeCache {
  public:
    struct Shaped {
        QList<QGlyphRun> runs; // positioned with the top of the cell at y = 0
        double advance = 0;    // along the baseline
        // The runs as last placed for drawing at a stretch (see QtCanvas::textOut), and that
        // stretch: the texts of one size at one scale place their glyphs alike.
        QList<QGlyphRun> placed;
        std::optional<std::array<double, 4>> placedFor;
        QRectF placedInk; // the placed glyphs' outlines lie within it
    };

    explicit TextShapeCache(std::size_t capacity = 65536) : capacity_(capacity) {}
    // The shape of `text` in `font`; a different font than the last one empties the cache.
    Shaped& shape(const QFont& font, const std::string& text);

  private:
    std::size_t capacity_;
    QFont font_;
    QRawFont raw_;
    double rawAscent_ = 0;
    std::unordered_map<std::string, Shaped> shapes_;
};

// Draws on an active QPainter, which it owns for its lifetime: it sets the painter's pen, brush,
// composition mode and font as it needs them and leaves its transformation as it found it.
// Lines are collected and handed to the painter in batches; the device is complete after
// flush() or the canvas's destruction. On an untransformed, unclipped 32-bit QImage, one-pixel
// lines, solid one-pixel arcs and pixels are written straight into the image, also under a clip
// of one axis-aligned rectangle; under any other clip they go through the painter.
class DirectRaster;

class QtCanvas : public Canvas {
  public:
    // `shapes` may be shared between canvases drawing one after the other; without one the
    // canvas keeps its own. A non-empty `clip` (device pixels) limits the canvas to that part of
    // the device, where it sets every pixel as it would without the clip: canvases over one
    // image with clips that do not overlap may draw at once, one per thread.
    explicit QtCanvas(QPainter& painter, const std::string& face = DefaultTextFace,
                      TextShapeCache* shapes = nullptr, QRect clip = {});
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    void setPen(TColor colour, int width, TPenStyle style) override;
    void setPenMode(PenMode mode) override;
    PenMode penMode() const override { return mode_; }
    bool cheapPixels() const override { return direct_ != nullptr; }
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override;
    void setPixel(int x, int y, TColor colour) override;
    void fillRect(int left, int top, int right, int bottom, TColor colour) override;
    void fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) override;
    void fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) override;
    CanvasFont font() const override { return font_; }
    void setFont(const CanvasFont& font) override;
    void setTextColor(TColor colour) override { textColour_ = colour; }
    void setTransparentText(bool transparent) override { transparentText_ = transparent; }
    void setTextBackColor(TColor colour) override { textBackColour_ = colour; }
    // Draws nothing while the face is missing (see textProblem()): a fallback face would show
    // Japanese as empty boxes.
    void textOut(int x, int y, const std::string& text) override;
    int textWidth(const std::string& text) override;
    // A clip on the painter within the band the canvas was made for; the painter's state is
    // saved before and restored by clearClip() or the canvas's destruction.
    void setClip(const std::vector<std::vector<TPoint>>& rings) override;
    void clearClip() override;
    // Takes the picture from RasterImageCache::Shared() at the resolution the device needs and
    // draws the part of it that can show, through the painter's transformation.
    bool drawImage(const CanvasImage& image) override;
    void flush() override;

    // Empty when texts can be drawn, otherwise why not, for the caller to show.
    const std::string& textProblem() const { return textProblem_; }

    // The face at its reference size, in pixels of this canvas's device: the cell (ascent plus
    // descent) and the advance of a half-width character, which a Japanese face takes as its
    // average character width.
    double referenceCellHeight() const { return referenceCell_; }
    double referenceAverageWidth() const { return referenceAverage_; }

  private:
    struct PenKey {
        TColor colour = 0;
        int width = 1;
        TPenStyle style = PenSolid;
        friend bool operator==(const PenKey&, const PenKey&) = default;
    };

    // Whether the current pen is drawn by writing pixels directly.
    bool thinPen() const;
    void applyLinePen();
    // The plain pen a text of `colour` is drawn with.
    const QPen& textPen(TColor colour);
    // Whether glyphs whose outlines lie within `ink`, drawn through `local`, can set any pixel
    // this canvas may set.
    bool showsAny(const QTransform& local, const QRectF& ink) const;
    void useComposition(QPainter::CompositionMode mode);
    void strokeArcAsPolyline(const QRectF& box, double startRad, double spanRad);
    // Under a clip the painter's engine ignores: an open figure stroked with the painter's pen,
    // and an area filled, as far as they lie inside the clip.
    void strokeInside(const QPainterPath& figure);
    void fillInside(const QPainterPath& area, const QColor& colour);
    // The horizontal and vertical scale of the reference font for the current font.
    double scaleX() const;
    double scaleY() const;

    QPainter& painter_;
    PenKey pen_;
    std::span<const int> dashes_; // the pen's dash pattern, none for a solid pen
    PenMode mode_ = PenMode::Copy;
    // What the painter currently holds, so that it is told only about changes.
    std::optional<PenKey> appliedPen_;
    std::optional<QPainter::CompositionMode> appliedComposition_;

    // The image written directly, when the painter allows it, and the band the canvas draws.
    QImage* directImage_ = nullptr;
    QRect band_;
    // The painter's transformation, which the canvas leaves as it found it, and on an image the
    // part the canvas may set (the image, or the band), beyond which texts are passed over.
    QTransform deviceTransform_;
    QRectF settable_;
    bool passOver_ = false;
    // The direct writer for the current clip; none while the clip is not a rectangle.
    std::unique_ptr<DirectRaster> direct_;
    // Whether setClip() saved the painter's state, and whether its clip holds nothing at all.
    bool clipped_ = false;
    bool clippedAway_ = false;
    // Whether the painter's engine applies a clip. Where it does not, the canvas cuts figures to
    // the clip's path and rings itself (`cutting_`).
    bool engineClips_ = true;
    bool cutting_ = false;
    QPainterPath cutPath_;
    QList<QPolygonF> cutRings_;
    QPoint current_;
    std::vector<QLine> pendingLines_;

    CanvasFont font_;
    QFont referenceFont_;
    QFontMetricsF referenceMetrics_;
    std::unique_ptr<TextShapeCache> ownShapes_;
    TextShapeCache* shapes_ = nullptr;
    double referenceCell_ = 1;
    double referenceAverage_ = 1;
    TColor textColour_ = 0;
    // Pens of the text colours met lately: making a pen for every text is a good part of what a
    // text a few pixels high costs.
    struct TextPen {
        TColor colour = 0;
        QPen pen;
    };
    std::array<TextPen, 16> textPens_;
    std::size_t textPenCount_ = 0;
    std::size_t nextTextPen_ = 0;
    TColor textBackColour_ = 0xFFFFFF;
    bool transparentText_ = true;
    std::string textProblem_;
};

} // namespace orvanta

// A canvas that draws nothing and records every call made on it, for tests that check what the
// renderer asked for rather than which pixels came out.
#pragma once

#include "render/Canvas.h"

#include <array>
#include <string>
#include <vector>

namespace orvanta {

struct CanvasCall {
    enum class Kind {
        SetPen,
        SetPenMode,
        MoveTo,
        LineTo,
        Arc,
        SetPixel,
        FillRect,
        FillPolygon,
        SetFont,
        SetTextColor,
        SetTransparentText,
        SetTextBackColor,
        TextOut,
        TextWidth,
        SetClip,
        ClearClip,
        DrawImage,
        Flush,
    };
    Kind kind = Kind::Flush;
    // Coordinates in the order of the call's parameters (x, y; or the arc's eight values).
    std::array<int, 8> args{};
    TColor colour = 0; // pen, pixel, fill, text or text background colour
    int width = 0;     // pen width
    TPenStyle style = PenSolid;
    PenMode mode = PenMode::Copy;
    bool transparent = false;
    CanvasFont font;  // SetFont: the new font; TextOut and TextWidth: the font in use
    std::string text; // TextOut and TextWidth
    std::vector<std::vector<TPoint>> rings; // FillPolygon and SetClip
    CanvasImage image;                      // DrawImage
};

// One line of text per call, such as `lineTo(10, 20)` or `textOut(5, 6, "Φ25")`, for readable
// assertions and failure messages.
std::string Describe(const CanvasCall& call);

class RecordingCanvas : public Canvas {
  public:
    // The font the canvas starts with; its face is what the renderer copies into new fonts.
    explicit RecordingCanvas(CanvasFont initialFont = {"TestFace", 16, 0, 0});

    void setPen(TColor colour, int width, TPenStyle style) override;
    void setPenMode(PenMode mode) override;
    PenMode penMode() const override { return mode_; }
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) override;
    void setPixel(int x, int y, TColor colour) override;
    void fillRect(int left, int top, int right, int bottom, TColor colour) override;
    void fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) override;
    CanvasFont font() const override { return font_; }
    void setFont(const CanvasFont& font) override;
    void setTextColor(TColor colour) override;
    void setTransparentText(bool transparent) override;
    void setTextBackColor(TColor colour) override;
    void textOut(int x, int y, const std::string& text) override;
    // A fixed model: every UTF-16 code unit advances by the font's average width, or by half
    // its cell height when the average width is 0.
    int textWidth(const std::string& text) override;
    void setClip(const std::vector<std::vector<TPoint>>& rings) override;
    void clearClip() override;
    // Recorded; says the picture was drawn unless told otherwise (showImages(false)), as a
    // canvas that cannot read it would.
    bool drawImage(const CanvasImage& image) override;
    void flush() override;
    void showImages(bool shown) { showImages_ = shown; }

    const std::vector<CanvasCall>& calls() const { return calls_; }
    // The calls of one kind, in order.
    std::vector<CanvasCall> callsOf(CanvasCall::Kind kind) const;
    // Describe() of every call, one per line; text width queries are left out unless asked for.
    std::string log(bool withTextWidth = false) const;
    void clear() { calls_.clear(); }

  private:
    CanvasCall& record(CanvasCall::Kind kind);

    std::vector<CanvasCall> calls_;
    PenMode mode_ = PenMode::Copy;
    CanvasFont font_;
    bool showImages_ = true;
};

} // namespace orvanta

#include "render/RecordingCanvas.h"

#include "geometry/TextCodes.h"
#include "geometry/TextLines.h"

#include <cmath>
#include <cstdio>

namespace orvanta {

namespace {

std::string Hex(TColor colour) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "#%06X", static_cast<unsigned>(colour & 0xFFFFFF));
    return buffer;
}

// A size or angle as a short decimal: "16", "7.25".
std::string Number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", value);
    return buffer;
}

const char* ModeName(PenMode mode) {
    switch (mode) {
    case PenMode::Copy:
        return "copy";
    case PenMode::Not:
        return "not";
    case PenMode::Xor:
        return "xor";
    case PenMode::NotXor:
        return "notxor";
    }
    return "?";
}

std::string Ints(const std::array<int, 8>& args, int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
        if (i > 0) s += ", ";
        s += std::to_string(args[static_cast<std::size_t>(i)]);
    }
    return s;
}

// Rings as "[x,y x,y ...] [...]".
std::string Rings(const std::vector<std::vector<TPoint>>& rings) {
    std::string text;
    for (const std::vector<TPoint>& ring : rings) {
        text += text.empty() ? "[" : " [";
        for (std::size_t i = 0; i < ring.size(); ++i) {
            if (i > 0) text += ' ';
            text += std::to_string(ring[i].x) + "," + std::to_string(ring[i].y);
        }
        text += "]";
    }
    return text;
}

} // namespace

std::string Describe(const CanvasCall& call) {
    using Kind = CanvasCall::Kind;
    switch (call.kind) {
    case Kind::SetPen:
        return "setPen(" + Hex(call.colour) + ", " + std::to_string(call.width) + ", " +
               std::to_string(call.style) + ")";
    case Kind::SetPenMode:
        return std::string("setPenMode(") + ModeName(call.mode) + ")";
    case Kind::MoveTo:
        return "moveTo(" + Ints(call.args, 2) + ")";
    case Kind::LineTo:
        return "lineTo(" + Ints(call.args, 2) + ")";
    case Kind::Arc:
        return "arc(" + Ints(call.args, 8) + ")";
    case Kind::SetPixel:
        return "setPixel(" + Ints(call.args, 2) + ", " + Hex(call.colour) + ")";
    case Kind::FillRect:
        return "fillRect(" + Ints(call.args, 4) + ", " + Hex(call.colour) + ")";
    case Kind::FillPolygon:
        return "fillPolygon(" + Rings(call.rings) + ", " + Hex(call.colour) + ")";
    case Kind::SetFont:
        return "setFont(" + call.font.face + ", " + Number(call.font.cellHeight) + ", " +
               Number(call.font.averageWidth) + ", " + Number(call.font.escapement) +
               (call.font.oblique != 0 ? ", oblique " + Number(call.font.oblique) : "") +
               (call.font.mirrorX ? ", mirrored" : "") +
               (call.font.mirrorY ? ", upside down" : "") + ")";
    case Kind::SetTextColor:
        return "setTextColor(" + Hex(call.colour) + ")";
    case Kind::SetTransparentText:
        return std::string("setTransparentText(") + (call.transparent ? "true" : "false") + ")";
    case Kind::SetTextBackColor:
        return "setTextBackColor(" + Hex(call.colour) + ")";
    case Kind::TextOut:
        return "textOut(" + Ints(call.args, 2) + ", \"" + call.text + "\")";
    case Kind::TextWidth:
        return "textWidth(\"" + call.text + "\")";
    case Kind::SetClip:
        return "setClip(" + Rings(call.rings) + ")";
    case Kind::ClearClip:
        return "clearClip()";
    case Kind::DrawImage: {
        const CanvasImage& image = call.image;
        const auto point = [](const PointF& p) { return Number(p.x) + "," + Number(p.y); };
        return "drawImage(\"" + image.path + "\", " + point(image.topLeft) + " " +
               point(image.topRight) + " " + point(image.bottomLeft) +
               (image.clip.empty() ? std::string() : ", clip " + Rings({image.clip})) + ")";
    }
    case Kind::Flush:
        return "flush()";
    }
    return "?";
}

RecordingCanvas::RecordingCanvas(CanvasFont initialFont) : font_(std::move(initialFont)) {}

CanvasCall& RecordingCanvas::record(CanvasCall::Kind kind) {
    CanvasCall& call = calls_.emplace_back();
    call.kind = kind;
    return call;
}

void RecordingCanvas::setPen(TColor colour, int width, TPenStyle style) {
    CanvasCall& call = record(CanvasCall::Kind::SetPen);
    call.colour = colour;
    call.width = width;
    call.style = style;
}

void RecordingCanvas::setPenMode(PenMode mode) {
    mode_ = mode;
    record(CanvasCall::Kind::SetPenMode).mode = mode;
}

void RecordingCanvas::moveTo(int x, int y) {
    record(CanvasCall::Kind::MoveTo).args = {x, y};
}

void RecordingCanvas::lineTo(int x, int y) {
    record(CanvasCall::Kind::LineTo).args = {x, y};
}

void RecordingCanvas::arc(int left, int top, int right, int bottom, int xs, int ys, int xe,
                          int ye) {
    record(CanvasCall::Kind::Arc).args = {left, top, right, bottom, xs, ys, xe, ye};
}

void RecordingCanvas::setPixel(int x, int y, TColor colour) {
    CanvasCall& call = record(CanvasCall::Kind::SetPixel);
    call.args = {x, y};
    call.colour = colour;
}

void RecordingCanvas::fillRect(int left, int top, int right, int bottom, TColor colour) {
    CanvasCall& call = record(CanvasCall::Kind::FillRect);
    call.args = {left, top, right, bottom};
    call.colour = colour;
}

void RecordingCanvas::fillPolygon(const std::vector<std::vector<TPoint>>& rings, TColor colour) {
    CanvasCall& call = record(CanvasCall::Kind::FillPolygon);
    call.rings = rings;
    call.colour = colour;
}

void RecordingCanvas::setFont(const CanvasFont& font) {
    font_ = font;
    record(CanvasCall::Kind::SetFont).font = font;
}

void RecordingCanvas::setTextColor(TColor colour) {
    record(CanvasCall::Kind::SetTextColor).colour = colour;
}

void RecordingCanvas::setTransparentText(bool transparent) {
    record(CanvasCall::Kind::SetTransparentText).transparent = transparent;
}

void RecordingCanvas::setTextBackColor(TColor colour) {
    record(CanvasCall::Kind::SetTextBackColor).colour = colour;
}

void RecordingCanvas::textOut(int x, int y, const std::string& text) {
    CanvasCall& call = record(CanvasCall::Kind::TextOut);
    call.args = {x, y};
    call.text = text;
    call.font = font_;
}

int RecordingCanvas::textWidth(const std::string& text) {
    CanvasCall& call = record(CanvasCall::Kind::TextWidth);
    call.text = text;
    call.font = font_;
    const double advance = font_.averageWidth > 0 ? font_.averageWidth : font_.cellHeight / 2;
    return static_cast<int>(std::lround(static_cast<double>(Utf16Length(text)) * advance));
}

void RecordingCanvas::setClip(const std::vector<std::vector<TPoint>>& rings) {
    record(CanvasCall::Kind::SetClip).rings = rings;
}

void RecordingCanvas::clearClip() {
    record(CanvasCall::Kind::ClearClip);
}

bool RecordingCanvas::drawImage(const CanvasImage& image) {
    record(CanvasCall::Kind::DrawImage).image = image;
    return showImages_;
}

void RecordingCanvas::flush() {
    record(CanvasCall::Kind::Flush);
}

std::vector<CanvasCall> RecordingCanvas::callsOf(CanvasCall::Kind kind) const {
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : calls_) {
        if (call.kind == kind) found.push_back(call);
    }
    return found;
}

std::string RecordingCanvas::log(bool withTextWidth) const {
    std::string text;
    for (const CanvasCall& call : calls_) {
        if (call.kind == CanvasCall::Kind::TextWidth && !withTextWidth) continue;
        text += Describe(call);
        text += '\n';
    }
    return text;
}

} // namespace orvanta

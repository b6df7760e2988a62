// The record writers behind MetafileCanvas: one for enhanced metafiles, one for Windows
// metafiles. The canvas decides what to draw and in which logical units; a format only turns
// each request into the records of its file type. Private to the metafile library.
#pragma once

#include "render/RasterSource.h"
#include "render/metafile/MetafileCanvas.h"

#include <uemf.h>

#include <string>
#include <vector>

namespace orvanta {

struct MetafileCanvas::Format {
    virtual ~Format() = default;

    // Creates a pen, selects it and deletes the one it replaces.
    virtual void pen(TColor colour, int width, TPenStyle style) = 0;
    virtual void rasterOperation(PenMode mode) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    // As Canvas::arc, counterclockwise on the screen.
    virtual void arc(int left, int top, int right, int bottom, int xs, int ys, int xe, int ye) = 0;
    virtual void pixel(int x, int y, TColor colour) = 0;
    // Pixels left <= x < right, top <= y < bottom, without an outline; the pen stays selected.
    virtual void fillRect(int left, int top, int right, int bottom, TColor colour) = 0;
    // Even-odd fill of the rings without an outline; the pen stays selected.
    virtual void fillRings(const std::vector<std::vector<TPoint>>& rings, TColor colour) = 0;
    // Creates the font (cell height and average width in logical units), selects it and
    // deletes the one it replaces.
    virtual void font(const CanvasFont& font) = 0;
    virtual void textColour(TColor colour) = 0;
    virtual void textBackground(bool transparent, TColor colour) = 0;
    // The characters with the top-left corner of the first cell at (x, y), each advancing by
    // its entry of `advances` (logical units).
    virtual void text(int x, int y, const std::u32string& characters,
                      const std::vector<int>& advances) = 0;
    // Limits what follows to the even-odd area of the rings (logical units, at least one ring of
    // three points), replacing an earlier limit. A format may reset the raster operation, text
    // colour, background mode and current position; it keeps its own pen and font selected.
    virtual void clip(const std::vector<std::vector<TPoint>>& rings) = 0;
    // Drawing reaches the whole picture again, with the same resets as clip().
    virtual void unclip() = 0;
    // The pixels with their top-left corner at (left, top), one logical unit each, within the
    // ring (logical units, three points or more) and the clip; every other setting is as it
    // was afterwards. False when the file type holds no such pictures.
    virtual bool pixels(const RasterPixels& pixels, int left, int top,
                        const std::vector<TPoint>& ring) {
        return false;
    }
    // The end-of-file record, the header completed, and the bytes of the file.
    virtual std::vector<char> finish() = 0;
};

// `unitsPerInch`: logical units per inch of the recorded physical size.
std::unique_ptr<MetafileCanvas::Format> MakeEmfFormat(int width, int height,
                                                      const std::string& face);
std::unique_ptr<MetafileCanvas::Format> MakeWmfFormat(int width, int height, int unitsPerInch,
                                                      const std::string& face);

inline U_COLORREF ColorRef(TColor c) {
    return colorref3_set(static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8 & 0xFF),
                         static_cast<uint8_t>(c >> 16 & 0xFF));
}

// The binary raster operation of a pen mode; both file types share the codes.
inline std::uint32_t Rop2(PenMode mode) {
    switch (mode) {
    case PenMode::Copy:
        return U_R2_COPYPEN;
    case PenMode::Not:
        return U_R2_NOT;
    case PenMode::Xor:
        return U_R2_XORPEN;
    case PenMode::NotXor:
        return U_R2_NOTXORPEN;
    }
    return U_R2_COPYPEN;
}

// The pen styles of the canvas are the Windows pen styles up to inside-frame; the others have no
// pattern and draw solid.
inline std::uint32_t PenStyleOf(TPenStyle style) {
    return style <= PenInsideFrame ? style : U_PS_SOLID;
}

} // namespace orvanta

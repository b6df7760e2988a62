// The record writers behind MetafileCanvas: one for enhanced metafiles, one for Windows
// metafiles. The canvas decides what to draw and in which logical units; a format only turns
// each request into the records of its file type. Private to the metafile library.
#pragma once

#include "render/metafile/MetafileCanvas.h"

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
    // The end-of-file record, the header completed, and the bytes of the file.
    virtual std::vector<char> finish() = 0;
};

// `unitsPerInch`: logical units per inch of the recorded physical size.
std::unique_ptr<MetafileCanvas::Format> MakeEmfFormat(int width, int height,
                                                      const std::string& face);
std::unique_ptr<MetafileCanvas::Format> MakeWmfFormat(int width, int height, int unitsPerInch,
                                                      const std::string& face);

// The colour of a record: 0x00BBGGRR is the byte order of a COLORREF as well.
inline std::uint32_t ColorRefValue(TColor colour) {
    return colour & 0xFFFFFF;
}

} // namespace orvanta

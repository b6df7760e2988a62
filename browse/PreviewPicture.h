// The picture of one drawing as a cell of the preview grid shows it, made without any widget so
// that the grid's workers, the command-line tool and list printing all make the same picture.
#pragma once

#include "load/LoadDrawing.h"
#include "render/Colors.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

namespace orvanta {

class TextShapeCache;

// The title bar at the top of a grid cell takes this many pixels of the cell's height; the
// picture of a drawing fills the rest, at the cell's full width.
constexpr int PreviewTitleHeight = 24;

// The picture size for a grid cell of `cell` pixels.
inline QSize PreviewPictureSize(QSize cell) {
    return {cell.width(), cell.height() - PreviewTitleHeight};
}

// What the making of a picture found out about the file, for the file list's columns and for
// the failures the grid reports.
struct PreviewFacts {
    // The picture came from the cache file beside the drawing (the file itself was not read).
    bool fromCache = false;
    // A picture was drawn, decoded or loaded; false for a blank one.
    bool drawn = false;
    // The release name for the "Version" column; empty for a cache hit.
    QString version;
    // The "..." column: "DWG", "BinaryDXF", "busy" (the file could not be read) or empty.
    QString kind;
    // Why no picture could be made, for a person; empty when nothing failed.
    QString failure;
};

// The cache file of a drawing: its path with the extension replaced by "_DXF.bmp" for a .dxf
// file (any case) and by "_DWG.bmp" for any other, in the drawing's own folder.
QString PreviewCachePath(const QString& drawingPath);

// The picture of the drawing at `path` for a cell whose picture area is `size`:
// - the cache file beside the drawing when there is one (in its own size, as it was saved);
// - a text DXF loaded through the one load routine and drawn whole on black in `colorMode`;
// - the picture stored in a DWG, stretched to the whole of `size`;
// - a blank white picture for DWG content under a .dxf name, a DWG without a stored picture,
//   and any file that fails (`facts->failure` then says why).
// Never throws for anything the file holds; safe to call on any thread. `shapes` is the text
// shaping cache of the calling thread (one is made for the call when it is null); it must not
// be shared between threads. `stop`, when given and set, abandons a long load early. A drawing
// shows the sheet `sheet` names (SpaceOfSheetChoice: "saved", "model" or a layout's name); a
// drawing without a layout of that name shows what it opens in. A file is read in the encoding
// `encodings` gives it, when it gives one.
QImage MakePreviewPicture(const QString& path, QSize size, ColorModeValue colorMode,
                          PreviewFacts* facts = nullptr, TextShapeCache* shapes = nullptr,
                          const std::atomic<bool>* stop = nullptr,
                          const std::string& sheet = "saved",
                          std::shared_ptr<const FileEncodings> encodings = nullptr);

// Saves `picture` as the BMP cache file `cachePath`. The picture is written to a temporary file
// beside it and renamed, so a crash never leaves a broken cache file behind. Returns an empty
// text on success, else the reason.
QString SavePreviewCache(const QImage& picture, const QString& cachePath);

} // namespace orvanta

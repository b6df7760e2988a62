// A grid over a normalised drawing that finds the records near a view without looking at the
// others. Zoomed in on a big drawing, most of the time of a render goes into the visibility
// tests of records far outside the view; the detail view hands the renderer the indices of just
// the records the grid finds near it instead, which draws the same picture.
#pragma once

#include "geometry/EntityBoxes.h"
#include "model/AcadDxfUnit.h"
#include "render/DrawDxf.h"
#include "render/ViewTransform.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

namespace orvanta {

class DrawingGrid {
  public:
    // Indexes the lines, circles, arcs and texts of a normalised drawing by where they can be
    // drawn. Records that are never drawn (paper space, replaced by chords, invisible
    // attributes) are left out. A build whose `stop` turns true ends early with no grid.
    void build(const Drawing& drawing, const std::atomic<bool>* stop = nullptr);
    void clear();
    bool built() const { return columns_ > 0; }

    // Lists the indices of every line, circle, arc and text of `drawing` that can show in
    // `window` at `unitsPerPixel` or any finer scale in `found`, each table in its own order.
    // Returns false, leaving `found` as it was, when those records would be more than `maxShare`
    // of the drawing's: testing the whole model then costs little more than the choice.
    // `drawing` must be the one indexed, unchanged since.
    bool select(const Drawing& drawing, const WorldRect& window, double unitsPerPixel,
                double maxShare, RecordIndices& found);

  private:
    struct CellRange {
        int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
        bool empty() const { return x1 < x0; }
        long long cells() const {
            return empty()
                       ? 0
                       : static_cast<long long>(x1 - x0 + 1) * static_cast<long long>(y1 - y0 + 1);
        }
    };
    // Record ids per cell, in compressed rows: the ids of cell c are items[start[c]..start[c+1]).
    struct Cells {
        std::vector<std::uint32_t> start;
        std::vector<std::uint32_t> items;
    };

    // A grid of cells 2^k times the size of the finest, with its own start of each cell.
    struct Level {
        int columns = 0, rows = 0;
        double cellWidth = 1, cellHeight = 1;
        Cells cells;
    };

    // The cells a world box touches, clamped to the grid; empty for a box that is not finite.
    CellRange cellsOf(double minX, double minY, double maxX, double maxY) const;
    CellRange cellsOf(const Level& level, double minX, double minY, double maxX, double maxY) const;
    CellRange cellOf(const TAcadPoint& p) const;
    // The box of a line, or the square of a circle or of an arc's whole circle; false when it
    // is not finite.
    bool geometryBox(const Drawing& drawing, std::uint32_t id, TBox& box) const;
    // Both return false, the grid half made, when `stop` turned true.
    bool buildGeometry(const Drawing& drawing, const std::atomic<bool>* stop);
    bool buildTexts(const Drawing& drawing, const std::atomic<bool>* stop);
    void take(std::uint32_t id, RecordIndices& found) const;

    double left_ = 0, bottom_ = 0, cellWidth_ = 1, cellHeight_ = 1;
    int columns_ = 0, rows_ = 0;
    // Record ids: lines first, then circles, arcs and texts, each table in its order.
    std::size_t lines_ = 0, circles_ = 0, arcs_ = 0, texts_ = 0;
    // Lines, circles and arcs, each once: in the finest level whose cells are as wide and as
    // high as its box, in the cell of the box's centre. A record there reaches at most half a
    // cell beyond its cell, so a view looks at the cells of its window widened by that much.
    std::vector<Level> levels_;
    // Texts in the cells of their alignment point and their first point; a text reaches at most
    // textReach_ from the former.
    Cells textCells_;
    double textReach_ = 0;
    // Records too large for the cells, or not finite: candidates for every view.
    std::vector<std::uint32_t> everywhere_;
    // Scratch of select(): which records are taken, and their ids.
    std::vector<std::uint8_t> marks_;
    std::vector<std::uint32_t> found_;
};

// The grid of a drawing built on a thread of its own, so that the drawing's first picture does
// not wait for it. The thread reads the drawing until its build ends or is cancelled: the
// drawing must stay unchanged and alive until then.
class GridBuild {
  public:
    GridBuild() = default;
    ~GridBuild() { cancel(); }
    GridBuild(const GridBuild&) = delete;
    GridBuild& operator=(const GridBuild&) = delete;

    // Starts building the grid of `drawing`, after cancelling the build before it.
    void start(const Drawing& drawing);
    // Stops the build under way and drops its grid; returns once no thread reads the drawing.
    void cancel();
    // The grid once it is built, or nullptr while it is being built, when none was started or
    // when it could not be built (memory). Never waits.
    DrawingGrid* ready();

  private:
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> done_{false};
    // Written by the thread until done_ is set, then the caller's.
    std::unique_ptr<DrawingGrid> grid_;
};

} // namespace orvanta

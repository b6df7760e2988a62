#include "browse/DrawingGrid.h"

#include "geometry/EntityBoxes.h"
#include "render/DrawDxf.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <system_error>

namespace orvanta {

namespace {

// About this many lines, circles and arcs share a cell on average.
constexpr double RecordsPerCell = 8;
constexpr double MaxCells = 1 << 20;
// Levels of cells 1, 2, 4, 8 and 16 times the size of the finest. A record larger than the cells
// of the last (a frame around the drawing, a huge circle) is a candidate for every view.
constexpr int Levels = 5;
// A text whose reach is more than this many cells is a candidate everywhere, so that one long
// text does not widen the search for all the others.
constexpr double MaxTextReachCells = 16;

// A build looks whether it should stop once per this many records.
constexpr std::uint32_t StopCheckRecords = 1 << 16;

constexpr std::uint32_t Everywhere = 0xFFFFFFFF;

bool Finite(double a, double b, double c, double d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

bool Stopped(const std::atomic<bool>* stop, std::size_t record) {
    return stop != nullptr && record % StopCheckRecords == 0 &&
           stop->load(std::memory_order_relaxed);
}

bool Drawn(const TTextBlk& text) {
    return text.code67 == 0 && (text.code70 & 1) == 0;
}

} // namespace

DrawingGrid::CellRange DrawingGrid::cellsOf(const Level& level, double minX, double minY,
                                            double maxX, double maxY) const {
    CellRange range;
    if (!Finite(minX, minY, maxX, maxY) || level.columns == 0) return range;
    // Clamped in floating point first: a coordinate far outside the grid must not overflow.
    const auto column = [&](double x) {
        return static_cast<int>(
            std::clamp(std::floor((x - left_) / level.cellWidth), 0.0, level.columns - 1.0));
    };
    const auto row = [&](double y) {
        return static_cast<int>(
            std::clamp(std::floor((y - bottom_) / level.cellHeight), 0.0, level.rows - 1.0));
    };
    range.x0 = column(minX);
    range.x1 = column(maxX);
    range.y0 = row(minY);
    range.y1 = row(maxY);
    return range;
}

DrawingGrid::CellRange DrawingGrid::cellsOf(double minX, double minY, double maxX,
                                            double maxY) const {
    if (levels_.empty()) return {};
    return cellsOf(levels_.front(), minX, minY, maxX, maxY);
}

DrawingGrid::CellRange DrawingGrid::cellOf(const TAcadPoint& p) const {
    return cellsOf(p.x, p.y, p.x, p.y);
}

bool DrawingGrid::geometryBox(const Drawing& drawing, std::uint32_t id, TBox& box) const {
    if (id < lines_) {
        const TAcadLineBlk& line = drawing.LineAry[id];
        box = SegmentBox(line.st, line.ed);
    } else if (id < lines_ + circles_) {
        const TCircleBlk& circle = drawing.CircleAry[id - lines_];
        box = CircleBox(circle.center, circle.hankei);
    } else {
        // The whole circle of an arc: the renderer counts its centre as inside it.
        const TArcBlk& arc = drawing.ArcAry[id - lines_ - circles_];
        box = CircleBox(arc.center, arc.hankei);
    }
    return Finite(box.Min.x, box.Min.y, box.Max.x, box.Max.y);
}

void DrawingGrid::clear() {
    columns_ = rows_ = 0;
    lines_ = circles_ = arcs_ = texts_ = 0;
    textReach_ = 0;
    levels_ = {};
    textCells_ = {};
    everywhere_ = {};
    marks_ = {};
    found_ = {};
}

void DrawingGrid::build(const Drawing& drawing, const std::atomic<bool>* stop) {
    clear();
    lines_ = drawing.LineAry.size();
    circles_ = drawing.CircleAry.size();
    arcs_ = drawing.ArcAry.size();
    texts_ = drawing.TextAry.size();
    const std::size_t geometry = lines_ + circles_ + arcs_;
    if (geometry + texts_ == 0 || geometry + texts_ >= Everywhere) return;

    left_ = drawing.ExtMin.x;
    bottom_ = drawing.ExtMin.y;
    const double width = drawing.ExtMax.x - drawing.ExtMin.x;
    const double height = drawing.ExtMax.y - drawing.ExtMin.y;
    if (!Finite(left_, bottom_, width, height) || width < 0 || height < 0) return;
    // Cells about square, as many as the records ask for.
    const double cells =
        std::clamp(static_cast<double>(std::max(geometry, texts_)) / RecordsPerCell, 1.0, MaxCells);
    const double side = width > 0 && height > 0 ? std::sqrt(width * height / cells)
                                                : std::max(width, height) / cells;
    columns_ = side > 0 ? static_cast<int>(std::clamp(std::ceil(width / side), 1.0, cells)) : 1;
    rows_ = side > 0 ? static_cast<int>(std::clamp(std::ceil(height / side), 1.0,
                                                   std::max(1.0, cells / columns_)))
                     : 1;
    cellWidth_ = width > 0 ? width / columns_ : 1;
    cellHeight_ = height > 0 ? height / rows_ : 1;
    for (int k = 0; k < Levels; ++k) {
        const int scale = 1 << k;
        Level& level = levels_.emplace_back();
        level.columns = (columns_ + scale - 1) / scale;
        level.rows = (rows_ + scale - 1) / scale;
        level.cellWidth = cellWidth_ * scale;
        level.cellHeight = cellHeight_ * scale;
    }

    if (!buildGeometry(drawing, stop) || !buildTexts(drawing, stop)) {
        clear();
        return;
    }
    marks_.assign(geometry + texts_, 0);
}

bool DrawingGrid::buildGeometry(const Drawing& drawing, const std::atomic<bool>* stop) {
    // One pass over the records notes each one's level and cell, counting the entries per cell;
    // a second pass over the notes alone fills them in.
    const auto records = static_cast<std::uint32_t>(lines_ + circles_ + arcs_);
    // A record's place: its level in the top bits, its cell in the others (fewer than 2^20).
    constexpr int CellBits = 28;
    std::vector<std::uint32_t> places(records, Everywhere);
    for (Level& level : levels_)
        level.cells.start.assign(static_cast<std::size_t>(level.columns) * level.rows + 1, 0);
    for (std::uint32_t id = 0; id < records; ++id) {
        if (Stopped(stop, id)) return false;
        const std::int16_t space = id < lines_ ? drawing.LineAry[id].code67
                                   : id < lines_ + circles_
                                       ? drawing.CircleAry[id - lines_].code67
                                       : drawing.ArcAry[id - lines_ - circles_].code67;
        // Records the renderer never draws are left out.
        if (space != 0) continue;
        TBox box;
        // Not finite: the renderer's own tests decide.
        if (!geometryBox(drawing, id, box)) {
            everywhere_.push_back(id);
            continue;
        }
        const double width = box.Max.x - box.Min.x;
        const double height = box.Max.y - box.Min.y;
        int k = 0;
        while (k < Levels && (width > levels_[k].cellWidth || height > levels_[k].cellHeight))
            ++k;
        if (k == Levels) {
            everywhere_.push_back(id);
            continue;
        }
        Level& level = levels_[k];
        const TAcadPoint centre{(box.Min.x + box.Max.x) / 2, (box.Min.y + box.Max.y) / 2, 0};
        const CellRange cell = cellsOf(level, centre.x, centre.y, centre.x, centre.y);
        const std::uint32_t index = static_cast<std::uint32_t>(cell.y0) * level.columns + cell.x0;
        places[id] = static_cast<std::uint32_t>(k) << CellBits | index;
        ++level.cells.start[index + 1];
    }
    std::vector<std::vector<std::uint32_t>> fill;
    for (Level& level : levels_) {
        std::vector<std::uint32_t>& start = level.cells.start;
        for (std::size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        level.cells.items.resize(start.back());
        fill.emplace_back(start.begin(), start.end() - 1);
    }
    for (std::uint32_t id = 0; id < records; ++id) {
        const std::uint32_t place = places[id];
        if (place == Everywhere) continue;
        const std::uint32_t k = place >> CellBits;
        levels_[k].cells.items[fill[k][place & ((1u << CellBits) - 1)]++] = id;
    }
    return true;
}

bool DrawingGrid::buildTexts(const Drawing& drawing, const std::atomic<bool>* stop) {
    // A text is found by the cell of the point its reach is measured from and by the cell of
    // its first point (the renderer draws a text whose first point is in view).
    const std::size_t cellCount = static_cast<std::size_t>(columns_) * rows_;
    const std::uint32_t first = static_cast<std::uint32_t>(lines_ + circles_ + arcs_);
    const double cap = MaxTextReachCells * std::max(cellWidth_, cellHeight_);
    struct Place {
        std::uint32_t anchor = Everywhere;
        std::uint32_t start = Everywhere;
    };
    std::vector<Place> places(texts_);
    std::vector<std::uint32_t>& start = textCells_.start;
    start.assign(cellCount + 1, 0);
    const auto index = [&](const CellRange& range) {
        return static_cast<std::uint32_t>(range.y0) * columns_ + range.x0;
    };
    for (std::size_t i = 0; i < texts_; ++i) {
        if (Stopped(stop, i)) return false;
        const TTextBlk& text = drawing.TextAry[i];
        if (!Drawn(text)) continue;
        const TBox reach = TextReach(text);
        const double radius = (reach.Max.x - reach.Min.x) / 2;
        const TAcadPoint anchor{(reach.Min.x + reach.Max.x) / 2, (reach.Min.y + reach.Max.y) / 2,
                                0};
        const CellRange anchorCell = cellOf(anchor);
        const CellRange startCell = cellOf(text.pt10);
        if (!std::isfinite(radius) || radius > cap || anchorCell.empty() || startCell.empty()) {
            everywhere_.push_back(first + static_cast<std::uint32_t>(i));
            continue;
        }
        textReach_ = std::max(textReach_, radius);
        places[i].anchor = index(anchorCell);
        ++start[places[i].anchor + 1];
        if (index(startCell) != places[i].anchor) {
            places[i].start = index(startCell);
            ++start[places[i].start + 1];
        }
    }
    for (std::size_t i = 1; i <= cellCount; ++i)
        start[i] += start[i - 1];
    textCells_.items.resize(start[cellCount]);
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::size_t i = 0; i < texts_; ++i) {
        const std::uint32_t id = first + static_cast<std::uint32_t>(i);
        if (places[i].anchor != Everywhere) textCells_.items[fill[places[i].anchor]++] = id;
        if (places[i].start != Everywhere) textCells_.items[fill[places[i].start]++] = id;
    }
    return true;
}

void DrawingGrid::take(std::uint32_t id, RecordIndices& found) const {
    const auto index = [](std::size_t i) { return static_cast<std::uint32_t>(i); };
    if (id < lines_)
        found.lines.push_back(id);
    else if (id < lines_ + circles_)
        found.circles.push_back(index(id - lines_));
    else if (id < lines_ + circles_ + arcs_)
        found.arcs.push_back(index(id - lines_ - circles_));
    else
        found.texts.push_back(index(id - lines_ - circles_ - arcs_));
}

bool DrawingGrid::select(const Drawing& drawing, const WorldRect& window, double unitsPerPixel,
                         double maxShare, RecordIndices& found) {
    const std::size_t records = lines_ + circles_ + arcs_ + texts_;
    if (columns_ == 0 || drawing.LineAry.size() != lines_ || drawing.CircleAry.size() != circles_ ||
        drawing.ArcAry.size() != arcs_ || drawing.TextAry.size() != texts_)
        return false;
    const CellRange range =
        cellsOf(window.lowerLeft.x, window.lowerLeft.y, window.upperRight.x, window.upperRight.y);
    const CellRange textRange =
        cellsOf(window.lowerLeft.x - textReach_, window.lowerLeft.y - textReach_,
                window.upperRight.x + textReach_, window.upperRight.y + textReach_);
    if (range.empty() || textRange.empty()) return false;
    if (static_cast<double>(range.cells()) > maxShare * columns_ * rows_) return false;
    const double limit = maxShare * static_cast<double>(records);

    const std::uint32_t firstText = static_cast<std::uint32_t>(lines_ + circles_ + arcs_);
    found_.clear();
    // Texts are taken only when the renderer would draw them in this window at this scale; at a
    // finer scale their reach only shrinks.
    const auto mark = [&](std::uint32_t id) {
        if (marks_[id] != 0) return;
        if (id >= firstText && !TextInView(drawing.TextAry[id - firstText], window, unitsPerPixel))
            return;
        marks_[id] = 1;
        found_.push_back(id);
    };
    const auto markCells = [&](const Cells& cells, int columns, const CellRange& r) {
        for (int y = r.y0; y <= r.y1 && static_cast<double>(found_.size()) <= limit; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * columns;
            for (std::uint32_t i = cells.start[row + r.x0]; i < cells.start[row + r.x1 + 1]; ++i)
                mark(cells.items[i]);
        }
    };
    for (std::uint32_t id : everywhere_)
        mark(id);
    // A record lies within half a cell of its level around the centre of its cell. The window
    // is widened by a little more, so that rounding never loses one at the edge.
    const double magnitude =
        std::max({std::fabs(left_), std::fabs(bottom_), std::fabs(window.lowerLeft.x),
                  std::fabs(window.lowerLeft.y), std::fabs(window.upperRight.x),
                  std::fabs(window.upperRight.y)});
    for (const Level& level : levels_) {
        const double padX = 0.5001 * level.cellWidth + 1e-12 * magnitude;
        const double padY = 0.5001 * level.cellHeight + 1e-12 * magnitude;
        markCells(level.cells, level.columns,
                  cellsOf(level, window.lowerLeft.x - padX, window.lowerLeft.y - padY,
                          window.upperRight.x + padX, window.upperRight.y + padY));
    }
    markCells(textCells_, columns_, textRange);
    const bool taken = static_cast<double>(found_.size()) <= limit;
    if (taken) {
        found.lines.clear();
        found.circles.clear();
        found.arcs.clear();
        found.texts.clear();
        // Ids run in table order, so ids in order keep every table in its order: sorted when
        // they are few, read off the marks when they are many.
        if (found_.size() < records / 32) {
            std::sort(found_.begin(), found_.end());
            for (std::uint32_t id : found_) {
                marks_[id] = 0;
                take(id, found);
            }
        } else {
            for (std::uint32_t id = 0; id < records; ++id) {
                if (marks_[id] == 0) continue;
                marks_[id] = 0;
                take(id, found);
            }
        }
    } else {
        for (std::uint32_t id : found_)
            marks_[id] = 0;
    }
    found_.clear();
    return taken;
}

void GridBuild::start(const Drawing& drawing) {
    cancel();
    grid_ = std::make_unique<DrawingGrid>();
    stop_ = false;
    done_ = false;
    try {
        thread_ = std::thread([this, &drawing] {
            // Without a grid, zoomed-in views are only slower.
            try {
                grid_->build(drawing, &stop_);
            } catch (const std::bad_alloc&) {
                grid_->clear();
            }
            done_.store(true, std::memory_order_release);
        });
    } catch (const std::system_error&) {
        grid_.reset();
    }
}

void GridBuild::cancel() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    grid_.reset();
}

DrawingGrid* GridBuild::ready() {
    if (!grid_ || !done_.load(std::memory_order_acquire)) return nullptr;
    if (thread_.joinable()) thread_.join();
    return grid_->built() ? grid_.get() : nullptr;
}

} // namespace orvanta

// The layout rules of the preview grid that need no widget: the number of entries, the cell sizes
// offered, the grid's columns and rows and the steps of its progress bar.
#pragma once

#include <algorithm>

namespace orvanta {

// The grid shows the first this many drawings of a folder; the file list still lists them all.
constexpr int MaxPreviewEntries = 2500;

// The cell sizes offered under "一覧イメージサイズ": the menu text and the cell in pixels.
struct CellSizeChoice {
    const char* text;
    int width;
    int height;
};
constexpr int CellSizeCount = 4;
constexpr CellSizeChoice CellSizeChoices[CellSizeCount] = {{"200 x 160", 200, 160},
                                                           {"160 x 130", 160, 130},
                                                           {"100 x  88", 100, 88},
                                                           {" 80 x  76", 80, 76}};

// The progress bar of a build over `count` files: at most 50 steps, each `step` files.
struct PreviewProgressSteps {
    int maximum;
    int step;
};
inline PreviewProgressSteps PreviewProgressStepsFor(int count) {
    if (count >= 50) return {50, count / 50};
    return {count, 1};
}

// Columns of a grid `gridWidth` pixels wide with cells `cellWidth` wide: at least one.
inline int GridColumns(int gridWidth, int cellWidth) {
    return cellWidth > 0 ? std::max(1, gridWidth / cellWidth) : 1;
}
// Rows that hold `entries` cells in `columns` columns.
inline int GridRows(int entries, int columns) {
    return columns > 0 ? entries / columns + (entries % columns ? 1 : 0) : 0;
}

} // namespace orvanta

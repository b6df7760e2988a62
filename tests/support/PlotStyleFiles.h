// Colour-dependent plot style tables (.ctb) written by the tests.
#pragma once

#include "model/AcadDxfUnit.h"

#include <optional>
#include <string>
#include <vector>

namespace orvanta::test {

// The plot style of one colour index; an empty colour or lineweight is the object's own.
struct PlotStyleEntry {
    int index = 1;
    std::optional<TColor> color;
    std::optional<double> lineweightMm;
    int screen = 100;
    bool grayscale = false;
};

// The text of a table as the editors of such tables write it: the listed colours as given,
// every other colour printed as the object is, with the object's lineweight.
std::string PlotStyleText(const std::vector<PlotStyleEntry>& entries);

// The bytes of a .ctb file holding `text`: the header and the text compressed with zlib.
std::string PlotStyleFileBytes(const std::string& text);

// Writes a .ctb file of `entries` at `path` and returns the path.
std::string WritePlotStyleTable(const std::string& path,
                                const std::vector<PlotStyleEntry>& entries);

} // namespace orvanta::test

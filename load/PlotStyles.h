// Colour-dependent plot style tables (.ctb files): for each colour index, the colour, screening
// and lineweight a record of that colour is printed with. Printing reads the table the user chose
// and applies it to its own copy of the drawing, after the pens are resolved.
#pragma once

#include "model/AcadDxfUnit.h"
#include "model/Language.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orvanta {

// How records of one colour index are printed.
struct PlotStyle {
    // The colour printed instead of the record's own; empty: the record's own colour.
    std::optional<TColor> color;
    // The colour, the table's or the record's own, is printed as its grey.
    bool grayscale = false;
    // The ink, from 0 (none: white) to 100 (the full colour).
    int screen = 100;
    // The lineweight printed instead of the record's own, in hundredths of a millimetre; empty:
    // the record's own.
    std::optional<std::int16_t> lineweight;
};

struct PlotStyleTable {
    std::string description; // as the table's author wrote it, in UTF-8
    // By colour index 1 to 255; [0] is not used (a record of colour 0 keeps its own pen).
    std::array<PlotStyle, 256> styles{};
};

// Why a table could not be read.
enum class PlotStyleProblem {
    NoSuchFile,       // the file does not exist or is a folder
    Unreadable,       // the file cannot be opened or read; `detail` is the system's reason
    NotPlotStyles,    // the file does not begin as a plot style table does
    NamedPlotStyles,  // a named plot style table (.stb), which maps no colours
    Truncated,        // the file ends before its compressed table does
    Damaged,          // the compressed table does not decompress
    TooLarge,         // the table is larger than any plot style table is
    UnbalancedBraces, // a block is not closed, or a "}" closes none
    TooDeep,          // blocks nested deeper than a plot style table nests them
    MalformedLine,    // a line that is neither "name=value", "name{" nor "}"
    BadValue,         // a value that makes no sense for its name; `value` is the line
    MissingColor,     // no plot style for colour `color`
};

// A table that could not be read: the file, the line of the table's text that failed (0 when no
// line is to blame) and what was wrong, as data, so that each program words it in its own
// language. what() is the English message.
class PlotStyleError : public std::runtime_error {
  public:
    PlotStyleError(const std::string& file, PlotStyleProblem problem, long line = 0,
                   const std::string& value = {}, int color = 0, const std::string& detail = {});
    const std::string& file() const { return file_; }
    PlotStyleProblem problem() const { return problem_; }
    long line() const { return line_; }
    const std::string& value() const { return value_; }
    int color() const { return color_; }
    // What was wrong, without the file and the line.
    std::string reason(Language language = TextLanguage()) const;
    // "file: reason", with the line when one is to blame; the reason alone without a file.
    std::string message(Language language = TextLanguage()) const;

  private:
    std::string file_;
    PlotStyleProblem problem_;
    long line_;
    std::string value_;
    int color_;
    std::string detail_;
};

// Reads the .ctb file at `path`. Throws PlotStyleError for a file that is missing, unreadable or
// not a readable colour-dependent plot style table; std::bad_alloc passes through.
PlotStyleTable ReadPlotStyleTable(const std::string& path);

// The table held by the bytes of a .ctb file; `file` names it in errors. Throws PlotStyleError.
PlotStyleTable ParsePlotStyleTable(std::string_view bytes, const std::string& file = {});

// Gives every drawable record of the model tables whose colour is an index 1 to 255 the colour
// and lineweight its plot style prints it with. Runs on a drawing whose pens are resolved; the
// records of other colours, and what the table leaves to the object, keep their own.
void ApplyPlotStyle(Drawing& drawing, const PlotStyleTable& table);

} // namespace orvanta

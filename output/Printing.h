// Printing drawings on pages: a folder's drawings tiled over pages (`PrintAll`) and the drawing
// of the detail view on one page (`PrintZoom`). Both draw on any paged device (a printer, a PDF
// file) in full-page mode: the painter's origin is the corner of the paper and every margin is
// placed here in millimetres, so that it comes out exact whatever the driver's own margins.
#pragma once

#include "load/LoadDrawing.h"
#include "load/PlotStyles.h"
#include "model/AcadDxfUnit.h"
#include "render/Colors.h"
#include "render/ViewTransform.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <optional>

#include <stdexcept>
#include <string>
#include <vector>

class QPagedPaintDevice;

namespace orvanta {

// What the page layout needs of the device.
struct PageMetrics {
    double pxPerMmX = 0; // device pixels per millimetre
    double pxPerMmY = 0;
    int pageW = 0; // the whole paper in device pixels
    int pageH = 0;
    int offsetX = 0; // corner of the painter's origin on the paper; 0 in full-page mode
    int offsetY = 0;
};

// The page in device pixels: margins of 20 mm left and top and 10 mm right and bottom from the
// paper's edges, the caption strip at the top of a cell and the caption font's cell height.
struct PageGeometry {
    PageMetrics metrics;
    int left = 0;
    int top = 0;
    int areaW = 0;
    int areaH = 0;
    int strip = 0;
    int captionHeight = 0;
    int mmX(double mm) const { return static_cast<int>(mm * metrics.pxPerMmX); }
    int mmY(double mm) const { return static_cast<int>(mm * metrics.pxPerMmY); }
};

PageMetrics MetricsOf(const QPagedPaintDevice& device);
PageGeometry ComputePageGeometry(const PageMetrics& metrics);

// Rows of a list page: as many as columns on landscape paper, twice as many on portrait.
int PrintRows(int columns, bool landscape);
// Pages for `files` drawings at columns x rows a page (at least one page).
int PrintPages(int files, int columns, int rows);

// A name cut to fit `available` pixels of a caption: when wider, its first n characters, n =
// available div (width div characters), followed by "..". `width` gives a text's width.
template <typename Width> QString CutCaption(const QString& name, int available, Width width);

// What a print run reports back to its window (or the command line) while it goes on.
class PrintMonitor {
  public:
    virtual ~PrintMonitor() = default;
    virtual void setProgressRange(int maximum) = 0;
    virtual void setProgress(int value) = 0;
    // Status panel 0: what is being done now; empty clears it.
    virtual void setStatus(const QString& text) = 0;
    // Called after each cell: lets the window process pending input and says whether to go on
    // (false once the stop button was pressed).
    virtual bool keepPrinting() = 0;
    // A list print has read the file `index` of its request: `loaded` is what the reader made of
    // it and `failure` why its cell stays empty (empty when it was drawn).
    virtual void fileRead(int index, const LoadedDrawing& loaded, const std::string& failure) {}
};

// A monitor that shows nothing and never stops.
class SilentPrintMonitor : public PrintMonitor {
  public:
    void setProgressRange(int) override {}
    void setProgress(int) override {}
    void setStatus(const QString&) override {}
    bool keepPrinting() override { return true; }
};

// The device could not be opened for printing (a PDF file that cannot be written, a printer
// that refuses the job).
class PrintError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct ListPrintRequest {
    std::string folder;                             // the folder of the files
    std::vector<std::string> names;                 // the file names in list order
    int retu = 2;                                   // columns
    int gyou = 4;                                   // rows
    ColorModeValue cosw = ColorModeMonochrome;      // colour mode: colour, black, inverted colours
    DrawingConverter* converter = nullptr;          // for DWG content; none leaves such cells empty
    std::shared_ptr<const FileEncodings> encodings; // the user's encodings of files
    bool lineweights = false;    // lines as wide as their lineweights on the page
    std::string sheet = "saved"; // the sheet of each drawing (SpaceOfSheetChoice)
    // When set, each drawing's colours and lineweights as the table prints them, whatever cosw
    // and lineweights say.
    const PlotStyleTable* style = nullptr;
};

struct CellFailure {
    std::string name;
    std::string reason;
};

struct PrintReport {
    int pages = 0;                     // pages begun
    int drawn = 0;                     // drawings printed in their cells
    bool stopped = false;              // the run was stopped before its end
    std::vector<CellFailure> failures; // drawings printed as empty cells, with the reason
};

// Prints the files of the request tiled over pages, each cell framed with the file name above
// the drawing, every page numbered "p / n". A file that cannot be loaded or drawn gets an empty
// cell with its name and the reason, and the run goes on. The document is ended however the
// run ends (stop or error), so the pages done are printed. Throws PrintError when the device
// cannot begin the document.
PrintReport PrintAll(QPagedPaintDevice& device, const ListPrintRequest& request,
                     PrintMonitor& monitor);

// What a one-page print shows.
enum class PrintRange {
    Whole, // the whole drawing
    View,  // the part the view shows, at the view's centre and extent
};

// How a page holds its drawing.
struct PrintScaleChoice {
    enum class Kind {
        Fit,   // as large as the frame holds
        Ratio, // at 1 : ratio, one paper millimetre for `ratio` drawing millimetres ($INSUNITS)
        Sheet, // a layout as its author plots it: on its own paper at its plot scale, without
               // frame or caption; anything else at `ratio` when one is given, else fitted
    };
    Kind kind = Kind::Fit;
    double ratio = 0; // N of 1 : N; 0 for none
};

struct PagePrintOptions {
    PrintRange range = PrintRange::Whole;
    ColorModeValue cosw = ColorModeMonochrome;
    // Lines as wide as their lineweights, in paper millimetres whatever the scale.
    bool lineweights = false;
    PrintScaleChoice scale;
    // When set, the colours and lineweights the table prints, whatever cosw and lineweights say.
    const PlotStyleTable* style = nullptr;
};

// The paper of a layout's plot settings, when the layout of `space` has them: its size in
// millimetres as it lies (landscape when wider).
std::optional<QSizeF> SheetPaper(const Drawing& drawing, std::int16_t space);

// The share (0 to 1) of the range that the frame of a page of `paper` millimetres holds at
// 1 : `ratio`: the range being the whole of `view.space` or the view's extent, as `range` says.
double RangeShareOnPage(const Drawing& drawing, const DrawView& view, PrintRange range,
                        double ratio, QSizeF paper);

// The page of `paper` millimetres, turned when it is wider than high, in full-page mode without
// margins: the one page layout of every print.
QPageLayout PageLayoutOf(QSizeF paper);

// The paper's name ("A3", "Letter") when it is one of the standard papers, else its size in
// millimetres ("300 x 200 mm").
QString PaperCaption(QSizeF paper);

// Prints the drawing on one page with `caption` above it: the whole drawing or the part `view`
// shows, as `options.range` says, fitted to the frame or at a scale, centred and cut at the
// frame; at a scale the caption also says the scale and the paper ("1:100 A3"). Only the view's
// centre, extent and space count: the page gives the rest. A layout printed as its author plots
// it (PrintScaleChoice::Sheet) sets the device's page to the layout's paper. Throws PrintError
// as PrintAll.
void PrintZoom(QPagedPaintDevice& device, const Drawing& drawing, const DrawView& view,
               const QString& caption, const PagePrintOptions& options);

// A folder's drawings (or some of them) into PDF files, each on a page of its own.
struct PdfBatchRequest {
    std::string folder;
    std::vector<std::string> names;
    DrawingConverter* converter = nullptr;
    std::shared_ptr<const FileEncodings> encodings; // the user's encodings of files
    std::string sheet = "saved"; // the sheet of each drawing (SpaceOfSheetChoice)
    // The paper of a drawing printed fitted or at a ratio, in millimetres, upright or turned.
    QSizeF paper{210, 297};
    // Kind::Sheet prints a drawing shown on a layout with plot settings on that layout's paper
    // and at its scale, and any other fitted to `paper`.
    PrintScaleChoice scale;
    ColorModeValue cosw = ColorModeMonochrome;
    bool lineweights = false;
    const PlotStyleTable* style = nullptr; // as PagePrintOptions::style
    // One PDF for all (`output` is its path) or one PDF for each drawing (`output` is a folder,
    // each file named after its drawing).
    std::string output;
    bool each = false;
};

// The PDF that drawing `name` of an each-file batch goes to in folder `output`: the drawing's
// name with ".pdf" in place of its extension, or added when another name of the batch has the
// same stem.
std::string EachPdfPath(const PdfBatchRequest& request, std::size_t index);

// Prints the request's drawings, one page each, with progress and stop through `monitor`. A
// drawing that cannot be loaded or drawn is listed in the report's failures and the run goes on
// (in one PDF it gets a page with its name and the reason). Every PDF is written beside its
// path and takes the path's place only once complete; a stopped run keeps the pages done of one
// PDF and the files done of each. Throws PrintError when no PDF can be written at all.
PrintReport PrintPdfBatch(const PdfBatchRequest& request, PrintMonitor& monitor);

} // namespace orvanta

#include "output/PrintingCaption.inl"

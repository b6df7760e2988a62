// Printing drawings on pages: a folder's drawings tiled over pages (`PrintAll`) and the drawing
// of the detail view on one page (`PrintZoom`). Both draw on any paged device (a printer, a PDF
// file) in full-page mode: the painter's origin is the corner of the paper and every margin is
// placed here in millimetres, so that it comes out exact whatever the driver's own margins.
#pragma once

#include "load/LoadDrawing.h"
#include "model/AcadDxfUnit.h"
#include "render/Colors.h"
#include "render/ViewTransform.h"

#include <QString>

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
    std::string folder;                        // the folder of the files
    std::vector<std::string> names;            // the file names in list order
    int retu = 2;                              // columns
    int gyou = 4;                              // rows
    ColorModeValue cosw = ColorModeMonochrome; // colour mode: colour, black, inverted colours
    DrawingConverter* converter = nullptr;     // for DWG content; none leaves such cells empty
    bool lineweights = false;                  // lines as wide as their lineweights on the page
    std::string sheet = "saved";               // the sheet of each drawing (SpaceOfSheetChoice)
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

// Prints the drawing on one page with `caption` above it: the whole drawing or the part `view`
// shows, as `hanisw` says, cut at the frame, lines as wide as their lineweights on the page when
// `lineweights` is set. Only the view's centre and extent count: the page gives the rest. Throws
// PrintError as PrintAll.
void PrintZoom(QPagedPaintDevice& device, const Drawing& drawing, const DrawView& view,
               const QString& caption, PrintRange hanisw, ColorModeValue cosw,
               bool lineweights = false);

} // namespace orvanta

#include "output/PrintingCaption.inl"

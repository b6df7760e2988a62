// orvanta-cli print: a folder's drawings tiled over pages, or one drawing on a page, written to
// a PDF file through the same print code as the print window.
#include "browse/FolderScan.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/LoadDrawing.h"
#include "geometry/PrintScale.h"
#include "load/PlotStyles.h"
#include "model/Abort.h"
#include "output/Printing.h"
#include "render/ViewState.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSizeF>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

namespace orvanta::cli {

namespace {

namespace fs = std::filesystem;

const char* const PrintUsage =
    "usage: orvanta-cli print FOLDER|FILE -o OUT.pdf [options]\n"
    "  a FOLDER prints its drawings tiled over pages, as the list print of the window, unless\n"
    "  --scale, --sheets or --each asks for a page for each drawing; a FILE prints the drawing\n"
    "  on one page, as the detail print\n"
    "  --columns N           drawings across a page of a tiled print, 1 to 16 (default 2)\n"
    "  --paper NAME          A0 to A4, B3 to B5 (JIS), Letter, Legal, Tabloid, or another\n"
    "                        size Qt knows, such as ISOB4 (default A4)\n"
    "  --landscape           the paper turned (default upright)\n"
    "  --scale 1:N|fit       each drawing at 1 : N, N drawing millimetres ($INSUNITS) to one\n"
    "                        paper millimetre, or fitted to the page (default fit)\n"
    "  --sheets              a drawing shown on a layout with plot settings prints on that\n"
    "                        layout's paper at its plot scale; any other as --scale says\n"
    "  --each                one PDF for each drawing in the folder -o names (made if missing)\n"
    "  --color-mode 0|1|2    0 colour, 1 black, 2 inverted colours (default 1)\n"
    "  --lineweights         lines as wide as their lineweights, in paper millimetres\n"
    "  --style FILE.ctb      colours and lineweights as the plot style table prints them\n"
    "  --encoding NAME|auto  read texts in NAME (Shift-JIS, UTF-8, GBK, Big5, EUC-KR, ...)\n"
    "  --layout NAME|model|saved  a layout by its name, the model, or what the drawing was\n"
    "                        saved showing (default saved); in a FOLDER, a drawing without a\n"
    "                        layout of that NAME prints as saved\n";

struct PrintOptions {
    int columns = 2;
    bool landscape = false;
    std::string paper = "A4";
    ColorModeValue colorMode = ColorModeMonochrome;
    std::string layout = "saved";
    PrintScaleChoice scale;
    bool each = false;
    bool lineweights = false;
    std::optional<PlotStyleTable> style;
    std::string encoding;
    const PlotStyleTable* styleTable() const { return style ? &*style : nullptr; }
    // Whether a page is printed for each drawing rather than the drawings tiled.
    bool pagePerDrawing() const { return scale.kind != PrintScaleChoice::Kind::Fit || each; }
};

// The paper called `name`: one of the print window's papers, or another Qt knows by its key
// (case ignored); B4 and B5 are the JIS sizes, the ISO ones "ISOB4" and "ISOB5".
bool PaperOf(const std::string& name, QSizeF& paper) {
    if (const std::optional<PaperSize> standard = PaperNamed(name))
        return paper = QSizeF(standard->width, standard->height), true;
    const QString key = QString::fromStdString(name).toUpper();
    if (key == QStringLiteral("ISOB4") || key == QStringLiteral("ISOB5")) {
        const QPageSize size(key.endsWith('4') ? QPageSize::B4 : QPageSize::B5);
        return paper = size.size(QPageSize::Millimeter), true;
    }
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
        if (size.isValid() && size.key().toUpper() == key)
            return paper = size.size(QPageSize::Millimeter), true;
    }
    return false;
}

// "1:N" (or "N") with N a positive number, or "fit".
bool ScaleOf(const std::string& text, PrintScaleChoice& scale) {
    if (text == "fit") {
        scale = {};
        return true;
    }
    std::string n = text;
    if (n.rfind("1:", 0) == 0) n.erase(0, 2);
    char* end = nullptr;
    const double ratio = std::strtod(n.c_str(), &end);
    if (n.empty() || *end != '\0' || !(ratio > 0) || ratio > 1e7) return false;
    scale.ratio = ratio;
    if (scale.kind == PrintScaleChoice::Kind::Fit) scale.kind = PrintScaleChoice::Kind::Ratio;
    return true;
}

// The paper of the options in millimetres, turned when --landscape says so.
QSizeF PaperSizeOf(const PrintOptions& options) {
    QSizeF paper;
    PaperOf(options.paper, paper);
    return options.landscape ? paper.transposed() : paper;
}

// One encoding for every file of a request, when one is given.
template <class Request>
std::shared_ptr<const FileEncodings> EveryFileIn(const Request& request,
                                                 const std::string& encoding) {
    if (encoding.empty()) return nullptr;
    auto encodings = std::make_shared<FileEncodings>();
    for (const std::string& name : request.names)
        (*encodings)[(fs::path(request.folder) / name).string()] = encoding;
    return encodings;
}

void ReportFailures(const std::string& folder, const PrintReport& report, const char* outcome) {
    for (const CellFailure& failure : report.failures)
        std::fprintf(stderr, "%s: %s: %s\n", (fs::path(folder) / failure.name).string().c_str(),
                     outcome, failure.reason.c_str());
}

// A page for each drawing: into one PDF, or a PDF for each in the folder `out`.
int PrintEach(const std::string& input, const std::string& out, const PrintOptions& options) {
    PdfBatchRequest request;
    std::error_code error;
    if (fs::is_directory(input, error)) {
        request.folder = input;
        for (const DrawingFile& file : ScanDrawingFolder(input).files)
            request.names.push_back(file.name);
    } else {
        const fs::path path(input);
        request.folder = path.has_parent_path() ? path.parent_path().string() : ".";
        request.names = {path.filename().string()};
    }
    request.sheet = options.layout;
    request.paper = PaperSizeOf(options);
    request.scale = options.scale;
    request.cosw = options.colorMode;
    request.lineweights = options.lineweights;
    request.style = options.styleTable();
    request.encodings = EveryFileIn(request, options.encoding);
    request.output = out;
    request.each = options.each;
    if (options.each) {
        fs::create_directories(out, error);
        if (!fs::is_directory(out, error)) throw PrintError("cannot make the folder " + out);
    }
    SilentPrintMonitor monitor;
    const PrintReport report = PrintPdfBatch(request, monitor);
    ReportFailures(request.folder, report, "not printed");
    std::printf("%d drawings on %d pages, %zu failed\n", report.drawn, report.pages,
                report.failures.size());
    return report.drawn > 0 || request.names.empty() ? 0 : 1;
}

// Prints into `temporary`; the caller renames it to the output once it is complete.
int PrintTo(const std::string& input, const std::string& temporary, const PrintOptions& options) {
    QPdfWriter pdf(QString::fromStdString(temporary));
    pdf.setCreator(QStringLiteral("orvanta-cli print"));
    pdf.setPageLayout(PageLayoutOf(PaperSizeOf(options)));
    std::error_code error;
    if (fs::is_directory(input, error)) {
        ListPrintRequest request;
        request.folder = input;
        for (const DrawingFile& file : ScanDrawingFolder(input).files)
            request.names.push_back(file.name);
        request.retu = options.columns;
        request.gyou = PrintRows(options.columns, options.landscape);
        request.cosw = options.colorMode;
        request.sheet = options.layout;
        request.lineweights = options.lineweights;
        request.style = options.styleTable();
        request.encodings = EveryFileIn(request, options.encoding);
        SilentPrintMonitor monitor;
        const PrintReport report = PrintAll(pdf, request, monitor);
        ReportFailures(input, report, "printed empty");
        std::printf("%d drawings on %d pages, %zu printed empty\n", report.drawn, report.pages,
                    report.failures.size());
        return 0;
    }
    LoadedDrawing loaded = LoadForCommand(input, "printed", options.encoding);
    DrawView whole;
    if (!SpaceOfSheetChoice(loaded.drawing, options.layout, whole.space))
        throw SilentAbort(input + ": the drawing has no layout \"" + options.layout + "\"");
    PagePrintOptions page;
    page.cosw = options.colorMode;
    page.lineweights = options.lineweights;
    page.scale = options.scale;
    page.style = options.styleTable();
    PrintZoom(pdf, loaded.drawing, whole, QFileInfo(QString::fromStdString(input)).fileName(),
              page);
    return 0;
}

} // namespace

int PrintCommand(const std::vector<std::string>& args) {
    PrintOptions options;
    std::string input;
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h") {
            std::fputs(PrintUsage, stdout);
            return 0;
        } else if (a == "-o" && hasValue) {
            out = args[++i];
        } else if (a == "--columns" && hasValue) {
            if (!ParseInt(args[++i], 1, 16, options.columns)) {
                std::fprintf(stderr, "print: --columns takes 1 to 16, not \"%s\"\n",
                             args[i].c_str());
                return 2;
            }
        } else if (a == "--landscape") {
            options.landscape = true;
        } else if (a == "--paper" && hasValue) {
            QSizeF paper;
            if (!PaperOf(args[++i], paper)) {
                std::fprintf(stderr, "print: unknown paper \"%s\"\n", args[i].c_str());
                return 2;
            }
            options.paper = args[i];
        } else if (a == "--scale" && hasValue) {
            if (!ScaleOf(args[++i], options.scale)) {
                std::fprintf(stderr, "print: --scale takes 1:N or fit, not \"%s\"\n",
                             args[i].c_str());
                return 2;
            }
        } else if (a == "--sheets") {
            options.scale.kind = PrintScaleChoice::Kind::Sheet;
        } else if (a == "--each") {
            options.each = true;
        } else if (a == "--lineweights") {
            options.lineweights = true;
        } else if (a == "--encoding" && hasValue) {
            if (!ParseEncoding(args[++i], options.encoding)) {
                std::fprintf(stderr, "print: --encoding takes a name iconv knows or auto\n");
                return 2;
            }
        } else if (a == "--style" && hasValue) {
            try {
                options.style = ReadPlotStyleTable(args[++i]);
            } catch (const PlotStyleError& e) {
                std::fprintf(stderr, "print: %s\n", e.message(Language::English).c_str());
                return 2;
            }
        } else if (a == "--color-mode" && hasValue) {
            const std::string& v = args[++i];
            if (!ParseColorMode(v, options.colorMode)) {
                std::fprintf(stderr, "print: --color-mode takes 0, 1 or 2, not \"%s\"\n",
                             v.c_str());
                return 2;
            }
        } else if (a == "--layout" && hasValue) {
            options.layout = args[++i];
        } else if (!a.empty() && a[0] != '-' && input.empty()) {
            input = a;
        } else {
            std::fprintf(stderr, "print: unexpected argument \"%s\"\n%s", a.c_str(), PrintUsage);
            return 2;
        }
    }
    if (input.empty() || out.empty()) {
        std::fputs(PrintUsage, stderr);
        return 2;
    }
    std::error_code error;
    if (!fs::exists(input, error)) {
        std::fprintf(stderr, "%s: no such file or folder\n", input.c_str());
        return 1;
    }

    StartGuiApplication();

    if (options.each || (options.pagePerDrawing() && fs::is_directory(input, error))) {
        try {
            return PrintEach(input, out, options);
        } catch (const PrintError& e) {
            std::fprintf(stderr, "%s: %s\n", out.c_str(), e.what());
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "%s: out of memory\n", input.c_str());
        }
        return 1;
    }

    // The pages go to a file beside the output, which replaces the output only when complete:
    // a failed run never leaves a half-written PDF or destroys an older one.
    const std::string temporary = out + ".part";
    int status = 1;
    try {
        status = PrintTo(input, temporary, options);
    } catch (const PrintError& e) {
        std::fprintf(stderr, "%s: %s\n", out.c_str(), e.what());
    } catch (const SilentAbort& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", input.c_str());
    }
    if (status == 0) {
        fs::rename(temporary, out, error);
        if (error) {
            std::fprintf(stderr, "%s: cannot write: %s\n", out.c_str(), error.message().c_str());
            status = 1;
        }
    }
    if (status != 0) fs::remove(temporary, error);
    return status;
}

} // namespace orvanta::cli

// orvanta-cli print: a folder's drawings tiled over pages, or one drawing on a page, written to
// a PDF file through the same print code as the print window.
#include "browse/FolderScan.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/LoadDrawing.h"
#include "model/Abort.h"
#include "output/Printing.h"
#include "render/ViewState.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

namespace orvanta::cli {

namespace {

namespace fs = std::filesystem;

const char* const PrintUsage =
    "usage: orvanta-cli print FOLDER|FILE -o OUT.pdf [options]\n"
    "  a FOLDER prints its drawings tiled over pages, as the list print of the window;\n"
    "  a FILE prints the whole drawing on one page, as the detail print\n"
    "  --columns N           drawings across a page, 1 to 16 (default 2)\n"
    "  --landscape           landscape paper (default portrait)\n"
    "  --paper NAME          A3, A4, A5, B4, B5 (JIS), Letter, Legal... (default A4)\n"
    "  --color-mode 0|1|2    0 colour, 1 black, 2 inverted colours (default 1)\n"
    "  --layout NAME|model|saved  a layout by its name, the model, or what the drawing was\n"
    "                        saved showing (default saved); in a FOLDER, a drawing without a\n"
    "                        layout of that NAME prints as saved\n";

struct PrintOptions {
    int columns = 2;
    bool landscape = false;
    QPageSize paper{QPageSize::A4};
    ColorModeValue colorMode = ColorModeMonochrome;
    std::string layout = "saved";
};

// The paper called `name` (case ignored). B4 and B5 are the JIS sizes, as Japanese offices mean
// them; the ISO ones are "ISOB4" and "ISOB5".
bool PaperOf(const std::string& name, QPageSize& paper) {
    const QString key = QString::fromStdString(name).toUpper();
    if (key == QStringLiteral("B4")) return paper = QPageSize(QPageSize::JisB4), true;
    if (key == QStringLiteral("B5")) return paper = QPageSize(QPageSize::JisB5), true;
    if (key == QStringLiteral("ISOB4")) return paper = QPageSize(QPageSize::B4), true;
    if (key == QStringLiteral("ISOB5")) return paper = QPageSize(QPageSize::B5), true;
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const QPageSize size(static_cast<QPageSize::PageSizeId>(id));
        if (size.isValid() && size.key().toUpper() == key) return paper = size, true;
    }
    return false;
}

// Prints into `temporary`; the caller renames it to the output once it is complete.
int PrintTo(const std::string& input, const std::string& temporary, const PrintOptions& options) {
    QPdfWriter pdf(QString::fromStdString(temporary));
    pdf.setCreator(QStringLiteral("orvanta-cli print"));
    pdf.setPageLayout(QPageLayout(
        options.paper, options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
        QMarginsF(0, 0, 0, 0)));
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
        SilentPrintMonitor monitor;
        const PrintReport report = PrintAll(pdf, request, monitor);
        for (const CellFailure& failure : report.failures)
            std::fprintf(stderr, "%s: printed empty: %s\n",
                         (fs::path(input) / failure.name).string().c_str(), failure.reason.c_str());
        std::printf("%d drawings on %d pages, %zu printed empty\n", report.drawn, report.pages,
                    report.failures.size());
        return 0;
    }
    LoadedDrawing loaded = LoadForCommand(input, "printed");
    DrawView whole;
    if (!SpaceOfSheetChoice(loaded.drawing, options.layout, whole.space))
        throw SilentAbort(input + ": the drawing has no layout \"" + options.layout + "\"");
    PrintZoom(pdf, loaded.drawing, whole, QFileInfo(QString::fromStdString(input)).fileName(),
              PrintRange::Whole, options.colorMode);
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
            if (!PaperOf(args[++i], options.paper)) {
                std::fprintf(stderr, "print: unknown paper \"%s\"\n", args[i].c_str());
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

// orvanta-cli render: a drawing as a picture, loaded and fitted as the detail view shows it
// after opening, for scripts, checks and a first look without the window.
#include "cli/RenderCommand.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/LoadDrawing.h"
#include "model/Abort.h"
#include "output/ImageExport.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

namespace orvanta::cli {

namespace {

// The whole drawing, fitted as after opening (its model or the sheet of `space`), with the rest
// of the command's request.
ImageRequest WholePicture(const Drawing& drawing, ImageRequest request,
                          std::optional<std::int16_t> space = std::nullopt) {
    const ImageRequest whole =
        WholeDrawingRequest(drawing, DefaultZoomRate, request.width, request.height, space);
    request.options.view = whole.options.view;
    request.options.clipping = whole.options.clipping;
    return request;
}

} // namespace

void DrawWhole(Drawing& drawing, std::int16_t space, QPainter& painter, const ImageRequest& request,
               TextShapeCache& shapes) {
    QtCanvas canvas(painter, DefaultTextFace, &shapes);
    DrawImage(drawing, WholePicture(drawing, request, space), canvas);
}

namespace {

namespace fs = std::filesystem;

const std::string RenderUsage =
    std::string(
        "usage: orvanta-cli render FILE -o OUT.png|.svg|.pdf|.emf|.wmf|.bmp [options]\n"
        "       orvanta-cli render --each FOLDER -o OUTDIR [options]\n"
        "  --size WxH            picture size in pixels (default 1600x900)\n"
        "  --color-mode 0|1|2    0 colour, 1 monochrome, 2 inverted colours (default 0)\n"
        "  --background RRGGBB   background colour (default 000000)\n"
        "  --pen-width N         pen width of lines, arcs and circles in pixels (default 1)\n"
        "  --lineweights         lines drawn with their lineweights, never thinner than the "
        "pen\n") +
    LayoutUsage + EncodingUsage;

// A picture larger than this in either direction is refused rather than allocated.
constexpr int MaxPictureSide = 32768;

std::string LowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    return cli::ParseSize(text, 1, 1, MaxPictureSide, width, height);
}

// RRGGBB (a leading '#' allowed) to the 0x00BBGGRR of the model.
bool ParseColour(std::string text, TColor& colour) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6) return false;
    unsigned rgb = 0;
    for (char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        rgb = rgb << 4 | static_cast<unsigned>(digit);
    }
    colour = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    return true;
}

// Writes the whole drawing, fitted as after opening, in the format; throws SilentAbort naming
// the output when it cannot be made or written.
void WritePicture(Drawing& drawing, const std::string& out, ImageFormat format,
                  const ImageRequest& request, const std::string& layout, TextShapeCache& shapes) {
    std::int16_t space = 0;
    if (!SpaceOfSheetChoice(drawing, layout, space))
        throw SilentAbort(out + ": the drawing has no layout \"" + layout + "\"");
    QByteArray bytes;
    try {
        bytes = EncodeImage(drawing, WholePicture(drawing, request, space), format, &shapes);
    } catch (const std::bad_alloc&) {
        throw SilentAbort(out + ": not enough memory for the picture");
    } catch (const std::runtime_error& e) {
        throw SilentAbort(out + ": " + e.what());
    }
    const QString reason = WriteFileReplacing(QString::fromStdString(out), bytes);
    if (!reason.isEmpty()) throw SilentAbort(out + ": " + reason.toStdString());
}

// Renders one file; prints its failure as one line and returns false when it fails.
bool RenderFile(const std::string& path, const std::string& out, ImageFormat format,
                const ImageRequest& request, const std::string& layout, TextShapeCache& shapes,
                const std::string& encoding) {
    try {
        LoadedDrawing loaded = LoadForCommand(path, "drawn", encoding);
        WritePicture(loaded.drawing, out, format, request, layout, shapes);
        return true;
    } catch (const SilentAbort& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", path.c_str());
    }
    return false;
}

// The .dxf files of a folder (any case of the extension), by name.
std::vector<fs::path> DxfFilesOf(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        if (LowerAscii(entry.path().extension().string()) == ".dxf") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "orvanta-cli render: %s\n%s", message.c_str(), RenderUsage.c_str());
    return 2;
}

} // namespace

int RenderCommand(const std::vector<std::string>& args) {
    // The picture of every drawing; its view is fitted to each drawing in turn.
    ImageRequest request;
    request.width = 1600;
    request.height = 900;
    std::string input;
    std::string out;
    std::string layout = "saved";
    std::string encoding;
    bool each = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::fputs(RenderUsage.c_str(), stdout);
            return 0;
        }
        if (arg == "--each") {
            each = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!hasValue) return UsageError("-o needs a file name");
            out = args[++i];
        } else if (arg == "--size") {
            if (!hasValue || !ParseSize(args[++i], request.width, request.height))
                return UsageError("--size takes WxH, each from 1 to " +
                                  std::to_string(MaxPictureSide));
        } else if (arg == "--color-mode") {
            if (!hasValue || !ParseColorMode(args[++i], request.options.colorMode))
                return UsageError("--color-mode takes 0, 1 or 2");
        } else if (arg == "--background") {
            if (!hasValue || !ParseColour(args[++i], request.options.backColor))
                return UsageError("--background takes a colour RRGGBB in hexadecimal");
        } else if (arg == "--pen-width") {
            if (!hasValue || !ParseInt(args[++i], 1, 100, request.options.penWidth))
                return UsageError("--pen-width takes a width from 1 to 100");
        } else if (arg == "--lineweights") {
            request.options.lineweights.shown = true;
        } else if (arg == "--layout") {
            if (!hasValue) return UsageError("--layout needs a layout's name, model or saved");
            layout = args[++i];
        } else if (arg == "--encoding") {
            if (!hasValue || !ParseEncoding(args[++i], encoding))
                return UsageError("--encoding takes a name iconv knows or auto");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option \"" + arg + "\"");
        } else if (input.empty()) {
            input = arg;
        } else {
            return UsageError("one FILE (or --each FOLDER) at a time");
        }
    }
    if (input.empty()) return UsageError(each ? "--each needs a FOLDER" : "no FILE given");
    if (out.empty()) return UsageError("no output given (-o)");
    ImageFormat format = ImageFormat::Png;
    if (!each) {
        const std::optional<ImageFormat> named = ImageFormatOf(QString::fromStdString(out));
        if (!named)
            return UsageError("the output must end in .png, .svg, .pdf, .emf, .wmf or .bmp");
        format = *named;
    }

    StartGuiApplication();
    TextShapeCache shapes;

    if (!each) return RenderFile(input, out, format, request, layout, shapes, encoding) ? 0 : 1;

    std::vector<fs::path> files;
    std::error_code error;
    try {
        files = DxfFilesOf(input);
        fs::create_directories(out, error);
    } catch (const fs::filesystem_error& e) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), e.code().message().c_str());
        return 1;
    }
    if (error) {
        std::fprintf(stderr, "%s: %s\n", out.c_str(), error.message().c_str());
        return 1;
    }
    int status = 0;
    for (const fs::path& file : files) {
        const fs::path picture = fs::path(out) / (file.stem().string() + ".png");
        if (RenderFile(file.string(), picture.string(), ImageFormat::Png, request, layout, shapes,
                       encoding))
            std::printf("%s\n", picture.c_str());
        else
            status = 1;
        std::fflush(stdout);
    }
    return status;
}

} // namespace orvanta::cli

// orvanta-cli thumbnail: the picture a file manager shows for a drawing. File managers run it on
// every drawing they list, hostile ones included, so it runs under hard limits of time and
// memory and writes nothing but its output, which appears whole or not at all.
#include "cli/Commands.h"
#include "cli/LoadDrawing.h"
#include "cli/RenderCommand.h"

#include "bridges/DwgPreview.h"
#include "bridges/qt/PreviewQImage.h"

#include "dxf/DxfVersion.h"
#include "model/Abort.h"
#include "render/Colors.h"
#include "render/ViewState.h"

#include <QFile>
#include <QImage>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <unistd.h>

namespace orvanta::cli {

namespace {

const char* const ThumbnailUsage =
    "usage: orvanta-cli thumbnail [-s SIZE] INPUT OUTPUT.png\n"
    "  -s, --size SIZE        at most SIZE pixels wide and high (default 256, at most 4096)\n"
    "  --layout NAME|model|saved  a layout by its name, the model, or what the drawing was\n"
    "                        saved showing (default saved)\n"
    "  --time-limit SECONDS   give up after this long (default 10)\n"
    "  --memory-limit MB      give up beyond this much memory (default 1536)\n";

constexpr int MaxThumbnailSize = 4096;
// Freedesktop's thumbnail sizes go up to 1024 pixels; the limits leave room for a large drawing
// at that size and stop a file built to exhaust the machine.
constexpr int DefaultSeconds = 10;
constexpr int DefaultMegabytes = 1536;
// The thumbnail of a long thin drawing keeps at least this share of its size across, so that it
// still reads as a picture.
constexpr int MinSideDivisor = 8;

struct ThumbnailOptions {
    int size = 256;
    int seconds = DefaultSeconds;
    int megabytes = DefaultMegabytes;
    std::string layout = "saved";
    std::string input;
    std::string output;
};

// What a signal handler needs when a limit strikes: the temporary file to remove (empty until
// one exists) and the lines to print. All are fixed before the limits are set.
char TemporaryPath[4096];
char TimeMessage[4200];
char StopMessage[4200];

extern "C" void GiveUp(int signal) {
    if (TemporaryPath[0] != '\0') ::unlink(TemporaryPath);
    RemovePrivateRuntimeFolder();
    const char* message = signal == SIGALRM || signal == SIGXCPU ? TimeMessage : StopMessage;
    const ssize_t written = ::write(STDERR_FILENO, message, std::strlen(message));
    (void)written;
    ::_exit(1);
}

// A wall-clock alarm (a file manager's process waiting on a slow disk counts too), a processor
// limit as its backstop, a ceiling on the address space and on the size of any file written.
// A limit that strikes removes the temporary picture and ends the process with status 1.
void ApplyLimits(const ThumbnailOptions& options) {
    std::snprintf(TimeMessage, sizeof TimeMessage, "%s: gave up after %d s; no thumbnail\n",
                  options.input.c_str(), options.seconds);
    // Qt ends the process when an allocation of its own fails: that is the memory limit too.
    std::snprintf(StopMessage, sizeof StopMessage,
                  "%s: stopped (out of memory beyond %d MB, or ended); no thumbnail\n",
                  options.input.c_str(), options.megabytes);
    struct sigaction action {};
    action.sa_handler = GiveUp;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGALRM, SIGXCPU, SIGABRT, SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    // An output that grows past its limit fails its write instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);

    const rlim_t seconds = static_cast<rlim_t>(options.seconds);
    rlimit cpu{seconds, seconds + 2};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlim_t bytes = static_cast<rlim_t>(options.megabytes) << 20;
    rlimit memory{bytes, bytes};
    setrlimit(RLIMIT_AS, &memory);
    // A PNG of 4096 x 4096 pixels stays well below this.
    rlimit fileSize{rlim_t{256} << 20, rlim_t{256} << 20};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    alarm(static_cast<unsigned>(options.seconds));
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "orvanta-cli thumbnail: %s\n%s", message.c_str(), ThumbnailUsage);
    return 2;
}

// The picture's size: the proportions of the model or sheet of `space` within a square of `size`.
QSize PictureSize(const Drawing& drawing, std::int16_t space, int size) {
    ViewState whole;
    whole.Space = space;
    FitViewToExtents(whole, drawing);
    const double w = whole.DrawWidth;
    const double h = whole.DrawHeight;
    if (!std::isfinite(w) || !std::isfinite(h) || (w <= 0 && h <= 0)) return {size, size};
    const int minSide = std::max(1, size / MinSideDivisor);
    const auto across = [&](double ratio) {
        return std::clamp(static_cast<int>(std::lround(size * ratio)), minSide, size);
    };
    return w >= h ? QSize(size, across(h / w)) : QSize(across(w / h), size);
}

// A DXF drawn whole in black on white, as a plotted sheet: the lines stay dark in whatever
// colour the drawing gives them, and a file manager's light background frames it well.
QImage DrawThumbnail(const std::string& path, int size, const std::string& layout) {
    LoadedDrawing loaded = LoadForCommand(path, "drawn");
    Drawing& drawing = loaded.drawing;
    // The reader takes what a cut-off file holds, which the detail view may show; a thumbnail
    // of a part would pass for the whole drawing.
    if (!drawing.ReachedEof)
        throw SilentAbort(path + ": cut off before its end (no EOF); no thumbnail");
    if (drawing.LineAry.empty() && drawing.CircleAry.empty() && drawing.ArcAry.empty() &&
        drawing.TextAry.empty())
        throw SilentAbort(path + ": nothing in it is drawn; no thumbnail");
    std::int16_t space = 0;
    if (!SpaceOfSheetChoice(drawing, layout, space))
        throw SilentAbort(path + ": the drawing has no layout \"" + layout + "\"; no thumbnail");
    const QSize pictureSize = PictureSize(drawing, space, size);
    ImageRequest request;
    request.width = pictureSize.width();
    request.height = pictureSize.height();
    request.options.colorMode = ColorModeMonochrome;
    request.options.backColor = ColorWhite;
    QImage image(pictureSize, QImage::Format_RGB32);
    if (image.isNull()) throw SilentAbort(path + ": not enough memory for the thumbnail");
    TextShapeCache shapes;
    QPainter painter(&image);
    DrawWhole(drawing, space, painter, request, shapes);
    return image;
}

// A DWG shows the preview picture stored in it, made smaller to fit when it is larger.
QImage DwgThumbnail(const std::string& path, int size) {
    const DwgPreview preview = ReadDwgPreview(path);
    if (preview.status == DwgPreview::Status::Failed)
        throw SilentAbort(path + ": " + preview.error + "; no thumbnail");
    if (preview.status != DwgPreview::Status::Picture)
        throw SilentAbort(path + ": a DWG file without a stored preview picture; no thumbnail");
    QImage image = ToQImage(preview.image);
    if (image.isNull()) throw SilentAbort(path + ": not enough memory for the thumbnail");
    if (image.width() > size || image.height() > size)
        image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// Writes the PNG beside `output` under a temporary name and renames it into place, so that the
// output is whole or absent.
void WriteAtomically(const QImage& image, const std::string& output) {
    const std::string pattern = output + ".XXXXXX";
    if (pattern.size() >= sizeof TemporaryPath) throw SilentAbort(output + ": name too long");
    // Made in place, so that a limit striking from here on finds the file to remove.
    std::memcpy(TemporaryPath, pattern.c_str(), pattern.size() + 1);
    const int fd = ::mkstemp(TemporaryPath);
    if (fd < 0) {
        const int error = errno;
        TemporaryPath[0] = '\0';
        throw SilentAbort(output + ": cannot write the thumbnail (" + std::strerror(error) + ")");
    }
    const char* const name = TemporaryPath;
    bool written = false;
    {
        QFile file;
        if (file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
            written = image.save(&file, "PNG") && file.flush();
        else
            ::close(fd);
    }
    // mkstemp makes the file private; a thumbnail is as readable as other new files.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    written = written && ::chmod(name, 0666 & ~mask) == 0 && ::rename(name, output.c_str()) == 0;
    if (!written) {
        const int error = errno;
        ::unlink(name);
        TemporaryPath[0] = '\0';
        throw SilentAbort(output + ": cannot write the thumbnail (" + std::strerror(error) + ")");
    }
    TemporaryPath[0] = '\0';
}

// The thumbnail of one file; throws SilentAbort with the reason.
void MakeThumbnail(const ThumbnailOptions& options) {
    const std::string& path = options.input;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw SilentAbort(path + ": no such file");
    // A pipe or a device could be read forever.
    if (!S_ISREG(st.st_mode)) throw SilentAbort(path + ": not a regular file");
    std::string signature;
    ProbeFileSignature(path, signature);
    // DWG content is known by its signature, whatever the file's name.
    const bool dwg = IsDwgSignature(signature);
    StartGuiApplication();
    WriteAtomically(dwg ? DwgThumbnail(path, options.size)
                        : DrawThumbnail(path, options.size, options.layout),
                    options.output);
}

} // namespace

int ThumbnailCommand(const std::vector<std::string>& args) {
    ThumbnailOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::fputs(ThumbnailUsage, stdout);
            return 0;
        }
        if (arg == "-s" || arg == "--size") {
            if (!hasValue || !ParseInt(args[++i], 1, MaxThumbnailSize, options.size))
                return UsageError("-s takes a size from 1 to " + std::to_string(MaxThumbnailSize));
        } else if (arg == "--layout") {
            if (!hasValue) return UsageError("--layout needs a layout's name, model or saved");
            options.layout = args[++i];
        } else if (arg == "--time-limit") {
            if (!hasValue || !ParseInt(args[++i], 1, 3600, options.seconds))
                return UsageError("--time-limit takes seconds from 1 to 3600");
        } else if (arg == "--memory-limit") {
            if (!hasValue || !ParseInt(args[++i], 64, 65536, options.megabytes))
                return UsageError("--memory-limit takes megabytes from 64 to 65536");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option \"" + arg + "\"");
        } else if (options.input.empty()) {
            options.input = arg;
        } else if (options.output.empty()) {
            options.output = arg;
        } else {
            return UsageError("one INPUT and one OUTPUT");
        }
    }
    if (options.output.empty()) return UsageError("INPUT and OUTPUT are both needed");

    ApplyLimits(options);
    try {
        MakeThumbnail(options);
        return 0;
    } catch (const SilentAbort& e) {
        std::fprintf(stderr, "%s\n", e.what());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory (beyond %d MB); no thumbnail\n",
                     options.input.c_str(), options.megabytes);
    }
    return 1;
}

} // namespace orvanta::cli

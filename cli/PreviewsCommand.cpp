// orvanta-cli previews: the preview pictures of a whole folder, made exactly as the browser's
// grid makes its cells, for folders too large to look through by hand.
#include "browse/FolderScan.h"
#include "browse/PreviewLayout.h"
#include "browse/PreviewPool.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "render/qt/QtCanvas.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>

namespace orvanta::cli {

namespace {

const char* const PreviewsUsage =
    "usage: orvanta-cli previews FOLDER -o OUTDIR [options]\n"
    "  --size WxH            grid cell size, title bar included (default 200x160)\n"
    "  --jobs N              worker threads (default: one per processor)\n"
    "  --color-mode 0|1|2    0 colour, 1 monochrome, 2 inverted colours (default 0)\n"
    "  --layout NAME|model|saved  the layout of that name, every drawing's model, or what it\n"
    "                        was saved showing (default saved; also for a drawing without NAME)\n"
    "  --encoding NAME|auto  read every drawing's texts in NAME (default auto)\n"
    "Writes OUTDIR/NAME.png for each drawing of FOLDER (at most the first 2500, in the order\n"
    "of the file list), honouring the cache pictures beside the drawings.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "orvanta-cli previews: %s\n%s", message.c_str(), PreviewsUsage);
    return 2;
}

} // namespace

int PreviewsCommand(const std::vector<std::string>& args) {
    std::string folder;
    std::string out;
    int width = 200;
    int height = 160;
    int jobs = 0;
    ColorModeValue colorMode = ColorModeColor;
    std::string sheet = "saved";
    std::string encoding;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::fputs(PreviewsUsage, stdout);
            return 0;
        }
        if (arg == "-o" || arg == "--output") {
            if (!hasValue) return UsageError("-o needs a folder");
            out = args[++i];
        } else if (arg == "--size") {
            const std::string value = hasValue ? args[++i] : std::string();
            const auto x = value.find_first_of("xX");
            if (x == std::string::npos || !ParseInt(value.substr(0, x), 1, 4096, width) ||
                !ParseInt(value.substr(x + 1), PreviewTitleHeight + 1, 4096, height))
                return UsageError("--size takes WxH: a width from 1 to 4096 and a height from " +
                                  std::to_string(PreviewTitleHeight + 1) + " to 4096");
        } else if (arg == "--jobs") {
            if (!hasValue || !ParseInt(args[++i], 1, 256, jobs))
                return UsageError("--jobs takes a number from 1 to 256");
        } else if (arg == "--color-mode") {
            if (!hasValue || !ParseColorMode(args[++i], colorMode))
                return UsageError("--color-mode takes 0, 1 or 2");
        } else if (arg == "--layout") {
            if (!hasValue) return UsageError("--layout needs a layout's name, model or saved");
            sheet = args[++i];
        } else if (arg == "--encoding") {
            if (!hasValue || !ParseEncoding(args[++i], encoding))
                return UsageError("--encoding takes a name iconv knows or auto");
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option \"" + arg + "\"");
        } else if (folder.empty()) {
            folder = arg;
        } else {
            return UsageError("one FOLDER at a time");
        }
    }
    if (folder.empty()) return UsageError("no FOLDER given");
    if (out.empty()) return UsageError("no output folder given (-o)");
    if (!std::filesystem::is_directory(folder)) {
        std::fprintf(stderr, "%s: not a folder\n", folder.c_str());
        return 1;
    }
    std::error_code error;
    std::filesystem::create_directories(out, error);
    if (error) {
        std::fprintf(stderr, "%s: %s\n", out.c_str(), error.message().c_str());
        return 1;
    }

    StartGuiApplication();

    QElapsedTimer timer;
    timer.start();
    // The same entries in the same order as the file list and the grid.
    const FolderScanResult scan = ScanDrawingFolder(folder);
    const int count = std::min<int>(static_cast<int>(scan.files.size()), MaxPreviewEntries);
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths << QDir(QString::fromStdString(folder))
                     .filePath(QString::fromStdString(scan.files[i].name));

    // One encoding for every file, when one is given.
    auto encodings = std::make_shared<FileEncodings>();
    if (!encoding.empty())
        for (const QString& path : paths)
            (*encodings)[path.toStdString()] = encoding;

    const QDir outDir(QString::fromStdString(out));
    std::mutex lock;
    int failed = 0;
    {
        PreviewPool pool(
            paths, PreviewPictureSize(QSize(width, height)), colorMode, jobs,
            [&](int index, const QImage& picture, const PreviewFacts& facts) {
                const QString target = outDir.filePath(
                    QString::fromStdString(scan.files[index].name) + QStringLiteral(".png"));
                QString problem = facts.failure;
                if (!picture.save(target, "PNG")) {
                    if (!problem.isEmpty()) problem += QStringLiteral("; ");
                    problem += target + QStringLiteral(": cannot write the picture");
                }
                if (problem.isEmpty()) return;
                const std::lock_guard<std::mutex> guard(lock);
                ++failed;
                std::fprintf(stderr, "%s\n", problem.toLocal8Bit().constData());
            },
            sheet, encodings);
        pool.wait();
    }
    std::printf("%d pictures in %.3f s", count, timer.nsecsElapsed() / 1e9);
    if (failed) std::printf(", %d failed", failed);
    if (static_cast<int>(scan.files.size()) > count)
        std::printf(" (the first %d of %zu drawings)", count, scan.files.size());
    std::printf("\n");
    return failed ? 1 : 0;
}

} // namespace orvanta::cli

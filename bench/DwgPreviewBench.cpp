// How long the preview picture of a DWG file takes to read and decode, per file, for the folder
// of drawings the preview grid shows DWG files from.
// Usage: bench_dwg_preview [FILE_OR_FOLDER...]; without arguments the DWG files of the shared
// sample folder beside the project. Each file is read repeatedly for about a fifth of a second;
// the figures are the mean per read (the file then sits in the page cache, as it does when a
// folder is shown again).
#include "bridges/DwgPreview.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using orvanta::DwgPreview;
using Clock = std::chrono::steady_clock;

std::vector<fs::path> DwgFiles(const fs::path& where) {
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_regular_file(where, error)) return {where};
    for (fs::recursive_directory_iterator it(where, error), end; !error && it != end;
         it.increment(error)) {
        std::string ext = it->path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (it->is_regular_file(error) && ext == ".dwg") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i)
            for (const auto& f : DwgFiles(argv[i]))
                files.push_back(f);
    } else {
        files = DwgFiles(fs::path(ORVANTA_SOURCE_DIR) / ".." / "shared" / "samples");
    }
    if (files.empty()) {
        std::fprintf(stderr, "bench_dwg_preview: no DWG files given or found\n");
        return 1;
    }
    std::printf("%-34s %9s %6s %11s %10s\n", "file", "KB", "kind", "picture", "us/read");
    double total = 0;
    for (const auto& file : files) {
        int reads = 0;
        DwgPreview preview;
        const auto started = Clock::now();
        do {
            preview = orvanta::ReadDwgPreview(file.string());
            ++reads;
        } while (Clock::now() - started < std::chrono::milliseconds(200));
        const double us =
            std::chrono::duration<double, std::micro>(Clock::now() - started).count() / reads;
        total += us;
        const char* kind = preview.status == DwgPreview::Status::Picture     ? "ok"
                           : preview.status == DwgPreview::Status::NoPicture ? "none"
                                                                             : "FAIL";
        const std::string size =
            std::to_string(preview.image.width) + "x" + std::to_string(preview.image.height);
        std::printf("%-34s %9.0f %6s %11s %10.1f\n", file.filename().string().c_str(),
                    fs::file_size(file) / 1024.0, kind, size.c_str(), us);
    }
    std::printf("%zu files, mean %.1f us per file; a folder of 1000 such files: %.3f s on one "
                "thread\n",
                files.size(), total / files.size(), total / files.size() * 1000 / 1e6);
    return 0;
}

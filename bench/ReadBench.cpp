// Reads a generated 100 MB drawing and prints the reader's throughput and peak memory.
// Usage: bench_read [FILE] [MEGABYTES]; the file is made when missing.
#include "bench/BenchDrawing.h"

#include "dxf/DxfReader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    using namespace orvanta;
    const std::string path =
        argc > 1 ? argv[1]
                 : (std::filesystem::temp_directory_path() / "orvanta-bench-100mb.dxf").string();
    const long long megabytes = argc > 2 ? std::atoll(argv[2]) : 100;
    const long long size = bench::WriteMixedDrawing(path, megabytes << 20);
    if (size < 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const long long baseline = bench::PeakMemoryBytes();

    double best = 1e9;
    std::size_t lines = 0;
    for (int run = 0; run < 3; ++run) {
        Drawing drawing;
        std::string status;
        const auto start = std::chrono::steady_clock::now();
        ReadDxfFile(drawing, path, nullptr, nullptr, status, TextEncoding::Cp932);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::min(best, seconds);
        lines = drawing.LineAry.size();
    }
    const double mb = static_cast<double>(size) / (1 << 20);
    std::printf("file            %s (%.1f MB, %zu lines)\n", path.c_str(), mb, lines);
    std::printf("read            %.3f s best of 3, %.0f MB/s\n", best, mb / best);
    std::printf("peak memory     %.1f MB (%.2f x the file; %.1f MB before reading)\n",
                bench::PeakMemoryBytes() / 1048576.0,
                static_cast<double>(bench::PeakMemoryBytes()) / static_cast<double>(size),
                baseline / 1048576.0);
    return 0;
}

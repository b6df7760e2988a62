// Thumbnails as a file manager makes them: one orvanta-cli process per drawing, started and
// waited for in turn. Prints the median and the slowest wall time (start to exit) and the peak
// memory of the slowest process.
// Usage: bench_thumbnail [FOLDER] [SIZE]; FOLDER defaults to the shared sample drawings beside the
// source tree, SIZE to 256. Every .dxf below FOLDER counts, whether it makes a picture or not.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
    fs::path file;
    double seconds = 0;
    long peakKilobytes = 0;
    int status = 0;
};

std::string LowerExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension;
}

Run Thumbnail(const fs::path& file, const fs::path& output, const std::string& size) {
    Run run{file};
    std::string program = ORVANTA_CLI;
    std::string command = "thumbnail";
    std::string sizeOption = "-s";
    std::string sizeValue = size;
    std::string input = file.string();
    std::string out = output.string();
    char* argv[] = {program.data(),   command.data(), sizeOption.data(),
                    sizeValue.data(), input.data(),   out.data(),
                    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) {
        run.status = -1;
        return run;
    }
    int raw = 0;
    rusage usage{};
    wait4(pid, &raw, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    run.peakKilobytes = usage.ru_maxrss;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path(ORVANTA_SHARED_SAMPLES);
    const std::string size = argc > 2 ? argv[2] : "256";
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error))
        if (it->is_regular_file() && LowerExtension(it->path()) == ".dxf")
            files.push_back(it->path());
    if (files.empty()) {
        std::fprintf(stderr, "no .dxf files under %s\n", folder.c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());
    const fs::path output = fs::temp_directory_path() / "orvanta-bench-thumbnail.png";

    std::vector<Run> runs;
    for (const fs::path& file : files)
        runs.push_back(Thumbnail(file, output, size));
    fs::remove(output, error);

    std::vector<double> seconds;
    for (const Run& run : runs)
        seconds.push_back(run.seconds);
    std::sort(seconds.begin(), seconds.end());
    const std::size_t n = seconds.size();
    const double median = n % 2 ? seconds[n / 2] : (seconds[n / 2 - 1] + seconds[n / 2]) / 2;
    const auto slowest = std::max_element(
        runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    const long pictures =
        std::count_if(runs.begin(), runs.end(), [](const Run& run) { return run.status == 0; });
    const long peak = std::max_element(runs.begin(), runs.end(), [](const Run& a, const Run& b) {
                          return a.peakKilobytes < b.peakKilobytes;
                      })->peakKilobytes;
    std::printf(
        "thumbnails of %zu drawings (%ld pictures, %zu refused), size %s, one process each\n", n,
        pictures, n - static_cast<std::size_t>(pictures), size.c_str());
    std::printf("median   %.3f s\n", median);
    std::printf("90th     %.3f s\n", seconds[std::min(n - 1, n * 9 / 10)]);
    std::printf("slowest  %.3f s  %s (%ld MB)\n", slowest->seconds, slowest->file.c_str(),
                slowest->peakKilobytes / 1024);
    std::printf("peak memory of any one process  %ld MB\n", peak / 1024);
    return 0;
}

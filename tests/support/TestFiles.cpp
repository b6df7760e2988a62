#include "support/TestFiles.h"

#include "dxf/DxfVersion.h"
#include "load/LoadDrawing.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace orvanta::test {

TempDir::TempDir() {
    static std::atomic<int> serial{0};
    path_ = std::filesystem::temp_directory_path() /
            ("orvanta-test-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const {
    const auto file = path_ / name;
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file.string();
}

std::string Dxf(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) {
        out += line;
        out += '\n';
    }
    return out;
}

Drawing ReadText(const std::string& dxf, TextEncoding encoding) {
    TempDir dir;
    const std::string file = dir.write("t.dxf", dxf);
    Drawing drawing;
    ReadDxfFile(drawing, file, nullptr, encoding);
    return drawing;
}

std::filesystem::path SourcePath(const std::string& relative) {
    return std::filesystem::path(ORVANTA_SOURCE_DIR) / relative;
}

Drawing LoadBundledSample(const std::string& name) {
    return LoadDrawingFile(SourcePath("samples/" + name + ".dxf").string()).drawing;
}

std::filesystem::path SharedSamples() {
    const std::filesystem::path path(ORVANTA_SHARED_SAMPLES);
    std::error_code error;
    return std::filesystem::is_directory(path, error) ? path : std::filesystem::path();
}

int ReplayFuzzCorpus(const std::string& target,
                     const std::function<void(const std::uint8_t*, std::size_t)>& harness) {
    int inputs = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(SourcePath("fuzz/corpus/" + target))) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        harness(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    return inputs;
}

} // namespace orvanta::test

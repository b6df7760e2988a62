#include "bench/BenchDrawing.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace orvanta::bench {

namespace {

class Writer {
  public:
    explicit Writer(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
    ~Writer() {
        if (file_) std::fclose(file_);
    }
    bool ok() const { return file_ != nullptr; }
    void pair(int code, const char* value) { std::fprintf(file_, "%3d\r\n%s\r\n", code, value); }
    void pair(int code, const std::string& value) { pair(code, value.c_str()); }
    void real(int code, double value) { std::fprintf(file_, "%3d\r\n%.6f\r\n", code, value); }
    void integer(int code, int value) { std::fprintf(file_, "%3d\r\n%6d\r\n", code, value); }
    void handle() {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%X", next_++);
        pair(5, buffer);
    }
    long long size() const { return std::ftell(file_); }

  private:
    std::FILE* file_;
    unsigned next_ = 0x100;
};

const char* const Layers[] = {"0",         "WALL", "DOOR",     "WINDOW",
                              "DIM",       "TEXT", "\x95\xC7", "\x90\xA1\x96\x40",
                              "FURNITURE", "GRID"};
// Texts in Shift-JIS: "平面図 1/100", "寸法 1500", "会議室", "①通り芯".
const char* const Texts[] = {"\x95\xBD\x96\xCA\x90\x7D 1/100",
                             "\x90\xA1\x96\x40 1500",
                             "\x89\xEF\x8B\x63\x8E\xBA",
                             "\x87\x40\x92\xCA\x82\xE8\x90\x53",
                             "ROOM 101",
                             "%%c25"};

} // namespace

namespace {

// Whether a drawing written earlier is complete: it ends with the EOF marker.
bool EndsWithEof(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char tail[8] = {};
    const bool ok = std::fseek(file, -5, SEEK_END) == 0 && std::fread(tail, 1, 5, file) == 5;
    std::fclose(file);
    return ok && std::string(tail, 5) == "EOF\r\n";
}

// The mixed drawing, until it is `targetBytes` long or, when `entities` is not 0, holds that
// many entities in its ENTITIES section.
long long WriteDrawing(const std::string& path, long long targetBytes, long long entities) {
    Writer w(path);
    if (!w.ok()) return -1;
    std::mt19937 random(42);
    std::uniform_real_distribution<double> coordinate(0, 100000);
    std::uniform_real_distribution<double> small(1, 500);
    std::uniform_real_distribution<double> angle(0, 360);
    const auto layer = [&] { return Layers[random() % 10]; };

    w.pair(0, "SECTION");
    w.pair(2, "HEADER");
    w.pair(9, "$ACADVER");
    w.pair(1, "AC1015");
    w.pair(0, "ENDSEC");
    w.pair(0, "SECTION");
    w.pair(2, "TABLES");
    w.pair(0, "TABLE");
    w.pair(2, "LAYER");
    for (int i = 0; i < 10; ++i) {
        w.pair(0, "LAYER");
        w.handle();
        w.pair(100, "AcDbSymbolTableRecord");
        w.pair(100, "AcDbLayerTableRecord");
        w.pair(2, Layers[i]);
        w.integer(70, 0);
        w.integer(62, i + 1);
        w.pair(6, i % 3 ? "CONTINUOUS" : "DASHED");
    }
    w.pair(0, "ENDTAB");
    w.pair(0, "ENDSEC");

    const auto entityHead = [&](const char* kind, const char* sub) {
        w.pair(0, kind);
        w.handle();
        w.pair(330, "1F");
        w.pair(100, "AcDbEntity");
        w.pair(8, layer());
        w.pair(100, sub);
    };
    const auto line = [&](double x, double y) {
        entityHead("LINE", "AcDbLine");
        w.real(10, x), w.real(20, y), w.real(30, 0);
        w.real(11, x + small(random)), w.real(21, y + small(random)), w.real(31, 0);
    };
    const auto arc = [&](double x, double y) {
        entityHead("ARC", "AcDbCircle");
        w.real(10, x), w.real(20, y), w.real(30, 0), w.real(40, small(random));
        w.pair(100, "AcDbArc");
        w.real(50, angle(random)), w.real(51, angle(random));
    };
    const auto circle = [&](double x, double y) {
        entityHead("CIRCLE", "AcDbCircle");
        w.real(10, x), w.real(20, y), w.real(30, 0), w.real(40, small(random));
    };
    const auto polyline = [&](double x, double y) {
        entityHead("LWPOLYLINE", "AcDbPolyline");
        const int n = 4 + static_cast<int>(random() % 5);
        w.integer(90, n);
        w.integer(70, 1);
        for (int i = 0; i < n; ++i) {
            w.real(10, x + small(random)), w.real(20, y + small(random));
            if (i % 3 == 0) w.real(42, 0.4142);
        }
    };
    const auto text = [&](double x, double y) {
        entityHead("TEXT", "AcDbText");
        w.real(10, x), w.real(20, y), w.real(30, 0), w.real(40, 250);
        w.pair(1, Texts[random() % 6]);
        w.real(50, random() % 4 * 90.0);
        w.pair(100, "AcDbText");
    };

    w.pair(0, "SECTION");
    w.pair(2, "BLOCKS");
    for (int b = 0; b < 50; ++b) {
        w.pair(0, "BLOCK");
        w.handle();
        w.pair(8, "0");
        w.pair(2, "BLOCK" + std::to_string(b));
        w.integer(70, 0);
        w.real(10, 0), w.real(20, 0), w.real(30, 0);
        for (int e = 0; e < 20; ++e) {
            if (e % 4 == 0)
                arc(small(random), small(random));
            else
                line(small(random), small(random));
        }
        w.pair(0, "ENDBLK");
        w.handle();
    }
    w.pair(0, "ENDSEC");

    w.pair(0, "SECTION");
    w.pair(2, "ENTITIES");
    for (long long written = 0; entities > 0 ? written < entities : w.size() < targetBytes - 100;
         ++written) {
        const double x = coordinate(random), y = coordinate(random);
        const unsigned pick = random() % 20;
        if (pick < 9)
            line(x, y);
        else if (pick < 12)
            arc(x, y);
        else if (pick < 14)
            circle(x, y);
        else if (pick < 16)
            polyline(x, y);
        else if (pick < 18)
            text(x, y);
        else {
            entityHead("INSERT", "AcDbBlockReference");
            w.pair(2, "BLOCK" + std::to_string(random() % 50));
            w.real(10, x), w.real(20, y), w.real(30, 0), w.real(41, 1), w.real(42, 1);
            w.real(50, angle(random));
        }
    }
    w.pair(0, "ENDSEC");
    w.pair(0, "EOF");
    return w.size();
}

} // namespace

long long WriteMixedDrawing(const std::string& path, long long targetBytes) {
    std::error_code error;
    const auto existing = std::filesystem::file_size(path, error);
    if (!error && static_cast<long long>(existing) > targetBytes * 9 / 10 &&
        static_cast<long long>(existing) < targetBytes * 11 / 10)
        return static_cast<long long>(existing);
    return WriteDrawing(path, targetBytes, 0);
}

long long WriteMixedDrawingOf(const std::string& path, long long entities) {
    std::error_code error;
    const auto existing = std::filesystem::file_size(path, error);
    if (!error && EndsWithEof(path)) return static_cast<long long>(existing);
    return WriteDrawing(path, 0, entities);
}

long long PeakMemoryBytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

std::string MixedDrawingFolder(int count, const std::string& samplesFolder) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / "orvanta-bench-previews";
    const fs::path folder = base / std::to_string(count);
    fs::create_directories(folder);
    const fs::path medium = base / "medium-2000.dxf";
    const fs::path large = base / "large-20000.dxf";
    WriteMixedDrawingOf(medium.string(), 2000);
    WriteMixedDrawingOf(large.string(), 20000);
    std::vector<fs::path> small;
    for (const auto& entry : fs::directory_iterator(samplesFolder))
        if (entry.path().extension() == ".dxf") small.push_back(entry.path());
    std::sort(small.begin(), small.end());
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "d%04d.dxf", i);
        const fs::path target = folder / name;
        if (fs::exists(target)) continue;
        const fs::path& source = i % 50 == 7   ? large
                                 : i % 10 == 3 ? medium
                                               : small[i % small.size()];
        fs::copy_file(source, target);
    }
    return folder.string();
}

} // namespace orvanta::bench

// Times reading and normalising two generated drawings:
//   mixed   about 100 MB of DXF with every entity kind the reader keeps, blocks, nested blocks,
//           dimensions, mirrored inserts and entities in mirrored object coordinates;
//   blocks  20,000 inserts of 50 blocks of 200 entities each.
// The drawings are written to a temporary folder and removed afterwards.
//
// usage: bench_normalise [--mb N] [--runs N] [--keep]   (best of 3 runs by default)
#include "dxf/DxfReader.h"
#include "load/LoadDrawing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using orvanta::Drawing;

// Writes group pairs into a buffer that is flushed to the file in large pieces.
class DxfWriter {
  public:
    explicit DxfWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
        if (!file_) {
            std::perror(path.c_str());
            std::exit(1);
        }
        buffer_.reserve(1 << 20);
    }
    ~DxfWriter() {
        flush();
        std::fclose(file_);
    }

    void pair(int code, const char* value) {
        char head[16];
        const int n = std::snprintf(head, sizeof head, "%3d\n", code);
        buffer_.append(head, static_cast<std::size_t>(n));
        buffer_ += value;
        buffer_ += '\n';
        if (buffer_.size() > (1 << 20)) flush();
    }
    void pair(int code, const std::string& value) { pair(code, value.c_str()); }
    void real(int code, double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", value);
        pair(code, text);
    }
    void integer(int code, long value) { pair(code, std::to_string(value)); }
    void point(int code, double x, double y, double z = 0) {
        real(code, x);
        real(code + 10, y);
        real(code + 20, z);
    }
    long long written() const { return written_ + static_cast<long long>(buffer_.size()); }

  private:
    void flush() {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        written_ += static_cast<long long>(buffer_.size());
        buffer_.clear();
    }
    std::FILE* file_;
    std::string buffer_;
    long long written_ = 0;
};

// Random geometry with a fixed seed, so every run times the same drawing.
class Shapes {
  public:
    explicit Shapes(DxfWriter& w) : w_(w), rng_(20240601) {}

    double uniform(double lo, double hi) { return std::uniform_real_distribution<>(lo, hi)(rng_); }
    int pick(int n) { return std::uniform_int_distribution<>(0, n - 1)(rng_); }
    std::string layer() { return "LAYER" + std::to_string(pick(40)); }

    void header(const std::string& kind, const std::string& layer) {
        w_.pair(0, kind);
        w_.pair(8, layer);
        if (pick(8) == 0) w_.integer(62, 1 + pick(255));
    }
    void mirroredExtrusion() { w_.point(210, 0, 0, -1); }

    void line(double cx, double cy, const std::string& layer) {
        header("LINE", layer);
        w_.point(10, cx + uniform(-50, 50), cy + uniform(-50, 50));
        w_.point(11, cx + uniform(-50, 50), cy + uniform(-50, 50));
    }
    void circle(double cx, double cy, const std::string& layer) {
        header("CIRCLE", layer);
        w_.point(10, cx, cy);
        w_.real(40, uniform(0.5, 20));
        if (pick(20) == 0) mirroredExtrusion();
    }
    void arc(double cx, double cy, const std::string& layer) {
        header("ARC", layer);
        w_.point(10, cx, cy);
        w_.real(40, uniform(0.5, 20));
        w_.real(50, uniform(0, 360));
        w_.real(51, uniform(0, 360));
        if (pick(20) == 0) mirroredExtrusion();
    }
    void lwpolyline(double cx, double cy, const std::string& layer) {
        header("LWPOLYLINE", layer);
        const int n = 3 + pick(15);
        w_.integer(90, n);
        w_.integer(70, pick(2));
        if (pick(30) == 0) mirroredExtrusion();
        for (int i = 0; i < n; ++i) {
            w_.real(10, cx + uniform(-40, 40));
            w_.real(20, cy + uniform(-40, 40));
            if (pick(4) == 0) w_.real(42, uniform(-1, 1));
        }
    }
    void polyline(double cx, double cy, const std::string& layer) {
        header("POLYLINE", layer);
        w_.integer(66, 1);
        w_.point(10, 0, 0);
        w_.integer(70, 8);
        const int n = 3 + pick(10);
        for (int i = 0; i < n; ++i) {
            w_.pair(0, "VERTEX");
            w_.pair(8, layer);
            w_.point(10, cx + uniform(-40, 40), cy + uniform(-40, 40), uniform(0, 5));
            w_.integer(70, 32);
        }
        w_.pair(0, "SEQEND");
        w_.pair(8, layer);
    }
    void text(double cx, double cy, const std::string& layer) {
        header("TEXT", layer);
        w_.point(10, cx, cy);
        w_.real(40, uniform(1, 5));
        w_.pair(1, "TEXT " + std::to_string(pick(100000)));
        if (pick(3) == 0) w_.real(50, uniform(0, 360));
        if (pick(4) == 0) {
            w_.integer(72, 1 + pick(2));
            w_.point(11, cx + 3, cy);
        }
    }
    void mtext(double cx, double cy, const std::string& layer) {
        header("MTEXT", layer);
        w_.point(10, cx, cy);
        w_.real(40, uniform(1, 5));
        w_.real(41, uniform(20, 80));
        w_.integer(71, 1 + pick(9));
        w_.pair(1, "{\\fArial|b0;Note} first line\\Psecond line\\Pthird");
        w_.point(11, 1, 0);
    }
    void ellipse(double cx, double cy, const std::string& layer) {
        header("ELLIPSE", layer);
        w_.point(10, cx, cy);
        w_.point(11, uniform(5, 30), uniform(-5, 5));
        w_.real(40, uniform(0.2, 1));
        w_.real(41, uniform(0, 6.28));
        w_.real(42, uniform(0, 6.28));
    }
    void face(double cx, double cy, const std::string& layer) {
        header("3DFACE", layer);
        w_.point(10, cx, cy, 0);
        w_.point(11, cx + 10, cy, 1);
        w_.point(12, cx + 10, cy + 10, 2);
        w_.point(13, cx, cy + 10, 1);
    }
    void leader(double cx, double cy, const std::string& layer) {
        header("LEADER", layer);
        w_.real(41, uniform(-5, 5));
        w_.integer(76, 3);
        w_.point(10, cx, cy);
        w_.point(10, cx + 5, cy + 5);
        w_.point(10, cx + 10, cy + 5);
    }
    void solid(double cx, double cy, const std::string& layer) {
        header("SOLID", layer);
        w_.point(10, cx, cy);
        w_.point(11, cx + 2, cy + 0.4);
        w_.point(12, cx + 2, cy - 0.4);
        w_.point(13, cx + 2, cy - 0.4);
    }
    void insert(const std::string& block, double x, double y, const std::string& layer) {
        header("INSERT", layer);
        w_.pair(2, block);
        w_.point(10, x, y);
        const double s = uniform(0.5, 2);
        w_.real(41, pick(6) == 0 ? -s : s);
        w_.real(42, s);
        w_.real(43, s);
        w_.real(50, pick(2) == 0 ? 0 : uniform(0, 360));
    }
    void dimension(const std::string& block, double x, double y, const std::string& layer) {
        header("DIMENSION", layer);
        w_.pair(2, block);
        w_.point(10, x, y);
        w_.point(11, x + 10, y + 3);
        w_.integer(70, 32);
    }

    // One of the ordinary entity kinds, in proportions like those of real plans.
    void any(double cx, double cy, const std::string& layer) {
        const int k = pick(100);
        if (k < 40)
            line(cx, cy, layer);
        else if (k < 55)
            lwpolyline(cx, cy, layer);
        else if (k < 63)
            circle(cx, cy, layer);
        else if (k < 72)
            arc(cx, cy, layer);
        else if (k < 84)
            text(cx, cy, layer);
        else if (k < 88)
            mtext(cx, cy, layer);
        else if (k < 91)
            ellipse(cx, cy, layer);
        else if (k < 94)
            face(cx, cy, layer);
        else if (k < 97)
            polyline(cx, cy, layer);
        else
            leader(cx, cy, layer);
    }

    DxfWriter& w() { return w_; }

  private:
    DxfWriter& w_;
    std::mt19937_64 rng_;
};

void Prologue(DxfWriter& w, int layers) {
    w.pair(0, "SECTION");
    w.pair(2, "HEADER");
    w.pair(9, "$ACADVER");
    w.pair(1, "AC1015");
    w.pair(0, "ENDSEC");
    w.pair(0, "SECTION");
    w.pair(2, "TABLES");
    w.pair(0, "TABLE");
    w.pair(2, "LAYER");
    for (int i = 0; i < layers; ++i) {
        w.pair(0, "LAYER");
        w.pair(2, "LAYER" + std::to_string(i));
        w.integer(70, 0);
        w.integer(62, 1 + i % 255);
        w.pair(6, i % 5 == 0 ? "DASHED" : "CONTINUOUS");
    }
    w.pair(0, "ENDTAB");
    w.pair(0, "ENDSEC");
}

void BeginBlock(DxfWriter& w, const std::string& name, double bx, double by) {
    w.pair(0, "BLOCK");
    w.pair(8, "0");
    w.pair(2, name);
    w.integer(70, name[0] == '*' ? 1 : 0);
    w.point(10, bx, by);
}

void EndBlock(DxfWriter& w) {
    w.pair(0, "ENDBLK");
    w.pair(8, "0");
}

// About `megabytes` of DXF: 200 named blocks of 30 entities (every tenth holding two INSERTs of
// other blocks), then model entities with 2% INSERTs and 1% DIMENSIONs (each with its own
// anonymous block) until the size is reached.
void WriteMixed(const std::string& path, long long megabytes) {
    DxfWriter w(path);
    Shapes s(w);
    Prologue(w, 40);
    w.pair(0, "SECTION");
    w.pair(2, "BLOCKS");
    constexpr int Blocks = 200;
    for (int b = 0; b < Blocks; ++b) {
        BeginBlock(w, "PART" + std::to_string(b), 0, 0);
        for (int i = 0; i < 30; ++i) {
            if (i % 10 == 0)
                s.solid(0, 0, "0");
            else
                s.any(0, 0, s.pick(2) == 0 ? "0" : s.layer());
        }
        if (b % 10 == 0 && b + 2 < Blocks) {
            s.insert("PART" + std::to_string(b + 1), 30, 0, "0");
            s.insert("PART" + std::to_string(b + 2), -30, 0, "0");
        }
        EndBlock(w);
    }
    // The dimension pictures: anonymous blocks written before the ENTITIES that name them.
    const long long target = megabytes * 1024 * 1024;
    const long long dimensions = target / 150 / 100;
    for (long long i = 0; i < dimensions; ++i) {
        const double x = (i % 1000) * 100.0, y = (i / 1000) * 100.0;
        BeginBlock(w, "*D" + std::to_string(i), 0, 0);
        s.line(x, y, "DIM");
        s.line(x, y, "DIM");
        s.solid(x, y, "DIM");
        s.solid(x + 10, y, "DIM");
        s.text(x + 5, y + 1, "DIM");
        EndBlock(w);
    }
    w.pair(0, "ENDSEC");
    w.pair(0, "SECTION");
    w.pair(2, "ENTITIES");
    long long dimension = 0;
    for (long long i = 0; w.written() < target; ++i) {
        const double cx = s.uniform(0, 100000), cy = s.uniform(0, 100000);
        const int k = s.pick(100);
        if (k < 2)
            s.insert("PART" + std::to_string(s.pick(Blocks)), cx, cy, s.layer());
        else if (k < 3 && dimension < dimensions)
            s.dimension("*D" + std::to_string(dimension++), cx, cy, "DIM");
        else
            s.any(cx, cy, s.layer());
    }
    w.pair(0, "ENDSEC");
    w.pair(0, "EOF");
}

// 50 blocks of 200 entities each and 20,000 INSERTs of them in a 200 × 100 grid.
void WriteBlocks(const std::string& path) {
    DxfWriter w(path);
    Shapes s(w);
    Prologue(w, 40);
    w.pair(0, "SECTION");
    w.pair(2, "BLOCKS");
    for (int b = 0; b < 50; ++b) {
        BeginBlock(w, "B" + std::to_string(b), 0, 0);
        for (int i = 0; i < 200; ++i) {
            const std::string layer = s.pick(2) == 0 ? "0" : s.layer();
            switch (s.pick(5)) {
            case 0:
            case 1:
                s.line(0, 0, layer);
                break;
            case 2:
                s.arc(0, 0, layer);
                break;
            case 3:
                s.circle(0, 0, layer);
                break;
            default:
                s.text(0, 0, layer);
                break;
            }
        }
        EndBlock(w);
    }
    w.pair(0, "ENDSEC");
    w.pair(0, "SECTION");
    w.pair(2, "ENTITIES");
    for (int i = 0; i < 20000; ++i)
        s.insert("B" + std::to_string(i % 50), (i % 200) * 150.0, (i / 200) * 150.0, s.layer());
    w.pair(0, "ENDSEC");
    w.pair(0, "EOF");
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

std::size_t Drawable(const Drawing& d) {
    const orvanta::DrawableCounts c = orvanta::CountDrawable(d);
    return c.lines + c.circles + c.arcs + c.texts;
}

// Reads and normalises the file `runs` times and prints the best time of each step.
void Measure(const char* name, const std::string& path, int runs) {
    const auto size = std::filesystem::file_size(path);
    double read = 1e300, normalise = 1e300;
    for (int run = 0; run < runs; ++run) {
        Drawing d;
        auto start = std::chrono::steady_clock::now();
        orvanta::ReadDxfFile(d, path, nullptr, orvanta::TextEncoding::Cp932);
        read = std::min(read, Seconds(start));
        const std::size_t inserts = d.InsertAry.size();
        const std::size_t blockRecords =
            d.BlkLineAry.size() + d.BlkArcAry.size() + d.BlkCircleAry.size() + d.BlkTextAry.size();
        start = std::chrono::steady_clock::now();
        orvanta::NormaliseDrawing(d);
        normalise = std::min(normalise, Seconds(start));
        if (run + 1 < runs) continue;
        std::printf("%-7s %7.1f MB  read %6.3f s  normalise %6.3f s  (normalise/read %.2f, "
                    "best of %d)\n",
                    name, static_cast<double>(size) / (1024 * 1024), read, normalise,
                    normalise / read, runs);
        std::printf("        %zu inserts of %zu block records -> %zu drawable records "
                    "(lines %zu, circles %zu, arcs %zu, texts %zu); peak RSS %ld MB\n",
                    inserts, blockRecords, Drawable(d), d.LineAry.size(), d.CircleAry.size(),
                    d.ArcAry.size(), d.TextAry.size(), PeakRssMb());
        std::printf("        extents (%.1f, %.1f) - (%.1f, %.1f)\n", d.ExtMin.x, d.ExtMin.y,
                    d.ExtMax.x, d.ExtMax.y);
    }
}

} // namespace

int main(int argc, char** argv) {
    long long megabytes = 100;
    int runs = 3;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--mb") == 0 && i + 1 < argc)
            megabytes = std::atoll(argv[++i]);
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else {
            std::fprintf(stderr, "usage: bench_normalise [--mb N] [--runs N] [--keep]\n");
            return 2;
        }
    }
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvanta-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string mixed = (dir / "mixed.dxf").string();
    const std::string blocks = (dir / "blocks.dxf").string();

    auto start = std::chrono::steady_clock::now();
    WriteMixed(mixed, megabytes);
    WriteBlocks(blocks);
    std::printf("generated in %.1f s (%s)\n", Seconds(start), dir.c_str());

    try {
        Measure("mixed", mixed, runs);
        Measure("blocks", blocks, runs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_normalise: %s\n", e.what());
        return 1;
    }
    if (!keep) std::filesystem::remove_all(dir);
    return 0;
}

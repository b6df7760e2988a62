// Reads a generated 100 MB drawing and prints the reader's throughput (with the ENTITIES section
// in parts, one per core, and on one thread) and peak memory, then the time it takes on the
// binary DXF of the same drawing; where dxflib is installed, also the time a dxflib reader that
// keeps the same records takes on the text file in the same run, for comparison.
// Usage: bench_read [FILE] [MEGABYTES]; the file and its binary twin (FILE-binary.dxf) are made
// when missing.
#include "bench/BenchDrawing.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "support/BinaryDxfWriter.h"

#ifdef ORVANTA_WITH_DXFLIB
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

#ifdef ORVANTA_WITH_DXFLIB
// Keeps what our reader keeps of each record: its data and its layer's name.
struct DxflibRecords : DL_CreationAdapter {
    template <class Data> struct Kept {
        Data data;
        std::string layer;
    };
    template <class Data> void keep(std::vector<Kept<Data>>& table, const Data& data) {
        table.push_back({data, attributes.getLayer()});
    }
    void addLine(const DL_LineData& d) override { keep(lines, d); }
    void addArc(const DL_ArcData& d) override { keep(arcs, d); }
    void addCircle(const DL_CircleData& d) override { keep(circles, d); }
    void addPolyline(const DL_PolylineData& d) override { keep(polylines, d); }
    void addVertex(const DL_VertexData& d) override { vertices.push_back(d); }
    void addInsert(const DL_InsertData& d) override { keep(inserts, d); }
    void addText(const DL_TextData& d) override { keep(texts, d); }
    void addMText(const DL_MTextData& d) override { keep(mtexts, d); }

    std::vector<Kept<DL_LineData>> lines;
    std::vector<Kept<DL_ArcData>> arcs;
    std::vector<Kept<DL_CircleData>> circles;
    std::vector<Kept<DL_PolylineData>> polylines;
    std::vector<DL_VertexData> vertices;
    std::vector<Kept<DL_InsertData>> inserts;
    std::vector<Kept<DL_TextData>> texts;
    std::vector<Kept<DL_MTextData>> mtexts;
};

// Best of three dxflib reads of the file, seconds; the number of lines it kept.
double DxflibSeconds(const std::string& path, std::size_t& lines) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        DxflibRecords records;
        DL_Dxf dxf;
        const auto start = std::chrono::steady_clock::now();
        dxf.in(path, &records);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        lines = records.lines.size();
    }
    return best;
}
#endif

// The binary twin of the text drawing at `path`, written beside it when missing or older; empty
// when it cannot be written.
std::string BinaryTwin(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path text(path);
    const fs::path twin = text.parent_path() / (text.stem().string() + "-binary.dxf");
    std::error_code error;
    if (fs::exists(twin, error) && fs::last_write_time(twin) >= fs::last_write_time(text))
        return twin.string();
    const fs::path part = twin.string() + ".part";
    {
        std::ifstream in(text, std::ios::binary);
        std::ofstream out(part, std::ios::binary);
        if (!orvanta::test::WriteBinaryDxf(in, out, orvanta::test::BinaryCodes::TwoBytes) || !out)
            return {};
    }
    fs::rename(part, twin, error);
    return error ? std::string() : twin.string();
}

// Best of three reads of the file, seconds; the drawing of the last. `options` as the reader
// takes them: by default the ENTITIES section in one part per core.
double ReadSeconds(const std::string& path, orvanta::Drawing& drawing,
                   orvanta::DxfReadOptions options = {}) {
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        drawing = orvanta::Drawing();
        const auto start = std::chrono::steady_clock::now();
        orvanta::ReadDxfFile(drawing, path, nullptr, orvanta::TextEncoding::Cp932, options);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

} // namespace

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

    Drawing text;
    int parts = 1;
    DxfReadOptions options;
    options.partsRead = &parts;
    const double best = ReadSeconds(path, text, options);
    const std::size_t lines = text.LineAry.size();
    const double mb = static_cast<double>(size) / (1 << 20);
    std::printf("file            %s (%.1f MB, %zu lines)\n", path.c_str(), mb, lines);
    std::printf("read            %.3f s best of 3, %.0f MB/s, the entities in %d parts\n", best,
                mb / best, parts);
    std::printf("peak memory     %.1f MB (%.2f x the file; %.1f MB before reading)\n",
                bench::PeakMemoryBytes() / 1048576.0,
                static_cast<double>(bench::PeakMemoryBytes()) / static_cast<double>(size),
                baseline / 1048576.0);

    {
        Drawing whole;
        DxfReadOptions oneThread;
        oneThread.entityParts = 1;
        const double seconds = ReadSeconds(path, whole, oneThread);
        std::printf("read, 1 thread  %.3f s best of 3, %.0f MB/s; %.2f x slower than in parts\n",
                    seconds, mb / seconds, seconds / best);
    }

    const std::string twin = BinaryTwin(path);
    if (twin.empty()) {
        std::fprintf(stderr, "cannot write the binary twin of %s\n", path.c_str());
        return 1;
    }
    Drawing binary;
    const double binarySeconds = ReadSeconds(twin, binary, options);
    const double binaryMb = static_cast<double>(std::filesystem::file_size(twin)) / (1 << 20);
    bool same = true;
    for (std::size_t i = 0; i < 13; ++i)
        same = same && TableCounts(binary)[i].count == TableCounts(text)[i].count;
    std::printf("binary twin     %s (%.1f MB, %s records as the text)\n", twin.c_str(), binaryMb,
                same ? "the same" : "NOT the same");
    std::printf("read binary     %.3f s best of 3, %.0f MB/s, in %d parts; %.2f x the speed of "
                "the text\n",
                binarySeconds, binaryMb / binarySeconds, parts, best / binarySeconds);
    // The encoding is decided before the read from the header and the first bytes alone.
    for (const std::string& file : {path, twin}) {
        const auto start = std::chrono::steady_clock::now();
        DxfHeader header;
        ReadDxfHeader(file, header);
        const EncodingDecision decision = DecideEncoding(file, header, {});
        std::printf(
            "encoding        %.1f ms to decide %s for the %s file\n",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count(),
            DescribeEncoding(decision, Language::English).c_str(),
            file == path ? "text" : "binary");
    }
#ifdef ORVANTA_WITH_DXFLIB
    std::size_t dxflibLines = 0;
    const double dxflib = DxflibSeconds(path, dxflibLines);
    std::printf("dxflib          %.3f s best of 3, %.0f MB/s (%zu lines); ours is %.1f x faster\n",
                dxflib, mb / dxflib, dxflibLines, dxflib / best);
#endif
    return 0;
}

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/LoadDrawing.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "geometry/LoadSequence.h"

#include <array>
#include <chrono>
#include <cstdio>

namespace orvanta::cli {

namespace {

struct FileInfo {
    std::string acadver;
    std::string versionName;
    TextEncoding encoding = TextEncoding::Cp932;
    Drawing drawing;
    double readSeconds = 0;
    // After normalisation.
    TAcadPoint extMin, extMax;
    DrawableCounts drawable;
    double normaliseSeconds = 0;
    std::array<TableCount, 13> counts{};
    std::array<TableCount, 5> other{};
    std::size_t skipped = 0;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads one file as the browser does; throws SilentAbort with a one-line reason on failure.
void ReadInfo(const std::string& path, FileInfo& info) {
    const auto start = std::chrono::steady_clock::now();
    const ReadFacts facts = ReadDrawingFile(path, info.drawing, "read");
    info.readSeconds = SecondsSince(start);
    info.acadver = facts.acadver;
    info.encoding = facts.encoding;
    DxfVersionName(info.acadver, info.versionName);

    // The counts above are of the drawing as read; what follows is what the browser draws.
    const std::array<TableCount, 13> asRead = TableCounts(info.drawing);
    info.other = OtherCounts(info.drawing);
    const auto normaliseStart = std::chrono::steady_clock::now();
    NormaliseLoaded(path, info.drawing);
    info.normaliseSeconds = SecondsSince(normaliseStart);
    info.extMin = info.drawing.ExtMin;
    info.extMax = info.drawing.ExtMax;
    info.drawable = CountDrawable(info.drawing);
    info.counts = asRead;
    info.skipped = info.drawing.SkippedEntities;
}

void PrintText(const std::string& path, const FileInfo& info) {
    std::printf("%s\n", path.c_str());
    std::printf("Version : %s (%s), %s\n", info.acadver.empty() ? "none" : info.acadver.c_str(),
                info.versionName.c_str(), EncodingName(info.encoding));
    for (const TableCount& row : info.counts)
        std::printf("%s : %zu\n", row.name, row.count);
    std::printf("Read : %.3f s\n", info.readSeconds);
    std::printf("Extents : (%.6g, %.6g) - (%.6g, %.6g)\n", info.extMin.x, info.extMin.y,
                info.extMax.x, info.extMax.y);
    std::printf("Drawable : Line %zu, Circle %zu, Arc %zu, Text %zu\n", info.drawable.lines,
                info.drawable.circles, info.drawable.arcs, info.drawable.texts);
    std::printf("Normalise : %.3f s\n", info.normaliseSeconds);
    std::printf("Other :");
    for (const TableCount& row : info.other)
        std::printf(" %s %zu,", row.name, row.count);
    std::printf(" Skipped %zu\n", info.skipped);
}

void PrintJson(const std::string& path, const FileInfo& info) {
    std::string out = "{\"file\":" + JsonString(path);
    out += ",\"acadver\":" + JsonString(info.acadver);
    out += ",\"version_name\":" + JsonString(info.versionName);
    out += ",\"encoding\":" + JsonString(EncodingName(info.encoding));
    out += ",\"counts\":{";
    bool first = true;
    for (const TableCount& row : info.counts) {
        if (!first) out += ',';
        first = false;
        out += JsonString(row.name) + ":" + std::to_string(row.count);
    }
    out += "},\"read_seconds\":" + JsonNumber(info.readSeconds);
    out += ",\"extents\":{\"min\":[" + JsonNumber(info.extMin.x) + "," + JsonNumber(info.extMin.y) +
           "],\"max\":[" + JsonNumber(info.extMax.x) + "," + JsonNumber(info.extMax.y) + "]}";
    out += ",\"drawable\":{\"Line\":" + std::to_string(info.drawable.lines) +
           ",\"Circle\":" + std::to_string(info.drawable.circles) +
           ",\"Arc\":" + std::to_string(info.drawable.arcs) +
           ",\"Text\":" + std::to_string(info.drawable.texts) + "}";
    out += ",\"normalise_seconds\":" + JsonNumber(info.normaliseSeconds);
    out += ",\"other\":{";
    for (const TableCount& row : info.other)
        out += JsonString(row.name) + ":" + std::to_string(row.count) + ",";
    out += "\"Skipped\":" + std::to_string(info.skipped) + "}}";
    std::printf("%s\n", out.c_str());
}

} // namespace

int InfoCommand(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (arg == "--json")
            json = true;
        else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "orvanta-cli info: unknown option \"%s\"\n", arg.c_str());
            return 2;
        } else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: orvanta-cli info [--json] FILE...\n");
        return 2;
    }
    int status = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        FileInfo info;
        try {
            ReadInfo(files[i], info);
        } catch (const SilentAbort& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s\n", e.what());
            status = 1;
            continue;
        } catch (const std::bad_alloc&) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s: out of memory\n", files[i].c_str());
            status = 1;
            continue;
        }
        if (json) {
            PrintJson(files[i], info);
        } else {
            if (i > 0) std::printf("\n");
            PrintText(files[i], info);
        }
        std::fflush(stdout);
    }
    return status;
}

} // namespace orvanta::cli

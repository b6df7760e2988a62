#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/LoadDrawing.h"
#include "geometry/Layouts.h"
#include "model/Abort.h"

#include <array>
#include <cstdio>

namespace orvanta::cli {

namespace {

// What the command prints of a file: the counts as read, and what the browser draws of it.
struct FileInfo {
    LoadedDrawing loaded;
    DrawableCounts drawable;
};

// Loads one file as the browser does; throws SilentAbort with a one-line reason on failure.
void ReadInfo(const std::string& path, FileInfo& info, const std::string& encoding) {
    info.loaded = LoadForCommand(path, "read", encoding);
    info.drawable = CountDrawable(info.loaded.drawing);
}

// The reason a reference is missing, as a key.
const char* ReasonKey(ReferenceProblem problem) {
    switch (problem) {
    case ReferenceProblem::NotFound:
        return "not_found";
    case ReferenceProblem::Cycle:
        return "cycle";
    case ReferenceProblem::TooDeep:
        return "too_deep";
    case ReferenceProblem::Unreadable:
        return "unreadable";
    case ReferenceProblem::NotConverted:
        return "not_converted";
    case ReferenceProblem::TooLarge:
        return "too_large";
    }
    return "unreadable";
}

void PrintText(const std::string& path, const FileInfo& info) {
    std::printf("%s\n", path.c_str());
    std::printf("Version : %s (%s), %s\n",
                info.loaded.acadver.empty() ? "none" : info.loaded.acadver.c_str(),
                info.loaded.versionName.c_str(),
                DescribeEncoding(info.loaded.encodingDecision, Language::English).c_str());
    for (const TableCount& row : info.loaded.readCounts)
        std::printf("%s : %zu\n", row.name, row.count);
    std::printf("Read : %.3f s\n", info.loaded.readSeconds);
    std::printf("Extents : (%.6g, %.6g) - (%.6g, %.6g)\n", info.loaded.drawing.ExtMin.x,
                info.loaded.drawing.ExtMin.y, info.loaded.drawing.ExtMax.x,
                info.loaded.drawing.ExtMax.y);
    std::printf("Drawable : Line %zu, Circle %zu, Arc %zu, Text %zu\n", info.drawable.lines,
                info.drawable.circles, info.drawable.arcs, info.drawable.texts);
    std::printf("Normalise : %.3f s\n", info.loaded.normaliseSeconds);
    std::printf("Other :");
    for (const TableCount& row : info.loaded.otherCounts)
        std::printf(" %s %zu,", row.name, row.count);
    std::printf(" Skipped %zu\n", info.loaded.drawing.SkippedEntities);
    std::printf("Images : %zu, files missing %zu\n", info.loaded.images,
                info.loaded.drawing.MissingImages);
    if (info.loaded.missingReferences.empty()) return;
    std::printf("Missing references :");
    for (const MissingReference& r : info.loaded.missingReferences)
        std::printf(" %s (%s: %s),", r.name.c_str(), ReasonKey(r.problem), r.path.c_str());
    std::printf("\n");
}

std::string PointJson(const TAcadPoint& p) {
    return "[" + JsonNumber(p.x) + "," + JsonNumber(p.y) + "]";
}

// The layouts in tab order: name, whether the drawing opens in it, its paper (size name, size in
// its units, the box it takes on the sheet), plot scale and its viewports.
std::string LayoutsJson(const Drawing& d) {
    const int saved = SavedLayout(d);
    std::string out = "[";
    for (std::size_t i = 0; i < d.LayoutAry.size(); ++i) {
        const TLayout& l = d.LayoutAry[i];
        if (i > 0) out += ',';
        out += "{\"name\":" + JsonString(l.name);
        out += ",\"saved\":" + std::string(static_cast<int>(i) == saved ? "true" : "false");
        out += ",\"paper\":{\"name\":" + JsonString(l.paperName) +
               ",\"width\":" + JsonNumber(l.code44) + ",\"height\":" + JsonNumber(l.code45) +
               ",\"units\":" +
               JsonString(l.code72 == 0   ? "in"
                          : l.code72 == 1 ? "mm"
                                          : "px") +
               ",\"min\":" + PointJson(l.paperMin) + ",\"max\":" + PointJson(l.paperMax) + "}";
        out += ",\"plot_scale\":[" + JsonNumber(l.code142) + "," + JsonNumber(l.code143) + "]";
        out += ",\"viewports\":[";
        bool first = true;
        for (const TViewport& v : d.ViewportAry) {
            if (v.space != l.space || !ViewportShown(v)) continue;
            if (!first) out += ',';
            first = false;
            out += "{\"center\":" + PointJson(v.center) + ",\"width\":" + JsonNumber(v.width) +
                   ",\"height\":" + JsonNumber(v.height) +
                   ",\"view_center\":" + PointJson(v.viewCenter) +
                   ",\"view_height\":" + JsonNumber(v.viewHeight) +
                   ",\"scale\":" + JsonNumber(v.height / v.viewHeight) +
                   ",\"twist\":" + JsonNumber(v.twist) +
                   ",\"clipped\":" + (v.clip.empty() ? "false" : "true") +
                   ",\"frozen_layers\":" + std::to_string(v.frozenLayers.size()) + "}";
        }
        out += "]}";
    }
    return out + "]";
}

void PrintJson(const std::string& path, const FileInfo& info) {
    std::string out = "{\"file\":" + JsonString(path);
    out += ",\"acadver\":" + JsonString(info.loaded.acadver);
    out += ",\"version_name\":" + JsonString(info.loaded.versionName);
    out += ",\"encoding\":" + JsonString(info.loaded.encoding.name());
    out += ",\"encoding_name\":" + JsonString(EncodingName(info.loaded.encoding));
    out += ",\"encoding_reason\":" +
           JsonString(DescribeEncoding(info.loaded.encodingDecision, Language::English));
    out += ",\"counts\":{";
    bool first = true;
    for (const TableCount& row : info.loaded.readCounts) {
        if (!first) out += ',';
        first = false;
        out += JsonString(row.name) + ":" + std::to_string(row.count);
    }
    out += "},\"read_seconds\":" + JsonNumber(info.loaded.readSeconds);
    out += ",\"extents\":{\"min\":[" + JsonNumber(info.loaded.drawing.ExtMin.x) + "," +
           JsonNumber(info.loaded.drawing.ExtMin.y) + "],\"max\":[" +
           JsonNumber(info.loaded.drawing.ExtMax.x) + "," +
           JsonNumber(info.loaded.drawing.ExtMax.y) + "]}";
    out += ",\"drawable\":{\"Line\":" + std::to_string(info.drawable.lines) +
           ",\"Circle\":" + std::to_string(info.drawable.circles) +
           ",\"Arc\":" + std::to_string(info.drawable.arcs) +
           ",\"Text\":" + std::to_string(info.drawable.texts) + "}";
    out += ",\"normalise_seconds\":" + JsonNumber(info.loaded.normaliseSeconds);
    // The IMAGEs as read, and the files of theirs that were not found, each file once.
    out += ",\"images\":{\"count\":" + std::to_string(info.loaded.images) +
           ",\"missing\":" + std::to_string(info.loaded.drawing.MissingImages) + "}";
    out += ",\"missing_references\":[";
    for (std::size_t i = 0; i < info.loaded.missingReferences.size(); ++i) {
        const MissingReference& r = info.loaded.missingReferences[i];
        if (i > 0) out += ',';
        out += "{\"name\":" + JsonString(r.name) + ",\"path\":" + JsonString(r.path) +
               ",\"reason\":" + JsonString(ReasonKey(r.problem));
        if (!r.detail.empty()) out += ",\"detail\":" + JsonString(r.detail);
        out += "}";
    }
    out += "]";
    out += ",\"other\":{";
    for (const TableCount& row : info.loaded.otherCounts)
        out += JsonString(row.name) + ":" + std::to_string(row.count) + ",";
    out += "\"Skipped\":" + std::to_string(info.loaded.drawing.SkippedEntities) + "}";
    out += ",\"layouts\":" + LayoutsJson(info.loaded.drawing) + "}";
    std::printf("%s\n", out.c_str());
}

} // namespace

int InfoCommand(const std::vector<std::string>& args) {
    bool json = false;
    std::string encoding;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--json") {
            json = true;
        } else if (arg == "--encoding") {
            if (i + 1 == args.size() || !ParseEncoding(args[++i], encoding)) {
                std::fprintf(stderr, "orvanta-cli info: --encoding takes a name iconv knows or "
                                     "auto\n");
                return 2;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "orvanta-cli info: unknown option \"%s\"\n", arg.c_str());
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: orvanta-cli info [--json] [--encoding NAME|auto] FILE...\n");
        return 2;
    }
    int status = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
        FileInfo info;
        try {
            ReadInfo(files[i], info, encoding);
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

// orvanta-cli index and search: the folder search of the browser for scripts. Both bring the
// index of the folder up to date first, as the window does when it shows a folder.
#include "browse/FolderIndexer.h"
#include "browse/TextIndex.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/Json.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace orvanta::cli {

namespace {

const char* const IndexUsage =
    "usage: orvanta-cli index FOLDER [-r] [options]\n"
    "  -r, --recursive       the subfolders' drawings as well\n"
    "  --encoding NAME|auto  read every drawing's texts in NAME (default auto)\n"
    "  --index FILE          the index file (default ~/.cache/orvanta/texts.sqlite)\n"
    "Brings the search index of the folder's drawings up to date: reads the drawings that are\n"
    "new or changed and forgets those that are gone.\n";

const char* const SearchUsage =
    "usage: orvanta-cli search FOLDER QUERY [-r] [--json] [options]\n"
    "  -r, --recursive       search the subfolders' drawings as well\n"
    "  --json                one JSON object: the drawings and their hits\n"
    "  --limit N             list at most N texts (default 5000)\n"
    "  --encoding NAME|auto  read every drawing's texts in NAME (default auto)\n"
    "  --index FILE          the index file (default ~/.cache/orvanta/texts.sqlite)\n"
    "Brings the index up to date, then lists the texts of the drawings that hold every word\n"
    "of QUERY (in any text of the drawing, without regard to case or full and half width).\n"
    "Exit status: 0 with hits, 1 without, 2 on error.\n";

struct Arguments {
    std::string folder;
    std::string query;
    bool subfolders = false;
    bool json = false;
    int limit = 5000;
    std::string encoding;
    std::string indexFile;
};

const char* KindName(IndexedTextKind kind) {
    switch (kind) {
    case IndexedTextKind::FileName:
        return "file";
    case IndexedTextKind::Text:
        return "text";
    case IndexedTextKind::MText:
        return "mtext";
    case IndexedTextKind::Attribute:
        return "attribute";
    case IndexedTextKind::Dimension:
        return "dimension";
    case IndexedTextKind::MLeader:
        return "multileader";
    case IndexedTextKind::BlockName:
        return "block";
    case IndexedTextKind::LayerName:
        return "layer";
    }
    return "text";
}

// Parses the arguments of either command; `usage` names it. Returns -1 to go on, else the exit
// status.
int Parse(const std::vector<std::string>& args, bool search, Arguments& out) {
    const char* usage = search ? SearchUsage : IndexUsage;
    const auto error = [&](const std::string& message) {
        std::fprintf(stderr, "orvanta-cli %s: %s\n%s", search ? "search" : "index", message.c_str(),
                     usage);
        return 2;
    };
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == "-r" || arg == "--recursive") {
            out.subfolders = true;
        } else if (arg == "--json" && search) {
            out.json = true;
        } else if (arg == "--limit" && search) {
            if (!hasValue || !ParseInt(args[++i], 1, 10000000, out.limit))
                return error("--limit takes a number from 1 to 10000000");
        } else if (arg == "--encoding") {
            if (!hasValue || !ParseEncoding(args[++i], out.encoding))
                return error("--encoding takes a name iconv knows or auto");
        } else if (arg == "--index") {
            if (!hasValue) return error("--index needs a file");
            out.indexFile = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error("unknown option \"" + arg + "\"");
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != (search ? 2u : 1u))
        return error(search ? "give a folder and a query" : "give one folder");
    std::error_code failed;
    const std::filesystem::path folder = std::filesystem::absolute(positional[0], failed);
    if (failed || !std::filesystem::is_directory(folder, failed))
        return error("\"" + positional[0] + "\" is not a folder");
    out.folder = folder.lexically_normal().string();
    while (out.folder.size() > 1 && out.folder.back() == '/')
        out.folder.pop_back();
    if (search) out.query = positional[1];
    if (out.indexFile.empty()) out.indexFile = TextIndex::DefaultFile();
    return -1;
}

// Opens the index and brings the folder's part of it up to date, saying on stderr how far it
// is when stderr is a terminal.
FolderIndexOutcome Update(TextIndex& index, const Arguments& args) {
    if (!index.movedAside().empty())
        std::fprintf(stderr,
                     "orvanta-cli: the index was damaged; it was moved to %s and is made "
                     "anew\n",
                     index.movedAside().c_str());
    FolderIndexRequest request;
    request.scope = {args.folder, args.subfolders};
    request.load.encoding = args.encoding;
    const bool terminal = isatty(fileno(stderr)) != 0;
    FolderIndexOutcome outcome =
        UpdateFolderIndex(index, request, [&](const FolderIndexProgress& progress) {
            if (terminal && progress.total > 0)
                std::fprintf(stderr, "\rindexing %zu/%zu", progress.done, progress.total);
            return true;
        });
    if (terminal && outcome.read > 0) std::fputc('\n', stderr);
    return outcome;
}

void PrintJson(const SearchResult& result) {
    std::map<std::string, std::vector<const SearchHit*>> hits;
    for (const SearchHit& hit : result.hits)
        hits[hit.path].push_back(&hit);
    std::string out = "{\"drawings\":[";
    bool firstDrawing = true;
    for (const SearchResult::DrawingCount& drawing : result.drawings) {
        if (!firstDrawing) out += ',';
        firstDrawing = false;
        out += "{\"path\":" + JsonString(drawing.path) +
               ",\"texts\":" + std::to_string(drawing.texts) + ",\"hits\":[";
        bool firstHit = true;
        for (const SearchHit* hit : hits[drawing.path]) {
            const IndexedText& t = hit->text;
            if (!firstHit) out += ',';
            firstHit = false;
            out += "{\"text\":" + JsonString(t.text) + ",\"kind\":\"" + KindName(t.kind) + '"';
            if (!t.tag.empty()) out += ",\"tag\":" + JsonString(t.tag);
            if (t.textIndex >= 0)
                out += ",\"layer\":" + JsonString(t.layer) +
                       ",\"layout\":" + (t.layout.empty() ? "null" : JsonString(t.layout)) +
                       ",\"x\":" + JsonNumber(t.x) + ",\"y\":" + JsonNumber(t.y) +
                       ",\"height\":" + JsonNumber(t.height);
            out += '}';
        }
        out += "]}";
    }
    out += "],\"truncated\":";
    out += result.truncated ? "true" : "false";
    out += "}\n";
    std::fputs(out.c_str(), stdout);
}

// One line per hit under its drawing's line; the lines of a multi-line text joined by " / ".
void PrintText(const SearchResult& result) {
    std::string current;
    std::map<std::string, std::size_t> counts;
    for (const SearchResult::DrawingCount& drawing : result.drawings)
        counts[drawing.path] = drawing.texts;
    for (const SearchHit& hit : result.hits) {
        if (hit.path != current) {
            current = hit.path;
            std::printf("%s (%zu)\n", current.c_str(), counts[current]);
        }
        const IndexedText& t = hit.text;
        std::string text = t.text;
        for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
            text.replace(at, 1, " / ");
        std::string where = KindName(t.kind);
        if (!t.tag.empty()) where += " " + t.tag;
        if (t.textIndex >= 0)
            where += ", layer " + t.layer + (t.layout.empty() ? "" : ", layout " + t.layout);
        std::printf("  %s  [%s]\n", text.c_str(), where.c_str());
    }
    if (result.truncated) std::printf("(more texts match than are listed)\n");
}

} // namespace

int IndexCommand(const std::vector<std::string>& args) {
    Arguments arguments;
    if (const int status = Parse(args, false, arguments); status >= 0) return status;
    try {
        TextIndex index(arguments.indexFile);
        const FolderIndexOutcome outcome = Update(index, arguments);
        std::printf("%zu drawings: %zu read (%zu failed), %zu unchanged, %zu removed\n",
                    outcome.drawings, outcome.read, outcome.failed, outcome.unchanged,
                    outcome.removed);
        return 0;
    } catch (const TextIndexError& e) {
        std::fprintf(stderr, "orvanta-cli index: %s\n", e.what());
        return 2;
    }
}

int SearchCommand(const std::vector<std::string>& args) {
    Arguments arguments;
    if (const int status = Parse(args, true, arguments); status >= 0) return status;
    try {
        TextIndex index(arguments.indexFile);
        Update(index, arguments);
        const SearchResult result =
            index.search({arguments.folder, arguments.subfolders}, arguments.query,
                         static_cast<std::size_t>(arguments.limit));
        if (arguments.json)
            PrintJson(result);
        else
            PrintText(result);
        return result.drawings.empty() ? 1 : 0;
    } catch (const TextIndexError& e) {
        std::fprintf(stderr, "orvanta-cli search: %s\n", e.what());
        return 2;
    }
}

} // namespace orvanta::cli

// Times the search index of the texts of drawings:
//   query   an index of N synthetic texts (1,000,000 by default) spread over 2,000 drawings in 8
//           folders: room names, part numbers, dimension values, member marks, English notes,
//           long MTEXT paragraphs, layer and block names. Prints the time to write it (in
//           batches of 50 drawings, as a folder is indexed), its size on disk, the time to open
//           it, and the best of 3 times of a set of queries over all the folders.
//   folder  the 1,000 drawings of the previews benchmark's folder (or N) indexed through the
//           load routine on every core: the time to index them, the time to bring the unchanged
//           folder up to date, and the index's size against the drawings'.
// The index is written to a temporary folder and removed afterwards.
//
// usage: bench_index [--query [N]] [--folder [N]]
#include "bench/BenchDrawing.h"
#include "browse/FolderIndexer.h"
#include "browse/TextIndex.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

namespace {

using namespace orvanta;
namespace fs = std::filesystem;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char* const Rooms[] = {
    "会議室", "事務室", "応接室", "倉庫",   "男子便所", "女子便所", "多目的便所", "階段室",
    "廊下",   "機械室", "電気室", "更衣室", "休憩室",   "給湯室",   "玄関ホール", "受付",
    "書庫",   "前室",   "EV",     "PS",     "DS",       "屋上",     "吹抜",       "守衛室",
    "食堂",   "厨房",   "控室",   "所長室", "会議室A",  "会議室B",  "診察室",     "病室"};
const char* const Members[] = {"大梁 G", "小梁 B", "柱 C", "基礎梁 FG", "壁 W", "スラブ S"};
const char* const Notes[] = {
    "SECTION A-A",     "TYPICAL DETAIL", "NOTE",      "SCALE 1:100", "DRAWING NO.",
    "CHECKED",         "APPROVED",       "pump room", "valve",       "FIRE DOOR",
    "GL+150",          "FL±0",           "EXP.J",     "見上図",      "仮",
    "平面詳細図",      "矩計図",         "立面図",    "断面図",      "天井伏図",
    "階段詳細 S=1:50", "仕上表",         "建具表",    "凡例",        "特記仕様"};
const char* const Paragraphs[] = {
    "特記なき限り，鉄筋はSD345とし，かぶり厚さは土に接する部分で50mm以上とする。\n"
    "コンクリートの設計基準強度はFc=24N/mm2とする。",
    "All dimensions are in millimetres unless noted otherwise. Do not scale from this drawing. "
    "Verify all dimensions on site before fabrication.",
    "内装仕上げは建築基準法の内装制限に適合させること。\n天井高さは特記なき限りCH=2700とする。"
    "\n建具の取付高さは別途建具表による。",
    "防火区画を貫通する配管は国土交通大臣認定の工法にて処理すること。\n"
    "設備機器の据付位置は施工図にて監理者の承認を得ること。"};
const char* const Layers[] = {"0",      "壁",        "柱",     "建具",   "寸法",
                              "文字",   "通り芯",    "家具",   "設備",   "A-WALL",
                              "A-DOOR", "A-GLAZ",    "S-COL",  "S-BEAM", "M-DUCT",
                              "E-LITE", "DEFPOINTS", "ハッチ", "図枠",   "補助線"};

// The drawings of the synthetic folders, `perDrawing` texts each.
std::vector<IndexedDrawing> SyntheticDrawings(int first, int count, int perDrawing,
                                              std::mt19937& rng) {
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::vector<IndexedDrawing> drawings;
    for (int d = first; d < first + count; ++d) {
        IndexedDrawing& drawing = drawings.emplace_back();
        const char* discipline = d % 2 ? "構造" : "意匠";
        char name[64];
        std::snprintf(name, sizeof name, "%c-%03d_%s.dxf", d % 2 ? 'S' : 'A', d % 1000,
                      Notes[13 + d % 12]);
        drawing.file.path =
            "/bench/project" + std::to_string(d % 4) + "/" + discipline + "/" + name;
        drawing.file.size = 400000 + static_cast<std::uintmax_t>(pick(2000000));
        drawing.file.modified = 1700000000 + d;
        std::vector<IndexedText>& texts = drawing.texts;
        const auto add = [&](IndexedTextKind kind, std::string text) {
            IndexedText& t = texts.emplace_back();
            t.kind = kind;
            t.text = std::move(text);
            t.layer = Layers[pick(20)];
            t.x = pick(84100) / 100.0;
            t.y = pick(59400) / 100.0;
            t.height = 2.5;
            t.textIndex = static_cast<std::int64_t>(texts.size());
        };
        add(IndexedTextKind::FileName, name);
        for (const char* layer : Layers)
            add(IndexedTextKind::LayerName, layer);
        for (int b = 0; b < 10; ++b)
            add(IndexedTextKind::BlockName,
                std::string("BLK_") + Rooms[pick(32)] + std::to_string(b));
        char buffer[64];
        while (static_cast<int>(texts.size()) < perDrawing) {
            const int what = pick(100);
            if (what < 15) {
                add(IndexedTextKind::Text, Rooms[pick(32)]);
            } else if (what < 35) {
                std::snprintf(buffer, sizeof buffer, "%c-%04d", "ABCDEFGHKMPSTW"[pick(14)],
                              pick(9000) + 1000);
                add(IndexedTextKind::Attribute, buffer);
                texts.back().tag = "PARTNO";
            } else if (what < 75) {
                static const char* const forms[] = {"%d", "%d,%03d", "R%d", "φ%d", "@%d"};
                const int form = pick(5), value = pick(9000) + 10;
                if (form == 1)
                    std::snprintf(buffer, sizeof buffer, forms[1], value / 1000 + 1, value % 1000);
                else
                    std::snprintf(buffer, sizeof buffer, forms[form], value);
                add(IndexedTextKind::Dimension, buffer);
            } else if (what < 85) {
                add(IndexedTextKind::Text, Members[pick(6)] + std::to_string(pick(30) + 1));
            } else if (what < 99) {
                add(IndexedTextKind::Text, Notes[pick(25)]);
            } else {
                add(IndexedTextKind::MText, Paragraphs[pick(4)]);
            }
        }
    }
    return drawings;
}

void BenchQueries(long textCount) {
    const fs::path folder =
        fs::temp_directory_path() / ("orvanta-bench-index-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string file = (folder / "texts.sqlite").string();
    const int drawings = 2000, batch = 50;
    const int perDrawing = static_cast<int>(std::max<long>(textCount / drawings, 32));
    std::mt19937 rng(20240611);
    double write = 0;
    {
        TextIndex index(file);
        for (int first = 0; first < drawings; first += batch) {
            const std::vector<IndexedDrawing> some =
                SyntheticDrawings(first, batch, perDrawing, rng);
            const auto start = std::chrono::steady_clock::now();
            index.update(some, {});
            write += Seconds(start);
        }
    }
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        bytes += entry.file_size();
    std::printf(
        "index  %d drawings, %ld texts: written in %.2f s (%.0f texts/s), %.1f MB on disk\n",
        drawings, static_cast<long>(drawings) * perDrawing, write, drawings * perDrawing / write,
        bytes / 1e6);

    auto start = std::chrono::steady_clock::now();
    TextIndex index(file);
    std::printf("open   %.1f ms\n", Seconds(start) * 1e3);

    const SearchScope all{"/bench", true};
    start = std::chrono::steady_clock::now();
    const std::size_t files = index.files(all).size();
    std::printf("files  %zu drawings listed in %.1f ms\n", files, Seconds(start) * 1e3);
    const std::vector<IndexedDrawing> again = SyntheticDrawings(0, batch, perDrawing, rng);
    start = std::chrono::steady_clock::now();
    index.update(again, {});
    std::printf("update %d drawings (%d texts) replaced in %.1f ms\n", batch, batch * perDrawing,
                Seconds(start) * 1e3);

    const char* const queries[] = {"A-1023", "会議室", "typical",       "pump room", "梁",
                                   "階段",   "A1",     "会議室 A-1023", "階段 梁",   "仮"};
    for (const char* query : queries) {
        double best = 1e9;
        SearchResult result;
        for (int run = 0; run < 3; ++run) {
            start = std::chrono::steady_clock::now();
            result = index.search(all, query);
            best = std::min(best, Seconds(start));
        }
        std::size_t texts = 0;
        for (const auto& drawing : result.drawings)
            texts += drawing.texts;
        std::printf("query  %6.1f ms  %6zu texts in %4zu drawings%s  \"%s\"\n", best * 1e3, texts,
                    result.drawings.size(), result.truncated ? " (5000 listed)" : "              ",
                    query);
    }
    fs::remove_all(folder);
}

} // namespace

// Indexes the previews benchmark's folder of `count` drawings, then brings it up to date again.
void BenchFolder(int count) {
    const std::string folder = bench::MixedDrawingFolder(count, ORVANTA_SOURCE_DIR "/samples");
    std::uintmax_t drawingBytes = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        drawingBytes += entry.file_size();
    const fs::path dir =
        fs::temp_directory_path() / ("orvanta-bench-index-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string file = (dir / "texts.sqlite").string();
    {
        TextIndex index(file);
        FolderIndexRequest request;
        request.scope = {folder, false};
        auto start = std::chrono::steady_clock::now();
        const FolderIndexOutcome first = UpdateFolderIndex(index, request);
        const double indexing = Seconds(start);
        start = std::chrono::steady_clock::now();
        const FolderIndexOutcome again = UpdateFolderIndex(index, request);
        const double upToDate = Seconds(start);
        std::printf("folder of %zu drawings (%.1f MB): indexed in %.2f s (%zu read, %zu failed), "
                    "unchanged folder brought up to date in %.3f s (%zu unchanged)\n",
                    first.drawings, drawingBytes / 1e6, indexing, first.read, first.failed,
                    upToDate, again.unchanged);
    }
    std::uintmax_t indexBytes = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        indexBytes += entry.file_size();
    std::printf("index on disk: %.1f MB, %.1f %% of the drawings' %.1f MB\n", indexBytes / 1e6,
                100.0 * static_cast<double>(indexBytes) / static_cast<double>(drawingBytes),
                drawingBytes / 1e6);
    fs::remove_all(dir);
}

int main(int argc, char** argv) {
    long texts = 0;
    int drawings = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--query") == 0) {
            texts = 1000000;
            if (i + 1 < argc && argv[i + 1][0] != '-') texts = std::atol(argv[++i]);
        } else if (std::strcmp(argv[i], "--folder") == 0) {
            drawings = 1000;
            if (i + 1 < argc && argv[i + 1][0] != '-') drawings = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_index [--query [N]] [--folder [N]]\n");
            return 2;
        }
    }
    if (texts == 0 && drawings == 0) texts = 1000000, drawings = 1000;
    if (drawings > 0) BenchFolder(drawings);
    if (texts > 0) BenchQueries(texts);
    return 0;
}

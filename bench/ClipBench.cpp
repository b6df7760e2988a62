// Times block expansion with clipped references against the same drawing unclipped, and the
// merge of a large external reference into its block.
//
//   expand  5,000 inserts of one block of 200 lines, 50 circles, 50 arcs, 20 texts and 10 fills,
//           unclipped, clipped to a rectangle, a regular 64-gon, an L and a 64-point star;
//   merge   a referenced drawing of 1,000,000 lines and 100,000 texts merged into its block.
//
// usage: bench_clip [--inserts N] [--runs N]   (best of 3 runs by default)
#include "geometry/BlockExpansion.h"
#include "geometry/Primitives.h"
#include "load/ExternalReferences.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

using namespace orvanta;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Drawing BlockDrawing(int inserts) {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    d.BlockAry.emplace_back().name = "K";
    const Name k = d.name("K");
    std::mt19937 rng(20240601);
    const auto u = [&](double lo, double hi) {
        return std::uniform_real_distribution<>(lo, hi)(rng);
    };
    for (int i = 0; i < 200; ++i) {
        TAcadLineBlk& l = d.BlkLineAry.emplace_back();
        l.bname = k;
        l.st = {u(0, 100), u(0, 100), 0};
        l.ed = {u(0, 100), u(0, 100), 0};
    }
    for (int i = 0; i < 50; ++i) {
        TCircleBlk& c = d.BlkCircleAry.emplace_back();
        c.bname = k;
        c.center = {u(0, 100), u(0, 100), 0};
        c.hankei = u(1, 20);
        TArcBlk& a = d.BlkArcAry.emplace_back();
        a.bname = k;
        a.center = {u(0, 100), u(0, 100), 0};
        a.hankei = u(1, 20);
        a.st = u(0, 360);
        a.ed = a.st + u(10, 300);
    }
    for (int i = 0; i < 20; ++i) {
        TTextBlk& t = d.BlkTextAry.emplace_back();
        t.bname = k;
        t.pt10 = {u(0, 100), u(0, 100), 0};
        t.code40 = 2;
        t.str = "text";
    }
    for (int i = 0; i < 10; ++i) {
        TFillBlk& f = d.BlkFillAry.emplace_back();
        f.bname = k;
        const double x = u(0, 80), y = u(0, 80), s = u(5, 20);
        f.rings = {{{x, y, 0}, {x + s, y, 0}, {x + s, y + s, 0}, {x, y + s, 0}}};
    }
    for (int i = 0; i < inserts; ++i) {
        TInsertBlk& insert = d.InsertAry.emplace_back();
        insert.name = k;
        insert.base = {(i % 100) * 150.0, (i / 100) * 150.0, 0};
        insert.rotate = (i % 7) * 10;
    }
    return d;
}

void Clip(Drawing& d, std::vector<TAcadPoint> boundary) {
    d.ClipAry.push_back(std::move(boundary));
    for (TInsertBlk& insert : d.InsertAry)
        insert.clip = 0;
}

// A regular polygon of `points` corners, every second one drawn in to `inner` of the radius.
std::vector<TAcadPoint> Polygon(int points, double inner) {
    std::vector<TAcadPoint> polygon;
    for (int i = 0; i < points; ++i) {
        const double a = TwoPi * i / points, r = i % 2 ? 45 * inner : 45;
        polygon.push_back({50 + r * std::cos(a), 50 + r * std::sin(a), 0});
    }
    return polygon;
}

std::size_t Produced(const Drawing& d) {
    return d.LineAry.size() + d.CircleAry.size() + d.ArcAry.size() + d.TextAry.size() +
           d.FillAry.size();
}

void TimeExpansion(const char* label, const Drawing& source, int runs) {
    double best = 1e30;
    std::size_t produced = 0;
    for (int run = 0; run < runs; ++run) {
        Drawing d = source;
        const auto start = std::chrono::steady_clock::now();
        try {
            ExpandModelInserts(d);
        } catch (const BlockExpansionTooLarge& e) {
            std::printf("expand %-10s refused: %s\n", label, e.what());
            return;
        }
        best = std::min(best, Seconds(start));
        produced = Produced(d);
    }
    std::printf("expand %-10s %8.3f s  %9zu records  %6.1f ns/record\n", label, best, produced,
                best * 1e9 / static_cast<double>(std::max<std::size_t>(produced, 1)));
}

void TimeMerge(int runs) {
    Drawing reference;
    reference.LayerAry.push_back({"0", 7});
    for (int i = 0; i < 20; ++i)
        reference.LayerAry.push_back({"L" + std::to_string(i), static_cast<std::int16_t>(i + 1)});
    std::vector<Name> layers;
    for (int i = 0; i < 20; ++i)
        layers.push_back(reference.name("L" + std::to_string(i)));
    for (int i = 0; i < 1'000'000; ++i) {
        TAcadLineBlk& l = reference.LineAry.emplace_back();
        l.layer = layers[static_cast<std::size_t>(i % 20)];
        l.st = {i * 1.0, 0, 0};
        l.ed = {i * 1.0, 1, 0};
    }
    for (int i = 0; i < 100'000; ++i) {
        TTextBlk& t = reference.TextAry.emplace_back();
        t.layer = layers[static_cast<std::size_t>(i % 20)];
        t.str = "text";
    }
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        Drawing host;
        host.BlockAry.emplace_back().name = "REF";
        const auto start = std::chrono::steady_clock::now();
        MergeReference(host, "REF", reference);
        best = std::min(best, Seconds(start));
    }
    std::printf("merge  1,100,000 records %8.3f s  %6.1f ns/record\n", best,
                best * 1e9 / 1'100'000);
}

} // namespace

int main(int argc, char** argv) {
    int inserts = 5'000;
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--inserts")) inserts = std::atoi(argv[i + 1]);
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    }
    const Drawing plain = BlockDrawing(inserts);
    TimeExpansion("unclipped", plain, runs);
    Drawing rectangle = plain;
    Clip(rectangle, {{20, 20, 0}, {80, 20, 0}, {80, 80, 0}, {20, 80, 0}});
    TimeExpansion("rectangle", rectangle, runs);
    Drawing round = plain;
    Clip(round, Polygon(64, 1));
    TimeExpansion("polygon64", round, runs);
    Drawing lshape = plain;
    Clip(lshape, {{10, 10, 0}, {90, 10, 0}, {90, 40, 0}, {40, 40, 0}, {40, 90, 0}, {10, 90, 0}});
    TimeExpansion("lshape", lshape, runs);
    Drawing star = plain;
    Clip(star, Polygon(64, 0.5));
    TimeExpansion("star64", star, runs);
    TimeMerge(runs);
    return 0;
}

// Drawings written by other programs: every text DXF reads, or fails for a reason we name.
#include "dxf/DxfVersion.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orvanta {
namespace {

namespace fs = std::filesystem;

Drawing ReadAsTheBrowserDoes(const fs::path& file) {
    std::string version;
    ReadDxfVersion(file.string(), version);
    Drawing d;
    ReadDxfFile(d, file.string(), nullptr, EncodingForFile(file.string(), version));
    return d;
}

bool IsBinaryDxf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string head(18, '\0');
    in.read(head.data(), 18);
    return head == "AutoCAD Binary DXF";
}

TEST(SampleDrawings, EveryTextDxfReads) {
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings";
    int read = 0, binary = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".dxf" && ext != ".DXF") continue;
        if (IsBinaryDxf(entry.path())) {
            ++binary;
            Drawing d;
            EXPECT_THROW(ReadDxfFile(d, entry.path().string(), nullptr, TextEncoding::Cp932),
                         DxfReadError);
            continue;
        }
        try {
            Drawing d = ReadAsTheBrowserDoes(entry.path());
            EXPECT_FALSE(d.LayerAry.empty());
            ++read;
        } catch (const SilentAbort& e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_GT(read, 150);
    EXPECT_GT(binary, 5);
}

TEST(SampleDrawings, CountsMatchWhatTheFilesHold) {
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings";
    const fs::path dir = root / "skymakerolof+dxf/test/resources";
    // Counted by hand from the files' ENTITIES sections and tables.
    const Drawing layers = ReadAsTheBrowserDoes(dir / "layers.dxf");
    EXPECT_EQ(layers.LayerAry.size(), 3u);
    EXPECT_EQ(layers.LineAry.size(), 8u);
    EXPECT_EQ(layers.CircleAry.size(), 1u);

    const Drawing sheet = ReadAsTheBrowserDoes(dir / "Ceco.NET-Architecture-Tm-53.dxf");
    const auto counts = TableCounts(sheet);
    const std::size_t expected[13] = {13, 628, 1, 18, 9, 12, 0, 0, 29, 19, 6, 0, 0};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(counts[i].count, expected[i]) << counts[i].name;
    // HATCH and POINT entities are not kept.

    // 29 TEXTs, 5 MTEXTs and 4 ATTRIBs, one of which is a multi-line attribute.
    const Drawing multiLine =
        ReadAsTheBrowserDoes(root / "DomCR+ACadSharp/samples/sample_AC1032_ascii.dxf");
    EXPECT_EQ(multiLine.TextAry.size(), 38u);
}

} // namespace
} // namespace orvanta

// Drawings written by other programs: every DXF, text or binary, reads.
#include "dxf/DxfVersion.h"
#include "dxf/PairSource.h"
#include "load/LoadDrawing.h"
#include "support/NormalisedDump.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

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

TEST(SampleDrawings, EveryDxfReads) {
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings";
    int read = 0, binary = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".dxf" && ext != ".DXF") continue;
        binary += IsBinaryDxfFile(entry.path().string());
        try {
            Drawing d = ReadAsTheBrowserDoes(entry.path());
            EXPECT_FALSE(d.LayerAry.empty());
            ++read;
        } catch (const SilentAbort& e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_GT(read, 160);
    EXPECT_GT(binary, 10);
}

// Whether two dumps of normalised drawings hold the same records, their numbers agreeing within
// `tolerance` (relative, above 1): a text file rounds its reals, where a binary one keeps every
// bit.
testing::AssertionResult SameRecords(const std::string& a, const std::string& b, double tolerance) {
    std::istringstream inA(a), inB(b);
    std::string wordA, wordB;
    for (int word = 1;; ++word) {
        const bool moreA = static_cast<bool>(inA >> wordA);
        const bool moreB = static_cast<bool>(inB >> wordB);
        if (!moreA || !moreB) {
            if (moreA == moreB) return testing::AssertionSuccess();
            return testing::AssertionFailure() << "one dump ends at word " << word;
        }
        if (wordA == wordB) continue;
        char *endA, *endB;
        const double x = std::strtod(wordA.c_str(), &endA);
        const double y = std::strtod(wordB.c_str(), &endB);
        if (*endA == '\0' && *endB == '\0' &&
            std::fabs(x - y) <= tolerance * (1 + std::max(std::fabs(x), std::fabs(y))))
            continue;
        return testing::AssertionFailure() << "word " << word << ": " << wordA << " / " << wordB;
    }
}

// One drawing saved as text and as binary DXF by the program that made the format, in seven
// releases: each binary file loads to what its text twin loads to.
TEST(SampleDrawings, BinaryTwinsLoadAsTheirTextTwins) {
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings";
    const fs::path dir = root / "DomCR+ACadSharp/samples";
    for (const char* release :
         {"AC1009", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027", "AC1032"}) {
        SCOPED_TRACE(release);
        const std::string name = std::string("sample_") + release;
        const LoadedDrawing text = LoadDrawingFile((dir / (name + "_ascii.dxf")).string());
        const LoadedDrawing binary = LoadDrawingFile((dir / (name + "_binary.dxf")).string());
        ASSERT_EQ(binary.outcome, LoadOutcome::Loaded) << binary.failure.message();
        EXPECT_EQ(binary.acadver, release);
        for (std::size_t i = 0; i < text.readCounts.size(); ++i)
            EXPECT_EQ(binary.readCounts[i].count, text.readCounts[i].count)
                << text.readCounts[i].name;
        // The text file of release 12 holds many reals to six significant digits only; later
        // releases write sixteen.
        const double tolerance = std::string(release) == "AC1009" ? 1e-5 : 1e-9;
        EXPECT_TRUE(SameRecords(test::DumpNormalised(binary.drawing),
                                test::DumpNormalised(text.drawing), tolerance));
    }
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

// The normalised records of known drawings against their recorded dumps: any change to what the
// load sequence produces (a record, its order, a bit of a coordinate, a layer it adds) shows
// here. Run with ORVANTA_REFRESH_GOLDENS=1 to record the dumps again after a deliberate change.
#include "dxf/DxfVersion.h"
#include "load/LoadDrawing.h"
#include "model/Abort.h"
#include "support/NormalisedDump.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace orvanta {
namespace {

namespace fs = std::filesystem;

bool RefreshRequested() {
    const char* value = std::getenv("ORVANTA_REFRESH_GOLDENS");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

fs::path GoldenFolder() {
    return test::SourcePath("tests/goldens/normalised");
}

std::string ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteWhole(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The dump of a drawing read and loaded as the browser loads it; a refusal or a read failure is
// part of the outcome and recorded as such.
// A failure's message without the folder the file lies in, which differs between checkouts.
std::string WithoutFolder(std::string message, const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    for (std::size_t at; (at = message.find(path)) != std::string::npos;)
        message.replace(at, path.size(), name);
    return message;
}

std::string LoadAndDump(const std::string& path) {
    std::string version;
    Drawing d;
    try {
        ReadDxfVersion(path, version);
        ReadDxfFile(d, path, nullptr, EncodingForFile(path, version));
    } catch (const SilentAbort& e) {
        return "UNREADABLE " + WithoutFolder(e.what(), path) + "\n";
    }
    try {
        NormaliseDrawing(d);
    } catch (const SilentAbort& e) {
        return "REFUSED " + WithoutFolder(e.what(), path) + "\n";
    }
    return test::DumpNormalised(d);
}

// Where two dumps first part, for a failure message a person can act on.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::istringstream a(actual), e(expected);
    std::string lineA, lineE;
    for (int number = 1;; ++number) {
        const bool moreA = static_cast<bool>(std::getline(a, lineA));
        const bool moreE = static_cast<bool>(std::getline(e, lineE));
        if (!moreA && !moreE) return "no difference";
        if (!moreA) lineA = "(end)";
        if (!moreE) lineE = "(end)";
        if (lineA != lineE || !moreA || !moreE)
            return "line " + std::to_string(number) + "\n  got:      " + lineA +
                   "\n  recorded: " + lineE;
    }
}

TEST(NormalisedGolden, BundledSamplesLoadToTheirRecordedRecords) {
    std::vector<fs::path> samples;
    for (const auto& entry : fs::directory_iterator(test::SourcePath("samples")))
        if (entry.path().extension() == ".dxf") samples.push_back(entry.path());
    std::sort(samples.begin(), samples.end());
    ASSERT_FALSE(samples.empty());
    for (const fs::path& sample : samples) {
        SCOPED_TRACE(sample.filename().string());
        const std::string actual = LoadAndDump(sample.string());
        const fs::path golden = GoldenFolder() / (sample.stem().string() + ".txt");
        if (RefreshRequested()) {
            WriteWhole(golden, actual);
            continue;
        }
        ASSERT_TRUE(fs::exists(golden))
            << "no dump at " << golden << "; run with ORVANTA_REFRESH_GOLDENS=1 to record it";
        const std::string expected = ReadWhole(golden);
        if (actual == expected) continue;
        const fs::path written =
            fs::temp_directory_path() / ("orvanta-normalised-" + sample.stem().string() + ".txt");
        WriteWhole(written, actual);
        ADD_FAILURE() << "differs from " << golden << " at " << FirstDifference(actual, expected)
                      << "\n  whole dump written to " << written;
    }
}

// The public drawings are not ours to copy, so only a digest of each dump is recorded, with the
// record counts to tell a lost record from a changed one.
std::string DigestLine(const std::string& relative, const std::string& dump) {
    std::size_t lines = 0, circles = 0, arcs = 0, texts = 0;
    std::istringstream in(dump);
    std::string line;
    while (std::getline(in, line)) {
        lines += line.rfind("LINE ", 0) == 0;
        circles += line.rfind("CIRCLE ", 0) == 0;
        arcs += line.rfind("ARC ", 0) == 0;
        texts += line.rfind("TEXT ", 0) == 0;
    }
    char head[96];
    std::snprintf(head, sizeof head, "%016" PRIx64 " %zu %zu %zu %zu ", test::Fnv1a(dump), lines,
                  circles, arcs, texts);
    return head + relative;
}

TEST(NormalisedGolden, SharedSamplesLoadToTheirRecordedDigests) {
    const fs::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared sample drawings here";
    const fs::path digests = GoldenFolder() / "shared-samples.txt";

    if (RefreshRequested()) {
        std::vector<std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            std::string ext = entry.path().extension().string();
            std::transform(ext.begin(), ext.end(), ext.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            if (entry.is_regular_file() && ext == ".dxf")
                files.push_back(fs::relative(entry.path(), root).generic_string());
        }
        std::sort(files.begin(), files.end());
        std::string text;
        for (const std::string& relative : files)
            text += DigestLine(relative, LoadAndDump((root / relative).string())) + "\n";
        WriteWhole(digests, text);
        return;
    }

    std::ifstream in(digests);
    ASSERT_TRUE(in) << "no digests at " << digests
                    << "; run with ORVANTA_REFRESH_GOLDENS=1 to record them";
    std::string expected;
    int checked = 0;
    while (std::getline(in, expected)) {
        // digest, four counts, then the path, which may hold spaces.
        std::size_t at = 0;
        for (int field = 0; field < 5; ++field)
            at = expected.find(' ', at) + 1;
        const std::string relative = expected.substr(at);
        const fs::path file = root / relative;
        if (!fs::exists(file)) continue;
        ++checked;
        EXPECT_EQ(DigestLine(relative, LoadAndDump(file.string())), expected);
    }
    EXPECT_GT(checked, 0);
}

} // namespace
} // namespace orvanta

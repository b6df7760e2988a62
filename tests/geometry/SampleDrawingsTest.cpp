// Every public sample drawing, read and normalised as the browser loads it.
#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "geometry/EntityBoxes.h"
#include "geometry/Primitives.h"
#include "load/LoadDrawing.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

namespace orvanta {
namespace {

std::vector<std::string> SampleDxfFiles() {
    std::vector<std::string> files;
    const std::filesystem::path root = test::SharedSamples();
    if (root.empty()) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (ext == ".dxf") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Inside(const TBox& box, const Drawing& d) {
    // Extents are made of the same boxes, so everything countable lies within them.
    const double tol =
        1e-9 * (1 + std::fabs(d.ExtMax.x - d.ExtMin.x) + std::fabs(d.ExtMax.y - d.ExtMin.y) +
                std::fabs(d.ExtMin.x) + std::fabs(d.ExtMin.y));
    return box.Min.x >= d.ExtMin.x - tol && box.Min.y >= d.ExtMin.y - tol &&
           box.Max.x <= d.ExtMax.x + tol && box.Max.y <= d.ExtMax.y + tol;
}

bool Finite(const TBox& box) {
    return std::isfinite(box.Min.x) && std::isfinite(box.Min.y) && std::isfinite(box.Max.x) &&
           std::isfinite(box.Max.y);
}

class SampleDrawing : public testing::TestWithParam<std::string> {};

TEST_P(SampleDrawing, NormalisesToFiniteExtentsHoldingEveryDrawableRecord) {
    const std::string& path = GetParam();
    std::string acadver;
    Drawing d;
    try {
        ReadDxfVersion(path, acadver);
        ReadDxfFile(d, path, nullptr, EncodingForVersion(acadver));
    } catch (const SilentAbort& e) {
        GTEST_SKIP() << "not readable: " << e.what();
    }
    // The passes only append lines, and only flatten curves outside the world XY plane: the
    // model-space lines and plain circles of the file must all still be drawable.
    std::size_t readLines = 0, readCircles = 0;
    for (const auto& r : d.LineAry)
        readLines += r.code67 == 0;
    for (const auto& r : d.CircleAry)
        readCircles += r.code67 == 0 && IsDefaultExtrusion(r.code210);

    try {
        NormaliseDrawing(d);
    } catch (const SilentAbort& e) {
        // The only refusal the passes know is a block expansion beyond memory.
        ADD_FAILURE() << "refused: " << e.what();
        return;
    }

    ASSERT_TRUE(std::isfinite(d.ExtMin.x) && std::isfinite(d.ExtMin.y) &&
                std::isfinite(d.ExtMax.x) && std::isfinite(d.ExtMax.y));
    EXPECT_LE(d.ExtMin.x, d.ExtMax.x);
    EXPECT_LE(d.ExtMin.y, d.ExtMax.y);
    EXPECT_TRUE(d.InsertAry.empty() && d.BlockAry.empty() && d.LwpAry.empty() &&
                d.EllipseAry.empty() && d.FaceAry.empty() && d.LeaderAry.empty());

    std::size_t drawableLines = 0, drawableCircles = 0;
    for (const auto& r : d.LineAry) {
        if (r.code67 != 0) continue;
        ++drawableLines;
        const TBox box = SegmentBox(r.st, r.ed);
        if (Finite(box)) {
            EXPECT_TRUE(Inside(box, d)) << "line outside the extents";
        }
    }
    for (const auto& r : d.CircleAry) {
        if (r.code67 != 0) continue;
        ++drawableCircles;
        const TBox box = CircleBox(r.center, r.hankei);
        if (Finite(box)) {
            EXPECT_TRUE(Inside(box, d)) << "circle outside the extents";
        }
    }
    for (const auto& r : d.ArcAry) {
        if (r.code67 != 0) continue;
        const TBox box = ArcBox(r.center, r.hankei, r.st * Pi / 180, r.ed * Pi / 180);
        if (Finite(box)) {
            EXPECT_TRUE(Inside(box, d)) << "arc outside the extents";
        }
    }
    EXPECT_GE(drawableLines, readLines);
    EXPECT_GE(drawableCircles, readCircles);
}

std::string SampleName(const testing::TestParamInfo<std::string>& info) {
    std::string name = std::filesystem::path(info.param).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return std::to_string(info.index) + "_" + name;
}

INSTANTIATE_TEST_SUITE_P(Shared, SampleDrawing, testing::ValuesIn(SampleDxfFiles()), SampleName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SampleDrawing);

} // namespace
} // namespace orvanta

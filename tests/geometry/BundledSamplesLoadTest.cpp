// Each bundled sample through the whole load: what the detail view is fitted to and draws.
#include "dxf/DxfVersion.h"
#include "load/LoadDrawing.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

struct Expected {
    const char* file;
    double minX, minY, maxX, maxY;
    std::size_t lines, circles, arcs, texts;
};

// The extents hold the model's figures and the boxes of its texts (laid out, with a margin of a
// quarter of their height); paper-space frames lie outside them.
const Expected Samples[] = {
    {"all-entities.dxf", 10, 10, 287, 200, 233, 5, 14, 29},
    // The title's baseline lies at y = -600; its descent and margin reach 0.51 heights further.
    {"blocks-nested.dxf", 0, -727.6820546163849, 12000, 8000, 64, 7, 12, 8},
    // The extension lines of the two dimensions reach -2325 on both axes; the vertical label
    // "6000" reaches to x = -2575.
    {"floor-plan.dxf", -2575, -2325, 10000, 7000, 187, 6, 5, 10},
    // The notes wrap at their reference width, which ends at x = 14000; the margin of a quarter
    // of their height reaches 37.5 beyond.
    {"japanese-sjis.dxf", -2500, -4900, 14037.5, 6400, 96, 7, 3, 24},
    {"japanese-utf8.dxf", -2500, -4900, 14037.5, 6400, 96, 7, 3, 24},
    {"mesh-and-faces.dxf", 0, 0, 40, 30, 108, 3, 1, 3},
    // Texts only: the extents are the union of the text boxes, the MTEXT turned 45° by its
    // direction vector reaching down to 18.6.
    {"texts-only.dxf", 18.25, 18.60425863215705, 286.7875487646294, 198.75, 0, 0, 0, 26},
};

TEST(BundledSamplesLoad, ExtentsAndDrawableCounts) {
    for (const Expected& e : Samples) {
        SCOPED_TRACE(e.file);
        const std::string path = test::SourcePath(std::string("samples/") + e.file).string();
        std::string version;
        ReadDxfVersion(path, version);
        Drawing d;
        ReadDxfFile(d, path, nullptr, EncodingForFile(path, version));
        NormaliseDrawing(d);
        EXPECT_NEAR(d.ExtMin.x, e.minX, 1e-6);
        EXPECT_NEAR(d.ExtMin.y, e.minY, 1e-6);
        EXPECT_NEAR(d.ExtMax.x, e.maxX, 1e-6);
        EXPECT_NEAR(d.ExtMax.y, e.maxY, 1e-6);
        const DrawableCounts n = CountDrawable(d);
        EXPECT_EQ(n.lines, e.lines);
        EXPECT_EQ(n.circles, e.circles);
        EXPECT_EQ(n.arcs, e.arcs);
        EXPECT_EQ(n.texts, e.texts);
        // Every source table was consumed.
        EXPECT_TRUE(d.LwpAry.empty() && d.InsertAry.empty() && d.BlockAry.empty() &&
                    d.EllipseAry.empty() && d.FaceAry.empty() && d.LeaderAry.empty());
    }
}

} // namespace
} // namespace orvanta

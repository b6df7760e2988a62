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

// The extents come from the model-space lines, circles and arcs only (texts count only in a
// drawing without them), so titles below a plan and paper-space frames lie outside them.
const Expected Samples[] = {
    {"all-entities.dxf", 10, 10, 287, 200, 233, 5, 14, 29},
    // The title text at y = -600 is not part of the extents.
    {"blocks-nested.dxf", 0, -600, 12000, 8000, 64, 7, 12, 8},
    // The extension lines of the two dimensions reach -2325 on both axes; the vertical label
    // "6000" centred at x = -2387.5 reaches half its 1.86 heights further left.
    {"floor-plan.dxf", -2620, -2325, 10000, 7000, 187, 6, 5, 10},
    {"japanese-sjis.dxf", -2500, -4900, 14000, 6400, 96, 7, 3, 24},
    {"japanese-utf8.dxf", -2500, -4900, 14000, 6400, 96, 7, 3, 24},
    {"mesh-and-faces.dxf", 0, 0, 40, 30, 108, 3, 1, 3},
    // Texts only: the extents are the union of the text boxes, the MTEXT turned 45° by its
    // direction vector reaching down to 19.18.
    {"texts-only.dxf", 20, 19.183531418879152, 285, 201.97, 0, 0, 0, 26},
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

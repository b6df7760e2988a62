// The bundled sample drawings drawn through the QPainter canvas, as the detail view draws them
// after opening: compared with stored pictures, and zoomed in with and without the visibility
// tests, which must not change what is seen.
#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/LoadDrawing.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"
#include "support/GoldenImage.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

Drawing LoadFile(const std::string& path) {
    std::string acadver, status;
    ReadDxfVersion(path, acadver);
    Drawing d;
    ReadDxfFile(d, path, nullptr, nullptr, status, EncodingForFile(path, acadver));
    EXPECT_EQ(status, "");
    NormaliseDrawing(d);
    return d;
}

Drawing LoadSample(const std::string& name) {
    return LoadFile(test::SourcePath("samples/" + name + ".dxf").string());
}

struct Picture {
    int width = 480;
    int height = 320;
    TAcadPoint center;
    double drawW = 0;
    double drawH = 0;
    bool noClip = true;
};

QImage Render(Drawing& d, const Picture& p, int* count = nullptr) {
    QImage image(p.width, p.height, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    ClearCanvas(canvas, p.width, p.height, ColorBlack);
    DrawOptions options;
    options.view = {p.center, p.drawW, p.drawH, ViewOriginOf(p.width, p.height), p.width, p.height};
    options.clipping = p.noClip ? Clipping::WholeExtent : Clipping::ToView;
    const int drawn = DrawDxf(d, options, canvas);
    if (count != nullptr) *count = drawn;
    return image;
}

Picture Whole(const Drawing& d) {
    ViewState view;
    FitViewToExtents(view, d);
    Picture p;
    p.center = view.ViewCenter;
    p.drawW = view.DrawWidth;
    p.drawH = view.DrawHeight;
    return p;
}

class BundledSample : public testing::TestWithParam<const char*> {};

TEST_P(BundledSample, WholeDrawingMatchesItsGolden) {
    ASSERT_EQ(TextFaceProblem(), "");
    Drawing d = LoadSample(GetParam());
    const QImage image = Render(d, Whole(d));
    // Glyph edges are antialiased and may move a little with the font rasteriser; lines, arcs
    // and pixels are exact.
    EXPECT_TRUE(test::MatchesGolden(image, test::GoldenPath(std::string("sample_") + GetParam()),
                                    {48, 80}));
}

INSTANTIATE_TEST_SUITE_P(Goldens, BundledSample,
                         testing::Values("floor-plan", "japanese-sjis", "texts-only",
                                         "all-entities"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// Zoomed in `zoomIn` times on a grid of points over the drawing, with and without the visibility
// tests; returns the number of views in which records were left out.
int CheckCulling(Drawing& d, const std::string& name, int grid, double zoomIn) {
    const Picture whole = Whole(d);
    int culledViews = 0;
    for (int i = 0; i < grid; ++i) {
        for (int j = 0; j < grid; ++j) {
            Picture p = whole;
            p.drawW = whole.drawW / zoomIn;
            p.drawH = whole.drawH / zoomIn;
            p.center.x = d.ExtMin.x + whole.drawW * (i + 0.5) / grid;
            p.center.y = d.ExtMin.y + whole.drawH * (j + 0.5) / grid;
            int all = 0, kept = 0;
            const QImage expected = Render(d, p, &all);
            p.noClip = false;
            const QImage actual = Render(d, p, &kept);
            culledViews += kept < all;
            const test::ImageDifference diff = test::CompareImages(actual, expected, {0, 0});
            if (diff.pixelsBeyond > 0) {
                // Both pictures for a look, beside the failed goldens.
                const std::string stem =
                    (test::GoldenFailureFolder() /
                     ("culled_" + name + "_" + std::to_string(i) + std::to_string(j)))
                        .string();
                std::filesystem::create_directories(test::GoldenFailureFolder());
                actual.save(QString::fromStdString(stem + "_culled.png"));
                expected.save(QString::fromStdString(stem + "_all.png"));
            }
            EXPECT_EQ(diff.pixelsBeyond, 0) << name << " at (" << p.center.x << ", " << p.center.y
                                            << "): " << kept << " of " << all << " records kept";
        }
    }
    return culledViews;
}

class ZoomedSample : public testing::TestWithParam<const char*> {};

// The visibility tests may leave out only what would not show anyway.
TEST_P(ZoomedSample, CullingLeavesThePictureAsItIs) {
    Drawing d = LoadSample(GetParam());
    // The test means something only when records were left out.
    EXPECT_GT(CheckCulling(d, GetParam(), 5, 4), 0);
    CheckCulling(d, GetParam(), 9, 16);
}

INSTANTIATE_TEST_SUITE_P(Samples, ZoomedSample,
                         testing::Values("floor-plan", "blocks-nested", "texts-only",
                                         "japanese-sjis", "japanese-utf8", "all-entities",
                                         "mesh-and-faces"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace orvanta

namespace orvanta {
namespace {

// The same on every drawing written by other programs, when their folder is there.
TEST(SharedSampleCulling, CullingLeavesThePictureAsItIs) {
    const std::filesystem::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared samples";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        if (entry.path().extension() != ".dxf" && entry.path().extension() != ".DXF") continue;
        Drawing d;
        try {
            d = LoadFile(path);
        } catch (const SilentAbort&) {
            continue;
        }
        CheckCulling(d, entry.path().stem().string(), 3, 4);
    }
}

} // namespace
} // namespace orvanta

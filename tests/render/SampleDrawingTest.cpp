// The bundled sample drawings drawn through the QPainter canvas, as the detail view draws them
// after opening: compared with stored pictures, and zoomed in with and without the visibility
// tests, which must not change what is seen.
#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/DrawDxf.h"
#include "render/ViewState.h"
#include "render/qt/QtCanvas.h"
#include "support/GoldenImage.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace orvanta {
namespace {

Drawing LoadFile(const std::string& path) {
    std::string acadver;
    ReadDxfVersion(path, acadver);
    Drawing d;
    ReadDxfFile(d, path, nullptr, EncodingForFile(path, acadver));
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
    int penWidth = 1;
};

QImage Render(Drawing& d, const Picture& p, int* count = nullptr) {
    QImage image(p.width, p.height, QImage::Format_RGB32);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    ClearCanvas(canvas, p.width, p.height, ColorBlack);
    DrawOptions options;
    options.view = {p.center, p.drawW, p.drawH, ViewOriginOf(p.width, p.height), p.width, p.height};
    options.clipping = p.noClip ? Clipping::WholeExtent : Clipping::ToView;
    options.penWidth = p.penWidth;
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

// A line a few pixels outside the view, drawn with a wide pen, inks the view's edge: the
// visibility tests must look beyond the view by half the pen's width and by the half pixel that
// rounding a line's position to a pixel may bring it nearer.
TEST(WidePenCulling, LinesJustOutsideTheViewInkItsEdges) {
    Picture p;
    p.width = 120;
    p.height = 80;
    p.drawW = 120;
    p.drawH = 80;
    const double u = UnitsPerPixel(p.drawW, p.drawH, p.width, p.height, DefaultZoomRate);
    // The world point of the centre of pixel (column, row).
    const auto at = [&](double column, double row) {
        return TAcadPoint{(column - p.width / 2) * u, (p.height / 2 - row) * u, 0};
    };
    const auto line = [](TAcadPoint st, TAcadPoint ed) {
        TAcadLineBlk l;
        l.st = st;
        l.ed = ed;
        l.PenColor = 0xFFFFFF;
        return l;
    };
    // Lit pixels along the four edges of the picture.
    const auto edgeInk = [](const QImage& image) {
        const auto lit = [&](int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) != 0 ? 1 : 0; };
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += lit(x, 0) + lit(x, image.height() - 1);
        for (int y = 0; y < image.height(); ++y)
            count += lit(0, y) + lit(image.width() - 1, y);
        return count;
    };
    std::map<int, double> farthestInking; // pen width -> farthest distance that inks an edge
    for (const int width : {1, 2, 3, 4, 5}) {
        farthestInking[width] = 0;
        for (const double k : {0.45, 1.0, 1.45, 2.0, 2.45, 3.0, 3.45, 4.0}) {
            SCOPED_TRACE("pen " + std::to_string(width) + ", " + std::to_string(k) +
                         " pixels outside");
            // One line beside each side of the view, k pixels beyond its outermost pixels.
            Drawing d;
            d.LineAry = {line(at(-k, 10), at(-k, p.height - 10)),
                         line(at(p.width - 1 + k, 10), at(p.width - 1 + k, p.height - 10)),
                         line(at(10, -k), at(p.width - 10, -k)),
                         line(at(10, p.height - 1 + k), at(p.width - 10, p.height - 1 + k))};
            p.penWidth = width;
            p.noClip = true;
            const QImage all = Render(d, p);
            p.noClip = false;
            int kept = 0;
            EXPECT_EQ(Render(d, p, &kept), all) << kept << " of 4 lines kept";
            if (edgeInk(all) > 0) farthestInking[width] = k;
        }
        // A pen inks width / 2 pixels (rounded down) to either side of the pixel its line is
        // rounded to, which may lie almost half a pixel nearer the view than the line itself.
        EXPECT_EQ(farthestInking[width], width / 2 + 0.45) << "pen " << width;
    }
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

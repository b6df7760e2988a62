// A picture drawn in bands on worker threads against the same picture drawn in one pass: texts,
// wide pens, dashes and arcs that cross a band's edge must come out pixel for pixel the same.
#include "render/qt/BandedDraw.h"

#include "load/LoadDrawing.h"
#include "render/Colors.h"
#include "render/ViewState.h"
#include "support/GoldenImage.h"
#include "support/TestFiles.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

QImage OnePass(const Drawing& d, const DrawOptions& options) {
    QImage image(options.view.pixW, options.view.pixH, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    QtCanvas canvas(painter);
    DrawDxf(d, options, canvas);
    return image;
}

QImage Banded(const Drawing& d, const DrawOptions& options, unsigned workers) {
    QImage image(options.view.pixW, options.view.pixH, QImage::Format_RGB32);
    image.fill(Qt::black);
    TextShapeCache shapes;
    DrawDxfBanded(d, options, image, shapes, DefaultTextFace, workers);
    return image;
}

// Differing pixels; both pictures are written beside the failed goldens when there are any.
long long Differences(const QImage& banded, const QImage& onePass, const std::string& name) {
    const long long differing = test::CompareImages(banded, onePass, {0, 0}).pixelsBeyond;
    if (differing > 0) {
        std::filesystem::create_directories(test::GoldenFailureFolder());
        const std::string stem = (test::GoldenFailureFolder() / ("banded_" + name)).string();
        banded.save(QString::fromStdString(stem + "_banded.png"));
        onePass.save(QString::fromStdString(stem + "_one_pass.png"));
    }
    return differing;
}

DrawOptions WholeView(const Drawing& d, int width, int height) {
    DrawOptions options;
    options.view = WholeDrawingView(d, width, height);
    options.clipping = Clipping::WholeExtent;
    return options;
}

// Records across every band edge of a 300 x 400 picture cut into 6 or 8 bands.
Drawing SeamDrawing() {
    Drawing d;
    TLayer layer;
    layer.Name = "0";
    d.LayerAry.push_back(layer);
    for (int i = 0; i < 40; ++i) {
        const double y = i * 10.0 + 0.3 * i;
        TAcadLineBlk line;
        line.st = {5, y, 0};
        line.ed = {295, 400 - y, 0};
        line.PenColor = static_cast<TColor>(0x1020F0 + i * 0x050301);
        line.PenStyle = static_cast<TPenStyle>(i % 5);
        d.LineAry.push_back(line);
        TArcBlk arc;
        arc.center = {20 + i * 7.0, y, 0};
        arc.hankei = 3 + i * 1.7;
        arc.st = i * 17.0;
        arc.ed = i * 17.0 + 200;
        arc.PenColor = 0x00FF00;
        arc.PenStyle = static_cast<TPenStyle>(i % 3);
        d.ArcAry.push_back(arc);
        TCircleBlk circle;
        circle.center = {280 - i * 5.0, y, 0};
        circle.hankei = 0.2 + i * 0.9;
        circle.PenColor = 0xFFFF00;
        d.CircleAry.push_back(circle);
        TTextBlk text;
        text.str = i % 2 ? "居間 No." + std::to_string(i) : "Wg" + std::to_string(i);
        text.pt10 = text.pt11 = {10 + i * 3.0, y, 0};
        text.code40 = 4 + i % 9;
        text.code41 = 1;
        text.code50 = i * 23.0;
        text.PenColor = 0xFFFFFF;
        d.TextAry.push_back(text);
    }
    d.ExtMin = {0, 0, 0};
    d.ExtMax = {300, 400, 0};
    return d;
}

TEST(BandedDraw, RecordsAcrossBandEdgesComeOutAsInOnePass) {
    ASSERT_EQ(TextFaceProblem(), "");
    const Drawing d = SeamDrawing();
    for (const int penWidth : {1, 3, 6}) {
        for (const unsigned workers : {3u, 4u}) {
            // Rows of a width the shares' pixels are not laid over four at a time.
            DrawOptions whole = WholeView(d, 302, 400);
            whole.penWidth = penWidth;
            const std::string name =
                "seams_" + std::to_string(penWidth) + "_" + std::to_string(workers);
            EXPECT_EQ(Differences(Banded(d, whole, workers), OnePass(d, whole), name), 0)
                << "pen " << penWidth << ", " << workers << " workers";
            // Zoomed in, with the visibility tests.
            DrawOptions zoomed = whole;
            zoomed.view.drawW /= 3;
            zoomed.view.drawH /= 3;
            zoomed.view.center = {120, 230, 0};
            zoomed.clipping = Clipping::ToView;
            EXPECT_EQ(Differences(Banded(d, zoomed, workers), OnePass(d, zoomed), name + "_zoomed"),
                      0)
                << "zoomed, pen " << penWidth << ", " << workers << " workers";
        }
    }
}

// Every drawing written by other programs, whole and zoomed in on its centre.
TEST(BandedDraw, SharedSamplesComeOutAsInOnePass) {
    const std::filesystem::path root = test::SharedSamples();
    if (root.empty()) GTEST_SKIP() << "no shared samples";
    int drawings = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".dxf" && extension != ".DXF") continue;
        LoadedDrawing loaded = LoadDrawingFile(entry.path().string());
        if (loaded.outcome == LoadOutcome::Failed) continue;
        const Drawing& d = loaded.drawing;
        ++drawings;
        const std::string name = entry.path().stem().string();
        DrawOptions options = WholeView(d, 640, 480);
        EXPECT_EQ(Differences(Banded(d, options, 2), OnePass(d, options), name), 0) << name;
        options.view.drawW /= 4;
        options.view.drawH /= 4;
        options.clipping = Clipping::ToView;
        EXPECT_EQ(Differences(Banded(d, options, 2), OnePass(d, options), name + "_zoomed"), 0)
            << name << " zoomed in";
    }
    EXPECT_GT(drawings, 100);
}

} // namespace
} // namespace orvanta

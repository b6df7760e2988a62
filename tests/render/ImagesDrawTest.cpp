// Images through the recording canvas: where the picture lands, its clip, and the frame and name
// drawn when the picture cannot be shown.
#include "render/DrawDxf.h"

#include "render/RecordingCanvas.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using Kind = CanvasCall::Kind;

// A 20 x 10 pixel picture of half a unit per pixel with its lower-left corner at (0, 0), in a
// 100 x 100 pixel view of (-50, -50)-(50, 50) at one unit per pixel.
Drawing OneImage(const std::string& path) {
    Drawing d;
    d.LayerAry.push_back({"0", 7});
    TImageDef def;
    def.fileName = "C:\\scans\\plan.tif";
    def.path = path;
    d.ImageDefAry.push_back(def);
    TImageBlk image;
    image.PenColor = 0x00FF00;
    image.u = {0.5, 0, 0};
    image.v = {0, 0.5, 0};
    image.width = 20;
    image.height = 10;
    image.def = 0;
    d.ImageAry.push_back(image);
    return d;
}

RecordingCanvas Draw(const Drawing& d, bool showImages = true) {
    RecordingCanvas canvas;
    canvas.showImages(showImages);
    DrawOptions options;
    options.view = {{0, 0, 0}, 100, 100, {50, 50}, 100, 100, 1};
    DrawDxf(d, options, canvas);
    return canvas;
}

TEST(DrawImages, PictureLandsOnItsCornersUnderItsFrame) {
    Drawing d = OneImage("/scans/plan.tif");
    TAcadLineBlk line;
    line.ed = {5, 5, 0};
    d.LineAry.push_back(line);
    const RecordingCanvas canvas = Draw(d);
    const auto images = canvas.callsOf(Kind::DrawImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(Describe(images[0]), "drawImage(\"/scans/plan.tif\", 50,45 60,45 50,50)");
    // Framed, and under the drawing's lines.
    const std::string log = canvas.log();
    EXPECT_LT(log.find("drawImage"), log.find("lineTo(50, 45)"));
    EXPECT_LT(log.find("lineTo(50, 45)"), log.find("lineTo(55, 45)"));
    EXPECT_TRUE(canvas.callsOf(Kind::TextOut).empty());

    // A drawing that hides frames shows the picture alone.
    d.ImageFrame = false;
    d.LineAry.clear();
    EXPECT_TRUE(Draw(d).callsOf(Kind::LineTo).empty());
}

TEST(DrawImages, ClippedPictureCarriesItsBoundary) {
    Drawing d = OneImage("/scans/plan.tif");
    TImageBlk& image = d.ImageAry[0];
    image.code280 = 1;
    image.code71 = 2;
    image.clip = {{-0.5, -0.5, 0}, {19.5, -0.5, 0}, {9.5, 9.5, 0}};
    const auto images = Draw(d).callsOf(Kind::DrawImage);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(Describe(images[0]),
              "drawImage(\"/scans/plan.tif\", 50,45 60,45 50,50, clip [50,45 60,45 55,50])");
}

TEST(DrawImages, PictureThatCannotShowIsItsFrameAndFileName) {
    // The file was not found, or the canvas could not read it: the same frame and name.
    for (const bool found : {false, true}) {
        Drawing d = OneImage(found ? "/scans/plan.tif" : "");
        d.ImageAry[0].u = {5, 0, 0};
        d.ImageAry[0].v = {0, 5, 0};
        const RecordingCanvas canvas = Draw(d, false);
        EXPECT_EQ(canvas.callsOf(Kind::DrawImage).size(), found ? 1u : 0u);
        const auto texts = canvas.callsOf(Kind::TextOut);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(Describe(texts[0]), "textOut(54, 4, \"plan.tif\")");
        const std::string log = canvas.log();
        EXPECT_NE(log.find("lineTo(150, 0)"), std::string::npos) << log;
        EXPECT_NE(log.find("setTextColor(#00FF00)"), std::string::npos);
    }
}

} // namespace
} // namespace orvanta

// Images placed by the inserts of their blocks, and the part of them the extents take.
#include "geometry/Images.h"
#include "load/LoadDrawing.h"

#include "support/TestFiles.h"

#include <cmath>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

void ExpectNear(const TAcadPoint& p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

TEST(Images, ABlockImageFollowsItsInsert) {
    // A 10 x 4 pixel picture of one unit per pixel at (1, 0) of block B, inserted at (100, 50)
    // twice as large and turned a quarter counter-clockwise, on layer "0" so that it takes the
    // insert's layer.
    // clang-format off
    Drawing d = ReadText(Dxf({
        "0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "B", "10", "0", "20", "0",
        "0", "IMAGE", "8", "0", "10", "1", "20", "0", "11", "1", "21", "0", "12", "0", "22", "1",
        "13", "10", "23", "4", "340", "1",
        "0", "ENDBLK", "0", "ENDSEC",
        "0", "SECTION", "2", "ENTITIES",
        "0", "INSERT", "8", "WALLS", "2", "B", "10", "100", "20", "50", "41", "2", "42", "2",
        "50", "90",
        "0", "ENDSEC", "0", "EOF"}));
    // clang-format on
    NormaliseDrawing(d);
    ASSERT_EQ(d.ImageAry.size(), 1u);
    const TImageBlk& image = d.ImageAry[0];
    ExpectNear(image.pt10, 100, 52);
    ExpectNear(image.u, 0, 2);
    ExpectNear(image.v, -2, 0);
    EXPECT_EQ(std::string_view(image.layer), "WALLS");
    const ImageCorners corners = ImageCornersOf(image);
    ExpectNear(corners.topRight, 92, 72);
    // The extents hold the whole picture.
    ExpectNear(d.ExtMin, 92, 52);
    ExpectNear(d.ExtMax, 100, 72);
}

TEST(Images, AClippedImageShowsAndMeasuresItsBoundary) {
    TImageBlk image;
    image.u = {1, 0, 0};
    image.v = {0, 1, 0};
    image.width = 10;
    image.height = 4;
    // Rectangle corners in pixel coordinates, y down from the top: pixels 2 to 5 of the second
    // and third rows.
    image.code71 = 1;
    image.clip = {{1.5, 0.5, 0}, {5.5, 2.5, 0}};
    EXPECT_EQ(ImageOutline(image).size(), 4u) << "clipping off: the whole picture";
    ExpectNear(ImageOutline(image)[0], 0, 4);
    image.code280 = 1;
    const std::vector<TAcadPoint> outline = ImageOutline(image);
    ASSERT_EQ(outline.size(), 4u);
    ExpectNear(outline[0], 2, 3);
    ExpectNear(outline[2], 6, 1);
    // A polygon, its first vertex repeated at the end.
    image.code71 = 2;
    image.clip = {{-0.5, -0.5, 0}, {9.5, -0.5, 0}, {4.5, 3.5, 0}, {-0.5, -0.5, 0}};
    ASSERT_EQ(ImageOutline(image).size(), 3u);
    ExpectNear(ImageOutline(image)[2], 5, 0);

    Drawing d;
    d.ImageAry.push_back(image);
    NormaliseDrawing(d);
    ExpectNear(d.ExtMin, 0, 0);
    ExpectNear(d.ExtMax, 10, 4);
}

TEST(Images, CaptionIsTheFileNameWithoutItsFolders) {
    EXPECT_EQ(ImageFileCaption("C:\\plans\\scan.tif"), "scan.tif");
    EXPECT_EQ(ImageFileCaption("../pics/logo.png"), "logo.png");
    EXPECT_EQ(ImageFileCaption("plain.jpg"), "plain.jpg");
}

} // namespace
} // namespace orvanta

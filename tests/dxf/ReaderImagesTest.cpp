// IMAGE entities and the IMAGEDEF objects that name their files.
#include "dxf/DxfReader.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;
using test::ReadText;

TEST(ReaderImages, ImageFindsItsDefinitionByHandle) {
    // clang-format off
    const Drawing d = ReadText(Dxf({
        "0", "SECTION", "2", "ENTITIES",
        "0", "IMAGE", "5", "2A", "8", "SCAN", "10", "1", "20", "2", "30", "0",
        "11", "0.5", "21", "0", "31", "0", "12", "0", "22", "0.25", "32", "0",
        "13", "640", "23", "480", "340", "3f", "70", "15", "280", "1", "281", "60", "282", "40",
        "283", "20", "71", "2", "91", "3", "14", "-0.5", "24", "-0.5", "14", "639.5", "24", "-0.5",
        "14", "320", "24", "479.5",
        "0", "IMAGE", "8", "0", "340", "77",
        "0", "ENDSEC",
        "0", "SECTION", "2", "OBJECTS",
        "0", "RASTERVARIABLES", "5", "40", "90", "0", "70", "0", "71", "1",
        "0", "IMAGEDEF", "5", "3F", "1", "C:\\plans\\scan.tif", "10", "640", "20", "480",
        "0", "ENDSEC", "0", "EOF"}));
    // clang-format on
    ASSERT_EQ(d.ImageAry.size(), 2u);
    const TImageBlk& image = d.ImageAry[0];
    EXPECT_EQ(std::string_view(image.layer), "SCAN");
    EXPECT_EQ(image.pt10.y, 2);
    EXPECT_EQ(image.u.x, 0.5);
    EXPECT_EQ(image.v.y, 0.25);
    EXPECT_EQ(image.width, 640);
    EXPECT_EQ(image.height, 480);
    EXPECT_EQ(image.code70, 15);
    EXPECT_EQ(image.code280, 1);
    EXPECT_EQ(image.code281, 60);
    EXPECT_EQ(image.code282, 40);
    EXPECT_EQ(image.code283, 20);
    EXPECT_EQ(image.code71, 2);
    ASSERT_EQ(image.clip.size(), 3u);
    EXPECT_EQ(image.clip[2].x, 320);
    EXPECT_EQ(image.clip[2].y, 479.5);
    // Handles match whatever the case of their hexadecimal digits.
    ASSERT_GE(image.def, 0);
    const TImageDef& def = d.ImageDefAry[static_cast<std::size_t>(image.def)];
    EXPECT_EQ(def.fileName, "C:\\plans\\scan.tif");
    EXPECT_EQ(def.width, 640);
    // A handle that names no definition gets one without a file, so that it counts as missing.
    const int other = d.ImageAry[1].def;
    ASSERT_GE(other, 0);
    EXPECT_NE(other, image.def);
    EXPECT_TRUE(d.ImageDefAry[static_cast<std::size_t>(other)].fileName.empty());
    // RASTERVARIABLES code 70 0: no frames around the pictures.
    EXPECT_FALSE(d.ImageFrame);
}

TEST(ReaderImages, ImagesOfABlockStandInItsTable) {
    // clang-format off
    const Drawing d = ReadText(Dxf({
        "0", "SECTION", "2", "BLOCKS",
        "0", "BLOCK", "2", "LOGO", "10", "0", "20", "0",
        "0", "IMAGE", "8", "0", "11", "1", "22", "1", "13", "10", "23", "10", "340", "9",
        "0", "ENDBLK", "0", "ENDSEC",
        "0", "SECTION", "2", "OBJECTS", "0", "IMAGEDEF", "5", "9", "1", "logo.png",
        "0", "ENDSEC", "0", "EOF"}));
    // clang-format on
    ASSERT_EQ(d.BlkImageAry.size(), 1u);
    EXPECT_TRUE(d.ImageAry.empty());
    EXPECT_EQ(std::string_view(d.BlkImageAry[0].bname), "LOGO");
    EXPECT_EQ(d.ImageDefAry[static_cast<std::size_t>(d.BlkImageAry[0].def)].fileName, "logo.png");
    EXPECT_TRUE(d.ImageFrame);
}

} // namespace
} // namespace orvanta

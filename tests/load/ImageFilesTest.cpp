// The load finds the files of a drawing's images and counts those it cannot find.
#include "load/LoadDrawing.h"

#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(ImageFiles, FoundBesideTheDrawingAndMissingCountedOncePerFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "Pics");
    dir.write("Pics/Plan.PNG", "not decoded by the load");
    // Three images: two of one missing file (through two definitions), one of a file stored
    // with backslashes and in another letter case.
    // clang-format off
    const std::string path = dir.write("site.dxf", test::Dxf({
        "0", "SECTION", "2", "ENTITIES",
        "0", "IMAGE", "8", "0", "11", "1", "22", "1", "13", "4", "23", "4", "340", "A",
        "0", "IMAGE", "8", "0", "11", "1", "22", "1", "13", "4", "23", "4", "340", "B",
        "0", "IMAGE", "8", "0", "11", "1", "22", "1", "13", "4", "23", "4", "340", "C",
        "0", "ENDSEC",
        "0", "SECTION", "2", "OBJECTS",
        "0", "IMAGEDEF", "5", "A", "1", "pics\\plan.png",
        "0", "IMAGEDEF", "5", "B", "1", "D:\\gone\\aerial.jpg",
        "0", "IMAGEDEF", "5", "C", "1", "D:\\gone\\aerial.jpg",
        "0", "ENDSEC", "0", "EOF"}));
    // clang-format on
    const LoadedDrawing loaded = LoadDrawingFile(path);
    ASSERT_EQ(loaded.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.images, 3u);
    const Drawing& d = loaded.drawing;
    EXPECT_EQ(d.MissingImages, 1u);
    ASSERT_EQ(d.ImageAry.size(), 3u);
    const TImageDef& found = d.ImageDefAry[static_cast<std::size_t>(d.ImageAry[0].def)];
    EXPECT_EQ(found.path, (dir.path() / "Pics" / "Plan.PNG").string());
    EXPECT_TRUE(d.ImageDefAry[static_cast<std::size_t>(d.ImageAry[1].def)].path.empty());
}

} // namespace
} // namespace orvanta

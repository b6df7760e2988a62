// Finding the files a drawing names, as another machine wrote their paths.
#include "load/ExternalFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace orvanta {
namespace {

TEST(FindExternalFile, BesideTheDrawingInAnyCaseThenAsStored) {
    test::TempDir dir;
    std::filesystem::create_directories(dir.path() / "plans" / "Img");
    std::filesystem::create_directories(dir.path() / "other");
    const std::string drawing = dir.write("plans/site.dxf", "");
    const std::string photo = dir.write("plans/Img/Photo.PNG", "x");
    const std::string logo = dir.write("plans/logo.png", "x");
    const std::string elsewhere = dir.write("other/part.dxf", "x");

    EXPECT_EQ(FindExternalFile(drawing, "img\\photo.png"), photo);
    EXPECT_EQ(FindExternalFile(drawing, "./Img/Photo.PNG"), photo);
    // An absolute path of the author's machine: the name alone beside the drawing.
    EXPECT_EQ(FindExternalFile(drawing, "C:\\Users\\me\\LOGO.png"), logo);
    EXPECT_EQ(FindExternalFile(drawing, elsewhere), elsewhere);
    EXPECT_EQ(FindExternalFile(drawing, "..\\other\\part.dxf"), elsewhere);
    EXPECT_EQ(FindExternalFile(drawing, "missing.png"), std::nullopt);
    EXPECT_EQ(FindExternalFile(drawing, "Img"), std::nullopt) << "a folder is no file";
}

} // namespace
} // namespace orvanta

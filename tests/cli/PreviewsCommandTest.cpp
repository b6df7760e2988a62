// orvanta-cli previews as a script sees it: the pictures it writes, and how a drawing that
// cannot be read is reported.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliRun;
using test::Dxf;

const std::string Line =
    Dxf({"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8", "0",      "10", "0",
         "20", "0",       "11", "100",      "21", "50",   "0", "ENDSEC", "0",  "EOF"});
const std::string Malformed = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "x10", "1"});

TEST(PreviewsCommand, WritesEveryPictureAndFailsNamingTheBrokenDrawing) {
    test::TempDir drawings;
    drawings.write("a.dxf", Line);
    drawings.write("b.dxf", Line);
    drawings.write("broken.dxf", Malformed);
    test::TempDir out;
    const CliRun run = Cli("previews " + drawings.path().string() + " -o " + out.path().string() +
                           " --size 100x80 --jobs 2");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("3 pictures in "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(", 1 failed"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find((drawings.path() / "broken.dxf").string()), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("a.dxf"), std::string::npos) << run.err;
    // The broken drawing still gets its (blank) cell picture, as the grid shows it.
    for (const char* name : {"a.dxf.png", "b.dxf.png", "broken.dxf.png"}) {
        const QImage picture(QString::fromStdString((out.path() / name).string()));
        EXPECT_EQ(picture.size(), QSize(100, 80 - 24)) << name;
    }
    const QImage drawn(QString::fromStdString((out.path() / "a.dxf.png").string()));
    const QImage blank(QString::fromStdString((out.path() / "broken.dxf.png").string()));
    EXPECT_NE(drawn, blank);
}

} // namespace
} // namespace orvanta

// orvanta-cli render as a script sees it: the pictures it writes, its errors and its exit status.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using test::Dxf;

using test::Cli;
using test::CliRun;

std::string Head(const fs::path& file, std::size_t n) {
    std::ifstream in(file, std::ios::binary);
    std::string head(n, '\0');
    in.read(head.data(), static_cast<std::streamsize>(n));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

// A red horizontal line from (0, 0) to (100, 0) and a yellow one from (0, 50) to (100, 50).
const std::string TwoLines = Dxf(
    {"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8",  "0",    "62", "1",      "10", "0",
     "20", "0",       "11", "100",      "21", "0",    "0",  "LINE", "8",  "0",      "62", "2",
     "10", "0",       "20", "50",       "11", "100",  "21", "50",   "0",  "ENDSEC", "0",  "EOF"});

const std::string Malformed = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "x10", "1"});

TEST(RenderCommand, WritesPngSvgAndPdf) {
    test::TempDir dir;
    const std::string drawing = dir.write("two lines.dxf", TwoLines);
    for (const char* name : {"a.png", "a.svg", "a.pdf"}) {
        const fs::path out = dir.path() / name;
        const CliRun run = Cli("render '" + drawing + "' -o " + out.string() + " --size 320x200");
        EXPECT_EQ(run.status, 0) << name << ": " << run.err;
        EXPECT_EQ(run.err, "") << name;
        ASSERT_TRUE(fs::exists(out)) << name;
        EXPECT_GT(fs::file_size(out), 100u) << name;
    }
    EXPECT_EQ(Head(dir.path() / "a.png", 8), "\x89PNG\r\n\x1a\n");
    EXPECT_NE(Head(dir.path() / "a.svg", 4096).find("<svg"), std::string::npos);
    EXPECT_EQ(Head(dir.path() / "a.pdf", 5), "%PDF-");
    const QImage image(QString::fromStdString((dir.path() / "a.png").string()));
    EXPECT_EQ(image.size(), QSize(320, 200));
}

TEST(RenderCommand, FitsTheDrawingWithTheBackgroundAndColourModeAsked) {
    test::TempDir dir;
    const std::string drawing = dir.write("lines.dxf", TwoLines);
    const std::string out = (dir.path() / "lines.png").string();
    // 100 x 50 units into 200 x 100 pixels at zoom 0.98: the lines are 98 pixels apart, centred.
    CliRun run = Cli("render " + drawing + " -o " + out + " --size 200x100 --background FFFFFF");
    ASSERT_EQ(run.status, 0) << run.err;
    QImage image(QString::fromStdString(out));
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(image.pixel(100, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(100, 1), qRgb(255, 255, 0));
    EXPECT_EQ(image.pixel(100, 50), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(100, 99), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(1, 99), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(2, 99), qRgb(255, 0, 0));

    run = Cli("render " + drawing + " -o " + out +
              " --size 200x100 --color-mode 1 --background 000080 --pen-width 3");
    ASSERT_EQ(run.status, 0) << run.err;
    image.load(QString::fromStdString(out));
    EXPECT_EQ(image.pixel(100, 50), qRgb(0, 0, 128));
    // Monochrome draws in the background's complement, three pixels wide.
    EXPECT_EQ(image.pixel(100, 99), qRgb(255, 255, 127));
    EXPECT_EQ(image.pixel(100, 98), qRgb(255, 255, 127));
}

TEST(RenderCommand, AFileThatCannotBeReadGivesOneLineAndStatusOne) {
    test::TempDir dir;
    const std::string bad = dir.write("bad.dxf", Malformed);
    const std::string out = (dir.path() / "bad.png").string();
    CliRun run = Cli("render " + bad + " -o " + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, bad + ":7: expected a group code (an integer), found \"x10\"\n");
    EXPECT_FALSE(fs::exists(out));

    const std::string dwg = dir.write("plan.dxf", std::string("AC1027\0\0\0\0", 10));
    run = Cli("render " + dwg + " -o " + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, dwg + ": a DWG file (AC1027); only text DXF files are drawn without the "
                             "converter\n");

    run = Cli("render " + (dir.path() / "none.dxf").string() + " -o " + out);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, (dir.path() / "none.dxf").string() + ": no such file\n");
}

TEST(RenderCommand, EachDrawsEveryDxfOfTheFolderPastABadOne) {
    test::TempDir dir;
    const fs::path in = dir.path() / "in";
    fs::create_directories(in);
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(in / name, std::ios::binary) << text;
    };
    write("A.DXF", TwoLines);
    write("b.dxf", Malformed);
    write("c.Dxf", TwoLines);
    write("notes.txt", "not a drawing");
    const fs::path out = dir.path() / "out" / "pictures";
    const CliRun run =
        Cli("render --each " + in.string() + " -o " + out.string() + " --size 64x48");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, (in / "b.dxf").string() + ":7: expected a group code (an integer), found "
                                                 "\"x10\"\n");
    EXPECT_EQ(run.out, (out / "A.png").string() + "\n" + (out / "c.png").string() + "\n");
    EXPECT_TRUE(fs::exists(out / "A.png"));
    EXPECT_TRUE(fs::exists(out / "c.png"));
    EXPECT_FALSE(fs::exists(out / "b.png"));
    EXPECT_FALSE(fs::exists(out / "notes.png"));
    EXPECT_EQ(QImage(QString::fromStdString((out / "c.png").string())).size(), QSize(64, 48));
}

TEST(RenderCommand, AMissingTextFaceIsSaidOnceAndTheRestIsDrawn) {
    test::TempDir dir;
    const fs::path in = dir.path() / "in";
    fs::create_directories(in);
    std::ofstream(in / "a.dxf", std::ios::binary) << TwoLines;
    std::ofstream(in / "b.dxf", std::ios::binary) << TwoLines;
    // A font configuration without any font folder: no face is found.
    const std::string config =
        dir.write("fonts.conf", "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" +
                                    (dir.path() / "cache").string() + "</cachedir></fontconfig>\n");
    const fs::path out = dir.path() / "out";
    const CliRun run = Cli("env FONTCONFIG_FILE=" + config + " " + std::string(ORVANTA_CLI) +
                               " render --each " + in.string() + " -o " + out.string(),
                           false);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("IPAGothic"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("IPAGothic"), run.err.rfind("IPAGothic")) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(fs::exists(out / "a.png"));
    EXPECT_TRUE(fs::exists(out / "b.png"));
}

TEST(RenderCommand, RejectsBadOptions) {
    test::TempDir dir;
    const std::string drawing = dir.write("a.dxf", TwoLines);
    const std::string png = (dir.path() / "a.png").string();
    for (const std::string& args : {"render " + drawing + " -o " + (dir.path() / "a.gif").string(),
                                    "render " + drawing + " -o " + png + " --size 100",
                                    "render " + drawing + " -o " + png + " --size 0x10",
                                    "render " + drawing + " -o " + png + " --color-mode 3",
                                    "render " + drawing + " -o " + png + " --background red",
                                    "render " + drawing + " -o " + png + " --pen-width 0",
                                    "render " + drawing + " -o " + png + " --bogus",
                                    "render " + drawing, std::string("render")}) {
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("usage: orvanta-cli render"), std::string::npos) << args;
    }
    EXPECT_FALSE(fs::exists(png));
}

} // namespace
} // namespace orvanta

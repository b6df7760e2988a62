// orvanta-cli thumbnail as a file manager runs it: the picture it writes, and on any failure a
// non-zero status with nothing left behind.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::Dxf;

// A red rectangle 200 wide and 100 high, with a yellow diagonal.
const std::string Rectangle =
    Dxf({"0",  "SECTION", "2",  "ENTITIES", "0", "LINE",   "62", "1",  "10", "0",   "20", "0",
         "11", "200",     "21", "0",        "0", "LINE",   "62", "1",  "10", "200", "20", "0",
         "11", "200",     "21", "100",      "0", "LINE",   "62", "1",  "10", "200", "20", "100",
         "11", "0",       "21", "100",      "0", "LINE",   "62", "1",  "10", "0",   "20", "100",
         "11", "0",       "21", "0",        "0", "LINE",   "62", "2",  "10", "0",   "20", "0",
         "11", "200",     "21", "100",      "0", "ENDSEC", "0",  "EOF"});

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::size_t FilesIn(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ThumbnailCommand, DrawsDarkLinesOnWhiteInTheDrawingsProportions) {
    test::TempDir dir;
    const std::string input = dir.write("plan.dxf", Rectangle);
    const fs::path output = dir.path() / "thumb.png";
    // As the thumbnailer entry's Exec line expands.
    const test::CliRun run = Cli("thumbnail -s 128 " + Quoted(input) + " " + Quoted(output));
    ASSERT_EQ(run.status, 0) << run.err;
    QImage image(QString::fromStdString(output.string()));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(128, 64));
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            ASSERT_EQ(c.red(), c.green()) << "no colour at " << x << "," << y;
            ASSERT_EQ(c.green(), c.blue());
            if (c.red() < 128) ++dark;
        }
    }
    EXPECT_EQ(image.pixelColor(64, 10), QColor(Qt::white)) << "the background";
    EXPECT_GT(dark, 128 + 64) << "the outline and the diagonal";

    // The default size, a tall drawing and an output name without an extension.
    const std::string tall =
        dir.write("tall.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "0", "20",
                                   "0", "11", "10", "21", "40", "0", "ENDSEC", "0", "EOF"}));
    const fs::path plain = dir.path() / "thumb";
    ASSERT_EQ(Cli("thumbnail " + Quoted(tall) + " " + Quoted(plain)).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(plain.string()), "PNG").size(), QSize(64, 256));
    // A drawing without height still gets a picture that reads as one.
    const std::string flat =
        dir.write("flat.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "0", "20",
                                   "5", "11", "300", "21", "5", "0", "ENDSEC", "0", "EOF"}));
    const fs::path flatOut = dir.path() / "flat.png";
    ASSERT_EQ(Cli("thumbnail -s 64 " + Quoted(flat) + " " + Quoted(flatOut)).status, 0);
    EXPECT_EQ(QImage(QString::fromStdString(flatOut.string())).size(), QSize(64, 8));
    EXPECT_EQ(FilesIn(dir.path()), 6u) << "nothing but the outputs is written";
}

TEST(ThumbnailCommand, DrawsTheChosenSheet) {
    test::TempDir dir;
    // A wide model and a tall sheet (paper space without layout objects: "Layout1").
    const std::string input =
        dir.write("sheet.dxf", Dxf({"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "10", "0",
                                    "20", "0",       "11", "200",      "21", "100",  "0",  "LINE",
                                    "67", "1",       "10", "0",        "20", "0",    "11", "10",
                                    "21", "40",      "0",  "ENDSEC",   "0",  "EOF"}));
    const auto size = [&](const std::string& layout) {
        const fs::path out = dir.path() / (layout + ".png");
        const test::CliRun run =
            Cli("thumbnail --layout " + layout + " " + Quoted(input) + " " + Quoted(out));
        return run.status == 0 ? QImage(QString::fromStdString(out.string())).size() : QSize();
    };
    EXPECT_EQ(size("model"), QSize(256, 128));
    EXPECT_EQ(size("Layout1").height(), 256);
    EXPECT_LT(size("Layout1").width(), 128);
    EXPECT_EQ(size("Nowhere"), QSize()) << "a layout the drawing lacks is refused";
}

TEST(ThumbnailCommand, LeavesNothingButItsOutputInTheTemporaryFolder) {
    // A file manager gives the thumbnailer a temporary folder of its own, often without
    // XDG_RUNTIME_DIR, and removes the folder afterwards.
    test::TempDir dir;
    const std::string input = dir.write("plan.dxf", Rectangle);
    const fs::path temporary = dir.path() / "tmp";
    fs::create_directory(temporary);
    const fs::path output = temporary / "thumb.png";
    const test::CliRun run =
        Cli("env -u XDG_RUNTIME_DIR TMPDIR=" + Quoted(temporary) +
                " '" ORVANTA_CLI "' thumbnail -s 64 " + Quoted(input) + " " + Quoted(output),
            false);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FilesIn(temporary), 1u);
    EXPECT_TRUE(fs::exists(output));
}

TEST(ThumbnailCommand, FailuresExitNonZeroAndLeaveNoFile) {
    test::TempDir dir;
    const fs::path in = dir.path() / "in";
    const fs::path out = dir.path() / "out";
    fs::create_directories(in);
    fs::create_directories(out);
    const auto write = [&](const std::string& name, const std::string& bytes) {
        const fs::path path = in / name;
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    };
    const fs::path fifo = in / "pipe.dxf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        fs::path input;
        const char* reason;
    } cases[] = {
        {write("malformed.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "x10", "1"})),
         "expected a group code"},
        {write("cut.dxf", Rectangle.substr(0, Rectangle.size() - 12)), "cut off"},
        {write("empty.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "ENDSEC", "0", "EOF"})),
         "nothing in it is drawn"},
        {write("plan.dwg", std::string("AC1032\0\0\0\0\0\0", 12)), "no thumbnail"},
        {fifo, "not a regular file"},
        {in / "missing.dxf", "no such file"},
    };
    for (const auto& c : cases) {
        const test::CliRun run =
            Cli("thumbnail " + Quoted(c.input) + " " + Quoted(out / "thumb.png"));
        EXPECT_EQ(run.status, 1) << c.input;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
    // A folder that cannot be written to.
    const std::string good = write("good.dxf", Rectangle).string();
    EXPECT_EQ(Cli("thumbnail " + Quoted(good) + " " + Quoted(in / "none" / "t.png")).status, 1);
    EXPECT_EQ(FilesIn(out), 0u);
    EXPECT_EQ(Cli("thumbnail -s 0 " + Quoted(good) + " " + Quoted(out / "t.png")).status, 2);
}

TEST(ThumbnailCommand, HostileDrawingIsStoppedByItsLimits) {
    // Blocks five deep, each inserting the one below 18 times: about two million lines, beyond
    // a quarter of a gigabyte and a second.
    std::vector<const char*> pairs = {"0",  "SECTION", "2",    "BLOCKS", "0", "BLOCK", "2",
                                      "B0", "0",       "LINE", "10",     "0", "20",    "0",
                                      "11", "1",       "21",   "1",      "0", "ENDBLK"};
    const char* const names[] = {"B0", "B1", "B2", "B3", "B4", "B5"};
    for (int level = 1; level <= 5; ++level) {
        pairs.insert(pairs.end(), {"0", "BLOCK", "2", names[level]});
        for (int k = 0; k < 18; ++k)
            pairs.insert(pairs.end(), {"0", "INSERT", "2", names[level - 1], "10", "1"});
        pairs.insert(pairs.end(), {"0", "ENDBLK"});
    }
    pairs.insert(pairs.end(), {"0", "ENDSEC", "0", "SECTION", "2", "ENTITIES", "0", "INSERT", "2",
                               "B5", "0", "ENDSEC", "0", "EOF"});
    std::string text;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
        text += std::string(pairs[i]) + "\n" + pairs[i + 1] + "\n";
    test::TempDir dir;
    const std::string input = dir.write("bomb.dxf", text);
    const test::CliRun run = Cli("thumbnail --time-limit 1 --memory-limit 256 " + Quoted(input) +
                                 " " + Quoted(dir.path() / "t.png"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no thumbnail"), std::string::npos) << run.err;
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(ThumbnailCommand, EveryBundledSampleGetsAPicture) {
    // The shared drawings of other programs are swept by tools/check-desktop.sh.
    test::TempDir dir;
    for (const auto& entry : fs::directory_iterator(test::SourcePath("samples"))) {
        if (entry.path().extension() != ".dxf") continue;
        const fs::path out = dir.path() / (entry.path().stem().string() + ".png");
        const test::CliRun run = Cli("thumbnail " + Quoted(entry.path()) + " " + Quoted(out));
        ASSERT_EQ(run.status, 0) << entry.path() << ": " << run.err;
        const QImage image(QString::fromStdString(out.string()));
        EXPECT_EQ(std::max(image.width(), image.height()), 256) << entry.path();
    }
}

TEST(ThumbnailCommand, DwgShowsItsStoredPreview) {
    const fs::path dwg = test::SharedSamples() / "DomCR+ACadSharp/samples/sample_AC1032.dwg";
    if (!fs::exists(dwg)) GTEST_SKIP() << "the shared samples are absent";
    test::TempDir dir;
    // Under a DXF name too: the content decides.
    const fs::path misnamed = dir.path() / "drawing.dxf";
    fs::copy_file(dwg, misnamed);
    for (const fs::path& input : {dwg, misnamed}) {
        const fs::path out = dir.path() / (input.stem().string() + ".png");
        const test::CliRun run = Cli("thumbnail -s 128 " + Quoted(input) + " " + Quoted(out));
        ASSERT_EQ(run.status, 0) << run.err;
        const QImage image(QString::fromStdString(out.string()));
        EXPECT_EQ(image.width(), 128) << "a larger preview is made smaller to fit";
        EXPECT_LT(image.height(), 128);
    }
}

} // namespace
} // namespace orvanta

// orvanta-cli print as a script sees it: the pages of a folder's list print, the cells it
// leaves empty, one drawing on a page, and what it refuses.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace orvanta {
namespace {

namespace fs = std::filesystem;
using test::Cli;
using test::CliRun;
using test::Dxf;

// The page objects of a PDF ("/Type /Page", not the "/Type /Pages" of their tree).
int PdfPages(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const std::regex page("/Type\\s*/Page(?![s])");
    return static_cast<int>(
        std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), {}));
}

TEST(PrintCommand, PrintsAFolderAndOneDrawingToPdfAndRefusesBadOptions) {
    test::TempDir dir;
    const std::string line =
        Dxf({"0",  "SECTION", "2",  "ENTITIES", "0",  "LINE", "8", "0",      "10", "0",
             "20", "0",       "11", "10",       "21", "10",   "0", "ENDSEC", "0",  "EOF"});
    fs::create_directory(dir.path() / "f");
    for (const char* name : {"a.dxf", "b.dxf", "c.dxf"})
        std::ofstream(dir.path() / "f" / name) << line;
    std::ofstream(dir.path() / "f" / "broken.dxf") << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nx\n";
    const fs::path list = dir.path() / "list.pdf";
    CliRun run = Cli("print " + (dir.path() / "f").string() + " -o " + list.string() +
                     " --columns 1 --landscape --paper A3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("3 drawings on 4 pages, 1 printed empty"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("broken.dxf: printed empty"), std::string::npos) << run.err;
    EXPECT_EQ(PdfPages(list), 4);
    EXPECT_FALSE(fs::exists(list.string() + ".part"));

    const fs::path one = dir.path() / "one.pdf";
    run = Cli("print " + (dir.path() / "f" / "a.dxf").string() + " -o " + one.string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(PdfPages(one), 1);

    // A drawing that cannot be read leaves neither an output nor a part of one.
    const fs::path none = dir.path() / "none.pdf";
    run = Cli("print " + (dir.path() / "f" / "broken.dxf").string() + " -o " + none.string());
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(none));
    EXPECT_FALSE(fs::exists(none.string() + ".part"));
    // A layout the drawing does not have is refused, and nothing is left behind.
    run = Cli("print " + (dir.path() / "f" / "a.dxf").string() + " -o " + none.string() +
              " --layout Sheet");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no layout \"Sheet\""), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(none));
    EXPECT_EQ(Cli("print " + dir.path().string() + " -o x.pdf --paper Z9").status, 2);
    EXPECT_EQ(Cli("print " + dir.path().string() + " -o x.pdf --columns 17").status, 2);
    EXPECT_EQ(Cli("print " + dir.path().string() + " -o x.pdf --scale 1:0").status, 2);
    run = Cli("print " + dir.path().string() + " -o x.pdf --style " +
              (dir.path() / "f" / "a.dxf").string());
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("a.dxf"), std::string::npos) << run.err;

    // A PDF for each drawing at a scale, in a folder made for them.
    const fs::path each = dir.path() / "each";
    run = Cli("print " + (dir.path() / "f").string() + " -o " + each.string() +
              " --each --scale 1:100 --sheets --paper A3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("broken.dxf: not printed"), std::string::npos) << run.err;
    for (const char* name : {"a.pdf", "b.pdf", "c.pdf"})
        EXPECT_EQ(PdfPages(each / name), 1) << name;
    EXPECT_FALSE(fs::exists(each / "broken.pdf"));
}

} // namespace
} // namespace orvanta

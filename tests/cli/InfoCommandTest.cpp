// orvanta-cli info as a script sees it: its output lines, its errors and its exit status.
#include "support/CliRun.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace orvanta {
namespace {

using test::Dxf;

using test::Cli;
using test::CliRun;

const std::string Drawing2013 =
    Dxf({"0", "SECTION", "2", "HEADER",   "9", "$ACADVER", "1", "AC1027", "0", "ENDSEC",
         "0", "SECTION", "2", "ENTITIES", "0", "LINE",     "0", "LINE",   "0", "TEXT",
         "8", "0",       "1", "寸法",     "0", "ENDSEC",   "0", "EOF"});

TEST(InfoCommand, PrintsCaptionsAndCounts) {
    test::TempDir dir;
    const CliRun run = Cli("info " + dir.write("a.dxf", Drawing2013));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Version : AC1027 (2013), UTF-8 ($ACADVER AC1027)\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\nLayer : 1\nLine : 2\nPolyline : 0\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nText : 1\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nView : 0\nRead : "), std::string::npos);
    EXPECT_NE(run.out.find("\nDrawable : Line 2, Circle 0, Arc 0, Text 1\nNormalise : "),
              std::string::npos)
        << run.out;
}

TEST(InfoCommand, JsonGivesOneObjectPerFile) {
    test::TempDir dir;
    const std::string a = dir.write("a.dxf", Drawing2013);
    const std::string b = dir.write(
        "b \"q\".dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "CIRCLE", "0", "ENDSEC"}));
    const CliRun run = Cli("info --json '" + a + "' '" + b + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    const auto newline = run.out.find('\n');
    ASSERT_NE(newline, std::string::npos);
    const std::string first = run.out.substr(0, newline);
    const std::string second = run.out.substr(newline + 1);
    EXPECT_EQ(first.rfind("{\"file\":\"" + a +
                              "\",\"acadver\":\"AC1027\",\"version_name\":"
                              "\"2013\",\"encoding\":\"UTF-8\",\"encoding_name\":\"UTF-8\","
                              "\"encoding_reason\":\"UTF-8 ($ACADVER AC1027)\",\"counts\":{"
                              "\"Layer\":1,\"Line\":2,",
                          0),
              0u)
        << first;
    EXPECT_NE(first.find("\"View\":0},\"read_seconds\":"), std::string::npos);
    EXPECT_NE(first.find(",\"other\":{\"Hatch\":0,\"Solid\":0,\"Spline\":0,\"Point\":0,"
                         "\"Ray\":0,\"MLeader\":0,\"Skipped\":0},\"layouts\":[]}"),
              std::string::npos)
        << first;
    EXPECT_NE(first.find(",\"extents\":{\"min\":[0,0],\"max\":[0,0]},\"drawable\":{"
                         "\"Line\":2,\"Circle\":0,\"Arc\":0,\"Text\":1},"
                         "\"normalise_seconds\":"),
              std::string::npos)
        << first;
    EXPECT_NE(second.find("b \\\"q\\\".dxf\",\"acadver\":\"\",\"version_name\":\"----\","
                          "\"encoding\":\"CP932\""),
              std::string::npos)
        << second;
    EXPECT_NE(second.find("\"Circle\":1"), std::string::npos);
}

TEST(InfoCommand, CountsImagesAndTheFilesNotFound) {
    test::TempDir dir;
    // clang-format off
    const std::string path = dir.write("i.dxf", Dxf({
        "0", "SECTION", "2", "ENTITIES",
        "0", "IMAGE", "8", "0", "11", "1", "22", "1", "13", "2", "23", "2", "340", "A",
        "0", "IMAGE", "8", "0", "11", "1", "22", "1", "13", "2", "23", "2", "340", "A",
        "0", "ENDSEC", "0", "SECTION", "2", "OBJECTS",
        "0", "IMAGEDEF", "5", "A", "1", "C:\\gone.png", "0", "ENDSEC", "0", "EOF"}));
    // clang-format on
    const CliRun run = Cli("info --json " + path);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(",\"images\":{\"count\":2,\"missing\":1},"), std::string::npos)
        << run.out;
}

TEST(InfoCommand, MissingExternalReferencesAreListedWithTheirReason) {
    test::TempDir dir;
    const std::string file = dir.write(
        "plan.dxf", Dxf({"0", "SECTION", "2", "BLOCKS", "0", "BLOCK", "2", "GONE", "70", "4", "1",
                         "parts\\gone.dxf", "0", "ENDBLK", "0", "ENDSEC", "0", "EOF"}));
    const CliRun json = Cli("info --json " + file);
    EXPECT_NE(json.out.find(",\"missing_references\":[{\"name\":\"GONE\",\"path\":"
                            "\"parts\\\\gone.dxf\",\"reason\":\"not_found\"}],\"other\":"),
              std::string::npos)
        << json.out;
    EXPECT_NE(Cli("info " + file)
                  .out.find("\nMissing references : GONE (not_found: "
                            "parts\\gone.dxf),\n"),
              std::string::npos);
}

TEST(InfoCommand, AFileThatFailsNamesItsLineAndTheOthersStillPrint) {
    test::TempDir dir;
    const std::string bad =
        dir.write("bad.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "x10", "1"}));
    const std::string good = dir.write("good.dxf", Drawing2013);
    const CliRun run = Cli("info --json " + bad + " " + good + " " + dir.path().string() + "/none");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, bad + ":7: expected a group code (an integer), found \"x10\"\n" +
                           dir.path().string() + "/none: no such file\n");
    EXPECT_NE(run.out.find("good.dxf"), std::string::npos);
    EXPECT_EQ(run.out.find("bad.dxf"), std::string::npos);
}

TEST(InfoCommand, AJapaneseLocaleGetsTheFailureInJapanese) {
    test::TempDir dir;
    const std::string bad = dir.write("bad.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "x10"}));
    const std::string dwg = dir.write("plan.dwg", "AC1027" + std::string(200, '\0'));
    const CliRun run = Cli(std::string("env LC_ALL= LC_MESSAGES=ja_JP.UTF-8 ") + ORVANTA_CLI +
                               " info " + bad + " " + dwg,
                           false);
    EXPECT_EQ(run.err,
              bad + "（5 行目）: グループコード（整数）の行に \"x10\" があります\n" + dwg +
                  ": DWG ファイル (AC1027) です。変換プログラムなしで扱えるのはテキスト DXF "
                  "ファイルだけです\n");
}

TEST(InfoCommand, ReadsTheTextsInTheEncodingGiven) {
    test::TempDir dir;
    const std::string file =
        dir.write("g.dxf", Dxf({"0", "SECTION", "2", "ENTITIES", "0", "TEXT", "8", "0", "1",
                                "\xD6\xD0\xCE\xC4", "0", "ENDSEC", "0", "EOF"}));
    const CliRun run = Cli("info --json --encoding GBK " + file);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"encoding\":\"GBK\",\"encoding_name\":\"GBK\","
                           "\"encoding_reason\":\"chosen: GBK\""),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Cli("info --encoding NO-SUCH-PAGE " + file).status, 2);
}

} // namespace
} // namespace orvanta

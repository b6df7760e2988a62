#include "load/PlotStyles.h"

#include "fuzz/ReadCtbHarness.h"
#include "render/Colors.h"
#include "support/PlotStyleFiles.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvanta {
namespace {

// A drawing of one line and one text of colour `color`, drawn red at 0.25 mm.
Drawing OneLineAndText(std::int16_t color) {
    Drawing drawing;
    TAcadLineBlk& line = drawing.LineAry.emplace_back();
    line.color = color;
    line.PenColor = RgbColor(255, 0, 0);
    line.code370 = 25;
    TTextBlk& text = drawing.TextAry.emplace_back();
    text.color = color;
    text.PenColor = RgbColor(255, 0, 0);
    return drawing;
}

PlotStyleProblem ProblemOf(const std::string& bytes) {
    try {
        ParsePlotStyleTable(bytes, "t.ctb");
    } catch (const PlotStyleError& e) {
        EXPECT_EQ(e.file(), "t.ctb");
        EXPECT_EQ(std::string(e.what()).rfind("t.ctb:", 0), 0u) << e.what();
        return e.problem();
    }
    ADD_FAILURE() << "the table was read";
    return PlotStyleProblem::NoSuchFile;
}

TEST(PlotStyles, ColourOnePrintsBlackAtHalfAMillimetre) {
    test::TempDir dir;
    const std::string path =
        test::WritePlotStyleTable((dir.path() / "black.ctb").string(), {{1, ColorBlack, 0.5}});
    const PlotStyleTable table = ReadPlotStyleTable(path);
    EXPECT_EQ(table.description, "written by the tests");
    // A colour on a layer that is off is negative; it prints by its index all the same.
    for (const std::int16_t color : {1, -1}) {
        Drawing drawing = OneLineAndText(color);
        ApplyPlotStyle(drawing, table);
        EXPECT_EQ(drawing.LineAry[0].PenColor, ColorBlack);
        EXPECT_EQ(drawing.LineAry[0].code370, 50);
        EXPECT_EQ(drawing.TextAry[0].PenColor, ColorBlack);
    }
}

TEST(PlotStyles, ObjectColourAndLineweightPassThrough) {
    const PlotStyleTable table = ParsePlotStyleTable(test::PlotStyleFileBytes(
        test::PlotStyleText({{1, std::nullopt, 0.7}, {2, RgbColor(0, 0, 255), std::nullopt}})));
    Drawing drawing = OneLineAndText(1);
    ApplyPlotStyle(drawing, table);
    EXPECT_EQ(drawing.LineAry[0].PenColor, RgbColor(255, 0, 0));
    EXPECT_EQ(drawing.LineAry[0].code370, 70);
    drawing = OneLineAndText(2);
    ApplyPlotStyle(drawing, table);
    EXPECT_EQ(drawing.LineAry[0].PenColor, RgbColor(0, 0, 255));
    EXPECT_EQ(drawing.LineAry[0].code370, 25);
    // Colour 0 and by layer are no index: the table has no style for them.
    for (const std::int16_t color : {ColorByBlock, ColorByLayer}) {
        drawing = OneLineAndText(color);
        ApplyPlotStyle(drawing, ParsePlotStyleTable(test::PlotStyleFileBytes(
                                    test::PlotStyleText({{1, ColorBlack, 1.0}}))));
        EXPECT_EQ(drawing.LineAry[0].PenColor, RgbColor(255, 0, 0));
        EXPECT_EQ(drawing.LineAry[0].code370, 25);
    }
}

TEST(PlotStyles, ScreeningLightensAndGrayscaleGreys) {
    const PlotStyleTable table = ParsePlotStyleTable(test::PlotStyleFileBytes(
        test::PlotStyleText({{1, std::nullopt, std::nullopt, 100, true},
                             {2, ColorBlack, std::nullopt, 50},
                             {3, RgbColor(0, 0, 255), std::nullopt, 0, true}})));
    const auto printed = [&](std::int16_t color) {
        Drawing drawing = OneLineAndText(color);
        ApplyPlotStyle(drawing, table);
        return drawing.LineAry[0].PenColor;
    };
    EXPECT_EQ(printed(1), RgbColor(76, 76, 76));    // red's luma
    EXPECT_EQ(printed(2), RgbColor(127, 127, 127)); // half the ink of black
    EXPECT_EQ(printed(3), ColorWhite);              // no ink at all
}

TEST(PlotStyles, DamagedFilesAreNamedWithTheirReason) {
    const std::string good = test::PlotStyleFileBytes(test::PlotStyleText({}));
    EXPECT_EQ(ProblemOf(good.substr(0, good.size() / 2)), PlotStyleProblem::Truncated);
    EXPECT_EQ(ProblemOf(good.substr(0, 20)), PlotStyleProblem::Truncated);
    EXPECT_EQ(ProblemOf("0\nSECTION\n2\nHEADER\n"), PlotStyleProblem::NotPlotStyles);
    std::string named = good;
    named.replace(19, 7, "STBVER1");
    EXPECT_EQ(ProblemOf(named), PlotStyleProblem::NamedPlotStyles);
    std::string damaged = good;
    for (std::size_t i = 200; i < 240; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5A);
    EXPECT_EQ(ProblemOf(damaged), PlotStyleProblem::Damaged);

    // A stream that inflates beyond any table is refused before it fills the memory, whatever
    // size its header gives.
    std::string bomb = test::PlotStyleFileBytes(std::string(3 << 20, ' '));
    EXPECT_EQ(ProblemOf(bomb), PlotStyleProblem::TooLarge);
    bomb.replace(52, 4, std::string(4, '\0'));
    EXPECT_EQ(ProblemOf(bomb), PlotStyleProblem::TooLarge);
}

TEST(PlotStyles, TextErrorsNameTheLineOrTheColour) {
    std::string text = test::PlotStyleText({});
    const std::size_t at = text.find("screen=100");
    text.replace(at, 10, "screen=250");
    try {
        ParsePlotStyleTable(test::PlotStyleFileBytes(text), "t.ctb");
        FAIL() << "read";
    } catch (const PlotStyleError& e) {
        EXPECT_EQ(e.problem(), PlotStyleProblem::BadValue);
        EXPECT_EQ(e.line(), std::count(text.begin(), text.begin() + at, '\n') + 1);
        EXPECT_EQ(e.reason(Language::English), "\"screen=250\" is not a valid setting");
        EXPECT_EQ(e.message(Language::Japanese),
                  "t.ctb（" + std::to_string(e.line()) +
                      " 行目）: 「screen=250」は正しい設定ではありません");
    }

    text = test::PlotStyleText({});
    const std::size_t from = text.find(" 6{");
    text.erase(from, text.find(" 7{") - from);
    try {
        ParsePlotStyleTable(test::PlotStyleFileBytes(text));
        FAIL() << "read";
    } catch (const PlotStyleError& e) {
        EXPECT_EQ(e.problem(), PlotStyleProblem::MissingColor);
        EXPECT_STREQ(e.what(), "colour 7 has no plot style");
    }

    text = test::PlotStyleText({});
    text.erase(text.rfind('}'));
    EXPECT_EQ(ProblemOf(test::PlotStyleFileBytes(text)), PlotStyleProblem::UnbalancedBraces);
}

TEST(PlotStyles, MissingFileIsNamed) {
    try {
        ReadPlotStyleTable("/nonexistent/t.ctb");
        FAIL() << "read";
    } catch (const PlotStyleError& e) {
        EXPECT_EQ(e.problem(), PlotStyleProblem::NoSuchFile);
        EXPECT_STREQ(e.what(), "/nonexistent/t.ctb: no such file");
    }
}

TEST(PlotStyles, FuzzCorpusReadsWithoutCrashing) {
    EXPECT_GE(test::ReplayFuzzCorpus("read_ctb", ReadCtbHarness), 3);
}

} // namespace
} // namespace orvanta

// Malformed and hostile input: a clear error naming the line, never a crash, a hang or a
// partly filled table.
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <clocale>
#include <fstream>

namespace orvanta {
namespace {

using test::Dxf;

struct Outcome {
    Drawing drawing;
    std::string error;
    long line = 0;
};

Outcome Read(const std::string& text) {
    test::TempDir dir;
    Outcome out;
    try {
        ReadDxfFile(out.drawing, dir.write("bad.dxf", text), nullptr, TextEncoding::Cp932);
    } catch (const DxfReadError& e) {
        out.error = e.what();
        out.line = e.line();
    }
    return out;
}

const std::string Head = Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1"});

TEST(ReaderFailure, GroupCodesMustBeWholeIntegers) {
    EXPECT_EQ(Read(Head + Dxf({"  0", "ENDSEC"})).error, "") << "leading blanks are allowed";
    for (const char* bad : {"0 ", "", "x", "1.0", "+-1", "99999999999"}) {
        const Outcome out = Read(Head + Dxf({bad, "ENDSEC", "0", "EOF"}));
        EXPECT_EQ(out.line, 9) << bad;
        EXPECT_NE(out.error.find(":9: expected a group code"), std::string::npos) << out.error;
    }
}

TEST(ReaderFailure, NumbersThatDoNotFitTheirFieldFail) {
    const Outcome big = Read(Head + Dxf({"62", "70000", "0", "ENDSEC"}));
    EXPECT_EQ(big.line, 10) << "the value line is named";
    EXPECT_NE(big.error.find("70000"), std::string::npos);
    EXPECT_NE(big.error.find("group code 62"), std::string::npos);
    for (const char* bad : {"1,5", "abc", "1e999", "nan", "inf", ""}) {
        const Outcome out = Read(Head + Dxf({"20", bad, "0", "ENDSEC"}));
        EXPECT_EQ(out.line, 10) << bad;
        EXPECT_FALSE(out.error.empty()) << bad;
    }
    for (const char* good : {" 1.5", "-2", "+3.25", "1e3", ".5", "7."}) {
        const Outcome out = Read(Head + Dxf({"20", good, "0", "ENDSEC"}));
        EXPECT_EQ(out.error, "") << good;
    }
    // Blanks around a number are dropped; digits beyond what a double holds are rounded; a
    // fraction may come with an exponent.
    const Outcome padded =
        Read(Head + Dxf({"20", "\t1.5 ", "62", " 3 ", "21", "123456789012345678901234", "31",
                         "2.5e2", "0", "ENDSEC"}));
    EXPECT_EQ(padded.error, "");
    ASSERT_EQ(padded.drawing.LineAry.size(), 1u);
    EXPECT_EQ(padded.drawing.LineAry[0].st.y, 1.5);
    EXPECT_EQ(padded.drawing.LineAry[0].color, 3);
    EXPECT_EQ(padded.drawing.LineAry[0].ed.y, 123456789012345678901234.0);
    EXPECT_EQ(padded.drawing.LineAry[0].ed.z, 250);
}

TEST(ReaderFailure, AFailedReadKeepsExactlyTheRecordsRead) {
    const Outcome out = Read(Head + Dxf({"0", "LINE", "0", "CIRCLE", "40", "bad"}));
    ASSERT_FALSE(out.error.empty());
    EXPECT_EQ(out.drawing.LineAry.size(), 2u);
    EXPECT_EQ(out.drawing.CircleAry.size(), 1u);
    EXPECT_TRUE(out.drawing.ArcAry.empty());
}

TEST(ReaderFailure, RealsIgnoreTheUsersLocale) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8"))
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    const Outcome out = Read(Head + Dxf({"20", "2.5", "0", "ENDSEC"}));
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(out.error, "");
    EXPECT_EQ(out.drawing.LineAry[0].st.y, 2.5);
}

TEST(ReaderFailure, TruncatedFilesAndGarbage) {
    // Cut after a code line: the missing value reads as empty, which is no number.
    const Outcome cut = Read(Head + "20\n");
    EXPECT_NE(cut.error.find("group code 20"), std::string::npos) << cut.error;
    // A missing layer name is just an empty one.
    const Outcome noValue = Read(Head + "8");
    EXPECT_EQ(noValue.error, "");
    EXPECT_EQ(noValue.drawing.LineAry.size(), 1u);

    std::string garbage;
    unsigned state = 12345;
    for (int i = 0; i < 100000; ++i) {
        state = state * 1103515245u + 12345u;
        garbage += static_cast<char>(state >> 24);
    }
    const Outcome g = Read(garbage);
    EXPECT_FALSE(g.error.empty());
    EXPECT_EQ(Read("AutoCAD Binary DXF\r\n\x1a").error.find("binary DXF") == std::string::npos,
              false);
}

TEST(ReaderFailure, AnEndlessLineIsRefusedWithoutTakingTheMemory) {
    test::TempDir dir;
    const std::string file = (dir.path() / "long.dxf").string();
    {
        std::ofstream out(file, std::ios::binary);
        out << "0\nSECTION\n2\nENTITIES\n0\nTEXT\n1\n";
        const std::string chunk(1 << 20, 'A');
        for (int i = 0; i < 40; ++i)
            out << chunk;
    }
    Drawing d;
    try {
        ReadDxfFile(d, file, nullptr, TextEncoding::Cp932);
        FAIL() << "a 40 MiB line was accepted";
    } catch (const DxfReadError& e) {
        EXPECT_EQ(e.line(), 8);
        EXPECT_NE(std::string(e.what()).find("longer than"), std::string::npos);
    }
}

TEST(ReaderFailure, AnUnreadableFileIsAnErrorThatSaysSo) {
    test::TempDir dir;
    Drawing d;
    // A folder opens but cannot be read as a file.
    try {
        ReadDxfFile(d, dir.path().string(), nullptr, TextEncoding::Cp932);
        FAIL() << "a folder was read";
    } catch (const DxfReadError& e) {
        EXPECT_TRUE(e.inUse());
        EXPECT_EQ(e.line(), 0);
        EXPECT_EQ(e.problem(), DxfProblem::Unreadable);
    }
}

} // namespace
} // namespace orvanta

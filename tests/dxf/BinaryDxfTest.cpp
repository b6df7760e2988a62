// Binary DXF: the records of the text of the same drawing, and a clear error naming the byte
// offset for a file cut short or lying about its lengths.
#include "dxf/DxfVersion.h"
#include "dxf/PairSource.h"
#include "load/LoadDrawing.h"
#include "support/BinaryDxfWriter.h"
#include "support/NormalisedDump.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace orvanta {
namespace {

using test::BinaryCodes;
using test::Dxf;

// A drawing with a value of every binary type: strings in Shift-JIS, reals, 16-, 32- and 64-bit
// integers, a boolean byte, chunks, and extended data with codes above 254.
const std::string TwinDrawing = Dxf({
    "0",    "SECTION",
    "2",    "HEADER",
    "9",    "$ACADVER",
    "1",    "AC1015",
    "9",    "$DWGCODEPAGE",
    "3",    "ANSI_932",
    "9",    "$PDMODE",
    "70",   "3",
    "0",    "ENDSEC",
    "0",    "SECTION",
    "2",    "TABLES",
    "0",    "TABLE",
    "2",    "LAYER",
    "0",    "LAYER",
    "2",    "\x95\xC7",
    "70",   "0",
    "62",   "-3",
    "6",    "CONTINUOUS",
    "290",  "1",
    "370",  "-3",
    "0",    "ENDTAB",
    "0",    "ENDSEC",
    "0",    "SECTION",
    "2",    "ENTITIES",
    "0",    "LINE",
    "5",    "1F",
    "8",    "\x95\xC7",
    "62",   "5",
    "420",  "16564615",
    "160",  "1234567890123",
    "10",   "0.1",
    "20",   "-2.5",
    "30",   "0",
    "11",   "1e3",
    "21",   "7",
    "31",   "0",
    "1001", "APP",
    "1071", "70000",
    "1004", "0A1BFF",
    "1040", "2.25",
    "0",    "LWPOLYLINE",
    "8",    "0",
    "90",   "3",
    "70",   "1",
    "10",   "0",
    "20",   "0",
    "42",   "0.5",
    "10",   "4",
    "20",   "0",
    "10",   "4",
    "20",   "3",
    "0",    "TEXT",
    "8",    "0",
    "10",   "1",
    "20",   "1",
    "40",   "2.5",
    "1",    "\x95\xBD\x96\xCA\x90\x7D",
    "0",    "CIRCLE",
    "10",   "2",
    "20",   "2",
    "40",   "1.25",
    "0",    "IMAGE",
    "310",  "0011AAFF",
    "10",   "0",
    "20",   "0",
    "0",    "ENDSEC",
    "0",    "EOF",
});

std::string NormalisedDump(const std::string& file) {
    Drawing d;
    ReadDxfFile(d, file, nullptr, TextEncoding::Cp932);
    NormaliseDrawing(d);
    return test::DumpNormalised(d);
}

TEST(BinaryDxf, ReadsTheRecordsOfItsTextTwinInBothCodeForms) {
    test::TempDir dir;
    const std::string text = NormalisedDump(dir.write("text.dxf", TwinDrawing));
    ASSERT_NE(text.find("平面図"), std::string::npos) << text;
    for (const BinaryCodes codes : {BinaryCodes::TwoBytes, BinaryCodes::OneByte}) {
        SCOPED_TRACE(codes == BinaryCodes::OneByte ? "one-byte codes" : "two-byte codes");
        const std::string file = dir.write("binary.dxf", test::BinaryDxf(TwinDrawing, codes));
        EXPECT_EQ(NormalisedDump(file), text);
        DxfHeader header;
        ReadDxfHeader(file, header);
        EXPECT_EQ(header.acadver, "AC1015");
        EXPECT_EQ(header.codepage, "ANSI_932");
    }
}

TEST(BinaryDxf, Release2007IsDecodedByWhatItsStringsHold) {
    test::TempDir dir;
    // The real's bytes (F8 3F among them) are no UTF-8, the text is.
    const std::string file =
        dir.write("r2007.dxf", test::BinaryDxf(Dxf({"0", "SECTION", "2", "ENTITIES", "0", "TEXT",
                                                    "10", "1.5", "1", "寸法", "0", "ENDSEC"})));
    EXPECT_EQ(EncodingForFile(file, "AC1021"), TextEncoding::Utf8);
}

struct Outcome {
    std::size_t lines = 0;
    std::string error;
    long long offset = -1;
    DxfProblem problem = DxfProblem::Unreadable;
};

Outcome Read(const std::string& bytes) {
    test::TempDir dir;
    Outcome out;
    Drawing d;
    try {
        ReadDxfFile(d, dir.write("bad.dxf", bytes), nullptr, TextEncoding::Cp932);
    } catch (const DxfReadError& e) {
        out.error = e.what();
        out.offset = e.offset();
        out.problem = e.problem();
        EXPECT_EQ(e.line(), 0);
    }
    out.lines = d.LineAry.size();
    return out;
}

// Sentinel (22 bytes), 0/SECTION (10), 2/ENTITIES (11), 0/LINE (7): code 10 at byte 50, its
// value at 52.
const std::string Line = test::BinaryDxf(
    Dxf({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10", "1.5", "0", "ENDSEC"}));

TEST(BinaryDxf, AFileCutShortNamesTheByteOffset) {
    const Outcome value = Read(Line.substr(0, 56));
    EXPECT_EQ(value.offset, 52);
    EXPECT_NE(value.error.find(": byte offset 52: the file ends inside the value of group code 10"),
              std::string::npos)
        << value.error;
    const Outcome code = Read(Line.substr(0, 51));
    EXPECT_EQ(code.offset, 50);
    EXPECT_NE(code.error.find("the file ends inside a group code"), std::string::npos)
        << code.error;
    EXPECT_EQ(Read(Line.substr(0, 46)).offset, 45) << "a string without its end";
    const Outcome boundary = Read(Line.substr(0, 50));
    EXPECT_EQ(boundary.error, "") << "a file that ends between pairs keeps what it holds";
    EXPECT_EQ(boundary.lines, 1u);
}

TEST(BinaryDxf, HostileValuesAreErrorsNamingTheByteOffset) {
    // A chunk whose length byte promises more than the file holds.
    std::string chunk = Line.substr(0, 50);
    chunk += std::string("\x36\x01\xC8\x01\x02\x03", 6);
    EXPECT_EQ(Read(chunk).offset, 52);
    EXPECT_EQ(Read(chunk).problem, DxfProblem::BinaryTruncated);

    // A real that is no number.
    std::string nan = Line;
    std::memcpy(nan.data() + 52, "\x00\x00\x00\x00\x00\x00\xF8\x7F", 8);
    const Outcome notReal = Read(nan);
    EXPECT_EQ(notReal.problem, DxfProblem::NotReal);
    EXPECT_NE(notReal.error.find("byte offset 52: value \"nan\" of group code 10"),
              std::string::npos)
        << notReal.error;

    // Group codes in a form we do not know.
    const Outcome form = Read(std::string(BinaryDxfSentinel) + "\x07SECTION");
    EXPECT_EQ(form.problem, DxfProblem::BinaryDxf);
    EXPECT_EQ(form.offset, 22);
}

TEST(BinaryDxf, AStringWithoutEndIsRefusedWithoutTakingTheMemory) {
    test::TempDir dir;
    const std::string file = (dir.path() / "long.dxf").string();
    {
        std::ofstream out(file, std::ios::binary);
        out << Line.substr(0, 43) << std::string("\x01\x00", 2);
        const std::string chunk(1 << 20, 'A');
        for (int i = 0; i < 40; ++i)
            out << chunk;
    }
    Drawing d;
    try {
        ReadDxfFile(d, file, nullptr, TextEncoding::Cp932);
        FAIL() << "a 40 MiB string was accepted";
    } catch (const DxfReadError& e) {
        EXPECT_EQ(e.problem(), DxfProblem::BinaryStringTooLong);
        EXPECT_EQ(e.offset(), 45);
    }
}

} // namespace
} // namespace orvanta

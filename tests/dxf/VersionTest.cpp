#include "dxf/DxfVersion.h"

#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

using test::Dxf;

TEST(ProbeFileSignature, ReadsUpToSixBytesBeforeTheFirstZero) {
    test::TempDir dir;
    std::string s = "x";
    ProbeFileSignature(dir.write("dwg", std::string("AC1015\0\0junk", 12)), s);
    EXPECT_EQ(s, "AC1015");
    ProbeFileSignature(dir.write("five", "AC101"), s);
    EXPECT_EQ(s, "");
    ProbeFileSignature(dir.write("zero", std::string("AC1\0"
                                                     "15",
                                                     6)),
                       s);
    EXPECT_EQ(s, "AC1");
    ProbeFileSignature(dir.write("dxf", "  0\r\nSECTION\r\n"), s);
    EXPECT_EQ(s, "  0\r\nS");
    ProbeFileSignature((dir.path() / "missing").string(), s);
    EXPECT_EQ(s, "");
    EXPECT_THROW(ProbeFileSignature(dir.path().string(), s), SilentAbort);
}

TEST(ReadDxfVersion, FindsTheHeaderVariable) {
    test::TempDir dir;
    std::string v;
    ReadDxfVersion(dir.write("a.dxf", Dxf({"0", "SECTION", "2", "HEADER", "9", "$DWGCODEPAGE", "3",
                                           "ANSI_932", "9", "$ACADVER", "1", "AC1015", "9", "$X"})),
                   v);
    EXPECT_EQ(v, "AC1015");
    DxfHeader header;
    ReadDxfHeader((dir.path() / "a.dxf").string(), header);
    EXPECT_EQ(header.codepage, "ANSI_932");
    ReadDxfVersion(
        dir.write("b.dxf", Dxf({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "3", "AC1015"})),
        v);
    EXPECT_EQ(v, "") << "another code after the variable gives no version";
    // Before the HEADER section the variable is not looked for; ENTITIES ends the scan.
    ReadDxfVersion(dir.write("c.dxf", Dxf({"9", "$ACADVER", "1", "AC1009", "0", "SECTION", "2",
                                           "ENTITIES", "0", "bad", "x", "y"})),
                   v);
    EXPECT_EQ(v, "");
    ReadDxfVersion(dir.write("d.dxf", "\xEF\xBB\xBF" + Dxf({"0", "SECTION", "2", "HEADER", "9",
                                                            "$ACADVER", "1", "AC1027"})),
                   v);
    EXPECT_EQ(v, "AC1027");
    ReadDxfVersion(dir.write("e.dxf", Dxf({"0", "SECTION", "2", "HEADER"}) + "\n\n"), v);
    EXPECT_EQ(v, "");
    EXPECT_THROW(ReadDxfVersion(dir.write("f.dxf", "zero\nSECTION\n"), v), SilentAbort);
    ReadDxfVersion((dir.path() / "missing.dxf").string(), v);
    EXPECT_EQ(v, "");
}

TEST(EncodingForFile, ReleasesTo2007AreDecidedByTheirBytes) {
    test::TempDir dir;
    const auto file = [&](const char* name, const std::string& text) {
        return dir.write(name,
                         Dxf({"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1021", "0",
                              "ENDSEC", "0", "SECTION", "2", "ENTITIES", "0", "TEXT", "1"}) +
                             text + "\n");
    };
    EXPECT_EQ(EncodingForFile(file("utf8.dxf", "寸法 ①"), "AC1021"), TextEncoding::Utf8);
    EXPECT_EQ(EncodingForFile(file("sjis.dxf", "\x90\xA1\x96\x40"), "AC1021"), TextEncoding::Cp932);
    EXPECT_EQ(EncodingForFile(file("ascii.dxf", "plain"), "AC1021"), TextEncoding::Cp932);
    // Older releases too; later ones follow their version alone.
    EXPECT_EQ(EncodingForFile(file("old.dxf", "寸法"), "AC1018"), TextEncoding::Utf8);
    EXPECT_EQ(EncodingForFile(file("new.dxf", "\x90\xA1"), "AC1024"), TextEncoding::Utf8);
}

TEST(VersionNames, DwgAndDxfNames) {
    std::string n;
    DwgVersionName("AC1004", n);
    EXPECT_EQ(n, "EX-Ⅱ");
    DxfVersionName("AC1004", n);
    EXPECT_EQ(n, "EX-?");
    DwgVersionName("AC1006", n);
    EXPECT_EQ(n, "GX-5");
    DxfVersionName("AC1006", n);
    EXPECT_EQ(n, "GX-3");
    DxfVersionName("AC1009", n);
    EXPECT_EQ(n, "GX-5/R12J");
    DwgVersionName("AC1027", n);
    EXPECT_EQ(n, "2013");
    DwgVersionName("AC1032", n);
    EXPECT_EQ(n, "AC1032");
    DxfVersionName("", n);
    EXPECT_EQ(n, "----");
    DwgVersionName("", n);
    EXPECT_EQ(n, "");
}

} // namespace
} // namespace orvanta

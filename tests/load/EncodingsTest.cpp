// The encoding a drawing's texts are read in: the code page its header states, the bytes when
// the header is wrong, and the user's choice, all through the one load routine.
#include "load/LoadDrawing.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

// A release 2000 drawing stating `codepage`, with one TEXT of `bytes`.
std::string Stating(const char* codepage, const std::string& bytes) {
    return test::Dxf({"0",        "SECTION", "2",        "HEADER", "9",
                      "$ACADVER", "1",       "AC1015",   "9",      "$DWGCODEPAGE",
                      "3",        codepage,  "0",        "ENDSEC", "0",
                      "SECTION",  "2",       "ENTITIES", "0",      "TEXT",
                      "8",        "0",       "10",       "0",      "20",
                      "0",        "40",      "1",        "1"}) +
           bytes + "\n" + test::Dxf({"0", "ENDSEC", "0", "EOF"});
}

std::string FirstText(const LoadedDrawing& loaded) {
    return loaded.drawing.TextAry.empty() ? std::string("(none)") : loaded.drawing.TextAry[0].str;
}

TEST(Encodings, EachCodePageFamilyAsTheHeaderStatesIt) {
    test::TempDir dir;
    struct Case {
        const char* codepage;
        std::string bytes;
        const char* text;
    };
    const Case cases[] = {
        {"ANSI_936", "\xD6\xD0\xCE\xC4", "中文"},
        {"ANSI_950", "\xA4\xA4\xA4\xE5", "中文"},
        {"ANSI_949", "\xC7\xD1\xB1\xB9", "한국"},
        {"ANSI_1251", "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {"DOS866", "\x8F\xE0\xA8\xA2\xA5\xE2", "Привет"},
        {"ANSI_1252", "Caf\xE9", "Café"},
        {"ANSI_932", "\x90\xA1\x96\x40", "寸法"},
        {"", "\x90\xA1\x96\x40", "寸法"},
        {"ANSI_9999", "\x90\xA1\x96\x40", "寸法"}, // unknown: Shift-JIS as ever
    };
    for (const Case& c : cases) {
        const LoadedDrawing loaded =
            LoadDrawingFile(dir.write("t.dxf", Stating(c.codepage, c.bytes)));
        EXPECT_EQ(FirstText(loaded), c.text) << c.codepage;
        const bool stated = c.codepage[0] && std::string(c.codepage) != "ANSI_9999";
        EXPECT_EQ(loaded.encodingDecision.reason,
                  stated ? EncodingReason::CodePage : EncodingReason::Default)
            << c.codepage;
    }
}

TEST(Encodings, UTF8BytesWinOverAHeaderThatLies) {
    test::TempDir dir;
    const LoadedDrawing loaded = LoadDrawingFile(dir.write("u.dxf", Stating("ANSI_936", "中文 Φ")));
    EXPECT_EQ(FirstText(loaded), "中文 Φ");
    EXPECT_EQ(loaded.encodingDecision.reason, EncodingReason::Utf8Bytes);
    EXPECT_EQ(DescribeEncoding(loaded.encodingDecision, Language::English), "UTF-8 (bytes)");
}

TEST(Encodings, TheUsersChoiceForAFileWinsOverTheRules) {
    test::TempDir dir;
    const std::string path = dir.write("g.dxf", Stating("ANSI_1252", "\xD6\xD0\xCE\xC4"));
    LoadOptions options;
    options.encodings = std::make_shared<const FileEncodings>(FileEncodings{{path, "GBK"}});
    const LoadedDrawing loaded = LoadDrawingFile(path, options);
    EXPECT_EQ(FirstText(loaded), "中文");
    EXPECT_EQ(DescribeEncoding(loaded.encodingDecision, Language::Japanese), "指定: GBK");
    // Another file keeps the rules.
    EXPECT_EQ(
        FirstText(LoadDrawingFile(dir.write("w.dxf", Stating("ANSI_1252", "Caf\xE9")), options)),
        "Café");
}

} // namespace
} // namespace orvanta

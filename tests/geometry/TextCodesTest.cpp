#include "geometry/TextCodes.h"
#include "dxf/TextDecoder.h"
#include "geometry/TextLines.h"
#include "geometry/TextMetrics.h"
#include "render/RecordingCanvas.h"
#include "render/TextDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace orvanta {
namespace {

TEST(SpecialCodesTest, PercentCodes) {
    EXPECT_EQ(RewriteSpecialCodes("%%c25"), "Φ25");
    EXPECT_EQ(RewriteSpecialCodes("%%C25"), "Φ25");
    EXPECT_EQ(RewriteSpecialCodes("45%%d"), "45°");
    EXPECT_EQ(RewriteSpecialCodes("45%%D"), "45°");
    EXPECT_EQ(RewriteSpecialCodes("%%p0.1"), "±0.1");
    EXPECT_EQ(RewriteSpecialCodes("%%P0.1"), "±0.1");
    EXPECT_EQ(RewriteSpecialCodes("100%%%"), "100%");
    // Underline and overline switches are dropped; other codes stay.
    EXPECT_EQ(RewriteSpecialCodes("%%u"), "");
    EXPECT_EQ(RewriteSpecialCodes("%%uMASTER%%U BEDROOM"), "MASTER BEDROOM");
    EXPECT_EQ(RewriteSpecialCodes("%%oTOP%%O, %%k"), "TOP, %%k");
    EXPECT_EQ(RewriteSpecialCodes("2-%%c10 %%p0.05 90%%d"), "2-Φ10 ±0.05 90°");
    EXPECT_EQ(RewriteSpecialCodes("50%"), "50%");
    EXPECT_EQ(RewriteSpecialCodes(""), "");
}

TEST(SpecialCodesTest, EveryUnicodeCodeBecomesItsCharacter) {
    EXPECT_EQ(RewriteSpecialCodes("\\U+2205"), "Φ");
    EXPECT_EQ(RewriteSpecialCodes("\\U+25A1"), "□");
    EXPECT_EQ(RewriteSpecialCodes("45\\U+00B0"), "45°");
    EXPECT_EQ(RewriteSpecialCodes("\\U+00b1\\U+0041x"), "±Ax");
    EXPECT_EQ(RewriteSpecialCodes("\\U+65E5\\U+672C"), "日本");
    // A surrogate pair is one character; a lone surrogate is no character and stays.
    EXPECT_EQ(RewriteSpecialCodes("\\U+D842\\U+DFB7"), "𠮷");
    EXPECT_EQ(RewriteSpecialCodes("\\U+D842x"), "\\U+D842x");
    // Not four hexadecimal digits, or lower-case u: left as written.
    EXPECT_EQ(RewriteSpecialCodes("\\U+00G0"), "\\U+00G0");
    EXPECT_EQ(RewriteSpecialCodes("\\U+00B"), "\\U+00B");
    EXPECT_EQ(RewriteSpecialCodes("\\u+00B0"), "\\u+00B0");
    EXPECT_EQ(RewriteSpecialCodes("\\U+0000"), "\\U+0000");
    EXPECT_EQ(RewriteSpecialCodes("\\U+\\U+00B0"), "\\U+°");
}

TEST(SpecialCodesTest, AsianCodePageCharacters) {
    EXPECT_EQ(RewriteSpecialCodes("\\M+193FA\\M+1967B"), "日本");
    EXPECT_EQ(RewriteSpecialCodes("No.\\M+18250"), "No.１");
    EXPECT_EQ(RewriteSpecialCodes("\\M+193fa"), "日");
    EXPECT_EQ(RewriteSpecialCodes("\\M+2A4A4"), "中");
    EXPECT_EQ(RewriteSpecialCodes("\\M+3B0A1"), "가");
    EXPECT_EQ(RewriteSpecialCodes("\\M+48861"), "가");
    EXPECT_EQ(RewriteSpecialCodes("\\M+5D6D0"), "中");
    // Codes that name no character of their code page, or no code page, stay as written.
    EXPECT_EQ(RewriteSpecialCodes("\\M+1FFFF"), "\\M+1FFFF");
    EXPECT_EQ(RewriteSpecialCodes("\\M+14142"), "\\M+14142");
    EXPECT_EQ(RewriteSpecialCodes("\\M+993FA"), "\\M+993FA");
    EXPECT_EQ(RewriteSpecialCodes("\\M+193F"), "\\M+193F");
    EXPECT_EQ(RewriteSpecialCodes("\\M+"), "\\M+");
}

TEST(MTextToPlainTest, StripsFormatting) {
    EXPECT_EQ(MTextToPlain("{\\fArial|b0|i0;Note}"), "Note");
    EXPECT_EQ(MTextToPlain("\\A1;Size"), "Size");
    EXPECT_EQ(MTextToPlain("\\H2.5x;\\C1;red\\c0; text"), "red text");
    EXPECT_EQ(MTextToPlain("\\W0.8;\\Q15;\\T1.1;slanted"), "slanted");
    EXPECT_EQ(MTextToPlain("\\Otop\\o and \\Lunder\\l"), "top and under");
    EXPECT_EQ(MTextToPlain("\\S1/2; and \\S1#2;"), "1/2 and 1/2");
    EXPECT_EQ(MTextToPlain("FIT \\S+0.1^-0.2; ON"), "FIT +0.1/-0.2 ON");
    EXPECT_EQ(MTextToPlain("\\S1^ 2;x"), "1/2x");
    EXPECT_EQ(MTextToPlain("\\Sopen"), "open");
    EXPECT_EQ(MTextToPlain("\\pxqc;centred \\pi-3,l3;list"), "centred list");
    EXPECT_EQ(MTextToPlain("\\Kstruck\\k"), "struck");
    EXPECT_EQ(MTextToPlain("a\\~b"), "ab");
    EXPECT_EQ(MTextToPlain("x^ y"), "xy");
    EXPECT_EQ(MTextToPlain("\\fNoSemicolon"), "");
    EXPECT_EQ(MTextToPlain(""), "");
}

TEST(MTextToPlainTest, EscapedCharactersStayLiteral) {
    EXPECT_EQ(MTextToPlain("\\{braces\\}"), "{braces}");
    EXPECT_EQ(MTextToPlain("C:\\\\data"), "C:\\data");
    // The second half of an escaped backslash starts no formatting code.
    EXPECT_EQ(MTextToPlain("\\\\fig. 3; done"), "\\fig. 3; done");
    EXPECT_EQ(MTextToPlain("\\\\{x}"), "\\x");
    // A backslash before a character that starts no code is kept.
    EXPECT_EQ(MTextToPlain("a\\Xb"), "a\\Xb");
    EXPECT_EQ(MTextToPlain("end\\"), "end\\");
}

TEST(Utf16LengthTest, CountsCodeUnits) {
    EXPECT_EQ(Utf16Length(""), 0u);
    EXPECT_EQ(Utf16Length("abc"), 3u);
    EXPECT_EQ(Utf16Length("Φ25"), 3u);
    EXPECT_EQ(Utf16Length("日本語"), 3u);
    EXPECT_EQ(Utf16Length("𠮷"), 2u);
}

TEST(TextCodesRobustnessTest, ArbitraryCodeSoupStaysValidText) {
    // Pieces of every code, glued at random: nothing may crash, hang or produce broken UTF-8,
    // and drawing the result must not fail either.
    const char* pieces[] = {"\\", "\\U+", "\\M+", "%%", "%",  "{",   "}",   "\\P", "\\f", "A1;",
                            ";",  "1",    "5",    "9",  "D8", "DC",  "00",  "FF",  "Bx",  "c",
                            "d",  "p",    "日本", "^",  " ",  "\\S", "\\~", "+",   "U"};
    std::mt19937 random(1234);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const int n = length(random);
        for (int i = 0; i < n; ++i)
            text += pieces[pick(random)];
        const std::string rewritten = RewriteSpecialCodes(text);
        EXPECT_EQ(SanitizeUtf8(rewritten), rewritten) << text;
        const std::string plain = MTextToPlain(rewritten);
        EXPECT_EQ(SanitizeUtf8(plain), plain) << text;
        EXPECT_LE(plain.size(), rewritten.size());
        TTextBlk record;
        record.str = text;
        record.mtflag = round % 2 == 0;
        record.code72 = static_cast<std::int16_t>(round % 6);
        record.code73 = static_cast<std::int16_t>(round % 4);
        record.code71 = static_cast<std::int16_t>(round % 10);
        record.code40 = 10;
        record.code41 = record.mtflag ? 30 : 1;
        record.pt11 = {10, 0, 0};
        const TextLayout layout = LayoutText(record);
        for (const TextRun& run : layout.runs) {
            EXPECT_EQ(SanitizeUtf8(run.text), run.text) << text;
            EXPECT_TRUE(std::isfinite(run.x) && std::isfinite(run.y)) << text;
        }
        RecordingCanvas canvas;
        DrawDxfText(canvas, {50, 50}, {}, 1, layout, {});
    }
}

// What the text layout relies on to keep a string instead of encoding it again.
TEST(DecodeUtf8Test, SaysWhetherItReplacedAnything) {
    for (const std::string valid : {"Wg 1/100", "\u5C45\u9593", "\U0001F600", "\uFFFD", ""}) {
        bool replaced = true;
        std::string again;
        for (const char32_t c : DecodeUtf8(valid, &replaced))
            AppendUtf8(again, c);
        EXPECT_FALSE(replaced) << valid;
        EXPECT_EQ(again, valid);
    }
    for (const std::string invalid : {"\xC0\xAF", "\xED\xA0\x80", "a\xE3\x81", "\x80", "\xF8"}) {
        bool replaced = false;
        DecodeUtf8(invalid, &replaced);
        EXPECT_TRUE(replaced) << invalid;
    }
}

} // namespace
} // namespace orvanta

#include "dxf/TextDecoder.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(TextDecoder, Cp932AsWindowsDecodesIt) {
    TextDecoder d(TextEncoding::Cp932);
    EXPECT_EQ(d.decode("plain"), "plain");
    EXPECT_EQ(d.decode("\x87\x40"), "①");
    EXPECT_EQ(d.decode("\x81\x60"), "～") << "the wave dash as Windows maps it";
    EXPECT_EQ(d.decode("\x83\x41\xB1"), "アｱ");
    EXPECT_EQ(d.decode("a\x81"), "a\xEF\xBF\xBD") << "a cut-off character";
    EXPECT_EQ(d.decode("\xA0x"), "\xEF\xBF\xBDx") << "an invalid byte";
}

TEST(TextDecoder, Utf8IsCheckedNotTrusted) {
    TextDecoder d(TextEncoding::Utf8);
    EXPECT_EQ(d.decode("寸法 Φ"), "寸法 Φ");
    EXPECT_EQ(d.decode("a\xC3"), "a\xEF\xBF\xBD");
    EXPECT_EQ(d.decode("\xC0\xAF"), "\xEF\xBF\xBD\xEF\xBF\xBD") << "overlong slash";
    EXPECT_EQ(d.decode("\xED\xA0\x80").find("\xED"), std::string::npos) << "surrogate";
}

TEST(TextDecoder, EncodingFollowsTheVersion) {
    EXPECT_EQ(EncodingForVersion("AC1021"), TextEncoding::Cp932);
    EXPECT_EQ(EncodingForVersion(""), TextEncoding::Cp932);
    EXPECT_EQ(EncodingForVersion("AC1015"), TextEncoding::Cp932);
    EXPECT_EQ(EncodingForVersion("AC1024"), TextEncoding::Utf8);
    EXPECT_EQ(EncodingForVersion("AC1032"), TextEncoding::Utf8);
}

} // namespace
} // namespace orvanta

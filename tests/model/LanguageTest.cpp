#include "model/Language.h"

#include <gtest/gtest.h>

namespace orvanta {
namespace {

TEST(Language, TheCommandLineSpeaksJapaneseOnlyInAJapaneseLocale) {
    EXPECT_EQ(CommandLineLanguage("ja_JP.UTF-8"), Language::Japanese);
    for (const char* locale : {"", "C.UTF-8", "POSIX", "en_US.UTF-8", "de_DE"})
        EXPECT_EQ(CommandLineLanguage(locale), Language::English) << locale;
}

TEST(Language, TheWindowSpeaksEnglishOnlyWhenTheLocaleNamesAnotherLanguage) {
    for (const char* locale : {"", "C", "C.UTF-8", "POSIX", "ja_JP.UTF-8", "ja"})
        EXPECT_EQ(WindowLanguage(locale), Language::Japanese) << locale;
    for (const char* locale : {"en_US.UTF-8", "de_DE", "fr"})
        EXPECT_EQ(WindowLanguage(locale), Language::English) << locale;
}

} // namespace
} // namespace orvanta

#include "model/Language.h"

#include <atomic>
#include <cstdlib>

namespace orvanta {

namespace {
// Set once at start and read from the preview workers afterwards.
std::atomic<Language> chosenLanguage{Language::English};
} // namespace

Language TextLanguage() {
    return chosenLanguage.load(std::memory_order_relaxed);
}

void SetTextLanguage(Language language) {
    chosenLanguage.store(language, std::memory_order_relaxed);
}

std::string MessagesLocale() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

namespace {
bool IsJapanese(std::string_view locale) {
    return locale.substr(0, 2) == "ja";
}
} // namespace

Language CommandLineLanguage(std::string_view locale) {
    return IsJapanese(locale) ? Language::Japanese : Language::English;
}

Language WindowLanguage(std::string_view locale) {
    const bool namesNone = locale.empty() || locale == "C" || locale == "POSIX" ||
                           locale.substr(0, 2) == "C." || locale.substr(0, 6) == "POSIX.";
    return namesNone || IsJapanese(locale) ? Language::Japanese : Language::English;
}

} // namespace orvanta

// The language texts meant for a person are worded in: failures of loads and reads, which the
// window and the command line show.
#pragma once

#include <string>
#include <string_view>

namespace orvanta {

enum class Language {
    Japanese,
    English,
};

// The language the program shows its texts in. English until the program chooses: the window
// and the command line each decide once at start, before any other thread runs.
Language TextLanguage();
void SetTextLanguage(Language language);

// The locale that names the language of messages, as POSIX looks it up: LC_ALL, else
// LC_MESSAGES, else LANG; empty when none is set.
std::string MessagesLocale();

// The command line speaks English, which scripts read, unless the locale is Japanese ("ja",
// "ja_JP.UTF-8").
Language CommandLineLanguage(std::string_view locale);

// The window speaks Japanese, its own language, unless the locale names another language. An
// empty, "C" or "POSIX" locale names none: it is what a session without language settings (and
// the test run) has, and such a session gets the window as it was made.
Language WindowLanguage(std::string_view locale);

} // namespace orvanta

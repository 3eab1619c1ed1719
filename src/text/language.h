#pragma once
// The language the texts of play are shown in. It changes only what is
// shown: every draw, every state and every screen row but the message row
// (and the ending's three story lines) is the same in both.
#include <string_view>

enum class Language { japanese, english };

// Japanese until a program chooses otherwise.
Language shown_language();
void set_shown_language(Language language);

// "ja" or "en", as the command line, the page's address and recordings
// name them.
const char* language_name(Language language);
// False for any other name (`language` is then left as it was).
bool parse_language_name(std::string_view name, Language& language);
// The language a recording's header names, which its replay is shown in
// unless told otherwise: Japanese for none, or one this build does not know.
Language recorded_language(std::string_view name);

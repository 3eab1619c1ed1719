#include "text/language.h"

namespace {

Language shown = Language::japanese;

}  // namespace

Language shown_language() { return shown; }

void set_shown_language(Language language) { shown = language; }

const char* language_name(Language language) { return language == Language::english ? "en" : "ja"; }

bool parse_language_name(std::string_view name, Language& language) {
    if (name == "ja") {
        language = Language::japanese;
        return true;
    }
    if (name == "en") {
        language = Language::english;
        return true;
    }
    return false;
}

Language recorded_language(std::string_view name) {
    Language language = Language::japanese;
    parse_language_name(name, language);
    return language;
}

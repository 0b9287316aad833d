// languages.cpp -- the back ends' side of the languages: their names for messages, the folder
// of each, and the language of a locale

#include "platform/common/common.h"

std::string language_list() {
    std::string list;
    for (int32_t language = 0; language < language_count(); ++language)
        list += std::string(language ? ", " : "") + language_code(language) + " (" +
                language_name(language) + ")";
    return list;
}

std::string language_install_dir(const std::string& base, int32_t language) {
    if (base.empty() || language <= 0 || language >= language_count()) return base;
    return base + (base.back() == '/' ? "" : "/") + language_code(language);
}

int32_t language_of_locale(const std::string& locale) {
    const std::string code = locale.substr(0, locale.find_first_of("_.@"));
    std::string lower;
    for (char c : code) lower += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower.empty() ? -1 : language_of_code(lower.c_str());
}

int32_t locale_language(const char* lc_all, const char* lc_messages, const char* lang) {
    for (const char* value : {lc_all, lc_messages, lang})
        if (value && *value) return language_of_locale(value);
    return -1;
}

// web_words.cpp -- words.js for the web page: its own words (the rows of the words table whose
// keys begin "page.", the Cards panel's, "cards.", and the journal's, "journal.") and the
// languages' names, in every language

#include "gen.h"
#include "core/encoding.h"
#include "core/words.h"

#include <cstdio>

namespace {

// A JSON string of UTF-8 text, every character past ASCII escaped, so that the script reads
// the same whatever encoding a server declares for it.
std::string json(const char* text) {
    std::string out = "\"";
    size_t at = 0;
    for (uint32_t c; (c = next_utf8(text, &at)) != 0;) {
        char escaped[16];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else if (c < 0x10000) {
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else { // a surrogate pair
            const uint32_t v = c - 0x10000;
            std::snprintf(escaped, sizeof escaped, "\\u%04x\\u%04x", unsigned(0xD800 + (v >> 10)),
                          unsigned(0xDC00 + (v & 0x3FF)));
            out += escaped;
        }
    }
    return out + "\"";
}

} // namespace

int write_web_words(const std::string& web_dir) {
    std::string out =
        "// words.js -- the page's own words in every language, from the program's words "
        "table\n// (src/core/words.cpp); written by quarnel-gen.\n\n"
        "var quarnel_languages = [";
    for (int32_t language = 0; language < LANGUAGE_COUNT; ++language)
        out += std::string(language ? ",\n  " : "\n  ") +
               "{code: " + json(language_table[language].code) +
               ", name: " + json(language_table[language].name) + "}";
    out += "\n];\n\nvar quarnel_words = {";
    for (int32_t language = 0; language < LANGUAGE_COUNT; ++language) {
        out +=
            std::string(language ? ",\n  " : "\n  ") + json(language_table[language].code) + ": {";
        int rows = 0;
        for (int32_t id = 0; id < WORD_COUNT; ++id) {
            const std::string key = word_table[id].key;
            if (key.rfind("page.", 0) != 0 && key.rfind("cards.", 0) != 0 &&
                key.rfind("journal.", 0) != 0)
                continue;
            out += std::string(rows++ ? ",\n    " : "\n    ") + json(word_table[id].key) + ": " +
                   json(word_table[id].text[language]);
        }
        out += "\n  }";
    }
    out += "\n};\n";
    return write_bytes(web_dir + "/words.js", std::vector<uint8_t>(out.begin(), out.end()));
}

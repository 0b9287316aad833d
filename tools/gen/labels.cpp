// labels.cpp -- the language being drawn, and the measure of every label: each is fitted to
// its plate before it is drawn, and one that fits at no allowed size fails the build, named by
// its row of the words table and its language

#include "gen.h"
#include "core/words.h"

#include <cstdio>

int drawn_language = language_en;

namespace {
std::vector<std::string> problems;
} // namespace

std::string words(int word) {
    const char* text = word_in(drawn_language, word);
    return text ? text : "";
}

double fit_label(int word, const std::string& text, double size, double least, double room,
                 FontFace face) {
    while (size - 0.5 >= least - 1e-9 && string_width(text, size, face) > room) size -= 0.5;
    const double width = string_width(text, size, face);
    if (width > room) {
        const char* key = word >= 0 && word < WORD_COUNT ? word_table[word].key : "?";
        char line[512];
        std::snprintf(line, sizeof line,
                      "label \"%s\" in %s (%s): \"%s\" is %.1f px wide at %.1f px, its plate "
                      "holds %.1f px",
                      key, language_table[drawn_language].code, language_table[drawn_language].name,
                      text.c_str(), width, size, room);
        problems.push_back(line);
    }
    return size;
}

void note_label_problem(int word, const std::string& what) {
    const char* key = word >= 0 && word < WORD_COUNT ? word_table[word].key : "?";
    problems.push_back(std::string("label \"") + key + "\" in " +
                       language_table[drawn_language].code + " (" +
                       language_table[drawn_language].name + "): " + what);
}

std::vector<std::string> take_label_problems() {
    std::vector<std::string> out;
    out.swap(problems);
    return out;
}

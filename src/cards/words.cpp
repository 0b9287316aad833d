// words.cpp -- the library's words: rows of the program's words table (core/words.cpp) in a
// language, their placeholders filled in, and the names of the card groups

#include "cards/cards.h"

#include <cstring>

std::string library_words(int32_t language, int32_t word, std::initializer_list<Filling> fillings) {
    const char* row = word_in(language, word);
    std::string text;
    // One pass over the row, so that a filling's own braces are never taken for placeholders.
    for (const char* c = row ? row : ""; *c; c++) {
        const Filling* filled = nullptr;
        for (const Filling& filling : fillings) {
            const size_t length = std::strlen(filling.name);
            if (*c == '{' && std::strncmp(c + 1, filling.name, length) == 0 && c[length + 1] == '}')
                filled = &filling;
        }
        if (filled) {
            text += filled->text;
            c += std::strlen(filled->name) + 1;
        } else {
            text += *c;
        }
    }
    return text;
}

const char* group_name(int32_t group, int32_t language) {
    static const WordId GROUPS[CARD_GROUPS] = {word_arcana_major, word_suit_wands, word_suit_cups,
                                               word_suit_swords, word_suit_pentacles};
    const char* name =
        group >= 0 && group < CARD_GROUPS ? word_in(language, GROUPS[group]) : nullptr;
    return name ? name : "";
}

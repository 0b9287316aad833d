// name_match.cpp -- the card library's words of the cards' names: slugs and search words, from
// the program's names and other names (core/words.cpp) as the program folds them

#include "cards/name_match.h"
#include "core/words.h"

#include <algorithm>

std::vector<std::string> folded_words(const std::string& text) {
    std::string folded(text.size() + 1, '\0');
    folded.resize(size_t(fold_name(text.c_str(), &folded[0], int32_t(folded.size()))));
    std::vector<std::string> words;
    for (size_t at = 0; at < folded.size();) {
        const size_t end = std::min(folded.find(' ', at), folded.size());
        words.push_back(folded.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

std::string card_slug(int32_t card, int32_t language) {
    std::string slug;
    const char* name = language_card_name(language, card);
    for (const std::string& word : folded_words(name ? name : ""))
        slug += (slug.empty() ? "" : "-") + word;
    return slug;
}

std::string card_name_words(int32_t card) {
    std::string words;
    if (card < 0 || card >= CARD_COUNT) return words;
    const int32_t rank = card < 22 ? 0 : (card - 22) % 14 + 1; // "3" for the threes
    if (rank >= 1 && rank <= 10) words = std::to_string(rank);
    for (int32_t language = 0; language < language_count(); language++) {
        const char* name = language_card_name(language, card);
        for (const std::string& word : folded_words(name)) {
            words += (words.empty() ? "" : " ") + word;
            for (int32_t row = 0; row < OTHER_NAME_WORDS_COUNT; row++)
                if (other_name_words[row].language == language &&
                    word == other_name_words[row].word)
                    words += std::string(" ") + other_name_words[row].others;
        }
        for (int32_t row = 0; row < OTHER_CARD_NAME_COUNT; row++)
            if (other_card_names[row].language == language &&
                std::string(other_card_names[row].means) == name)
                words += std::string(" ") + other_card_names[row].name;
    }
    return words;
}

// search.cpp -- finding cards by any word of their names and meanings, as a person types

#include "cards/cards.h"
#include "cards/name_match.h"

#include <algorithm>

namespace {

void add_words(const std::string& text, std::vector<std::string>* words) {
    const std::vector<std::string> found = folded_words(text);
    words->insert(words->end(), found.begin(), found.end());
}

} // namespace

void index_cards(const CardDeck& deck, CardIndex* index) {
    for (int32_t card = 0; card < CARD_COUNT; card++) {
        std::vector<std::string>& words = index->words[card];
        words.clear();
        add_words(card_name_words(card), &words);
        for (int32_t orientation = 0; orientation < 2 && !deck.texts.empty(); orientation++)
            add_words(deck.texts[size_t(2 * card + orientation)], &words);
        std::sort(words.begin(), words.end());
        words.erase(std::unique(words.begin(), words.end()), words.end());
    }
}

int32_t search_cards(const CardIndex& index, const std::string& query, uint8_t* matches) {
    const std::vector<std::string> wanted = folded_words(query);
    int32_t count = 0;
    for (int32_t card = 0; card < CARD_COUNT; card++) {
        const std::vector<std::string>& words = index.words[card];
        bool all = true;
        for (const std::string& w : wanted) {
            // The first word not before w is the one w may begin.
            auto at = std::lower_bound(words.begin(), words.end(), w);
            all = at != words.end() && at->compare(0, w.size(), w) == 0;
            if (!all) break;
        }
        matches[card] = all;
        count += all;
    }
    return count;
}

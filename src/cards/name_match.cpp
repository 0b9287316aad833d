// name_match.cpp -- card names as people type them: one table of the other names in use, and
// the nearest names for a word that matches none

#include "cards/name_match.h"
#include "core/words.h"

#include <algorithm>

// [SECTION] The other names

namespace {

// A word of a card's name and the words people use for it. Each word stands for one only.
struct WordAlternatives {
    const char* word;
    const char* others; // separated by spaces
};

// clang-format off
const WordAlternatives WORD_ALTERNATIVES[] = {
    {"pentacles", "pentacle coins coin disks disk discs disc"},
    {"wands",     "wand rods rod staves staff staffs batons baton"},
    {"cups",      "cup chalices chalice goblets"},
    {"swords",    "sword blades"},
    {"ace",       "aces one 1"}, {"two", "2"}, {"three", "3"}, {"four", "4"}, {"five", "5"},
    {"six", "6"}, {"seven", "7"}, {"eight", "8"}, {"nine", "9"}, {"ten", "10"},
    {"page",      "pages knave princess"},
    {"judgement", "judgment"},
    {"magician",  "magus"},
};

// Whole names a major card also goes by (in their words, "the" and "of" left out).
struct NameAlternative {
    const char* name;
    int32_t card;
};
const NameAlternative NAME_ALTERNATIVES[] = {
    {"priestess", 2}, {"pope", 5}, {"fortitude", 8}, {"wheel", 10}, {"hanged one", 12},
    {"universe", 21},
};
// clang-format on

// Words that tell no card from another.
bool is_filler(const std::string& word) {
    return word == "the" || word == "of";
}

std::vector<std::string> split_words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// The word of a card's name that a typed word stands for (itself when it is no alternative).
std::string name_word(const std::string& word) {
    for (const WordAlternatives& entry : WORD_ALTERNATIVES)
        for (const std::string& other : split_words(entry.others))
            if (other == word) return entry.word;
    return word;
}

// A name reduced to what tells it apart: lower case, each word as the card's name has it,
// "the" and "of" left out ("3 of coins" and "Three of Pentacles" are both "three pentacles").
std::string name_key(const std::string& words) {
    std::string key;
    for (const std::string& word : split_words(words)) {
        if (is_filler(word)) continue;
        key += (key.empty() ? "" : " ") + name_word(word);
    }
    return key;
}

// Letters to insert, delete or change to make one text the other.
size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); j++) row[j] = j;
    for (size_t i = 1; i <= a.size(); i++) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); j++) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Every key a card answers to: its name's, and its whole other names'.
std::vector<std::string> card_keys(int32_t card) {
    std::vector<std::string> keys = {name_key(card_name_table[card][language_en])};
    for (const NameAlternative& entry : NAME_ALTERNATIVES)
        if (entry.card == card) keys.push_back(name_key(entry.name));
    return keys;
}

} // namespace

// [SECTION] Matching

int32_t match_card_name(const std::string& words) {
    const std::vector<std::string> split = split_words(words);
    if (split.size() == 1 && split[0].find_first_not_of("0123456789") == std::string::npos &&
        split[0].size() <= 2) {
        const int32_t number = std::stoi(split[0]);
        return number < CARD_COUNT ? number : -1;
    }
    const std::string key = name_key(words);
    if (key.empty()) return -1;
    for (int32_t card = 0; card < CARD_COUNT; card++)
        for (const std::string& card_key : card_keys(card))
            if (card_key == key) return card;
    return -1;
}

std::vector<int32_t> nearest_card_names(const std::string& words, int32_t count) {
    const std::string key = name_key(words);
    std::vector<std::pair<size_t, int32_t>> by_distance;
    for (int32_t card = 0; card < CARD_COUNT; card++) {
        size_t best = SIZE_MAX;
        for (const std::string& card_key : card_keys(card))
            best = std::min(best, edit_distance(key, card_key));
        by_distance.push_back({best, card});
    }
    std::stable_sort(by_distance.begin(), by_distance.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int32_t> nearest;
    for (int32_t i = 0; i < count && i < CARD_COUNT; i++)
        if (by_distance[size_t(i)].first <= by_distance[0].first + 2)
            nearest.push_back(by_distance[size_t(i)].second);
    return nearest;
}

std::string card_slug(int32_t card) {
    std::string slug;
    if (card < 0 || card >= CARD_COUNT) return slug;
    for (const std::string& word : split_words(card_name_table[card][language_en]))
        slug += (slug.empty() ? "" : "-") + word;
    return slug;
}

std::string card_name_words(int32_t card) {
    std::string words;
    if (card < 0 || card >= CARD_COUNT) return words;
    for (const std::string& word : split_words(card_name_table[card][language_en])) {
        words += (words.empty() ? "" : " ") + word;
        for (const WordAlternatives& entry : WORD_ALTERNATIVES)
            if (word == entry.word) words += std::string(" ") + entry.others;
    }
    for (const NameAlternative& entry : NAME_ALTERNATIVES)
        if (entry.card == card) words += std::string(" ") + entry.name;
    return words;
}

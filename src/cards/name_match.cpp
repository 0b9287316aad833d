// name_match.cpp -- card names as people type them, in any language: one table of the other
// names in use, and the nearest names for a word that matches none

#include "cards/name_match.h"
#include "core/encoding.h"
#include "core/words.h"

#include <algorithm>

// [SECTION] Words without case or accents

namespace {

// The Latin-1 letters from U+00C0 to U+00FF without their accents, lower case; null for the
// multiplication and division signs.
const char* const LATIN1_FOLDED[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c",     "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y",
};

// A character as it stands in a folded word: "" when it parts words (spaces, punctuation,
// signs), its own UTF-8 for a letter of another alphabet.
std::string folded(uint32_t c) {
    if (c >= 'A' && c <= 'Z') return std::string(1, char(c - 'A' + 'a'));
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return std::string(1, char(c));
    if (c >= 0xC0 && c <= 0xFF) return LATIN1_FOLDED[c - 0xC0] ? LATIN1_FOLDED[c - 0xC0] : "";
    switch (c) {
    case 0x152: // the French "oe" ligature
    case 0x153:
        return "oe";
    case 0x160:
    case 0x161:
        return "s";
    case 0x17D:
    case 0x17E:
        return "z";
    case 0x178:
        return "y";
    }
    // ASCII signs, Latin-1's signs, general punctuation (dashes, curly quotes), a broken byte.
    if (c < 0x100 || (c >= 0x2000 && c <= 0x206F) || c == 0xFFFD) return "";
    char utf8[4];
    return std::string(utf8, size_t(put_utf8(c, utf8)));
}

} // namespace

std::vector<std::string> folded_words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    size_t at = 0;
    for (uint32_t c = 1; c != 0;) {
        c = next_utf8(text.c_str(), &at);
        const std::string part = c ? folded(c) : "";
        if (!part.empty()) {
            word += part;
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// [SECTION] The other names

namespace {

// A word of the cards' names and the words people use for it, in any language: each word of a
// name, typed or the program's, stands for its row's first word. Each word has one row only.
struct WordAlternatives {
    const char* word;
    const char* others; // separated by spaces, folded
};

// clang-format off
const WordAlternatives WORD_ALTERNATIVES[] = {
    {"pentacles", "pentacle coins coin disks disk discs disc"},
    {"wands",     "wand rods rod staves staff staffs batons baton"},
    {"cups",      "cup chalices chalice goblets"},
    {"swords",    "sword blades"},
    {"ace",       "aces one 1 as asso ass"},
    {"two",       "2 dos dois deux due zwei"},
    {"three",     "3 tres trois tre drei"},
    {"four",      "4 cuatro quatro quatre quattro vier"},
    {"five",      "5 cinco cinq cinque funf"},
    {"six",       "6 seis sei sechs"},
    {"seven",     "7 siete sete sept sette sieben"},
    {"eight",     "8 ocho oito huit otto acht"},
    {"nine",      "9 nueve nove neuf neun"},
    {"ten",       "10 diez dez dix dieci zehn"},
    {"page",      "pages knave princess"},
    {"judgement", "judgment"},
    {"magician",  "magus"},
};

// Whole names a major card also goes by (their words as in a name, articles left out).
struct NameAlternative {
    const char* name;
    int32_t card;
};
const NameAlternative NAME_ALTERNATIVES[] = {
    {"priestess", 2}, {"pope", 5}, {"fortitude", 8}, {"wheel", 10}, {"hanged one", 12},
    {"universe", 21}, {"mat", 0}, {"bateleur", 1}, {"papesse", 2}, {"papisa", 2}, {"pape", 5},
    {"hohepriester", 5}, {"maison dieu", 16},
};

// Words that tell no card from another: the articles and "of" of the languages' names.
const char* const FILLERS[] = {
    "the", "of",                                        // English
    "el", "la", "los", "las", "de", "del",              // Spanish
    "o", "a", "os", "da", "do",                         // Portuguese
    "le", "les", "l", "d", "du", "des",                 // French
    "il", "lo", "gli", "di", "della", "dei", "delle",   // Italian
    "der", "die", "das",                                // German
};
// clang-format on

bool is_filler(const std::string& word) {
    for (const char* filler : FILLERS)
        if (word == filler) return true;
    return false;
}

// The word of the cards' names that a word stands for (itself when it is no alternative).
std::string name_word(const std::string& word) {
    for (const WordAlternatives& entry : WORD_ALTERNATIVES) {
        if (word == entry.word) return word;
        for (const std::string& other : folded_words(entry.others))
            if (other == word) return entry.word;
    }
    return word;
}

// A name reduced to what tells it apart: its words folded, each as the names' word it stands
// for, the articles and "of" left out ("3 of coins", "Three of Pentacles" and "Tres de Oros"
// are "three pentacles", "three pentacles" and "three oros").
std::string name_key(const std::string& words) {
    std::string key;
    for (const std::string& word : folded_words(words)) {
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

// A key a card answers to, and the language of the name it comes from (-1: an other name).
struct NameKey {
    std::string key;
    int32_t card;
    int32_t language;
};

// Every key of every card: its name's in each language, by language, then its other names'.
const std::vector<NameKey>& name_keys() {
    static std::vector<NameKey> keys;
    if (!keys.empty()) return keys;
    for (int32_t language = 0; language < language_count(); language++)
        for (int32_t card = 0; card < CARD_COUNT; card++)
            keys.push_back({name_key(language_card_name(language, card)), card, language});
    for (const NameAlternative& entry : NAME_ALTERNATIVES)
        keys.push_back({name_key(entry.name), entry.card, -1});
    return keys;
}

} // namespace

// [SECTION] Matching

int32_t match_card_name(const std::string& words, int32_t* language) {
    int32_t found_language = -1;
    int32_t card = card_of_name(words.c_str(), &found_language);
    const std::vector<std::string> split = folded_words(words);
    if (card < 0 && split.size() == 1 && split[0].size() <= 2 &&
        split[0].find_first_not_of("0123456789") == std::string::npos) {
        const int32_t number = std::stoi(split[0]);
        card = number < CARD_COUNT ? number : -1;
        found_language = -1;
    }
    const std::string key = name_key(words);
    for (size_t i = 0; card < 0 && !key.empty() && i < name_keys().size(); i++)
        if (name_keys()[i].key == key) {
            card = name_keys()[i].card;
            found_language = name_keys()[i].language;
        }
    if (language) *language = card < 0 ? -1 : found_language;
    return card;
}

std::vector<int32_t> nearest_card_names(const std::string& words, int32_t count) {
    const std::string key = name_key(words);
    std::vector<std::pair<size_t, int32_t>> by_distance;
    for (int32_t card = 0; card < CARD_COUNT; card++) by_distance.push_back({SIZE_MAX, card});
    for (const NameKey& entry : name_keys()) {
        size_t& best = by_distance[size_t(entry.card)].first;
        best = std::min(best, edit_distance(key, entry.key));
    }
    std::stable_sort(by_distance.begin(), by_distance.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<int32_t> nearest;
    for (int32_t i = 0; i < count && i < CARD_COUNT; i++)
        if (by_distance[size_t(i)].first <= by_distance[0].first + 2)
            nearest.push_back(by_distance[size_t(i)].second);
    return nearest;
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
    for (int32_t language = 0; language < language_count(); language++)
        for (const std::string& word : folded_words(language_card_name(language, card))) {
            words += (words.empty() ? "" : " ") + word;
            const std::string stands_for = name_word(word);
            for (const WordAlternatives& entry : WORD_ALTERNATIVES)
                if (stands_for == entry.word)
                    words += std::string(" ") + entry.word + " " + entry.others;
        }
    for (const NameAlternative& entry : NAME_ALTERNATIVES)
        if (entry.card == card) words += std::string(" ") + entry.name;
    return words;
}

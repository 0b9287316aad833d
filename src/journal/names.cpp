// names.cpp -- the cards and readings a person names, and the journal's words: the
// program's names (card_name, reading_name) with the other names people give the cards, in
// tables a language adds rows to

#include "journal/journal.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

// [SECTION] The words of an entry

const char* journal_card_name(int32_t card) {
    return language_card_name(JOURNAL_LANGUAGE, card);
}

const char* journal_reading_name(int32_t kind) {
    return reading_name_in(JOURNAL_LANGUAGE, kind);
}

namespace {

// The words of a template of the words table around its placeholders: "{name} reading" gives
// " reading" after "{name}"; "Card {n} of {count}" gives "Card " before "{n}" and " of "
// between "{n}" and "{count}".
std::string template_part(const char* key, const char* after, const char* before) {
    const std::string words =
        language_word(JOURNAL_LANGUAGE, key) ? language_word(JOURNAL_LANGUAGE, key) : "";
    const size_t start = after ? words.find(after) : 0;
    if (start == std::string::npos) return "";
    const size_t from = after ? start + std::strlen(after) : 0;
    const size_t end = before ? words.find(before, from) : words.size();
    return end == std::string::npos ? "" : words.substr(from, end - from);
}

struct WordTexts {
    std::string reading, card, of;
};

} // namespace

const std::vector<JournalWords>& journal_word_rows() {
    static const WordTexts english = {template_part("text.reading", "{name}", nullptr),
                                      template_part("text.card_of", nullptr, "{n}"),
                                      template_part("text.card_of", "{n}", "{count}")};
    static const std::vector<JournalWords> rows = {
        {"en", english.reading.c_str(), english.card.c_str(), english.of.c_str(),
         language_word(JOURNAL_LANGUAGE, "upright"), language_word(JOURNAL_LANGUAGE, "reversed"),
         language_word(JOURNAL_LANGUAGE, "text.face_down"), "Not drawn.", "Drawn from my own deck.",
         "Deck: "},
    };
    return rows;
}

// [SECTION] Other names

namespace {

// Whole names a card also goes by, beside the program's own (card_name).
struct NameRow {
    int32_t card;
    const char* name;
};
const NameRow other_names[] = {
    {2, "The Popess"}, {2, "The Papess"},
    {5, "The Pope"},   {8, "Force"},
    {8, "Lust"},       {10, "Fortune"},
    {10, "The Wheel"}, {11, "Adjustment"},
    {14, "Art"},       {20, "The Last Judgement"},
    {20, "The Aeon"},  {21, "The Universe"},
};

// Words that stand for a word of the program's names, in any name ("Ace of Coins").
struct WordRow {
    const char* word;
    const char* means;
};
const WordRow other_words[] = {
    {"judgment", "judgement"},
    {"coins", "pentacles"},
    {"coin", "pentacles"},
    {"disks", "pentacles"},
    {"discs", "pentacles"},
    {"pentacle", "pentacles"},
    {"rods", "wands"},
    {"staves", "wands"},
    {"staffs", "wands"},
    {"batons", "wands"},
    {"wand", "wands"},
    {"chalices", "cups"},
    {"cup", "cups"},
    {"sword", "swords"},
    {"1", "ace"},
    {"2", "two"},
    {"3", "three"},
    {"4", "four"},
    {"5", "five"},
    {"6", "six"},
    {"7", "seven"},
    {"8", "eight"},
    {"9", "nine"},
    {"10", "ten"},
};

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Lower case, words one space apart, no blanks or stops at either end.
std::string plain(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (blank(c)) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += lower(c);
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.')) out.pop_back();
    return out;
}

// A name as it is looked up: plain, each word as the program's names spell it, and no
// leading "the" ("The Wheel of Fortune" and "Wheel of Fortune" are one card).
std::string lookup_key(const std::string& text) {
    std::string name = plain(text), out;
    size_t at = 0;
    while (at <= name.size()) {
        size_t end = name.find(' ', at);
        if (end == std::string::npos) end = name.size();
        std::string word = name.substr(at, end - at);
        for (const WordRow& row : other_words)
            if (word == row.word) word = row.means;
        if (!(out.empty() && word == "the")) out += (out.empty() ? "" : " ") + word;
        at = end + 1;
    }
    return out;
}

struct CardNames {
    std::unordered_map<std::string, int32_t> by_key;
    std::vector<std::string> keys; // the program's names, by card, looked-up form
};

const CardNames& card_names_table() {
    static CardNames table;
    if (!table.keys.empty()) return table;
    for (int32_t card = 0; journal_card_name(card); ++card) {
        table.keys.push_back(lookup_key(journal_card_name(card)));
        table.by_key[table.keys.back()] = card;
    }
    for (const NameRow& row : other_names) table.by_key[lookup_key(row.name)] = row.card;
    return table;
}

size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Takes a trailing orientation off a plain name: "the fool reversed", "the fool, upright",
// "the fool (reversed)", "the fool r". Returns 1 when there was one.
int take_orientation(std::string* name, int32_t* reversed) {
    // The last word may be cut short: "the fool r", "the fool rev".
    const size_t space = name->rfind(' ');
    const std::string last = space == std::string::npos ? "" : name->substr(space + 1);
    for (const JournalWords& words : journal_word_rows()) {
        for (int r = 0; r < 2; ++r) {
            std::string word = plain(r ? words.reversed : words.upright);
            if (!last.empty() && word.compare(0, last.size(), last) == 0) word = last;
            for (const std::string& tail : {" " + word, ", " + word, " (" + word + ")"}) {
                if (name->size() > tail.size() &&
                    name->compare(name->size() - tail.size(), tail.size(), tail) == 0) {
                    name->erase(name->size() - tail.size());
                    while (!name->empty() && (name->back() == ',' || name->back() == ' '))
                        name->pop_back();
                    *reversed = r;
                    return 1;
                }
            }
        }
    }
    return 0;
}

} // namespace

// [SECTION] Cards

std::string nearest_card_name(const std::string& text) {
    const CardNames& table = card_names_table();
    const std::string key = lookup_key(text);
    int32_t best = 0;
    size_t best_distance = std::string::npos;
    for (int32_t card = 0; card < int32_t(table.keys.size()); ++card) {
        size_t d = edit_distance(key, table.keys[card]);
        if (d < best_distance) best = card, best_distance = d;
    }
    return journal_card_name(best);
}

int32_t match_card(const std::string& text, int32_t* reversed, std::string* error) {
    const CardNames& table = card_names_table();
    std::string name = plain(text);
    if (reversed) {
        *reversed = 0;
        take_orientation(&name, reversed);
    }
    auto found = table.by_key.find(lookup_key(name));
    if (found != table.by_key.end()) return found->second;
    // A card's name in another language the program speaks, as it is written ("El Loco",
    // "El Loco reversed").
    std::string written = text;
    while (!written.empty() && blank(written.back())) written.pop_back();
    written.erase(0, written.find_first_not_of(" \t"));
    int32_t other = card_of_name(written.c_str(), nullptr);
    const size_t last_word = written.find_last_of(" ,(");
    if (other < 0 && reversed && *reversed && last_word != std::string::npos) {
        written.erase(written.find_last_not_of(" ,(", last_word) + 1);
        other = card_of_name(written.c_str(), nullptr);
    }
    if (other >= 0) return other;
    if (error)
        *error =
            "no card is named '" + text + "'; the nearest is '" + nearest_card_name(name) + "'";
    return -1;
}

// [SECTION] Readings

int32_t match_reading(const std::string& text, std::string* error) {
    std::string name = plain(text), list;
    for (const JournalWords& words : journal_word_rows()) {
        const std::string tail = plain(words.reading);
        if (name.size() > tail.size() + 1 &&
            name.compare(name.size() - tail.size(), tail.size(), tail) == 0 &&
            name[name.size() - tail.size() - 1] == ' ')
            name.erase(name.size() - tail.size() - 1);
    }
    for (int32_t i = 0; reading_kind(i); ++i) {
        const int32_t kind = reading_kind(i);
        if (plain(journal_reading_name(kind)) == name) return kind;
        list += std::string(list.empty() ? "" : ", ") + plain(journal_reading_name(kind));
    }
    if (error) *error = "no reading is named '" + text + "' (the readings: " + list + ")";
    return 0;
}

// names.cpp -- the journal's languages and words, and the cards and readings a person names:
// a card's name with a trailing orientation ("the fool reversed"), the name itself matched by
// the program (platform.h's card_of_name, with the other names people give the cards)

#include "journal/journal.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>

// [SECTION] The journal's language and words

namespace {

int32_t reader_language = 0;

// Each "{name}" of text filled from fillings; a name with no filling is left as it stands.
std::string filled(const std::string& text, std::initializer_list<JournalFilling> fillings) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const size_t close = text[at] == '{' ? text.find('}', at) : std::string::npos;
        const JournalFilling* found = nullptr;
        if (close != std::string::npos)
            for (const JournalFilling& f : fillings)
                if (text.compare(at + 1, close - at - 1, f.name) == 0) found = &f;
        if (found) {
            out += found->value;
            at = close + 1;
        } else {
            out += text[at++];
        }
    }
    return out;
}

std::string word_of(int32_t language, const char* key) {
    const char* words = language_word(language, key);
    return words ? words : key;
}

// The words of a template around its placeholders: ("Card {n} of {count}", nullptr, "{n}")
// gives "Card ", ("Card {n} of {count}", "{n}", "{count}") gives " of ".
std::string template_part(const std::string& words, const char* after, const char* before) {
    const size_t start = after ? words.find(after) : 0;
    if (start == std::string::npos) return "";
    const size_t from = after ? start + std::strlen(after) : 0;
    const size_t end = before ? words.find(before, from) : words.size();
    return end == std::string::npos ? "" : words.substr(from, end - from);
}

JournalWords words_of_language(int32_t language) {
    JournalWords w;
    w.language = language;
    const std::string heading = word_of(language, "text.reading");
    const std::string card_of = word_of(language, "text.card_of");
    w.reading_before = template_part(heading, nullptr, "{name}");
    w.reading_after = template_part(heading, "{name}", nullptr);
    w.card = template_part(card_of, nullptr, "{n}");
    w.of = template_part(card_of, "{n}", "{count}");
    w.upright = word_of(language, "upright");
    w.reversed = word_of(language, "reversed");
    w.face_down = word_of(language, "text.face_down");
    w.not_drawn = word_of(language, "journal.not_drawn");
    w.own_deck = word_of(language, "journal.own_deck");
    w.deck = template_part(word_of(language, "journal.deck"), nullptr, "{folder}");
    if (language > 0)
        w.language_line =
            filled(word_of(language, "journal.language"), {{"name", language_name(language)}});
    return w;
}

} // namespace

void set_journal_language(int32_t language) {
    reader_language = language_code(language) ? language : 0;
}

int32_t journal_language() {
    return reader_language;
}

const char* journal_card_name(int32_t card) {
    return language_card_name(reader_language, card);
}

const char* journal_reading_name(int32_t kind) {
    return reading_name_in(reader_language, kind);
}

std::string journal_words_of(const char* key, std::initializer_list<JournalFilling> fillings) {
    return filled(word_of(reader_language, key), fillings);
}

std::string journal_count_words(const char* key, int64_t count,
                                std::initializer_list<JournalFilling> fillings) {
    const std::string one = std::string(key) + "_one";
    const char* words = count == 1 ? language_word(reader_language, one.c_str()) : nullptr;
    std::string text = filled(words ? words : word_of(reader_language, key), fillings);
    return filled(text, {{"n", std::to_string(count)}});
}

std::string number_text(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string out = text;
    const size_t point = out.find('.');
    if (point != std::string::npos)
        out.replace(point, 1, word_of(reader_language, "journal.decimal"));
    return out;
}

std::string percent_text(double share) {
    return journal_words_of("journal.percent", {{"n", number_text(share * 100, 1)}});
}

const JournalWords& journal_words(int32_t language) {
    static const std::vector<JournalWords> rows = [] {
        std::vector<JournalWords> all;
        for (int32_t l = 0; l < language_count(); ++l) all.push_back(words_of_language(l));
        return all;
    }();
    return rows[language > 0 && language < int32_t(rows.size()) ? size_t(language) : 0];
}

// [SECTION] Cards

namespace {

// The other words people write for an orientation after a card's name, by language, beside
// the reading's text's own "upright" and "reversed".
struct OtherOrientation {
    const char* language;
    const char* words;
    int32_t reversed;
};
const OtherOrientation other_orientations[] = {
    {"es", "invertida", 1},  {"es", "invertido", 1}, {"pt", "invertida", 1},
    {"pt", "invertido", 1},  {"fr", "inversé", 1},   {"fr", "inversée", 1},
    {"fr", "renversé", 1},   {"fr", "renversée", 1}, {"it", "rovesciata", 1},
    {"it", "rovesciato", 1}, {"it", "capovolta", 1}, {"it", "capovolto", 1},
    {"de", "umgedreht", 1},
};

// Text as names are compared (platform.h's fold_name): "L'Étoile, Reversed." is "l etoile
// reversed".
std::string folded(const std::string& text) {
    std::string out(text.size() + 1, '\0');
    out.resize(size_t(fold_name(text.c_str(), &out[0], int32_t(out.size()))));
    return out;
}

// The orientations of a language as they are looked up: folded words, 1 for reversed.
std::vector<std::pair<std::string, int32_t>> orientations_of(int32_t language) {
    const JournalWords& words = journal_words(language);
    std::vector<std::pair<std::string, int32_t>> orientations = {{folded(words.upright), 0},
                                                                 {folded(words.reversed), 1}};
    for (const OtherOrientation& row : other_orientations)
        if (std::strcmp(row.language, language_code(language)) == 0)
            orientations.push_back({folded(row.words), row.reversed});
    return orientations;
}

const std::vector<std::pair<std::string, int32_t>>& orientations(int32_t language) {
    static const std::vector<std::vector<std::pair<std::string, int32_t>>> all = [] {
        std::vector<std::vector<std::pair<std::string, int32_t>>> every;
        for (int32_t l = 0; l < language_count(); ++l) every.push_back(orientations_of(l));
        return every;
    }();
    return all[size_t(language)];
}

// The languages in the order names are looked up: the journal's first.
std::vector<int32_t> languages_in_order() {
    std::vector<int32_t> order = {reader_language};
    for (int32_t l = 0; l < language_count(); ++l)
        if (l != reader_language) order.push_back(l);
    return order;
}

// Takes a trailing orientation off a folded name, in any language: "the fool reversed", "the
// fool, upright", "the fool (reversed)", "el loco al reves"; the English words may be cut
// short ("the fool r", "the fool rev"). Returns 1 with *reversed when there was one.
int take_orientation(std::string* name, int32_t* reversed) {
    const size_t space = name->rfind(' ');
    const std::string last = space == std::string::npos ? "" : name->substr(space + 1);
    for (int32_t language : languages_in_order()) {
        for (const auto& orientation : orientations(language)) {
            std::string tail = " " + orientation.first;
            if (language == 0 && !last.empty() &&
                orientation.first.compare(0, last.size(), last) == 0)
                tail = " " + last;
            if (name->size() > tail.size() &&
                name->compare(name->size() - tail.size(), tail.size(), tail) == 0) {
                name->erase(name->size() - tail.size());
                *reversed = orientation.second;
                return 1;
            }
        }
    }
    return 0;
}

} // namespace

std::string nearest_card_name(const std::string& text) {
    int32_t card = 0, language = reader_language;
    nearest_card_names(text.c_str(), &card, &language, 1);
    return language_card_name(language, card);
}

int32_t match_card(const std::string& text, int32_t* reversed, std::string* error, bool* oriented) {
    std::string name = folded(text);
    int32_t taken = 0;
    const bool has_orientation = reversed && take_orientation(&name, &taken);
    if (reversed) *reversed = taken;
    if (oriented) *oriented = has_orientation;
    const int32_t card = card_of_name(name.c_str(), nullptr);
    if (card < 0 && error)
        *error = journal_words_of("journal.no_card",
                                  {{"text", text}, {"nearest", nearest_card_name(name)}});
    return card;
}

// [SECTION] Readings

int32_t match_reading(const std::string& text, std::string* error) {
    const std::string name = folded(text);
    for (int32_t language : languages_in_order()) {
        // "lectura de amor" is "amor", "love reading" is "love".
        const JournalWords& words = journal_words(language);
        const std::string before = folded(words.reading_before),
                          after = folded(words.reading_after);
        std::string bare = name;
        if (!before.empty() && bare.compare(0, before.size() + 1, before + " ") == 0)
            bare.erase(0, before.size() + 1);
        if (!after.empty() && bare.size() > after.size() + 1 &&
            bare.compare(bare.size() - after.size() - 1, after.size() + 1, " " + after) == 0)
            bare.erase(bare.size() - after.size() - 1);
        for (int32_t i = 0; reading_kind(i); ++i)
            if (folded(reading_name_in(language, reading_kind(i))) == bare) return reading_kind(i);
    }
    if (error)
        *error =
            journal_words_of("journal.no_reading", {{"text", text}, {"readings", reading_names()}});
    return 0;
}

std::string reading_names() {
    std::string list;
    for (int32_t i = 0; reading_kind(i); ++i) {
        std::string name = journal_reading_name(reading_kind(i));
        for (char& c : name)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        list += (list.empty() ? "" : ", ") + name;
    }
    return list;
}

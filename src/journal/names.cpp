// names.cpp -- the journal's languages and words, and the cards and readings a person names:
// the program's names in every language (language_card_name, card_of_name) with the other
// names people give the cards, in one table

#include "journal/journal.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>

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

// [SECTION] Other names

namespace {

// The other ways people write the cards' names, by language: a whole name of a card (`means`
// is the card's name in that language), a word of the names (`means` is the word the
// program's names use: "coins" for "pentacles"), or an orientation (`means` is the reading's
// text's "upright" or "reversed").
struct OtherName {
    const char* language;
    const char* name;
    const char* means;
};
const OtherName other_names[] = {
    {"en", "The Popess", "The High Priestess"},
    {"en", "The Papess", "The High Priestess"},
    {"en", "The Pope", "The Hierophant"},
    {"en", "Force", "Strength"},
    {"en", "Lust", "Strength"},
    {"en", "Fortune", "Wheel of Fortune"},
    {"en", "The Wheel", "Wheel of Fortune"},
    {"en", "Adjustment", "Justice"},
    {"en", "Art", "Temperance"},
    {"en", "The Last Judgement", "Judgement"},
    {"en", "The Aeon", "Judgement"},
    {"en", "The Universe", "The World"},
    {"en", "judgment", "judgement"},
    {"en", "coins", "pentacles"},
    {"en", "coin", "pentacles"},
    {"en", "disks", "pentacles"},
    {"en", "discs", "pentacles"},
    {"en", "pentacle", "pentacles"},
    {"en", "rods", "wands"},
    {"en", "staves", "wands"},
    {"en", "staffs", "wands"},
    {"en", "batons", "wands"},
    {"en", "wand", "wands"},
    {"en", "chalices", "cups"},
    {"en", "cup", "cups"},
    {"en", "sword", "swords"},
    {"es", "El Ahorcado", "El Colgado"},
    {"es", "Los Amantes", "Los Enamorados"},
    {"es", "El Papa", "El Hierofante"},
    {"es", "El Sumo Sacerdote", "El Hierofante"},
    {"es", "La Papisa", "La Sacerdotisa"},
    {"es", "La Suma Sacerdotisa", "La Sacerdotisa"},
    {"es", "La Rueda", "La Rueda de la Fortuna"},
    {"es", "La Fortaleza", "La Fuerza"},
    {"es", "El Juicio Final", "El Juicio"},
    {"es", "pentáculos", "oros"},
    {"es", "varas", "bastos"},
    {"es", "paje", "sota"},
    {"es", "invertida", "al revés"},
    {"es", "invertido", "al revés"},
    {"pt", "Os Amantes", "Os Enamorados"},
    {"pt", "O Papa", "O Hierofante"},
    {"pt", "A Papisa", "A Sacerdotisa"},
    {"pt", "A Grã-Sacerdotisa", "A Sacerdotisa"},
    {"pt", "O Pendurado", "O Enforcado"},
    {"pt", "O Ermitão", "O Eremita"},
    {"pt", "A Roda", "A Roda da Fortuna"},
    {"pt", "O Juízo Final", "O Julgamento"},
    {"pt", "pentáculos", "ouros"},
    {"pt", "bastões", "paus"},
    {"pt", "cálices", "copas"},
    {"pt", "pajem", "valete"},
    {"pt", "invertida", "na posição invertida"},
    {"pt", "invertido", "na posição invertida"},
    {"fr", "Le Bateleur", "Le Magicien"},
    {"fr", "La Papesse", "La Grande Prêtresse"},
    {"fr", "Le Pape", "Le Hiérophante"},
    {"fr", "L'Amoureux", "Les Amoureux"},
    {"fr", "La Roue", "La Roue de Fortune"},
    {"fr", "La Roue de la Fortune", "La Roue de Fortune"},
    {"fr", "La Maison Dieu", "La Tour"},
    {"fr", "L'Arcane sans nom", "La Mort"},
    {"fr", "Le Mat", "Le Fou"},
    {"fr", "Le Jugement dernier", "Le Jugement"},
    {"fr", "pentacles", "deniers"},
    {"fr", "page", "valet"},
    {"fr", "inversé", "à l'envers"},
    {"fr", "inversée", "à l'envers"},
    {"fr", "renversé", "à l'envers"},
    {"fr", "renversée", "à l'envers"},
    {"it", "Il Bagatto", "Il Mago"},
    {"it", "La Sacerdotessa", "La Papessa"},
    {"it", "Lo Ierofante", "Il Papa"},
    {"it", "Gli Innamorati", "Gli Amanti"},
    {"it", "La Ruota", "La Ruota della Fortuna"},
    {"it", "Il Folle", "Il Matto"},
    {"it", "L'Impiccato", "L'Appeso"},
    {"it", "pentacoli", "denari"},
    {"it", "paggio", "fante"},
    {"it", "cavaliere", "cavallo"},
    {"it", "rovesciata", "in posizione rovesciata"},
    {"it", "rovesciato", "in posizione rovesciata"},
    {"it", "capovolta", "in posizione rovesciata"},
    {"it", "capovolto", "in posizione rovesciata"},
    {"de", "Der Gaukler", "Der Magier"},
    {"de", "Die Päpstin", "Die Hohepriesterin"},
    {"de", "Der Papst", "Der Hierophant"},
    {"de", "Der Hohepriester", "Der Hierophant"},
    {"de", "Das Glücksrad", "Das Rad des Schicksals"},
    {"de", "Das Rad", "Das Rad des Schicksals"},
    {"de", "Die Mäßigung", "Die Mäßigkeit"},
    {"de", "Das Jüngste Gericht", "Das Gericht"},
    {"de", "Das Urteil", "Das Gericht"},
    {"de", "Der Hängende", "Der Gehängte"},
    {"de", "pentakel", "münzen"},
    {"de", "scheiben", "münzen"},
    {"de", "page", "bube"},
    {"de", "as", "ass"},
    {"de", "umgedreht", "umgekehrt"},
};

// The words that may stand before a name ("The Fool" and "Fool" are one card), by language;
// "l'" is written onto its word.
struct Articles {
    const char* language;
    std::vector<std::string> words;
};
const Articles articles[] = {
    {"en", {"the"}},
    {"es", {"el", "la", "los", "las"}},
    {"pt", {"o", "a", "os", "as"}},
    {"fr", {"le", "la", "les", "l'"}},
    {"it", {"il", "lo", "la", "i", "gli", "le", "l'"}},
    {"de", {"der", "die", "das"}},
};

// Latin letters without their accents, for U+00C0 to U+00FF: each a letter, or '*' where the
// letter is two ("Æ", "Þ", "ß") and '-' where it is no letter.
const char LATIN_BASE[] = "aaaaaa*ceeeeiiiidnooooo-ouuuuy**aaaaaa*ceeeeiiiidnooooo-ouuuuy*y";

// Text as names are compared: lower case, letters without accents ("Ás" is "as", "ß" is
// "ss", "œ" is "oe"), typographic apostrophes as "'", every run of blanks one space, and no
// blanks, stops or commas at either end.
std::string folded(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        uint32_t code = c;
        size_t length = 1;
        if ((c >> 5) == 6 && at + 1 < text.size()) {
            code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[at + 1]) & 0x3Fu);
            length = 2;
        } else if ((c >> 4) == 14 && at + 2 < text.size()) {
            code = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[at + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[at + 2]) & 0x3Fu);
            length = 3;
        }
        std::string letter = text.substr(at, length);
        if (code < 0x80) {
            letter = c >= 'A' && c <= 'Z'                  ? std::string(1, char(c - 'A' + 'a'))
                     : c == '\t' || c == '\r' || c == '\n' ? std::string(" ")
                                                           : letter;
        } else if (code >= 0xC0 && code <= 0xFF) {
            const char base = LATIN_BASE[code - 0xC0];
            if (base == '*')
                letter = code == 0xDF ? "ss" : (code & 0x1F) == 6 ? "ae" : "th";
            else if (base != '-')
                letter = std::string(1, base);
        } else if (code == 0x152 || code == 0x153) {
            letter = "oe";
        } else if (code == 0x2018 || code == 0x2019) {
            letter = "'";
        }
        if (letter == " " && (out.empty() || out.back() == ' ')) letter.clear();
        out += letter;
        at += length;
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '.' || out.back() == ','))
        out.pop_back();
    return out;
}

std::vector<std::string> words_of(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return words;
}

// The names of one language as they are looked up.
struct LanguageNames {
    std::unordered_map<std::string, int32_t> by_key;    // a name's key: its card
    std::vector<std::string> keys;                      // the program's names' keys, by card
    std::unordered_map<std::string, std::string> words; // a word: the names' word it stands for
    std::vector<std::string> ranks;                     // "ace", "two" ... "ten" (folded)
    std::vector<std::string> articles;
    std::vector<std::pair<std::string, int32_t>> orientations; // folded words: 1 reversed
};

// A name in a language as it is looked up: folded, a leading number ("2 of cups") as the
// names' word for it, each word as the names spell it, no leading article.
std::string lookup_key(const LanguageNames& names, const std::string& folded_name) {
    std::vector<std::string> words = words_of(folded_name);
    if (!words.empty()) {
        const std::string& first = words[0];
        if (first.size() <= 2 && first.find_first_not_of("0123456789") == std::string::npos) {
            const int rank = std::atoi(first.c_str());
            if (rank >= 1 && rank <= int(names.ranks.size()))
                words[0] = names.ranks[size_t(rank - 1)];
        }
    }
    std::string out;
    for (std::string& word : words) {
        auto other = names.words.find(word);
        if (other != names.words.end()) word = other->second;
        out += (out.empty() ? "" : " ") + word;
    }
    for (const std::string& article : names.articles) {
        const bool elided = article.back() == '\'';
        if (out.size() > article.size() + (elided ? 0 : 1) &&
            out.compare(0, article.size(), article) == 0 && (elided || out[article.size()] == ' '))
            return out.substr(article.size() + (elided ? 0 : 1));
    }
    return out;
}

LanguageNames language_names(int32_t language) {
    LanguageNames names;
    const JournalWords& words = journal_words(language);
    for (const Articles& a : articles)
        if (std::strcmp(a.language, language_code(language)) == 0) names.articles = a.words;
    for (int32_t rank = 0; rank < 10; ++rank) // the Ace to the Ten of Wands: "ace of wands"
        names.ranks.push_back(words_of(folded(language_card_name(language, 22 + rank)))[0]);
    names.orientations = {{folded(words.upright), 0}, {folded(words.reversed), 1}};
    std::unordered_map<std::string, int32_t> cards; // the program's names, folded
    for (int32_t card = 0; language_card_name(language, card); ++card)
        cards[folded(language_card_name(language, card))] = card;
    for (const OtherName& row : other_names) {
        if (std::strcmp(row.language, language_code(language)) != 0) continue;
        const std::string means = folded(row.means);
        if (cards.count(means)) continue; // a whole name, below
        if (means == folded(words.upright) || means == folded(words.reversed))
            names.orientations.push_back({folded(row.name), means == folded(words.reversed)});
        else
            names.words[folded(row.name)] = means;
    }
    for (int32_t card = 0; language_card_name(language, card); ++card) {
        names.keys.push_back(lookup_key(names, folded(language_card_name(language, card))));
        names.by_key[names.keys.back()] = card;
    }
    for (const OtherName& row : other_names) {
        auto card = cards.find(folded(row.means));
        if (std::strcmp(row.language, language_code(language)) == 0 && card != cards.end())
            names.by_key[lookup_key(names, folded(row.name))] = card->second;
    }
    return names;
}

const LanguageNames& names_of(int32_t language) {
    static const std::vector<LanguageNames> all = [] {
        std::vector<LanguageNames> every;
        for (int32_t l = 0; l < language_count(); ++l) every.push_back(language_names(l));
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

// Takes a trailing orientation off a folded name, in any language: "the fool reversed", "the
// fool, upright", "the fool (reversed)", "el loco al reves"; the English words may be cut
// short ("the fool r", "the fool rev"). Returns 1 with *reversed when there was one.
int take_orientation(std::string* name, int32_t* reversed) {
    const size_t space = name->rfind(' ');
    const std::string last = space == std::string::npos ? "" : name->substr(space + 1);
    for (int32_t language : languages_in_order()) {
        for (const auto& orientation : names_of(language).orientations) {
            std::string word = orientation.first;
            if (language == 0 && !last.empty() && word.compare(0, last.size(), last) == 0)
                word = last;
            for (const std::string& tail : {" " + word, ", " + word, " (" + word + ")"}) {
                if (name->size() > tail.size() &&
                    name->compare(name->size() - tail.size(), tail.size(), tail) == 0) {
                    name->erase(name->size() - tail.size());
                    while (!name->empty() && (name->back() == ',' || name->back() == ' '))
                        name->pop_back();
                    *reversed = orientation.second;
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
    const std::string name = folded(text);
    int32_t best = 0, best_language = reader_language;
    size_t best_distance = std::string::npos;
    for (int32_t language : languages_in_order()) {
        const LanguageNames& names = names_of(language);
        const std::string key = lookup_key(names, name);
        for (int32_t card = 0; card < int32_t(names.keys.size()); ++card) {
            const size_t d = edit_distance(key, names.keys[size_t(card)]);
            if (d < best_distance) best = card, best_language = language, best_distance = d;
        }
    }
    return language_card_name(best_language, best);
}

int32_t match_card(const std::string& text, int32_t* reversed, std::string* error, bool* oriented) {
    std::string name = folded(text);
    int32_t taken = 0;
    const bool has_orientation = reversed && take_orientation(&name, &taken);
    if (reversed) *reversed = taken;
    if (oriented) *oriented = has_orientation;
    for (int32_t language : languages_in_order()) {
        const LanguageNames& names = names_of(language);
        auto found = names.by_key.find(lookup_key(names, name));
        if (found != names.by_key.end()) return found->second;
    }
    if (error)
        *error = journal_words_of("journal.no_card",
                                  {{"text", text}, {"nearest", nearest_card_name(name)}});
    return -1;
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

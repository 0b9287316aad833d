// card_names.cpp -- card names as people type them, in any language: one folding of case and
// accents, the names' keys (articles left out, other names as the names' own), and the nearest
// names to words that name no card. The names are the words table's (core/words.cpp), with its
// other names.

#include "core/encoding.h"
#include "core/words.h"

#include <cstdlib>
#include <cstring>

// [SECTION] Folding

namespace {

// The Latin-1 letters from U+00C0 to U+00FF without their accents, lower case; "" (a mark
// that parts words) for the multiplication and division signs.
const char* const LATIN1_FOLDED[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y",
};

// A character as it stands in a folded text, into part (4 bytes): its letters, none for a
// character that parts words (spaces, punctuation, signs, a broken byte), or its own UTF-8
// for a letter of another alphabet. Returns the count of bytes.
int32_t folded_char(uint32_t c, char* part) {
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    const char* letters = nullptr;
    char ascii[2] = {char(c), 0};
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        letters = ascii;
    else if (c >= 0xC0 && c <= 0xFF)
        letters = LATIN1_FOLDED[c - 0xC0];
    else if (c == 0x152 || c == 0x153)
        letters = "oe"; // the French ligature
    else if (c == 0x160 || c == 0x161)
        letters = "s";
    else if (c == 0x17D || c == 0x17E)
        letters = "z";
    else if (c == 0x178)
        letters = "y";
    else if (c < 0x100 || (c >= 0x2000 && c <= 0x206F) || c == 0xFFFD)
        letters = "";
    if (!letters) return put_utf8(c, part);
    const int32_t length = int32_t(std::strlen(letters));
    std::memcpy(part, letters, size_t(length));
    return length;
}

} // namespace

int32_t fold_name(const char* text, char* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    int32_t length = 0;
    int32_t space = 0;
    size_t at = 0;
    for (uint32_t c; text && (c = next_utf8(text, &at)) != 0;) {
        char part[4];
        const int32_t size = folded_char(c, part);
        if (size == 0) {
            space = length > 0;
            continue;
        }
        if (length + space + size >= capacity) break;
        if (space) out[length++] = ' ';
        space = 0;
        std::memcpy(out + length, part, size_t(size));
        length += size;
    }
    out[length] = 0;
    return length;
}

// [SECTION] Keys

namespace {

enum : int32_t {
    KEY_CHARS = 96, // a name's key, terminator included; a longer typed text is cut
};

// Words that tell no card from another: the articles and "of" of the languages' names.
// clang-format off
const char* const FILLERS[] = {
    "the", "of",                                           // English
    "el", "la", "los", "las", "de", "del",                 // Spanish
    "o", "a", "os", "da", "do",                            // Portuguese
    "le", "les", "l", "d", "du", "des",                    // French
    "il", "lo", "i", "gli", "di", "della", "dei", "delle", // Italian
    "der", "die", "das",                                   // German
};
// clang-format on

int is_word(const char* word, size_t length, const char* other) {
    return std::strlen(other) == length && std::strncmp(word, other, length) == 0;
}

int is_filler(const char* word, size_t length) {
    for (const char* filler : FILLERS)
        if (is_word(word, length, filler)) return 1;
    return 0;
}

// The word of the language's names a folded word stands for ("pentacles" for "coins" in
// English), or null when it stands for none.
const char* name_word(int32_t language, const char* word, size_t length) {
    for (int32_t row = 0; row < OTHER_NAME_WORDS_COUNT; row++) {
        const OtherNameWords& entry = other_name_words[row];
        if (entry.language != language) continue;
        for (const char* other = entry.others; *other;) {
            const size_t size = std::strcspn(other, " ");
            if (size == length && std::strncmp(other, word, length) == 0) return entry.word;
            other += size + (other[size] == ' ');
        }
    }
    return nullptr;
}

void append_word(char* key, int32_t* length, const char* word, size_t size) {
    if (*length + (*length > 0) + int32_t(size) >= KEY_CHARS) return;
    if (*length > 0) key[(*length)++] = ' ';
    std::memcpy(key + *length, word, size);
    *length += int32_t(size);
    key[*length] = 0;
}

// A name in a language reduced to what tells it apart: folded, without articles and "of",
// a number from 1 to 10 as the language's word for it, each other word as the names' own
// ("3 of Coins" is "three pentacles" in English, "Tres de Oros" is "tres oros" in Spanish).
void name_key(int32_t language, const char* text, char* key) {
    char folded[KEY_CHARS];
    char rank[KEY_CHARS];
    fold_name(text, folded, KEY_CHARS);
    int32_t length = 0;
    key[0] = 0;
    for (const char* word = folded; *word;) {
        const size_t size = std::strcspn(word, " ");
        const int32_t number = size <= 2 && std::strspn(word, "0123456789") >= size
                                   ? int32_t(std::strtol(word, nullptr, 10))
                                   : 0;
        const char* other = name_word(language, word, size);
        if (number >= 1 && number <= 10) { // the Ace to the Ten of Wands
            fold_name(card_name_table[21 + number][language], rank, KEY_CHARS);
            append_word(key, &length, rank, std::strcspn(rank, " "));
        } else if (!is_filler(word, size)) {
            append_word(key, &length, other ? other : word, other ? std::strlen(other) : size);
        }
        word += size + (word[size] == ' ');
    }
}

// Letters to insert, delete or change to make one key the other.
int32_t edit_distance(const char* a, const char* b) {
    const size_t b_size = std::strlen(b);
    int32_t row[KEY_CHARS];
    for (size_t j = 0; j <= b_size; j++) row[j] = int32_t(j);
    for (size_t i = 1; a[i - 1]; i++) {
        int32_t diagonal = row[0];
        row[0] = int32_t(i);
        for (size_t j = 1; j <= b_size; j++) {
            const int32_t above = row[j];
            int32_t best = diagonal + (a[i - 1] != b[j - 1]);
            if (row[j] + 1 < best) best = row[j] + 1;
            if (row[j - 1] + 1 < best) best = row[j - 1] + 1;
            row[j] = best;
            diagonal = above;
        }
    }
    return row[b_size];
}

// The card a name of a language names exactly (the words table's), or -1.
int32_t card_named(int32_t language, const char* name) {
    for (int32_t card = 0; card < CARD_COUNT; card++)
        if (std::strcmp(card_name_table[card][language], name) == 0) return card;
    return -1;
}

// How near each card's names lie to a text: the fewest letters to change to make its key one
// of the card's keys in any language (its names' and its other names'), and that language.
struct Nearness {
    int32_t distance[CARD_COUNT];
    int32_t language[CARD_COUNT];
};

void measure(int32_t language, int32_t card, const char* typed, const char* name, Nearness* near) {
    char key[KEY_CHARS];
    name_key(language, name, key);
    const int32_t distance = edit_distance(typed, key);
    if (card >= 0 && distance < near->distance[card]) {
        near->distance[card] = distance;
        near->language[card] = language;
    }
}

void measure_names(const char* text, Nearness* near) {
    for (int32_t card = 0; card < CARD_COUNT; card++) {
        near->distance[card] = KEY_CHARS * 2;
        near->language[card] = -1;
    }
    char typed[KEY_CHARS];
    for (int32_t language = 0; language < LANGUAGE_COUNT; language++) {
        name_key(language, text, typed);
        for (int32_t card = 0; card < CARD_COUNT; card++)
            measure(language, card, typed, card_name_table[card][language], near);
        for (int32_t row = 0; row < OTHER_CARD_NAME_COUNT; row++) {
            const OtherCardName& entry = other_card_names[row];
            if (entry.language == language)
                measure(language, card_named(language, entry.means), typed, entry.name, near);
        }
    }
}

} // namespace

// [SECTION] The hosts' questions (platform.h)

int32_t card_of_name(const char* name, int32_t* language) {
    if (!name) return -1;
    for (int32_t in = 0; in < LANGUAGE_COUNT; ++in) { // the program's own names, as written
        const int32_t card = card_named(in, name);
        if (card >= 0) {
            if (language) *language = in;
            return card;
        }
    }
    char folded[KEY_CHARS];
    const int32_t size = fold_name(name, folded, KEY_CHARS);
    if (size >= 1 && size <= 2 && std::strspn(folded, "0123456789") == size_t(size)) {
        const int32_t number = int32_t(std::strtol(folded, nullptr, 10)); // "16", "00"
        if (number < CARD_COUNT && language) *language = -1;
        return number < CARD_COUNT ? number : -1;
    }
    Nearness near;
    measure_names(name, &near);
    for (int32_t card = 0; size > 0 && card < CARD_COUNT; card++)
        if (near.distance[card] == 0) {
            if (language) *language = near.language[card];
            return card;
        }
    return -1;
}

int32_t nearest_card_names(const char* text, int32_t* cards, int32_t* languages, int32_t capacity) {
    Nearness near;
    measure_names(text, &near);
    int32_t best = KEY_CHARS * 2;
    for (int32_t card = 0; card < CARD_COUNT; card++)
        if (near.distance[card] < best) best = near.distance[card];
    int32_t count = 0;
    for (int32_t distance = best; distance <= best + 2; distance++)
        for (int32_t card = 0; card < CARD_COUNT && count < capacity; card++)
            if (near.distance[card] == distance) {
                if (cards) cards[count] = card;
                if (languages) languages[count] = near.language[card];
                count++;
            }
    return count;
}

// reading_text.cpp -- the reading on screen as plain text, for the clipboard, the journal and
// screen readers
//
// The text looks like this; each position is one block, a turned card's name, orientation
// and meaning one paragraph:
//
//   Love reading
//
//   Card 1 of 10: Does my lover care for me?
//   The Fool, upright. A fresh beginning opens before you, ...
//
//   Card 2 of 10: Are we compatible?
//   Face down.
//
// A one-card reading leaves out the "Card 1 of 1" line. The words are the current language's
// (the words table), the text UTF-8.

#include "reading/reading.h"
#include "core/encoding.h"
#include "graphics/graphics.h"

#include <cstring>

// [SECTION] Output

namespace {

// A zero-terminated text in a caller's buffer; what does not fit is cut.
struct TextOut {
    char* text;
    int32_t capacity;
    int32_t length;
};

void put_char(TextOut* out, char c) {
    if (out->length + 1 >= out->capacity) return;
    out->text[out->length++] = c;
    out->text[out->length] = 0;
}

void put_text(TextOut* out, const char* text) {
    for (; text && *text; ++text) put_char(out, *text);
}

void put_number(TextOut* out, int32_t n) {
    char digits[12];
    int32_t count = 0;
    do {
        digits[count++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0 && count < 11);
    while (count > 0) put_char(out, digits[--count]);
}

// A template's words with its placeholders ("{name}", "{n}", "{count}") filled in; a
// placeholder it does not know is written as it stands.
void put_template(TextOut* out, const char* words, const char* name, int32_t n, int32_t count) {
    for (const char* c = words; c && *c; ++c) {
        if (*c == '{') {
            if (std::strncmp(c, "{name}", 6) == 0) {
                put_text(out, name);
                c += 5;
                continue;
            }
            if (std::strncmp(c, "{n}", 3) == 0) {
                put_number(out, n);
                c += 2;
                continue;
            }
            if (std::strncmp(c, "{count}", 7) == 0) {
                put_number(out, count);
                c += 6;
                continue;
            }
        }
        put_char(out, *c);
    }
}

// Control codes count as blanks.
int is_blank(uint32_t c) {
    return c <= ' ';
}

// How the bytes of a text are read: UTF-8 (the program's tables), or a card record's
// Windows-1252 bytes, which become UTF-8 where the font draws them (the running program's
// font, or every letter, as a language's font but English's has them).
enum Encoding : int { UTF8 = 0, CP1252_AS_DRAWN, CP1252 };

// The characters of a text. Any other byte of a damaged file (and every byte above 126 for a
// font of ASCII only, as the English one) is shown as '?' rather than passed on as broken
// UTF-8.
struct Characters {
    const char* text;
    size_t at, end;
    Encoding encoding;
};

uint32_t next_character(Characters* chars) {
    if (chars->at >= chars->end) return 0;
    if (chars->encoding == UTF8) return next_utf8(chars->text, &chars->at);
    const uint8_t byte = uint8_t(chars->text[chars->at++]);
    if (byte < 0x7F) return byte ? byte : ' ';
    const uint32_t c = cp1252_to_unicode(byte);
    const int drawn = chars->encoding == CP1252 || font_has_glyph(byte);
    return byte > 0x7F && c != 0 && drawn ? c : '?';
}

// Writes characters [begin, end) with every run of blanks made one space, and none at either
// end. `pending` carries the state between pieces: -1 before the first word (blanks owe
// nothing), 1 when a space is owed before the next word, 0 otherwise.
void put_words(TextOut* out, Characters chars, int* pending) {
    for (uint32_t c; (c = next_character(&chars)) != 0;) {
        if (is_blank(c)) {
            if (*pending == 0) *pending = 1;
            continue;
        }
        if (*pending == 1) put_char(out, ' ');
        *pending = 0;
        char bytes[4];
        const int32_t count = put_utf8(c, bytes);
        if (out->length + count >= out->capacity) out->capacity = out->length + 1; // all or none
        for (int32_t k = 0; k < count; ++k) put_char(out, bytes[k]);
    }
}

// A question of the words table: its rows of the question board (37 characters each), padded
// with spaces where the author placed the words, joined into one sentence.
void put_question(TextOut* out, const char* question) {
    int pending = -1;
    const size_t length = std::strlen(question);
    size_t row = 0;
    while (row < length) {
        size_t row_end = row;
        for (int32_t cell = 0; cell < QUESTION_GRID.columns && row_end < length; ++cell)
            next_utf8(question, &row_end);
        if (row > 0 && pending == 0) pending = 1;
        put_words(out, Characters{question, row, row_end, UTF8}, &pending);
        row = row_end;
    }
}

// Does the record open with "Name, orientation."? Then *skip is where its own words begin.
// The label is UTF-8, the record Windows-1252.
int opens_with_label(const char* record, int32_t length, const char* label, int32_t* skip) {
    int32_t at = 0;
    while (at < length && is_blank(uint8_t(record[at]))) ++at;
    size_t in_label = 0;
    for (uint32_t c; (c = next_utf8(label, &in_label)) != 0; ++at)
        if (at >= length || cp1252_to_unicode(uint8_t(record[at])) != c) return 0;
    *skip = at;
    return 1;
}

// "The Fool, upright." for a dealt value in a language, into label.
void card_label(char* label, int32_t capacity, int32_t language, int32_t value) {
    TextOut out = {label, capacity, 0};
    label[0] = 0;
    put_text(&out, language_card_name(language, value / 2));
    put_text(&out, ", ");
    put_text(&out, word_in(language, value % 2 == 1 ? word_reversed : word_upright));
    put_text(&out, ".");
}

// A record's words after its own label: the card's meaning as the reading's text gives it.
// pending: 1 when a space goes before the first word (after the label), -1 when none does.
void put_meaning(TextOut* out, const char* record, int32_t length, const char* label, int pending,
                 Encoding encoding) {
    // The records name their own card first; that label is written once, by the caller.
    int32_t skip = 0;
    opens_with_label(record, length, label, &skip);
    put_words(out,
              Characters{record, size_t(skip), size_t(length > skip ? length : skip), encoding},
              &pending);
}

// The card's name and orientation, then its meaning from the card text file.
void put_card(TextOut* out, FileHandle card_db_file, int32_t value) {
    char label[128];
    card_label(label, int32_t(sizeof label), current_language, value);
    put_text(out, label);
    char record[RECORD_TEXT_SIZE];
    const int32_t length =
        card_db_file != 0 ? card_record(card_db_file, value, record, RECORD_TEXT_SIZE) : 0;
    put_meaning(out, record, length, label, 1, CP1252_AS_DRAWN);
}

} // namespace

// [SECTION] Answers for hosts

int32_t reading_question(int32_t language, int32_t kind, int32_t position, char* out,
                         int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    const char* question = question_text_in(language, kind, position);
    if (!question) return 0;
    TextOut text = {out, capacity, 0};
    put_question(&text, question);
    return text.length;
}

int32_t card_meaning(int32_t language, const char* card_texts, int32_t size, int32_t card,
                     int32_t reversed, char* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!card_texts || card < 0 || card >= CARD_COUNT || !language_code(language)) return 0;
    const int32_t value = 2 * card + (reversed ? 1 : 0);
    const char* record = nullptr;
    int32_t held = 0, length = 0;
    if (size <= 0 || !find_card_record(card_texts, size_t(size), value, &record, &held, &length))
        return 0;
    char label[128];
    card_label(label, int32_t(sizeof label), language, value);
    TextOut text = {out, capacity, 0};
    // The bytes the reading's text reads from the open file: the record cut as its buffer
    // cuts it, each letter as the language's font draws it.
    put_meaning(&text, record, held, label, -1, language == 0 ? CP1252_AS_DRAWN : CP1252);
    return text.length;
}

// [SECTION] The reading

int32_t reading_text(const AppState* state, char* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!state) return 0;
    const int32_t kind = state->screen;
    const char* name = reading_name(kind);
    if (!name) return 0;
    TextOut text = {out, capacity, 0};
    put_template(&text, word(word_text_reading), name, 0, 0);
    put_char(&text, '\n');
    if (state->reading_shown != 1) {
        put_char(&text, '\n');
        put_text(&text, word(word_text_not_laid_out));
        put_char(&text, '\n');
        return text.length;
    }
    const int32_t size = spread_size(kind);
    for (int32_t p = 0; p < size; ++p) {
        put_char(&text, '\n');
        const char* question = question_text(kind, p);
        if (size > 1) {
            put_template(&text, word(word_text_card_of), nullptr, p + 1, size);
            if (question) put_text(&text, ": ");
        }
        if (question) put_question(&text, question);
        if (size > 1 || question) put_char(&text, '\n');
        const int32_t value = state->drawn_cards[p];
        if (state->table.turned_positions[p] == 1 && value >= 0 && value < DEALT_VALUES)
            put_card(&text, state->card_db_file, value);
        else
            put_text(&text, word(word_text_face_down));
        put_char(&text, '\n');
    }
    return text.length;
}

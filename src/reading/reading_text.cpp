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
// A one-card reading leaves out the "Card 1 of 1" line.

#include "reading/reading.h"

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

// Control codes count as blanks; the font has glyphs for ASCII only, so any other byte of a
// damaged file is shown as '?' rather than passed on as broken UTF-8.
int is_blank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

// Writes bytes [begin, end) with every run of blanks made one space, and none at either end.
// `pending` carries the state between pieces: -1 before the first word (blanks owe nothing),
// 1 when a space is owed before the next word, 0 otherwise.
void put_words(TextOut* out, const char* begin, const char* end, int* pending) {
    for (const char* c = begin; c < end; ++c) {
        if (is_blank(*c)) {
            if (*pending == 0) *pending = 1;
            continue;
        }
        if (*pending == 1) put_char(out, ' ');
        *pending = 0;
        put_char(out, static_cast<unsigned char>(*c) < 0x7F ? *c : '?');
    }
}

// A question of the spread tables: its rows of the question board, padded with spaces where the
// author placed the words, joined into one sentence.
void put_question(TextOut* out, const char* question) {
    int pending = -1;
    int32_t length = 0;
    while (question[length]) ++length;
    for (int32_t row = 0; row < length; row += QUESTION_GRID.columns) {
        const int32_t row_end =
            row + QUESTION_GRID.columns < length ? row + QUESTION_GRID.columns : length;
        if (row > 0 && pending == 0) pending = 1;
        put_words(out, question + row, question + row_end, &pending);
    }
}

// Does the record open with "Name, orientation."? Then *skip is where its own words begin.
int opens_with_label(const char* record, int32_t length, const char* label, int32_t* skip) {
    int32_t at = 0;
    while (at < length && is_blank(record[at])) ++at;
    for (const char* c = label; *c; ++c, ++at)
        if (at >= length || record[at] != *c) return 0;
    *skip = at;
    return 1;
}

// The card's name and orientation, then its meaning from the card text file.
void put_card(TextOut* out, FileHandle card_db_file, int32_t value) {
    const char* orientation = value % 2 == 1 ? ", reversed." : ", upright.";
    char label[64];
    TextOut label_out = {label, int32_t(sizeof label), 0};
    label[0] = 0;
    put_text(&label_out, card_names[value / 2]);
    put_text(&label_out, orientation);
    put_text(out, label);

    char record[RECORD_TEXT_SIZE];
    const int32_t length =
        card_db_file != 0 ? card_record(card_db_file, value, record, RECORD_TEXT_SIZE) : 0;
    // The records name their own card first; that label is written once, above.
    int32_t skip = 0;
    opens_with_label(record, length, label, &skip);
    int pending = 1;
    put_words(out, record + skip, record + length, &pending);
}

} // namespace

// [SECTION] The reading

int32_t reading_text(const AppState* state, char* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!state) return 0;
    const int32_t kind = state->screen;
    const char* name = reading_name(kind);
    if (!name) return 0;
    TextOut text = {out, capacity, 0};
    put_text(&text, name);
    put_text(&text, " reading\n");
    if (state->reading_shown != 1) {
        put_text(&text, "\nThe cards are not laid out yet.\n");
        return text.length;
    }
    const int32_t size = spread_size(kind);
    for (int32_t p = 0; p < size; ++p) {
        put_char(&text, '\n');
        const char* question = question_text(kind, p);
        if (size > 1) {
            put_text(&text, "Card ");
            put_number(&text, p + 1);
            put_text(&text, " of ");
            put_number(&text, size);
            if (question) put_text(&text, ": ");
        }
        if (question) put_question(&text, question);
        if (size > 1 || question) put_char(&text, '\n');
        const int32_t value = state->drawn_cards[p];
        if (state->table.turned_positions[p] == 1 && value >= 0 && value < DEALT_VALUES)
            put_card(&text, state->card_db_file, value);
        else
            put_text(&text, "Face down.");
        put_char(&text, '\n');
    }
    return text.length;
}

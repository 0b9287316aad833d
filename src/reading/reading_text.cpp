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

// The words of the reading's text (reading_word answers from them).
const char* const reading_words[READING_WORD_COUNT] = {
    " reading", "Card ", " of ", "upright", "reversed", "Face down.",
};

// "The Fool, upright." for a dealt value, into label (zero-terminated).
void card_label(char* label, int32_t capacity, int32_t value) {
    TextOut out = {label, capacity, 0};
    label[0] = 0;
    put_text(&out, card_names[value / 2]);
    put_text(&out, ", ");
    put_text(&out, reading_words[value % 2 == 1 ? READING_WORD_REVERSED : READING_WORD_UPRIGHT]);
    put_char(&out, '.');
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

// A record's words after its own label: the card's meaning as the reading's text gives it.
// pending: 1 when a space goes before the first word (after the label), -1 when none does.
void put_meaning(TextOut* out, const char* record, int32_t length, const char* label, int pending) {
    // The records name their own card first; that label is written once, by the caller.
    int32_t skip = 0;
    opens_with_label(record, length, label, &skip);
    put_words(out, record + skip, record + length, &pending);
}

// The card's name and orientation, then its meaning from the card text file.
void put_card(TextOut* out, FileHandle card_db_file, int32_t value) {
    char label[64];
    card_label(label, int32_t(sizeof label), value);
    put_text(out, label);
    char record[RECORD_TEXT_SIZE];
    const int32_t length =
        card_db_file != 0 ? card_record(card_db_file, value, record, RECORD_TEXT_SIZE) : 0;
    put_meaning(out, record, length, label, 1);
}

} // namespace

// [SECTION] Answers for hosts

const char* reading_word(int32_t word) {
    return word >= 0 && word < READING_WORD_COUNT ? reading_words[word] : nullptr;
}

int32_t reading_question(int32_t kind, int32_t position, char* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    const char* question = question_text(kind, position);
    if (!question) return 0;
    TextOut text = {out, capacity, 0};
    put_question(&text, question);
    return text.length;
}

int32_t card_meaning(const char* card_texts, int32_t size, int32_t card, int32_t reversed,
                     char* out, int32_t capacity) {
    if (!out || capacity <= 0) return 0;
    out[0] = 0;
    if (!card_texts || card < 0 || card >= CARD_COUNT) return 0;
    const int32_t value = 2 * card + (reversed ? 1 : 0);
    const char* record = nullptr;
    int32_t held = 0, length = 0;
    if (size <= 0 || !find_card_record(card_texts, size_t(size), value, &record, &held, &length))
        return 0;
    char label[64];
    card_label(label, int32_t(sizeof label), value);
    TextOut text = {out, capacity, 0};
    // The bytes the reading's text reads from the open file: the record cut as its buffer
    // cuts it.
    put_meaning(&text, record, held, label, -1);
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
    put_text(&text, name);
    put_text(&text, reading_words[READING_WORD_READING]);
    put_char(&text, '\n');
    if (state->reading_shown != 1) {
        put_text(&text, "\nThe cards are not laid out yet.\n");
        return text.length;
    }
    const int32_t size = spread_size(kind);
    for (int32_t p = 0; p < size; ++p) {
        put_char(&text, '\n');
        const char* question = question_text(kind, p);
        if (size > 1) {
            put_text(&text, reading_words[READING_WORD_CARD]);
            put_number(&text, p + 1);
            put_text(&text, reading_words[READING_WORD_OF]);
            put_number(&text, size);
            if (question) put_text(&text, ": ");
        }
        if (question) put_question(&text, question);
        if (size > 1 || question) put_char(&text, '\n');
        const int32_t value = state->drawn_cards[p];
        if (state->table.turned_positions[p] == 1 && value >= 0 && value < DEALT_VALUES)
            put_card(&text, state->card_db_file, value);
        else
            put_text(&text, reading_words[READING_WORD_FACE_DOWN]);
        put_char(&text, '\n');
    }
    return text.length;
}

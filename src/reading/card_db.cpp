// card_db.cpp -- the card text file: finding a card's record and laying it out in 23-column rows

#include "reading/reading.h"
#include "core/encoding.h"

// [SECTION] Opening the file

void close_card_db(AppState* state) {
    if (!state || state->card_db_file == 0 || state->card_db_file == INVALID_FILE) return;
    close_file(state->card_db_file);
    state->card_db_file = 0;
}

int open_card_db(AppState* state, WindowHandle owner, const wchar_t* path) {
    FileHandle file = open_file(path);
    if (file == INVALID_FILE || file == 0) {
        message_box(owner, L"File is not exist. File name is 'CardDB.dat", L"", MB_OK);
        state->card_db_file = 0;
        return 0;
    }
    state->card_db_file = file;
    return 1;
}

// [SECTION] Record lookup

namespace {

// Reports a failed read and closes the file for good; every later lookup fails the same way.
int32_t fail_read(AppState* state) {
    message_box(0, L"File not found1.", L"", MB_OK);
    if (state->card_db_file != 0) close_file(state->card_db_file);
    state->card_db_file = 0;
    return 0;
}

// Scans from the start of the file, one byte per request, for the separators around record
// `record`. On success *start is the offset just after the first one and *end the offset
// just after the second. The end of the file counts as a failed read.
int find_record(FileHandle file, int32_t record, uint32_t* start, uint32_t* end) {
    if (file == 0 || !seek_file(file, 0)) return 0;
    const int64_t first = int64_t(record) + 1;
    const int64_t second = int64_t(record) + 2;
    int64_t separators = 0;
    uint32_t consumed = 0;
    for (;;) {
        char byte = 0;
        uint32_t bytes_read = 0;
        if (!read_file(file, &byte, 1, &bytes_read) || bytes_read == 0) return 0;
        consumed += 1;
        if (byte != '$') continue;
        separators += 1;
        if (separators == first) *start = consumed;
        if (separators == second) {
            *end = consumed;
            return 1;
        }
    }
}

} // namespace

// [SECTION] Layout

namespace {

// The letters of Windows-1252, the card text file's encoding: A to Z, a to z and the accented
// letters above 127, so that a word keeps its accented letters on its row.
int is_letter(char c) {
    return is_cp1252_letter(uint8_t(c));
}

// The record being laid out: its bytes in record_text, `held` of them read. Every look past
// the bytes held sees zero, as the cleared buffer would.
struct RecordView {
    const char* text;
    int32_t held;
};

char byte_at(const RecordView& record, int32_t k) {
    return (k >= 0 && k < record.held) ? record.text[k] : 0;
}

// Lays the record out row by row. `length` is the record's full byte count (it may exceed the
// bytes held when the record was cut). Returns the final text length when the end of the text
// was found, 0 when the record ran out, a word was too long or the rows ran out first.
int32_t lay_out(AppState* state, const RecordView& record, int32_t length) {
    char* out_text = state->wrapped_text;
    int32_t i = 0;
    int32_t row_end = TEXT_COLUMNS;
    int32_t rows = 0;
    while (i < record.held) {
        if (rows == TEXT_ROWS_MAX || row_end > WRAPPED_TEXT_SIZE) return 0;
        rows += 1;
        const int32_t out = row_end - TEXT_COLUMNS;

        int32_t d = 0;
        while (d < TEXT_COLUMNS && byte_at(record, i + d) != '.') d += 1;
        if (d < TEXT_COLUMNS) {
            // A sentence ends in this row: copy through the period, pad with spaces.
            for (int32_t k = 0; k <= d; ++k) out_text[out + k] = byte_at(record, i + k);
            for (int32_t k = d + 1; k < TEXT_COLUMNS; ++k) out_text[out + k] = ' ';
            i += d + 1;
            // The text ends at a period followed, 5 to 7 bytes on, by three spaces, or at one
            // among the record's last four bytes.
            const int ends = (byte_at(record, i + 4) == ' ' && byte_at(record, i + 5) == ' ' &&
                              byte_at(record, i + 6) == ' ') ||
                             int64_t(i) + 4 > length;
            if (ends) {
                int32_t text_length = row_end - 1;
                // Seven rows report 165, which readers that count rows by length / 23,
                // rounded up, take for eight.
                if (text_length > 138 && text_length < 161) text_length = 165;
                state->text_length = text_length;
                return text_length;
            }
            i += 1; // the byte after the period, normally a space
        } else {
            const char last = byte_at(record, i + 22);
            const char next = byte_at(record, i + 23);
            if (is_letter(last) && next == ' ') {
                // The row ends exactly at a word's end: copy it and drop the space.
                for (int32_t k = 0; k < TEXT_COLUMNS; ++k)
                    out_text[out + k] = byte_at(record, i + k);
                i += 24;
            } else if (is_letter(last)) {
                // A word runs past the row end and moves whole to the next row; the last
                // column stays unwritten.
                d = 1;
                while (d <= 22 && byte_at(record, i + 22 - d) != ' ') d += 1;
                if (d > 22) return 0; // a word longer than the row: cut the text here
                const int32_t copied = 22 - d;
                for (int32_t k = 0; k < copied; ++k) out_text[out + k] = byte_at(record, i + k);
                for (int32_t k = copied; k < 22; ++k) out_text[out + k] = ' ';
                i += copied + 1;
            } else {
                // Anything else in the last column: copy the row as it is, skip nothing.
                for (int32_t k = 0; k < TEXT_COLUMNS; ++k)
                    out_text[out + k] = byte_at(record, i + k);
                i += TEXT_COLUMNS;
            }
        }
        row_end += TEXT_COLUMNS;
    }
    return 0;
}

} // namespace

// [SECTION] Reading a card's text

int32_t read_card_text(AppState* state, int32_t record) {
    if (record < 0) {
        state->text_length = 0;
        return 0;
    }
    uint32_t start = 0;
    uint32_t end = 0;
    if (!find_record(state->card_db_file, record, &start, &end)) {
        state->text_length = 0;
        return fail_read(state);
    }
    const int64_t length = int64_t(end) - int64_t(start) - 2;
    if (length <= 0) {
        state->text_length = 0;
        return 0;
    }
    // A record longer than the buffer is cut: its beginning is still laid out.
    const int32_t held = length > RECORD_TEXT_SIZE ? RECORD_TEXT_SIZE : int32_t(length);
    state->text_length = held;
    uint32_t bytes_read = 0;
    if (!seek_file(state->card_db_file, start) ||
        !read_file(state->card_db_file, state->record_text, uint32_t(held), &bytes_read) ||
        bytes_read != uint32_t(held))
        return fail_read(state);
    const int32_t full_length = length > INT32_MAX ? INT32_MAX : int32_t(length);
    return lay_out(state, RecordView{state->record_text, held}, full_length);
}

int32_t card_record(FileHandle file, int32_t record, char* buffer, int32_t capacity) {
    if (record < 0 || capacity <= 0 || file == INVALID_FILE) return 0;
    uint32_t start = 0;
    uint32_t end = 0;
    if (!find_record(file, record, &start, &end)) return 0;
    const int64_t length = int64_t(end) - int64_t(start) - 1; // the closing '$' left out
    const int32_t wanted = length > capacity ? capacity : int32_t(length);
    uint32_t bytes_read = 0;
    if (wanted <= 0 || !seek_file(file, start) ||
        !read_file(file, buffer, uint32_t(wanted), &bytes_read))
        return 0;
    return int32_t(bytes_read);
}

// card_db.cpp -- the card text file: finding a card's record, on disk or in memory, and laying it
// out in 23-column rows

#include "reading/reading.h"
#include "core/encoding.h"

#include <cstring>

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

// The separators around record `record`, counted through the bytes of a card text file taken
// in order from its start, in pieces of any size: the program's one lookup rule, on disk and in
// memory.
struct RecordScan {
    int64_t first;      // the separator that opens the record; the next one closes it
    int64_t separators; // counted so far
    uint32_t taken;     // bytes taken so far
    uint32_t start;     // the offset just after the opening separator
    uint32_t end;       // the offset just after the closing one
};

RecordScan start_scan(int32_t record) {
    return RecordScan{int64_t(record) + 1, 0, 0, 0, 0};
}

// Takes the next bytes; 1 once the closing separator is among them.
int scan_bytes(RecordScan* scan, const char* bytes, uint32_t count) {
    for (uint32_t k = 0; k < count; ++k) {
        const void* hit = std::memchr(bytes + k, '$', count - k);
        if (!hit) break;
        k = uint32_t(static_cast<const char*>(hit) - bytes);
        scan->separators += 1;
        if (scan->separators == scan->first) scan->start = scan->taken + k + 1;
        if (scan->separators == scan->first + 1) {
            scan->end = scan->taken + k + 1;
            return 1;
        }
    }
    scan->taken += count;
    return 0;
}

// Scans the open file from its start. The end of the file counts as a failed read.
int find_record(FileHandle file, int32_t record, uint32_t* start, uint32_t* end) {
    if (file == 0 || !seek_file(file, 0)) return 0;
    RecordScan scan = start_scan(record);
    char piece[4096];
    for (;;) {
        uint32_t bytes_read = 0;
        if (!read_file(file, piece, sizeof piece, &bytes_read) || bytes_read == 0) return 0;
        if (scan_bytes(&scan, piece, bytes_read)) break;
    }
    *start = scan.start;
    *end = scan.end;
    return 1;
}

// The bytes of the record between the offsets find_record gives that the layout reads: all but
// the closing separator and the byte before it (the line end's LF), in *length; the first
// RECORD_TEXT_SIZE of them, those the record buffer holds, in *held. Both 0 for an empty record.
void record_extent(uint32_t start, uint32_t end, int32_t* held, int32_t* length) {
    const int64_t bytes = int64_t(end) - int64_t(start) - 2;
    *length = bytes <= 0 ? 0 : bytes > INT32_MAX ? INT32_MAX : int32_t(bytes);
    *held = *length > RECORD_TEXT_SIZE ? RECORD_TEXT_SIZE : *length;
}

} // namespace

// [SECTION] Layout

namespace {

// The letters of Windows-1252, the card text file's encoding: A to Z, a to z and the accented
// letters above 127, so that a word keeps its accented letters on its row.
int is_letter(char c) {
    return is_cp1252_letter(uint8_t(c));
}

// The record being laid out: `held` of its bytes. Every look past them sees zero, as the
// program's cleared record buffer would.
struct RecordView {
    const char* text;
    int32_t held;
};

char byte_at(const RecordView& record, int32_t k) {
    return (k >= 0 && k < record.held) ? record.text[k] : 0;
}

} // namespace

int32_t lay_out_card_text(const char* text, int32_t held, int32_t length, char* rows,
                          int32_t capacity) {
    const RecordView record{text, held};
    char* out_text = rows;
    int32_t i = 0;
    int32_t row_end = TEXT_COLUMNS;
    int32_t rows_done = 0;
    while (i < record.held) {
        if (rows_done == TEXT_ROWS_MAX || row_end > capacity) return 0;
        rows_done += 1;
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
    int32_t held = 0;
    int32_t length = 0;
    record_extent(start, end, &held, &length);
    state->text_length = held;
    if (length == 0) return 0;
    uint32_t bytes_read = 0;
    if (!seek_file(state->card_db_file, start) ||
        !read_file(state->card_db_file, state->record_text, uint32_t(held), &bytes_read) ||
        bytes_read != uint32_t(held))
        return fail_read(state);
    const int32_t text_length =
        lay_out_card_text(state->record_text, held, length, state->wrapped_text, WRAPPED_TEXT_SIZE);
    if (text_length) state->text_length = text_length;
    return text_length;
}

int find_card_record(const char* file, size_t size, int32_t record, const char** text,
                     int32_t* held, int32_t* length) {
    if (record < 0 || !file) return 0;
    RecordScan scan = start_scan(record);
    // The file layer's offsets are 32-bit: so are a card text file's.
    if (!scan_bytes(&scan, file, size > UINT32_MAX ? UINT32_MAX : uint32_t(size))) return 0;
    *text = file + scan.start;
    record_extent(scan.start, scan.end, held, length);
    return 1;
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

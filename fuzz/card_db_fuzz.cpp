// card_db_fuzz.cpp -- fuzzes the card text file: any file, any record 0..155 (the first byte
// picks it), laid out without touching anything outside the two text buffers, and laid out
// the same from the file held in memory

#include "fuzz_support.h"
#include "reading/reading.h"

#include <cstring>

namespace {

const uint8_t CANARY = 0xA5;

// Rows the laid-out text fills for a final text_length (165 stands for 7 rows).
int32_t rows_of(int32_t text_length) {
    return text_length == 165 ? 7 : (text_length + 1) / TEXT_COLUMNS;
}

// Everything of the state that read_card_text must leave alone still holds the canary: the
// fields before the text buffers, those between them and text_length, and those between
// text_length and the file handle.
bool canary_intact(const AppState& s) {
    static uint8_t canary[sizeof(AppState)];
    if (!canary[0]) std::memset(canary, CANARY, sizeof canary);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&s);
    const size_t kept[][2] = {
        {0, offsetof(AppState, record_text)},
        {offsetof(AppState, wrapped_text) + sizeof s.wrapped_text, offsetof(AppState, text_length)},
        {offsetof(AppState, text_length) + sizeof s.text_length, offsetof(AppState, card_db_file)},
    };
    for (const auto& range : kept)
        if (std::memcmp(bytes + range[0], canary, range[1] - range[0]) != 0) return false;
    return true;
}

void read_and_check(AppState* state, int32_t record, const char* file, size_t size) {
    std::memset(state->record_text, 0, sizeof state->record_text);
    std::memset(state->wrapped_text, 0, sizeof state->wrapped_text);
    const bool open = state->card_db_file != 0;
    const int32_t result = read_card_text(state, record);
    fuzz_require(canary_intact(*state), "only the text buffers and text_length change");
    const char* text = nullptr;
    int32_t held = 0, length = 0;
    static char laid_out[WRAPPED_TEXT_SIZE];
    std::memset(laid_out, 0, sizeof laid_out);
    const int found = find_card_record(file, size, record, &text, &held, &length);
    if (open) fuzz_require(found == (state->card_db_file != 0), "memory finds what disk finds");
    if (found && open) {
        fuzz_require(lay_out_card_text(text, held, length, laid_out, WRAPPED_TEXT_SIZE) == result,
                     "memory lays out as disk does");
        fuzz_require(std::memcmp(laid_out, state->wrapped_text, sizeof laid_out) == 0,
                     "to the same rows");
    }
    if (result == 0) {
        fuzz_require(state->text_length >= 0 && state->text_length <= RECORD_TEXT_SIZE,
                     "a text without an end keeps at most the record's held length");
        return;
    }
    fuzz_require(result == state->text_length, "the result is the stored text length");
    const int32_t rows = rows_of(result);
    fuzz_require(rows >= 1 && rows <= TEXT_ROWS_MAX, "the text fills 1 to 52 rows");
    fuzz_require(result == 165 || result == rows * TEXT_COLUMNS - 1, "length is 23 x rows - 1");
    for (int32_t k = rows * TEXT_COLUMNS; k < WRAPPED_TEXT_SIZE; ++k)
        fuzz_require(state->wrapped_text[k] == 0, "nothing is written past the last row");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static AppState state;
    if (size == 0) return 0;
    headless_reset();
    const int32_t record = data[0] % 156;
    const std::wstring path = fuzz_file("CardDB.dat", data + 1, size - 1);

    std::memset(&state, CANARY, sizeof state);
    fuzz_require(open_card_db(&state, 0, path.c_str()) == 1, "an existing file opens");
    const char* file = reinterpret_cast<const char*>(data + 1);
    read_and_check(&state, record, file, size - 1);
    // The file stays open for the next card, which is looked up from the start again.
    read_and_check(&state, (record + 1) % 156, file, size - 1);
    if (state.card_db_file != 0) close_file(state.card_db_file);
    return 0;
}

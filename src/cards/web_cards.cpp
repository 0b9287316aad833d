// web_cards.cpp -- the card library as the web page's Cards panel calls it (cards.js): the
// deck's faces and texts, search, names and the card of the day, from the WebAssembly the
// program runs in. Built only into the page (web.cmake).
//
// The page hands files over in buffers it takes from cards_buffer; strings handed back are
// UTF-8 and stay valid until the next call of the same function (the deck's until the next
// cards_open that succeeds).

#include "cards/cards.h"
#include "cards/name_match.h"

#include <cstdlib>
#include <emscripten/emscripten.h>

namespace {

struct WebLibrary {
    CardDeck deck;
    CardIndex index;
    std::vector<uint8_t> faces; // CARD_FRAMES frames of RGBA, one after the other
    std::string fault, answer, words;
    uint8_t matches[CARD_COUNT] = {};
};
WebLibrary library;

// A string of JSON.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

extern "C" {

// A buffer of `size` bytes for the page to fill; cards_release gives it back.
EMSCRIPTEN_KEEPALIVE uint8_t* cards_buffer(int32_t size) {
    return static_cast<uint8_t*>(std::malloc(size_t(size > 0 ? size : 1)));
}
EMSCRIPTEN_KEEPALIVE void cards_release(void* buffer) {
    std::free(buffer);
}

// Takes a deck: a card sheet (card.nbf) with the palette (main.plf), and the card texts
// (CardDB.dat), checked by the program's own decoders. Returns 1 when the library shows them
// from now on; 2 when the card sheet is refused and 3 when the texts are, with the reason in
// cards_fault(); the deck shown stays as it was then.
EMSCRIPTEN_KEEPALIVE int32_t cards_open(const uint8_t* sheet, int32_t sheet_size,
                                        const uint8_t* palette, int32_t palette_size,
                                        const char* texts, int32_t texts_size) {
    CardDeck deck;
    if (!read_card_faces(sheet, size_t(sheet_size), palette, size_t(palette_size), &deck,
                         &library.fault))
        return 2;
    if (!read_card_texts(texts, size_t(texts_size), &deck, &library.fault)) return 3;
    library.deck = deck;
    index_cards(library.deck, &library.index);
    library.faces.resize(size_t(CARD_FRAMES) * CARD_WIDTH * CARD_HEIGHT * 4);
    for (int32_t frame = 0; frame < CARD_FRAMES; frame++)
        face_pixels(library.deck, frame, 4,
                    library.faces.data() + size_t(frame) * CARD_WIDTH * CARD_HEIGHT * 4);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* cards_fault() {
    return library.fault.c_str();
}

// The RGBA pixels of every frame, CARD_WIDTH x CARD_HEIGHT each, the faces and then the back.
EMSCRIPTEN_KEEPALIVE const uint8_t* cards_faces() {
    return library.faces.data();
}

// The text of a record (2c card c upright, 2c + 1 reversed), and the sentence a short note of
// it gives.
EMSCRIPTEN_KEEPALIVE const char* cards_text(int32_t record) {
    library.answer = record >= 0 && record < DEALT_VALUES ? library.deck.texts[size_t(record)] : "";
    return library.answer.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* cards_first_sentence(int32_t record) {
    library.answer = record >= 0 && record < DEALT_VALUES
                         ? first_sentence(library.deck.texts[size_t(record)], record / 2)
                         : "";
    return library.answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* cards_name(int32_t card) {
    const char* name = card_name(card);
    return name ? name : "";
}
EMSCRIPTEN_KEEPALIVE const char* cards_slug(int32_t card) {
    library.answer = card_slug(card);
    return library.answer.c_str();
}
EMSCRIPTEN_KEEPALIVE int32_t cards_group(int32_t card) {
    return card_group(card);
}
EMSCRIPTEN_KEEPALIVE int32_t cards_match(const char* words) {
    return match_card_name(words);
}

// Searches the deck shown; cards_matches() then holds 1 for each card that matches.
EMSCRIPTEN_KEEPALIVE int32_t cards_search(const char* query) {
    return search_cards(library.index, query, library.matches);
}
EMSCRIPTEN_KEEPALIVE const uint8_t* cards_matches() {
    return library.matches;
}

EMSCRIPTEN_KEEPALIVE int32_t cards_of_the_day(int32_t year, int32_t month, int32_t day) {
    return card_of_the_day(year, month, day);
}

// Every word the library shows, as one JSON object of key and text, with the groups' names
// under "groups".
EMSCRIPTEN_KEEPALIVE const char* cards_words() {
    if (library.words.empty()) {
        library.words = "{";
        for (const CardWordText& word : card_words)
            library.words += quoted(word.key) + ":" + quoted(word.text) + ",";
        library.words += "\"groups\":[";
        for (int32_t group = 0; group < CARD_GROUPS; group++)
            library.words += (group ? "," : "") + quoted(group_name(group));
        library.words += "]}";
    }
    return library.words.c_str();
}

} // extern "C"

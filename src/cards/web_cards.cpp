// web_cards.cpp -- the card library as the web page's Cards panel calls it (cards.js): the
// deck's faces and texts, search, names in the page's language and the card of the day, from
// the WebAssembly the program runs in. Built only into the page (web.cmake). The panel's own
// words are rows of the words table too, in the page's words.js.
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
    int32_t language = 0;       // the deck's names and words are shown in it
    std::string fault, answer;
    uint8_t matches[CARD_COUNT] = {};
};
WebLibrary library;

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
// (CardDB.dat), checked by the program's own decoders, to be named in `language` (the page's).
// Returns 1 when the library shows them from now on; 2 when the card sheet is refused and 3
// when the texts are, with the reason in cards_fault(), in that language; the deck shown and
// its language stay as they were then.
EMSCRIPTEN_KEEPALIVE int32_t cards_open(const uint8_t* sheet, int32_t sheet_size,
                                        const uint8_t* palette, int32_t palette_size,
                                        const char* texts, int32_t texts_size, int32_t language) {
    CardDeck deck;
    if (!read_card_faces(sheet, size_t(sheet_size), palette, size_t(palette_size), language, &deck,
                         &library.fault))
        return 2;
    if (!read_card_texts(texts, size_t(texts_size), language, &deck, &library.fault)) return 3;
    library.deck = deck;
    library.language = language;
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

// A card's name, a record's name with its orientation ("The Fool, upright"), a card's link
// ("the-fool"), its group and a group's name, in the deck's language.
EMSCRIPTEN_KEEPALIVE const char* cards_name(int32_t card) {
    const char* name = language_card_name(library.language, card);
    return name ? name : "";
}
EMSCRIPTEN_KEEPALIVE const char* cards_record_name(int32_t record) {
    library.answer =
        record >= 0 && record < DEALT_VALUES ? record_name(record, library.language) : "";
    return library.answer.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* cards_slug(int32_t card) {
    library.answer = card_slug(card, library.language);
    return library.answer.c_str();
}
EMSCRIPTEN_KEEPALIVE int32_t cards_group(int32_t card) {
    return card_group(card);
}
EMSCRIPTEN_KEEPALIVE const char* cards_group_name(int32_t group) {
    return group_name(group, library.language);
}
// The card a name or link names in any language, or -1.
EMSCRIPTEN_KEEPALIVE int32_t cards_match(const char* words) {
    return card_of_name(words, nullptr);
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

} // extern "C"

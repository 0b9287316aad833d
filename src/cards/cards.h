// cards.h -- the card library: a deck's faces and texts as the program's own decoders read
// them, search over the names and meanings, the card of the day, and the words the library
// shows. quarnel-cards and the web page's Cards panel are built on it.
//
// A layer above the program, as the tools are: it reads the program through its headers
// (core, graphics, reading) and never changes its state; the faces and texts come from files
// held in memory, never from the program's open files.

#pragma once
#include "core/geometry.h"
#include <string>
#include <vector>

// [SECTION] A deck's faces and texts

struct CardDeck {
    std::vector<uint8_t> sheet;     // the card sheet's CARD_SHEET_WIDTH x CARD_HEIGHT palette
                                    // indices; empty when the deck has no faces
    uint8_t colours[256][3] = {};   // each index's red, green and blue as the display shows it
    std::vector<std::string> texts; // DEALT_VALUES texts, record 2c card c upright and 2c + 1
                                    // reversed; empty when the deck has no texts
};

// Decodes a card sheet file (card.nbf) held in memory with the program's own picture decoder
// and takes its colours from a palette file (main.plf) as the display shows them. Returns 1,
// or 0 with the reason in *fault: the program's own message for a file its decoder refuses,
// or the shape a deck's sheet must have. *deck is changed only on success.
int read_card_faces(const uint8_t* sheet, size_t sheet_size, const uint8_t* palette,
                    size_t palette_size, CardDeck* deck, std::string* fault);
// Reads the 156 texts of a card text file (CardDB.dat) held in memory by the program's own
// record lookup, and checks that each lays out in the meaning window. Returns 1, or 0 with the
// reason, naming the card, in *fault. *deck is changed only on success.
int read_card_texts(const char* file, size_t size, CardDeck* deck, std::string* fault);
// The pixels of a frame (0 to 77 the faces, CARD_BACK the back) into out, row by row from the
// top, `channels` bytes each: 3 red, green, blue; 4 with an opaque alpha after them.
void face_pixels(const CardDeck& deck, int32_t frame, int32_t channels, uint8_t* out);

// The sentence after a text's opening "Name, upright." (the whole text when it has no such
// opening): what a short note of the card says.
std::string first_sentence(const std::string& text, int32_t card);

// [SECTION] Groups

enum : int32_t { MAJOR_ARCANA_COUNT = 22, SUIT_CARDS = 14, CARD_GROUPS = 5 };
// 0 the Major Arcana, 1 Wands, 2 Cups, 3 Swords, 4 Pentacles.
int32_t card_group(int32_t card);

// [SECTION] Search

// Each card's words (its name, the other names of its words, both its texts), lower case,
// sorted, once each.
struct CardIndex {
    std::vector<std::string> words[CARD_COUNT];
};
void index_cards(const CardDeck& deck, CardIndex* index);
// Marks in matches[card] the cards whose words begin with every word of the query (letters
// and digits; case does not matter), so that a word being typed already finds its cards.
// Returns how many match; an empty query matches every card.
int32_t search_cards(const CardIndex& index, const std::string& query, uint8_t* matches);

// [SECTION] The card of the day

// A dealt value (2c card c upright, 2c + 1 reversed) chosen from the date alone: within each
// run of 78 days from 1 January 1970 every card comes once, in an order drawn from the run's
// number, and never the same card two days running. -1 for a date that does not exist.
int32_t card_of_the_day(int32_t year, int32_t month, int32_t day);

// [SECTION] Words

// Every word the library shows, by key, so that a language can replace them at once. The
// English texts live in words.cpp.
enum CardWord : int32_t {
    word_cards,
    word_cards_title,
    word_search,
    word_no_match,
    word_close,
    word_previous,
    word_next,
    word_card_upright,
    word_card_reversed,
    word_major_arcana,
    word_wands,
    word_cups,
    word_swords,
    word_pentacles,
    word_card_of_the_day,
    word_dismiss,
    word_journal_count,
    word_use_deck,
    word_use_deck_hint,
    word_built_in_deck,
    word_deck_in_use,
    word_built_in_in_use,
    word_next_start,
    word_restart,
    word_deck_refused,
    word_not_deck_file,
    word_no_deck_file,
    word_no_storage,
    word_back_of_cards,
    word_book_title,
    word_book_subtitle,
    word_contents,
    word_count
};
struct CardWordText {
    CardWord word;    // its place in the table
    const char* key;  // "cards.search"
    const char* text; // "Search by name or meaning"
};
extern const CardWordText card_words[word_count];
inline const char* card_word(CardWord word) {
    return card_words[word].text;
}
// The name of a group (see card_group).
const char* group_name(int32_t group);

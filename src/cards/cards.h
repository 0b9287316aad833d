// cards.h -- the card library: a deck's faces and texts as the program's own decoders read
// them, search over the names and meanings, the card of the day, and the words the library
// shows in any of the program's languages. quarnel-cards and the web page's Cards panel are
// built on it.
//
// A layer above the program, as the tools are: it reads the program through its headers
// (core, graphics, reading) and never changes its state; the faces and texts come from files
// held in memory, never from the program's open files. Its words are rows of the program's
// words table (core/words.h), and each call that shows words takes the language to show them
// in (a LanguageId), never the running program's.

#pragma once
#include "core/geometry.h"
#include "core/words.h"
#include <initializer_list>
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
// or 0 with the reason in *fault, in `language`: the program's own message for a file its
// decoder refuses, or the shape a deck's sheet must have. *deck is changed only on success.
int read_card_faces(const uint8_t* sheet, size_t sheet_size, const uint8_t* palette,
                    size_t palette_size, int32_t language, CardDeck* deck, std::string* fault);
// Reads the 156 texts of a card text file (CardDB.dat) held in memory by the program's own
// record lookup, and checks that each lays out in the meaning window. Returns 1, or 0 with the
// reason, naming the card, in *fault, in `language`. *deck is changed only on success.
int read_card_texts(const char* file, size_t size, int32_t language, CardDeck* deck,
                    std::string* fault);
// The pixels of a frame (0 to 77 the faces, CARD_BACK the back) into out, row by row from the
// top, `channels` bytes each: 3 red, green, blue; 4 with an opaque alpha after them.
void face_pixels(const CardDeck& deck, int32_t frame, int32_t channels, uint8_t* out);

// "The Fool, upright": a record's card and orientation (2c card c upright, 2c + 1 reversed) in
// a language, as a text of that language opens.
std::string record_name(int32_t record, int32_t language);
// The sentence after a text's opening "Name, upright." in any of the languages (the whole text
// when it has no such opening): what a short note of the card says.
std::string first_sentence(const std::string& text, int32_t card);

// [SECTION] Groups

enum : int32_t { MAJOR_ARCANA_COUNT = 22, SUIT_CARDS = 14, CARD_GROUPS = 5 };
// 0 the Major Arcana, 1 Wands, 2 Cups, 3 Swords, 4 Pentacles.
int32_t card_group(int32_t card);
// The name of a group in a language ("Major Arcana", "Bastos"), as the words table gives it.
const char* group_name(int32_t group, int32_t language);

// [SECTION] Search

// Each card's words (its names in every language, their other names, both its texts), as
// folded_words gives them, sorted, once each.
struct CardIndex {
    std::vector<std::string> words[CARD_COUNT];
};
void index_cards(const CardDeck& deck, CardIndex* index);
// Marks in matches[card] the cards whose words begin with every word of the query (letters
// and digits; neither case nor accents matter), so that a word being typed already finds its
// cards. Returns how many match; an empty query matches every card.
int32_t search_cards(const CardIndex& index, const std::string& query, uint8_t* matches);

// [SECTION] The card of the day

// A dealt value (2c card c upright, 2c + 1 reversed) chosen from the date alone: within each
// run of 78 days from 1 January 1970 every card comes once, in an order drawn from the run's
// number, and never the same card two days running. -1 for a date that does not exist.
int32_t card_of_the_day(int32_t year, int32_t month, int32_t day);

// [SECTION] Words

// A placeholder of a row ("{file}") and what stands in its place.
struct Filling {
    const char* name; // "file"
    std::string text;
};
// A row of the words table in a language, each placeholder filled in.
std::string library_words(int32_t language, int32_t word,
                          std::initializer_list<Filling> fillings = {});

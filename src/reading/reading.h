// reading.h -- reading content: card text file and its layout, deck, questions, spreads and
// reveal, meaning-text scroller, per-position pages

#pragma once
#include "core/core.h"
#include "core/geometry.h"
#include "core/layout.h"

struct Picture;

// [SECTION] The readings

// Everything that tells one reading from another. Adding a reading is one entry here, with
// its entry's place on the main menu in the layout, and its art.
struct ReadingInfo {
    int32_t kind;                 // its ReadingKind, which is its screen id too: an id no
                                  // other screen uses
    LayoutId menu_place;          // its entry on the main menu, whose label is the reading's
                                  // name ("Love") on the menu, its title and in its text
    const wchar_t* title_picture; // "\title_love.nbf"
    int32_t card_count;           // 1 .. SPREAD_MAX positions
    const SpreadPoint* spread;    // top-left corner of each position's card
    int32_t thumbnails;           // 1 = the cards lie as one-third reductions, 0 = full size
    int32_t first_question;       // the words of position 0's question, the next positions'
                                  // following in the words table; word_none for no questions
};

enum : int32_t { READING_COUNT = 6 };
extern const ReadingInfo readings[READING_COUNT]; // in menu order

// The reading of a kind (or of a screen id), or null when it is no reading.
const ReadingInfo* reading_info(int32_t kind);

// [SECTION] Card text file

// Opens the card text file into state->card_db_file; 0 after its message.
int open_card_db(AppState* state, WindowHandle owner, const wchar_t* path);
// Closes it, once; nothing when it is not open.
void close_card_db(AppState* state);
// Loads record `record` and lays it out in 23-column rows. Returns the final text_length when
// the end of the text was found, 0 otherwise. The caller clears both text buffers first.
int32_t read_card_text(AppState* state, int32_t record);
// The layout read_card_text makes of a record: `held` bytes of it at text (more are read as
// zeros), `length` its whole byte count, into rows of TEXT_COLUMNS bytes at rows (capacity
// bytes, cleared by the caller; columns a row leaves unwritten keep their bytes). Returns the
// text length read_card_text stores (TEXT_COLUMNS x rows - 1; 165 for seven rows) when the end
// of the text was found, 0 when the record ran out, a word was longer than a row or the rows
// ran out first. Reads and writes nothing else.
int32_t lay_out_card_text(const char* text, int32_t held, int32_t length, char* rows,
                          int32_t capacity);
// Finds record `record` of a card text file held in memory (size bytes at file) by the lookup
// read_card_text makes in the open file: *text is its first byte, *length the byte count it
// lays out (the closing separator and the line end's LF left out) and *held the part of it
// the record buffer holds. Returns 1, or 0 when the file ends before the record does.
int find_card_record(const char* file, size_t size, int32_t record, const char** text,
                     int32_t* held, int32_t* length);
// Copies the bytes between the separators around record `record` of an open card text file
// into buffer, cut to capacity bytes, with the same lookup read_card_text uses. Touches no
// text buffer of AppState, reports nothing and never closes the file. Returns the bytes
// copied; 0 when the record cannot be read.
int32_t card_record(FileHandle file, int32_t record, char* buffer, int32_t capacity);

// [SECTION] The reading as text

// Writes the reading on screen as plain text into out (zero-terminated, cut to capacity):
// its name, then each spread position with its question, and the card's name, orientation
// and meaning once it is turned. Returns the length written; 0 and an empty text outside a
// reading. Reads the card text file through its own buffers: it changes nothing the program
// reads or draws. Call it between screen steps.
int32_t reading_text(const AppState* state, char* out, int32_t capacity);

// [SECTION] Deck

// Deals ten distinct cards into drawn_cards, seeded from the tick count.
void shuffle_deck(AppState* state);
// Brings the per-reading fields back to their defaults before a new deal.
void reset_deck(AppState* state);

// [SECTION] Questions

// Draws the question board and, when the current reading has questions, the question of
// position p over it; does not present.
void draw_question(int32_t position);
// The question text of a kind and position in the current language (UTF-8, pre-formatted for
// the board's rows of 37 characters), or null when there is none.
const char* question_text(int32_t kind, int32_t position);
// The same in a language (0 English, ...; platform.h's language numbers).
const char* question_text_in(int32_t language, int32_t kind, int32_t position);

// [SECTION] Spreads and reveal

// The title picture name of a reading kind ("\title_love.nbf"), or null for no reading.
const wchar_t* title_picture_name(int32_t kind);
// Number of positions of a reading kind (0 for no reading).
int32_t spread_size(int32_t kind);
// Draws the kind's title picture at the reading title's place.
void show_reading_title(int32_t kind);
// Lays the kind's spread out face down, sets reading_shown, presents.
void draw_spread(int32_t kind);
// Writes a one-third reduction of frame `index` of a strip into thumb; 0 when a buffer is
// missing.
int make_thumbnail(const uint8_t* source, Picture* thumb, int32_t frame_width, int32_t frame_height,
                   int32_t index, int32_t strip_width);
// The tap area of spread position p's card in the laid-out spread of this kind; 0 when the
// kind has no such position.
int spread_card_box(int32_t kind, int32_t position, HitBox* box);
// The spread position hit by the pending tap for this kind, or -1.
int32_t hit_spread_position(int32_t kind);
// Turns the card of position p face up and shows its meaning page.
void reveal_card(int32_t kind, int32_t position);

// [SECTION] Meaning-text scroller
// Its state is the card table's, in app_state->table.

// Shows (or scrolls) the meaning page of spread position p.
void show_meaning(int32_t position);
// 0 text only; 3 scroll bar, ball and text; 1 up one row, then 3; 2 down one row, then 3.
void draw_meaning_page(int32_t mode);
// Recomputes ball_step and ball_fraction from row_count and the visible rows.
void update_scroll_ball();
// Notes a tap on the scroll arrows while a reading's meaning page is up.
void press_scroll_arrows(AppState* state, int32_t x, int32_t y);

// [SECTION] Per-position pages

// A meaning page as it opens: its first rows, the ball at the top, the arrows live.
void set_fresh_page(AppState* state);
// Keeps the page on view as position p's, and brings position p's back (a fresh page when
// the position's view is marked fresh).
void save_reading_state(int32_t position);
void restore_reading_state(int32_t position);

// [SECTION] Lifetime

// Closes the card text file; the reading's state goes with the state record.
void reset_reading();

// reading.h -- reading content: card text file and its layout, deck, questions, spreads and
// reveal, meaning-text scroller, per-position pages

#pragma once
#include "shell/shell.h"
#include "reading/names.h"

// [SECTION] Card text file

enum : int32_t {
    RECORD_TEXT_SIZE = 700,
    WRAPPED_TEXT_SIZE = 1200,
    TEXT_COLUMNS = 23,
    TEXT_ROWS_MAX = 52
};

// Opens the card text file into state->card_db_file; 0 after its message.
int open_card_db(AppState* state, WindowHandle owner, const wchar_t* path);
// Loads record `record` and lays it out in 23-column rows. Returns the final text_length when
// the end of the text was found, 0 otherwise. The caller clears both text buffers first.
int32_t read_card_text(AppState* state, int32_t record);
// Copies the bytes between the separators around record `record` of an open card text file
// into buffer, cut to capacity bytes, with the same lookup read_card_text uses. Touches no
// text buffer of AppState, reports nothing and never closes the file. Returns the bytes
// copied; 0 when the record cannot be read.
int32_t card_record(FileHandle file, int32_t record, char* buffer, int32_t capacity);

// [SECTION] The reading as text

enum : int32_t { READING_TEXT_SIZE = 16384 }; // holds the text of any reading
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

// Draws the fontboard and the question of position p of the current love, business or money
// reading; does not present.
void draw_question(int32_t position);
// The question text of a kind and position, or null when there is none.
const char* question_text(int32_t kind, int32_t position);

// [SECTION] Spreads and reveal

struct SpreadPoint {
    int32_t x;
    int32_t y;
};

extern SpreadPoint spread_positions[10]; // top-left corners of the current spread's cards
extern int32_t last_position;            // spread position revealed most recently
extern int32_t turned_positions[10];     // 1 = face up; set by reveal_card, cleared by draw_spread

// The title picture name of a reading kind ("\title_love.nbf"), or null outside 2..7.
const wchar_t* title_picture_name(int32_t kind);
// Number of positions of a reading kind (0 outside 2..7).
int32_t spread_size(int32_t kind);
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

extern int32_t ball_y;        // y of the scroll ball; 67 at the top of a text
extern int32_t row_count;     // rows of the loaded text
extern int32_t ball_step;     // whole pixels the ball moves per row
extern int32_t ball_fraction; // hundredths of a pixel left over per row
extern int32_t ball_carry;    // running sum of hundredths

enum : int32_t { BALL_TOP = 67, BALL_TRAVEL = 57 };

// Shows (or scrolls) the meaning page of spread position p.
void show_meaning(int32_t position);
// 0 text only; 3 scroll bar, ball and text; 1 up one row, then 3; 2 down one row, then 3.
void draw_meaning_page(int32_t mode);
// Recomputes ball_step and ball_fraction from row_count and the visible rows.
void update_scroll_ball();

// [SECTION] Per-position pages

struct CardView {
    int32_t bottom_row;
    int32_t top_row;
    int32_t fresh;
    int32_t ball_y;
};

extern CardView card_views[10];

void save_reading_state(int32_t position);
void restore_reading_state(int32_t position);

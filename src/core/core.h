// core.h -- what every part of the program shares: the sizes, the screen and reading ids, the
// state record, tap areas, and the program-wide values with the data-file paths built from them
//
// Layers, lowest first: platform, core, graphics, reading, screens, shell. A file includes
// only its own layer and the ones below it (tests/checks/layers.sh).

#pragma once
#include "platform/platform.h"

// [SECTION] Sizes

enum : int32_t {
    SCREEN_WIDTH = 240,
    SCREEN_HEIGHT = 320,
    CARD_COUNT = 78,               // cards in the deck
    CARD_BACK = 78,                // frame of the card sheet that shows the back
    SPREAD_MAX = SCREEN_CARDS_MAX, // most cards a reading deals (10; the hosts' answer holds
                                   // as many)
    DEALT_VALUES = 2 * CARD_COUNT, // a dealt value is 2 x card + 1 when reversed
    RECORD_TEXT_SIZE = 700,        // longest raw card text record kept
    WRAPPED_TEXT_SIZE = 1200,      // that text laid out in rows
    TEXT_COLUMNS = 23,             // characters per row of the meaning window
    TEXT_ROWS_MAX = 52,            // rows wrapped_text can hold
    PATH_CHARS = 260,              // a data-file path, terminator included
};

// [SECTION] Ids

constexpr wchar_t PROGRAM_CLASS[] = L"Quarnel"; // the window's class and title
constexpr char PROGRAM_NAME[] = "Quarnel";      // the title screen's name, for hosts

// What AppState::screen holds: the reading kinds are screen ids too.
enum ScreenId : int32_t {
    screen_title = 1,
    screen_about = 8,
    screen_publisher = 10,
    screen_menu = 100,
};

enum ReadingKind : int32_t {
    kind_desire = 2,
    kind_today = 3,
    kind_past = 4,
    kind_love = 5,
    kind_business = 6,
    kind_money = 7,
};

// [SECTION] Application state

// The top-left corner of a card of a spread, display pixels.
struct SpreadPoint {
    int32_t x;
    int32_t y;
};

// Where the meaning page of a spread position was left, so that it comes back as it was.
struct CardView {
    int32_t bottom_row;
    int32_t top_row;
    int32_t fresh; // 1 = the page opens at the top with the ball at the top of its track
    int32_t ball_y;
};

// The card table of the reading on screen: the laid-out spread, which of its cards are face
// up, each position's page, and the meaning window's scroll ball.
struct TableState {
    SpreadPoint spread_positions[SPREAD_MAX]; // top-left corners of the spread's cards
    int32_t turned_positions[SPREAD_MAX];     // 1 = face up; set by reveal_card, cleared by
                                              // draw_spread
    int32_t last_position;                    // spread position revealed most recently
    CardView card_views[SPREAD_MAX];
    int32_t ball_y;        // y of the scroll ball; BALL_TOP at the top of a text
    int32_t row_count;     // rows of the loaded text
    int32_t ball_step;     // whole pixels the ball moves per row
    int32_t ball_fraction; // hundredths of a pixel left over per row
    int32_t ball_carry;    // running sum of hundredths
};

// The one record that carries the program's state from screen to screen.
struct AppState {
    int32_t deck_used[CARD_COUNT];        // 1 = card already drawn in the current deal
    int32_t drawn_cards[SPREAD_MAX];      // dealt values in spread-position order
    char record_text[RECORD_TEXT_SIZE];   // raw text record of the card whose meaning is loaded
    char wrapped_text[WRAPPED_TEXT_SIZE]; // that text laid out in rows of TEXT_COLUMNS
    int32_t tap_x;                        // last stylus tap, as delivered (0..65535)
    int32_t tap_y;
    int32_t screen;         // a ScreenId or a ReadingKind
    int32_t top_row;        // first row of wrapped_text in the scroll window
    int32_t bottom_row;     // last row of wrapped_text in the scroll window
    int32_t text_length;    // length of the loaded card text
    int32_t shown_position; // spread position whose text is in the buffers; -1 = none
    int32_t tap_pending;    // 1 = a tap waits to be consumed by a screen
    int32_t shuffling;      // 1 while the shuffle screen of a reading is up
    int32_t reading_shown;  // 1 while the spread is laid out on the card table
    int32_t scroll_up_pressed;
    int32_t scroll_down_pressed;
    int32_t scroller_active; // 1 = a meaning page is on screen and the arrows react
    int32_t deck_shuffled;   // 1 = the deck was shuffled on the current shuffle screen
    FileHandle card_db_file; // the open card text file; 0 when opening it failed
    int32_t publisher_page;  // 0 first publisher page, 1 second
    TableState table;
};

// Gives a new state record the values a run starts with (the title screen's own are set by
// start-up): no text loaded, the scroll ball at the top of its track.
void init_app_state(AppState* state);

// A tap area in display pixels; every bound is strict (left < x < right, top < y < bottom).
struct HitBox {
    int32_t left, right, top, bottom;
};

// 1 when (x, y) lies inside the box, bounds excluded.
int box_contains(const HitBox& box, int32_t x, int32_t y);

// [SECTION] Program-wide values (one instance each, for the whole run)

extern WindowHandle main_window;               // set by start_up; destroyed after any failed load
extern wchar_t install_dir[PATH_CHARS];        // set by read_install_dir; empty when missing
extern wchar_t path_buffer[PATH_CHARS];        // picture_path and sound_path build every path here
extern GXDisplayProperties display_properties; // set by start_up from the display
extern int32_t load_result;                    // result of the most recent picture or palette load
extern AppState* app_state;                    // created by create_objects

enum : uint32_t { INSTALL_DIR_MAX = 127 }; // longest install folder the registry may give

// [SECTION] Data-file paths and sounds

// Returns path_buffer holding install_dir + "\picture" + name; valid until the next call.
// A path that would not fit yields an empty string, which opens nothing.
const wchar_t* picture_path(const wchar_t* name);
// The same with "\sound".
const wchar_t* sound_path(const wchar_t* name);
// Starts the sound file asynchronously; the result is ignored.
void play_sound(const wchar_t* name);

// Frees the state record and clears the values above, as a new process would find them.
// The card text file must be closed first.
void reset_core();

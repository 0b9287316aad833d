// shell.h -- the application shell: start-up, window procedure, main loop, paths, sounds,
// shut-down, and the program-wide state record with the other program-wide values

#pragma once
#include "platform/platform.h"

struct Surface;
struct Palette;
struct Picture;

// [SECTION] Application state

// The one record that carries the program's state from screen to screen.
struct AppState {
    int32_t deck_used[78];   // 1 = card already drawn in the current deal
    int32_t drawn_cards[10]; // dealt values in spread-position order: 2 x card + reversed
    char record_text[700];   // raw text record of the card whose meaning is loaded
    char wrapped_text[1200]; // that text laid out in rows of 23 characters
    int32_t tap_x;           // last stylus tap, as delivered (0..65535)
    int32_t tap_y;
    int32_t screen;         // ScreenId: 1 title, 2..7 readings, 8 about, 10 publisher, 100 menu
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
};

// A tap area in display pixels; every bound is strict (left < x < right, top < y < bottom).
struct HitBox {
    int32_t left, right, top, bottom;
};

// The meaning window's scroll arrows, which the window procedure tests on a reading.
extern const HitBox scroll_up_box, scroll_down_box;

// [SECTION] Program-wide values (one instance each, for the whole run)

extern WindowHandle main_window; // set by start_up; destroyed after any failed load
extern wchar_t install_dir[260]; // set by read_install_dir; empty when the value is missing
extern wchar_t path_buffer[260]; // picture_path and sound_path build every path here
extern GXDisplayProperties display_properties; // set by start_up from the display
extern int32_t load_result;                    // result of the most recent picture or palette load
extern AppState* app_state;                    // created by create_objects
extern Surface* surface;                       // the back buffer, created by create_objects
extern Palette* palette;                       // the palette block, created by create_objects

enum : uint32_t { INSTALL_DIR_MAX = 127 }; // longest install folder the registry may give

// [SECTION] Operations

int app_main(intptr_t instance, intptr_t previous_instance, const wchar_t* command_line,
             int show_flag);
int start_up(intptr_t instance);
void register_window_class(intptr_t instance, const wchar_t* class_name);
int32_t window_procedure(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam);
void read_install_dir();
void create_objects();
// Returns path_buffer holding install_dir + "\picture" + name; valid until the next call.
// A path that would not fit yields an empty string, which opens nothing.
const wchar_t* picture_path(const wchar_t* name);
// The same with "\sound".
const wchar_t* sound_path(const wchar_t* name);
// Starts the sound file asynchronously; the result is ignored.
void play_sound(const wchar_t* name);
// Loads the named picture ("\menu.nbf") into work_picture, stores the result in load_result,
// destroys the main window when it failed, then draws work_picture at (x, y), plain.
void show_picture(const wchar_t* name, int32_t x, int32_t y);
// Closes the card file, the display, frees the work picture and back buffer, posts quit.
// Safe to call twice and before every object exists.
void shut_down();
// Frees every program-wide object (the process does this by ending); lets one process run
// the program several times, as the tests and the headless runner do.
void release_objects();

// screens.h -- the screen state machine: title, menu, readings, information pages

#pragma once
#include "core/core.h"
#include "core/layout.h"

// [SECTION] The screen on display

// Which screen is on display (for the keys and the hosts' questions); *page is the
// publisher page, 1 or 2, and 1 elsewhere.
ScreenKind current_screen(int32_t* page);

// [SECTION] Main menu

// The menu's entries after the readings' own (whose places the table of readings holds).
struct MenuItem {
    LayoutId place; // its tap area and pressed look
    const wchar_t* sound;
    int32_t action; // screen_about, screen_publisher, or 0 for exit
};
enum : int32_t { MENU_ITEM_COUNT = 3 };
// about tarot, publisher pages, exit
extern const MenuItem menu_items[MENU_ITEM_COUNT];

// [SECTION] Steps

// One step of the current screen; called whenever the message queue is empty.
void screen_step();
void reading_step(int32_t kind);
void about_step();
void publisher_step();
// Sound, the place's pressed look, present, 100 ms.
void button_feedback(const wchar_t* sound, LayoutId place);
// 1 when the pending tap's position lies in the place's tap area.
int tapped(LayoutId place);
// Switches to the reading and draws its shuffle screen.
void enter_reading(int32_t kind, const wchar_t* title_path);
void shuffle_screen_step(const wchar_t* title_path);
void show_card_table(const wchar_t* title_path);
void end_screen_step();
// Closes the card file, the display, frees the work picture and back buffer, posts quit.
// Safe to call twice and before every object exists.
void shut_down();
// Copies a title path into a fresh private buffer (the shared path buffer is overwritten by
// the next path); release it with release_memory. Null when it cannot be allocated.
wchar_t* copy_title_path(const wchar_t* title_path);

// screens.h -- the screen state machine: title, menu, readings, information pages

#pragma once
#include "shell/shell.h"

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

extern int32_t publisher_page; // 0 first publisher page, 1 second

// [SECTION] Buttons: the tap areas the screens test, which the keys aim at too

extern const HitBox title_start_box, title_exit_box;
extern const HitBox shuffle_back_box, shuffle_next_box, shuffle_deck_box;
extern const HitBox table_menu_box, table_exit_box;
extern const HitBox about_back_box;
extern const HitBox publisher_back_box, publisher_next_box;   // first publisher page
extern const HitBox publisher_back_box_2, publisher_menu_box; // second publisher page

struct MenuItem {
    HitBox box;
    const wchar_t* sound;
    const wchar_t* pressed_picture;
    int32_t x, y;
    int32_t action; // a reading kind, screen_about, screen_publisher, or 0 for exit
};
enum : int32_t { MENU_ITEM_COUNT = 9 };
// desire, today, past, love, business, money, about tarot, publisher pages, exit
extern const MenuItem menu_items[MENU_ITEM_COUNT];

// One step of the current screen; called whenever the message queue is empty.
void screen_step();
// Sound, pressed picture, present, 100 ms.
void button_feedback(const wchar_t* sound, const wchar_t* pressed_picture, int32_t x, int32_t y);
// Switches to the reading and draws its shuffle screen.
void enter_reading(int32_t kind, const wchar_t* title_path);
void shuffle_screen_step(const wchar_t* title_path);
void show_card_table(const wchar_t* title_path);
void end_screen_step();

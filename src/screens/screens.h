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

// One step of the current screen; called whenever the message queue is empty.
void screen_step();
// Sound, pressed picture, present, 100 ms.
void button_feedback(const wchar_t* sound, const wchar_t* pressed_picture, int32_t x, int32_t y);
// Switches to the reading and draws its shuffle screen.
void enter_reading(int32_t kind, const wchar_t* title_path);
void shuffle_screen_step(const wchar_t* title_path);
void show_card_table(const wchar_t* title_path);
void end_screen_step();

// screen_step.cpp -- the screen state machine, the title screen, the main menu and the
// button feedback every screen uses

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

static bool hit(const HitBox& box, int32_t x, int32_t y) {
    return box.left < x && x < box.right && box.top < y && y < box.bottom;
}

void button_feedback(const wchar_t* sound, const wchar_t* pressed_picture, int32_t x, int32_t y) {
    play_sound(sound);
    show_picture(pressed_picture, x, y);
    present_surface(surface, palette, &display_properties);
    sleep_ms(100);
}

// [SECTION] Title screen

const HitBox title_start_box = {173, 222, 273, 290};
const HitBox title_exit_box = {176, 219, 297, 312};

static void title_step() {
    AppState* s = app_state;
    if (s->shuffling == 1) { // back from a reading's shuffle screen
        s->shuffling = 0;
        s->tap_pending = 0;
        s->screen = screen_menu;
        show_picture(L"\\menu.nbf", 0, 0);
    }
    draw_picture(surface, 0, 0, work_picture, plain);
    present_surface(surface, palette, &display_properties);
    if (s->tap_pending != 1) return;
    if (hit(title_start_box, s->tap_x, s->tap_y)) {
        button_feedback(L"\\ico.wav", L"\\button_start_02.nbf", 164, 268);
        show_picture(L"\\menu.nbf", 0, 0);
        present_surface(surface, palette, &display_properties);
        s->screen = screen_menu;
        s->tap_pending = 0;
    } else if (hit(title_exit_box, s->tap_x, s->tap_y)) {
        button_feedback(L"\\end.wav", L"\\buttonexit03.nbf", 164, 292);
        shut_down();
    }
}

// [SECTION] Main menu

const MenuItem menu_items[MENU_ITEM_COUNT] = {
    {{85, 140, 111, 125}, L"\\ico.wav", L"\\menu_sub_desire2.nbf", 0, 107, kind_desire},
    {{92, 134, 130, 145}, L"\\ico.wav", L"\\menu_sub_today2.nbf", 0, 127, kind_today},
    {{50, 177, 149, 164}, L"\\ico.wav", L"\\menu_sub_past2.nbf", 0, 147, kind_past},
    {{101, 130, 171, 185}, L"\\ico.wav", L"\\menu_sub_love2.nbf", 0, 167, kind_love},
    {{87, 143, 191, 202}, L"\\ico.wav", L"\\menu_sub_business2.nbf", 0, 187, kind_business},
    {{88, 139, 211, 223}, L"\\ico.wav", L"\\menu_sub_money2.nbf", 0, 207, kind_money},
    {{38, 194, 232, 258}, L"\\main.wav", L"\\menu_sub_tarot2.nbf", 2, 232, screen_about},
    {{46, 190, 257, 285}, L"\\ico.wav", L"\\menu_sub_vorn2.nbf", 2, 257, screen_publisher},
    {{99, 137, 283, 316}, L"\\end.wav", L"\\menu_sub_exit2.nbf", 2, 283, 0},
};

static void menu_step() {
    AppState* s = app_state;
    if (s->tap_pending != 1 || s->shuffling != 0) return;
    reset_deck(s);
    shuffle_deck(s);
    for (const MenuItem& item : menu_items) {
        if (!hit(item.box, s->tap_x, s->tap_y)) continue;
        button_feedback(item.sound, item.pressed_picture, item.x, item.y);
        if (item.action >= kind_desire && item.action <= kind_money) {
            enter_reading(item.action, picture_path(title_picture_name(item.action)));
        } else if (item.action == 0) {
            shut_down();
        } else {
            s->tap_pending = 0;
            s->screen = item.action;
        }
        return;
    }
}

// [SECTION] Dispatcher

void reading_step(int32_t kind);
void about_step();
void publisher_step();

void screen_step() {
    if (!app_state) return;
    int32_t screen = app_state->screen;
    if (screen == screen_title)
        title_step();
    else if (screen >= kind_desire && screen <= kind_money)
        reading_step(screen);
    else if (screen == screen_about)
        about_step();
    else if (screen == screen_publisher)
        publisher_step();
    else if (screen == screen_menu)
        menu_step();
}

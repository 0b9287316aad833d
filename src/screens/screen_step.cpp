// screen_step.cpp -- the screen state machine, the title screen, the main menu and the
// button feedback every screen uses

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

int tapped(LayoutId place) {
    return box_contains(screen_layout[place].tap, app_state->tap_x, app_state->tap_y);
}

void button_feedback(const wchar_t* sound, LayoutId place) {
    play_sound(sound);
    show_pressed(place);
    present_screen();
    sleep_ms(100);
}

// [SECTION] Title screen

static void title_step() {
    AppState* s = app_state;
    if (s->shuffling == 1) { // back from a reading's shuffle screen
        s->shuffling = 0;
        s->tap_pending = 0;
        s->screen = screen_menu;
        show_place(place_menu);
    }
    // Whatever work_picture holds: the title, loaded at start-up, or the menu just shown.
    draw_picture(surface, screen_layout[place_title].x, screen_layout[place_title].y, work_picture,
                 plain);
    present_screen();
    if (s->tap_pending != 1) return;
    if (tapped(place_title_start)) {
        button_feedback(L"\\ico.wav", place_title_start);
        show_place(place_menu);
        present_screen();
        s->screen = screen_menu;
        s->tap_pending = 0;
    } else if (tapped(place_title_exit)) {
        button_feedback(L"\\end.wav", place_title_exit);
        shut_down();
    }
}

// [SECTION] Main menu

const MenuItem menu_items[MENU_ITEM_COUNT] = {
    {place_menu_about, L"\\main.wav", screen_about},
    {place_menu_publisher, L"\\ico.wav", screen_publisher},
    {place_menu_exit, L"\\end.wav", 0},
};

static void menu_step() {
    AppState* s = app_state;
    if (s->tap_pending != 1 || s->shuffling != 0) return;
    reset_deck(s);
    shuffle_deck(s);
    for (const ReadingInfo& reading : readings) {
        if (!tapped(reading.menu_place)) continue;
        button_feedback(L"\\ico.wav", reading.menu_place);
        enter_reading(reading.kind, picture_path(reading.title_picture));
        return;
    }
    for (const MenuItem& item : menu_items) {
        if (!tapped(item.place)) continue;
        button_feedback(item.sound, item.place);
        if (item.action == 0) {
            shut_down();
        } else {
            s->tap_pending = 0;
            s->screen = item.action;
        }
        return;
    }
}

// [SECTION] Dispatcher

void screen_step() {
    if (!app_state) return;
    int32_t screen = app_state->screen;
    if (screen == screen_title)
        title_step();
    else if (reading_info(screen))
        reading_step(screen);
    else if (screen == screen_about)
        about_step();
    else if (screen == screen_publisher)
        publisher_step();
    else if (screen == screen_menu)
        menu_step();
}

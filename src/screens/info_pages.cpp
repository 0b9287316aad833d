// info_pages.cpp -- the about-tarot page and the two publisher pages

#include "screens/screens.h"
#include "graphics/graphics.h"

int32_t publisher_page = 0;

const HitBox about_back_box = {96, 149, 296, 311};
const HitBox publisher_back_box = {17, 70, 297, 314};
const HitBox publisher_next_box = {168, 218, 299, 313};
const HitBox publisher_back_box_2 = {23, 76, 298, 314};
const HitBox publisher_menu_box = {168, 218, 299, 316};

static bool inside(int32_t x, int32_t y, const HitBox& b) {
    return b.left < x && x < b.right && b.top < y && y < b.bottom;
}

static void present() {
    present_surface(surface, palette, &display_properties);
}

// Back to the main menu; Back buttons play the start sound just before the menu shows.
static void return_to_menu(bool start_sound) {
    AppState* s = app_state;
    s->shuffling = 0;
    s->tap_pending = 0;
    s->screen = screen_menu;
    if (start_sound) play_sound(L"\\start.WAV");
    show_picture(L"\\menu.nbf", 0, 0);
    present();
}

void about_step() {
    AppState* s = app_state;
    show_picture(L"\\abouttarot.nbf", 0, 0);
    present();
    // The stored position is tested without looking at tap_pending: the menu tap that led
    // here lies outside the Back button.
    if (inside(s->tap_x, s->tap_y, about_back_box)) {
        button_feedback(L"\\ico.wav", L"\\button_back_02.nbf", 87, 291);
        return_to_menu(true);
    }
}

void publisher_step() {
    AppState* s = app_state;
    if (publisher_page == 0) {
        show_picture(L"\\vorngame01.nbf", 0, 0);
        present();
        if (s->tap_pending == 1) {
            if (inside(s->tap_x, s->tap_y, publisher_back_box)) {
                button_feedback(L"\\ico.wav", L"\\button_back_02.nbf", 9, 294);
                return_to_menu(true);
            } else if (inside(s->tap_x, s->tap_y, publisher_next_box)) {
                button_feedback(L"\\ico.wav", L"\\button_next_02.nbf", 156, 293);
                publisher_page = 1;
            }
        }
        s->tap_x = 0;
        s->tap_y = 0;
        s->tap_pending = 0;
    } else if (publisher_page == 1) {
        show_picture(L"\\vorngame02.nbf", 0, 0);
        present();
        if (inside(s->tap_x, s->tap_y, publisher_back_box_2)) {
            button_feedback(L"\\ico.wav", L"\\button_back_02.nbf", 14, 294);
            publisher_page = 0;
            s->tap_pending = 0;
        } else if (inside(s->tap_x, s->tap_y, publisher_menu_box)) {
            play_sound(L"\\ico.wav");
            play_sound(L"\\start.WAV");
            show_picture(L"\\button_menu_02.nbf", 158, 294);
            present();
            sleep_ms(100);
            publisher_page = 0;
            return_to_menu(false);
        }
    }
}

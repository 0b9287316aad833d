// info_pages.cpp -- the about-tarot page and the two publisher pages

#include "screens/screens.h"
#include "graphics/graphics.h"

// Back to the main menu; Back buttons play the start sound just before the menu shows.
static void return_to_menu(bool start_sound) {
    AppState* s = app_state;
    s->shuffling = 0;
    s->tap_pending = 0;
    s->screen = screen_menu;
    if (start_sound) play_sound(L"\\start.WAV");
    show_place(place_menu);
    present_screen();
}

void about_step() {
    show_place(place_about);
    present_screen();
    // The stored position is tested without looking at tap_pending: the menu tap that led
    // here lies outside the Back button.
    if (tapped(place_about_back)) {
        button_feedback(L"\\ico.wav", place_about_back);
        return_to_menu(true);
    }
}

void publisher_step() {
    AppState* s = app_state;
    if (s->publisher_page == 0) {
        show_place(place_publisher_1);
        present_screen();
        if (s->tap_pending == 1) {
            if (tapped(place_publisher_1_back)) {
                button_feedback(L"\\ico.wav", place_publisher_1_back);
                return_to_menu(true);
            } else if (tapped(place_publisher_1_next)) {
                button_feedback(L"\\ico.wav", place_publisher_1_next);
                s->publisher_page = 1;
            }
        }
        s->tap_x = 0;
        s->tap_y = 0;
        s->tap_pending = 0;
    } else if (s->publisher_page == 1) {
        show_place(place_publisher_2);
        present_screen();
        if (tapped(place_publisher_2_back)) {
            button_feedback(L"\\ico.wav", place_publisher_2_back);
            s->publisher_page = 0;
            s->tap_pending = 0;
        } else if (tapped(place_publisher_2_menu)) {
            play_sound(L"\\ico.wav");
            play_sound(L"\\start.WAV");
            show_pressed(place_publisher_2_menu);
            present_screen();
            sleep_ms(100);
            s->publisher_page = 0;
            return_to_menu(false);
        }
    }
}

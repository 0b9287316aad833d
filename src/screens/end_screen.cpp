// end_screen.cpp -- the card table's Menu and Exit buttons, the closing sequence, and the
// shut-down that every way out of the program ends in

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

void end_screen_step() {
    AppState* s = app_state;
    if (tapped(place_table_menu)) {
        play_sound(L"\\ico.wav");
        show_pressed(place_table_menu);
        present_screen();
        sleep_ms(100);
        play_sound(L"\\start.WAV");
        show_place(place_menu);
        present_screen();
        s->screen = screen_menu;
        s->tap_pending = 0;
        s->reading_shown = 0;
    } else if (tapped(place_table_exit)) { // the publisher pages, then the end
        play_sound(L"\\ico.wav");
        show_pressed(place_table_exit);
        present_screen();
        sleep_ms(100);
        play_sound(L"\\start.wav");
        clear_surface(surface, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0);
        show_place(place_farewell_1);
        present_screen();
        sleep_ms(5000);
        show_place(place_farewell_2);
        present_screen();
        sleep_ms(5000);
        play_sound(L"\\end.wav");
        shut_down();
    }
}

// [SECTION] Shut-down

void shut_down() {
    close_card_db(app_state);
    GXCloseInput();
    GXCloseDisplay();
    if (work_picture) release_picture(work_picture);
    if (surface) release_surface(surface);
    post_quit_message(0);
}

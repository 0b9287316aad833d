// end_screen.cpp -- the card table's Menu and Exit buttons, and the closing sequence

#include "screens/screens.h"
#include "graphics/graphics.h"

const HitBox table_menu_box = {220, 240, 270, 320};
const HitBox table_exit_box = {0, 20, 270, 320};

static bool inside(int32_t x, int32_t y, const HitBox& b) {
    return b.left < x && x < b.right && b.top < y && y < b.bottom;
}

void end_screen_step() {
    AppState* s = app_state;
    int32_t x = s->tap_x, y = s->tap_y;
    if (inside(x, y, table_menu_box)) { // Menu
        play_sound(L"\\ico.wav");
        show_picture(L"\\newmenu02.nbf", 220, 270);
        present_surface(surface, palette, &display_properties);
        sleep_ms(100);
        play_sound(L"\\start.WAV");
        show_picture(L"\\menu.nbf", 0, 0);
        present_surface(surface, palette, &display_properties);
        s->screen = screen_menu;
        s->tap_pending = 0;
        s->reading_shown = 0;
    } else if (inside(x, y, table_exit_box)) { // Exit: the publisher pages, then the end
        play_sound(L"\\ico.wav");
        show_picture(L"\\newexit02.nbf", 0, 270);
        present_surface(surface, palette, &display_properties);
        sleep_ms(100);
        play_sound(L"\\start.wav");
        clear_surface(surface, 0, 0, 240, 320, 0);
        show_picture(L"\\vorngame01.nbf", 0, 25);
        present_surface(surface, palette, &display_properties);
        sleep_ms(5000);
        show_picture(L"\\vorngame02.nbf", 0, 25);
        present_surface(surface, palette, &display_properties);
        sleep_ms(5000);
        play_sound(L"\\end.wav");
        shut_down();
    }
}

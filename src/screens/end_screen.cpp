// end_screen.cpp -- the card table's Menu and Exit buttons, and the closing sequence

#include "screens/screens.h"
#include "graphics/graphics.h"

void end_screen_step() {
    AppState* s = app_state;
    int32_t x = s->tap_x, y = s->tap_y;
    if (y <= 270 || y >= 320) return;
    if (x > 220 && x < 240) { // Menu
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
    } else if (x > 0 && x < 20) { // Exit: the publisher pages, then the end
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

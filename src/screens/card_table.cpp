// card_table.cpp -- the card table on which a reading's spread is laid, read and left

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

void show_picture_at_path(const wchar_t* path, int32_t x, int32_t y);

void show_card_table(const wchar_t* title_path) {
    clear_surface(surface, 5, 50, 235, 150, 0);
    draw_picture(surface, 0, 0, frame_picture, plain);
    show_picture(L"\\frame_scroll_01.nbf", 224, 48);
    show_picture(L"\\table.nbf", 0, 173);
    show_picture_at_path(title_path, 38, 12);
    show_picture(L"\\newexit.nbf", 0, 270);
    show_picture(L"\\newmenu.nbf", 220, 270);
    present_surface(surface, palette, &display_properties);
    app_state->tap_pending = 0;
    for (CardView& view : card_views) view.fresh = 1;
}

// card_table.cpp -- the card table on which a reading's spread is laid, read and left

#include "screens/screens.h"
#include "graphics/graphics.h"
#include "reading/reading.h"

void show_card_table(const wchar_t* title_path) {
    clear_area(CARD_TABLE_TOP);
    draw_title_frame();
    show_place(place_scroll_bar);
    show_place(place_card_table);
    show_picture_at_path(title_path, screen_layout[place_reading_title].x,
                         screen_layout[place_reading_title].y);
    show_place(place_table_exit);
    show_place(place_table_menu);
    present_screen();
    app_state->tap_pending = 0;
    for (CardView& view : app_state->table.card_views) view.fresh = 1;
}

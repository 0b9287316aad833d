// layout.h -- where every picture with a fixed place goes, and every button's tap area and
// pressed look: the one table the screens, the install-folder generator and the tests read
//
// Moving a button is one edit here (and its art, which the generator draws from this table
// where it can).

#pragma once
#include "core/core.h"
#include "core/words.h"

// [SECTION] Places

enum LayoutId : int32_t {
    // title screen
    place_title,
    place_title_start,
    place_title_exit,
    // main menu: the readings in menu order, then the other entries
    place_menu,
    place_menu_desire,
    place_menu_today,
    place_menu_past,
    place_menu_love,
    place_menu_business,
    place_menu_money,
    place_menu_about,
    place_menu_publisher,
    place_menu_exit,
    // every reading: the frame with its title, the shuffle screen
    place_frame,
    place_reading_title,
    place_shuffle_text,
    place_shuffle_table,
    place_shuffle_deck,
    place_shuffle_animation,
    place_shuffle_pop,
    place_shuffle_back,
    place_shuffle_next,
    // the card table
    place_card_table,
    place_enlarged_card,
    place_question_board,
    place_scroll_bar,
    place_scroll_up,
    place_scroll_down,
    place_table_exit,
    place_table_menu,
    // the about page and the publisher pages
    place_about,
    place_about_back,
    place_publisher_1,
    place_publisher_1_back,
    place_publisher_1_next,
    place_publisher_2,
    place_publisher_2_back,
    place_publisher_2_menu,
    // the closing pages after Exit on the card table
    place_farewell_1,
    place_farewell_2,
    PLACE_COUNT
};

struct LayoutEntry {
    const char* name;       // for people: logs, test messages, the generator
    WordId label;           // the words on a button, as the generator draws them and hosts
                            // name it ("Start", "About Tarot"); a reading's entry on the menu
                            // is labelled with the reading's name; word_none when no button
    const wchar_t* picture; // drawn with its top-left corner at (x, y); null when the place
                            // is part of a larger picture or its picture is chosen at run time
    int32_t x, y;
    HitBox tap;             // the tap area; all zero when the place is not tapped
    const wchar_t* pressed; // the pressed look, drawn at (pressed_x, pressed_y); or null
    int32_t pressed_x, pressed_y;
};

extern const LayoutEntry screen_layout[PLACE_COUNT];

// 1 when the place has a tap area.
int is_tappable(LayoutId place);
// The words on a place's button in the current language; null when it is no button.
const char* place_label(LayoutId place);

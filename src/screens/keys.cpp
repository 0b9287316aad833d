// keys.cpp -- what each key does on each screen: the tap on the button it stands for, so a key
// does exactly what that tap does (sound, pressed picture, state change)

#include "screens/screens.h"
#include "reading/reading.h"

namespace {

// [SECTION] Which screen the keys act on

enum KeyScreen {
    on_none,
    on_title,
    on_menu,
    on_shuffle,
    on_table,
    on_about,
    on_publisher_1,
    on_publisher_2
};

KeyScreen key_screen() {
    int32_t page = 1;
    switch (current_screen(&page)) {
    case SCREEN_TITLE:
        return on_title;
    case SCREEN_MENU:
        return on_menu;
    case SCREEN_ABOUT:
        return on_about;
    case SCREEN_PUBLISHER:
        return page == 1 ? on_publisher_1 : on_publisher_2;
    case SCREEN_SHUFFLE:
        return on_shuffle;
    case SCREEN_CARD_TABLE:
        return on_table;
    default:
        return on_none;
    }
}

// [SECTION] Keys that press a button

struct KeyButton {
    KeyScreen on;
    int32_t key;
    LayoutId place;
};

const KeyButton KEY_BUTTONS[] = {
    {on_title, KEY_ENTER, place_title_start},
    {on_title, KEY_SPACE, place_title_start},
    {on_title, KEY_ESCAPE, place_title_exit},
    // 1 to 6 are the readings, in menu order (key_tap_point)
    {on_menu, KEY_0 + 7, place_menu_about},
    {on_menu, KEY_0 + 8, place_menu_publisher},
    {on_menu, KEY_0 + 9, place_menu_exit},
    {on_menu, KEY_ESCAPE, place_menu_exit},
    {on_shuffle, KEY_SPACE, place_shuffle_deck},
    {on_shuffle, KEY_ENTER, place_shuffle_next},
    {on_shuffle, KEY_RIGHT, place_shuffle_next},
    {on_shuffle, KEY_ESCAPE, place_shuffle_back},
    {on_shuffle, KEY_BACKSPACE, place_shuffle_back},
    {on_shuffle, KEY_LEFT, place_shuffle_back},
    {on_table, KEY_ESCAPE, place_table_menu},
    {on_table, KEY_BACKSPACE, place_table_menu},
    {on_about, KEY_ESCAPE, place_about_back},
    {on_about, KEY_BACKSPACE, place_about_back},
    {on_about, KEY_ENTER, place_about_back},
    {on_publisher_1, KEY_ESCAPE, place_publisher_1_back},
    {on_publisher_1, KEY_BACKSPACE, place_publisher_1_back},
    {on_publisher_1, KEY_LEFT, place_publisher_1_back},
    {on_publisher_1, KEY_ENTER, place_publisher_1_next},
    {on_publisher_1, KEY_SPACE, place_publisher_1_next},
    {on_publisher_1, KEY_RIGHT, place_publisher_1_next},
    {on_publisher_2, KEY_ESCAPE, place_publisher_2_back},
    {on_publisher_2, KEY_BACKSPACE, place_publisher_2_back},
    {on_publisher_2, KEY_LEFT, place_publisher_2_back},
    {on_publisher_2, KEY_ENTER, place_publisher_2_menu},
    {on_publisher_2, KEY_SPACE, place_publisher_2_menu},
};

// The middle of a tap area, strictly inside it.
void centre(const HitBox& box, int32_t* x, int32_t* y) {
    *x = (box.left + box.right) / 2;
    *y = (box.top + box.bottom) / 2;
}

// [SECTION] The card table: a highlight over the spread, the scroll arrows

int table_key(int32_t key, int32_t* highlight, int32_t* x, int32_t* y) {
    const AppState* s = app_state;
    const int32_t kind = s->screen;
    const int32_t count = spread_size(kind);
    int32_t h = *highlight >= 0 && *highlight < count ? *highlight : -1;
    const bool meaning_shown = s->scroller_active == 1;
    if ((key == KEY_UP || key == KEY_PAGE_UP) && meaning_shown) {
        centre(screen_layout[place_scroll_up].tap, x, y);
        return 1;
    }
    if ((key == KEY_DOWN || key == KEY_PAGE_DOWN) && meaning_shown) {
        centre(screen_layout[place_scroll_down].tap, x, y);
        return 1;
    }
    int32_t turn = -1; // the position whose card the key turns
    switch (key) {
    case KEY_RIGHT:
    case KEY_DOWN:
    case KEY_TAB:
        h = h < 0 ? 0 : (h + 1) % count;
        break;
    case KEY_LEFT:
    case KEY_UP:
    case KEY_BACK_TAB:
        h = h < 0 ? count - 1 : (h + count - 1) % count;
        break;
    case KEY_HOME:
        h = 0;
        break;
    case KEY_END:
        h = count - 1;
        break;
    case KEY_ENTER:
    case KEY_SPACE:
        turn = h = h < 0 ? 0 : h;
        break;
    default:
        if (key >= KEY_0 && key <= KEY_9) { // 1 to 9 the first nine cards, 0 the tenth
            int32_t p = key == KEY_0 ? 9 : key - KEY_0 - 1;
            if (p < count) turn = h = p;
        }
        break;
    }
    *highlight = h;
    HitBox box;
    if (turn < 0 || !spread_card_box(kind, turn, &box)) return 0;
    centre(box, x, y);
    return 1;
}

} // namespace

// [SECTION] The back ends' questions

int key_tap_point(int32_t key, int32_t* highlight, int32_t* x, int32_t* y) {
    KeyScreen on = key_screen();
    if (on != on_table) *highlight = -1;
    if (on == on_none) return 0;
    if (on == on_table && table_key(key, highlight, x, y)) return 1;
    if (on == on_menu && key > KEY_0 && key <= KEY_0 + READING_COUNT) {
        centre(screen_layout[readings[key - KEY_0 - 1].menu_place].tap, x, y);
        return 1;
    }
    for (const KeyButton& b : KEY_BUTTONS) {
        if (b.on != on || b.key != key) continue;
        centre(screen_layout[b.place].tap, x, y);
        return 1;
    }
    return 0;
}

int key_highlight_rect(int32_t* highlight, int32_t* x, int32_t* y, int32_t* width,
                       int32_t* height) {
    HitBox box;
    if (*highlight < 0 || key_screen() != on_table ||
        !spread_card_box(app_state->screen, *highlight, &box)) {
        *highlight = -1;
        return 0;
    }
    *x = box.left;
    *y = box.top;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return 1;
}

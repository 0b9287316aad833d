// screen_info.cpp -- what is on screen, as the program answers its hosts: the screen, its
// buttons by their labels from the layout table, the reading's spread and which cards are
// turned, and the reading as text

#include "screens/screens.h"
#include "reading/reading.h"

#include <cstring>

// [SECTION] The screen

ScreenKind current_screen(int32_t* page) {
    const AppState* s = app_state;
    *page = 1;
    if (!s) return SCREEN_NONE;
    switch (s->screen) {
    case screen_title:
        return SCREEN_TITLE;
    case screen_menu:
        return SCREEN_MENU;
    case screen_about:
        return SCREEN_ABOUT;
    case screen_publisher:
        *page = s->publisher_page == 0 ? 1 : 2;
        return SCREEN_PUBLISHER;
    default:
        break;
    }
    if (!reading_info(s->screen)) return SCREEN_NONE;
    if (s->shuffling == 1) return SCREEN_SHUFFLE;
    if (s->reading_shown == 1) return SCREEN_CARD_TABLE;
    return SCREEN_READING;
}

// [SECTION] Buttons

namespace {

// The buttons of each screen, in the order a person meets them; a card table's cards and
// arrows come from its state.
const LayoutId title_buttons[] = {place_title_start, place_title_exit};
const LayoutId shuffle_buttons[] = {place_shuffle_deck, place_shuffle_next, place_shuffle_back};
const LayoutId table_buttons[] = {place_table_exit, place_table_menu};
const LayoutId about_buttons[] = {place_about_back};
const LayoutId publisher_1_buttons[] = {place_publisher_1_back, place_publisher_1_next};
const LayoutId publisher_2_buttons[] = {place_publisher_2_back, place_publisher_2_menu};

void add_button(ScreenInfo* info, const char* label, int32_t role, int32_t position,
                const HitBox& box) {
    if (info->button_count >= SCREEN_BUTTONS_MAX) return;
    ScreenButton& b = info->buttons[info->button_count++];
    b.label = label;
    b.role = role;
    b.position = position;
    b.x = box.left;
    b.y = box.top;
    b.width = box.right - box.left;
    b.height = box.bottom - box.top;
}

void add_place(ScreenInfo* info, LayoutId place, int32_t role = BUTTON_PLAIN) {
    add_button(info, place_label(place), role, -1, screen_layout[place].tap);
}

template <size_t N> void add_places(ScreenInfo* info, const LayoutId (&places)[N]) {
    for (LayoutId place : places) add_place(info, place);
}

void add_menu(ScreenInfo* info) {
    for (const ReadingInfo& r : readings) add_place(info, r.menu_place);
    for (const MenuItem& item : menu_items) add_place(info, item.place);
}

void add_card_table(ScreenInfo* info) {
    const AppState* s = app_state;
    const int32_t kind = s->screen;
    const TableState& table = s->table;
    info->card_count = spread_size(kind);
    for (int32_t p = 0; p < info->card_count; ++p) {
        const int32_t value = s->drawn_cards[p];
        const int valid = value >= 0 && value < DEALT_VALUES;
        info->cards[p] = valid ? value / 2 : -1;
        info->reversed[p] = valid ? value % 2 : 0;
        info->turned[p] = table.turned_positions[p] == 1;
        info->turned_count += info->turned[p];
        HitBox box;
        if (spread_card_box(kind, p, &box)) add_button(info, nullptr, BUTTON_CARD, p, box);
    }
    if (info->meaning_shown) {
        add_place(info, place_scroll_up, BUTTON_SCROLL);
        add_place(info, place_scroll_down, BUTTON_SCROLL);
    }
    add_places(info, table_buttons);
}

} // namespace

// [SECTION] The answers

int screen_info(ScreenInfo* info) {
    std::memset(info, 0, sizeof *info);
    info->kind = current_screen(&info->page);
    info->page_count = info->kind == SCREEN_PUBLISHER ? 2 : 1;
    info->name = "";
    const AppState* s = app_state;
    if (!s) return 1;
    info->texts_open = s->card_db_file != 0;
    switch (info->kind) {
    case SCREEN_TITLE:
        info->name = PROGRAM_NAME;
        add_places(info, title_buttons);
        break;
    case SCREEN_MENU:
        info->name = place_label(place_table_menu);
        add_menu(info);
        break;
    case SCREEN_ABOUT:
        info->name = place_label(place_menu_about);
        add_places(info, about_buttons);
        break;
    case SCREEN_PUBLISHER:
        info->name = place_label(place_menu_publisher);
        if (info->page == 1)
            add_places(info, publisher_1_buttons);
        else
            add_places(info, publisher_2_buttons);
        break;
    case SCREEN_SHUFFLE:
    case SCREEN_CARD_TABLE:
    case SCREEN_READING:
        info->name = reading_name(s->screen);
        info->reading = s->screen;
        info->deck_shuffled = info->kind == SCREEN_SHUFFLE && s->deck_shuffled == 1;
        info->meaning_shown = info->kind == SCREEN_CARD_TABLE && s->scroller_active == 1;
        if (info->kind == SCREEN_SHUFFLE) add_places(info, shuffle_buttons);
        if (info->kind == SCREEN_CARD_TABLE) add_card_table(info);
        break;
    case SCREEN_NONE:
        break;
    }
    return 1;
}

uint32_t screen_version() {
    // A hash of the whole answer (its strings are the program's tables, so their addresses
    // stand for them): the record is cleared before it is filled, padding included.
    ScreenInfo info;
    screen_info(&info);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&info);
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < sizeof info; ++i) hash = (hash ^ bytes[i]) * 16777619u;
    return hash;
}

int32_t screen_reading_text(char* out, int32_t capacity) {
    return reading_text(app_state, out, capacity);
}

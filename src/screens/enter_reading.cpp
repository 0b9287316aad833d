// enter_reading.cpp -- switching to a reading and drawing its shuffle screen

#include "screens/screens.h"
#include "graphics/graphics.h"
#include <cwchar>

// The copy holds any path picture_path can build, so a long install folder still finds its
// titles.
wchar_t* copy_title_path(const wchar_t* title_path) {
    const size_t capacity = sizeof path_buffer / sizeof path_buffer[0];
    wchar_t* copy = static_cast<wchar_t*>(allocate_memory(capacity * sizeof(wchar_t)));
    if (!copy) return nullptr;
    size_t n = title_path ? std::wcslen(title_path) : 0;
    if (n >= capacity) n = 0; // not a path of ours: an empty path, which opens nothing
    if (n) std::wmemcpy(copy, title_path, n);
    copy[n] = 0;
    return copy;
}

void enter_reading(int32_t kind, const wchar_t* title_path) {
    wchar_t* title = copy_title_path(title_path);
    AppState* s = app_state;
    s->shuffling = 1;
    s->screen = kind;
    s->tap_pending = 0;
    clear_surface(surface, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, 0);
    show_place(place_shuffle_text);
    draw_title_frame();
    show_place(place_shuffle_table);
    show_picture_at_path(title, screen_layout[place_reading_title].x,
                         screen_layout[place_reading_title].y);
    show_place(place_shuffle_deck);
    show_place(place_shuffle_back);
    show_place(place_shuffle_next);
    release_memory(title);
    present_screen();
}

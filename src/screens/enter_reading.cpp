// enter_reading.cpp -- switching to a reading and drawing its shuffle screen

#include "screens/screens.h"
#include "graphics/graphics.h"
#include <cwchar>

// Copies a title path into a fresh private buffer (the shared path buffer is overwritten by
// the next path). The copy holds any path picture_path can build, so a long install folder
// still finds its titles. Returns null when the copy cannot be allocated.
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

// Loads a picture from a full path into work_picture and draws it, as show_picture does.
void show_picture_at_path(const wchar_t* path, int32_t x, int32_t y) {
    load_result = path ? load_picture(work_picture, path) : 0;
    if (!load_result) destroy_window(main_window);
    draw_picture(surface, x, y, work_picture, plain);
}

void enter_reading(int32_t kind, const wchar_t* title_path) {
    wchar_t* title = copy_title_path(title_path);
    AppState* s = app_state;
    s->shuffling = 1;
    s->screen = kind;
    s->tap_pending = 0;
    clear_surface(surface, 0, 0, 240, 320, 0);
    show_picture(L"\\shuffletext.nbf", 40, 80);
    draw_picture(surface, 0, 0, frame_picture, plain);
    show_picture(L"\\shuffletable.nbf", 0, 256);
    show_picture_at_path(title, 38, 12);
    show_picture(L"\\shuffle_01.nbf", 88, 175);
    show_picture(L"\\newback.nbf", 0, 270);
    show_picture(L"\\newnext.nbf", 220, 270);
    release_memory(title);
    present_surface(surface, palette, &display_properties);
}

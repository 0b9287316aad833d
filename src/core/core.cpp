// core.cpp -- the program-wide values, tap areas, and data-file paths from the install folder

#include "core/core.h"
#include "core/geometry.h"
#include "core/words.h"
#include <cwchar>

// [SECTION] Program-wide values

WindowHandle main_window = 0;
wchar_t install_dir[PATH_CHARS];
wchar_t path_buffer[PATH_CHARS];
GXDisplayProperties display_properties;
int32_t load_result = 0;
AppState* app_state = nullptr;

void reset_core() {
    release_memory(app_state);
    app_state = nullptr;
    main_window = 0;
    install_dir[0] = 0;
    path_buffer[0] = 0;
    load_result = 0;
    display_properties = GXDisplayProperties{};
    current_language = language_en;
}

void init_app_state(AppState* state) {
    state->bottom_row = 3;
    state->shown_position = -1;
    state->table.ball_y = BALL_TOP;
}

int box_contains(const HitBox& box, int32_t x, int32_t y) {
    return box.left < x && x < box.right && box.top < y && y < box.bottom;
}

// [SECTION] Paths

// Builds install_dir + folder + name in path_buffer; never writes past it. A path that would
// not fit leaves an empty string, which opens nothing.
static const wchar_t* build_path(const wchar_t* folder, const wchar_t* name) {
    const size_t capacity = sizeof path_buffer / sizeof path_buffer[0];
    size_t dir = std::wcslen(install_dir), sub = std::wcslen(folder), file = std::wcslen(name);
    if (dir + sub + file + 1 > capacity) {
        path_buffer[0] = 0;
        return path_buffer;
    }
    std::wmemcpy(path_buffer, install_dir, dir);
    std::wmemcpy(path_buffer + dir, folder, sub);
    std::wmemcpy(path_buffer + dir + sub, name, file + 1);
    return path_buffer;
}

const wchar_t* picture_path(const wchar_t* name) {
    return build_path(L"\\picture", name);
}

const wchar_t* sound_path(const wchar_t* name) {
    return build_path(L"\\sound", name);
}

void play_sound(const wchar_t* name) {
    play_sound_file(sound_path(name), SND_ASYNC);
}

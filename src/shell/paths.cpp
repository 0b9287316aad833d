// paths.cpp -- data-file paths from the install folder, sound start, showing a picture

#include "shell/shell.h"
#include "graphics/graphics.h"
#include <cwchar>

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

void show_picture(const wchar_t* name, int32_t x, int32_t y) {
    load_result = load_picture(work_picture, picture_path(name));
    if (!load_result) destroy_window(main_window);
    draw_picture(surface, x, y, work_picture, plain);
}

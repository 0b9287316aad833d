// startup.cpp -- the program's frame: entry point, start-up, window procedure, main loop,
// and the end of a run

#include "shell/shell.h"
#include "core/geometry.h"
#include "core/words.h"
#include "graphics/graphics.h"
#include "reading/reading.h"
#include "screens/screens.h"
#include <cstring>
#include <cwchar>

enum : uint32_t { CLASS_STYLE = 3, CLASS_ICON = 102, BLACK_BRUSH = 4, HIDE_TASK_BAR = 2 };

// [SECTION] Entry and main loop

int app_main(intptr_t instance, intptr_t, const wchar_t*, int) {
    if (!start_up(instance)) return 0;
    shell_full_screen(main_window, HIDE_TASK_BAR);
    move_window(main_window, 0, 0, 240, 320, 1);
    play_sound(L"\\start.wav");
    for (;;) {
        Message message;
        if (peek_message(&message)) {
            if (!get_message(&message)) return int(message.wparam);
            translate_message(&message);
            dispatch_message(&message);
        } else {
            screen_step();
        }
    }
}

int start_up(intptr_t instance) {
    register_window_class(instance, PROGRAM_CLASS);
    WindowHandle window = create_window(PROGRAM_CLASS, PROGRAM_CLASS);
    if (!window) return 0;
    main_window = window;
    if (!GXOpenDisplay(main_window, GX_FULLSCREEN)) return 0;
    GXOpenInput();
    display_properties = GXGetDisplayProperties();
    read_install_dir();
    read_language();
    create_objects();
    if (app_state) app_state->screen = screen_title;
    clear_display(&display_properties, 0);
    if (app_state) shuffle_deck(app_state);
    load_result = load_picture(frame_picture, picture_path(screen_layout[place_frame].picture));
    load_result =
        load_picture(card_sheet, picture_path(screen_layout[place_enlarged_card].picture));
    if (!load_result) destroy_window(main_window);
    if (app_state) open_card_db(app_state, main_window, picture_path(L"\\CardDB.dat"));
    load_picture(font_picture, picture_path(L"\\font.nbf"));
    load_result = load_picture(work_picture, picture_path(screen_layout[place_title].picture));
    load_result = palette ? load_palette(picture_path(L"\\main.plf"), palette) : 0;
    if (palette) prepare_palette(palette, &display_properties);
    if (!load_result) destroy_window(main_window);
    return 1;
}

void register_window_class(intptr_t, const wchar_t* class_name) {
    WindowClass window_class = {CLASS_STYLE, window_procedure, CLASS_ICON, BLACK_BRUSH, class_name};
    register_class(&window_class);
}

// Records taps; never draws and never changes the screen.
int32_t window_procedure(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
    switch (message) {
    case MESSAGE_CREATE:
        return 0;
    case MESSAGE_DESTROY:
        shut_down();
        return 0;
    case MESSAGE_LBUTTONDOWN: {
        if (!app_state) return 0;
        int32_t x = int32_t(uint32_t(lparam) & 0xFFFF);
        int32_t y = int32_t((uint32_t(lparam) >> 16) & 0xFFFF);
        app_state->tap_x = x;
        app_state->tap_y = y;
        app_state->tap_pending = 1;
        press_scroll_arrows(app_state, x, y);
        return 0;
    }
    default:
        return default_window_procedure(window, message, wparam, lparam);
    }
}

// [SECTION] Install folder and objects

void read_install_dir() {
    install_dir[0] = 0;
    RegistryKey key;
    if (!registry_open_key(PROGRAM_REGISTRY_KEY, &key)) {
        message_box(0, L"This is a problem in process of installation please reinstall", L"Message",
                    MB_OK);
        return;
    }
    wchar_t value[128]; // 256 bytes on the device, read with a stated size of 255
    if (registry_read_string(key, L"InstallDir", value, 255)) {
        size_t n = 0;
        while (n < INSTALL_DIR_MAX && value[n]) n++;
        std::wmemcpy(install_dir, value, n);
        install_dir[n] = 0;
    }
    registry_close_key(key);
}

void read_language() {
    current_language = language_en;
    const FileHandle file = open_file(picture_path(L"\\language.txt"));
    if (file == INVALID_FILE || file == 0) return;
    char code[9] = {};
    uint32_t got = 0;
    const int ok = read_file(file, code, 8, &got);
    close_file(file);
    // The code's letters, then nothing but line ends.
    uint32_t letters = 0;
    while (letters < got && code[letters] >= 'a' && code[letters] <= 'z') letters += 1;
    int ends = ok && letters > 0 && got < 8;
    for (uint32_t k = letters; k < got; ++k) ends &= code[k] == '\r' || code[k] == '\n';
    code[letters] = 0;
    const int32_t language = ends ? find_language(code) : -1;
    if (language < 0) {
        message_box(0, L"The language is unknown. File name is 'language.txt'", L"", MB_OK);
        return;
    }
    current_language = language;
}

template <class T> static T* allocate_record() {
    T* record = static_cast<T*>(allocate_memory(sizeof(T)));
    if (record)
        std::memset(static_cast<void*>(record), 0, sizeof(T));
    else
        destroy_window(main_window);
    return record;
}

static Picture* create_picture(PictureSize size) {
    Picture* picture = allocate_record<Picture>();
    if (picture) init_picture(picture, size.width, size.height);
    return picture;
}

void create_objects() {
    surface = allocate_record<Surface>();
    if (surface) init_surface(surface);
    palette = allocate_record<Palette>();
    work_picture = create_picture(WORK_PICTURE_SIZE);
    thumb_picture = create_picture(THUMB_PICTURE_SIZE);
    font_picture = create_picture(FONT_PICTURE_SIZE);
    card_sheet = create_picture(CARD_SHEET_SIZE);
    frame_picture = create_picture(FRAME_PICTURE_SIZE);
    AppState* state = allocate_record<AppState>();
    if (state) init_app_state(state);
    app_state = state;
}

// [SECTION] Lifetime

// Each part of the program frees and clears its own, the highest layer first: the reading
// closes its card file before the state record that holds the handle is freed.
void release_objects() {
    reset_reading();
    release_graphics();
    reset_core();
}

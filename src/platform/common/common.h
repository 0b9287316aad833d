// common.h -- what the back ends share of the platform layer: the host file system, the
// registry's one value, allocation failures for tests, the main window and its message
// queue, taps, the idle pacing and the display's frame buffer. A back end writes only its
// own half: where input comes from, how long it waits, and what it does with a frame.

#pragma once
#include "platform/platform.h"
#include <string>

// The host path of a program path ("\picture\Main.NBF" -> "/inst/picture/main.nbf"): each
// backslash-separated component matched exactly, else case-insensitively. Returns "" when
// some component does not exist.
std::string host_path(const wchar_t* path);
// A program path (backslashes) for a host path.
std::wstring program_path(const std::string& host);
// "cannot open PATH: REASON" for the most recent open_file that failed, then "" until the
// next one fails; a successful open forgets an earlier failure.
std::string take_open_failure();
// Closes every open file (a new run of the program starts with none).
void close_all_files();
// The InstallDir value of the program's registry key, a host folder; null: no key.
void registry_set_install_dir(const char* host_folder);
// That host folder; "" when the key is missing.
std::string registry_install_dir();
// The folder of the running program's own file ("/usr/games"); "" when it cannot be told.
// Installed tools find the install folder beside it, in ../share/quarnel.
std::string executable_folder();
// A user's deck: afterwards opening the install folder's "\picture\card.nbf" or
// "\picture\CardDB.dat" opens the deck folder's file of that name (matched case-insensitively)
// when it holds one; every other path is unchanged. Returns 1, or 0 and no deck when the folder
// is missing, unreachable by a program path (not plain ASCII) or holds neither file. Null: no
// deck.
int files_set_deck_dir(const char* host_folder);
// The 8-bit red, green and blue of a display pixel in the display's format (565, else 555,
// else 444): each channel's bits repeated below it, so that white is 255, 255, 255 in every
// format. The desktop window, the web page's canvas and the runner's PNG shots all show the
// display by this one rule, so they compare byte for byte.
inline void widen_pixel(uint16_t v, uint32_t format, uint8_t rgb[3]) {
    uint32_t r, g, b, red_bits = 5, green_bits = 6, blue_bits = 5;
    if (format & kfDirect565) {
        r = v >> 11, g = (v >> 5) & 63, b = v & 31;
    } else if (format & kfDirect555) {
        r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        green_bits = 5;
    } else {
        r = (v >> 8) & 15, g = (v >> 4) & 15, b = v & 15;
        red_bits = green_bits = blue_bits = 4;
    }
    rgb[0] = uint8_t(r << (8 - red_bits) | r >> (2 * red_bits - 8));
    rgb[1] = uint8_t(g << (8 - green_bits) | g >> (2 * green_bits - 8));
    rgb[2] = uint8_t(b << (8 - blue_bits) | b >> (2 * blue_bits - 8));
}
// The plain ASCII of a wide string, '?' for every other character; null gives "".
std::string narrow(const wchar_t* text);
// Every allocation after the next `allowed` ones fails; negative: none fails.
void memory_fail_after(int allowed);
// Calls of allocate_memory (failed ones included) and of release_memory with a block, since
// the process started; the tests compare them before and after a stretch of the program.
uint64_t memory_allocation_count();
uint64_t memory_release_count();

// [SECTION] Pictures (png.cpp)

// Writes width x height RGB triples, row by row, as a PNG file; returns 1/0.
int write_png_rgb(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height);

// [SECTION] Main window and message queue (messages.cpp)
// The common half of the window system: register_class, default_window_procedure,
// post_quit_message, translate_message, dispatch_message and shell_full_screen live there,
// and the back ends build create_window, destroy_window, peek_message and get_message on
// these.

// A fresh queue: no procedure, no main window, no messages, no quit posted.
void queue_reset();
// Called the first time post_quit_message is called in a run (null: none).
void queue_set_quit_hook(void (*hook)(int32_t exit_code));
// 1 when create_window may make the main window: a class is registered and none exists.
int main_window_may_open();
// handle (never 0) becomes the main window, which gets MESSAGE_CREATE; returns handle.
WindowHandle open_main_window(WindowHandle handle);
// When window is the main window it is one no more, gets MESSAGE_DESTROY, and 1 is returned;
// otherwise 0.
int close_main_window(WindowHandle window);
// 1 when window is the main window.
int is_main_window(WindowHandle window);
// The main window, 0 when there is none.
WindowHandle main_window_handle();
// Queues a stylus tap at display pixel (x, y) for the main window: MESSAGE_LBUTTONDOWN with
// lparam x | y << 16, each cut to 16 bits. Returns 1, or 0 (nothing queued) without a main
// window. The idle pacing starts counting again.
int queue_tap(int32_t x, int32_t y);
// 1 when a message or a posted quit waits.
int queue_waiting();
// What peek_message reports: 1 and the first message, else 1 and MESSAGE_QUIT with its code
// once a quit is posted, else 0. Leaves the queue as it is.
int queue_peek(Message* message);
// What get_message returns once queue_waiting() says 1: 1 and the first message, removed;
// 0 and MESSAGE_QUIT with its code when only the quit is left.
int queue_take(Message* message);

// [SECTION] Idle pacing (messages.cpp)
// The desktop and the web page rest once the screen steps stop bringing anything new: the
// desktop then waits longer for input, the page until the next tap. How long each waits is
// the back end's own; the headless back end never rests.

// Screen steps in a row that bring no tap and no new frame before the program rests.
const int STEPS_BEFORE_REST = 8;
// 1 once STEPS_BEFORE_REST screen steps in a row have brought no tap and no new frame.
int pacing_resting();
// Counts a screen step: peek_message calls it when it reports no message.
void pacing_step();
// A tap or a new frame: the count starts again (queue_tap and GXEndDraw call it).
void pacing_wake();

// [SECTION] Display (display.cpp)
// GXOpenDisplay, GXCloseDisplay, GXBeginDraw, GXEndDraw and GXGetDisplayProperties live
// there and work on the back end's FrameBuffer. The shared half is the display open or
// closed, the frame GXBeginDraw hands out, and whether the frame GXEndDraw ends is new; the
// back end's half is the pixels and their layout, and what becomes of a new frame.

// The display of the desktop window and the web page.
const int DISPLAY_WIDTH = 240, DISPLAY_HEIGHT = 320;
const int DISPLAY_PIXELS = DISPLAY_WIDTH * DISPLAY_HEIGHT;

struct FrameBuffer {
    // The back end's half.
    GXDisplayProperties properties = {};
    void* first_pixel = nullptr; // pixel (0, 0), what GXBeginDraw returns while open
    // A copy of the frame on screen, so that a frame identical to it is dropped; only for a
    // frame whose rows are packed (pitches 2 and 2 x width). Null: every frame is new.
    uint16_t* shown = nullptr;
    void (*opening)() = nullptr; // called by GXOpenDisplay before it opens (null: none)
    void (*show)() = nullptr;    // called by GXEndDraw with each new frame (null: none)
    // The shared half.
    bool open = false;
    bool shown_valid = false; // shown holds the frame on screen
};

// The GX calls work on this record from now on (null: none; the display does not open).
// GXOpenDisplay opens it for the main window only.
void display_use(FrameBuffer* frame_buffer);
// The GX calls work on the desktop's and the web page's display from now on:
// DISPLAY_WIDTH x DISPLAY_HEIGHT 5-6-5 pixels with packed rows, held here. show puts
// window_display_shown() on screen.
void use_window_display(void (*show)());
// That display's frame on screen (DISPLAY_PIXELS pixels), or null before the first frame.
const uint16_t* window_display_shown();
// 1 when count pixels at a and at b are the same: 32 bytes at a time, their differences
// or-ed together before one test. In WebAssembly the C library's memcmp takes about two and a
// half times as long (a 240 x 320 frame: 19 against 7.5 us in V8).
int same_pixels(const uint16_t* a, const uint16_t* b, size_t count);

// [SECTION] Terminal text (terminal_text.cpp)

// The columns a UTF-8 text takes on a terminal: one a character.
size_t text_columns(const std::string& text);
// The words of text in lines of at most `width` columns, each after `indent` spaces; the first
// line goes on from `first`. Ends in a line end.
std::string wrap_words(const std::string& first, size_t indent, const std::string& text,
                       size_t width);

// [SECTION] Key names (key_names.cpp)

// The key of a name ("enter", "shift-tab", "pageup", "7"), or KEY_NONE.
int32_t key_named(const std::string& name);
// The name of a key, or "".
const char* key_name(int32_t key);
// Every name, comma-separated, for messages.
std::string key_name_list();

// [SECTION] Languages (languages.cpp)
// Each language is an install folder: English the base folder itself, another its subfolder
// named by the language's code (base/es).

// "en (English), es (Español), ...": the languages the program speaks, for messages.
std::string language_list();
// The install folder of a language under a base folder: the base itself for English (language
// 0), base/CODE for the others; "" stays "" (no install folder).
std::string language_install_dir(const std::string& base, int32_t language);
// The language of a POSIX locale ("es_ES.UTF-8", "pt_BR", "de", "fr_CA@euro"): the code
// before '_', '.' or '@'; -1 for "C", "POSIX", "" and any language the program does not speak.
int32_t language_of_locale(const std::string& locale);
// The language the locale asks for: the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty, as POSIX orders them (each may be null); -1 for one the program does not speak,
// "C" or "POSIX", or none. The desktop program and quarnel-cards choose their language by it.
int32_t locale_language(const char* lc_all, const char* lc_messages, const char* lang);
// The install folder a run speaks from: the chosen language's (chosen -1: none chosen), else
// the locale's language's where base holds its folder, else base itself (English). The
// folder's language goes to *language when that is not null.
std::string chosen_language_dir(const std::string& base, int32_t chosen, int32_t from_locale,
                                int32_t* language);
